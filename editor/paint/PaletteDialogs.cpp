// The palette dialogs: the owner-drawn palette grid, "Replace current color
// with...", "Modify Current Palette", "Pick color..." (one procedure for the
// three 32 x 8 forms), the 16-cell picker, and "Set transparent color" with
// the command that recolours a sequence's transparent colour.
#include "PaletteDialogs.h"
#include "AppState.h"
#include "ColorEffectDialogs.h"
#include "DialogUtilities.h"
#include "DocumentModel.h"
#include "FrameBitmaps.h"
#include "FrameCanvas.h"
#include "GdiGuards.h"
#include "PaintHost.h"
#include "Palette.h"
#include "PaletteWindow.h"
#include "PixelEffects.h"
#include "Undo.h"
#include "resource.h"
#include <algorithm>
#include <initializer_list>

namespace {

void (*g_beep)(UINT) = nullptr;

void Beep()
{
    if (g_beep) g_beep(0);
    else MessageBeep(0);
}

constexpr int FIRST_EDITABLE_ENTRY = 8;   // entries 0-7 and the last 8 are the static colours
constexpr int CHANNEL_MAX = 255;
constexpr int TOLERANCE_MIN = 1, TOLERANCE_MAX = 99;

// ---- the grid control ----

constexpr char GRID_PROPERTY[] = "PaletteGrid";

PaletteGrid* GridOf(HWND control) { return static_cast<PaletteGrid*>(GetPropA(control, GRID_PROPERTY)); }

// Selects the cell under a point of the control; true when it is a cell.
bool SelectCellAt(PaletteGrid* grid, POINT at, UINT keys)
{
    grid->pressedAt = at;
    grid->pressKeys = keys & (MK_CONTROL | MK_SHIFT);
    const int column = (at.x - 1) / std::max(grid->cellWidth, 1);
    const int row = (at.y - 1) / std::max(grid->cellHeight, 1);
    if (at.x < 1 || at.y < 1 || column >= grid->columns || row >= grid->rows) return false;
    grid->selected = GridIndexOfCell(*grid, row, column);
    return true;
}

// The grid selects the cell under the mouse as the button goes down and tells
// its dialog at once (GRID_SELECTED), so that a double click that follows
// acts on that cell however late the button repaints.
LRESULT CALLBACK GridControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto previous = reinterpret_cast<WNDPROC>(GetPropA(control, "PaletteGridProc"));
    if ((message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) && GridOf(control) &&
        SelectCellAt(GridOf(control), {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))},
                     static_cast<UINT>(wParam))) {
        InvalidateRect(control, nullptr, FALSE);
        SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(IDC_PALETTE_GRID, GRID_SELECTED),
                     reinterpret_cast<LPARAM>(control));
    }
    if (message == WM_LBUTTONDBLCLK) {
        // A double click on the grid is a choice: the dialog acts on it.
        HWND dialog = GetParent(control);
        CallWindowProcA(previous, control, WM_LBUTTONDOWN, wParam, lParam);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PALETTE_GRID, BN_DOUBLECLICKED),
                     reinterpret_cast<LPARAM>(control));
        return 0;
    }
    if (message == WM_NCDESTROY) {
        RemovePropA(control, GRID_PROPERTY);
        RemovePropA(control, "PaletteGridProc");
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    }
    return CallWindowProcA(previous, control, message, wParam, lParam);
}

int GridColorCount() { return g_appState.colorCount; }

}  // namespace

void AttachPaletteGrid(HWND dialog, PaletteGrid* grid, int colorCount, int selected)
{
    HWND control = GetDlgItem(dialog, IDC_PALETTE_GRID);
    *grid = {};
    grid->palette = g_appState.documentPalette;
    grid->selected = selected;
    if (!control) return;
    RECT client;
    GetClientRect(control, &client);
    LayoutPaletteGrid(grid, colorCount, client.right, client.bottom);
    SetWindowPos(control, nullptr, 0, 0, grid->columns * grid->cellWidth + 2, grid->rows * grid->cellHeight + 2,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetPropA(control, GRID_PROPERTY, grid);
    SetPropA(control, "PaletteGridProc", reinterpret_cast<HANDLE>(GetWindowLongPtrA(control, GWLP_WNDPROC)));
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GridControlProc));
}

