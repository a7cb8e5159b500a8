// Resource ids of the composition dialogs: their controls, the cycle dialog's
// menu bar and commands, and their strings. Read by the resource compiler as
// well as by C++, so it holds plain #defines only. The templates' own ids
// (IDD_SELECT_OBJECT, ...) are the editor's, in editor/shell/resource.h.
#pragma once

// ---- "Select Object" (1017), "New Object" (1016), "Move / Delete Object" (1018)
#define IDC_OBJECT_LIST                 1200  // 1017, 1018: the objects; 1016: "Copy from Object:" combo
#define IDC_COPY_FROM_OBJECT            1200
#define IDC_OBJECT_SEQUENCES            1201  // the sequences' file names
#define IDC_OBJECT_NAME                 1202  // "Current Object:" / the new object's name
#define IDC_EXISTING_FILE               1205
#define IDC_OPEN_FILE                   1206
#define IDC_NEW_FILE                    1207
#define IDC_DELETE_OBJECT               1208

// ---- "Define Animation Sequence" (1012) ---------------------------------------
#define IDC_SEQ_REPEAT                  351
#define IDC_SEQ_REVERSE                 352
#define IDC_SEQ_SOLID_BORDER            355
#define IDC_SEQ_TOGGLE_DIRECTION        358
#define IDC_SEQ_TOGGLE_CYCLE            359
#define IDC_SEQ_START_X                 361
#define IDC_SEQ_START_Y                 362
#define IDC_SEQ_DX                      363
#define IDC_SEQ_DX_SPIN                 364
#define IDC_SEQ_DY                      365
#define IDC_SEQ_DY_SPIN                 366
#define IDC_SEQ_INFINITE                367
#define IDC_SEQ_TERMINATE               368
#define IDC_SEQ_REPEAT_COUNT            369
#define IDC_SEQ_CYCLE_DELAY             371
#define IDC_SEQ_MOTION_DELAY            372
#define IDC_SEQ_DISABLED                375

// ---- "Define Cycle" (1013) ----------------------------------------------------
#define IDC_CYCLE_FRAMES                1001  // FILMSTRIP of the sequence's frames
#define IDC_CYCLE_STEPS                 1002  // FILMSTRIP of the working step list
#define IDC_CYCLE_ADD                   1005
#define IDC_CYCLE_REPLACE               1006
#define IDC_CYCLE_INSERT                1007
#define IDC_CYCLE_DELETE                1008
#define IDC_CYCLE_OK                    1009
#define IDC_CYCLE_STEP_GROUP            1010  // the status line is drawn into it
#define IDC_CYCLE_X                     1011
#define IDC_CYCLE_X_SPIN                1012
#define IDC_CYCLE_Y                     1013
#define IDC_CYCLE_Y_SPIN                1014
#define IDC_CYCLE_DELAY                 1015
#define IDC_CYCLE_DELAY_SPIN            1016
#define IDC_CYCLE_X_ABSOLUTE            1017
#define IDC_CYCLE_Y_ABSOLUTE            1018
#define IDC_CYCLE_FIX_FRAME             1019
#define IDC_CYCLE_SOUND                 1020
#define IDC_CYCLE_BRANCH_GROUP          1030
#define IDC_CYCLE_COUNTER               1031
#define IDC_CYCLE_COUNTER_SPIN          1032
#define IDC_CYCLE_COUNTER_CHECK         1033
#define IDC_CYCLE_MOUSE_CHECK           1034
#define IDC_CYCLE_POSITION_CHECK        1035
#define IDC_CYCLE_KEY_CHECK             1036
#define IDC_CYCLE_MOUSE_BUTTON          1037
#define IDC_CYCLE_POSITION_BUTTON       1038
#define IDC_CYCLE_KEY_BUTTON            1039
#define IDC_CYCLE_KEY_COMBO             1040
#define IDC_CYCLE_JUMP                  1041
#define IDC_CYCLE_JUMP_SPIN             1042
#define IDC_CYCLE_EXTRAS_GROUP          1050
#define IDC_CYCLE_OPTIONS               1052
#define IDC_CYCLE_START_LIST            1053
#define IDC_CYCLE_START_LABEL           1054

