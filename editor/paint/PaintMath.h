// The paint tools' arithmetic as plain functions: Ctrl snapping, line length,
// squares and ellipse boxes, the plan of a thick line, polygon closing, the
// sense of an arc and the spray can's dots.
#pragma once
#include <windows.h>

constexpr int MAX_PEN_WIDTH = 12;

// Ctrl on a line: diagonal when v = (u + t) / 4 lies below both u = |dx| and
// t = |dy| (both components (u + t) / 2 towards the mouse), else horizontal
// when t < u, else vertical.
POINT SnapLineEnd(POINT anchor, POINT mouse);
// sqrt((|dx| + 1)^2 + (|dy| + 1)^2), truncated.
int LineLength(POINT anchor, POINT mouse);
// Ctrl on a rectangle: both sides (|dx| + |dy|) / 2 towards the mouse.
POINT SquareCorner(POINT anchor, POINT mouse);

// The box of an ellipse round `centre` through the mouse: radii |dx|, |dy|
// (with `circle` both their mean), right and bottom one further in centre
// mode 1 (the centre in the middle of its pixel).
struct EllipseShape {
    int rh, rv;  // the radii as shown in the status text
    RECT box;
};
EllipseShape EllipseFor(POINT centre, POINT mouse, bool circle, int centreMode);
// False for the press point itself (both radii 0) and for a box without
// width or height.
bool EllipseHasSize(const EllipseShape& shape);

// A line wider than one pixel as `width` parallel one-pixel lines, each drawn
// twice (the second one pixel further along the main axis so that diagonals
// leave no gaps), extended at both ends and clipped to `clip` (right and
// bottom exclusive) for square ends. `pen` is the gradated pen of the stroke.
struct LineStroke {
    POINT from, to;
    int pen;
};
struct ThickLine {
    RECT clip;
    int count;
    LineStroke strokes[2 * MAX_PEN_WIDTH];
};
// Nothing (count 0) for a line without length. `keepStart`: the start is not
// extended (a continued line with gradated pens).
void PlanThickLine(POINT from, POINT to, int width, bool keepStart, ThickLine* plan);

// A polygon release finishes it: at least two nodes and the point within one
// pixel of node 0, or more than 127 nodes.
bool PolygonFinishes(const POINT* nodes, int count, POINT release);

// The sense of an arc from the press point and the point the mouse moved to:
// 1 when the mouse went counterclockwise round the centre as seen on the
// screen (it drags the end radial), -1 clockwise (it drags the start
// radial), 0 while no movement round the centre decides.
int ArcSense(POINT centre, POINT press, POINT now);

// The spray can with pen width n: a kept dot (h, m), each 0..n+1, lies in the
// square patch with its corners cut off: d <= h + m <= f and |h - m| <= e.
struct SprayRule {
    int d, e, f;
};
SprayRule SprayRuleFor(int n);
bool SprayKeeps(int n, int h, int m);
// How many nested patches (d + t <= h + m <= f - t, |h - m| <= e - t for
// t = 1, 2, ...) hold the dot, counted up to n.
int SprayDepth(int n, int h, int m);
// r: a dot lies at (h - r, m - r) from the pixel under the mouse.
int SprayOffset(int n);
struct SprayDot {
    int dx, dy, depth;
};
// One burst: at most n + 2 dots from at most n x n attempts, each drawing h
// and m as random() % (n + 2). Returns the number of dots.
int SprayBurst(int n, int (*random)(), SprayDot* dots);
