// Colour reduction onto palettes of at most 256 colours.
#include "ColorReduction.h"
#include "AppState.h"
#include "PackedDib.h"
#include "Palette.h"
#include "RowCodes.h"
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

WORD NearestColorIndex(const RGBQUAD* table, int red, int green, int blue, int count)
{
    if (!table || count <= 0) return NO_NEAREST_COLOR;
    int best = 0, bestDistance = INT32_MAX;
    for (int i = 0; i < count; ++i) {
        int d = abs(table[i].rgbBlue - blue);
        if (d >= bestDistance) continue;
        d += abs(table[i].rgbGreen - green);
        if (d >= bestDistance) continue;
        d += abs(table[i].rgbRed - red);
        if (d >= bestDistance) continue;
        best = i;
        bestDistance = d;
        if (d < 2) break;
    }
    return static_cast<WORD>(best);
}

void BuildColorTable(HPALETTE source, RGBQUAD* table, int entries, bool onlyStatics)
{
    if (entries <= 0) return;
    memset(table, 0, entries * sizeof(RGBQUAD));
    PALETTEENTRY system[SYSTEM_PALETTE_SIZE];
    GetSystemDefaultColors(system);
    int n = onlyStatics ? 8 : 10;
    if (n > entries / 2) n = entries / 2;
    auto quad = [](const PALETTEENTRY& e) { return RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0}; };
    for (int i = 0; i < n; ++i) {
        table[i] = quad(system[i]);
        table[entries - n + i] = quad(system[SYSTEM_PALETTE_SIZE - n + i]);
    }
    if (onlyStatics) return;
    const int middle = entries - 2 * n;
    if (!source) {
        StandardPaletteToRgbQuads(table + n, middle);
        return;
    }
    PALETTEENTRY own[STANDARD_PALETTE_SIZE];
    WORD size = 0;
    GetObjectA(source, sizeof size, &size);
    if (size > STANDARD_PALETTE_SIZE) size = STANDARD_PALETTE_SIZE;
    const int got = size > 8 ? static_cast<int>(GetPaletteEntries(source, 8, size - 8, own)) : 0;
    for (int k = 0; k < middle && k < got; ++k) table[n + k] = quad(own[k]);
}

HGLOBAL AllocColorHistogram() { return GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, COLOR_HISTOGRAM_BYTES); }

// ---- building a palette ----

