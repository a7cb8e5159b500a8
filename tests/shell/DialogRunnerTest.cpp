// The modal dialog runner, centring, the message pump and the small helpers.
#include "DialogTestHooks.h"
#include "DialogUtilities.h"
#include "ShellControlSupport.h"
#include "resource.h"
#include <gtest/gtest.h>

namespace {

// A plain top-level window to own dialogs.
class TestWindow {
public:
    TestWindow(int x, int y, int w, int h, HWND owner = nullptr, DWORD style = WS_POPUP | WS_VISIBLE)
    {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = &TestWindow::Procedure;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "ZelvoTestWindow";
            RegisterClassA(&wc);
            registered = true;
        }
        window_ = CreateWindowExA(0, "ZelvoTestWindow", "owner", style, x, y, w, h, owner, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    }
    ~TestWindow() { DestroyWindow(window_); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND Get() const { return window_; }
    static int appMessages;
private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_APP) ++appMessages;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    HWND window_;
};
int TestWindow::appMessages = 0;

// The tool-window switch of a fake host: remembers each state it was set to.
int toolWindowState = TRUE;
std::vector<int> toolWindowCalls;
int SwitchToolWindows(int enable)
{
    toolWindowCalls.push_back(enable);
    int previous = toolWindowState;
    toolWindowState = enable;
    return previous;
}

TEST(RunDialog, RunsAModalDialogOfTheTableAndReturnsHowItEnded)
{
    TestWindow owner(50, 50, 300, 200);
    bool ownerEnabledMeanwhile = true;
    DialogAutoAnswer answer([&](HWND dialog) {
        ownerEnabledMeanwhile = IsWindowEnabled(owner.Get()) != FALSE;
        DialogAutoAnswer::PressButton(IDOK)(dialog);
    });
    // "Save changes" answers OK with its checks: 1 | 2 | 4.
    EXPECT_EQ(7, RunDialog(IDD_SAVE_CHANGES, owner.Get(), 0x5A5A));
    ASSERT_EQ(1u, answer.Dialogs().size());
    const DialogAutoAnswer::Seen& seen = answer.Dialogs()[0];
    EXPECT_EQ("Save changes", seen.caption);
    EXPECT_EQ(owner.Get(), seen.owner);
    EXPECT_EQ(0x5A5A, seen.initParam) << "the initial parameter reaches WM_INITDIALOG";
    EXPECT_FALSE(ownerEnabledMeanwhile) << "the dialog is modal to its owner";
    EXPECT_FALSE(IsWindow(seen.dialog)) << "the dialog is gone when RunDialog returns";
    EXPECT_TRUE(IsWindowEnabled(owner.Get()));
}

TEST(RunDialog, EveryTemplateOfTheTableIsShown)
{
    // Some templates hold the editor's own controls (the cycle dialog's film
    // strips): without their classes the dialog cannot be made at all.
    ASSERT_TRUE(RegisterEditorClassesOnce());
    const int tableIds[] = {1005, 1006, 1007, 1010, 1011, 1012, 1013, 1014, 1015, 1016, 1017, 1018,
                            1020, 1021, 1025, 1026, 1027, 1028, 1031, 1032, 1034, 1035, 1037, 1038,
                            1040, 1043, 1044, 1045, 1046, 1047, 1048, 1049, 1098, 1099};
    for (int id : tableIds) {
        SCOPED_TRACE(id);
        DialogAutoAnswer answer;  // presses Cancel
        RunDialog(id, nullptr, 0);
        EXPECT_EQ(1u, answer.Dialogs().size());
    }
}

TEST(RunDialog, IdsOutsideTheTableShowNothingAndReturnZero)
{
    DialogAutoAnswer answer(DialogAutoAnswer::PressButton(IDOK));
    // The modeless dialogs are not run through the table, nor is any other id.
    for (int id : {IDD_INSERT_TEXT, IDD_CONTROL_CENTER, IDD_PROGRESS, IDD_PRINT, 0, 1004, 4242, -1})
        EXPECT_EQ(0, RunDialog(id, nullptr, 0)) << id;
    EXPECT_TRUE(answer.Dialogs().empty());
}

TEST(RunDialog, DisablesTheToolWindowsMeanwhileAndRestoresTheirState)
{
    DialogHost saved = GetDialogHost();
    SetDialogHost({&SwitchToolWindows, nullptr, nullptr});
    int stateWhileShown = -1;
    DialogAutoAnswer answer([&](HWND dialog) {
        stateWhileShown = toolWindowState;
        DialogAutoAnswer::PressButton(IDCANCEL)(dialog);
    });

    toolWindowState = TRUE;
    toolWindowCalls.clear();
    EXPECT_EQ(0, RunDialog(IDD_ROTATE, nullptr, 0));  // Rotate's Cancel ends with 0
    EXPECT_EQ(FALSE, stateWhileShown);
    EXPECT_EQ(TRUE, toolWindowState);
    EXPECT_EQ((std::vector<int>{FALSE, TRUE}), toolWindowCalls);

    // Inside another modal dialog the windows are already disabled and stay so.
    toolWindowState = FALSE;
    RunDialog(IDD_ROTATE, nullptr, 0);
    EXPECT_EQ(FALSE, toolWindowState);
    SetDialogHost(saved);
}

TEST(CenterWindow, ArithmeticCentresOverTheParentAndKeepsOnTheScreen)
{
    struct Case {
        RECT parent;
        SIZE size;
        POINT expected;
    };
    const SIZE screen = {1024, 768};
    const Case cases[] = {
        {{100, 100, 500, 400}, {200, 100}, {200, 200}},
        {{0, 0, 1024, 768}, {301, 201}, {361, 283}},      // odd sizes round toward zero
        {{900, 600, 1100, 800}, {200, 100}, {824, 650}},  // kept inside the right edge
        {{800, 700, 1000, 900}, {100, 200}, {850, 568}},  // and the bottom
        {{-300, -200, -100, -50}, {100, 50}, {0, 0}},     // a parent off the top left
        {{0, 0, 200, 100}, {2000, 1000}, {0, 0}},         // larger than the screen
    };
    for (const Case& c : cases) {
        POINT at = CenteredPosition(c.parent, c.size, screen);
        EXPECT_EQ(c.expected.x, at.x) << c.parent.left << "," << c.parent.top;
        EXPECT_EQ(c.expected.y, at.y) << c.parent.left << "," << c.parent.top;
    }
}

TEST(CenterWindow, MovesAnOwnedWindowWithoutResizingIt)
{
    TestWindow parent(100, 120, 400, 300);
    TestWindow child(0, 0, 200, 100, parent.Get());
    CenterWindow(child.Get());
    RECT r;
    GetWindowRect(child.Get(), &r);
    EXPECT_EQ(200, r.left);
    EXPECT_EQ(220, r.top);
    EXPECT_EQ(200, r.right - r.left);
    EXPECT_EQ(100, r.bottom - r.top);

    int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    TestWindow corner(cx - 150, cy - 100, 150, 100);
    TestWindow wide(0, 0, 300, 200, corner.Get());
    CenterWindow(wide.Get());
    GetWindowRect(wide.Get(), &r);
    EXPECT_EQ(cx - 300, r.left);
    EXPECT_EQ(cy - 200, r.top);
}

TEST(DialogDefaults, AnswerPaintIconWithTrueAndColoursWithZero)
{
    for (UINT message = WM_CTLCOLORMSGBOX; message <= WM_CTLCOLORSTATIC; ++message)
        EXPECT_EQ(0, DefaultCtlColor(message)) << message;
    EXPECT_EQ(TRUE, DefaultCtlColor(DLG_PAINT_ICON));
    EXPECT_EQ(TRUE, PendingDialogProc(nullptr, 1027, 0, 0));
    EXPECT_EQ(0, PendingDialogProc(nullptr, WM_CTLCOLORDLG, 0, 0));
}

TEST(PumpMessages, DispatchesPendingMessagesAndLeavesQuitToTheMainLoop)
{
    TestWindow window(0, 0, 10, 10);
    TestWindow::appMessages = 0;
    PostMessageA(window.Get(), WM_APP, 0, 0);
    PostMessageA(window.Get(), WM_APP, 0, 0);
    PumpMessages(nullptr);
    EXPECT_EQ(2, TestWindow::appMessages);

    PostQuitMessage(7);
    PostMessageA(window.Get(), WM_APP, 0, 0);
    PumpMessages(nullptr);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, msg.wParam);
    PumpMessages(nullptr);  // whatever came behind the quit request
    EXPECT_EQ(3, TestWindow::appMessages);
}

