// The paint tools' and the text tool's plain rules: Ctrl snapping, line
// length, squares, ellipse boxes, the plan of a thick line, polygon closing,
// the arc's sense, the spray can's dots, the numbering of text lines and the
// font size tables.
#include "PaintMath.h"
#include "TextLines.h"
#include <gtest/gtest.h>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>
#include <cmath>

namespace {

TEST(PaintMath, CtrlSnapsLinesToTheNearestAxisOrDiagonal)
{
    struct Case {
        POINT mouse, end;
    } cases[] = {
        {{10, 3}, {10, 0}},    // v = 3 is not below t = 3: horizontal
        {{3, 10}, {0, 10}},    // vertical
        {{10, 4}, {7, 7}},     // v = 3 below both: diagonal, (10 + 4) / 2 each way
        {{-10, 9}, {-9, 9}},   // towards the mouse in each axis
        {{-6, -8}, {-7, -7}},
        {{5, 5}, {5, 5}},
        {{0, 0}, {0, 0}},
        {{7, 0}, {7, 0}},
    };
    for (const Case& c : cases) {
        const POINT end = SnapLineEnd({0, 0}, c.mouse);
        EXPECT_EQ(c.end.x, end.x) << c.mouse.x << "," << c.mouse.y;
        EXPECT_EQ(c.end.y, end.y) << c.mouse.x << "," << c.mouse.y;
    }
    const POINT moved = SnapLineEnd({100, 50}, {110, 53});
    EXPECT_EQ(110, moved.x);
    EXPECT_EQ(50, moved.y);
}

TEST(PaintMath, LineLengthCountsBothEndPixels)
{
    EXPECT_EQ(1, LineLength({4, 4}, {4, 4}));     // sqrt(2)
    EXPECT_EQ(6, LineLength({0, 0}, {3, 4}));     // sqrt(16 + 25) = 6.4
    EXPECT_EQ(11, LineLength({0, 0}, {-10, 0}));  // sqrt(121 + 1)
    EXPECT_EQ(14, LineLength({5, 5}, {-4, -4}));  // sqrt(200) = 14.1
}

TEST(PaintMath, SquaresTakeTheMeanSideTowardsTheMouse)
{
    const POINT a = SquareCorner({10, 10}, {20, 14});
    EXPECT_EQ(17, a.x);
    EXPECT_EQ(17, a.y);
    const POINT b = SquareCorner({10, 10}, {4, 30});
    EXPECT_EQ(-3, b.x);  // (6 + 20) / 2 = 13 to the left
    EXPECT_EQ(23, b.y);
}

TEST(PaintMath, EllipseBoxByCentreMode)
{
    struct Case {
        POINT mouse;
        bool circle;
        int mode;
        RECT box;
        int rh, rv;
    } cases[] = {
        {{14, 12}, false, 1, {6, 8, 15, 13}, 4, 2},   // the centre in the middle of its pixel
        {{14, 12}, false, 0, {6, 8, 14, 12}, 4, 2},   // on its corner
        {{6, 16}, false, 1, {6, 4, 15, 17}, 4, 6},
        {{14, 12}, true, 1, {7, 7, 14, 14}, 3, 3},    // Ctrl: the mean of both radii
        {{10, 10}, false, 1, {10, 10, 11, 11}, 0, 0},
    };
    for (const Case& c : cases) {
        const EllipseShape e = EllipseFor({10, 10}, c.mouse, c.circle, c.mode);
        SCOPED_TRACE(testing::Message() << c.mouse.x << "," << c.mouse.y << " mode " << c.mode);
        EXPECT_EQ(c.box.left, e.box.left);
        EXPECT_EQ(c.box.top, e.box.top);
        EXPECT_EQ(c.box.right, e.box.right);
        EXPECT_EQ(c.box.bottom, e.box.bottom);
        EXPECT_EQ(c.rh, e.rh);
        EXPECT_EQ(c.rv, e.rv);
    }
    EXPECT_FALSE(EllipseHasSize(EllipseFor({10, 10}, {10, 10}, false, 1)));  // the press point itself
    EXPECT_FALSE(EllipseHasSize(EllipseFor({10, 10}, {10, 15}, false, 0)));  // no width
    EXPECT_TRUE(EllipseHasSize(EllipseFor({10, 10}, {10, 15}, false, 1)));
}

// The pixels a plan paints, by stepping each stroke as a pixel line does
// (end excluded) inside the clip box.
std::set<std::pair<int, int>> PlannedPixels(const ThickLine& plan)
{
    std::set<std::pair<int, int>> pixels;
    for (int i = 0; i < plan.count; ++i) {
        const POINT a = plan.strokes[i].from, b = plan.strokes[i].to;
        const int steps = std::max(std::abs(b.x - a.x), std::abs(b.y - a.y));
        for (int s = 0; s < steps; ++s) {
            const int x = a.x + static_cast<int>(std::lround(double(b.x - a.x) * s / steps));
            const int y = a.y + static_cast<int>(std::lround(double(b.y - a.y) * s / steps));
            if (x >= plan.clip.left && x < plan.clip.right && y >= plan.clip.top && y < plan.clip.bottom)
                pixels.insert({x, y});
        }
    }
    return pixels;
}

TEST(PaintMath, AThreePixelLineFillsItsBox)
{
    ThickLine plan;
    PlanThickLine({0, 0}, {10, 0}, 3, false, &plan);
    EXPECT_EQ(-1, plan.clip.left);
    EXPECT_EQ(-1, plan.clip.top);
    EXPECT_EQ(12, plan.clip.right);  // exclusive: x -1..11
    EXPECT_EQ(2, plan.clip.bottom);  // rows -1..1
    EXPECT_EQ(6, plan.count);        // three lines, each twice
    EXPECT_EQ(13u * 3u, PlannedPixels(plan).size());
    PlanThickLine({4, 4}, {4, 4}, 3, false, &plan);
    EXPECT_EQ(0, plan.count);  // no length, nothing
}

TEST(PaintMath, ThickLinePensRunAcrossTheLine)
{
    ThickLine plan;
    PlanThickLine({0, 0}, {20, 5}, 4, false, &plan);
    ASSERT_EQ(8, plan.count);
    // dy >= 0: the first offset gets the last pen.
    EXPECT_EQ(3, plan.strokes[0].pen);
    EXPECT_EQ(0, plan.strokes[7].pen);
    PlanThickLine({0, 5}, {20, 0}, 4, false, &plan);
    EXPECT_EQ(0, plan.strokes[0].pen);
    EXPECT_EQ(3, plan.strokes[7].pen);
    // A continued line keeps its start only when asked; the end is always
    // carried on by the line's own length.
    PlanThickLine({0, 0}, {20, 0}, 2, true, &plan);
    EXPECT_EQ(-1, plan.strokes[0].from.x);  // offset k = -1 from the start itself
    EXPECT_EQ(39, plan.strokes[0].to.x);
    PlanThickLine({0, 0}, {20, 0}, 2, false, &plan);
    EXPECT_EQ(-21, plan.strokes[0].from.x);
}

TEST(PaintMath, PolygonClosesNearNodeZeroOnceTwoNodesExist)
{
    const POINT nodes[3] = {{20, 20}, {40, 20}, {30, 35}};
    EXPECT_TRUE(PolygonFinishes(nodes, 2, {21, 19}));   // (x0 + 1, y0 - 1)
    EXPECT_TRUE(PolygonFinishes(nodes, 3, {19, 21}));
    EXPECT_FALSE(PolygonFinishes(nodes, 1, {21, 19}));  // only node 0 so far
    EXPECT_FALSE(PolygonFinishes(nodes, 3, {22, 20}));
    EXPECT_FALSE(PolygonFinishes(nodes, 127, {90, 90}));
    EXPECT_TRUE(PolygonFinishes(nodes, 128, {90, 90}));  // the list is full
}

TEST(PaintMath, ArcSenseFollowsTheScreensTurn)
{
    const POINT centre = {50, 50};
    EXPECT_EQ(1, ArcSense(centre, {60, 50}, {60, 48}));    // right of the centre, moving up: counterclockwise
    EXPECT_EQ(-1, ArcSense(centre, {60, 50}, {60, 53}));   // moving down: clockwise
    EXPECT_EQ(1, ArcSense(centre, {50, 40}, {45, 40}));    // above, moving left
    EXPECT_EQ(-1, ArcSense(centre, {40, 50}, {40, 45}));   // left, moving up
    EXPECT_EQ(0, ArcSense(centre, {60, 50}, {70, 50}));    // straight out: undecided
}

// Kept-dot mask of a pen width as rows of '#' and '.'.
std::string SprayMask(int n)
{
    std::string rows;
    for (int m = 0; m < n + 2; ++m) {
        for (int h = 0; h < n + 2; ++h) rows += SprayKeeps(n, h, m) ? '#' : '.';
        rows += '\n';
    }
    return rows;
}

TEST(PaintMath, SprayMasksAreSquaresWithTheirCornersCut)
{
    EXPECT_EQ(".#.\n"
              "###\n"
              ".#.\n",
              SprayMask(1));  // (d, e, f) = (1, 1, 3)
    EXPECT_EQ(".##.\n"
              "####\n"
              "####\n"
              ".##.\n",
              SprayMask(2));  // (1, 2, 5)
    EXPECT_EQ("..###..\n"
              ".#####.\n"
              "#######\n"
              "#######\n"
              "#######\n"
              ".#####.\n"
              "..###..\n",
              SprayMask(5));  // d = 2, e = 4, f = 10
    const SprayRule twelve = SprayRuleFor(12);
    EXPECT_EQ(5, twelve.d);
    EXPECT_EQ(8, twelve.e);
    EXPECT_EQ(21, twelve.f);
    int kept = 0;
    for (int h = 0; h < 14; ++h)
        for (int m = 0; m < 14; ++m) kept += SprayKeeps(12, h, m);
    // 14 x 14 less the four corners of 15 each: sums below 5 or above 21, and
    // differences above 8 on both sides.
    EXPECT_EQ(14 * 14 - 4 * 15, kept);
    EXPECT_EQ(1, SprayOffset(1));
    EXPECT_EQ(1, SprayOffset(2));
    EXPECT_EQ(3, SprayOffset(5));
    EXPECT_EQ(6, SprayOffset(12));
}

unsigned g_seed;
int SeededRandom()
{
    g_seed = g_seed * 1103515245u + 12345u;
    return static_cast<int>((g_seed >> 16) & 0x7FFF);
}

TEST(PaintMath, SprayBurstsKeepToTheMaskAndTheirCount)
{
    for (int n : {1, 2, 5, 12}) {
        g_seed = 7;
        int total = 0;
        for (int burst = 0; burst < 200; ++burst) {
            SprayDot dots[MAX_PEN_WIDTH + 2];
            const int count = SprayBurst(n, SeededRandom, dots);
            ASSERT_LE(count, n + 2) << "n " << n;
            total += count;
            const int r = SprayOffset(n);
            for (int i = 0; i < count; ++i) {
                const int h = dots[i].dx + r, m = dots[i].dy + r;
                EXPECT_TRUE(SprayKeeps(n, h, m)) << "n " << n << " dot " << h << "," << m;
                EXPECT_EQ(SprayDepth(n, h, m), dots[i].depth);
                EXPECT_LE(dots[i].depth, n);
            }
        }
        EXPECT_GT(total, 0) << "n " << n;
    }
    // A source that always gives the middle of the patch: the deepest dot.
    g_seed = 0;
    SprayDot dots[MAX_PEN_WIDTH + 2];
    const int count = SprayBurst(5, [] { return 3; }, dots);
    EXPECT_EQ(7, count);  // n + 2 dots at the most
    EXPECT_EQ(0, dots[0].dx);
    EXPECT_EQ(0, dots[0].dy);
    EXPECT_EQ(SprayDepth(5, 3, 3), dots[0].depth);
    EXPECT_GT(dots[0].depth, SprayDepth(5, 0, 1));
}

TEST(TextLines, NumbersReplaceEachPercentD)
{
    struct Case {
        const char* line;
        int number;
        const char* shown;
    } cases[] = {
        {"Frame %d", 3, "Frame 3"},
        {"%d/%d", 12, "12/12"},                 // two: both numbered, nothing read past the arguments
        {"%s and %d", 6, "%s and 6"},           // other conversions are copied as they are
        {"100% sure %d", 8, "100% sure 8"},
        {"%%d", 2, "%2"},
        {"no number", 5, "no number"},
        {"%", 5, "%"},
        {"%d", -1, "-1"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.shown, NumberTextLine(c.line, c.number)) << c.line;
    const std::string longest(72 - 2, 'a');
    EXPECT_EQ(longest + "9", NumberTextLine(longest + "%d", 9));  // 72 characters: numbered
    const std::string over(71, 'a');
    EXPECT_EQ(over + "%d", NumberTextLine(over + "%d", 9));       // 73: unchanged
}

TEST(TextLines, LinesEndAtCarriageReturnsWithOrWithoutLineFeed)
{
    struct Case {
        const char* text;
        std::vector<std::string> lines;
    } cases[] = {
        {"one", {"one"}},
        {"one\r\ntwo", {"one", "two"}},
        {"one\r\n", {"one", ""}},
        {"one\r", {"one", ""}},                 // a lone CR at the end: no read past the text
        {"a\rb\r\nc", {"a", "b", "c"}},
        {"", {""}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines;
        for (const char* line = c.text; line;) {
            const char* end;
            const char* next = NextTextLine(line, &end);
            lines.emplace_back(line, end);
            line = next;
        }
        EXPECT_EQ(c.lines, lines) << testing::PrintToString(std::string(c.text));
    }
}

std::vector<int> Offered(const FontSizeTable& table)
{
    std::vector<int> sizes;
    for (int s = 0; s < SIZE_TABLE_BYTES; ++s)
        if (SizeOffered(table, s)) sizes.push_back(s);
    return sizes;
}

TEST(TextLines, SizeTablesFromTheFacesFonts)
{
    FontSizeTable table;
    ClearSizeTable(&table);
    LOGFONTA raster{};
    raster.lfHeight = 13;
    raster.lfCharSet = ANSI_CHARSET;
    raster.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    EXPECT_TRUE(EnterFontSizes(&table, raster, RASTER_FONTTYPE));  // the enumeration goes on
    EXPECT_EQ((std::vector<int>{13, 26, 39, 52}), Offered(table));
    EXPECT_EQ(VARIABLE_PITCH | FF_SWISS, table.bytes[26]);
    EXPECT_EQ(RASTER_FONTTYPE, table.bytes[1]);
    raster.lfHeight = 16;  // the next size of the same face adds its multiples
    EnterFontSizes(&table, raster, RASTER_FONTTYPE);
    EXPECT_EQ((std::vector<int>{13, 16, 26, 32, 39, 48, 52, 64}), Offered(table));

    ClearSizeTable(&table);
    LOGFONTA outline{};
    outline.lfHeight = 17;
    outline.lfCharSet = SYMBOL_CHARSET;
    EXPECT_FALSE(EnterFontSizes(&table, outline, TRUETYPE_FONTTYPE));  // one call says it all
    EXPECT_EQ((std::vector<int>{4, 5, 6, 7, 8, 9, 10, 11, 12, 14, 15, 16, 17, 18, 20, 22, 24, 26, 28, 30, 32, 36, 40,
                                44, 48, 52, 56, 60, 64}),
              Offered(table));
    EXPECT_EQ(SYMBOL_CHARSET, table.bytes[0]);
    EXPECT_EQ(TRUETYPE_FONTTYPE, table.bytes[1]);

    ClearSizeTable(&table);
    raster.lfHeight = 70;  // too high for the list
    EnterFontSizes(&table, raster, RASTER_FONTTYPE);
    EXPECT_TRUE(Offered(table).empty());
    raster.lfHeight = 0;   // a broken enumeration must not loop
    EnterFontSizes(&table, raster, RASTER_FONTTYPE);
    EXPECT_TRUE(Offered(table).empty());
}

}  // namespace
