// The canvas's own handling of a change of tool and of the tools' status
// format; the operations other pieces call are declared in FrameCanvas.h.
#pragma once
#include <windows.h>

// EDIT_SELECT_TOOL after the tool was stored (the three steps: by the tool
// left, by the new tool, then menus and flags).
void SelectCanvasTool(int newTool, int previous, bool chosenAgain);
// Through the shell's tool choice when there is one, else stores and sends.
int SelectPaintToolOf(int tool);
bool LoadPaintString(UINT id, char* out, int room);
// Shows statusFormat as it is when it takes no arguments.
void ShowStatusFormatIfPlain();
