// The conditions of the steps with input set by the test: keys and focus,
// mouse buttons over the picture or elsewhere, clicks on opaque and
// transparent pixels, the object's place in the picture, counters, the
// break-out test of a waiting object; and the hit test of every transparency.
#include "PlayFixtures.h"
#include "ResultCodes.h"
#include <gtest/gtest.h>

namespace {

constexpr int kKey = 'K';

// A 120 by 90 picture in a 160 by 120 window, so that the window has room
// outside the picture; one 10 by 8 object, black transparent where x + y is a
// multiple of 4, at (30, 20).
class Conditions : public ::testing::Test {
protected:
    EngineSession session{kDibSections};
    RecordingWindow window{100, 50, 160, 120};
    RecordingWindow other{300, 50, 50, 50};
    FakeInput input;
    PlayScene scene{120, 90};
    HANIM h = nullptr;

    void SetUp() override
    {
        scene.AddObject(scene.AddSequence(10, 8, 1, 0, [](int x, int y, int) -> uint32_t { return (x + y) % 4 == 0 ? 0 : 50; }),
                        30, 20);
        h = scene.Load();
        ASSERT_NE(nullptr, h);
    }
    void TearDown() override { DestroyAnimation(h); }

    void PlaceObject(int x, int y)
    {
        LockedContext c(h);
        c->objectRuntime[0].x = static_cast<int16_t>(x);
        c->objectRuntime[0].y = static_cast<int16_t>(y);
    }
    bool Evaluate(uint8_t condition, uint8_t stepFlags, uint8_t parameter, bool breakOut, int16_t* counter = nullptr,
                  int stepX = 0, int stepY = 0)
    {
        StepSlot slot{};
        slot.step.condition = condition;
        slot.step.stepFlags = stepFlags;
        slot.step.conditionParam = parameter;
        slot.step.x = static_cast<int16_t>(stepX);
        slot.step.y = static_cast<int16_t>(stepY);
        if (counter) slot.conditionCounter = *counter;
        LockedContext c(h);
        const bool result = EvaluateStepCondition(c.get(), window.hwnd, slot, 0, breakOut);
        if (counter) *counter = slot.conditionCounter;
        return result;
    }
    bool BreaksOut(uint8_t condition, uint8_t parameter)
    {
        LockedContext c(h);
        return StepBreaksOut(c.get(), window.hwnd, condition, parameter, 0);
    }
};

// What the user is doing while a condition is looked at.
enum class Doing {
    Nothing,
    KeyWithFocus,
    KeyFocusElsewhere,
    LeftOverPicture,
    LeftInWindowOutsidePicture,
    LeftOverOtherWindow,
    RightOverPicture,
    LeftOnOpaquePixel,
    LeftOnTransparentPixel,
    RightOnOpaquePixel,
    KeyAndLeftOverPicture,
};

void Act(FakeInput& input, Doing doing, HWND window, HWND other)
{
    input.Clear();
    input.Focus(window);
    switch (doing) {
    case Doing::Nothing: input.CursorOnClient(window, 5, 5); break;
    case Doing::KeyWithFocus: input.Press(kKey); break;
    case Doing::KeyFocusElsewhere: input.Press(kKey); input.Focus(other); break;
    case Doing::LeftOverPicture: input.Press(VK_LBUTTON); input.CursorOnClient(window, 120, 90); break;
    case Doing::LeftInWindowOutsidePicture: input.Press(VK_LBUTTON); input.CursorOnClient(window, 121, 40); break;
    case Doing::LeftOverOtherWindow: input.Press(VK_LBUTTON); input.CursorOnClient(other, 10, 10); break;
    case Doing::RightOverPicture: input.Press(VK_RBUTTON); input.CursorOnClient(window, 0, 0); break;
    case Doing::LeftOnOpaquePixel: input.Press(VK_LBUTTON); input.CursorOnClient(window, 31, 20); break;
    case Doing::LeftOnTransparentPixel: input.Press(VK_LBUTTON); input.CursorOnClient(window, 32, 22); break;
    case Doing::RightOnOpaquePixel: input.Press(VK_RBUTTON); input.CursorOnClient(window, 31, 20); break;
    case Doing::KeyAndLeftOverPicture: input.Press(kKey); input.Press(VK_LBUTTON); input.CursorOnClient(window, 60, 40); break;
    }
}

TEST_F(Conditions, KeysAndMouse)
{
    const uint8_t key = 0x80, left = 1 << 1, leftNot = 2 << 1, right = 3 << 1, rightNot = 4 << 1, clicked = 5 << 1,
                  notClicked = 6 << 1;
    struct Case {
        const char* name;
        uint8_t condition, stepFlags;
        Doing doing;
        bool breakOut, expected;
    } cases[] = {
        {"key, not pressed", key, 0, Doing::Nothing, false, false},
        {"key pressed", key, 0, Doing::KeyWithFocus, false, true},
        {"key pressed, another window has the focus", key, 0, Doing::KeyFocusElsewhere, false, false},
        {"key, breaking out of a wait", key, 0, Doing::Nothing, true, true},
        {"key not pressed, not pressed", key, STEP_NEGATE_KEY, Doing::Nothing, false, true},
        {"key not pressed, pressed", key, STEP_NEGATE_KEY, Doing::KeyWithFocus, false, false},
        {"key not pressed, pressed in another window", key, STEP_NEGATE_KEY, Doing::KeyFocusElsewhere, false, true},
        {"key not pressed, breaking out", key, STEP_NEGATE_KEY, Doing::KeyWithFocus, true, true},
        {"key with the counter bit: the parameter is the key", key | 1, 0, Doing::Nothing, false, false},
        {"left pressed over the picture", left, 0, Doing::LeftOverPicture, false, true},
        {"left pressed in the window outside the picture", left, 0, Doing::LeftInWindowOutsidePicture, false, false},
        {"left pressed over another window", left, 0, Doing::LeftOverOtherWindow, false, false},
        {"left, nothing pressed", left, 0, Doing::Nothing, false, false},
        {"left, breaking out", left, 0, Doing::Nothing, true, true},
        {"left not pressed, nothing pressed", leftNot, 0, Doing::Nothing, false, true},
        {"left not pressed, pressed over the picture", leftNot, 0, Doing::LeftOverPicture, false, false},
        {"left not pressed, pressed elsewhere", leftNot, 0, Doing::LeftOverOtherWindow, false, true},
        {"left not pressed, breaking out", leftNot, 0, Doing::Nothing, true, false},
        {"right pressed", right, 0, Doing::RightOverPicture, false, true},
        {"right, the left pressed", right, 0, Doing::LeftOverPicture, false, false},
        {"right not pressed, pressed", rightNot, 0, Doing::RightOverPicture, false, false},
        {"right not pressed, the left pressed", rightNot, 0, Doing::LeftOverPicture, false, true},
        {"clicked on an opaque pixel", clicked, 0, Doing::LeftOnOpaquePixel, false, true},
        {"clicked on a transparent pixel", clicked, 0, Doing::LeftOnTransparentPixel, false, false},
        {"clicked beside the object", clicked, 0, Doing::LeftOverPicture, false, false},
        {"right button on the object", clicked, 0, Doing::RightOnOpaquePixel, false, false},
        {"clicked, breaking out", clicked, 0, Doing::Nothing, true, true},
        {"not clicked, clicked", notClicked, 0, Doing::LeftOnOpaquePixel, false, false},
        {"not clicked, a transparent pixel clicked", notClicked, 0, Doing::LeftOnTransparentPixel, false, true},
        {"not clicked, breaking out", notClicked, 0, Doing::Nothing, true, false},
        {"key or left: the left is enough", static_cast<uint8_t>(key | left), 0, Doing::LeftOverPicture, false, true},
        {"key and left not pressed: the button vetoes the key", static_cast<uint8_t>(key | leftNot), 0,
         Doing::KeyAndLeftOverPicture, false, false},
    };
    for (const Case& k : cases) {
        Act(input, k.doing, window.hwnd, other.hwnd);
        EXPECT_EQ(k.expected, Evaluate(k.condition, k.stepFlags, kKey, k.breakOut)) << k.name;
    }
}

TEST_F(Conditions, ThePlaceOfTheObject)
{
    // Picture 120 by 90, object 10 by 8: centred at (55, 41). Without a
    // relative move on an axis, that axis counts as centred.
    struct Case {
        const char* name;
        int x, y;
        int stepX, stepY;
        uint8_t stepFlags;
        bool holds[8];  // position codes 0-7
    } cases[] = {
        //                                                     0      1      2      3      4      5      6      7
        {"inside", 50, 30, 0, 0, 0, {false, false, true, false, true, true, false, true}},
        {"half outside the left border", -5, 40, 0, 0, 0, {false, false, true, true, false, true, false, true}},
        {"wholly outside on the left", -10, 40, 0, 0, 0, {false, true, false, true, false, true, false, true}},
        {"one pixel in on the left", -9, 40, 0, 0, 0, {false, false, true, true, false, true, false, true}},
        {"half a relative move from leaving", -9, 40, -4, 0, 0, {false, true, false, true, false, false, true, true}},
        {"touching the top border", 50, 0, 0, 0, 0, {false, false, true, true, false, true, false, true}},
        {"touching the right border", 110, 40, 0, 0, 0, {false, false, true, true, false, true, false, true}},
        {"below the picture", 50, 90, 0, 0, 0, {false, true, false, true, false, true, false, true}},
        {"centred within half a move", 50, 10, 10, 0, 0, {false, false, true, false, true, true, false, true}},
        {"a pixel beyond half a move", 49, 10, 10, 0, 0, {false, false, true, false, true, false, true, true}},
        {"right of the centre by half a move", 60, 10, 10, 0, 0, {false, false, true, false, true, true, false, true}},
        {"absolute x: only y is tested", 0, 46, 0, 10, STEP_X_ABSOLUTE, {false, false, true, true, false, true, false, true}},
        {"absolute x, y beyond half a move", 0, 47, 0, 10, STEP_X_ABSOLUTE, {false, false, true, true, false, false, true, true}},
        {"no move at all counts as centred", 3, 3, 0, 0, 0, {false, false, true, false, true, true, false, true}},
    };
    for (const Case& k : cases) {
        PlaceObject(k.x, k.y);
        for (int p = 0; p < 8; ++p)
            EXPECT_EQ(k.holds[p], Evaluate(static_cast<uint8_t>(p << 4), k.stepFlags, 0, false, nullptr, k.stepX, k.stepY))
                << k.name << ", position code " << p;
    }
}

TEST_F(Conditions, NecessaryAndSufficientParts)
{
    input.Focus(window.hwnd);
    input.Press(kKey);
    PlaceObject(-30, 40);  // invisible
    // A key that holds cannot save a failed necessary part (2 "visible")...
    EXPECT_FALSE(Evaluate(0x80 | (2 << 4), 0, kKey, false));
    // ...while a failed sufficient part (1 "invisible" on a visible object) leaves the key's answer.
    PlaceObject(50, 40);
    EXPECT_TRUE(Evaluate(0x80 | (1 << 4), 0, kKey, false));
    input.Press(kKey, false);
    EXPECT_FALSE(Evaluate(0x80 | (1 << 4), 0, kKey, false));
}

TEST_F(Conditions, CountersJumpTheirCountThenOnceNot)
{
    int16_t counter = 0;
    std::vector<bool> answers;
    for (int i = 0; i < 8; ++i) answers.push_back(Evaluate(0x01, 0, 3, false, &counter));
    EXPECT_EQ(std::vector<bool>({true, true, true, false, true, true, true, false}), answers);
    // 0: always.
    counter = 0;
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(Evaluate(0x01, 0, 0, false, &counter));
    // A condition that already holds answers and starts the count again.
    counter = 2;
    EXPECT_TRUE(Evaluate(0x01 | (7 << 4), 0, 3, false, &counter));
    EXPECT_EQ(0, counter);
    // A failed condition beside the counter: the counter decides.
    PlaceObject(50, 40);
    counter = 0;
    EXPECT_TRUE(Evaluate(0x01 | (1 << 4), 0, 1, false, &counter));
    EXPECT_FALSE(Evaluate(0x01 | (1 << 4), 0, 1, false, &counter));
}

TEST_F(Conditions, BreakingOutOfAWait)
{
    struct Case {
        const char* name;
        uint8_t condition;
        Doing doing;
        bool expected;
    } cases[] = {
        {"key pressed", 0x80, Doing::KeyWithFocus, true},
        {"key pressed in another window", 0x80, Doing::KeyFocusElsewhere, false},
        {"left over the picture, code 1", 1 << 1, Doing::LeftOverPicture, true},
        {"left over the picture, code 2", 2 << 1, Doing::LeftOverPicture, true},
        {"left elsewhere", 1 << 1, Doing::LeftOverOtherWindow, false},
        {"right for a left-button code", 1 << 1, Doing::RightOverPicture, false},
        {"right over the picture, code 3", 3 << 1, Doing::RightOverPicture, true},
        {"right over the picture, code 4", 4 << 1, Doing::RightOverPicture, true},
        {"click on the object, code 5", 5 << 1, Doing::LeftOnOpaquePixel, true},
        {"click on the object, code 6", 6 << 1, Doing::LeftOnOpaquePixel, true},
        {"click on a transparent pixel", 5 << 1, Doing::LeftOnTransparentPixel, false},
        {"position codes never", 7 << 4, Doing::LeftOverPicture, false},
        {"counters never", 0x01, Doing::KeyWithFocus, false},
        {"no condition", 0, Doing::KeyAndLeftOverPicture, false},
    };
    for (const Case& k : cases) {
        Act(input, k.doing, window.hwnd, other.hwnd);
        EXPECT_EQ(k.expected, BreaksOut(k.condition, kKey)) << k.name;
    }
}

TEST_F(Conditions, TheWindowsScrolledOriginCounts)
{
    SetAnimOrigin(h, window.hwnd, 20, 0, ANIM_ORIGIN_X);
    input.Focus(window.hwnd);
    input.Press(VK_LBUTTON);
    input.CursorOnClient(window.hwnd, 11, 20);  // picture x 31: an opaque pixel
    EXPECT_TRUE(Evaluate(5 << 1, 0, 0, false));
    SetAnimOrigin(h, window.hwnd, 0, 0, ANIM_ORIGIN_X);
    EXPECT_FALSE(Evaluate(5 << 1, 0, 0, false));
}

// ---- conditions inside the step lists ----

class ConditionsInSteps : public ::testing::Test {
protected:
    EngineSession session{kDibSections};
    RecordingWindow window{100, 50, 120, 90};
    FakeInput input;
};

TEST_F(ConditionsInSteps, ACounterFollowsItsJumpThreeTimes)
{
    PlayScene scene(120, 90);
    const int sequence = scene.AddSequence(10, 8, 1);
    ObjectStep back = MakeStep(0, 0, 0, 0);
    back.condition = 0x01;
    back.conditionParam = 3;
    back.jumpTarget = 0;
    scene.AddStepObject(sequence, {MakeStep(0, 1, 0, 0), back, MakeStep(0, 0, 0, 0)});
    HANIM h = scene.Load();
    ASSERT_NE(nullptr, h);
    std::vector<int> xs;
    for (const ObjectTrace& t : TraceObject(h, window.hwnd, 0, 10)) xs.push_back(t.x);
    // The first step is applied four times: once, then after each of three jumps.
    EXPECT_EQ(std::vector<int>({1, 1, 2, 2, 3, 3, 4, 4, 4, 4}), xs);
    EXPECT_EQ(std::vector<ObjectEvent>({{0, ANIM_OBJ_FINISHED}}), window.TakeEvents());
    // Started again in the middle of the count, the count starts from 0.
    EXPECT_EQ(1, RestartAnimation(h, window.hwnd, FALSE, FALSE));
    xs.clear();
    for (const ObjectTrace& t : TraceObject(h, window.hwnd, 0, 5)) xs.push_back(t.x);
    EXPECT_EQ(std::vector<int>({1, 1, 2, 2, 3}), xs);
    EXPECT_EQ(1, RestartAnimation(h, window.hwnd, FALSE, FALSE));
    xs.clear();
    for (const ObjectTrace& t : TraceObject(h, window.hwnd, 0, 10)) xs.push_back(t.x);
    EXPECT_EQ(std::vector<int>({1, 1, 2, 2, 3, 3, 4, 4, 4, 4}), xs);
    DestroyAnimation(h);
}

TEST_F(ConditionsInSteps, AButtonEndsAWaitAndTakesTheJump)
{
    for (const bool press : {false, true}) {
        SCOPED_TRACE(press ? "pressed on the fourth step" : "never pressed");
        PlayScene scene(120, 90);
        const int sequence = scene.AddSequence(10, 8, 1);
        ObjectStep wait = MakeStep(STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE, 1, 1, 10);
        wait.condition = 1 << 1;  // left button pressed
        wait.jumpTarget = 2;
        scene.AddStepObject(sequence, {wait, MakeStep(STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE, 5, 5, 50),
                                       MakeStep(STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE, 70, 70, 50)});
        HANIM h = scene.Load();
        ASSERT_NE(nullptr, h);
        input.Clear();
        input.Focus(window.hwnd);
        std::vector<ObjectTrace> trace = TraceObject(h, window.hwnd, 0, 3);
        if (press) {
            input.Press(VK_LBUTTON);
            input.CursorOnClient(window.hwnd, 60, 60);
            trace = TraceObject(h, window.hwnd, 0, 1);
            EXPECT_EQ((ObjectTrace{0, 70, 70}), trace.back());
        } else {
            trace = TraceObject(h, window.hwnd, 0, 8);  // steps 4-11: still waiting
            EXPECT_EQ((ObjectTrace{0, 1, 1}), trace.back());
            trace = TraceObject(h, window.hwnd, 0, 1);  // step 12: the wait is over, no jump
            EXPECT_EQ((ObjectTrace{0, 5, 5}), trace.back());
        }
        DestroyAnimation(h);
    }
}

// ---- hit testing ----

TEST_F(Conditions, HitTestFindsTheTopmostRunningObject)
{
    DestroyAnimation(h);
    PlayScene two(120, 90);
    const int sequence = two.AddSequence(10, 8, 1, 0, [](int x, int y, int) -> uint32_t { return (x + y) % 4 == 0 ? 0 : 50; });
    two.AddObject(sequence, 30, 20);
    two.AddObject(sequence, 34, 22);
    h = two.Load();
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(1, HitTestObject(h, 35, 23, TRUE)) << "the higher index is on top";
    EXPECT_EQ(1, HitTestObject(h, 36, 24, FALSE));
    EXPECT_EQ(0, HitTestObject(h, 36, 24, TRUE)) << "through a transparent pixel to the object below";
    // Strictly inside: the object's first column and row are its edge, so the
    // object below answers there.
    EXPECT_EQ(0, HitTestObject(h, 34, 23, FALSE)) << "x < px, strictly";
    EXPECT_EQ(0, HitTestObject(h, 35, 22, FALSE)) << "y < py, strictly";
    EXPECT_EQ(-1, HitTestObject(h, 30, 20, FALSE)) << "the corner itself is outside";
    EXPECT_EQ(1, HitTestObject(h, 43, 29, FALSE));
    EXPECT_EQ(-1, HitTestObject(h, 44, 25, FALSE)) << "one past the last column";
    EXPECT_EQ(-1, HitTestObject(h, 36, 30, FALSE)) << "one past the last row";
    EXPECT_EQ(-1, HitTestObject(h, 32, 22, TRUE)) << "a transparent pixel of the lower object";
    LockedContext(h)->objectRuntime[1].finished = 1;
    EXPECT_EQ(0, HitTestObject(h, 35, 23, FALSE)) << "finished objects are not hit";
    EXPECT_EQ(-1, HitTestObject(nullptr, 35, 23, FALSE));
}

class HitTestInEveryMode : public ::testing::TestWithParam<EngineMode> {};

TEST_P(HitTestInEveryMode, TheMaskOfEveryTransparency)
{
    EngineSession session(GetParam());
    struct Kind {
        int bits;
        uint8_t code;
        int16_t colorCount;
    } kinds[] = {{8, 0x80, 256}, {8, 0, 256},    {8, 15, 256},  {8, 9, 256},  {4, 3, 16},
                 {8, 0x10, 256}, {8, 0x1F, 256}, {1, 0x20, 2},  {1, 0x2F, 2}, {24, 13, -1}};
    for (const Kind& kind : kinds) {
        SCOPED_TRACE("code " + std::to_string(kind.code) + " at " + std::to_string(kind.bits) + " bits");
        PlayScene scene(64, 48);
        SequenceSpec spec;
        spec.width = 12;
        spec.height = 10;
        spec.frames = 2;
        spec.bits = kind.bits;
        spec.code = kind.code;
        spec.colorCount = kind.colorCount;
        const int k = kind.code & 15;
        const int bits = kind.bits;
        // Frame 1 is the frame that counts: transparent where x + 2y is a multiple of 3.
        spec.value = [k, bits](int x, int y, int frame) -> uint32_t {
            const bool clear = (x + 2 * y + frame * 2) % 3 == 0;
            switch (bits) {
            case 1: return clear == (k == 15) ? 1 : 0;
            case 4: return clear ? k : (k == 5 ? 6 : 5);
            case 8: return clear ? StaticIndex(k, 256) : 100;
            default: {
                const COLORREF t = StaticColor(k);
                return clear ? (GetRValue(t) << 16 | GetGValue(t) << 8 | GetBValue(t)) : 0x123456;
            }
            }
        };
        ASSERT_EQ(RESULT_OK, WriteSequence(scene.dir.File("k.bmx"), spec));
        scene.f.AddObject(scene.f.AddSequence("k.bmx", kind.code, kind.colorCount), 5, 5);
        HANIM h = scene.Load();
        ASSERT_NE(nullptr, h);
        LockedContext(h)->objectRuntime[0].frame = 1;
        PaintToPixels(h, 64, 48);  // drawing builds a run-time mask
        int wrong = 0;
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 12; ++x) {
                const bool opaque = !SpecTransparent(spec, spec.value(x, y, 1));
                LockedContext c(h);
                if ((HitTestObjectMask(c.get(), 0, x, y) != 0) != opaque && ++wrong <= 3)
                    ADD_FAILURE() << "pixel " << x << "," << y << " should be " << (opaque ? "opaque" : "transparent");
            }
        EXPECT_EQ(0, wrong);
        DestroyAnimation(h);
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, HitTestInEveryMode, ::testing::Values(kDibSections, kDeviceBitmaps),
                         [](const ::testing::TestParamInfo<EngineMode>& info) { return std::string(info.param.name); });

}  // namespace
