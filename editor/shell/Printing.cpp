// The default printer and its set-up, the print command and the print job
// with its bands and its "Print" box, and the page arithmetic of the print
// dialog (whose windows live in PrintDialog.cpp).
#include "Printing.h"
#include "AppState.h"
#include "DialogUtilities.h"
#include "DocumentModel.h"
#include "DocumentStrings.h"
#include "EditorSettings.h"
#include "FrameBitmaps.h"
#include "MainWindow.h"
#include "PackedDib.h"
#include "PrintDialogState.h"
#include "PrintSeam.h"
#include "ResultCodes.h"
#include "resource.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

PrintLayout g_printLayout = {{}, 0, -1};

namespace {

constexpr int PROFILE_CHARS = 160;     // the WIN.INI value, up to 159 characters
constexpr int CORNER_TOLERANCE = 3;
constexpr int PRINTER_COORDINATE_LIMIT = 32767;
constexpr int VIEW_MARGIN = 4;          // page border and shadow inside the view

// The record of the BANDINFO escape, which not every SDK header declares.
struct BandInfoRecord {
    BOOL graphics;
    BOOL text;
    RECT graphicsRect;
};

// The printer settings chosen in Printer Setup, used for the printer's DCs
// while the same printer stays the default.
HGLOBAL g_setupMode;

// The job's "Print" box and whether the user cancelled the job.
HWND g_abortDialog;
int g_printAborted;

INT_PTR CALLBACK PrintAbortDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        CenterWindow(dialog);
        SetFocus(dialog);
        return FALSE;
    case WM_COMMAND:
        g_printAborted = 1;  // "Cancel Printing", Enter or Escape
        return TRUE;
    default:
        return DefaultCtlColor(message);
    }
}

