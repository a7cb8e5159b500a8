// The animation handle: the display-mode choice, creation and its size and
// palette rules, every query, reloading into the same handle, freeing, and the
// three kinds of source (plain files, archives, memory images).
#include "EngineFixtures.h"
#include "AnxArchive.h"
#include "ResultCodes.h"
#include <gtest/gtest.h>
#include <cstring>

namespace {

std::string TempFolder()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string path = temp;
    if (path.back() != '\\') path += '\\';
    return path;
}

bool IsUnlocked(HANIM h) { return (GlobalFlags(h) & GMEM_LOCKCOUNT) == 0; }

int PaletteEntryCount(HPALETTE palette)
{
    WORD count = 0;
    return GetObject(palette, sizeof count, &count) ? count : -1;
}

HPALETTE StockPalette() { return static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)); }

// A small animation: `sequences` sequences of 16 by 12, one object on each.
struct SmallAnimation {
    std::string path;
    std::vector<SequenceSpec> specs;
};

SequenceSpec SmallSpec(uint8_t code, uint32_t seed)
{
    SequenceSpec s;
    s.width = 16;
    s.height = 12;
    s.code = code;
    s.value = [seed](int x, int y, int frame) -> uint32_t { return (x + y) % 4 == 0 ? 0 : 16 + (x * 7 + y * 3 + frame + seed) % 200; };
    return s;
}

SmallAnimation WriteSmallAnimation(const ScratchDir& dir, const std::string& name, int width, int height,
                                   COLORREF background, int sequences, const std::string& prefix = "s")
{
    SmallAnimation a;
    AnimationFixture f(width, height, background);
    for (int i = 0; i < sequences; ++i) {
        SequenceSpec spec = SmallSpec(i % 2 ? 0x80 : 0, i + static_cast<uint32_t>(width));
        const std::string file = prefix + std::to_string(i) + ".bmx";
        EXPECT_EQ(RESULT_OK, WriteSequence(dir.File(file), spec));
        f.AddObject(f.AddSequence(file, spec.code, 256), 4 + 20 * i, 6);
        a.specs.push_back(spec);
    }
    a.path = dir.File(name);
    EXPECT_EQ(RESULT_OK, f.Write(a.path));
    return a;
}

// ---- the display mode ----

TEST(EngineStart, BitmapModeByDepthHintAndVersion)
{
    struct Case {
        int bits, hint;
        DWORD major, minor;
        AnimBitmapMode mode;
    } cases[] = {
        {4, 0, 10, 0, ANIM_DEVICE_BITMAPS},   {7, -1, 10, 0, ANIM_DEVICE_BITMAPS}, {8, 1, 10, 0, ANIM_DEVICE_BITMAPS},
        {8, 0, 3, 0, ANIM_DIB_SECTIONS},      {32, 0, 4, 0, ANIM_DIB_SECTIONS},    {32, -1, 4, 0, ANIM_DEVICE_BITMAPS},
        {32, -1, 4, 10, ANIM_DIB_SECTIONS},   {32, -1, 5, 0, ANIM_DIB_SECTIONS},   {24, -1, 3, 51, ANIM_DEVICE_BITMAPS},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.mode, ChooseBitmapMode(c.bits, c.hint, c.major, c.minor))
            << c.bits << " bits, hint " << c.hint << ", version " << c.major << "." << c.minor;
}

// What each display branch makes: the off-screen picture's kind and depth and
// the palette.
TEST(EngineStart, EveryDisplayBranchIsReached)
{
    ScratchDir dir;
    SetCurrentDirectoryA(dir.Path().c_str());
    const SmallAnimation a = WriteSmallAnimation(dir, "a.ans", 64, 48, RGB(0, 0, 128), 1);
    struct Case {
        EngineMode mode;
        bool dibSection;
        int pictureBits;  // 0: the real display's
        bool stockPalette;
    } cases[] = {{kDibSections, true, 0, false},
                 {kDeviceBitmaps, false, 0, false},
                 {kPaletteDisplay, true, 8, false},
                 {kSixteenColors, false, 0, true}};
    HDC screen = GetDC(nullptr);
    const int realBits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode.name);
        EngineSession session(c.mode);
        HANIM h = LoadWholeAnimation(a.path, ANIM_PALETTE_BY_DISPLAY);
        ASSERT_NE(nullptr, h);
        DIBSECTION section{};
        const int size = GetObject(GetAnimBitmap(h), sizeof section, &section);
        EXPECT_EQ(c.dibSection, size == static_cast<int>(sizeof(DIBSECTION)) && section.dsBm.bmBits != nullptr);
        EXPECT_EQ(c.pictureBits ? c.pictureBits : realBits, section.dsBm.bmBitsPixel);
        const HPALETTE palette = reinterpret_cast<HPALETTE>(GetAnimInfo(h, ANIM_INFO_PALETTE));
        EXPECT_EQ(c.stockPalette, palette == StockPalette());
        EXPECT_EQ(c.stockPalette ? 16 : 256, GetAnimInfo(h, ANIM_INFO_COLORS));
        if (c.pictureBits == 8) {
            // The 256-colour picture carries the static colours at its ends and
            // the animation's palette in between.
            HDC dc = CreateCompatibleDC(nullptr);
            HGDIOBJ old = SelectObject(dc, GetAnimBitmap(h));
            RGBQUAD table[256];
            ASSERT_EQ(256u, GetDIBColorTable(dc, 0, 256, table));
            SelectObject(dc, old);
            DeleteDC(dc);
            PALETTEENTRY entries[256];
            ASSERT_EQ(256u, GetPaletteEntries(palette, 0, 256, entries));
            for (int i = 10; i < 246; ++i) {
                const PALETTEENTRY& e = entries[i - 2];
                EXPECT_EQ(RGB(e.peRed, e.peGreen, e.peBlue), RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue)) << i;
            }
            EXPECT_EQ(RGB(0, 0, 0), RGB(table[0].rgbRed, table[0].rgbGreen, table[0].rgbBlue));
            EXPECT_EQ(RGB(255, 255, 255), RGB(table[255].rgbRed, table[255].rgbGreen, table[255].rgbBlue));
        }
        DestroyAnimation(h);
    }
}

