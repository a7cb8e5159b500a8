// The palette dialogs: the owner-drawn palette grid (control 231) and the
// dialogs built on it ("Replace current color with...", "Modify Current
// Palette", "Pick color..."), and "Set transparent color" with the command
// that changes a sequence's transparent colour.
#pragma once
#include <windows.h>

constexpr int IDC_PALETTE_GRID = 231;
constexpr int IDC_ADD_COLOR = 232;
constexpr int IDC_RED_BAR = 160;     // 1027: vertical scroll bars 160-162, fields 163-165
constexpr int IDC_RED_VALUE = 163;
constexpr int IDC_BUILD_MASK = 650;
constexpr int IDC_FIRST_STATIC_CELL = 651;  // 1028: cells 651-666, "None" 667
constexpr int IDC_NO_TRANSPARENT = 667;
constexpr int IDC_TOLERANCE_FIELD = 270;
constexpr int IDC_TOLERANCE_SPIN = 271;
constexpr int IDC_USE_TOLERANCE = 276;
constexpr int IDB_DIALOG_GLYPHS = 936;  // the tick at (48, 18), 16 x 14

// The state of one owner-drawn grid.
struct PaletteGrid {
    int drawn;
    int cellCount;  // 16 or 256
    int selected;   // palette index
    int columns;    // 8 or 32
    int rows;       // 2 or 8
    int cellWidth, cellHeight;
    HPALETTE palette;
    int systemPaletteMode;  // the second row shows entries 12-19
    POINT pressedAt;        // where the mouse last went down in the control
    UINT pressKeys;         // MK_CONTROL, MK_SHIFT of that press
};

// Notification code (WM_COMMAND from control 231) of a new grid selection.
constexpr WORD GRID_SELECTED = 0x100;

// Grid arithmetic, separate from the control so it can be checked directly.
// The palette index cell (row, column) shows.
int GridIndexOfCell(const PaletteGrid& grid, int row, int column);
// The cell that shows an index (row * columns + column), or -1.
int GridCellOfIndex(const PaletteGrid& grid, int index);
// Sets the layout for a colour count and a client size.
void LayoutPaletteGrid(PaletteGrid* grid, int colorCount, int clientWidth, int clientHeight);

// The grid control of a dialog: laid out for a colour count (and resized to
// whole cells) with `selected` chosen; the dialog keeps `grid` alive while the
// control lives and answers its WM_DRAWITEM with DrawPaletteGrid.
void AttachPaletteGrid(HWND dialog, PaletteGrid* grid, int colorCount, int selected);
void DrawPaletteGrid(const DRAWITEMSTRUCT* item);
// Selects the cell of an index and repaints the grid.
void SelectPaletteGridIndex(HWND dialog, PaletteGrid* grid, int index);

// Decoded parameter of the grid dialogs: the start index in the low word; a
// caption string id in the high word; a high word of 0xFFFF is pick mode.
struct GridDialogParameter {
    int startIndex;
    UINT captionId;  // 0: the template's caption
    bool pickMode;
};
GridDialogParameter DecodeGridParameter(LPARAM parameter);

// The code dialog 1028 ends with for a choice: `cell` 0-15, or -1 for "None".
int TransparentCodeOf(int cell, bool buildMask, int colorCount);

INT_PTR CALLBACK EditPaletteColorDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PickPaletteIndexDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK TransparentColorDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The question before a new transparent colour repaints every frame.
constexpr UINT IDS_ASK_RECOLOR_TRANSPARENT = 2012;

// "Set transparent color" for the current sequence; 0 when cancelled or
// nothing is open. With a question id, a choice that repaints the frames'
// pixels is first put to the user (hooks.askQuestion); No changes nothing.
int ChangeTransparentColor(HWND owner, UINT confirmId = 0);

// The beep the dialogs give for a refused edit (tests count them).
void SetPaletteDialogBeep(void (*beep)(UINT type));

// Puts the procedures into the dialog runner's table, with those of the
// colour effect dialogs that use the grid.
void RegisterPaletteDialogs();
