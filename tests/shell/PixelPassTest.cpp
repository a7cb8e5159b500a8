// The pixel passes: the effect presets as the resources hold them, the 3 x 3
// matrix arithmetic on rows made here (8 and 24 bits), HLS, the tolerance
// ranges of colour replacement, colour adjustment, and the engine over real
// frames: refusals, clipping, lasso masking with and without undo steps,
// undo of an effect command.
#include "DialogUtilities.h"
#include "DibPixels.h"
#include "DocumentTestSupport.h"
#include "FrameOperations.h"
#include "FrameSelection.h"
#include "PaintHost.h"
#include "PaintTools.h"
#include "PixelEffects.h"
#include "AreaSelection.h"
#include "ColorReduction.h"
#include "Undo.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Rows as the engine hands them to a routine: bottom-up at a DIB stride with
// one extra row below and above (copies of the last and first rows).
struct TestRows {
    int width, height, bytesPerPixel;
    size_t stride;
    std::vector<BYTE> bytes;
    TestRows(int w, int h, int bpp)
        : width(w), height(h), bytesPerPixel(bpp), stride(DibStride(w, bpp * 8)), bytes(stride * (h + 2))
    {
    }
    // Row y counted from the top: buffer row height - y (0 is the extra row below).
    BYTE* Pixel(int x, int y) { return &bytes[stride * (height - y)] + static_cast<size_t>(x) * bytesPerPixel; }
    void SetRgb(int x, int y, int r, int g, int b)
    {
        BYTE* p = Pixel(x, y);
        p[0] = static_cast<BYTE>(b);
        p[1] = static_cast<BYTE>(g);
        p[2] = static_cast<BYTE>(r);
    }
    void Fill(int r, int g, int b)
    {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) SetRgb(x, y, r, g, b);
    }
    int Red(int x, int y) { return Pixel(x, y)[2]; }
    int RunMatrix(const EffectMatrix& m, const RGBQUAD* colors = nullptr)
    {
        memcpy(&bytes[0], &bytes[stride], stride);
        memcpy(&bytes[stride * (height + 1)], &bytes[stride * height], stride);
        EffectMatrix copy = m;
        return MatrixEffectRoutine(nullptr, Pixel(0, 0), width, height, -static_cast<ptrdiff_t>(stride), colors, &copy);
    }
    template <typename Routine, typename Data>
    int Run(Routine routine, Data& data)
    {
        return routine(nullptr, Pixel(0, 0), width, height, -static_cast<ptrdiff_t>(stride), nullptr, &data);
    }
};

EffectMatrix Matrix(std::initializer_list<int> weights, int grey = 0, int offset = 0, int invert = 0)
{
    EffectMatrix m{};
    int i = 0;
    for (int w : weights) m.weights[i++] = static_cast<int16_t>(w);
    m.greyscale = static_cast<int16_t>(grey);
    m.offset = static_cast<int16_t>(offset);
    m.invert = static_cast<int16_t>(invert);
    return m;
}

EffectMatrix Preset(int id)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));
    EffectMatrix m{};
    if (!found) {
        ADD_FAILURE() << "no RCDATA " << id;
        return m;
    }
    EXPECT_EQ(SizeofResource(module, found), sizeof(EffectMatrix)) << id;
    memcpy(&m, LockResource(LoadResource(module, found)), sizeof m);
    return m;
}

TEST(EffectPresets, TheThirteenMatricesAsTheMenuNamesThem)
{
    struct Row {
        int id;
        int weights[9];
        int grey, offset, invert;
    } table[] = {
        {550, {0, 1, 0, 1, 5, 1, 0, 1, 0}, 0, 0, 0},        {551, {1, 3, 1, 3, 5, 3, 1, 3, 1}, 0, 0, 0},
        {552, {2, 5, 2, 5, 1, 5, 2, 5, 2}, 0, 0, 0},        {553, {0, -1, 0, -1, 9, -1, 0, -1, 0}, 0, 0, 0},
        {554, {0, -1, 0, -1, 7, -1, 0, -1, 0}, 0, 0, 0},    {555, {0, -1, 0, -1, 5, -1, 0, -1, 0}, 0, 0, 0},
        {556, {-1, 0, 0, 0, 0, 0, 0, 0, 1}, 1, 1, 0},       {557, {-1, 0, 0, 0, 1, 0, 0, 0, 1}, 0, 0, 0},
        {558, {0, 0, 0, 1, -1, 1, 0, 0, 0}, 0, 0, 0},       {559, {0, 1, 0, 0, -1, 0, 0, 1, 0}, 0, 0, 0},
        {560, {1, 3, 1, 3, -9, 3, 1, 3, 1}, 0, 0, 0},       {561, {0, 0, 0, 0, 1, 0, 0, 0, 0}, 1, 0, 0},
        {562, {0, 0, 0, 0, 1, 0, 0, 0, 0}, 0, 0, 1},
    };
    for (const Row& row : table) {
        const EffectMatrix m = Preset(row.id);
        for (int i = 0; i < 9; ++i) EXPECT_EQ(m.weights[i], row.weights[i]) << row.id << " weight " << i;
        EXPECT_EQ(m.greyscale, row.grey) << row.id;
        EXPECT_EQ(m.offset, row.offset) << row.id;
        EXPECT_EQ(m.invert, row.invert) << row.id;
    }
}

