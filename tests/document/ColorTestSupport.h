// Shared pieces of the palette, colour-reduction and frame-bitmap tests: a
// clean editor colour state per test and images with known content.
#pragma once
#include "EditorState.h"
#include "PackedDib.h"
#include "Palette.h"
#include <gtest/gtest.h>
#include <cmath>
#include <cstdint>
#include <vector>

// Puts the shared colour state back to a display of 16.7 million colours
// with no document, no hooks and DIB-section frames.
inline void ResetColorState()
{
    FreeDisplayPalette();
    FreeDocumentPalette();
    for (HBRUSH b : {g_toolColors.penColorBrush, g_toolColors.fillColorBrush, g_toolColors.transparentColorBrush})
        if (b) DeleteObject(b);
    for (int i = 0; i < g_frames.frameCount; ++i)
        if (g_frames.frames[i]) DeleteObject(g_frames.frames[i]);
    g_colorState = {};
    g_colorState.displayColorCount = COLORS_32BIT;
    g_toolColors = {};
    g_colorCells = {{}, FIXED_COLOR_CELLS};
    g_bitmapMode = {};
    g_frames = {};
    g_editorHooks = {};
    g_optionFlags = 0;
    g_instanceNumber = 1;
}

class ColorStateTest : public ::testing::Test {
protected:
    void SetUp() override { ResetColorState(); }
    void TearDown() override { ResetColorState(); }
};

inline PALETTEENTRY PaletteEntryAt(HPALETTE palette, int index)
{
    PALETTEENTRY e{};
    GetPaletteEntries(palette, index, 1, &e);
    return e;
}

inline int PaletteSize(HPALETTE palette)
{
    WORD n = 0;
    GetObjectA(palette, sizeof n, &n);
    return n;
}

#define EXPECT_RGB(entry, r, g, b)                                                          \
    do {                                                                                    \
        EXPECT_EQ((entry).peRed, r);                                                        \
        EXPECT_EQ((entry).peGreen, g);                                                      \
        EXPECT_EQ((entry).peBlue, b);                                                       \
    } while (0)

// A 24-bit image of smooth shapes, shading and a little grain, like a photo:
// far more than 256 colours, most of them in a few broad families.
inline HGLOBAL MakePhotoLikeDib(int width, int height, uint32_t seed)
{
    HGLOBAL dib = CreateImageDib(width, height, 24, nullptr, 0);
    if (!dib) return nullptr;
    GlobalLockGuard<BYTE> p(dib);
    BYTE* bits = DibBits(p.get());
    const uint32_t stride = DibStride(width, 24);
    uint32_t state = seed ? seed : 1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double u = double(x) / width, v = double(y) / height;
            // sky, a sun, hills and foliage
            double r = 90 + 110 * v, g = 140 + 80 * v, b = 200 + 50 * v;
            const double sun = std::exp(-((u - 0.7) * (u - 0.7) + (v - 0.75) * (v - 0.75)) * 60);
            r += 150 * sun;
            g += 120 * sun;
            b -= 60 * sun;
            const double hill = 0.35 + 0.12 * std::sin(u * 9.0) + 0.05 * std::sin(u * 23.0 + 1.0);
            if (v < hill) {
                const double shade = 0.6 + 0.4 * std::sin(u * 40.0 + v * 25.0) * std::cos(v * 30.0);
                r = 60 + 70 * shade + 40 * v;
                g = 90 + 90 * shade;
                b = 30 + 30 * shade;
            }
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const double grain = int(state % 13) - 6;
            BYTE* px = bits + y * stride + 3 * x;
            auto clamp = [](double c) { return static_cast<BYTE>(c < 0 ? 0 : c > 255 ? 255 : c); };
            px[0] = clamp(b + grain);
            px[1] = clamp(g + grain);
            px[2] = clamp(r + grain);
        }
    return dib;
}

// The colour of pixel (x, row) of a locked packed DIB, row 0 at the bottom.
inline RGBQUAD DibPixel(void* locked, int x, int row)
{
    const BITMAPINFOHEADER* h = DibHeader(locked);
    const BYTE* line = DibBits(locked) + size_t(row) * DibStride(h->biWidth, h->biBitCount);
    switch (h->biBitCount) {
    case 8: return DibColors(locked)[line[x]];
    case 4: return DibColors(locked)[(x & 1) ? line[x / 2] & 15 : line[x / 2] >> 4];
    case 24: return {line[3 * x], line[3 * x + 1], line[3 * x + 2], 0};
    case 32: return {line[4 * x], line[4 * x + 1], line[4 * x + 2], 0};
    default: return {};
    }
}

// Mean absolute channel difference between two images of the same size.
inline double MeanChannelError(HGLOBAL a, HGLOBAL b)
{
    GlobalLockGuard<BYTE> pa(a), pb(b);
    const BITMAPINFOHEADER* h = DibHeader(pa.get());
    double sum = 0;
    for (int y = 0; y < h->biHeight; ++y)
        for (int x = 0; x < h->biWidth; ++x) {
            const RGBQUAD ca = DibPixel(pa.get(), x, y), cb = DibPixel(pb.get(), x, y);
            sum += std::abs(ca.rgbRed - cb.rgbRed) + std::abs(ca.rgbGreen - cb.rgbGreen) +
                   std::abs(ca.rgbBlue - cb.rgbBlue);
        }
    return sum / (3.0 * h->biWidth * h->biHeight);
}
