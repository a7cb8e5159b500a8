// The sequence dialogs run through the dialog runner and driven in-process:
// the palette requests' memory, the export names and extension rewrite of
// "Save Frame Sequence", and the aspect ratio of "Change Frame Format".
#include "AppState.h"
#include "ConvBridge.h"
#include "DialogTestHooks.h"
#include "DialogUtilities.h"
#include "DocumentTestSupport.h"
#include "FrameFormat.h"
#include "FrameFormatDialog.h"
#include "PaletteDialogs.h"
#include "Palette.h"
#include "SequenceCommands.h"
#include "SequenceDialogs.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// ---- "Color Palette Request" ----

struct PaletteRun {
    int preselected = -1;  // the option checked when the dialog opened
    bool icon = false;
};

// Runs a palette request that presses option `choose` (151 + option, or
// none) and then `button`.
int RunPaletteRequestChoosing(int templateId, int choose, int button, PaletteRun* run)
{
    static PaletteRun* seen;
    static int option, press;
    seen = run;
    option = choose;
    press = button;
    DialogAutoAnswer answer([](HWND dialog) {
        for (int i = 0; i < 3; ++i)
            if (IsDlgButtonChecked(dialog, IDC_PALETTE_MAP + i) == BST_CHECKED) seen->preselected = i;
        seen->icon = SendDlgItemMessageA(dialog, IDC_PALETTE_ICON, STM_GETICON, 0, 0) != 0;
        if (option >= 0) SendDlgItemMessageA(dialog, IDC_PALETTE_MAP + option, BM_CLICK, 0, 0);
        PostMessageA(dialog, WM_COMMAND, press, 0);
    });
    return RunPaletteRequest(templateId);
}

TEST(PaletteRequest, RemembersTheLastChoicePerTemplateAndNotOnCancel)
{
    ResetPaletteRequestMemory();
    struct Step {
        int templateId, choose, button;
        int preselected, result;
    } steps[] = {
        {IDD_STANDARD_PALETTE_REQUEST, -1, IDOK, 0, 0},     // first time: the first option
        {IDD_STANDARD_PALETTE_REQUEST, 2, IDOK, 0, 2},      // load the image's own palette
        {IDD_STANDARD_PALETTE_REQUEST, -1, IDOK, 2, 2},     // remembered
        {IDD_CURRENT_PALETTE_REQUEST, -1, IDOK, 0, 0},      // the other template has its own memory
        {IDD_CURRENT_PALETTE_REQUEST, 1, IDOK, 0, 1},       // dither
        {IDD_CURRENT_PALETTE_REQUEST, 0, IDCANCEL, 1, -1},  // Cancel remembers nothing
        {IDD_CURRENT_PALETTE_REQUEST, -1, IDOK, 1, 1},
        {IDD_STANDARD_PALETTE_REQUEST, 1, IDOK, 2, 1},
    };
    int i = 0;
    for (const Step& s : steps) {
        PaletteRun run;
        EXPECT_EQ(RunPaletteRequestChoosing(s.templateId, s.choose, s.button, &run), s.result) << "step " << i;
        EXPECT_EQ(run.preselected, s.preselected) << "step " << i;
        EXPECT_TRUE(run.icon) << "step " << i;
        ++i;
    }
}

