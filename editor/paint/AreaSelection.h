// The selected area of the current frame as the frame operations, the
// clipboard commands and the undo list see it: its rectangle, whether a lasso
// holds it, and the lasso's mask. The lasso's nodes are g_selection's
// selectionPoints (PaintTools.h); the area bit is the shell's selection state
// word (PaintHost).
#pragma once
#include <windows.h>

// GetSelectionRect flags.
constexpr int SELECTION_RECT_SIZE = 0x01;  // right and bottom hold width and height
// SetSelectionRect flags.
constexpr int SELECTION_SET_SIZE = 0x01;    // the second pair is width and height
constexpr int SELECTION_KEEP_TRANSFORM = 0x80;

// The selection as left/top (the smaller corner) and right/bottom inclusive,
// or width/height with SELECTION_RECT_SIZE. Returns the area bit (0x10) of
// the selection state.
int GetSelectionRect(RECT* rect, int flags);
// The two corners, any order, each limited to the frame.
void SetSelectionRect(int x1, int y1, int x2, int y2, int flags);
// A lasso holds the area: the polygon tool with at least two nodes and the
// area bit set (or a transformed outline).
bool HasSelection();
// A monochrome mask of the rectangle (frame coordinates, inclusive corners
// as GetSelectionRect gives them) with the lasso polygon white on black;
// null without a lasso or when no bitmap can be made.
HBITMAP CreateLassoMask(const RECT& area);