namespace {

struct PaletteBuilder {
    RGBQUAD* table;
    int entries;
    int next;   // next free index
    int limit;  // first of the closing static entries
};

bool SameQuad(const RGBQUAD& a, const RGBQUAD& b)
{
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

// False only when the table is full; a colour already present is skipped.
bool AddPaletteColor(PaletteBuilder& b, int redLevel, int greenLevel, int blueLevel, bool checkDuplicates)
{
    if (b.next >= b.limit) return false;
    const RGBQUAD c{static_cast<BYTE>(LevelValue(blueLevel)), static_cast<BYTE>(LevelValue(greenLevel)),
                    static_cast<BYTE>(LevelValue(redLevel)), 0};
    for (int i = 0; i < 8; ++i)
        if (SameQuad(b.table[i], c)) return true;
    for (int i = b.limit; i < b.limit + 8 && i < b.entries; ++i)
        if (SameQuad(b.table[i], c)) return true;
    if (checkDuplicates)
        for (int i = 10; i < b.next; ++i)
            if (SameQuad(b.table[i], c)) return true;
    b.table[b.next++] = c;
    return true;
}

struct CubeBox {
    int low[3];   // red, green, blue levels
    int high[3];
};

inline int CellOfLevels(int r, int g, int b) { return r << 10 | g << 5 | b; }

template <typename Visit>
void ForEachCell(const CubeBox& box, Visit visit)
{
    for (int r = box.low[0]; r <= box.high[0]; ++r)
        for (int g = box.low[1]; g <= box.high[1]; ++g)
            for (int b = box.low[2]; b <= box.high[2]; ++b) visit(r, g, b, CellOfLevels(r, g, b));
}

void MedianCut(const uint32_t* histogram, PaletteBuilder& builder, CubeBox box, int depth, uint64_t count)
{
    while (count > 0) {
        const int range[3] = {box.high[0] - box.low[0], box.high[1] - box.low[1], box.high[2] - box.low[2]};
        if (range[0] == 0 && range[1] == 0 && range[2] == 0) {
            if (histogram[CellOfLevels(box.low[0], box.low[1], box.low[2])])
                AddPaletteColor(builder, box.low[0], box.low[1], box.low[2], false);
            return;
        }
        if (depth <= 1) {
            uint64_t sum[3] = {};
            ForEachCell(box, [&](int r, int g, int b, int cell) {
                sum[0] += uint64_t(r) * histogram[cell];
                sum[1] += uint64_t(g) * histogram[cell];
                sum[2] += uint64_t(b) * histogram[cell];
            });
            AddPaletteColor(builder, static_cast<int>((sum[0] + count / 2) / count), static_cast<int>((sum[1] + count / 2) / count),
                            static_cast<int>((sum[2] + count / 2) / count), false);
            return;
        }
        depth /= 2;
        const int axis = (range[2] > range[0] && range[2] > range[1]) ? 2 : range[1] > range[0] ? 1 : 0;
        uint64_t planes[32] = {};
        ForEachCell(box, [&](int r, int g, int b, int cell) {
            const int level[3] = {r, g, b};
            planes[level[axis]] += histogram[cell];
        });
        uint64_t lowerCount = 0;
        int cut = box.low[axis];
        for (; cut <= box.high[axis]; ++cut) {
            lowerCount += planes[cut];
            if (lowerCount * 2 >= count) break;
        }
        // When only the last plane brings the half, the lower box would be the
        // whole box and its colours would end up averaged: split before it.
        if (cut >= box.high[axis]) {
            cut = box.high[axis] - 1;
            lowerCount = count - planes[box.high[axis]];
        }
        CubeBox lower = box;
        lower.high[axis] = cut;
        if (lowerCount > 0) MedianCut(histogram, builder, lower, depth, lowerCount);
        box.low[axis] = cut + 1;
        count -= lowerCount;
    }
}

void AddPopularColors(const uint32_t* histogram, PaletteBuilder& builder, uint32_t bandStart)
{
    for (uint64_t band = bandStart; band >= 1; band /= 2) {
        // Cells 0 and 32767 (black and white) are static colours anyway.
        for (int cell = COLOR_CUBE_CELLS - 2; cell >= 1; --cell) {
            const uint64_t n = histogram[cell];
            if (n < band || n >= 2 * band) continue;
            if (!AddPaletteColor(builder, cell >> 10, (cell >> 5) & 31, cell & 31, true)) return;
        }
    }
}

uint32_t QuadKey(const RGBQUAD& q)
{
    return uint32_t(q.rgbReserved) << 24 | uint32_t(q.rgbRed) << 16 | uint32_t(q.rgbGreen) << 8 | q.rgbBlue;
}

}  // namespace

int BuildPaletteFromHistogram(const uint32_t* histogram, RGBQUAD* table, int entries, uint32_t pixelCount,
                              uint32_t bandStart)
{
    BuildColorTable(nullptr, table, entries, false);
    PaletteBuilder builder{table, entries, 10, entries - 8};
    if (pixelCount > 0) {
        MedianCut(histogram, builder, CubeBox{{0, 0, 0}, {31, 31, 31}}, entries, pixelCount);
    } else {
        AddPopularColors(histogram, builder, bandStart < 256 ? 65536 : bandStart);
    }
    if (builder.next > 10)
        std::sort(table + 10, table + builder.next,
                  [](const RGBQUAD& a, const RGBQUAD& b) { return QuadKey(a) < QuadKey(b); });
    return builder.next;
}

// ---- mapping pixels ----

namespace {

// NearestCache: one palette index per cell.
class NearestCache {
public:
    NearestCache(const RGBQUAD* table, int count) : table_(table), count_(count), cells_(new (std::nothrow) BYTE[COLOR_CUBE_CELLS])
    {
        if (cells_) memset(cells_.get(), NEAREST_NOT_COMPUTED, COLOR_CUBE_CELLS);
    }
    explicit operator bool() const { return cells_ != nullptr; }
    BYTE Nearest(int r, int g, int b) const { return static_cast<BYTE>(NearestColorIndex(table_, r, g, b, count_)); }
    BYTE NearestOfCell(int cell) const
    {
        return Nearest(LevelValue(cell >> 10), LevelValue((cell >> 5) & 31), LevelValue(cell & 31));
    }
    void Fill(int cell) { cells_[cell] = NearestOfCell(cell); }
    BYTE Stored(int cell) const { return cells_[cell]; }
    // Looks the cell up on first use.
    BYTE Lookup(int cell)
    {
        BYTE& c = cells_[cell];
        if (c == NEAREST_NOT_COMPUTED) c = NearestOfCell(cell);
        return c;
    }
    const RGBQUAD& Entry(int index) const { return table_[index]; }
private:
    const RGBQUAD* table_;
    int count_;
    std::unique_ptr<BYTE[]> cells_;
};

inline BYTE Clamp255(int v) { return static_cast<BYTE>(v < 0 ? 0 : v > 255 ? 255 : v); }

// Maps one working row (blue, green, red bytes) to palette indexes, spreading
// each pixel's error 3/8 to the right, 3/8 to the next row and 1/4 to the next
// row's right neighbour. `next` is null on the last row. A cell not in the
// cache is searched for the exact colour (exactOnMiss) or filled in.
void MapRowDithered(BYTE* row, BYTE* next, int width, NearestCache& cache, bool exactOnMiss, BYTE* out)
{
    for (int x = 0; x < width; ++x) {
        BYTE* p = row + 3 * x;
        const int cell = ColorCell(p[2], p[1], p[0]);
        BYTE index = exactOnMiss ? cache.Stored(cell) : cache.Lookup(cell);
        if (index == NEAREST_NOT_COMPUTED) index = cache.Nearest(p[2], p[1], p[0]);
        out[x] = index;
        const RGBQUAD& e = cache.Entry(index);
        const int error[3] = {p[0] - e.rgbBlue, p[1] - e.rgbGreen, p[2] - e.rgbRed};
        for (int c = 0; c < 3; ++c) {
            const int e38 = error[c] * 3 / 8, e14 = error[c] / 4;
            if (x + 1 < width) p[3 + c] = Clamp255(p[3 + c] + e38);
            if (next) {
                next[3 * x + c] = Clamp255(next[3 * x + c] + e38);
                if (x + 1 < width) next[3 * x + 3 + c] = Clamp255(next[3 * x + 3 + c] + e14);
            }
        }
    }
}

// Reads 16-, 24- or 32-bit rows into blue, green, red working rows.
class RowExpander {
public:
    bool Init(const BITMAPINFOHEADER* header, DWORD flags)
    {
        bits_ = header->biBitCount;
        if (bits_ != 16 && bits_ != 24 && bits_ != 32) return false;
        DWORD masks[3] = {0xFF0000, 0xFF00, 0xFF};
        if (bits_ == 16) {
            masks[0] = 0x7C00;
            masks[1] = 0x3E0;
            masks[2] = 0x1F;
        }
        if (bits_ != 24 && ((flags & QUANTIZE_MASKS_FOLLOW) || header->biCompression == BI_BITFIELDS))
            memcpy(masks, reinterpret_cast<const BYTE*>(header) + header->biSize, sizeof masks);
        for (int c = 0; c < 3; ++c) {
            mask_[c] = masks[c];
            int high = 31;
            while (high >= 0 && !(masks[c] & (1u << high))) --high;
            shift_[c] = high - 7;  // brings the mask's highest bit to bit 7
        }
        return true;
    }
    void Expand(const BYTE* source, int width, BYTE* out) const
    {
        if (bits_ == 24) {
            memcpy(out, source, size_t(width) * 3);
            return;
        }
        for (int x = 0; x < width; ++x) {
            uint32_t pixel;
            if (bits_ == 16) pixel = source[2 * x] | source[2 * x + 1] << 8;
            else memcpy(&pixel, source + 4 * x, 4);
            for (int c = 0; c < 3; ++c) {
                const uint32_t v = pixel & mask_[c];
                int value = static_cast<int>(shift_[c] >= 0 ? v >> shift_[c] : v << -shift_[c]) & 0xFF;
                if (bits_ == 16 && value) value = value == 248 ? 255 : value + 4 > 255 ? 255 : value + 4;
                out[3 * x + 2 - c] = static_cast<BYTE>(value);
            }
        }
    }
private:
    int bits_ = 0;
    uint32_t mask_[3] = {};
    int shift_[3] = {};
};

}  // namespace

HGLOBAL QuantizeDibTo8Bit(DWORD flags, const BITMAPINFOHEADER* header, const BYTE* bits, int width, int height,
                          HPALETTE palette)
{
    if (!header || !bits || width < 1 || height < 1 || width > header->biWidth || height > abs(header->biHeight))
        return nullptr;
    RowExpander expander;
    if (!expander.Init(header, flags)) return nullptr;
    const uint32_t sourceStride = DibStride(header->biWidth, header->biBitCount);
    GlobalBlock histogramBlock(AllocColorHistogram());
    std::unique_ptr<BYTE[]> work(new (std::nothrow) BYTE[size_t(width) * 6]);
    if (!histogramBlock || !work) return nullptr;
    GlobalLockGuard<uint32_t> histogram(histogramBlock.Get());
    uint32_t* counts = histogram.get();
    BYTE* row = work.get();
    BYTE* nextRow = work.get() + size_t(width) * 3;

    uint32_t bandStart = 2048;
    for (int y = 0; y < height; ++y) {
        expander.Expand(bits + size_t(y) * sourceStride, width, row);
        for (int x = 0; x < width; ++x) {
            const int cell = ColorCell(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
            CountColorCell(counts, cell);
            if (counts[cell] == bandStart && cell != 0 && cell != COLOR_CUBE_CELLS - 1) bandStart *= 2;
        }
    }

    GlobalBlock out(CreateImageDib(width, height, 8, nullptr, 256));
    if (!out) return nullptr;
    GlobalLockGuard<BYTE> locked(out.Get());
    BITMAPINFOHEADER* h = DibHeader(locked.get());
    h->biXPelsPerMeter = QUANTIZED_PELS_PER_METER;
    h->biYPelsPerMeter = QUANTIZED_PELS_PER_METER;
    h->biClrUsed = 256;
    RGBQUAD* table = DibColors(locked.get());
    if ((flags & QUANTIZE_USE_PALETTE) || !(flags & QUANTIZE_BUILD_PALETTE)) {
        BuildColorTable(palette, table, 256, false);
    } else if (flags & QUANTIZE_KEEP_STANDARD) {
        BuildColorTable(nullptr, table, 256, false);
    } else {
        const uint32_t pixels = (flags & QUANTIZE_MEDIAN_CUT) ? uint32_t(width) * height : 0;
        BuildPaletteFromHistogram(counts, table, 256, pixels, bandStart < 256 ? 16384 : bandStart);
    }

    NearestCache cache(table, 256);
    if (!cache) return nullptr;
    for (int cell = 0; cell < COLOR_CUBE_CELLS; ++cell)
        if (counts[cell]) cache.Fill(cell);

    BYTE* outBits = DibBits(locked.get());
    const uint32_t outStride = DibStride(width, 8);
    const bool dither = flags & QUANTIZE_DITHER;
    if (dither) expander.Expand(bits, width, row);
    for (int y = 0; y < height; ++y) {
        BYTE* out8 = outBits + size_t(y) * outStride;
        if (!dither) {
            expander.Expand(bits + size_t(y) * sourceStride, width, row);
            for (int x = 0; x < width; ++x) out8[x] = cache.Stored(ColorCell(row[3 * x + 2], row[3 * x + 1], row[3 * x]));
            continue;
        }
        const bool last = y + 1 == height;
        if (!last) expander.Expand(bits + size_t(y + 1) * sourceStride, width, nextRow);
        MapRowDithered(row, last ? nullptr : nextRow, width, cache, true, out8);
        std::swap(row, nextRow);
    }
    return out.Release();
}

bool RemapDib8(BITMAPINFOHEADER* header, RGBQUAD* colors, BYTE* bits, uint32_t capacity, bool dither,
               HPALETTE palette)
{
    if (!header || !colors || !bits || header->biBitCount != 8 || header->biWidth < 1 || header->biHeight == 0 ||
        header->biWidth > MAX_FRAME_SIZE || abs(header->biHeight) > MAX_FRAME_SIZE)
        return false;
    const bool rle = header->biCompression == BI_RLE8;
    if (!rle && header->biCompression != BI_RGB) return false;
    if (rle && header->biHeight < 0) return false;
    const int width = header->biWidth, height = abs(header->biHeight);
    const uint32_t stride = DibStride(width, 8);
    const uint32_t frameBytes = stride * height;
    if (capacity < frameBytes) return false;

    // The old colours as 5-5-5 cells.
    int entries = header->biClrUsed ? static_cast<int>(header->biClrUsed) : 256;
    if (entries > 256) entries = 256;
    int oldCells[256] = {};
    for (int i = 0; i < entries; ++i) oldCells[i] = ColorCell(colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue);

    std::unique_ptr<BYTE[]> expanded;
    const BYTE* source = bits;
    if (rle) {
        expanded.reset(new (std::nothrow) BYTE[frameBytes]);
        if (!expanded) return false;
        uint32_t length = header->biSizeImage;
        if (length == 0 || length > capacity) length = capacity;
        if (!DecodeDibRle(bits, length, *header, expanded.get())) return false;
        source = expanded.get();
    }

    RGBQUAD table[256];
    BuildColorTable(palette, table, 256, false);
    NearestCache cache(table, 256);
    std::unique_ptr<BYTE[]> work(new (std::nothrow) BYTE[size_t(width) * 6]);
    if (!cache || !work) return false;
    BYTE* row = work.get();
    BYTE* nextRow = work.get() + size_t(width) * 3;
    // Working rows hold each pixel's representative colour.
    auto load = [&](int y, BYTE* out) {
        const BYTE* s = source + size_t(y) * stride;
        for (int x = 0; x < width; ++x) {
            const int cell = oldCells[s[x]];
            out[3 * x] = static_cast<BYTE>(LevelValue(cell & 31));
            out[3 * x + 1] = static_cast<BYTE>(LevelValue((cell >> 5) & 31));
            out[3 * x + 2] = static_cast<BYTE>(LevelValue(cell >> 10));
        }
    };
    if (dither) load(0, row);
    for (int y = 0; y < height; ++y) {
        BYTE* out8 = bits + size_t(y) * stride;
        if (!dither) {
            const BYTE* s = source + size_t(y) * stride;
            for (int x = 0; x < width; ++x) out8[x] = cache.Lookup(oldCells[s[x]]);
            continue;
        }
        const bool last = y + 1 == height;
        if (!last) load(y + 1, nextRow);
        MapRowDithered(row, last ? nullptr : nextRow, width, cache, false, out8);
        std::swap(row, nextRow);
    }
    memcpy(colors, table, sizeof table);
    header->biClrUsed = 256;
    header->biCompression = BI_RGB;
    header->biSizeImage = frameBytes;
    return true;
}

// ---- reading bitmaps and drawing DIBs ----

namespace {

int PaletteToQuads(HPALETTE palette, RGBQUAD* table, int room)
{
    if (!palette) palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    PALETTEENTRY entries[256];
    WORD size = 0;
    GetObjectA(palette, sizeof size, &size);
    int n = size < room ? size : room;
    n = static_cast<int>(GetPaletteEntries(palette, 0, n, entries));
    for (int i = 0; i < n; ++i) table[i] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    return n;
}

}  // namespace

int GetDibBitsMapped(HDC dc, HBITMAP bitmap, UINT firstRow, UINT rows, BITMAPINFOHEADER* header, BYTE* bits,
                     HPALETTE palette)
{
    if (!dc || !bitmap || !header || !bits) return 0;
    const int depth = header->biBitCount;
    auto* colors = reinterpret_cast<RGBQUAD*>(reinterpret_cast<BYTE*>(header) + header->biSize);
    if (depth != 4 && depth != 8) {
        header->biCompression = BI_RGB;
        return GetDIBits(dc, bitmap, firstRow, rows, bits, reinterpret_cast<BITMAPINFO*>(header), DIB_RGB_COLORS);
    }
    RGBQUAD table[256] = {};
    const int entries = PaletteToQuads(palette, table, 1 << depth);
    if (entries <= 0) return 0;
    const int width = header->biWidth;
    const uint32_t stride = DibStride(width, depth);
    header->biCompression = BI_RGB;
    int got = 0;
    NearestCache cache(table, entries);
    if (!cache) return 0;

    if (g_appState.bitmapMode.dibColorLookup) {
        // 5-5-5 rows are the colour cube's own cells: one search per cell.
        struct { BITMAPINFOHEADER h; DWORD masks[3]; } wide{};
        wide.h = *header;
        wide.h.biBitCount = 16;
        wide.h.biClrUsed = 0;
        wide.h.biSizeImage = 0;
        const uint32_t wideStride = DibStride(width, 16);
        std::unique_ptr<BYTE[]> rowsOf16(new (std::nothrow) BYTE[size_t(wideStride) * rows]);
        if (!rowsOf16) return 0;
        got = GetDIBits(dc, bitmap, firstRow, rows, rowsOf16.get(), reinterpret_cast<BITMAPINFO*>(&wide), DIB_RGB_COLORS);
        for (int y = 0; y < got; ++y) {
            const BYTE* s = rowsOf16.get() + size_t(y) * wideStride;
            BYTE* d = bits + size_t(y) * stride;
            for (int x = 0; x < width; ++x) DibPutPixel(d, x, depth, cache.Lookup((s[2 * x] | s[2 * x + 1] << 8) & 0x7FFF));
        }
    } else {
        memcpy(colors, table, entries * sizeof(RGBQUAD));
        header->biClrUsed = entries;
        HPALETTE old = palette ? SelectPalette(dc, palette, TRUE) : nullptr;
        if (palette) RealizePalette(dc);
        got = GetDIBits(dc, bitmap, firstRow, rows, bits, reinterpret_cast<BITMAPINFO*>(header), DIB_RGB_COLORS);
        if (old) SelectPalette(dc, old, TRUE);
        // The system may answer with a colour table of its own: bring its
        // indexes onto the palette's.
        int map[256];
        bool same = true;
        for (int i = 0; i < (1 << depth); ++i) {
            const RGBQUAD& c = colors[i];
            map[i] = NearestColorIndex(table, c.rgbRed, c.rgbGreen, c.rgbBlue, entries);
            if (i < entries && !SameQuad(c, table[i])) same = false;
        }
        if (!same)
            for (int y = 0; y < got; ++y) {
                BYTE* d = bits + size_t(y) * stride;
                for (int x = 0; x < width; ++x) DibPutPixel(d, x, depth, map[DibPixelAt(d, x, depth)]);
            }
    }
    // The system clears biClrUsed on the way; the table holds the palette's entries.
    memcpy(colors, table, entries * sizeof(RGBQUAD));
    header->biClrUsed = entries;
    header->biSizeImage = stride * abs(header->biHeight);
    return got;
}

BOOL StretchDibToPalette(HDC dc, const RECT& destination, const RECT& source, const BITMAPINFOHEADER* header,
                         const BYTE* bits, HPALETTE palette, int mode)
{
    if (!dc || !header || !bits) return FALSE;
    const int height = abs(header->biHeight);
    const bool ownColors = mode & STRETCH_OWN_COLORS;
    const bool dither = (mode & STRETCH_DITHER) && !ownColors;
    struct { BITMAPINFOHEADER h; RGBQUAD colors[256]; } info{};
    info.h = *header;
    const int entries = DibColorEntries(info.h) > 0 ? DibColorEntries(info.h) : 0;
    const int masks = (header->biCompression == BI_BITFIELDS) ? 3 : 0;
    memcpy(info.colors, reinterpret_cast<const BYTE*>(header) + header->biSize, (entries + masks) * sizeof(RGBQUAD));
    const BYTE* drawBits = bits;
    std::unique_ptr<BYTE[]> remapped;
    GlobalBlock reduced;
    if (header->biBitCount == 8 && !ownColors &&
        (dither || (mode & STRETCH_REMAP) || g_appState.bitmapMode.dibColorLookup)) {
        const uint32_t frameBytes = DibStride(header->biWidth, 8) * height;
        const uint32_t stored = header->biCompression == BI_RLE8 ? header->biSizeImage : frameBytes;
        const uint32_t capacity = stored > frameBytes ? stored : frameBytes;
        remapped.reset(new (std::nothrow) BYTE[capacity]);
        if (remapped) {
            memcpy(remapped.get(), bits, stored);
            if (RemapDib8(&info.h, info.colors, remapped.get(), capacity, dither, palette)) drawBits = remapped.get();
            else info.h = *header;
        }
    } else if (header->biBitCount > 8 && dither) {
        reduced.Reset(QuantizeDibTo8Bit(QUANTIZE_DITHER | QUANTIZE_USE_PALETTE, header, bits, header->biWidth, height,
                                        palette));
        if (reduced) {
            BYTE* p = static_cast<BYTE*>(GlobalLock(reduced.Get()));
            memcpy(&info, p, sizeof info);
            remapped.reset(new (std::nothrow) BYTE[DibStride(header->biWidth, 8) * height]);
            if (remapped) {
                memcpy(remapped.get(), DibBits(p), DibStride(header->biWidth, 8) * height);
                drawBits = remapped.get();
            } else {
                info.h = *header;
            }
            GlobalUnlock(reduced.Get());
        }
    }
    info.h.biSize = sizeof info.h;  // the colours follow the plain header in the copy
    HPALETTE old = palette ? SelectPalette(dc, palette, TRUE) : nullptr;
    if (palette) RealizePalette(dc);
    // Bottom-up images count source rows from the bottom.
    const int sourceY = info.h.biHeight > 0 ? height - source.bottom : source.top;
    const int lines = StretchDIBits(dc, destination.left, destination.top, destination.right - destination.left,
                                    destination.bottom - destination.top, source.left, sourceY,
                                    source.right - source.left, source.bottom - source.top, drawBits,
                                    reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY);
    if (old) SelectPalette(dc, old, TRUE);
    return lines > 0;
}
