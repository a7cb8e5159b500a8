// The paint tools' handlers in the canvas's tool table: freehand, line,
// rectangle, ellipse, arc and pie, polygon, fill, spray can and eyedropper.
// Each shows its preview while the mouse moves and paints the finished shape
// into every selected frame, the current frame last, as one undo group.
#include "AppState.h"
#include "CanvasTools.h"
#include "DrawingTools.h"
#include "FrameCanvas.h"
#include "FrameSelection.h"
#include "GdiGuards.h"
#include "PaintDrawing.h"
#include "PaintHost.h"
#include "PaintMath.h"
#include "PaintResources.h"
#include "PaintTools.h"
#include "Palette.h"
#include "Undo.h"
#include <algorithm>
#include <cstdlib>

PaletteLink g_paletteLink{};

namespace {

constexpr UINT SPRAY_MS = 50;
constexpr WPARAM BUTTONS = MK_LBUTTON | MK_RBUTTON;

// What the tools keep between their handlers beyond SelectionState.
struct ShapeToolState {
    POINT centre;            // the ellipse's or arc's centre
    EllipseShape ellipse;    // the arc's ellipse while it waits
    int arcWaiting;          // the arc's ellipse waits for its second stage
    int arcStage;            // 2 while the second stage's drag runs
    POINT arcPress;          // where the second stage was pressed
    POINT arcStart, arcEnd;  // the radial points
    int arcSense;            // 0 undecided, 1 the mouse drags the end radial, -1 the start
    POINT lastLineEnd;       // where a Ctrl line continues
    int haveLastLine;
    int polygonRole;         // the colour role of the polygon's first press
    int (*random)();         // the spray can's source of random numbers
};
ShapeToolState g_tools{};

int Zoom() { return std::clamp(g_appState.zoomShift, 0, 3); }
POINT Pixel() { return {g_canvasView.pointX, g_canvasView.pointY}; }
POINT Anchor() { return {g_selection.x1, g_selection.y1}; }
POINT Current() { return {g_selection.x2, g_selection.y2}; }
void SetAnchor(POINT p) { g_selection.x1 = p.x, g_selection.y1 = p.y; }
void SetCurrent(POINT p) { g_selection.x2 = p.x, g_selection.y2 = p.y; }
bool Same(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }
int Role() { return std::clamp(g_canvasView.colorRole, 0, 2); }
bool Ctrl(WPARAM keys) { return keys != EDIT_FORCED_MOVE && (keys & MK_CONTROL); }
// Ctrl while filling is on: the shape is filled without its outline.
int FillOnlyFlag(WPARAM keys) { return Ctrl(keys) && g_appState.fillEnabled ? SHAPE_FILL_ONLY : 0; }

// One undo group of one step per selected frame, the current frame last.
void RecordSelectedFrames()
{
    RecordUndo(UNDO_BEGIN_GROUP, g_appState.currentFrame);
    for (int frame = NextSelectedFrame(-1); frame >= 0; frame = NextSelectedFrame(frame))
        RecordUndo(UNDO_SAVE_FRAME, frame);
    RecordUndo(UNDO_END_GROUP, g_appState.currentFrame);
}

// Copies the whole view buffer to the window (the arc's second stage redraws
// its waiting outline over it at every move).
void RestoreWholeView(HDC dc)
{
    if (HDC view = ViewBufferDc()) BitBlt(dc, 0, 0, g_canvasView.viewWidth, g_canvasView.viewHeight, view, 0, 0, SRCCOPY);
}

// ---- freehand (0) ----------------------------------------------------------------------

void DrawSegment(POINT from, POINT to, int flags, HDC window)
{
    auto shape = [&](ShapeDc& dc) { DrawLineShape(dc, from, to, flags); };
    DrawOnView(ViewBufferDc(), flags, 1, ShapeBrushOrigin(from, flags), shape,
               [&](HDC dc) { PlotLineShape(dc, from, to, flags); });
    RestoreViewArea(window, PointsBox(from, to));
    PaintSelectedFrames(flags, 1, ShapeBrushOrigin(from, flags), false, shape);
    RefreshFilm();
}

// The penWidth x penWidth block of the role's brush at a point.
void PaintDot(HWND canvas, POINT p, int role)
{
    const int w = PenWidth();
    const RECT block = {p.x - w / 2, p.y - w / 2, p.x - w / 2 + w - 1, p.y - w / 2 + w - 1};
    HBRUSH brush = GetToolBrush(role);
    if (HDC view = ViewBufferDc()) {
        HPALETTE old = g_appState.documentPalette ? SelectPalette(view, g_appState.documentPalette, TRUE) : nullptr;
        for (int y = block.top; y <= block.bottom; ++y)
            for (int x = block.left; x <= block.right; ++x) PlotCell(view, x, y, brush);
        if (old) SelectPalette(view, old, TRUE);
    }
    {
        WindowDc window(canvas);
        RestoreViewArea(window.Get(), block);
    }
    PaintSelectedFrames(role, 1, p, false, [&](ShapeDc& dc) {
        SelectObject(dc.Dc(), brush);
        PatBlt(dc.Dc(), block.left, block.top, w, w, PATCOPY);
    });
    RefreshFilm();
}

int FreehandDown(HWND canvas, WPARAM keys)
{
    // With SoftUndo, strokes of the same buttons add to the open step.
    const bool sameButtons = (keys & BUTTONS) == (g_canvasView.lastButtons & BUTTONS);
    if (!(g_canvasView.softUndoOpen && sameButtons)) RecordSelectedFrames();
    g_canvasView.softUndoOpen = (g_appState.optionFlags & OPTION_SOFT_UNDO) ? 1 : 0;
    const POINT p = Pixel();
    if (!GradatedDrawing()) PaintDot(canvas, p, Role());
    SetAnchor(p);
    SetCurrent(p);
    g_selection.continuedLine = 0;
    return 1;
}

void FreehandMove(HWND, HDC dc, WPARAM, int erase)
{
    // From WM_PAINT while auto-scrolling (erase 0) there is no preview to
    // redraw: the strokes are in the frames and the view already.
    if (!erase) return;
    const POINT from = Anchor(), to = Pixel();
    DrawSegment(from, to, Role() | (g_selection.continuedLine ? SHAPE_CONTINUED : 0), dc);
    SetAnchor(to);
    SetCurrent(to);
    g_selection.continuedLine = 1;
}

int FreehandUp(HWND, WPARAM, int)
{
    g_canvasView.previewShown = 1;
    return 1;
}

// ---- line (1) ------------------------------------------------------------------------------

int LineFlags() { return Role() | (g_selection.continuedLine ? SHAPE_CONTINUED : 0); }

void DrawLineOn(HDC dc, POINT from, POINT to, int flags)
{
    DrawOnView(dc, flags, 1, ShapeBrushOrigin(from, flags), [&](ShapeDc& s) { DrawLineShape(s, from, to, flags); },
               [&](HDC plot) { PlotLineShape(plot, from, to, flags); });
}

int LineDown(HWND canvas, WPARAM keys)
{
    if ((keys & MK_CONTROL) && g_tools.haveLastLine) {
        // The new line continues the last one; the forced move shows it at once.
        SetAnchor(g_tools.lastLineEnd);
        g_selection.continuedLine = 1;
        const int zoom = Zoom();
        PostMessageA(canvas, WM_MOUSEMOVE, EDIT_FORCED_MOVE,
                     MAKELPARAM(static_cast<WORD>(g_canvasView.cursorX << zoom), static_cast<WORD>(g_canvasView.cursorY << zoom)));
    } else {
        SetAnchor(Pixel());
        g_selection.continuedLine = 0;
    }
    SetCurrent(Anchor());
    return 1;
}

// The move of the tools drawn from the anchor to the mouse: the end (snapped
// with Ctrl) follows the mouse, the last preview goes and the new one shows.
void FollowMouse(HDC dc, WPARAM keys, int erase, int flags, POINT (*snap)(POINT, POINT),
                 void (*draw)(HDC, POINT, POINT, int))
{
    const POINT anchor = Anchor(), mouse = Pixel();
    const POINT end = Ctrl(keys) ? snap(anchor, mouse) : mouse;
    SetCurrent(end);
    if (erase) RestorePreview(dc);
    draw(dc, anchor, end, flags);
    NotePreviewArea(PointsBox(anchor, end));
}

void LineMove(HWND, HDC dc, WPARAM keys, int erase)
{
    FollowMouse(dc, keys, erase, LineFlags(), SnapLineEnd, DrawLineOn);
    const POINT anchor = Anchor();
    ShowStatusString(IDS_TOOL_STATUS_BASE + TOOL_LINE, anchor.x, anchor.y, LineLength(anchor, Pixel()));
}

int LineUp(HWND, WPARAM, int commit)
{
    const POINT from = Anchor(), to = Current();
    if (!commit || Same(from, to)) {
        InvalidateFrameEditor(0);
        return 0;
    }
    const int flags = LineFlags();
    DrawLineOn(ViewBufferDc(), from, to, flags);
    PaintSelectedFrames(flags, 1, ShapeBrushOrigin(from, flags), true,
                        [&](ShapeDc& dc) { DrawLineShape(dc, from, to, flags); });
    g_tools.lastLineEnd = to;
    g_tools.haveLastLine = 1;
    InvalidateFrameEditor(0);
    return 1;
}

// ---- rectangle (2) --------------------------------------------------------------------------

void DrawRectangleOn(HDC dc, POINT a, POINT b, int flags)
{
    DrawOnView(dc, flags, 1, ShapeBrushOrigin(a, flags), [&](ShapeDc& s) { DrawRectangleShape(s, a, b); },
               [&](HDC plot) { PlotRectangleOutlines(plot, a, b, flags); });
}

int AnchorDown(HWND, WPARAM)
{
    SetAnchor(Pixel());
    SetCurrent(Pixel());
    return 1;
}

void RectangleMove(HWND, HDC dc, WPARAM keys, int erase)
{
    FollowMouse(dc, keys, erase, Role() | FillOnlyFlag(keys), SquareCorner, DrawRectangleOn);
    const POINT anchor = Anchor(), mouse = Pixel();
    ShowStatusString(IDS_TOOL_STATUS_BASE + TOOL_RECTANGLE, std::abs(mouse.x - anchor.x) + 1,
                     std::abs(mouse.y - anchor.y) + 1);
}

int RectangleUp(HWND, WPARAM keys, int commit)
{
    const POINT a = Anchor(), b = Current();
    if (!commit || Same(a, b)) {
        InvalidateFrameEditor(0);
        return 0;
    }
    const int flags = Role() | FillOnlyFlag(keys);
    PaintSelectedFrames(flags, 1, ShapeBrushOrigin(a, flags), true, [&](ShapeDc& dc) { DrawRectangleShape(dc, a, b); });
    if (g_appState.fillEnabled) {
        InvalidateFrameEditor(1);
    } else {
        DrawRectangleOn(ViewBufferDc(), a, b, flags);
        InvalidateFrameEditor(0);
    }
    return 1;
}

// ---- ellipse (3) and arc (4) -------------------------------------------------------------------

EllipseKind ArcKind() { return g_appState.fillEnabled ? SHAPE_PIE : SHAPE_ARC; }

void DrawEllipseOn(HDC dc, const RECT& box, EllipseKind kind, POINT start, POINT end, int flags)
{
    DrawOnView(dc, flags, 2, ShapeBrushOrigin(g_tools.centre, flags),
               [&](ShapeDc& s) { DrawEllipseShape(s, box, kind, start, end); },
               [&](HDC plot) { PlotEllipseRings(plot, box, kind, start, end, flags); });
}

void PaintEllipseIntoFrames(const RECT& box, EllipseKind kind, POINT start, POINT end, int flags)
{
    PaintSelectedFrames(flags, 2, ShapeBrushOrigin(g_tools.centre, flags), true,
                        [&](ShapeDc& dc) { DrawEllipseShape(dc, box, kind, start, end); });
}

int CentreDown(HWND, WPARAM)
{
    g_tools.centre = Pixel();
    g_tools.ellipse = EllipseFor(g_tools.centre, g_tools.centre, false, g_appState.ellipseMode);  // no size yet
    SetAnchor(Pixel());
    SetCurrent(Pixel());
    return 1;
}

// The first stage of both tools: the ellipse follows the mouse.
void EllipseStageMove(HDC dc, WPARAM keys, int erase, UINT statusId)
{
    const POINT mouse = Pixel();
    SetCurrent(mouse);
    g_tools.ellipse = EllipseFor(g_tools.centre, mouse, Ctrl(keys), g_appState.ellipseMode);
    if (erase) RestorePreview(dc);
    const RECT& box = g_tools.ellipse.box;
    DrawEllipseOn(dc, box, SHAPE_ELLIPSE, {}, {}, Role() | FillOnlyFlag(keys));
    DrawCanvasCross(dc, g_tools.centre.x, g_tools.centre.y, g_appState.ellipseMode != 0);
    NotePreviewArea({box.left, box.top, box.right, box.bottom});
    ShowStatusString(statusId, g_tools.centre.x, g_tools.centre.y, std::abs(mouse.x - g_tools.centre.x),
                     std::abs(mouse.y - g_tools.centre.y));
}

void EllipseMove(HWND, HDC dc, WPARAM keys, int erase)
{
    EllipseStageMove(dc, keys, erase, IDS_TOOL_STATUS_BASE + TOOL_ELLIPSE);
}

int EllipseUp(HWND, WPARAM keys, int commit)
{
    if (!commit || !EllipseHasSize(g_tools.ellipse)) {
        InvalidateFrameEditor(0);
        return 0;
    }
    PaintEllipseIntoFrames(g_tools.ellipse.box, SHAPE_ELLIPSE, {}, {}, Role() | FillOnlyFlag(keys));
    InvalidateFrameEditor(1);
    return 1;
}

// The waiting ellipse's outline, inverted so that drawing it twice removes it.
void DrawArcOutline(HDC dc)
{
    if (!g_tools.arcWaiting) return;
    const int zoom = Zoom();
    const RECT& box = g_tools.ellipse.box;
    PALETTEENTRY last{};
    const int size = g_appState.toolColors.paletteSize;
    if (g_appState.documentPalette && size > 0) GetPaletteEntries(g_appState.documentPalette, size - 1, 1, &last);
    const COLORREF color = size > 0 ? RGB(last.peRed, last.peGreen, last.peBlue) : RGB(255, 255, 255);
    HPEN pen = zoom ? CreatePen(PS_INSIDEFRAME, std::max(g_canvasView.cellSize, 1), color) : CreatePen(PS_DOT, 1, color);
    const int saved = SaveDC(dc);
    SetROP2(dc, R2_XORPEN);
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, pen);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    const int sx = g_appState.editScrollX, sy = g_appState.editScrollY;
    Ellipse(dc, (box.left - sx) << zoom, (box.top - sy) << zoom, (box.right - sx) << zoom, (box.bottom - sy) << zoom);
    RestoreDC(dc, saved);
    DeleteObject(pen);
}

