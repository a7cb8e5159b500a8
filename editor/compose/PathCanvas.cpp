// The path canvas: the animation window's picture with a margin, the nodes
// and segments of the path over it, and the mouse work on the nodes (adding,
// dragging, group selection, rubber band) and the strip's commands.
#include "AppState.h"
#include "ComposeCommon.h"
#include "DialogUtilities.h"
#include "DocumentModel.h"
#include "MainWindow.h"
#include "Palette.h"
#include "PathDialogResources.h"
#include "PathEditor.h"
#include "resource.h"
#include <algorithm>
#include <cstdlib>

namespace {

constexpr COLORREF MARGIN_GREY = RGB(208, 208, 208);
constexpr int MIN_MARGIN = 32;
constexpr uint8_t CENTRE_WINDOW = 0x08;
constexpr uint8_t CENTRE_FRAME = 0x04;

using TransparentBltProc = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);

// TransparentBlt lives in a library that may be missing: looked up once.
TransparentBltProc TransparentBltEntry()
{
    static TransparentBltProc entry = [] {
        HMODULE library = LoadLibraryA("msimg32.dll");
        return library ? reinterpret_cast<TransparentBltProc>(
                             reinterpret_cast<void*>(GetProcAddress(library, "TransparentBlt")))
                       : nullptr;
    }();
    return entry;
}

bool ShiftHeld() { return GetKeyState(VK_SHIFT) < 0; }
bool CtrlHeld() { return GetKeyState(VK_CONTROL) < 0; }

POINT ToWindow(const PathCanvas* s, POINT client)
{
    return {client.x + s->scroll.x - s->margin.cx, client.y + s->scroll.y - s->margin.cy};
}

POINT ToClient(const PathCanvas* s, POINT window)
{
    return {window.x - s->scroll.x + s->margin.cx, window.y - s->scroll.y + s->margin.cy};
}

// Dragged and added nodes stay within half a frame of the window.
POINT HoldInNodeArea(const PathCanvas* s, POINT p)
{
    const PathGeometry& g = s->geometry;
    return {std::clamp<LONG>(p.x, -g.frame.cx / 2, g.window.cx + g.frame.cx / 2),
            std::clamp<LONG>(p.y, -g.frame.cy / 2, g.window.cy + g.frame.cy / 2)};
}

// The frame rectangle of a node in window coordinates.
RECT FrameRectOf(const PathCanvas* s, const PathNode& node)
{
    const SIZE frame = s->geometry.frame;
    const bool centred = s->geometry.positionFlags & CENTRE_FRAME;
    const LONG left = node.x - (centred ? frame.cx / 2 : 0), top = node.y - (centred ? frame.cy / 2 : 0);
    return {left, top, left + frame.cx, top + frame.cy};
}

int ScrollPage(int range)
{
    return (range & ~3) > 12 ? range / 4 : 4;
}

// The margins and the scroll bars for the client's size.
void LayOut(HWND canvas, PathCanvas* s)
{
    RECT client;
    GetClientRect(canvas, &client);
    const SIZE w = s->geometry.window, f = s->geometry.frame;
    s->margin.cx = std::max({(client.right - w.cx) / 2, f.cx / 2, static_cast<LONG>(MIN_MARGIN)});
    s->margin.cy = std::max({(client.bottom - w.cy) / 2, f.cy / 2, static_cast<LONG>(MIN_MARGIN)});
    SetScrollArea(canvas, {w.cx + 2 * s->margin.cx, w.cy + 2 * s->margin.cy}, &s->scroll);
}

void Scroll(HWND canvas, PathCanvas* s, int bar, int code)
{
    ScrollBy(canvas, &s->scroll, bar, code, 4, [](int range, int) { return ScrollPage(range); });
}

// Scrolls so that the current node is in view.
void ShowCurrentNode(HWND canvas, PathCanvas* s)
{
    const PathNode* node = CurrentPathNode(s);
    if (!node) return;
    RECT client;
    GetClientRect(canvas, &client);
    const POINT at = ToClient(s, {node->x, node->y});
    if (at.x >= 8 && at.x < client.right - 8 && at.y >= 8 && at.y < client.bottom - 8) return;
    s->scroll.x += at.x - client.right / 2;
    s->scroll.y += at.y - client.bottom / 2;
    LayOut(canvas, s);
}

