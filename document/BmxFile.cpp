// Frame-sequence file writer and reader.
#include "BmxFile.h"
#include "FileIo.h"
#include "PackedDib.h"
#include "ResultCodes.h"
#include "RowCodes.h"
#include <cstring>
#include <cstdio>
#include <memory>

int CompressionChoiceForDepth(uint32_t setting, int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 1: return setting & 3;
    case 4: return (setting >> 4) & 3;
    case 8: return (setting >> 8) & 3;
    default: return BMX_RAW;  // deeper frames are always stored raw
    }
}

void MakeBmxFrameName(const char* storedName, int index, char out[13])
{
    const char* bare = storedName ? storedName : "";
    for (const char* p = bare; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') bare = p + 1;
    char name[MAX_PATH];
    lstrcpynA(name, bare, MAX_PATH);
    if (strlen(name) > BMX_FRAME_NAME_CHARS) {
        if (char* dot = strrchr(name, '.')) *dot = '\0';
        while (strlen(name) > BMX_FRAME_NAME_CHARS) {
            char* blank = strrchr(name, ' ');
            if (!blank) break;
            *blank = '\0';
        }
    }
    if (!name[0]) snprintf(name, sizeof name, "Frame%d.bmp", index);
    lstrcpynA(out, name, BMX_FRAME_NAME_CHARS + 1);
}

// The system's own run-length retrieval: the rows go into a section bitmap and
// come back through GetDIBits in BI_RLE8 / BI_RLE4. Fails where the system
// cannot produce run-length output.
static bool RetrieveSystemRle(BYTE* bits, BITMAPINFOHEADER* h, const RGBQUAD* colors)
{
    const uint32_t frameBytes = DibStride(h->biWidth, h->biBitCount) * h->biHeight;
    struct { BITMAPINFOHEADER header; RGBQUAD colors[256]; } info{};
    info.header = *h;
    info.header.biCompression = BI_RGB;
    const int entries = DibColorEntries(*h);
    if (entries > 0 && colors) memcpy(info.colors, colors, entries * sizeof(RGBQUAD));
    HDC screen = GetDC(nullptr);
    void* sectionBits = nullptr;
    HBITMAP section = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                       &sectionBits, nullptr, 0);
    bool ok = false;
    if (section && sectionBits) {
        memcpy(sectionBits, bits, frameBytes);
        GdiFlush();
        std::unique_ptr<BYTE[]> coded(new (std::nothrow) BYTE[frameBytes * 2 + 1024]);
        info.header.biCompression = h->biBitCount == 8 ? BI_RLE8 : BI_RLE4;
        info.header.biSizeImage = frameBytes * 2 + 1024;
        if (coded && GetDIBits(screen, section, 0, h->biHeight, coded.get(),
                               reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) > 0 &&
            info.header.biCompression == (h->biBitCount == 8 ? BI_RLE8 : BI_RLE4) &&
            info.header.biSizeImage > 0 && info.header.biSizeImage < frameBytes) {
            memcpy(bits, coded.get(), info.header.biSizeImage);
            h->biCompression = info.header.biCompression;
            h->biSizeImage = info.header.biSizeImage;
            ok = true;
        }
    }
    if (section) DeleteObject(section);
    ReleaseDC(nullptr, screen);
    return ok;
}

static int EncodeFrameRowsWithColors(BYTE* bits, BITMAPINFOHEADER* h, int choice, const RGBQUAD* colors)
{
    h->biCompression = BI_RGB;
    h->biSizeImage = DibStride(h->biWidth, h->biBitCount) * h->biHeight;
    const int bpp = h->biBitCount;
    if (bpp > 8 || choice == BMX_RAW || (choice == BMX_SYSTEM_RLE && bpp == 1)) return 1;
    if (choice == BMX_OWN_CODE || bpp == 1) return EncodeRunLengthRows(h, bits);
    // Choice 1 asks the system for its run-length form; where the system
    // refuses, the own encoder of the same form stands in.
    if (choice == BMX_SYSTEM_RLE && RetrieveSystemRle(bits, h, colors)) return 1;
    return bpp == 8 ? EncodeRle8Rows(h, bits) : EncodeRle4Rows(h, bits);
}

int EncodeFrameRows(BYTE* bits, BITMAPINFOHEADER* header, int choice)
{
    return EncodeFrameRowsWithColors(bits, header, choice, nullptr);
}

