// Shared pieces of the palette, colour-reduction and frame-bitmap tests: a
// clean editor colour state per test and images with known content.
#pragma once
#include "AppState.h"
#include "PackedDib.h"
#include "Palette.h"
#include "TestFiles.h"
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
    for (HBRUSH b : {g_appState.toolColors.penColorBrush, g_appState.toolColors.fillColorBrush,
                     g_appState.toolColors.transparentColorBrush})
        if (b) DeleteObject(b);
    for (int i = 0; i < g_appState.frameCount; ++i)
        if (g_appState.frameBitmaps[i]) DeleteObject(g_appState.frameBitmaps[i]);
    g_appState = AppState{};
    g_appState.displayColorCount = COLORS_32BIT;
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
