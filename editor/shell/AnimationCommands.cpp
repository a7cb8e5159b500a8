// The animation file of the document: saving, opening, and the Save As
// commands for the sequence and the animation.
#include "AnxArchive.h"
#include "AnxCommands.h"
#include "DialogUtilities.h"
#include "DocumentCommon.h"
#include "DocumentModel.h"
#include "FileIo.h"
#include "RecentFiles.h"
#include "ResultCodes.h"
#include "resource.h"
#include <cstring>

namespace {

// File chooser flags of Save Animation As: the save dialog with the types
// animation, archive and video; with a document from the image library its
// animation formats in place of the archive and video.
constexpr UINT CHOOSE_SAVE_ANIMATION = 16514;
constexpr UINT CHOOSE_SAVE_LIBRARY_ANIMATION = 17536;
constexpr UINT CHOOSE_ALWAYS = 0x80;
constexpr UINT CHOOSE_ONE_MORE_TYPE = 0x01;
// Type codes of the chooser's own entries.
constexpr int TYPE_ANIMATION = 0;
constexpr int TYPE_ARCHIVE = 1;
constexpr int TYPE_VIDEO = 2;
constexpr int TYPE_SEQUENCE = 0;
constexpr int TYPE_SINGLE_IMAGES = 1;
// The image library's formats that are whole documents.
constexpr BYTE FIRST_LIBRARY_DOCUMENT_FORMAT = 166;

int ChooseFile(HWND owner, UINT flags, UINT titleId, UINT firstTypeId, char* path, int* type)
{
    return g_appState.hooks.chooseFile ? g_appState.hooks.chooseFile(owner, flags, titleId, firstTypeId, path, type)
                                       : 0;
}

// Shows a failed result and hands it on.
int Shown(int result)
{
    if (result != RESULT_OK && result != 0) ShowErrorMessage(result);
    return result;
}

bool IsRelativeWithFolder(const char* name)
{
    return BareName(name) != name && name[0] != '\\' && name[0] != '/' && !strchr(name, ':');
}

// Before the animation is written into another folder: a sequence name that
// was stored relative to the old folder is stored for the new one, so the
// reference still holds.
void RebaseSequenceNames(const char* newAnimationPath)
{
    char oldPath[MAX_PATH];
    lstrcpynA(oldPath, g_document.animationPath, MAX_PATH);
    lstrcpynA(g_document.animationPath, newAnimationPath, MAX_PATH);
    const int current = CurrentSequenceIndex();
    for (int i = 0; i < g_document.sequenceCount; ++i) {
        char* stored = g_document.sequenceTable[i].fileName;
        char full[MAX_PATH];
        if (i == current && g_appState.frameCount > 0 && g_document.sequencePath[0])
            lstrcpynA(full, g_document.sequencePath, MAX_PATH);
        else if (!IsRelativeWithFolder(stored) || !GetFullPathNameA(stored, MAX_PATH, full, nullptr))
            continue;
        ShortenStoredPath(stored, full);
    }
    lstrcpynA(g_document.animationPath, oldPath, MAX_PATH);
}

int ExportAnimation(HWND owner, int type, const char* target)
{
    if (!QuerySaveChanges(owner, g_document.animationState)) return 0;
    if (IsAnimationUnnamed()) return 0;  // nothing on disk to export
    if (type == TYPE_ARCHIVE) return ExportAnxArchive(owner, target, g_document.animationPath) ? RESULT_OK : 0;
    const int result = g_appState.hooks.exportVideo
                           ? g_appState.hooks.exportVideo(owner, target, g_document.animationPath)
                           : RESULT_LIBRARY_ERROR;
    return Shown(result);
}

}  // namespace

int SaveAnimation(const char* path)
{
    BusyCursor busy;
    // The frame editor's count is the live one; without frames the record keeps its own.
    SequenceRecord* record = CurrentSequenceRecord();
    if (record && g_appState.frameCount > 0) record->frameCount = static_cast<uint8_t>(g_appState.frameCount);
    g_document.headerCurrentObject = static_cast<uint8_t>(g_document.currentObject);
    const int result = WriteAnimationFile(path, &g_document);
    if (result == RESULT_OK) g_document.animationState = 0;
    return result;
}

int LoadAnimationBody(HFILE file, const AnsFileHeader& header)
{
    if (header.formatVersion > ANS_MAX_EDITOR_VERSION) return RESULT_NEWER_VERSION;
    BusyCursor busy;
    // The frames of whatever was open belong to the tables that are replaced.
    FreeCurrentFrames();
    FreeAllSequenceBitmaps();
    int result = ReadAnimationTables(file, header, &g_document, MAX_EDITOR_OBJECTS);
    if (result != RESULT_OK) return result;
    g_document.currentObject = g_document.headerCurrentObject;
    const int sequenceIndex = CurrentSequenceIndex();
    if (sequenceIndex < 0) return RESULT_OK;  // no object, no sequence to edit

    char path[MAX_PATH];
    lstrcpynA(path, g_document.sequenceTable[sequenceIndex].fileName, MAX_PATH);
    FileHandle sequence(OpenReferencedFile(path));
    if (!sequence.IsOpen()) return RESULT_NOT_FOUND;
    BmxFileHeader sequenceHeader;
    if (!ReadExact(sequence.Get(), &sequenceHeader, sizeof sequenceHeader) || sequenceHeader.magic != BMX_MAGIC)
        return RESULT_UNKNOWN_FORMAT;
    {
        SavedPaletteModeOverride originalPalette(2);
        result = ReadFrameSequence(sequence.Get(), sequenceHeader, sequenceIndex);
    }
    // The name as found: in the animation's folder when it was copied elsewhere.
    lstrcpynA(g_document.sequencePath, path, MAX_PATH);
    ShortenStoredPath(g_document.sequenceTable[sequenceIndex].fileName, path);
    // The steps go to the step editor as they were stored: opening changes
    // nothing in the animation (choosing an object clamps its steps).
    NotifyDocument(DOC_STEPS_CHANGED);
    return result;
}

