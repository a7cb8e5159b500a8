// What the conditions of an object's step list mean wherever the steps play,
// in the editor's test run as in the players' engine: the input they read
// (keys, the pointer, the window under it and the focus, a seam that tests
// fill with their own answers), the parts of the condition byte and the rule
// of the position conditions.
#pragma once
#include <windows.h>
#include <cstdint>
#include <cstdlib>

struct ConditionInput {
    SHORT (*keyState)(int virtualKey);
    BOOL (*cursorPos)(POINT* screen);
    HWND (*windowFromPoint)(POINT screen);
    HWND (*focus)();
};
// The system's answers, with the non-null members of `source` in their place
// (a null source: the system's alone).
ConditionInput ConditionInputFrom(const ConditionInput* source);

// The condition byte: the key bit, the mouse code (bits 1-3), the position
// code (bits 4-6) and the counter bit.
constexpr uint8_t CONDITION_KEY = 0x80;
constexpr uint8_t CONDITION_COUNTER = 0x01;
inline int ConditionMouseCode(uint8_t condition) { return (condition >> 1) & 7; }
inline int ConditionPositionCode(uint8_t condition) { return (condition >> 4) & 7; }

// The margin of the position conditions: half a relative move, rounded up;
// none for an absolute one.
inline int HalfMove(int move, bool absolute) { return absolute ? 0 : (std::abs(move) + 1) / 2; }

// An object's box in the picture and the margins of the step's move.
struct ConditionPlace {
    int x, y, width, height;
    int pictureWidth, pictureHeight;
    int halfX, halfY;
};
// Position codes 1 "invisible", 2 "visible", 3 "at border", 4 "not at
// border", 5 "in the centre", 6 "not in the centre": whether the code holds.
// Within half a move of leaving the picture an object counts as gone, within
// half a move of the centred place as centred (an axis without a move counts
// as centred). Other codes never hold.
bool PositionConditionHolds(int code, const ConditionPlace& place);
