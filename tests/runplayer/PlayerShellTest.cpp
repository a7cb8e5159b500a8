// End action 3: which part of the name the shell is asked first, the second
// try with the whole name, and the one kind of name the player refuses to
// hand over: a program an archive carried.
#include "PlayerTestSupport.h"
#include <gtest/gtest.h>

namespace {

struct ShellCall {
    std::string verb, file, directory;
    int show;
};
std::vector<ShellCall> g_calls;
std::vector<INT_PTR> g_results;  // one a call; 42 once they are used up

HINSTANCE WINAPI RecordShellCall(HWND, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show)
{
    EXPECT_EQ(nullptr, parameters);
    g_calls.push_back({verb ? verb : "", file ? file : "", directory ? directory : "", show});
    INT_PTR result = 42;
    if (g_calls.size() <= g_results.size()) result = g_results[g_calls.size() - 1];
    return reinterpret_cast<HINSTANCE>(result);
}

class PlayerShell : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_calls.clear();
        g_results.clear();
        InstallShellExecute(RecordShellCall);
    }
    void TearDown() override { InstallShellExecute(nullptr); }
    PlayerFolder folder_;
};

}  // namespace

TEST_F(PlayerShell, TheFilePartStartsAfterTheLastBackslashBeforeTheFirstBlank)
{
    const struct {
        const char* name;
        const char* part;
    } cases[] = {
        {"C:\\docs\\note.txt", "note.txt"},
        {"C:\\my docs\\note.txt", "my docs\\note.txt"},
        {"C:\\docs\\my note.txt", "my note.txt"},
        {"note.txt", "note.txt"},
        {"my note.txt", "my note.txt"},
        {"C:\\docs\\", ""},
    };
    for (const auto& c : cases) EXPECT_STREQ(c.part, ShellFilePart(c.name)) << c.name;
}

TEST_F(PlayerShell, FilesProgramsAndWebAddressesOpenOutsideAnUnpackedArchive)
{
    // Programs lie beside the animation, as a user put them there.
    for (const char* file : {"setup.exe", "run.bat", "tool.com", "www.host.com"})
        ASSERT_TRUE(WriteWholeFile(folder_.File(file), {'M', 'Z'}));
    const char* const names[] = {
        "next.ans", "C:\\docs\\Read Me.txt", "picture.BMP", "page.html", "song.mid", "setup.exe", "SETUP.EXE",
        "run.bat", "tool", "tool.com", "C:\\windows\\notepad.exe", "notepad", "setup.exe readme.txt",
        "www.host.com", "www.example.com", "http://www.example.com/page?x=1", "site.url",
    };
    for (const char* name : names) EXPECT_FALSE(IsRefusedShellTarget(name, folder_.Path().c_str())) << name;
}

