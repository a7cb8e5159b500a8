// "Select Sound:" in a real dialog run through the editor's dialog runner:
// the item and stop radio a stored index shows (stop codes, codes below 32
// and a hostile index above the table), what OK makes of them, the table's
// limit of 32 sounds, and chosen files of no known kind or with a name too
// long for the table.
#include "ComposeTestSupport.h"
#include "SoundOutput.h"
#include "WindowDialogResources.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <fstream>

namespace {

class SoundDialog : public WindowAreaTest {
protected:
    static inline std::string chosen_;
    static int ChooseChosen(HWND, UINT, UINT titleId, UINT typeId, char* path, int*)
    {
        EXPECT_EQ(titleId, UINT(IDS_TITLE_SOUND_FILE));
        EXPECT_EQ(typeId, UINT(IDS_TYPE_SOUND_FILE));
        strcpy(path, chosen_.c_str());
        return 1;
    }
    void SetSounds(int count)
    {
        g_document.soundCount = static_cast<uint8_t>(count);
        for (int i = 0; i < count; ++i) {
            g_document.soundTable[i] = SoundRecord{};
            g_document.soundTable[i].soundFlags = ANIM_SOUND_WAVE | 1;
            snprintf(g_document.soundTable[i].name, sizeof g_document.soundTable[i].name, "s%d.wav", i + 1);
        }
    }
    // A file in the test's folder beginning with `magic`: its full path.
    std::string FileWith(const std::string& name, const char* magic)
    {
        const std::string path = folder_.File(name);
        std::ofstream(path, std::ios::binary) << magic << std::string(40, '\0');
        return path;
    }
    INT_PTR RunSound(ObjectStep& step, DialogDrivers::Driver driver)
    {
        DialogDrivers drivers({driver});
        return Run(IDD_SELECT_SOUND, reinterpret_cast<LPARAM>(&step));
    }
    static int Selected(HWND d) { return static_cast<int>(SendDlgItemMessageA(d, IDC_SOUND_LIST, LB_GETCURSEL, 0, 0)); }
    static int Items(HWND d) { return static_cast<int>(SendDlgItemMessageA(d, IDC_SOUND_LIST, LB_GETCOUNT, 0, 0)); }
    static int StopRadio(HWND d)
    {
        for (int id : {IDC_SOUND_OFF_WAVE, IDC_SOUND_OFF_MIDI, IDC_SOUND_OFF_BOTH})
            if (IsChecked(d, id) && IsWindowVisible(GetDlgItem(d, id))) return id;
        return 0;
    }
};

TEST_F(SoundDialog, StoredIndexShowsItsItemAndOkKeepsItsMeaning)
{
    struct Case {
        const char* name;
        int sounds;
        uint8_t index;
        int item;       // selected list item
        int radio;      // stop radio shown and checked, 0 for none
        uint8_t after;  // soundIndex after OK
    };
    const Case cases[] = {
        {"none", 2, 0, 0, 0, 0},
        {"sound 2", 2, 2, 2, 0, 2},
        {"stop the wave", 2, 0x40, 3, IDC_SOUND_OFF_WAVE, 0x40},
        {"a wave code with low bits", 2, 0x45, 3, IDC_SOUND_OFF_WAVE, 0x40},
        {"stop MIDI", 2, 0x9F, 3, IDC_SOUND_OFF_MIDI, 0x80},
        {"stop both", 2, 0xE0, 3, IDC_SOUND_OFF_BOTH, 0xE0},
        {"a code below 32 stops both", 2, 5, 3, IDC_SOUND_OFF_BOTH, 0xE0},
        {"hostile 200 stops both", 2, 200, 3, IDC_SOUND_OFF_BOTH, 0xE0},
        {"hostile 200 with an empty table", 0, 200, 1, IDC_SOUND_OFF_BOTH, 0xE0},
        {"a full table's last sound", 32, 32, 32, 0, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetSounds(c.sounds);
        ObjectStep step{};
        step.soundIndex = c.index;
        const INT_PTR result = RunSound(step, [&](HWND d) {
            EXPECT_EQ(Items(d), c.sounds + 2);
            EXPECT_EQ(Selected(d), c.item);
            EXPECT_EQ(StopRadio(d), c.radio);
            EXPECT_EQ(IsWindowVisible(GetDlgItem(d, IDC_SOUND_REPEAT)) != 0, c.item >= 1 && c.item <= c.sounds);
            Click(d, IDOK);
        });
        EXPECT_EQ(result, 1);
        EXPECT_EQ(step.soundIndex, c.after);
    }
}

TEST_F(SoundDialog, TheThirtySecondSoundIsTheLast)
{
    SetSounds(31);
    chosen_ = FileWith("last.wav", "RIFF");
    g_appState.hooks.chooseFile = ChooseChosen;
    ObjectStep step{};
    RunSound(step, [](HWND d) {
        EXPECT_TRUE(Enabled(d, IDC_SOUND_ADD));
        Click(d, IDC_SOUND_ADD);
        EXPECT_EQ(Items(d), 34);
        EXPECT_EQ(Selected(d), 32);
        EXPECT_FALSE(Enabled(d, IDC_SOUND_ADD));
        // The command itself refuses a 33rd.
        Command(d, IDC_SOUND_ADD);
        EXPECT_EQ(Items(d), 34);
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(g_document.soundCount, 32);
    EXPECT_EQ(g_document.soundTable[31].soundFlags, ANIM_SOUND_WAVE | 1);
    EXPECT_STREQ(g_document.soundTable[31].name, chosen_.size() < sizeof g_document.soundTable[31].name ? chosen_.c_str() : "last.wav");
    EXPECT_EQ(step.soundIndex, 0);
}

TEST_F(SoundDialog, FilesTheTableCannotUseAreRefused)
{
    struct Case {
        const char* name;
        std::string file;
        std::string text;
        std::string caption;
    };
    const std::string longName(70, 'n');
    const Case cases[] = {
        {"no known kind", FileWith("notes.txt", "text"), "Unknown file format!", "notes.txt"},
        {"a name that cannot be stored", FileWith(longName + ".wav", "RIFF"), "Error finding file!", folder_.File(longName + ".wav")},
    };
    g_appState.hooks.chooseFile = ChooseChosen;
    SetSounds(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        chosen_ = c.file;
        MessageBoxRecorder boxes;
        ObjectStep step{};
        RunSound(step, [](HWND d) {
            Click(d, IDC_SOUND_ADD);
            EXPECT_EQ(Items(d), 3);
            Click(d, IDCANCEL);
        });
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, c.text);
        EXPECT_EQ(boxes.Boxes()[0].caption, c.caption);
        EXPECT_EQ(g_document.soundCount, 1);
        EXPECT_STREQ(g_document.soundTable[1].name, "");
    }
}

}  // namespace
