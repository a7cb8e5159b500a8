// The palette window: the colour indicator and the colour cells, the choice of
// pen, fill and transparent colour, drag and drop of colours, and the calls the
// eyedropper and the colour dialogs make into it.
#include "PaletteWindow.h"
#include "AppState.h"
#include "CanvasMath.h"
#include "DialogUtilities.h"
#include "DrawingTools.h"
#include "FrameCanvas.h"
#include "FrameSelection.h"
#include "GdiGuards.h"
#include "PaintHost.h"
#include "PaletteDialogs.h"
#include "Palette.h"
#include "PixelEffects.h"
#include "ToolWindows.h"
#include "resource.h"
#include <cstdio>
#include <initializer_list>

namespace {

constexpr int SWATCH = 12;          // the dragged colour's square on the screen
constexpr int SWATCH_OFFSET = 16;   // from the mouse, right and down
constexpr int LARGE_CELL = 28;
constexpr int SMALL_CELL_WIDTH = 14;
constexpr int SMALL_CELL_HEIGHT = 15;
constexpr RECT TRANSPARENT_HOT_SPOT = {19, 3, 37, 23};
constexpr RECT FILL_HOT_SPOT = {36, 2, 54, 23};

// The window's own state (one palette window per editor).
struct PaletteWindowState {
    HWND window;
    int dragSource = -1;   // the cell a drag started from
    int dropTarget = -1;   // the cell drawn raised as drop target
    bool dragging;
    bool swatchShown;      // the 12 x 12 square is on the screen
    POINT swatchAt;        // its screen position
    HBITMAP swatchSaved;   // the screen under it
    int highlightedCell = -1;
    bool highlighting;     // while the eyedropper or "Pick color..." runs
    HBITMAP indicatorFrame;   // bitmap 913
    HBITMAP noTransparent;    // bitmap 914
    HBITMAP indicator;        // 56 x 28 off-screen
};
PaletteWindowState g_palette;

bool HighColor() { return g_appState.colorCount >= COLORS_256; }

bool LargeCells(int colorCount) { return colorCount < COLORS_256; }

// ---- drawing ----

void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF color)
{
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    SelectedObject selected(dc, pen);
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    DeleteObject(pen);
}

// Lines along the top and left (`topLeft`) and bottom and right (`bottomRight`)
// just inside r.
void Bevel(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight)
{
    Line(dc, r.left, r.bottom - 1, r.left, r.top, topLeft);
    Line(dc, r.left, r.top, r.right, r.top, topLeft);
    Line(dc, r.right - 1, r.top + 1, r.right - 1, r.bottom, bottomRight);
    Line(dc, r.left + 1, r.bottom - 1, r.right, r.bottom - 1, bottomRight);
}

RECT Inset(RECT r, int by) { return {r.left + by, r.top + by, r.right - by, r.bottom - by}; }

void DrawCell(HDC dc, int colorCount, int cell, bool raised)
{
    const RECT r = PaletteCellRect(colorCount, cell);
    const bool large = LargeCells(colorCount);
    const COLORREF black = RGB(0, 0, 0), white = RGB(255, 255, 255), grey = RGB(128, 128, 128),
                   light = RGB(192, 192, 192);
    if (raised) {
        Bevel(dc, r, light, grey);
        Bevel(dc, Inset(r, 1), white, black);
    } else {
        Bevel(dc, r, black, white);
        if (large) Bevel(dc, Inset(r, 1), grey, light);
    }
    HBRUSH brush = CreateSolidBrush(PALETTEINDEX(PaletteIndexOfCell(cell)));
    const RECT inside = Inset(r, large || raised ? 2 : 1);
    FillRect(dc, &inside, brush);
    DeleteObject(brush);
}

bool IsRaised(int cell)
{
    return cell >= 0 && (cell == g_palette.dropTarget || (g_palette.highlighting && cell == g_palette.highlightedCell));
}

