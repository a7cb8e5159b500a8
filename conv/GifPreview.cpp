// "Preview": plays an animated GIF document's frames with their positions,
// delays, disposal, loops and user input, into an off-screen picture of the
// logical screen that the window shows.
#include "ConvLibrary.h"
#include "ConvResource.h"
#include "GifAnimation.h"

namespace {

constexpr UINT_PTR PREVIEW_TIMER = 55;
constexpr UINT PREVIEW_PERIOD_MS = 10;
constexpr int INSET = 8;          // around the picture in the client area
constexpr int MIN_WINDOW = 32;

struct PreviewState {
    const GifAnimSettings* settings;
    ConvHostProc host;
    HPALETTE palette;     // the document's
    HDC screen;           // off-screen picture of the logical screen
    HBITMAP screenBitmap;
    HGDIOBJ screenOld;
    HDC maskDc;           // where the editor has a transparent colour: its mask of one frame
    HBITMAP mask;
    HGDIOBJ maskOld;
    COLORREF transparent;
    HBRUSH background;    // the block's, or one made here
    bool ownBackground;
    int current;          // -1 before the first frame
    int ticks;            // timer ticks still to wait
    uint32_t repeats;
    bool timerOn;
    bool stopped;
};

PreviewState* StateOf(HWND dialog) { return reinterpret_cast<PreviewState*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

bool OnWindowsNt() { return (GetVersion() & 0x80000000u) == 0; }

void StartTimer(HWND dialog, PreviewState* p)
{
    if (!p->timerOn) SetTimer(dialog, PREVIEW_TIMER, PREVIEW_PERIOD_MS, nullptr);
    p->timerOn = true;
}

void StopTimer(HWND dialog, PreviewState* p)
{
    if (p->timerOn) KillTimer(dialog, PREVIEW_TIMER);
    p->timerOn = false;
}

void Stop(HWND dialog, PreviewState* p)
{
    StopTimer(dialog, p);
    p->stopped = true;
}

void FillFrameArea(PreviewState* p, const GifFrameRecord& r)
{
    const RECT area{r.left, r.top, r.left + p->settings->frameWidth, r.top + p->settings->frameHeight};
    FillRect(p->screen, &area, p->background);
}

// The frame at its position; the pixels of the editor's transparent colour
// let the picture below show. The editor's bitmap is only read.
void DrawFrame(PreviewState* p, HDC frameDc, const GifFrameRecord& r)
{
    const int width = p->settings->frameWidth, height = p->settings->frameHeight;
    if (!p->maskDc) {
        BitBlt(p->screen, r.left, r.top, width, height, frameDc, 0, 0, SRCCOPY);
        return;
    }
    SetBkColor(frameDc, p->transparent);
    BitBlt(p->maskDc, 0, 0, width, height, frameDc, 0, 0, SRCCOPY);  // 1 where transparent
    SetBkColor(p->screen, RGB(255, 255, 255));
    SetTextColor(p->screen, RGB(0, 0, 0));
    // (screen ^ frame) & mask ^ frame: the screen where the mask is set, the frame elsewhere.
    BitBlt(p->screen, r.left, r.top, width, height, frameDc, 0, 0, SRCINVERT);
    BitBlt(p->screen, r.left, r.top, width, height, p->maskDc, 0, 0, SRCAND);
    BitBlt(p->screen, r.left, r.top, width, height, frameDc, 0, 0, SRCINVERT);
}

void Advance(HWND dialog, PreviewState* p)
{
    const GifAnimSettings* s = p->settings;
    if (p->current >= 0) {
        const GifFrameRecord& shown = s->frames[p->current];
        if (shown.disposal == GIF_DISPOSE_BACKGROUND || shown.disposal == GIF_DISPOSE_PREVIOUS) FillFrameArea(p, shown);
    }
    int next = p->current + 1;
    if (next >= s->frameCount) {
        if (!s->loopFlag || s->frameCount <= 0 || (s->loopCount && p->repeats >= s->loopCount)) {
            Stop(dialog, p);
            return;
        }
        ++p->repeats;
        next = 0;
    }
    p->current = next;
    const GifFrameRecord& r = s->frames[next];
    HBITMAP bitmap = nullptr;
    HDC frameDc = reinterpret_cast<HDC>(p->host(CONV_REQ_GET_FRAME_BITMAP, &bitmap, static_cast<ULONG_PTR>(next)));
    if (!frameDc || !bitmap) {
        Stop(dialog, p);
        return;
    }
    HGDIOBJ old = SelectObject(frameDc, bitmap);
    DrawFrame(p, frameDc, r);
    SelectObject(frameDc, old);
    InvalidateRect(dialog, nullptr, FALSE);
    UpdateWindow(dialog);
    if (r.delay == 0) {
        StopTimer(dialog, p);
        if (!r.userInput) PostMessageA(dialog, WM_TIMER, PREVIEW_TIMER, 0);
        return;
    }
    p->ticks = GifPreviewTicks(r.delay, OnWindowsNt());
    StartTimer(dialog, p);
}

bool WaitsForUser(const PreviewState* p)
{
    return p->current >= 0 && p->settings->frames[p->current].userInput != 0;
}

// Input from the user: closes a stopped preview, advances a frame that waits for it.
void UserInput(HWND dialog, PreviewState* p)
{
    if (p->stopped) {
        EndDialog(dialog, 0);
    } else if (WaitsForUser(p)) {
        p->ticks = 0;
        Advance(dialog, p);
    }
}

void Init(HWND dialog, PreviewState* p)
{
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(p));
    const GifAnimSettings* s = p->settings;
    RECT box{0, 0, s->screenWidth + 2 * INSET, s->screenHeight + 2 * INSET};
    AdjustWindowRectEx(&box, static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE)));
    SetWindowPos(dialog, nullptr, 0, 0, box.right - box.left, box.bottom - box.top, SWP_NOMOVE | SWP_NOZORDER);
    CenterConvDialog(dialog);
    p->host(CONV_REQ_GET_PALETTE, &p->palette, 0);
    HDC display = GetDC(dialog);
    p->screen = CreateCompatibleDC(display);
    p->screenBitmap = CreateCompatibleBitmap(display, s->screenWidth ? s->screenWidth : 1, s->screenHeight ? s->screenHeight : 1);
    ReleaseDC(dialog, display);
    p->screenOld = SelectObject(p->screen, p->screenBitmap);
    if (p->host(CONV_REQ_QUERY, &p->transparent, CONV_QUERY_TRANSPARENT_COLOR)) {
        p->maskDc = CreateCompatibleDC(nullptr);
        p->mask = CreateBitmap(s->frameWidth ? s->frameWidth : 1, s->frameHeight ? s->frameHeight : 1, 1, 1, nullptr);
        p->maskOld = SelectObject(p->maskDc, p->mask);
    }
    p->background = s->backgroundBrush;
    if (!p->background) {
        const RGBQUAD& c = s->globalColors[static_cast<uint8_t>(s->backgroundIndex)];
        p->background = CreateSolidBrush(RGB(c.rgbRed, c.rgbGreen, c.rgbBlue));
        p->ownBackground = true;
    }
    const RECT all{0, 0, s->screenWidth, s->screenHeight};
    FillRect(p->screen, &all, p->background);
    p->current = -1;
    StartTimer(dialog, p);
}

