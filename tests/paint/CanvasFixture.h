// A frame canvas in the test program as the editor sets it up: the work DCs
// and pattern brushes, a colour format, frames as DIB sections, and a real
// "ANIEDIT" window inside a hidden parent, with the shell's ways back into it
// recorded.
#pragma once
#include "AppState.h"
#include "FrameCanvas.h"
#include "PaintHost.h"
#include "PaintTools.h"
#include <windows.h>
#include <vector>

class CanvasFixture {
public:
    // colorCount: COLORS_256 or COLORS_24BIT; the transparent colour is magenta.
    CanvasFixture(int colorCount, int frameWidth, int frameHeight, int frames);
    ~CanvasFixture();
    CanvasFixture(const CanvasFixture&) = delete;
    CanvasFixture& operator=(const CanvasFixture&) = delete;

    HWND Canvas() const { return canvas_; }
    HWND Parent() const { return parent_; }
    void Fill(int frame, const RECT& area, COLORREF color);
    void Fill(int frame, COLORREF color);
    // Every pixel of a frame from a function of its place.
    void Paint(int frame, COLORREF (*color)(int x, int y));
    // Buffer size, zoom and a render through the window's erase message.
    void Show(int bufferWidth, int bufferHeight, int zoomShift);
    void Render();
    COLORREF ViewPixel(int x, int y) const;
    // Every pixel of the view buffer, row by row.
    std::vector<COLORREF> ViewPixels() const;

    // What the canvas told the shell.
    static std::vector<int> statusKinds, filmRepaints, modifiedFrames, selectedTools;
    static int menuUpdates;
    static void ClearRecords();

private:
    HWND parent_ = nullptr;
    HWND canvas_ = nullptr;
};

// Exact colours of the standard palette, so that 8-bit frames hold them.
constexpr COLORREF RED = RGB(255, 0, 0), GREEN = RGB(0, 255, 0), BLUE = RGB(0, 0, 255), YELLOW = RGB(255, 255, 0),
                   MAGENTA = RGB(255, 0, 255), CYAN = RGB(0, 255, 255), BLACK = RGB(0, 0, 0), WHITE = RGB(255, 255, 255);
