// ZelvoSave, the screensaver: its settings file and animation list, the
// choice of the next animation, the full-screen "SCREENSAVER" window that
// plays the list (or the built-in animation) in an "ANIWNDCLASS" child, the
// password lock, and the settings dialog. WinMain only strings these together;
// the decisions live here so that the tests can drive them.
#pragma once
#include "ReelEngine.h"
#include <string>

// ---- the settings file ----------------------------------------------------

constexpr int SAVER_MAX_ENTRIES = 100;
constexpr int SAVER_PATH_CHARS = 80;  // 79 characters and the terminator
constexpr int SAVER_MIN_SECONDS = 10;
constexpr int SAVER_MAX_SECONDS = 999;
constexpr int SAVER_DEFAULT_SECONDS = 30;
// The key of "Show current &Desktop" in section "OPTIONS" (the string table
// has no entry for it).
constexpr char SAVER_KEY_SHOW_DESKTOP[] = "ShowDesktop";

struct SaverEntry {
    char path[SAVER_PATH_CHARS];
    bool active;
};

// The animations to play, in order.
struct SaverList {
    SaverEntry entries[SAVER_MAX_ENTRIES];
    int count;
};

// Section "OPTIONS".
struct SaverOptions {
    int continueValue;  // "Continue": read and written back, nothing more
    bool random;        // "Random": random order
    int curTag;         // "CurTag": the entry selected in the dialog, -1 none
    bool maxPlay;       // "MaxPlay": go on to the next animation after `seconds`
    int seconds;        // "Seconds": at least 10
    bool showDesktop;   // the desktop's picture behind the animations
};

// The settings file: the program's own path with ".INI" in place of its
// extension. False when the path does not fit.
bool SaverIniPathFor(const char* programPath, char* out);
// Reads both sections; missing keys give the defaults. Entries whose path is
// longer than 79 characters are skipped, and at most 100 are read.
void ReadSaverSettings(const char* iniPath, SaverOptions* options, SaverList* list);
// Writes both sections; "ANSFILES" is cleared first so that a shorter list
// leaves no old entries behind.
bool WriteSaverSettings(const char* iniPath, const SaverOptions& options, const SaverList& list);
// The entries that are active.
int CountActiveEntries(const SaverList& list);
// A hand-edited "Seconds" brought into the range the dialog allows.
int SaneSeconds(int seconds);

// ---- choosing and placing -------------------------------------------------

// A random number source (rand() in the program; tests give their own).
typedef int (*SaverRandom)();

// The entry to play after `current` (-1: none played yet): with `random` and
// more than one active entry, a random active entry other than `current`;
// otherwise the next active entry after `current`, wrapping to the first.
// -1 when no entry is active: the built-in animation plays.
int NextAnimationIndex(const SaverList& list, int current, bool random, SaverRandom rng);

// Where a picture of w by h goes on a screen of screenW by screenH by the
// animation's position mode: 0 centred; 2 at `fixed`, kept on the screen;
// 1 or 3 at a random place away from the edges (0 when it does not fit).
POINT PlaceOnScreen(int mode, POINT fixed, int w, int h, int screenW, int screenH, SaverRandom rng);

// ---- the password lock ----------------------------------------------------

// The hash the system keeps of the screensaver's password ("PWEncryption").
uint32_t PasswordHash(const char* text);
// "PWProtected" of the section "Zelvo_Screensaver" in control.ini.
bool IsPasswordProtected();
void SetPasswordProtected(bool on);
// True when the text is the password (or there is no protection).
bool IsRightPassword(const char* text);
// Stores the password's hash and turns the protection on.
void StorePassword(const char* text);
constexpr int PASSWORD_CHARS = 40;
// The password check (dialog 300): true when the screensaver may end.
bool RunPasswordCheck(HWND owner);
// "Change Password" (dialog 301): true when a new password was stored.
bool RunChangePassword(HWND owner);

// ---- the screensaver window -----------------------------------------------

#define SAVER_WINDOW_CLASS "SCREENSAVER"
constexpr UINT_PTR SAVER_TIMER_ID = 69;
constexpr UINT SAVER_NEXT_ANIMATION = 1109;  // go on to the next animation
constexpr int SAVER_MOVE_LIMIT = 8;          // pixels the pointer may move before the screensaver ends

