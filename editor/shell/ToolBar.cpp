// The tool-bar control and the tool-tip popup. A bar is one record
// (ToolBarControl) behind a bar window and one child window per button, all
// of class "Zelvo_ToolBar"; the record's address sits in each window's
// GWLP_USERDATA. A button shows its status text at once and its tip after
// 500 ms, and sends its command when a press is released over it.
#include "ToolBar.h"
#include "AppState.h"
#include "Workspace.h"
#include <algorithm>

namespace {

constexpr char BAR_CLASS[] = "Zelvo_ToolBar";
constexpr char TIP_CLASS[] = "Zelvo_ToolTip";
constexpr COLORREF FACE_GREY = RGB(192, 192, 192);  // the faces' transparent colour
constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF SHADOW = RGB(128, 128, 128);
constexpr COLORREF TIP_COLOR = RGB(255, 255, 210);
constexpr int FIRST_BUTTON_X = 5;
constexpr int FACE_OFFSET = 2;          // the face's corner in a flat or raised button
constexpr int PRESSED_FACE_OFFSET = 3;  // in a pressed or checked one
constexpr int TIP_BELOW_BUTTON_TOP = 31; // a button's tip stands just below it

using TransparentBltProc = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);

// Process-wide state of the control: shared by both bars.
struct ToolBarProcessState {
    bool classRegistered = false;
    TransparentBltProc transparentBlt = nullptr;
    COLORREF barColor = FACE_GREY;
    HWND tipTimerWindow = nullptr;  // the window whose tip timer runs
    HWND tipWindow = nullptr;
    char tipText[TOOL_TIP_CHARS] = "";
};
ToolBarProcessState g_bars;

enum class Look { Flat, Raised, Sunken };

ToolBarControl* ControlOf(HWND window)
{
    return reinterpret_cast<ToolBarControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

int IndexOf(const ToolBarControl* control, HWND window)
{
    for (int i = 0; i < control->buttonCount; ++i)
        if (control->buttons[i].window == window) return i;
    return -1;
}

bool Inside(LPARAM point)
{
    const int x = static_cast<short>(LOWORD(point)), y = static_cast<short>(HIWORD(point));
    return x >= 1 && x <= TOOL_BUTTON_SIZE - 1 && y >= 1 && y <= TOOL_BUTTON_SIZE - 1;
}

// ---- drawing a button -----------------------------------------------------------------

HBITMAP FaceOf(ToolBarControl* control, ToolButton& button)
{
    HBITMAP& face = button.enabled ? button.enabledFace : button.disabledFace;
    const int id = button.enabled ? button.enabledFaceId : button.disabledFaceId;
    if (!face) face = LoadBitmapA(control->instance, MAKEINTRESOURCEA(id));
    return face;
}

void FrameLines(HDC dc, COLORREF topLeft, COLORREF bottomRight)
{
    const int last = TOOL_BUTTON_SIZE - 1;
    HPEN light = CreatePen(PS_SOLID, 1, topLeft);
    HPEN dark = CreatePen(PS_SOLID, 1, bottomRight);
    HGDIOBJ old = SelectObject(dc, light);
    MoveToEx(dc, 0, last, nullptr);
    LineTo(dc, 0, 0);
    LineTo(dc, last, 0);
    SelectObject(dc, dark);
    LineTo(dc, last, last);
    LineTo(dc, 0, last);
    SelectObject(dc, old);
    DeleteObject(light);
    DeleteObject(dark);
}

void DrawFrame(HDC dc, Look look)
{
    if (look == Look::Raised) {
        FrameLines(dc, WHITE, SHADOW);
    } else if (look == Look::Sunken) {
        FrameLines(dc, SHADOW, WHITE);
    } else {
        // The bar's colour over any frame drawn before.
        FrameLines(dc, g_bars.barColor, g_bars.barColor);
    }
}

void DrawFace(ToolBarControl* control, ToolButton& button, HDC dc, int offset)
{
    // The inside is cleared first, so a face moved by the press leaves no edge behind.
    HBRUSH brush = CreateSolidBrush(g_bars.barColor);
    HPEN pen = CreatePen(PS_SOLID, 1, g_bars.barColor);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    Rectangle(dc, 1, 1, TOOL_BUTTON_SIZE - 1, TOOL_BUTTON_SIZE - 1);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);

    HBITMAP face = FaceOf(control, button);
    if (!face || !control->faceDC) return;  // a missing face leaves the button blank
    HGDIOBJ old = SelectObject(control->faceDC, face);
    if (g_bars.transparentBlt)
        g_bars.transparentBlt(dc, offset, offset, TOOL_FACE_SIZE, TOOL_FACE_SIZE, control->faceDC, 0, 0, TOOL_FACE_SIZE,
                              TOOL_FACE_SIZE, FACE_GREY);
    else
        BitBlt(dc, offset, offset, TOOL_FACE_SIZE, TOOL_FACE_SIZE, control->faceDC, 0, 0, SRCCOPY);
    SelectObject(control->faceDC, old);
}

