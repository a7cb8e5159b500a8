// The codec tests' own files: TIFF files, programs with resource tables and
// picture comparisons.
#include "CodecFixtures.h"
#include "PackedDib.h"
#include "ResultCodes.h"
#include "TestFiles.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void PutLe16(std::vector<uint8_t>& out, size_t at, uint16_t v)
{
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
}

void PutLe32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void PadTo(std::vector<uint8_t>& out, size_t multiple)
{
    while (out.size() % multiple) out.push_back(0);
}

}  // namespace

// ---- TIFF -------------------------------------------------------------------------------

void TiffFileBuilder::Put16(std::vector<uint8_t>& out, uint16_t v) const
{
    if (bigEndian_) out.insert(out.end(), {uint8_t(v >> 8), uint8_t(v)});
    else out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8)});
}

void TiffFileBuilder::Put32(std::vector<uint8_t>& out, uint32_t v) const
{
    if (bigEndian_) out.insert(out.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
    else out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}

int TiffFileBuilder::AddData(const std::vector<uint8_t>& bytes)
{
    blocks_.push_back(bytes);
    return static_cast<int>(blocks_.size() - 1);
}

void TiffFileBuilder::Add(Entry entry)
{
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.tag == entry.tag; }),
                   entries_.end());
    entries_.push_back(std::move(entry));
}

void TiffFileBuilder::Shorts(uint16_t tag, const std::vector<uint16_t>& values)
{
    Entry e{tag, 3, static_cast<uint32_t>(values.size()), {}, false, 0};
    for (uint16_t v : values) Put16(e.values, v);
    Add(std::move(e));
}

void TiffFileBuilder::Longs(uint16_t tag, const std::vector<uint32_t>& values)
{
    Entry e{tag, 4, static_cast<uint32_t>(values.size()), {}, false, 0};
    for (uint32_t v : values) Put32(e.values, v);
    Add(std::move(e));
}

void TiffFileBuilder::Rational(uint16_t tag, uint32_t numerator, uint32_t denominator)
{
    Entry e{tag, 5, 1, {}, false, 0};
    Put32(e.values, numerator);
    Put32(e.values, denominator);
    Add(std::move(e));
}

void TiffFileBuilder::Raw(uint16_t tag, uint16_t type, uint32_t count, uint32_t value)
{
    Add(Entry{tag, type, count, {}, true, value});
}

void TiffFileBuilder::Strips(const std::vector<int>& blocks)
{
    stripBlocks_.clear();
    stripBlocks_.push_back({273, blocks});
    std::vector<uint32_t> counts;
    for (int b : blocks) counts.push_back(static_cast<uint32_t>(blocks_[b].size()));
    Longs(279, counts);
    Longs(273, std::vector<uint32_t>(blocks.size(), 0));  // filled in when built
}

uint32_t TiffFileBuilder::Offset(int block) const
{
    uint32_t at = 8;
    for (int i = 0; i < block; ++i) at += static_cast<uint32_t>((blocks_[i].size() + 1) & ~size_t(1));
    return at;
}

