// The "AVIREEL" film strip: layout, painting, keyboard, mouse, scrolling and
// selection of its items. Its state lives in the window's extra bytes; one
// memory DC with the film border bitmap serves every strip.
#include "ReelStrip.h"

namespace {

// Window extra bytes: 32-bit values at these offsets, the selection block's
// handle in a pointer-sized slot at the end.
constexpr int SLOT_PAINTED = 0;     // 0 after a background erase: items are asked for again
constexpr int SLOT_DRAW_WIDTH = 4;  // drawn width of an item (at least 4)
constexpr int SLOT_DRAW_HEIGHT = 8;
constexpr int SLOT_SCROLL = 12;     // scroll position in pixels
constexpr int SLOT_PAGE_ITEMS = 16; // whole item slots across the client area (at least 1)
constexpr int SLOT_CURRENT = 20;    // -1 = none
constexpr int SLOT_COUNT = 24;
constexpr int SLOT_ITEM_WIDTH = 28;
constexpr int SLOT_ITEM_HEIGHT = 32;
constexpr int SLOT_SELECTION = 36;  // movable block of one flag byte per item
constexpr int EXTRA_BYTES = SLOT_SELECTION + sizeof(LONG_PTR);

constexpr DWORD CLASS_STYLE = CS_BYTEALIGNWINDOW | CS_BYTEALIGNCLIENT | CS_CLASSDC | CS_DBLCLKS;
static_assert(CLASS_STYLE == 0x3048);

constexpr int GAP = 12;          // between items and before the first
constexpr int BORDER = 8;        // film edge above and below the pictures
constexpr int TILE_WIDTH = 60;   // of the sprocket band; a multiple of the hole pitch
constexpr int HOLE_PITCH = 12;
constexpr int TILE_ROW_Y = 8;    // the band's row in the bitmap
constexpr int SCROLL_UNIT = 32;  // pixels per scroll-bar unit
constexpr int MIN_DRAW_WIDTH = 4;
// Items are numbered in 16 bits where the parent is asked to draw them.
constexpr int MAX_ITEMS = INT16_MAX;

constexpr COLORREF GAP_COLOR = RGB(0, 128, 128);
constexpr COLORREF SELECTED_COLOR = RGB(0, 255, 255);
constexpr COLORREF CURRENT_COLOR = RGB(0, 255, 0);

// Shared by every strip: created with the first, freed with the last.
struct SharedFilm {
    HDC dc;
    HBITMAP border;
    HGDIOBJ previous;
    int users;
};
SharedFilm g_film = {};

int Get(HWND w, int slot) { return static_cast<int>(GetWindowLongA(w, slot)); }
void Set(HWND w, int slot, int value) { SetWindowLongA(w, slot, value); }
HGLOBAL Selection(HWND w) { return reinterpret_cast<HGLOBAL>(GetWindowLongPtrA(w, SLOT_SELECTION)); }
void SetSelectionBlock(HWND w, HGLOBAL block) { SetWindowLongPtrA(w, SLOT_SELECTION, reinterpret_cast<LONG_PTR>(block)); }

int Slot(HWND w) { return Get(w, SLOT_DRAW_WIDTH) + GAP; }
HWND ScrollBar(HWND w) { return GetDlgItem(w, REEL_SCROLLBAR_ID); }
int ScrollBarHeight() { return GetSystemMetrics(SM_CYHSCROLL); }
bool MultiSelect(HWND w) { return (GetWindowLongA(w, GWL_STYLE) & AVIREEL_MULTISELECT) != 0; }

void Notify(HWND w, WORD code, LPARAM item)
{
    SendMessageA(GetParent(w), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(w), code), item);
}

void Repaint(HWND w, bool askItems) { InvalidateRect(w, nullptr, askItems ? TRUE : FALSE); }

