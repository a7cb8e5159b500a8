// Printing through the print table with a memory DC for the printer: the
// default printer and its set-up, the print job with its bands, abort and
// results, and the dialog "Print Images" driven through its windows.
#include "AppState.h"
#include "DialogTestHooks.h"
#include "DocumentModel.h"
#include "DocumentStrings.h"
#include "ShellControlSupport.h"
#include "FakePrinter.h"
#include "FrameBitmaps.h"
#include "PackedDib.h"
#include "Printing.h"
#include "Settings.h"
#include "TestFiles.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <functional>
#include <regex>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kFrameColours[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};


// The rectangle of the page holding `colour` (empty when none).
RECT FindColour(const FakePrinter& printer, COLORREF colour)
{
    RECT found = {printer.caps.horzRes, printer.caps.vertRes, -1, -1};
    for (int y = 0; y < printer.caps.vertRes; ++y)
        for (int x = 0; x < printer.caps.horzRes; ++x)
            if (printer.PagePixel(x, y) == colour) {
                found.left = std::min<LONG>(found.left, x);
                found.top = std::min<LONG>(found.top, y);
                found.right = std::max<LONG>(found.right, x + 1);
                found.bottom = std::max<LONG>(found.bottom, y + 1);
            }
    return found.right < 0 ? RECT{} : found;
}

class PrintTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(RegisterEditorClassesOnce());
    }
    void SetUp() override
    {
        for (int i = 0; i < 3; ++i) g_appState.frameBitmaps[i] = SolidFrameBitmap(kFrameColours[i]);
        g_appState.frameCount = 3;
        g_appState.frameWidth = g_appState.frameHeight = 16;
        g_appState.colorCount = 16777216;
        g_appState.instanceHandle = GetModuleHandleA(nullptr);
        g_printLayout = PrintLayout{{}, 0, -1};
        SetIniFilePath(scratch_.File("Zelvo.ini").c_str());
        InstallFakePrinter(&printer_);
    }
    void TearDown() override
    {
        InstallFakePrinter(nullptr);
        SetIniFilePath(nullptr);
        for (int i = 0; i < MAX_FRAME_BITMAPS; ++i)
            if (g_appState.frameBitmaps[i]) DeleteObject(g_appState.frameBitmaps[i]);
        for (int i = 0; i < 3; ++i) SetFrameFileName(i, nullptr);
        g_appState = AppState{};
        g_printLayout = PrintLayout{{}, 0, -1};
    }
    // Runs the print command; `action` works the dialog once it has started.
    int Print(std::function<void(HWND)> action)
    {
        DialogAutoAnswer answer([&](HWND dialog) {
            if (GetDlgItem(dialog, IDC_PRINT_PAGE)) action(dialog);
        });
        const int result = PrintFrames(nullptr);
        dialogsShown_ = answer.Dialogs().size();
        return result;
    }
    static HWND Page(HWND dialog) { return GetDlgItem(dialog, IDC_PRINT_PAGE); }
    // Drops frame `frame` at a point of the page view's client area.
    static LRESULT Drop(HWND dialog, int frame, int x, int y)
    {
        POINT p = {x, y};
        ClientToScreen(Page(dialog), &p);
        return SendMessageA(Page(dialog), PAGE_DROP_FRAME, frame, MAKELONG(p.x, p.y));
    }
    static void Mouse(HWND window, UINT message, WPARAM keys, int x, int y)
    {
        SendMessageA(window, message, keys, MAKELPARAM(x, y));
    }
    // A point of the page view in the dialog's client coordinates.
    static POINT InDialog(HWND dialog, int x, int y)
    {
        POINT p = {x, y};
        MapWindowPoints(Page(dialog), dialog, &p, 1);
        return p;
    }

    FakePrinter printer_;
    ScratchDir scratch_;
    size_t dialogsShown_ = 0;
};

