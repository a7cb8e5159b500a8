// The canvas's view buffer and geometry: EDIT_SET_VIEW_SIZE, EDIT_RELAYOUT,
// the zoom with its kept point, the grid brushes, the one scroll routine and
// the scroll bars beside the view.
#include "CanvasLayout.h"
#include "AppState.h"
#include "CanvasMath.h"
#include "FrameBitmaps.h"
#include "FrameCanvas.h"
#include "OnionSkin.h"
#include "PaintHost.h"
#include "PaintTools.h"
#include "ViewRender.h"
#include <algorithm>
#include <cstdlib>

namespace {

// Indexes into patternBrushes (bitmap 921).
constexpr int GRID_ZOOM_4 = 0;
constexpr int ONION_PLAIN = 2;
constexpr int ONION_ZOOM_4 = 3;

int ZoomShift() { return std::clamp(g_appState.zoomShift, 0, 3); }

POINT CanvasOrigin(HWND canvas)
{
    if (g_paintHost.canvasOrigin) return g_paintHost.canvasOrigin();
    RECT r{};
    GetWindowRect(canvas, &r);
    MapWindowPoints(nullptr, GetParent(canvas), reinterpret_cast<POINT*>(&r), 2);
    return {r.left + 1, r.top + 1};
}

void SetScrollBar(HWND bar, int frameExtent, int page, int position, bool shown)
{
    if (!bar) return;
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS};
    info.nMin = 0;
    info.nMax = std::max(frameExtent - 1, 0);
    info.nPage = static_cast<UINT>(std::max(page, 0));
    info.nPos = position;
    SetScrollInfo(bar, SB_CTL, &info, TRUE);
    // The bars go with the canvas: while it is hidden (no frames) so are they.
    const bool visible = shown && (GetWindowLongPtrA(g_appState.frameEditorWindow, GWL_STYLE) & WS_VISIBLE);
    ShowWindow(bar, visible ? SW_SHOWNA : SW_HIDE);
}

void SetScrollPositions()
{
    if (g_appState.editHScrollBar) SetScrollPos(g_appState.editHScrollBar, SB_CTL, g_appState.editScrollX, TRUE);
    if (g_appState.editVScrollBar) SetScrollPos(g_appState.editVScrollBar, SB_CTL, g_appState.editScrollY, TRUE);
}

void ReleaseViewBitmap()
{
    if (!g_canvasView.viewBitmap) return;
    if (g_appState.canvasDC && g_canvasView.canvasDefaultBitmap)
        SelectObject(g_appState.canvasDC, g_canvasView.canvasDefaultBitmap);
    DeleteObject(g_canvasView.viewBitmap);
    g_canvasView.viewBitmap = nullptr;
    g_canvasView.canvasDefaultBitmap = nullptr;
}

void SelectViewBitmap()
{
    if (!g_canvasView.viewBitmap || !g_appState.canvasDC) return;
    HGDIOBJ old = SelectObject(g_appState.canvasDC, g_canvasView.viewBitmap);
    if (old && old != g_canvasView.viewBitmap && !g_canvasView.canvasDefaultBitmap)
        g_canvasView.canvasDefaultBitmap = old;
}

bool ViewBitmapFits(int width, int height)
{
    if (!g_canvasView.viewBitmap || g_canvasView.viewColorCount != g_appState.colorCount) return false;
    SIZE recorded{};
    GetBitmapDimensionEx(g_canvasView.viewBitmap, &recorded);
    return recorded.cx >= width && recorded.cy >= height && recorded.cx <= MAX_VIEW_ZOOM * g_appState.frameWidth &&
           recorded.cy <= MAX_VIEW_ZOOM * g_appState.frameHeight;
}

// The strips a small scroll uncovers, rendered from the frame after the rest
// of the buffer moved with ScrollDC.
void ScrollViewBuffer(int dx, int dy)
{
    const int zoom = ZoomShift();
    const int w = g_canvasView.viewWidth, h = g_canvasView.viewHeight;
    RECT area = {0, 0, w, h};
    ScrollDC(g_appState.canvasDC, -(dx << zoom), -(dy << zoom), &area, &area, nullptr, nullptr);
    const int sx = g_appState.editScrollX, sy = g_appState.editScrollY;
    if (dx > 0) {
        const int x = std::max(((w >> zoom) - dx) << zoom, 0);
        RenderViewStrip(x, 0, w - x, h, sx + (x >> zoom), sy);
    } else if (dx < 0) {
        RenderViewStrip(0, 0, (-dx) << zoom, h, sx, sy);
    }
    if (dy > 0) {
        const int y = std::max(((h >> zoom) - dy) << zoom, 0);
        RenderViewStrip(0, y, w, h - y, sx, sy + (y >> zoom));
    } else if (dy < 0) {
        RenderViewStrip(0, 0, w, (-dy) << zoom, sx, sy);
    }
}

}  // namespace

