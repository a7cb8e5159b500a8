// The drawing routines the paint tools share: the device-context set-up for
// frames and previews, the shape routines (line, rectangle, ellipse, arc and
// pie, polygon) in frame coordinates, their enlarged forms plotted as cells
// for the zoomed view, and the loops that paint into the selected frames or
// show a preview on the canvas.
#pragma once
#include <windows.h>
#include <functional>

// The shape flag word every shape routine takes.
constexpr int SHAPE_ROLE_MASK = 0x03;  // colour role of the outline: 0 pen, 1 fill, 2 transparent
constexpr int SHAPE_CONTINUED = 0x10;  // a continued line: the start of a thick line is not extended
constexpr int SHAPE_FILL_ONLY = 0x20;  // drawn filled and without outline

// Gradated pens and brushes are used while gradated lines are on and the pen
// is wider than one pixel.
bool GradatedDrawing();
int PenWidth();  // penWidth kept within 1..12

// A device context set up for the shape routines: background colour = fill
// colour and text colour = pen colour (the monochrome patterns take them),
// background mode transparent when a fill pattern meets the transparent
// colour, the document palette, the area brush (null when filling is off,
// the pattern when one is on), the brush origin, a one-pixel solid pen in the
// outline role's colour, and the gradated pens. Everything is put back when
// it goes out of scope.
class ShapeDc {
public:
    // gradatedPenWidth: 2 for ellipses and arcs, 1 otherwise. brushOrigin is in
    // frame coordinates. `preview`: the DC shows the view at 1:1, so frame
    // coordinates are moved by the scroll offsets.
    ShapeDc(HDC dc, int flags, int gradatedPenWidth, POINT brushOrigin, bool preview);
    ~ShapeDc();
    ShapeDc(const ShapeDc&) = delete;
    ShapeDc& operator=(const ShapeDc&) = delete;

    HDC Dc() const { return dc_; }
    int Flags() const { return flags_; }
    COLORREF RoleColor() const { return roleColor_; }
    HPEN RolePen() const { return rolePen_; }
    // Pen i of the gradated table (0 the pen colour .. n - 1 next to the fill
    // colour), or the role pen when gradated drawing is off.
    HPEN PenAt(int i) const;
    bool Gradated() const { return penCount_ > 0; }

private:
    HDC dc_;
    int saved_;
    int flags_;
    COLORREF roleColor_;
    HPEN rolePen_;
    HPEN pens_[12]{};
    int penCount_ = 0;
};

// The brush origin of a shape anchored at `anchor`: half the pen further in,
// or the anchor itself for fill-only shapes.
POINT ShapeBrushOrigin(POINT anchor, int flags);

// ---- shape routines (frame coordinates) -----------------------------------------

// One line segment: width 1 with its end pixel; wider lines as parallel lines
// (PaintMath's PlanThickLine) clipped to their box.
void DrawLineShape(ShapeDc& dc, POINT from, POINT to, int flags);
// w nested outlines from the corners grown by w / 2, then the fill inside them.
void DrawRectangleShape(ShapeDc& dc, POINT corner1, POINT corner2);
enum EllipseKind { SHAPE_ELLIPSE, SHAPE_ARC, SHAPE_PIE };
// Rings from the inside out (the first with the area brush), then the
// outermost once more with the one-pixel pen. Arc and pie run from the start
// radial counterclockwise to the end radial.
void DrawEllipseShape(ShapeDc& dc, const RECT& box, EllipseKind kind, POINT start, POINT end);
// Width 1: one Polygon call; wider: the fill, then every edge (the closing
// one drawn from the last node back to node 0, never stored).
void DrawPolygonShape(ShapeDc& dc, const POINT* nodes, int count);

// ---- enlarged plotting (zoom 2, 4, 8) ---------------------------------------------

// Frame points as cells of cellSize in the view, with the role's brush or the
// canvas's gradated brushes.
void PlotLineShape(HDC dc, POINT from, POINT to, int flags);
void PlotRectangleOutlines(HDC dc, POINT corner1, POINT corner2, int flags);
// Rings of the enlarged shape with pens one cell wide, not filled.
void PlotEllipseRings(HDC dc, const RECT& box, EllipseKind kind, POINT start, POINT end, int flags);
// A cell in view coordinates of a frame point, with a brush.
void PlotCell(HDC dc, int x, int y, HBRUSH brush);

// ---- frames, view and preview ---------------------------------------------------------

using ShapeRoutine = std::function<void(ShapeDc&)>;
using PlotRoutine = std::function<void(HDC)>;

// Runs the shape routine on every frame of the frame selection, the current
// frame last; with `recordUndo` as one undo group of one step per frame.
void PaintSelectedFrames(int flags, int gradatedPenWidth, POINT brushOrigin, bool recordUndo,
                         const ShapeRoutine& shape);
// Draws a shape on a DC that shows the view (the view buffer or the canvas
// window): at 1:1 the shape routine, zoomed the enlarged one.
void DrawOnView(HDC dc, int flags, int gradatedPenWidth, POINT brushOrigin, const ShapeRoutine& shape,
                const PlotRoutine& plot);
// The view buffer as a device context (null when there is none).
HDC ViewBufferDc();
// Copies the view area of a frame rectangle (grown by the pen width) from the
// view buffer to the window: the previous preview disappears.
void RestoreViewArea(HDC windowDc, const RECT& frameArea);
// The last preview's frame area (SelectionState::dirty) restored, and the
// next one noted.
void RestorePreview(HDC windowDc);
void NotePreviewArea(const RECT& frameArea);
// A rectangle (right and bottom inclusive points) holding both points.
RECT PointsBox(POINT a, POINT b);
// The frames changed outside a drag's end: the film and the frames' marks.
void RefreshFilm();
