// The "SCREENSAVER" window: full screen and top-most, it takes a snapshot of
// the screen, plays the list in its child, goes on to the next animation when
// one ends or after "Seconds", and ends the run when the user moves the
// pointer, clicks or presses a key (asking for the password when the system's
// screensaver password is on).
#include "ZelvoSave.h"
#include "resource.h"
#include <cstdlib>

SaverState g_saver{};

namespace {

// What CreateSaverWindow hands to WM_CREATE.
struct SaverStart {
    bool testMode;
    int index;
};

int RandomNumber() { return rand(); }

void HideCursor(SaverRun& run)
{
    if (run.cursorHidden) return;
    ShowCursor(FALSE);
    run.cursorHidden = true;
}

void RevealCursor(SaverRun& run)
{
    if (!run.cursorHidden) return;
    ShowCursor(TRUE);
    run.cursorHidden = false;
}

// The screen as it is before the screensaver covers it, held in a DC of its
// own with the default palette.
void TakeSnapshot(SaverRun& run)
{
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    if (!screen) return;
    run.snapshotDC = CreateCompatibleDC(screen);
    run.snapshot = CreateCompatibleBitmap(screen, w, h);
    run.snapshotPalette = CreateDefaultPalette();
    if (run.snapshotDC && run.snapshot) {
        run.snapshotDefault = SelectObject(run.snapshotDC, run.snapshot);
        if (run.snapshotPalette) {
            SelectPalette(run.snapshotDC, run.snapshotPalette, FALSE);
            RealizePalette(run.snapshotDC);
        }
        BitBlt(run.snapshotDC, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    }
    ReleaseDC(nullptr, screen);
}

void DeleteSnapshot(SaverRun& run)
{
    if (run.snapshotDC) {
        if (run.snapshotDefault) SelectObject(run.snapshotDC, run.snapshotDefault);
        SelectPalette(run.snapshotDC, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
        DeleteDC(run.snapshotDC);
    }
    if (run.snapshot) DeleteObject(run.snapshot);
    if (run.snapshotPalette) DeleteObject(run.snapshotPalette);
    run.snapshotDC = nullptr;
    run.snapshot = nullptr;
    run.snapshotPalette = nullptr;
    run.snapshotDefault = nullptr;
}

void StartSecondsTimer(HWND window)
{
    SaverRun& run = g_saver.run;
    run.seconds = 0;
    if (g_saver.options.maxPlay) SetTimer(window, SAVER_TIMER_ID, 1000, nullptr);
}

bool OnCreate(HWND window, const SaverStart& start)
{
    SaverRun& run = g_saver.run;
    run.window = window;
    run.busy = true;
    run.closing = SAVER_RUNNING;
    run.testMode = start.testMode;
    run.passwordUp = false;
    run.activeCount = CountActiveEntries(g_saver.list);
    TakeSnapshot(run);
    int index = start.index;
    if (!start.testMode)
        index = run.lastPlayed >= 0 ? run.lastPlayed
                                    : NextAnimationIndex(g_saver.list, -1, g_saver.options.random, RandomNumber);
    if (!PlayFromIndex(window, index)) return false;
    StartSecondsTimer(window);
    HideCursor(run);
    GetCursorPos(&run.startCursor);
    run.busy = false;
    return true;
}

// Input that may end the run: ignored while loading or while the password
// dialog is up. The password dialog runs a message loop of its own, so input
// arrives here again meanwhile: passwordUp keeps it out.
void EndOnInput(HWND window)
{
    SaverRun& run = g_saver.run;
    if (run.busy || run.passwordUp || run.closing != SAVER_RUNNING) return;
    if (IsPasswordProtected()) {
        run.passwordUp = true;
        RevealCursor(run);
        const bool unlocked = RunPasswordCheck(window);
        HideCursor(run);
        run.passwordUp = false;
        GetCursorPos(&run.startCursor);
        if (!unlocked) return;
    }
    run.closing = SAVER_CLOSING;
    if (run.animWindow) PostMessageA(run.animWindow, ANIM_CLOSE, 0, 0);
    PostMessageA(window, ANIM_CLOSE, 0, 0);
}

// Small jitter of the pointer does not end the run.
void OnPointerMove(HWND window)
{
    const SaverRun& run = g_saver.run;
    POINT at;
    if (!GetCursorPos(&at)) return;
    if (abs(at.x - run.startCursor.x) < SAVER_MOVE_LIMIT && abs(at.y - run.startCursor.y) < SAVER_MOVE_LIMIT) return;
    EndOnInput(window);
}

void OnNextAnimation(HWND window)
{
    SaverRun& run = g_saver.run;
    if (run.closing != SAVER_RUNNING || run.busy) return;
    KillTimer(window, SAVER_TIMER_ID);
    const int next = NextAnimationIndex(g_saver.list, run.index, g_saver.options.random, RandomNumber);
    if (next == run.index && run.animWindow && run.animation && !run.followedOn) {
        // The same animation again: it starts over without being read again.
        RestartAnimation(run.animation, run.animWindow, FALSE, TRUE);
        StartAnimation(run.animation, run.animWindow);
    } else if (!PlayFromIndex(window, next)) {
        DestroyWindow(window);
        return;
    }
    StartSecondsTimer(window);
}

void OnTimer(HWND window, WPARAM id)
{
    SaverRun& run = g_saver.run;
    if (id != SAVER_TIMER_ID) return;
    if (++run.seconds < g_saver.options.seconds) return;
    KillTimer(window, SAVER_TIMER_ID);
    OnNextAnimation(window);
}

void OnClose(HWND window)
{
    SaverRun& run = g_saver.run;
    run.closing = SAVER_CLOSING;
    KillTimer(window, SAVER_TIMER_ID);
    if (run.animWindow) {
        HWND child = run.animWindow;
        run.animWindow = nullptr;
        DestroyWindow(child);
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
}

void OnDestroy(HWND window)
{
    SaverRun& run = g_saver.run;
    KillTimer(window, SAVER_TIMER_ID);
    if (run.animWindow) {
        HWND child = run.animWindow;
        run.animWindow = nullptr;
        DestroyWindow(child);
    }
    if (!run.testMode) PostQuitMessage(0);
    DeleteSnapshot(run);
    RevealCursor(run);
}

void PaintSnapshot(HWND window)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    const SaverRun& run = g_saver.run;
    if (dc && run.snapshotDC)
        BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left, ps.rcPaint.bottom - ps.rcPaint.top,
               run.snapshotDC, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    EndPaint(window, &ps);
}

bool IsDeactivation(UINT message, WPARAM wParam)
{
    return (message == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE) ||
           ((message == WM_ACTIVATEAPP || message == WM_NCACTIVATE) && !wParam);
}

}  // namespace

ATOM RegisterSaverClass(HINSTANCE instance)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = SaverWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_ZELVOSAVE));
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = SAVER_WINDOW_CLASS;
    return RegisterClassA(&wc);
}

