// The drawing routines the paint tools share (see PaintDrawing.h).
#include "PaintDrawing.h"
#include "AppState.h"
#include "FrameCanvas.h"
#include "FrameSelection.h"
#include "GdiGuards.h"
#include "PaintHost.h"
#include "PaintMath.h"
#include "PaintTools.h"
#include "Palette.h"
#include "Undo.h"
#include <algorithm>

namespace {

int Zoom() { return std::clamp(g_appState.zoomShift, 0, 3); }

int RoleOf(int flags) { return std::min(flags & SHAPE_ROLE_MASK, 2); }

COLORREF RgbOfIndex(int index) { return PaletteIndexToRgb(PALETTEINDEX(index)) & 0xFFFFFF; }

HGDIOBJ NullPen() { return GetStockObject(NULL_PEN); }
HGDIOBJ NullBrush() { return GetStockObject(NULL_BRUSH); }

// The view's screen position of a frame coordinate.
int ViewX(int x) { return (x - g_appState.editScrollX) << Zoom(); }
int ViewY(int y) { return (y - g_appState.editScrollY) << Zoom(); }

// Plots frame points as cells; LineDDA hands it every point of a line.
struct CellPlotter {
    HDC dc;
    RECT clip;  // right and bottom exclusive
    bool clipped;

    void Point(int x, int y) const
    {
        if (clipped && (x < clip.left || x >= clip.right || y < clip.top || y >= clip.bottom)) return;
        const int vx = ViewX(x), vy = ViewY(y);
        const int cell = std::max(g_canvasView.cellSize, 1);
        if (vx + cell <= 0 || vy + cell <= 0 || vx >= g_canvasView.viewWidth || vy >= g_canvasView.viewHeight) return;
        PatBlt(dc, vx, vy, cell, cell, PATCOPY);
    }
    void Line(POINT a, POINT b) const;
};

void CALLBACK PlotDdaPoint(int x, int y, LPARAM plotter) { reinterpret_cast<const CellPlotter*>(plotter)->Point(x, y); }

void CellPlotter::Line(POINT a, POINT b) const
{
    LineDDA(a.x, a.y, b.x, b.y, PlotDdaPoint, reinterpret_cast<LPARAM>(this));
}

// The brush of gradated step i, or the role's brush.
HBRUSH PlotBrush(int flags, int i)
{
    if (GradatedDrawing() && i >= 0 && i < g_canvasView.gradatedBrushCount && g_canvasView.gradatedBrushes[i])
        return g_canvasView.gradatedBrushes[i];
    return GetToolBrush(RoleOf(flags));
}

// Selects the document palette for the scope (PALETTEINDEX colours and the
// tool brushes refer to it).
class DocumentPaletteIn {
public:
    explicit DocumentPaletteIn(HDC dc)
        : dc_(dc), old_(g_appState.documentPalette ? SelectPalette(dc, g_appState.documentPalette, TRUE) : nullptr)
    {
    }
    ~DocumentPaletteIn()
    {
        if (old_) SelectPalette(dc_, old_, TRUE);
    }
    DocumentPaletteIn(const DocumentPaletteIn&) = delete;
    DocumentPaletteIn& operator=(const DocumentPaletteIn&) = delete;
private:
    HDC dc_;
    HPALETTE old_;
};

using EllipseCall = BOOL (*)(HDC, const RECT&, POINT, POINT);

BOOL CallEllipse(HDC dc, const RECT& r, POINT, POINT) { return Ellipse(dc, r.left, r.top, r.right, r.bottom); }
BOOL CallArc(HDC dc, const RECT& r, POINT s, POINT e) { return Arc(dc, r.left, r.top, r.right, r.bottom, s.x, s.y, e.x, e.y); }
BOOL CallPie(HDC dc, const RECT& r, POINT s, POINT e) { return Pie(dc, r.left, r.top, r.right, r.bottom, s.x, s.y, e.x, e.y); }

EllipseCall CallFor(EllipseKind kind)
{
    switch (kind) {
    case SHAPE_ARC: return CallArc;
    case SHAPE_PIE: return CallPie;
    default: return CallEllipse;
    }
}

RECT Grown(const RECT& r, int by) { return {r.left - by, r.top - by, r.right + by, r.bottom + by}; }

}  // namespace

bool GradatedDrawing() { return g_appState.gradatedLines && g_appState.penWidth > 1; }

int PenWidth() { return std::clamp(g_appState.penWidth, 1, MAX_PEN_WIDTH); }

// ---- the set-up ---------------------------------------------------------------------------

