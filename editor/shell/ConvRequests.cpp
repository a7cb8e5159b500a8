// The editor callback of the image library (HandleConvRequest): every
// request the library makes of the frames, the palette, the main menu and
// the document's settings block while one of its exports runs. The library
// reads foreign files, so what it hands in is checked before it is used.
#include "ConvBridge.h"
#include "AppState.h"
#include "ColorReduction.h"
#include "DialogUtilities.h"
#include "DocumentCommon.h"
#include "DocumentModel.h"
#include "FrameBitmaps.h"
#include "MainWindow.h"
#include "PackedDib.h"
#include "Palette.h"
#include "ResultCodes.h"
#include "resource.h"
#include <cstring>

namespace {

constexpr int MAX_ICON_SIDE = MAX_FRAME_SIZE;
constexpr int FREE_FRAMES_AT_START = MAX_FRAME_BITMAPS;
// Static colours tried in turn for the transparent colour of a masked first
// frame: the first the image does not use.
constexpr uint8_t TRANSPARENT_SEARCH_ORDER[] = {6, 5, 14, 13, 1, 9, 2, 10, 3, 11, 4, 12, 8, 7, 15, 0};
constexpr uint8_t THREE_COLOR_DEFAULT_TRANSPARENT = 6;

bool g_menuChanged = false;

struct InfoWithColors {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

int FrameIndexOrCurrent(ULONG_PTR n)
{
    const int frame = static_cast<int>(n);
    return frame < 0 ? g_appState.currentFrame : frame;
}

bool IsFrame(int frame) { return frame >= 0 && frame < g_appState.frameCount && g_appState.frameBitmaps[frame]; }

// The colour a transparent-colour code stands for (none counts as white).
PALETTEENTRY TransparentEntry(uint8_t code)
{
    return STATIC_COLORS[(code & TRANSPARENT_NONE) ? 15 : code & TRANSPARENT_STATIC_MASK];
}

bool SameEntry(const RGBQUAD& q, const PALETTEENTRY& e)
{
    return q.rgbRed == e.peRed && q.rgbGreen == e.peGreen && q.rgbBlue == e.peBlue;
}

// ---- CONV_REQ_QUERY -----------------------------------------------------------------------

ULONG_PTR Query(UINT subCode, void* p)
{
    const int count = g_appState.frameCount;
    switch (subCode) {
    case CONV_QUERY_FRAME_COUNT: return count;
    case CONV_QUERY_FREE_FRAMES: return FREE_FRAMES_AT_START - count;
    case CONV_QUERY_CURRENT_FRAME: return static_cast<ULONG_PTR>(count > 0 ? g_appState.currentFrame : -1);
    case CONV_QUERY_COLOR_COUNT: return g_appState.colorCount;
    case CONV_QUERY_FRAME_SIZE:
        if (count <= 0 || !p) return 0;
        *static_cast<uint32_t*>(p) = static_cast<uint32_t>(g_appState.frameHeight) << 16 |
                                     (static_cast<uint32_t>(g_appState.frameWidth) & 0xFFFF);
        return 1;
    case CONV_QUERY_TRANSPARENT_COLOR:
        if (count <= 0 || !p || !SequenceHasTransparentColor()) return 0;
        *static_cast<COLORREF*>(p) = GetStaticColor(GetSequenceTransparentCode(), g_appState.colorCount);
        return 1;
    case CONV_QUERY_DITHER_ON_OPEN: return (g_appState.optionFlags & OPTION_DITHER_ON_OPEN) ? 1 : 0;
    default: return 0;
    }
}

// ---- images the library hands in ----------------------------------------------------------

// A packed DIB from a foreign file, checked against its block: a plain
// header, at most 2^bits colours, and every row (the mask's too) inside.
struct ForeignDib {
    const BITMAPINFOHEADER* header;
    const RGBQUAD* colors;
    int entries;       // colour-table entries
    const BYTE* rows;  // the image, bottom-up
    const BYTE* mask;  // the AND mask below it, or null
    int width;
    int height;        // of the image (half the stored height with a mask)
    int bits;
    uint32_t stride;
    uint32_t maskStride;
};

bool ReadForeignDib(const BYTE* data, SIZE_T size, bool masked, ForeignDib* out)
{
    if (!data || size < sizeof(BITMAPINFOHEADER)) return false;
    const auto* h = reinterpret_cast<const BITMAPINFOHEADER*>(data);
    const int bits = h->biBitCount;
    if (h->biSize < sizeof(BITMAPINFOHEADER) || h->biSize > size || h->biPlanes != 1 || !IsValidBitCount(bits) ||
        h->biCompression != BI_RGB || h->biWidth < 1 || h->biWidth > MAX_IMAGE_SIZE || h->biHeight < 1 ||
        h->biHeight > MAX_IMAGE_SIZE)
        return false;
    if (bits <= 8 && h->biClrUsed > (1u << bits)) return false;
    if (bits > 8 && h->biClrUsed > 256) return false;
    const int entries = h->biClrUsed ? static_cast<int>(h->biClrUsed) : bits <= 8 ? 1 << bits : 0;
    const int height = masked ? h->biHeight / 2 : h->biHeight;
    if (height < 1) return false;
    const uint32_t stride = DibStride(h->biWidth, bits);
    const uint32_t maskStride = masked ? DibStride(h->biWidth, 1) : 0;
    const uint64_t need = uint64_t(h->biSize) + uint64_t(entries) * sizeof(RGBQUAD) +
                          (uint64_t(stride) + maskStride) * uint64_t(height);
    if (need > size) return false;
    out->header = h;
    out->colors = reinterpret_cast<const RGBQUAD*>(data + h->biSize);
    out->entries = entries;
    out->rows = data + h->biSize + entries * sizeof(RGBQUAD);
    out->mask = masked ? out->rows + size_t(stride) * height : nullptr;
    out->width = h->biWidth;
    out->height = height;
    out->bits = bits;
    out->stride = stride;
    out->maskStride = maskStride;
    return true;
}

bool IsMasked(const ForeignDib& dib, int x, int y)
{
    return dib.mask && DibPixelAt(dib.mask + size_t(y) * dib.maskStride, x, 1);
}

// The colour of a pixel of a deep image as red, green, blue.
void DeepPixel(const BYTE* row, int x, int bits, BYTE* rgb)
{
    if (bits == 16) {
        const int v = row[2 * x] | row[2 * x + 1] << 8;
        rgb[0] = static_cast<BYTE>(((v >> 10) & 31) << 3);
        rgb[1] = static_cast<BYTE>(((v >> 5) & 31) << 3);
        rgb[2] = static_cast<BYTE>((v & 31) << 3);
        return;
    }
    const BYTE* p = row + size_t(x) * (bits / 8);
    rgb[0] = p[2];
    rgb[1] = p[1];
    rgb[2] = p[0];
}

void PutDeepPixel(BYTE* row, int x, int bits, const PALETTEENTRY& color)
{
    if (bits == 16) {
        const int v = (color.peRed >> 3) << 10 | (color.peGreen >> 3) << 5 | (color.peBlue >> 3);
        row[2 * x] = static_cast<BYTE>(v);
        row[2 * x + 1] = static_cast<BYTE>(v >> 8);
        return;
    }
    BYTE* p = row + size_t(x) * (bits / 8);
    p[0] = color.peBlue;
    p[1] = color.peGreen;
    p[2] = color.peRed;
}

bool SameDeep(const BYTE* rgb, const PALETTEENTRY& e, int bits)
{
    // 16-bit pixels hold five bits a channel.
    const int shift = bits == 16 ? 3 : 0;
    return rgb[0] >> shift == e.peRed >> shift && rgb[1] >> shift == e.peGreen >> shift &&
           rgb[2] >> shift == e.peBlue >> shift;
}

// Marks the palette indexes (up to 8 bits) the visible pixels use.
void MarkUsedIndexes(const ForeignDib& dib, bool used[256])
{
    memset(used, 0, 256);
    for (int y = 0; y < dib.height; ++y) {
        const BYTE* row = dib.rows + size_t(y) * dib.stride;
        for (int x = 0; x < dib.width; ++x)
            if (!IsMasked(dib, x, y)) used[DibPixelAt(row, x, dib.bits)] = true;
    }
}

// The first static colour of the search order that no visible pixel shows.
uint8_t UnusedStaticColor(const ForeignDib& dib)
{
    bool usedCode[STATIC_COLOR_COUNT] = {};
    if (dib.bits <= 8) {
        bool used[256];
        MarkUsedIndexes(dib, used);
        for (int i = 0; i < dib.entries; ++i)
            for (int code = 0; used[i] && code < STATIC_COLOR_COUNT; ++code)
                if (SameEntry(dib.colors[i], STATIC_COLORS[code])) usedCode[code] = true;
    } else {
        for (int y = 0; y < dib.height; ++y) {
            const BYTE* row = dib.rows + size_t(y) * dib.stride;
            for (int x = 0; x < dib.width; ++x) {
                if (IsMasked(dib, x, y)) continue;
                BYTE rgb[3];
                DeepPixel(row, x, dib.bits, rgb);
                for (int code = 0; code < STATIC_COLOR_COUNT; ++code)
                    if (SameDeep(rgb, STATIC_COLORS[code], dib.bits)) usedCode[code] = true;
            }
        }
    }
    for (uint8_t code : TRANSPARENT_SEARCH_ORDER)
        if (!usedCode[code]) return code;
    return TRANSPARENT_SEARCH_ORDER[0];
}

// The index the masked pixels of an image up to 8 bits take: an entry that
// holds the colour already, else one no visible pixel uses; -1 when every
// index is in use.
int MaskIndex(const ForeignDib& dib, const PALETTEENTRY& color)
{
    for (int i = 0; i < dib.entries; ++i)
        if (SameEntry(dib.colors[i], color)) return i;
    bool used[256];
    MarkUsedIndexes(dib, used);
    for (int i = 0; i < (1 << dib.bits); ++i)
        if (!used[i]) return i;
    return -1;
}

// A plain copy of the image with every masked pixel in `color`. Images up to
// 8 bits keep their depth when an index is free for the colour, else they
// grow to 8 bits (or, at 8 bits, to 24).
HGLOBAL ImageWithMaskColor(const ForeignDib& dib, const PALETTEENTRY& color)
{
    int outBits = dib.bits;
    int slot = -1;
    if (dib.bits <= 8) {
        slot = MaskIndex(dib, color);
        if (slot < 0) {
            slot = dib.bits < 8 ? 1 << dib.bits : -1;
            outBits = dib.bits < 8 ? 8 : 24;
        }
    }
    RGBQUAD table[256] = {};
    int entries = 0;
    if (outBits <= 8) {
        memcpy(table, dib.colors, dib.entries * sizeof(RGBQUAD));
        entries = dib.entries > slot ? dib.entries : slot + 1;
        table[slot] = {color.peBlue, color.peGreen, color.peRed, 0};
    }
    HGLOBAL block = CreateImageDib(dib.width, dib.height, outBits, table, entries);
    if (!block) return nullptr;
    GlobalLockGuard<BYTE> out(block);
    BYTE* rows = DibBits(out.get());
    const uint32_t outStride = DibStride(dib.width, outBits);
    for (int y = 0; y < dib.height; ++y) {
        const BYTE* in = dib.rows + size_t(y) * dib.stride;
        BYTE* row = rows + size_t(y) * outStride;
        if (outBits == dib.bits) memcpy(row, in, dib.stride < outStride ? dib.stride : outStride);
        for (int x = 0; x < dib.width; ++x) {
            const bool masked = IsMasked(dib, x, y);
            if (outBits <= 8) {
                if (masked) DibPutPixel(row, x, outBits, slot);
                else if (outBits != dib.bits) DibPutPixel(row, x, outBits, DibPixelAt(in, x, dib.bits));
            } else if (masked) {
                PutDeepPixel(row, x, outBits, color);
            } else if (outBits != dib.bits) {
                const RGBQUAD& q = dib.colors[DibPixelAt(in, x, dib.bits) % (dib.entries ? dib.entries : 1)];
                PutDeepPixel(row, x, outBits, PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, 0});
            }
        }
    }
    return block;
}

// Appends an image as the new last frame: a default name, a cleared state,
// no offset. 1, or 0 when it could not be made.
ULONG_PTR AppendConvFrame(HGLOBAL image, UINT insertFlags, bool firstFrame)
{
    const int frame = g_appState.frameCount;
    const int sequence = CurrentSequenceIndex();
    if (sequence < 0 || frame >= MAX_FRAME_BITMAPS) return 0;
    if (InsertDibIntoBitmap(image, &g_appState.frameBitmaps[frame], insertFlags, 0, 0) != RESULT_OK) return 0;
    if (firstFrame) NotifyDocument(DOC_FRAME_FORMAT_SET);
    SetDefaultFrameFileName(frame);
    g_document.frameRecords[frame].frameState = 0;
    g_document.frameRecords[frame].attribute = 0;
    g_document.sequenceImages[sequence].offsetX[frame] = 0;
    g_document.sequenceImages[sequence].offsetY[frame] = 0;
    SetFrameCount(frame + 1);
    return 1;
}

ULONG_PTR AddFrame(void* p, ULONG_PTR n)
{
    if (g_appState.frameCount >= MAX_FRAME_BITMAPS) return 0;
    HGLOBAL dib = static_cast<HGLOBAL>(p);
    {
        GlobalLockGuard<BYTE> data(dib);
        ForeignDib checked;
        if (!ReadForeignDib(data.get(), dib ? GlobalSize(dib) : 0, false, &checked)) return 0;
    }
    const bool haveFrames = g_appState.frameCount > 0;
    return AppendConvFrame(dib, MapConvInsertFlags(static_cast<UINT>(n), haveFrames), !haveFrames);
}

// The transparent colour of an empty sequence from its first masked image:
// the first static colour it does not use, or, with Shift or Ctrl held, the
// user's choice.
uint8_t ChooseFirstTransparentCode(const ForeignDib& dib)
{
    const uint8_t proposed = UnusedStaticColor(dib);
    if (GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0) return proposed;
    const INT_PTR chosen = RunDialog(IDD_TRANSPARENT_COLOR, g_appState.mainWindow, proposed);
    return chosen >= 0 ? static_cast<uint8_t>(chosen) : proposed;
}

void SetTransparentCode(uint8_t code)
{
    SetSequenceTransparentCode(code);
    ApplyTransparentColorCode(code);
}

ULONG_PTR AddMaskedFrame(void* p, ULONG_PTR n)
{
    if (g_appState.frameCount >= MAX_FRAME_BITMAPS || CurrentSequenceIndex() < 0) return 0;
    HGLOBAL source = static_cast<HGLOBAL>(p);
    GlobalLockGuard<BYTE> data(source);
    ForeignDib dib;
    if (!ReadForeignDib(data.get(), source ? GlobalSize(source) : 0, true, &dib)) return 0;
    const bool intoEmpty = g_appState.frameCount == 0;
    const uint8_t code = intoEmpty ? ChooseFirstTransparentCode(dib) : GetSequenceTransparentCode();
    GlobalBlock image(ImageWithMaskColor(dib, TransparentEntry(code)));
    if (!image) return 0;
    UINT flags = MapConvInsertFlags(static_cast<UINT>(n), !intoEmpty);
    const bool threeColors = intoEmpty && dib.bits <= 3;
    if (threeColors) {
        // Two colours and the transparent one: the format is set here, so the
        // image only draws into it.
        SetColorFormat(COLORS_3, nullptr, 0);
        g_appState.frameWidth = dib.width < MAX_FRAME_SIZE ? dib.width : MAX_FRAME_SIZE;
        g_appState.frameHeight = dib.height < MAX_FRAME_SIZE ? dib.height : MAX_FRAME_SIZE;
        SetTransparentCode(code);
        flags &= ~(INSERT_FIRST_FRAME | INSERT_PALETTE_MODE_MASK);
    }
    if (!AppendConvFrame(image.Get(), flags, intoEmpty)) return 0;
    if (intoEmpty && !threeColors) SetTransparentCode(code);
    return 1;
}

// ---- frames out to the library ----------------------------------------------------------------

ULONG_PTR GetFrameBits(void* p, ULONG_PTR n)
{
    const int frame = static_cast<int>(n);
    auto* h = static_cast<BITMAPINFOHEADER*>(p);
    if (!IsFrame(frame) || !h || h->biSize < sizeof(BITMAPINFOHEADER) || !IsValidBitCount(h->biBitCount)) return 0;
    if (h->biWidth != g_appState.frameWidth || h->biHeight != g_appState.frameHeight) return 0;
    const int bits = h->biBitCount;
    if ((bits <= 8 && h->biClrUsed > (1u << bits)) || h->biClrUsed > 256) return 0;
    const int entries = h->biClrUsed ? static_cast<int>(h->biClrUsed) : bits <= 15 ? 1 << bits : 0;
    BYTE* rows = reinterpret_cast<BYTE*>(h) + h->biSize + entries * sizeof(RGBQUAD);
    // The rows are read with a table of the full size of our own, so the
    // caller's shorter table is never written past.
    InfoWithColors info{};
    info.header = *h;
    info.header.biSize = sizeof info.header;
    info.header.biCompression = BI_RGB;
    info.header.biClrUsed = 0;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return 0;
    const int got = GetDibBitsMapped(dc, g_appState.frameBitmaps[frame], 0, g_appState.frameHeight, &info.header, rows,
                                     g_appState.documentPalette);
    DeleteDC(dc);
    if (bits <= 8) memcpy(reinterpret_cast<BYTE*>(h) + h->biSize, info.colors, entries * sizeof(RGBQUAD));
    if (h->biClrUsed == 0 && bits <= 8) h->biClrUsed = entries;
    return got == g_appState.frameHeight ? 1 : 0;
}

ULONG_PTR GetFrameName(void* p, ULONG_PTR n)
{
    const int frame = static_cast<int>(n);
    if (frame < 0 || frame >= g_appState.frameCount || !p) return 0;
    const char* pattern = g_document.frameRecords[frame].name;
    if (!pattern) return 0;
    // The name is never used as a format: only its one "%d" or "%D" changes.
    FormatFrameFileName(static_cast<char*>(p), MAX_PATH, pattern, frame);
    return 1;
}

ULONG_PTR GetColorTable(void* p, ULONG_PTR n)
{
    auto* info = static_cast<BITMAPINFO*>(p);
    if (!info || (n != 2 && n != 4 && n != 8 && n != 24)) return 0;
    const int depth = static_cast<int>(n);
    info->bmiHeader.biBitCount = static_cast<WORD>(depth);
    int count = 0;
    if (depth <= 8 && g_appState.documentPalette) {
        const int size = static_cast<int>(GetPaletteEntries(g_appState.documentPalette, 0, 0, nullptr));
        count = (1 << depth) < size ? 1 << depth : size;
        // In palette entry order (red, green, blue, flags), as the library reads them.
        count = static_cast<int>(
            GetPaletteEntries(g_appState.documentPalette, 0, count, reinterpret_cast<PALETTEENTRY*>(info->bmiColors)));
    }
    info->bmiHeader.biClrUsed = info->bmiHeader.biClrImportant = count;
    return 1;
}

// An icon-style packed DIB of a frame at the wanted size: the image (1 bit in
// the two- and three-colour formats, 4 bits with 16 colours, else 8), then a
// 1-bit mask of the transparent colour; biHeight counts both.
ULONG_PTR GetIconImage(void* p, ULONG_PTR n)
{
    if (!p || g_appState.frameCount <= 0) return 0;
    int frame = static_cast<int>(n);
    if (frame < 0 || frame >= g_appState.frameCount) frame = g_appState.currentFrame;
    if (!IsFrame(frame)) return 0;
    auto* size = static_cast<uint32_t*>(p);
    int width = static_cast<int>(*size & 0xFFFF), height = static_cast<int>(*size >> 16);
    if (width == 0 || height == 0) {
        width = g_appState.frameWidth;
        height = g_appState.frameHeight;
    }
    if (width > MAX_ICON_SIDE || height > MAX_ICON_SIDE) return 0;
    const int count = g_appState.colorCount;
    const int bits = count <= COLORS_3 ? 1 : count == COLORS_16 ? 4 : 8;

    GlobalBlock frameDib(BitmapToPackedDib(g_appState.frameBitmaps[frame], 24));
    if (!frameDib) return 0;
    RGBQUAD table[256] = {};
    int entries = 0;
    if (g_appState.documentPalette) {
        PALETTEENTRY palette[256];
        entries = static_cast<int>(GetPaletteEntries(g_appState.documentPalette, 0, 1 << bits, palette));
        for (int i = 0; i < entries; ++i) table[i] = {palette[i].peBlue, palette[i].peGreen, palette[i].peRed, 0};
    }
    if (entries <= 0) return 0;
    const bool transparent = SequenceHasTransparentColor();
    const PALETTEENTRY key = TransparentEntry(GetSequenceTransparentCode());
    // Frames of 65536 colours hold five bits a channel.
    const int keyBits = g_appState.colorCount == COLORS_65536 ? 16 : 24;

    const uint32_t imageStride = DibStride(width, bits), maskStride = DibStride(width, 1);
    const uint64_t total = sizeof(BITMAPINFOHEADER) + uint64_t(1u << bits) * sizeof(RGBQUAD) +
                           (uint64_t(imageStride) + maskStride) * uint64_t(height);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(total));
    if (!block) return 0;
    {
        GlobalLockGuard<BYTE> out(block);
        GlobalLockGuard<BYTE> in(frameDib.Get());
        auto* h = DibHeader(out.get());
        *h = {sizeof *h, width, height * 2, 1, static_cast<WORD>(bits), BI_RGB,
              static_cast<DWORD>((imageStride + maskStride) * height), 0, 0, 0, 0};
        memcpy(out.get() + sizeof *h, table, (size_t(1) << bits) * sizeof(RGBQUAD));
        BYTE* image = out.get() + sizeof *h + (size_t(1) << bits) * sizeof(RGBQUAD);
        BYTE* mask = image + size_t(imageStride) * height;
        const BITMAPINFOHEADER* source = DibHeader(in.get());
        const uint32_t sourceStride = DibStride(source->biWidth, 24);
        for (int y = 0; y < height; ++y) {
            const BYTE* sourceRow = DibBits(in.get()) + size_t(int64_t(y) * source->biHeight / height) * sourceStride;
            for (int x = 0; x < width; ++x) {
                const BYTE* px = sourceRow + size_t(int64_t(x) * source->biWidth / width) * 3;
                const BYTE rgb[3] = {px[2], px[1], px[0]};
                // Where the mask lets the screen through, the image is black,
                // so the screen shows unchanged.
                if (transparent && SameDeep(rgb, key, keyBits)) {
                    DibPutPixel(mask + size_t(y) * maskStride, x, 1, 1);
                    continue;
                }
                DibPutPixel(image + size_t(y) * imageStride, x, bits, NearestColorIndex(table, rgb[0], rgb[1], rgb[2], entries));
            }
        }
    }
    *size = static_cast<uint32_t>(total);
    return reinterpret_cast<ULONG_PTR>(block);
}

