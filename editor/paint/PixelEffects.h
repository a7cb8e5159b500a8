// The pixel passes the Image menu's colour commands and effects run through:
// the 3 x 3 matrix effects, colour replacement and colour adjustment over the
// frames of the frame selection, and the settings records their dialogs edit.
#pragma once
#include <windows.h>
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

struct ColorAdjustSettings {
    int32_t x, y, width, height;
    HBITMAP previewBitmap;
    int32_t kind;      // 250 brightness .. 256 blue
    int32_t value;     // percent
    int32_t absolute;  // 1 sets the quantity, 0 changes it relative to the pixel
};

// The last matrix used; the effects dialog starts from it.
extern EffectMatrix g_effectMatrix;
extern ColorReplaceSettings g_colorReplaceSettings;
extern ColorAdjustSettings g_colorAdjustSettings;

// False while the passes are not part of the editor: their commands stay grey.
bool PixelPassesBuilt();
// Each pass returns 1 when it ran, 0 when refused or cancelled.
int ApplyEffectMatrix(int x, int y, int width, int height);
int ReplaceColorPass(ColorReplaceSettings* settings, int x, int y, int width, int height);
int ReplaceColorInFrames(COLORREF source, COLORREF destination, int x, int y, int width, int height, int tolerance);
int AdjustColorsPass(ColorAdjustSettings* settings);
// A cell of the palette window dropped on another: `source` becomes
// `destination` (colour references, PALETTEINDEX accepted) in the frame
// selection, inside the selected area when `useSelection` and one exists.
// Below 256 colours or without Ctrl an exact replacement, else dialog 1031.
int ReplaceColor(COLORREF source, COLORREF destination, int useSelection);
// Every pixel of `color` in the bitmap becomes `newColor` (no undo).
void ReplaceBitmapColor(HBITMAP bitmap, COLORREF color, COLORREF newColor);

// Hue, lightness and saturation (each 0..1) of a colour, and back; HlsToRgb
// leaves the channels as they are when saturation is above 1.
void RgbToHls(int red, int green, int blue, double* hue, double* lightness, double* saturation);
void HlsToRgb(double hue, double lightness, double saturation, int* red, int* green, int* blue);

// The per-pixel routines of the passes, also run by the dialogs' previews
// over a 24-bit copy of the area: (progress dialog or null, first pixel of the
// top row, width, height, byte step to the next lower row, colour table of an
// 8-bit buffer or null, settings record) -> number of pixels changed.
int ReplaceColorRoutine(HWND progress, BYTE* top, int width, int height, int rowStep, const RGBQUAD* colors,
                        void* settings);
int AdjustColorsRoutine(HWND progress, BYTE* top, int width, int height, int rowStep, const RGBQUAD* colors,
                        void* settings);
// After a change of frame format: the settings records' defaults.
void ResetColorToolSettings();
