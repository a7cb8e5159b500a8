// The test run's engine on documents built in memory: tick tables of the
// sequence animations and step lists, the conditions through the input seam,
// the start masks, the pictures after some ticks, the sounds and the repair
// of the editor's frames.
#include "TestRun.h"
#include "ComposeDialogs.h"
#include "DocumentTestSupport.h"
#include "FakeMciDevices.h"
#include "GdiObjects.h"
#include "ResultCodes.h"
#include "SoundOutput.h"
#include <functional>
#include <set>
#include <vector>

namespace {

constexpr COLORREF BACKGROUND = RGB(0, 0, 255);
constexpr COLORREF OPAQUE_GREEN = RGB(0, 200, 0);
constexpr int W = 100, H = 80;

// The input the conditions see.
struct FakeInput {
    std::set<int> keys;
    POINT cursor{-1000, -1000};
    HWND under = nullptr;
    HWND focus = nullptr;
};
FakeInput g_fake;

SHORT FakeKeyState(int key) { return g_fake.keys.count(key) ? static_cast<SHORT>(0x8000) : 0; }
BOOL FakeCursorPos(POINT* p)
{
    *p = g_fake.cursor;
    return TRUE;
}
HWND FakeWindowFromPoint(POINT) { return g_fake.under; }
HWND FakeFocus() { return g_fake.focus; }
const RunInputSource kFakeInput{FakeKeyState, FakeCursorPos, FakeWindowFromPoint, FakeFocus};

ObjectStep Step(int frame, int x = 0, int y = 0, int wait = 0, uint8_t flags = 0)
{
    ObjectStep s{};
    s.frameIndex = static_cast<uint8_t>(frame);
    s.x = x;
    s.y = y;
    s.waitCount = static_cast<uint8_t>(wait);
    s.stepFlags = flags;
    return s;
}

ObjectStep Branch(ObjectStep s, uint8_t condition, int target, uint8_t parameter = 0)
{
    s.condition = condition;
    s.jumpTarget = target;
    s.conditionParam = parameter;
    return s;
}

ObjectStep Starting(ObjectStep s, uint32_t mask)
{
    SetStepStartMask(&s, mask);
    return s;
}

class RunTest : public DocumentTest {
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        AnimationSettings& s = g_document.animationSettings;
        s.sizeMode = 1;
        s.width = W;
        s.height = H;
        s.positionFlags = 0;
        s.backgroundColor = BACKGROUND;
        s.playFlags = PLAY_TIMER_MODE;
        g_document.animationState = 0;
        g_document.objectCount = 0;
        g_document.currentObject = 0;
        g_testRun.soundOn = true;
        g_testRun.forced = false;
        g_testRun.fixedFrameExclusion = 0;
        g_fake = FakeInput{};
        SetRunInputSource(&kFakeInput);
        Frames(4, 10, 10, TRANSPARENT_NONE, [](int, int, int) { return OPAQUE_GREEN; });
    }
    void TearDown() override
    {
        EndRun();
        SetRunInputSource(nullptr);
        if (hidden_) DestroyWindow(hidden_);
        DocumentTest::TearDown();
    }

    // The current sequence (0): `count` frames of w x h painted by `pixel`.
    void Frames(int count, int w, int h, uint8_t code, const std::function<COLORREF(int, int, int)>& pixel)
    {
        for (HBITMAP& b : g_appState.frameBitmaps) {
            if (b) DeleteObject(b);
            b = nullptr;
        }
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        for (int f = 0; f < count; ++f) {
            g_appState.frameBitmaps[f] = CreateCompatibleBitmap(screen, w, h);
            HGDIOBJ old = SelectObject(dc, g_appState.frameBitmaps[f]);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) SetPixel(dc, x, y, pixel(f, x, y));
            SelectObject(dc, old);
        }
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        g_appState.frameCount = count;
        g_appState.frameWidth = w;
        g_appState.frameHeight = h;
        g_document.sequenceTable[0].frameCount = static_cast<uint8_t>(count);
        g_document.sequenceTable[0].transparentColorCode = code;
    }

    int AddObject(int x, int y, uint8_t flags = 0)
    {
        const int i = g_document.objectCount++;
        ObjectRecord& r = g_document.objectTable[i];
        r = ObjectRecord{};
        r.sequenceIndex = 0;
        r.objectFlags = flags;
        r.startX = x;
        r.startY = y;
        lstrcpynA(r.name, "Object", sizeof r.name);
        return i;
    }

    void SetSteps(int object, const std::vector<ObjectStep>& steps)
    {
        HGLOBAL& block = g_document.objectMemoryHandles[object][0];
        if (block) GlobalFree(block);
        block = AllocateStepBlock(static_cast<int>(steps.size()));
        GlobalLockGuard<ObjectStep> p(block);
        std::copy(steps.begin(), steps.end(), p.get());
        g_document.objectTable[object].stepCount = static_cast<int>(steps.size());
        g_document.objectTable[object].objectFlags |= OBJ_STEP_LIST;
    }

    void Start()
    {
        ASSERT_EQ(PrepareRun(nullptr), RESULT_OK);
        ASSERT_TRUE(g_testRun.ready);
        PerformFirstStep();
    }

    // Ticks until the object's step index changes; the ticks it took.
    int TicksOnStep(int object, int limit = 50)
    {
        const int step = Run(object).stepIndex;
        for (int t = 1; t <= limit; ++t) {
            TickRun(false);
            if (Run(object).stepIndex != step || Run(object).status != RUN_RUNNING) return t;
        }
        return -1;
    }

    static ObjectRunState& Run(int object) { return g_document.objectRunStates[object]; }

    // The picture as the window would show it.
    COLORREF Shown(int x, int y)
    {
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, W, H);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, bitmap);
        PaintRun(dc);
        const COLORREF c = GetPixel(dc, x, y) & 0xFFFFFF;
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        return c;
    }

    // A hidden window in the run's place, for the pointer and focus conditions.
    HWND RunWindow()
    {
        if (!hidden_) hidden_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, W, H, nullptr, nullptr, nullptr, nullptr);
        g_testRun.window = hidden_;
        return hidden_;
    }

    HWND hidden_ = nullptr;
};

