// The test-run window "Animation" (AnimationWndProc), which shows the open
// document's animation while the test-run engine steps it, and its modeless
// "Control Center" (template 1036, ControlCenterDlgProc), which observes,
// steps and edits one object while the animation runs.
#pragma once
#include <windows.h>

// Messages of the test-run window and the Control Center.
constexpr UINT CONTROLCENTER_REFRESH = WM_USER + 12;         // 1036: wParam 1 = a display step first
constexpr UINT ANIMWND_CLOSE_CONTROL_CENTER = WM_USER + 13;  // 1037: from the Control Center's SC_CLOSE
constexpr UINT ANIMWND_RESTART = WM_USER + 14;               // 1038: "|<" of the Control Center

// Gives the shell the test-run window's procedure, before the editor's
// classes are registered; the commands that start a test run are offered
// from then on.
void RegisterTestRunWindow();

// The window's creation parameter is non-zero to open the Control Center.
LRESULT CALLBACK AnimationWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ControlCenterDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The Control Center stops its running (the test-run window is minimised).
void StopControlCenterRunning(HWND dialog);
// The object the Control Center observes, or -1.
int ObservedObject();
