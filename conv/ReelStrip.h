// The library's film-strip control "AVIREEL" of its import and export
// dialogs: its window class exists from the library's attach to its detach.
#pragma once
#include <windows.h>

constexpr char REEL_STRIP_CLASS[] = "AVIREEL";

bool RegisterReelStripClass(HINSTANCE module);
void UnregisterReelStripClass(HINSTANCE module);