// ---- settings, hot spots, palette -------------------------------------------------------------

ULONG_PTR SetSettings(void* p)
{
    HGLOBAL block = static_cast<HGLOBAL>(p);
    if (block != g_document.convSettings) {
        if (g_document.convSettings) GlobalFree(g_document.convSettings);
        g_document.convSettings = block;
    }
    return 1;
}

ULONG_PTR GetHotSpot(void* p, ULONG_PTR n)
{
    const int frame = FrameIndexOrCurrent(n);
    const int sequence = CurrentSequenceIndex();
    if (!p || sequence < 0 || frame >= g_appState.frameCount) return 0;
    const SequenceImages& images = g_document.sequenceImages[sequence];
    *static_cast<uint32_t*>(p) = (static_cast<uint32_t>(-images.offsetX[frame]) & 0xFFFF) |
                                 static_cast<uint32_t>(-images.offsetY[frame]) << 16;
    return 1;
}

// The offsets are 8-bit: a hot spot further out is kept at the nearest one that fits.
int8_t NegatedOffset(int16_t value)
{
    const int negated = -static_cast<int>(value);
    return static_cast<int8_t>(negated < INT8_MIN ? INT8_MIN : negated > INT8_MAX ? INT8_MAX : negated);
}

ULONG_PTR SetHotSpot(void* p, ULONG_PTR n)
{
    const int frame = FrameIndexOrCurrent(n);
    const int sequence = CurrentSequenceIndex();
    if (sequence < 0 || frame >= g_appState.frameCount) return 0;
    const auto value = static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(p));
    SequenceImages& images = g_document.sequenceImages[sequence];
    images.offsetX[frame] = NegatedOffset(static_cast<int16_t>(value & 0xFFFF));
    images.offsetY[frame] = NegatedOffset(static_cast<int16_t>(value >> 16));
    return 1;
}

