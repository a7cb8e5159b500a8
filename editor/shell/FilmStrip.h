// The "FILMSTRIP" control: a horizontal film of thumbnails with sprocket bands
// and its own scroll bar, one item per frame of the current sequence or per
// ObjectStep of an items block that its parent owns. The cycle-definition
// dialog holds two of them (1001: the frames, 1002: the step list).
//
// Items. A strip without an items block shows frame i for item i and refuses
// every edit. A strip with a block shows, for each entry, the frame its
// `frameIndex` names (a frame the sequence does not have shows as an empty
// cell). Entries are ObjectStep records (document/AnsFile.h) back to back,
// FILMSTRIP_ENTRY_BYTES each, the same form as every object's step block. The
// block belongs to the parent: it is passed in with FILMSTRIP_SET_ITEMS and
// read back (possibly reallocated, so under a new handle) with
// FILMSTRIP_GET_ITEM. The control reads `frameIndex`, `condition` and
// `jumpTarget`: an entry whose `condition` is not 0 jumps to the item index in
// its `jumpTarget`, and inserting or deleting items renumbers those targets so
// that each keeps naming the same entry.
//
// Messages (sent to the control; item indices count from 0):
//   FILMSTRIP_SET_ITEMS    wParam owner value (kept, never used), lParam
//                          FilmStripItems*: the block (0 = a strip of
//                          frames) and the count. No selection, scrolled to
//                          the start, not modified. A negative count is
//                          refused; a count is held to what the block holds
//                          (a strip of frames to MAX_FRAME_BITMAPS). -> 0
//   FILMSTRIP_GET_COUNT    -> the count
//   FILMSTRIP_GET_SELECTION -> the selected item, -1 = none
//   FILMSTRIP_SELECT       wParam item: selects it and scrolls it into view;
//                          an index not below the count, or the selected
//                          item, is ignored. -> 0
//   FILMSTRIP_GET_ITEM     wParam item, lParam ObjectStep* or 0: copies the
//                          entry when the index is valid. -> the block handle
//                          (0 for a strip of frames)
//   FILMSTRIP_SET_ITEM     wParam item, lParam const ObjectStep*. -> 1 when the
//                          entry changed; 0 for an identical entry, an invalid
//                          index or a strip of frames
//   FILMSTRIP_INSERT_ITEM  wParam position (negative = 0; at or beyond the
//                          count appends, as FILMSTRIP_APPEND_ITEM), lParam
//                          const ObjectStep*. Its own jumpTarget is stored
//                          as given. -> 1 inserted, 0 refused
//   FILMSTRIP_APPEND_ITEM  lParam const ObjectStep*: stored after the last
//                          entry; the new item becomes selected once a posted
//                          FILMSTRIP_SELECT is processed. -> nonzero appended
//   FILMSTRIP_DELETE_ITEM  wParam item. A selection past the new end moves to
//                          the new last item (-1 when empty). -> 1 deleted
//   FILMSTRIP_GET_MODIFIED -> 1 once a single-item message changed the items
//                          since FILMSTRIP_SET_ITEMS
//   FILMSTRIP_INSERT_ITEMS wParam position (negative = 0), lParam
//                          const FilmStripInsert*: n entries of the caller's
//                          block (which the caller keeps and frees), their
//                          jump targets relative to the block's start. They
//                          are inserted at min(position, count) with their
//                          targets moved by that index. Does not set the
//                          modified flag. -> 1; 0 for n < 0, n beyond the
//                          caller's block, or a strip of frames
//
// Notifications: WM_COMMAND sent to the parent, LOWORD(wParam) the control's
// id, HIWORD(wParam) the code, lParam as listed:
//   FILMSTRIP_NOTIFY_SELECTED       the selection changed (after the repaint);
//                                   lParam the new selection
//   FILMSTRIP_NOTIFY_SELECTING      the selection is about to change, sent only
//                                   when an item was selected (GET_SELECTION
//                                   still answers the old one); lParam the item
//                                   about to be selected. Order: SELECTING,
//                                   then SELECTED.
//   FILMSTRIP_NOTIFY_MODIFIER_CLICK an item was clicked with Shift or Ctrl;
//                                   the selection stays; lParam the item
//   FILMSTRIP_NOTIFY_ITEM_CHANGED   the selected entry was replaced, or an
//                                   insertion or deletion happened at the
//                                   selected index; lParam the item (-1 after
//                                   the only item was deleted)
//   FILMSTRIP_NOTIFY_DBLCLK         a left or right double click anywhere in
//                                   the control; lParam the MK_* key flags
//
// Keys: Left, Right, Home, End, Page Up, Page Down move the selection (Right
// and Page Down at the end scroll a film wider than the control instead);
// the mouse wheel and the scroll bar scroll.
#pragma once
#include "AnsFile.h"
#include <windows.h>
#include <cstdint>

// ---- messages and notifications ----------------------------------------------------

