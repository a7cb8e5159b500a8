// The canvas's messages: the mouse protocol a tool sees (pixels, drags,
// cancel, commit and what follows a change), the change and cancel of tools,
// the status texts, the gradated brushes, the zoom's kept point, and hostile
// parameters with and without frames.
#include "CanvasFixture.h"
#include "FrameSelection.h"
#include "OnionSkin.h"
#include "PaintResources.h"
#include "Palette.h"
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

// A tool that records what the canvas hands it.
struct Call {
    char kind;  // d down, m move, u up
    int x, y, px, py;
    WPARAM keys;
    int flag;  // erase for moves, commit for ups
    int role;
};
std::vector<Call> g_calls;
int g_capture = 1, g_changed = 1;

void Record(char kind, WPARAM keys, int flag)
{
    g_calls.push_back({kind, g_canvasView.cursorX, g_canvasView.cursorY, g_canvasView.pointX, g_canvasView.pointY,
                       keys, flag, g_canvasView.colorRole});
}

PaintTool RecordingTool()
{
    PaintTool t{};
    t.buttonDown = [](HWND, WPARAM keys) {
        Record('d', keys, 0);
        return g_capture;
    };
    t.move = [](HWND, HDC, WPARAM keys, int erase) { Record('m', keys, erase); };
    t.buttonUp = [](HWND, WPARAM keys, int commit) {
        Record('u', keys, commit);
        return g_changed;
    };
    return t;
}

LPARAM At(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

class CanvasWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        g_calls.clear();
        g_capture = g_changed = 1;
        fixture_ = std::make_unique<CanvasFixture>(COLORS_24BIT, 40, 30, 3);
        fixture_->Show(96, 96, 3);  // 12 x 12 of the 40 x 30 frame pixels
        g_appState.editScrollX = 5;
        g_appState.editScrollY = 2;
        InstallPaintTool(TOOL_LINE, RecordingTool());
        g_appState.currentTool = TOOL_LINE;
    }
    void TearDown() override
    {
        ReleaseCapture();
        fixture_.reset();
    }
    HWND Canvas() { return fixture_->Canvas(); }
    std::unique_ptr<CanvasFixture> fixture_;
};

TEST_F(CanvasWindowTest, ADragFromDownThroughNewPixelsToCommit)
{
    SendMessageA(Canvas(), WM_LBUTTONDOWN, MK_LBUTTON, At(17, 9));
    ASSERT_EQ(1u, g_calls.size());
    EXPECT_EQ(2, g_calls[0].x);
    EXPECT_EQ(1, g_calls[0].y);
    EXPECT_EQ(7, g_calls[0].px);  // + the scroll offsets
    EXPECT_EQ(3, g_calls[0].py);
    EXPECT_EQ(STROKE_PEN, g_calls[0].role);
    EXPECT_EQ(1, g_canvasView.dragging);
    EXPECT_EQ(Canvas(), GetCapture());
    EXPECT_EQ(MK_LBUTTON, g_canvasView.lastButtons);

    SendMessageA(Canvas(), WM_MOUSEMOVE, MK_LBUTTON, At(20, 15));  // the same pixel: no move
    EXPECT_EQ(1u, g_calls.size());
    SendMessageA(Canvas(), WM_MOUSEMOVE, EDIT_FORCED_MOVE, At(20, 15));  // forced
    SendMessageA(Canvas(), WM_MOUSEMOVE, MK_LBUTTON, At(-3, 30));  // left of the window: pixel 0, 3
    ASSERT_EQ(3u, g_calls.size());
    EXPECT_EQ('m', g_calls[1].kind);
    EXPECT_EQ(1, g_calls[1].flag);  // erase the previous preview
    EXPECT_EQ(0, g_calls[2].x);
    EXPECT_EQ(3, g_calls[2].y);
    EXPECT_EQ(1, g_canvasView.autoScrollTimer);  // outside the view
    SendMessageA(Canvas(), WM_MOUSEMOVE, MK_LBUTTON, At(30, 30));
    EXPECT_EQ(0, g_canvasView.autoScrollTimer);

    g_frameSelection.selected[1] = 1;
    CanvasFixture::ClearRecords();
    SendMessageA(Canvas(), WM_LBUTTONUP, 0, At(30, 30));
    ASSERT_EQ(5u, g_calls.size());
    EXPECT_EQ('u', g_calls[4].kind);
    EXPECT_EQ(1, g_calls[4].flag);  // committed
    EXPECT_EQ(0, g_canvasView.dragging);
    EXPECT_EQ(nullptr, GetCapture());
    // Frames changed: the whole film (another frame is selected), the
    // selected frames' modified bits, the status text, the menus.
    EXPECT_EQ((std::vector<int>{1}), CanvasFixture::filmRepaints);
    EXPECT_EQ((std::vector<int>{1, 0}), CanvasFixture::modifiedFrames);
    EXPECT_EQ((std::vector<int>{1, 4}), CanvasFixture::statusKinds);
    EXPECT_EQ(1, CanvasFixture::menuUpdates);
}