void PlaceCanvasScrollBars()
{
    HWND canvas = g_appState.frameEditorWindow;
    if (!canvas) return;
    // The vertical bar stands in the column left of the view, the horizontal
    // one above it: the film and the sizing grip take the room right of and
    // below the view.
    const POINT o = CanvasOrigin(canvas);
    const int vs = GetSystemMetrics(SM_CXVSCROLL), hs = GetSystemMetrics(SM_CYHSCROLL);
    if (g_appState.editVScrollBar)
        MoveWindow(g_appState.editVScrollBar, o.x - vs - 4, o.y - 1, vs, g_canvasView.viewHeight + 2, TRUE);
    if (g_appState.editHScrollBar)
        MoveWindow(g_appState.editHScrollBar, o.x - 1, o.y - hs - 4, g_canvasView.viewWidth + 2, hs, TRUE);
}

void SetCanvasViewSize(LPARAM size)
{
    if (size == 0) {
        ReleaseViewBitmap();
        g_canvasView.bufferWidth = g_canvasView.bufferHeight = 0;
        g_canvasView.viewWidth = g_canvasView.viewHeight = 0;
        g_canvasView.viewColorCount = 0;
        return;
    }
    const int width = ClampViewSize(LOWORD(size), g_appState.frameWidth);
    const int height = ClampViewSize(HIWORD(size), g_appState.frameHeight);
    if (width != g_canvasView.bufferWidth || height != g_canvasView.bufferHeight ||
        g_canvasView.viewColorCount != g_appState.colorCount) {
        g_canvasView.bufferWidth = width;
        g_canvasView.bufferHeight = height;
        // Without a frame size there is nothing to show, and no limit to the
        // size asked for: the buffer waits for the frames.
        if (!ViewBitmapFits(width, height) && g_appState.frameWidth > 0 && g_appState.frameHeight > 0) {
            ReleaseViewBitmap();
            g_canvasView.viewBitmap = CreateFrameBitmap(width + 1, height);
            if (g_canvasView.viewBitmap) SetBitmapDimensionEx(g_canvasView.viewBitmap, width, height, nullptr);
            g_canvasView.viewColorCount = g_canvasView.viewBitmap ? g_appState.colorCount : 0;
            SelectViewBitmap();
            g_canvasView.needsRender = 1;
        }
        if (IsOnionSkinOn()) MakeOnionSkinBuffers();
    }
    PlaceCanvasScrollBars();
    g_canvasView.softUndoOpen = 0;
}

void RelayoutCanvas()
{
    HWND canvas = g_appState.frameEditorWindow;
    const int zoom = ZoomShift();
    const CanvasLayout l = ComputeCanvasLayout(g_canvasView.bufferWidth, g_canvasView.bufferHeight,
                                               g_appState.frameWidth, g_appState.frameHeight, zoom);
    g_canvasView.viewWidth = l.viewWidth;
    g_canvasView.viewHeight = l.viewHeight;
    g_appState.editScrollMaxX = l.maxScrollX;
    g_appState.editScrollMaxY = l.maxScrollY;
    g_canvasView.cellSize = CellSizeFor(zoom, g_appState.showGrid);
    SelectViewBitmap();
    g_appState.editScrollX = std::clamp(g_appState.editScrollX, 0, l.maxScrollX);
    g_appState.editScrollY = std::clamp(g_appState.editScrollY, 0, l.maxScrollY);
    InvalidateFrameEditor(1);
    if (!canvas) return;
    const POINT o = CanvasOrigin(canvas);
    MoveWindow(canvas, o.x - 1, o.y - 1, l.viewWidth + 2, l.viewHeight + 2, TRUE);
    SetScrollBar(g_appState.editHScrollBar, g_appState.frameWidth, l.pageX, g_appState.editScrollX, l.hBarShown);
    SetScrollBar(g_appState.editVScrollBar, g_appState.frameHeight, l.pageY, g_appState.editScrollY, l.vBarShown);
    PlaceCanvasScrollBars();
}

void UpdateGridBrushes()
{
    const int zoom = ZoomShift();
    if (g_appState.showGrid && zoom >= 2) {
        g_appState.gridBackgroundBrush = g_appState.patternBrushes[GRID_ZOOM_4 + zoom - 2];
        g_appState.gridBrush = g_appState.patternBrushes[ONION_ZOOM_4 + zoom - 2];
    } else {
        g_appState.gridBackgroundBrush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        g_appState.gridBrush = g_appState.patternBrushes[ONION_PLAIN];
    }
    g_canvasView.cellSize = CellSizeFor(zoom, g_appState.showGrid);
    if (g_appState.canvasDC) SetBrushOrgEx(g_appState.canvasDC, 0, 0, nullptr);
}

