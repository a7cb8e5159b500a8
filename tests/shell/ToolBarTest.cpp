// The tool-bar control with real windows: what a button does under the mouse
// (hover, press, drag out and back, toggle, radio groups, disabled buttons),
// the status text and tip it shows, its frames on the screen, and the tip's
// place near the screen's edges.
#include "AppState.h"
#include "RecordingWindows.h"
#include "ToolBar.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <string>

namespace {

constexpr WORD PUSH_ID = 101, TOGGLE_ID = 339, RADIO_A = 350, RADIO_B = 351, DISABLED_ID = 110;
constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF SHADOW = RGB(128, 128, 128);

ToolButton Entry(WORD command, int kind, int group = 0, bool enabled = true, bool checked = false)
{
    ToolButton b{};
    b.gap = kind == TOOLBUTTON_SEPARATOR ? 2 : 4;
    b.buttonWidth = kind == TOOLBUTTON_SEPARATOR ? 13 : 26;
    b.enabled = enabled;
    b.shown = 1;
    b.checked = checked;
    b.kind = kind;
    b.group = group;
    b.enabledFaceId = 104;
    b.disabledFaceId = 101;
    b.commandId = command;
    wsprintfA(b.statusText, "status %u", command);
    wsprintfA(b.tipText, "tip %u", command);
    return b;
}

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

class ToolBarTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(1, InitToolBar(&bar_, windows_.main, GetModuleHandleA(nullptr)));
        for (const ToolButton& b : {Entry(PUSH_ID, TOOLBUTTON_PUSH), Entry(0, TOOLBUTTON_SEPARATOR),
                                    Entry(TOGGLE_ID, TOOLBUTTON_TOGGLE), Entry(RADIO_A, TOOLBUTTON_RADIO, 1, true, true),
                                    Entry(RADIO_B, TOOLBUTTON_RADIO, 1), Entry(DISABLED_ID, TOOLBUTTON_PUSH, 0, false)})
            ASSERT_EQ(1, AddToolButton(&bar_, b));
        ASSERT_EQ(1, CreateToolBarWindows(&bar_, 1));
        UpdateWindow(windows_.main);
        windows_.Clear();
    }
    void TearDown() override
    {
        DestroyWindow(bar_.barWindow);
        DestroyToolTip();
        StopToolTipTimer();
    }
    HWND Button(WORD command) { return FindToolButton(&bar_, command)->window; }
    ToolButton& Record(WORD command) { return *FindToolButton(&bar_, command); }
    // The real cursor is put where the message says the mouse is: taking the
    // capture makes the system send a move of its own from the cursor.
    static void Send(HWND button, UINT message, LPARAM point)
    {
        POINT p = {static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
        ClientToScreen(button, &p);
        SetCursorPos(p.x, p.y);
        SendMessageA(button, message, message == WM_MOUSEMOVE ? 0 : MK_LBUTTON, point);
    }
    void Click(WORD command)
    {
        HWND b = Button(command);
        Send(b, WM_MOUSEMOVE, At(10, 10));
        Send(b, WM_LBUTTONDOWN, At(10, 10));
        Send(b, WM_LBUTTONUP, At(10, 10));
    }
    std::vector<WPARAM> Commands()
    {
        std::vector<WPARAM> ids;
        for (const Received& r : windows_.Of(windows_.main, WM_COMMAND)) {
            EXPECT_EQ(0, r.lParam);
            ids.push_back(r.wParam);
        }
        return ids;
    }
    RecordingWindows windows_;
    ToolBarControl bar_{};
};

