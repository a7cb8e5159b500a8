// The undo list (see Undo.h). Steps live in slots 1..count, newest first;
// slots 1..undone hold the steps that were undone and can be repeated. A
// step swaps its bitmap and record word with the frame's, so that the same
// step repeats what it undid; the selection snapshot of a group is swapped
// with the current selection the same way.
#include "Undo.h"
#include "AppState.h"
#include "DocumentMessages.h"
#include "FrameBitmaps.h"
#include "PackedDib.h"
#include <algorithm>
#include <cstring>
#include <utility>

namespace {

struct UndoList {
    UndoStep slots[UNDO_SLOTS];
    int capacity = MAX_UNDO_STEPS;  // steps the buffer allows for the frame format
    int count = 0;                  // steps held, slots 1..count
    int undone = 0;                 // slots 1..undone were undone (the repeat depth)
    uint32_t groupState = 0;        // 0 outside a group, else the state of its next step
    HGLOBAL groupSelection = nullptr;  // the selection kept once for the open group
    uint32_t bufferBytes = DEFAULT_UNDO_KILOBYTES << 10;
};
UndoList s_undo;

HBITMAP MakeFrameCopy(int width, int height) { return CreateFrameBitmap(width, height); }
UndoBitmapMaker s_makeBitmap = MakeFrameCopy;
UndoCallTaker s_takeCall = nullptr;

constexpr int MAX_BUFFER_KILOBYTES = 0x1FFFFF;  // its bytes still fit an int

void NotifyUndoState()
{
    if (g_appState.hooks.undoStateChanged) g_appState.hooks.undoStateChanged(CanUndo(), CanRepeat());
}

// A bitmap can be selected into one DC only: one of the work DCs may hold it
// while the operation that records it runs, and none may when it is deleted
// or handed to a frame.
HDC WorkDcHolding(HBITMAP bitmap)
{
    for (HDC dc : {g_appState.memoryDC, g_appState.scratchDC})
        if (dc && GetCurrentObject(dc, OBJ_BITMAP) == bitmap) return dc;
    return nullptr;
}

void Deselect(HBITMAP bitmap)
{
    if (!bitmap) return;
    if (HDC dc = WorkDcHolding(bitmap)) {
        // The 8 x 8 default bitmap stands in while no frame is selected
        // (a 1 x 1 one, made once, where there is none).
        static HBITMAP placeholder = nullptr;
        HBITMAP stand = g_appState.defaultBitmap;
        if (!stand || stand == bitmap) {
            if (!placeholder) placeholder = CreateBitmap(1, 1, 1, 1, nullptr);
            stand = placeholder;
        }
        SelectObject(dc, stand);
    }
}

void DeleteStepBitmap(HBITMAP bitmap)
{
    if (!bitmap) return;
    Deselect(bitmap);
    DeleteObject(bitmap);
}

bool BlockInUse(HGLOBAL block)
{
    if (!block) return false;
    if (block == s_undo.groupSelection) return true;
    for (int i = 1; i < UNDO_SLOTS; ++i)
        if (s_undo.slots[i].selectionBlock == block) return true;
    return false;
}

// Takes a step's selection block away and frees it when no other step of
// its group still holds it.
void ReleaseSelection(UndoStep& step)
{
    HGLOBAL block = std::exchange(step.selectionBlock, nullptr);
    if (block && !BlockInUse(block)) GlobalFree(block);
}

void FreeStep(UndoStep& step)
{
    ReleaseSelection(step);
    DeleteStepBitmap(step.bitmap);
    step = UndoStep{};
}

HGLOBAL SnapshotSelection()
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(SelectionSnapshot));
    if (!block) return nullptr;
    if (g_appState.hooks.captureSelection) {
        GlobalLockGuard<SelectionSnapshot> snapshot(block);
        if (snapshot) g_appState.hooks.captureSelection(snapshot.get());
    }
    return block;
}

// The selection kept in the block and the current one change places.
void SwapSelection(HGLOBAL block)
{
    if (!block || !g_appState.hooks.captureSelection || !g_appState.hooks.restoreSelection) return;
    GlobalLockGuard<SelectionSnapshot> kept(block);
    if (!kept) return;
    SelectionSnapshot current{};
    g_appState.hooks.captureSelection(&current);
    g_appState.hooks.restoreSelection(kept.get());
    *kept.get() = current;
}

