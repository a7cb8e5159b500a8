// The arithmetic of the area transforms, apart from the canvas: how the quad
// and bend handles follow a drag, the rows of the ellipse bend, and the
// painting of one frame from its saved copy.
#pragma once
#include <windows.h>
#include <vector>

// What a drag started from.
struct TransformGrab {
    int kind;           // TransformKind
    int handle;         // corner 0..3 (top left, top right, bottom right, bottom left); bends: 0 A, 1 B
    POINT quad[4];      // the quad at the grab
    POINT a, b;         // the bend handles at the grab
    RECT source;        // the area the transform works on, inclusive
    double ratio;       // height / width at the grab (0: none)
    bool bothSides;     // the opposite edge moves the other way
};

// The corner nearest to the point (straight-line distance).
int NearestCorner(const POINT* quad, POINT p);
// The quad and bend handles with the grabbed handle at `p` (keys: MK_CONTROL
// keeps the ratio for kinds 0 and 1). Every row or column of a trapezium and
// every bent row or column keeps at least one pixel.
void ApplyTransformMove(const TransformGrab& grab, POINT p, WPARAM keys, POINT* quad, POINT* a, POINT* b);
RECT QuadBounds(const POINT* quad);

struct TransformStatus {
    int first, second;
};
// The two numbers of the kind's status text.
TransformStatus TransformStatusValues(int kind, const POINT* quad, POINT a, const RECT& source);

// The ellipse bend: for each distance y (0..h) from the middle row (kind 6)
// or column (kind 7), how many pixels the row grows on each side (negative:
// shrinks); `depth` signed, `half` the half height (width).
std::vector<int> BendOffsets(int depth, int half);
// The outline of the bent area for the preview, clockwise.
std::vector<POINT> BendOutline(int kind, const RECT& source, POINT a);

struct TransformPaint {
    int kind;
    POINT quad[4];
    POINT a;              // bend handle A
    RECT source;          // inclusive
    RECT previousOutput;  // inclusive; right < left: none
    bool copy;            // Ctrl: the source area keeps its picture
};
// The box (inclusive) the kind paints.
RECT TransformOutputBox(const TransformPaint& paint);
// Paints the kind into `target` from `saved` (the frame as it was when the
// transform began): the previous output restored, the source emptied to the
// transparent colour unless copying, then the transformed area.
void PaintTransform(HBITMAP target, HBITMAP saved, const TransformPaint& paint);
