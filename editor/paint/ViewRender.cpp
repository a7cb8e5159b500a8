// Rendering the canvas's view buffer from the current frame: the pixel grid
// drawn with SRCAND under the frame, the onion skin mixed in through the
// pattern brushes, and the repaint flags the tools use.
#include "ViewRender.h"
#include "AppState.h"
#include "FrameCanvas.h"
#include "GdiGuards.h"
#include "OnionSkin.h"
#include "Palette.h"
#include "PaintTools.h"
#include <algorithm>

namespace {

// D AND NOT (P AND S): inside the transparent parts (S) the pattern's set
// pixels are cleared.
constexpr DWORD ROP_CLEAR_PATTERN_IN_MASK = 0x2A0CC9;
// D OR (P AND S): the reference frame shows on the pattern's set pixels.
constexpr DWORD ROP_OR_PATTERN_AND_SOURCE = 0xEA02E9;

struct Strip {
    int x, y, width, height;          // in the view, whole enlarged pixels
    int sx, sy, sourceWidth, sourceHeight;  // in the frame
};

HBITMAP BasePicture()
{
    const PaintTool& tool = PaintToolFor(g_appState.currentTool);
    if (tool.viewPicture) {
        if (HBITMAP picture = tool.viewPicture()) return picture;
    }
    const int frame = g_appState.currentFrame;
    if (frame < 0 || frame >= g_appState.frameCount || frame >= MAX_FRAME_BITMAPS) return nullptr;
    return g_appState.frameBitmaps[frame];
}

HBRUSH GridBackground()
{
    return g_appState.gridBackgroundBrush ? g_appState.gridBackgroundBrush
                                          : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}

void RenderPlain(const Strip& s, HBITMAP base)
{
    HDC view = g_appState.canvasDC;
    {
        SelectedObject brush(view, GridBackground());
        PatBlt(view, s.x, s.y, s.width, s.height, PATCOPY);
    }
    SelectedObject frame(g_appState.memoryDC, base);
    StretchBlt(view, s.x, s.y, s.width, s.height, g_appState.memoryDC, s.sx, s.sy, s.sourceWidth, s.sourceHeight,
               SRCAND);
}

// The transparent colour as the frames' device context compares it.
COLORREF TransparentColor() { return GetToolColor(ROLE_TRANSPARENT); }

void RenderOnion(const Strip& s, HBITMAP base, HBITMAP reference)
{
    HDC view = g_appState.canvasDC;
    HDC frames = g_appState.memoryDC;
    HDC scratch = g_appState.scratchDC;
    HBRUSH pattern = g_appState.gridBrush ? g_appState.gridBrush : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    // a. The mask: set where the frame has the transparent colour.
    {
        SelectedObject frame(frames, base);
        SelectedObject mask(scratch, g_onionSkin.onionSkinMask);
        const COLORREF oldBack = SetBkColor(frames, TransparentColor());
        BitBlt(scratch, 0, 0, s.sourceWidth, s.sourceHeight, frames, s.sx, s.sy, SRCCOPY);
        SetBkColor(frames, oldBack);
        // b. Frame AND grid background, as without onion skin.
        SelectedObject brush(view, GridBackground());
        StretchBlt(view, s.x, s.y, s.width, s.height, frames, s.sx, s.sy, s.sourceWidth, s.sourceHeight, MERGECOPY);
        // c. Inside the transparent parts the pattern's pixels are cleared.
        SelectedObject onion(view, pattern);
        StretchBlt(view, s.x, s.y, s.width, s.height, scratch, 0, 0, s.sourceWidth, s.sourceHeight,
                   ROP_CLEAR_PATTERN_IN_MASK);
    }
    // d. The reference frame inside the transparent parts, black elsewhere
    //    (the mask's set pixels become white, all bits on, for the AND).
    SetTextColor(scratch, RGB(0, 0, 0));
    SetBkColor(scratch, RGB(255, 255, 255));
    {
        SelectedObject buffer(scratch, g_onionSkin.onionSkinBuffer);
        {
            SelectedObject frame(frames, reference);
            BitBlt(scratch, 0, 0, s.sourceWidth, s.sourceHeight, frames, s.sx, s.sy, SRCCOPY);
        }
        {
            SelectedObject mask(frames, g_onionSkin.onionSkinMask);
            BitBlt(scratch, 0, 0, s.sourceWidth, s.sourceHeight, frames, 0, 0, SRCAND);
        }
        // e. It shows through the pattern's set pixels.
        SelectedObject onion(view, pattern);
        StretchBlt(view, s.x, s.y, s.width, s.height, scratch, 0, 0, s.sourceWidth, s.sourceHeight,
                   ROP_OR_PATTERN_AND_SOURCE);
    }
}

HBITMAP OnionReference()
{
    const int reference = OnionSkinShownFrame();
    if (reference < 0 || reference >= MAX_FRAME_BITMAPS) return nullptr;
    if (!g_onionSkin.onionSkinBuffer || !g_onionSkin.onionSkinMask || !g_appState.scratchDC) return nullptr;
    return g_appState.frameBitmaps[reference];
}

}  // namespace