void DropArc()
{
    g_tools.arcWaiting = 0;
    g_tools.arcStage = 0;
}

int ArcDown(HWND canvas, WPARAM keys)
{
    if (!g_tools.arcWaiting) {
        g_tools.arcStage = 1;
        return CentreDown(canvas, keys);
    }
    g_tools.arcStage = 2;
    g_tools.arcPress = g_tools.arcStart = g_tools.arcEnd = Pixel();
    g_tools.arcSense = 0;
    ShowStatusString(IDS_STATUS_DRAW_ARCH, g_tools.arcStart.x, g_tools.arcStart.y, g_tools.arcEnd.x, g_tools.arcEnd.y);
    return 1;
}

void ArcMove(HWND, HDC dc, WPARAM keys, int)
{
    if (g_tools.arcStage != 2) {
        EllipseStageMove(dc, keys, 1, IDS_TOOL_STATUS_BASE + TOOL_ARC);
        return;
    }
    const POINT mouse = Pixel();
    if (g_tools.arcSense == 0) g_tools.arcSense = ArcSense(g_tools.centre, g_tools.arcPress, mouse);
    if (g_tools.arcSense == 0) return;  // no movement round the centre yet
    // GDI runs counterclockwise from the start radial to the end radial, so
    // the arc covers the way the mouse went.
    if (g_tools.arcSense > 0)
        g_tools.arcEnd = mouse;
    else
        g_tools.arcStart = mouse;
    RestoreWholeView(dc);
    DrawArcOutline(dc);
    DrawEllipseOn(dc, g_tools.ellipse.box, ArcKind(), g_tools.arcStart, g_tools.arcEnd, Role() | FillOnlyFlag(keys));
    DrawCanvasCross(dc, g_tools.centre.x, g_tools.centre.y, g_appState.ellipseMode != 0);
    ShowStatusString(IDS_STATUS_DRAW_ARCH, g_tools.arcStart.x, g_tools.arcStart.y, g_tools.arcEnd.x, g_tools.arcEnd.y);
}

