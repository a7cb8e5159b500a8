// GIF files for the image library: the structure pass over every block, the
// decoding of one image into a packed DIB of 1, 4 or 8 bits, the writers of
// the header, graphic control, extensions and images, the transparent colour
// and the export of one frame (format 129).
#include "GifCodec.h"
#include "ConvLibrary.h"
#include "FileIo.h"
#include "PackedDib.h"
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr BYTE GIF_EXTENSION = 0x21;
constexpr BYTE GIF_IMAGE = 0x2C;
constexpr BYTE GIF_TRAILER = 0x3B;
constexpr BYTE LABEL_GRAPHIC_CONTROL = 0xF9;
constexpr BYTE LABEL_COMMENT = 0xFE;
constexpr BYTE LABEL_APPLICATION = 0xFF;
constexpr BYTE TABLE_FLAG = 0x80;
constexpr BYTE INTERLACE_FLAG = 0x40;
constexpr LONG PELS_PER_METER = 2953;  // 75 dots per inch
constexpr int DESCRIPTOR_BYTES = 9;    // left, top, width, height, packed byte
// The decoder's buffer holds this much more than the image's pixels.
constexpr uint32_t PIXEL_SLACK = 256;

uint16_t U16(const BYTE* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// The depth of a colour table from the size field of a packed byte.
uint16_t DepthOfSizeField(int field)
{
    field &= 7;
    return field == 0 ? 1 : field <= 3 ? 4 : 8;
}

uint32_t EntriesOfSizeField(int field) { return 2u << (field & 7); }

// ---- structure pass -------------------------------------------------------------------------

// The record an image or graphic control goes to; images beyond the block's
// records are passed over into a scratch record.
GifFrameRecord* RecordFor(GifAnimSettings* s, GifFrameRecord* scratch)
{
    return s->frameCount < GIF_MAX_FRAMES ? &s->frames[s->frameCount] : scratch;
}

void TakeGraphicControl(GifFrameRecord* record, const BYTE* block)
{
    const BYTE packed = block[0];
    record->transparentIndex = (packed & 1) ? block[3] : GIF_NO_TRANSPARENCY;
    record->userInput = packed & 2;
    record->delay = U16(block + 1);
    record->hasControl = 1;
    record->disposal = (packed >> 2) & 3;  // the disposal field's fourth value bit is not kept
}

void AppendComment(GifAnimSettings* s, const BYTE* block, int length)
{
    size_t have = strlen(s->comment);
    if (have >= GIF_COMMENT_MAX) return;  // full: the rest is dropped
    const size_t take = static_cast<size_t>(length) < GIF_COMMENT_MAX - have ? length : GIF_COMMENT_MAX - have;
    memcpy(s->comment + have, block, take);
    s->comment[have + take] = '\0';
    s->commentFlag = 1;
}

// One extension, its introducer read. 1 or -3.
int ReadExtension(GifReader& in, GifAnimSettings* s, GifFrameRecord* scratch)
{
    const int label = in.Byte();
    if (label < 0) return CONV_ERR_READ;
    int length = in.Byte();
    if (length < 0) return CONV_ERR_READ;
    if (length == 0) return CONV_OK;
    if (label == LABEL_COMMENT && !s->commentFlag) s->comment[0] = '\0';  // the file's comment replaces a default
    bool netscape = false;
    for (int index = 0;; ++index) {
        BYTE block[256] = {};
        if (!in.Read(block, static_cast<uint32_t>(length))) return CONV_ERR_READ;
        if (label == LABEL_GRAPHIC_CONTROL && index == 0) {
            TakeGraphicControl(RecordFor(s, scratch), block);
        } else if (label == LABEL_COMMENT) {
            AppendComment(s, block, length);
        } else if (label == LABEL_APPLICATION && index == 0) {
            netscape = length >= 8 && memcmp(block, "NETSCAPE", 8) == 0;
        } else if (netscape && index == 1 && length >= 3) {
            s->loopFlag = 1;
            s->loopCount = U16(block + 1);
        }
        length = in.Byte();
        if (length < 0) return CONV_ERR_READ;
        if (length == 0) return CONV_OK;
    }
}

// Passes over the image data: the code size byte and the sub-blocks.
int SkipImageData(GifReader& in)
{
    return in.Byte() < 0 ? CONV_ERR_READ : SkipGifSubBlocks(in);
}

// One image descriptor, its separator read. 1, or -3.
int ReadImageDescriptor(GifReader& in, GifAnimSettings* s, GifFrameRecord* scratch)
{
    GifFrameRecord* record = RecordFor(s, scratch);
    record->dataOffset = in.Position();
    BYTE d[DESCRIPTOR_BYTES];
    if (!in.Read(d, sizeof d)) return CONV_ERR_READ;
    record->left = static_cast<int16_t>(U16(d));
    record->top = static_cast<int16_t>(U16(d + 2));
    record->width = U16(d + 4);
    record->height = U16(d + 6);
    const BYTE packed = d[8];
    record->interlaced = (packed & INTERLACE_FLAG) ? 1 : 0;
    if (packed & TABLE_FLAG) {
        record->bitsPerPixel = DepthOfSizeField(packed);
        BYTE skipped[3 * 256];
        if (!in.Read(skipped, 3 * EntriesOfSizeField(packed))) return CONV_ERR_READ;
        if (record->bitsPerPixel > s->bitsPerPixel) s->bitsPerPixel = record->bitsPerPixel;
    } else {
        record->bitsPerPixel = s->bitsPerPixel;
    }
    return CONV_OK;
}

// ---- placing decoded pixels -------------------------------------------------------------

// The image row that buffer row `k` holds: in file order, or in the four
// passes of an interlaced image (every 8th row from 0, every 8th from 4,
// every 4th from 2, every 2nd from 1).
int ImageRowOf(uint32_t k, int height, bool interlaced)
{
    if (!interlaced) return static_cast<int>(k);
    static const int START[4] = {0, 4, 2, 1};
    static const int STEP[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        const uint32_t rows = height > START[pass] ? (height - START[pass] + STEP[pass] - 1) / STEP[pass] : 0;
        if (k < rows) return START[pass] + static_cast<int>(k) * STEP[pass];
        k -= rows;
    }
    return height;  // not reached for k below the height
}

void StoreRow(BYTE* to, const BYTE* pixels, int count, int bits, int transparent)
{
    if (bits == 8) {
        if (transparent < 0) {
            memcpy(to, pixels, count);
            return;
        }
        for (int x = 0; x < count; ++x)
            if (pixels[x] != transparent) to[x] = pixels[x];
        return;
    }
    if (bits == 4) {
        for (int x = 0; x < count; ++x) {
            if (pixels[x] == transparent) continue;
            BYTE& b = to[x / 2];
            const int v = pixels[x] & 0x0F;
            b = static_cast<BYTE>((x & 1) ? (b & 0xF0) | v : (b & 0x0F) | v << 4);
        }
        return;
    }
    // 1 bit: every pixel is written; a trailing part byte is cleared first.
    int x = 0;
    for (; x + 8 <= count; x += 8) {
        BYTE b = 0;
        for (int i = 0; i < 8; ++i) b = static_cast<BYTE>(b << 1 | (pixels[x + i] & 1));
        to[x / 8] = b;
    }
    if (x < count) {
        BYTE b = 0;
        for (int i = 0; x + i < count; ++i) b |= static_cast<BYTE>((pixels[x + i] & 1) << (7 - i));
        to[x / 8] = b;
    }
}

// Unpacks DIB row `row` (counted from the top) into one byte per pixel.
void UnpackRow(const BITMAPINFOHEADER* h, const BYTE* bits, int row, BYTE* out)
{
    const int height = h->biHeight < 0 ? -h->biHeight : h->biHeight;
    const int stored = h->biHeight < 0 ? row : height - 1 - row;
    const BYTE* from = bits + size_t(stored) * DibStride(h->biWidth, h->biBitCount);
    const int width = h->biWidth;
    switch (h->biBitCount) {
    case 8: memcpy(out, from, width); break;
    case 4:
        for (int x = 0; x < width; ++x) out[x] = (x & 1) ? from[x / 2] & 0x0F : from[x / 2] >> 4;
        break;
    default:
        for (int x = 0; x < width; ++x) out[x] = (from[x / 8] >> (7 - (x & 7))) & 1;
        break;
    }
}

bool IsGifDepth(int bits) { return bits == 1 || bits == 4 || bits == 8; }

// The colour entries of a DIB as red, green, blue triples, then zero
// triples up to 2^bits. 1 or -8.
int WriteColorTable(GifWriter& out, const BITMAPINFOHEADER* dib)
{
    const int entries = GifTableEntries(dib);
    const auto* colors = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(dib) + dib->biSize);
    BYTE triples[3 * 256] = {};
    for (int i = 0; i < entries; ++i) {
        triples[3 * i] = colors[i].rgbRed;
        triples[3 * i + 1] = colors[i].rgbGreen;
        triples[3 * i + 2] = colors[i].rgbBlue;
    }
    return out.Write(triples, 3u << dib->biBitCount) ? CONV_OK : CONV_ERR_WRITE;
}

