// The few user-interface calls that file and sound operations make (message
// boxes, the open-file dialog), behind one table of function pointers. The
// real table calls USER32 and COMDLG32; a test installs a table of its own that
// records what was asked and answers it, so nothing waits for a person.
#pragma once
#include <windows.h>
#include <commdlg.h>

struct UiSeam {
    int (WINAPI* messageBox)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
    BOOL (WINAPI* getOpenFileName)(LPOPENFILENAMEA dialog);
    BOOL (WINAPI* getSaveFileName)(LPOPENFILENAMEA dialog);
};

// The table that calls the system.
const UiSeam& RealUiSeam();

// The table in use: the real one unless a test installed another.
const UiSeam& CurrentUiSeam();

// Installs a table (it must outlive its use); null puts the real one back.
void InstallUiSeam(const UiSeam* seam);
