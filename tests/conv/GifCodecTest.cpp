// The GIF codec below the exports: LZW round trips and hand-made code
// streams, the exact bytes of the writers, the placement of decoded images
// in DIBs of every depth, the structure pass over every kind of block, and
// damaged or hostile files.
#include "ConvTestSupport.h"
#include "FrameHost.h"
#include "GifAnimation.h"
#include "GifCodec.h"
#include "GifTestFiles.h"
#include "PackedDib.h"
#include "TestFiles.h"
#include <gtest/gtest.h>
#include <psapi.h>
#include <string>
#include <vector>

namespace {

// ---- LZW ----------------------------------------------------------------------------------

TEST(GifLzw, RoundTripsAtEveryDepthAndSize)
{
    struct Case {
        int minimumCodeSize, width, height, values;
    };
    TestRandom random(7);
    const Case cases[] = {{2, 1, 1, 2},   {2, 7, 1, 2},    {2, 255, 3, 2}, {4, 1, 1, 16},
                          {4, 7, 1, 16},  {4, 255, 3, 16}, {8, 1, 1, 256}, {8, 7, 1, 256},
                          {8, 255, 3, 256}, {8, 256, 64, 256}, {2, 256, 64, 2}, {4, 256, 64, 16}};
    for (const Case& c : cases) {
        Bytes pixels(size_t(c.width) * c.height);
        for (uint8_t& p : pixels) p = static_cast<uint8_t>(random.Next() % c.values);
        // Fed row by row, as the image writer does.
        const Bytes stream = EncodeLzw(c.minimumCodeSize, pixels, c.width);
        Bytes decoded;
        ASSERT_EQ(CONV_OK, DecodeLzw(stream, static_cast<uint32_t>(pixels.size()), &decoded))
            << c.width << "x" << c.height << " at " << c.minimumCodeSize;
        EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), decoded.begin())) << c.width << "x" << c.height;
        EXPECT_EQ(GUARD, decoded[pixels.size()]);
        // Sub-blocks of 255 bytes and a terminator.
        size_t at = 1;
        while (stream[at] == 255) at += 256;
        EXPECT_EQ(stream.size(), at + stream[at] + 1 + (stream[at] ? 1 : 0)) << "block chain";
        EXPECT_EQ(0, stream.back());
    }
}

TEST(GifLzw, RandomBytesFillTheTableAndClearItAtTwelveBits)
{
    // 256 x 64 random bytes need far more than 4096 codes: the encoder clears
    // its table; reading the stream code by code shows the clear code at 12
    // bits right after the code that would have needed entry 4096.
    TestRandom random(11);
    Bytes pixels(256 * 64);
    for (uint8_t& p : pixels) p = static_cast<uint8_t>(random.Next());
    const Bytes stream = EncodeLzw(8, pixels, pixels.size());
    Bytes data;
    for (size_t at = 1; stream[at]; at += stream[at] + 1) data.insert(data.end(), &stream[at + 1], &stream[at + 1] + stream[at]);
    uint64_t bits = 0;
    int count = 0, size = 9, next = 258, clears = 0;
    bool previous = false, clearAtTwelve = false;
    size_t byte = 0;
    for (;;) {
        while (count < size && byte < data.size()) {
            bits |= uint64_t(data[byte++]) << count;
            count += 8;
        }
        ASSERT_GE(count, size) << "stream ended without the end code";
        const int code = static_cast<int>(bits & ((1u << size) - 1));
        bits >>= size;
        count -= size;
        if (code == 257) break;
        if (code == 256) {
            if (clears > 0 && size == 12 && next == 4096) clearAtTwelve = true;
            ++clears;
            size = 9;
            next = 258;
            previous = false;
            continue;
        }
        ASSERT_LE(code, next);
        if (previous && EntryAdded(&next)) ++size;
        previous = true;
    }
    EXPECT_GE(clears, 4);
    EXPECT_TRUE(clearAtTwelve);
}

