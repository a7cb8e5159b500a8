// The palette model. Every document up to 256 colours has one logical palette
// that all frames share, with the static colours at both ends so that the
// system's reserved colours keep their places on a palette display.
#include "Palette.h"
#include "ColorReduction.h"
#include "DocumentStrings.h"
#include "AppState.h"
#include "FrameBitmaps.h"
#include "PackedDib.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

const PALETTEENTRY STATIC_COLORS[STATIC_COLOR_COUNT] = {
    {0, 0, 0, 0},     {128, 0, 0, 0},   {0, 128, 0, 0},   {128, 128, 0, 0},
    {0, 0, 128, 0},   {128, 0, 128, 0}, {0, 128, 128, 0}, {192, 192, 192, 0},
    {128, 128, 128, 0}, {255, 0, 0, 0}, {0, 255, 0, 0},   {255, 255, 0, 0},
    {0, 0, 255, 0},   {255, 0, 255, 0}, {0, 255, 255, 0}, {255, 255, 255, 0},
};

namespace {

// The system's default palette as every Windows version has it; read from the
// stock palette where the system gives all 20 entries.
const PALETTEENTRY DEFAULT_SYSTEM_COLORS[SYSTEM_PALETTE_SIZE] = {
    {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},   {0, 0, 128, 0},
    {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0}, {192, 220, 192, 0}, {166, 202, 240, 0},
    {255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},
    {255, 255, 0, 0},   {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0},
};

// The colours the palette window offers in cells 16-63 before the user adds
// any: twelve hues in four shades.
const COLORREF FIXED_CELL_COLORS[COLOR_CELL_COUNT - FIXED_COLOR_CELLS] = {
    RGB(140, 0, 0), RGB(140, 70, 0), RGB(140, 140, 0), RGB(70, 140, 0), RGB(0, 140, 0), RGB(0, 140, 70),
    RGB(0, 140, 140), RGB(0, 70, 140), RGB(0, 0, 140), RGB(70, 0, 140), RGB(140, 0, 140), RGB(140, 0, 70),
    RGB(255, 0, 0), RGB(255, 128, 0), RGB(255, 255, 0), RGB(128, 255, 0), RGB(0, 255, 0), RGB(0, 255, 128),
    RGB(0, 255, 255), RGB(0, 128, 255), RGB(0, 0, 255), RGB(128, 0, 255), RGB(255, 0, 255), RGB(255, 0, 128),
    RGB(255, 115, 115), RGB(255, 185, 115), RGB(255, 255, 115), RGB(185, 255, 115), RGB(115, 255, 115),
    RGB(115, 255, 185), RGB(115, 255, 255), RGB(115, 185, 255), RGB(115, 115, 255), RGB(185, 115, 255),
    RGB(255, 115, 255), RGB(255, 115, 185), RGB(217, 152, 152), RGB(217, 184, 152), RGB(217, 217, 152),
    RGB(184, 217, 152), RGB(152, 217, 152), RGB(152, 217, 184), RGB(152, 217, 217), RGB(152, 184, 217),
    RGB(152, 152, 217), RGB(184, 152, 217), RGB(217, 152, 217), RGB(217, 152, 184),
};

PALETTEENTRY Raw(int r, int g, int b) { return {static_cast<BYTE>(r), static_cast<BYTE>(g), static_cast<BYTE>(b), 0}; }

int AbsDistance(const PALETTEENTRY& e, int r, int g, int b)
{
    return abs(e.peRed - r) + abs(e.peGreen - g) + abs(e.peBlue - b);
}

// The standard colours before rounding (see BuildStandardPalette).
void FillStandardColors(PALETTEENTRY t[STANDARD_PALETTE_SIZE])
{
    CopyStaticColors(t, STANDARD_PALETTE_SIZE);
    static const BYTE greys[13] = {16, 32, 48, 64, 80, 96, 112, 144, 160, 176, 208, 224, 240};
    for (int i = 0; i < 13; ++i) t[8 + i] = Raw(greys[i], greys[i], greys[i]);
    static const BYTE browns[11][3] = {{76, 40, 28}, {76, 28, 40}, {40, 76, 28}, {28, 76, 40},
                                        {40, 28, 76}, {28, 40, 76}, {108, 88, 32}, {160, 124, 88},
                                        {232, 168, 104}, {84, 48, 16}, {92, 56, 40}};
    for (int i = 0; i < 11; ++i) t[21 + i] = Raw(browns[i][0], browns[i][1], browns[i][2]);
    for (int r = 0; r < 6; ++r)
        for (int k = 0; k < 5; ++k)
            for (int j = 0; j < 6; ++j) t[32 + 32 * r + 6 * k + j] = Raw(32 + 40 * j, 32 + 40 * r, 16 + 56 * k);
    static const BYTE skin[12][3] = {{124, 76, 48},  {140, 84, 56},  {152, 92, 64},   {168, 100, 76},
                                     {176, 116, 96}, {188, 136, 104}, {200, 144, 108}, {208, 160, 116},
                                     {216, 168, 128}, {224, 176, 144}, {232, 192, 156}, {240, 212, 184}};
    for (int i = 0; i < 12; ++i) {
        const int index = 62 + 32 * (i / 2) + (i % 2);
        t[index] = Raw(skin[i][0], skin[i][1], skin[i][2]);
    }
    static const BYTE rising[4] = {56, 96, 160, 208}, falling[4] = {208, 160, 96, 56};
    for (int i = 0; i < 4; ++i) {
        t[224 + i] = Raw(0, rising[i], 0);
        t[228 + i] = Raw(falling[i], falling[i], 0);
        t[232 + i] = Raw(rising[i], 0, 0);
        t[236 + i] = Raw(falling[i], 0, falling[i]);
        t[240 + i] = Raw(0, 0, rising[i]);
        t[244 + i] = Raw(0, falling[i] + 8, falling[i] + 8);
    }
    // The system's own extra colours (entries 8-11 of its default palette) take
    // the places of their nearest standard colours, so that windows drawn in
    // them match exactly. The static colours at the ends keep their places.
    PALETTEENTRY system[SYSTEM_PALETTE_SIZE];
    GetSystemDefaultColors(system);
    for (int s = 8; s < 12; ++s) {
        int best = 8, bestDistance = INT32_MAX;
        for (int i = 8; i < STANDARD_PALETTE_SIZE - 8; ++i) {
            const int d = AbsDistance(t[i], system[s].peRed, system[s].peGreen, system[s].peBlue);
            if (d < bestDistance) {
                best = i;
                bestDistance = d;
            }
        }
        t[best] = Raw(system[s].peRed, system[s].peGreen, system[s].peBlue);
    }
}

bool SameWithoutLowBit(BYTE r1, BYTE g1, BYTE b1, BYTE r2, BYTE g2, BYTE b2)
{
    return ((r1 ^ r2) | (g1 ^ g2) | (b1 ^ b2)) < 2;
}

bool HasSameColor(const RGBQUAD& q, const PALETTEENTRY& e)
{
    return SameWithoutLowBit(q.rgbRed, q.rgbGreen, q.rgbBlue, e.peRed, e.peGreen, e.peBlue);
}

void RealizeOnScreen(HPALETTE palette)
{
    if (!palette) return;
    HDC screen = GetDC(nullptr);
    HPALETTE old = SelectPalette(screen, palette, TRUE);
    RealizePalette(screen);
    SelectPalette(screen, old, TRUE);
    ReleaseDC(nullptr, screen);
}

int PaletteEntries(HPALETTE palette, PALETTEENTRY* out)
{
    if (!palette) return 0;
    WORD n = 0;
    if (!GetObjectA(palette, sizeof n, &n) || n == 0) return 0;
    if (n > STANDARD_PALETTE_SIZE) n = STANDARD_PALETTE_SIZE;
    return static_cast<int>(GetPaletteEntries(palette, 0, n, out));
}

// Writes entries into a palette, growing it to hold them.
void WritePaletteEntries(HPALETTE palette, const PALETTEENTRY* entries, int n)
{
    if (!palette) return;
    WORD size = 0;
    GetObjectA(palette, sizeof size, &size);
    if (size < n) ResizePalette(palette, n);
    SetPaletteEntries(palette, 0, n, entries);
}

// Writes non-static colours of a table into entries 8..247, each colour once;
// returns how many were written.
int MergeIntoEntries(PALETTEENTRY* entries, const RGBQUAD* table, int count)
{
    int next = 8;
    for (int i = 0; i < count && next < STANDARD_PALETTE_SIZE - 8; ++i) {
        const RGBQUAD& q = table[i];
        if (StaticCodeOfColor(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue)) >= 0) continue;
        const PALETTEENTRY e = MakePaletteEntry(q.rgbRed, q.rgbGreen, q.rgbBlue);
        bool seen = false;
        for (int k = 8; k < next && !seen; ++k)
            seen = entries[k].peRed == e.peRed && entries[k].peGreen == e.peGreen && entries[k].peBlue == e.peBlue;
        if (!seen) entries[next++] = e;
    }
    return next - 8;
}

