// The palette model: the standard palette, static colours, lookups, the
// document and display palettes and how a file's colours become a format.
#include "ColorTestSupport.h"
#include "FrameBitmaps.h"
#include "Palette.h"
#include <gtest/gtest.h>
#include <cstring>
#include <string>

namespace {

TEST(StandardPalette, EntriesAsTheTableGivesThem)
{
    PALETTEENTRY p[256];
    BuildStandardPalette(p);
    struct { int index, r, g, b; } cases[] = {
        {0, 0, 0, 0},        {1, 128, 0, 0},      {7, 192, 192, 192},  {248, 128, 128, 128},
        {249, 255, 0, 0},    {254, 0, 255, 255},  {255, 255, 255, 255}, {14, 112, 112, 112},
        {15, 144, 144, 144}, {19, 224, 224, 224}, {21, 76, 40, 28},    {31, 92, 56, 40},
        {32, 32, 32, 16},    {37, 232, 32, 16},   {38, 32, 32, 72},    {64, 32, 72, 16},
        {221, 232, 232, 240}, {62, 124, 76, 48},  {63, 140, 84, 56},   {223, 240, 212, 184},
        {224, 0, 56, 0},     {227, 0, 208, 0},    {228, 208, 208, 0},  {231, 56, 56, 0},
        {232, 56, 0, 0},     {236, 208, 0, 208},  {240, 0, 0, 56},     {241, 0, 0, 96},
        {244, 0, 216, 216},  {247, 0, 64, 64},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("entry " + std::to_string(c.index));
        EXPECT_RGB(p[c.index], c.r, c.g, c.b);
    }
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(p[i].peFlags, PC_NOCOLLAPSE);
        for (BYTE v : {p[i].peRed, p[i].peGreen, p[i].peBlue}) EXPECT_TRUE(v % 4 == 0 || v == 255) << i;
    }
}

TEST(StandardPalette, SystemExtraColoursTakeTheirNearestPlaces)
{
    PALETTEENTRY p[256], system[20];
    BuildStandardPalette(p);
    GetSystemDefaultColors(system);
    for (int s = 8; s < 12; ++s) {
        const PALETTEENTRY want = MakePaletteEntry(system[s].peRed, system[s].peGreen, system[s].peBlue);
        bool found = false;
        for (int i = 8; i < 248 && !found; ++i)
            found = p[i].peRed == want.peRed && p[i].peGreen == want.peGreen && p[i].peBlue == want.peBlue;
        EXPECT_TRUE(found) << "system colour " << s;
    }
    // The static colours at the ends keep their places.
    for (int code = 8; code < 16; ++code) EXPECT_EQ(EntryColor(p[240 + code]), EntryColor(STATIC_COLORS[code]));
}

TEST(StandardPalette, ChannelsAreRoundedAsWritten)
{
    struct { int in, out; } cases[] = {{254, 255}, {250, 248}, {253, 252}, {255, 255}, {3, 0}, {128, 128}, {131, 128}};
    for (const auto& c : cases) EXPECT_EQ(RoundPaletteChannel(c.in), c.out) << c.in;
    const PALETTEENTRY e = MakePaletteEntry(254, 250, 1);
    EXPECT_RGB(e, 255, 248, 0);
    EXPECT_EQ(e.peFlags, PC_NOCOLLAPSE);
}

TEST(StaticColors, PlacesInPalettesOfEachSize)
{
    struct { int size, code, index; } cases[] = {
        {256, 0, 0}, {256, 7, 7}, {256, 8, 248}, {256, 15, 255}, {16, 8, 8}, {16, 15, 15},
        {20, 8, 12}, {20, 15, 19}, {2, 0, 0},    {2, 15, 1},     {3, 15, 1}, {256, 0x80 | 9, 249},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StaticColorIndex(c.code, c.size), c.index) << c.size << " " << c.code;

    PALETTEENTRY two[2], three[3], sixteen[16];
    CopyStaticColors(two, 2);
    EXPECT_RGB(two[0], 0, 0, 0);
    EXPECT_RGB(two[1], 255, 255, 255);
    CopyStaticColors(three, 3);
    EXPECT_RGB(three[0], 0, 0, 0);
    EXPECT_RGB(three[1], 255, 255, 255);
    EXPECT_RGB(three[2], 128, 0, 0);
    CopyStaticColors(sixteen, 16);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(EntryColor(sixteen[i]), EntryColor(STATIC_COLORS[i]));
}

