// End action 3: which part of the name the shell is asked first, the second
// try with the whole name, and the names the player refuses to hand over.
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

TEST_F(PlayerShell, ProgramsScriptsAndNamesWithoutTypeAreRefused)
{
    const struct {
        const char* name;
        bool refused;
    } cases[] = {
        {"next.ans", false},
        {"C:\\docs\\Read Me.txt", false},
        {"picture.BMP", false},
        {"page.html", false},
        {"song.mid", false},
        {"setup.exe", true},
        {"SETUP.EXE", true},
        {"C:\\dir\\tool.com", true},
        {"run.bat", true},
        {"run.cmd", true},
        {"old.pif", true},
        {"saver.scr", true},
        {"link.lnk", true},
        {"script.vbs", true},
        {"script.js", true},
        {"script.wsf", true},
        {"app.hta", true},
        {"package.msi", true},
        {"settings.reg", true},
        {"site.url", true},
        {"setup", true},                    // the shell would look for setup.exe
        {"setup.exe.", true},               // Windows drops trailing dots
        {"setup.exe  ", true},              // and blanks
        {"\"setup.exe\"", true},
        {"setup.exe readme.txt", true},     // read as a command line, the program comes first
        {"\"C:\\a b\\setup.exe\" x.txt", true},
        {"C:\\docs\\evil.exe:x.txt", false},  // a stream of a document: its type is txt
        {"notes.txt::$DATA", true},         // no type left
        {"", true},
        {"C:\\docs\\", true},
    };
    for (const auto& c : cases) EXPECT_EQ(c.refused, IsRefusedShellTarget(c.name)) << c.name;
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

TEST_F(PlayerShell, ARefusedNameIsNeverHandedToTheShell)
{
    for (const char* name : {"setup.exe", "C:\\x\\run.bat", "tool", "evil.exe readme.txt"}) {
        EXPECT_FALSE(OpenWithShell(name)) << name;
    }
    EXPECT_TRUE(g_calls.empty());
}
