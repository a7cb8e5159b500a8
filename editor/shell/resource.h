// Resource ids of the editor program: dialog templates, their controls and the
// string table. Read by the resource compiler as well as by C++, so it holds
// plain #defines only. Every editor subsystem adds its ids here.
#pragma once

// ---- Dialog templates run modally through RunDialog --------------------------
#define IDD_NEW_SEQUENCE                1005
#define IDD_STANDARD_PALETTE_REQUEST    1006
#define IDD_CURRENT_PALETTE_REQUEST     1007
#define IDD_ANIMATION_WINDOW_SETTINGS   1010
#define IDD_FOREGROUND_REGIONS          1011
#define IDD_SEQUENCE_ANIMATION          1012
#define IDD_CYCLE_DEFINITION            1013
#define IDD_ADDITIONAL_OPTIONS          1014
#define IDD_FRAME_OFFSETS               1015
#define IDD_NEW_OBJECT                  1016
#define IDD_SELECT_OBJECT               1017
#define IDD_MOVE_DELETE_OBJECT          1018
#define IDD_SAVE_SEQUENCE               1020
#define IDD_CHANGE_FORMAT               1021
#define IDD_REPLACE_CURRENT_COLOR       1025
#define IDD_REPLACE_PALETTE_COLOR       1026
#define IDD_MODIFY_PALETTE              1027
#define IDD_TRANSPARENT_COLOR           1028
#define IDD_REPLACE_COLOR               1031
#define IDD_ADJUST_COLORS               1032
#define IDD_FILL_PATTERNS               1034
#define IDD_SELECT_SOUND                1035
#define IDD_CHANGE_VALUES               1037
#define IDD_INSTALL_ANIMATION           1038
#define IDD_ROTATE                      1040
#define IDD_EDITOR_SETTINGS             1043
#define IDD_EFFECTS                     1044
#define IDD_ANIMATION_PATH              1045
#define IDD_CHANGE_PATH                 1046
#define IDD_PATH_OPTIONS                1047
#define IDD_ASSIGN_FRAMES               1048
#define IDD_PICK_COLOR                  1049
#define IDD_ABOUT                       1098
#define IDD_SAVE_CHANGES                1099

// The file chooser's own part below the system's open and save dialogs.
#define IDD_FILE_PREVIEW                131
#define IDC_PREVIEW_GROUP               1170
#define IDC_PREVIEW_IMAGE               1171
#define IDC_PREVIEW_SIZE_LABEL          1172
#define IDC_PREVIEW_SIZE                1173
#define IDC_PREVIEW_COLORS_LABEL        1174
#define IDC_PREVIEW_COLORS              1175
#define IDC_PREVIEW_SHOW                1176

// ---- Modeless dialogs, created by their own code ------------------------------
#define IDD_INSERT_TEXT                 1030
#define IDD_CONTROL_CENTER              1036
#define IDD_PROGRESS                    1042
#define IDD_PRINT                       1097
// Run with DialogBoxParam by the print command itself.
#define IDD_PRINT_IMAGES                1039

// Controls of the progress dialog "Processing...".
#define IDC_PROGRESS_CANCEL             90
#define IDC_PROGRESS_BAR                91

// Controls of the "Save changes" dialog.
#define IDC_SAVE_ANIMATION_DATA         951
#define IDC_SAVE_FRAME_SEQUENCE         952

// Controls of "Install Animation".
#define IDC_INSTALL_ICON                912
#define IDC_INSTALL_FILE                1501
#define IDC_INSTALL_PATH                1502
#define IDC_INSTALL_GROUPS              1503
#define IDC_INSTALL                     1504

// Controls of "Print Images".
#define IDC_PRINT_PAGE                  1600
#define IDC_PRINT_FILM                  1601
#define IDC_PRINT_FILM_SCROLL           1602
#define IDC_PRINT_KEEP_ASPECT           1603
#define IDC_PRINT_READOUT_X             1604
#define IDC_PRINT_READOUT_Y             1605
#define IDC_PRINT_START                 1606
#define IDC_PRINT_ORIENTATION           1607
#define IDC_PRINT_PAGE_WIDTH            1608
#define IDC_PRINT_PAGE_HEIGHT           1609

// Bitmaps of the about box, the film strips and the print dialog.
#define IDB_STARS                       920
#define IDB_PRINT_ORIENTATION           933
#define IDB_SPROCKETS                   935
#define IDB_ABOUT_PICTURE               937
#define IDB_ABOUT_BALL                  938

