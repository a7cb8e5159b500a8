// The undo list: its size from the buffer, the oldest step falling off, a
// group undone and repeated with the selection, the out-of-memory road and
// the frame indexes that follow inserted frames.
#include "ColorTestSupport.h"
#include "FrameBitmaps.h"
#include "UiSeam.h"
#include "Undo.h"
#include <gtest/gtest.h>
#include <cstring>

namespace {

int s_messages;
int WINAPI CountMessage(HWND, LPCSTR, LPCSTR, UINT)
{
    ++s_messages;
    return IDOK;
}

// Frames of `width` x 4 pixels at 8 bits, each filled with one index.
class UndoTest : public ColorStateTest {
protected:
    void SetUp() override
    {
        ColorStateTest::SetUp();
        SetColorFormat(COLORS_256, nullptr, 0);
        ComputeUndoSteps(8, 4, DEFAULT_UNDO_KILOBYTES, 1);
        g_appState.frameWidth = 8;
        g_appState.frameHeight = 4;
        g_appState.hooks.captureSelection = [](SelectionSnapshot* s) { *s = s_selection; };
        g_appState.hooks.restoreSelection = [](const SelectionSnapshot* s) { s_selection = *s; };
        g_appState.hooks.frameStateOf = [](int frame) { return &s_states[frame]; };
        s_selection = SelectionSnapshot{};
        memset(s_states, 0, sizeof s_states);
    }
    void TearDown() override
    {
        ClearUndo();
        SetUndoBitmapMaker(nullptr);
        ColorStateTest::TearDown();
    }
    void AddFrames(int count, BYTE value)
    {
        for (int i = 0; i < count; ++i) {
            g_appState.frameBitmaps[g_appState.frameCount++] = CreateFrameBitmap(8, 4);
            Fill(g_appState.frameCount - 1, value);
        }
    }
    static void Fill(int frame, BYTE value)
    {
        DIBSECTION d{};
        ASSERT_EQ(GetObjectA(g_appState.frameBitmaps[frame], sizeof d, &d), static_cast<int>(sizeof d));
        GdiFlush();
        memset(d.dsBm.bmBits, value, static_cast<size_t>(d.dsBm.bmWidthBytes) * d.dsBm.bmHeight);
    }
    static BYTE Value(int frame)
    {
        DIBSECTION d{};
        GetObjectA(g_appState.frameBitmaps[frame], sizeof d, &d);
        GdiFlush();
        return static_cast<BYTE*>(d.dsBm.bmBits)[0];
    }
    static SelectionSnapshot s_selection;
    static int16_t s_states[MAX_FRAME_BITMAPS];
};
SelectionSnapshot UndoTest::s_selection;
int16_t UndoTest::s_states[MAX_FRAME_BITMAPS];

TEST_F(UndoTest, StepsFollowTheBufferAndTheFrameSize)
{
    EXPECT_EQ(SetUndoBufferSize(8192), 8192 << 10);
    EXPECT_EQ(SetUndoBufferSize(-1), 8192);
    EXPECT_EQ(ComputeUndoSteps(640, 480, 8192, 0), 27);
    SetColorFormat(COLORS_2, nullptr, 0);
    EXPECT_EQ(ComputeUndoSteps(100, 100, -1, 0), MAX_UNDO_STEPS);
    SetColorFormat(COLORS_24BIT, nullptr, 0);
    // A frame larger than the buffer still keeps one step.
    EXPECT_EQ(ComputeUndoSteps(2048, 2048, 1024, 0), 1);
    EXPECT_EQ(ComputeUndoSteps(0, 0, 1024, 0), MAX_UNDO_STEPS);
    ComputeUndoSteps(640, 480, 1024, 1);
    EXPECT_EQ(UndoStepCapacity(), 1);
    ResizeUndoSteps(8, 4);
    EXPECT_EQ(UndoStepCapacity(), MAX_UNDO_STEPS);
}

TEST_F(UndoTest, TheFiftyFirstStepDropsTheOldest)
{
    AddFrames(1, 0);
    for (int i = 1; i <= MAX_UNDO_STEPS + 1; ++i) {
        ASSERT_EQ(RecordUndo(UNDO_SAVE_FRAME, 0), 1);
        Fill(0, static_cast<BYTE>(i));
    }
    EXPECT_EQ(UndoStepCount(), MAX_UNDO_STEPS);
    // Undoing every step ends at the picture the second step kept (value 1):
    // the first one (value 0) fell off.
    int undone = 0;
    while (UndoRedo(1)) ++undone;
    EXPECT_EQ(undone, MAX_UNDO_STEPS);
    EXPECT_EQ(Value(0), 1);
    EXPECT_FALSE(CanUndo());
    EXPECT_TRUE(CanRepeat());
    while (UndoRedo(-1)) {}
    EXPECT_EQ(Value(0), MAX_UNDO_STEPS + 1);
}

TEST_F(UndoTest, AGroupIsUndoneAndRepeatedWithItsSelection)
{
    AddFrames(3, 7);
    g_appState.hooks.undoStateChanged = [](int canUndo, int canRepeat) {
        s_states[200] = static_cast<int16_t>(canUndo);
        s_states[201] = static_cast<int16_t>(canRepeat);
    };
    s_selection.rect[2] = 5;
    s_selection.pointCount = 3;
    s_states[1] = 1;
    RecordUndo(UNDO_BEGIN_GROUP | UNDO_SAVE_SELECTION, 0);
    for (int frame : {0, 2}) ASSERT_EQ(RecordUndo(UNDO_SAVE_FRAME, frame), 1);
    RecordUndo(UNDO_END_GROUP, 0);
    EXPECT_EQ(UndoSlot(2).state, UNDO_STEP_GROUP_FIRST);
    EXPECT_EQ(UndoSlot(1).state, UNDO_STEP_GROUP_MEMBER);
    Fill(0, 20);
    Fill(2, 22);
    s_selection.rect[2] = 9;
    s_selection.pointCount = 0;
    RecordUndo(UNDO_SAVE_FRAME, 1);
    Fill(1, 21);
    s_states[1] = 3;

    EXPECT_EQ(UndoRedo(1), 1);  // the single step on frame 1
    EXPECT_EQ(Value(1), 7);
    EXPECT_EQ(s_states[1], 1);
    EXPECT_EQ(UndoRedo(1), 2);  // the group: both frames and the selection
    EXPECT_EQ(Value(0), 7);
    EXPECT_EQ(Value(2), 7);
    EXPECT_EQ(s_selection.rect[2], 5);
    EXPECT_EQ(s_selection.pointCount, 3u);
    EXPECT_EQ(s_states[200], 0);
    EXPECT_EQ(s_states[201], 1);
    EXPECT_EQ(UndoRedo(1), 0);

    EXPECT_EQ(UndoRedo(-1), 2);  // repeat the group
    EXPECT_EQ(Value(0), 20);
    EXPECT_EQ(Value(2), 22);
    EXPECT_EQ(s_selection.rect[2], 9);
    EXPECT_EQ(UndoRedo(-1), 1);
    EXPECT_EQ(Value(1), 21);
    EXPECT_EQ(s_states[1], 3);
    EXPECT_EQ(UndoRedo(-1), 0);

    // Something new after an undo forgets what could be repeated.
    UndoRedo(1);
    RecordUndo(UNDO_SAVE_FRAME, 0);
    EXPECT_FALSE(CanRepeat());
    EXPECT_EQ(UndoStepCount(), 3);
}

TEST_F(UndoTest, OutOfMemoryGivesUpTheOldestStepThenReports)
{
    AddFrames(1, 3);
    RecordUndo(UNDO_SAVE_FRAME, 0);
    RecordUndo(UNDO_SAVE_FRAME, 0);
    // The bitmaps of the first two steps are kept for the frame's geometry:
    // a new frame size needs new bitmaps, which fail once, then succeed.
    static int failures;
    failures = 1;
    SetUndoBitmapMaker([](int w, int h) -> HBITMAP { return failures-- > 0 ? nullptr : CreateFrameBitmap(w, h); });
    DeleteObject(g_appState.frameBitmaps[0]);
    g_appState.frameBitmaps[0] = CreateFrameBitmap(4, 4);
    EXPECT_EQ(RecordUndo(UNDO_SAVE_FRAME, 0), 1);
    EXPECT_EQ(UndoStepCount(), 2);  // one step gave way

    s_messages = 0;
    static UiSeam seam;
    seam = CurrentUiSeam();
    seam.messageBox = CountMessage;
    InstallUiSeam(&seam);
    SetUndoBitmapMaker([](int, int) -> HBITMAP { return nullptr; });
    ClearUndo();
    EXPECT_EQ(RecordUndo(UNDO_SAVE_FRAME, 0), 0);
    EXPECT_EQ(s_messages, 1);
    EXPECT_EQ(UndoStepCount(), 0);
    EXPECT_EQ(GetLatestUndoBitmap(), nullptr);
    InstallUiSeam(nullptr);
}

TEST_F(UndoTest, FrameIndexesFollowInsertedAndDeletedFrames)
{
    AddFrames(6, 1);
    for (int frame = 0; frame < 6; ++frame) RecordUndo(UNDO_SAVE_FRAME, frame);
    ShiftUndoFrameIndices(3, 2);  // two frames inserted before frame 3
    int indexes[6];
    for (int slot = 1; slot <= 6; ++slot) indexes[slot - 1] = UndoSlot(slot).frameIndex;
    const int expected[6] = {7, 6, 5, 2, 1, 0};  // newest first
    for (int i = 0; i < 6; ++i) EXPECT_EQ(indexes[i], expected[i]) << i;
    EXPECT_EQ(FindUndoBitmap(5), UndoSlot(3).bitmap);
    EXPECT_EQ(FindUndoBitmap(3), nullptr);
    ShiftUndoFrameIndices(5, -2);
    EXPECT_EQ(UndoSlot(1).frameIndex, 5);
    EXPECT_EQ(UndoSlot(3).frameIndex, 3);
    EXPECT_EQ(UndoSlot(4).frameIndex, 2);
}

}  // namespace
