// The paint workspace's small windows: the pen-size and fill-pattern selector
// buttons and their popup grids, the floating palette, the transform window
// with its tips, and the drawing resources they share. Every window here is
// a "COMMON" window that receives its procedure at creation.
#include "ToolWindows.h"
#include "AppState.h"
#include "AreaSelection.h"
#include "DialogUtilities.h"
#include "EditorToolBars.h"
#include "PatternFiles.h"
#include "ToolBar.h"
#include "Workspace.h"
#include "resource.h"
#include <algorithm>
#include <initializer_list>
#include <cstdio>

namespace {

constexpr COLORREF BLACK = RGB(0, 0, 0);
constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF GREY = RGB(128, 128, 128);
constexpr int MUS_PATTERNS_SHOWN = 11;  // cells 1..11 of the fill grid
constexpr int STATUS_PEN_SIZE = 150;     // "Select Pen Size"
constexpr int STATUS_FILL_PATTERN = 151; // "Select Fill Pattern"
constexpr int TRANSFORM_TIP_BASE = 33792;
constexpr int TRANSFORM_GRID_ID = 100;
constexpr int TIP_BESIDE_MOUSE = 20;
constexpr int DOCKED_BUTTON_X = 4;

// Made with the main window, freed with it.
struct DrawingResources {
    HBITMAP transformBitmap = nullptr;  // 909: eight cells, normal above, selected below
    HBRUSH mbxBrushes[MAX_PATTERN_BRUSHES] = {};
    int brushCount = 0;
    HFONT numberFont = nullptr;
    bool fillBrushOwned = false;  // the current fill pattern brush was made here
};
DrawingResources g_resources;

// The open selector popup and the state of its grid.
struct SelectorState {
    int openKind = SELECTOR_NONE;
    HWND popup = nullptr;
    int columns = 0, rows = 0;
    int pressedCell = -1;
    int lastCell = -1;  // the cell last under the mouse during a press
    // A press on the open popup's own button takes the focus from the popup
    // before the button draws itself pressed: the popup closes first, and the
    // press must not open it again.
    int closedByOwnButton = SELECTOR_NONE;
    char statusText[RESOURCE_STRING_LENGTH] = "";
};
SelectorState g_selector;

struct ToolWindowState {
    HWND palette = nullptr;    // the floating palette, or null while docked
    int savedColumn = CANVAS_LEFT;
    HWND transform = nullptr;  // the transform window, or null
    HWND transformGrid = nullptr;
    WNDPROC gridProcedure = nullptr;  // the grid button's own procedure
    int transformTool = 0;
    int tipCell = -1;      // the grid cell the tip timer runs for
    POINT mouse = {0, 0};  // last mouse position over the grid
    POINT press = {0, 0};  // where the grid was last pressed
    int enabled = 1;       // the state EnableToolWindows set last
};
ToolWindowState g_tools;

bool SequenceOpen() { return g_appState.frameCount > 0; }

HWND CreateCommonPopup(DWORD style, HWND owner, WNDPROC procedure, int x, int y, int w, int h)
{
    return CreateWindowExA(0, "COMMON", "", style, x, y, w, h, owner, nullptr, g_appState.instanceHandle,
                           reinterpret_cast<LPVOID>(procedure));
}

void RepaintWindow(HWND window)
{
    if (window) InvalidateRect(window, nullptr, FALSE);
}

void RepaintSelectorButtons()
{
    RepaintWindow(g_appState.penSizeButton);
    RepaintWindow(g_appState.fillPatternButton);
}

HWND SelectorButton(int kind)
{
    return kind == SELECTOR_PEN_SIZE ? g_appState.penSizeButton
           : kind == SELECTOR_FILL_PATTERN ? g_appState.fillPatternButton
                                           : nullptr;
}

// Copies a piece of a bitmap resource into `dc`.
void CopyFromBitmap(HDC dc, HBITMAP bitmap, int x, int y, int w, int h, int sourceX, int sourceY)
{
    if (!bitmap) return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, bitmap);
    BitBlt(dc, x, y, w, h, source, sourceX, sourceY, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

void FillBox(HDC dc, int left, int top, int right, int bottom, COLORREF color)
{
    if (right <= left || bottom <= top) return;
    const RECT r = {left, top, right, bottom};
    const COLORREF old = SetBkColor(dc, color);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

// ---- popup grid ----------------------------------------------------------------------

int CellCount() { return g_selector.columns * g_selector.rows; }

int CellAt(int x, int y)
{
    if (x < 0 || y < 0) return -1;
    const int column = x / SELECTOR_CELL_WIDTH, row = y / SELECTOR_CELL_HEIGHT;
    if (column >= g_selector.columns || row >= g_selector.rows) return -1;
    return row * g_selector.columns + column;
}

void DrawSample(HDC dc, int kind, int value, int x, int y)
{
    if (kind == SELECTOR_PEN_SIZE)
        DrawPenSizeSample(dc, value, x, y);
    else
        DrawFillSample(dc, value, x, y);
}

void DrawCell(HDC dc, int cell, bool pressed)
{
    const int x = (cell % g_selector.columns) * SELECTOR_CELL_WIDTH;
    const int y = (cell / g_selector.columns) * SELECTOR_CELL_HEIGHT;
    CopyFromBitmap(dc, g_appState.selectorBitmap, x, y, SELECTOR_CELL_WIDTH, SELECTOR_CELL_HEIGHT, SELECTOR_CELL_WIDTH,
                   pressed ? SELECTOR_CELL_HEIGHT : 0);
    const int shift = pressed ? 1 : 0;
    const int value = g_selector.openKind == SELECTOR_PEN_SIZE ? cell + 1 : cell;
    DrawSample(dc, g_selector.openKind, value, x + 4 + shift, y + shift);
}

void DrawCellNow(HWND popup, int cell, bool pressed)
{
    if (cell < 0 || cell >= CellCount()) return;
    HDC dc = GetDC(popup);
    DrawCell(dc, cell, pressed);
    ReleaseDC(popup, dc);
}

void ReleasePressedCell(HWND popup)
{
    if (g_selector.pressedCell >= 0 && g_selector.lastCell == g_selector.pressedCell)
        DrawCellNow(popup, g_selector.pressedCell, false);
    g_selector.pressedCell = g_selector.lastCell = -1;
}

void CloseSelectorPopup()
{
    HWND popup = g_selector.popup;
    if (!popup) return;
    // Forgotten first: destroying the popup takes its focus, which would close it again.
    g_selector.popup = nullptr;
    g_selector.openKind = SELECTOR_NONE;
    g_selector.pressedCell = g_selector.lastCell = -1;
    DestroyWindow(popup);
    RepaintSelectorButtons();
    ShowStatusText(nullptr);
}

void OpenSelectorPopup(int kind, HWND button)
{
    CloseSelectorPopup();
    LoadResourceString(kind == SELECTOR_PEN_SIZE ? STATUS_PEN_SIZE : STATUS_FILL_PATTERN, g_selector.statusText);
    ShowStatusText(g_selector.statusText);
    const SIZE grid = SelectorGridSize(kind, g_tools.palette != nullptr, g_resources.brushCount);
    const SIZE size = {grid.cx * SELECTOR_CELL_WIDTH + 2, grid.cy * SELECTOR_CELL_HEIGHT + 2};
    RECT around;
    GetWindowRect(button, &around);
    const POINT at = PlaceSelectorPopup(around, size, {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
    g_selector.openKind = kind;
    g_selector.columns = grid.cx;
    g_selector.rows = grid.cy;
    g_selector.pressedCell = g_selector.lastCell = -1;
    HWND popup = CreateCommonPopup(WS_POPUP | WS_BORDER, GetParent(button), SelectorPopupProc, at.x, at.y, size.cx, size.cy);
    if (!popup) {
        g_selector.openKind = SELECTOR_NONE;
        return;
    }
    g_selector.popup = popup;
    ShowWindow(popup, SW_SHOW);
    UpdateWindow(popup);
}

// The popup lost the focus: it closes. When that focus went to a press on
// the popup's own button, the press must only close it.
void OnPopupFocusLost(HWND popup)
{
    if (g_selector.popup != popup) return;
    POINT cursor;
    GetCursorPos(&cursor);
    HWND button = SelectorButton(g_selector.openKind);
    if (button && WindowFromPoint(cursor) == button && (GetAsyncKeyState(VK_LBUTTON) & 0x8000))
        g_selector.closedByOwnButton = g_selector.openKind;
    CloseSelectorPopup();
}

// ---- floating palette and transform window ---------------------------------------------

void PlaceToolWindow(HWND window, int x, int y, int width, int height)
{
    RECT wanted = {x, y, x + width, y + height};
    AdjustWindowRect(&wanted, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), FALSE);
    RECT main = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (g_appState.mainWindow) GetWindowRect(g_appState.mainWindow, &main);
    const RECT r = KeepInsideMainWindow(wanted, main);
    MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    // Shown without taking the keyboard from the main window.
    ShowWindow(window, SW_SHOWNA);
    UpdateWindow(window);
}

RECT CanvasScreenRect()
{
    RECT canvas = {0, 0, 0, 0};
    if (g_appState.frameEditorWindow) GetWindowRect(g_appState.frameEditorWindow, &canvas);
    return canvas;
}

// The client size the floating palette wants around the palette window.
SIZE FloatingPaletteClient()
{
    RECT palette = {0, 0, 0, 0};
    if (g_appState.paletteWindow) GetClientRect(g_appState.paletteWindow, &palette);
    return {palette.right + 2, palette.bottom + 50};
}

void MoveIntoWindow(HWND child, HWND parent, int x, int y)
{
    if (!child) return;
    SetParent(child, parent);
    SetWindowPos(child, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DockPaletteWindows()
{
    HWND workspace = g_appState.workspaceWindow;
    if (!workspace || !IsWindow(workspace)) return;
    const int top = CANVAS_TOP;
    MoveIntoWindow(g_appState.penSizeButton, workspace, DOCKED_BUTTON_X, top - SELECTOR_CELL_HEIGHT);
    MoveIntoWindow(g_appState.fillPatternButton, workspace, DOCKED_BUTTON_X, top);
    MoveIntoWindow(g_appState.paletteWindow, workspace, DOCKED_BUTTON_X, top + 28);
}

void RelayoutWorkspace()
{
    if (g_appState.frameCount > 0) UpdateViewLayout(0);
    if (g_appState.workspaceWindow) InvalidateRect(g_appState.workspaceWindow, nullptr, TRUE);
}

void CheckMainMenuItem(UINT id, bool checked)
{
    if (g_appState.mainMenu) CheckMenuItem(g_appState.mainMenu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

// ---- transform grid --------------------------------------------------------------------

int TransformCellAt(int x, int y)
{
    if (x < 0 || y < 0 || x >= TRANSFORM_CLIENT_WIDTH || y >= TRANSFORM_CLIENT_HEIGHT) return -1;
    return x / TRANSFORM_CELL_WIDTH + 2 * (y / TRANSFORM_CELL_HEIGHT);
}

void DrawTransformCell(HDC dc, int cell, bool selected)
{
    CopyFromBitmap(dc, g_resources.transformBitmap, (cell % 2) * TRANSFORM_CELL_WIDTH,
                   (cell / 2) * TRANSFORM_CELL_HEIGHT, TRANSFORM_CELL_WIDTH, TRANSFORM_CELL_HEIGHT,
                   cell * TRANSFORM_CELL_WIDTH, selected ? TRANSFORM_CELL_HEIGHT : 0);
}

void DrawTransformGrid(const DRAWITEMSTRUCT* item)
{
    if (item->itemAction & ODA_DRAWENTIRE)
        for (int cell = 0; cell < TRANSFORM_TOOL_COUNT; ++cell) DrawTransformCell(item->hDC, cell, false);
    bool changed = false;
    if ((item->itemAction & ODA_SELECT) && (item->itemState & ODS_SELECTED) && SequenceOpen()) {
        const int cell = TransformCellAt(g_tools.press.x, g_tools.press.y);
        if (cell >= 0 && cell != g_tools.transformTool) {
            DrawTransformCell(item->hDC, g_tools.transformTool, false);
            g_tools.transformTool = cell;
            changed = true;
        }
    }
    DrawTransformCell(item->hDC, g_tools.transformTool, true);
    if (changed) SetTransformKind(g_tools.transformTool);
}

void ForgetTipCell()
{
    if (g_tools.tipCell < 0) return;
    g_tools.tipCell = -1;
    StopToolTipTimer();
    DestroyToolTip();
}

// The grid button's tips: one per cell, after the mouse rests on it.
LRESULT CALLBACK TransformGridProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const WNDPROC original = g_tools.gridProcedure;
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        g_tools.press = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        break;
    case WM_MOUSEMOVE: {
        g_tools.mouse = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        const int cell = TransformCellAt(g_tools.mouse.x, g_tools.mouse.y);
        if (cell >= 0 && cell != g_tools.tipCell) {
            g_tools.tipCell = cell;
            if (GetCapture() != window) SetCapture(window);
            StopToolTipTimer();
            DestroyToolTip();
            StartToolTipTimer(window);
        } else if (cell < 0 && g_tools.tipCell >= 0) {
            ForgetTipCell();
            if (GetCapture() == window && !(wParam & MK_LBUTTON)) ReleaseCapture();
        }
        break;
    }
    case WM_TIMER:
        if (wParam != TOOL_TIP_TIMER) break;
        StopToolTipTimer();
        if (g_tools.tipCell >= 0) {
            char tip[TOOL_TIP_CHARS];
            LoadResourceString(TRANSFORM_TIP_BASE + g_tools.tipCell, tip, sizeof tip);
            ShowToolTip(window, g_tools.mouse.x + TIP_BESIDE_MOUSE, g_tools.mouse.y + TIP_BESIDE_MOUSE, tip);
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != window) ForgetTipCell();
        break;
    }
    return original ? CallWindowProcA(original, window, message, wParam, lParam)
                    : DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

// ---- drawing resources -------------------------------------------------------------------

void LoadDrawingResources(HINSTANCE instance)
{
    g_appState.selectorBitmap = LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_SELECTOR));
    g_resources.transformBitmap = LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_TRANSFORM_TOOLS));
    // White until the pattern file fills them (8 rows of one word each).
    static const WORD white[8] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    for (HBITMAP& pattern : g_appState.patternBitmaps) pattern = CreateBitmap(8, 8, 1, 1, white);
    ReadPatternFile();
    const int made = LoadPatternBrushes(g_resources.mbxBrushes, MAX_PATTERN_BRUSHES);
    g_resources.brushCount = made >= 0 && made <= MAX_PATTERN_BRUSHES ? made : 0;
    g_resources.numberFont = CreateFontA(13, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0x20, "MS Sans Serif");
}

void FreeDrawingResources()
{
    auto remove = [](auto& object) {
        if (object) DeleteObject(object);
        object = nullptr;
    };
    remove(g_appState.selectorBitmap);
    remove(g_resources.transformBitmap);
    remove(g_resources.numberFont);
    if (g_resources.fillBrushOwned) remove(g_appState.fillPatternBrush);
    g_appState.fillPatternBrush = nullptr;
    g_resources.fillBrushOwned = false;
    for (HBITMAP& pattern : g_appState.patternBitmaps) remove(pattern);
    for (HBRUSH& brush : g_resources.mbxBrushes) remove(brush);
    g_resources.brushCount = 0;
}

int PatternBrushCount() { return g_resources.brushCount; }

// ---- samples -------------------------------------------------------------------------------

void DrawPenSizeSample(HDC dc, int width, int x, int y)
{
    char number[8];
    snprintf(number, sizeof number, "%d", width);
    HGDIOBJ oldFont = SelectObject(dc, g_resources.numberFont ? g_resources.numberFont : GetStockObject(DEFAULT_GUI_FONT));
    SIZE text = {0, 0};
    GetTextExtentPoint32A(dc, number, lstrlenA(number), &text);
    const UINT oldAlign = SetTextAlign(dc, TA_CENTER | TA_TOP);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = SetTextColor(dc, BLACK);
    TextOutA(dc, x + 24, y + 4 - (text.cy - 16) / 2 + 1, number, lstrlenA(number));
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
    SetTextAlign(dc, oldAlign);
    SelectObject(dc, oldFont);

    const int half = text.cx / 2;
    const int greyFrom = std::max((width - width / 3) / 2, 1), whiteFrom = width - width / 3;
    for (int k = 0; k < width; ++k) {
        COLORREF color = BLACK;
        if (g_appState.gradatedLines) color = k >= whiteFrom ? WHITE : k >= greyFrom ? GREY : BLACK;
        const int row = y + 4 + k - width / 2 + 8;
        FillBox(dc, x + 6, row, x + 22 - half, row + 1, color);
        FillBox(dc, x + 26 + half, row, x + 42, row + 1, color);
    }
}

void DrawFillSample(HDC dc, int pattern, int x, int y)
{
    const RECT r = {x + 6, y + 5, x + 42, y + 19};
    HBRUSH brush = static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
    HBRUSH made = nullptr;
    bool outline = false;
    if (pattern < 0) {
        outline = !(g_appState.fillPatternOn && g_appState.fillPatternBrush);
        brush = outline ? static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)) : g_appState.fillPatternBrush;
    } else if (pattern == 0) {
        outline = true;
        brush = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    } else if (pattern <= MUS_PATTERNS_SHOWN) {
        if (HBITMAP bits = g_appState.patternBitmaps[pattern - 1]) made = CreatePatternBrush(bits);
        if (made) brush = made;
    } else if (pattern - 12 < g_resources.brushCount && g_resources.mbxBrushes[pattern - 12]) {
        brush = g_resources.mbxBrushes[pattern - 12];
    }
    // The pattern starts at the sample's corner wherever the sample stands.
    POINT oldOrigin;
    SetBrushOrgEx(dc, r.left, r.top, &oldOrigin);
    const COLORREF oldText = SetTextColor(dc, BLACK);
    const COLORREF oldBack = SetBkColor(dc, WHITE);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(outline ? BLACK_PEN : NULL_PEN));
    // A null pen leaves the last row and column of the rectangle out.
    Rectangle(dc, r.left, r.top, r.right + (outline ? 0 : 1), r.bottom + (outline ? 0 : 1));
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldText);
    SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    if (made) DeleteObject(made);
}