const BYTE* DibPixels(const BITMAPINFOHEADER* dib)
{
    return reinterpret_cast<const BYTE*>(dib) + dib->biSize + GifTableEntries(dib) * sizeof(RGBQUAD);
}

}  // namespace

// ---- reading ------------------------------------------------------------------------------

bool IsGifFile(HFILE file)
{
    BYTE head[6];
    _llseek(file, 0, FILE_BEGIN);
    const UINT got = _lread(file, head, sizeof head);
    _llseek(file, 0, FILE_BEGIN);
    return got != static_cast<UINT>(HFILE_ERROR) && got >= 3 && memcmp(head, "GIF", 3) == 0;
}

int ReadGifStructure(GifReader& in, GifAnimSettings* s, bool firstImageOnly)
{
    BYTE head[6];
    if (!in.Read(head, sizeof head)) return CONV_ERR_READ;
    if (memcmp(head, "GIF", 3) != 0) return CONV_ERR_UNSUPPORTED;
    BYTE screen[7];
    if (!in.Read(screen, sizeof screen)) return CONV_ERR_READ;
    s->screenWidth = U16(screen);
    s->screenHeight = U16(screen + 2);
    s->backgroundIndex = screen[5];
    s->bitsPerPixel = DepthOfSizeField(screen[4]);
    s->globalColorCount = 0;
    if (screen[4] & TABLE_FLAG) {
        const uint32_t entries = EntriesOfSizeField(screen[4]);
        BYTE table[3 * 256];
        if (!in.Read(table, 3 * entries)) return CONV_ERR_READ;
        for (uint32_t i = 0; i < entries; ++i)
            s->globalColors[i] = {table[3 * i + 2], table[3 * i + 1], table[3 * i], 0};
        s->globalColorCount = static_cast<uint16_t>(entries);
    }
    s->frameCount = 0;
    GifFrameRecord scratch{};
    for (bool more = true; more;) {
        const int block = in.Byte();
        if (block < 0) return CONV_ERR_READ;
        switch (block) {
        case 0: break;  // stray zero bytes between blocks
        case GIF_EXTENSION:
            if (ReadExtension(in, s, &scratch) < 0) return CONV_ERR_READ;
            break;
        case GIF_IMAGE: {
            if (ReadImageDescriptor(in, s, &scratch) < 0) return CONV_ERR_READ;
            if (firstImageOnly) {
                s->frameCount = 1;
                more = false;
                break;
            }
            if (SkipImageData(in) < 0) return CONV_ERR_READ;
            if (s->frameCount < GIF_MAX_FRAMES) ++s->frameCount;
            scratch = {};
            break;
        }
        case GIF_TRAILER: more = false; break;
        default: return CONV_ERR_UNSUPPORTED;
        }
    }
    return in.Seek(6) ? CONV_OK : CONV_ERR_READ;
}

