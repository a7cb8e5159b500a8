// TIFF reader and writer. The reader takes the whole file into memory and
// checks every offset, count and value it follows against the file's size;
// the writer stores strips of about 8 kilobytes and then the directory.
#include "TiffCodec.h"
#include "ConvLibrary.h"
#include "FileIo.h"
#include "TiffLzw.h"
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

constexpr uint16_t TIFF_MAGIC = 42;

// Tags the reader collects and the writer stores.
enum TiffTag : uint16_t {
    TAG_NEW_SUBFILE_TYPE = 254,
    TAG_SUBFILE_TYPE = 255,
    TAG_IMAGE_WIDTH = 256,
    TAG_IMAGE_LENGTH = 257,
    TAG_BITS_PER_SAMPLE = 258,
    TAG_COMPRESSION = 259,
    TAG_PHOTOMETRIC = 262,
    TAG_FILL_ORDER = 266,
    TAG_STRIP_OFFSETS = 273,
    TAG_ORIENTATION = 274,
    TAG_SAMPLES_PER_PIXEL = 277,
    TAG_ROWS_PER_STRIP = 278,
    TAG_STRIP_BYTE_COUNTS = 279,
    TAG_X_RESOLUTION = 282,
    TAG_Y_RESOLUTION = 283,
    TAG_PLANAR_CONFIGURATION = 284,
    TAG_RESOLUTION_UNIT = 296,
    TAG_SOFTWARE = 305,
    TAG_DATE_TIME = 306,
    TAG_COLOR_MAP = 320,
    TAG_TILE_WIDTH = 322,
    TAG_TILE_LENGTH = 323,
    TAG_EXTRA_SAMPLES = 338,
};

enum TiffType : uint16_t { TYPE_BYTE = 1, TYPE_ASCII = 2, TYPE_SHORT = 3, TYPE_LONG = 4, TYPE_RATIONAL = 5 };

enum Photometric : uint16_t { WHITE_IS_ZERO = 0, BLACK_IS_ZERO = 1, PHOTOMETRIC_RGB = 2, PHOTOMETRIC_PALETTE = 3 };

constexpr uint16_t RESOLUTION_INCH = 2;
constexpr uint16_t RESOLUTION_CENTIMETRE = 3;
constexpr double METRES_PER_INCH_INVERSE = 39.370078740157474;
constexpr LONG DEFAULT_PIXELS_PER_METRE = 2953;
constexpr uint32_t WRITTEN_RESOLUTION_DENOMINATOR = 100;
constexpr char SOFTWARE_NAME[] = "Zelvo V2.5";
constexpr size_t DATE_TIME_BYTES = 20;  // "YYYY:MM:DD HH:MM:SS" and a NUL

uint32_t TypeSize(uint16_t type)
{
    switch (type) {
    case TYPE_BYTE:
    case TYPE_ASCII: return 1;
    case TYPE_SHORT: return 2;
    case TYPE_LONG: return 4;
    case TYPE_RATIONAL: return 8;
    }
    return 1;
}

// ---- reading ----------------------------------------------------------------------------

// The file image with reads in its byte order; every read is checked
// against the size.
class TiffBytes {
public:
    TiffBytes(const BYTE* data, size_t size, bool bigEndian) : data_(data), size_(size), bigEndian_(bigEndian) {}
    bool Holds(uint64_t at, uint64_t count) const { return at <= size_ && count <= size_ - at; }
    uint16_t U16(uint64_t at) const
    {
        if (!Holds(at, 2)) return 0;
        const BYTE* p = data_ + at;
        return bigEndian_ ? uint16_t(p[0] << 8 | p[1]) : uint16_t(p[1] << 8 | p[0]);
    }
    uint32_t U32(uint64_t at) const
    {
        if (!Holds(at, 4)) return 0;
        const BYTE* p = data_ + at;
        return bigEndian_ ? uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]
                          : uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
    const BYTE* At(uint64_t at) const { return data_ + at; }
    size_t Size() const { return size_; }
private:
    const BYTE* data_;
    size_t size_;
    bool bigEndian_;
};

// A directory entry's values: where they stand (in the entry itself when
// they fit in 4 bytes), how many and of what type.
struct TiffValues {
    uint64_t at = 0;
    uint32_t count = 0;
    uint16_t type = 0;
    bool present = false;
};