TEST(PaletteRequest, LoadingAskedThroughTheEditorHook)
{
    // What a load asks goes to the dialog: the hook answers with its result.
    ResetPaletteRequestMemory();
    EditorHooks saved = g_appState.hooks;
    g_appState.hooks.paletteRequest = RunPaletteRequest;
    PaletteRun run;
    static PaletteRun* seen;
    seen = &run;
    DialogAutoAnswer answer([](HWND dialog) {
        seen->icon = GetDlgItem(dialog, IDC_PALETTE_LOAD_OWN) != nullptr;
        SendDlgItemMessageA(dialog, IDC_PALETTE_DITHER, BM_CLICK, 0, 0);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(g_appState.hooks.paletteRequest(IDD_STANDARD_PALETTE_REQUEST), 1);
    EXPECT_TRUE(run.icon);  // the standard request offers the image's own palette
    EXPECT_EQ(answer.Dialogs().size(), 1u);
    EXPECT_EQ(answer.Dialogs()[0].caption, "Color Palette Request");
    g_appState.hooks = saved;
}

// ---- "Save Frame Sequence" ----

class SaveSequenceDialog : public DocumentTest {
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        g_appState.frameCount = 12;
    }
    void TearDown() override
    {
        g_appState.frameCount = 0;
        FreeConvLibrary();
        DocumentTest::TearDown();
    }
    struct Shown {
        std::string directory, names;
        int formats = 0;
    };
    // Runs the dialog on `path`, choosing the combo item `item` (or keeping
    // the preselected one), then pressing `button`.
    static int Run(char* path, int item, int button, Shown* shown)
    {
        static Shown* seen;
        static int choose, press;
        seen = shown;
        choose = item;
        press = button;
        DialogAutoAnswer answer([](HWND dialog) {
            HWND combo = GetDlgItem(dialog, IDC_EXPORT_FORMAT);
            seen->formats = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
            if (choose >= 0) {
                SendMessageA(combo, CB_SETCURSEL, choose, 0);
                SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_EXPORT_FORMAT, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
            }
            seen->directory = DialogItemText(dialog, IDC_EXPORT_DIRECTORY);
            seen->names = DialogItemText(dialog, IDC_EXPORT_FILENAMES);
            PostMessageA(dialog, WM_COMMAND, press, 0);
        });
        return static_cast<int>(RunDialog(IDD_SAVE_SEQUENCE, nullptr, reinterpret_cast<LPARAM>(path)));
    }
};

TEST_F(SaveSequenceDialog, WithoutTheLibraryOnlyBitmaps)
{
    FreeConvLibrary();
    char path[MAX_PATH] = "C:\\work\\Frame.bmx";
    Shown shown;
    EXPECT_EQ(Run(path, -1, IDOK, &shown), 0);
    EXPECT_EQ(shown.formats, 1);
    EXPECT_EQ(shown.directory, "C:\\work");
    EXPECT_EQ(shown.names, "Frame[1..12].BMP");
    EXPECT_STREQ(path, "C:\\work\\Frame.BMP");
}

TEST_F(SaveSequenceDialog, TheChosenFormatsFirstExtensionReplacesOrIsAppended)
{
    ASSERT_TRUE(LoadConvLibrary("RecordingConv.dll"));
    struct Case {
        const char* path;
        int item, button;
        int result;
        const char* names;
        const char* after;
    } cases[] = {
        {"C:\\work\\Seq.bmx", 1, IDOK, 150, "Seq[1..12].RA", "C:\\work\\Seq.RA"},
        {"C:\\work\\Seq.bmx", 2, IDOK, 151, "Seq[1..12].RB", "C:\\work\\Seq.RB"},
        {"C:\\work\\Seq", 2, IDOK, 151, "Seq[1..12].RB", "C:\\work\\Seq.RB"},
        {"C:\\a.b\\Seq", 1, IDOK, 150, "Seq[1..12].RA", "C:\\a.b\\Seq.RA"},  // a dot in a folder is no extension
        {"C:\\work\\Seq.bmx", 2, IDCANCEL, -1, "Seq[1..12].RB", "C:\\work\\Seq.bmx"},
    };
    for (const Case& c : cases) {
        char path[MAX_PATH];
        strcpy(path, c.path);
        Shown shown;
        EXPECT_EQ(Run(path, c.item, c.button, &shown), c.result) << c.path;
        EXPECT_EQ(shown.formats, 3);
        EXPECT_EQ(shown.names, c.names) << c.path;
        EXPECT_STREQ(path, c.after);
    }
}

TEST_F(SaveSequenceDialog, TheFirstFramesFormatIsPreselected)
{
    ASSERT_TRUE(LoadConvLibrary("RecordingConv.dll"));
    g_document.frameRecords[0].attribute = 151;
    char path[MAX_PATH] = "C:\\work\\Walk.bmx";
    Shown shown;
    EXPECT_EQ(Run(path, -1, IDOK, &shown), 151);
    EXPECT_EQ(shown.names, "Walk[1..12].RB");
    EXPECT_STREQ(path, "C:\\work\\Walk.RB");
}

// ---- "New Frame Sequence" ----

class NewSequenceDialog : public DocumentTest {
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        RegisterPaletteDialogs();
        FreeConvLibrary();
        window_ = CreateWindowA("STATIC", "clipboard owner", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        saved_ = g_appState.bitmapMode;
        g_appState.bitmapMode.useDeviceBitmaps = false;
        g_appState.bitmapMode.displayBits = 32;
        EmptyTheClipboard();
    }
    void TearDown() override
    {
        EmptyTheClipboard();
        DestroyWindow(window_);
        g_appState.bitmapMode = saved_;
        g_appState.frameWidth = g_appState.frameHeight = 0;
        DocumentTest::TearDown();
    }
    void EmptyTheClipboard()
    {
        ASSERT_TRUE(OpenClipboard(window_));
        EmptyClipboard();
        CloseClipboard();
    }
    // A plain DIB of width x height at `bits` on the clipboard.
    void PutImage(int width, int height, int bits)
    {
        const int colors = bits <= 8 ? 1 << bits : 0;
        const size_t stride = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
        std::vector<BYTE> bytes(sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD) + stride * height, 0);
        auto* h = reinterpret_cast<BITMAPINFOHEADER*>(bytes.data());
        *h = {sizeof(BITMAPINFOHEADER), width, height, 1, static_cast<WORD>(bits), BI_RGB, 0, 0, 0, 0, 0};
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
        ASSERT_TRUE(OpenClipboard(window_));
        EmptyClipboard();
        ASSERT_NE(SetClipboardData(CF_DIB, block), nullptr);
        CloseClipboard();
    }
    struct Shown {
        std::string width, height;
        int depth = 0;  // the checked depth button
        bool pasteChecked = false, pasteEnabled = false, typesEnabled = true;
        int types = 0;
    };
    using Steps = void (*)(HWND dialog);
    // Runs the dialog on `params`: notes what it shows, runs `steps` on it,
    // then presses `button`.
    static INT_PTR Run(NewSequenceParams* params, Shown* shown, Steps steps, int button)
    {
        static Shown* seen;
        static Steps act;
        static int press;
        seen = shown;
        act = steps;
        press = button;
        DialogAutoAnswer answer([](HWND dialog) {
            if (!GetDlgItem(dialog, IDC_NEW_TYPE)) return;  // a nested dialog is the steps' business
            seen->width = DialogItemText(dialog, IDC_NEW_WIDTH);
            seen->height = DialogItemText(dialog, IDC_NEW_HEIGHT);
            for (int id = IDC_FORMAT_DEPTH_2; id <= IDC_FORMAT_DEPTH_TRUE; ++id)
                if (IsDlgButtonChecked(dialog, id) == BST_CHECKED) seen->depth = id;
            seen->pasteChecked = IsDlgButtonChecked(dialog, IDC_NEW_PASTE_CLIPBOARD) == BST_CHECKED;
            seen->pasteEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_NEW_PASTE_CLIPBOARD)) != FALSE;
            seen->typesEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_NEW_TYPE)) != FALSE;
            seen->types = static_cast<int>(SendDlgItemMessageA(dialog, IDC_NEW_TYPE, CB_GETCOUNT, 0, 0));
            if (act) act(dialog);
            PostMessageA(dialog, WM_COMMAND, press, 0);
        });
        return RunDialog(IDD_NEW_SEQUENCE, nullptr, reinterpret_cast<LPARAM>(params));
    }
    HWND window_ = nullptr;
    BitmapMode saved_{};
};

