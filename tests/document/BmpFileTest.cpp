// Single frames as bitmap files: the layout other programs read, and the
// frame-sequence file's reader of single images reading them back.
#include "BmpFile.h"
#include "BmxFile.h"
#include "PackedDib.h"
#include "ResultCodes.h"
#include "TestFiles.h"
#include <gtest/gtest.h>

namespace {

struct Written {
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
    std::vector<uint8_t> bytes;
};

Written WriteAndRead(const std::string& path, HGLOBAL dib, uint32_t setting)
{
    Written w{};
    EXPECT_EQ(WriteBmpFile(path.c_str(), dib, setting), RESULT_OK);
    w.bytes = ReadWholeFile(path);
    memcpy(&w.file, w.bytes.data(), sizeof w.file);
    memcpy(&w.info, w.bytes.data() + sizeof w.file, sizeof w.info);
    return w;
}

std::vector<uint8_t> RowsReadBack(const std::string& path)
{
    uint32_t offset = 0;
    HGLOBAL block = nullptr;
    EXPECT_EQ(ReadSingleDib(path.c_str(), &offset, &block), RESULT_OK);
    if (!block) return {};
    std::vector<uint8_t> rows = DibRows(block);
    GlobalFree(block);
    return rows;
}

TEST(BmpFile, DepthsAndCompressionChoicesAsTheFileStoresThem)
{
    ScratchDir dir;
    struct Case {
        int bits;
        FramePattern pattern;
        uint32_t setting;
        DWORD compression;
        uint32_t tableBytes;
    };
    const Case cases[] = {
        {16, FramePattern::Noise, 0x222, BI_BITFIELDS, 12},      // the 5-5-5 masks after the header
        {24, FramePattern::Gradient, 0x333, BI_RGB, 0},
        {8, FramePattern::Stripes, 0x222, BI_RLE8, 256 * 4},     // the own BI_RLE8 encoder
        {4, FramePattern::Flat, 0x020, BI_RLE4, 16 * 4},
        {1, FramePattern::Stripes, 0x002, BI_RGB, 2 * 4},        // never the sequence file's own code
        {8, FramePattern::Noise, 0x000, BI_RGB, 256 * 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        GlobalBlock dib(MakePatternDib(33, 17, c.bits, c.pattern, 5));
        const std::string path = dir.File("frame.bmp");
        const Written w = WriteAndRead(path, dib.Get(), c.setting);
        EXPECT_EQ(w.file.bfType, 0x4D42);
        EXPECT_EQ(w.file.bfSize, w.bytes.size());
        EXPECT_EQ(w.file.bfOffBits, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + c.tableBytes);
        EXPECT_EQ(w.info.biCompression, c.compression);
        EXPECT_EQ(w.info.biClrUsed, c.bits <= 8 ? 1u << c.bits : 0u);
        EXPECT_EQ(w.file.bfOffBits + w.info.biSizeImage, w.bytes.size());
        if (c.bits == 16) {
            DWORD masks[3];
            memcpy(masks, w.bytes.data() + sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER), sizeof masks);
            EXPECT_EQ(masks[0], 0x7C00u);
            EXPECT_EQ(masks[1], 0x03E0u);
            EXPECT_EQ(masks[2], 0x001Fu);
        }
        EXPECT_EQ(RowsReadBack(path), DibRows(dib.Get()));
    }
}

TEST(BmpFile, AFailedWriteKeepsTheFileThatWasThere)
{
    ScratchDir dir;
    const std::string path = dir.File("keep.bmp");
    ASSERT_TRUE(WriteWholeFile(path, {1, 2, 3}));
    GlobalBlock bad(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 64));  // no frame in it
    EXPECT_EQ(WriteBmpFile(path.c_str(), bad.Get(), 0), RESULT_UNKNOWN_FORMAT);
    GlobalBlock dib(MakePatternDib(8, 8, 8, FramePattern::Flat, 1));
    EXPECT_EQ(WriteBmpFile(dir.File("no such folder\\x.bmp").c_str(), dib.Get(), 0), RESULT_CREATE_ERROR);
    EXPECT_EQ(ReadWholeFile(path), (std::vector<uint8_t>{1, 2, 3}));
}

}  // namespace
