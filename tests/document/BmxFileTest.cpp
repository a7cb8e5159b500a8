// The frame-sequence file: row codes, every depth and compression choice,
// single images and damaged files.
#include "BmxFile.h"
#include "FileIo.h"
#include "PackedDib.h"
#include "ResultCodes.h"
#include "RowCodes.h"
#include "TestFiles.h"
#include <gtest/gtest.h>
#include <cstring>
#include <functional>

namespace {

BITMAPINFOHEADER Header(int width, int height, int bits)
{
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bits);
    return h;
}

// Runs the own row code over one row and returns the code bytes.
std::vector<uint8_t> CodeRow(std::vector<uint8_t> row, int width, int bits)
{
    BITMAPINFOHEADER h = Header(width, 1, bits);
    const uint32_t stride = DibStride(width, bits);
    row.resize(stride + 4);
    if (!EncodeRunLengthRows(&h, row.data())) return {};
    EXPECT_EQ(BI_BMX_RUNLENGTH, h.biCompression);
    return std::vector<uint8_t>(row.begin(), row.begin() + h.biSizeImage);
}

// The meaningful bytes of each row (the padding is not part of the picture).
std::vector<uint8_t> PixelRows(HGLOBAL dib)
{
    GlobalLockGuard<BYTE> p(dib);
    const BITMAPINFOHEADER* h = DibHeader(p.get());
    const uint32_t stride = DibStride(h->biWidth, h->biBitCount), rowBytes = DibRowBytes(h->biWidth, h->biBitCount);
    std::vector<uint8_t> out;
    for (int y = 0; y < h->biHeight; ++y) {
        const BYTE* row = DibBits(p.get()) + y * stride;
        out.insert(out.end(), row, row + rowBytes);
    }
    return out;
}

}  // namespace

TEST(RowCode, ExamplesOfTheFormat)
{
    // 640 white pixels at 1 bit: one run of 80 bytes, then the length 2.
    EXPECT_EQ((std::vector<uint8_t>{80, 0xFF, 2, 0}), CodeRow(std::vector<uint8_t>(80, 0xFF), 640, 1));
    // 1000 equal bytes: runs of at most 254.
    EXPECT_EQ((std::vector<uint8_t>{254, 7, 254, 7, 254, 7, 238, 7, 8, 0}),
              CodeRow(std::vector<uint8_t>(1000, 7), 1000, 8));
    // A B B B...: a run of one, then a run.
    std::vector<uint8_t> abbb(24, 'B');
    abbb[0] = 'A';
    EXPECT_EQ((std::vector<uint8_t>{1, 'A', 23, 'B', 4, 0}), CodeRow(abbb, 24, 8));
    // A B C D E E...: one literal, then a run.
    std::vector<uint8_t> abcd(24, 'E');
    abcd[0] = 'A', abcd[1] = 'B', abcd[2] = 'C', abcd[3] = 'D';
    EXPECT_EQ((std::vector<uint8_t>{0, 4, 'A', 'B', 'C', 'D', 20, 'E', 8, 0}), CodeRow(abcd, 24, 8));
    // A row ending in different bytes: the last real byte joins the literal.
    std::vector<uint8_t> tail(16, 'Q');
    tail[13] = 'R', tail[14] = 'S', tail[15] = 'T';
    EXPECT_EQ((std::vector<uint8_t>{13, 'Q', 0, 3, 'R', 'S', 'T', 7, 0}), CodeRow(tail, 16, 8));
    // Seven bytes with stride 8: the padding byte repeats the seventh and joins its run.
    EXPECT_EQ((std::vector<uint8_t>{8, 'Z', 2, 0}), CodeRow(std::vector<uint8_t>(7, 'Z'), 7, 8));
    // A code that would reach the next row's bytes gives up, even on a one-row frame.
    EXPECT_TRUE(CodeRow({'A', 'B', 'C', 'D'}, 4, 8).empty());
}

