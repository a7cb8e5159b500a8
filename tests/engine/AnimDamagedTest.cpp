// Damaged input: truncated files, absurd counts, bad offsets and sizes, broken
// row codes and archives. Every one fails its load (result 0 or a null handle)
// without a crash, and leaves nothing behind.
#include "EngineFixtures.h"
#include "AnxArchive.h"
#include "ResultCodes.h"
#include <gtest/gtest.h>
#include <minizip/zip.h>
#include <cstddef>
#include <cstring>

namespace {

class DamagedFiles : public ::testing::Test {
protected:
    EngineSession session{kDibSections};
    ScratchDir dir;
    int gdiStart = 0;

    // The layout of the good animation written by SetUp.
    static constexpr size_t kSequences = 238, kRegions = kSequences + 3 * 68, kSounds = kRegions + 2 * 10;
    static constexpr size_t kObject0 = kSounds + 2 * 68, kSteps0 = kObject0 + 54, kObject1 = kSteps0 + 3 * 16;
    static constexpr size_t kEnd = kObject1 + 54;
    std::vector<uint8_t> ans, bmx, bmp;

    void SetUp() override
    {
        SetCurrentDirectoryA(dir.Path().c_str());
        SequenceSpec spec;
        spec.frames = 3;
        spec.code = 0;
        spec.compression = 0x333;  // the own row code
        spec.value = [](int x, int y, int frame) { return uint32_t((x / 6 + y / 4 + frame) % 3 == 0 ? 0 : 16 + (x / 6 + y) % 50); };
        ASSERT_EQ(RESULT_OK, WriteSequence(dir.File("s.bmx"), spec));
        bmx = ReadWholeFile(dir.File("s.bmx"));
        ASSERT_TRUE(WriteBmp(dir.File("back.bmp"), 20, 10, 8, [](int x, int y) { return uint32_t(16 + x + y); }));
        bmp = ReadWholeFile(dir.File("back.bmp"));

        AnimationFixture f(100, 80, 0x80000000u);
        strcpy(f.settings().backgroundImage, "back.bmp");
        for (int i = 0; i < 3; ++i) f.AddSequence("s.bmx", 0, 256);
        f.AddRegion(0, 1, 2, 3, 4);
        f.AddRegion(0, 5, 6, 7, 8);
        f.AddSound("a.wav", 0x1000);
        f.AddSound("b.mid", 0x2000);
        f.AddObject(0, 10, 10, 1);
        f.AddObject(2, 30, 10);
        std::vector<ObjectStep> steps(3);
        for (int i = 0; i < 3; ++i) steps[i] = {static_cast<uint8_t>(i), 1, 0, i, -i, 0, 0, 0, {}, 0, 0, 0};
        f.AddSteps(0, steps);
        ASSERT_EQ(RESULT_OK, f.Write(dir.File("good.ans")));
        ans = ReadWholeFile(dir.File("good.ans"));
        ASSERT_EQ(kEnd, ans.size());

        // Warm up, then count: the system makes objects of its own on first use.
        HANIM h = LoadWholeAnimation(dir.File("good.ans"));
        ASSERT_NE(nullptr, h);
        PaintToPixels(h, 100, 80);
        DestroyAnimation(h);
        gdiStart = CountGdiObjects();
        ASSERT_GT(gdiStart, 0);
    }

    void TearDown() override { EXPECT_EQ(gdiStart, CountGdiObjects()) << "GDI objects left behind"; }

    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        EXPECT_TRUE(WriteWholeFile(dir.File(name), bytes));
        return dir.File(name);
    }

