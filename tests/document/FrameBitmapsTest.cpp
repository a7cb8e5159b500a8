// Frame bitmaps: depth tables, the bitmap mode, bitmaps to packed DIBs and
// the one road by which an image becomes a frame; packed DIBs read safely.
#include "ColorReduction.h"
#include "ColorTestSupport.h"
#include "DocumentStrings.h"
#include "FrameBitmaps.h"
#include "ResultCodes.h"
#include "RowCodes.h"
#include "Settings.h"
#include "TestFiles.h"
#include <gtest/gtest.h>
#include <cstring>

namespace {

TEST(FrameDepths, ColourFormatsAndBitsPerPixel)
{
    struct { int format, bits; } cases[] = {{COLORS_2, 1},     {COLORS_3, 4},      {COLORS_16, 4},
                                            {COLORS_SYSTEM, 8}, {COLORS_256, 8},   {COLORS_65536, 16},
                                            {COLORS_24BIT, 24}, {COLORS_32BIT, 32}};
    for (const auto& c : cases) EXPECT_EQ(ColorCountToBits(c.format), c.bits) << c.format;
    EXPECT_EQ(ColorCountToBits(12345), GetDisplayBitsPerPixel());
    struct { int bits, format; } back[] = {{1, 2}, {4, 16}, {8, 256}, {16, 65536}, {24, 16777216}, {32, 16777217}, {15, 32768}, {2, 4}};
    for (const auto& c : back) EXPECT_EQ(BitsToColorCount(c.bits), c.format) << c.bits;
    int bits = 0;
    EXPECT_EQ(GetDibImageBytesForColors(13, 7, COLORS_16, &bits), DibStride(13, 4) * 7);
    EXPECT_EQ(bits, 4);
    EXPECT_EQ(GetDibImageBytesForColors(13, 7, COLORS_SYSTEM, &bits), 16u * 7);
    EXPECT_EQ(bits, 8);
}

TEST(BitmapMode, DeviceBitmapsUpToVersionFour)
{
    const DWORD nt4 = 0x0004, win98 = 0x0A04, win95 = 0x0004, xp = 0x0105, win31 = 0x0A03;
    EXPECT_TRUE(DecideDeviceBitmaps(-1, nt4));
    EXPECT_TRUE(DecideDeviceBitmaps(-1, win95));
    EXPECT_TRUE(DecideDeviceBitmaps(-1, win31));
    EXPECT_FALSE(DecideDeviceBitmaps(-1, win98));
    EXPECT_FALSE(DecideDeviceBitmaps(-1, xp));
    EXPECT_FALSE(DecideDeviceBitmaps(0, nt4));
    EXPECT_TRUE(DecideDeviceBitmaps(1, xp));
    EXPECT_TRUE(DecideDeviceBitmaps(5, xp));
}

class FrameBitmapTest : public ColorStateTest {
protected:
    void SetUp() override
    {
        ColorStateTest::SetUp();
        SetIniFilePath(scratch_.File("Zelvo.ini").c_str());
    }
    void TearDown() override
    {
        SetIniFilePath(nullptr);
        ColorStateTest::TearDown();
    }
    ScratchDir scratch_;
};

TEST_F(FrameBitmapTest, InitBitmapModeReadsTheSettings)
{
    HDC dc = CreateCompatibleDC(nullptr);
    InitBitmapMode(dc);
    // This system reports a version above 4.0: without the key, DIB sections.
    EXPECT_FALSE(g_appState.bitmapMode.useDeviceBitmaps);
    EXPECT_FALSE(g_appState.bitmapMode.dibColorLookup);
    EXPECT_GT(g_appState.bitmapMode.displayBits, 0);
    WriteIniInt(IDS_SECTION_FILE, IDS_KEY_USE_DEVICE_BITMAPS, 1);
    WriteIniInt(IDS_SECTION_FILE, IDS_KEY_DIB_COLOR_LOOKUP, 1);
    InitBitmapMode(dc);
    EXPECT_TRUE(g_appState.bitmapMode.useDeviceBitmaps);
    EXPECT_TRUE(g_appState.bitmapMode.dibColorLookup);
    DeleteDC(dc);
}

TEST_F(FrameBitmapTest, FrameBitmapsInBothModes)
{
    SetColorFormat(COLORS_256, nullptr, 0);
    HBITMAP section = CreateFrameBitmapEx(nullptr, 10, 6, 8, g_appState.documentPalette);
    DIBSECTION info{};
    ASSERT_EQ(GetObjectA(section, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.dsBm.bmBitsPixel, 8);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, section);
    RGBQUAD table[256], expected[256];
    EXPECT_EQ(GetDIBColorTable(dc, 0, 256, table), 256u);
    SelectObject(dc, old);
    BuildColorTable(g_appState.documentPalette, expected, 256, false);
    EXPECT_EQ(memcmp(table, expected, sizeof table), 0);
    DeleteObject(section);

    HBITMAP deep = CreateFrameBitmapEx(nullptr, 10, 6, 24, nullptr);
    ASSERT_EQ(GetObjectA(deep, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.dsBmih.biClrUsed, 0u);
    DeleteObject(deep);

    g_appState.bitmapMode.useDeviceBitmaps = true;
    HBITMAP device = CreateFrameBitmapEx(dc, 10, 6, 8, nullptr);
    BITMAP plain{};
    ASSERT_TRUE(GetObjectA(device, sizeof plain, &plain));
    EXPECT_EQ(plain.bmBitsPixel * plain.bmPlanes, GetDisplayBitsPerPixel());
    EXPECT_EQ(plain.bmBits, nullptr);
    DeleteObject(device);
    HBITMAP mono = CreateFrameBitmapEx(dc, 10, 6, 1, nullptr);
    ASSERT_TRUE(GetObjectA(mono, sizeof plain, &plain));
    EXPECT_EQ(plain.bmBitsPixel, 1);
    DeleteObject(mono);
    DeleteDC(dc);
}

TEST_F(FrameBitmapTest, PackedDibsOfFrames)
{
    SetColorFormat(COLORS_256, nullptr, 0);
    HBITMAP frame = CreateFrameBitmap(12, 5);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, frame);
    SelectDocumentPalette(dc);
    RECT left{0, 0, 6, 5}, right{6, 0, 12, 5};
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 96)), olive = CreateSolidBrush(RGB(32, 32, 16));
    FillRect(dc, &left, blue);
    FillRect(dc, &right, olive);
    DeleteObject(blue);
    DeleteObject(olive);
    SelectObject(dc, old);
    DeleteDC(dc);

    g_appState.bitmapMode.dibColorLookup = true;
    GlobalBlock eight(BitmapToPackedDib(frame, 0));
    ASSERT_TRUE(eight);
    {
        GlobalLockGuard<BYTE> p(eight.Get());
        const BITMAPINFOHEADER* h = DibHeader(p.get());
        EXPECT_EQ(h->biSize, 40u);
        EXPECT_EQ(h->biWidth, 12);
        EXPECT_EQ(h->biHeight, 5);
        EXPECT_EQ(h->biBitCount, 8);
        EXPECT_EQ(h->biCompression, static_cast<DWORD>(BI_RGB));
        EXPECT_EQ(h->biClrUsed, 256u);  // set again after the system's retrieval
        EXPECT_EQ(DibBits(p.get())[0], 241);
        EXPECT_EQ(DibBits(p.get())[11], 32);
        EXPECT_EQ(DibColors(p.get())[241].rgbBlue, 96);
        EXPECT_EQ(GlobalSize(eight.Get()), 40 + 1024 + DibStride(12, 8) * 5);
    }
    GlobalBlock deep(BitmapToPackedDib(frame, 24));
    ASSERT_TRUE(deep);
    {
        GlobalLockGuard<BYTE> p(deep.Get());
        EXPECT_EQ(DibHeader(p.get())->biClrUsed, 0u);
        EXPECT_EQ(DibBits(p.get()), p.get() + 40);  // no colour table
        const RGBQUAD c = DibPixel(p.get(), 0, 0);
        EXPECT_EQ(RGB(c.rgbRed, c.rgbGreen, c.rgbBlue), RGB(0, 0, 96));
    }
    DeleteObject(frame);
    EXPECT_EQ(BitmapToPackedDib(nullptr, 8), nullptr);
}

