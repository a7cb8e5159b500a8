// The area selection (see AreaSelection.h): the rectangle and lasso tools,
// moving the area with the mouse, and placing a pasted area.
#include "AreaSelection.h"
#include "AppState.h"
#include "CanvasTools.h"
#include "Clipboard.h"
#include "FrameCanvas.h"
#include "GdiGuards.h"
#include "PaintHost.h"
#include "PaintResources.h"
#include "PaintTools.h"
#include "Palette.h"
#include "Undo.h"
#include "ViewRender.h"
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <vector>

AreaSelectionState g_areaSelection{};

namespace {

constexpr UINT CMD_CUT = 203, CMD_COPY = 204, CMD_PASTE = 205;
constexpr int HANDLE_SIZES[4] = {5, 7, 9, 11};
constexpr int HANDLE_OFFSETS[4] = {2, 2, 3, 2};
constexpr int HANDLE_NEW_RECTANGLE = -1;

AreaSelectionState& S() { return g_areaSelection; }

int Zoom() { return std::clamp(g_appState.zoomShift, 0, 3); }

int ClampTo(int value, int limit) { return std::clamp(value, 0, std::max(limit - 1, 0)); }

POINT ClampToFrame(POINT p) { return {ClampTo(p.x, g_appState.frameWidth), ClampTo(p.y, g_appState.frameHeight)}; }

POINT MousePoint() { return {g_canvasView.pointX, g_canvasView.pointY}; }

int SelectionWord() { return g_paintHost.testSelectionState ? g_paintHost.testSelectionState(~0) : 0; }

bool AreaSelected() { return (SelectionWord() & AREA_SELECTED) != 0; }

void SetAreaBit(bool on)
{
    if (!g_paintHost.setSelectionState) return;
    const int word = SelectionWord();
    g_paintHost.setSelectionState(on ? word | AREA_SELECTED : word & ~AREA_SELECTED);
}

void UpdateMenus()
{
    if (g_paintHost.updateMenuStates) g_paintHost.updateMenuStates();
}

RECT NormalRect()
{
    const AreaSelectionState& s = S();
    return {std::min(s.x1, s.x2), std::min(s.y1, s.y2), std::max(s.x1, s.x2), std::max(s.y1, s.y2)};
}

bool InsideSelection(POINT p)
{
    const RECT r = NormalRect();
    return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom;
}

// ---- drawing ----------------------------------------------------------------------

// The view position of the middle of a frame pixel.
POINT ViewPointOf(POINT frame)
{
    const int zoom = Zoom();
    return {((frame.x - g_appState.editScrollX) << zoom) + g_canvasView.cellSize / 2,
            ((frame.y - g_appState.editScrollY) << zoom) + g_canvasView.cellSize / 2};
}

// The view as rendered, without anything drawn over it.
void RestoreView(HDC dc)
{
    if (g_appState.canvasDC && g_canvasView.viewBitmap)
        BitBlt(dc, 0, 0, g_canvasView.viewWidth, g_canvasView.viewHeight, g_appState.canvasDC, 0, 0, SRCCOPY);
}

COLORREF OutlineColor()
{
    PALETTEENTRY last{255, 255, 255, 0};
    if (g_appState.documentPalette) {
        const UINT count = GetPaletteEntries(g_appState.documentPalette, 0, 0, nullptr);
        if (count > 0) GetPaletteEntries(g_appState.documentPalette, count - 1, 1, &last);
    }
    return RGB(last.peRed, last.peGreen, last.peBlue);
}

}  // namespace

void DrawSelectionPolyline(HDC dc, const POINT* frame, int count, bool closed)
{
    if (!dc || count <= 0) return;
    std::vector<POINT> view;
    view.reserve(static_cast<size_t>(count) + 1);
    for (int i = 0; i < count; ++i) view.push_back(ViewPointOf(frame[i]));
    if (closed && count > 2) view.push_back(view[0]);
    const int n = static_cast<int>(view.size());
    const int zoom = Zoom();
    HPEN pen = zoom == 0 ? CreatePen(PS_DOT, 1, OutlineColor())
                         : CreatePen(PS_INSIDEFRAME, std::max(g_canvasView.cellSize / 2, 1), OutlineColor());
    const int oldRop = SetROP2(dc, R2_XORPEN);
    {
        SelectedObject usePen(dc, pen);
        if (n == 1) {
            MoveToEx(dc, view[0].x, view[0].y, nullptr);
            LineTo(dc, view[0].x + 1, view[0].y);
        } else {
            Polyline(dc, view.data(), n);
        }
    }
    SetROP2(dc, oldRop);
    DeleteObject(pen);
}

