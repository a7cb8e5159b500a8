// The dialog "Print Images": the page view "PAGE" on which frames are placed,
// moved and sized, the print film "PRINTFILM" they are dragged from, and the
// drag between the two, which the dialog itself tracks.
#include "PrintDialogState.h"
#include "AppState.h"
#include "DialogUtilities.h"
#include "resource.h"
#include <windowsx.h>
#include <algorithm>
#include <cmath>

namespace {

constexpr COLORREF OUTSIDE_PAGE = RGB(192, 192, 192);
constexpr COLORREF PAGE_SHADOW = RGB(128, 128, 128);
constexpr COLORREF FILM_COLOR = RGB(128, 128, 0);
constexpr COLORREF FILM_SELECTION = RGB(0, 255, 0);
constexpr int SHADOW_WIDTH = 4;
constexpr int LINE_MM = 5;    // one scroll line
constexpr int PAGE_MM = 50;   // one scroll page
constexpr int FILM_BAND = 8;
constexpr int FILM_LEFT = 5;
constexpr int FILM_GAP = 10;
constexpr int FILM_TOP_SOURCE_ROW = 2;
constexpr int SPROCKET_PIECE = 60;
constexpr int ORIENTATION_SIZE = 32;
constexpr int DRAG_LINE = 2;
constexpr int DRAG_MARK = 4;
constexpr int READOUT_CHARS = 32;

struct PageViewState {
    HWND window;
    PageGeometry geometry;
    int screenDpiX, screenDpiY;
    int scrollX, scrollY;
    int resizeCorner;         // the corner being dragged, -1 none
    PlacedFrame resizeStart;
    bool pressed;             // the button went down on the selected frame: moving drags it
    int savedDC;
};

struct PrintFilmState {
    HWND window;
    int thumbWidth, thumbHeight;
    int first;      // first visible frame
    int visible;    // frames the film shows at once, at least 1
    int selected;   // -1 without frames
    bool pressed;   // the button went down on a frame: moving drags it
};

struct DragState {
    bool active;
    int index;      // the placed frame dragged, -1 a new frame from the film
    int width, height;
    bool drawn;
    RECT shown;     // the inverted rectangle, dialog client coordinates
};

// The one "Print Images" dialog: the printer's page, the two views and the drag.
struct PrintDialogState {
    PrinterCaps caps;
    bool viewTooSmall;
    PageViewState page;
    PrintFilmState film;
    DragState drag;
    HBITMAP orientation;
    HBITMAP sprockets;
};
PrintDialogState g_print;

PlacedFrame Normalized(PlacedFrame f)
{
    if (f.width < 0) {
        f.x += f.width;
        f.width = -f.width;
    }
    if (f.height < 0) {
        f.y += f.height;
        f.height = -f.height;
    }
    return f;
}

RECT ClientRectOf(const PlacedFrame& placed)
{
    const PlacedFrame f = Normalized(placed);
    const int x = f.x - g_print.page.scrollX, y = f.y - g_print.page.scrollY;
    return {x, y, x + f.width, y + f.height};
}

HWND DialogOf(HWND child) { return GetParent(child); }

void SetReadouts(HWND dialog, const char* x, const char* y)
{
    SetDlgItemTextA(dialog, IDC_PRINT_READOUT_X, x);
    SetDlgItemTextA(dialog, IDC_PRINT_READOUT_Y, y);
}

// A page position in millimetres.
void ShowPosition(HWND dialog, int x, int y)
{
    char textX[READOUT_CHARS], textY[READOUT_CHARS];
    FormatReadout(textX, sizeof textX, 'X', TenthsOfMillimetre(x, g_print.page.geometry.pixelsPerMmX), "mm");
    FormatReadout(textY, sizeof textY, 'Y', TenthsOfMillimetre(y, g_print.page.geometry.pixelsPerMmY), "mm");
    SetReadouts(dialog, textX, textY);
}

int NaturalWidth()
{
    return NaturalViewSize(g_appState.frameWidth, g_print.caps.logPixelsX, g_print.page.screenDpiX,
                           g_print.page.geometry.scale);
}
int NaturalHeight()
{
    return NaturalViewSize(g_appState.frameHeight, g_print.caps.logPixelsY, g_print.page.screenDpiY,
                           g_print.page.geometry.scale);
}

// A size in percent of the frame's natural print size.
void ShowSize(HWND dialog, int width, int height)
{
    char textX[READOUT_CHARS], textY[READOUT_CHARS];
    FormatReadout(textX, sizeof textX, 'X', TenthsOfPercent(std::abs(width), NaturalWidth()), "%");
    FormatReadout(textY, sizeof textY, 'Y', TenthsOfPercent(std::abs(height), NaturalHeight()), "%");
    SetReadouts(dialog, textX, textY);
}

void UpdatePrintButton(HWND dialog) { EnableWindow(GetDlgItem(dialog, IDC_PRINT_START), g_printLayout.count > 0); }

bool KeepAspect(HWND dialog) { return IsDlgButtonChecked(dialog, IDC_PRINT_KEEP_ASPECT) == BST_CHECKED; }

// ---- the page view ---------------------------------------------------------------------

void SetPageScrollBars(HWND window)
{
    for (int bar : {SB_HORZ, SB_VERT}) {
        SCROLLINFO info{sizeof info, SIF_RANGE | SIF_POS | SIF_DISABLENOSCROLL};
        info.nMax = bar == SB_HORZ ? g_print.page.geometry.scrollMaxX : g_print.page.geometry.scrollMaxY;
        info.nPos = bar == SB_HORZ ? g_print.page.scrollX : g_print.page.scrollY;
        SetScrollInfo(window, bar, &info, TRUE);
    }
}

void PageCreate(HWND window)
{
    g_print.page = PageViewState{};
    g_print.page.window = window;
    g_print.page.resizeCorner = -1;
    g_print.page.savedDC = SaveDC(GetDC(window));
    // The layout of the last time stays only while Shift is held.
    if (GetKeyState(VK_SHIFT) >= 0) g_printLayout.count = 0;
    g_printLayout.selected = -1;
    HDC screen = GetDC(nullptr);
    g_print.page.screenDpiX = GetDeviceCaps(screen, LOGPIXELSX);
    g_print.page.screenDpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    // The scroll bars always stand; the client area is the view without them.
    SetScrollRange(window, SB_HORZ, 0, 1, FALSE);
    SetScrollRange(window, SB_VERT, 0, 1, FALSE);
    RECT client;
    GetClientRect(window, &client);
    if (!ComputePageGeometry(g_print.caps, client.right, client.bottom, 0, 0, &g_print.page.geometry)) {
        g_print.viewTooSmall = true;
        return;
    }
    SetPageScrollBars(window);
}

void DrawPlacedFrame(HDC dc, HDC source, const PlacedFrame& placed)
{
    const int frame = placed.frameIndex;
    if (frame < 0 || frame >= g_appState.frameCount || !g_appState.frameBitmaps[frame]) return;
    const RECT r = ClientRectOf(placed);
    HGDIOBJ old = SelectObject(source, g_appState.frameBitmaps[frame]);
    StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, source, 0, 0, g_appState.frameWidth,
               g_appState.frameHeight, SRCCOPY);
    SelectObject(source, old);
}

void PagePaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    const int saved = SaveDC(dc);
    RECT client;
    GetClientRect(window, &client);
    HBRUSH outside = CreateSolidBrush(OUTSIDE_PAGE);
    FillRect(dc, &client, outside);
    DeleteObject(outside);
    if (!g_print.viewTooSmall) {
        const int left = -g_print.page.scrollX, top = -g_print.page.scrollY;
        const int right = left + g_print.page.geometry.pageWidth, bottom = top + g_print.page.geometry.pageHeight;
        HBRUSH shadow = CreateSolidBrush(PAGE_SHADOW);
        const RECT side = {right, top + SHADOW_WIDTH, right + SHADOW_WIDTH, bottom + SHADOW_WIDTH};
        const RECT below = {left + SHADOW_WIDTH, bottom, right + SHADOW_WIDTH, bottom + SHADOW_WIDTH};
        FillRect(dc, &side, shadow);
        FillRect(dc, &below, shadow);
        DeleteObject(shadow);
        SelectObject(dc, GetStockObject(BLACK_PEN));
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
        Rectangle(dc, left, top, right, bottom);

        if (g_appState.documentPalette) {
            SelectPalette(dc, g_appState.documentPalette, TRUE);
            RealizePalette(dc);
        }
        IntersectClipRect(dc, left + 1, top + 1, right - 1, bottom - 1);
        SetStretchBltMode(dc, COLORONCOLOR);
        HDC source = CreateCompatibleDC(dc);
        for (int i = 0; i < g_printLayout.count; ++i) DrawPlacedFrame(dc, source, g_printLayout.frames[i]);
        DeleteDC(source);
        const int selected = g_printLayout.selected;
        if (selected >= 0 && selected < g_printLayout.count) {
            const RECT r = ClientRectOf(g_printLayout.frames[selected]);
            HPEN dotted = CreatePen(PS_DOT, 1, RGB(0, 0, 0));
            SelectObject(dc, dotted);
            SelectObject(dc, GetStockObject(NULL_BRUSH));
            SetBkColor(dc, RGB(255, 255, 255));
            Rectangle(dc, r.left, r.top, r.right, r.bottom);
            SelectObject(dc, GetStockObject(BLACK_PEN));
            DeleteObject(dotted);
        }
    }
    RestoreDC(dc, saved);
    EndPaint(window, &paint);
}

