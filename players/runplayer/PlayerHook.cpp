// The player's hook on its animation window: the system-menu commands, the
// end of the window and of the program, desktop mode, the system menu of a
// caption-less window, and what happens when an animation ends.
#include "AnsFile.h"
#include "RunPlayer.h"
#include "resource.h"

namespace {

constexpr int HOOK_DEFAULT = 0;  // the engine handles the message
constexpr int HOOK_HANDLED = 1;

void SetUpSystemMenu(HWND window)
{
    HMENU menu = GetSystemMenu(window, FALSE);
    EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
    EnableMenuItem(menu, SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED);
    EnableMenuItem(menu, SC_SIZE, MF_BYCOMMAND | MF_GRAYED);
    EnableMenuItem(menu, SC_MINIMIZE, MF_BYCOMMAND | MF_ENABLED);
    EnableMenuItem(menu, SC_RESTORE, MF_BYCOMMAND | MF_GRAYED);
    InsertMenuA(menu, SC_CLOSE, MF_BYCOMMAND | MF_STRING, IDM_STOP_CONTINUE, PlayerString(IDS_STOP).c_str());
    InsertMenuA(menu, SC_CLOSE, MF_BYCOMMAND | MF_STRING, IDM_ABOUT, PlayerString(IDS_ABOUT).c_str());
    InsertMenuA(menu, SC_CLOSE, MF_BYCOMMAND | MF_SEPARATOR, 0, nullptr);
}

void StartHosting(HWND window, HANIM handle)
{
    g_player.desktopMode = GetAnimInfo(handle, ANIM_INFO_DESKTOP_WINDOW) != 0;
    // With the desktop picture as background the icons under it stay usable:
    // the list view the window was made in gets the mouse.
    g_player.desktopListView =
        g_player.desktopMode && GetAnimInfo(handle, ANIM_INFO_DESKTOP_BACKGROUND) ? g_player.desktopParent : nullptr;
    g_player.stopped = false;
    g_player.clickCounter = 0;
    SetUpSystemMenu(window);
}

void ToggleStopped(HWND window)
{
    if (g_player.stopped) StartAnimWindow(window);
    else StopAnimWindow(window);
    g_player.stopped = !g_player.stopped;
    const std::string text = PlayerString(g_player.stopped ? IDS_CONTINUE : IDS_STOP);
    ModifyMenuA(GetSystemMenu(window, FALSE), IDM_STOP_CONTINUE, MF_BYCOMMAND | MF_STRING, IDM_STOP_CONTINUE,
                text.c_str());
}

void ShowAbout(HWND window)
{
    HANIM handle = GetAnimHandle(window);
    StopAnimWindow(window);
    ShowAboutBox(window, reinterpret_cast<HPALETTE>(GetAnimInfo(handle, ANIM_INFO_PALETTE)));
    // A stopped animation stays stopped, as its menu says.
    if (!g_player.stopped) StartAnimWindow(window);
}

int OnSysCommand(HWND window, WPARAM command)
{
    if (command == IDM_STOP_CONTINUE) {
        ToggleStopped(window);
        return HOOK_HANDLED;
    }
    if (command == IDM_ABOUT) {
        ShowAbout(window);
        return HOOK_HANDLED;
    }
    return HOOK_DEFAULT;
}

void OnDestroy(HWND window)
{
    HANIM handle = GetAnimHandle(window);
    if (handle) {
        StopAnimWindow(window);
        DestroyAnimation(handle);
        SetAnimHandle(window, nullptr);
    }
    if (g_player.window == window) {
        g_player.window = nullptr;
        g_player.animation = nullptr;
    }
}

// A caption-less window has no system-menu button: a double click followed
// by a release that comes without two moves in between opens the menu.
void OnMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONDBLCLK:
        if (!HasCaption(GetWindowLongPtr(window, GWL_STYLE))) g_player.clickCounter = 2;
        break;
    case WM_MOUSEMOVE:
        if (g_player.clickCounter > 0) --g_player.clickCounter;
        break;
    case WM_LBUTTONUP:
        if (g_player.clickCounter > 0) {
            g_player.clickCounter = 0;
            POINT cursor;
            GetCursorPos(&cursor);
            TrackPopupMenu(GetSystemMenu(window, FALSE), TPM_CENTERALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, cursor.x,
                           cursor.y - 8, 0, window, nullptr);
        }
        break;
    }
    if (g_player.desktopListView) {
        POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        MapWindowPoints(window, g_player.desktopListView, &p, 1);
        PostMessageA(g_player.desktopListView, message, wParam, MAKELPARAM(p.x, p.y));
    }
}

void OnEndAnimation(HWND window)
{
    HANIM handle = GetAnimHandle(window);
    const LONG_PTR action = GetAnimInfo(handle, ANIM_INFO_END_ACTION);
    char next[MAX_PATH] = "";
    if (const auto* name = reinterpret_cast<const char*>(GetAnimInfo(handle, ANIM_INFO_NEXT_NAME)))
        lstrcpynA(next, name, MAX_PATH);
    if (action == END_SHELL_OPEN) OpenWithShell(next);
    else if ((action == END_LOAD_NEXT || action == END_LOAD_NEXT_NEW_WINDOW) &&
             FollowOnAnimation(window, next, action == END_LOAD_NEXT_NEW_WINDOW))
        return;
    SendMessageA(window, WM_CLOSE, 0, 0);
}

}  // namespace

int CALLBACK PlayerHostHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        StartHosting(window, reinterpret_cast<HANIM>(wParam));
        return HOOK_HANDLED;
    case WM_COMMAND:
        // Commands of the system menu opened as a pop-up come as WM_COMMAND.
        PostMessageA(window, WM_SYSCOMMAND, wParam, lParam);
        return HOOK_HANDLED;
    case WM_SYSCOMMAND:
        return OnSysCommand(window, wParam);
    case WM_CLOSE:
        DestroyWindow(window);
        PostQuitMessage(1);
        return HOOK_HANDLED;
    case WM_DESTROY:
        OnDestroy(window);
        return HOOK_HANDLED;
    case WM_SIZE:
        return HOOK_HANDLED;  // the window keeps the picture's size: no scroll bars
    case WM_WINDOWPOSCHANGING:
        if (g_player.desktopMode) {
            auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
            pos->hwndInsertAfter = HWND_BOTTOM;
            pos->flags |= SWP_NOOWNERZORDER;
        }
        return HOOK_DEFAULT;
    case WM_WINDOWPOSCHANGED:
        if (g_player.desktopMode && !g_player.lowering) {
            g_player.lowering = true;
            SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
            g_player.lowering = false;
        }
        return HOOK_DEFAULT;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        OnMouse(window, message, wParam, lParam);
        return HOOK_DEFAULT;
    case ANIM_END_ANIMATION:
        OnEndAnimation(window);
        return HOOK_HANDLED;
    default:
        return HOOK_DEFAULT;
    }
}
