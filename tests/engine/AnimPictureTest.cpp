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

}  // namespace
