// The animation's logical palette and the engine's default colour set.
#include "AnimationContext.h"
#include "AnimSource.h"
#include "BmxFile.h"
#include <cstdlib>
#include <cstring>

const PALETTEENTRY kStaticColors[16] = {
    {0, 0, 0, 0},       {128, 0, 0, 0},   {0, 128, 0, 0},   {128, 128, 0, 0},
    {0, 0, 128, 0},     {128, 0, 128, 0}, {0, 128, 128, 0}, {192, 192, 192, 0},
    {128, 128, 128, 0}, {255, 0, 0, 0},   {0, 255, 0, 0},   {255, 255, 0, 0},
    {0, 0, 255, 0},     {255, 0, 255, 0}, {0, 255, 255, 0}, {255, 255, 255, 0},
};

namespace {

constexpr int SYSTEM_STATIC_COLORS = 20;
constexpr int FIRST_FREE_ENTRY = 8;
constexpr int LAST_FREE_ENTRY = 247;
constexpr int FIRST_MERGED_TABLE_ENTRY = 10;  // the editor's tables hold the 20 system colours at their ends

PALETTEENTRY Rgb(int r, int g, int b) { return {static_cast<BYTE>(r), static_cast<BYTE>(g), static_cast<BYTE>(b), 0}; }

// Every colour the engine writes into a logical palette keeps only the upper
// six bits of each component, so that equal-looking colours collapse alike on
// every display.
PALETTEENTRY PaletteColor(BYTE r, BYTE g, BYTE b) { return {BYTE(r & 0xFC), BYTE(g & 0xFC), BYTE(b & 0xFC), PC_NOCOLLAPSE}; }

bool SameColor(const PALETTEENTRY& a, const PALETTEENTRY& b)
{
    return a.peRed == b.peRed && a.peGreen == b.peGreen && a.peBlue == b.peBlue;
}

int ColorDistance(const PALETTEENTRY& a, const PALETTEENTRY& b)
{
    return abs(a.peRed - b.peRed) + abs(a.peGreen - b.peGreen) + abs(a.peBlue - b.peBlue);
}

// The entry among first..last nearest to `color` (earlier entries win ties; a
// distance below 2 is taken at once).
int NearestEntry(const PALETTEENTRY* entries, int first, int last, const PALETTEENTRY& color)
{
    int best = first, bestDistance = INT_MAX;
    for (int i = first; i <= last; ++i) {
        const int d = ColorDistance(entries[i], color);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
            if (d < 2) break;
        }
    }
    return best;
}

void SystemStaticColors(PALETTEENTRY out[SYSTEM_STATIC_COLORS])
{
    memset(out, 0, SYSTEM_STATIC_COLORS * sizeof(PALETTEENTRY));
    GetPaletteEntries(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), 0, SYSTEM_STATIC_COLORS, out);
}

HPALETTE CreateLogicalPalette(const PALETTEENTRY* entries, int count)
{
    struct {
        WORD version;
        WORD count;
        PALETTEENTRY entries[256];
    } logical{0x300, static_cast<WORD>(count), {}};
    for (int i = 0; i < count; ++i)
        logical.entries[i] = PaletteColor(entries[i].peRed, entries[i].peGreen, entries[i].peBlue);
    return CreatePalette(reinterpret_cast<LOGPALETTE*>(&logical));
}

// The largest colour count of the animation's sequences, read unsigned so
// that -1 (more than 256 colours) counts as the largest.
int LargestSequenceColorCount(const AnimationContext* c)
{
    int largest = 0;
    for (int i = 0; i < c->header.sequenceCount && i < MAX_SEQUENCES; ++i) {
        const int count = static_cast<uint16_t>(c->sequences[i].colorCount);
        if (count > largest) largest = count;
    }
    return largest;
}

void RealizeOnDesktop(HPALETTE palette)
{
    HWND desktop = GetDesktopWindow();
    HDC dc = GetDC(desktop);
    if (!dc) return;
    HPALETTE old = SelectPalette(dc, palette, FALSE);
    RealizePalette(dc);
    if (old) SelectPalette(dc, old, FALSE);
    ReleaseDC(desktop, dc);
}

}  // namespace

void SetStaticPaletteColors(PALETTEENTRY* entries, int count)
{
    const int each = count / 2 < 8 ? count / 2 : 8;
    for (int i = 0; i < each; ++i) {
        entries[i] = kStaticColors[i];
        entries[count - each + i] = kStaticColors[16 - each + i];
    }
}