static bool IsValidFormat(const BmxFormat& f)
{
    if (f.width < MIN_FRAME_SIZE || f.width > MAX_FRAME_SIZE || f.height < MIN_FRAME_SIZE ||
        f.height > MAX_FRAME_SIZE || !IsValidBitCount(f.bitsPerPixel))
        return false;
    if (f.bitsPerPixel > 8) return f.colorTableEntries == 0;
    return f.colorTableEntries > 0 && f.colorTableEntries <= (1 << f.bitsPerPixel);
}

int WriteBmxFile(const char* path, const BmxFormat& format, int frameCount, uint8_t transparentColorCode,
                 uint32_t compressionSetting, const BmxFrameSource& source)
{
    if (!IsValidFormat(format) || frameCount < 0 || frameCount > 255) return RESULT_WRITE_ERROR;
    const uint32_t stride = DibStride(format.width, format.bitsPerPixel);
    const uint32_t frameBytes = stride * format.height;
    const uint32_t tableBytes = format.colorTableEntries * sizeof(RGBQUAD);
    const uint32_t directoryBytes = frameCount * sizeof(BmxFrameEntry);
    const int choice = CompressionChoiceForDepth(compressionSetting, format.bitsPerPixel);

    std::unique_ptr<BYTE[]> buffer(
        new (std::nothrow) BYTE[sizeof(BITMAPINFOHEADER) + tableBytes + directoryBytes + frameBytes + 4]);
    if (!buffer) return RESULT_OUT_OF_MEMORY;
    auto* info = reinterpret_cast<BITMAPINFOHEADER*>(buffer.get());
    auto* colors = reinterpret_cast<RGBQUAD*>(buffer.get() + sizeof(BITMAPINFOHEADER));
    auto* directory = reinterpret_cast<BmxFrameEntry*>(buffer.get() + sizeof(BITMAPINFOHEADER) + tableBytes);
    BYTE* bits = buffer.get() + sizeof(BITMAPINFOHEADER) + tableBytes + directoryBytes;

    BmxFileHeader header{BMX_MAGIC, static_cast<uint32_t>(sizeof(BITMAPINFOHEADER) + tableBytes + directoryBytes + frameBytes),
                         static_cast<uint16_t>(frameCount), static_cast<uint8_t>(format.bitsPerPixel),
                         transparentColorCode,
                         static_cast<uint32_t>(sizeof(BmxFileHeader) + sizeof(BITMAPINFOHEADER) + tableBytes + directoryBytes)};
    memset(info, 0, sizeof *info);
    info->biSize = sizeof(BITMAPINFOHEADER);
    info->biWidth = format.width;
    info->biHeight = format.height;
    info->biPlanes = 1;
    info->biBitCount = static_cast<WORD>(format.bitsPerPixel);
    info->biClrUsed = format.colorTableEntries;
    memcpy(colors, format.colors, tableBytes);
    memset(directory, 0, directoryBytes);

    SafeFileWriter writer(path);
    HFILE file = writer.Create();
    if (file == HFILE_ERROR) return RESULT_CREATE_ERROR;
    if (!WriteExact(file, &header, sizeof header)) return RESULT_WRITE_ERROR;

    for (int i = 0; i < frameCount; ++i) {
        BITMAPINFOHEADER frameHeader = *info;
        if (!source.getFrameRows(source.context, i, bits)) return RESULT_WRITE_ERROR;
        if (!EncodeFrameRowsWithColors(bits, &frameHeader, choice, colors)) {
            // The code gave up with the rows partly overwritten: fetch them again.
            if (!source.getFrameRows(source.context, i, bits)) return RESULT_WRITE_ERROR;
            frameHeader.biCompression = BI_RGB;
            frameHeader.biSizeImage = frameBytes;
        }
        BmxFrameEntry& entry = directory[i];
        entry.dataSize = frameHeader.biSizeImage ? frameHeader.biSizeImage : frameBytes;
        const char* name = nullptr;
        source.getFrameInfo(source.context, i, &name, &entry.offsetX, &entry.offsetY);
        MakeBmxFrameName(name, i, entry.name);
        entry.compression = static_cast<uint8_t>(frameHeader.biCompression);
        if (i == 0) {
            // The info header carries frame 0's compression and stored size.
            info->biCompression = frameHeader.biCompression;
            info->biSizeImage = frameHeader.biSizeImage;
            if (!WriteExact(file, info, sizeof(BITMAPINFOHEADER) + tableBytes + directoryBytes))
                return RESULT_WRITE_ERROR;
        }
        if (!WriteExact(file, bits, entry.dataSize)) return RESULT_WRITE_ERROR;
    }
    if (frameCount == 0 && !WriteExact(file, info, sizeof(BITMAPINFOHEADER) + tableBytes))
        return RESULT_WRITE_ERROR;
    if (frameCount > 0) {
        if (_llseek(file, sizeof(BmxFileHeader) + sizeof(BITMAPINFOHEADER) + tableBytes, FILE_BEGIN) == HFILE_ERROR ||
            !WriteExact(file, directory, directoryBytes))
            return RESULT_WRITE_ERROR;
    }
    return writer.Commit() ? RESULT_OK : RESULT_WRITE_ERROR;
}

