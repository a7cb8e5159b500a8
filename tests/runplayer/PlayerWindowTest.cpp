// The player's animation window and its hook: the system menu and its
// commands, closing, the system menu of a caption-less window, desktop mode,
// and what happens at the end of an animation (close, follow on in the same
// or a new window, open the following file with the shell).
#include "AnxArchive.h"
#include "DialogTestHooks.h"
#include "PlayerTestSupport.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <cstring>
#include <functional>

namespace {

// Dispatches this thread's messages until `done` holds or `ms` have passed;
// notes the exit code of a WM_QUIT on the way.
struct Pump {
    bool quit = false;
    WPARAM quitCode = 0;
    bool Until(const std::function<bool()>& done, DWORD ms = 5000)
    {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > ms) return false;
            MSG m;
            while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
                if (m.message == WM_QUIT) {
                    quit = true;
                    quitCode = m.wParam;
                    continue;
                }
                TranslateMessage(&m);
                DispatchMessageA(&m);
            }
            Sleep(5);
        }
        return true;
    }
    void For(DWORD ms)
    {
        Until([] { return false; }, ms);
    }
};

class PlayerWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterAnimWindowClass(GetModuleHandleA(nullptr), nullptr); }
    void TearDown() override
    {
        if (g_player.window && IsWindow(g_player.window)) DestroyWindow(g_player.window);
        InstallShellExecute(nullptr);
    }
    // Opens an animation of the folder and shows it as the player does.
    HWND Show(const std::string& name)
    {
        WindowPlace place;
        HANIM h = OpenPlayerAnimation(folder_.File(name).c_str(), &place);
        if (!h) return nullptr;
        HWND w = CreatePlayerWindow(h, place);
        if (!w) DestroyAnimation(h);
        return w;
    }
    static bool TimerRuns(HWND window)
    {
        LockedContext c(GetAnimHandle(window));
        return c.get() && c->timerId != 0;
    }
    PlayerFolder folder_;
    Pump pump_;
};

std::string MenuText(HMENU menu, UINT id)
{
    char text[128] = "";
    GetMenuStringA(menu, id, text, sizeof text, MF_BYCOMMAND);
    return text;
}

int MenuPosition(HMENU menu, UINT id)
{
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        if (GetMenuItemID(menu, i) == id) return i;
    return -1;
}

}  // namespace

