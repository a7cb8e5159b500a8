// The settings file's accessors and the recent-files list with its menu.
#include "DocumentStrings.h"
#include "AppState.h"
#include "RecentFiles.h"
#include "Settings.h"
#include "TestFiles.h"
#include <gtest/gtest.h>
#include <string>

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = scratch_.File("Zelvo.ini");
        SetIniFilePath(path_.c_str());
        g_appState.instanceNumber = 1;
        g_recentFiles = {};
    }
    void TearDown() override
    {
        SetIniFilePath(nullptr);
        g_appState.instanceNumber = 1;
        if (g_recentFiles.menu) DestroyMenu(g_recentFiles.menu);
        g_recentFiles = {};
    }
    std::string Raw(const char* section, const char* key)
    {
        char value[MAX_PATH] = {};
        GetPrivateProfileStringA(section, key, "<none>", value, sizeof value, path_.c_str());
        return value;
    }
    ScratchDir scratch_;
    std::string path_;
};

TEST_F(SettingsTest, TheFileSitsBesideTheProgram)
{
    SetIniFilePath(nullptr);
    char module[MAX_PATH], ini[MAX_PATH];
    GetModuleFileNameA(nullptr, module, sizeof module);
    GetIniFilePath(ini, sizeof ini);
    std::string expected = module;
    expected = expected.substr(0, expected.rfind('.')) + ".ini";
    EXPECT_EQ(std::string(ini), expected);
    SetIniFilePath(path_.c_str());
    GetIniFilePath(ini, sizeof ini);
    EXPECT_EQ(std::string(ini), path_);
}

TEST_F(SettingsTest, KeysByStringIdWithDefaults)
{
    EXPECT_EQ(ReadIniInt(IDS_SECTION_FILE, IDS_KEY_BMX_COMPRESSION, 546), 546);
    EXPECT_EQ(ReadIniInt(IDS_SECTION_FILE, IDS_KEY_USE_DEVICE_BITMAPS, -1), -1);
    char text[64] = "untouched";
    ReadIniString(IDS_SECTION_EDIT, IDS_KEY_VIEW_SIZE, text, sizeof text);
    EXPECT_STREQ(text, "");

    EXPECT_TRUE(WriteIniInt(IDS_SECTION_FILE, IDS_KEY_BMX_COMPRESSION, 819));
    EXPECT_TRUE(WriteIniInt(IDS_SECTION_FILE, IDS_KEY_USE_DEVICE_BITMAPS, -1));
    EXPECT_TRUE(WriteIniString(IDS_SECTION_PRINT, IDS_KEY_BANDING, "0"));
    EXPECT_EQ(ReadIniInt(IDS_SECTION_FILE, IDS_KEY_BMX_COMPRESSION, 546), 819);
    EXPECT_EQ(ReadIniInt({IDS_SECTION_FILE, IDS_KEY_USE_DEVICE_BITMAPS}, 5), -1);
    EXPECT_EQ(ReadIniInt(IDS_SECTION_PRINT, IDS_KEY_BANDING, 1), 0);
    EXPECT_EQ(Raw("File", "BMX-Compression"), "819");
    EXPECT_EQ(Raw("File", "UseDeviceBitmaps"), "-1");
    EXPECT_EQ(Raw("Print", "Banding"), "0");

    // An id without a text falls back to the default and writes nothing.
    EXPECT_EQ(ReadIniInt(IDS_SECTION_FILE, 8999, 7), 7);
    EXPECT_FALSE(WriteIniInt(8999, IDS_KEY_BANDING, 3));
}

TEST_F(SettingsTest, PerInstanceKeysCarryTheInstanceNumber)
{
    g_appState.instanceNumber = 1;
    WriteIniString(IDS_SECTION_WINDOW, IDS_KEY_WINDOW_SIZE, "0 0 768 568");
    WriteIniInt(IDS_SECTION_WINDOW, IDS_KEY_MAXIMIZED, 1);
    g_appState.instanceNumber = 2;
    WriteIniString(IDS_SECTION_WINDOW, IDS_KEY_WINDOW_SIZE, "10 20 640 480");
    EXPECT_EQ(ReadIniInt(IDS_SECTION_WINDOW, IDS_KEY_MAXIMIZED, 0), 0);
    char text[64];
    ReadIniString(IDS_SECTION_WINDOW, IDS_KEY_WINDOW_SIZE, text, sizeof text);
    EXPECT_STREQ(text, "10 20 640 480");
    EXPECT_EQ(Raw("Window", "WindowSize1"), "0 0 768 568");
    EXPECT_EQ(Raw("Window", "WindowSize2"), "10 20 640 480");
    EXPECT_EQ(Raw("Window", "Maximized1"), "1");
    // A short buffer gets a cut, terminated value.
    char small[5];
    ReadIniString(IDS_SECTION_WINDOW, IDS_KEY_WINDOW_SIZE, small, sizeof small);
    EXPECT_STREQ(small, "10 2");
}

std::string Path(int n) { return "C:\\Animations\\Scene" + std::to_string(n) + ".ans"; }

