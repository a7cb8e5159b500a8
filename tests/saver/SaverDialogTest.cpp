// "Configure Screensaver" and the two password dialogs in this process: the
// list and its buttons, adding files (and refusing what does not fit),
// opening an entry in the editor, the seconds of "Terminate after", writing
// the settings, the password protection, and a test run from the dialog.
#include "SaverTestSupport.h"
#include "resource.h"
#include <gtest/gtest.h>

namespace {

using Step = DialogScript::Step;

HWND List(HWND dialog) { return GetDlgItem(dialog, IDC_ANIMATION_LIST); }

int Selected(HWND dialog) { return static_cast<int>(SendMessageA(List(dialog), LB_GETCURSEL, 0, 0)); }

int ItemCount(HWND dialog) { return static_cast<int>(SendMessageA(List(dialog), LB_GETCOUNT, 0, 0)); }

std::string ItemText(HWND dialog, int item)
{
    char text[MAX_PATH] = "";
    GetDlgItemTextA(dialog, item, text, sizeof text);
    return text;
}

// A mouse message at x in the list's item `index`.
void ListMouse(HWND dialog, UINT message, int index, int x)
{
    RECT item{};
    SendMessageA(List(dialog), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
    const LPARAM at = MAKELPARAM(x, (item.top + item.bottom) / 2);
    SendMessageA(List(dialog), message, MK_LBUTTON, at);
    if (message == WM_LBUTTONDOWN) SendMessageA(List(dialog), WM_LBUTTONUP, 0, at);
}

std::vector<bool> ActiveFlags()
{
    std::vector<bool> flags;
    for (int i = 0; i < g_saver.list.count; ++i) flags.push_back(g_saver.list.entries[i].active);
    return flags;
}

std::vector<std::string> Paths()
{
    std::vector<std::string> paths;
    for (int i = 0; i < g_saver.list.count; ++i) paths.push_back(g_saver.list.entries[i].path);
    return paths;
}

// A file path of exactly `length` characters in the folder.
std::string PathOfLength(const SaverSession& s, size_t length)
{
    const std::string folder = s.Path();
    return folder + std::string(length - folder.size() - 4, 'n') + ".ans";
}

class SaverDialogTest : public ::testing::Test {
protected:
    ControlIniSection keep;  // no password unless a test sets one
    SaverSession s;
    SaverUi ui;
};

}  // namespace

TEST_F(SaverDialogTest, AddTakesAnimationsAndArchivesAndRefusesWhatDoesNotFit)
{
    TestAnimation animation;
    const std::string longest = PathOfLength(s, 79), tooLong = PathOfLength(s, 80);
    ASSERT_TRUE(animation.Write("", longest));
    ASSERT_TRUE(animation.Write("", tooLong));
    TestAnimation part;
    part.part = true;
    ASSERT_TRUE(part.Write(s.Path(), "part.ans"));
    ASSERT_TRUE(WriteWholeFile(s.File("junk.ans"), std::vector<uint8_t>(300, 'j')));
    ASSERT_TRUE(WriteWholeFile(s.File("archive.anx"), {'P', 'K', 3, 4, 0, 0, 0, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(animation.Write(s.Path(), "first.ans"));
    s.Add(s.File("first.ans"));

    for (const std::string& choice : {longest, tooLong, s.File("junk.ans"), s.File("part.ans"), s.File("part.ans"),
                                      s.File("archive.anx"), s.File("FIRST.ANS")})
        ui.QueueChoice(choice);
    ui.QueueBoxAnswer(IDOK);   // junk: not valid
    ui.QueueBoxAnswer(IDNO);   // part: not added
    ui.QueueBoxAnswer(IDYES);  // part: added anyway
    std::vector<Step> steps;
    for (int i = 0; i < 7; ++i) steps.push_back([](HWND d) { Click(d, IDC_ADD); });
    steps.push_back([](HWND d) {
        EXPECT_EQ(0, Selected(d)) << "a path already listed is selected, not added again";
        EXPECT_EQ(4, ItemCount(d));
        Click(d, IDCANCEL);
    });
    DialogScript script(steps);
    EXPECT_EQ(0, RunConfigureDialog(nullptr));
    EXPECT_EQ(8u, script.StepsRun());

    EXPECT_EQ((std::vector<std::string>{s.File("first.ans"), longest, s.File("part.ans"), s.File("archive.anx")}), Paths());
    EXPECT_EQ((std::vector<bool>{true, true, true, true}), ActiveFlags());
    EXPECT_EQ("Add Animation", ui.LastTitle());
    EXPECT_EQ("Zelvo Animationen (*.ANS;*.ANX)|*.ANS;*.ANX|", ui.LastFilter());
    EXPECT_EQ(80u, ui.LastMaxFile());
    ASSERT_EQ(3u, ui.Boxes().size()) << "the path of 80 characters is refused without a message";
    EXPECT_EQ("The selected file is not a valid Zelvo animation file!", ui.Boxes()[0].text);
    EXPECT_EQ("Add Animation", ui.Boxes()[0].caption);
    EXPECT_EQ("This animation is a part of another animation and may not be played correctly.\n\nAdd anyway?",
              ui.Boxes()[1].text);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO), ui.Boxes()[1].type & 0xF);
    EXPECT_FALSE(FileExists(g_saver.iniPath)) << "Cancel writes nothing";
}

TEST_F(SaverDialogTest, AddStopsAtAHundredEntries)
{
    for (int i = 0; i < SAVER_MAX_ENTRIES - 1; ++i) s.Add("C:\\a" + std::to_string(i) + ".ans");
    ASSERT_TRUE(TestAnimation().Write(s.Path(), "last.ans"));
    ui.QueueChoice(s.File("last.ans"));
    DialogScript script({[](HWND d) { EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_ADD))); },
                         [](HWND d) { Click(d, IDC_ADD); },
                         [](HWND d) {
                             EXPECT_EQ(SAVER_MAX_ENTRIES, ItemCount(d));
                             EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_ADD)));
                             Click(d, IDCANCEL);
                         }});
    RunConfigureDialog(nullptr);
    EXPECT_EQ(3u, script.StepsRun());
}