void Destroy(HWND dialog, PreviewState* p)
{
    StopTimer(dialog, p);
    if (p->screen) {
        SelectObject(p->screen, p->screenOld);
        DeleteDC(p->screen);
    }
    if (p->screenBitmap) DeleteObject(p->screenBitmap);
    if (p->maskDc) {
        SelectObject(p->maskDc, p->maskOld);
        DeleteDC(p->maskDc);
    }
    if (p->mask) DeleteObject(p->mask);
    if (p->ownBackground) DeleteObject(p->background);
}

void Paint(HWND dialog, PreviewState* p)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(dialog, &ps);
    HPALETTE old = p->palette ? SelectPalette(dc, p->palette, FALSE) : nullptr;
    if (p->palette) RealizePalette(dc);
    RECT client;
    GetClientRect(dialog, &client);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, INSET, INSET, client.right - 2 * INSET, client.bottom - 2 * INSET, p->screen, 0, 0,
               p->settings->screenWidth, p->settings->screenHeight, SRCCOPY);
    if (old) SelectPalette(dc, old, FALSE);
    EndPaint(dialog, &ps);
}

bool RealizeOwnPalette(HWND dialog, PreviewState* p)
{
    return p && RealizeWindowPalette(dialog, p->palette, dialog);
}

INT_PTR CALLBACK GifPreviewDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    PreviewState* p = StateOf(dialog);
    switch (message) {
    case WM_INITDIALOG: Init(dialog, reinterpret_cast<PreviewState*>(lParam)); return TRUE;
    case WM_TIMER:
        if (wParam != PREVIEW_TIMER || p->stopped) return TRUE;
        if (p->ticks > 0) --p->ticks;
        else Advance(dialog, p);
        return TRUE;
    case WM_LBUTTONDOWN: UserInput(dialog, p); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
        else UserInput(dialog, p);  // Enter and OK among them
        return TRUE;
    case WM_PAINT: Paint(dialog, p); return TRUE;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {MIN_WINDOW, MIN_WINDOW};
        return TRUE;
    }
    case WM_QUERYNEWPALETTE:
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, RealizeOwnPalette(dialog, p));
        return TRUE;
    case WM_PALETTECHANGED:
        if (reinterpret_cast<HWND>(wParam) != dialog) RealizeOwnPalette(dialog, p);
        return TRUE;
    case WM_DESTROY:
        if (p) Destroy(dialog, p);
        return FALSE;
    default: return FALSE;
    }
}

}  // namespace

bool RealizeWindowPalette(HWND window, HPALETTE palette, HWND repaint)
{
    if (!palette) return false;
    HDC dc = GetDC(window);
    HPALETTE old = SelectPalette(dc, palette, FALSE);
    const UINT changed = RealizePalette(dc);
    SelectPalette(dc, old, FALSE);
    ReleaseDC(window, dc);
    if (changed) InvalidateRect(repaint, nullptr, TRUE);
    return changed != 0;
}

int GifPreviewTicks(int delay, bool windowsNt)
{
    // Elsewhere the timer ticks every 55 ms: the delay in those ticks, rounded.
    return windowsNt ? delay : static_cast<int>((delay + 2.5) * 0.18181819);
}

void RunGifPreview(HWND owner, const GifAnimSettings* settings, ConvHostProc host)
{
    PreviewState state{};
    state.settings = settings;
    state.host = host;
    DialogBoxParamA(ConvModule(), MAKEINTRESOURCEA(IDD_GIF_PREVIEW), owner, GifPreviewDlgProc,
                    reinterpret_cast<LPARAM>(&state));
}