TEST_F(PlayerWindow, CarriesThePlayersSystemMenu)
{
    ASSERT_TRUE(SmallAnimation().Write(folder_.Path(), "a.ans"));
    HWND w = Show("a.ans");
    ASSERT_NE(nullptr, w);
    char className[64];
    GetClassNameA(w, className, sizeof className);
    EXPECT_STREQ("ANIWNDCLASS", className);
    EXPECT_EQ(w, g_player.window);
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_TRUE(TimerRuns(w)) << "the window is started";

    HMENU menu = GetSystemMenu(w, FALSE);
    EXPECT_EQ("Stop...", MenuText(menu, IDM_STOP_CONTINUE));
    EXPECT_EQ("About RunZelvo...", MenuText(menu, IDM_ABOUT));
    const int stop = MenuPosition(menu, IDM_STOP_CONTINUE);
    ASSERT_GE(stop, 0);
    EXPECT_EQ(stop + 1, MenuPosition(menu, IDM_ABOUT));
    EXPECT_TRUE(GetMenuState(menu, stop + 2, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(stop + 3, MenuPosition(menu, SC_CLOSE));
    for (const UINT id : {SC_SIZE, SC_MAXIMIZE, SC_RESTORE})
        EXPECT_TRUE(GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) << std::hex << id;
    for (const UINT id : {SC_CLOSE, SC_MINIMIZE})
        EXPECT_FALSE(GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) << std::hex << id;
}

TEST_F(PlayerWindow, StopAndContinueToggleTheClockAndTheMenuText)
{
    ASSERT_TRUE(SmallAnimation().Write(folder_.Path(), "a.ans"));
    HWND w = Show("a.ans");
    ASSERT_NE(nullptr, w);
    HMENU menu = GetSystemMenu(w, FALSE);
    SendMessageA(w, WM_SYSCOMMAND, IDM_STOP_CONTINUE, 0);
    EXPECT_FALSE(TimerRuns(w));
    EXPECT_TRUE(g_player.stopped);
    EXPECT_EQ("Continue...", MenuText(menu, IDM_STOP_CONTINUE));
    // A command of the menu opened as a pop-up arrives as WM_COMMAND.
    SendMessageA(w, WM_COMMAND, IDM_STOP_CONTINUE, 0);
    ASSERT_TRUE(pump_.Until([&] { return !g_player.stopped; }));
    EXPECT_TRUE(TimerRuns(w));
    EXPECT_EQ("Stop...", MenuText(menu, IDM_STOP_CONTINUE));
}

TEST_F(PlayerWindow, TheAboutBoxPausesPlayingAndKeepsAStoppedAnimationStopped)
{
    ASSERT_TRUE(SmallAnimation().Write(folder_.Path(), "a.ans"));
    HWND w = Show("a.ans");
    ASSERT_NE(nullptr, w);
    bool timerDuringBox = true;
    DialogAutoAnswer answer([&](HWND dialog) {
        timerDuringBox = TimerRuns(w);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    SendMessageA(w, WM_SYSCOMMAND, IDM_ABOUT, 0);
    ASSERT_EQ(1u, answer.Dialogs().size());
    EXPECT_EQ(w, answer.Dialogs()[0].owner);
    EXPECT_FALSE(timerDuringBox);
    EXPECT_TRUE(TimerRuns(w)) << "playing again after the box";

    SendMessageA(w, WM_SYSCOMMAND, IDM_STOP_CONTINUE, 0);
    SendMessageA(w, WM_SYSCOMMAND, IDM_ABOUT, 0);
    EXPECT_EQ(2u, answer.Dialogs().size());
    EXPECT_FALSE(TimerRuns(w)) << "the menu still says Continue...";
}

TEST_F(PlayerWindow, ClosingDestroysWindowAndAnimationAndQuitsWithExitCode1)
{
    PrivateTempFolder temp;
    ASSERT_TRUE(SmallAnimation().Write(folder_.Path(), "a.ans"));
    AnxArchive archive(folder_.File("a.anx").c_str());
    ASSERT_TRUE(archive.Pack(folder_.File("a.ans").c_str()));
    HWND w = Show("a.anx");
    ASSERT_NE(nullptr, w);
    EXPECT_EQ(1, temp.CountUnpackFolders());
    SendMessageA(w, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(nullptr, g_player.window);
    EXPECT_EQ(nullptr, g_player.animation);
    EXPECT_EQ(0, temp.CountUnpackFolders()) << "the animation went with its window";
    pump_.For(100);
    EXPECT_TRUE(pump_.quit);
    EXPECT_EQ(1u, pump_.quitCode);
}

TEST_F(PlayerWindow, ADoubleClickOnACaptionlessWindowOpensTheSystemMenu)
{
    SmallAnimation plain;
    plain.windowStyle = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX;  // the default style without its caption
    ASSERT_TRUE(plain.Write(folder_.Path(), "plain.ans"));
    ASSERT_TRUE(SmallAnimation().Write(folder_.Path(), "framed.ans"));
    const struct {
        const char* file;
        int moves;
        bool opens;
    } cases[] = {{"plain.ans", 0, true}, {"plain.ans", 1, true}, {"plain.ans", 2, false}, {"framed.ans", 0, false}};
    MenuWatch menus;
    for (const auto& c : cases) {
        HWND w = Show(c.file);
        ASSERT_NE(nullptr, w);
        menus.Clear();
        SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
        SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
        SendMessageA(w, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 20));
        for (int i = 0; i < c.moves; ++i) SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(21 + i, 20));
        SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
        EXPECT_EQ(c.opens, menus.OpenedFor(w)) << c.file << " with " << c.moves << " moves";
        EXPECT_EQ(0, g_player.clickCounter) << "a release always disarms";
        DestroyWindow(w);
    }
}

TEST_F(PlayerWindow, InDesktopModeTheWindowStaysAtTheBottom)
{
    ASSERT_TRUE(SmallAnimation().Write(folder_.Path(), "a.ans"));
    HWND w = Show("a.ans");
    ASSERT_NE(nullptr, w);
    EXPECT_FALSE(g_player.desktopMode);
    for (const bool desktop : {false, true}) {
        g_player.desktopMode = desktop;
        WINDOWPOS pos{w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE};
        EXPECT_EQ(0, PlayerHostHook(w, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos)));
        EXPECT_EQ(desktop ? HWND_BOTTOM : HWND_TOP, pos.hwndInsertAfter);
        EXPECT_EQ(desktop, (pos.flags & SWP_NOOWNERZORDER) != 0);
    }
    g_player.desktopMode = false;
}

namespace {

// A desktop of the test's own: "Progman" holding its view (child 0), which
// holds the list view of the icons (child 1); the list view notes the mouse
// messages it is given.
std::vector<MSG> g_listViewMouse;
LRESULT CALLBACK ListViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) g_listViewMouse.push_back({window, message, wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

struct TestDesktop {
    HWND program = nullptr, view = nullptr, list = nullptr;
    TestDesktop()
    {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        for (const char* name : {"Progman", "ZelvoTestDesktopView", "ZelvoTestListView"}) {
            WNDCLASSA c{};
            c.lpfnWndProc = strcmp(name, "ZelvoTestListView") == 0 ? ListViewProc : DefWindowProcA;
            c.hInstance = instance;
            c.lpszClassName = name;
            RegisterClassA(&c);
        }
        program = CreateWindowExA(0, "Progman", "Program Manager", WS_POPUP, 0, 0, 1024, 768, nullptr, nullptr,
                                  instance, nullptr);
        view = CreateWindowExA(0, "ZelvoTestDesktopView", "", WS_CHILD | WS_VISIBLE, 0, 0, 1024, 768, program,
                               reinterpret_cast<HMENU>(0), instance, nullptr);
        list = CreateWindowExA(0, "ZelvoTestListView", "", WS_CHILD | WS_VISIBLE, 10, 20, 1000, 700, view,
                               reinterpret_cast<HMENU>(1), instance, nullptr);
    }
    ~TestDesktop()
    {
        if (program) DestroyWindow(program);
    }
};

}  // namespace

TEST_F(PlayerWindow, InDesktopModeTheMouseGoesToTheListViewTheWindowWasMadeIn)
{
    TestDesktop desktop;
    ASSERT_NE(nullptr, desktop.list);
    ASSERT_TRUE(SmallAnimation().Write(folder_.Path(), "a.ans"));
    WindowPlace place;
    HANIM h = OpenPlayerAnimation(folder_.File("a.ans").c_str(), &place);
    ASSERT_NE(nullptr, h);
    {
        LockedContext c(h);
        c->settings.playFlags |= PLAY_IN_DESKTOP | PLAY_DESKTOP_BACKGROUND;
    }
    HWND w = CreatePlayerWindow(h, place);
    ASSERT_NE(nullptr, w);
    EXPECT_TRUE(g_player.desktopMode);
    EXPECT_EQ(desktop.list, g_player.desktopListView) << "not the pop-up's owner, " << GetParent(w);

    g_listViewMouse.clear();
    EXPECT_EQ(0, PlayerHostHook(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6)));
    ASSERT_TRUE(pump_.Until([] { return !g_listViewMouse.empty(); }));
    EXPECT_EQ(static_cast<UINT>(WM_LBUTTONDOWN), g_listViewMouse[0].message);
    POINT p{5, 6};
    MapWindowPoints(w, desktop.list, &p, 1);
    EXPECT_EQ(MAKELPARAM(p.x, p.y), g_listViewMouse[0].lParam) << "the point in the list view's coordinates";
    DestroyWindow(w);
    g_player.desktopMode = false;
    g_player.desktopListView = nullptr;
}

TEST_F(PlayerWindow, AnAnimationThatEndsClosesItsWindow)
{
    SmallAnimation ends;
    ends.withObject = false;  // ends at its second step
    ASSERT_TRUE(ends.Write(folder_.Path(), "ends.ans"));
    HWND w = Show("ends.ans");
    ASSERT_NE(nullptr, w);
    ASSERT_TRUE(pump_.Until([&] { return !IsWindow(w); }));
    pump_.For(50);
    EXPECT_TRUE(pump_.quit);
    EXPECT_EQ(1u, pump_.quitCode);
}

TEST_F(PlayerWindow, EndAction1FollowsOnInTheSameWindow)
{
    SmallAnimation first, second;
    first.withObject = false;
    first.endAction = 1;
    first.next = "second.ans";
    second.background = RGB(0, 160, 0);
    ASSERT_TRUE(first.Write(folder_.Path(), "first.ans"));
    ASSERT_TRUE(second.Write(folder_.Path(), "second.ans"));
    HWND w = Show("first.ans");
    ASSERT_NE(nullptr, w);
    HANIM h = GetAnimHandle(w);
    ASSERT_TRUE(pump_.Until([&] { return GetAnimInfo(h, ANIM_INFO_BKCOLOR) == RGB(0, 160, 0); }));
    EXPECT_TRUE(IsWindow(w));
    EXPECT_EQ(w, g_player.window);
    EXPECT_EQ(h, GetAnimHandle(w));
    EXPECT_TRUE(TimerRuns(w)) << "the next animation plays";
    EXPECT_FALSE(pump_.quit);
}

TEST_F(PlayerWindow, EndAction2MovesToANewWindowWhenTheSizeChanges)
{
    SmallAnimation first, bigger, same;
    first.withObject = false;
    first.endAction = 2;
    first.next = "bigger.ans";
    bigger.width = 180;
    bigger.height = 70;
    ASSERT_TRUE(first.Write(folder_.Path(), "first.ans"));
    ASSERT_TRUE(bigger.Write(folder_.Path(), "bigger.ans"));
    HWND w = Show("first.ans");
    ASSERT_NE(nullptr, w);
    HANIM h = GetAnimHandle(w);
    ASSERT_TRUE(pump_.Until([&] { return !IsWindow(w); }));
    ASSERT_NE(nullptr, g_player.window);
    EXPECT_NE(w, g_player.window);
    EXPECT_EQ(h, GetAnimHandle(g_player.window)) << "the handle moves to the new window";
    RECT client;
    GetClientRect(g_player.window, &client);
    EXPECT_EQ(180, client.right);
    EXPECT_EQ(70, client.bottom);
    EXPECT_FALSE(pump_.quit);

    // Size and caption unchanged: the window is kept.
    first.next = "same.ans";
    same.background = RGB(160, 0, 0);
    ASSERT_TRUE(first.Write(folder_.Path(), "keep.ans"));
    ASSERT_TRUE(same.Write(folder_.Path(), "same.ans"));
    DestroyWindow(g_player.window);
    HWND kept = Show("keep.ans");
    ASSERT_NE(nullptr, kept);
    ASSERT_TRUE(pump_.Until([&] { return GetAnimInfo(GetAnimHandle(kept), ANIM_INFO_BKCOLOR) == RGB(160, 0, 0); }));
    EXPECT_TRUE(IsWindow(kept));
    EXPECT_EQ(kept, g_player.window);
}

TEST_F(PlayerWindow, AFollowOnThatCannotBeLoadedClosesTheWindow)
{
    SmallAnimation first, broken;
    first.withObject = false;
    broken.withSequence = false;
    ASSERT_TRUE(broken.Write(folder_.Path(), "broken.ans"));
    for (const char* next : {"missing.ans", "broken.ans"}) {
        for (const int action : {1, 2}) {
            first.endAction = action;
            first.next = next;
            ASSERT_TRUE(first.Write(folder_.Path(), "first.ans"));
            PlayerUi ui;
            Pump pump;
            HWND w = Show("first.ans");
            ASSERT_NE(nullptr, w);
            ASSERT_TRUE(pump.Until([&] { return !IsWindow(w); })) << next << " " << action;
            pump.For(50);
            EXPECT_TRUE(pump.quit);
            EXPECT_EQ(1u, pump.quitCode);
            EXPECT_EQ(nullptr, g_player.animation);
            // Only the frame sequence that is missing is reported.
            EXPECT_EQ(std::string(next) == "broken.ans" ? 1u : 0u, ui.Boxes().size()) << next;
        }
    }
}

namespace {

std::vector<std::string> g_opened;
HINSTANCE WINAPI RecordOpen(HWND, LPCSTR, LPCSTR file, LPCSTR, LPCSTR, INT)
{
    g_opened.push_back(file);
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

}  // namespace

TEST_F(PlayerWindow, EndAction3OpensTheFollowingFileWithTheShellAndCloses)
{
    InstallShellExecute(RecordOpen);
    SmallAnimation first;
    first.withObject = false;
    first.endAction = 3;
    for (const char* next : {"notes.txt", "setup.exe", "www.example.com"}) {
        g_opened.clear();
        first.next = next;
        ASSERT_TRUE(first.Write(folder_.Path(), "first.ans"));
        Pump pump;
        HWND w = Show("first.ans");
        ASSERT_NE(nullptr, w);
        ASSERT_TRUE(pump.Until([&] { return !IsWindow(w); })) << next;
        pump.For(50);
        EXPECT_EQ(1u, pump.quitCode);
        // A program opens too: it came with no archive.
        EXPECT_EQ(std::vector<std::string>{next}, g_opened);
    }
}
