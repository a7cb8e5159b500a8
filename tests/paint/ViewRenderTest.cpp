// The view buffer rendered in a real "ANIEDIT": enlarged frames with and
// without the grid, the onion skin through its patterns, a tool's picture in
// place of the frame, and scrolling that reuses the buffer.
#include "CanvasFixture.h"
#include "CanvasLayout.h"
#include "FrameBitmaps.h"
#include "FrameSelection.h"
#include "OnionSkin.h"
#include "Palette.h"
#include "ViewRender.h"
#include <algorithm>
#include <gtest/gtest.h>

namespace {

struct Format {
    int colorCount;
    const char* name;
};
const Format FORMATS[] = {{COLORS_256, "8 bits"}, {COLORS_24BIT, "24 bits"}};

// Grid lines lie in the last column and row of each enlarged pixel, at zoom 4
// and 8 only, and only while the grid is shown.
TEST(ViewRender, GridByZoom)
{
    for (const Format& format : FORMATS) {
        for (int zoom : {0, 1, 2, 3}) {
            for (int grid : {1, 0}) {
                SCOPED_TRACE(testing::Message() << format.name << " zoom " << zoom << " grid " << grid);
                CanvasFixture f(format.colorCount, 12, 10, 1);
                f.Fill(0, RED);
                f.Fill(0, RECT{1, 2, 2, 3}, BLUE);
                g_appState.showGrid = grid;
                f.Show(400, 400, zoom);
                const int c = 1 << zoom;
                ASSERT_EQ(12 * c, g_canvasView.viewWidth);
                ASSERT_EQ(10 * c, g_canvasView.viewHeight);
                const bool lines = grid && zoom >= 2;
                for (int cell = 0; cell < 3; ++cell) {
                    const int last = cell * c + c - 1;
                    EXPECT_EQ(lines ? BLACK : RED, f.ViewPixel(last, 0)) << "column " << last;
                    EXPECT_EQ(lines ? BLACK : RED, f.ViewPixel(0, last)) << "row " << last;
                    EXPECT_EQ(RED, f.ViewPixel(cell * c, cell * c));
                }
                // The blue frame pixel (1, 2) fills its enlarged pixel up to the grid lines.
                EXPECT_EQ(BLUE, f.ViewPixel(c, 2 * c));
                EXPECT_EQ(lines ? BLACK : BLUE, f.ViewPixel(2 * c - 1, 2 * c));
                EXPECT_EQ(lines ? BLACK : BLUE, f.ViewPixel(c, 3 * c - 1));
                EXPECT_EQ(RED, f.ViewPixel(2 * c, 2 * c));
                EXPECT_EQ(RED, f.ViewPixel(c, 3 * c));
            }
        }
    }
}

// The onion pattern's set pixels: a checkerboard, clear on the grid lines.
bool OnionBit(int x, int y, int zoom, bool grid)
{
    const int period = grid && zoom >= 2 ? 1 << zoom : 0;
    if (period && (x % period == period - 1 || y % period == period - 1)) return false;
    return (x + y) % 2 == 0;
}

// Frame 0 is transparent (magenta) on its left half and green on its right
// half; the reference shows only inside the transparent half and only on the
// pattern's set pixels.
TEST(ViewRender, OnionSkinShowsTheReferenceThroughThePatternInTransparentParts)
{
    struct Case {
        int source;
        int expectedReference;
        COLORREF referenceColor;
    } cases[] = {{ONION_PREVIOUS, 3, YELLOW}, {ONION_NEXT, 1, BLUE}};
    for (const Format& format : FORMATS) {
        for (const Case& c : cases) {
            for (int zoom : {0, 3}) {
                for (int grid : {1, 0}) {
                    SCOPED_TRACE(testing::Message() << format.name << " source " << c.source << " zoom " << zoom
                                                    << " grid " << grid);
                    CanvasFixture f(format.colorCount, 8, 6, 4);
                    f.Fill(0, RECT{0, 0, 4, 6}, MAGENTA);
                    f.Fill(0, RECT{4, 0, 8, 6}, GREEN);
                    f.Fill(1, BLUE);
                    f.Fill(2, RED);
                    f.Fill(3, YELLOW);
                    g_appState.showGrid = grid;
                    SetOnionSkinSource(c.source);
                    SetOnionSkin(1);
                    f.Show(400, 400, zoom);
                    ASSERT_EQ(c.expectedReference, OnionSkinShownFrame());
                    const int cell = 1 << zoom;
                    const bool lines = grid && zoom >= 2;
                    int shown = 0;
                    for (int y = 0; y < 6 * cell; ++y) {
                        for (int x = 0; x < 8 * cell; ++x) {
                            const bool gridLine = lines && (x % cell == cell - 1 || y % cell == cell - 1);
                            const bool transparent = x < 4 * cell;
                            COLORREF expected = gridLine ? BLACK : transparent ? MAGENTA : GREEN;
                            if (transparent && OnionBit(x, y, zoom, grid)) expected = c.referenceColor;
                            shown += expected == c.referenceColor;
                            ASSERT_EQ(expected, f.ViewPixel(x, y)) << x << "," << y;
                        }
                    }
                    EXPECT_GT(shown, 0);
                }
            }
        }
    }
}

TEST(ViewRender, NoOnionSkinOnTheReferenceItselfOrWhenOff)
{
    CanvasFixture f(COLORS_256, 8, 6, 3);
    f.Fill(0, MAGENTA);
    f.Fill(2, YELLOW);
    SetOnionSkinSource(ONION_ANY);
    SetOnionSkinFrame(2);
    SetOnionSkin(1);
    f.Show(64, 64, 0);
    EXPECT_EQ(YELLOW, f.ViewPixel(0, 0));
    SetOnionSkin(0);
    f.Render();
    EXPECT_EQ(MAGENTA, f.ViewPixel(0, 0));
}

HBITMAP g_picture;

TEST(ViewRender, AToolsPictureReplacesTheFrame)
{
    CanvasFixture f(COLORS_24BIT, 10, 10, 2);
    f.Fill(0, RED);
    g_picture = CreateFrameBitmap(10, 10);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, g_picture);
    RECT all = {0, 0, 10, 10};
    HBRUSH cyan = CreateSolidBrush(CYAN);
    FillRect(dc, &all, cyan);
    DeleteObject(cyan);
    SelectObject(dc, old);
    DeleteDC(dc);
    PaintTool text{};
    text.viewPicture = [] { return g_picture; };
    InstallPaintTool(TOOL_TEXT, text);
    g_appState.currentTool = TOOL_TEXT;
    f.Show(80, 80, 2);
    EXPECT_EQ(CYAN, f.ViewPixel(5, 5));
    // Another tool shows the frame.
    g_appState.currentTool = TOOL_LINE;
    f.Render();
    EXPECT_EQ(RED, f.ViewPixel(5, 5));
    DeleteObject(g_picture);
}