constexpr UINT FILMSTRIP_SET_ITEMS = WM_USER + 256;     // 1280
constexpr UINT FILMSTRIP_GET_COUNT = WM_USER + 257;     // 1281
constexpr UINT FILMSTRIP_GET_SELECTION = WM_USER + 258; // 1282
constexpr UINT FILMSTRIP_SELECT = WM_USER + 259;        // 1283
constexpr UINT FILMSTRIP_GET_ITEM = WM_USER + 273;      // 1297
constexpr UINT FILMSTRIP_SET_ITEM = WM_USER + 274;      // 1298
constexpr UINT FILMSTRIP_INSERT_ITEM = WM_USER + 275;   // 1299
constexpr UINT FILMSTRIP_APPEND_ITEM = WM_USER + 276;   // 1300
constexpr UINT FILMSTRIP_DELETE_ITEM = WM_USER + 277;   // 1301
constexpr UINT FILMSTRIP_GET_MODIFIED = WM_USER + 278;  // 1302
constexpr UINT FILMSTRIP_INSERT_ITEMS = WM_USER + 279;  // 1303

constexpr WORD FILMSTRIP_NOTIFY_SELECTED = 1;
constexpr WORD FILMSTRIP_NOTIFY_SELECTING = 2;
constexpr WORD FILMSTRIP_NOTIFY_MODIFIER_CLICK = 3;
constexpr WORD FILMSTRIP_NOTIFY_ITEM_CHANGED = 4;
constexpr WORD FILMSTRIP_NOTIFY_DBLCLK = 5;

// lParam of FILMSTRIP_SET_ITEMS.
struct FilmStripItems {
    HGLOBAL items;  // movable block of ObjectSteps, or 0 for a strip of frames
    int32_t count;
};
// lParam of FILMSTRIP_INSERT_ITEMS.
struct FilmStripInsert {
    HGLOBAL entries;  // the caller's block of ObjectSteps
    int32_t count;    // n
};

constexpr int FILMSTRIP_ENTRY_BYTES = sizeof(ObjectStep);
constexpr int FILMSTRIP_SCROLLBAR_ID = 99;

// ---- class -------------------------------------------------------------------------

constexpr UINT FILMSTRIP_CLASS_STYLE = CS_DBLCLKS | CS_CLASSDC | CS_BYTEALIGNCLIENT | CS_BYTEALIGNWINDOW;  // 0x3048
// Window longs, one LONG_PTR each (4 bytes in the 32-bit build).
enum FilmStripSlot : int {
    FS_ERASED,       // 0 after WM_ERASEBKGND, 1 after WM_PAINT: thumbnails are drawn only at 0
    FS_OWNER_VALUE,  // wParam of FILMSTRIP_SET_ITEMS
    FS_THUMB_WIDTH,  // at least 4
    FS_THUMB_HEIGHT,
    FS_SCROLL_POS,   // pixels
    FS_SELECTION,    // -1 none
    FS_COUNT,
    FS_ITEMS,        // HGLOBAL or 0
    FS_RESERVED,     // -1 after FILMSTRIP_SET_ITEMS
    FS_MODIFIED,
    FS_SLOT_COUNT
};
constexpr int FilmStripLong(FilmStripSlot slot) { return slot * static_cast<int>(sizeof(LONG_PTR)); }
constexpr int FILMSTRIP_EXTRA_BYTES = FS_SLOT_COUNT * sizeof(LONG_PTR);

LRESULT CALLBACK FilmStripWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// ---- arithmetic ----------------------------------------------------------------------

constexpr int FILMSTRIP_BAND = 8;   // sprocket band above and below the thumbnails
constexpr int FILMSTRIP_GAP = 10;   // between thumbnails
constexpr int FILMSTRIP_MIN_THUMB = 4;

// The layout for a client size, the current frame size and a count.
struct FilmStripLayout {
    int thumbWidth;   // at least 4
    int thumbHeight;  // 0 when there is no room (or no frame height)
    int scaledWidth;  // w: the frame's width at thumbHeight (0 without room)
    int rangeMax;     // scroll range 0..rangeMax, page = client width
    int maxPosition;  // the largest useful scroll position
    int pageItems;    // cells in the client width, at least 1
};
FilmStripLayout ComputeFilmStripLayout(int clientWidth, int clientHeight, int scrollBarHeight, int frameWidth,
                                       int frameHeight, int count);
// The scroll position after a WM_HSCROLL code; `trackPos` is the scroll bar's
// own tracking position (GetScrollInfo), which holds all 32 bits.
int FilmStripScrollTarget(int code, int position, int trackPos, int thumbWidth, int page, int rangeMax);
// The scroll position that brings an item into view, or `position` when it is
// visible already.
int FilmStripScrollIntoView(int item, int position, int thumbWidth, int clientWidth);
// The item a click at x (client) hits, or -1 (a gap, before the first item or
// past the count).
int FilmStripHitTest(int x, int scrollPos, int thumbWidth, int count);