    // Loads a damaged animation file; when it loads, everything after it must
    // still work: sequences, background, a paint.
    bool LoadsAnimation(const std::vector<uint8_t>& bytes)
    {
        const std::string path = Write("bad.ans", bytes);
        HANIM h = CreateAnimation(path.c_str(), 0, 0, 0, 0);
        if (!h) return false;
        char name[MAX_PATH];
        for (int i = 0; GetAnimSequenceName(h, i, name, TRUE); ++i) LoadAnimSequence(h, i, name, FALSE);
        if (GetAnimBackgroundName(h, name, TRUE))
            LoadAnimBackground(h, name, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, FALSE);
        AttachAnimation(h, nullptr);
        PaintToPixels(h, 100, 80);
        DestroyAnimation(h);
        return true;
    }

    // Loads damaged bytes into the good animation with `load`, then paints it.
    int LoadsInto(const std::vector<uint8_t>& bytes, const std::function<int(HANIM, const char*)>& load)
    {
        Write("bad.bin", bytes);
        HANIM h = CreateAnimation("good.ans", 0, 0, 0, 0);
        EXPECT_NE(nullptr, h);
        const int result = load(h, "bad.bin");
        AttachAnimation(h, nullptr);
        PaintToPixels(h, 100, 80);
        DestroyAnimation(h);
        return result;
    }
    int LoadsSequence(const std::vector<uint8_t>& bytes)
    {
        return LoadsInto(bytes, [](HANIM h, const char* name) { return LoadAnimSequence(h, 0, name, FALSE); });
    }
    int LoadsBackground(const std::vector<uint8_t>& bytes)
    {
        return LoadsInto(bytes, [](HANIM h, const char* name) { return LoadAnimBackground(h, name, 0, 0, 0, FALSE); });
    }

    template <typename T>
    static void Put(std::vector<uint8_t>& bytes, size_t offset, T value)
    {
        memcpy(bytes.data() + offset, &value, sizeof value);
    }
};

TEST_F(DamagedFiles, EveryTruncatedAnimationFails)
{
    EXPECT_TRUE(LoadsAnimation(ans));
    for (size_t length = 0; length < ans.size(); ++length) {
        std::vector<uint8_t> cut(ans.begin(), ans.begin() + length);
        ASSERT_FALSE(LoadsAnimation(cut)) << length << " bytes";
        const AnimMemorySource image{cut.data(), static_cast<DWORD>(cut.size())};
        ASSERT_EQ(nullptr, CreateAnimation(&image, 0, 0, 0, ANIM_FROM_MEMORY)) << length << " bytes in memory";
    }
    const AnimMemorySource nothing{nullptr, 100};
    EXPECT_EQ(nullptr, CreateAnimation(&nothing, 0, 0, 0, ANIM_FROM_MEMORY));
    EXPECT_EQ(nullptr, CreateAnimation(nullptr, 0, 0, 0, ANIM_FROM_MEMORY));
}

