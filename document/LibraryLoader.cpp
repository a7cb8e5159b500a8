// Loads a library beside the program: the editor's libraries are installed
// in its own folder, whatever the current folder is.
#include "LibraryLoader.h"
#include <cstring>

namespace {

// The program's path with its file name replaced; false when it does not fit.
bool PathBesideProgram(const char* fileName, char* out)
{
    const DWORD length = GetModuleFileNameA(nullptr, out, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    char* name = out;
    for (char* p = out; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    const size_t room = MAX_PATH - static_cast<size_t>(name - out);
    if (strlen(fileName) >= room) return false;
    strcpy(name, fileName);
    return true;
}

}  // namespace

HMODULE LoadLibraryBesideProgram(const char* fileName)
{
    char path[MAX_PATH];
    if (!PathBesideProgram(fileName, path)) return nullptr;
    const UINT oldMode = SetErrorMode(SEM_NOOPENFILEERRORBOX | SEM_FAILCRITICALERRORS);
    HMODULE module = LoadLibraryA(path);
    SetErrorMode(oldMode);
    return module;
}