// ---- packed DIBs read safely ----

std::vector<BYTE> CoreDib24(int width, int height)
{
    std::vector<BYTE> bytes(sizeof(BITMAPCOREHEADER) + DibStride(width, 24) * height, 0x5A);
    BITMAPCOREHEADER core{sizeof core, static_cast<WORD>(width), static_cast<WORD>(height), 1, 24};
    memcpy(bytes.data(), &core, sizeof core);
    return bytes;
}

TEST(PackedDibLayoutTest, CoreHeadersAtTwentyFourBitsHaveNoColourTable)
{
    std::vector<BYTE> bytes = CoreDib24(5, 3);
    PackedDibLayout layout;
    ASSERT_EQ(ReadPackedDibLayout(bytes.data(), bytes.size(), &layout), RESULT_OK);
    EXPECT_EQ(layout.colorCount, 0);
    EXPECT_EQ(layout.bitsOffset, sizeof(BITMAPCOREHEADER));
    HGLOBAL plain = nullptr;
    ASSERT_EQ(MakePlainPackedDib(bytes.data(), bytes.size(), &plain), RESULT_OK);
    GlobalBlock owned(plain);
    GlobalLockGuard<BYTE> p(plain);
    EXPECT_EQ(DibHeader(p.get())->biSize, 40u);
    EXPECT_EQ(DibBits(p.get())[0], 0x5A);
}

