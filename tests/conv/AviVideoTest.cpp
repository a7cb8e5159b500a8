// AVI import and export under Wine through the library's exports with a
// stand-in editor and the real Video-for-Windows wrapper: "AVI Import" with
// its statics, selections and the frames it adds (against ffmpeg's raw
// decoding of the same file), "AVI Export" with delays, times, positions,
// the last frame repeated, a skipped frame and Cancel, and the box shown
// without the wrapper. Fixtures are made by ffmpeg at build time.
#include "AviVideo.h"
#include "ConvResource.h"
#include "ConvTestSupport.h"
#include "CursorHost.h"
#include "DialogHook.h"
#include "PackedDib.h"
#include "ReelStrip.h"
#include "TestFiles.h"
#include "ZelvoVfw32.h"
#include <gtest/gtest.h>
#include <cstring>
#include <functional>
#include <map>

namespace {

std::string Fixture(const char* name)
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    strcpy(strrchr(path, '\\') + 1, name);
    return path;
}

// An ffmpeg-made clip and ffmpeg's raw decoding of it (bgr24 rows top-down).
struct Clip {
    const char* video;
    const char* raw;
    int width, height, frames;
};
// testsrc: a few of its 64 frames repeat (frame 63 shows frame 3).
constexpr Clip TEST_CLIP = {"clip.avi", "clip.bgr", 16, 12, 64};
// Twelve frames, each in colours of its own.
constexpr Clip COLOUR_CLIP = {"colours.avi", "colours.bgr", 8, 6, 12};
constexpr int FIXTURE_WIDTH = TEST_CLIP.width, FIXTURE_HEIGHT = TEST_CLIP.height, FIXTURE_FRAMES = TEST_CLIP.frames;

// Frame `index` of ffmpeg's raw decoding.
std::vector<uint8_t> RawFrame(const Clip& clip, int index)
{
    const std::vector<uint8_t> all = ReadWholeFile(Fixture(clip.raw));
    const size_t size = size_t(clip.width) * clip.height * 3;
    if (all.size() < size * (index + 1)) return {};
    return std::vector<uint8_t>(all.begin() + size * index, all.begin() + size * (index + 1));
}

// A 24-bit packed DIB's rows top-down without padding.
std::vector<uint8_t> TopDownRows(const BYTE* constPacked)
{
    BYTE* packed = const_cast<BYTE*>(constPacked);  // only read
    const BITMAPINFOHEADER* h = DibHeader(packed);
    std::vector<uint8_t> out;
    if (h->biBitCount != 24) return out;
    const uint32_t stride = DibStride(h->biWidth, 24);
    const BYTE* rows = DibBits(packed);
    for (int y = h->biHeight - 1; y >= 0; --y) out.insert(out.end(), rows + y * stride, rows + y * stride + h->biWidth * 3);
    return out;
}

std::vector<uint8_t> TopDownRows(HGLOBAL dib)
{
    GlobalLockGuard<BYTE> p(dib);
    return TopDownRows(p.get());
}

// Whether a frame's rows are frame `index` of the clip as ffmpeg decodes it.
bool ShowsFrame(const Clip& clip, const std::vector<uint8_t>& rows, int index)
{
    return !rows.empty() && rows == RawFrame(clip, index);
}

// "AVI Select Frames" answered with start 3, count 4, step 2.
bool AnsweredSelectFrames(HWND dialog, const std::string& caption)
{
    if (caption != "AVI Select Frames") return false;
    SetDlgItemTextA(dialog, IDC_AVI_SELECT_FROM, "3");
    SetDlgItemTextA(dialog, IDC_AVI_SELECT_COUNT, "4");
    SetDlgItemTextA(dialog, IDC_AVI_SELECT_STEP, "2");
    Press(dialog, IDOK);
    return true;
}

int Import(const std::string& path, int frameCount = 0)
{
    BYTE code = 0;
    return Conv().LoadConvImage(nullptr, path.c_str(), nullptr, &code, frameCount, CursorHost::Proc);
}

}  // namespace

