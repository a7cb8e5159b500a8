// A 32-bit memory bitmap to draw owner-drawn items into and read back.
#pragma once
#include <windows.h>
#include <cstdint>

class PixelCanvas {
public:
    PixelCanvas(int width, int height) : width_(width), height_(height)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc_ = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels_ = static_cast<uint32_t*>(bits);
        old_ = SelectObject(dc_, bitmap_);
        SelectObject(dc_, GetStockObject(DEFAULT_GUI_FONT));
        for (int i = 0; i < width * height; ++i) pixels_[i] = 0x00FF00;  // green: not drawn
    }
    ~PixelCanvas()
    {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    PixelCanvas(const PixelCanvas&) = delete;
    PixelCanvas& operator=(const PixelCanvas&) = delete;

    HDC Dc() const { return dc_; }
    // The colour at (x, y) as a COLORREF.
    COLORREF At(int x, int y) const
    {
        GdiFlush();
        uint32_t p = pixels_[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    int CountInBox(int left, int top, int right, int bottom, COLORREF color) const
    {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) count += At(x, y) == color;
        return count;
    }
    // A draw-item record for an item covering the whole canvas.
    DRAWITEMSTRUCT Item(UINT state = 0, UINT action = ODA_DRAWENTIRE, HWND window = nullptr, UINT id = 0) const
    {
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_BUTTON;
        item.CtlID = id;
        item.itemAction = action;
        item.itemState = state;
        item.hwndItem = window;
        item.hDC = dc_;
        item.rcItem = {0, 0, width_, height_};
        return item;
    }
private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    uint32_t* pixels_;
};
