// The settings dialogs run through the dialog runner and driven in-process:
// what "Editor Settings" shows and writes, the weights "Effects" accepts, the
// angle and centre rules of "Rotate" and the pattern edits of "Edit Fill
// Patterns" with their undoing on Cancel.
#include "AppState.h"
#include "DialogTestHooks.h"
#include "DialogUtilities.h"
#include "DocumentStrings.h"
#include "EditorSettings.h"
#include "ImageOperations.h"
#include "Palette.h"
#include "PixelEffects.h"
#include "Settings.h"
#include "SettingsDialogs.h"
#include "TabControl.h"
#include "TestFiles.h"
#include "Undo.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <functional>
#include <string>

namespace {

// Runs a template with `act` on the open dialog (sent messages only, so it
// all happens before the dialog's own loop starts); the dialog's result.
INT_PTR RunDriven(int templateId, LPARAM parameter, std::function<void(HWND)> act)
{
    static std::function<void(HWND)>* action;
    action = &act;
    DialogAutoAnswer answer([](HWND dialog) { (*action)(dialog); });
    return RunDialog(templateId, nullptr, parameter);
}

void Press(HWND dialog, int id) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id))); }

int ComboSelection(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0)); }

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// Shown on its page (the dialog itself is not on the screen yet while it is driven).
bool Shown(HWND dialog, int id) { return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0; }

// ---- palette usage ----

TEST(PaletteUsage, ItemsForUsageAndDitherAndBack)
{
    struct Case {
        int usage;
        bool dither;
        int item;
    } cases[] = {
        {0, false, 0}, {0, true, 1}, {1, false, 2}, {1, true, 2}, {2, false, 3}, {2, true, 4}, {3, false, 0}, {3, true, 1},
    };
    for (const Case& c : cases) EXPECT_EQ(PaletteUsageItem(c.usage, c.dither), c.item) << c.usage << " " << c.dither;

    struct Back {
        int item;
        bool ditherBefore;
        int usage;
        bool dither;
    } back[] = {
        {0, true, 0, false}, {1, false, 0, true}, {2, true, 1, true}, {2, false, 1, false}, {3, true, 2, false}, {4, false, 2, true},
    };
    for (const Back& b : back) {
        int usage = -1;
        bool dither = b.ditherBefore;
        PaletteUsageOfItem(b.item, &usage, &dither);
        EXPECT_EQ(usage, b.usage) << "item " << b.item;
        EXPECT_EQ(dither, b.dither) << "item " << b.item << " (Prompt keeps the dither switch)";
    }
}

// ---- "Editor Settings" ----

class EditorSettingsDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterTabControl(GetModuleHandleA(nullptr));
        path_ = scratch_.File("Zelvo.ini");
        SetIniFilePath(path_.c_str());
        saved_ = g_appState;
        savedUndo_ = SetUndoBufferSize(-1);
        g_appState.frameWidth = g_appState.frameHeight = 400;  // 160000 bytes a frame at 8 bits
        g_appState.colorCount = COLORS_256;
        SetUndoBufferSize(4096);
    }
    void TearDown() override
    {
        SetIniFilePath(nullptr);
        SetUndoBufferSize(savedUndo_);
        g_appState = saved_;
    }
    std::string Raw(const char* section, const char* key)
    {
        char value[64] = {};
        GetPrivateProfileStringA(section, key, "<none>", value, sizeof value, path_.c_str());
        return value;
    }
    ScratchDir scratch_;
    std::string path_;
    AppState saved_;
    int savedUndo_ = 0;
};