void DrawCurrentFrame(HDC dc, const PathCanvas* s)
{
    const PathNode* node = s->nodes.empty() ? nullptr : &s->nodes[s->current];
    if (!node || node->frame < 0 || node->frame >= g_appState.frameCount) return;
    HBITMAP frame = g_appState.frameBitmaps[node->frame];
    if (!frame) return;
    HDC source = CreateCompatibleDC(dc);
    if (!source) return;
    HGDIOBJ old = SelectObject(source, frame);
    if (old) {
        RECT r = FrameRectOf(s, *node);
        const POINT at = ToClient(s, {r.left, r.top});
        const SIZE size = s->geometry.frame;
        const uint8_t code = GetSequenceTransparentCode();
        if (code & TRANSPARENT_NONE) {
            BitBlt(dc, at.x, at.y, size.cx, size.cy, source, 0, 0, SRCCOPY);
        } else if (TransparentBltProc blt = TransparentBltEntry()) {
            const PALETTEENTRY& key = STATIC_COLORS[code & TRANSPARENT_STATIC_MASK];
            blt(dc, at.x, at.y, size.cx, size.cy, source, 0, 0, size.cx, size.cy, EntryColor(key));
        }
        SelectObject(source, old);
    }
    DeleteDC(source);
}

void DrawNodes(HDC dc, const PathCanvas* s)
{
    const int count = static_cast<int>(s->nodes.size());
    const int savedRop = SetROP2(dc, R2_NOT);
    for (int i = 0; i + 1 < count; ++i) {
        const POINT a = ToClient(s, {s->nodes[i].x, s->nodes[i].y});
        const POINT b = ToClient(s, {s->nodes[i + 1].x, s->nodes[i + 1].y});
        MoveToEx(dc, a.x, a.y, nullptr);
        LineTo(dc, b.x, b.y);
    }
    SetROP2(dc, savedRop);
    HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    HBRUSH grey = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    for (int i = 0; i < count; ++i) {
        const PathNode& node = s->nodes[i];
        const POINT at = ToClient(s, {node.x, node.y});
        const RECT square{at.x - 3, at.y - 3, at.x + 3, at.y + 3};
        const bool marked = i == s->current || node.selected;
        FillRect(dc, &square, marked ? grey : white);
        FrameRect(dc, &square, marked ? white : black);
    }
}