// ---- creating and querying ----

class AnimationHandle : public ::testing::Test {
protected:
    EngineSession session{kDibSections};
    ScratchDir dir;
    void SetUp() override { SetCurrentDirectoryA(dir.Path().c_str()); }
};

TEST_F(AnimationHandle, EveryInfoCode)
{
    AnimationFixture f(300, 200, 0x80123456);
    AnimationSettings& s = f.settings();
    s.positionFlags = 0x12;
    s.x = 100;
    s.y = 50;
    s.playFlags = 0x08 | 0x04 | 0x01;  // end action 1, desktop picture, inside the desktop (the writer adds 0x80)
    s.windowStyle = 0x12340000;
    s.windowExStyle = 0x88;
    strcpy(s.backgroundImage, "back.bmp");
    strcpy(s.nextAnimation, "next.ans");
    ASSERT_EQ(RESULT_OK, f.Write(dir.File("info.ans")));

    HANIM h = CreateAnimation(dir.File("info.ans").c_str(), 0, 0, RGB(1, 2, 3), 0);
    ASSERT_NE(nullptr, h);
    const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    const LONG_PTR position = ((screenH - 200 < 50 ? screenH - 200 : 50) << 16) | (screenW - 300 < 100 ? screenW - 300 : 100);
    const struct {
        int code;
        LONG_PTR value;
    } expected[] = {
        {ANIM_INFO_SIZE, (200 << 16) | 300}, {ANIM_INFO_COLORS, 256},          {ANIM_INFO_BKCOLOR, 0x030201},
        {ANIM_INFO_HIDE_CURSOR, 0x10},       {ANIM_INFO_FORCE_OFFSCREEN, 0},   {ANIM_INFO_SCREEN_SIZE, 0},
        {ANIM_INFO_FLAG_80, 0x80},           {ANIM_INFO_END_ACTION, 1},        {ANIM_INFO_STYLE, 0x12340000},
        {ANIM_INFO_EXSTYLE, 0x88},           {ANIM_INFO_DESKTOP_WINDOW, 1},    {ANIM_INFO_DESKTOP_BACKGROUND, 4},
        {ANIM_INFO_POSITION_MODE, 2},        {ANIM_INFO_POSITION, position},   {ANIM_INFO_FILE_SIZE, (200 << 16) | 300},
        {0, 0},                              {19, 0},                          {-1, 0},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(e.value, GetAnimInfo(h, e.code)) << "code " << e.code;
        EXPECT_TRUE(IsUnlocked(h)) << "code " << e.code;
    }
    const HPALETTE palette = reinterpret_cast<HPALETTE>(GetAnimInfo(h, ANIM_INFO_PALETTE));
    EXPECT_EQ(OBJ_PAL, GetObjectType(palette));
    EXPECT_EQ(256, PaletteEntryCount(palette));
    LOGBRUSH brush{};
    ASSERT_TRUE(GetObject(reinterpret_cast<HBRUSH>(GetAnimInfo(h, ANIM_INFO_BRUSH)), sizeof brush, &brush));
    EXPECT_EQ(RGB(1, 2, 3), brush.lbColor);
    EXPECT_STREQ("next.ans", reinterpret_cast<const char*>(GetAnimInfo(h, ANIM_INFO_NEXT_NAME)));
    DestroyAnimation(h);

    // The file's own colour, forced off-screen picture, whole-screen size.
    h = CreateAnimation(dir.File("info.ans").c_str(), 0, 0, RGB(1, 2, 3), ANIM_KEEP_FILE_BKCOLOR | ANIM_FORCE_OFFSCREEN);
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(0x123456, GetAnimInfo(h, ANIM_INFO_BKCOLOR));
    EXPECT_EQ(1, GetAnimInfo(h, ANIM_INFO_FORCE_OFFSCREEN));
    DestroyAnimation(h);
    for (int code = 0; code <= 19; ++code) EXPECT_EQ(0, GetAnimInfo(nullptr, code));
}

