// The area selection and its transforms through the canvas's messages, on
// 24-bit frames: the rectangle (corners, clamping, Ctrl square, a click that
// clears), the lasso node by node up to 128 nodes, handles by zoom, moving
// and copying the area with the mouse (through the clipboard commands of a
// stand-in main window), and the transform kinds painted into the selected
// frames as one undo group each, from the frames as the transform found them.
#include "AreaSelection.h"
#include "CanvasFixture.h"
#include "FrameOperations.h"
#include "FrameSelection.h"
#include "Palette.h"
#include "TransformGeometry.h"
#include "Undo.h"
#include <gtest/gtest.h>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int W = 60, H = 50;

void Pump()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// A distinct colour for every pixel of the frame.
COLORREF Pattern(int x, int y) { return RGB(x * 4, y * 5, (x * 7 + y * 3) & 0xFF); }

// The main window's clipboard commands as the editor runs them.
LRESULT CALLBACK CommandWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND) {
        const UINT id = LOWORD(wParam);
        if (id == 205) return PasteAreaCommand();
        return DoEditCommand(id, 0);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class SelectionTest : public testing::Test {
protected:
    void SetUp() override
    {
        fixture_ = std::make_unique<CanvasFixture>(COLORS_24BIT, W, H, 2);
        fixture_->Show(W, H, 0);
        g_areaSelection = AreaSelectionState{};
        g_appState.moveKeys = 14;
        g_appState.optionFlags = 0;
        ResizeUndoSteps(W, H);
        fixture_->Paint(0, Pattern);
        fixture_->Paint(1, Pattern);
        WNDCLASSA cls{};
        cls.lpfnWndProc = CommandWindowProc;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = "SelectionTestMain";
        RegisterClassA(&cls);
        g_appState.mainWindow = CreateWindowExA(0, "SelectionTestMain", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                                GetModuleHandleA(nullptr), nullptr);
    }
    void TearDown() override
    {
        ReleaseCapture();
        EndSelectionTransform();
        FreePasteBitmaps();
        g_areaSelection = AreaSelectionState{};
        ClearUndo();
        DestroyWindow(g_appState.mainWindow);
        g_appState.mainWindow = nullptr;
        fixture_.reset();
    }
    HWND Canvas() const { return fixture_->Canvas(); }
    void Use(int tool)
    {
        if (g_appState.currentTool != tool) StoreAndSendPaintTool(tool);
    }
    static LPARAM At(int x, int y)
    {
        const int zoom = g_appState.zoomShift;
        return MAKELPARAM(static_cast<WORD>((x - g_appState.editScrollX) << zoom),
                          static_cast<WORD>((y - g_appState.editScrollY) << zoom));
    }
    void Drag(POINT a, POINT b, WPARAM keys = 0)
    {
        const bool right = (keys & MK_RBUTTON) != 0;
        const WPARAM held = keys | (right ? 0 : MK_LBUTTON);
        SendMessageA(Canvas(), right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, held, At(a.x, a.y));
        SendMessageA(Canvas(), WM_MOUSEMOVE, held, At((a.x + b.x) / 2, (a.y + b.y) / 2));
        SendMessageA(Canvas(), WM_MOUSEMOVE, held, At(b.x, b.y));
        SendMessageA(Canvas(), right ? WM_RBUTTONUP : WM_LBUTTONUP, keys & ~(MK_LBUTTON | MK_RBUTTON), At(b.x, b.y));
        Pump();
    }
    void Click(int x, int y) { Drag({x, y}, {x, y}); }
    static bool AreaBit()
    {
        return g_paintHost.testSelectionState && g_paintHost.testSelectionState(AREA_SELECTED) != 0;
    }
    static RECT Selection()
    {
        RECT r;
        GetSelectionRect(&r, 0);
        return r;
    }
    static COLORREF Pixel(int frame, int x, int y)
    {
        GdiFlush();
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, g_appState.frameBitmaps[frame]);
        const COLORREF c = GetPixel(dc, x, y) & 0xFFFFFF;
        SelectObject(dc, old);
        DeleteDC(dc);
        return c;
    }
    static std::vector<COLORREF> Frame(int frame)
    {
        std::vector<COLORREF> out;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) out.push_back(Pixel(frame, x, y));
        return out;
    }
    void SelectRect(POINT a, POINT b)
    {
        Use(TOOL_SELECT_REGION);
        Drag(a, b);
    }
    std::unique_ptr<CanvasFixture> fixture_;
};

