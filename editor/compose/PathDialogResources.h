// Resource ids of the path editor's dialogs and the foreground region
// dialog: their controls, bitmaps and strings. Read by the resource compiler
// as well as by C++, so it holds plain #defines only; the templates' own ids
// are the editor's (editor/shell/resource.h).
#pragma once

// ---- "Define Animation Path" (1045) ----------------------------------------------
#define IDC_PATH_NODE_COUNT             380   // "of" count
#define IDC_PATH_NODE_NUMBER            382   // 1-based number of the current node
#define IDC_PATH_FRAME                  383   // owner-drawn frame picker
#define IDC_PATH_FRAME_SCROLL           384
#define IDC_PATH_POINTER_X              385   // "X:" of the pointer, stored coordinates
#define IDC_PATH_POINTER_Y              386
#define IDC_PATH_TOOLS                  387   // owner-drawn tool strip
#define IDC_PATH_CANVAS                 388   // "REGION", subclassed by PathCanvasProc
#define IDC_PATH_DELAY                  389   // also the delay field of 1048
#define IDC_PATH_DELAY_SPIN             390
#define IDC_PATH_FIX_FRAME              391
#define IDC_PATH_SOUND                  392
#define IDC_PATH_WAIT                   393   // "Disabled at Start" of one node
#define IDC_PATH_START_LIST             394
#define IDC_PATH_START_LABEL            395
#define IDC_PATH_NODE_SCROLL            396
#define IDC_PATH_OPTIONS                397
#define IDC_PATH_ASSIGN_FRAMES          378

// ---- "Change Path Definition" (1046) ---------------------------------------------
#define IDC_CHANGE_PATH_COUNT           380
#define IDC_CHANGE_PATH_SPIN            381

// ---- "Path Options" (1047) -----------------------------------------------------------
#define IDC_PATHOPT_NO_REPEAT           398
#define IDC_PATHOPT_INFINITE            399
#define IDC_PATHOPT_REPEAT_COUNT        400
#define IDC_PATHOPT_COUNT               401
#define IDC_PATHOPT_ABSOLUTE            402
#define IDC_PATHOPT_RELATIVE            403
#define IDC_PATHOPT_DISABLED            404

// ---- "Assign frames to path nodes" (1048) --------------------------------------------
#define IDC_ASSIGN_WHOLE_PATH           410
#define IDC_ASSIGN_SELECTED             411
#define IDC_ASSIGN_REPEAT               412
#define IDC_ASSIGN_REVERSE              413
#define IDC_ASSIGN_START                414
#define IDC_ASSIGN_START_SPIN           415
#define IDC_ASSIGN_END                  416
#define IDC_ASSIGN_END_SPIN             417
#define IDC_ASSIGN_DELAY_CHECK          418

// ---- "Define Foreground Regions..." (1011) -------------------------------------------
#define IDC_REGION_EDITOR               381   // "REGION", subclassed by RegionEditorProc
#define IDC_REGION_POINTER              382   // "X:%d  Y:%d "
#define IDC_REGION_COUNT                383   // "Number of Regions:"
#define IDC_REGION_TOOLS                384   // owner-drawn tool strip
#define IDC_REGION_ZOOM_IN              385
#define IDC_REGION_ZOOM_OUT             386

// ---- Bitmaps and strings ---------------------------------------------------------------
#define IDB_REGION_TOOLS                928
#define IDB_PATH_TOOLS                  929
#define IDS_PATH_TOO_LONG               2011