// ---- reading ----

namespace {

bool HasNul(const char (&name)[13]) { return memchr(name, 0, sizeof name) != nullptr; }

struct BmxLayout {
    BITMAPINFOHEADER info;
    BmxFormat format;
    uint32_t frameBytes;
    std::vector<BmxFrameEntry> directory;
};

// Reads and checks the info header, colour table and directory.
int ReadBmxLayout(ByteSource& file, const BmxFileHeader& header, BmxLayout* layout)
{
    const long fileLength = file.Length();
    BITMAPINFOHEADER& info = layout->info;
    if (!file.Read(&info, sizeof info)) return RESULT_READ_ERROR;
    if (!IsSaneFrameHeader(info) || info.biBitCount != header.bitsPerPixel) return RESULT_READ_ERROR;
    const int entries = DibColorEntries(info);
    const uint64_t tableBytes = entries * sizeof(RGBQUAD);
    const uint64_t directoryBytes = uint64_t(header.frameCount) * sizeof(BmxFrameEntry);
    const uint64_t headerBytes = sizeof(BmxFileHeader) + sizeof info + tableBytes + directoryBytes;
    if (fileLength < 0 || headerBytes > static_cast<uint64_t>(fileLength)) return RESULT_READ_ERROR;
    layout->frameBytes = DibStride(info.biWidth, info.biBitCount) * info.biHeight;
    if (header.bufferSize < sizeof info + tableBytes + directoryBytes + layout->frameBytes)
        return RESULT_READ_ERROR;

    BmxFormat& f = layout->format;
    memset(&f, 0, sizeof f);
    f.width = info.biWidth;
    f.height = info.biHeight;
    f.bitsPerPixel = info.biBitCount;
    f.colorTableEntries = entries;
    if (!file.Read(f.colors, static_cast<uint32_t>(tableBytes))) return RESULT_READ_ERROR;
    layout->directory.resize(header.frameCount);
    if (!file.Read(layout->directory.data(), static_cast<uint32_t>(directoryBytes))) return RESULT_READ_ERROR;
    if (header.bitsOffset < headerBytes || header.bitsOffset > static_cast<uint64_t>(fileLength))
        return RESULT_READ_ERROR;
    if (!file.Seek(header.bitsOffset)) return RESULT_READ_ERROR;
    return RESULT_OK;
}

// Reads one frame's stored bits into `bits` (capacity frameBytes + 4) and
// expands them to raw rows, using `scratch` (frameBytes) for the DIB forms.
int ReadFrameBits(ByteSource& file, const BmxLayout& layout, const BmxFrameEntry& entry, BYTE* bits, BYTE* scratch)
{
    const uint32_t capacity = layout.frameBytes + 4;
    if (!HasNul(entry.name)) return RESULT_READ_ERROR;
    if (entry.dataSize > capacity) return RESULT_READ_ERROR;
    if (!file.Read(bits, entry.dataSize)) return RESULT_READ_ERROR;
    BITMAPINFOHEADER h = layout.info;
    h.biSizeImage = entry.dataSize;
    switch (entry.compression) {
    case BI_RGB:
        return entry.dataSize >= layout.frameBytes ? RESULT_OK : RESULT_READ_ERROR;
    case BI_BMX_RUNLENGTH:
        return DecodeRunLengthRows(bits, capacity, &h) ? RESULT_OK : RESULT_READ_ERROR;
    case BI_RLE8:
    case BI_RLE4:
        if (h.biBitCount != (entry.compression == BI_RLE8 ? 8 : 4)) return RESULT_READ_ERROR;
        h.biCompression = entry.compression;
        if (!DecodeDibRle(bits, entry.dataSize, h, scratch)) return RESULT_READ_ERROR;
        memcpy(bits, scratch, layout.frameBytes);
        return RESULT_OK;
    default:
        return RESULT_READ_ERROR;
    }
}

}  // namespace

