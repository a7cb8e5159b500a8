// The arithmetic of the film strip (layout, scrolling, hit tests) and of the
// print dialog (page fitting, drops, corners, resizing, read-outs, printer
// coordinates, band sources), and the Install Animation item line.
#include "FilmStrip.h"
#include "Printing.h"
#include "ShellDialogs.h"
#include <gtest/gtest.h>
#include <cstring>
#include <string>

namespace {

constexpr int kBar = 17;  // a scroll bar's height in these tables

TEST(FilmStripLayout, WideHighAndVeryLowStrips)
{
    struct Case {
        const char* what;
        int clientWidth, clientHeight, frameWidth, frameHeight, count;
        FilmStripLayout expected;  // thumbWidth, thumbHeight, scaledWidth, rangeMax, maxPosition, pageItems
    };
    const Case cases[] = {
        // 90 - 17 - 16 = 57 rows; square frames: 57 wide; content (57 + 10) x 6 + 10 = 412.
        {"square frames that fit", 480, 90, 16, 16, 6, {57, 57, 57, 469, 0, 7}},
        {"square frames past the end", 200, 90, 16, 16, 6, {57, 57, 57, 469, 269, 2}},
        // 2048 / (8 / 57) = 14592: wider than half the client, so the film
        // may scroll until its end stands at the middle.
        {"frames much wider than high", 300, 90, 2048, 8, 3, {14592, 57, 14592, 58408, 43666, 1}},
        // 8 / (2048 / 57) = 0.22: thumbnails of the least width, cells of 10.
        {"frames much higher than wide", 100, 90, 8, 2048, 20, {4, 57, 0, 210, 110, 10}},
        {"a strip too low for thumbnails", 300, 30, 16, 16, 5, {4, 0, 0, 60, 0, 30}},
        {"no frame height", 300, 90, 16, 0, 5, {4, 0, 0, 60, 0, 30}},
        {"empty strip", 300, 90, 16, 16, 0, {57, 57, 57, 67, 0, 4}},
    };
    for (const Case& c : cases) {
        const FilmStripLayout l = ComputeFilmStripLayout(c.clientWidth, c.clientHeight, kBar, c.frameWidth, c.frameHeight, c.count);
        EXPECT_EQ(l.thumbWidth, c.expected.thumbWidth) << c.what;
        EXPECT_EQ(l.thumbHeight, c.expected.thumbHeight) << c.what;
        EXPECT_EQ(l.scaledWidth, c.expected.scaledWidth) << c.what;
        EXPECT_EQ(l.rangeMax, c.expected.rangeMax) << c.what;
        EXPECT_EQ(l.maxPosition, c.expected.maxPosition) << c.what;
        EXPECT_EQ(l.pageItems, c.expected.pageItems) << c.what;
    }
}

TEST(FilmStripLayout, HugeStripsStayWithinRange)
{
    // A frame 2048 wide and 1 high in a tall strip would pass 2^31 pixels.
    const FilmStripLayout l = ComputeFilmStripLayout(500, 4000, kBar, 2048, 1, 255);
    EXPECT_GT(l.rangeMax, 0);
    EXPECT_GT(l.maxPosition, 0);
    EXPECT_LE(l.maxPosition, l.rangeMax);
}

TEST(FilmStripScrolling, CodesMoveThePosition)
{
    // thumbWidth 57 (cells of 67), page 200, range 0..469: last = 469 - 200 + 1 = 270.
    struct Case {
        int code, position, track, expected;
    };
    const Case cases[] = {
        {SB_LINELEFT, 100, 0, 33},   {SB_LINELEFT, 50, 0, 0},        {SB_LINERIGHT, 100, 0, 167},
        {SB_LINERIGHT, 250, 0, 270}, {SB_PAGELEFT, 150, 0, 50},      {SB_PAGELEFT, 40, 0, 0},
        {SB_PAGERIGHT, 100, 0, 200}, {SB_PAGERIGHT, 200, 0, 270},    {SB_TOP, 120, 0, 0},
        {SB_BOTTOM, 0, 0, 270},      {SB_THUMBTRACK, 0, 123, 123},   {SB_THUMBPOSITION, 0, 77, 77},
        {SB_ENDSCROLL, 99, 0, 99},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FilmStripScrollTarget(c.code, c.position, c.track, 57, 200, 469), c.expected)
            << "code " << c.code << " from " << c.position;
    // Thumb positions past 65535: the tracking position keeps all its bits.
    EXPECT_EQ(FilmStripScrollTarget(SB_THUMBTRACK, 0, 70000, 14592, 300, 100000), 70000);
    // A film shorter than the page never scrolls.
    EXPECT_EQ(FilmStripScrollTarget(SB_LINERIGHT, 0, 0, 57, 480, 469), 0);
}

TEST(FilmStripScrolling, ItemsComeIntoView)
{
    struct Case {
        int item, position, thumbWidth, clientWidth, expected;
    };
    const Case cases[] = {
        {0, 0, 57, 200, 0},       // visible
        {2, 0, 57, 200, 0},       // x 134 - 0 + 5 = 139 < 200 - 28
        {3, 0, 57, 200, 78},      // right of the view: 201 + 57 - 200 + 20
        {1, 300, 57, 200, 67},    // left of the view: its own x
        {0, 300, 57, 200, 0},
        {0, 0, 500, 200, 320},    // a thumbnail wider than the view: its right end in view
    };
    for (const Case& c : cases)
        EXPECT_EQ(FilmStripScrollIntoView(c.item, c.position, c.thumbWidth, c.clientWidth), c.expected)
            << "item " << c.item << " at " << c.position;
}

TEST(FilmStripScrolling, ClicksHitThumbnailsOnly)
{
    // Cells of 67 from x 10: item 0 at 10..67, item 1 at 77..134.
    struct Case {
        int x, scrollPos, count, expected;
    };
    const Case cases[] = {{5, 0, 3, -1},   {10, 0, 3, 0},  {67, 0, 3, 0},   {70, 0, 3, -1}, {77, 0, 3, 1},
                          {150, 0, 2, -1}, {10, 67, 3, 1}, {0, 5, 3, -1},  {144, 0, 3, 2}, {150, 0, 3, 2}};
    for (const Case& c : cases)
        EXPECT_EQ(FilmStripHitTest(c.x, c.scrollPos, 57, c.count), c.expected) << "x " << c.x << " scroll " << c.scrollPos;
}

// ---- printing ------------------------------------------------------------------------------

TEST(PrintArithmetic, PageFitsTheView)
{
    // A portrait page of 2400 x 3300 pixels, 203 x 279 mm, in a view of 300 x 200.
    const PrinterCaps portrait = {2400, 3300, 203, 279, 300, 300};
    PageGeometry g{};
    ASSERT_TRUE(ComputePageGeometry(portrait, 300, 200, 0, 0, &g));
    // Fitted to the width (296): s = 2400 / 296; the page is 296 x 406 and scrolls.
    EXPECT_DOUBLE_EQ(g.scale, 2400.0 / 296);
    EXPECT_EQ(g.pageWidth, 296);
    EXPECT_EQ(g.pageHeight, 406);
    EXPECT_EQ(g.scrollMaxX, 0);
    EXPECT_EQ(g.scrollMaxY, 406 - 200 + 4);
    EXPECT_NEAR(g.pixelsPerMmX, 296.0 / 203, 1e-9);

    // A landscape page is fitted to the height; the client is then more than
    // 6 pixels wider than the page, so the width decides after all.
    const PrinterCaps landscape = {3300, 2400, 279, 203, 300, 300};
    ASSERT_TRUE(ComputePageGeometry(landscape, 400, 200, 17, 17, &g));
    EXPECT_DOUBLE_EQ(g.scale, 3300.0 / (400 - 17 - 4));
    // Without the spare width the height decides.
    ASSERT_TRUE(ComputePageGeometry(landscape, 250, 200, 0, 0, &g));
    EXPECT_DOUBLE_EQ(g.scale, 2400.0 / 196);

    // Views and printers too small to divide by are refused.
    EXPECT_FALSE(ComputePageGeometry(portrait, 4, 200, 0, 0, &g));
    EXPECT_FALSE(ComputePageGeometry(portrait, 300, 20, 17, 0, &g));
    EXPECT_FALSE(ComputePageGeometry({0, 3300, 203, 279, 300, 300}, 300, 200, 0, 0, &g));
    EXPECT_FALSE(ComputePageGeometry({2400, 3300, 0, 279, 300, 300}, 300, 200, 0, 0, &g));
}

TEST(PrintArithmetic, ReadoutTexts)
{
    struct Case {
        char axis;
        int tenths;
        const char* unit;
        const char* expected;
    };
    const Case cases[] = {{'X', 1234, "mm", "X: 123,4mm"}, {'Y', 5, "mm", "Y: 000,5mm"}, {'X', 1000, "%", "X: 100,0%"},
                          {'Y', 0, "%", "Y: 000,0%"},      {'X', 25019, "%", "X: 2501,9%"}, {'X', -15, "mm", "X: -001,5mm"}};
    for (const Case& c : cases) {
        char text[32];
        FormatReadout(text, sizeof text, c.axis, c.tenths, c.unit);
        EXPECT_STREQ(text, c.expected);
    }
    // 10 view pixels at 2 pixels per millimetre are 5.0 mm.
    EXPECT_EQ(TenthsOfMillimetre(10, 2.0), 50);
    EXPECT_EQ(TenthsOfMillimetre(7, 1.5), 46);
    // A frame of 32 screen pixels at 96 dpi on a 300 dpi printer is 100 printer
    // pixels, 25 view pixels at a scale of 4.
    EXPECT_EQ(NaturalViewSize(32, 300, 96, 4.0), 25);
    EXPECT_EQ(TenthsOfPercent(25, 25), 1000);
    EXPECT_EQ(TenthsOfPercent(50, 25), 2000);
    EXPECT_EQ(TenthsOfPercent(12, 25), 480);
    EXPECT_EQ(TenthsOfPercent(12, 0), 0);
}

TEST(PrintArithmetic, DroppedFramesFitThePage)
{
    struct Case {
        const char* what;
        int width, height, x, y;
        PlacedFrame expected;
    };
    // A page of 200 x 300 view pixels.
    const Case cases[] = {
        {"centred on the point", 40, 20, 100, 50, {3, 80, 40, 40, 20}},
        {"near an edge it may stand over it", 40, 20, 5, 5, {3, -15, -5, 40, 20}},
        {"wider than the page: fitted to its width, centred", 400, 100, 20, 20, {3, 0, 125, 200, 50}},
        {"higher than the page: fitted to its height", 100, 600, 20, 20, {3, 75, 0, 50, 300}},
        {"wider, then still higher", 400, 1000, 20, 20, {3, 40, 0, 120, 300}},
        {"dropped outside the page: centred on it", 40, 20, 250, 50, {3, 80, 140, 40, 20}},
    };
    for (const Case& c : cases) {
        const PlacedFrame f = PlaceDroppedFrame(3, c.width, c.height, c.x, c.y, 200, 300);
        EXPECT_EQ(f.frameIndex, 3) << c.what;
        EXPECT_EQ(f.x, c.expected.x) << c.what;
        EXPECT_EQ(f.y, c.expected.y) << c.what;
        EXPECT_EQ(f.width, c.expected.width) << c.what;
        EXPECT_EQ(f.height, c.expected.height) << c.what;
    }
}

TEST(PrintArithmetic, CornersAndResizing)
{
    const PlacedFrame frame = {0, 10, 20, 40, 30};
    struct HitCase {
        int x, y, corner;
    };
    for (const HitCase& c : {HitCase{10, 20, 0}, HitCase{13, 17, 0}, HitCase{50, 20, 1}, HitCase{52, 52, 2},
                             HitCase{9, 50, 3}, HitCase{14, 20, -1}, HitCase{30, 35, -1}})
        EXPECT_EQ(HitCorner(frame, c.x, c.y), c.corner) << c.x << "," << c.y;

    // A 16 x 12 frame placed at 40 x 30 (2.5 times).
    struct ResizeCase {
        const char* what;
        int corner, x, y;
        bool keepAspect;
        PlacedFrame expected;  // unnormalised: the fixed corner and the signed size
    };
    const ResizeCase cases[] = {
        {"free: bottom right follows", 2, 70, 40, false, {0, 10, 20, 60, 20}},
        {"free: top left follows", 0, 0, 0, false, {0, 50, 50, -50, -50}},
        {"free: past the opposite corner", 2, 0, 10, false, {0, 10, 20, -10, -10}},
        {"aspect: the width changed more and decides", 2, 90, 45, true, {0, 10, 20, 80, 60}},
        {"aspect: the height changed more and decides", 2, 55, 80, true, {0, 10, 20, 80, 60}},
        {"aspect: top right corner", 1, 42, -100, true, {0, 10, 50, 200, -150}},
        {"aspect: bottom left corner", 3, 34, 50, true, {0, 50, 20, -16, 12}},
    };
    for (const ResizeCase& c : cases) {
        const PlacedFrame r = ResizeFromCorner(frame, c.corner, c.x, c.y, c.keepAspect, 16, 12);
        EXPECT_EQ(r.x, c.expected.x) << c.what;
        EXPECT_EQ(r.y, c.expected.y) << c.what;
        EXPECT_EQ(r.width, c.expected.width) << c.what;
        EXPECT_EQ(r.height, c.expected.height) << c.what;
    }
}

TEST(PrintArithmetic, PrinterCoordinatesAreEvenAndBelow32768)
{
    struct Case {
        int view;
        double scale;
        int expected;
    };
    const Case cases[] = {{100, 2.5, 250}, {101, 2.5, 252}, {7, 1.0, 6},      {0, 3.3, 0},
                          {15000, 3.0, 32766}, {-3, 1.0, -4}, {333, 8.11, 2700}, {40000, 1.0, 32766}};
    for (const Case& c : cases) {
        const int value = ToPrinterPixels(c.view, c.scale);
        EXPECT_EQ(value, c.expected) << c.view << " x " << c.scale;
        EXPECT_EQ(value % 2, 0);
        EXPECT_LT(value, 32768);
    }
}

TEST(PrintArithmetic, BandSourcesStayInsideTheDib)
{
    // A 16 x 16 DIB placed at (100, 200) as 64 x 64 (scale 4).
    const RECT placed = {100, 200, 164, 264};
    struct Case {
        const char* what;
        RECT band;
        bool meets;
        RECT destination, source;  // source: rows from the bottom
    };
    const Case cases[] = {
        {"the whole page", {0, 0, 1000, 1000}, true, {100, 200, 164, 264}, {0, 0, 16, 16}},
        {"the upper half", {0, 0, 1000, 232}, true, {100, 200, 164, 232}, {0, 8, 16, 16}},
        {"the lower half", {0, 232, 1000, 1000}, true, {100, 232, 164, 264}, {0, 0, 16, 8}},
        {"a band of one destination row", {0, 263, 1000, 264}, true, {100, 263, 164, 264}, {0, 0, 16, 1}},
        {"the right quarter", {148, 0, 1000, 1000}, true, {148, 200, 164, 264}, {12, 0, 16, 16}},
        {"a band above", {0, 0, 1000, 200}, false, {}, {}},
    };
    for (const Case& c : cases) {
        RECT destination{}, source{};
        ASSERT_EQ(BandSourceRect(placed, c.band, 16, 16, &destination, &source), c.meets) << c.what;
        if (!c.meets) continue;
        EXPECT_TRUE(EqualRect(&destination, &c.destination)) << c.what;
        EXPECT_TRUE(EqualRect(&source, &c.source)) << c.what << ": " << source.left << "," << source.top << ","
                                                   << source.right << "," << source.bottom;
        EXPECT_GE(source.left, 0);
        EXPECT_GE(source.top, 0);
        EXPECT_LE(source.right, 16);
        EXPECT_LE(source.bottom, 16);
    }
    // Rounding at the far edge never reaches past the DIB: a placement of 3
    // pixels for 2 source pixels, cut by a band at 2.
    RECT destination, source;
    const RECT odd = {0, 0, 3, 3};
    ASSERT_TRUE(BandSourceRect(odd, {0, 2, 10, 10}, 2, 2, &destination, &source));
    EXPECT_GE(source.top, 0);
    EXPECT_LE(source.bottom, 2);
    EXPECT_LE(source.right, 2);
}

// ---- Install Animation -------------------------------------------------------------------

TEST(InstallItemLine, FolderPlayerAndAnimation)
{
    char line[MAX_PATH];
    ASSERT_TRUE(BuildInstallItemLine("C:\\Zelvo\\", "RUNZELVO.EXE ", "C:\\anims\\walk.ans", line, sizeof line));
    EXPECT_STREQ(line, "C:\\Zelvo\\RUNZELVO.EXE C:\\anims\\walk.ans");
    // A line longer than a command line may be is refused, not cut.
    const std::string longPath = "C:\\" + std::string(240, 'a') + ".ans";
    strcpy(line, "untouched");
    EXPECT_FALSE(BuildInstallItemLine("C:\\Zelvo\\", "RUNZELVO.EXE ", longPath.c_str(), line, sizeof line));
    EXPECT_STREQ(line, "untouched");
    EXPECT_FALSE(BuildInstallItemLine("C:\\Zelvo\\", "RUNZELVO.EXE ", "C:\\a.ans", line, 10));
}

}  // namespace
