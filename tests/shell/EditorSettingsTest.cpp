// The editor's settings: defaults written once, the option bits, the keys
// kept per editor instance and what is written at exit.
#include "AppState.h"
#include "DocumentStrings.h"
#include "EditorSettings.h"
#include "RecentFiles.h"
#include "TestFiles.h"
#include <gtest/gtest.h>
#include <string>

namespace {

class EditorSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { UseFile(scratch_.File("Zelvo.ini")); }
    void TearDown() override
    {
        SetIniFilePath(nullptr);
        g_appState = AppState{};
        g_recentFiles = {};
    }
    void UseFile(const std::string& path)
    {
        path_ = path;
        SetIniFilePath(path_.c_str());
    }
    std::string Raw(const char* section, const char* key)
    {
        char value[MAX_PATH] = {};
        GetPrivateProfileStringA(section, key, "<none>", value, sizeof value, path_.c_str());
        return value;
    }
    void SetRaw(const char* section, const char* key, const char* value)
    {
        WritePrivateProfileStringA(section, key, value, path_.c_str());
    }
    ScratchDir scratch_;
    std::string path_;
};

TEST_F(EditorSettingsTest, ReadDefaultsApplyUntilTheFirstStartWritesItsOwn)
{
    // Before the file exists every reader supplies its own default ...
    EXPECT_EQ(ReadSetting(IDS_KEY_UNDO_BUFFER_SIZE), 1024);
    EXPECT_EQ(ReadSetting(IDS_KEY_BMX_COMPRESSION), 546);
    EXPECT_EQ(ReadSetting(IDS_KEY_USE_DEVICE_BITMAPS), -1);
    EXPECT_EQ(ReadSetting(IDS_KEY_GREASE_PROOF_MODE), -1);
    EXPECT_EQ(ReadSetting(IDS_KEY_MOVE_KEYS), 14);
    EXPECT_EQ(ReadSetting(IDS_KEY_USE_SYSTEM_PALETTE), 0);
    EXPECT_EQ(ReadSetting(IDS_KEY_SHOW_PREVIEW), 1);
    // ... and the first start writes other values for two of them.
    WriteDefaultSettings(1);
    EXPECT_EQ(ReadSetting(IDS_KEY_UNDO_BUFFER_SIZE), 8192);
    EXPECT_EQ(ReadSetting(IDS_KEY_USE_SYSTEM_PALETTE), 1);
    EXPECT_EQ(Raw("File", "ShowPreview"), "<none>") << "written only when the preview is toggled";
    EXPECT_EQ(Raw("Edit", "ViewSize1"), "50 50");
}

TEST_F(EditorSettingsTest, DefaultsNeverOverwriteAnExistingFileEvenInADeepFolder)
{
    // The settings file of a program installed deep in the folder tree: its
    // path is longer than the 127 characters of the old existence test.
    std::string folder = scratch_.Path();
    while (folder.size() < 170) {
        folder += "a_long_folder_name\\";
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    }
    UseFile(folder + "Zelvo.ini");
    WriteDefaultSettings(1);
    ASSERT_EQ(Raw("Edit", "UndoBufferSize"), "8192");
    SetRaw("Edit", "UndoBufferSize", "2048");
    SetRaw("File", "UseSavedPalette", "2");

    WriteDefaultSettings(1);
    EXPECT_EQ(Raw("Edit", "UndoBufferSize"), "2048");
    EXPECT_EQ(Raw("File", "UseSavedPalette"), "2");

    WriteDefaultSettings(0);  // unconditionally
    EXPECT_EQ(Raw("Edit", "UndoBufferSize"), "8192");
    EXPECT_EQ(Raw("File", "UseSavedPalette"), "1");
}

TEST_F(EditorSettingsTest, StartupReadsTheOptionBitsAndTheFurtherValues)
{
    StartupSettings startup = ReadStartupSettings();
    const uint32_t defaults = 1u << OPTION_CLIPBOARD_PALETTE_SHIFT | 1u << OPTION_SAVED_PALETTE_SHIFT |
                              1u << OPTION_ASK_STRETCH_SHIFT | OPTION_SHOW_FRAME_ON_INSERT | OPTION_PREVIEW_TEXT;
    EXPECT_EQ(g_appState.optionFlags, defaults);
    EXPECT_EQ(SavedPaletteMode(), 1);
    EXPECT_EQ(g_appState.moveKeys, 14);
    EXPECT_EQ(startup.undoBufferSize, 8192);
    EXPECT_EQ(startup.onionSkinSource, -1);

    struct Case {
        const char* section;
        const char* key;
        const char* value;
        uint32_t bits;
    };
    const Case cases[] = {
        {"Window", "UseClipboardPalette", "2", 2u << OPTION_CLIPBOARD_PALETTE_SHIFT},
        {"Window", "TrackFilm", "1", OPTION_TRACK_FILM},
        {"Window", "RightDblClick", "1", OPTION_RIGHT_DBL_CLICK},
        {"File", "UseSavedPalette", "2", 2u << OPTION_SAVED_PALETTE_SHIFT},
        {"File", "AskStretchFrame", "2", 2u << OPTION_ASK_STRETCH_SHIFT},
        {"Edit", "AutoClearFrameSelection", "1", OPTION_AUTO_CLEAR_FRAME_SELECTION},
        {"Edit", "ShowFrameOnInsert", "0", 0},
        {"Edit", "AlternateFill", "2", 2u << OPTION_ALTERNATE_FILL_SHIFT},
        {"Edit", "SoftUndo", "1", OPTION_SOFT_UNDO},
        {"Edit", "PreviewText", "0", 0},
        {"Edit", "EditBorder", "1", OPTION_EDIT_BORDER},
        {"File", "DitherOnOpen", "1", OPTION_DITHER_ON_OPEN},
        {"File", "DitherOnPaste", "1", OPTION_DITHER_ON_PASTE},
    };
    uint32_t expected = 0;
    for (const Case& c : cases) {
        SetRaw(c.section, c.key, c.value);
        expected |= c.bits;
    }
    SetRaw("Edit", "MoveKeys", "13");
    SetRaw("Edit", "GreaseProofMode", "1");
    startup = ReadStartupSettings();
    EXPECT_EQ(g_appState.optionFlags, expected);
    EXPECT_EQ(SavedPaletteMode(), 2);
    EXPECT_EQ(g_appState.moveKeys, 13);
    EXPECT_EQ(startup.onionSkinSource, 1);

    // A value wider than its field does not spill into the next option.
    SetRaw("File", "UseSavedPalette", "7");
    EXPECT_EQ(ReadOptionFlags() & (OPTION_TWO_BITS << OPTION_ASK_STRETCH_SHIFT), 2u << OPTION_ASK_STRETCH_SHIFT);
}

