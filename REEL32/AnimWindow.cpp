// The animation window: the "ANIWNDCLASS" class, creating and placing its
// windows, and the window procedure that paints, scrolls, steps the animation
// on WM_TIMER, plays sounds and follows on to the next animation. A host joins
// in through the hook stored with the window, which sees every message first.
#include "AnimationContext.h"
#include <cstring>

namespace {

// ---- the window's shape ----

// Set while the window procedure changes its own scroll ranges: showing or
// hiding a bar sends WM_SIZE, which must not start another fitting.
bool g_sizingGuard = false;

class SizingGuard {
public:
    SizingGuard() : previous_(g_sizingGuard) { g_sizingGuard = true; }
    ~SizingGuard() { g_sizingGuard = previous_; }
    SizingGuard(const SizingGuard&) = delete;
    SizingGuard& operator=(const SizingGuard&) = delete;
private:
    bool previous_;
};

struct WindowShape {
    DWORD style, exStyle;
    int width, height;  // the client size
    bool operator==(const WindowShape&) const = default;
};

// Style, extended style and client size of a window for the animation, as a
// host's request asks for them.
WindowShape ShapeFor(const AnimationContext* c, const AnimWindowRequest& r)
{
    WindowShape shape{};
    const DWORD fileStyle = c->settings.windowStyle & ~0x80000000u;  // the popup bit is the caller's to give
    if (r.wndFlags & ANIM_WND_FILE_STYLE) shape.style = fileStyle;
    else if (r.wndFlags & ANIM_WND_OR_STYLE) shape.style = r.style | fileStyle;
    else shape.style = r.style;
    shape.exStyle = (r.wndFlags & ANIM_WND_NO_EXSTYLE) ? 0 : c->settings.windowExStyle;
    if (r.wndFlags & ANIM_WND_SIZE_FROM_ANIM) {
        shape.width = c->pictureWidth;
        shape.height = c->pictureHeight;
    } else if (r.wndFlags & ANIM_WND_SIZE_BY_MODE) {
        const SIZE own = AnimationOwnSize(c);
        shape.width = own.cx;
        shape.height = own.cy;
    } else {
        shape.width = r.width;
        shape.height = r.height;
    }
    return shape;
}

// Where the client area goes: placed by the animation's position mode in the
// parent's client area (or on the screen), or where the host said.
POINT PlaceFor(const AnimationContext* c, const AnimWindowRequest& r, const WindowShape& shape)
{
    if (!(r.wndFlags & ANIM_WND_PLACE)) return {r.x, r.y};
    int areaW = GetSystemMetrics(SM_CXSCREEN), areaH = GetSystemMetrics(SM_CYSCREEN);
    RECT parentArea;
    if (r.parent && GetClientRect(r.parent, &parentArea)) {
        areaW = parentArea.right - parentArea.left;
        areaH = parentArea.bottom - parentArea.top;
    }
    return PlaceAnimation(c, areaW, areaH, shape.width, shape.height);
}

AnimHostHook HookOf(HWND window)
{
    return reinterpret_cast<AnimHostHook>(GetWindowLongPtrA(window, GWL_ANIM_HOOK));
}

SIZE PictureSize(HANIM handle)
{
    const LONG_PTR packed = GetAnimInfo(handle, ANIM_INFO_SIZE);
    return {static_cast<LONG>(packed & 0xFFFF), static_cast<LONG>((packed >> 16) & 0xFFFF)};
}

// ---- scroll bars ----

void SetScrollRanges(HWND window, int horizontalMax, int verticalMax)
{
    SizingGuard guard;
    SetScrollRange(window, SB_HORZ, 0, horizontalMax, TRUE);
    SetScrollRange(window, SB_VERT, 0, verticalMax, TRUE);
}

// Shows a scroll bar exactly where the picture does not fit a client area of
// width by height (as it stands with the bars shown now), with the overlap as
// its range, allowing for the room the bars themselves take or give back:
// one bar can make the other needed. Brings the origin back inside the new
// ranges.
void FitScrollBars(HWND window, HANIM handle, int width, int height)
{
    const SIZE picture = PictureSize(handle);
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    const int barHeight = GetSystemMetrics(SM_CYHSCROLL), barWidth = GetSystemMetrics(SM_CXVSCROLL);
    const int fullWidth = width + ((style & WS_VSCROLL) ? barWidth : 0);
    const int fullHeight = height + ((style & WS_HSCROLL) ? barHeight : 0);
    bool horizontal = picture.cx > fullWidth, vertical = picture.cy > fullHeight;
    if (horizontal && !vertical) vertical = picture.cy > fullHeight - barHeight;
    else if (vertical && !horizontal) horizontal = picture.cx > fullWidth - barWidth;
    const int horizontalMax = horizontal ? picture.cx - (fullWidth - (vertical ? barWidth : 0)) : 0;
    const int verticalMax = vertical ? picture.cy - (fullHeight - (horizontal ? barHeight : 0)) : 0;
    if (GetScrollPos(window, SB_HORZ) > horizontalMax) {
        SetScrollPos(window, SB_HORZ, horizontalMax, FALSE);
        SetAnimOrigin(handle, window, horizontalMax, 0, ANIM_ORIGIN_X | ANIM_ORIGIN_ERASE);
    }
    if (GetScrollPos(window, SB_VERT) > verticalMax) {
        SetScrollPos(window, SB_VERT, verticalMax, FALSE);
        SetAnimOrigin(handle, window, 0, verticalMax, ANIM_ORIGIN_Y | ANIM_ORIGIN_ERASE);
    }
    SetScrollRanges(window, horizontalMax, verticalMax);
}

void FitScrollBarsToClient(HWND window, HANIM handle)
{
    RECT client;
    if (GetClientRect(window, &client)) FitScrollBars(window, handle, client.right, client.bottom);
}

// ---- painting and the cursor ----

void PaintWindow(HWND window, HANIM handle)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (dc && handle) {
        RECT client;
        GetClientRect(window, &client);
        if (ps.fErase) EraseAnimBackground(handle, dc, &client);
        PaintAnimation(handle, dc, &client);
    }
    EndPaint(window, &ps);
}