// Menu bar 101 of the cycle dialog and its commands.
#define IDR_CYCLE_MENU                  101
#define IDM_CYCLE_OBJECT_FIRST          10000  // + object index
#define IDM_CYCLE_CHANGE_X              10052
#define IDM_CYCLE_CHANGE_Y              10053
#define IDM_CYCLE_CHANGE_DELAY          10054
#define IDM_CYCLE_CHANGE_FLAGS          10055
#define IDM_CYCLE_INSERT_PATH           10058
#define IDM_CYCLE_CONDITION_NONE        10090
#define IDM_CYCLE_CONDITION_COUNTER     10091
#define IDM_CYCLE_OBJECT_DUMMY          10098  // replaced by the objects
#define IDM_CYCLE_CONDITIONS_DUMMY      10099  // replaced by the condition items
#define IDM_CYCLE_MOUSE_FIRST           10100  // 10100-10105
#define IDM_CYCLE_POSITION_FIRST        10108  // 10108-10113
#define IDM_CYCLE_KEY_PRESSED           10116
#define IDM_CYCLE_KEY_NOT_PRESSED       10117
#define IDM_CYCLE_DISABLED_AT_START     10151
#define IDM_CYCLE_ADD_ALL               10152
#define IDM_CYCLE_INSERT_ALL            10153
#define IDM_CYCLE_DELETE_ALL            10154
#define IDM_CYCLE_HELP                  10199
#define IDM_CYCLE_START_RUN             113
#define IDM_CYCLE_CONTROL_CENTRE        112

// ---- "Change ... Value" (1037) ------------------------------------------------
#define IDC_CHANGE_SET                  1401
#define IDC_CHANGE_ALTER                1402
#define IDC_CHANGE_SET_VALUE            1403
#define IDC_CHANGE_ALTER_VALUE          1404
#define IDC_CHANGE_ABSOLUTE             1405
#define IDC_CHANGE_RELATIVE             1406
#define IDC_CHANGE_ALL                  1407
#define IDC_CHANGE_FROM_BEGINNING       1408
#define IDC_CHANGE_FROM_CURRENT         1409
#define IDC_CHANGE_FROM_POSITION        1410
#define IDC_CHANGE_FROM_VALUE           1411
#define IDC_CHANGE_TO_END               1412
#define IDC_CHANGE_TO_NUMBER            1413
#define IDC_CHANGE_TO_POSITION          1414
#define IDC_CHANGE_NUMBER_VALUE         1415
#define IDC_CHANGE_TO_VALUE             1416
#define IDC_CHANGE_FIX_FRAME            1417
#define IDC_CHANGE_WAIT                 1418

// ---- Strings --------------------------------------------------------------------
#define IDS_TYPE_OBJECT_FILE            40    // the file chooser's type of object files
#define IDS_FILE_CHOICE                 66    // "File..." in "Copy from Object:"
#define IDS_NO_SOUND                    200
#define IDS_SOUND_OFF                   204
#define IDS_CYCLE_STATUS                298   // the status line's format
#define IDS_START_OBJECTS               299
#define IDS_MOUSE_CONDITION_FIRST       300   // 300-305
#define IDS_POSITION_CONDITION_FIRST    320   // 320-325
#define IDS_KEY_CONDITION_FIRST         340   // 340-341
#define IDS_KEY_NAME_FIRST              400   // 400-419 "hex code;name"
#define IDS_KEY_NAME_LAST               419
#define IDS_CYCLE_OPTION_FIRST          480   // 480-483
#define IDS_TITLE_OPEN_OBJECT           831
#define IDS_CHANGE_CAPTION_FIRST        840   // 840-843 by command 10052-10055
#define IDS_CYCLE_CAPTION               844
#define IDS_WARNING                     1503
#define IDS_USE_CYCLE                   2008
#define IDS_USE_SEQUENCE                2009
#define IDC_CHANGE_FILTER_GROUP         1420  // the group box of 1405-1407
