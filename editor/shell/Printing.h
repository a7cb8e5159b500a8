// Printing frames of the current sequence on one page of the default printer:
// the printer named in WIN.INI, its set-up dialog, the dialog "Print Images"
// (template 1039) in which frames are dragged from a print film ("PRINTFILM")
// onto a page view ("PAGE") and sized there, and the print job, in bands when
// the settings ask for it, with its "Print" box (template 1097) that cancels
// it. Every printer call goes through PrintSeam.h.
#pragma once
#include <windows.h>
#include <cstdint>

// ---- window messages private to the print dialog -----------------------------------

// Dialog -> "PAGE": deletes the selected placed frame and repaints.
constexpr UINT PAGE_RECALC = WM_USER + 151;       // 1175
// "PAGE" or "PRINTFILM" -> dialog: a drag begins. wParam the placed frame's
// index, or -1 for a new frame from the film; lParam MAKELONG(width, height)
// of the drag rectangle.
constexpr UINT PRINT_BEGIN_DRAG = WM_USER + 152;  // 1176
// Dialog -> "PAGE": wParam the frame index (the film's selection), lParam
// MAKELONG(x, y) the screen point it was dropped at.
constexpr UINT PAGE_DROP_FRAME = WM_USER + 153;   // 1177

constexpr int MAX_PLACED_FRAMES = 32;

// One frame on the page, in drawing order (the last on top); page-view
// pixels from the page's corner while the dialog runs, printer pixels while
// printing.
struct PlacedFrame {
    int32_t frameIndex;
    int32_t x, y, width, height;
};

// What a printer reports about its page.
struct PrinterCaps {
    int horzRes, vertRes;      // printable size in device pixels
    int horzSize, vertSize;    // in millimetres
    int logPixelsX, logPixelsY;
};

// The page view's scale: the page fitted into the view's client area.
struct PageGeometry {
    double scale;              // printer pixels per view pixel
    int pageWidth, pageHeight; // view pixels
    double pixelsPerMmX, pixelsPerMmY;
    int scrollMaxX, scrollMaxY;
};

// The layout of the page, which outlives the dialog: opening the dialog with
// Shift held keeps it.
struct PrintLayout {
    PlacedFrame frames[MAX_PLACED_FRAMES];
    int count;
    int selected;  // -1 none
};
extern PrintLayout g_printLayout;

// ---- the default printer ---------------------------------------------------------------

// WIN.INI [windows] device split into "device,driver,port". 1 when the value
// exists, else 0 (the names are then empty).
struct PrinterName {
    char device[65];
    char driver[81];
    char port[17];
};
int ReadDefaultPrinter(PrinterName* name);
// A DC of the default printer, or null.
HDC CreatePrinterDC();
// The platform's set-up dialog for the default printer; nothing without one.
void PrinterSetup(HWND owner);
// Whether the print commands are offered without a document.
bool HaveDefaultPrinter();

// ---- the print command ------------------------------------------------------------------

// Runs "Print Images" and prints its page. 1 when nothing was printed or
// printing succeeded, 0 after the out-of-memory message, else a result code
// for the caller to show (28673, 28678, 28679).
int PrintFrames(HWND owner);

// The print job for a layout already in printer pixels: one packed DIB per
// placement (shared by placements of one frame). 1, or a result code.
int PrintPage(HWND owner, const PlacedFrame* frames, const HGLOBAL* dibs, int count, const char* documentName,
              bool banding);

LRESULT CALLBACK PageWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK PrintFilmWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PrintImagesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// ---- arithmetic --------------------------------------------------------------------------

// The page fitted into a view of the client size (scroll bars subtracted as
// given). False when the printer or the view is too small to divide by.
bool ComputePageGeometry(const PrinterCaps& caps, int clientWidth, int clientHeight, int hScrollHeight,
                         int vScrollWidth, PageGeometry* out);
// "X: %03d,%01d%s": `tenths` as whole units and a tenth, then the unit.
void FormatReadout(char* out, int room, char axis, int tenths, const char* unit);
// A page position in tenths of a millimetre.
int TenthsOfMillimetre(int viewPixels, double pixelsPerMm);
// A frame's natural print size in view pixels: its pixels as large on paper
// as on the screen.
int NaturalViewSize(int framePixels, int printerDpi, int screenDpi, double scale);
// A size in tenths of a percent of the natural size.
int TenthsOfPercent(int viewPixels, int naturalViewPixels);
// A new frame of natural size w x h dropped at (x, y) on a page: centred on
// the point, fitted to the page's width, then height, with its proportions
// and centred on the page; a point outside the page centres it on the page.
PlacedFrame PlaceDroppedFrame(int frameIndex, int width, int height, int x, int y, int pageWidth, int pageHeight);
// Corners of a placed frame: 0 top left, 1 top right, 2 bottom right, 3 bottom left.
// The corner within 3 pixels of (x, y), or -1.
int HitCorner(const PlacedFrame& frame, int x, int y);
// A resize: the corner follows the point and the opposite corner stays; with
// `keepAspect` the frame's proportions hold (the side that changed less
// follows the other). The result may be unnormalised (negative width).
PlacedFrame ResizeFromCorner(const PlacedFrame& start, int corner, int x, int y, bool keepAspect, int frameWidth,
                             int frameHeight);
// A view coordinate in printer pixels: scaled, rounded down to an even value
// below 32768.
int ToPrinterPixels(int viewValue, double scale);
// The part of a DIB that a band shows of a placement: `placed` the frame's
// printer rectangle, `band` the printer band, `dibWidth` x `dibHeight` the
// frame. False when they do not meet. `destination` is the printer
// rectangle, `source` the DIB rectangle with rows counted from the bottom,
// clipped to the DIB.
bool BandSourceRect(const RECT& placed, const RECT& band, int dibWidth, int dibHeight, RECT* destination,
                    RECT* source);
