// Choosing the file to play: sniffing, the command line, the "-f" search, the
// program's own name, the open-file dialog and the retry loop with its
// messages.
#include "AnxArchive.h"
#include "PlayerTestSupport.h"
#include "resource.h"
#include <gtest/gtest.h>

namespace {

const char kNotValid[] = "The file %s was not found or is not a valid Zelvo Animation file!";
const char kPartOnly[] = "This is a part of an animation that cannot be run separately.";

std::string NotValidText(const std::string& name)
{
    std::string text = kNotValid;
    return text.replace(text.find("%s"), 2, name);
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    ASSERT_TRUE(WriteWholeFile(path, std::vector<uint8_t>(bytes.begin(), bytes.end())));
}

// good.ans runs, part.ans is a part, junk.ans is no animation, and
// good.anx is an archive of good.ans.
void WriteChoiceFiles(const PlayerFolder& f)
{
    SmallAnimation a;
    ASSERT_TRUE(a.Write(f.Path(), "good.ans"));
    a.paletteSource = 5;
    ASSERT_TRUE(a.Write(f.Path(), "part.ans"));
    WriteBytes(f.File("junk.ans"), "This is no animation, just text long enough to be read.");
    AnxArchive archive(f.File("good.anx").c_str());
    ASSERT_TRUE(archive.Pack(f.File("good.ans").c_str()));
}

}  // namespace

TEST(PlayerStart, SniffTellsArchivesAnimationsPartsAndEverythingElseApart)
{
    PlayerFolder f;
    WriteChoiceFiles(f);
    std::vector<uint8_t> good = ReadWholeFile(f.File("good.ans"));
    WriteWholeFile(f.File("header-only.ans"), std::vector<uint8_t>(good.begin(), good.begin() + 11));
    WriteWholeFile(f.File("short-settings.ans"), std::vector<uint8_t>(good.begin(), good.begin() + 11 + 226));
    WriteBytes(f.File("tiny-pk.ans"), "PK");
    WriteBytes(f.File("empty.ans"), "");
    CreateDirectoryA(f.File("folder.ans").c_str(), nullptr);
    const struct {
        const char* name;
        AnimFileKind kind;
    } cases[] = {
        {"good.ans", ANIM_FILE_RUNNABLE},        {"part.ans", ANIM_FILE_PART},
        {"good.anx", ANIM_FILE_ARCHIVE},         {"junk.ans", ANIM_FILE_INVALID},
        {"header-only.ans", ANIM_FILE_INVALID},  {"short-settings.ans", ANIM_FILE_INVALID},
        {"tiny-pk.ans", ANIM_FILE_INVALID},      {"empty.ans", ANIM_FILE_INVALID},
        {"folder.ans", ANIM_FILE_INVALID},       {"missing.ans", ANIM_FILE_INVALID},
    };
    for (const auto& c : cases) EXPECT_EQ(c.kind, SniffAnimationFile(c.name)) << c.name;
}

TEST(PlayerStart, FolderSwitchPicksTheFirstRunnableAnimationFile)
{
    PlayerFolder f;
    WriteBytes(f.File("junk.ans"), "This is no animation, just text long enough to be read.");
    SmallAnimation part;
    part.paletteSource = 1;
    ASSERT_TRUE(part.Write(f.Path(), "part.ans"));
    ASSERT_TRUE(SmallAnimation().Write(f.Path(), "good.ans"));
    for (const char* line : {"-f", "/f", "-F", "/F"}) {
        char chosen[MAX_PATH];
        ASSERT_TRUE(ChooseCommandLineFile(line, f.File("Player.exe").c_str(), chosen)) << line;
        EXPECT_STREQ("good.ans", chosen) << line;
    }
}

TEST(PlayerStart, FolderSwitchWithoutRunnableFileFallsBackToTheProgramsOwnName)
{
    PlayerFolder program;
    ASSERT_TRUE(SmallAnimation().Write(program.Path(), "Player.ANS"));
    PlayerFolder f;  // the current folder: nothing runnable in it
    SmallAnimation part;
    part.paletteSource = 1;
    ASSERT_TRUE(part.Write(f.Path(), "part.ans"));
    WriteBytes(f.File("junk.ans"), "This is no animation, just text long enough to be read.");
    char chosen[MAX_PATH];
    ASSERT_TRUE(ChooseCommandLineFile("/F", program.File("Player.exe").c_str(), chosen));
    EXPECT_EQ(program.File("Player.ANS"), chosen);
}

