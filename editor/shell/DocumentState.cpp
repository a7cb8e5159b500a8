// The document's state, the files it refers to, frame records and the small
// operations on the current sequence.
#include "DocumentModel.h"
#include "DialogUtilities.h"
#include "DocumentCommon.h"
#include "AnxArchive.h"
#include "FileIo.h"
#include "PackedDib.h"
#include "Palette.h"
#include <cstdio>
#include <cstring>

DocumentState g_document{};

// ---- document state ----------------------------------------------------------------

int CurrentSequenceIndex()
{
    if (g_document.objectCount == 0 || g_document.currentObject < 0 ||
        g_document.currentObject >= g_document.objectCount)
        return -1;
    return g_document.objectTable[g_document.currentObject].sequenceIndex;
}

SequenceRecord* CurrentSequenceRecord()
{
    const int index = CurrentSequenceIndex();
    return index >= 0 && index < g_document.sequenceCount ? &g_document.sequenceTable[index] : nullptr;
}

const char* CurrentDocumentPath()
{
    return g_document.sequencePath[0] ? g_document.sequencePath : g_document.animationPath;
}

bool IsAnimationUnnamed()
{
    // A fresh document carries only a bare default name.
    return g_document.animationState == DOC_NEW || BareName(g_document.animationPath) == g_document.animationPath;
}

// ---- files the document refers to ----------------------------------------------

HFILE OpenReferencedFile(char* path)
{
    // A stored name the check refuses is a file that is not there; the
    // document keeps the name as it was stored.
    if (!IsSafeStoredName(path)) return HFILE_ERROR;
    const char* bare = BareName(path);
    if (IsSafeBareName(bare)) {
        HFILE file = OpenForReading(bare);
        if (file != HFILE_ERROR) {
            char found[MAX_PATH];
            if (PathInCurrentDirectory(bare, found)) lstrcpynA(path, found, MAX_PATH);
            return file;
        }
    }
    HFILE file = OpenForReading(path);
    // The stored path as it opened; a relative one is made full, so that the
    // name still holds when the document's folder changes.
    char full[MAX_PATH];
    const DWORD length = file != HFILE_ERROR ? GetFullPathNameA(path, MAX_PATH, full, nullptr) : 0;
    if (length > 0 && length < MAX_PATH) lstrcpynA(path, full, MAX_PATH);
    return file;
}

bool ShortenStoredPath(char out[STORED_NAME_CHARS], const char* path)
{
    const size_t limit = STORED_NAME_CHARS - 1;
    if (strlen(path) <= limit) {
        lstrcpynA(out, path, STORED_NAME_CHARS);
        return true;
    }
    // Inside the animation's folder: the part after it, when that fits.
    const char* animationBare = BareName(g_document.animationPath);
    const size_t folderLength = animationBare - g_document.animationPath;
    if (folderLength > 0 && strlen(path) > folderLength &&
        CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, path, static_cast<int>(folderLength),
                       g_document.animationPath, static_cast<int>(folderLength)) == CSTR_EQUAL &&
        strlen(path + folderLength) <= limit) {
        lstrcpynA(out, path + folderLength, STORED_NAME_CHARS);
        return true;
    }
    // Else the bare name, which the readers look for in the animation's folder
    // first. Only a bare name longer than the field cannot be kept whole.
    const char* bare = BareName(path);
    lstrcpynA(out, bare, STORED_NAME_CHARS);
    return strlen(bare) <= limit;
}

void SetDocumentFolder(const char* path)
{
    if (path != g_document.animationPath) lstrcpynA(g_document.animationPath, path, MAX_PATH);
    char folder[MAX_PATH];
    lstrcpynA(folder, path, MAX_PATH);
    char* bare = const_cast<char*>(BareName(folder));
    if (bare == folder) return;  // no folder: the current directory stays
    *bare = '\0';
    SetCurrentDirectoryA(folder);
}

namespace {

// Puts `number` in place of the one "%d" or "%D" of a text; the text is never
// used as a format of its own, so any other "%" in it stays as it is.
void SubstituteNumber(char* out, int room, const char* text, int number)
{
    if (room <= 0) return;
    const char* mark = strstr(text, "%d");
    const char* upper = strstr(text, "%D");
    if (!mark || (upper && upper < mark)) mark = upper;
    if (!mark) {
        lstrcpynA(out, text, room);
        return;
    }
    snprintf(out, room, "%.*s%d%s", static_cast<int>(mark - text), text, number, mark + 2);
}

}  // namespace

void FormatFrameFileName(char* out, int room, const char* pattern, int index)
{
    SubstituteNumber(out, room, pattern, index + 1);
}

void FormatNumberedString(UINT stringId, int number, char* out, int room)
{
    char text[RESOURCE_STRING_LENGTH];
    LoadResourceString(stringId, text);
    SubstituteNumber(out, room, text, number);
}

bool PathInCurrentDirectory(const char* name, char* out)
{
    char folder[MAX_PATH];
    const DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder) return false;
    AnxArchive::AppendSlash(folder);
    return JoinPath(out, folder, name);
}

// ---- frame records ---------------------------------------------------------------

void SetFrameFileName(int index, const char* name)
{
    if (index < 0 || index >= MAX_FRAMES) return;
    FrameRecord& record = g_document.frameRecords[index];
    if (record.name) LocalFree(record.name);
    record.name = nullptr;
    if (!name) return;
    const size_t length = strlen(name) + 1;
    record.name = static_cast<char*>(LocalAlloc(LMEM_FIXED, length));
    if (record.name) memcpy(record.name, name, length);
}