TEST(GifLzw, DecoderStreams)
{
    struct Case {
        const char* name;
        Bytes stream;
        uint32_t count;
        int result;
        Bytes pixels;  // the first pixels expected
    };
    const Case cases[] = {
        // clear, 1, end: the terminator after it is never read.
        {"end code without terminator", CodeStream(2, {{4, 3}, {1, 3}, {5, 3}}, false), 1, CONV_OK, {1}},
        {"end code leaves an image short", CodeStream(2, {{4, 3}, {1, 3}, {5, 3}}), 3, CONV_OK, {1, GUARD, GUARD}},
        // Six bits: the two bits of padding make no further code.
        {"no end code, exact count", CodeStream(2, {{4, 3}, {1, 3}}), 1, CONV_OK, {1}},
        {"no end code, short count", CodeStream(2, {{4, 3}, {1, 3}}), 2, CONV_ERR_COMPRESSION, {}},
        // The code that is about to be made: the last string and its first byte.
        {"code equal to next", CodeStream(2, {{4, 3}, {1, 3}, {6, 3}, {5, 3}}), 3, CONV_OK, {1, 1, 1}},
        {"code above next", CodeStream(2, {{4, 3}, {1, 3}, {7, 3}, {5, 3}}), 3, CONV_ERR_COMPRESSION, {}},
        {"more pixels than the image", CodeStream(2, {{4, 3}, {1, 3}, {6, 3}, {5, 3}}), 2, CONV_ERR_COMPRESSION, {}},
        {"minimum code size 11", CodeStream(11, {{2048, 12}, {5, 12}, {2049, 12}}), 1, CONV_OK, {5}},
        {"minimum code size 12", CodeStream(12, {{4096 - 1, 13}}), 1, CONV_ERR_COMPRESSION, {}},
        {"clear code mid-stream", CodeStream(2, {{4, 3}, {1, 3}, {2, 3}, {3, 3}, {4, 4}, {3, 3}, {5, 3}}), 4, CONV_OK,
         {1, 2, 3, 3}},
        {"sub-block cut short", Bytes{2, 5, 0x0C}, 1, CONV_ERR_READ, {}},
        {"no code size byte", Bytes{}, 1, CONV_ERR_READ, {}},
    };
    for (const Case& c : cases) {
        Bytes out;
        EXPECT_EQ(c.result, DecodeLzw(c.stream, c.count, &out)) << c.name;
        for (size_t i = 0; i < c.pixels.size(); ++i) EXPECT_EQ(c.pixels[i], out[i]) << c.name << " pixel " << i;
        EXPECT_EQ(GUARD, out[c.count]) << c.name << ": nothing past the image";
    }
}

TEST(GifLzw, CodeAfterAFullTableIsReadWithTwelveBitsAndAddsNothing)
{
    // Root 0 again and again after a clear: every code but the first makes an
    // entry "0 0", until entries run out at 4096.
    std::vector<Code> codes{{256, 9}};
    int size = 9, next = 258;
    for (int k = 0; k < 3839; ++k) {
        codes.push_back({0, size});
        if (k > 0 && EntryAdded(&next)) ++size;
    }
    ASSERT_EQ(4096, next);
    ASSERT_EQ(12, size);
    // Then, still at 12 bits: root 1, the last entry, root 1, the end code.
    codes.insert(codes.end(), {{1, 12}, {4095, 12}, {1, 12}, {257, 12}});
    const uint32_t count = 3839 + 1 + 2 + 1;
    Bytes out;
    ASSERT_EQ(CONV_OK, DecodeLzw(CodeStream(8, codes), count, &out));
    EXPECT_EQ(0, out[3838]);
    EXPECT_EQ(1, out[3839]);
    EXPECT_EQ(0, out[3840]);
    EXPECT_EQ(0, out[3841]);
    EXPECT_EQ(1, out[3842]);
    EXPECT_EQ(GUARD, out[count]);
}

// ---- writers ------------------------------------------------------------------------------

HGLOBAL Dib(int width, int height, int bits, const Bytes& pixels, const std::vector<COLORREF>& colors)
{
    return MakeIndexedDib(width, height, bits, pixels, colors);
}