TEST(MatrixEffect, UniformAreasSumsGreyscaleOffsetAndInvert)
{
    // Blur soft sums to 9 and is divided: a uniform area stays.
    TestRows uniform(4, 3, 3);
    uniform.Fill(90, 140, 200);
    EXPECT_EQ(uniform.RunMatrix(Preset(550)), 0);
    EXPECT_EQ(uniform.Red(2, 1), 90);
    EXPECT_EQ(uniform.Pixel(2, 1)[1], 140);

    // Weights summing to 1 (shake) are not divided; the lone sum of 9 * 1
    // would be divided by 9 and so tells the two apart.
    TestRows one(1, 1, 3);
    one.SetRgb(0, 0, 20, 20, 20);
    one.RunMatrix(Matrix({0, 0, 0, 1, -1, 1, 0, 0, 0}));
    EXPECT_EQ(one.Red(0, 0), 20);  // 20 - 20 + 20, edges replicated
    one.RunMatrix(Matrix({0, 0, 0, 0, 2, 0, 0, 0, 0}));
    EXPECT_EQ(one.Red(0, 0), 20);  // |sum| 2: divided
    one.RunMatrix(Matrix({0, 0, 0, 0, -1, 0, 0, 0, 0}));
    EXPECT_EQ(one.Red(0, 0), 0);   // -20 clamped, not divided by 1

    struct Case {
        int r, g, b;
        EffectMatrix m;
        int wr, wg, wb;
    } cases[] = {
        {10, 20, 30, Matrix({0, 0, 0, 0, 1, 0, 0, 0, 0}, 1), 18, 18, 18},
        {255, 255, 255, Matrix({0, 0, 0, 0, 1, 0, 0, 0, 0}, 1), 254, 254, 254},
        {1, 1, 1, Matrix({0, 0, 0, 0, 1, 0, 0, 0, 0}, 1), 0, 0, 0},
        {100, 0, 255, Matrix({0, 0, 0, 0, 1, 0, 0, 0, 0}, 0, 1), 178, 128, 255},  // v / 2 + 128
        {100, 0, 255, Matrix({0, 0, 0, 0, 1, 0, 0, 0, 0}, 0, 0, 1), 155, 255, 0},
        // Stamp grey on a uniform area: sum 0, offset 128, grey 128 -> 127.
        {60, 70, 80, Matrix({-1, 0, 0, 0, 0, 0, 0, 0, 1}, 1, 1), 127, 127, 127},
    };
    for (const Case& c : cases) {
        TestRows rows(3, 3, 3);
        rows.Fill(c.r, c.g, c.b);
        rows.RunMatrix(c.m);
        const BYTE* p = rows.Pixel(1, 1);
        EXPECT_EQ(p[2], c.wr) << c.r << "," << c.g << "," << c.b;
        EXPECT_EQ(p[1], c.wg) << c.r << "," << c.g << "," << c.b;
        EXPECT_EQ(p[0], c.wb) << c.r << "," << c.g << "," << c.b;
    }
    EXPECT_EQ(GreyLevel(30, 20, 10), 18);
    EXPECT_EQ(GreyLevel(255, 255, 255), 254);
    // Float products would give 255 for white: the sum is taken in double.
    EXPECT_EQ(static_cast<int>(255 * 0.11f + 255 * 0.59f + 255 * 0.3f), 255);
}

// A 5 x 5 white area with a black centre.
TestRows BlackCentre()
{
    TestRows rows(5, 5, 3);
    rows.Fill(255, 255, 255);
    rows.SetRgb(2, 2, 0, 0, 0);
    return rows;
}