ShapeDc::ShapeDc(HDC dc, int flags, int gradatedPenWidth, POINT brushOrigin, bool preview)
    : dc_(dc), saved_(SaveDC(dc)), flags_(flags), roleColor_(GetToolColor(RoleOf(flags)))
{
    if (g_appState.documentPalette) SelectPalette(dc, g_appState.documentPalette, TRUE);
    SetBkColor(dc, GetToolColor(ROLE_FILL));
    SetTextColor(dc, GetToolColor(ROLE_PEN));
    const bool transparentPattern = g_appState.fillPatternOn && g_appState.toolColors.transparentColorOn;
    SetBkMode(dc, transparentPattern ? TRANSPARENT : OPAQUE);
    SelectObject(dc, GetToolBrush(ROLE_AREA_FILL));
    int ox = brushOrigin.x, oy = brushOrigin.y;
    if (preview) {
        // The view at 1:1: frame coordinates less the scroll offsets, and the
        // pattern lined up with the frame's.
        SetViewportOrgEx(dc, -g_appState.editScrollX, -g_appState.editScrollY, nullptr);
        ox -= g_appState.editScrollX;
        oy -= g_appState.editScrollY;
    }
    SetBrushOrgEx(dc, ox, oy, nullptr);
    rolePen_ = CreatePen(PS_SOLID, 1, roleColor_);
    SelectObject(dc, rolePen_);
    if (GradatedDrawing()) {
        const int n = PenWidth();
        COLORREF colors[MAX_PEN_WIDTH];
        GradatedColors(RgbOfIndex(g_appState.toolColors.penColorIndex), RgbOfIndex(g_appState.toolColors.fillColorIndex),
                       n, colors);
        const int style = gradatedPenWidth < 2 ? PS_SOLID : PS_INSIDEFRAME;
        for (int i = 0; i < n; ++i) pens_[i] = CreatePen(style, gradatedPenWidth, colors[i]);
        penCount_ = n;
    }
}

ShapeDc::~ShapeDc()
{
    RestoreDC(dc_, saved_);
    DeleteObject(rolePen_);
    for (int i = 0; i < penCount_; ++i) DeleteObject(pens_[i]);
}

HPEN ShapeDc::PenAt(int i) const
{
    if (penCount_ == 0) return rolePen_;
    return pens_[std::clamp(i, 0, penCount_ - 1)];
}

POINT ShapeBrushOrigin(POINT anchor, int flags)
{
    if (flags & SHAPE_FILL_ONLY) return anchor;
    const int half = (PenWidth() + 1) / 2;
    return {anchor.x + half, anchor.y + half};
}

// ---- shape routines ------------------------------------------------------------------------

void DrawLineShape(ShapeDc& s, POINT from, POINT to, int flags)
{
    HDC dc = s.Dc();
    const int w = PenWidth();
    if (w <= 1) {
        SelectObject(dc, s.RolePen());
        MoveToEx(dc, from.x, from.y, nullptr);
        LineTo(dc, to.x, to.y);
        SetPixelV(dc, to.x, to.y, s.RoleColor());  // LineTo leaves the end pixel out
        return;
    }
    ThickLine plan;
    PlanThickLine(from, to, w, (flags & SHAPE_CONTINUED) && s.Gradated(), &plan);
    if (plan.count == 0) return;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, plan.clip.left, plan.clip.top, plan.clip.right, plan.clip.bottom);
    for (int i = 0; i < plan.count; ++i) {
        const LineStroke& stroke = plan.strokes[i];
        SelectObject(dc, s.PenAt(stroke.pen));
        MoveToEx(dc, stroke.from.x, stroke.from.y, nullptr);
        LineTo(dc, stroke.to.x, stroke.to.y);
    }
    RestoreDC(dc, saved);
}

void DrawRectangleShape(ShapeDc& s, POINT a, POINT b)
{
    HDC dc = s.Dc();
    const int w = PenWidth(), e = w / 2;
    RECT box = {std::min(a.x, b.x) - e, std::min(a.y, b.y) - e, std::max(a.x, b.x) + e, std::max(a.y, b.y) + e};
    if (!(s.Flags() & SHAPE_FILL_ONLY)) {
        for (int i = 0; i < w; ++i) {
            SelectObject(dc, s.PenAt(i));
            MoveToEx(dc, box.left + i, box.top + i, nullptr);
            LineTo(dc, box.right - i, box.top + i);
            LineTo(dc, box.right - i, box.bottom - i);
            LineTo(dc, box.left + i, box.bottom - i);
            LineTo(dc, box.left + i, box.top + i);
        }
        box = {box.left + w, box.top + w, box.right - w, box.bottom - w};
    }
    if (!g_appState.fillEnabled) return;
    // A null pen leaves the right and bottom edges out: + 2 reaches the
    // innermost outline.
    SelectObject(dc, NullPen());
    Rectangle(dc, box.left, box.top, box.right + 2, box.bottom + 2);
}

