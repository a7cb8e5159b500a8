// The frame canvas "ANIEDIT": the window in which the current frame is shown
// enlarged through a view buffer, scrolled, and painted by the current tool.
// Its private messages, its own state (CanvasView) and the operations the
// shell and the tools call. The tools plug into it through PaintTools.h.
#pragma once
#include <windows.h>
#include <cstdint>

// ---- messages ----------------------------------------------------------------------

// Recomputes the visible area, scroll ranges and cell size; moves the window
// and its scroll bars.
constexpr UINT EDIT_RELAYOUT = WM_USER + 4;          // 1028
// lParam = height << 16 | width of the view buffer; 0 releases it.
constexpr UINT EDIT_SET_VIEW_SIZE = WM_USER + 5;     // 1029
// wParam pen index, lParam fill index << 16 | transparent index.
constexpr UINT EDIT_COLORS_CHANGED = WM_USER + 6;    // 1030
constexpr UINT EDIT_GRADATION_CHANGED = WM_USER + 7; // 1031
constexpr UINT EDIT_PEN_SIZE_CHANGED = WM_USER + 8;  // 1032
// A button-down (wParam key state, lParam client point) from the keyboard
// cursor, a colour drop or a re-sent click.
constexpr UINT EDIT_MOUSE_DOWN = WM_USER + 17;       // 1041
// wParam the new tool (0-11, 32), lParam (chosen again) << 16 | previous tool;
// sent after the tool was stored in currentTool.
constexpr UINT EDIT_SELECT_TOOL = WM_USER + 18;      // 1042
// Ends a drag without committing, else cancels the running tool.
constexpr UINT EDIT_CANCEL = WM_USER + 22;           // 1046

// The forced move: handled even when the pixel did not change (the line tool
// posts it so that a continued line shows at once).
constexpr WPARAM EDIT_FORCED_MOVE = 0xFF00;

constexpr UINT_PTR SPRAY_TIMER = 100;        // one spray-can burst every 50 ms
constexpr UINT_PTR AUTO_SCROLL_TIMER = 101;  // one auto-scroll step every 50 ms
constexpr UINT AUTO_SCROLL_MS = 50;

// ---- tools ------------------------------------------------------------------------

enum PaintToolId : int {
    TOOL_FREEHAND = 0,
    TOOL_LINE = 1,
    TOOL_RECTANGLE = 2,
    TOOL_ELLIPSE = 3,
    TOOL_ARC = 4,
    TOOL_POLYGON = 5,
    TOOL_FILL = 6,
    TOOL_SPRAY = 7,
    TOOL_TEXT = 8,
    TOOL_EYEDROPPER = 9,
    TOOL_SELECT_REGION = 10,
    TOOL_SELECT_POLYGON = 11,
    TOOL_PLACE_AREA = 32,  // a pasted area floats until it is placed ("Insert Area")
};
constexpr int PAINT_TOOL_COUNT = 12;  // tools 0..11 have tool-bar buttons
bool IsPaintTool(int tool);           // 0..11 or 32

// Colour roles of a stroke (CanvasView::colorRole).
constexpr int STROKE_PEN = 0;
constexpr int STROKE_FILL = 1;         // right button
constexpr int STROKE_TRANSPARENT = 2;  // Shift held

// SetEditorRepaintFlags bits.
constexpr int REPAINT_PREVIEW_SHOWN = 1;  // previewShown
constexpr int REPAINT_ON_MOVE = 2;        // repaintOnMove, and repaint now
constexpr int REPAINT_RENDER = 4;         // needsRender

constexpr int MIN_VIEW_SIZE = 64;
constexpr int MAX_VIEW_ZOOM = 8;  // the view buffer is at most 8 x the frame size
constexpr int MAX_GRADATED_BRUSHES = 12;
constexpr int STATUS_FORMAT_CHARS = 128;