// The scroll extent in pixels: the items, a gap, and a quarter of the
// window's width beyond the last item.
int ScrollExtent(HWND w, int clientWidth)
{
    const long long extent = static_cast<long long>(Get(w, SLOT_COUNT)) * Slot(w) + GAP - clientWidth + clientWidth / 4;
    return extent < 0 ? 0 : extent > INT32_MAX / 2 ? INT32_MAX / 2 : static_cast<int>(extent);
}

void MoveScrollBar(HWND w, int offset)
{
    SetScrollPos(ScrollBar(w), SB_CTL, offset / SCROLL_UNIT, TRUE);
}

void Layout(HWND w)
{
    RECT client;
    GetClientRect(w, &client);
    const int width = client.right, height = client.bottom;
    const int bar = ScrollBarHeight();
    MoveWindow(ScrollBar(w), 0, height - bar, width, bar, TRUE);
    const int available = height - bar - 2 * BORDER;
    const int itemWidth = Get(w, SLOT_ITEM_WIDTH), itemHeight = Get(w, SLOT_ITEM_HEIGHT);
    int drawWidth = MIN_DRAW_WIDTH, drawHeight = 0;
    if (available > 0 && itemHeight > 0) {
        drawHeight = available;
        drawWidth = static_cast<int>(static_cast<long long>(itemWidth) * available / itemHeight);
        if (drawWidth < MIN_DRAW_WIDTH) drawWidth = MIN_DRAW_WIDTH;
    }
    Set(w, SLOT_DRAW_WIDTH, drawWidth);
    Set(w, SLOT_DRAW_HEIGHT, drawHeight);
    const int extent = ScrollExtent(w, width);
    SetScrollRange(ScrollBar(w), SB_CTL, 0, extent / SCROLL_UNIT, FALSE);
    if (Get(w, SLOT_SCROLL) > extent) Set(w, SLOT_SCROLL, extent);
    MoveScrollBar(w, Get(w, SLOT_SCROLL));
    const int page = width / (drawWidth + GAP);
    Set(w, SLOT_PAGE_ITEMS, page < 1 ? 1 : page);
}

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF color)
{
    if (right <= left || bottom <= top) return;
    const RECT box{left, top, right, bottom};
    SetBkColor(dc, color);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &box, nullptr, 0, nullptr);
}

// A frame `thickness` pixels wide around the rectangle, outside it.
void Outline(HDC dc, int left, int top, int right, int bottom, int thickness, COLORREF color)
{
    Fill(dc, left - thickness, top - thickness, right + thickness, top, color);
    Fill(dc, left - thickness, bottom, right + thickness, bottom + thickness, color);
    Fill(dc, left - thickness, top, left, bottom, color);
    Fill(dc, right, top, right + thickness, bottom, color);
}

bool IsSelected(HWND w, int index)
{
    HGLOBAL block = Selection(w);
    if (!block || index < 0 || index >= Get(w, SLOT_COUNT)) return false;
    const auto* flags = static_cast<const BYTE*>(GlobalLock(block));
    if (!flags) return false;
    const bool selected = flags[index] != 0;
    GlobalUnlock(block);
    return selected;
}

