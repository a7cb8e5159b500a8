// The TIFF codec: LZW and PackBits coding, files made here in either byte
// order read into the right pixels and colours, the directory our writer
// stores, and the damaged files every reader step refuses.
#include "CodecFixtures.h"
#include "PackedDib.h"
#include "TestFiles.h"
#include "TiffCodec.h"
#include "TiffLzw.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

enum : uint16_t {
    WIDTH = 256, LENGTH = 257, BITS = 258, COMPRESSION = 259, PHOTOMETRIC = 262, FILL_ORDER = 266,
    STRIP_OFFSETS = 273, SAMPLES = 277, ROWS_PER_STRIP = 278, STRIP_BYTE_COUNTS = 279, X_RESOLUTION = 282,
    RESOLUTION_UNIT = 296, PLANAR = 284, COLOR_MAP = 320, TILE_WIDTH = 322, EXTRA_SAMPLES = 338,
};

struct Loaded {
    int result;
    GlobalBlock dib;
};

Loaded LoadBytes(const ScratchDir& dir, const std::vector<uint8_t>& bytes, const std::string& name = "t.tif")
{
    const std::string path = dir.File(name);
    EXPECT_TRUE(WriteWholeFile(path, bytes));
    ConvImage image{};
    const int result = LoadTiff(path.c_str(), &image);
    return {result, GlobalBlock(image.dib)};
}

std::vector<uint8_t> Lzw(const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> coded(data.size() * 2 + 16);
    const uint32_t n = TiffLzwEncode(data.data(), coded.data(), uint32_t(data.size()), uint32_t(coded.size()));
    coded.resize(n);
    return coded;
}

// An 8-bit grey picture 5 x 3 with pixel (x, y) = 40 y + x, in strips of two rows.
TiffFileBuilder GreyFile(bool bigEndian, uint16_t photometric = 1)
{
    TiffFileBuilder b(bigEndian);
    std::vector<uint8_t> rows;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) rows.push_back(uint8_t(40 * y + x));
    const int s0 = b.AddData({rows.begin(), rows.begin() + 10});
    const int s1 = b.AddData({rows.begin() + 10, rows.end()});
    b.Long(WIDTH, 5);
    b.Short(LENGTH, 3);
    b.Short(BITS, 8);
    b.Short(PHOTOMETRIC, photometric);
    b.Short(ROWS_PER_STRIP, 2);
    b.Strips({s0, s1});
    return b;
}

TEST(TiffLzw, AMegabyteRoundTripsThroughManyTableResets)
{
    std::vector<uint8_t> data(1 << 20);
    uint32_t seed = 12345;
    for (size_t i = 0; i < data.size(); ++i) {
        seed = seed * 1103515245 + 12345;
        // Noise in some stretches, long runs and repeats in others.
        data[i] = (i / 70000) % 2 ? uint8_t(seed >> 24) : uint8_t((i / 300) % 7 + (i % 3));
    }
    const std::vector<uint8_t> coded = Lzw(data);
    ASSERT_GT(coded.size(), 0u);
    // 12-bit codes run out after 3836 new strings: random bytes make one per code.
    ASSERT_GT(coded.size(), 8192u);
    std::vector<uint8_t> back(data.size());
    ASSERT_EQ(1, TiffLzwDecode(coded.data(), back.data(), uint32_t(coded.size()), uint32_t(back.size())));
    EXPECT_TRUE(back == data);
}

