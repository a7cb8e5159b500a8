// A printer of the tests' own behind the print table: the WIN.INI value
// names it, a memory DC with a white page stands in for its DC, its device
// caps, bands, job calls and their results are set by the test, and every
// call is recorded. The page stays readable after the job.
#pragma once
#include "PrintSeam.h"
#include "Printing.h"
#include <windows.h>
#include <string>
#include <vector>

struct FakePrinter {
    // ---- set by the test ----
    std::string profileValue = "Fake Printer,winspool,FILE:";  // "" = no default printer
    PrinterCaps caps = {600, 800, 203, 271, 75, 75};
    bool createFails = false;
    int startDocResult = 1;
    int endPageResult = 1;
    int endDocResult = 1;
    bool supportsNextBand = false;
    bool supportsBandInfo = false;
    std::vector<RECT> bands;  // NEXTBAND hands these out, then an empty one
    int cancelBeforeBand = -1; // the user presses "Cancel Printing" before this band
    BOOL printDlgAnswer = FALSE;

    // ---- recorded ----
    std::vector<std::string> calls;  // "CreateDC", "StartDoc", "StartPage", "NEXTBAND", "BANDINFO", "EndPage", "EndDoc", "DeleteDC"
    std::string documentName;
    std::string createdFor;          // "driver|device|port" of the last CreateDC
    std::vector<RECT> bandInfoRects; // what BANDINFO was asked for
    DWORD printDlgFlags = 0;
    int printDlgCalls = 0;

    // ---- the page ----
    HBITMAP page = nullptr;  // 24 bits, caps.horzRes x caps.vertRes
    BYTE* pageBits = nullptr;
    HDC dc = nullptr;
    ABORTPROC abortProc = nullptr;
    size_t nextBand = 0;

    ~FakePrinter();
    // The page's pixel at (x, y), RGB.
    COLORREF PagePixel(int x, int y) const;
    bool SavePage(const std::string& path) const;
};

// Installs the fake in the print table (null: the real one again).
void InstallFakePrinter(FakePrinter* printer);
// A packed DIB written as a bitmap file.
bool SavePackedDib(HGLOBAL dib, const std::string& path);
