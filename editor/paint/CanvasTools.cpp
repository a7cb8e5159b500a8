// The canvas's side of the tools: the handler table, the change of tool, the
// cancel of a running tool, the tools' status texts, the gradated brushes,
// the cross and the canvas cursor.
#include "AppState.h"
#include "AreaSelection.h"
#include "CanvasTools.h"
#include "DrawingTools.h"
#include "FrameCanvas.h"
#include "GdiGuards.h"
#include "PaintHost.h"
#include "PaintResources.h"
#include "PaintTools.h"
#include "Palette.h"
#include "TextTool.h"
#include "ViewRender.h"
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <iterator>

PaintHost g_paintHost{};
SelectionState g_selection{};

namespace {

constexpr int TOOL_SLOTS = PAINT_TOOL_COUNT + 1;  // tools 0..11 and 32
PaintTool g_tools[TOOL_SLOTS]{};
const PaintTool g_noTool{};
const SelectionTransform* g_transform = nullptr;

int SlotOf(int tool)
{
    if (tool >= 0 && tool < PAINT_TOOL_COUNT) return tool;
    return tool == TOOL_PLACE_AREA ? PAINT_TOOL_COUNT : -1;
}

HINSTANCE ResourceModule()
{
    return g_appState.instanceHandle ? g_appState.instanceHandle : GetModuleHandleA(nullptr);
}

void ClearSelectionStateAndPoints()
{
    if (g_paintHost.setSelectionState) g_paintHost.setSelectionState(0);
    g_selection.selectionPointCount = 0;
}

bool AreaSelected() { return g_paintHost.testSelectionState && g_paintHost.testSelectionState(AREA_SELECTED); }

void UpdateMenus()
{
    if (g_paintHost.updateMenuStates) g_paintHost.updateMenuStates();
}

bool MouseOverCanvas()
{
    HWND canvas = g_appState.frameEditorWindow;
    POINT p;
    if (!canvas || !GetCursorPos(&p)) return false;
    HWND under = WindowFromPoint(p);
    return under == canvas || (under && IsChild(canvas, under));
}

// The canvas's own step when a tool is left, by that tool.
void LeaveTool(int previous, int newTool)
{
    switch (previous) {
    case TOOL_POLYGON:
        // The unfinished polygon lives only in the view: render it away.
        InvalidateFrameEditor(g_selection.selectionPointCount > 0 ? 1 : 0);
        break;
    case TOOL_TEXT:
        if (g_appState.textToolDialog) SendMessageA(g_appState.textToolDialog, WM_COMMAND, IDCANCEL, 0);
        InvalidateFrameEditor(0);
        break;
    case TOOL_PLACE_AREA:
        if (g_canvasView.previewShown) InvalidateFrameEditor(0);
        g_appState.previousTool = previous;
        break;
    default:
        InvalidateFrameEditor(0);
        break;
    }
    const PaintTool& tool = PaintToolFor(previous);
    if (tool.leave) tool.leave(newTool);
}

}  // namespace

bool IsPaintTool(int tool) { return SlotOf(tool) >= 0; }

const PaintTool& PaintToolFor(int tool)
{
    const int slot = SlotOf(tool);
    return slot >= 0 ? g_tools[slot] : g_noTool;
}

PaintTool InstallPaintTool(int tool, const PaintTool& handlers)
{
    const int slot = SlotOf(tool);
    if (slot < 0) return PaintTool{};
    const PaintTool previous = g_tools[slot];
    g_tools[slot] = handlers;
    return previous;
}

void InstallPaintTools()
{
    InstallDrawingTools();
    InstallTextTool();
    InstallSelectionTools();
    // The transform's handlers stay idle until the transform window opens.
    InstallTransformHandlers();
}

void InstallSelectionTransform(const SelectionTransform* transform) { g_transform = transform; }

bool IsTransformActive() { return g_transform && g_transform->isActive && g_transform->isActive(); }

const PaintTool& TransformHandlers() { return g_transform ? g_transform->handlers : g_noTool; }