void DrawEllipseShape(ShapeDc& s, const RECT& box, EllipseKind kind, POINT start, POINT end)
{
    HDC dc = s.Dc();
    const int w = PenWidth();
    const HGDIOBJ areaBrush = GetToolBrush(ROLE_AREA_FILL);
    if (s.Flags() & SHAPE_FILL_ONLY) {
        SelectObject(dc, NullPen());
        SelectObject(dc, areaBrush);
        CallFor(kind == SHAPE_ELLIPSE ? SHAPE_ELLIPSE : SHAPE_PIE)(dc, Grown(box, 1), start, end);
        return;
    }
    const EllipseCall call = CallFor(kind);
    HPEN outline = nullptr;
    if (!s.Gradated() && w >= 2) outline = CreatePen(PS_INSIDEFRAME, 2, s.RoleColor());
    const int first = 1 - w / 2, last = (w + 1) / 2 - 1;
    for (int i = first; i <= last; ++i) {
        SelectObject(dc, s.Gradated() ? s.PenAt(w - 1 - (i - first)) : outline ? static_cast<HGDIOBJ>(outline) : NullPen());
        SelectObject(dc, i == first ? areaBrush : NullBrush());
        call(dc, Grown(box, i), start, end);
    }
    const bool ringDrawn = last >= first;
    SelectObject(dc, s.RolePen());
    SelectObject(dc, ringDrawn ? NullBrush() : areaBrush);  // width 1: this one call also fills
    call(dc, Grown(box, ringDrawn ? last : 0), start, end);
    SelectObject(dc, s.RolePen());
    if (outline) DeleteObject(outline);
}

void DrawPolygonShape(ShapeDc& s, const POINT* nodes, int count)
{
    if (count < 2) return;
    HDC dc = s.Dc();
    const int flags = s.Flags();
    if (flags & SHAPE_FILL_ONLY) {
        SelectObject(dc, NullPen());
        Polygon(dc, nodes, count);
        return;
    }
    if (PenWidth() == 1) {
        SelectObject(dc, s.RolePen());
        Polygon(dc, nodes, count);
        return;
    }
    if (g_appState.fillEnabled) {
        SelectObject(dc, NullPen());
        Polygon(dc, nodes, count);
    }
    // The closing edge runs from the last node back to node 0 without being
    // stored: the node list holds 128 points and may be full.
    const int edges = count == 2 ? 1 : count;
    for (int i = 0; i < edges; ++i)
        DrawLineShape(s, nodes[i], nodes[(i + 1) % count], flags | (i > 0 ? SHAPE_CONTINUED : 0));
}

// ---- enlarged plotting ------------------------------------------------------------------------

void PlotCell(HDC dc, int x, int y, HBRUSH brush)
{
    SelectedObject selected(dc, brush);
    CellPlotter{dc, {}, false}.Point(x, y);
}

void PlotLineShape(HDC dc, POINT from, POINT to, int flags)
{
    DocumentPaletteIn palette(dc);
    const int w = PenWidth();
    if (w <= 1) {
        SelectedObject brush(dc, PlotBrush(flags, -1));
        const CellPlotter plot{dc, {}, false};
        plot.Line(from, to);
        plot.Point(to.x, to.y);
        return;
    }
    ThickLine plan;
    PlanThickLine(from, to, w, (flags & SHAPE_CONTINUED) && GradatedDrawing(), &plan);
    const CellPlotter plot{dc, plan.clip, true};
    for (int i = 0; i < plan.count; ++i) {
        SelectedObject brush(dc, PlotBrush(flags, plan.strokes[i].pen));
        plot.Line(plan.strokes[i].from, plan.strokes[i].to);
    }
}