int ArcUp(HWND, WPARAM keys, int commit)
{
    const int stage = g_tools.arcStage;
    g_tools.arcStage = 0;
    if (!commit) {
        DropArc();
        InvalidateFrameEditor(0);
        return 0;
    }
    if (stage == 1) {
        // The ellipse waits for the arc's radials; a degenerate one ends the tool.
        g_tools.arcWaiting = EllipseHasSize(g_tools.ellipse) ? 1 : 0;
        g_tools.arcStart = g_tools.arcEnd = Pixel();
        InvalidateFrameEditor(0);
        return 0;
    }
    const POINT start = g_tools.arcStart, end = g_tools.arcEnd;
    const RECT box = g_tools.ellipse.box;
    DropArc();
    if (Same(start, end)) {
        InvalidateFrameEditor(0);
        return 0;
    }
    const int flags = Role() | FillOnlyFlag(keys);
    PaintEllipseIntoFrames(box, (flags & SHAPE_FILL_ONLY) ? SHAPE_PIE : ArcKind(), start, end, flags);
    InvalidateFrameEditor(1);
    return 1;
}

void ArcOverlay(HDC dc) { DrawArcOutline(dc); }

bool ArcKeptPoint(POINT* point)
{
    if (!g_tools.arcWaiting) return false;
    *point = g_tools.centre;
    return true;
}

