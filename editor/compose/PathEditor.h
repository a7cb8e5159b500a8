// The path editor's two halves: the canvas (PathCanvas.cpp), which holds the
// node list and does the drawing and the mouse work, and the dialog around
// it (PathDialog.cpp) with the tool strip and the fields of the current node.
#pragma once
#include "PathNodes.h"
#include "WindowPicture.h"
#include <windows.h>
#include <vector>

// Messages to the canvas.
constexpr UINT PATHCANVAS_COMMAND = WM_USER + 256;    // 1280: wParam the tool mode 0-6
constexpr UINT PATHCANVAS_CREATE = WM_USER + 257;     // 1281: lParam the PathCanvasStart
constexpr UINT PATHCANVAS_STEP_NODE = WM_USER + 258;  // 1282: wParam -1, 0 or +1
// Messages from the canvas to the dialog: store the current node's fields
// before an action; show the current node after one.
constexpr UINT PATHDLG_STORE_FIELDS = WM_USER + 260;
constexpr UINT PATHDLG_SHOW_NODE = WM_USER + 261;

// The tool modes of the strip.
enum PathMode : int {
    PATH_SELECT = 0,
    PATH_ADD = 1,
    PATH_DELETE = 2,
    PATH_SPREAD = 3,
    PATH_MIRROR_X = 4,
    PATH_MIRROR_Y = 5,
    PATH_NODE_COUNT = 6,
    PATH_TEST_RUN = 7,
};
constexpr int PATH_MODE_COUNT = 8;

// What the dialog gives the canvas when it creates it.
struct PathCanvasStart {
    const ObjectRecord* object;
    const ObjectStep* steps;
    int count;          // steps; 0 for an empty list
    bool forInsertion;  // a new path to be inserted into a cycle
};

enum class PathDrag { None, Node, Group, Band };

// The canvas's state, from PATHCANVAS_CREATE to WM_DESTROY.
struct PathCanvas {
    std::vector<PathNode> nodes;
    PathOptions options{};
    PathGeometry geometry{};
    bool forInsertion = false;
    int current = 0;
    int mode = PATH_SELECT;
    int frameCount = 0;
    SIZE margin{};
    POINT scroll{};
    BackgroundPicture background;
    PathDrag drag = PathDrag::None;
    POINT last{};  // the pointer at the last move, window coordinates
    RECT band{};
    bool modified = false;
};

LRESULT CALLBACK PathCanvasProc(HWND canvas, UINT message, WPARAM wParam, LPARAM lParam);
// The canvas's state; null before PATHCANVAS_CREATE succeeded.
PathCanvas* PathCanvasOf(HWND canvas);
// Sets the mode the next clicks use (1 and 3 wait for a click); no nodes force 1.
void SetPathMode(HWND canvas, int mode);
// The current node, or null without nodes.
PathNode* CurrentPathNode(PathCanvas* state);
