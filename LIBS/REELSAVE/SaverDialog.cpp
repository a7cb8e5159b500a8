// "Configure Screensaver": the animation list with a tick box per entry, its
// buttons, the switches and the seconds of "Terminate after", the password
// protection, a test run, and opening an entry in the editor.
#include "AnimFileSniff.h"
#include "UiSeam.h"
#include "ZelvoSave.h"
#include "resource.h"
#include <commctrl.h>
#include <algorithm>
#include <cstring>

namespace {

constexpr int TICK_WIDTH = 16, TICK_HEIGHT = 12;
constexpr int TEXT_GAP = 4;  // between the tick box and the path
constexpr char ADD_FILTER[] = "Zelvo Animationen (*.ANS;*.ANX)\0*.ANS;*.ANX\0";

// The dialog's own resources.
struct ConfigureDialog {
    HBITMAP ticks;      // bitmap 101
    WNDPROC listProc;   // the list box's own procedure
};
ConfigureDialog g_configure{};

HWND List(HWND dialog) { return GetDlgItem(dialog, IDC_ANIMATION_LIST); }

int Selected(HWND dialog)
{
    const LRESULT at = SendMessageA(List(dialog), LB_GETCURSEL, 0, 0);
    return at == LB_ERR ? -1 : static_cast<int>(at);
}

// Buttons that depend on the list: Add up to 100 entries, the others need a
// selection (and a neighbour to swap with).
void UpdateListButtons(HWND dialog)
{
    const int count = g_saver.list.count, at = Selected(dialog);
    EnableWindow(GetDlgItem(dialog, IDC_ADD), count < SAVER_MAX_ENTRIES);
    EnableWindow(GetDlgItem(dialog, IDC_REMOVE), count > 0);
    EnableWindow(GetDlgItem(dialog, IDC_MOVE_UP), at > 0);
    EnableWindow(GetDlgItem(dialog, IDC_MOVE_DOWN), at >= 0 && at < count - 1);
}

// The list box shows the list as it stands, item data = the entry's index.
void FillList(HWND dialog, int select)
{
    HWND list = List(dialog);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < g_saver.list.count; ++i) {
        const LRESULT at = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(g_saver.list.entries[i].path));
        SendMessageA(list, LB_SETITEMDATA, at, i);
    }
    if (g_saver.list.count > 0) SendMessageA(list, LB_SETCURSEL, std::clamp(select, 0, g_saver.list.count - 1), 0);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    UpdateListButtons(dialog);
}

void ToggleEntry(HWND dialog, int index)
{
    if (index < 0 || index >= g_saver.list.count) return;
    g_saver.list.entries[index].active = !g_saver.list.entries[index].active;
    RECT item;
    if (SendMessageA(List(dialog), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)) != LB_ERR)
        InvalidateRect(List(dialog), &item, TRUE);
}

void SetAllEntries(HWND dialog, bool active)
{
    for (int i = 0; i < g_saver.list.count; ++i) g_saver.list.entries[i].active = active;
    InvalidateRect(List(dialog), nullptr, TRUE);
}

void OpenSelectedEntry(HWND dialog)
{
    const int at = Selected(dialog);
    if (at >= 0) OpenInEditor(g_saver.list.entries[at].path);
}

// ---- the list box: tick boxes by mouse and space key ----

// The item under a point of the list's client area, -1 for none.
int ItemAt(HWND list, LPARAM point)
{
    const LRESULT hit = SendMessageA(list, LB_ITEMFROMPOINT, 0, point);
    if (HIWORD(hit)) return -1;  // outside every item
    const int item = LOWORD(hit);
    return item < g_saver.list.count ? item : -1;
}

bool OnTickBox(LPARAM point) { return static_cast<short>(LOWORD(point)) < TICK_WIDTH; }

LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND dialog = GetParent(list);
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) {
            ToggleEntry(dialog, Selected(dialog));
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == ' ') return 0;  // not a search for an item starting with a blank
        break;
    case WM_LBUTTONDOWN: {
        const LRESULT result = CallWindowProcA(g_configure.listProc, list, message, wParam, lParam);
        if (OnTickBox(lParam)) ToggleEntry(dialog, ItemAt(list, lParam));
        return result;
    }
    case WM_LBUTTONDBLCLK: {
        const int item = ItemAt(list, lParam);
        if (item < 0) break;
        if (OnTickBox(lParam)) ToggleEntry(dialog, item);
        else OpenSelectedEntry(dialog);
        return 0;
    }
    default:
        break;
    }
    return CallWindowProcA(g_configure.listProc, list, message, wParam, lParam);
}

// ---- drawing the items ----

void DrawTick(HDC dc, int x, int y, bool checked)
{
    HDC source = CreateCompatibleDC(dc);
    if (!source) return;
    HGDIOBJ old = SelectObject(source, g_configure.ticks);
    const int column = checked ? TICK_WIDTH : 0;
    // The mask (the row below the images) is black where the box is.
    BitBlt(dc, x, y, TICK_WIDTH, TICK_HEIGHT, source, column, TICK_HEIGHT, SRCAND);
    BitBlt(dc, x, y, TICK_WIDTH, TICK_HEIGHT, source, column, 0, SRCPAINT);
    SelectObject(source, old);
    DeleteDC(source);
}

