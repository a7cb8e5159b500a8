// The editor's "ANX Import" and "ANX Export" commands.
#include "AnxCommands.h"
#include "AnxArchive.h"
#include "UiSeam.h"
#include <cstdio>
#include <cstring>

namespace {

constexpr char kImportCaption[] = "ANX Import";
constexpr char kExportCaption[] = "ANX Export";

// The export's locate callback has no owner argument: the owner of the export
// that is running stands in for it.
HWND g_exportOwner = nullptr;

int ShowAnxBox(HWND owner, int id, const char* caption, UINT type)
{
    return CurrentUiSeam().messageBox(owner, AnxMessageText(id), caption, type);
}

int ExportErrorMessage(int error)
{
    switch (error) {
    case ANX_CANCELLED: return IDS_ANX_EXPORT_CANCELLED;
    case ANX_FILE_MISSING: return IDS_ANX_EXPORT_FILES_MISSING;
    case ANX_NO_FILE_LIST: return IDS_ANX_EXPORT_READ_ERROR;
    case ANX_WRITE_FAILED: return IDS_ANX_EXPORT_CREATE_ERROR;
    default: return IDS_ANX_EXPORT_FAILED;
    }
}

}  // namespace

const char* AnxMessageText(int id)
{
    // The texts live in the program's string table (DocumentStrings.rc).
    static char text[512];
    if (LoadStringA(GetModuleHandleA(nullptr), static_cast<UINT>(id), text, sizeof text) <= 0) text[0] = '\0';
    return text;
}

int ImportAnxArchive(HWND owner, const char* archivePath, char* animationPath, int length)
{
    if (!AnxArchive::IsArchive(archivePath)) {
        if (animationPath != archivePath) lstrcpynA(animationPath, archivePath, length);
        return 1;
    }
    // The folder is the archive's path without its extension.
    char folder[MAX_PATH];
    lstrcpynA(folder, archivePath, MAX_PATH);
    char* dot = strrchr(folder, '.');
    if (dot && dot > BareName(folder)) *dot = '\0';
    if (!CreateDirectoryA(folder, nullptr)) {
        if (GetLastError() == ERROR_ALREADY_EXISTS) {
            if (ShowAnxBox(owner, IDS_ANX_IMPORT_FOLDER_EXISTS, kImportCaption, MB_OKCANCEL | MB_ICONWARNING) != IDOK)
                return 0;
        } else {
            ShowAnxBox(owner, IDS_ANX_IMPORT_CREATE_FOLDER, kImportCaption, MB_OK | MB_ICONERROR);
            return 0;
        }
    }
    AnxArchive archive(archivePath);
    if (!archive.Unpack(folder)) {
        ShowAnxBox(owner, IDS_ANX_IMPORT_READ_ERROR, kImportCaption, MB_OK | MB_ICONERROR);
        return 0;
    }
    if (!archive.FindAnimation(animationPath, length)) {
        ShowAnxBox(owner, IDS_ANX_IMPORT_NO_ANIMATION, kImportCaption, MB_OK | MB_ICONERROR);
        return 0;
    }
    SetCurrentDirectoryA(folder);
    return 1;
}

int BrowseForMissingFile(HWND owner, const char* bareName, char* outPath)
{
    // One filter entry whose description and pattern are both the bare name.
    char filter[2 * MAX_PATH + 2] = {};
    const size_t n = strlen(bareName) < MAX_PATH - 1 ? strlen(bareName) : MAX_PATH - 1;
    memcpy(filter, bareName, n);
    memcpy(filter + n + 1, bareName, n);
    lstrcpynA(outPath, bareName, MAX_PATH);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.lpstrFile = outPath;
    dialog.nMaxFile = MAX_PATH;
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!CurrentUiSeam().getOpenFileName(&dialog)) {
        outPath[0] = '\0';
        return 0;
    }
    return 1;
}

int AskLocateFile(const char* bareName, char* outPath)
{
    char text[MAX_PATH + 128];
    const char* format = AnxMessageText(IDS_ANX_EXPORT_LOCATE_FILE);
    const char* mark = strstr(format, "%s");  // the name is put in place of %s, never used as a format
    if (mark) snprintf(text, sizeof text, "%.*s%s%s", static_cast<int>(mark - format), format, bareName, mark + 2);
    else lstrcpynA(text, format, sizeof text);
    switch (CurrentUiSeam().messageBox(g_exportOwner, text, kExportCaption, MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
        BrowseForMissingFile(g_exportOwner, bareName, outPath);
        return 1;
    case IDNO:
        outPath[0] = '\0';
        return 1;
    default:
        return 0;
    }
}

int ExportAnxArchive(HWND owner, const char* archivePath, const char* animationPath)
{
    AnxArchive archive(archivePath);
    archive.locateFile = AskLocateFile;
    g_exportOwner = owner;
    const int packed = archive.Pack(animationPath);
    g_exportOwner = nullptr;
    if (packed) return 1;
    ShowAnxBox(owner, ExportErrorMessage(archive.error), kExportCaption, MB_OK | MB_ICONERROR);
    return 0;
}
