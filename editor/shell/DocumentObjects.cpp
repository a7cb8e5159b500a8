// Objects and the sequences they use: adding, choosing, moving and removing
// objects, and a fresh document.
#include "DialogUtilities.h"
#include "DocumentCommon.h"
#include "DocumentModel.h"
#include "PackedDib.h"
#include "Palette.h"
#include "ResultCodes.h"
#include "resource.h"
#include <cstring>

namespace {

// A sequence record for a file that is about to be loaded or created.
void StartSequenceRecord(int index, const char* path)
{
    g_document.sequenceTable[index] = SequenceRecord{};
    g_document.sequenceTable[index].transparentColorCode = TRANSPARENT_NONE;
    ShortenStoredPath(g_document.sequenceTable[index].fileName, path);
    g_document.sequenceImages[index] = SequenceImages{};
}

void DropLastSequence()
{
    const int last = --g_document.sequenceCount;
    g_document.sequenceTable[last] = SequenceRecord{};
    g_document.sequenceImages[last] = SequenceImages{};
}

// The proposal of the "New Frame Sequence" dialog before it opens.
NewSequenceParams DefaultNewSequenceParams()
{
    NewSequenceParams params{};
    params.colourFormat = 256;
    params.width = g_appState.frameWidth > 7 ? g_appState.frameWidth : 128;
    params.height = g_appState.frameHeight > 7 ? g_appState.frameHeight : 128;
    params.typeId = -1;
    params.transparentCode = TRANSPARENT_NONE;
    params.tolerance = 10;
    return params;
}

// A new object in the next slot, current, showing sequence `sequenceIndex`.
void AddObjectSlot(int sequenceIndex)
{
    const int slot = g_document.objectCount++;
    ObjectRecord& object = g_document.objectTable[slot];
    object = ObjectRecord{};
    for (HGLOBAL& h : g_document.objectMemoryHandles[slot]) h = nullptr;
    FormatNumberedString(IDS_DEFAULT_OBJECT_NAME, slot + 1, object.name, sizeof object.name);
    object.sequenceIndex = static_cast<uint8_t>(sequenceIndex);
    g_document.currentObject = slot;
}

// Takes back the object AddObjectSlot made (its sequence could not be loaded).
void DropLastObject(int previousCurrent)
{
    const int last = --g_document.objectCount;
    g_document.objectTable[last] = ObjectRecord{};
    g_document.currentObject = previousCurrent;
}

// The sequence file of an object to be added: chosen in the file chooser or
// left in the shared path buffer.
bool SequenceFileOfSource(HWND owner, int source, char* path)
{
    if (source == ADD_PATH_BUFFER) {
        lstrcpynA(path, g_appState.pathBuffer, MAX_PATH);
        return path[0] != '\0';
    }
    int type = 0;
    path[0] = '\0';
    return g_appState.hooks.chooseFile &&
           g_appState.hooks.chooseFile(owner, 0, IDS_TITLE_OPEN, IDS_TYPE_SEQUENCE_FILE, path, &type);
}

// A new object with a new sequence made from the "New Frame Sequence" dialog.
bool AddObjectWithNewSequence(HWND owner)
{
    NewSequenceParams params = DefaultNewSequenceParams();
    if (RunDialog(IDD_NEW_SEQUENCE, owner, reinterpret_cast<LPARAM>(&params)) != 1) return false;
    if (!QuerySaveChanges(owner, 0)) return false;
    const int index = g_document.sequenceCount;
    char name[STORED_NAME_CHARS], path[MAX_PATH];
    FormatNumberedString(IDS_DEFAULT_SEQUENCE_NAME, index + 1, name, sizeof name);
    if (!PathInCurrentDirectory(name, path)) return false;
    FreeCurrentFrames();
    StartSequenceRecord(index, path);
    ++g_document.sequenceCount;
    const int previous = g_document.currentObject;
    AddObjectSlot(index);
    if (!CreateSequence(params, index)) {
        DropLastObject(previous);
        DropLastSequence();
        return false;
    }
    lstrcpynA(g_document.sequencePath, path, MAX_PATH);
    g_document.sequenceSaveFormat = SAVE_AS_SEQUENCE_FILE;
    return true;
}

// A new object with sequence `sequenceIndex`, which is loaded from `path`
// unless it is in the frame editor already. A sequence index at the end of
// the table is a new sequence.
bool AddObjectWithSequenceFile(HWND owner, int sequenceIndex, char* path)
{
    const bool loaded = sequenceIndex == CurrentSequenceIndex() && g_appState.frameCount > 0;
    if (!loaded && !PrepareSequenceSwitch(owner, path)) return false;
    if (!loaded) FreeCurrentFrames();
    const bool newSequence = sequenceIndex == g_document.sequenceCount;
    if (newSequence) {
        StartSequenceRecord(sequenceIndex, path);
        ++g_document.sequenceCount;
    }
    const int previous = g_document.currentObject;
    AddObjectSlot(sequenceIndex);
    if (!loaded && !LoadSwitchedSequence(path, sequenceIndex)) {
        DropLastObject(previous);
        if (newSequence) DropLastSequence();
        return false;
    }
    if (newSequence) g_document.sequenceSaveFormat = SAVE_AS_SEQUENCE_FILE;
    return true;
}

// The frames in the editor go into their sequence's image set, where the test
// run and the object dialogs find them; the editor forgets them without
// deleting them, so that frames nobody saved are not thrown away.
void KeepCurrentFramesInImageSet()
{
    const int current = CurrentSequenceIndex();
    if (current < 0) {
        FreeCurrentFrames();
        return;
    }
    NotifyDocument(DOC_UNDO_CLEARED);
    SequenceImages& images = g_document.sequenceImages[current];
    for (int i = 0; i < MAX_FRAMES; ++i) {
        images.frames[i] = i < g_appState.frameCount ? g_appState.frameBitmaps[i] : nullptr;
        g_appState.frameBitmaps[i] = nullptr;
        ResetFrameRecord(i);
    }
    images.frameCount = static_cast<uint16_t>(g_appState.frameCount);
    images.width = static_cast<int16_t>(g_appState.frameWidth);
    images.height = static_cast<int16_t>(g_appState.frameHeight);
    g_appState.frameCount = 0;
    g_appState.currentFrame = 0;
    g_document.sequenceState = DOC_NEW;
}

void ClampCurrentObjectSteps()
{
    const ObjectRecord& object = g_document.objectTable[g_document.currentObject];
    ClampStepFrames(g_document.objectMemoryHandles[g_document.currentObject][0], g_appState.frameCount,
                    object.stepCount);
    NotifyDocument(DOC_STEPS_CHANGED);
}

// Takes a sequence out of the tables; later sequences move down one place
// and every object that used one of them follows.
void RemoveSequence(int sequenceIndex)
{
    FreeSequenceBitmaps(sequenceIndex);
    for (int i = sequenceIndex; i + 1 < g_document.sequenceCount; ++i) {
        g_document.sequenceTable[i] = g_document.sequenceTable[i + 1];
        g_document.sequenceImages[i] = g_document.sequenceImages[i + 1];
    }
    DropLastSequence();
    for (int i = 0; i < g_document.objectCount; ++i)
        if (g_document.objectTable[i].sequenceIndex > sequenceIndex) --g_document.objectTable[i].sequenceIndex;
}

}  // namespace