TEST(PlayerStart, CommandLineNamesAFileOrTheProgramsOwnAnsThenAnx)
{
    PlayerFolder f;
    WriteChoiceFiles(f);
    WriteBytes(f.File("a"), "x");
    const std::string program = f.File("Player.exe");
    char chosen[MAX_PATH];

    ASSERT_TRUE(ChooseCommandLineFile(f.File("junk.ans").c_str(), program.c_str(), chosen));
    EXPECT_EQ(f.File("junk.ans"), chosen) << "an existing file is chosen before it is sniffed";
    ASSERT_TRUE(ChooseCommandLineFile("good.anx", program.c_str(), chosen));
    EXPECT_STREQ("good.anx", chosen);

    // Nothing usable named, no program-named file: nothing chosen.
    const std::string quoted = "\"" + f.File("good.ans") + "\"";
    for (const char* line : {"", "a", "missing.ans", quoted.c_str(), "-x"})
        EXPECT_FALSE(ChooseCommandLineFile(line, program.c_str(), chosen)) << "[" << line << "]";

    // The program's own name: .ANX when there is no .ANS, .ANS first.
    ASSERT_TRUE(CopyFileA(f.File("good.anx").c_str(), f.File("Player.ANX").c_str(), FALSE));
    ASSERT_TRUE(ChooseCommandLineFile(quoted.c_str(), program.c_str(), chosen)) << "quotes are part of the name";
    EXPECT_EQ(f.File("Player.ANX"), chosen);
    ASSERT_TRUE(CopyFileA(f.File("good.ans").c_str(), f.File("Player.ANS").c_str(), FALSE));
    ASSERT_TRUE(ChooseCommandLineFile("", program.c_str(), chosen));
    EXPECT_EQ(f.File("Player.ANS"), chosen);
    // A program name without an extension gets one added.
    ASSERT_TRUE(ChooseCommandLineFile("", f.File("Player").c_str(), chosen));
    EXPECT_EQ(f.File("Player.ANS"), chosen);
}

TEST(PlayerStart, EveryFileThatCannotRunIsReportedAndTheDialogAskedAgain)
{
    PlayerFolder f;
    WriteChoiceFiles(f);
    PlayerUi ui;
    ui.QueueChoice(f.File("part.ans"));
    ui.QueueChoice(f.File("missing.ans"));
    ui.QueueChoice(f.File("good.anx"));
    char chosen[MAX_PATH];
    ASSERT_TRUE(ChooseAnimationFile("junk.ans", f.File("Player.exe").c_str(), chosen));
    EXPECT_EQ(f.File("good.anx"), chosen);

    ASSERT_EQ(3u, ui.Boxes().size());
    EXPECT_EQ(NotValidText("junk.ans"), ui.Boxes()[0].text);
    EXPECT_EQ(f.File("junk.ans"), ui.Boxes()[0].caption);
    EXPECT_EQ(kPartOnly, ui.Boxes()[1].text);
    EXPECT_EQ(f.File("part.ans"), ui.Boxes()[1].caption);
    EXPECT_EQ(NotValidText(f.File("missing.ans")), ui.Boxes()[2].text);
    for (const auto& box : ui.Boxes()) EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), box.type);
    EXPECT_EQ(3u, ui.Dialogs().size());
}

