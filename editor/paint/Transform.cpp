// The transform of the selected area while the transform window is open
// (see AreaSelection.h and TransformGeometry.h): the quad and bend handles
// follow the mouse, and each button-up paints the kind into every selected
// frame from the copies the transform's undo group saved.
#include "AreaSelection.h"
#include "AppState.h"
#include "CanvasTools.h"
#include "FrameCanvas.h"
#include "FrameSelection.h"
#include "GdiGuards.h"
#include "PaintHost.h"
#include "PaintResources.h"
#include "PaintTools.h"
#include "Palette.h"
#include "TransformGeometry.h"
#include "Undo.h"
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

AreaSelectionState& S() { return g_areaSelection; }

int ClampTo(int value, int limit) { return std::clamp(value, 0, std::max(limit - 1, 0)); }

POINT MousePoint()
{
    return {ClampTo(g_canvasView.pointX, g_appState.frameWidth), ClampTo(g_canvasView.pointY, g_appState.frameHeight)};
}

RECT SelectionBox()
{
    RECT r;
    GetSelectionRect(&r, 0);
    return r;
}

void QuadFromRect(const RECT& r, POINT* quad)
{
    quad[0] = {r.left, r.top};
    quad[1] = {r.right, r.top};
    quad[2] = {r.right, r.bottom};
    quad[3] = {r.left, r.bottom};
}

bool QuadEqualsRect(const POINT* quad, const RECT& r)
{
    POINT q[4];
    QuadFromRect(r, q);
    for (int i = 0; i < 4; ++i)
        if (q[i].x != quad[i].x || q[i].y != quad[i].y) return false;
    return true;
}

void SetBendHandles()
{
    AreaSelectionState& s = S();
    if (s.transformKind == TRANSFORM_BEND_HORIZONTAL) {
        s.bendA = {s.quad[0].x, (s.quad[0].y + s.quad[3].y) / 2};
        s.bendB = {s.quad[1].x, s.bendA.y};
    } else if (s.transformKind == TRANSFORM_BEND_VERTICAL) {
        s.bendA = {(s.quad[0].x + s.quad[1].x) / 2, s.quad[0].y};
        s.bendB = {s.bendA.x, s.quad[3].y};
    }
}

bool IsBend(int kind) { return kind == TRANSFORM_BEND_HORIZONTAL || kind == TRANSFORM_BEND_VERTICAL; }

// The handle under the point: a corner 0..3 of the quad, or for the bends 0
// for A and 1 for B; -1 none.
int HandleUnder(POINT p)
{
    const AreaSelectionState& s = S();
    if (!IsBend(s.transformKind)) return HitHandle(s.quad, 4, p);
    const POINT bends[2] = {s.bendA, s.bendB};
    return HitHandle(bends, 2, p);
}

TransformGrab GrabOf(const AreaSelectionState& s)
{
    TransformGrab g{};
    g.kind = s.transformKind;
    g.handle = s.grabbed;
    std::copy(s.grabQuad, s.grabQuad + 4, g.quad);
    g.a = s.grabA;
    g.b = s.grabB;
    g.source = s.source;
    g.ratio = s.ratio;
    g.bothSides = s.bothSides != 0;
    return g;
}

// ---- drawing ------------------------------------------------------------------------

void RestoreView(HDC dc)
{
    if (g_appState.canvasDC && g_canvasView.viewBitmap)
        BitBlt(dc, 0, 0, g_canvasView.viewWidth, g_canvasView.viewHeight, g_appState.canvasDC, 0, 0, SRCCOPY);
}

void DrawTransformFrame(HDC dc)
{
    const AreaSelectionState& s = S();
    if (IsBend(s.transformKind)) {
        const std::vector<POINT> outline = BendOutline(s.transformKind, s.source, s.bendA);
        DrawSelectionPolyline(dc, outline.data(), static_cast<int>(outline.size()), true);
        DrawSelectionHandle(dc, s.bendA);
        DrawSelectionHandle(dc, s.bendB);
        return;
    }
    DrawSelectionPolyline(dc, s.quad, 4, true);
    for (const POINT& corner : s.quad) DrawSelectionHandle(dc, corner);
}

void ShowTransformStatus()
{
    const AreaSelectionState& s = S();
    const TransformStatus v = TransformStatusValues(s.transformKind, s.quad, s.bendA, s.source);
    ShowStatusString(IDS_TRANSFORM_STATUS_BASE + s.transformKind, v.first, v.second);
}

// ---- application ----------------------------------------------------------------------