void DrawButton(ToolBarControl* control, int index, HDC dc, Look look)
{
    ToolButton& button = control->buttons[index];
    if (!button.shown) return;
    DrawFrame(dc, look);
    DrawFace(control, button, dc, look == Look::Sunken ? PRESSED_FACE_OFFSET : FACE_OFFSET);
}

void DrawButtonNow(ToolBarControl* control, int index, Look look)
{
    HWND window = control->buttons[index].window;
    if (!window) return;
    HDC dc = GetDC(window);
    DrawButton(control, index, dc, look);
    ReleaseDC(window, dc);
}

void Repaint(const ToolButton& button)
{
    if (button.window) InvalidateRect(button.window, nullptr, FALSE);
}

// Unchecks the other checked radio buttons of the button's group.
void UncheckGroup(ToolBarControl* control, const ToolButton& button)
{
    for (int i = 0; i < control->buttonCount; ++i) {
        ToolButton& other = control->buttons[i];
        if (&other == &button || other.kind != TOOLBUTTON_RADIO || other.group != button.group || !other.checked)
            continue;
        other.checked = 0;
        if (control->created) Repaint(other);
    }
}

// ---- hover, press and release -------------------------------------------------------------

void EndHover(ToolBarControl* control, int index)
{
    control->hot = 0;
    control->hotIndex = -1;
    ShowStatusText(nullptr);
    if (!control->buttons[index].checked) DrawButtonNow(control, index, Look::Flat);
    StopToolTipTimer();
    DestroyToolTip();
}

void OnButtonMouseMove(ToolBarControl* control, int index, HWND window, LPARAM point)
{
    ToolButton& button = control->buttons[index];
    const bool inside = Inside(point);
    if (control->mouseDown) {
        if (GetCapture() != window) return;
        if (!inside && control->pressedInside) {
            control->pressedInside = 0;
            DrawButtonNow(control, index, Look::Flat);
        } else if (inside && !control->pressedInside) {
            control->pressedInside = 1;
            DrawButtonNow(control, index, Look::Sunken);
        }
        return;
    }
    if (!button.shown) return;
    if (!control->hot) {
        control->hot = 1;
        control->hotIndex = index;
        ShowStatusText(button.statusText);
        if (button.enabled && !button.checked) DrawButtonNow(control, index, Look::Raised);
        StartToolTipTimer(window);
        // Held so that the move off the button is seen.
        SetCapture(window);
    } else if (control->hotIndex == index && !inside) {
        // Cleared before the capture goes, so WM_CAPTURECHANGED finds nothing to end.
        EndHover(control, index);
        ReleaseCapture();
    }
}