int AddObject(HWND owner, int source)
{
    // The tables hold 30 objects and 12 sequences: more are refused.
    if (g_document.objectCount >= MAX_EDITOR_OBJECTS) return 0;
    bool added;
    if (source == ADD_NEW_SEQUENCE || source == ADD_CHOSEN_FILE || source == ADD_PATH_BUFFER) {
        if (g_document.sequenceCount >= MAX_SEQUENCES) return 0;
        char path[MAX_PATH];
        if (source == ADD_NEW_SEQUENCE) added = AddObjectWithNewSequence(owner);
        else added = SequenceFileOfSource(owner, source, path) &&
                     AddObjectWithSequenceFile(owner, g_document.sequenceCount, path);
    } else if ((source & ~0x0F) == ADD_EXISTING_SEQUENCE) {
        const int sequenceIndex = source & 0x0F;
        if (sequenceIndex >= g_document.sequenceCount) return 0;
        char path[MAX_PATH];
        lstrcpynA(path, g_document.sequenceTable[sequenceIndex].fileName, MAX_PATH);
        added = AddObjectWithSequenceFile(owner, sequenceIndex, path);
    } else {
        return 0;
    }
    if (!added) return 0;
    g_document.animationState |= DOC_MODIFIED;
    NotifyDocument(DOC_STEPS_CHANGED);
    return 1;
}

int SetCurrentObject(HWND owner, int code)
{
    if ((code & ~0xFF) != SELECT_OBJECT) return 0;
    const int index = code & 0xFF;
    if (index >= g_document.objectCount) return 0;
    const int sequenceIndex = g_document.objectTable[index].sequenceIndex;
    if (sequenceIndex != CurrentSequenceIndex() || g_appState.frameCount == 0) {
        char path[MAX_PATH];
        lstrcpynA(path, g_document.sequenceTable[sequenceIndex].fileName, MAX_PATH);
        if (!PrepareSequenceSwitch(owner, path)) return 0;
        KeepCurrentFramesInImageSet();
        // The other sequence comes from its file: frames kept from an earlier
        // switch give way to it.
        FreeSequenceBitmaps(sequenceIndex);
        // The object is current while its sequence loads; when that fails it
        // stays current with no frames, and choosing it again retries.
        g_document.currentObject = index;
        if (!LoadSwitchedSequence(path, sequenceIndex)) return 0;
    }
    g_document.currentObject = index;
    ClampCurrentObjectSteps();
    return 1;
}

