// Files made by the codec tests themselves: TIFF files of chosen tags in
// either byte order, programs with resource tables in the 32-bit and 64-bit
// "PE" layouts and the 16-bit "NE" layout, and the comparison of pictures.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

// ---- TIFF -------------------------------------------------------------------------------

// A TIFF file: the header, the data blocks in the order added, then one
// directory of the entries added (sorted by tag) and their values.
class TiffFileBuilder {
public:
    explicit TiffFileBuilder(bool bigEndian) : bigEndian_(bigEndian) {}
    // A block of bytes in the file; its offset once built is Offset(index).
    int AddData(const std::vector<uint8_t>& bytes);
    void Short(uint16_t tag, uint16_t value) { Shorts(tag, {value}); }
    void Long(uint16_t tag, uint32_t value) { Longs(tag, {value}); }
    void Shorts(uint16_t tag, const std::vector<uint16_t>& values);
    void Longs(uint16_t tag, const std::vector<uint32_t>& values);
    void Rational(uint16_t tag, uint32_t numerator, uint32_t denominator);
    // An entry as it stands, value field included (for offsets that point anywhere).
    void Raw(uint16_t tag, uint16_t type, uint32_t count, uint32_t value);
    // Strip offsets pointing at data blocks, with their byte counts, as LONGs.
    void Strips(const std::vector<int>& blocks);
    uint32_t Offset(int block) const;
    std::vector<uint8_t> Build() const;
private:
    struct Entry {
        uint16_t tag, type;
        uint32_t count;
        std::vector<uint8_t> values;  // in the file's byte order
        bool raw;
        uint32_t rawValue;
    };
    void Put16(std::vector<uint8_t>& out, uint16_t v) const;
    void Put32(std::vector<uint8_t>& out, uint32_t v) const;
    void Add(Entry entry);
    bool bigEndian_;
    std::vector<std::vector<uint8_t>> blocks_;
    std::vector<Entry> entries_;
    std::vector<std::pair<uint16_t, std::vector<int>>> stripBlocks_;
};

// ---- programs with resources --------------------------------------------------------------

struct ResourceItem {
    uint16_t type;        // 2 for bitmaps
    std::string name;     // empty: the numeric id
    uint16_t id;
    uint16_t language;
    std::vector<uint8_t> bytes;
};

// A "PE" library (32-bit, or 64-bit with the longer optional header) of one
// resource section; the resource tree grouped by type, name and language.
struct PeImage {
    std::vector<uint8_t> bytes;
    uint32_t sectionOffset;    // file offset of the resource section
    uint32_t bitmapDirectory;  // of the bitmap type's directory, within the section
    uint32_t optionalHeader;   // file offset of the optional header
};
PeImage BuildPeLibrary(const std::vector<ResourceItem>& items, bool pe32Plus);

// A 16-bit "NE" program whose resource table holds the items, aligned by
// `shift`; named items get counted strings behind the table.
struct NeImage {
    std::vector<uint8_t> bytes;
    uint32_t resourceTable;    // file offset of the resource table (its shift count)
};
NeImage BuildNeProgram(const std::vector<ResourceItem>& items, int shift);

// The bytes of a packed DIB of a given size and depth with a pattern, as a
// bitmap resource holds them.
std::vector<uint8_t> BitmapResourceBytes(int width, int height, int bits, uint32_t seed);

// ---- pictures -----------------------------------------------------------------------------

// The colour of pixel (x, y), y counted from the top, of a packed DIB of
// 1, 4, 8 or 24 bits.
RGBQUAD DibPixel(HGLOBAL dib, int x, int y);
// Every pixel of two DIBs of the same size as colours: the first difference,
// or an empty text.
std::string FirstPixelDifference(HGLOBAL expected, HGLOBAL actual, int tolerance = 0);
