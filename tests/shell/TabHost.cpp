// TabHost TITLE: a dialog titled TITLE that holds "TABCTL" (id 1800) set up as
// the editor's settings dialog sets it up, for the black-box test of the
// control. Static 100 shows the last notification the dialog got, static 101
// how many it got.
#include "TabControl.h"
#include <windows.h>
#include <cstdio>

namespace {

constexpr int TAB_CONTROL = 1800;
constexpr int LAST_NOTICE = 100;
constexpr int NOTICE_COUNT = 101;
constexpr int HOST_DIALOG = 1;

const char* g_title = "";
int g_notices = 0;

INT_PTR CALLBACK HostProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowTextA(dialog, g_title);
        SendDlgItemMessageA(dialog, TAB_CONTROL, TABCTL_SET_TAB_TEXT, 0, reinterpret_cast<LPARAM>("&Editor"));
        SendDlgItemMessageA(dialog, TAB_CONTROL, TABCTL_SET_TAB_ITEMS, 0, MAKELPARAM(1830, 1840));
        SendDlgItemMessageA(dialog, TAB_CONTROL, TABCTL_ADD_TAB, 0, reinterpret_cast<LPARAM>("&Palette"));
        SendDlgItemMessageA(dialog, TAB_CONTROL, TABCTL_SET_TAB_ITEMS, 1, MAKELPARAM(1810, 1816));
        SetDlgItemInt(dialog, NOTICE_COUNT, 0, FALSE);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == TAB_CONTROL) {
            const auto current = SendMessageA(reinterpret_cast<HWND>(lParam), TABCTL_GET_CURRENT, 0, 0);
            char text[64];
            snprintf(text, sizeof text, "id=%d code=%d param=%d", LOWORD(wParam), HIWORD(wParam), static_cast<int>(current));
            SetDlgItemTextA(dialog, LAST_NOTICE, text);
            SetDlgItemInt(dialog, NOTICE_COUNT, ++g_notices, FALSE);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    // The title may come quoted, as one argument with blanks.
    static char title[256];
    lstrcpynA(title, commandLine ? commandLine : "", sizeof title);
    char* text = title;
    const int length = lstrlenA(text);
    if (length >= 2 && text[0] == '"' && text[length - 1] == '"') {
        text[length - 1] = '\0';
        ++text;
    }
    g_title = text;
    if (!RegisterTabControl(instance)) return 2;
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(HOST_DIALOG), nullptr, HostProc, 0) == -1 ? 2 : 0;
}