// The document palette's entries for a format and an optional file table.
int DocumentEntries(int colorCount, const RGBQUAD* table, int count, PALETTEENTRY* entries)
{
    const int size = PaletteSizeOfFormat(colorCount);
    if (size == SYSTEM_PALETTE_SIZE) {
        GetSystemDefaultColors(entries);
        for (int i = 0; i < size; ++i) entries[i] = MakePaletteEntry(entries[i].peRed, entries[i].peGreen, entries[i].peBlue);
        return size;
    }
    if (size < STANDARD_PALETTE_SIZE) {
        CopyStaticColors(entries, size);
        if (colorCount == COLORS_16 && table && count >= COLORS_16)
            for (int i = 0; i < size; ++i)
                entries[i] = MakePaletteEntry(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue);
        return size;
    }
    BuildStandardPalette(entries);
    if (table && colorCount == COLORS_256) {
        if (count >= STANDARD_PALETTE_SIZE) {
            // A full table keeps its places between the static colours, so
            // that frames stored with it need no remapping.
            for (int i = 8; i < STANDARD_PALETTE_SIZE - 8; ++i)
                entries[i] = MakePaletteEntry(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue);
        } else {
            MergeIntoEntries(entries, table, count);
        }
    }
    return size;
}

void NotifyToolColors()
{
    if (g_appState.hooks.toolColorsChanged) g_appState.hooks.toolColorsChanged();
}

}  // namespace