// ---- change of tool and cancel ------------------------------------------------------

void SelectCanvasTool(int newTool, int previous, bool chosenAgain)
{
    LeaveTool(previous, newTool);
    switch (newTool) {
    case TOOL_EYEDROPPER:
        if (chosenAgain) {
            // The eyedropper chosen again goes back to the tool it was taken up from.
            const int back = IsPaintTool(g_appState.toolBeforePick) && g_appState.toolBeforePick != TOOL_EYEDROPPER
                                 ? g_appState.toolBeforePick
                                 : TOOL_FREEHAND;
            SelectPaintToolOf(back);
            return;
        }
        g_appState.toolBeforePick = previous;
        break;
    case TOOL_SELECT_REGION:
        break;  // the selection stays
    case TOOL_SELECT_POLYGON:
        if (AreaSelected())
            ShowSelectionOutline(1);
        else if (g_paintHost.setSelectionState)
            g_paintHost.setSelectionState(0);
        break;
    default:
        ClearSelectionStateAndPoints();
        break;
    }
    UpdateMenus();
    SetEditorRepaintFlags(0);
    if (newTool != TOOL_PLACE_AREA) g_appState.previousTool = newTool;
    g_canvasView.softUndoOpen = 0;
}

int SelectPaintToolOf(int tool)
{
    return g_paintHost.selectPaintTool ? g_paintHost.selectPaintTool(tool) : StoreAndSendPaintTool(tool);
}

int StoreAndSendPaintTool(int tool)
{
    const int previous = g_appState.currentTool;
    g_appState.currentTool = tool;
    if (g_appState.frameEditorWindow)
        SendMessageA(g_appState.frameEditorWindow, EDIT_SELECT_TOOL, static_cast<WPARAM>(tool),
                     MAKELPARAM(previous, tool == previous ? 1 : 0));
    return previous;
}

void CancelToolOperation()
{
    const int tool = g_appState.currentTool;
    if (tool == TOOL_EYEDROPPER) {
        SelectPaintToolOf(TOOL_EYEDROPPER);  // chosen again: back to the tool before
        return;
    }
    if (tool == TOOL_PLACE_AREA) SelectPaintToolOf(IsPaintTool(g_appState.previousTool) ? g_appState.previousTool : TOOL_FREEHAND);
    if (IsTransformActive()) {
        const PaintTool& transform = TransformHandlers();
        if (transform.cancel) transform.cancel();
    } else if (AreaSelected()) {
        // A shown outline is cleared; a hidden one is shown again.
        if (g_selection.selectionOutlineShown) {
            if (g_paintHost.setSelectionState) g_paintHost.setSelectionState(0);
            ShowSelectionOutline(0);
        } else {
            ShowSelectionOutline(1);
        }
        InvalidateFrameEditor(0);
        ShowStatusString(IDS_STATUS_SELECT_REGION, 0, 0);
    } else {
        if (g_appState.currentTool == TOOL_POLYGON) InvalidateFrameEditor(1);
        const PaintTool& current = PaintToolFor(g_appState.currentTool);
        if (current.cancel) current.cancel();
        g_selection.selectionPointCount = 0;
    }
    if (g_canvasView.repaintOnMove && g_appState.frameEditorWindow) {
        InvalidateFrameEditor(g_canvasView.needsRender ? 1 : 0);
        UpdateWindow(g_appState.frameEditorWindow);
    }
    UpdateMenus();
    g_canvasView.previewShown = 0;
    g_canvasView.softUndoOpen = 0;
}

// ---- status texts ---------------------------------------------------------------------

bool LoadPaintString(UINT id, char* out, int room)
{
    out[0] = '\0';
    return LoadStringA(ResourceModule(), id, out, room) > 0;
}