// Rooms that end inside a string, inside the string of the code being
// defined and far before the end: what fits is the data's start, nothing is
// written past the room and the rest of the codes are still checked.
TEST(TiffLzw, ARoomShorterThanTheDataKeepsItsStart)
{
    std::vector<uint8_t> data(200000);
    for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t((i / 5) % 3 + (i % 4 == 0 ? i / 1000 : 0));
    const std::vector<uint8_t> coded = Lzw(data);
    for (uint32_t room : {1u, 2u, 7u, 1001u, 65537u, 199999u}) {
        SCOPED_TRACE(room);
        std::vector<uint8_t> back(room + 8, 0xEE);
        ASSERT_EQ(1, TiffLzwDecode(coded.data(), back.data(), uint32_t(coded.size()), room));
        EXPECT_TRUE(std::equal(back.begin(), back.begin() + room, data.begin()));
        EXPECT_TRUE(std::all_of(back.begin() + room, back.end(), [](uint8_t b) { return b == 0xEE; }));
    }
    // A run: every code after the first few is the code being defined.
    const std::vector<uint8_t> run(5000, 9);
    const std::vector<uint8_t> runCoded = Lzw(run);
    std::vector<uint8_t> back(4000, 0);
    ASSERT_EQ(1, TiffLzwDecode(runCoded.data(), back.data(), uint32_t(runCoded.size()), 3333));
    EXPECT_TRUE(std::all_of(back.begin(), back.begin() + 3333, [](uint8_t b) { return b == 9; }));
    EXPECT_TRUE(std::all_of(back.begin() + 3333, back.end(), [](uint8_t b) { return b == 0; }));
    // A bad code after the room is full still fails the strip.
    std::vector<uint8_t> damaged = runCoded;
    damaged.resize(damaged.size() / 2);
    damaged.insert(damaged.end(), 4, 0xFF);  // 9-bit codes of 511, above the free code
    EXPECT_EQ(0, TiffLzwDecode(damaged.data(), back.data(), uint32_t(damaged.size()), 10));
}

TEST(TiffLzw, TinyInputsAndTooSmallRoomsAreHandled)
{
    for (const std::vector<uint8_t>& data : {std::vector<uint8_t>{}, std::vector<uint8_t>{7},
                                             std::vector<uint8_t>{7, 7, 7, 7, 7, 7, 7}}) {
        const std::vector<uint8_t> coded = Lzw(data);
        ASSERT_GT(coded.size(), 0u);
        std::vector<uint8_t> back(data.size() + 1, 0xEE);
        ASSERT_EQ(1, TiffLzwDecode(coded.data(), back.data(), uint32_t(coded.size()), uint32_t(data.size())));
        EXPECT_TRUE(std::equal(data.begin(), data.end(), back.begin()));
        EXPECT_EQ(0xEE, back[data.size()]) << "nothing written past the room";
    }
    // A byte takes three codes of 9 bits: 4 bytes; 3 do not hold them.
    const uint8_t one = 1;
    uint8_t out[3];
    EXPECT_EQ(0u, TiffLzwEncode(&one, out, 1, sizeof out));
}

// Packs 9-bit codes most significant bit first.
std::vector<uint8_t> NineBitCodes(const std::vector<int>& codes)
{
    std::vector<uint8_t> out;
    uint32_t acc = 0;
    int held = 0;
    for (int c : codes) {
        acc = acc << 9 | uint32_t(c);
        held += 9;
        while (held >= 8) out.push_back(uint8_t(acc >> (held -= 8)));
    }
    if (held) out.push_back(uint8_t(acc << (8 - held)));
    return out;
}

TEST(TiffLzw, HandMadeStreams)
{
    struct Case {
        const char* what;
        std::vector<int> codes;
        int result;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"the code being defined (previous string + its first byte)", {256, 65, 258, 257}, 1, {65, 65, 65}},
        {"the strings of earlier codes", {256, 65, 66, 258, 257}, 1, {65, 66, 65, 66}},
        {"a clear in the middle", {256, 65, 66, 256, 67, 257}, 1, {65, 66, 67}},
        {"the free code right after a clear", {256, 258, 257}, 0, {}},
        {"a code above the free code", {256, 65, 300, 257}, 0, {65}},
        {"no end code: the source ends the strip", {256, 65, 66}, 1, {65, 66}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<uint8_t> stream = NineBitCodes(c.codes);
        std::vector<uint8_t> out(16, 0);
        EXPECT_EQ(c.result, TiffLzwDecode(stream.data(), out.data(), uint32_t(stream.size()), uint32_t(out.size())));
        if (c.result) {
            EXPECT_TRUE(std::equal(c.bytes.begin(), c.bytes.end(), out.begin()));
        }
    }
}