// The tags of the first directory, with the values they have when absent.
struct TiffTags {
    uint32_t width = 0;
    uint32_t height = 0;
    int bitsPerSample = 1;
    int compression = TIFF_COMPRESSION_NONE;
    int photometric = WHITE_IS_ZERO;
    int fillOrder = 1;
    TiffValues stripOffsets;
    TiffValues stripByteCounts;
    int samplesPerPixel = 1;
    uint32_t rowsPerStrip = 0xFFFFFFFF;
    double xResolution = 0;
    double yResolution = 0;
    int planarConfiguration = 1;
    int resolutionUnit = RESOLUTION_INCH;
    TiffValues colorMap;
    uint32_t tileWidth = 0;
    uint32_t tileLength = 0;
    int extraSamples = 0;
};

// What the strip decoders work from while LoadTiff runs.
struct TiffReadState {
    const TiffBytes* file;
    TiffTags tags;
};
TiffReadState g_read = {};

TiffValues EntryValues(const TiffBytes& file, uint64_t entry)
{
    TiffValues v;
    v.type = file.U16(entry + 2);
    v.count = file.U32(entry + 4);
    v.present = true;
    const uint64_t bytes = uint64_t(v.count) * TypeSize(v.type);
    v.at = bytes <= 4 ? entry + 8 : file.U32(entry + 8);
    return v;
}

bool ValuesInFile(const TiffBytes& file, const TiffValues& v)
{
    return file.Holds(v.at, uint64_t(v.count) * TypeSize(v.type));
}

uint32_t ShortOrLong(const TiffBytes& file, uint64_t entry)
{
    return file.U16(entry + 2) == TYPE_SHORT ? file.U16(entry + 8) : file.U32(entry + 8);
}

// A rational as a number; a zero denominator or values outside the file count as none.
double Rational(const TiffBytes& file, uint64_t entry)
{
    const uint32_t at = file.U32(entry + 8);
    if (!file.Holds(at, 8)) return 0;
    const uint32_t denominator = file.U32(uint64_t(at) + 4);
    return denominator ? double(file.U32(at)) / denominator : 0;
}

int BitsPerSample(const TiffBytes& file, uint64_t entry)
{
    const TiffValues v = EntryValues(file, entry);
    if (v.count == 1) return file.U16(entry + 8);
    if (v.count != 3 || !ValuesInFile(file, v)) return 0;
    return file.U16(v.at) == 8 && file.U16(v.at + 2) == 8 && file.U16(v.at + 4) == 8 ? 8 : 0;
}

void CollectTag(const TiffBytes& file, uint64_t entry, TiffTags& t)
{
    switch (file.U16(entry)) {
    case TAG_IMAGE_WIDTH: t.width = ShortOrLong(file, entry); break;
    case TAG_IMAGE_LENGTH: t.height = ShortOrLong(file, entry); break;
    case TAG_BITS_PER_SAMPLE: t.bitsPerSample = BitsPerSample(file, entry); break;
    case TAG_COMPRESSION: t.compression = file.U16(entry + 8); break;
    case TAG_PHOTOMETRIC: t.photometric = file.U16(entry + 8); break;
    case TAG_FILL_ORDER: t.fillOrder = file.U16(entry + 8); break;
    case TAG_STRIP_OFFSETS: t.stripOffsets = EntryValues(file, entry); break;
    case TAG_SAMPLES_PER_PIXEL: t.samplesPerPixel = file.U16(entry + 8); break;
    case TAG_ROWS_PER_STRIP: t.rowsPerStrip = ShortOrLong(file, entry); break;
    case TAG_STRIP_BYTE_COUNTS: t.stripByteCounts = EntryValues(file, entry); break;
    case TAG_X_RESOLUTION: t.xResolution = Rational(file, entry); break;
    case TAG_Y_RESOLUTION: t.yResolution = Rational(file, entry); break;
    case TAG_PLANAR_CONFIGURATION: t.planarConfiguration = file.U16(entry + 8); break;
    case TAG_RESOLUTION_UNIT: t.resolutionUnit = file.U16(entry + 8); break;
    case TAG_COLOR_MAP: t.colorMap = EntryValues(file, entry); break;
    case TAG_TILE_WIDTH: t.tileWidth = ShortOrLong(file, entry); break;
    case TAG_TILE_LENGTH: t.tileLength = ShortOrLong(file, entry); break;
    case TAG_EXTRA_SAMPLES: t.extraSamples = file.U16(entry + 8); break;
    }
}

