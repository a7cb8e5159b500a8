// The player control's window: it receives the engine's timer, sound, end
// and object messages (the control makes no "ANIWNDCLASS" window), turns
// them into events, paints the picture and scrolls it.
#include "ZelvoPlayControl.h"
#include "resource.h"
#include <algorithm>
#include <cstring>

namespace {

HICON g_icon = nullptr;
bool g_started = false;

LRESULT CALLBACK ZelvoPlayWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* control = reinterpret_cast<ZelvoPlayControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        control = static_cast<ZelvoPlayControl*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
    }
    if (!control) return DefWindowProcA(window, message, wParam, lParam);
    // An event handler may release the container's last reference; the
    // control outlives the message it is handling.
    control->AddRef();
    const LRESULT result = control->HandleMessage(window, message, wParam, lParam);
    control->Release();
    return result;
}

}  // namespace

void StartZelvoPlayModule()
{
    if (g_started) return;
    g_started = true;
    HINSTANCE instance = ocx::ModuleInstance();
    InitAnimEngine(-1);
    RegisterAnimWindowClass(instance, nullptr);
    g_icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_ZELVOPLAY));
    WNDCLASSA wc{};
    wc.style = CS_OWNDC | CS_BYTEALIGNCLIENT;
    wc.lpfnWndProc = ZelvoPlayWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = ZELVOPLAY_WINDOW_CLASS;
    RegisterClassA(&wc);
}

void EndZelvoPlayModule()
{
    if (!g_started) return;
    g_started = false;
    UnregisterClassA(ZELVOPLAY_WINDOW_CLASS, ocx::ModuleInstance());
    UnregisterAnimWindowClass(ocx::ModuleInstance());
    ExitAnimEngine();
    if (g_icon) DestroyIcon(g_icon);
    g_icon = nullptr;
}

bool ZelvoPlayControl::CreateControlWindow(HWND parent, const RECT& position)
{
    if (window_) return true;
    StartZelvoPlayModule();
    HWND created = CreateWindowExA(0, ZELVOPLAY_WINDOW_CLASS, "", WS_CHILD | WS_CLIPSIBLINGS | WS_HSCROLL | WS_VSCROLL,
                                   position.left, position.top, position.right - position.left,
                                   position.bottom - position.top, parent, nullptr, ocx::ModuleInstance(), this);
    if (!created) return false;
    window_ = created;
    OnWindowCreated();
    ShowWindow(window_, SW_SHOWNA);
    return true;
}

void ZelvoPlayControl::DestroyControlWindow()
{
    if (!window_) return;
    HWND window = window_;
    if (anim_) {
        StopAnimation(anim_, window);
        ControlAnimSound(anim_, window, ANIM_SOUND_ALL, ANIM_SOUND_STOP);
    }
    window_ = nullptr;
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
}

// A window made for an animation set before: attach it, scroll to the origin
// and set the status again, so that a persisted Play starts now.
void ZelvoPlayControl::OnWindowCreated()
{
    UpdateSizeAndScroll();
    if (!anim_) return;
    AttachAnimation(anim_, window_);
    ApplyEngineOrigin(ANIM_ORIGIN_X | ANIM_ORIGIN_Y | ANIM_ORIGIN_ERASE);
    SetScrollPos(window_, SB_HORZ, p_.originX, TRUE);
    SetScrollPos(window_, SB_VERT, p_.originY, TRUE);
    SetStatus(p_.status);
}