TEST_F(SaverDialogTest, TickBoxesAndButtonsEditTheList)
{
    for (const char* name : {"a", "b", "c", "d"}) s.Add(std::string("C:\\") + name + ".ans");
    g_saver.list.entries[1].active = false;
    DialogScript script({
        [](HWND d) {
            EXPECT_EQ(4, ItemCount(d));
            EXPECT_EQ(0, Selected(d)) << "the first entry is selected";
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_MOVE_UP)));
            SendMessageA(List(d), WM_KEYDOWN, VK_SPACE, 0);  // a off
            ListMouse(d, WM_LBUTTONDOWN, 1, 5);              // b's tick box: on
            ListMouse(d, WM_LBUTTONDOWN, 2, 60);             // c's text: selected, not ticked
            EXPECT_EQ((std::vector<bool>{false, true, true, true}), ActiveFlags());
            EXPECT_EQ(2, Selected(d));
            Click(d, IDC_MOVE_UP);
        },
        [](HWND d) {
            EXPECT_EQ((std::vector<std::string>{"C:\\a.ans", "C:\\c.ans", "C:\\b.ans", "C:\\d.ans"}), Paths());
            EXPECT_EQ(1, Selected(d)) << "the moved entry stays selected";
            Click(d, IDC_MOVE_DOWN);
        },
        [](HWND d) { Click(d, IDC_MOVE_DOWN); },
        [](HWND d) {
            EXPECT_EQ((std::vector<std::string>{"C:\\a.ans", "C:\\b.ans", "C:\\d.ans", "C:\\c.ans"}), Paths());
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_MOVE_DOWN)));
            Click(d, IDC_REMOVE);
        },
        [](HWND d) {
            EXPECT_EQ((std::vector<std::string>{"C:\\a.ans", "C:\\b.ans", "C:\\d.ans"}), Paths());
            EXPECT_EQ(0, Selected(d)) << "after Remove the first entry is selected";
            Click(d, IDC_ACTIVATE_ALL);
        },
        [](HWND d) {
            EXPECT_EQ((std::vector<bool>{true, true, true}), ActiveFlags());
            Click(d, IDC_ACTIVATE_NONE);
        },
        [](HWND d) {
            EXPECT_EQ((std::vector<bool>{false, false, false}), ActiveFlags());
            SetFocus(GetDlgItem(d, IDC_RANDOM));
            Click(d, IDOK);
        },
    });
    EXPECT_EQ(3, RunConfigureDialog(nullptr));
    EXPECT_EQ(7u, script.StepsRun());
    SaverOptions options{};
    SaverList list{};
    ReadSaverSettings(g_saver.iniPath, &options, &list);
    ASSERT_EQ(3, list.count);
    EXPECT_FALSE(list.entries[2].active);
    EXPECT_STREQ("C:\\d.ans", list.entries[2].path);
}