TEST(PackedDibLayoutTest, CoreHeaderColourTablesAreTriples)
{
    std::vector<BYTE> bytes(sizeof(BITMAPCOREHEADER) + 2 * 3 + 4, 0);
    BITMAPCOREHEADER core{sizeof core, 3, 1, 1, 1};
    memcpy(bytes.data(), &core, sizeof core);
    const BYTE triples[6] = {1, 2, 3, 250, 251, 252};
    memcpy(bytes.data() + sizeof core, triples, sizeof triples);
    PackedDibLayout layout;
    ASSERT_EQ(ReadPackedDibLayout(bytes.data(), bytes.size(), &layout), RESULT_OK);
    EXPECT_EQ(layout.colorCount, 2);
    EXPECT_EQ(layout.colors[1].rgbBlue, 250);
    EXPECT_EQ(layout.colors[1].rgbRed, 252);
    EXPECT_EQ(layout.bitsOffset, sizeof core + 6);
}

TEST(PackedDibLayoutTest, ColourCountsAreClampedAndSizesChecked)
{
    struct { BITMAPINFOHEADER h; RGBQUAD colors[256]; BYTE bits[8]; } dib{};
    dib.h = {sizeof dib.h, 4, 2, 1, 8, BI_RGB, 0, 0, 0, 1000000, 0};
    PackedDibLayout layout;
    ASSERT_EQ(ReadPackedDibLayout(&dib, sizeof dib, &layout), RESULT_OK);
    EXPECT_EQ(layout.colorCount, 256);
    EXPECT_EQ(layout.bitsOffset, 40u + 1024);
    EXPECT_EQ(ReadPackedDibLayout(&dib, sizeof dib - 1, &layout), RESULT_UNKNOWN_FORMAT);  // rows cut short
    EXPECT_EQ(ReadPackedDibLayout(&dib, 30, &layout), RESULT_UNKNOWN_FORMAT);

    struct { const char* what; BITMAPINFOHEADER h; } bad[] = {
        {"zero width", {40, 0, 2, 1, 8, BI_RGB, 0, 0, 0, 0, 0}},
        {"huge height", {40, 4, 100000, 1, 8, BI_RGB, 0, 0, 0, 0, 0}},
        {"two planes", {40, 4, 2, 2, 8, BI_RGB, 0, 0, 0, 0, 0}},
        {"odd depth", {40, 4, 2, 1, 7, BI_RGB, 0, 0, 0, 0, 0}},
        {"rle at 24 bits", {40, 4, 2, 1, 24, BI_RLE8, 0, 0, 0, 0, 0}},
        {"top-down rle", {40, 4, -2, 1, 8, BI_RLE8, 0, 0, 0, 0, 0}},
        {"odd header", {20, 4, 2, 1, 8, BI_RGB, 0, 0, 0, 0, 0}},
    };
    for (const auto& b : bad) {
        dib.h = b.h;
        EXPECT_EQ(ReadPackedDibLayout(&dib, sizeof dib, &layout), RESULT_UNKNOWN_FORMAT) << b.what;
    }
}