// The indicator in the off-screen bitmap: the swatches, then the frame for
// the filling state (mask ANDed, colour part ORed).
void ComposeIndicator(HDC memory)
{
    const ToolColors& c = g_appState.toolColors;
    const RECT all = {0, 0, PALETTE_WIDTH, PALETTE_INDICATOR_HEIGHT};
    FillRect(memory, &all, GetSysColorBrush(COLOR_BTNFACE));
    const RECT pen = {2, 2, 22, 24}, fill = {35, 2, 55, 24}, transparent = {20, 4, 36, 22};
    if (c.penColorBrush) FillRect(memory, &pen, c.penColorBrush);
    if (c.fillColorBrush) FillRect(memory, &fill, c.fillColorBrush);
    HDC source = CreateCompatibleDC(memory);
    if (c.transparentColorOn && c.transparentColorBrush) {
        FillRect(memory, &transparent, c.transparentColorBrush);
    } else if (g_palette.noTransparent) {
        SelectedObject image(source, g_palette.noTransparent);
        BitBlt(memory, 19, 3, 18, 20, source, 0, 0, SRCCOPY);
    }
    if (g_palette.indicatorFrame) {
        SelectedObject frame(source, g_palette.indicatorFrame);
        const int x = g_appState.fillEnabled ? PALETTE_WIDTH : 0;
        BitBlt(memory, 0, 0, PALETTE_WIDTH, PALETTE_INDICATOR_HEIGHT, source, x, PALETTE_INDICATOR_HEIGHT, SRCAND);
        BitBlt(memory, 0, 0, PALETTE_WIDTH, PALETTE_INDICATOR_HEIGHT, source, x, 0, SRCPAINT);
    }
    DeleteDC(source);
}

void PaintIndicator(HDC dc)
{
    HDC memory = CreateCompatibleDC(dc);
    HPALETTE old = SelectDocumentPalette(memory);
    {
        SelectedObject bitmap(memory, g_palette.indicator);
        ComposeIndicator(memory);
        BitBlt(dc, 0, 0, PALETTE_WIDTH, PALETTE_INDICATOR_HEIGHT, memory, 0, 0, SRCCOPY);
    }
    if (old) SelectPalette(memory, old, TRUE);
    DeleteDC(memory);
}

int CellCount(int colorCount)
{
    const PaletteGridLayout l = PaletteLayoutOf(colorCount);
    return l.columns * l.rows;
}

void PaintCells(HDC dc)
{
    const int count = g_appState.colorCount;
    const int cells = CellCount(count);
    if (count == COLORS_3) DrawCell(dc, count, 2, IsRaised(2));
    int raised = -1;
    if (HighColor() && g_palette.highlighting && g_palette.highlightedCell >= 0) {
        raised = g_palette.highlightedCell;
        DrawCell(dc, count, raised, true);
        const RECT r = PaletteCellRect(count, raised);
        ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
    for (int cell = 0; cell < cells; ++cell) {
        if (count == COLORS_3 && cell == 2) continue;
        DrawCell(dc, count, cell, cell != raised && IsRaised(cell));
    }
    SelectClipRgn(dc, nullptr);
}

void Paint(HWND window)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    HPALETTE old = SelectDocumentPalette(dc);
    PaintIndicator(dc);
    PaintCells(dc);
    if (old) SelectPalette(dc, old, TRUE);
    EndPaint(window, &ps);
}

// Draws one part at once, outside WM_PAINT.
void RepaintIndicatorNow()
{
    if (!g_palette.window) return;
    WindowDc dc(g_palette.window);
    HPALETTE old = SelectDocumentPalette(dc.Get());
    PaintIndicator(dc.Get());
    if (old) SelectPalette(dc.Get(), old, TRUE);
}