TEST(RowCode, NoiseGivesUpAndGrowingRowsNeverOverrunTheBuffer)
{
    // A B B C D D ... grows by a third: the encoder must give up, not write past the frame.
    std::vector<uint8_t> growing;
    for (int i = 0; growing.size() < 600; ++i) {
        growing.push_back(static_cast<uint8_t>(3 * i));
        growing.push_back(static_cast<uint8_t>(3 * i + 1));
        growing.push_back(static_cast<uint8_t>(3 * i + 1));
    }
    growing.resize(600);
    for (int height : {1, 2, 7}) {
        BITMAPINFOHEADER h = Header(600, height, 8);
        std::vector<uint8_t> buffer(600 * height + 4 + 64, 0xEE);
        for (int y = 0; y < height; ++y) std::copy(growing.begin(), growing.end(), buffer.begin() + y * 600);
        EXPECT_EQ(0, EncodeRunLengthRows(&h, buffer.data())) << height;
        EXPECT_EQ(0, EncodeRle8Rows(&h, buffer.data())) << height;
        for (size_t k = 600 * height; k < buffer.size(); ++k) ASSERT_EQ(0xEE, buffer[k]) << "overrun at " << k;
    }
}

TEST(RowCode, DamagedCodesAreRefused)
{
    BITMAPINFOHEADER h = Header(8, 2, 8);
    struct Case { const char* what; std::vector<uint8_t> code; };
    const Case cases[] = {
        {"length beyond the data", {8, 1, 2, 0, 8, 2, 99, 0}},
        {"run past the row", {9, 1, 2, 0, 8, 2, 2, 0}},
        {"literal past the code", {0, 9, 1, 2, 4, 0, 8, 2, 2, 0}},
        {"row too short", {4, 1, 2, 0, 8, 2, 2, 0}},
        {"empty literal", {0, 0, 8, 1, 4, 0, 8, 2, 2, 0}},
        {"nothing at all", {0}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> buffer(c.code);
        buffer.resize(64);
        h.biSizeImage = static_cast<DWORD>(c.code.size());
        EXPECT_EQ(0, DecodeRunLengthRows(buffer.data(), 64, &h)) << c.what;
    }
}

TEST(RowCode, DibRunLengthDecoderClipsAndRefusesTruncatedEscapes)
{
    BITMAPINFOHEADER h = Header(4, 2, 8);
    h.biCompression = BI_RLE8;
    std::vector<uint8_t> out(8);
    // A run longer than the row is clipped, a delta past the frame ends it.
    const std::vector<uint8_t> clipped = {200, 5, 0, 0, 2, 6, 0, 2, 50, 50, 1, 7, 0, 1};
    ASSERT_TRUE(DecodeDibRle(clipped.data(), static_cast<uint32_t>(clipped.size()), h, out.data()));
    EXPECT_EQ((std::vector<uint8_t>{5, 5, 5, 5, 6, 6, 0, 0}), out);
    const std::vector<uint8_t> truncatedAbsolute = {0, 5, 1, 2};
    EXPECT_FALSE(DecodeDibRle(truncatedAbsolute.data(), 4, h, out.data()));
    const std::vector<uint8_t> truncatedDelta = {0, 2, 1};
    EXPECT_FALSE(DecodeDibRle(truncatedDelta.data(), 3, h, out.data()));
}

// ---- whole files ----

namespace {

void FillSequence(FrameSequence& sequence, int width, int height, int bits, int frames, FramePattern pattern)
{
    sequence.Clear();
    sequence.format = {};
    sequence.format.width = width;
    sequence.format.height = height;
    sequence.format.bitsPerPixel = bits;
    sequence.format.colorTableEntries = bits <= 8 ? 1 << bits : 0;
    sequence.transparentColorCode = 0x13;
    for (int i = 0; i < frames; ++i) {
        HGLOBAL dib = MakePatternDib(width, height, bits, i % 3 == 2 ? FramePattern::Noise : pattern, i + 1);
        if (i == 0) {
            GlobalLockGuard<BYTE> p(dib);
            memcpy(sequence.format.colors, DibColors(p.get()), sequence.format.colorTableEntries * sizeof(RGBQUAD));
        }
        sequence.frames.push_back({dib, "C:\\frames\\picture number " + std::to_string(i) + ".bmp",
                                   static_cast<int8_t>(-i), static_cast<int8_t>(i * 2)});
    }
}

std::vector<BmxFrameEntry> ReadDirectory(const std::string& path, BmxFileHeader* header, BITMAPINFOHEADER* info)
{
    const auto bytes = ReadWholeFile(path);
    memcpy(header, bytes.data(), sizeof *header);
    memcpy(info, bytes.data() + sizeof *header, sizeof *info);
    const size_t at = sizeof *header + sizeof *info + DibColorEntries(*info) * sizeof(RGBQUAD);
    std::vector<BmxFrameEntry> entries(header->frameCount);
    memcpy(entries.data(), bytes.data() + at, entries.size() * sizeof(BmxFrameEntry));
    return entries;
}

}  // namespace

TEST(BmxFile, EveryDepthAndChoiceRoundTripsPixelIdentical)
{
    ScratchDir dir;
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        for (uint32_t choice = 0; choice <= 3; ++choice) {
            const uint32_t setting = choice | choice << 4 | choice << 8;
            FrameSequence written, loaded;
            FillSequence(written, 37, 21, bits, 4, FramePattern::Stripes);
            const std::string path = dir.File("seq.bmx");
            ASSERT_EQ(RESULT_OK, SaveFrameSequenceFile(path.c_str(), written, setting)) << bits << "/" << choice;
            ASSERT_EQ(RESULT_OK, LoadFrameSequenceFile(path.c_str(), &loaded)) << bits << "/" << choice;
            ASSERT_EQ(written.frames.size(), loaded.frames.size());
            EXPECT_EQ(0x13, loaded.transparentColorCode);
            EXPECT_EQ(0, memcmp(written.format.colors, loaded.format.colors,
                                written.format.colorTableEntries * sizeof(RGBQUAD)));
            for (size_t i = 0; i < written.frames.size(); ++i) {
                EXPECT_EQ(PixelRows(written.frames[i].dib), PixelRows(loaded.frames[i].dib))
                    << "depth " << bits << " choice " << choice << " frame " << i;
                EXPECT_EQ(written.frames[i].offsetX, loaded.frames[i].offsetX);
                EXPECT_EQ(written.frames[i].offsetY, loaded.frames[i].offsetY);
            }
            BmxFileHeader header;
            BITMAPINFOHEADER info;
            const auto entries = ReadDirectory(path, &header, &info);
            const uint32_t table = bits <= 8 ? (1u << bits) * 4 : 0;
            EXPECT_EQ(14 + 40 + table + 20 * 4, header.bitsOffset);
            EXPECT_EQ(40 + table + 20 * 4 + DibStride(37, bits) * 21, header.bufferSize);
            EXPECT_EQ(entries[0].compression, info.biCompression);
            EXPECT_EQ(entries[0].dataSize, info.biSizeImage);
            // The noise frame (index 2) is stored raw whatever the choice.
            EXPECT_EQ(0, entries[2].compression) << bits << "/" << choice;
        }
    }
}