HGLOBAL CreateGifFrameDib(int bits, int width, int height, const RGBQUAD* colors, int colorCount)
{
    if (!IsGifDepth(bits) || width < 1 || height < 1 || width > MAX_IMAGE_SIZE || height > MAX_IMAGE_SIZE)
        return nullptr;
    // 64 bits: width and height come from 16-bit file fields.
    const uint64_t imageBytes = uint64_t(DibStride(width, bits)) * uint64_t(height);
    if (imageBytes > MAX_IMAGE_BYTES) return nullptr;
    const int entries = 1 << bits;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT,
                                static_cast<SIZE_T>(sizeof(BITMAPINFOHEADER) + entries * sizeof(RGBQUAD) + imageBytes));
    if (!block) return nullptr;
    GlobalLockGuard<BYTE> p(block);
    BITMAPINFOHEADER* h = DibHeader(p.get());
    *h = {sizeof *h, width, height, 1, static_cast<WORD>(bits), BI_RGB, static_cast<DWORD>(imageBytes),
          PELS_PER_METER, PELS_PER_METER, static_cast<DWORD>(entries), 0};
    if (colors && colorCount > 0)
        memcpy(DibColors(p.get()), colors, (colorCount < entries ? colorCount : entries) * sizeof(RGBQUAD));
    return block;
}