TEST(MatrixEffect, BlurMediumAndShakeSeeTheirNeighboursUnchanged)
{
    TestRows blur = BlackCentre();
    blur.RunMatrix(Preset(551));
    EXPECT_EQ(blur.Red(2, 2), 194);
    EXPECT_EQ(blur.Red(2, 1), 218);
    EXPECT_EQ(blur.Red(1, 2), 218);
    EXPECT_EQ(blur.Red(1, 1), 242);
    EXPECT_EQ(blur.Red(3, 3), 242);
    // The frame's edges replicate their own pixels: all white stays white.
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(blur.Red(i, 0), 255) << i;
        EXPECT_EQ(blur.Red(0, i), 255) << i;
        EXPECT_EQ(blur.Red(4, i), 255) << i;
        EXPECT_EQ(blur.Red(i, 4), 255) << i;
    }

    TestRows shake = BlackCentre();
    shake.RunMatrix(Preset(558));
    const int want[5] = {255, 0, 255, 0, 255};
    for (int x = 0; x < 5; ++x) EXPECT_EQ(shake.Red(x, 2), want[x]) << x;
    // Shake vertical works down the column the same way.
    TestRows vertical = BlackCentre();
    vertical.RunMatrix(Preset(559));
    for (int y = 0; y < 5; ++y) EXPECT_EQ(vertical.Red(2, y), want[y]) << y;
}

TEST(MatrixEffect, EightBitsReadsThroughTheTableAndFindsTheNearestEntry)
{
    RGBQUAD table[256]{};
    for (int i = 0; i < 256; ++i) table[i] = {BYTE(i / 16 * 17), BYTE(i % 16 * 17), BYTE(255 - i), 0};
    table[7] = {255, 255, 255, 0};
    table[9] = {0, 0, 0, 0};
    // The same picture at 8 and 24 bits: every result is the nearest entry
    // to the 24-bit result, the cache of the last two colours included (the
    // rows alternate between two colours).
    const int w = 7, h = 4;
    TestRows eight(w, h, 1), wide(w, h, 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int index = (x + y) % 3 == 0 ? 9 : (x % 2 ? 7 : 40 + x);
            eight.Pixel(x, y)[0] = static_cast<BYTE>(index);
            wide.SetRgb(x, y, table[index].rgbRed, table[index].rgbGreen, table[index].rgbBlue);
        }
    for (int id : {551, 553, 556, 561}) {
        TestRows a = eight, b = wide;
        a.RunMatrix(Preset(id), table);
        b.RunMatrix(Preset(id));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const BYTE* p = b.Pixel(x, y);
                EXPECT_EQ(a.Pixel(x, y)[0], NearestColorIndex(table, p[2], p[1], p[0], 256))
                    << id << " at " << x << "," << y;
            }
    }
}

// ---- HLS --------------------------------------------------------------------------------

TEST(Hls, RoundTripsGreysAndSaturationAboveOne)
{
    for (COLORREF c : {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(200, 100, 50), RGB(12, 200, 180),
                       RGB(255, 255, 0), RGB(90, 30, 160)}) {
        const Hls hls = RgbToHls(GetRValue(c), GetGValue(c), GetBValue(c));
        int r = -1, g = -1, b = -1;
        ASSERT_TRUE(HlsToRgb(hls, &r, &g, &b));
        // Truncation may lose one level.
        EXPECT_NEAR(r, GetRValue(c), 1) << std::hex << c;
        EXPECT_NEAR(g, GetGValue(c), 1) << std::hex << c;
        EXPECT_NEAR(b, GetBValue(c), 1) << std::hex << c;
    }
    EXPECT_NEAR(RgbToHls(255, 0, 0).h, 0.0, 1e-12);
    EXPECT_NEAR(RgbToHls(0, 0, 255).h, 2.0 / 3, 1e-12);
    EXPECT_NEAR(RgbToHls(255, 0, 128).h, 1 - 128.0 / 255 / 6, 1e-12);  // negative hue plus 1
    // Greys (max - min below 0.02): S 0, H 0.6666666.
    for (int level : {0, 77, 255}) {
        const Hls grey = RgbToHls(level, level + (level < 250 ? 4 : 0), level);
        EXPECT_EQ(grey.s, 0.0) << level;
        EXPECT_EQ(grey.h, 0.6666666) << level;
    }
    int r = 1, g = 2, b = 3;
    EXPECT_FALSE(HlsToRgb({0.3, 0.5, 1.2}, &r, &g, &b));
    EXPECT_EQ(r, 1);
    EXPECT_EQ(b, 3);
    ASSERT_TRUE(HlsToRgb({0.3, 1.7, 0.005}, &r, &g, &b));  // L clamped, S below 0.01: a grey
    EXPECT_EQ(r, 255);
    EXPECT_EQ(g, 255);
}

