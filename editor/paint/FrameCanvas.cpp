// The frame canvas's window procedure: its mouse protocol (pixels, drags,
// cancel, auto-scroll), keys (pixel cursor, modifiers, Esc), painting of the
// view buffer with the tool's overlay, and its frame.
#include "FrameCanvas.h"
#include "AppState.h"
#include "CanvasLayout.h"
#include "CanvasMath.h"
#include "CanvasTools.h"
#include "FrameSelection.h"
#include "GdiGuards.h"
#include "OnionSkin.h"
#include "PaintHost.h"
#include "PaintResources.h"
#include "PaintTools.h"
#include "ViewRender.h"
#include <algorithm>
#include <climits>
#include <cstring>

CanvasView g_canvasView{};

namespace {

constexpr LPARAM KEY_NOT_FOR_CURSOR = 1 << 28;   // key data bit 28: arrows the pixel cursor leaves alone
constexpr LPARAM KEY_WAS_DOWN = 1 << 30;         // key data bit 30: a repeat
constexpr int LAST_TOOL_WITH_TEXT_REFRESH = TOOL_TEXT;

int Zoom() { return std::clamp(g_appState.zoomShift, 0, 3); }

HINSTANCE ResourceModule()
{
    return g_appState.instanceHandle ? g_appState.instanceHandle : GetModuleHandleA(nullptr);
}

void ForgetLastPixel() { g_canvasView.lastPixelX = g_canvasView.lastPixelY = INT_MIN; }

// Sets cursorX/Y and pointX/Y from a mouse message; false when the pixel is
// the one the move handling last ran for.
bool TakePixel(LPARAM lParam)
{
    const POINT pixel = PixelFromLParam(lParam, Zoom());
    const bool changed = pixel.x != g_canvasView.lastPixelX || pixel.y != g_canvasView.lastPixelY;
    g_canvasView.lastPixelX = g_canvasView.cursorX = pixel.x;
    g_canvasView.lastPixelY = g_canvasView.cursorY = pixel.y;
    g_canvasView.pointX = pixel.x + g_appState.editScrollX;
    g_canvasView.pointY = pixel.y + g_appState.editScrollY;
    return changed;
}

void ShowPosition()
{
    if (g_paintHost.updateStatusBar)
        g_paintHost.updateStatusBar(2, MAKELONG(g_canvasView.pointX, g_canvasView.pointY));
}

WPARAM CurrentKeyState()
{
    WPARAM keys = 0;
    if (GetKeyState(VK_CONTROL) < 0) keys |= MK_CONTROL;
    if (GetKeyState(VK_SHIFT) < 0) keys |= MK_SHIFT;
    if (GetKeyState(VK_LBUTTON) < 0) keys |= MK_LBUTTON;
    return keys;
}

bool CursorInClient(HWND window, POINT* client)
{
    POINT p;
    if (!GetCursorPos(&p)) return false;
    if (WindowFromPoint(p) != window) return false;
    ScreenToClient(window, &p);
    *client = p;
    return true;
}

void StopAutoScroll(HWND window)
{
    if (g_canvasView.autoScrollTimer) KillTimer(window, AUTO_SCROLL_TIMER);
    g_canvasView.autoScrollTimer = 0;
}

// ---- the mouse ------------------------------------------------------------------

void OnButtonDown(HWND window, WPARAM keys, LPARAM lParam)
{
    const int tool = g_appState.currentTool;
    g_canvasView.toolAtButtonDown = tool;
    TakePixel(lParam);
    g_appState.ignoreNextButtonUp = 0;
    g_appState.framePickMode = 0;  // a click into the canvas ends a pending film pick
    g_selection.dirty = {g_canvasView.pointX, g_canvasView.pointY, g_canvasView.pointX, g_canvasView.pointY};
    const PaintTool* handlers;
    int capture = 0;
    if (IsTransformActive() && tool != TOOL_PLACE_AREA) {
        handlers = &TransformHandlers();
        if (handlers->buttonDown) capture = handlers->buttonDown(window, keys);
    } else {
        handlers = &PaintToolFor(tool);
        LoadPaintString(IDS_TOOL_STATUS_BASE + tool, g_canvasView.statusFormat, sizeof g_canvasView.statusFormat);
        ShowStatusFormatIfPlain();
        g_canvasView.colorRole = (keys & MK_SHIFT) ? STROKE_TRANSPARENT : (keys & MK_RBUTTON) ? STROKE_FILL : STROKE_PEN;
        if (handlers->buttonDown) capture = handlers->buttonDown(window, keys);
        g_canvasView.lastButtons = static_cast<uint16_t>(keys);
    }
    if (capture) {
        SetCapture(window);
        g_canvasView.dragging = 1;
        g_canvasView.dragTool = handlers;
    }
}

void OnMouseMove(HWND window, WPARAM keys, LPARAM lParam)
{
    if (!g_canvasView.dragging && g_canvasView.repaintOnMove) InvalidateFrameEditor(-1);
    if (!TakePixel(lParam) && keys != EDIT_FORCED_MOVE) return;
    if (g_canvasView.dragging) {
        const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
        const bool outside = x < 0 || y < 0 || x >= g_canvasView.viewWidth || y >= g_canvasView.viewHeight;
        if (outside && !g_canvasView.autoScrollTimer) {
            SetTimer(window, AUTO_SCROLL_TIMER, AUTO_SCROLL_MS, nullptr);
            g_canvasView.autoScrollTimer = 1;
        } else if (!outside) {
            StopAutoScroll(window);
        }
        if (g_canvasView.dragTool && g_canvasView.dragTool->move) {
            WindowDc dc(window);
            g_canvasView.dragTool->move(window, dc.Get(), keys, 1);
        }
        ShowPosition();
        return;
    }
    ShowPosition();
    const int tool = g_appState.currentTool;
    const PaintTool& handlers = PaintToolFor(tool);
    HCURSOR cursor = nullptr;
    if (handlers.hoverCursor)
        cursor = handlers.hoverCursor(keys);
    else if (tool == TOOL_PLACE_AREA)
        cursor = g_canvasView.moveCursor;
    SetCanvasCursor(cursor);
}

// Ends a drag: commit 1 for a button-up, 0 for a cancel.
void EndDrag(HWND window, WPARAM keys, int commit)
{
    if (g_appState.ignoreNextButtonUp) {
        g_appState.ignoreNextButtonUp = 0;
        return;
    }
    ReleaseCapture();
    g_canvasView.dragging = 0;
    StopAutoScroll(window);
    const PaintTool* tool = g_canvasView.dragTool;
    g_canvasView.dragTool = nullptr;
    const int changed = tool && tool->buttonUp ? tool->buttonUp(window, keys, commit) : 0;
    if (changed) {
        if (g_paintHost.updateFilmThumbnail) g_paintHost.updateFilmThumbnail(HasFrameSelection());
        MarkSelectedFramesModified();
    }
    if (g_canvasView.toolAtButtonDown >= 0 && g_canvasView.toolAtButtonDown <= LAST_TOOL_WITH_TEXT_REFRESH &&
        g_paintHost.updateStatusBar)
        g_paintHost.updateStatusBar(4, 0);
    if (g_paintHost.updateMenuStates) g_paintHost.updateMenuStates();
}

void OnCancel(HWND window)
{
    if (g_canvasView.dragging) {
        EndDrag(window, CurrentKeyState(), 0);
        return;
    }
    const int tool = g_appState.currentTool;
    CancelToolOperation();
    if (tool == TOOL_PLACE_AREA) SetCanvasCursor(nullptr);
    if (g_appState.textToolDialog) SendMessageA(g_appState.textToolDialog, WM_COMMAND, IDCANCEL, 0);
}

int AutoScrollStep(HWND window)
{
    POINT p;
    if (!g_canvasView.dragging || !GetCursorPos(&p)) return 0;
    ScreenToClient(window, &p);
    const int dx = AutoScrollDistance(p.x, g_canvasView.viewWidth);
    const int dy = AutoScrollDistance(p.y, g_canvasView.viewHeight);
    // A pasted area being placed is drawn into the view: render it all.
    return ScrollFrameEditor(dx, dy, g_appState.currentTool == TOOL_PLACE_AREA);
}

// ---- keys -----------------------------------------------------------------------

void RefreshModifiers(HWND window)
{
    POINT p;
    if (!GetCursorPos(&p)) return;
    ScreenToClient(window, &p);
    ForgetLastPixel();
    SendMessageA(window, WM_MOUSEMOVE, CurrentKeyState(), MAKELPARAM(p.x, p.y));
}

void KeyboardCursor(HWND window, WPARAM key)
{
    const int tool = g_appState.currentTool;
    const bool textDialog = tool == TOOL_TEXT && g_appState.textToolDialog;
    const int zoom = Zoom(), factor = 1 << zoom;
    POINT p{};
    if (textDialog) {
        // The arrows move the text position instead of the mouse.
        const PaintTool& text = PaintToolFor(TOOL_TEXT);
        POINT framePoint{};
        if (!text.keptPoint || !text.keptPoint(&framePoint)) return;
        p = {(framePoint.x - g_appState.editScrollX) << zoom, (framePoint.y - g_appState.editScrollY) << zoom};
    } else if (!CursorInClient(window, &p)) {
        return;
    }
    if (key == VK_RETURN) {
        if (textDialog)
            SendMessageA(g_appState.textToolDialog, WM_COMMAND, IDOK, 0);
        else if (tool == TOOL_TEXT)
            SendMessageA(window, EDIT_MOUSE_DOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        return;
    }
    const bool horizontal = key == VK_LEFT || key == VK_RIGHT;
    const int direction = key == VK_LEFT || key == VK_UP ? -1 : 1;
    LONG& position = horizontal ? p.x : p.y;
    const KeyCursorMove move =
        KeyCursorStep(position, direction, factor, horizontal ? g_canvasView.viewWidth : g_canvasView.viewHeight);
    position = move.position;
    if (move.scroll) ScrollFrameEditor(horizontal ? move.scroll : 0, horizontal ? 0 : move.scroll, false);
    p.x = CellMiddle(p.x, factor);
    p.y = CellMiddle(p.y, factor);
    POINT screen = p;
    ClientToScreen(window, &screen);
    if (textDialog) {
        SendMessageA(window, EDIT_MOUSE_DOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        if (g_canvasView.dragging) SetCursorPos(screen.x, screen.y);
    } else {
        SetCursorPos(screen.x, screen.y);
    }
}

void OnKeyDown(HWND window, WPARAM key, LPARAM data)
{
    switch (key) {
    case VK_RETURN:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        if (!(data & KEY_NOT_FOR_CURSOR)) KeyboardCursor(window, key);
        break;
    case VK_SHIFT:
    case VK_CONTROL:
        if (!(data & KEY_WAS_DOWN)) RefreshModifiers(window);
        break;
    case VK_ESCAPE:
        SendMessageA(window, EDIT_CANCEL, 0, 0);
        break;
    default:
        break;
    }
}

// ---- painting ----------------------------------------------------------------------

void PaintOverlay(HDC dc)
{
    const bool areaSelected = g_paintHost.testSelectionState && g_paintHost.testSelectionState(AREA_SELECTED);
    if (areaSelected && IsTransformActive()) {
        const PaintTool& transform = TransformHandlers();
        if (transform.paintOverlay) transform.paintOverlay(dc);
        return;
    }
    const PaintTool& tool = PaintToolFor(g_appState.currentTool);
    if (tool.paintOverlay)
        tool.paintOverlay(dc);
    else if (g_paintHost.setSelectionState)
        g_paintHost.setSelectionState(0);
}

void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    HPALETTE oldPalette = nullptr;
    if (g_appState.documentPalette) {
        oldPalette = SelectPalette(dc, g_appState.documentPalette, FALSE);
        RealizePalette(dc);
    }
    if (g_canvasView.viewBitmap && g_appState.canvasDC)
        BitBlt(dc, 0, 0, g_canvasView.viewWidth, g_canvasView.viewHeight, g_appState.canvasDC, 0, 0, SRCCOPY);
    else
        FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (g_canvasView.dragging && g_canvasView.autoScrollTimer) {
        // The view scrolled under the preview: the tool draws it again.
        if (g_canvasView.dragTool && g_canvasView.dragTool->move)
            g_canvasView.dragTool->move(window, dc, CurrentKeyState(), 0);
        ShowPosition();
    } else if (!g_canvasView.dragging) {
        PaintOverlay(dc);
    }
    if (oldPalette) SelectPalette(dc, oldPalette, TRUE);
    g_canvasView.repaintOnMove = 0;
    EndPaint(window, &paint);
}

void OnEraseBackground()
{
    if (!g_canvasView.needsRender) return;
    HCURSOR previous = nullptr;
    const bool slow = g_appState.zoomShift > 0 && IsOnionSkinOn();
    if (slow) previous = SetCursor(g_appState.waitCursor ? g_appState.waitCursor : LoadCursorA(nullptr, IDC_WAIT));
    RenderView();
    if (slow) SetCursor(previous);
}

// One pixel round the view: light grey, black top and left with option
// EditBorder, and light grey bottom and right while the grid is shown (the
// last grid line is dark already).
void PaintFrameEdges(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC dc = GetWindowDC(window);
    if (!dc) return;
    auto grey = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    HBRUSH topLeft = (g_appState.optionFlags & OPTION_EDIT_BORDER) ? static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)) : grey;
    HBRUSH bottomRight = g_appState.showGrid && Zoom() >= 2 ? grey : topLeft;
    const RECT top = {0, 0, w, 1}, left = {0, 0, 1, h}, bottom = {0, h - 1, w, h}, right = {w - 1, 0, w, h};
    FillRect(dc, &top, topLeft);
    FillRect(dc, &left, topLeft);
    FillRect(dc, &bottom, bottomRight);
    FillRect(dc, &right, bottomRight);
    ReleaseDC(window, dc);
}

