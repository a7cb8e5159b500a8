// The table through which the paint tools, the text tool and the area
// selection plug into the frame canvas, and the shape state they share with
// it (SelectionState). The canvas owns the mouse protocol; each tool owns what
// its handlers do.
//
// Contract of a PaintTool entry (every member may be null: the canvas then
// does nothing for that step, or what the member's comment says):
//
// Before any handler runs the canvas has set, in g_canvasView:
//   cursorX, cursorY  the pixel under the mouse in view coordinates (client
//                     point >> zoomShift, negative towards zero, so a point
//                     left of or above the window is negative);
//   pointX, pointY    the same pixel in frame coordinates (+ scroll offsets);
//   colorRole         (button-down only) 2 with Shift, else 1 for the right
//                     button, else 0;
// and for buttonDown: loaded statusFormat (string 100 + tool, shown already
// when it takes no arguments), cleared ignoreNextButtonUp and framePickMode,
// and set g_selection.dirty to the point. lastButtons is set to the key
// state after buttonDown returns.
//
// The drag: buttonDown returns 1 to capture the mouse; the canvas then calls
// `move` for every new pixel (window DC, erase 1: restore the previous
// preview from the view buffer first) and, while auto-scrolling, again from
// WM_PAINT with the paint DC and erase 0 (the view scrolled under the
// preview). The drag ends with buttonUp: commit 1 for a button-up, 0 for a
// cancel (Esc, the second mouse button, EDIT_CANCEL). buttonUp returns 1 when
// frames changed; the canvas then repaints the film (the thumbnail, or the
// whole film when other frames are selected), sets the modified bits of the
// selected frames and, for tools 0 to 8, refreshes the status text. A tool
// that paints without a drag (fill) does its own refresh in buttonDown.
//
// The tool's moves see the key state in `keys`, or EDIT_FORCED_MOVE for the
// forced move (the canvas handles it even on an unchanged pixel).
//
// The canvas also asks the current tool:
//   timer        timer 100 fired (the spray can starts and kills it);
//   paintOverlay WM_PAINT without a drag: draw what stays on the view (the
//                arc's waiting ellipse, the text cross, the selection outline
//                and handles, the lasso); a tool without it has the
//                selection state cleared;
//   hoverCursor  the cursor for a mouse move without a drag (null: the
//                arrow; tool 32 without the member shows moveCursor);
//   keptPoint    the frame point a zoom change keeps in the middle (the arc's
//                centre while it waits, the text position while the dialog
//                is open, the selection's centre, the last lasso node), and
//                for tool 8 with its dialog open the point the arrow keys
//                move; false: none;
//   viewPicture  a bitmap of the frame's size and format shown in place of
//                the current frame (the text tool's preview), or null;
//   refreshPicture render viewPicture again (rereadColor: the pen colour
//                changed); from InvalidateFrameEditor(1) and EDIT_COLORS_CHANGED;
//   renderOver   after the canvas rendered a strip of the view buffer from the
//                frame: draw over it what is not in the frame yet (the
//                polygon in progress, at least two nodes);
//   leave        the tool is left for another (after the canvas's own step:
//                a polygon in progress re-rendered away, the text dialog
//                cancelled); drop what waits (the arc's ellipse);
//   cancel       CancelToolOperation without an area selected: drop the
//                tool's half-made shape (the arc's second stage);
// and every tool at the canvas's WM_DESTROY:
//   release      free what the tool keeps (text tool, paste bitmaps).
//
// The selection transform (while the transform tool window is open) is
// installed apart: while its `isActive` says so, its buttonDown/move/buttonUp
// take the canvas's clicks before the current tool (not for tool 32; its
// buttonDown also tries the right-button move of the selection when it
// declines), its paintOverlay draws the transform frame, and its cancel
// rebuilds the transform window on Esc.
#pragma once
#include "FrameCanvas.h"
#include <windows.h>

struct PaintTool {
    int (*buttonDown)(HWND canvas, WPARAM keys);
    void (*move)(HWND canvas, HDC dc, WPARAM keys, int erase);
    int (*buttonUp)(HWND canvas, WPARAM keys, int commit);
    void (*timer)(HWND canvas);
    void (*paintOverlay)(HDC dc);
    HCURSOR (*hoverCursor)(WPARAM keys);
    bool (*keptPoint)(POINT* framePoint);
    HBITMAP (*viewPicture)();
    void (*refreshPicture)(int rereadColor);
    void (*renderOver)(HDC viewDC, const RECT& strip);
    void (*leave)(int newTool);
    void (*cancel)();
    void (*release)();
};

// The entry of a tool (0..11, 32); any other number gets an empty entry.
const PaintTool& PaintToolFor(int tool);
// Puts a tool's handlers into the table; returns the entry it replaces.
// The paint tools, the text tool and the selection install theirs from
// InstallPaintTools, which the canvas calls when it is created.
PaintTool InstallPaintTool(int tool, const PaintTool& handlers);
void InstallPaintTools();

struct SelectionTransform {
    bool (*isActive)();
    PaintTool handlers;
};
// Null or a transform whose isActive is null counts as never active.
void InstallSelectionTransform(const SelectionTransform* transform);
bool IsTransformActive();
const PaintTool& TransformHandlers();

// ---- the shape state the tools and the canvas share ---------------------------------

constexpr int MAX_SELECTION_POINTS = 128;
constexpr int AREA_SELECTED = 0x10;  // selection state bit: an area is selected

struct SelectionState {
    int x1, y1;          // anchor of the running shape, frame pixels
    int x2, y2;          // its current point
    RECT dirty;          // the frame area of the last preview
    int continuedLine;   // the next segment continues a line (shape flag 0x10)
    POINT selectionPoints[MAX_SELECTION_POINTS];  // polygon and lasso nodes
    int selectionPointCount;
    int selectionOutlineShown;  // the selection's handles are drawn
};

extern SelectionState g_selection;