int ReadBmxBody(HFILE file, const BmxFileHeader& header, const BmxFrameSink& sink)
{
    ByteSource source(file);
    return ReadBmxBody(source, header, sink);
}

int ReadBmxBody(ByteSource& file, const BmxFileHeader& header, const BmxFrameSink& sink)
{
    if (header.magic != BMX_MAGIC || !IsValidBitCount(header.bitsPerPixel)) return RESULT_UNKNOWN_FORMAT;
    BmxLayout layout;
    int result = ReadBmxLayout(file, header, &layout);
    if (result != RESULT_OK) return result;
    if (!sink.begin(sink.context, header, layout.format)) return 0;
    std::unique_ptr<BYTE[]> bits(new (std::nothrow) BYTE[layout.frameBytes + 4]);
    std::unique_ptr<BYTE[]> scratch(new (std::nothrow) BYTE[layout.frameBytes]);
    if (!bits || !scratch) return RESULT_OUT_OF_MEMORY;
    const int frames = header.frameCount < BMX_MAX_FRAMES ? header.frameCount : BMX_MAX_FRAMES;
    for (int i = 0; i < frames; ++i) {
        result = ReadFrameBits(file, layout, layout.directory[i], bits.get(), scratch.get());
        if (result != RESULT_OK) return result;
        if (!sink.frame(sink.context, i, layout.directory[i], bits.get())) return 0;
    }
    return RESULT_OK;
}

// ---- single images ----

namespace {

// Reads the first frame of an open "BX" file (header already read).
int ReadFirstBmxFrame(ByteSource& file, const BmxFileHeader& header, uint32_t* bitsOffset, HGLOBAL* block)
{
    BmxLayout layout;
    int result = ReadBmxLayout(file, header, &layout);
    if (result != RESULT_OK) return result;
    if (header.frameCount == 0) return RESULT_READ_ERROR;
    const uint32_t tableBytes = layout.format.colorTableEntries * sizeof(RGBQUAD);
    const uint32_t directoryBytes = header.frameCount * sizeof(BmxFrameEntry);
    const uint32_t offset = sizeof(BITMAPINFOHEADER) + tableBytes + directoryBytes;
    GlobalBlock out(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, offset + layout.frameBytes + 4));
    std::unique_ptr<BYTE[]> scratch(new (std::nothrow) BYTE[layout.frameBytes]);
    if (!out || !scratch) return RESULT_OUT_OF_MEMORY;
    {
        GlobalLockGuard<BYTE> p(out.Get());
        result = ReadFrameBits(file, layout, layout.directory[0], p.get() + offset, scratch.get());
        if (result != RESULT_OK) return result;
        BITMAPINFOHEADER info = layout.info;
        info.biCompression = BI_RGB;
        info.biSizeImage = layout.frameBytes;
        memcpy(p.get(), &info, sizeof info);
        memcpy(p.get() + sizeof info, layout.format.colors, tableBytes);
        memcpy(p.get() + sizeof info + tableBytes, layout.directory.data(), directoryBytes);
    }
    *bitsOffset = offset;
    *block = out.Release();
    return RESULT_OK;
}