TEST(StaticColors, NearestAndExactCodes)
{
    EXPECT_EQ(NearestStaticColor(RGB(250, 10, 10)), 9);
    EXPECT_EQ(NearestStaticColor(RGB(190, 190, 195)), 7);
    EXPECT_EQ(NearestStaticColor(RGB(64, 64, 64)), 0);  // equally near black and grey: the first wins
    EXPECT_EQ(StaticCodeOfColor(RGB(0, 128, 128)), 6);
    EXPECT_EQ(StaticCodeOfColor(RGB(255, 255, 255)), 15);
    EXPECT_EQ(StaticCodeOfColor(RGB(254, 255, 255)), -1);
}

TEST(PaletteLookups, NearestColorSquaredStopsAtACloseEntry)
{
    const PALETTEENTRY table[] = {{100, 0, 0, 0}, {11, 0, 0, 0}, {10, 0, 0, 0}, {12, 0, 0, 0}};
    int distance = -1;
    // Entry 1 is 1 away (closer than 4): chosen before the exact entry 2.
    EXPECT_EQ(NearestColorSquared(table, 10, 0, 0, 4, &distance), 1);
    EXPECT_EQ(distance, 1);
    // Equal distances: the first one.
    const PALETTEENTRY tie[] = {{0, 0, 0, 0}, {20, 0, 0, 0}, {40, 0, 0, 0}};
    EXPECT_EQ(NearestColorSquared(tie, 30, 0, 0, 3, &distance), 1);
    EXPECT_EQ(distance, 100);
}

TEST(PaletteLookups, TablesComparedWithTheStandardPalette)
{
    RGBQUAD table[256];
    PALETTEENTRY standard[256];
    BuildStandardPalette(standard);
    for (int i = 0; i < 256; ++i) table[i] = {standard[i].peBlue, standard[i].peGreen, standard[i].peRed, 0};
    table[40].rgbRed ^= 1;  // the lowest bit does not count
    EXPECT_EQ(IsStandardPalette(table, 256), 1);
    table[50] = {1, 2, 201, 0};
    table[51] = {1, 2, 203, 0};
    EXPECT_EQ(IsStandardPalette(table, 256), 1);  // two strangers are allowed
    table[52] = {1, 2, 205, 0};
    EXPECT_EQ(IsStandardPalette(table, 256), 0);

    HPALETTE palette = CreateLogicalPalette(standard, 256);
    EXPECT_EQ(PaletteMatchesTable(palette, table, 256), 0);  // 253 matches
    table[52] = {standard[52].peBlue, standard[52].peGreen, standard[52].peRed, 0};
    EXPECT_EQ(PaletteMatchesTable(palette, table, 256), 1);  // 254 matches
    DeleteObject(palette);

    RGBQUAD statics[16];
    for (int i = 0; i < 16; ++i) statics[i] = {STATIC_COLORS[i].peBlue, STATIC_COLORS[i].peGreen, STATIC_COLORS[i].peRed, 0};
    EXPECT_EQ(HasStaticColors(statics, 16), 1);
    statics[3] = {9, 9, 9, 0};
    EXPECT_EQ(HasStaticColors(statics, 16), 1);
    statics[5] = {9, 9, 9, 0};
    EXPECT_EQ(HasStaticColors(statics, 16), 0);
}

class DocumentPaletteTest : public ColorStateTest {};

