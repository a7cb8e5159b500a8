// Choosing the animation to play: the command line, the "-f" search of the
// current folder, the program's own name, the open-file dialog, and the
// messages for a file that cannot run by itself.
#include "AnsFile.h"
#include "AnxArchive.h"
#include "FileIo.h"
#include "RunPlayer.h"
#include "UiSeam.h"
#include "resource.h"
#include <cstring>

RunPlayerState g_player{};

// ---- strings and messages -------------------------------------------------

std::string PlayerString(UINT id)
{
    char text[512];
    const int n = LoadStringA(g_player.instance, id, text, sizeof text);
    return std::string(text, n > 0 ? n : 0);
}

std::string FormatNameMessage(UINT id, const char* name)
{
    std::string text = PlayerString(id);
    const size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, name ? name : "");
    return text;
}

int ShowPlayerMessage(HWND owner, const std::string& text, const std::string& caption, UINT type)
{
    return CurrentUiSeam().messageBox(owner, text.c_str(), caption.c_str(), type);
}

namespace {

bool IsRunnable(AnimFileKind kind) { return kind == ANIM_FILE_ARCHIVE || kind == ANIM_FILE_RUNNABLE; }

bool IsExistingFile(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolderSwitch(const char* commandLine)
{
    return lstrcmpiA(commandLine, "-f") == 0 || lstrcmpiA(commandLine, "/f") == 0;
}

// The program's path with its extension replaced (or added).
bool ProgramNameWith(const char* programPath, const char* extension, char* out)
{
    std::string name(programPath);
    const size_t folderEnd = name.find_last_of("\\/:");
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && (folderEnd == std::string::npos || dot > folderEnd)) name.erase(dot);
    name += extension;
    if (name.size() >= MAX_PATH) return false;
    lstrcpynA(out, name.c_str(), MAX_PATH);
    return true;
}

}  // namespace

// ---- the command line -----------------------------------------------------

bool FindFirstRunnableAnimation(char* out)
{
    // The names come in the ANSI set the rest of the program uses, so they
    // are opened as found.
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("*.ANS", &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool chosen = false;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (IsRunnable(SniffAnimationFile(found.cFileName))) {
            lstrcpynA(out, found.cFileName, MAX_PATH);
            chosen = true;
        }
    } while (!chosen && FindNextFileA(search, &found));
    FindClose(search);
    return chosen;
}

bool ChooseCommandLineFile(const char* commandLine, const char* programPath, char* out)
{
    out[0] = '\0';
    if (!commandLine) commandLine = "";
    if (IsFolderSwitch(commandLine) && FindFirstRunnableAnimation(out)) return true;
    const size_t length = strlen(commandLine);
    if (length >= 2 && length < MAX_PATH && IsExistingFile(commandLine)) {
        lstrcpynA(out, commandLine, MAX_PATH);
        return true;
    }
    for (const char* extension : {".ANS", ".ANX"}) {
        if (ProgramNameWith(programPath, extension, out) && IsExistingFile(out)) return true;
    }
    out[0] = '\0';
    return false;
}

// ---- the open-file dialog -------------------------------------------------

namespace {

// Centres the explorer-style dialog (the parent of the hook's child dialog)
// on the screen once it has laid itself out.
UINT_PTR CALLBACK CentreOpenDialog(HWND hookDialog, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_NOTIFY || reinterpret_cast<const NMHDR*>(lParam)->code != CDN_INITDONE) return 0;
    HWND dialog = GetParent(hookDialog);
    RECT r;
    if (!dialog || !GetWindowRect(dialog, &r)) return 0;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

}  // namespace

bool AskForAnimationFile(HWND owner, char* path)
{
    const std::string title = PlayerString(IDS_CHOOSE_TITLE);
    std::string filter = PlayerString(IDS_OPEN_FILTER);
    for (char& c : filter)
        if (c == '|') c = '\0';
    filter.push_back('\0');  // the list ends with an empty entry

    char file[MAX_PATH] = "";
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.hInstance = g_player.instance;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST |
                   OFN_HIDEREADONLY;
    dialog.lpfnHook = CentreOpenDialog;
    if (CurrentUiSeam().getOpenFileName(&dialog)) {
        lstrcpynA(path, file, MAX_PATH);
        return true;
    }
    const DWORD error = CommDlgExtendedError();
    if (error)
        ShowPlayerMessage(owner, "GetOpenFileName returned Error #" + std::to_string(error), "WARNING",
                          MB_OK | MB_ICONERROR);
    return false;
}

// ---- the whole choice -----------------------------------------------------

namespace {

// Messages 10 and 11 name the file in their caption by its full path.
void ReportUnrunnableFile(const char* path, AnimFileKind kind)
{
    char full[MAX_PATH];
    const DWORD n = GetFullPathNameA(path, MAX_PATH, full, nullptr);
    const std::string caption = (n > 0 && n < MAX_PATH) ? std::string(full) : PlayerString(IDS_ERROR_CAPTION);
    const std::string text = kind == ANIM_FILE_PART ? PlayerString(IDS_PART_ONLY) : FormatNameMessage(IDS_NOT_VALID, path);
    ShowPlayerMessage(nullptr, text, caption, MB_OK | MB_ICONERROR);
}

}  // namespace

bool ChooseAnimationFile(const char* commandLine, const char* programPath, char* out)
{
    if (!ChooseCommandLineFile(commandLine, programPath, out) && !AskForAnimationFile(nullptr, out)) return false;
    for (;;) {
        const AnimFileKind kind = SniffAnimationFile(out);
        if (IsRunnable(kind)) return true;
        ReportUnrunnableFile(out, kind);
        if (!AskForAnimationFile(nullptr, out)) return false;
    }
}
