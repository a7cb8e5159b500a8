// The "FILMSTRIP" control's window procedure: its items and their jump
// targets, the selection and its notifications, layout, painting, scrolling,
// keys and mouse. FilmStrip.h describes the messages.
#include "FilmStrip.h"
#include "AppState.h"
#include "PackedDib.h"
#include "resource.h"
#include <windowsx.h>
#include <algorithm>
#include <climits>
#include <cstring>

namespace {

constexpr COLORREF FILM_COLOR = RGB(128, 128, 0);
constexpr COLORREF SELECTION_COLOR = RGB(0, 255, 0);
constexpr int SPROCKET_PIECE = 60;   // width of bitmap 935
constexpr int SPROCKET_PERIOD = 12;  // the holes repeat every 12 pixels
constexpr int TOP_BAND_SOURCE_ROW = 2;
constexpr int BLOCK_GROWTH = 5;      // entries added when an insertion finds no room
// Geometry is held to this so that no sum of positions and widths overflows.
constexpr long long GEOMETRY_LIMIT = INT_MAX / 4;

// Shared by every strip: the sprocket bitmap, loaded with the first strip and
// deleted with the last, and the page size in items of the strip last sized
// (the editor shows one dialog with strips at a time).
HBITMAP g_sprocketBitmap;
int g_stripCount;
int g_pageItems = 1;

LONG_PTR Slot(HWND window, FilmStripSlot slot) { return GetWindowLongPtrA(window, FilmStripLong(slot)); }
void SetSlot(HWND window, FilmStripSlot slot, LONG_PTR value) { SetWindowLongPtrA(window, FilmStripLong(slot), value); }
int IntSlot(HWND window, FilmStripSlot slot) { return static_cast<int>(Slot(window, slot)); }
HGLOBAL ItemsOf(HWND window) { return reinterpret_cast<HGLOBAL>(Slot(window, FS_ITEMS)); }

int Clamp(long long value) { return static_cast<int>(std::clamp<long long>(value, -GEOMETRY_LIMIT, GEOMETRY_LIMIT)); }

// How many entries a block holds (0 for none).
int EntriesHeld(HGLOBAL block)
{
    if (!block) return 0;
    const SIZE_T entries = GlobalSize(block) / FILMSTRIP_ENTRY_BYTES;
    return static_cast<int>(std::min<SIZE_T>(entries, INT_MAX));
}

// An item argument (a WPARAM) as a signed number, whole.
LONG_PTR ItemArgument(WPARAM wParam) { return static_cast<LONG_PTR>(wParam); }
bool IsItem(LONG_PTR item, int count) { return item >= 0 && item < count; }

// The fields of the 25-byte record form, compared one by one: padding of the
// memory form carries nothing.
bool SameStep(const ObjectStep& a, const ObjectStep& b)
{
    return a.frameIndex == b.frameIndex && a.waitCount == b.waitCount && a.stepFlags == b.stepFlags && a.x == b.x &&
           a.y == b.y && a.startMaskHigh == b.startMaskHigh && a.soundIndex == b.soundIndex &&
           a.condition == b.condition && memcmp(a.editorBytes, b.editorBytes, sizeof a.editorBytes) == 0 &&
           a.conditionParam == b.conditionParam && a.jumpTarget == b.jumpTarget && a.startMaskLow == b.startMaskLow;
}

void Notify(HWND window, WORD code, LPARAM value)
{
    HWND parent = GetParent(window);
    if (parent) SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), code), value);
}

HWND ScrollBarOf(HWND window) { return GetDlgItem(window, FILMSTRIP_SCROLLBAR_ID); }

void SetScrollPosition(HWND window, int position)
{
    SetSlot(window, FS_SCROLL_POS, position);
    SetScrollPos(ScrollBarOf(window), SB_CTL, position, TRUE);
}

// ---- layout ---------------------------------------------------------------------------

