// The palette window (class "PALETTE"): the pen, fill and transparent colour
// indicator over a grid of colour cells, where the user picks the three tool
// colours, drags a colour onto the canvas or onto another cell, and opens the
// colour dialogs; and the calls the eyedropper and the dialogs make into it.
#pragma once
#include <windows.h>

constexpr int PALETTE_WIDTH = 56;
constexpr int PALETTE_INDICATOR_HEIGHT = 28;

// Status texts of the chosen colour (wsprintf: red, green, blue, index).
constexpr UINT IDS_PEN_COLOR_STATUS = 152;
constexpr UINT IDS_FILL_COLOR_STATUS = 153;

// Bitmaps of the indicator: 913 the frame (56 x 28 at x 0 with filling off, at
// x 56 with filling on; the colour part above, the mask below), 914 the image
// shown while the transparent colour is off.
constexpr int IDB_PALETTE_INDICATOR = 913;
constexpr int IDB_NO_TRANSPARENT_COLOR = 914;

// The grid of a colour format: columns x rows of cells of the given size.
struct PaletteGridLayout {
    int columns, rows, cellWidth, cellHeight;
};
PaletteGridLayout PaletteLayoutOf(int colorCount);
// The window's client height for a colour format.
int PaletteClientHeight(int colorCount);
// The cell under a client point, or -1 (the indicator, below the grid, beside it).
int PaletteCellAt(int colorCount, int x, int y);
// The cell's rectangle in client coordinates.
RECT PaletteCellRect(int colorCount, int cell);
// The palette index a cell shows in the current format (the colour cells from
// 256 colours on; in the 20-entry system palette the second column is 4 on).
int PaletteIndexOfCell(int cell);
// The cell that shows a palette index in the current format, or -1.
int PaletteCellOfIndex(int index);

LRESULT CALLBACK PaletteWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Store the tool colour, re-create its brush and tell the frame canvas
// (EDIT_COLORS_CHANGED); they do not repaint the palette window.
void SetPenColor(int index);
void SetFillColor(int index);
void SetTransparentColor(int index);
// The index gets a colour cell when it has none (Alt: the pen colour's cell)
// and becomes the colour of `role` (1 fill, 2 transparent, else pen). 1.
int AddColorToCells(int index, int role);
// Highlighting of the picked colour's cell (eyedropper, "Pick color...").
void SetPickHighlight(int on);
// The cell of the index is highlighted; 1 when the index has a cell.
int HighlightColorCell(int index);
// String 152 or 153 with the entry's red, green, blue and the index into the
// status bar.
void ShowColorStatus(UINT stringId, int index);
// The palette window follows colour-format and tool-colour changes, and the
// eyedropper talks to it.
void InstallPaletteWindowHooks();