// Called by the printer driver while it works: lets the "Print" box and the
// windows handle their messages, and answers whether the job goes on.
BOOL CALLBACK PrintAbortProc(HDC, int code)
{
    if (code) g_printAborted = 1;
    MSG msg;
    while (!g_printAborted && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            g_printAborted = 1;
            break;
        }
        if (g_abortDialog && IsDialogMessageA(g_abortDialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return !g_printAborted;
}

const DEVMODEA* SetupModeFor(const char* device, GlobalLockGuard<DEVMODEA>& lock)
{
    const DEVMODEA* mode = lock.get();
    if (!mode) return nullptr;
    char name[CCHDEVICENAME + 1] = "";
    memcpy(name, mode->dmDeviceName, CCHDEVICENAME);
    return lstrcmpiA(name, device) == 0 ? mode : nullptr;
}

// Draws every placement that meets the band.
void DrawBand(HDC dc, const PlacedFrame* frames, const HGLOBAL* dibs, int count, const RECT& band)
{
    for (int i = 0; i < count; ++i) {
        GlobalLockGuard<BYTE> dib(dibs[i]);
        if (!dib) continue;
        const BITMAPINFOHEADER* header = DibHeader(dib.get());
        const RECT placed = {frames[i].x, frames[i].y, frames[i].x + frames[i].width, frames[i].y + frames[i].height};
        RECT destination, source;
        if (!BandSourceRect(placed, band, header->biWidth, std::abs(header->biHeight), &destination, &source)) continue;
        StretchDIBits(dc, destination.left, destination.top, destination.right - destination.left,
                      destination.bottom - destination.top, source.left, source.top, source.right - source.left,
                      source.bottom - source.top, DibBits(dib.get()), reinterpret_cast<const BITMAPINFO*>(header),
                      DIB_RGB_COLORS, SRCCOPY);
    }
}

bool DriverSupports(HDC dc, int escape)
{
    return CurrentPrintSeam().escape(dc, QUERYESCSUPPORT, sizeof escape, reinterpret_cast<LPCSTR>(&escape), nullptr) > 0;
}

// The page in the bands the driver hands out, until it hands out an empty one.
int PrintInBands(HDC dc, const PlacedFrame* frames, const HGLOBAL* dibs, int count, const RECT& page)
{
    const PrintSeam& seam = CurrentPrintSeam();
    const bool bandInfo = DriverSupports(dc, BANDINFO);
    for (;;) {
        RECT band{};
        const int status = seam.escape(dc, NEXTBAND, 0, nullptr, &band);
        if (status <= 0) return status;
        if (IsRectEmpty(&band) || g_printAborted) return status;
        if (bandInfo) {
            BandInfoRecord wanted = {TRUE, FALSE, page}, given{};
            seam.escape(dc, BANDINFO, sizeof wanted, reinterpret_cast<LPCSTR>(&wanted), &given);
        }
        DrawBand(dc, frames, dibs, count, band);
    }
}

int PrintResult(int status)
{
    if (g_printAborted) return RESULT_OK;
    if (status == SP_OUTOFDISK || status == SP_OUTOFMEMORY) return RESULT_OUT_OF_MEMORY;
    // Any other failure of the printer is one: a status of 0 is no success.
    if (status <= 0) return IDS_PRINT_ERROR;
    return RESULT_OK;
}

// The document's name for the print queue.
void DocumentName(char* out, int room)
{
    out[0] = '\0';
    if (g_printLayout.count == 1) {
        char name[MAX_PATH];
        const int offset = GetFrameFileName(g_printLayout.frames[0].frameIndex, name, sizeof name);
        lstrcpynA(out, name + offset, room);
        return;
    }
    const SequenceRecord* record = CurrentSequenceRecord();
    if (record) lstrcpynA(out, record->fileName + GetFileNameOffset(record->fileName), room);
}

// Placed frames whose frame the sequence no longer has are dropped.
void DropMissingFrames()
{
    int kept = 0;
    for (int i = 0; i < g_printLayout.count; ++i) {
        const int frame = g_printLayout.frames[i].frameIndex;
        if (frame >= 0 && frame < g_appState.frameCount && g_appState.frameBitmaps[frame])
            g_printLayout.frames[kept++] = g_printLayout.frames[i];
    }
    g_printLayout.count = kept;
    g_printLayout.selected = -1;
}

}  // namespace

// ---- the default printer ----------------------------------------------------------------

int ReadDefaultPrinter(PrinterName* name)
{
    *name = PrinterName{};
    char value[PROFILE_CHARS] = "";
    CurrentPrintSeam().getProfileString("windows", "device", "", value, sizeof value);
    if (!value[0]) return 0;
    sscanf(value, "%64[^,],%80[^,],%16[^,]", name->device, name->driver, name->port);
    return 1;
}

bool HaveDefaultPrinter()
{
    PrinterName name;
    return ReadDefaultPrinter(&name) != 0;
}

HDC CreatePrinterDC()
{
    PrinterName name;
    if (!ReadDefaultPrinter(&name)) return nullptr;
    GlobalLockGuard<DEVMODEA> mode(g_setupMode);
    return CurrentPrintSeam().createDC(name.driver, name.device, name.port, SetupModeFor(name.device, mode));
}

void PrinterSetup(HWND owner)
{
    // The driver's own set-up entry is not offered by every platform (a stub
    // that raises an exception here); the platform's set-up dialog serves
    // every printer.
    PrinterName name;
    if (!ReadDefaultPrinter(&name)) return;
    PRINTDLGA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.hDevMode = g_setupMode;
    dialog.Flags = PD_PRINTSETUP;
    if (CurrentPrintSeam().printDlg(&dialog)) {
        g_setupMode = dialog.hDevMode;
    } else if (dialog.hDevMode != g_setupMode) {
        if (dialog.hDevMode) GlobalFree(dialog.hDevMode);
    }
    if (dialog.hDevNames) GlobalFree(dialog.hDevNames);
}

// ---- the print command -------------------------------------------------------------------

int PrintFrames(HWND owner)
{
    DropMissingFrames();
    HDC printer = CreatePrinterDC();
    if (!printer) return IDS_PAGE_NOT_PRINTED;
    const PrintSeam& seam = CurrentPrintSeam();
    PrinterCaps caps = {seam.getDeviceCaps(printer, HORZRES), seam.getDeviceCaps(printer, VERTRES),
                        seam.getDeviceCaps(printer, HORZSIZE), seam.getDeviceCaps(printer, VERTSIZE),
                        seam.getDeviceCaps(printer, LOGPIXELSX), seam.getDeviceCaps(printer, LOGPIXELSY)};
    seam.deleteDC(printer);
    // A page the arithmetic cannot divide by would divide by zero in the view.
    if (caps.horzRes <= 0 || caps.vertRes <= 0 || caps.horzSize <= 0 || caps.vertSize <= 0 || caps.logPixelsX <= 0 ||
        caps.logPixelsY <= 0)
        return IDS_PAGE_NOT_PRINTED;
    BeginPrintDialog(caps);
    const INT_PTR answer = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PRINT_IMAGES), owner,
                                           PrintImagesDlgProc, 0);
    const PrintDialogOutcome outcome = EndPrintDialog();
    if (outcome.viewTooSmall) return IDS_PAGE_NOT_PRINTED;
    if (answer != 1 || g_printLayout.count == 0) return RESULT_OK;

    // One packed DIB per distinct frame, shared by its placements.
    const int count = g_printLayout.count;
    HGLOBAL dibs[MAX_PLACED_FRAMES] = {};
    HGLOBAL frameDib[MAX_FRAME_BITMAPS] = {};
    const int bits = ColorCountToBits(g_appState.colorCount);
    bool complete = true;
    for (int i = 0; i < count && complete; ++i) {
        const int frame = g_printLayout.frames[i].frameIndex;
        if (!frameDib[frame]) frameDib[frame] = BitmapToPackedDib(g_appState.frameBitmaps[frame], bits);
        dibs[i] = frameDib[frame];
        complete = dibs[i] != nullptr;
    }
    int result = RESULT_OK;
    if (!complete) {
        result = ShowErrorMessage(RESULT_OUT_OF_MEMORY);
    } else {
        // The layout stays in view pixels for the next time; the job gets a copy.
        PlacedFrame printed[MAX_PLACED_FRAMES];
        for (int i = 0; i < count; ++i) {
            const PlacedFrame& f = g_printLayout.frames[i];
            printed[i] = {f.frameIndex, ToPrinterPixels(f.x, outcome.scale), ToPrinterPixels(f.y, outcome.scale),
                          ToPrinterPixels(f.width, outcome.scale), ToPrinterPixels(f.height, outcome.scale)};
        }
        char name[MAX_PATH];
        DocumentName(name, sizeof name);
        HWND main = g_appState.mainWindow;
        if (main) EnableWindow(main, FALSE);
        result = PrintPage(owner, printed, dibs, count, name, ReadSetting(IDS_KEY_BANDING) != 0);
        if (main) EnableWindow(main, TRUE);
    }
    for (HGLOBAL dib : frameDib)
        if (dib) GlobalFree(dib);
    return result;
}