void PaintCanvas(HWND canvas, PathCanvas* s)
{
    PAINTSTRUCT paint;
    HDC target = BeginPaint(canvas, &paint);
    RECT client;
    GetClientRect(canvas, &client);
    HDC dc = CreateCompatibleDC(target);
    HBITMAP picture = dc ? CreateCompatibleBitmap(target, client.right, client.bottom) : nullptr;
    if (!picture) {
        if (dc) DeleteDC(dc);
        EndPaint(canvas, &paint);
        return;
    }
    HGDIOBJ oldBitmap = SelectObject(dc, picture);
    HPALETTE oldPalette = nullptr;
    if (g_appState.displayPalette) {
        oldPalette = SelectPalette(dc, g_appState.displayPalette, TRUE);
        RealizePalette(dc);
    }
    HBRUSH grey = CreateSolidBrush(MARGIN_GREY);
    FillRect(dc, &client, grey);
    DeleteObject(grey);
    const POINT origin = ToClient(s, {0, 0});
    if (s->background.dc) {
        BitBlt(dc, origin.x, origin.y, s->geometry.window.cx, s->geometry.window.cy, s->background.dc, 0, 0, SRCCOPY);
    } else {
        const RECT window{origin.x, origin.y, origin.x + s->geometry.window.cx, origin.y + s->geometry.window.cy};
        FillRect(dc, &window, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    DrawCurrentFrame(dc, s);
    DrawNodes(dc, s);
    if (s->drag == PathDrag::Band) {
        const POINT a = ToClient(s, {s->band.left, s->band.top}), b = ToClient(s, {s->band.right, s->band.bottom});
        RECT band{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1, std::max(a.y, b.y) + 1};
        DrawFocusRect(dc, &band);
    } else if (const PathNode* node = s->nodes.empty() ? nullptr : &s->nodes[s->current]) {
        const RECT r = FrameRectOf(s, *node);
        const POINT a = ToClient(s, {r.left, r.top});
        RECT frame{a.x, a.y, a.x + (r.right - r.left), a.y + (r.bottom - r.top)};
        DrawFocusRect(dc, &frame);
    }
    BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    if (oldPalette) SelectPalette(dc, oldPalette, TRUE);
    SelectObject(dc, oldBitmap);
    DeleteObject(picture);
    DeleteDC(dc);
    EndPaint(canvas, &paint);
}

void StoreFields(HWND canvas) { SendMessageA(GetParent(canvas), PATHDLG_STORE_FIELDS, 0, 0); }

// The dialog shows the current node again and the canvas is redrawn.
void Changed(HWND canvas, PathCanvas* s, bool nodesChanged)
{
    if (nodesChanged) s->modified = true;
    if (s->nodes.empty()) s->mode = PATH_ADD;
    s->current = std::clamp(s->current, 0, std::max(0, static_cast<int>(s->nodes.size()) - 1));
    SendMessageA(GetParent(canvas), PATHDLG_SHOW_NODE, 0, 0);
    InvalidateRect(canvas, nullptr, FALSE);
}

int ShownFrame(const PathCanvas* s) { return s->nodes.empty() ? -1 : s->nodes[s->current].frame; }

bool Create(HWND canvas, const PathCanvasStart& start)
{
    auto* s = new (std::nothrow) PathCanvas;
    if (!s) return false;
    s->forInsertion = start.forInsertion;
    s->geometry.window = GetAnimationWindowSize();
    s->geometry.frame = {g_appState.frameWidth, g_appState.frameHeight};
    s->geometry.positionFlags = g_document.animationSettings.positionFlags;
    s->frameCount = g_appState.frameCount;
    try {
        s->nodes.reserve(MAX_PATH_NODES);
        LoadPathNodes(*start.object, start.steps, start.count, s->geometry, &s->nodes, &s->options);
    } catch (const std::bad_alloc&) {
        delete s;
        return false;
    }
    s->mode = s->nodes.empty() ? PATH_ADD : PATH_SELECT;
    HDC dc = GetDC(canvas);
    BuildBackgroundDC(&s->background, dc, s->geometry.window);
    ReleaseDC(canvas, dc);
    SetWindowLongPtrA(canvas, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s));
    LayOut(canvas, s);
    return true;
}

void Destroy(HWND canvas)
{
    PathCanvas* s = PathCanvasOf(canvas);
    if (!s) return;
    SetWindowLongPtrA(canvas, GWLP_USERDATA, 0);
    FreeBackgroundDC(&s->background);
    delete s;
}

void ShowPointer(HWND canvas, const PathCanvas* s, POINT p)
{
    const bool centred = s->geometry.positionFlags & CENTRE_WINDOW;
    HWND dialog = GetParent(canvas);
    SetDlgItemInt(dialog, IDC_PATH_POINTER_X, static_cast<UINT>(centred ? p.x - s->geometry.window.cx / 2 : p.x), TRUE);
    SetDlgItemInt(dialog, IDC_PATH_POINTER_Y, static_cast<UINT>(centred ? p.y - s->geometry.window.cy / 2 : p.y), TRUE);
}

// Adding: an empty place gets a new last node (dragged while the button is
// held); another node gets midpoints between it and the current one.
void PressInAddMode(PathCanvas* s, int hit, POINT p)
{
    const int count = static_cast<int>(s->nodes.size());
    if (hit >= 0 && hit != s->current) {
        if (!InsertMidpoints(&s->nodes, s->current, hit, ShownFrame(s), s->frameCount)) MessageBeep(MB_OK);
        else if (hit < s->current) s->current += s->current - hit;  // the new nodes went in before it
        s->mode = PATH_SELECT;
        return;
    }
    if (hit == s->current && hit >= 0) {
        s->drag = PathDrag::Node;
        return;
    }
    if (!InsertPathNode(&s->nodes, count - 1, HoldInNodeArea(s, p), ShownFrame(s), s->frameCount)) {
        MessageBeep(MB_OK);
        return;
    }
    s->current = count;
    s->drag = PathDrag::Node;
}

void PressInSelectMode(PathCanvas* s, int hit, POINT p, bool shift, bool ctrl)
{
    if (hit >= 0 && shift) {
        if (!HasGroup(s->nodes)) s->nodes[s->current].selected = 1;
        s->nodes[hit].selected ^= 1;
        return;
    }
    if (hit >= 0 && ctrl) {
        ClearGroup(&s->nodes);
        for (int i = std::min(hit, s->current); i <= std::max(hit, s->current); ++i) s->nodes[i].selected = 1;
        return;
    }
    if (HasGroup(s->nodes)) {
        const RECT box = GroupRect(s->nodes);
        if (p.x >= box.left && p.x <= box.right && p.y >= box.top && p.y <= box.bottom) {
            s->drag = PathDrag::Group;
            return;
        }
        ClearGroup(&s->nodes);
    }
    if (hit >= 0) {
        s->current = hit;
        s->drag = PathDrag::Node;
    } else {
        s->drag = PathDrag::Band;
        s->band = {p.x, p.y, p.x, p.y};
    }
}

void ButtonDown(HWND canvas, PathCanvas* s, POINT client, WPARAM keys)
{
    StoreFields(canvas);
    SetFocus(canvas);
    const POINT p = ToWindow(s, client);
    const int hit = HitPathNode(s->nodes, s->current, p);
    const bool shift = keys & MK_SHIFT, ctrl = keys & MK_CONTROL;
    const size_t countBefore = s->nodes.size();
    switch (s->nodes.empty() ? PATH_ADD : s->mode) {
    case PATH_ADD: PressInAddMode(s, hit, p); break;
    case PATH_SPREAD:
        if (hit >= 0 && abs(hit - s->current) >= 2) {
            SpreadPathNodes(&s->nodes, std::min(hit, s->current), std::max(hit, s->current));
            s->modified = true;
            s->mode = PATH_SELECT;
        } else {
            MessageBeep(MB_OK);
        }
        break;
    default: PressInSelectMode(s, hit, p, shift, ctrl); break;
    }
    s->last = p;
    if (s->drag != PathDrag::None) SetCapture(canvas);
    Changed(canvas, s, s->nodes.size() != countBefore);
}

// Moves the group by the pointer's movement, held so that every node stays
// in the node area.
void MoveGroup(PathCanvas* s, POINT p)
{
    LONG dx = p.x - s->last.x, dy = p.y - s->last.y;
    for (const PathNode& node : s->nodes) {
        if (!node.selected) continue;
        const POINT held = HoldInNodeArea(s, {node.x + dx, node.y + dy});
        dx = held.x - node.x;
        dy = held.y - node.y;
    }
    for (PathNode& node : s->nodes) {
        if (!node.selected) continue;
        node.x += dx;
        node.y += dy;
    }
    s->last = {s->last.x + dx, s->last.y + dy};
}

void MouseMove(HWND canvas, PathCanvas* s, POINT client, WPARAM keys)
{
    const POINT p = ToWindow(s, client);
    ShowPointer(canvas, s, p);
    switch (s->drag) {
    case PathDrag::Node: {
        PathNode& node = s->nodes[s->current];
        const POINT held = HoldInNodeArea(s, p);
        if (node.x == held.x && node.y == held.y) return;
        node.x = held.x;
        node.y = held.y;
        s->modified = true;
        break;
    }
    case PathDrag::Group:
        if (keys & (MK_SHIFT | MK_CONTROL)) {
            s->last = p;
            return;
        }
        MoveGroup(s, p);
        s->modified = true;
        break;
    case PathDrag::Band:
        s->band.right = p.x;
        s->band.bottom = p.y;
        break;
    default: return;
    }
    InvalidateRect(canvas, nullptr, FALSE);
}

void ButtonUp(HWND canvas, PathCanvas* s)
{
    if (s->drag == PathDrag::None) return;
    if (s->drag == PathDrag::Band) SelectNodesInRect(&s->nodes, s->band);
    s->drag = PathDrag::None;
    if (GetCapture() == canvas) ReleaseCapture();
    Changed(canvas, s, false);
}

// The strip's commands 0-6.
void RunCommand(HWND canvas, PathCanvas* s, int mode)
{
    StoreFields(canvas);
    const int count = static_cast<int>(s->nodes.size());
    int first = -1, last = -1;
    const bool group = GroupRange(s->nodes, &first, &last);
    int nextMode = PATH_SELECT;
    bool keepGroup = false;
    switch (mode) {
    case PATH_SELECT:
        if ((ShiftHeld() || CtrlHeld()) && count >= 2) {
            for (PathNode& node : s->nodes) node.selected = 1;
            keepGroup = true;
        }
        break;
    case PATH_ADD:
        if (!group) nextMode = PATH_ADD;
        else if (!InsertMidpoints(&s->nodes, first, last, ShownFrame(s), s->frameCount)) MessageBeep(MB_OK);
        break;
    case PATH_DELETE:
        if (count) DeletePathNodes(&s->nodes, &s->current);
        else MessageBeep(MB_OK);
        break;
    case PATH_SPREAD:
        if (!group) nextMode = PATH_SPREAD;
        else if (last - first >= 2) SpreadPathNodes(&s->nodes, first, last);
        else MessageBeep(MB_OK);
        break;
    case PATH_MIRROR_X:
    case PATH_MIRROR_Y: MirrorPathNodes(&s->nodes, mode == PATH_MIRROR_X); break;
    case PATH_NODE_COUNT: {
        if (count < 2) {
            MessageBeep(MB_OK);
            break;
        }
        const INT_PTR n = RunDialog(IDD_CHANGE_PATH, GetParent(canvas), count);
        if (n >= 2 && n <= MAX_PATH_NODES && n != count) {
            ResamplePath(&s->nodes, static_cast<int>(n));
            s->current = std::min(s->current, static_cast<int>(n) - 1);
        }
        break;
    }
    default: return;
    }
    if (!keepGroup) ClearGroup(&s->nodes);
    s->mode = nextMode;
    Changed(canvas, s, mode != PATH_SELECT);
}

void StepNode(HWND canvas, PathCanvas* s, int delta)
{
    StoreFields(canvas);
    const int count = static_cast<int>(s->nodes.size());
    if (count) s->current = std::clamp(s->current + delta, 0, count - 1);
    ShowCurrentNode(canvas, s);
    Changed(canvas, s, false);
}

}  // namespace

