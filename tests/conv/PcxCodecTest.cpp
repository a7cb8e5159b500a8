// The PCX reader and writer: round trips over depths, widths and codings,
// the line layout and run-length code of written files, the fixed colours
// of version 3, files without line padding, and the files that are refused.
#include "CodecFixtures.h"
#include "PackedDib.h"
#include "PcxCodec.h"
#include "TestFiles.h"
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Reads a file; the DIB (or null) and the result.
struct ReadResult {
    int result;
    GlobalBlock dib;
};
ReadResult Read(const std::string& path)
{
    ConvImage image{nullptr, 77, nullptr, 0};
    const int result = ReadPcx(path.c_str(), &image);
    EXPECT_EQ(77u, image.bitsOffset) << "the offset is the caller's";
    return {result, GlobalBlock(image.dib)};
}

PcxHeader HeaderOf(const std::vector<uint8_t>& file)
{
    PcxHeader h{};
    if (file.size() >= sizeof h) memcpy(&h, file.data(), sizeof h);
    return h;
}

// A header of a picture of the given shape, everything else 0.
PcxHeader MakeHeader(int planes, int bitsPerPixel, int width, int height, int bytesPerLine, int encoding = 0)
{
    PcxHeader h{};
    h.manufacturer = 10;
    h.version = 5;
    h.encoding = static_cast<BYTE>(encoding);
    h.bitsPerPixel = static_cast<BYTE>(bitsPerPixel);
    h.xMax = static_cast<uint16_t>(width - 1);
    h.yMax = static_cast<uint16_t>(height - 1);
    h.planes = static_cast<BYTE>(planes);
    h.bytesPerLine = static_cast<uint16_t>(bytesPerLine);
    return h;
}