void RepaintCellNow(int cell)
{
    if (!g_palette.window || cell < 0) return;
    WindowDc dc(g_palette.window);
    HPALETTE old = SelectDocumentPalette(dc.Get());
    DrawCell(dc.Get(), g_appState.colorCount, cell, IsRaised(cell));
    if (old) SelectPalette(dc.Get(), old, TRUE);
}

void Repaint()
{
    if (g_palette.window) InvalidateRect(g_palette.window, nullptr, FALSE);
}

void RepaintFillPatternButton()
{
    if (g_appState.fillPatternButton) InvalidateRect(g_appState.fillPatternButton, nullptr, FALSE);
}

// ---- tool colours ----

void TellCanvas()
{
    HWND canvas = g_appState.frameEditorWindow;
    if (!canvas) return;
    const ToolColors& c = g_appState.toolColors;
    SendMessageA(canvas, EDIT_COLORS_CHANGED, static_cast<WPARAM>(c.penColorIndex),
                 static_cast<LPARAM>((c.fillColorIndex << 16) | (c.transparentColorIndex & 0xFFFF)));
}

void SetRoleColor(int role, int index)
{
    SetToolColorIndex(role, index);
    TellCanvas();
}

// ---- the indicator's hot spots ----

bool Inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

// Toggles what a hot spot under the point stands for; false outside both.
bool ToggleHotSpot(int x, int y)
{
    if (Inside(TRANSPARENT_HOT_SPOT, x, y)) {
        EnableTransparentColor(!g_appState.toolColors.transparentColorOn);
        TellCanvas();
        return true;
    }
    if (Inside(FILL_HOT_SPOT, x, y)) {
        g_appState.fillEnabled = !g_appState.fillEnabled;
        RepaintFillPatternButton();
        return true;
    }
    return false;
}

// ---- dragging ----

