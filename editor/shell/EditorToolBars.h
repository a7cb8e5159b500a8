// The editor's two tool bars under the menu (the main tool bar and the
// drawing-tools bar) and the operations with which the rest of the editor
// enables and checks their buttons and chooses the paint tool.
#pragma once
#include "FrameCanvas.h"  // EDIT_SELECT_TOOL, PAINT_TOOL_COUNT
#include "ToolBar.h"
#include <windows.h>

constexpr int MAIN_TOOL_BAR_Y = 1;
constexpr int DRAW_TOOL_BAR_Y = 33;

// Fills both bars and makes their windows in `parent`.
void BuildToolBars(HWND parent, HINSTANCE instance);
// The main bar's 103, 110, 354, 355, 339, 327 and the drawing bar's paint and
// zoom buttons follow the document; the Run button is only disabled here.
void EnableDocumentToolButtons(int noDocument);
void EnableMainToolButton(UINT commandId, int disabled);
void EnableDrawToolButton(UINT commandId, int disabled);
int CheckMainToolButton(UINT commandId, int checked);
int CheckDrawToolButton(UINT commandId, int checked);
// Zoom index 0..3 checks buttons 350..353; other values do nothing.
void CheckZoomButton(int zoomIndex);
void ResizeToolBars();
// Makes `tool` current, tells the canvas and checks its button; returns the previous tool.
int SelectPaintTool(int tool);
// The height of both bars above the workspace: 66.
int ToolBarAreaHeight();

// The two records, for the code that reads their state.
ToolBarControl* MainToolBar();
ToolBarControl* DrawToolBar();
