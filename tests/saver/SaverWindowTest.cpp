// The screensaver window in this process: what it plays (the built-in
// animation, list entries, skipping what cannot be played), where, the
// following animation in the same window, the switch after "Seconds", the
// desktop snapshot, and how input and the password end a run.
#include "SaverTestSupport.h"
#include "resource.h"
#include <gtest/gtest.h>

namespace {

// The built-in animation: its size, background and a pixel of the logo's
// first letter (LIBS/REELSAVE/DEFANS/MakeDefaultAnimation.cpp).
constexpr int BUILT_IN_WIDTH = 320, BUILT_IN_HEIGHT = 240;
constexpr COLORREF BUILT_IN_BACKGROUND = RGB(0x10, 0x18, 0x40);
constexpr COLORREF BUILT_IN_GOLD = RGB(0xF0, 0xC0, 0x20);
constexpr POINT BUILT_IN_LOGO_PIXEL = {(320 - 136) / 2 + 2, 24 + 1};

int ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

// The child's rectangle in the screensaver window's client area.
RECT ChildPlace()
{
    RECT r{};
    GetWindowRect(g_saver.run.animWindow, &r);
    MapWindowPoints(nullptr, g_saver.run.window, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

COLORREF PlayingBackground() { return static_cast<COLORREF>(GetAnimInfo(g_saver.run.animation, ANIM_INFO_BKCOLOR)); }

// Runs until the screensaver window is gone; a run that is not a test posts
// the end of the message loop, which is taken out again here.
bool WaitUntilGone(HWND window)
{
    const bool gone = PumpMessagesUntil([window] { return !IsWindow(window); });
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    return gone;
}

class SaverWindowTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (g_saver.run.window) DestroyWindow(g_saver.run.window);
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
    ControlIniSection keep;  // no password unless a test sets one
    SaverSession s;
    SaverUi ui;
};

}  // namespace

TEST_F(SaverWindowTest, EmptyListPlaysTheBuiltInAnimationCentredOnAFullScreenWindow)
{
    HWND window = CreateSaverWindow(true, -1);
    ASSERT_TRUE(window);
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(0, r.top);
    EXPECT_EQ(ScreenWidth(), r.right);
    EXPECT_EQ(ScreenHeight(), r.bottom);
    EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    char name[64];
    GetClassNameA(window, name, sizeof name);
    EXPECT_STREQ("SCREENSAVER", name);

    ASSERT_TRUE(g_saver.run.animWindow);
    GetClassNameA(g_saver.run.animWindow, name, sizeof name);
    EXPECT_STREQ("ANIWNDCLASS", name);
    EXPECT_EQ(-1, g_saver.run.index);
    const RECT place = ChildPlace();
    EXPECT_EQ((ScreenWidth() - BUILT_IN_WIDTH) / 2, place.left);
    EXPECT_EQ((ScreenHeight() - BUILT_IN_HEIGHT) / 2, place.top);
    EXPECT_EQ(BUILT_IN_WIDTH, place.right - place.left);
    EXPECT_EQ(BUILT_IN_HEIGHT, place.bottom - place.top);
    // Every frame sequence came from the resources: the logo is drawn.
    const Pixels picture = PaintToPixels(g_saver.run.animation, BUILT_IN_WIDTH, BUILT_IN_HEIGHT);
    EXPECT_EQ(BUILT_IN_BACKGROUND, picture.At(300, 100)) << ColorText(picture.At(300, 100));
    EXPECT_EQ(BUILT_IN_GOLD, picture.At(BUILT_IN_LOGO_PIXEL.x, BUILT_IN_LOGO_PIXEL.y))
        << ColorText(picture.At(BUILT_IN_LOGO_PIXEL.x, BUILT_IN_LOGO_PIXEL.y));

    // A key ends a test run without ending the message loop.
    SendMessageA(window, WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(PumpMessagesUntil([window] { return !IsWindow(window); }));
    MSG quit;
    EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_FALSE(g_saver.run.animation) << "the animation goes with the window";
    EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(SaverWindowTest, EntriesArePlacedByTheirPositionMode)
{
    TestAnimation fixed;
    fixed.position = 2;
    fixed.x = 100;
    fixed.y = 60;
    ASSERT_TRUE(fixed.Write(s.Path(), "fixed.ans"));
    TestAnimation distant = fixed;
    distant.x = 5000;
    distant.y = 5000;
    ASSERT_TRUE(distant.Write(s.Path(), "far.ans"));
    TestAnimation random;
    random.position = 1;
    ASSERT_TRUE(random.Write(s.Path(), "random.ans"));
    s.Add(s.File("fixed.ans"));
    s.Add(s.File("far.ans"));
    s.Add(s.File("random.ans"));

    const struct {
        int index;
        bool random;
        POINT at;
    } cases[] = {{0, false, {100, 60}}, {1, false, {ScreenWidth() - 200, ScreenHeight() - 150}}, {2, true, {}}};
    for (const auto& c : cases) {
        HWND window = CreateSaverWindow(true, c.index);
        ASSERT_TRUE(window) << c.index;
        const RECT place = ChildPlace();
        EXPECT_EQ(200, place.right - place.left);
        EXPECT_EQ(150, place.bottom - place.top);
        if (c.random) {
            EXPECT_GE(place.left, ScreenWidth() / 64);
            EXPECT_LE(place.right, ScreenWidth() - ScreenWidth() / 64);
            EXPECT_GE(place.top, ScreenHeight() / 64);
            EXPECT_LE(place.bottom, ScreenHeight() - ScreenHeight() / 64);
        } else {
            EXPECT_EQ(c.at.x, place.left) << c.index;
            EXPECT_EQ(c.at.y, place.top) << c.index;
        }
        DestroyWindow(window);
    }
}

TEST_F(SaverWindowTest, EntriesThatCannotBePlayedAreSkippedForTheRun)
{
    ASSERT_TRUE(TestAnimation().Write(s.Path(), "good.ans"));
    s.Add(s.File("missing.ans"));
    s.Add(s.File("good.ans"));

    // A test run asks first; Cancel ends it.
    ui.QueueBoxAnswer(IDCANCEL);
    EXPECT_FALSE(CreateSaverWindow(true, 0));
    ASSERT_EQ(1u, ui.Boxes().size());
    EXPECT_EQ("Unable to laod the animation! Please check all file paths!", ui.Boxes()[0].text);
    EXPECT_EQ(s.File("missing.ans"), ui.Boxes()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL | MB_ICONERROR), ui.Boxes()[0].type);
    EXPECT_FALSE(g_saver.run.window);

    // OK goes on with the next entry; the skipped one stays off for the run.
    g_saver.list.entries[0].active = true;
    HWND window = CreateSaverWindow(true, 0);
    ASSERT_TRUE(window);
    EXPECT_EQ(2u, ui.Boxes().size());
    EXPECT_EQ(1, g_saver.run.index);
    EXPECT_FALSE(g_saver.list.entries[0].active);
    DestroyWindow(window);

    // A real run skips it without a word.
    g_saver.list.entries[0].active = true;
    g_saver.run.lastPlayed = -1;
    window = CreateSaverWindow(false, -1);
    ASSERT_TRUE(window);
    EXPECT_EQ(1, g_saver.run.index);
    EXPECT_EQ(2u, ui.Boxes().size());
    DestroyWindow(window);
    WaitUntilGone(window);
}

TEST_F(SaverWindowTest, AMissingFrameSequenceAsksWhetherToGoOn)
{
    TestAnimation lacking;
    lacking.writeSequence = false;
    ASSERT_TRUE(lacking.Write(s.Path(), "lacking.ans"));
    ASSERT_TRUE(TestAnimation().Write(s.Path(), "good.ans"));
    s.Add(s.File("lacking.ans"));
    s.Add(s.File("good.ans"));

    ui.QueueBoxAnswer(IDYES);
    HWND window = CreateSaverWindow(true, 0);
    ASSERT_TRUE(window);
    ASSERT_EQ(1u, ui.Boxes().size());
    EXPECT_EQ("Datei nicht gefunden!\nFortsetzen?", ui.Boxes()[0].text);
    EXPECT_EQ("lacking.bmx", ui.Boxes()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONERROR), ui.Boxes()[0].type);
    EXPECT_EQ(0, g_saver.run.index) << "Yes plays it without the sequence";
    DestroyWindow(window);

    ui.QueueBoxAnswer(IDNO);
    ui.QueueBoxAnswer(IDOK);  // test mode: "Unable to laod ..." goes on
    window = CreateSaverWindow(true, 0);
    ASSERT_TRUE(window);
    EXPECT_EQ(1, g_saver.run.index) << "No skips it";
    DestroyWindow(window);
}

TEST_F(SaverWindowTest, FollowingAnimationsPlayInTheSameWindowThenTheListGoesOn)
{
    // The entries lie in a folder of their own; the following animations are
    // found there by their bare names.
    const std::string folder = s.File("anims\\");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    TestAnimation first;
    first.background = RGB(10, 20, 30);
    first.endAfter = 3;
    first.endAction = 1;
    first.next = "second.ans";
    ASSERT_TRUE(first.Write(folder, "first.ans"));
    TestAnimation second;
    second.background = RGB(40, 50, 60);
    second.endAfter = 6;
    second.endAction = 2;
    second.next = "smaller.ans";
    ASSERT_TRUE(second.Write(folder, "second.ans"));
    TestAnimation smaller;
    smaller.background = RGB(70, 80, 90);
    smaller.width = 100;
    smaller.height = 80;
    smaller.position = 2;
    smaller.x = 10;
    smaller.y = 20;
    smaller.endAfter = 6;  // then end action 0: the next entry
    ASSERT_TRUE(smaller.Write(folder, "smaller.ans"));
    TestAnimation last;
    last.background = RGB(100, 110, 120);
    ASSERT_TRUE(last.Write(folder, "last.ans"));
    s.Add(folder + "first.ans");
    s.Add(folder + "last.ans");

    HWND window = CreateSaverWindow(true, 0);
    ASSERT_TRUE(window);
    HWND child = g_saver.run.animWindow;
    ASSERT_TRUE(PumpMessagesUntil([] { return PlayingBackground() == RGB(40, 50, 60); }));
    EXPECT_EQ(child, g_saver.run.animWindow) << "end action 1 keeps the window";
    EXPECT_EQ(0, g_saver.run.index);
    ASSERT_TRUE(PumpMessagesUntil([] { return PlayingBackground() == RGB(70, 80, 90); }));
    EXPECT_EQ(child, g_saver.run.animWindow) << "end action 2 too, at the new size and place";
    const RECT place = ChildPlace();
    EXPECT_EQ(10, place.left);
    EXPECT_EQ(20, place.top);
    EXPECT_EQ(100, place.right - place.left);
    EXPECT_EQ(80, place.bottom - place.top);
    ASSERT_TRUE(PumpMessagesUntil([] { return g_saver.run.index == 1; }));
    EXPECT_EQ(RGB(100, 110, 120), PlayingBackground());
    EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(SaverWindowTest, TerminateAfterGoesOnWhenTheSecondsAreCounted)
{
    TestAnimation a, b;
    a.background = RGB(1, 2, 3);
    b.background = RGB(4, 5, 6);
    ASSERT_TRUE(a.Write(s.Path(), "a.ans"));
    ASSERT_TRUE(b.Write(s.Path(), "b.ans"));
    s.Add(s.File("a.ans"));
    s.Add(s.File("b.ans"));
    g_saver.options.maxPlay = true;
    g_saver.options.seconds = 10;

    HWND window = CreateSaverWindow(true, 0);
    ASSERT_TRUE(window);
    for (int second = 1; second < 10; ++second) SendMessageA(window, WM_TIMER, SAVER_TIMER_ID, 0);
    EXPECT_EQ(0, g_saver.run.index);
    SendMessageA(window, WM_TIMER, SAVER_TIMER_ID, 0);
    EXPECT_EQ(1, g_saver.run.index);
    EXPECT_EQ(RGB(4, 5, 6), PlayingBackground());
    EXPECT_EQ(0, g_saver.run.seconds) << "the count starts again";
    EXPECT_TRUE(KillTimer(window, SAVER_TIMER_ID)) << "the one-second timer runs again";
}

TEST_F(SaverWindowTest, TheOnlyActiveEntryStartsOverInItsWindow)
{
    ASSERT_TRUE(TestAnimation().Write(s.Path(), "only.ans"));
    s.Add(s.File("only.ans"));
    s.Add(s.File("off.ans"), false);
    g_saver.options.random = true;
    HWND window = CreateSaverWindow(true, 0);
    ASSERT_TRUE(window);
    HWND child = g_saver.run.animWindow;
    HANIM handle = g_saver.run.animation;
    SendMessageA(window, SAVER_NEXT_ANIMATION, 0, 0);
    EXPECT_EQ(0, g_saver.run.index);
    EXPECT_EQ(child, g_saver.run.animWindow);
    EXPECT_EQ(handle, g_saver.run.animation);
    EXPECT_TRUE(IsWindowVisible(child));
}

TEST_F(SaverWindowTest, TheDesktopSnapshotShowsBehindAndInsideTheAnimations)
{
    // A window of one colour over the whole screen stands for the desktop.
    constexpr COLORREF DESKTOP = RGB(20, 200, 40);
    HBRUSH brush = CreateSolidBrush(DESKTOP);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = brush;
    wc.lpszClassName = "SaverTestDesktop";
    RegisterClassA(&wc);
    HWND desktop = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, ScreenWidth(),
                                   ScreenHeight(), nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(desktop);
    UpdateWindow(desktop);
    HDC screen = GetDC(nullptr);
    ASSERT_TRUE(PumpMessagesUntil([screen] { return GetPixel(screen, 3, 3) == DESKTOP; }));

    TestAnimation behind;
    behind.desktopBackground = true;
    behind.position = 2;
    behind.x = 300;
    behind.y = 200;
    behind.background = RGB(200, 0, 0);
    ASSERT_TRUE(behind.Write(s.Path(), "behind.ans"));
    s.Add(s.File("behind.ans"));
    g_saver.options.showDesktop = true;
    HWND window = CreateSaverWindow(true, 0);
    ASSERT_TRUE(window);
    DestroyWindow(desktop);
    // The animation's picture holds the desktop where the object does not cover it.
    const Pixels picture = PaintToPixels(g_saver.run.animation, 200, 150);
    EXPECT_EQ(DESKTOP, picture.At(150, 100)) << ColorText(picture.At(150, 100));
    EXPECT_EQ(RGB(240, 240, 240), picture.At(15, 15)) << ColorText(picture.At(15, 15));
    // Around it the screensaver window shows the snapshot.
    EXPECT_TRUE(PumpMessagesUntil([screen] { return GetPixel(screen, 3, 3) == DESKTOP; }))
        << ColorText(GetPixel(screen, 3, 3));
    DestroyWindow(window);
    ReleaseDC(nullptr, screen);
    DeleteObject(brush);
    UnregisterClassA(wc.lpszClassName, wc.hInstance);
}

TEST_F(SaverWindowTest, SmallPointerMovesDoNotEndTheRun)
{
    // An earlier test may have left the pointer at the screen's edge, where a
    // move of 8 pixels would be clipped short.
    ASSERT_TRUE(SetCursorPos(ScreenWidth() / 2, ScreenHeight() / 2));
    HWND window = CreateSaverWindow(true, -1);
    ASSERT_TRUE(window);
    const POINT start = g_saver.run.startCursor;
    for (POINT to : {POINT{start.x + 7, start.y}, POINT{start.x, start.y - 7}, POINT{start.x - 7, start.y + 7}}) {
        SetCursorPos(to.x, to.y);
        SendMessageA(window, WM_MOUSEMOVE, 0, 0);
        EXPECT_EQ(SAVER_RUNNING, g_saver.run.closing) << to.x << "," << to.y;
    }
    SetCursorPos(start.x, start.y + 8);
    SendMessageA(window, WM_MOUSEMOVE, 0, 0);
    EXPECT_TRUE(WaitUntilGone(window));
    SetCursorPos(start.x, start.y);
}

TEST_F(SaverWindowTest, PasswordGuardsTheEndOfARun)
{
    StorePassword("secret");
    HWND window = CreateSaverWindow(true, -1);
    ASSERT_TRUE(window);
    {
        // A wrong password is refused; Cancel goes back to the screensaver.
        DialogScript script({[](HWND d) { SetDlgItemTextA(d, IDC_PASSWORD, "wrong"); },
                             [](HWND d) { Click(d, IDOK); },
                             [](HWND d) { EXPECT_TRUE(IsWindow(d)) << "it stays after a wrong password"; },
                             [](HWND d) { Click(d, IDCANCEL); }});
        SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        EXPECT_EQ(4u, script.StepsRun());
    }
    ASSERT_EQ(1u, ui.Boxes().size());
    EXPECT_EQ("Incorrect Password!", ui.Boxes()[0].text);
    EXPECT_EQ(SAVER_RUNNING, g_saver.run.closing);
    PumpFor(200);
    EXPECT_TRUE(IsWindow(window));
    {
        DialogScript script({[](HWND d) { SetDlgItemTextA(d, IDC_PASSWORD, "secret"); },
                             [](HWND d) { Click(d, IDOK); }});
        SendMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
    }
    EXPECT_TRUE(WaitUntilGone(window));
}