void OnButtonDown(ToolBarControl* control, int index, HWND window)
{
    const ToolButton& button = control->buttons[index];
    // A checked radio button ignores presses; a checked toggle can be pressed to uncheck.
    if (!button.shown || !button.enabled || (button.checked && button.kind != TOOLBUTTON_TOGGLE)) return;
    DrawButtonNow(control, index, Look::Sunken);
    ShowStatusText(button.statusText);
    SetCapture(window);
    control->mouseDown = 1;
    control->pressedInside = 1;
}

void OnButtonUp(ToolBarControl* control, int index, HWND window, LPARAM point)
{
    if (!control->mouseDown || GetCapture() != window) return;
    ToolButton& button = control->buttons[index];
    InvalidateRect(window, nullptr, FALSE);
    const bool inside = Inside(point);
    // Every bit of the press is over before the capture goes and before the
    // command runs: the command may open a modal dialog.
    control->mouseDown = 0;
    control->pressedInside = 0;
    control->hot = 0;
    control->hotIndex = -1;
    ReleaseCapture();
    ShowStatusText(nullptr);
    StopToolTipTimer();
    DestroyToolTip();
    if (!inside) return;
    if (button.kind == TOOLBUTTON_TOGGLE) {
        button.checked = !button.checked;
        DrawButtonNow(control, index, button.checked ? Look::Sunken : Look::Flat);
    } else if (button.kind == TOOLBUTTON_RADIO) {
        UncheckGroup(control, button);
        button.checked = 1;
        Repaint(button);
    }
    SendMessageA(control->parentWindow, WM_COMMAND, MAKEWPARAM(button.commandId, 0), 0);
}

// Another window took the mouse (a dialog, a menu, a drag elsewhere): a
// hovered button must not stay "hot" for good, nor a press stay open.
void OnButtonCaptureLost(ToolBarControl* control, int index, HWND window, HWND newCapture)
{
    if (newCapture == window) return;
    if (control->mouseDown) {
        control->mouseDown = 0;
        control->pressedInside = 0;
        ShowStatusText(nullptr);
        Repaint(control->buttons[index]);
    }
    if (control->hot && control->hotIndex == index) EndHover(control, index);
}