std::vector<uint8_t> FileOf(const PcxHeader& header, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> file(sizeof header);
    memcpy(file.data(), &header, sizeof header);
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

// The 256-colour block: the mark and grey colours i, i, i.
std::vector<uint8_t> PaletteBlock(BYTE mark = 12)
{
    std::vector<uint8_t> block{mark};
    for (int i = 0; i < 256; ++i) block.insert(block.end(), {uint8_t(i), uint8_t(i), uint8_t(i)});
    return block;
}

TEST(PcxRoundTrip, EveryDepthWidthAndCodingReadsBackTheSamePixels)
{
    ScratchDir dir;
    int index = 0;
    for (int depth : {1, 4, 8, 24})
        for (int width : {1, 3, 20, 33})
            for (int encoding : {0, 1}) {
                SCOPED_TRACE("depth " + std::to_string(depth) + " width " + std::to_string(width) + " coding " +
                             std::to_string(encoding));
                const std::string path = dir.File("r" + std::to_string(index) + ".pcx");
                GlobalBlock dib(MakePatternDib(width, 7, depth, FramePattern::Noise, 40u + index++));
                ASSERT_EQ(1, WritePcx(path.c_str(), dib.Get(), {5, uint32_t(depth), uint32_t(encoding)}));
                const PcxHeader h = HeaderOf(ReadWholeFile(path));
                EXPECT_EQ(10, h.manufacturer);
                EXPECT_EQ(5, h.version);
                EXPECT_EQ(encoding, h.encoding);
                EXPECT_EQ(depth <= 4 ? 1 : 8, h.bitsPerPixel);
                EXPECT_EQ(depth == 4 ? 4 : depth == 24 ? 3 : 1, h.planes);
                EXPECT_EQ(depth <= 4 ? 2 * ((width + 15) / 16) : 2 * ((width + 1) / 2), h.bytesPerLine);
                EXPECT_EQ(width - 1, h.xMax);
                EXPECT_EQ(6, h.yMax);
                EXPECT_EQ(640, h.horizontalResolution);
                EXPECT_EQ(480, h.verticalResolution);
                EXPECT_EQ(1, h.paletteType);

                ReadResult back = Read(path);
                ASSERT_EQ(1, back.result);
                GlobalLockGuard<BITMAPINFOHEADER> header(back.dib.Get());
                EXPECT_EQ(depth, header.get()->biBitCount);
                EXPECT_EQ(2953, header.get()->biXPelsPerMeter);
                EXPECT_EQ(depth == 24 ? 0u : 1u << depth, header.get()->biClrUsed);
                EXPECT_EQ(DibRows(dib.Get()), DibRows(back.dib.Get()));
                EXPECT_EQ("", FirstPixelDifference(dib.Get(), back.dib.Get()));
            }
}

TEST(PcxWriter, PlaneLinesArePaddedWithZeroToEvenLengths)
{
    ScratchDir dir;
    // 24 bits, 3 wide: red, green and blue plane lines of 3 bytes and one 0 each.
    GlobalBlock dib(CreatePackedDib(3, 1, 24, nullptr, 0));
    {
        GlobalLockGuard<BYTE> p(dib.Get());
        const BYTE pixels[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};  // blue, green, red
        memcpy(DibBits(p.get()), pixels, sizeof pixels);
    }
    const std::string path = dir.File("rgb.pcx");
    ASSERT_EQ(1, WritePcx(path.c_str(), dib.Get(), {5, 24, 0}));
    const std::vector<uint8_t> file = ReadWholeFile(path);
    EXPECT_EQ(4, HeaderOf(file).bytesPerLine);
    const std::vector<uint8_t> firstLine(file.begin() + 128, file.begin() + 140);
    EXPECT_EQ((std::vector<uint8_t>{3, 6, 9, 0, 2, 5, 8, 0, 1, 4, 7, 0}), firstLine);
    // 8 lines in all (one rounded up to 8), no palette block at 24 bits.
    EXPECT_EQ(128u + 8 * 12, file.size());

    GlobalBlock mono(MakePatternDib(20, 2, 1, FramePattern::Stripes, 3));
    ASSERT_EQ(1, WritePcx(dir.File("mono.pcx").c_str(), mono.Get(), {5, 1, 0}));
    const std::vector<uint8_t> monoFile = ReadWholeFile(dir.File("mono.pcx"));
    EXPECT_EQ(4, HeaderOf(monoFile).bytesPerLine);
    EXPECT_EQ(0, monoFile[128 + 3]) << "the padding byte after 20 pixels";
}

TEST(PcxCoder, RunsAreCutAt63AndHighBytesAreAlwaysCoded)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> line;
        std::vector<uint8_t> code;
    };
    const Case cases[] = {
        {"64 equal low bytes", std::vector<uint8_t>(64, 0x41), {0xFF, 0x41, 0x41}},
        {"64 equal high bytes", std::vector<uint8_t>(64, 0xC5), {0xFF, 0xC5, 0xC1, 0xC5}},
        {"63 equal bytes", std::vector<uint8_t>(63, 7), {0xFF, 7}},
        {"a single high byte", {0xC5}, {0xC1, 0xC5}},
        {"a single 0xC0", {0xC0}, {0xC1, 0xC0}},
        {"single low bytes", {0x41, 0x42, 0xBF}, {0x41, 0x42, 0xBF}},
        {"two equal bytes", {0, 0}, {0xC2, 0}},
        {"a run between singles", {1, 9, 9, 9, 2}, {1, 0xC3, 9, 2}},
        {"nothing", {}, {}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> out(2 * c.line.size() + 1, 0xEE);
        const size_t n = PcxEncodeLine(c.line.data(), c.line.size(), out.data());
        out.resize(n);
        EXPECT_EQ(c.code, out) << c.what;
        std::vector<uint8_t> back(c.line.size() + 4, 0xEE);
        EXPECT_EQ(c.line.size(), PcxExpand(out.data(), out.size(), back.data(), c.line.size())) << c.what;
        back.resize(c.line.size());
        EXPECT_EQ(c.line, back) << c.what;
    }
}

TEST(PcxCoder, ExpansionStopsWhenItsRoomIsFull)
{
    const uint8_t code[] = {0xFF, 5, 0xC4, 6, 7};
    std::vector<uint8_t> out(70, 0xEE);
    EXPECT_EQ(65u, PcxExpand(code, sizeof code, out.data(), 65));
    EXPECT_EQ(5, out[62]);
    EXPECT_EQ(6, out[64]);
    EXPECT_EQ(0xEE, out[65]) << "nothing past the room";
    // A run byte without its value at the end of the data is dropped.
    const uint8_t dangling[] = {1, 0xC3};
    EXPECT_EQ(1u, PcxExpand(dangling, sizeof dangling, out.data(), 10));
}