PALETTEENTRY MakePaletteEntry(int red, int green, int blue)
{
    return {RoundPaletteChannel(red), RoundPaletteChannel(green), RoundPaletteChannel(blue), PC_NOCOLLAPSE};
}

int PaletteSizeOfFormat(int colorCount)
{
    switch (colorCount) {
    case COLORS_2: return 2;
    case COLORS_3: return 3;
    case COLORS_16: return 16;
    case COLORS_SYSTEM: return SYSTEM_PALETTE_SIZE;
    default: return STANDARD_PALETTE_SIZE;
    }
}

int StaticColorIndex(int code, int paletteSize)
{
    code &= TRANSPARENT_STATIC_MASK;
    // The three-colour format is the two-colour one plus its transparent entry.
    if (paletteSize == 3) paletteSize = 2;
    const int half = paletteSize / 2 < 8 ? paletteSize / 2 : 8;
    if (code < half) return code;
    if (code >= STATIC_COLOR_COUNT - half) return paletteSize + code - STATIC_COLOR_COUNT;
    return code < 8 ? 0 : paletteSize - 1;  // not present in so small a palette
}

void CopyStaticColors(PALETTEENTRY* palette, int n)
{
    if (n == 3) {
        palette[0] = MakePaletteEntry(0, 0, 0);
        palette[1] = MakePaletteEntry(255, 255, 255);
        palette[2] = MakePaletteEntry(128, 0, 0);
        return;
    }
    const int half = n / 2 < 8 ? n / 2 : 8;
    for (int i = 0; i < half; ++i) {
        const PALETTEENTRY& low = STATIC_COLORS[i];
        const PALETTEENTRY& high = STATIC_COLORS[STATIC_COLOR_COUNT - half + i];
        palette[i] = MakePaletteEntry(low.peRed, low.peGreen, low.peBlue);
        palette[n - half + i] = MakePaletteEntry(high.peRed, high.peGreen, high.peBlue);
    }
}

void GetSystemDefaultColors(PALETTEENTRY out[SYSTEM_PALETTE_SIZE])
{
    HPALETTE stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    if (!stock || GetPaletteEntries(stock, 0, SYSTEM_PALETTE_SIZE, out) != SYSTEM_PALETTE_SIZE)
        memcpy(out, DEFAULT_SYSTEM_COLORS, sizeof DEFAULT_SYSTEM_COLORS);
    for (int i = 0; i < SYSTEM_PALETTE_SIZE; ++i) out[i].peFlags = 0;
}

void BuildStandardPalette(PALETTEENTRY out[STANDARD_PALETTE_SIZE])
{
    FillStandardColors(out);
    for (int i = 0; i < STANDARD_PALETTE_SIZE; ++i) out[i] = MakePaletteEntry(out[i].peRed, out[i].peGreen, out[i].peBlue);
}

void StandardPaletteToRgbQuads(RGBQUAD* table, int count)
{
    PALETTEENTRY standard[STANDARD_PALETTE_SIZE];
    BuildStandardPalette(standard);
    for (int i = 0; i < count && 8 + i < STANDARD_PALETTE_SIZE; ++i)
        table[i] = {standard[8 + i].peBlue, standard[8 + i].peGreen, standard[8 + i].peRed, 0};
}

HPALETTE CreateLogicalPalette(const PALETTEENTRY* entries, int n)
{
    if (n < 1 || n > STANDARD_PALETTE_SIZE) return nullptr;
    struct {
        WORD version;
        WORD count;
        PALETTEENTRY entries[STANDARD_PALETTE_SIZE];
    } log{0x300, static_cast<WORD>(n), {}};
    memcpy(log.entries, entries, n * sizeof(PALETTEENTRY));
    return CreatePalette(reinterpret_cast<LOGPALETTE*>(&log));
}

int NearestColorSquared(const PALETTEENTRY* table, int red, int green, int blue, int count, int* distance)
{
    int best = 0, bestDistance = INT32_MAX;
    for (int i = 0; i < count; ++i) {
        int d = (table[i].peRed - red) * (table[i].peRed - red);
        if (d >= bestDistance) continue;
        d += (table[i].peGreen - green) * (table[i].peGreen - green);
        if (d >= bestDistance) continue;
        d += (table[i].peBlue - blue) * (table[i].peBlue - blue);
        if (d >= bestDistance) continue;
        best = i;
        bestDistance = d;
        if (d < 4) break;
    }
    if (distance) *distance = bestDistance;
    return best;
}

