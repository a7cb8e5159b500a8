// The paint tools through the canvas's messages, on frames that are DIB
// sections of 8 and 24 bits: the pixels each tool paints into the selected
// frames, the undo steps it records (this program stands in for the undo
// list and keeps every call), cancels, the fill's methods and seeds, the
// spray can with a seeded source, the eyedropper and the zoomed view.
#include "CanvasFixture.h"
#include "DrawingTools.h"
#include "FrameSelection.h"
#include "Palette.h"
#include "UndoRecorder.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <set>
#include <utility>
#include <vector>


namespace {

using Pixels = std::set<std::pair<int, int>>;
using Steps = UndoSteps;

constexpr int W = 40, H = 30;

void Pump()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

int IndexOf(COLORREF color) { return ColorToPaletteIndex(color); }

class PaintToolTest : public testing::TestWithParam<int> {
protected:
    void SetUp() override { Open(GetParam(), 4); }
    void TearDown() override
    {
        ReleaseCapture();
        SetSprayRandomSource(nullptr);
        g_paletteLink = {};
        g_appState.optionFlags = 0;
        g_appState.gradatedLines = 0;
        g_appState.penWidth = 1;
        g_appState.fillEnabled = false;
        fixture_.reset();
    }
    void Open(int colorCount, int frames)
    {
        fixture_.reset();
        fixture_ = std::make_unique<CanvasFixture>(colorCount, W, H, frames);
        fixture_->Show(4 * W, 4 * H, 0);
        g_appState.penWidth = 1;
        g_appState.gradatedLines = 0;
        g_appState.fillEnabled = false;
        g_appState.fillPatternOn = false;
        g_appState.optionFlags = 0;
        g_appState.ellipseMode = 1;
        g_appState.showGrid = 1;
        SetToolColorIndex(ROLE_PEN, IndexOf(RED));
        SetToolColorIndex(ROLE_FILL, IndexOf(BLUE));
        g_undo.clear();
    }
    HWND Canvas() const { return fixture_->Canvas(); }
    // Choosing the tool again would count as a change of tool (it drops a
    // waiting arc and closes the freehand undo step), as the tool bar does.
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
    void Down(int x, int y, WPARAM keys = MK_LBUTTON)
    {
        SendMessageA(Canvas(), (keys & MK_RBUTTON) ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, keys, At(x, y));
    }
    void Move(int x, int y, WPARAM keys = MK_LBUTTON) { SendMessageA(Canvas(), WM_MOUSEMOVE, keys, At(x, y)); }
    void Up(int x, int y, WPARAM keys = 0, bool right = false)
    {
        SendMessageA(Canvas(), right ? WM_RBUTTONUP : WM_LBUTTONUP, keys, At(x, y));
    }
    void Drag(int tool, POINT a, POINT b, WPARAM keys = 0)
    {
        Use(tool);
        const bool right = (keys & MK_RBUTTON) != 0;
        const WPARAM held = keys | (right ? 0 : MK_LBUTTON);
        Down(a.x, a.y, held);
        Move((a.x + b.x) / 2, (a.y + b.y) / 2, held);
        Move(b.x, b.y, held);
        Up(b.x, b.y, keys & ~(MK_LBUTTON | MK_RBUTTON), right);
        Pump();
    }
    void Click(int x, int y, WPARAM keys = MK_LBUTTON)
    {
        Down(x, y, keys);
        Up(x, y, keys & ~(MK_LBUTTON | MK_RBUTTON), (keys & MK_RBUTTON) != 0);
        Pump();
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
    static Pixels PixelsOf(int frame, COLORREF color)
    {
        GdiFlush();
        Pixels found;
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, g_appState.frameBitmaps[frame]);
        for (int y = 0; y < g_appState.frameHeight; ++y)
            for (int x = 0; x < g_appState.frameWidth; ++x)
                if ((GetPixel(dc, x, y) & 0xFFFFFF) == color) found.insert({x, y});
        SelectObject(dc, old);
        DeleteDC(dc);
        return found;
    }
    static Pixels Box(int left, int top, int right, int bottom)  // inclusive
    {
        Pixels box;
        for (int y = std::max(top, 0); y <= std::min(bottom, H - 1); ++y)
            for (int x = std::max(left, 0); x <= std::min(right, W - 1); ++x) box.insert({x, y});
        return box;
    }
    static RECT Bounds(const Pixels& pixels)
    {
        RECT r = {W, H, -1, -1};
        for (const auto& p : pixels) {
            r.left = std::min<LONG>(r.left, p.first);
            r.top = std::min<LONG>(r.top, p.second);
            r.right = std::max<LONG>(r.right, p.first);
            r.bottom = std::max<LONG>(r.bottom, p.second);
        }
        return r;
    }
    static int Groups() { return static_cast<int>(std::count_if(g_undo.begin(), g_undo.end(), [](auto s) { return s.first == UNDO_BEGIN_GROUP; })); }
    std::unique_ptr<CanvasFixture> fixture_;
};

TEST_P(PaintToolTest, WidthOneLinesHoldBothEnds)
{
    Drag(TOOL_LINE, {2, 3}, {12, 8});
    EXPECT_EQ(RED, Pixel(0, 2, 3));
    EXPECT_EQ(RED, Pixel(0, 12, 8));
    EXPECT_EQ(11u, PixelsOf(0, RED).size());  // one pixel per column
    Drag(TOOL_LINE, {30, 25}, {20, 20});      // drawn the other way
    EXPECT_EQ(RED, Pixel(0, 30, 25));
    EXPECT_EQ(RED, Pixel(0, 20, 20));
    Drag(TOOL_LINE, {5, 20}, {5, 28});        // vertical
    EXPECT_EQ(RED, Pixel(0, 5, 28));
    for (int y = 20; y <= 28; ++y) EXPECT_EQ(RED, Pixel(0, 5, y)) << y;
}

TEST_P(PaintToolTest, AThreePixelLinePaintsItsClippedBox)
{
    g_appState.penWidth = 3;
    Drag(TOOL_LINE, {4, 4}, {14, 4});
    EXPECT_EQ(Box(3, 3, 15, 5), PixelsOf(0, RED));  // rows -1..1 and x -1..11 round the line
    Open(GetParam(), 1);
    g_appState.penWidth = 3;
    Drag(TOOL_LINE, {0, 0}, {10, 0});
    EXPECT_EQ(Box(0, 0, 11, 1), PixelsOf(0, RED));  // the same box, cut by the frame's edge
}

// An unpainted pixel between two painted ones across or along the line.
int Gaps(const Pixels& painted)
{
    int gaps = 0;
    auto has = [&](int x, int y) { return painted.count({x, y}) != 0; };
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            if (!has(x, y) && ((has(x - 1, y) && has(x + 1, y)) || (has(x, y - 1) && has(x, y + 1)))) ++gaps;
    return gaps;
}

TEST_P(PaintToolTest, ThickDiagonalsLeaveNoGaps)
{
    const POINT lines[][2] = {{{5, 5}, {30, 20}}, {{30, 5}, {8, 25}}, {{10, 25}, {14, 3}}, {{6, 6}, {24, 24}},
                              {{25, 24}, {7, 22}}};
    for (int width = 2; width <= 5; ++width) {
        for (const auto& line : lines) {
            SCOPED_TRACE(testing::Message() << "width " << width << " from " << line[0].x << "," << line[0].y << " to "
                                            << line[1].x << "," << line[1].y);
            fixture_->Fill(0, WHITE);
            g_appState.penWidth = width;
            Drag(TOOL_LINE, line[0], line[1]);
            const Pixels painted = PixelsOf(0, RED);
            EXPECT_EQ(0, Gaps(painted));
            EXPECT_TRUE(painted.count({line[0].x, line[0].y}) && painted.count({line[1].x, line[1].y}));
            const RECT r = Bounds(painted);
            // Square ends flush with the box of the line grown by the pen.
            EXPECT_EQ(std::min(line[0].x, line[1].x) - width / 2, r.left);
            EXPECT_EQ(std::max(line[0].x, line[1].x) + (width + 1) / 2 - 1, r.right);
        }
    }
}

TEST_P(PaintToolTest, RectangleOutlineFillAndFillOnly)
{
    Drag(TOOL_RECTANGLE, {5, 5}, {12, 10});
    Pixels outline = Box(5, 5, 12, 10);
    for (const auto& p : Box(6, 6, 11, 9)) outline.erase(p);
    EXPECT_EQ(outline, PixelsOf(0, RED));
    EXPECT_TRUE(PixelsOf(0, BLUE).empty());  // filling is off

    g_appState.fillEnabled = true;
    Drag(TOOL_RECTANGLE, {20, 5}, {27, 10});
    EXPECT_EQ(Box(21, 6, 26, 9), PixelsOf(0, BLUE));  // the fill reaches the outline

    fixture_->Fill(0, WHITE);
    Drag(TOOL_RECTANGLE, {20, 5}, {27, 10}, MK_CONTROL);  // Ctrl: a square, filled only
    const Pixels square = PixelsOf(0, BLUE);
    EXPECT_TRUE(PixelsOf(0, RED).empty());
    EXPECT_EQ(Box(20, 5, 26, 11), square);  // sides (7 + 5) / 2 = 6

    fixture_->Fill(0, WHITE);
    g_appState.penWidth = 3;
    Drag(TOOL_RECTANGLE, {10, 10}, {20, 18});
    Pixels rings = Box(9, 9, 21, 19);
    for (const auto& p : Box(12, 12, 18, 16)) rings.erase(p);
    EXPECT_EQ(rings, PixelsOf(0, RED));
    EXPECT_EQ(Box(12, 12, 18, 16), PixelsOf(0, BLUE));
}

TEST_P(PaintToolTest, GradatedOutlinesStepFromPenToFillColour)
{
    SetToolColorIndex(ROLE_PEN, IndexOf(BLACK));
    SetToolColorIndex(ROLE_FILL, IndexOf(WHITE));
    g_appState.gradatedLines = 1;
    g_appState.penWidth = 4;
    SendMessageA(Canvas(), EDIT_GRADATION_CHANGED, 0, 0);
    fixture_->Fill(0, GREEN);
    Drag(TOOL_RECTANGLE, {10, 10}, {20, 18});
    // Outline i with pen i, from the outside in: 0, 85, 170, 255 in a
    // 24-bit frame; the nearest palette colours in an 8-bit one.
    const int expected[] = {0, 85, 170, 255};
    for (int i = 0; i < 4; ++i) {
        const COLORREF c = Pixel(0, 8 + i, 14);
        if (GetParam() == COLORS_24BIT) {
            EXPECT_EQ(RGB(expected[i], expected[i], expected[i]), c) << "outline " << i;
        } else {
            EXPECT_LT(std::abs(GetRValue(c) - expected[i]), 48) << "outline " << i;
        }
    }
    EXPECT_EQ(GREEN, Pixel(0, 12, 14));  // inside: filling is off
}

TEST_P(PaintToolTest, EllipsesFillTheirBoxInEverySelectedFrame)
{
    g_frameSelection.selected[2] = 1;
    g_appState.fillEnabled = true;
    Drag(TOOL_ELLIPSE, {20, 15}, {28, 20});
    for (int frame : {0, 2}) {
        SCOPED_TRACE(frame);
        const RECT r = Bounds(PixelsOf(frame, RED));
        EXPECT_EQ(12, r.left);  // box 12, 10 .. 29, 21 in centre mode 1
        EXPECT_EQ(10, r.top);
        EXPECT_EQ(28, r.right);
        EXPECT_EQ(20, r.bottom);
        EXPECT_EQ(BLUE, Pixel(frame, 20, 15));
    }
    EXPECT_TRUE(PixelsOf(1, RED).empty());
    EXPECT_EQ((Steps{{UNDO_BEGIN_GROUP, 0}, {UNDO_SAVE_FRAME, 2}, {UNDO_SAVE_FRAME, 0}, {UNDO_END_GROUP, 0}}), g_undo);

    // Width 1 without filling: one call gives the outline only; corner mode
    // ends one pixel earlier.
    Open(GetParam(), 1);
    g_appState.ellipseMode = 0;
    Drag(TOOL_ELLIPSE, {20, 15}, {28, 20});
    const RECT r = Bounds(PixelsOf(0, RED));
    EXPECT_EQ(27, r.right);
    EXPECT_EQ(19, r.bottom);
    EXPECT_EQ(WHITE, Pixel(0, 20, 15));
    g_undo.clear();
    Drag(TOOL_ELLIPSE, {5, 5}, {5, 5});  // no size: nothing, no undo step
    EXPECT_TRUE(g_undo.empty());
}

TEST_P(PaintToolTest, ArcsFollowTheWayTheMouseWent)
{
    // The ellipse round (20, 15) waits; the second drag goes from the press
    // through the points given.
    auto arc = [&](std::vector<POINT> way) {
        fixture_->Fill(0, WHITE);
        g_undo.clear();
        Drag(TOOL_ARC, {20, 15}, {30, 25});
        EXPECT_TRUE(PixelsOf(0, RED).empty());  // nothing painted yet
        EXPECT_TRUE(g_undo.empty());
        Down(way[0].x, way[0].y);
        for (size_t i = 1; i < way.size(); ++i) Move(way[i].x, way[i].y);
        Up(way.back().x, way.back().y);
        return PixelsOf(0, RED);
    };
    // Pressed right of the centre and moved up: a short arc on the upper right.
    const Pixels up = arc({{30, 15}, {30, 13}, {30, 11}});
    ASSERT_FALSE(up.empty());
    EXPECT_GT(Bounds(up).left, 20);
    EXPECT_LT(Bounds(up).bottom, 16);
    EXPECT_EQ(3u, g_undo.size());  // one group of the current frame
    // Moved down: the short way clockwise, on the lower right.
    const Pixels down = arc({{30, 15}, {30, 17}, {30, 19}});
    ASSERT_FALSE(down.empty());
    EXPECT_GT(Bounds(down).left, 20);
    EXPECT_GT(Bounds(down).top, 14);
    // Moved down and on round the bottom to the left: the lower half.
    const Pixels round = arc({{30, 15}, {30, 18}, {20, 25}, {10, 14}});
    EXPECT_LT(Bounds(round).left, 12);
    EXPECT_GT(Bounds(round).bottom, 20);
    EXPECT_GT(Bounds(round).top, 12);
    // With filling on, a pie: its inside is filled.
    g_appState.fillEnabled = true;
    arc({{30, 15}, {30, 18}, {20, 25}, {10, 14}});
    EXPECT_EQ(BLUE, Pixel(0, 16, 18));
    EXPECT_EQ(WHITE, Pixel(0, 16, 11));  // the upper half stays
    // A second stage released where it was pressed paints nothing.
    EXPECT_TRUE(arc({{25, 15}}).empty());
    EXPECT_TRUE(g_undo.empty());
}

TEST_P(PaintToolTest, PolygonsCloseNearNodeZero)
{
    Use(TOOL_POLYGON);
    g_appState.fillEnabled = true;
    Click(5, 5);
    Click(25, 5);
    Click(25, 20);
    EXPECT_EQ(3, g_selection.selectionPointCount);
    EXPECT_TRUE(PixelsOf(0, RED).empty());  // nothing in the frame until it closes
    Click(6, 4);                            // (x0 + 1, y0 - 1)
    EXPECT_EQ(0, g_selection.selectionPointCount);
    const RECT r = Bounds(PixelsOf(0, RED));
    EXPECT_EQ(5, r.left);
    EXPECT_EQ(5, r.top);
    EXPECT_EQ(25, r.right);
    EXPECT_EQ(20, r.bottom);
    EXPECT_EQ(BLUE, Pixel(0, 20, 9));
    EXPECT_EQ(1, Groups());

    // Another button closes the polygon at node 0, in the first press's colour.
    Open(GetParam(), 1);
    Use(TOOL_POLYGON);
    Click(5, 5);
    Click(25, 5);
    Click(25, 20);
    Click(30, 28, MK_RBUTTON);
    EXPECT_EQ(0, g_selection.selectionPointCount);
    EXPECT_EQ(RED, Pixel(0, 15, 5));
    EXPECT_EQ(RED, Pixel(0, 5, 5));
    EXPECT_TRUE(PixelsOf(0, BLUE).empty());
}

TEST_P(PaintToolTest, APolygonOfTheMostNodesFinishesWithoutOverflow)
{
    Use(TOOL_POLYGON);
    g_appState.penWidth = 2;  // wide edges: the closing edge is drawn from the last node
    Click(20, 28);
    int clicks = 1;
    for (int i = 0; g_selection.selectionPointCount != 0; ++i) {
        Click(2 + (i % 2) * 30, 2 + (i / 2) % 24);  // zigzag, never near node 0
        ++clicks;
        ASSERT_LE(g_selection.selectionPointCount, 128);
        ASSERT_LT(clicks, 200);
    }
    EXPECT_EQ(129, clicks);  // 128 nodes, then the next release finishes
    EXPECT_FALSE(PixelsOf(0, RED).empty());
    EXPECT_EQ(1, Groups());
}

TEST_P(PaintToolTest, ASecondButtonCancelsTheShape)
{
    for (int tool : {TOOL_LINE, TOOL_RECTANGLE, TOOL_ELLIPSE}) {
        Use(tool);
        Down(5, 5);
        Move(20, 20);
        SendMessageA(Canvas(), WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, At(20, 20));
        Up(20, 20);
        SendMessageA(Canvas(), WM_RBUTTONUP, 0, At(20, 20));
        EXPECT_TRUE(PixelsOf(0, RED).empty()) << tool;
        EXPECT_TRUE(g_undo.empty()) << tool;
        EXPECT_EQ(0, g_canvasView.dragging);
    }
}

TEST_P(PaintToolTest, UndoSeesTheCurrentFrameLast)
{
    g_frameSelection.selected[1] = g_frameSelection.selected[3] = 1;
    g_appState.currentFrame = 2;
    Drag(TOOL_LINE, {3, 3}, {9, 9});
    EXPECT_EQ((Steps{{UNDO_BEGIN_GROUP, 2}, {UNDO_SAVE_FRAME, 1}, {UNDO_SAVE_FRAME, 3}, {UNDO_SAVE_FRAME, 2},
                     {UNDO_END_GROUP, 2}}),
              g_undo);
    for (int frame : {1, 2, 3}) EXPECT_EQ(RED, Pixel(frame, 9, 9)) << frame;
    EXPECT_EQ(WHITE, Pixel(0, 9, 9));
}

TEST_P(PaintToolTest, SoftUndoJoinsStrokesOfTheSameButton)
{
    auto stroke = [&](WPARAM keys, int y) { Drag(TOOL_FREEHAND, {3, y}, {20, y}, keys); };
    g_appState.optionFlags = OPTION_SOFT_UNDO;
    stroke(0, 3);
    stroke(0, 5);
    EXPECT_EQ(1, Groups());  // the second stroke joins the open step
    stroke(MK_RBUTTON, 7);   // another button: a new step
    EXPECT_EQ(2, Groups());
    EXPECT_EQ(BLUE, Pixel(0, 10, 7));
    SendMessageA(Canvas(), EDIT_PEN_SIZE_CHANGED, 0, 0);  // a pen change closes it
    stroke(MK_RBUTTON, 9);
    EXPECT_EQ(3, Groups());
    g_appState.optionFlags = 0;
    stroke(0, 11);
    stroke(0, 13);
    EXPECT_EQ(5, Groups());  // without SoftUndo every stroke is a step
    for (int y : {3, 5, 11, 13}) EXPECT_EQ(RED, Pixel(0, 20, y)) << y;
}

TEST_P(PaintToolTest, FreehandWideDotsAndStrokes)
{
    g_appState.penWidth = 3;
    Use(TOOL_FREEHAND);
    Click(10, 10);
    EXPECT_EQ(Box(9, 9, 11, 11), PixelsOf(0, RED));  // the block at the press
    Drag(TOOL_FREEHAND, {5, 20}, {25, 20});
    EXPECT_EQ(0, Gaps(PixelsOf(0, RED)));
    EXPECT_EQ(RED, Pixel(0, 15, 21));
}

TEST_P(PaintToolTest, AlternateFillMethodsFillTheSamePixels)
{
    std::vector<Pixels> results;
    for (int method : {0, 2, 1}) {
        fixture_->Fill(0, WHITE);
        Drag(TOOL_ELLIPSE, {15, 15}, {25, 22});  // a closed red ring
        Drag(TOOL_LINE, {0, 0}, {39, 29});       // crossing it
        g_appState.optionFlags = static_cast<uint32_t>(method) << OPTION_ALTERNATE_FILL_SHIFT;
        Use(TOOL_FILL);
        Click(17, 18, MK_RBUTTON);  // right: the fill colour
        results.push_back(PixelsOf(0, BLUE));
        EXPECT_FALSE(results.back().empty()) << "method " << method;
        EXPECT_EQ(BLUE, Pixel(0, 17, 18)) << "method " << method;
        EXPECT_EQ(WHITE, Pixel(0, 2, 20)) << "method " << method;  // outside the ring
    }
    EXPECT_EQ(results[0], results[1]);  // ExtFloodFill and the mask fill agree
    EXPECT_EQ(results[0], results[2]);
}

TEST_P(PaintToolTest, FillLeavesFramesWhoseSeedDiffers)
{
    g_frameSelection.selected[1] = g_frameSelection.selected[2] = 1;
    fixture_->Fill(1, RECT{8, 8, 12, 12}, GREEN);
    Use(TOOL_FILL);
    Click(10, 10);
    EXPECT_EQ(RED, Pixel(0, 10, 10));
    EXPECT_EQ(RED, Pixel(2, 0, 0));
    EXPECT_EQ(GREEN, Pixel(1, 10, 10));  // another colour under the point: untouched
    EXPECT_EQ(WHITE, Pixel(1, 0, 0));
    EXPECT_EQ((Steps{{UNDO_BEGIN_GROUP, 0}, {UNDO_SAVE_FRAME, 2}, {UNDO_SAVE_FRAME, 0}, {UNDO_END_GROUP, 0}}), g_undo);
    EXPECT_EQ(0, g_canvasView.dragging);  // the fill takes no drag
}

TEST_P(PaintToolTest, SprayDotsStayInTheirPatch)
{
    static unsigned seed;
    seed = 11;
    SetSprayRandomSource([] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 16) & 0x7FFF);
    });
    g_frameSelection.selected[1] = 1;
    g_appState.penWidth = 5;
    Use(TOOL_SPRAY);
    Down(20, 15);
    EXPECT_EQ(1, Groups());  // the undo group at the press
    for (int i = 0; i < 6; ++i) SendMessageA(Canvas(), WM_TIMER, SPRAY_TIMER, 0);
    Up(20, 15);
    const Pixels dots = PixelsOf(0, RED);
    ASSERT_FALSE(dots.empty());
    EXPECT_LE(dots.size(), 6u * 7u);
    const RECT r = Bounds(dots);
    EXPECT_GE(r.left, 20 - 3);  // r = 3 for n = 5: offsets -3..3
    EXPECT_LE(r.right, 20 + 3);
    EXPECT_GE(r.top, 15 - 3);
    EXPECT_LE(r.bottom, 15 + 3);
    EXPECT_EQ(dots, PixelsOf(1, RED));  // the same dots in every selected frame
    EXPECT_EQ(1, Groups());
}