int SelectionHandleSize(int zoomShift) { return HANDLE_SIZES[std::clamp(zoomShift, 0, 3)]; }
int SelectionHandleOffset(int zoomShift) { return HANDLE_OFFSETS[std::clamp(zoomShift, 0, 3)]; }

RECT SelectionHandleRect(POINT frame)
{
    const int zoom = Zoom();
    const int size = SelectionHandleSize(zoom), offset = SelectionHandleOffset(zoom);
    // The point's view position is the top left of its enlarged pixel.
    const int x = ((frame.x - g_appState.editScrollX) << zoom) - offset;
    const int y = ((frame.y - g_appState.editScrollY) << zoom) - offset;
    return {x, y, x + size, y + size};
}

void DrawSelectionHandle(HDC dc, POINT frame)
{
    const RECT r = SelectionHandleRect(frame);
    if (r.left < -8 || r.top < -8 || r.left > g_canvasView.viewWidth || r.top > g_canvasView.viewHeight) return;
    const int size = r.right - r.left;
    PatBlt(dc, r.left, r.top, size, size, BLACKNESS);
    PatBlt(dc, r.left + 1, r.top + 1, size - 2, size - 2, WHITENESS);
    PatBlt(dc, r.left + 2, r.top + 2, size - 4, size - 4, BLACKNESS);
    if (size > 6 && g_appState.canvasDC)
        BitBlt(dc, r.left + 3, r.top + 3, size - 6, size - 6, g_appState.canvasDC, r.left + 3, r.top + 3, SRCCOPY);
}

bool HandleHit(POINT handle, POINT p)
{
    const int reach = 3 - Zoom();
    return std::abs(p.x - handle.x) <= reach && std::abs(p.y - handle.y) <= reach;
}

int HitHandle(const POINT* handles, int count, POINT p)
{
    for (int i = 0; i < count; ++i)
        if (HandleHit(handles[i], p)) return i;
    return -1;
}

RECT PointBounds(const POINT* points, int count)
{
    if (count <= 0) return {0, 0, -1, -1};
    RECT r{points[0].x, points[0].y, points[0].x, points[0].y};
    for (int i = 1; i < count; ++i) {
        r.left = std::min(r.left, points[i].x);
        r.top = std::min(r.top, points[i].y);
        r.right = std::max(r.right, points[i].x);
        r.bottom = std::max(r.bottom, points[i].y);
    }
    return r;
}

namespace {

// The rectangle's corners as handles 1..4: (x1, y1), (x2, y1), (x2, y2), (x1, y2).
struct Corners {
    POINT at[4];
};

Corners RectangleCorners()
{
    const AreaSelectionState& s = S();
    return {{{s.x1, s.y1}, {s.x2, s.y1}, {s.x2, s.y2}, {s.x1, s.y2}}};
}

// The corner handle (1..4) under the point while the handles are shown, else 0.
int CornerUnder(POINT p)
{
    if (!AreaSelected() || !g_selection.selectionOutlineShown) return 0;
    return HitHandle(RectangleCorners().at, 4, p) + 1;
}

int LassoCount() { return std::clamp(g_selection.selectionPointCount, 0, MAX_SELECTION_POINTS); }

void DrawRectangleOutline(HDC dc, bool handles)
{
    const Corners corners = RectangleCorners();
    DrawSelectionPolyline(dc, corners.at, 4, true);
    if (handles)
        for (const POINT& c : corners.at) DrawSelectionHandle(dc, c);
}

void DrawLasso(HDC dc, bool handles)
{
    const int count = LassoCount();
    DrawSelectionPolyline(dc, g_selection.selectionPoints, count, true);
    if (handles)
        for (int i = 0; i < count; ++i) DrawSelectionHandle(dc, g_selection.selectionPoints[i]);
}

// The mouse onto the middle of a frame pixel's cell, unless it is there.
void MoveMouseOnto(HWND canvas, POINT frame)
{
    if (!canvas || (frame.x == g_canvasView.pointX && frame.y == g_canvasView.pointY)) return;
    POINT p = ViewPointOf(frame);
    ClientToScreen(canvas, &p);
    SetCursorPos(p.x, p.y);
}

void ShowSelectedStatus()
{
    const RECT r = NormalRect();
    ShowStatusString(IDS_STATUS_AREA_SELECTED, r.left, r.top, r.right, r.bottom, r.right - r.left + 1,
                     r.bottom - r.top + 1);
}

// ---- move by mouse ---------------------------------------------------------------

constexpr WPARAM MOVE_KEY_BITS = MK_RBUTTON | MK_SHIFT | MK_CONTROL;

LPARAM ClientOf(POINT frame)
{
    const POINT v = ViewPointOf(frame);
    return MAKELPARAM(v.x, v.y);
}

}  // namespace