// Paints the picture (scrolled to origin) into bounds of any DC: the window's,
// a container's for a windowless or printed control.
void ZelvoPlayControl::PaintInto(HDC dc, const RECT& bounds, POINT origin)
{
    if (!anim_) {
        FillRect(dc, &bounds, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        return;
    }
    // The engine paints in the DC's window origin: move it so that the
    // picture's point `origin` lands on the bounds' corner.
    const int saved = SaveDC(dc);
    POINT old{};
    GetWindowOrgEx(dc, &old);
    IntersectClipRect(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
    SetWindowOrgEx(dc, old.x + origin.x - bounds.left, old.y + origin.y - bounds.top, nullptr);
    const RECT area{bounds.left - old.x, bounds.top - old.y, bounds.right - old.x, bounds.bottom - old.y};
    EraseAnimBackground(anim_, dc, &area);
    PaintAnimation(anim_, dc, &area);
    RestoreDC(dc, saved);
}

// The engine posts sound and end requests with a pointer into the animation's
// record. A request that arrives after the animation changed points nowhere
// useful: only a pointer inside the current record is read, at most limit
// characters.
bool ZelvoPlayControl::CopyContextString(LPARAM pointer, size_t limit, std::string* out) const
{
    out->clear();
    if (!pointer || !anim_) return false;
    const char* text = reinterpret_cast<const char*>(pointer);
    const char* base = static_cast<const char*>(GlobalLock(anim_));
    if (!base) return false;
    const SIZE_T size = GlobalSize(anim_);
    const bool inside = text >= base && text < base + size;
    if (inside) {
        const size_t room = std::min(limit, static_cast<size_t>(base + size - text));
        out->assign(text, strnlen(text, room));
    }
    GlobalUnlock(anim_);
    return inside;
}

void ZelvoPlayControl::OnEndAnimation(WPARAM action, LPARAM name)
{
    std::string next;
    if (name && !CopyContextString(name, 64, &next)) return;  // a request of an animation since replaced
    const unsigned generation = loadGeneration_;
    FireEndAnimation(static_cast<int>(action), next);
    // A handler that loaded another animation or released this one has the
    // last word: the old handle is not touched again.
    if (generation != loadGeneration_ || !anim_) return;
    p_.status = 0;
    if (!action || !p_.autoNextAnimation || next.empty()) {
        ControlAnimSound(anim_, window_, ANIM_SOUND_ALL, ANIM_SOUND_STOP);
        return;
    }
    CharUpperA(next.data());
    const std::string path = animFolder_.empty() ? next : animFolder_ + "\\" + next;
    if (path.size() >= MAX_PATH || !ReloadAnimation(anim_, path.c_str(), 0, 0, 0,
                                                    ANIM_PALETTE_BY_DISPLAY | ANIM_KEEP_FILE_BKCOLOR)) {
        ControlAnimSound(anim_, window_, ANIM_SOUND_ALL, ANIM_SOUND_STOP);
        return;
    }
    animFolder_ = ContentFolder(anim_, animFolder_);  // a following archive unpacks elsewhere
    char file[MAX_PATH];
    if (action == 2) {
        ControlAnimSound(anim_, window_, ANIM_SOUND_ALL, ANIM_SOUND_STOP);
        LoadAnimPalette(anim_, nullptr, FALSE);
        if (GetAnimBackgroundName(anim_, file, TRUE))
            LoadAnimBackground(anim_, file, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, FALSE);
    }
    {
        // Sequences are named relative to the animation's folder.
        char old[MAX_PATH] = "";
        const DWORD n = GetCurrentDirectoryA(MAX_PATH, old);
        if (!animFolder_.empty()) SetCurrentDirectoryA(animFolder_.c_str());
        for (int i = 0; GetAnimSequenceName(anim_, i, file, TRUE); ++i) LoadAnimSequence(anim_, i, file, FALSE);
        if (n && n < MAX_PATH) SetCurrentDirectoryA(old);
    }
    if (window_) InvalidateRect(window_, nullptr, TRUE);
    const int started = StartAnimation(anim_, window_);
    if (window_) AttachAnimation(anim_, window_);
    p_.status = started ? 1 : 0;
}

void ZelvoPlayControl::OnSoundRequest(WPARAM flags, LPARAM name)
{
    std::string sound;
    if (name && !CopyContextString(name, 64, &sound)) return;
    const unsigned generation = loadGeneration_;
    FirePlaySound(sound, static_cast<int>(flags));
    if (generation != loadGeneration_ || !anim_ || p_.soundState != 1) return;
    if (!name) {
        HandleAnimSoundRequest(anim_, window_, nullptr, static_cast<UINT>(flags), 0);
        return;
    }
    // A named sound is looked up in the animation's folder; the container's
    // current folder is put back afterwards.
    char old[MAX_PATH] = "";
    const DWORD n = GetCurrentDirectoryA(MAX_PATH, old);
    if (!animFolder_.empty()) SetCurrentDirectoryA(animFolder_.c_str());
    HandleAnimSoundRequest(anim_, window_, sound.c_str(), static_cast<UINT>(flags), 0);
    if (n && n < MAX_PATH) SetCurrentDirectoryA(old);
}

// Scroll codes move the origin within 0 .. the part of the picture that does
// not fit: a line is one pixel, a page an eighth of it (at least 4).
void ZelvoPlayControl::OnScroll(int code, int position, bool vertical)
{
    const int bar = vertical ? SB_VERT : SB_HORZ;
    SCROLLINFO info{sizeof info, SIF_ALL};
    if (!GetScrollInfo(window_, bar, &info)) return;
    const int over = info.nPage ? std::max(0, info.nMax + 1 - static_cast<int>(info.nPage)) : info.nMax;
    const int page = std::max(over / 8, 4);
    const int now = vertical ? p_.originY : p_.originX;
    int next = now;
    switch (code) {
    case SB_LINEUP: next = now - 1; break;
    case SB_LINEDOWN: next = now + 1; break;
    case SB_PAGEUP: next = now - page; break;
    case SB_PAGEDOWN: next = now + page; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: next = position; break;
    case SB_TOP: next = 0; break;
    case SB_BOTTOM: next = over; break;
    default: return;
    }
    next = std::clamp(next, 0, over);
    if (next == now) return;
    SetScrollPos(window_, bar, next, TRUE);
    (vertical ? p_.originY : p_.originX) = static_cast<int16_t>(next);
    if (anim_)
        SetAnimOrigin(anim_, window_, p_.originX, p_.originY,
                      (vertical ? ANIM_ORIGIN_Y : ANIM_ORIGIN_X) | ANIM_ORIGIN_ERASE);
    FireOriginChange(p_.originX, p_.originY);
}

LRESULT ZelvoPlayControl::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        // The handle is read once: an event fired inside the step may replace
        // the animation, and the engine frees the old one when the step ends.
        if (HANIM playing = anim_) TickAnimation(playing, window);
        break;
    case WM_ERASEBKGND:
        if (!anim_) break;
        {
            RECT client;
            GetClientRect(window, &client);
            EraseAnimBackground(anim_, reinterpret_cast<HDC>(wParam), &client);
        }
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        if (anim_)
            PaintAnimation(anim_, dc, &client);
        else
            FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        EndPaint(window, &paint);
        return 0;
    }
    case WM_SIZE:
        if (!p_.autoSize) UpdateSizeAndScroll();
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        OnScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), message == WM_VSCROLL);
        return 0;
    case WM_LBUTTONDOWN: {
        const int x = static_cast<short>(LOWORD(lParam)) + p_.originX;
        const int y = static_cast<short>(HIWORD(lParam)) + p_.originY;
        const int object = p_.hitTest && anim_ ? HitTestObject(anim_, x, y, TRUE) + 1 : 0;
        FireClickIn(x, y, object);
        break;
    }
    case WM_QUERYNEWPALETTE:
        if (!anim_) break;
        RealizeAnimPalette(anim_, window);
        return 1;
    case WM_PALETTECHANGED:
        if (reinterpret_cast<HWND>(wParam) != window) InvalidateRect(window, nullptr, FALSE);
        return 0;
    case MM_MCINOTIFY:
        HandleAnimMciNotify(anim_, window, wParam, lParam);
        return 0;
    case ANIM_OBJECT_MESSAGE:
        FireObjectMsg(static_cast<int>(wParam) + 1, static_cast<int>(lParam));
        return 0;
    case ANIM_END_ANIMATION:
        OnEndAnimation(wParam, lParam);
        return 0;
    case ANIM_SOUND_REQUEST:
        OnSoundRequest(wParam, lParam);
        return 0;
    case WM_DESTROY:
        if (anim_) {
            StopAnimation(anim_, window);
            ControlAnimSound(anim_, window, ANIM_SOUND_ALL, ANIM_SOUND_STOP);
        }
        break;
    case WM_NCDESTROY:
        // Destroyed with the container's window: the control no longer has one.
        if (window == window_) window_ = nullptr;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