void ArcLeave(int) { DropArc(); }

void ArcCancel()
{
    if (!g_tools.arcWaiting) return;
    DropArc();
    g_canvasView.repaintOnMove = 1;
}

// ---- polygon (5) ---------------------------------------------------------------------------

POINT* Nodes() { return g_selection.selectionPoints; }
int& NodeCount() { return g_selection.selectionPointCount; }

// Edge i of the polygon in progress: the first without the continued-line flag.
int EdgeFlags(int i) { return g_tools.polygonRole | (i > 0 ? SHAPE_CONTINUED : 0); }

int PolygonDown(HWND canvas, WPARAM keys)
{
    POINT p = Pixel();
    int& count = NodeCount();
    if (count <= 0) {
        Nodes()[0] = p;
        count = 1;
        g_tools.polygonRole = Role();
        SetAnchor(p);
        SetCurrent(p);
        ShowStatusString(IDS_TOOL_STATUS_BASE + TOOL_POLYGON, count);
        return 1;
    }
    if ((keys & BUTTONS) != (g_canvasView.lastButtons & BUTTONS)) {
        // Another button combination closes the polygon at node 0.
        p = Nodes()[0];
        g_canvasView.pointX = p.x;
        g_canvasView.pointY = p.y;
    }
    g_canvasView.colorRole = g_tools.polygonRole;
    SetAnchor(Nodes()[count - 1]);
    SetCurrent(p);
    if (Same(p, Nodes()[0])) {
        PostMessageA(canvas, WM_LBUTTONUP, 0, 0);
    } else {
        WindowDc window(canvas);
        DrawLineOn(window.Get(), Anchor(), p, EdgeFlags(count - 1));
        NotePreviewArea(PointsBox(Anchor(), p));
    }
    return 1;
}

