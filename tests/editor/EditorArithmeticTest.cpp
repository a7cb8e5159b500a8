// The editor's start-up and layout arithmetic, checked as tables of cases.
#include "AppState.h"
#include "DocumentModel.h"
#include "EditorStartup.h"
#include "MainWindow.h"
#include "Workspace.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <cstring>

TEST(EditorStartup, PlacementClampsToTheScreen)
{
    struct Case { const char* stored; RECT expected; } cases[] = {
        {"", {CW_USEDEFAULT, CW_USEDEFAULT, 768, 568}},
        {"10 10 50 50", {10, 10, 768, 568}},          // both below the minimum
        {"100 50 2000 400", {100, 50, 768, 400}},     // wider than the screen: default width
        {"900 700 400 300", {624, 468, 400, 300}},    // overflows right and bottom
        {"-40 -7 400 300", {0, 0, 400, 300}},
        {"20 30", {20, 30, 768, 568}},                // missing fields keep their defaults
        {"x y 500 400", {0, 0, 768, 568}},  // a stored value is clamped, defaults and all
    };
    for (const Case& c : cases) {
        const RECT r = PlaceMainWindow(c.stored, 1024, 768);
        EXPECT_EQ(r.left, c.expected.left) << c.stored;
        EXPECT_EQ(r.top, c.expected.top) << c.stored;
        EXPECT_EQ(r.right, c.expected.right) << c.stored;
        EXPECT_EQ(r.bottom, c.expected.bottom) << c.stored;
    }
}

TEST(EditorStartup, InstanceNumbering)
{
    // Editors 1 and 2 running (in either order) give 3; an editor 9 gives 1.
    EXPECT_EQ(FinalInstanceNumber(CountInstance(CountInstance(1, 1), 2)), 3);
    EXPECT_EQ(FinalInstanceNumber(CountInstance(CountInstance(1, 2), 1)), 3);
    EXPECT_EQ(FinalInstanceNumber(CountInstance(1, 9)), 1);
    EXPECT_EQ(FinalInstanceNumber(1), 1);
    EXPECT_EQ(CountInstance(4, 2), 4);
}

TEST(EditorStartup, DisplayColorCounts)
{
    const int table[][2] = {{1, 2}, {4, 16}, {8, 256}, {15, 32768}, {16, 65536}, {24, 16777216}, {32, 16777217}};
    for (const auto& row : table) EXPECT_EQ(ColorCountFromDisplayBits(row[0]), row[1]) << row[0];
}

TEST(EditorStartup, TitleWords)
{
    const char* words[] = {"ONE", "TWO", "THREE", "FOUR", "FIVE", "SIX", "SEVEN", "EIGHT", "NINE"};
    for (int n = 1; n <= 9; ++n) {
        char title[32];
        FormatBaseTitle(title, sizeof title, n);
        EXPECT_EQ(std::string(title), std::string("Zelvo ") + words[n - 1]);
    }
}

TEST(EditorStartup, AssociationValues)
{
    char out[300];
    ASSERT_TRUE(FormatAssociationValue("%s *1", "C:\\Zelvo\\ZELVO.EXE", out, sizeof out));
    EXPECT_STREQ(out, "C:\\Zelvo\\ZELVO.EXE \"%1\"");
    ASSERT_TRUE(FormatAssociationValue("%s *1", "C:\\Program Files\\Zelvo\\ZELVO.EXE", out, sizeof out));
    EXPECT_STREQ(out, "\"C:\\Program Files\\Zelvo\\ZELVO.EXE\" \"%1\"");
    // A path holding "%" is copied as text, never used as a format.
    ASSERT_TRUE(FormatAssociationValue("%s *1", "C:\\100%s\\Z.EXE", out, sizeof out));
    EXPECT_STREQ(out, "C:\\100%s\\Z.EXE \"%1\"");
    EXPECT_FALSE(FormatAssociationValue("%s *1", "C:\\Zelvo\\ZELVO.EXE", out, 10));
}

