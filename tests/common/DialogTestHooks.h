// Test hooks that answer the editor's message boxes and dialogs in place of a
// person, and record what was shown.
#pragma once
#include "UiSeam.h"
#include <windows.h>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// Answers every message box shown through ShowMessageBox while it lives.
class MessageBoxRecorder {
public:
    struct Box {
        HWND owner;
        std::string text;
        std::string caption;
        UINT style;
    };
    // `answer` is given to every box once the queued answers are used up.
    explicit MessageBoxRecorder(int answer = IDOK);
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;
    void QueueAnswer(int answer) { queued_.push_back(answer); }
    const std::vector<Box>& Boxes() const { return boxes_; }
private:
    static int WINAPI Answer(HWND owner, LPCSTR text, LPCSTR caption, UINT style);
    int answer_;
    std::deque<int> queued_;
    std::vector<Box> boxes_;
    const UiSeam* previous_;
    UiSeam seam_;
};

// Acts on every dialog of this thread (message boxes included) once it has
// handled WM_INITDIALOG, for as long as it lives: by default it presses
// Cancel. Records what each dialog was started with.
class DialogAutoAnswer {
public:
    using Action = std::function<void(HWND dialog)>;
    struct Seen {
        HWND dialog;
        HWND owner;
        std::string caption;
        LPARAM initParam;
    };
    explicit DialogAutoAnswer(Action action = PressButton(IDCANCEL));
    ~DialogAutoAnswer();
    DialogAutoAnswer(const DialogAutoAnswer&) = delete;
    DialogAutoAnswer& operator=(const DialogAutoAnswer&) = delete;
    const std::vector<Seen>& Dialogs() const { return seen_; }
    // An action that clicks the button with this id once the dialog runs.
    static Action PressButton(int id);
private:
    static LRESULT CALLBACK AfterMessage(int code, WPARAM wParam, LPARAM lParam);
    Action action_;
    HHOOK hook_;
    std::vector<Seen> seen_;
};

// Closes every menu this thread opens (a context menu, a system menu) while it
// lives, and notes the windows whose menus opened.
class MenuWatch {
public:
    MenuWatch();
    ~MenuWatch();
    MenuWatch(const MenuWatch&) = delete;
    MenuWatch& operator=(const MenuWatch&) = delete;
    bool OpenedFor(HWND owner) const;
    void Clear() { owners_.clear(); }
private:
    static LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK CloseMenu(HWND, UINT, UINT_PTR timer, DWORD);
    HHOOK hook_;
    std::vector<HWND> owners_;
};

// The text of a dialog item (a message box keeps its text in item 0xFFFF).
std::string DialogItemText(HWND dialog, int item);
