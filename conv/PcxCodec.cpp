// PCX reader and writer: the 128-byte header, plane lines (one plane for 1
// and 8 bits, four 1-bit planes for 16 colours, red, green and blue planes
// for 24 bits), per-line run-length code and the 256-colour block at the end.
#include "PcxCodec.h"
#include "CodecSupport.h"
#include "ConvLibrary.h"
#include "FileIo.h"
#include <cstring>

namespace {

constexpr uint32_t HEADER_BYTES = sizeof(PcxHeader);
constexpr int RUN_LIMIT = 63;
constexpr BYTE RUN_FLAGS = 0xC0;
constexpr uint16_t WRITTEN_RESOLUTION_X = 640;
constexpr uint16_t WRITTEN_RESOLUTION_Y = 480;
constexpr LONG PIXELS_PER_METRE = 2953;
// The reader's scratch buffer holds this many lines beyond the picture: old
// writers code a few rows more than the picture has.
constexpr int SPARE_LINES = 15;
// The writer rounds the line count up to a multiple of this.
constexpr int LINE_ROUNDING = 8;

// The colours of version-3 files, which carry none of their own (red, green, blue).
constexpr BYTE kFixedColors[16][3] = {
    {0, 0, 0},       {0, 0, 128},   {0, 128, 0},   {0, 128, 128}, {128, 0, 0},     {128, 0, 128},
    {128, 128, 0},   {128, 128, 128}, {192, 192, 192}, {0, 0, 255}, {0, 255, 0},   {0, 255, 255},
    {255, 0, 0},     {255, 0, 255}, {255, 255, 0}, {255, 255, 255},
};

RGBQUAD FromTriplet(const BYTE* rgb) { return RGBQUAD{rgb[2], rgb[1], rgb[0], 0}; }

// ---- reading ----------------------------------------------------------------------------

// The shape of the plane lines of one file.
struct PcxLines {
    int width;
    int height;
    int depth;
    int planes;
    uint32_t usedBytes;  // bytes of one plane line that hold pixels
    uint32_t step;       // bytes from one plane line to the next
};

// Bytes of a plane line that hold the pixels of `width` at this depth.
uint32_t UsedPlaneBytes(int width, int depth)
{
    return depth == 8 || depth == 24 ? uint32_t(width) : (uint32_t(width) + 7) / 8;
}

int FillColorTable(const PcxHeader& header, HFILE file, long fileLength, int depth, RGBQUAD* table)
{
    if (depth == 8) {
        BYTE block[PCX_PALETTE_BLOCK_BYTES];
        if (_llseek(file, fileLength - static_cast<LONG>(PCX_PALETTE_BLOCK_BYTES), FILE_BEGIN) == HFILE_ERROR ||
            !ReadExact(file, block, sizeof block))
            return CONV_ERR_READ;
        if (block[0] != PCX_PALETTE_MARK) return CONV_ERR_UNSUPPORTED;
        for (int i = 0; i < 256; ++i) table[i] = FromTriplet(block + 1 + 3 * i);
    } else if (depth <= 4) {
        for (int i = 0; i < (1 << depth); ++i) table[i] = FromTriplet(header.colorMap + 3 * i);
        // Many writers leave the map of a two-colour file empty and mean black
        // and white: two equal colours would show nothing at all.
        if (depth == 1 && memcmp(&table[0], &table[1], sizeof table[0]) == 0) table[1] = {255, 255, 255, 0};
    }
    if (header.version == PCX_VERSION_FIXED_COLORS && depth <= 8) {
        const int count = depth == 1 ? 2 : 16;
        for (int i = 0; i < count; ++i) table[i] = FromTriplet(kFixedColors[i]);
    }
    return CONV_OK;
}

bool PlanesMatchDepth(int depth, int planes)
{
    switch (depth) {
    case 1: return planes == 1;
    case 4: return planes == 4;
    case 8: return planes == 1;
    case 24: return planes == 3;
    }
    return false;
}

// Places the plane lines, the top line in the last DIB row.
void PlaceLines(const PcxLines& lines, const BYTE* data, BYTE* bits)
{
    const uint32_t stride = DibStride(lines.width, lines.depth);
    for (int y = 0; y < lines.height; ++y) {
        BYTE* row = bits + size_t(stride) * (lines.height - 1 - y);
        const BYTE* plane = data + size_t(y) * lines.planes * lines.step;
        switch (lines.depth) {
        case 1:
        case 8:
            memcpy(row, plane, lines.usedBytes);
            break;
        case 4:
            for (int x = 0; x < lines.width; ++x) {
                int value = 0;
                for (int k = 0; k < 4; ++k)
                    if (plane[k * lines.step + x / 8] & (0x80 >> (x & 7))) value |= 1 << k;
                DibPutPixel(row, x, 4, value);
            }
            break;
        case 24:
            for (int x = 0; x < lines.width; ++x) {
                row[3 * x + 2] = plane[x];
                row[3 * x + 1] = plane[lines.step + x];
                row[3 * x] = plane[2 * lines.step + x];
            }
            break;
        }
    }
}

int ReadPcxFile(HFILE file, HGLOBAL* result)
{
    PcxHeader header;
    if (!ReadExact(file, &header, sizeof header)) return CONV_ERR_READ;
    if (header.manufacturer != PCX_MANUFACTURER && header.manufacturer != PCX_MANUFACTURER_UNPADDED)
        return CONV_ERR_UNSUPPORTED;
    const bool unpadded = header.manufacturer == PCX_MANUFACTURER_UNPADDED;
    const int depth = header.planes * header.bitsPerPixel;
    const long fileLength = FileLength(file);
    // The 256-colour block at the end is no part of the pixel data.
    const long dataBytes = fileLength - long(HEADER_BYTES) - (depth == 8 ? long(PCX_PALETTE_BLOCK_BYTES) : 0);
    if (fileLength < 0 || dataBytes < 0) return CONV_ERR_READ;
    ScratchBytes data = AllocScratch(uint64_t(dataBytes));
    if (!data) return CONV_ERR_MEMORY;
    if (!ReadExact(file, data.get(), static_cast<uint32_t>(dataBytes))) return CONV_ERR_READ;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 24) return CONV_ERR_UNSUPPORTED;

