// The palette window: its layout and hit testing per colour format, the
// colour cells, its picture and clicks in a real window, and the palette
// dialogs driven in-process.
#include "AppState.h"
#include "DialogTestHooks.h"
#include "DialogUtilities.h"
#include "FrameCanvas.h"
#include "PaletteDialogs.h"
#include "PaletteWindow.h"
#include "Palette.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <cstring>
#include <vector>

namespace {

void UseFormat(int colorCount, bool systemPalette = false)
{
    g_appState.colorCount = colorCount;
    if (!g_appState.displayColorCount) g_appState.displayColorCount = COLORS_24BIT;
    g_appState.toolColors.paletteSize = 0;
    SetColorFormat(systemPalette ? COLORS_SYSTEM : colorCount, nullptr, 0);
    g_appState.colorCount = colorCount;
}

TEST(PaletteLayout, HitTestingPerFormat)
{
    struct Case {
        int colorCount;
        int x, y;
        int cell;
    } cases[] = {
        {COLORS_2, 10, 27, -1},     {COLORS_2, 10, 28, 0},      {COLORS_2, 55, 83, 1},
        {COLORS_2, 10, 84, -1},     {COLORS_3, 30, 84, 2},      {COLORS_3, 30, 112, -1},
        {COLORS_16, 0, 28, 0},      {COLORS_16, 27, 55, 0},     {COLORS_16, 27, 56, 1},
        {COLORS_16, 28, 28, 8},     {COLORS_16, 55, 251, 15},   {COLORS_16, 55, 252, -1},
        {COLORS_16, 56, 40, -1},    {COLORS_256, 0, 28, 0},     {COLORS_256, 14, 28, 1},
        {COLORS_256, 55, 42, 3},    {COLORS_256, 0, 43, 4},     {COLORS_256, 55, 267, 63},
        {COLORS_256, 10, 268, -1},  {COLORS_65536, 42, 58, 11}, {COLORS_24BIT, 13, 0, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PaletteCellAt(c.colorCount, c.x, c.y), c.cell)
            << c.colorCount << " colours at " << c.x << "," << c.y;
    EXPECT_EQ(PaletteClientHeight(COLORS_2), 84);
    EXPECT_EQ(PaletteClientHeight(COLORS_16), 252);
    EXPECT_EQ(PaletteClientHeight(COLORS_256), 268);
}

TEST(PaletteLayout, CellIndexesPerFormat)
{
    UseFormat(COLORS_16);
    EXPECT_EQ(PaletteIndexOfCell(9), 9);
    EXPECT_EQ(PaletteCellOfIndex(15), 15);
    UseFormat(COLORS_16, true);
    ASSERT_TRUE(IsSystemPaletteMode());
    EXPECT_EQ(PaletteIndexOfCell(7), 7);
    EXPECT_EQ(PaletteIndexOfCell(8), 12);
    EXPECT_EQ(PaletteIndexOfCell(15), 19);
    EXPECT_EQ(PaletteCellOfIndex(19), 15);
    EXPECT_EQ(PaletteCellOfIndex(10), -1);  // entries 8-11 are not shown
    UseFormat(COLORS_256);
    g_appState.colorCells.index[20] = 77;
    EXPECT_EQ(PaletteIndexOfCell(20), 77);
    EXPECT_EQ(PaletteCellOfIndex(255), 15);  // white, a fixed cell
}

TEST(PaletteCells, AddColorToCellsWrapsAndTakesRoles)
{
    UseFormat(COLORS_256);
    memset(g_appState.colorCells.index, 0, sizeof g_appState.colorCells.index);
    ResetColorCells();
    // Indexes no cell shows yet (the fixed cells hold the static colours).
    auto unused = [](int from) {
        for (int i = from; i < 248; ++i)
            if (PaletteCellOfIndex(i) < 0) return i;
        return -1;
    };
    g_appState.colorCells.nextColorCell = 63;
    const int a = unused(8);
    ASSERT_GE(a, 0);
    EXPECT_EQ(AddColorToCells(a, ROLE_PEN), 1);
    EXPECT_EQ(g_appState.colorCells.index[63], a);
    EXPECT_EQ(g_appState.colorCells.nextColorCell, FIXED_COLOR_CELLS);
    EXPECT_EQ(g_appState.toolColors.penColorIndex, a);

    const int b = unused(a + 1);
    AddColorToCells(b, ROLE_FILL);
    EXPECT_EQ(g_appState.colorCells.index[16], b);
    EXPECT_EQ(g_appState.toolColors.fillColorIndex, b);

    g_appState.toolColors.transparentColorOn = 0;
    AddColorToCells(b, ROLE_TRANSPARENT);  // already has a cell: nothing moves
    EXPECT_EQ(g_appState.colorCells.nextColorCell, 17);
    EXPECT_EQ(g_appState.toolColors.transparentColorIndex, b);
    EXPECT_EQ(g_appState.toolColors.transparentColorOn, 1);
    for (int c = 0; c < FIXED_COLOR_CELLS; ++c)
        EXPECT_EQ(g_appState.colorCells.index[c], StaticColorIndex(c, 256)) << "fixed cell " << c;
}

// With Alt held a new colour takes the pen colour's cell; a pen colour in a
// fixed cell, or in none, leaves the fixed cells alone and takes the next cell.
TEST(PaletteCells, AltReplacesThePenCellOrTakesTheNextOne)
{
    UseFormat(COLORS_256);
    ResetColorCells();
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_MENU] = 0x80;
    SetKeyboardState(keys);
    auto unused = [](int from) {
        for (int i = from; i < 248; ++i)
            if (PaletteCellOfIndex(i) < 0) return i;
        return -1;
    };
    const int a = unused(8), b = unused(a + 1);
    SetToolColorIndex(ROLE_PEN, 0);  // black: fixed cell 0
    g_appState.colorCells.nextColorCell = 20;
    AddColorToCells(a, ROLE_PEN);
    EXPECT_EQ(g_appState.colorCells.index[20], a);
    EXPECT_EQ(g_appState.colorCells.index[0], StaticColorIndex(0, 256));
    AddColorToCells(b, ROLE_FILL);  // the pen (a) has cell 20: b takes it
    EXPECT_EQ(g_appState.colorCells.index[20], b);
    EXPECT_EQ(g_appState.colorCells.nextColorCell, 21);
    SetToolColorIndex(ROLE_PEN, a);  // a has no cell any more
    const int c = unused(b + 1);
    AddColorToCells(c, ROLE_PEN);
    EXPECT_EQ(g_appState.colorCells.index[21], c);
    keys[VK_MENU] = 0;
    SetKeyboardState(keys);
}

TEST(PaletteGridMath, ParameterDecodingAndCellIndexes)
{
    struct Case {
        uint32_t parameter;
        int start;
        UINT caption;
        bool pick;
    } cases[] = {
        {11, 11, 0, false},
        {(811u << 16) | 7, 7, 811, false},
        {0xFFFF0000u | 200, 200, 0, true},
        {0xFFFF0000u, 0, 0, true},
    };
    for (const Case& c : cases) {
        const GridDialogParameter p = DecodeGridParameter(static_cast<LPARAM>(static_cast<LONG>(c.parameter)));
        EXPECT_EQ(p.startIndex, c.start) << std::hex << c.parameter;
        EXPECT_EQ(p.captionId, c.caption) << std::hex << c.parameter;
        EXPECT_EQ(p.pickMode, c.pick) << std::hex << c.parameter;
    }
    PaletteGrid grid{};
    UseFormat(COLORS_16, true);
    LayoutPaletteGrid(&grid, COLORS_16, 130, 34);
    EXPECT_EQ(grid.columns, 8);
    EXPECT_EQ(grid.cellWidth, 16);
    EXPECT_EQ(grid.cellHeight, 17);
    EXPECT_EQ(GridIndexOfCell(grid, 0, 3), 3);
    EXPECT_EQ(GridIndexOfCell(grid, 1, 0), 12);
    EXPECT_EQ(GridCellOfIndex(grid, 13), 9);
    EXPECT_EQ(GridCellOfIndex(grid, 9), -1);
    UseFormat(COLORS_256);
    LayoutPaletteGrid(&grid, COLORS_256, 322, 82);
    EXPECT_EQ(grid.columns, 32);
    EXPECT_EQ(grid.rows, 8);
    EXPECT_EQ(grid.cellWidth, 10);
    EXPECT_EQ(GridIndexOfCell(grid, 2, 5), 69);
    EXPECT_EQ(GridCellOfIndex(grid, 255), 255);
}

TEST(TransparentDialogCodes, CodesPerFormat)
{
    struct Case {
        int cell;
        bool mask;
        int colorCount;
        int code;
    } cases[] = {
        {0, false, COLORS_2, 0x20},      {15, false, COLORS_2, 0x2F},   {-1, false, COLORS_2, 0x80},
        {0, true, COLORS_256, 0x10},     {15, true, COLORS_16, 0x1F},   {5, true, COLORS_256, 5},
        {13, false, COLORS_24BIT, 13},   {-1, false, COLORS_256, 0x80},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TransparentCodeOf(c.cell, c.mask, c.colorCount), c.code) << c.cell << " " << c.colorCount;
}

// ---- a real palette window ----

std::vector<std::pair<WPARAM, LPARAM>> g_colorMessages;

LRESULT CALLBACK StubCanvasProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == EDIT_COLORS_CHANGED) g_colorMessages.push_back({wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

class PaletteWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSA cls{};
        cls.style = CS_CLASSDC | CS_DBLCLKS;
        cls.lpfnWndProc = PaletteWndProc;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = "PALETTE";
        RegisterClassA(&cls);
        cls.style = 0;
        cls.lpfnWndProc = StubCanvasProc;
        cls.lpszClassName = "STUBCANVAS";
        RegisterClassA(&cls);
        g_appState.frameEditorWindow = CreateWindowExA(0, "STUBCANVAS", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                                       nullptr, nullptr);
        g_colorMessages.clear();
    }
    void TearDown() override
    {
        if (window_) DestroyWindow(window_);
        DestroyWindow(g_appState.frameEditorWindow);
        g_appState.frameEditorWindow = nullptr;
        g_appState.paletteWindow = nullptr;
    }
    void Open(int colorCount)
    {
        UseFormat(colorCount);
        window_ = CreateWindowExA(0, "PALETTE", "", WS_POPUP | WS_VISIBLE, 0, 0, PALETTE_WIDTH,
                                  PaletteClientHeight(colorCount), nullptr, nullptr, nullptr, nullptr);
        g_appState.paletteWindow = window_;
        UpdateWindow(window_);
    }
    // The window's picture, drawn into a bitmap of our own.
    COLORREF PixelAt(int x, int y)
    {
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, PALETTE_WIDTH, PaletteClientHeight(g_appState.colorCount));
        HGDIOBJ old = SelectObject(memory, bitmap);
        RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        BitBlt(memory, 0, 0, PALETTE_WIDTH, PaletteClientHeight(g_appState.colorCount), GetDC(window_), 0, 0, SRCCOPY);
        const COLORREF c = GetPixel(memory, x, y);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        return c;
    }
    HWND window_ = nullptr;
};