// ---- colour replacement -------------------------------------------------------------------

ColorReplaceSettings Replace(COLORREF from, COLORREF to, uint32_t flags, int hue, int sat = 10, int lum = 10)
{
    ColorReplaceSettings s{};
    s.sourceColor = from;
    s.destColor = to;
    s.flags = flags;
    s.hueTolerance = static_cast<int16_t>(hue);
    s.satTolerance = static_cast<int16_t>(sat);
    s.lumTolerance = static_cast<int16_t>(lum);
    return s;
}

// Equal but for truncation of the last level in each channel.
bool Near(COLORREF a, COLORREF b)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= 1 && std::abs(GetGValue(a) - GetGValue(b)) <= 1 &&
           std::abs(GetBValue(a) - GetBValue(b)) <= 1;
}

// One pixel of the colour through the tolerance routine: its new colour.
COLORREF Replaced(COLORREF pixel, ColorReplaceSettings s)
{
    TestRows rows(1, 1, 3);
    rows.SetRgb(0, 0, GetRValue(pixel), GetGValue(pixel), GetBValue(pixel));
    rows.Run(ReplaceColorRoutine, s);
    const BYTE* p = rows.Pixel(0, 0);
    return RGB(p[2], p[1], p[0]);
}

TEST(ColorReplace, TolerancesHueWrapAndFlags)
{
    const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
    // Hue 0 with a tolerance of 10 (0.05): a red leaning to magenta (hue
    // 0.98) lies in the wrapped range, one at 0.9 does not.
    const COLORREF nearRed = RGB(255, 0, 30), farRed = RGB(255, 0, 150);
    const uint32_t exact = REPLACE_DEFAULT_FLAGS | REPLACE_BY_TOLERANCE;
    EXPECT_EQ(Replaced(nearRed, Replace(red, blue, exact, 10, 100, 100)), blue);
    EXPECT_EQ(Replaced(farRed, Replace(red, blue, exact, 10, 100, 100)), farRed);
    // Flag 0x40 replaces the outside instead.
    EXPECT_EQ(Replaced(nearRed, Replace(red, blue, exact | REPLACE_OUTSIDE, 10, 100, 100)), nearRed);
    EXPECT_EQ(Replaced(farRed, Replace(red, blue, exact | REPLACE_OUTSIDE, 10, 100, 100)), blue);
    // Without 0x01 the ranges are 0.0025 wide: only the colour itself.
    EXPECT_EQ(Replaced(nearRed, Replace(red, blue, REPLACE_DEFAULT_FLAGS, 10, 100, 100)), nearRed);
    EXPECT_EQ(Replaced(red, Replace(red, blue, REPLACE_DEFAULT_FLAGS, 10, 100, 100)), blue);
    // Hue only (0x08 without 0x10): a dark red keeps its lightness and saturation.
    const COLORREF darkRed = RGB(128, 0, 0);
    const COLORREF hueOnly = Replaced(darkRed, Replace(red, blue, REPLACE_BY_TOLERANCE | REPLACE_HUE, 10, 100, 100));
    EXPECT_TRUE(Near(hueOnly, RGB(0, 0, 128))) << std::hex << hueOnly;
    // Keep differences (0x04) with lightness: dark red shifted by blue's
    // lightness less red's (both 0.5): unchanged lightness, so hue moves.
    const COLORREF kept = Replaced(darkRed, Replace(red, blue, REPLACE_BY_TOLERANCE | REPLACE_KEEP_DIFFERENCES |
                                                                   REPLACE_HUE | REPLACE_LIGHTNESS, 10, 100, 100));
    EXPECT_TRUE(Near(kept, RGB(0, 0, 128))) << std::hex << kept;
    // A grey source matches greys by hue (both 0.6666666), a colour it does not.
    const COLORREF grey = RGB(100, 100, 100);
    EXPECT_EQ(Replaced(RGB(110, 110, 110), Replace(grey, blue, exact, 1, 1, 10)), blue);
    EXPECT_EQ(Replaced(RGB(110, 90, 90), Replace(grey, blue, exact, 1, 100, 10)), RGB(110, 90, 90));
}

// ---- colour adjustment ------------------------------------------------------------------

