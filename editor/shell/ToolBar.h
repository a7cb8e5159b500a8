// The tool-bar control "Zelvo_ToolBar" (a bar of flat 26 x 26 buttons with
// 22 x 22 faces that send their command to the main window) and the tool-tip
// popup "Zelvo_ToolTip" that the bars and the transform window share.
#pragma once
#include <windows.h>

constexpr int MAX_TOOL_BUTTONS = 25;
constexpr int TOOL_STATUS_CHARS = 128;
constexpr int TOOL_TIP_CHARS = 32;
constexpr int TOOL_BAR_HEIGHT = 32;
constexpr int TOOL_BUTTON_SIZE = 26;
constexpr int TOOL_FACE_SIZE = 22;
constexpr UINT_PTR TOOL_TIP_TIMER = 33;
constexpr UINT TOOL_TIP_DELAY = 500;
constexpr int TOOL_TIP_MARGIN = 10;  // a tip keeps this far from every screen edge

enum ToolButtonKind : int {
    TOOLBUTTON_PUSH = 0,
    TOOLBUTTON_TOGGLE = 1,
    TOOLBUTTON_RADIO = 2,
    TOOLBUTTON_SEPARATOR = 3,
};

// One button or separator of a bar.
struct ToolButton {
    int x;              // left edge inside the bar
    int gap;            // to the next entry: 4 after a button, 2 after a separator
    int buttonWidth;    // 26, or 13 for a separator
    int enabled;        // 1 = enabled
    int shown;          // 1 = reacts and draws its face
    int checked;        // toggle and radio buttons
    int kind;           // ToolButtonKind
    int group;          // radio buttons of one group exclude each other
    int enabledFaceId;  // bitmap resources of the faces
    int disabledFaceId;
    WORD commandId;     // sent to the main window as WM_COMMAND
    char statusText[TOOL_STATUS_CHARS];  // string 0x8000 + commandId
    char tipText[TOOL_TIP_CHARS];        // up to 31 characters shown
    HWND window;        // none for a separator
    HBITMAP enabledFace;   // loaded on first use
    HBITMAP disabledFace;
};

// One tool bar: its header, up to 25 entries and its windows.
struct ToolBarControl {
    int height;         // 32
    int width;          // 600, or the parent's client width when larger
    int y;              // top of the bar in the parent's client area
    int buttonTop;      // 3
    int created;        // 1 once the windows exist
    int hot;            // 1 while the mouse is over a button (none held)
    int hotIndex;       // that button, -1 = none
    int mouseDown;      // 1 between a press and its release
    int pressedInside;  // during a press: 1 while the mouse is over the pressed button
    ToolButton buttons[MAX_TOOL_BUTTONS];
    int buttonCount;
    HWND barWindow;
    HWND parentWindow;  // gets the commands
    HINSTANCE instance; // holds the face bitmaps
    HDC faceDC;         // faces are drawn from it; made with the bar window
};

// Fills the header; the first call in the process also looks up
// "TransparentBlt" and registers "Zelvo_ToolBar". 1, or 0 when the class
// cannot be registered.
int InitToolBar(ToolBarControl* control, HWND parentWindow, HINSTANCE instance);
// Appends a button or separator after the last entry (the first at x 5).
// 0 when the bar already holds 25 entries: the entry is refused.
int AddToolButton(ToolBarControl* control, const ToolButton& entry);
// Makes the bar window at y offset `yOffset` and one window per button.
// 1, or 0 when a window cannot be made.
int CreateToolBarWindows(ToolBarControl* control, int yOffset);
// Stretches the bar across the parent's client width.
void ResizeToolBar(ToolBarControl* control);
void EnableToolButton(ToolBarControl* control, UINT commandId, int enabled);
// 1 done or unchanged; 0 when no entry has the id, or for unchecking a radio
// button (only checking another of its group does that).
int CheckToolButton(ToolBarControl* control, UINT commandId, int checked);
// The entry with this command id, or null.
ToolButton* FindToolButton(ToolBarControl* control, UINT commandId);
LRESULT CALLBACK ToolBarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The bar's colour: the menu colour where faces are copied transparently,
// else the faces' own light grey.
COLORREF ToolBarColor();

// Status-bar text pane (pane 4); null clears it.
void ShowStatusText(const char* text);

// ---- tool tips ----------------------------------------------------------------

// Shows `text` (up to 31 characters) in a tip at (x, y) from the top-left
// corner of `anchor`'s window rectangle, replacing any tip shown.
void ShowToolTip(HWND anchor, int x, int y, const char* text);
void DestroyToolTip();
HWND ToolTipWindow();
// The tip's window rectangle for text of `extent` wanted at `at` (screen
// coordinates): 10 wider and 4 higher than the text, kept 10 pixels inside
// every screen edge.
RECT PlaceToolTip(POINT at, SIZE extent, SIZE screen);
LRESULT CALLBACK ToolTipWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The one tip timer of the process (id 33, 500 ms): starting it while it runs
// does nothing; stopping forgets it.
void StartToolTipTimer(HWND window);
void StopToolTipTimer();
