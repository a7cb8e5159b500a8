// Resource bitmaps: the scan of "PE" (32- and 64-bit) and "NE" programs
// made here, the names it gives, the bytes it reads, and the damaged and
// hostile programs it must survive.
#include "CodecFixtures.h"
#include "ConvLibrary.h"
#include "ConvTestSupport.h"
#include "PackedDib.h"
#include "ResourceBitmaps.h"
#include "TestFiles.h"
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Scans the bytes as a file; the result.
int Scan(const ScratchDir& dir, const std::vector<uint8_t>& bytes)
{
    const std::string path = dir.File("prog.dll");
    EXPECT_TRUE(WriteWholeFile(path, bytes));
    const HFILE file = _lopen(path.c_str(), OF_READ);
    EXPECT_NE(HFILE_ERROR, file);
    const int result = ScanExecutable(file, false);
    _lclose(file);
    return result;
}

std::vector<uint8_t> ReadEntry(const ScratchDir& dir, int index)
{
    const HFILE file = _lopen(dir.File("prog.dll").c_str(), OF_READ);
    GlobalBlock block(ReadResourceBitmap(file, ResourceBitmaps().entries[index]));
    _lclose(file);
    if (!block) return {};
    GlobalLockGuard<BYTE> p(block.Get());
    return std::vector<uint8_t>(p.get(), p.get() + ResourceBitmaps().entries[index].size);
}

const std::string LONG_NAME = "A_BITMAP_NAME_OF_FORTY_CHARACTERS_LONG_X";

std::vector<ResourceItem> TwoLanguages()
{
    return {
        {2, "", 101, 1033, BitmapResourceBytes(4, 3, 8, 1)},
        {2, "", 101, 1031, BitmapResourceBytes(5, 2, 24, 2)},
        {2, "PICTURE", 0, 1033, BitmapResourceBytes(9, 9, 1, 3)},
        {3, "", 7, 1033, std::vector<uint8_t>(60, 0x33)},  // an icon: not listed
        {2, LONG_NAME, 0, 1033, BitmapResourceBytes(2, 2, 4, 4)},
    };
}

TEST(ResourceScan, PeProgramsOfBothWidthsListNamesThenIdsWithTheirBytes)
{
    ScratchDir dir;
    for (bool plus : {false, true}) {
        SCOPED_TRACE(plus ? "PE32+" : "PE32");
        const std::vector<ResourceItem> items = TwoLanguages();
        ASSERT_EQ(1, Scan(dir, BuildPeLibrary(items, plus).bytes));
        const ResourceBitmapTable& t = ResourceBitmaps();
        ASSERT_EQ(4, t.count);
        const struct {
            const char* name;
            int item;
        } expected[] = {{"PICTURE-1033", 2}, {"A_BITMAP_NAME_OF_FORTY_CHARACTE", 4}, {"   101-1033", 0}, {"   101-1031", 1}};
        for (int i = 0; i < 4; ++i) {
            EXPECT_STREQ(expected[i].name, t.entries[i].name);
            EXPECT_EQ(items[expected[i].item].bytes.size(), t.entries[i].size);
            EXPECT_EQ(items[expected[i].item].bytes, ReadEntry(dir, i)) << "entry " << i;
        }
    }
}

TEST(ResourceScan, NeProgramsListIdsAndCountedNames)
{
    ScratchDir dir;
    const std::vector<ResourceItem> items = {
        {2, "", 101, 0, BitmapResourceBytes(4, 3, 8, 1)},
        {3, "", 5, 0, std::vector<uint8_t>(60, 1)},
        {2, "LOGO", 0, 0, BitmapResourceBytes(3, 3, 4, 2)},
    };
    for (int shift : {0, 4, 9}) {
        SCOPED_TRACE(shift);
        ASSERT_EQ(1, Scan(dir, BuildNeProgram(items, shift).bytes));
        const ResourceBitmapTable& t = ResourceBitmaps();
        ASSERT_EQ(2, t.count);
        // Sizes are whole alignment units: the bytes begin with the bitmap.
        for (int i = 0; i < 2; ++i) {
            const ResourceItem& item = std::string(t.entries[i].name) == "LOGO" ? items[2] : items[0];
            EXPECT_EQ(0u, t.entries[i].size % (1u << shift));
            const std::vector<uint8_t> bytes = ReadEntry(dir, i);
            ASSERT_GE(bytes.size(), item.bytes.size());
            EXPECT_TRUE(std::equal(item.bytes.begin(), item.bytes.end(), bytes.begin()));
        }
        EXPECT_TRUE(std::string(t.entries[0].name) == "   101" || std::string(t.entries[1].name) == "   101");
    }
    // Only other types: no bitmaps.
    EXPECT_EQ(0, Scan(dir, BuildNeProgram({items[1]}, 4).bytes));
    EXPECT_EQ(0, Scan(dir, BuildPeLibrary({items[1]}, false).bytes));
}

