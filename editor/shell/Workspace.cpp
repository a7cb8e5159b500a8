// The windows of the workspace: "COMMON" children (workspace, status bar,
// sizing grip), the film reel "FRAMES", "STATICLINE", and their creation.
#include "Workspace.h"
#include "AppState.h"
#include "DialogUtilities.h"
#include "DocumentModel.h"
#include "DocumentStrings.h"
#include "EditorSettings.h"
#include "EditorToolBars.h"
#include "FrameBitmaps.h"
#include "FrameCanvas.h"
#include "FrameOperations.h"
#include "FrameSelection.h"
#include "OnionSkin.h"
#include "PaintResources.h"
#include "TextTool.h"
#include "MainWindow.h"
#include "ToolWindows.h"
#include "resource.h"
#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

constexpr int PEN_SIZE_BUTTON = 91;
constexpr int FILL_PATTERN_BUTTON = 92;
constexpr COLORREF FILM_GAP_COLOR = RGB(128, 128, 0);
constexpr COLORREF CURRENT_FRAME_COLOR = RGB(0, 255, 0);
constexpr COLORREF SELECTED_FRAME_COLOR = RGB(0, 255, 255);
constexpr COLORREF ONION_FRAME_COLOR = RGB(255, 255, 0);
constexpr int PATTERN_PIECE = 8;  // bitmap 921 holds the pattern brushes 8 pixels apart
constexpr int FILM_PIECE_WIDTH = 60;
constexpr int FILM_TOP_ROWS = 16;     // rows of bitmap 934 above the thumbnails
constexpr int FILM_BOTTOM_ROWS = 18;  // rows below them
constexpr int NOT_VISIBLE = 999;
constexpr int STATUS_FONT_HEIGHT = 16;

struct WorkspaceState {
    int horizontalPercent = DEFAULT_VIEW_PERCENT, verticalPercent = DEFAULT_VIEW_PERCENT;
    int horizontalSplit = 0, verticalSplit = 0;
    ViewLayout layout{};
    bool dragging = false, cancelled = false, vertical = false;
    int barPosition = 0;
    int column = CANVAS_LEFT;  // the left column's width: where the canvas starts
};
WorkspaceState g_workspace;

// The states of memoryDC and canvasDC as they were made, put back at the end.
struct SavedDcStates {
    int memory = 0, canvas = 0;
};
SavedDcStates g_savedDcStates;

struct FilmState {
    FilmMetrics metrics{};
    int scrollX = 0;
    int offsetY = FILM_REST_OFFSET;
    bool zoomFilm = true;
    int currentThumbX = NOT_VISIBLE;
};
FilmState g_film;

struct StatusPaneInfo {
    const char* label;
    int x, width;
};
const StatusPaneInfo STATUS_PANES[STATUS_PANE_COUNT] = {
    {"Frame:", 48, 30}, {"X:", 140, 40}, {"Y:", 205, 40}, {nullptr, 88, 16}, {nullptr, 275, 480}};
LPARAM g_paneValues[STATUS_PANE_COUNT] = {-1, -1, -1, -1, 0};
HFONT g_statusFont;

// ---- COMMON --------------------------------------------------------------------

LRESULT CALLBACK WorkspaceProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK StatusBarProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK SizeGripProc(HWND, UINT, WPARAM, LPARAM);

HWND CreateCommon(HWND parent, WNDPROC procedure, DWORD style, int x, int y, int w, int h)
{
    return CreateWindowExA(0, "COMMON", "", WS_CHILD | style, x, y, w, h, parent, nullptr,
                           g_appState.instanceHandle, reinterpret_cast<LPVOID>(procedure));
}

void DrawSunkenFrame(HDC dc, RECT r)
{
    HPEN grey = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    HPEN white = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    HGDIOBJ old = SelectObject(dc, grey);
    MoveToEx(dc, r.left, r.bottom - 1, nullptr);
    LineTo(dc, r.left, r.top);
    LineTo(dc, r.right, r.top);
    SelectObject(dc, white);
    MoveToEx(dc, r.right - 1, r.top + 1, nullptr);
    LineTo(dc, r.right - 1, r.bottom - 1);
    LineTo(dc, r.left, r.bottom - 1);
    SelectObject(dc, old);
    DeleteObject(grey);
    DeleteObject(white);
}