bool MoveAreaByMouse(HWND canvas, WPARAM keys)
{
    if (!AreaSelected() || !(keys & g_appState.moveKeys & MOVE_KEY_BITS)) return false;
    const POINT p = MousePoint();
    if (!InsideSelection(p) || !g_appState.mainWindow) return false;
    const bool copy = (keys & MK_CONTROL) != 0;
    const RECT area = NormalRect();
    SendMessageA(g_appState.mainWindow, WM_COMMAND, copy ? CMD_COPY : CMD_CUT, 0);
    SendMessageA(g_appState.mainWindow, WM_COMMAND, CMD_PASTE, 0);
    if (g_appState.currentTool != TOOL_PLACE_AREA) return true;
    AreaSelectionState& s = S();
    s.pasteFromCut = !copy;
    s.pastePlaced = 1;
    s.pasteX = area.left;
    s.pasteY = area.top;
    SendMessageA(canvas, EDIT_MOUSE_DOWN, keys, ClientOf(p));
    return true;
}

namespace {

// ---- tool 10 ------------------------------------------------------------------------

int RegionButtonDown(HWND canvas, WPARAM keys)
{
    AreaSelectionState& s = S();
    const POINT p = MousePoint();
    if (const int corner = CornerUnder(p)) {
        s.grabbedHandle = corner;
        MoveMouseOnto(canvas, RectangleCorners().at[corner - 1]);
        return 1;
    }
    if (MoveAreaByMouse(canvas, keys)) return 0;
    if (!(keys & MK_LBUTTON) || (keys & MK_RBUTTON)) return 0;
    InvalidateFrameEditor(0);  // the old outline goes
    SetAreaBit(false);
    ShowSelectionOutline(0);
    const POINT q = ClampToFrame(p);
    s.x1 = s.x2 = q.x;
    s.y1 = s.y2 = q.y;
    s.grabbedHandle = HANDLE_NEW_RECTANGLE;
    return 1;
}

void RegionMove(HWND, HDC dc, WPARAM keys, int erase)
{
    AreaSelectionState& s = S();
    const POINT p = ClampToFrame(MousePoint());
    // The moving corner and the fixed one opposite it.
    int *mx = &s.x2, *my = &s.y2;
    int fx = s.x1, fy = s.y1;
    switch (s.grabbedHandle) {
    case 1: mx = &s.x1; my = &s.y1; fx = s.x2; fy = s.y2; break;
    case 2: mx = &s.x2; my = &s.y1; fx = s.x1; fy = s.y2; break;
    case 4: mx = &s.x1; my = &s.y2; fx = s.x2; fy = s.y1; break;
    default: break;  // 3 and a new rectangle move (x2, y2)
    }
    POINT to = p;
    if (keys & MK_CONTROL) {
        const int dx = p.x - fx, dy = p.y - fy;
        const int side = (std::abs(dx) + std::abs(dy)) / 2;
        to = ClampToFrame({fx + (dx < 0 ? -side : side), fy + (dy < 0 ? -side : side)});
    }
    *mx = to.x;
    *my = to.y;
    if (erase) RestoreView(dc);
    DrawRectangleOutline(dc, true);
    ShowStatusString(IDS_STATUS_SELECT_REGION, std::abs(s.x2 - s.x1) + 1, std::abs(s.y2 - s.y1) + 1);
}

int RegionButtonUp(HWND, WPARAM, int commit)
{
    AreaSelectionState& s = S();
    const bool onePixel = s.x1 == s.x2 && s.y1 == s.y2;
    if (onePixel || (!commit && s.grabbedHandle == HANDLE_NEW_RECTANGLE)) {
        SetAreaBit(false);
        ShowSelectionOutline(0);
        InvalidateFrameEditor(0);
        return 0;
    }
    g_selection.selectionPointCount = 0;
    SetAreaBit(true);
    ShowSelectionOutline(1);
    InvalidateFrameEditor(0);
    ShowSelectedStatus();
    UpdateMenus();
    return 0;
}

void RegionOverlay(HDC dc)
{
    if (AreaSelected()) DrawRectangleOutline(dc, g_selection.selectionOutlineShown != 0);
}

HCURSOR RegionHover(WPARAM)
{
    const POINT p = MousePoint();
    if (CornerUnder(p)) return g_canvasView.handleCursor;
    if (AreaSelected() && (g_appState.moveKeys & 1) && InsideSelection(p)) return g_canvasView.moveCursor;
    return nullptr;
}

bool RegionKeptPoint(POINT* point)
{
    if (!AreaSelected()) return false;
    const RECT r = NormalRect();
    *point = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    return true;
}

// ---- tool 11 ------------------------------------------------------------------------

bool LassoFinished() { return g_selection.selectionOutlineShown && AreaSelected(); }

bool AreaBitAlone() { return SelectionWord() == AREA_SELECTED; }

void StartLasso(POINT p)
{
    AreaSelectionState& s = S();
    InvalidateFrameEditor(0);
    SetAreaBit(false);
    ShowSelectionOutline(0);
    g_selection.selectionPoints[0] = g_selection.selectionPoints[1] = p;
    g_selection.selectionPointCount = 2;
    s.grabbedHandle = 1;
    s.placingNode = 1;
}

// The lasso's bounding box becomes the selection; a single point clears it.
void TakeLassoBox()
{
    AreaSelectionState& s = S();
    const int count = LassoCount();
    if (count <= 0) return;
    const RECT box = PointBounds(g_selection.selectionPoints, count);
    if (box.left == box.right && box.top == box.bottom) {
        SetAreaBit(false);
        return;
    }
    s.x1 = box.left;
    s.y1 = box.top;
    s.x2 = box.right;
    s.y2 = box.bottom;
    SetAreaBit(true);
    ShowSelectedStatus();
    UpdateMenus();
}

int LassoButtonDown(HWND canvas, WPARAM keys)
{
    AreaSelectionState& s = S();
    const POINT p = ClampToFrame(MousePoint());
    const bool right = (keys & MK_RBUTTON) != 0;
    s.placingNode = 0;
    if (LassoFinished()) {
        const int node = HitHandle(g_selection.selectionPoints, LassoCount(), p);
        if (node >= 0) {
            s.grabbedHandle = node;
            g_selection.selectionPoints[node] = p;
            return 1;
        }
        if (AreaBitAlone() && MoveAreaByMouse(canvas, keys)) return 0;
        if (right) return 0;
        StartLasso(p);
        return 1;
    }
    if (right) {
        if ((g_appState.moveKeys & MK_RBUTTON) && AreaBitAlone() && MoveAreaByMouse(canvas, keys)) return 0;
        // The right button finishes an unfinished lasso, as Esc does.
        if (AreaSelected()) ShowSelectionOutline(1);
        return 0;
    }
    if (g_selection.selectionPointCount <= 0) {
        StartLasso(p);
        return 1;
    }
    const int index = std::min(g_selection.selectionPointCount, MAX_SELECTION_POINTS - 1);
    g_selection.selectionPoints[index] = p;
    g_selection.selectionPointCount = index + 1;
    s.grabbedHandle = index;
    s.placingNode = 1;
    return 1;
}

void LassoMove(HWND, HDC dc, WPARAM, int erase)
{
    AreaSelectionState& s = S();
    const int index = std::clamp(s.grabbedHandle, 0, MAX_SELECTION_POINTS - 1);
    g_selection.selectionPoints[index] = ClampToFrame(MousePoint());
    if (erase) RestoreView(dc);
    DrawLasso(dc, g_selection.selectionOutlineShown != 0);
    ShowStatusString(IDS_TOOL_STATUS_BASE + TOOL_SELECT_POLYGON, index);
}

int LassoButtonUp(HWND, WPARAM, int)
{
    AreaSelectionState& s = S();
    const int index = s.grabbedHandle;
    if (s.placingNode && index > 0 && index == g_selection.selectionPointCount - 1) {
        const POINT a = g_selection.selectionPoints[index], b = g_selection.selectionPoints[index - 1];
        if (a.x == b.x && a.y == b.y) --g_selection.selectionPointCount;
    }
    s.placingNode = 0;
    TakeLassoBox();
    InvalidateFrameEditor(0);
    return 0;
}

void LassoOverlay(HDC dc)
{
    if (g_selection.selectionPointCount > 0) DrawLasso(dc, LassoFinished());
}

HCURSOR LassoHover(WPARAM)
{
    const POINT p = MousePoint();
    if (LassoFinished() && HitHandle(g_selection.selectionPoints, LassoCount(), p) >= 0) return g_canvasView.handleCursor;
    if (AreaSelected() && (g_appState.moveKeys & 1) && InsideSelection(p)) return g_canvasView.moveCursor;
    return nullptr;
}

bool LassoKeptPoint(POINT* point)
{
    if (g_selection.selectionPointCount <= 0) return false;
    *point = g_selection.selectionPoints[LassoCount() - 1];
    return true;
}

void LassoCancel() { g_selection.selectionPointCount = 0; }

// ---- tool 32 ------------------------------------------------------------------------

RECT PasteRect()
{
    const AreaSelectionState& s = S();
    return {s.pasteX, s.pasteY, s.pasteX + s.pasteImage.width - 1, s.pasteY + s.pasteImage.height - 1};
}

void DrawPasteArea(HDC dc)
{
    const AreaSelectionState& s = S();
    if (!s.pastePlaced || !s.pasteImage.bitmap) return;
    const RECT r = PasteRect();
    if ((g_appState.optionFlags & OPTION_SHOW_FRAME_ON_INSERT) && g_appState.scratchDC) {
        const int zoom = Zoom();
        const int x = (r.left - g_appState.editScrollX) << zoom, y = (r.top - g_appState.editScrollY) << zoom;
        const int w = s.pasteImage.width << zoom, h = s.pasteImage.height << zoom;
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, s.pasteImage.bitmap);
        const TransparencyMask& m = s.pasteImage.transparency;
        if (m.mask) {
            HDC maskDc = CreateCompatibleDC(dc);
            HGDIOBJ oldMask = SelectObject(maskDc, m.mask);
            StretchBlt(dc, x, y, w, h, maskDc, 0, 0, s.pasteImage.width, s.pasteImage.height, m.firstRop);
            SelectObject(maskDc, oldMask);
            DeleteDC(maskDc);
            StretchBlt(dc, x, y, w, h, source, 0, 0, s.pasteImage.width, s.pasteImage.height, m.secondRop);
        } else {
            StretchBlt(dc, x, y, w, h, source, 0, 0, s.pasteImage.width, s.pasteImage.height, SRCCOPY);
        }
        SelectObject(source, old);
        DeleteDC(source);
        return;
    }
    const POINT corners[4] = {{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}};
    DrawSelectionPolyline(dc, corners, 4, true);
}

