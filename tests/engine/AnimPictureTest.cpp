// The off-screen picture read back pixel by pixel: objects with every kind of
// transparency, backgrounds, foreground regions, the changed-area redraw and
// the window's erase, in every bitmap mode of the engine.
#include "EngineFixtures.h"
#include "ResultCodes.h"
#include <gtest/gtest.h>
#include <cstring>

namespace {

struct SceneObject {
    SequenceSpec spec;
    int x, y;
};

// Twelve sequences, one object each, side by side: every transparency code at
// every depth the engine reads.
std::vector<SceneObject> SceneObjects()
{
    struct Kind {
        int bits;
        uint8_t code;
        int16_t colorCount;
    };
    const Kind kinds[12] = {{8, 0x80, 256}, {8, 0, 256},    {8, 15, 256},   {8, 9, 256},
                            {4, 3, 16},     {8, 3, 256},    {8, 0x10, 256}, {8, 0x1F, 256},
                            {1, 0x20, 2},   {1, 0x2F, 2},   {24, 13, -1},   {16, 9, -1}};
    std::vector<SceneObject> objects;
    for (int i = 0; i < 12; ++i) {
        SceneObject o;
        SequenceSpec& s = o.spec;
        s.bits = kinds[i].bits;
        s.code = kinds[i].code;
        s.colorCount = kinds[i].colorCount;
        s.offsets = {{static_cast<int8_t>(i % 3 - 1), static_cast<int8_t>((i % 2) * 2)}};
        const int k = s.code & 15;
        const int bits = s.bits;
        s.value = [k, bits](int x, int y, int frame) -> uint32_t {
            const bool clear = (x + 2 * y) % 5 == 0;
            const int n = x * 3 + y * 5 + frame;
            switch (bits) {
            case 1: return ((x / 3 + y / 2) % 2) ? 1 : 0;
            case 4: {
                static const int opaque[8] = {1, 2, 5, 6, 9, 10, 12, 14};
                return clear ? k : opaque[n % 8];
            }
            case 8: return clear ? StaticIndex(k, 256) : 16 + n % 180;
            default: {
                static const uint32_t opaque[6] = {0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF, 0xFFFFFF, 0x000000};
                const COLORREF t = StaticColor(k);
                return clear ? (GetRValue(t) << 16 | GetGValue(t) << 8 | GetBValue(t)) : opaque[n % 6];
            }
            }
        };
        o.x = 4 + (i % 4) * 38;
        o.y = 6 + (i / 4) * 36;
        objects.push_back(std::move(o));
    }
    return objects;
}

constexpr int kWidth = 160, kHeight = 120;
const COLORREF kBackground = RGB(0, 0, 128);

// What the picture must show: the background, every object's opaque pixels.
Pixels ExpectedScene(const std::vector<SceneObject>& objects, COLORREF background)
{
    Pixels p;
    p.width = kWidth;
    p.height = kHeight;
    p.values.assign(kWidth * kHeight, background);
    for (const SceneObject& o : objects) {
        const int left = o.x + o.spec.offsets[0].first, top = o.y + o.spec.offsets[0].second;
        for (int y = 0; y < o.spec.height; ++y)
            for (int x = 0; x < o.spec.width; ++x) {
                const uint32_t v = o.spec.value(x, y, 0);
                if (!SpecTransparent(o.spec, v)) p.values[(top + y) * kWidth + left + x] = SpecColor(o.spec, v);
            }
    }
    return p;
}

void ExpectSamePicture(const Pixels& expected, const Pixels& actual, const char* what)
{
    ASSERT_EQ(expected.width, actual.width) << what;
    ASSERT_EQ(expected.height, actual.height) << what;
    int wrong = 0;
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x)
            if (expected.At(x, y) != actual.At(x, y) && ++wrong <= 5)
                ADD_FAILURE() << what << ": pixel (" << x << "," << y << ") is " << ColorText(actual.At(x, y))
                              << ", expected " << ColorText(expected.At(x, y));
    EXPECT_EQ(0, wrong) << what << ": pixels that differ";
}

