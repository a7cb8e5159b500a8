// The sequence dialogs: "New Frame Sequence", "Save Frame Sequence" and the
// two "Color Palette Request" boxes, with command 101 that makes a new
// sequence. ("Change Frame Format" lives in FrameFormatDialog.cpp.)
#pragma once
#include <windows.h>

// "New Frame Sequence": lParam is a NewSequenceParams (typeId 0 or more
// fixes the type). Ends with 1 (OK) or 0 (Cancel).
INT_PTR CALLBACK NewSequenceDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// "Save Frame Sequence": lParam is the path buffer (MAX_PATH, in/out); ends
// with the chosen format id (0: Windows bitmap) or -1.
INT_PTR CALLBACK SaveSequenceDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// "Color Palette Request" (1006 or 1007): ends with option 0, 1 or 2, or -1.
INT_PTR CALLBACK PaletteRequestDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Command 101: asks for a new sequence and makes it the document. 1 when made.
int NewSequenceCommand(HWND owner);

// EditorHooks::paletteRequest: dialog 1006 or 1007 over the main window.
int RunPaletteRequest(int templateId);
// The options the palette requests remember; tests start from a known state.
void ResetPaletteRequestMemory();
