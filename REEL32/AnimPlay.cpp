// The play loop: the clock (a window timer, or the fast mode that pumps the
// thread's messages between steps), one playback step of every object (its
// sequence animation or its step list), objects started by other objects'
// steps, the object events to the host and the end of the animation.
#include "AnimationContext.h"

namespace {

// A play-loop call's hold on its handle. Host code runs inside the call (sent
// object events, pumped messages) and may destroy the animation there: while
// a hold exists DestroyAnimation only notes the wish, and the outermost hold
// frees the animation as it unwinds. The context stays locked meanwhile; a
// lock does not keep the host's own calls from working on the handle.
class PlayHold {
public:
    explicit PlayHold(HANIM handle)
        : handle_(handle), c_(handle ? static_cast<AnimationContext*>(GlobalLock(handle)) : nullptr)
    {
        if (c_) ++c_->playDepth;
    }
    ~PlayHold()
    {
        if (!c_) return;
        const bool destroy = --c_->playDepth == 0 && c_->destroyPending;
        GlobalUnlock(handle_);
        if (destroy) DestroyAnimation(handle_);
    }
    PlayHold(const PlayHold&) = delete;
    PlayHold& operator=(const PlayHold&) = delete;
    AnimationContext* get() const { return c_; }
    AnimationContext* operator->() const { return c_; }
    explicit operator bool() const { return c_ != nullptr; }

private:
    HANIM handle_;
    AnimationContext* c_;
};

// One pass over the objects (a step, or the first positions at a reset).
// After every message sent to the host it asks whether it may go on: not when
// the host destroyed the animation, nor when it reset or reloaded it (the
// objects and step lists are then no longer the ones this pass works on).
struct PlayRun {
    AnimationContext* c;
    HWND window;
    uint32_t generation;