void ShowPasteStatus()
{
    const RECT r = PasteRect();
    ShowStatusString(IDS_STATUS_INSERT_AREA, r.left, r.top, r.right, r.bottom);
}

void BackToPreviousTool()
{
    const int back = g_appState.previousTool;
    SelectPaintToolOf(IsPaintTool(back) && back != TOOL_PLACE_AREA ? back : TOOL_FREEHAND);
}

int PlaceButtonDown(HWND canvas, WPARAM)
{
    AreaSelectionState& s = S();
    if (!s.pasteImage.bitmap && !GetClipboardImageWithMask(&s.pasteImage)) {
        s.pasteImage = {};
        BackToPreviousTool();
        return 0;
    }
    const POINT p = MousePoint();
    const RECT r = PasteRect();
    if (s.pastePlaced && p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom) {
        s.grabX = p.x - r.left;
        s.grabY = p.y - r.top;
    }
    s.pastePlaced = 1;
    s.pasteX = p.x - s.grabX;
    s.pasteY = p.y - s.grabY;
    WindowDc dc(canvas);
    RestoreView(dc.Get());
    DrawPasteArea(dc.Get());
    ShowPasteStatus();
    return 1;
}

void PlaceMove(HWND, HDC dc, WPARAM, int erase)
{
    AreaSelectionState& s = S();
    const POINT p = MousePoint();
    s.pasteX = p.x - s.grabX;
    s.pasteY = p.y - s.grabY;
    if (erase) RestoreView(dc);
    DrawPasteArea(dc);
    ShowPasteStatus();
}