void UpdateLayout(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    const FilmStripLayout layout =
        ComputeFilmStripLayout(client.right, client.bottom, GetSystemMetrics(SM_CYHSCROLL), g_appState.frameWidth,
                               g_appState.frameHeight, IntSlot(window, FS_COUNT));
    SetSlot(window, FS_THUMB_WIDTH, layout.thumbWidth);
    SetSlot(window, FS_THUMB_HEIGHT, layout.thumbHeight);
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE};
    info.nMin = 0;
    info.nMax = layout.rangeMax;
    info.nPage = static_cast<UINT>(std::max<LONG>(client.right, 0));
    SetScrollInfo(ScrollBarOf(window), SB_CTL, &info, TRUE);
    SetScrollPosition(window, std::min(layout.maxPosition, IntSlot(window, FS_SCROLL_POS)));
    g_pageItems = layout.pageItems;
}

// Repaints everything, thumbnails included.
void Refresh(HWND window) { InvalidateRect(window, nullptr, TRUE); }

// ---- selection --------------------------------------------------------------------------

// Brings an item into view; true when the strip scrolled (and was repainted).
bool ScrollIntoView(HWND window, int item)
{
    RECT client;
    GetClientRect(window, &client);
    const int position = IntSlot(window, FS_SCROLL_POS);
    const int target = FilmStripScrollIntoView(item, position, IntSlot(window, FS_THUMB_WIDTH), client.right);
    if (target == position) return false;
    SetScrollPosition(window, target);
    Refresh(window);
    return true;
}

void SelectItem(HWND window, LONG_PTR item, bool scrollIntoView)
{
    const int selection = IntSlot(window, FS_SELECTION);
    if (!IsItem(item, IntSlot(window, FS_COUNT)) || item == selection) return;
    if (selection >= 0) Notify(window, FILMSTRIP_NOTIFY_SELECTING, item);
    SetSlot(window, FS_SELECTION, item);
    if (!scrollIntoView || !ScrollIntoView(window, static_cast<int>(item))) InvalidateRect(window, nullptr, FALSE);
    // The parent hears of the selection once the strip shows it.
    UpdateWindow(window);
    Notify(window, FILMSTRIP_NOTIFY_SELECTED, item);
}

// ---- the items block --------------------------------------------------------------------

LRESULT SetItems(HWND window, WPARAM ownerValue, const FilmStripItems* in)
{
    if (!in || in->count < 0) return 0;
    // A count beyond the block (or beyond any sequence for a strip of frames)
    // would paint and edit past the entries.
    const int count = std::min<int>(in->count, in->items ? EntriesHeld(in->items) : MAX_FRAME_BITMAPS);
    SetSlot(window, FS_OWNER_VALUE, static_cast<LONG_PTR>(ownerValue));
    SetSlot(window, FS_COUNT, count);
    SetSlot(window, FS_ITEMS, reinterpret_cast<LONG_PTR>(in->items));
    SetSlot(window, FS_SELECTION, -1);
    SetSlot(window, FS_RESERVED, -1);
    SetScrollPosition(window, 0);
    UpdateLayout(window);
    SetSlot(window, FS_MODIFIED, 0);
    Refresh(window);
    return 0;
}

// Makes room for `needed` entries, growing the block to `grownTo` entries
// when it holds fewer. False (and nothing changed) when it cannot grow.
bool EnsureRoom(HWND window, long long needed, long long grownTo)
{
    HGLOBAL items = ItemsOf(window);
    if (needed <= EntriesHeld(items)) return true;
    if (grownTo > GEOMETRY_LIMIT / FILMSTRIP_ENTRY_BYTES) return false;
    HGLOBAL grown = GlobalReAlloc(items, static_cast<SIZE_T>(grownTo) * FILMSTRIP_ENTRY_BYTES, GMEM_MOVEABLE | GMEM_ZEROINIT);
    if (!grown) return false;
    SetSlot(window, FS_ITEMS, reinterpret_cast<LONG_PTR>(grown));
    return true;
}

// The count changed: layout, a full repaint.
void CountChanged(HWND window, int count)
{
    SetSlot(window, FS_COUNT, count);
    UpdateLayout(window);
    Refresh(window);
}

LRESULT GetItem(HWND window, WPARAM wParam, ObjectStep* out)
{
    HGLOBAL items = ItemsOf(window);
    const LONG_PTR item = ItemArgument(wParam);
    if (items && out && IsItem(item, IntSlot(window, FS_COUNT))) {
        GlobalLockGuard<ObjectStep> entries(items);
        if (entries) *out = entries.get()[item];
    }
    return reinterpret_cast<LRESULT>(items);
}