std::string WriteScene(const ScratchDir& dir, const std::vector<SceneObject>& objects, uint32_t compression = 0)
{
    AnimationFixture a(kWidth, kHeight, kBackground);
    a.settings().paletteSource = 0;  // the first sequence's colours
    for (size_t i = 0; i < objects.size(); ++i) {
        SequenceSpec spec = objects[i].spec;
        spec.compression = compression;
        const std::string name = "seq" + std::to_string(i) + ".bmx";
        EXPECT_EQ(RESULT_OK, WriteSequence(dir.File(name), spec));
        a.AddObject(a.AddSequence(name, static_cast<uint8_t>(i == 0 ? 0x80 : 0), spec.colorCount),
                    objects[i].x, objects[i].y);
    }
    const std::string path = dir.File("scene.ans");
    EXPECT_EQ(RESULT_OK, a.Write(path));
    return path;
}

class PictureInEveryMode : public ::testing::TestWithParam<EngineMode> {};

TEST_P(PictureInEveryMode, ObjectsAtTheirStartWithEveryTransparency)
{
    EngineSession session(GetParam());
    ScratchDir dir;
    const std::vector<SceneObject> objects = SceneObjects();
    const std::string path = WriteScene(dir, objects);
    SetCurrentDirectoryA(dir.Path().c_str());
    HANIM h = LoadWholeAnimation(path);
    ASSERT_NE(nullptr, h);
    // The sequence files' codes replaced the animation file's.
    for (size_t i = 0; i < objects.size(); ++i)
        EXPECT_EQ(objects[i].spec.code, LockedContext(h)->sequences[i].transparentColorCode);
    ExpectSamePicture(ExpectedScene(objects, kBackground), PaintToPixels(h, kWidth, kHeight), "painted");
    // Before the first step the objects are drawn for the paint only.
    ExpectSamePicture(ExpectedScene({}, kBackground), ReadBitmap(GetAnimBitmap(h)), "off-screen after paint");
    DestroyAnimation(h);
}

TEST_P(PictureInEveryMode, OwnRowCodeGivesTheSamePictureAsRawRows)
{
    EngineSession session(GetParam());
    ScratchDir raw, coded;
    const std::vector<SceneObject> objects = SceneObjects();
    const std::string rawPath = WriteScene(raw, objects, 0);
    const std::string codedPath = WriteScene(coded, objects, 0x333);  // own row code at every depth it applies to
    SetCurrentDirectoryA(coded.Path().c_str());
    HANIM h = LoadWholeAnimation(codedPath);
    ASSERT_NE(nullptr, h);
    ExpectSamePicture(ExpectedScene(objects, kBackground), PaintToPixels(h, kWidth, kHeight), "own row code");
    DestroyAnimation(h);
}

INSTANTIATE_TEST_SUITE_P(Modes, PictureInEveryMode,
                         ::testing::Values(kDibSections, kDeviceBitmaps, kPaletteDisplay, kSixteenColors),
                         [](const ::testing::TestParamInfo<EngineMode>& info) { return std::string(info.param.name); });

// ---- palette ----

COLORREF EntryColor(const PALETTEENTRY& e) { return RGB(e.peRed, e.peGreen, e.peBlue); }

TEST(AnimPalette, DefaultColourSet)
{
    HPALETTE palette = CreateDefaultPalette();
    ASSERT_NE(nullptr, palette);
    PALETTEENTRY e[256];
    ASSERT_EQ(256u, GetPaletteEntries(palette, 0, 256, e));
    DeleteObject(palette);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(PC_NOCOLLAPSE, e[i].peFlags) << i;
        EXPECT_EQ(0, (e[i].peRed | e[i].peGreen | e[i].peBlue) & 3) << "six bits per component at " << i;
    }
    const struct {
        int index;
        COLORREF color;
    } expected[] = {
        {0, RGB(0, 0, 0)},       {7, RGB(192, 192, 192)}, {248, RGB(128, 128, 128)}, {255, RGB(252, 252, 252)},
        {8, RGB(16, 16, 16)},    {14, RGB(112, 112, 112)}, {15, RGB(144, 144, 144)}, {20, RGB(240, 240, 240)},
        {21, RGB(76, 40, 28)},   {31, RGB(92, 56, 40)},    {32, RGB(32, 32, 16)},    {33, RGB(72, 32, 16)},
        {38, RGB(32, 32, 72)},   {64, RGB(32, 72, 16)},    {221, RGB(232, 232, 240)}, {62, RGB(124, 76, 48)},
        {223, RGB(240, 212, 184)}, {224, RGB(0, 48, 0)},   {231, RGB(48, 48, 0)},    {232, RGB(48, 0, 0)},
        {236, RGB(208, 0, 208)}, {243, RGB(0, 0, 208)},    {247, RGB(0, 56, 56)},
    };
    // The system's extra colours (money green, sky blue, cream, grey) took the
    // places of their nearest entries.
    PALETTEENTRY system[20];
    ASSERT_EQ(20u, GetPaletteEntries(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), 0, 20, system));
    for (const auto& x : expected) {
        bool replaced = false;
        for (int s = 8; s <= 11; ++s)
            replaced |= EntryColor(e[x.index]) == RGB(system[s].peRed & 0xFC, system[s].peGreen & 0xFC, system[s].peBlue & 0xFC);
        if (!replaced) {
            EXPECT_EQ(ColorText(x.color), ColorText(EntryColor(e[x.index]))) << "entry " << x.index;
        }
    }
    for (int s = 8; s <= 11; ++s) {
        const COLORREF wanted = RGB(system[s].peRed & 0xFC, system[s].peGreen & 0xFC, system[s].peBlue & 0xFC);
        int found = 0;
        for (int i = 8; i < 248; ++i) found += EntryColor(e[i]) == wanted;
        EXPECT_EQ(1, found) << "system colour " << s;
    }
}