// Reads a whole BMP file (file header already read) into a packed DIB with raw
// bottom-up rows.
int ReadBmpBody(ByteSource& file, const BITMAPFILEHEADER& fileHeader, uint32_t* bitsOffset, HGLOBAL* block)
{
    const long fileLength = file.Length();
    BITMAPINFOHEADER info{};
    DWORD headerSize = 0;
    if (!file.Read(&headerSize, sizeof headerSize)) return RESULT_READ_ERROR;
    RGBQUAD colors[256] = {};
    int entries = 0;
    if (headerSize == sizeof(BITMAPCOREHEADER)) {
        BITMAPCOREHEADER core{};
        core.bcSize = headerSize;
        if (!file.Read(reinterpret_cast<BYTE*>(&core) + 4, sizeof core - 4)) return RESULT_READ_ERROR;
        info = {sizeof info, core.bcWidth, core.bcHeight, core.bcPlanes, core.bcBitCount, BI_RGB, 0, 0, 0, 0, 0};
        entries = core.bcBitCount <= 8 ? 1 << core.bcBitCount : 0;  // no table above 8 bits
        RGBTRIPLE triples[256];
        if (entries && !file.Read(triples, entries * sizeof(RGBTRIPLE))) return RESULT_READ_ERROR;
        for (int i = 0; i < entries; ++i)
            colors[i] = {triples[i].rgbtBlue, triples[i].rgbtGreen, triples[i].rgbtRed, 0};
    } else if (headerSize >= sizeof(BITMAPINFOHEADER) && headerSize <= sizeof(BITMAPV5HEADER)) {
        BITMAPV5HEADER full{};
        full.bV5Size = headerSize;
        if (!file.Read(reinterpret_cast<BYTE*>(&full) + 4, headerSize - 4)) return RESULT_READ_ERROR;
        memcpy(&info, &full, sizeof info);
        info.biSize = sizeof info;
        if (info.biCompression == BI_BITFIELDS && (info.biBitCount == 16 || info.biBitCount == 32)) {
            // The masks follow a plain info header, or sit inside a larger one.
            DWORD masks[3] = {full.bV5RedMask, full.bV5GreenMask, full.bV5BlueMask};
            if (headerSize < sizeof info + sizeof masks && !file.Read(masks, sizeof masks))
                return RESULT_READ_ERROR;
            const bool standard =
                (info.biBitCount == 16 && masks[0] == 0x7C00 && masks[1] == 0x3E0 && masks[2] == 0x1F) ||
                (info.biBitCount == 32 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF);
            if (!standard) return RESULT_UNKNOWN_FORMAT;
            info.biCompression = BI_RGB;  // the standard masks are the plain layout
        }
        entries = DibColorEntries(info);
        if (entries < 0) return RESULT_READ_ERROR;
        if (!file.Read(colors, entries * sizeof(RGBQUAD))) return RESULT_READ_ERROR;
    } else {
        return RESULT_UNKNOWN_FORMAT;
    }
    const bool topDown = info.biHeight < 0;
    if (topDown) info.biHeight = -info.biHeight;
    info.biClrUsed = entries;
    // A bitmap file is a whole picture (a background may be as large as the
    // screen), not a frame: only a size whose bytes cannot overflow is refused.
    if (!IsSaneImageHeader(info)) return RESULT_READ_ERROR;
    if (info.biCompression != BI_RGB && !(info.biCompression == BI_RLE8 && info.biBitCount == 8) &&
        !(info.biCompression == BI_RLE4 && info.biBitCount == 4))
        return RESULT_UNKNOWN_FORMAT;
    if (topDown && info.biCompression != BI_RGB) return RESULT_UNKNOWN_FORMAT;

    const uint32_t stride = DibStride(info.biWidth, info.biBitCount);
    const uint32_t frameBytes = stride * info.biHeight;
    if (fileHeader.bfOffBits > static_cast<DWORD>(fileLength)) return RESULT_READ_ERROR;
    const uint32_t available = fileLength - fileHeader.bfOffBits;
    uint32_t stored = info.biCompression == BI_RGB ? frameBytes : info.biSizeImage;
    if (stored == 0 || stored > available) stored = info.biCompression == BI_RGB ? frameBytes : available;
    if (stored > available) return RESULT_READ_ERROR;

    GlobalBlock out(CreateImageDib(info.biWidth, info.biHeight, info.biBitCount, colors, entries));
    if (!out) return RESULT_OUT_OF_MEMORY;
    std::unique_ptr<BYTE[]> data(new (std::nothrow) BYTE[stored]);
    if (!data) return RESULT_OUT_OF_MEMORY;
    if (!file.Seek(fileHeader.bfOffBits) || !file.Read(data.get(), stored))
        return RESULT_READ_ERROR;
    GlobalLockGuard<BYTE> p(out.Get());
    BYTE* bits = DibBits(p.get());
    if (info.biCompression != BI_RGB) {
        if (!DecodeDibRle(data.get(), stored, info, bits)) return RESULT_READ_ERROR;
    } else if (topDown) {
        for (int y = 0; y < info.biHeight; ++y)
            memcpy(bits + (info.biHeight - 1 - y) * stride, data.get() + y * stride, stride);
    } else {
        memcpy(bits, data.get(), frameBytes);
    }
    *bitsOffset = static_cast<uint32_t>(bits - p.get());
    *block = out.Release();
    return RESULT_OK;
}

}  // namespace

int ReadSingleDib(const char* path, uint32_t* bitsOffset, HGLOBAL* block)
{
    *block = nullptr;
    FileHandle file(OpenForReading(path));
    if (!file.IsOpen()) return RESULT_NOT_FOUND;
    ByteSource source(file.Get());
    return ReadSingleDib(source, bitsOffset, block);
}