TEST_F(NewSequenceDialog, AClipboardImageProposesItsSizeWithinLimitsAndItsDepth)
{
    struct Case {
        int width, height, bits;
        const char *shownWidth, *shownHeight;
        int depth;
    } cases[] = {
        {1600, 1200, 24, "1280", "1024", IDC_FORMAT_DEPTH_TRUE},
        {300, 200, 8, "300", "200", IDC_FORMAT_DEPTH_256},
        {40, 30, 1, "40", "30", IDC_FORMAT_DEPTH_2},
        {40, 30, 4, "40", "30", IDC_FORMAT_DEPTH_16},
    };
    for (const Case& c : cases) {
        PutImage(c.width, c.height, c.bits);
        NewSequenceParams params{};
        params.typeId = -1;
        Shown shown;
        EXPECT_EQ(Run(&params, &shown, nullptr, IDOK), 1);
        EXPECT_EQ(shown.width, c.shownWidth);
        EXPECT_EQ(shown.height, c.shownHeight);
        EXPECT_EQ(shown.depth, c.depth) << c.bits;
        EXPECT_TRUE(shown.pasteChecked);
        EXPECT_EQ(params.pasteClipboard, 1);
        EXPECT_EQ(params.width, atoi(c.shownWidth));
        EXPECT_EQ(params.height, atoi(c.shownHeight));
    }
}

