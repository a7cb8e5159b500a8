// The selector buttons and their popups, the floating palette, the transform
// window and the modal dialogs that disable them, in a stand-in of the
// editor's main window and workspace.
#include "AppState.h"
#include "DialogTestHooks.h"
#include "DialogUtilities.h"
#include "PixelCanvas.h"
#include "RecordingWindows.h"
#include "ToolBar.h"
#include "ToolWindows.h"
#include "Workspace.h"
#include "resource.h"
#include <gtest/gtest.h>

namespace {

constexpr COLORREF BLACK = RGB(0, 0, 0);
constexpr COLORREF GREY = RGB(128, 128, 128);
constexpr COLORREF WHITE = RGB(255, 255, 255);

SIZE WindowSize(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

RECT ClientOnScreen(HWND window)
{
    RECT r;
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT InParent(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool MenuChecked(HMENU menu, UINT id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0; }

class ToolWindowsTest : public testing::Test {
protected:
    void SetUp() override
    {
        LoadDrawingResources(GetModuleHandleA(nullptr));
        g_appState.frameCount = 1;
        g_appState.penWidth = 1;
        g_appState.gradatedLines = 0;
        InstallToolWindowHost();
    }
    void TearDown() override
    {
        ResetSelectorChoices();
        CloseTransformWindow();
        if (FloatingPaletteWindow()) ToggleFloatingPalette();
        EnableToolWindows(1);
        FreeDrawingResources();
        g_appState.frameCount = 0;
        g_appState.fillPatternOn = g_appState.fillEnabled = false;
        SetDialogHost({});
    }
    // Presses and lets go of a selector button as the mouse would.
    static void Press(HWND button)
    {
        SendMessageA(button, BM_SETSTATE, TRUE, 0);
        SendMessageA(button, BM_SETSTATE, FALSE, 0);
    }
    RecordingWindows windows_;
};

TEST(SelectorGrid, SizesDockedAndFloating)
{
    struct Case {
        int kind;
        bool floating;
        int brushes;
        SIZE grid;
    };
    const Case cases[] = {
        {SELECTOR_PEN_SIZE, false, 0, {4, 3}},    {SELECTOR_PEN_SIZE, true, 18, {2, 6}},
        {SELECTOR_FILL_PATTERN, false, 0, {6, 2}}, // solid and 11 patterns
        {SELECTOR_FILL_PATTERN, false, 1, {6, 3}}, {SELECTOR_FILL_PATTERN, false, 18, {6, 5}},  // 30 cells
        {SELECTOR_FILL_PATTERN, true, 0, {2, 6}},  {SELECTOR_FILL_PATTERN, true, 18, {5, 6}},
    };
    for (const Case& c : cases) {
        const SIZE grid = SelectorGridSize(c.kind, c.floating, c.brushes);
        EXPECT_EQ(c.grid.cx, grid.cx) << c.kind << c.floating << c.brushes;
        EXPECT_EQ(c.grid.cy, grid.cy) << c.kind << c.floating << c.brushes;
    }
}

TEST(SelectorGrid, APopupStaysOnTheScreen)
{
    const SIZE screen = {1024, 768}, pen = {226, 74};
    const RECT middle = {300, 300, 356, 324}, right = {900, 300, 956, 324}, bottom = {300, 740, 356, 764};
    EXPECT_EQ(356, PlaceSelectorPopup(middle, pen, screen).x);
    EXPECT_EQ(300, PlaceSelectorPopup(middle, pen, screen).y);
    EXPECT_EQ(900 - 226, PlaceSelectorPopup(right, pen, screen).x);  // opens to the left
    EXPECT_EQ(768 - 74, PlaceSelectorPopup(bottom, pen, screen).y);  // ends at the bottom
}

TEST(KeepInsideMainWindow, ClampsToTheMainWindow)
{
    const RECT main = {100, 100, 800, 600};
    EXPECT_EQ((RECT{300, 200, 400, 350}), KeepInsideMainWindow({300, 200, 400, 350}, main));
    EXPECT_EQ((RECT{700, 200, 800, 350}), KeepInsideMainWindow({750, 200, 850, 350}, main));
    EXPECT_EQ((RECT{100, 450, 200, 600}), KeepInsideMainWindow({50, 520, 150, 670}, main));
}

TEST_F(ToolWindowsTest, ThePenPopupOpensBesideItsButtonAndShowsItsStatusText)
{
    Press(windows_.penButton);
    HWND popup = SelectorPopupWindow();
    ASSERT_NE(nullptr, popup);
    EXPECT_EQ(SELECTOR_PEN_SIZE, OpenSelectorKind());
    const SIZE size = WindowSize(popup);
    EXPECT_EQ(226, size.cx);
    EXPECT_EQ(74, size.cy);
    RECT button, at;
    GetWindowRect(windows_.penButton, &button);
    GetWindowRect(popup, &at);
    EXPECT_EQ(button.right, at.left);
    EXPECT_EQ(button.top, at.top);
    EXPECT_EQ("Select Pen Size", windows_.StatusText());
    EXPECT_EQ(windows_.main, GetWindow(popup, GW_OWNER));

    // The fill popup replaces it: with no brushes, the solid fill and 11 patterns.
    Press(windows_.fillButton);
    EXPECT_FALSE(IsWindow(popup));
    ASSERT_NE(nullptr, SelectorPopupWindow());
    EXPECT_EQ(SELECTOR_FILL_PATTERN, OpenSelectorKind());
    EXPECT_EQ(6 * 56 + 2, WindowSize(SelectorPopupWindow()).cx);
    EXPECT_EQ(2 * 24 + 2, WindowSize(SelectorPopupWindow()).cy);
    EXPECT_EQ("Select Fill Pattern", windows_.StatusText());
}

TEST_F(ToolWindowsTest, NoPopupWithoutAFrameSequence)
{
    g_appState.frameCount = 0;
    Press(windows_.penButton);
    EXPECT_EQ(nullptr, SelectorPopupWindow());
}

TEST_F(ToolWindowsTest, LosingTheFocusClosesThePopup)
{
    Press(windows_.penButton);
    ASSERT_NE(nullptr, SelectorPopupWindow());
    SetFocus(windows_.main);
    EXPECT_EQ(nullptr, SelectorPopupWindow());
    EXPECT_EQ(SELECTOR_NONE, OpenSelectorKind());
    EXPECT_EQ("<null>", windows_.StatusText());
}

TEST_F(ToolWindowsTest, AReleasedCellBecomesTheChoice)
{
    Press(windows_.penButton);
    HWND popup = SelectorPopupWindow();
    ASSERT_NE(nullptr, popup);
    // Cell 5: column 1 of the second row; pressed, dragged off and back, released.
    const LPARAM cell5 = MAKELPARAM(56 + 10, 24 + 10);
    SendMessageA(popup, WM_LBUTTONDOWN, MK_LBUTTON, cell5);
    SendMessageA(popup, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageA(popup, WM_MOUSEMOVE, MK_LBUTTON, cell5);
    SendMessageA(popup, WM_LBUTTONUP, 0, cell5);
    ASSERT_TRUE(PumpUntil([&] { return !windows_.Of(windows_.workspace, WM_COMMAND).empty(); }));
    EXPECT_EQ(105u, windows_.Of(windows_.workspace, WM_COMMAND)[0].wParam);
    EXPECT_EQ(6, g_appState.penWidth);
    EXPECT_EQ(nullptr, SelectorPopupWindow());
    const auto told = windows_.Of(windows_.canvas, EDIT_PEN_SIZE_CHANGED);
    ASSERT_EQ(1u, told.size());
    EXPECT_EQ(6u, told[0].wParam);

    // A release on another cell chooses nothing: the popup stays, and no
    // choice is posted. The popup is looked at before the messages are pumped:
    // a focus event the X server still owes for the first popup may arrive in
    // the pump and close the second one, as losing the focus should.
    Press(windows_.penButton);
    popup = SelectorPopupWindow();
    ASSERT_NE(nullptr, popup);
    SendMessageA(popup, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageA(popup, WM_LBUTTONUP, 0, cell5);
    EXPECT_EQ(popup, SelectorPopupWindow());
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(1u, windows_.Of(windows_.workspace, WM_COMMAND).size());
}

TEST_F(ToolWindowsTest, ApplySelectorChoiceTable)
{
    struct Case {
        int open;      // the popup opened first
        int kind, id;  // the call
        int frames;
        int result;
        int penWidth;
        bool patternOn, fillOn, popupLeft;
    };
    const Case cases[] = {
        {SELECTOR_PEN_SIZE, SELECTOR_PEN_SIZE, 99, 1, 0, 1, false, false, true},   // below 100: no choice
        {SELECTOR_NONE, SELECTOR_NONE, 105, 1, 0, 1, false, false, false},         // no popup open
        {SELECTOR_NONE, SELECTOR_PEN_SIZE, 105, 1, 0, 1, false, false, false},
        {SELECTOR_PEN_SIZE, SELECTOR_PEN_SIZE, 100, 1, 1, 1, false, false, false},
        {SELECTOR_PEN_SIZE, SELECTOR_PEN_SIZE, 111, 1, 1, 12, false, false, false},
        {SELECTOR_PEN_SIZE, SELECTOR_PEN_SIZE, 112, 1, 0, 1, false, false, true},  // no pen 13
        {SELECTOR_PEN_SIZE, SELECTOR_PEN_SIZE, 5000, 1, 0, 1, false, false, true},
        {SELECTOR_PEN_SIZE, SELECTOR_PEN_SIZE, 103, 0, 1, 1, false, false, true},  // no frames: a beep
        {SELECTOR_FILL_PATTERN, SELECTOR_FILL_PATTERN, 100, 1, 1, 1, false, true, false},
        {SELECTOR_FILL_PATTERN, SELECTOR_FILL_PATTERN, 104, 1, 1, 1, true, true, false},
        {SELECTOR_FILL_PATTERN, SELECTOR_FILL_PATTERN, 112, 1, 1, 1, false, true, false},  // no .MBX brush
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << ", id " << c.id);
        g_appState.frameCount = 1;
        if (c.open) Press(c.open == SELECTOR_PEN_SIZE ? windows_.penButton : windows_.fillButton);
        ASSERT_EQ(c.open, OpenSelectorKind());
        g_appState.frameCount = c.frames;
        windows_.Clear();
        EXPECT_EQ(c.result, ApplySelectorChoice(c.kind, c.id));
        EXPECT_EQ(c.penWidth, g_appState.penWidth);
        EXPECT_EQ(c.patternOn, g_appState.fillPatternOn);
        EXPECT_EQ(c.fillOn, g_appState.fillEnabled);
        EXPECT_EQ(c.patternOn, g_appState.fillPatternBrush != nullptr);
        EXPECT_EQ(c.popupLeft, SelectorPopupWindow() != nullptr);
        const bool penChosen = c.kind == SELECTOR_PEN_SIZE && c.result == 1 && c.frames > 0;
        EXPECT_EQ(penChosen ? 1u : 0u, windows_.Of(windows_.canvas, EDIT_PEN_SIZE_CHANGED).size());
        if (c.id == 104 && c.result) {
            EXPECT_EQ(3, g_appState.fillPatternIndex);
        }
        ResetSelectorChoices();
        g_appState.fillEnabled = false;
    }
}

TEST_F(ToolWindowsTest, PressingTheButtonOfTheOpenPopupClosesIt)
{
    RECT button;
    GetClientRect(windows_.penButton, &button);
    ClickAt(windows_.penButton, button.right / 2, button.bottom / 2);
    ASSERT_TRUE(PumpUntil([] { return SelectorPopupWindow() != nullptr; }));
    // Pumped long enough for the button's own messages to settle.
    PumpUntil([] { return false; }, 200);
    ASSERT_NE(nullptr, SelectorPopupWindow());
    ClickAt(windows_.penButton, button.right / 2, button.bottom / 2);
    ASSERT_TRUE(PumpUntil([] { return SelectorPopupWindow() == nullptr; }));
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(nullptr, SelectorPopupWindow()) << "the press closed it and did not open it again";
    // The next press opens it again.
    ClickAt(windows_.penButton, button.right / 2, button.bottom / 2);
    EXPECT_TRUE(PumpUntil([] { return SelectorPopupWindow() != nullptr; }));
}

TEST_F(ToolWindowsTest, ThePaletteFloatsAndDocksAgain)
{
    RECT canvas;
    GetWindowRect(windows_.canvas, &canvas);
    EXPECT_EQ(1, ToggleFloatingPalette());
    HWND floating = FloatingPaletteWindow();
    ASSERT_NE(nullptr, floating);
    EXPECT_TRUE(MenuChecked(windows_.menu, IDM_FLOATING_PALETTE));
    EXPECT_EQ(floating, GetParent(windows_.penButton));
    EXPECT_EQ(floating, GetParent(windows_.palette));
    EXPECT_EQ((RECT{1, 0, 57, 24}), InParent(windows_.penButton));
    EXPECT_EQ((RECT{1, 24, 57, 48}), InParent(windows_.fillButton));
    EXPECT_EQ(1, InParent(windows_.palette).left);
    EXPECT_EQ(50, InParent(windows_.palette).top);
    RECT client, palette;
    GetClientRect(floating, &client);
    GetClientRect(windows_.palette, &palette);
    EXPECT_EQ(palette.right + 2, client.right);
    EXPECT_EQ(palette.bottom + 50, client.bottom);
    const RECT placed = ClientOnScreen(floating);
    EXPECT_EQ(canvas.right + 10, placed.left);
    EXPECT_EQ(canvas.top, placed.top);
    EXPECT_EQ(FLOATING_COLUMN_WIDTH, GetCanvasOrigin().x);
    EXPECT_TRUE(IsToolWindow(floating));
    EXPECT_TRUE(IsToolWindow(windows_.penButton));
    EXPECT_FALSE(IsToolWindow(windows_.workspace));

    // Floating, the pen popup is two columns of six.
    Press(windows_.penButton);
    ASSERT_NE(nullptr, SelectorPopupWindow());
    EXPECT_EQ(2 * 56 + 2, WindowSize(SelectorPopupWindow()).cx);
    EXPECT_EQ(6 * 24 + 2, WindowSize(SelectorPopupWindow()).cy);

    // Closing the window docks the palette.
    SendMessageA(floating, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(floating));
    EXPECT_EQ(nullptr, FloatingPaletteWindow());
    EXPECT_FALSE(MenuChecked(windows_.menu, IDM_FLOATING_PALETTE));
    EXPECT_EQ(windows_.workspace, GetParent(windows_.penButton));
    EXPECT_EQ((RECT{4, 6, 60, 30}), InParent(windows_.penButton));
    EXPECT_EQ((RECT{4, 30, 60, 54}), InParent(windows_.fillButton));
    EXPECT_EQ(58, InParent(windows_.palette).top);
    EXPECT_EQ(CANVAS_LEFT, GetCanvasOrigin().x);
}

TEST_F(ToolWindowsTest, TheTransformWindowChoosesAToolByItsGrid)
{
    EXPECT_EQ(1, ToggleTransformWindow());
    HWND window = TransformWindow();
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(MenuChecked(windows_.menu, IDM_STRETCH));
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ((RECT{0, 0, 76, 112}), client);
    EXPECT_EQ(0, CurrentTransformTool());
    EXPECT_TRUE(IsToolWindow(window));
    HWND grid = GetDlgItem(window, 100);
    ASSERT_NE(nullptr, grid);

    // Cell 5: the second column of the third row.
    const LPARAM cell5 = MAKELPARAM(38 + 5, 56 + 5);
    SendMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, cell5);
    SendMessageA(grid, WM_LBUTTONUP, 0, cell5);
    EXPECT_EQ(5, CurrentTransformTool());
    // Without a frame sequence a press changes nothing.
    g_appState.frameCount = 0;
    SendMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(grid, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(5, CurrentTransformTool());
    g_appState.frameCount = 1;

    // Each cell has its tip. The real cursor stands there too: the grid's
    // capture makes the system send a move of its own from the cursor.
    POINT cell3 = {38 + 5, 28 + 5};
    ClientToScreen(grid, &cell3);
    SetCursorPos(cell3.x, cell3.y);
    SendMessageA(grid, WM_MOUSEMOVE, 0, MAKELPARAM(38 + 5, 28 + 5));
    ASSERT_TRUE(PumpUntil([] { return ToolTipWindow() != nullptr; }));
    char text[64] = "";
    GetWindowTextA(ToolTipWindow(), text, sizeof text);
    EXPECT_STREQ("Transform to a vertical rhomb", text);
    SendMessageA(grid, WM_MOUSEMOVE, 0, MAKELPARAM(200, 5));
    EXPECT_EQ(nullptr, ToolTipWindow());

    SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(nullptr, TransformWindow());
    EXPECT_FALSE(MenuChecked(windows_.menu, IDM_STRETCH));
    EXPECT_EQ(1, ToggleTransformWindow());
    EXPECT_EQ(0, CurrentTransformTool()) << "a new window starts with the first tool";
    EXPECT_EQ(0, ToggleTransformWindow());
    EXPECT_EQ(nullptr, TransformWindow());
}

TEST_F(ToolWindowsTest, ModalDialogsDisableTheToolWindowsAndNestedOnesRestore)
{
    ToggleFloatingPalette();
    ToggleTransformWindow();
    HWND palette = FloatingPaletteWindow(), transform = TransformWindow();
    std::vector<int> seen;  // palette and transform enabled, per dialog
    int depth = 0;
    DialogAutoAnswer answer([&](HWND dialog) {
        seen.push_back(IsWindowEnabled(palette) || IsWindowEnabled(transform));
        if (++depth == 1) {
            RunDialog(IDD_ROTATE, dialog, 0);
            seen.push_back(IsWindowEnabled(palette) || IsWindowEnabled(transform));
        }
        DialogAutoAnswer::PressButton(IDCANCEL)(dialog);
    });
    RunDialog(IDD_ROTATE, windows_.main, 0);
    EXPECT_EQ((std::vector<int>{0, 0, 0}), seen);
    EXPECT_TRUE(IsWindowEnabled(palette));
    EXPECT_TRUE(IsWindowEnabled(transform));

    EXPECT_EQ(1, EnableToolWindows(0));
    EXPECT_EQ(0, EnableToolWindows(0));
    EXPECT_EQ(0, EnableToolWindows(1));
    EXPECT_EQ(1, EnableToolWindows(1));
}

TEST(Samples, PenSizeBarsAndTheirGradation)
{
    LoadDrawingResources(GetModuleHandleA(nullptr));
    PixelCanvas plain(56, 24), gradated(56, 24);
    g_appState.gradatedLines = 0;
    DrawPenSizeSample(plain.Dc(), 5, 0, 0);
    g_appState.gradatedLines = 1;
    DrawPenSizeSample(gradated.Dc(), 5, 0, 0);
    g_appState.gradatedLines = 0;
    // Five rows centred on y 12: rows 10..14, from x 6 on the left.
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(BLACK, plain.At(7, 10 + k)) << k;
        EXPECT_EQ(BLACK, plain.At(41, 10 + k)) << k;
        EXPECT_EQ(k < 2 ? BLACK : k < 4 ? GREY : WHITE, gradated.At(7, 10 + k)) << k;
    }
    EXPECT_NE(BLACK, plain.At(7, 9));
    EXPECT_NE(BLACK, plain.At(7, 15));
    EXPECT_GT(plain.CountInBox(18, 0, 30, 24, BLACK), 5) << "the number stands between the bars";
    FreeDrawingResources();
}

TEST(Samples, FillSampleOfSolidFillAndOfAMissingBrush)
{
    LoadDrawingResources(GetModuleHandleA(nullptr));
    PixelCanvas solid(56, 24), missing(56, 24);
    DrawFillSample(solid.Dc(), 0, 0, 0);
    DrawFillSample(missing.Dc(), 12, 0, 0);  // no .MBX brushes: hollow
    EXPECT_EQ(BLACK, solid.At(6, 5));
    EXPECT_EQ(BLACK, solid.At(41, 18));
    EXPECT_EQ(GREY, solid.At(20, 12));
    EXPECT_EQ(0, missing.CountInBox(0, 0, 56, 24, BLACK));
    EXPECT_EQ(0, missing.CountInBox(0, 0, 56, 24, GREY));
    FreeDrawingResources();
}

}  // namespace