TEST_F(DocumentPaletteTest, EachFormatGetsItsPaletteAndDefaultColours)
{
    struct { int format, size, transparent; } cases[] = {
        {COLORS_2, 2, 1},     {COLORS_3, 3, 2},       {COLORS_16, 16, 15},      {COLORS_SYSTEM, 20, 19},
        {COLORS_256, 256, 255}, {COLORS_65536, 256, 255}, {COLORS_24BIT, 256, 255}, {COLORS_32BIT, 256, 255},
    };
    int notified = 0;
    static int* s_notified;
    s_notified = &notified;
    g_appState.hooks.colorFormatChanged = [](int, int) { ++*s_notified; };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        ASSERT_EQ(SetColorFormat(c.format, nullptr, 0), 1);
        EXPECT_EQ(PaletteSize(g_appState.documentPalette), c.size);
        EXPECT_EQ(g_appState.toolColors.paletteSize, c.size);
        EXPECT_EQ(g_appState.toolColors.penColorIndex, 0);
        EXPECT_EQ(g_appState.toolColors.fillColorIndex, c.size == 3 ? 1 : c.size - 1);
        EXPECT_EQ(g_appState.toolColors.transparentColorIndex, c.transparent);
        EXPECT_EQ(IsSystemPaletteMode(), c.size == 20);
        // A display of more colours gets the fuller palette.
        EXPECT_EQ(PaletteSize(g_appState.displayPalette), 256);
        EXPECT_EQ(g_appState.displayPalette == g_appState.documentPalette, c.size == 256);
    }
    EXPECT_EQ(notified, 8);
    SetColorFormat(COLORS_3, nullptr, 0);
    EXPECT_RGB(PaletteEntryAt(g_appState.documentPalette, 2), 128, 0, 0);

    g_appState.displayColorCount = COLORS_16;
    SetColorFormat(COLORS_16, nullptr, 0);
    EXPECT_EQ(g_appState.displayPalette, g_appState.documentPalette);
}

TEST_F(DocumentPaletteTest, AFullFileTableKeepsItsPlacesBetweenTheStatics)
{
    RGBQUAD table[256];
    for (int i = 0; i < 256; ++i) table[i] = {static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 77, 0};
    SetColorFormat(COLORS_256, table, 256);
    EXPECT_RGB(PaletteEntryAt(g_appState.documentPalette, 100), 76, 152, 100);  // rounded
    EXPECT_RGB(PaletteEntryAt(g_appState.documentPalette, 0), 0, 0, 0);
    EXPECT_RGB(PaletteEntryAt(g_appState.documentPalette, 255), 255, 255, 255);
}

TEST_F(DocumentPaletteTest, ColourToIndexInPaletteFormats)
{
    SetColorFormat(COLORS_256, nullptr, 0);
    EXPECT_EQ(ColorToPaletteIndex(RGB(0, 0, 96)), 241);
    EXPECT_EQ(ColorToPaletteIndex(RGB(33, 31, 17)), 32);
    EXPECT_EQ(ColorToPaletteIndex(PALETTEINDEX(77)), 77);
}

TEST_F(DocumentPaletteTest, HighColourFormatsTakeNewColoursIntoThePalette)
{
    SetColorFormat(COLORS_65536, nullptr, 0);
    EXPECT_EQ(ColorToPaletteIndex(RGB(255, 0, 0)), 249);      // static code 9
    EXPECT_EQ(ColorToPaletteIndex(RGB(250, 251, 252)), 255);  // 16 bits: above 248 is 255
    EXPECT_EQ(ColorToPaletteIndex(RGB(130, 4, 2)), 1);        // 16 bits: (128, 0, 0)
    const int index = ColorToPaletteIndex(RGB(101, 149, 203));
    ASSERT_GE(index, 8);
    ASSERT_LE(index, 247);
    const PALETTEENTRY e = PaletteEntryAt(g_appState.documentPalette, index);
    EXPECT_RGB(e, 96, 144, 200);
    EXPECT_EQ(e.peFlags, PC_RESERVED);
    EXPECT_EQ(ColorToPaletteIndex(RGB(100, 150, 200)), index);  // the same 16-bit colour: found again

    SetColorFormat(COLORS_24BIT, nullptr, 0);
    const int exact = ColorToPaletteIndex(RGB(101, 149, 203));
    EXPECT_RGB(PaletteEntryAt(g_appState.documentPalette, exact), 100, 148, 200);
}

