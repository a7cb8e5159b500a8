// Resource ids of ZelvoSave: strings (settings keys, messages), icon, the tick
// boxes of the animation list, the built-in animation, and the dialogs with
// their controls.
#pragma once

// Settings file: section "OPTIONS" and its keys, section "ANSFILES" and its key
#define IDS_SECTION_OPTIONS     100
#define IDS_KEY_CONTINUE        101
#define IDS_KEY_RANDOM          102
#define IDS_KEY_CURTAG          103
#define IDS_KEY_MAXPLAY         104
#define IDS_KEY_SECONDS         105
#define IDS_SECTION_ANSFILES    200
#define IDS_KEY_FILE            201  // "File%d"

// The section of the password keys in the system's control.ini
#define IDS_PASSWORD_SECTION    1000
// Messages
#define IDS_PASSWORD_MISMATCH   1001
#define IDS_PASSWORD_TOO_SHORT  1002
#define IDS_PASSWORD_WRONG      1003
#define IDS_ERROR               1010
#define IDS_CLASS_FAILED        1011
#define IDS_CANNOT_LOAD         1014
#define IDS_ADD_TITLE           1020
#define IDS_ADD_PART            1021
#define IDS_ADD_INVALID         1022

// Icon and bitmap
#define IDI_ZELVOSAVE           100
#define IDB_TICKS               101  // 16x12 boxes, unchecked at x 0, checked at x 16; masks in the row below

// Dialog "Configure Screensaver"
#define IDD_CONFIGURE           200
#define IDC_ANIMATION_LIST      100
#define IDC_ADD                 101
#define IDC_REMOVE              102
#define IDC_PASSWORD_CHECK      104
#define IDC_PASSWORD_CHANGE     105
#define IDC_ACTIVATE_ALL        106
#define IDC_MOVE_UP             107
#define IDC_MOVE_DOWN           108
#define IDC_ACTIVATE_NONE       109
#define IDC_SHOW_DESKTOP        110
#define IDC_RANDOM              111
#define IDC_TERMINATE           112
#define IDC_SECONDS             113
#define IDC_SECONDS_SPIN        114
#define IDC_TEST                115

// Dialog asking for the password before the screensaver ends
#define IDD_PASSWORD_CHECK      300
#define IDC_PASSWORD            107

// Dialog "Change Password"
#define IDD_PASSWORD_CHANGE     301
#define IDC_OLD_PASSWORD        104
#define IDC_NEW_PASSWORD        105
#define IDC_RETYPE_PASSWORD     106
#define IDC_PASSWORD_HELP       109