    bool GoesOn() const { return !c->destroyPending && c->playGeneration == generation; }
    bool Send(int object, AnimObjectEvent event) const
    {
        if (window) SendMessageA(window, ANIM_OBJECT_MESSAGE, static_cast<WPARAM>(object), event);
        return GoesOn();
    }
};

// A start coordinate as the animation's position flags read it: 0x04 names
// the object's centre, 0x08 counts from the picture's centre.
int Aligned(const AnimationContext* c, int value, bool horizontal, int size)
{
    if (c->settings.positionFlags & 0x04) value -= size >> 1;
    if (c->settings.positionFlags & 0x08) value += (horizontal ? c->pictureWidth : c->pictureHeight) >> 1;
    return value;
}

// A relative position wraps to the opposite edge of the picture.
int16_t WrapRelative(int value, int size, int limit)
{
    if (value > limit) return static_cast<int16_t>(-size);
    if (value < -size) return static_cast<int16_t>(limit);
    return static_cast<int16_t>(value);
}

bool HasStepList(const AnimationContext* c, int object)
{
    return (c->objects[object].objectFlags & OBJ_STEP_LIST) && c->stepLists[object].slots && c->objects[object].stepCount > 0;
}

// A copy of one stored step; the block is not kept locked across host code.
bool ReadStep(const AnimationContext* c, int object, int index, ObjectStepDisk* step)
{
    if (index < 0 || index >= c->objects[object].stepCount) return false;
    GlobalLockGuard<StepSlot> slots(c->stepLists[object].slots);
    if (!slots) return false;
    *step = slots.get()[index].step;
    return true;
}

uint32_t StartMaskOf(const ObjectStepDisk& s) { return (static_cast<uint32_t>(s.startMaskHigh) << 16) | s.startMaskLow; }

int FrameCountOf(const AnimationContext* c, const ObjectRuntime& o)
{
    return o.sequence < MAX_SEQUENCES ? c->sequences[o.sequence].frameCount : 0;
}

// ---- sequence animations ----

void StepFrames(const AnimationContext* c, ObjectRuntime& o, const ObjectRecordDisk& r)
{
    if (o.delayCounter < r.frameDelay) {
        ++o.delayCounter;
        return;
    }
    const int n = FrameCountOf(c, o);
    int g = o.frame + o.frameStep;
    if (n < 1) {
        g = 0;
        ++o.repetitions;
    } else if (!(r.motionFlags & MOTION_PING_PONG) || n < 2) {
        if (g >= n) {
            g = 0;
            ++o.repetitions;
        } else if (g < 0) {
            g = n - 1;
            ++o.repetitions;
        }
    } else {
        // A bounce may turn the frames outward just as they reached an end:
        // they turn back inside without counting another pass.
        if (g < 0 || g > n - 1) {
            o.frameStep = static_cast<int16_t>(-o.frameStep);
            g = o.frame + o.frameStep;
            g = g < 0 ? 0 : g > n - 1 ? n - 1 : g;
        }
        if (g == 0 || g >= n - 1) {
            o.frameStep = static_cast<int16_t>(-o.frameStep);
            ++o.repetitions;
            if (r.motionFlags & MOTION_REVERSE_WITH_FRAMES) {
                o.dx = static_cast<int16_t>(-o.dx);
                o.dy = static_cast<int16_t>(-o.dy);
            }
        }
    }
    o.frame = static_cast<uint8_t>(g);
    o.delayCounter = 0;
}

// One axis of a move: wrap to the opposite edge, or bounce off the edges
// (the direction turns, the position stays where the move took it).
void MoveAxis(int16_t& position, int16_t& delta, int size, int limit, uint8_t motionFlags, int16_t& frameStep)
{
    const int p = position + delta;
    if (!(motionFlags & MOTION_BOUNCE)) {
        position = WrapRelative(p, size, limit);
        return;
    }
    if (p + size > limit || p < 0) {
        delta = static_cast<int16_t>(-delta);
        if (motionFlags & MOTION_BOUNCE_REVERSES_FRAMES) frameStep = static_cast<int16_t>(-frameStep);
    }
    position = static_cast<int16_t>(p);
}

void StepMotion(const AnimationContext* c, ObjectRuntime& o, const ObjectRecordDisk& r)
{
    if (o.moveCounter < r.moveDelay) {
        ++o.moveCounter;
        return;
    }
    MoveAxis(o.x, o.dx, o.width, c->pictureWidth, r.motionFlags, o.frameStep);
    MoveAxis(o.y, o.dy, o.height, c->pictureHeight, r.motionFlags, o.frameStep);
    o.moveCounter = 0;
}

// ---- step lists ----

void ApplyStep(const AnimationContext* c, ObjectRuntime& o, const ObjectStepDisk& s)
{
    if (s.stepFlags & STEP_X_ABSOLUTE) o.x = static_cast<int16_t>(Aligned(c, s.x, true, o.width));
    else o.x = WrapRelative(o.x + s.x, o.width, c->pictureWidth);
    if (s.stepFlags & STEP_Y_ABSOLUTE) o.y = static_cast<int16_t>(Aligned(c, s.y, false, o.height));
    else o.y = WrapRelative(o.y + s.y, o.height, c->pictureHeight);
    o.frame = s.frameIndex;
    if (s.stepFlags & STEP_FIX_FRAME) o.stamp = 1;
    o.pendingSound = s.soundIndex;
}

bool FinishStepList(const PlayRun& run, int object)
{
    ObjectRuntime& o = run.c->objectRuntime[object];
    o.stepIndex = 0;
    o.finished = 1;
    return run.Send(object, ANIM_OBJ_FINISHED);
}

// The object leaves its current step: to the jump target when the step's
// condition holds, else to the next step.
bool LeaveStep(const PlayRun& run, int object, bool breakOut)
{
    AnimationContext* c = run.c;
    ObjectRuntime& o = c->objectRuntime[object];
    const int count = c->objects[object].stepCount;
    ObjectStepDisk s;
    bool jump;
    {
        GlobalLockGuard<StepSlot> slots(c->stepLists[object].slots);
        if (!slots) return FinishStepList(run, object);
        StepSlot& slot = slots.get()[o.stepIndex];
        jump = EvaluateStepCondition(c, run.window, slot, object, breakOut);
        s = slot.step;
    }
    int next = jump ? s.jumpTarget : o.stepIndex + 1;
    if (next < 0) next = count;  // a target before the first step ends the list like one past the last
    c->startMask |= StartMaskOf(s);
    if (s.stepFlags & STEP_END) {
        if (s.stepFlags & STEP_CLEAR_END_ACTION) c->settings.playFlags &= static_cast<uint8_t>(~PLAY_END_ACTION_MASK);
        c->ended = 1;
    }
    o.stayed = next == o.stepIndex;
    o.stepIndex = static_cast<int16_t>(next);
    ObjectStepDisk entered;
    if (next >= count || !ReadStep(c, object, next, &entered)) return FinishStepList(run, object);
    o.delayCounter = 0;
    ApplyStep(c, o, entered);
    return true;
}

bool RunStepList(const PlayRun& run, int object)
{
    AnimationContext* c = run.c;
    ObjectRuntime& o = c->objectRuntime[object];
    ObjectStepDisk s;
    if (!ReadStep(c, object, o.stepIndex, &s)) return FinishStepList(run, object);
    if (s.stepFlags & STEP_WAIT) {
        // A counted step: it reports itself, fires its start mask once its
        // count is reached, and then holds the object until it is started.
        if (o.delayCounter < 0) {
            o.delayCounter = 0;
            if (!run.Send(object, ANIM_OBJ_STEP_EVENT)) return false;
            ApplyStep(c, o, s);
            return true;
        }
        if (o.delayCounter == s.waitCount) {
            c->startMask |= StartMaskOf(s);
            if (!run.Send(object, ANIM_OBJ_STEP_EVENT)) return false;
        }
        o.delayCounter = static_cast<int16_t>((o.delayCounter < s.waitCount ? o.delayCounter : s.waitCount) + 1);
        o.stamp = 0;
        o.stayed = 1;
        return true;
    }
    ++o.delayCounter;
    o.stayed = 0;
    if (o.delayCounter == 0) {  // just entered
        ApplyStep(c, o, s);
        return true;
    }
    bool breakOut = false;
    if (o.delayCounter <= s.waitCount) {
        o.pendingSound = 0;
        if (!StepBreaksOut(c, run.window, s.condition, s.conditionParam, object)) return true;
        breakOut = true;
    }
    return LeaveStep(run, object, breakOut);
}

// ---- objects ----

// Steps one object; false when host code stopped the pass.
bool StepObject(const PlayRun& run, int object)
{
    AnimationContext* c = run.c;
    ObjectRuntime& o = c->objectRuntime[object];
    const ObjectRecordDisk& r = c->objects[object];
    if (o.finished) {
        o.finished |= 2;
        return true;
    }
    if (HasStepList(c, object)) return RunStepList(run, object);
    StepFrames(c, o, r);
    StepMotion(c, o, r);
    if ((r.objectFlags & OBJ_FINITE) && o.repetitions >= r.repeatCount) {
        o.finished = 1;
        return run.Send(object, ANIM_OBJ_FINISHED);
    }
    return true;
}

bool WaitsOnCountedStep(const AnimationContext* c, int object)
{
    ObjectStepDisk s;
    return ReadStep(c, object, c->objectRuntime[object].stepIndex, &s) && (s.stepFlags & STEP_WAIT);
}

// The objects named by this step's start masks: one waiting on a counted step
// goes on to its next step, any other starts again from its beginning.
bool StartNamedObjects(const PlayRun& run)
{
    AnimationContext* c = run.c;
    // The mask is read as it grows: an object started here may start later ones.
    for (int i = 0; i < c->header.objectCount; ++i) {
        if (!(c->startMask & (1u << i))) continue;
        ObjectRuntime& o = c->objectRuntime[i];
        AnimObjectEvent event;
        if (HasStepList(c, i) && o.finished == 0 && WaitsOnCountedStep(c, i)) {
            ++o.stepIndex;
            o.delayCounter = -1;
            event = ANIM_OBJ_CONTINUED;
        } else {
            ResetAnimObject(c, i);
            if (o.wasFinished) {
                o.prevX = o.drawnX;
                o.prevY = o.drawnY;
                o.wasFinished = 0;
            }
            o.finished = 0;
            event = ANIM_OBJ_STARTED;
        }
        if (!run.Send(i, event) || !StepObject(run, i)) return false;
    }
    for (int i = 0; i < c->header.objectCount; ++i) c->objectRuntime[i].wasFinished = c->objectRuntime[i].finished;
    c->startMask = 0;  // bits past the object count name nobody
    return true;
}

bool EveryObjectFinished(const AnimationContext* c)
{
    for (int i = 0; i < c->header.objectCount; ++i)
        if (!c->objectRuntime[i].finished) return false;
    return true;
}

void PostEnd(AnimationContext* c, HWND window)
{
    const int action = EndActionOf(c);
    const bool follows = action == END_LOAD_NEXT || action == END_LOAD_NEXT_NEW_WINDOW;
    if (window)
        PostMessageA(window, ANIM_END_ANIMATION, follows ? action : 0,
                     follows ? reinterpret_cast<LPARAM>(c->settings.nextAnimation) : 0);
}

int StepHeld(const PlayHold& hold, HWND window)
{
    AnimationContext* c = hold.get();
    if (!c->firstStepDone) {
        CreateObjectSaveBitmaps(c);  // without them the objects are drawn without saving what lies under them
        InitialiseAnimObjects(c);
        c->ended = 0;
        c->firstStepDone = 1;
    } else {
        if (!c->ended && EveryObjectFinished(c)) c->ended = 1;
        if (c->ended) {
            StopAnimClock(c, window);
            // One notice per playback: a second would make the host follow
            // on twice and skip an animation.
            if (!c->endReported) {
                c->endReported = 1;
                PostEnd(c, window);
            }
            return 0;
        }
    }
    const PlayRun run{c, window, c->playGeneration};
    bool whole = true;
    for (int i = 0; whole && i < c->header.objectCount; ++i) whole = StepObject(run, i);
    if (whole) whole = StartNamedObjects(run);
    return c->destroyPending ? 0 : 1;
}

// The fast mode's wait for the next step: the thread's messages are handled
// until ANIM_FAST_STEP_MS have passed since the last step, then the next
// WM_TIMER is posted.
void PumpUntilNextStep(AnimationContext* c, HWND window)
{
    if (c->stopped) return;
    const DWORD since = c->lastTick;
    DWORD now = GetTickCount();
    MSG msg;
    while (IsWindow(window)) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));  // for the host's own loop, with its exit code
                return;
            }
            if (msg.message == WM_CLOSE) {
                // Closing is the host's loop's business; playback goes on
                // should the host decline to close.
                PostMessageA(msg.hwnd, WM_CLOSE, msg.wParam, msg.lParam);
                break;
            }
            if (msg.hwnd == window && msg.message == ANIM_CLOSE) {
                c->stopped = 1;
                return;
            }
            if (!(msg.hwnd == window && msg.message == WM_TIMER)) {  // the next step is ours to post
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
                if (c->destroyPending || (msg.hwnd == window && msg.message == WM_DESTROY)) return;
            }
        }
        // Checked after every message too: while another animation of the
        // thread keeps posting, the queue is never empty.
        now = GetTickCount();
        if (now - since >= ANIM_FAST_STEP_MS || HIWORD(now) != HIWORD(since)) break;
    }
    if (!IsWindow(window) || c->destroyPending) return;
    if (!c->stopped) PostMessageA(window, WM_TIMER, 0, 0);
    c->lastTick = now;
}

}  // namespace