int OpenAnimation(const char* path)
{
    char animation[MAX_PATH];
    if (!ImportAnxArchive(g_appState.mainWindow, path, animation, MAX_PATH)) return 0;
    g_document.conversionFormat = 0;
    FileHandle file(OpenForReading(animation));
    if (!file.IsOpen()) return RESULT_NOT_FOUND;
    AnsFileHeader header;
    if (!ReadAnsHeader(file.Get(), &header) || header.magic != ANS_MAGIC) {
        file.Close();
        BusyCursor busy;
        BYTE format = 0;
        const int result = g_appState.hooks.libraryLoad
                               ? g_appState.hooks.libraryLoad(g_appState.mainWindow, animation, &format)
                               : RESULT_UNKNOWN_FORMAT;
        if (result == RESULT_OK && format >= FIRST_LIBRARY_DOCUMENT_FORMAT) {
            lstrcpynA(g_document.animationPath, animation, MAX_PATH);
            g_document.conversionFormat = format;
            g_document.animationState = 0;
            g_document.sequenceState = 0;
        }
        return result;
    }
    SetDocumentFolder(animation);
    const int result = LoadAnimationBody(file.Get(), header);
    if (result == RESULT_OK) g_document.animationState = 0;
    return result;
}

int SaveSequenceAs(HWND owner, UINT flags, bool offerSingleImages)
{
    SequenceRecord* record = CurrentSequenceRecord();
    if (!record || g_appState.frameCount <= 0) return 0;
    char path[MAX_PATH];
    lstrcpynA(path, g_document.sequencePath, MAX_PATH);
    int type = g_document.sequenceSaveFormat;
    const UINT chooserFlags = flags | CHOOSE_ALWAYS | (offerSingleImages ? CHOOSE_ONE_MORE_TYPE : 0);
    if (!ChooseFile(owner, chooserFlags, IDS_TITLE_SAVE_SEQUENCE, IDS_TYPE_SEQUENCE_FILE, path, &type)) return 0;

    // A sequence that was never saved has no file of its own yet.
    const bool ownFile = g_document.sequenceState >= 0 && !lstrcmpiA(path, g_document.sequencePath);
    if (!ownFile && ConfirmOverwrite(path) == 0) return 0;

    int result;
    if (type == TYPE_SEQUENCE) {
        result = SaveFrameSequence(path, record->transparentColorCode, 0);
        if (result == RESULT_OK) {
            char stored[STORED_NAME_CHARS];
            ShortenStoredPath(stored, path);
            // The animation refers to the sequence by this name.
            if (strcmp(stored, record->fileName) != 0) g_document.animationState |= DOC_MODIFIED;
            memcpy(record->fileName, stored, sizeof stored);
            lstrcpynA(g_document.sequencePath, path, MAX_PATH);
            AddRecentFile(path);
        }
    } else if (type == TYPE_SINGLE_IMAGES) {
        result = SaveSequenceAsImages(owner, path);
    } else {
        result = g_appState.hooks.librarySave ? g_appState.hooks.librarySave(owner, path, type, -1)
                                              : RESULT_LIBRARY_ERROR;
    }
    if (result != RESULT_OK) return Shown(result);
    g_document.sequenceSaveFormat = static_cast<BYTE>(type);
    g_document.sequenceState = 0;
    return RESULT_OK;
}

int SaveAnimationAs(HWND owner)
{
    char path[MAX_PATH];
    lstrcpynA(path, g_document.animationPath, MAX_PATH);
    int type = g_document.conversionFormat;
    const UINT flags = g_document.conversionFormat ? CHOOSE_SAVE_LIBRARY_ANIMATION : CHOOSE_SAVE_ANIMATION;
    if (!ChooseFile(owner, flags, IDS_TITLE_SAVE_ANIMATION, IDS_TYPE_ANIMATION_FILE, path, &type)) return 0;
    if (lstrcmpiA(path, g_document.animationPath) != 0 && ConfirmOverwrite(path) == 0) return 0;

    if (type == TYPE_ARCHIVE || type == TYPE_VIDEO) return ExportAnimation(owner, type, path);
    int result;
    if (type == TYPE_ANIMATION) {
        SequenceRecord names[MAX_SEQUENCES];
        memcpy(names, g_document.sequenceTable, sizeof names);
        RebaseSequenceNames(path);
        result = SaveAnimation(path);
        if (result == RESULT_OK) SetDocumentFolder(path);
        else memcpy(g_document.sequenceTable, names, sizeof names);  // the old folder's names still hold
    } else {
        result = g_appState.hooks.librarySave ? g_appState.hooks.librarySave(owner, path, type, -1)
                                              : RESULT_LIBRARY_ERROR;
        if (result == RESULT_OK) {
            lstrcpynA(g_document.animationPath, path, MAX_PATH);
            g_document.conversionFormat = static_cast<BYTE>(type);
            g_document.animationState = 0;
        }
    }
    if (result != RESULT_OK) return Shown(result);
    AddRecentFile(path);
    return RESULT_OK;
}