HPALETTE PaletteAfterLoading(const std::string& picture)
{
    HANIM h = CreateAnimation("a.ans", 0, 0, 0, 0);
    EXPECT_NE(nullptr, h);
    HPALETTE palette = LoadAnimPalette(h, picture.c_str(), FALSE);
    PALETTEENTRY e[256] = {};
    const UINT n = GetPaletteEntries(palette, 0, 256, e);
    HPALETTE copy = nullptr;
    if (n) {
        struct {
            WORD version, count;
            PALETTEENTRY entries[256];
        } logical{0x300, static_cast<WORD>(n), {}};
        memcpy(logical.entries, e, sizeof e);
        copy = CreatePalette(reinterpret_cast<LOGPALETTE*>(&logical));
    }
    DestroyAnimation(h);
    return copy;
}

TEST(AnimPalette, ColourTablesMergeIntoTheFreeEntries)
{
    EngineSession session(kDibSections);
    ScratchDir dir;
    SetCurrentDirectoryA(dir.Path().c_str());
    AnimationFixture f(64, 48, 0);
    ASSERT_EQ(RESULT_OK, f.Write(dir.File("a.ans")));
    ASSERT_TRUE(WriteBmp(dir.File("editor.bmp"), 8, 8, 8, [](int x, int y) { return uint32_t(x + y); }));
    RGBQUAD table[256];
    EditorColorTable(table);
    PALETTEENTRY defaults[256], merged[256];
    HPALETTE standard = CreateDefaultPalette();
    GetPaletteEntries(standard, 0, 256, defaults);
    DeleteObject(standard);

    HPALETTE palette = PaletteAfterLoading("editor.bmp");
    ASSERT_EQ(256u, GetPaletteEntries(palette, 0, 256, merged));
    DeleteObject(palette);
    // Entries 10..247 of the table are new colours: they fill 8..245 in order;
    // the static colours at the ends stay.
    for (int i = 10; i < 248; ++i)
        ASSERT_EQ(RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue), EntryColor(merged[i - 2])) << i;
    EXPECT_EQ(EntryColor(defaults[246]), EntryColor(merged[246]));
    for (int i : {0, 5, 7, 248, 255}) EXPECT_EQ(EntryColor(defaults[i]), EntryColor(merged[i])) << i;

    // A table of nothing but static colours leaves the default set as it is.
    std::vector<uint8_t> bytes = ReadWholeFile(dir.File("editor.bmp"));
    RGBQUAD* colors = reinterpret_cast<RGBQUAD*>(bytes.data() + sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
    for (int i = 0; i < 256; ++i) {
        const COLORREF c = StaticColor(i % 16);
        colors[i] = {GetBValue(c), GetGValue(c), GetRValue(c), 0};
    }
    ASSERT_TRUE(WriteWholeFile(dir.File("static.bmp"), bytes));
    palette = PaletteAfterLoading("static.bmp");
    ASSERT_EQ(256u, GetPaletteEntries(palette, 0, 256, merged));
    DeleteObject(palette);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(EntryColor(defaults[i]), EntryColor(merged[i])) << i;

    // A 24-bit picture has no colours to give: the palette stays.
    ASSERT_TRUE(WriteBmp(dir.File("deep.bmp"), 4, 4, 24, [](int, int) { return 0x123456u; }));
    palette = PaletteAfterLoading("deep.bmp");
    ASSERT_EQ(256u, GetPaletteEntries(palette, 0, 256, merged));
    DeleteObject(palette);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(EntryColor(defaults[i]), EntryColor(merged[i])) << i;
}

