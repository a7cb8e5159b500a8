// The test printer behind the print table (FakePrinter.h).
#include "FakePrinter.h"
#include "PackedDib.h"
#include <cstdio>
#include <cstring>

namespace {

FakePrinter* g_printer;

DWORD WINAPI FakeProfile(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR out, DWORD size)
{
    if (lstrcmpiA(section, "windows") != 0 || lstrcmpiA(key, "device") != 0)
        return GetProfileStringA(section, key, fallback, out, size);
    lstrcpynA(out, g_printer->profileValue.c_str(), size);
    return lstrlenA(out);
}

HDC WINAPI FakeCreateDC(LPCSTR driver, LPCSTR device, LPCSTR port, const DEVMODEA*)
{
    FakePrinter& p = *g_printer;
    p.createdFor = std::string(driver ? driver : "") + "|" + (device ? device : "") + "|" + (port ? port : "");
    if (p.createFails) return nullptr;
    p.calls.push_back("CreateDC");
    if (!p.page) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), p.caps.horzRes, p.caps.vertRes, 1, 24, BI_RGB};
        void* bits = nullptr;
        p.page = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        p.pageBits = static_cast<BYTE*>(bits);
        const size_t size = static_cast<size_t>((p.caps.horzRes * 3 + 3) & ~3) * p.caps.vertRes;
        if (p.pageBits) memset(p.pageBits, 0xFF, size);
    }
    p.dc = CreateCompatibleDC(nullptr);
    SelectObject(p.dc, p.page);
    return p.dc;
}

BOOL WINAPI FakeDeleteDC(HDC dc)
{
    if (dc == g_printer->dc) {
        g_printer->calls.push_back("DeleteDC");
        g_printer->dc = nullptr;
    }
    return DeleteDC(dc);  // the page bitmap stays with the fake
}

int WINAPI FakeCaps(HDC dc, int index)
{
    const PrinterCaps& c = g_printer->caps;
    if (dc != g_printer->dc) return GetDeviceCaps(dc, index);
    switch (index) {
    case HORZRES: return c.horzRes;
    case VERTRES: return c.vertRes;
    case HORZSIZE: return c.horzSize;
    case VERTSIZE: return c.vertSize;
    case LOGPIXELSX: return c.logPixelsX;
    case LOGPIXELSY: return c.logPixelsY;
    default: return GetDeviceCaps(dc, index);
    }
}

int WINAPI FakeSetAbortProc(HDC, ABORTPROC procedure)
{
    g_printer->abortProc = procedure;
    return 1;
}

int WINAPI FakeStartDoc(HDC, const DOCINFOA* document)
{
    g_printer->calls.push_back("StartDoc");
    g_printer->documentName = document && document->lpszDocName ? document->lpszDocName : "";
    return g_printer->startDocResult;
}

int WINAPI FakeStartPage(HDC)
{
    g_printer->calls.push_back("StartPage");
    return 1;
}

int WINAPI FakeEndPage(HDC)
{
    g_printer->calls.push_back("EndPage");
    return g_printer->endPageResult;
}

int WINAPI FakeEndDoc(HDC)
{
    g_printer->calls.push_back("EndDoc");
    return g_printer->endDocResult;
}

BOOL CALLBACK FindPrintBoxProc(HWND window, LPARAM out)
{
    char title[32] = "";
    GetWindowTextA(window, title, sizeof title);
    if (strcmp(title, "Print") != 0) return TRUE;
    *reinterpret_cast<HWND*>(out) = window;
    return FALSE;
}

// The "Print" box of this thread.
HWND FindPrintBox()
{
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindPrintBoxProc, reinterpret_cast<LPARAM>(&found));
    return found;
}

int WINAPI FakeEscape(HDC dc, int code, int, LPCSTR in, LPVOID out)
{
    FakePrinter& p = *g_printer;
    switch (code) {
    case QUERYESCSUPPORT: {
        const int asked = *reinterpret_cast<const int*>(in);
        return (asked == NEXTBAND && p.supportsNextBand) || (asked == BANDINFO && p.supportsBandInfo) ? 1 : 0;
    }
    case NEXTBAND: {
        p.calls.push_back("NEXTBAND");
        if (static_cast<int>(p.nextBand) == p.cancelBeforeBand) {
            // The user's click reaches the "Print" box while the driver works.
            if (HWND box = FindPrintBox()) PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
            if (p.abortProc && !p.abortProc(dc, 0)) return SP_APPABORT;
        }
        RECT* band = static_cast<RECT*>(out);
        if (p.nextBand < p.bands.size())
            *band = p.bands[p.nextBand++];
        else
            SetRectEmpty(band);
        return 1;
    }
    case BANDINFO: {
        p.calls.push_back("BANDINFO");
        struct Record {
            BOOL graphics, text;
            RECT rect;
        };
        p.bandInfoRects.push_back(reinterpret_cast<const Record*>(in)->rect);
        return 1;
    }
    }
    return 0;
}

BOOL WINAPI FakePrintDlg(LPPRINTDLGA dialog)
{
    ++g_printer->printDlgCalls;
    g_printer->printDlgFlags = dialog->Flags;
    return g_printer->printDlgAnswer;
}

const PrintSeam kFakeSeam = {FakeProfile,  FakeCreateDC, FakeDeleteDC, FakeCaps,    FakeSetAbortProc, FakeStartDoc,
                             FakeStartPage, FakeEndPage, FakeEndDoc,   FakeEscape,  FakePrintDlg};

}  // namespace

FakePrinter::~FakePrinter()
{
    if (page) DeleteObject(page);
}

COLORREF FakePrinter::PagePixel(int x, int y) const
{
    if (!pageBits || x < 0 || y < 0 || x >= caps.horzRes || y >= caps.vertRes) return CLR_INVALID;
    const int stride = (caps.horzRes * 3 + 3) & ~3;
    const BYTE* p = pageBits + static_cast<size_t>(caps.vertRes - 1 - y) * stride + x * 3;
    return RGB(p[2], p[1], p[0]);
}

bool FakePrinter::SavePage(const std::string& path) const
{
    if (!page) return false;
    HGLOBAL dib = CreatePackedDib(caps.horzRes, caps.vertRes, 24, nullptr, 0);
    {
        GlobalLockGuard<BYTE> p(dib);
        memcpy(DibBits(p.get()), pageBits, static_cast<size_t>((caps.horzRes * 3 + 3) & ~3) * caps.vertRes);
    }
    const bool saved = SavePackedDib(dib, path);
    GlobalFree(dib);
    return saved;
}

void InstallFakePrinter(FakePrinter* printer)
{
    g_printer = printer;
    InstallPrintSeam(printer ? &kFakeSeam : nullptr);
}

bool SavePackedDib(HGLOBAL dib, const std::string& path)
{
    GlobalLockGuard<BYTE> p(dib);
    if (!p) return false;
    const SIZE_T size = GlobalSize(dib);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfSize = static_cast<DWORD>(sizeof file + size);
    file.bfOffBits = static_cast<DWORD>(sizeof file + (DibBits(p.get()) - p.get()));
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = fwrite(&file, sizeof file, 1, f) == 1 && fwrite(p.get(), size, 1, f) == 1;
    fclose(f);
    return ok;
}
