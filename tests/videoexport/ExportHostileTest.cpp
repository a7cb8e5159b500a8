// What AnsToAvi does with input it cannot use: damaged and foreign animation
// files, records of another size, paths too long for a file name, and the
// colour conversion's arithmetic on its own. Never a crash: a message, no
// window, and the file made for the export closed and removed.
#include "DialogTestHooks.h"
#include "ExportTestSupport.h"
#include "PackedDib.h"
#include <gtest/gtest.h>

namespace {

class ExportHostileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(library.started); }
    ExportLibrarySession library;
    NotifiedParent parent;
};

std::string StringOf(UINT id)
{
    char text[512] = "";
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return text;
}

TEST_F(ExportHostileTest, DamagedAnimationsAreRefusedWithTheUnknownFormatMessage)
{
    PlayScene scene(40, 16);
    AddMovingObject(scene);
    const std::vector<uint8_t> good = ReadWholeFile(WriteScene(scene));
    ASSERT_GT(good.size(), 300u);
    TestRandom random(11);
    std::vector<uint8_t> noise(900);
    for (uint8_t& b : noise) b = static_cast<uint8_t>(random.Next());
    std::vector<uint8_t> hugeCounts = good;
    hugeCounts[5] = hugeCounts[6] = hugeCounts[7] = hugeCounts[8] = 0xFF;  // every count of the header
    std::vector<uint8_t> wrongMagic = good;
    wrongMagic[0] = 'P', wrongMagic[1] = 'K';
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"the header only", std::vector<uint8_t>(good.begin(), good.begin() + 11)},
        {"cut inside the settings", std::vector<uint8_t>(good.begin(), good.begin() + 120)},
        {"cut inside the tables", std::vector<uint8_t>(good.begin(), good.end() - 40)},
        {"noise", noise},
        {"counts past every table", hugeCounts},
        {"an archive's magic", wrongMagic},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string animation = scene.dir.File("damaged.ans");
        ASSERT_TRUE(WriteWholeFile(animation, c.bytes));
        const std::string avi = scene.dir.File("damaged.avi");
        MessageBoxRecorder boxes;
        AviExportOptions options = ExportOptions(5, 5, 1, 0);
        options.aviFile = CreateUncompressedAvi(avi, false);
        ASSERT_NE(options.aviFile, nullptr);
        const ExportRun run = RunExport(parent, animation, avi, options);
        EXPECT_EQ(run.window, nullptr);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, StringOf(IDS_UNKNOWN_FORMAT));
        EXPECT_EQ(boxes.Boxes()[0].caption, animation);
        EXPECT_EQ(options.aviFile, nullptr);
        EXPECT_FALSE(FileExists(avi)) << "the empty AVI is removed";
        EXPECT_TRUE(IsWindowEnabled(parent.hwnd));
        EXPECT_FALSE(g_export.active);
    }
}

TEST_F(ExportHostileTest, RecordsOfAnotherSizeAndOverlongPathsAreRefused)
{
    PlayScene scene(40, 16);
    AddMovingObject(scene);
    const std::string animation = WriteScene(scene);
    const std::string avi = scene.dir.File("refused.avi");
    const std::string tooLong = scene.dir.File(std::string(270, 'x') + ".avi");
    const struct {
        const char* what;
        int windowSize, optionsSize;
        const char* animationPath;
        const char* aviPath;
        UINT message;
        bool removesFile;  // the file made for the export (at the options' path) goes
    } cases[] = {
        {"window record of size 0", 0, sizeof(AviExportOptions), animation.c_str(), avi.c_str(), IDS_UNKNOWN_ERROR, false},
        {"window record one byte short", sizeof(ExportWindowParams) - 1, sizeof(AviExportOptions), animation.c_str(),
         avi.c_str(), IDS_UNKNOWN_ERROR, false},
        {"options record of 999 bytes", sizeof(ExportWindowParams), 999, animation.c_str(), avi.c_str(),
         IDS_UNKNOWN_ERROR, false},
        {"an AVI path of 270 characters", sizeof(ExportWindowParams), sizeof(AviExportOptions), animation.c_str(),
         tooLong.c_str(), IDS_CREATE_ERROR, true},
        {"no AVI path", sizeof(ExportWindowParams), sizeof(AviExportOptions), animation.c_str(), nullptr,
         IDS_CREATE_ERROR, true},
        {"no animation path", sizeof(ExportWindowParams), sizeof(AviExportOptions), nullptr, avi.c_str(),
         IDS_UNKNOWN_FORMAT, true},
        {"an animation that does not exist", sizeof(ExportWindowParams), sizeof(AviExportOptions),
         "Q:\\no\\such\\animation.ans", avi.c_str(), IDS_UNKNOWN_FORMAT, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MessageBoxRecorder boxes;
        ExportWindowParams params = ExportWindow(parent.hwnd);
        params.size = static_cast<uint16_t>(c.windowSize);
        AviExportOptions options = ExportOptions(5, 5, 1, 0);
        options.size = static_cast<uint16_t>(c.optionsSize);
        options.aviPath = avi.c_str();
        options.aviFile = CreateUncompressedAvi(avi, false);
        ASSERT_NE(options.aviFile, nullptr);
        EXPECT_EQ(AnsToAvi(&params, c.animationPath, c.aviPath, &options), nullptr);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, StringOf(c.message));
        EXPECT_EQ(FileExists(avi), !c.removesFile);
        EXPECT_EQ(options.aviFile == nullptr, c.removesFile);
        EXPECT_FALSE(g_export.active);
        EXPECT_TRUE(IsWindowEnabled(parent.hwnd));
        if (options.aviFile) {
            // A record that cannot be trusted is left as it came.
            EXPECT_TRUE(CloseAviFile(options.aviFile));
            DeleteFileA(avi.c_str());
        }
    }
    MessageBoxRecorder boxes;
    EXPECT_EQ(AnsToAvi(nullptr, animation.c_str(), avi.c_str(), nullptr), nullptr);
    EXPECT_EQ(boxes.Boxes().size(), 1u);
}

