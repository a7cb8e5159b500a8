// The editor's two tool bars as the main window builds them: where every
// button stands, the strings it shows, the states it starts with, and the
// operations that enable, check and choose.
#include "AppState.h"
#include "EditorToolBars.h"
#include "RecordingWindows.h"
#include "Workspace.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <string>

namespace {

class EditorToolBarsTest : public testing::Test {
protected:
    void SetUp() override
    {
        g_appState.currentTool = 0;
        BuildToolBars(windows_.main, GetModuleHandleA(nullptr));
        windows_.Clear();
    }
    void TearDown() override
    {
        DestroyWindow(MainToolBar()->barWindow);
        DestroyWindow(DrawToolBar()->barWindow);
    }
    static ToolButton& Main(UINT id) { return *FindToolButton(MainToolBar(), id); }
    static ToolButton& Draw(UINT id) { return *FindToolButton(DrawToolBar(), id); }
    RecordingWindows windows_;
};

struct ButtonRow {
    int x;
    UINT command;
    const char* status;
    const char* tip;
};

// The tables of the two bars, with the texts their strings hold.
const ButtonRow MAIN_ROWS[] = {
    {5, 101, "Create a new frame", "new file"},
    {35, 102, "Open a single image, a frame sequence or an animation", "open a file"},
    {65, 103, "Add frames to the current frame sequence", "add frames to sequence"},
    {95, 112, "Save changes...", "save changes"},
    {125, 110, "Print frames", "print"},
    {170, 203, "Cuts current selection and puts it to the clipboard", "cut"},
    {200, 204, "Copies current selection to the clipboard", "copy"},
    {230, 205, "Pastes clipboard contents", "paste"},
    {275, 201, "Undo last action", "undo changes"},
    {305, 202, "Redo undo", "redo changes"},
    {350, 354, "Change to previous frame", "previous frame"},
    {380, 355, "Change to next frame", "next frame"},
    {425, 339, "Toggel grid lines on/off", "toggle grid"},
    {455, 338, "Toggle onion skinning on/off", "toggle onion skinning"},
    {485, 327, "Stretch film reel images to fit film reel size", "toogle film reel zoom"},
    {530, 708, "Start animation", "run animation"},
};
const ButtonRow DRAW_ROWS[] = {
    {5, 350, "Original image size", "original size"},
    {35, 351, "Magnify by factor 2", "magnify by 2"},
    {65, 352, "Magnify by factor 4", "magnify by 4"},
    {95, 353, "Magnify by factor 8", "magnify by 8"},
    {140, 356, "Freehand", "freehand"},
    {170, 357, "Draw a Line", "line"},
    {200, 358, "Draw a Square (use CTRL) or Rectangle", "rectangle"},
    {230, 359, "Draw a Circle (use CTRL) or Ellipse", "ellipse"},
    {260, 360, "Draw an Arc", "arc"},
    {290, 361, "Draw a Polygon", "polygon"},
    {320, 362, "Fill an area with the current color", "fill"},
    {350, 363, "Use Spray", "spray"},
    {380, 364, "Draw Text", "text"},
    {410, 365, "Pick the color of the current pixel", "pick color"},
    {455, 366, "Select a rectangular area", "select rectangle"},
    {485, 367, "Select a polygon", "select polygon"},
    {530, 512, "Sheer and stretch selected area", "sheer and stretch"},
};

void ExpectRows(ToolBarControl* bar, const ButtonRow* rows, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const ButtonRow& row = rows[i];
        SCOPED_TRACE(row.command);
        const ToolButton* button = FindToolButton(bar, row.command);
        ASSERT_NE(nullptr, button);
        EXPECT_EQ(row.x, button->x);
        EXPECT_STREQ(row.status, button->statusText);
        EXPECT_STREQ(row.tip, button->tipText);
        RECT r;
        GetWindowRect(button->window, &r);
        MapWindowPoints(nullptr, bar->barWindow, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(row.x, r.left);
        EXPECT_EQ(3, r.top);
        // Every face is in the program, 22 x 22 pixels.
        for (int id : {button->enabledFaceId, button->disabledFaceId}) {
            HBITMAP face = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
            BITMAP info{};
            ASSERT_NE(nullptr, face) << id;
            GetObjectA(face, sizeof info, &info);
            EXPECT_EQ(22, info.bmWidth);
            EXPECT_EQ(22, info.bmHeight);
            DeleteObject(face);
        }
    }
}

int BarTop(ToolBarControl* bar, HWND parent)
{
    RECT r;
    GetWindowRect(bar->barWindow, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r.top;
}

TEST_F(EditorToolBarsTest, ButtonsStandWhereTheTablesPutThemWithTheirTexts)
{
    EXPECT_EQ(1, BarTop(MainToolBar(), windows_.main));
    EXPECT_EQ(33, BarTop(DrawToolBar(), windows_.main));
    EXPECT_EQ(66, ToolBarAreaHeight());
    EXPECT_EQ(21, MainToolBar()->buttonCount);
    EXPECT_EQ(20, DrawToolBar()->buttonCount);
    ExpectRows(MainToolBar(), MAIN_ROWS, std::size(MAIN_ROWS));
    ExpectRows(DrawToolBar(), DRAW_ROWS, std::size(DRAW_ROWS));
    EXPECT_EQ(TOOLBUTTON_TOGGLE, Main(IDM_SHOW_GRID).kind);
    EXPECT_EQ(TOOLBUTTON_RADIO, Draw(IDM_ZOOM_1).kind);
    EXPECT_EQ(1, Draw(IDM_ZOOM_1).group);
    EXPECT_EQ(2, Draw(IDM_TOOL_SELECT_POLYGON).group);
    EXPECT_EQ(TOOLBUTTON_PUSH, Draw(IDM_STRETCH).kind);
}

TEST_F(EditorToolBarsTest, OnlyNewAndOpenStartEnabled)
{
    for (const ButtonRow& row : MAIN_ROWS)
        EXPECT_EQ(row.command == IDM_NEW || row.command == IDM_OPEN ? 1 : 0, Main(row.command).enabled) << row.command;
    for (const ButtonRow& row : DRAW_ROWS) EXPECT_EQ(0, Draw(row.command).enabled) << row.command;
    for (UINT id : {IDM_SHOW_GRID, IDM_ZOOM_FILM}) EXPECT_EQ(1, Main(id).checked) << id;
    EXPECT_EQ(0, Main(IDM_ONION_SKINNING).checked);
    EXPECT_EQ(1, Draw(IDM_ZOOM_8).checked);
    EXPECT_EQ(1, Draw(IDM_TOOL_FREEHAND).checked);
}

TEST_F(EditorToolBarsTest, DocumentButtonsFollowTheDocumentButRunOnlyGoesOff)
{
    EnableDocumentToolButtons(0);
    for (UINT id : {IDM_ADD_FRAMES, IDM_PRINT, IDM_PREVIOUS_FRAME, IDM_NEXT_FRAME, IDM_SHOW_GRID, IDM_ZOOM_FILM})
        EXPECT_EQ(1, Main(id).enabled) << id;
    for (UINT id = IDM_ZOOM_1; id <= IDM_TOOL_SELECT_POLYGON; ++id) {
        if (id != IDM_PREVIOUS_FRAME && id != IDM_NEXT_FRAME) {
            EXPECT_EQ(1, Draw(id).enabled) << id;
        }
    }
    EXPECT_EQ(0, Main(IDM_RUN).enabled) << "enabled only by its own rule";
    EXPECT_EQ(0, Main(IDM_SAVE).enabled);
    EXPECT_EQ(0, Draw(IDM_STRETCH).enabled);

    EnableMainToolButton(IDM_RUN, 0);
    EnableDocumentToolButtons(0);
    EXPECT_EQ(1, Main(IDM_RUN).enabled) << "left as it was";
    EnableDocumentToolButtons(1);
    EXPECT_EQ(0, Main(IDM_RUN).enabled);
    EXPECT_EQ(0, Main(IDM_ADD_FRAMES).enabled);
    EXPECT_EQ(0, Draw(IDM_ZOOM_1).enabled);
    EXPECT_EQ(1, Main(IDM_NEW).enabled);
}

TEST_F(EditorToolBarsTest, SelectPaintToolChecksItsButtonAndTellsTheCanvas)
{
    EXPECT_EQ(0, SelectPaintTool(3));
    EXPECT_EQ(3, g_appState.currentTool);
    EXPECT_EQ(1, Draw(IDM_TOOL_FREEHAND + 3).checked);
    EXPECT_EQ(0, Draw(IDM_TOOL_FREEHAND).checked);
    EXPECT_EQ(3, SelectPaintTool(3));  // chosen again
    // Placing a pasted area: no paint-tool button stands for it.
    EXPECT_EQ(3, SelectPaintTool(32));
    EXPECT_EQ(1, Draw(IDM_TOOL_FREEHAND + 3).checked);
    EXPECT_EQ(1, Draw(IDM_ZOOM_8).checked);

    const auto sent = windows_.Of(windows_.canvas, EDIT_SELECT_TOOL);
    ASSERT_EQ(3u, sent.size());
    EXPECT_EQ(3u, sent[0].wParam);
    EXPECT_EQ(MAKELPARAM(0, 0), sent[0].lParam);
    EXPECT_EQ(MAKELPARAM(3, 1), sent[1].lParam);
    EXPECT_EQ(32u, sent[2].wParam);
    EXPECT_EQ(MAKELPARAM(3, 0), sent[2].lParam);
    SelectPaintTool(0);
}

TEST_F(EditorToolBarsTest, ZoomButtonsAreARadioGroupOfTheirOwn)
{
    SelectPaintTool(5);
    CheckZoomButton(2);
    for (UINT id = IDM_ZOOM_1; id <= IDM_ZOOM_8; ++id) EXPECT_EQ(id == IDM_ZOOM_1 + 2 ? 1 : 0, Draw(id).checked) << id;
    EXPECT_EQ(1, Draw(IDM_TOOL_FREEHAND + 5).checked);
    for (int index : {-1, 4, 99}) CheckZoomButton(index);
    EXPECT_EQ(1, Draw(IDM_ZOOM_1 + 2).checked);
    SelectPaintTool(0);
}

TEST_F(EditorToolBarsTest, StatusTextGoesToTheTextPane)
{
    ShowStatusText("hello");
    EXPECT_EQ("hello", windows_.StatusText());
    const auto sent = windows_.Of(windows_.status, STATUSBAR_SET_PANE);
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ(4u, sent[0].wParam);
    ShowStatusText(nullptr);
    EXPECT_EQ("<null>", windows_.StatusText());
}

}  // namespace