int ReadSingleDib(ByteSource& source, uint32_t* bitsOffset, HGLOBAL* block)
{
    *block = nullptr;
    uint16_t magic = 0;
    if (!source.Read(&magic, sizeof magic)) return RESULT_UNKNOWN_FORMAT;
    if (!source.Seek(0)) return RESULT_READ_ERROR;
    if (magic == BMX_MAGIC) {
        BmxFileHeader header;
        if (!source.Read(&header, sizeof header)) return RESULT_READ_ERROR;
        if (!IsValidBitCount(header.bitsPerPixel)) return RESULT_READ_ERROR;
        return ReadFirstBmxFrame(source, header, bitsOffset, block);
    }
    if (magic == BMP_MAGIC) {
        BITMAPFILEHEADER header;
        if (!source.Read(&header, sizeof header)) return RESULT_READ_ERROR;
        return ReadBmpBody(source, header, bitsOffset, block);
    }
    return RESULT_UNKNOWN_FORMAT;
}

// ---- whole sequences as packed DIBs ----

void FrameSequence::Clear()
{
    for (SequenceFrame& f : frames)
        if (f.dib) GlobalFree(f.dib);
    frames.clear();
}

namespace {

bool CopySequenceFrameRows(void* context, int index, BYTE* bits)
{
    const auto* sequence = static_cast<const FrameSequence*>(context);
    const BmxFormat& f = sequence->format;
    GlobalLockGuard<BITMAPINFOHEADER> dib(sequence->frames[index].dib);
    if (!dib) return false;
    const BITMAPINFOHEADER* h = dib.get();
    if (h->biWidth != f.width || h->biHeight != f.height || h->biBitCount != f.bitsPerPixel ||
        h->biCompression != BI_RGB)
        return false;
    memcpy(bits, DibBits(dib.get()), DibStride(f.width, f.bitsPerPixel) * f.height);
    return true;
}

void DescribeSequenceFrame(void* context, int index, const char** name, int8_t* offsetX, int8_t* offsetY)
{
    const auto* sequence = static_cast<const FrameSequence*>(context);
    const SequenceFrame& frame = sequence->frames[index];
    *name = frame.name.c_str();
    *offsetX = frame.offsetX;
    *offsetY = frame.offsetY;
}

bool BeginSequence(void* context, const BmxFileHeader& header, const BmxFormat& format)
{
    auto* sequence = static_cast<FrameSequence*>(context);
    sequence->Clear();
    sequence->format = format;
    sequence->transparentColorCode = header.transparentColorCode;
    return true;
}

bool AddSequenceFrame(void* context, int, const BmxFrameEntry& entry, const BYTE* rows)
{
    auto* sequence = static_cast<FrameSequence*>(context);
    const BmxFormat& f = sequence->format;
    HGLOBAL dib = CreatePackedDib(f.width, f.height, f.bitsPerPixel, f.colors, f.colorTableEntries);
    if (!dib) return false;
    {
        GlobalLockGuard<BYTE> p(dib);
        memcpy(DibBits(p.get()), rows, DibStride(f.width, f.bitsPerPixel) * f.height);
    }
    sequence->frames.push_back({dib, entry.name, entry.offsetX, entry.offsetY});
    return true;
}

}  // namespace

int SaveFrameSequenceFile(const char* path, const FrameSequence& sequence, uint32_t compressionSetting)
{
    BmxFrameSource source{const_cast<FrameSequence*>(&sequence), CopySequenceFrameRows, DescribeSequenceFrame};
    return WriteBmxFile(path, sequence.format, static_cast<int>(sequence.frames.size()),
                        sequence.transparentColorCode, compressionSetting, source);
}

int LoadFrameSequenceFile(const char* path, FrameSequence* sequence)
{
    FileHandle file(OpenForReading(path));
    if (!file.IsOpen()) return RESULT_NOT_FOUND;
    BmxFileHeader header;
    if (!ReadExact(file.Get(), &header, sizeof header)) return RESULT_READ_ERROR;
    if (header.magic != BMX_MAGIC) return RESULT_UNKNOWN_FORMAT;
    BmxFrameSink sink{sequence, BeginSequence, AddSequenceFrame};
    int result = ReadBmxBody(file.Get(), header, sink);
    if (result == 0) result = RESULT_OUT_OF_MEMORY;  // only a failed frame allocation stops this sink
    return result;
}