TEST_F(PrintTest, TheDefaultPrinterIsSplitWhole)
{
    // The value holds at most 159 characters; each name as long as it may be.
    struct Case {
        std::string device, driver, port;
    };
    const Case cases[] = {{std::string(64, 'D'), std::string(70, 'r'), std::string(16, 'p')},
                          {std::string(60, 'D'), std::string(80, 'r'), std::string(16, 'p')},
                          {"Laser", "winspool", "LPT1:"}};
    PrinterName name;
    for (const Case& c : cases) {
        printer_.profileValue = c.device + "," + c.driver + "," + c.port;
        ASSERT_EQ(ReadDefaultPrinter(&name), 1);
        EXPECT_EQ(std::string(name.device), c.device);
        EXPECT_EQ(std::string(name.driver), c.driver);
        EXPECT_EQ(std::string(name.port), c.port);
        HDC dc = CreatePrinterDC();
        ASSERT_NE(dc, nullptr);
        EXPECT_EQ(printer_.createdFor, c.driver + "|" + c.device + "|" + c.port);
        CurrentPrintSeam().deleteDC(dc);
    }

    printer_.profileValue = "";
    EXPECT_EQ(ReadDefaultPrinter(&name), 0);
    EXPECT_FALSE(HaveDefaultPrinter());
    EXPECT_EQ(CreatePrinterDC(), nullptr);
}

TEST_F(PrintTest, PrinterSetupOpensThePlatformsDialog)
{
    PrinterSetup(nullptr);
    EXPECT_EQ(printer_.printDlgCalls, 1);
    EXPECT_TRUE(printer_.printDlgFlags & PD_PRINTSETUP);
    printer_.profileValue = "";
    PrinterSetup(nullptr);
    EXPECT_EQ(printer_.printDlgCalls, 1);  // without a printer: nothing
}

TEST_F(PrintTest, WithoutAUsablePrinterNothingIsShown)
{
    struct Case {
        const char* what;
        std::function<void(FakePrinter&)> set;
        std::vector<std::string> calls;  // only the caps were read
    };
    const Case cases[] = {
        {"no default printer", [](FakePrinter& p) { p.profileValue = ""; }, {}},
        {"no printer DC", [](FakePrinter& p) { p.createFails = true; }, {}},
        {"a page without a width", [](FakePrinter& p) { p.caps.horzRes = 0; }, {"CreateDC", "DeleteDC"}},
        {"a page without a size in millimetres", [](FakePrinter& p) { p.caps.vertSize = 0; }, {"CreateDC", "DeleteDC"}},
        {"no resolution", [](FakePrinter& p) { p.caps.logPixelsX = 0; }, {"CreateDC", "DeleteDC"}},
    };
    for (const Case& c : cases) {
        FakePrinter printer;
        c.set(printer);
        InstallFakePrinter(&printer);
        EXPECT_EQ(Print([](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); }), IDS_PAGE_NOT_PRINTED)
            << c.what;
        EXPECT_EQ(dialogsShown_, 0u) << c.what;
        EXPECT_EQ(printer.calls, c.calls) << c.what;
    }
}

TEST_F(PrintTest, ThePlacedFramesArePrinted)
{
    SetFrameFileName(1, "C:\\frames\\green.bmp");
    bool enabledBefore = true, enabledAfter = false;
    const int result = Print([&](HWND dialog) {
        enabledBefore = IsWindowEnabled(GetDlgItem(dialog, IDC_PRINT_START));
        EXPECT_EQ(Drop(dialog, 1, 60, 80), 1);
        enabledAfter = IsWindowEnabled(GetDlgItem(dialog, IDC_PRINT_START));
        PostMessageA(dialog, WM_COMMAND, IDC_PRINT_START, 0);
    });
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(enabledBefore);
    EXPECT_TRUE(enabledAfter);
    EXPECT_EQ(printer_.calls, (std::vector<std::string>{"CreateDC", "DeleteDC", "CreateDC", "StartDoc", "StartPage",
                                                        "EndPage", "EndDoc", "DeleteDC"}));
    EXPECT_EQ(printer_.documentName, "green.bmp");
    // The frame stands on the page as a square of even size at even coordinates.
    ASSERT_EQ(g_printLayout.count, 1);
    const RECT green = FindColour(printer_, RGB(0, 255, 0));
    EXPECT_GT(green.right - green.left, 0);
    EXPECT_EQ(green.right - green.left, green.bottom - green.top);
    EXPECT_EQ(green.left % 2, 0);
    EXPECT_EQ(green.top % 2, 0);
    EXPECT_EQ((green.right - green.left) % 2, 0);
    // Nothing else was printed.
    EXPECT_EQ(printer_.PagePixel(0, 0), kWhite);
    EXPECT_EQ(printer_.PagePixel(green.right, green.bottom), kWhite);
    // The layout stays in view pixels for the next time.
    EXPECT_LT(g_printLayout.frames[0].width, green.right - green.left);
}

