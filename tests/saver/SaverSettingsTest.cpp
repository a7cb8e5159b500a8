// The screensaver's pure decisions: the password hash, the next animation,
// placement on the screen, the settings file read and written back, the
// command line and the editor's command.
#include "SaverTestSupport.h"
#include <gtest/gtest.h>
#include <cstdio>

namespace {

// Random numbers from a list, for choices that must be foreseeable.
std::vector<int> g_numbers;
size_t g_next = 0;
int ListedRandom() { return g_numbers[g_next++ % g_numbers.size()]; }
void UseNumbers(std::vector<int> numbers)
{
    g_numbers = std::move(numbers);
    g_next = 0;
}

SaverList MakeList(std::initializer_list<bool> active)
{
    SaverList list{};
    for (bool on : active) {
        snprintf(list.entries[list.count].path, SAVER_PATH_CHARS, "C:\\a%d.ans", list.count);
        list.entries[list.count++].active = on;
    }
    return list;
}

void WriteText(const std::string& path, const std::string& text)
{
    ASSERT_TRUE(WriteWholeFile(path, std::vector<uint8_t>(text.begin(), text.end())));
}

std::string ReadText(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(SaverHash, MatchesTheSystemsHashOfTheScreensaverPassword)
{
    const struct {
        const char* text;
        uint32_t hash;
    } cases[] = {
        {"", 0x00110000},
        {"A", 0x00100082},
        {"abc", 0x00121032},
        {"secret", 0x0017A205},
        {"0123456789012345678901234567890123456789", 0x003E8A81},  // 40 characters, the dialog's limit
        {"\xE4\xF6\xFC\xDF", 0xFFEB8507},                          // bytes above 127 count as negative
        {"\xFF\xFF\xFF\xFF", 0xFFEB0429},
    };
    for (const auto& c : cases) EXPECT_EQ(c.hash, PasswordHash(c.text)) << c.text;
}

TEST(SaverChoice, NextIndexSkipsInactiveEntriesAndWraps)
{
    const struct {
        std::initializer_list<bool> active;
        int current, next;
    } cases[] = {
        {{true, true, true}, -1, 0},
        {{true, true, true}, 0, 1},
        {{true, true, true}, 2, 0},         // wraps
        {{true, false, false, true}, 0, 3}, // over a gap
        {{false, true, false}, 1, 1},       // the only active entry again
        {{false, true, false}, -1, 1},
        {{true, false, true}, 2, 0},
        {{false, false}, -1, -1},           // none: the built-in animation
        {{}, -1, -1},
        {{true, true}, 7, 0},               // an index past the list starts over
    };
    for (const auto& c : cases) {
        const SaverList list = MakeList(c.active);
        EXPECT_EQ(c.next, NextAnimationIndex(list, c.current, false, ListedRandom)) << "from " << c.current;
    }
}

TEST(SaverChoice, RandomOrderPicksAnotherActiveEntry)
{
    const SaverList list = MakeList({true, false, true, true});
    // r % 3 names the r-th active entry: 0 -> 0, 1 -> 2, 2 -> 3.
    UseNumbers({0, 3, 1});
    EXPECT_EQ(2, NextAnimationIndex(list, 0, true, ListedRandom)) << "0 and 3 name the playing entry";
    EXPECT_EQ(3u, g_next);
    UseNumbers({5});
    EXPECT_EQ(3, NextAnimationIndex(list, 0, true, ListedRandom));
    // One active entry: it plays again without asking for a random number.
    const SaverList one = MakeList({false, true, false});
    UseNumbers({1});
    EXPECT_EQ(1, NextAnimationIndex(one, 1, true, ListedRandom));
    EXPECT_EQ(0u, g_next);
    EXPECT_EQ(-1, NextAnimationIndex(MakeList({false}), -1, true, ListedRandom));
}

TEST(SaverChoice, PlacementCentresClampsAndPlacesAtRandom)
{
    UseNumbers({1000003, 7});
    const struct {
        int mode;
        POINT fixed;
        int w, h;
        POINT expected;
    } cases[] = {
        {0, {0, 0}, 200, 150, {412, 309}},
        {0, {0, 0}, 1024, 768, {0, 0}},
        {2, {100, 60}, 200, 150, {100, 60}},
        {2, {900, 700}, 200, 150, {824, 618}},  // kept on the screen
        {2, {-30, -5}, 200, 150, {0, 0}},
        {2, {50, 50}, 1024, 768, {0, 0}},
        // Random: 1024/64 + r % (1024 - 32 - 200), then 768/64 + r % (768 - 24 - 150).
        {1, {0, 0}, 200, 150, {16 + 1000003 % 792, 12 + 7 % 594}},
        {3, {0, 0}, 1000, 760, {0, 0}},  // no room: the top-left corner
    };
    for (const auto& c : cases) {
        g_next = 0;
        const POINT at = PlaceOnScreen(c.mode, c.fixed, c.w, c.h, 1024, 768, ListedRandom);
        EXPECT_EQ(c.expected.x, at.x) << "mode " << c.mode << " w " << c.w;
        EXPECT_EQ(c.expected.y, at.y) << "mode " << c.mode << " h " << c.h;
    }
}

TEST(SaverSettings, MissingKeysGiveTheDefaults)
{
    SaverSession s;
    SaverOptions options{};
    SaverList list{};
    list.count = 5;
    ReadSaverSettings(g_saver.iniPath, &options, &list);
    EXPECT_EQ(0, options.continueValue);
    EXPECT_FALSE(options.random);
    EXPECT_EQ(-1, options.curTag);
    EXPECT_FALSE(options.maxPlay);
    EXPECT_EQ(30, options.seconds);
    EXPECT_FALSE(options.showDesktop);
    EXPECT_EQ(0, list.count);
}

TEST(SaverSettings, ListEntriesAreReadUntilTheFirstMissingKey)
{
    SaverSession s;
    const std::string longPath = "C:\\" + std::string(77, 'x');  // 80 characters: no entry holds it
    const std::string longest = "C:\\" + std::string(76, 'y');   // 79 characters
    WriteText(g_saver.iniPath,
              "[OPTIONS]\r\nContinue=7\r\nRandom=1\r\nCurTag=1\r\nMaxPlay=1\r\nSeconds=45\r\nShowDesktop=1\r\n"
              "[ANSFILES]\r\n"
              "File1=C:\\one.ans;1\r\n"
              "File2=C:\\two.ans;0\r\n"
              "File3=C:\\three;semi.ans\r\n"            // the flag after the last ";" is no number: inactive
              "File4=C:\\four.ans\r\n"                  // no ";": active
              "File5=" + longPath + ";1\r\n"
              "File6=" + longest + ";1\r\n"
              "File8=C:\\after-the-gap.ans;1\r\n");
    SaverOptions options{};
    SaverList list{};
    ReadSaverSettings(g_saver.iniPath, &options, &list);
    EXPECT_EQ(7, options.continueValue);
    EXPECT_TRUE(options.random);
    EXPECT_EQ(1, options.curTag);
    EXPECT_TRUE(options.maxPlay);
    EXPECT_EQ(45, options.seconds);
    EXPECT_TRUE(options.showDesktop);
    ASSERT_EQ(5, list.count) << "File5 is skipped whole, File7 ends the list";
    const struct {
        const char* path;
        bool active;
    } expected[] = {{"C:\\one.ans", true}, {"C:\\two.ans", false}, {"C:\\three", false}, {"C:\\four.ans", true},
                    {longest.c_str(), true}};
    for (int i = 0; i < list.count; ++i) {
        EXPECT_STREQ(expected[i].path, list.entries[i].path) << i;
        EXPECT_EQ(expected[i].active, list.entries[i].active) << i;
    }
}

TEST(SaverSettings, AbsurdValuesStayInTheirRange)
{
    SaverSession s;
    std::string text = "[OPTIONS]\r\nCurTag=5000\r\nSeconds=3\r\nRandom=-9\r\n[ANSFILES]\r\nFile1=;1\r\nFile2=" +
                       std::string(3000, 'z') + "\r\n";
    for (int n = 3; n <= 130; ++n) text += "File" + std::to_string(n) + "=C:\\f" + std::to_string(n) + ".ans;1\r\n";
    WriteText(g_saver.iniPath, text);
    SaverOptions options{};
    SaverList list{};
    ReadSaverSettings(g_saver.iniPath, &options, &list);
    EXPECT_EQ(10, options.seconds) << "fewer than 10 seconds would switch at every tick";
    EXPECT_EQ(-1, options.curTag);
    EXPECT_TRUE(options.random);
    ASSERT_EQ(SAVER_MAX_ENTRIES, list.count) << "no more than 100 entries, the empty and the huge one skipped";
    EXPECT_STREQ("C:\\f3.ans", list.entries[0].path);
    EXPECT_STREQ("C:\\f102.ans", list.entries[99].path);
    for (const char* seconds : {"0", "-20", "x"}) {
        WritePrivateProfileStringA("OPTIONS", "Seconds", seconds, g_saver.iniPath);
        ReadSaverSettings(g_saver.iniPath, &options, &list);
        EXPECT_EQ(10, options.seconds) << seconds;
    }
}

TEST(SaverSettings, WritingRewritesTheListWholeAndReadsBackTheSame)
{
    SaverSession s;
    for (int i = 0; i < 5; ++i) s.Add("C:\\anim" + std::to_string(i) + ".ans", i % 2 == 0);
    g_saver.options = {3, true, 4, true, 120, true};
    ASSERT_TRUE(WriteSaverSettings(g_saver.iniPath, g_saver.options, g_saver.list));
    EXPECT_NE(std::string::npos, ReadText(g_saver.iniPath).find("File2=C:\\anim1.ans;0")) << ReadText(g_saver.iniPath);

    // A shorter list must not bring the removed entries back.
    g_saver.list.count = 2;
    g_saver.options.curTag = 1;
    ASSERT_TRUE(WriteSaverSettings(g_saver.iniPath, g_saver.options, g_saver.list));
    SaverOptions options{};
    SaverList list{};
    ReadSaverSettings(g_saver.iniPath, &options, &list);
    ASSERT_EQ(2, list.count) << ReadText(g_saver.iniPath);
    EXPECT_STREQ("C:\\anim0.ans", list.entries[0].path);
    EXPECT_TRUE(list.entries[0].active);
    EXPECT_STREQ("C:\\anim1.ans", list.entries[1].path);
    EXPECT_FALSE(list.entries[1].active);
    EXPECT_EQ(3, options.continueValue);
    EXPECT_TRUE(options.random);
    EXPECT_EQ(1, options.curTag);
    EXPECT_TRUE(options.maxPlay);
    EXPECT_EQ(120, options.seconds);
    EXPECT_TRUE(options.showDesktop);
    EXPECT_EQ(std::string::npos, ReadText(g_saver.iniPath).find("File3")) << ReadText(g_saver.iniPath);
}

TEST(SaverSettings, FileSitsBesideTheProgram)
{
    char path[MAX_PATH];
    const struct {
        const char* program;
        const char* ini;
    } cases[] = {
        {"C:\\Zelvo\\ZelvoSave.scr", "C:\\Zelvo\\ZelvoSave.INI"},
        {"C:\\Zelvo\\ZelvoSave.exe", "C:\\Zelvo\\ZelvoSave.INI"},
        {"C:\\my.folder\\saver", "C:\\my.folder\\saver.INI"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(SaverIniPathFor(c.program, path));
        EXPECT_STREQ(c.ini, path);
    }
    EXPECT_FALSE(SaverIniPathFor(("C:\\" + std::string(MAX_PATH, 'p')).c_str(), path));
}

TEST(SaverStart, CommandLineIsSearchedAnywhereInAnyCase)
{
    const struct {
        const char* line;
        SaverMode mode;
        bool install;
    } cases[] = {
        {"", SAVER_MODE_RUN, false},          {"/s", SAVER_MODE_RUN, false},
        {"/c", SAVER_MODE_CONFIGURE, false},  {"-C:1234", SAVER_MODE_CONFIGURE, false},
        {"/c /i", SAVER_MODE_CONFIGURE, true}, {"x -I -c", SAVER_MODE_CONFIGURE, true},
        {"/p 5678", SAVER_MODE_PREVIEW, false}, {"-P", SAVER_MODE_PREVIEW, false},
    };
    for (const auto& c : cases) {
        bool install = false;
        EXPECT_EQ(c.mode, ParseSaverCommandLine(c.line, &install)) << c.line;
        EXPECT_EQ(c.install, install) << c.line;
    }
}

TEST(SaverEditor, CommandTakesThePathFromItsLastPercentOn)
{
    const struct {
        const char* registered;
        const char* command;
    } cases[] = {
        {"\"C:\\Zelvo\\ZELVO.exe\" \"%1\"", "\"C:\\Zelvo\\ZELVO.exe\" \"C:\\a b\\x.ans"},
        {"C:\\ZELVO.exe %1", "C:\\ZELVO.exe C:\\a b\\x.ans"},
        {"C:\\ZELVO.exe /x%d %1", "C:\\ZELVO.exe /x%d C:\\a b\\x.ans"},
        {"C:\\ZELVO.exe", "C:\\ZELVO.exe C:\\a b\\x.ans"},  // no mark: appended after a blank
    };
    for (const auto& c : cases) EXPECT_EQ(c.command, EditorCommandFor(c.registered, "C:\\a b\\x.ans")) << c.registered;
}

TEST(SaverEditor, NothingStartsWithoutARegisteredCommand)
{
    {
        EditorStarts starts(nullptr);
        EXPECT_FALSE(OpenInEditor("C:\\x.ans"));
        EXPECT_TRUE(starts.Started().empty());
    }
    EditorStarts starts("ZELVO.exe \"%1\"");
    EXPECT_TRUE(OpenInEditor("C:\\x.ans"));
    ASSERT_EQ(1u, starts.Started().size());
    EXPECT_EQ("ZELVO.exe \"C:\\x.ans", starts.Started()[0]);
}
