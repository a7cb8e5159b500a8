// The colour effect dialogs: "Replace color with..." on ColorReplaceSettings
// and "Adjust Colors..." on ColorAdjustSettings, each with a live preview of
// the affected area run through the same per-pixel routine as the pass.
#pragma once
#include "PixelEffects.h"
#include <windows.h>

// "Replace color with..." items. Each group's three value fields are followed
// by their spin bars (field id + 1).
constexpr int IDC_SOURCE_SWATCH = 250;
constexpr int IDC_SOURCE_FIELD = 251;  // 251, 253, 255
constexpr int IDC_DEST_SWATCH = 260;
constexpr int IDC_DEST_FIELD = 261;    // 261, 263, 265
constexpr int IDC_REPLACE_PREVIEW = 267;
constexpr int IDC_REPLACE_INVERT = 268;
constexpr int IDC_REPLACE_RESET = 269;
constexpr int IDC_HUE_TOLERANCE = 270;  // 270, 272, 274
constexpr int IDC_TOLERANCE_MODE = 276;
constexpr int IDC_UNIQUE_TOLERANCE = 277;
constexpr int IDC_KEEP_DIFFERENCES = 278;
constexpr int IDC_REPLACE_HUE = 279;    // 279 hue, 280 saturation, 281 lightness
constexpr int IDC_SOURCE_LABEL = 284;   // 284-286; the destination's 287-289

// "Adjust Colors..." items.
constexpr int IDC_ADJUST_KIND = 290;
constexpr int IDC_ALTER_BY = 291;
constexpr int IDC_SET_TO = 292;
constexpr int IDC_ADJUST_VALUE = 293;
constexpr int IDC_ADJUST_SPIN = 294;
constexpr int IDC_ADJUST_PREVIEW = 296;

// A colour's hue, saturation and lightness as the fields show them: each
// 0..1 quantity x 240 + 0.5, truncated.
struct HlsFields {
    int hue, saturation, lightness;
};
HlsFields HlsFieldsOf(COLORREF color);
// The colour of three field values (each divided by 240).
COLORREF ColorOfHlsFields(const HlsFields& fields);

// The part of a bitmap a preview shows: the area clipped to the bitmap; an
// empty area (the settings' reset state) is the whole bitmap.
RECT PreviewSourceArea(int x, int y, int width, int height, SIZE bitmap);
// The preview bitmap's size: as large as fits the control with the area's
// aspect ratio, at least 1 x 1.
SIZE PreviewSize(SIZE area, SIZE control);

INT_PTR CALLBACK ReplaceColorDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AdjustColorsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Puts the two procedures into the dialog runner's table.
void RegisterColorEffectDialogs();