LRESULT SetItem(HWND window, WPARAM wParam, const ObjectStep* entry)
{
    HGLOBAL items = ItemsOf(window);
    const LONG_PTR item = ItemArgument(wParam);
    if (!items || !entry || !IsItem(item, IntSlot(window, FS_COUNT))) return 0;
    bool frameChanged;
    {
        GlobalLockGuard<ObjectStep> entries(items);
        if (!entries) return 0;
        ObjectStep& stored = entries.get()[item];
        if (SameStep(stored, *entry)) return 0;
        frameChanged = stored.frameIndex != entry->frameIndex;
        stored = *entry;
    }
    if (frameChanged) Refresh(window);
    SetSlot(window, FS_MODIFIED, 1);
    if (item == Slot(window, FS_SELECTION)) Notify(window, FILMSTRIP_NOTIFY_ITEM_CHANGED, item);
    return 1;
}

LRESULT AppendItem(HWND window, const ObjectStep* entry)
{
    // A strip of frames has no block to append to.
    if (!ItemsOf(window) || !entry) return 0;
    const int count = IntSlot(window, FS_COUNT);
    if (!EnsureRoom(window, count + 1LL, count + static_cast<long long>(BLOCK_GROWTH))) return 0;
    {
        GlobalLockGuard<ObjectStep> entries(ItemsOf(window));
        if (!entries) return 0;
        entries.get()[count] = *entry;
    }
    CountChanged(window, count + 1);
    SetSlot(window, FS_MODIFIED, 1);
    return PostMessageA(window, FILMSTRIP_SELECT, count, 0);
}

LRESULT InsertItem(HWND window, WPARAM wParam, const ObjectStep* entry)
{
    if (!ItemsOf(window) || !entry) return 0;
    const int count = IntSlot(window, FS_COUNT);
    const LONG_PTR position = std::max<LONG_PTR>(ItemArgument(wParam), 0);
    if (count == 0 || position >= count) return AppendItem(window, entry) ? 1 : 0;
    if (!EnsureRoom(window, count + 1LL, count + static_cast<long long>(BLOCK_GROWTH))) return 0;
    {
        GlobalLockGuard<ObjectStep> entries(ItemsOf(window));
        if (!entries) return 0;
        ObjectStep* e = entries.get();
        memmove(e + position + 1, e + position, (count - position) * sizeof(ObjectStep));
        // Every jump to the position or later keeps naming the same entry.
        for (int i = 0; i <= count; ++i)
            if (i != position && e[i].condition && e[i].jumpTarget >= position && e[i].jumpTarget < count + 1)
                ++e[i].jumpTarget;
        e[position] = *entry;
    }
    CountChanged(window, count + 1);
    SetSlot(window, FS_MODIFIED, 1);
    if (position == Slot(window, FS_SELECTION)) Notify(window, FILMSTRIP_NOTIFY_ITEM_CHANGED, position);
    return 1;
}

LRESULT DeleteItem(HWND window, WPARAM wParam)
{
    HGLOBAL items = ItemsOf(window);
    const int count = IntSlot(window, FS_COUNT);
    const LONG_PTR item = ItemArgument(wParam);
    if (!items || !IsItem(item, count)) return 0;
    const int remaining = count - 1;
    {
        GlobalLockGuard<ObjectStep> entries(items);
        if (!entries) return 0;
        ObjectStep* e = entries.get();
        memmove(e + item, e + item + 1, (remaining - item) * sizeof(ObjectStep));
        e[remaining] = ObjectStep{};
        // A jump to the deleted entry now names the one that followed it.
        for (int i = 0; i < remaining; ++i)
            if (e[i].condition && e[i].jumpTarget > item) --e[i].jumpTarget;
    }
    int selection = IntSlot(window, FS_SELECTION);
    if (selection >= remaining - 1) selection = remaining - 1;
    SetSlot(window, FS_SELECTION, selection);
    CountChanged(window, remaining);
    SetSlot(window, FS_MODIFIED, 1);
    const LONG_PTR limited = std::min<LONG_PTR>(item, remaining - 1);
    if (limited == selection) Notify(window, FILMSTRIP_NOTIFY_ITEM_CHANGED, limited);
    return 1;
}