// ---- selector buttons and popups -----------------------------------------------------------

SIZE SelectorGridSize(int kind, bool floating, int brushCount)
{
    if (kind == SELECTOR_PEN_SIZE) return floating ? SIZE{2, 6} : SIZE{4, 3};
    const int rows = (brushCount + 5) / 6 + 2;
    return floating ? SIZE{rows, 6} : SIZE{6, rows};
}

POINT PlaceSelectorPopup(const RECT& button, SIZE size, SIZE screen)
{
    POINT at = {button.right, button.top};
    if (at.x + size.cx > screen.cx) at.x = button.left - size.cx;
    if (at.y + size.cy > screen.cy) at.y = screen.cy - size.cy;
    return at;
}

int OpenSelectorKind() { return g_selector.openKind; }

HWND SelectorPopupWindow() { return g_selector.popup; }

BOOL DrawSelectorButton(const DRAWITEMSTRUCT* item)
{
    const int kind = item->CtlID == PEN_SIZE_BUTTON_ID       ? SELECTOR_PEN_SIZE
                     : item->CtlID == FILL_PATTERN_BUTTON_ID ? SELECTOR_FILL_PATTERN
                                                             : SELECTOR_NONE;
    if (kind == SELECTOR_NONE) return FALSE;
    if (item->itemAction == ODA_FOCUS) return TRUE;
    if (item->itemAction == ODA_SELECT && !SequenceOpen()) return TRUE;
    const bool selected = (item->itemState & ODS_SELECTED) != 0;
    if (item->itemAction == ODA_SELECT && selected) {
        const bool closing = g_selector.openKind == kind || g_selector.closedByOwnButton == kind;
        g_selector.closedByOwnButton = SELECTOR_NONE;
        if (closing)
            CloseSelectorPopup();
        else
            OpenSelectorPopup(kind, item->hwndItem);
    }
    const bool pressed = selected || g_selector.openKind == kind;
    const RECT& r = item->rcItem;
    CopyFromBitmap(item->hDC, g_appState.selectorBitmap, r.left, r.top, SELECTOR_CELL_WIDTH, SELECTOR_CELL_HEIGHT, 0,
                   pressed ? SELECTOR_CELL_HEIGHT : 0);
    const int shift = pressed ? 1 : 0;
    DrawSample(item->hDC, kind, kind == SELECTOR_PEN_SIZE ? g_appState.penWidth : -1, r.left + shift, r.top + shift);
    return TRUE;
}