void PolygonMove(HWND, HDC dc, WPARAM, int erase)
{
    const POINT p = Pixel();
    SetCurrent(p);
    if (erase) RestorePreview(dc);
    DrawLineOn(dc, Anchor(), p, EdgeFlags(NodeCount() - 1));
    NotePreviewArea(PointsBox(Anchor(), p));
}

void FinishPolygon(WPARAM keys)
{
    const int count = NodeCount();
    const int flags = g_tools.polygonRole | FillOnlyFlag(keys);
    const POINT* nodes = Nodes();
    PaintSelectedFrames(flags, 1, ShapeBrushOrigin(nodes[0], flags), true,
                        [&](ShapeDc& dc) { DrawPolygonShape(dc, nodes, count); });
    NodeCount() = 0;
    InvalidateFrameEditor(1);
    if (g_paintHost.setSelectionState) g_paintHost.setSelectionState(0);
}

int PolygonUp(HWND canvas, WPARAM keys, int commit)
{
    int& count = NodeCount();
    if (!commit) {
        count = 0;
        InvalidateFrameEditor(1);
        return 0;
    }
    const POINT p = Current();
    if (PolygonFinishes(Nodes(), count, p)) {
        FinishPolygon(keys);
        return 1;
    }
    if (!Same(p, Nodes()[count - 1])) {
        Nodes()[count] = p;
        ++count;
        DrawLineOn(ViewBufferDc(), Nodes()[count - 2], p, EdgeFlags(count - 2));
        SetAnchor(p);
        InvalidateFrameEditor(0);
    }
    ShowStatusString(IDS_TOOL_STATUS_BASE + TOOL_POLYGON, count);
    (void)canvas;
    return 0;
}