TEST_F(EditorSettingsTest, ViewSizesOutsideFiveToNinetyFiveReadAsFifty)
{
    struct Case {
        const char* stored;
        int horizontal, vertical;
    };
    const Case cases[] = {
        {"3 50", 50, 50}, {"30 70", 30, 70}, {"95 5", 95, 5}, {"96 4", 50, 50},
        {"", 50, 50},     {"abc", 50, 50},   {"40", 40, 50}, {"-20 60", 50, 60},
    };
    for (const Case& c : cases) {
        SetRaw("Edit", "ViewSize1", c.stored);
        int h = 0, v = 0;
        ReadViewSize(&h, &v);
        EXPECT_EQ(h, c.horizontal) << c.stored;
        EXPECT_EQ(v, c.vertical) << c.stored;
    }
}

TEST_F(EditorSettingsTest, TwoInstancesKeepTheirOwnWindowAndViewKeys)
{
    g_appState.instanceNumber = 1;
    WriteViewSize(30, 70);
    WriteIniString(IDS_SECTION_WINDOW, IDS_KEY_WINDOW_SIZE, "10 20 768 568");
    WriteSetting(IDS_KEY_MAXIMIZED, 1);
    g_appState.instanceNumber = 2;
    WriteViewSize(60, 40);
    WriteIniString(IDS_SECTION_WINDOW, IDS_KEY_WINDOW_SIZE, "300 200 640 480");

    EXPECT_EQ(Raw("Edit", "ViewSize1"), "30 70");
    EXPECT_EQ(Raw("Edit", "ViewSize2"), "60 40");
    EXPECT_EQ(Raw("Window", "Maximized1"), "1");
    EXPECT_EQ(Raw("Window", "Maximized2"), "<none>");

    int h, v;
    WindowSize size{};
    ReadViewSize(&h, &v);
    EXPECT_EQ(h, 60);
    EXPECT_EQ(v, 40);
    ASSERT_TRUE(ReadWindowSize(&size));
    EXPECT_EQ(size.left, 300);
    EXPECT_EQ(size.height, 480);
    EXPECT_EQ(ReadMaximized(), 0);

    g_appState.instanceNumber = 1;
    ReadViewSize(&h, &v);
    EXPECT_EQ(h, 30);
    ASSERT_TRUE(ReadWindowSize(&size));
    EXPECT_EQ(size.top, 20);
    EXPECT_EQ(size.width, 768);
    EXPECT_EQ(ReadMaximized(), 1);

    g_appState.instanceNumber = 3;
    EXPECT_FALSE(ReadWindowSize(&size)) << "a missing key holds no size";
    WriteIniString(IDS_SECTION_WINDOW, IDS_KEY_WINDOW_SIZE, "1 2 3");
    EXPECT_FALSE(ReadWindowSize(&size));
}

TEST_F(EditorSettingsTest, ExitWritesTheWindowThenTheOnionSkinSourceThenTheRecentFiles)
{
    g_appState.instanceNumber = 2;
    HWND window = CreateWindowExA(0, "STATIC", "main", WS_OVERLAPPEDWINDOW, 40, 30, 500, 400, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(window);
    AddRecentFile("C:\\anims\\fish.ans");

    SaveWindowPlacement(window, 1);
    EXPECT_EQ(Raw("Window", "WindowSize2"), "40 30 500 400");
    EXPECT_EQ(Raw("Window", "Maximized2"), "0");
    EXPECT_EQ(Raw("Edit", "GreaseProofMode"), "1");
    EXPECT_EQ(Raw("MRU", "0"), "C:\\anims\\fish.ans");

    // Maximised or minimised, the size of the normal window stays as it was.
    SetWindowPos(window, nullptr, 0, 0, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window, SW_MAXIMIZE);
    ASSERT_TRUE(IsZoomed(window));
    SaveWindowPlacement(window, 0);
    EXPECT_EQ(Raw("Window", "WindowSize2"), "40 30 500 400");
    EXPECT_EQ(Raw("Window", "Maximized2"), "1");
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(window));
    SaveWindowPlacement(window, -1);
    EXPECT_EQ(Raw("Window", "WindowSize2"), "40 30 500 400");
    EXPECT_EQ(Raw("Window", "Maximized2"), "0");
    EXPECT_EQ(Raw("Edit", "GreaseProofMode"), "-1");
    DestroyWindow(window);
}

}  // namespace
