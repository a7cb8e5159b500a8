// The editor's main tool bar and drawing-tools bar: their buttons, faces,
// status and tip strings, and the operations on them.
#include "EditorToolBars.h"
#include "AppState.h"
#include "DialogUtilities.h"
#include "MainWindow.h"
#include "resource.h"
#include <initializer_list>

namespace {

ToolBarControl g_mainBar;
ToolBarControl g_drawBar;

constexpr int SEPARATOR = -1;

// One row of a bar's table; a command of SEPARATOR is a separator.
struct ToolEntry {
    int command;
    int kind;
    int group;
    int enabledFace, disabledFace;
    int tipString;
    bool enabled, checked;
};

const ToolEntry MAIN_ENTRIES[] = {
    {IDM_NEW, TOOLBUTTON_PUSH, 0, 104, 104, 34149, true, false},
    {IDM_OPEN, TOOLBUTTON_PUSH, 0, 103, 103, 34150, true, false},
    {IDM_ADD_FRAMES, TOOLBUTTON_PUSH, 0, 163, 164, 34151, false, false},
    {IDM_SAVE, TOOLBUTTON_PUSH, 0, 102, 101, 34153, false, false},
    {IDM_PRINT, TOOLBUTTON_PUSH, 0, 161, 162, 34158, false, false},
    {SEPARATOR},
    {IDM_CUT, TOOLBUTTON_PUSH, 0, 123, 124, 34251, false, false},
    {IDM_COPY, TOOLBUTTON_PUSH, 0, 130, 122, 34252, false, false},
    {IDM_PASTE, TOOLBUTTON_PUSH, 0, 125, 126, 34253, false, false},
    {SEPARATOR},
    {IDM_UNDO, TOOLBUTTON_PUSH, 0, 129, 121, 34249, false, false},
    {IDM_REPEAT, TOOLBUTTON_PUSH, 0, 127, 128, 34250, false, false},
    {SEPARATOR},
    {IDM_PREVIOUS_FRAME, TOOLBUTTON_PUSH, 0, 111, 112, 34402, false, false},
    {IDM_NEXT_FRAME, TOOLBUTTON_PUSH, 0, 109, 110, 34403, false, false},
    {SEPARATOR},
    {IDM_SHOW_GRID, TOOLBUTTON_TOGGLE, 0, 150, 151, 34387, false, true},
    {IDM_ONION_SKINNING, TOOLBUTTON_TOGGLE, 0, 154, 132, 34386, false, false},
    {IDM_ZOOM_FILM, TOOLBUTTON_TOGGLE, 0, 153, 152, 34375, false, true},
    {SEPARATOR},
    {IDM_RUN, TOOLBUTTON_PUSH, 0, 165, 166, 34756, false, false},
};

// The zoom buttons are radio group 1, the twelve paint tools group 2.
const ToolEntry DRAW_ENTRIES[] = {
    {IDM_ZOOM_1, TOOLBUTTON_RADIO, 1, 113, 114, 34398, false, false},
    {IDM_ZOOM_1 + 1, TOOLBUTTON_RADIO, 1, 115, 116, 34399, false, false},
    {IDM_ZOOM_1 + 2, TOOLBUTTON_RADIO, 1, 117, 118, 34400, false, false},
    {IDM_ZOOM_8, TOOLBUTTON_RADIO, 1, 119, 120, 34401, false, true},
    {SEPARATOR},
    {IDM_TOOL_FREEHAND, TOOLBUTTON_RADIO, 2, 108, 107, 34404, false, true},
    {IDM_TOOL_FREEHAND + 1, TOOLBUTTON_RADIO, 2, 106, 105, 34405, false, false},   // line
    {IDM_TOOL_FREEHAND + 2, TOOLBUTTON_RADIO, 2, 142, 143, 34406, false, false},   // rectangle
    {IDM_TOOL_FREEHAND + 3, TOOLBUTTON_RADIO, 2, 149, 133, 34407, false, false},   // ellipse
    {IDM_TOOL_FREEHAND + 4, TOOLBUTTON_RADIO, 2, 134, 135, 34408, false, false},   // arc
    {IDM_TOOL_FREEHAND + 5, TOOLBUTTON_RADIO, 2, 138, 139, 34409, false, false},   // polygon
    {IDM_TOOL_FREEHAND + 6, TOOLBUTTON_RADIO, 2, 144, 145, 34410, false, false},   // fill
    {IDM_TOOL_FREEHAND + 7, TOOLBUTTON_RADIO, 2, 148, 155, 34411, false, false},   // spray
    {IDM_TOOL_FREEHAND + 8, TOOLBUTTON_RADIO, 2, 157, 156, 34412, false, false},   // text
    {IDM_TOOL_FREEHAND + 9, TOOLBUTTON_RADIO, 2, 136, 137, 34413, false, false},   // pick colour
    {SEPARATOR},
    {IDM_TOOL_FREEHAND + 10, TOOLBUTTON_RADIO, 2, 146, 147, 34414, false, false},  // select rectangle
    {IDM_TOOL_SELECT_POLYGON, TOOLBUTTON_RADIO, 2, 140, 141, 34415, false, false},
    {SEPARATOR},
    {IDM_STRETCH, TOOLBUTTON_PUSH, 0, 159, 158, 34560, false, false},
};

constexpr int SEPARATOR_GAP = 2, SEPARATOR_WIDTH = 13;
constexpr int BUTTON_GAP = 4;

ToolButton ButtonFor(const ToolEntry& entry)
{
    ToolButton button{};
    button.shown = 1;
    if (entry.command == SEPARATOR) {
        button.kind = TOOLBUTTON_SEPARATOR;
        button.gap = SEPARATOR_GAP;
        button.buttonWidth = SEPARATOR_WIDTH;
        return button;
    }
    button.kind = entry.kind;
    button.group = entry.group;
    button.gap = BUTTON_GAP;
    button.buttonWidth = TOOL_BUTTON_SIZE;
    button.enabled = entry.enabled ? 1 : 0;
    button.checked = entry.checked ? 1 : 0;
    button.enabledFaceId = entry.enabledFace;
    button.disabledFaceId = entry.disabledFace;
    button.commandId = static_cast<WORD>(entry.command);
    LoadResourceString(IDS_COMMAND_HELP_BASE + entry.command, button.statusText, sizeof button.statusText);
    LoadResourceString(entry.tipString, button.tipText, sizeof button.tipText);
    return button;
}

template <size_t N>
void FillBar(ToolBarControl* bar, const ToolEntry (&entries)[N])
{
    static_assert(N <= MAX_TOOL_BUTTONS, "a tool bar holds at most 25 entries");
    for (const ToolEntry& entry : entries) AddToolButton(bar, ButtonFor(entry));
}

}  // namespace

