// Resource ids of the image library: its string table and dialog templates.
// Read by the resource compiler as well as by C++, so it holds plain #defines.
#pragma once

// ---- GetFormats entries: "description|pattern" --------------------------------
#define IDS_FORMAT_PCX                  100
#define IDS_FORMAT_GIF                  101
#define IDS_FORMAT_TIFF                 102
#define IDS_FORMAT_RESOURCE_BITMAP      103
#define IDS_FORMAT_AVI                  104
#define IDS_FORMAT_ICON_OPEN            105
#define IDS_FORMAT_ICON_SAVE            106
#define IDS_FORMAT_ANI                  107
#define IDS_FORMAT_GIF_ANIM             108
#define IDS_FORMAT_JPEG                 109

// ---- Texts of previews and menu entries ----------------------------------------
#define IDS_ERROR_CAPTION               200
#define IDS_NO_BITMAP_RESOURCES         201
#define IDS_NO_VIDEO_LIBRARY            203
#define IDS_MENU_ANIMATION              205
#define IDS_MENU_CHANGE_FORMAT          206

// ---- Progress dialog "Converting..." ---------------------------------------------
#define IDD_CONVERTING                  100  // the bar only
#define IDD_CONVERTING_CANCEL           101  // the bar and "&Cancel"
#define IDC_CONVERT_BAR                 101
#define IDC_CONVERT_CANCEL              102

// ---- The film strip "AVIREEL" ---------------------------------------------------------
#define IDB_REEL_BORDER                 100  // the film edge; the sprocket band in its second row

// ---- GIF: strings ---------------------------------------------------------------------
#define IDS_GIF_FRAME_LINE              209  // "Frame %d: %dx%d  %d Colors"
#define IDS_GIF_DEFAULT_COMMENT         210
#define IDS_GIF_DISPOSE_NOTHING         220  // the disposal values 0 to 3
#define IDS_GIF_DISPOSE_LEAVE           221
#define IDS_GIF_DISPOSE_BACKGROUND      222
#define IDS_GIF_DISPOSE_PREVIOUS        223

// ---- GIF: the import options dialog "GIF - Importoptionen" -----------------------------
#define IDD_GIF_IMPORT                  109
#define IDC_GIF_IMPORT_SEQUENCE         100
#define IDC_GIF_IMPORT_ONE              101
#define IDC_GIF_IMPORT_ASSEMBLED        102
#define IDC_GIF_IMAGE_LIST              110
#define IDC_GIF_CANVAS_WIDTH            111
#define IDC_GIF_CANVAS_WIDTH_SPIN       112
#define IDC_GIF_CANVAS_HEIGHT           113
#define IDC_GIF_CANVAS_HEIGHT_SPIN      114

// ---- GIF: the settings dialog "GIF-Animation" --------------------------------------------
#define IDD_GIF_ANIMATION               110
#define IDC_GIF_COMMENT_ON              100
#define IDC_GIF_COMMENT                 101
#define IDC_GIF_REPEAT                  102
#define IDC_GIF_INFINITE                103
#define IDC_GIF_LOOPS                   104
#define IDC_GIF_LOOP_COUNT              105
#define IDC_GIF_LOOP_SPIN               106
#define IDC_GIF_PREVIOUS                107
#define IDC_GIF_NEXT                    108
#define IDC_GIF_FRAME_NUMBER            109
#define IDC_GIF_BACKGROUND              110
#define IDC_GIF_STRIP                   111
#define IDC_GIF_DELAY_ON                112
#define IDC_GIF_DELAY                   113
#define IDC_GIF_DELAY_SPIN              114
#define IDC_GIF_USER_INPUT              115
#define IDC_GIF_DISPOSAL                116
#define IDC_GIF_INTERLACED              117
#define IDC_GIF_PREVIEW                 118
#define IDC_GIF_SAME_FOR_ALL            119
#define IDC_GIF_TRANSPARENT             120
#define IDC_GIF_LEFT                    121
#define IDC_GIF_LEFT_SPIN               122
#define IDC_GIF_TOP                     123
#define IDC_GIF_TOP_SPIN                124
#define IDC_GIF_BROWSER                 125

// ---- GIF: the preview player "Preview" ------------------------------------------------------
#define IDD_GIF_PREVIEW                 111

// ---- Dialog "Open Resource Bitmap" -----------------------------------------------
#define IDD_RESOURCE_BITMAP             102
#define IDC_RESOURCE_PATH               100
#define IDC_RESOURCE_LIST               101
#define IDC_RESOURCE_PREVIEW            102
#define IDC_RESOURCE_SHOW_PREVIEW       103
#define IDC_RESOURCE_SIZE               104
#define IDC_RESOURCE_COLORS             105
