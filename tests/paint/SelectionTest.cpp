// The area selection and its transforms through the canvas's messages, on
// 24-bit frames: the rectangle (corners, clamping, Ctrl square, a click that
// clears), the lasso node by node up to 128 nodes, handles by zoom, moving
// and copying the area with the mouse (through the clipboard commands of a
// stand-in main window), and the transform kinds painted into the selected
// frames as one undo group each, from the frames as the transform found them.
#include "AreaSelection.h"
#include "CanvasFixture.h"
#include "DialogUtilities.h"
#include "EditorHooks.h"
#include "FrameOperations.h"
#include "FrameSelection.h"
#include "ImageOperations.h"
#include "MainWindow.h"
#include "Palette.h"
#include "resource.h"
#include "TransformGeometry.h"
#include "Undo.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <string>
#include <utility>
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
        g_appState.hooks.nextSelectedFrame = NextSelectedFrame;  // as the editor's hooks
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
        g_appState.hooks.nextSelectedFrame = nullptr;
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

    // A click (a rectangle of one pixel) outside the area and its handles clears it.
    Click(5, 45);
    EXPECT_FALSE(AreaBit());
    EXPECT_EQ(g_selection.selectionOutlineShown, 0);

    // Ctrl: a square of side (|dx| + |dy|) / 2 from the fixed corner. (Ctrl
    // inside a selected area would copy the area instead.)
    Drag({30, 30}, {40, 34}, MK_CONTROL);
    EXPECT_TRUE(Equal(Selection(), RECT{30, 30, 37, 37})) << Text(Selection());
    // Corner 1 grabbed with Ctrl: the square grows from the opposite corner.
    Drag({30, 30}, {20, 26}, MK_CONTROL);
    EXPECT_TRUE(Equal(Selection(), RECT{23, 23, 37, 37})) << Text(Selection());
    Click(5, 45);
    EXPECT_FALSE(AreaBit());

    // Hostile corners are limited to the frame.
    SetSelectionRect(-50, -7, 100000, 400, 0);
    EXPECT_TRUE(Equal(Selection(), RECT{0, 0, W - 1, H - 1})) << Text(Selection());
    // A width or height below 1 still holds the corner's pixel; a huge one stops at the edge.
    SetSelectionRect(5, 6, 0, -3, SELECTION_SET_SIZE);
    EXPECT_TRUE(Equal(Selection(), RECT{5, 6, 5, 6})) << Text(Selection());
    SetSelectionRect(5, 6, INT_MAX, INT_MAX, SELECTION_SET_SIZE);
    EXPECT_TRUE(Equal(Selection(), RECT{5, 6, W - 1, H - 1})) << Text(Selection());
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