TEST_F(CanvasWindowTest, TheSecondButtonCancelsWithoutCommitting)
{
    SendMessageA(Canvas(), WM_LBUTTONDOWN, MK_LBUTTON, At(8, 8));
    CanvasFixture::ClearRecords();
    SendMessageA(Canvas(), WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, At(16, 8));
    ASSERT_EQ(2u, g_calls.size());
    EXPECT_EQ('u', g_calls[1].kind);
    EXPECT_EQ(0, g_calls[1].flag);
    EXPECT_EQ(0, g_canvasView.dragging);
    // The release of the first button after the cancel ends nothing.
    SendMessageA(Canvas(), WM_LBUTTONUP, 0, At(16, 8));
    EXPECT_EQ(2u, g_calls.size());
    // Esc cancels the same way.
    SendMessageA(Canvas(), WM_LBUTTONDOWN, MK_LBUTTON, At(8, 8));
    SendMessageA(Canvas(), WM_KEYDOWN, VK_ESCAPE, 1);
    ASSERT_EQ(4u, g_calls.size());
    EXPECT_EQ(0, g_calls[3].flag);
}

TEST_F(CanvasWindowTest, IgnoreNextButtonUpSkipsOneRelease)
{
    SendMessageA(Canvas(), WM_LBUTTONDOWN, MK_LBUTTON, At(8, 8));
    g_appState.ignoreNextButtonUp = 1;  // a dialog took a double click meanwhile
    SendMessageA(Canvas(), WM_LBUTTONUP, 0, At(8, 8));
    EXPECT_EQ(1, g_canvasView.dragging);
    EXPECT_EQ(0, g_appState.ignoreNextButtonUp);
    SendMessageA(Canvas(), WM_LBUTTONUP, 0, At(8, 8));
    EXPECT_EQ(0, g_canvasView.dragging);
    // A button-down clears it.
    g_appState.ignoreNextButtonUp = 1;
    g_appState.framePickMode = 0x42;
    g_capture = 0;
    SendMessageA(Canvas(), WM_LBUTTONDOWN, MK_LBUTTON, At(8, 8));
    EXPECT_EQ(0, g_appState.ignoreNextButtonUp);
    EXPECT_EQ(0, g_appState.framePickMode);
    EXPECT_EQ(0, g_canvasView.dragging);  // the tool did not capture
}

TEST_F(CanvasWindowTest, ColourRoleByButtonAndShift)
{
    g_capture = 0;
    struct Case {
        UINT message;
        WPARAM keys;
        int role;
    } cases[] = {
        {WM_LBUTTONDOWN, MK_LBUTTON, STROKE_PEN},
        {WM_RBUTTONDOWN, MK_RBUTTON, STROKE_FILL},
        {WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, STROKE_TRANSPARENT},
        {WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, STROKE_TRANSPARENT},
        {EDIT_MOUSE_DOWN, MK_RBUTTON, STROKE_FILL},
    };
    for (const Case& c : cases) {
        g_calls.clear();
        SendMessageA(Canvas(), c.message, c.keys, At(4, 4));
        ASSERT_EQ(1u, g_calls.size());
        EXPECT_EQ(c.role, g_calls[0].role) << c.message << " " << c.keys;
    }
}