LRESULT ButtonProc(ToolBarControl* control, int index, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    ToolButton& button = control->buttons[index];
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        const bool pressed = control->mouseDown && control->pressedInside && GetCapture() == window;
        DrawButton(control, index, dc, button.checked || pressed ? Look::Sunken : Look::Flat);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_MOUSEMOVE:
        OnButtonMouseMove(control, index, window, lParam);
        return 0;
    case WM_TIMER:
        if (wParam != TOOL_TIP_TIMER) break;
        StopToolTipTimer();
        ShowToolTip(control->barWindow, button.x, control->buttonTop + TIP_BELOW_BUTTON_TOP, button.tipText);
        return 0;
    case WM_LBUTTONDOWN:
        OnButtonDown(control, index, window);
        return 0;
    case WM_LBUTTONUP:
        OnButtonUp(control, index, window, lParam);
        return 0;
    case WM_CAPTURECHANGED:
        OnButtonCaptureLost(control, index, window, reinterpret_cast<HWND>(lParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// ---- the bar window ---------------------------------------------------------------------

void FreeFaces(ToolBarControl* control)
{
    for (int i = 0; i < control->buttonCount; ++i) {
        for (HBITMAP* face : {&control->buttons[i].enabledFace, &control->buttons[i].disabledFace}) {
            if (*face) DeleteObject(*face);
            *face = nullptr;
        }
    }
}

void PaintBar(ToolBarControl* control, HWND window)
{
    RECT parent, bar;
    GetClientRect(control->parentWindow, &parent);
    GetClientRect(window, &bar);
    if (parent.right != bar.right) {
        SetWindowPos(window, nullptr, 0, 0, parent.right, control->height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
        GetClientRect(window, &bar);
    }
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    HPEN grey = CreatePen(PS_SOLID, 1, SHADOW);
    HPEN white = CreatePen(PS_SOLID, 1, WHITE);
    HGDIOBJ old = SelectObject(dc, grey);
    MoveToEx(dc, 0, bar.bottom - 1, nullptr);
    LineTo(dc, bar.right, bar.bottom - 1);
    SelectObject(dc, white);
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, bar.right, 0);
    for (int i = 0; i < control->buttonCount; ++i) {
        const ToolButton& entry = control->buttons[i];
        if (entry.kind != TOOLBUTTON_SEPARATOR) continue;
        SelectObject(dc, grey);
        MoveToEx(dc, entry.x + 4, 3, nullptr);
        LineTo(dc, entry.x + 4, bar.bottom - 5);
        SelectObject(dc, white);
        MoveToEx(dc, entry.x + 5, 3, nullptr);
        LineTo(dc, entry.x + 5, bar.bottom - 5);
    }
    SelectObject(dc, old);
    DeleteObject(grey);
    DeleteObject(white);
    EndPaint(window, &paint);
}

LRESULT BarProc(ToolBarControl* control, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        FreeFaces(control);
        if (control->faceDC) DeleteDC(control->faceDC);
        control->faceDC = nullptr;
        if (g_bars.tipTimerWindow && GetParent(g_bars.tipTimerWindow) == window) StopToolTipTimer();
        control->created = 0;
        control->barWindow = nullptr;
        for (int i = 0; i < control->buttonCount; ++i) control->buttons[i].window = nullptr;
        return 0;
    case WM_PAINT:
        PaintBar(control, window);
        return 0;
    case WM_MOUSEMOVE:
        if (control->hot) {
            control->hot = 0;
            control->hotIndex = -1;
            ShowStatusText(nullptr);
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        return SendMessageA(control->parentWindow, message, wParam, lParam);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// ---- the tip ------------------------------------------------------------------------------

// Registered before each tip and unregistered after it; the system deletes
// the class's brush with the class, so each registration makes its own.
bool RegisterTipClass(HINSTANCE instance)
{
    WNDCLASSA cls{};
    cls.style = CS_SAVEBITS;
    cls.lpfnWndProc = ToolTipWndProc;
    cls.hInstance = instance;
    cls.hbrBackground = CreateSolidBrush(TIP_COLOR);
    cls.lpszClassName = TIP_CLASS;
    if (RegisterClassA(&cls)) return true;
    DeleteObject(cls.hbrBackground);
    return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

// ---- the control's operations -------------------------------------------------------------

COLORREF ToolBarColor() { return g_bars.barColor; }

int InitToolBar(ToolBarControl* control, HWND parentWindow, HINSTANCE instance)
{
    control->height = TOOL_BAR_HEIGHT;
    control->width = 600;
    control->y = 0;
    control->buttonTop = 3;
    control->created = control->hot = control->mouseDown = control->pressedInside = 0;
    control->hotIndex = -1;
    control->buttonCount = 0;
    control->barWindow = nullptr;
    control->parentWindow = parentWindow;
    control->instance = instance;
    if (g_bars.classRegistered) return 1;

    // The system's transparent copy, where it exists, lets the faces stand on
    // the menu colour; without it they keep their own grey and so does the bar.
    if (HMODULE images = LoadLibraryA("msimg32.dll")) {
        g_bars.transparentBlt = reinterpret_cast<TransparentBltProc>(
            reinterpret_cast<void*>(GetProcAddress(images, "TransparentBlt")));
        if (g_bars.transparentBlt) g_bars.barColor = GetSysColor(COLOR_MENU);
    }
    WNDCLASSA cls{};
    cls.style = CS_BYTEALIGNWINDOW;
    cls.lpfnWndProc = ToolBarWndProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    cls.hbrBackground = CreateSolidBrush(g_bars.barColor);
    cls.lpszClassName = BAR_CLASS;
    if (!RegisterClassA(&cls) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        DeleteObject(cls.hbrBackground);
        return 0;
    }
    g_bars.classRegistered = true;
    return 1;
}

int AddToolButton(ToolBarControl* control, const ToolButton& entry)
{
    if (control->buttonCount >= MAX_TOOL_BUTTONS) return 0;
    ToolButton& button = control->buttons[control->buttonCount];
    button = entry;
    if (control->buttonCount == 0) {
        button.x = FIRST_BUTTON_X;
    } else {
        const ToolButton& previous = control->buttons[control->buttonCount - 1];
        button.x = previous.x + previous.gap + previous.buttonWidth;
    }
    button.window = nullptr;
    button.enabledFace = button.disabledFace = nullptr;
    ++control->buttonCount;
    return 1;
}

int CreateToolBarWindows(ToolBarControl* control, int yOffset)
{
    if (control->created) return 1;
    control->created = 1;
    control->height = TOOL_BAR_HEIGHT;
    RECT parent;
    GetClientRect(control->parentWindow, &parent);
    control->width = std::max<int>(control->width, parent.right);
    control->y = yOffset;
    HWND bar = CreateWindowExA(0, BAR_CLASS, "", WS_CHILD | WS_VISIBLE, 0, control->y, control->width, control->height,
                               control->parentWindow, nullptr, control->instance, control);
    if (!bar) return 0;
    SetWindowLongPtrA(bar, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
    for (int i = 0; i < control->buttonCount; ++i) {
        ToolButton& button = control->buttons[i];
        if (button.kind == TOOLBUTTON_SEPARATOR) continue;
        button.window = CreateWindowExA(0, BAR_CLASS, "", WS_CHILD | WS_VISIBLE, button.x, control->buttonTop,
                                        TOOL_BUTTON_SIZE, TOOL_BUTTON_SIZE, bar, nullptr, control->instance, nullptr);
        if (!button.window) return 0;
        SetWindowLongPtrA(button.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
    }
    return 1;
}

void ResizeToolBar(ToolBarControl* control)
{
    if (!control->created || !control->barWindow) return;
    RECT parent;
    GetClientRect(control->parentWindow, &parent);
    SetWindowPos(control->barWindow, nullptr, 0, control->y, parent.right, control->height, SWP_NOZORDER);
}

ToolButton* FindToolButton(ToolBarControl* control, UINT commandId)
{
    for (int i = 0; i < control->buttonCount; ++i)
        if (control->buttons[i].kind != TOOLBUTTON_SEPARATOR && control->buttons[i].commandId == commandId)
            return &control->buttons[i];
    return nullptr;
}

void EnableToolButton(ToolBarControl* control, UINT commandId, int enabled)
{
    ToolButton* button = FindToolButton(control, commandId);
    if (!button || button->enabled == (enabled ? 1 : 0)) return;
    button->enabled = enabled ? 1 : 0;
    if (control->created) Repaint(*button);
}

int CheckToolButton(ToolBarControl* control, UINT commandId, int checked)
{
    ToolButton* button = FindToolButton(control, commandId);
    if (!button) return 0;
    const int value = checked ? 1 : 0;
    if (button->checked == value) return 1;
    if (button->kind == TOOLBUTTON_RADIO) {
        if (!value) return 0;
        UncheckGroup(control, *button);
    }
    button->checked = value;
    if (control->created) Repaint(*button);
    return 1;
}

void ShowStatusText(const char* text)
{
    if (g_appState.statusBarWindow)
        SendMessageA(g_appState.statusBarWindow, STATUSBAR_SET_PANE, PANE_TEXT, reinterpret_cast<LPARAM>(text));
}

LRESULT CALLBACK ToolBarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) {
        auto* control = static_cast<ToolBarControl*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (!control) return 0;  // a button: its record arrives after creation
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
        control->barWindow = window;
        if (!control->faceDC) control->faceDC = CreateCompatibleDC(nullptr);
        for (int i = 0; i < control->buttonCount; ++i)
            control->buttons[i].enabledFace = control->buttons[i].disabledFace = nullptr;
        return 0;
    }
    ToolBarControl* control = ControlOf(window);
    if (!control) return DefWindowProcA(window, message, wParam, lParam);
    if (window == control->barWindow) return BarProc(control, window, message, wParam, lParam);
    const int index = IndexOf(control, window);
    if (index < 0) return DefWindowProcA(window, message, wParam, lParam);
    return ButtonProc(control, index, window, message, wParam, lParam);
}

// ---- tool tips ----------------------------------------------------------------------------

void StartToolTipTimer(HWND window)
{
    if (g_bars.tipTimerWindow) return;
    if (SetTimer(window, TOOL_TIP_TIMER, TOOL_TIP_DELAY, nullptr)) g_bars.tipTimerWindow = window;
}

void StopToolTipTimer()
{
    if (g_bars.tipTimerWindow) KillTimer(g_bars.tipTimerWindow, TOOL_TIP_TIMER);
    g_bars.tipTimerWindow = nullptr;
}

RECT PlaceToolTip(POINT at, SIZE extent, SIZE screen)
{
    const int width = extent.cx + 10, height = extent.cy + 4;
    int left = at.x, top = at.y;
    left = std::min(left, static_cast<int>(screen.cx) - TOOL_TIP_MARGIN - width);
    top = std::min(top, static_cast<int>(screen.cy) - TOOL_TIP_MARGIN - height);
    left = std::max(left, TOOL_TIP_MARGIN);
    top = std::max(top, TOOL_TIP_MARGIN);
    return {left, top, left + width, top + height};
}

void ShowToolTip(HWND anchor, int x, int y, const char* text)
{
    DestroyToolTip();
    char shown[TOOL_TIP_CHARS];
    lstrcpynA(shown, text ? text : "", sizeof shown);
    SIZE extent = {0, 0};
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, GetStockObject(DEFAULT_GUI_FONT));
    GetTextExtentPoint32A(screen, shown, lstrlenA(shown), &extent);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    RECT around;
    GetWindowRect(anchor, &around);
    const RECT r = PlaceToolTip({around.left + x, around.top + y}, extent,
                                {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!RegisterTipClass(instance)) return;
    g_bars.tipWindow = CreateWindowExA(0, TIP_CLASS, "ToolTip", WS_POPUP | WS_DISABLED | WS_BORDER, r.left, r.top,
                                       r.right - r.left, r.bottom - r.top, anchor, nullptr, instance, nullptr);
    if (!g_bars.tipWindow) return;
    ShowWindow(g_bars.tipWindow, SW_SHOWNOACTIVATE);
    SendMessageA(g_bars.tipWindow, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(shown));
}

void DestroyToolTip()
{
    if (g_bars.tipWindow) DestroyWindow(g_bars.tipWindow);
    g_bars.tipWindow = nullptr;
    UnregisterClassA(TIP_CLASS, GetModuleHandleA(nullptr));
}

HWND ToolTipWindow() { return g_bars.tipWindow; }

LRESULT CALLBACK ToolTipWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        g_bars.tipText[0] = '\0';
        return 0;
    case WM_SETTEXT:
        if (lParam) lstrcpynA(g_bars.tipText, reinterpret_cast<const char*>(lParam), TOOL_TIP_CHARS);
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
        return TRUE;
    // The tip's text is what it shows, so that it can be read like any window's.
    case WM_GETTEXT:
        if (!lParam || wParam == 0) return 0;
        lstrcpynA(reinterpret_cast<char*>(lParam), g_bars.tipText, static_cast<int>(std::min<WPARAM>(wParam, TOOL_TIP_CHARS)));
        return lstrlenA(reinterpret_cast<char*>(lParam));
    case WM_GETTEXTLENGTH:
        return lstrlenA(g_bars.tipText);
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        TextOutA(dc, 4, 1, g_bars.tipText, lstrlenA(g_bars.tipText));
        SelectObject(dc, old);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        if (g_bars.tipWindow == window) g_bars.tipWindow = nullptr;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