    PcxLines lines{};
    lines.width = int(header.xMax) - int(header.xMin) + 1;
    lines.height = int(header.yMax) - int(header.yMin) + 1;
    lines.depth = depth;
    lines.planes = header.planes;
    if (lines.width < 1 || lines.height < 1) return CONV_ERR_READ;
    if (!IsImageSizeAllowed(lines.width, lines.height, depth)) return CONV_ERR_MEMORY;
    lines.usedBytes = UsedPlaneBytes(lines.width, depth);
    lines.step = unpadded ? lines.usedBytes : header.bytesPerLine;
    // A line shorter than its pixels would run into the next plane's.
    if (lines.step < lines.usedBytes) return CONV_ERR_READ;

    RGBQUAD table[256] = {};
    const int colors = depth == 24 ? 0 : 1 << depth;
    const int tableResult = FillColorTable(header, file, fileLength, depth, table);
    if (tableResult != CONV_OK) return tableResult;
    if (!PlanesMatchDepth(depth, lines.planes)) return CONV_ERR_COMPRESSION;

    const uint64_t needed = uint64_t(lines.step) * lines.planes * lines.height;
    const BYTE* lineData = data.get();
    ScratchBytes expanded;
    if (header.encoding != 0) {
        const uint64_t room = uint64_t(lines.step) * lines.planes * (uint64_t(lines.height) + SPARE_LINES);
        if (room > MAX_IMAGE_BYTES) return CONV_ERR_MEMORY;
        expanded = AllocScratch(room);
        if (!expanded) return CONV_ERR_MEMORY;
        // A stream that ends early leaves the remaining lines at 0.
        PcxExpand(data.get(), size_t(dataBytes), expanded.get(), size_t(room));
        lineData = expanded.get();
    } else if (uint64_t(dataBytes) < needed) {
        return CONV_ERR_READ;
    }