TEST(BmxFile, DefaultChoiceStoresEachDepthInItsForm)
{
    ScratchDir dir;
    struct Case { int bits; uint8_t compression; };
    // Choice 1 for 8 and 4 bits asks the system for its run-length form; where it
    // refuses (as Wine does) the own encoder of the same form stands in.
    for (const Case c : {Case{1, 3}, Case{4, 2}, Case{8, 1}, Case{16, 0}, Case{24, 0}, Case{32, 0}}) {
        FrameSequence sequence;
        FillSequence(sequence, 64, 16, c.bits, 1, FramePattern::Flat);
        const std::string path = dir.File("default.bmx");
        ASSERT_EQ(RESULT_OK, SaveFrameSequenceFile(path.c_str(), sequence, DEFAULT_BMX_COMPRESSION));
        BmxFileHeader header;
        BITMAPINFOHEADER info;
        const auto entries = ReadDirectory(path, &header, &info);
        EXPECT_EQ(c.compression, entries[0].compression) << c.bits;
        FrameSequence loaded;
        ASSERT_EQ(RESULT_OK, LoadFrameSequenceFile(path.c_str(), &loaded));
        EXPECT_EQ(PixelRows(sequence.frames[0].dib), PixelRows(loaded.frames[0].dib));
    }
}

TEST(BmxFile, FrameNamesFollowTheDirectoryRules)
{
    struct Case { const char* stored; const char* name; };
    const Case cases[] = {
        {"C:\\pics\\walk1.bmp", "walk1.bmp"},
        {"D:/x/verylongname.bmp", "verylongname"},
        {"frame of the cat.bmp", "frame of the"},
        {"averyveryverylongname.bmp", "averyveryver"},
        {"", "Frame7.bmp"},
        {"C:\\dir\\", "Frame7.bmp"},
        {"a b c d e f g h i.bmp", "a b c d e f"},
    };
    for (const Case& c : cases) {
        char name[13];
        MakeBmxFrameName(c.stored, 7, name);
        EXPECT_STREQ(c.name, name) << c.stored;
    }
}