TEST(Workspace, LayoutTable)
{
    struct Case {
        int w, h, fw, fh, placement, hsplit, vsplit;
        int cw, ch, filmX, filmY, filmW, filmH, gripX, gripY;
    } cases[] = {
        // film right: a 32 x 64 frame; canvas width from the split, height (H - 30) rounded to 8
        {700, 400, 32, 64, FILM_RIGHT, 200, 0, 200, 368, 312, 30, 388, 114, 296, 30},
        // film below: 48 x 48, wide workspace; the film takes its height, the canvas grows to 8 x fh at most
        {760, 500, 48, 48, FILM_BELOW, 0, 200, 672, 352, 67, 403, 693, 98, 88, 386},
        // a split below 64 is raised to 64
        {700, 400, 32, 64, FILM_RIGHT, 10, 0, 64, 368, 176, 30, 524, 114, 160, 30},
    };
    for (const Case& c : cases) {
        LayoutInput in{c.w, c.h, c.fw, c.fh, c.placement, c.hsplit, c.vsplit, 17, 17, false};
        const ViewLayout l = ComputeViewLayout(in);
        EXPECT_EQ(l.canvasWidth, c.cw);
        EXPECT_EQ(l.canvasHeight, c.ch);
        EXPECT_EQ(l.filmX, c.filmX);
        EXPECT_EQ(l.filmY, c.filmY);
        EXPECT_EQ(l.filmWidth, c.filmW);
        EXPECT_EQ(l.filmHeight, c.filmH);
        EXPECT_EQ(l.gripX, c.gripX);
        EXPECT_EQ(l.gripY, c.gripY);
        EXPECT_EQ(l.canvasWidth % 8, 0);
        EXPECT_EQ(l.canvasHeight % 8, 0);
    }
}

TEST(Workspace, PlacementZoomSplitsAndFilm)
{
    EXPECT_EQ(AutomaticFilmPlacement(48, 48), FILM_BELOW);  // square: below
    EXPECT_EQ(AutomaticFilmPlacement(32, 64), FILM_RIGHT);
    EXPECT_EQ(ViewZoomForSize(400, 300, 48, 48), 3);   // along the height: 300 -> 150 -> 75 -> 37
    EXPECT_EQ(ViewZoomForSize(1000, 800, 16, 16), 3);  // at most three halvings
    EXPECT_EQ(ViewZoomForSize(100, 100, 200, 100), 0);
    EXPECT_EQ(ViewZoomForSize(400, 100, 150, 40), 2);  // along the width: 400 -> 200 -> 100, not above 150
    EXPECT_EQ(SplitPercent(3, 100), 50);  // 3 % reads as 50 %
    EXPECT_EQ(SplitPercent(200, 400), 50);
    EXPECT_EQ(SplitPercent(120, 400), 30);
    EXPECT_EQ(SplitPercent(390, 400), 50);  // 97 % is outside 5..95

    FilmMetrics scaled = ComputeFilmMetrics(60, 100, 200, true);
    EXPECT_TRUE(scaled.scaled);
    EXPECT_EQ(scaled.thumbHeight, 28);
    EXPECT_EQ(scaled.thumbWidth, 14);
    FilmMetrics full = ComputeFilmMetrics(60, 100, 50, false);
    EXPECT_FALSE(full.scaled);
    EXPECT_EQ(full.hiddenHeight, 22);
    EXPECT_EQ(full.gap, 16);
    EXPECT_EQ(ComputeFilmMetrics(100, 40, 40, false).gap, 12);
    EXPECT_EQ(FilmLength(ComputeFilmMetrics(100, 40, 40, false), 5), (40 + 12) * 5 + 20);
}

TEST(MainWindow, StepWrapsAndEmptyDoesNothing)
{
    const int table[][3] = {{5, 5, 0}, {-1, 5, 4}, {3, 5, 3}, {0, 1, 0}, {0, 0, -1}, {-3, 0, -1}};
    for (const auto& row : table) EXPECT_EQ(WrapFrame(row[0], row[1]), row[2]) << row[0] << " of " << row[1];
    g_appState.frameCount = 0;
    g_appState.currentFrame = 0;
    EXPECT_EQ(StepCurrentFrame(1), -1);
    EXPECT_EQ(g_appState.currentFrame, 0);
}

