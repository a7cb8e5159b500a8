// The about and start-up box (template 1098) and "Install Animation"
// (template 1038), which registers the animation in a Program Manager group
// through Dynamic Data Exchange so that it runs in the runtime player. Both
// run through RunDialog; the "Save changes" dialog lives with the save
// questions (DocumentModel.h).
#pragma once
#include <windows.h>

// ---- about and start-up box ---------------------------------------------------------

// Initial parameter: 0 the about box (IDM_ABOUT), 1 the start-up box
// (IDM_STARTUP_BOX), which closes itself after ABOUT_STARTUP_TICKS ticks.
// Always ends with 1.
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

constexpr UINT_PTR ABOUT_TIMER_ID = 777;
constexpr UINT ABOUT_TIMER_MS = 50;
constexpr int ABOUT_STARTUP_TICKS = 28;
constexpr int ABOUT_BALL_SIZE = 26;
constexpr int ABOUT_BALL_X = 34;
constexpr int ABOUT_BALL_REST_Y = 160;
constexpr int ABOUT_BALL_OFFSET = 3;   // added to every table value
constexpr int ABOUT_TABLE_END = 999;
constexpr int ABOUT_STAR_WIDTH = 15;
constexpr int ABOUT_STAR_HEIGHT = 13;
constexpr int ABOUT_STAR_FRAMES = 5;
constexpr int ABOUT_STAR_POSITIONS = 18;
constexpr int ABOUT_PICTURE_WIDTH = 330;   // when the picture's size cannot be read
constexpr int ABOUT_PICTURE_HEIGHT = 238;

// The ball's y before the offset, step by step; ABOUT_TABLE_END ends it.
extern const int ABOUT_BOUNCE_TABLE[58];
// Where the star may twinkle (it is drawn at x + 13, y - 2).
extern const POINT ABOUT_STAR_TABLE[ABOUT_STAR_POSITIONS];

// ---- Install Animation ----------------------------------------------------------------

// The dialog's private step message: wParam the step (0 initiate, 1 ShowGroup,
// 2 CreateGroup, 3 AddItem, anything else ends the install; 999 as failed).
constexpr UINT INSTALL_STEP = WM_USER + 16;  // 1040
constexpr int INSTALL_FAILED = 999;
// The group offered when the Program Manager lists none.
constexpr char INSTALL_DEFAULT_GROUP[] = "Zelvo 3.5";
// Group names longer than this are cut when listed.
constexpr int INSTALL_GROUP_CHARS = 47;

// 1 after an install attempt (its outcome shown in a message), 0 for Cancel.
// The animation is g_document.animationPath.
INT_PTR CALLBACK InstallAnimationDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Posts a Program Manager command: the text goes into a shareable global
// block that the server's WM_DDE_ACK hands back for freeing. 1, or 0 when no
// block could be made or the post failed (the block is then freed here).
int PostDdeExecute(HWND dialog, HWND server, const char* command);

// The item command line of an installed animation: the program's folder,
// string 63 "RUNZELVO.EXE " and the animation path. False when it is longer
// than a command line may be (MAX_PATH - 1 characters).
bool BuildInstallItemLine(const char* programFolder, const char* playerName, const char* animationPath,
                          char* out, int room);
