// The test-run window: it disables the editor (or the open cycle dialog)
// while it lives, realises the display palette, runs the engine on its clock,
// gives the editor back while minimised, and shows the editor again when the
// run ends.
#include "AnimationWindow.h"
#include "ComposeCommon.h"
#include "ComposeDialogs.h"
#include "DialogUtilities.h"
#include "EditorStartup.h"
#include "MainWindow.h"
#include "Palette.h"
#include "ResultCodes.h"
#include "SoundOutput.h"
#include "TestRun.h"
#include "resource.h"

namespace {

// One test-run window exists at a time.
struct AnimationWindowState {
    UINT sizeState;            // SIZE_RESTORED, SIZE_MINIMIZED, SIZE_MAXIMIZED
    HMENU popup;               // the system menu, or the popup that replaces a missing one
    bool popupBuiltHere;
    int mainShow;              // how the main window was shown
    bool mainWasShown;
    HWND cycleDialog;          // the cycle dialog open when the run started
    int cycleShow;
    bool armed;                // a double click armed the popup
    int movesAfterDoubleClick;
};
AnimationWindowState g_state;

constexpr int MOVES_THAT_DISARM = 2;
constexpr int POPUP_ABOVE_POINTER = 8;

HWND EditorWindow() { return g_state.cycleDialog ? g_state.cycleDialog : g_appState.mainWindow; }

bool HasTitleWithSystemMenu(HWND window)
{
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    return (style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU);
}

void SetMenuItemState(HMENU menu, UINT id, bool enabled)
{
    if (menu) EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

// The items of the main window's system menu, for a window without one.
HMENU BuildSystemPopup()
{
    HMENU popup = CreatePopupMenu();
    HMENU source = g_appState.mainWindow ? GetSystemMenu(g_appState.mainWindow, FALSE) : nullptr;
    const UINT items[] = {SC_RESTORE, SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, 0, SC_CLOSE, 0, SC_TASKLIST};
    for (UINT id : items) {
        if (!id) {
            AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        char text[64] = "";
        if (!source || !GetMenuStringA(source, id, text, sizeof text, MF_BYCOMMAND)) {
            if (id == SC_TASKLIST) continue;  // not every system has one
            continue;
        }
        const UINT state = GetMenuState(source, id, MF_BYCOMMAND);
        AppendMenuA(popup, MF_STRING | (state & (MF_GRAYED | MF_DISABLED)), id, text);
    }
    return popup;
}

// Running: close and minimise offered, restore not; minimised the other way.
void SetSystemMenuFor(bool minimised)
{
    HMENU menu = g_state.popup;
    SetMenuItemState(menu, SC_CLOSE, true);
    SetMenuItemState(menu, SC_MAXIMIZE, false);
    SetMenuItemState(menu, SC_SIZE, false);
    SetMenuItemState(menu, SC_MINIMIZE, !minimised);
    SetMenuItemState(menu, SC_RESTORE, minimised);
}

void RealiseDisplayPalette(HWND window)
{
    if (!g_appState.displayPalette) return;
    HDC dc = GetDC(window);
    SelectPalette(dc, g_appState.displayPalette, FALSE);
    RealizePalette(dc);
    ReleaseDC(window, dc);
    if (g_appState.memoryDC) SelectPalette(g_appState.memoryDC, g_appState.displayPalette, FALSE);
}

void SelectDocumentPaletteIntoMemory()
{
    if (g_appState.memoryDC && g_appState.documentPalette) SelectPalette(g_appState.memoryDC, g_appState.documentPalette, FALSE);
}

int CurrentObjectStep()
{
    const int object = g_document.currentObject;
    return object >= 0 && object < MAX_EDITOR_OBJECTS ? g_document.objectRunStates[object].stepIndex : 0;
}

// The editor as it was: the main window, and the cycle dialog told to take
// its steps again.
void ShowEditorAgain()
{
    HWND main = g_appState.mainWindow;
    if (main) {
        EnableWindow(main, g_state.cycleDialog ? FALSE : TRUE);
        if (!IsWindowVisible(main) || IsIconic(main)) ShowWindow(main, g_state.mainShow);
        if (g_appState.filmWindow) InvalidateRect(g_appState.filmWindow, nullptr, FALSE);
        UpdateWindow(main);
    }
    HWND cycle = g_state.cycleDialog;
    if (cycle && IsWindow(cycle)) {
        EnableWindow(cycle, TRUE);
        if (!IsWindowVisible(cycle)) ShowWindow(cycle, g_state.cycleShow);
        const uint8_t code = GetSequenceTransparentCode();
        if ((code & 0xF0) == 0 && code >= 1 && code <= 14) InvalidateRect(cycle, nullptr, TRUE);
        SendMessageA(cycle, CYCLEDLG_RELOAD, CurrentObjectStep(), 0);
        UpdateWindow(cycle);
    }
}

void DisableEditor()
{
    if (g_state.cycleDialog && IsWindow(g_state.cycleDialog)) EnableWindow(g_state.cycleDialog, FALSE);
    else if (g_appState.mainWindow) EnableWindow(g_appState.mainWindow, FALSE);
}

// SC_CLOSE and WM_CLOSE: the editor comes up again before the window goes,
// so that the activation does not wander to another program.
void EndTestRun(HWND window)
{
    g_testRun.ended = true;
    HWND editor = EditorWindow();
    if (editor) {
        EnableWindow(editor, TRUE);
        SetForegroundWindow(editor);
    }
    DestroyWindow(window);
}

void OnCreate(HWND window, const CREATESTRUCTA* create)
{
    g_state = AnimationWindowState{};
    g_state.sizeState = SIZE_RESTORED;
    g_appState.animationWindow = window;
    g_testRun.soundOn = true;
    g_testRun.forced = false;
    g_testRun.fixedFrameExclusion = 0;
    g_state.cycleDialog = OpenCycleDialog();
    g_state.mainShow = g_appState.mainWindow && IsZoomed(g_appState.mainWindow) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    g_state.cycleShow = SW_SHOWNORMAL;
    DisableEditor();
    if (HasTitleWithSystemMenu(window)) {
        g_state.popup = GetSystemMenu(window, FALSE);
    } else {
        g_state.popup = BuildSystemPopup();
        g_state.popupBuiltHere = true;
    }
    SetSystemMenuFor(false);
    RealiseDisplayPalette(window);
    const int result = PrepareRun(window);
    if (result != RESULT_OK) {
        ShowErrorMessage(result);
        // Without its picture the run cannot be shown at all.
        if (result == RESULT_OUT_OF_MEMORY) {
            g_testRun.ready = false;
            PostMessageA(window, WM_CLOSE, 0, 0);
            return;
        }
    }
    const bool withControlCenter = create->lpCreateParams != nullptr;
    if (withControlCenter) {
        g_appState.controlCenterDialog =
            CreateDialogParamA(g_appState.instanceHandle, MAKEINTRESOURCEA(IDD_CONTROL_CENTER), window, ControlCenterDlgProc, 0);
    }
    PerformFirstStep();
    // With a Control Center the run waits for its transport buttons.
    if (!g_appState.controlCenterDialog) StartRunClock();
}

void OnDestroy(HWND window)
{
    EndRun();
    if (g_appState.controlCenterDialog) DestroyWindow(g_appState.controlCenterDialog);
    g_appState.controlCenterDialog = nullptr;
    SelectDocumentPaletteIntoMemory();
    g_appState.animationWindow = nullptr;
    if (g_state.popupBuiltHere && g_state.popup) DestroyMenu(g_state.popup);
    g_state.popup = nullptr;
    ShowEditorAgain();
    TestRunEnded();
    (void)window;
}

void Minimise(HWND window)
{
    if (g_appState.controlCenterDialog) StopControlCenterRunning(g_appState.controlCenterDialog);
    PauseSoundOf(window, ANIM_SOUND_ALL, true);
    StopRunClock();
    SuspendRun();
    SetSystemMenuFor(true);
    // The editor works while the run waits.
    HWND editor = EditorWindow();
    if (editor) {
        EnableWindow(editor, TRUE);
        if (g_appState.mainWindow && !IsWindowVisible(g_appState.mainWindow)) ShowWindow(g_appState.mainWindow, g_state.mainShow);
    }
    SelectDocumentPaletteIntoMemory();
    if (g_appState.filmWindow) InvalidateRect(g_appState.filmWindow, nullptr, FALSE);
    if (g_appState.frameEditorWindow) InvalidateRect(g_appState.frameEditorWindow, nullptr, FALSE);
}

void Restore(HWND window)
{
    DisableEditor();
    SetSystemMenuFor(false);
    RealiseDisplayPalette(window);
    const int result = ResumeRun();
    if (result != RESULT_OK) ShowErrorMessage(result);
    if (g_testRun.soundOn) PauseSoundOf(window, ANIM_SOUND_ALL, false);
    if (!g_appState.controlCenterDialog) StartRunClock();
}

void OnSize(HWND window, UINT type)
{
    if (type == SIZE_MINIMIZED && g_state.sizeState != SIZE_MINIMIZED) Minimise(window);
    else if (type != SIZE_MINIMIZED && g_state.sizeState == SIZE_MINIMIZED) Restore(window);
    if (type == SIZE_MINIMIZED || type == SIZE_RESTORED || type == SIZE_MAXIMIZED) g_state.sizeState = type;
}

void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (!IsIconic(window) && g_testRun.frameDC) PaintRun(dc);
    EndPaint(window, &paint);
    if (g_appState.controlCenterDialog) SendMessageA(g_appState.controlCenterDialog, CONTROLCENTER_REFRESH, 0, 0);
}

void OnTimer(HWND window)
{
    if (g_testRun.ended || IsIconic(window)) return;
    if (!TickRun(true)) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        return;
    }
    if (g_document.animationSettings.playFlags & PLAY_TIMER_MODE) return;
    // Fast mode: the messages are handled until the next step is due. The
    // window may be closed meanwhile (its WM_DESTROY ends the pump).
    if (!PumpUntilNextStep()) return;
    if (!g_testRun.ended && g_appState.animationWindow == window) PostMessageA(window, WM_TIMER, 0, 0);
}

void ShowSystemPopup(HWND window, POINT client)
{
    if (!g_state.popup) return;
    POINT at = client;
    ClientToScreen(window, &at);
    TrackPopupMenu(g_state.popup, TPM_CENTERALIGN | TPM_BOTTOMALIGN | TPM_LEFTBUTTON, at.x, at.y - POPUP_ABOVE_POINTER, 0,
                   window, nullptr);
}

LRESULT OnSystemCommand(HWND window, WPARAM command, LPARAM lParam)
{
    switch (command & 0xFFF0) {
    case SC_MINIMIZE:
        ShowWindow(window, SW_MINIMIZE);
        return 0;
    case SC_CLOSE:
        EndTestRun(window);
        g_appState.ignoreNextButtonUp = 1;
        return 0;
    case SC_RESTORE:
        ShowWindow(window, SW_RESTORE);
        return 0;
    default:
        return DefWindowProcA(window, WM_SYSCOMMAND, command, lParam);
    }
}

void CloseControlCenter(HWND window)
{
    if (g_appState.controlCenterDialog) DestroyWindow(g_appState.controlCenterDialog);
    g_appState.controlCenterDialog = nullptr;
    g_testRun.soundOn = true;
    if (GetKeyState(VK_CONTROL) < 0) {
        // Ctrl held: the animation runs on by itself.
        InvalidateRect(window, nullptr, FALSE);
        StartRunClock();
        return;
    }
    EndTestRun(window);
}

}  // namespace