// ---- the colour conversion on its own ----

// A small table: black, a dark red, grey and white, a duplicate of grey, and
// a colour between two 5-bit steps.
const RGBQUAD TABLE[] = {{0, 0, 0, 0}, {0, 0, 130, 0}, {128, 128, 128, 0}, {255, 255, 255, 0},
                         {128, 128, 128, 0}, {40, 200, 100, 0}};

uint16_t Color555(int r, int g, int b) { return static_cast<uint16_t>(r << 10 | g << 5 | b); }

TEST(ColorConversion, EachFifteenBitColourGoesToTheNearestTableEntry)
{
    const struct {
        uint16_t color;
        int index;
    } cases[] = {
        {Color555(0, 0, 0), 0},      // (4, 4, 4): distance 12 from black
        {Color555(16, 0, 0), 1},     // (132, 4, 4): dark red, 10 away
        {Color555(15, 15, 15), 2},   // (124, 124, 124): grey, the first of the two
        {Color555(16, 16, 16), 2},   // (132, 132, 132)
        {Color555(31, 31, 31), 3},   // (252, 252, 252): white
        {Color555(12, 24, 4), 5},    // (100, 196, 36): the green entry, 8 away
        {Color555(8, 8, 8), 2},      // (68, 68, 68): grey 180 away, dark red 198, black 204
    };
    for (const auto& c : cases) EXPECT_EQ(NearestColorIndex(c.color, TABLE, 6), c.index) << std::hex << c.color;
    // An exact match (distance below 2) ends the search at the first entry that has it.
    const RGBQUAD exact[] = {{255, 255, 255, 0}, {4, 4, 132, 0}, {4, 4, 132, 0}, {5, 4, 132, 0}};
    EXPECT_EQ(NearestColorIndex(Color555(16, 0, 0), exact, 4), 1);
    EXPECT_EQ(NearestColorIndex(0x8000 | Color555(16, 0, 0), exact, 4), 1) << "the top bit is no colour";
}

TEST(ColorConversion, RowsAreConvertedInPlaceWithTheirPaddingAndTheCacheFilled)
{
    const int width = 33, height = 3;
    std::vector<BYTE> bits(DibStride(width, 16) * height, 0xEE);
    std::vector<int> expected;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint16_t color = (x + y) % 3 == 0 ? Color555(31, 31, 31) : (x % 2 ? Color555(16, 0, 0) : 0);
            bits[y * DibStride(width, 16) + 2 * x] = static_cast<BYTE>(color);
            bits[y * DibStride(width, 16) + 2 * x + 1] = static_cast<BYTE>(color >> 8);
            expected.push_back(NearestColorIndex(color, TABLE, 6));
        }
    std::vector<uint16_t> cache(COLOR_CACHE_ENTRIES);
    ClearColorCache(cache.data());
    ConvertRowsTo8Bit(bits.data(), width, height, TABLE, 6, cache.data());
    ASSERT_EQ(DibStride(width, 8), 36u);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) EXPECT_EQ(bits[y * 36 + x], expected[y * width + x]) << x << "," << y;
        for (int x = width; x < 36; ++x) EXPECT_EQ(bits[y * 36 + x], 0) << "padding of row " << y;
    }
    EXPECT_EQ(cache[Color555(16, 0, 0)], 1);
    EXPECT_EQ(cache[Color555(31, 31, 31)], 3);
    EXPECT_EQ(cache[Color555(1, 2, 3)], COLOR_CACHE_EMPTY);
    // The cache answers for colours it holds: a stale entry shows it is used.
    cache[Color555(31, 31, 31)] = 4;
    std::vector<BYTE> white = {0xFF, 0x7F, 0, 0};
    ConvertRowsTo8Bit(white.data(), 1, 1, TABLE, 6, cache.data());
    EXPECT_EQ(white[0], 4);
}

TEST(ColorConversion, ProgressIsAPercentageOfTheStepsCappedAt100)
{
    EXPECT_EQ(ProgressPercent(0, 500), 0);
    EXPECT_EQ(ProgressPercent(5, 500), 1);
    EXPECT_EQ(ProgressPercent(65530, 65530), 100);
    EXPECT_EQ(ProgressPercent(70000, 65530), 100);
    EXPECT_EQ(ProgressPercent(40000, 65530), 61);
}

}  // namespace
