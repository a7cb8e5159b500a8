// Colour reduction: nearest colours, palette building, quantizing deep rows,
// remapping 8-bit images and reading bitmaps through a palette.
#include "ColorReduction.h"
#include "ColorTestSupport.h"
#include "RowCodes.h"
#include "TestFiles.h"
#include <gtest/gtest.h>
#include <cstring>
#include <set>

namespace {

TEST(NearestColor, FirstOfEqualMinimaAndEarlyExit)
{
    const RGBQUAD tie[] = {{0, 0, 100, 0}, {0, 0, 120, 0}, {0, 0, 140, 0}};
    EXPECT_EQ(NearestColorIndex(tie, 130, 0, 0, 3), 1);  // 10 from both 1 and 2
    RGBQUAD table[8] = {};
    for (int i = 0; i < 8; ++i) table[i] = {0, 0, static_cast<BYTE>(i * 30), 0};
    table[5] = {0, 0, 151, 0};  // 1 away from 150: ends the search
    table[6] = {0, 0, 150, 0};  // exact, but later
    EXPECT_EQ(NearestColorIndex(table, 150, 0, 0, 8), 5);
    EXPECT_EQ(NearestColorIndex(table, 0, 0, 0, 0), NO_NEAREST_COLOR);
    EXPECT_EQ(NearestColorIndex(nullptr, 0, 0, 0, 4), NO_NEAREST_COLOR);
}

TEST(ColorCube, CellsAndRepresentativeValues)
{
    EXPECT_EQ(ColorCell(255, 255, 255), 32767);
    EXPECT_EQ(ColorCell(8, 16, 24), (1 << 10) | (2 << 5) | 3);
    EXPECT_EQ(LevelValue(0), 0);
    EXPECT_EQ(LevelValue(1), 12);
    EXPECT_EQ(LevelValue(30), 244);
    EXPECT_EQ(LevelValue(31), 255);
}

TEST(ColorTables, SystemColoursAtTheEndsAndThePaletteBetween)
{
    PALETTEENTRY system[20], standard[256];
    GetSystemDefaultColors(system);
    BuildStandardPalette(standard);
    auto same = [](const RGBQUAD& q, const PALETTEENTRY& e) {
        return q.rgbRed == e.peRed && q.rgbGreen == e.peGreen && q.rgbBlue == e.peBlue;
    };
    RGBQUAD table[256];
    BuildColorTable(nullptr, table, 256, false);
    for (int i = 0; i < 10; ++i) {
        EXPECT_TRUE(same(table[i], system[i])) << i;
        EXPECT_TRUE(same(table[246 + i], system[10 + i])) << i;
    }
    for (int i = 10; i < 246; ++i) EXPECT_TRUE(same(table[i], standard[i - 2])) << i;

    BuildColorTable(nullptr, table, 256, true);
    for (int i = 0; i < 8; ++i) EXPECT_TRUE(same(table[248 + i], system[12 + i])) << i;
    for (int i = 8; i < 248; ++i) EXPECT_EQ(table[i].rgbRed | table[i].rgbGreen | table[i].rgbBlue, 0) << i;

    // A short source palette: entries it lacks are zero.
    PALETTEENTRY own[12];
    for (int i = 0; i < 12; ++i) own[i] = {static_cast<BYTE>(i * 10), 1, 2, 0};
    HPALETTE source = CreateLogicalPalette(own, 12);
    BuildColorTable(source, table, 256, false);
    EXPECT_EQ(table[10].rgbRed, 80);
    EXPECT_EQ(table[13].rgbRed, 110);
    EXPECT_EQ(table[14].rgbRed | table[14].rgbGreen, 0);
    DeleteObject(source);

    RGBQUAD sixteen[16];
    BuildColorTable(nullptr, sixteen, 16, false);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(RGB(sixteen[i].rgbRed, sixteen[i].rgbGreen, sixteen[i].rgbBlue), EntryColor(STATIC_COLORS[i])) << i;
}

struct Histogram {
    GlobalBlock block{AllocColorHistogram()};
    GlobalLockGuard<uint32_t> lock{block.Get()};
    uint32_t* counts() { return lock.get(); }
};

TEST(ColorHistogram, CountersSaturate)
{
    Histogram h;
    ASSERT_TRUE(h.counts());
    EXPECT_EQ(GlobalSize(h.block.Get()), COLOR_HISTOGRAM_BYTES);
    h.counts()[7] = 0x7FFFFFFE;
    CountColorCell(h.counts(), 7);
    CountColorCell(h.counts(), 7);
    EXPECT_EQ(h.counts()[7], 0x7FFFFFFFu);
}

TEST(PaletteBuilding, PopularBandsFirstAndEveryColourOnce)
{
    Histogram h;
    // 10 frequent cells and 240 rare ones: only 238 places.
    for (int i = 0; i < 10; ++i) h.counts()[1000 + i * 50] = 100;
    for (int i = 0; i < 240; ++i) h.counts()[5000 + i * 100] = 5;
    h.counts()[0] = 100000;      // black and white are never taken in
    h.counts()[32767] = 100000;
    RGBQUAD table[256];
    EXPECT_EQ(BuildPaletteFromHistogram(h.counts(), table, 256, 0, 1024), 248);
    std::set<uint32_t> built;
    for (int i = 10; i < 248; ++i) {
        const uint32_t key = table[i].rgbRed << 16 | table[i].rgbGreen << 8 | table[i].rgbBlue;
        EXPECT_TRUE(built.insert(key).second) << "duplicate at " << i;
        if (i > 10) {
            EXPECT_LT(*reinterpret_cast<const uint32_t*>(&table[i - 1]), *reinterpret_cast<const uint32_t*>(&table[i]));
        }
    }
    auto has = [&](int cell) {
        const int r = LevelValue(cell >> 10), g = LevelValue((cell >> 5) & 31), b = LevelValue(cell & 31);
        return built.count(r << 16 | g << 8 | b) > 0;
    };
    for (int i = 0; i < 10; ++i) EXPECT_TRUE(has(1000 + i * 50)) << i;
    // The rare band is scanned from the highest cell down: the lowest 12 miss out.
    for (int i = 0; i < 240; ++i) EXPECT_EQ(has(5000 + i * 100), i >= 12) << i;
}

TEST(PaletteBuilding, MedianCutKeepsSmallAndLargeClustersApart)
{
    Histogram h;
    // 90 pixels of one colour at a high blue level, 10 of another at a low one.
    h.counts()[ColorCell(200, 40, 248)] = 90;
    h.counts()[ColorCell(200, 40, 16)] = 10;
    RGBQUAD table[256];
    const int next = BuildPaletteFromHistogram(h.counts(), table, 256, 100, 0);
    ASSERT_EQ(next, 12);
    std::set<int> blues{table[10].rgbBlue, table[11].rgbBlue};
    EXPECT_EQ(blues, (std::set<int>{LevelValue(2), LevelValue(31)}));
}

TEST(PaletteBuilding, MedianCutOfManyColoursFillsTheTable)
{
    Histogram h;
    TestRandom random(9);
    for (int i = 0; i < 20000; ++i) CountColorCell(h.counts(), random.Range(1, 32766));
    RGBQUAD table[256];
    const int next = BuildPaletteFromHistogram(h.counts(), table, 256, 20000, 0);
    EXPECT_GT(next, 200);
    EXPECT_LE(next, 248);
}

// A 24-bit DIB from a list of colours, one pixel each, rows of `width`.
HGLOBAL DibOfColours(const std::vector<COLORREF>& colours, int width)
{
    const int height = static_cast<int>((colours.size() + width - 1) / width);
    HGLOBAL dib = CreateImageDib(width, height, 24, nullptr, 0);
    GlobalLockGuard<BYTE> p(dib);
    const uint32_t stride = DibStride(width, 24);
    for (size_t i = 0; i < colours.size(); ++i) {
        BYTE* px = DibBits(p.get()) + (i / width) * stride + 3 * (i % width);
        px[0] = GetBValue(colours[i]);
        px[1] = GetGValue(colours[i]);
        px[2] = GetRValue(colours[i]);
    }
    return dib;
}

HGLOBAL Quantize(HGLOBAL source, DWORD flags, HPALETTE palette = nullptr)
{
    GlobalLockGuard<BYTE> p(source);
    const BITMAPINFOHEADER* h = DibHeader(p.get());
    return QuantizeDibTo8Bit(flags, h, DibBits(p.get()), h->biWidth, h->biHeight, palette);
}

TEST(Quantize, FewColoursAreKeptExactlyInPopularityMode)
{
    // 230 distinct colours, each a cell's own representative value.
    std::vector<COLORREF> colours;
    for (int i = 0; i < 230; ++i) colours.push_back(RGB(LevelValue(1 + i % 29), LevelValue(3 + i / 29), LevelValue(5 + i % 7)));
    for (int i = 0; i < 40; ++i) colours.push_back(i & 1 ? RGB(0, 0, 0) : RGB(255, 255, 255));
    GlobalBlock source(DibOfColours(colours, 27));
    GlobalBlock result(Quantize(source.Get(), QUANTIZE_BUILD_PALETTE));
    ASSERT_TRUE(result);
    GlobalLockGuard<BYTE> r(result.Get());
    const BITMAPINFOHEADER* h = DibHeader(r.get());
    EXPECT_EQ(h->biBitCount, 8);
    EXPECT_EQ(h->biWidth, 27);
    EXPECT_EQ(h->biHeight, 10);
    EXPECT_EQ(h->biXPelsPerMeter, 2953);
    EXPECT_EQ(h->biYPelsPerMeter, 2953);
    EXPECT_EQ(h->biClrUsed, 256u);
    EXPECT_EQ(h->biSizeImage, DibStride(27, 8) * 10);
    for (size_t i = 0; i < colours.size(); ++i) {
        const RGBQUAD c = DibPixel(r.get(), static_cast<int>(i % 27), static_cast<int>(i / 27));
        EXPECT_EQ(RGB(c.rgbRed, c.rgbGreen, c.rgbBlue), colours[i]) << i;
    }
    // Black and white are the static entries.
    const BYTE* rows = DibBits(r.get());
    const uint32_t stride = DibStride(27, 8);
    EXPECT_EQ(rows[(230 / 27) * stride + 230 % 27], 255);  // colour 230 is white
    EXPECT_EQ(rows[(231 / 27) * stride + 231 % 27], 0);
}

TEST(Quantize, SixteenBitWhiteBecomesFullWhite)
{
    HGLOBAL dib = CreateImageDib(4, 1, 16, nullptr, 0);
    {
        GlobalLockGuard<BYTE> p(dib);
        const uint16_t pixels[4] = {0x7FFF, 0x7C00, 0x03E0, 0x0421};
        memcpy(DibBits(p.get()), pixels, sizeof pixels);
    }
    GlobalBlock source(dib);
    GlobalBlock result(Quantize(source.Get(), QUANTIZE_BUILD_PALETTE));
    ASSERT_TRUE(result);
    GlobalLockGuard<BYTE> r(result.Get());
    const RGBQUAD white = DibPixel(r.get(), 0, 0), red = DibPixel(r.get(), 1, 0), green = DibPixel(r.get(), 2, 0),
                  dark = DibPixel(r.get(), 3, 0);
    EXPECT_EQ(RGB(white.rgbRed, white.rgbGreen, white.rgbBlue), RGB(255, 255, 255));
    EXPECT_EQ(RGB(red.rgbRed, red.rgbGreen, red.rgbBlue), RGB(255, 0, 0));
    EXPECT_EQ(RGB(green.rgbRed, green.rgbGreen, green.rgbBlue), RGB(0, 255, 0));
    EXPECT_EQ(RGB(dark.rgbRed, dark.rgbGreen, dark.rgbBlue), RGB(12, 12, 12));  // level 1: 8 + 4
}

TEST(Quantize, ChannelMasksOfThirtyTwoAndSixteenBitRows)
{
    // 32 bits with the channels swapped by masks that follow the header.
    struct { BITMAPINFOHEADER h; DWORD masks[3]; uint32_t pixels[2]; } wide{};
    wide.h = {sizeof(BITMAPINFOHEADER), 2, 1, 1, 32, BI_BITFIELDS, 0, 0, 0, 0, 0};
    wide.masks[0] = 0xFF;      // red in the low byte
    wide.masks[1] = 0xFF00;
    wide.masks[2] = 0xFF0000;  // blue in the third
    wide.pixels[0] = 0x0000FF;
    wide.pixels[1] = 0xFF0000;
    GlobalBlock result(QuantizeDibTo8Bit(QUANTIZE_BUILD_PALETTE | QUANTIZE_MASKS_FOLLOW, &wide.h,
                                         reinterpret_cast<BYTE*>(wide.pixels), 2, 1, nullptr));
    ASSERT_TRUE(result);
    GlobalLockGuard<BYTE> r(result.Get());
    EXPECT_EQ(DibPixel(r.get(), 0, 0).rgbRed, 255);
    EXPECT_EQ(DibPixel(r.get(), 1, 0).rgbBlue, 255);

    // 16 bits in 5-6-5.
    struct { BITMAPINFOHEADER h; DWORD masks[3]; uint16_t pixels[2]; } narrow{};
    narrow.h = {sizeof(BITMAPINFOHEADER), 2, 1, 1, 16, BI_BITFIELDS, 0, 0, 0, 0, 0};
    narrow.masks[0] = 0xF800;
    narrow.masks[1] = 0x07E0;
    narrow.masks[2] = 0x001F;
    narrow.pixels[0] = 0x07E0;  // full green
    narrow.pixels[1] = 0xF800;  // full red
    GlobalBlock result16(QuantizeDibTo8Bit(QUANTIZE_BUILD_PALETTE | QUANTIZE_MASKS_FOLLOW, &narrow.h,
                                           reinterpret_cast<BYTE*>(narrow.pixels), 2, 1, nullptr));
    ASSERT_TRUE(result16);
    GlobalLockGuard<BYTE> r16(result16.Get());
    EXPECT_EQ(RGB(DibPixel(r16.get(), 0, 0).rgbRed, DibPixel(r16.get(), 0, 0).rgbGreen, DibPixel(r16.get(), 0, 0).rgbBlue),
              RGB(0, 255, 0));
    EXPECT_EQ(DibPixel(r16.get(), 1, 0).rgbRed, 255);
}

TEST(Quantize, PhotoLikeImageStaysCloseToItsSource)
{
    GlobalBlock photo(MakePhotoLikeDib(256, 192, 3));
    GlobalBlock median(Quantize(photo.Get(), QUANTIZE_BUILD_PALETTE | QUANTIZE_MEDIAN_CUT));
    GlobalBlock popular(Quantize(photo.Get(), QUANTIZE_BUILD_PALETTE));
    GlobalBlock standard(Quantize(photo.Get(), QUANTIZE_BUILD_PALETTE | QUANTIZE_KEEP_STANDARD));
    ASSERT_TRUE(median && popular && standard);
    const double medianError = MeanChannelError(photo.Get(), median.Get());
    const double popularError = MeanChannelError(photo.Get(), popular.Get());
    const double standardError = MeanChannelError(photo.Get(), standard.Get());
    EXPECT_LT(medianError, 5.0);
    EXPECT_LT(popularError, 8.0);
    EXPECT_LT(medianError, standardError * 0.6);
    // The standard entries beside the built ones are untouched.
    GlobalLockGuard<BYTE> m(median.Get()), s(standard.Get());
    EXPECT_EQ(memcmp(DibColors(m.get()), DibColors(s.get()), 10 * sizeof(RGBQUAD)), 0);
    EXPECT_EQ(memcmp(DibColors(m.get()) + 248, DibColors(s.get()) + 248, 8 * sizeof(RGBQUAD)), 0);
}

// Mean error of 8 x 8 block averages: what dithering improves.
double BlockMeanError(HGLOBAL a, HGLOBAL b)
{
    GlobalLockGuard<BYTE> pa(a), pb(b);
    const BITMAPINFOHEADER* h = DibHeader(pa.get());
    double total = 0;
    int blocks = 0;
    for (int by = 0; by + 8 <= h->biHeight; by += 8)
        for (int bx = 0; bx + 8 <= h->biWidth; bx += 8) {
            double sum[3] = {};
            for (int y = by; y < by + 8; ++y)
                for (int x = bx; x < bx + 8; ++x) {
                    const RGBQUAD ca = DibPixel(pa.get(), x, y), cb = DibPixel(pb.get(), x, y);
                    sum[0] += ca.rgbRed - cb.rgbRed;
                    sum[1] += ca.rgbGreen - cb.rgbGreen;
                    sum[2] += ca.rgbBlue - cb.rgbBlue;
                }
            total += (std::abs(sum[0]) + std::abs(sum[1]) + std::abs(sum[2])) / (64.0 * 3);
            ++blocks;
        }
    return total / blocks;
}

TEST(Quantize, DitheringOntoAGivenPaletteKeepsAreaColours)
{
    GlobalBlock photo(MakePhotoLikeDib(128, 96, 5));
    GlobalBlock plain(Quantize(photo.Get(), QUANTIZE_USE_PALETTE));
    GlobalBlock dithered(Quantize(photo.Get(), QUANTIZE_USE_PALETTE | QUANTIZE_DITHER));
    ASSERT_TRUE(plain && dithered);
    EXPECT_LT(BlockMeanError(photo.Get(), dithered.Get()), BlockMeanError(photo.Get(), plain.Get()) * 0.5);
}

TEST(Quantize, RefusesWhatItCannotConvert)
{
    GlobalBlock eight(CreateImageDib(4, 4, 8, nullptr, 256));
    EXPECT_EQ(Quantize(eight.Get(), QUANTIZE_BUILD_PALETTE), nullptr);
    GlobalBlock deep(CreateImageDib(4, 4, 24, nullptr, 0));
    GlobalLockGuard<BYTE> p(deep.Get());
    EXPECT_EQ(QuantizeDibTo8Bit(0, DibHeader(p.get()), DibBits(p.get()), 5, 4, nullptr), nullptr);
    EXPECT_EQ(QuantizeDibTo8Bit(0, DibHeader(p.get()), DibBits(p.get()), 4, 0, nullptr), nullptr);
}

// An 8-bit image with its own palette: a ramp of oranges over stripes.
struct EightBitImage {
    BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), 20, 6, 1, 8, BI_RGB, 0, 0, 0, 64, 0};
    RGBQUAD colors[256] = {};
    std::vector<BYTE> bits;
    EightBitImage()
    {
        for (int i = 0; i < 64; ++i) colors[i] = {static_cast<BYTE>(i), static_cast<BYTE>(100 + i), static_cast<BYTE>(150 + i), 0};
        const uint32_t stride = DibStride(20, 8);
        bits.assign(stride * 6, 0);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 20; ++x) bits[y * stride + x] = static_cast<BYTE>(((x / 4) * 3 + y * 7) % 64);
    }
};

