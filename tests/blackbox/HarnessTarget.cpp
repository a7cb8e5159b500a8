// HarnessTarget: a small GUI program whose every property is known, so that
// the black-box harness can be proved on it. Its command line is a tag that
// makes its class, title and message box caption unique to one test run,
// optionally followed by the window's position (HarnessTarget TAG [X Y]):
//
//   class   "HarnessTarget-TAG", title "Harness Target TAG"
//   window  at (120, 90) or (X, Y), 360 x 260, client area filled with
//           kBackground and a kMarker square at client (200, 100)-(240, 140)
//   menu    &File: 101 "&Message Box...\tCtrl+M", 102 grayed, 103 checked
//           ("\b" before its shortcut), separator, 104 "E&xit"
//   button  id 201 "Show &Box" at client (10, 10), 100 x 30
//   keys    C (posted WM_KEYDOWN) toggles the check of 103; Ctrl+M is 101
//   mouse   a right click opens a context menu: 301, and 302 grayed; a left
//           press, drag and release in the client area, or a double click,
//           is described in static 206 ("drag X1,Y1 X2,Y2 moves=N keys=ctrl"
//           or "double X,Y")
//   controls edit 202 (focused at start), drop-down list 203 ("Red", "Green",
//           "Blue" with item data 10, 20, 30), list box 204 ("One", "Two",
//           "Three"), check box 205 "&Tick"; each change they report is
//           described in static 206 ("edit 202 change", "combo 203
//           selchange 2", "list 204 selchange 1", "check 205 clicked 1")
//
// Command 101 (or the button) shows a Yes/No/Cancel box captioned
// "Harness Box TAG" and ends the program with the id of the pressed button;
// closing the window ends it with exit code 1.
#include <windows.h>
#include <cstdlib>
#include <string>

namespace {

constexpr COLORREF kBackground = RGB(0x20, 0x80, 0xC0);
constexpr COLORREF kMarker = RGB(0xE0, 0x30, 0x10);
constexpr RECT kMarkerRect = {200, 100, 240, 140};
constexpr int kShowBox = 101, kGrayed = 102, kChecked = 103, kExit = 104;
constexpr int kButton = 201, kContextOne = 301, kContextTwo = 302;
constexpr int kEdit = 202, kCombo = 203, kList = 204, kTick = 205, kLog = 206;

struct TargetState {
    std::wstring tag;
    int exitCode = 1;
    POINT pressedAt{};    // where the left button went down
    int moves = 0;        // moves seen while it was down
    bool doubleClicked = false;
};
TargetState target;

HMENU BuildMenuBar()
{
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, kShowBox, L"&Message Box...\tCtrl+M");
    AppendMenuW(file, MF_STRING | MF_GRAYED, kGrayed, L"&Grayed Item");
    AppendMenuW(file, MF_STRING | MF_CHECKED, kChecked, L"&Checked Item\bCtrl+K");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, kExit, L"E&xit");
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    return bar;
}

void ShowContextMenu(HWND window, LPARAM at)
{
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, kContextOne, L"Context &One");
    AppendMenuW(menu, MF_STRING | MF_GRAYED, kContextTwo, L"Context &Two");
    POINT point{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    ClientToScreen(window, &point);
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, point.x, point.y, 0, window, nullptr);
    DestroyMenu(menu);
}

void AskAndQuit(HWND window)
{
    std::wstring text = L"Harness question 90\u00B0 for " + target.tag + L":\nchoose a button.";
    std::wstring caption = L"Harness Box " + target.tag;
    target.exitCode = MessageBoxW(window, text.c_str(), caption.c_str(), MB_YESNOCANCEL | MB_ICONQUESTION);
    DestroyWindow(window);
}

void ToggleCheckedItem(HWND window)
{
    HMENU menu = GetMenu(window);
    bool checked = GetMenuState(menu, kChecked, MF_BYCOMMAND) & MF_CHECKED;
    CheckMenuItem(menu, kChecked, MF_BYCOMMAND | (checked ? MF_UNCHECKED : MF_CHECKED));
}

