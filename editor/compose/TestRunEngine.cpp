// The test run's stepping: one step of an object with a sequence animation or
// a step list, the wait and branch conditions, and the objects that steps
// start. Everything reads the document tables as they are at this moment.
#include "TestRun.h"
#include "ComposeCommon.h"
#include "ComposeDialogs.h"
#include "PackedDib.h"
#include <algorithm>
#include <cstdlib>

TestRun g_testRun;

namespace {

RunInputSource g_input = ConditionInputFrom(nullptr);

bool KeyDown(int virtualKey) { return (g_input.keyState(virtualKey) & 0x8000) != 0; }
// A key counts only while the test-run window has the focus.
bool KeyDownWithFocus(int virtualKey) { return KeyDown(virtualKey) && g_input.focus() == g_testRun.window; }

// The pointer in client coordinates of the test-run window, when it lies over it.
bool PointerInWindow(POINT* at)
{
    HWND window = g_testRun.window;
    POINT p{};
    if (!window || !g_input.cursorPos(&p) || g_input.windowFromPoint(p) != window) return false;
    ScreenToClient(window, &p);
    *at = p;
    return true;
}

ObjectRunState& Run(int object) { return g_document.objectRunStates[object]; }
const ObjectRecord& Record(int object) { return g_document.objectTable[object]; }

bool IsCurrentSequence(int sequence) { return sequence == CurrentSequenceIndex(); }

SIZE SequenceSize(int sequence)
{
    if (sequence < 0 || sequence >= g_document.sequenceCount) return {0, 0};
    if (IsCurrentSequence(sequence)) return {g_appState.frameWidth, g_appState.frameHeight};
    const SequenceImages& images = g_document.sequenceImages[sequence];
    return {images.width, images.height};
}

// A relative move wraps to the opposite edge.
int WrapPosition(int value, int size, int limit)
{
    if (value > limit) return -size;
    if (value < -size) return limit;
    return value;
}

// The step counter byte of a step, or null without counters.
class StepCounter {
public:
    StepCounter(int object, int step) : lock_(Run(object).stepCounters)
    {
        if (lock_ && step >= 0 && step < g_testRun.stepCounts[object]) p_ = lock_.get() + step;
    }
    uint8_t* get() const { return p_; }

private:
    GlobalLockGuard<uint8_t> lock_;
    uint8_t* p_ = nullptr;
};

void ApplyStep(int object, const ObjectStep& s)
{
    ObjectRunState& o = Run(object);
    o.counter = 0;
    o.x = (s.stepFlags & STEP_X_ABSOLUTE) ? ToWindowCoordinate(s.x, o.frameWidth, g_testRun.width)
                                           : WrapPosition(o.x + s.x, o.frameWidth, g_testRun.width);
    o.y = (s.stepFlags & STEP_Y_ABSOLUTE) ? ToWindowCoordinate(s.y, o.frameHeight, g_testRun.height)
                                           : WrapPosition(o.y + s.y, o.frameHeight, g_testRun.height);
    // A frame index at or past the frame count (255 lies past the frame
    // arrays) shows the last frame.
    const int frames = RunFrameCount(object);
    o.frame = static_cast<uint8_t>(std::min<int>(s.frameIndex, frames > 0 ? frames - 1 : 0));
    o.fixFrame = (s.stepFlags & STEP_FIX_FRAME) ? 1 : 0;
    o.pendingSound = s.soundIndex;
}

void FinishList(ObjectRunState& o)
{
    o.stepIndex = 0;
    o.status = RUN_FINISHED;
}

// The frames of a sequence animation.
void StepFrames(int object)
{
    ObjectRunState& o = Run(object);
    const ObjectRecord& r = Record(object);
    if (o.counter < r.frameDelay) {
        ++o.counter;
        return;
    }
    const int n = RunFrameCount(object);
    int next = o.frame + o.frameStep;
    if ((r.motionFlags & MOTION_PING_PONG) && n > 1) {
        // A bounce with 0x20 may have turned the frames outward just as they
        // reached an end: they turn back inside without counting a pass.
        if (next < 0 || next > n - 1) {
            o.frameStep = -o.frameStep;
            next = std::clamp(o.frame + o.frameStep, 0, n - 1);
        }
        if (next == 0 || next >= n - 1) {
            o.frameStep = -o.frameStep;
            if (r.motionFlags & MOTION_REVERSE_WITH_FRAMES) {
                o.dx = -o.dx;
                o.dy = -o.dy;
            }
            ++o.passCount;
        }
    } else if (next >= n) {
        ++o.passCount;
        next = 0;
    } else if (next < 0) {
        ++o.passCount;
        next = n - 1;
    }
    o.frame = static_cast<uint8_t>(std::clamp(next, 0, std::max(n - 1, 0)));
    o.counter = 0;
}

// One axis of a move: bounce off the solid border (the direction turns, the
// position stays where the move took it) or wrap to the opposite edge.
void MoveAxis(int32_t& position, int32_t& delta, int size, int limit, uint8_t motionFlags, int32_t& frameStep)
{
    position += delta;
    if (motionFlags & MOTION_BOUNCE) {
        if (position + size > limit || position < 0) {
            delta = -delta;
            if (motionFlags & MOTION_BOUNCE_REVERSES_FRAMES) frameStep = -frameStep;
        }
        return;
    }
    position = WrapPosition(position, size, limit);
}

void StepMotion(int object)
{
    ObjectRunState& o = Run(object);
    const ObjectRecord& r = Record(object);
    if (o.moveCounter < r.moveDelay) {
        ++o.moveCounter;
        return;
    }
    MoveAxis(o.x, o.dx, o.frameWidth, g_testRun.width, r.motionFlags, o.frameStep);
    MoveAxis(o.y, o.dy, o.frameHeight, g_testRun.height, r.motionFlags, o.frameStep);
    o.moveCounter = 0;
}

// Whether the position condition p holds for the object after the step's move.
bool PositionHolds(const ObjectRunState& o, const ObjectStep& s, int p)
{
    const ConditionPlace place{o.x, o.y, o.frameWidth, o.frameHeight, g_testRun.width, g_testRun.height,
                               HalfMove(s.x, s.stepFlags & STEP_X_ABSOLUTE), HalfMove(s.y, s.stepFlags & STEP_Y_ABSOLUTE)};
    return PositionConditionHolds(p, place);
}

// Whether the pixel (u, v) of the object's frame is opaque.
bool PixelOpaque(int object, int u, int v)
{
    const ObjectRunState& o = Run(object);
    const int sequence = o.sequence;
    if (sequence >= g_document.sequenceCount) return false;
    const uint8_t code = g_document.sequenceTable[sequence].transparentColorCode;
    if (code & 0x80) return true;
    HDC dc = g_testRun.maskDC ? g_testRun.maskDC : nullptr;
    if (!dc) return true;
    const bool white = (code & 0x0F) == 15;
    HBITMAP source = nullptr;
    if (code & 0x20) {
        source = IsCurrentSequence(sequence) ? g_appState.frameBitmaps[o.frame] : g_document.sequenceImages[sequence].frames[o.frame];
        if (!source) return false;
        HGDIOBJ old = SelectObject(dc, source);
        const bool set = (GetPixel(dc, u, v) & 0xFFFFFF) != 0;
        SelectObject(dc, old);
        return (code & 0x01) ? !set : set;
    }
    source = (code & 0x10) ? g_testRun.scratchMasks[sequence] : g_document.sequenceImages[sequence].masks[o.frame];
    if (!source) return true;
    HGDIOBJ old = SelectObject(dc, source);
    const bool set = (GetPixel(dc, u, v) & 0xFFFFFF) != 0;
    SelectObject(dc, old);
    return white ? set : !set;
}

}  // namespace

