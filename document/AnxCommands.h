// The editor's archive commands: "ANX Import" when an archive is opened, and
// "ANX Export" when the animation is saved as an archive.
#pragma once
#include <windows.h>

// Message string ids of the archive commands.
enum AnxMessageId {
    IDS_ANX_EXPORT_CANCELLED = 1600,
    IDS_ANX_EXPORT_FILES_MISSING = 1601,
    IDS_ANX_EXPORT_READ_ERROR = 1602,
    IDS_ANX_EXPORT_CREATE_ERROR = 1603,
    IDS_ANX_EXPORT_FAILED = 1604,
    IDS_ANX_EXPORT_LOCATE_FILE = 1605,
    IDS_ANX_IMPORT_FOLDER_EXISTS = 1606,
    IDS_ANX_IMPORT_CREATE_FOLDER = 1607,
    IDS_ANX_IMPORT_READ_ERROR = 1608,
    IDS_ANX_IMPORT_NO_ANIMATION = 1609,
};

// The text of one of the messages above, from the program's string table
// (DocumentStrings.rc); valid until the next call.
const char* AnxMessageText(int id);

// On every open of an animation: an archive is unpacked into the folder of its
// own name beside it and *animationPath becomes the animation inside.
// 1 = go on with animationPath, 0 = stop (a message was shown).
int ImportAnxArchive(HWND owner, const char* archivePath, char* animationPath, int length);

// Packs the animation at animationPath into archivePath, asking for files that
// are not found. 1 on success; otherwise the error message was shown.
int ExportAnxArchive(HWND owner, const char* archivePath, const char* animationPath);

// The locate callback of the export: Yes browses, No leaves the file out,
// Cancel stops the export.
int AskLocateFile(const char* bareName, char* outPath);

// The open-file dialog for one missing file; 1 when a file was chosen.
int BrowseForMissingFile(HWND owner, const char* bareName, char* outPath);
