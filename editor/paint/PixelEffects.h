// The pixel passes the Image menu's colour commands and effects run through:
// one engine that copies a rectangle of a frame into device-independent rows
// of 8 or 24 bits, hands them to a per-pixel routine and writes the result
// back, over one bitmap or every frame of the frame selection (with undo,
// progress and lasso masking); the 3 x 3 matrix effects, colour replacement
// and colour adjustment built on it, and the settings records their dialogs
// edit.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>

// The layout of the effect presets (RCDATA 550..562) and of the customised matrix.
#pragma pack(push, 1)
struct EffectMatrix {
    int16_t weights[9];  // -9..9, row by row: the row above, the row, the row below
    int16_t greyscale;   // 0/1
    int16_t offset;      // 0/1: v / 2 + 128
    int16_t invert;      // 0/1
};
#pragma pack(pop)
static_assert(sizeof(EffectMatrix) == 24);

struct ColorReplaceSettings {
    int32_t x, y, width, height;
    HBITMAP previewBitmap;
    COLORREF sourceColor, destColor;  // -1: none
    uint32_t flags;
    int16_t hueTolerance, satTolerance, lumTolerance;
};

// ColorReplaceSettings::flags.
constexpr uint32_t REPLACE_BY_TOLERANCE = 0x01;   // match by hue, lightness and saturation ranges
constexpr uint32_t REPLACE_ALWAYS = 0x02;
constexpr uint32_t REPLACE_KEEP_DIFFERENCES = 0x04;
constexpr uint32_t REPLACE_HUE = 0x08;
constexpr uint32_t REPLACE_SATURATION = 0x10;
constexpr uint32_t REPLACE_LIGHTNESS = 0x20;
constexpr uint32_t REPLACE_OUTSIDE = 0x40;        // the colours outside the ranges are replaced
constexpr uint32_t REPLACE_DEFAULT_FLAGS = 0x3A;
constexpr int16_t DEFAULT_REPLACE_TOLERANCE = 10;

struct ColorAdjustSettings {
    int32_t x, y, width, height;
    HBITMAP previewBitmap;
    int32_t kind;      // 250 brightness .. 256 blue
    int32_t value;     // percent
    int32_t absolute;  // 1 sets the quantity, 0 changes it relative to the pixel
};

// ColorAdjustSettings::kind (also the ids of their names in the string table).
enum ColorAdjustKind : int32_t {
    ADJUST_BRIGHTNESS = 250,
    ADJUST_CONTRAST = 251,
    ADJUST_HUE = 252,
    ADJUST_SATURATION = 253,
    ADJUST_RED = 254,
    ADJUST_GREEN = 255,
    ADJUST_BLUE = 256,
};

// The last matrix used; the effects dialog starts from it.
extern EffectMatrix g_effectMatrix;
extern ColorReplaceSettings g_colorReplaceSettings;
extern ColorAdjustSettings g_colorAdjustSettings;

// ---- the engine ----------------------------------------------------------------------

// RunPixelPass flags.
constexpr UINT PASS_PROGRESS = 0x1000;   // the progress dialog "Processing..."
constexpr UINT PASS_EDGE_ROWS = 0x2000;  // one row above and below: copies of the first and last rows
constexpr UINT PASS_NO_LASSO = 0x4000;   // every pixel of the rectangle, lasso or not
constexpr UINT PASS_NO_UNDO = 0x8000;

// A per-pixel routine: `top` is the first pixel of the rectangle's top row,
// `rowStep` the (negative) byte step to the next lower row; `colors` the
// colour table at 8 bits, else null. It advances the progress dialog (may be
// null) by one per row and returns the number of pixels it changed; above 0
// the rows are written back.
using PixelRoutine = int (*)(HWND progress, BYTE* top, int width, int height, ptrdiff_t rowStep,
                             const RGBQUAD* colors, void* data);

// Runs the routine over the rectangle (clipped to the source) of `bitmap`,
// or without one over every frame of the frame selection. 1 when it ran, 0
// when refused: width or height outside 1..65536, bits outside 8..32, an
// empty rectangle after clipping, or no memory for the rows.
int RunPixelPass(HBITMAP bitmap, int bits, int x, int y, int width, int height, UINT flags, PixelRoutine routine,
                 void* data);

// ---- the routines (exposed for their arithmetic) ------------------------------------

// `data` is an EffectMatrix; needs PASS_EDGE_ROWS.
int MatrixEffectRoutine(HWND progress, BYTE* top, int width, int height, ptrdiff_t rowStep, const RGBQUAD* colors,
                        void* data);
// Step 6 of the matrix effect: the grey level of a colour.
int GreyLevel(int blue, int green, int red);
// `data` is a ColorReplaceSettings; 24 bits.
int ReplaceColorRoutine(HWND progress, BYTE* top, int width, int height, ptrdiff_t rowStep, const RGBQUAD* colors,
                        void* data);
// `data` is a ColorAdjustSettings; 24 bits.
int AdjustColorsRoutine(HWND progress, BYTE* top, int width, int height, ptrdiff_t rowStep, const RGBQUAD* colors,
                        void* data);

struct Hls {
    double h, l, s;  // each 0..1
};
Hls RgbToHls(int red, int green, int blue);
// False (and the channels untouched) when the saturation is above 1.
bool HlsToRgb(const Hls& hls, int* red, int* green, int* blue);

// ---- the passes -------------------------------------------------------------------------

// False while the passes are not part of the editor: their commands stay grey.
bool PixelPassesBuilt();
// Each pass returns 1 when it ran, 0 when refused or cancelled.
// The current matrix over the area of the selected frames (24 bits above 256 colours, else 8).
int ApplyEffectMatrix(int x, int y, int width, int height);
int ReplaceColorPass(ColorReplaceSettings* settings, int x, int y, int width, int height);
int ReplaceColorInFrames(COLORREF source, COLORREF destination, int x, int y, int width, int height, int tolerance);
// The selection (with `useSelection` and an area selected) or the whole frame;
// with Ctrl in formats of 256 colours and more the replace dialog decides.
int ReplaceColor(COLORREF source, COLORREF destination, int useSelection);
// Every pixel within `tolerance` of the colour becomes exactly that colour
// (formats of 256 colours and more, tolerance above 0); no undo, no lasso.
int SnapTransparentColor(HBITMAP bitmap, COLORREF color, int tolerance);
// Every pixel of exactly `color` becomes `newColor`; no undo.
int ReplaceBitmapColor(HBITMAP bitmap, COLORREF color, COLORREF newColor);
// The rectangle's pixels inverted in every selected frame, one undo group.
int InvertRectInFrames(int x, int y, int width, int height);
int AdjustColorsPass(ColorAdjustSettings* settings);
// After a change of frame format: the settings records' defaults.
void ResetColorToolSettings();