TEST(Remap, EightBitImagesGoOntoTheStandardPalette)
{
    EightBitImage image;
    const EightBitImage original;
    ASSERT_TRUE(RemapDib8(&image.header, image.colors, image.bits.data(), static_cast<uint32_t>(image.bits.size()), false, nullptr));
    EXPECT_EQ(image.header.biClrUsed, 256u);
    EXPECT_EQ(image.header.biCompression, static_cast<DWORD>(BI_RGB));
    RGBQUAD standard[256];
    BuildColorTable(nullptr, standard, 256, false);
    EXPECT_EQ(memcmp(image.colors, standard, sizeof standard), 0);
    const uint32_t stride = DibStride(20, 8);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 20; ++x) {
            const RGBQUAD was = original.colors[original.bits[y * stride + x]];
            const int cell = ColorCell(was.rgbRed, was.rgbGreen, was.rgbBlue);
            const BYTE expected = static_cast<BYTE>(NearestColorIndex(standard, LevelValue(cell >> 10),
                                                                      LevelValue((cell >> 5) & 31), LevelValue(cell & 31), 256));
            EXPECT_EQ(image.bits[y * stride + x], expected) << x << "," << y;
        }
}

TEST(Remap, RunLengthInputGivesTheSameRowsAsPlainInput)
{
    EightBitImage plain, coded;
    ASSERT_TRUE(EncodeRle8Rows(&coded.header, coded.bits.data()));
    ASSERT_EQ(coded.header.biCompression, static_cast<DWORD>(BI_RLE8));
    for (bool dither : {false, true}) {
        EightBitImage p = plain, c = coded;
        ASSERT_TRUE(RemapDib8(&p.header, p.colors, p.bits.data(), static_cast<uint32_t>(p.bits.size()), dither, nullptr));
        ASSERT_TRUE(RemapDib8(&c.header, c.colors, c.bits.data(), static_cast<uint32_t>(c.bits.size()), dither, nullptr));
        EXPECT_EQ(c.bits, p.bits) << dither;
        EXPECT_EQ(c.header.biCompression, static_cast<DWORD>(BI_RGB));
        EXPECT_EQ(c.header.biSizeImage, DibStride(20, 8) * 6);
    }
}