namespace {

RECT CellRect(const PaletteGrid& grid, int cell)
{
    const int row = cell / grid.columns, column = cell % grid.columns;
    const int left = 1 + column * grid.cellWidth, top = 1 + row * grid.cellHeight;
    return {left, top, left + grid.cellWidth, top + grid.cellHeight};
}

void FrameCell(HDC dc, const RECT& r, bool raised)
{
    auto line = [dc](int x1, int y1, int x2, int y2, COLORREF color) {
        HPEN pen = CreatePen(PS_SOLID, 1, color);
        SelectedObject selected(dc, pen);
        MoveToEx(dc, x1, y1, nullptr);
        LineTo(dc, x2, y2);
        SelectObject(dc, GetStockObject(BLACK_PEN));
        DeleteObject(pen);
    };
    if (!raised) {
        FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        return;
    }
    line(r.left, r.bottom - 1, r.left, r.top, RGB(255, 255, 255));
    line(r.left, r.top, r.right, r.top, RGB(255, 255, 255));
    line(r.left + 1, r.bottom - 2, r.left + 1, r.top + 1, RGB(192, 192, 192));
    line(r.left + 1, r.top + 1, r.right - 1, r.top + 1, RGB(192, 192, 192));
    line(r.right - 2, r.top + 1, r.right - 2, r.bottom - 1, RGB(128, 128, 128));
    line(r.left + 1, r.bottom - 2, r.right - 1, r.bottom - 2, RGB(128, 128, 128));
    line(r.right - 1, r.top, r.right - 1, r.bottom, RGB(64, 64, 64));
    line(r.left, r.bottom - 1, r.right, r.bottom - 1, RGB(64, 64, 64));
}

void FillCell(HDC dc, const PaletteGrid& grid, int cell)
{
    HBRUSH brush = CreateSolidBrush(PALETTEINDEX(GridIndexOfCell(grid, cell / grid.columns, cell % grid.columns)));
    const RECT r = CellRect(grid, cell);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

}  // namespace

// Draws the grid: a black border, every cell, the selected cell raised.
void DrawPaletteGrid(const DRAWITEMSTRUCT* item)
{
    PaletteGrid* grid = GridOf(item->hwndItem);
    if (!grid) return;
    HDC dc = item->hDC;
    HPALETTE old = grid->palette ? SelectPalette(dc, grid->palette, TRUE) : nullptr;
    if (grid->palette) RealizePalette(dc);
    FrameRect(dc, &item->rcItem, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    for (int cell = 0; cell < grid->rows * grid->columns; ++cell) FillCell(dc, *grid, cell);
    grid->drawn = 1;
    const int cell = GridCellOfIndex(*grid, grid->selected);
    if (cell >= 0) FrameCell(dc, CellRect(*grid, cell), true);
    if (old) SelectPalette(dc, old, TRUE);
}

namespace {

void RedrawGrid(HWND dialog)
{
    if (HWND control = GetDlgItem(dialog, IDC_PALETTE_GRID)) InvalidateRect(control, nullptr, FALSE);
}

void DoubleClickClosed()
{
    g_appState.ignoreNextButtonUp = 1;
}

void ApplyCaption(HWND dialog, UINT captionId)
{
    char caption[RESOURCE_STRING_LENGTH];
    if (captionId && LoadResourceString(captionId, caption, sizeof caption)) SetWindowTextA(dialog, caption);
}

// ---- "Replace current color with...", "Modify Current Palette", "Pick color..." ----

struct EditPaletteState {
    PaletteGrid grid;
    bool pickMode;
    bool hasBars;  // 1027
};

EditPaletteState& EditStateOf(HWND dialog)
{
    return *reinterpret_cast<EditPaletteState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

bool IsEditableEntry(int index)
{
    const int size = g_appState.toolColors.paletteSize;
    return size == STANDARD_PALETTE_SIZE && index >= FIRST_EDITABLE_ENTRY && index < size - FIRST_EDITABLE_ENTRY;
}

PALETTEENTRY EntryOf(int index)
{
    PALETTEENTRY e{};
    if (g_appState.documentPalette) GetPaletteEntries(g_appState.documentPalette, static_cast<UINT>(index), 1, &e);
    return e;
}

void ShowEntryValues(HWND dialog, int index)
{
    const PALETTEENTRY e = EntryOf(index);
    const int values[3] = {e.peRed, e.peGreen, e.peBlue};
    for (int i = 0; i < 3; ++i) {
        SetScrollPos(GetDlgItem(dialog, IDC_RED_BAR + i), SB_CTL, values[i], TRUE);
        SetDlgItemInt(dialog, IDC_RED_VALUE + i, values[i], FALSE);
    }
}

void FollowPickSelection(HWND dialog, const EditPaletteState& s)
{
    const int hasCell = HighlightColorCell(s.grid.selected);
    EnableWindow(GetDlgItem(dialog, IDC_ADD_COLOR), !hasCell);
}

// Writes a changed entry everywhere the frames and windows take it from.
void WriteEntry(HWND dialog, int index, PALETTEENTRY e)
{
    e.peFlags = PC_RESERVED;
    if (g_appState.documentPalette) AnimatePalette(g_appState.documentPalette, static_cast<UINT>(index), 1, &e);
    e.peFlags = PC_NOCOLLAPSE;
    if (g_appState.documentPalette) SetPaletteEntries(g_appState.documentPalette, static_cast<UINT>(index), 1, &e);
    if (g_appState.displayPalette && g_appState.displayPalette != g_appState.documentPalette)
        SetPaletteEntries(g_appState.displayPalette, static_cast<UINT>(index), 1, &e);
    if (g_appState.colorCount == COLORS_256 && !g_appState.bitmapMode.useDeviceBitmaps) {
        UpdateFrameColorTables();
        if (g_paintHost.updateFilmThumbnail) g_paintHost.updateFilmThumbnail(1);
        InvalidateFrameEditor(1);
    }
    RedrawGrid(dialog);
}

// The scroll codes of the channel bars.
void ScrollChannel(HWND dialog, HWND bar, int code, int thumb)
{
    EditPaletteState& s = EditStateOf(dialog);
    const int channel = GetDlgCtrlID(bar) - IDC_RED_BAR;
    if (channel < 0 || channel > 2) return;
    if (!IsEditableEntry(s.grid.selected)) {
        if (code != SB_THUMBTRACK) Beep();
        return;
    }
    PALETTEENTRY e = EntryOf(s.grid.selected);
    BYTE* values[3] = {&e.peRed, &e.peGreen, &e.peBlue};
    int v = *values[channel];
    switch (code) {
    case SB_LINEUP: v = std::max(v - 1, 0); break;
    case SB_LINEDOWN: v = std::min(v + 1, CHANNEL_MAX); break;
    case SB_PAGEUP: v = std::max(v - 8, 0); break;
    case SB_PAGEDOWN: v = std::min(v + 8, CHANNEL_MAX); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: v = std::clamp(thumb, 0, CHANNEL_MAX); break;
    default: return;
    }
    if (v == *values[channel]) return;
    *values[channel] = static_cast<BYTE>(v);
    WriteEntry(dialog, s.grid.selected, e);
    ShowEntryValues(dialog, s.grid.selected);
}

void AddPickedColor(HWND dialog, EditPaletteState& s)
{
    g_appState.ignoreNextButtonUp = 0;
    HWND button = GetDlgItem(dialog, IDC_ADD_COLOR);
    if (!IsWindowEnabled(button)) return;
    EnableWindow(button, FALSE);
    AddColorToCells(s.grid.selected, ROLE_PEN);
}

void FinishEdit(HWND dialog, EditPaletteState& s)
{
    if (s.hasBars && g_appState.displayPalette) {
        HDC dc = GetDC(dialog);
        HPALETTE old = SelectPalette(dc, g_appState.displayPalette, FALSE);
        RealizePalette(dc);
        SelectPalette(dc, old, TRUE);
        ReleaseDC(dialog, dc);
    }
    if (s.pickMode) AddColorToCells(s.grid.selected, ROLE_PEN);
    if (g_appState.paletteWindow) InvalidateRect(g_appState.paletteWindow, nullptr, FALSE);
    EndDialog(dialog, s.grid.selected);
}

// ---- "Set transparent color" ----

struct TransparentState {
    int selected;  // 0-15, or -1 for "None"
    HBITMAP glyphs;
};

TransparentState& TransparentStateOf(HWND dialog)
{
    return *reinterpret_cast<TransparentState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void FollowTransparentChoice(HWND dialog, const TransparentState& s)
{
    const bool maskAllowed = g_appState.colorCount >= COLORS_3 && (s.selected == 0 || s.selected == 15) &&
                             !g_document.conversionFormat;
    HWND mask = GetDlgItem(dialog, IDC_BUILD_MASK);
    if (!maskAllowed) CheckDlgButton(dialog, IDC_BUILD_MASK, BST_UNCHECKED);
    EnableWindow(mask, maskAllowed);
    const bool toleranceAllowed = s.selected >= 0 && g_document.transparentToleranceOn >= 0;
    EnableWindow(GetDlgItem(dialog, IDC_USE_TOLERANCE), toleranceAllowed);
    const bool fieldOn = toleranceAllowed && IsDlgButtonChecked(dialog, IDC_USE_TOLERANCE) == BST_CHECKED;
    EnableWindow(GetDlgItem(dialog, IDC_TOLERANCE_FIELD), fieldOn);
    EnableWindow(GetDlgItem(dialog, IDC_TOLERANCE_SPIN), fieldOn);
}

bool CellDisabled(int code)
{
    if (g_appState.colorCount == COLORS_2) return code != 0 && code != 15;
    if (g_appState.colorCount == COLORS_3) return code == 0 || code == 15;
    return false;
}

void DrawHatch(HDC dc, const RECT& r, bool onBlack)
{
    HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, onBlack ? RGB(128, 128, 128) : RGB(0, 0, 0));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    FillRect(dc, &r, hatch);
    SetBkMode(dc, oldMode);
    DeleteObject(hatch);
}

void DrawStaticCell(const DRAWITEMSTRUCT* item, const TransparentState& s)
{
    HDC dc = item->hDC;
    const int code = static_cast<int>(item->CtlID) - IDC_FIRST_STATIC_CELL;
    RECT r = item->rcItem;
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
    const RECT well = {r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
    HBRUSH color = CreateSolidBrush(EntryColor(STATIC_COLORS[code]));
    FillRect(dc, &well, color);
    DeleteObject(color);
    if (CellDisabled(code)) DrawHatch(dc, well, code == 0);
    if (code != s.selected) return;
    for (const RECT& edge : {RECT{r.left, r.top, r.right, r.top + 4}, RECT{r.left, r.bottom - 4, r.right, r.bottom},
                             RECT{r.left, r.top + 4, r.left + 4, r.bottom - 4},
                             RECT{r.right - 4, r.top + 4, r.right, r.bottom - 4}})
        InvertRect(dc, &edge);
    if (!s.glyphs) return;
    HDC source = CreateCompatibleDC(dc);
    SelectedObject glyphs(source, s.glyphs);
    const int x = (r.left + r.right - 16) / 2, y = (r.top + r.bottom - 14) / 2;
    BitBlt(dc, x, y, 16, 14, source, 48, 18, code < 8 ? MERGEPAINT : SRCAND);
    DeleteDC(source);
}

void SelectTransparentCell(HWND dialog, TransparentState& s, int selected)
{
    s.selected = selected;
    for (int id = IDC_FIRST_STATIC_CELL; id <= IDC_NO_TRANSPARENT; ++id)
        InvalidateRect(GetDlgItem(dialog, id), nullptr, FALSE);
    FollowTransparentChoice(dialog, s);
}

int ReadTolerance(HWND dialog)
{
    BOOL ok = FALSE;
    const int value = static_cast<int>(GetDlgItemInt(dialog, IDC_TOLERANCE_FIELD, &ok, FALSE));
    return ok && value >= TOLERANCE_MIN && value <= TOLERANCE_MAX ? value : 0;
}

void StepTolerance(HWND dialog, int code)
{
    int value = ReadTolerance(dialog);
    if (!value) value = std::clamp(g_document.transparentTolerance, TOLERANCE_MIN, TOLERANCE_MAX);
    if (code == SB_LINEUP) ++value;
    else if (code == SB_LINEDOWN) --value;
    else return;
    SetDlgItemInt(dialog, IDC_TOLERANCE_FIELD, std::clamp(value, TOLERANCE_MIN, TOLERANCE_MAX), FALSE);
}

void FinishTransparent(HWND dialog, const TransparentState& s)
{
    const int code = TransparentCodeOf(s.selected, IsDlgButtonChecked(dialog, IDC_BUILD_MASK) == BST_CHECKED,
                                       g_appState.colorCount);
    if (g_document.transparentToleranceOn >= 0) {
        const int tolerance = ReadTolerance(dialog);
        if (s.selected >= 0 && IsDlgButtonChecked(dialog, IDC_USE_TOLERANCE) == BST_CHECKED && tolerance) {
            g_document.transparentToleranceOn = 1;
            g_document.transparentTolerance = tolerance;
        } else {
            g_document.transparentToleranceOn = 0;
        }
    }
    EndDialog(dialog, code);
}

// Every frame's pixels of one colour become another, as one undo group.
void RecolorFrames(COLORREF from, COLORREF to)
{
    const int current = g_appState.currentFrame;
    RecordUndo(UNDO_BEGIN_GROUP, current);
    for (int frame = 0; frame < g_appState.frameCount && frame < MAX_FRAME_BITMAPS; ++frame) {
        if (!g_appState.frameBitmaps[frame]) continue;
        if (!RecordUndo(UNDO_SAVE_FRAME, frame)) break;
        ReplaceBitmapColor(g_appState.frameBitmaps[frame], from, to);
    }
    RecordUndo(UNDO_END_GROUP, current);
}

}  // namespace

// ---- grid arithmetic ----

void SelectPaletteGridIndex(HWND dialog, PaletteGrid* grid, int index)
{
    grid->selected = index;
    RedrawGrid(dialog);
}

int GridIndexOfCell(const PaletteGrid& grid, int row, int column)
{
    return column + grid.columns * row + (grid.systemPaletteMode && row > 0 ? 4 : 0);
}

int GridCellOfIndex(const PaletteGrid& grid, int index)
{
    if (grid.systemPaletteMode && index > 7) {
        if (index < 12) return -1;
        index -= 4;
    }
    return index >= 0 && index < grid.columns * grid.rows ? index : -1;
}

void LayoutPaletteGrid(PaletteGrid* grid, int colorCount, int clientWidth, int clientHeight)
{
    const bool small = colorCount < COLORS_256;
    grid->cellCount = small ? 16 : 256;
    grid->columns = small ? 8 : 32;
    grid->rows = small ? 2 : 8;
    grid->cellWidth = clientWidth / grid->columns;
    grid->cellHeight = clientHeight / grid->rows;
    grid->systemPaletteMode = small && IsSystemPaletteMode() ? 1 : 0;
}

GridDialogParameter DecodeGridParameter(LPARAM parameter)
{
    const auto value = static_cast<uint32_t>(parameter);
    GridDialogParameter p{static_cast<int>(value & 0xFFFF), 0, false};
    if (value > 0xFFFF) {
        const uint32_t high = value >> 16;
        if (high == 0xFFFF) p.pickMode = true;
        else p.captionId = high;
    }
    return p;
}

int TransparentCodeOf(int cell, bool buildMask, int colorCount)
{
    if (cell < 0) return TRANSPARENT_NONE | (buildMask ? TRANSPARENT_RUNTIME_MASK : 0);
    int code = cell & TRANSPARENT_STATIC_MASK;
    if (buildMask && (cell == 0 || cell == 15)) code |= TRANSPARENT_RUNTIME_MASK;
    if (colorCount == COLORS_2) code |= TRANSPARENT_TWO_COLOR;
    return code;
}

INT_PTR CALLBACK EditPaletteColorDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        auto* s = new EditPaletteState{};
        SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(s));
        const GridDialogParameter p = DecodeGridParameter(lParam);
        ApplyCaption(dialog, p.captionId);
        s->pickMode = p.pickMode;
        AttachPaletteGrid(dialog, &s->grid, GridColorCount(), p.startIndex);
        s->hasBars = GetDlgItem(dialog, IDC_RED_BAR) != nullptr;
        if (s->hasBars) {
            for (int i = 0; i < 3; ++i) SetScrollRange(GetDlgItem(dialog, IDC_RED_BAR + i), SB_CTL, 0, CHANNEL_MAX, FALSE);
            ShowEntryValues(dialog, s->grid.selected);
        }
        if (s->pickMode) FollowPickSelection(dialog, *s);
        CenterWindow(dialog);
        return TRUE;
    }
    case WM_DRAWITEM: {
        if (wParam != IDC_PALETTE_GRID) return FALSE;
        DrawPaletteGrid(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    }
    case WM_VSCROLL:
        ScrollChannel(dialog, reinterpret_cast<HWND>(lParam), LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
        return TRUE;
    case WM_COMMAND: {
        EditPaletteState& s = EditStateOf(dialog);
        switch (LOWORD(wParam)) {
        case IDCANCEL: EndDialog(dialog, -1); return TRUE;
        case IDC_ADD_COLOR:
            if (s.pickMode) AddPickedColor(dialog, s);
            return TRUE;
        case IDC_PALETTE_GRID:
            if (HIWORD(wParam) == GRID_SELECTED) {
                if (s.pickMode) FollowPickSelection(dialog, s);
                if (s.hasBars) ShowEntryValues(dialog, s.grid.selected);
                return TRUE;
            }
            if (HIWORD(wParam) != BN_DOUBLECLICKED) return TRUE;
            DoubleClickClosed();
            if (s.pickMode) {
                AddPickedColor(dialog, s);
                g_appState.ignoreNextButtonUp = 1;
                return TRUE;
            }
            FinishEdit(dialog, s);
            return TRUE;
        case IDOK: FinishEdit(dialog, s); return TRUE;
        default: return FALSE;
        }
    }
    case WM_DESTROY:
        delete &EditStateOf(dialog);
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        return FALSE;
    default: return DefaultCtlColor(message);
    }
}

INT_PTR CALLBACK PickPaletteIndexDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        auto* grid = new PaletteGrid{};
        SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(grid));
        const GridDialogParameter p = DecodeGridParameter(lParam);
        ApplyCaption(dialog, p.captionId);
        AttachPaletteGrid(dialog, grid, COLORS_16, p.startIndex);
        CenterWindow(dialog);
        return TRUE;
    }
    case WM_DRAWITEM:
        if (wParam != IDC_PALETTE_GRID) return FALSE;
        DrawPaletteGrid(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_COMMAND: {
        auto* grid = reinterpret_cast<PaletteGrid*>(GetWindowLongPtrA(dialog, DWLP_USER));
        switch (LOWORD(wParam)) {
        case IDCANCEL: EndDialog(dialog, -1); return TRUE;
        case IDC_PALETTE_GRID:
            if (HIWORD(wParam) != BN_DOUBLECLICKED) return TRUE;
            DoubleClickClosed();
            EndDialog(dialog, grid->selected);
            return TRUE;
        case IDOK: EndDialog(dialog, grid->selected); return TRUE;
        default: return FALSE;
        }
    }
    case WM_DESTROY:
        delete reinterpret_cast<PaletteGrid*>(GetWindowLongPtrA(dialog, DWLP_USER));
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        return FALSE;
    default: return DefaultCtlColor(message);
    }
}

