// The wrapper's AVI files: uncompressed frames written and read back with
// their information, frames at gaps, drawing, the compressors chosen by
// default and through the chooser, and handles and files that must be refused.
#include "DialogTestHooks.h"
#include "TestFiles.h"
#include "VfwTestSupport.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>

namespace {

class AviFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Vfw().complete) << "ZelvoVfw32.dll or one of its exports is missing"; }
    const VfwLibrary& vfw = Vfw();
    ScratchDir scratch;
};

std::vector<TestFrame> MakeFrames(int count, int width, int height, int bits)
{
    std::vector<TestFrame> frames;
    for (int i = 0; i < count; ++i) frames.push_back(MakeTestFrame(width, height, bits, 100 + i));
    return frames;
}

AviFrameWrite FrameWrite(const TestFrame& frame, int position)
{
    return {position, 1, const_cast<BYTE*>(frame.bits.data()), static_cast<int32_t>(frame.bits.size()), nullptr};
}

uint32_t ReadU32(const std::vector<uint8_t>& bytes, size_t at)
{
    uint32_t value = 0;
    std::memcpy(&value, &bytes.at(at + 3) - 3, sizeof value);
    return value;
}

std::string FourCc(uint32_t code)
{
    std::string text(reinterpret_cast<const char*>(&code), 4);
    std::transform(text.begin(), text.end(), text.begin(), [](char c) { return static_cast<char>(tolower(c)); });
    return text;
}

TEST_F(AviFile, UncompressedFramesReadBackWithTheirInformation)
{
    struct Case {
        int width, height, bits, framesPerSec;
    } cases[] = {{33, 17, 8, 12}, {40, 30, 24, 25}, {21, 9, 4, 1}, {16, 16, 32, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits) + " bits");
        const std::string path = scratch.File("frames" + std::to_string(c.bits) + ".avi");
        const std::vector<TestFrame> frames = MakeFrames(6, c.width, c.height, c.bits);
        ASSERT_TRUE(WriteUncompressedAvi(path, frames, c.framesPerSec));

        HAVIFILE avi = vfw.OpenAviFile(path.c_str());
        ASSERT_NE(avi, nullptr);
        AviInfo info;
        std::memset(&info, 0x55, sizeof info);
        ASSERT_TRUE(vfw.GetAviFileInfo(avi, &info));
        EXPECT_EQ(info.frames, 6);
        EXPECT_EQ(info.width, c.width);
        EXPECT_EQ(info.height, c.height);
        EXPECT_EQ(info.framesPerSec, c.framesPerSec);
        EXPECT_LT(std::strlen(info.fileType), sizeof info.fileType);
        for (int i = 0; i < 6; ++i) EXPECT_EQ(CompareFrame(vfw.GetAviFrame(avi, i), frames[i]), "") << "frame " << i;
        EXPECT_EQ(vfw.GetAviFrame(avi, 6), nullptr);
        EXPECT_EQ(vfw.GetAviFrame(avi, -1), nullptr);
        EXPECT_TRUE(vfw.CloseAviFile(avi));
    }
}

