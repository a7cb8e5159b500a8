// Message boxes built from the string table, the error message of a result
// code and the question before a file is replaced.
#include "DialogUtilities.h"
#include "ResultCodes.h"
#include "UiSeam.h"
#include "resource.h"
#include <shlwapi.h>

static_assert(RESULT_OUT_OF_MEMORY == IDS_OUT_OF_MEMORY && RESULT_NEWER_VERSION == IDS_NEWER_VERSION &&
                  RESULT_GENERAL_ERROR == IDS_GENERAL_ERROR && RESULT_READ_ERROR == IDS_READ_ERROR &&
                  RESULT_WRITE_ERROR == IDS_WRITE_ERROR && RESULT_NOT_FOUND == IDS_NOT_FOUND &&
                  RESULT_UNKNOWN_FORMAT == IDS_UNKNOWN_FORMAT && RESULT_CREATE_ERROR == IDS_CREATE_ERROR &&
                  RESULT_COMPRESSION_ERROR == IDS_COMPRESSION_ERROR && RESULT_LIBRARY_ERROR == IDS_LIBRARY_ERROR,
              "a result code is the id of its message");

namespace {

constexpr int MESSAGE_LENGTH = 200;

HWND HostMainWindow()
{
    const DialogHost& host = GetDialogHost();
    return host.mainWindow ? host.mainWindow() : nullptr;
}

// Result codes from the read error upwards concern one file: their caption names it.
bool IsFileError(int code) { return LOWORD(code) >= IDS_READ_ERROR; }

}  // namespace

int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT style)
{
    return CurrentUiSeam().messageBox(owner, text, caption, style);
}

int LoadResourceString(UINT stringId, char* buffer, int size)
{
    if (!buffer || size <= 0) return 0;
    int length = LoadStringA(GetModuleHandleA(nullptr), stringId, buffer, size);
    if (length <= 0) buffer[0] = '\0';
    return length > 0 ? length : 0;
}

int ShowStringMessage(HWND owner, UINT stringId, const char* caption, UINT style, INT_PTR argument)
{
    char format[MESSAGE_LENGTH];
    LoadResourceString(stringId, format, MESSAGE_LENGTH);
    // Bounded: the argument may be a path or another text of any length.
    char text[MESSAGE_LENGTH];
    wnsprintfA(text, MESSAGE_LENGTH, format, argument);
    char defaultCaption[MESSAGE_LENGTH];
    if (!caption) {
        LoadResourceString(IDS_ERROR, defaultCaption, MESSAGE_LENGTH);
        caption = defaultCaption;
    }
    return ShowMessageBox(owner, text, caption, style);
}

int ShowErrorMessage(int code)
{
    if (code == 0) return 0;
    UINT stringId = LOWORD(code);
    char probe[2];
    // A code without a message of its own must still say that something failed.
    if (!LoadResourceString(stringId, probe, sizeof probe)) stringId = IDS_GENERAL_ERROR;
    const char* caption = nullptr;
    if (IsFileError(code)) {
        const DialogHost& host = GetDialogHost();
        const char* path = host.currentFilePath ? host.currentFilePath() : nullptr;
        if (path && path[0]) caption = path;
    }
    ShowStringMessage(HostMainWindow(), stringId, caption, MB_ICONERROR);
    return 0;
}

int ConfirmOverwrite(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return -1;
    int answer = ShowStringMessage(HostMainWindow(), IDS_CONFIRM_OVERWRITE, path, MB_OKCANCEL | MB_ICONQUESTION);
    return answer == IDOK ? 1 : 0;
}