TEST_F(PlayerShell, ProgramsAnArchiveCarriedAreRefused)
{
    PrivateTempFolder temp;
    const std::string unpacked = temp.Path() + "ZelvoAnx-0000CAFE\\";
    ASSERT_TRUE(CreateDirectoryA(unpacked.c_str(), nullptr));
    for (const char* file : {"setup.exe", "run.bat", "tool.com", "link.lnk", "script.vbs", "www.host.com",
                             "readme.txt", "show.ans"})
        ASSERT_TRUE(WriteWholeFile(unpacked + file, {'M', 'Z'}));
    const struct {
        const char* name;
        bool refused;
    } cases[] = {
        {"setup.exe", true},
        {"SETUP.EXE", true},
        {"setup.exe.", true},             // Windows drops trailing dots
        {"setup.exe  ", true},            // and blanks
        {"\"setup.exe\"", true},
        {"setup", true},                  // the shell finds setup.exe for it
        {"tool", true},
        {"run.bat", true},
        {"link.lnk", true},
        {"script.vbs", true},
        {"www.host.com", true},           // a file of that name was carried along
        {"setup.exe readme.txt", true},   // read as a command line, the program comes first
        {"C:\\x\\setup.exe", true},       // the file part, in the folder, comes first
        {"readme.txt", false},
        {"show.ans", false},
        {"gone.exe", false},              // not carried: the shell looks for it elsewhere
        {"www.example.com", false},       // a web address
        {"http://host/setup.exe", false},
        {"", true},                       // nothing named: the shell would open the folder
        {"AUX", true},                    // a device is a file that is not there
        {"AUX.txt", true},
    };
    for (const auto& c : cases) EXPECT_EQ(c.refused, IsRefusedShellTarget(c.name, unpacked.c_str())) << c.name;
    // Named by its full path from anywhere, it is still the archive's program.
    EXPECT_TRUE(IsRefusedShellTarget((unpacked + "setup.exe").c_str(), folder_.Path().c_str()));
    ASSERT_TRUE(CreateDirectoryA((temp.Path() + "other").c_str(), nullptr));
    EXPECT_TRUE(IsRefusedShellTarget("..\\ZelvoAnx-0000CAFE\\setup.exe", (temp.Path() + "other").c_str()));
    // A folder of another name in the temporary folder is no unpack folder.
    const std::string other = temp.Path() + "Elsewhere\\";
    ASSERT_TRUE(CreateDirectoryA(other.c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(other + "setup.exe", {'M', 'Z'}));
    EXPECT_FALSE(IsRefusedShellTarget("setup.exe", other.c_str()));
}

TEST_F(PlayerShell, TheFilePartIsOpenedInTheCurrentFolder)
{
    EXPECT_TRUE(OpenWithShell("C:\\docs\\my note.txt"));
    ASSERT_EQ(1u, g_calls.size());
    EXPECT_EQ("open", g_calls[0].verb);
    EXPECT_EQ("my note.txt", g_calls[0].file);
    EXPECT_EQ(folder_.Path(), g_calls[0].directory + "\\");
    EXPECT_EQ(SW_SHOWDEFAULT, g_calls[0].show);
}

TEST_F(PlayerShell, WhenTheFilePartFailsTheWholeNameIsTried)
{
    g_results = {2};  // file not found
    EXPECT_TRUE(OpenWithShell("C:\\docs\\my note.txt"));
    ASSERT_EQ(2u, g_calls.size());
    EXPECT_EQ("my note.txt", g_calls[0].file);
    EXPECT_EQ("C:\\docs\\my note.txt", g_calls[1].file);

    // Nothing else to try when the file part is the whole name; 32 is an error too.
    g_calls.clear();
    g_results = {32};
    EXPECT_FALSE(OpenWithShell("note.txt"));
    EXPECT_EQ(1u, g_calls.size());

    g_calls.clear();
    g_results = {2, 31};
    EXPECT_FALSE(OpenWithShell("C:\\docs\\note.txt"));
    EXPECT_EQ(2u, g_calls.size());
}

TEST_F(PlayerShell, OnlyTheArchivesProgramIsNeverHandedToTheShell)
{
    // Outside an unpacked archive a program opens like any file.
    EXPECT_TRUE(OpenWithShell("setup.exe"));
    ASSERT_EQ(1u, g_calls.size());
    EXPECT_EQ("setup.exe", g_calls[0].file);

    // Played from an archive, the current folder is its unpack folder.
    PrivateTempFolder temp;
    const std::string unpacked = temp.Path() + "ZelvoAnx-0000BEEF";
    ASSERT_TRUE(CreateDirectoryA(unpacked.c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(unpacked + "\\setup.exe", {'M', 'Z'}));
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(unpacked.c_str()));
    g_calls.clear();
    for (const char* name : {"setup.exe", "C:\\x\\setup.exe", "setup", "setup.exe readme.txt", ""})
        EXPECT_FALSE(OpenWithShell(name)) << name;
    EXPECT_TRUE(g_calls.empty());
    EXPECT_TRUE(OpenWithShell("www.example.com")) << "a web address opens";
    SetCurrentDirectoryA(previous);
}