TEST(AviPieces, SelectionsTextsFlagsAndTimes)
{
    EXPECT_EQ((std::vector<int>{2, 4, 6, 8}), FramesToSelect(3, 4, 2, 64));
    EXPECT_EQ((std::vector<int>{9, 11}), FramesToSelect(10, 5, 2, 12)) << "only frames that exist";
    EXPECT_TRUE(FramesToSelect(20, 3, 1, 12).empty());
    EXPECT_EQ("3,5,7,9", SelectionText({2, 4, 6, 8}));
    std::vector<int> sixty;
    for (int i = 0; i < 60; ++i) sixty.push_back(i);
    const std::string longText = SelectionText(sixty);
    EXPECT_GE(longText.size(), 120u);
    EXPECT_LT(longText.size(), 124u) << "appended while shorter than 120";
    EXPECT_EQ("1.....60", ShortSelectionText(sixty));
    EXPECT_EQ(CONV_ADD_FIXED_COLOR_MODE | CONV_ADD_STRETCH | CONV_ADD_DITHER, AviImportFlags(true, true, true));
    EXPECT_EQ(CONV_ADD_NO_DITHER, AviImportFlags(false, false, false));
    EXPECT_EQ("0.50s", AviSeconds(6, 12));
    EXPECT_EQ("0.00s", AviSeconds(0, 12));
    EXPECT_EQ("2.40s", AviSeconds(60, 25));
    EXPECT_EQ(12, AviRateOf(30, true));
    EXPECT_EQ(12, AviRateOf(0, true));
    EXPECT_EQ(12, AviRateOf(5, false));
    EXPECT_EQ(25, AviRateOf(25, true));
}

TEST(AviImport, SelectFramesThreeFourTwoAddsFramesThreeFiveSevenNine)
{
    ASSERT_TRUE(Conv().complete);
    CursorHost host;
    std::map<std::string, std::string> seen;
    bool paletteEnabled = false, stretchEnabled = true, stretchChecked = true, dither = false, okBefore = true;
    OnDialog on([&](HWND dialog, const std::string& caption) {
        if (AnsweredSelectFrames(dialog, caption)) return;
        if (caption != "AVI Import") return;
        seen["total"] = Text(dialog, IDC_AVI_TOTAL_FRAMES);
        seen["size"] = Text(dialog, IDC_AVI_FRAME_SIZE);
        seen["rate"] = Text(dialog, IDC_AVI_RATE);
        seen["frame"] = Text(dialog, IDC_AVI_FRAME);
        paletteEnabled = Enabled(dialog, IDC_AVI_PALETTE);
        stretchEnabled = Enabled(dialog, IDC_AVI_STRETCH);
        stretchChecked = Checked(dialog, IDC_AVI_STRETCH);
        dither = Checked(dialog, IDC_AVI_DITHER);
        okBefore = Enabled(dialog, IDOK);
        Click(dialog, IDC_AVI_SELECT_FRAMES);
        seen["list"] = Text(dialog, IDC_AVI_SELECTED_LIST);
        seen["count"] = Text(dialog, IDC_AVI_SELECTED_COUNT);
        // Every frame: the list no longer fits and shows its ends.
        SendDlgItemMessageA(dialog, IDC_AVI_STRIP, AVIREEL_SET_SELECTION, 1, MAKELPARAM(0, FIXTURE_FRAMES - 1));
        seen["all"] = Text(dialog, IDC_AVI_SELECTED_LIST);
        SendDlgItemMessageA(dialog, IDC_AVI_STRIP, AVIREEL_SET_SELECTION, 0, MAKELPARAM(0, FIXTURE_FRAMES - 1));
        Click(dialog, IDC_AVI_SELECT_FRAMES);
        Click(dialog, IDC_AVI_NEXT);
        seen["next"] = Text(dialog, IDC_AVI_FRAME);
        Click(dialog, IDC_AVI_PREVIOUS);
        Click(dialog, IDC_AVI_PREVIOUS);
        seen["wrapped"] = Text(dialog, IDC_AVI_FRAME);
        Press(dialog, IDOK);
    });
    ASSERT_EQ(1, Import(Fixture("clip.avi")));
    EXPECT_EQ(std::to_string(FIXTURE_FRAMES), seen["total"]);
    EXPECT_EQ("16 x 12", seen["size"]);
    EXPECT_EQ("10", seen["rate"]);
    EXPECT_EQ("0", seen["frame"]) << "until the current frame first changes";
    EXPECT_TRUE(paletteEnabled) << "an empty sequence may take the video's palette";
    EXPECT_FALSE(stretchEnabled);
    EXPECT_FALSE(stretchChecked);
    EXPECT_TRUE(dither) << "the editor's dither option";
    EXPECT_FALSE(okBefore);
    EXPECT_EQ("3,5,7,9", seen["list"]);
    EXPECT_EQ("(4):", seen["count"]);
    EXPECT_EQ("1.....64", seen["all"]);
    EXPECT_EQ("2", seen["next"]);
    EXPECT_EQ(std::to_string(FIXTURE_FRAMES), seen["wrapped"]);
    ASSERT_EQ(4, host.FrameCount());
    const int frames[] = {2, 4, 6, 8};
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(ShowsFrame(TEST_CLIP, TopDownRows(host.At(i).dib), frames[i])) << "frame " << frames[i] + 1;
    std::vector<UINT> codes = host.RequestCodes();
    ASSERT_EQ(5u, codes.size());
    EXPECT_EQ(CONV_REQ_QUERY, codes[0]);
    EXPECT_EQ(static_cast<ULONG_PTR>(CONV_QUERY_DITHER_ON_OPEN), host.Requests()[0].n);
    for (int i = 1; i < 5; ++i) {
        EXPECT_EQ(CONV_REQ_ADD_FRAME, codes[i]);
        EXPECT_EQ(static_cast<ULONG_PTR>(CONV_ADD_DITHER), host.Requests()[i].n);
    }
}