TEST(GifWriters, HeaderGraphicControlAndExtensionsByteForByte)
{
    GlobalBlock four(Dib(2, 1, 4, {0, 1}, {RGB(1, 2, 3), RGB(4, 5, 6), RGB(7, 8, 9)}));
    GlobalLockGuard<BITMAPINFOHEADER> h(four.Get());
    Bytes expected = {'G', 'I', 'F', '8', '9', 'a', 0x40, 0x01, 0x20, 0x00, 0xB3, 7, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    expected.resize(expected.size() + 13 * 3, 0);  // zero triples up to 16 entries
    EXPECT_EQ(expected, Written([&](GifWriter& out) { EXPECT_EQ(CONV_OK, WriteGifHeader(out, h.get(), 320, 32, true, 7)); }));
    EXPECT_EQ((Bytes{'G', 'I', 'F', '8', '9', 'a', 2, 0, 1, 0, 0x33, 0, 0}),
              Written([&](GifWriter& out) { WriteGifHeader(out, h.get(), 2, 1, false, 0); }));

    EXPECT_EQ((Bytes{0x21, 0xF9, 4, 0x0B, 0x2C, 0x01, 5, 0}),
              Written([](GifWriter& out) { EXPECT_EQ(CONV_OK, WriteGraphicControl(out, 5, 300, true, 2)); }));
    EXPECT_EQ((Bytes{0x21, 0xF9, 4, 0x0C, 0, 0, 0, 0}), Written([](GifWriter& out) { WriteGraphicControl(out, -1, 0, false, 7); }));
    EXPECT_EQ((Bytes{0x21, 0xFE, 2, 'h', 'i', 0}),
              Written([](GifWriter& out) { EXPECT_EQ(1, WriteGifExtensionStart(out, 0xFE, "hi", 2, true)); }));
    EXPECT_EQ((Bytes{3, 'a', 'b', 'c'}), Written([](GifWriter& out) { WriteGifSubBlock(out, "abc", 3, false); }));
    EXPECT_EQ((Bytes{0}), Written([](GifWriter& out) { WriteGifSubBlock(out, nullptr, 5, true); }));
}

TEST(GifWriters, HeaderAcceptsOnlyGifDepthsAndWritesAtMostTheirTable)
{
    for (int bits : {16, 24, 32}) {
        GlobalBlock deep(CreateImageDib(4, 4, bits, nullptr, 0));
        GlobalLockGuard<BITMAPINFOHEADER> h(deep.Get());
        EXPECT_TRUE(Written([&](GifWriter& out) { EXPECT_EQ(CONV_ERR_COMPRESSION, WriteGifHeader(out, h.get(), 4, 4, true, 0)); })
                        .empty())
            << bits << " bits";
    }
    // A colour count above the depth's table writes the table of the depth only.
    GlobalBlock two(Dib(1, 1, 1, {0}, {RGB(0, 0, 0), RGB(255, 255, 255)}));
    GlobalLockGuard<BITMAPINFOHEADER> h(two.Get());
    h.get()->biClrUsed = 200;
    EXPECT_EQ(13u + 2 * 3, Written([&](GifWriter& out) { WriteGifHeader(out, h.get(), 1, 1, true, 0); }).size());
}

TEST(GifWriters, SingleImageExportsByteForByte)
{
    ScratchDir dir;
    FrameHost host;
    // 1 bit, 3 x 2: clear, 1, 0, "1 0" (entry 6), then at 4 bits 1, 1 and the end code.
    GlobalBlock mono(Dib(3, 2, 1, {1, 0, 1, 0, 1, 1}, {RGB(0, 0, 0), RGB(255, 255, 255)}));
    const std::string monoPath = dir.File("mono.gif");
    ASSERT_EQ(CONV_OK, SaveSingleGif(monoPath.c_str(), mono.Get(), FrameHost::Proc));
    const Bytes monoBytes = {'G', 'I', 'F', '8', '9', 'a', 3, 0, 2, 0, 0x80, 0, 0,  // screen, table of 2
                             0, 0, 0, 255, 255, 255,                                   // black, white
                             0x2C, 0, 0, 0, 0, 3, 0, 2, 0, 0x00,                       // image
                             2, 3, 0x0C, 0x1C, 0x51, 0,                                // codes 4 1 0 6 | 1 1 5
                             0x3B};
    EXPECT_EQ(monoBytes, ReadWholeFile(monoPath));

    // 4 bits, 2 x 1 with the editor's transparent colour (entry 5): a graphic
    // control first; the codes 16 3 5 17 at 5 bits each.
    std::vector<COLORREF> six = {RGB(0, 0, 0), RGB(10, 0, 0), RGB(20, 0, 0), RGB(30, 0, 0), RGB(40, 0, 0), RGB(50, 60, 70)};
    GlobalBlock four(Dib(2, 1, 4, {3, 5}, six));
    host.AddFrame(four.Get());
    host.hasTransparent = true;
    host.transparent = RGB(50, 60, 70);
    const std::string fourPath = dir.File("four.gif");
    ASSERT_EQ(CONV_OK, SaveSingleGif(fourPath.c_str(), four.Get(), FrameHost::Proc));
    Bytes fourBytes = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 1, 0, 0xB3, 0, 0};
    for (COLORREF c : six) fourBytes.insert(fourBytes.end(), {GetRValue(c), GetGValue(c), GetBValue(c)});
    fourBytes.resize(fourBytes.size() + 10 * 3, 0);
    fourBytes.insert(fourBytes.end(), {0x21, 0xF9, 4, 0x01, 0, 0, 5, 0,         // transparent index 5
                                       0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0x03,       // image
                                       4, 3, 0x70, 0x94, 0x08, 0, 0x3B});
    EXPECT_EQ(fourBytes, ReadWholeFile(fourPath));
}