void FillDibWithIndex(HGLOBAL dib, int index)
{
    GlobalLockGuard<BYTE> p(dib);
    if (!p) return;
    const BITMAPINFOHEADER* h = DibHeader(p.get());
    BYTE value;
    switch (h->biBitCount) {
    case 1: value = index > 0 ? 0xFF : 0; break;
    case 4: value = static_cast<BYTE>((index & 0x0F) * 0x11); break;
    case 8: value = static_cast<BYTE>(index); break;
    default: return;
    }
    const uint64_t bytes = uint64_t(DibStride(h->biWidth, h->biBitCount)) * (h->biHeight < 0 ? -h->biHeight : h->biHeight);
    memset(const_cast<BYTE*>(DibPixels(h)), value, static_cast<size_t>(bytes));
}

int DecodeGifImage(GifReader& in, HGLOBAL dib, int transparentIndex, int offsetX, int offsetY)
{
    BYTE d[DESCRIPTOR_BYTES];
    if (!in.Read(d, sizeof d)) return CONV_ERR_READ;
    const int width = U16(d + 4), height = U16(d + 6);
    const int left = U16(d) - offsetX, top = U16(d + 2) - offsetY;
    const BYTE packed = d[8];

    GlobalLockGuard<BYTE> locked(dib);
    if (!locked) return CONV_ERR_MEMORY;
    BITMAPINFOHEADER* h = DibHeader(locked.get());
    const int bits = h->biBitCount;
    if (!IsGifDepth(bits)) return CONV_ERR_COMPRESSION;
    if (packed & TABLE_FLAG) {
        const uint32_t entries = EntriesOfSizeField(packed);
        if (entries > static_cast<uint32_t>(GifTableEntries(h))) return CONV_ERR_COMPRESSION;
        BYTE table[3 * 256];
        if (!in.Read(table, 3 * entries)) return CONV_ERR_READ;
        RGBQUAD* colors = DibColors(locked.get());
        for (uint32_t i = 0; i < entries; ++i) colors[i] = {table[3 * i + 2], table[3 * i + 1], table[3 * i], 0};
    }

    // 64 bits: both sides come from 16-bit fields.
    const uint64_t pixelCount = uint64_t(width) * uint64_t(height);
    if (pixelCount > MAX_IMAGE_BYTES) return CONV_ERR_MEMORY;
    // Zero-filled: an image whose end code comes early shows colour 0, not old memory.
    std::unique_ptr<BYTE[]> pixels(new (std::nothrow) BYTE[pixelCount + PIXEL_SLACK]());
    if (!pixels) return CONV_ERR_MEMORY;
    const int decoded = DecodeGifLzw(in, pixels.get(), static_cast<uint32_t>(pixelCount));
    if (decoded <= 0) return decoded;

    // An image that would start left of or above the DIB is not drawn.
    if (left < 0 || top < 0) return CONV_OK;
    const int dibWidth = h->biWidth;
    const int dibHeight = h->biHeight < 0 ? -h->biHeight : h->biHeight;
    const int x = bits == 1 ? left & ~7 : bits == 4 ? left & ~1 : left;
    if (top >= dibHeight || x >= dibWidth) return CONV_OK;
    const int visibleWidth = width < dibWidth - x ? width : dibWidth - x;
    const int visibleHeight = height < dibHeight - top ? height : dibHeight - top;
    const uint32_t stride = DibStride(dibWidth, bits);
    BYTE* rows = const_cast<BYTE*>(DibPixels(h));
    const int transparent = bits == 1 ? -1 : transparentIndex;
    for (uint32_t k = 0; k < static_cast<uint32_t>(height); ++k) {
        const int r = ImageRowOf(k, height, packed & INTERLACE_FLAG);
        if (r >= visibleHeight) continue;
        const int dibRow = top + r;
        const int stored = h->biHeight < 0 ? dibRow : dibHeight - 1 - dibRow;
        BYTE* to = rows + size_t(stored) * stride + size_t(x) * bits / 8;
        StoreRow(to, pixels.get() + size_t(k) * width, visibleWidth, bits, transparent);
    }
    return CONV_OK;
}

