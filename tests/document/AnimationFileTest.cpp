// The animation file: whole-file round trips, version windows and damaged files.
#include "AnimationTables.h"
#include "FileIo.h"
#include "ResultCodes.h"
#include "TestFiles.h"
#include <gtest/gtest.h>
#include <cstring>

namespace {

// The disabled bit 15 of a region's flags, as memory holds it: sign-extended.
constexpr int32_t kDisabledInMemory = static_cast<int16_t>(0x8000);

ObjectStep* LockSteps(AnimationTables& t, int object)
{
    return static_cast<ObjectStep*>(GlobalLock(t.objectMemoryHandles[object][0]));
}

// An animation with every table filled and every field set to something other
// than its default, negative coordinates included.
void FillTables(AnimationTables& t, int objects = 5)
{
    memset(&t, 0, sizeof t);
    SetDefaultAnimationSettings(&t.animationSettings);
    AnimationSettings& s = t.animationSettings;
    strcpy(s.title, "Round trip");
    s.positionFlags = 0x1A;
    s.x = -120;
    s.y = 33;
    s.sizeMode = 2;
    s.playFlags = 0x08 | 0x20;
    s.reserved1 = -7;
    s.backgroundColor = 0x80000000u | 0x123456;
    strcpy(s.backgroundImage, "back.bmp");
    s.imageX = -5;
    s.imageY = 17;
    strcpy(s.nextAnimation, "next.ans");
    s.paletteSource = 2 << 3;
    s.editorByte = 9;
    s.reserved2 = 0x1234;
    s.reserved3 = -2;

    t.sequenceCount = MAX_SEQUENCES;
    for (int i = 0; i < t.sequenceCount; ++i) {
        t.sequenceTable[i] = {static_cast<uint8_t>(i + 1), static_cast<uint8_t>(i), static_cast<int16_t>(i ? 256 : -1), {}};
        sprintf(t.sequenceTable[i].fileName, "seq%02d.bmx", i);
    }
    t.regionCount = MAX_REGIONS;
    for (int i = 0; i < t.regionCount; ++i)
        t.regionTable[i] = {i % 2 ? kDisabledInMemory : 0, -i, i * 2, 300 - i, -300 + i};
    t.soundCount = MAX_SOUNDS;
    for (int i = 0; i < t.soundCount; ++i) {
        t.soundTable[i] = {static_cast<uint16_t>(0x8000 | i), static_cast<uint16_t>(i * 3), {}};
        sprintf(t.soundTable[i].name, "sound%d.wav", i);
    }
    t.objectCount = static_cast<uint8_t>(objects);
    t.headerCurrentObject = static_cast<uint8_t>(objects - 1);
    t.headerReserved = 0;
    TestRandom random(42);
    for (int i = 0; i < objects; ++i) {
        ObjectRecord& o = t.objectTable[i];
        o.sequenceIndex = static_cast<uint8_t>(i % MAX_SEQUENCES);
        sprintf(o.name, "Object %d", i + 1);
        o.objectFlags = static_cast<uint8_t>(i & 0x0F);
        o.stepCount = (i % 2) ? 0 : 3 + i;  // objects with and without steps
        o.startX = -i * 10;
        o.startY = i * 7 - 20;
        o.dx = -3;
        o.dy = 4;
        o.frameDelay = 2;
        o.moveDelay = 5;
        o.motionFlags = 0xF0;
        o.repeatCount = -1;
        o.editorField1 = 0xAB;
        o.editorField2 = -1234;
        o.editorField3 = 4321;
        if (o.stepCount == 0) continue;
        t.objectMemoryHandles[i][0] = AllocateStepBlock(o.stepCount);
        ObjectStep* steps = LockSteps(t, i);
        for (int k = 0; k < o.stepCount; ++k) {
            ObjectStep& st = steps[k];
            st.frameIndex = static_cast<uint8_t>(k);
            st.waitCount = static_cast<uint8_t>(random.Range(0, 255));
            st.stepFlags = static_cast<uint8_t>(random.Range(0, 255));
            st.x = random.Range(-32768, 32767);
            st.y = random.Range(-32768, 32767);
            st.startMaskHigh = static_cast<uint16_t>(random.Next());
            st.soundIndex = static_cast<uint8_t>(random.Range(0, 0x9F));
            st.condition = static_cast<uint8_t>(random.Next());
            st.conditionParam = static_cast<uint8_t>(random.Next());
            st.jumpTarget = random.Range(-5, 40);
            st.startMaskLow = static_cast<uint16_t>(random.Next());
        }
        GlobalUnlock(t.objectMemoryHandles[i][0]);
    }
}

struct Tables {
    AnimationTables t{};
    ~Tables() { FreeAnimationTables(&t); }
};

size_t ExpectedSize(const AnimationTables& t)
{
    size_t size = 11 + 227 + 68 * t.sequenceCount + 10 * t.regionCount + 68 * t.soundCount;
    for (int i = 0; i < t.objectCount; ++i) size += 54 + 16 * t.objectTable[i].stepCount;
    return size;
}

void ExpectSameTables(const AnimationTables& a, const AnimationTables& b)
{
    ASSERT_EQ(a.objectCount, b.objectCount);
    EXPECT_EQ(0, memcmp(&a.animationSettings, &b.animationSettings, sizeof a.animationSettings));
    EXPECT_EQ(0, memcmp(a.sequenceTable, b.sequenceTable, sizeof a.sequenceTable));
    EXPECT_EQ(0, memcmp(a.regionTable, b.regionTable, sizeof a.regionTable));
    EXPECT_EQ(0, memcmp(a.soundTable, b.soundTable, sizeof a.soundTable));
    for (int i = 0; i < a.objectCount; ++i) {
        EXPECT_EQ(0, memcmp(&a.objectTable[i], &b.objectTable[i], sizeof(ObjectRecord))) << "object " << i;
        const int steps = a.objectTable[i].stepCount;
        if (!steps) continue;
        auto* sa = static_cast<const ObjectStep*>(GlobalLock(a.objectMemoryHandles[i][0]));
        auto* sb = static_cast<const ObjectStep*>(GlobalLock(b.objectMemoryHandles[i][0]));
        EXPECT_EQ(0, memcmp(sa, sb, steps * sizeof(ObjectStep))) << "steps of object " << i;
        GlobalUnlock(a.objectMemoryHandles[i][0]);
        GlobalUnlock(b.objectMemoryHandles[i][0]);
    }
}

}  // namespace