PathCanvas* PathCanvasOf(HWND canvas)
{
    return canvas ? reinterpret_cast<PathCanvas*>(GetWindowLongPtrA(canvas, GWLP_USERDATA)) : nullptr;
}

PathNode* CurrentPathNode(PathCanvas* state)
{
    if (!state || state->nodes.empty()) return nullptr;
    return &state->nodes[std::clamp(state->current, 0, static_cast<int>(state->nodes.size()) - 1)];
}

void SetPathMode(HWND canvas, int mode)
{
    if (PathCanvas* s = PathCanvasOf(canvas)) s->mode = s->nodes.empty() ? PATH_ADD : mode;
}

LRESULT CALLBACK PathCanvasProc(HWND canvas, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == PATHCANVAS_CREATE) return Create(canvas, *reinterpret_cast<const PathCanvasStart*>(lParam));
    PathCanvas* s = PathCanvasOf(canvas);
    if (!s) return DefWindowProcA(canvas, message, wParam, lParam);
    const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (message) {
    case WM_PAINT: PaintCanvas(canvas, s); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SIZE:
        LayOut(canvas, s);
        InvalidateRect(canvas, nullptr, FALSE);
        return 0;
    case WM_HSCROLL: Scroll(canvas, s, SB_HORZ, LOWORD(wParam)); return 0;
    case WM_VSCROLL: Scroll(canvas, s, SB_VERT, LOWORD(wParam)); return 0;
    case WM_LBUTTONDOWN: ButtonDown(canvas, s, at, wParam); return 0;
    case WM_MOUSEMOVE: MouseMove(canvas, s, at, wParam); return 0;
    case WM_LBUTTONUP: ButtonUp(canvas, s); return 0;
    case WM_CAPTURECHANGED:
        if (s->drag != PathDrag::None && reinterpret_cast<HWND>(lParam) != canvas) ButtonUp(canvas, s);
        return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case PATHCANVAS_COMMAND: RunCommand(canvas, s, static_cast<int>(wParam)); return 0;
    case PATHCANVAS_STEP_NODE: StepNode(canvas, s, static_cast<int>(static_cast<INT_PTR>(wParam))); return 0;
    case WM_DESTROY: Destroy(canvas); return 0;
    default: return DefWindowProcA(canvas, message, wParam, lParam);
    }
}