TEST_P(PaintToolTest, EyedropperTakesTheRolesColour)
{
    fixture_->Fill(0, RECT{2, 2, 5, 5}, GREEN);
    fixture_->Fill(0, RECT{6, 2, 9, 5}, YELLOW);
    Use(TOOL_EYEDROPPER);
    Click(3, 3);
    EXPECT_EQ(IndexOf(GREEN), g_appState.toolColors.penColorIndex);
    Click(7, 3, MK_RBUTTON);
    EXPECT_EQ(IndexOf(YELLOW), g_appState.toolColors.fillColorIndex);
    EXPECT_EQ(IndexOf(GREEN), g_appState.toolColors.penColorIndex);
    // Through the palette window while it is there.
    static std::vector<std::pair<int, int>> added;
    static std::vector<int> highlights;
    added.clear();
    highlights.clear();
    g_paletteLink.setPickHighlight = [](int on) { highlights.push_back(on); };
    g_paletteLink.addColorToCells = [](int index, int role) {
        added.push_back({index, role});
        return 1;
    };
    Down(7, 3);
    Move(3, 3);  // every move picks again
    Up(3, 3);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{IndexOf(YELLOW), 0}, {IndexOf(GREEN), 0}}), added);
    EXPECT_EQ((std::vector<int>{1, 0}), highlights);
    EXPECT_TRUE(g_undo.empty());  // no frame changes
}