int NearestStaticColor(COLORREF color)
{
    const int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    int best = 0, bestDistance = INT32_MAX;
    for (int code = 0; code < STATIC_COLOR_COUNT; ++code) {
        const int d = AbsDistance(STATIC_COLORS[code], r, g, b);
        if (d < bestDistance) {
            best = code;
            bestDistance = d;
            if (d < 2) break;
        }
    }
    return best;
}

int StaticCodeOfColor(COLORREF color)
{
    for (int code = 0; code < STATIC_COLOR_COUNT; ++code) {
        const PALETTEENTRY e = MakePaletteEntry(STATIC_COLORS[code].peRed, STATIC_COLORS[code].peGreen,
                                                STATIC_COLORS[code].peBlue);
        if (EntryColor(e) == (color & 0xFFFFFF)) return code;
    }
    return -1;
}

int IsStandardPalette(const RGBQUAD* table, int count)
{
    if (!table) return 0;
    PALETTEENTRY standard[STANDARD_PALETTE_SIZE];
    BuildStandardPalette(standard);
    int found = 0;
    for (int i = 0; i < count; ++i)
        for (int k = 0; k < STANDARD_PALETTE_SIZE; ++k)
            if (HasSameColor(table[i], standard[k])) {
                ++found;
                break;
            }
    return found >= count - 2 ? 1 : 0;
}

int PaletteMatchesTable(HPALETTE palette, const RGBQUAD* table, int count)
{
    PALETTEENTRY entries[STANDARD_PALETTE_SIZE];
    const int n = PaletteEntries(palette, entries);
    int matches = 0;
    for (int i = 0; i < count && i < n; ++i)
        if (HasSameColor(table[i], entries[i])) ++matches;
    return matches > 253 ? 1 : 0;
}

int HasStaticColors(const RGBQUAD* table, int count)
{
    const int n = count < 8 ? count : 8;
    int misses = 0;
    for (int i = 0; i < n; ++i) {
        const PALETTEENTRY& s = STATIC_COLORS[i];
        if (table[i].rgbRed != s.peRed || table[i].rgbGreen != s.peGreen || table[i].rgbBlue != s.peBlue) ++misses;
    }
    return misses <= 1 ? 1 : 0;
}

// ---- the editor's palettes ----

void FreeDisplayPalette()
{
    if (g_appState.displayPalette && g_appState.displayPalette != g_appState.documentPalette)
        DeleteObject(g_appState.displayPalette);
    g_appState.displayPalette = nullptr;
}

void FreeDocumentPalette()
{
    HPALETTE stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    for (HDC dc : {g_appState.memoryDC, g_appState.scratchDC, g_appState.canvasDC})
        if (dc) SelectPalette(dc, stock, TRUE);
    if (g_appState.displayPalette == g_appState.documentPalette) g_appState.displayPalette = nullptr;
    if (g_appState.documentPalette) DeleteObject(g_appState.documentPalette);
    g_appState.documentPalette = nullptr;
}

int SetColorFormat(int colorCount, const RGBQUAD* table, int count)
{
    FreeDisplayPalette();
    FreeDocumentPalette();
    g_appState.colorCount = colorCount;
    PALETTEENTRY entries[STANDARD_PALETTE_SIZE];
    const int size = DocumentEntries(colorCount, table, count, entries);
    g_appState.documentPalette = CreateLogicalPalette(entries, size);
    // A display that shows more colours than the format gets the fuller
    // standard palette around the document's colours.
    if (size < STANDARD_PALETTE_SIZE && g_appState.displayColorCount >= COLORS_256) {
        PALETTEENTRY display[STANDARD_PALETTE_SIZE];
        BuildStandardPalette(display);
        RGBQUAD own[STANDARD_PALETTE_SIZE];
        for (int i = 0; i < size; ++i) own[i] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
        MergeIntoEntries(display, own, size);
        g_appState.displayPalette = CreateLogicalPalette(display, STANDARD_PALETTE_SIZE);
    } else {
        g_appState.displayPalette = g_appState.documentPalette;
    }
    g_appState.toolColors.paletteSize = size;
    SetToolColorIndex(ROLE_PEN, StaticColorIndex(0, size));
    SetToolColorIndex(ROLE_FILL, StaticColorIndex(15, size));
    SetToolColorIndex(ROLE_TRANSPARENT, colorCount == COLORS_3 ? 2 : StaticColorIndex(15, size));
    ResetColorCells();
    if (g_appState.hooks.colorFormatChanged) g_appState.hooks.colorFormatChanged(colorCount, size);
    return g_appState.documentPalette ? 1 : 0;
}

void ResetStandardPalette()
{
    PALETTEENTRY standard[STANDARD_PALETTE_SIZE];
    BuildStandardPalette(standard);
    WritePaletteEntries(g_appState.documentPalette, standard, STANDARD_PALETTE_SIZE);
    if (g_appState.displayPalette != g_appState.documentPalette)
        WritePaletteEntries(g_appState.displayPalette, standard, STANDARD_PALETTE_SIZE);
    RealizeOnScreen(g_appState.documentPalette);
    RealizeOnScreen(g_appState.displayPalette);
}

