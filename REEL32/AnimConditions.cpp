// The conditions of an object's steps: keys, mouse buttons, clicks on the
// object, its place in the picture and the per-step counters; and the pixel
// test that serves both the click condition and the player control's hit test.
#include "AnimationContext.h"
#include <cstdlib>

namespace {

SHORT SystemKeyState(int virtualKey) { return GetKeyState(virtualKey); }
BOOL SystemCursorPos(POINT* screen) { return GetCursorPos(screen); }
HWND SystemWindowFromPoint(POINT screen) { return WindowFromPoint(screen); }
HWND SystemFocus() { return GetFocus(); }

const AnimInputSource kSystemInput{SystemKeyState, SystemCursorPos, SystemWindowFromPoint, SystemFocus};
AnimInputSource g_input = kSystemInput;

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

int MouseCode(uint8_t condition) { return (condition >> 1) & 7; }
int PositionCode(uint8_t condition) { return (condition >> 4) & 7; }

// The position condition p as a value: 1 holds, 0 does not. Half of a
// relative move of the step is the margin: an object within half a move of
// leaving the picture counts as gone, and one within half a move of the
// centred place counts as centred.
int PositionHolds(const AnimationContext* c, const ObjectStepDisk& s, const ObjectRuntime& o, int p)
{
    const int W = c->pictureWidth, H = c->pictureHeight;
    const int x = o.x, y = o.y, w = o.width, h = o.height;
    const int hx = (s.stepFlags & STEP_X_ABSOLUTE) ? 0 : (abs(s.x) + 1) / 2;
    const int hy = (s.stepFlags & STEP_Y_ABSOLUTE) ? 0 : (abs(s.y) + 1) / 2;
    int v = p & 1;
    switch (p) {
    case 1:  // invisible
    case 2:  // visible
        if (-w < x - hx && x + hx < W && -h < y - hy && y + hy < H) v ^= 1;
        break;
    case 3:  // at border
    case 4:  // not at border
        if (x > 0 && x + w < W && y > 0 && y + h < H) v ^= 1;
        break;
    case 5:  // in the centre
    case 6: {  // not in the centre
        const bool nearX = hx == 0 || hx >= abs((W - w) / 2 - x);
        const bool nearY = hy == 0 || hy >= abs((H - h) / 2 - y);
        v = p == 5 ? 0 : 1;
        if (nearX && nearY) v ^= 1;
        break;
    }
    default:  // 7 always holds, 0 never
        break;
    }
    return v;
}

}  // namespace

void SetAnimInputSource(const AnimInputSource* source)
{
    g_input = kSystemInput;
    if (!source) return;
    if (source->keyState) g_input.keyState = source->keyState;
    if (source->cursorPos) g_input.cursorPos = source->cursorPos;
    if (source->windowFromPoint) g_input.windowFromPoint = source->windowFromPoint;
    if (source->focus) g_input.focus = source->focus;
}

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
    switch (MouseCode(condition)) {
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
    switch (const int m = MouseCode(condition)) {
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
    if (const int p = PositionCode(condition)) {
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
