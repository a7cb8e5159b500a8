#include "DialogTestHooks.h"
#include "DialogUtilities.h"
#include "UiSeam.h"

namespace {
MessageBoxRecorder* activeRecorder = nullptr;
DialogAutoAnswer* activeAnswer = nullptr;
MenuWatch* activeWatch = nullptr;

std::string WindowText(HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}
}  // namespace

MessageBoxRecorder::MessageBoxRecorder(int answer) : answer_(answer)
{
    activeRecorder = this;
    previous_ = &CurrentUiSeam();
    seam_ = *previous_;
    seam_.messageBox = &MessageBoxRecorder::Answer;
    InstallUiSeam(&seam_);
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    InstallUiSeam(previous_);
    activeRecorder = nullptr;
}

int WINAPI MessageBoxRecorder::Answer(HWND owner, LPCSTR text, LPCSTR caption, UINT style)
{
    MessageBoxRecorder& self = *activeRecorder;
    self.boxes_.push_back({owner, text ? text : "", caption ? caption : "", style});
    if (self.queued_.empty()) return self.answer_;
    int answer = self.queued_.front();
    self.queued_.pop_front();
    return answer;
}

DialogAutoAnswer::DialogAutoAnswer(Action action) : action_(std::move(action))
{
    activeAnswer = this;
    hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, &DialogAutoAnswer::AfterMessage, nullptr, GetCurrentThreadId());
}

DialogAutoAnswer::~DialogAutoAnswer()
{
    UnhookWindowsHookEx(hook_);
    activeAnswer = nullptr;
}

LRESULT CALLBACK DialogAutoAnswer::AfterMessage(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && activeAnswer && call->message == WM_INITDIALOG) {
        activeAnswer->seen_.push_back(
            {call->hwnd, GetWindow(call->hwnd, GW_OWNER), WindowText(call->hwnd), call->lParam});
        if (activeAnswer->action_) activeAnswer->action_(call->hwnd);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

DialogAutoAnswer::Action DialogAutoAnswer::PressButton(int id)
{
    // Posted, so the click arrives through the dialog's own message loop.
    return [id](HWND dialog) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    };
}

MenuWatch::MenuWatch()
{
    activeWatch = this;
    hook_ = SetWindowsHookExA(WH_CALLWNDPROC, &MenuWatch::Watch, nullptr, GetCurrentThreadId());
}

MenuWatch::~MenuWatch()
{
    UnhookWindowsHookEx(hook_);
    activeWatch = nullptr;
}

bool MenuWatch::OpenedFor(HWND owner) const
{
    for (HWND w : owners_)
        if (w == owner) return true;
    return false;
}

void CALLBACK MenuWatch::CloseMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    EndMenu();
}

LRESULT CALLBACK MenuWatch::Watch(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && activeWatch && m->message == WM_ENTERMENULOOP) {
        activeWatch->owners_.push_back(m->hwnd);
        // The menu's own loop runs the timer that ends it.
        SetTimer(nullptr, 0, 50, &MenuWatch::CloseMenu);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::string DialogItemText(HWND dialog, int item)
{
    HWND control = GetDlgItem(dialog, item);
    return control ? WindowText(control) : std::string();
}