TEST(TiffPackBits, RoundTripPerRowAndTheDecoderStaysInItsRoom)
{
    // Rows of 200 bytes: a run longer than 128, literals, a two-byte run.
    std::vector<uint8_t> data;
    for (int row = 0; row < 3; ++row) {
        data.insert(data.end(), 150, uint8_t(row));
        for (int i = 0; i < 48; ++i) data.push_back(uint8_t(i * 7 + row));
        data.insert(data.end(), {9, 9});
    }
    std::vector<uint8_t> coded(data.size() * 2 + 16);
    const uint32_t n = PackBitsEncode(data.data(), coded.data(), uint32_t(data.size()), 3, uint32_t(coded.size()));
    ASSERT_GT(n, 0u);
    EXPECT_LT(n, data.size() / 2);
    std::vector<uint8_t> back(data.size());
    ASSERT_EQ(1, PackBitsDecode(coded.data(), back.data(), n, uint32_t(back.size())));
    EXPECT_TRUE(back == data);
    // -128 is skipped; a run longer than the room is cut.
    const uint8_t stream[] = {0x80, uint8_t(-127), 5};
    uint8_t small[4] = {0, 0, 0, 0xEE};
    EXPECT_EQ(1, PackBitsDecode(stream, small, sizeof stream, 3));
    EXPECT_EQ(5, small[2]);
    EXPECT_EQ(0xEE, small[3]);
    // A one-byte row takes two bytes coded.
    uint8_t out[2];
    EXPECT_EQ(2u, PackBitsEncode(small, out, 1, 1, sizeof out));
}

TEST(TiffReader, BothByteOrdersAndBothGreyRampsGiveThePixelsAndColours)
{
    ScratchDir dir;
    for (bool big : {false, true}) {
        for (uint16_t photometric : {0, 1}) {
            SCOPED_TRACE(std::string(big ? "MM" : "II") + " photometric " + std::to_string(photometric));
            Loaded l = LoadBytes(dir, GreyFile(big, photometric).Build());
            ASSERT_EQ(1, l.result);
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 5; ++x) {
                    const int index = 40 * y + x;
                    const int grey = photometric == 1 ? index : 255 - index;
                    EXPECT_EQ(grey, DibPixel(l.dib.Get(), x, y).rgbRed) << x << "," << y;
                }
        }
    }
}

TEST(TiffReader, FourBitGreyRampAndOneStripForms)
{
    ScratchDir dir;
    // 4 bits, 2 x 1: pixels 1 and 15; one strip in the entries, no RowsPerStrip.
    for (uint16_t photometric : {1, 0}) {
        TiffFileBuilder b(false);
        const int s = b.AddData({0x1F});
        b.Short(WIDTH, 2);
        b.Short(LENGTH, 1);
        b.Short(BITS, 4);
        b.Short(PHOTOMETRIC, photometric);
        b.Strips({s});
        Loaded l = LoadBytes(dir, b.Build());
        ASSERT_EQ(1, l.result);
        GlobalLockGuard<BYTE> p(l.dib.Get());
        ASSERT_EQ(16u, DibHeader(p.get())->biClrUsed);
        for (int i = 0; i < 16; ++i) {
            const int grey = photometric == 1 ? 17 * i : 255 - 17 * i;
            EXPECT_EQ(grey, DibColors(p.get())[i].rgbGreen) << "entry " << i;
        }
        EXPECT_EQ(0x1F, DibBits(p.get())[0]);
    }
    // RowsPerStrip 0 counts as one strip.
    TiffFileBuilder one(false);
    std::vector<uint8_t> rows(15);
    for (int i = 0; i < 15; ++i) rows[i] = uint8_t(i);
    const int s = one.AddData(Lzw(rows));
    one.Short(WIDTH, 5);
    one.Short(LENGTH, 3);
    one.Short(BITS, 8);
    one.Short(PHOTOMETRIC, 1);
    one.Short(COMPRESSION, 5);
    one.Short(ROWS_PER_STRIP, 0);
    one.Strips({s});
    Loaded l = LoadBytes(dir, one.Build());
    ASSERT_EQ(1, l.result);
    EXPECT_EQ(14, DibPixel(l.dib.Get(), 4, 2).rgbRed);
}