LRESULT InsertItems(HWND window, WPARAM wParam, const FilmStripInsert* in)
{
    if (!in) return 0;
    const int n = in->count;
    if (n == 0) return 1;
    if (n < 0 || n > EntriesHeld(in->entries)) return 0;
    HGLOBAL items = ItemsOf(window);
    const int count = IntSlot(window, FS_COUNT);
    if (!items && count > 0) return 0;  // a strip of frames takes no entries
    if (count + static_cast<long long>(n) > GEOMETRY_LIMIT / FILMSTRIP_ENTRY_BYTES) return 0;
    const int index = static_cast<int>(std::min<LONG_PTR>(std::max<LONG_PTR>(ItemArgument(wParam), 0), count));

    if (!items) {
        items = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(n) * FILMSTRIP_ENTRY_BYTES);
        if (!items) return 0;
        SetSlot(window, FS_ITEMS, reinterpret_cast<LONG_PTR>(items));
    } else if (!EnsureRoom(window, count + static_cast<long long>(n), count + static_cast<long long>(n))) {
        return 0;
    }
    {
        GlobalLockGuard<ObjectStep> entries(ItemsOf(window));
        GlobalLockGuard<ObjectStep> source(in->entries);
        if (!entries || !source) return 0;
        ObjectStep* e = entries.get();
        if (index < count) {
            memmove(e + index + n, e + index, (count - index) * sizeof(ObjectStep));
            for (int i = 0; i < count + n; ++i)
                if ((i < index || i >= index + n) && e[i].condition && e[i].jumpTarget >= index) e[i].jumpTarget += n;
        }
        // The inserted targets count from the start of the caller's block; the
        // caller's own block stays as it was.
        for (int i = 0; i < n; ++i) {
            e[index + i] = source.get()[i];
            if (e[index + i].condition) e[index + i].jumpTarget += index;
        }
    }
    CountChanged(window, count + n);
    if (index == Slot(window, FS_SELECTION)) Notify(window, FILMSTRIP_NOTIFY_ITEM_CHANGED, index);
    return 1;
}

// ---- painting ---------------------------------------------------------------------------

void FillArea(HDC dc, HBRUSH brush, int left, int top, int right, int bottom)
{
    if (left >= right || top >= bottom) return;
    RECT area = {left, top, right, bottom};
    FillRect(dc, &area, brush);
}

void PaintSprockets(HDC dc, int width, int filmBottom, int scrollPos)
{
    if (!g_sprocketBitmap) return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, g_sprocketBitmap);
    const int shift = scrollPos % SPROCKET_PERIOD;
    for (int left = -shift; left < width; left += SPROCKET_PIECE) {
        const int piece = std::min(SPROCKET_PIECE, width - left);
        BitBlt(dc, left, 0, piece, FILMSTRIP_BAND, source, 0, TOP_BAND_SOURCE_ROW, SRCCOPY);
        BitBlt(dc, left, filmBottom - FILMSTRIP_BAND, piece, FILMSTRIP_BAND, source, 0, 0, SRCCOPY);
    }
    SelectObject(source, old);
    DeleteDC(source);
}

// The frame bitmap item `frame` shows, or null for a frame the sequence does not have.
HBITMAP FrameBitmapOf(int frame)
{
    if (frame < 0 || frame >= g_appState.frameCount || frame >= MAX_FRAME_BITMAPS) return nullptr;
    return g_appState.frameBitmaps[frame];
}

