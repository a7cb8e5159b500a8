// Exports run to their end with the message loop pumped: which steps become
// frames and where, the frame format and colours, the sound of the steps,
// missing files, how each export ends and what it tells its owner.
#include "AnimationContext.h"
#include "DialogTestHooks.h"
#include "ExportTestSupport.h"
#include "FakeMciDevices.h"
#include "PackedDib.h"
#include <gtest/gtest.h>
#include <set>

namespace {

constexpr COLORREF NAVY = RGB(0, 0, 128);
constexpr COLORREF RED = RGB(255, 0, 0);

class ExportRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(library.started);
        InstallMciSeam(&devices.Seam());
    }
    void TearDown() override { InstallMciSeam(nullptr); }
    // Exports the scene into `avi` (created for full frames first).
    ExportRun Export(PlayScene& scene, const std::string& avi, AviExportOptions& options,
                     const std::function<void()>& whileRunning = {})
    {
        const std::string animation = WriteScene(scene);
        EXPECT_FALSE(animation.empty());
        options.aviFile = CreateUncompressedAvi(avi, (options.flags & AVI_EXPORT_KEEP_DEPTH) != 0);
        EXPECT_NE(options.aviFile, nullptr);
        return RunExport(parent, animation, avi, options, whileRunning);
    }
    ExportLibrarySession library;
    FakeDevices devices;
    MessageBoxRecorder boxes{IDYES};
    NotifiedParent parent;
};

// Where the moving object stands in frame `position`: it enters its first
// place at the first step and moves one pixel a step.
bool ShowsObjectAt(const Pixels& picture, int position, COLORREF object)
{
    const int x = 2 + position;
    return picture.At(x, 4) == object && picture.At(x + 7, 11) == object && picture.At(x + 8, 4) == NAVY &&
           (x == 0 || picture.At(x - 1, 4) == NAVY);
}

TEST_F(ExportRunTest, EveryNthStepIsStoredAtItsPositionAndTheLastStepsOnceMore)
{
    const struct {
        int steps, saveEvery;
        std::vector<int> shown;  // per frame: the step position whose picture it shows
    } cases[] = {
        {10, 3, {0, 0, 0, 3, 3, 3, 6, 6, 6, 9}},
        {11, 3, {0, 0, 0, 3, 3, 3, 6, 6, 6, 9, 10}},
        {6, 1, {0, 1, 2, 3, 4, 5}},
        {7, 5, {0, 0, 0, 0, 0, 5, 6}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.steps) + " steps, every " + std::to_string(c.saveEvery));
        PlayScene scene(60, 20);
        AddMovingObject(scene);
        AviExportOptions options = ExportOptions(10, c.steps, c.saveEvery, 0);
        const std::string avi = scene.dir.File("spaced.avi");
        const ExportRun run = Export(scene, avi, options);
        ASSERT_TRUE(run.notified);
        EXPECT_EQ(run.result, 1);
        EXPECT_EQ(run.module, reinterpret_cast<WPARAM>(GetModuleHandleA(nullptr)));
        EXPECT_TRUE(boxes.Boxes().empty());
        const StoredVideo video = ReadStoredVideo(avi);
        ASSERT_EQ(video.frames, static_cast<int>(c.shown.size()));
        EXPECT_EQ(video.soundFormat.channels, 0) << "flags 0: no sound stream";
        // One stored chunk per stored picture (the gaps are empty chunks, if any).
        const std::set<int> stored(c.shown.begin(), c.shown.end());
        size_t full = 0;
        for (size_t size : video.chunkSizes) full += size > 0;
        EXPECT_EQ(full, stored.size());
        for (size_t i = 0; i < c.shown.size(); ++i)
            EXPECT_TRUE(ShowsObjectAt(video.pictures[i], c.shown[i], RED)) << "frame " << i;
    }
}

