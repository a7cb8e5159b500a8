// Acts on every dialog of this thread once it has handled WM_INITDIALOG,
// for the cursor and AVI tests: the action gets the dialog and its caption.
#pragma once
#include <windows.h>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

class OnDialog {
public:
    using Action = std::function<void(HWND, const std::string&)>;
    explicit OnDialog(Action action) : action_(std::move(action))
    {
        previous_ = active_;
        active_ = this;
        hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, After, nullptr, GetCurrentThreadId());
    }
    ~OnDialog()
    {
        UnhookWindowsHookEx(hook_);
        active_ = previous_;
    }
    OnDialog(const OnDialog&) = delete;
    OnDialog& operator=(const OnDialog&) = delete;
    std::vector<std::string> captions;

private:
    static LRESULT CALLBACK After(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (code == HC_ACTION && active_ && call->message == WM_INITDIALOG) {
            char caption[100] = "";
            GetWindowTextA(call->hwnd, caption, sizeof caption);
            active_->captions.push_back(caption);
            active_->action_(call->hwnd, caption);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline OnDialog* active_ = nullptr;
    OnDialog* previous_;
    Action action_;
    HHOOK hook_;
};

// A click posted, so that it arrives through the dialog's own loop.
inline void Press(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
// A click handled before the call returns.
inline void Click(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
inline std::string Text(HWND dialog, int id)
{
    char text[300] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}
inline bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
inline bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
// The control's own visibility (the dialog may not show yet).
inline bool Shown(HWND dialog, int id) { return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0; }

// Leaving an edit field, as moving the focus away tells the dialog.
inline void Leave(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// EnumChildWindows callback: stores the first combo box in the HWND at OUT.
inline BOOL CALLBACK FindFirstComboBox(HWND child, LPARAM out)
{
    char name[32] = "";
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "ComboBox") != 0) return TRUE;
    *reinterpret_cast<HWND*>(out) = child;
    return FALSE;
}

// In the system's compressor chooser: "Uncompressed", then OK (Cancel when
// it is not offered). Wine's "MSVC" cannot compress and "MRLE" refuses key
// frames, so exported frames are written uncompressed.
inline void ChooseUncompressed(HWND dialog)
{
    HWND combo = nullptr;
    EnumChildWindows(dialog, FindFirstComboBox, reinterpret_cast<LPARAM>(&combo));
    const int count = combo ? static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0)) : 0;
    for (int i = 0; i < count; ++i) {
        char text[128] = "";
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        if (!strstr(text, "Uncompressed")) continue;
        SendMessageA(combo, CB_SETCURSEL, i, 0);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        return;
    }
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}
