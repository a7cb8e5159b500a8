// "TABCTL", the editor's own tab control for dialog templates: a row of equally
// wide tabs over a framed page, each tab showing and hiding a range of the
// parent dialog's items.
#pragma once
#include <windows.h>

// Messages (tab indices are 0-based).
constexpr UINT TABCTL_DELETE_TAB = WM_USER + 1;     // 1025: wParam tab -> 1 deleted, 0 refused
constexpr UINT TABCTL_ENABLE_TABS = WM_USER + 2;    // 1026: wParam enable, lParam first | last << 16
constexpr UINT TABCTL_IS_TAB_ENABLED = WM_USER + 3; // 1027: wParam tab -> 1 enabled
constexpr UINT TABCTL_GET_CURRENT = WM_USER + 4;    // 1028
constexpr UINT TABCTL_GET_COUNT = WM_USER + 5;      // 1029
constexpr UINT TABCTL_GET_TAB_TEXT = WM_USER + 6;   // 1030: wParam tab, lParam buffer of 64 -> length
constexpr UINT TABCTL_ADD_TAB = WM_USER + 7;        // 1031: lParam text -> index of the new tab
constexpr UINT TABCTL_SELECT_TAB = WM_USER + 8;     // 1032: wParam tab -> 0 became current, 1 not
constexpr UINT TABCTL_SET_TAB_TEXT = WM_USER + 9;   // 1033: wParam tab, lParam text
constexpr UINT TABCTL_SET_TAB_ITEMS = WM_USER + 10; // 1034: wParam tab, lParam first id | last id << 16

// Window styles.
constexpr DWORD TABCTL_STYLE_NAMED = 0x0001;          // tabs carry texts; the window text names tab 0
constexpr DWORD TABCTL_STYLE_NUMBER_FORMAT = 0x0002;  // unnamed: the window text formats the number
constexpr DWORD TABCTL_STYLE_NO_FRAME = 0x0004;
constexpr DWORD TABCTL_STYLE_BOTTOM = 0x0008;

// A tab text is formatted into a 64-character label, so at most 63 are kept.
constexpr int TABCTL_TEXT_CHARS = 63;
// Five pointer-wide slots: current tab, tab count, names block, font, records block.
constexpr int TABCTL_EXTRA_BYTES = 5 * sizeof(LONG_PTR);

LRESULT CALLBACK TabControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Registers "TABCTL" for this module; the class atom, 0 on failure.
ATOM RegisterTabControl(HINSTANCE instance);

// True when `format` may be handed to wsprintf with one integer: exactly one
// integer conversion (d, i, u, x or X with flags, width and precision), any
// other "%" only as "%%".
bool IsTabNumberFormat(const char* format);
// The label of an unnamed tab: `format` applied to `number` when it is a safe
// number format, else `format` itself; at most 63 characters into `out` (64).
// Returns the label's length.
int FormatTabLabel(const char* format, int number, char* out);
