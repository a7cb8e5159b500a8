#include "DialogTestHooks.h"
#include "DialogUtilities.h"
#include "UiSeam.h"

namespace {
MessageBoxRecorder* activeRecorder = nullptr;
DialogAutoAnswer* activeAnswer = nullptr;

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

std::string DialogItemText(HWND dialog, int item)
{
    HWND control = GetDlgItem(dialog, item);
    return control ? WindowText(control) : std::string();
}
