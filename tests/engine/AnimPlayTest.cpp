// The play loop tick by tick: sequence animations (frames, ping-pong, wrap
// and bounce, reversals, delays, finite repeats), step lists (positions,
// waits, counted steps, jumps, fix frames, sounds, ends), start masks, the end
// of the animation with its end action, and the object events the host sees.
// Every expected value below was worked out by hand from the rules of the
// play loop; the step entry point is called directly, no clock runs.
#include "PlayFixtures.h"
#include <gtest/gtest.h>

namespace {

class PlayLoop : public ::testing::Test {
protected:
    EngineSession session{kDibSections};
    RecordingWindow window;

    // Object 0, the only one, has just come to the end of its list: it said
    // so, waits at step 0 to be started again, and the next step ends the
    // animation.
    void ExpectListFinishedAndAnimationEnding(HANIM h)
    {
        EXPECT_EQ(std::vector<ObjectEvent>({{0, ANIM_OBJ_FINISHED}}), window.TakeEvents());
        {
            LockedContext c(h);
            EXPECT_EQ(1, c->objectRuntime[0].finished);
            EXPECT_EQ(0, c->objectRuntime[0].stepIndex);
        }
        EXPECT_EQ(0, StepAnimation(h, window.hwnd));
    }
};

// ---- sequence animations ----

struct SequenceCase {
    const char* name;
    int startX, startY;
    int dx, dy;
    uint8_t frameDelay, moveDelay, motionFlags;
    std::vector<ObjectTrace> expected;  // after each tick
};

// A 100 by 60 picture, a 10 by 8 sequence of three frames.
TEST_F(PlayLoop, SequenceAnimationsTickByTick)
{
    const SequenceCase cases[] = {
        {"plain cycle, the first step only starts the counters", 0, 5, 4, 0, 0, 0, 0,
         {{0, 0, 5}, {1, 4, 5}, {2, 8, 5}, {0, 12, 5}, {1, 16, 5}, {2, 20, 5}}},
        {"frame delay 2: every third step; move delay 1: every second", 0, 0, 3, 2, 2, 1, 0,
         {{0, 0, 0}, {0, 0, 0}, {0, 3, 2}, {1, 3, 2}, {1, 6, 4}, {1, 6, 4}, {2, 9, 6}, {2, 9, 6}}},
        {"ping-pong with the motion reversing at each turn", 20, 10, 3, 0, 1, 0, MOTION_PING_PONG | MOTION_REVERSE_WITH_FRAMES,
         {{0, 20, 10}, {0, 23, 10}, {1, 26, 10}, {1, 29, 10}, {2, 26, 10}, {2, 23, 10},
          {1, 20, 10}, {1, 17, 10}, {0, 20, 10}, {0, 23, 10}, {1, 26, 10}}},
        {"wrap: out at the right edge, in with the right edge at the left border", 90, 50, 6, 5, 0, 0, 0,
         {{0, 90, 50}, {1, 96, 55}, {2, -10, 60}, {0, -4, -8}, {1, 2, -3}}},
        {"wrap moving left and up", 2, 0, -6, -4, 0, 0, 0,
         {{0, 2, 0}, {1, -4, -4}, {2, -10, -8}, {0, 100, 60}, {1, 94, 56}}},
        {"bounce at the right edge, the frames turning with it", 84, 20, 4, 0, 0, 0, MOTION_BOUNCE | MOTION_BOUNCE_REVERSES_FRAMES,
         {{0, 84, 20}, {1, 88, 20}, {2, 92, 20}, {1, 88, 20}, {0, 84, 20}, {2, 80, 20}}},
        {"bounce off the bottom edge", 10, 44, 0, 5, 0, 0, MOTION_BOUNCE,
         {{0, 10, 44}, {1, 10, 49}, {2, 10, 54}, {0, 10, 49}, {1, 10, 44}}},
        {"bouncing partly outside: reverses every move", -10, 20, 4, 0, 0, 0, MOTION_BOUNCE,
         {{0, -10, 20}, {1, -6, 20}, {2, -10, 20}, {0, -6, 20}, {1, -10, 20}}},
        // The frames turn at their last frame just as the object bounces and
        // turns them again: they go back inside, never past the last frame.
        {"ping-pong turned outward by a bounce stays inside the frames", 83, 20, 4, 0, 0, 0,
         MOTION_PING_PONG | MOTION_BOUNCE | MOTION_BOUNCE_REVERSES_FRAMES,
         {{0, 83, 20}, {1, 87, 20}, {2, 91, 20}, {1, 87, 20}, {0, 83, 20}, {1, 79, 20}, {2, 75, 20}}},
    };
    for (const SequenceCase& k : cases) {
        SCOPED_TRACE(k.name);
        PlayScene scene(100, 60);
        ObjectRecord& o = scene.AddObject(scene.AddSequence(10, 8, 3), k.startX, k.startY);
        o.dx = k.dx;
        o.dy = k.dy;
        o.frameDelay = k.frameDelay;
        o.moveDelay = k.moveDelay;
        o.motionFlags = k.motionFlags;
        HANIM h = scene.Load();
        ASSERT_NE(nullptr, h);
        const std::vector<ObjectTrace> trace = TraceObject(h, window.hwnd, 0, static_cast<int>(k.expected.size()));
        EXPECT_EQ(k.expected, trace);
        EXPECT_TRUE(window.TakeEvents().empty()) << "an endless object reports nothing";
        DestroyAnimation(h);
    }
}

TEST_F(PlayLoop, PingPongOverOneFrameIsAPlainCycle)
{
    PlayScene scene(100, 60);
    ObjectRecord& o = scene.AddObject(scene.AddSequence(10, 8, 1), 0, 0, OBJ_FINITE);
    o.motionFlags = MOTION_PING_PONG;
    o.repeatCount = 3;
    HANIM h = scene.Load();
    ASSERT_NE(nullptr, h);
    // Every frame step is a pass: finished on the fourth step.
    const std::vector<ObjectTrace> trace = TraceObject(h, window.hwnd, 0, 4);
    EXPECT_EQ(std::vector<ObjectTrace>(4, ObjectTrace{0, 0, 0}), trace);
    EXPECT_EQ(std::vector<ObjectEvent>({{0, ANIM_OBJ_FINISHED}}), window.TakeEvents());
    DestroyAnimation(h);
}

TEST_F(PlayLoop, FiniteRepeatsFinishTheObjectAndEndTheAnimation)
{
    PlayScene scene(100, 60);
    const int sequence = scene.AddSequence(10, 8, 3);
    ObjectRecord& finite = scene.AddObject(sequence, 0, 0, OBJ_FINITE);
    finite.repeatCount = 2;
    ObjectRecord& second = scene.AddObject(sequence, 0, 20, OBJ_FINITE);
    second.repeatCount = 1;
    second.frameDelay = 1;  // a pass takes six steps
    HANIM h = scene.Load();
    ASSERT_NE(nullptr, h);
    // Object 0: frames 0 1 2 0(pass 1) 1 2 0(pass 2, finished on step 7).
    // Object 1: frames change on steps 3, 5, 7 (the third change is its pass).
    std::vector<std::vector<ObjectEvent>> events;
    for (int tick = 1; tick <= 7; ++tick) {
        ASSERT_EQ(1, StepAnimation(h, window.hwnd)) << "step " << tick;
        events.push_back(window.TakeEvents());
    }
    for (int tick = 1; tick <= 6; ++tick) EXPECT_TRUE(events[tick - 1].empty()) << "step " << tick;
    EXPECT_EQ(std::vector<ObjectEvent>({{0, ANIM_OBJ_FINISHED}, {1, ANIM_OBJ_FINISHED}}), events[6]);
    {
        LockedContext c(h);
        EXPECT_EQ(1, c->objectRuntime[0].finished);
        EXPECT_EQ(2, c->objectRuntime[0].repetitions);
        EXPECT_EQ(1, c->objectRuntime[0].wasFinished);
        EXPECT_EQ(0, c->ended);
    }
    EXPECT_TRUE(window.TakePosted(ANIM_END_ANIMATION).empty());
    // Every object finished: the next step ends the animation.
    EXPECT_EQ(0, StepAnimation(h, window.hwnd));
    EXPECT_EQ(1u, window.TakePosted(ANIM_END_ANIMATION).size());
    EXPECT_EQ(1, LockedContext(h)->ended);
    EXPECT_EQ(0, StartAnimation(h, window.hwnd)) << "an ended animation does not start";
    DestroyAnimation(h);
}

TEST_F(PlayLoop, AnAnimationWithoutObjectsEndsAtTheSecondStep)
{
    PlayScene scene(100, 60);
    scene.AddSequence(10, 8, 1);
    HANIM h = scene.Load();
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(1, StepAnimation(h, window.hwnd));
    EXPECT_TRUE(window.TakePosted(ANIM_END_ANIMATION).empty());
    EXPECT_EQ(0, StepAnimation(h, window.hwnd));
    EXPECT_EQ(1u, window.TakePosted(ANIM_END_ANIMATION).size());
    // Told once: a second notice would make the host follow on twice.
    EXPECT_EQ(0, StepAnimation(h, window.hwnd));
    EXPECT_TRUE(window.TakePosted(ANIM_END_ANIMATION).empty());
    // A restart begins a new playback that ends and is told again.
    EXPECT_EQ(1, RestartAnimation(h, window.hwnd, FALSE, FALSE));
    EXPECT_EQ(1, StepAnimation(h, window.hwnd));
    EXPECT_EQ(0, StepAnimation(h, window.hwnd));
    EXPECT_EQ(1u, window.TakePosted(ANIM_END_ANIMATION).size());
    DestroyAnimation(h);
}

TEST_F(PlayLoop, EndActionsAndTheEndMessage)
{
    struct Case {
        int endAction;
        uint8_t stepFlags;  // of the object's only step
        WPARAM wParam;
        bool namesNext;
    } cases[] = {
        {0, 0, 0, false},
        {1, 0, 1, true},
        {2, 0, 2, true},
        {3, 0, 0, false},
        {1, STEP_END, 1, true},                          // the step ends it early, the action stays
        {2, STEP_END | STEP_CLEAR_END_ACTION, 0, false}, // the step also clears the end action
    };
    for (const Case& k : cases) {
        SCOPED_TRACE("end action " + std::to_string(k.endAction) + ", step flags " + std::to_string(k.stepFlags));
        PlayScene scene(100, 60);
        scene.f.settings().playFlags = static_cast<uint8_t>(PLAY_TIMER_MODE | (k.endAction << PLAY_END_ACTION_SHIFT));
        lstrcpyA(scene.f.settings().nextAnimation, "next.ans");
        const int sequence = scene.AddSequence(10, 8, 1);
        scene.AddStepObject(sequence, {MakeStep(k.stepFlags, 1, 1, 0)});
        // With the end flag the step ends the animation while another object still runs.
        if (k.stepFlags & STEP_END) scene.AddObject(sequence, 0, 0);
        HANIM h = scene.Load();
        ASSERT_NE(nullptr, h);
        ASSERT_EQ(1, StartAnimation(h, window.hwnd));
        EXPECT_NE(0u, LockedContext(h)->timerId);
        EXPECT_EQ(1, StepAnimation(h, window.hwnd));  // enters the step
        EXPECT_EQ(1, StepAnimation(h, window.hwnd));  // leaves it: the list is done
        EXPECT_TRUE(window.TakePosted(ANIM_END_ANIMATION).empty());
        EXPECT_EQ(0, StepAnimation(h, window.hwnd));
        const std::vector<MSG> ends = window.TakePosted(ANIM_END_ANIMATION);
        ASSERT_EQ(1u, ends.size());
        EXPECT_EQ(k.wParam, ends[0].wParam);
        const LPARAM next = GetAnimInfo(h, ANIM_INFO_NEXT_NAME);
        EXPECT_EQ(k.namesNext ? next : 0, ends[0].lParam);
        if (k.namesNext) {
            EXPECT_STREQ("next.ans", reinterpret_cast<const char*>(ends[0].lParam));
        }
        EXPECT_EQ(k.stepFlags & STEP_CLEAR_END_ACTION ? 0 : k.endAction, GetAnimInfo(h, ANIM_INFO_END_ACTION));
        // The clock stopped with the end.
        LockedContext c(h);
        EXPECT_EQ(0u, c->timerId);
        EXPECT_EQ(1, c->stopped);
        DestroyAnimation(h);
    }
}

// ---- step lists ----

TEST_F(PlayLoop, StepListPositionsWaitsAndTheEndOfTheList)
{
    PlayScene scene(100, 60);
    const int sequence = scene.AddSequence(10, 8, 3);
    scene.AddStepObject(sequence, {
                                      MakeStep(STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE, 10, 20, 1, 1),
                                      MakeStep(0, 5, -3, 0, 2),
                                      MakeStep(0, 5, 0, 2, 0),
                                  });
    scene.Object(0).startX = 77;  // a step list starts where its first step says
    HANIM h = scene.Load();
    ASSERT_NE(nullptr, h);
    // A step with wait w shows for w + 1 steps.
    const std::vector<ObjectTrace> expected = {{1, 10, 20}, {1, 10, 20}, {2, 15, 17}, {0, 20, 17},
                                               {0, 20, 17}, {0, 20, 17}, {0, 20, 17}};
    EXPECT_EQ(expected, TraceObject(h, window.hwnd, 0, 7));
    ExpectListFinishedAndAnimationEnding(h);
    DestroyAnimation(h);
}

TEST_F(PlayLoop, RelativeStepsWrapAndAbsoluteOnesFollowThePositionFlags)
{
    PlayScene scene(100, 60);
    scene.f.settings().positionFlags = 0x0C;  // positions name the centre, counted from the picture's centre
    const int sequence = scene.AddSequence(10, 8, 1);
    scene.AddStepObject(sequence, {
                                      MakeStep(STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE, 0, 0, 0),
                                      MakeStep(STEP_Y_ABSOLUTE, 40, -30, 0),
                                      MakeStep(0, 20, -10, 0),
                                      MakeStep(STEP_X_ABSOLUTE, -50, -20, 0),
                                      MakeStep(0, 0, -25, 0),
                                  });
    HANIM h = scene.Load();
    ASSERT_NE(nullptr, h);
    // Centre: (0, 0) -> (50 - 5, 30 - 4). Relative x 40: 85; absolute y -30: 30 - 4 - 30 = -4.
    // Then x 105 > 100 wraps to -10, y -14 < -8 wraps to 60; x -50 -> -5; y 60 - 20 = 40, then 15.
    const std::vector<ObjectTrace> expected = {{0, 45, 26}, {0, 85, -4}, {0, -10, 60}, {0, -5, 40}, {0, -5, 15}};
    EXPECT_EQ(expected, TraceObject(h, window.hwnd, 0, 5));
    DestroyAnimation(h);
}

TEST_F(PlayLoop, JumpsToTheSameStepMoveWithoutRepeatingTheSound)
{
    PlayScene scene(100, 60);
    scene.f.AddSound("tick.wav", 0x1000);
    const int sequence = scene.AddSequence(10, 8, 1);
    ObjectStep loop = MakeStep(0, 4, 0, 0);
    loop.condition = 0x70;  // a position code that always holds
    loop.jumpTarget = 0;
    loop.soundIndex = 1;
    scene.AddStepObject(sequence, {loop});
    HANIM h = scene.Load();
    ASSERT_NE(nullptr, h);
    std::vector<int> xs, stayed;
    size_t sounds = 0;
    for (int tick = 0; tick < 5; ++tick) {
        StepAnimation(h, window.hwnd);
        UpdateAnimWindow(h, window.hwnd);
        sounds += window.TakePosted(ANIM_SOUND_REQUEST).size();
        LockedContext c(h);
        xs.push_back(c->objectRuntime[0].x);
        stayed.push_back(c->objectRuntime[0].stayed);
    }
    EXPECT_EQ(std::vector<int>({4, 8, 12, 16, 20}), xs);
    EXPECT_EQ(std::vector<int>({0, 1, 1, 1, 1}), stayed);
    EXPECT_EQ(1u, sounds) << "the sound of the step is asked for once";
    DestroyAnimation(h);
}

TEST_F(PlayLoop, JumpTargetsOutsideTheListFinishTheObject)
{
    for (const int target : {-1, -300, 1, 2000}) {
        SCOPED_TRACE("jump target " + std::to_string(target));
        PlayScene scene(100, 60);
        ObjectStep jump = MakeStep(0, 1, 0, 0);
        jump.condition = 0x70;
        jump.jumpTarget = static_cast<int16_t>(target);
        scene.AddStepObject(scene.AddSequence(10, 8, 1), {jump});
        HANIM h = scene.Load();
        ASSERT_NE(nullptr, h);
        EXPECT_EQ(1, StepAnimation(h, window.hwnd));
        EXPECT_EQ(1, StepAnimation(h, window.hwnd));
        ExpectListFinishedAndAnimationEnding(h);
        DestroyAnimation(h);
    }
}

TEST_F(PlayLoop, CountedStepsReportFireOnceAndWaitToBeContinued)
{
    PlayScene scene(100, 60);
    const int sequence = scene.AddSequence(10, 8, 1);
    ObjectStep counted = MakeStep(STEP_WAIT | STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE, 1, 1, 3);
    counted.startMaskLow = 1 << 1;  // starts object 1
    scene.AddStepObject(sequence, {counted, MakeStep(STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE, 30, 30, 5)});
    ObjectStep starter = MakeStep(STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE, 60, 10, 1);
    starter.startMaskLow = 1 << 0;  // continues object 0
    scene.AddStepObject(sequence, {starter, MakeStep(STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE, 70, 10, 9)}, OBJ_DISABLED);
    HANIM h = scene.Load();
    ASSERT_NE(nullptr, h);
    struct Tick {
        std::vector<ObjectEvent> events;
        ObjectTrace first, second;
        int secondFinished;
    };
    // Step 1: object 0 enters its counted step and reports it. Steps 2-4 count
    // 0, 1, 2; on step 5 the count is 3: the start mask fires and the step
    // reports again, object 1 starts and takes its first step at once. On
    // step 7 object 1 leaves its first step, whose mask continues object 0:
    // on to its next step, entered in the same step.
    const Tick expected[] = {
        {{{0, ANIM_OBJ_STEP_EVENT}}, {0, 1, 1}, {0, 0, 0}, 0x82},
        {{}, {0, 1, 1}, {0, 0, 0}, 0x82},
        {{}, {0, 1, 1}, {0, 0, 0}, 0x82},
        {{}, {0, 1, 1}, {0, 0, 0}, 0x82},
        {{{0, ANIM_OBJ_STEP_EVENT}, {1, ANIM_OBJ_STARTED}}, {0, 1, 1}, {0, 60, 10}, 0},
        {{}, {0, 1, 1}, {0, 60, 10}, 0},
        {{{0, ANIM_OBJ_CONTINUED}}, {0, 30, 30}, {0, 70, 10}, 0},
        {{}, {0, 30, 30}, {0, 70, 10}, 0},
    };
    int tick = 0;
    for (const Tick& e : expected) {
        SCOPED_TRACE("step " + std::to_string(++tick));
        ASSERT_EQ(1, StepAnimation(h, window.hwnd));
        EXPECT_EQ(e.events, window.TakeEvents());
        LockedContext c(h);
        const ObjectRuntime& a = c->objectRuntime[0];
        const ObjectRuntime& b = c->objectRuntime[1];
        EXPECT_EQ(e.first, (ObjectTrace{a.frame, a.x, a.y}));
        if (e.secondFinished == 0) {
            EXPECT_EQ(e.second, (ObjectTrace{b.frame, b.x, b.y}));
        }
        EXPECT_EQ(e.secondFinished, b.finished);
        EXPECT_EQ(0u, c->startMask);
    }
    DestroyAnimation(h);
}

TEST_F(PlayLoop, StartMasksAddressAllThirtyTwoObjects)
{
    PlayScene scene(100, 60);
    const int sequence = scene.AddSequence(10, 8, 1);
    ObjectStep start = MakeStep(0, 0, 0, 0);
    start.startMaskLow = 0x0002;   // object 1
    start.startMaskHigh = 0x8001;  // objects 16 and 31
    scene.AddStepObject(sequence, {start, MakeStep(0, 0, 0, 100)});
    for (int i = 1; i < MAX_PLAYER_OBJECTS; ++i) scene.AddObject(sequence, i, i, OBJ_DISABLED);
    HANIM h = scene.Load();
    ASSERT_NE(nullptr, h);
    ASSERT_EQ(MAX_PLAYER_OBJECTS, LockedContext(h)->header.objectCount);
    StepAnimation(h, window.hwnd);
    EXPECT_TRUE(window.TakeEvents().empty());
    StepAnimation(h, window.hwnd);  // leaves the first step
    EXPECT_EQ(std::vector<ObjectEvent>({{1, ANIM_OBJ_STARTED}, {16, ANIM_OBJ_STARTED}, {31, ANIM_OBJ_STARTED}}),
              window.TakeEvents());
    LockedContext c(h);
    for (int i = 1; i < MAX_PLAYER_OBJECTS; ++i)
        EXPECT_EQ(i == 1 || i == 16 || i == 31 ? 0 : 0x82, c->objectRuntime[i].finished) << "object " << i;
    DestroyAnimation(h);
}

TEST_F(PlayLoop, StartMaskBitsPastTheObjectCountNameNobody)
{
    PlayScene scene(100, 60);
    const int sequence = scene.AddSequence(10, 8, 1);
    ObjectStep start = MakeStep(0, 0, 0, 0);
    start.startMaskLow = 0xFFFC;   // objects 2-15 do not exist
    start.startMaskHigh = 0xFFFF;  // nor 16-31
    scene.AddStepObject(sequence, {start, MakeStep(0, 0, 0, 100)});
    scene.AddObject(sequence, 5, 5, OBJ_DISABLED);
    HANIM h = scene.Load();
    ASSERT_NE(nullptr, h);
    for (int tick = 0; tick < 3; ++tick) EXPECT_EQ(1, StepAnimation(h, window.hwnd));
    EXPECT_TRUE(window.TakeEvents().empty());
    LockedContext c(h);
    EXPECT_EQ(0u, c->startMask);
    EXPECT_EQ(0x82, c->objectRuntime[1].finished);
    for (int i = 2; i < MAX_PLAYER_OBJECTS; ++i) EXPECT_EQ(0, c->objectRuntime[i].finished) << "object " << i;
    DestroyAnimation(h);
}

TEST_F(PlayLoop, ARunningObjectStartedAgainRestartsFromItsStart)
{
    PlayScene scene(100, 60);
    const int sequence = scene.AddSequence(10, 8, 4);
    ObjectRecord& runner = scene.AddObject(sequence, 10, 20);
    runner.dx = 2;
    ObjectStep restart = MakeStep(0, 0, 0, 2);
    restart.startMaskLow = 1 << 0;
    scene.AddStepObject(sequence, {restart, MakeStep(0, 0, 0, 100)});
    HANIM h = scene.Load();
    ASSERT_NE(nullptr, h);
    // Object 1 leaves its step on step 4; object 0 then starts again from
    // (10, 20), frame 0, and takes the step that starts its counters.
    const std::vector<ObjectTrace> expected = {{0, 10, 20}, {1, 12, 20}, {2, 14, 20}, {0, 10, 20}, {1, 12, 20}};
    std::vector<ObjectTrace> trace;
    for (int tick = 1; tick <= 5; ++tick) {
        StepAnimation(h, window.hwnd);
        if (tick == 4) {
            EXPECT_EQ(std::vector<ObjectEvent>({{0, ANIM_OBJ_STARTED}}), window.TakeEvents());
        }
        LockedContext c(h);
        trace.push_back({c->objectRuntime[0].frame, c->objectRuntime[0].x, c->objectRuntime[0].y});
    }
    EXPECT_EQ(expected, trace);
    DestroyAnimation(h);
}

TEST_F(PlayLoop, ObjectsDisabledAtStartWaitAndAreNotDrawn)
{
    PlayScene scene(100, 60);
    const int sequence = scene.AddSequence(10, 8, 1, 0, [](int, int, int) -> uint32_t { return 40; });
    scene.AddObject(sequence, 20, 20, OBJ_DISABLED);
    scene.AddObject(sequence, 60, 20);
    HANIM h = scene.Load();
    ASSERT_NE(nullptr, h);
    for (int tick = 0; tick < 3; ++tick) {
        StepAnimation(h, window.hwnd);
        UpdateAnimWindow(h, window.hwnd);
    }
    {
        LockedContext c(h);
        EXPECT_EQ(0x82, c->objectRuntime[0].finished);
        EXPECT_EQ(0x82, c->objectRuntime[0].wasFinished);
        EXPECT_EQ(0, c->objectRuntime[1].finished);
    }
    const Pixels picture = ReadBitmap(GetAnimBitmap(h));
    ASSERT_EQ(100, picture.width);
    EXPECT_EQ(RGB(0, 0, 128), picture.At(25, 24)) << "the waiting object is not drawn";
    EXPECT_NE(RGB(0, 0, 128), picture.At(65, 24)) << "the running one is";
    DestroyAnimation(h);
}

TEST_F(PlayLoop, AttachingWithAWindowShowsTheFirstPlaces)
{
    PlayScene scene(100, 60);
    const int sequence = scene.AddSequence(10, 8, 1);
    ObjectStep counted = MakeStep(STEP_WAIT | STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE, 33, 44, 5);
    scene.AddStepObject(sequence, {counted});
    HANIM h = scene.Load();  // attached without a window: objects at their start
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(0, LockedContext(h)->objectRuntime[0].x);
    ASSERT_EQ(1, AttachAnimation(h, window.hwnd));
    // Each object stepped once, its events sent to the window.
    EXPECT_EQ(std::vector<ObjectEvent>({{0, ANIM_OBJ_STEP_EVENT}}), window.TakeEvents());
    {
        LockedContext c(h);
        EXPECT_EQ(33, c->objectRuntime[0].x);
        EXPECT_EQ(44, c->objectRuntime[0].y);
        EXPECT_EQ(0, c->firstStepDone);
    }
    // The first real step starts over and shows the same.
    StepAnimation(h, window.hwnd);
    EXPECT_EQ(std::vector<ObjectEvent>({{0, ANIM_OBJ_STEP_EVENT}}), window.TakeEvents());
    EXPECT_EQ(33, LockedContext(h)->objectRuntime[0].x);
    DestroyAnimation(h);
}

// ---- host code inside a step ----

// Two objects that finish in the same step (their one frame, once), so that
// one step sends two events; the host acts on the first.
HANIM LoadTwoFinishers(PlayScene& scene)
{
    const int sequence = scene.AddSequence(10, 8, 1);
    scene.AddObject(sequence, 0, 0, OBJ_FINITE).repeatCount = 1;
    scene.AddObject(sequence, 20, 0, OBJ_FINITE).repeatCount = 1;
    return scene.Load();
}

TEST_F(PlayLoop, AHostMayDestroyTheAnimationInsideAnObjectEvent)
{
    PlayScene scene(100, 60);
    HANIM h = LoadTwoFinishers(scene);
    ASSERT_NE(nullptr, h);
    SIZE_T sizeInside = 0;
    window.onEvent = [&](const ObjectEvent&) {
        DestroyAnimation(h);
        sizeInside = GlobalSize(h);
    };
    EXPECT_EQ(1, StepAnimation(h, window.hwnd));
    EXPECT_EQ(0, StepAnimation(h, window.hwnd)) << "the step reports the animation gone";
    EXPECT_EQ(std::vector<ObjectEvent>({{0, ANIM_OBJ_FINISHED}}), window.TakeEvents()) << "nothing after the destroy";
    EXPECT_NE(0u, sizeInside) << "the step still working on it kept it";
    EXPECT_EQ(0u, GlobalSize(h)) << "freed once the step was over";
}

TEST_F(PlayLoop, AHostMayDestroyTheAnimationWhileItIsAttached)
{
    PlayScene scene(100, 60);
    scene.AddStepObject(scene.AddSequence(10, 8, 1), {MakeStep(STEP_WAIT, 0, 0, 5)});
    HANIM h = scene.Load();
    ASSERT_NE(nullptr, h);
    window.onEvent = [&](const ObjectEvent&) { DestroyAnimation(h); };
    EXPECT_EQ(1, AttachAnimation(h, window.hwnd));
    EXPECT_EQ(1u, window.TakeEvents().size());
    EXPECT_EQ(0u, GlobalSize(h));
}

TEST_F(PlayLoop, AReloadOrRestartInsideAnObjectEventEndsThatStep)
{
    for (const bool reload : {true, false}) {
        SCOPED_TRACE(reload ? "reload" : "restart");
        PlayScene scene(100, 60);
        HANIM h = LoadTwoFinishers(scene);
        ASSERT_NE(nullptr, h);
        const std::string path = scene.dir.File("play.ans");
        bool acted = false;
        window.onEvent = [&](const ObjectEvent&) {
            if (acted) return;
            acted = true;
            if (reload) {
                ASSERT_EQ(h, ReloadAnimation(h, path.c_str(), 0, 0, 0, ANIM_KEEP_FILE_BKCOLOR));
                char name[MAX_PATH];
                for (int i = 0; GetAnimSequenceName(h, i, name, TRUE); ++i) LoadAnimSequence(h, i, name, FALSE);
            } else {
                RestartAnimation(h, window.hwnd, FALSE, FALSE);
            }
        };
        EXPECT_EQ(1, StepAnimation(h, window.hwnd));
        EXPECT_EQ(1, StepAnimation(h, window.hwnd));
        EXPECT_EQ(std::vector<ObjectEvent>({{0, ANIM_OBJ_FINISHED}}), window.TakeEvents())
            << "the rest of the old step is not played";
        // The animation plays again from its beginning.
        EXPECT_EQ(0, LockedContext(h)->firstStepDone);
        EXPECT_EQ(1, StepAnimation(h, window.hwnd));
        EXPECT_EQ(1, StepAnimation(h, window.hwnd));
        EXPECT_EQ(std::vector<ObjectEvent>({{0, ANIM_OBJ_FINISHED}, {1, ANIM_OBJ_FINISHED}}), window.TakeEvents());
        EXPECT_EQ(0, StepAnimation(h, window.hwnd));
        DestroyAnimation(h);
    }
}

// ---- the picture after some steps ----

TEST_F(PlayLoop, MovingObjectOverABackgroundPictureBehindARegion)
{
    for (const EngineMode& mode : {kDibSections, kDeviceBitmaps}) {
        SCOPED_TRACE(mode.name);
        EngineSession modeSession(mode);
        PlayScene scene(80, 60);
        // A background picture with a pattern, so that every put-back shows.
        auto backgroundAt = [](int x, int y) -> uint32_t { return static_cast<uint32_t>(((x / 4) * 12) << 16 | ((y / 3) * 12) << 8 | 0x40); };
        ASSERT_TRUE(WriteBmp(scene.dir.File("back.bmp"), 80, 60, 24, backgroundAt));
        scene.f.settings().backgroundColor = BACKGROUND_USE_IMAGE;
        lstrcpyA(scene.f.settings().backgroundImage, "back.bmp");
        scene.f.settings().playFlags = PLAY_CENTER_IMAGE;
        // Three frames of 12 by 10, black transparent where x + y is a multiple of 4.
        auto value = [](int x, int y, int frame) -> uint32_t { return (x + y) % 4 == 0 ? 0 : 16 + 30 * frame + x; };
        ObjectRecord& o = scene.AddObject(scene.AddSequence(12, 10, 3, 0, value), 2, 5);
        o.dx = 7;
        o.dy = 3;
        scene.f.AddRegion(0, 40, 20, 49, 29);
        HANIM h = scene.Load();
        ASSERT_NE(nullptr, h);
        const SequenceSpec spec = scene.specs[0];
        // After step k: frame (k - 1) mod 3 at (2 + 7 (k - 1), 5 + 3 (k - 1)).
        const struct {
            int frame, x, y;
        } places[] = {{0, 2, 5}, {1, 9, 8}, {2, 16, 11}, {0, 23, 14}, {1, 30, 17}, {2, 37, 20}, {0, 44, 23}};
        for (const auto& at : places) {
            StepAnimation(h, window.hwnd);
            UpdateAnimWindow(h, window.hwnd);
            Pixels expected;
            expected.width = 80;
            expected.height = 60;
            for (int y = 0; y < 60; ++y)
                for (int x = 0; x < 80; ++x) {
                    const uint32_t b = backgroundAt(x, y);
                    expected.values.push_back(RGB(b >> 16, (b >> 8) & 0xFF, b & 0xFF));
                }
            for (int y = 0; y < 10; ++y)
                for (int x = 0; x < 12; ++x) {
                    const int px = at.x + x, py = at.y + y;
                    const bool inRegion = px >= 40 && px <= 49 && py >= 20 && py <= 29;
                    const uint32_t v = spec.value(x, y, at.frame);
                    if (!inRegion && !SpecTransparent(spec, v)) expected.values[py * 80 + px] = SpecColor(spec, v);
                }
            const Pixels actual = ReadBitmap(GetAnimBitmap(h));
            ASSERT_EQ(80, actual.width);
            int wrong = 0;
            for (int y = 0; y < 60; ++y)
                for (int x = 0; x < 80; ++x)
                    if (expected.At(x, y) != actual.At(x, y) && ++wrong <= 3)
                        ADD_FAILURE() << "object at (" << at.x << "," << at.y << "): pixel (" << x << "," << y << ") is "
                                      << ColorText(actual.At(x, y)) << ", expected " << ColorText(expected.At(x, y));
            ASSERT_EQ(0, wrong);
        }
        DestroyAnimation(h);
    }
}

TEST_F(PlayLoop, FixFramesStayInTheBackground)
{
    PlayScene scene(80, 60, RGB(0, 0, 128));
    auto value = [](int x, int y, int frame) -> uint32_t { return (x + y) % 3 == 0 ? 0 : 20 + frame * 50; };
    const int sequence = scene.AddSequence(8, 6, 2, 0, value);
    scene.AddStepObject(sequence, {MakeStep(STEP_FIX_FRAME | STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE, 10, 10, 0, 1),
                                   MakeStep(0, 30, 0, 0, 0), MakeStep(0, 20, 20, 50, 0)});
    HANIM h = scene.Load();
    ASSERT_NE(nullptr, h);
    for (int tick = 0; tick < 3; ++tick) {
        StepAnimation(h, window.hwnd);
        UpdateAnimWindow(h, window.hwnd);
    }
    const Pixels p = ReadBitmap(GetAnimBitmap(h));
    const SequenceSpec& spec = scene.specs[0];
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            const uint32_t stamped = value(x, y, 1), shown = value(x, y, 0);
            EXPECT_EQ(SpecTransparent(spec, stamped) ? RGB(0, 0, 128) : SpecColor(spec, stamped), p.At(10 + x, 10 + y))
                << "the fixed frame at " << x << "," << y;
            EXPECT_EQ(SpecTransparent(spec, shown) ? RGB(0, 0, 128) : SpecColor(spec, shown), p.At(60 + x, 30 + y))
                << "the object at " << x << "," << y;
        }
    EXPECT_EQ(RGB(0, 0, 128), p.At(42, 12)) << "the second place was put back";
    DestroyAnimation(h);
}

}  // namespace
