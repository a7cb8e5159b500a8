// Resource ids of the player control ZelvoPlay.
#pragma once

#define IDI_ZELVOPLAY 1          // the control's icon
#define IDD_ABOUTBOX_ZELVOPLAY 1 // the about box
#define IDD_PROPPAGE_ZELVOPLAY 100

// The about box's text lines: strings from IDS_ABOUT_FIRST on, up to the
// first missing one.
#define IDS_ABOUT_FIRST 101
#define IDS_FILE_NOT_VALID 110   // "%s" stands for the file's name
#define IDS_PROPPAGE_TITLE 120
#define IDS_PROPPAGE_FILTER 121
#define IDS_CONTROL_NAME 122
#define IDS_DOWNLOAD_FAILED 123
#define IDS_REGISTER_MIME_FAILED 124
#define IDS_REGISTER_CAPTION 125

// Controls of the property page.
#define IDC_ANIMATION 201
#define IDC_BROWSE 202
#define IDC_STATUS 203
#define IDC_AUTOSIZE 204
#define IDC_AUTOSCROLL 205
#define IDC_ORIGINX 206
#define IDC_ORIGINY 207
#define IDC_SPIN_ORIGINX 208
#define IDC_SPIN_ORIGINY 209
#define IDC_AUTONEXT 210
#define IDC_SOUND 211
