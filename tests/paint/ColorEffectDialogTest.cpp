// "Replace color with..." and "Adjust Colors...": the HLS fields and their
// read-back, the preview's area and size, both dialogs driven in-process on a
// real frame (buttons, fields, ranges, the live preview), and the Image
// menu's Replace Color and Adjust Colors commands through them.
#include "ColorEffectDialogs.h"
#include "DialogTestHooks.h"
#include "DialogUtilities.h"
#include "DibPixels.h"
#include "DocumentTestSupport.h"
#include "FrameOperations.h"
#include "PaletteDialogs.h"
#include "Undo.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <climits>
#include <string>

namespace {

TEST(ReplaceColorFields, HlsFieldsRoundHalfUpAndReadBack)
{
    struct Case {
        COLORREF color;
        HlsFields fields;
    } cases[] = {
        {RGB(255, 0, 0), {0, 240, 120}},      {RGB(0, 255, 0), {80, 240, 120}},
        {RGB(0, 0, 255), {160, 240, 120}},    {RGB(128, 128, 128), {160, 0, 120}},  // a grey: hue 0.6666666
        {RGB(10, 20, 30), {140, 120, 19}},    // lightness 18.8 rounds up
        {RGB(200, 100, 50), {13, 144, 118}},  // hue 13.3 down, lightness 117.6 up
        {RGB(255, 255, 255), {160, 0, 240}},  {RGB(0, 0, 0), {160, 0, 0}},
    };
    for (const Case& c : cases) {
        const HlsFields f = HlsFieldsOf(c.color);
        EXPECT_EQ(f.hue, c.fields.hue) << std::hex << c.color;
        EXPECT_EQ(f.saturation, c.fields.saturation) << std::hex << c.color;
        EXPECT_EQ(f.lightness, c.fields.lightness) << std::hex << c.color;
    }
    struct Back {
        HlsFields fields;
        COLORREF color;
    } back[] = {
        {{0, 240, 120}, RGB(255, 0, 0)},      {{80, 240, 120}, RGB(0, 255, 0)}, {{160, 240, 120}, RGB(0, 0, 255)},
        {{160, 0, 120}, RGB(127, 127, 127)},  {{140, 120, 19}, RGB(10, 20, 30)}, {{20, 180, 90}, RGB(167, 95, 23)},
        {{240, 240, 240}, RGB(255, 255, 255)}, {{0, 0, 0}, RGB(0, 0, 0)},
    };
    for (const Back& b : back)
        EXPECT_EQ(ColorOfHlsFields(b.fields), b.color) << b.fields.hue << " " << b.fields.saturation << " "
                                                       << b.fields.lightness;
}

TEST(EffectPreviewGeometry, AnEmptyAreaIsTheWholeFrame)
{
    struct Case {
        int x, y, width, height;
        RECT expected;
    } cases[] = {
        {0, 0, 0, 0, {0, 0, 40, 20}},           // the reset settings
        {3, 4, 0, 9, {0, 0, 40, 20}},           {5, 5, 10, 4, {5, 5, 15, 9}},
        {-5, -5, 10, 10, {0, 0, 5, 5}},         {50, 50, 10, 10, {0, 0, 40, 20}},  // outside: the whole
        {INT_MAX, 0, INT_MAX, 5, {0, 0, 40, 20}}, {30, 10, INT_MAX, INT_MAX, {30, 10, 40, 20}},
    };
    for (const Case& c : cases) {
        const RECT r = PreviewSourceArea(c.x, c.y, c.width, c.height, {40, 20});
        EXPECT_TRUE(EqualRect(&r, &c.expected)) << c.x << "," << c.y << " " << c.width << "x" << c.height << ": "
                                                << r.left << "," << r.top << "-" << r.right << "," << r.bottom;
    }
    struct Size {
        SIZE area, control, expected;
    } sizes[] = {
        {{40, 20}, {84, 60}, {84, 42}}, {{10, 40}, {84, 60}, {15, 60}}, {{1000, 1}, {84, 60}, {84, 1}},
        {{1, 1000}, {84, 60}, {1, 60}}, {{0, 0}, {84, 60}, {1, 1}},     {{40, 20}, {0, 0}, {1, 1}},
    };
    for (const Size& s : sizes) {
        const SIZE got = PreviewSize(s.area, s.control);
        EXPECT_EQ(got.cx, s.expected.cx) << s.area.cx << "x" << s.area.cy;
        EXPECT_EQ(got.cy, s.expected.cy) << s.area.cx << "x" << s.area.cy;
    }
}

// ---- the dialogs on a real frame ----

constexpr COLORREF RED = RGB(255, 0, 0), GREEN = RGB(0, 255, 0), BLUE = RGB(0, 0, 255), YELLOW = RGB(255, 255, 0);

std::string Text(HWND dialog, int item)
{
    char text[32] = {};
    GetDlgItemTextA(dialog, item, text, sizeof text);
    return text;
}

bool Enabled(HWND dialog, int item) { return IsWindowEnabled(GetDlgItem(dialog, item)) != FALSE; }

void Click(HWND dialog, int item) { SendMessageA(GetDlgItem(dialog, item), BM_CLICK, 0, 0); }

// The dialog on the screen: the answer acts before the modal loop shows it.
void Show(HWND dialog)
{
    ShowWindow(dialog, SW_SHOW);
    SetForegroundWindow(dialog);
    UpdateWindow(dialog);
}

// The colour the preview control shows at a fraction of its width, mid-height.
COLORREF PreviewPixel(HWND dialog, int item, double across)
{
    Show(dialog);
    HWND control = GetDlgItem(dialog, item);
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT r;
    GetClientRect(control, &r);
    HDC dc = GetDC(control);
    const COLORREF c = GetPixel(dc, static_cast<int>(r.right * across), r.bottom / 2);
    ReleaseDC(control, dc);
    return c & 0xFFFFFF;
}

// Frames 40 x 20, the left half red and the right half blue.
class ColorEffectDialogs : public DocumentTest {
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        RegisterPaletteDialogs();
    }
    void TearDown() override
    {
        ClearUndo();
        DocumentTest::TearDown();
    }
    void MakeFrames(int colorCount)
    {
        SetColorFormat(colorCount, nullptr, 0);
        g_appState.colorCount = colorCount;
        g_appState.frameWidth = 40;
        g_appState.frameHeight = 20;
        g_appState.frameBitmaps[0] = CreateFrameBitmap(40, 20);
        DibPixels p(g_appState.frameBitmaps[0]);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 40; ++x) p.Set(x, y, p.ValueOf(x < 20 ? RED : BLUE));
        SetFrameCount(1);
        g_appState.currentFrame = 0;
        ResizeUndoSteps(40, 20);
    }
    static COLORREF At(int x, int y) { return DibPixels(g_appState.frameBitmaps[0]).Color(x, y); }
    ColorReplaceSettings Replacing(COLORREF from, COLORREF to, uint32_t flags)
    {
        ColorReplaceSettings s{};
        s.sourceColor = from;
        s.destColor = to;
        s.flags = flags;
        s.hueTolerance = s.satTolerance = s.lumTolerance = 10;
        s.previewBitmap = g_appState.frameBitmaps[0];
        return s;  // area 0 x 0: the preview shows the whole frame
    }
};

