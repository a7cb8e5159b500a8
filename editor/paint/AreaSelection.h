// The selected area of the current frame: its rectangle, the lasso that may
// hold it (g_selection's selectionPoints, PaintTools.h), the floating area a
// paste places, and the transform of the area while the transform window is
// open. The area bit is the shell's selection state word (PaintHost).
#pragma once
#include <windows.h>
#include "Clipboard.h"
#include "PaintTools.h"

// GetSelectionRect flags.
constexpr int SELECTION_RECT_SIZE = 0x01;  // right and bottom hold width and height
// SetSelectionRect flags.
constexpr int SELECTION_SET_SIZE = 0x01;    // the second pair is width and height
constexpr int SELECTION_KEEP_TRANSFORM = 0x80;

// The transform kinds (the transform window's buttons).
enum TransformKind : int {
    TRANSFORM_SELECT = 0,
    TRANSFORM_STRETCH = 1,
    TRANSFORM_SHEAR_HORIZONTAL = 2,
    TRANSFORM_SHEAR_VERTICAL = 3,
    TRANSFORM_TRAPEZIUM_HORIZONTAL = 4,
    TRANSFORM_TRAPEZIUM_VERTICAL = 5,
    TRANSFORM_BEND_HORIZONTAL = 6,
    TRANSFORM_BEND_VERTICAL = 7,
};

// The selection's own state beside g_selection (one instance).
struct AreaSelectionState {
    int x1, y1, x2, y2;  // the rectangle's two corners, any order, inside the frame
    int grabbedHandle;   // 1..4 a corner, a lasso node index, -1 a new rectangle
    int placingNode;     // the lasso node being dragged was just placed

    // ---- the floating area (tool 32) ----
    ClipboardImage pasteImage;  // its picture and mask, read at its first click
    int pastePlaced;            // pasteX, pasteY hold its top left
    int pasteX, pasteY;
    int grabX, grabY;           // the grab point inside the area
    int pasteFromCut;           // a cut made it: a cancel undoes the cut
    POINT lassoPoints[MAX_SELECTION_POINTS];  // the lasso it came from
    int lassoCount, lassoLeft, lassoTop, lassoWidth, lassoHeight;

    // ---- the transform ----
    int transformActive;   // the transform window is open
    int transformHasArea;  // the lasso points hold the transformed outline
    int transformKind;     // TransformKind
    POINT quad[4];         // top left, top right, bottom right, bottom left
    POINT bendA, bendB;    // the bend handles of kinds 6 and 7
    int grabbed;           // the corner or bend handle held (0..3, 0 A, 1 B), -1 none
    RECT source;           // the area when the transform began, inclusive
    RECT output;           // the box the last application painted, inclusive; empty: none
    double ratio;          // height / width at the grab
    int bothSides;
    int undoRecorded;      // the transform's undo group holds the frames' copies
    POINT grabPoint;       // where the drag started
    POINT grabQuad[4];     // the quad and bend handles at the grab
    POINT grabA, grabB;
};
extern AreaSelectionState g_areaSelection;

// The selection as left/top (the smaller corner) and right/bottom inclusive,
// or width/height with SELECTION_RECT_SIZE. Returns the area bit (0x10) of
// the selection state.
int GetSelectionRect(RECT* rect, int flags);
// The two corners, any order, each limited to the frame; an open transform
// takes the new rectangle unless SELECTION_KEEP_TRANSFORM.
void SetSelectionRect(int x1, int y1, int x2, int y2, int flags);
// A lasso holds the area: the transformed outline, or the polygon tool with
// at least two nodes and the area bit set.
bool HasSelection();
// A monochrome mask of the rectangle (frame coordinates, inclusive corners
// as GetSelectionRect gives them) with the lasso polygon white on black;
// null without a lasso or when no bitmap can be made.
HBITMAP CreateLassoMask(const RECT& area);
// Frees the floating area's picture and mask.
void FreePasteBitmaps();
// Command 205: the clipboard image floats as tool 32 until it is placed,
// grabbed at its middle. 0 without an image.
int PasteAreaCommand();
// The move-by-mouse rule: a button-down inside the area with a key of
// moveKeys cuts (Ctrl: copies) the area, pastes it as a floating area where
// it stood and sends the button-down again. True when it did.
bool MoveAreaByMouse(HWND canvas, WPARAM keys);
// Puts tools 10, 11 and 32 into the canvas's table.
void InstallSelectionTools();

// ---- drawing shared by the selection and the transform ----------------------------

// A polyline through the middles of frame pixels, XOR in the last palette
// entry's colour (drawing it twice removes it); closed back to the first
// point when it has more than two.
void DrawSelectionPolyline(HDC dc, const POINT* frame, int count, bool closed);
// A handle's square in view pixels: 5, 7, 9, 11 wide by zoom, starting 2,
// 2, 3, 2 pixels before the point's view position.
int SelectionHandleSize(int zoomShift);
int SelectionHandleOffset(int zoomShift);
RECT SelectionHandleRect(POINT frame);
void DrawSelectionHandle(HDC dc, POINT frame);
// The point lies within 3 - zoomShift frame pixels of the handle.
bool HandleHit(POINT handle, POINT p);
// The first of the handles the point hits, or -1.
int HitHandle(const POINT* handles, int count, POINT p);
// The points' bounding box, inclusive; none: right < left.
RECT PointBounds(const POINT* points, int count);

// ---- the transform ---------------------------------------------------------------------

// The transform window opened, chose a kind (0..7), closed.
void BeginSelectionTransform();
void SetTransformKind(int kind);
void EndSelectionTransform();
// The quad from the selection rectangle again.
void ResetTransformQuad();
// The transform's handlers for the canvas (installed with the tools).
void InstallTransformHandlers();