// ---- background pictures ----

Pixels BackgroundExpectation(int width, int height, COLORREF background, int left, int top, int pw, int ph,
                             const std::function<COLORREF(int, int)>& color)
{
    Pixels p;
    p.width = width;
    p.height = height;
    p.values.assign(width * height, background);
    for (int y = 0; y < ph; ++y)
        for (int x = 0; x < pw; ++x)
            if (left + x >= 0 && left + x < width && top + y >= 0 && top + y < height)
                p.values[(top + y) * width + left + x] = color(x, y);
    return p;
}

class BackgroundPicture : public ::testing::TestWithParam<EngineMode> {
protected:
    ScratchDir dir;
    void SetUp() override { SetCurrentDirectoryA(dir.Path().c_str()); }

    HANIM Load(const std::string& picture, int imageX, int imageY, bool centre)
    {
        AnimationFixture f(120, 90, 0x80000000u | RGB(0, 128, 0));
        strcpy(f.settings().backgroundImage, picture.c_str());
        f.settings().imageX = imageX;
        f.settings().imageY = imageY;
        f.settings().playFlags = centre ? 0x40 : 0;
        f.settings().paletteSource = 248;  // the picture's own colours
        EXPECT_EQ(RESULT_OK, f.Write(dir.File("a.ans")));
        return LoadWholeAnimation(dir.File("a.ans"));
    }
};

TEST_P(BackgroundPicture, AtItsPlaceCentredOrClipped)
{
    EngineSession session(GetParam());
    RGBQUAD table[256];
    EditorColorTable(table);
    auto tableColor = [&](uint32_t i) { return RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue); };
    auto index = [](int x, int y) { return uint32_t(16 + (x * 3 + y * 7) % 200); };
    auto deep = [](int x, int y) { return uint32_t((x & 1 ? 0xFF0000 : 0) | (y & 2 ? 0xFF : 0) | ((x + y) % 3 ? 0xFF00 : 0)); };
    auto deepColor = [&](int x, int y) { const uint32_t v = deep(x, y); return RGB(v >> 16, (v >> 8) & 0xFF, v & 0xFF); };
    ASSERT_TRUE(WriteBmp(dir.File("small.bmp"), 50, 40, 8, index));
    ASSERT_TRUE(WriteBmp(dir.File("large.bmp"), 200, 150, 24, deep));
    SequenceSpec frames;
    frames.width = 30;
    frames.height = 20;
    frames.compression = 0x333;
    frames.value = [&](int x, int y, int frame) { return frame ? 1u : index(x, y); };
    ASSERT_EQ(RESULT_OK, WriteSequence(dir.File("frames.bmx"), frames));
    SequenceSpec mono = frames;
    mono.bits = 1;
    mono.compression = 0x222;  // the own row code at 1 bit
    mono.value = [](int x, int y, int) { return uint32_t((x / 2 + y) % 3 == 0); };
    ASSERT_EQ(RESULT_OK, WriteSequence(dir.File("mono.bmx"), mono));

    const COLORREF green = RGB(0, 128, 0);
    struct Case {
        const char* file;
        int imageX, imageY;
        bool centre;
        Pixels expected;
    } cases[] = {
        {"small.bmp", 10, 20, false, BackgroundExpectation(120, 90, green, 10, 20, 50, 40, [&](int x, int y) { return tableColor(index(x, y)); })},
        {"small.bmp", 100, -30, false, BackgroundExpectation(120, 90, green, 100, -30, 50, 40, [&](int x, int y) { return tableColor(index(x, y)); })},
        {"large.bmp", 0, 0, true, BackgroundExpectation(120, 90, green, -40, -30, 200, 150, deepColor)},
        {"frames.bmx", 5, 6, false, BackgroundExpectation(120, 90, green, 5, 6, 30, 20, [&](int x, int y) { return tableColor(index(x, y)); })},
        {"mono.bmx", 0, 0, true, BackgroundExpectation(120, 90, green, 45, 35, 30, 20, [&](int x, int y) { return mono.value(x, y, 0) ? RGB(255, 255, 255) : RGB(0, 0, 0); })},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        if (std::string(GetParam().name) == "PaletteDisplay" && std::string(c.file) == "large.bmp") continue;  // deep colours need a deep display
        HANIM h = Load(c.file, c.imageX, c.imageY, c.centre);
        ASSERT_NE(nullptr, h);
        ExpectSamePicture(c.expected, ReadBitmap(GetAnimBitmap(h)), c.file);
        DestroyAnimation(h);
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, BackgroundPicture, ::testing::Values(kDibSections, kDeviceBitmaps, kPaletteDisplay),
                         [](const ::testing::TestParamInfo<EngineMode>& info) { return std::string(info.param.name); });