// The image library creates its files with the frame format at hand: the
// stream's frame rectangle comes from that header.
TEST_F(AviFile, AFileCreatedWithItsFrameFormatTakesTheFrameSizeFromIt)
{
    const std::string path = scratch.File("with header.avi");
    const TestFrame frame = MakeTestFrame(24, 10, 8, 7);
    VideoParameters parameters{12, static_cast<uint32_t>(frame.bits.size()), 0, 0, 0};
    HAVIFILE avi = vfw.CreateAviFile(path.c_str(), &parameters, frame.Header());
    ASSERT_NE(avi, nullptr);
    ASSERT_TRUE(vfw.InitAviStreamWrite(avi, frame.Header(), frame.FormatSize(), FALSE));
    AviFrameWrite write = FrameWrite(frame, 0);
    ASSERT_TRUE(vfw.WriteAviFrame(avi, &write));
    ASSERT_TRUE(vfw.CloseAviFile(avi));

    const std::vector<uint8_t> header = RiffChunkData(ReadWholeFile(path), "strh");
    ASSERT_GE(header.size(), 56u);
    int16_t frameRect[4];
    std::memcpy(frameRect, &header[48], sizeof frameRect);
    EXPECT_EQ(frameRect[2], 24);
    EXPECT_EQ(frameRect[3], 10);
    EXPECT_EQ(ReadU32(header, 20), 1u);   // scale
    EXPECT_EQ(ReadU32(header, 24), 12u);  // rate
    HAVIFILE reader = vfw.OpenAviFile(path.c_str());
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(CompareFrame(vfw.GetAviFrame(reader, 0), frame), "");
    vfw.CloseAviFile(reader);
}

// Storing every third step: the file lasts up to the last frame written and
// the steps between show the frame before them.
TEST_F(AviFile, FramesWrittenAtLaterPositionsMakeTheFileLastUpToThem)
{
    const std::string path = scratch.File("every third.avi");
    const std::vector<TestFrame> frames = MakeFrames(4, 20, 12, 8);
    VideoParameters parameters{10, static_cast<uint32_t>(frames[0].bits.size()), 20, 12, 0};
    HAVIFILE avi = vfw.CreateAviFile(path.c_str(), &parameters, nullptr);
    ASSERT_NE(avi, nullptr);
    ASSERT_TRUE(vfw.InitAviStreamWrite(avi, frames[0].Header(), frames[0].FormatSize(), FALSE));
    for (int i = 0; i < 4; ++i) {
        AviFrameWrite write = FrameWrite(frames[i], i * 3);
        ASSERT_TRUE(vfw.WriteAviFrame(avi, &write));
    }
    ASSERT_TRUE(vfw.CloseAviFile(avi));

    HAVIFILE reader = vfw.OpenAviFile(path.c_str());
    ASSERT_NE(reader, nullptr);
    AviInfo info{};
    ASSERT_TRUE(vfw.GetAviFileInfo(reader, &info));
    EXPECT_EQ(info.frames, 10);
    for (int step = 0; step < 10; ++step)
        EXPECT_EQ(CompareFrame(vfw.GetAviFrame(reader, step), frames[step / 3]), "") << "step " << step;
    vfw.CloseAviFile(reader);
}

// A 32-bit top-down DIB section as a drawing target, filled with one value.
struct DrawTarget {
    DrawTarget(int width, int height) : width(width), height(height)
    {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels), nullptr, 0);
        old = SelectObject(dc, bitmap);
        std::fill(pixels, pixels + width * height, 0x00123456u);
    }
    ~DrawTarget()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    uint32_t At(int x, int y) const
    {
        GdiFlush();
        return pixels[y * width + x] & 0xFFFFFF;
    }
    int width, height;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    uint32_t* pixels = nullptr;
};

// The colour of a pixel of a bottom-up test frame as 0xRRGGBB.
uint32_t FramePixel(const TestFrame& frame, int x, int y)
{
    const BITMAPINFOHEADER* h = frame.Header();
    const size_t stride = ((h->biWidth * h->biBitCount + 31) / 32) * 4;
    const BYTE* row = frame.bits.data() + (h->biHeight - 1 - y) * stride;
    if (h->biBitCount == 24) return row[x * 3] | row[x * 3 + 1] << 8 | row[x * 3 + 2] << 16;
    const RGBQUAD& c = reinterpret_cast<const RGBQUAD*>(frame.format.data() + h->biSize)[row[x]];
    return c.rgbBlue | c.rgbGreen << 8 | c.rgbRed << 16;
}

