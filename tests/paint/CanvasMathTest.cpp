// The frame canvas's arithmetic: pixels from mouse positions, scrolling, the
// wheel, auto-scroll, the view size and layout, cell sizes and the keyboard
// pixel cursor.
#include "CanvasMath.h"
#include <gtest/gtest.h>

namespace {

LPARAM Point(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

TEST(CanvasPixel, FromLParamRoundsNegativesTowardsZero)
{
    struct Case {
        int x, y, zoom, px, py;
    } cases[] = {
        {0, 0, 0, 0, 0},       {17, 9, 0, 17, 9},     {17, 9, 3, 2, 1},      {15, 16, 3, 1, 2},
        {-1, -7, 3, 0, 0},     {-8, -9, 3, -1, -1},   {-17, -16, 3, -2, -2}, {-3, 5, 1, -1, 2},
        {32767, -32768, 2, 8191, -8192},
    };
    for (const Case& c : cases) {
        const POINT p = PixelFromLParam(Point(c.x, c.y), c.zoom);
        EXPECT_EQ(c.px, p.x) << c.x << "," << c.y << " zoom " << c.zoom;
        EXPECT_EQ(c.py, p.y) << c.x << "," << c.y << " zoom " << c.zoom;
    }
}

TEST(CanvasScroll, StepIsAThirdOfTheVisibleFramePixelsAtLeast8)
{
    EXPECT_EQ(50, ScrollStep(300, 1));   // 150 frame pixels
    EXPECT_EQ(100, ScrollStep(300, 0));
    EXPECT_EQ(12, ScrollStep(300, 3));   // 37 frame pixels
    EXPECT_EQ(8, ScrollStep(64, 3));     // 8 / 3 is below the least step
    EXPECT_EQ(8, ScrollStep(0, 0));
}

TEST(CanvasScroll, BarCodes)
{
    // position 20 of 0..100, step 30, thumb at 70
    struct Case {
        int code, delta;
    } cases[] = {
        {SB_LINEUP, -1},    {SB_LINEDOWN, 1},     {SB_PAGEUP, -30}, {SB_PAGEDOWN, 30},
        {SB_THUMBTRACK, 50}, {SB_THUMBPOSITION, 50}, {SB_TOP, -20},  {SB_BOTTOM, 80},
        {SB_ENDSCROLL, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(c.delta, ScrollBarDelta(c.code, 70, 20, 100, 30)) << "code " << c.code;
}

TEST(CanvasScroll, DeltasStayWithinZeroAndTheMaximum)
{
    EXPECT_EQ(10, ClampScrollDelta(0, 10, 40));
    EXPECT_EQ(40, ClampScrollDelta(0, 50, 40));
    EXPECT_EQ(-5, ClampScrollDelta(5, -50, 40));
    EXPECT_EQ(0, ClampScrollDelta(0, -1, 40));
    EXPECT_EQ(0, ClampScrollDelta(0, 9, 0));     // nothing to scroll
    EXPECT_EQ(0, ClampScrollDelta(0, 9, -12));   // a negative maximum counts as 0
}

TEST(CanvasWheel, WholeNotchesAsWritten)
{
    int remainder = 0;
    EXPECT_EQ(-1, WheelSteps(-120, &remainder));
    EXPECT_EQ(0, remainder);
    EXPECT_EQ(3, WheelSteps(360, &remainder));
    EXPECT_EQ(-2, WheelSteps(-240, &remainder));
    EXPECT_EQ(0, remainder);
}

TEST(CanvasWheel, TheWrittenExampleScrollsDownByAStepClampedAtTheMaximum)
{
    // -120 with a 300 pixel high buffer at zoom 2:1: down by 50 frame pixels.
    int remainder = 0;
    const int scroll = -WheelSteps(-120, &remainder) * ScrollStep(300, 1);
    EXPECT_EQ(50, scroll);
    EXPECT_EQ(50, ClampScrollDelta(0, scroll, 120));
    EXPECT_EQ(20, ClampScrollDelta(100, scroll, 120));
}

TEST(CanvasWheel, SmallDeltasAddUpToOneStepPer120)
{
    // A fine wheel reports 30 per detent: four of them make one step, not 30.
    int remainder = 0;
    int steps = 0;
    for (int i = 0; i < 3; ++i) steps += WheelSteps(30, &remainder);
    EXPECT_EQ(0, steps);
    EXPECT_EQ(1, WheelSteps(30, &remainder));
    EXPECT_EQ(0, remainder);
    for (int i = 0; i < 8; ++i) steps += WheelSteps(-30, &remainder);
    EXPECT_EQ(-2, steps);
    // A turn back drops the part of a notch gathered the other way.
    EXPECT_EQ(0, WheelSteps(90, &remainder));
    EXPECT_EQ(0, WheelSteps(-60, &remainder));
    EXPECT_EQ(-60, remainder);
    // 180 is one notch and half of the next.
    remainder = 0;
    EXPECT_EQ(1, WheelSteps(180, &remainder));
    EXPECT_EQ(1, WheelSteps(60, &remainder));
}

TEST(CanvasAutoScroll, DistancesOutsideTheView)
{
    struct Case {
        int client, extent, distance;
    } cases[] = {
        {200 + 40, 200, 3},   // 40 pixels right of the view
        {-200, 200, -12},     // 200 pixels left of it
        {200, 200, 1},        {215, 200, 1},   {216, 200, 2},  {1000, 200, 8},
        {-1, 200, -1},        {-12, 200, -2},  {-133, 200, -12},
        {0, 200, 0},          {199, 200, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(c.distance, AutoScrollDistance(c.client, c.extent)) << c.client;
}

TEST(CanvasViewSize, RaisedTo64AndCutAt8TimesTheFrame)
{
    struct Case {
        int requested, frame, size;
    } cases[] = {
        {40, 100, 64}, {64, 100, 64}, {65, 100, 65}, {0, 100, 64}, {800, 100, 800},
        {801, 100, 800}, {65535, 100, 800}, {65535, 8, 64}, {300, 0, 300},
    };
    for (const Case& c : cases) EXPECT_EQ(c.size, ClampViewSize(c.requested, c.frame)) << c.requested << " " << c.frame;
}

TEST(CanvasLayoutTest, VisibleAreaMaximaAndScrollBars)
{
    struct Case {
        int bufferW, bufferH, frameW, frameH, zoom;
        CanvasLayout expected;
    } cases[] = {
        // The frame fits: the view is the enlarged frame, no scrolling.
        {400, 300, 40, 30, 3, {320, 240, 0, 0, 50, 37, false, false}},
        // Too wide at 8:1, fits in height.
        {200, 300, 40, 30, 3, {200, 240, 15, 0, 25, 37, true, false}},
        // Too large both ways at 2:1.
        {300, 300, 200, 400, 1, {300, 300, 50, 250, 150, 150, true, true}},
        // Exactly the enlarged frame.
        {160, 120, 40, 30, 2, {160, 120, 0, 0, 40, 30, false, false}},
        // A partial enlarged pixel at the edge still scrolls by whole pixels.
        {100, 64, 13, 8, 3, {100, 64, 1, 0, 12, 8, true, false}},
    };
    for (const Case& c : cases) {
        const CanvasLayout l = ComputeCanvasLayout(c.bufferW, c.bufferH, c.frameW, c.frameH, c.zoom);
        const CanvasLayout& e = c.expected;
        SCOPED_TRACE(testing::Message() << c.bufferW << "x" << c.bufferH << " frame " << c.frameW << "x" << c.frameH
                                        << " zoom " << c.zoom);
        EXPECT_EQ(e.viewWidth, l.viewWidth);
        EXPECT_EQ(e.viewHeight, l.viewHeight);
        EXPECT_EQ(e.maxScrollX, l.maxScrollX);
        EXPECT_EQ(e.maxScrollY, l.maxScrollY);
        EXPECT_EQ(e.pageX, l.pageX);
        EXPECT_EQ(e.pageY, l.pageY);
        EXPECT_EQ(e.hBarShown, l.hBarShown);
        EXPECT_EQ(e.vBarShown, l.vBarShown);
    }
}

TEST(CanvasCells, SizeByZoomAndGrid)
{
    const int withGrid[4] = {1, 2, 3, 7}, without[4] = {1, 2, 4, 8};
    for (int zoom = 0; zoom < 4; ++zoom) {
        EXPECT_EQ(withGrid[zoom], CellSizeFor(zoom, 1)) << zoom;
        EXPECT_EQ(without[zoom], CellSizeFor(zoom, 0)) << zoom;
    }
}

TEST(CanvasKeyCursor, ArrowsStepOneEnlargedPixelAndScrollAtTheEdges)
{
    struct Case {
        int position, direction, factor, extent;
        KeyCursorMove expected;
    } cases[] = {
        {20, -1, 8, 200, {12, 0}},  {5, -1, 8, 200, {0, -1}},    {7, -1, 8, 200, {0, -1}},
        {8, -1, 8, 200, {0, 0}},    {20, 1, 8, 200, {28, 0}},    {195, 1, 8, 200, {192, 1}},
        {191, 1, 8, 200, {199, 0}}, {0, -1, 1, 64, {0, -1}},     {63, 1, 1, 64, {63, 1}},
    };
    for (const Case& c : cases) {
        const KeyCursorMove m = KeyCursorStep(c.position, c.direction, c.factor, c.extent);
        EXPECT_EQ(c.expected.position, m.position) << c.position << " " << c.direction << " x" << c.factor;
        EXPECT_EQ(c.expected.scroll, m.scroll) << c.position << " " << c.direction << " x" << c.factor;
    }
    EXPECT_EQ(12, CellMiddle(12, 8));
    EXPECT_EQ(12, CellMiddle(15, 8));
    EXPECT_EQ(4, CellMiddle(0, 8));
    EXPECT_EQ(7, CellMiddle(7, 1));
    EXPECT_EQ(3, CellMiddle(2, 2));
}

}  // namespace