// The depth of the picture; 0 for a photometric and sample combination that is not read.
int DepthOf(const TiffTags& t)
{
    const int bits = t.bitsPerSample;
    switch (t.photometric) {
    case WHITE_IS_ZERO:
    case BLACK_IS_ZERO: return t.samplesPerPixel == 1 && (bits == 1 || bits == 4 || bits == 8) ? bits : 0;
    case PHOTOMETRIC_RGB: return t.samplesPerPixel == 3 && bits == 8 ? 24 : 0;
    case PHOTOMETRIC_PALETTE: return t.samplesPerPixel == 1 && (bits == 4 || bits == 8) ? bits : 0;
    }
    return 0;
}

uint32_t RowsPerStrip(const TiffTags& t)
{
    // 0 and values beyond the height mean one strip.
    return t.rowsPerStrip == 0 || t.rowsPerStrip > t.height ? t.height : t.rowsPerStrip;
}

uint32_t StripCount(const TiffTags& t)
{
    const uint32_t rows = RowsPerStrip(t);
    return (t.height + rows - 1) / rows;
}

uint32_t ArrayValue(const TiffBytes& file, const TiffValues& v, uint32_t index)
{
    return v.type == TYPE_SHORT ? file.U16(v.at + 2 * uint64_t(index)) : file.U32(v.at + 4 * uint64_t(index));
}

LONG PixelsPerMetre(double resolution, int unit)
{
    double perMetre;
    if (unit == RESOLUTION_INCH) perMetre = resolution * METRES_PER_INCH_INVERSE;
    else if (unit == RESOLUTION_CENTIMETRE) perMetre = resolution * 100;
    else if (resolution != 0) perMetre = resolution * METRES_PER_INCH_INVERSE;  // taken as dots per inch
    else return DEFAULT_PIXELS_PER_METRE;
    if (!(perMetre >= 0)) return 0;
    return perMetre >= 2147483647.0 ? 2147483647 : static_cast<LONG>(perMetre);
}

void FillColorTable(const TiffBytes& file, const TiffTags& t, int depth, RGBQUAD* table)
{
    const int colors = 1 << depth;
    if (t.photometric == PHOTOMETRIC_PALETTE) {
        for (int i = 0; i < colors; ++i) {
            table[i].rgbRed = static_cast<BYTE>(file.U16(t.colorMap.at + 2 * uint64_t(i)) >> 8);
            table[i].rgbGreen = static_cast<BYTE>(file.U16(t.colorMap.at + 2 * uint64_t(colors + i)) >> 8);
            table[i].rgbBlue = static_cast<BYTE>(file.U16(t.colorMap.at + 2 * uint64_t(2 * colors + i)) >> 8);
        }
        return;
    }
    const int step = depth == 1 ? 255 : depth == 4 ? 17 : 1;
    for (int i = 0; i < colors; ++i) {
        const BYTE grey = static_cast<BYTE>((t.photometric == BLACK_IS_ZERO ? i : colors - 1 - i) * step);
        table[i] = RGBQUAD{grey, grey, grey, 0};
    }
}

// The shared strip pass of every depth: strip by strip, decoded when
// compressed, rows copied bottom-up into the DIB.
int DecodeStrips(void* dib, int depth)
{
    const TiffBytes& file = *g_read.file;
    const TiffTags& t = g_read.tags;
    const int width = static_cast<int>(t.width);
    const int height = static_cast<int>(t.height);
    const uint32_t rowBytes = DibRowBytes(width, depth);
    const uint32_t stride = DibStride(width, depth);
    const uint32_t rows = RowsPerStrip(t);
    const uint32_t strips = StripCount(t);
    BYTE* bits = DibBits(dib);
    const uint64_t room = uint64_t(stride) * (uint64_t(rows) + 1);
    ScratchBytes buffer;
    if (t.compression != TIFF_COMPRESSION_NONE) {
        buffer = AllocScratch(room);
        if (!buffer) return 0;
    }
    for (uint32_t s = 0; s < strips; ++s) {
        const uint32_t offset = ArrayValue(file, t.stripOffsets, s);
        const uint32_t count = ArrayValue(file, t.stripByteCounts, s);
        if (!file.Holds(offset, count)) return 0;
        const BYTE* data = file.At(offset);
        uint64_t available = count;
        if (t.compression == TIFF_COMPRESSION_LZW || t.compression == TIFF_COMPRESSION_PACKBITS) {
            // A strip that decodes short leaves its missing rows black.
            memset(buffer.get(), 0, static_cast<size_t>(room));
            const int decoded = t.compression == TIFF_COMPRESSION_LZW
                                    ? TiffLzwDecode(data, buffer.get(), count, static_cast<uint32_t>(room))
                                    : PackBitsDecode(data, buffer.get(), count, static_cast<uint32_t>(room));
            if (!decoded) return 0;
            data = buffer.get();
            available = room;
        } else if (t.compression != TIFF_COMPRESSION_NONE) {
            return 0;
        }
        for (uint32_t r = 0; r < rows; ++r) {
            const uint64_t y = uint64_t(s) * rows + r;
            if (y >= uint64_t(height) || (uint64_t(r) + 1) * rowBytes > available) break;
            BYTE* row = bits + size_t(stride) * (height - 1 - y);
            if (depth == 24) CopySwappingRedBlue(data + size_t(r) * rowBytes, row, width);
            else memcpy(row, data + size_t(r) * rowBytes, rowBytes);
        }
    }
    return 1;
}