void DrawEntry(const DRAWITEMSTRUCT& item)
{
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    HDC dc = item.hDC;
    FillRect(dc, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const int index = static_cast<int>(item.itemData);
    if (item.itemID != static_cast<UINT>(-1) && index >= 0 && index < g_saver.list.count) {
        const SaverEntry& entry = g_saver.list.entries[index];
        const RECT& r = item.rcItem;
        DrawTick(dc, r.left, r.top + (r.bottom - r.top - TICK_HEIGHT) / 2, entry.active);
        RECT text = r;
        text.left += TICK_WIDTH + TEXT_GAP;
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        DrawTextA(dc, entry.path, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_PATH_ELLIPSIS);
    }
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &item.rcItem);
}

void MeasureEntry(HWND dialog, MEASUREITEMSTRUCT* item)
{
    HDC dc = GetDC(dialog);
    TEXTMETRICA metrics{};
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
    item->itemHeight = std::max<UINT>(TICK_HEIGHT, metrics.tmHeight) + 2;
}

// ---- the buttons ----

void AddAnimation(HWND dialog)
{
    SaverList& list = g_saver.list;
    if (list.count >= SAVER_MAX_ENTRIES) return;
    const std::string title = SaverString(IDS_ADD_TITLE);
    // The buffer is larger than the dialog may fill: what comes back is
    // measured, never cut.
    char file[MAX_PATH] = "";
    OPENFILENAMEA choice{};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = dialog;
    choice.lpstrFilter = ADD_FILTER;
    choice.nFilterIndex = 1;
    choice.lpstrFile = file;
    choice.nMaxFile = SAVER_PATH_CHARS;
    choice.lpstrTitle = title.c_str();
    choice.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!CurrentUiSeam().getOpenFileName(&choice)) return;
    file[MAX_PATH - 1] = '\0';
    if (strlen(file) >= SAVER_PATH_CHARS) {
        MessageBeep(MB_ICONEXCLAMATION);  // no entry holds it
        return;
    }
    const AnimFileKind kind = SniffAnimationFile(file);
    if (kind == ANIM_FILE_INVALID) {
        ShowSaverMessage(dialog, SaverString(IDS_ADD_INVALID), title, MB_OK | MB_ICONERROR);
        return;
    }
    if (kind == ANIM_FILE_PART &&
        ShowSaverMessage(dialog, SaverString(IDS_ADD_PART), title, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    for (int i = 0; i < list.count; ++i) {
        if (lstrcmpiA(list.entries[i].path, file) == 0) {
            SendMessageA(List(dialog), LB_SETCURSEL, i, 0);
            UpdateListButtons(dialog);
            return;
        }
    }
    SaverEntry& entry = list.entries[list.count++];
    lstrcpynA(entry.path, file, SAVER_PATH_CHARS);
    entry.active = true;
    FillList(dialog, list.count - 1);
}

void RemoveAnimation(HWND dialog)
{
    SaverList& list = g_saver.list;
    const int at = Selected(dialog);
    if (at < 0 || at >= list.count) return;
    std::copy(list.entries + at + 1, list.entries + list.count, list.entries + at);
    --list.count;
    FillList(dialog, 0);
}

void MoveAnimation(HWND dialog, int step)
{
    SaverList& list = g_saver.list;
    const int at = Selected(dialog), to = at + step;
    if (at < 0 || to < 0 || to >= list.count) return;
    std::swap(list.entries[at], list.entries[to]);
    FillList(dialog, to);
}

// 104 and 105 show the protection as it is now.
void ShowProtection(HWND dialog)
{
    const bool on = IsPasswordProtected();
    CheckDlgButton(dialog, IDC_PASSWORD_CHECK, on ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(dialog, IDC_PASSWORD_CHANGE), on);
}

void OnProtectionBox(HWND dialog)
{
    if (IsDlgButtonChecked(dialog, IDC_PASSWORD_CHECK) != BST_CHECKED) {
        // The protection itself ends only with OK.
        EnableWindow(GetDlgItem(dialog, IDC_PASSWORD_CHANGE), FALSE);
        return;
    }
    if (!IsPasswordProtected()) RunChangePassword(dialog);
    ShowProtection(dialog);
}

// The switches into the options. False when "Terminate after" holds fewer
// than 10 seconds: the field shows 10 and the dialog stays.
bool ReadOptions(HWND dialog)
{
    SaverOptions& options = g_saver.options;
    options.random = IsDlgButtonChecked(dialog, IDC_RANDOM) == BST_CHECKED;
    options.maxPlay = IsDlgButtonChecked(dialog, IDC_TERMINATE) == BST_CHECKED;
    options.showDesktop = IsDlgButtonChecked(dialog, IDC_SHOW_DESKTOP) == BST_CHECKED;
    BOOL numeric = FALSE;
    const int seconds = static_cast<int>(GetDlgItemInt(dialog, IDC_SECONDS, &numeric, FALSE));
    if (options.maxPlay && (!numeric || seconds < SAVER_MIN_SECONDS)) {
        SetDlgItemInt(dialog, IDC_SECONDS, SAVER_MIN_SECONDS, FALSE);
        options.seconds = SAVER_MIN_SECONDS;
        MessageBeep(MB_ICONEXCLAMATION);
        return false;
    }
    if (numeric) options.seconds = SaneSeconds(seconds);
    return true;
}

// A test run over the dialog, which waits for it. The run may mark entries
// that cannot be played: that is for the run only, not for the list the
// dialog saves.
void RunTest(HWND dialog)
{
    const SaverList kept = g_saver.list;
    const int at = Selected(dialog);
    EnableWindow(dialog, FALSE);
    if (HWND window = CreateSaverWindow(true, at)) {
        MSG message;
        while (IsWindow(window)) {
            const BOOL got = GetMessageA(&message, nullptr, 0, 0);
            if (got <= 0) {
                if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    g_saver.list = kept;
    EnableWindow(dialog, TRUE);
    SetForegroundWindow(dialog);
}

void OnOk(HWND dialog)
{
    if (GetFocus() == List(dialog)) {
        OpenSelectedEntry(dialog);
        return;
    }
    if (!ReadOptions(dialog)) return;
    if (IsDlgButtonChecked(dialog, IDC_PASSWORD_CHECK) != BST_CHECKED && IsPasswordProtected()) SetPasswordProtected(false);
    g_saver.options.curTag = Selected(dialog);
    WriteSaverSettings(g_saver.iniPath, g_saver.options, g_saver.list);
    EndDialog(dialog, g_saver.list.count);
}

void CentreOnScreen(HWND dialog)
{
    RECT r;
    GetWindowRect(dialog, &r);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void OnInitDialog(HWND dialog)
{
    CentreOnScreen(dialog);
    g_configure.ticks = LoadBitmapA(g_saver.instance, MAKEINTRESOURCEA(IDB_TICKS));
    g_configure.listProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(List(dialog), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListProc)));
    const SaverOptions& options = g_saver.options;
    CheckDlgButton(dialog, IDC_RANDOM, options.random ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_TERMINATE, options.maxPlay ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_SHOW_DESKTOP, options.showDesktop ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageA(dialog, IDC_SECONDS, EM_LIMITTEXT, 3, 0);
    SendDlgItemMessageA(dialog, IDC_SECONDS_SPIN, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_SECONDS)), 0);
    SendDlgItemMessageA(dialog, IDC_SECONDS_SPIN, UDM_SETRANGE32, SAVER_MIN_SECONDS, SAVER_MAX_SECONDS);
    SetDlgItemInt(dialog, IDC_SECONDS, options.seconds, FALSE);
    ShowProtection(dialog);
    FillList(dialog, 0);
}

void OnDestroyDialog(HWND dialog)
{
    if (g_configure.listProc)
        SetWindowLongPtrA(List(dialog), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_configure.listProc));
    if (g_configure.ticks) DeleteObject(g_configure.ticks);
    g_configure = {};
}

bool OnCommand(HWND dialog, WPARAM wParam)
{
    switch (LOWORD(wParam)) {
    case IDC_ADD: AddAnimation(dialog); return true;
    case IDC_REMOVE: RemoveAnimation(dialog); return true;
    case IDC_MOVE_UP: MoveAnimation(dialog, -1); return true;
    case IDC_MOVE_DOWN: MoveAnimation(dialog, 1); return true;
    case IDC_ACTIVATE_ALL: SetAllEntries(dialog, true); return true;
    case IDC_ACTIVATE_NONE: SetAllEntries(dialog, false); return true;
    case IDC_PASSWORD_CHECK: OnProtectionBox(dialog); return true;
    case IDC_PASSWORD_CHANGE:
        RunChangePassword(dialog);
        ShowProtection(dialog);
        return true;
    case IDC_TEST:
        if (ReadOptions(dialog)) RunTest(dialog);
        return true;
    case IDC_ANIMATION_LIST:
        if (HIWORD(wParam) == LBN_SELCHANGE) UpdateListButtons(dialog);
        return true;
    case IDOK: OnOk(dialog); return true;
    case IDCANCEL: EndDialog(dialog, 0); return true;
    default: return false;
    }
}

INT_PTR CALLBACK ConfigureProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_MEASUREITEM:
        MeasureEntry(dialog, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DRAWITEM:
        DrawEntry(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_COMMAND:
        return OnCommand(dialog, wParam);
    case WM_DESTROY:
        OnDestroyDialog(dialog);
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR RunConfigureDialog(HWND owner)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    return DialogBoxParamA(g_saver.instance, MAKEINTRESOURCEA(IDD_CONFIGURE), owner, ConfigureProc, 0);
}
