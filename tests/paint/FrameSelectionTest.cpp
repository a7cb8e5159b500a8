// The frame selection and the onion skin's state: which frames the painting
// loops visit and in what order, the selection modes, and the reference frame
// of each onion-skin source.
#include "AppState.h"
#include "FrameSelection.h"
#include "OnionSkin.h"
#include "PaintHost.h"
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

class FrameSelectionTest : public testing::Test {
protected:
    void SetUp() override
    {
        memset(&g_frameSelection, 0, sizeof g_frameSelection);
        g_appState.frameCount = 5;
        g_appState.currentFrame = 2;
        g_appState.optionFlags = 0;
        g_paintHost = {};
    }
    void TearDown() override
    {
        g_paintHost = {};
        g_appState.frameCount = 0;
        g_appState.currentFrame = 0;
        g_appState.optionFlags = 0;
    }
    static void Flag(std::initializer_list<int> frames)
    {
        for (int f : frames) g_frameSelection.selected[f] = 1;
    }
    static std::vector<int> Walk()
    {
        std::vector<int> frames;
        int frame = -1;
        do {
            frame = NextSelectedFrame(frame);
            frames.push_back(frame);
        } while (frame >= 0 && frames.size() < 300);
        return frames;
    }
};

TEST_F(FrameSelectionTest, OthersAscendingThenTheCurrentFrameThenEnd)
{
    struct Case {
        std::initializer_list<int> flags;
        int current;
        std::vector<int> walk;
    } cases[] = {
        {{0, 2, 4}, 2, {0, 4, 2, -1}},  // the written example
        {{}, 2, {2, -1}},
        {{2}, 2, {2, -1}},
        {{0, 1, 3, 4}, 0, {1, 3, 4, 0, -1}},
        {{3}, 4, {3, 4, -1}},
        {{0, 1, 2, 3, 4}, 4, {0, 1, 2, 3, 4, -1}},
    };
    for (const Case& c : cases) {
        memset(&g_frameSelection, 0, sizeof g_frameSelection);
        Flag(c.flags);
        g_appState.currentFrame = c.current;
        EXPECT_EQ(c.walk, Walk()) << "current " << c.current;
        EXPECT_EQ(static_cast<int>(c.walk.size()) - 1, CountSelectedFrames());
    }
}

TEST_F(FrameSelectionTest, FlagsBeyondTheSequenceYieldNothing)
{
    // Left over from a longer sequence that was current before.
    Flag({1, 7, 200, 254});
    EXPECT_EQ((std::vector<int>{1, 2, -1}), Walk());
    EXPECT_EQ(1, HasFrameSelection());
    memset(&g_frameSelection, 0, sizeof g_frameSelection);
    Flag({7, 254});
    EXPECT_EQ(0, HasFrameSelection());
}

TEST_F(FrameSelectionTest, NoFramesNoWalk)
{
    g_appState.frameCount = 0;
    g_appState.currentFrame = 0;
    EXPECT_EQ(-1, NextSelectedFrame(-1));
    EXPECT_EQ(0, CountSelectedFrames());
}

TEST_F(FrameSelectionTest, HasASelectionOnlyBeyondTheCurrentFrame)
{
    EXPECT_EQ(0, HasFrameSelection());
    Flag({2});
    EXPECT_EQ(0, HasFrameSelection());  // only the current frame's flag
    Flag({3});
    EXPECT_EQ(1, HasFrameSelection());
    memset(&g_frameSelection, 0, sizeof g_frameSelection);
    Flag({0});
    EXPECT_EQ(1, HasFrameSelection());
}

TEST_F(FrameSelectionTest, Modes)
{
    EXPECT_EQ(1, SetFrameSelection(SELECTION_TOGGLE, 3, 0));
    EXPECT_EQ(0, SetFrameSelection(SELECTION_TOGGLE, 3, 0));
    EXPECT_EQ(1, SetFrameSelection(SELECTION_SELECT_ALL, 4, 0));
    for (int f = 0; f < 5; ++f) EXPECT_EQ(1, IsFrameSelected(f)) << f;
    EXPECT_EQ(0, IsFrameSelected(5));  // only the sequence's frames
    EXPECT_EQ(0, SetFrameSelection(SELECTION_CLEAR_FROM, 2, 0));
    EXPECT_EQ((std::vector<int>{1, 1, 0, 0, 0}),
              (std::vector<int>{IsFrameSelected(0), IsFrameSelected(1), IsFrameSelected(2), IsFrameSelected(3),
                                IsFrameSelected(4)}));
    EXPECT_EQ(0, SetFrameSelection(SELECTION_CLEAR_ALL, 0, 0));
    EXPECT_EQ(0, HasFrameSelection());
    EXPECT_EQ(-1, PreviousSelectedFrame(4));
}