TEST_F(DocumentPaletteTest, ToolColoursAsReferencesAndBrushes)
{
    SetColorFormat(COLORS_256, nullptr, 0);
    SetToolColorIndex(ROLE_PEN, 241);
    g_appState.bitmapMode.useDeviceBitmaps = true;
    EXPECT_EQ(GetToolColor(ROLE_PEN), PALETTEINDEX(241));
    g_appState.bitmapMode.useDeviceBitmaps = false;
    EXPECT_EQ(GetToolColor(ROLE_PEN), RGB(0, 0, 96));
    EXPECT_EQ(GetToolColor(ROLE_PEN | ROLE_BARE_INDEX), 241u);
    EXPECT_EQ(PaletteIndexToRgb(PALETTEINDEX(241)), PALETTERGB(0, 0, 96));
    EXPECT_EQ(PaletteIndexToRgb(RGB(1, 2, 3)), RGB(1, 2, 3));

    EXPECT_EQ(GetToolBrush(ROLE_AREA_FILL), GetStockObject(NULL_BRUSH));
    g_appState.fillEnabled = true;
    EXPECT_EQ(GetToolBrush(ROLE_AREA_FILL), g_appState.toolColors.fillColorBrush);
    HBRUSH pattern = CreateHatchBrush(HS_CROSS, 0);
    g_appState.fillPatternBrush = pattern;
    g_appState.fillPatternOn = true;
    EXPECT_EQ(GetToolBrush(ROLE_AREA_FILL), pattern);
    EXPECT_EQ(GetToolBrush(ROLE_PEN_OR_PATTERN), pattern);
    g_appState.fillPatternOn = false;
    EXPECT_EQ(GetToolBrush(ROLE_PEN_OR_PATTERN), g_appState.toolColors.penColorBrush);
    EXPECT_EQ(GetToolBrush(5), GetStockObject(WHITE_BRUSH));
    DeleteObject(pattern);
}

TEST_F(DocumentPaletteTest, StaticColourReferences)
{
    g_appState.bitmapMode.useDeviceBitmaps = true;
    EXPECT_EQ(GetStaticColor(4, COLORS_256), PALETTEINDEX(4));
    EXPECT_EQ(GetStaticColor(4, COLORS_16), RGB(0, 0, 128));
    EXPECT_EQ(GetStaticColor(9, COLORS_256), RGB(255, 0, 0));
    EXPECT_EQ(GetStaticColor(0x80, COLORS_256), RGB(255, 255, 255));
    EXPECT_EQ(GetStaticColor(-1, COLORS_256), RGB(255, 255, 255));
    g_appState.bitmapMode.useDeviceBitmaps = false;
    EXPECT_EQ(GetStaticColor(4, COLORS_256), RGB(0, 0, 128));
}

TEST_F(DocumentPaletteTest, TransparentColourCodes)
{
    SetColorFormat(COLORS_256, nullptr, 0);
    g_appState.toolColors.transparentColorOn = 1;
    ApplyTransparentColorCode(0x80);
    EXPECT_EQ(g_appState.toolColors.transparentColorIndex, 255);
    EXPECT_EQ(TestTransparentColor(0), 0);
    EXPECT_EQ(TestTransparentColor(1), 1);
    ApplyTransparentColorCode(9);
    EXPECT_EQ(g_appState.toolColors.transparentColorIndex, 249);
    ApplyTransparentColorCode(0x10);
    EXPECT_EQ(TestTransparentColor(2), 1);

    int repaints = 0;
    static int* s_repaints;
    s_repaints = &repaints;
    g_appState.hooks.toolColorsChanged = [] { ++*s_repaints; };
    EXPECT_EQ(EnableTransparentColor(true), 1);
    EXPECT_EQ(EnableTransparentColor(true), 0);
    EXPECT_EQ(TestTransparentColor(0), 1);
    EXPECT_EQ(repaints, 1);

    SetColorFormat(COLORS_3, nullptr, 0);
    ApplyTransparentColorCode(4);
    EXPECT_EQ(g_appState.toolColors.transparentColorIndex, 2);
    EXPECT_RGB(PaletteEntryAt(g_appState.documentPalette, 2), 0, 0, 128);
}