TEST(BmxFile, ReadSingleDibReadsTheFirstFrameAndBitmapFiles)
{
    ScratchDir dir;
    FrameSequence sequence;
    FillSequence(sequence, 30, 10, 8, 3, FramePattern::Gradient);
    const std::string bmx = dir.File("single.bmx");
    ASSERT_EQ(RESULT_OK, SaveFrameSequenceFile(bmx.c_str(), sequence, 0x333));
    uint32_t offset = 0;
    HGLOBAL block = nullptr;
    ASSERT_EQ(RESULT_OK, ReadSingleDib(bmx.c_str(), &offset, &block));
    {
        GlobalLockGuard<BYTE> p(block);
        EXPECT_EQ(40u + 256 * 4 + 3 * 20, offset);
        const BITMAPINFOHEADER* h = DibHeader(p.get());
        EXPECT_EQ(0u, h->biCompression);
        const auto expected = DibRows(sequence.frames[0].dib);
        EXPECT_EQ(0, memcmp(p.get() + offset, expected.data(), expected.size()));
    }
    GlobalFree(block);

    // A bottom-up and a top-down BMP of the same picture, and a core-header one.
    const auto rows = DibRows(sequence.frames[0].dib);
    const uint32_t stride = DibStride(30, 8);
    for (int variant = 0; variant < 3; ++variant) {
        std::vector<uint8_t> file;
        const bool core = variant == 2;
        const uint32_t headerBytes = core ? 12 : 40, tableBytes = core ? 256 * 3 : 256 * 4;
        BITMAPFILEHEADER fh{BMP_MAGIC, 0, 0, 0, 14 + headerBytes + tableBytes};
        fh.bfSize = fh.bfOffBits + static_cast<DWORD>(rows.size());
        AppendBytes(file, fh);
        if (core) {
            BITMAPCOREHEADER ch{12, 30, 10, 1, 8};
            AppendBytes(file, ch);
            for (int i = 0; i < 256; ++i) AppendBytes(file, RGBTRIPLE{sequence.format.colors[i].rgbBlue,
                                                                     sequence.format.colors[i].rgbGreen,
                                                                     sequence.format.colors[i].rgbRed});
        } else {
            BITMAPINFOHEADER ih = Header(30, variant == 1 ? -10 : 10, 8);
            AppendBytes(file, ih);
            for (int i = 0; i < 256; ++i) AppendBytes(file, sequence.format.colors[i]);
        }
        for (int y = 0; y < 10; ++y) {
            const int source = variant == 1 ? 9 - y : y;
            file.insert(file.end(), rows.begin() + source * stride, rows.begin() + (source + 1) * stride);
        }
        const std::string path = dir.File("v" + std::to_string(variant) + ".bmp");
        WriteWholeFile(path, file);
        ASSERT_EQ(RESULT_OK, ReadSingleDib(path.c_str(), &offset, &block)) << variant;
        GlobalLockGuard<BYTE> p(block);
        EXPECT_EQ(10, DibHeader(p.get())->biHeight);
        EXPECT_EQ(0, memcmp(p.get() + offset, rows.data(), rows.size())) << variant;
        EXPECT_EQ(0, memcmp(DibColors(p.get()), sequence.format.colors, 256 * 4)) << variant;
        GlobalFree(block);
    }
    EXPECT_EQ(RESULT_NOT_FOUND, ReadSingleDib(dir.File("none.bmp").c_str(), &offset, &block));
    WriteWholeFile(dir.File("text.bmp"), {'h', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(RESULT_UNKNOWN_FORMAT, ReadSingleDib(dir.File("text.bmp").c_str(), &offset, &block));
    EXPECT_EQ(nullptr, block);
}

TEST(BmxFile, LongerFilesLoadTheirFirst255Frames)
{
    ScratchDir dir;
    // Built by hand: the writer itself never writes more than 255 frames.
    const int frames = 258, width = 8, height = 2;
    const uint32_t frameBytes = DibStride(width, 8) * height;
    std::vector<uint8_t> file;
    BmxFileHeader header{BMX_MAGIC, 40 + 1024 + 20 * frames + frameBytes, frames, 8, 0x80, 14 + 40 + 1024 + 20 * frames};
    AppendBytes(file, header);
    BITMAPINFOHEADER info = Header(width, height, 8);
    info.biClrUsed = 256;
    AppendBytes(file, info);
    file.resize(file.size() + 1024);
    for (int i = 0; i < frames; ++i) {
        BmxFrameEntry entry{frameBytes, "f", 0, 0, 0};
        AppendBytes(file, entry);
    }
    for (int i = 0; i < frames; ++i) file.insert(file.end(), frameBytes, static_cast<uint8_t>(i));
    const std::string path = dir.File("long.bmx");
    WriteWholeFile(path, file);
    FrameSequence loaded;
    ASSERT_EQ(RESULT_OK, LoadFrameSequenceFile(path.c_str(), &loaded));
    ASSERT_EQ(255u, loaded.frames.size());
    EXPECT_EQ(254, DibRows(loaded.frames[254].dib)[0]);
}

// ---- damaged and hostile files ----

TEST(BmxFileDamaged, CorruptHeadersDirectoriesAndCodesFailCleanly)
{
    ScratchDir dir;
    FrameSequence sequence;
    FillSequence(sequence, 40, 12, 8, 3, FramePattern::Stripes);
    const std::string path = dir.File("good.bmx");
    ASSERT_EQ(RESULT_OK, SaveFrameSequenceFile(path.c_str(), sequence, 0x333));
    const auto good = ReadWholeFile(path);
    const size_t infoAt = 14, directoryAt = 14 + 40 + 1024;

    auto loadBytes = [&](const std::vector<uint8_t>& bytes) {
        const std::string damaged = dir.File("damaged.bmx");
        WriteWholeFile(damaged, bytes);
        FrameSequence loaded;
        const int result = LoadFrameSequenceFile(damaged.c_str(), &loaded);
        uint32_t offset;
        HGLOBAL block = nullptr;
        const int single = ReadSingleDib(damaged.c_str(), &offset, &block);
        if (block) GlobalFree(block);
        return std::make_pair(result, single);
    };
    for (size_t length = 0; length < good.size(); length += (length < directoryAt + 80 ? 1 : 11)) {
        const auto r = loadBytes(std::vector<uint8_t>(good.begin(), good.begin() + length));
        EXPECT_NE(RESULT_OK, r.first) << "truncated at " << length;
    }
    auto put32 = [](std::vector<uint8_t>& b, size_t at, uint32_t v) { memcpy(b.data() + at, &v, 4); };
    auto put16 = [](std::vector<uint8_t>& b, size_t at, uint16_t v) { memcpy(b.data() + at, &v, 2); };
    struct Patch { const char* what; std::function<void(std::vector<uint8_t>&)> apply; };
    const Patch patches[] = {
        {"tiny buffer size", [&](auto& b) { put32(b, 2, 10); }},
        {"huge frame count", [&](auto& b) { put16(b, 6, 0xFFFF); }},
        {"depth 7", [&](auto& b) { b[8] = 7; }},
        {"bits offset past the end", [&](auto& b) { put32(b, 10, 0x7FFFFFF0); }},
        {"bits offset inside the header", [&](auto& b) { put32(b, 10, 20); }},
        {"width 0", [&](auto& b) { put32(b, infoAt + 4, 0); }},
        {"width 4096", [&](auto& b) { put32(b, infoAt + 4, 4096); }},
        {"negative height", [&](auto& b) { put32(b, infoAt + 8, 0xFFFFFFF0); }},
        {"colours 300", [&](auto& b) { put32(b, infoAt + 32, 300); }},
        {"header size 12", [&](auto& b) { put32(b, infoAt, 12); }},
        {"data size huge", [&](auto& b) { put32(b, directoryAt, 0x7FFFFFFF); }},
        {"name without NUL", [&](auto& b) { memset(b.data() + directoryAt + 4, 'x', 13); }},
        {"unknown compression", [&](auto& b) { b[directoryAt + 17] = 9; }},
        {"RLE4 on an 8-bit frame", [&](auto& b) { b[directoryAt + 17] = 2; }},
        {"row code with a broken length", [&](auto& b) { put16(b, 14 + 40 + 1024 + 60 + good[directoryAt] - 2, 0xFFF0); }},
    };
    for (const Patch& p : patches) {
        auto bytes = good;
        p.apply(bytes);
        const auto r = loadBytes(bytes);
        EXPECT_NE(RESULT_OK, r.first) << p.what;
        EXPECT_NE(0, r.first) << p.what;
    }
}