TEST_F(AnimationHandle, PictureSizeRules)
{
    AnimationFixture f(320, 240, RGB(0, 0, 0));
    ASSERT_EQ(RESULT_OK, WriteSequence(dir.File("s.bmx"), SmallSpec(0, 1)));
    f.AddObject(f.AddSequence("s.bmx", 0, 256), 0, 0);
    ASSERT_EQ(RESULT_OK, f.Write(dir.File("a.ans")));
    const char* path = "a.ans";
    struct Case {
        int w, h;
        DWORD flags;
        int pictureW, pictureH, bitmapW, bitmapH;
    } cases[] = {
        {0, 0, 0, 320, 240, 320, 240},          {5, 5, 0, 5, 5, 8, 8},
        {2000, 2000, 0, 2000, 2000, 2000, 2000}, {2000, 2000, ANIM_CLAMP_SIZE, 320, 240, 320, 240},
        {100, 0, ANIM_CLAMP_SIZE, 100, 240, 100, 240},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + " by " + std::to_string(c.h));
        HANIM h = CreateAnimation(path, c.w, c.h, 0, c.flags);
        ASSERT_NE(nullptr, h);
        EXPECT_EQ((c.pictureH << 16) | c.pictureW, GetAnimInfo(h, ANIM_INFO_SIZE));
        BITMAP b{};
        ASSERT_TRUE(GetObject(GetAnimBitmap(h), sizeof b, &b));
        EXPECT_EQ(c.bitmapW, b.bmWidth);
        EXPECT_EQ(c.bitmapH, b.bmHeight);
        DestroyAnimation(h);
    }
    // The own size by size mode.
    const struct {
        uint8_t sizeMode;
        int w, h;
    } modes[] = {{0, 320, 240}, {2, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, {1, 400, 300}};
    for (const auto& m : modes) {
        f.settings().sizeMode = m.sizeMode;
        f.settings().width = 400;
        f.settings().height = 300;
        ASSERT_EQ(RESULT_OK, f.Write(dir.File("m.ans")));
        HANIM h = CreateAnimation("m.ans", 0, 0, 0, 0);
        ASSERT_NE(nullptr, h);
        EXPECT_EQ((m.h << 16) | m.w, GetAnimInfo(h, ANIM_INFO_FILE_SIZE)) << int(m.sizeMode);
        EXPECT_EQ(m.sizeMode & 2, GetAnimInfo(h, ANIM_INFO_SCREEN_SIZE));
        DestroyAnimation(h);
    }
}

TEST_F(AnimationHandle, OpaqueAnimationsWithoutPictureHaveNoOffscreenBitmap)
{
    AnimationFixture f(100, 80, RGB(0, 0, 0));
    f.AddObject(f.AddSequence("s.bmx", 0x80, 256), 0, 0);
    ASSERT_EQ(RESULT_OK, WriteSequence(dir.File("s.bmx"), SmallSpec(0x80, 2)));
    ASSERT_EQ(RESULT_OK, f.Write(dir.File("a.ans")));
    HANIM h = LoadWholeAnimation(dir.File("a.ans"));
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(nullptr, GetAnimBitmap(h));
    DestroyAnimation(h);
    h = CreateAnimation("a.ans", 0, 0, 0, ANIM_FORCE_OFFSCREEN);
    EXPECT_NE(nullptr, GetAnimBitmap(h));
    DestroyAnimation(h);
    // A frame-sequence file that asks for transparency gets its picture even
    // when the animation file called the sequence opaque.
    ASSERT_EQ(RESULT_OK, WriteSequence(dir.File("s.bmx"), SmallSpec(0, 2)));
    h = LoadWholeAnimation(dir.File("a.ans"));
    ASSERT_NE(nullptr, h);
    EXPECT_NE(nullptr, GetAnimBitmap(h));
    DestroyAnimation(h);
}

TEST_F(AnimationHandle, PaletteSizeByFlags)
{
    AnimationFixture f(64, 48, 0);
    f.AddSequence("a.bmx", 0x80, 16);
    f.AddSequence("b.bmx", 0x80, -1);
    ASSERT_EQ(RESULT_OK, f.Write(dir.File("mixed.ans")));
    f.t.sequenceTable[1].colorCount = 2;
    ASSERT_EQ(RESULT_OK, f.Write(dir.File("small.ans")));
    struct Case {
        const char* file;
        DWORD flags;
        int entries;  // 0: the stock palette
        int colors;
    } cases[] = {
        {"mixed.ans", 0, 256, 256},
        {"mixed.ans", ANIM_PALETTE_16, 0, 16},
        {"mixed.ans", ANIM_PALETTE_BY_DISPLAY | ANIM_PALETTE_16, 256, 256},
        {"mixed.ans", ANIM_PALETTE_FROM_FILES, 256, -1},  // -1 (more than 256 colours) is the largest
        {"small.ans", ANIM_PALETTE_FROM_FILES, 0, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " flags " + std::to_string(c.flags >> 24));
        HANIM h = CreateAnimation(c.file, 0, 0, 0, c.flags);
        ASSERT_NE(nullptr, h);
        const HPALETTE palette = reinterpret_cast<HPALETTE>(GetAnimInfo(h, ANIM_INFO_PALETTE));
        if (c.entries) EXPECT_EQ(c.entries, PaletteEntryCount(palette));
        else EXPECT_EQ(StockPalette(), palette);
        EXPECT_EQ(c.colors, static_cast<int16_t>(GetAnimInfo(h, ANIM_INFO_COLORS)));
        DestroyAnimation(h);
    }
}

