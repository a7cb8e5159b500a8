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

// ---- Modeless dialogs, created by their own code ------------------------------
#define IDD_INSERT_TEXT                 1030
#define IDD_CONTROL_CENTER              1036
#define IDD_PROGRESS                    1042
#define IDD_PRINT                       1097

// Controls of the progress dialog "Processing...".
#define IDC_PROGRESS_CANCEL             90
#define IDC_PROGRESS_BAR                91

// Controls of the "Save changes" dialog.
#define IDC_SAVE_ANIMATION_DATA         951
#define IDC_SAVE_FRAME_SEQUENCE         952

// ---- String table ---------------------------------------------------------------

// File types of the file chooser: a description and a pattern joined by "|".
#define IDS_TYPE_SEQUENCE_FILE          34
#define IDS_TYPE_SINGLE_IMAGES          35
#define IDS_TYPE_ANIMATION_FILE         37
#define IDS_TYPE_ARCHIVE                38
#define IDS_TYPE_VIDEO                  39
#define IDS_SEQUENCE_EXTENSION          51
// Default names of new frames, sequences, animations and objects ("%d": a number).
#define IDS_DEFAULT_FRAME_NAME          60
#define IDS_DEFAULT_SEQUENCE_NAME       61
#define IDS_DEFAULT_ANIMATION_NAME      62
#define IDS_DEFAULT_OBJECT_NAME         64
// Titles of the file chooser.
#define IDS_TITLE_OPEN                  810
#define IDS_TITLE_SAVE_SEQUENCE         825
#define IDS_TITLE_SAVE_ANIMATION        827
// Questions before changes are discarded.
#define IDS_ASK_SAVE_FRAME              2001
#define IDS_ASK_SAVE_SEQUENCE           2002
#define IDS_ASK_SAVE_ANIMATION          2003
#define IDS_CONFIRM_OVERWRITE           2004

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