ULONG_PTR ChangeFormat(void* p)
{
    const auto* change = static_cast<const ConvFormatChange*>(p);
    if (!change || !g_appState.hooks.changeFrameFormat) return 0;
    if (change->colors == COLORS_3 && !SequenceHasTransparentColor()) SetTransparentCode(THREE_COLOR_DEFAULT_TRANSPARENT);
    const UINT flags = (change->scaleImage ? 1u : 0u) | change->option << 1;
    return g_appState.hooks.changeFrameFormat(static_cast<int>(change->width), static_cast<int>(change->height),
                                              static_cast<int>(change->colors), flags)
               ? 1
               : 0;
}

// Pixels of one colour of the last frame in the sequence's transparent colour.
void RecolorLastFrame(const PALETTEENTRY& from, const PALETTEENTRY& to)
{
    const int frame = g_appState.frameCount - 1;
    const int bits = ColorCountToBits(g_appState.colorCount);
    GlobalBlock dib(BitmapToPackedDib(g_appState.frameBitmaps[frame], bits));
    if (!dib) return;
    {
        GlobalLockGuard<BYTE> locked(dib.Get());
        RecolorDib(locked.get(), from, to);
    }
    InsertDibIntoBitmap(dib.Get(), &g_appState.frameBitmaps[frame], INSERT_NO_DITHER, 0, 0);
}