void PaintStrip(HWND window, HDC dc)
{
    RECT client;
    GetClientRect(window, &client);
    const int filmBottom = client.bottom - GetSystemMetrics(SM_CYHSCROLL);
    const int thumbWidth = IntSlot(window, FS_THUMB_WIDTH);
    const int thumbHeight = IntSlot(window, FS_THUMB_HEIGHT);
    const int scrollPos = IntSlot(window, FS_SCROLL_POS);
    const int count = IntSlot(window, FS_COUNT);
    const bool drawFrames = IntSlot(window, FS_ERASED) == 0 && thumbHeight > 0;
    const int cell = thumbWidth + FILMSTRIP_GAP;
    const int top = FILMSTRIP_BAND, bottom = FILMSTRIP_BAND + thumbHeight;

    PaintSprockets(dc, client.right, filmBottom, scrollPos);
    HBRUSH film = CreateSolidBrush(FILM_COLOR);
    SetStretchBltMode(dc, COLORONCOLOR);
    const int first = scrollPos / cell;
    long long x = static_cast<long long>(cell) * first - scrollPos + FILMSTRIP_GAP;
    FillArea(dc, film, 0, top, Clamp(x), bottom);

    HGLOBAL items = ItemsOf(window);
    GlobalLockGuard<ObjectStep> entries(items);
    const int held = EntriesHeld(items);
    HDC source = g_appState.memoryDC ? g_appState.memoryDC : CreateCompatibleDC(dc);
    for (int i = first; i < count && x <= client.right; ++i, x += cell) {
        int frame = i;
        if (items) frame = entries && i < held ? entries.get()[i].frameIndex : -1;
        const int left = static_cast<int>(x);
        if (HBITMAP bitmap = FrameBitmapOf(frame)) {
            if (drawFrames) {
                HGDIOBJ old = SelectObject(source, bitmap);
                StretchBlt(dc, left, top, thumbWidth, thumbHeight, source, 0, 0, g_appState.frameWidth,
                           g_appState.frameHeight, SRCCOPY);
                SelectObject(source, old);
            }
            FillArea(dc, film, left + thumbWidth, top, left + cell, bottom);
        } else {
            FillArea(dc, film, left, top, left + cell, bottom);
        }
    }
    if (source != g_appState.memoryDC) DeleteDC(source);
    FillArea(dc, film, Clamp(x), top, client.right, bottom);
    DeleteObject(film);

    const int selection = IntSlot(window, FS_SELECTION);
    if (selection >= 0 && selection < count) {
        const long long sx = static_cast<long long>(cell) * selection - scrollPos + FILMSTRIP_GAP;
        if (sx - 5 < client.right && sx + thumbWidth + 5 > 0) {
            HPEN pen = CreatePen(PS_INSIDEFRAME, GetFocus() == window ? 2 : 1, SELECTION_COLOR);
            HGDIOBJ oldPen = SelectObject(dc, pen);
            HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
            const int left = static_cast<int>(sx);
            Rectangle(dc, left - 5, 4, left + thumbWidth + 5, thumbHeight + 13);
            SelectObject(dc, oldBrush);
            SelectObject(dc, oldPen);
            DeleteObject(pen);
        }
    }
}

void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    HPALETTE oldPalette = nullptr;
    if (g_appState.documentPalette) {
        oldPalette = SelectPalette(dc, g_appState.documentPalette, TRUE);
        RealizePalette(dc);
    }
    PaintStrip(window, dc);
    SetSlot(window, FS_ERASED, 1);
    if (oldPalette) SelectPalette(dc, oldPalette, TRUE);
    EndPaint(window, &paint);
}

// ---- input ------------------------------------------------------------------------------

void OnScroll(HWND window, int code)
{
    HWND bar = ScrollBarOf(window);
    SCROLLINFO info{sizeof info, SIF_ALL};
    if (!GetScrollInfo(bar, SB_CTL, &info)) return;
    const int position = IntSlot(window, FS_SCROLL_POS);
    const int target = FilmStripScrollTarget(code, position, info.nTrackPos, IntSlot(window, FS_THUMB_WIDTH),
                                             static_cast<int>(info.nPage), info.nMax);
    if (target == position) return;
    SetScrollPosition(window, target);
    Refresh(window);
}