void PageScroll(HWND window, int bar, int code)
{
    const bool horizontal = bar == SB_HORZ;
    int& position = horizontal ? g_print.page.scrollX : g_print.page.scrollY;
    const double perMm = horizontal ? g_print.page.geometry.pixelsPerMmX : g_print.page.geometry.pixelsPerMmY;
    const int maximum = horizontal ? g_print.page.geometry.scrollMaxX : g_print.page.geometry.scrollMaxY;
    const int line = std::max(1, static_cast<int>(std::lround(LINE_MM * perMm)));
    const int page = std::max(1, static_cast<int>(std::lround(PAGE_MM * perMm)));
    SCROLLINFO info{sizeof info, SIF_TRACKPOS};
    GetScrollInfo(window, bar, &info);
    int target = position;
    switch (code) {
    case SB_LINEUP: target -= line; break;
    case SB_LINEDOWN: target += line; break;
    case SB_PAGEUP: target -= page; break;
    case SB_PAGEDOWN: target += page; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: target = info.nTrackPos; break;
    case SB_TOP: target = 0; break;
    case SB_BOTTOM: target = maximum; break;
    default: return;
    }
    target = std::clamp(target, 0, maximum);
    if (target == position) return;
    const int shift = position - target;
    position = target;
    ScrollWindowEx(window, horizontal ? shift : 0, horizontal ? 0 : shift, nullptr, nullptr, nullptr, nullptr,
                   SW_INVALIDATE | SW_ERASE);
    SetScrollPos(window, bar, target, TRUE);
}

POINT PagePoint(LPARAM clientPoint)
{
    return {GET_X_LPARAM(clientPoint) + g_print.page.scrollX, GET_Y_LPARAM(clientPoint) + g_print.page.scrollY};
}

bool OnPage(POINT p)
{
    return p.x >= 0 && p.y >= 0 && p.x < g_print.page.geometry.pageWidth && p.y < g_print.page.geometry.pageHeight;
}

int SelectedCorner(POINT p)
{
    const int selected = g_printLayout.selected;
    if (selected < 0 || selected >= g_printLayout.count) return -1;
    return HitCorner(Normalized(g_printLayout.frames[selected]), p.x, p.y);
}

void PageMouseMove(HWND window, WPARAM keys, LPARAM point)
{
    HWND dialog = DialogOf(window);
    const POINT p = PagePoint(point);
    if (g_print.page.resizeCorner >= 0) {
        PlacedFrame& frame = g_printLayout.frames[g_printLayout.selected];
        frame = ResizeFromCorner(g_print.page.resizeStart, g_print.page.resizeCorner, p.x, p.y, KeepAspect(dialog),
                                 g_appState.frameWidth, g_appState.frameHeight);
        ShowSize(dialog, frame.width, frame.height);
        InvalidateRect(window, nullptr, FALSE);
        return;
    }
    if ((keys & MK_LBUTTON) && g_print.page.pressed && g_printLayout.selected >= 0) {
        g_print.page.pressed = false;
        const PlacedFrame& f = g_printLayout.frames[g_printLayout.selected];
        SendMessageA(dialog, PRINT_BEGIN_DRAG, static_cast<WPARAM>(g_printLayout.selected), MAKELONG(f.width, f.height));
        return;
    }
    if (OnPage(p))
        ShowPosition(dialog, p.x, p.y);
    else
        SetReadouts(dialog, "", "");
}