TEST_F(AviFile, DrawAviFrameDrawsTheFrameIntoTheRectangle)
{
    for (int bits : {24, 8}) {
        SCOPED_TRACE(std::to_string(bits) + " bits");
        const std::string path = scratch.File("draw" + std::to_string(bits) + ".avi");
        const std::vector<TestFrame> frames = MakeFrames(3, 16, 12, bits);
        ASSERT_TRUE(WriteUncompressedAvi(path, frames, 10));
        HAVIFILE avi = vfw.OpenAviFile(path.c_str());
        ASSERT_NE(avi, nullptr);

        DrawTarget target(40, 30);
        ASSERT_TRUE(vfw.DrawAviFrame(avi, 2, target.dc, 5, 7, 16, 12, FALSE));
        int wrong = 0;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 16; ++x) wrong += target.At(5 + x, 7 + y) != FramePixel(frames[2], x, y);
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(target.At(4, 7), 0x123456u);
        EXPECT_EQ(target.At(21, 18), 0x123456u);
        EXPECT_EQ(target.At(5, 6), 0x123456u);
        EXPECT_EQ(target.At(5, 19), 0x123456u);

        // Stretched and halftoned into another place: drawn there, not here.
        DrawTarget halftoned(40, 30);
        ASSERT_TRUE(vfw.DrawAviFrame(avi, 0, halftoned.dc, 0, 0, 32, 24, TRUE));
        EXPECT_NE(halftoned.At(0, 0), 0x123456u);
        EXPECT_EQ(halftoned.At(35, 27), 0x123456u);

        EXPECT_FALSE(vfw.DrawAviFrame(avi, 3, target.dc, 0, 0, 16, 12, FALSE));
        EXPECT_FALSE(vfw.DrawAviFrame(avi, 0, nullptr, 0, 0, 16, 12, FALSE));
        vfw.CloseAviFile(avi);
    }
}

