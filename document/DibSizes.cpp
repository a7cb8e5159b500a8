// DIB size arithmetic for frames of the editor's colour formats.
#include "DibSizes.h"
#include "PackedDib.h"

uint32_t GetDibRowBytes(int width, int bits) { return DibStride(width, bits); }

uint32_t GetDibImageBytes(int width, int height, int bits)
{
    // The width is rounded up to 8 pixels first: whole bytes even at 1 bit per
    // pixel. That can only make the buffer larger than the DIB's own rows.
    uint32_t paddedWidth = (static_cast<uint32_t>(width) + 7) & ~7u;
    uint32_t row = (paddedWidth * static_cast<uint32_t>(bits) / 8 + 3) & ~3u;
    if (row < 4) row = 4;
    return row * static_cast<uint32_t>(height);
}

int BitsForColorFormat(int colorFormat)
{
    switch (colorFormat) {
    case 2: return 1;
    case 3:
    case 16: return 4;
    case 65536: return 16;
    case 16777216: return 24;
    case 16777217: return 32;
    default: return 8;
    }
}

uint32_t GetDibImageBytesForColors(int width, int height, int colorFormat, int* bitsOut)
{
    int bits = BitsForColorFormat(colorFormat);
    if (bitsOut) *bitsOut = bits;
    return GetDibImageBytes(width, height, bits);
}