HPALETTE SelectDocumentPalette(HDC dc)
{
    if (!g_appState.documentPalette) return nullptr;
    HPALETTE old = SelectPalette(dc, g_appState.documentPalette, TRUE);
    RealizePalette(dc);
    return old;
}

HPALETTE SelectDisplayPalette(HDC dc, bool foreground)
{
    if (!g_appState.displayPalette) return nullptr;
    HPALETTE old = SelectPalette(dc, g_appState.displayPalette, foreground ? FALSE : TRUE);
    RealizePalette(dc);
    return old;
}

void RefreshWindowColors(HWND window)
{
    if (!window || !g_appState.documentPalette) return;
    HDC dc = GetDC(window);
    HPALETTE old = SelectPalette(dc, g_appState.documentPalette, FALSE);
    if (RealizePalette(dc) > 0) InvalidateRect(window, nullptr, FALSE);
    SelectPalette(dc, old, TRUE);
    ReleaseDC(window, dc);
}

bool IsSystemPaletteMode() { return g_appState.toolColors.paletteSize == SYSTEM_PALETTE_SIZE; }

void SetToolColorIndex(int role, int index)
{
    HBRUSH* brush = nullptr;
    switch (role) {
    case ROLE_PEN: g_appState.toolColors.penColorIndex = index; brush = &g_appState.toolColors.penColorBrush; break;
    case ROLE_FILL: g_appState.toolColors.fillColorIndex = index; brush = &g_appState.toolColors.fillColorBrush; break;
    case ROLE_TRANSPARENT:
        if (g_appState.colorCount == COLORS_3) index = 2;
        g_appState.toolColors.transparentColorIndex = index;
        brush = &g_appState.toolColors.transparentColorBrush;
        break;
    default: return;
    }
    if (*brush) DeleteObject(*brush);
    *brush = CreateSolidBrush(PALETTEINDEX(index));
    NotifyToolColors();
}

static int ToolColorIndex(int role)
{
    switch (role) {
    case ROLE_PEN: return g_appState.toolColors.penColorIndex;
    case ROLE_FILL: return g_appState.toolColors.fillColorIndex;
    default: return g_appState.toolColors.transparentColorIndex;
    }
}

COLORREF GetToolColor(int role)
{
    const int index = ToolColorIndex(role & ~ROLE_BARE_INDEX);
    if (role & ROLE_BARE_INDEX) return static_cast<COLORREF>(index);
    if (g_appState.bitmapMode.useDeviceBitmaps && g_appState.colorCount <= COLORS_256) return PALETTEINDEX(index);
    return PaletteIndexToRgb(PALETTEINDEX(index)) & 0xFFFFFF;
}

HBRUSH GetToolBrush(int role)
{
    switch (role) {
    case ROLE_PEN: return g_appState.toolColors.penColorBrush;
    case ROLE_FILL: return g_appState.toolColors.fillColorBrush;
    case ROLE_TRANSPARENT: return g_appState.toolColors.transparentColorBrush;
    case ROLE_AREA_FILL:
        if (!g_appState.fillEnabled) return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        return g_appState.fillPatternOn && g_appState.fillPatternBrush ? g_appState.fillPatternBrush
                                                                           : g_appState.toolColors.fillColorBrush;
    case ROLE_PEN_OR_PATTERN:
        return g_appState.fillPatternOn && g_appState.fillPatternBrush ? g_appState.fillPatternBrush
                                                                           : g_appState.toolColors.penColorBrush;
    default: return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    }
}

COLORREF PaletteIndexToRgb(COLORREF color)
{
    if ((color >> 24) != 1 || !g_appState.documentPalette) return color;
    PALETTEENTRY e{};
    if (GetPaletteEntries(g_appState.documentPalette, LOWORD(color), 1, &e) != 1) return color;
    return PALETTERGB(e.peRed, e.peGreen, e.peBlue);
}

int ColorToPaletteIndex(COLORREF color)
{
    color = PaletteIndexToRgb(color) & 0xFFFFFF;
    HPALETTE palette = g_appState.documentPalette;
    if (!palette) return 0;
    if (g_appState.colorCount <= COLORS_256) return static_cast<int>(GetNearestPaletteIndex(palette, color));
    int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    if (g_appState.colorCount == COLORS_65536) {
        // What a 16-bit frame can hold of the colour.
        auto round16 = [](int v) { return v > 248 ? 255 : v & ~7; };
        r = round16(r);
        g = round16(g);
        b = round16(b);
    }
    int distance = 0;
    const int code = NearestColorSquared(STATIC_COLORS, r, g, b, STATIC_COLOR_COUNT, &distance);
    PALETTEENTRY entries[STANDARD_PALETTE_SIZE];
    const int size = PaletteEntries(palette, entries);
    if (distance == 0) return StaticColorIndex(code, size);
    if (size < STANDARD_PALETTE_SIZE) return static_cast<int>(GetNearestPaletteIndex(palette, color));
    // A high-colour document shows any colour: it takes the place of the
    // nearest free entry unless it is there already.
    const PALETTEENTRY wanted = MakePaletteEntry(r, g, b);
    const int found = 8 + NearestColorSquared(entries + 8, wanted.peRed, wanted.peGreen, wanted.peBlue,
                                              STANDARD_PALETTE_SIZE - 16, &distance);
    if (distance != 0) {
        PALETTEENTRY reserved = wanted;
        reserved.peFlags = PC_RESERVED;
        AnimatePalette(palette, found, 1, &reserved);
        SetPaletteEntries(palette, found, 1, &reserved);
        if (g_appState.displayPalette && g_appState.displayPalette != palette)
            SetPaletteEntries(g_appState.displayPalette, found, 1, &reserved);
    }
    return found;
}