TEST_F(EditorSettingsDialog, ShowsTheSettingsAndWritesEveryKeyOnOk)
{
    struct Case {
        uint32_t flags;
        WORD moveKeys;
        int loadItem, pasteItem;  // shown
        bool left, right, showImage, border, fill;
        int chooseLoad, choosePaste;  // chosen before OK
        bool chooseLeft, setShowImage, setBorder, setFill;
        uint32_t flagsAfter;
        std::string written[9];  // UseSavedPalette DitherOnOpen UseClipboardPalette DitherOnPaste
                                 // ShowFrameOnInsert EditBorder MoveKeys AlternateFill UndoBufferSize
    } cases[] = {
        // Prompt on loading keeps the dither bit as it was (bit 18 set).
        {(1u << 4) | (1u << 18) | (2u << 2) | (1u << 11), 14, 2, 3, false, true, true, false, false,
         2, 4, true, false, true, true,
         (1u << 4) | (1u << 18) | (2u << 2) | (1u << 19) | (1u << 16) | (2u << 12),
         {"1", "1", "2", "1", "0", "1", "13", "2", "4096"}},
        // Standard + Dither, Original Palette; move keys 13 is the left button.
        {(2u << 4) | (1u << 19) | (1u << 16) | (3u << 12) | (1u << 8), 13, 3, 1, true, false, false, true, true,
         1, 3, false, true, false, false,
         (1u << 18) | (2u << 2) | (1u << 11) | (1u << 8),
         {"0", "1", "2", "0", "1", "0", "14", "0", "4096"}},
        // Move keys 0: neither radio; Standard Palette twice.
        {0, 0, 0, 0, false, false, false, false, false,
         0, 0, false, false, false, false, 0,
         {"0", "0", "0", "0", "0", "0", "14", "0", "4096"}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n++);
        DeleteFileA(path_.c_str());
        g_appState.optionFlags = c.flags;
        g_appState.moveKeys = c.moveKeys;
        const INT_PTR result = RunDriven(IDD_EDITOR_SETTINGS, 0, [&](HWND dialog) {
            EXPECT_EQ(ComboSelection(dialog, IDC_SETTINGS_LOAD_PALETTE), c.loadItem);
            EXPECT_EQ(ComboSelection(dialog, IDC_SETTINGS_PASTE_PALETTE), c.pasteItem);
            EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_SETTINGS_LOAD_PALETTE, CB_GETCOUNT, 0, 0), 5);
            EXPECT_EQ(Checked(dialog, IDC_SETTINGS_DRAG_LEFT), c.left);
            EXPECT_EQ(Checked(dialog, IDC_SETTINGS_DRAG_RIGHT), c.right);
            EXPECT_EQ(Checked(dialog, IDC_SETTINGS_SHOW_IMAGE), c.showImage);
            EXPECT_EQ(Checked(dialog, IDC_SETTINGS_EDIT_BORDER), c.border);
            EXPECT_EQ(Checked(dialog, IDC_SETTINGS_EMULATE_FILL), c.fill);
            EXPECT_EQ(DialogItemText(dialog, IDC_SETTINGS_UNDO_SIZE), "4096 KB");
            SendDlgItemMessageA(dialog, IDC_SETTINGS_LOAD_PALETTE, CB_SETCURSEL, c.chooseLoad, 0);
            SendDlgItemMessageA(dialog, IDC_SETTINGS_PASTE_PALETTE, CB_SETCURSEL, c.choosePaste, 0);
            CheckRadioButton(dialog, IDC_SETTINGS_DRAG_LEFT, IDC_SETTINGS_DRAG_RIGHT,
                             c.chooseLeft ? IDC_SETTINGS_DRAG_LEFT : IDC_SETTINGS_DRAG_RIGHT);
            CheckDlgButton(dialog, IDC_SETTINGS_SHOW_IMAGE, c.setShowImage);
            CheckDlgButton(dialog, IDC_SETTINGS_EDIT_BORDER, c.setBorder);
            CheckDlgButton(dialog, IDC_SETTINGS_EMULATE_FILL, c.setFill);
            Press(dialog, IDOK);
        });
        EXPECT_EQ(result, 1);
        EXPECT_EQ(g_appState.optionFlags, c.flagsAfter);
        EXPECT_EQ(g_appState.moveKeys, c.chooseLeft ? 13 : 14);
        const char* keys[9][2] = {{"File", "UseSavedPalette"}, {"File", "DitherOnOpen"}, {"Window", "UseClipboardPalette"},
                                  {"File", "DitherOnPaste"},   {"Edit", "ShowFrameOnInsert"}, {"Edit", "EditBorder"},
                                  {"Edit", "MoveKeys"},        {"Edit", "AlternateFill"},     {"Edit", "UndoBufferSize"}};
        for (int k = 0; k < 9; ++k) EXPECT_EQ(Raw(keys[k][0], keys[k][1]), k == 8 ? "<none>" : c.written[k]) << keys[k][1];
    }
}