void RenderViewStrip(int x, int y, int width, int height, int sx, int sy)
{
    HDC view = g_appState.canvasDC;
    if (!view || !g_canvasView.viewBitmap || !g_appState.memoryDC || width <= 0 || height <= 0) return;
    const int zoom = g_appState.zoomShift;
    const int factor = 1 << zoom;
    Strip s{x, y, 0, 0, sx, sy, 0, 0};
    // Whole enlarged pixels; the buffer clips what lies beyond its edge.
    s.sourceWidth = std::min((width + factor - 1) >> zoom, g_appState.frameWidth - sx);
    s.sourceHeight = std::min((height + factor - 1) >> zoom, g_appState.frameHeight - sy);
    s.width = s.sourceWidth << zoom;
    s.height = s.sourceHeight << zoom;
    SetTextColor(view, RGB(0, 0, 0));
    SetBkColor(view, RGB(255, 255, 255));
    SetBrushOrgEx(view, 0, 0, nullptr);
    HBITMAP base = BasePicture();
    if (!base || s.sourceWidth <= 0 || s.sourceHeight <= 0 || sx < 0 || sy < 0) {
        // Nothing to show there: the background of the view.
        SelectedObject brush(view, GetStockObject(WHITE_BRUSH));
        PatBlt(view, x, y, width, height, PATCOPY);
        return;
    }
    if (HBITMAP reference = OnionReference())
        RenderOnion(s, base, reference);
    else
        RenderPlain(s, base);
    const PaintTool& tool = PaintToolFor(g_appState.currentTool);
    if (tool.renderOver) tool.renderOver(view, RECT{s.x, s.y, s.x + s.width, s.y + s.height});
}

void RenderView()
{
    RenderViewStrip(0, 0, g_canvasView.viewWidth, g_canvasView.viewHeight, g_appState.editScrollX,
                    g_appState.editScrollY);
    g_canvasView.needsRender = 0;
    g_canvasView.softUndoOpen = 0;
}

void InvalidateFrameEditor(int erase)
{
    HWND canvas = g_appState.frameEditorWindow;
    if (!canvas) return;
    if (erase) g_canvasView.needsRender = 1;
    if (erase > 0 && g_appState.textToolDialog) {
        const PaintTool& tool = PaintToolFor(g_appState.currentTool);
        if (tool.refreshPicture) tool.refreshPicture(0);
    }
    InvalidateRect(canvas, nullptr, erase ? TRUE : FALSE);
}

void SetEditorRepaintFlags(int bits)
{
    if (bits & REPAINT_RENDER) g_canvasView.needsRender = 1;
    g_canvasView.previewShown = bits & REPAINT_PREVIEW_SHOWN ? 1 : 0;
    g_canvasView.repaintOnMove = bits & REPAINT_ON_MOVE ? 1 : 0;
    if (g_canvasView.repaintOnMove && g_appState.frameEditorWindow)
        InvalidateRect(g_appState.frameEditorWindow, nullptr, g_canvasView.needsRender ? TRUE : FALSE);
}

void CopyFrameColorTableToView()
{
    constexpr UINT FIRST = 8, COUNT = 240;  // entries 8..247: the non-static colours
    if (g_appState.bitmapMode.useDeviceBitmaps || g_appState.colorCount != COLORS_256 || g_appState.frameCount < 1 ||
        !g_appState.frameBitmaps[0] || !g_canvasView.viewBitmap || !g_appState.canvasDC)
        return;
    RGBQUAD table[COUNT];
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return;
    UINT read = 0;
    {
        SelectedObject frame(dc, g_appState.frameBitmaps[0]);
        read = GetDIBColorTable(dc, FIRST, COUNT, table);
    }
    if (read == COUNT) {
        // The view buffer is selected into canvasDC; the onion buffer takes
        // the same colours so that its copies stay index for index.
        SetDIBColorTable(g_appState.canvasDC, FIRST, COUNT, table);
        if (g_onionSkin.onionSkinBuffer) {
            SelectedObject buffer(dc, g_onionSkin.onionSkinBuffer);
            SetDIBColorTable(dc, FIRST, COUNT, table);
        }
    }
    DeleteDC(dc);
    InvalidateFrameEditor(1);
}

void ShowSelectionOutline(int on)
{
    on = on ? 1 : 0;
    if (g_selection.selectionOutlineShown == on) return;
    g_selection.selectionOutlineShown = on;
    InvalidateFrameEditor(0);
}
