// Owner-drawn buttons that hold a column of 32 x 32 icons: the tool strips of
// the path editor and the region editor. A press reads the icon under the
// pointer; the dialog acts on it when the button reports the click.
#include "ComposeCommon.h"

namespace {

const char PREVIOUS_PROC[] = "ZelvoStripProc";
const char PRESSED_ICON[] = "ZelvoStripIcon";  // row + 1; 0 none

LRESULT CALLBACK IconStripProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto previous = reinterpret_cast<WNDPROC>(GetPropA(button, PREVIOUS_PROC));
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        RECT client;
        GetClientRect(button, &client);
        const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
        const bool inside = x >= 0 && x < ICON_SIZE && y >= 0 && y < client.bottom;
        SetPropA(button, PRESSED_ICON, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(inside ? y / ICON_SIZE + 1 : 0)));
        // A second click is a click like the first.
        message = WM_LBUTTONDOWN;
        break;
    }
    case WM_NCDESTROY:
        RemovePropA(button, PRESSED_ICON);
        RemovePropA(button, PREVIOUS_PROC);
        SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        break;
    default: break;
    }
    return CallWindowProcA(previous, button, message, wParam, lParam);
}

}  // namespace

void MakeIconStrip(HWND button)
{
    if (!button || GetPropA(button, PREVIOUS_PROC)) return;
    SetPropA(button, PREVIOUS_PROC, reinterpret_cast<HANDLE>(GetWindowLongPtrA(button, GWLP_WNDPROC)));
    SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(IconStripProc));
}

int PressedIcon(HWND button)
{
    return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropA(button, PRESSED_ICON))) - 1;
}

int TakePressedIcon(HWND button)
{
    const int icon = PressedIcon(button);
    SetPropA(button, PRESSED_ICON, nullptr);
    return icon;
}

void DrawIconStrip(HDC dc, HBITMAP strip, int firstRow, int rows, int highlighted)
{
    HDC source = strip ? CreateCompatibleDC(dc) : nullptr;
    if (!source) return;
    HGDIOBJ old = SelectObject(source, strip);
    BitBlt(dc, 0, 0, ICON_SIZE, rows * ICON_SIZE, source, 0, firstRow * ICON_SIZE, SRCCOPY);
    if (highlighted >= 0 && highlighted < rows)
        BitBlt(dc, 0, highlighted * ICON_SIZE, ICON_SIZE, ICON_SIZE, source, ICON_SIZE, (firstRow + highlighted) * ICON_SIZE,
               SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}
