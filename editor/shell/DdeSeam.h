// The window-message calls of the Program Manager conversation behind one
// table: the real table sends and posts as the system does; a test installs
// one whose initiate broadcast reaches only its own fake Program Manager (the
// test prefix's desktop answers "Progman" too), or whose posting fails.
#pragma once
#include <windows.h>

struct DdeSeam {
    // WM_DDE_INITIATE goes to HWND_BROADCAST through this call (the real one
    // gives up on a window whose program hangs).
    LRESULT (WINAPI* sendMessage)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // WM_DDE_EXECUTE and WM_DDE_TERMINATE go through this call.
    BOOL (WINAPI* postMessage)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

// The table that calls the system.
const DdeSeam& RealDdeSeam();
// The table in use: the real one unless a test installed another.
const DdeSeam& CurrentDdeSeam();
// Installs a table (it must outlive its use); null puts the real one back.
void InstallDdeSeam(const DdeSeam* seam);
