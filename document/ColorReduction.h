// Colour reduction: nearest-colour lookup, building a 256-colour palette for a
// true-colour image (median cut or popularity), converting 16-, 24- and
// 32-bit rows to 8 bits and remapping 8-bit images to another palette, each
// optionally with error diffusion. Every lookup goes through a 5-5-5 colour
// cube of 32 x 32 x 32 cells, so a search runs once per distinct cell.
#pragma once
#include <windows.h>
#include <cstdint>

constexpr int COLOR_CUBE_CELLS = 32768;
constexpr uint32_t COLOR_HISTOGRAM_BYTES = COLOR_CUBE_CELLS * sizeof(uint32_t);
constexpr BYTE NEAREST_NOT_COMPUTED = 224;  // a NearestCache cell not looked up yet
constexpr WORD NO_NEAREST_COLOR = 0xFFFF;   // NearestColorIndex on an empty table
constexpr LONG QUANTIZED_PELS_PER_METER = 2953;

// QuantizeDibTo8Bit flags.
constexpr DWORD QUANTIZE_DITHER = 0x01;
constexpr DWORD QUANTIZE_MEDIAN_CUT = 0x02;
constexpr DWORD QUANTIZE_KEEP_STANDARD = 0x04;
constexpr DWORD QUANTIZE_BUILD_PALETTE = 0x08;
constexpr DWORD QUANTIZE_USE_PALETTE = 0x10;
constexpr DWORD QUANTIZE_MASKS_FOLLOW = 0x40;

// StretchDibToPalette modes.
constexpr int STRETCH_REMAP = 0x01;   // remap 8-bit images even without DIBColorLookup
constexpr int STRETCH_DITHER = 0x02;  // with error diffusion
constexpr int STRETCH_OWN_COLORS = 0x04;  // draw with the image's own colours: the target holds every colour

// The cell of a colour: (red >> 3) << 10 | (green >> 3) << 5 | (blue >> 3).
inline int ColorCell(int red, int green, int blue) { return (red >> 3) << 10 | (green >> 3) << 5 | (blue >> 3); }
// The colour a 5-bit channel level stands for.
inline int LevelValue(int level) { return level == 0 ? 0 : level == 31 ? 255 : level * 8 + 4; }

// Nearest entry by the sum of absolute channel differences; the first of equal
// minima wins and a distance below 2 returns at once.
WORD NearestColorIndex(const RGBQUAD* table, int red, int green, int blue, int count);

// A table with the system's default colours at both ends (10 at each, 8 with
// onlyStatics, at most half the table) and between them the source palette from
// its entry 8 on, or without a source the standard palette from entry 8 on.
void BuildColorTable(HPALETTE source, RGBQUAD* table, int entries, bool onlyStatics);

// ColorHistogram: 32768 saturating counters in a zeroed movable block.
HGLOBAL AllocColorHistogram();
inline void CountColorCell(uint32_t* histogram, int cell)
{
    if (histogram[cell] < 0x7FFFFFFFu) ++histogram[cell];
}

// Builds a palette into `table` (standard colours first, then the image's own
// from index 10 on, sorted): median cut with a pixel count, otherwise
// popularity bands from bandStart down. Returns the next free index.
int BuildPaletteFromHistogram(const uint32_t* histogram, RGBQUAD* table, int entries, uint32_t pixelCount,
                              uint32_t bandStart);

// Converts width x height pixels of 16-, 24- or 32-bit rows (bottom-up, the
// header's stride) to a new packed 8-bit DIB with a 256-entry table. Null when
// the input cannot be converted or memory runs out.
HGLOBAL QuantizeDibTo8Bit(DWORD flags, const BITMAPINFOHEADER* header, const BYTE* bits, int width, int height,
                          HPALETTE palette);

// Remaps an 8-bit image (plain rows or BI_RLE8) in place onto the table built
// from `palette` (null: the standard palette). `colors` has room for 256
// entries; `bits` holds `capacity` bytes, at least stride x height for the
// plain rows written back. False when the image cannot be remapped.
bool RemapDib8(BITMAPINFOHEADER* header, RGBQUAD* colors, BYTE* bits, uint32_t capacity, bool dither,
               HPALETTE palette);

// Reads rows of a bitmap into a DIB of the header's depth with the palette's
// colours as its table (room for 2^bits entries after the header). With the
// DIBColorLookup option the rows come back as 5-5-5 and are mapped per pixel
// through the colour cube. Returns the rows read.
int GetDibBitsMapped(HDC dc, HBITMAP bitmap, UINT firstRow, UINT rows, BITMAPINFOHEADER* header, BYTE* bits,
                     HPALETTE palette);

// Draws a DIB (source rectangle in image coordinates, top row 0) onto a
// device context through a palette; 8-bit images are remapped to the palette
// first when the mode or the DIBColorLookup option asks for it, unless the
// mode has STRETCH_OWN_COLORS (a true-colour target keeps every colour).
BOOL StretchDibToPalette(HDC dc, const RECT& destination, const RECT& source, const BITMAPINFOHEADER* header,
                         const BYTE* bits, HPALETTE palette, int mode);