TEST_F(CanvasWindowTest, AModifierKeyRepeatsTheMoveAtTheSamePixel)
{
    SendMessageA(Canvas(), WM_LBUTTONDOWN, MK_LBUTTON, At(8, 8));
    SendMessageA(Canvas(), WM_KEYDOWN, VK_SHIFT, 1);
    ASSERT_EQ(2u, g_calls.size());
    EXPECT_EQ('m', g_calls[1].kind);
    SendMessageA(Canvas(), WM_KEYDOWN, VK_SHIFT, 1 | (1 << 30));  // a repeat: nothing
    EXPECT_EQ(2u, g_calls.size());
    SendMessageA(Canvas(), WM_KEYUP, VK_SHIFT, 1);
    EXPECT_EQ(3u, g_calls.size());
}

TEST_F(CanvasWindowTest, StatusTexts)
{
    // Every tool's status text as the program words it.
    const struct {
        UINT id;
        const char* text;
    } texts[] = {
        {100, "Draw Freehand"},
        {101, "Draw Line from (%d/%d)   Length %d"},
        {102, "Draw Rectangle   width:%d  height:%d"},
        {103, "Circle centred on (%d/%d)  rh:%d  rv:%d"},
        {104, "Circle Arch: Centre at (%d/%d)  rh:%d  rv:%d"},
        {105, "Polygon Line Number %d"},
        {106, "Fill Area"},
        {107, "Spraycan"},
        {108, "Text"},
        {109, "Eyedropper"},
        {110, "Select Region   width:%d  height:%d"},
        {111, "Select Polygon   Node Nr.: %d"},
        {116, "Area Selected from (%d/%d) to (%d/%d)  width:%d  height:%d"},
        {132, "Insert Area at (%d/%d) to (%d/%d)"},
        {154, "Draw Arch %d/%d - %d/%d"},
    };
    for (const auto& t : texts) {
        char loaded[256] = "";
        LoadStringA(GetModuleHandleA(nullptr), t.id, loaded, sizeof loaded);
        EXPECT_STREQ(t.text, loaded) << t.id;
    }
    static std::string shown;
    g_paintHost.showStatusText = [](const char* text) { shown = text; };
    ShowStatusString(IDS_TOOL_STATUS_BASE + TOOL_LINE, 3, 4, 12);
    EXPECT_EQ("Draw Line from (3/4)   Length 12", shown);
    EXPECT_STREQ("Draw Line from (3/4)   Length 12", g_appState.statusText);
    // A button-down loads its tool's text and shows it when it takes no numbers.
    g_capture = 0;
    shown.clear();
    SendMessageA(Canvas(), WM_LBUTTONDOWN, MK_LBUTTON, At(4, 4));
    EXPECT_STREQ("Draw Line from (%d/%d)   Length %d", g_canvasView.statusFormat);
    EXPECT_EQ("", shown);
    g_appState.currentTool = TOOL_SPRAY;
    SendMessageA(Canvas(), WM_LBUTTONDOWN, MK_LBUTTON, At(4, 4));
    EXPECT_EQ("Spraycan", shown);
}

TEST_F(CanvasWindowTest, TheEyedropperReturnsToTheToolBefore)
{
    g_appState.currentTool = TOOL_RECTANGLE;
    g_paintHost.selectPaintTool(TOOL_EYEDROPPER);
    EXPECT_EQ(TOOL_RECTANGLE, g_appState.toolBeforePick);
    EXPECT_EQ(TOOL_EYEDROPPER, g_appState.previousTool);
    // Chosen again: back to the rectangle.
    CanvasFixture::selectedTools.clear();
    g_paintHost.selectPaintTool(TOOL_EYEDROPPER);
    EXPECT_EQ(TOOL_RECTANGLE, g_appState.currentTool);
    EXPECT_EQ(TOOL_RECTANGLE, g_appState.previousTool);
    // Esc does the same.
    g_paintHost.selectPaintTool(TOOL_EYEDROPPER);
    SendMessageA(Canvas(), EDIT_CANCEL, 0, 0);
    EXPECT_EQ(TOOL_RECTANGLE, g_appState.currentTool);
}