    GlobalBlock dib(CreateImageDib(lines.width, lines.height, depth, table, colors));
    if (!dib) return CONV_ERR_MEMORY;
    {
        GlobalLockGuard<BYTE> p(dib.Get());
        BITMAPINFOHEADER* h = DibHeader(p.get());
        h->biXPelsPerMeter = h->biYPelsPerMeter = PIXELS_PER_METRE;
        h->biClrImportant = depth == 24 ? 0 : depth == 8 ? 256 : 1u << depth;
        PlaceLines(lines, lineData, DibBits(p.get()));
    }
    *result = dib.Release();
    return CONV_OK;
}

// ---- writing ---------------------------------------------------------------------------

uint32_t WrittenBytesPerLine(int width, int depth)
{
    return depth <= 4 ? 2 * ((uint32_t(width) + 15) / 16) : 2 * ((uint32_t(width) + 1) / 2);
}

PcxHeader MakeHeader(const DibForSaving& dib, const PcxWriteOptions& options)
{
    const int depth = dib.Bits();
    PcxHeader h{};
    h.manufacturer = PCX_MANUFACTURER;
    h.version = options.version;
    h.encoding = options.encoding ? 1 : 0;
    h.bitsPerPixel = depth <= 4 ? 1 : 8;
    h.xMax = static_cast<uint16_t>(dib.Width() - 1);
    h.yMax = static_cast<uint16_t>(dib.Height() - 1);
    h.horizontalResolution = WRITTEN_RESOLUTION_X;
    h.verticalResolution = WRITTEN_RESOLUTION_Y;
    if (depth <= 4) {
        for (int i = 0; i < (1 << depth); ++i) {
            const RGBQUAD c = dib.Color(i);
            h.colorMap[3 * i] = c.rgbRed;
            h.colorMap[3 * i + 1] = c.rgbGreen;
            h.colorMap[3 * i + 2] = c.rgbBlue;
        }
    }
    h.planes = depth == 4 ? 4 : depth == 24 ? 3 : 1;
    h.bytesPerLine = static_cast<uint16_t>(WrittenBytesPerLine(dib.Width(), depth));
    h.paletteType = 1;
    return h;
}

// One picture row as plane lines of bytesPerLine bytes each (padding stays 0).
void MakePlaneLines(const DibForSaving& dib, int y, uint32_t bytesPerLine, BYTE* out)
{
    const BYTE* row = dib.RowFromTop(y);
    const int width = dib.Width();
    switch (dib.Bits()) {
    case 1:
    case 8:
        // The padding after the pixels stays 0.
        memcpy(out, row, DibRowBytes(width, dib.Bits()));
        break;
    case 4:
        for (int x = 0; x < width; ++x) {
            const int value = DibPixelAt(row, x, 4);
            for (int k = 0; k < 4; ++k)
                if (value & (1 << k)) out[k * bytesPerLine + x / 8] |= static_cast<BYTE>(0x80 >> (x & 7));
        }
        break;
    case 24:
        for (int x = 0; x < width; ++x) {
            out[x] = row[3 * x + 2];
            out[bytesPerLine + x] = row[3 * x + 1];
            out[2 * bytesPerLine + x] = row[3 * x];
        }
        break;
    }
}

// Colours of the 256-colour block: the DIB's table, then black.
bool WritePaletteBlock(HFILE file, const DibForSaving& dib)
{
    BYTE block[PCX_PALETTE_BLOCK_BYTES] = {PCX_PALETTE_MARK};
    for (int i = 0; i < dib.ColorCount() && i < 256; ++i) {
        const RGBQUAD c = dib.Color(i);
        block[1 + 3 * i] = c.rgbRed;
        block[2 + 3 * i] = c.rgbGreen;
        block[3 + 3 * i] = c.rgbBlue;
    }
    return WriteExact(file, block, sizeof block);
}

