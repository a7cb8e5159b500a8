// Reduces true-colour frames to the 8-bit palette of the AVI: each pixel read
// as 5-5-5 goes to the nearest colour-table entry, found once per 15-bit
// colour and kept in a cache, so a frame costs one look-up per pixel.
#include "ExportLibrary.h"
#include "PackedDib.h"
#include <cstdlib>
#include <cstring>

void ClearColorCache(uint16_t* cache)
{
    // Every byte 0xFF: every entry COLOR_CACHE_EMPTY.
    memset(cache, 0xFF, COLOR_CACHE_ENTRIES * sizeof(uint16_t));
}

int NearestColorIndex(uint16_t color555, const RGBQUAD* table, int entries)
{
    const int red = ((color555 >> 10) & 31) * 8 + 4;
    const int green = ((color555 >> 5) & 31) * 8 + 4;
    const int blue = (color555 & 31) * 8 + 4;
    int best = 0, bestDistance = 1 << 30;
    for (int i = 0; i < entries; ++i) {
        const RGBQUAD& c = table[i];
        const int distance = abs(c.rgbRed - red) + abs(c.rgbGreen - green) + abs(c.rgbBlue - blue);
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
            if (distance < 2) break;
        }
    }
    return best;
}

void ConvertRowsTo8Bit(BYTE* bits, int width, int height, const RGBQUAD* table, int entries, uint16_t* cache)
{
    const uint32_t inStride = DibStride(width, 16);
    const uint32_t outStride = DibStride(width, 8);
    for (int y = 0; y < height; ++y) {
        const BYTE* in = bits + static_cast<size_t>(y) * inStride;
        BYTE* out = bits + static_cast<size_t>(y) * outStride;
        // Left to right: pixel x is written at x, after it was read at 2 x.
        for (int x = 0; x < width; ++x) {
            const uint16_t color = static_cast<uint16_t>((in[2 * x] | in[2 * x + 1] << 8) & 0x7FFF);
            uint16_t& index = cache[color];
            if (index == COLOR_CACHE_EMPTY) index = static_cast<uint16_t>(NearestColorIndex(color, table, entries));
            out[x] = static_cast<BYTE>(index);
        }
        for (uint32_t x = width; x < outStride; ++x) out[x] = 0;
    }
}