ULONG_PTR SetTransparentColor(void* p)
{
    const auto* request = static_cast<const ConvTransparentColor*>(p);
    if (!request || !request->bgr || g_appState.frameCount <= 0 || !g_appState.documentPalette) return 0;
    PALETTEENTRY palette[256];
    const int size = static_cast<int>(GetPaletteEntries(g_appState.documentPalette, 0, 256, palette));
    if (size <= 0) return 0;
    const BYTE* bgr = request->bgr;
    const PALETTEENTRY color = palette[NearestColorSquared(palette, bgr[2], bgr[1], bgr[0], size, nullptr)];
    if (SequenceHasTransparentColor()) {
        const PALETTEENTRY current = TransparentEntry(GetSequenceTransparentCode());
        if (EntryColor(current) != EntryColor(color)) {
            RecolorLastFrame(color, current);
            return 1;
        }
    }
    int code = StaticCodeOfColor(EntryColor(color));
    if (code < 0) {
        code = NearestStaticColor(EntryColor(color));
        if (!request->noAsk) {
            const INT_PTR chosen = RunDialog(IDD_TRANSPARENT_COLOR, g_appState.mainWindow, code);
            if (chosen < 0) return 0;
            code = static_cast<int>(chosen);
        }
    }
    SetTransparentCode(static_cast<uint8_t>(code));
    return 1;
}