TEST_F(DamagedFiles, CountsNamesAndIndexesOutsideTheTables)
{
    const struct {
        const char* what;
        size_t offset;
        int size;  // 1 or 2 bytes, or 64: a name field filled without its end
        int value;
    } cases[] = {
        {"13 sequences", 4, 1, 13},
        {"33 objects", 5, 1, 33},
        {"255 objects", 5, 1, 255},
        {"65 regions", 6, 1, 65},
        {"33 sounds", 7, 1, 33},
        {"title without end", 11 + offsetof(AnimationSettingsDisk, title), 64, 'T'},
        {"background name without end", 11 + offsetof(AnimationSettingsDisk, backgroundImage), 64, 'B'},
        {"following animation without end", 11 + offsetof(AnimationSettingsDisk, nextAnimation), 64, 'N'},
        {"sequence name without end", kSequences + 68 + 4, 64, 'S'},
        {"sound name without end", kSounds + 68 + 4, 64, 'W'},
        {"object name without end", kObject0 + 1, 32, 'O'},
        {"sequence index 3 of 3", kObject1, 1, 3},
        {"sequence index 200", kObject0, 1, 200},
        {"2049 steps", kObject0 + 34, 2, 2049},
        {"-1 steps", kObject0 + 34, 2, -1},
        {"32767 steps", kObject1 + 34, 2, 32767},
        {"steps where there are none", kObject1 + 34, 2, 1},
        {"version 0x2A0", 2, 2, 0x2A0},
        {"magic", 0, 2, 0x4241},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bad = ans;
        if (c.size == 1) bad[c.offset] = static_cast<uint8_t>(c.value);
        else if (c.size == 2) Put(bad, c.offset, static_cast<int16_t>(c.value));
        else memset(bad.data() + c.offset, c.value, c.size);
        EXPECT_FALSE(LoadsAnimation(bad)) << c.what;
    }
    // Counts at the tables' limits are read, with room for 32 objects.
    AnimationFixture full(100, 80, 0);
    for (int i = 0; i < MAX_SEQUENCES; ++i) full.AddSequence("s.bmx", 0, 256);
    for (int i = 0; i < MAX_REGIONS; ++i) full.AddRegion(0, i, i, i + 1, i + 1);
    for (int i = 0; i < MAX_SOUNDS; ++i) full.AddSound("x.wav", 0);
    for (int i = 0; i < MAX_PLAYER_OBJECTS; ++i) full.AddObject(i % MAX_SEQUENCES, i, i);
    full.AddSteps(31, std::vector<ObjectStep>(MAX_STEPS));
    ASSERT_EQ(RESULT_OK, full.Write(dir.File("full.ans")));
    EXPECT_TRUE(LoadsAnimation(ReadWholeFile(dir.File("full.ans"))));
}

TEST_F(DamagedFiles, RandomlyDamagedAnimationsNeverCrash)
{
    TestRandom random(7);
    int loaded = 0;
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> bad = ans;
        const int flips = random.Range(1, 4);
        for (int i = 0; i < flips; ++i) bad[random.Range(0, static_cast<int>(bad.size()) - 1)] = static_cast<uint8_t>(random.Next());
        loaded += LoadsAnimation(bad);
    }
    EXPECT_GT(loaded, 0) << "some damage is harmless";
}

TEST_F(DamagedFiles, EveryTruncatedSequenceFails)
{
    EXPECT_EQ(1, LoadsSequence(bmx));
    for (size_t length = 0; length < bmx.size(); length += 3)
        ASSERT_EQ(0, LoadsSequence(std::vector<uint8_t>(bmx.begin(), bmx.begin() + length))) << length << " bytes";
}

TEST_F(DamagedFiles, SequenceHeadersDirectoriesAndRowCodes)
{
    constexpr size_t info = sizeof(BmxFileHeader), table = info + 40, directory = table + 256 * 4;
    const size_t bits = directory + 3 * sizeof(BmxFrameEntry);
    BmxFrameEntry first;
    memcpy(&first, bmx.data() + directory, sizeof first);
    ASSERT_EQ(3, first.compression) << "the fixture uses the own row code";
    const size_t firstCodeEnd = bits + first.dataSize;
    const struct {
        const char* what;
        size_t offset;
        int size;
        int64_t value;
    } cases[] = {
        {"magic", 0, 2, 0x4D42},
        {"buffer size 1", 2, 4, 1},
        {"65535 frames", 6, 2, 65535},
        {"7 bits per pixel", 8, 1, 7},
        {"bits offset past the end", 10, 4, 0x7FFFFFFF},
        {"bits offset inside the directory", 10, 4, 100},
        {"info header size 12", info, 4, 12},
        {"info header size 108", info, 4, 108},
        {"width 0", info + 4, 4, 0},
        {"width 4096", info + 4, 4, 4096},
        {"width -24", info + 4, 4, -24},
        {"height 5000", info + 8, 4, 5000},
        {"depth differs from the header", info + 14, 2, 4},
        {"300 colours", info + 32, 4, 300},
        {"data size past the buffer", directory, 4, 0x10000000},
        {"data size 0", directory, 4, 0},
        {"compression 7", directory + 17, 1, 7},
        {"frame name without end", directory + 4, 13, 'F'},  // filled
        {"row code length too long", firstCodeEnd - 2, 2, 0x7FFF},
        {"row code length 0", firstCodeEnd - 2, 2, 0},
        {"row code garbage", bits, 6, 0xFF},  // filled: more than four bytes
        {"row code run too long", bits, 1, 250},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bad = bmx;
        if (c.size <= 4) memcpy(bad.data() + c.offset, &c.value, c.size);
        else memset(bad.data() + c.offset, static_cast<int>(c.value), c.size);
        EXPECT_EQ(0, LoadsSequence(bad)) << c.what;
    }
    TestRandom random(11);
    for (int round = 0; round < 200; ++round) {
        std::vector<uint8_t> bad = bmx;
        for (int i = random.Range(1, 6); i > 0; --i) bad[random.Range(0, static_cast<int>(bad.size()) - 1)] = static_cast<uint8_t>(random.Next());
        LoadsSequence(bad);  // loaded or not: no crash, nothing left behind
    }
}