// More clicks than a lasso holds: the last node takes each extra click, and a
// flip, two quarter turns and their undo steps (which keep the lasso with
// the editor's own selection hooks) all keep the 128 nodes.
TEST_F(SelectionTest, ALassoOfMoreThan128NodesKeeps128ThroughFlipTurnAndUndo)
{
    const EditorHooks savedHooks = g_appState.hooks;
    const DialogHost savedHost = GetDialogHost();
    InstallEditorHooks();
    SetRotationAngle(90);
    SetRotationPivot(4);  // the centre
    Use(TOOL_SELECT_POLYGON);
    // 130 clicks over the square 5..45 (no two in a row alike).
    for (int i = 0; i < 130; ++i) Click(5 + i * 7 % 41, 5 + i * 11 % 41);
    SendMessageA(Canvas(), WM_KEYDOWN, VK_ESCAPE, 0);  // finished, handles shown
    ASSERT_EQ(g_selection.selectionPointCount, 128);
    EXPECT_EQ(g_selection.selectionPoints[127].x, 5 + 129 * 7 % 41);
    EXPECT_EQ(g_selection.selectionPoints[127].y, 5 + 129 * 11 % 41);
    ASSERT_TRUE(HasSelection());
    ASSERT_TRUE(Equal(Selection(), RECT{5, 5, 45, 45})) << Text(Selection());
    const std::vector<POINT> clicked(g_selection.selectionPoints, g_selection.selectionPoints + 128);
    auto nodes = [] {
        return std::vector<POINT>(g_selection.selectionPoints,
                                  g_selection.selectionPoints + std::min(g_selection.selectionPointCount, 200));
    };
    auto same = [](const std::vector<POINT>& a, const std::vector<POINT>& b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](const POINT& p, const POINT& q) {
                   return p.x == q.x && p.y == q.y;
               });
    };

    ASSERT_EQ(DoImageCommand(IDM_FLIP_HORIZONTAL, 0), 1);
    std::vector<POINT> mirrored = clicked;
    for (POINT& p : mirrored) p.x = 50 - p.x;  // about the middle column 25
    EXPECT_TRUE(same(nodes(), mirrored));
    ASSERT_EQ(DoImageCommand(IDM_ROTATE_RIGHT, 0), 1);
    const std::vector<POINT> turned = nodes();
    EXPECT_EQ(turned.size(), 128u);
    EXPECT_FALSE(same(turned, mirrored));
    for (const POINT& p : turned) EXPECT_TRUE(p.x >= 5 && p.x <= 45 && p.y >= 5 && p.y <= 45) << p.x << "," << p.y;
    EXPECT_TRUE(Equal(Selection(), RECT{5, 5, 45, 45})) << Text(Selection());
    ASSERT_EQ(DoImageCommand(IDM_ROTATE_LEFT, 0), 1);
    EXPECT_TRUE(same(nodes(), mirrored));

    for (int i = 0; i < 3; ++i) ASSERT_EQ(DoEditCommand(IDM_UNDO, 0), 1) << i;
    EXPECT_TRUE(same(nodes(), clicked));
    ASSERT_EQ(DoEditCommand(IDM_REPEAT, 0), 1);
    EXPECT_TRUE(same(nodes(), mirrored));
    g_appState.hooks = savedHooks;
    SetDialogHost(savedHost);
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
    SelectRect({2, 3}, {15, 12});
    // The right button inside the area (MoveKeys 14), away from its corner
    // handles, moves it by (10, 5).
    Drag({8, 7}, {18, 12}, MK_RBUTTON);
    EXPECT_EQ(g_appState.currentTool, TOOL_SELECT_REGION);
    EXPECT_EQ(Pixel(0, 12, 8), Pattern(2, 3));
    EXPECT_EQ(Pixel(0, 25, 17), Pattern(15, 12));
    EXPECT_EQ(Pixel(0, 2, 3), transparent);  // the source was cut
    EXPECT_EQ(Pixel(0, 11, 7), transparent);
    EXPECT_TRUE(AreaBit());
    EXPECT_TRUE(Equal(Selection(), RECT{12, 8, 25, 17})) << Text(Selection());

    // Ctrl copies: the source stays.
    Drag({18, 12}, {38, 32}, MK_RBUTTON | MK_CONTROL);
    EXPECT_EQ(Pixel(0, 32, 28), Pattern(2, 3));
    EXPECT_EQ(Pixel(0, 12, 8), Pattern(2, 3));
    EXPECT_TRUE(Equal(Selection(), RECT{32, 28, 45, 37})) << Text(Selection());
}