HCURSOR LoadCanvasCursor(int id)
{
    return static_cast<HCURSOR>(LoadImageA(ResourceModule(), MAKEINTRESOURCEA(id), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
}

void OnCreate(HWND window)
{
    g_appState.frameEditorWindow = window;
    g_canvasView.dragging = 0;
    g_canvasView.dragTool = nullptr;
    g_canvasView.viewColorCount = 0;
    g_canvasView.moveCursor = LoadCanvasCursor(IDC_CANVAS_MOVE);
    g_canvasView.handleCursor = LoadCanvasCursor(IDC_CANVAS_HANDLE);
    ForgetLastPixel();
    InstallPaintTools();
}

void OnDestroy(HWND window)
{
    if (g_appState.frameEditorWindow == window) g_appState.frameEditorWindow = nullptr;
    for (int tool = 0; tool <= TOOL_PLACE_AREA; ++tool) {
        const PaintTool& handlers = PaintToolFor(tool);
        if (IsPaintTool(tool) && handlers.release) handlers.release();
    }
    FreeGradatedBrushes();
    FreeOnionSkinBuffers();
    SetCanvasViewSize(0);
    for (HCURSOR* cursor : {&g_canvasView.moveCursor, &g_canvasView.handleCursor}) {
        if (*cursor) DestroyCursor(*cursor);
        *cursor = nullptr;
    }
    g_canvasView.toolCursor = nullptr;
    g_canvasView.dragging = 0;
    g_canvasView.dragTool = nullptr;
    g_canvasView.autoScrollTimer = 0;
}

}  // namespace

LRESULT CALLBACK FrameEditorWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        return 0;
    case WM_DESTROY:
        OnDestroy(window);
        return 0;
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_ERASEBKGND:
        OnEraseBackground();
        return 1;
    case WM_SETCURSOR: {
        HWND over = reinterpret_cast<HWND>(wParam);
        if (g_canvasView.toolCursor && (over == window || IsChild(window, over))) {
            SetCursor(g_canvasView.toolCursor);
            return TRUE;
        }
        break;
    }
    case WM_NCPAINT:
        PaintFrameEdges(window);
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(window, wParam, lParam);
        return 0;
    case WM_KEYUP:
        if (wParam == VK_SHIFT || wParam == VK_CONTROL) RefreshModifiers(window);
        return 0;
    case WM_TIMER:
        if (wParam == SPRAY_TIMER) {
            const PaintTool& tool = PaintToolFor(g_appState.currentTool);
            if (tool.timer) tool.timer(window);
        } else if (wParam == AUTO_SCROLL_TIMER && !AutoScrollStep(window)) {
            StopAutoScroll(window);
        }
        return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
        ScrollByBar(message == WM_HSCROLL, wParam);
        return 0;
    case WM_MOUSEWHEEL:
        ScrollByWheel(wParam);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(window, wParam, lParam);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        if (g_canvasView.dragging)
            SendMessageA(window, EDIT_CANCEL, 0, 0);
        else
            OnButtonDown(window, wParam, lParam);
        return 0;
    case EDIT_MOUSE_DOWN:
        OnButtonDown(window, wParam, lParam);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        if (g_canvasView.dragging)
            EndDrag(window, wParam, 1);
        else
            g_appState.ignoreNextButtonUp = 0;
        return 0;
    case EDIT_RELAYOUT:
        RelayoutCanvas();
        return 0;
    case EDIT_SET_VIEW_SIZE:
        SetCanvasViewSize(lParam);
        return 0;
    case EDIT_COLORS_CHANGED: {
        const PaintTool& tool = PaintToolFor(g_appState.currentTool);
        if (tool.viewPicture && tool.viewPicture() && tool.refreshPicture) tool.refreshPicture(1);
        [[fallthrough]];
    }
    case EDIT_GRADATION_CHANGED:
    case EDIT_PEN_SIZE_CHANGED:
        RebuildGradatedBrushes();
        g_canvasView.softUndoOpen = 0;
        return 0;
    case EDIT_SELECT_TOOL:
        if (IsPaintTool(static_cast<int>(wParam)))
            SelectCanvasTool(static_cast<int>(wParam), static_cast<short>(LOWORD(lParam)), HIWORD(lParam) != 0);
        return 0;
    case EDIT_CANCEL:
        OnCancel(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