bool Equal(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Text(const RECT& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

TEST_F(SelectionTest, RectangleCornersClampingSquareAndTheClickThatClears)
{
    SelectRect({10, 8}, {2, 3});
    EXPECT_TRUE(AreaBit());
    EXPECT_TRUE(Equal(Selection(), RECT{2, 3, 10, 8})) << Text(Selection());
    EXPECT_EQ(g_selection.selectionOutlineShown, 1);
    EXPECT_STREQ(g_appState.statusText, "Area Selected from (2/3) to (10/8)  width:9  height:6");
    RECT size;
    EXPECT_EQ(GetSelectionRect(&size, SELECTION_RECT_SIZE), AREA_SELECTED);
    EXPECT_TRUE(Equal(size, RECT{2, 3, 9, 6})) << Text(size);
    EXPECT_FALSE(HasSelection());  // a rectangle, no lasso

    // Corner 3 (x2, y2) grabbed and dragged beyond the frame: clamped.
    Drag({2, 3}, {200, 300});
    EXPECT_TRUE(Equal(Selection(), RECT{10, 8, W - 1, H - 1})) << Text(Selection());

    // Ctrl: a square of side (|dx| + |dy|) / 2 from the fixed corner.
    Drag({30, 30}, {40, 34}, MK_CONTROL);
    EXPECT_TRUE(Equal(Selection(), RECT{30, 30, 37, 37})) << Text(Selection());
    Drag({30, 30}, {20, 26}, MK_CONTROL);
    EXPECT_TRUE(Equal(Selection(), RECT{23, 23, 30, 30})) << Text(Selection());

    // A click (a rectangle of one pixel) away from the handles clears it.
    Click(5, 45);
    EXPECT_FALSE(AreaBit());
    EXPECT_EQ(g_selection.selectionOutlineShown, 0);

    // Hostile corners are limited to the frame.
    SetSelectionRect(-50, -7, 100000, 400, 0);
    EXPECT_TRUE(Equal(Selection(), RECT{0, 0, W - 1, H - 1})) << Text(Selection());
    SetSelectionRect(5, 6, 0, -3, SELECTION_SET_SIZE);
    EXPECT_TRUE(Equal(Selection(), RECT{0, 0, 5, 6})) << Text(Selection());
}

TEST_F(SelectionTest, LassoOfOneHundredAndTwentyEightNodesThenNode127Moves)
{
    Use(TOOL_SELECT_POLYGON);
    Click(3, 4);
    EXPECT_EQ(g_selection.selectionPointCount, 1);  // the second node equalled the first
    EXPECT_FALSE(AreaBit());                        // a single point selects nothing
    for (int i = 1; i < 128; ++i) Click(i % W, 4 + i / W * 10);
    ASSERT_EQ(g_selection.selectionPointCount, 128);
    EXPECT_TRUE(AreaBit());
    EXPECT_TRUE(HasSelection());
    EXPECT_TRUE(Equal(Selection(), RECT{0, 4, W - 1, 24})) << Text(Selection());
    Click(50, 45);
    EXPECT_EQ(g_selection.selectionPointCount, 128);
    EXPECT_EQ(g_selection.selectionPoints[127].x, 50);
    EXPECT_EQ(g_selection.selectionPoints[127].y, 45);
    EXPECT_EQ(g_selection.selectionPoints[126].x, 126 % W);

    // Esc finishes the lasso (handles shown); a node is then grabbed and moved.
    SendMessageA(Canvas(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(g_selection.selectionOutlineShown, 1);
    Drag({50, 45}, {55, 47});
    EXPECT_EQ(g_selection.selectionPointCount, 128);
    EXPECT_EQ(g_selection.selectionPoints[127].x, 55);
    EXPECT_EQ(g_selection.selectionPoints[127].y, 47);
    // Esc on a finished lasso clears it.
    SendMessageA(Canvas(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(AreaBit());
}

TEST_F(SelectionTest, HandlesByZoom)
{
    const int sizes[4] = {5, 7, 9, 11}, offsets[4] = {2, 2, 3, 2};
    for (int zoom = 0; zoom < 4; ++zoom) {
        g_appState.zoomShift = zoom;
        const RECT r = SelectionHandleRect({5, 6});
        EXPECT_EQ(r.right - r.left, sizes[zoom]) << zoom;
        EXPECT_EQ(r.bottom - r.top, sizes[zoom]) << zoom;
        EXPECT_EQ(r.left, (5 << zoom) - offsets[zoom]) << zoom;
        EXPECT_EQ(r.top, (6 << zoom) - offsets[zoom]) << zoom;
        // Hit within 3 - zoom frame pixels.
        EXPECT_TRUE(HandleHit({5, 6}, {5 + 3 - zoom, 6 - (3 - zoom)})) << zoom;
        EXPECT_FALSE(HandleHit({5, 6}, {5 + 4 - zoom, 6})) << zoom;
    }
    g_appState.zoomShift = 0;
}

TEST_F(SelectionTest, MovingTheAreaCutsAndCtrlCopies)
{
    const COLORREF transparent = PaletteIndexToRgb(GetToolColor(ROLE_TRANSPARENT)) & 0xFFFFFF;
    SelectRect({2, 3}, {9, 8});
    // The right button inside the area (MoveKeys 14) moves it by (10, 5).
    Drag({4, 4}, {14, 9}, MK_RBUTTON);
    EXPECT_EQ(g_appState.currentTool, TOOL_SELECT_REGION);
    EXPECT_EQ(Pixel(0, 12, 8), Pattern(2, 3));
    EXPECT_EQ(Pixel(0, 19, 13), Pattern(9, 8));
    EXPECT_EQ(Pixel(0, 2, 3), transparent);  // the source was cut
    EXPECT_EQ(Pixel(0, 9, 8), transparent);
    EXPECT_TRUE(AreaBit());
    EXPECT_TRUE(Equal(Selection(), RECT{12, 8, 19, 13})) << Text(Selection());

    // Ctrl copies: the source stays.
    Drag({13, 9}, {33, 29}, MK_RBUTTON | MK_CONTROL);
    EXPECT_EQ(Pixel(0, 32, 28), Pattern(2, 3));
    EXPECT_EQ(Pixel(0, 12, 8), Pattern(2, 3));
    EXPECT_TRUE(Equal(Selection(), RECT{32, 28, 39, 33})) << Text(Selection());
}

// ---- transforms ------------------------------------------------------------------------

class TransformTest : public SelectionTest {
protected:
    void Begin(RECT area, int kind)
    {
        SelectRect({area.left, area.top}, {area.right, area.bottom});
        BeginSelectionTransform();
        SetTransformKind(kind);
    }
};

TEST_F(TransformTest, StretchDoublesTheAreaIntoTheSelectedFrames)
{
    g_appState.currentFrame = 1;
    SetFrameSelection(SELECTION_TOGGLE, 0, 0);
    Begin({10, 10, 19, 19}, TRANSFORM_STRETCH);
    Drag({19, 19}, {29, 29});
    EXPECT_TRUE(Equal(Selection(), RECT{10, 10, 29, 29})) << Text(Selection());
    for (int frame : {0, 1})
        for (int k = 0; k < 10; ++k) {
            EXPECT_EQ(Pixel(frame, 10 + 2 * k, 10 + 2 * k), Pattern(10 + k, 10 + k)) << frame << " " << k;
            EXPECT_EQ(Pixel(frame, 11 + 2 * k, 11 + 2 * k), Pattern(10 + k, 10 + k)) << frame << " " << k;
        }
    EXPECT_EQ(Pixel(0, 30, 30), Pattern(30, 30));
    // One undo group over both frames.
    ASSERT_EQ(UndoRedo(1), 2);
    EXPECT_EQ(Frame(0), Frame(1));
    EXPECT_EQ(Pixel(0, 25, 25), Pattern(25, 25));
    EXPECT_EQ(Pixel(0, 11, 11), Pattern(11, 11));
}

TEST_F(TransformTest, ShearBothSidesMovesTheOppositeEdgeTheOtherWay)
{
    Begin({20, 10, 29, 19}, TRANSFORM_SHEAR_HORIZONTAL);
    Drag({29, 19}, {39, 19});  // corner 2 by 10
    const AreaSelectionState& s = g_areaSelection;
    EXPECT_EQ(s.quad[2].x, 39);
    EXPECT_EQ(s.quad[3].x, 30);
    EXPECT_EQ(s.quad[0].x, 10);
    EXPECT_EQ(s.quad[1].x, 19);
    // Each row is the source row placed along the left edge from (10, 10) to (30, 19).
    const COLORREF transparent = PaletteIndexToRgb(GetToolColor(ROLE_TRANSPARENT)) & 0xFFFFFF;
    EXPECT_EQ(Pixel(0, 10, 10), Pattern(20, 10));
    EXPECT_EQ(Pixel(0, 19, 10), Pattern(29, 10));
    EXPECT_EQ(Pixel(0, 30, 19), Pattern(20, 19));
    EXPECT_EQ(Pixel(0, 39, 19), Pattern(29, 19));
    EXPECT_EQ(Pixel(0, 20, 10), transparent);  // moved away: emptied
    // Shift: one side only.
    SetTransformKind(TRANSFORM_SHEAR_VERTICAL);
    EXPECT_EQ(s.undoRecorded, 0);
}

TEST_F(TransformTest, KindsThreeToFiveAndRepeatedDragsEqualOne)
{
    // Shear vertically with Shift (one side): the right edge by 6 down.
    Begin({20, 10, 29, 19}, TRANSFORM_SHEAR_VERTICAL);
    Drag({29, 10}, {29, 16}, MK_SHIFT);
    EXPECT_EQ(g_areaSelection.quad[1].y, 16);
    EXPECT_EQ(g_areaSelection.quad[0].y, 10);
    EXPECT_EQ(Pixel(0, 29, 16), Pattern(29, 10));
    EXPECT_EQ(Pixel(0, 20, 10), Pattern(20, 10));
    EndSelectionTransform();
    ClearUndo();
    fixture_->Paint(0, Pattern);

    // Trapezium horizontally, one side: the top row shrinks to 4 pixels.
    Begin({20, 10, 29, 19}, TRANSFORM_TRAPEZIUM_HORIZONTAL);
    Drag({20, 10}, {23, 10}, MK_SHIFT);
    EXPECT_EQ(g_areaSelection.quad[0].x, 23);
    EXPECT_EQ(g_areaSelection.quad[1].x, 26);
    EXPECT_EQ(Pixel(0, 23, 10), Pattern(20, 10));
    EXPECT_EQ(Pixel(0, 26, 10), Pattern(29, 10));
    EXPECT_EQ(Pixel(0, 20, 19), Pattern(20, 19));  // the bottom row is whole
    // Past the middle: every row keeps a pixel (the handle stops at it).
    Drag({23, 10}, {50, 10}, MK_SHIFT);
    EXPECT_LE(g_areaSelection.quad[0].x, g_areaSelection.quad[1].x);
    EXPECT_EQ(g_areaSelection.quad[0].x, 24);
    EndSelectionTransform();
    ClearUndo();
    fixture_->Paint(0, Pattern);

    // Trapezium vertically, both sides: the right column grows by 2 at each end.
    Begin({20, 10, 29, 19}, TRANSFORM_TRAPEZIUM_VERTICAL);
    Drag({29, 10}, {29, 8});
    EXPECT_EQ(g_areaSelection.quad[1].y, 8);
    EXPECT_EQ(g_areaSelection.quad[2].y, 21);
    EXPECT_EQ(g_areaSelection.quad[0].y, 12);
    EXPECT_EQ(g_areaSelection.quad[3].y, 17);
    EndSelectionTransform();
    ClearUndo();
    fixture_->Paint(0, Pattern);

    // Two drags of 4 and 6 give what one drag of 10 gives.
    Begin({20, 10, 29, 19}, TRANSFORM_SHEAR_HORIZONTAL);
    Drag({29, 19}, {33, 19});
    Drag({33, 19}, {39, 19});
    const std::vector<COLORREF> twice = Frame(0);
    ASSERT_EQ(UndoRedo(1), 1);
    EndSelectionTransform();
    ClearUndo();
    Begin({20, 10, 29, 19}, TRANSFORM_SHEAR_HORIZONTAL);
    Drag({29, 19}, {39, 19});
    EXPECT_EQ(Frame(0), twice);
}

TEST_F(TransformTest, BendOfZeroDepthCopiesAndTheBendUsesWideArithmetic)
{
    Begin({20, 10, 29, 19}, TRANSFORM_BEND_HORIZONTAL);
    EXPECT_EQ(g_areaSelection.bendA.x, 20);
    EXPECT_EQ(g_areaSelection.bendA.y, 14);
    const std::vector<COLORREF> before = Frame(0);
    Click(20, 14);
    EXPECT_EQ(Frame(0), before);
    // A bulge of 3: the middle row 3 pixels wider on each side.
    Drag({20, 14}, {17, 14});
    EXPECT_EQ(g_areaSelection.bendB.x, 32);
    EXPECT_EQ(Pixel(0, 17, 14), Pattern(20, 14));
    EXPECT_EQ(Pixel(0, 32, 14), Pattern(29, 14));
    // A pinch stops before the middle row loses its last pixel.
    Drag({17, 14}, {40, 14});
    EXPECT_EQ(g_areaSelection.bendA.x, 24);

    // Depth 300 over a half height of 200: the terms pass 32 bits, the curve
    // still follows the ellipse and narrows monotonically.
    const std::vector<int> n = BendOffsets(300, 200);
    ASSERT_EQ(n.size(), 201u);
    EXPECT_EQ(n[0], 300);
    for (int y = 1; y <= 200; ++y) {
        EXPECT_LE(n[y], n[y - 1]) << y;
        const double ideal = 300 * std::sqrt(1 - (y / 200.0) * (y / 200.0));
        EXPECT_NEAR(n[y], ideal, 12) << y;
    }
    const std::vector<int> pinch = BendOffsets(-5, 3);
    EXPECT_EQ(pinch[0], -5);
    EXPECT_EQ(BendOffsets(0, 10), std::vector<int>(11, 0));
}

}  // namespace