// An animation that hides the cursor hides it over its picture only: over the
// frame the arrow stays, so that the window can still be moved and closed.
void HideCursorOverClient(HWND window)
{
    POINT at;
    if (!GetCursorPos(&at) || WindowFromPoint(at) != window) return;
    RECT client;
    GetClientRect(window, &client);
    ScreenToClient(window, &at);
    SetCursor(PtInRect(&client, at) ? nullptr : LoadCursor(nullptr, IDC_ARROW));
}

// ---- the end of an animation ----

void LoadFollowingPictures(HANIM handle, bool newSetUp, HWND window)
{
    char name[MAX_PATH];
    if (newSetUp) {
        ControlAnimSound(handle, window, ANIM_SOUND_ALL, ANIM_SOUND_STOP);
        LoadAnimPalette(handle, nullptr, FALSE);
        if (GetAnimBackgroundName(handle, name, TRUE))
            LoadAnimBackground(handle, name, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, FALSE);
    }
    // A sequence that cannot be loaded is skipped: its objects stay invisible.
    for (int i = 0; GetAnimSequenceName(handle, i, name, TRUE); ++i) LoadAnimSequence(handle, i, name, FALSE);
}

// The shape the host's request gives the animation now in the handle.
bool ShapeOf(HANIM handle, WindowShape* shape)
{
    ContextLock c(handle);
    if (!c) return false;
    *shape = ShapeFor(c.get(), c->windowRequest);
    return true;
}