// The frame format follows the picture: an 8-bit picture (palette display)
// is stored as it is, a true-colour one reduced to 8 bits or kept.
TEST_F(ExportRunTest, FramesAreStoredAtTheirDepthWithRowsPaddedToFourBytes)
{
    const struct {
        const char* what;
        const EngineMode* mode;
        uint32_t flags;
        int bits;
    } cases[] = {
        {"true colour reduced", &kDibSections, 0, 8},
        {"true colour kept", &kDibSections, AVI_EXPORT_KEEP_DEPTH, 0},  // 0: the display's depth
        {"palette display", &kPaletteDisplay, 0, 8},
        {"palette display, keep asked", &kPaletteDisplay, AVI_EXPORT_KEEP_DEPTH, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExitAnimEngine();
        OverrideAnimDisplayDepth(c.mode->depth);
        InitAnimEngine(c.mode->hint);
        PlayScene scene(33, 20);
        AddMovingObject(scene);
        AviExportOptions options = ExportOptions(5, 5, 1, c.flags);
        const std::string avi = scene.dir.File("odd width.avi");
        SIZE_T formatBytes = 0;
        const ExportRun run = Export(scene, avi, options, [&] {
            if (g_export.active && g_export.format) formatBytes = GlobalSize(g_export.format);
        });
        ASSERT_TRUE(run.notified);
        EXPECT_EQ(run.result, 1);
        // Reduced frames are read as 16-bit rows first: the block holds them.
        const int readBits = c.bits == 8 && c.mode == &kDibSections ? 16 : (c.bits ? c.bits : g_animEngine.displayBits);
        EXPECT_GE(formatBytes, sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD) + DibStride(33, readBits) * 20u);
        const StoredVideo video = ReadStoredVideo(avi);
        const int bits = c.bits ? c.bits : g_animEngine.displayBits;
        EXPECT_EQ(video.format.biWidth, 33);
        EXPECT_EQ(video.format.biHeight, 20);
        EXPECT_EQ(video.format.biBitCount, bits);
        EXPECT_EQ(video.format.biCompression, static_cast<DWORD>(BI_RGB));
        if (bits == 8) {
            EXPECT_EQ(video.format.biClrUsed, 256u);
            EXPECT_EQ(video.colors.size(), 256u);
        }
        ASSERT_EQ(video.chunkSizes.size(), 5u);
        for (size_t size : video.chunkSizes) EXPECT_EQ(size, DibStride(33, bits) * 20u);
        EXPECT_EQ(DibStride(33, 8), 36u);
        for (int i = 0; i < 5; ++i) EXPECT_TRUE(ShowsObjectAt(video.pictures[i], i, RED)) << "frame " << i;
    }
    OverrideAnimDisplayDepth(0);
}