TEST_F(EditorSettingsDialog, UndoSizeSetsTheFrameCountAndBecomesCurrentOnOk)
{
    struct Case {
        const char* typed;
        int frames;          // shown in 1839
        int storedKilobytes; // after OK
        const char* written;
    } cases[] = {
        {"2048", 13, 2048, "2048"},
        {"8192 KB", 8192 * 1024 / 160000 > 50 ? 50 : 8192 * 1024 / 160000, 8192, "8192"},
        {"70000", 6, 1024, "1024"},   // outside 1024..64000 counts as 1024
        {"abc", 6, 1024, "1024"},
        {"4096", 26, 4096, "<none>"},  // unchanged: not written
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        DeleteFileA(path_.c_str());
        SetUndoBufferSize(4096);
        int shownBefore = -1, shown = -1;
        RunDriven(IDD_EDITOR_SETTINGS, 0, [&](HWND dialog) {
            shownBefore = static_cast<int>(GetDlgItemInt(dialog, IDC_SETTINGS_UNDO_FRAMES, nullptr, FALSE));
            HWND combo = GetDlgItem(dialog, IDC_SETTINGS_UNDO_SIZE);
            SetWindowTextA(combo, c.typed);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SETTINGS_UNDO_SIZE, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(combo));
            shown = static_cast<int>(GetDlgItemInt(dialog, IDC_SETTINGS_UNDO_FRAMES, nullptr, FALSE));
            Press(dialog, IDOK);
        });
        EXPECT_EQ(shownBefore, 26);  // 4096 KB of 400 x 400 frames at 8 bits
        EXPECT_EQ(shown, c.frames);
        EXPECT_EQ(SetUndoBufferSize(-1), c.storedKilobytes);
        EXPECT_EQ(Raw("Edit", "UndoBufferSize"), c.written);
    }
}