TEST_F(CanvasWindowTest, ToolChangesClearTheSelectionAndPointsButRegionKeepsThem)
{
    int word = AREA_SELECTED;
    g_paintHost.setSelectionState(word);
    g_selection.selectionPointCount = 3;
    g_paintHost.selectPaintTool(TOOL_SELECT_REGION);
    EXPECT_EQ(AREA_SELECTED, g_paintHost.testSelectionState(AREA_SELECTED));
    EXPECT_EQ(3, g_selection.selectionPointCount);
    g_paintHost.selectPaintTool(TOOL_SELECT_POLYGON);  // an area is selected: its outline shows
    EXPECT_EQ(1, g_selection.selectionOutlineShown);
    g_paintHost.selectPaintTool(TOOL_FILL);
    EXPECT_EQ(0, g_paintHost.testSelectionState(AREA_SELECTED));
    EXPECT_EQ(0, g_selection.selectionPointCount);
    // Placing a pasted area is not a tool the cancel returns to.
    g_paintHost.selectPaintTool(TOOL_PLACE_AREA);
    EXPECT_EQ(TOOL_FILL, g_appState.previousTool);
    CancelToolOperation();
    EXPECT_EQ(TOOL_FILL, g_appState.currentTool);
}

TEST_F(CanvasWindowTest, CancelWithAnAreaSelectedTogglesItsOutline)
{
    g_appState.currentTool = TOOL_SELECT_REGION;
    g_paintHost.setSelectionState(AREA_SELECTED);
    g_selection.selectionOutlineShown = 0;
    CancelToolOperation();  // a hidden outline is shown again
    EXPECT_EQ(1, g_selection.selectionOutlineShown);
    EXPECT_EQ(AREA_SELECTED, g_paintHost.testSelectionState(AREA_SELECTED));
    CancelToolOperation();  // a shown one is cleared
    EXPECT_EQ(0, g_paintHost.testSelectionState(AREA_SELECTED));
    EXPECT_EQ(0, g_selection.selectionOutlineShown);
}

bool KeepPoint(POINT* p)
{
    *p = {30, 20};
    return true;
}

TEST_F(CanvasWindowTest, ZoomKeepsTheToolsPointOrTheViewsCentre)
{
    // 8:1 shows 12 x 12 frame pixels from (5, 2): the centre is (11, 8).
    SetFrameEditorZoom(2, 1);  // 4:1 shows 24 x 24
    EXPECT_EQ(0, g_appState.editScrollX);   // 11 - 12, clamped
    EXPECT_EQ(0, g_appState.editScrollY);   // 8 - 12, clamped
    PaintTool line = RecordingTool();
    line.keptPoint = KeepPoint;
    InstallPaintTool(TOOL_LINE, line);
    SetFrameEditorZoom(3, 1);
    EXPECT_EQ(30 - 6, g_appState.editScrollX);
    EXPECT_EQ(20 - 6, g_appState.editScrollY);
    EXPECT_EQ(7, g_canvasView.cellSize);  // the grid is on
    SetFrameEditorZoom(3, 0);  // not asked to centre: the view stays
    EXPECT_EQ(24, g_appState.editScrollX);
}

TEST_F(CanvasWindowTest, GradatedBrushesOnlyWhileOnAndWide)
{
    COLORREF colors[4];
    GradatedColors(RGB(0, 0, 0), RGB(255, 255, 255), 4, colors);  // a 24-bit format: plain colours
    EXPECT_EQ(RGB(0, 0, 0), colors[0]);
    EXPECT_EQ(RGB(85, 85, 85), colors[1]);
    EXPECT_EQ(RGB(170, 170, 170), colors[2]);
    EXPECT_EQ(RGB(255, 255, 255), colors[3]);
    g_appState.gradatedLines = 1;
    g_appState.penWidth = 4;
    SendMessageA(Canvas(), EDIT_GRADATION_CHANGED, 0, 0);
    EXPECT_EQ(4, g_canvasView.gradatedBrushCount);
    g_appState.penWidth = 30;  // never more than 12
    SendMessageA(Canvas(), EDIT_PEN_SIZE_CHANGED, 30, 0);
    EXPECT_EQ(12, g_canvasView.gradatedBrushCount);
    g_appState.penWidth = 1;
    g_canvasView.softUndoOpen = 1;
    SendMessageA(Canvas(), EDIT_COLORS_CHANGED, 0, 0);
    EXPECT_EQ(0, g_canvasView.gradatedBrushCount);
    EXPECT_EQ(0, g_canvasView.softUndoOpen);
    g_appState.gradatedLines = 0;
}