int PrintPage(HWND owner, const PlacedFrame* frames, const HGLOBAL* dibs, int count, const char* documentName,
              bool banding)
{
    const PrintSeam& seam = CurrentPrintSeam();
    RECT page{};
    for (int i = 0; i < count; ++i) {
        const RECT placed = {frames[i].x, frames[i].y, frames[i].x + frames[i].width, frames[i].y + frames[i].height};
        UnionRect(&page, &page, &placed);
    }
    HDC dc = CreatePrinterDC();
    if (!dc) return IDS_PAGE_NOT_PRINTED;
    SetStretchBltMode(dc, COLORONCOLOR);
    g_printAborted = 0;
    g_abortDialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PRINT), owner,
                                       PrintAbortDlgProc, 0);
    seam.setAbortProc(dc, PrintAbortProc);
    DOCINFOA document{};
    document.cbSize = sizeof document;
    document.lpszDocName = documentName;
    int result;
    if (seam.startDoc(dc, &document) <= 0) {
        result = IDS_PAGE_NOT_PRINTED;
    } else {
        int status = seam.startPage(dc);
        // A driver without bands gets the page in one piece.
        if (status > 0 && banding && DriverSupports(dc, NEXTBAND))
            status = PrintInBands(dc, frames, dibs, count, page);
        else if (status > 0)
            DrawBand(dc, frames, dibs, count, page);
        if (status > 0 && !g_printAborted) status = seam.endPage(dc);
        // An aborted job is not ended: the driver has dropped it.
        if (status > 0 && !g_printAborted) status = seam.endDoc(dc);
        result = PrintResult(status);
    }
    if (g_abortDialog) DestroyWindow(g_abortDialog);
    g_abortDialog = nullptr;
    seam.deleteDC(dc);
    return result;
}