// The checks of the directory's tags, in order, and the depth they give.
int CheckTags(const TiffBytes& file, const TiffTags& t, int* depth)
{
    if (!t.stripOffsets.present || !t.stripByteCounts.present) return CONV_ERR_UNSUPPORTED;
    if (t.fillOrder != 1 || t.planarConfiguration != 1 || t.extraSamples != 0 || t.tileWidth || t.tileLength ||
        t.stripOffsets.count == 0)
        return CONV_ERR_UNSUPPORTED;
    if (t.compression == 3 || t.compression == 4 || t.compression == 6) return CONV_ERR_COMPRESSION;
    if (!ValuesInFile(file, t.stripOffsets) || !ValuesInFile(file, t.stripByteCounts)) return CONV_ERR_READ;
    *depth = DepthOf(t);
    if (*depth == 0) return CONV_ERR_UNSUPPORTED;
    if (t.photometric == PHOTOMETRIC_PALETTE) {
        if (!t.colorMap.present || t.colorMap.count < 3u << *depth) return CONV_ERR_UNSUPPORTED;
        if (!file.Holds(t.colorMap.at, 3 * 2 * (uint64_t(1) << *depth))) return CONV_ERR_READ;
    }
    if (t.width == 0 || t.height == 0) return CONV_ERR_UNSUPPORTED;
    if (!IsImageSizeAllowed(t.width, t.height, *depth)) return CONV_ERR_MEMORY;
    // Every strip the rows need must have its offset and byte count.
    const uint32_t strips = StripCount(t);
    if (strips > t.stripOffsets.count || strips > t.stripByteCounts.count) return CONV_ERR_COMPRESSION;
    return CONV_OK;
}

int ReadTiffImage(const TiffBytes& file, HGLOBAL* result)
{
    const uint32_t directory = file.U32(4);
    if (directory == 0) return CONV_ERR_UNSUPPORTED;
    if (!file.Holds(directory, 2)) return CONV_ERR_READ;
    const uint16_t entries = file.U16(directory);
    if (!file.Holds(uint64_t(directory) + 2, uint64_t(entries) * sizeof(TiffEntry))) return CONV_ERR_READ;
    TiffTags tags;
    for (uint16_t i = 0; i < entries; ++i) CollectTag(file, uint64_t(directory) + 2 + uint64_t(i) * sizeof(TiffEntry), tags);
    int depth = 0;
    const int checked = CheckTags(file, tags, &depth);
    if (checked != CONV_OK) return checked;

    RGBQUAD table[256] = {};
    if (depth <= 8) FillColorTable(file, tags, depth, table);
    GlobalBlock dib(CreateImageDib(static_cast<int>(tags.width), static_cast<int>(tags.height), depth, table,
                                   depth <= 8 ? 1 << depth : 0));
    if (!dib) return CONV_ERR_MEMORY;
    GlobalLockGuard<BYTE> p(dib.Get());
    BITMAPINFOHEADER* h = DibHeader(p.get());
    h->biXPelsPerMeter = PixelsPerMetre(tags.xResolution, tags.resolutionUnit);
    h->biYPelsPerMeter = PixelsPerMetre(tags.yResolution, tags.resolutionUnit);
    g_read = {&file, tags};
    int decoded = 0;
    switch (depth) {
    case 1: decoded = DecodeTiffStrips1(p.get()); break;
    case 4: decoded = DecodeTiffStrips4(p.get()); break;
    case 8: decoded = DecodeTiffStrips8(p.get()); break;
    case 24: decoded = DecodeTiffStrips24(p.get()); break;
    }
    g_read = {};
    if (!decoded) return CONV_ERR_COMPRESSION;
    *result = dib.Release();
    return CONV_OK;
}

// ---- writing ----------------------------------------------------------------------------