void ResetFrameRecord(int index)
{
    if (index < 0 || index >= MAX_FRAMES) return;
    SetFrameFileName(index, nullptr);
    g_document.frameRecords[index] = {FRAME_UNSET, 0, nullptr};
}

// ---- the current sequence ----------------------------------------------------------

void SetFrameCount(int count)
{
    g_appState.frameCount = count;
    if (SequenceRecord* record = CurrentSequenceRecord()) record->frameCount = static_cast<uint8_t>(count);
    if (g_appState.hooks.documentChanged) g_appState.hooks.documentChanged(DOC_FRAMES_CHANGED);
}

void ClampStepFrames(HGLOBAL steps, int frameCount, int stepCount)
{
    if (!steps || frameCount <= 0 || stepCount <= 0) return;
    const int held = static_cast<int>(GlobalSize(steps) / sizeof(ObjectStep));
    if (stepCount > held) stepCount = held;
    GlobalLockGuard<ObjectStep> locked(steps);
    if (!locked) return;
    const int last = frameCount - 1;
    for (int i = 0; i < stepCount; ++i)
        if (locked.get()[i].frameIndex > last) locked.get()[i].frameIndex = static_cast<uint8_t>(last);
}

bool SequenceHasTransparentColor() { return !(GetSequenceTransparentCode() & TRANSPARENT_NONE); }

uint8_t GetSequenceTransparentCode()
{
    const SequenceRecord* record = CurrentSequenceRecord();
    return record ? record->transparentColorCode : TRANSPARENT_NONE;
}

void SetSequenceTransparentCode(uint8_t code)
{
    if (SequenceRecord* record = CurrentSequenceRecord()) record->transparentColorCode = code;
}

void FillSequenceBackground(HDC dc, const RECT* area, int sequenceIndex)
{
    // The colours may be palette indexes: they mean the document palette's.
    HPALETTE previous = g_appState.documentPalette ? SelectDocumentPalette(dc) : nullptr;
    // An index that names no sequence (negative, or at or above the count)
    // takes the transparent tool colour.
    if (sequenceIndex < 0 || sequenceIndex >= g_document.sequenceCount) {
        FillRect(dc, area, GetToolBrush(ROLE_TRANSPARENT));
    } else {
        const uint8_t code = g_document.sequenceTable[sequenceIndex].transparentColorCode;
        HBRUSH brush = CreateSolidBrush(GetStaticColor(code, g_appState.colorCount));
        FillRect(dc, area, brush);
        DeleteObject(brush);
    }
    if (previous) SelectPalette(dc, previous, TRUE);
}

void FillCurrentSequenceBackground(HDC dc, const RECT* area)
{
    FillSequenceBackground(dc, area, CurrentSequenceIndex());
}

void FillPolygonInColor(HDC dc, const POINT* points, int count)
{
    HPALETTE previous = g_appState.documentPalette ? SelectDocumentPalette(dc) : nullptr;
    HGDIOBJ oldBrush = SelectObject(dc, GetToolBrush(ROLE_TRANSPARENT));
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    Polygon(dc, points, count);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    if (previous) SelectPalette(dc, previous, TRUE);
}

// ---- freeing -------------------------------------------------------------------------

void FreeSequenceBitmaps(int sequenceIndex)
{
    if (sequenceIndex < 0 || sequenceIndex >= MAX_SEQUENCES) return;
    SequenceImages& images = g_document.sequenceImages[sequenceIndex];
    for (int i = 0; i < MAX_FRAMES; ++i) {
        // The current sequence's frames are the editor's own: only forgotten.
        if (images.frames[i] && images.frames[i] != g_appState.frameBitmaps[i]) DeleteObject(images.frames[i]);
        if (images.masks[i]) DeleteObject(images.masks[i]);
        images.frames[i] = images.masks[i] = nullptr;
    }
    images.frameCount = 0;
}

void FreeAllSequenceBitmaps()
{
    for (int i = 0; i < MAX_SEQUENCES; ++i) FreeSequenceBitmaps(i);
}

void FreeCurrentFrames()
{
    if (g_appState.hooks.documentChanged) g_appState.hooks.documentChanged(DOC_UNDO_CLEARED);
    const int current = CurrentSequenceIndex();
    SequenceImages* images = current >= 0 ? &g_document.sequenceImages[current] : nullptr;
    for (int i = MAX_FRAMES - 1; i >= 0; --i) {
        if (g_appState.frameBitmaps[i]) DeleteObject(g_appState.frameBitmaps[i]);
        g_appState.frameBitmaps[i] = nullptr;
        if (images && images->masks[i]) DeleteObject(images->masks[i]);
        ResetFrameRecord(i);
    }
    if (images) *images = SequenceImages{};
    g_appState.frameCount = 0;
    g_appState.currentFrame = 0;
    g_document.sequenceState = DOC_NEW;
}

void FreeDocumentTables()
{
    FreeAllSequenceBitmaps();
    for (SequenceImages& images : g_document.sequenceImages) images = SequenceImages{};
    for (auto& handles : g_document.objectMemoryHandles)
        for (HGLOBAL& h : handles)
            if (h) h = GlobalFree(h);
}