TEST(Remap, RefusesShortBuffersAndDamagedCodes)
{
    EightBitImage image;
    const std::vector<BYTE> before = image.bits;
    EXPECT_FALSE(RemapDib8(&image.header, image.colors, image.bits.data(), static_cast<uint32_t>(image.bits.size() - 1), false, nullptr));
    EXPECT_EQ(image.bits, before);
    EXPECT_EQ(image.header.biClrUsed, 64u);

    EightBitImage coded;
    ASSERT_TRUE(EncodeRle8Rows(&coded.header, coded.bits.data()));
    coded.bits[0] = 0;
    coded.bits[1] = 200;  // an absolute run longer than the code
    coded.header.biSizeImage = 6;
    EXPECT_FALSE(RemapDib8(&coded.header, coded.colors, coded.bits.data(), static_cast<uint32_t>(coded.bits.size()), false, nullptr));
}

class BitmapReadingTest : public ColorStateTest {};

// A 24-bit DIB section whose pixels are standard palette colours.
HBITMAP SectionWithStandardColours(int width, int height, const std::vector<int>& indexes)
{
    PALETTEENTRY standard[256];
    BuildStandardPalette(standard);
    BITMAPINFOHEADER h{sizeof h, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&h), DIB_RGB_COLORS, &bits, nullptr, 0);
    const uint32_t stride = DibStride(width, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const PALETTEENTRY& e = standard[indexes[(y * width + x) % indexes.size()]];
            BYTE* px = static_cast<BYTE*>(bits) + y * stride + 3 * x;
            px[0] = e.peBlue;
            px[1] = e.peGreen;
            px[2] = e.peRed;
        }
    return section;
}

