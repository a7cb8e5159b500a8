// The editor's video export bridge with the real ZelvoExp32.dll beside the
// test program: the library is loaded for each export and freed when the
// options are cancelled, when a start fails, or when the finished export's
// notification reaches the main window; foreign notifications free nothing.
// Stand-in libraries show what the options record holds and that a library
// without AnsToAvi is refused before its dialog runs.
#include "AppState.h"
#include "DialogTestHooks.h"
#include "DocumentModel.h"
#include "EngineFixtures.h"
#include "FakeMciDevices.h"
#include "MainWindow.h"
#include "ResultCodes.h"
#include "VfwTestSupport.h"
#include "VideoExportBridge.h"
#include <gtest/gtest.h>
#include <cstring>

namespace {

const char LIBRARY[] = "ZelvoExp32.dll";

std::string ProgramFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

// Puts a stand-in (or nothing) in the place of the library beside the
// program for the life of the object. A place left by a run that died is
// mended first.
class LibraryInPlace {
public:
    explicit LibraryInPlace(const char* standIn)
    {
        Restore();
        MoveFileA(Real().c_str(), Away().c_str());
        if (standIn) CopyFileA((ProgramFolder() + standIn + "\\" + LIBRARY).c_str(), Real().c_str(), FALSE);
    }
    ~LibraryInPlace() { Restore(); }
    static void Restore()
    {
        if (!FileExists(Away())) return;
        DeleteFileA(Real().c_str());
        MoveFileA(Away().c_str(), Real().c_str());
    }
private:
    static std::string Real() { return ProgramFolder() + LIBRARY; }
    static std::string Away() { return ProgramFolder() + "ZelvoExp32.dll.away"; }
};

// The editor's main window as far as the export concerns it: the main
// window's procedure gets AVI_EXPORT_DONE, everything else is plain.
class DriverWindow {
public:
    DriverWindow()
    {
        WNDCLASSA wc{};
        if (!GetClassInfoA(GetModuleHandleA(nullptr), "BridgeDriver", &wc)) {
            wc.lpfnWndProc = Procedure;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
            wc.lpszClassName = "BridgeDriver";
            RegisterClassA(&wc);
        }
        hwnd = CreateWindowExA(0, "BridgeDriver", "Zelvo", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 500, 400, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
        g_appState.mainWindow = hwnd;
    }
    ~DriverWindow()
    {
        DestroyWindow(hwnd);
        g_appState.mainWindow = nullptr;
    }
    HWND hwnd = nullptr;
    static int notifications;
private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message != AVI_EXPORT_DONE) return DefWindowProcA(window, message, wParam, lParam);
        ++notifications;
        return MainWndProc(window, message, wParam, lParam);
    }
};
int DriverWindow::notifications = 0;

bool LibraryLoaded() { return GetModuleHandleA(LIBRARY) != nullptr; }

class ExportBridge : public ::testing::Test {
protected:
    void SetUp() override
    {
        LibraryInPlace::Restore();
        SetCurrentDirectoryA(scratch.Path().c_str());
        DriverWindow::notifications = 0;
        ASSERT_FALSE(LibraryLoaded());
        // A small animation: one object moving over navy.
        AnimationFixture f(48, 24, RGB(0, 0, 128));
        SequenceSpec spec;
        spec.width = spec.height = 8;
        spec.frames = 1;
        spec.value = [](int, int, int) -> uint32_t { return static_cast<uint32_t>(StaticIndex(9, 256)); };
        ASSERT_EQ(WriteSequence(scratch.File("dot.bmx"), spec), RESULT_OK);
        f.t.objectTable[f.AddObject(f.AddSequence("dot.bmx", 0x80, 256), 2, 4)].dx = 1;
        ASSERT_EQ(f.Write(animation), RESULT_OK);
        memset(g_document.soundTable, 0, sizeof g_document.soundTable);
        g_document.soundCount = 0;
        g_appState.colorCount = 256;
        SetDefaultAnimationSettings(&g_document.animationSettings);
    }
    void TearDown() override { SetCurrentDirectoryA(ProgramFolder().c_str()); }
    ScratchDir scratch;
    const std::string animation = scratch.File("bridge.ans");
    const std::string video = scratch.File("bridge.avi");
    DriverWindow driver;
};

bool IsOptionsDialog(HWND dialog) { return GetDlgItem(dialog, 118) && GetDlgItem(dialog, 103); }

