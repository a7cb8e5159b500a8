// The geometric edits on 8-bit DIB sections: quarter turns of 3 x 2 and
// 2 x 3 areas around all nine pivots against a reference that turns the
// block as a whole, rounding and 2-pixel painting of other angles, the
// progress threshold, the pivot tables, shifts and flips with and without a
// lasso.
#include "AppState.h"
#include "DibPixels.h"
#include "FrameBitmaps.h"
#include "ImageOperations.h"
#include "Palette.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr int W = 9, H = 9;

class ImageOperations : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_appState.displayColorCount = COLORS_32BIT;
        SetColorFormat(COLORS_256, nullptr, 0);
        frame_ = CreateFrameBitmap(W, H);
        before_ = CreateFrameBitmap(W, H);
        ASSERT_TRUE(frame_ && before_);
        DibPixels p(before_);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) p.Set(x, y, static_cast<uint32_t>(y * W + x + 1));
        Copy(before_, frame_);
    }
    void TearDown() override
    {
        DeleteObject(frame_);
        DeleteObject(before_);
        FreeDocumentPalette();
    }
    static void Copy(HBITMAP from, HBITMAP to)
    {
        DibPixels a(from), b(to);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) b.Set(x, y, a.Get(x, y));
    }
    std::vector<uint32_t> Pixels(HBITMAP bitmap) const
    {
        DibPixels p(bitmap);
        std::vector<uint32_t> out;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) out.push_back(p.Get(x, y));
        return out;
    }
    HBITMAP frame_ = nullptr, before_ = nullptr;
};

// The reference: the area as a block turned by a quarter, placed where the
// pivot's offsets put it (the first new column lies at the pivot less the
// last old row's offset, less one for an even height; and so on).
std::vector<uint32_t> ReferenceQuarterTurn(const std::vector<uint32_t>& old, const FrameArea& a, int pivot,
                                           bool clockwise)
{
    const int row = pivot / 3, column = pivot % 3;
    const int x0 = column == 0 ? 0 : column == 1 ? -(a.width / 2) : 1 - a.width;
    const int y0 = row == 0 ? 0 : row == 1 ? -(a.height / 2) : 1 - a.height;
    const int px = a.x - x0, py = a.y - y0;
    std::vector<uint32_t> out = old;
    for (int j = 0; j < a.height; ++j)
        for (int i = 0; i < a.width; ++i) {
            int x, y;
            if (clockwise) {
                const int ox = px - (y0 + a.height - 1) - (a.height % 2 == 0), oy = py + x0;
                x = ox + (a.height - 1 - j);
                y = oy + i;
            } else {
                const int ox = px + y0, oy = py - (x0 + a.width - 1) - (a.width % 2 == 0);
                x = ox + j;
                y = oy + (a.width - 1 - i);
            }
            if (x >= 0 && y >= 0 && x < W && y < H) out[y * W + x] = old[(a.y + j) * W + a.x + i];
        }
    return out;
}

TEST_F(ImageOperations, QuarterTurnsOfSmallAreasAroundEveryPivot)
{
    const std::vector<uint32_t> old = Pixels(before_);
    for (const FrameArea area : {FrameArea{3, 3, 3, 2}, FrameArea{3, 3, 2, 3}, FrameArea{0, 0, 3, 2}})
        for (int pivot = 0; pivot < 9; ++pivot)
            for (bool clockwise : {true, false}) {
                Copy(before_, frame_);
                RotationPass pass{area, PivotCode(pivot), 90.0, clockwise, false, false, 0};
                DibPixels target(frame_), source(before_);
                RotateAreaPixels(target, source, AreaMask{}, pass, nullptr, nullptr);
                EXPECT_EQ(Pixels(frame_), ReferenceQuarterTurn(old, area, pivot, clockwise))
                    << area.width << "x" << area.height << " at " << area.x << " pivot " << pivot << " cw " << clockwise;
            }
}