TEST(PackedDibLayoutTest, PlainCopiesExpandRunLengthAndTurnTopDownRows)
{
    // A 4 x 2 top-down 8-bit image.
    struct { BITMAPINFOHEADER h; RGBQUAD colors[2]; BYTE rows[8]; } top{};
    top.h = {sizeof top.h, 4, -2, 1, 8, BI_RGB, 0, 0, 0, 2, 0};
    const BYTE rows[8] = {1, 1, 1, 1, 0, 0, 0, 0};  // first stored row is the top
    memcpy(top.rows, rows, sizeof rows);
    HGLOBAL plain = nullptr;
    ASSERT_EQ(MakePlainPackedDib(&top, sizeof top, &plain), RESULT_OK);
    {
        GlobalBlock owned(plain);
        GlobalLockGuard<BYTE> p(plain);
        EXPECT_EQ(DibHeader(p.get())->biHeight, 2);
        EXPECT_EQ(DibHeader(p.get())->biClrUsed, 2u);
        EXPECT_EQ(DibBits(p.get())[0], 0);  // bottom row first
        EXPECT_EQ(DibBits(p.get())[4], 1);
    }
    // BI_RLE8: a run of 4, end of line, a run of 2 and 2 single bytes, end of bitmap.
    struct { BITMAPINFOHEADER h; RGBQUAD colors[4]; BYTE code[12]; } coded{};
    const BYTE code[12] = {4, 3, 0, 0, 2, 1, 1, 2, 0, 1, 0, 0};
    coded.h = {sizeof coded.h, 4, 2, 1, 8, BI_RLE8, 10, 0, 0, 4, 0};
    memcpy(coded.code, code, sizeof code);
    ASSERT_EQ(MakePlainPackedDib(&coded, sizeof coded, &plain), RESULT_OK);
    GlobalBlock owned(plain);
    GlobalLockGuard<BYTE> p(plain);
    EXPECT_EQ(DibHeader(p.get())->biCompression, static_cast<DWORD>(BI_RGB));
    const BYTE expected[8] = {3, 3, 3, 3, 1, 1, 2, 0};
    EXPECT_EQ(memcmp(DibBits(p.get()), expected, 8), 0);
}

// ---- inserting images ----

class InsertDibTest : public FrameBitmapTest {
protected:
    void SetUp() override
    {
        FrameBitmapTest::SetUp();
        s_requests.clear();
        s_questions.clear();
        s_answer = 0;
        s_yesNo = IDYES;
        g_appState.hooks.paletteRequest = [](int id) {
            s_requests.push_back(id);
            return s_answer;
        };
        g_appState.hooks.askQuestion = [](UINT id) {
            s_questions.push_back(id);
            return s_yesNo;
        };
    }
    static std::vector<int> s_requests;
    static std::vector<UINT> s_questions;
    static int s_answer;
    static int s_yesNo;
};
std::vector<int> InsertDibTest::s_requests;
std::vector<UINT> InsertDibTest::s_questions;
int InsertDibTest::s_answer;
int InsertDibTest::s_yesNo;

// The frame read back as 24-bit rows.
GlobalBlock FrameAsDib(HBITMAP frame) { return GlobalBlock(BitmapToPackedDib(frame, 24)); }