void Paint(HWND w, HDC dc)
{
    RECT client;
    GetClientRect(w, &client);
    const int width = client.right;
    const int drawWidth = Get(w, SLOT_DRAW_WIDTH), drawHeight = Get(w, SLOT_DRAW_HEIGHT);
    const int scroll = Get(w, SLOT_SCROLL), slot = drawWidth + GAP, count = Get(w, SLOT_COUNT);
    const int bottomEdge = BORDER + drawHeight;

    // The film's edges move with the items.
    if (g_film.dc) {
        for (int x = -(scroll % HOLE_PITCH); x < width; x += TILE_WIDTH) {
            BitBlt(dc, x, 0, TILE_WIDTH, BORDER, g_film.dc, 0, TILE_ROW_Y, SRCCOPY);
            BitBlt(dc, x, bottomEdge, TILE_WIDTH, BORDER, g_film.dc, 0, TILE_ROW_Y, SRCCOPY);
        }
    }
    SetStretchBltMode(dc, COLORONCOLOR);
    const bool askItems = Get(w, SLOT_PAINTED) == 0;
    const bool focused = GetFocus() == w;
    const int current = Get(w, SLOT_CURRENT);
    int index = scroll / slot;
    int x = GAP + index * slot - scroll;
    Fill(dc, 0, BORDER, x, bottomEdge, GAP_COLOR);
    for (; index < count && x < width; ++index, x += slot) {
        if (askItems && drawHeight > 0) {
            ReelDrawItem item{dc, static_cast<int16_t>(index), static_cast<int16_t>(x), static_cast<int16_t>(BORDER),
                              static_cast<int16_t>(drawWidth), static_cast<int16_t>(drawHeight)};
            const int saved = SaveDC(dc);
            SendMessageA(GetParent(w), AVIREEL_DRAW_ITEM, static_cast<WPARAM>(GetDlgCtrlID(w)),
                         reinterpret_cast<LPARAM>(&item));
            RestoreDC(dc, saved);
        }
        Fill(dc, x + drawWidth, BORDER, x + slot, bottomEdge, GAP_COLOR);
        if (IsSelected(w, index)) Outline(dc, x, BORDER, x + drawWidth, bottomEdge, 1, SELECTED_COLOR);
        if (index == current) Outline(dc, x, BORDER, x + drawWidth, bottomEdge, focused ? 2 : 1, CURRENT_COLOR);
    }
    Fill(dc, x, BORDER, width, bottomEdge, GAP_COLOR);
    Set(w, SLOT_PAINTED, 1);
}

// Scrolls so that an item shows: at the left edge when it lies to the
// left, at the right edge when it lies to the right. True when it moved.
bool MakeVisible(HWND w, int index)
{
    RECT client;
    GetClientRect(w, &client);
    const int drawWidth = Get(w, SLOT_DRAW_WIDTH), slot = drawWidth + GAP;
    const int scroll = Get(w, SLOT_SCROLL);
    const long long x = static_cast<long long>(slot) * index - scroll + 6;
    if (x >= 0 && x < client.right - drawWidth / 2) return false;
    long long offset = x < 0 ? static_cast<long long>(slot) * index
                             : static_cast<long long>(slot) * index + 18 - (client.right - 6 - drawWidth);
    if (offset < 0) offset = 0;
    if (offset > INT32_MAX / 2) offset = INT32_MAX / 2;
    Set(w, SLOT_SCROLL, static_cast<int>(offset));
    MoveScrollBar(w, static_cast<int>(offset));
    return true;
}

LRESULT SetCurrent(HWND w, int index, bool keepScroll)
{
    if (index < 0) index = -1;  // any negative index means none
    if (index >= Get(w, SLOT_COUNT) || index == Get(w, SLOT_CURRENT)) return 0;
    Set(w, SLOT_CURRENT, index);
    const bool scrolled = !keepScroll && index >= 0 && MakeVisible(w, index);
    Repaint(w, scrolled || keepScroll);
    return 0;
}

LRESULT SetItems(HWND w, WPARAM count, LPARAM size)
{
    int items = static_cast<int>(static_cast<INT_PTR>(count));
    if (items < 0) items = 0;
    if (items > MAX_ITEMS) items = MAX_ITEMS;
    Set(w, SLOT_COUNT, items);
    Set(w, SLOT_ITEM_WIDTH, LOWORD(size));
    Set(w, SLOT_ITEM_HEIGHT, HIWORD(size));
    Set(w, SLOT_CURRENT, -1);
    if (HGLOBAL old = Selection(w)) GlobalFree(old);
    SetSelectionBlock(w, items > 0 ? GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(items)) : nullptr);
    if (items == 0) Set(w, SLOT_SCROLL, 0);
    Layout(w);
    Repaint(w, true);
    return 0;
}

