// Loading the editor's libraries (the image library, the video export) from
// the program's own folder.
#pragma once
#include <windows.h>

// Loads `fileName` from the folder of the running program, with the system's
// file-open error boxes off. When no such file lies there, it is loaded by
// its bare name (the system's search order); any other failure gives null.
HMODULE LoadLibraryBesideProgram(const char* fileName);