// ---- objects at their start ----

void ResetAnimObject(AnimationContext* c, int index)
{
    ObjectRuntime& o = c->objectRuntime[index];
    const ObjectRecordDisk& r = c->objects[index];
    o.sequence = r.sequenceIndex;
    const SequenceRuntime& s = c->sequenceRuntime[r.sequenceIndex < MAX_SEQUENCES ? r.sequenceIndex : 0];
    o.width = s.width;
    o.height = s.height;
    o.frame = 0;
    o.frameStep = 1;
    o.repetitions = 0;
    o.dx = r.dx;
    o.dy = r.dy;
    o.delayCounter = -1;
    o.moveCounter = -1;
    o.stepIndex = 0;
    o.stamp = 0;
    o.x = static_cast<int16_t>(Aligned(c, r.startX, true, o.width));
    o.y = static_cast<int16_t>(Aligned(c, r.startY, false, o.height));
    o.drawnX = o.drawnY = 0;
    o.pendingSound = 0;
    o.stayed = 0;
    const StepListEntry& list = c->stepLists[index];
    if (list.slots && r.stepCount > 0) {
        GlobalLockGuard<StepSlot> slots(list.slots);
        if (slots)
            for (int i = 0; i < r.stepCount; ++i) slots.get()[i].conditionCounter = 0;
    }
}