LRESULT SetSelection(HWND w, WPARAM state, LPARAM range)
{
    if (!MultiSelect(w)) return 0;
    HGLOBAL block = Selection(w);
    const int count = Get(w, SLOT_COUNT);
    const int first = LOWORD(range);
    int last = HIWORD(range);
    if (last > count - 1) last = count - 1;
    if (!block || first > last) return 0;
    auto* flags = static_cast<BYTE*>(GlobalLock(block));
    if (!flags) return 0;
    for (int i = first; i <= last; ++i) flags[i] = state ? 1 : 0;
    GlobalUnlock(block);
    Notify(w, AVIREEL_SELECTION_CHANGED, 0);
    Repaint(w, false);
    return 0;
}

int SelectedCount(HWND w)
{
    HGLOBAL block = Selection(w);
    const int count = Get(w, SLOT_COUNT);
    const auto* flags = block ? static_cast<const BYTE*>(GlobalLock(block)) : nullptr;
    if (!flags) return 0;
    int selected = 0;
    for (int i = 0; i < count; ++i) selected += flags[i] ? 1 : 0;
    GlobalUnlock(block);
    return selected;
}

void KeyDown(HWND w, WPARAM key)
{
    const int count = Get(w, SLOT_COUNT), current = Get(w, SLOT_CURRENT), page = Get(w, SLOT_PAGE_ITEMS);
    if (key == VK_SPACE) {
        if (current >= 0) SetSelection(w, IsSelected(w, current) ? 0 : 1, MAKELPARAM(current, current));
        return;
    }
    int target;
    switch (key) {
    case VK_LEFT: target = current - 1; break;
    case VK_RIGHT: target = current + 1; break;
    case VK_PRIOR: target = current - page; break;
    case VK_NEXT: target = current + page; break;
    case VK_HOME: target = 0; break;
    case VK_END: target = count - 1; break;
    default: return;
    }
    if (count <= 0) return;
    if (target < 0) target = 0;
    if (target > count - 1) target = count - 1;
    if (target == current) return;
    Notify(w, AVIREEL_KEY_MOVED, target);
    SetCurrent(w, target, false);
}

// The item under a point of the client area, or -1 (the gaps hit nothing).
int HitTest(HWND w, int x, int y)
{
    const int drawWidth = Get(w, SLOT_DRAW_WIDTH), slot = drawWidth + GAP;
    if (y < BORDER || y >= BORDER + Get(w, SLOT_DRAW_HEIGHT)) return -1;
    const long long along = static_cast<long long>(x) + Get(w, SLOT_SCROLL) - GAP;
    if (along < 0 || along % slot >= drawWidth) return -1;
    const long long index = along / slot;
    return index < Get(w, SLOT_COUNT) ? static_cast<int>(index) : -1;
}

void Mouse(HWND w, LPARAM point, WORD code)
{
    SetFocus(w);
    const int index = HitTest(w, static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point)));
    if (index >= 0) Notify(w, code, index);
}

void Scroll(HWND w, WPARAM request)
{
    HWND bar = ScrollBar(w);
    int low = 0, high = 0;
    GetScrollRange(bar, SB_CTL, &low, &high);
    const int was = GetScrollPos(bar, SB_CTL);
    // At least one unit, also for slots narrower than a unit.
    const int step = Slot(w) / SCROLL_UNIT > 0 ? Slot(w) / SCROLL_UNIT : 1;
    int position = was;
    switch (LOWORD(request)) {
    case SB_LINELEFT: position -= step; break;
    case SB_LINERIGHT: position += step; break;
    case SB_PAGELEFT: position -= step * Get(w, SLOT_PAGE_ITEMS); break;
    case SB_PAGERIGHT: position += step * Get(w, SLOT_PAGE_ITEMS); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: position = static_cast<short>(HIWORD(request)); break;
    case SB_LEFT: position = low; break;
    case SB_RIGHT: position = high; break;
    default: return;
    }
    if (position < low) position = low;
    if (position > high) position = high;
    if (position == was) return;
    Set(w, SLOT_SCROLL, position * SCROLL_UNIT);
    SetScrollPos(bar, SB_CTL, position, TRUE);
    Repaint(w, true);
}