bool PageSetCursor(HWND window)
{
    POINT cursor;
    GetCursorPos(&cursor);
    ScreenToClient(window, &cursor);
    const int corner = g_print.page.resizeCorner >= 0 ? g_print.page.resizeCorner
                                                       : SelectedCorner({cursor.x + g_print.page.scrollX,
                                                                         cursor.y + g_print.page.scrollY});
    if (corner < 0) return false;
    SetCursor(LoadCursorA(nullptr, corner == 0 || corner == 2 ? IDC_SIZENWSE : IDC_SIZENESW));
    return true;
}

void PageButtonDown(HWND window, WPARAM keys, LPARAM point)
{
    const POINT p = PagePoint(point);
    const int corner = SelectedCorner(p);
    if (corner >= 0) {
        PlacedFrame& frame = g_printLayout.frames[g_printLayout.selected];
        frame = Normalized(frame);
        g_print.page.resizeStart = frame;
        g_print.page.resizeCorner = corner;
        SetCapture(window);
        return;
    }
    int hit = -1;
    for (int i = g_printLayout.count - 1; i >= 0 && hit < 0; --i) {
        const PlacedFrame f = Normalized(g_printLayout.frames[i]);
        if (p.x >= f.x && p.x < f.x + f.width && p.y >= f.y && p.y < f.y + f.height) hit = i;
    }
    if (hit >= 0) {
        const PlacedFrame f = g_printLayout.frames[hit];
        ShowPosition(DialogOf(window), f.x, f.y);
        const int top = g_printLayout.count - 1;
        if ((keys & MK_SHIFT) && hit != top) {
            // Brought to the top: the others close up beneath it.
            std::rotate(g_printLayout.frames + hit, g_printLayout.frames + hit + 1, g_printLayout.frames + top + 1);
            const int selected = g_printLayout.selected;
            if (selected == hit) g_printLayout.selected = top;
            else if (selected > hit) g_printLayout.selected = selected - 1;
        } else {
            g_printLayout.selected = hit;
            g_print.page.pressed = true;
        }
    } else {
        g_printLayout.selected = -1;
    }
    InvalidateRect(window, nullptr, FALSE);
}

void PageButtonUp(HWND window, LPARAM point)
{
    g_print.page.pressed = false;
    if (g_print.page.resizeCorner < 0) return;
    g_print.page.resizeCorner = -1;
    PlacedFrame& frame = g_printLayout.frames[g_printLayout.selected];
    frame = Normalized(frame);
    frame.width = std::max(frame.width, 1);
    frame.height = std::max(frame.height, 1);
    RECT client;
    GetClientRect(window, &client);
    const POINT released = {GET_X_LPARAM(point), GET_Y_LPARAM(point)};
    if (!PtInRect(&client, released)) g_printLayout.selected = -1;
    ReleaseCapture();
    InvalidateRect(window, nullptr, FALSE);
}

void PageDeleteSelected(HWND window)
{
    const int selected = g_printLayout.selected;
    if (selected < 0 || selected >= g_printLayout.count) return;
    std::copy(g_printLayout.frames + selected + 1, g_printLayout.frames + g_printLayout.count,
              g_printLayout.frames + selected);
    --g_printLayout.count;
    g_printLayout.selected = -1;
    InvalidateRect(window, nullptr, FALSE);
    UpdatePrintButton(DialogOf(window));
}