void DrawGlyph(HDC dc, int x, int y, int sourceX, int sourceY, int w, int h)
{
    if (!g_appState.sizeGripBitmap) return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, g_appState.sizeGripBitmap);
    BitBlt(dc, x, y, w, h, source, sourceX, sourceY, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

// ---- status bar ------------------------------------------------------------------

RECT PaneRect(int pane, int height)
{
    return {STATUS_PANES[pane].x, 4, STATUS_PANES[pane].x + STATUS_PANES[pane].width, height - 2};
}

void PaintPane(HDC dc, int pane, int height)
{
    const RECT r = PaneRect(pane, height);
    HGDIOBJ oldFont = SelectObject(dc, g_statusFont ? g_statusFont : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    if (STATUS_PANES[pane].label) {
        RECT label = {0, r.top, r.left - 2, r.bottom};
        DrawTextA(dc, STATUS_PANES[pane].label, -1, &label, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    }
    DrawSunkenFrame(dc, r);
    RECT inside = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    FillRect(dc, &inside, GetSysColorBrush(COLOR_BTNFACE));
    const LPARAM value = g_paneValues[pane];
    if (pane == PANE_TEXT) {
        const char* text = reinterpret_cast<const char*>(value);
        RECT t = {inside.left + 3, inside.top, inside.right, inside.bottom};
        if (text) DrawTextA(dc, text, -1, &t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    } else if (pane == PANE_MODIFIED) {
        if (value != -1 && LOWORD(value) == 0) DrawGlyph(dc, inside.left + 2, inside.top + 2, 34, 3, 11, 11);
    } else if (value != -1) {
        char number[16];
        snprintf(number, sizeof number, "%d", static_cast<int>(value));
        DrawTextA(dc, number, -1, &inside, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    SelectObject(dc, oldFont);
}

LRESULT CALLBACK StatusBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETFONT:
        if (!g_statusFont)
            g_statusFont = CreateFontA(STATUS_FONT_HEIGHT, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0,
                                       "MS Sans Serif");
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        RECT top = {0, 0, client.right, 1};
        FillRect(dc, &top, GetSysColorBrush(COLOR_BTNSHADOW));
        top = {0, 1, client.right, 2};
        FillRect(dc, &top, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
        for (int pane = 0; pane < STATUS_PANE_COUNT; ++pane) PaintPane(dc, pane, client.bottom);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(g_statusFont);
    case STATUSBAR_SET_PANE:
        if (wParam < STATUS_PANE_COUNT) {
            g_paneValues[wParam] = lParam;
            RECT client;
            GetClientRect(window, &client);
            HDC dc = GetDC(window);
            PaintPane(dc, static_cast<int>(wParam), client.bottom);
            ReleaseDC(window, dc);
        }
        return 0;
    case WM_DESTROY:
        if (g_statusFont) DeleteObject(g_statusFont);
        g_statusFont = nullptr;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// ---- sizing grip ------------------------------------------------------------------

LRESULT CALLBACK SizeGripProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    RECT client;
    GetClientRect(window, &client);
    const bool horizontal = g_appState.filmPlacement == FILM_BELOW;
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        const int midX = client.right / 2, midY = client.bottom / 2;
        RECT grey = horizontal ? RECT{0, midY - 1, client.right, midY} : RECT{midX - 1, 0, midX, client.bottom};
        RECT white = horizontal ? RECT{0, midY, client.right, midY + 1} : RECT{midX, 0, midX + 1, client.bottom};
        FillRect(dc, &grey, GetSysColorBrush(COLOR_BTNSHADOW));
        FillRect(dc, &white, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
        DrawGlyph(dc, midX - 4, midY - 4, 52, 4, 8, 8);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_SETCURSOR: {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(window, &p);
        const int along = horizontal ? p.x - client.right / 2 : p.y - client.bottom / 2;
        if (along >= -4 && along < 4) {
            SetCursor(LoadCursorA(nullptr, horizontal ? IDC_SIZENS : IDC_SIZEWE));
            return TRUE;
        }
        break;
    }
    case WM_LBUTTONDOWN:
        PostMessageA(g_appState.workspaceWindow, WORKSPACE_BEGIN_SPLIT, wParam, MAKELPARAM(5, 5));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// ---- workspace ----------------------------------------------------------------------

void DrawSplitBar(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    if (g_workspace.vertical)
        PatBlt(dc, g_workspace.barPosition + 12, 0, 3, client.bottom, DSTINVERT);
    else
        PatBlt(dc, 0, g_workspace.barPosition + 8, client.right, 3, DSTINVERT);
    ReleaseDC(window, dc);
}

bool IsWorkspacePart(HWND window)
{
    return window == g_appState.workspaceWindow || window == g_appState.frameEditorWindow ||
           window == g_appState.filmWindow || window == g_appState.sizeGripWindow ||
           window == g_appState.penSizeButton || window == g_appState.fillPatternButton;
}

void EndSplitDrag(HWND window)
{
    DrawSplitBar(window);
    g_workspace.dragging = false;
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    ReleaseCapture();
    if (g_workspace.cancelled) return;
    RECT client;
    GetClientRect(window, &client);
    if (g_workspace.vertical) {
        const int split = (g_workspace.barPosition - g_workspace.column + 4) & ~7;
        g_workspace.horizontalSplit = split;
        g_workspace.horizontalPercent = SplitPercent(split, client.right);
    } else {
        const int split = (g_workspace.barPosition - CANVAS_TOP + 4) & ~7;
        g_workspace.verticalSplit = split;
        g_workspace.verticalPercent = SplitPercent(split, client.bottom);
    }
    UpdateViewLayout(0);
}

LRESULT CALLBACK WorkspaceProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        ReadViewSize(&g_workspace.horizontalPercent, &g_workspace.verticalPercent);
        return 0;
    case WM_SIZE: {
        const int w = LOWORD(lParam), h = HIWORD(lParam);
        g_workspace.horizontalSplit = HorizontalSplitFor(w, g_workspace.horizontalPercent);
        g_workspace.verticalSplit =
            VerticalSplitFor(h, g_workspace.verticalPercent, GetSystemMetrics(SM_CYHSCROLL), g_appState.frameHeight);
        if (g_appState.frameCount > 0) UpdateViewLayout(0);
        if (g_appState.sizeGripWindow) InvalidateRect(g_appState.sizeGripWindow, nullptr, TRUE);
        return 0;
    }
    case WM_ERASEBKGND: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (!IsWindowVisible(child)) continue;
            RECT r;
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
            ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
        }
        break;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
        return SendMessageA(g_appState.frameEditorWindow, message, wParam, lParam);
    case WM_DRAWITEM:
        return DrawSelectorButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_COMMAND:
        // The selector popups post their choices here.
        ApplySelectorChoice(OpenSelectorKind(), LOWORD(wParam));
        return 0;
    case WM_RBUTTONDOWN: {
        HMENU menu = CreatePopupMenu();
        BuildCanvasContextMenu(menu);
        POINT p = {static_cast<short>(LOWORD(lParam)) - 10, static_cast<short>(HIWORD(lParam)) - 10};
        ClientToScreen(window, &p);
        TrackPopupMenu(menu, TPM_LEFTBUTTON, p.x, p.y, 0, g_appState.mainWindow, nullptr);
        DestroyMenu(menu);
        return 0;
    }
    case WM_LBUTTONDOWN:
        PostMessageA(g_appState.mainWindow, message, wParam, lParam);
        return 0;
    case WM_LBUTTONUP:
        if (g_workspace.dragging) {
            EndSplitDrag(window);
            return 0;
        }
        PostMessageA(g_appState.mainWindow, message, wParam, lParam);
        return 0;
    case WORKSPACE_BEGIN_SPLIT: {
        POINT p = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        MapWindowPoints(g_appState.sizeGripWindow, window, &p, 1);
        g_workspace.vertical = g_appState.filmPlacement == FILM_RIGHT;
        g_workspace.barPosition = g_workspace.vertical ? p.x - 12 : p.y - 8;
        g_workspace.dragging = true;
        g_workspace.cancelled = false;
        SetCapture(window);
        DrawSplitBar(window);
        SetCursor(LoadCursorA(nullptr, g_workspace.vertical ? IDC_SIZEWE : IDC_SIZENS));
        return 0;
    }
    case WM_SETCURSOR:
        if (g_workspace.dragging) {
            SetCursor(LoadCursorA(nullptr, g_workspace.vertical ? IDC_SIZEWE : IDC_SIZENS));
            return TRUE;
        }
        break;
    case WM_MOUSEMOVE:
        if (g_workspace.dragging) {
            POINT p = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            POINT screen = p;
            ClientToScreen(window, &screen);
            HWND under = WindowFromPoint(screen);
            if (!IsWorkspacePart(under) || p.x < g_workspace.column) {
                g_workspace.cancelled = true;
                EndSplitDrag(window);
                return 0;
            }
            DrawSplitBar(window);
            const int position = g_workspace.vertical ? p.x - 12 : p.y - 8;
            g_workspace.barPosition = std::clamp(position, g_workspace.layout.splitMin - 8,
                                                 std::max(g_workspace.layout.splitMin, g_workspace.layout.splitMax) - 8);
            DrawSplitBar(window);
            return 0;
        }
        break;
    case WM_DESTROY:
        WriteViewSize(g_workspace.horizontalPercent, g_workspace.verticalPercent);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// ---- film reel ----------------------------------------------------------------------

int ThumbStride() { return g_film.metrics.thumbWidth + g_film.metrics.gap; }

int ThumbX(int index) { return FILM_LEAD - g_film.scrollX + index * ThumbStride(); }

// The frame whose thumbnail lies under a point of the film, or -1 (the gaps
// and the perforation above and below hold none).
int FrameAt(int x, int y)
{
    if (ThumbStride() <= 0 || x < ThumbX(0)) return -1;
    if (y < g_film.offsetY || y >= g_film.offsetY + g_film.metrics.thumbHeight) return -1;
    const int index = (x - ThumbX(0)) / ThumbStride();
    if (index >= g_appState.frameCount) return -1;
    if (x - ThumbX(index) >= g_film.metrics.thumbWidth) return -1;
    return index;
}

void SetFilmScroll(HWND window, int offset)
{
    RECT client;
    GetClientRect(window, &client);
    const int length = FilmLength(g_film.metrics, g_appState.frameCount);
    g_film.scrollX = std::clamp(offset, 0, std::max(length - static_cast<int>(client.right), 0));
    SetScrollPos(window, SB_HORZ, g_film.scrollX, TRUE);
    InvalidateRect(window, nullptr, FALSE);
}

void SetupFilm(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    g_film.offsetY = FILM_REST_OFFSET;
    g_film.metrics = ComputeFilmMetrics(client.bottom, g_appState.frameWidth, g_appState.frameHeight, g_film.zoomFilm);
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS};
    info.nMax = FilmLength(g_film.metrics, g_appState.frameCount);
    info.nPage = client.right;
    info.nPos = g_film.scrollX;
    SetScrollInfo(window, SB_HORZ, &info, TRUE);
    info.nMin = 0;
    info.nMax = g_film.metrics.hiddenHeight > 0 ? g_film.metrics.hiddenHeight + client.bottom : 0;
    info.nPage = g_film.metrics.hiddenHeight > 0 ? client.bottom : 0;
    info.nPos = 0;
    SetScrollInfo(window, SB_VERT, &info, TRUE);
    const int last = std::max(FilmLength(g_film.metrics, g_appState.frameCount) - static_cast<int>(client.right), 0);
    if (g_film.scrollX > last) SetFilmScroll(window, last);
}

void PaintFilmStrip(HDC dc, HDC source, int width, int y, int sourceY, int rows)
{
    if (!g_appState.filmBitmap || rows <= 0) return;
    HGDIOBJ old = SelectObject(source, g_appState.filmBitmap);
    for (int x = 0; x < width; x += FILM_PIECE_WIDTH) BitBlt(dc, x, y, FILM_PIECE_WIDTH, rows, source, 0, sourceY, SRCCOPY);
    SelectObject(source, old);
}

// A rectangle `outside` pixels round a thumbnail, `width` pixels wide.
void DrawThumbMark(HDC dc, int x, int y, int w, int h, int outside, int width, COLORREF color)
{
    HPEN pen = CreatePen(PS_INSIDEFRAME, width, color);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, x - outside, y - outside, x + w + outside, y + h + outside);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

// A Ctrl-click on the film: the frame becomes the onion-skin reference;
// clicking the reference again switches onion skinning off.
void PickOnionReference(int frame)
{
    if (g_appState.frameCount < 2) return;
    if (IsOnionSkinOn() && frame == GetOnionSkinFrame()) {
        SetOnionSkin(0);
        return;
    }
    SetOnionSkinSource(0);
    SetOnionSkinFrame(frame);
    SetOnionSkin(1);
    InvalidateRect(g_appState.filmWindow, nullptr, FALSE);
}

void PaintFilm(HWND window, HDC dc)
{
    RECT client;
    GetClientRect(window, &client);
    HDC source = CreateCompatibleDC(dc);
    HPALETTE oldPalette = nullptr;
    if (g_appState.documentPalette) {
        oldPalette = SelectPalette(dc, g_appState.documentPalette, TRUE);
        RealizePalette(dc);
    }
    const FilmMetrics& m = g_film.metrics;
    const int top = g_film.offsetY;
    const int bandHeight = m.thumbHeight;
    // Above the thumbnails: the lower part of the upper perforation.
    PaintFilmStrip(dc, source, client.right, 0, FILM_TOP_ROWS - std::min(top, FILM_TOP_ROWS), std::min(top, FILM_TOP_ROWS));
    RECT band = {0, top, client.right, top + bandHeight};
    HBRUSH olive = CreateSolidBrush(FILM_GAP_COLOR);
    FillRect(dc, &band, olive);
    DeleteObject(olive);
    PaintFilmStrip(dc, source, client.right, top + bandHeight, FILM_TOP_ROWS, FILM_BOTTOM_ROWS);
    RECT below = {0, top + bandHeight + FILM_BOTTOM_ROWS, client.right, client.bottom};
    if (below.top < below.bottom) FillRect(dc, &below, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

    g_film.currentThumbX = NOT_VISIBLE;
    const int onionFrame = OnionSkinShownFrame();
    SetStretchBltMode(dc, COLORONCOLOR);
    for (int i = 0; i < g_appState.frameCount; ++i) {
        const int x = ThumbX(i);
        if (x + m.thumbWidth < 0) continue;
        if (x >= client.right) break;
        HBITMAP frame = g_appState.frameBitmaps[i];
        if (!frame) continue;
        HGDIOBJ old = SelectObject(source, frame);
        if (m.scaled)
            StretchBlt(dc, x, top, m.thumbWidth, m.thumbHeight, source, 0, 0, g_appState.frameWidth,
                       g_appState.frameHeight, SRCCOPY);
        else  // the band moves with the vertical offset, and the frame with it
            BitBlt(dc, x, top, m.thumbWidth, m.thumbHeight, source, 0, 0, SRCCOPY);
        SelectObject(source, old);
        if (i == g_appState.currentFrame) {
            g_film.currentThumbX = x;
            DrawThumbMark(dc, x, top, m.thumbWidth, bandHeight, 3, 2, CURRENT_FRAME_COLOR);
        } else if (IsFrameSelected(i)) {
            DrawThumbMark(dc, x, top, m.thumbWidth, bandHeight, 2, 1, SELECTED_FRAME_COLOR);
        }
        if (i == onionFrame) DrawThumbMark(dc, x, top, m.thumbWidth, bandHeight, 3, 1, ONION_FRAME_COLOR);
    }
    if (oldPalette) SelectPalette(dc, oldPalette, TRUE);
    DeleteDC(source);
}

// A plain click: a pending swap or move takes the current frame to the
// clicked place first; the clicked frame becomes current.
void ClickFilmFrame(int frame)
{
    const int pick = std::exchange(g_appState.framePickMode, 0);
    if (pick && MoveOrSwapFrame(g_appState.currentFrame, frame, pick == 1)) g_appState.currentFrame = frame;
    StepCurrentFrame(frame - g_appState.currentFrame);
}

void ShowFilmFrame(HWND window, int index)
{
    if (index < 0 || index >= g_appState.frameCount) return;
    RECT client;
    GetClientRect(window, &client);
    const int x = ThumbX(index);
    const int halfGap = g_film.metrics.gap / 2;
    if (x - halfGap < 0)
        SetFilmScroll(window, g_film.scrollX + x - halfGap);
    else if (x + g_film.metrics.thumbWidth + halfGap > client.right)
        SetFilmScroll(window, g_film.scrollX + x + g_film.metrics.thumbWidth + halfGap - client.right);
}

}  // namespace

LRESULT CALLBACK CommonWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        WNDPROC procedure = reinterpret_cast<WNDPROC>(create->lpCreateParams);
        if (!procedure) return -1;  // no procedure: the window does not come to be
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
        return SendMessageA(window, WM_CREATE, 0, 0);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK StaticLineWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        const int colors[3] = {COLOR_BTNSHADOW, -1, COLOR_BTNHIGHLIGHT};
        for (int y = 0; y < 3; ++y) {
            RECT line = {0, y, client.right, y + 1};
            FillRect(dc, &line, colors[y] < 0 ? static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)) : GetSysColorBrush(colors[y]));
        }
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK FilmWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        SetupFilm(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        PaintFilm(window, dc);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_HSCROLL: {
        const int line = std::max(g_film.metrics.thumbWidth / 8, 1), page = std::max(g_film.metrics.thumbWidth / 2, 1);
        int to = g_film.scrollX;
        switch (LOWORD(wParam)) {
        case SB_LINELEFT: to -= line; break;
        case SB_LINERIGHT: to += line; break;
        case SB_PAGELEFT: to -= page; break;
        case SB_PAGERIGHT: to += page; break;
        case SB_LEFT: to = 0; break;
        case SB_RIGHT: to = FilmLength(g_film.metrics, g_appState.frameCount); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: to = HIWORD(wParam); break;
        }
        SetFilmScroll(window, to);
        return 0;
    }
    case WM_VSCROLL: {
        const int hidden = g_film.metrics.hiddenHeight;
        if (hidden <= 0) return 0;
        const int line = std::max(hidden / 16, 1), page = std::max(hidden / 4, 4);
        int offset = g_film.offsetY;
        switch (LOWORD(wParam)) {
        case SB_LINEUP: offset += line; break;
        case SB_LINEDOWN: offset -= line; break;
        case SB_PAGEUP: offset += page; break;
        case SB_PAGEDOWN: offset -= page; break;
        case SB_TOP: offset = FILM_REST_OFFSET; break;
        case SB_BOTTOM: offset = FILM_REST_OFFSET - hidden; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: offset = FILM_REST_OFFSET - static_cast<int>(HIWORD(wParam)); break;
        }
        g_film.offsetY = std::clamp(offset, FILM_REST_OFFSET - hidden, FILM_REST_OFFSET);
        SetScrollPos(window, SB_VERT, FILM_REST_OFFSET - g_film.offsetY, TRUE);
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    }
    case WM_MOUSEWHEEL:
        SetFilmScroll(window, g_film.scrollX - static_cast<short>(HIWORD(wParam)) / WHEEL_DELTA * ThumbStride());
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
        const int frame = FrameAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        if (frame < 0) return 0;  // only a thumbnail answers
        if (wParam & MK_SHIFT)
            SetFrameSelection(SELECTION_TOGGLE, frame, 1);
        else if (wParam & MK_CONTROL)
            PickOnionReference(frame);
        else
            ClickFilmFrame(frame);
        if (message == WM_RBUTTONDOWN) {
            HMENU menu = CreatePopupMenu();
            BuildFilmContextMenu(menu);
            POINT p = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ClientToScreen(window, &p);
            TrackPopupMenu(menu, TPM_LEFTBUTTON, p.x, p.y, 0, g_appState.mainWindow, nullptr);
            DestroyMenu(menu);
        }
        return 0;
    }
    case WM_SETCURSOR:
        if (g_appState.framePickMode && g_appState.framePickCursor && LOWORD(lParam) == HTCLIENT) {
            SetCursor(g_appState.framePickCursor);
            return TRUE;
        }
        break;
    case LB_SETCURSEL:
        if (static_cast<int>(wParam) >= 0 && static_cast<int>(wParam) < g_appState.frameCount) {
            ShowFilmFrame(window, static_cast<int>(wParam));
            StepCurrentFrame(static_cast<int>(wParam) - g_appState.currentFrame);
        }
        return 0;
    case FRAMES_SHOW_FRAME:
        ShowFilmFrame(window, static_cast<int>(wParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// ---- creation and the operations on the views -------------------------------------------

namespace {

// The check mark of the animation kinds (702-704): a black triangle pointing
// right on white, of the system's check-mark size, its left edge a quarter of
// the height from the left.
HBITMAP CreateMenuCheckBitmap()
{
    const int w = GetSystemMetrics(SM_CXMENUCHECK), h = GetSystemMetrics(SM_CYMENUCHECK);
    HBITMAP bitmap = CreateBitmap(w, h, 1, 1, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    if (!bitmap || !dc) {
        if (dc) DeleteDC(dc);
        if (bitmap) DeleteObject(bitmap);
        return nullptr;
    }
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, w, h, WHITENESS);
    const int left = h / 4, top = h / 4, bottom = h - 1 - h / 4;
    const POINT triangle[3] = {{left, top}, {left + (bottom - top) / 2, h / 2}, {left, bottom}};
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    Polygon(dc, triangle, 3);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
    return bitmap;
}

}  // namespace

void CreateWorkDCs()
{
    HDC screen = GetDC(nullptr);
    g_appState.memoryDC = CreateCompatibleDC(screen);
    g_appState.scratchDC = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    InitBitmapMode(g_appState.memoryDC);
    SetStretchBltMode(g_appState.memoryDC, COLORONCOLOR);
    SetStretchBltMode(g_appState.scratchDC, COLORONCOLOR);
    g_appState.defaultBitmap = CreateFrameBitmap(8, 8);
    g_appState.formatBitmap = CreateFrameBitmap(8, 8);
    if (g_appState.defaultBitmap) SelectObject(g_appState.memoryDC, g_appState.defaultBitmap);
    // The grid and onion-skin brushes: bitmap 921 cut into 8 x 8 pieces.
    HBITMAP patterns = LoadBitmapA(g_appState.instanceHandle, MAKEINTRESOURCEA(IDB_PAINT_PATTERNS));
    HDC source = CreateCompatibleDC(nullptr), piece = CreateCompatibleDC(nullptr);
    HGDIOBJ oldSource = SelectObject(source, patterns);
    for (int i = 0; i < PATTERN_BRUSH_COUNT && patterns; ++i) {
        HBITMAP bits = CreateBitmap(PATTERN_PIECE, PATTERN_PIECE, 1, 1, nullptr);
        HGDIOBJ oldPiece = SelectObject(piece, bits);
        BitBlt(piece, 0, 0, PATTERN_PIECE, PATTERN_PIECE, source, i * PATTERN_PIECE, 0, SRCCOPY);
        SelectObject(piece, oldPiece);
        g_appState.patternBrushes[i] = CreatePatternBrush(bits);
        DeleteObject(bits);
    }
    SelectObject(source, oldSource);
    DeleteDC(piece);
    DeleteDC(source);
    if (patterns) DeleteObject(patterns);
}

void FreeWorkDCs()
{
    if (g_appState.memoryDC && g_savedDcStates.memory) RestoreDC(g_appState.memoryDC, g_savedDcStates.memory);
    if (g_appState.canvasDC && g_savedDcStates.canvas) RestoreDC(g_appState.canvasDC, g_savedDcStates.canvas);
    g_savedDcStates = {};
    for (HDC* dc : {&g_appState.memoryDC, &g_appState.scratchDC, &g_appState.canvasDC}) {
        if (*dc) DeleteDC(*dc);
        *dc = nullptr;
    }
    for (HBRUSH& brush : g_appState.patternBrushes) {
        if (brush) DeleteObject(brush);
        brush = nullptr;
    }
    g_appState.gridBrush = g_appState.gridBackgroundBrush = nullptr;
    for (HGDIOBJ* object : {reinterpret_cast<HGDIOBJ*>(&g_appState.defaultBitmap),
                            reinterpret_cast<HGDIOBJ*>(&g_appState.formatBitmap),
                            reinterpret_cast<HGDIOBJ*>(&g_appState.menuCheckBitmap),
                            reinterpret_cast<HGDIOBJ*>(&g_appState.filmBitmap),
                            reinterpret_cast<HGDIOBJ*>(&g_appState.sizeGripBitmap)}) {
        if (*object) DeleteObject(*object);
        *object = nullptr;
    }
    FreeDrawingResources();
}

void InitMainWindowChildren(HINSTANCE instance, HWND mainWindow)
{
    g_appState.mainMenu = GetMenu(mainWindow);
    g_appState.menuCheckBitmap = CreateMenuCheckBitmap();
    for (UINT id : {IDM_SEQUENCE_ANIMATION, IDM_CYCLE_DEFINITION, IDM_PATH_ANIMATION})
        SetMenuItemBitmaps(g_appState.mainMenu, id, MF_BYCOMMAND, nullptr, g_appState.menuCheckBitmap);
    // The canvas's view buffer is selected into canvasDC.
    HDC screen = GetDC(nullptr);
    g_appState.canvasDC = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    if (g_appState.canvasDC) SetStretchBltMode(g_appState.canvasDC, COLORONCOLOR);
    g_savedDcStates.canvas = g_appState.canvasDC ? SaveDC(g_appState.canvasDC) : 0;
    g_savedDcStates.memory = g_appState.memoryDC ? SaveDC(g_appState.memoryDC) : 0;
    g_appState.colorCount = g_appState.displayColorCount;
    LoadDrawingResources(instance);
    RECT client;
    GetClientRect(mainWindow, &client);
    const int top = ToolBarAreaHeight();
    g_appState.workspaceWindow = CreateCommon(mainWindow, WorkspaceProc, WS_VISIBLE | WS_CLIPCHILDREN, 0, top,
                                              client.right, client.bottom - top - STATUS_BAR_HEIGHT);
    g_appState.statusBarWindow = CreateCommon(mainWindow, StatusBarProc, WS_VISIBLE, 0,
                                              client.bottom - STATUS_BAR_HEIGHT, client.right, STATUS_BAR_HEIGHT);
    SendMessageA(g_appState.statusBarWindow, WM_SETFONT, 0, 0);
    g_appState.statusText[0] = '\0';
    g_paneValues[PANE_TEXT] = reinterpret_cast<LPARAM>(g_appState.statusText);

    HWND ws = g_appState.workspaceWindow;
    const int hs = GetSystemMetrics(SM_CYHSCROLL);
    g_appState.filmWindow = CreateWindowExA(0, "FRAMES", "", WS_CHILD | WS_HSCROLL | WS_VSCROLL, 0, 0, 280, hs + 32, ws,
                                            nullptr, instance, nullptr);
    g_appState.editHScrollBar = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | SBS_TOPALIGN, 0, 0, 0, 0, ws, nullptr,
                                                instance, nullptr);
    g_appState.editVScrollBar = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | SBS_VERT | SBS_LEFTALIGN, 0, 0, 0, 0,
                                                ws, nullptr, instance, nullptr);
    g_appState.frameEditorWindow = CreateWindowExA(0, "ANIEDIT", "", WS_CHILD | WS_BORDER, CANVAS_LEFT, CANVAS_TOP, 64,
                                                   64, ws, nullptr, instance, nullptr);
    g_appState.penSizeButton =
        CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 4, CANVAS_TOP - 24, 56, 24, ws,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(PEN_SIZE_BUTTON)), instance, nullptr);
    g_appState.fillPatternButton =
        CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 4, CANVAS_TOP, 56, 24, ws,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(FILL_PATTERN_BUTTON)), instance, nullptr);
    g_appState.paletteWindow = CreateWindowExA(0, "PALETTE", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 4, CANVAS_TOP + 28,
                                               56, 200, ws, nullptr, instance, nullptr);
    g_appState.sizeGripWindow = CreateCommon(ws, SizeGripProc, 0, 0, 0, 8, 8);

    char text[RESOURCE_STRING_LENGTH];
    LoadResourceString(IDS_START_ANIMATION, text);
    HMENU system = GetSystemMenu(mainWindow, FALSE);
    AppendMenuA(system, MF_STRING | MF_GRAYED, IDM_RUN, text);
    EnableDocumentCommands(mainWindow, 1);
    CheckMenuItem(g_appState.mainMenu, IDM_SHOW_GRID, MF_CHECKED);
    CheckMenuItem(g_appState.mainMenu, IDM_ZOOM_FILM, MF_CHECKED);
}