TEST(AnimationFile, ANewAnimationIsTitledWithString65)
{
    char text[64] = "";
    EXPECT_GT(LoadStringA(GetModuleHandleA(nullptr), 65, text, sizeof text), 0) << "the string table holds it";
    EXPECT_STREQ("Animation", text);
    AnimationSettings s;
    SetDefaultAnimationSettings(&s);
    EXPECT_STREQ("Animation", s.title);
}

TEST(AnimationFile, RegionFlagsAreSignExtendedInMemory)
{
    ScratchDir dir;
    AnimationTables t{};
    SetDefaultAnimationSettings(&t.animationSettings);
    t.regionCount = 2;
    t.regionTable[0] = {kDisabledInMemory | 1, 1, 2, 3, 4};
    t.regionTable[1] = {0x7FFF, -1, -2, -3, -4};
    ASSERT_EQ(RESULT_OK, WriteAnimationFile(dir.File("r.ans").c_str(), &t));
    const std::vector<uint8_t> bytes = ReadWholeFile(dir.File("r.ans"));
    const size_t regions = 11 + 227;
    EXPECT_EQ(0x01, bytes[regions]);
    EXPECT_EQ(0x80, bytes[regions + 1]) << "bit 15 on disk";
    AnimationTables back{};
    ASSERT_EQ(RESULT_OK, ReadAnimationFile(dir.File("r.ans").c_str(), &back, MAX_EDITOR_OBJECTS, nullptr));
    EXPECT_EQ(static_cast<int32_t>(0xFFFF8001u), back.regionTable[0].regionFlags);
    EXPECT_EQ(0x7FFF, back.regionTable[1].regionFlags);
    EXPECT_EQ(-4, back.regionTable[1].y2);
    FreeAnimationTables(&back);
}