// The coded lines of a written 8-bit file, expanded one by one: no run
// crosses the end of a line.
TEST(PcxWriter, EveryLineIsCodedOnItsOwnAndTheRowsAreRoundedUpToEight)
{
    ScratchDir dir;
    // Ten rows of one colour: every line could run into the next one.
    GlobalBlock dib(MakePatternDib(70, 10, 8, FramePattern::Flat, 9));
    const std::string path = dir.File("flat.pcx");
    ASSERT_EQ(1, WritePcx(path.c_str(), dib.Get(), {5, 8, 1}));
    const std::vector<uint8_t> file = ReadWholeFile(path);
    const size_t dataEnd = file.size() - 769;
    EXPECT_EQ(12, file[dataEnd]) << "the palette block";
    size_t at = 128;
    int lines = 0;
    while (at < dataEnd) {
        size_t produced = 0;
        while (produced < 70) {
            ASSERT_LT(at, dataEnd);
            const uint8_t b = file[at++];
            const size_t count = (b & 0xC0) == 0xC0 ? (b & 0x3F) : 1;
            if ((b & 0xC0) == 0xC0) {
                EXPECT_EQ(lines < 10 ? 0x99 : 0, file[at]) << "line " << lines;
                ++at;
            }
            produced += count;
        }
        EXPECT_EQ(70u, produced) << "line " << lines << " ends inside a run";
        ++lines;
    }
    EXPECT_EQ(16, lines) << "ten rows and six zero rows";
    ReadResult back = Read(path);
    ASSERT_EQ(1, back.result);
    EXPECT_EQ(DibRows(dib.Get()), DibRows(back.dib.Get()));
}

TEST(PcxWriter, ThePaletteBlockHoldsTheTableThenBlack)
{
    ScratchDir dir;
    RGBQUAD colors[256];
    for (int i = 0; i < 256; ++i) colors[i] = {BYTE(i), BYTE(255 - i), BYTE(i / 2), 0};
    struct Case {
        DWORD clrUsed;
        int expected;  // colours taken from the table
    };
    for (const Case c : {Case{16, 16}, Case{0, 256}, Case{256, 256}, Case{300, 256}}) {
        SCOPED_TRACE(c.clrUsed);
        GlobalBlock dib(CreatePackedDib(4, 2, 8, colors, 256));
        GlobalLockGuard<BYTE> p(dib.Get());
        DibHeader(p.get())->biClrUsed = 16;
        if (c.clrUsed == 16) {
            // The rows follow 16 colours.
            memset(p.get() + 40 + 16 * 4, 3, 16);
        } else {
            DibHeader(p.get())->biClrUsed = c.clrUsed;
        }
        const std::string path = dir.File("p" + std::to_string(c.clrUsed) + ".pcx");
        ASSERT_EQ(1, WritePcx(path.c_str(), dib.Get(), {5, 8, 1}));
        const std::vector<uint8_t> file = ReadWholeFile(path);
        ASSERT_GE(file.size(), 128u + 769);
        const uint8_t* block = file.data() + file.size() - 769;
        EXPECT_EQ(12, block[0]);
        for (int i = 0; i < 256; ++i) {
            const std::vector<uint8_t> rgb(block + 1 + 3 * i, block + 4 + 3 * i);
            const std::vector<uint8_t> want =
                i < c.expected ? std::vector<uint8_t>{colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue}
                               : std::vector<uint8_t>{0, 0, 0};
            ASSERT_EQ(want, rgb) << "colour " << i;
        }
        ReadResult back = Read(path);
        ASSERT_EQ(1, back.result);
        if (c.clrUsed == 16) {
            EXPECT_EQ(3, DibRows(back.dib.Get())[0]) << "the rows behind 16 colours";
        }
    }
}

TEST(PcxWriter, OtherDepthsAreRefusedAndTheCreatedFileStaysEmpty)
{
    ScratchDir dir;
    for (int depth : {16, 32}) {
        GlobalBlock dib(MakePatternDib(5, 5, depth, FramePattern::Gradient, 1));
        const std::string path = dir.File("d" + std::to_string(depth) + ".pcx");
        EXPECT_EQ(-4, WritePcx(path.c_str(), dib.Get(), {5, uint32_t(depth), 1}));
        EXPECT_TRUE(FileExists(path));
        EXPECT_TRUE(ReadWholeFile(path).empty());
    }
    GlobalBlock dib(MakePatternDib(5, 5, 8, FramePattern::Gradient, 1));
    EXPECT_EQ(-7, WritePcx(dir.File("no such folder\\x.pcx").c_str(), dib.Get(), {5, 8, 1}));
    EXPECT_EQ(-4, WritePcx(dir.File("mismatch.pcx").c_str(), dib.Get(), {5, 4, 1})) << "options and DIB differ";
}