void LayoutMainClient(int width, int height)
{
    const int top = ToolBarAreaHeight();
    MoveWindow(g_appState.statusBarWindow, 0, height - STATUS_BAR_HEIGHT, width, STATUS_BAR_HEIGHT, TRUE);
    MoveWindow(g_appState.workspaceWindow, 0, top, width, std::max(height - top - STATUS_BAR_HEIGHT, 0), FALSE);
    InvalidateRect(g_appState.workspaceWindow, nullptr, TRUE);
    if (g_appState.paletteWindow) InvalidateRect(g_appState.paletteWindow, nullptr, TRUE);
    ResizeToolBars();
}

int SetWorkspaceColumn(int width)
{
    const int previous = g_workspace.column;
    g_workspace.column = width;
    return previous;
}

int GetScrollBarSpace(int horizontal)
{
    return horizontal ? GetSystemMetrics(SM_CYHSCROLL) + 4 : GetSystemMetrics(SM_CXVSCROLL) + 4;
}

POINT GetCanvasOrigin() { return {g_workspace.column, CANVAS_TOP}; }

bool IsFilmScaled() { return g_film.metrics.scaled; }

int SetFilmPlacement(int id)
{
    RadioCheckMenuRange(g_appState.mainMenu, IDM_FILM_RIGHT, IDM_FILM_BELOW, id);
    if (id == g_appState.filmPlacement) return 0;
    if (id != FILM_AUTOMATIC) g_appState.filmPlacement = id;
    return 1;
}