TEST_F(NewSequenceDialog, WithoutAClipboardImageTheFrameSizeOr128AndTheDisplayDepth)
{
    struct Case {
        int frameWidth, frameHeight, displayBits;
        const char *width, *height;
        int depth;
        int32_t format;
    } cases[] = {
        {0, 0, 32, "128", "128", IDC_FORMAT_DEPTH_TRUE, COLORS_24BIT},
        {64, 48, 24, "64", "48", IDC_FORMAT_DEPTH_TRUE, COLORS_24BIT},
        {7, 100, 16, "128", "100", IDC_FORMAT_DEPTH_65536, COLORS_65536},  // each side on its own
        {100, 100, 8, "100", "100", IDC_FORMAT_DEPTH_256, COLORS_256},
        {100, 100, 4, "100", "100", IDC_FORMAT_DEPTH_16, COLORS_16},
        {100, 100, 15, "100", "100", IDC_FORMAT_DEPTH_65536, COLORS_65536},  // another depth above 8 bits
    };
    for (const Case& c : cases) {
        g_appState.frameWidth = c.frameWidth;
        g_appState.frameHeight = c.frameHeight;
        g_appState.bitmapMode.displayBits = c.displayBits;
        NewSequenceParams params{};
        params.typeId = -1;
        Shown shown;
        EXPECT_EQ(Run(&params, &shown, nullptr, IDOK), 1);
        EXPECT_EQ(shown.width, c.width);
        EXPECT_EQ(shown.height, c.height);
        EXPECT_EQ(shown.depth, c.depth) << c.displayBits;
        EXPECT_FALSE(shown.pasteEnabled);
        EXPECT_FALSE(shown.typesEnabled);  // no image library: only the own type
        EXPECT_EQ(shown.types, 1);
        EXPECT_EQ(params.colourFormat, c.format);
        EXPECT_EQ(params.typeId, 0);
        EXPECT_EQ(params.transparentCode, TRANSPARENT_NONE);
        EXPECT_EQ(params.tolerance, 10);
        EXPECT_EQ(params.pasteClipboard, 0);
    }
}

TEST_F(NewSequenceDialog, SizesOutsideTheRangeAreRefusedAndTheDialogStays)
{
    MessageBoxRecorder boxes(IDOK);
    NewSequenceParams params{};
    params.typeId = -1;
    Shown shown;
    EXPECT_EQ(Run(&params, &shown,
                  [](HWND dialog) {
                      SetDlgItemInt(dialog, IDC_NEW_WIDTH, 5, FALSE);
                      SendMessageA(dialog, WM_COMMAND, IDOK, 0);
                      SetDlgItemInt(dialog, IDC_NEW_WIDTH, 100, FALSE);
                      SetDlgItemInt(dialog, IDC_NEW_HEIGHT, 2049, FALSE);
                      SendMessageA(dialog, WM_COMMAND, IDOK, 0);
                  },
                  IDCANCEL),
              0);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text, "The Witdh and Height of a Frame must be within 8 and 2048 Pixels!");
    EXPECT_EQ(boxes.Boxes()[0].style & MB_ICONMASK, static_cast<UINT>(MB_ICONSTOP));
}