TEST_F(PaletteWindowTest, SixteenColourCellsShowThePalette)
{
    Open(COLORS_16);
    for (int cell = 0; cell < 16; ++cell) {
        const RECT r = PaletteCellRect(COLORS_16, cell);
        const PALETTEENTRY e = STATIC_COLORS[cell];
        EXPECT_EQ(PixelAt((r.left + r.right) / 2, (r.top + r.bottom) / 2) & 0xFFFFFF,
                  RGB(e.peRed, e.peGreen, e.peBlue))
            << "cell " << cell;
    }
}

TEST_F(PaletteWindowTest, HighColourCellsShowTheColourCells)
{
    Open(COLORS_256);
    for (int cell : {0, 5, 15, 16, 40, 63}) {
        const RECT r = PaletteCellRect(COLORS_256, cell);
        PALETTEENTRY e{};
        GetPaletteEntries(g_appState.documentPalette, g_appState.colorCells.index[cell], 1, &e);
        EXPECT_EQ(PixelAt((r.left + r.right) / 2, (r.top + r.bottom) / 2) & 0xFFFFFF,
                  RGB(e.peRed, e.peGreen, e.peBlue))
            << "cell " << cell;
    }
}

TEST_F(PaletteWindowTest, ClicksChooseColoursAndTellTheCanvas)
{
    Open(COLORS_16);
    const RECT red = PaletteCellRect(COLORS_16, 9);  // (255, 0, 0)
    const LPARAM at = MAKELPARAM((red.left + red.right) / 2, (red.top + red.bottom) / 2);
    SendMessageA(window_, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(window_, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(g_appState.toolColors.penColorIndex, 9);
    ASSERT_FALSE(g_colorMessages.empty());
    EXPECT_EQ(g_colorMessages.back().first, 9u);
    EXPECT_EQ(g_colorMessages.back().second & 0xFFFF, static_cast<LPARAM>(g_appState.toolColors.transparentColorIndex));
    EXPECT_EQ(PixelAt(10, 10) & 0xFFFFFF, RGB(255, 0, 0)) << "the pen swatch";

    g_appState.fillEnabled = false;
    const RECT blue = PaletteCellRect(COLORS_16, 12);
    const LPARAM at2 = MAKELPARAM((blue.left + blue.right) / 2, (blue.top + blue.bottom) / 2);
    SendMessageA(window_, WM_RBUTTONDOWN, MK_RBUTTON, at2);
    SendMessageA(window_, WM_RBUTTONUP, 0, at2);
    EXPECT_EQ(g_appState.toolColors.fillColorIndex, 12);
    EXPECT_TRUE(g_appState.fillEnabled);
    EXPECT_EQ(static_cast<int>(g_colorMessages.back().second >> 16), 12);
    SendMessageA(window_, WM_RBUTTONDOWN, MK_RBUTTON, at2);  // the fill colour's cell toggles filling
    SendMessageA(window_, WM_RBUTTONUP, 0, at2);
    EXPECT_FALSE(g_appState.fillEnabled);

    SendMessageA(window_, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, at);
    SendMessageA(window_, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(g_appState.toolColors.transparentColorIndex, 9);
    EXPECT_EQ(g_appState.toolColors.transparentColorOn, 1);
    EXPECT_EQ(g_appState.toolColors.penColorIndex, 9);
}

// ---- dialogs ----

int g_beeps;

TEST(PaletteDialogs, ModifyPaletteBeepsOnStaticEntriesAndEditsOthers)
{
    RegisterPaletteDialogs();
    UseFormat(COLORS_256);
    g_appState.bitmapMode.useDeviceBitmaps = true;  // no frames to follow
    g_beeps = 0;
    SetPaletteDialogBeep([](UINT) { ++g_beeps; });
    PALETTEENTRY before{}, after{};
    GetPaletteEntries(g_appState.documentPalette, 100, 1, &before);
    DialogAutoAnswer answer([](HWND dialog) {
        HWND red = GetDlgItem(dialog, IDC_RED_BAR);
        SendMessageA(dialog, WM_VSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(red));  // entry 3: static
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(RunDialog(IDD_MODIFY_PALETTE, nullptr, 3), 3);
    EXPECT_EQ(g_beeps, 1);

    DialogAutoAnswer edit([](HWND dialog) {
        HWND green = GetDlgItem(dialog, IDC_RED_BAR + 1);
        SendMessageA(dialog, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 40), reinterpret_cast<LPARAM>(green));
        char text[8];
        GetDlgItemTextA(dialog, IDC_RED_VALUE + 1, text, sizeof text);
        EXPECT_STREQ(text, "40");
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(RunDialog(IDD_MODIFY_PALETTE, nullptr, 100), 100);
    EXPECT_EQ(g_beeps, 1);
    GetPaletteEntries(g_appState.documentPalette, 100, 1, &after);
    EXPECT_EQ(after.peGreen, 40);
    EXPECT_EQ(after.peRed, before.peRed);
    SetPaletteDialogBeep(nullptr);
    g_appState.bitmapMode.useDeviceBitmaps = false;
}

TEST(PaletteDialogs, PickColorAddsOnce)
{
    RegisterPaletteDialogs();
    UseFormat(COLORS_256);
    int fresh = -1;
    for (int i = 8; i < 248 && fresh < 0; ++i)
        if (PaletteCellOfIndex(i) < 0) fresh = i;
    ASSERT_GE(fresh, 0);
    static bool enabledAtStart, enabledAfter;
    DialogAutoAnswer answer([](HWND dialog) {
        enabledAtStart = IsWindowEnabled(GetDlgItem(dialog, IDC_ADD_COLOR));
        SendMessageA(dialog, WM_COMMAND, IDC_ADD_COLOR, 0);
        enabledAfter = IsWindowEnabled(GetDlgItem(dialog, IDC_ADD_COLOR));
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(RunDialog(IDD_PICK_COLOR, nullptr, static_cast<LPARAM>(static_cast<LONG>(0xFFFF0000u | fresh))), -1);
    EXPECT_TRUE(enabledAtStart);
    EXPECT_FALSE(enabledAfter);
    EXPECT_GE(PaletteCellOfIndex(fresh), FIXED_COLOR_CELLS);
    EXPECT_EQ(g_appState.toolColors.penColorIndex, fresh);

    DialogAutoAnswer again([](HWND dialog) {
        enabledAtStart = IsWindowEnabled(GetDlgItem(dialog, IDC_ADD_COLOR));
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    RunDialog(IDD_PICK_COLOR, nullptr, static_cast<LPARAM>(static_cast<LONG>(0xFFFF0000u | fresh)));
    EXPECT_FALSE(enabledAtStart) << "the colour has a cell now";
}

TEST(PaletteDialogs, PickIndexInSystemModeReturnsTheEntry)
{
    RegisterPaletteDialogs();
    UseFormat(COLORS_16, true);
    DialogAutoAnswer answer([](HWND dialog) {
        // A double click on the second row's first cell.
        HWND grid = GetDlgItem(dialog, IDC_PALETTE_GRID);
        RECT r;
        GetClientRect(grid, &r);
        const LPARAM at = MAKELPARAM(3, r.bottom * 3 / 4);
        PostMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(grid, WM_LBUTTONUP, 0, at);
        PostMessageA(grid, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    });
    g_appState.ignoreNextButtonUp = 0;
    EXPECT_EQ(RunDialog(IDD_REPLACE_CURRENT_COLOR, nullptr, 3), 12);
    EXPECT_EQ(g_appState.ignoreNextButtonUp, 1);
}

TEST(PaletteDialogs, TransparentColorTwoColourFormat)
{
    RegisterPaletteDialogs();
    UseFormat(COLORS_2);
    static bool whiteEnabled, redEnabled;
    DialogAutoAnswer answer([](HWND dialog) {
        whiteEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_FIRST_STATIC_CELL + 15));
        redEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_FIRST_STATIC_CELL + 9));
        PostMessageA(dialog, WM_COMMAND, IDC_FIRST_STATIC_CELL + 15, 0);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(RunDialog(IDD_TRANSPARENT_COLOR, nullptr, 0x20), 0x2F);
    EXPECT_TRUE(whiteEnabled);
    EXPECT_FALSE(redEnabled);
    DialogAutoAnswer none([](HWND dialog) {
        PostMessageA(dialog, WM_COMMAND, IDC_NO_TRANSPARENT, 0);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(RunDialog(IDD_TRANSPARENT_COLOR, nullptr, 0x20), 0x80);
}

}  // namespace
