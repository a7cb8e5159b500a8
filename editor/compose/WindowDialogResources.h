// Resource ids of the window, region, path, sound and offset dialogs: their
// controls, strings and bitmaps. Read by the resource compiler as well as by
// C++, so it holds plain #defines only; the templates' own ids are the
// editor's (editor/shell/resource.h).
#pragma once

// ---- "Animation Window Settings" (1010) -----------------------------------------
#define IDC_WS_TABS                     300
#define IDC_WS_TITLE                    302
#define IDC_WS_CENTRED                  304
#define IDC_WS_RANDOM                   305
#define IDC_WS_POSITION                 306
#define IDC_WS_POS_X                    308
#define IDC_WS_POS_Y                    310
#define IDC_WS_DIALOG_BORDER            312
#define IDC_WS_STANDARD_BORDER          313
#define IDC_WS_TITLE_BAR                314
#define IDC_WS_SYSTEM_MENU              315
#define IDC_WS_MINIMIZE                 316
#define IDC_WS_TOPMOST                  317
#define IDC_WS_FULL_SCREEN              319
#define IDC_WS_SIZE                     320
#define IDC_WS_WIDTH                    322
#define IDC_WS_HEIGHT                   324
#define IDC_WS_SYSTEM_TIMER             326
#define IDC_WS_HIDE_CURSOR              327
#define IDC_WS_CENTRE_WINDOW            332
#define IDC_WS_CENTRE_FRAME             333
#define IDC_WS_COLOR_BUTTON             335
#define IDC_WS_COLOR                    336
#define IDC_WS_IMAGE                    337
#define IDC_WS_IMAGE_FILE               338
#define IDC_WS_IMAGE_CENTRED            339
#define IDC_WS_IMAGE_AT                 340
#define IDC_WS_IMAGE_X                  341
#define IDC_WS_IMAGE_Y                  343
#define IDC_WS_EDIT_IMAGE               344
// The pages: the items of each, first..last.
#define IDC_WS_PAGE1_FIRST              301
#define IDC_WS_PAGE1_LAST               327
#define IDC_WS_PAGE2_FIRST              330
#define IDC_WS_PAGE2_LAST               348

// ---- additional options (1014) -----------------------------------------------------
#define IDC_AO_LOAD_NEXT                1105
#define IDC_AO_LOAD_NEW_WINDOW          1106
#define IDC_AO_START_PROGRAM            1107
#define IDC_AO_FILE_BUTTON              1111
#define IDC_AO_FILE                     1112
#define IDC_AO_DESKTOP_PICTURE          1113
#define IDC_AO_IN_BACKGROUND            1116
#define IDC_AO_PART_ONLY                1119
#define IDC_AO_PALETTE                  1121

// ---- "Select Sound:" (1035) -----------------------------------------------------------
#define IDC_SOUND_TEST                  1080
#define IDC_SOUND_ADD                   1081
#define IDC_SOUND_DELETE                1082
#define IDC_SOUND_LIST                  1083
#define IDC_SOUND_REPEAT                1085
#define IDC_SOUND_LOW_PRIORITY          1086
#define IDC_SOUND_SIMPLE                1087
#define IDC_SOUND_REPLACE               1088
#define IDC_SOUND_OFF_WAVE              1089
#define IDC_SOUND_OFF_MIDI              1090
#define IDC_SOUND_OFF_BOTH              1091

// ---- "Set Frame Offsets" (1015) ---------------------------------------------------------
#define IDC_OFFSET_FRAME                401
#define IDC_OFFSET_NAME                 402
#define IDC_OFFSET_X                    405
#define IDC_OFFSET_X_SPIN               406
#define IDC_OFFSET_Y                    407
#define IDC_OFFSET_Y_SPIN               408
#define IDC_OFFSET_NEXT                 411
#define IDC_OFFSET_PREVIOUS             412
#define IDC_OFFSET_SET_ALL              413
#define IDC_OFFSET_OK                   419

// ---- Strings --------------------------------------------------------------------------
#define IDS_TYPE_BITMAP_FILE            32
#define IDS_TYPE_SOUND_FILE             41
#define IDS_TYPE_PROGRAM                42
#define IDS_SOUND_NONE                  201
#define IDS_SOUND_STOP                  203
#define IDS_STANDARD_PALETTE            510
#define IDS_TITLE_BACKGROUND            823
#define IDS_TITLE_FOLLOWING             828
#define IDS_TITLE_SOUND_FILE            829   // "Sound File:", the shell's string
#define IDS_TITLE_PROGRAM               830
#define IDS_TITLE_BACKGROUND_COLOR      839
#define IDS_PATH_WARNING                2010