int WritePcxFile(HFILE file, const DibForSaving& dib, const PcxWriteOptions& options)
{
    const int depth = dib.Bits();
    const PcxHeader header = MakeHeader(dib, options);
    if (!WriteExact(file, &header, sizeof header)) return CONV_ERR_WRITE;
    const uint32_t lineBytes = uint32_t(header.bytesPerLine) * header.planes;
    const int lineCount = (dib.Height() + LINE_ROUNDING - 1) / LINE_ROUNDING * LINE_ROUNDING;
    const uint64_t total = uint64_t(lineBytes) * lineCount;
    ScratchBytes lines = AllocScratch(total);
    if (!lines) return CONV_ERR_MEMORY;
    const int conversionShare = options.encoding ? 50 : 100;
    for (int y = 0; y < dib.Height(); ++y) {
        StepConvProgress(y * conversionShare / dib.Height());
        MakePlaneLines(dib, y, header.bytesPerLine, lines.get() + size_t(lineBytes) * y);
    }
    if (!options.encoding) {
        if (!WriteExact(file, lines.get(), static_cast<uint32_t>(total))) return CONV_ERR_WRITE;
    } else {
        ScratchBytes coded = AllocScratch(2 * total);
        if (!coded) return CONV_ERR_MEMORY;
        size_t codedBytes = 0;
        for (int y = 0; y < lineCount; ++y) {
            StepConvProgress(50 + y * 50 / lineCount);
            codedBytes += PcxEncodeLine(lines.get() + size_t(lineBytes) * y, lineBytes, coded.get() + codedBytes);
        }
        if (!WriteExact(file, coded.get(), static_cast<uint32_t>(codedBytes))) return CONV_ERR_WRITE;
    }
    StepConvProgress(100);
    if (depth == 8 && !WritePaletteBlock(file, dib)) return CONV_ERR_WRITE;
    return CONV_OK;
}

}  // namespace

size_t PcxEncodeLine(const BYTE* line, size_t count, BYTE* out)
{
    size_t written = 0;
    for (size_t i = 0; i < count;) {
        const BYTE value = line[i];
        size_t run = 1;
        while (i + run < count && run < RUN_LIMIT && line[i + run] == value) ++run;
        if (run > 1 || value >= RUN_FLAGS) out[written++] = static_cast<BYTE>(RUN_FLAGS | run);
        out[written++] = value;
        i += run;
    }
    return written;
}

size_t PcxExpand(const BYTE* data, size_t size, BYTE* out, size_t room)
{
    size_t produced = 0;
    for (size_t i = 0; i < size && produced < room;) {
        const BYTE b = data[i++];
        if ((b & RUN_FLAGS) != RUN_FLAGS) {
            out[produced++] = b;
            continue;
        }
        if (i >= size) break;
        const BYTE value = data[i++];
        size_t count = b & RUN_LIMIT;
        if (count > room - produced) count = room - produced;
        memset(out + produced, value, count);
        produced += count;
    }
    return produced;
}

int ReadPcx(const char* path, ConvImage* image)
{
    FileHandle file(OpenForReading(path));
    if (!file.IsOpen()) return CONV_ERR_NOT_FOUND;
    HGLOBAL dib = nullptr;
    const int result = ReadPcxFile(file.Get(), &dib);
    if (result == CONV_OK) image->dib = dib;
    return result;
}

int WritePcx(const char* path, HGLOBAL dib, const PcxWriteOptions& options)
{
    FileHandle file(_lcreat(path, 0));
    if (!file.IsOpen()) return CONV_ERR_CREATE;
    DibForSaving view(dib);
    if (!view.IsLocked()) return CONV_ERR_MEMORY;
    const int depth = static_cast<int>(options.bitsPerPixel);
    if ((depth != 1 && depth != 4 && depth != 8 && depth != 24) || !view.IsValid() || !view.IsUncompressed() ||
        view.Bits() != depth)
        return CONV_ERR_UNSUPPORTED;
    return WritePcxFile(file.Get(), view, options);
}

int LoadPcxImage(const ConvLoadCall& call) { return ReadPcx(call.path, call.image); }

int SavePcxImage(const ConvSaveCall& call)
{
    // The options of every save: version 5, coded lines, the DIB's own depth.
    PcxWriteOptions options{5, 0, 1};
    {
        GlobalLockGuard<BITMAPINFOHEADER> header(call.dib);
        if (header) options.bitsPerPixel = header.get()->biBitCount;
    }
    return WritePcx(call.path, call.dib, options);
}

int PreviewPcxImage(const char* path, ConvImage* image) { return ReadPcx(path, image); }