HWND CreateSaverWindow(bool testMode, int index)
{
    SaverStart start{testMode, index};
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    HWND window = CreateWindowExA(WS_EX_TOPMOST, SAVER_WINDOW_CLASS, "", WS_POPUP | WS_CLIPCHILDREN | WS_MAXIMIZE, 0, 0,
                                  w, h, nullptr, nullptr, g_saver.instance, &start);
    if (!window) return nullptr;
    ShowWindow(window, SW_SHOWMAXIMIZED);
    UpdateWindow(window);
    return window;
}

LRESULT CALLBACK SaverWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    SaverRun& run = g_saver.run;
    if (IsDeactivation(message, wParam)) {
        // Nothing takes the screen from the screensaver, except its password dialog.
        if (!run.passwordUp) return 0;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    switch (message) {
    case WM_CREATE:
        return OnCreate(window, *static_cast<const SaverStart*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams))
                   ? 0
                   : -1;
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
        OnPointerMove(window);
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
        EndOnInput(window);
        return 0;
    case ANIM_CLOSE:
        OnClose(window);
        return 0;
    case WM_CLOSE:
        if (run.closing != SAVER_CLOSED) {
            run.closing = SAVER_CLOSED;
            DestroyWindow(window);
        }
        return 0;
    case WM_DESTROY:
        OnDestroy(window);
        return 0;
    case WM_NCDESTROY:
        if (run.animation) {
            DestroyAnimation(run.animation);
            run.animation = nullptr;
        }
        if (run.window == window) run.window = nullptr;
        break;
    case WM_TIMER:
        OnTimer(window, wParam);
        return 0;
    case SAVER_NEXT_ANIMATION:
        OnNextAnimation(window);
        return 0;
    case WM_SYSCOMMAND:
        return 0;
    case WM_SETCURSOR:
        if (run.passwordUp) break;
        SetCursor(nullptr);
        return TRUE;
    case WM_QUERYNEWPALETTE:
    case WM_PALETTECHANGED:
        return run.animWindow ? SendMessageA(run.animWindow, message, wParam, lParam) : 0;
    case WM_ERASEBKGND:
        if (!g_saver.options.showDesktop) break;
        return 1;
    case WM_PAINT:
        if (!g_saver.options.showDesktop) break;
        PaintSnapshot(window);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