TEST_F(DamagedFiles, BackgroundPictures)
{
    EXPECT_EQ(1, LoadsBackground(bmp));
    for (size_t length = 0; length < bmp.size(); length += 5)
        ASSERT_EQ(0, LoadsBackground(std::vector<uint8_t>(bmp.begin(), bmp.begin() + length))) << length << " bytes";
    constexpr size_t infoAt = sizeof(BITMAPFILEHEADER);
    std::vector<uint8_t> bad = bmp;
    Put(bad, 10, uint32_t(0x7FFFFFF0));  // bits offset past the end
    EXPECT_EQ(0, LoadsBackground(bad));
    bad = bmp;
    Put(bad, infoAt + 16, uint32_t(BI_RLE4));  // a run-length form of another depth
    EXPECT_EQ(0, LoadsBackground(bad));
    bad = bmp;
    Put(bad, infoAt + 16, uint32_t(BI_RLE8));  // more run-length bytes claimed than the file has
    Put(bad, infoAt + 20, uint32_t(0x7FFFFFF0));
    LoadsBackground(bad);  // read as far as the file goes or refused: either way nothing is left behind
    bad = bmp;
    Put(bad, infoAt + 4, int32_t(70000));
    EXPECT_EQ(0, LoadsBackground(bad));
    // A whole picture may be larger than any frame (2048 a side): a wide
    // screen's loads; one whose rows could overflow is refused.
    ASSERT_TRUE(WriteBmp(dir.File("wide.bmp"), 2560, 1440, 24, [](int x, int) { return x < 1280 ? 0xFF0000u : 0x0000FFu; }));
    const std::vector<uint8_t> wide = ReadWholeFile(dir.File("wide.bmp"));
    EXPECT_EQ(1, LoadsBackground(wide));
    bad = wide;
    Put(bad, infoAt + 4, int32_t(16385));
    EXPECT_EQ(0, LoadsBackground(bad));
    // A frame-sequence file cut inside its first frame.
    EXPECT_EQ(1, LoadsBackground(bmx));
    EXPECT_EQ(0, LoadsBackground(std::vector<uint8_t>(bmx.begin(), bmx.begin() + 1200)));
    EXPECT_EQ(0, LoadsBackground({'Z', 'Z', 0, 0}));
}

TEST_F(DamagedFiles, PaletteSourcesKeepThePalette)
{
    HANIM h = CreateAnimation("good.ans", 0, 0, 0, 0);
    ASSERT_NE(nullptr, h);
    const HPALETTE before = reinterpret_cast<HPALETTE>(GetAnimInfo(h, ANIM_INFO_PALETTE));
    std::vector<uint8_t> bad = bmp;
    Put(bad, sizeof(BITMAPFILEHEADER) + 32, uint32_t(300));  // 300 colours
    for (const std::vector<uint8_t>& bytes : {bad, std::vector<uint8_t>(bmp.begin(), bmp.begin() + 60),
                                             std::vector<uint8_t>{'B', 'M'}, std::vector<uint8_t>{}}) {
        Write("bad.bin", bytes);
        EXPECT_EQ(before, LoadAnimPalette(h, "bad.bin", FALSE));
    }
    EXPECT_EQ(before, LoadAnimPalette(h, "missing.bmp", FALSE));
    DestroyAnimation(h);
}