TEST(ResourceScan, AHundredBitmapsAreKeptOfMore)
{
    ScratchDir dir;
    std::vector<ResourceItem> items;
    for (int i = 0; i < 101; ++i) items.push_back({2, "", uint16_t(1000 + i), 1033, BitmapResourceBytes(2, 2, 8, i)});
    ASSERT_EQ(1, Scan(dir, BuildPeLibrary(items, false).bytes));
    EXPECT_EQ(100, ResourceBitmaps().count);
    EXPECT_STREQ("  1099-1033", ResourceBitmaps().entries[99].name);
    ASSERT_EQ(1, Scan(dir, BuildNeProgram(items, 4).bytes));
    EXPECT_EQ(100, ResourceBitmaps().count);
}

template <typename T>
void Put(std::vector<uint8_t>& bytes, size_t at, T value)
{
    ASSERT_LE(at + sizeof value, bytes.size());
    memcpy(bytes.data() + at, &value, sizeof value);
}

TEST(ResourceScan, HostileHeadersEndTheScanWithAResult)
{
    ScratchDir dir;
    const std::vector<ResourceItem> items = TwoLanguages();
    // The bitmap type's subdirectory pointing at itself.
    PeImage self = BuildPeLibrary(items, false);
    const uint32_t firstEntry = self.sectionOffset + self.bitmapDirectory + 16;
    Put<uint32_t>(self.bytes, firstEntry + 4, 0x80000000u | self.bitmapDirectory);
    EXPECT_GE(Scan(dir, self.bytes), 0) << "the walk ends";
    // Absurd directory counts, in both optional-header widths.
    for (bool plus : {false, true}) {
        PeImage many = BuildPeLibrary(items, plus);
        Put<uint32_t>(many.bytes, many.optionalHeader + (plus ? 108 : 92), 0xFFFFFFFFu);
        EXPECT_EQ(1, Scan(dir, many.bytes)) << "at most 16 directories are read";
        EXPECT_EQ(4, ResourceBitmaps().count);
    }
    // 0xFFFF named entries in the root.
    PeImage wide = BuildPeLibrary(items, false);
    Put<uint16_t>(wide.bytes, wide.sectionOffset + 12, 0xFFFF);
    EXPECT_LE(Scan(dir, wide.bytes), 1);
    EXPECT_LE(ResourceBitmaps().count, 100);
    // An NE shift of 16 or more.
    NeImage ne = BuildNeProgram(items, 4);
    Put<uint16_t>(ne.bytes, ne.resourceTable, 16);
    EXPECT_LT(Scan(dir, ne.bytes), 0);
    // An NE type record whose count runs beyond the file.
    NeImage runaway = BuildNeProgram(items, 4);
    Put<uint16_t>(runaway.bytes, runaway.resourceTable + 4, 0x7FFF);
    EXPECT_LE(Scan(dir, runaway.bytes), 1);
    EXPECT_EQ(-2, Scan(dir, {'M', 'Z'}));
    EXPECT_EQ(-2, Scan(dir, std::vector<uint8_t>(64, 0)));
}

