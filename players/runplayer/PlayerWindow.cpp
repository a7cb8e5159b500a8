// The animation window: creating it where the animation wants it (or inside
// the desktop), and following on to the next animation in the same or a new
// window.
#include "RunPlayer.h"

namespace {

constexpr DWORD FOLLOW_ON_FLAGS = ANIM_PALETTE_BY_DISPLAY | ANIM_KEEP_FILE_BKCOLOR;

// The desktop's list view: the window that shows the desktop icons.
HWND FindDesktopListView()
{
    HWND program = FindWindowA("Progman", nullptr);
    HWND view = program ? GetDlgItem(program, 0) : nullptr;
    return view ? GetDlgItem(view, 1) : nullptr;
}

}  // namespace

HWND CreatePlayerWindow(HANIM handle, const WindowPlace& place)
{
    DWORD wndFlags = ANIM_WND_OR_STYLE | ANIM_WND_SIZE_BY_MODE;
    if (!place.placed) wndFlags |= ANIM_WND_PLACE;
    int x = place.x, y = place.y;
    HWND parent = nullptr;
    g_player.desktopParent = nullptr;
    if (GetAnimInfo(handle, ANIM_INFO_DESKTOP_WINDOW)) {
        parent = FindDesktopListView();
        // The hook keeps it: the pop-up's GetParent answers its owner, the
        // top-level window, not the list view.
        g_player.desktopParent = parent;
        if (parent && GetAnimInfo(handle, ANIM_INFO_SCREEN_SIZE)) {
            // Cover the whole screen from inside the list view.
            RECT r;
            GetWindowRect(parent, &r);
            wndFlags = ANIM_WND_OR_STYLE | ANIM_WND_SIZE_BY_MODE;
            x = -r.left;
            y = -r.top;
        }
    }
    HWND window = CreateAnimWindow(handle, WS_POPUP, x, y, 0, 0, parent, wndFlags, PlayerHostHook);
    if (!window) return nullptr;
    g_player.animation = handle;
    g_player.window = window;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    BringWindowToTop(window);
    StartAnimWindow(window);
    return window;
}

bool FollowOnAnimation(HWND window, const char* nextName, bool newSetUp)
{
    HANIM handle = GetAnimHandle(window);
    if (!handle || !nextName) return false;
    // The name lies inside the animation that the reload replaces.
    char name[MAX_PATH];
    lstrcpynA(name, nextName, MAX_PATH);
    const LONG_PTR oldSize = GetAnimInfo(handle, ANIM_INFO_SIZE);
    const LONG_PTR oldMode = GetAnimInfo(handle, ANIM_INFO_POSITION_MODE);
    const DWORD flags = FOLLOW_ON_FLAGS | (GetAnimInfo(handle, ANIM_INFO_FORCE_OFFSCREEN) ? ANIM_FORCE_OFFSCREEN : 0);
    if (!ReloadAnimation(handle, name, 0, 0, 0, flags)) return false;

    if (newSetUp) {
        ControlAnimSound(handle, window, ANIM_SOUND_ALL, ANIM_SOUND_STOP);
        // A window that would come out the same is kept.
        const LONG_PTR mode = GetAnimInfo(handle, ANIM_INFO_POSITION_MODE);
        if (GetAnimInfo(handle, ANIM_INFO_SIZE) == oldSize &&
            (HasCaption(GetAnimInfo(handle, ANIM_INFO_STYLE)) || (mode == oldMode && mode != 1)))
            newSetUp = false;
        LoadAnimPalette(handle, nullptr, FALSE);
    }

    WindowPlace place{false, 0, 0};
    if (GetAnimInfo(handle, ANIM_INFO_DESKTOP_BACKGROUND)) {
        if (newSetUp) {
            place = ScreenPosition(handle);
            CaptureDesktopBackground(handle, window, place.x, place.y, FALSE);
        } else {
            POINT origin{0, 0};
            ClientToScreen(window, &origin);
            CaptureDesktopBackground(handle, window, origin.x, origin.y, TRUE);
        }
    }

    if (!LoadAnimationParts(window, handle)) {
        // The animation is gone: the window must not destroy it again.
        SetAnimHandle(window, nullptr);
        g_player.animation = nullptr;
        return false;
    }
    if (newSetUp) {
        SetAnimHandle(window, nullptr);
        if (!CreatePlayerWindow(handle, place)) {
            DestroyAnimation(handle);
            g_player.animation = nullptr;
            return false;
        }
        DestroyWindow(window);
        return true;
    }
    AttachAnimation(handle, window);
    UpdateWindow(window);
    StartAnimWindow(window);
    return true;
}