// ---- String table ---------------------------------------------------------------

// File types of the file chooser: a description and a pattern joined by "|".
#define IDS_TYPE_ALL_FORMATS            30
#define IDS_TYPE_BITMAPS                33
#define IDS_TYPE_SEQUENCE_FILE          34
#define IDS_TYPE_SINGLE_IMAGES          35
#define IDS_TYPE_ANIMATION_FORMATS      36
#define IDS_TYPE_ANIMATION_FILE         37
#define IDS_TYPE_ARCHIVE                38
#define IDS_TYPE_VIDEO                  39
#define IDS_SEQUENCE_EXTENSION          51
#define IDS_OBJECT_EXTENSION            53
// Default names of new frames, sequences, animations and objects ("%d": a number).
#define IDS_DEFAULT_FRAME_NAME          60
#define IDS_DEFAULT_SEQUENCE_NAME       61
#define IDS_DEFAULT_ANIMATION_NAME      62
#define IDS_DEFAULT_OBJECT_NAME         64
// The runtime player's file name, the start of an installed item's command line.
#define IDS_RUNTIME_PLAYER              63
// Titles of the file chooser.
#define IDS_TITLE_OPEN                  810
#define IDS_TITLE_SAVE_SEQUENCE         825
#define IDS_TITLE_OPEN_ANIMATION        826
#define IDS_TITLE_SAVE_ANIMATION        827
#define IDS_TITLE_SAVE_OBJECT           832
#define IDS_TITLE_CONV_FILE             829
// Buttons of the file chooser renamed for adding and replacing frames.
#define IDS_CHOOSER_ADD                 155
#define IDS_CHOOSER_QUIT                156
#define IDS_CHOOSER_REPLACE             157
// Questions before changes are discarded.
#define IDS_ASK_SAVE_FRAME              2001
#define IDS_ASK_SAVE_SEQUENCE           2002
#define IDS_ASK_SAVE_ANIMATION          2003
#define IDS_CONFIRM_OVERWRITE           2004
#define IDS_INSTALL_SUCCEEDED           2005

// Messages shown by ShowErrorMessage; the id is the result code itself.
#define IDS_ERROR                       28672
#define IDS_OUT_OF_MEMORY               28673
#define IDS_CLIPBOARD_UNAVAILABLE       28674
#define IDS_ANIMATION_NOT_STARTED       28675
#define IDS_NEWER_VERSION               28676
#define IDS_DDE_ERROR                   28677
#define IDS_PRINT_ERROR                 28678
#define IDS_PAGE_NOT_PRINTED            28679
#define IDS_GENERAL_ERROR               32768
#define IDS_READ_ERROR                  32769
#define IDS_WRITE_ERROR                 32770
#define IDS_NOT_FOUND                   32771
#define IDS_UNKNOWN_FORMAT              32772
#define IDS_CREATE_ERROR                32773
#define IDS_COMPRESSION_ERROR           32774
#define IDS_LIBRARY_ERROR               32775

// ---- The main window: menu, accelerators, icons, bitmaps, cursor ----------------
#define IDR_MAIN_MENU                   100
#define IDR_ACCELERATORS                950
#define IDI_MAIN_WINDOW                 910
#define IDI_ANIMATION_WINDOW            912
#define IDB_SELECTOR                    908
#define IDB_TRANSFORM_TOOLS             909
#define IDB_FILM                        934
#define IDB_SIZE_GRIP                   936
#define IDC_FRAME_PICK                  951

// Words of the main window's title by instance number (string 10 + number).
#define IDS_INSTANCE_WORD_BASE          10
// File associations "key=format", from 8901 upward while strings load.
#define IDS_FILE_ASSOCIATION_FIRST      8901
#define IDS_START_ANIMATION             550
#define IDS_CLEAR_SELECTION             500
#define IDS_CLEAR_FRAME                 501
// Texts of the rotation items 521 and 520, with the angle ("%d").
#define IDS_ROTATE_ANTICLOCKWISE        502
#define IDS_ROTATE_CLOCKWISE            503
#define IDS_HOMEPAGE                    490
#define IDS_HOMEPAGE_FAILED             28681
#define IDS_WARNING                     1503
#define IDS_ASK_REDUCE_FORMAT           2015
#define IDS_ASK_DELETE_SELECTED_FRAMES  2016
// Status-bar help of command N is string 0x8000 + N.
#define IDS_COMMAND_HELP_BASE           0x8000