// The frames are read one after another with jumps between them: each added
// frame must be the one asked for, not the one the reader stood at.
TEST(AviImport, FramesPickedAfterJumpsAreTheFramesAskedFor)
{
    ASSERT_TRUE(Conv().complete);
    struct Case {
        const char* what;
        std::vector<int> strip;  // selected on the strip; empty: Select Frames 3/4/2
        std::vector<int> frames;
    } cases[] = {
        {"Select Frames 3/4/2", {}, {2, 4, 6, 8}},
        {"the last frame alone", {11}, {11}},
        {"the first two and the last", {0, 1, 11}, {0, 1, 11}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CursorHost host;
        std::string list;
        OnDialog on([&](HWND dialog, const std::string& caption) {
            if (AnsweredSelectFrames(dialog, caption)) return;
            if (caption != "AVI Import") return;
            if (c.strip.empty()) Click(dialog, IDC_AVI_SELECT_FRAMES);
            for (int frame : c.strip)
                SendDlgItemMessageA(dialog, IDC_AVI_STRIP, AVIREEL_SET_SELECTION, 1, MAKELPARAM(frame, frame));
            list = Text(dialog, IDC_AVI_SELECTED_LIST);
            Press(dialog, IDOK);
        });
        ASSERT_EQ(1, Import(Fixture(COLOUR_CLIP.video)));
        if (c.strip.empty()) {
            EXPECT_EQ("3,5,7,9", list);
        }
        ASSERT_EQ(static_cast<int>(c.frames.size()), host.FrameCount());
        for (size_t i = 0; i < c.frames.size(); ++i)
            EXPECT_TRUE(ShowsFrame(COLOUR_CLIP, TopDownRows(host.At(static_cast<int>(i)).dib), c.frames[i]))
                << "frame " << c.frames[i] + 1;
    }
    // The preview jumps straight to frame min(12 / 2, 25).
    ConvImage image{};
    ASSERT_EQ(1, Conv().GetPreviewImage(Fixture(COLOUR_CLIP.video).c_str(), &image));
    EXPECT_TRUE(ShowsFrame(COLOUR_CLIP, TopDownRows(image.dib), 6));
    GlobalFree(image.dib);
}

TEST(AviImport, IntoASequenceWithFramesItStretchesAndAFileThatIsNoVideoFails)
{
    ASSERT_TRUE(Conv().complete);
    CursorHost host;
    HGLOBAL dib = MakePatternDib(8, 8, 8, [](int x, int y) { return x ^ y; });
    host.AddFrame(dib);
    GlobalFree(dib);
    bool paletteEnabled = true, stretch = false, stretchEnabled = false;
    OnDialog on([&](HWND dialog, const std::string& caption) {
        if (caption != "AVI Import") return;  // the progress dialog follows
        paletteEnabled = Enabled(dialog, IDC_AVI_PALETTE);
        stretch = Checked(dialog, IDC_AVI_STRETCH);
        stretchEnabled = Enabled(dialog, IDC_AVI_STRETCH);
        CheckDlgButton(dialog, IDC_AVI_DITHER, BST_UNCHECKED);
        SendDlgItemMessageA(dialog, IDC_AVI_STRIP, AVIREEL_SET_SELECTION, 1, MAKELPARAM(63, 63));
        Press(dialog, IDOK);
    });
    ASSERT_EQ(1, Import(Fixture("clip.avi"), 1));
    EXPECT_FALSE(paletteEnabled);
    EXPECT_TRUE(stretch);
    EXPECT_TRUE(stretchEnabled);
    ASSERT_EQ(2, host.FrameCount());
    EXPECT_EQ(static_cast<ULONG_PTR>(CONV_ADD_STRETCH | CONV_ADD_NO_DITHER), host.Requests().back().n);
    EXPECT_TRUE(ShowsFrame(TEST_CLIP, TopDownRows(host.At(1).dib), 63));

    ScratchDir dir;
    std::vector<uint8_t> notVideo = {'R', 'I', 'F', 'F', 40, 0, 0, 0, 'A', 'V', 'I', ' '};
    notVideo.resize(48, 0);
    ASSERT_TRUE(WriteWholeFile(dir.File("broken.avi"), notVideo));
    EXPECT_EQ(CONV_ERR_READ, Import(dir.File("broken.avi")));
    ConvImage image{};
    EXPECT_EQ(CONV_ERR_READ, Conv().GetPreviewImage(dir.File("broken.avi").c_str(), &image));
}

TEST(AviPreview, TheMiddleFrameUpToFrame25)
{
    ASSERT_TRUE(Conv().complete);
    ConvImage image{};
    ASSERT_EQ(1, Conv().GetPreviewImage(Fixture("clip.avi").c_str(), &image));
    {
        GlobalLockGuard<BITMAPINFOHEADER> h(image.dib);
        ASSERT_TRUE(h);
        EXPECT_EQ(24, h.get()->biBitCount);
        EXPECT_EQ(FIXTURE_WIDTH, h.get()->biWidth);
        EXPECT_EQ(FIXTURE_HEIGHT, h.get()->biHeight);
    }
    EXPECT_TRUE(ShowsFrame(TEST_CLIP, TopDownRows(image.dib), 25)) << "frame 26, bottom-up";
    EXPECT_EQ(40u, image.bitsOffset);
    GlobalFree(image.dib);
}

namespace {

// Three 8-bit frames of 16 x 12 with names and distinct pixels.
void AddExportFrames(CursorHost& host, int bits = 8)
{
    static int (*patterns[])(int, int) = {[](int x, int y) { return x + y; }, [](int x, int y) { return x * y; },
                                          [](int x, int) { return 200 - x; }};
    for (int i = 0; i < 3; ++i) {
        HGLOBAL dib = MakePatternDib(16, 12, bits, patterns[i]);
        host.AddFrame(dib);
        host.At(i).name = "frame" + std::to_string(i + 1);
        GlobalFree(dib);
    }
}

HGLOBAL TemplateOf(const CursorHost& host)
{
    const SIZE_T size = GlobalSize(host.At(0).dib);
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    GlobalLockGuard<BYTE> from(host.At(0).dib), to(copy);
    memcpy(to.get(), from.get(), size);
    return copy;
}

// The frames of a written video as the wrapper decodes them.
struct ReadBack {
    int frames = 0;
    int rate = 0;
    std::vector<std::vector<uint8_t>> pixels;  // 8-bit indexes or raw rows as stored
};

ReadBack ReadVideo(const std::string& path)
{
    ReadBack out;
    HMODULE vfw = LoadLibraryA(Fixture("ZelvoVfw32.dll").c_str());
    if (!vfw) return out;
    auto open = reinterpret_cast<OpenAviFileProc>(reinterpret_cast<void*>(GetProcAddress(vfw, "OpenAviFile")));
    auto info = reinterpret_cast<GetAviFileInfoProc>(reinterpret_cast<void*>(GetProcAddress(vfw, "GetAviFileInfo")));
    auto frame = reinterpret_cast<GetAviFrameProc>(reinterpret_cast<void*>(GetProcAddress(vfw, "GetAviFrame")));
    auto close = reinterpret_cast<CloseAviFileProc>(reinterpret_cast<void*>(GetProcAddress(vfw, "CloseAviFile")));
    HAVIFILE avi = open(path.c_str());
    if (avi) {
        AviInfo i{};
        info(avi, &i);
        out.frames = i.frames;
        out.rate = i.framesPerSec;
        for (int f = 0; f < i.frames; ++f) {
            const BITMAPINFOHEADER* h = frame(avi, f);
            if (!h) break;
            const BYTE* bits = reinterpret_cast<const BYTE*>(h) + h->biSize + 4 * DibColorEntries(*h);
            const RGBQUAD* table = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(h) + h->biSize);
            // As colours, so that the depth the wrapper decodes to does not matter.
            std::vector<uint8_t> rgb;
            const uint32_t stride = DibStride(h->biWidth, h->biBitCount);
            for (int y = 0; y < h->biHeight; ++y)
                for (int x = 0; x < h->biWidth; ++x) {
                    const BYTE* row = bits + size_t(y) * stride;
                    if (h->biBitCount <= 8) {
                        const RGBQUAD& c = table[DibPixelAt(row, x, h->biBitCount)];
                        rgb.insert(rgb.end(), {c.rgbBlue, c.rgbGreen, c.rgbRed});
                    } else {
                        rgb.insert(rgb.end(), row + x * 3, row + x * 3 + 3);
                    }
                }
            out.pixels.push_back(rgb);
        }
        close(avi);
    }
    FreeLibrary(vfw);
    return out;
}

std::vector<uint8_t> ColoursOf(HGLOBAL dib)
{
    GlobalLockGuard<BYTE> p(dib);
    const BITMAPINFOHEADER* h = DibHeader(p.get());
    const RGBQUAD* table = DibColors(p.get());
    const BYTE* bits = DibBits(p.get());
    const uint32_t stride = DibStride(h->biWidth, h->biBitCount);
    std::vector<uint8_t> rgb;
    for (int y = 0; y < h->biHeight; ++y)
        for (int x = 0; x < h->biWidth; ++x) {
            const RGBQUAD& c = table[DibPixelAt(bits + size_t(y) * stride, x, h->biBitCount)];
            rgb.insert(rgb.end(), {c.rgbBlue, c.rgbGreen, c.rgbRed});
        }
    return rgb;
}

int Export(const std::string& path, HGLOBAL dib)
{
    return Conv().SaveConvImage(nullptr, path.c_str(), dib, CONV_FORMAT_AVI, 3, CursorHost::Proc);
}

void SetDelay(HWND dialog, const char* delay)
{
    SetDlgItemTextA(dialog, IDC_AVI_DELAY, delay);
    Leave(dialog, IDC_AVI_DELAY);
}

}  // namespace