TEST_F(InsertDibTest, AFirstTrueColourFrameSetsFormatAndSize)
{
    GlobalBlock photo(MakePhotoLikeDib(40, 30, 1));
    HBITMAP frame = nullptr;
    EXPECT_EQ(InsertDibIntoBitmap(photo.Get(), &frame, INSERT_FIRST_FRAME | 1, 0, 0), RESULT_OK);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(g_appState.colorCount, COLORS_24BIT);
    EXPECT_EQ(g_appState.frameWidth, 40);
    EXPECT_EQ(g_appState.frameHeight, 30);
    EXPECT_TRUE(s_requests.empty());
    GlobalBlock back = FrameAsDib(frame);
    EXPECT_EQ(MeanChannelError(photo.Get(), back.Get()), 0.0);
    DeleteObject(frame);
}

// An 8-bit image whose palette is not the standard one, in vertical stripes.
HGLOBAL OwnPaletteImage(int width, int height)
{
    RGBQUAD colors[256];
    for (int i = 0; i < 256; ++i) colors[i] = {static_cast<BYTE>(i * 4 & 255), static_cast<BYTE>(60 + i / 64 * 40), 132, 0};
    HGLOBAL dib = CreatePackedDib(width, height, 8, colors, 256);
    GlobalLockGuard<BYTE> p(dib);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) DibBits(p.get())[y * DibStride(width, 8) + x] = static_cast<BYTE>(20 + x * 7);
    return dib;
}

TEST_F(InsertDibTest, AFirstFrameWithItsOwnPaletteAsksAndKeepsIt)
{
    GlobalBlock image(OwnPaletteImage(16, 4));
    HBITMAP frame = nullptr;
    s_answer = 2;  // "Load Original Color Palette"
    EXPECT_EQ(InsertDibIntoBitmap(image.Get(), &frame, INSERT_FIRST_FRAME | 1, 0, 0), RESULT_OK);
    EXPECT_EQ(s_requests, std::vector<int>{IDD_STANDARD_PALETTE_REQUEST});
    EXPECT_EQ(g_appState.colorCount, COLORS_256);
    GlobalBlock back = FrameAsDib(frame);
    EXPECT_EQ(MeanChannelError(image.Get(), back.Get()), 0.0);
    DeleteObject(frame);
}

TEST_F(InsertDibTest, CancellingThePaletteRequestMakesNoFrame)
{
    GlobalBlock image(OwnPaletteImage(16, 4));
    HBITMAP frame = nullptr;
    s_answer = -1;
    EXPECT_EQ(InsertDibIntoBitmap(image.Get(), &frame, INSERT_FIRST_FRAME | 1, 0, 0), 0);
    EXPECT_EQ(frame, nullptr);
}

TEST_F(InsertDibTest, ASmallerImageIsPlacedAndTheRestFilled)
{
    SetColorFormat(COLORS_24BIT, nullptr, 0);
    g_appState.frameWidth = 20;
    g_appState.frameHeight = 10;
    ApplyTransparentColorCode(9);  // red around the image
    GlobalBlock image(MakePhotoLikeDib(6, 4, 2));
    HBITMAP frame = nullptr;
    EXPECT_EQ(InsertDibIntoBitmap(image.Get(), &frame, INSERT_ASK_STRETCH, 3, 2), RESULT_OK);
    EXPECT_TRUE(s_questions.empty());  // AskStretchFrame 0: no question, no scaling
    GlobalBlock back = FrameAsDib(frame);
    GlobalLockGuard<BYTE> b(back.Get()), i(image.Get());
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) {
            const RGBQUAD got = DibPixel(b.get(), x, 9 - y);
            const bool inside = x >= 3 && x < 9 && y >= 2 && y < 6;
            const RGBQUAD want = inside ? DibPixel(i.get(), x - 3, 3 - (y - 2)) : RGBQUAD{0, 0, 255, 0};
            EXPECT_EQ(RGB(got.rgbRed, got.rgbGreen, got.rgbBlue), RGB(want.rgbRed, want.rgbGreen, want.rgbBlue))
                << x << "," << y;
        }
    DeleteObject(frame);
}

