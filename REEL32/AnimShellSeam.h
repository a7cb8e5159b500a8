// The shell call of the animation window (opening a following file that is no
// animation, end action 3) behind a table that tests replace, so that they
// record what would be opened instead of starting a program.
#pragma once
#include <windows.h>

struct AnimShellSeam {
    // ShellExecuteA: a result above 32 is success.
    HINSTANCE (WINAPI* shellExecute)(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                                     LPCSTR directory, INT show);
};

// The table that calls the system.
const AnimShellSeam& RealAnimShellSeam();

// The table in use: the real one unless a test installed another.
const AnimShellSeam& CurrentAnimShellSeam();

// Installs a table (it must outlive its use); null puts the real one back.
void InstallAnimShellSeam(const AnimShellSeam* seam);