TEST(GifWriters, SaveIntoAFolderThatDoesNotExistFailsToCreate)
{
    GlobalBlock mono(Dib(1, 1, 1, {0}, {RGB(0, 0, 0), RGB(255, 255, 255)}));
    EXPECT_EQ(CONV_ERR_CREATE, SaveSingleGif("Z:\\no\\such\\folder\\x.gif", mono.Get(), nullptr));
}

TEST(GifColors, NearestColorTakesTheFirstCloseEntry)
{
    const RGBQUAD table[] = {{0, 0, 0, 0}, {10, 20, 31, 0}, {10, 20, 30, 0}, {100, 100, 100, 0}, {100, 100, 104, 0}};
    // Within a distance of 1, the first entry wins over an exact one further down.
    EXPECT_EQ(1, FindNearestColor(table, 5, 30, 20, 10));
    // Otherwise the first of the least distance.
    EXPECT_EQ(3, FindNearestColor(table, 5, 102, 100, 100));
    EXPECT_EQ(4, FindNearestColor(table, 5, 110, 100, 100));
    EXPECT_EQ(0, FindNearestColor(table, 5, 1, 1, 1));
}

TEST(GifColors, TransparentIndexFromTheEditorsColourOrPaletteEntry)
{
    FrameHost host;
    GlobalBlock dib(Dib(1, 1, 8, {0}, {RGB(0, 0, 0), RGB(9, 9, 9), RGB(200, 0, 0)}));
    host.AddFrame(dib.Get());
    GlobalLockGuard<BITMAPINFOHEADER> h(dib.Get());
    EXPECT_EQ(-1, FindGifTransparentIndex(h.get(), FrameHost::Proc)) << "no transparent colour";
    host.hasTransparent = true;
    host.transparent = RGB(201, 0, 0);
    EXPECT_EQ(2, FindGifTransparentIndex(h.get(), FrameHost::Proc));
    // A palette entry of the display palette (grey ramp: entry 9 is 9,9,9).
    host.transparent = PALETTEINDEX(9);
    EXPECT_EQ(1, FindGifTransparentIndex(h.get(), FrameHost::Proc));
}

TEST(GifFrameDib, HeaderTableAndLimits)
{
    const RGBQUAD colors[3] = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}};
    GlobalBlock dib(CreateGifFrameDib(4, 5, 3, colors, 3));
    ASSERT_TRUE(dib);
    GlobalLockGuard<BYTE> p(dib.Get());
    const BITMAPINFOHEADER& h = *DibHeader(p.get());
    EXPECT_EQ(40u, h.biSize);
    EXPECT_EQ(5, h.biWidth);
    EXPECT_EQ(3, h.biHeight);
    EXPECT_EQ(4, h.biBitCount);
    EXPECT_EQ(12u, h.biSizeImage);
    EXPECT_EQ(2953, h.biXPelsPerMeter);
    EXPECT_EQ(2953, h.biYPelsPerMeter);
    EXPECT_EQ(16u, h.biClrUsed);
    EXPECT_EQ(7, DibColors(p.get())[2].rgbBlue);
    EXPECT_EQ(0, DibColors(p.get())[3].rgbBlue);
    // Sides from 16-bit fields: their product passes 32 bits and is refused.
    EXPECT_EQ(nullptr, CreateGifFrameDib(8, 65535, 65535, nullptr, 0));
    EXPECT_EQ(nullptr, CreateGifFrameDib(8, 0, 10, nullptr, 0));
    EXPECT_EQ(nullptr, CreateGifFrameDib(24, 10, 10, nullptr, 0));
}