void SetRunInputSource(const RunInputSource* source) { g_input = ConditionInputFrom(source); }

int ToWindowCoordinate(int value, int frameSize, int windowSize)
{
    const uint8_t flags = g_document.animationSettings.positionFlags;
    if (flags & 0x04) value -= frameSize / 2;
    if (flags & 0x08) value += windowSize / 2;
    return value;
}

int RunFrameCount(int object)
{
    const int sequence = Run(object).sequence;
    return sequence < MAX_SEQUENCES ? g_testRun.frameCounts[sequence] : 0;
}

// ---- objects at their start -------------------------------------------------------------

void ResetObjectRun(int object)
{
    ObjectRunState& o = Run(object);
    const ObjectRecord& r = Record(object);
    o.sequence = r.sequenceIndex;
    const SIZE size = SequenceSize(r.sequenceIndex);
    o.frameWidth = size.cx;
    o.frameHeight = size.cy;
    o.frame = 0;
    o.fixFrame = 0;
    o.x = ToWindowCoordinate(r.startX, o.frameWidth, g_testRun.width);
    o.y = ToWindowCoordinate(r.startY, o.frameHeight, g_testRun.height);
    o.drawnX = o.drawnY = 0;
    o.counter = -1;
    o.stepIndex = 0;
    o.passCount = 0;
    o.frameStep = 1;
    o.dx = r.dx;
    o.dy = r.dy;
    o.moveCounter = -1;
    o.pendingSound = o.stayedOnStep = o.counterShown = 0;
    if (o.stepCounters && g_testRun.stepCounts[object] > 0) {
        GlobalLockGuard<uint8_t> counters(o.stepCounters);
        if (counters) std::fill_n(counters.get(), g_testRun.stepCounts[object], uint8_t{0});
    }
}

