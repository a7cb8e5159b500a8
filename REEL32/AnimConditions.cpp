// The conditions of an object's steps: keys, mouse buttons, clicks on the
// object, its place in the picture and the per-step counters; and the pixel
// test that serves both the click condition and the player control's hit test.
#include "AnimationContext.h"
#include <cstdlib>

namespace {

AnimInputSource g_input = ConditionInputFrom(nullptr);

bool KeyIsDown(int virtualKey) { return (g_input.keyState(virtualKey) & 0x8000) != 0; }

// A key counts only while the animation window has the focus.
bool KeyDownInWindow(HWND window, int virtualKey) { return KeyIsDown(virtualKey) && g_input.focus() == window; }

// The cursor in picture coordinates when it lies over the animation window.
bool CursorOverPicture(const AnimationContext* c, HWND window, POINT* at)
{
    POINT p{};
    if (!window || !g_input.cursorPos(&p) || g_input.windowFromPoint(p) != window) return false;
    ScreenToClient(window, &p);
    if (c->originShifted) {
        // The class keeps its own DC, so the scrolled origin stays in it.
        if (HDC dc = GetDC(window)) {
            POINT origin{};
            GetWindowOrgEx(dc, &origin);
            ReleaseDC(window, dc);
            p.x += origin.x;
            p.y += origin.y;
        }
    }
    *at = p;
    return true;
}

// The position condition p as a value: 1 holds, 0 does not (7 always holds).
int PositionHolds(const AnimationContext* c, const ObjectStepDisk& s, const ObjectRuntime& o, int p)
{
    if (p == 7) return 1;
    const ConditionPlace place{o.x, o.y, o.width, o.height, c->pictureWidth, c->pictureHeight,
                               HalfMove(s.x, s.stepFlags & STEP_X_ABSOLUTE), HalfMove(s.y, s.stepFlags & STEP_Y_ABSOLUTE)};
    return PositionConditionHolds(p, place) ? 1 : 0;
}

}  // namespace

void SetAnimInputSource(const AnimInputSource* source) { g_input = ConditionInputFrom(source); }

int AnimButtonTest(const AnimationContext* c, HWND window, int virtualKey)
{
    if (!KeyIsDown(virtualKey)) return 0;
    POINT p;
    if (!CursorOverPicture(c, window, &p)) return -1;
    return p.x >= 0 && p.x <= c->pictureWidth && p.y >= 0 && p.y <= c->pictureHeight ? 1 : -1;
}

bool AnimObjectClicked(const AnimationContext* c, HWND window, int object)
{
    if (!KeyIsDown(VK_LBUTTON)) return false;
    POINT p;
    if (!CursorOverPicture(c, window, &p)) return false;
    const ObjectRuntime& o = c->objectRuntime[object];
    const int u = p.x - o.x, v = p.y - o.y;
    return u >= 0 && u < o.width && v >= 0 && v < o.height && HitTestObjectMask(c, object, u, v);
}

int HitTestObjectMask(const AnimationContext* c, int object, int x, int y)
{
    const ObjectRuntime& o = c->objectRuntime[object];
    if (o.sequence >= MAX_SEQUENCES) return 0;
    const uint8_t code = c->sequences[o.sequence].transparentColorCode;
    const SequenceRuntime& s = c->sequenceRuntime[o.sequence];
    const bool white = WhiteIsTransparent(code);
    const AnimEngine& e = g_animEngine;
    switch (TransparencyOf(code)) {
    case TRANSPARENCY_NONE:
        return 1;
    case TRANSPARENCY_TWO_COLOR: {
        HBITMAP frame = o.frame < c->sequences[o.sequence].frameCount ? s.frames[o.frame] : nullptr;
        if (!frame || !e.running) return 0;
        // Frames stay selected in the frame DC between uses (see SelectBitmapInto).
        SelectBitmapInto(e.frameDC, frame);
        const bool black = (GetPixel(e.frameDC, x, y) & 0xFFFFFF) == 0;
        return white ? black : !black;
    }
    case TRANSPARENCY_RUNTIME_MASK:
    case TRANSPARENCY_FRAME_MASKS: {
        // A mask has 1 where the frame is transparent, inverted for white.
        HBITMAP mask = TransparencyOf(code) == TRANSPARENCY_RUNTIME_MASK ? s.masks[0] : s.masks[o.frame];
        if (!mask || !e.running) return 0;
        SelectBitmapInto(e.sharedDC, mask);
        const bool set = (GetPixel(e.sharedDC, x, y) & 0xFFFFFF) != 0;
        return white ? set : !set;
    }
    }
    return 0;
}