// The polygon in progress over a freshly rendered part of the view.
void PolygonRenderOver(HDC viewDc, const RECT&)
{
    const int count = NodeCount();
    for (int i = 0; i + 1 < count; ++i) DrawLineOn(viewDc, Nodes()[i], Nodes()[i + 1], EdgeFlags(i));
}

// ---- fill (6) -------------------------------------------------------------------------------

int FillDown(HWND, WPARAM keys)
{
    FillSelectedFrames(Pixel(), Role(), g_appState.fillPatternOn, (keys & MK_CONTROL) != 0);
    return 0;
}

// ---- spray can (7) ---------------------------------------------------------------------------

int SprayDown(HWND canvas, WPARAM)
{
    RecordSelectedFrames();
    SetTimer(canvas, SPRAY_TIMER, SPRAY_MS, nullptr);
    MarkSelectedFramesModified();
    return 1;
}

int SprayUp(HWND canvas, WPARAM, int)
{
    KillTimer(canvas, SPRAY_TIMER);
    return 1;
}

HBRUSH SprayBrush(int n, int depth)
{
    if (!GradatedDrawing() || depth >= n) return GetToolBrush(Role());
    const int i = n - 1 - depth;
    return i < g_canvasView.gradatedBrushCount && g_canvasView.gradatedBrushes[i] ? g_canvasView.gradatedBrushes[i]
                                                                                    : GetToolBrush(Role());
}

void SprayTimer(HWND canvas)
{
    const int n = PenWidth(), zoom = Zoom();
    const int x = g_canvasView.cursorX, y = g_canvasView.cursorY;
    // The burst is painted only while it reaches into the view.
    if (x < -n || x >= (g_canvasView.viewWidth >> zoom) - n || y < -n || y >= (g_canvasView.viewHeight >> zoom) - n)
        return;
    SprayDot dots[MAX_PEN_WIDTH + 2];
    const int count = SprayBurst(n, g_tools.random ? g_tools.random : rand, dots);
    const POINT at = Pixel();
    if (HDC view = ViewBufferDc()) {
        HPALETTE old = g_appState.documentPalette ? SelectPalette(view, g_appState.documentPalette, TRUE) : nullptr;
        for (int i = 0; i < count; ++i) PlotCell(view, at.x + dots[i].dx, at.y + dots[i].dy, SprayBrush(n, dots[i].depth));
        if (old) SelectPalette(view, old, TRUE);
    }
    const RECT area = {at.x - n, at.y - n, at.x + n, at.y + n};
    {
        WindowDc window(canvas);
        RestoreViewArea(window.Get(), area);
    }
    PaintSelectedFrames(Role(), 1, at, false, [&](ShapeDc& dc) {
        for (int i = 0; i < count; ++i) {
            SelectObject(dc.Dc(), SprayBrush(n, dots[i].depth));
            PatBlt(dc.Dc(), at.x + dots[i].dx, at.y + dots[i].dy, 1, 1, PATCOPY);
        }
    });
    RefreshFilm();
}