INT_PTR CALLBACK TransparentColorDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        auto* s = new TransparentState{};
        SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(s));
        const int code = static_cast<int>(lParam);
        s->selected = (code & TRANSPARENT_NONE) ? -1 : code & TRANSPARENT_STATIC_MASK;
        s->glyphs = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_DIALOG_GLYPHS));
        CheckDlgButton(dialog, IDC_BUILD_MASK, (code & TRANSPARENT_RUNTIME_MASK) ? BST_CHECKED : BST_UNCHECKED);
        for (int c = 0; c < STATIC_COLOR_COUNT; ++c)
            if (CellDisabled(c)) EnableWindow(GetDlgItem(dialog, IDC_FIRST_STATIC_CELL + c), FALSE);
        if (g_appState.colorCount == COLORS_3) EnableWindow(GetDlgItem(dialog, IDC_NO_TRANSPARENT), FALSE);
        CheckDlgButton(dialog, IDC_USE_TOLERANCE, g_document.transparentToleranceOn > 0 ? BST_CHECKED : BST_UNCHECKED);
        SetDlgItemInt(dialog, IDC_TOLERANCE_FIELD,
                      std::clamp(g_document.transparentTolerance, TOLERANCE_MIN, TOLERANCE_MAX), FALSE);
        SendDlgItemMessageA(dialog, IDC_TOLERANCE_FIELD, EM_LIMITTEXT, 2, 0);
        FollowTransparentChoice(dialog, *s);
        CenterWindow(dialog);
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        TransparentState& s = TransparentStateOf(dialog);
        if (item->CtlID == IDC_NO_TRANSPARENT) {
            DRAWITEMSTRUCT pressed = *item;
            if (s.selected < 0) pressed.itemState |= ODS_SELECTED;
            DrawOwnerButton(&pressed, nullptr);
        } else {
            DrawStaticCell(item, s);
        }
        return TRUE;
    }
    case WM_VSCROLL:
        if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == IDC_TOLERANCE_SPIN) StepTolerance(dialog, LOWORD(wParam));
        return TRUE;
    case WM_COMMAND: {
        TransparentState& s = TransparentStateOf(dialog);
        const int id = LOWORD(wParam);
        if (id >= IDC_FIRST_STATIC_CELL && id <= IDC_NO_TRANSPARENT) {
            SelectTransparentCell(dialog, s, id == IDC_NO_TRANSPARENT ? -1 : id - IDC_FIRST_STATIC_CELL);
            if (HIWORD(wParam) == BN_DOUBLECLICKED) {
                DoubleClickClosed();
                PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            }
            return TRUE;
        }
        switch (id) {
        case IDC_USE_TOLERANCE: FollowTransparentChoice(dialog, s); return TRUE;
        case IDOK: FinishTransparent(dialog, s); return TRUE;
        case IDCANCEL: EndDialog(dialog, -1); return TRUE;
        default: return FALSE;
        }
    }
    case WM_DESTROY: {
        TransparentState* s = &TransparentStateOf(dialog);
        if (s->glyphs) DeleteObject(s->glyphs);
        delete s;
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        return FALSE;
    }
    default: return DefaultCtlColor(message);
    }
}