TEST_F(CanvasWindowTest, UnknownToolsAreIgnored)
{
    g_appState.previousTool = TOOL_LINE;
    for (WPARAM tool : std::initializer_list<WPARAM>{12, 20, 31, 33, 1000, static_cast<WPARAM>(-1)}) {
        SendMessageA(Canvas(), EDIT_SELECT_TOOL, tool, MAKELPARAM(TOOL_LINE, 0));
        EXPECT_EQ(TOOL_LINE, g_appState.previousTool) << tool;
    }
    // An unknown previous tool is only invalidated away.
    SendMessageA(Canvas(), EDIT_SELECT_TOOL, TOOL_FILL, MAKELPARAM(77, 1));
    EXPECT_EQ(TOOL_FILL, g_appState.previousTool);
}

// Every message with parameters nobody should send, with frames and without.
void SendEverything(HWND canvas)
{
    const LPARAM points[] = {0, At(-32768, -32768), At(32767, 32767), static_cast<LPARAM>(0xFFFFFFFFu)};
    const WPARAM words[] = {0,   1,   VK_RETURN, VK_ESCAPE, VK_SHIFT, VK_LEFT, VK_DOWN, 12, 33, 100, 101,
                            0xFF00, 0xFFFF, static_cast<WPARAM>(-1), 0xFFFFFFFFu};
    const UINT messages[] = {EDIT_RELAYOUT,     EDIT_SET_VIEW_SIZE, EDIT_COLORS_CHANGED, EDIT_GRADATION_CHANGED,
                             EDIT_PEN_SIZE_CHANGED, EDIT_MOUSE_DOWN, EDIT_SELECT_TOOL,    EDIT_CANCEL,
                             WM_MOUSEMOVE,      WM_LBUTTONDOWN,     WM_RBUTTONDOWN,      WM_LBUTTONUP,
                             WM_RBUTTONUP,      WM_HSCROLL,         WM_VSCROLL,          WM_MOUSEWHEEL,
                             WM_TIMER,          WM_KEYDOWN,         WM_KEYUP,            WM_ERASEBKGND,
                             WM_SETCURSOR,      WM_NCPAINT};
    HDC dc = GetDC(canvas);
    for (UINT message : messages)
        for (WPARAM w : words)
            for (LPARAM l : points) {
                const WPARAM wParam = message == WM_ERASEBKGND ? reinterpret_cast<WPARAM>(dc) : w;
                SendMessageA(canvas, message, wParam, l);
            }
    ReleaseDC(canvas, dc);
    SendMessageA(canvas, WM_LBUTTONUP, 0, 0);
    ReleaseCapture();
}

TEST_F(CanvasWindowTest, HostileParametersWithFrames)
{
    for (int tool : {TOOL_FREEHAND, TOOL_LINE, TOOL_TEXT, TOOL_PLACE_AREA}) {
        g_appState.currentTool = tool;
        SendEverything(Canvas());
    }
    EXPECT_TRUE(IsWindow(Canvas()));
    EXPECT_LE(g_canvasView.bufferWidth, 8 * 40);
    EXPECT_LE(g_canvasView.bufferHeight, 8 * 30);
}

TEST(CanvasWithoutFrames, EveryMessageIsSafe)
{
    CanvasFixture f(COLORS_256, 8, 8, 0);
    g_appState.frameWidth = g_appState.frameHeight = 0;
    for (int tool : {TOOL_FREEHAND, TOOL_EYEDROPPER, TOOL_PLACE_AREA}) {
        g_appState.currentTool = tool;
        SendEverything(f.Canvas());
    }
    SetOnionSkin(1);
    SetFrameEditorZoom(3, 1);
    CenterFrameEditorOn(100, 100);
    SendMessageA(f.Canvas(), EDIT_SET_VIEW_SIZE, 0, static_cast<LPARAM>(0xFFFFFFFFu));
    EXPECT_EQ(nullptr, g_canvasView.viewBitmap);  // nothing to show, nothing made
    f.Render();
    EXPECT_EQ(-1, NextSelectedFrame(-1));
    EXPECT_TRUE(IsWindow(f.Canvas()));
}

}  // namespace