HWND OwnerOrMain(ULONG_PTR n) { return n ? reinterpret_cast<HWND>(n) : g_appState.mainWindow; }

ULONG_PTR ChooseColorIndex(void* p, ULONG_PTR n)
{
    const int start = static_cast<int>(reinterpret_cast<INT_PTR>(p));
    const int dialog = g_appState.colorCount < COLORS_256 ? IDD_REPLACE_CURRENT_COLOR : IDD_REPLACE_PALETTE_COLOR;
    int index = static_cast<int>(RunDialog(dialog, OwnerOrMain(n), start));
    // The 16-cell picker counts the cells of a small format; a fuller display
    // palette holds its upper eight at the far end.
    if (index >= 0 && g_appState.colorCount <= COLORS_16 && g_appState.displayColorCount > COLORS_16) {
        if (IsSystemPaletteMode() && index > 11) index -= 4;
        if (index > 7) index += 240;
    }
    return static_cast<ULONG_PTR>(static_cast<INT_PTR>(index));
}

ULONG_PTR ChooseTransparentColor(ULONG_PTR n)
{
    const INT_PTR chosen = RunDialog(IDD_TRANSPARENT_COLOR, OwnerOrMain(n), GetSequenceTransparentCode());
    if (chosen >= 0) SetTransparentCode(static_cast<uint8_t>(chosen));
    return GetSequenceTransparentCode();
}

