// The recording stand-ins of the editor's main window and workspace.
#include "RecordingWindows.h"
#include "AppState.h"
#include "ToolWindows.h"
#include "Workspace.h"
#include "resource.h"

namespace {

std::vector<Received> g_received;
std::string g_statusText = "<null>";

void Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam, std::string text = {})
{
    g_received.push_back({window, message, wParam, lParam, std::move(text)});
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        Record(window, message, wParam, lParam);
        return 0;
    case WM_DRAWITEM:
        return DrawSelectorButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK WorkspaceProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DRAWITEM:
        return DrawSelectorButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_COMMAND:
        Record(window, message, wParam, lParam);
        ApplySelectorChoice(OpenSelectorKind(), LOWORD(wParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK StatusProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == STATUSBAR_SET_PANE) {
        const char* text = wParam == PANE_TEXT && lParam ? reinterpret_cast<const char*>(lParam) : nullptr;
        if (wParam == PANE_TEXT) g_statusText = text ? text : "<null>";
        Record(window, message, wParam, lParam, wParam == PANE_TEXT ? g_statusText : std::string());
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK CanvasProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_USER && message < WM_USER + 100) {
        Record(window, message, wParam, lParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterOnce(const char* name, WNDPROC procedure)
{
    WNDCLASSA cls{};
    cls.lpfnWndProc = procedure;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    cls.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    cls.lpszClassName = name;
    RegisterClassA(&cls);  // a second fixture finds the class already there
}

HWND Child(const char* cls, HWND parent, DWORD style, int x, int y, int w, int h, int id = 0)
{
    return CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

RecordingWindows::RecordingWindows()
{
    RegisterOnce("TestMain", MainProc);
    RegisterOnce("TestWorkspace", WorkspaceProc);
    RegisterOnce("TestStatus", StatusProc);
    RegisterOnce("TestCanvas", CanvasProc);
    RegisterOnce("COMMON", CommonWndProc);
    g_received.clear();
    g_statusText = "<null>";

    menu = CreateMenu();
    HMENU options = CreatePopupMenu();
    AppendMenuA(options, MF_STRING, IDM_FLOATING_PALETTE, "Floating &Palette");
    AppendMenuA(options, MF_STRING, IDM_STRETCH, "&Stretch...");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(options), "&Options");
    main = CreateWindowExA(0, "TestMain", "Tool windows test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 700, 450,
                           nullptr, menu, GetModuleHandleA(nullptr), nullptr);
    workspace = Child("TestWorkspace", main, WS_CLIPCHILDREN, 0, 66, 700, 250);
    status = Child("TestStatus", main, 0, 0, 330, 700, 22);
    canvas = Child("TestCanvas", workspace, WS_BORDER, CANVAS_LEFT, CANVAS_TOP, 200, 150);
    penButton = Child("BUTTON", workspace, BS_OWNERDRAW, 4, CANVAS_TOP - 24, 56, 24, PEN_SIZE_BUTTON_ID);
    fillButton = Child("BUTTON", workspace, BS_OWNERDRAW, 4, CANVAS_TOP, 56, 24, FILL_PATTERN_BUTTON_ID);
    palette = Child("STATIC", workspace, WS_BORDER, 4, CANVAS_TOP + 28, 56, 120);

    g_appState.instanceHandle = GetModuleHandleA(nullptr);
    g_appState.mainWindow = main;
    g_appState.mainMenu = menu;
    g_appState.workspaceWindow = workspace;
    g_appState.statusBarWindow = status;
    g_appState.frameEditorWindow = canvas;
    g_appState.penSizeButton = penButton;
    g_appState.fillPatternButton = fillButton;
    g_appState.paletteWindow = palette;
    SetForegroundWindow(main);
    UpdateWindow(main);
}

RecordingWindows::~RecordingWindows()
{
    DestroyWindow(main);
    for (HWND* window : {&g_appState.mainWindow, &g_appState.workspaceWindow, &g_appState.statusBarWindow,
                         &g_appState.frameEditorWindow, &g_appState.penSizeButton, &g_appState.fillPatternButton,
                         &g_appState.paletteWindow})
        *window = nullptr;
    g_appState.mainMenu = nullptr;
}

std::vector<Received> RecordingWindows::Of(HWND window, UINT message) const
{
    std::vector<Received> found;
    for (const Received& r : g_received)
        if (r.window == window && r.message == message) found.push_back(r);
    return found;
}

std::string RecordingWindows::StatusText() const { return g_statusText; }

void RecordingWindows::Clear() { g_received.clear(); }

COLORREF WindowPixel(HWND window, int x, int y)
{
    HDC dc = GetDC(window);
    const COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return color;
}

void ClickAt(HWND window, int x, int y)
{
    POINT p = {x, y};
    ClientToScreen(window, &p);
    SetCursorPos(p.x, p.y);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof(INPUT));
}
