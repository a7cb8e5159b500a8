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
    const UINT oldMode = SetErrorMode(SEM_NOOPENFILEERRORBOX | SEM_FAILCRITICALERRORS);
    char path[MAX_PATH];
    HMODULE module = nullptr;
    DWORD error = ERROR_FILE_NOT_FOUND;
    if (PathBesideProgram(fileName, path)) {
        module = LoadLibraryA(path);
        error = module ? 0 : GetLastError();
        // Newer systems report a missing file as a missing module: what
        // counts is whether the file is there.
        if (error == ERROR_MOD_NOT_FOUND && GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
            error = ERROR_FILE_NOT_FOUND;
    }
    if (!module && error == ERROR_FILE_NOT_FOUND) module = LoadLibraryA(fileName);
    SetErrorMode(oldMode);
    return module;
}