TEST_F(FrameSelectionTest, IndexesOutsideTheFlagsAreLeftAlone)
{
    // The bytes on either side of the flags must stay as they are.
    for (int frame : {-1, 255, 256, 100000, -100000}) {
        EXPECT_EQ(0, SetFrameSelection(SELECTION_TOGGLE, frame, 0)) << frame;
        EXPECT_EQ(0, SetFrameSelection(SELECTION_CLEAR_FROM, frame, 0)) << frame;
        EXPECT_EQ(0, IsFrameSelected(frame)) << frame;
    }
    Flag({254});
    EXPECT_EQ(1, IsFrameSelected(254));
    EXPECT_EQ(0, SetFrameSelection(SELECTION_CLEAR_FROM, 254, 0));
    EXPECT_EQ(0, IsFrameSelected(254));
}

TEST_F(FrameSelectionTest, PreviousSelectedGoesBack)
{
    Flag({0, 3});
    EXPECT_EQ(3, PreviousSelectedFrame(4));
    EXPECT_EQ(0, PreviousSelectedFrame(3));
    EXPECT_EQ(-1, PreviousSelectedFrame(0));
    EXPECT_EQ(3, PreviousSelectedFrame(1000));
}

TEST_F(FrameSelectionTest, AutoClearOnlyWithItsOption)
{
    Flag({0, 4});
    ClearFrameSelectionIfAuto();
    EXPECT_EQ(1, HasFrameSelection());
    g_appState.optionFlags = OPTION_AUTO_CLEAR_FRAME_SELECTION;
    ClearFrameSelectionIfAuto();
    EXPECT_EQ(0, HasFrameSelection());
}

std::vector<int> g_marked;
std::vector<int> g_statusKinds;

TEST_F(FrameSelectionTest, MarksEveryYieldedFrameModifiedThenShowsTheFrame)
{
    g_marked.clear();
    g_statusKinds.clear();
    g_paintHost.setFrameModified = [](int frame) { g_marked.push_back(frame); };
    g_paintHost.updateStatusBar = [](int kind, int value) { g_statusKinds.push_back(kind * 1000 + value); };
    Flag({4, 0, 9});
    MarkSelectedFramesModified();
    EXPECT_EQ((std::vector<int>{0, 4, 2}), g_marked);
    EXPECT_EQ((std::vector<int>{1002}), g_statusKinds);
}

// ---- onion skin -------------------------------------------------------------------

TEST(OnionReference, BySource)
{
    struct Case {
        int source, current, count, chosen, reference;
    } cases[] = {
        {ONION_PREVIOUS, 0, 5, 0, 4},  // previous of the first frame is the last
        {ONION_PREVIOUS, 3, 5, 0, 2},  {ONION_NEXT, 4, 5, 0, 0},   {ONION_NEXT, 1, 5, 0, 2},
        {ONION_ANY, 1, 5, 3, 3},       {ONION_ANY, 1, 5, 9, 4},    {ONION_ANY, 1, 5, -3, 0},
        {ONION_PREVIOUS, 0, 1, 0, 0},  {ONION_NEXT, 0, 1, 0, 0},   {ONION_PREVIOUS, 0, 0, 0, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.reference, OnionReferenceFrame(c.source, c.current, c.count, c.chosen))
            << c.source << " " << c.current << "/" << c.count;
}

class OnionSkinTest : public testing::Test {
protected:
    void SetUp() override
    {
        g_appState.frameCount = 5;
        g_appState.currentFrame = 0;
        g_onionSkin = OnionSkin{};
    }
    void TearDown() override
    {
        SetOnionSkin(0);
        g_onionSkin = OnionSkin{};
        g_appState.frameCount = 0;
    }
};

TEST_F(OnionSkinTest, PreviousOnTheFirstFrameShowsTheLast)
{
    EXPECT_EQ(-1, GetOnionSkinFrame());  // off
    EXPECT_EQ(ONION_PREVIOUS, GetOnionSkinSource());
    SetOnionSkin(1);
    EXPECT_EQ(1, IsOnionSkinOn());
    EXPECT_EQ(4, GetOnionSkinFrame());
    EXPECT_EQ(4, OnionSkinShownFrame());
}

TEST_F(OnionSkinTest, OneFrameShowsNone)
{
    g_appState.frameCount = 1;
    SetOnionSkin(1);
    EXPECT_EQ(0, GetOnionSkinFrame());
    EXPECT_EQ(-1, OnionSkinShownFrame());
}

TEST_F(OnionSkinTest, AnyFrameKeepsItsChoiceOffTheCurrentFrame)
{
    g_appState.currentFrame = 3;
    SetOnionSkinSource(ONION_ANY);
    EXPECT_EQ(1, SetOnionSkinFrame(1));
    EXPECT_EQ(0, SetOnionSkinFrame(1));  // unchanged
    SetOnionSkin(1);
    EXPECT_EQ(1, GetOnionSkinFrame());
    SetOnionSkin(0);
    // A stored reference equal to the current frame becomes the previous one.
    SetOnionSkinFrame(3);
    SetOnionSkin(1);
    EXPECT_EQ(2, GetOnionSkinFrame());
    // Values other than -1, 0, 1 count by their sign.
    SetOnionSkinSource(7);
    EXPECT_EQ(ONION_NEXT, GetOnionSkinSource());
    SetOnionSkinSource(-5);
    EXPECT_EQ(ONION_PREVIOUS, GetOnionSkinSource());
}

}  // namespace