TEST(TiffReader, PaletteFilesTakeTheHighBytesOfTheColorMap)
{
    ScratchDir dir;
    for (bool big : {false, true}) {
        TiffFileBuilder b(big);
        const int s = b.AddData({0, 1, 255});
        std::vector<uint16_t> map(3 * 256, 0);
        map[1] = 0xAB12;              // red of 1
        map[256 + 255] = 0x7F00;      // green of 255
        map[512 + 1] = 0xFFFF;        // blue of 1
        b.Short(WIDTH, 3);
        b.Short(LENGTH, 1);
        b.Short(BITS, 8);
        b.Short(PHOTOMETRIC, 3);
        b.Shorts(COLOR_MAP, map);
        b.Strips({s});
        Loaded l = LoadBytes(dir, b.Build());
        ASSERT_EQ(1, l.result);
        const RGBQUAD one = DibPixel(l.dib.Get(), 1, 0), last = DibPixel(l.dib.Get(), 2, 0);
        EXPECT_EQ(0xAB, one.rgbRed);
        EXPECT_EQ(0xFF, one.rgbBlue);
        EXPECT_EQ(0x7F, last.rgbGreen);
    }
}

TEST(TiffReader, ResolutionInInchesCentimetresAndAZeroDenominator)
{
    ScratchDir dir;
    struct Case {
        uint16_t unit;
        uint32_t numerator, denominator;
        LONG perMetre;
    } cases[] = {{2, 72, 1, 2834}, {3, 30, 1, 3000}, {1, 72, 1, 2834}, {2, 72, 0, 0}, {1, 0, 1, 2953}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.unit) + " " + std::to_string(c.numerator) + "/" + std::to_string(c.denominator));
        TiffFileBuilder b = GreyFile(false);
        b.Short(RESOLUTION_UNIT, c.unit);
        b.Rational(X_RESOLUTION, c.numerator, c.denominator);
        Loaded l = LoadBytes(dir, b.Build());
        ASSERT_EQ(1, l.result);
        GlobalLockGuard<BITMAPINFOHEADER> h(l.dib.Get());
        EXPECT_EQ(c.perMetre, h.get()->biXPelsPerMeter);
    }
}