TEST_F(ExportBridge, CancellingTheOptionsFreesTheLibraryAtOnceAndLeavesNoFile)
{
    bool sawLoaded = false;
    DialogAutoAnswer answer([&](HWND dialog) {
        sawLoaded = LibraryLoaded();
        EXPECT_TRUE(IsOptionsDialog(dialog));
        EXPECT_TRUE(FileExists(video)) << "the file is made while the options open";
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(ExportAnimationToAvi(driver.hwnd, animation.c_str(), video.c_str()), 0);
    EXPECT_TRUE(sawLoaded);
    EXPECT_FALSE(LibraryLoaded());
    EXPECT_FALSE(FileExists(video));
    EXPECT_TRUE(FileExists(animation));
    EXPECT_EQ(RunningVideoExports(), 0);
    EXPECT_EQ(answer.Dialogs().size(), 1u);
}

// The whole road: options with full frames, the export while the loop runs,
// the notification through the main window's procedure, the library freed.
// A notification that some other window posts meanwhile frees nothing.
TEST_F(ExportBridge, AFinishedExportFreesTheLibraryWhenItsNotificationArrives)
{
    HWND options = nullptr;
    DialogAutoAnswer answer([&](HWND dialog) {
        if (IsOptionsDialog(dialog)) {
            options = dialog;
            SetDlgItemTextA(dialog, 101, "6");
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(103, BN_CLICKED), 0);
            return;
        }
        ChooseCompressorIn(dialog, "Uncompressed");
        PostMessageA(options, WM_COMMAND, IDOK, 0);
    });
    ASSERT_NE(ExportAnimationToAvi(driver.hwnd, animation.c_str(), video.c_str()), 0);
    HMODULE module = GetModuleHandleA(LIBRARY);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(RunningVideoExports(), 1);
    EXPECT_FALSE(IsWindowEnabled(driver.hwnd));
    // Foreign notifications while the export runs: they name the module, or none.
    PostMessageA(driver.hwnd, AVI_EXPORT_DONE, reinterpret_cast<WPARAM>(module), 1);
    PostMessageA(driver.hwnd, AVI_EXPORT_DONE, 0, 1);
    EXPECT_TRUE(PumpUntil([] { return DriverWindow::notifications >= 2; }));
    EXPECT_TRUE(LibraryLoaded());
    EXPECT_TRUE(PumpUntil([] { return !LibraryLoaded(); }, 60000));
    EXPECT_EQ(DriverWindow::notifications, 3);
    EXPECT_EQ(RunningVideoExports(), 0);
    EXPECT_TRUE(IsWindowEnabled(driver.hwnd));
    int stored = 0;
    for (const RiffChunk& chunk : RiffChunks(ReadWholeFile(video))) stored += chunk.id == "00db" && chunk.size > 0;
    EXPECT_EQ(stored, 6);
}

TEST_F(ExportBridge, ANotificationForALibraryTheBridgeDoesNotHoldFreesNothing)
{
    HMODULE mine = LoadLibraryA((ProgramFolder() + LIBRARY).c_str());
    ASSERT_NE(mine, nullptr);
    PostMessageA(driver.hwnd, AVI_EXPORT_DONE, reinterpret_cast<WPARAM>(mine), 1);
    PostMessageA(driver.hwnd, AVI_EXPORT_DONE, reinterpret_cast<WPARAM>(GetModuleHandleA("kernel32.dll")), 1);
    PostMessageA(driver.hwnd, AVI_EXPORT_DONE, 0x12345678, 1001);
    EXPECT_TRUE(PumpUntil([] { return DriverWindow::notifications == 3; }));
    EXPECT_TRUE(LibraryLoaded());
    EXPECT_TRUE(FreeLibrary(mine));
    EXPECT_FALSE(LibraryLoaded());
}

TEST_F(ExportBridge, AStartThatFailsFreesTheLibraryAfterTheLibrarysMessage)
{
    // A damaged animation: the library says so itself and exports nothing.
    ASSERT_TRUE(WriteWholeFile(animation, {'A', 'N', 1, 2}));
    std::vector<std::string> texts;
    DialogAutoAnswer answer([&](HWND dialog) {
        if (IsOptionsDialog(dialog)) {
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            return;
        }
        texts.push_back(DialogItemText(dialog, 0xFFFF));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(ExportAnimationToAvi(driver.hwnd, animation.c_str(), video.c_str()), 0);
    EXPECT_EQ(texts, std::vector<std::string>{"Unknown file format!"});
    EXPECT_FALSE(LibraryLoaded());
    EXPECT_FALSE(FileExists(video)) << "the file the options made is removed";
    EXPECT_TRUE(IsWindowEnabled(driver.hwnd));
}

TEST_F(ExportBridge, AMissingLibraryIsNamedInTheFindErrorMessage)
{
    LibraryInPlace none(nullptr);
    MessageBoxRecorder boxes;
    EXPECT_EQ(ExportAnimationToAvi(driver.hwnd, animation.c_str(), video.c_str()), 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Error finding file!");
    EXPECT_EQ(boxes.Boxes()[0].caption, "ZELVOEXP32.dll");
    EXPECT_STREQ(g_appState.pathBuffer, "ZELVOEXP32.dll");
    EXPECT_FALSE(LibraryLoaded());
}

// A library without AnsToAvi is refused before its dialog can make a file.
TEST_F(ExportBridge, ALibraryWithoutAnsToAviIsRefusedBeforeItsDialog)
{
    LibraryInPlace partial("partial-stub");
    MessageBoxRecorder boxes;
    EXPECT_EQ(ExportAnimationToAvi(driver.hwnd, animation.c_str(), video.c_str()), 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Error in DLL library!");
    EXPECT_FALSE(FileExists(scratch.File("stub-dialog-ran")));
    EXPECT_FALSE(LibraryLoaded());
}

// What the editor puts into the options: the sound counts, the depth flag
// above 256 colours, the animation's own size and the video path.
TEST_F(ExportBridge, TheOptionsCarryTheDocumentsSoundsDepthAndSize)
{
    LibraryInPlace recording("recording-stub");
    const struct {
        const char* what;
        int colorCount;
        uint8_t sizeMode;
        std::vector<uint16_t> sounds;
        uint32_t flags;
        uint16_t width, height, waves;
    } cases[] = {
        {"256 colours, fixed size", 256, 1, {ANIM_SOUND_WAVE, ANIM_SOUND_MIDI, ANIM_SOUND_DETECT | SND_LOOP}, 0, 333, 222, 2},
        {"65536 colours, default size", 65536, 0, {ANIM_SOUND_MIDI}, AVI_EXPORT_KEEP_DEPTH, 320, 240, 0},
        {"true colour, screen size", 16777216, 2, {}, AVI_EXPORT_KEEP_DEPTH,
         static_cast<uint16_t>(GetSystemMetrics(SM_CXSCREEN)), static_cast<uint16_t>(GetSystemMetrics(SM_CYSCREEN)), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        g_appState.colorCount = c.colorCount;
        g_document.animationSettings.sizeMode = c.sizeMode;
        g_document.animationSettings.width = 333;
        g_document.animationSettings.height = 222;
        g_document.soundCount = static_cast<uint8_t>(c.sounds.size());
        for (size_t i = 0; i < c.sounds.size(); ++i) g_document.soundTable[i].soundFlags = c.sounds[i];
        DeleteFileA("stub-options.bin");
        EXPECT_EQ(ExportAnimationToAvi(driver.hwnd, animation.c_str(), video.c_str()), 0);
        EXPECT_FALSE(LibraryLoaded());
        const std::vector<uint8_t> bytes = ReadWholeFile(scratch.File("stub-options.bin"));
        ASSERT_EQ(bytes.size(), sizeof(AviExportOptions));
        AviExportOptions o;
        memcpy(&o, bytes.data(), sizeof o);
        EXPECT_EQ(o.size, sizeof(AviExportOptions));
        EXPECT_EQ(o.flags, c.flags);
        EXPECT_EQ(o.soundCount, c.sounds.size());
        EXPECT_EQ(o.wavSoundCount, c.waves);
        EXPECT_EQ(o.width, c.width);
        EXPECT_EQ(o.height, c.height);
        EXPECT_EQ(o.aviFile, nullptr);
        EXPECT_EQ(o.framesPerSec, 0);
        EXPECT_EQ(o.maxFrames, 0);
        const std::vector<uint8_t> path = ReadWholeFile(scratch.File("stub-avi-path.txt"));
        EXPECT_EQ(std::string(path.begin(), path.end()), video);
    }
    EXPECT_FALSE(FileExists(scratch.File("stub-export-ran")));
}

TEST_F(ExportBridge, TheEditorsVideoHookRunsTheBridge)
{
    g_appState.hooks.exportVideo = nullptr;
    InstallVideoExportBridge();
    ASSERT_NE(g_appState.hooks.exportVideo, nullptr);
    std::string caption;
    DialogAutoAnswer answer([&](HWND dialog) {
        char text[64];
        GetWindowTextA(dialog, text, sizeof text);
        caption = text;
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    // The hook takes the video path first.
    EXPECT_EQ(g_appState.hooks.exportVideo(driver.hwnd, video.c_str(), animation.c_str()), 0);
    EXPECT_EQ(caption, "AVI-Export");
    EXPECT_FALSE(LibraryLoaded());
}

}  // namespace
