// The small windows of the paint workspace: the pen-size and fill-pattern
// selector buttons with their popup grids, the floating palette, the
// selection-transform window, and the drawing resources they share.
#pragma once
#include "FrameCanvas.h"  // EDIT_PEN_SIZE_CHANGED, sent with the new pen width
#include <windows.h>

constexpr int PEN_SIZE_BUTTON_ID = 91;
constexpr int FILL_PATTERN_BUTTON_ID = 92;
constexpr int SELECTOR_CHOICE_BASE = 100;  // a popup cell i sends WM_COMMAND 100 + i
constexpr int MAX_PEN_WIDTH = 12;
constexpr int MAX_PATTERN_BRUSHES = 18;  // from the ".MBX" file
constexpr int SELECTOR_CELL_WIDTH = 56, SELECTOR_CELL_HEIGHT = 24;
constexpr int TRANSFORM_TOOL_COUNT = 8;
constexpr int TRANSFORM_CELL_WIDTH = 38, TRANSFORM_CELL_HEIGHT = 28;
constexpr int TRANSFORM_CLIENT_WIDTH = 76, TRANSFORM_CLIENT_HEIGHT = 112;
constexpr int FLOATING_COLUMN_WIDTH = 30;  // the workspace's left column while the palette floats

enum SelectorKind : int { SELECTOR_NONE = 0, SELECTOR_PEN_SIZE = 1, SELECTOR_FILL_PATTERN = 2 };

// ---- drawing resources ------------------------------------------------------------

// Bitmaps 908 and 909, the twelve pattern bitmaps and the ".MBX" brushes, the
// number font; made when the main window is created, freed when it goes.
void LoadDrawingResources(HINSTANCE instance);
void FreeDrawingResources();
int PatternBrushCount();

// ---- selector buttons and popups ------------------------------------------------------

// Draws a selector button (ids 91 and 92) for WM_DRAWITEM of its parent and
// opens or closes its popup on a press. FALSE for any other item.
BOOL DrawSelectorButton(const DRAWITEMSTRUCT* item);
int OpenSelectorKind();
HWND SelectorPopupWindow();
// Applies a popup choice (WM_COMMAND id 100 and above) of the popup of
// `kind`: 1 handled, 0 not (an id below 100, no popup open, a pen id above 111).
int ApplySelectorChoice(int kind, int id);
// Pen width 1 and no fill pattern, for a new document.
void ResetSelectorChoices();
// Columns (cx) and rows (cy) of a popup grid.
SIZE SelectorGridSize(int kind, bool floating, int brushCount);
// Top-left corner of a popup of `size` beside a button (screen rectangle):
// at its right edge, else left of it; moved up to end at the screen's bottom.
POINT PlaceSelectorPopup(const RECT& button, SIZE size, SIZE screen);
// The samples drawn on the buttons and in the popup cells.
void DrawPenSizeSample(HDC dc, int width, int x, int y);
void DrawFillSample(HDC dc, int pattern, int x, int y);  // pattern -1: the current choice

// ---- tool windows ---------------------------------------------------------------------

// Command 325: moves the selectors and the palette window into a floating
// window or back into the workspace. 1 when the palette now floats.
int ToggleFloatingPalette();
void RepositionFloatingPalette();
// Command 512: opens or closes the transform window. 1 when it is now open.
int ToggleTransformWindow();
void CloseTransformWindow();
HWND FloatingPaletteWindow();
HWND TransformWindow();
int CurrentTransformTool();
// The window rectangle of a tool window wanted at `wanted`, kept inside the
// main window's rectangle.
RECT KeepInsideMainWindow(const RECT& wanted, const RECT& main);

// 1 when the window or its parent is the floating palette or the transform window.
int IsToolWindow(HWND window);
// Enables or disables the tool windows; returns the state the previous call set.
int EnableToolWindows(int enable);
// Lets the dialog runner disable the tool windows around modal dialogs.
void InstallToolWindowHost();

// Window procedures (class "COMMON" receives them as creation parameters).
LRESULT CALLBACK SelectorPopupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK FloatingPaletteProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TransformWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