int16_t* FrameState(int frame) { return g_appState.hooks.frameStateOf ? g_appState.hooks.frameStateOf(frame) : nullptr; }

bool ValidFrame(int frame)
{
    return frame >= 0 && frame < g_appState.frameCount && frame < MAX_FRAME_BITMAPS && g_appState.frameBitmaps[frame];
}

bool SameGeometry(HBITMAP a, HBITMAP b)
{
    BITMAP x{}, y{};
    return GetObjectA(a, sizeof x, &x) && GetObjectA(b, sizeof y, &y) && x.bmWidth == y.bmWidth &&
           x.bmHeight == y.bmHeight && x.bmBitsPixel == y.bmBitsPixel && x.bmPlanes == y.bmPlanes;
}

// Copies the frame's pixels into the step's bitmap: DIB sections of one
// geometry byte for byte (the colour indexes stay exact), others through GDI.
bool CopyBitmap(HBITMAP from, HBITMAP to)
{
    GdiFlush();
    DIBSECTION a{}, b{};
    if (GetObjectA(from, sizeof a, &a) == sizeof a && GetObjectA(to, sizeof b, &b) == sizeof b && a.dsBm.bmBits &&
        b.dsBm.bmBits && a.dsBm.bmWidthBytes == b.dsBm.bmWidthBytes && a.dsBm.bmHeight == b.dsBm.bmHeight &&
        a.dsBm.bmBitsPixel == b.dsBm.bmBitsPixel) {
        memcpy(b.dsBm.bmBits, a.dsBm.bmBits, static_cast<size_t>(a.dsBm.bmWidthBytes) * a.dsBm.bmHeight);
        return true;
    }
    BITMAP info{};
    if (!GetObjectA(from, sizeof info, &info)) return false;
    HDC source = WorkDcHolding(from);
    HDC ownSource = source ? nullptr : CreateCompatibleDC(nullptr);
    HDC target = CreateCompatibleDC(nullptr);
    if (!target || (!source && !ownSource)) {
        if (target) DeleteDC(target);
        if (ownSource) DeleteDC(ownSource);
        return false;
    }
    HGDIOBJ oldSource = ownSource ? SelectObject(ownSource, from) : nullptr;
    Deselect(to);
    HGDIOBJ oldTarget = SelectObject(target, to);
    const BOOL copied = BitBlt(target, 0, 0, info.bmWidth, info.bmHeight, source ? source : ownSource, 0, 0, SRCCOPY);
    SelectObject(target, oldTarget);
    DeleteDC(target);
    if (ownSource) {
        SelectObject(ownSource, oldSource);
        DeleteDC(ownSource);
    }
    return copied != FALSE;
}

// The oldest step leaves the list. A group whose first step went keeps its
// next one as its first, so that it is still undone as a whole.
void DropOldest()
{
    if (s_undo.count <= 0) return;
    const uint32_t state = s_undo.slots[s_undo.count].state;
    FreeStep(s_undo.slots[s_undo.count]);
    --s_undo.count;
    if (state == UNDO_STEP_GROUP_FIRST && s_undo.count > 0 &&
        s_undo.slots[s_undo.count].state == UNDO_STEP_GROUP_MEMBER)
        s_undo.slots[s_undo.count].state = UNDO_STEP_GROUP_FIRST;
}

// Steps that were undone are discarded once something new is recorded.
void DropRepeatSteps()
{
    if (s_undo.undone <= 0) return;
    for (int i = 1; i <= s_undo.undone; ++i) FreeStep(s_undo.slots[i]);
    const int kept = s_undo.count - s_undo.undone;
    for (int i = 1; i <= kept; ++i) {
        s_undo.slots[i] = s_undo.slots[i + s_undo.undone];
        s_undo.slots[i + s_undo.undone] = UndoStep{};
    }
    s_undo.count = kept;
    s_undo.undone = 0;
}

// A bitmap of the frame's size for slot 1: the recycled one when it fits,
// else a new one; when memory runs out the oldest step gives its bitmap up
// and one more try is made.
HBITMAP StepBitmapFor(HBITMAP frame, HBITMAP recycled)
{
    if (recycled && SameGeometry(recycled, frame)) return recycled;
    DeleteStepBitmap(recycled);
    BITMAP info{};
    if (!GetObjectA(frame, sizeof info, &info)) return nullptr;
    if (HBITMAP made = s_makeBitmap(info.bmWidth, info.bmHeight)) return made;
    // Slot 1 is being filled: only steps from slot 2 on can give way.
    if (s_undo.count < 2) return nullptr;
    DropOldest();
    return s_makeBitmap(info.bmWidth, info.bmHeight);
}