TEST_F(SelectionTest, MovingIntoEveryFrameIsOneUndoGroupAndACancelUndoesTheCut)
{
    g_appState.currentFrame = 1;
    SetFrameSelection(SELECTION_TOGGLE, 0, 0);
    const std::vector<COLORREF> before = Frame(0);
    SelectRect({2, 3}, {15, 12});
    Drag({8, 7}, {28, 17}, MK_RBUTTON | MK_CONTROL);  // copied by (20, 10) into both frames
    for (int frame : {0, 1}) {
        EXPECT_EQ(Pixel(frame, 22, 13), Pattern(2, 3)) << frame;
        EXPECT_EQ(Pixel(frame, 35, 22), Pattern(15, 12)) << frame;
        EXPECT_EQ(Pixel(frame, 2, 3), Pattern(2, 3)) << frame;
    }
    ASSERT_EQ(UndoRedo(1), 2);  // one group holds both frames
    EXPECT_EQ(Frame(0), before);
    EXPECT_EQ(Frame(1), before);
    EXPECT_FALSE(CanUndo());

    // A cut area dropped with Esc before its button-up: the cut is undone.
    SetFrameSelection(SELECTION_CLEAR_ALL, 0, 0);
    SelectRect({2, 3}, {15, 12});
    SendMessageA(Canvas(), WM_RBUTTONDOWN, MK_RBUTTON, At(8, 7));
    EXPECT_EQ(g_appState.currentTool, TOOL_PLACE_AREA);
    EXPECT_EQ(Pixel(1, 2, 3), PaletteIndexToRgb(GetToolColor(ROLE_TRANSPARENT)) & 0xFFFFFF);  // cut
    SendMessageA(Canvas(), WM_MOUSEMOVE, MK_RBUTTON, At(15, 9));
    SendMessageA(Canvas(), WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    EXPECT_EQ(g_appState.currentTool, TOOL_SELECT_REGION);
    EXPECT_EQ(Frame(1), before);
    EXPECT_FALSE(AreaBit());
}

TEST_F(SelectionTest, TheAreaBitRetitlesItem208)
{
    // The shell's own selection word and menu.
    HMENU menu = CreateMenu();
    AppendMenuA(menu, MF_STRING, 208, "Clear &Frame");
    g_appState.mainMenu = menu;
    g_paintHost.setSelectionState = SetSelectionState;
    g_paintHost.testSelectionState = TestSelectionState;
    SetSelectionState(0);
    auto title = [&] {
        char text[64] = "";
        GetMenuStringA(menu, 208, text, sizeof text, MF_BYCOMMAND);
        return std::string(text);
    };
    SelectRect({4, 4}, {12, 10});
    EXPECT_EQ(title(), "Clear &Selection");
    Click(40, 40);  // outside: a one-pixel rectangle clears the area
    EXPECT_EQ(title(), "Clear &Frame");
    Use(TOOL_SELECT_POLYGON);
    Click(3, 3);
    Click(20, 3);
    EXPECT_EQ(title(), "Clear &Selection");
    SetSelectionState(0);
    g_appState.mainMenu = nullptr;
    DestroyMenu(menu);
}

// ---- transforms ------------------------------------------------------------------------

class TransformTest : public SelectionTest {
protected:
    void Begin(RECT area, int kind)
    {
        // No area yet: the drag makes a new rectangle rather than grab a corner.
        g_paintHost.setSelectionState(0);
        g_selection.selectionPointCount = 0;
        SelectRect({area.left, area.top}, {area.right, area.bottom});
        BeginSelectionTransform();
        SetTransformKind(kind);
    }
    // The transform closed, its undo steps dropped, frame 0 painted afresh.
    void Restart()
    {
        EndSelectionTransform();
        ClearUndo();
        fixture_->Paint(0, Pattern);
    }
    // `count` pixels of frame 0 from `start` along x (rows) or y hold pixels
    // of the pattern's row or column `line` in their order (which ones a
    // shrinking copy keeps is the platform's choice).
    static void ExpectSourceLineInOrder(POINT start, int count, bool rows, int line)
    {
        for (int i = 0, last = -1; i < count; ++i) {
            const COLORREF c = rows ? Pixel(0, start.x + i, start.y) : Pixel(0, start.x, start.y + i);
            EXPECT_EQ(rows ? GetGValue(c) : GetRValue(c), rows ? line * 5 : line * 4) << i;
            const int from = rows ? GetRValue(c) / 4 : GetGValue(c) / 5;
            EXPECT_GT(from, last) << i;
            last = from;
        }
    }
};

void CALLBACK CollectPoint(int x, int y, LPARAM data) { reinterpret_cast<std::vector<POINT>*>(data)->push_back({x, y}); }

COLORREF Transparent() { return PaletteIndexToRgb(GetToolColor(ROLE_TRANSPARENT)) & 0xFFFFFF; }

// The frame a shear must give: the source emptied to the transparent colour,
// then at every point of the platform's line along the left edge (rows) or
// the top edge (columns), and at its end point, the source row or column at
// that point's y or x copied to start there.
std::vector<COLORREF> ExpectedShear(const std::vector<COLORREF>& before, const RECT& s, POINT from, POINT to, bool rows)
{
    std::vector<POINT> points;
    LineDDA(from.x, from.y, to.x, to.y, CollectPoint, reinterpret_cast<LPARAM>(&points));
    points.push_back(to);
    std::vector<COLORREF> out = before;
    for (int y = s.top; y <= s.bottom; ++y)
        for (int x = s.left; x <= s.right; ++x) out[y * W + x] = Transparent();
    const int length = rows ? s.right - s.left + 1 : s.bottom - s.top + 1;
    for (const POINT& p : points)
        for (int i = 0; i < length; ++i) {
            const int x = rows ? p.x + i : p.x, y = rows ? p.y : p.y + i;
            if (x >= 0 && x < W && y >= 0 && y < H)
                out[y * W + x] = rows ? before[p.y * W + s.left + i] : before[(s.top + i) * W + p.x];
        }
    return out;
}

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
    const std::vector<COLORREF> before = Frame(0);
    Begin({20, 10, 29, 19}, TRANSFORM_SHEAR_HORIZONTAL);
    Drag({29, 19}, {39, 19});  // corner 2 by 10
    const AreaSelectionState& s = g_areaSelection;
    EXPECT_EQ(s.quad[2].x, 39);
    EXPECT_EQ(s.quad[3].x, 30);
    EXPECT_EQ(s.quad[0].x, 10);
    EXPECT_EQ(s.quad[1].x, 19);
    // Each row is the source row placed along the left edge from (10, 10) to (30, 19).
    EXPECT_EQ(Frame(0), ExpectedShear(before, {20, 10, 29, 19}, s.quad[0], s.quad[3], true));
    EXPECT_EQ(Pixel(0, 30, 19), Pattern(20, 19));
    EXPECT_EQ(Pixel(0, 39, 19), Pattern(29, 19));
    Restart();

    // Shear vertically, corner 2 by 4 down: the right edge 4 down, the left 4 up.
    Begin({20, 10, 29, 19}, TRANSFORM_SHEAR_VERTICAL);
    Drag({29, 19}, {29, 23});
    EXPECT_EQ(s.quad[1].y, 14);
    EXPECT_EQ(s.quad[2].y, 23);
    EXPECT_EQ(s.quad[0].y, 6);
    EXPECT_EQ(s.quad[3].y, 15);
    EXPECT_EQ(Frame(0), ExpectedShear(before, {20, 10, 29, 19}, s.quad[0], s.quad[1], false));
    // Choosing a kind after an application: the next one starts a new undo group.
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
    Restart();

    // Trapezium horizontally, one side: the top row shrinks to 4 pixels.
    Begin({20, 10, 29, 19}, TRANSFORM_TRAPEZIUM_HORIZONTAL);
    Drag({20, 10}, {23, 10}, MK_SHIFT);
    EXPECT_EQ(g_areaSelection.quad[0].x, 23);
    EXPECT_EQ(g_areaSelection.quad[1].x, 26);
    // Row 10 holds source row 10 from 23 to 26, the rest of its old place emptied.
    ExpectSourceLineInOrder({23, 10}, 4, true, 10);
    EXPECT_EQ(Pixel(0, 22, 10), Transparent());
    EXPECT_EQ(Pixel(0, 27, 10), Transparent());
    EXPECT_EQ(Pixel(0, 20, 19), Pattern(20, 19));  // the bottom row is whole
    // Past the middle: every row keeps a pixel (the handle stops at it).
    Drag({23, 10}, {50, 10}, MK_SHIFT);
    EXPECT_LE(g_areaSelection.quad[0].x, g_areaSelection.quad[1].x);
    EXPECT_EQ(g_areaSelection.quad[0].x, 24);
    Restart();

    // Trapezium vertically, both sides: the right column grows by 2 at each end.
    Begin({20, 10, 29, 19}, TRANSFORM_TRAPEZIUM_VERTICAL);
    Drag({29, 10}, {29, 8});
    EXPECT_EQ(g_areaSelection.quad[1].y, 8);
    EXPECT_EQ(g_areaSelection.quad[2].y, 21);
    EXPECT_EQ(g_areaSelection.quad[0].y, 12);
    EXPECT_EQ(g_areaSelection.quad[3].y, 17);
    // Each column stretched between the edges; the emptied place shows.
    EXPECT_EQ(Pixel(0, 29, 8), Pattern(29, 10));
    EXPECT_EQ(Pixel(0, 29, 21), Pattern(29, 19));
    ExpectSourceLineInOrder({20, 12}, 6, false, 20);  // column 20 shrunk to 12..17
    EXPECT_EQ(Pixel(0, 20, 11), Transparent());
    EXPECT_EQ(Pixel(0, 20, 18), Transparent());
    Restart();

    // Two drags of 4 and 6 give what one drag of 10 gives.
    Begin({20, 10, 29, 19}, TRANSFORM_SHEAR_HORIZONTAL);
    Drag({29, 19}, {33, 19});
    Drag({33, 19}, {39, 19});
    const std::vector<COLORREF> twice = Frame(0);
    ASSERT_EQ(UndoRedo(1), 1);  // both drags are one undo group
    EXPECT_FALSE(CanUndo());
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

    // Depth 300 over a half height of 200 (2a^2 h(h - 1) = 7.2e9) and 1000
    // over 1000: the terms pass 32 bits, and each row still ends where the
    // ellipse crosses its upper half-pixel line (the midpoint rule), within a
    // pixel, narrowing monotonically.
    for (const auto& [depth, half] : {std::pair{300, 200}, std::pair{1000, 1000}}) {
        const std::vector<int> n = BendOffsets(depth, half);
        ASSERT_EQ(n.size(), static_cast<size_t>(half) + 1);
        EXPECT_EQ(n[0], depth);
        for (int y = 1; y <= half; ++y) {
            EXPECT_LE(n[y], n[y - 1]) << y;
            const double v = (y - 0.5) / half;
            EXPECT_NEAR(n[y], depth * std::sqrt(1 - v * v), 1.01) << depth << " " << y;
        }
    }
    const std::vector<int> pinch = BendOffsets(-5, 3);
    EXPECT_EQ(pinch[0], -5);
    EXPECT_EQ(BendOffsets(0, 10), std::vector<int>(11, 0));
}

}  // namespace