void FillDefaultPalette(PALETTEENTRY e[256])
{
    memset(e, 0, 256 * sizeof(PALETTEENTRY));
    SetStaticPaletteColors(e, 256);
    for (int i = 0; i < 7; ++i) e[8 + i] = Rgb(16 * (i + 1), 16 * (i + 1), 16 * (i + 1));
    for (int i = 0; i < 3; ++i) e[15 + i] = Rgb(144 + 16 * i, 144 + 16 * i, 144 + 16 * i);
    for (int i = 0; i < 3; ++i) e[18 + i] = Rgb(208 + 16 * i, 208 + 16 * i, 208 + 16 * i);
    static const BYTE browns[11][3] = {{76, 40, 28}, {76, 28, 40},   {40, 76, 28},    {28, 76, 40},
                                       {40, 28, 76}, {28, 40, 76},   {108, 88, 32},   {160, 124, 88},
                                       {232, 168, 104}, {84, 48, 16}, {92, 56, 40}};
    for (int i = 0; i < 11; ++i) e[21 + i] = Rgb(browns[i][0], browns[i][1], browns[i][2]);
    for (int j = 0; j < 6; ++j)
        for (int k = 0; k < 5; ++k)
            for (int i = 0; i < 6; ++i) e[32 + 32 * j + 6 * k + i] = Rgb(32 + 40 * i, 32 + 40 * j, 16 + 56 * k);
    static const int skinSlots[12] = {62, 63, 94, 95, 126, 127, 158, 159, 190, 191, 222, 223};
    static const BYTE skins[12][3] = {{124, 76, 48},   {140, 84, 56},   {152, 92, 64},   {168, 100, 76},
                                      {176, 116, 96},  {188, 136, 104}, {200, 144, 108}, {208, 160, 116},
                                      {216, 168, 128}, {224, 176, 144}, {232, 192, 156}, {240, 212, 184}};
    for (int i = 0; i < 12; ++i) e[skinSlots[i]] = Rgb(skins[i][0], skins[i][1], skins[i][2]);
    static const int rising[4] = {48, 96, 160, 208};
    static const int falling[4] = {208, 160, 96, 48};
    static const int cyan[4] = {216, 168, 104, 56};
    for (int i = 0; i < 4; ++i) {
        e[224 + i] = Rgb(0, rising[i], 0);
        e[228 + i] = Rgb(falling[i], falling[i], 0);
        e[232 + i] = Rgb(rising[i], 0, 0);
        e[236 + i] = Rgb(falling[i], 0, falling[i]);
        e[240 + i] = Rgb(0, 0, rising[i]);
        e[244 + i] = Rgb(0, cyan[i], cyan[i]);
    }
    // The system's own extra colours take the place of their nearest entries.
    PALETTEENTRY system[SYSTEM_STATIC_COLORS];
    SystemStaticColors(system);
    for (int s = 8; s <= 11; ++s) {
        bool isStatic = false;
        for (const PALETTEENTRY& st : kStaticColors) isStatic |= SameColor(st, system[s]);
        if (!isStatic) e[NearestEntry(e, FIRST_FREE_ENTRY, LAST_FREE_ENTRY, system[s])] = Rgb(system[s].peRed, system[s].peGreen, system[s].peBlue);
    }
}

HPALETTE BuildAnimPalette(AnimationContext* c, const RGBQUAD* table, int size)
{
    DeleteAnimPalette(c);
    int wanted = size == 0 ? LargestSequenceColorCount(c) : size;
    if (wanted > 16 && g_animEngine.displayBits > 7) {
        const int n = wanted >= 1 && wanted <= 256 ? wanted : 256;
        PALETTEENTRY defaults[256], entries[256];
        FillDefaultPalette(defaults);
        for (int i = 0; i < n; ++i) entries[i] = defaults[i];
        SetStaticPaletteColors(entries, n);
        for (int i = 0; i < n; ++i) entries[i] = PaletteColor(entries[i].peRed, entries[i].peGreen, entries[i].peBlue);
        if (table) {
            // Merge the table's own colours into the free middle, never over the
            // static colours at the end of a palette shorter than 256 entries.
            const int lastWritable = n - 9 < LAST_FREE_ENTRY ? n - 9 : LAST_FREE_ENTRY;
            const int tableEnd = wanted < n ? wanted : n;
            int write = FIRST_FREE_ENTRY;
            for (int t = FIRST_MERGED_TABLE_ENTRY; t < tableEnd && write <= lastWritable; ++t) {
                const PALETTEENTRY color = PaletteColor(table[t].rgbRed, table[t].rgbGreen, table[t].rgbBlue);
                bool known = false;
                for (int k = 0; k < write && !known; ++k) known = SameColor(entries[k], color);
                for (int k = n - 8; k < n && !known; ++k) known = SameColor(entries[k], color);
                if (!known) entries[write++] = color;
            }
        }
        c->palette = CreateLogicalPalette(entries, n);
        c->stockPalette = c->palette ? 0 : 1;
    }
    if (!c->palette) {
        c->palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
        c->stockPalette = 1;
    }
    c->paletteColors = static_cast<int16_t>(wanted);
    RealizeOnDesktop(c->palette);
    return c->palette;
}

