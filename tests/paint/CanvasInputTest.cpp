// The canvas with the real mouse pointer: the keyboard pixel cursor, the
// auto-scroll of a drag outside the view, and the cursor shown over the
// canvas. The canvas's window is shown, so this program holds the screen.
#include "CanvasFixture.h"
#include "Palette.h"
#include <gtest/gtest.h>
#include <memory>

namespace {

class CanvasInputTest : public testing::Test {
protected:
    void SetUp() override
    {
        fixture_ = std::make_unique<CanvasFixture>(COLORS_24BIT, 60, 50, 1);
        SetWindowPos(fixture_->Parent(), HWND_TOPMOST, 300, 100, 600, 500, SWP_SHOWWINDOW);  // room on every side
        fixture_->Show(128, 128, 3);  // 16 x 16 of the 60 x 50 frame pixels
        UpdateWindow(fixture_->Parent());
        Pump();
    }
    void TearDown() override
    {
        ReleaseCapture();
        fixture_.reset();
    }
    static void Pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    HWND Canvas() { return fixture_->Canvas(); }
    void PutCursor(int x, int y)
    {
        POINT p = {x, y};
        ClientToScreen(Canvas(), &p);
        SetCursorPos(p.x, p.y);
    }
    POINT Cursor()
    {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(Canvas(), &p);
        return p;
    }
    void Key(WPARAM key) { SendMessageA(Canvas(), WM_KEYDOWN, key, 1); }
    std::unique_ptr<CanvasFixture> fixture_;
};

TEST_F(CanvasInputTest, ArrowsMoveThePointerByOneEnlargedPixelToItsMiddle)
{
    PutCursor(21, 30);
    Key(VK_RIGHT);
    EXPECT_EQ(28, Cursor().x);  // 21 + 8 = 29, in the pixel 24..31: its middle 28
    EXPECT_EQ(28, Cursor().y);
    Key(VK_DOWN);
    EXPECT_EQ(36, Cursor().y);
    Key(VK_LEFT);
    Key(VK_LEFT);
    EXPECT_EQ(12, Cursor().x);
    EXPECT_EQ(0, g_appState.editScrollX);
    // At the left edge the view scrolls by one frame pixel.
    g_appState.editScrollX = 5;
    PutCursor(3, 30);
    Key(VK_LEFT);
    EXPECT_EQ(4, g_appState.editScrollX);
    EXPECT_EQ(4, Cursor().x);
    // At the right edge likewise.
    PutCursor(125, 30);
    Key(VK_RIGHT);
    EXPECT_EQ(5, g_appState.editScrollX);
    EXPECT_EQ(124, Cursor().x);
}

TEST_F(CanvasInputTest, KeysAreIgnoredWhileThePointerIsElsewhere)
{
    PutCursor(-40, 30);  // beside the canvas, over its parent
    const POINT before = Cursor();
    Key(VK_RIGHT);
    EXPECT_EQ(before.x, Cursor().x);
}

TEST_F(CanvasInputTest, AutoScrollDuringADragOutsideTheView)
{
    PaintTool tool{};
    tool.buttonDown = [](HWND, WPARAM) { return 1; };
    InstallPaintTool(TOOL_LINE, tool);
    g_appState.currentTool = TOOL_LINE;
    PutCursor(20, 20);
    SendMessageA(Canvas(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    ASSERT_EQ(1, g_canvasView.dragging);
    PutCursor(128 + 40, 20);  // 40 pixels right of the view
    SendMessageA(Canvas(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(128 + 40, 20));
    EXPECT_EQ(1, g_canvasView.autoScrollTimer);
    SendMessageA(Canvas(), WM_TIMER, AUTO_SCROLL_TIMER, 0);
    EXPECT_EQ(3, g_appState.editScrollX);
    SendMessageA(Canvas(), WM_TIMER, AUTO_SCROLL_TIMER, 0);
    EXPECT_EQ(6, g_appState.editScrollX);
    PutCursor(-200, 20);  // 200 pixels left of it
    SendMessageA(Canvas(), WM_TIMER, AUTO_SCROLL_TIMER, 0);
    EXPECT_EQ(0, g_appState.editScrollX);  // 12, stopped at 0
    // Nothing more to scroll: the timer stops.
    SendMessageA(Canvas(), WM_TIMER, AUTO_SCROLL_TIMER, 0);
    EXPECT_EQ(0, g_canvasView.autoScrollTimer);
    SendMessageA(Canvas(), WM_LBUTTONUP, 0, MAKELPARAM(0, 0));
}

TEST_F(CanvasInputTest, TheToolCursorShowsOverTheCanvas)
{
    PutCursor(30, 30);
    SetCanvasCursor(g_canvasView.moveCursor);
    ASSERT_NE(nullptr, g_canvasView.moveCursor);
    EXPECT_EQ(g_canvasView.moveCursor, GetCursor());
    EXPECT_EQ(TRUE, SendMessageA(Canvas(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Canvas()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    SetCanvasCursor(nullptr);
    EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), GetCursor());
    // Placing a pasted area shows the move cursor as the mouse moves.
    g_appState.currentTool = TOOL_PLACE_AREA;
    SendMessageA(Canvas(), WM_MOUSEMOVE, 0, MAKELPARAM(40, 40));
    EXPECT_EQ(g_canvasView.moveCursor, g_canvasView.toolCursor);
}

}  // namespace
