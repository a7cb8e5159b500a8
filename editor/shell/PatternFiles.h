// The fill-pattern files beside the program, as the tool windows read them.
// Until the pattern dialogs exist, PatternFiles.cpp answers as a program
// without pattern files does.
#pragma once
#include <windows.h>

// Reads the ".MUS" file beside the program into the twelve 8 x 8 pattern
// bitmaps of the editor's state. 1, or a result code (0x8003 without a file).
int ReadPatternFile();
// Makes up to `wanted` pattern brushes from the ".MBX" file beside the
// program: the number made, or a result code.
int LoadPatternBrushes(HBRUSH* brushes, int wanted);

// The selection transforms are the area selection's (AreaSelection.h).
#include "AreaSelection.h"