int ApplySelectorChoice(int kind, int id)
{
    if (id < SELECTOR_CHOICE_BASE) return 0;
    // Only a choice from an open popup: any other command of 100 and more
    // that reaches the workspace is no choice.
    if (kind == SELECTOR_NONE || g_selector.openKind == SELECTOR_NONE) return 0;
    if (!SequenceOpen()) {
        MessageBeep(static_cast<UINT>(-1));
        return 1;
    }
    if (kind == SELECTOR_PEN_SIZE) {
        if (id >= SELECTOR_CHOICE_BASE + MAX_PEN_WIDTH) return 0;
        g_appState.penWidth = id - (SELECTOR_CHOICE_BASE - 1);
        RepaintWindow(g_appState.penSizeButton);
        if (g_appState.frameEditorWindow)
            SendMessageA(g_appState.frameEditorWindow, EDIT_PEN_SIZE_CHANGED, g_appState.penWidth, 0);
    } else {
        if (g_resources.fillBrushOwned && g_appState.fillPatternBrush) DeleteObject(g_appState.fillPatternBrush);
        g_appState.fillPatternBrush = nullptr;
        g_resources.fillBrushOwned = false;
        g_appState.fillPatternOn = false;
        g_appState.fillEnabled = true;
        const int pattern = id - SELECTOR_CHOICE_BASE;
        if (pattern >= 1 && pattern <= MUS_PATTERNS_SHOWN) {
            if (HBITMAP bits = g_appState.patternBitmaps[pattern - 1]) g_appState.fillPatternBrush = CreatePatternBrush(bits);
            g_resources.fillBrushOwned = g_appState.fillPatternBrush != nullptr;
            if (g_appState.fillPatternBrush) g_appState.fillPatternIndex = pattern - 1;
        } else if (pattern > MUS_PATTERNS_SHOWN) {
            const int brush = pattern - 12;
            if (brush < g_resources.brushCount) g_appState.fillPatternBrush = g_resources.mbxBrushes[brush];
        }
        g_appState.fillPatternOn = g_appState.fillPatternBrush != nullptr;
        RepaintWindow(g_appState.fillPatternButton);
        RepaintWindow(g_appState.paletteWindow);
    }
    CloseSelectorPopup();
    return 1;
}