void CopyObjectSlot(int destination, int source)
{
    g_document.objectTable[destination] = g_document.objectTable[source];
    for (int i = 0; i < 3; ++i)
        g_document.objectMemoryHandles[destination][i] = g_document.objectMemoryHandles[source][i];
}

int RemoveObject(HWND owner, int index)
{
    // The only object stays: the document always shows one.
    if (index < 0 || index >= g_document.objectCount || g_document.objectCount <= 1) return 0;
    const int sequenceIndex = g_document.objectTable[index].sequenceIndex;
    const bool wasCurrent = index == g_document.currentObject;
    bool sequenceGoes = true;
    for (int i = 0; i < g_document.objectCount; ++i)
        if (i != index && g_document.objectTable[i].sequenceIndex == sequenceIndex) sequenceGoes = false;
    // A sequence that goes with its only object may be the one in the editor.
    if (sequenceGoes && wasCurrent) FreeCurrentFrames();

    for (HGLOBAL& h : g_document.objectMemoryHandles[index])
        if (h) h = GlobalFree(h);
    for (int i = index; i + 1 < g_document.objectCount; ++i) CopyObjectSlot(i, i + 1);
    const int last = --g_document.objectCount;
    g_document.objectTable[last] = ObjectRecord{};
    for (HGLOBAL& h : g_document.objectMemoryHandles[last]) h = nullptr;
    if (!wasCurrent && index < g_document.currentObject) --g_document.currentObject;
    if (sequenceGoes) RemoveSequence(sequenceIndex);
    if (!wasCurrent) return 1;

    // A new current object: one that shows the frames in the editor when
    // there is one, else the one now at the removed place.
    int next = index < g_document.objectCount ? index : g_document.objectCount - 1;
    if (!sequenceGoes) {
        for (int i = 0; i < g_document.objectCount; ++i)
            if (g_document.objectTable[i].sequenceIndex == sequenceIndex) {
                next = i;
                break;
            }
        g_document.currentObject = next;
        ClampCurrentObjectSteps();
        return 1;
    }
    g_document.currentObject = next;
    SetCurrentObject(owner, SELECT_OBJECT | next);
    return 1;
}

HGLOBAL DuplicatePathPoints(HGLOBAL block, int count)
{
    if (!block || count <= 0 || count > MAX_STEPS) return nullptr;
    GlobalBlock copy(AllocateStepBlock(count));
    if (!copy) return nullptr;
    const size_t held = GlobalSize(block) / sizeof(ObjectStep);
    GlobalLockGuard<ObjectStep> from(block);
    GlobalLockGuard<ObjectStep> to(copy.Get());
    if (!from || !to) return nullptr;
    memcpy(to.get(), from.get(), (held < size_t(count) ? held : size_t(count)) * sizeof(ObjectStep));
    return copy.Release();
}

void ResetDocument()
{
    FreeCurrentFrames();
    FreeDocumentTables();
    FreeAnimationTables(&g_document);
    if (g_document.convSettings) g_document.convSettings = GlobalFree(g_document.convSettings);
    SetDefaultAnimationSettings(&g_document.animationSettings);

    g_document.sequenceCount = 1;
    SequenceRecord& sequence = g_document.sequenceTable[0];
    sequence.transparentColorCode = TRANSPARENT_NONE;
    FormatNumberedString(IDS_DEFAULT_SEQUENCE_NAME, 1, sequence.fileName, sizeof sequence.fileName);
    if (!PathInCurrentDirectory(sequence.fileName, g_document.sequencePath))
        lstrcpynA(g_document.sequencePath, sequence.fileName, MAX_PATH);

    g_document.objectCount = 1;
    FormatNumberedString(IDS_DEFAULT_OBJECT_NAME, 1, g_document.objectTable[0].name,
                         sizeof g_document.objectTable[0].name);
    g_document.currentObject = 0;

    LoadResourceString(IDS_DEFAULT_ANIMATION_NAME, g_document.animationPath, MAX_PATH);
    g_document.animationState = DOC_NEW;
    g_document.sequenceState = DOC_NEW;
    g_document.conversionFormat = 0;
    g_document.sequenceSaveFormat = SAVE_AS_SEQUENCE_FILE;
    NotifyDocument(DOC_RESET);
}