void UpdateViewLayout(int automatic)
{
    if (g_appState.frameCount <= 0) {
        ShowFrameViews(0);
        return;
    }
    if (automatic || g_appState.filmPlacement == FILM_AUTOMATIC)
        SetFilmPlacement(AutomaticFilmPlacement(g_appState.frameWidth, g_appState.frameHeight));
    RECT client;
    GetClientRect(g_appState.workspaceWindow, &client);
    LayoutInput in{};
    in.workspaceWidth = client.right;
    in.workspaceHeight = client.bottom;
    in.frameWidth = g_appState.frameWidth;
    in.frameHeight = g_appState.frameHeight;
    in.placement = g_appState.filmPlacement;
    in.horizontalSplit = g_workspace.horizontalSplit;
    in.verticalSplit = g_workspace.verticalSplit;
    in.hScrollHeight = GetSystemMetrics(SM_CYHSCROLL);
    in.vScrollWidth = GetSystemMetrics(SM_CXVSCROLL);
    in.maximized = IsZoomed(g_appState.mainWindow) != FALSE;
    in.canvasLeft = g_workspace.column;
    const ViewLayout& l = g_workspace.layout = ComputeViewLayout(in);
    ShowWindow(g_appState.sizeGripWindow, l.splitMax > l.splitMin ? SW_SHOWNA : SW_HIDE);
    EnableMainToolButton(IDM_ONION_SKINNING, g_appState.frameCount <= 1);
    MoveWindow(g_appState.sizeGripWindow, l.gripX, l.gripY, l.gripWidth, l.gripHeight, TRUE);
    MoveWindow(g_appState.filmWindow, l.filmX, l.filmY, l.filmWidth, l.filmHeight, TRUE);
    SendMessageA(g_appState.filmWindow, WM_CREATE, 0, 0);
    InvalidateRect(g_appState.filmWindow, nullptr, FALSE);
    if (automatic) {
        g_appState.zoomShift = g_appState.fitZoomShift =
            ViewZoomForSize(l.canvasWidth, l.canvasHeight, g_appState.frameWidth, g_appState.frameHeight);
        UpdateGridBrushes();
        CheckZoomButton(g_appState.zoomShift);
    }
    // The canvas sizes and places itself and its scroll bars.
    SendMessageA(g_appState.frameEditorWindow, EDIT_SET_VIEW_SIZE, 0, MAKELPARAM(l.canvasWidth, l.canvasHeight));
    SendMessageA(g_appState.frameEditorWindow, EDIT_RELAYOUT, 0, 0);
    InvalidateFrameEditor(1);
    InvalidateRect(g_appState.workspaceWindow, nullptr, TRUE);
}