void ResetAllObjects()
{
    for (int i = 0; i < g_document.objectCount; ++i) {
        ResetObjectRun(i);
        ObjectRunState& o = Run(i);
        o.previousX = o.drawnX;
        o.previousY = o.drawnY;
        o.status = o.previousStatus = (Record(i).objectFlags & OBJ_DISABLED) ? RUN_NOT_STARTED : RUN_RUNNING;
    }
    g_testRun.startMask = 0;
}

void LockStepBlocks()
{
    const int current = CurrentSequenceIndex();
    for (int s = 0; s < MAX_SEQUENCES; ++s)
        g_testRun.frameCounts[s] = s >= g_document.sequenceCount ? 0
                                   : s == current                ? g_appState.frameCount
                                                                 : g_document.sequenceImages[s].frameCount;
    for (int i = 0; i < g_document.objectCount; ++i) {
        ObjectRunState& o = Run(i);
        const ObjectRecord& r = Record(i);
        HGLOBAL block = g_document.objectMemoryHandles[i][0];
        o.steps = nullptr;
        g_testRun.stepCounts[i] = 0;
        if ((r.objectFlags & OBJ_STEP_LIST) && block) {
            const int count = UsableStepCount(block, r.stepCount);
            if (count > 0) {
                o.steps = static_cast<ObjectStep*>(GlobalLock(block));
                if (o.steps) g_testRun.stepCounts[i] = count;
            }
        }
        // The sequence may have changed its frames or size meanwhile.
        const SIZE size = SequenceSize(o.sequence);
        o.frameWidth = size.cx;
        o.frameHeight = size.cy;
        const int frames = RunFrameCount(i);
        if (o.frame >= frames) o.frame = static_cast<uint8_t>(frames > 0 ? frames - 1 : 0);
        if (o.stepIndex < 0 || (o.steps && o.stepIndex >= g_testRun.stepCounts[i])) o.stepIndex = 0;
    }
}

void UnlockStepBlocks()
{
    for (int i = 0; i < MAX_EDITOR_OBJECTS; ++i) {
        ObjectRunState& o = Run(i);
        if (o.steps && i < g_document.objectCount && g_document.objectMemoryHandles[i][0])
            GlobalUnlock(g_document.objectMemoryHandles[i][0]);
        o.steps = nullptr;
        g_testRun.stepCounts[i] = 0;
    }
}

bool AllocateStepCounters()
{
    bool all = true;
    for (int i = 0; i < g_document.objectCount; ++i) {
        ObjectRunState& o = Run(i);
        if (o.stepCounters) GlobalFree(o.stepCounters);
        o.stepCounters = nullptr;
        const int count = UsableStepCount(g_document.objectMemoryHandles[i][0], Record(i).stepCount);
        if (count <= 0) continue;
        o.stepCounters = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, count);
        if (!o.stepCounters) all = false;
    }
    return all;
}

void FreeStepCounters()
{
    for (ObjectRunState& o : g_document.objectRunStates) {
        if (o.stepCounters) GlobalFree(o.stepCounters);
        o.stepCounters = nullptr;
    }
}

// ---- stepping -----------------------------------------------------------------------------

void StepObject(int object)
{
    ObjectRunState& o = Run(object);
    if (o.status != RUN_RUNNING) {
        o.status |= RUN_PASSED_OVER;
        return;
    }
    if (o.steps) {
        StepObjectList(object);
        return;
    }
    StepFrames(object);
    StepMotion(object);
    const ObjectRecord& r = Record(object);
    if ((r.objectFlags & OBJ_FINITE) && o.passCount >= r.repeatCount) o.status = RUN_FINISHED;
}

void StepObjectList(int object)
{
    ObjectRunState& o = Run(object);
    const int n = g_testRun.stepCounts[object];
    if (!o.steps || o.stepIndex < 0 || o.stepIndex >= n) {
        FinishList(o);
        return;
    }
    o.stayedOnStep = 0;
    const ObjectStep& s = o.steps[o.stepIndex];
    if ((s.stepFlags & STEP_WAIT) && o.counter >= 0) {
        // The object holds here until a start mask names it.
        if (o.counter == s.waitCount) g_testRun.startMask |= StepStartMask(s);
        o.counter = std::min<int>(o.counter, s.waitCount) + 1;
        o.fixFrame = 0;
        o.stayedOnStep = 1;
        return;
    }
    const int c = o.counter++;
    bool interrupted = false;
    if (c + 1 <= s.waitCount || c == -1) {
        if (c == -1) {
            ApplyStep(object, s);
            return;
        }
        o.pendingSound = 0;
        if (!WaitInterrupted(object, s)) return;
        interrupted = true;
    }
    const int old = o.stepIndex;
    int next = EvaluateBranch(object, s, interrupted || g_testRun.forced) ? s.jumpTarget : old + 1;
    // A target before the first step ends the list as one past the last does.
    if (next < 0) next = n;
    g_testRun.startMask |= StepStartMask(s);
    if (s.stepFlags & STEP_END) g_testRun.endRequested = true;
    o.stayedOnStep = next == old;
    o.stepIndex = next;
    if (next >= n) {
        FinishList(o);
        return;
    }
    ApplyStep(object, o.steps[next]);
}

