// Control ids of "Editor Settings", "Effects", "Rotate" and "Edit Fill
// Patterns", shared by their templates (SettingsDialogs.rc) and procedures
// (SettingsDialogs.cpp). Read by the resource compiler too: the procedures'
// declarations stand outside its view.
#pragma once

// "Edit Fill Patterns": the twelve pattern buttons, the editing grid, the
// preview and the save switch.
#define IDC_PATTERN_FIRST           901
#define IDC_PATTERN_LAST            912
#define IDC_PATTERN_GRID            921
#define IDC_PATTERN_PREVIEW         922
#define IDC_PATTERN_SAVE            923

// "Rotate".
#define IDC_ROTATE_VACANT           1712
#define IDC_ROTATE_CENTRE_FIRST     1720
#define IDC_ROTATE_CENTRE_LAST      1728
#define IDC_ROTATE_ANGLE            1730
#define IDC_ROTATE_SPIN             1731

// "Editor Settings": the tab control, the page "&Palette" (1810-1816) and
// the page "&Editor" (1830-1840).
#define IDC_SETTINGS_TABS           1800
#define IDC_SETTINGS_PALETTE_GROUP  1810
#define IDC_SETTINGS_LOAD_LABEL     1811
#define IDC_SETTINGS_LOAD_PALETTE   1812
#define IDC_SETTINGS_PASTE_LABEL    1813
#define IDC_SETTINGS_PASTE_PALETTE  1814
#define IDC_SETTINGS_PALETTE_TEXT   1815
#define IDC_SETTINGS_SYSTEM_PALETTE 1816
#define IDC_SETTINGS_SHOW_IMAGE     1830
#define IDC_SETTINGS_UNDO_GROUP     1831
#define IDC_SETTINGS_UNDO_LABEL     1832
#define IDC_SETTINGS_DRAG_GROUP     1833
#define IDC_SETTINGS_DRAG_LEFT      1834
#define IDC_SETTINGS_DRAG_RIGHT     1835
#define IDC_SETTINGS_EXTRAS_GROUP   1836
#define IDC_SETTINGS_EDIT_BORDER    1837
#define IDC_SETTINGS_UNDO_SIZE      1838
#define IDC_SETTINGS_UNDO_FRAMES    1839
#define IDC_SETTINGS_EMULATE_FILL   1840

// "Effects": the nine weights row by row, the value range, the options.
#define IDC_EFFECT_WEIGHT_FIRST     1900
#define IDC_EFFECT_WEIGHT_LAST      1908
#define IDC_EFFECT_RANGE_POSITIVE   1910
#define IDC_EFFECT_RANGE_SIGNED     1911
#define IDC_EFFECT_GREYSCALE        1920
#define IDC_EFFECT_INVERT           1921

// The palette usages the two combos of "Editor Settings" list (510-514).
#define IDS_PALETTE_USAGE_FIRST     510

#ifndef RC_INVOKED
#include <windows.h>

// Template 1043: parameter 0; 1 on OK (settings stored and written), 0 on Cancel.
INT_PTR CALLBACK EditorSettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Template 1044: parameter an EffectMatrix*; it changes only on a valid OK (1).
INT_PTR CALLBACK EffectsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Template 1040: parameter 0; OK (1) stores angle, centre and vacant-pixel switch.
INT_PTR CALLBACK RotateDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Template 1034: parameter 0; edits the twelve fill patterns in place, Cancel (0)
// puts every one back.
INT_PTR CALLBACK FillPatternsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The palette-usage combo item for a usage value (0 standard, 1 prompt,
// 2 original) and dither switch, and back: the value and the dither switch
// an item stands for (Prompt keeps the dither switch as it was).
int PaletteUsageItem(int usage, bool dither);
void PaletteUsageOfItem(int item, int* usage, bool* dither);
#endif