TEST_F(BitmapReadingTest, RowsComeBackAsDocumentPaletteIndexes)
{
    SetColorFormat(COLORS_256, nullptr, 0);
    const std::vector<int> indexes{32, 241, 28, 100, 7, 255, 0, 150, 223};
    HBITMAP section = SectionWithStandardColours(9, 3, indexes);
    for (bool lookup : {false, true}) {
        SCOPED_TRACE(lookup);
        g_appState.bitmapMode.dibColorLookup = lookup;
        struct { BITMAPINFOHEADER h; RGBQUAD colors[256]; } info{};
        info.h = {sizeof info.h, 9, 3, 1, 8, BI_RGB, 0, 0, 0, 0, 0};
        std::vector<BYTE> rows(DibStride(9, 8) * 3, 0xEE);
        HDC dc = CreateCompatibleDC(nullptr);
        EXPECT_EQ(GetDibBitsMapped(dc, section, 0, 3, &info.h, rows.data(), g_appState.documentPalette), 3);
        DeleteDC(dc);
        EXPECT_EQ(info.h.biClrUsed, 256u);
        EXPECT_EQ(info.colors[241].rgbBlue, 96);
        // The colour lookup finds every colour; the system's own mapping (used
        // without the option) may settle for a near one.
        PALETTEENTRY standard[256];
        BuildStandardPalette(standard);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 9; ++x) {
                const int got = rows[y * DibStride(9, 8) + x], want = indexes[(y * 9 + x) % 9];
                if (lookup) {
                    EXPECT_EQ(got, want) << x << "," << y;
                } else {
                    const int distance = std::abs(standard[got].peRed - standard[want].peRed) +
                                         std::abs(standard[got].peGreen - standard[want].peGreen) +
                                         std::abs(standard[got].peBlue - standard[want].peBlue);
                    EXPECT_LE(distance, 96) << x << "," << y;
                }
            }
    }
    DeleteObject(section);
}