void RemoveSwatch()
{
    if (!g_palette.swatchShown) return;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    {
        SelectedObject saved(memory, g_palette.swatchSaved);
        BitBlt(screen, g_palette.swatchAt.x, g_palette.swatchAt.y, SWATCH, SWATCH, memory, 0, 0, SRCCOPY);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    g_palette.swatchShown = false;
}

void DeleteSwatch()
{
    RemoveSwatch();
    if (g_palette.swatchSaved) DeleteObject(g_palette.swatchSaved);
    g_palette.swatchSaved = nullptr;
}

void ShowSwatch(POINT screenPoint)
{
    RemoveSwatch();
    HDC screen = GetDC(nullptr);
    if (!g_palette.swatchSaved) g_palette.swatchSaved = CreateCompatibleBitmap(screen, SWATCH, SWATCH);
    const POINT at = {screenPoint.x + SWATCH_OFFSET, screenPoint.y + SWATCH_OFFSET};
    HDC memory = CreateCompatibleDC(screen);
    {
        SelectedObject saved(memory, g_palette.swatchSaved);
        BitBlt(memory, 0, 0, SWATCH, SWATCH, screen, at.x, at.y, SRCCOPY);
    }
    DeleteDC(memory);
    HPALETTE old = SelectDocumentPalette(screen);
    HBRUSH brush = CreateSolidBrush(PALETTEINDEX(PaletteIndexOfCell(g_palette.dragSource)));
    const RECT r = {at.x, at.y, at.x + SWATCH, at.y + SWATCH};
    FillRect(screen, &r, brush);
    FrameRect(screen, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    DeleteObject(brush);
    if (old) SelectPalette(screen, old, TRUE);
    ReleaseDC(nullptr, screen);
    g_palette.swatchAt = at;
    g_palette.swatchShown = true;
}

void SetDropTarget(int cell)
{
    if (cell == g_palette.dropTarget) return;
    const int old = g_palette.dropTarget;
    g_palette.dropTarget = cell;
    RepaintCellNow(old);
    RepaintCellNow(cell);
}

void BeginDrag(int sourceCell)
{
    g_palette.dragSource = sourceCell;
    g_palette.dropTarget = -1;
    g_palette.dragging = true;
    SetCapture(g_palette.window);
}

bool PointInWindow(HWND window, POINT screenPoint)
{
    if (!window || !IsWindowVisible(window)) return false;
    RECT r;
    GetWindowRect(window, &r);
    return PtInRect(&r, screenPoint) != 0;
}

void DragMove(WPARAM keys, POINT client)
{
    if (!g_palette.dragging || g_palette.dragSource < 0 || g_appState.colorCount < COLORS_16) return;
    if (!(keys & (MK_LBUTTON | MK_RBUTTON))) return;
    POINT screen = client;
    ClientToScreen(g_palette.window, &screen);
    HWND canvas = g_appState.frameEditorWindow;
    const bool overCanvas = PointInWindow(canvas, screen);
    const int cell = PaletteCellAt(g_appState.colorCount, client.x, client.y);
    if (overCanvas || cell != g_palette.dragSource) ShowSwatch(screen);
    if (overCanvas) {
        POINT inCanvas = screen;
        ScreenToClient(canvas, &inCanvas);
        SendMessageA(canvas, WM_MOUSEMOVE, keys, MAKELPARAM(inCanvas.x, inCanvas.y));
        SetDropTarget(-1);
        return;
    }
    RECT own;
    GetClientRect(g_palette.window, &own);
    if (PtInRect(&own, client) && cell >= 0) {
        SetDropTarget(cell);
        ShowColorStatus(keys & MK_RBUTTON ? IDS_FILL_COLOR_STATUS : IDS_PEN_COLOR_STATUS, PaletteIndexOfCell(cell));
    } else {
        SetDropTarget(-1);
    }
}

void DropOnCanvas(POINT screen, bool right)
{
    HWND canvas = g_appState.frameEditorWindow;
    const int index = PaletteIndexOfCell(g_palette.dragSource);
    const int role = right ? ROLE_FILL : ROLE_PEN;
    SetRoleColor(role, index);
    RepaintIndicatorNow();
    POINT client = screen;
    ScreenToClient(canvas, &client);
    POINT at = PixelFromLParam(MAKELPARAM(client.x, client.y), g_appState.zoomShift);
    at.x += g_appState.editScrollX;
    at.y += g_appState.editScrollY;
    FillDroppedColor(at, role);
}

void DropOnCell(int target)
{
    const COLORREF source = PALETTEINDEX(PaletteIndexOfCell(g_palette.dragSource));
    const COLORREF destination = PALETTEINDEX(PaletteIndexOfCell(target));
    ReplaceColor(source, destination, 1);
    if (g_paintHost.updateFilmThumbnail) g_paintHost.updateFilmThumbnail(CountSelectedFrames() > 1);
    MarkSelectedFramesModified();
    InvalidateFrameEditor(1);
}

void EndDrag(bool right, POINT client)
{
    if (!g_palette.dragging) return;
    const bool hadSwatch = g_palette.swatchSaved != nullptr;
    DeleteSwatch();
    const int target = g_palette.dropTarget;
    SetDropTarget(-1);
    POINT screen = client;
    ClientToScreen(g_palette.window, &screen);
    if (hadSwatch && g_appState.frameCount > 0 && g_palette.dragSource >= 0) {
        if (PointInWindow(g_appState.frameEditorWindow, screen)) DropOnCanvas(screen, right);
        else if (target >= 0 && target != g_palette.dragSource) DropOnCell(target);
    }
    g_palette.dragging = false;
    g_palette.dragSource = -1;
    if (GetCapture() == g_palette.window) ReleaseCapture();
}

// A drag that ends without a button release (the capture taken away, the
// window destroyed) still puts the screen back.
void AbandonDrag()
{
    DeleteSwatch();
    SetDropTarget(-1);
    g_palette.dragging = false;
    g_palette.dragSource = -1;
}

// ---- buttons ----

void LeftDown(WPARAM keys, int x, int y)
{
    const int cell = PaletteCellAt(g_appState.colorCount, x, y);
    if (cell >= 0) {
        const int index = PaletteIndexOfCell(cell);
        if (keys & MK_SHIFT) {
            SetRoleColor(ROLE_TRANSPARENT, index);
            EnableTransparentColor(true);
        } else if (index != g_appState.toolColors.penColorIndex) {
            SetRoleColor(ROLE_PEN, index);
        }
    } else if (!ToggleHotSpot(x, y)) {
        return;
    }
    RepaintIndicatorNow();
    ShowColorStatus(IDS_PEN_COLOR_STATUS, g_appState.toolColors.penColorIndex);
    BeginDrag(cell);
}

void RightDown(int x, int y)
{
    const int cell = PaletteCellAt(g_appState.colorCount, x, y);
    if (cell >= 0) {
        const int index = PaletteIndexOfCell(cell);
        if (index == g_appState.toolColors.fillColorIndex) {
            g_appState.fillEnabled = !g_appState.fillEnabled;
        } else {
            SetRoleColor(ROLE_FILL, index);
            g_appState.fillEnabled = true;
        }
        RepaintFillPatternButton();
    } else if (!ToggleHotSpot(x, y)) {
        return;
    }
    RepaintIndicatorNow();
    ShowColorStatus(IDS_FILL_COLOR_STATUS, g_appState.toolColors.fillColorIndex);
    BeginDrag(cell);
}

void DoubleClick(int x, int y)
{
    const int count = g_appState.colorCount;
    const int cell = PaletteCellAt(count, x, y);
    if (count == COLORS_3 && cell == 2) {
        if (ChangeTransparentColor(g_appState.mainWindow)) Repaint();
        return;
    }
    if (count < COLORS_256 || cell < FIXED_COLOR_CELLS) return;
    g_appState.colorCells.nextColorCell = cell;
    const int index = PaletteIndexOfCell(cell);
    if (count == COLORS_256) {
        SetPickHighlight(1);
        RunDialog(IDD_PICK_COLOR, g_appState.mainWindow, static_cast<LPARAM>(static_cast<LONG>(0xFFFF0000u | index)));
        SetPickHighlight(0);
        return;
    }
    COLORREF color = PALETTEINDEX(index);
    if (ChooseRgbColor(g_appState.mainWindow, &color)) AddColorToCells(ColorToPaletteIndex(color), ROLE_PEN);
}

void BeginDragAtIndex(int index)
{
    if (g_palette.dragging) return;
    const int cell = PaletteCellOfIndex(index);
    g_palette.dropTarget = cell;
    BeginDrag(cell);
    g_palette.dropTarget = cell;
}

void Create(HWND window)
{
    g_palette.window = window;
    HINSTANCE program = GetModuleHandleA(nullptr);
    g_palette.indicatorFrame = LoadBitmapA(program, MAKEINTRESOURCEA(IDB_PALETTE_INDICATOR));
    g_palette.noTransparent = LoadBitmapA(program, MAKEINTRESOURCEA(IDB_NO_TRANSPARENT_COLOR));
    WindowDc dc(window);
    g_palette.indicator = CreateCompatibleBitmap(dc.Get(), PALETTE_WIDTH, PALETTE_INDICATOR_HEIGHT);
}

void Destroy()
{
    AbandonDrag();
    ToolColors& c = g_appState.toolColors;
    for (HBRUSH* brush : {&c.penColorBrush, &c.fillColorBrush, &c.transparentColorBrush}) {
        if (*brush) DeleteObject(*brush);
        *brush = nullptr;
    }
    for (HBITMAP* bitmap : {&g_palette.indicatorFrame, &g_palette.noTransparent, &g_palette.indicator}) {
        if (*bitmap) DeleteObject(*bitmap);
        *bitmap = nullptr;
    }
    g_palette.window = nullptr;
}

// ---- hooks ----

void OnColorFormatChanged(int colorCount, int)
{
    HWND window = g_appState.paletteWindow;
    g_palette.highlightedCell = -1;
    g_palette.dropTarget = -1;
    if (!window) return;
    RECT r = {0, 0, PALETTE_WIDTH, PaletteClientHeight(colorCount)};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE)));
    SetWindowPos(window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, TRUE);
}