void ShowFrameViews(int show)
{
    const int command = show ? SW_SHOWNA : SW_HIDE;
    ShowWindow(g_appState.filmWindow, command);
    ShowWindow(g_appState.frameEditorWindow, command);
    g_appState.frameViewsShown = show;
    if (!show) {
        ShowWindow(g_appState.editHScrollBar, SW_HIDE);
        ShowWindow(g_appState.editVScrollBar, SW_HIDE);
        ShowWindow(g_appState.sizeGripWindow, SW_HIDE);
        // Without its views there is no document to close, save or run.
        g_document.animationState = g_document.sequenceState = DOC_NONE;
    }
    EnableDocumentCommands(g_appState.mainWindow, show ? 0 : 1);
    g_appState.filmPlacement = FILM_AUTOMATIC;
    // A new document starts without view buffer, onion skin, frame selection
    // or the last text.
    FreeTextTool();
    if (g_appState.frameEditorWindow) SendMessageA(g_appState.frameEditorWindow, EDIT_SET_VIEW_SIZE, 0, 0);
    SetOnionSkin(0);
    SetFrameSelection(SELECTION_CLEAR_ALL, 0, 0);
    UpdateStatusBar(STATUS_ALL, g_appState.currentFrame);
    UpdateMainTitle();
    if (g_appState.statusBarWindow && !show) {
        for (int pane = PANE_FRAME; pane <= PANE_MODIFIED; ++pane)
            SendMessageA(g_appState.statusBarWindow, STATUSBAR_SET_PANE, pane, -1);
    }
    if (ReadSetting(IDS_KEY_RESET_TOOLS)) {
        g_appState.gradatedLines = 0;
        CheckMenuItem(g_appState.mainMenu, IDM_GRADATED_LINES, MF_UNCHECKED);
        ResetSelectorChoices();
    }
    CloseTransformWindow();
    UpdateRunCommand();
    InvalidateRect(g_appState.workspaceWindow, nullptr, TRUE);
}