void OnKey(HWND window, WPARAM key)
{
    const int selection = IntSlot(window, FS_SELECTION);
    const int last = IntSlot(window, FS_COUNT) - 1;
    const int page = g_pageItems;
    int target = selection;
    switch (key) {
    case VK_LEFT: target = selection <= 0 ? 0 : selection - 1; break;
    case VK_RIGHT:
        if (selection < last || last < page) {
            target = selection + 1;
        } else {
            // The last item is selected but the film goes on: show its end.
            PostMessageA(window, WM_HSCROLL, SB_LINERIGHT, 0);
            return;
        }
        break;
    case VK_HOME: target = 0; break;
    case VK_END: target = last; break;
    case VK_PRIOR: target = std::max(0, selection - page); break;
    case VK_NEXT:
        if (selection >= last && last >= page) {
            PostMessageA(window, WM_HSCROLL, SB_BOTTOM, 0);
            return;
        }
        target = std::min(last, selection + page);
        break;
    default: return;
    }
    if (target != selection) SelectItem(window, target, true);
}

void OnLeftButton(HWND window, WPARAM keys, LPARAM point)
{
    SetFocus(window);
    const int x = GET_X_LPARAM(point), y = GET_Y_LPARAM(point);
    if (y < FILMSTRIP_BAND || y > IntSlot(window, FS_THUMB_HEIGHT) + FILMSTRIP_BAND) return;
    const int item = FilmStripHitTest(x, IntSlot(window, FS_SCROLL_POS), IntSlot(window, FS_THUMB_WIDTH),
                                      IntSlot(window, FS_COUNT));
    if (item < 0) return;
    if (keys & (MK_SHIFT | MK_CONTROL))
        Notify(window, FILMSTRIP_NOTIFY_MODIFIER_CLICK, item);
    else
        SelectItem(window, item, false);
}

void OnCreate(HWND window)
{
    HINSTANCE program = GetModuleHandleA(nullptr);
    if (g_stripCount++ == 0) g_sprocketBitmap = LoadBitmapA(program, MAKEINTRESOURCEA(IDB_SPROCKETS));
    SetSlot(window, FS_THUMB_WIDTH, FILMSTRIP_MIN_THUMB);
    SetSlot(window, FS_SELECTION, -1);
    RECT client;
    GetClientRect(window, &client);
    const int barHeight = GetSystemMetrics(SM_CYHSCROLL);
    CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | WS_VISIBLE | SBS_HORZ, 0, client.bottom - barHeight, client.right,
                    barHeight, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(FILMSTRIP_SCROLLBAR_ID)), program,
                    nullptr);
}

}  // namespace

// ---- arithmetic -------------------------------------------------------------------------

FilmStripLayout ComputeFilmStripLayout(int clientWidth, int clientHeight, int scrollBarHeight, int frameWidth,
                                       int frameHeight, int count)
{
    FilmStripLayout layout{FILMSTRIP_MIN_THUMB, 0, 0, 0, 0, 1};
    const int thumbHeight = clientHeight - scrollBarHeight - 2 * FILMSTRIP_BAND;
    long long w = 0;
    if (thumbHeight > 0 && frameHeight > 0) {
        const double perThumbRow = static_cast<double>(frameHeight) / thumbHeight;
        w = std::min<long long>(static_cast<long long>(frameWidth / perThumbRow), GEOMETRY_LIMIT);
        layout.thumbHeight = thumbHeight;
        layout.thumbWidth = static_cast<int>(std::max<long long>(w, FILMSTRIP_MIN_THUMB));
    }
    layout.scaledWidth = static_cast<int>(w);
    const long long content = (w + FILMSTRIP_GAP) * std::max(count, 0) + FILMSTRIP_GAP;
    layout.rangeMax = Clamp(content + w);
    const long long useful = w < clientWidth / 2 ? content + w - clientWidth : content - clientWidth / 2;
    layout.maxPosition = Clamp(std::max<long long>(0, useful));
    layout.pageItems = static_cast<int>(std::max<long long>(1, clientWidth / (w + FILMSTRIP_GAP)));
    return layout;
}

int FilmStripScrollTarget(int code, int position, int trackPos, int thumbWidth, int page, int rangeMax)
{
    const int last = std::max(0, rangeMax - page + 1);
    const int cell = thumbWidth + FILMSTRIP_GAP;
    long long target = position;
    switch (code) {
    case SB_LINELEFT: target = static_cast<long long>(position) - cell; break;
    case SB_LINERIGHT: target = static_cast<long long>(position) + cell; break;
    case SB_PAGELEFT: target = position - page / 2; break;
    case SB_PAGERIGHT: target = static_cast<long long>(position) + page / 2; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: target = trackPos; break;
    case SB_TOP: target = 0; break;
    case SB_BOTTOM: target = last; break;
    default: return position;
    }
    return static_cast<int>(std::clamp<long long>(target, 0, last));
}

