// RunZelvo, the stand-alone player: it chooses an animation or archive file,
// loads it into the engine, plays it in an "ANIWNDCLASS" window with its own
// system-menu commands, follows on to the next animation and exits when the
// window closes. WinMain only strings these pieces together; the decisions
// live here so that the tests can drive them.
#pragma once
#include "AnimFileSniff.h"
#include "ReelEngine.h"
#include <string>

// The player's state: one animation in one window at a time.
struct RunPlayerState {
    HINSTANCE instance;      // holds the strings, the icon and the about box
    HANIM animation;
    HWND window;
    bool stopped;            // command 257 stopped the animation
    bool desktopMode;        // the animation runs inside the desktop window
    HWND desktopParent;      // the desktop's list view the window was made in, or null
    HWND desktopListView;    // receives the forwarded mouse messages, or null
    int clickCounter;        // armed (2) by a double click on a caption-less window
    bool lowering;           // the desktop-mode window is being sent to the bottom
};
extern RunPlayerState g_player;

// ---- strings and messages -------------------------------------------------

std::string PlayerString(UINT id);
// A message whose "%s" stands for a file name: the name is put in by hand,
// never handed to a formatting call, so any characters in it stay as they are.
std::string FormatNameMessage(UINT id, const char* name);
// A message box through the user-interface seam (tests answer it).
int ShowPlayerMessage(HWND owner, const std::string& text, const std::string& caption, UINT type);

// ---- choosing the file ----------------------------------------------------

// "-f": the first "*.ANS" of the current folder, in directory order, that is
// an archive or a runnable animation. out holds MAX_PATH characters.
bool FindFirstRunnableAnimation(char* out);

// The file the command line names, without asking: "-f"/"/f" as above, else
// an existing file named by the whole line, else the program's own path with
// ".ANS", then ".ANX", when it exists.
bool ChooseCommandLineFile(const char* commandLine, const char* programPath, char* out);

// The open-file dialog; false when cancelled or when it failed (a failure
// with an extended error is reported).
bool AskForAnimationFile(HWND owner, char* path);

// The whole choice: the command line, else the dialog, and again the dialog
// after every file that cannot run (messages 10 and 11). False: the user
// cancelled.
bool ChooseAnimationFile(const char* commandLine, const char* programPath, char* out);

// ---- opening and following on ---------------------------------------------

// Where a new window goes: at a remembered screen position (the desktop
// picture was captured there), or where the animation's placement puts it.
struct WindowPlace {
    bool placed;  // false: ANIM_WND_PLACE decides
    int x, y;
};

// Opens a file the way the player does: its folder becomes the current one,
// the animation is created, its palette, desktop picture, background picture
// and frame sequences loaded. Null when it failed (messages shown as needed).
HANIM OpenPlayerAnimation(const char* path, WindowPlace* place);

// The background picture and the frame sequences, with message 8 (owned by
// `owner`) for a part that cannot be loaded. False: the animation was
// destroyed.
bool LoadAnimationParts(HWND owner, HANIM handle);

// The screen position that the animation's placement gives its own size.
WindowPlace ScreenPosition(HANIM handle);

// True for a window style with a caption (both bits of WS_CAPTION).
inline bool HasCaption(LONG_PTR style) { return (style & WS_CAPTION) == WS_CAPTION; }

// Creates, shows and starts the animation window; null when it fails.
HWND CreatePlayerWindow(HANIM handle, const WindowPlace& place);

// Loads the following animation into the handle of `window` (end actions 1
// and 2) and plays it in the same or a new window. False: it could not be
// loaded; the window's handle is then left for the window to destroy.
bool FollowOnAnimation(HWND window, const char* name, bool newSetUp);

// ---- the host hook --------------------------------------------------------

int CALLBACK PlayerHostHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// ---- opening a file with the shell (end action 3) --------------------------

typedef HINSTANCE(WINAPI* ShellExecuteFn)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
// The call that opens files; a test installs its own (null: the system's).
void InstallShellExecute(ShellExecuteFn fn);

// The part of the name the shell is asked first: from after the last "\"
// before the first blank to the end.
const char* ShellFilePart(const char* name);
// True for names the player never hands to the shell (`folder`: where the
// shell is asked to look): a program, script or shortcut lying inside a
// folder an archive was unpacked into, which the shell would run; nothing at
// all; a device name. Every other file, program or web address opens.
bool IsRefusedShellTarget(const char* name, const char* folder);
// Opens the following file with the shell, in the current folder; false when
// it was refused or could not be opened.
bool OpenWithShell(const char* name);

// ---- the about box --------------------------------------------------------

constexpr UINT_PTR ABOUT_TIMER_ID = 777;
constexpr UINT ABOUT_TIMER_MS = 50;
void ShowAboutBox(HWND owner, HPALETTE palette);
