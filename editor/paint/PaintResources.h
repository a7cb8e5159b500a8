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
