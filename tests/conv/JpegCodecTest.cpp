// The JPEG reader and writer over ijl11.dll: the DIB's row layout both
// ways, the DIBs the writer refuses, paths too long for the record, and
// damaged files that fail without ending the process.
#include "JpegCodec.h"
#include "JpegLibrary.h"
#include "PackedDib.h"
#include "TestFiles.h"
#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Loaded {
    int result;
    GlobalBlock dib;
};

Loaded Read(const std::string& path)
{
    ConvImage image{};
    const int result = ReadJpeg(path.c_str(), &image);
    return {result, GlobalBlock(image.dib)};
}

// A 24-bit DIB whose top row is reddish and bottom row bluish; columns
// differ only in brightness (chroma halved across keeps them apart).
HGLOBAL TwoRowDib(int width, DWORD colorsUsed = 0)
{
    const uint32_t stride = DibStride(width, 24);
    const size_t size = sizeof(BITMAPINFOHEADER) + colorsUsed * sizeof(RGBQUAD) + stride * 2;
    HGLOBAL dib = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    GlobalLockGuard<BYTE> p(dib);
    auto* h = DibHeader(p.get());
    *h = {sizeof *h, width, 2, 1, 24, BI_RGB, 0, 0, 0, colorsUsed, 0};
    BYTE* rows = p.get() + sizeof *h + colorsUsed * sizeof(RGBQUAD);
    for (int x = 0; x < width; ++x) {
        BYTE* bottom = rows + 3 * x;           // DIB row 0: the bottom of the picture
        BYTE* top = rows + stride + 3 * x;
        bottom[0] = 220, bottom[1] = BYTE(40 + 10 * x), bottom[2] = 30;   // blue, green, red
        top[0] = 30, top[1] = BYTE(40 + 10 * x), top[2] = 220;
    }
    return dib;
}

TEST(JpegCodec, AThreeByTwoPictureKeepsItsRowsPaddingAndOrder)
{
    ScratchDir dir;
    const std::string path = dir.File("3x2.jpg");
    GlobalBlock dib(TwoRowDib(3));
    ASSERT_EQ(1, WriteJpeg(path.c_str(), dib.Get()));
    const std::vector<uint8_t> file = ReadWholeFile(path);
    ASSERT_GE(file.size(), 4u);
    EXPECT_EQ(0xFF, file[0]);
    EXPECT_EQ(0xD8, file[1]);
    Loaded l = Read(path);
    ASSERT_EQ(1, l.result);
    GlobalLockGuard<BYTE> p(l.dib.Get());
    const BITMAPINFOHEADER& h = *DibHeader(p.get());
    EXPECT_EQ(40u, h.biSize);
    EXPECT_EQ(3, h.biWidth);
    EXPECT_EQ(2, h.biHeight);
    EXPECT_EQ(24, h.biBitCount);
    EXPECT_EQ(0u, h.biClrUsed);
    EXPECT_EQ(0u, h.biSizeImage);
    EXPECT_GE(GlobalSize(l.dib.Get()), sizeof h + 12 * 2) << "header and two rows of 12 bytes";
    const BYTE* rows = DibBits(p.get());
    for (int row = 0; row < 2; ++row) {
        for (int pad = 9; pad < 12; ++pad) EXPECT_EQ(0, rows[12 * row + pad]) << "padding of row " << row;
        // DIB row 1 is the top of the picture: red there, blue below.
        const BYTE* first = rows + 12 * row;
        if (row == 1) {
            EXPECT_GT(first[2], first[0] + 100) << "top row is red";
        } else {
            EXPECT_GT(first[0], first[2] + 100) << "bottom row is blue";
        }
    }
}

TEST(JpegCodec, TheWriterTakesTheRowsBehindAnOptionalColourTable)
{
    ScratchDir dir;
    for (DWORD used : {0u, 5u}) {
        SCOPED_TRACE(used);
        const std::string path = dir.File("t.jpg");
        GlobalBlock dib(TwoRowDib(16, used));
        ASSERT_EQ(1, WriteJpeg(path.c_str(), dib.Get()));
        Loaded l = Read(path);
        ASSERT_EQ(1, l.result);
        GlobalLockGuard<BYTE> p(l.dib.Get());
        const BYTE* top = DibBits(p.get()) + DibStride(16, 24);
        EXPECT_NEAR(220, top[3 * 8 + 2], 30);
        EXPECT_NEAR(40 + 80, top[3 * 8 + 1], 30);
    }
}

TEST(JpegCodec, DibsThatAreNotPlain24BitAreRefused)
{
    ScratchDir dir;
    const std::string path = dir.File("r.jpg");
    GlobalBlock eight(MakePatternDib(8, 8, 8, FramePattern::Noise, 1));
    EXPECT_EQ(-4, WriteJpeg(path.c_str(), eight.Get()));
    GlobalBlock sixteen(MakePatternDib(8, 8, 16, FramePattern::Noise, 1));
    EXPECT_EQ(-4, WriteJpeg(path.c_str(), sixteen.Get()));
    GlobalBlock v4(TwoRowDib(4));
    {
        GlobalLockGuard<BITMAPINFOHEADER> h(v4.Get());
        h.get()->biCompression = BI_BITFIELDS;
    }
    EXPECT_EQ(-4, WriteJpeg(path.c_str(), v4.Get()));
    GlobalBlock zero(TwoRowDib(4));
    {
        GlobalLockGuard<BITMAPINFOHEADER> h(zero.Get());
        h.get()->biWidth = 0;
    }
    EXPECT_EQ(-4, WriteJpeg(path.c_str(), zero.Get()));
}