// After a scroll the buffer holds what a full render at the new offsets gives,
// whether the scroll moved the buffer and rendered a strip or rendered it all.
TEST(ViewRender, ScrolledViewEqualsAFreshRender)
{
    struct Scroll {
        UINT message;
        WPARAM wParam;
        int dx, dy;
    } scrolls[] = {
        {WM_VSCROLL, SB_LINEDOWN, 0, 1},
        {WM_HSCROLL, SB_LINEDOWN, 1, 0},
        {WM_HSCROLL, SB_PAGEDOWN, 8, 0},               // a third of 24 visible pixels
        {WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 30), 0, 29},  // larger than a step: rendered whole
        {WM_HSCROLL, SB_LINEUP, -1, 0},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, 65536 - 120), 0, 6},  // 8, stopped at the bottom
        {WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, 120), -8, 0},
    };
    for (const Format& format : FORMATS) {
        CanvasFixture f(format.colorCount, 50, 60, 1);
        // A frame whose every pixel tells where it is.
        f.Paint(0, [](int x, int y) { return (x + y) % 3 == 0 ? RED : (x * 7 + y) % 5 == 0 ? BLUE : GREEN; });
        f.Show(96, 96, 2);
        ASSERT_EQ(50 - 24, g_appState.editScrollMaxX);
        for (const Scroll& s : scrolls) {
            SCOPED_TRACE(testing::Message() << format.name << " message " << s.message << " " << s.wParam);
            const int x = g_appState.editScrollX, y = g_appState.editScrollY;
            SendMessageA(f.Canvas(), s.message, s.wParam, 0);
            EXPECT_EQ(x + s.dx, g_appState.editScrollX);
            EXPECT_EQ(y + s.dy, g_appState.editScrollY);
            const std::vector<COLORREF> scrolled = f.ViewPixels();
            f.Render();
            ASSERT_EQ(f.ViewPixels(), scrolled);
        }
    }
}