TEST_F(AnimationHandle, NamesAndIndexes)
{
    AnimationFixture f(64, 48, 0x80000000u);
    strcpy(f.settings().backgroundImage, "C:\\pictures\\back.bmp");
    f.AddSequence("parts\\walk.bmx", 0, 256);
    f.AddSequence("D:run.bmx", 0, 256);
    ASSERT_EQ(RESULT_OK, f.Write(dir.File("a.ans")));
    HANIM h = CreateAnimation("a.ans", 0, 0, 0, 0);
    ASSERT_NE(nullptr, h);
    char name[MAX_PATH];
    EXPECT_TRUE(GetAnimBackgroundName(h, name, TRUE));
    EXPECT_STREQ("C:\\pictures\\back.bmp", name);
    EXPECT_TRUE(GetAnimBackgroundName(h, name, FALSE));
    EXPECT_STREQ("back.bmp", name);
    EXPECT_EQ(1, GetAnimSequenceName(h, 0, name, TRUE));
    EXPECT_STREQ("parts\\walk.bmx", name);
    EXPECT_EQ(1, GetAnimSequenceName(h, 0, name, FALSE));
    EXPECT_STREQ("walk.bmx", name);
    EXPECT_EQ(1, GetAnimSequenceName(h, 1, name, FALSE));
    EXPECT_STREQ("run.bmx", name);
    for (int index : {2, -1, 12}) {
        strcpy(name, "x");
        EXPECT_EQ(0, GetAnimSequenceName(h, index, name, TRUE)) << index;
        EXPECT_STREQ("", name);
    }
    // Slot 12 does not exist: the context stays as it was.
    ASSERT_EQ(RESULT_OK, WriteSequence(dir.File("walk.bmx"), SmallSpec(0, 3)));
    std::vector<BYTE> before(sizeof(AnimationContext));
    memcpy(before.data(), LockedContext(h).get(), before.size());
    EXPECT_EQ(0, LoadAnimSequence(h, 12, "walk.bmx", FALSE));
    EXPECT_EQ(0, LoadAnimSequence(h, -1, "walk.bmx", FALSE));
    EXPECT_EQ(0, memcmp(before.data(), LockedContext(h).get(), before.size()));
    EXPECT_TRUE(IsUnlocked(h));
    DestroyAnimation(h);

    f.settings().backgroundColor = 0x123456;
    ASSERT_EQ(RESULT_OK, f.Write(dir.File("b.ans")));
    h = CreateAnimation("b.ans", 0, 0, 0, 0);
    EXPECT_FALSE(GetAnimBackgroundName(h, name, TRUE));
    DestroyAnimation(h);
}

TEST_F(AnimationHandle, AttachingOnlyBeforeTheFirstStep)
{
    const SmallAnimation a = WriteSmallAnimation(dir, "a.ans", 120, 90, RGB(0, 0, 128), 2);
    HANIM h = LoadWholeAnimation(a.path);
    ASSERT_NE(nullptr, h);
    {
        LockedContext c(h);
        EXPECT_EQ(4, c->objectRuntime[0].x);
        EXPECT_EQ(24, c->objectRuntime[1].x);
        EXPECT_EQ(16, c->objectRuntime[1].width);
        c->objectRuntime[1].x = 99;
        c->firstStepDone = 1;
    }
    EXPECT_EQ(0, AttachAnimation(h, nullptr));
    EXPECT_TRUE(IsUnlocked(h));
    EXPECT_EQ(99, LockedContext(h)->objectRuntime[1].x) << "nothing was reset";
    EXPECT_EQ(1, RestartAnimation(h, nullptr, FALSE, FALSE));
    EXPECT_EQ(24, LockedContext(h)->objectRuntime[1].x);
    EXPECT_EQ(0, LockedContext(h)->firstStepDone);
    EXPECT_EQ(1, LockedContext(h)->stopped);
    EXPECT_EQ(1, AttachAnimation(h, nullptr));
    EXPECT_TRUE(IsUnlocked(h));
    DestroyAnimation(h);
    EXPECT_EQ(0, AttachAnimation(nullptr, nullptr));
}