int FilmStripScrollIntoView(int item, int position, int thumbWidth, int clientWidth)
{
    const long long x = static_cast<long long>(item) * (thumbWidth + FILMSTRIP_GAP);
    const long long shown = x - position + 5;
    if (shown >= 0 && shown < clientWidth - thumbWidth / 2) return position;
    if (x > position - 6) return Clamp(std::max<long long>(0, x + thumbWidth - clientWidth + 20));
    return Clamp(std::max<long long>(0, x));
}

int FilmStripHitTest(int x, int scrollPos, int thumbWidth, int count)
{
    const int cell = thumbWidth + FILMSTRIP_GAP;
    const long long along = static_cast<long long>(scrollPos) + x - FILMSTRIP_GAP;
    if (along < 0) return -1;
    const long long item = along / cell;
    if (item >= count) return -1;
    const long long left = item * cell - scrollPos + FILMSTRIP_GAP;
    return x >= left && x <= left + thumbWidth ? static_cast<int>(item) : -1;
}

// ---- the window procedure ----------------------------------------------------------------

LRESULT CALLBACK FilmStripWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: OnCreate(window); return 0;
    case WM_DESTROY:
        if (--g_stripCount == 0 && g_sprocketBitmap) {
            DeleteObject(g_sprocketBitmap);
            g_sprocketBitmap = nullptr;
        }
        return 0;
    case WM_SIZE: {
        const int barHeight = GetSystemMetrics(SM_CYHSCROLL);
        MoveWindow(ScrollBarOf(window), 0, HIWORD(lParam) - barHeight, LOWORD(lParam), barHeight, TRUE);
        UpdateLayout(window);
        break;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(window, nullptr, FALSE); return 0;
    case WM_ERASEBKGND: SetSlot(window, FS_ERASED, 0); return 0;
    case WM_PAINT: OnPaint(window); return 0;
    case WM_KEYDOWN: OnKey(window, wParam); return 0;
    case WM_HSCROLL: OnScroll(window, LOWORD(wParam)); return 0;
    case WM_LBUTTONDOWN: OnLeftButton(window, wParam, lParam); return 0;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK: Notify(window, FILMSTRIP_NOTIFY_DBLCLK, static_cast<LPARAM>(GET_KEYSTATE_WPARAM(wParam))); return 0;
    case WM_MOUSEWHEEL:
        PostMessageA(window, WM_HSCROLL, GET_WHEEL_DELTA_WPARAM(wParam) < 0 ? SB_LINERIGHT : SB_LINELEFT, 0);
        return 0;

    case FILMSTRIP_SET_ITEMS: return SetItems(window, wParam, reinterpret_cast<const FilmStripItems*>(lParam));
    case FILMSTRIP_GET_COUNT: return Slot(window, FS_COUNT);
    case FILMSTRIP_GET_SELECTION: return Slot(window, FS_SELECTION);
    case FILMSTRIP_SELECT: SelectItem(window, ItemArgument(wParam), true); return 0;
    case FILMSTRIP_GET_ITEM: return GetItem(window, wParam, reinterpret_cast<ObjectStep*>(lParam));
    case FILMSTRIP_SET_ITEM: return SetItem(window, wParam, reinterpret_cast<const ObjectStep*>(lParam));
    case FILMSTRIP_INSERT_ITEM: return InsertItem(window, wParam, reinterpret_cast<const ObjectStep*>(lParam));
    case FILMSTRIP_APPEND_ITEM: return AppendItem(window, reinterpret_cast<const ObjectStep*>(lParam));
    case FILMSTRIP_DELETE_ITEM: return DeleteItem(window, wParam);
    case FILMSTRIP_GET_MODIFIED: return Slot(window, FS_MODIFIED);
    case FILMSTRIP_INSERT_ITEMS: return InsertItems(window, wParam, reinterpret_cast<const FilmStripInsert*>(lParam));
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
