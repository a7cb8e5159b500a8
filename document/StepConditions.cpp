#include "StepConditions.h"

namespace {

SHORT SystemKeyState(int virtualKey) { return GetKeyState(virtualKey); }
BOOL SystemCursorPos(POINT* screen) { return GetCursorPos(screen); }
HWND SystemWindowFromPoint(POINT screen) { return WindowFromPoint(screen); }
HWND SystemFocus() { return GetFocus(); }

}  // namespace

ConditionInput ConditionInputFrom(const ConditionInput* source)
{
    ConditionInput input{SystemKeyState, SystemCursorPos, SystemWindowFromPoint, SystemFocus};
    if (!source) return input;
    if (source->keyState) input.keyState = source->keyState;
    if (source->cursorPos) input.cursorPos = source->cursorPos;
    if (source->windowFromPoint) input.windowFromPoint = source->windowFromPoint;
    if (source->focus) input.focus = source->focus;
    return input;
}

bool PositionConditionHolds(int code, const ConditionPlace& p)
{
    const int W = p.pictureWidth, H = p.pictureHeight;
    switch (code) {
    case 1:
    case 2: {
        const bool visible = p.x - p.halfX > -p.width && p.x + p.halfX < W && p.y - p.halfY > -p.height && p.y + p.halfY < H;
        return code == 2 ? visible : !visible;
    }
    case 3:
    case 4: {
        const bool inside = p.x > 0 && p.x + p.width < W && p.y > 0 && p.y + p.height < H;
        return code == 4 ? inside : !inside;
    }
    case 5:
    case 6: {
        const bool centredX = p.halfX == 0 || std::abs((W - p.width) / 2 - p.x) <= p.halfX;
        const bool centredY = p.halfY == 0 || std::abs((H - p.height) / 2 - p.y) <= p.halfY;
        return code == 5 ? centredX && centredY : !(centredX && centredY);
    }
    default:
        return false;
    }
}