TEST_F(AnimationHandle, StepListsKeepTheStoredStepsInSlots)
{
    AnimationFixture f(64, 48, 0);
    f.AddObject(f.AddSequence("s.bmx", 0, 256), 0, 0);
    std::vector<ObjectStep> steps(3);
    for (int i = 0; i < 3; ++i) {
        steps[i] = {};
        steps[i].frameIndex = static_cast<uint8_t>(i);
        steps[i].x = -5 * i;
        steps[i].startMaskHigh = 0xBEEF;
        steps[i].jumpTarget = 2 - i;
    }
    f.AddSteps(0, steps);
    ASSERT_EQ(RESULT_OK, f.Write(dir.File("a.ans")));
    // A file before 0x250 carries no meaningful high start mask.
    std::vector<uint8_t> old = ReadWholeFile(dir.File("a.ans"));
    old[2] = 0x4F;
    ASSERT_TRUE(WriteWholeFile(dir.File("old.ans"), old));
    for (const char* file : {"a.ans", "old.ans"}) {
        HANIM h = CreateAnimation(file, 0, 0, 0, 0);
        ASSERT_NE(nullptr, h);
        LockedContext c(h);
        GlobalLockGuard<StepSlot> slots(c->stepLists[0].slots);
        ASSERT_TRUE(slots);
        EXPECT_EQ(3 * sizeof(StepSlot), GlobalSize(c->stepLists[0].slots));
        for (int i = 0; i < 3; ++i) {
            const StepSlot& s = slots.get()[i];
            EXPECT_EQ(i, s.step.frameIndex);
            EXPECT_EQ(-5 * i, s.step.x);
            EXPECT_EQ(2 - i, s.step.jumpTarget);
            EXPECT_EQ(strcmp(file, "old.ans") == 0 ? 0 : 0xBEEF, s.step.startMaskHigh);
            EXPECT_EQ(0, s.conditionCounter);
        }
        DestroyAnimation(h);
    }
}

TEST_F(AnimationHandle, VersionWindow)
{
    AnimationFixture f(64, 48, 0);
    ASSERT_EQ(RESULT_OK, f.Write(dir.File("a.ans")));
    std::vector<uint8_t> bytes = ReadWholeFile(dir.File("a.ans"));
    for (const int version : {0x1FF, 0x200, 0x251, 0x299, 0x29A, 0x300}) {
        bytes[2] = static_cast<uint8_t>(version);
        bytes[3] = static_cast<uint8_t>(version >> 8);
        ASSERT_TRUE(WriteWholeFile(dir.File("v.ans"), bytes));
        HANIM h = CreateAnimation("v.ans", 0, 0, 0, 0);
        EXPECT_EQ(version >= 0x200 && version <= 0x299, h != nullptr) << std::hex << version;
        DestroyAnimation(h);
    }
}

TEST_F(AnimationHandle, StoredNamesAreLookedUpInTheCurrentFolderFirst)
{
    ScratchDir other;
    WriteSmallAnimation(other, "same.ans", 111, 77, 0, 1);
    WriteSmallAnimation(dir, "same.ans", 99, 55, 0, 1);
    // Named with the other folder's path, read from the current folder.
    HANIM h = CreateAnimation(other.File("same.ans").c_str(), 0, 0, 0, 0);
    ASSERT_NE(nullptr, h);
    EXPECT_EQ((55 << 16) | 99, GetAnimInfo(h, ANIM_INFO_SIZE));
    DestroyAnimation(h);
    // Not in the current folder: read at the stored path.
    DeleteFileA(dir.File("same.ans").c_str());
    h = CreateAnimation(other.File("same.ans").c_str(), 0, 0, 0, 0);
    ASSERT_NE(nullptr, h);
    EXPECT_EQ((77 << 16) | 111, GetAnimInfo(h, ANIM_INFO_SIZE));
    DestroyAnimation(h);
    EXPECT_EQ(nullptr, CreateAnimation("missing.ans", 0, 0, 0, 0));
    EXPECT_EQ(nullptr, CreateAnimation(nullptr, 0, 0, 0, 0));
}

// ---- reloading and freeing ----