TEST_F(PrintTest, BandsPrintWhatTheWholePageDoes)
{
    HGLOBAL dib = BitmapToPackedDib(g_appState.frameBitmaps[0], 24);
    ASSERT_NE(dib, nullptr);
    const PlacedFrame frames[] = {{0, 100, 280, 64, 64}, {0, 400, 700, 160, 160}};
    const HGLOBAL dibs[] = {dib, dib};
    ASSERT_EQ(PrintPage(nullptr, frames, dibs, 2, "whole", false), 1);
    EXPECT_EQ(printer_.calls,
              (std::vector<std::string>{"CreateDC", "StartDoc", "StartPage", "EndPage", "EndDoc", "DeleteDC"}));

    FakePrinter banded;
    banded.supportsNextBand = banded.supportsBandInfo = true;
    banded.bands = {{0, 0, 600, 300}, {0, 300, 600, 720}, {0, 720, 600, 800}};
    InstallFakePrinter(&banded);
    ASSERT_EQ(PrintPage(nullptr, frames, dibs, 2, "bands", true), 1);
    EXPECT_EQ(banded.calls, (std::vector<std::string>{"CreateDC", "StartDoc", "StartPage", "NEXTBAND", "BANDINFO", "NEXTBAND",
                                                      "BANDINFO", "NEXTBAND", "BANDINFO", "NEXTBAND", "EndPage",
                                                      "EndDoc", "DeleteDC"}));
    ASSERT_EQ(banded.bandInfoRects.size(), 3u);
    const RECT all = {100, 280, 560, 860};  // the union of the placements
    EXPECT_TRUE(EqualRect(&banded.bandInfoRects[0], &all));
    const size_t bytes = static_cast<size_t>((600 * 3 + 3) & ~3) * 800;
    EXPECT_EQ(memcmp(banded.pageBits, printer_.pageBits, bytes), 0);
    const RECT red = FindColour(printer_, RGB(255, 0, 0));
    const RECT expected = {100, 280, 560, 800};  // the second one ends at the page's edge
    EXPECT_TRUE(EqualRect(&red, &expected));

    // Banding asked for, but a driver without bands prints the page at once.
    FakePrinter plain;
    InstallFakePrinter(&plain);
    ASSERT_EQ(PrintPage(nullptr, frames, dibs, 2, "plain", true), 1);
    EXPECT_EQ(plain.calls,
              (std::vector<std::string>{"CreateDC", "StartDoc", "StartPage", "EndPage", "EndDoc", "DeleteDC"}));
    EXPECT_EQ(memcmp(plain.pageBits, printer_.pageBits, bytes), 0);
    GlobalFree(dib);
}

