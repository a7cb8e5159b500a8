// The frame canvas's arithmetic as plain functions: pixels from mouse
// positions, scroll steps and clamps, the wheel, auto-scroll distances, the
// view size and layout, the cell size and the keyboard pixel cursor.
#pragma once
#include <windows.h>

// A client coordinate shifted right by the zoom; negative values are rounded
// towards zero (-(-v >> zoom)), so a point left of the window stays negative.
int PixelFromClient(int client, int zoomShift);
// Both coordinates from the signed words of a mouse message's lParam.
POINT PixelFromLParam(LPARAM lParam, int zoomShift);

// A third of the visible extent in frame pixels, at least 8.
int ScrollStep(int viewExtent, int zoomShift);
// The scroll of a scroll-bar code: line -1/+1, page -step/+step, thumb
// position or track: to `thumb`, top to 0, bottom to `maximum`; other codes 0.
int ScrollBarDelta(int code, int thumb, int position, int maximum, int step);
// The delta that keeps offset + delta within 0..maximum.
int ClampScrollDelta(int offset, int delta, int maximum);
// Wheel notches of a delta: whole multiples of 120 give delta / 120; a finer
// wheel's smaller turns add up in *remainder (kept between calls, dropped when
// the direction turns) until they make a notch.
int WheelSteps(int delta, int* remainder);

// The auto-scroll step (frame pixels) for a mouse position outside the view:
// right of (below) it min((pos - extent) / 16 + 1, 8), left of (above) it
// -(min(-pos / 12, 11) + 1); 0 inside.
int AutoScrollDistance(int client, int viewExtent);

// A requested view-buffer extent: below 65 raised to 64, then limited to 8 x
// the frame's extent (when a frame size is known).
int ClampViewSize(int requested, int frameExtent);

struct CanvasLayout {
    int viewWidth, viewHeight;    // the visible area in screen pixels
    int maxScrollX, maxScrollY;   // the largest scroll offsets
    int pageX, pageY;             // scroll-bar pages: buffer >> zoom
    bool hBarShown, vBarShown;    // the page is smaller than the frame
};
CanvasLayout ComputeCanvasLayout(int bufferWidth, int bufferHeight, int frameWidth, int frameHeight, int zoomShift);

// The screen size of an enlarged pixel: the zoom factor, less 1 above zoom 2
// while the grid is shown.
int CellSizeFor(int zoomShift, int showGrid);

// The keyboard pixel cursor along one axis: the new client position and the
// scroll (-1, 0, +1 frame pixel) for an arrow towards `direction` (-1, +1),
// c = the zoom factor, `extent` the visible extent. The position is then put
// in the middle of its enlarged pixel.
struct KeyCursorMove {
    int position;
    int scroll;
};
KeyCursorMove KeyCursorStep(int position, int direction, int factor, int extent);
int CellMiddle(int position, int factor);
