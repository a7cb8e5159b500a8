// Small pieces the composition dialogs share: the modified bit, file names
// without their folder, string-table texts and the step counts a block holds.
#pragma once
#include "DocumentModel.h"
#include <windows.h>

// Sets the animation's modified bit (an animation document exists while the
// composition commands are offered; none is left alone).
inline void MarkAnimationModified()
{
    if (g_document.animationState != DOC_NONE) g_document.animationState |= DOC_MODIFIED;
}

// The part of a stored path after its last folder separator.
const char* BareFileName(const char* path);
// Copies at most `room` - 1 characters and always terminates.
void CopyName(char* out, int room, const char* text);
// The number of steps of a step block that are safe to touch: the record's
// count, but never more than the block holds.
int UsableStepCount(HGLOBAL block, int stepCount);
// Message boxes with the texts of string ids (caption 1503 "Warning").
int AskWarningQuestion(HWND owner, UINT textId);

// ---- icon strips: owner-drawn buttons of 32 x 32 icons stacked -------------------

constexpr int ICON_SIZE = 32;
// Subclasses a strip button so that a press remembers which icon it hit.
void MakeIconStrip(HWND button);
// The icon row the last press hit (-1 outside the icons), while the press
// lasts or until taken; TakePressedIcon forgets it.
int PressedIcon(HWND button);
int TakePressedIcon(HWND button);
// Draws `rows` icons of column 0 of a strip bitmap and the row `highlighted`
// (-1 none) from column 1, at the item's top-left corner.
void DrawIconStrip(HDC dc, HBITMAP strip, int firstRow, int rows, int highlighted);

// The views the path and region editors scroll: both bars over an `area`
// larger than the client, with `scroll` held inside the range.
void SetScrollArea(HWND window, SIZE area, POINT* scroll);
// One scroll-bar action on the bar's coordinate of `scroll`: a line moves
// `line` pixels, a page what `page` gives for the range and the bar's page.
// Repaints; false when the bar has no range or the code is not a move.
bool ScrollBy(HWND window, POINT* scroll, int bar, int code, int line, int (*page)(int range, int barPage));
