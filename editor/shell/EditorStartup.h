// The editor program's start: window classes, the instance number among the
// editors already running, the display's colour format, the main window's
// placement, the file associations of a first start, the command line and the
// message loop.
#pragma once
#include <windows.h>

// Sent to another editor's main window (wParam 291, lParam 0): its instance number.
constexpr UINT MAINWND_GET_INSTANCE = WM_USER + 291;  // 1315
constexpr int MAX_INSTANCE_NUMBER = 9;

constexpr int DEFAULT_WINDOW_WIDTH = 768;
constexpr int DEFAULT_WINDOW_HEIGHT = 568;
constexpr int MIN_WINDOW_WIDTH = 128;
constexpr int MIN_WINDOW_HEIGHT = 96;

// ---- arithmetic -----------------------------------------------------------------

// The colour count of a display with this many bits per pixel (planes x bits):
// 32 bits count as 16777217 so that they differ from 24.
int ColorCountFromDisplayBits(int bits);
// The next instance number after seeing an editor numbered `answer`.
int CountInstance(int current, int answer);
// Above 9 the numbering starts again at 1.
int FinalInstanceNumber(int counted);
// The stored "x y w h" over the defaults, clamped to the screen.
RECT PlaceMainWindow(const char* stored, int screenWidth, int screenHeight);
// "Zelvo " and the word of the instance number (at most 8 characters of it).
void FormatBaseTitle(char* out, int room, int instanceNumber);

// ---- start-up -------------------------------------------------------------------

// The procedure of the test-run window class "Animation", given before the
// classes are registered; without one (programs built without the test run)
// no test run is offered.
void SetAnimationWindowProcedure(WNDPROC procedure);
bool AnimationWindowBuilt();

// Registers the editor's window classes and numbers this instance. 1, or 0
// when the registration failed.
int InitEditorInstance();
BOOL CALLBACK CountInstancesProc(HWND window, LPARAM counter);
HWND CreateMainWindow(HINSTANCE instance, LPSTR commandLine);
// For each string from 8901 on, "key=format": the format filled with the
// program path, "*" turned into "%", written as the key's default value.
void WriteFileAssociations(const char* programPath);
// One association value: "%s" becomes the program path (quoted when it holds
// a blank), "*1" the quoted document "%1", any other "*" a "%". False when
// the value does not fit.
bool FormatAssociationValue(const char* format, const char* programPath, char* out, int room);
// 1 when the file was opened (or the path has no extension), else 0 after
// its error was shown.
int OpenFileByExtension(const char* path);
// Opens or appends the files the command line names. False when a "/r" or
// "-r" switch asked for no start-up box.
bool ReadCommandLine(const char* commandLine);
// WinMain's body: the exit code.
int RunEditor(HINSTANCE instance, LPSTR commandLine, int showCommand);