ULONG_PTR SetFrameName(void* p, ULONG_PTR n)
{
    const int frame = static_cast<int>(n & 0xFF);
    const auto attribute = static_cast<uint8_t>((n >> 8) & 0xFF);
    if (frame >= g_appState.frameCount || !p) return 0;
    if (attribute) g_document.frameRecords[frame].attribute = attribute;
    SetFrameFileName(frame, static_cast<const char*>(p));
    return reinterpret_cast<ULONG_PTR>(g_document.frameRecords[frame].name);
}

}  // namespace

int ApplyConvMenuRequest(const ConvMenuRequest* request)
{
    HMENU menu = g_appState.mainMenu;
    if (!request || !menu) return 0;
    BOOL done;
    switch (request->op) {
    case CONV_MENU_REMOVE: done = RemoveMenu(menu, request->position, request->flags); break;
    case CONV_MENU_INSERT:
        done = InsertMenuA(menu, request->position, request->flags, request->newId, request->text);
        break;
    case CONV_MENU_MODIFY:
        done = ModifyMenuA(menu, request->position, request->flags, request->newId, request->text);
        break;
    default: return 0;
    }
    g_menuChanged = true;
    return done ? 1 : 0;
}

bool TakeConvMenuChanged()
{
    const bool changed = g_menuChanged;
    g_menuChanged = false;
    return changed;
}