TEST_F(SettingsTest, RecentFilesKeepEightOldestFirst)
{
    for (int i = 1; i <= 9; ++i) AddRecentFile(Path(i).c_str());
    ASSERT_EQ(g_recentFiles.count, 8);
    EXPECT_EQ(std::string(g_recentFiles.paths[0]), Path(2));  // the oldest was dropped
    EXPECT_EQ(std::string(g_recentFiles.paths[7]), Path(9));
    // Reopening the oldest (in other letter case) moves it to the end.
    AddRecentFile("c:\\animations\\scene2.ANS");
    EXPECT_EQ(g_recentFiles.count, 8);
    EXPECT_EQ(std::string(g_recentFiles.paths[0]), Path(3));
    EXPECT_EQ(std::string(g_recentFiles.paths[7]), "c:\\animations\\scene2.ANS");
    // The newest again: nothing changes, not even its spelling.
    AddRecentFile("C:\\ANIMATIONS\\SCENE2.ANS");
    EXPECT_EQ(std::string(g_recentFiles.paths[7]), "c:\\animations\\scene2.ANS");
    EXPECT_EQ(FindRecentFile("C:\\Animations\\scene5.ans"), 2);
    EXPECT_EQ(FindRecentFile("C:\\Animations\\Scene1.ans"), -1);
    EXPECT_EQ(std::string(GetRecentFile(150)), Path(3));
    EXPECT_EQ(GetRecentFile(158), nullptr);
    EXPECT_EQ(GetRecentFile(149), nullptr);
    // A path too long to open is not taken in (nor cut to another path).
    AddRecentFile(std::string(MAX_PATH, 'x').c_str());
    EXPECT_EQ(std::string(g_recentFiles.paths[0]), Path(3));
}

TEST_F(SettingsTest, SavingRemovesTheKeyAfterTheLastEntry)
{
    WritePrivateProfileStringA("MRU", "3", "C:\\old.ans", path_.c_str());
    for (int i = 1; i <= 3; ++i) AddRecentFile(Path(i).c_str());
    SaveRecentFiles();
    EXPECT_EQ(Raw("MRU", "0"), Path(1));
    EXPECT_EQ(Raw("MRU", "2"), Path(3));
    EXPECT_EQ(Raw("MRU", "3"), "<none>");
    g_recentFiles = {};
    EXPECT_EQ(LoadRecentFiles(nullptr), 3);
    EXPECT_EQ(std::string(g_recentFiles.paths[2]), Path(3));
}

TEST_F(SettingsTest, LoadingStopsAtTheFirstMissingKey)
{
    WritePrivateProfileStringA("MRU", "0", "C:\\a.ans", path_.c_str());
    WritePrivateProfileStringA("MRU", "1", "C:\\b.ans", path_.c_str());
    WritePrivateProfileStringA("MRU", "3", "C:\\d.ans", path_.c_str());
    EXPECT_EQ(LoadRecentFiles(nullptr), 2);
}

std::string MenuText(HMENU menu, UINT id)
{
    char text[MAX_PATH + 16] = {};
    GetMenuStringA(menu, id, text, sizeof text, MF_BYCOMMAND);
    return text;
}

TEST_F(SettingsTest, MenuItemsShowTheNewestAtTheBottomAsOne)
{
    // File menu: Open, the recent-files placeholder, a separator, Exit.
    HMENU bar = CreateMenu(), file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 101, "&Open");
    AppendMenuA(file, MF_STRING | MF_GRAYED, IDM_RECENT_FILE_FIRST, "(no files)");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, 199, "E&xit");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    for (int i = 1; i <= 3; ++i) WritePrivateProfileStringA("MRU", std::to_string(i - 1).c_str(), Path(i).c_str(), path_.c_str());
    EXPECT_EQ(LoadRecentFiles(bar), 3);
    EXPECT_EQ(GetMenuItemCount(file), 6);
    EXPECT_EQ(MenuText(bar, 150), "&3 " + Path(1));
    EXPECT_EQ(MenuText(bar, 152), "&1 " + Path(3));
    EXPECT_EQ(GetMenuItemID(file, 3), 152u);
    EXPECT_EQ(GetMenuItemID(file, 5), 199u);  // Exit stays last

    AddRecentFile(Path(4).c_str());
    EXPECT_EQ(GetMenuItemCount(file), 7);
    EXPECT_EQ(MenuText(bar, 153), "&1 " + Path(4));
    EXPECT_EQ(MenuText(bar, 150), "&4 " + Path(1));
    AddRecentFile(Path(1).c_str());  // the oldest moves to the bottom
    EXPECT_EQ(GetMenuItemCount(file), 7);
    EXPECT_EQ(MenuText(bar, 153), "&1 " + Path(1));
    EXPECT_EQ(MenuText(bar, 150), "&4 " + Path(2));
    g_recentFiles.menu = bar;
}

TEST(RecentFileLabels, DeepPathsKeepTheirDriveAndAShortTail)
{
    struct { const char* path; const char* label; } cases[] = {
        {"C:\\Zelvo\\Birds.ans", "&1 C:\\Zelvo\\Birds.ans"},
        {"Birds.ans", "&1 Birds.ans"},
        {"C:\\Program Files\\Zelvo\\Samples\\Animations\\Birds\\flock.ans",
         "&1 C:\\...\\Animations\\Birds\\flock.ans"},
        {"/home/anna/projects/zelvo/samples/birds/flock.ans", "&1 /.../zelvo/samples/birds/flock.ans"},
        {"C:\\a\\A_really_long_file_name_that_never_ends.ans", "&1 C:\\...\\A_really_long_file_name_that_never_ends.ans"},
        {"C:\\A_really_long_file_name_that_never_ends.ans", "&1 C:\\A_really_long_file_name_that_never_ends.ans"},
    };
    char label[RECENT_LABEL_CHARS];
    for (const auto& c : cases) {
        FormatRecentFileLabel(1, c.path, label, sizeof label);
        EXPECT_STREQ(label, c.label);
    }
    FormatRecentFileLabel(7, "C:\\x.ans", label, sizeof label);
    EXPECT_STREQ(label, "&7 C:\\x.ans");
    // A label never runs past its buffer.
    char small[12];
    FormatRecentFileLabel(1, "C:\\Program Files\\Zelvo\\x.ans", small, sizeof small);
    EXPECT_STREQ(small, "&1 C:\\Progr");
}

}  // namespace