struct ReplaceSeen {
    bool replaceAtStart, replaceAfterCheck, resetAtStart;
    std::string fields[3], tolerances[3];
    COLORREF left, right;
};
ReplaceSeen g_seen;

TEST_F(ColorEffectDialogs, EqualColoursKeepReplaceDisabledUntilAReplaceBoxChanges)
{
    MakeFrames(COLORS_24BIT);
    ColorReplaceSettings s = Replacing(RED, RED, REPLACE_DEFAULT_FLAGS | REPLACE_BY_TOLERANCE);
    s.hueTolerance = 128;  // shown limited to 1..99
    s.satTolerance = 0;
    g_seen = {};
    DialogAutoAnswer answer([](HWND dialog) {
        g_seen.replaceAtStart = Enabled(dialog, IDOK);
        g_seen.resetAtStart = Enabled(dialog, IDC_REPLACE_RESET);
        for (int i = 0; i < 3; ++i) {
            g_seen.fields[i] = Text(dialog, IDC_SOURCE_FIELD + 2 * i);
            g_seen.tolerances[i] = Text(dialog, IDC_HUE_TOLERANCE + 2 * i);
        }
        Click(dialog, IDC_REPLACE_HUE);
        g_seen.replaceAfterCheck = Enabled(dialog, IDOK);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(RunDialog(IDD_REPLACE_COLOR, nullptr, reinterpret_cast<LPARAM>(&s)), -1);
    EXPECT_FALSE(g_seen.replaceAtStart);
    EXPECT_FALSE(g_seen.resetAtStart);
    EXPECT_TRUE(g_seen.replaceAfterCheck);
    // Red in hue, saturation and lightness (x 240).
    EXPECT_EQ(g_seen.fields[0], "0");
    EXPECT_EQ(g_seen.fields[1], "240");
    EXPECT_EQ(g_seen.fields[2], "120");
    EXPECT_EQ(g_seen.tolerances[0], "99");
    EXPECT_EQ(g_seen.tolerances[1], "1");
    EXPECT_EQ(g_seen.tolerances[2], "10");
    EXPECT_EQ(s.flags, REPLACE_DEFAULT_FLAGS | REPLACE_BY_TOLERANCE) << "Cancel keeps the settings";
}

TEST_F(ColorEffectDialogs, TypedColourShowsInThePreviewAndIsKeptByReplace)
{
    MakeFrames(COLORS_24BIT);
    ColorReplaceSettings s = Replacing(RED, RED, REPLACE_DEFAULT_FLAGS);
    g_seen = {};
    DialogAutoAnswer answer([](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_DEST_FIELD, "0");
        SetDlgItemTextA(dialog, IDC_DEST_FIELD + 2, "255");
        g_seen.replaceAfterCheck = Enabled(dialog, IDOK);
        g_seen.left = PreviewPixel(dialog, IDC_REPLACE_PREVIEW, 0.3);
        g_seen.right = PreviewPixel(dialog, IDC_REPLACE_PREVIEW, 0.7);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(RunDialog(IDD_REPLACE_COLOR, nullptr, reinterpret_cast<LPARAM>(&s)), 1);
    EXPECT_TRUE(g_seen.replaceAfterCheck);
    EXPECT_EQ(g_seen.left, GREEN) << "the red half of the whole frame, replaced";
    EXPECT_EQ(g_seen.right, BLUE);
    EXPECT_EQ(s.destColor, GREEN);
    EXPECT_EQ(s.flags & REPLACE_BY_TOLERANCE, 0u);
    EXPECT_EQ(At(5, 5), RED) << "the dialog itself changes no frame";
}

TEST_F(ColorEffectDialogs, HlsFieldsAreReadBackAndABadToleranceKeepsTheDialogOpen)
{
    MakeFrames(COLORS_24BIT);
    ColorReplaceSettings s = Replacing(RED, RED, REPLACE_DEFAULT_FLAGS | REPLACE_BY_TOLERANCE);
    static bool stayedOpen;
    stayedOpen = false;
    DialogAutoAnswer answer([](HWND dialog) {
        Show(dialog);
        SetDlgItemTextA(dialog, IDC_DEST_FIELD, "160");  // blue's hue
        SetDlgItemTextA(dialog, IDC_HUE_TOLERANCE + 2, "0");
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        stayedOpen = IsWindow(dialog) && IsWindowVisible(dialog);
        SetDlgItemTextA(dialog, IDC_HUE_TOLERANCE + 2, "5");
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(RunDialog(IDD_REPLACE_COLOR, nullptr, reinterpret_cast<LPARAM>(&s)), 1);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(s.destColor, BLUE);
    EXPECT_EQ(s.satTolerance, 5);
    EXPECT_NE(s.flags & REPLACE_BY_TOLERANCE, 0u);
}

struct AdjustSeen {
    int items;
    std::string atStart, afterSetTo, afterBadEntry, afterSpin;
    COLORREF left;
};
AdjustSeen g_adjust;

TEST_F(ColorEffectDialogs, AdjustSetToTurnsANegativeValueIntoZero)
{
    MakeFrames(COLORS_24BIT);
    ColorAdjustSettings s{0, 0, 0, 0, g_appState.frameBitmaps[0], 999, -20, 0};
    g_adjust = {};
    DialogAutoAnswer answer([](HWND dialog) {
        g_adjust.items = static_cast<int>(SendDlgItemMessageA(dialog, IDC_ADJUST_KIND, LB_GETCOUNT, 0, 0));
        g_adjust.atStart = Text(dialog, IDC_ADJUST_VALUE);
        Click(dialog, IDC_SET_TO);
        g_adjust.afterSetTo = Text(dialog, IDC_ADJUST_VALUE);
        SetDlgItemTextA(dialog, IDC_ADJUST_VALUE, "-5");  // below "Set to:"'s range
        g_adjust.afterBadEntry = Text(dialog, IDC_ADJUST_VALUE);
        SendMessageA(dialog, WM_VSCROLL, SB_LINEUP, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_ADJUST_SPIN)));
        g_adjust.afterSpin = Text(dialog, IDC_ADJUST_VALUE);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(RunDialog(IDD_ADJUST_COLORS, nullptr, reinterpret_cast<LPARAM>(&s)), 1);
    EXPECT_EQ(g_adjust.items, 7);
    EXPECT_EQ(g_adjust.atStart, "-20");
    EXPECT_EQ(g_adjust.afterSetTo, "0");
    EXPECT_EQ(g_adjust.afterBadEntry, "0");
    EXPECT_EQ(g_adjust.afterSpin, "1");
    EXPECT_EQ(s.kind, ADJUST_BRIGHTNESS) << "an unknown kind becomes the first item's";
    EXPECT_EQ(s.value, 1);
    EXPECT_EQ(s.absolute, 1);

    DialogAutoAnswer cancel([](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_ADJUST_VALUE, "50");
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(RunDialog(IDD_ADJUST_COLORS, nullptr, reinterpret_cast<LPARAM>(&s)), 0);
    EXPECT_EQ(s.value, 1);
}

// ---- the Image menu's commands ----

TEST_F(ColorEffectDialogs, ReplaceColorBelow256ColoursReplacesThePenByTheChosenIndex)
{
    MakeFrames(COLORS_16);
    g_appState.toolColors.penColorIndex = 9;  // red
    DialogAutoAnswer answer([](HWND dialog) {
        // Cell 11 (yellow): row 1, column 3 of the 8 x 2 grid.
        HWND grid = GetDlgItem(dialog, IDC_PALETTE_GRID);
        RECT r;
        GetClientRect(grid, &r);
        const int cw = (r.right - 2) / 8, ch = (r.bottom - 2) / 2;
        const LPARAM at = MAKELPARAM(1 + 3 * cw + cw / 2, 1 + ch + ch / 2);
        SendMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(grid, WM_LBUTTONUP, 0, at);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(DoImageCommand(IDM_REPLACE_COLOR, 0), 1);
    ASSERT_EQ(answer.Dialogs().size(), 1u);
    EXPECT_EQ(answer.Dialogs()[0].initParam, 9);
    EXPECT_EQ(At(5, 5), YELLOW);
    EXPECT_EQ(At(35, 5), BLUE);
    EXPECT_TRUE(CanUndo());

    DialogAutoAnswer cancel;  // -1: nothing
    EXPECT_EQ(DoImageCommand(IDM_REPLACE_COLOR, 0), 0);
    EXPECT_EQ(At(5, 5), YELLOW);
}

TEST_F(ColorEffectDialogs, ReplaceColorInTrueColourStartsFromThePen)
{
    MakeFrames(COLORS_24BIT);
    ResetColorToolSettings();
    SetToolColorIndex(ROLE_PEN, ColorToPaletteIndex(RED));
    static std::string sourceRed;
    DialogAutoAnswer answer([](HWND dialog) {
        if (IsDlgButtonChecked(dialog, IDC_TOLERANCE_MODE)) Click(dialog, IDC_TOLERANCE_MODE);
        sourceRed = Text(dialog, IDC_SOURCE_FIELD);
        SetDlgItemTextA(dialog, IDC_DEST_FIELD, "0");
        SetDlgItemTextA(dialog, IDC_DEST_FIELD + 2, "255");
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(DoImageCommand(IDM_REPLACE_COLOR, 0), 1);
    EXPECT_EQ(sourceRed, "255");
    EXPECT_EQ(At(5, 5), GREEN);
    EXPECT_EQ(At(35, 5), BLUE);
    EXPECT_EQ(g_colorReplaceSettings.previewBitmap, nullptr) << "the frame is not kept";
}

TEST_F(ColorEffectDialogs, AdjustColorsAppliesTheChosenKind)
{
    MakeFrames(COLORS_24BIT);
    g_colorAdjustSettings = ColorAdjustSettings{0, 0, 0, 0, nullptr, ADJUST_BRIGHTNESS, 0, 0};
    static COLORREF previewLeft;
    DialogAutoAnswer answer([](HWND dialog) {
        if (!GetDlgItem(dialog, IDC_ADJUST_KIND)) return;  // the pass's progress dialog
        SendDlgItemMessageA(dialog, IDC_ADJUST_KIND, LB_SETCURSEL, 4, 0);  // "Red"
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_ADJUST_KIND, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_ADJUST_KIND)));
        Click(dialog, IDC_SET_TO);
        SetDlgItemTextA(dialog, IDC_ADJUST_VALUE, "50");
        previewLeft = PreviewPixel(dialog, IDC_ADJUST_PREVIEW, 0.3);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(DoImageCommand(IDM_ADJUST_COLORS, 0), 1);
    EXPECT_EQ(previewLeft, RGB(127, 0, 0));
    EXPECT_EQ(At(5, 5), RGB(127, 0, 0));
    EXPECT_EQ(At(35, 5), RGB(127, 0, 255));
    EXPECT_EQ(g_colorAdjustSettings.kind, ADJUST_RED);
}

}  // namespace