TEST_F(DocumentPaletteTest, MergedColoursFillTheMiddleOnce)
{
    SetColorFormat(COLORS_256, nullptr, 0);
    const RGBQUAD table[] = {{0, 0, 0, 0}, {10, 20, 30, 0}, {255, 255, 255, 0}, {10, 20, 30, 0}, {200, 100, 50, 0}};
    EXPECT_EQ(MergeColorTable(table, 5, true), 2);
    EXPECT_RGB(PaletteEntryAt(g_appState.documentPalette, 8), 28, 20, 8);
    EXPECT_RGB(PaletteEntryAt(g_appState.documentPalette, 9), 48, 100, 200);
    EXPECT_RGB(PaletteEntryAt(g_appState.documentPalette, 0), 0, 0, 0);

    SetColorFormat(COLORS_16, nullptr, 0);
    EXPECT_EQ(MergeColorTable(table, 5, true), 0);  // only 256-colour documents take colours in
}

TEST_F(DocumentPaletteTest, ColourCellsStartWithStaticsAndDistinctColours)
{
    SetColorFormat(COLORS_256, nullptr, 0);
    for (int code = 0; code < 16; ++code) EXPECT_EQ(g_appState.colorCells.index[code], StaticColorIndex(code, 256));
    bool seen[256] = {};
    for (int c = 0; c < 64; ++c) {
        EXPECT_FALSE(seen[g_appState.colorCells.index[c]]) << "cell " << c;
        seen[g_appState.colorCells.index[c]] = true;
    }
    EXPECT_EQ(g_appState.colorCells.nextColorCell, 16);
    SetColorFormat(COLORS_16, nullptr, 0);
    for (int c = 16; c < 64; ++c) EXPECT_EQ(g_appState.colorCells.index[c], 0);
}

TEST_F(DocumentPaletteTest, DetectUsedColoursAddsTheFramesOwnColours)
{
    static std::string status;
    g_appState.hooks.showStatusText = [](const char* text) { status = text; };
    for (int format : {COLORS_256, COLORS_24BIT}) {
        SCOPED_TRACE(format);
        SetColorFormat(format, nullptr, 0);
        g_appState.frameWidth = 16;
        g_appState.frameHeight = 16;
        g_appState.frameCount = 1;
        g_appState.currentFrame = 0;
        g_appState.frameBitmaps[0] = CreateFrameBitmap(16, 16);
        ASSERT_NE(g_appState.frameBitmaps[0], nullptr);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, g_appState.frameBitmaps[0]);
        SelectDocumentPalette(dc);
        const COLORREF colours[] = {RGB(255, 255, 255), RGB(32, 32, 16), RGB(160, 124, 88), RGB(0, 0, 96), RGB(255, 0, 0)};
        for (int i = 0; i < 5; ++i) {
            RECT band{0, i * 3, 16, i * 3 + 3};
            HBRUSH b = CreateSolidBrush(colours[i]);
            FillRect(dc, &band, b);
            DeleteObject(b);
        }
        SelectObject(dc, old);
        DeleteDC(dc);
        // Standard entries 32 and 28 are (32, 32, 16) and (160, 124, 88); a
        // colour some cell already shows is not added again.
        auto inCells = [](int index) {
            for (BYTE c : g_appState.colorCells.index)
                if (c == index) return true;
            return false;
        };
        const int expected = !inCells(32) + !inCells(28);
        const bool had241 = inCells(241);
        const RECT area{0, 0, 16, 9};  // white, (32,32,16), (160,124,88)
        EXPECT_EQ(DetectUsedColors(&area), expected);
        EXPECT_EQ(status, std::to_string(expected) + " non-static colors have been detected and added to the palette window.");
        EXPECT_TRUE(inCells(32));
        EXPECT_TRUE(inCells(28));
        EXPECT_EQ(inCells(241), had241);  // (0, 0, 96) lies outside the area
        EXPECT_EQ(DetectUsedColors(&area), 0);
        ResetColorState();
        g_appState.hooks.showStatusText = [](const char* text) { status = text; };
    }
}

CHOOSECOLORA s_seenChooser;
COLORREF s_seenCustom[16];