// ---- drawing the objects ----

class ObjectDrawing : public ::testing::Test {
protected:
    EngineSession session{kDibSections};
    ScratchDir dir;
    SequenceSpec spec;
    void SetUp() override
    {
        SetCurrentDirectoryA(dir.Path().c_str());
        spec.value = [](int x, int y, int) -> uint32_t { return (x + 2 * y) % 5 == 0 ? 0 : 16 + (x * 3 + y * 5) % 180; };
        spec.code = 0;  // black is transparent
    }
    // Expected picture: the background and each object's frame 0 at (x, y).
    Pixels Expected(int w, int h, COLORREF background, const std::vector<POINT>& objects,
                    const std::function<bool(int, int)>& hidden = nullptr)
    {
        Pixels p;
        p.width = w;
        p.height = h;
        p.values.assign(w * h, background);
        for (const POINT& o : objects)
            for (int y = 0; y < spec.height; ++y)
                for (int x = 0; x < spec.width; ++x) {
                    const int px = o.x + x, py = o.y + y;
                    const uint32_t v = spec.value(x, y, 0);
                    if (px < 0 || py < 0 || px >= w || py >= h || SpecTransparent(spec, v)) continue;
                    if (hidden && hidden(px, py)) continue;
                    p.values[py * w + px] = SpecColor(spec, v);
                }
        return p;
    }
    // A 120 by 90 animation on dark blue with one object of `spec` at each start.
    HANIM LoadObjects(const std::vector<POINT>& starts)
    {
        EXPECT_EQ(RESULT_OK, WriteSequence(dir.File("s.bmx"), spec));
        AnimationFixture f(120, 90, RGB(0, 0, 128));
        const int sequence = f.AddSequence("s.bmx", spec.code, 256);
        for (const POINT& p : starts) f.AddObject(sequence, p.x, p.y);
        EXPECT_EQ(RESULT_OK, f.Write(dir.File("a.ans")));
        return LoadWholeAnimation(dir.File("a.ans"));
    }
    // Starts "playing": the objects get their save bitmaps, as at a first step.
    static void BeginPlaying(HANIM h)
    {
        LockedContext c(h);
        ASSERT_TRUE(CreateObjectSaveBitmaps(c.get()));
        c->firstStepDone = 1;
    }
    static void Redraw(HANIM h, HDC window)
    {
        LockedContext c(h);
        RedrawChangedAreas(c.get(), nullptr, window);
    }
};

// A 32-bit memory picture standing in for the window.
struct FakeWindow {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap;
    HGDIOBJ old;
    FakeWindow(int w, int h, COLORREF fill)
    {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old = SelectObject(dc, bitmap);
        Fill(fill);
    }
    ~FakeWindow()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    void Fill(COLORREF c)
    {
        BITMAP b;
        GetObject(bitmap, sizeof b, &b);
        HBRUSH brush = CreateSolidBrush(c);
        const RECT all{0, 0, b.bmWidth, b.bmHeight};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
    }
    Pixels Read()
    {
        SelectObject(dc, old);
        Pixels p = ReadBitmap(bitmap);
        SelectObject(dc, bitmap);
        return p;
    }
};