TEST(AnimationFile, EveryTableRoundTripsByteIdentical)
{
    ScratchDir dir;
    Tables original, loaded;
    FillTables(original.t);
    const std::string first = dir.File("a.ans"), second = dir.File("b.ans");
    ASSERT_EQ(RESULT_OK, WriteAnimationFile(first.c_str(), &original.t));
    EXPECT_TRUE(original.t.animationSettings.playFlags & PLAY_SAVED);

    AnsFileHeader header;
    ASSERT_EQ(RESULT_OK, ReadAnimationFile(first.c_str(), &loaded.t, MAX_EDITOR_OBJECTS, &header));
    EXPECT_EQ(ANS_FORMAT_VERSION, header.formatVersion);
    ExpectSameTables(original.t, loaded.t);

    ASSERT_EQ(RESULT_OK, WriteAnimationFile(second.c_str(), &loaded.t));
    const auto a = ReadWholeFile(first), b = ReadWholeFile(second);
    EXPECT_EQ(a, b);
    ASSERT_EQ(ExpectedSize(original.t), a.size());
    EXPECT_EQ((std::vector<uint8_t>{0x41, 0x4E, 0x51, 0x02}), std::vector<uint8_t>(a.begin(), a.begin() + 4));
    // No temporary file is left beside the target.
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(dir.File("*.~*").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, search);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

TEST(AnimationFile, EmptyTablesWriteOnlyHeaderAndSettingsAndObjects)
{
    ScratchDir dir;
    Tables t, loaded;
    FillTables(t.t, 2);
    t.t.regionCount = 0;
    t.t.soundCount = 0;
    t.t.sequenceCount = 2;
    const std::string path = dir.File("small.ans");
    ASSERT_EQ(RESULT_OK, WriteAnimationFile(path.c_str(), &t.t));
    const auto bytes = ReadWholeFile(path);
    // Object 0 has 3 steps, object 1 none: its record follows directly and ends the file.
    EXPECT_EQ(11u + 227 + 2 * 68 + (54 + 3 * 16) + 54, bytes.size());
    ASSERT_EQ(RESULT_OK, ReadAnimationFile(path.c_str(), &loaded.t, MAX_EDITOR_OBJECTS));
    EXPECT_EQ(0, loaded.t.regionCount);
    EXPECT_EQ(nullptr, loaded.t.objectMemoryHandles[1][0]);
}

TEST(AnimationFile, ValuesOutsideSixteenBitsKeepTheirLowBits)
{
    ScratchDir dir;
    Tables t, loaded;
    FillTables(t.t, 1);
    t.t.objectTable[0].startX = 70000;   // 0x11170 -> 0x1170
    t.t.objectTable[0].startY = -40000;  // low 16 bits 0x63C0 = 25536
    t.t.animationSettings.width = 65535;
    const std::string path = dir.File("cut.ans");
    ASSERT_EQ(RESULT_OK, WriteAnimationFile(path.c_str(), &t.t));
    ASSERT_EQ(RESULT_OK, ReadAnimationFile(path.c_str(), &loaded.t, MAX_EDITOR_OBJECTS));
    EXPECT_EQ(0x1170, loaded.t.objectTable[0].startX);
    EXPECT_EQ(25536, loaded.t.objectTable[0].startY);
    EXPECT_EQ(-1, loaded.t.animationSettings.width);
}

namespace {

// Writes a file and patches its header's version.
std::string WriteWithVersion(const ScratchDir& dir, uint16_t version)
{
    Tables t;
    FillTables(t.t, 1);
    char name[32];
    snprintf(name, sizeof name, "v%x.ans", version);
    const std::string path = dir.File(name);
    WriteAnimationFile(path.c_str(), &t.t);
    auto bytes = ReadWholeFile(path);
    bytes[2] = version & 0xFF;
    bytes[3] = version >> 8;
    WriteWholeFile(path, bytes);
    return path;
}

}  // namespace

TEST(AnimationFile, VersionWindows)
{
    ScratchDir dir;
    AnimationSettings preview;
    struct Case { uint16_t version; int editorResult; int preview; };
    const Case cases[] = {
        {0x1FF, RESULT_OK, 0}, {0x200, RESULT_OK, 1}, {0x24F, RESULT_OK, 1}, {0x251, RESULT_OK, 1},
        {0x299, RESULT_OK, 1}, {0x29A, RESULT_NEWER_VERSION, 1}, {0x2FE, RESULT_NEWER_VERSION, 1},
        {0x2FF, RESULT_NEWER_VERSION, 0},
    };
    for (const Case& c : cases) {
        const std::string path = WriteWithVersion(dir, c.version);
        Tables loaded;
        loaded.t.objectCount = 77;  // marker: a refused file changes nothing
        EXPECT_EQ(c.editorResult, ReadAnimationFile(path.c_str(), &loaded.t, MAX_EDITOR_OBJECTS)) << std::hex << c.version;
        if (c.editorResult != RESULT_OK) {
            EXPECT_EQ(77, loaded.t.objectCount);
        }
        EXPECT_EQ(c.preview, ReadAnimationPreview(path.c_str(), &preview)) << std::hex << c.version;
        if (c.preview) {
            EXPECT_STREQ("Round trip", preview.title);
        }
    }
}

TEST(AnimationFile, OldVersionsClearTheHighStartMask)
{
    ScratchDir dir;
    for (uint16_t version : {uint16_t(0x24F), uint16_t(0x250)}) {
        const std::string path = WriteWithVersion(dir, version);
        Tables loaded;
        ASSERT_EQ(RESULT_OK, ReadAnimationFile(path.c_str(), &loaded.t, MAX_EDITOR_OBJECTS));
        auto* steps = LockSteps(loaded.t, 0);
        bool anyHigh = false;
        for (int k = 0; k < loaded.t.objectTable[0].stepCount; ++k) anyHigh |= steps[k].startMaskHigh != 0;
        GlobalUnlock(loaded.t.objectMemoryHandles[0][0]);
        EXPECT_EQ(version >= 0x250, anyHigh) << std::hex << version;
    }
}

TEST(AnimationFile, ReadingKeepsTheEditorBytes)
{
    ScratchDir dir;
    Tables t, loaded;
    FillTables(t.t, 1);
    const std::string path = dir.File("e.ans");
    ASSERT_EQ(RESULT_OK, WriteAnimationFile(path.c_str(), &t.t));
    FileHandle file(OpenForReading(path.c_str()));
    AnsFileHeader header;
    AnimationSettings settings;
    ObjectRecord object;
    memset(&object, 0, sizeof object);
    object.editorBytes[0] = 0x5A;
    ASSERT_TRUE(ReadAnsHeader(file.Get(), &header));
    ASSERT_TRUE(ReadAnimationSettings(file.Get(), &settings));
    _llseek(file.Get(), 68 * header.sequenceCount + 10 * header.regionCount + 68 * header.soundCount, FILE_CURRENT);
    ASSERT_TRUE(ReadObjectRecord(file.Get(), &object));
    EXPECT_EQ(0x5A, object.editorBytes[0]);
    EXPECT_STREQ("Object 1", object.name);
}

TEST(AnimationFile, FailedSaveKeepsThePreviousFile)
{
    ScratchDir dir;
    Tables good, bad;
    FillTables(good.t, 1);
    const std::string path = dir.File("keep.ans");
    ASSERT_EQ(RESULT_OK, WriteAnimationFile(path.c_str(), &good.t));
    const auto before = ReadWholeFile(path);

    FillTables(bad.t, 1);
    bad.t.objectTable[0].stepCount = 500;  // more steps than its block holds: the write fails
    EXPECT_EQ(RESULT_WRITE_ERROR, WriteAnimationFile(path.c_str(), &bad.t));
    EXPECT_EQ(before, ReadWholeFile(path));
    EXPECT_EQ(RESULT_CREATE_ERROR, WriteAnimationFile(dir.File("missing\\folder\\x.ans").c_str(), &good.t));
}

// ---- damaged and hostile files ----

namespace {

std::vector<uint8_t> GoodFileBytes(const ScratchDir& dir)
{
    Tables t;
    FillTables(t.t, 3);
    const std::string path = dir.File("good.ans");
    WriteAnimationFile(path.c_str(), &t.t);
    return ReadWholeFile(path);
}

int ReadBytes(const ScratchDir& dir, const std::vector<uint8_t>& bytes)
{
    const std::string path = dir.File("damaged.ans");
    WriteWholeFile(path, bytes);
    Tables loaded;
    return ReadAnimationFile(path.c_str(), &loaded.t, MAX_EDITOR_OBJECTS);
}

constexpr size_t SETTINGS_AT = 11, SEQUENCES_AT = 11 + 227;
constexpr size_t REGIONS_AT = SEQUENCES_AT + 12 * 68, SOUNDS_AT = REGIONS_AT + 64 * 10;
constexpr size_t OBJECTS_AT = SOUNDS_AT + 32 * 68;

}  // namespace

TEST(AnimationFileDamaged, EveryTruncationIsAReadError)
{
    ScratchDir dir;
    const auto good = GoodFileBytes(dir);
    for (size_t length = 0; length < good.size(); length += (length < 300 ? 1 : 37)) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + length);
        const int result = ReadBytes(dir, cut);
        EXPECT_TRUE(result == RESULT_READ_ERROR) << "length " << length << " gave " << result;
    }
}