TEST_F(EditorSettingsDialog, ChoosingFromTheUndoListCountsTheChosenSize)
{
    SetUndoBufferSize(3000);  // not among the choices: listed as well
    int count = 0, shown = -1;
    std::string text;
    RunDriven(IDD_EDITOR_SETTINGS, 0, [&](HWND dialog) {
        HWND combo = GetDlgItem(dialog, IDC_SETTINGS_UNDO_SIZE);
        count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
        text = DialogItemText(dialog, IDC_SETTINGS_UNDO_SIZE);
        SendMessageA(combo, CB_SETCURSEL, 1, 0);  // "2048 KB"
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SETTINGS_UNDO_SIZE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
        shown = static_cast<int>(GetDlgItemInt(dialog, IDC_SETTINGS_UNDO_FRAMES, nullptr, FALSE));
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(count, 6);
    EXPECT_EQ(text, "3000 KB");
    EXPECT_EQ(shown, 13);
    EXPECT_EQ(SetUndoBufferSize(-1), 3000) << "Cancel changes nothing";
}

TEST_F(EditorSettingsDialog, TheSystemPaletteSwitchCanBeTurnedOnButNotOff)
{
    struct Case {
        const char* stored;  // "UseSystemPalette" before, null: missing
        bool shownChecked, hidden;
        int setCheck;        // -1 leave
        const char* written;
    } cases[] = {
        {nullptr, false, false, -1, "0"}, {"0", false, false, 1, "1"}, {"3", true, true, -1, "3"}, {"1", true, true, -1, "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "missing");
        DeleteFileA(path_.c_str());
        if (c.stored) WritePrivateProfileStringA("Window", "UseSystemPalette", c.stored, path_.c_str());
        bool checked = false;
        RECT at = {};
        RunDriven(IDD_EDITOR_SETTINGS, 0, [&](HWND dialog) {
            checked = Checked(dialog, IDC_SETTINGS_SYSTEM_PALETTE);
            HWND box = GetDlgItem(dialog, IDC_SETTINGS_SYSTEM_PALETTE);
            GetWindowRect(box, &at);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&at), 2);
            if (c.setCheck >= 0) CheckDlgButton(dialog, IDC_SETTINGS_SYSTEM_PALETTE, c.setCheck);
            Press(dialog, IDOK);
        });
        EXPECT_EQ(checked, c.shownChecked);
        EXPECT_EQ(at.left == 1000 && at.top == 1000, c.hidden);
        EXPECT_EQ(Raw("Window", "UseSystemPalette"), c.written);
    }
}

TEST_F(EditorSettingsDialog, CancelWritesAndChangesNothing)
{
    DeleteFileA(path_.c_str());
    g_appState.optionFlags = (1u << 4) | (1u << 11);
    g_appState.moveKeys = 14;
    const INT_PTR result = RunDriven(IDD_EDITOR_SETTINGS, 0, [](HWND dialog) {
        SendDlgItemMessageA(dialog, IDC_SETTINGS_LOAD_PALETTE, CB_SETCURSEL, 4, 0);
        CheckRadioButton(dialog, IDC_SETTINGS_DRAG_LEFT, IDC_SETTINGS_DRAG_RIGHT, IDC_SETTINGS_DRAG_LEFT);
        CheckDlgButton(dialog, IDC_SETTINGS_EMULATE_FILL, BST_CHECKED);
        SetDlgItemTextA(dialog, IDC_SETTINGS_UNDO_SIZE, "2048");
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(g_appState.optionFlags, (1u << 4) | (1u << 11));
    EXPECT_EQ(g_appState.moveKeys, 14);
    EXPECT_EQ(SetUndoBufferSize(-1), 4096);
    EXPECT_FALSE(FileExists(path_));
}

TEST_F(EditorSettingsDialog, TheTabsShowTheirOwnPages)
{
    bool editorShown = false, paletteHidden = false, paletteShownAfter = false, editorHiddenAfter = false;
    std::string first, second;
    RunDriven(IDD_EDITOR_SETTINGS, 0, [&](HWND dialog) {
        HWND tabs = GetDlgItem(dialog, IDC_SETTINGS_TABS);
        char text[64] = {};
        SendMessageA(tabs, TABCTL_GET_TAB_TEXT, 0, reinterpret_cast<LPARAM>(text));
        first = text;
        SendMessageA(tabs, TABCTL_GET_TAB_TEXT, 1, reinterpret_cast<LPARAM>(text));
        second = text;
        editorShown = Shown(dialog, IDC_SETTINGS_UNDO_SIZE);
        paletteHidden = !Shown(dialog, IDC_SETTINGS_LOAD_PALETTE);
        SendMessageA(tabs, TABCTL_SELECT_TAB, 1, 0);
        paletteShownAfter = Shown(dialog, IDC_SETTINGS_LOAD_PALETTE);
        editorHiddenAfter = !Shown(dialog, IDC_SETTINGS_UNDO_SIZE);
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(first, "&Editor");
    EXPECT_EQ(second, "&Palette");
    EXPECT_TRUE(editorShown);
    EXPECT_TRUE(paletteHidden);
    EXPECT_TRUE(paletteShownAfter);
    EXPECT_TRUE(editorHiddenAfter);
}

// ---- "Effects" ----

TEST(EffectsDialog, ValidWeightsAreStoredAndInvalidOnesKeepTheDialogOpen)
{
    const EffectMatrix before = {{1, 2, 3, -4, 5, -6, 7, 8, -9}, 0, 1, 1};
    struct Case {
        const char* weights[9];
        bool valid;
    } cases[] = {
        {{"9", "-9", "0", "1", "2", "3", "4", "5", "6"}, true},
        {{" -3", "0", "0", "0", "1", "0", "0", "0", "0"}, true},
        {{"10", "0", "0", "0", "0", "0", "0", "0", "0"}, false},
        {{"0", "0", "0", "0", "-10", "0", "0", "0", "0"}, false},
        {{"0", "0", "0", "0", "0", "0", "0", "0", ""}, false},
        {{"0", "x", "0", "0", "0", "0", "0", "0", "0"}, false},
        {{"0", "0", "0", "0", "0", "0", "0", "0", "-"}, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n++);
        EffectMatrix matrix = before;
        bool shown = false, openAfterOk = false;
        const INT_PTR result = RunDriven(IDD_EFFECTS, reinterpret_cast<LPARAM>(&matrix), [&](HWND dialog) {
            shown = GetDlgItemInt(dialog, IDC_EFFECT_WEIGHT_FIRST + 3, nullptr, TRUE) == static_cast<UINT>(-4) &&
                    Checked(dialog, IDC_EFFECT_RANGE_SIGNED) && !Checked(dialog, IDC_EFFECT_GREYSCALE) &&
                    Checked(dialog, IDC_EFFECT_INVERT);
            for (int i = 0; i < 9; ++i) SetDlgItemTextA(dialog, IDC_EFFECT_WEIGHT_FIRST + i, c.weights[i]);
            CheckRadioButton(dialog, IDC_EFFECT_RANGE_POSITIVE, IDC_EFFECT_RANGE_SIGNED, IDC_EFFECT_RANGE_POSITIVE);
            CheckDlgButton(dialog, IDC_EFFECT_GREYSCALE, BST_CHECKED);
            Press(dialog, IDOK);
            // A refused OK leaves the dialog running: Cancel is next.
            openAfterOk = !c.valid;
            if (!c.valid) Press(dialog, IDCANCEL);
        });
        EXPECT_TRUE(shown);
        if (c.valid) {
            EXPECT_EQ(result, 1);
            for (int i = 0; i < 9; ++i) EXPECT_EQ(matrix.weights[i], atoi(c.weights[i])) << i;
            EXPECT_EQ(matrix.offset, 0);
            EXPECT_EQ(matrix.greyscale, 1);
            EXPECT_EQ(matrix.invert, 1);
        } else {
            EXPECT_EQ(result, 0);
            EXPECT_TRUE(openAfterOk);
            EXPECT_EQ(memcmp(&matrix, &before, sizeof matrix), 0) << "the refused weights never reach the matrix";
        }
    }
}

// ---- "Rotate" ----

class RotateDialog : public ::testing::Test {
protected:
    void SetUp() override { saved_ = g_rotation; }
    void TearDown() override { g_rotation = saved_; }
    RotationSettings saved_;
};

TEST_F(RotateDialog, LeavingTheFieldSettlesTheAngleAndOkFollowsIt)
{
    struct Case {
        const char* typed;
        const char* settled;
        bool okEnabled;
    } cases[] = {
        {"45", "45", true}, {"-359", "-359", true}, {"359", "359", true}, {"360", "0", false}, {"-360", "0", false},
        {"999", "0", false}, {"abc", "0", false}, {"0", "0", false}, {"", "0", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        std::string settled;
        bool okAfterKill = false, okAfterTyping = false;
        RunDriven(IDD_ROTATE, 0, [&](HWND dialog) {
            HWND field = GetDlgItem(dialog, IDC_ROTATE_ANGLE);
            SetWindowTextA(field, c.typed);  // the field reports the change itself
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_ROTATE_ANGLE, EN_KILLFOCUS), reinterpret_cast<LPARAM>(field));
            settled = DialogItemText(dialog, IDC_ROTATE_ANGLE);
            okAfterKill = IsWindowEnabled(GetDlgItem(dialog, IDOK));
            SetWindowTextA(field, "1");
            okAfterTyping = IsWindowEnabled(GetDlgItem(dialog, IDOK));
            Press(dialog, IDCANCEL);
        });
        EXPECT_EQ(settled, c.settled);
        EXPECT_EQ(okAfterKill, c.okEnabled);
        EXPECT_TRUE(okAfterTyping) << "typing enables OK";
    }
}

TEST_F(RotateDialog, TheSpinBarStepsWithinATurnAndAFullTurnIsZero)
{
    struct Case {
        const char* from;
        int code;
        const char* to;
    } cases[] = {
        {"10", SB_LINEUP, "11"}, {"10", SB_LINEDOWN, "9"}, {"359", SB_LINEUP, "0"}, {"-359", SB_LINEDOWN, "0"},
        {"0", SB_LINEDOWN, "-1"}, {"5", SB_THUMBPOSITION, "5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " code " + std::to_string(c.code));
        std::string to;
        RunDriven(IDD_ROTATE, 0, [&](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_ROTATE_ANGLE, c.from);
            SendMessageA(dialog, WM_VSCROLL, MAKEWPARAM(c.code, 0), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_ROTATE_SPIN)));
            to = DialogItemText(dialog, IDC_ROTATE_ANGLE);
            Press(dialog, IDCANCEL);
        });
        EXPECT_EQ(to, c.to);
    }
}

TEST_F(RotateDialog, OkStoresAngleCentreAndVacantPixelsAndCancelNothing)
{
    StoreRotationAngle(90);
    SetRotationPivot(PIVOT_CENTRE);
    SetDeleteVacantPixels(0);
    std::string shownAngle;
    bool shownVacant = true;
    INT_PTR result = RunDriven(IDD_ROTATE, 0, [&](HWND dialog) {
        shownAngle = DialogItemText(dialog, IDC_ROTATE_ANGLE);
        shownVacant = Checked(dialog, IDC_ROTATE_VACANT);
        SetDlgItemTextA(dialog, IDC_ROTATE_ANGLE, "-30");
        Press(dialog, IDC_ROTATE_CENTRE_FIRST + 6);  // bottom left
        CheckDlgButton(dialog, IDC_ROTATE_VACANT, BST_CHECKED);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(shownAngle, "90");
    EXPECT_FALSE(shownVacant);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(g_rotation.angle, -30);
    EXPECT_EQ(g_rotation.pivot, 6);
    EXPECT_EQ(g_rotation.deleteVacant, 1);

    result = RunDriven(IDD_ROTATE, 0, [](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_ROTATE_ANGLE, "15");
        Press(dialog, IDC_ROTATE_CENTRE_FIRST);
        CheckDlgButton(dialog, IDC_ROTATE_VACANT, BST_UNCHECKED);
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(g_rotation.angle, -30);
    EXPECT_EQ(g_rotation.pivot, 6);
    EXPECT_EQ(g_rotation.deleteVacant, 1);

    // An angle of a full turn is refused: the dialog stays until Cancel.
    bool stayed = false;
    result = RunDriven(IDD_ROTATE, 0, [&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_ROTATE_ANGLE, "360");
        Press(dialog, IDOK);
        stayed = true;
        Press(dialog, IDCANCEL);
    });
    EXPECT_TRUE(stayed);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(g_rotation.angle, -30);
}

// ---- "Edit Fill Patterns" ----

class FillPatternsDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedIndex_ = g_appState.fillPatternIndex;
        for (int i = 0; i < FILL_PATTERN_COUNT; ++i) {
            savedBitmaps_[i] = g_appState.patternBitmaps[i];
            WORD rows[8];
            for (int y = 0; y < 8; ++y) rows[y] = static_cast<WORD>(((y + i) % 2 ? 0xAA : 0x55) | (i << 8));
            g_appState.patternBitmaps[i] = CreateBitmap(8, 8, 1, 1, rows);
        }
        for (int i = 0; i < FILL_PATTERN_COUNT; ++i) {
            original_[i] = Bits(i);
            GetBitmapBits(g_appState.patternBitmaps[i], 16, originalRows_[i]);
        }
        g_appState.fillPatternIndex = 0;
    }
    void TearDown() override
    {
        for (int i = 0; i < FILL_PATTERN_COUNT; ++i) {
            DeleteObject(g_appState.patternBitmaps[i]);
            g_appState.patternBitmaps[i] = savedBitmaps_[i];
        }
        g_appState.fillPatternIndex = savedIndex_;
    }
    // The pattern's 64 pixels, 1 white, row by row.
    static std::string Bits(int pattern)
    {
        BYTE rows[16] = {};
        GetBitmapBits(g_appState.patternBitmaps[pattern], sizeof rows, rows);
        std::string bits;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) bits += (rows[y * 2] >> (7 - x)) & 1 ? '1' : '0';
        return bits;
    }
    // Dialog client point in the middle of grid cell (x, y).
    static LPARAM CellPoint(HWND dialog, int x, int y)
    {
        RECT r;
        GetWindowRect(GetDlgItem(dialog, IDC_PATTERN_GRID), &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        const int w = r.right - r.left, h = r.bottom - r.top;
        return MAKELPARAM(r.left + x * w / 8 + w / 16, r.top + y * h / 8 + h / 16);
    }
    std::string original_[FILL_PATTERN_COUNT];
    BYTE originalRows_[FILL_PATTERN_COUNT][16] = {};
    HBITMAP savedBitmaps_[FILL_PATTERN_COUNT] = {};
    int savedIndex_ = 0;
};

TEST_F(FillPatternsDialog, ClicksTogglePixelsOfTheCurrentPatternAndTwiceRestores)
{
    struct Click {
        int pattern, x, y;
    } clicks[] = {{0, 0, 0}, {0, 7, 7}, {3, 2, 5}, {11, 7, 0}};
    for (const Click& c : clicks) {
        SCOPED_TRACE(c.pattern);
        std::string once, twice;
        int index = -1;
        SIZE grid = {};
        RunDriven(IDD_FILL_PATTERNS, 0, [&](HWND dialog) {
            RECT r;
            GetClientRect(GetDlgItem(dialog, IDC_PATTERN_GRID), &r);
            grid = {r.right, r.bottom};
            Press(dialog, IDC_PATTERN_FIRST + c.pattern);
            index = g_appState.fillPatternIndex;
            SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, CellPoint(dialog, c.x, c.y));
            once = Bits(c.pattern);
            SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, CellPoint(dialog, c.x, c.y));
            twice = Bits(c.pattern);
            Press(dialog, IDOK);
        });
        EXPECT_EQ(index, c.pattern);
        EXPECT_EQ(grid.cx % 8, 0);
        EXPECT_EQ(grid.cy % 8, 0);
        std::string expected = original_[c.pattern];
        char& bit = expected[c.y * 8 + c.x];
        bit = bit == '1' ? '0' : '1';
        EXPECT_EQ(once, expected);
        EXPECT_EQ(twice, original_[c.pattern]);
    }
}