TEST_F(BitmapReadingTest, SixteenColourRowsPackTwoPixelsABtye)
{
    SetColorFormat(COLORS_16, nullptr, 0);
    HBITMAP section = SectionWithStandardColours(4, 1, {249, 0, 255, 2});  // red, black, white, dark green
    struct { BITMAPINFOHEADER h; RGBQUAD colors[16]; } info{};
    info.h = {sizeof info.h, 4, 1, 1, 4, BI_RGB, 0, 0, 0, 0, 0};
    BYTE rows[4] = {};
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetDibBitsMapped(dc, section, 0, 1, &info.h, rows, g_appState.documentPalette), 1);
    DeleteDC(dc);
    EXPECT_EQ(rows[0], 0x90);
    EXPECT_EQ(rows[1], 0xF2);
    EXPECT_EQ(info.h.biClrUsed, 16u);
    DeleteObject(section);
}

TEST_F(BitmapReadingTest, StretchDibDrawsTheTopRowAtTheTop)
{
    SetColorFormat(COLORS_256, nullptr, 0);
    EightBitImage image;  // colours 0..63, row 0 at the bottom
    BITMAPINFOHEADER target{sizeof target, 20, 6, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* targetBits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&target), DIB_RGB_COLORS, &targetBits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, section);
    std::vector<BYTE> packed(sizeof(BITMAPINFOHEADER) + 64 * sizeof(RGBQUAD));
    memcpy(packed.data(), &image.header, sizeof image.header);
    memcpy(packed.data() + sizeof image.header, image.colors, 64 * sizeof(RGBQUAD));
    // The lower half of the image (rows 0-2 from the bottom) onto the whole target.
    const RECT destination{0, 0, 20, 6}, source{0, 3, 20, 6};
    EXPECT_TRUE(StretchDibToPalette(dc, destination, source, reinterpret_cast<BITMAPINFOHEADER*>(packed.data()),
                                    image.bits.data(), g_appState.documentPalette, 0));
    GdiFlush();
    SelectObject(dc, old);
    DeleteDC(dc);
    const uint32_t stride = DibStride(20, 24);
    const BYTE* out = static_cast<BYTE*>(targetBits);
    // Target row 0 (bottom) shows image row 0, doubled in height.
    for (int x = 0; x < 20; ++x) {
        const RGBQUAD want = image.colors[image.bits[x]];
        EXPECT_EQ(out[3 * x + 2], want.rgbRed) << x;
        EXPECT_EQ(out[5 * stride + 3 * x + 2], image.colors[image.bits[2 * DibStride(20, 8) + x]].rgbRed) << x;
    }
    DeleteObject(section);
}

}  // namespace
