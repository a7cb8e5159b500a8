// The printer calls of the print commands behind one table: the real table
// calls the system's printing functions; a test installs one in which a
// memory DC stands in for the printer, with the device caps of a printer, its
// bands and its job calls recorded, and whose set-up dialog answers itself.
#pragma once
#include <windows.h>
#include <commdlg.h>

struct PrintSeam {
    // WIN.INI [windows] device: where the default printer is named.
    DWORD (WINAPI* getProfileString)(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR out, DWORD size);
    HDC (WINAPI* createDC)(LPCSTR driver, LPCSTR device, LPCSTR port, const DEVMODEA* mode);
    BOOL (WINAPI* deleteDC)(HDC dc);
    int (WINAPI* getDeviceCaps)(HDC dc, int index);
    int (WINAPI* setAbortProc)(HDC dc, ABORTPROC procedure);
    int (WINAPI* startDoc)(HDC dc, const DOCINFOA* document);
    int (WINAPI* startPage)(HDC dc);
    int (WINAPI* endPage)(HDC dc);
    int (WINAPI* endDoc)(HDC dc);
    // QUERYESCSUPPORT, NEXTBAND and BANDINFO.
    int (WINAPI* escape)(HDC dc, int code, int inSize, LPCSTR in, LPVOID out);
    // The platform's printer set-up dialog.
    BOOL (WINAPI* printDlg)(LPPRINTDLGA dialog);
};

// The table that calls the system.
const PrintSeam& RealPrintSeam();
// The table in use: the real one unless a test installed another.
const PrintSeam& CurrentPrintSeam();
// Installs a table (it must outlive its use); null puts the real one back.
void InstallPrintSeam(const PrintSeam* seam);