COLORREF Adjusted(COLORREF pixel, int kind, int value, int absolute)
{
    ColorAdjustSettings s{0, 0, 1, 1, nullptr, kind, value, absolute};
    TestRows rows(1, 1, 3);
    rows.SetRgb(0, 0, GetRValue(pixel), GetGValue(pixel), GetBValue(pixel));
    rows.Run(AdjustColorsRoutine, s);
    const BYTE* p = rows.Pixel(0, 0);
    return RGB(p[2], p[1], p[0]);
}

TEST(ColorAdjust, EveryKindRelativeAndAbsolute)
{
    EXPECT_EQ(Adjusted(RGB(200, 100, 128), ADJUST_CONTRAST, 100, 0), RGB(255, 72, 128));
    EXPECT_EQ(Adjusted(RGB(200, 100, 10), ADJUST_BRIGHTNESS, 50, 0), RGB(255, 150, 15));
    EXPECT_EQ(Adjusted(RGB(200, 100, 10), ADJUST_BRIGHTNESS, -50, 0), RGB(100, 50, 5));
    EXPECT_EQ(Adjusted(RGB(255, 0, 0), ADJUST_BRIGHTNESS, 25, 1), RGB(127, 0, 0));  // L := 0.25
    EXPECT_EQ(Adjusted(RGB(255, 0, 0), ADJUST_HUE, 33, 0), RGB(5, 255, 0));         // H 0 + 0.33
    EXPECT_EQ(Adjusted(RGB(0, 255, 0), ADJUST_HUE, 0, 1), RGB(255, 0, 0));          // H := 0
    EXPECT_TRUE(Near(Adjusted(RGB(191, 63, 63), ADJUST_SATURATION, -100, 0), RGB(127, 127, 127)));
    EXPECT_TRUE(Near(Adjusted(RGB(191, 63, 63), ADJUST_SATURATION, 25, 1), RGB(158, 95, 95)));
    EXPECT_EQ(Adjusted(RGB(10, 20, 30), ADJUST_RED, 50, 1), RGB(127, 20, 30));
    EXPECT_EQ(Adjusted(RGB(10, 20, 30), ADJUST_GREEN, 100, 0), RGB(10, 40, 30));
    EXPECT_EQ(Adjusted(RGB(10, 20, 200), ADJUST_BLUE, 30, 0), RGB(10, 20, 255));
    EXPECT_EQ(Adjusted(RGB(10, 20, 30), ADJUST_BLUE, 0, 1), RGB(10, 20, 30));  // v 0: the pixel stays
}

// ---- the engine over frames ------------------------------------------------------------------

int s_selectionWord = 0;
int TestSelectionState(int mask) { return s_selectionWord & mask; }

int s_routineCalls = 0;
int CountingRoutine(HWND, BYTE*, int, int, ptrdiff_t, const RGBQUAD*, void*)
{
    ++s_routineCalls;
    return 0;
}

// Every pixel of the rectangle becomes (1, 2, 3).
int PaintRoutine(HWND, BYTE* top, int width, int height, ptrdiff_t rowStep, const RGBQUAD*, void*)
{
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            BYTE* p = top + y * rowStep + x * 3;
            p[0] = 3;
            p[1] = 2;
            p[2] = 1;
        }
    return width * height;
}

class PixelPassFrames : public DocumentTest {
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        SetColorFormat(COLORS_24BIT, nullptr, 0);
        g_appState.frameWidth = 8;
        g_appState.frameHeight = 6;
        g_paintHost = PaintHost{};
        g_paintHost.testSelectionState = TestSelectionState;
        s_selectionWord = 0;
        g_selection = SelectionState{};
    }
    void TearDown() override
    {
        g_paintHost = PaintHost{};
        g_selection = SelectionState{};
        ClearUndo();
        DocumentTest::TearDown();
    }
    void MakeFrames(int count, COLORREF color)
    {
        for (int i = 0; i < count; ++i) {
            g_appState.frameBitmaps[i] = CreateFrameBitmap(8, 6);
            DibPixels p(g_appState.frameBitmaps[i]);
            for (int y = 0; y < 6; ++y)
                for (int x = 0; x < 8; ++x) p.Set(x, y, p.ValueOf(color));
        }
        SetFrameCount(count);
        g_appState.currentFrame = 0;
        ResizeUndoSteps(8, 6);
    }
    static COLORREF At(int frame, int x, int y) { return DibPixels(g_appState.frameBitmaps[frame]).Color(x, y); }
    // Frame 0's pixels changed from `color`, as text rows ('#' changed).
    static std::string Changed(int frame, COLORREF color)
    {
        std::string out;
        for (int y = 0; y < 6; ++y) {
            for (int x = 0; x < 8; ++x) out += At(frame, x, y) == color ? '.' : '#';
            out += '\n';
        }
        return out;
    }
};