TEST_F(AnimationHandle, ReloadIntoTheSameHandle)
{
    const SmallAnimation a = WriteSmallAnimation(dir, "a.ans", 120, 90, RGB(128, 0, 0), 3, "a");
    const SmallAnimation b = WriteSmallAnimation(dir, "b.ans", 80, 60, RGB(0, 128, 0), 1, "b");
    HANIM h = LoadWholeAnimation(a.path);
    ASSERT_NE(nullptr, h);

    // Without a rebuild the picture, palette and brush stay; the objects'
    // drawings leave the picture.
    {
        LockedContext c(h);
        c->firstStepDone = 1;
        ASSERT_TRUE(CreateObjectSaveBitmaps(c.get()));
        HDC dc = CreateCompatibleDC(nullptr);
        RedrawChangedAreas(c.get(), nullptr, dc);
        DeleteDC(dc);
    }
    Pixels drawn = ReadBitmap(GetAnimBitmap(h));
    EXPECT_NE(RGB(128, 0, 0), drawn.At(5, 7)) << "the first object is drawn into the picture";
    const HBITMAP picture = GetAnimBitmap(h);
    const LONG_PTR palette = GetAnimInfo(h, ANIM_INFO_PALETTE);
    EXPECT_EQ(h, ReloadAnimation(h, b.path.c_str(), 0, 0, 0, ANIM_RELOAD_KEEP));
    EXPECT_EQ(picture, GetAnimBitmap(h));
    EXPECT_EQ(palette, GetAnimInfo(h, ANIM_INFO_PALETTE));
    EXPECT_EQ((90 << 16) | 120, GetAnimInfo(h, ANIM_INFO_SIZE));
    Pixels restored = ReadBitmap(GetAnimBitmap(h));
    for (COLORREF v : restored.values) ASSERT_EQ(RGB(128, 0, 0), v);
    char name[MAX_PATH];
    EXPECT_EQ(1, GetAnimSequenceName(h, 0, name, TRUE));
    EXPECT_STREQ("b0.bmx", name);
    EXPECT_EQ(0, GetAnimSequenceName(h, 1, name, TRUE));
    EXPECT_EQ(0, LockedContext(h)->sequenceRuntime[1].frames[0]) << "the old sequences are freed";

    // With a rebuild everything follows the new animation.
    EXPECT_EQ(h, ReloadAnimation(h, b.path.c_str(), 0, 0, 0, ANIM_RELOAD_REBUILD | ANIM_KEEP_FILE_BKCOLOR));
    EXPECT_EQ((60 << 16) | 80, GetAnimInfo(h, ANIM_INFO_SIZE));
    EXPECT_EQ(RGB(0, 128, 0), GetAnimInfo(h, ANIM_INFO_BKCOLOR));
    ASSERT_EQ(1, LoadAnimSequence(h, 0, "b0.bmx", FALSE));
    ASSERT_EQ(1, AttachAnimation(h, nullptr));
    const Pixels p = PaintToPixels(h, 80, 60);
    const SequenceSpec& spec = b.specs[0];
    for (int y = 0; y < spec.height; ++y)
        for (int x = 0; x < spec.width; ++x) {
            const uint32_t v = spec.value(x, y, 0);
            ASSERT_EQ(SpecTransparent(spec, v) ? RGB(0, 128, 0) : SpecColor(spec, v), p.At(4 + x, 6 + y)) << x << "," << y;
        }
    DestroyAnimation(h);
}

class FreeingInEveryMode : public ::testing::TestWithParam<EngineMode> {};

TEST_P(FreeingInEveryMode, DestroyFreesEveryGdiObject)
{
    EngineSession session(GetParam());
    ScratchDir dir;
    SetCurrentDirectoryA(dir.Path().c_str());
    const SmallAnimation a = WriteSmallAnimation(dir, "a.ans", 120, 90, RGB(128, 0, 0), 4, "a");
    const SmallAnimation b = WriteSmallAnimation(dir, "b.ans", 80, 60, RGB(0, 128, 0), 2, "b");
    ASSERT_TRUE(WriteBmp(dir.File("back.bmp"), 50, 40, 8, [](int x, int y) { return uint32_t(16 + (x ^ y) % 100); }));
    AnimationFixture withPicture(100, 80, 0x80000000u);
    strcpy(withPicture.settings().backgroundImage, "back.bmp");
    ASSERT_EQ(RESULT_OK, WriteSequence(dir.File("r.bmx"), SmallSpec(0x10, 9)));
    withPicture.AddObject(withPicture.AddSequence("r.bmx", 0x10, 256), 3, 3);
    ASSERT_EQ(RESULT_OK, withPicture.Write(dir.File("c.ans")));

    auto everything = [&] {
        HANIM h = LoadWholeAnimation(a.path);
        ASSERT_NE(nullptr, h);
        PaintToPixels(h, 120, 90);
        {
            // Playing: the objects are drawn and their backgrounds saved.
            LockedContext c(h);
            ASSERT_TRUE(CreateObjectSaveBitmaps(c.get()));
            c->firstStepDone = 1;
            HDC dc = CreateCompatibleDC(nullptr);
            RedrawChangedAreas(c.get(), nullptr, dc);
            c->objectRuntime[0].x += 5;
            RedrawChangedAreas(c.get(), nullptr, dc);
            DeleteDC(dc);
        }
        GetAnimDC(h, TRUE);
        ReleaseAnimDC(h);
        RestartAnimation(h, nullptr, TRUE, FALSE);
        ASSERT_EQ(h, ReloadAnimation(h, "c.ans", 0, 0, 0, ANIM_RELOAD_REBUILD));
        ASSERT_EQ(1, LoadAnimBackground(h, "back.bmp", ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, FALSE));
        ASSERT_EQ(1, LoadAnimSequence(h, 0, "r.bmx", FALSE));
        ASSERT_EQ(h, ReloadAnimation(h, b.path.c_str(), 0, 0, 0, ANIM_RELOAD_KEEP));
        ASSERT_EQ(1, LoadAnimSequence(h, 0, "b0.bmx", FALSE));
        LoadAnimPalette(h, "b0.bmx", FALSE);
        DestroyAnimation(h);
        // A failed reload leaves a handle whose objects were freed once only.
        h = LoadWholeAnimation(a.path);
        ASSERT_NE(nullptr, h);
        EXPECT_EQ(nullptr, ReloadAnimation(h, "missing.ans", 0, 0, 0, ANIM_RELOAD_REBUILD));
        EXPECT_EQ(nullptr, GetAnimBitmap(h));
        EXPECT_EQ(0, GetAnimInfo(h, ANIM_INFO_BRUSH));
        EXPECT_EQ(StockPalette(), reinterpret_cast<HPALETTE>(GetAnimInfo(h, ANIM_INFO_PALETTE)));
        DestroyAnimation(h);
        h = LoadWholeAnimation(a.path);
        EXPECT_EQ(nullptr, ReloadAnimation(h, "missing.ans", 0, 0, 0, ANIM_RELOAD_KEEP));
        DestroyAnimation(h);
    };
    everything();  // the system makes its own objects on first use
    const int start = CountGdiObjects();
    ASSERT_GT(start, 0);
    everything();
    EXPECT_EQ(start, CountGdiObjects());
}

