// Objects at their start: resetting them, attaching an animation to its
// window before the first step, and stopping and restarting playback.
#include "AnimationContext.h"

namespace {

// A start coordinate as the animation's position flags read it: 0x04 names
// the object's centre, 0x08 counts from the picture's centre.
int Aligned(const AnimationContext* c, int value, bool horizontal, int size)
{
    if (c->settings.positionFlags & 0x04) value -= size >> 1;
    if (c->settings.positionFlags & 0x08) value += (horizontal ? c->pictureWidth : c->pictureHeight) >> 1;
    return value;
}

}  // namespace

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
}

void ResetAnimPlayback(AnimationContext* c, HWND)
{
    if (c->offscreen) {
        DcSelection selected(g_animEngine.pictureDC, c->offscreen);
        RestoreObjectBackgrounds(c);
    }
    DeleteObjectSaveBitmaps(c);
    InitialiseAnimObjects(c);
    c->firstStepDone = 0;
    c->ended = 0;
}

void StopAnimClock(AnimationContext* c, HWND window)
{
    if (c->timerId) {
        KillTimer(window, ANIM_TIMER_ID);
        c->timerId = 0;
    }
    c->stopped = 1;
}

int AttachAnimation(HANIM handle, HWND window)
{
    ContextLock c(handle);
    if (!c || c->firstStepDone) return 0;
    ResetAnimPlayback(c.get(), window);
    if (window) InvalidateRect(window, nullptr, TRUE);
    return 1;
}

void StopAnimation(HANIM handle, HWND window)
{
    ContextLock c(handle);
    if (c) StopAnimClock(c.get(), window);
}

int RestartAnimation(HANIM handle, HWND window, BOOL rebuildBitmap, BOOL invalidate)
{
    ContextLock c(handle);
    if (!c) return 0;
    StopAnimClock(c.get(), window);
    if (rebuildBitmap) {
        DeleteOffscreenBitmap(c.get());
        c->offscreen = MakeOffscreenPicture(c.get(), true);
    }
    ResetAnimPlayback(c.get(), window);
    if (invalidate && window) InvalidateRect(window, nullptr, FALSE);
    return 1;
}