ULONG_PTR WINAPI HandleConvRequest(UINT request, void* p, ULONG_PTR n)
{
    switch (request) {
    case CONV_REQ_QUERY: return Query(static_cast<UINT>(n), p);
    case CONV_REQ_ADD_FRAME: return AddFrame(p, n);
    case CONV_REQ_GET_FRAME_BITS: return GetFrameBits(p, n);
    case CONV_REQ_GET_FRAME_NAME: return GetFrameName(p, n);
    case CONV_REQ_CHOOSE_FILE: {
        if (!p || !g_appState.hooks.chooseFile) return 0;
        char path[MAX_PATH];
        lstrcpynA(path, static_cast<const char*>(p), sizeof path);  // in: the filter
        int type = 0;
        if (!g_appState.hooks.chooseFile(reinterpret_cast<HWND>(n), 0, IDS_TITLE_CONV_FILE, 0, path, &type)) return 0;
        lstrcpynA(static_cast<char*>(p), path, MAX_PATH);
        return 1;
    }
    case CONV_REQ_GET_PALETTE: {
        if (!p) return 0;
        HPALETTE palette = n == 0 ? g_appState.documentPalette : g_appState.displayPalette;
        *static_cast<HPALETTE*>(p) = palette;
        return palette ? 1 : 0;
    }
    case CONV_REQ_GET_COLOR_TABLE: return GetColorTable(p, n);
    case CONV_REQ_GET_ICON_IMAGE: return GetIconImage(p, n);
    case CONV_REQ_ADD_FRAME_MASKED: return AddMaskedFrame(p, n);
    case CONV_REQ_GET_SETTINGS:
        if (p) *static_cast<HGLOBAL*>(p) = g_document.convSettings;
        return g_document.conversionFormat;
    case CONV_REQ_SET_SETTINGS: return SetSettings(p);
    case CONV_REQ_GET_HOTSPOT: return GetHotSpot(p, n);
    case CONV_REQ_SET_HOTSPOT: return SetHotSpot(p, n);
    case CONV_REQ_MENU_ITEM: return ApplyConvMenuRequest(static_cast<const ConvMenuRequest*>(p));
    case CONV_REQ_GET_FRAME_BITMAP: {
        const int frame = static_cast<int>(n);
        if (!p || !IsFrame(frame)) return 0;
        *static_cast<HBITMAP*>(p) = g_appState.frameBitmaps[frame];
        return reinterpret_cast<ULONG_PTR>(g_appState.memoryDC);
    }
    case CONV_REQ_CHANGE_FORMAT: return ChangeFormat(p);
    case CONV_REQ_SET_TRANSPARENT_COLOR: return SetTransparentColor(p);
    case CONV_REQ_CHOOSE_COLOR: return ChooseColorIndex(p, n);
    case CONV_REQ_CHOOSE_TRANSPARENT_COLOR: return ChooseTransparentColor(n);
    case CONV_REQ_SET_FRAME_NAME: return SetFrameName(p, n);
    default: return 0;  // 1 and 18 among them
    }
}
