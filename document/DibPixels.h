// Direct access to the pixels of a frame bitmap for the operations that move
// single pixels (rotations, pasting through the transparent colour): a DIB
// section's own bits, or a 32-bit copy of a device-dependent bitmap that
// Commit writes back. Values are the stored ones: colour indexes up to 8 bits
// per pixel, 5-5-5 words at 16, 0xRRGGBB at 24 and 32.
#pragma once
#include <windows.h>
#include <cstdint>

class DibPixels {
public:
    explicit DibPixels(HBITMAP bitmap);
    ~DibPixels();
    DibPixels(const DibPixels&) = delete;
    DibPixels& operator=(const DibPixels&) = delete;

    bool Valid() const { return bits_ != nullptr; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitsPerPixel() const { return bpp_; }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    uint32_t Get(int x, int y) const;
    void Set(int x, int y, uint32_t value);
    // The colour of a pixel (through the colour table up to 8 bits).
    COLORREF Color(int x, int y) const;
    // The pixel holds the colour as this depth stores it (16 bits: the top
    // five bits of each channel).
    bool HasColor(int x, int y, COLORREF color) const;
    // The stored value nearest to a colour (the first equal table entry).
    uint32_t ValueOf(COLORREF color) const;

    // A copy of a device-dependent bitmap goes back into it.
    void Commit();

private:
    BYTE* Row(int y) const;
    HBITMAP target_ = nullptr;  // the device bitmap a copy belongs to
    HBITMAP copy_ = nullptr;
    BYTE* bits_ = nullptr;
    int width_ = 0, height_ = 0, bpp_ = 0, stride_ = 0;
    bool bottomUp_ = true;
    RGBQUAD table_[256] = {};
    int tableSize_ = 0;
};

// A colour as its 5-5-5 value.
inline uint32_t Color555(COLORREF c)
{
    return (GetRValue(c) >> 3) << 10 | (GetGValue(c) >> 3) << 5 | (GetBValue(c) >> 3);
}
