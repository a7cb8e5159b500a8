#include "PackedDib.h"
#include "ResultCodes.h"
#include "RowCodes.h"
#include <cstring>

int DibColorEntries(const BITMAPINFOHEADER& h)
{
    if (h.biBitCount > 8) return 0;
    const uint32_t full = 1u << h.biBitCount;
    if (h.biClrUsed == 0) return static_cast<int>(full);
    if (h.biClrUsed > full) return -1;
    return static_cast<int>(h.biClrUsed);
}

bool IsSaneFrameHeader(const BITMAPINFOHEADER& h)
{
    return h.biSize == sizeof(BITMAPINFOHEADER) && h.biWidth >= MIN_FRAME_SIZE &&
           h.biWidth <= MAX_FRAME_SIZE && h.biHeight >= MIN_FRAME_SIZE &&
           h.biHeight <= MAX_FRAME_SIZE && h.biPlanes == 1 && IsValidBitCount(h.biBitCount) &&
           DibColorEntries(h) >= 0 && h.biClrUsed <= 256;
}

bool IsSaneImageHeader(const BITMAPINFOHEADER& h)
{
    return h.biSize == sizeof(BITMAPINFOHEADER) && h.biWidth >= 1 && h.biWidth <= MAX_IMAGE_SIZE &&
           h.biHeight >= 1 && h.biHeight <= MAX_IMAGE_SIZE && h.biPlanes == 1 && IsValidBitCount(h.biBitCount) &&
           DibColorEntries(h) >= 0 && h.biClrUsed <= 256 &&
           uint64_t(DibStride(h.biWidth, h.biBitCount)) * h.biHeight <= MAX_IMAGE_BYTES;
}

namespace {

// A zeroed block for a plain packed DIB: header, `entries` colours (or three
// masks), rows.
HGLOBAL AllocDib(int width, int height, int bitsPerPixel, int entries, bool masks)
{
    const uint64_t imageBytes = uint64_t(DibStride(width, bitsPerPixel)) * height;
    if (imageBytes > MAX_IMAGE_BYTES) return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT,
                                static_cast<SIZE_T>(sizeof(BITMAPINFOHEADER) + (entries + (masks ? 3 : 0)) * sizeof(RGBQUAD) + imageBytes));
    if (!block) return nullptr;
    GlobalLockGuard<BITMAPINFOHEADER> h(block);
    h.get()->biSize = sizeof(BITMAPINFOHEADER);
    h.get()->biWidth = width;
    h.get()->biHeight = height;
    h.get()->biPlanes = 1;
    h.get()->biBitCount = static_cast<WORD>(bitsPerPixel);
    h.get()->biCompression = masks ? BI_BITFIELDS : BI_RGB;
    h.get()->biSizeImage = static_cast<DWORD>(imageBytes);
    h.get()->biClrUsed = entries;
    return block;
}

}  // namespace

HGLOBAL CreateImageDib(int width, int height, int bitsPerPixel, const RGBQUAD* colors, int colorCount)
{
    if (width < 1 || width > MAX_IMAGE_SIZE || height < 1 || height > MAX_IMAGE_SIZE || !IsValidBitCount(bitsPerPixel))
        return nullptr;
    if (bitsPerPixel > 8) colorCount = 0;
    if (colorCount < 0 || colorCount > (1 << (bitsPerPixel > 8 ? 0 : bitsPerPixel))) return nullptr;
    HGLOBAL block = AllocDib(width, height, bitsPerPixel, colorCount, false);
    if (block && colors && colorCount) {
        GlobalLockGuard<BYTE> p(block);
        memcpy(DibColors(p.get()), colors, colorCount * sizeof(RGBQUAD));
    }
    return block;
}

HGLOBAL CreatePackedDib(int width, int height, int bitsPerPixel, const RGBQUAD* colors, int colorCount)
{
    if (width < MIN_FRAME_SIZE || width > MAX_FRAME_SIZE || height < MIN_FRAME_SIZE || height > MAX_FRAME_SIZE)
        return nullptr;
    return CreateImageDib(width, height, bitsPerPixel, colors, colorCount);
}

