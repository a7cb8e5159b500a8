// The canvas's own handling of its geometry messages and scroll input; the
// operations other pieces call are declared in FrameCanvas.h.
#pragma once
#include <windows.h>

// EDIT_SET_VIEW_SIZE and EDIT_RELAYOUT.
void SetCanvasViewSize(LPARAM size);
void RelayoutCanvas();
void PlaceCanvasScrollBars();
// WM_HSCROLL / WM_VSCROLL and WM_MOUSEWHEEL: 1 when the view scrolled.
int ScrollByBar(bool horizontal, WPARAM wParam);
int ScrollByWheel(WPARAM wParam);