TEST_F(InsertDibTest, AskedScalingStretchesAndTheDecisionCanBeKept)
{
    SetColorFormat(COLORS_24BIT, nullptr, 0);
    g_appState.frameWidth = 8;
    g_appState.frameHeight = 8;
    g_appState.optionFlags = 1u << OPTION_ASK_STRETCH_SHIFT;  // ask
    // A 2 x 2 image of four colours becomes four 4 x 4 squares.
    GlobalBlock image(CreateImageDib(2, 2, 24, nullptr, 0));
    {
        GlobalLockGuard<BYTE> p(image.Get());
        const BYTE rows[8] = {0, 0, 255, 0, 255, 0, 0, 0};  // bottom row: red, green
        memcpy(DibBits(p.get()), rows, 6);
        memcpy(DibBits(p.get()) + DibStride(2, 24), "\xFF\x00\x00\xFF\xFF\xFF", 6);  // top row: blue, white
    }
    HBITMAP frame = nullptr;
    EXPECT_EQ(InsertDibIntoBitmap(image.Get(), &frame, INSERT_ASK_STRETCH, 0, 0), RESULT_OK);
    EXPECT_EQ(s_questions, std::vector<UINT>{IDS_ASK_SCALE_FRAME});
    {
        GlobalBlock back = FrameAsDib(frame);
        GlobalLockGuard<BYTE> b(back.Get());
        EXPECT_EQ(DibPixel(b.get(), 1, 1).rgbRed, 255);   // bottom left: red
        EXPECT_EQ(DibPixel(b.get(), 6, 2).rgbGreen, 255); // bottom right: green
        EXPECT_EQ(DibPixel(b.get(), 2, 6).rgbBlue, 255);  // top left: blue
        EXPECT_EQ(DibPixel(b.get(), 7, 7).rgbGreen, 255); // top right: white
        EXPECT_EQ(DibPixel(b.get(), 7, 7).rgbBlue, 255);
    }
    // The next frame of the same load keeps the decision without asking.
    HBITMAP second = nullptr;
    EXPECT_EQ(InsertDibIntoBitmap(image.Get(), &second, INSERT_KEEP_DECISIONS, 0, 0), RESULT_OK);
    EXPECT_EQ(s_questions.size(), 1u);
    {
        GlobalBlock back = FrameAsDib(second);
        GlobalLockGuard<BYTE> b(back.Get());
        EXPECT_EQ(DibPixel(b.get(), 6, 6).rgbRed, 255);  // white top right: scaled again
    }
    DeleteObject(frame);
    DeleteObject(second);
}

TEST_F(InsertDibTest, DeepImagesIntoAPaletteFrameAreReducedToItsColours)
{
    SetColorFormat(COLORS_256, nullptr, 0);
    g_appState.frameWidth = 64;
    g_appState.frameHeight = 48;
    GlobalBlock photo(MakePhotoLikeDib(64, 48, 4));
    HBITMAP frame = nullptr;
    EXPECT_EQ(InsertDibIntoBitmap(photo.Get(), &frame, INSERT_DITHER, 0, 0), RESULT_OK);
    g_appState.bitmapMode.dibColorLookup = true;
    GlobalBlock back(BitmapToPackedDib(frame, 8));
    ASSERT_TRUE(back);
    EXPECT_LT(MeanChannelError(photo.Get(), back.Get()), 20.0);
    DeleteObject(frame);
}

TEST_F(InsertDibTest, DamagedImagesAreRefused)
{
    HGLOBAL junk = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 30);
    HBITMAP frame = nullptr;
    EXPECT_EQ(InsertDibIntoBitmap(junk, &frame, INSERT_FIRST_FRAME, 0, 0), RESULT_UNKNOWN_FORMAT);
    EXPECT_EQ(frame, nullptr);
    GlobalFree(junk);
    // A header promising more rows than the block holds.
    HGLOBAL cut = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 40 + 100);
    {
        GlobalLockGuard<BITMAPINFOHEADER> h(cut);
        *h.get() = {40, 100, 100, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    }
    EXPECT_EQ(InsertDibIntoBitmap(cut, &frame, INSERT_FIRST_FRAME, 0, 0), RESULT_UNKNOWN_FORMAT);
    EXPECT_EQ(frame, nullptr);
    GlobalFree(cut);
}

}  // namespace