TEST(ViewRender, ViewSizeRequestsAreClamped)
{
    CanvasFixture f(COLORS_256, 20, 10, 1);
    struct Case {
        LPARAM request;
        int width, height;
    } cases[] = {
        {MAKELPARAM(40, 40), 64, 64},
        {MAKELPARAM(1000, 30), 160, 64},
        {static_cast<LPARAM>(0xFFFFFFFFu), 160, 80},
        {MAKELPARAM(100, 70), 100, 70},
    };
    for (const Case& c : cases) {
        SendMessageA(f.Canvas(), EDIT_SET_VIEW_SIZE, 0, c.request);
        EXPECT_EQ(c.width, GetFrameEditorSize(0));
        EXPECT_EQ(c.height, GetFrameEditorSize(1));
        // A buffer that is large enough is kept; a new one is one pixel wider.
        BITMAP info{};
        ASSERT_TRUE(GetObjectA(g_canvasView.viewBitmap, sizeof info, &info));
        EXPECT_GE(info.bmWidth, c.width + 1);
        EXPECT_GE(info.bmHeight, c.height);
        SIZE recorded{};
        GetBitmapDimensionEx(g_canvasView.viewBitmap, &recorded);
        EXPECT_EQ(info.bmWidth - 1, recorded.cx);
    }
    SendMessageA(f.Canvas(), EDIT_SET_VIEW_SIZE, 0, 0);
    EXPECT_EQ(0, GetFrameEditorSize(0));
    EXPECT_EQ(nullptr, g_canvasView.viewBitmap);
}

TEST(ViewRender, RelayoutPlacesTheWindowAndSetsTheScrollBars)
{
    CanvasFixture f(COLORS_256, 40, 30, 1);
    struct Case {
        int bufferW, bufferH, zoom;
        int viewW, viewH;
        bool hBar, vBar;
    } cases[] = {
        {400, 400, 3, 320, 240, false, false},
        {200, 400, 3, 200, 240, true, false},
        {200, 100, 2, 160, 100, false, true},
        {64, 64, 1, 64, 60, true, false},
        {64, 64, 2, 64, 64, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bufferW << "x" << c.bufferH << " zoom " << c.zoom);
        g_appState.editScrollX = g_appState.editScrollY = 1000;  // lowered to the new maxima
        f.Show(c.bufferW, c.bufferH, c.zoom);
        RECT r;
        GetWindowRect(f.Canvas(), &r);
        MapWindowPoints(nullptr, f.Parent(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(39, r.left);
        EXPECT_EQ(39 + c.viewW + 2, r.right);
        EXPECT_EQ(29, r.top);
        EXPECT_EQ(29 + c.viewH + 2, r.bottom);
        EXPECT_EQ(g_appState.editScrollMaxX, g_appState.editScrollX);
        EXPECT_EQ(g_appState.editScrollMaxY, g_appState.editScrollY);
        for (bool horizontal : {true, false}) {
            HWND bar = horizontal ? g_appState.editHScrollBar : g_appState.editVScrollBar;
            SCROLLINFO info{sizeof info, SIF_ALL};
            GetScrollInfo(bar, SB_CTL, &info);
            EXPECT_EQ(0, info.nMin);
            EXPECT_EQ((horizontal ? 40 : 30) - 1, info.nMax);
            // The system keeps the page within the range.
            const int page = (horizontal ? c.bufferW : c.bufferH) >> c.zoom;
            EXPECT_EQ(static_cast<UINT>(std::min(page, horizontal ? 40 : 30)), info.nPage);
            EXPECT_EQ(horizontal ? g_appState.editScrollX : g_appState.editScrollY, info.nPos);
            const bool shown = (GetWindowLongPtrA(bar, GWL_STYLE) & WS_VISIBLE) != 0;
            EXPECT_EQ(horizontal ? c.hBar : c.vBar, shown) << (horizontal ? "horizontal" : "vertical");
        }
    }
}

TEST(ViewRender, ColorTableOfThePaletteReachesTheView)
{
    CanvasFixture f(COLORS_256, 8, 8, 1);
    f.Show(64, 64, 3);
    // A palette edit: entry 100 of the frames becomes a colour of its own.
    RGBQUAD changed = {12, 34, 56, 0};
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, g_appState.frameBitmaps[0]);
    SetDIBColorTable(dc, 100, 1, &changed);
    SelectObject(dc, old);
    DeleteDC(dc);
    CopyFrameColorTableToView();
    RGBQUAD view{};
    GetDIBColorTable(g_appState.canvasDC, 100, 1, &view);
    EXPECT_EQ(56, view.rgbRed);
    EXPECT_EQ(34, view.rgbGreen);
    EXPECT_EQ(12, view.rgbBlue);
}

}  // namespace