TEST(GifFrameDib, FillSetsEveryPixelToOneIndex)
{
    struct Case {
        int bits, index, expected;
    };
    for (const Case& c : {Case{1, 0, 0}, {1, 1, 1}, {1, 9, 1}, {4, 5, 5}, {4, 0x1A, 10}, {8, 200, 200}}) {
        GlobalBlock dib(CreateGifFrameDib(c.bits, 9, 2, nullptr, 0));
        FillDibWithIndex(dib.Get(), c.index);
        for (uint8_t v : DibIndexes(dib.Get())) EXPECT_EQ(c.expected, v) << c.bits << " bits, index " << c.index;
    }
}

// ---- placement of a decoded image ---------------------------------------------------------

int Decode(const Bytes& block, HGLOBAL dib, int transparent, int offsetX, int offsetY)
{
    GifReader in(block.data(), static_cast<uint32_t>(block.size()));
    return DecodeGifImage(in, dib, transparent, offsetX, offsetY);
}

TEST(GifDecodeImage, PlacesPixelsByDepthPositionTransparencyAndCuts)
{
    struct Case {
        const char* name;
        int bits, dibWidth, dibHeight, fill;
        int left, top, width, height;
        Bytes pixels;
        int transparent, offsetX, offsetY;
        Bytes expected;  // the DIB's pixels, rows from the top
    };
    const Case cases[] = {
        {"8 bits at 2,1", 8, 5, 3, 9, 2, 1, 2, 2, {1, 2, 3, 4}, -1, 0, 0,
         {9, 9, 9, 9, 9, /**/ 9, 9, 1, 2, 9, /**/ 9, 9, 3, 4, 9}},
        {"8 bits, transparent 2", 8, 3, 1, 9, 0, 0, 3, 1, {1, 2, 3}, 2, 0, 0, {1, 9, 3}},
        {"8 bits, offsets", 8, 3, 2, 9, 5, 4, 2, 1, {7, 8}, -1, 4, 3, {9, 9, 9, /**/ 9, 7, 8}},
        {"8 bits, cut right and below", 8, 3, 2, 9, 1, 1, 4, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, -1, 0, 0,
         {9, 9, 9, /**/ 9, 1, 2}},
        {"8 bits, past the right edge", 8, 3, 1, 9, 3, 0, 1, 1, {1}, -1, 0, 0, {9, 9, 9}},
        {"8 bits, below the bottom", 8, 3, 1, 9, 0, 1, 1, 1, {1}, -1, 0, 0, {9, 9, 9}},
        {"8 bits, left of the DIB", 8, 3, 1, 9, 0, 0, 2, 1, {1, 2}, -1, 1, 0, {9, 9, 9}},
        {"8 bits, above the DIB", 8, 3, 1, 9, 0, 0, 2, 1, {1, 2}, -1, 0, 1, {9, 9, 9}},
        // 4 bits: left rounded down to a byte; an odd width ends with a high nibble.
        {"4 bits, odd width at 1", 4, 4, 1, 15, 1, 0, 3, 1, {1, 2, 3}, -1, 0, 0, {1, 2, 3, 15}},
        {"4 bits, transparent 2", 4, 4, 1, 15, 0, 0, 4, 1, {1, 2, 3, 2}, 2, 0, 0, {1, 15, 3, 15}},
        {"4 bits, cut at an odd width", 4, 3, 1, 15, 0, 0, 4, 1, {1, 2, 3, 4}, -1, 0, 0, {1, 2, 3}},
        // 1 bit: left rounded down to 8; no transparency; a part byte is cleared first.
        {"1 bit at 10, part byte", 1, 16, 1, 1, 10, 0, 3, 1, {1, 0, 1}, 0, 0, 0,
         {1, 1, 1, 1, 1, 1, 1, 1, /**/ 1, 0, 1, 0, 0, 0, 0, 0}},
        {"1 bit, a whole byte", 1, 8, 1, 0, 0, 0, 8, 1, {1, 0, 0, 1, 1, 1, 0, 1}, -1, 0, 0, {1, 0, 0, 1, 1, 1, 0, 1}},
    };
    for (const Case& c : cases) {
        GlobalBlock dib(CreateGifFrameDib(c.bits, c.dibWidth, c.dibHeight, nullptr, 0));
        FillDibWithIndex(dib.Get(), c.fill);
        const Bytes block = ImageBlock(c.left, c.top, c.width, c.height, false, c.bits, c.pixels);
        EXPECT_EQ(CONV_OK, Decode(block, dib.Get(), c.transparent, c.offsetX, c.offsetY)) << c.name;
        EXPECT_EQ(c.expected, DibIndexes(dib.Get())) << c.name;
    }
}

