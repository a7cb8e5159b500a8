// The palette model: colour formats, the 16 static colours, the standard
// 256-colour palette, transparent-colour codes, the document and display
// palettes and the lookups that turn colours into palette indexes.
#pragma once
#include <windows.h>
#include <cstdint>

// ColorFormat: the document's colour count.
enum ColorFormat : int {
    COLORS_2 = 2,
    COLORS_3 = 3,            // two colours and a transparent colour in entry 2, 4 bits per pixel
    COLORS_16 = 16,
    COLORS_SYSTEM = 20,      // the system's default palette
    COLORS_256 = 256,
    COLORS_65536 = 65536,    // 16 bits per pixel
    COLORS_24BIT = 16777216,
    COLORS_32BIT = 16777217,
};

constexpr int STATIC_COLOR_COUNT = 16;
constexpr int STANDARD_PALETTE_SIZE = 256;
constexpr int SYSTEM_PALETTE_SIZE = 20;

// TransparentColorCode bits.
constexpr uint8_t TRANSPARENT_STATIC_MASK = 0x0F;  // a static colour code
constexpr uint8_t TRANSPARENT_RUNTIME_MASK = 0x10; // build the mask at run time
constexpr uint8_t TRANSPARENT_TWO_COLOR = 0x20;    // set in the two-colour format
constexpr uint8_t TRANSPARENT_NONE = 0x80;         // no transparent colour (counts as 15)

// Dialog templates of the "Color Palette Request" dialogs.
constexpr int IDD_STANDARD_PALETTE_REQUEST = 1006;
constexpr int IDD_CURRENT_PALETTE_REQUEST = 1007;

// Tool colour roles of GetToolColor and GetToolBrush.
enum ToolColorRole : int {
    ROLE_PEN = 0,
    ROLE_FILL = 1,
    ROLE_TRANSPARENT = 2,
    ROLE_AREA_FILL = 16,
    ROLE_PEN_OR_PATTERN = 64,
    ROLE_BARE_INDEX = 128,  // added to 0..2: the palette index itself
};

// Red, green, blue of static colour codes 0-15.
extern const PALETTEENTRY STATIC_COLORS[STATIC_COLOR_COUNT];

// A palette channel as it is written: rounded down to a multiple of 4, a
// value above 253 becoming 255.
inline BYTE RoundPaletteChannel(int value) { return static_cast<BYTE>(value > 253 ? 255 : value & ~3); }
PALETTEENTRY MakePaletteEntry(int red, int green, int blue);
inline COLORREF EntryColor(const PALETTEENTRY& e) { return RGB(e.peRed, e.peGreen, e.peBlue); }

// Entries of the document palette of a format (2, 3, 16, 20 or 256).
int PaletteSizeOfFormat(int colorCount);
// Palette index of a static colour code: codes 0-7 at the start, 8-15 at the end.
int StaticColorIndex(int code, int paletteSize);

// min(n / 2, 8) static colours at each end; n == 3 is the three-colour format
// (black, white, and (128, 0, 0) as the transparent colour in entry 2).
void CopyStaticColors(PALETTEENTRY* palette, int n);
// The system's 20-entry default palette.
void GetSystemDefaultColors(PALETTEENTRY out[SYSTEM_PALETTE_SIZE]);
// The standard 256-colour palette, rounded, flagged PC_NOCOLLAPSE.
void BuildStandardPalette(PALETTEENTRY out[STANDARD_PALETTE_SIZE]);
// The standard palette from entry 8 on, as RGBQUADs.
void StandardPaletteToRgbQuads(RGBQUAD* table, int count);
// A logical palette (version 0x300) of n entries.
HPALETTE CreateLogicalPalette(const PALETTEENTRY* entries, int n);

// Nearest entry by the sum of squared channel differences; the first entry
// closer than 4 wins at once. The distance is handed back when asked for.
int NearestColorSquared(const PALETTEENTRY* table, int red, int green, int blue, int count, int* distance);
// Static code 0-15 nearest to a colour (sum of absolute differences).
int NearestStaticColor(COLORREF color);
// The static code whose colour equals the colour exactly, else -1.
int StaticCodeOfColor(COLORREF color);

// 1 when at least count - 2 entries occur in the standard palette (channels
// compared without their lowest bit).
int IsStandardPalette(const RGBQUAD* table, int count);
// 1 when more than 253 entries of the palette match the table in the same way.
int PaletteMatchesTable(HPALETTE palette, const RGBQUAD* table, int count);
// 1 when the first min(count, 8) entries are the static colours, one exception allowed.
int HasStaticColors(const RGBQUAD* table, int count);

// ---- the editor's palettes (g_appState) ----

// Makes a format current: the document palette from the table (or the
// standard one), the display palette, default tool colours, colour cells.
// 1 when a palette exists.
int SetColorFormat(int colorCount, const RGBQUAD* table, int count);
void ResetStandardPalette();
void FreeDocumentPalette();
void FreeDisplayPalette();
HPALETTE SelectDocumentPalette(HDC dc);
HPALETTE SelectDisplayPalette(HDC dc, bool foreground);
void RefreshWindowColors(HWND window);
bool IsSystemPaletteMode();

// Stores a tool colour index and re-creates its brush (role 0 pen, 1 fill, 2 transparent).
void SetToolColorIndex(int role, int index);
COLORREF GetToolColor(int role);
HBRUSH GetToolBrush(int role);
COLORREF PaletteIndexToRgb(COLORREF color);
int ColorToPaletteIndex(COLORREF color);
// Writes the table's non-static colours into entries 8..247; returns how many.
int MergeColorTable(const RGBQUAD* table, int count, bool intoDisplayPalette);
COLORREF GetStaticColor(int code, int colorCount);

void ApplyTransparentColorCode(int code);
int EnableTransparentColor(bool on);
int TestTransparentColor(int query);

// The system colour dialog; 1 when a colour was chosen.
int ChooseRgbColor(HWND owner, COLORREF* color);

void ResetColorCells();
// Adds the non-static colours used inside `area` of the current frame to the
// colour cells; returns the number added.
int DetectUsedColors(const RECT* area);

// How a file's colours become the document's format when its first frames are
// loaded. 0 when cancelled, else 1; *dither receives the request's dither choice.
int ApplyFilePalette(int bitsPerPixel, const RGBQUAD* table, int count, int savedPaletteMode, int* dither);