// ---- sequence animations -------------------------------------------------------------

TEST_F(RunTest, SingleFrameUnderReverseCountsAPassEveryFrameStep)
{
    Frames(1, 10, 10, TRANSPARENT_NONE, [](int, int, int) { return OPAQUE_GREEN; });
    const int o = AddObject(0, 0);
    g_document.objectTable[o].motionFlags = MOTION_PING_PONG;
    Start();
    EXPECT_EQ(Run(o).passCount, 0) << "the first step only starts the frame delay";
    for (int t = 1; t <= 5; ++t) {
        TickRun(false);
        EXPECT_EQ(Run(o).frame, 0);
        EXPECT_EQ(Run(o).passCount, t);
    }
}

TEST_F(RunTest, FiniteRepeatEndsOnTheThirdWrap)
{
    const int o = AddObject(0, 0, OBJ_FINITE);
    g_document.objectTable[o].repeatCount = 3;
    Start();
    // Tick 1 holds frame 0; each wrap takes four frame steps.
    for (int tick = 2; tick <= 12; ++tick) {
        EXPECT_TRUE(TickRun()) << "tick " << tick;
        EXPECT_EQ(Run(o).status, RUN_RUNNING) << "tick " << tick;
    }
    EXPECT_EQ(Run(o).passCount, 2);
    EXPECT_FALSE(TickRun()) << "the only object finished: the run ends";
    EXPECT_EQ(Run(o).passCount, 3);
    EXPECT_EQ(Run(o).status, RUN_FINISHED);
}

TEST_F(RunTest, FrameAndMotionDelays)
{
    const int o = AddObject(10, 20);
    ObjectRecord& r = g_document.objectTable[o];
    r.frameDelay = 2;
    r.moveDelay = 1;
    r.dx = 3;
    r.dy = -2;
    Start();
    // counter -1 -> 0 on the first step; then two waits before each frame.
    const int frames[] = {0, 0, 0, 1, 1, 1, 2, 2, 2};
    const int xs[] = {10, 10, 13, 13, 16, 16, 19, 19, 22};
    for (int t = 0; t < 9; ++t) {
        if (t) TickRun(false);
        EXPECT_EQ(Run(o).frame, frames[t]) << "tick " << t + 1;
        EXPECT_EQ(Run(o).x, xs[t]) << "tick " << t + 1;
    }
    EXPECT_EQ(Run(o).y, 20 - 2 * 4);
}

TEST_F(RunTest, MotionWrapsOrBouncesAtTheBorder)
{
    struct Case {
        uint8_t motion;
        int x, dx;
        int expectedX, expectedDx;
    } cases[] = {
        {0, W - 2, 5, -10, 5},                       // past the right edge: from the left, a frame outside
        {0, -9, -5, W, -5},                          // past the left edge: at the right border
        {MOTION_BOUNCE, W - 12, 5, W - 7, -5},       // the frame crosses the border: the direction turns, the place stays
        {MOTION_BOUNCE, 2, -5, -3, 5},
    };
    for (const Case& c : cases) {
        g_document.objectCount = 0;
        const int o = AddObject(c.x, 30);
        g_document.objectTable[o].dx = c.dx;
        g_document.objectTable[o].motionFlags = c.motion;
        Start();
        TickRun(false);
        EXPECT_EQ(Run(o).x, c.expectedX) << int(c.motion) << " from " << c.x;
        EXPECT_EQ(Run(o).dx, c.expectedDx) << int(c.motion) << " from " << c.x;
        EndRun();
    }
}

TEST_F(RunTest, BounceTurningTheFramesKeepsThemInside)
{
    // Reverse and a bounce that also turns the frames: whatever tick the two
    // meet on, the frame stays within the sequence.
    Frames(3, 10, 10, TRANSPARENT_NONE, [](int, int, int) { return OPAQUE_GREEN; });
    for (int start = 0; start < 12; ++start) {
        g_document.objectCount = 0;
        const int o = AddObject(W - 10 - start, 5);
        ObjectRecord& r = g_document.objectTable[o];
        r.dx = 3;
        r.motionFlags = MOTION_PING_PONG | MOTION_BOUNCE | MOTION_BOUNCE_REVERSES_FRAMES;
        Start();
        for (int t = 0; t < 60; ++t) {
            TickRun(false);
            ASSERT_LT(Run(o).frame, 3) << "start " << start << " tick " << t;
        }
        EndRun();
    }
}

// ---- step lists --------------------------------------------------------------------------

TEST_F(RunTest, StepWithDelayIsShownDelayPlusOneTicks)
{
    for (int wait : {0, 1, 4}) {
        g_document.objectCount = 0;
        const int o = AddObject(0, 0);
        SetSteps(o, {Step(0, 5, 0, wait), Step(1, 5, 0, 0)});
        Start();
        EXPECT_EQ(Run(o).x, 5) << "the first step is applied on the first tick";
        EXPECT_EQ(TicksOnStep(o), wait + 1) << "wait " << wait;
        EXPECT_EQ(Run(o).x, 10);
        EXPECT_EQ(Run(o).frame, 1);
        // The last step has no branch: the object finishes after its time.
        EXPECT_EQ(TicksOnStep(o), 1);
        EXPECT_EQ(Run(o).status, RUN_FINISHED);
        EndRun();
    }
}