TEST_F(PixelPassFrames, HostileRectanglesAndDepthsAreRefused)
{
    MakeFrames(1, RGB(9, 9, 9));
    struct Case {
        int bits, x, y, width, height;
    } refused[] = {
        {24, 0, 0, 0, 4},      {24, 0, 0, 4, 0},          {24, 0, 0, -5, 4},          {24, 0, 0, 65537, 1},
        {24, 0, 0, 1, 65537},  {4, 0, 0, 2, 2},           {33, 0, 0, 2, 2},           {24, 8, 0, 2, 2},
        {24, 0, 6, 2, 2},      {24, -10, -10, 5, 5},      {24, INT_MIN, 0, 4, 4},     {24, INT_MAX, INT_MAX, 65536, 65536},
    };
    s_routineCalls = 0;
    for (const Case& c : refused)
        EXPECT_EQ(RunPixelPass(nullptr, c.bits, c.x, c.y, c.width, c.height, PASS_NO_UNDO, CountingRoutine, nullptr), 0)
            << c.bits << " " << c.x << "," << c.y << " " << c.width << "x" << c.height;
    EXPECT_EQ(s_routineCalls, 0);
    EXPECT_FALSE(CanUndo());
    // The largest rectangle is clipped to the frame, not allocated whole.
    EXPECT_EQ(RunPixelPass(nullptr, 24, 0, 0, 65536, 65536, PASS_NO_UNDO, CountingRoutine, nullptr), 1);
    EXPECT_EQ(s_routineCalls, 1);
    // The passes built on it refuse the same way.
    EXPECT_EQ(ApplyEffectMatrix(0, 0, 0, 0), 0);
    EXPECT_EQ(ApplyEffectMatrix(-100, -100, 50, 50), 0);
    EXPECT_EQ(InvertRectInFrames(20, 20, 4, 4), 0);
    ColorAdjustSettings adjust{0, 0, -1, 3, nullptr, ADJUST_RED, 10, 0};
    EXPECT_EQ(AdjustColorsPass(&adjust), 0);
    EXPECT_EQ(At(0, 0, 0), RGB(9, 9, 9));
}

TEST_F(PixelPassFrames, ARectangleOverTheEdgeIsClipped)
{
    MakeFrames(1, RGB(9, 9, 9));
    ASSERT_EQ(RunPixelPass(nullptr, 24, -2, -3, 5, 5, PASS_NO_UNDO, PaintRoutine, nullptr), 1);
    EXPECT_EQ(Changed(0, RGB(9, 9, 9)), "###.....\n###.....\n........\n........\n........\n........\n");
    ASSERT_EQ(RunPixelPass(nullptr, 24, 6, 4, 100, 100, PASS_NO_UNDO, PaintRoutine, nullptr), 1);
    EXPECT_EQ(At(0, 7, 5), RGB(1, 2, 3));
    EXPECT_EQ(At(0, 5, 5), RGB(9, 9, 9));
}

TEST_F(PixelPassFrames, TheLassoLimitsThePassWithAndWithoutUndoSteps)
{
    MakeFrames(1, RGB(9, 9, 9));
    // A stale undo copy of another colour: the pass must not restore from it.
    ASSERT_EQ(RecordUndo(UNDO_SAVE_FRAME, 0), 1);
    {
        DibPixels p(g_appState.frameBitmaps[0]);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 8; ++x) p.Set(x, y, p.ValueOf(RGB(50, 50, 50)));
    }
    // A triangle lasso over the whole frame.
    g_appState.currentTool = TOOL_SELECT_POLYGON;
    g_selection.selectionPoints[0] = {0, 0};
    g_selection.selectionPoints[1] = {7, 0};
    g_selection.selectionPoints[2] = {0, 5};
    g_selection.selectionPointCount = 3;
    s_selectionWord = AREA_SELECTED;
    SetSelectionRect(0, 0, 7, 5, 0);
    for (UINT flags : {UINT(PASS_NO_UNDO), UINT(0)}) {
        ASSERT_EQ(RunPixelPass(nullptr, 24, 0, 0, 8, 6, flags, PaintRoutine, nullptr), 1);
        EXPECT_EQ(At(0, 0, 0), RGB(1, 2, 3)) << flags;
        EXPECT_EQ(At(0, 7, 5), RGB(50, 50, 50)) << flags;  // outside: as it was just before, not the old copy
        EXPECT_EQ(At(0, 6, 4), RGB(50, 50, 50)) << flags;
        EXPECT_EQ(At(0, 0, 4), RGB(1, 2, 3)) << flags;
        DibPixels p(g_appState.frameBitmaps[0]);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 8; ++x) p.Set(x, y, p.ValueOf(RGB(50, 50, 50)));
    }
    // With 0x4000 the lasso is ignored.
    ASSERT_EQ(RunPixelPass(nullptr, 24, 0, 0, 8, 6, PASS_NO_UNDO | PASS_NO_LASSO, PaintRoutine, nullptr), 1);
    EXPECT_EQ(At(0, 7, 5), RGB(1, 2, 3));
}