// The floating area goes without being pasted; a cut that made it is undone.
void DropPasteArea()
{
    AreaSelectionState& s = S();
    const bool fromCut = s.pasteFromCut != 0;
    FreePasteBitmaps();
    s.pasteFromCut = 0;
    s.pastePlaced = 0;
    s.lassoCount = 0;
    if (fromCut) UndoRedo(1);
    SetAreaBit(false);
    InvalidateFrameEditor(1);
}

int PlaceButtonUp(HWND, WPARAM, int commit)
{
    AreaSelectionState& s = S();
    if (!commit) {
        DropPasteArea();
        BackToPreviousTool();
        return 1;
    }
    const RECT r = PasteRect();
    const int width = s.pasteImage.width, height = s.pasteImage.height;
    const int pasted = PasteClipboardIntoSelectedFrames(r.left, r.top, width, height, 1);
    // A lasso of the same size as the area moves with it.
    const bool lasso = s.lassoCount > 2 && s.lassoWidth == width && s.lassoHeight == height;
    const POINT shift{r.left - s.lassoLeft, r.top - s.lassoTop};
    POINT nodes[MAX_SELECTION_POINTS];
    const int count = lasso ? std::min(s.lassoCount, MAX_SELECTION_POINTS) : 0;
    for (int i = 0; i < count; ++i) nodes[i] = {s.lassoPoints[i].x + shift.x, s.lassoPoints[i].y + shift.y};
    FreePasteBitmaps();
    s.pasteFromCut = 0;
    s.pastePlaced = 0;
    s.lassoCount = 0;
    BackToPreviousTool();
    const int tool = g_appState.currentTool;
    if (tool == TOOL_SELECT_REGION || tool == TOOL_SELECT_POLYGON) {
        SetSelectionRect(r.left, r.top, r.right, r.bottom, 0);
        if (tool == TOOL_SELECT_POLYGON && count > 0) {
            std::copy(nodes, nodes + count, g_selection.selectionPoints);
            g_selection.selectionPointCount = count;
        }
        SetAreaBit(true);
        ShowSelectionOutline(1);
        UpdateMenus();
    }
    InvalidateFrameEditor(1);
    return pasted;
}