void SetFrameEditorZoom(int zoomShift, int center)
{
    const int oldZoom = ZoomShift();
    POINT keep{g_appState.editScrollX + (g_canvasView.viewWidth >> oldZoom) / 2,
               g_appState.editScrollY + (g_canvasView.viewHeight >> oldZoom) / 2};
    const PaintTool& tool = PaintToolFor(g_appState.currentTool);
    POINT toolPoint{};
    if (tool.keptPoint && tool.keptPoint(&toolPoint)) keep = toolPoint;
    g_appState.zoomShift = std::clamp(zoomShift, 0, 3);
    UpdateGridBrushes();
    if (g_appState.frameEditorWindow)
        SendMessageA(g_appState.frameEditorWindow, EDIT_RELAYOUT, 0, 0);
    else
        RelayoutCanvas();
    if (center) CenterFrameEditorOn(keep.x, keep.y);
    g_canvasView.softUndoOpen = 0;
    InvalidateFrameEditor(1);
}

void CenterFrameEditorOn(int frameX, int frameY)
{
    const int zoom = ZoomShift();
    const int x = std::clamp(frameX - (g_canvasView.viewWidth >> zoom) / 2, 0, std::max(g_appState.editScrollMaxX, 0));
    const int y = std::clamp(frameY - (g_canvasView.viewHeight >> zoom) / 2, 0, std::max(g_appState.editScrollMaxY, 0));
    const bool moved = x != g_appState.editScrollX || y != g_appState.editScrollY;
    g_appState.editScrollX = x;
    g_appState.editScrollY = y;
    SetScrollPositions();
    if (moved) InvalidateFrameEditor(1);
}

int ScrollFrameEditor(int dx, int dy, bool force)
{
    dx = ClampScrollDelta(g_appState.editScrollX, dx, g_appState.editScrollMaxX);
    dy = ClampScrollDelta(g_appState.editScrollY, dy, g_appState.editScrollMaxY);
    if (dx == 0 && dy == 0) return 0;
    g_appState.editScrollX += dx;
    g_appState.editScrollY += dy;
    g_canvasView.pointX += dx;
    g_canvasView.pointY += dy;
    const int zoom = ZoomShift();
    const bool small = std::abs(dx) <= ScrollStep(g_canvasView.viewWidth, zoom) &&
                       std::abs(dy) <= ScrollStep(g_canvasView.viewHeight, zoom);
    if (g_canvasView.viewBitmap && g_appState.canvasDC) {
        if (small && !force && !g_canvasView.needsRender)
            ScrollViewBuffer(dx, dy);
        else
            RenderView();
    } else {
        g_canvasView.needsRender = 1;
    }
    g_canvasView.softUndoOpen = 0;
    SetScrollPositions();
    if (HWND canvas = g_appState.frameEditorWindow) {
        InvalidateRect(canvas, nullptr, g_canvasView.needsRender ? TRUE : FALSE);
        UpdateWindow(canvas);
    }
    return 1;
}

int ScrollByBar(bool horizontal, WPARAM wParam)
{
    const int zoom = ZoomShift();
    const int position = horizontal ? g_appState.editScrollX : g_appState.editScrollY;
    const int maximum = horizontal ? g_appState.editScrollMaxX : g_appState.editScrollMaxY;
    const int step = ScrollStep(horizontal ? g_canvasView.viewWidth : g_canvasView.viewHeight, zoom);
    const int delta = ScrollBarDelta(LOWORD(wParam), HIWORD(wParam), position, maximum, step);
    return ScrollFrameEditor(horizontal ? delta : 0, horizontal ? 0 : delta, false);
}

int ScrollByWheel(WPARAM wParam)
{
    const bool horizontal = (LOWORD(wParam) & MK_CONTROL) != 0;
    if (horizontal != (g_canvasView.wheelHorizontal != 0)) g_canvasView.wheelRemainder = 0;
    g_canvasView.wheelHorizontal = horizontal;
    const int steps = WheelSteps(static_cast<short>(HIWORD(wParam)), &g_canvasView.wheelRemainder);
    if (steps == 0) return 0;
    const int step = ScrollStep(horizontal ? g_canvasView.viewWidth : g_canvasView.viewHeight, ZoomShift());
    const int scroll = -steps * step;
    return ScrollFrameEditor(horizontal ? scroll : 0, horizontal ? 0 : scroll, false);
}

int GetFrameEditorSize(int kind)
{
    switch (kind) {
    case 0: return g_canvasView.bufferWidth;
    case 1: return g_canvasView.bufferHeight;
    case 2: return g_canvasView.viewWidth;
    case 3: return g_canvasView.viewHeight;
    default: return 0;
    }
}