TEST_F(PrintTest, ACancelledJobIsNotEnded)
{
    HGLOBAL dib = BitmapToPackedDib(g_appState.frameBitmaps[2], 24);
    const PlacedFrame frames[] = {{2, 10, 10, 32, 32}};
    printer_.supportsNextBand = true;
    printer_.bands = {{0, 0, 600, 200}, {0, 200, 600, 400}, {0, 400, 600, 800}};
    printer_.cancelBeforeBand = 1;
    EXPECT_EQ(PrintPage(nullptr, frames, &dib, 1, "cancel", true), 1);
    EXPECT_EQ(printer_.calls,
              (std::vector<std::string>{"CreateDC", "StartDoc", "StartPage", "NEXTBAND", "NEXTBAND", "DeleteDC"}));
    EXPECT_EQ(FindWindowA(nullptr, "Print"), nullptr);  // the box went with the job
    GlobalFree(dib);
}

TEST_F(PrintTest, PrinterErrorsBecomeMessages)
{
    struct Case {
        const char* what;
        std::function<void(FakePrinter&)> set;
        int result;
    };
    const Case cases[] = {
        {"success", [](FakePrinter&) {}, 1},
        {"out of disk", [](FakePrinter& p) { p.endPageResult = SP_OUTOFDISK; }, IDS_OUT_OF_MEMORY},
        {"out of memory", [](FakePrinter& p) { p.endPageResult = SP_OUTOFMEMORY; }, IDS_OUT_OF_MEMORY},
        {"a printing error", [](FakePrinter& p) { p.endPageResult = SP_ERROR; }, IDS_PRINT_ERROR},
        {"a page that failed with 0", [](FakePrinter& p) { p.endPageResult = 0; }, IDS_PRINT_ERROR},
        {"the document failed to end", [](FakePrinter& p) { p.endDocResult = SP_ERROR; }, IDS_PRINT_ERROR},
        {"the document failed to start", [](FakePrinter& p) { p.startDocResult = SP_ERROR; }, IDS_PAGE_NOT_PRINTED},
        {"no printer DC", [](FakePrinter& p) { p.createFails = true; }, IDS_PAGE_NOT_PRINTED},
    };
    HGLOBAL dib = BitmapToPackedDib(g_appState.frameBitmaps[0], 24);
    const PlacedFrame frames[] = {{0, 0, 0, 16, 16}};
    for (const Case& c : cases) {
        FakePrinter printer;
        c.set(printer);
        InstallFakePrinter(&printer);
        EXPECT_EQ(PrintPage(nullptr, frames, &dib, 1, "results", false), c.result) << c.what;
    }
    GlobalFree(dib);
}