// The transparent colour picked in "Set transparent color" (cell `g_cell`),
// then the two-colour depth clicked or not.
int g_cell;
bool g_twoColors;

void PickTransparentThenDepth(HWND dialog)
{
    DialogAutoAnswer pick([](HWND transparent) {
        SendDlgItemMessageA(transparent, IDC_FIRST_STATIC_CELL + g_cell, BM_CLICK, 0, 0);
        PostMessageA(transparent, WM_COMMAND, IDOK, 0);
    });
    SendDlgItemMessageA(dialog, IDC_NEW_TRANSPARENT, BM_CLICK, 0, 0);
    bool asked = false;
    for (const DialogAutoAnswer::Seen& seen : pick.Dialogs()) asked = asked || seen.caption == "Set transparent color";
    EXPECT_TRUE(asked);
    if (g_twoColors) SendDlgItemMessageA(dialog, IDC_FORMAT_DEPTH_2, BM_CLICK, 0, 0);
}

TEST_F(NewSequenceDialog, TwoColoursKeepBlackOrWhiteAndDropOtherStaticColours)
{
    struct Case {
        int cell;
        bool twoColors;
        int32_t code;
    } cases[] = {
        {0, true, 0x20},               // black: the two-colour mark
        {15, true, 0x2F},              // white
        {9, true, TRANSPARENT_NONE},   // a static colour 2-14 falls back to none
        {9, false, 9},                 // at 24 bits it stays
        {0, false, 0},
    };
    for (const Case& c : cases) {
        g_cell = c.cell;
        g_twoColors = c.twoColors;
        NewSequenceParams params{};
        params.typeId = -1;
        Shown shown;
        EXPECT_EQ(Run(&params, &shown, PickTransparentThenDepth, IDOK), 1);
        EXPECT_EQ(params.transparentCode, c.code) << "cell " << c.cell << (c.twoColors ? " at 2 colours" : "");
        EXPECT_EQ(params.colourFormat, c.twoColors ? COLORS_2 : COLORS_24BIT);
    }
}

// ---- "Change Frame Format": the aspect ratio ----

class FrameFormatDialogTest : public DocumentTest {};

TEST_F(FrameFormatDialogTest, RetainedAspectRatioInFloatingPoint)
{
    struct Case {
        int frameWidth, frameHeight, typedItem, typed, otherItem;
        const char* other;
    } cases[] = {
        {200, 100, IDC_FORMAT_WIDTH, 150, IDC_FORMAT_HEIGHT, "75"},
        {100, 200, IDC_FORMAT_WIDTH, 50, IDC_FORMAT_HEIGHT, "100"},  // an integer ratio would divide by zero
        {100, 200, IDC_FORMAT_HEIGHT, 300, IDC_FORMAT_WIDTH, "150"},
        {300, 200, IDC_FORMAT_WIDTH, 100, IDC_FORMAT_HEIGHT, "66"},  // truncated
    };
    for (const Case& c : cases) {
        g_appState.frameWidth = c.frameWidth;
        g_appState.frameHeight = c.frameHeight;
        static const Case* now;
        static std::string other;
        now = &c;
        DialogAutoAnswer answer([](HWND dialog) {
            SendDlgItemMessageA(dialog, IDC_FORMAT_RETAIN_ASPECT, BM_CLICK, 0, 0);
            SetDlgItemInt(dialog, now->typedItem, static_cast<UINT>(now->typed), FALSE);
            other = DialogItemText(dialog, now->otherItem);
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        FrameFormatDialogRequest r{};
        r.sizeChangeAllowed = 1;
        EXPECT_EQ(RunDialog(IDD_CHANGE_FORMAT, nullptr, reinterpret_cast<LPARAM>(&r)), 0);
        EXPECT_EQ(other, c.other) << c.frameWidth << " x " << c.frameHeight << ", typed " << c.typed;
    }
    g_appState.frameWidth = g_appState.frameHeight = 0;
}

}  // namespace