TEST(GifDecodeImage, InterlacedRowsOfEveryHeightFromOneToNine)
{
    // The rows in the order of the four passes, for each height.
    const std::vector<Bytes> passOrder = {
        {0}, {0, 1}, {0, 2, 1}, {0, 2, 1, 3}, {0, 4, 2, 1, 3}, {0, 4, 2, 1, 3, 5}, {0, 4, 2, 6, 1, 3, 5},
        {0, 4, 2, 6, 1, 3, 5, 7}, {0, 8, 4, 2, 6, 1, 3, 5, 7}};
    for (int height = 1; height <= 9; ++height) {
        const Bytes& order = passOrder[height - 1];
        for (int dibHeight : {height, 5}) {
            GlobalBlock dib(CreateGifFrameDib(8, 1, dibHeight, nullptr, 0));
            FillDibWithIndex(dib.Get(), 99);
            ASSERT_EQ(CONV_OK, Decode(ImageBlock(0, 0, 1, height, true, 8, order), dib.Get(), -1, 0, 0));
            Bytes expected(dibHeight, 99);
            for (int r = 0; r < height && r < dibHeight; ++r) expected[r] = static_cast<uint8_t>(r);
            EXPECT_EQ(expected, DibIndexes(dib.Get())) << "height " << height << " in " << dibHeight << " rows";
        }
    }
}

TEST(GifDecodeImage, AnImageTooLargeForMemoryIsRefusedBeforeDecoding)
{
    GlobalBlock dib(CreateGifFrameDib(8, 4, 4, nullptr, 0));
    const Bytes block = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 2, 1, 0x04, 0};
    EXPECT_EQ(CONV_ERR_MEMORY, Decode(block, dib.Get(), -1, 0, 0));
}

TEST(GifDecodeImage, LocalTablesReplaceTheDibsColoursUnlessTooLarge)
{
    GlobalBlock dib(CreateGifFrameDib(4, 2, 1, nullptr, 0));
    // A local table of 4 entries (size field 1) in a 16-entry DIB.
    Bytes block = {0, 0, 0, 0, 2, 0, 1, 0, 0x81, 10, 20, 30, 40, 50, 60, 70, 80, 90, 1, 2, 3};
    const Bytes data = EncodeLzw(4, {3, 0}, 2);
    block.insert(block.end(), data.begin(), data.end());
    ASSERT_EQ(CONV_OK, Decode(block, dib.Get(), -1, 0, 0));
    const std::vector<COLORREF> table = DibTable(dib.Get());
    EXPECT_EQ(RGB(10, 20, 30), table[0]);
    EXPECT_EQ(RGB(1, 2, 3), table[3]);
    EXPECT_EQ(RGB(0, 0, 0), table[4]);
    // 32 entries do not fit a DIB of 16.
    block[8] = 0x84;
    EXPECT_EQ(CONV_ERR_COMPRESSION, Decode(block, dib.Get(), -1, 0, 0));
}

// ---- structure pass -------------------------------------------------------------------------

int Structure(const Bytes& bytes, GifAnimSettings* s, bool firstOnly = false, uint32_t* position = nullptr)
{
    GifReader in(bytes.data(), static_cast<uint32_t>(bytes.size()));
    const int result = ReadGifStructure(in, s, firstOnly);
    if (position) *position = in.Position();
    return result;
}