TEST_F(RunTest, RelativeStepsWrapAndAbsoluteStepsFollowThePositionFlags)
{
    g_document.animationSettings.positionFlags = 0x0C;  // centres, relative to the window centre
    const int o = AddObject(0, 0);
    SetSteps(o, {Step(0, 10, -6, 0, STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE), Step(0, W, 0), Step(0, -200, 0)});
    Start();
    EXPECT_EQ(Run(o).x, 10 - 5 + W / 2);
    EXPECT_EQ(Run(o).y, -6 - 5 + H / 2);
    TickRun(false);
    EXPECT_EQ(Run(o).x, -10) << "above W: from the left, a frame outside";
    TickRun(false);
    EXPECT_EQ(Run(o).x, W) << "below minus the frame width: at the right border";
}

TEST_F(RunTest, CounterTwoOnTheLastStepPlaysTheListThreeTimes)
{
    const int o = AddObject(0, 0);
    SetSteps(o, {Step(0), Step(1), Branch(Step(2), 0x01, 0, 2)});
    Start();
    int entries = 1;
    for (int t = 0; t < 100 && Run(o).status == RUN_RUNNING; ++t) {
        const int before = Run(o).stepIndex;
        TickRun(false);
        if (Run(o).stepIndex == 0 && before != 0 && Run(o).status == RUN_RUNNING) ++entries;
    }
    EXPECT_EQ(entries, 3);
    EXPECT_EQ(Run(o).status, RUN_FINISHED);
}

TEST_F(RunTest, WaitStepFiresOnceAndHoldsUntilStarted)
{
    const int waiter = AddObject(0, 0);
    SetSteps(waiter, {Starting(Step(0, 0, 0, 2, STEP_WAIT), 0x2), Step(1, 7, 0)});
    const int started = AddObject(0, 40, OBJ_DISABLED);
    g_document.objectTable[started].dx = 1;
    Start();
    std::vector<int> startedOn;
    int lastX = -1;
    for (int tick = 2; tick <= 20; ++tick) {
        TickRun(false);
        if (Run(started).status == RUN_RUNNING && lastX < 0) startedOn.push_back(tick);
        if (Run(started).status == RUN_RUNNING) {
            EXPECT_GT(Run(started).x, lastX) << "started again on tick " << tick;
            lastX = Run(started).x;
        }
        EXPECT_EQ(Run(waiter).stepIndex, 0) << "tick " << tick;
    }
    EXPECT_EQ(startedOn, std::vector<int>{4}) << "when the counter reaches the wait count";
    // Started itself, the waiting object goes on to its next step.
    g_testRun.startMask = 0x1;
    ApplyStartMask();
    EXPECT_EQ(Run(waiter).stepIndex, 1);
    EXPECT_EQ(Run(waiter).x, 7);
}

TEST_F(RunTest, DisabledObjectIsNotDrawnUntilStarted)
{
    Frames(1, 10, 10, 0x80, [](int, int, int) { return OPAQUE_GREEN; });
    g_document.sequenceTable[0].transparentColorCode = 9;  // a picture off-screen
    const int starter = AddObject(60, 60);
    SetSteps(starter, {Starting(Step(0, 0, 0, 3), 0x2), Step(0, 0, 0, 30)});
    const int hidden = AddObject(20, 20, OBJ_DISABLED);
    Start();
    for (int t = 0; t < 3; ++t) {
        TickRun(false);
        EXPECT_EQ(Shown(25, 25), BACKGROUND) << "tick " << t + 2;
    }
    TickRun(false);
    EXPECT_EQ(Run(hidden).status, RUN_RUNNING);
    EXPECT_EQ(Shown(25, 25), OPAQUE_GREEN);
}

TEST_F(RunTest, RunEndsWhenEveryObjectFinishedOrWaitsForAStart)
{
    const int a = AddObject(0, 0);
    SetSteps(a, {Step(0, 0, 0, 1)});
    AddObject(0, 0, OBJ_DISABLED);
    Start();
    EXPECT_TRUE(TickRun());
    EXPECT_FALSE(TickRun()) << "one finished, the other never started";
    EXPECT_TRUE(g_testRun.ended);
}

TEST_F(RunTest, EndStepEndsTheRun)
{
    const int a = AddObject(0, 0);
    SetSteps(a, {Step(0, 0, 0, 0, STEP_END), Step(0, 0, 0, 20)});
    AddObject(0, 0);  // a sequence animation that would run for ever
    Start();
    EXPECT_FALSE(TickRun());
    EXPECT_TRUE(g_testRun.endRequested);
}

TEST_F(RunTest, OutOfRangeValuesOfTheDocumentAreHeld)
{
    // A frame index past the frames (255 lies past the frame arrays) and a
    // jump before the first step.
    const int o = AddObject(0, 0);
    SetSteps(o, {Step(255), Branch(Step(1), 0x01, -3, 0)});
    Start();
    EXPECT_EQ(Run(o).frame, 3) << "held at the last frame";
    TickRun(false);
    TickRun(false);
    EXPECT_EQ(Run(o).status, RUN_FINISHED) << "a target before the list ends it like one past it";
    EXPECT_EQ(Run(o).stepIndex, 0);
}

TEST_F(RunTest, StartMaskBitsBeyondTheObjectsNameNobody)
{
    const int o = AddObject(0, 0);
    SetSteps(o, {Step(0, 0, 0, 5)});
    Start();
    g_document.objectRunStates[5].status = 0x55;  // a slot past the objects: left alone
    g_testRun.startMask = 0xFFFFFFFEu;
    ApplyStartMask();
    EXPECT_EQ(g_document.objectRunStates[5].status, 0x55);
    EXPECT_EQ(g_testRun.startMask, 0u);
    EXPECT_EQ(Run(o).counter, 0) << "the object itself was not named";
}