// What the strip writers work from while SaveTiff runs.
struct TiffWriteState {
    HFILE file;
    TiffWriteOptions options;
    uint32_t rowsPerStrip;
    uint32_t strips;
    uint32_t* stripOffsets;
    uint32_t* stripByteCounts;
    uint32_t position;  // of the next byte written
};
TiffWriteState g_write = {};

bool WriteBytes(const void* bytes, uint32_t count)
{
    if (!WriteExact(g_write.file, bytes, count)) return false;
    g_write.position += count;
    return true;
}

// The shared strip pass of every depth: rows gathered top-down, the strip
// coded and written, its offset and byte count kept.
int WriteStrips(const DibForSaving& dib)
{
    const int width = dib.Width();
    const int height = dib.Height();
    const uint32_t rowBytes = DibRowBytes(width, dib.Bits());
    const uint64_t rawBytes = uint64_t(rowBytes) * g_write.rowsPerStrip;
    // Room for what any coder makes of a strip: LZW of one byte takes 4, PackBits of one 2.
    const uint64_t codedRoom = 2 * rawBytes + 16;
    ScratchBytes raw = AllocScratch(rawBytes);
    ScratchBytes coded = AllocScratch(codedRoom);
    if (!raw || !coded) return 0;
    for (uint32_t s = 0; s < g_write.strips; ++s) {
        const uint32_t first = s * g_write.rowsPerStrip;
        uint32_t rows = 0;
        for (; rows < g_write.rowsPerStrip && first + rows < uint32_t(height); ++rows) {
            const int y = static_cast<int>(first + rows);
            StepConvProgress(y * 100 / height);
            BYTE* to = raw.get() + size_t(rows) * rowBytes;
            if (dib.Bits() == 24) CopySwappingRedBlue(dib.RowFromTop(y), to, width);
            else memcpy(to, dib.RowFromTop(y), rowBytes);
        }
        const uint32_t stripBytes = rows * rowBytes;
        const BYTE* data = raw.get();
        uint32_t bytes = stripBytes;
        switch (g_write.options.compression) {
        case TIFF_COMPRESSION_NONE: break;
        case TIFF_COMPRESSION_LZW:
            bytes = TiffLzwEncode(raw.get(), coded.get(), stripBytes, static_cast<uint32_t>(codedRoom));
            data = coded.get();
            break;
        case TIFF_COMPRESSION_PACKBITS:
            bytes = PackBitsEncode(raw.get(), coded.get(), stripBytes, rows, static_cast<uint32_t>(codedRoom));
            data = coded.get();
            break;
        default: return 0;
        }
        if (bytes == 0) return 0;
        g_write.stripOffsets[s] = g_write.position;
        g_write.stripByteCounts[s] = bytes;
        if (!WriteBytes(data, bytes)) return 0;
    }
    return 1;
}

uint16_t PhotometricOf(const DibForSaving& dib)
{
    switch (dib.Bits()) {
    case 1: {
        const RGBQUAD c0 = dib.Color(0), c1 = dib.Color(1);
        const bool zeroWhite = c0.rgbRed + c0.rgbGreen + c0.rgbBlue > 764;
        const bool oneBlack = c1.rgbRed + c1.rgbGreen + c1.rgbBlue == 0;
        return zeroWhite && oneBlack ? WHITE_IS_ZERO : BLACK_IS_ZERO;
    }
    case 24: return PHOTOMETRIC_RGB;
    }
    return PHOTOMETRIC_PALETTE;
}

// The directory and the values that follow it, built in memory and written
// at once.
class DirectoryWriter {
public:
    DirectoryWriter(uint32_t at, int entryCount)
        : extraAt_(at + 2 + uint32_t(entryCount) * sizeof(TiffEntry) + 4)
    {
        const uint16_t count = static_cast<uint16_t>(entryCount);
        Append(entries_, &count, sizeof count);
    }
    void Value(uint16_t tag, uint16_t type, uint32_t count, uint32_t value)
    {
        const TiffEntry e{tag, type, count, value};
        Append(entries_, &e, sizeof e);
    }
    // An entry whose values follow the directory.
    void Extra(uint16_t tag, uint16_t type, uint32_t count, const void* values)
    {
        Value(tag, type, count, extraAt_ + static_cast<uint32_t>(extra_.size()));
        Append(extra_, values, count * TypeSize(type));
    }
    bool Write()
    {
        const uint32_t next = 0;
        Append(entries_, &next, sizeof next);
        return WriteBytes(entries_.data(), static_cast<uint32_t>(entries_.size())) &&
               WriteBytes(extra_.data(), static_cast<uint32_t>(extra_.size()));
    }
private:
    static void Append(std::vector<BYTE>& to, const void* bytes, size_t count)
    {
        const size_t at = to.size();
        to.resize(at + count);
        memcpy(to.data() + at, bytes, count);
    }
    uint32_t extraAt_;
    std::vector<BYTE> entries_;
    std::vector<BYTE> extra_;
};