HWND AddControl(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, int x, int y, int w, int h)
{
    return CreateWindowW(cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

void CreateControls(HWND window)
{
    AddControl(window, L"BUTTON", L"Show &Box", BS_PUSHBUTTON, kButton, 10, 10, 100, 30);
    HWND edit = AddControl(window, L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL, kEdit, 10, 50, 120, 22);
    HWND combo = AddControl(window, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL, kCombo, 10, 80, 120, 120);
    const wchar_t* colours[] = {L"Red", L"Green", L"Blue"};
    for (int i = 0; i < 3; ++i) {
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(colours[i]));
        SendMessageW(combo, CB_SETITEMDATA, i, 10 * (i + 1));
    }
    HWND list = AddControl(window, L"LISTBOX", L"", WS_BORDER | LBS_NOTIFY, kList, 10, 110, 120, 60);
    for (const wchar_t* item : {L"One", L"Two", L"Three"}) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    AddControl(window, L"BUTTON", L"&Tick", BS_AUTOCHECKBOX, kTick, 10, 175, 120, 20);
    AddControl(window, L"STATIC", L"-", SS_LEFT, kLog, 140, 10, 210, 20);
    SetFocus(edit);
}

void Log(HWND window, const std::wstring& text) { SetDlgItemTextW(window, kLog, text.c_str()); }

void DescribeNotification(HWND window, WPARAM wParam, LPARAM lParam)
{
    HWND control = reinterpret_cast<HWND>(lParam);
    int id = LOWORD(wParam), code = HIWORD(wParam);
    if (id == kEdit && code == EN_CHANGE) Log(window, L"edit 202 change");
    if (id == kCombo && code == CBN_SELCHANGE)
        Log(window, L"combo 203 selchange " + std::to_wstring(SendMessageW(control, CB_GETCURSEL, 0, 0)));
    if (id == kList && code == LBN_SELCHANGE)
        Log(window, L"list 204 selchange " + std::to_wstring(SendMessageW(control, LB_GETCURSEL, 0, 0)));
    if (id == kTick && code == BN_CLICKED)
        Log(window, L"check 205 clicked " + std::to_wstring(SendMessageW(control, BM_GETCHECK, 0, 0)));
}

std::wstring PointText(LPARAM at)
{
    return std::to_wstring(static_cast<short>(LOWORD(at))) + L"," + std::to_wstring(static_cast<short>(HIWORD(at)));
}

void EndPress(HWND window, WPARAM keys, LPARAM at)
{
    if (GetCapture() != window) return;
    ReleaseCapture();
    if (target.doubleClicked) {
        Log(window, L"double " + PointText(at));
        return;
    }
    std::wstring held = (keys & MK_CONTROL) ? L"ctrl" : (keys & MK_SHIFT) ? L"shift" : L"none";
    Log(window, L"drag " + PointText(MAKELPARAM(target.pressedAt.x, target.pressedAt.y)) + L" " + PointText(at) +
                    L" moves=" + std::to_wstring(target.moves) + L" keys=" + held);
}

void Paint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    HBRUSH marker = CreateSolidBrush(kMarker);
    FillRect(dc, &kMarkerRect, marker);
    DeleteObject(marker);
    EndPaint(window, &paint);
}

LRESULT CALLBACK TargetWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        CreateControls(window);
        return 0;
    case WM_LBUTTONDOWN:
        target.pressedAt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        target.moves = 0;
        target.doubleClicked = false;
        SetCapture(window);
        return 0;
    case WM_LBUTTONDBLCLK:
        target.doubleClicked = true;
        SetCapture(window);
        return 0;
    case WM_MOUSEMOVE:
        if (GetCapture() == window) ++target.moves;
        return 0;
    case WM_LBUTTONUP:
        EndPress(window, wParam, lParam);
        return 0;
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_KEYDOWN:
        if (wParam == 'C') ToggleCheckedItem(window);
        return 0;
    case WM_RBUTTONUP:
        ShowContextMenu(window, lParam);
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kShowBox:
        case kButton:
            AskAndQuit(window);
            break;
        case kExit:
            DestroyWindow(window);
            break;
        default:
            DescribeNotification(window, wParam, lParam);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(target.exitCode);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    target.tag = count > 1 ? argv[1] : L"untagged";
    int x = count > 3 ? _wtoi(argv[2]) : 120;
    int y = count > 3 ? _wtoi(argv[3]) : 90;
    LocalFree(argv);
    std::wstring className = L"HarnessTarget-" + target.tag;
    std::wstring title = L"Harness Target " + target.tag;

    WNDCLASSW windowClass{};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = TargetWndProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = CreateSolidBrush(kBackground);
    windowClass.lpszClassName = className.c_str();
    if (!RegisterClassW(&windowClass)) return 0;
    HWND window = CreateWindowW(className.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW, x, y, 360, 260, nullptr,
                                BuildMenuBar(), instance, nullptr);
    if (!window) return 0;
    ShowWindow(window, show == SW_SHOWDEFAULT ? SW_SHOWNORMAL : show);
    UpdateWindow(window);

    ACCEL shortcut{FCONTROL | FVIRTKEY, 'M', kShowBox};
    HACCEL accelerators = CreateAcceleratorTableW(&shortcut, 1);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorW(window, accelerators, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    DestroyAcceleratorTable(accelerators);
    return static_cast<int>(msg.wParam);
}