TEST_F(ObjectDrawing, ForegroundRegionsAreLeftOut)
{
    ASSERT_EQ(RESULT_OK, WriteSequence(dir.File("s.bmx"), spec));
    for (const bool centred : {false, true}) {
        SCOPED_TRACE(centred ? "relative to the centre" : "absolute");
        AnimationFixture f(120, 90, RGB(0, 0, 128));
        const int shiftX = centred ? 60 : 0, shiftY = centred ? 45 : 0;
        f.settings().positionFlags = centred ? 0x08 : 0;
        f.AddObject(f.AddSequence("s.bmx", 0, 256), 10 - shiftX, 10 - shiftY);
        f.AddObject(f.AddSequence("s.bmx", 0, 256), 60 - shiftX, 50 - shiftY);
        f.AddRegion(0, 30 - shiftX, 20 - shiftY, 14 - shiftX, 14 - shiftY);   // corners in either order, inside
        f.AddRegion(0x8000, 10 - shiftX, 10 - shiftY, 33 - shiftX, 25 - shiftY);  // switched off
        f.AddRegion(0, 70 - shiftX, 55 - shiftY, 70 - shiftX, 55 - shiftY);  // one pixel
        ASSERT_EQ(RESULT_OK, f.Write(dir.File("a.ans")));
        HANIM h = LoadWholeAnimation(dir.File("a.ans"));
        ASSERT_NE(nullptr, h);
        auto inRegion = [](int x, int y) { return (x >= 14 && x <= 30 && y >= 14 && y <= 20) || (x == 70 && y == 55); };
        const Pixels expected = Expected(120, 90, RGB(0, 0, 128), {{10, 10}, {60, 50}}, inRegion);
        ExpectSamePicture(expected, PaintToPixels(h, 120, 90), "painted");
        // While playing, too.
        BeginPlaying(h);
        FakeWindow window(120, 90, RGB(0, 0, 128));
        Redraw(h, window.dc);
        ExpectSamePicture(expected, ReadBitmap(GetAnimBitmap(h)), "redrawn");
        DestroyAnimation(h);
    }
}

TEST_F(ObjectDrawing, FrameOffsetsAndMissingFrames)
{
    spec.offsets = {{-3, 5}, {0, 0}};
    HANIM h = LoadObjects({{20, 30}, {70, 30}});
    ASSERT_NE(nullptr, h);
    ExpectSamePicture(Expected(120, 90, RGB(0, 0, 128), {{17, 35}, {67, 35}}), PaintToPixels(h, 120, 90), "offsets");
    // A frame the sequence does not have is not drawn.
    LockedContext(h)->objectRuntime[1].frame = 2;
    ExpectSamePicture(Expected(120, 90, RGB(0, 0, 128), {{17, 35}}), PaintToPixels(h, 120, 90), "missing frame");
    LockedContext(h)->objectRuntime[1].frame = 200;
    ExpectSamePicture(Expected(120, 90, RGB(0, 0, 128), {{17, 35}}), PaintToPixels(h, 120, 90), "frame past the slots");
    DestroyAnimation(h);
}

TEST_F(ObjectDrawing, RedrawCopiesTheChangedAreasAndPutsTheBackgroundBack)
{
    HANIM h = LoadObjects({{10, 10}, {60, 50}});
    ASSERT_NE(nullptr, h);
    BeginPlaying(h);
    const COLORREF untouched = RGB(1, 2, 3);
    FakeWindow window(120, 90, untouched);
    Redraw(h, window.dc);
    window.Fill(untouched);
    {
        LockedContext c(h);
        c->objectRuntime[0].x += 7;
        c->objectRuntime[0].y += 3;
    }
    Redraw(h, window.dc);
    const Pixels expected = Expected(120, 90, RGB(0, 0, 128), {{17, 13}, {60, 50}});
    ExpectSamePicture(expected, ReadBitmap(GetAnimBitmap(h)), "picture");
    // Only the union of each object's old and new place reaches the window.
    const Pixels shown = window.Read();
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 120; ++x) {
            const bool first = x >= 10 && x < 17 + 24 && y >= 10 && y < 13 + 16;
            const bool second = x >= 60 && x < 60 + 24 && y >= 50 && y < 50 + 16;
            ASSERT_EQ(first || second ? expected.At(x, y) : untouched, shown.At(x, y)) << x << "," << y;
        }
    {
        LockedContext c(h);
        EXPECT_EQ(17, c->objectRuntime[0].prevX);
        EXPECT_EQ(13, c->objectRuntime[0].prevY);
    }
    DestroyAnimation(h);
}