bool Create(HWND w, const CREATESTRUCTA* create)
{
    Set(w, SLOT_CURRENT, -1);
    Set(w, SLOT_DRAW_WIDTH, MIN_DRAW_WIDTH);
    Set(w, SLOT_PAGE_ITEMS, 1);
    if (!CreateWindowA("SCROLLBAR", "", WS_CHILD | WS_VISIBLE | SBS_HORZ, 0, 0, 0, 0, w,
                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(REEL_SCROLLBAR_ID)), create->hInstance, nullptr))
        return false;
    if (g_film.users++ == 0) {
        HINSTANCE module = reinterpret_cast<HINSTANCE>(GetClassLongPtrA(w, GCLP_HMODULE));
        g_film.dc = CreateCompatibleDC(nullptr);
        g_film.border = LoadBitmapA(module, MAKEINTRESOURCEA(REEL_BORDER_BITMAP));
        g_film.previous = g_film.dc && g_film.border ? SelectObject(g_film.dc, g_film.border) : nullptr;
    }
    Layout(w);
    return true;
}

void Destroy(HWND w)
{
    if (HGLOBAL block = Selection(w)) GlobalFree(block);
    SetSelectionBlock(w, nullptr);
    if (--g_film.users == 0) {
        if (g_film.dc && g_film.previous) SelectObject(g_film.dc, g_film.previous);
        if (g_film.border) DeleteObject(g_film.border);
        if (g_film.dc) DeleteDC(g_film.dc);
        g_film = {};
    }
}

LRESULT CALLBACK ReelStripProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: return Create(w, reinterpret_cast<const CREATESTRUCTA*>(lParam)) ? 0 : -1;
    case WM_NCDESTROY:
        Destroy(w);
        break;
    case WM_SIZE:
        Layout(w);
        Repaint(w, true);
        return 0;
    case WM_ERASEBKGND:
        Set(w, SLOT_PAINTED, 0);
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        Paint(w, dc);
        EndPaint(w, &ps);
        return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: Repaint(w, false); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_KEYDOWN: KeyDown(w, wParam); return 0;
    case WM_LBUTTONDOWN: Mouse(w, lParam, AVIREEL_CLICKED); return 0;
    case WM_LBUTTONDBLCLK: Mouse(w, lParam, AVIREEL_DOUBLE_CLICKED); return 0;
    case WM_RBUTTONDOWN: Mouse(w, lParam, AVIREEL_RIGHT_CLICKED); return 0;
    case WM_HSCROLL: Scroll(w, wParam); return 0;
    case AVIREEL_SET_ITEMS: return SetItems(w, wParam, lParam);
    case AVIREEL_GET_COUNT: return Get(w, SLOT_COUNT);
    case AVIREEL_GET_CURRENT: return Get(w, SLOT_CURRENT);
    case AVIREEL_SET_CURRENT:
        return SetCurrent(w, static_cast<int>(static_cast<INT_PTR>(wParam)), lParam != 0);
    case AVIREEL_IS_SELECTED: return IsSelected(w, static_cast<int>(static_cast<INT_PTR>(wParam))) ? 1 : 0;
    case AVIREEL_SET_SELECTION: return SetSelection(w, wParam, lParam);
    case AVIREEL_GET_SELECTED_COUNT: return SelectedCount(w);
    default: break;
    }
    return DefWindowProcA(w, message, wParam, lParam);
}

}  // namespace

bool RegisterReelStripClass(HINSTANCE module)
{
    WNDCLASSA cls{};
    cls.style = CLASS_STYLE;
    cls.lpfnWndProc = ReelStripProc;
    cls.cbWndExtra = EXTRA_BYTES;
    cls.hInstance = module;
    cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    cls.lpszClassName = REEL_STRIP_CLASS;
    return RegisterClassA(&cls) != 0;
}

void UnregisterReelStripClass(HINSTANCE module)
{
    UnregisterClassA(REEL_STRIP_CLASS, module);
}