// A true-colour sequence on a true-colour display: kept exactly, or reduced
// to the table entry nearest to each colour.
TEST_F(ExportRunTest, TrueColourIsKeptOrReducedToTheNearestTableColours)
{
    const COLORREF shades[] = {RGB(200, 100, 50), RGB(13, 77, 201), RGB(250, 250, 5), RGB(90, 90, 90)};
    for (uint32_t flags : {AVI_EXPORT_KEEP_DEPTH, 0u}) {
        SCOPED_TRACE(flags ? "kept" : "reduced");
        PlayScene scene(40, 16);
        SequenceSpec spec;
        spec.width = 32;
        spec.height = 8;
        spec.bits = 24;
        spec.frames = 1;
        spec.colorCount = -1;
        spec.value = [&](int x, int, int) -> uint32_t {
            const COLORREF c = shades[x / 8];
            return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
        };
        ASSERT_EQ(WriteSequence(scene.dir.File("shades.bmx"), spec), 1);
        scene.f.AddObject(scene.f.AddSequence("shades.bmx", 0x80, -1), 4, 4);
        AviExportOptions options = ExportOptions(5, 5, 1, flags);
        const std::string avi = scene.dir.File("shades.avi");
        const ExportRun run = Export(scene, avi, options);
        ASSERT_TRUE(run.notified);
        const StoredVideo video = ReadStoredVideo(avi);
        ASSERT_EQ(video.frames, 5);
        const Pixels& picture = video.pictures[4];
        if (flags) {
            EXPECT_GT(video.format.biBitCount, 8);
            for (int i = 0; i < 4; ++i) EXPECT_EQ(ColorText(picture.At(4 + 8 * i + 3, 7)), ColorText(shades[i]));
            continue;
        }
        ASSERT_EQ(video.format.biBitCount, 8);
        // The table is the engine's own for 8-bit pictures: the static colours at both ends.
        RGBQUAD expected[256];
        FillDibSectionColors(nullptr, 8, expected);
        for (int i : {0, 7, 248, 255})
            EXPECT_EQ(memcmp(&video.colors[i], &expected[i], sizeof(RGBQUAD)), 0) << "entry " << i;
        for (int i = 0; i < 4; ++i) {
            const COLORREF want = shades[i], got = picture.At(4 + 8 * i + 3, 7);
            auto distance = [](COLORREF a, COLORREF b) {
                return abs(GetRValue(a) - GetRValue(b)) + abs(GetGValue(a) - GetGValue(b)) + abs(GetBValue(a) - GetBValue(b));
            };
            int nearest = 1 << 30;
            for (const RGBQUAD& q : video.colors) nearest = std::min(nearest, distance(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue), want));
            // Nearest to the 5-bit form of the colour: within the 5-bit rounding of the best.
            EXPECT_LE(distance(got, want), nearest + 3 * 8) << ColorText(want) << " became " << ColorText(got);
            EXPECT_EQ(picture.At(4 + 8 * i, 4), got) << "one colour, one entry";
        }
        EXPECT_EQ(picture.At(0, 0), NAVY);
    }
}

// The sound stream: a wave that a step starts is stored from that step on,
// then silence; MIDI sounds give silence only. Each request is heard too.
TEST_F(ExportRunTest, WaveRequestsGiveTheWavesSamplesAndMidiGivesSilence)
{
    std::vector<uint8_t> samples(1500);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>((i / 7) % 2 ? 0xC0 : 0x30);
    for (bool midi : {false, true}) {
        SCOPED_TRACE(midi ? "MIDI" : "wave");
        devices.TakeCalls();
        PlayScene scene(40, 16);
        ASSERT_TRUE(WriteWholeFile(scene.dir.File("beep.wav"), WaveFileBytes(1, 8, 11025, samples)));
        ASSERT_TRUE(WriteWholeFile(scene.dir.File("tune.mid"), MinimalMidiFile()));
        // A stored name is never a sound in memory: that flag must not reach the player.
        scene.f.AddSound(midi ? "tune.mid" : "beep.wav", midi ? ANIM_SOUND_MIDI : ANIM_SOUND_WAVE | SND_ASYNC | SND_MEMORY);
        const int sequence = scene.AddSequence(8, 8, 1);
        ObjectStep sounding = MakeStep(0, 4, 4, 200);
        sounding.soundIndex = 1;
        scene.AddStepObject(sequence, {sounding});
        AviExportOptions options = ExportOptions(10, 20, 1, AVI_EXPORT_SOUND);
        const std::string avi = scene.dir.File("sound.avi");
        const ExportRun run = Export(scene, avi, options);
        ASSERT_TRUE(run.notified);
        EXPECT_EQ(run.result, 1);
        const StoredVideo video = ReadStoredVideo(avi);
        EXPECT_EQ(video.soundFormat.channels, 1);
        EXPECT_EQ(video.soundFormat.bitsPerSample, 8);
        EXPECT_EQ(video.soundFormat.samplesPerSec, 11025u);
        // 20 frames at 10 per second: two seconds' worth.
        ASSERT_EQ(video.sound.size(), 22050u);
        size_t start = 0;
        while (start < video.sound.size() && video.sound[start] == 0x80) ++start;
        if (midi) {
            EXPECT_EQ(start, video.sound.size()) << "MIDI must leave the stream silent";
            EXPECT_EQ(devices.CountCalls("PLAIN tune.mid"), 0);
            continue;
        }
        // The wave starts at the beginning of a step's samples.
        EXPECT_LE(start, 2 * 1103u);
        ASSERT_GE(video.sound.size(), start + samples.size());
        EXPECT_TRUE(std::equal(samples.begin(), samples.end(), video.sound.begin() + start));
        for (size_t i = start + samples.size(); i < video.sound.size(); ++i)
            ASSERT_EQ(video.sound[i], 0x80) << "after the wave, at " << i;
        EXPECT_EQ(devices.CountCalls("PLAIN beep.wav 0x1"), 1);
    }
}