namespace {

// The cross marks a frame pixel with two inverted lines 2 x factor + 3 long;
// drawn twice it is gone.
TEST(ViewRender, TheCrossIsInvertedAndRemovedByDrawingItAgain)
{
    CanvasFixture f(COLORS_24BIT, 20, 20, 1);
    g_appState.showGrid = 0;  // a white view: the cross shows black
    f.Show(160, 160, 3);
    const std::vector<COLORREF> before = f.ViewPixels();
    DrawCanvasCross(g_appState.canvasDC, 4, 3, false);  // view point (32, 24), lines 19 long
    EXPECT_EQ(BLACK, f.ViewPixel(32 - 9, 24));
    EXPECT_EQ(BLACK, f.ViewPixel(32 + 9, 24));
    EXPECT_EQ(WHITE, f.ViewPixel(32 + 10, 24));
    EXPECT_EQ(BLACK, f.ViewPixel(32, 24 - 9));
    EXPECT_EQ(WHITE, f.ViewPixel(32, 24 - 10));
    EXPECT_EQ(WHITE, f.ViewPixel(33, 25));
    DrawCanvasCross(g_appState.canvasDC, 4, 3, false);
    EXPECT_EQ(before, f.ViewPixels());
    // On the middle of the enlarged pixel: shifted by half a cell.
    DrawCanvasCross(g_appState.canvasDC, 4, 3, true);
    EXPECT_EQ(BLACK, f.ViewPixel(36 - 9, 28));
    EXPECT_EQ(WHITE, f.ViewPixel(32 - 9, 24));
    DrawCanvasCross(g_appState.canvasDC, 4, 3, true);
    // Outside the buffer: nothing.
    DrawCanvasCross(g_appState.canvasDC, 30, 3, false);
    DrawCanvasCross(g_appState.canvasDC, -1, 3, false);
    EXPECT_EQ(before, f.ViewPixels());
}

}  // namespace

namespace {

// In the three-colour format white is entry 1 of a 4-bit table: the view
// must still show the frame's colours, the transparent entry 2 included.
TEST(ViewRender, ThreeColourFramesKeepTheirColours)
{
    for (int zoom : {0, 3}) {
        for (bool onion : {false, true}) {
            SCOPED_TRACE(testing::Message() << "zoom " << zoom << " onion " << onion);
            CanvasFixture f(COLORS_3, 8, 4, 2);
            const COLORREF transparent = RGB(128, 0, 0);
            f.Fill(0, transparent);
            f.Fill(0, RECT{0, 0, 2, 4}, BLACK);
            f.Fill(1, BLACK);
            ApplyTransparentColorCode(1);  // (128, 0, 0), entry 2
            g_appState.showGrid = 0;
            if (onion) SetOnionSkin(1);
            f.Show(64, 64, zoom);
            const int c = 1 << zoom;
            EXPECT_EQ(BLACK, f.ViewPixel(0, 0));
            EXPECT_EQ(transparent, f.ViewPixel(c > 1 ? 3 * c + 1 : 3, 0));  // off the onion pattern
            EXPECT_EQ(onion ? BLACK : transparent, f.ViewPixel(4 * c, 0));  // on it: the black frame 1
        }
    }
}

}  // namespace