INSTANTIATE_TEST_SUITE_P(Modes, FreeingInEveryMode, ::testing::Values(kDibSections, kDeviceBitmaps, kPaletteDisplay),
                         [](const ::testing::TestParamInfo<EngineMode>& info) { return std::string(info.param.name); });

// ---- archives and memory images ----

TEST_F(AnimationHandle, ArchivesGiveTheSamePictureAsPlainFiles)
{
    const SmallAnimation a = WriteSmallAnimation(dir, "a.ans", 120, 90, RGB(0, 0, 128), 4);
    ScratchDir out;
    const std::string archive = out.File("a.anx");
    AnxArchive packer(archive.c_str());
    ASSERT_EQ(1, packer.Pack(a.path.c_str()));

    HANIM plain = LoadWholeAnimation(a.path);
    ASSERT_NE(nullptr, plain);
    const Pixels expected = PaintToPixels(plain, 120, 90);
    DestroyAnimation(plain);

    PrivateTempFolder temp;
    SetCurrentDirectoryA(out.Path().c_str());
    HANIM packed = LoadWholeAnimation(archive);
    ASSERT_NE(nullptr, packed);
    const std::string unpacked = LockedContext(packed)->unpackedAnimation;
    EXPECT_NE("", unpacked);
    EXPECT_TRUE(FileExists(unpacked));
    EXPECT_EQ(1, temp.CountUnpackFolders());
    const Pixels actual = PaintToPixels(packed, 120, 90);
    EXPECT_EQ(expected.values, actual.values);
    DestroyAnimation(packed);
    EXPECT_FALSE(FileExists(unpacked));
    EXPECT_EQ(0, temp.CountUnpackFolders());
}

TEST_F(AnimationHandle, UnpackedFilesStayForAFollowingAnimationOfTheSameArchive)
{
    WriteSmallAnimation(dir, "b.ans", 80, 60, RGB(0, 128, 0), 1, "b");
    AnimationFixture first(100, 70, RGB(0, 0, 128));
    first.settings().playFlags = 0x08;  // end action 1: load the following animation
    strcpy(first.settings().nextAnimation, "b.ans");
    ASSERT_EQ(RESULT_OK, first.Write(dir.File("a.ans")));
    ScratchDir out;
    const std::string both = out.File("ab.anx"), second = out.File("b.anx");  // the packer keeps the pointer
    AnxArchive packer(both.c_str());
    ASSERT_EQ(1, packer.Pack(dir.File("a.ans").c_str()));
    AnxArchive other(second.c_str());
    ASSERT_EQ(1, other.Pack(dir.File("b.ans").c_str()));

    PrivateTempFolder temp;
    HANIM h = CreateAnimation(both.c_str(), 0, 0, 0, 0);
    ASSERT_NE(nullptr, h);
    const std::string unpackedA = LockedContext(h)->unpackedAnimation;
    // The following animation is named by its stored name and found in the
    // unpacked folder, which is the current folder now.
    const char* next = reinterpret_cast<const char*>(GetAnimInfo(h, ANIM_INFO_NEXT_NAME));
    ASSERT_EQ(h, ReloadAnimation(h, next, 0, 0, 0, ANIM_RELOAD_REBUILD));
    EXPECT_EQ((60 << 16) | 80, GetAnimInfo(h, ANIM_INFO_SIZE));
    EXPECT_EQ(1, LoadAnimSequence(h, 0, "b0.bmx", FALSE));
    EXPECT_TRUE(FileExists(unpackedA));
    EXPECT_EQ(unpackedA, LockedContext(h)->unpackedAnimation);
    // Another archive replaces the first one's files.
    ASSERT_EQ(h, ReloadAnimation(h, second.c_str(), 0, 0, 0, ANIM_RELOAD_REBUILD));
    const std::string unpackedB = LockedContext(h)->unpackedAnimation;
    EXPECT_NE(unpackedA, unpackedB);
    EXPECT_FALSE(FileExists(unpackedA));
    EXPECT_TRUE(FileExists(unpackedB));
    EXPECT_EQ(1, temp.CountUnpackFolders());
    DestroyAnimation(h);
    EXPECT_FALSE(FileExists(unpackedB));
    EXPECT_EQ(0, temp.CountUnpackFolders());
}