TEST_P(PaintToolTest, CtrlContinuesTheLastLine)
{
    Drag(TOOL_LINE, {5, 5}, {15, 5});
    Use(TOOL_LINE);
    Down(30, 30, MK_LBUTTON | MK_CONTROL);
    Pump();  // the forced move
    Move(15, 20, MK_LBUTTON);
    Up(15, 20);
    for (int y = 5; y <= 20; ++y) EXPECT_EQ(RED, Pixel(0, 15, y)) << y;
    EXPECT_EQ(WHITE, Pixel(0, 30, 30));
}

TEST_P(PaintToolTest, ZoomedViewsShowTheCommittedShapeInCells)
{
    fixture_->Show(4 * W, 4 * H, 3);  // 8:1, the grid on: cells of 7
    g_appState.editScrollX = g_appState.editScrollY = 0;
    fixture_->Render();
    Drag(TOOL_LINE, {2, 1}, {8, 1});
    EXPECT_EQ(RED, Pixel(0, 5, 1));
    EXPECT_EQ(RED, fixture_->ViewPixel(5 * 8 + 3, 1 * 8 + 3));
    EXPECT_NE(RED, fixture_->ViewPixel(5 * 8 + 7, 1 * 8 + 3));  // the grid line stays
    EXPECT_NE(RED, fixture_->ViewPixel(5 * 8 + 3, 2 * 8 + 3));
}