TEST_F(PrintTest, AFrameLargerThanThePageIsFittedAndCentred)
{
    // At 9600 dpi a frame of 16 screen pixels is wider than the whole page.
    printer_.caps.logPixelsX = printer_.caps.logPixelsY = 9600;
    int pageWidth = 0;
    const int result = Print([&](HWND dialog) {
        Drop(dialog, 0, 30, 30);
        RECT client;
        GetClientRect(Page(dialog), &client);
        pageWidth = client.right - 4;
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(result, 1);  // cancelled: nothing printed
    EXPECT_EQ(printer_.calls, (std::vector<std::string>{"CreateDC", "DeleteDC"}));
    ASSERT_EQ(g_printLayout.count, 1);
    const PlacedFrame& f = g_printLayout.frames[0];
    EXPECT_EQ(f.x, 0);
    EXPECT_EQ(f.width, f.height);
    EXPECT_GT(f.y, 0);
    EXPECT_NEAR(f.width, pageWidth, 1);
}

TEST_F(PrintTest, DraggingAPlacedFrameOffThePageRemovesIt)
{
    bool printEnabled = true;
    Print([&](HWND dialog) {
        Drop(dialog, 2, 60, 60);
        const PlacedFrame f = g_printLayout.frames[0];
        const int cx = f.x + f.width / 2, cy = f.y + f.height / 2;
        Mouse(Page(dialog), WM_LBUTTONDOWN, MK_LBUTTON, cx, cy);
        EXPECT_EQ(g_printLayout.selected, 0);
        Mouse(Page(dialog), WM_MOUSEMOVE, MK_LBUTTON, cx + 3, cy);  // the drag begins: the dialog takes the mouse
        EXPECT_EQ(GetCapture(), dialog);
        RECT film;
        GetWindowRect(GetDlgItem(dialog, IDC_PRINT_FILM), &film);
        POINT overFilm = {film.left + 20, film.top + 10};
        ScreenToClient(dialog, &overFilm);
        Mouse(dialog, WM_MOUSEMOVE, MK_LBUTTON, overFilm.x, overFilm.y);
        Mouse(dialog, WM_LBUTTONUP, 0, overFilm.x, overFilm.y);
        printEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_PRINT_START));
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(g_printLayout.count, 0);
    EXPECT_FALSE(printEnabled);
}

TEST_F(PrintTest, AFrameDraggedFromTheFilmLandsWhereItIsDropped)
{
    Print([&](HWND dialog) {
        HWND film = GetDlgItem(dialog, IDC_PRINT_FILM);
        RECT client;
        GetClientRect(film, &client);
        const int thumbWidth = (client.bottom - 16) * 16 / 16;
        // The second thumbnail: frame 1.
        Mouse(film, WM_LBUTTONDOWN, MK_LBUTTON, 5 + thumbWidth + 10 + 2, client.bottom / 2);
        EXPECT_EQ(SendMessageA(film, LB_GETCURSEL, 0, 0), 1);
        Mouse(film, WM_MOUSEMOVE, MK_LBUTTON, 5 + thumbWidth + 10 + 6, client.bottom / 2);
        EXPECT_EQ(GetCapture(), dialog);
        const POINT at = InDialog(dialog, 70, 90);
        Mouse(dialog, WM_MOUSEMOVE, MK_LBUTTON, at.x, at.y);
        Mouse(dialog, WM_LBUTTONUP, 0, at.x, at.y);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    ASSERT_EQ(g_printLayout.count, 1);
    const PlacedFrame& f = g_printLayout.frames[0];
    EXPECT_EQ(f.frameIndex, 1);
    EXPECT_EQ(f.x + f.width / 2, 70);
    EXPECT_EQ(f.y + f.height / 2, 90);
}

TEST_F(PrintTest, AThirtyThirdFrameCannotBeAdded)
{
    for (int i = 0; i < MAX_PLACED_FRAMES; ++i) g_printLayout.frames[i] = {i % 3, 4 * i, 4 * i, 4, 4};
    g_printLayout.count = MAX_PLACED_FRAMES;
    // Opened with Shift held: the layout stays.
    BYTE keys[256];
    GetKeyboardState(keys);
    BYTE shifted[256];
    memcpy(shifted, keys, sizeof keys);
    shifted[VK_SHIFT] = 0x80;
    SetKeyboardState(shifted);
    Print([&](HWND dialog) {
        SetKeyboardState(keys);
        HWND film = GetDlgItem(dialog, IDC_PRINT_FILM);
        Mouse(film, WM_LBUTTONDOWN, MK_LBUTTON, 7, 20);
        Mouse(film, WM_MOUSEMOVE, MK_LBUTTON, 12, 20);
        EXPECT_NE(GetCapture(), dialog);  // no drag
        EXPECT_EQ(Drop(dialog, 0, 50, 50), 0);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_PRINT_START)));
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    SetKeyboardState(keys);
    EXPECT_EQ(g_printLayout.count, MAX_PLACED_FRAMES);
}

TEST_F(PrintTest, ShiftKeepsTheLayoutOfFramesThatStillExist)
{
    const PlacedFrame kept[] = {{1, 10, 10, 20, 20}, {7, 40, 40, 20, 20}, {2, 70, 70, 20, 20}};
    struct Case {
        const char* what;
        bool shift;
        std::vector<int> frames;
    };
    const Case cases[] = {{"with Shift: frame 7 no longer exists", true, {1, 2}}, {"without Shift: a fresh page", false, {}}};
    for (const Case& c : cases) {
        std::copy(std::begin(kept), std::end(kept), g_printLayout.frames);
        g_printLayout.count = 3;
        BYTE keys[256];
        GetKeyboardState(keys);
        BYTE changed[256];
        memcpy(changed, keys, sizeof keys);
        changed[VK_SHIFT] = c.shift ? 0x80 : 0;
        SetKeyboardState(changed);
        bool printEnabled = false;
        Print([&](HWND dialog) {
            SetKeyboardState(keys);
            printEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_PRINT_START));
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        SetKeyboardState(keys);
        std::vector<int> frames;
        for (int i = 0; i < g_printLayout.count; ++i) frames.push_back(g_printLayout.frames[i].frameIndex);
        EXPECT_EQ(frames, c.frames) << c.what;
        EXPECT_EQ(printEnabled, !c.frames.empty()) << c.what;
    }
}

TEST_F(PrintTest, CornersResizeWithAndWithoutTheAspectRatio)
{
    std::vector<PlacedFrame> sizes;
    std::string sizeReadout, positionReadout, outsideReadout;
    Print([&](HWND dialog) {
        HWND page = Page(dialog);
        Drop(dialog, 0, 60, 60);
        PlacedFrame f = g_printLayout.frames[0];
        Mouse(page, WM_LBUTTONDOWN, MK_LBUTTON, f.x + 1, f.y + 1);  // select it
        Mouse(page, WM_LBUTTONUP, 0, f.x + 1, f.y + 1);
        sizes.push_back(f);
        // The bottom-right corner, 30 right and 10 down: the width changed more.
        Mouse(page, WM_LBUTTONDOWN, MK_LBUTTON, f.x + f.width, f.y + f.height);
        Mouse(page, WM_MOUSEMOVE, MK_LBUTTON, f.x + f.width + 30, f.y + f.height + 10);
        sizeReadout = DialogItemText(dialog, IDC_PRINT_READOUT_X);
        Mouse(page, WM_LBUTTONUP, 0, f.x + f.width + 30, f.y + f.height + 10);
        sizes.push_back(g_printLayout.frames[0]);
        // Without the aspect ratio the corner goes where it is dragged.
        CheckDlgButton(dialog, IDC_PRINT_KEEP_ASPECT, BST_UNCHECKED);
        f = g_printLayout.frames[0];
        Mouse(page, WM_LBUTTONDOWN, MK_LBUTTON, f.x + f.width, f.y + f.height);
        Mouse(page, WM_MOUSEMOVE, MK_LBUTTON, f.x + f.width + 5, f.y + f.height + 40);
        Mouse(page, WM_LBUTTONUP, 0, f.x + f.width + 5, f.y + f.height + 40);
        sizes.push_back(g_printLayout.frames[0]);
        // The read-outs follow the pointer over the page, and are empty beside it.
        Mouse(page, WM_MOUSEMOVE, 0, 0, 0);
        positionReadout = DialogItemText(dialog, IDC_PRINT_READOUT_X) + " " + DialogItemText(dialog, IDC_PRINT_READOUT_Y);
        RECT client;
        GetClientRect(page, &client);
        Mouse(page, WM_MOUSEMOVE, 0, client.right - 1, 2);
        outsideReadout = DialogItemText(dialog, IDC_PRINT_READOUT_X) + DialogItemText(dialog, IDC_PRINT_READOUT_Y);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    ASSERT_EQ(sizes.size(), 3u);
    EXPECT_EQ(sizes[1].x, sizes[0].x);
    EXPECT_EQ(sizes[1].y, sizes[0].y);
    EXPECT_EQ(sizes[1].width, sizes[0].width + 30);
    EXPECT_EQ(sizes[1].height, sizes[1].width);
    EXPECT_EQ(sizes[2].width, sizes[1].width + 5);
    EXPECT_EQ(sizes[2].height, sizes[1].height + 40);
    EXPECT_TRUE(std::regex_match(sizeReadout, std::regex("X: [0-9]{3,},[0-9]%"))) << sizeReadout;
    EXPECT_EQ(positionReadout, "X: 000,0mm Y: 000,0mm");
    EXPECT_EQ(outsideReadout, "");
}

}  // namespace
