#include "ComposeTestSupport.h"
#include "WindowDialogs.h"
#include <map>

struct DialogDrivers::State {
    std::vector<Driver> drivers;
    size_t next = 0;
    std::map<HWND, Driver> running;
};

namespace {

constexpr UINT_PTR kDriveTimer = 0x5A5A;
DialogDrivers::State* g_drivers;

// The dialog loop shows its dialog once the queue first runs empty; a click
// on a dialog not shown yet would activate a hidden window, which Wine does
// not finish. So the driver waits for the dialog to be shown.
void CALLBACK DriveNow(HWND dialog, UINT, UINT_PTR timer, DWORD)
{
    if (!IsWindowVisible(dialog)) return;
    KillTimer(dialog, timer);
    if (!g_drivers) return;
    auto found = g_drivers->running.find(dialog);
    if (found == g_drivers->running.end()) return;
    const DialogDrivers::Driver driver = found->second;
    g_drivers->running.erase(found);
    if (driver) driver(dialog);
    if (IsWindow(dialog) && IsWindowVisible(dialog)) {
        ADD_FAILURE() << "a driver left its dialog open";
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
}

}  // namespace

DialogDrivers::DialogDrivers(std::initializer_list<Driver> drivers) : state_(std::make_unique<State>())
{
    state_->drivers = drivers;
    g_drivers = state_.get();
    hook_ = std::make_unique<DialogAutoAnswer>([this](HWND dialog) {
        char caption[256] = "";
        GetWindowTextA(dialog, caption, sizeof caption);
        captions_.push_back(caption);
        if (state_->next >= state_->drivers.size()) {
            ADD_FAILURE() << "no driver for the dialog \"" << caption << "\"";
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        state_->running[dialog] = state_->drivers[state_->next++];
        SetTimer(dialog, kDriveTimer, 10, DriveNow);
    });
}

DialogDrivers::~DialogDrivers()
{
    hook_.reset();
    g_drivers = nullptr;
}

void Click(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    ASSERT_NE(button, nullptr) << "no control " << id;
    ASSERT_TRUE(IsWindowEnabled(button)) << "control " << id << " is disabled";
    SendMessageA(button, BM_CLICK, 0, 0);
}

void Command(HWND dialog, int id) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void SetText(HWND dialog, int id, const char* text) { SetDlgItemTextA(dialog, id, text); }

void ChooseCombo(HWND dialog, int id, int item)
{
    HWND combo = GetDlgItem(dialog, id);
    SendMessageA(combo, CB_SETCURSEL, item, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::string Text(HWND dialog, int id) { return DialogItemText(dialog, id); }

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

KeyHeld::KeyHeld(int key)
{
    GetKeyboardState(saved_);
    BYTE state[256];
    memcpy(state, saved_, sizeof state);
    state[key] = 0x80;
    SetKeyboardState(state);
}

KeyHeld::~KeyHeld() { SetKeyboardState(saved_); }

ObjectStep StepOf(int frame, int x, int y, int wait, uint8_t flags)
{
    ObjectStep s{};
    s.frameIndex = static_cast<uint8_t>(frame);
    s.x = x;
    s.y = y;
    s.waitCount = static_cast<uint8_t>(wait);
    s.stepFlags = flags;
    return s;
}

void ComposeTest::SetUp()
{
    DocumentTest::SetUp();
    ASSERT_TRUE(RegisterEditorClassesOnce());
    static bool registered = false;
    if (!registered) RegisterComposeDialogs();
    registered = true;
    pathA_ = folder_.File("a.bmx");
    pathB_ = folder_.File("b.bmx");
    ASSERT_EQ(WriteSequenceFixture(pathA_, {MakeStaticColorDib(16, 16, 1), MakeStaticColorDib(16, 16, 2),
                                           MakeStaticColorDib(16, 16, 3), MakeStaticColorDib(16, 16, 4)}, 0),
              RESULT_OK);
    ASSERT_EQ(WriteSequenceFixture(pathB_, {MakeStaticColorDib(16, 16, 5), MakeStaticColorDib(16, 16, 6),
                                           MakeStaticColorDib(16, 16, 7)}, 0),
              RESULT_OK);
    ASSERT_EQ(LoadFrameFile(pathA_.c_str(), 0), RESULT_OK);
    strcpy(g_appState.pathBuffer, pathB_.c_str());
    ASSERT_EQ(AddObject(nullptr, ADD_PATH_BUFFER), 1);
    ASSERT_EQ(AddObject(nullptr, ADD_EXISTING_SEQUENCE | 0), 1);
    ASSERT_EQ(SetCurrentObject(nullptr, SELECT_OBJECT | 0), 1);
    ASSERT_EQ(g_document.objectCount, 3);
    ASSERT_EQ(g_appState.frameCount, 4);
    g_document.animationState = 0;
}

void ComposeTest::TearDown() { DocumentTest::TearDown(); }

void ComposeTest::SetSteps(int object, const std::vector<ObjectStep>& steps)
{
    HGLOBAL& own = g_document.objectMemoryHandles[object][0];
    if (own) own = GlobalFree(own);
    g_document.objectTable[object].stepCount = static_cast<int>(steps.size());
    if (steps.empty()) return;
    own = AllocateStepBlock(static_cast<int>(steps.size()));
    GlobalLockGuard<ObjectStep> p(own);
    for (size_t i = 0; i < steps.size(); ++i) p.get()[i] = steps[i];
}

std::vector<ObjectStep> ComposeTest::Steps(int object) const
{
    std::vector<ObjectStep> out;
    HGLOBAL own = g_document.objectMemoryHandles[object][0];
    GlobalLockGuard<ObjectStep> p(own);
    for (int i = 0; p && i < g_document.objectTable[object].stepCount; ++i) out.push_back(p.get()[i]);
    return out;
}

void WindowAreaTest::SetUp()
{
    ComposeTest::SetUp();
    static bool registered = false;
    if (!registered) RegisterWindowDialogs();
    registered = true;
    AnimationSettings& s = g_document.animationSettings;
    s.sizeMode = 1;
    s.width = 200;
    s.height = 100;
    s.positionFlags = 0;
}

void SendDrag(HWND target, POINT from, POINT to, WPARAM keys, const std::function<LPARAM(POINT)>& at)
{
    SendMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON | keys, at(from));
    SendMessageA(target, WM_MOUSEMOVE, MK_LBUTTON | keys, at({(from.x + to.x) / 2, (from.y + to.y) / 2}));
    SendMessageA(target, WM_MOUSEMOVE, MK_LBUTTON | keys, at(to));
    SendMessageA(target, WM_LBUTTONUP, keys, at(to));
}

void PressStripIcon(HWND strip, int icon)
{
    const LPARAM at = MAKELPARAM(16, icon * 32 + 16);
    SendMessageA(strip, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(strip, WM_LBUTTONUP, 0, at);
}
