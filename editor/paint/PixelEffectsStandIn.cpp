// Stands in for the pixel passes until they are part of the editor (their
// unit replaces this file): the settings records exist, every pass refuses,
// and PixelPassesBuilt keeps the effect commands grey.
#include "PixelEffects.h"

EffectMatrix g_effectMatrix{{0, 0, 0, 0, 1, 0, 0, 0, 0}, 0, 0, 0};
ColorReplaceSettings g_colorReplaceSettings{};
ColorAdjustSettings g_colorAdjustSettings{};

bool PixelPassesBuilt() { return false; }

int ApplyEffectMatrix(int, int, int, int) { return 0; }

int ReplaceColorPass(ColorReplaceSettings*, int, int, int, int) { return 0; }

int ReplaceColorInFrames(COLORREF, COLORREF, int, int, int, int, int) { return 0; }

int AdjustColorsPass(ColorAdjustSettings*) { return 0; }

void ResetColorToolSettings() {}
