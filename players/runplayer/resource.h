// Resource ids of RunZelvo: strings, system-menu commands, icon, pictures and
// the about box.
#pragma once

// Strings
#define IDS_CONTINUE        2   // system menu: command 257 while stopped
#define IDS_STOP            3   // system menu: command 257 while playing
#define IDS_ABOUT           5   // system menu: command 256
#define IDS_CHOOSE_TITLE    6   // title of the open-file dialog
#define IDS_OPEN_FILTER     7   // its filter, "|" between the parts
#define IDS_PART_NOT_FOUND  8   // a picture or frame sequence of the animation, %s its name
#define IDS_ERROR_CAPTION   9   // caption when no file path is at hand
#define IDS_NOT_VALID       10  // the chosen file, %s its name
#define IDS_PART_ONLY       11  // the chosen file is a part of another animation

// System-menu commands of the animation window
#define IDM_ABOUT           256
#define IDM_STOP_CONTINUE   257

// Icon, pictures and dialog
#define IDI_RUNZELVO        101
#define IDB_ABOUT_SPRITE    102  // 26 by 26, magenta is transparent
#define IDB_ABOUT_STARS     104  // five 15-by-13 frames side by side
#define IDB_ABOUT_PICTURE   105  // the about box's picture
#define IDD_ABOUT           106