TEST_F(RunTest, RestartPlaysTheCountedListAgain)
{
    const int o = AddObject(0, 0);
    SetSteps(o, {Step(0), Branch(Step(1), 0x01, 0, 1)});
    Start();
    for (int t = 0; t < 3; ++t) TickRun(false);
    EXPECT_EQ(Run(o).counterShown, 1);
    RestartRun();
    ASSERT_NE(Run(o).stepCounters, nullptr);
    {
        GlobalLockGuard<uint8_t> counters(Run(o).stepCounters);
        EXPECT_EQ(counters.get()[1], 0) << "fresh counters";
    }
    EXPECT_EQ(Run(o).stepIndex, 0);
    int ticks = 0;
    while (Run(o).status == RUN_RUNNING && ticks < 20) {
        TickRun(false);
        ++ticks;
    }
    EXPECT_EQ(ticks, 4) << "twice through two steps after the first";
}

TEST_F(RunTest, ResumeTakesTheBlocksAndFramesAfresh)
{
    const int o = AddObject(0, 0);
    SetSteps(o, {Step(0), Step(1), Step(2), Step(3), Step(3, 0, 0, 50)});
    Start();
    for (int t = 0; t < 4; ++t) TickRun(false);
    ASSERT_EQ(Run(o).stepIndex, 4);
    SuspendRun();
    // Meanwhile the editor replaced the steps and deleted frames.
    SetSteps(o, {Step(0), Step(1)});
    Frames(2, 10, 10, TRANSPARENT_NONE, [](int, int, int) { return OPAQUE_GREEN; });
    ASSERT_EQ(ResumeRun(), RESULT_OK);
    EXPECT_LT(Run(o).stepIndex, 2);
    EXPECT_LT(Run(o).frame, 2);
    for (int t = 0; t < 10; ++t) TickRun(false);
    EXPECT_EQ(Run(o).status & ~RUN_PASSED_OVER, RUN_FINISHED);
}

// ---- conditions ----------------------------------------------------------------------------

TEST_F(RunTest, BranchConditionsThroughTheInputSeam)
{
    const int o = AddObject(40, 30);  // 10 x 10 frame at (40, 30)
    SetSteps(o, {Step(0, 0, 0, 50)});
    Start();
    HWND window = RunWindow();
    struct Case {
        const char* name;
        ObjectStep step;
        std::function<void()> input;
        bool forced;
        bool expected;
    };
    auto key = [](int k) { return [k] { g_fake.keys = {k}; g_fake.focus = g_testRun.window; }; };
    auto keyNoFocus = [](int k) { return [k] { g_fake.keys = {k}; g_fake.focus = nullptr; }; };
    auto none = [] {};
    auto left = [window](int x, int y) {
        return [window, x, y] {
            g_fake.keys = {VK_LBUTTON};
            g_fake.cursor = {x, y};
            g_fake.under = window;
        };
    };
    const ObjectStep s = Step(0);
    ObjectStep negated = Branch(s, 0x80, 1, 'K');
    negated.stepFlags |= STEP_NEGATE_KEY;
    const Case cases[] = {
        {"key down with focus", Branch(s, 0x80, 1, 'K'), key('K'), false, true},
        {"key down without focus", Branch(s, 0x80, 1, 'K'), keyNoFocus('K'), false, false},
        {"key forced", Branch(s, 0x80, 1, 'K'), none, true, true},
        {"key not pressed, up", negated, none, false, true},
        {"key not pressed, down", negated, key('K'), false, false},
        {"key not pressed, forced", negated, key('K'), true, true},
        {"left button in window", Branch(s, 1 << 1, 1), left(99, 0), false, true},
        {"left button over another window", Branch(s, 1 << 1, 1), [] { g_fake.keys = {VK_LBUTTON}; g_fake.cursor = {5, 5}; g_fake.under = nullptr; }, false, false},
        {"left button not pressed", Branch(s, 2 << 1, 1), none, false, true},
        {"left button not pressed, down", Branch(s, 2 << 1, 1), left(5, 5), false, false},
        {"right button", Branch(s, 3 << 1, 1), left(5, 5), false, false},
        {"object clicked", Branch(s, 5 << 1, 1), left(45, 35), false, true},
        {"object clicked beside", Branch(s, 5 << 1, 1), left(50, 35), false, false},
        {"object not clicked, forced", Branch(s, 6 << 1, 1), none, true, false},
        {"visible", Branch(s, 2 << 4, 1), none, false, true},
        {"invisible", Branch(s, 1 << 4, 1), none, false, false},
        {"not at border", Branch(s, 4 << 4, 1), none, false, true},
        {"at border", Branch(s, 3 << 4, 1), none, false, false},
        // Centre of a 100 x 80 window for a 10 x 10 frame: (45, 35); the
        // object at (40, 30) is 5 away on each axis.
        {"centre, moves of 10", Branch(Step(0, 10, 10), 5 << 4, 1), none, false, true},
        {"centre, moves of 8", Branch(Step(0, 8, 10), 5 << 4, 1), none, false, false},
        {"centre, absolute x counts as centred", Branch(Step(0, 1, 10, 0, STEP_X_ABSOLUTE), 5 << 4, 1), none, false, true},
        {"not in centre fails at once", Branch(Step(0, 10, 10), (6 << 4) | (1 << 1), 1), left(5, 5), false, false},
        {"endless counter", Branch(s, 0x01, 1, 0), none, false, true},
        {"key ignores the counter bit", Branch(s, 0x81, 1, 'K'), none, false, false},
    };
    for (const Case& c : cases) {
        g_fake = FakeInput{};
        c.input();
        EXPECT_EQ(EvaluateBranch(o, c.step, c.forced), c.expected) << c.name;
    }
}