TEST_F(PixelPassFrames, AnEffectCommandRunsOverTheSelectedFramesAsOneUndoGroup)
{
    MakeFrames(3, RGB(255, 255, 255));
    for (int frame = 0; frame < 3; ++frame) {
        DibPixels p(g_appState.frameBitmaps[frame]);
        p.Set(3, 2, p.ValueOf(RGB(0, 0, 0)));
    }
    g_appState.currentFrame = 2;
    SetFrameSelection(SELECTION_TOGGLE, 0, 0);
    ASSERT_EQ(DoImageCommand(IDM_EFFECTS_FIRST + 1, 0), 1);  // blur medium
    for (int frame : {0, 2}) {
        EXPECT_EQ(At(frame, 3, 2), RGB(194, 194, 194)) << frame;
        EXPECT_EQ(At(frame, 3, 1), RGB(218, 218, 218)) << frame;
        EXPECT_EQ(At(frame, 2, 1), RGB(242, 242, 242)) << frame;
        EXPECT_EQ(At(frame, 0, 0), RGB(255, 255, 255)) << frame;
    }
    EXPECT_EQ(At(1, 3, 2), RGB(0, 0, 0));  // not selected
    ASSERT_EQ(DoEditCommand(IDM_UNDO, 0), 1);
    for (int frame : {0, 2}) EXPECT_EQ(At(frame, 3, 2), RGB(0, 0, 0)) << frame;
    EXPECT_FALSE(CanUndo());

    // Invert (562) and greyscale (561) on the selected area only.
    SetFrameSelection(SELECTION_CLEAR_ALL, 0, 0);
    g_appState.currentTool = TOOL_SELECT_REGION;
    s_selectionWord = AREA_SELECTED;
    SetSelectionRect(2, 1, 4, 3, 0);
    ASSERT_EQ(DoImageCommand(IDM_EFFECTS_FIRST + 12, 0), 1);
    EXPECT_EQ(At(2, 3, 2), RGB(255, 255, 255));
    EXPECT_EQ(At(2, 2, 1), RGB(0, 0, 0));
    EXPECT_EQ(At(2, 5, 1), RGB(255, 255, 255));
    ASSERT_EQ(DoImageCommand(IDM_EFFECTS_FIRST + 11, 0), 1);
    EXPECT_EQ(At(2, 3, 2), RGB(254, 254, 254));
    EXPECT_EQ(At(2, 0, 0), RGB(255, 255, 255));
}

// Paints like PaintRoutine, and while running over its second frame presses
// the progress dialog's Cancel, as a user would in the middle of a pass.
int s_framesRun = 0;
int PaintThenCancelRoutine(HWND progress, BYTE* top, int width, int height, ptrdiff_t rowStep, const RGBQUAD* colors,
                           void* data)
{
    const int changed = PaintRoutine(progress, top, width, height, rowStep, colors, data);
    if (++s_framesRun == 2 && progress) SendMessageA(progress, WM_COMMAND, IDC_PROGRESS_CANCEL, 0);
    return changed;
}

TEST_F(PixelPassFrames, CancelKeepsTheFinishedFramesAndLeavesTheRestAlone)
{
    MakeFrames(3, RGB(9, 9, 9));
    g_appState.currentFrame = 2;
    SetFrameSelection(SELECTION_TOGGLE, 0, 0);
    SetFrameSelection(SELECTION_TOGGLE, 1, 0);
    s_framesRun = 0;
    // Frames 0 and 1, then the current frame 2; Cancel comes during frame 1.
    ASSERT_EQ(RunPixelPass(nullptr, 24, 0, 0, 8, 6, PASS_PROGRESS, PaintThenCancelRoutine, nullptr), 1);
    EXPECT_EQ(s_framesRun, 2);
    EXPECT_EQ(At(0, 4, 3), RGB(1, 2, 3));  // finished before the cancel: kept
    EXPECT_EQ(At(1, 4, 3), RGB(9, 9, 9));  // the frame in hand keeps its pixels
    EXPECT_EQ(At(2, 4, 3), RGB(9, 9, 9));  // never reached
    EXPECT_FALSE(GetProgressDialogState().progressOpen);
    // The finished frame is one undo group away from its old pixels.
    ASSERT_EQ(DoEditCommand(IDM_UNDO, 0), 1);
    EXPECT_EQ(At(0, 4, 3), RGB(9, 9, 9));
    EXPECT_FALSE(CanUndo());
}