int RecordFrame(UINT flags, int frameIndex)
{
    if (!ValidFrame(frameIndex)) return 0;
    HBITMAP frame = g_appState.frameBitmaps[frameIndex];
    // Every step moves one slot towards the end; at the end of the list the
    // last slot falls off and is recycled for the new step.
    UndoStep recycled{};
    if (s_undo.count >= s_undo.capacity) {
        const uint32_t state = s_undo.slots[s_undo.capacity].state;
        recycled = std::exchange(s_undo.slots[s_undo.capacity], UndoStep{});
        ReleaseSelection(recycled);
        s_undo.count = s_undo.capacity - 1;
        if (state == UNDO_STEP_GROUP_FIRST && s_undo.count > 0 &&
            s_undo.slots[s_undo.count].state == UNDO_STEP_GROUP_MEMBER)
            s_undo.slots[s_undo.count].state = UNDO_STEP_GROUP_FIRST;
    }
    for (int i = s_undo.count; i >= 1; --i) s_undo.slots[i + 1] = s_undo.slots[i];
    s_undo.slots[1] = UndoStep{};
    ++s_undo.count;

    HBITMAP bitmap = StepBitmapFor(frame, recycled.bitmap);
    if (!bitmap || !CopyBitmap(frame, bitmap)) {
        DeleteStepBitmap(bitmap);
        // The list closes up again: nothing was recorded.
        for (int i = 1; i < s_undo.count; ++i) s_undo.slots[i] = s_undo.slots[i + 1];
        s_undo.slots[s_undo.count] = UndoStep{};
        --s_undo.count;
        NotifyUndoState();
        return ShowOutOfMemory();
    }
    UndoStep& step = s_undo.slots[1];
    step.bitmap = bitmap;
    step.frameIndex = frameIndex;
    const int16_t* state = FrameState(frameIndex);
    step.frameValue = state ? *state : 0;
    if (s_undo.groupState) {
        step.state = s_undo.groupState;
        s_undo.groupState = UNDO_STEP_GROUP_MEMBER;
        step.selectionBlock = s_undo.groupSelection;
    } else {
        step.state = UNDO_STEP_SINGLE;
        if (flags & UNDO_SAVE_SELECTION) step.selectionBlock = SnapshotSelection();
    }
    NotifyUndoState();
    return 1;
}

// Gives a step's frame its old picture and record word, keeping the current
// ones in the step for the way back.
void SwapStep(UndoStep& step)
{
    if (!ValidFrame(step.frameIndex) || !step.bitmap) return;
    HBITMAP& frame = g_appState.frameBitmaps[step.frameIndex];
    Deselect(frame);
    Deselect(step.bitmap);
    std::swap(frame, step.bitmap);
    if (int16_t* state = FrameState(step.frameIndex)) {
        const int16_t kept = *state;
        *state = static_cast<int16_t>(step.frameValue);
        step.frameValue = kept;
    }
}

}  // namespace

int SetUndoBufferSize(int kilobytes)
{
    if (kilobytes < 0) return static_cast<int>(s_undo.bufferBytes >> 10);
    kilobytes = std::min(kilobytes, MAX_BUFFER_KILOBYTES);
    s_undo.bufferBytes = static_cast<uint32_t>(kilobytes) << 10;
    return static_cast<int>(s_undo.bufferBytes);
}

int ComputeUndoSteps(int width, int height, int kilobytes, int apply)
{
    const uint64_t buffer = kilobytes < 0 ? s_undo.bufferBytes
                                          : static_cast<uint64_t>(std::min(kilobytes, MAX_BUFFER_KILOBYTES)) << 10;
    const uint64_t frameBytes = static_cast<uint64_t>(std::max(width, 0)) * ColorCountToBits(g_appState.colorCount) *
                                static_cast<uint64_t>(std::max(height, 0)) / 8;
    const int steps = frameBytes == 0 ? MAX_UNDO_STEPS
                                      : static_cast<int>(std::clamp<uint64_t>(buffer / frameBytes, 1, MAX_UNDO_STEPS));
    if (apply) {
        ClearUndo();
        if (kilobytes >= 0) SetUndoBufferSize(kilobytes);
        s_undo.capacity = steps;
    }
    return steps;
}

