// The screensaver's password lock: the system keeps the protection switch
// and the password's hash in control.ini; the check dialog guards the end of
// a run, the change dialog stores a new password.
#include "ZelvoSave.h"
#include "resource.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char CONTROL_INI[] = "control.ini";
constexpr char KEY_PROTECTED[] = "PWProtected";
constexpr char KEY_HASH[] = "PWEncryption";
constexpr int MIN_PASSWORD_CHARS = 3;
// Posted by the check dialog to itself: it takes the activation back.
constexpr UINT WM_REACTIVATE = WM_APP + 1;

std::string Section() { return SaverString(IDS_PASSWORD_SECTION); }

uint32_t StoredHash()
{
    char text[32];
    GetPrivateProfileStringA(Section().c_str(), KEY_HASH, "", text, sizeof text, CONTROL_INI);
    return static_cast<uint32_t>(strtoul(text, nullptr, 16));
}

std::string ItemText(HWND dialog, int item)
{
    char text[PASSWORD_CHARS + 1] = "";
    GetDlgItemTextA(dialog, item, text, sizeof text);
    return text;
}

void ShowPasswordError(HWND dialog, UINT id)
{
    ShowSaverMessage(dialog, SaverString(id), SaverString(IDS_ERROR), MB_OK | MB_ICONEXCLAMATION);
}

// ---- the check ----

INT_PTR CALLBACK PasswordCheckProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(dialog, IDC_PASSWORD, EM_LIMITTEXT, PASSWORD_CHARS, 0);
        SetFocus(GetDlgItem(dialog, IDC_PASSWORD));
        return FALSE;
    case WM_ACTIVATE: {
        // Nothing else may take the keyboard while the screensaver is locked;
        // the dialog's own message boxes may.
        const HWND other = reinterpret_cast<HWND>(lParam);
        if (LOWORD(wParam) == WA_INACTIVE && (!other || GetWindowThreadProcessId(other, nullptr) != GetCurrentThreadId()))
            PostMessageA(dialog, WM_REACTIVATE, 0, 0);
        return FALSE;
    }
    case WM_REACTIVATE:
        if (GetForegroundWindow() != dialog && IsWindowEnabled(dialog)) {
            SetForegroundWindow(dialog);
            SetFocus(GetDlgItem(dialog, IDC_PASSWORD));
        }
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            if (IsRightPassword(ItemText(dialog, IDC_PASSWORD).c_str())) {
                EndDialog(dialog, 1);
            } else {
                ShowPasswordError(dialog, IDS_PASSWORD_WRONG);
                SetFocus(GetDlgItem(dialog, IDC_PASSWORD));
                SendDlgItemMessageA(dialog, IDC_PASSWORD, EM_SETSEL, 0, -1);
            }
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

// ---- the change ----

void EnableOldPassword(HWND dialog)
{
    EnableWindow(GetDlgItem(dialog, IDC_OLD_PASSWORD), IsPasswordProtected());
}

// Enter in the first two fields moves on instead of ending the dialog.
bool MoveToNextField(HWND dialog)
{
    const HWND focus = GetFocus();
    for (int item : {IDC_OLD_PASSWORD, IDC_NEW_PASSWORD}) {
        if (focus == GetDlgItem(dialog, item)) {
            SendMessageA(dialog, WM_NEXTDLGCTL, 0, FALSE);
            return true;
        }
    }
    return false;
}

void ChangePassword(HWND dialog)
{
    if (IsPasswordProtected() && !IsRightPassword(ItemText(dialog, IDC_OLD_PASSWORD).c_str())) {
        SetDlgItemTextA(dialog, IDC_OLD_PASSWORD, "");
        SetFocus(GetDlgItem(dialog, IDC_OLD_PASSWORD));
        return;
    }
    const std::string fresh = ItemText(dialog, IDC_NEW_PASSWORD);
    if (fresh.size() < MIN_PASSWORD_CHARS) {
        ShowPasswordError(dialog, IDS_PASSWORD_TOO_SHORT);
        SetFocus(GetDlgItem(dialog, IDC_NEW_PASSWORD));
        return;
    }
    if (fresh != ItemText(dialog, IDC_RETYPE_PASSWORD)) {
        ShowPasswordError(dialog, IDS_PASSWORD_MISMATCH);
        SetDlgItemTextA(dialog, IDC_NEW_PASSWORD, "");
        SetDlgItemTextA(dialog, IDC_RETYPE_PASSWORD, "");
        SetFocus(GetDlgItem(dialog, IDC_NEW_PASSWORD));
        return;
    }
    StorePassword(fresh.c_str());
    EndDialog(dialog, 1);
}

INT_PTR CALLBACK ChangePasswordProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        for (int item : {IDC_OLD_PASSWORD, IDC_NEW_PASSWORD, IDC_RETYPE_PASSWORD})
            SendDlgItemMessageA(dialog, item, EM_LIMITTEXT, PASSWORD_CHARS, 0);
        EnableOldPassword(dialog);
        SetFocus(GetDlgItem(dialog, IsPasswordProtected() ? IDC_OLD_PASSWORD : IDC_NEW_PASSWORD));
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            if (!MoveToNextField(dialog)) ChangePassword(dialog);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        case IDC_PASSWORD_HELP:
            WinHelpA(dialog, "control.hlp", HELP_CONTENTS, 0);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

}  // namespace

uint32_t PasswordHash(const char* text)
{
    // Characters count as signed bytes; every step wraps in 32 bits.
    const uint32_t n = static_cast<uint32_t>(strlen(text));
    uint32_t h = (n ^ 0x11u) << 16;
    int k = 1;
    for (uint32_t j = 0; j < n; ++j) {
        const uint32_t c = static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(text[j])));
        if (k >= 11) k = 0;
        if (j % 4 == 3) h ^= (c << (k + 3)) - 1;
        else h += c << k;
        k += 2;
    }
    return h;
}

bool IsPasswordProtected()
{
    return GetPrivateProfileIntA(Section().c_str(), KEY_PROTECTED, 0, CONTROL_INI) != 0;
}

void SetPasswordProtected(bool on)
{
    WritePrivateProfileStringA(Section().c_str(), KEY_PROTECTED, on ? "1" : "0", CONTROL_INI);
}

bool IsRightPassword(const char* text)
{
    return !IsPasswordProtected() || PasswordHash(text) == StoredHash();
}

void StorePassword(const char* text)
{
    char hash[16];
    snprintf(hash, sizeof hash, "%lX", static_cast<unsigned long>(PasswordHash(text)));
    WritePrivateProfileStringA(Section().c_str(), KEY_PROTECTED, "1", CONTROL_INI);
    WritePrivateProfileStringA(Section().c_str(), KEY_HASH, hash, CONTROL_INI);
}

bool RunPasswordCheck(HWND owner)
{
    return DialogBoxParamA(g_saver.instance, MAKEINTRESOURCEA(IDD_PASSWORD_CHECK), owner, PasswordCheckProc, 0) == 1;
}

bool RunChangePassword(HWND owner)
{
    return DialogBoxParamA(g_saver.instance, MAKEINTRESOURCEA(IDD_PASSWORD_CHANGE), owner, ChangePasswordProc, 0) == 1;
}