TEST(NormalizeRect, OrdersTheCorners)
{
    struct Case {
        RECT in, out;
    };
    const Case cases[] = {
        {{10, 20, 30, 40}, {10, 20, 30, 40}},
        {{30, 40, 10, 20}, {10, 20, 30, 40}},
        {{30, 20, 10, 40}, {10, 20, 30, 40}},
        {{-5, 9, -50, -9}, {-50, -9, -5, 9}},
    };
    for (const Case& c : cases) {
        RECT r = c.in;
        NormalizeRect(&r);
        EXPECT_TRUE(EqualRect(&r, &c.out)) << r.left << " " << r.top << " " << r.right << " " << r.bottom;
    }
}

TEST(DibSizes, RowsAndImagesForDepthsAndColourFormats)
{
    struct RowCase {
        int width, bits;
        uint32_t bytes;
    };
    for (const RowCase& c : {RowCase{3, 1, 4}, {32, 1, 4}, {33, 1, 8}, {5, 4, 4}, {9, 8, 12},
                             {3, 16, 8}, {3, 24, 12}, {2048, 32, 8192}})
        EXPECT_EQ(c.bytes, GetDibRowBytes(c.width, c.bits)) << c.width << "x" << c.bits;

    struct ImageCase {
        int width, height, bits;
        uint32_t bytes;
    };
    for (const ImageCase& c : {ImageCase{3, 2, 1, 8}, {0, 3, 1, 12}, {9, 1, 8, 16}, {3, 1, 24, 24},
                               {17, 5, 4, 60}, {2048, 2048, 32, 16777216}})
        EXPECT_EQ(c.bytes, GetDibImageBytes(c.width, c.height, c.bits)) << c.width << "x" << c.height;

    struct FormatCase {
        int format, bits;
    };
    for (const FormatCase& c : {FormatCase{2, 1}, {3, 4}, {16, 4}, {256, 8}, {65536, 16}, {16777216, 24},
                                {16777217, 32}, {0, 8}, {1000, 8}}) {
        int bits = 0;
        EXPECT_EQ(GetDibImageBytes(10, 7, c.bits), GetDibImageBytesForColors(10, 7, c.format, &bits));
        EXPECT_EQ(c.bits, bits) << c.format;
    }
}

}  // namespace