void ShowStatusString(UINT stringId, ...)
{
    char format[STATUS_FORMAT_CHARS];
    if (!LoadPaintString(stringId, format, sizeof format)) return;
    va_list args;
    va_start(args, stringId);
    vsnprintf(g_appState.statusText, sizeof g_appState.statusText, format, args);
    va_end(args);
    if (g_paintHost.showStatusText) g_paintHost.showStatusText(g_appState.statusText);
}

void ShowStatusFormatIfPlain()
{
    const char* format = g_canvasView.statusFormat;
    for (const char* p = format; *p; ++p)
        if (*p == '%') return;
    snprintf(g_appState.statusText, sizeof g_appState.statusText, "%s", format);
    if (g_paintHost.showStatusText && *format) g_paintHost.showStatusText(g_appState.statusText);
}

// ---- gradated brushes -------------------------------------------------------------------

void GradatedColors(COLORREF pen, COLORREF fill, int n, COLORREF* out)
{
    const int divisor = std::max(n - 1, 1);
    const int pr = GetRValue(pen), pg = GetGValue(pen), pb = GetBValue(pen);
    const int sr = (pr - GetRValue(fill)) / divisor, sg = (pg - GetGValue(fill)) / divisor,
              sb = (pb - GetBValue(fill)) / divisor;
    const bool palettized = g_appState.colorCount <= COLORS_256 && g_appState.documentPalette;
    for (int i = 0; i < n; ++i) {
        const COLORREF color = RGB((pr - i * sr) & 0xFF, (pg - i * sg) & 0xFF, (pb - i * sb) & 0xFF);
        out[i] = palettized ? PALETTEINDEX(GetNearestPaletteIndex(g_appState.documentPalette, color)) : color;
    }
}

void FreeGradatedBrushes()
{
    for (int i = 0; i < g_canvasView.gradatedBrushCount; ++i)
        if (g_canvasView.gradatedBrushes[i]) DeleteObject(g_canvasView.gradatedBrushes[i]);
    std::fill(std::begin(g_canvasView.gradatedBrushes), std::end(g_canvasView.gradatedBrushes), nullptr);
    g_canvasView.gradatedBrushCount = 0;
}

void RebuildGradatedBrushes()
{
    FreeGradatedBrushes();
    if (!g_appState.gradatedLines || g_appState.penWidth <= 1) return;
    const int n = std::min(g_appState.penWidth, MAX_GRADATED_BRUSHES);
    auto rgb = [](int index) { return PaletteIndexToRgb(PALETTEINDEX(index)) & 0xFFFFFF; };
    COLORREF colors[MAX_GRADATED_BRUSHES];
    GradatedColors(rgb(g_appState.toolColors.penColorIndex), rgb(g_appState.toolColors.fillColorIndex), n, colors);
    for (int i = 0; i < n; ++i) g_canvasView.gradatedBrushes[i] = CreateSolidBrush(colors[i]);
    g_canvasView.gradatedBrushCount = n;
}

// ---- cross and cursor ---------------------------------------------------------------------

void DrawCanvasCross(HDC dc, int frameX, int frameY, bool halfCell)
{
    const int zoom = std::clamp(g_appState.zoomShift, 0, 3);
    const int factor = 1 << zoom;
    int x = (frameX - g_appState.editScrollX) << zoom;
    int y = (frameY - g_appState.editScrollY) << zoom;
    if (halfCell) {
        x += g_canvasView.cellSize / 2;
        y += g_canvasView.cellSize / 2;
    }
    if (x < 0 || y < 0 || x >= g_canvasView.bufferWidth || y >= g_canvasView.bufferHeight) return;
    const int length = 2 * factor + 3;
    SelectedObject brush(dc, GetStockObject(WHITE_BRUSH));
    PatBlt(dc, x - length / 2, y, length, 1, PATINVERT);
    PatBlt(dc, x, y - length / 2, 1, length, PATINVERT);
}

void SetCanvasCursor(HCURSOR cursor)
{
    g_canvasView.toolCursor = cursor;
    if (MouseOverCanvas()) SetCursor(cursor ? cursor : LoadCursorA(nullptr, IDC_ARROW));
}