// ---- eyedropper (9) --------------------------------------------------------------------------

// The current frame's colour at the point becomes the role's colour; the
// palette index, or -1 outside the frame.
int PickColor()
{
    const POINT p = Pixel();
    const int frame = g_appState.currentFrame;
    if (frame < 0 || frame >= g_appState.frameCount || frame >= MAX_FRAME_BITMAPS || !g_appState.frameBitmaps[frame] ||
        p.x < 0 || p.y < 0 || p.x >= g_appState.frameWidth || p.y >= g_appState.frameHeight || !g_appState.memoryDC)
        return -1;
    COLORREF color;
    {
        SelectedObject bitmap(g_appState.memoryDC, g_appState.frameBitmaps[frame]);
        color = GetPixel(g_appState.memoryDC, p.x, p.y);
    }
    const int index = ColorToPaletteIndex(color);
    if (g_paletteLink.addColorToCells) {
        g_paletteLink.addColorToCells(index, Role());
    } else {
        SetToolColorIndex(Role(), index);
        if (HWND canvas = g_appState.frameEditorWindow) {
            const ToolColors& c = g_appState.toolColors;
            SendMessageA(canvas, EDIT_COLORS_CHANGED, static_cast<WPARAM>(c.penColorIndex),
                         MAKELPARAM(static_cast<WORD>(c.transparentColorIndex), static_cast<WORD>(c.fillColorIndex)));
        }
    }
    return index;
}

int EyedropperDown(HWND canvas, WPARAM keys)
{
    if (g_paletteLink.setPickHighlight) g_paletteLink.setPickHighlight(1);
    const int index = PickColor();
    if (keys & MK_CONTROL) {
        // Ctrl drags the picked colour from the palette window instead.
        PostMessageA(canvas, WM_LBUTTONUP, 0, 0);
        if (index >= 0 && g_appState.paletteWindow)
            PostMessageA(g_appState.paletteWindow, PALETTE_BEGIN_DRAG, static_cast<WPARAM>(index), 0);
    }
    return 1;
}

void EyedropperMove(HWND, HDC, WPARAM, int erase)
{
    if (erase) PickColor();
}

int EyedropperUp(HWND, WPARAM, int)
{
    if (g_paletteLink.setPickHighlight) g_paletteLink.setPickHighlight(0);
    if (g_appState.paletteWindow) InvalidateRect(g_appState.paletteWindow, nullptr, FALSE);
    return 0;
}

}  // namespace

void SetSprayRandomSource(int (*random)()) { g_tools.random = random; }

void InstallDrawingTools()
{
    static const struct {
        int tool;
        PaintTool handlers;
    } tools[] = {
        {TOOL_FREEHAND, {.buttonDown = FreehandDown, .move = FreehandMove, .buttonUp = FreehandUp}},
        {TOOL_LINE, {.buttonDown = LineDown, .move = LineMove, .buttonUp = LineUp}},
        {TOOL_RECTANGLE, {.buttonDown = AnchorDown, .move = RectangleMove, .buttonUp = RectangleUp}},
        {TOOL_ELLIPSE, {.buttonDown = CentreDown, .move = EllipseMove, .buttonUp = EllipseUp}},
        {TOOL_ARC,
         {.buttonDown = ArcDown, .move = ArcMove, .buttonUp = ArcUp, .paintOverlay = ArcOverlay,
          .keptPoint = ArcKeptPoint, .leave = ArcLeave, .cancel = ArcCancel}},
        {TOOL_POLYGON,
         {.buttonDown = PolygonDown, .move = PolygonMove, .buttonUp = PolygonUp, .renderOver = PolygonRenderOver}},
        {TOOL_FILL, {.buttonDown = FillDown}},
        {TOOL_SPRAY, {.buttonDown = SprayDown, .buttonUp = SprayUp, .timer = SprayTimer}},
        {TOOL_EYEDROPPER, {.buttonDown = EyedropperDown, .move = EyedropperMove, .buttonUp = EyedropperUp}},
    };
    for (const auto& entry : tools) InstallPaintTool(entry.tool, entry.handlers);
}
