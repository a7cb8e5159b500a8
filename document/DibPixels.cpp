// Pixel access to frame bitmaps (see DibPixels.h).
#include "DibPixels.h"
#include "PackedDib.h"
#include <climits>

DibPixels::DibPixels(HBITMAP bitmap)
{
    if (!bitmap) return;
    GdiFlush();
    DIBSECTION section{};
    HBITMAP source = bitmap;
    if (GetObjectA(bitmap, sizeof section, &section) != sizeof section || !section.dsBm.bmBits) {
        // A device bitmap: worked on as a 32-bit copy.
        BITMAP info{};
        if (!GetObjectA(bitmap, sizeof info, &info)) return;
        BITMAPINFO header{};
        header.bmiHeader = {sizeof(BITMAPINFOHEADER), info.bmWidth, info.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        copy_ = CreateDIBSection(nullptr, &header, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!copy_) return;
        HDC from = CreateCompatibleDC(nullptr), to = CreateCompatibleDC(nullptr);
        HGDIOBJ oldFrom = SelectObject(from, bitmap), oldTo = SelectObject(to, copy_);
        BitBlt(to, 0, 0, info.bmWidth, info.bmHeight, from, 0, 0, SRCCOPY);
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
        DeleteDC(from);
        DeleteDC(to);
        GdiFlush();
        target_ = bitmap;
        source = copy_;
        if (GetObjectA(copy_, sizeof section, &section) != sizeof section) return;
    }
    width_ = section.dsBm.bmWidth;
    height_ = section.dsBm.bmHeight;
    bpp_ = section.dsBm.bmBitsPixel;
    stride_ = section.dsBm.bmWidthBytes;
    bottomUp_ = section.dsBmih.biHeight > 0;
    if (bpp_ <= 8) {
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, source);
        tableSize_ = static_cast<int>(GetDIBColorTable(dc, 0, 1u << bpp_, table_));
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    bits_ = static_cast<BYTE*>(section.dsBm.bmBits);
}

DibPixels::~DibPixels()
{
    if (copy_) DeleteObject(copy_);
}

BYTE* DibPixels::Row(int y) const { return bits_ + static_cast<size_t>(bottomUp_ ? height_ - 1 - y : y) * stride_; }

uint32_t DibPixels::Get(int x, int y) const
{
    const BYTE* row = Row(y);
    switch (bpp_) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
    case 8: return row[x];
    case 16: return row[2 * x] | row[2 * x + 1] << 8;
    case 24: return row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16;
    case 32: return (row[4 * x] | row[4 * x + 1] << 8 | row[4 * x + 2] << 16) & 0xFFFFFFu;
    default: return 0;
    }
}

void DibPixels::Set(int x, int y, uint32_t v)
{
    BYTE* row = Row(y);
    switch (bpp_) {
    case 1: {
        const BYTE bit = static_cast<BYTE>(0x80 >> (x & 7));
        row[x >> 3] = static_cast<BYTE>((v & 1) ? row[x >> 3] | bit : row[x >> 3] & ~bit);
        break;
    }
    case 4: {
        BYTE& b = row[x >> 1];
        b = static_cast<BYTE>((x & 1) ? (b & 0xF0) | (v & 15) : (b & 0x0F) | (v & 15) << 4);
        break;
    }
    case 8: row[x] = static_cast<BYTE>(v); break;
    case 16:
        row[2 * x] = static_cast<BYTE>(v);
        row[2 * x + 1] = static_cast<BYTE>(v >> 8);
        break;
    case 24:
    case 32: {
        BYTE* p = row + x * (bpp_ / 8);
        p[0] = static_cast<BYTE>(v);
        p[1] = static_cast<BYTE>(v >> 8);
        p[2] = static_cast<BYTE>(v >> 16);
        break;
    }
    default: break;
    }
}

COLORREF DibPixels::Color(int x, int y) const
{
    const uint32_t v = Get(x, y);
    if (bpp_ <= 8) {
        if (static_cast<int>(v) >= tableSize_) return 0;
        return RGB(table_[v].rgbRed, table_[v].rgbGreen, table_[v].rgbBlue);
    }
    if (bpp_ == 16) {
        auto level = [](uint32_t five) { return static_cast<BYTE>(five << 3 | five >> 2); };
        return RGB(level(v >> 10 & 31), level(v >> 5 & 31), level(v & 31));
    }
    return RGB(v >> 16 & 0xFF, v >> 8 & 0xFF, v & 0xFF);
}

bool DibPixels::HasColor(int x, int y, COLORREF color) const
{
    color &= 0xFFFFFF;
    if (bpp_ == 16) return (Get(x, y) & 0x7FFF) == Color555(color);
    return Color(x, y) == color;
}

uint32_t DibPixels::ValueOf(COLORREF color) const
{
    color &= 0xFFFFFF;
    if (bpp_ == 16) return Color555(color);
    if (bpp_ > 8) return static_cast<uint32_t>(GetRValue(color)) << 16 | GetGValue(color) << 8 | GetBValue(color);
    int best = 0, bestDistance = INT_MAX;
    for (int i = 0; i < tableSize_; ++i) {
        const int dr = table_[i].rgbRed - GetRValue(color), dg = table_[i].rgbGreen - GetGValue(color),
                  db = table_[i].rgbBlue - GetBValue(color);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
            if (distance == 0) break;
        }
    }
    return static_cast<uint32_t>(best);
}

void DibPixels::Commit()
{
    if (!copy_ || !target_) return;
    HDC from = CreateCompatibleDC(nullptr), to = CreateCompatibleDC(nullptr);
    HGDIOBJ oldFrom = SelectObject(from, copy_), oldTo = SelectObject(to, target_);
    BitBlt(to, 0, 0, width_, height_, from, 0, 0, SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);
}