std::vector<uint8_t> TiffFileBuilder::Build() const
{
    std::vector<Entry> entries = entries_;
    for (const auto& [tag, blocks] : stripBlocks_) {
        for (Entry& e : entries) {
            if (e.tag != tag) continue;
            e.values.clear();
            for (int b : blocks) Put32(e.values, Offset(b));
        }
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
    std::vector<uint8_t> out;
    out.push_back(bigEndian_ ? 'M' : 'I');
    out.push_back(bigEndian_ ? 'M' : 'I');
    Put16(out, 42);
    Put32(out, 0);
    for (const auto& block : blocks_) {
        out.insert(out.end(), block.begin(), block.end());
        PadTo(out, 2);
    }
    const uint32_t directory = static_cast<uint32_t>(out.size());
    // The directory's offset in the header, in the file's order.
    std::vector<uint8_t> offset;
    Put32(offset, directory);
    std::copy(offset.begin(), offset.end(), out.begin() + 4);
    uint32_t extra = directory + 2 + 12 * static_cast<uint32_t>(entries.size()) + 4;
    std::vector<uint8_t> values;
    Put16(out, static_cast<uint16_t>(entries.size()));
    for (const Entry& e : entries) {
        Put16(out, e.tag);
        Put16(out, e.type);
        Put32(out, e.count);
        if (e.raw) {
            Put32(out, e.rawValue);
        } else if (e.values.size() <= 4) {
            std::vector<uint8_t> field = e.values;
            field.resize(4, 0);
            out.insert(out.end(), field.begin(), field.end());
        } else {
            Put32(out, extra + static_cast<uint32_t>(values.size()));
            values.insert(values.end(), e.values.begin(), e.values.end());
            PadTo(values, 2);
        }
    }
    Put32(out, 0);
    out.insert(out.end(), values.begin(), values.end());
    return out;
}

// ---- PE ---------------------------------------------------------------------------------

namespace {

constexpr uint32_t FILE_ALIGNMENT = 0x200;
constexpr uint32_t SECTION_RVA = 0x1000;

struct NameNode {
    const ResourceItem* first;
    std::vector<const ResourceItem*> languages;
};
struct TypeNode {
    uint16_t type;
    std::vector<NameNode> names;
};

// Types by id, names (strings first, then ids) in the order met, languages in order.
std::vector<TypeNode> GroupResources(const std::vector<ResourceItem>& items)
{
    std::vector<TypeNode> types;
    for (const ResourceItem& item : items) {
        auto type = std::find_if(types.begin(), types.end(), [&](const TypeNode& t) { return t.type == item.type; });
        if (type == types.end()) type = types.insert(types.end(), TypeNode{item.type, {}});
        auto name = std::find_if(type->names.begin(), type->names.end(), [&](const NameNode& n) {
            return n.first->name == item.name && (!item.name.empty() || n.first->id == item.id);
        });
        if (name == type->names.end()) name = type->names.insert(type->names.end(), NameNode{&item, {}});
        name->languages.push_back(&item);
    }
    std::sort(types.begin(), types.end(), [](const TypeNode& a, const TypeNode& b) { return a.type < b.type; });
    for (TypeNode& t : types)
        std::stable_partition(t.names.begin(), t.names.end(), [](const NameNode& n) { return !n.first->name.empty(); });
    return types;
}

}  // namespace

PeImage BuildPeLibrary(const std::vector<ResourceItem>& items, bool pe32Plus)
{
    const std::vector<TypeNode> types = GroupResources(items);
    // Directories first, then data entries, name strings and the data.
    uint32_t at = 16 + 8 * uint32_t(types.size());
    std::vector<uint32_t> typeDirs, nameDirs;
    for (const TypeNode& t : types) {
        typeDirs.push_back(at);
        at += 16 + 8 * uint32_t(t.names.size());
    }
    for (const TypeNode& t : types)
        for (const NameNode& n : t.names) {
            nameDirs.push_back(at);
            at += 16 + 8 * uint32_t(n.languages.size());
        }
    const uint32_t dataEntries = at;
    at += 16 * uint32_t(items.size());
    std::vector<uint32_t> nameStrings;
    for (const TypeNode& t : types)
        for (const NameNode& n : t.names) {
            nameStrings.push_back(at);
            if (!n.first->name.empty()) at += 2 + 2 * uint32_t(n.first->name.size());
        }
    at = (at + 7) & ~7u;
    std::vector<uint8_t> section(at, 0);
    auto directory = [&](uint32_t offset, int named, int ids) {
        PutLe16(section, offset + 12, static_cast<uint16_t>(named));
        PutLe16(section, offset + 14, static_cast<uint16_t>(ids));
    };
    directory(0, 0, static_cast<int>(types.size()));
    size_t nameIndex = 0;
    uint32_t entryIndex = 0;
    uint32_t bitmapDirectory = 0;
    for (size_t ti = 0; ti < types.size(); ++ti) {
        const TypeNode& t = types[ti];
        PutLe32(section, 16 + 8 * ti, t.type);
        PutLe32(section, 16 + 8 * ti + 4, typeDirs[ti] | 0x80000000u);
        if (t.type == 2) bitmapDirectory = typeDirs[ti];
        const int named = int(std::count_if(t.names.begin(), t.names.end(), [](const NameNode& n) { return !n.first->name.empty(); }));
        directory(typeDirs[ti], named, int(t.names.size()) - named);
        for (size_t ni = 0; ni < t.names.size(); ++ni, ++nameIndex) {
            const NameNode& n = t.names[ni];
            const uint32_t entry = typeDirs[ti] + 16 + 8 * uint32_t(ni);
            if (n.first->name.empty()) {
                PutLe32(section, entry, n.first->id);
            } else {
                const uint32_t s = nameStrings[nameIndex];
                PutLe32(section, entry, s | 0x80000000u);
                PutLe16(section, s, static_cast<uint16_t>(n.first->name.size()));
                for (size_t c = 0; c < n.first->name.size(); ++c)
                    PutLe16(section, s + 2 + 2 * c, static_cast<uint8_t>(n.first->name[c]));
            }
            PutLe32(section, entry + 4, nameDirs[nameIndex] | 0x80000000u);
            directory(nameDirs[nameIndex], 0, int(n.languages.size()));
            for (size_t li = 0; li < n.languages.size(); ++li) {
                const ResourceItem& item = *n.languages[li];
                const uint32_t languageEntry = nameDirs[nameIndex] + 16 + 8 * uint32_t(li);
                const uint32_t dataEntry = dataEntries + 16 * entryIndex++;
                PutLe32(section, languageEntry, item.language);
                PutLe32(section, languageEntry + 4, dataEntry);
                const uint32_t blob = static_cast<uint32_t>(section.size());
                section.insert(section.end(), item.bytes.begin(), item.bytes.end());
                PadTo(section, 8);
                PutLe32(section, dataEntry, SECTION_RVA + blob);
                PutLe32(section, dataEntry + 4, static_cast<uint32_t>(item.bytes.size()));
            }
        }
    }
    const uint32_t sectionSize = static_cast<uint32_t>(section.size());
    PadTo(section, FILE_ALIGNMENT);

    std::vector<uint8_t> file(FILE_ALIGNMENT, 0);
    IMAGE_DOS_HEADER dos{};
    dos.e_magic = IMAGE_DOS_SIGNATURE;
    dos.e_lfarlc = 0x40;
    dos.e_lfanew = 0x40;
    memcpy(file.data(), &dos, sizeof dos);
    PutLe32(file, 0x40, IMAGE_NT_SIGNATURE);
    IMAGE_FILE_HEADER header{};
    header.Machine = pe32Plus ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;
    header.NumberOfSections = 1;
    header.SizeOfOptionalHeader = pe32Plus ? sizeof(IMAGE_OPTIONAL_HEADER64) : sizeof(IMAGE_OPTIONAL_HEADER32);
    header.Characteristics = IMAGE_FILE_EXECUTABLE_IMAGE | IMAGE_FILE_DLL | (pe32Plus ? 0 : IMAGE_FILE_32BIT_MACHINE);
    memcpy(file.data() + 0x44, &header, sizeof header);
    const uint32_t optionalAt = 0x44 + sizeof header;
    const uint32_t imageSize = SECTION_RVA + ((sectionSize + 0xFFF) & ~0xFFFu);
    auto fill = [&](auto& o) {
        o.SectionAlignment = 0x1000;
        o.FileAlignment = FILE_ALIGNMENT;
        o.MajorOperatingSystemVersion = 4;
        o.MajorSubsystemVersion = 4;
        o.SizeOfImage = imageSize;
        o.SizeOfHeaders = FILE_ALIGNMENT;
        o.Subsystem = IMAGE_SUBSYSTEM_WINDOWS_GUI;
        o.NumberOfRvaAndSizes = IMAGE_NUMBEROF_DIRECTORY_ENTRIES;
        o.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE] = {SECTION_RVA, sectionSize};
        memcpy(file.data() + optionalAt, &o, sizeof o);
    };
    if (pe32Plus) {
        IMAGE_OPTIONAL_HEADER64 o{};
        o.Magic = IMAGE_NT_OPTIONAL_HDR64_MAGIC;
        o.ImageBase = 0x180000000ull;
        fill(o);
    } else {
        IMAGE_OPTIONAL_HEADER32 o{};
        o.Magic = IMAGE_NT_OPTIONAL_HDR32_MAGIC;
        o.ImageBase = 0x10000000;
        fill(o);
    }
    IMAGE_SECTION_HEADER s{};
    memcpy(s.Name, ".rsrc", 5);
    s.Misc.VirtualSize = sectionSize;
    s.VirtualAddress = SECTION_RVA;
    s.SizeOfRawData = static_cast<DWORD>(section.size());
    s.PointerToRawData = FILE_ALIGNMENT;
    s.Characteristics = IMAGE_SCN_CNT_INITIALIZED_DATA | IMAGE_SCN_MEM_READ;
    memcpy(file.data() + optionalAt + header.SizeOfOptionalHeader, &s, sizeof s);
    file.insert(file.end(), section.begin(), section.end());
    return PeImage{file, FILE_ALIGNMENT, bitmapDirectory, optionalAt};
}

