// The undo list of the frame editor: copies of frame bitmaps (and of the area
// selection) taken before each operation, newest first, grouped so that one
// painting over several frames is undone at once; the same steps repeat what
// they undid. Its size follows the undo buffer ("UndoBufferSize") and the
// frame format.
#pragma once
#include <windows.h>
#include <cstdint>

// RecordUndo flags.
constexpr UINT UNDO_SAVE_FRAME = 0x01;       // copy the frame's bitmap into a new step
constexpr UINT UNDO_SAVE_SELECTION = 0x02;   // keep the selection state with the step (or group)
constexpr UINT UNDO_BEGIN_GROUP = 0x40;      // the following steps are undone together
constexpr UINT UNDO_END_GROUP = 0x80;        // closes the group

constexpr int MAX_UNDO_STEPS = 50;
// Slot 0 is working space; slots 1..MAX_UNDO_STEPS hold the steps.
constexpr int UNDO_SLOTS = MAX_UNDO_STEPS + 1;
constexpr int DEFAULT_UNDO_KILOBYTES = 1024;
constexpr int MAX_SNAPSHOT_POINTS = 128;

// UndoStep::state.
enum UndoStepState : uint32_t {
    UNDO_STEP_EMPTY = 0,
    UNDO_STEP_SINGLE = 1,
    UNDO_STEP_GROUP_FIRST = 4,  // the oldest step of a group
    UNDO_STEP_GROUP_MEMBER = 5,
};

// The area selection as a step keeps it (one movable block).
#pragma pack(push, 4)
struct SelectionSnapshot {
    uint32_t tool;       // the current tool
    int32_t rect[4];     // the selection rectangle: left, top, right, bottom (inclusive)
    int32_t flags;       // the selection state word (bit 0x10: an area is selected)
    POINT points[MAX_SNAPSHOT_POINTS];  // the lasso polygon
    uint32_t pointCount;
};
#pragma pack(pop)
static_assert(sizeof(SelectionSnapshot) == 4 + 16 + 4 + 8 * MAX_SNAPSHOT_POINTS + 4);

struct UndoStep {
    uint32_t state;         // UndoStepState
    int32_t frameIndex;
    int32_t frameValue;     // the frame record's state word, sign-extended
    HBITMAP bitmap;         // the frame as it was before the operation
    HGLOBAL selectionBlock; // a SelectionSnapshot, shared by the steps of a group; or null
};

// The buffer in kilobytes; the result in bytes. A negative argument only
// reads: the size in kilobytes.
int SetUndoBufferSize(int kilobytes);
// Steps for a frame: buffer bytes / frame bytes, 1..50 (kilobytes -1: the
// current buffer). With `apply` the list is cleared and sized so.
int ComputeUndoSteps(int width, int height, int kilobytes, int apply);
// The list sized for frames of that size in the current format (after every
// change of frame format).
void ResizeUndoSteps(int width, int height);
// Records what the flags ask for, for frame `frameIndex`; 1, or 0 when the
// step could not be kept (out of memory: message 28673 has been shown, and
// the list is as it was).
int RecordUndo(UINT flags, int frameIndex);
// 1 undoes the newest step (a whole group), -1 repeats the last one undone.
// The number of frames restored (0: nothing to do).
int UndoRedo(int direction);
// Frees every step; Undo and Repeat become unavailable.
void ClearUndo();
int CanUndo();
int CanRepeat();
// The bitmap of the newest step, or of the newest step of a frame; null when
// there is none.
HBITMAP GetLatestUndoBitmap();
HBITMAP FindUndoBitmap(int frameIndex);
// After frames were inserted (delta > 0) or deleted at `from`: every step's
// frame index at or above `from` moves by delta.
void ShiftUndoFrameIndices(int from, int delta);

// The number of steps the list holds now and may hold.
int UndoStepCount();
int UndoStepCapacity();
// Read access for tests and the frame commands: slot 1..capacity.
const UndoStep& UndoSlot(int slot);

// The bitmaps of the steps are made by this function (the tests make it fail
// to reach the out-of-memory road). Null puts CreateFrameBitmap back.
using UndoBitmapMaker = HBITMAP (*)(int width, int height);
void SetUndoBitmapMaker(UndoBitmapMaker maker);

// When set, every RecordUndo call goes to this function instead of the list
// (the paint tests keep the calls in order). Null puts the list back.
using UndoCallTaker = int (*)(UINT flags, int frameIndex);
void SetUndoCallTaker(UndoCallTaker taker);