void InitialiseAnimObjects(AnimationContext* c)
{
    for (int i = 0; i < c->header.objectCount; ++i) {
        ResetAnimObject(c, i);
        ObjectRuntime& o = c->objectRuntime[i];
        o.prevX = o.drawnX;
        o.prevY = o.drawnY;
        o.finished = o.wasFinished = (c->objects[i].objectFlags & OBJ_DISABLED) ? 0x80 : 0;
    }
    c->startMask = 0;
    c->endReported = 0;
}

void ResetAnimPlayback(AnimationContext* c, HWND window)
{
    ++c->playGeneration;
    if (c->offscreen) {
        DcSelection selected(g_animEngine.pictureDC, c->offscreen);
        RestoreObjectBackgrounds(c);
    }
    DeleteObjectSaveBitmaps(c);
    InitialiseAnimObjects(c);
    if (window) {
        // Each object once, so that a paint before the first tick shows the
        // objects at their first places.
        const PlayRun run{c, window, c->playGeneration};
        for (int i = 0; i < c->header.objectCount; ++i)
            if (!StepObject(run, i)) return;
    }
    c->firstStepDone = 0;
    c->ended = 0;
}

bool DeferAnimDestroy(AnimationContext* c)
{
    if (c->playDepth <= 0) return false;
    c->destroyPending = 1;
    return true;
}