TEST(MainWindow, MenuStateRules)
{
    struct SaveCase { int frames, sequence, animation, frame; bool enabled; } saves[] = {
        {0, 1, 1, 1, false},  {3, 0, 0, 0, false}, {3, 1, 0, 0, true},  {3, DOC_NEW, DOC_NONE, 0, true},
        {3, 0, 1, 0, true},   {3, DOC_NONE, DOC_NONE, 1, true}, {3, DOC_NONE, DOC_NONE, FRAME_UNSET, false},
    };
    for (const SaveCase& c : saves)
        EXPECT_EQ(SaveCommandEnabled(c.frames, c.sequence, c.animation, c.frame), c.enabled)
            << c.frames << " " << c.sequence << " " << c.animation << " " << c.frame;
    EXPECT_EQ(AnimationCheckFor(DOC_NONE, 0), 0u);
    EXPECT_EQ(AnimationCheckFor(0, 0), static_cast<UINT>(IDM_SEQUENCE_ANIMATION));
    EXPECT_EQ(AnimationCheckFor(0, 1), static_cast<UINT>(IDM_CYCLE_DEFINITION));
    EXPECT_EQ(AnimationCheckFor(0, 9), static_cast<UINT>(IDM_PATH_ANIMATION));
    EXPECT_FALSE(NewObjectEnabled(30));
    EXPECT_TRUE(NewObjectEnabled(29));
    EXPECT_FALSE(SelectObjectEnabled(1));
    EXPECT_TRUE(SelectObjectEnabled(2));
}

TEST(MainWindow, TitlesHelpAndNames)
{
    char title[200] = "Zelvo ONE";
    AppendTitlePaths(title, sizeof title, 0, "C:\\anim\\walk.ans", 0, "C:\\anim\\walk.bmx");
    EXPECT_STREQ(title, "Zelvo ONE - walk.ans");
    strcpy(title, "Zelvo TWO");
    AppendTitlePaths(title, sizeof title, 3, "C:\\anim\\walk.ans", 0, "C:\\anim\\walk.bmx");
    EXPECT_STREQ(title, "Zelvo TWO - C:\\anim\\walk.ans - walk.bmx");
    strcpy(title, "Zelvo ONE");
    AppendTitlePaths(title, sizeof title, 1, "C:\\anim\\walk.ans", DOC_NONE, nullptr);
    EXPECT_STREQ(title, "Zelvo ONE");
    // A long path is cut at the buffer, never written past it.
    char small[16] = "Zelvo ONE";
    AppendTitlePaths(small, sizeof small, 1, "C:\\a\\very\\long\\folder\\walk.ans", 0, nullptr);
    EXPECT_EQ(strlen(small), 15u);

    char help[MAX_PATH];
    ASSERT_TRUE(HelpFilePath("C:\\Zelvo\\ZELVO.EXE", help, sizeof help));
    EXPECT_STREQ(help, "C:\\Zelvo\\ZELVO.hlp");
    EXPECT_FALSE(HelpFilePath("C:\\Zel.vo\\ZELVO", help, sizeof help));

    EXPECT_EQ(GetFileNameOffset("C:\\a\\b.bmp"), 5);
    EXPECT_EQ(GetFileNameOffset("C:b.bmp"), 2);
    EXPECT_EQ(GetFileNameOffset("b.bmp"), 0);
    char name[64];
    FormatFrameFileName(name, sizeof name, "walk%d.bmp", 4);
    EXPECT_STREQ(name, "walk5.bmp");
    FormatFrameFileName(name, sizeof name, "walk%D_%d.bmp", 0);  // only the one pattern is numbered
    EXPECT_STREQ(name, "walk1_%d.bmp");

    char item[64];
    ContextItemText("&New...\bCtrl+N", item, sizeof item);
    EXPECT_STREQ(item, "&New...");
    ContextItemText("to the &Right \tF6", item, sizeof item);
    EXPECT_STREQ(item, "to the &Right ");
    ContextItemText("0123456789012345678901234567890123456789012345678901234", item, sizeof item);
    EXPECT_EQ(strlen(item), 47u);
}