TEST_F(RunTest, WaitsEndOnTheirInterrupts)
{
    const int o = AddObject(40, 30);
    Start();
    HWND window = RunWindow();
    const ObjectStep s = Step(0, 0, 0, 9);
    g_fake.keys = {'K'};
    g_fake.focus = window;
    EXPECT_TRUE(WaitInterrupted(o, Branch(s, 0x80, 0, 'K')));
    g_fake.focus = nullptr;
    EXPECT_FALSE(WaitInterrupted(o, Branch(s, 0x80, 0, 'K')));
    EXPECT_FALSE(WaitInterrupted(o, Branch(s, 0x30, 0)));
    g_testRun.forced = true;
    EXPECT_TRUE(WaitInterrupted(o, Branch(s, 2 << 1, 0))) << "the switch ends mouse waits";
    EXPECT_FALSE(WaitInterrupted(o, Branch(s, 0x30, 0))) << "but not position waits";
    g_testRun.forced = false;
    // In a list: the interrupt takes the branch at once.
    SetSteps(o, {Branch(Step(0, 0, 0, 40), 0x80, 2, 'K'), Step(1), Step(2, 3, 0, 40)});
    EndRun();
    Start();
    RunWindow();
    TickRun(false);
    EXPECT_EQ(Run(o).stepIndex, 0);
    g_fake.focus = g_testRun.window;
    TickRun(false);
    EXPECT_EQ(Run(o).stepIndex, 2);
}

TEST_F(RunTest, ObjectClickedFollowsTheTransparency)
{
    // Left half of the frame in the transparent colour, right half opaque.
    struct Case {
        uint8_t code;
        COLORREF left, right;
    } cases[] = {
        {TRANSPARENT_NONE, RGB(255, 0, 0), OPAQUE_GREEN},
        {9, RGB(255, 0, 0), OPAQUE_GREEN},
        {15, RGB(255, 255, 255), OPAQUE_GREEN},
        {0, RGB(0, 0, 0), OPAQUE_GREEN},
        {0x20, RGB(0, 0, 0), RGB(255, 255, 255)},
        {0x21, RGB(255, 255, 255), RGB(0, 0, 0)},
    };
    for (const Case& c : cases) {
        Frames(1, 10, 10, c.code, [&](int, int x, int) { return x < 5 ? c.left : c.right; });
        g_document.objectCount = 0;
        const int o = AddObject(40, 30);
        Start();
        HWND window = RunWindow();
        g_fake.keys = {VK_LBUTTON};
        g_fake.under = window;
        g_fake.cursor = {47, 35};
        EXPECT_TRUE(ObjectClicked(o)) << "opaque half, code " << int(c.code);
        g_fake.cursor = {42, 35};
        EXPECT_EQ(ObjectClicked(o), c.code == TRANSPARENT_NONE) << "transparent half, code " << int(c.code);
        g_fake.keys.clear();
        g_fake.cursor = {47, 35};
        EXPECT_FALSE(ObjectClicked(o)) << "button up";
        EndRun();
    }
}

// ---- pictures ------------------------------------------------------------------------------

TEST_F(RunTest, EveryTransparencyCodeDraws)
{
    struct Case {
        uint8_t code;
        COLORREF transparent, opaque;
        COLORREF shownLeft;  // what the transparent half shows
    } cases[] = {
        {TRANSPARENT_NONE, RGB(255, 0, 0), OPAQUE_GREEN, RGB(255, 0, 0)},
        {0, RGB(0, 0, 0), OPAQUE_GREEN, BACKGROUND},
        {9, RGB(255, 0, 0), OPAQUE_GREEN, BACKGROUND},
        {15, RGB(255, 255, 255), OPAQUE_GREEN, BACKGROUND},
        {0x10, RGB(0, 0, 0), OPAQUE_GREEN, BACKGROUND},
        {0x1F, RGB(255, 255, 255), OPAQUE_GREEN, BACKGROUND},
        {0x20, RGB(0, 0, 0), RGB(255, 255, 255), BACKGROUND},
        {0x2F, RGB(255, 255, 255), RGB(0, 0, 0), BACKGROUND},
    };
    for (const Case& c : cases) {
        Frames(2, 10, 10, c.code, [&](int, int x, int) { return x < 5 ? c.transparent : c.opaque; });
        g_document.objectCount = 0;
        const int o = AddObject(20, 20);
        g_document.objectTable[o].dx = 10;
        Start();
        for (int t = 0; t < 3; ++t) TickRun(false);
        const int x = Run(o).drawnX;
        EXPECT_EQ(Shown(x + 2, 25), c.shownLeft) << "code " << int(c.code);
        EXPECT_EQ(Shown(x + 7, 25), c.opaque) << "code " << int(c.code);
        EXPECT_EQ(Shown(25, 25), BACKGROUND) << "the old place was given back, code " << int(c.code);
        EndRun();
    }
}

TEST_F(RunTest, ObjectsPassBehindForegroundRegions)
{
    Frames(1, 10, 10, 9, [](int, int, int) { return OPAQUE_GREEN; });
    g_document.regionCount = 2;
    g_document.regionTable[0] = {0, 39, 29, 30, 20};         // corners in any order, inclusive
    g_document.regionTable[1] = {0x8000, 0, 0, W - 1, H - 1}; // disabled: no effect
    AddObject(32, 22);  // covers 32..41 x 22..31
    Start();
    EXPECT_EQ(Shown(35, 30), OPAQUE_GREEN);
    EXPECT_EQ(Shown(40, 29), OPAQUE_GREEN);
    EXPECT_EQ(Shown(35, 25), BACKGROUND) << "inside the region, behind it";
    EXPECT_EQ(Shown(39, 29), BACKGROUND) << "the far corner is part of the region";
}

TEST_F(RunTest, FixedFrameStaysStampedIntoTheBackground)
{
    Frames(1, 10, 10, 9, [](int, int, int) { return OPAQUE_GREEN; });
    const int o = AddObject(0, 0);
    SetSteps(o, {Step(0, 5, 5, 0, STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE | STEP_FIX_FRAME), Step(0, 40, 0), Step(0, 0, 0, 20)});
    Start();
    TickRun(false);
    TickRun(false);
    EXPECT_EQ(Run(o).x, 45);
    EXPECT_EQ(Shown(8, 8), OPAQUE_GREEN) << "the fixed frame stays";
    // Excluded (the Control Center watches it), the frame is not stamped.
    g_testRun.fixedFrameExclusion = 1u << o;
    RestartRun();
    TickRun(false);
    TickRun(false);
    EXPECT_EQ(Shown(8, 8), BACKGROUND);
}