TEST(AnimationFileDamaged, BadCountsAndFieldsAreRefused)
{
    ScratchDir dir;
    const auto good = GoodFileBytes(dir);
    ASSERT_EQ(RESULT_OK, ReadBytes(dir, good));
    struct Patch { const char* what; size_t offset; std::vector<uint8_t> bytes; };
    const Patch patches[] = {
        {"13 sequences", 4, {13}},
        {"31 objects in the editor", 5, {31}},
        {"255 objects", 5, {255}},
        {"65 regions", 6, {65}},
        {"33 sounds", 7, {33}},
        {"current object beyond the table", 8, {3}},
        {"title without NUL", SETTINGS_AT + 8, std::vector<uint8_t>(64, 'A')},
        {"background name without NUL", SETTINGS_AT + 89, std::vector<uint8_t>(64, 'B')},
        {"sequence name without NUL", SEQUENCES_AT + 4, std::vector<uint8_t>(64, 'C')},
        {"sound name without NUL", SOUNDS_AT + 4, std::vector<uint8_t>(64, 'D')},
        {"object name without NUL", OBJECTS_AT + 1, std::vector<uint8_t>(32, 'E')},
        {"sequence index beyond the table", OBJECTS_AT, {12}},
        {"negative step count", OBJECTS_AT + 34, {0xFF, 0xFF}},
        {"2049 steps", OBJECTS_AT + 34, {0x01, 0x08}},
        {"huge step count", OBJECTS_AT + 34, {0xFF, 0x7F}},
    };
    for (const Patch& p : patches) {
        auto bytes = good;
        std::copy(p.bytes.begin(), p.bytes.end(), bytes.begin() + p.offset);
        EXPECT_EQ(RESULT_READ_ERROR, ReadBytes(dir, bytes)) << p.what;
    }
}