uint32_t WrittenResolution(LONG pixelsPerMetre)
{
    // 0 would be the invalid rational 0/100.
    return pixelsPerMetre > 0 ? static_cast<uint32_t>(pixelsPerMetre) : DEFAULT_PIXELS_PER_METRE;
}

bool WriteDirectory(const DibForSaving& dib, uint16_t photometric)
{
    const int bits = dib.Bits();
    const bool palette = photometric == PHOTOMETRIC_PALETTE;
    const uint32_t at = g_write.position;
    DirectoryWriter d(at, palette ? 20 : 19);
    const uint16_t eights[3] = {8, 8, 8};
    d.Value(TAG_NEW_SUBFILE_TYPE, TYPE_LONG, 1, 0);
    d.Value(TAG_SUBFILE_TYPE, TYPE_SHORT, 1, 1);
    d.Value(TAG_IMAGE_WIDTH, TYPE_LONG, 1, static_cast<uint32_t>(dib.Width()));
    d.Value(TAG_IMAGE_LENGTH, TYPE_LONG, 1, static_cast<uint32_t>(dib.Height()));
    if (bits == 24) d.Extra(TAG_BITS_PER_SAMPLE, TYPE_SHORT, 3, eights);
    else d.Value(TAG_BITS_PER_SAMPLE, TYPE_SHORT, 1, static_cast<uint32_t>(bits));
    d.Value(TAG_COMPRESSION, TYPE_SHORT, 1, static_cast<uint32_t>(g_write.options.compression));
    d.Value(TAG_PHOTOMETRIC, TYPE_SHORT, 1, photometric);
    d.Value(TAG_FILL_ORDER, TYPE_SHORT, 1, 1);
    if (g_write.strips == 1) d.Value(TAG_STRIP_OFFSETS, TYPE_LONG, 1, g_write.stripOffsets[0]);
    else d.Extra(TAG_STRIP_OFFSETS, TYPE_LONG, g_write.strips, g_write.stripOffsets);
    d.Value(TAG_ORIENTATION, TYPE_SHORT, 1, 1);
    d.Value(TAG_SAMPLES_PER_PIXEL, TYPE_SHORT, 1, bits == 24 ? 3 : 1);
    d.Value(TAG_ROWS_PER_STRIP, TYPE_SHORT, 1, g_write.rowsPerStrip);
    if (g_write.strips == 1) d.Value(TAG_STRIP_BYTE_COUNTS, TYPE_LONG, 1, g_write.stripByteCounts[0]);
    else d.Extra(TAG_STRIP_BYTE_COUNTS, TYPE_LONG, g_write.strips, g_write.stripByteCounts);
    const BITMAPINFOHEADER& h = dib.StoredHeader();
    const uint32_t xResolution[2] = {WrittenResolution(h.biXPelsPerMeter), WRITTEN_RESOLUTION_DENOMINATOR};
    const uint32_t yResolution[2] = {WrittenResolution(h.biYPelsPerMeter), WRITTEN_RESOLUTION_DENOMINATOR};
    d.Extra(TAG_X_RESOLUTION, TYPE_RATIONAL, 1, xResolution);
    d.Extra(TAG_Y_RESOLUTION, TYPE_RATIONAL, 1, yResolution);
    d.Value(TAG_PLANAR_CONFIGURATION, TYPE_SHORT, 1, 1);
    d.Value(TAG_RESOLUTION_UNIT, TYPE_SHORT, 1, RESOLUTION_CENTIMETRE);
    d.Extra(TAG_SOFTWARE, TYPE_ASCII, sizeof SOFTWARE_NAME, SOFTWARE_NAME);
    SYSTEMTIME now;
    GetLocalTime(&now);
    char dateTime[DATE_TIME_BYTES + 1];
    snprintf(dateTime, sizeof dateTime, "%04u:%02u:%02u %02u:%02u:%02u", now.wYear % 10000u, now.wMonth, now.wDay,
             now.wHour, now.wMinute, now.wSecond);
    d.Extra(TAG_DATE_TIME, TYPE_ASCII, DATE_TIME_BYTES, dateTime);
    if (palette) {
        // 2^bits entries: the DIB's colours, then black.
        const int colors = 1 << bits;
        std::vector<uint16_t> map(3 * size_t(colors));
        for (int i = 0; i < colors; ++i) {
            const RGBQUAD c = dib.Color(i);
            map[i] = static_cast<uint16_t>(c.rgbRed * 256);
            map[colors + i] = static_cast<uint16_t>(c.rgbGreen * 256);
            map[2 * colors + i] = static_cast<uint16_t>(c.rgbBlue * 256);
        }
        d.Extra(TAG_COLOR_MAP, TYPE_SHORT, 3 * colors, map.data());
    }
    return d.Write();
}