TEST(PcxReader, VersionThreeShowsTheFixedColoursWhateverTheHeaderHolds)
{
    ScratchDir dir;
    const RGBQUAD fixed[16] = {{0, 0, 0, 0},     {128, 0, 0, 0},   {0, 128, 0, 0},     {128, 128, 0, 0},
                               {0, 0, 128, 0},   {128, 0, 128, 0}, {0, 128, 128, 0},   {128, 128, 128, 0},
                               {192, 192, 192, 0}, {255, 0, 0, 0}, {0, 255, 0, 0},     {255, 255, 0, 0},
                               {0, 0, 255, 0},   {255, 0, 255, 0}, {0, 255, 255, 0},   {255, 255, 255, 0}};
    struct Case {
        int planes, bits, fixedCount;
    };
    for (const Case c : {Case{4, 1, 16}, Case{1, 1, 2}, Case{1, 8, 16}}) {
        const int depth = c.planes * c.bits;
        SCOPED_TRACE(depth);
        PcxHeader h = MakeHeader(c.planes, c.bits, 8, 1, depth == 8 ? 8 : 2);
        h.version = 3;
        memset(h.colorMap, 0x5A, sizeof h.colorMap);
        std::vector<uint8_t> data(size_t(c.planes) * h.bytesPerLine, 0);
        if (depth == 8) {
            const std::vector<uint8_t> palette = PaletteBlock();
            data.insert(data.end(), palette.begin(), palette.end());
        }
        const std::string path = dir.File("v3-" + std::to_string(depth) + ".pcx");
        ASSERT_TRUE(WriteWholeFile(path, FileOf(h, data)));
        ReadResult r = Read(path);
        ASSERT_EQ(1, r.result);
        GlobalLockGuard<BYTE> p(r.dib.Get());
        const RGBQUAD* table = DibColors(p.get());
        for (int i = 0; i < c.fixedCount; ++i)
            EXPECT_EQ(0, memcmp(&fixed[i], &table[i], sizeof fixed[i])) << "entry " << i;
        if (depth == 8) {
            EXPECT_EQ(16, table[16].rgbRed) << "entries beyond 16 stay the file's";
        }
    }
}

TEST(PcxReader, Manufacturer205PlaneLinesFollowEachOtherWithoutPadding)
{
    ScratchDir dir;
    // 24 bits, 3 wide, 2 high; bytesPerLine says 8 but the lines hold 3 bytes each.
    PcxHeader h = MakeHeader(3, 8, 3, 2, 8);
    h.manufacturer = 205;
    const std::vector<uint8_t> data = {10, 11, 12, 20, 21, 22, 30, 31, 32,   // top row: red, green, blue
                                       40, 41, 42, 50, 51, 52, 60, 61, 62};  // bottom row
    const std::string path = dir.File("old.pcx");
    ASSERT_TRUE(WriteWholeFile(path, FileOf(h, data)));
    ReadResult r = Read(path);
    ASSERT_EQ(1, r.result);
    const RGBQUAD topLeft = DibPixel(r.dib.Get(), 0, 0), bottomRight = DibPixel(r.dib.Get(), 2, 1);
    EXPECT_EQ((std::vector<int>{10, 20, 30}), (std::vector<int>{topLeft.rgbRed, topLeft.rgbGreen, topLeft.rgbBlue}));
    EXPECT_EQ((std::vector<int>{42, 52, 62}),
              (std::vector<int>{bottomRight.rgbRed, bottomRight.rgbGreen, bottomRight.rgbBlue}));
}