LRESULT PageDrop(HWND window, WPARAM frameIndex, LPARAM screenPoint)
{
    POINT p = {GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
    ScreenToClient(window, &p);
    p.x += g_print.page.scrollX;
    p.y += g_print.page.scrollY;
    const int selected = g_printLayout.selected;
    if (selected >= 0 && selected < g_printLayout.count) {
        PlacedFrame& f = g_printLayout.frames[selected];
        f.x = p.x - f.width / 2;
        f.y = p.y - f.height / 2;
    } else {
        const LONG_PTR frame = static_cast<LONG_PTR>(frameIndex);
        // No room for a 33rd frame, and none for a frame the sequence lacks.
        if (g_printLayout.count >= MAX_PLACED_FRAMES || frame < 0 || frame >= g_appState.frameCount) return 0;
        g_printLayout.frames[g_printLayout.count++] =
            PlaceDroppedFrame(static_cast<int>(frame), NaturalWidth(), NaturalHeight(), p.x, p.y,
                              g_print.page.geometry.pageWidth, g_print.page.geometry.pageHeight);
    }
    InvalidateRect(window, nullptr, FALSE);
    UpdatePrintButton(DialogOf(window));
    return 1;
}

// ---- the print film ----------------------------------------------------------------------

void FilmCreate(HWND window)
{
    g_print.film = PrintFilmState{};
    g_print.film.window = window;
    RECT client;
    GetClientRect(window, &client);
    const int thumbHeight = client.bottom - 2 * FILM_BAND;
    if (thumbHeight > 0 && g_appState.frameHeight > 0) {
        g_print.film.thumbHeight = thumbHeight;
        g_print.film.thumbWidth = static_cast<int>(static_cast<long long>(g_appState.frameWidth) * thumbHeight /
                                                   g_appState.frameHeight);
    }
    g_print.film.visible = std::max(1, static_cast<int>(client.right / (g_print.film.thumbWidth + FILM_GAP)));
    g_print.film.selected = g_appState.frameCount > 0 ? 0 : -1;
}

int FilmThumbX(int frame) { return FILM_LEFT + (frame - g_print.film.first) * (g_print.film.thumbWidth + FILM_GAP); }

void PaintFilmBand(HDC dc, HDC source, int width, int y, int sourceRow)
{
    for (int x = 0; x < width; x += SPROCKET_PIECE)
        BitBlt(dc, x, y, std::min(SPROCKET_PIECE, width - x), FILM_BAND, source, 0, sourceRow, SRCCOPY);
}

void FilmPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    HDC source = CreateCompatibleDC(dc);
    if (g_print.sprockets) {
        HGDIOBJ old = SelectObject(source, g_print.sprockets);
        PaintFilmBand(dc, source, client.right, 0, FILM_TOP_SOURCE_ROW);
        PaintFilmBand(dc, source, client.right, client.bottom - FILM_BAND, 0);
        SelectObject(source, old);
    }
    const RECT band = {0, FILM_BAND, client.right, client.bottom - FILM_BAND};
    HBRUSH film = CreateSolidBrush(FILM_COLOR);
    FillRect(dc, &band, film);
    DeleteObject(film);
    HPALETTE oldPalette = nullptr;
    if (g_appState.documentPalette) {
        oldPalette = SelectPalette(dc, g_appState.documentPalette, TRUE);
        RealizePalette(dc);
    }
    SetStretchBltMode(dc, COLORONCOLOR);
    const PrintFilmState& f = g_print.film;
    for (int frame = f.first; frame < g_appState.frameCount && f.thumbHeight > 0; ++frame) {
        const int x = FilmThumbX(frame);
        if (x >= client.right) break;
        if (HBITMAP bitmap = g_appState.frameBitmaps[frame]) {
            HGDIOBJ old = SelectObject(source, bitmap);
            StretchBlt(dc, x, FILM_BAND, f.thumbWidth, f.thumbHeight, source, 0, 0, g_appState.frameWidth,
                       g_appState.frameHeight, SRCCOPY);
            SelectObject(source, old);
        }
        if (frame == f.selected) {
            HPEN pen = CreatePen(PS_SOLID, 1, FILM_SELECTION);
            HGDIOBJ oldPen = SelectObject(dc, pen);
            HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
            Rectangle(dc, x - 2, FILM_BAND - 2, x + f.thumbWidth + 2, FILM_BAND + f.thumbHeight + 2);
            SelectObject(dc, oldBrush);
            SelectObject(dc, oldPen);
            DeleteObject(pen);
        }
    }
    if (oldPalette) SelectPalette(dc, oldPalette, TRUE);
    DeleteDC(source);
    EndPaint(window, &paint);
}