TEST_F(FillPatternsDialog, OkKeepsTheEditsAndCancelRestoresAllTwelve)
{
    for (int button : {IDOK, IDCANCEL}) {
        SCOPED_TRACE(button);
        for (int i = 0; i < FILL_PATTERN_COUNT; ++i) SetBitmapBits(g_appState.patternBitmaps[i], 16, originalRows_[i]);
        RunDriven(IDD_FILL_PATTERNS, 0, [&](HWND dialog) {
            for (int p = 0; p < FILL_PATTERN_COUNT; ++p) {
                Press(dialog, IDC_PATTERN_FIRST + p);
                SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, CellPoint(dialog, p % 8, 3));
            }
            Press(dialog, IDC_PATTERN_FIRST + 5);
            SendMessageA(dialog, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(2, 2));  // clears pattern 5
            Press(dialog, button);
        });
        for (int p = 0; p < FILL_PATTERN_COUNT; ++p) {
            if (button == IDCANCEL) {
                EXPECT_EQ(Bits(p), original_[p]) << p;
            } else if (p == 5) {
                EXPECT_EQ(Bits(p), std::string(64, '1'));
            } else {
                EXPECT_NE(Bits(p), original_[p]) << p;
            }
        }
    }
}

TEST_F(FillPatternsDialog, TheGridCornerPixelAndPointsOutsideChangeNothing)
{
    RunDriven(IDD_FILL_PATTERNS, 0, [&](HWND dialog) {
        RECT r;
        GetWindowRect(GetDlgItem(dialog, IDC_PATTERN_GRID), &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left, r.top));
        SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.right + 2, r.top + 4));
        SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 4, r.bottom + 1));
        Press(dialog, IDOK);
    });
    EXPECT_EQ(Bits(0), original_[0]);
}

}  // namespace