// ---- the clock ----

void StopAnimClock(AnimationContext* c, HWND window)
{
    if (c->timerId) {
        KillTimer(window, ANIM_TIMER_ID);
        c->timerId = 0;
    }
    c->stopped = 1;
}

int StartAnimation(HANIM handle, HWND window)
{
    ContextLock c(handle);
    if (!c || c->ended) return 0;
    if (c->settings.playFlags & PLAY_TIMER_MODE) {
        // Only a window's timer: a thread timer would get an id of its own that Stop does not kill.
        if (!c->timerId && window) c->timerId = static_cast<uint32_t>(SetTimer(window, ANIM_TIMER_ID, ANIM_TIMER_MS, nullptr));
        return 1;
    }
    c->stopped = 0;
    c->lastTick = GetTickCount();
    if (window) PostMessageA(window, WM_TIMER, 0, 0);
    return 1;
}

void StopAnimation(HANIM handle, HWND window)
{
    ContextLock c(handle);
    if (c) StopAnimClock(c.get(), window);
}

int StepAnimation(HANIM handle, HWND window)
{
    PlayHold hold(handle);
    return hold ? StepHeld(hold, window) : 0;
}

int TickAnimation(HANIM handle, HWND window)
{
    PlayHold hold(handle);
    if (!hold) return 0;
    const bool timerRuns = hold->timerId != 0;
    const int result = StepHeld(hold, window);
    if (hold->destroyPending) return 0;
    if (!window) return result;
    UpdateAnimWindow(handle, window);
    if (!timerRuns) PumpUntilNextStep(hold.get(), window);
    return hold->destroyPending ? 0 : result;
}

// ---- attaching, restarting ----

int AttachAnimation(HANIM handle, HWND window)
{
    PlayHold hold(handle);
    if (!hold || hold->firstStepDone) return 0;
    ResetAnimPlayback(hold.get(), window);
    if (window && !hold->destroyPending) InvalidateRect(window, nullptr, TRUE);
    return 1;
}

int RestartAnimation(HANIM handle, HWND window, BOOL rebuildBitmap, BOOL invalidate)
{
    PlayHold hold(handle);
    if (!hold) return 0;
    StopAnimClock(hold.get(), window);
    if (rebuildBitmap) {
        DeleteOffscreenBitmap(hold.get());
        hold->offscreen = MakeOffscreenPicture(hold.get(), true);
    }
    ResetAnimPlayback(hold.get(), window);
    if (invalidate && window && !hold->destroyPending) InvalidateRect(window, nullptr, FALSE);
    return 1;
}
