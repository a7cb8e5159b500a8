// Stands in for the pixel passes until they are part of the editor (their
// unit replaces this file): the settings records exist, every pass refuses,
// and PixelPassesBuilt keeps the effect commands grey.
#include "PixelEffects.h"
#include "AppState.h"
#include "FrameSelection.h"
#include "Palette.h"
#include "Undo.h"

EffectMatrix g_effectMatrix{{0, 0, 0, 0, 1, 0, 0, 0, 0}, 0, 0, 0};
ColorReplaceSettings g_colorReplaceSettings{};
ColorAdjustSettings g_colorAdjustSettings{};

bool PixelPassesBuilt() { return false; }

int ApplyEffectMatrix(int, int, int, int) { return 0; }

int ReplaceColorPass(ColorReplaceSettings*, int, int, int, int) { return 0; }

int ReplaceColorInFrames(COLORREF, COLORREF, int, int, int, int, int) { return 0; }

int AdjustColorsPass(ColorAdjustSettings*) { return 0; }

void ResetColorToolSettings() {}

// The exact replacement through a mask: the pixels of `color` become white
// in a monochrome copy, are cut out of the bitmap and filled with the new
// colour.
void ReplaceBitmapColor(HBITMAP bitmap, COLORREF color, COLORREF newColor)
{
    BITMAP info{};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return;
    HDC screen = GetDC(nullptr);
    // Frames live selected in the shared memory DC; use it when there is one.
    HDC frame = g_appState.memoryDC ? g_appState.memoryDC : CreateCompatibleDC(screen);
    HDC mask = CreateCompatibleDC(screen);
    HBITMAP maskBitmap = CreateBitmap(info.bmWidth, info.bmHeight, 1, 1, nullptr);
    HGDIOBJ oldFrame = SelectObject(frame, bitmap);
    HGDIOBJ oldMask = SelectObject(mask, maskBitmap);
    HPALETTE oldPalette = g_appState.documentPalette ? SelectPalette(frame, g_appState.documentPalette, TRUE) : nullptr;
    if (oldPalette) RealizePalette(frame);
    SetBkColor(frame, color);
    BitBlt(mask, 0, 0, info.bmWidth, info.bmHeight, frame, 0, 0, SRCCOPY);
    SetBkColor(frame, RGB(0, 0, 0));
    SetTextColor(frame, RGB(255, 255, 255));
    BitBlt(frame, 0, 0, info.bmWidth, info.bmHeight, mask, 0, 0, SRCAND);  // the colour's pixels black
    SetBkColor(frame, newColor);
    SetTextColor(frame, RGB(0, 0, 0));
    BitBlt(frame, 0, 0, info.bmWidth, info.bmHeight, mask, 0, 0, SRCPAINT);
    if (oldPalette) SelectPalette(frame, oldPalette, TRUE);
    SelectObject(mask, oldMask);
    SelectObject(frame, oldFrame);
    DeleteObject(maskBitmap);
    DeleteDC(mask);
    if (frame != g_appState.memoryDC) DeleteDC(frame);
    ReleaseDC(nullptr, screen);
}

int ReplaceColor(COLORREF source, COLORREF destination, int)
{
    source = PaletteIndexToRgb(source) & 0xFFFFFF;
    destination = PaletteIndexToRgb(destination) & 0xFFFFFF;
    const int current = g_appState.currentFrame;
    RecordUndo(UNDO_BEGIN_GROUP, current);
    int done = 0;
    for (int frame = NextSelectedFrame(-1); frame >= 0; frame = NextSelectedFrame(frame)) {
        if (frame >= MAX_FRAME_BITMAPS || !g_appState.frameBitmaps[frame]) continue;
        if (!RecordUndo(UNDO_SAVE_FRAME, frame)) break;
        ReplaceBitmapColor(g_appState.frameBitmaps[frame], source, destination);
        ++done;
    }
    RecordUndo(UNDO_END_GROUP, current);
    return done ? 1 : 0;
}

int ReplaceColorRoutine(HWND, BYTE*, int, int, int, const RGBQUAD*, void*) { return 0; }

int AdjustColorsRoutine(HWND, BYTE*, int, int, int, const RGBQUAD*, void*) { return 0; }

// The colour model conversions are plain arithmetic that the colour dialogs
// show their fields in, so they are here in full.
void RgbToHls(int red, int green, int blue, double* hue, double* lightness, double* saturation)
{
    const double r = red * 0.00392156862745098, g = green * 0.00392156862745098, b = blue * 0.00392156862745098;
    const double high = r > g ? (r > b ? r : b) : (g > b ? g : b);
    const double low = r < g ? (r < b ? r : b) : (g < b ? g : b);
    const double l = (high + low) / 2;
    *lightness = l;
    const double d = high - low;
    if (d < 0.02) {
        *saturation = 0;
        *hue = 0.6666666;
        return;
    }
    *saturation = l < 0.5 ? d / (high + low) : d / (2 - high - low);
    double h = high == r ? (g - b) / d : high == g ? (b - r) / d + 2 : (r - g) / d + 4;
    h *= 0.16666666666666666;
    if (h < 0) h += 1;
    *hue = h;
}

namespace {

double HueChannel(double m1, double m2, double h)
{
    if (h < 0) h += 1;
    else if (h > 1) h -= 1;
    if (6 * h < 1) return m1 + (m2 - m1) * 6 * h;
    if (2 * h < 1) return m2;
    if (3 * h < 2) return m1 + (m2 - m1) * (0.6666666666666666 - h) * 6;
    return m1;
}

}  // namespace

void HlsToRgb(double hue, double lightness, double saturation, int* red, int* green, int* blue)
{
    if (hue < 0) hue += 1;
    else if (hue > 1) hue -= 1;
    lightness = lightness < 0 ? 0 : lightness > 1 ? 1 : lightness;
    if (saturation > 1) return;
    if (saturation < 0.01) {
        *red = *green = *blue = static_cast<int>(lightness * 255);
        return;
    }
    const double m2 = lightness <= 0.5 ? lightness * (1 + saturation) : lightness + saturation - lightness * saturation;
    const double m1 = 2 * lightness - m2;
    *red = static_cast<int>(255 * HueChannel(m1, m2, hue + 0.3333333333333333));
    *green = static_cast<int>(255 * HueChannel(m1, m2, hue));
    *blue = static_cast<int>(255 * HueChannel(m1, m2, hue - 0.3333333333333333));
}