TEST_F(ImageOperations, AThreeByTwoAreaTurnedClockwiseBecomesTwoByThree)
{
    RotationPass pass{{3, 3, 3, 2}, PivotCode(0), 90.0, true, false, false, 0};
    const RECT r = TurnedAreaBounds(pass, W, H);
    EXPECT_EQ(r.right - r.left + 1, 2);
    EXPECT_EQ(r.bottom - r.top + 1, 3);
    EXPECT_EQ(r.top, 3);
    // Clipped at the frame's edge.
    pass.area = {0, 0, 3, 2};
    const RECT clipped = TurnedAreaBounds(pass, W, H);
    EXPECT_EQ(clipped.left, 0);
    EXPECT_EQ(clipped.right, 0);
}

TEST(RotationSettings, PivotCodesAndTurnTables)
{
    const int codes[9] = {18, 20, 24, 34, 36, 40, 66, 68, 72};
    for (int p = 0; p < 9; ++p) EXPECT_EQ(PivotCode(p), codes[p]) << p;
    const int anticlockwise[9] = {6, 3, 0, 7, 4, 1, 8, 5, 2};
    for (int p = 0; p < 9; ++p) {
        EXPECT_EQ(TurnPivotPosition(p, false), anticlockwise[p]) << p;
        // A clockwise turn takes an anticlockwise one back.
        EXPECT_EQ(TurnPivotPosition(TurnPivotPosition(p, false), true), p) << p;
    }
    EXPECT_EQ(SetRotationPivot(7), 7);
    EXPECT_EQ(SetRotationPivot(9), 7);  // out of range: read only
    EXPECT_EQ(SetRotationPivot(-1), 7);
    SetRotationPivot(PIVOT_CENTRE);
    EXPECT_EQ(SetDeleteVacantPixels(1), 1);
    EXPECT_EQ(SetDeleteVacantPixels(2), 1);
    EXPECT_EQ(SetDeleteVacantPixels(0), 0);
}

TEST(RotationSettings, ThirtyDegreesRoundsHalvesTowardsZero)
{
    RotationPass pass{{0, 0, 5, 5}, PivotCode(PIVOT_CENTRE), 30.0, true, false, false, 0};
    struct { int x, y; bool clockwise; POINT to; } cases[] = {
        {2, 1, true, {1, 2}},     // (1.23, 1.87)
        {-3, 2, false, {-2, 3}},  // (-1.60, 3.23)
        {1, 0, true, {1, 0}},     // (0.87, 0.4999...)
        {-1, 0, true, {-1, 0}},   // (-0.87, -0.4999...)
        {0, 0, false, {0, 0}},
    };
    for (const auto& c : cases) {
        pass.clockwise = c.clockwise;
        const POINT to = TurnOffset(c.x, c.y, pass, 5, 5);
        EXPECT_EQ(to.x, c.to.x) << c.x << "," << c.y;
        EXPECT_EQ(to.y, c.to.y) << c.x << "," << c.y;
    }
}

TEST_F(ImageOperations, OtherAnglesPaintTwoPixelsUnlessShiftOrTheLastRow)
{
    for (bool single : {false, true}) {
        DibPixels source(before_);
        source.Set(4, 4, 200);
        Copy(before_, frame_);
        RotationPass pass{{2, 2, 5, 5}, PivotCode(PIVOT_CENTRE), 30.0, true, single, false, 0};
        // Only the middle pixel is inside the lasso.
        AreaMask middle{5, 5, std::vector<uint8_t>(25, 0)};
        middle.inside[12] = 1;
        DibPixels target(frame_);
        RotateAreaPixels(target, source, middle, pass, nullptr, nullptr);
        int painted = 0;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) painted += target.Get(x, y) == 200;
        EXPECT_EQ(painted, single ? 1 : 4);
        EXPECT_EQ(target.Get(4, 4), 200u);  // the pivot pixel stays
    }
}