void PlaceOverlay(HDC dc) { DrawPasteArea(dc); }

HCURSOR PlaceHover(WPARAM) { return g_canvasView.moveCursor; }

bool PlaceKeptPoint(POINT* point)
{
    if (!S().pastePlaced) return false;
    const RECT r = PasteRect();
    *point = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    return true;
}

// Tool 32 left without a button-up (Esc, another tool): nothing is pasted.
void PlaceLeave(int)
{
    if (S().pasteImage.bitmap || S().pasteFromCut) DropPasteArea();
}

}  // namespace

// ---- the selection as others see it ---------------------------------------------------

int GetSelectionRect(RECT* rect, int flags)
{
    const RECT r = NormalRect();
    *rect = (flags & SELECTION_RECT_SIZE) ? RECT{r.left, r.top, r.right - r.left + 1, r.bottom - r.top + 1} : r;
    return SelectionWord() & AREA_SELECTED;
}

void SetSelectionRect(int x1, int y1, int x2, int y2, int flags)
{
    if (flags & SELECTION_SET_SIZE) {
        // A width or height below 1 still holds the corner's pixel; the sum
        // is taken wide, the frame limits it below.
        x2 = static_cast<int>(std::min<int64_t>(static_cast<int64_t>(x1) + std::max(x2, 1) - 1, INT_MAX));
        y2 = static_cast<int>(std::min<int64_t>(static_cast<int64_t>(y1) + std::max(y2, 1) - 1, INT_MAX));
    }
    AreaSelectionState& s = S();
    s.x1 = ClampTo(x1, g_appState.frameWidth);
    s.y1 = ClampTo(y1, g_appState.frameHeight);
    s.x2 = ClampTo(x2, g_appState.frameWidth);
    s.y2 = ClampTo(y2, g_appState.frameHeight);
    if (!(flags & SELECTION_KEEP_TRANSFORM) && IsTransformActive()) ResetTransformQuad();
}

