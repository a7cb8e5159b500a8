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

// ---- Dialog "Open Resource Bitmap" -----------------------------------------------
#define IDD_RESOURCE_BITMAP             102
#define IDC_RESOURCE_PATH               100
#define IDC_RESOURCE_LIST               101
#define IDC_RESOURCE_PREVIEW            102
#define IDC_RESOURCE_SHOW_PREVIEW       103
#define IDC_RESOURCE_SIZE               104
#define IDC_RESOURCE_COLORS             105