void ResetSelectorChoices()
{
    CloseSelectorPopup();
    if (g_appState.penWidth != 1 && g_appState.frameEditorWindow)
        SendMessageA(g_appState.frameEditorWindow, EDIT_PEN_SIZE_CHANGED, 1, 0);
    g_appState.penWidth = 1;
    if (g_resources.fillBrushOwned && g_appState.fillPatternBrush) DeleteObject(g_appState.fillPatternBrush);
    g_appState.fillPatternBrush = nullptr;
    g_resources.fillBrushOwned = false;
    g_appState.fillPatternOn = false;
    RepaintSelectorButtons();
}

LRESULT CALLBACK SelectorPopupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    switch (message) {
    case WM_CREATE:
        return 0;
    case WM_PAINT: {
        g_selector.pressedCell = g_selector.lastCell = -1;
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        for (int cell = 0; cell < CellCount(); ++cell) DrawCell(dc, cell, false);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_LBUTTONDOWN: {
        const int cell = CellAt(x, y);
        if (cell < 0) return 0;
        g_selector.pressedCell = g_selector.lastCell = cell;
        DrawCellNow(window, cell, true);
        SetCapture(window);
        return 0;
    }
    case WM_MOUSEMOVE: {
        if (g_selector.pressedCell < 0) return 0;
        const int cell = CellAt(x, y);
        if (cell == g_selector.lastCell) return 0;
        if (g_selector.lastCell == g_selector.pressedCell) DrawCellNow(window, g_selector.pressedCell, false);
        if (cell == g_selector.pressedCell) DrawCellNow(window, cell, true);
        g_selector.lastCell = cell;
        return 0;
    }
    case WM_LBUTTONUP: {
        const int pressed = g_selector.pressedCell;
        const int cell = CellAt(x, y);
        ReleasePressedCell(window);
        if (GetCapture() == window) ReleaseCapture();
        if (pressed >= 0 && cell == pressed && g_appState.workspaceWindow)
            PostMessageA(g_appState.workspaceWindow, WM_COMMAND, SELECTOR_CHOICE_BASE + pressed, 0);
        return 0;
    }
    case WM_NCMOUSEMOVE:
        ReleasePressedCell(window);
        return 0;
    case WM_KILLFOCUS:
        OnPopupFocusLost(window);
        return 0;
    case WM_DESTROY:
        if (g_selector.popup == window) {
            g_selector.popup = nullptr;
            g_selector.openKind = SELECTOR_NONE;
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// ---- floating palette ----------------------------------------------------------------------

int ToggleFloatingPalette()
{
    if (!g_tools.palette) {
        CloseSelectorPopup();
        const RECT canvas = CanvasScreenRect();
        HWND palette = CreateCommonPopup(WS_POPUPWINDOW | WS_DLGFRAME, g_appState.workspaceWindow, FloatingPaletteProc,
                                         canvas.right + 10, canvas.top, 100, 100);
        if (!palette) return 0;
        g_tools.palette = palette;
        MoveIntoWindow(g_appState.penSizeButton, palette, 1, 0);
        MoveIntoWindow(g_appState.fillPatternButton, palette, 1, SELECTOR_CELL_HEIGHT);
        MoveIntoWindow(g_appState.paletteWindow, palette, 1, 50);
        const SIZE client = FloatingPaletteClient();
        EnableWindow(palette, g_tools.enabled);
        PlaceToolWindow(palette, canvas.right + 10, canvas.top, client.cx, client.cy);
        g_tools.savedColumn = SetWorkspaceColumn(FLOATING_COLUMN_WIDTH);
    } else {
        CloseSelectorPopup();
        HWND palette = g_tools.palette;
        g_tools.palette = nullptr;
        DockPaletteWindows();
        DestroyWindow(palette);
        SetWorkspaceColumn(g_tools.savedColumn);
    }
    RelayoutWorkspace();
    CheckMainMenuItem(IDM_FLOATING_PALETTE, g_tools.palette != nullptr);
    return g_tools.palette ? 1 : 0;
}

void RepositionFloatingPalette()
{
    if (!g_tools.palette) return;
    const SIZE wanted = FloatingPaletteClient();
    RECT client;
    GetClientRect(g_tools.palette, &client);
    if (client.right == wanted.cx && client.bottom == wanted.cy) return;
    POINT corner = {0, 0};
    ClientToScreen(g_tools.palette, &corner);
    PlaceToolWindow(g_tools.palette, corner.x, corner.y, wanted.cx, wanted.cy);
}

LRESULT CALLBACK FloatingPaletteProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return 0;
    case WM_DRAWITEM:
        return DrawSelectorButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_COMMAND:
        // The buttons' own clicks (ids 91 and 92) are no choice.
        ApplySelectorChoice(OpenSelectorKind(), LOWORD(wParam));
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            ToggleFloatingPalette();
            return 0;
        }
        break;
    case WM_DESTROY:
        // Destroyed with the main window: the palette and its buttons go
        // back to the workspace rather than down with this window.
        if (g_tools.palette == window) {
            g_tools.palette = nullptr;
            DockPaletteWindows();
            SetWorkspaceColumn(g_tools.savedColumn);
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// ---- transform window -------------------------------------------------------------------------

int ToggleTransformWindow()
{
    if (g_tools.transform) {
        DestroyWindow(g_tools.transform);
        return 0;
    }
    const RECT canvas = CanvasScreenRect();
    HWND window = CreateCommonPopup(WS_POPUPWINDOW | WS_DLGFRAME, g_appState.mainWindow, TransformWindowProc,
                                    canvas.right + 4, canvas.top, TRANSFORM_CLIENT_WIDTH, TRANSFORM_CLIENT_HEIGHT);
    if (!window) return 0;
    EnableWindow(window, g_tools.enabled);
    PlaceToolWindow(window, canvas.right + 4, canvas.top + GetSystemMetrics(SM_CYCAPTION), TRANSFORM_CLIENT_WIDTH,
                    TRANSFORM_CLIENT_HEIGHT);
    CheckMainMenuItem(IDM_STRETCH, true);
    return 1;
}

void CloseTransformWindow()
{
    if (g_tools.transform) DestroyWindow(g_tools.transform);
}

HWND FloatingPaletteWindow() { return g_tools.palette; }
HWND TransformWindow() { return g_tools.transform; }
int CurrentTransformTool() { return g_tools.transformTool; }

LRESULT CALLBACK TransformWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: {
        g_tools.transform = window;
        g_tools.transformGrid = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0,
                                                TRANSFORM_CLIENT_WIDTH, TRANSFORM_CLIENT_HEIGHT, window,
                                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(TRANSFORM_GRID_ID)),
                                                g_appState.instanceHandle, nullptr);
        if (g_tools.transformGrid)
            g_tools.gridProcedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
                g_tools.transformGrid, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TransformGridProc)));
        g_tools.transformTool = 0;
        g_tools.tipCell = -1;
        SetTransformKind(0);
        BeginSelectionTransform();
        return 0;
    }
    case WM_DESTROY:
        if (g_tools.transformGrid && g_tools.gridProcedure)
            SetWindowLongPtrA(g_tools.transformGrid, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_tools.gridProcedure));
        ForgetTipCell();
        g_tools.transformGrid = nullptr;
        g_tools.gridProcedure = nullptr;
        g_tools.transform = nullptr;
        EndSelectionTransform();
        CheckMainMenuItem(IDM_STRETCH, false);
        return 0;
    case WM_DRAWITEM:
        DrawTransformGrid(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            DestroyWindow(window);
            return 0;
        }
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

RECT KeepInsideMainWindow(const RECT& wanted, const RECT& main)
{
    const LONG width = wanted.right - wanted.left, height = wanted.bottom - wanted.top;
    const LONG left = std::max(main.left, std::min(main.right - width, wanted.left));
    const LONG top = std::max(main.top, std::min(main.bottom - height, wanted.top));
    return {left, top, left + width, top + height};
}

// ---- tool windows and modal dialogs ------------------------------------------------------------

int IsToolWindow(HWND window)
{
    if (!window) return 0;
    HWND parent = GetParent(window);
    for (HWND tool : {g_tools.palette, g_tools.transform})
        if (tool && (window == tool || parent == tool)) return 1;
    return 0;
}

int EnableToolWindows(int enable)
{
    const int previous = g_tools.enabled;
    g_tools.enabled = enable ? 1 : 0;
    for (HWND tool : {g_tools.palette, g_tools.transform})
        if (tool) EnableWindow(tool, g_tools.enabled);
    return previous;
}

void InstallToolWindowHost()
{
    DialogHost host = GetDialogHost();
    host.enableToolWindows = EnableToolWindows;
    SetDialogHost(host);
}
