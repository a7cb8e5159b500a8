// Loading the editor's libraries (the image library, the video export) from
// the program's own folder.
#pragma once
#include <windows.h>

// Loads `fileName` from the folder of the running program, with the system's
// file-open error boxes off. Null when it is not there: a bare-name search
// would look in the current folder, the document's, and could load any file
// of that name lying beside a document.
HMODULE LoadLibraryBesideProgram(const char* fileName);