int ChangeTransparentColor(HWND owner, UINT confirmId)
{
    SequenceRecord* sequence = CurrentSequenceRecord();
    if (!sequence || g_appState.frameCount <= 0) return 0;
    const int oldCode = sequence->transparentColorCode;
    const INT_PTR result = RunDialog(IDD_TRANSPARENT_COLOR, owner, oldCode);
    if (result < 0 || result > 0xFF) return 0;
    const int newCode = static_cast<int>(result);
    constexpr int KEEPS_PIXELS = TRANSPARENT_RUNTIME_MASK | 0x40;
    const COLORREF from = GetStaticColor(oldCode, g_appState.colorCount);
    const COLORREF to = GetStaticColor(newCode, g_appState.colorCount);
    if (!((oldCode | newCode) & KEEPS_PIXELS) && from != to) {
        if (confirmId && g_appState.hooks.askQuestion && g_appState.hooks.askQuestion(confirmId) != IDYES) return 0;
        RecolorFrames(from, to);
        for (int frame = 0; frame < g_appState.frameCount; ++frame)
            if (g_paintHost.setFrameModified) g_paintHost.setFrameModified(frame);
        if (g_paintHost.updateFilmThumbnail) g_paintHost.updateFilmThumbnail(1);
        InvalidateFrameEditor(1);
    }
    sequence->transparentColorCode = static_cast<uint8_t>(newCode);
    ApplyTransparentColorCode(newCode);
    if (g_document.sequenceState >= 0) g_document.sequenceState |= DOC_MODIFIED;
    return 1;
}

void SetPaletteDialogBeep(void (*beep)(UINT type)) { g_beep = beep; }

void RegisterPaletteDialogs()
{
    RegisterDialogProcedure(IDD_REPLACE_CURRENT_COLOR, PickPaletteIndexDlgProc);
    RegisterDialogProcedure(IDD_REPLACE_PALETTE_COLOR, EditPaletteColorDlgProc);
    RegisterDialogProcedure(IDD_MODIFY_PALETTE, EditPaletteColorDlgProc);
    RegisterDialogProcedure(IDD_PICK_COLOR, EditPaletteColorDlgProc);
    RegisterDialogProcedure(IDD_TRANSPARENT_COLOR, TransparentColorDlgProc);
    RegisterColorEffectDialogs();
}