bool WaitInterrupted(int object, const ObjectStep& s)
{
    if ((s.condition & CONDITION_KEY) && (KeyDownWithFocus(s.conditionParam) || g_testRun.forced)) return true;
    switch (ConditionMouseCode(s.condition)) {
    case 1:
    case 2: return MouseButtonInWindow(VK_LBUTTON) || g_testRun.forced;
    case 3:
    case 4: return MouseButtonInWindow(VK_RBUTTON) || g_testRun.forced;
    case 5:
    case 6: return ObjectClicked(object) || g_testRun.forced;
    default: return false;
    }
}

bool EvaluateBranch(int object, const ObjectStep& s, bool forced)
{
    ObjectRunState& o = Run(object);
    // Positive conditions add up; a negative one that fails answers no at once.
    bool result = false;
    const bool key = (s.condition & CONDITION_KEY) != 0;
    if (key) {
        const bool down = KeyDownWithFocus(s.conditionParam);
        if (s.stepFlags & STEP_NEGATE_KEY) {
            if (!forced && down) return false;
            result = true;
        } else {
            result = forced || down;
        }
    }
    switch (const int m = ConditionMouseCode(s.condition)) {
    case 1:
    case 3:
        if (forced || MouseButtonInWindow(m == 1 ? VK_LBUTTON : VK_RBUTTON)) result = true;
        break;
    case 2:
    case 4:
        if (forced || MouseButtonInWindow(m == 2 ? VK_LBUTTON : VK_RBUTTON)) return false;
        result = true;
        break;
    case 5:
        if (forced || ObjectClicked(object)) result = true;
        break;
    case 6:
        if (forced || ObjectClicked(object)) return false;
        result = true;
        break;
    default:
        break;
    }
    if (const int p = ConditionPositionCode(s.condition)) {
        if (p <= 6) {
            if (PositionHolds(o, s, p)) result = true;
            else if (!(p & 1)) return false;
        }
    }
    // With a key condition the parameter holds the key, not a count.
    if (key || !(s.condition & CONDITION_COUNTER)) return result;
    if (s.conditionParam == 0) return true;  // an endless loop
    StepCounter counter(object, o.stepIndex);
    uint8_t* p = counter.get();
    if (!p) return result;
    bool answer;
    if (*p >= s.conditionParam || result) {
        *p = 0;
        answer = result;
    } else {
        ++*p;
        answer = true;
    }
    o.counterShown = *p;
    return answer;
}

bool MouseButtonInWindow(int virtualKey)
{
    if (!KeyDown(virtualKey)) return false;
    POINT p;
    if (!PointerInWindow(&p)) return false;
    return p.x >= 0 && p.x <= g_testRun.width && p.y >= 0 && p.y <= g_testRun.height;
}

bool ObjectClicked(int object)
{
    if (!KeyDown(VK_LBUTTON)) return false;
    // Client coordinates mean something only over the test-run window.
    POINT p;
    if (!PointerInWindow(&p)) return false;
    const ObjectRunState& o = Run(object);
    const int u = p.x - o.x, v = p.y - o.y;
    if (u < 0 || u >= o.frameWidth || v < 0 || v >= o.frameHeight) return false;
    return PixelOpaque(object, u, v);
}

void ApplyStartMask()
{
    // Bits at or above the object count name nobody.
    for (int i = 0; i < g_document.objectCount && i < 32; ++i) {
        if (!(g_testRun.startMask & (1u << i))) continue;
        ObjectRunState& o = Run(i);
        const bool waiting = o.steps && o.status == RUN_RUNNING && o.stepIndex >= 0 &&
                             o.stepIndex < g_testRun.stepCounts[i] && (o.steps[o.stepIndex].stepFlags & STEP_WAIT);
        if (waiting) {
            o.counter = -1;
            ++o.stepIndex;
        } else {
            const bool wasStopped = o.status != RUN_RUNNING;
            ResetObjectRun(i);
            if (wasStopped) {
                o.previousX = o.drawnX;
                o.previousY = o.drawnY;
            }
            o.status = RUN_RUNNING;
        }
        StepObject(i);
    }
    for (int i = 0; i < g_document.objectCount; ++i) Run(i).previousStatus = Run(i).status;
    g_testRun.startMask = 0;
}

void StepAllObjects()
{
    for (int i = 0; i < g_document.objectCount; ++i) StepObject(i);
    ApplyStartMask();
    TriggerSounds();
}