// The canvas's own state. One instance, g_canvasView, owned by the canvas.
struct CanvasView {
    int bufferWidth, bufferHeight;  // the view buffer asked for: 64 .. 8 x frame
    int viewWidth, viewHeight;      // the visible area in screen pixels
    HBITMAP viewBitmap;             // the view buffer, selected into canvasDC
    int viewColorCount;             // the colour format it was made for
    int cellSize;                   // an enlarged pixel on the screen (less 1 on the grid)
    int dragging;                   // a tool holds the mouse
    int autoScrollTimer;            // timer 101 runs
    int cursorX, cursorY;           // the pixel under the mouse, view coordinates
    int pointX, pointY;             // the same pixel in frame coordinates
    uint16_t lastButtons;           // key state of the last button-down
    int colorRole;                  // STROKE_PEN, STROKE_FILL or STROKE_TRANSPARENT
    int needsRender;                // render the view buffer from the frame at the next erase
    int repaintOnMove;              // repaint at the next mouse move
    int previewShown;               // a tool preview is on the screen
    int softUndoOpen;               // the freehand undo step is still open
    HCURSOR toolCursor;             // shown over the canvas; null: the arrow
    HCURSOR moveCursor;             // cursor 952
    HCURSOR handleCursor;           // cursor 953

    // ---- kept by the canvas for its own protocol ----
    int lastPixelX, lastPixelY;     // the last pixel the move handling ran for
    int toolAtButtonDown;           // the tool of the last button-down
    const struct PaintTool* dragTool;  // the handlers that hold the drag
    int wheelRemainder;             // a fine wheel's turn below one notch
    int wheelHorizontal;            // the axis the remainder belongs to
    char statusFormat[STATUS_FORMAT_CHARS];  // string 100 + tool, loaded at button-down
    HBRUSH gradatedBrushes[MAX_GRADATED_BRUSHES];  // pen to fill colour, penWidth of them
    int gradatedBrushCount;
    HGDIOBJ canvasDefaultBitmap;    // what canvasDC held before the view buffer
};

extern CanvasView g_canvasView;

// ---- the window --------------------------------------------------------------------

LRESULT CALLBACK FrameEditorWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// ---- operations for the shell and the tools ---------------------------------------

// erase 1: render the view buffer from the frame at the next erase (and the
// text tool's preview again); -1 the same without the preview; 0 only repaint.
// Nothing while the canvas does not exist.
void InvalidateFrameEditor(int erase);
// REPAINT_* bits: bit 2 sets needsRender, bit 0 becomes previewShown, bit 1
// repaintOnMove (and the canvas is invalidated at once).
void SetEditorRepaintFlags(int bits);
// Esc, EDIT_CANCEL outside a drag, or a click beside the canvas.
void CancelToolOperation();
// Scrolls so that the frame point stands in the middle of the view.
void CenterFrameEditorOn(int frameX, int frameY);
// Zoom 0..3 (1:1 .. 8:1); `center`: keep the tool's point (or the view's
// centre) in the middle.
void SetFrameEditorZoom(int zoomShift, int center);
// Chooses the grid brushes and cellSize by showGrid and the zoom.
void UpdateGridBrushes();
// kind 0 buffer width, 1 buffer height, 2 view width, 3 view height.
int GetFrameEditorSize(int kind);
// Stores the tool in currentTool and sends the canvas EDIT_SELECT_TOOL with
// (tool equal to the previous one) << 16 | the previous tool; returns the
// previous tool. The shell's tool choice does this after its tool bar.
int StoreAndSendPaintTool(int tool);
// Stores toolCursor and shows it when the mouse is over the canvas (null: the arrow).
void SetCanvasCursor(HCURSOR cursor);

// The one scroll routine of bars, wheel, keys and auto-scroll: deltas in frame
// pixels, clamped to 0..maximum. A small scroll reuses the view buffer unless
// `force`. 1 when something scrolled.
int ScrollFrameEditor(int dx, int dy, bool force);

// Two one-pixel lines inverted with the white brush, 2 x factor + 3 long,
// centred on a frame pixel (on its middle with `halfCell`); nothing outside
// the buffer. Drawing it twice removes it.
void DrawCanvasCross(HDC dc, int frameX, int frameY, bool halfCell);

// The status text: the string's format (wsprintf style) filled in, into
// statusText, shown in the text pane. Tool t's text is string 100 + t.
void ShowStatusString(UINT stringId, ...);

// The gradated solid brushes (pen colour to fill colour) while gradated lines
// are on and the pen is wider than 1; freed otherwise.
void RebuildGradatedBrushes();
void FreeGradatedBrushes();
// The n colours from the pen colour (0) to the fill colour (n - 1), each
// channel stepped by (pen - fill) / max(n - 1, 1) truncated; in formats of at
// most 256 colours each becomes PALETTEINDEX of its nearest palette entry.
void GradatedColors(COLORREF pen, COLORREF fill, int n, COLORREF* out);