TEST(PlayerStart, TheOpenDialogIsAskedWhenNothingIsNamedAndCancelEndsTheChoice)
{
    PlayerFolder f;
    WriteChoiceFiles(f);
    {
        PlayerUi ui;
        ui.QueueChoice("");
        char chosen[MAX_PATH];
        EXPECT_FALSE(ChooseAnimationFile("", f.File("Player.exe").c_str(), chosen));
        EXPECT_TRUE(ui.Boxes().empty());
        ASSERT_EQ(1u, ui.Dialogs().size());
        const PlayerUi::Dialog& d = ui.Dialogs()[0];
        EXPECT_EQ("Please Choose a Zelvo Animation", d.title);
        EXPECT_EQ("Animation Files (*.ans;*.anx)|*.ans;*.anx|All Files (*.*)|*.*|", d.filter);
        EXPECT_EQ(1u, d.filterIndex);
        EXPECT_EQ(static_cast<DWORD>(MAX_PATH), d.maxFile);
        EXPECT_EQ("", d.initialFile);
        EXPECT_TRUE(d.hooked);
        const DWORD flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING | OFN_PATHMUSTEXIST |
                            OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
        EXPECT_EQ(flags, d.flags);
    }
    {
        // Cancelled after a refused file.
        PlayerUi ui;
        ui.QueueChoice("");
        char chosen[MAX_PATH];
        EXPECT_FALSE(ChooseAnimationFile("part.ans", f.File("Player.exe").c_str(), chosen));
        EXPECT_EQ(1u, ui.Boxes().size());
    }
}

TEST(PlayerStart, NamesInMessagesAreTakenLiterally)
{
    PlayerFolder f;
    const std::string odd = "C:\\100%s %d %n %x\\a%%b.ans";
    EXPECT_EQ(NotValidText(odd), FormatNameMessage(IDS_NOT_VALID, odd.c_str()));
    const std::string longName(600, 'n');
    EXPECT_EQ(NotValidText(longName), FormatNameMessage(IDS_PART_NOT_FOUND, longName.c_str()));
    EXPECT_EQ("RunZelvo Error...", PlayerString(IDS_ERROR_CAPTION));
}

namespace {

// Runs the real dialog through the seam with a record size it refuses, so
// that it fails with an extended error without showing anything.
BOOL WINAPI FailingOpenDialog(LPOPENFILENAMEA dialog)
{
    OPENFILENAMEA broken = *dialog;
    broken.lStructSize = 1;
    return GetOpenFileNameA(&broken);
}

std::vector<std::string> g_warnings;
int WINAPI RecordWarning(HWND, LPCSTR text, LPCSTR caption, UINT type)
{
    g_warnings.push_back(std::string(caption) + "|" + text + "|" + std::to_string(type));
    return IDOK;
}

}  // namespace

TEST(PlayerStart, AFailingDialogReportsItsExtendedError)
{
    PlayerFolder f;
    const UiSeam seam{RecordWarning, FailingOpenDialog};
    InstallUiSeam(&seam);
    char chosen[MAX_PATH];
    const bool chose = AskForAnimationFile(nullptr, chosen);
    InstallUiSeam(nullptr);
    EXPECT_FALSE(chose);
    ASSERT_EQ(1u, g_warnings.size());
    EXPECT_EQ("WARNING|GetOpenFileName returned Error #" + std::to_string(CDERR_STRUCTSIZE) + "|" +
                  std::to_string(MB_OK | MB_ICONERROR),
              g_warnings[0]);
}

namespace {

RECT g_dialogRect;
bool g_dialogSeen;

// Once the real dialog runs, note where it is and cancel it.
void CALLBACK LookAtOpenDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = FindWindowA(nullptr, "Please Choose a Zelvo Animation");
    if (!dialog || !IsWindowVisible(dialog)) return;
    KillTimer(nullptr, timer);
    g_dialogSeen = GetWindowRect(dialog, &g_dialogRect) != FALSE;
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace

TEST(PlayerStart, TheOpenDialogIsCentredOnTheScreen)
{
    PlayerFolder f;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, LookAtOpenDialog);
    char chosen[MAX_PATH];
    EXPECT_FALSE(AskForAnimationFile(nullptr, chosen));
    KillTimer(nullptr, timer);
    ASSERT_TRUE(g_dialogSeen);
    const int w = g_dialogRect.right - g_dialogRect.left, h = g_dialogRect.bottom - g_dialogRect.top;
    EXPECT_NEAR((GetSystemMetrics(SM_CXSCREEN) - w) / 2, g_dialogRect.left, 1);
    EXPECT_NEAR((GetSystemMetrics(SM_CYSCREEN) - h) / 2, g_dialogRect.top, 1);
}