// ---- arithmetic ----------------------------------------------------------------------------

bool ComputePageGeometry(const PrinterCaps& caps, int clientWidth, int clientHeight, int hScrollHeight,
                         int vScrollWidth, PageGeometry* out)
{
    const int usableWidth = clientWidth - vScrollWidth - VIEW_MARGIN;
    const int usableHeight = clientHeight - hScrollHeight - VIEW_MARGIN;
    if (usableWidth <= 0 || usableHeight <= 0 || caps.horzRes <= 0 || caps.vertRes <= 0 || caps.horzSize <= 0 ||
        caps.vertSize <= 0)
        return false;
    double scale;
    if (caps.horzRes >= caps.vertRes) {
        scale = static_cast<double>(caps.vertRes) / usableHeight;
        if (usableWidth - caps.horzRes / scale > 6) scale = static_cast<double>(caps.horzRes) / usableWidth;
    } else {
        scale = static_cast<double>(caps.horzRes) / usableWidth;
        if (usableHeight - caps.vertRes / scale > 6) scale = static_cast<double>(caps.vertRes) / usableHeight;
    }
    out->scale = scale;
    out->pageWidth = static_cast<int>(caps.horzRes / scale);
    out->pageHeight = static_cast<int>(caps.vertRes / scale);
    if (out->pageWidth <= 0 || out->pageHeight <= 0) return false;
    out->pixelsPerMmX = static_cast<double>(out->pageWidth) / caps.horzSize;
    out->pixelsPerMmY = static_cast<double>(out->pageHeight) / caps.vertSize;
    out->scrollMaxX = std::max(0, out->pageWidth - (clientWidth - vScrollWidth) + VIEW_MARGIN);
    out->scrollMaxY = std::max(0, out->pageHeight - (clientHeight - hScrollHeight) + VIEW_MARGIN);
    return true;
}

void FormatReadout(char* out, int room, char axis, int tenths, const char* unit)
{
    // A negative value keeps its sign on the whole part only.
    const int magnitude = std::abs(tenths);
    snprintf(out, room, tenths < 0 ? "%c: -%03d,%01d%s" : "%c: %03d,%01d%s", axis, magnitude / 10, magnitude % 10, unit);
}

int TenthsOfMillimetre(int viewPixels, double pixelsPerMm)
{
    return pixelsPerMm > 0 ? static_cast<int>(viewPixels * 10 / pixelsPerMm) : 0;
}

int NaturalViewSize(int framePixels, int printerDpi, int screenDpi, double scale)
{
    if (screenDpi <= 0 || scale <= 0) return framePixels;
    return std::max(1, static_cast<int>(static_cast<double>(framePixels) * printerDpi / screenDpi / scale));
}

int TenthsOfPercent(int viewPixels, int naturalViewPixels)
{
    return naturalViewPixels > 0 ? static_cast<int>(static_cast<long long>(viewPixels) * 1000 / naturalViewPixels) : 0;
}