TEST(GifStructure, ReadsScreenTablesControlsLoopCommentAndImages)
{
    GifFile f;
    f.Screen(40, 30, 0x91, 2, 4)  // table of 4 entries: depth 4
        .Add({0, 0})              // stray zero bytes between blocks
        .Control(0x08 | 0x02 | 0x01, 0x0102, 3)
        .Comment({"ab", "cd"})
        .Loop(5)
        .Image(3, 4, 5, 6, 0x40 | 0x80 | 4, 32)  // interlaced, local table of 32: depth 8
        .Image(1, 2, 2, 2)
        .End();
    auto s = std::make_unique<GifAnimSettings>();
    strcpy(s->comment, "default");
    uint32_t position = 0;
    ASSERT_EQ(CONV_OK, Structure(f.bytes, s.get(), false, &position));
    EXPECT_EQ(6u, position);
    EXPECT_EQ(40, s->screenWidth);
    EXPECT_EQ(30, s->screenHeight);
    EXPECT_EQ(2, s->backgroundIndex);
    EXPECT_EQ(4, s->globalColorCount);
    EXPECT_EQ(3, s->globalColors[3].rgbRed);
    EXPECT_EQ(6, s->globalColors[3].rgbGreen);
    EXPECT_EQ(9, s->globalColors[3].rgbBlue);
    EXPECT_EQ(8, s->bitsPerPixel) << "raised by the local table";
    EXPECT_EQ(1u, s->loopFlag);
    EXPECT_EQ(5u, s->loopCount);
    EXPECT_EQ(1u, s->commentFlag);
    EXPECT_STREQ("abcd", s->comment);
    ASSERT_EQ(2, s->frameCount);
    const GifFrameRecord& a = s->frames[0];
    EXPECT_EQ(8, a.bitsPerPixel);
    EXPECT_EQ(3, a.left);
    EXPECT_EQ(4, a.top);
    EXPECT_EQ(5, a.width);
    EXPECT_EQ(6, a.height);
    EXPECT_NE(0u, a.interlaced);
    EXPECT_EQ(1u, a.hasControl);
    EXPECT_EQ(3, a.transparentIndex);
    EXPECT_EQ(0x0102, a.delay);
    EXPECT_EQ(2, a.disposal);
    EXPECT_EQ(2u, a.userInput) << "kept as the bit's value";
    EXPECT_EQ(0x2C, f.bytes[a.dataOffset - 1]);
    const GifFrameRecord& b = s->frames[1];
    EXPECT_EQ(8, b.bitsPerPixel) << "the file's depth so far";
    EXPECT_EQ(0u, b.hasControl);
    EXPECT_EQ(0x2C, f.bytes[b.dataOffset - 1]);
    EXPECT_EQ(2, b.width);

    // Only the first image: the structure up to its descriptor.
    auto first = std::make_unique<GifAnimSettings>();
    ASSERT_EQ(CONV_OK, Structure(f.bytes, first.get(), true));
    EXPECT_EQ(1, first->frameCount);
    EXPECT_EQ(a.dataOffset, first->frames[0].dataOffset);
}

TEST(GifStructure, CommentIsCutAtItsLimitAndLaterCommentsAddNothing)
{
    const std::string chunk(250, 'x');
    GifFile f;
    f.Screen(1, 1, 0, 0, 0).Comment({chunk, chunk, chunk, chunk}).Comment({std::string(100, 'y')}).Comment({"z"}).Image(0, 0, 1, 1).End();
    auto s = std::make_unique<GifAnimSettings>();
    ASSERT_EQ(CONV_OK, Structure(f.bytes, s.get()));
    EXPECT_EQ(1019u, strlen(s->comment));
    EXPECT_EQ(std::string(1000, 'x') + std::string(19, 'y'), s->comment);
}

TEST(GifStructure, ThreeHundredImagesFillTheRecordsAndNothingBeyond)
{
    GifFile f;
    f.Screen(2, 2, 0, 0, 0);
    for (int i = 0; i < 300; ++i) f.Control(0x05, i, 7).Image(i % 2, 0, 1, 1);
    f.End();
    auto s = std::make_unique<GifAnimSettings>();
    s->commentFlag = 1;
    strcpy(s->comment, "after the records");
    s->selectedFrame = 77;
    ASSERT_EQ(CONV_OK, Structure(f.bytes, s.get()));
    EXPECT_EQ(256, s->frameCount);
    EXPECT_EQ(255, s->frames[255].delay);
    EXPECT_EQ(1, s->frames[255].left);
    EXPECT_EQ(1u, s->commentFlag);
    EXPECT_STREQ("after the records", s->comment);
    EXPECT_EQ(77, s->selectedFrame);
}

TEST(GifStructure, DamagedFilesGiveReadOrFormatErrors)
{
    GifFile good;
    good.Screen(4, 4, 0x80, 0, 2).Control(1, 5, 0).Comment({"note"}).Loop(0).Image(0, 0, 4, 4).Image(0, 0, 2, 2).End();
    auto s = std::make_unique<GifAnimSettings>();
    ASSERT_EQ(CONV_OK, Structure(good.bytes, s.get()));
    // Every truncation fails to read.
    for (size_t length = 0; length < good.bytes.size(); ++length) {
        const Bytes cut(good.bytes.begin(), good.bytes.begin() + length);
        EXPECT_EQ(CONV_ERR_READ, Structure(cut, s.get())) << "cut at " << length;
    }
    Bytes notGif = good.bytes;
    notGif[0] = 'J';
    EXPECT_EQ(CONV_ERR_UNSUPPORTED, Structure(notGif, s.get()));
    Bytes badBlock = good.bytes;
    badBlock.insert(badBlock.end() - 1, 0x99);
    EXPECT_EQ(CONV_ERR_UNSUPPORTED, Structure(badBlock, s.get()));
}

