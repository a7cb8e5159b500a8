// Shows the progress dialog "Processing..." at a given percentage for a while,
// so that its look can be checked on a screenshot.
// Usage: ShowProgressDialog [percent [milliseconds]]
#include "DialogUtilities.h"
#include "resource.h"
#include <cstdlib>

int main(int argc, char** argv)
{
    int percent = argc > 1 ? atoi(argv[1]) : 40;
    DWORD duration = argc > 2 ? static_cast<DWORD>(atoi(argv[2])) : 5000;
    HWND dialog = OpenProgressDialog(nullptr, GetModuleHandleA(nullptr), IDD_PROGRESS, 100, nullptr);
    if (!dialog) return 1;
    UpdateProgress(dialog, percent, PROGRESS_SET | PROGRESS_PUMP);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < duration) {
        if (UpdateProgress(dialog, 0, PROGRESS_ADD | PROGRESS_PUMP)) break;
        Sleep(20);
    }
    CloseProgressDialog(dialog);
    return 0;
}