TEST_F(RunTest, EditorFramesAreUnchangedByARun)
{
    // A transparent colour (red, code 9) beside genuinely black pixels.
    Frames(3, 10, 10, 9, [](int f, int x, int y) {
        return x < 3 ? RGB(255, 0, 0) : (x + y + f) % 3 == 0 ? RGB(0, 0, 0) : OPAQUE_GREEN;
    });
    std::vector<std::vector<uint8_t>> before;
    for (int f = 0; f < 3; ++f) before.push_back(EditorFrameRows(f, 32));
    const int o = AddObject(10, 10);
    g_document.objectTable[o].dx = 2;
    Start();
    for (int t = 0; t < 10; ++t) TickRun(false);
    SuspendRun();
    for (int f = 0; f < 3; ++f) EXPECT_EQ(EditorFrameRows(f, 32), before[f]) << "frame " << f << " while minimised";
    ASSERT_EQ(ResumeRun(), RESULT_OK);
    for (int t = 0; t < 10; ++t) TickRun(false);
    EndRun();
    for (int f = 0; f < 3; ++f) EXPECT_EQ(EditorFrameRows(f, 32), before[f]) << "frame " << f;
}

TEST_F(RunTest, TenRunsLeakNoGdiObjects)
{
    Frames(3, 10, 10, 9, [](int, int x, int) { return x < 3 ? RGB(255, 0, 0) : OPAQUE_GREEN; });
    const int o = AddObject(0, 0);
    SetSteps(o, {Step(0, 5, 5, 0, STEP_FIX_FRAME), Step(1, 7, 0), Branch(Step(2, 3, 3), 0x01, 0, 2)});
    AddObject(30, 30);
    auto oneRun = [&] {
        Start();
        for (int t = 0; t < 8; ++t) TickRun(false);
        RestartRun();
        SuspendRun();
        ASSERT_EQ(ResumeRun(), RESULT_OK);
        TickRun(false);
        EndRun();
    };
    oneRun();  // the first run builds the masks the later ones keep
    const int before = CountGdiObjects();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 10; ++i) oneRun();
    EXPECT_EQ(CountGdiObjects(), before);
}

TEST_F(RunTest, AHugePictureEndsTheRunWithOutOfMemory)
{
    g_document.animationSettings.width = 60000;
    g_document.animationSettings.height = 60000;
    g_document.animationSettings.backgroundColor = BACKGROUND_USE_IMAGE | BACKGROUND;
    AddObject(0, 0);
    EXPECT_EQ(PrepareRun(nullptr), RESULT_OUT_OF_MEMORY);
    EXPECT_FALSE(g_testRun.ready);
}

// ---- sounds ----------------------------------------------------------------------------------

class RunSoundTest : public RunTest {
protected:
    void SetUp() override
    {
        RunTest::SetUp();
        InstallMciSeam(&devices_.Seam());
        InstallUiSeam(&devices_.Ui());
        const std::vector<uint8_t> wave = MinimalWaveFile();
        FILE* f = fopen("tone.wav", "wb");
        fwrite(wave.data(), 1, wave.size(), f);
        fclose(f);
        g_document.soundCount = 2;
        g_document.soundTable[0] = {static_cast<uint16_t>(ANIM_SOUND_WAVE), 0, "tone.wav"};
        g_document.soundTable[1] = {static_cast<uint16_t>(ANIM_SOUND_WAVE), 0, "missing.wav"};
    }
    void TearDown() override
    {
        StopSound(nullptr, ANIM_SOUND_ALL, false);
        RunTest::TearDown();
        InstallMciSeam(nullptr);
        InstallUiSeam(nullptr);
    }
    FakeDevices devices_;
};

TEST_F(RunSoundTest, StepsPlayTheirSoundByOneBasedIndexAndStopCodesStop)
{
    const int o = AddObject(0, 0);
    ObjectStep play = Step(0);
    play.soundIndex = 1;
    ObjectStep stopWave = Step(0);
    stopWave.soundIndex = 0x41;
    ObjectStep stay = Branch(Step(0, 0, 0, 0), 0x01, 3, 0);  // loops on itself
    stay.soundIndex = 1;
    SetSteps(o, {play, stopWave, Step(0), stay});
    Start();
    EXPECT_EQ(devices_.CountCalls("OPEN wave"), 1) << ::testing::PrintToString(devices_.calls);
    EXPECT_EQ(devices_.CountCalls("PLAY"), 1);
    EXPECT_EQ(g_testRun.soundState & ANIM_SOUND_WAVE, ANIM_SOUND_WAVE);
    TickRun(false);
    EXPECT_EQ(devices_.CountCalls("CLOSE"), 1) << ::testing::PrintToString(devices_.calls);
    EXPECT_EQ(g_testRun.soundState & ANIM_SOUND_WAVE, 0u);
    TickRun(false);
    TickRun(false);
    const int plays = devices_.CountCalls("PLAY");
    EXPECT_EQ(plays, 2) << "entered once";
    for (int t = 0; t < 5; ++t) TickRun(false);
    EXPECT_EQ(devices_.CountCalls("PLAY"), plays) << "a step that stays on itself does not play again";
}

