// Windows that stand in for the editor's main window, workspace, status bar
// and frame canvas in the tests of the tool bars and the tool windows. Each
// records what it receives; the workspace holds the selector buttons and a
// palette window as the editor's does, and passes their drawing and the
// popups' choices on as the editor's does.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

struct Received {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::string text;  // a status bar's text, "<null>" for a cleared pane
};

class RecordingWindows {
public:
    // A visible main window at (100, 100) with a menu holding items 325 and
    // 512; the editor's state names every window made here.
    RecordingWindows();
    ~RecordingWindows();
    RecordingWindows(const RecordingWindows&) = delete;
    RecordingWindows& operator=(const RecordingWindows&) = delete;

    // What `window` received of `message`, oldest first.
    std::vector<Received> Of(HWND window, UINT message) const;
    // The status bar's text pane as it stands ("<null>" when cleared).
    std::string StatusText() const;
    void Clear();

    HWND main = nullptr, workspace = nullptr, status = nullptr, canvas = nullptr;
    HWND penButton = nullptr, fillButton = nullptr, palette = nullptr;
    HMENU menu = nullptr;
};

// Pumps this thread's messages until `done` holds; false after `milliseconds`.
template <typename Done>
bool PumpUntil(Done done, DWORD milliseconds = 5000)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start > milliseconds) return false;
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
}

// The colour of a pixel of a window's own picture.
COLORREF WindowPixel(HWND window, int x, int y);
// A real click (SendInput) at client point (x, y) of `window`.
void ClickAt(HWND window, int x, int y);

inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