// ---- writing ------------------------------------------------------------------------------

int GifTableEntries(const BITMAPINFOHEADER* dib)
{
    if (dib->biBitCount > 8) return 0;
    const uint32_t full = 1u << dib->biBitCount;
    const uint32_t used = dib->biClrUsed ? dib->biClrUsed : full;
    return static_cast<int>(used < full ? used : full);
}

int WriteGifHeader(GifWriter& out, const BITMAPINFOHEADER* dib, int screenWidth, int screenHeight,
                   bool withGlobalTable, int backgroundIndex)
{
    const int bits = dib->biBitCount;
    if (!IsGifDepth(bits)) return CONV_ERR_COMPRESSION;
    out.Write("GIF89a", 6);
    out.Word(static_cast<uint16_t>(screenWidth));
    out.Word(static_cast<uint16_t>(screenHeight));
    // Colour resolution and table size both bits - 1, not sorted.
    out.Byte(static_cast<uint8_t>((withGlobalTable ? TABLE_FLAG : 0) + 17 * (bits - 1)));
    out.Byte(static_cast<uint8_t>(backgroundIndex));
    out.Byte(0);
    if (withGlobalTable && WriteColorTable(out, dib) < 0) return CONV_ERR_WRITE;
    return out.Failed() ? CONV_ERR_WRITE : CONV_OK;
}

int WriteGraphicControl(GifWriter& out, int transparentIndex, int delay, bool userInput, int disposal)
{
    const BYTE block[8] = {GIF_EXTENSION,
                           LABEL_GRAPHIC_CONTROL,
                           4,
                           static_cast<BYTE>((disposal & 3) * 4 + (userInput ? 2 : 0) + (transparentIndex >= 0 ? 1 : 0)),
                           static_cast<BYTE>(delay),
                           static_cast<BYTE>(delay >> 8),
                           static_cast<BYTE>(transparentIndex >= 0 ? transparentIndex : 0),
                           0};
    return out.Write(block, sizeof block) ? CONV_OK : CONV_ERR_WRITE;
}

int WriteGifExtensionStart(GifWriter& out, int label, const void* data, int length, bool terminate)
{
    out.Byte(GIF_EXTENSION);
    out.Byte(static_cast<uint8_t>(label));
    out.Byte(static_cast<uint8_t>(length));
    if (data && length > 0) out.Write(data, static_cast<uint32_t>(length));
    if (terminate && !out.Byte(0)) return 0;
    return out.Failed() ? 0 : 1;
}

int WriteGifSubBlock(GifWriter& out, const void* data, int length, bool terminate)
{
    if (data && length > 0) {
        out.Byte(static_cast<uint8_t>(length));
        out.Write(data, static_cast<uint32_t>(length));
    }
    if (terminate && !out.Byte(0)) return 0;
    return out.Failed() ? 0 : 1;
}

int WriteGifImage(GifWriter& out, const BITMAPINFOHEADER* dib, int left, int top, bool interlaced,
                  bool withLocalTable, bool withProgress)
{
    const int bits = dib->biBitCount;
    if (!IsGifDepth(bits) || dib->biWidth < 1 || dib->biHeight == 0) return CONV_ERR_COMPRESSION;
    const int width = dib->biWidth;
    const int height = dib->biHeight < 0 ? -dib->biHeight : dib->biHeight;
    out.Byte(GIF_IMAGE);
    out.Word(static_cast<uint16_t>(left));
    out.Word(static_cast<uint16_t>(top));
    out.Word(static_cast<uint16_t>(width));
    out.Word(static_cast<uint16_t>(height));
    out.Byte(static_cast<uint8_t>((interlaced ? INTERLACE_FLAG : 0) + (withLocalTable ? TABLE_FLAG : 0) + bits - 1));
    if (withLocalTable && WriteColorTable(out, dib) < 0) return CONV_ERR_WRITE;

    std::unique_ptr<BYTE[]> row(new (std::nothrow) BYTE[width]);
    if (!row) return CONV_ERR_MEMORY;
    const BYTE* pixels = DibPixels(dib);
    GifLzwEncoder encoder(out, bits == 1 ? 2 : bits);
    for (int k = 0; k < height; ++k) {
        if (withProgress) StepConvProgress(k * 100 / height);
        UnpackRow(dib, pixels, ImageRowOf(static_cast<uint32_t>(k), height, interlaced), row.get());
        encoder.Add(row.get(), static_cast<uint32_t>(width));
    }
    return encoder.Finish() ? CONV_OK : CONV_ERR_WRITE;
}