void PlotRectangleOutlines(HDC dc, POINT a, POINT b, int flags)
{
    DocumentPaletteIn palette(dc);
    const int w = PenWidth(), e = w / 2;
    const RECT box = {std::min(a.x, b.x) - e, std::min(a.y, b.y) - e, std::max(a.x, b.x) + e, std::max(a.y, b.y) + e};
    const CellPlotter plot{dc, {}, false};
    for (int i = 0; i < w; ++i) {
        SelectedObject brush(dc, PlotBrush(flags, i));
        const POINT corners[] = {{box.left + i, box.top + i}, {box.right - i, box.top + i},
                                 {box.right - i, box.bottom - i}, {box.left + i, box.bottom - i}};
        for (int c = 0; c < 4; ++c) plot.Line(corners[c], corners[(c + 1) % 4]);
    }
}

void PlotEllipseRings(HDC dc, const RECT& box, EllipseKind kind, POINT start, POINT end, int flags)
{
    DocumentPaletteIn palette(dc);
    const int w = PenWidth(), factor = 1 << Zoom();
    const int cell = std::max(g_canvasView.cellSize, 1);
    const RECT view = {ViewX(box.left), ViewY(box.top), ViewX(box.right), ViewY(box.bottom)};
    const POINT s = {ViewX(start.x), ViewY(start.y)}, e = {ViewX(end.x), ViewY(end.y)};
    COLORREF colors[MAX_PEN_WIDTH];
    const bool gradated = GradatedDrawing();
    if (gradated)
        GradatedColors(RgbOfIndex(g_appState.toolColors.penColorIndex), RgbOfIndex(g_appState.toolColors.fillColorIndex), w,
                       colors);
    const EllipseCall call = CallFor(kind);
    SelectedObject brush(dc, NullBrush());
    const int first = -(w / 2), last = (w + 1) / 2 - 1;
    for (int k = first; k <= last; ++k) {
        const COLORREF color = gradated ? colors[w - 1 - (k - first)] : GetToolColor(RoleOf(flags));
        HPEN pen = CreatePen(PS_INSIDEFRAME, cell, color);
        {
            SelectedObject selected(dc, pen);
            call(dc, Grown(view, k * factor), s, e);
        }
        DeleteObject(pen);
    }
}

// ---- frames, view and preview -----------------------------------------------------------------

void PaintSelectedFrames(int flags, int gradatedPenWidth, POINT brushOrigin, bool recordUndo, const ShapeRoutine& shape)
{
    HDC dc = g_appState.memoryDC;
    if (!dc) return;
    if (recordUndo) RecordUndo(UNDO_BEGIN_GROUP, g_appState.currentFrame);
    {
        ShapeDc set(dc, flags, gradatedPenWidth, brushOrigin, false);
        for (int frame = NextSelectedFrame(-1); frame >= 0; frame = NextSelectedFrame(frame)) {
            if (frame >= MAX_FRAME_BITMAPS || !g_appState.frameBitmaps[frame]) continue;
            if (recordUndo) RecordUndo(UNDO_SAVE_FRAME, frame);
            SelectedObject bitmap(dc, g_appState.frameBitmaps[frame]);
            shape(set);
        }
    }
    if (recordUndo) RecordUndo(UNDO_END_GROUP, g_appState.currentFrame);
    GdiFlush();
}

void DrawOnView(HDC dc, int flags, int gradatedPenWidth, POINT brushOrigin, const ShapeRoutine& shape,
                const PlotRoutine& plot)
{
    if (!dc) return;
    if (Zoom() == 0) {
        ShapeDc set(dc, flags, gradatedPenWidth, brushOrigin, true);
        shape(set);
    } else {
        plot(dc);
    }
    g_canvasView.previewShown = 1;
}

HDC ViewBufferDc() { return g_canvasView.viewBitmap ? g_appState.canvasDC : nullptr; }

void RestoreViewArea(HDC windowDc, const RECT& frameArea)
{
    HDC view = ViewBufferDc();
    if (!view || !windowDc) return;
    const RECT r = Grown(frameArea, PenWidth() + 2);
    const int x = std::max(ViewX(r.left), 0), y = std::max(ViewY(r.top), 0);
    const int right = std::min(ViewX(r.right + 1), g_canvasView.viewWidth);
    const int bottom = std::min(ViewY(r.bottom + 1), g_canvasView.viewHeight);
    if (right > x && bottom > y) BitBlt(windowDc, x, y, right - x, bottom - y, view, x, y, SRCCOPY);
}

void RestorePreview(HDC windowDc) { RestoreViewArea(windowDc, g_selection.dirty); }

void NotePreviewArea(const RECT& frameArea) { g_selection.dirty = frameArea; }

RECT PointsBox(POINT a, POINT b)
{
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

void RefreshFilm()
{
    if (g_paintHost.updateFilmThumbnail) g_paintHost.updateFilmThumbnail(HasFrameSelection());
}