TEST_F(ObjectDrawing, OpaqueObjectsWithoutPictureLeaveNoTrail)
{
    spec.code = 0x80;
    HANIM h = LoadObjects({{10, 10}});
    ASSERT_NE(nullptr, h);
    ASSERT_EQ(nullptr, GetAnimBitmap(h));
    ExpectSamePicture(Expected(120, 90, RGB(0, 0, 128), {}), PaintToPixels(h, 120, 90), "before the first step");
    BeginPlaying(h);
    FakeWindow window(120, 90, RGB(0, 0, 128));
    Redraw(h, window.dc);
    ExpectSamePicture(Expected(120, 90, RGB(0, 0, 128), {{10, 10}}), window.Read(), "first position");
    for (const POINT move : {POINT{5, 4}, POINT{-9, 2}, POINT{30, -3}}) {
        {
            LockedContext c(h);
            c->objectRuntime[0].x += move.x;
            c->objectRuntime[0].y += move.y;
        }
        Redraw(h, window.dc);
    }
    ExpectSamePicture(Expected(120, 90, RGB(0, 0, 128), {{36, 13}}), window.Read(), "after moving");
    ExpectSamePicture(Expected(120, 90, RGB(0, 0, 128), {{36, 13}}), PaintToPixels(h, 120, 90), "painted while playing");
    DestroyAnimation(h);
}

TEST_F(ObjectDrawing, StampedFramesStayInTheBackground)
{
    HANIM h = LoadObjects({{10, 10}});
    ASSERT_NE(nullptr, h);
    BeginPlaying(h);
    LockedContext(h)->objectRuntime[0].stamp = 1;
    FakeWindow window(120, 90, RGB(0, 0, 128));
    Redraw(h, window.dc);
    EXPECT_EQ(0, LockedContext(h)->objectRuntime[0].stamp);
    LockedContext(h)->objectRuntime[0].x += 40;
    Redraw(h, window.dc);
    ExpectSamePicture(Expected(120, 90, RGB(0, 0, 128), {{10, 10}, {50, 10}}), ReadBitmap(GetAnimBitmap(h)), "stamped");
    DestroyAnimation(h);
}

TEST_F(ObjectDrawing, HostsDrawIntoTheBackgroundUnderTheObjects)
{
    HANIM h = LoadObjects({{10, 10}});
    ASSERT_NE(nullptr, h);
    BeginPlaying(h);
    FakeWindow window(120, 90, RGB(0, 0, 128));
    Redraw(h, window.dc);
    HDC dc = GetAnimDC(h, FALSE);
    ASSERT_NE(nullptr, dc);
    HBRUSH brush = CreateSolidBrush(RGB(0, 255, 0));
    const RECT all{0, 0, 120, 90};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    ReleaseAnimDC(h);
    ExpectSamePicture(Expected(120, 90, RGB(0, 255, 0), {{10, 10}}), ReadBitmap(GetAnimBitmap(h)), "released");
    // The objects saved the new background.
    LockedContext(h)->objectRuntime[0].x += 50;
    Redraw(h, window.dc);
    ExpectSamePicture(Expected(120, 90, RGB(0, 255, 0), {{60, 10}}), ReadBitmap(GetAnimBitmap(h)), "moved");
    DestroyAnimation(h);
}

// ---- the window: erase and origin ----

TEST_F(ObjectDrawing, EraseFillsOnlyWhatLiesOutsideThePicture)
{
    AnimationFixture f(100, 80, RGB(0, 0, 128));
    ASSERT_EQ(RESULT_OK, f.Write(dir.File("a.ans")));
    HANIM h = CreateAnimation("a.ans", 0, 0, 0, ANIM_KEEP_FILE_BKCOLOR);
    ASSERT_NE(nullptr, h);
    const COLORREF untouched = RGB(1, 2, 3);
    struct Case {
        POINT origin;
        RECT erased;  // in window pixels
    } cases[] = {{{30, 0}, {70, 0, 100, 80}},  // scrolled 30 to the right: the strip beyond the right edge
                 {{-20, 0}, {0, 0, 20, 80}},
                 {{0, -10}, {0, 0, 100, 10}},
                 {{0, 0}, {0, 0, 0, 0}}};
    for (const Case& c : cases) {
        FakeWindow window(100, 80, untouched);
        SetWindowOrgEx(window.dc, c.origin.x, c.origin.y, nullptr);
        const RECT client{0, 0, 100, 80};
        EXPECT_EQ(1, EraseAnimBackground(h, window.dc, &client));
        SetWindowOrgEx(window.dc, 0, 0, nullptr);
        const Pixels p = window.Read();
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 100; ++x) {
                const bool erased = x >= c.erased.left && x < c.erased.right && y >= c.erased.top && y < c.erased.bottom;
                ASSERT_EQ(erased ? RGB(0, 0, 128) : untouched, p.At(x, y))
                    << x << "," << y << " with origin " << c.origin.x << "," << c.origin.y;
            }
    }
    FakeWindow window(10, 10, untouched);
    const RECT client{0, 0, 10, 10};
    EXPECT_EQ(0, EraseAnimBackground(nullptr, window.dc, &client));
    DestroyAnimation(h);
}