// ---- colours ------------------------------------------------------------------------------

int FindNearestColor(const RGBQUAD* colors, int count, int red, int green, int blue)
{
    int best = 0;
    int bestDistance = INT32_MAX;
    for (int i = 0; i < count; ++i) {
        const int distance =
            abs(colors[i].rgbRed - red) + abs(colors[i].rgbGreen - green) + abs(colors[i].rgbBlue - blue);
        if (distance < 2) return i;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

int FindGifTransparentIndex(const BITMAPINFOHEADER* dib, ConvHostProc host)
{
    COLORREF color = 0;
    if (!host || !host(CONV_REQ_QUERY, &color, CONV_QUERY_TRANSPARENT_COLOR)) return -1;
    if (color >> 24) {
        // A palette entry of the display palette.
        HPALETTE palette = nullptr;
        PALETTEENTRY entry;
        host(CONV_REQ_GET_PALETTE, &palette, 1);
        if (!palette || GetPaletteEntries(palette, color & 0xFFFF, 1, &entry) != 1) return -1;
        color = RGB(entry.peRed, entry.peGreen, entry.peBlue);
    }
    if (dib->biBitCount > 8) return -1;
    const auto* colors = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(dib) + dib->biSize);
    return FindNearestColor(colors, GifTableEntries(dib), GetRValue(color), GetGValue(color), GetBValue(color));
}

// ---- one frame as a GIF -------------------------------------------------------------------

int SaveSingleGif(const char* path, HGLOBAL dib, ConvHostProc host)
{
    // The file is written beside the target and replaces it only when whole.
    SafeFileWriter file(path);
    const HFILE handle = file.Create();
    if (handle == HFILE_ERROR) return CONV_ERR_CREATE;
    GlobalLockGuard<BYTE> locked(dib);
    if (!locked || GlobalSize(dib) < sizeof(BITMAPINFOHEADER)) return CONV_ERR_MEMORY;
    const BITMAPINFOHEADER* h = DibHeader(locked.get());
    if (!IsWritableGifDib(h, GlobalSize(dib))) return CONV_ERR_COMPRESSION;

    GifWriter out(handle);
    int result = WriteGifHeader(out, h, h->biWidth, abs(h->biHeight), true, 0);
    const int transparent = FindGifTransparentIndex(h, host);
    if (result > 0 && transparent >= 0) result = WriteGraphicControl(out, transparent, 0, false, 0);
    if (result > 0) result = WriteGifImage(out, h, 0, 0, false, false, true);
    if (result > 0 && !(out.Byte(GIF_TRAILER) && out.Flush() && file.Commit())) result = CONV_ERR_WRITE;
    return result;
}

bool IsWritableGifDib(const BITMAPINFOHEADER* h, SIZE_T blockSize)
{
    if (blockSize < sizeof *h || h->biSize < sizeof *h || h->biSize > blockSize || !IsGifDepth(h->biBitCount) ||
        h->biCompression != BI_RGB || h->biWidth < 1 || h->biWidth > 0xFFFF || h->biHeight == 0 ||
        h->biHeight < -0xFFFF || h->biHeight > 0xFFFF)
        return false;
    const int height = h->biHeight < 0 ? -h->biHeight : h->biHeight;
    const uint64_t need = uint64_t(h->biSize) + GifTableEntries(h) * sizeof(RGBQUAD) +
                          uint64_t(DibStride(h->biWidth, h->biBitCount)) * height;
    return need <= blockSize;
}