// ---- NE ---------------------------------------------------------------------------------

NeImage BuildNeProgram(const std::vector<ResourceItem>& items, int shift)
{
    constexpr uint32_t NE_AT = 0x80;
    constexpr uint32_t TABLE_AT = NE_AT + 0x40;
    std::vector<TypeNode> types = GroupResources(items);
    // The table: shift, type records with their name records, 0, counted names.
    uint32_t tableBytes = 2 + 2;
    for (const TypeNode& t : types) {
        tableBytes += 8;
        for (const NameNode& n : t.names) tableBytes += 12 * uint32_t(n.languages.size());
    }
    std::vector<uint8_t> names;
    std::vector<uint16_t> nameOffsets;
    for (const TypeNode& t : types)
        for (const NameNode& n : t.names) {
            if (n.first->name.empty()) {
                nameOffsets.push_back(static_cast<uint16_t>(0x8000 | n.first->id));
                continue;
            }
            nameOffsets.push_back(static_cast<uint16_t>(tableBytes + names.size()));
            names.push_back(static_cast<uint8_t>(n.first->name.size()));
            names.insert(names.end(), n.first->name.begin(), n.first->name.end());
        }
    names.push_back(0);
    const uint32_t residentNames = TABLE_AT + tableBytes + static_cast<uint32_t>(names.size());
    std::vector<uint8_t> file(residentNames + 1, 0);  // the resident-name table: empty
    IMAGE_DOS_HEADER dos{};
    dos.e_magic = IMAGE_DOS_SIGNATURE;
    dos.e_lfarlc = 0x40;
    dos.e_lfanew = NE_AT;
    memcpy(file.data(), &dos, sizeof dos);
    file[NE_AT] = 'N';
    file[NE_AT + 1] = 'E';
    PutLe16(file, NE_AT + 0x24, static_cast<uint16_t>(TABLE_AT - NE_AT));
    PutLe16(file, NE_AT + 0x26, static_cast<uint16_t>(residentNames - NE_AT));
    PutLe16(file, TABLE_AT, static_cast<uint16_t>(shift));
    const uint32_t unit = 1u << shift;
    uint32_t at = TABLE_AT + 2;
    size_t nameIndex = 0;
    std::vector<std::pair<uint32_t, const ResourceItem*>> data;
    uint32_t dataAt = (static_cast<uint32_t>(file.size()) + unit - 1) / unit * unit;
    for (const TypeNode& t : types) {
        uint16_t count = 0;
        for (const NameNode& n : t.names) count = static_cast<uint16_t>(count + n.languages.size());
        PutLe16(file, at, static_cast<uint16_t>(0x8000 | t.type));
        PutLe16(file, at + 2, count);
        at += 8;
        for (const NameNode& n : t.names) {
            for (const ResourceItem* item : n.languages) {
                const uint32_t units = (static_cast<uint32_t>(item->bytes.size()) + unit - 1) / unit;
                PutLe16(file, at, static_cast<uint16_t>(dataAt / unit));
                PutLe16(file, at + 2, static_cast<uint16_t>(units));
                PutLe16(file, at + 4, 0x30);
                PutLe16(file, at + 6, nameOffsets[nameIndex]);
                data.push_back({dataAt, item});
                dataAt += units * unit;
                at += 12;
            }
            ++nameIndex;
        }
    }
    PutLe16(file, at, 0);
    std::copy(names.begin(), names.end(), file.begin() + TABLE_AT + tableBytes);
    file.resize(dataAt, 0);
    for (const auto& [offset, item] : data) std::copy(item->bytes.begin(), item->bytes.end(), file.begin() + offset);
    return NeImage{file, TABLE_AT};
}