TEST(AviExport, DelaysTwoOneThreeLastHalfASecondWithTheLastFrameTwice)
{
    ASSERT_TRUE(Conv().complete);
    for (int bits : {8, 4}) {
        SCOPED_TRACE(bits);
        ScratchDir dir;
        const std::string path = dir.File("out.avi");
        CursorHost host;
        AddExportFrames(host, bits);
        HGLOBAL dib = TemplateOf(host);
        std::map<std::string, std::string> seen;
        OnDialog on([&](HWND dialog, const std::string& caption) {
            if (caption != "AVI Export") {
                ChooseUncompressed(dialog);
                return;
            }
            seen["rate"] = Text(dialog, IDC_AVI_EXPORT_RATE);
            seen["start"] = Text(dialog, IDC_AVI_TOTAL_TIME);
            seen["compression"] = Enabled(dialog, IDC_AVI_COMPRESSION) ? "on" : "off";
            SetDelay(dialog, "2");
            Click(dialog, IDC_AVI_NEXT);
            Click(dialog, IDC_AVI_NEXT);
            SetDelay(dialog, "3");
            seen["frame"] = Text(dialog, IDC_AVI_FRAME);
            seen["position"] = Text(dialog, IDC_AVI_POSITION);
            seen["total"] = Text(dialog, IDC_AVI_TOTAL_TIME);
            SetDlgItemTextA(dialog, IDC_AVI_EXPORT_RATE, "30");
            Leave(dialog, IDC_AVI_EXPORT_RATE);
            seen["replaced"] = Text(dialog, IDC_AVI_EXPORT_RATE);
            Click(dialog, IDC_AVI_COMPRESSION);
            Press(dialog, IDOK);
        });
        ASSERT_EQ(1, Export(path, dib));
        EXPECT_EQ("12", seen["rate"]);
        EXPECT_EQ("0.25s", seen["start"]);
        EXPECT_EQ("on", seen["compression"]);
        EXPECT_EQ("3", seen["frame"]);
        EXPECT_EQ("0.25s", seen["position"]);
        EXPECT_EQ("0.50s", seen["total"]);
        EXPECT_EQ("12", seen["replaced"]);
        const ReadBack video = ReadVideo(path);
        EXPECT_EQ(12, video.rate);
        ASSERT_EQ(6, video.frames) << "positions 0, 2, 3 and the last frame again at 5";
        ASSERT_EQ(6u, video.pixels.size());
        const std::vector<uint8_t> colours[] = {ColoursOf(host.At(0).dib), ColoursOf(host.At(1).dib),
                                                ColoursOf(host.At(2).dib)};
        EXPECT_EQ(colours[0], video.pixels[0]);
        EXPECT_EQ(colours[1], video.pixels[2]);
        EXPECT_EQ(colours[2], video.pixels[3]);
        EXPECT_EQ(colours[2], video.pixels[5]);
        // Each written frame was fetched, named, in order.
        std::vector<ULONG_PTR> fetched;
        for (const auto& r : host.Requests())
            if (r.request == CONV_REQ_GET_FRAME_BITS) fetched.push_back(r.n);
        EXPECT_EQ((std::vector<ULONG_PTR>{0, 1, 2}), fetched);
        EXPECT_EQ(3, host.Count(CONV_REQ_GET_FRAME_NAME));
        EXPECT_EQ(CONV_REQ_GET_PALETTE, host.RequestCodes()[0]);
        GlobalFree(dib);
    }
}