TEST_F(SaverDialogTest, DoubleClickAndOkInTheListOpenTheEntryInTheEditor)
{
    s.Add("C:\\anims\\first.ans");
    s.Add("C:\\anims\\second.ans", false);
    EditorStarts starts("\"C:\\Zelvo\\ZELVO.exe\" \"%1\"");
    DialogScript script({
        [](HWND d) {
            ListMouse(d, WM_LBUTTONDBLCLK, 0, 60);
            ListMouse(d, WM_LBUTTONDBLCLK, 1, 5);  // on the tick box: toggles
            EXPECT_TRUE(g_saver.list.entries[1].active);
            SendMessageA(List(d), LB_SETCURSEL, 1, 0);
            // Enter in the list: the dialog gets IDOK while the list keeps the focus.
            SetFocus(List(d));
            PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        },
        [](HWND d) {
            EXPECT_TRUE(IsWindow(d)) << "OK in the list opens the entry instead";
            Click(d, IDCANCEL);
        },
    });
    EXPECT_EQ(0, RunConfigureDialog(nullptr));
    EXPECT_EQ((std::vector<std::string>{"\"C:\\Zelvo\\ZELVO.exe\" \"C:\\anims\\first.ans",
                                        "\"C:\\Zelvo\\ZELVO.exe\" \"C:\\anims\\second.ans"}),
              starts.Started());
}

TEST_F(SaverDialogTest, TerminateAfterTakesAtLeastTenSecondsAndOkWritesTheSettings)
{
    s.Add("C:\\a.ans");
    s.Add("C:\\b.ans", false);
    g_saver.options = {5, false, -1, false, 30, false};
    DialogScript script({
        [](HWND d) {
            EXPECT_EQ("30", ItemText(d, IDC_SECONDS));
            Click(d, IDC_TERMINATE);
            Click(d, IDC_RANDOM);
            Click(d, IDC_SHOW_DESKTOP);
        },
        [](HWND d) {
            SetDlgItemTextA(d, IDC_SECONDS, "5");
            SendMessageA(List(d), LB_SETCURSEL, 1, 0);
            SetFocus(GetDlgItem(d, IDC_SECONDS));
            Click(d, IDOK);
        },
        [](HWND d) {
            EXPECT_TRUE(IsWindow(d)) << "5 seconds are refused";
            EXPECT_EQ("10", ItemText(d, IDC_SECONDS));
            Click(d, IDOK);
        },
    });
    EXPECT_EQ(2, RunConfigureDialog(nullptr));
    EXPECT_EQ(3u, script.StepsRun());
    SaverOptions options{};
    SaverList list{};
    ReadSaverSettings(g_saver.iniPath, &options, &list);
    EXPECT_EQ(5, options.continueValue) << "kept as it was read";
    EXPECT_TRUE(options.random);
    EXPECT_TRUE(options.maxPlay);
    EXPECT_TRUE(options.showDesktop);
    EXPECT_EQ(10, options.seconds);
    EXPECT_EQ(1, options.curTag);
    ASSERT_EQ(2, list.count);
    EXPECT_FALSE(list.entries[1].active);
}

TEST_F(SaverDialogTest, PasswordBoxRunsChangePasswordAndOkWithoutItEndsTheProtection)
{
    DialogScript script({
        [](HWND d) {
            EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(d, IDC_PASSWORD_CHECK));
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_PASSWORD_CHANGE)));
            Click(d, IDC_PASSWORD_CHECK);  // opens "Change Password": the next steps run there
        },
        [](HWND) {
            HWND change = FindWindowA("#32770", "Change Password");
            ASSERT_TRUE(change);
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(change, IDC_OLD_PASSWORD))) << "nothing to give yet";
            SetDlgItemTextA(change, IDC_NEW_PASSWORD, "tortoise");
            SetDlgItemTextA(change, IDC_RETYPE_PASSWORD, "tortoise");
            SetFocus(GetDlgItem(change, IDC_RETYPE_PASSWORD));
            Click(change, IDOK);
        },
        [](HWND d) {
            EXPECT_FALSE(FindWindowA("#32770", "Change Password"));
            EXPECT_TRUE(IsPasswordProtected());
            EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(d, IDC_PASSWORD_CHECK));
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_PASSWORD_CHANGE)));
            Click(d, IDC_PASSWORD_CHECK);
        },
        [](HWND d) {
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_PASSWORD_CHANGE)));
            EXPECT_TRUE(IsPasswordProtected()) << "only OK ends the protection";
            Click(d, IDOK);
        },
    });
    RunConfigureDialog(nullptr);
    EXPECT_EQ(4u, script.StepsRun());
    EXPECT_FALSE(IsPasswordProtected());
    char hash[32];
    GetPrivateProfileStringA("Zelvo_Screensaver", "PWEncryption", "", hash, sizeof hash, "control.ini");
    char expected[32];
    snprintf(expected, sizeof expected, "%lX", static_cast<unsigned long>(PasswordHash("tortoise")));
    EXPECT_STREQ(expected, hash);
}