// The frame's copy in the transform's undo group.
void RecordTransformUndo()
{
    AreaSelectionState& s = S();
    if (s.undoRecorded) return;
    RecordUndo(UNDO_BEGIN_GROUP | UNDO_SAVE_SELECTION, g_appState.currentFrame);
    for (int frame = NextSelectedFrame(-1); frame >= 0; frame = NextSelectedFrame(frame))
        if (!RecordUndo(UNDO_SAVE_FRAME, frame)) break;
    RecordUndo(UNDO_END_GROUP, g_appState.currentFrame);
    s.undoRecorded = 1;
}

void ReleaseFromWorkDcs(HBITMAP bitmap)
{
    for (HDC dc : {g_appState.memoryDC, g_appState.scratchDC})
        if (dc && bitmap && GetCurrentObject(dc, OBJ_BITMAP) == bitmap && g_appState.defaultBitmap != bitmap)
            SelectObject(dc, g_appState.defaultBitmap);
}

int ApplyTransform(WPARAM keys)
{
    AreaSelectionState& s = S();
    RecordTransformUndo();
    TransformPaint paint{};
    paint.kind = s.transformKind;
    std::copy(s.quad, s.quad + 4, paint.quad);
    paint.a = s.bendA;
    paint.source = s.source;
    paint.previousOutput = s.output;
    paint.copy = (keys & MK_CONTROL) != 0;
    int painted = 0;
    for (int frame = NextSelectedFrame(-1); frame >= 0; frame = NextSelectedFrame(frame)) {
        HBITMAP saved = FindUndoBitmap(frame), target = g_appState.frameBitmaps[frame];
        if (!saved || !target) continue;  // without its copy a frame is left alone
        ReleaseFromWorkDcs(target);
        ReleaseFromWorkDcs(saved);
        PaintTransform(target, saved, paint);
        ++painted;
    }
    s.output = TransformOutputBox(paint);
    // The selection becomes the outline's box; the outline is the area now.
    const RECT box = QuadBounds(s.quad);
    SetSelectionRect(box.left, box.top, box.right, box.bottom, SELECTION_KEEP_TRANSFORM);
    std::copy(s.quad, s.quad + 4, g_selection.selectionPoints);
    g_selection.selectionPointCount = 4;
    s.transformHasArea = 1;
    MarkSelectedFramesModified();
    if (g_paintHost.updateFilmThumbnail) g_paintHost.updateFilmThumbnail(1);
    InvalidateFrameEditor(1);
    return painted > 0 ? 1 : 0;
}

// ---- the canvas's handlers ---------------------------------------------------------------

bool TransformIsActive() { return S().transformActive != 0; }

void MouseOnto(HWND canvas, POINT frame)
{
    if (!canvas) return;
    const int zoom = std::clamp(g_appState.zoomShift, 0, 3);
    POINT p{((frame.x - g_appState.editScrollX) << zoom) + g_canvasView.cellSize / 2,
            ((frame.y - g_appState.editScrollY) << zoom) + g_canvasView.cellSize / 2};
    ClientToScreen(canvas, &p);
    SetCursorPos(p.x, p.y);
}

void TakeGrab(POINT at)
{
    AreaSelectionState& s = S();
    s.grabPoint = at;
    std::copy(s.quad, s.quad + 4, s.grabQuad);
    s.grabA = s.bendA;
    s.grabB = s.bendB;
    const int width = std::abs(s.quad[1].x - s.quad[0].x);
    s.ratio = width ? static_cast<double>(std::abs(s.quad[3].y - s.quad[0].y)) / width : 0.0;
}

int TransformButtonDown(HWND canvas, WPARAM keys)
{
    AreaSelectionState& s = S();
    const POINT p = MousePoint();
    s.grabbed = -1;
    if (s.transformKind == TRANSFORM_SELECT) {
        s.grabbed = NearestCorner(s.quad, p);
        TakeGrab(s.quad[s.grabbed]);
        s.bothSides = 0;
        ApplyTransformMove(GrabOf(s), p, keys, s.quad, &s.bendA, &s.bendB);
        return 1;
    }
    s.grabbed = HandleUnder(p);
    if (s.grabbed < 0) {
        if (keys & MK_RBUTTON) MoveAreaByMouse(canvas, keys);
        return 0;
    }
    const POINT handle = IsBend(s.transformKind) ? (s.grabbed ? s.bendB : s.bendA) : s.quad[s.grabbed];
    MouseOnto(canvas, handle);
    s.bothSides = (keys & MK_LBUTTON) && !(keys & MK_SHIFT) && !(keys & MK_RBUTTON);
    TakeGrab(handle);
    return 1;
}