bool StepBreaksOut(const AnimationContext* c, HWND window, uint8_t condition, uint8_t parameter, int object)
{
    // A pressed key ends the wait, also for "Key not pressed".
    if ((condition & 0x80) && KeyDownInWindow(window, parameter)) return true;
    switch (ConditionMouseCode(condition)) {
    case 1:
    case 2: return AnimButtonTest(c, window, VK_LBUTTON) == 1;
    case 3:
    case 4: return AnimButtonTest(c, window, VK_RBUTTON) == 1;
    case 5:
    case 6: return AnimObjectClicked(c, window, object);
    default: return false;  // position and counter conditions never end a wait
    }
}

bool EvaluateStepCondition(const AnimationContext* c, HWND window, StepSlot& slot, int object, bool breakOut)
{
    // Odd codes are sufficient (they add to the result), even codes necessary
    // (when they fail, the whole condition fails at once).
    const ObjectStepDisk& s = slot.step;
    uint8_t condition = s.condition;
    bool result = false;
    if (condition & 0x80) {
        const bool down = KeyDownInWindow(window, s.conditionParam);
        if (s.stepFlags & STEP_NEGATE_KEY) {
            if (!breakOut && down) return false;
            result = true;
        } else {
            result = breakOut || down;
        }
        condition &= ~0x01;  // the parameter holds the key, not a count
    }
    switch (const int m = ConditionMouseCode(condition)) {
    case 1:
    case 3:
        if (breakOut || AnimButtonTest(c, window, m == 1 ? VK_LBUTTON : VK_RBUTTON) == 1) result = true;
        break;
    case 2:
    case 4:
        if (breakOut || AnimButtonTest(c, window, m == 2 ? VK_LBUTTON : VK_RBUTTON) == 1) return false;
        result = true;
        break;
    case 5:
        if (breakOut || AnimObjectClicked(c, window, object)) result = true;
        break;
    case 6:
        if (breakOut || AnimObjectClicked(c, window, object)) return false;
        result = true;
        break;
    default:
        break;
    }
    if (const int p = ConditionPositionCode(condition)) {
        if (PositionHolds(c, s, c->objectRuntime[object], p)) result = true;
        else if (!(p & 1)) return false;
    }
    if (!(condition & 0x01)) return result;
    // The counter: the jump is taken conditionParam times, then once not.
    if (s.conditionParam == 0) return true;
    if (slot.conditionCounter >= s.conditionParam || result) {
        slot.conditionCounter = 0;
        return result;
    }
    ++slot.conditionCounter;
    return true;
}

int HitTestObject(HANIM handle, int x, int y, BOOL pixelExact)
{
    ContextLock c(handle);
    if (!c) return -1;
    for (int i = c->header.objectCount - 1; i >= 0; --i) {
        const ObjectRuntime& o = c->objectRuntime[i];
        if (o.finished) continue;
        // Strictly inside the box: x < px < x + width and y < py < y + height
        // (the click condition counts the first column and row; this does not).
        const int u = x - o.x, v = y - o.y;
        if (u <= 0 || u >= o.width || v <= 0 || v >= o.height) continue;
        if (!pixelExact || HitTestObjectMask(c.get(), i, u, v)) return i;
    }
    return -1;
}