TEST(JpegCodec, PathsLongerThanTheRecordHoldsAreRefused)
{
    const std::string longPath = "C:\\" + std::string(MAX_PATH + 10, 'a') + ".jpg";
    GlobalBlock dib(TwoRowDib(4));
    EXPECT_EQ(-8, WriteJpeg(longPath.c_str(), dib.Get()));
    ConvImage image{};
    EXPECT_EQ(-3, ReadJpeg(longPath.c_str(), &image));
    EXPECT_EQ(nullptr, image.dib);
}

TEST(JpegCodec, DamagedFilesFailAndTheProcessGoesOn)
{
    ScratchDir dir;
    const std::string good = dir.File("good.jpg");
    GlobalBlock dib(MakePhotoLikeDib(64, 48, 3));
    ASSERT_EQ(1, WriteJpeg(good.c_str(), dib.Get()));
    const std::vector<uint8_t> file = ReadWholeFile(good);
    const std::string bad = dir.File("bad.jpg");

    std::vector<uint8_t> garbage = {0xFF, 0xD8};
    for (char c : std::string("no JPEG follows here")) garbage.push_back(uint8_t(c));
    ASSERT_TRUE(WriteWholeFile(bad, garbage));
    EXPECT_EQ(-3, Read(bad).result);
    ASSERT_TRUE(WriteWholeFile(bad, {'B', 'M', 0, 0}));
    EXPECT_EQ(-3, Read(bad).result);
    EXPECT_EQ(-3, Read(dir.File("missing.jpg")).result);
    // The image data end early: libjpeg would make up grey rows.
    ASSERT_TRUE(WriteWholeFile(bad, std::vector<uint8_t>(file.begin(), file.begin() + file.size() * 2 / 3)));
    EXPECT_EQ(-4, Read(bad).result);

    for (size_t length = 0; length < file.size(); length += 1 + length / 8) {
        ASSERT_TRUE(WriteWholeFile(bad, std::vector<uint8_t>(file.begin(), file.begin() + length)));
        Loaded l = Read(bad);
        EXPECT_LT(l.result, 0) << "cut at " << length;
        EXPECT_FALSE(l.dib);
    }
    uint32_t seed = 5;
    for (int round = 0; round < 80; ++round) {
        std::vector<uint8_t> broken = file;
        for (int k = 0; k < 6; ++k) {
            seed = seed * 1664525 + 1013904223;
            broken[2 + seed % (broken.size() - 2)] = uint8_t(seed >> 24);
        }
        ASSERT_TRUE(WriteWholeFile(bad, broken));
        Loaded l = Read(bad);
        EXPECT_TRUE(l.result == 1 || l.result < 0);
        EXPECT_EQ(l.result == 1, bool(l.dib));
    }
}

TEST(JpegLibrary, TheLibraryChecksItsRecordAndSubsamplingChoices)
{
    ScratchDir dir;
    const std::string path = dir.File("lib.jpg");
    std::vector<BYTE> pixels(8 * 4 * 3, 128);
    JpegProperties* p = static_cast<JpegProperties*>(calloc(1, sizeof(JpegProperties)));
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(JPEG_LIB_BAD_ARGUMENT, JpegLibRead(p, JPEG_READ_PARAMETERS)) << "not initialised";
    ASSERT_EQ(JPEG_LIB_OK, JpegLibInit(p));
    EXPECT_EQ(3, p->pixelChannels);
    p->fileName = path.c_str();
    p->pixels = pixels.data();
    p->pixelWidth = p->imageWidth = 8;
    p->pixelHeight = p->imageHeight = 4;
    for (int sampling : {0, 2}) {
        p->subsampling = sampling;
        p->quality = 90;
        EXPECT_EQ(JPEG_LIB_OK, JpegLibWrite(p, JPEG_WRITE_IMAGE));
        p->imageWidth = 0;
        EXPECT_EQ(JPEG_LIB_OK, JpegLibRead(p, JPEG_READ_PARAMETERS));
        EXPECT_EQ(8, p->imageWidth);
        EXPECT_EQ(4, p->imageHeight);
    }
    p->subsampling = 1;
    EXPECT_NE(JPEG_LIB_OK, JpegLibWrite(p, JPEG_WRITE_IMAGE));
    p->subsampling = 2;
    p->quality = 0;
    EXPECT_NE(JPEG_LIB_OK, JpegLibWrite(p, JPEG_WRITE_IMAGE));
    p->quality = 100;
    EXPECT_NE(JPEG_LIB_OK, JpegLibWrite(p, 7)) << "mode 8 only";
    // A buffer of another size than the image's is not filled.
    p->pixelWidth = 4;
    EXPECT_NE(JPEG_LIB_OK, JpegLibRead(p, JPEG_READ_IMAGE));
    EXPECT_EQ(JPEG_LIB_OK, JpegLibFree(p));
    EXPECT_NE(JPEG_LIB_OK, JpegLibFree(p)) << "released once";
    free(p);
}

}  // namespace
