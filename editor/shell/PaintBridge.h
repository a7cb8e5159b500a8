// The shell's side of the paint library: the host table through which the
// frame canvas reaches the menus, the status bar, the film and the document,
// and the choice of the current paint tool.
#pragma once

// Fills g_paintHost with the shell's operations (at main-window creation).
void ConnectPaintHost();

// Makes `tool` (0-11, or 32 while a pasted area is placed) the current tool
// and tells the canvas (EDIT_SELECT_TOOL: the tool, and (tool equal to the
// previous one) << 16 | the previous tool). Returns the previous tool.
int SelectPaintTool(int tool);