TEST_F(SaverDialogTest, ChangePasswordChecksTheOldOneTheLengthAndTheRepetition)
{
    StorePassword("old-one");
    const auto fill = [](const char* old, const char* fresh, const char* again) {
        return [=](HWND d) {
            SetDlgItemTextA(d, IDC_OLD_PASSWORD, old);
            SetDlgItemTextA(d, IDC_NEW_PASSWORD, fresh);
            SetDlgItemTextA(d, IDC_RETYPE_PASSWORD, again);
            SetFocus(GetDlgItem(d, IDC_RETYPE_PASSWORD));
            Click(d, IDOK);
        };
    };
    DialogScript script({
        [](HWND d) {
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_OLD_PASSWORD)));
            // Enter in the first two fields moves on.
            SetFocus(GetDlgItem(d, IDC_OLD_PASSWORD));
            SendMessageA(d, WM_COMMAND, IDOK, 0);
            EXPECT_EQ(GetDlgItem(d, IDC_NEW_PASSWORD), GetFocus());
            SendMessageA(d, WM_COMMAND, IDOK, 0);
            EXPECT_EQ(GetDlgItem(d, IDC_RETYPE_PASSWORD), GetFocus());
        },
        fill("wrong", "newer", "newer"),
        [](HWND d) {
            EXPECT_EQ("", ItemText(d, IDC_OLD_PASSWORD)) << "a wrong old password is cleared";
            EXPECT_EQ(GetDlgItem(d, IDC_OLD_PASSWORD), GetFocus());
        },
        fill("old-one", "ab", "ab"),
        fill("old-one", "newer", "newel"),
        fill("old-one", "newer", "newer"),
    });
    EXPECT_TRUE(RunChangePassword(nullptr));
    EXPECT_EQ(6u, script.StepsRun());
    ASSERT_EQ(2u, ui.Boxes().size());
    EXPECT_EQ("The password you entered is too short!\r\nPlease enter a minimum of three characters!", ui.Boxes()[0].text);
    EXPECT_EQ("The new password and the confirmation do not match! Please enter both again!", ui.Boxes()[1].text);
    EXPECT_TRUE(IsRightPassword("newer"));
    EXPECT_FALSE(IsRightPassword("old-one"));
}

TEST_F(SaverDialogTest, PasswordCheckAcceptsOnlyThePassword)
{
    StorePassword("secret");
    {
        DialogScript script({[](HWND d) {
            EXPECT_EQ(PASSWORD_CHARS, static_cast<int>(SendDlgItemMessageA(d, IDC_PASSWORD, EM_GETLIMITTEXT, 0, 0)));
            Click(d, IDCANCEL);
        }});
        EXPECT_FALSE(RunPasswordCheck(nullptr));
    }
    {
        DialogScript script({[](HWND d) { SetDlgItemTextA(d, IDC_PASSWORD, "Secret"); },
                             [](HWND d) { Click(d, IDOK); },
                             [](HWND d) { SetDlgItemTextA(d, IDC_PASSWORD, "secret"); },
                             [](HWND d) { Click(d, IDOK); }});
        EXPECT_TRUE(RunPasswordCheck(nullptr));
        EXPECT_EQ(4u, script.StepsRun());
    }
    ASSERT_EQ(1u, ui.Boxes().size());
    EXPECT_EQ("Incorrect Password!", ui.Boxes()[0].text);
    // Without protection any text will do.
    SetPasswordProtected(false);
    DialogScript script({[](HWND d) { Click(d, IDOK); }});
    EXPECT_TRUE(RunPasswordCheck(nullptr));
}

TEST_F(SaverDialogTest, TestRunsTheScreensaverOverTheDialog)
{
    s.Add(s.File("missing.ans"));
    DialogScript script({
        [](HWND d) { Click(d, IDC_TEST); },
        [](HWND d) {
            // The missing entry is reported, then the built-in animation plays.
            EXPECT_FALSE(IsWindowEnabled(d)) << "the dialog waits for the test run";
            ASSERT_TRUE(g_saver.run.window);
            EXPECT_TRUE(g_saver.run.testMode);
            EXPECT_EQ(-1, g_saver.run.index);
            SendMessageA(g_saver.run.window, WM_KEYDOWN, 'X', 0);
        },
        [](HWND d) {
            EXPECT_TRUE(IsWindowEnabled(d));
            EXPECT_FALSE(g_saver.run.window);
            EXPECT_TRUE(g_saver.list.entries[0].active) << "skipping is for the run only";
            Click(d, IDCANCEL);
        },
    });
    RunConfigureDialog(nullptr);
    EXPECT_EQ(3u, script.StepsRun());
    ASSERT_EQ(1u, ui.Boxes().size());
    EXPECT_EQ("Unable to laod the animation! Please check all file paths!", ui.Boxes()[0].text);
}