int WriteTiffFile(const DibForSaving& dib, const TiffWriteOptions& options)
{
    const uint16_t photometric = PhotometricOf(dib);
    const TiffHeader header{{'I', 'I'}, TIFF_MAGIC, 0};
    if (!WriteBytes(&header, sizeof header)) return CONV_ERR_WRITE;
    const uint32_t rowBytes = DibRowBytes(dib.Width(), dib.Bits());
    const uint32_t wanted = uint32_t(options.stripKilobytes > 0 ? options.stripKilobytes : 1) * 1024 / rowBytes;
    g_write.rowsPerStrip = wanted ? wanted : 1;
    g_write.strips = (uint32_t(dib.Height()) + g_write.rowsPerStrip - 1) / g_write.rowsPerStrip;
    std::unique_ptr<uint32_t[]> offsets(new (std::nothrow) uint32_t[g_write.strips]);
    std::unique_ptr<uint32_t[]> counts(new (std::nothrow) uint32_t[g_write.strips]);
    if (!offsets || !counts) return CONV_ERR_MEMORY;
    g_write.stripOffsets = offsets.get();
    g_write.stripByteCounts = counts.get();
    int written = 0;
    switch (dib.Bits()) {
    case 1: written = WriteTiffStrips1(dib); break;
    case 4: written = WriteTiffStrips4(dib); break;
    case 8: written = WriteTiffStrips8(dib); break;
    case 24: written = WriteTiffStrips24(dib); break;
    }
    if (!written) return CONV_ERR_WRITE;
    if (g_write.position & 1) {
        const BYTE pad = 0;
        if (!WriteBytes(&pad, 1)) return CONV_ERR_WRITE;
    }
    const uint32_t directory = g_write.position;
    if (!WriteDirectory(dib, photometric)) return CONV_ERR_WRITE;
    if (_llseek(g_write.file, 4, FILE_BEGIN) != 4 || !WriteExact(g_write.file, &directory, sizeof directory))
        return CONV_ERR_WRITE;
    return CONV_OK;
}

}  // namespace

int DecodeTiffStrips1(void* dib) { return DecodeStrips(dib, 1); }
int DecodeTiffStrips4(void* dib) { return DecodeStrips(dib, 4); }
int DecodeTiffStrips8(void* dib) { return DecodeStrips(dib, 8); }
int DecodeTiffStrips24(void* dib) { return DecodeStrips(dib, 24); }
int WriteTiffStrips1(const DibForSaving& dib) { return WriteStrips(dib); }
int WriteTiffStrips4(const DibForSaving& dib) { return WriteStrips(dib); }
int WriteTiffStrips8(const DibForSaving& dib) { return WriteStrips(dib); }
int WriteTiffStrips24(const DibForSaving& dib) { return WriteStrips(dib); }

int PackBitsDecode(const BYTE* source, BYTE* destination, uint32_t sourceBytes, uint32_t destinationBytes)
{
    uint32_t in = 0, out = 0;
    while (in < sourceBytes) {
        const int n = static_cast<signed char>(source[in++]);
        if (n >= 0) {
            uint32_t count = uint32_t(n) + 1;
            if (count > sourceBytes - in) count = sourceBytes - in;
            const uint32_t kept = count < destinationBytes - out ? count : destinationBytes - out;
            memcpy(destination + out, source + in, kept);
            out += kept;
            in += count;
        } else if (n != -128) {
            if (in >= sourceBytes) break;
            const BYTE value = source[in++];
            const uint32_t count = uint32_t(1 - n);
            const uint32_t kept = count < destinationBytes - out ? count : destinationBytes - out;
            memset(destination + out, value, kept);
            out += kept;
        }
    }
    return 1;
}

