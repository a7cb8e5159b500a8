// The shell's side of the paint library: the host table through which the
// frame canvas reaches the menus, the tool bars, the status bar, the film and
// the document.
#pragma once

// Fills g_paintHost with the shell's operations (at main-window creation).
void ConnectPaintHost();