int MergeColorTable(const RGBQUAD* table, int count, bool intoDisplayPalette)
{
    if (g_appState.colorCount != COLORS_256 || !g_appState.documentPalette || !table) return 0;
    PALETTEENTRY entries[STANDARD_PALETTE_SIZE];
    if (PaletteEntries(g_appState.documentPalette, entries) != STANDARD_PALETTE_SIZE) return 0;
    const int written = MergeIntoEntries(entries, table, count);
    SetPaletteEntries(g_appState.documentPalette, 0, STANDARD_PALETTE_SIZE, entries);
    if (intoDisplayPalette && g_appState.displayPalette &&
        g_appState.displayPalette != g_appState.documentPalette)
        WritePaletteEntries(g_appState.displayPalette, entries, STANDARD_PALETTE_SIZE);
    if (!g_appState.bitmapMode.useDeviceBitmaps) UpdateFrameColorTables();
    ResetColorCells();
    return written;
}

COLORREF GetStaticColor(int code, int colorCount)
{
    if (code < 0) return RGB(255, 255, 255);
    code = (code & TRANSPARENT_NONE) ? 15 : code & TRANSPARENT_STATIC_MASK;
    if (code >= 1 && code <= 7 && g_appState.bitmapMode.useDeviceBitmaps && colorCount != COLORS_3 &&
        colorCount != COLORS_16)
        return PALETTEINDEX(code);
    return EntryColor(STATIC_COLORS[code]);
}

void ApplyTransparentColorCode(int code)
{
    const int size = g_appState.toolColors.paletteSize;
    if (code & TRANSPARENT_NONE) {
        SetToolColorIndex(ROLE_TRANSPARENT, size - 1);
        g_appState.toolColors.transparentColorOn = 0;
        return;
    }
    const int staticCode = code & TRANSPARENT_STATIC_MASK;
    if (g_appState.colorCount == COLORS_3) {
        // Entry 2 is the transparent colour itself.
        const PALETTEENTRY& s = STATIC_COLORS[staticCode];
        PALETTEENTRY e = MakePaletteEntry(s.peRed, s.peGreen, s.peBlue);
        // A fuller display palette holds every static colour already.
        if (g_appState.documentPalette) SetPaletteEntries(g_appState.documentPalette, 2, 1, &e);
        RealizeOnScreen(g_appState.documentPalette);
        if (g_appState.displayPalette != g_appState.documentPalette) RealizeOnScreen(g_appState.displayPalette);
        SetToolColorIndex(ROLE_TRANSPARENT, 2);
        return;
    }
    SetToolColorIndex(ROLE_TRANSPARENT, StaticColorIndex(staticCode, size));
}

int EnableTransparentColor(bool on)
{
    const int value = on ? 1 : 0;
    if (g_appState.toolColors.transparentColorOn == value) return 0;
    g_appState.toolColors.transparentColorOn = value;
    NotifyToolColors();
    return 1;
}

int TestTransparentColor(int query)
{
    switch (query) {
    case 0: return g_appState.toolColors.transparentColorOn;
    case 1: return g_appState.toolColors.transparentColorIndex == g_appState.toolColors.paletteSize - 1 ? 1 : 0;
    case 2: return g_appState.toolColors.transparentColorIndex == 0 ? 1 : 0;
    default: return 0;
    }
}

// ---- the colour dialog ----

namespace {

// The custom colours of the colour dialog, kept while the editor runs.
struct CustomColors {
    bool filled;
    COLORREF colors[16];
};
CustomColors s_customColors{};

UINT_PTR CALLBACK CenterChooserHook(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message != WM_INITDIALOG) return 0;
    HWND owner = GetParent(dialog);
    RECT area, box;
    if (owner) GetWindowRect(owner, &area);
    else SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    GetWindowRect(dialog, &box);
    const int x = area.left + ((area.right - area.left) - (box.right - box.left)) / 2;
    const int y = area.top + ((area.bottom - area.top) - (box.bottom - box.top)) / 2;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

}  // namespace