// Closing states of the screensaver window.
enum SaverClosing { SAVER_RUNNING = 0, SAVER_CLOSING = 1, SAVER_CLOSED = -1 };

// The state of one run: one screensaver window and the animation it plays.
struct SaverRun {
    HWND window;               // the "SCREENSAVER" window
    bool testMode;             // started by the dialog's "Test": the process goes on after it
    int index = -1;            // the entry playing; -1 the built-in animation
    int lastPlayed = -1;       // the entry played last in this process, -1 none
    int activeCount;           // active entries of the list
    HBITMAP snapshot;          // the screen as it was when the run began
    HPALETTE snapshotPalette;  // the default palette the snapshot was taken with
    HDC snapshotDC;            // holds the snapshot
    HGDIOBJ snapshotDefault;   // the DC's own bitmap, put back before deleting
    HANIM animation;
    HWND animWindow;           // the "ANIWNDCLASS" child, or null
    RECT place;                // the animation's place on the screen
    char path[MAX_PATH];       // the file playing ("" for the built-in animation)
    bool busy;                 // loading: input is not looked at
    int closing;               // SaverClosing
    bool passwordUp;           // the password dialog is shown
    POINT startCursor;         // where the pointer was when the run (or the last dialog) began
    int seconds;               // seconds counted towards "Seconds"
    bool followedOn;           // a following animation replaced the entry's own in the handle
    bool cursorHidden;         // ShowCursor(FALSE) is in force
};

// Everything the screensaver keeps.
struct SaverState {
    HINSTANCE instance;  // holds the strings, dialogs and the built-in animation
    char iniPath[MAX_PATH];
    SaverOptions options;
    SaverList list;
    SaverRun run;
};
extern SaverState g_saver;

ATOM RegisterSaverClass(HINSTANCE instance);
// Creates the screensaver window: full screen, top-most, playing from `index`
// in test mode, else from the entry after the last one played. Null when
// nothing could be played.
HWND CreateSaverWindow(bool testMode, int index);
LRESULT CALLBACK SaverWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// ---- playing --------------------------------------------------------------

// Loads the entry (or, for -1, the built-in animation) into a new child of
// the screensaver window and starts it. False when it could not be played.
bool LoadSaverAnimation(HWND saverWindow, int index);
// Destroys the child window and the animation.
void DropSaverAnimation();
// Plays `index`, skipping entries that cannot be played (test mode asks
// first). False when nothing could be played (the caller ends the run).
bool PlayFromIndex(HWND saverWindow, int index);
// The hook on the animation window.
int CALLBACK SaverAnimationHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// ---- the settings dialog --------------------------------------------------

// Runs "Configure Screensaver": the number of entries after OK, 0 after Cancel.
INT_PTR RunConfigureDialog(HWND owner);

// How the dialog starts the editor on an entry: the open command registered
// for frame-sequence files, and a program start. Tests install their own.
struct SaverEditorSeam {
    // The registered command, false when there is none.
    bool (*readOpenCommand)(std::string* command);
    // Starts the command line, shown normally.
    bool (*startProgram)(const std::string& commandLine);
};
void InstallSaverEditorSeam(const SaverEditorSeam* seam);  // null: the real one
// The command that opens `path`: the registered command with everything from
// its last "%" on replaced by the path, or the path appended after a blank
// when it holds no "%".
std::string EditorCommandFor(const std::string& registered, const char* path);
// Opens the entry in the editor; false when no command is registered or the
// program did not start.
bool OpenInEditor(const char* path);

// ---- strings and messages -------------------------------------------------

std::string SaverString(UINT id);
// A message box through the user-interface seam (tests answer it).
int ShowSaverMessage(HWND owner, const std::string& text, const std::string& caption, UINT type);

// ---- the command line -----------------------------------------------------

enum SaverMode { SAVER_MODE_RUN, SAVER_MODE_CONFIGURE, SAVER_MODE_PREVIEW };
// "-C"/"/C" configure, "-P"/"/P" preview (nothing), else run; searched
// anywhere in the upper-cased line. `install` is set for "-I"/"/I".
SaverMode ParseSaverCommandLine(const char* commandLine, bool* install);
// Makes the program the system's screensaver: [boot] "SCRNSAVE.EXE" of
// SYSTEM.INI in the Windows folder.
bool InstallAsScreensaver(const char* programPath);
