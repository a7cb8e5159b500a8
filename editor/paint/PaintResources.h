// Resource ids of the frame canvas and the paint tools: the pattern bitmap,
// the canvas cursors and the tools' status texts. Read by the resource
// compiler as well as by C++, so it holds plain #defines only.
#pragma once

// Five 8 x 8 monochrome pieces 8 pixels apart: grid for zoom 4, grid for
// zoom 8, onion skin without grid, onion skin for zoom 4, for zoom 8.
#define IDB_PAINT_PATTERNS              921
#define IDC_CANVAS_MOVE                 952
#define IDC_CANVAS_HANDLE               953

// Status text of tool t: string 100 + t (wsprintf formats).
#define IDS_TOOL_STATUS_BASE            100
#define IDS_STATUS_SELECT_REGION        110
#define IDS_STATUS_AREA_SELECTED        116
#define IDS_STATUS_INSERT_AREA          132
#define IDS_STATUS_DRAW_ARCH            154
// Status text of transform kind k (0..7): string 160 + k.
#define IDS_TRANSFORM_STATUS_BASE       160
// Names of the colour adjustments: string = ColorAdjustKind (250..256).
#define IDS_ADJUST_BRIGHTNESS           250

// The text tool's modeless dialog "Insert Text" and its controls.
#define IDD_INSERT_TEXT                 1030
#define IDC_TEXT_EDIT                   701
#define IDC_TEXT_FACE                   705
#define IDC_TEXT_SIZE                   706
#define IDC_TEXT_BOLD                   707
#define IDC_TEXT_ITALIC                 708
#define IDC_TEXT_UNDERLINE              709
#define IDC_TEXT_OK                     799
#define IDC_TEXT_LEFT                   801
#define IDC_TEXT_CENTER                 802
#define IDC_TEXT_RIGHT                  803
#define IDC_TEXT_EXTRA                  808
#define IDC_TEXT_TOP                    811
#define IDC_TEXT_BASELINE               812
#define IDC_TEXT_BOTTOM                 813
#define IDC_TEXT_ANGLE                  815
#define IDC_TEXT_ANGLE_SPIN             816
// Its button faces: bold, italic, underline, left, centre, right, top,
// baseline, bottom.
#define IDI_TEXT_BOLD                   6000
#define IDI_TEXT_ITALIC                 6001
#define IDI_TEXT_UNDERLINE              6002
#define IDI_TEXT_LEFT                   6003
#define IDI_TEXT_CENTER                 6004
#define IDI_TEXT_RIGHT                  6005
#define IDI_TEXT_TOP                    6006
#define IDI_TEXT_BASELINE               6007
#define IDI_TEXT_BOTTOM                 6008
