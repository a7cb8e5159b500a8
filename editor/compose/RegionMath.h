// The arithmetic of the foreground region editor.
#pragma once
#include <windows.h>

// Corner codes of a region's rectangle, as the resize states name them.
constexpr int CORNER_LEFT_TOP = 3;
constexpr int CORNER_RIGHT_TOP = 6;
constexpr int CORNER_RIGHT_BOTTOM = 12;
constexpr int CORNER_LEFT_BOTTOM = 9;

// Tests the corners left-top, right-top, right-bottom, left-bottom in this
// order: a point closer than `distance` on both axes moves onto that corner
// (a later match wins) and its code is returned; else 0 and the point stays.
int SnapToRectCorner(POINT* point, const RECT& rect, int distance);