TEST_F(ImageOperations, EmptyingFirstFillsTheAreaInsideTheMask)
{
    AreaMask mask{3, 3, {1, 1, 1, 1, 0, 1, 1, 1, 1}};
    RotationPass pass{{3, 3, 3, 3}, PivotCode(PIVOT_CENTRE), 90.0, true, false, true, 0};
    DibPixels target(frame_), source(before_);
    RotateAreaPixels(target, source, mask, pass, nullptr, nullptr);
    // The hole of the mask was neither emptied nor painted.
    EXPECT_EQ(target.Get(4, 4), source.Get(4, 4));
    // The top-left corner got the bottom-left one.
    EXPECT_EQ(target.Get(3, 3), source.Get(3, 5));
    // Outside the area nothing changed.
    EXPECT_EQ(target.Get(2, 3), source.Get(2, 3));
}

TEST(RotationProgress, OpensFromTenThousandPixelRows)
{
    EXPECT_TRUE(RotationShowsProgress(2, 100, 100));
    EXPECT_TRUE(RotationShowsProgress(1, 100, 100));
    EXPECT_FALSE(RotationShowsProgress(1, 99, 100));
    EXPECT_FALSE(RotationShowsProgress(3, 57, 58));
    EXPECT_TRUE(RotationShowsProgress(255, 2048, 2048));  // no overflow
}

TEST_F(ImageOperations, ShiftsKeepOrEmptyTheFreedLine)
{
    const FrameArea area{2, 2, 4, 3};
    for (bool fill : {false, true}) {
        Copy(before_, frame_);
        DibPixels target(frame_), source(before_);
        ShiftAreaPixels(target, source, area, AreaMask{}, 1, 0, fill, 0);
        for (int y = 2; y < 5; ++y) {
            EXPECT_EQ(target.Get(2, y), fill ? 0u : source.Get(2, y)) << y;
            for (int x = 3; x < 6; ++x) EXPECT_EQ(target.Get(x, y), source.Get(x - 1, y)) << x << "," << y;
            EXPECT_EQ(target.Get(6, y), source.Get(6, y));  // beyond the area
        }
    }
    // Up, with a lasso that leaves the area's left column out.
    Copy(before_, frame_);
    AreaMask mask{4, 3, {0, 1, 1, 1, 0, 1, 1, 1, 0, 1, 1, 1}};
    DibPixels target(frame_), source(before_);
    ShiftAreaPixels(target, source, area, mask, 0, -1, true, 0);
    EXPECT_EQ(target.Get(2, 2), source.Get(2, 2));
    EXPECT_EQ(target.Get(3, 2), source.Get(3, 3));
    EXPECT_EQ(target.Get(3, 4), 0u);
}

TEST_F(ImageOperations, FlipsMirrorTheAreaAndTheLasso)
{
    const FrameArea area{1, 1, 4, 2};
    {
        DibPixels target(frame_), source(before_);
        FlipAreaPixels(target, source, area, AreaMask{}, true);
        for (int x = 0; x < 4; ++x) EXPECT_EQ(target.Get(1 + x, 1), source.Get(4 - x, 1)) << x;
        FlipAreaPixels(target, source, area, AreaMask{}, false);
        for (int x = 0; x < 4; ++x) EXPECT_EQ(target.Get(1 + x, 1), source.Get(1 + x, 2)) << x;
    }
    Copy(before_, frame_);
    // A lasso of the left half: after the flip the right half shows the left one mirrored.
    AreaMask mask{4, 2, {1, 1, 0, 0, 1, 1, 0, 0}};
    DibPixels target(frame_), source(before_);
    FlipAreaPixels(target, source, area, mask, true);
    EXPECT_EQ(target.Get(1, 1), source.Get(1, 1));
    EXPECT_EQ(target.Get(2, 1), source.Get(2, 1));
    EXPECT_EQ(target.Get(3, 1), source.Get(2, 1));
    EXPECT_EQ(target.Get(4, 1), source.Get(1, 1));
    const AreaMask flipped = FlipMask(mask, true);
    EXPECT_FALSE(flipped.At(0, 0));
    EXPECT_TRUE(flipped.At(3, 1));
}

}  // namespace
