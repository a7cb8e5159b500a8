// The library's film-strip control "AVIREEL" of its import and export
// dialogs: a horizontal strip of equally sized pictures drawn like film, with
// a scroll bar below, a current item and (with a style bit) selected items.
// The parent draws the pictures; the strip draws the film, the gaps and the
// outlines. The class exists from the library's attach to its detach.
#pragma once
#include <windows.h>
#include <cstdint>

constexpr char REEL_STRIP_CLASS[] = "AVIREEL";

// Window style bit: items can be selected.
constexpr DWORD AVIREEL_MULTISELECT = 0x0001;

// Messages to the control.
constexpr UINT AVIREEL_SET_ITEMS = 1280;           // wParam count, lParam itemHeight << 16 | itemWidth
constexpr UINT AVIREEL_GET_COUNT = 1281;
constexpr UINT AVIREEL_GET_CURRENT = 1282;         // -1 = none
constexpr UINT AVIREEL_SET_CURRENT = 1283;         // wParam index (negative: none), lParam non-zero: no scrolling
constexpr UINT AVIREEL_IS_SELECTED = 1284;         // wParam index
constexpr UINT AVIREEL_SET_SELECTION = 1285;       // wParam 0 or 1, lParam last << 16 | first
constexpr UINT AVIREEL_GET_SELECTED_COUNT = 1286;

// To the parent, sent for each picture to draw: wParam the control's id,
// lParam a ReelDrawItem.
constexpr UINT AVIREEL_DRAW_ITEM = 1280;
struct ReelDrawItem {
    HDC dc;
    int16_t index;
    int16_t x, y, width, height;  // the picture's rectangle in the control's client area
};

// Notification codes of the WM_COMMAND the control sends its parent; lParam
// is an item index.
constexpr WORD AVIREEL_KEY_MOVED = 1;       // the keyboard moved the current item (then it becomes current)
constexpr WORD AVIREEL_CLICKED = 2;         // left button down on an item
constexpr WORD AVIREEL_DOUBLE_CLICKED = 3;
constexpr WORD AVIREEL_RIGHT_CLICKED = 4;
constexpr WORD AVIREEL_SELECTION_CHANGED = 5;  // lParam 0

// The picture of the film's edge: a band of sprocket holes 60 x 8 pixels in
// the second row of 8 pixels of library bitmap 100.
constexpr int REEL_BORDER_BITMAP = 100;
constexpr int REEL_SCROLLBAR_ID = 99;

bool RegisterReelStripClass(HINSTANCE module);
void UnregisterReelStripClass(HINSTANCE module);
