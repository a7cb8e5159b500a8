// The clock with real windows and a real message loop (under Xvfb): the timer
// mode, the fast mode's pump and what it does with the thread's messages, two
// fast animations in one thread, and a host that destroys the animation from
// a message handled inside a step.
//
// The host window here is a plain window of the tests' own class whose
// procedure forwards WM_TIMER to TickAnimation and closes on the end message,
// as the "ANIWNDCLASS" window does; that window is built separately, and
// these tests need only what the play loop itself does.
#include "PlayFixtures.h"
#include <gtest/gtest.h>

namespace {

// Handles the thread's messages until `done` says so or `limitMs` pass;
// false on the time limit. A WM_QUIT is kept in `quitCode`.
bool RunMessagesUntil(const std::function<bool()>& done, DWORD limitMs, int* quitCode = nullptr)
{
    const DWORD start = GetTickCount();
    MSG msg;
    while (!done()) {
        if (GetTickCount() - start > limitMs) return false;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                if (quitCode) *quitCode = static_cast<int>(msg.wParam);
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    return true;
}

void RunMessagesFor(DWORD ms)
{
    const DWORD start = GetTickCount();
    RunMessagesUntil([&] { return GetTickCount() - start >= ms; }, ms + 1000);
}

// A host: its window ticks the animation on WM_TIMER and closes on the end.
// (Hidden unless a test shows it: an activated window takes Wine about two
// seconds to destroy on a bare X server.)
struct Host {
    Host() : window(100, 50, 100, 60) { Listen(); }
    RecordingWindow window;
    HANIM handle = nullptr;
    std::vector<DWORD> tickTimes;  // when the engine posted each step (its lastTick)
    std::vector<int> results;
    int ends = 0;
    // Runs before the tick number n (from 1) is handed to the engine.
    std::function<void(int n)> beforeTick;
    std::function<bool(UINT, WPARAM, LPARAM)> alsoHandle;

    void Listen()
    {
        window.onMessage = [this](UINT message, WPARAM wParam, LPARAM lParam) {
            if (alsoHandle && alsoHandle(message, wParam, lParam)) return true;
            if (message == WM_TIMER) {
                // The post time, not the arrival: on a loaded machine a posted
                // step can wait in the queue, which says nothing of the pump.
                tickTimes.push_back(handle ? LockedContext(handle)->lastTick : GetTickCount());
                if (beforeTick) beforeTick(static_cast<int>(tickTimes.size()));
                results.push_back(TickAnimation(handle, window.hwnd));
                return true;
            }
            if (message == ANIM_END_ANIMATION) {
                ++ends;
                DestroyWindow(window.hwnd);
                return true;
            }
            return false;
        };
    }
    bool Closed() const { return !IsWindow(window.hwnd); }
};

// One object that runs through its 3 frames `passes` times (endless for 0).
HANIM LoadRunner(PlayScene& scene, uint8_t playFlags, int passes)
{
    scene.f.settings().playFlags = playFlags;
    ObjectRecord& o = scene.AddObject(scene.AddSequence(10, 8, 3), 0, 0, passes ? OBJ_FINITE : 0);
    o.repeatCount = static_cast<int16_t>(passes);
    o.dx = 1;
    return scene.Load();
}

class Clock : public ::testing::Test {
protected:
    EngineSession session{kDibSections};
    PlayScene scene{100, 60};
    Host host;

    // Loads the runner into the host and starts its clock.
    void Start(uint8_t playFlags, int passes)
    {
        host.handle = LoadRunner(scene, playFlags, passes);
        ASSERT_NE(nullptr, host.handle);
        ASSERT_EQ(1, StartAnimation(host.handle, host.window.hwnd));
    }
    void TearDown() override
    {
        if (host.handle && GlobalSize(host.handle)) DestroyAnimation(host.handle);
    }
};

TEST_F(Clock, TimerModeEndsByItselfAndItsWindowCloses)
{
    ShowWindow(host.window.hwnd, SW_SHOWNA);
    EXPECT_TRUE(IsWindowVisible(host.window.hwnd));
    ASSERT_NO_FATAL_FAILURE(Start(PLAY_TIMER_MODE, 2));
    EXPECT_EQ(ANIM_TIMER_ID, LockedContext(host.handle)->timerId);
    ASSERT_TRUE(RunMessagesUntil([&] { return host.Closed(); }, 10000)) << "the animation did not end";
    // Frames 0 1 2 0 1 2 0: finished on step 7, ended on step 8.
    EXPECT_EQ(8u, host.results.size());
    EXPECT_EQ(0, host.results.back());
    EXPECT_EQ(1, host.ends);
    {
        LockedContext c(host.handle);
        EXPECT_EQ(0u, c->timerId) << "the end killed the timer";
        EXPECT_EQ(1, c->ended);
    }
    // A dead timer ticks no more.
    RunMessagesFor(200);
    EXPECT_EQ(8u, host.results.size());
}

TEST_F(Clock, FastModeStepsAtLeast25MillisecondsApartAndEnds)
{
    ASSERT_NO_FATAL_FAILURE(Start(0, 3));
    EXPECT_EQ(0u, LockedContext(host.handle)->timerId);
    ASSERT_TRUE(RunMessagesUntil([&] { return host.Closed(); }, 10000)) << "the animation did not end";
    EXPECT_EQ(11u, host.results.size());
    EXPECT_EQ(1, host.ends);
    // The tick count's upper word may change once in a run and cut one wait short.
    int short_ = 0;
    for (size_t i = 1; i < host.tickTimes.size(); ++i) short_ += host.tickTimes[i] - host.tickTimes[i - 1] < ANIM_FAST_STEP_MS;
    EXPECT_LE(short_, 1);
    EXPECT_EQ(1, LockedContext(host.handle)->stopped);
}

TEST_F(Clock, StoppingAndStartingTheFastMode)
{
    host.beforeTick = [&](int n) {
        if (n == 3) StopAnimation(host.handle, host.window.hwnd);
    };
    ASSERT_NO_FATAL_FAILURE(Start(0, 0));
    RunMessagesFor(400);
    EXPECT_EQ(3u, host.results.size()) << "a stopped animation posts no next step";
    host.beforeTick = nullptr;
    ASSERT_EQ(1, StartAnimation(host.handle, host.window.hwnd));
    RunMessagesFor(300);
    EXPECT_GT(host.results.size(), 5u);
}

TEST_F(Clock, ThePumpTakesAnimCloseAndNoNextStepFollows)
{
    int closes = 0;
    host.alsoHandle = [&](UINT message, WPARAM, LPARAM) { return message == ANIM_CLOSE && ++closes; };
    // Posted inside the third tick, so that its pump is the one to see it.
    host.beforeTick = [&](int n) {
        if (n == 3) PostMessageA(host.window.hwnd, ANIM_CLOSE, 0, 0);
    };
    ASSERT_NO_FATAL_FAILURE(Start(0, 0));
    RunMessagesFor(400);
    EXPECT_EQ(3u, host.results.size());
    EXPECT_EQ(0, closes) << "the pump consumed it";
    EXPECT_EQ(1, LockedContext(host.handle)->stopped);
}

TEST_F(Clock, AQuitSeenByThePumpKeepsItsExitCode)
{
    host.beforeTick = [&](int n) {
        if (n == 2) PostQuitMessage(42);
    };
    ASSERT_NO_FATAL_FAILURE(Start(0, 0));
    int quitCode = -1;
    ASSERT_TRUE(RunMessagesUntil([&] { return quitCode != -1; }, 5000, &quitCode));
    EXPECT_EQ(42, quitCode);
    EXPECT_EQ(2u, host.results.size());
}

TEST_F(Clock, ACloseIsLeftToTheHostAndPlayGoesOnWhenItDeclines)
{
    size_t closedAt = 0;
    host.alsoHandle = [&](UINT message, WPARAM, LPARAM) {
        if (message != WM_CLOSE) return false;
        closedAt = host.results.size();
        return true;  // declined: the window stays
    };
    host.beforeTick = [&](int n) {
        if (n == 2) PostMessageA(host.window.hwnd, WM_CLOSE, 0, 0);
    };
    ASSERT_NO_FATAL_FAILURE(Start(0, 0));
    RunMessagesFor(500);
    EXPECT_EQ(2u, closedAt) << "the close reached the window from the host's loop, after the second tick";
    EXPECT_GT(host.results.size(), closedAt + 3) << "playback went on";
}

TEST_F(Clock, TwoFastAnimationsInOneThreadBothKeepRunning)
{
    PlayScene second(100, 60);
    Host& a = host;
    Host b;
    b.handle = LoadRunner(second, 0, 0);
    ASSERT_NE(nullptr, b.handle);
    SetCurrentDirectoryA(scene.dir.Path().c_str());
    a.handle = LoadRunner(scene, 0, 0);
    ASSERT_NE(nullptr, a.handle);
    // Past the second both stop, so that a pump that never lets go of the
    // thread (one animation starving the other) still comes back.
    const DWORD start = GetTickCount();
    for (Host* each : {&a, &b})
        each->beforeTick = [each, start](int) {
            if (GetTickCount() - start > 1000) StopAnimation(each->handle, each->window.hwnd);
        };
    ASSERT_EQ(1, StartAnimation(a.handle, a.window.hwnd));
    ASSERT_EQ(1, StartAnimation(b.handle, b.window.hwnd));
    RunMessagesFor(1200);
    // About 25 ms a step each; either starving the other would leave it at one or two.
    EXPECT_GE(a.results.size(), 8u);
    EXPECT_GE(b.results.size(), 8u);
    DestroyAnimation(b.handle);
}

TEST_F(Clock, AHostMayDestroyTheAnimationFromAPumpedMessage)
{
    const UINT kDestroyNow = WM_APP + 7;
    SIZE_T sizeRightAfter = 0;
    host.alsoHandle = [&](UINT message, WPARAM, LPARAM) {
        if (message != kDestroyNow) return false;
        DestroyAnimation(host.handle);
        sizeRightAfter = GlobalSize(host.handle);
        DestroyWindow(host.window.hwnd);
        return true;
    };
    host.beforeTick = [&](int n) {
        if (n == 3) PostMessageA(host.window.hwnd, kDestroyNow, 0, 0);
    };
    ASSERT_NO_FATAL_FAILURE(Start(0, 0));
    ASSERT_TRUE(RunMessagesUntil([&] { return host.Closed(); }, 5000));
    EXPECT_NE(0u, sizeRightAfter) << "the tick still working on it kept it";
    EXPECT_EQ(std::vector<int>({1, 1, 0}), host.results) << "the tick reports the animation gone";
    EXPECT_EQ(0u, GlobalSize(host.handle)) << "freed once the tick was over";
}

}  // namespace