void OnToolColorsChanged()
{
    if (!g_appState.paletteWindow) return;
    const RECT indicator = {0, 0, PALETTE_WIDTH, PALETTE_INDICATOR_HEIGHT};
    InvalidateRect(g_appState.paletteWindow, &indicator, FALSE);
}

}  // namespace

// ---- layout ----

PaletteGridLayout PaletteLayoutOf(int colorCount)
{
    switch (colorCount) {
    case COLORS_2: return {1, 2, PALETTE_WIDTH, LARGE_CELL};
    case COLORS_3: return {1, 3, PALETTE_WIDTH, LARGE_CELL};
    case COLORS_16:
    case COLORS_SYSTEM: return {2, 8, LARGE_CELL, LARGE_CELL};
    default: return {4, 16, SMALL_CELL_WIDTH, SMALL_CELL_HEIGHT};
    }
}

int PaletteClientHeight(int colorCount)
{
    const PaletteGridLayout l = PaletteLayoutOf(colorCount);
    return PALETTE_INDICATOR_HEIGHT + l.rows * l.cellHeight;
}

int PaletteCellAt(int colorCount, int x, int y)
{
    if (y < PALETTE_INDICATOR_HEIGHT || x < 0 || x >= PALETTE_WIDTH) return -1;
    const PaletteGridLayout l = PaletteLayoutOf(colorCount);
    const int row = (y - PALETTE_INDICATOR_HEIGHT) / l.cellHeight;
    const int column = x / l.cellWidth;
    if (row >= l.rows || column >= l.columns) return -1;
    // The 16-colour grid counts down its columns, the others along their rows.
    return l.columns == 2 ? row + column * l.rows : column + row * l.columns;
}