TEST_F(ExportRunTest, ASequenceThatIsMissingIsAskedAboutAndYesGoesOnWithTheNext)
{
    for (int answer : {IDYES, IDNO}) {
        SCOPED_TRACE(answer == IDYES ? "yes" : "no");
        PlayScene scene(60, 20);
        for (int colour : {9, 10, 12}) {
            const uint32_t value = static_cast<uint32_t>(StaticIndex(colour, 256));
            const int sequence = scene.AddSequence(8, 8, 1, 0x80, [value](int, int, int) { return value; });
            scene.AddObject(sequence, 2 + 20 * sequence, 4);
        }
        ASSERT_TRUE(DeleteFileA(scene.dir.File("seq1.bmx").c_str()));
        MessageBoxRecorder asked(answer);
        AviExportOptions options = ExportOptions(5, 5, 1, 0);
        const std::string avi = scene.dir.File("missing.avi");
        char folder[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, folder);
        const ExportRun run = Export(scene, avi, options);
        ASSERT_EQ(asked.Boxes().size(), 1u);
        EXPECT_NE(asked.Boxes()[0].text.find("Ignore Error?"), std::string::npos);
        EXPECT_NE(asked.Boxes()[0].caption.find("seq1.bmx"), std::string::npos) << asked.Boxes()[0].caption;
        EXPECT_EQ(asked.Boxes()[0].style & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
        char after[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, after);
        EXPECT_STREQ(after, folder);
        EXPECT_TRUE(IsWindowEnabled(parent.hwnd));
        if (answer == IDNO) {
            // Nothing exported: the file made for it is closed and gone.
            EXPECT_EQ(run.window, nullptr);
            EXPECT_EQ(options.aviFile, nullptr);
            EXPECT_FALSE(FileExists(avi));
            continue;
        }
        ASSERT_TRUE(run.notified);
        EXPECT_EQ(run.result, 1);
        const StoredVideo video = ReadStoredVideo(avi);
        ASSERT_EQ(video.frames, 5);
        EXPECT_EQ(video.pictures[0].At(2, 4), RED);
        EXPECT_EQ(video.pictures[0].At(22, 4), NAVY) << "the missing sequence draws nothing";
        EXPECT_EQ(video.pictures[0].At(42, 4), RGB(0, 0, 255)) << "the third sequence was loaded";
    }
}

// A frame writer that fails from the third frame on, as a disk that fills.
int g_framesWritten = 0;
BOOL WINAPI WriteUntilFull(HAVIFILE avi, const AviFrameWrite* frames)
{
    return ++g_framesWritten <= 2 && WriteAviFrame(avi, frames);
}

// How an export ends: 1 when it ran, else the id of the message shown (once).
TEST_F(ExportRunTest, TheNotificationTellsHowTheExportEnded)
{
    PlayScene scene(40, 16);
    AddMovingObject(scene);
    const std::string animation = WriteScene(scene);
    // A target no one can write: a folder in the file's place.
    const std::string folder = scene.dir.File("taken.avi");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const FrameWriterSeam fillingDisk = {WriteUntilFull};

    const struct {
        const char* what;
        std::string avi;
        bool createForFullFrames;
        const FrameWriterSeam* writer;
        LPARAM result;
        int frames;  // kept in the file
    } cases[] = {
        {"written", scene.dir.File("fine.avi"), true, nullptr, 1, 6},
        {"a target that cannot be created", folder, false, nullptr, IDS_CREATE_ERROR, 0},
        {"a disk that fills", scene.dir.File("full.avi"), true, &fillingDisk, IDS_WRITE_ERROR, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MessageBoxRecorder shown;
        g_framesWritten = 0;
        InstallFrameWriterSeam(c.writer);
        AviExportOptions options = ExportOptions(5, 6, 1, AVI_EXPORT_SOUND);
        if (c.createForFullFrames) options.aviFile = CreateUncompressedAvi(c.avi, false);
        const ExportRun run = RunExport(parent, animation, c.avi, options);
        InstallFrameWriterSeam(nullptr);
        ASSERT_TRUE(run.notified);
        EXPECT_EQ(run.result, c.result);
        EXPECT_TRUE(IsWindowEnabled(parent.hwnd));
        EXPECT_FALSE(IsWindow(run.window));
        if (c.frames) {
            EXPECT_EQ(ReadStoredVideo(c.avi).frames, c.frames);
        }
        if (c.result == 1) {
            EXPECT_TRUE(shown.Boxes().empty());
            continue;
        }
        ASSERT_EQ(shown.Boxes().size(), 1u);
        char text[256];
        LoadStringA(GetModuleHandleA(nullptr), static_cast<UINT>(c.result), text, sizeof text);
        EXPECT_EQ(shown.Boxes()[0].text, text);
        EXPECT_EQ(shown.Boxes()[0].caption, c.avi);
        EXPECT_EQ(shown.Boxes()[0].owner, parent.hwnd);
    }
    EXPECT_TRUE(GetFileAttributesA(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

// Without a file from the options dialog the export makes its own with the
// default compressor. Where the platform's compressors cannot take the
// frames (Wine's), the stream cannot be set up: 1001, and the file that was
// made goes; elsewhere the export runs.
TEST_F(ExportRunTest, AStreamThatCannotBeSetUpLeavesNoFileBehind)
{
    PlayScene scene(40, 16);
    AddMovingObject(scene);
    const std::string animation = WriteScene(scene);
    const std::string avi = scene.dir.File("default compressor.avi");
    MessageBoxRecorder shown;
    AviExportOptions options = ExportOptions(5, 5, 1, 0);
    const ExportRun run = RunExport(parent, animation, avi, options);
    ASSERT_TRUE(run.notified);
    if (run.result == 1) {
        EXPECT_EQ(ReadStoredVideo(avi).frames, 5);
        return;
    }
    EXPECT_EQ(run.result, IDS_CREATE_ERROR);
    EXPECT_FALSE(FileExists(avi));
    ASSERT_EQ(shown.Boxes().size(), 1u);
    EXPECT_EQ(shown.Boxes()[0].caption, avi);
}

// Zero options get the dialog's defaults, so an export of them ends and its
// sound has a rate; the parent is disabled while it runs; closing the window
// ends it early with the frames so far.
TEST_F(ExportRunTest, ZeroOptionsGetTheDefaultsAndClosingTheWindowKeepsTheFramesSoFar)
{
    PlayScene scene(40, 16);
    AddMovingObject(scene);
    AviExportOptions options = ExportOptions(0, 0, 0, AVI_EXPORT_SOUND, 0);
    const std::string avi = scene.dir.File("defaults.avi");
    bool parentDisabled = false;
    int closedAt = 0;
    const ExportRun run = Export(scene, avi, options, [&] {
        if (g_export.active) parentDisabled |= !IsWindowEnabled(parent.hwnd);
        if (g_export.active && g_export.stepCount >= 4 && !closedAt) {
            EXPECT_EQ(g_export.options.framesPerSec, 12);
            EXPECT_EQ(g_export.options.maxFrames, 500);
            EXPECT_EQ(g_export.options.saveEvery, 1);
            EXPECT_EQ(g_export.options.flags, AVI_EXPORT_SOUND);
            EXPECT_EQ(g_export.options.samplesPerSec, 11025);
            closedAt = g_export.stepCount;
            PostMessageA(g_export.window, WM_CLOSE, 0, 0);
        }
    });
    ASSERT_TRUE(run.notified);
    EXPECT_EQ(run.result, 1);
    EXPECT_TRUE(parentDisabled);
    EXPECT_TRUE(IsWindowEnabled(parent.hwnd));
    const StoredVideo video = ReadStoredVideo(avi);
    EXPECT_EQ(video.framesPerSec, 12);
    EXPECT_GE(video.frames, closedAt);
    EXPECT_LT(video.frames, 100);
    EXPECT_EQ(video.soundFormat.samplesPerSec, 11025u);
    EXPECT_EQ(video.sound.size(), static_cast<size_t>(video.frames) * 11025 / 12) << "silence for every step";
}

// One export at a time: a second one is refused and the first goes on.
TEST_F(ExportRunTest, ASecondExportWhileOneRunsIsRefused)
{
    PlayScene scene(40, 16);
    AddMovingObject(scene);
    AviExportOptions options = ExportOptions(10, 8, 1, 0);
    const std::string second = scene.dir.File("second.avi");
    bool tried = false;
    const ExportRun run = Export(scene, scene.dir.File("first.avi"), options, [&] {
        if (tried || !g_export.active) return;
        tried = true;
        AviExportOptions other = ExportOptions(10, 8, 1, 0);
        other.aviPath = second.c_str();
        other.aviFile = CreateUncompressedAvi(second, false);
        const ExportWindowParams params = ExportWindow(parent.hwnd);
        EXPECT_EQ(AnsToAvi(&params, scene.dir.File("export.ans").c_str(), second.c_str(), &other), nullptr);
        EXPECT_EQ(other.aviFile, nullptr);
        EXPECT_FALSE(FileExists(second));
    });
    EXPECT_TRUE(tried);
    ASSERT_TRUE(run.notified);
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(ReadStoredVideo(scene.dir.File("first.avi")).frames, 8);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Unknown Error!");
}

}  // namespace

// A host's own hook gets the window and the start message; nothing is
// exported and the window and animation are the host's.
struct HostHookCalls {
    std::vector<UINT> messages;
    AviExportOptions started{};
} g_hostHook;
int CALLBACK HostHook(HWND, UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_INITDIALOG || message == AVI_EXPORT_START) g_hostHook.messages.push_back(message);
    if (message == AVI_EXPORT_START) g_hostHook.started = *reinterpret_cast<const AviExportOptions*>(lParam);
    return 0;
}

TEST_F(ExportRunTest, AHostsOwnHookGetsTheWindowAndTheStartAndExportsNothing)
{
    PlayScene scene(40, 16);
    AddMovingObject(scene);
    const std::string animation = WriteScene(scene);
    ExportWindowParams params = ExportWindow(parent.hwnd);
    params.hook = HostHook;
    params.disableParent = 0;
    AviExportOptions options = ExportOptions(0, 7, 0, 0);
    const std::string avi = scene.dir.File("host.avi");
    HWND window = AnsToAvi(&params, animation.c_str(), avi.c_str(), &options);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(g_hostHook.messages, (std::vector<UINT>{WM_INITDIALOG, AVI_EXPORT_START}));
    EXPECT_EQ(g_hostHook.started.framesPerSec, 12) << "the start message carries the options with their defaults";
    EXPECT_EQ(g_hostHook.started.maxFrames, 7);
    EXPECT_FALSE(g_export.active);
    EXPECT_FALSE(FileExists(avi));
    HANIM handle = GetAnimHandle(window);
    ASSERT_NE(handle, nullptr);
    DestroyWindow(window);
    DestroyAnimation(handle);
    PumpUntil([] { return false; }, 100);
    EXPECT_TRUE(parent.notifications.empty());
}