int ReadPackedDibLayout(const void* data, size_t size, PackedDibLayout* layout)
{
    PackedDibLayout& out = *layout;
    memset(&out, 0, sizeof out);
    const BYTE* p = static_cast<const BYTE*>(data);
    DWORD headerSize = 0;
    if (!p || size < sizeof headerSize) return RESULT_UNKNOWN_FORMAT;
    memcpy(&headerSize, p, sizeof headerSize);
    BITMAPINFOHEADER& h = out.header;
    uint64_t offset = headerSize;
    int entryBytes = sizeof(RGBQUAD);
    if (headerSize == sizeof(BITMAPCOREHEADER)) {
        if (size < headerSize) return RESULT_UNKNOWN_FORMAT;
        BITMAPCOREHEADER core;
        memcpy(&core, p, sizeof core);
        h = {sizeof h, core.bcWidth, core.bcHeight, core.bcPlanes, core.bcBitCount, BI_RGB, 0, 0, 0, 0, 0};
        entryBytes = sizeof(RGBTRIPLE);
    } else if (headerSize >= sizeof(BITMAPINFOHEADER) && headerSize <= sizeof(BITMAPV5HEADER)) {
        if (size < headerSize) return RESULT_UNKNOWN_FORMAT;
        memcpy(&h, p, sizeof h);
        h.biSize = sizeof h;
    } else {
        return RESULT_UNKNOWN_FORMAT;
    }
    const int bits = h.biBitCount;
    const bool rle = (h.biCompression == BI_RLE8 && bits == 8) || (h.biCompression == BI_RLE4 && bits == 4);
    const bool fields = h.biCompression == BI_BITFIELDS && (bits == 16 || bits == 32);
    if (h.biWidth < 1 || h.biWidth > MAX_IMAGE_SIZE || h.biHeight == 0 || h.biHeight < -MAX_IMAGE_SIZE ||
        h.biHeight > MAX_IMAGE_SIZE || h.biPlanes != 1 || !IsValidBitCount(bits) ||
        !(h.biCompression == BI_RGB || rle || fields) || (rle && h.biHeight < 0))
        return RESULT_UNKNOWN_FORMAT;
    if (fields) {
        // The masks sit inside a larger header or follow a plain one.
        if (headerSize >= sizeof(BITMAPINFOHEADER) + sizeof out.masks) {
            memcpy(out.masks, p + sizeof(BITMAPINFOHEADER), sizeof out.masks);
        } else {
            if (size < offset + sizeof out.masks) return RESULT_UNKNOWN_FORMAT;
            memcpy(out.masks, p + offset, sizeof out.masks);
            offset += sizeof out.masks;
        }
    }
    const uint32_t height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    const uint64_t rowsBytes = uint64_t(DibStride(h.biWidth, bits)) * height;
    if (rowsBytes > MAX_IMAGE_BYTES) return RESULT_UNKNOWN_FORMAT;
    // Colour tables exist only up to 8 bits per pixel, never longer than 2^bits.
    int entries = 0;
    if (bits <= 8) {
        entries = 1 << bits;
        if (entryBytes == sizeof(RGBQUAD) && h.biClrUsed > 0 && h.biClrUsed < static_cast<DWORD>(entries))
            entries = static_cast<int>(h.biClrUsed);
    } else if (entryBytes == sizeof(RGBQUAD) && h.biClrUsed > 0 && h.biClrUsed <= 256 &&
               size >= offset + h.biClrUsed * sizeof(RGBQUAD) + rowsBytes) {
        offset += h.biClrUsed * sizeof(RGBQUAD);  // an optional table before deeper rows: skipped
    }
    if (size < offset + uint64_t(entries) * entryBytes) return RESULT_UNKNOWN_FORMAT;
    for (int i = 0; i < entries; ++i) {
        const BYTE* e = p + offset + i * entryBytes;
        out.colors[i] = {e[0], e[1], e[2], 0};
    }
    offset += uint64_t(entries) * entryBytes;
    out.colorCount = entries;
    h.biClrUsed = entries;
    if (rle) {
        const uint64_t available = size - offset;
        out.bitsBytes = static_cast<uint32_t>(h.biSizeImage && h.biSizeImage < available ? h.biSizeImage : available);
        if (out.bitsBytes == 0) return RESULT_UNKNOWN_FORMAT;
    } else {
        if (size < offset + rowsBytes) return RESULT_UNKNOWN_FORMAT;
        out.bitsBytes = static_cast<uint32_t>(rowsBytes);
    }
    out.bitsOffset = static_cast<uint32_t>(offset);
    return RESULT_OK;
}

int MakePlainPackedDib(const void* data, size_t size, HGLOBAL* plain)
{
    *plain = nullptr;
    PackedDibLayout layout;
    const int result = ReadPackedDibLayout(data, size, &layout);
    if (result != RESULT_OK) return result;
    BITMAPINFOHEADER h = layout.header;
    const bool topDown = h.biHeight < 0;
    const int height = topDown ? -h.biHeight : h.biHeight;
    const bool fields = h.biCompression == BI_BITFIELDS;
    GlobalBlock out(AllocDib(h.biWidth, height, h.biBitCount, layout.colorCount, fields));
    if (!out) return RESULT_OUT_OF_MEMORY;
    GlobalLockGuard<BYTE> p(out.Get());
    BITMAPINFOHEADER* target = DibHeader(p.get());
    target->biXPelsPerMeter = h.biXPelsPerMeter;
    target->biYPelsPerMeter = h.biYPelsPerMeter;
    memcpy(DibColors(p.get()), fields ? static_cast<const void*>(layout.masks) : layout.colors,
           fields ? sizeof layout.masks : layout.colorCount * sizeof(RGBQUAD));
    BYTE* rows = DibBits(p.get());
    const BYTE* source = static_cast<const BYTE*>(data) + layout.bitsOffset;
    const uint32_t stride = DibStride(h.biWidth, h.biBitCount);
    if (h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4) {
        if (!DecodeDibRle(source, layout.bitsBytes, h, rows)) return RESULT_UNKNOWN_FORMAT;
    } else if (topDown) {
        for (int y = 0; y < height; ++y) memcpy(rows + size_t(height - 1 - y) * stride, source + size_t(y) * stride, stride);
    } else {
        memcpy(rows, source, size_t(stride) * height);
    }
    *plain = out.Release();
    return RESULT_OK;
}

BYTE* DibBits(void* locked)
{
    BITMAPINFOHEADER* h = DibHeader(locked);
    int entries = DibColorEntries(*h);
    if (entries < 0) entries = 0;
    int masks = (h->biCompression == BI_BITFIELDS && h->biSize == sizeof(BITMAPINFOHEADER)) ? 3 : 0;
    return static_cast<BYTE*>(locked) + h->biSize + (entries + masks) * sizeof(RGBQUAD);
}