int ChooseRgbColor(HWND owner, COLORREF* color)
{
    if (!s_customColors.filled) {
        for (int i = 0; i < 16; ++i) s_customColors.colors[i] = EntryColor(STATIC_COLORS[i]);
        s_customColors.filled = true;
    }
    CHOOSECOLORA chooser{};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = owner;
    chooser.rgbResult = PaletteIndexToRgb(*color) & 0xFFFFFF;
    chooser.lpCustColors = s_customColors.colors;
    chooser.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ENABLEHOOK | CC_ANYCOLOR;  // 0x113
    chooser.lpfnHook = CenterChooserHook;
    auto choose = g_appState.hooks.chooseColor ? g_appState.hooks.chooseColor : ChooseColorA;
    if (!choose(&chooser)) return 0;
    *color = chooser.rgbResult;
    return 1;
}

// ---- the palette window's colour cells ----

void ResetColorCells()
{
    ColorCells& cells = g_appState.colorCells;
    const int size =
        g_appState.toolColors.paletteSize ? g_appState.toolColors.paletteSize : PaletteSizeOfFormat(g_appState.colorCount);
    memset(cells.index, 0, sizeof cells.index);
    for (int code = 0; code < FIXED_COLOR_CELLS; ++code) cells.index[code] = static_cast<BYTE>(StaticColorIndex(code, size));
    cells.nextColorCell = FIXED_COLOR_CELLS;
    if (g_appState.colorCount <= COLORS_16 || !g_appState.documentPalette) return;
    auto used = [&](int index, int upTo) {
        for (int c = 0; c < upTo; ++c)
            if (cells.index[c] == index) return true;
        return false;
    };
    int running = 8;
    for (int c = FIXED_COLOR_CELLS; c < COLOR_CELL_COUNT; ++c) {
        int index = static_cast<int>(GetNearestPaletteIndex(g_appState.documentPalette,
                                                             FIXED_CELL_COLORS[c - FIXED_COLOR_CELLS]));
        if (used(index, c)) {
            while (running < size && used(running, c)) ++running;
            index = running < size ? running : 0;
        }
        cells.index[c] = static_cast<BYTE>(index);
    }
}

namespace {

// Puts a palette index into the next colour cell unless a cell holds it.
bool AddDetectedColor(int index, int* added)
{
    ColorCells& cells = g_appState.colorCells;
    for (int c = 0; c < COLOR_CELL_COUNT; ++c)
        if (cells.index[c] == index) return true;
    if (*added >= COLOR_CELL_COUNT - FIXED_COLOR_CELLS) return false;
    if (cells.nextColorCell < FIXED_COLOR_CELLS || cells.nextColorCell >= COLOR_CELL_COUNT)
        cells.nextColorCell = FIXED_COLOR_CELLS;
    cells.index[cells.nextColorCell++] = static_cast<BYTE>(index);
    ++*added;
    return true;
}

// The 8-bit indexes of the current frame inside the area, in the document
// palette; true-colour frames are reduced first and their colours entered
// into the palette.
int DetectInFrame(HBITMAP frame, const RECT& area, bool trueColor)
{
    GlobalBlock dib(BitmapToPackedDib(frame, trueColor ? 24 : 8));
    if (!dib) return 0;
    GlobalLockGuard<BYTE> p(dib.Get());
    BITMAPINFOHEADER* h = DibHeader(p.get());
    const int width = h->biWidth, height = h->biHeight;
    RECT r{};
    const RECT whole{0, 0, width, height};
    if (!IntersectRect(&r, &area, &whole)) return 0;
    GlobalBlock reduced;
    const BYTE* rows = DibBits(p.get());
    const RGBQUAD* colors = DibColors(p.get());
    int stride = static_cast<int>(DibStride(width, h->biBitCount));
    int top = height - r.bottom, left = r.left;  // bottom-up rows
    if (trueColor) {
        // Only the area is reduced: its own colours make the palette.
        BITMAPINFOHEADER areaHeader = *h;
        areaHeader.biWidth = r.right - r.left;
        areaHeader.biHeight = r.bottom - r.top;
        std::unique_ptr<BYTE[]> areaRows(new (std::nothrow) BYTE[size_t(DibStride(areaHeader.biWidth, 24)) * areaHeader.biHeight]);
        if (!areaRows) return 0;
        const uint32_t areaStride = DibStride(areaHeader.biWidth, 24);
        for (int y = 0; y < areaHeader.biHeight; ++y)
            memcpy(areaRows.get() + y * areaStride, rows + (top + y) * stride + left * 3, areaHeader.biWidth * 3);
        reduced.Reset(QuantizeDibTo8Bit(QUANTIZE_BUILD_PALETTE | QUANTIZE_MEDIAN_CUT, &areaHeader, areaRows.get(),
                                        areaHeader.biWidth, areaHeader.biHeight, nullptr));
        if (!reduced) return 0;
        // Each colour found is the mean of the pixels mapped to it, so that a
        // few exact colours come back exact.
        GlobalLockGuard<BYTE> q(reduced.Get());
        const BYTE* qrows = DibBits(q.get());
        const uint32_t qstride = DibStride(areaHeader.biWidth, 8);
        uint64_t sums[256][4] = {};
        for (int y = 0; y < areaHeader.biHeight; ++y)
            for (int x = 0; x < areaHeader.biWidth; ++x) {
                const BYTE* px = areaRows.get() + y * areaStride + 3 * x;
                uint64_t* sum = sums[qrows[y * qstride + x]];
                sum[0] += px[2];
                sum[1] += px[1];
                sum[2] += px[0];
                ++sum[3];
            }
        int added = 0;
        for (int i = 0; i < 256; ++i) {
            const uint64_t n = sums[i][3];
            if (!n) continue;
            const COLORREF c = RGB((sums[i][0] + n / 2) / n, (sums[i][1] + n / 2) / n, (sums[i][2] + n / 2) / n);
            if (StaticCodeOfColor(c) >= 0) continue;
            if (!AddDetectedColor(ColorToPaletteIndex(c), &added)) return added;
        }
        return added;
    }
    bool seen[256] = {};
    int added = 0;
    for (int y = top; y < top + (r.bottom - r.top); ++y)
        for (int x = left; x < r.right; ++x) {
            const BYTE i = rows[y * stride + x];
            if (seen[i]) continue;
            seen[i] = true;
            const COLORREF c = RGB(colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue);
            if (StaticCodeOfColor(c) >= 0) continue;
            if (!AddDetectedColor(i, &added)) return added;
        }
    return added;
}

}  // namespace