INSTANTIATE_TEST_SUITE_P(Formats, PaintToolTest, testing::Values(COLORS_256, COLORS_24BIT),
                         [](const testing::TestParamInfo<int>& info) {
                             return info.param == COLORS_256 ? std::string("Bits8") : std::string("Bits24");
                         });

// In the three-colour format white is index 1, not the all-ones index: the
// mask fill must leave the transparent colour (index 2) outside its region.
TEST(PaintToolMaskFill, ThreeColourFramesKeepTheirTransparentColour)
{
    CanvasFixture f(COLORS_3, W, H, 1);
    f.Show(4 * W, 4 * H, 0);
    const COLORREF transparent = RGB(128, 0, 0);
    f.Fill(0, transparent);
    f.Fill(0, RECT{10, 10, 20, 20}, WHITE);
    SetToolColorIndex(ROLE_PEN, 0);  // black
    g_appState.optionFlags = 2u << OPTION_ALTERNATE_FILL_SHIFT;  // the mask fill
    g_undo.clear();
    StoreAndSendPaintTool(TOOL_FILL);
    SendMessageA(f.Canvas(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 15));
    SendMessageA(f.Canvas(), WM_LBUTTONUP, 0, MAKELPARAM(15, 15));
    g_appState.optionFlags = 0;
    GdiFlush();
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, g_appState.frameBitmaps[0]);
    EXPECT_EQ(BLACK, GetPixel(dc, 15, 15) & 0xFFFFFF);
    EXPECT_EQ(BLACK, GetPixel(dc, 10, 19) & 0xFFFFFF);
    EXPECT_EQ(transparent, GetPixel(dc, 5, 5) & 0xFFFFFF);
    EXPECT_EQ(transparent, GetPixel(dc, 20, 15) & 0xFFFFFF);
    SelectObject(dc, old);
    DeleteDC(dc);
}

}  // namespace
