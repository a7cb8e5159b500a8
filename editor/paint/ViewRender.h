// Rendering the canvas's view buffer from the current frame: enlarged, with
// the pixel grid and the onion skin, and over it what the current tool has
// not painted into the frame yet.
#pragma once
#include <windows.h>

// Renders the strip (x, y, width, height in view pixels) from frame position
// (sx, sy) into the view buffer.
void RenderViewStrip(int x, int y, int width, int height, int sx, int sy);
// Renders the whole view from the scroll offsets; clears needsRender and
// softUndoOpen.
void RenderView();
// After a palette edit: colour-table entries 8..247 of the first frame into
// the view buffer (DIB sections of 256 colours only); repaints.
void CopyFrameColorTableToView();
// Stores selectionOutlineShown; repaints when it changed.
void ShowSelectionOutline(int on);