TEST(ResourceScan, BitmapsThatDoNotFitTheirSizeOrTheFileAreNotRead)
{
    ScratchDir dir;
    std::vector<uint8_t> tiny(40, 0);
    std::vector<uint8_t> cut = BitmapResourceBytes(16, 16, 8, 1);
    cut.resize(cut.size() - 10);  // the rows do not fit
    std::vector<uint8_t> huge = BitmapResourceBytes(4, 4, 8, 1);
    Put<int32_t>(huge, 4, 0x7FFFFFFF);  // a width no block holds
    const std::vector<ResourceItem> items = {
        {2, "", 1, 1033, tiny}, {2, "", 2, 1033, cut}, {2, "", 3, 1033, huge}, {2, "", 4, 1033, BitmapResourceBytes(4, 4, 8, 2)}};
    PeImage pe = BuildPeLibrary(items, false);
    ASSERT_EQ(1, Scan(dir, pe.bytes));
    ASSERT_EQ(4, ResourceBitmaps().count);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(ReadEntry(dir, i).empty()) << "entry " << i;
    EXPECT_FALSE(ReadEntry(dir, 3).empty());
    // A size beyond the end of the file.
    ResourceBitmapEntry beyond = ResourceBitmaps().entries[3];
    beyond.size = 0x7FFFFFF0;
    const HFILE file = _lopen(dir.File("prog.dll").c_str(), OF_READ);
    EXPECT_EQ(nullptr, ReadResourceBitmap(file, beyond));
    beyond.size = 100;
    beyond.fileOffset = 0xFFFFFF00;
    EXPECT_EQ(nullptr, ReadResourceBitmap(file, beyond));
    _lclose(file);
}

TEST(ResourceScan, EveryTruncationAndCorruptionIsSurvived)
{
    ScratchDir dir;
    const std::vector<ResourceItem> items = TwoLanguages();
    for (const std::vector<uint8_t>& good :
         {BuildPeLibrary(items, false).bytes, BuildPeLibrary(items, true).bytes, BuildNeProgram(items, 4).bytes}) {
        for (size_t length = 0; length < good.size(); length += 1 + length / 32) {
            const int result = Scan(dir, std::vector<uint8_t>(good.begin(), good.begin() + length));
            EXPECT_LE(result, 1);
            for (int i = 0; i < ResourceBitmaps().count; ++i) ReadEntry(dir, i);
        }
        uint32_t seed = 11;
        for (int round = 0; round < 150; ++round) {
            std::vector<uint8_t> bad = good;
            for (int k = 0; k < 3; ++k) {
                seed = seed * 1664525 + 1013904223;
                bad[64 + seed % (bad.size() - 64)] = uint8_t(seed >> 24);
            }
            EXPECT_LE(Scan(dir, bad), 1);
            EXPECT_LE(ResourceBitmaps().count, 100);
            for (int i = 0; i < ResourceBitmaps().count; ++i) ReadEntry(dir, i);
        }
    }
}

TEST(ResourcePreview, TheFirstBitmapOrTheReasonThereIsNone)
{
    ScratchDir dir;
    SetConvModule(Conv().module);  // the library's strings
    const std::vector<ResourceItem> items = TwoLanguages();
    const std::string path = dir.File("prog.dll");
    ASSERT_TRUE(WriteWholeFile(path, BuildPeLibrary(items, false).bytes));
    char text[80] = "";
    ConvImage image{reinterpret_cast<HGLOBAL>(1), 5, text, sizeof text};
    ASSERT_EQ(1, GetResourceBitmapPreview(path.c_str(), &image));
    GlobalBlock dib(image.dib);
    EXPECT_EQ(0u, image.bitsOffset);
    ASSERT_TRUE(dib);
    GlobalLockGuard<BYTE> p(dib.Get());
    EXPECT_EQ(0, memcmp(p.get(), items[2].bytes.data(), items[2].bytes.size())) << "PICTURE comes first";

    ASSERT_TRUE(WriteWholeFile(path, BuildPeLibrary({items[3]}, false).bytes));
    ConvImage none{nullptr, 0, text, sizeof text};
    EXPECT_EQ(0, GetResourceBitmapPreview(path.c_str(), &none));
    EXPECT_EQ(nullptr, none.dib);
    EXPECT_STREQ("This file does not contain bitmap images", text);
    SetConvModule(nullptr);
}

}  // namespace
