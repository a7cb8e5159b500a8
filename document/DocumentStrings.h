// String-table ids of the document pieces: the settings file's sections and
// keys (the settings file names them by id) and the messages these pieces
// show. The texts are in DocumentStrings.rc.
#pragma once

// The title of a new animation's window.
#define IDS_DEFAULT_ANIMATION_TITLE 65
// Status text of "Detect used colors".
#define IDS_COLORS_DETECTED 158
// Question when an inserted image's size differs from the frames'.
#define IDS_ASK_SCALE_FRAME 1505

// Settings sections and keys.
#define IDS_SECTION_FILE 9000
#define IDS_KEY_BMX_COMPRESSION 9001
#define IDS_KEY_BMP_COMPRESSION 9002
#define IDS_KEY_USE_SAVED_PALETTE 9003
#define IDS_KEY_ASK_STRETCH_FRAME 9005
#define IDS_KEY_SHOW_PREVIEW 9006
#define IDS_KEY_DIB_COLOR_LOOKUP 9007
#define IDS_KEY_DITHER_ON_OPEN 9008
#define IDS_KEY_DITHER_ON_PASTE 9009
#define IDS_KEY_USE_DEVICE_BITMAPS 9011

#define IDS_SECTION_EDIT 9100
#define IDS_KEY_SHOW_FRAME_ON_INSERT 9101
#define IDS_KEY_AUTO_CLEAR_FRAME_SELECTION 9102
#define IDS_KEY_ALTERNATE_FILL 9103
#define IDS_KEY_UNDO_BUFFER_SIZE 9104
#define IDS_KEY_VIEW_SIZE 9105
#define IDS_KEY_MOVE_KEYS 9106
#define IDS_KEY_SOFT_UNDO 9108
#define IDS_KEY_PREVIEW_TEXT 9109
#define IDS_KEY_GREASE_PROOF_MODE 9110
#define IDS_KEY_EDIT_BORDER 9111

#define IDS_SECTION_WINDOW 9200
#define IDS_KEY_USE_SYSTEM_PALETTE 9202
#define IDS_KEY_USE_CLIPBOARD_PALETTE 9203
#define IDS_KEY_SHOW_PATH_IN_TITLE 9204
#define IDS_KEY_RESET_TOOLS 9205
#define IDS_KEY_WINDOW_SIZE 9206
#define IDS_KEY_MAXIMIZED 9207
#define IDS_KEY_TRACK_FILM 9209
#define IDS_KEY_RIGHT_DBL_CLICK 9310

#define IDS_SECTION_PRINT 9400
#define IDS_KEY_BANDING 9401