// ---- hostile files through the exports ------------------------------------------------------

SIZE_T PeakMemory()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakPagefileUsage;
}

// Loads a file as the editor does (frames through the host) and as the file
// chooser's preview does.
void LoadBothWays(const std::string& path, int* asSequence, int* asPreview)
{
    FrameHost host;
    BYTE code = 0;
    *asSequence = Conv().LoadConvImage(nullptr, path.c_str(), nullptr, &code, 0, FrameHost::Proc);
    char message[80] = "";
    ConvImage image{nullptr, 0, message, sizeof message};
    *asPreview = Conv().GetPreviewImage(path.c_str(), &image);
    if (image.dib) GlobalFree(image.dib);
}

TEST(GifHostile, EveryTruncationOfAnAnimationIsAnError)
{
    ASSERT_TRUE(Conv().complete);
    ScratchDir dir;
    GifFile f;
    f.Screen(6, 4, 0x80, 0, 2).Loop(0).Comment({"hostile"});
    size_t firstImageEnd = 0;
    for (int i = 0; i < 3; ++i) {
        f.Control(0x09, 10, 1).Image(0, 0, 6, 4, 0, 0, static_cast<uint8_t>(i & 1));
        if (i == 0) firstImageEnd = f.bytes.size();
    }
    f.End();
    const std::string path = dir.File("cut.gif");
    for (size_t length = 3; length < f.bytes.size(); ++length) {
        WriteWholeFile(path, Bytes(f.bytes.begin(), f.bytes.begin() + length));
        int sequence = 0, preview = 0;
        LoadBothWays(path, &sequence, &preview);
        EXPECT_LT(sequence, 0) << "cut at " << length;
        // The preview needs the file up to its first image's end code only.
        if (length < firstImageEnd - 1) EXPECT_LT(preview, 0) << "cut at " << length;
        else EXPECT_EQ(CONV_OK, preview) << "cut at " << length;
    }
}

TEST(GifHostile, HugeSizesBadBlocksAndOversizedTablesAreRefusedWithoutHugeAllocations)
{
    ASSERT_TRUE(Conv().complete);
    ScratchDir dir;
    struct Case {
        const char* name;
        Bytes bytes;
    };
    GifFile huge;
    huge.Screen(65535, 65535, 0x80, 0, 2).LargeImage(65535, 65535).End();
    GifFile hugeImages;  // a small screen, two enormous images: a sequence of them
    hugeImages.Screen(8, 8, 0x80, 0, 2).LargeImage(65535, 65535).LargeImage(65535, 65535).End();
    GifFile badLength;
    badLength.Screen(4, 4, 0x80, 0, 2).Add({0x2C, 0, 0, 0, 0, 4, 0, 4, 0, 0, 2, 200, 1, 2, 3});
    GifFile bigTable;  // a local table of 256 entries that the file does not hold
    bigTable.Screen(4, 4, 0x80, 0, 2).Add({0x2C, 0, 0, 0, 0, 4, 0, 4, 0, 0x87, 1, 2, 3});
    GifFile wideCode;
    wideCode.Screen(4, 4, 0x80, 0, 2).Add({0x2C, 0, 0, 0, 0, 4, 0, 4, 0, 0, 200, 2, 0xFF, 0xFF, 0, 0x3B});
    const Case cases[] = {{"65535 x 65535", huge.bytes},
                          {"a sequence of huge images", hugeImages.bytes},
                          {"sub-block past the end", badLength.bytes},
                          {"local table past the end", bigTable.bytes},
                          {"code size 200", wideCode.bytes}};
    const SIZE_T before = PeakMemory();
    ASSERT_GT(before, 0u) << "the process's memory cannot be measured here";
    for (const Case& c : cases) {
        const std::string path = dir.File("hostile.gif");
        WriteWholeFile(path, c.bytes);
        int sequence = 0, preview = 0;
        LoadBothWays(path, &sequence, &preview);
        EXPECT_LT(sequence, 0) << c.name;
        EXPECT_LT(preview, 0) << c.name;
    }
    EXPECT_LT(PeakMemory() - before, SIZE_T(64) << 20) << "peak memory grew";
}

}  // namespace