TEST_F(ObjectDrawing, OriginOfTheWindow)
{
    WNDCLASSA wc{};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "OriginTestWindow";
    RegisterClassA(&wc);
    HWND window = CreateWindowA("OriginTestWindow", "", WS_POPUP, 0, 0, 100, 80, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, window);
    AnimationFixture f(100, 80, 0);
    ASSERT_EQ(RESULT_OK, f.Write(dir.File("a.ans")));
    HANIM h = CreateAnimation("a.ans", 0, 0, 0, 0);
    EXPECT_EQ(15u, SetAnimOrigin(h, window, 15, 99, ANIM_ORIGIN_X));
    EXPECT_EQ(1, LockedContext(h)->originShifted);
    EXPECT_EQ((9u << 16) | 15u, SetAnimOrigin(h, window, 0, 9, ANIM_ORIGIN_Y | ANIM_ORIGIN_ERASE));
    EXPECT_EQ((9u << 16) | 15u, SetAnimOrigin(h, window, 0, 0, 0));
    EXPECT_EQ(0xFFFFu, SetAnimOrigin(h, window, -1, 0, ANIM_ORIGIN_X | ANIM_ORIGIN_Y));
    EXPECT_EQ(1, LockedContext(h)->originShifted);
    EXPECT_EQ(0u, SetAnimOrigin(h, window, 0, 0, ANIM_ORIGIN_X | ANIM_ORIGIN_Y));
    EXPECT_EQ(0, LockedContext(h)->originShifted);
    DestroyAnimation(h);
    DestroyWindow(window);
}

TEST_F(ObjectDrawing, PaintFollowsTheOrigin)
{
    HANIM h = LoadObjects({{40, 30}});
    ASSERT_NE(nullptr, h);
    // Scrolled by (25, 20): window pixel (x, y) shows picture pixel (x + 25, y + 20).
    const Pixels whole = Expected(120, 90, RGB(0, 0, 128), {{40, 30}});
    const Pixels shown = PaintToPixels(h, 60, 50, {25, 20});
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 60; ++x) ASSERT_EQ(whole.At(x + 25, y + 20), shown.At(x, y)) << x << "," << y;
    DestroyAnimation(h);
}

TEST_F(ObjectDrawing, DesktopPictureAsBackground)
{
    // A window of one colour on the screen, captured as the picture.
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = CreateSolidBrush(RGB(200, 100, 0));
    wc.lpszClassName = "DesktopTestWindow";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(WS_EX_TOPMOST, "DesktopTestWindow", "", WS_POPUP | WS_VISIBLE, 200, 150, 160, 120,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, window);
    UpdateWindow(window);
    GdiFlush();
    AnimationFixture f(100, 80, RGB(0, 0, 128));
    f.settings().playFlags = 0x04;
    ASSERT_EQ(RESULT_OK, f.Write(dir.File("a.ans")));
    HANIM h = CreateAnimation("a.ans", 0, 0, 0, ANIM_KEEP_FILE_BKCOLOR);
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(4, GetAnimInfo(h, ANIM_INFO_DESKTOP_BACKGROUND));
    EXPECT_EQ(1, CaptureDesktopBackground(h, nullptr, 230, 170, FALSE));
    ExpectSamePicture(Expected(100, 80, RGB(200, 100, 0), {}), ReadBitmap(GetAnimBitmap(h)), "desktop");
    DestroyAnimation(h);
    DestroyWindow(window);
    DeleteObject(wc.hbrBackground);
}

}  // namespace