TEST_F(RunSoundTest, SoundOffPlaysNothingAndAnErrorShowsOnceARun)
{
    const int o = AddObject(0, 0);
    ObjectStep play = Branch(Step(0), 0x01, 1, 0);
    play.soundIndex = 1;
    SetSteps(o, {play, Branch(Step(0), 0x01, 0, 0)});
    g_testRun.soundOn = false;
    Start();
    for (int t = 0; t < 4; ++t) TickRun(false);
    EXPECT_EQ(devices_.CountCalls("PLAY"), 0);
    EndRun();
    g_testRun.soundOn = true;
    devices_.FailNext(MCI_OPEN, MCIERR_DEVICE_NOT_READY);
    Start();
    for (int t = 0; t < 6; ++t) {
        devices_.FailNext(MCI_OPEN, MCIERR_DEVICE_NOT_READY);
        TickRun(false);
    }
    EXPECT_GE(devices_.CountCalls("OPEN wave"), 3);
    EXPECT_EQ(devices_.boxes.size(), 1u) << "one box a run";
}

}  // namespace

// ---- the Control Center ------------------------------------------------------------------

#include "AnimationWindow.h"
#include "ControlCenterResources.h"
#include "resource.h"

namespace {

// Stands in for the test-run window: it answers the Control Center's restart.
LRESULT CALLBACK RunHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == ANIMWND_RESTART) {
        RestartRun();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class ControlCenterTest : public RunTest {
protected:
    void SetUp() override
    {
        RunTest::SetUp();
        WNDCLASSA wc{};
        wc.lpfnWndProc = RunHostProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "RunHost";
        RegisterClassA(&wc);
        g_appState.instanceHandle = GetModuleHandleA(nullptr);
        host_ = CreateWindowExA(0, "RunHost", "", WS_POPUP, 0, 0, W, H, nullptr, nullptr, wc.hInstance, nullptr);
        g_appState.animationWindow = host_;
        // Object 0 runs a step list, object 1 a sequence animation.
        const int list = AddObject(10, 10);
        SetSteps(list, {Step(0, 5, 0, 3), Step(1, 5, 0, 3), Step(2, 5, 0, 3)});
        const int sequence = AddObject(40, 20);
        g_document.objectTable[sequence].dx = -3;
        g_document.objectTable[sequence].dy = 2;
        g_document.animationState = 0;
        Start();
        center_ = CreateDialogParamA(g_appState.instanceHandle, MAKEINTRESOURCEA(IDD_CONTROL_CENTER), host_,
                                     ControlCenterDlgProc, 0);
        ASSERT_NE(center_, nullptr);
        g_appState.controlCenterDialog = center_;
    }
    void TearDown() override
    {
        if (center_) DestroyWindow(center_);
        g_appState.controlCenterDialog = nullptr;
        g_appState.animationWindow = nullptr;
        if (host_) DestroyWindow(host_);
        RunTest::TearDown();
    }
    std::string Field(int id)
    {
        char text[64] = "";
        GetDlgItemTextA(center_, id, text, sizeof text);
        return text;
    }
    // Types into a field as a user does: with the focus in it.
    void Type(int id, const char* text)
    {
        SetFocus(GetDlgItem(center_, id));
        SetDlgItemTextA(center_, id, text);
    }
    void Enter() { SendMessageA(center_, WM_COMMAND, IDOK, 0); }
    void Click(int id) { SendMessageA(GetDlgItem(center_, id), BM_CLICK, 0, 0); }
    void Pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    ObjectStep StepInDocument(int object, int index)
    {
        GlobalLockGuard<ObjectStep> steps(g_document.objectMemoryHandles[object][0]);
        return steps.get()[index];
    }
    HWND host_ = nullptr;
    HWND center_ = nullptr;
};

TEST_F(ControlCenterTest, DisplayStepsAndFieldsOfTheStepList)
{
    EXPECT_EQ(Field(IDC_CC_X), "15") << "the start 10 and the first step's move of 5";
    EXPECT_EQ(Field(IDC_CC_STEP_NUMBER), "1");
    EXPECT_EQ(g_document.animationState & DOC_MODIFIED, DOC_MODIFIED) << "opening it counts as a change";
    EXPECT_EQ(g_testRun.fixedFrameExclusion, 1u) << "the observed object's fixed frame is not stamped";
    for (int t = 0; t < 4; ++t) SendMessageA(center_, CONTROLCENTER_REFRESH, 1, 0);
    EXPECT_EQ(Field(IDC_CC_STEP_NUMBER), "2");
    EXPECT_EQ(Field(IDC_CC_X), "20");
    EXPECT_EQ(Field(IDC_CC_FRAME), "2");
    SendMessageA(center_, CONTROLCENTER_REFRESH, 0, 0);
    EXPECT_EQ(Field(IDC_CC_STEP_NUMBER), "2") << "wParam 0 only shows the fields";
}

TEST_F(ControlCenterTest, FieldEditsChangeTheCurrentStepWithinBounds)
{
    for (int t = 0; t < 4; ++t) SendMessageA(center_, CONTROLCENTER_REFRESH, 1, 0);
    ASSERT_EQ(g_document.objectRunStates[0].stepIndex, 1);
    Type(IDC_CC_X, "17");
    Type(IDC_CC_FRAME, "99");
    Type(IDC_CC_DELAY, "7");
    Enter();
    const ObjectStep s = StepInDocument(0, 1);
    EXPECT_EQ(s.x, 5 - 3) << "the step's X moves by the change (20 to 17)";
    EXPECT_EQ(g_document.objectRunStates[0].x, 17);
    EXPECT_EQ(s.frameIndex, 3) << "held at the last frame";
    EXPECT_EQ(s.waitCount, 7);
    Type(IDC_CC_X, "99999");
    Enter();
    EXPECT_EQ(StepInDocument(0, 1).x, 2 + 2048 - 17) << "the position is held within -2048..2048";
    // Conditions: the counter's check box, its count and the target.
    Click(IDC_CC_COUNTER_CHECK);
    EXPECT_EQ(StepInDocument(0, 1).condition & 0x01, 0x01);
    Type(IDC_CC_COUNTER, "300");
    Type(IDC_CC_TARGET, "9");
    Enter();
    EXPECT_EQ(StepInDocument(0, 1).conditionParam, 255);
    EXPECT_EQ(StepInDocument(0, 1).jumpTarget, 2) << "held at the last step";
}

TEST_F(ControlCenterTest, SequenceViewEditsTheObjectRecord)
{
    SendDlgItemMessageA(center_, IDC_CC_OBJECT, CB_SETCURSEL, 1, 0);
    SendMessageA(center_, WM_COMMAND, MAKEWPARAM(IDC_CC_OBJECT, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(center_, IDC_CC_OBJECT)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(center_, IDC_CC_SOLID_BORDER)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(center_, IDC_CC_DELAY)));
    EXPECT_EQ(Field(IDC_CC_X), "40");
    Click(IDC_CC_SOLID_BORDER);
    EXPECT_EQ(g_document.objectTable[1].motionFlags & MOTION_BOUNCE, MOTION_BOUNCE);
    Click(IDC_CC_REVERSE);
    EXPECT_EQ(g_document.objectTable[1].motionFlags & MOTION_PING_PONG, MOTION_PING_PONG);
    for (int i = 0; i < 25; ++i)
        SendMessageA(center_, WM_HSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(GetDlgItem(center_, IDC_CC_CYCLE_DELAY)));
    EXPECT_EQ(g_document.objectTable[1].frameDelay, 18) << "the delays stay within 0..18";
    // Velocity: the sign of the running motion stays.
    Click(IDC_CC_X_ABSOLUTE);
    EXPECT_EQ(Field(IDC_CC_X), "-3");
    Type(IDC_CC_X, "6");
    Enter();
    EXPECT_EQ(g_document.objectTable[1].dx, 6);
    EXPECT_EQ(g_document.objectRunStates[1].dx, -6);
    // Finish after: switched on with no count, one pass more than made.
    Click(IDC_CC_FINISH);
    EXPECT_EQ(g_document.objectTable[1].objectFlags & OBJ_FINITE, OBJ_FINITE);
    EXPECT_GE(g_document.objectTable[1].repeatCount, g_document.objectRunStates[1].passCount + 1);
    Type(IDC_CC_FINISH_COUNT, "123456");
    Enter();
    EXPECT_EQ(g_document.objectTable[1].repeatCount, 9999);
}

TEST_F(ControlCenterTest, RestartButtonStartsTheRunAgain)
{
    for (int t = 0; t < 6; ++t) SendMessageA(center_, CONTROLCENTER_REFRESH, 1, 0);
    ASSERT_EQ(g_document.objectRunStates[0].stepIndex, 1);
    HWND restart = GetDlgItem(center_, IDC_CC_RESTART);
    SendMessageA(restart, BM_SETSTATE, TRUE, 0);
    UpdateWindow(restart);
    SendMessageA(restart, BM_SETSTATE, FALSE, 0);
    UpdateWindow(restart);
    Pump();
    EXPECT_EQ(g_document.objectRunStates[0].stepIndex, 0);
    EXPECT_EQ(g_document.objectRunStates[0].x, 15);
}

TEST_F(ControlCenterTest, ForcedSwitchAndSoundChoice)
{
    Click(IDC_CC_FORCED);
    EXPECT_TRUE(g_testRun.forced);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(center_, IDC_CC_SOUND_ON))) << "the animation has no sounds";
    EXPECT_FALSE(g_testRun.soundOn);
    DestroyWindow(center_);
    center_ = nullptr;
    EXPECT_FALSE(g_testRun.forced) << "closing clears the switch";
    EXPECT_EQ(g_testRun.fixedFrameExclusion, 0u);
}