// Without a frame format, palette frames go to run-length coding; with a
// format or true colour, to video 1. A platform whose codec cannot compress
// (Wine's run-length coder refuses key frames, its video 1 cannot compress
// at all) fails the stream set-up instead; the handle is then good only for
// closing.
TEST_F(AviFile, CompressedStreamsUseTheDefaultCompressorOrFailCleanly)
{
    struct Case {
        const char* what;
        bool withFormat;
        uint16_t trueColour;
        int bits;
        std::vector<std::string> handlers;
    } cases[] = {
        {"palette frames", false, 0, 8, {"mrle"}},
        {"true-colour frames", false, 1, 24, {"msvc", "cram"}},
        {"a frame format given", true, 0, 8, {"msvc", "cram"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = scratch.File(std::string(c.what) + ".avi");
        const std::vector<TestFrame> frames = MakeFrames(3, 32, 16, c.bits);
        VideoParameters parameters{8, static_cast<uint32_t>(frames[0].bits.size()), 32, 16, c.trueColour};
        HAVIFILE avi = vfw.CreateAviFile(path.c_str(), &parameters, c.withFormat ? frames[0].Header() : nullptr);
        ASSERT_NE(avi, nullptr);
        if (!vfw.InitAviStreamWrite(avi, frames[0].Header(), frames[0].FormatSize(), TRUE)) {
            AviFrameWrite write = FrameWrite(frames[0], 0);
            EXPECT_FALSE(vfw.WriteAviFrame(avi, &write));
            EXPECT_FALSE(vfw.SetVideoParameters(avi, &parameters, VIDEO_PARAM_RATE));
            EXPECT_TRUE(vfw.CloseAviFile(avi));
            continue;
        }
        for (int i = 0; i < 3; ++i) {
            AviFrameWrite write = FrameWrite(frames[i], i);
            EXPECT_TRUE(vfw.WriteAviFrame(avi, &write));
        }
        ASSERT_TRUE(vfw.CloseAviFile(avi));
        const std::vector<uint8_t> header = RiffChunkData(ReadWholeFile(path), "strh");
        ASSERT_GE(header.size(), 8u);
        const std::string handler = FourCc(ReadU32(header, 4));
        EXPECT_NE(std::find(c.handlers.begin(), c.handlers.end(), handler), c.handlers.end()) << handler;
        HAVIFILE reader = vfw.OpenAviFile(path.c_str());
        ASSERT_NE(reader, nullptr);
        EXPECT_NE(vfw.GetAviFrame(reader, 2), nullptr);
        vfw.CloseAviFile(reader);
    }
}

TEST_F(AviFile, TheCompressorChosenInTheChooserCompressesTheStream)
{
    HWND parent = CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const std::vector<TestFrame> frames = MakeFrames(3, 32, 16, 8);
    VideoParameters parameters{8, static_cast<uint32_t>(frames[0].bits.size()), 32, 16, 0};
    {
        SCOPED_TRACE("cancelled");
        HAVIFILE avi = vfw.CreateAviFile(scratch.File("cancelled.avi").c_str(), &parameters, nullptr);
        ASSERT_NE(avi, nullptr);
        DialogAutoAnswer answer(DialogAutoAnswer::PressButton(IDCANCEL));
        EXPECT_FALSE(vfw.ShowCompressOptionsDlg(avi, parent));
        ASSERT_EQ(answer.Dialogs().size(), 1u);
        EXPECT_EQ(answer.Dialogs()[0].owner, parent);
        vfw.CloseAviFile(avi);
    }
    {
        SCOPED_TRACE("full frames chosen");
        const std::string path = scratch.File("chosen.avi");
        HAVIFILE avi = vfw.CreateAviFile(path.c_str(), &parameters, nullptr);
        ASSERT_NE(avi, nullptr);
        {
            DialogAutoAnswer answer([](HWND chooser) { ChooseCompressorIn(chooser, "Uncompressed"); });
            ASSERT_TRUE(vfw.ShowCompressOptionsDlg(avi, parent));
        }
        ASSERT_TRUE(vfw.InitAviStreamWrite(avi, frames[0].Header(), frames[0].FormatSize(), TRUE));
        for (int i = 0; i < 3; ++i) {
            AviFrameWrite write = FrameWrite(frames[i], i);
            EXPECT_TRUE(vfw.WriteAviFrame(avi, &write));
        }
        ASSERT_TRUE(vfw.CloseAviFile(avi));
        const std::vector<uint8_t> format = RiffChunkData(ReadWholeFile(path), "strf");
        ASSERT_GE(format.size(), sizeof(BITMAPINFOHEADER));
        EXPECT_EQ(ReadU32(format, 16), static_cast<uint32_t>(BI_RGB));
        HAVIFILE reader = vfw.OpenAviFile(path.c_str());
        ASSERT_NE(reader, nullptr);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(CompareFrame(vfw.GetAviFrame(reader, i), frames[i]), "");
        vfw.CloseAviFile(reader);
    }
    DestroyWindow(parent);
}

// Damaged and foreign files: refused when nothing can be read, otherwise read
// as far as they go, never a crash.
TEST_F(AviFile, DamagedFilesAreRefusedOrReadAsFarAsTheyGo)
{
    const std::string good = scratch.File("good.avi");
    ASSERT_TRUE(WriteUncompressedAvi(good, MakeFrames(5, 16, 8, 8), 5));
    const std::vector<uint8_t> bytes = ReadWholeFile(good);
    TestRandom random(7);
    std::vector<uint8_t> noise(4000);
    for (uint8_t& b : noise) b = static_cast<uint8_t>(random.Next());
    std::vector<uint8_t> scrambled = bytes;
    for (size_t i = 300; i < scrambled.size(); i += 3) scrambled[i] = static_cast<uint8_t>(random.Next());
    std::vector<uint8_t> bigCounts = bytes;
    for (const RiffChunk& chunk : RiffChunks(bytes)) {
        uint32_t huge = 0x7FFFFFF0;
        if (chunk.id == "avih") std::memcpy(&bigCounts[chunk.offset + 16], &huge, 4);
        if (chunk.id == "strh") std::memcpy(&bigCounts[chunk.offset + 32], &huge, 4);
    }
    struct Case {
        const char* what;
        std::vector<uint8_t> content;
        bool mustBeRefused;
    } cases[] = {
        {"an empty file", {}, true},
        {"noise", noise, true},
        {"only the first 100 bytes", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 100), true},
        {"a wave file", WaveFileBytes(1, 8, 8000, std::vector<uint8_t>(800, 0x80)), true},
        {"half of the file", std::vector<uint8_t>(bytes.begin(), bytes.begin() + bytes.size() / 2), false},
        {"scrambled after the headers", scrambled, false},
        {"huge frame counts", bigCounts, false},
    };
    EXPECT_EQ(vfw.OpenAviFile(scratch.File("missing.avi").c_str()), nullptr);
    EXPECT_EQ(vfw.OpenAviFile(nullptr), nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = scratch.File(std::string(c.what) + ".avi");
        ASSERT_TRUE(WriteWholeFile(path, c.content));
        HAVIFILE avi = vfw.OpenAviFile(path.c_str());
        if (c.mustBeRefused) {
            EXPECT_EQ(avi, nullptr);
            if (avi) vfw.CloseAviFile(avi);
            continue;
        }
        if (!avi) continue;
        AviInfo info{};
        EXPECT_TRUE(vfw.GetAviFileInfo(avi, &info));
        for (int i = 0; i < 8; ++i) {
            const BITMAPINFOHEADER* frame = vfw.GetAviFrame(avi, i);
            if (frame) {
                EXPECT_EQ(frame->biWidth, 16);
            }
        }
        EXPECT_TRUE(vfw.CloseAviFile(avi));
    }
}

// Each handle goes only where it belongs: null handles, wave handles, other
// blocks, and AVI handles of the other mode are refused without effect.
TEST_F(AviFile, HandlesOfAnotherKindOrModeAreRefused)
{
    const std::string path = scratch.File("read.avi");
    const std::vector<TestFrame> frames = MakeFrames(2, 16, 8, 8);
    ASSERT_TRUE(WriteUncompressedAvi(path, frames, 5));
    const std::string wavePath = scratch.File("sound.wav");
    ASSERT_TRUE(WriteWholeFile(wavePath, WaveFileBytes(1, 8, 8000, std::vector<uint8_t>(100, 0x80))));

    HAVIFILE reader = vfw.OpenAviFile(path.c_str());
    VideoParameters parameters{5, 128, 16, 8, 0};
    HAVIFILE writer = vfw.CreateAviFile(scratch.File("written.avi").c_str(), &parameters, nullptr);
    HWAVEFILE wave = vfw.OpenWaveFile(wavePath.c_str(), 5, nullptr, nullptr);
    HGLOBAL other = GlobalAlloc(GHND, 64);
    ASSERT_TRUE(reader && writer && wave && other);
    DialogAutoAnswer noDialogExpected;

    AviInfo info{};
    AviFrameWrite write = FrameWrite(frames[0], 0);
    SoundFormat sound{1, 8, 8000, 5, 0, 0};
    uint8_t samples[16] = {};
    DrawTarget target(16, 8);
    for (HAVIFILE notForReading : {HAVIFILE{}, writer, HAVIFILE(wave), other}) {
        EXPECT_FALSE(vfw.GetAviFileInfo(notForReading, &info));
        EXPECT_EQ(vfw.GetAviFrame(notForReading, 0), nullptr);
        EXPECT_FALSE(vfw.DrawAviFrame(notForReading, 0, target.dc, 0, 0, 16, 8, FALSE));
    }
    for (HAVIFILE notForWriting : {HAVIFILE{}, reader, HAVIFILE(wave), other}) {
        EXPECT_FALSE(vfw.SetVideoParameters(notForWriting, &parameters, VIDEO_PARAM_RATE));
        EXPECT_FALSE(vfw.ShowCompressOptionsDlg(notForWriting, nullptr));
        EXPECT_FALSE(vfw.InitAviStreamWrite(notForWriting, frames[0].Header(), frames[0].FormatSize(), FALSE));
        EXPECT_FALSE(vfw.WriteAviFrame(notForWriting, &write));
        EXPECT_FALSE(vfw.MergeSoundFile(notForWriting, wavePath.c_str(), 2, 5));
        EXPECT_FALSE(vfw.AddSoundStream(notForWriting, &sound));
        EXPECT_EQ(vfw.GetSoundSamplesRequired(notForWriting, nullptr), 0);
        EXPECT_FALSE(vfw.AddSoundSamples(notForWriting, 16, samples, &sound));
    }
    for (HWAVEFILE notAWave : {HWAVEFILE{}, HWAVEFILE(reader), HWAVEFILE(writer), other}) {
        EXPECT_EQ(vfw.ReadWaveSamples(notAWave, 16, FALSE, samples, sizeof samples), 0);
        EXPECT_FALSE(vfw.CloseWaveFile(notAWave));
    }
    EXPECT_FALSE(vfw.CloseAviFile(nullptr));
    EXPECT_FALSE(vfw.CloseAviFile(HAVIFILE(wave)));
    EXPECT_FALSE(vfw.CloseAviFile(other));
    EXPECT_TRUE(noDialogExpected.Dialogs().empty());

    // The handles still work after all that.
    EXPECT_TRUE(vfw.GetAviFileInfo(reader, &info));
    EXPECT_EQ(info.frames, 2);
    EXPECT_EQ(vfw.ReadWaveSamples(wave, 16, FALSE, samples, sizeof samples), 16);
    EXPECT_TRUE(vfw.InitAviStreamWrite(writer, frames[0].Header(), frames[0].FormatSize(), FALSE));
    EXPECT_TRUE(vfw.WriteAviFrame(writer, &write));
    EXPECT_TRUE(vfw.CloseAviFile(reader));
    EXPECT_TRUE(vfw.CloseAviFile(writer));
    EXPECT_TRUE(vfw.CloseWaveFile(wave));
    GlobalFree(other);
}

// A failed stream set-up closes the file but keeps the handle for the
// caller's CloseAviFile; bad arguments leave the handle as it was.
TEST_F(AviFile, AFailedStreamSetUpLeavesAHandleOnlyForClosing)
{
    const std::vector<TestFrame> frames = MakeFrames(1, 16, 8, 8);
    VideoParameters noRate{0, 128, 16, 8, 0};
    const std::string path = scratch.File("no rate.avi");
    HAVIFILE avi = vfw.CreateAviFile(path.c_str(), &noRate, nullptr);
    ASSERT_NE(avi, nullptr);
    EXPECT_FALSE(vfw.InitAviStreamWrite(avi, nullptr, 40, FALSE));
    EXPECT_FALSE(vfw.InitAviStreamWrite(avi, frames[0].Header(), 20, FALSE));
    EXPECT_TRUE(vfw.SetVideoParameters(avi, &noRate, VIDEO_PARAM_RATE));
    EXPECT_FALSE(vfw.InitAviStreamWrite(avi, frames[0].Header(), frames[0].FormatSize(), FALSE));
    AviFrameWrite write = FrameWrite(frames[0], 0);
    EXPECT_FALSE(vfw.WriteAviFrame(avi, &write));
    EXPECT_FALSE(vfw.InitAviStreamWrite(avi, frames[0].Header(), frames[0].FormatSize(), FALSE));
    EXPECT_TRUE(vfw.CloseAviFile(avi));
    // The file was let go: it can be deleted.
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

}  // namespace