BOOL WINAPI ChooseAndKeepACustomColour(LPCHOOSECOLORA c)
{
    s_seenChooser = *c;
    memcpy(s_seenCustom, c->lpCustColors, sizeof s_seenCustom);
    c->lpCustColors[0] = RGB(1, 2, 3);  // kept for the next call
    c->rgbResult = RGB(10, 20, 30);
    return TRUE;
}

BOOL WINAPI CancelChooser(LPCHOOSECOLORA c)
{
    s_seenChooser = *c;
    memcpy(s_seenCustom, c->lpCustColors, sizeof s_seenCustom);
    return FALSE;
}

TEST_F(DocumentPaletteTest, ChooseRgbColourOffersTheStaticColoursAsCustomColours)
{
    g_appState.hooks.chooseColor = ChooseAndKeepACustomColour;
    SetColorFormat(COLORS_256, nullptr, 0);
    COLORREF color = PALETTEINDEX(241);
    EXPECT_EQ(ChooseRgbColor(nullptr, &color), 1);
    EXPECT_EQ(color, RGB(10, 20, 30));
    EXPECT_EQ(s_seenChooser.Flags, 0x113u);
    EXPECT_NE(s_seenChooser.lpfnHook, nullptr);
    EXPECT_EQ(s_seenCustom[9], RGB(255, 0, 0));
    EXPECT_EQ(s_seenCustom[0], RGB(0, 0, 0));

    g_appState.hooks.chooseColor = CancelChooser;
    color = PALETTEINDEX(241);
    EXPECT_EQ(ChooseRgbColor(nullptr, &color), 0);
    EXPECT_EQ(color, PALETTEINDEX(241));
    EXPECT_EQ(s_seenChooser.rgbResult, RGB(0, 0, 96));  // the palette colour offered first
    EXPECT_EQ(s_seenCustom[0], RGB(1, 2, 3));
}

// ---- a file's colours ----

struct FileColours {
    int bits;
    std::vector<RGBQUAD> table;
};

FileColours StaticTable16()
{
    FileColours f{4, {}};
    for (int i = 0; i < 16; ++i) f.table.push_back({STATIC_COLORS[i].peBlue, STATIC_COLORS[i].peGreen, STATIC_COLORS[i].peRed, 0});
    return f;
}

FileColours OwnTable(int bits)
{
    FileColours f{bits, {}};
    for (int i = 0; i < (1 << bits); ++i)
        f.table.push_back({static_cast<BYTE>(i * 4), static_cast<BYTE>(60 + (i / 64) * 40), static_cast<BYTE>(90 + (i % 7) * 20), 0});
    return f;
}

class FilePaletteTest : public ColorStateTest {
protected:
    void SetUp() override
    {
        ColorStateTest::SetUp();
        s_asked = 0;
        s_answer = 0;
        g_appState.hooks.paletteRequest = [](int id) {
            s_asked = id;
            return s_answer;
        };
    }
    int Apply(const FileColours& f, int mode, int* dither)
    {
        return ApplyFilePalette(f.bits, f.table.empty() ? nullptr : f.table.data(), static_cast<int>(f.table.size()),
                                mode, dither);
    }
    static int s_asked;
    static int s_answer;
};
int FilePaletteTest::s_asked;
int FilePaletteTest::s_answer;

TEST_F(FilePaletteTest, DeepFilesBecomeHighColourDocuments)
{
    int dither = 0;
    struct { int bits, format; } cases[] = {{16, COLORS_65536}, {24, COLORS_24BIT}, {32, COLORS_32BIT}};
    for (const auto& c : cases) {
        EXPECT_EQ(ApplyFilePalette(c.bits, nullptr, 0, 1, &dither), 1);
        EXPECT_EQ(g_appState.colorCount, c.format);
        EXPECT_EQ(PaletteSize(g_appState.documentPalette), 256);
    }
    EXPECT_EQ(s_asked, 0);
}