void ResizeUndoSteps(int width, int height) { ComputeUndoSteps(width, height, -1, 1); }

int RecordUndo(UINT flags, int frameIndex)
{
    if (s_takeCall) return s_takeCall(flags, frameIndex);
    DropRepeatSteps();
    if (flags & UNDO_BEGIN_GROUP) {
        HGLOBAL previous = std::exchange(s_undo.groupSelection, nullptr);
        if (previous && !BlockInUse(previous)) GlobalFree(previous);
        s_undo.groupState = UNDO_STEP_GROUP_FIRST;
        if (flags & UNDO_SAVE_SELECTION) s_undo.groupSelection = SnapshotSelection();
    }
    int result = 1;
    if (flags & UNDO_SAVE_FRAME) result = RecordFrame(flags, frameIndex);
    if (flags & UNDO_END_GROUP) {
        s_undo.groupState = 0;
        HGLOBAL group = std::exchange(s_undo.groupSelection, nullptr);
        if (group && !BlockInUse(group)) GlobalFree(group);
    }
    return result;
}

int UndoRedo(int direction)
{
    int restored = 0;
    HGLOBAL selection = nullptr;
    if (direction > 0) {
        // Newest first; a group is walked through its members to its first step.
        int slot = s_undo.undone + 1;
        while (slot <= s_undo.count) {
            UndoStep& step = s_undo.slots[slot];
            SwapStep(step);
            ++restored;
            if (step.selectionBlock) selection = step.selectionBlock;
            ++slot;
            if (step.state != UNDO_STEP_GROUP_MEMBER) break;
        }
        s_undo.undone = slot - 1;
    } else if (direction < 0 && s_undo.undone > 0) {
        // The last step undone, then the rest of its group towards the newest.
        int slot = s_undo.undone;
        const bool group = s_undo.slots[slot].state == UNDO_STEP_GROUP_FIRST;
        do {
            UndoStep& step = s_undo.slots[slot];
            SwapStep(step);
            ++restored;
            if (step.selectionBlock) selection = step.selectionBlock;
            --slot;
        } while (group && slot >= 1 && s_undo.slots[slot].state == UNDO_STEP_GROUP_MEMBER);
        s_undo.undone = slot;
    }
    if (restored) {
        SwapSelection(selection);
        NotifyUndoState();
    }
    return restored;
}

void ClearUndo()
{
    for (UndoStep& step : s_undo.slots) FreeStep(step);
    if (s_undo.groupSelection) GlobalFree(s_undo.groupSelection);
    s_undo.groupSelection = nullptr;
    s_undo.count = s_undo.undone = 0;
    // A group being recorded goes on into the empty list.
    if (s_undo.groupState) s_undo.groupState = UNDO_STEP_GROUP_FIRST;
    NotifyUndoState();
}

int CanUndo() { return s_undo.undone < s_undo.count ? 1 : 0; }
int CanRepeat() { return s_undo.undone > 0 ? 1 : 0; }

HBITMAP GetLatestUndoBitmap() { return s_undo.count > s_undo.undone ? s_undo.slots[s_undo.undone + 1].bitmap : nullptr; }

HBITMAP FindUndoBitmap(int frameIndex)
{
    for (int slot = s_undo.undone + 1; slot <= s_undo.count; ++slot)
        if (s_undo.slots[slot].frameIndex == frameIndex && s_undo.slots[slot].bitmap) return s_undo.slots[slot].bitmap;
    return nullptr;
}

void ShiftUndoFrameIndices(int from, int delta)
{
    for (int slot = 1; slot <= s_undo.count; ++slot)
        if (s_undo.slots[slot].frameIndex >= from) s_undo.slots[slot].frameIndex += delta;
}

int UndoStepCount() { return s_undo.count; }
int UndoStepCapacity() { return s_undo.capacity; }

const UndoStep& UndoSlot(int slot)
{
    static const UndoStep empty{};
    return slot >= 1 && slot < UNDO_SLOTS ? s_undo.slots[slot] : empty;
}

void SetUndoBitmapMaker(UndoBitmapMaker maker) { s_makeBitmap = maker ? maker : MakeFrameCopy; }
void SetUndoCallTaker(UndoCallTaker taker) { s_takeCall = taker; }
