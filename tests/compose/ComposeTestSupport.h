// Shared pieces of the composition dialog tests: a document of three objects
// on two small sequences, step lists, and the dialogs run through the
// editor's dialog runner with a driver each that works them from inside their
// own message loop.
#pragma once
#include "ComposeDialogs.h"
#include "ComposeResources.h"
#include "DialogTestHooks.h"
#include "DialogUtilities.h"
#include "DocumentTestSupport.h"
#include "FilmStrip.h"
#include "ResultCodes.h"
#include "ShellControlSupport.h"
#include "resource.h"
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

// Drives the dialogs this thread opens while it lives, one driver each in the
// order they open. A driver runs once its dialog waits for input; it should
// end the dialog. A dialog its driver leaves open, or one without a driver,
// is cancelled and counted as a failure.
class DialogDrivers {
public:
    using Driver = std::function<void(HWND dialog)>;
    struct State;
    DialogDrivers(std::initializer_list<Driver> drivers);
    ~DialogDrivers();
    DialogDrivers(const DialogDrivers&) = delete;
    DialogDrivers& operator=(const DialogDrivers&) = delete;
    // The captions of the dialogs driven, in order.
    const std::vector<std::string>& Captions() const { return captions_; }
private:
    std::unique_ptr<State> state_;
    std::vector<std::string> captions_;
    std::unique_ptr<DialogAutoAnswer> hook_;
};

// Clicks a button as a user does (BM_CLICK): auto check boxes and radios
// change their state, and the dialog hears BN_CLICKED.
void Click(HWND dialog, int id);
// Sends the dialog a command (a menu item).
void Command(HWND dialog, int id);
void SetText(HWND dialog, int id, const char* text);
// Chooses a combo box item as a user does: the dialog hears CBN_SELCHANGE.
void ChooseCombo(HWND dialog, int id, int item);
// Handles what is waiting in this thread's queue (a strip posts its new
// selection to itself).
void Pump();
std::string Text(HWND dialog, int id);
bool Enabled(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);
// Holds Ctrl or Shift in this thread's key state for its lifetime (what
// GetKeyState answers while a command runs).
class KeyHeld {
public:
    explicit KeyHeld(int key);
    ~KeyHeld();
    KeyHeld(const KeyHeld&) = delete;
    KeyHeld& operator=(const KeyHeld&) = delete;
private:
    BYTE saved_[256];
};

ObjectStep StepOf(int frame, int x = 0, int y = 0, int wait = 0, uint8_t flags = 0);

// A document of three objects: "Object 1" and "Object 3" on sequence 0
// (a.bmx, four frames), "Object 2" on sequence 1 (b.bmx, three frames);
// object 0 is current, the animation counts as saved (state 0).
class ComposeTest : public DocumentTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Gives an object a step list (the old one is freed).
    void SetSteps(int object, const std::vector<ObjectStep>& steps);
    std::vector<ObjectStep> Steps(int object) const;
    // The result of RunDialog for a template.
    INT_PTR Run(int templateId, LPARAM param = 0) { return RunDialog(templateId, nullptr, param); }
    std::string pathA_, pathB_;
};

// The same document in a 200 x 100 window (frames 16 x 16, placed by their
// top-left corners), with the window, path, region and sound dialogs
// registered: the canvases' tests.
class WindowAreaTest : public ComposeTest {
protected:
    void SetUp() override;
};

// Mouse messages sent straight to a window: a press at `from`, moves to the
// midpoint and to `to`, a release there; `at` gives each point's lParam.
void SendDrag(HWND target, POINT from, POINT to, WPARAM keys, const std::function<LPARAM(POINT)>& at);
// A press and release on icon `icon` of a tool strip of 32 x 32 icons stacked.
void PressStripIcon(HWND strip, int icon);