ToolBarControl* MainToolBar() { return &g_mainBar; }
ToolBarControl* DrawToolBar() { return &g_drawBar; }

int ToolBarAreaHeight() { return TOOL_BAR_AREA_HEIGHT; }

void BuildToolBars(HWND parent, HINSTANCE instance)
{
    InitToolBar(&g_mainBar, parent, instance);
    FillBar(&g_mainBar, MAIN_ENTRIES);
    InitToolBar(&g_drawBar, parent, instance);
    FillBar(&g_drawBar, DRAW_ENTRIES);
    // Without bars the editor goes on: the commands stay in the menu.
    CreateToolBarWindows(&g_mainBar, MAIN_TOOL_BAR_Y);
    CreateToolBarWindows(&g_drawBar, DRAW_TOOL_BAR_Y);
}

void EnableDocumentToolButtons(int noDocument)
{
    const int enabled = noDocument ? 0 : 1;
    for (UINT id : {IDM_ADD_FRAMES, IDM_PRINT, IDM_PREVIOUS_FRAME, IDM_NEXT_FRAME, IDM_SHOW_GRID, IDM_ZOOM_FILM})
        EnableToolButton(&g_mainBar, id, enabled);
    for (UINT id = IDM_ZOOM_1; id <= IDM_ZOOM_8; ++id) EnableToolButton(&g_drawBar, id, enabled);
    for (UINT id = IDM_TOOL_FREEHAND; id <= IDM_TOOL_SELECT_POLYGON; ++id) EnableToolButton(&g_drawBar, id, enabled);
    // Run needs an animation as well: only its own rule enables it.
    if (noDocument) EnableToolButton(&g_mainBar, IDM_RUN, 0);
}

void EnableMainToolButton(UINT commandId, int disabled) { EnableToolButton(&g_mainBar, commandId, !disabled); }
void EnableDrawToolButton(UINT commandId, int disabled) { EnableToolButton(&g_drawBar, commandId, !disabled); }
int CheckMainToolButton(UINT commandId, int checked) { return CheckToolButton(&g_mainBar, commandId, checked); }
int CheckDrawToolButton(UINT commandId, int checked) { return CheckToolButton(&g_drawBar, commandId, checked); }

void CheckZoomButton(int zoomIndex)
{
    if (zoomIndex >= 0 && zoomIndex <= 3) CheckToolButton(&g_drawBar, IDM_ZOOM_1 + zoomIndex, 1);
}

void ResizeToolBars()
{
    ResizeToolBar(&g_mainBar);
    ResizeToolBar(&g_drawBar);
}

int SelectPaintTool(int tool)
{
    const int previous = StoreAndSendPaintTool(tool);
    if (tool >= 0 && tool < PAINT_TOOL_COUNT) CheckToolButton(&g_drawBar, IDM_TOOL_FREEHAND + tool, 1);
    return previous;
}
