// Control ids of "New Frame Sequence", "Save Frame Sequence" and the two
// "Color Palette Request" boxes; shared by their templates
// (SequenceDialogs.rc) and procedures (SequenceDialogs.cpp). Read by the
// resource compiler, so it holds plain #defines only.
#pragma once

#define IDC_PALETTE_ICON            150
#define IDC_PALETTE_MAP             151
#define IDC_PALETTE_DITHER          152
#define IDC_PALETTE_LOAD_OWN        153

#define IDC_NEW_NAME                101
#define IDC_NEW_TYPE                102
#define IDC_NEW_TRANSPARENT         103
#define IDC_NEW_PASTE_CLIPBOARD     104
#define IDC_NEW_WIDTH               211
#define IDC_NEW_WIDTH_SPIN          212
#define IDC_NEW_HEIGHT              213
#define IDC_NEW_HEIGHT_SPIN         214
// The colour depths 225-229 are those of "Change Frame Format".

#define IDC_EXPORT_FILENAMES        501
#define IDC_EXPORT_DIRECTORY        502
#define IDC_EXPORT_FORMAT           503
