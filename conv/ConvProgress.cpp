// The library's progress dialog "Converting...": a percentage bar and, in
// one of its two forms, a Cancel button. One dialog exists at a time.
#include "ConvLibrary.h"
#include "ConvResource.h"
#include <cstdio>

namespace {

constexpr COLORREF BAR_BLUE = RGB(0, 0, 255);
constexpr COLORREF BAR_WHITE = RGB(255, 255, 255);
constexpr COLORREF BAR_GREY = RGB(128, 128, 128);
constexpr int TEXT_CENTRE_Y = 8;

ConvProgressState g_progress = {};

int ClampPercent(int percentage) { return percentage < 0 ? 0 : percentage > 100 ? 100 : percentage; }

void FillBox(HDC dc, int left, int top, int right, int bottom, COLORREF color)
{
    if (right <= left || bottom <= top) return;
    const RECT box{left, top, right, bottom};
    SetBkColor(dc, color);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &box, nullptr, 0, nullptr);
}

void DrawBarText(HDC dc, int width, int height, int filled, int percentage)
{
    char text[8];
    const int length = snprintf(text, sizeof text, "%d%%", percentage);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    const int top = TEXT_CENTRE_Y - metrics.tmHeight / 2;
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    // Blue over the white part, white over the blue part: the text reads on both.
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, filled, 0, width, height);
    SetTextColor(dc, BAR_BLUE);
    TextOutA(dc, width / 2, top, text, length);
    RestoreDC(dc, saved);
    const int again = SaveDC(dc);
    IntersectClipRect(dc, 0, 0, filled, height);
    SetTextColor(dc, BAR_WHITE);
    TextOutA(dc, width / 2, top, text, length);
    RestoreDC(dc, again);
}

// The bar with the dialog's font, as its item shows it.
void DrawBarWithFont(HWND dialog, HDC dc, const RECT& area)
{
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
    DrawConvProgressBar(dc, area, g_progress.percentage);
    SelectObject(dc, oldFont);
}

}  // namespace

ConvProgressState GetConvProgressState() { return g_progress; }

void DrawConvProgressBar(HDC dc, const RECT& area, int percentage)
{
    percentage = ClampPercent(percentage);
    const int w = area.right - area.left;
    const int h = area.bottom - area.top;
    const int filled = static_cast<int>(w * 0.01 * percentage);
    const int saved = SaveDC(dc);
    SetViewportOrgEx(dc, area.left, area.top, nullptr);
    FillBox(dc, 1, 1, filled, h - 1, BAR_BLUE);
    FillBox(dc, filled > 1 ? filled : 1, 1, w - 1, h - 1, BAR_WHITE);
    // A sunken frame: light from the bottom right, shade at the top left.
    FillBox(dc, 0, h - 1, w, h, BAR_WHITE);
    FillBox(dc, w - 1, 0, w, h, BAR_WHITE);
    FillBox(dc, 0, 0, w, 1, BAR_GREY);
    FillBox(dc, 0, 0, 1, h, BAR_GREY);
    DrawBarText(dc, w, h, filled, percentage);
    RestoreDC(dc, saved);
}

INT_PTR CALLBACK ConvProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        g_progress.percentage = 0;
        g_progress.cancelled = 0;
        CenterConvDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_CONVERT_CANCEL) g_progress.cancelled = 1;
        return TRUE;
    case WM_CTLCOLORDLG:
        return reinterpret_cast<INT_PTR>(GetStockObject(LTGRAY_BRUSH));
    case WM_USER: {
        g_progress.percentage = ClampPercent(static_cast<int>(static_cast<int32_t>(wParam)));
        // Drawn at once: the loop that sends it may not let a paint through for a while.
        if (HWND bar = GetDlgItem(dialog, IDC_CONVERT_BAR)) {
            RECT area;
            GetClientRect(bar, &area);
            HDC dc = GetDC(bar);
            DrawBarWithFont(dialog, dc, area);
            ReleaseDC(bar, dc);
            ValidateRect(bar, nullptr);
        }
        return TRUE;
    }
    case WM_DRAWITEM: {
        if (wParam != IDC_CONVERT_BAR) return FALSE;
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        DrawBarWithFont(dialog, item->hDC, item->rcItem);
        return TRUE;
    }
    case WM_DESTROY:
        // Destroyed by other means than DestroyConvProgress: the state goes with it.
        if (g_progress.dialog == dialog) g_progress = {};
        return FALSE;
    default:
        return FALSE;
    }
}

HWND CreateConvProgress(HWND owner, HINSTANCE module, int templateId)
{
    if (g_progress.procedure) return nullptr;
    if (owner) EnableWindow(owner, FALSE);
    HWND dialog = CreateDialogParamA(module, MAKEINTRESOURCEA(templateId), owner, ConvProgressDlgProc, 0);
    if (!dialog) {
        if (owner) EnableWindow(owner, TRUE);
        return nullptr;
    }
    g_progress.procedure = ConvProgressDlgProc;
    g_progress.dialog = dialog;
    return dialog;
}

int StepConvProgress(int percentage)
{
    HWND dialog = g_progress.dialog;
    if (dialog) {
        if (!IsWindowVisible(dialog)) ShowWindow(dialog, SW_SHOWNORMAL);
        SendMessageA(dialog, WM_USER, static_cast<WPARAM>(percentage), 0);
    }
    PumpConvMessages(dialog);
    return g_progress.cancelled;
}

int DestroyConvProgress(HWND dialog)
{
    if (!g_progress.procedure) return 0;
    if (HWND owner = GetWindow(dialog, GW_OWNER)) EnableWindow(owner, TRUE);
    DestroyWindow(dialog);
    g_progress = {};
    return 1;
}