// A zip archive written entry by entry.
bool WriteZip(const std::string& path, const std::vector<std::pair<std::string, std::vector<uint8_t>>>& entries)
{
    zipFile zip = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
    if (!zip) return false;
    bool ok = true;
    for (const auto& e : entries) {
        zip_fileinfo info{};
        ok = ok && zipOpenNewFileInZip(zip, e.first.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6) == ZIP_OK &&
             zipWriteInFileInZip(zip, e.second.data(), static_cast<unsigned>(e.second.size())) == ZIP_OK &&
             zipCloseFileInZip(zip) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

TEST_F(DamagedFiles, ArchivesThatCannotBeReadLeaveNothingBehind)
{
    PrivateTempFolder temp;
    const std::string archive = dir.File("good.anx");
    AnxArchive packer(archive.c_str());
    ASSERT_EQ(1, packer.Pack(dir.File("good.ans").c_str()));
    const std::vector<uint8_t> zip = ReadWholeFile(archive);
    const std::string base = dir.Path();
    const std::vector<uint8_t> info = {'x', '.', 'a', 'n', 's'};
    ASSERT_TRUE(WriteZip(dir.File("noanimation.anx"), {{"s.bmx", bmx}, {"anxinfo.dat", info}}));
    ASSERT_TRUE(WriteZip(dir.File("badanimation.anx"), {{"a.ans", std::vector<uint8_t>(ans.begin(), ans.begin() + 100)}}));
    ASSERT_TRUE(WriteZip(dir.File("escape.anx"), {{"..\\..\\a.ans", ans}, {"anxinfo.dat", {'.', '.'}}}));
    std::vector<std::string> bad = {dir.File("noanimation.anx"), dir.File("badanimation.anx")};
    for (size_t length : {size_t(4), size_t(30), zip.size() / 2, zip.size() - 30}) {
        const std::string name = "cut" + std::to_string(length) + ".anx";
        bad.push_back(Write(name, std::vector<uint8_t>(zip.begin(), zip.begin() + length)));
    }
    for (const std::string& path : bad) {
        SetCurrentDirectoryA(dir.Path().c_str());
        EXPECT_EQ(nullptr, CreateAnimation(path.c_str(), 0, 0, 0, 0)) << path;
        EXPECT_EQ(0, temp.CountUnpackFolders()) << path;
    }
    // Entries that name other folders land in the unpack folder only.
    SetCurrentDirectoryA(dir.Path().c_str());
    HANIM h = CreateAnimation(dir.File("escape.anx").c_str(), 0, 0, 0, 0);
    ASSERT_NE(nullptr, h);
    const std::string escaped = LockedContext(h)->unpackedAnimation;
    EXPECT_EQ(0u, escaped.find(temp.Path() + ANX_UNPACK_PREFIX)) << escaped;
    DestroyAnimation(h);
    EXPECT_EQ(0, temp.CountUnpackFolders());
    // A reload from a broken archive keeps the first archive's files for the
    // handle to remove.
    h = CreateAnimation(archive.c_str(), 0, 0, 0, 0);
    ASSERT_NE(nullptr, h);
    const std::string unpacked = LockedContext(h)->unpackedAnimation;
    EXPECT_EQ(nullptr, ReloadAnimation(h, bad[0].c_str(), 0, 0, 0, 0));
    EXPECT_EQ(1, temp.CountUnpackFolders());
    DestroyAnimation(h);
    EXPECT_FALSE(FileExists(unpacked));
    EXPECT_EQ(0, temp.CountUnpackFolders());
}

}  // namespace