TEST(PcxReader, DamagedAndUnsupportedFilesAreRefusedWithNothingReturned)
{
    ScratchDir dir;
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        int result;
    };
    auto withHeader = [](PcxHeader h, size_t dataBytes, bool palette = false) {
        std::vector<uint8_t> file = FileOf(h, std::vector<uint8_t>(dataBytes, 0));
        if (palette) {
            const std::vector<uint8_t> block = PaletteBlock();
            file.insert(file.end(), block.begin(), block.end());
        }
        return file;
    };
    PcxHeader other = MakeHeader(1, 8, 4, 4, 4);
    other.manufacturer = 11;
    PcxHeader backwards = MakeHeader(1, 8, 4, 4, 4);
    backwards.xMin = 10;
    std::vector<uint8_t> badMark = withHeader(MakeHeader(1, 8, 4, 4, 4), 16, true);
    badMark[badMark.size() - 769] = 13;
    const Case cases[] = {
        {"a short header", std::vector<uint8_t>(100, 10), -3},
        {"another maker", withHeader(other, 16, true), -4},
        {"two planes of one bit", withHeader(MakeHeader(2, 1, 8, 4, 2), 16), -4},
        {"one plane of four bits", withHeader(MakeHeader(1, 4, 8, 4, 4), 16), -6},
        {"24 bits in one plane", withHeader(MakeHeader(1, 24, 8, 4, 24), 96), -6},
        {"no palette mark", badMark, -4},
        {"an 8-bit file shorter than its palette block", withHeader(MakeHeader(1, 8, 4, 4, 4), 600), -3},
        {"raw lines missing", withHeader(MakeHeader(1, 8, 4, 4, 4), 15, true), -3},
        {"raw 4-bit planes missing", withHeader(MakeHeader(4, 1, 8, 4, 2), 31), -3},
        {"xMax below xMin", withHeader(backwards, 16, true), -3},
        {"lines shorter than their pixels", withHeader(MakeHeader(1, 8, 40, 1, 2), 80, true), -3},
        {"wider than any image", withHeader(MakeHeader(1, 8, 65535, 1, 65535), 70000, true), -5},
        {"more memory than any image", withHeader(MakeHeader(3, 8, 16000, 16000, 16000, 1), 10), -5},
    };
    int index = 0;
    for (const Case& c : cases) {
        const std::string path = dir.File("bad" + std::to_string(index++) + ".pcx");
        ASSERT_TRUE(WriteWholeFile(path, c.file));
        ReadResult r = Read(path);
        EXPECT_EQ(c.result, r.result) << c.what;
        EXPECT_FALSE(r.dib) << c.what;
    }
    EXPECT_EQ(-1, Read(dir.File("missing.pcx")).result);
}

TEST(PcxReader, ACodedStreamThatEndsEarlyLeavesTheRestBlack)
{
    ScratchDir dir;
    // Four lines of 4 bytes wanted, one coded: the rest stays 0.
    PcxHeader h = MakeHeader(1, 8, 4, 4, 4, 1);
    std::vector<uint8_t> data = {0xC4, 0x21};
    const std::vector<uint8_t> palette = PaletteBlock();
    data.insert(data.end(), palette.begin(), palette.end());
    const std::string path = dir.File("short.pcx");
    ASSERT_TRUE(WriteWholeFile(path, FileOf(h, data)));
    ReadResult r = Read(path);
    ASSERT_EQ(1, r.result);
    EXPECT_EQ(0x21, DibPixel(r.dib.Get(), 3, 0).rgbRed);
    EXPECT_EQ(0, DibPixel(r.dib.Get(), 0, 1).rgbRed);
}

TEST(PcxReader, EveryTruncationAndCorruptionOfOurFilesIsSurvived)
{
    ScratchDir dir;
    for (int depth : {1, 4, 8, 24}) {
        for (uint32_t encoding : {0u, 1u}) {
            GlobalBlock dib(MakePatternDib(21, 13, depth, FramePattern::Noise, 9u + depth));
            const std::string path = dir.File("src.pcx");
            ASSERT_EQ(1, WritePcx(path.c_str(), dib.Get(), {5, uint32_t(depth), encoding}));
            const std::vector<uint8_t> file = ReadWholeFile(path);
            const std::string bad = dir.File("bad.pcx");
            for (size_t length = 0; length < file.size(); length += 1 + length / 16) {
                ASSERT_TRUE(WriteWholeFile(bad, std::vector<uint8_t>(file.begin(), file.begin() + length)));
                ReadResult r = Read(bad);
                EXPECT_EQ(r.result == 1, bool(r.dib));
                EXPECT_LE(r.result, 1);
            }
            uint32_t seed = 3;
            for (int round = 0; round < 60; ++round) {
                std::vector<uint8_t> broken = file;
                for (int k = 0; k < 4; ++k) {
                    seed = seed * 1664525 + 1013904223;
                    broken[seed % broken.size()] = uint8_t(seed >> 24);
                }
                ASSERT_TRUE(WriteWholeFile(bad, broken));
                ReadResult r = Read(bad);
                EXPECT_EQ(r.result == 1, bool(r.dib));
            }
        }
    }
}

}  // namespace