std::vector<uint8_t> BitmapResourceBytes(int width, int height, int bits, uint32_t seed)
{
    HGLOBAL dib = MakePatternDib(width, height, bits, FramePattern::Gradient, seed);
    std::vector<uint8_t> bytes(GlobalSize(dib));
    {
        GlobalLockGuard<BYTE> p(dib);
        memcpy(bytes.data(), p.get(), bytes.size());
    }
    GlobalFree(dib);
    return bytes;
}

// ---- pictures -----------------------------------------------------------------------------

namespace {

// The colours of a locked picture's pixels.
class PictureReader {
public:
    explicit PictureReader(HGLOBAL dib) : lock_(dib)
    {
        valid_ = lock_ && ReadPackedDibLayout(lock_.get(), GlobalSize(dib), &layout_) == RESULT_OK;
    }
    bool Valid() const { return valid_; }
    int Width() const { return layout_.header.biWidth; }
    int Height() const { return std::abs(layout_.header.biHeight); }
    RGBQUAD At(int x, int y) const
    {
        const BITMAPINFOHEADER& h = layout_.header;
        const int stored = h.biHeight < 0 ? y : Height() - 1 - y;
        const BYTE* row = lock_.get() + layout_.bitsOffset + size_t(DibStride(h.biWidth, h.biBitCount)) * stored;
        if (h.biBitCount == 24) return RGBQUAD{row[3 * x], row[3 * x + 1], row[3 * x + 2], 0};
        RGBQUAD c = layout_.colors[DibPixelAt(row, x, h.biBitCount)];
        c.rgbReserved = 0;
        return c;
    }
private:
    GlobalLockGuard<BYTE> lock_;
    PackedDibLayout layout_{};
    bool valid_ = false;
};

}  // namespace

RGBQUAD DibPixel(HGLOBAL dib, int x, int y)
{
    PictureReader picture(dib);
    return picture.Valid() ? picture.At(x, y) : RGBQUAD{1, 2, 3, 4};
}

std::string FirstPixelDifference(HGLOBAL expected, HGLOBAL actual, int tolerance)
{
    PictureReader a(expected), b(actual);
    if (!a.Valid() || !b.Valid()) return "a picture is missing or damaged";
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return "size " + std::to_string(b.Width()) + "x" + std::to_string(b.Height()) + ", expected " +
               std::to_string(a.Width()) + "x" + std::to_string(a.Height());
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const RGBQUAD e = a.At(x, y), g = b.At(x, y);
            if (std::abs(e.rgbRed - g.rgbRed) > tolerance || std::abs(e.rgbGreen - g.rgbGreen) > tolerance ||
                std::abs(e.rgbBlue - g.rgbBlue) > tolerance) {
                char text[96];
                snprintf(text, sizeof text, "pixel %d,%d is %02X%02X%02X, expected %02X%02X%02X", x, y, g.rgbRed,
                         g.rgbGreen, g.rgbBlue, e.rgbRed, e.rgbGreen, e.rgbBlue);
                return text;
            }
        }
    return "";
}
