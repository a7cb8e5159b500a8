// The keyboard hook of "Define Cycle": Alt+X, Y, D and F open the value
// dialogs, Ctrl and Alt with 1-6 choose conditions, F9 starts the test run,
// and the arrow, space, Home and End keys go to the film strips. Without it
// the dialog manager would move the focus with the arrows and take Alt+D for
// "&Delete".
#include "ComposeDialogs.h"
#include "ComposeResources.h"
#include "CycleDialogState.h"

namespace {

// A hook procedure gets no context: the one cycle dialog that can be open,
// and its hook.
HWND g_hookDialog;
HHOOK g_keyboardHook;
// After an Alt+key this hook swallowed, the Alt key's release is swallowed
// too: the window would otherwise take Alt as pressed alone and open its menu.
bool g_swallowAltRelease;

constexpr LPARAM KEY_RELEASED = 0x80000000;
constexpr LPARAM KEY_WAS_DOWN = 0x40000000;
constexpr LPARAM ALT_DOWN = 0x20000000;

bool StripHasFocus()
{
    HWND focus = GetFocus();
    return focus && (focus == FramesStrip(g_hookDialog) || focus == StepsStrip(g_hookDialog));
}

UINT AltLetterCommand(WPARAM key)
{
    switch (key) {
    case 'X': return IDM_CYCLE_CHANGE_X;
    case 'Y': return IDM_CYCLE_CHANGE_Y;
    case 'D': return IDM_CYCLE_CHANGE_DELAY;
    case 'F': return IDM_CYCLE_CHANGE_FLAGS;
    default: return 0;
    }
}

// Decides one key message: true when it is taken away from the dialog.
bool TakeKey(WPARAM key, LPARAM info)
{
    const bool released = info & KEY_RELEASED;
    const bool firstPress = !released && !(info & KEY_WAS_DOWN);
    const bool alt = info & ALT_DOWN;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    auto post = [firstPress](UINT command) {
        if (firstPress && command) PostMessageA(g_hookDialog, WM_COMMAND, command, 0);
    };
    if (alt && key >= 'A' && key <= 'Z') {
        post(AltLetterCommand(key));
        g_swallowAltRelease = true;
        return true;
    }
    if (alt && key >= '1' && key <= '6') {
        post(IDM_CYCLE_POSITION_FIRST + static_cast<UINT>(key - '1'));
        g_swallowAltRelease = true;
        return true;
    }
    if (ctrl && !alt && key >= '1' && key <= '6') {
        post(IDM_CYCLE_MOUSE_FIRST + static_cast<UINT>(key - '1'));
        return false;
    }
    if (key == VK_F9) {
        post(ctrl ? IDM_CYCLE_CONTROL_CENTRE : IDM_CYCLE_START_RUN);
        return true;
    }
    const bool stripKey = key == VK_SPACE || key == VK_LEFT || key == VK_RIGHT ||
                          ((key == VK_HOME || key == VK_END) && StripHasFocus());
    if (stripKey) {
        // The strips move once per repeat and on the release, not on the press.
        if (!firstPress) PostMessageA(g_hookDialog, CYCLEDLG_FORWARD_KEY, key, 0);
        return true;
    }
    return false;
}

LRESULT CALLBACK CycleKeyboardProc(int code, WPARAM key, LPARAM info)
{
    if (code == HC_ACTION && g_hookDialog) {
        if (key == VK_MENU && (info & KEY_RELEASED) && g_swallowAltRelease) {
            g_swallowAltRelease = false;
            return 1;
        }
        if (GetActiveWindow() == g_hookDialog && TakeKey(key, info)) return 1;
    }
    return CallNextHookEx(g_keyboardHook, code, key, info);
}

}  // namespace

void InstallCycleKeyboardHook(HWND dialog)
{
    if (g_keyboardHook) return;
    g_hookDialog = dialog;
    g_swallowAltRelease = false;
    g_keyboardHook = SetWindowsHookExA(WH_KEYBOARD, CycleKeyboardProc, nullptr, GetCurrentThreadId());
}

void RemoveCycleKeyboardHook()
{
    if (g_keyboardHook) UnhookWindowsHookEx(g_keyboardHook);
    g_keyboardHook = nullptr;
    g_hookDialog = nullptr;
    g_swallowAltRelease = false;
}