HWND FilmScrollBar() { return GetDlgItem(DialogOf(g_print.film.window), IDC_PRINT_FILM_SCROLL); }

int FilmLastFirst() { return std::max(0, g_appState.frameCount - g_print.film.visible); }

void FilmScroll(HWND window, int code)
{
    PrintFilmState& f = g_print.film;
    const int last = FilmLastFirst();
    SCROLLINFO info{sizeof info, SIF_TRACKPOS};
    GetScrollInfo(FilmScrollBar(), SB_CTL, &info);
    int target = f.first;
    switch (code) {
    case SB_LINELEFT:
        if (f.first == 0) MessageBeep(0);
        target = f.first - 1;
        break;
    case SB_LINERIGHT:
        if (f.first >= last) MessageBeep(0);
        target = f.first + 1;
        break;
    case SB_PAGELEFT: target = f.first - f.visible; break;
    case SB_PAGERIGHT: target = f.first + f.visible; break;
    case SB_TOP: target = 0; break;
    case SB_BOTTOM: target = last; break;
    case SB_THUMBPOSITION: target = info.nTrackPos; break;
    case SB_THUMBTRACK:
        if (!(g_appState.optionFlags & OPTION_TRACK_FILM)) return;
        target = info.nTrackPos;
        break;
    default: return;
    }
    target = std::clamp(target, 0, last);
    SetScrollPos(FilmScrollBar(), SB_CTL, target, TRUE);
    if (target == f.first) return;
    f.first = target;
    InvalidateRect(window, nullptr, TRUE);
}

// The frame a client x shows, or -1 (a gap, or past the last frame).
int FilmFrameAt(int x)
{
    const PrintFilmState& f = g_print.film;
    const int along = x - FILM_LEFT;
    if (along < 0 || f.thumbWidth <= 0) return -1;
    const int frame = f.first + along / (f.thumbWidth + FILM_GAP);
    if (along % (f.thumbWidth + FILM_GAP) >= f.thumbWidth || frame >= g_appState.frameCount) return -1;
    return frame;
}

void FilmButtonDown(HWND window, LPARAM point)
{
    const int y = GET_Y_LPARAM(point);
    const int frame = FilmFrameAt(GET_X_LPARAM(point));
    if (frame < 0 || y < FILM_BAND || y >= FILM_BAND + g_print.film.thumbHeight) return;
    g_print.film.selected = frame;
    g_print.film.pressed = true;
    InvalidateRect(window, nullptr, FALSE);
}

void FilmMouseMove(HWND window, WPARAM keys)
{
    if (!(keys & MK_LBUTTON) || !g_print.film.pressed) return;
    g_print.film.pressed = false;
    if (g_printLayout.count >= MAX_PLACED_FRAMES) return;
    SendMessageA(DialogOf(window), PRINT_BEGIN_DRAG, static_cast<WPARAM>(-1),
                 MAKELONG(g_print.film.thumbWidth, g_print.film.thumbHeight));
}

// ---- the dialog and its drag --------------------------------------------------------------

void InvertDragRect(HWND dialog)
{
    const DragState& d = g_print.drag;
    const RECT& r = d.shown;
    HDC dc = GetDC(dialog);
    const int w = r.right - r.left, h = r.bottom - r.top;
    PatBlt(dc, r.left, r.top, w, DRAG_LINE, DSTINVERT);
    PatBlt(dc, r.left, r.bottom - DRAG_LINE, w, DRAG_LINE, DSTINVERT);
    PatBlt(dc, r.left, r.top + DRAG_LINE, DRAG_LINE, h - 2 * DRAG_LINE, DSTINVERT);
    PatBlt(dc, r.right - DRAG_LINE, r.top + DRAG_LINE, DRAG_LINE, h - 2 * DRAG_LINE, DSTINVERT);
    if (d.index >= 0) {
        for (POINT corner : {POINT{r.left - DRAG_MARK, r.top - DRAG_MARK}, POINT{r.right, r.top - DRAG_MARK},
                             POINT{r.right, r.bottom}, POINT{r.left - DRAG_MARK, r.bottom}})
            PatBlt(dc, corner.x, corner.y, DRAG_MARK, DRAG_MARK, DSTINVERT);
    }
    ReleaseDC(dialog, dc);
}