void RegisterTestRunWindow() { SetAnimationWindowProcedure(AnimationWndProc); }

LRESULT CALLBACK AnimationWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(window, reinterpret_cast<const CREATESTRUCTA*>(lParam));
        return 0;
    case WM_DESTROY:
        OnDestroy(window);
        return 0;
    case WM_SIZE:
        OnSize(window, static_cast<UINT>(wParam));
        return 0;
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the picture covers the client area
    case WM_TIMER:
        OnTimer(window);
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && (g_document.animationSettings.positionFlags & 0x10)) {
            SetCursor(nullptr);
            return TRUE;
        }
        break;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK: {
        const bool rightOption = g_appState.optionFlags & OPTION_RIGHT_DBL_CLICK;
        if (!HasTitleWithSystemMenu(window) && (message == WM_RBUTTONDBLCLK) == rightOption) {
            g_state.armed = true;
            g_state.movesAfterDoubleClick = 0;
        }
        return 0;
    }
    case WM_MOUSEMOVE:
        if (g_state.armed && ++g_state.movesAfterDoubleClick >= MOVES_THAT_DISARM) g_state.armed = false;
        return 0;
    case WM_LBUTTONUP:
        if (g_state.armed) {
            g_state.armed = false;
            ShowSystemPopup(window, {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        }
        return 0;
    case WM_COMMAND:
        // The popup's items are system commands.
        return OnSystemCommand(window, LOWORD(wParam), 0);
    case WM_SYSCOMMAND:
        return OnSystemCommand(window, wParam, lParam);
    case MM_MCINOTIFY: {
        const uint32_t kind = HandleMciNotify(window, static_cast<UINT>(wParam), static_cast<MCIDEVICEID>(lParam), true);
        if (kind & 1) g_testRun.soundState &= ~(kind & ANIM_SOUND_ALL);
        return 0;
    }
    case WM_ACTIVATEAPP:
        if (wParam && g_appState.mainWindow) InvalidateRect(g_appState.mainWindow, nullptr, FALSE);
        return 0;
    case WM_QUERYNEWPALETTE: {
        if (IsIconic(window) || !g_appState.displayPalette) return 0;
        HDC dc = GetDC(window);
        SelectPalette(dc, g_appState.displayPalette, FALSE);
        const UINT changed = RealizePalette(dc);
        ReleaseDC(window, dc);
        if (changed && changed != GDI_ERROR) InvalidateRect(window, nullptr, FALSE);
        return changed != GDI_ERROR ? changed : 0;
    }
    case WM_PALETTECHANGED:
        if (reinterpret_cast<HWND>(wParam) != window) InvalidateRect(window, nullptr, FALSE);
        return 0;
    case ANIMWND_CLOSE_CONTROL_CENTER:
        CloseControlCenter(window);
        return 0;
    case ANIMWND_RESTART:
        RestartRun();
        return 0;
    case WM_CLOSE:
        EndTestRun(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