// ---- Command ids (menu 100, accelerators 950, tool bars) -------------------------
#define IDM_NEW                         101
#define IDM_OPEN                        102
#define IDM_ADD_FRAMES                  103
#define IDM_SAVE_SEQUENCE               104
#define IDM_SAVE_FRAME                  105
#define IDM_OPEN_ANIMATION              106
#define IDM_SAVE_ANIMATION              107
#define IDM_CLOSE                       108
#define IDM_PRINTER_SETUP               109
#define IDM_PRINT                       110
#define IDM_QUIT                        111
#define IDM_SAVE                        112
#define IDM_MRU_FILE                    150
#define IDM_UNDO                        201
#define IDM_REPEAT                      202
#define IDM_CUT                         203
#define IDM_COPY                        204
#define IDM_PASTE                       205
#define IDM_CLEAR_SELECTION             206
#define IDM_SELECT_ALL_FRAMES           207
#define IDM_CLEAR                       208
#define IDM_REPLACE_FRAME               209
#define IDM_PASTE_INTO_SEQUENCE         210
#define IDM_ELLIPSE_CENTRE_OF_SQUARE    301
#define IDM_ELLIPSE_CORNER_OF_SQUARE    302
#define IDM_GRADATED_LINES              303
#define IDM_FILL_PATTERNS               304
#define IDM_EDIT_PALETTE                305
#define IDM_RESET_PALETTE               310
#define IDM_DETECT_USED_COLORS          311
#define IDM_SETTINGS                    320
#define IDM_FILM_RIGHT                  321
#define IDM_FILM_BELOW                  322
#define IDM_FILM_AUTOMATIC              323
#define IDM_FLOATING_PALETTE            325
#define IDM_TOOLS_WINDOW                326
#define IDM_ZOOM_FILM                   327
#define IDM_ONION_PREVIOUS_FRAME        331
#define IDM_ONION_NEXT_FRAME            332
#define IDM_ONION_ANY_FRAME             333
#define IDM_ONION_SKINNING              338
#define IDM_SHOW_GRID                   339
#define IDM_ZOOM_1                      350
#define IDM_ZOOM_8                      353
#define IDM_PREVIOUS_FRAME              354
#define IDM_NEXT_FRAME                  355
#define IDM_TOOL_FREEHAND               356
#define IDM_TOOL_SELECT_POLYGON         367
#define IDM_ADD_EMPTY_FRAME             400
#define IDM_APPEND_FRAMES               401
#define IDM_INSERT_FRAME                402
#define IDM_INSERT_COPY                 403
#define IDM_DELETE_FRAME                404
#define IDM_CHANGE_FORMAT               405
#define IDM_TRANSPARENT_COLOR           406
#define IDM_SWAP_FRAME                  407
#define IDM_MOVE_FRAME                  408
#define IDM_SCROLL_UP                   501
#define IDM_SCROLL_DOWN                 502
#define IDM_SCROLL_LEFT                 503
#define IDM_SCROLL_RIGHT                504
#define IDM_FLIP_HORIZONTAL             510
#define IDM_FLIP_VERTICAL               511
#define IDM_STRETCH                     512
#define IDM_ROTATE_RIGHT                520
#define IDM_ROTATE_LEFT                 521
#define IDM_ROTATE                      522
#define IDM_REPLACE_COLOR               531
#define IDM_ADJUST_COLORS               532
#define IDM_EFFECTS_FIRST               550
#define IDM_EFFECTS_CUSTOMIZED          563
#define IDM_SELECT_OBJECT               600
#define IDM_NEW_OBJECT                  601
#define IDM_MOVE_DELETE_OBJECT          602
#define IDM_SAVE_OBJECT                 603
#define IDM_FREE_RESOURCES              609
#define IDM_ANIMATION_WINDOW            700
#define IDM_REGIONS                     701
#define IDM_SEQUENCE_ANIMATION          702
#define IDM_CYCLE_DEFINITION            703
#define IDM_PATH_ANIMATION              704
#define IDM_OFFSETS                     705
#define IDM_ADDITIONAL_OPTIONS          706
#define IDM_CONTROL_CENTRE              707
#define IDM_RUN                         708
#define IDM_ABOUT                       800
#define IDM_HELP                        900
#define IDM_HOMEPAGE                    901
#define IDM_STARTUP_BOX                 911
#define IDM_FILM_FIRST                  950
#define IDM_FILM_LAST                   951
#define IDM_FIRST_FRAME                 980
#define IDM_LAST_FRAME                  981
#define IDM_CONTEXT_TITLE               999