TEST_F(PixelPassFrames, ReplaceAndInvertOverTheFrameSelection)
{
    MakeFrames(2, RGB(10, 20, 30));
    g_appState.currentFrame = 1;
    SetFrameSelection(SELECTION_TOGGLE, 0, 0);
    // Exact replacement (tolerance 0) in a rectangle.
    ASSERT_EQ(ReplaceColorInFrames(RGB(10, 20, 30), RGB(200, 0, 0), 1, 1, 2, 2, 0), 1);
    for (int frame : {0, 1}) {
        EXPECT_EQ(At(frame, 1, 1), RGB(200, 0, 0)) << frame;
        EXPECT_EQ(At(frame, 2, 2), RGB(200, 0, 0)) << frame;
        EXPECT_EQ(At(frame, 3, 3), RGB(10, 20, 30)) << frame;
    }
    // With a tolerance: a near colour joins.
    {
        DibPixels p(g_appState.frameBitmaps[1]);
        p.Set(5, 5, p.ValueOf(RGB(12, 21, 33)));
    }
    ASSERT_EQ(ReplaceColorInFrames(RGB(10, 20, 30), RGB(0, 0, 200), 0, 0, 8, 6, 20), 1);
    EXPECT_EQ(At(1, 5, 5), RGB(0, 0, 200));
    EXPECT_EQ(At(1, 0, 0), RGB(0, 0, 200));
    EXPECT_EQ(At(1, 1, 1), RGB(200, 0, 0));
    ASSERT_EQ(InvertRectInFrames(0, 0, 1, 1), 1);
    EXPECT_EQ(At(0, 0, 0), RGB(255, 255, 55));
    EXPECT_EQ(At(0, 1, 0), RGB(0, 0, 200));
    ASSERT_EQ(DoEditCommand(IDM_UNDO, 0), 1);
    EXPECT_EQ(At(0, 0, 0), RGB(0, 0, 200));
    // Snapping to the transparent colour: no undo step, within the tolerance.
    const int steps = UndoStepCount();
    ASSERT_EQ(SnapTransparentColor(g_appState.frameBitmaps[1], RGB(0, 0, 198), 5), 1);
    EXPECT_EQ(UndoStepCount(), steps);
    EXPECT_EQ(At(1, 0, 0), RGB(0, 0, 198));
    EXPECT_EQ(At(1, 1, 1), RGB(200, 0, 0));
    EXPECT_EQ(SnapTransparentColor(g_appState.frameBitmaps[1], RGB(0, 0, 198), 0), 0);
    ASSERT_EQ(ReplaceBitmapColor(g_appState.frameBitmaps[1], RGB(200, 0, 0), RGB(1, 1, 1)), 1);
    EXPECT_EQ(At(1, 1, 1), RGB(1, 1, 1));
}

TEST_F(PixelPassFrames, ContrastAndTheDefaultsOfTheSettings)
{
    MakeFrames(1, RGB(200, 100, 128));
    ColorAdjustSettings s{0, 0, 8, 6, nullptr, ADJUST_CONTRAST, 100, 0};
    ASSERT_EQ(AdjustColorsPass(&s), 1);
    EXPECT_EQ(At(0, 4, 4), RGB(255, 72, 128));
    g_colorReplaceSettings.flags = 0x40 | 0x80;
    g_colorReplaceSettings.hueTolerance = 3;
    ResetColorToolSettings();
    EXPECT_EQ(g_colorReplaceSettings.flags, 0xFBu);  // 0x3A | 0x01, bits from 0x40 kept
    EXPECT_EQ(g_colorReplaceSettings.hueTolerance, 10);
    EXPECT_EQ(g_colorReplaceSettings.destColor, CLR_INVALID);
    SetColorFormat(COLORS_256, nullptr, 0);
    ResetColorToolSettings();
    EXPECT_EQ(g_colorReplaceSettings.flags, 0xFAu);
    // Below 256 colours... the adjustment refuses at 16.
    SetColorFormat(COLORS_16, nullptr, 0);
    EXPECT_EQ(AdjustColorsPass(&s), 0);
}

}  // namespace