uint32_t PackBitsEncode(const BYTE* source, BYTE* destination, uint32_t count, uint32_t rows,
                        uint32_t destinationBytes)
{
    const uint32_t rowBytes = rows ? count / rows : count;
    uint32_t out = 0;
    bool overflow = false;
    auto put = [&](BYTE b) {
        if (out < destinationBytes) destination[out++] = b;
        else overflow = true;
    };
    for (uint32_t r = 0; r < (rows ? rows : 1); ++r) {
        const BYTE* row = source + size_t(r) * rowBytes;
        uint32_t literalStart = 0;
        uint32_t i = 0;
        auto flushLiteral = [&](uint32_t end) {
            while (literalStart < end) {
                const uint32_t n = end - literalStart < 128 ? end - literalStart : 128;
                put(static_cast<BYTE>(n - 1));
                for (uint32_t k = 0; k < n; ++k) put(row[literalStart + k]);
                literalStart += n;
            }
        };
        while (i < rowBytes) {
            if (i + 1 < rowBytes && row[i] == row[i + 1]) {
                flushLiteral(i);
                uint32_t run = 2;
                while (i + run < rowBytes && run < 128 && row[i + run] == row[i]) ++run;
                put(static_cast<BYTE>(1 - int(run)));
                put(row[i]);
                i += run;
                literalStart = i;
            } else {
                ++i;
            }
        }
        flushLiteral(rowBytes);
    }
    return overflow ? 0 : out;
}

bool IsTiffFile(HFILE file)
{
    BYTE b[8];
    _llseek(file, 0, FILE_BEGIN);
    const bool read = ReadExact(file, b, sizeof b);
    _llseek(file, 0, FILE_BEGIN);
    return read && ((b[0] == 'I' && b[1] == 'I' && b[2] == TIFF_MAGIC && b[3] == 0) ||
                    (b[0] == 'M' && b[1] == 'M' && b[2] == 0 && b[3] == TIFF_MAGIC));
}

int LoadTiff(const char* path, ConvImage* image)
{
    FileHandle file(OpenForReading(path));
    if (!file.IsOpen()) return CONV_ERR_READ;
    const long length = FileLength(file.Get());
    if (length < 0) return CONV_ERR_READ;
    ScratchBytes data = AllocScratch(uint64_t(length));
    if (!data) return CONV_ERR_MEMORY;
    if (!ReadExact(file.Get(), data.get(), static_cast<uint32_t>(length))) return CONV_ERR_READ;
    file.Close();
    if (length < long(sizeof(TiffHeader))) return CONV_ERR_UNSUPPORTED;
    const BYTE* d = data.get();
    const bool little = d[0] == 'I' && d[1] == 'I';
    const bool big = d[0] == 'M' && d[1] == 'M';
    const TiffBytes bytes(d, size_t(length), big);
    if ((!little && !big) || bytes.U16(2) != TIFF_MAGIC) return CONV_ERR_UNSUPPORTED;
    HGLOBAL dib = nullptr;
    const int result = ReadTiffImage(bytes, &dib);
    if (result == CONV_OK) image->dib = dib;
    return result;
}

int GetTiffPreview(const char* path, ConvImage* image)
{
    image->dib = nullptr;
    image->bitsOffset = 0;
    return LoadTiff(path, image);
}

int SaveTiff(const char* path, HGLOBAL dib, const TiffWriteOptions& options)
{
    DibForSaving view(dib);
    if (!view.IsLocked()) return CONV_ERR_MEMORY;
    const int bits = view.Bits();
    if (!view.IsValid() || !view.IsUncompressed() || bits != options.bitsPerPixel ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 24))
        return CONV_ERR_UNSUPPORTED;
    FileHandle file(_lcreat(path, 0));
    if (!file.IsOpen()) return CONV_ERR_WRITE;
    g_write = {file.Get(), options, 0, 0, nullptr, nullptr, 0};
    const int result = WriteTiffFile(view, options);
    g_write = {};
    return result;
}

int LoadTiffImage(const ConvLoadCall& call) { return LoadTiff(call.path, call.image); }

int SaveTiffImage(const ConvSaveCall& call)
{
    // The options of every save: the DIB's own depth, LZW, strips of 8 kilobytes.
    TiffWriteOptions options{0, TIFF_COMPRESSION_LZW, 8};
    {
        GlobalLockGuard<BITMAPINFOHEADER> header(call.dib);
        if (header) options.bitsPerPixel = header.get()->biBitCount;
    }
    return SaveTiff(call.path, call.dib, options);
}

int PreviewTiffImage(const char* path, ConvImage* image) { return GetTiffPreview(path, image); }