TEST_F(ToolBarTest, EntriesFollowEachOtherAndTheBarSpansTheParent)
{
    const int expected[] = {5, 35, 50, 80, 110, 140};
    for (int i = 0; i < bar_.buttonCount; ++i) EXPECT_EQ(expected[i], bar_.buttons[i].x) << i;
    EXPECT_EQ(nullptr, bar_.buttons[1].window);  // a separator has no window
    RECT r;
    GetWindowRect(Button(TOGGLE_ID), &r);
    MapWindowPoints(nullptr, bar_.barWindow, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ((RECT{50, 3, 76, 29}), r);
    RECT client, bar;
    GetClientRect(windows_.main, &client);
    GetWindowRect(bar_.barWindow, &bar);
    EXPECT_EQ(client.right, bar.right - bar.left);
    EXPECT_EQ(32, bar.bottom - bar.top);
    // Wider than 600 pixels: the bar follows the main window.
    MoveWindow(windows_.main, 0, 0, 900, 400, TRUE);
    ResizeToolBar(&bar_);
    GetClientRect(windows_.main, &client);
    GetWindowRect(bar_.barWindow, &bar);
    EXPECT_EQ(client.right, bar.right - bar.left);
}

TEST_F(ToolBarTest, ACommandIsSentOnlyWhenThePressIsReleasedOverTheButton)
{
    HWND b = Button(PUSH_ID);
    Send(b, WM_MOUSEMOVE, At(10, 10));
    EXPECT_EQ("status 101", windows_.StatusText());
    Send(b, WM_LBUTTONDOWN, At(10, 10));
    Send(b, WM_MOUSEMOVE, At(40, 10));
    EXPECT_EQ(0, bar_.pressedInside);
    Send(b, WM_LBUTTONUP, At(40, 10));
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ("<null>", windows_.StatusText());
    EXPECT_EQ(0, bar_.mouseDown);

    // Out and back in before the release: the command goes.
    Send(b, WM_MOUSEMOVE, At(10, 10));
    Send(b, WM_LBUTTONDOWN, At(10, 10));
    Send(b, WM_MOUSEMOVE, At(-5, 30));
    Send(b, WM_MOUSEMOVE, At(25, 25));
    EXPECT_EQ(1, bar_.pressedInside);
    Send(b, WM_LBUTTONUP, At(25, 25));
    EXPECT_EQ(std::vector<WPARAM>{PUSH_ID}, Commands());
    EXPECT_EQ(0, bar_.hot);
    EXPECT_EQ(-1, bar_.hotIndex);
    EXPECT_EQ(nullptr, GetCapture());
}

TEST_F(ToolBarTest, ToggleRadioAndDisabledButtons)
{
    Click(TOGGLE_ID);
    EXPECT_EQ(1, Record(TOGGLE_ID).checked);
    Click(TOGGLE_ID);  // a checked toggle can be pressed: it unchecks
    EXPECT_EQ(0, Record(TOGGLE_ID).checked);

    Click(RADIO_A);  // checked already: the press is ignored
    Click(RADIO_B);
    EXPECT_EQ(0, Record(RADIO_A).checked);
    EXPECT_EQ(1, Record(RADIO_B).checked);

    Click(DISABLED_ID);
    EXPECT_EQ((std::vector<WPARAM>{TOGGLE_ID, TOGGLE_ID, RADIO_B}), Commands());
    // The disabled button still tells what it is.
    EXPECT_EQ("status 110", windows_.StatusText());
}

TEST_F(ToolBarTest, CheckToolButtonKeepsARadioGroupWithOneChecked)
{
    EXPECT_EQ(0, CheckToolButton(&bar_, RADIO_A, 0));
    EXPECT_EQ(1, Record(RADIO_A).checked);
    EXPECT_EQ(1, CheckToolButton(&bar_, RADIO_A, 1));  // unchanged
    EXPECT_EQ(1, CheckToolButton(&bar_, RADIO_B, 1));
    EXPECT_EQ(0, Record(RADIO_A).checked);
    EXPECT_EQ(1, CheckToolButton(&bar_, TOGGLE_ID, 5));
    EXPECT_EQ(1, Record(TOGGLE_ID).checked);
    EXPECT_EQ(1, CheckToolButton(&bar_, TOGGLE_ID, 0));
    EXPECT_EQ(0, CheckToolButton(&bar_, 999, 1));
    EnableToolButton(&bar_, DISABLED_ID, 1);
    EXPECT_EQ(1, Record(DISABLED_ID).enabled);
}

TEST_F(ToolBarTest, FramesOnTheScreenShowHoverPressAndCheck)
{
    HWND push = Button(PUSH_ID), radio = Button(RADIO_A), off = Button(DISABLED_ID);
    RedrawWindow(windows_.main, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const COLORREF bar = ToolBarColor();
    EXPECT_EQ(bar, WindowPixel(push, 0, 0));       // flat
    EXPECT_EQ(SHADOW, WindowPixel(radio, 0, 0));   // checked: sunken
    EXPECT_EQ(WHITE, WindowPixel(radio, 25, 25));
    Send(push, WM_MOUSEMOVE, At(10, 10));
    EXPECT_EQ(WHITE, WindowPixel(push, 0, 0));     // hovered: raised
    EXPECT_EQ(SHADOW, WindowPixel(push, 25, 25));
    Send(push, WM_LBUTTONDOWN, At(10, 10));
    EXPECT_EQ(SHADOW, WindowPixel(push, 0, 0));    // pressed: sunken
    Send(push, WM_LBUTTONUP, At(40, 40));
    UpdateWindow(push);
    EXPECT_EQ(bar, WindowPixel(push, 0, 0));
    Send(off, WM_MOUSEMOVE, At(10, 10));
    EXPECT_EQ(bar, WindowPixel(off, 0, 0));        // no hover frame on a disabled button
}

TEST_F(ToolBarTest, TheTipFollowsAfterTheMouseRestsAndGoesWhenItLeaves)
{
    HWND b = Button(DISABLED_ID);
    Send(b, WM_MOUSEMOVE, At(10, 10));
    ASSERT_TRUE(PumpUntil([] { return ToolTipWindow() != nullptr; }));
    char text[64] = "";
    GetWindowTextA(ToolTipWindow(), text, sizeof text);
    EXPECT_STREQ("tip 110", text);
    char cls[64] = "";
    GetClassNameA(ToolTipWindow(), cls, sizeof cls);
    EXPECT_STREQ("Zelvo_ToolTip", cls);
    RECT tip, bar;
    GetWindowRect(ToolTipWindow(), &tip);
    GetWindowRect(bar_.barWindow, &bar);
    EXPECT_EQ(bar.left + Record(DISABLED_ID).x, tip.left);
    EXPECT_EQ(bar.top + 3 + 31, tip.top);
    Send(b, WM_MOUSEMOVE, At(30, 10));
    EXPECT_EQ(nullptr, ToolTipWindow());
    EXPECT_EQ("<null>", windows_.StatusText());
}

TEST_F(ToolBarTest, AButtonThatLosesTheMouseToAnotherWindowIsNoLongerHot)
{
    Send(Button(PUSH_ID), WM_MOUSEMOVE, At(10, 10));
    ASSERT_EQ(1, bar_.hot);
    SetCapture(windows_.canvas);  // a drag elsewhere takes the mouse and keeps it
    EXPECT_EQ(0, bar_.hot);
    EXPECT_EQ(-1, bar_.hotIndex);
    EXPECT_EQ("<null>", windows_.StatusText());
    PumpUntil([] { return ToolTipWindow() != nullptr; }, 800);
    EXPECT_EQ(nullptr, ToolTipWindow()) << "the tip timer was stopped";
    ReleaseCapture();
    // The next button hovered becomes hot as usual.
    Send(Button(TOGGLE_ID), WM_MOUSEMOVE, At(10, 10));
    EXPECT_EQ(2, bar_.hotIndex);
    EXPECT_EQ("status 339", windows_.StatusText());

    // A press whose capture is taken ends without a command.
    Send(Button(TOGGLE_ID), WM_LBUTTONDOWN, At(10, 10));
    SetCapture(windows_.canvas);
    EXPECT_EQ(0, bar_.mouseDown);
    ReleaseCapture();
    Send(Button(TOGGLE_ID), WM_LBUTTONUP, At(10, 10));
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(0, Record(TOGGLE_ID).checked);
}

TEST_F(ToolBarTest, TheBarPassesClicksOnToTheMainWindow)
{
    SendMessageA(bar_.barWindow, WM_LBUTTONDOWN, MK_LBUTTON, At(300, 12));
    SendMessageA(bar_.barWindow, WM_LBUTTONUP, 0, At(300, 12));
    const auto downs = windows_.Of(windows_.main, WM_LBUTTONDOWN);
    ASSERT_EQ(1u, downs.size());
    EXPECT_EQ(At(300, 12), downs[0].lParam);
    EXPECT_EQ(1u, windows_.Of(windows_.main, WM_LBUTTONUP).size());
}

TEST(ToolBar, ATwentySixthEntryIsRefused)
{
    ToolBarControl bar{};
    InitToolBar(&bar, nullptr, GetModuleHandleA(nullptr));
    for (int i = 0; i < MAX_TOOL_BUTTONS; ++i) ASSERT_EQ(1, AddToolButton(&bar, Entry(WORD(200 + i), TOOLBUTTON_PUSH)));
    EXPECT_EQ(0, AddToolButton(&bar, Entry(300, TOOLBUTTON_PUSH)));
    EXPECT_EQ(MAX_TOOL_BUTTONS, bar.buttonCount);
    EXPECT_EQ(nullptr, FindToolButton(&bar, 300));
}

TEST(ToolTip, IsKeptTenPixelsInsideTheScreen)
{
    struct Case {
        POINT at;
        SIZE text;
        RECT expected;
    };
    const SIZE screen = {1024, 768};
    const Case cases[] = {
        {{100, 200}, {40, 13}, {100, 200, 150, 217}},
        {{1000, 200}, {40, 13}, {964, 200, 1014, 217}},  // right edge
        {{100, 760}, {40, 13}, {100, 741, 150, 758}},    // bottom edge
        {{-50, -20}, {40, 13}, {10, 10, 60, 27}},        // off the top left
        {{0, 0}, {2000, 13}, {10, 10, 2020, 27}},        // wider than the screen: the left edge wins
    };
    for (const Case& c : cases) {
        const RECT r = PlaceToolTip(c.at, c.text, screen);
        EXPECT_EQ(c.expected, r) << c.at.x << "," << c.at.y;
    }
}

TEST(ToolTip, NearTheScreenCornerAndCutToThirtyOneCharacters)
{
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    HWND anchor = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, cx - 30, cy - 30, 26, 26, nullptr, nullptr,
                                  nullptr, nullptr);
    const std::string text(45, 'W');
    ShowToolTip(anchor, 0, 31, text.c_str());
    ASSERT_NE(nullptr, ToolTipWindow());
    RECT tip;
    GetWindowRect(ToolTipWindow(), &tip);
    EXPECT_EQ(cx - 10, tip.right);
    EXPECT_EQ(cy - 10, tip.bottom);
    char shown[64] = "";
    GetWindowTextA(ToolTipWindow(), shown, sizeof shown);
    EXPECT_EQ(std::string(31, 'W'), shown);
    DestroyToolTip();
    EXPECT_EQ(nullptr, ToolTipWindow());
    WNDCLASSA cls;
    EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), "Zelvo_ToolTip", &cls)) << "unregistered with its window";
    DestroyWindow(anchor);
}

}  // namespace
