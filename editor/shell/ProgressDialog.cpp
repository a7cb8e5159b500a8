// The modeless progress dialog "Processing..." of long operations: a
// percentage bar and a Cancel button, one dialog at a time.
#include "DialogUtilities.h"
#include "SolidFill.h"
#include "resource.h"
#include <cstdio>

namespace {

ProgressDialogState progress = {};
// An owner that was disabled already (by a modal dialog above it) stays so
// when the progress dialog goes.
bool ownerWasEnabled = false;

void ReleaseOwner(HWND dialog)
{
    HWND owner = GetWindow(dialog, GW_OWNER);
    if (owner && ownerWasEnabled) EnableWindow(owner, TRUE);
    ownerWasEnabled = false;
}

INT_PTR OfferToCaller(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    return progress.progressCallerProc ? progress.progressCallerProc(dialog, message, wParam, lParam)
                                       : DefaultCtlColor(message);
}

void ApplyProgressUpdate(HWND dialog, WPARAM mode, LPARAM value)
{
    if (mode == PROGRESS_SET_MAXIMUM) {
        progress.progressMaximum = static_cast<int32_t>(value);
        return;  // the next position change repaints
    }
    int64_t position = mode == PROGRESS_ADD ? int64_t{progress.progressPosition} + static_cast<int32_t>(value)
                                            : static_cast<int32_t>(value);
    if (position < 0 || position > progress.progressMaximum) position = progress.progressMaximum;
    progress.progressPosition = static_cast<int32_t>(position);
    if (HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR)) InvalidateRect(bar, nullptr, FALSE);
}

// An empty operation (maximum 0) shows 0 % rather than dividing by zero.
double PercentDone(int position, int maximum)
{
    if (maximum <= 0) return 0.0;
    double percent = static_cast<double>(position) * 100.0 / maximum;
    return percent < 0 ? 0.0 : percent > 100 ? 100.0 : percent;
}

}  // namespace

ProgressDialogState GetProgressDialogState() { return progress; }

HWND OpenProgressDialog(HWND owner, HINSTANCE instance, int templateId, int maximum, DLGPROC callerProc)
{
    if (progress.progressOpen) return nullptr;
    progress.progressOpen = 1;
    // EnableWindow answers whether the window was disabled before.
    ownerWasEnabled = owner && !EnableWindow(owner, FALSE);
    ProgressDialogStart start = {callerProc, maximum};
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), owner, ProgressDlgProc,
                                     reinterpret_cast<LPARAM>(&start));
    if (!dialog) {
        progress.progressOpen = 0;
        if (ownerWasEnabled) EnableWindow(owner, TRUE);
        ownerWasEnabled = false;
        return nullptr;
    }
    ShowWindow(dialog, SW_SHOWNORMAL);
    UpdateWindow(dialog);
    return dialog;
}

int CloseProgressDialog(HWND dialog)
{
    if (!progress.progressOpen) return 0;
    // The owner is enabled before the dialog goes, so it gets the activation back.
    ReleaseOwner(dialog);
    DestroyWindow(dialog);
    progress.progressOpen = 0;
    return 1;
}

int UpdateProgress(HWND dialog, int value, int mode)
{
    if (!dialog) return 0;
    if (progress.progressCancelled) return 1;
    SendMessageA(dialog, PROGRESS_UPDATE, static_cast<WPARAM>(mode & 0x0F), static_cast<LPARAM>(value));
    if (mode & PROGRESS_PUMP) PumpMessages(dialog);
    return progress.progressCancelled;
}

INT_PTR CALLBACK ProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        const auto* start = reinterpret_cast<const ProgressDialogStart*>(lParam);
        progress.progressCallerProc = start->callerProc;
        progress.progressMaximum = start->maximum;
        progress.progressPosition = 0;
        progress.progressCancelled = 0;
        CenterWindow(dialog);
        return progress.progressCallerProc ? progress.progressCallerProc(dialog, message, wParam, lParam) : 0;
    }
    case WM_DRAWITEM:
        if (wParam == IDC_PROGRESS_BAR) {
            DrawProgressBar(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), progress.progressPosition,
                            progress.progressMaximum);
            return TRUE;
        }
        return OfferToCaller(dialog, message, wParam, lParam);
    case WM_COMMAND:
        if (!OfferToCaller(dialog, message, wParam, lParam) && LOWORD(wParam) == IDC_PROGRESS_CANCEL)
            progress.progressCancelled = 1;
        return TRUE;
    case PROGRESS_UPDATE:
        if (wParam <= PROGRESS_SET_MAXIMUM) ApplyProgressUpdate(dialog, wParam, lParam);
        return TRUE;
    case WM_DESTROY:
        // Destroyed by other means than CloseProgressDialog: the owner must not
        // stay disabled.
        ReleaseOwner(dialog);
        progress.progressOpen = 0;
        OfferToCaller(dialog, message, wParam, lParam);
        return TRUE;
    default:
        return OfferToCaller(dialog, message, wParam, lParam);
    }
}

int ProgressPercent(int position, int maximum) { return static_cast<int>(PercentDone(position, maximum)); }

void DrawProgressBar(const DRAWITEMSTRUCT* item, int position, int maximum)
{
    HDC dc = item->hDC;
    const RECT& r = item->rcItem;
    int w = r.right - r.left;
    int h = r.bottom - r.top;
    double percent = PercentDone(position, maximum);
    int filled = static_cast<int>(w * 0.01 * percent);

    int saved = SaveDC(dc);
    SetViewportOrgEx(dc, r.left, r.top, nullptr);
    FillSolidBox(dc, 1, 1, filled, h - 1, RGB(0, 0, 255));
    FillSolidBox(dc, filled > 1 ? filled : 1, 1, w - 1, h - 1, RGB(255, 255, 255));
    FillSolidBox(dc, 0, h - 1, w, h, RGB(255, 255, 255));  // bottom
    FillSolidBox(dc, w - 1, 0, w, h, RGB(255, 255, 255));  // right
    FillSolidBox(dc, 0, 0, w, 1, RGB(128, 128, 128));      // top
    FillSolidBox(dc, 0, 0, 1, h, RGB(128, 128, 128));      // left

    char text[16];
    snprintf(text, sizeof text, "%d%%", static_cast<int>(percent));
    int length = lstrlenA(text);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(item->hwndItem, WM_GETFONT, 0, 0));
    if (font) SelectObject(dc, font);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    int textTop = 8 - metrics.tmHeight / 2;
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    SetTextColor(dc, RGB(0, 0, 255));
    TextOutA(dc, w / 2, textTop, text, length);
    // Again in white over the blue part only, so the text reads on both.
    ExcludeClipRect(dc, filled, 0, w, h);
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutA(dc, w / 2, textTop, text, length);
    RestoreDC(dc, saved);
}
