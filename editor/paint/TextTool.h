// The text tool (tool 8): the modeless "Insert Text" dialog, the text's
// position on the canvas, its preview, and the painting of the text into the
// selected frames with each frame's number in place of "%d".
#pragma once
#include <windows.h>

// Puts tool 8's handlers into the canvas's tool table.
void InstallTextTool();
// Destroys the dialog and the preview; the canvas is rendered again when
// something was closed. At a change away from tool 8.
void CloseTextTool();
// CloseTextTool, then forgets the text, position, font and angle and frees
// the icons (frame views hidden, the canvas destroyed, a new document).
void FreeTextTool();
// Writes the text (CR LF lines) into a device context at a frame position as
// the dialog's font, style, alignment, extra and angle say, for frame
// `frame` (0-based; "%d" shows frame + 1).
void RenderTextInto(HDC dc, const char* text, POINT at, int frame);