void HideDragRect(HWND dialog)
{
    if (!g_print.drag.drawn) return;
    InvertDragRect(dialog);
    g_print.drag.drawn = false;
}

void BeginDrag(HWND dialog, WPARAM index, LPARAM size)
{
    DragState& d = g_print.drag;
    d = DragState{};
    d.active = true;
    d.index = static_cast<int>(static_cast<LONG_PTR>(index));
    d.width = std::max(1, static_cast<int>(static_cast<short>(LOWORD(size))));
    d.height = std::max(1, static_cast<int>(static_cast<short>(HIWORD(size))));
    // A frame from the film is new: no placed frame is moved by its drop.
    if (d.index < 0) {
        g_printLayout.selected = -1;
        InvalidateRect(g_print.page.window, nullptr, FALSE);
    }
    SetCapture(dialog);
}

void EndDrag(HWND dialog)
{
    HideDragRect(dialog);
    g_print.drag.active = false;
    if (GetCapture() == dialog) ReleaseCapture();
}

bool PointerInside(HWND window, POINT screen)
{
    RECT r;
    return GetWindowRect(window, &r) && PtInRect(&r, screen);
}

void DragMove(HWND dialog, LPARAM point)
{
    DragState& d = g_print.drag;
    POINT p = {GET_X_LPARAM(point), GET_Y_LPARAM(point)};
    POINT screen = p;
    ClientToScreen(dialog, &screen);
    if (!PointerInside(dialog, screen)) {
        // Leaving the dialog cancels the drag; a placed frame stays where it was.
        EndDrag(dialog);
        if (d.index >= 0) {
            g_printLayout.selected = -1;
            InvalidateRect(g_print.page.window, nullptr, FALSE);
        }
        return;
    }
    HideDragRect(dialog);
    d.shown = {p.x - d.width / 2, p.y - d.height / 2, p.x - d.width / 2 + d.width, p.y - d.height / 2 + d.height};
    InvertDragRect(dialog);
    d.drawn = true;
    if (d.index >= 0) {
        POINT corner = {d.shown.left, d.shown.top};
        MapWindowPoints(dialog, g_print.page.window, &corner, 1);
        ShowPosition(dialog, corner.x + g_print.page.scrollX, corner.y + g_print.page.scrollY);
    }
}

void DragDrop(HWND dialog, LPARAM point)
{
    const DragState d = g_print.drag;
    EndDrag(dialog);
    POINT screen = {GET_X_LPARAM(point), GET_Y_LPARAM(point)};
    ClientToScreen(dialog, &screen);
    HWND page = g_print.page.window;
    if (PointerInside(page, screen)) {
        const LRESULT frame = SendMessageA(g_print.film.window, LB_GETCURSEL, 0, 0);
        SendMessageA(page, PAGE_DROP_FRAME, static_cast<WPARAM>(frame), MAKELONG(screen.x, screen.y));
    } else if (d.index >= 0) {
        SendMessageA(page, PAGE_RECALC, 0, 0);
    }
    UpdatePrintButton(dialog);
}

