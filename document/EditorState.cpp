#include "EditorState.h"

ColorState g_colorState{};
ToolColors g_toolColors{};
ColorCells g_colorCells{{}, FIXED_COLOR_CELLS};
BitmapMode g_bitmapMode{};
FrameSet g_frames{};
EditorHooks g_editorHooks{};
uint32_t g_optionFlags = 0;
int g_instanceNumber = 1;
