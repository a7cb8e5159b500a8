// The ways from the paint library back into the editor's shell: the menu
// rules, the status bar, the film reel, the document's modified bits, the tool
// bar's tool choice and the selection state word. The shell fills the table
// when its main window is created; tests fill their own. A null member does
// the plain thing its comment names (mostly nothing), so the canvas works in a
// test program without a shell.
#pragma once
#include <windows.h>

struct PaintHost {
    // The menu items' states after a tool, drag or selection change.
    void (*updateMenuStates)();
    // The status bar's fields: kind 0 all, 1 the frame number and modified
    // mark of frame `value`, 2 the position MAKELONG(x, y), 4 the text.
    void (*updateStatusBar)(int kind, int value);
    // The status bar's text pane shows `text` (the canvas passes statusText).
    void (*showStatusText)(const char* text);
    // Repaints the current frame's thumbnail, or with `all` the whole film.
    void (*updateFilmThumbnail)(int all);
    // Sets the modified bit of a frame's record and of its sequence.
    void (*setFrameModified)(int frame);
    // Makes a paint tool current (the tool bar follows) and sends the canvas
    // EDIT_SELECT_TOOL; returns the previous tool. Null: currentTool is only
    // stored and the message sent.
    int (*selectPaintTool)(int tool);
    // The selection state word (bit 0x10: an area is selected): the shell
    // retitles "Clear Selection"/"Clear Frame" when the bit changes.
    void (*setSelectionState)(int word);
    int (*testSelectionState)(int mask);
    // Where the canvas's view starts in the workspace (the canvas window
    // stands one pixel further out for its frame). Null: where the canvas
    // window stands now.
    POINT (*canvasOrigin)();
    // Onion skinning was switched on or off: the tool-bar button follows.
    void (*onionSkinChanged)(int on);
};

extern PaintHost g_paintHost;