void InitPrintDialog(HWND dialog)
{
    if (g_print.viewTooSmall) {
        EndDialog(dialog, 0);
        return;
    }
    CenterWindow(dialog);
    HWND bar = GetDlgItem(dialog, IDC_PRINT_FILM_SCROLL);
    SetScrollRange(bar, SB_CTL, 0, FilmLastFirst(), FALSE);
    SetScrollPos(bar, SB_CTL, 0, TRUE);
    SetWindowPos(GetDlgItem(dialog, IDC_PRINT_ORIENTATION), nullptr, 0, 0, ORIENTATION_SIZE, ORIENTATION_SIZE,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    UpdatePrintButton(dialog);
    CheckDlgButton(dialog, IDC_PRINT_KEEP_ASPECT, BST_CHECKED);
    char text[READOUT_CHARS];
    wsprintfA(text, "%dmm", g_print.caps.horzSize);
    SetDlgItemTextA(dialog, IDC_PRINT_PAGE_WIDTH, text);
    wsprintfA(text, "%dmm", g_print.caps.vertSize);
    SetDlgItemTextA(dialog, IDC_PRINT_PAGE_HEIGHT, text);
}

void DrawOrientation(const DRAWITEMSTRUCT* item)
{
    if (!g_print.orientation) return;
    HDC source = CreateCompatibleDC(item->hDC);
    HGDIOBJ old = SelectObject(source, g_print.orientation);
    const int half = g_print.caps.horzRes < g_print.caps.vertRes ? 0 : ORIENTATION_SIZE;
    BitBlt(item->hDC, item->rcItem.left, item->rcItem.top, ORIENTATION_SIZE, ORIENTATION_SIZE, source, half, 0,
           SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

}  // namespace

void BeginPrintDialog(const PrinterCaps& caps)
{
    g_print = PrintDialogState{};
    g_print.caps = caps;
    HINSTANCE program = GetModuleHandleA(nullptr);
    g_print.orientation = LoadBitmapA(program, MAKEINTRESOURCEA(IDB_PRINT_ORIENTATION));
    g_print.sprockets = LoadBitmapA(program, MAKEINTRESOURCEA(IDB_SPROCKETS));
}

PrintDialogOutcome EndPrintDialog()
{
    const PrintDialogOutcome outcome = {g_print.viewTooSmall, g_print.page.geometry.scale};
    for (HBITMAP bitmap : {g_print.orientation, g_print.sprockets})
        if (bitmap) DeleteObject(bitmap);
    g_print = PrintDialogState{};
    return outcome;
}

LRESULT CALLBACK PageWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: PageCreate(window); return 0;
    case WM_DESTROY:
        if (g_print.page.savedDC) RestoreDC(GetDC(window), g_print.page.savedDC);
        g_print.page.window = nullptr;
        return 0;
    case WM_PAINT: PagePaint(window); return 0;
    case WM_ERASEBKGND: return 1;  // the paint covers the client area
    case WM_HSCROLL: PageScroll(window, SB_HORZ, LOWORD(wParam)); return 0;
    case WM_VSCROLL: PageScroll(window, SB_VERT, LOWORD(wParam)); return 0;
    case WM_MOUSEMOVE: PageMouseMove(window, wParam, lParam); return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && PageSetCursor(window)) return TRUE;
        break;
    case WM_LBUTTONDOWN: PageButtonDown(window, wParam, lParam); return 0;
    case WM_LBUTTONUP: PageButtonUp(window, lParam); return 0;
    case PAGE_RECALC: PageDeleteSelected(window); return 0;
    case PAGE_DROP_FRAME: return PageDrop(window, wParam, lParam);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK PrintFilmWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: FilmCreate(window); return 0;
    case WM_DESTROY: g_print.film.window = nullptr; return 0;
    case WM_PAINT: FilmPaint(window); return 0;
    case WM_HSCROLL: FilmScroll(window, LOWORD(wParam)); return 0;
    case WM_LBUTTONDOWN: FilmButtonDown(window, lParam); return 0;
    case WM_MOUSEMOVE: FilmMouseMove(window, wParam); return 0;
    case WM_LBUTTONUP: g_print.film.pressed = false; return 0;
    case LB_GETCURSEL: return g_print.film.selected;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

INT_PTR CALLBACK PrintImagesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitPrintDialog(dialog);
        return TRUE;
    case WM_DRAWITEM:
        if (wParam == IDC_PRINT_ORIENTATION) DrawOrientation(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_HSCROLL:
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, IDC_PRINT_FILM_SCROLL) && g_print.film.window)
            SendMessageA(g_print.film.window, WM_HSCROLL, wParam, 0);
        return TRUE;
    case PRINT_BEGIN_DRAG:
        BeginDrag(dialog, wParam, lParam);
        return TRUE;
    case WM_MOUSEMOVE:
        if (g_print.drag.active) DragMove(dialog, lParam);
        return TRUE;
    case WM_LBUTTONUP:
        if (g_print.drag.active) DragDrop(dialog, lParam);
        return TRUE;
    case WM_CAPTURECHANGED:
        if (g_print.drag.active && reinterpret_cast<HWND>(lParam) != dialog) {
            HideDragRect(dialog);
            g_print.drag.active = false;
        }
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_PRINT_START: EndDialog(dialog, 1); return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        }
        return FALSE;
    default:
        return DefaultCtlColor(message);
    }
}
