// The editor's "ANX Import" and "ANX Export" commands.
#include "AnxCommands.h"
#include "AnxArchive.h"
#include "UiSeam.h"
#include <cstdio>
#include <cstring>

namespace {

constexpr char kImportCaption[] = "ANX Import";
constexpr char kExportCaption[] = "ANX Export";

struct AnxMessage {
    int id;
    const char* text;
};
const AnxMessage kMessages[] = {
    {IDS_ANX_EXPORT_CANCELLED, "ANX Export cancelled by user!"},
    {IDS_ANX_EXPORT_FILES_MISSING,
     "One or more files belonging the Animation were not found. Please ensure that all files are in the "
     "animation directory!"},
    {IDS_ANX_EXPORT_READ_ERROR, "Error reading the animation file!"},
    {IDS_ANX_EXPORT_CREATE_ERROR, "Error creating the .ANX Export File!"},
    {IDS_ANX_EXPORT_FAILED, "Der ANX Export konnte nicht erfolgreich beendet werden!"},
    {IDS_ANX_EXPORT_LOCATE_FILE, "The File %s was not found.\nWould you like to find the file?"},
    {IDS_ANX_IMPORT_FOLDER_EXISTS,
     "The destination directory already exists. Press OK to replace all existing files!"},
    {IDS_ANX_IMPORT_CREATE_FOLDER, "Error creating the import directory!"},
    {IDS_ANX_IMPORT_READ_ERROR,
     "Error reading the import file. The file may be not a valid Zelvo ANX file or corrupted!"},
    {IDS_ANX_IMPORT_NO_ANIMATION, "The ANX file does not contain a valid Zelvo Animation file (*.ANS)!"},
};

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
    for (const AnxMessage& m : kMessages)
        if (m.id == id) return m.text;
    return "";
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
    snprintf(text, sizeof text, "%.*s%s%s", static_cast<int>(mark - format), format, bareName, mark + 2);
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