void TransformMove(HWND, HDC dc, WPARAM keys, int erase)
{
    AreaSelectionState& s = S();
    if (s.grabbed < 0) return;
    ApplyTransformMove(GrabOf(s), MousePoint(), keys, s.quad, &s.bendA, &s.bendB);
    if (erase) RestoreView(dc);
    DrawTransformFrame(dc);
    ShowTransformStatus();
}

// The quad as the last application left it (or the selection).
void RestoreQuad()
{
    AreaSelectionState& s = S();
    if (s.transformHasArea && g_selection.selectionPointCount >= 4)
        std::copy(g_selection.selectionPoints, g_selection.selectionPoints + 4, s.quad);
    else
        QuadFromRect(SelectionBox(), s.quad);
    SetBendHandles();
}

int TransformButtonUp(HWND, WPARAM keys, int commit)
{
    AreaSelectionState& s = S();
    const int grabbed = s.grabbed;
    s.grabbed = -1;
    if (grabbed < 0) return 0;
    if (!commit) {
        RestoreQuad();
        InvalidateFrameEditor(0);
        return 0;
    }
    if (s.transformKind == TRANSFORM_SELECT) {
        // Kind 0 only chooses the area.
        const RECT box = QuadBounds(s.quad);
        SetSelectionRect(box.left, box.top, box.right, box.bottom, SELECTION_KEEP_TRANSFORM);
        s.source = box;
        InvalidateFrameEditor(0);
        return 0;
    }
    return ApplyTransform(keys);
}

void TransformOverlay(HDC dc) { DrawTransformFrame(dc); }

HCURSOR TransformHover(WPARAM)
{
    const AreaSelectionState& s = S();
    const int corner = HandleUnder(MousePoint());
    if (corner < 0) return nullptr;
    LPCSTR cursor = IDC_SIZEWE;
    switch (s.transformKind) {
    case TRANSFORM_SELECT:
    case TRANSFORM_STRETCH: cursor = corner == 0 || corner == 2 ? IDC_SIZENWSE : IDC_SIZENESW; break;
    case TRANSFORM_SHEAR_VERTICAL:
    case TRANSFORM_TRAPEZIUM_VERTICAL:
    case TRANSFORM_BEND_VERTICAL: cursor = IDC_SIZENS; break;
    default: break;
    }
    return LoadCursorA(nullptr, cursor);
}

void TransformCancel()
{
    RestoreQuad();
    InvalidateFrameEditor(0);
}

const SelectionTransform s_transform{TransformIsActive,
                                     {TransformButtonDown, TransformMove, TransformButtonUp, nullptr, TransformOverlay,
                                      TransformHover, nullptr, nullptr, nullptr, nullptr, nullptr, TransformCancel,
                                      nullptr}};

}  // namespace

void InstallTransformHandlers() { InstallSelectionTransform(&s_transform); }

void ResetTransformQuad()
{
    AreaSelectionState& s = S();
    const RECT r = SelectionBox();
    QuadFromRect(r, s.quad);
    s.source = r;
    s.output = {0, 0, -1, -1};
    SetBendHandles();
}

void BeginSelectionTransform()
{
    AreaSelectionState& s = S();
    s.transformActive = 1;
    s.transformHasArea = 0;
    s.undoRecorded = 0;
    s.grabbed = -1;
    ResetTransformQuad();
    if (g_appState.memoryDC) SetStretchBltMode(g_appState.memoryDC, COLORONCOLOR);
    InvalidateFrameEditor(0);
}

void SetTransformKind(int kind)
{
    AreaSelectionState& s = S();
    kind = std::clamp(kind, 0, 7);
    if (!QuadEqualsRect(s.quad, SelectionBox())) ResetTransformQuad();
    if (s.undoRecorded) {
        // The next application starts from the frames as they are now.
        s.undoRecorded = 0;
        s.source = SelectionBox();
        s.output = {0, 0, -1, -1};
        ClearFrameSelectionIfAuto();
    }
    s.transformKind = kind;
    SetBendHandles();
    if (s.transformActive) {
        ShowTransformStatus();
        InvalidateFrameEditor(0);
    }
}

void EndSelectionTransform()
{
    AreaSelectionState& s = S();
    if (!s.transformActive) return;
    s.transformActive = 0;
    s.grabbed = -1;
    if (s.transformHasArea) {
        const RECT box = QuadBounds(s.quad);
        SetSelectionRect(box.left, box.top, box.right, box.bottom, SELECTION_KEEP_TRANSFORM);
    }
    s.transformHasArea = 0;
    s.undoRecorded = 0;
    InvalidateFrameEditor(0);
}