bool HasSelection()
{
    if (S().transformHasArea) return true;
    return g_appState.currentTool == TOOL_SELECT_POLYGON && g_selection.selectionPointCount >= 2 && AreaSelected();
}

HBITMAP CreateLassoMask(const RECT& area)
{
    if (!HasSelection()) return nullptr;
    const int width = area.right - area.left + 1, height = area.bottom - area.top + 1;
    if (width <= 0 || height <= 0) return nullptr;
    HBITMAP mask = CreateBitmap(width, height, 1, 1, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    if (!mask || !dc) {
        if (mask) DeleteObject(mask);
        if (dc) DeleteDC(dc);
        return nullptr;
    }
    HGDIOBJ oldBitmap = SelectObject(dc, mask);
    PatBlt(dc, 0, 0, width, height, BLACKNESS);
    POINT nodes[MAX_SELECTION_POINTS];
    const int count = LassoCount();
    for (int i = 0; i < count; ++i)
        nodes[i] = {g_selection.selectionPoints[i].x - area.left, g_selection.selectionPoints[i].y - area.top};
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(WHITE_PEN));
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    Polygon(dc, nodes, count);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
    return mask;
}

void FreePasteBitmaps()
{
    AreaSelectionState& s = S();
    if (s.pasteImage.bitmap || s.pasteImage.transparency.mask) FreeClipboardImage(&s.pasteImage);
    s.pasteImage = {};
}

int PasteAreaCommand()
{
    int width = 0, height = 0;
    if (g_appState.frameCount <= 0 || !GetClipboardImageSize(&width, &height, nullptr)) return 0;
    AreaSelectionState& s = S();
    FreePasteBitmaps();
    s.grabX = width / 2;
    s.grabY = height / 2;
    s.pastePlaced = 0;
    s.pasteFromCut = 0;
    // The lasso the area may have come from: it moves with the area.
    s.lassoCount = 0;
    if (HasSelection()) {
        const RECT r = NormalRect();
        s.lassoCount = LassoCount();
        std::copy(g_selection.selectionPoints, g_selection.selectionPoints + s.lassoCount, s.lassoPoints);
        s.lassoLeft = r.left;
        s.lassoTop = r.top;
        s.lassoWidth = r.right - r.left + 1;
        s.lassoHeight = r.bottom - r.top + 1;
    }
    if (g_appState.currentTool != TOOL_PLACE_AREA) {
        g_appState.previousTool = g_appState.currentTool;
        SelectPaintToolOf(TOOL_PLACE_AREA);
    }
    return 1;
}

void InstallSelectionTools()
{
    PaintTool region{};
    region.buttonDown = RegionButtonDown;
    region.move = RegionMove;
    region.buttonUp = RegionButtonUp;
    region.paintOverlay = RegionOverlay;
    region.hoverCursor = RegionHover;
    region.keptPoint = RegionKeptPoint;
    region.release = FreePasteBitmaps;
    InstallPaintTool(TOOL_SELECT_REGION, region);

    PaintTool lasso{};
    lasso.buttonDown = LassoButtonDown;
    lasso.move = LassoMove;
    lasso.buttonUp = LassoButtonUp;
    lasso.paintOverlay = LassoOverlay;
    lasso.hoverCursor = LassoHover;
    lasso.keptPoint = LassoKeptPoint;
    lasso.cancel = LassoCancel;
    InstallPaintTool(TOOL_SELECT_POLYGON, lasso);

    PaintTool place{};
    place.buttonDown = PlaceButtonDown;
    place.move = PlaceMove;
    place.buttonUp = PlaceButtonUp;
    place.paintOverlay = PlaceOverlay;
    place.hoverCursor = PlaceHover;
    place.keptPoint = PlaceKeptPoint;
    place.leave = PlaceLeave;
    place.release = FreePasteBitmaps;
    InstallPaintTool(TOOL_PLACE_AREA, place);
}