// The whole window: created with its Control Center, stepped, minimised and
// restored, restarted and destroyed, ten times over.
TEST_F(RunTest, TenWindowRunsWithTheControlCenterLeakNoGdiObjects)
{
    Frames(3, 10, 10, 9, [](int, int x, int) { return x < 3 ? RGB(255, 0, 0) : OPAQUE_GREEN; });
    const int o = AddObject(0, 0);
    SetSteps(o, {Step(0, 5, 5, 0, STEP_FIX_FRAME), Step(1, 7, 0), Branch(Step(2, 3, 3), 0x01, 0, 2)});
    AddObject(30, 30);
    g_appState.instanceHandle = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.style = CS_OWNDC | CS_DBLCLKS;
    wc.lpfnWndProc = AnimationWndProc;
    wc.hInstance = g_appState.instanceHandle;
    wc.lpszClassName = "AnimationUnderTest";
    RegisterClassA(&wc);
    auto oneRun = [&] {
        HWND window = CreateWindowExA(0, wc.lpszClassName, "Run", WS_POPUP, 0, 0, W, H, nullptr, nullptr, wc.hInstance,
                                      reinterpret_cast<LPVOID>(1));
        ASSERT_NE(window, nullptr);
        ASSERT_NE(g_appState.controlCenterDialog, nullptr);
        ASSERT_TRUE(g_testRun.ready);
        for (int t = 0; t < 4; ++t) SendMessageA(g_appState.controlCenterDialog, CONTROLCENTER_REFRESH, 1, 0);
        EXPECT_NE(Run(o).stepIndex, 0) << "the display steps stepped the run";
        SendMessageA(window, WM_SIZE, SIZE_MINIMIZED, 0);
        SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(W, H));
        SendMessageA(window, ANIMWND_RESTART, 0, 0);
        EXPECT_EQ(Run(o).stepIndex, 0);
        DestroyWindow(window);
        EXPECT_EQ(g_appState.controlCenterDialog, nullptr);
        EXPECT_EQ(g_appState.animationWindow, nullptr);
    };
    oneRun();  // the first run builds the masks the later ones keep
    const int before = CountGdiObjects();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 10; ++i) oneRun();
    EXPECT_EQ(CountGdiObjects(), before);
    UnregisterClassA(wc.lpszClassName, wc.hInstance);
}

}  // namespace