int DetectUsedColors(const RECT* area)
{
    if (g_appState.colorCount < COLORS_256 || g_appState.currentFrame < 0 ||
        g_appState.currentFrame >= g_appState.frameCount)
        return 0;
    HBITMAP frame = g_appState.frameBitmaps[g_appState.currentFrame];
    if (!frame) return 0;
    const RECT whole{0, 0, g_appState.frameWidth, g_appState.frameHeight};
    const int added = DetectInFrame(frame, area ? *area : whole, g_appState.colorCount > COLORS_256);
    if (g_appState.hooks.showStatusText) {
        char format[128], text[160];
        if (!LoadStringA(GetModuleHandleA(nullptr), IDS_COLORS_DETECTED, format, sizeof format))
            lstrcpynA(format, "%d", sizeof format);
        snprintf(text, sizeof text, format, added);
        g_appState.hooks.showStatusText(text);
    }
    return added;
}

// ---- a file's colours ----

namespace {

int AskPaletteRequest(int templateId)
{
    return g_appState.hooks.paletteRequest ? g_appState.hooks.paletteRequest(templateId) : 0;
}

bool OnlyStaticColors(const RGBQUAD* table, int count)
{
    for (int i = 0; i < count; ++i)
        if (StaticCodeOfColor(RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue)) < 0) return false;
    return true;
}

// Mode 1 asks whether to use the standard colours (0), dither to them (1) or
// load the file's own palette (2). -1 when cancelled.
int ResolvePaletteMode(int mode, int* dither)
{
    if (mode != 1) return mode;
    const int answer = AskPaletteRequest(IDD_STANDARD_PALETTE_REQUEST);
    if (answer < 0) return -1;
    if (dither) *dither = answer == 1 ? 1 : 0;
    return answer;
}

}  // namespace

int ApplyFilePalette(int bitsPerPixel, const RGBQUAD* table, int count, int savedPaletteMode, int* dither)
{
    if (bitsPerPixel > 8) {
        const int format = bitsPerPixel == 32 ? COLORS_32BIT : bitsPerPixel == 24 ? COLORS_24BIT : COLORS_65536;
        SetColorFormat(format, nullptr, 0);
        return 1;
    }
    int colors = 1 << bitsPerPixel;
    if (count <= 0 || count > colors) count = colors;
    if (!table) count = 0;
    if (g_appState.displayColorCount > 0 && colors > g_appState.displayColorCount)
        colors = g_appState.displayColorCount;
    const bool roomFor256 = g_appState.displayColorCount <= 0 || g_appState.displayColorCount >= COLORS_256;
    if (colors > COLORS_16) {
        int mode = savedPaletteMode;
        if (mode == 1 && !IsStandardPalette(table, count)) mode = ResolvePaletteMode(mode, dither);
        if (mode < 0) return 0;
        SetColorFormat(COLORS_256, mode == 2 ? table : nullptr, mode == 2 ? count : 0);
        return 1;
    }
    if (colors < 4) {
        bool other = false;
        for (int i = 0; i < count && !other; ++i) {
            const int code = StaticCodeOfColor(RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue));
            other = code != 0 && code != 15;
        }
        SetColorFormat(other ? COLORS_16 : COLORS_2, nullptr, 0);
        return 1;
    }
    if (OnlyStaticColors(table, count) || !roomFor256) {
        SetColorFormat(COLORS_16, nullptr, 0);
        return 1;
    }
    const int mode = ResolvePaletteMode(savedPaletteMode, dither);
    if (mode < 0) return 0;
    SetColorFormat(COLORS_256, mode == 2 ? table : nullptr, mode == 2 ? count : 0);
    return 1;
}