void UpdateStatusBar(int kind, int value)
{
    if (!g_appState.frameViewsShown || !g_appState.statusBarWindow) return;
    HWND bar = g_appState.statusBarWindow;
    if (kind == STATUS_ALL) {
        InvalidateRect(bar, nullptr, TRUE);
        kind = STATUS_FRAME;
    }
    if (kind == STATUS_FRAME && value >= 0 && value < g_appState.frameCount) {
        SendMessageA(bar, STATUSBAR_SET_PANE, PANE_FRAME, value + 1);
        const int modified = g_document.frameRecords[value].frameState > 0 &&
                             (g_document.frameRecords[value].frameState & FRAME_MODIFIED);
        SendMessageA(bar, STATUSBAR_SET_PANE, PANE_MODIFIED, modified ? 0 : 1);
    } else if (kind == STATUS_POSITION) {
        SendMessageA(bar, STATUSBAR_SET_PANE, PANE_X, static_cast<short>(LOWORD(value)));
        SendMessageA(bar, STATUSBAR_SET_PANE, PANE_Y, static_cast<short>(HIWORD(value)));
    }
    // The text pane: the object's name and the frame's file name.
    char name[MAX_PATH] = "";
    GetFrameFileName(g_appState.currentFrame, name, sizeof name);
    const int object = g_document.currentObject;
    if (g_document.sequenceState != DOC_NONE && object >= 0 && object < g_document.objectCount)
        snprintf(g_appState.statusText, sizeof g_appState.statusText, "%.32s - %s", g_document.objectTable[object].name,
                 name);
    else
        snprintf(g_appState.statusText, sizeof g_appState.statusText, "%s", name);
    SendMessageA(bar, STATUSBAR_SET_PANE, PANE_TEXT, reinterpret_cast<LPARAM>(g_appState.statusText));
    UpdateSaveCommand();
}

void UpdateFilmThumbnail(int all)
{
    if (!g_appState.filmWindow) return;
    if (all || g_film.currentThumbX == NOT_VISIBLE) {
        InvalidateRect(g_appState.filmWindow, nullptr, FALSE);
        return;
    }
    RECT r = {g_film.currentThumbX - 4, 0, g_film.currentThumbX + g_film.metrics.thumbWidth + 4, 4000};
    InvalidateRect(g_appState.filmWindow, &r, FALSE);
}

void ToggleZoomFilm()
{
    g_film.zoomFilm = !g_film.zoomFilm;
    CheckMenuItem(g_appState.mainMenu, IDM_ZOOM_FILM, g_film.zoomFilm ? MF_CHECKED : MF_UNCHECKED);
    CheckMainToolButton(IDM_ZOOM_FILM, g_film.zoomFilm);
    SendMessageA(g_appState.filmWindow, WM_CREATE, 0, 0);
    InvalidateRect(g_appState.filmWindow, nullptr, FALSE);
}