RECT PaletteCellRect(int colorCount, int cell)
{
    const PaletteGridLayout l = PaletteLayoutOf(colorCount);
    const int column = l.columns == 2 ? cell / l.rows : cell % l.columns;
    const int row = l.columns == 2 ? cell % l.rows : cell / l.columns;
    const int left = column * l.cellWidth, top = PALETTE_INDICATOR_HEIGHT + row * l.cellHeight;
    return {left, top, left + l.cellWidth, top + l.cellHeight};
}

int PaletteIndexOfCell(int cell)
{
    if (cell < 0) return -1;
    if (HighColor()) return cell < COLOR_CELL_COUNT ? g_appState.colorCells.index[cell] : -1;
    if (IsSystemPaletteMode() && cell > 7) return cell + 4;
    return cell;
}

int PaletteCellOfIndex(int index)
{
    if (index < 0) return -1;
    if (HighColor()) {
        for (int c = 0; c < COLOR_CELL_COUNT; ++c)
            if (g_appState.colorCells.index[c] == index) return c;
        return -1;
    }
    if (IsSystemPaletteMode()) {
        if (index > 11) index -= 4;
        else if (index > 7) return -1;  // entries 8-11 have no cell
    }
    return index < CellCount(g_appState.colorCount) ? index : -1;
}

// ---- the interface ----

void SetPenColor(int index) { SetRoleColor(ROLE_PEN, index); }
void SetFillColor(int index) { SetRoleColor(ROLE_FILL, index); }
void SetTransparentColor(int index) { SetRoleColor(ROLE_TRANSPARENT, index); }