TEST(AnimationFileDamaged, PlayersAllowThirtyTwoObjectsTheEditorThirty)
{
    ScratchDir dir;
    Tables t, loaded;
    FillTables(t.t, 32);
    const std::string path = dir.File("32.ans");
    ASSERT_EQ(RESULT_OK, WriteAnimationFile(path.c_str(), &t.t));
    EXPECT_EQ(RESULT_READ_ERROR, ReadAnimationFile(path.c_str(), &loaded.t, MAX_EDITOR_OBJECTS));
    EXPECT_EQ(RESULT_OK, ReadAnimationFile(path.c_str(), &loaded.t, MAX_PLAYER_OBJECTS));
    EXPECT_EQ(32, loaded.t.objectCount);
}

TEST(AnimationFileDamaged, WrongMagicAndMissingFile)
{
    ScratchDir dir;
    auto bytes = GoodFileBytes(dir);
    bytes[0] = 'P';
    bytes[1] = 'K';
    const std::string path = dir.File("pk.ans");
    WriteWholeFile(path, bytes);
    Tables loaded;
    EXPECT_EQ(RESULT_UNKNOWN_FORMAT, ReadAnimationFile(path.c_str(), &loaded.t, MAX_EDITOR_OBJECTS));
    EXPECT_EQ(RESULT_NOT_FOUND, ReadAnimationFile(dir.File("none.ans").c_str(), &loaded.t, MAX_EDITOR_OBJECTS));
    AnimationSettings settings;
    EXPECT_EQ(0, ReadAnimationPreview(path.c_str(), &settings));
}