TEST(TiffReader, DamagedAndUnsupportedFilesAreRefused)
{
    ScratchDir dir;
    struct Case {
        const char* what;
        void (*change)(TiffFileBuilder&);
        int result;
    } cases[] = {
        {"no StripByteCounts", [](TiffFileBuilder& b) { b.Raw(STRIP_BYTE_COUNTS, 4, 0, 0); b.Raw(STRIP_OFFSETS, 4, 0, 0); }, -4},
        {"fill order 2", [](TiffFileBuilder& b) { b.Short(FILL_ORDER, 2); }, -4},
        {"planar 2", [](TiffFileBuilder& b) { b.Short(PLANAR, 2); }, -4},
        {"extra samples", [](TiffFileBuilder& b) { b.Short(EXTRA_SAMPLES, 1); }, -4},
        {"tiles", [](TiffFileBuilder& b) { b.Short(TILE_WIDTH, 16); }, -4},
        {"CCITT", [](TiffFileBuilder& b) { b.Short(COMPRESSION, 3); }, -6},
        {"JPEG", [](TiffFileBuilder& b) { b.Short(COMPRESSION, 6); }, -6},
        {"unknown compression", [](TiffFileBuilder& b) { b.Short(COMPRESSION, 7); }, -6},
        {"LZW data that are no LZW", [](TiffFileBuilder& b) { b.Short(COMPRESSION, 5); }, -6},
        {"separated colours", [](TiffFileBuilder& b) { b.Short(PHOTOMETRIC, 5); }, -4},
        {"palette without ColorMap", [](TiffFileBuilder& b) { b.Short(PHOTOMETRIC, 3); }, -4},
        {"palette of 1 bit", [](TiffFileBuilder& b) { b.Short(PHOTOMETRIC, 3); b.Short(BITS, 1); }, -4},
        {"RGB of one sample", [](TiffFileBuilder& b) { b.Short(PHOTOMETRIC, 2); }, -4},
        {"width 0", [](TiffFileBuilder& b) { b.Long(WIDTH, 0); }, -4},
        {"width beyond every limit", [](TiffFileBuilder& b) { b.Long(WIDTH, 0xFFFFFFFF); b.Long(LENGTH, 0xFFFFFFFF); }, -5},
        {"more rows than strips", [](TiffFileBuilder& b) { b.Short(LENGTH, 5); }, -6},
        {"a strip beyond the file", [](TiffFileBuilder& b) { b.Raw(STRIP_OFFSETS, 4, 1, 0x7FFFFFF0); b.Short(ROWS_PER_STRIP, 3); b.Raw(STRIP_BYTE_COUNTS, 4, 1, 15); }, -6},
        {"a strip array beyond the file", [](TiffFileBuilder& b) { b.Raw(STRIP_OFFSETS, 4, 2, 0x7FFFFFF0); }, -3},
        {"a ColorMap beyond the file", [](TiffFileBuilder& b) { b.Short(PHOTOMETRIC, 3); b.Raw(COLOR_MAP, 3, 768, 0xFFFFFF00); }, -3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TiffFileBuilder b = GreyFile(false);
        c.change(b);
        Loaded l = LoadBytes(dir, b.Build());
        EXPECT_EQ(c.result, l.result);
        EXPECT_FALSE(l.dib);
    }
    // The header itself.
    std::vector<uint8_t> good = GreyFile(false).Build();
    std::vector<uint8_t> noDirectory = good;
    memset(noDirectory.data() + 4, 0, 4);
    std::vector<uint8_t> wrongMagic = good;
    wrongMagic[2] = 43;
    std::vector<uint8_t> farDirectory = good;
    memset(farDirectory.data() + 4, 0x7F, 4);
    for (const auto& bytes : {noDirectory, wrongMagic, farDirectory, std::vector<uint8_t>{'I', 'I'}}) {
        Loaded l = LoadBytes(dir, bytes);
        EXPECT_LT(l.result, 0);
        EXPECT_FALSE(l.dib);
    }
    ConvImage image{};
    EXPECT_EQ(-3, LoadTiff(dir.File("missing.tif").c_str(), &image));
}

TEST(TiffReader, EveryTruncationAndCorruptionOfOurFilesIsSurvived)
{
    ScratchDir dir;
    for (int bits : {1, 4, 8, 24}) {
        GlobalBlock dib(MakePatternDib(19, 23, bits, FramePattern::Noise, 3u + bits));
        const std::string path = dir.File("src.tif");
        ASSERT_EQ(1, SaveTiff(path.c_str(), dib.Get(), {bits, TIFF_COMPRESSION_LZW, 8}));
        const std::vector<uint8_t> file = ReadWholeFile(path);
        for (size_t length = 0; length < file.size(); length += 1 + length / 16) {
            Loaded l = LoadBytes(dir, std::vector<uint8_t>(file.begin(), file.begin() + length), "cut.tif");
            EXPECT_LE(l.result, 1);
        }
        uint32_t seed = 99;
        for (int round = 0; round < 60; ++round) {
            std::vector<uint8_t> bad = file;
            for (int k = 0; k < 4; ++k) {
                seed = seed * 1664525 + 1013904223;
                bad[8 + seed % (bad.size() - 8)] = uint8_t(seed >> 24);
            }
            Loaded l = LoadBytes(dir, bad, "bad.tif");
            EXPECT_TRUE(l.result == 1 || l.result < 0);
            EXPECT_EQ(l.result == 1, bool(l.dib));
        }
    }
}

// ---- writer ---------------------------------------------------------------------------

struct Directory {
    std::vector<TiffEntry> entries;
    std::vector<uint8_t> file;
    const TiffEntry* Find(uint16_t tag) const
    {
        for (const TiffEntry& e : entries)
            if (e.tag == tag) return &e;
        return nullptr;
    }
};

Directory ReadDirectory(const std::string& path)
{
    Directory d;
    d.file = ReadWholeFile(path);
    TiffHeader h;
    memcpy(&h, d.file.data(), sizeof h);
    uint16_t count;
    memcpy(&count, d.file.data() + h.firstDirectory, 2);
    d.entries.resize(count);
    memcpy(d.entries.data(), d.file.data() + h.firstDirectory + 2, count * sizeof(TiffEntry));
    return d;
}

TEST(TiffWriter, OneByOneFramesOfEveryDepthReadBack)
{
    ScratchDir dir;
    for (int bits : {1, 4, 8, 24}) {
        for (int compression : {TIFF_COMPRESSION_LZW, TIFF_COMPRESSION_PACKBITS, TIFF_COMPRESSION_NONE}) {
            SCOPED_TRACE(std::to_string(bits) + " bits, compression " + std::to_string(compression));
            GlobalBlock dib(MakePatternDib(1, 1, bits, FramePattern::Flat, 7));
            const std::string path = dir.File("one.tif");
            ASSERT_EQ(1, SaveTiff(path.c_str(), dib.Get(), {bits, compression, 8}));
            ConvImage image{};
            ASSERT_EQ(1, LoadTiff(path.c_str(), &image));
            GlobalBlock back(image.dib);
            if (bits == 1) {
                EXPECT_EQ(DibRows(dib.Get()), DibRows(back.Get()));
            } else {
                EXPECT_EQ("", FirstPixelDifference(dib.Get(), back.Get()));
            }
        }
    }
}

TEST(TiffWriter, TheDirectoryHoldsItsEntriesInOrderWithTheirValues)
{
    ScratchDir dir;
    GlobalBlock dib(MakePatternDib(33, 300, 8, FramePattern::Noise, 5));
    {
        GlobalLockGuard<BITMAPINFOHEADER> h(dib.Get());
        h.get()->biXPelsPerMeter = 0;
        h.get()->biYPelsPerMeter = 3000;
    }
    const std::string path = dir.File("w.tif");
    ASSERT_EQ(1, SaveTiff(path.c_str(), dib.Get(), {8, TIFF_COMPRESSION_LZW, 8}));
    const Directory d = ReadDirectory(path);
    const uint16_t order[] = {254, 255, 256, 257, 258, 259, 262, 266, 273, 274,
                              277, 278, 279, 282, 283, 284, 296, 305, 306, 320};
    ASSERT_EQ(20u, d.entries.size());
    for (size_t i = 0; i < 20; ++i) EXPECT_EQ(order[i], d.entries[i].tag) << "entry " << i;
    // 8192 / 33 = 248 rows per strip: two strips for 300 rows, not capped.
    EXPECT_EQ(248u, d.Find(ROWS_PER_STRIP)->value);
    EXPECT_EQ(2u, d.Find(STRIP_OFFSETS)->count);
    uint32_t rational[2];
    memcpy(rational, d.file.data() + d.Find(X_RESOLUTION)->value, 8);
    EXPECT_EQ(2953u, rational[0]) << "0 pixels per metre would be the invalid 0/100";
    EXPECT_EQ(100u, rational[1]);
    memcpy(rational, d.file.data() + d.Find(283)->value, 8);
    EXPECT_EQ(3000u, rational[0]);
    const TiffEntry* software = d.Find(305);
    EXPECT_EQ(11u, software->count);
    EXPECT_STREQ("Zelvo V2.5", reinterpret_cast<const char*>(d.file.data() + software->value));
    const TiffEntry* date = d.Find(306);
    ASSERT_EQ(20u, date->count);
    const std::string text(reinterpret_cast<const char*>(d.file.data() + date->value));
    ASSERT_EQ(19u, text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char want = i == 4 || i == 7 || i == 13 || i == 16 ? ':' : i == 10 ? ' ' : '9';
        if (want == '9') {
            EXPECT_TRUE(isdigit(text[i])) << text;
        } else {
            EXPECT_EQ(want, text[i]) << text;
        }
    }
    EXPECT_EQ(3u * 256, d.Find(COLOR_MAP)->count);
}

TEST(TiffWriter, AShortColourTableIsReadFromItsOwnLengthAndPaddedWithBlack)
{
    ScratchDir dir;
    // 8 bits with 16 colours: the rows stand behind 16 entries, not 256.
    RGBQUAD colors[16];
    for (int i = 0; i < 16; ++i) colors[i] = {BYTE(i * 16), BYTE(255 - i), BYTE(i), 0};
    GlobalBlock dib(CreatePackedDib(4, 2, 8, colors, 16));
    {
        GlobalLockGuard<BYTE> p(dib.Get());
        BYTE* rows = DibBits(p.get());
        for (int i = 0; i < 8; ++i) rows[i] = BYTE(i + 3);
    }
    const std::string path = dir.File("short.tif");
    ASSERT_EQ(1, SaveTiff(path.c_str(), dib.Get(), {8, TIFF_COMPRESSION_LZW, 8}));
    ConvImage image{};
    ASSERT_EQ(1, LoadTiff(path.c_str(), &image));
    GlobalBlock back(image.dib);
    EXPECT_EQ("", FirstPixelDifference(dib.Get(), back.Get()));
    GlobalLockGuard<BYTE> p(back.Get());
    const RGBQUAD padded = DibColors(p.get())[200];
    EXPECT_EQ(0, padded.rgbRed + padded.rgbGreen + padded.rgbBlue);
}

TEST(TiffWriter, RowsWiderThanTheStripSizeGoOnePerStrip)
{
    ScratchDir dir;
    GlobalBlock dib(MakePatternDib(2048, 3, 24, FramePattern::Gradient, 1));
    const std::string path = dir.File("wide.tif");
    ASSERT_EQ(1, SaveTiff(path.c_str(), dib.Get(), {24, TIFF_COMPRESSION_LZW, 8}));
    const Directory d = ReadDirectory(path);
    EXPECT_EQ(19u, d.entries.size());
    EXPECT_EQ(1u, d.Find(ROWS_PER_STRIP)->value);
    EXPECT_EQ(3u, d.Find(STRIP_OFFSETS)->count);
    ConvImage image{};
    ASSERT_EQ(1, LoadTiff(path.c_str(), &image));
    GlobalBlock back(image.dib);
    EXPECT_EQ("", FirstPixelDifference(dib.Get(), back.Get()));
}

TEST(TiffWriter, DepthsItCannotStoreAndFilesItCannotCreateAreRefused)
{
    ScratchDir dir;
    GlobalBlock dib16(MakePatternDib(4, 4, 16, FramePattern::Flat, 1));
    EXPECT_LT(SaveTiff(dir.File("a.tif").c_str(), dib16.Get(), {16, TIFF_COMPRESSION_LZW, 8}), 0);
    GlobalBlock dib(MakePatternDib(4, 4, 8, FramePattern::Flat, 1));
    EXPECT_EQ(-8, SaveTiff(dir.File("no/such/folder/a.tif").c_str(), dib.Get(), {8, TIFF_COMPRESSION_LZW, 8}));
}

}  // namespace
