// The animation window driven by the play loop's own clock: a host hook sees
// the sounds, object events and the end in the order the steps produce them,
// the engine follows on by itself, and a hook that swallows WM_TIMER halts the
// stepping while the timer goes on.
#include "WindowFixtures.h"
#include "FakeMciDevices.h"
#include <gtest/gtest.h>

namespace {

// Until the engine has a play loop of its own, the window tests link inert
// stand-ins for its clock (see CMakeLists.txt): these tests need the real one.
#ifdef PLAY_LOOP_STANDS_IN
#define REQUIRE_PLAY_LOOP() GTEST_SKIP() << "the engine's play loop is not built in yet"
#else
#define REQUIRE_PLAY_LOOP() (void)0
#endif

ObjectStep SoundStep(uint8_t flags, uint8_t sound)
{
    ObjectStep s{};
    s.stepFlags = flags;
    s.soundIndex = sound;
    return s;
}

// "steps.ans" (timer mode, end action 1, followed by "next.ans"): one object
// whose step list plays a wave, then stops it and ends the animation.
class AnimWindowPlayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureAnimWindowClass();
        ASSERT_TRUE(WriteWholeFile("tone.wav", MinimalWaveFile()));
        ASSERT_TRUE(WriteTestAnimation("steps.ans", 120, 80, 1, [](AnimationFixture& f) {
            f.settings().playFlags = PLAY_TIMER_MODE | (END_LOAD_NEXT << PLAY_END_ACTION_SHIFT);
            lstrcpynA(f.settings().nextAnimation, "next.ans", 64);
            f.AddSound("tone.wav", ANIM_SOUND_DETECT | SND_ASYNC);
            f.t.objectTable[0].objectFlags = OBJ_STEP_LIST;
            f.AddSteps(0, {SoundStep(0, 1), SoundStep(STEP_END, 0x45)});
        }));
        ASSERT_TRUE(WriteTestAnimation("next.ans", 120, 80, 2, [](AnimationFixture& f) {
            f.settings().playFlags = PLAY_TIMER_MODE;
            lstrcpynA(f.settings().title, "Next", 64);
        }));
        InstallMciSeam(&devices_.Seam());
        InstallUiSeam(&devices_.Ui());
        handle_ = LoadWholeAnimation("steps.ans");
        ASSERT_NE(handle_, nullptr);
        window_ = CreateAnimWindow(handle_, WS_POPUP, 0, 0, 120, 80, nullptr, ANIM_WND_SIZE_FROM_ANIM, HookRecorder::Hook);
        ASSERT_NE(window_, nullptr);
        devices_.SetWindow(window_);
    }
    void TearDown() override
    {
        if (IsWindow(window_)) DestroyWindow(window_);
        DrainMessages();
        StopSound(nullptr, ANIM_SOUND_ALL, false);
        InstallMciSeam(nullptr);
        InstallUiSeam(nullptr);
        DestroyAnimation(handle_);
    }

    std::string Title() { return LockedContext(handle_)->settings.title; }

    CurrentScratchFolder folder_;
    FakeDevices devices_;
    HookRecorder hook_;
    HANIM handle_ = nullptr;
    HWND window_ = nullptr;
};

TEST_F(AnimWindowPlayTest, TheHookSeesSoundsEventsAndTheEndAsTheStepsProduceThemAndTheEngineFollowsOn)
{
    REQUIRE_PLAY_LOOP();
    const char* soundName = LockedContext(handle_)->sounds[0].name;
    const LPARAM nextName = GetAnimInfo(handle_, ANIM_INFO_NEXT_NAME);
    ASSERT_EQ(StartAnimWindow(window_), 1);
    ASSERT_TRUE(PumpUntil([&] { return Title() == "Next"; }));

    std::vector<HookCall> seen;
    for (const HookCall& c : hook_.calls)
        if (c.message != WM_INITDIALOG && c.message != MM_MCINOTIFY) seen.push_back(c);
    struct Expected { UINT message; WPARAM wParam; LPARAM lParam; };
    const Expected expected[] = {
        {ANIM_SOUND_REQUEST, ANIM_SOUND_DETECT | SND_ASYNC, reinterpret_cast<LPARAM>(soundName)},
        {ANIM_SOUND_REQUEST, ANIM_SOUND_WAVE, 0},
        {ANIM_OBJECT_MESSAGE, 0, ANIM_OBJ_FINISHED},
        {ANIM_END_ANIMATION, END_LOAD_NEXT, nextName},
    };
    ASSERT_EQ(seen.size(), std::size(expected));
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].message, expected[i].message) << i;
        EXPECT_EQ(seen[i].wParam, expected[i].wParam) << i;
        EXPECT_EQ(seen[i].lParam, expected[i].lParam) << i;
    }
    EXPECT_EQ(devices_.calls, std::vector<std::string>({"OPEN wave tone.wav", "PLAY 7 notify@W", "STOP 7", "CLOSE 7",
                                                        "PLAIN stop"}));
    // The engine loaded the following animation into the same window and started it.
    EXPECT_TRUE(IsWindow(window_));
    EXPECT_EQ(GetAnimHandle(window_), handle_);
    EXPECT_EQ(LockedContext(handle_)->header.objectCount, 2);
    EXPECT_TRUE(PumpUntil([&] { return LockedContext(handle_)->firstStepDone != 0; })) << "and it plays";
}

TEST_F(AnimWindowPlayTest, AHookThatSwallowsTheTimerHaltsSteppingButNotTheTimer)
{
    REQUIRE_PLAY_LOOP();
    hook_.Answer(WM_TIMER, -1);
    ASSERT_EQ(StartAnimWindow(window_), 1);
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(LockedContext(handle_)->firstStepDone, 0) << "no step ran";
    EXPECT_NE(LockedContext(handle_)->timerId, 0u) << "the timer still runs";
    hook_.Answer(WM_TIMER, 0);
    EXPECT_TRUE(PumpUntil([&] { return LockedContext(handle_)->firstStepDone != 0; }));
}

}  // namespace