HPALETTE GetAnimPalette(const AnimationContext* c)
{
    return c && c->palette ? c->palette : static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
}

void DeleteAnimPalette(AnimationContext* c)
{
    if (c->palette && !c->stockPalette) {
        ReleaseEngineSelections(c);
        DeleteObject(c->palette);
    }
    c->palette = nullptr;
    c->stockPalette = 0;
}

void FillDibSectionColors(const AnimationContext* c, int bits, RGBQUAD* table)
{
    const int n = 1 << bits;
    memset(table, 0, n * sizeof(RGBQUAD));
    PALETTEENTRY system[SYSTEM_STATIC_COLORS];
    SystemStaticColors(system);
    const int each = n / 2 < 10 ? n / 2 : 10;
    auto put = [&](int index, const PALETTEENTRY& p) { table[index] = {p.peBlue, p.peGreen, p.peRed, 0}; };
    for (int i = 0; i < each; ++i) {
        put(i, system[i]);
        put(n - each + i, system[SYSTEM_STATIC_COLORS - each + i]);
    }
    const int middle = n - 2 * each;
    if (middle <= 0) return;
    PALETTEENTRY source[256] = {};
    if (c && c->palette) {
        GetPaletteEntries(c->palette, FIRST_FREE_ENTRY, middle, source);  // zeros once the palette runs out
    } else {
        PALETTEENTRY defaults[256];
        FillDefaultPalette(defaults);
        memcpy(source, defaults + FIRST_FREE_ENTRY, middle * sizeof(PALETTEENTRY));
    }
    for (int i = 0; i < middle; ++i) put(each + i, source[i]);
}

HPALETTE LoadAnimPalette(HANIM handle, const void* source, BOOL fromMemory)
{
    ContextLock c(handle);
    if (!c) return nullptr;
    const AnimationSettingsDisk& s = c->settings;
    const char* name = static_cast<const char*>(source);
    if (!source) {
        fromMemory = FALSE;
        if (s.paletteSource & 0x04) return GetAnimPalette(c.get());
        if (s.paletteSource < 248) {
            const int index = s.paletteSource >> 3;
            if (index >= c->header.sequenceCount) return nullptr;
            name = c->sequences[index].fileName;
        } else {
            name = s.backgroundImage;
        }
    }
    AnimSourceReader reader;
    if (!reader.Open(fromMemory ? source : name, fromMemory != FALSE)) return GetAnimPalette(c.get());
    // A bitmap file and a frame-sequence file both start with a 14-byte header
    // followed by the info header and the colour table.
    BmxFileHeader header;
    struct {
        BITMAPINFOHEADER info;
        RGBQUAD colors[256];
    } picture{};
    if (!reader.Bytes().Read(&header, sizeof header) || (header.magic != BMP_MAGIC && header.magic != BMX_MAGIC) ||
        !reader.Bytes().Read(&picture.info, sizeof picture.info))
        return GetAnimPalette(c.get());
    const BITMAPINFOHEADER& info = picture.info;
    if (info.biSize != sizeof(BITMAPINFOHEADER) || info.biBitCount != 8 || info.biClrUsed > 256)
        return GetAnimPalette(c.get());
    const int entries = info.biClrUsed ? static_cast<int>(info.biClrUsed) : 256;
    if (!reader.Bytes().Read(picture.colors, entries * sizeof(RGBQUAD))) return GetAnimPalette(c.get());
    BuildAnimPalette(c.get(), picture.colors, entries);
    // A picture of at most 8 bits carries its colour table: make it follow the
    // new palette.
    if (c->offscreen && g_animEngine.bitmapMode == ANIM_DIB_SECTIONS && g_animEngine.displayBits <= 8) {
        DeleteOffscreenBitmap(c.get());
        c->offscreen = MakeOffscreenPicture(c.get(), true);
    }
    return GetAnimPalette(c.get());
}

int RealizeAnimPalette(HANIM handle, HWND window)
{
    ContextLock c(handle);
    if (!c || !window) return 0;
    HDC dc = GetDC(window);
    if (!dc) return 0;
    HPALETTE old = SelectPalette(dc, GetAnimPalette(c.get()), FALSE);
    const UINT mapped = RealizePalette(dc);
    // The drawing code selects the palette itself; leaving it selected here
    // would keep it from being deleted with the animation.
    if (old) SelectPalette(dc, old, TRUE);
    ReleaseDC(window, dc);
    return mapped == GDI_ERROR ? 0 : static_cast<int>(mapped);
}

HPALETTE CreateDefaultPalette()
{
    PALETTEENTRY entries[256];
    FillDefaultPalette(entries);
    return CreateLogicalPalette(entries, 256);
}