// The new set-up of a following animation in the window it played in: the
// window takes the style, title and client size that the host's request
// gives the new animation, and keeps its place. The window stays, so that
// every handle a host keeps of it stays valid.
void ReshapeWindow(HWND window, HANIM handle, const WindowShape& shape)
{
    char title[sizeof(AnimationSettingsDisk::title) + 1] = "";
    {
        ContextLock c(handle);
        if (c) lstrcpynA(title, c->settings.title, sizeof title);
    }
    // What the system keeps of the window's state stays as it is.
    const LONG_PTR state = GetWindowLongPtrA(window, GWL_STYLE) & (WS_VISIBLE | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE);
    SetWindowLongPtrA(window, GWL_STYLE, static_cast<LONG_PTR>(shape.style & ~(WS_VISIBLE | WS_DISABLED)) | state);
    SetWindowLongPtrA(window, GWL_EXSTYLE, static_cast<LONG_PTR>(shape.exStyle));
    SetWindowTextA(window, title);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    if (HWND parent = GetParent(window); parent && (shape.style & WS_CHILD)) ScreenToClient(parent, &origin);
    RECT frame = {origin.x, origin.y, origin.x + shape.width, origin.y + shape.height};
    AdjustWindowRectEx(&frame, shape.style, FALSE, shape.exStyle);
    SetWindowPos(window, nullptr, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

// The engine's own handling of the end, when the host's hook left it: close,
// or load the following animation into the same handle and window (a new
// set-up reshapes the window). The engine never opens a file with the shell:
// end action 3 closes the window here, and only a host decides what to open.
void FollowOn(HWND window, HANIM handle, WPARAM action, LPARAM nameParam)
{
    if (!handle || (action != END_LOAD_NEXT && action != END_LOAD_NEXT_NEW_WINDOW)) {
        DestroyWindow(window);
        return;
    }
    char name[MAX_PATH] = "";
    const char* next = nameParam ? reinterpret_cast<const char*>(nameParam)
                                 : reinterpret_cast<const char*>(GetAnimInfo(handle, ANIM_INFO_NEXT_NAME));
    if (next) lstrcpynA(name, next, MAX_PATH);
    const bool newSetUp = action == END_LOAD_NEXT_NEW_WINDOW;
    WindowShape before{}, after{};
    ShapeOf(handle, &before);
    const DWORD flags = ANIM_PALETTE_BY_DISPLAY | ANIM_KEEP_FILE_BKCOLOR
                      | (GetAnimInfo(handle, ANIM_INFO_FORCE_OFFSCREEN) ? ANIM_FORCE_OFFSCREEN : 0);
    if (!ReloadAnimation(handle, name, 0, 0, 0, flags)) {
        DestroyWindow(window);
        return;
    }
    LoadFollowingPictures(handle, newSetUp, window);
    if (newSetUp && ShapeOf(handle, &after) && after != before) ReshapeWindow(window, handle, after);
    FitScrollBarsToClient(window, handle);
    AttachAnimation(handle, window);
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    StartAnimWindow(window);
}

void StopPlayback(HWND window, HANIM handle)
{
    ControlAnimSound(handle, window, ANIM_SOUND_ALL, ANIM_SOUND_STOP);
    StopAnimation(handle, window);
}

}  // namespace

// ---- the class ----

ATOM RegisterAnimWindowClass(HINSTANCE instance, HICON icon)
{
    WNDCLASSA wc{};
    wc.style = CS_BYTEALIGNCLIENT | CS_OWNDC | CS_DBLCLKS;
    wc.lpfnWndProc = AnimWndProc;
    wc.cbWndExtra = ANIM_WINDOW_EXTRA;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = ANIM_WINDOW_CLASS;
    const ATOM atom = RegisterClassA(&wc);
    if (atom) g_animEngine.instance = instance;
    return atom;
}

void UnregisterAnimWindowClass(HINSTANCE instance) { UnregisterClassA(ANIM_WINDOW_CLASS, instance); }

// ---- windows ----

HWND CreateAnimWindow(HANIM handle, DWORD style, int x, int y, int width, int height, HWND parent,
                      DWORD wndFlags, AnimHostHook hook)
{
    const AnimWindowRequest request{style, x, y, width, height, parent, wndFlags};
    WindowShape shape{};
    RECT frame{};
    char title[sizeof(AnimationSettingsDisk::title) + 1];
    {
        ContextLock c(handle);
        if (!c) return nullptr;
        c->settings.windowStyle &= ~0x80000000u;
        c->windowRequest = request;
        shape = ShapeFor(c.get(), request);
        const POINT at = PlaceFor(c.get(), request, shape);
        frame = {at.x, at.y, at.x + shape.width, at.y + shape.height};
        lstrcpynA(title, c->settings.title, sizeof title);
    }
    AdjustWindowRectEx(&frame, shape.style, FALSE, shape.exStyle);
    HWND window = CreateWindowExA(shape.exStyle, ANIM_WINDOW_CLASS, title, shape.style, frame.left, frame.top,
                                  frame.right - frame.left, frame.bottom - frame.top, parent, nullptr,
                                  g_animEngine.instance, handle);
    if (!window) return nullptr;
    SetWindowLongPtrA(window, GWL_ANIM_HANDLE, reinterpret_cast<LONG_PTR>(handle));
    SetWindowLongPtrA(window, GWL_ANIM_RESERVED, 0);
    SetWindowLongPtrA(window, GWL_ANIM_HOOK, reinterpret_cast<LONG_PTR>(hook));
    AttachAnimation(handle, window);
    if (hook) hook(window, WM_INITDIALOG, reinterpret_cast<WPARAM>(handle), wndFlags);
    return window;
}

int StartAnimWindow(HWND window)
{
    HANIM handle = GetAnimHandle(window);
    if (!handle) return 0;
    ControlAnimSound(handle, window, ANIM_SOUND_ALL, ANIM_SOUND_RESUME);
    return StartAnimation(handle, window);
}

void StopAnimWindow(HWND window)
{
    HANIM handle = GetAnimHandle(window);
    ControlAnimSound(handle, window, ANIM_SOUND_ALL, ANIM_SOUND_PAUSE);
    StopAnimation(handle, window);
}

HANIM GetAnimHandle(HWND window)
{
    return window ? reinterpret_cast<HANIM>(GetWindowLongPtrA(window, GWL_ANIM_HANDLE)) : nullptr;
}

void SetAnimHandle(HWND window, HANIM handle)
{
    if (window) SetWindowLongPtrA(window, GWL_ANIM_HANDLE, reinterpret_cast<LONG_PTR>(handle));
}

void ScrollAnimWindow(HWND window, int code, int position, BOOL vertical)
{
    const int bar = vertical ? SB_VERT : SB_HORZ;
    int low = 0, high = 0;
    GetScrollRange(window, bar, &low, &high);
    const int old = GetScrollPos(window, bar);
    const int page = high / 8 > 4 ? high / 8 : 4;
    int next = old;
    switch (code) {
    case SB_LINEUP: next = old - 1 > 0 ? old - 1 : 0; break;
    case SB_LINEDOWN: next = old + 1 < high ? old + 1 : high; break;
    case SB_PAGEUP: next = old - page > 0 ? old - page : 0; break;
    case SB_PAGEDOWN: next = old + page < high ? old + page : high; break;
    case SB_THUMBPOSITION: next = position < 0 ? 0 : position > high ? high : position; break;
    case SB_TOP: next = 0; break;
    case SB_BOTTOM: next = high; break;
    default: return;
    }
    if (next == old) return;
    SetScrollPos(window, bar, next, TRUE);
    SetAnimOrigin(GetAnimHandle(window), window, next, next,
                  (vertical ? ANIM_ORIGIN_Y : ANIM_ORIGIN_X) | ANIM_ORIGIN_ERASE);
}

LRESULT CALLBACK AnimWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (AnimHostHook hook = HookOf(window)) {
        const int answer = hook(window, message, wParam, lParam);
        if (answer == -1) return DefWindowProcA(window, message, wParam, lParam);
        if (answer != 0) return 0;
    }
    HANIM handle = GetAnimHandle(window);
    switch (message) {
    case WM_CREATE:
        SetAnimHandle(window, static_cast<HANIM>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        SetScrollRanges(window, 0, 0);
        return 0;
    case WM_DESTROY:
        // The animation itself is the host's to destroy.
        if (handle) StopPlayback(window, handle);
        return 0;
    case WM_SIZE:
        if (!g_sizingGuard && handle && wParam != SIZE_MINIMIZED) FitScrollBars(window, handle, LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_PAINT:
        PaintWindow(window, handle);
        return 0;
    case WM_ERASEBKGND: {
        if (!handle) break;
        RECT client;
        GetClientRect(window, &client);
        EraseAnimBackground(handle, reinterpret_cast<HDC>(wParam), &client);
        return 1;
    }
    case WM_SETCURSOR:
        if (!GetAnimInfo(handle, ANIM_INFO_HIDE_CURSOR)) break;
        HideCursorOverClient(window);
        return 0;
    case WM_TIMER:
        if (handle) TickAnimation(handle, window);
        return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
        ScrollAnimWindow(window, LOWORD(wParam), static_cast<short>(HIWORD(wParam)), message == WM_VSCROLL);
        return 0;
    case WM_CTLCOLORDLG:
        return GetAnimInfo(handle, ANIM_INFO_BRUSH);
    case WM_QUERYNEWPALETTE:
        RealizeAnimPalette(handle, window);
        return 1;
    case WM_PALETTECHANGED:
        // Not for a change this window made itself: that would never end.
        if (reinterpret_cast<HWND>(wParam) != window) InvalidateRect(window, nullptr, FALSE);
        return 0;
    case MM_MCINOTIFY:
        return HandleAnimMciNotify(handle, window, wParam, lParam);
    case ANIM_SOUND_REQUEST:
        HandleAnimSoundRequest(handle, window, reinterpret_cast<const char*>(lParam), static_cast<UINT>(wParam), 0);
        return 0;
    case ANIM_END_ANIMATION:
        FollowOn(window, handle, wParam, lParam);
        return 0;
    case ANIM_CLOSE:
        // A host ends playback: the clock stops and this window's sounds with it.
        if (handle) StopPlayback(window, handle);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