TEST(AviExport, AFrameOfDelayZeroIsLeftOutAndCancelLeavesNoFile)
{
    ASSERT_TRUE(Conv().complete);
    ScratchDir dir;
    CursorHost host;
    AddExportFrames(host);
    HGLOBAL dib = TemplateOf(host);
    OnDialog skip([&](HWND dialog, const std::string& caption) {
        if (caption != "AVI Export") {
            ChooseUncompressed(dialog);
            return;
        }
        Click(dialog, IDC_AVI_NEXT);
        SetDelay(dialog, "0");
        Click(dialog, IDC_AVI_COMPRESSION);
        Press(dialog, IDOK);
    });
    ASSERT_EQ(1, Export(dir.File("skip.avi"), dib));
    const ReadBack video = ReadVideo(dir.File("skip.avi"));
    ASSERT_EQ(2, video.frames);
    EXPECT_EQ(ColoursOf(host.At(2).dib), video.pixels[1]);

    OnDialog cancel([&](HWND dialog, const std::string& caption) {
        if (caption != "AVI Export") {
            ChooseUncompressed(dialog);
            return;
        }
        Click(dialog, IDC_AVI_COMPRESSION);
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(0, Export(dir.File("cancelled.avi"), dib));
    EXPECT_FALSE(FileExists(dir.File("cancelled.avi")));

    // Every delay 0: nothing written, no file.
    OnDialog none([&](HWND dialog, const std::string& caption) {
        if (caption != "AVI Export") {
            ChooseUncompressed(dialog);
            return;
        }
        SendDlgItemMessageA(dialog, IDC_AVI_STRIP, AVIREEL_SET_SELECTION, 1, MAKELPARAM(0, 2));
        SetDelay(dialog, "0");
        Click(dialog, IDC_AVI_COMPRESSION);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(0, Export(dir.File("empty.avi"), dib));
    EXPECT_FALSE(FileExists(dir.File("empty.avi")));
    GlobalFree(dib);
}

TEST(AviExport, ASoundFileIsMergedOrTheBoxSaysItFailedWithTheVideoIntact)
{
    ASSERT_TRUE(Conv().complete);
    ScratchDir dir;
    CursorHost host;
    AddExportFrames(host);
    host.chooseFileAnswer = Fixture("tone.wav");
    HGLOBAL dib = TemplateOf(host);
    std::string box, sound;
    OnDialog on([&](HWND dialog, const std::string& caption) {
        if (caption == "Error") {
            box = Text(dialog, 0xFFFF);
            Press(dialog, IDOK);
            return;
        }
        if (caption != "AVI Export") {
            ChooseUncompressed(dialog);
            return;
        }
        Click(dialog, IDC_AVI_SOUND_BUTTON);
        sound = Text(dialog, IDC_AVI_SOUND_PATH);
        Click(dialog, IDC_AVI_COMPRESSION);
        Press(dialog, IDOK);
    });
    ASSERT_EQ(1, Export(dir.File("sound.avi"), dib));
    EXPECT_EQ(Fixture("tone.wav"), sound);
    for (const auto& r : host.Requests())
        if (r.request == CONV_REQ_CHOOSE_FILE) { EXPECT_EQ("WAVE Files(*.WAV)|*.WAV", r.text); }
    // Wine cannot add a sound stream after the frames: the box then says so.
    if (!box.empty()) {
        EXPECT_EQ("Error adding Sound to the AVI File! Please check the filename and your hard disk space.", box);
    }
    EXPECT_EQ(3, ReadVideo(dir.File("sound.avi")).frames) << "the video stays";
    GlobalFree(dib);
}

TEST(AviWrapper, WithoutTheWrapperTheBoxExplainsAndNothingHappens)
{
    ASSERT_TRUE(Conv().complete);
    ScratchDir dir;
    // The library alone in a folder without ZelvoVfw32.
    ASSERT_TRUE(CopyFileA(Fixture("ZelvoConv32.dll").c_str(), dir.File("ZelvoConv32.dll").c_str(), FALSE));
    HMODULE alone = LoadLibraryA(dir.File("ZelvoConv32.dll").c_str());
    ASSERT_NE(nullptr, alone);
    auto load = reinterpret_cast<LoadConvImageProc>(reinterpret_cast<void*>(GetProcAddress(alone, "LoadConvImage")));
    auto preview = reinterpret_cast<GetPreviewImageProc>(reinterpret_cast<void*>(GetProcAddress(alone, "GetPreviewImage")));
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    std::string text, caption;
    OnDialog on([&](HWND dialog, const std::string& title) {
        caption = title;
        text = Text(dialog, 0xFFFF);
        Press(dialog, IDOK);
    });
    CursorHost host;
    BYTE code = 0;
    EXPECT_EQ(0, load(owner, Fixture("clip.avi").c_str(), nullptr, &code, 0, CursorHost::Proc));
    EXPECT_EQ("Error", caption);
    EXPECT_EQ("Video for Windows has not been installed on your system. To be able to use AVI-Import and Export "
              "Video for Windows Version 1.1 or higher must be Installed.",
              text);
    EXPECT_EQ(0, host.FrameCount());
    char message[300] = "";
    ConvImage image{nullptr, 0, message, sizeof message};
    EXPECT_EQ(0, preview(Fixture("clip.avi").c_str(), &image));
    EXPECT_EQ(nullptr, image.dib);
    EXPECT_EQ(text, message);
    DestroyWindow(owner);
    FreeLibrary(alone);
}