int AddColorToCells(int index, int role)
{
    ColorCells& cells = g_appState.colorCells;
    if (HighColor() && PaletteCellOfIndex(index) < 0) {
        int cell = (GetKeyState(VK_MENU) < 0) ? PaletteCellOfIndex(g_appState.toolColors.penColorIndex) : -1;
        // Alt replaces the pen colour's cell; a fixed cell or none takes the
        // next one instead, so the 16 static colours stay.
        if (cell < FIXED_COLOR_CELLS) {
            if (cells.nextColorCell < FIXED_COLOR_CELLS || cells.nextColorCell >= COLOR_CELL_COUNT)
                cells.nextColorCell = FIXED_COLOR_CELLS;
            cell = cells.nextColorCell++;
            if (cells.nextColorCell >= COLOR_CELL_COUNT) cells.nextColorCell = FIXED_COLOR_CELLS;
        }
        cells.index[cell] = static_cast<BYTE>(index);
        if (g_appState.mainMenu) EnableMenuItem(g_appState.mainMenu, IDM_RESET_PALETTE, MF_BYCOMMAND | MF_ENABLED);
    }
    if (role == ROLE_FILL) {
        SetRoleColor(ROLE_FILL, index);
        ShowColorStatus(IDS_FILL_COLOR_STATUS, index);
    } else if (role == ROLE_TRANSPARENT) {
        SetRoleColor(ROLE_TRANSPARENT, index);
        EnableTransparentColor(true);
    } else {
        SetRoleColor(ROLE_PEN, index);
        ShowColorStatus(IDS_PEN_COLOR_STATUS, index);
    }
    g_palette.highlightedCell = PaletteCellOfIndex(index);
    Repaint();
    return 1;
}

void SetPickHighlight(int on)
{
    g_palette.highlightedCell = -1;
    g_palette.highlighting = on != 0;
    if (!on) Repaint();
}

int HighlightColorCell(int index)
{
    const int cell = PaletteCellOfIndex(index);
    if (cell != g_palette.highlightedCell) {
        g_palette.highlightedCell = cell;
        Repaint();
    }
    return cell >= 0 ? 1 : 0;
}

void ShowColorStatus(UINT stringId, int index)
{
    if (!g_appState.hooks.showStatusText || !g_appState.documentPalette) return;
    PALETTEENTRY e{};
    GetPaletteEntries(g_appState.documentPalette, static_cast<UINT>(index), 1, &e);
    char format[STATUS_TEXT_CHARS] = "";
    if (!LoadStringA(GetModuleHandleA(nullptr), stringId, format, sizeof format)) return;
    char text[STATUS_TEXT_CHARS];
    snprintf(text, sizeof text, format, e.peRed, e.peGreen, e.peBlue, index);
    g_appState.hooks.showStatusText(text);
}

void InstallPaletteWindowHooks()
{
    g_appState.hooks.colorFormatChanged = OnColorFormatChanged;
    g_appState.hooks.toolColorsChanged = OnToolColorsChanged;
    g_paletteLink.setPickHighlight = SetPickHighlight;
    g_paletteLink.addColorToCells = AddColorToCells;
}

LRESULT CALLBACK PaletteWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    switch (message) {
    case WM_CREATE: Create(window); return 0;
    case WM_DESTROY: Destroy(); return 0;
    case WM_PAINT: Paint(window); return 0;
    case WM_LBUTTONDOWN: LeftDown(wParam, x, y); return 0;
    case WM_RBUTTONDOWN: RightDown(x, y); return 0;
    case WM_MOUSEMOVE: DragMove(wParam, {x, y}); return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: EndDrag(message == WM_RBUTTONUP, {x, y}); return 0;
    case WM_CAPTURECHANGED:
        if (g_palette.dragging && reinterpret_cast<HWND>(lParam) != window) AbandonDrag();
        return 0;
    case WM_LBUTTONDBLCLK: DoubleClick(x, y); return 0;
    case PALETTE_BEGIN_DRAG: BeginDragAtIndex(static_cast<int>(wParam)); return 0;
    case WM_SIZE: RepositionFloatingPalette(); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}