TEST_F(FilePaletteTest, SixteenColourFilesStaySixteenOnlyWithStaticColours)
{
    int dither = 0;
    EXPECT_EQ(Apply(StaticTable16(), 1, &dither), 1);
    EXPECT_EQ(g_appState.colorCount, COLORS_16);
    EXPECT_EQ(s_asked, 0);

    EXPECT_EQ(Apply(OwnTable(4), 0, &dither), 1);
    EXPECT_EQ(g_appState.colorCount, COLORS_256);
    EXPECT_EQ(s_asked, 0);

    s_answer = 2;
    EXPECT_EQ(Apply(OwnTable(4), 1, &dither), 1);
    EXPECT_EQ(s_asked, IDD_STANDARD_PALETTE_REQUEST);
    EXPECT_EQ(g_appState.colorCount, COLORS_256);
    const RGBQUAD own = OwnTable(4).table[3];
    EXPECT_RGB(PaletteEntryAt(g_appState.documentPalette, 11), RoundPaletteChannel(own.rgbRed),
               RoundPaletteChannel(own.rgbGreen), RoundPaletteChannel(own.rgbBlue));
}

TEST_F(FilePaletteTest, TwoColourFilesWithOtherColoursBecomeSixteen)
{
    int dither = 0;
    EXPECT_EQ(ApplyFilePalette(1, std::vector<RGBQUAD>{{255, 255, 255, 0}, {0, 0, 0, 0}}.data(), 2, 1, &dither), 1);
    EXPECT_EQ(g_appState.colorCount, COLORS_2);
    EXPECT_EQ(ApplyFilePalette(1, std::vector<RGBQUAD>{{0, 0, 0, 0}, {0, 0, 255, 0}}.data(), 2, 1, &dither), 1);
    EXPECT_EQ(g_appState.colorCount, COLORS_16);
}

TEST_F(FilePaletteTest, TwoHundredFiftySixColourFilesByMode)
{
    const FileColours own = OwnTable(8);
    PALETTEENTRY standard[256];
    BuildStandardPalette(standard);
    int dither = 0;
    EXPECT_EQ(Apply(own, 0, &dither), 1);  // standard colours, no question
    EXPECT_EQ(s_asked, 0);
    EXPECT_EQ(PaletteEntryAt(g_appState.documentPalette, 100).peRed, standard[100].peRed);

    EXPECT_EQ(Apply(own, 2, &dither), 1);  // the file's own, no question
    EXPECT_EQ(s_asked, 0);
    EXPECT_EQ(PaletteEntryAt(g_appState.documentPalette, 100).peRed, RoundPaletteChannel(own.table[100].rgbRed));

    s_answer = 1;  // standard colours with dithering
    EXPECT_EQ(Apply(own, 1, &dither), 1);
    EXPECT_EQ(s_asked, IDD_STANDARD_PALETTE_REQUEST);
    EXPECT_EQ(dither, 1);
    EXPECT_EQ(PaletteEntryAt(g_appState.documentPalette, 100).peRed, standard[100].peRed);

    s_answer = -1;
    g_appState.colorCount = 0;
    EXPECT_EQ(Apply(own, 1, &dither), 0);
    EXPECT_EQ(g_appState.colorCount, 0);  // nothing changed

    // A standard table asks nothing.
    s_asked = 0;
    FileColours standardFile{8, std::vector<RGBQUAD>(256)};
    StandardPaletteToRgbQuads(standardFile.table.data() + 8, 240);
    for (int i = 0; i < 8; ++i) {
        standardFile.table[i] = {STATIC_COLORS[i].peBlue, STATIC_COLORS[i].peGreen, STATIC_COLORS[i].peRed, 0};
        standardFile.table[248 + i] = {STATIC_COLORS[8 + i].peBlue, STATIC_COLORS[8 + i].peGreen, STATIC_COLORS[8 + i].peRed, 0};
    }
    EXPECT_EQ(Apply(standardFile, 1, &dither), 1);
    EXPECT_EQ(s_asked, 0);
    EXPECT_EQ(g_appState.colorCount, COLORS_256);

    // A 16-colour display caps the format.
    g_appState.displayColorCount = COLORS_16;
    EXPECT_EQ(Apply(own, 0, &dither), 1);
    EXPECT_EQ(g_appState.colorCount, COLORS_16);
}

}  // namespace