TEST_F(AnimationHandle, MemoryImagesGiveTheSamePictureAsFiles)
{
    const SmallAnimation a = WriteSmallAnimation(dir, "a.ans", 100, 70, RGB(0, 0, 128), 2);
    ASSERT_TRUE(WriteBmp(dir.File("back.bmp"), 60, 30, 24, [](int x, int y) { return uint32_t(x * 4 << 16 | y * 8); }));
    {
        AnimationFixture f(100, 70, 0x80000000u);
        f.AddObject(f.AddSequence("s0.bmx", 0, 256), 4, 6);
        f.AddObject(f.AddSequence("s1.bmx", 0, 256), 24, 6);
        strcpy(f.settings().backgroundImage, "back.bmp");
        f.settings().imageX = 10;
        f.settings().imageY = 20;
        f.settings().paletteSource = 0;
        ASSERT_EQ(RESULT_OK, f.Write(a.path));
    }
    HANIM fromFiles = LoadWholeAnimation(a.path);
    ASSERT_NE(nullptr, fromFiles);
    const Pixels expected = PaintToPixels(fromFiles, 100, 70);
    DestroyAnimation(fromFiles);

    std::vector<uint8_t> ans = ReadWholeFile(a.path), back = ReadWholeFile(dir.File("back.bmp"));
    std::vector<uint8_t> seq[2] = {ReadWholeFile(dir.File("s0.bmx")), ReadWholeFile(dir.File("s1.bmx"))};
    SetCurrentDirectoryA(TempFolder().c_str());  // nothing may come from files now
    const AnimMemorySource ansImage{ans.data(), static_cast<DWORD>(ans.size())};
    HANIM h = CreateAnimation(&ansImage, 0, 0, 0, ANIM_FROM_MEMORY | ANIM_KEEP_FILE_BKCOLOR);
    ASSERT_NE(nullptr, h);
    const AnimMemorySource seqImage[2] = {{seq[0].data(), static_cast<DWORD>(seq[0].size())},
                                          {seq[1].data(), static_cast<DWORD>(seq[1].size())}};
    const AnimMemorySource backImage{back.data(), static_cast<DWORD>(back.size())};
    LoadAnimPalette(h, &seqImage[0], TRUE);
    EXPECT_EQ(1, LoadAnimBackground(h, &backImage, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, TRUE));
    for (int i = 0; i < 2; ++i) EXPECT_EQ(1, LoadAnimSequence(h, i, &seqImage[i], TRUE));
    ASSERT_EQ(1, AttachAnimation(h, nullptr));
    EXPECT_EQ(expected.values, PaintToPixels(h, 100, 70).values);
    DestroyAnimation(h);
}

TEST_F(AnimationHandle, BuiltInAnimationsFromResources)
{
    const SmallAnimation a = WriteSmallAnimation(dir, "demo.ans", 100, 70, RGB(0, 0, 128), 1, "star");
    // A module with RCDATA resources named like the files, as a host carries them.
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string module = dir.File("host.exe");
    ASSERT_TRUE(CopyFileA(self, module.c_str(), FALSE));
    HANDLE update = BeginUpdateResourceA(module.c_str(), FALSE);
    ASSERT_NE(nullptr, update);
    std::vector<uint8_t> ans = ReadWholeFile(a.path), seq = ReadWholeFile(dir.File("star0.bmx"));
    ASSERT_TRUE(UpdateResourceA(update, MAKEINTRESOURCEA(10), "DEMO", 0, ans.data(), static_cast<DWORD>(ans.size())));
    ASSERT_TRUE(UpdateResourceA(update, MAKEINTRESOURCEA(10), "STAR0", 0, seq.data(), static_cast<DWORD>(seq.size())));
    ASSERT_TRUE(EndUpdateResourceA(update, FALSE));
    HMODULE host = LoadLibraryExA(module.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, host);

    AnimMemorySource demo{}, star{};
    ASSERT_TRUE(FindAnimResource(host, "ABOUT\\demo.ans", &demo));
    EXPECT_EQ(ans.size(), demo.size);
    EXPECT_FALSE(FindAnimResource(host, "nothing.bmx", &star));
    HANIM h = CreateAnimation(&demo, 0, 0, 0, ANIM_FROM_MEMORY);
    ASSERT_NE(nullptr, h);
    char name[MAX_PATH];
    ASSERT_EQ(1, GetAnimSequenceName(h, 0, name, FALSE));
    ASSERT_TRUE(FindAnimResource(host, name, &star));
    EXPECT_EQ(1, LoadAnimSequence(h, 0, &star, TRUE));
    EXPECT_EQ(a.specs[0].frames, LockedContext(h)->sequences[0].frameCount);
    DestroyAnimation(h);
    FreeLibrary(host);
}

}  // namespace