PlacedFrame PlaceDroppedFrame(int frameIndex, int width, int height, int x, int y, int pageWidth, int pageHeight)
{
    PlacedFrame f = {frameIndex, x - width / 2, y - height / 2, width, height};
    bool centreOnPage = x < 0 || y < 0 || x >= pageWidth || y >= pageHeight;
    if (f.width > pageWidth && f.width > 0) {
        f.height = std::max(1, static_cast<int>(static_cast<long long>(f.height) * pageWidth / f.width));
        f.width = pageWidth;
        centreOnPage = true;
    }
    if (f.height > pageHeight && f.height > 0) {
        f.width = std::max(1, static_cast<int>(static_cast<long long>(f.width) * pageHeight / f.height));
        f.height = pageHeight;
        centreOnPage = true;
    }
    if (centreOnPage) {
        f.x = (pageWidth - f.width) / 2;
        f.y = (pageHeight - f.height) / 2;
    }
    return f;
}

int HitCorner(const PlacedFrame& frame, int x, int y)
{
    const POINT corners[4] = {{frame.x, frame.y},
                              {frame.x + frame.width, frame.y},
                              {frame.x + frame.width, frame.y + frame.height},
                              {frame.x, frame.y + frame.height}};
    for (int i = 0; i < 4; ++i)
        if (std::abs(x - corners[i].x) <= CORNER_TOLERANCE && std::abs(y - corners[i].y) <= CORNER_TOLERANCE) return i;
    return -1;
}

PlacedFrame ResizeFromCorner(const PlacedFrame& start, int corner, int x, int y, bool keepAspect, int frameWidth,
                             int frameHeight)
{
    // The corner opposite the dragged one stays where it is.
    const int fixedX = (corner == 1 || corner == 2) ? start.x : start.x + start.width;
    const int fixedY = (corner == 2 || corner == 3) ? start.y : start.y + start.height;
    int dx = x - fixedX, dy = y - fixedY;
    if (keepAspect && frameWidth > 0 && frameHeight > 0) {
        const double byWidth = std::abs(dx) / static_cast<double>(frameWidth);
        const double byHeight = std::abs(dy) / static_cast<double>(frameHeight);
        const double before = std::abs(start.width) / static_cast<double>(frameWidth);
        const double scale = std::abs(byWidth - before) >= std::abs(byHeight - before) ? byWidth : byHeight;
        const int width = static_cast<int>(std::lround(scale * frameWidth));
        const int height = static_cast<int>(std::lround(scale * frameHeight));
        dx = dx < 0 ? -width : width;
        dy = dy < 0 ? -height : height;
    }
    return {start.frameIndex, fixedX, fixedY, dx, dy};
}

int ToPrinterPixels(int viewValue, double scale)
{
    const double scaled = std::floor(viewValue * scale);
    const int limited = static_cast<int>(std::clamp(scaled, -static_cast<double>(PRINTER_COORDINATE_LIMIT),
                                                    static_cast<double>(PRINTER_COORDINATE_LIMIT)));
    // Even values, rounded towards minus infinity.
    return limited & ~1;
}

bool BandSourceRect(const RECT& placed, const RECT& band, int dibWidth, int dibHeight, RECT* destination, RECT* source)
{
    const int width = placed.right - placed.left, height = placed.bottom - placed.top;
    if (width <= 0 || height <= 0 || dibWidth <= 0 || dibHeight <= 0) return false;
    RECT meet;
    if (!IntersectRect(&meet, &placed, &band)) return false;
    const double scaleX = static_cast<double>(width) / dibWidth, scaleY = static_cast<double>(height) / dibHeight;
    int left = static_cast<int>(std::lround((meet.left - placed.left) / scaleX));
    int top = static_cast<int>(std::lround((meet.top - placed.top) / scaleY));
    int columns = std::max(1, static_cast<int>(std::lround((meet.right - meet.left) / scaleX)));
    int rows = std::max(1, static_cast<int>(std::lround((meet.bottom - meet.top) / scaleY)));
    // Rounding must never reach past the DIB.
    left = std::clamp(left, 0, dibWidth - 1);
    top = std::clamp(top, 0, dibHeight - 1);
    columns = std::min(columns, dibWidth - left);
    rows = std::min(rows, dibHeight - top);
    *destination = meet;
    const int fromBottom = dibHeight - top - rows;
    *source = {left, fromBottom, left + columns, fromBottom + rows};
    return true;
}
