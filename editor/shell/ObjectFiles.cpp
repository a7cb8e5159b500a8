#include "ObjectFiles.h"
#include "AnoFile.h"
#include "DocumentCommon.h"
#include "DocumentModel.h"
#include "PackedDib.h"
#include "ResultCodes.h"
#include <cstring>

int WriteObjectFile(const char* path, int objectIndex)
{
    if (objectIndex < 0 || objectIndex >= MAX_EDITOR_OBJECTS) return RESULT_WRITE_ERROR;
    BusyCursor busy;
    ObjectRecord object = g_document.objectTable[objectIndex];
    SequenceRecord sequence{};
    if (object.sequenceIndex < MAX_SEQUENCES) sequence = g_document.sequenceTable[object.sequenceIndex];
    if (object.sequenceIndex == CurrentSequenceIndex())
        sequence.frameCount = static_cast<uint8_t>(g_appState.frameCount);
    // The steps are counted by the low 16 bits; a block shorter than the count
    // writes the steps it holds, and the record says so.
    HGLOBAL block = g_document.objectMemoryHandles[objectIndex][0];
    int count = static_cast<uint16_t>(object.stepCount);
    if (!block) count = 0;
    const int held = block ? static_cast<int>(GlobalSize(block) / sizeof(ObjectStep)) : 0;
    if (count > held) count = held;
    if (count > MAX_STEPS) count = MAX_STEPS;
    object.stepCount = count;
    GlobalLockGuard<ObjectStep> steps(count ? block : nullptr);
    if (count && !steps) return RESULT_OUT_OF_MEMORY;
    return WriteAnoFile(path, sequence, object, steps.get(), count);
}

int ReadObjectFile(const char* path, int objectIndex, char* sequenceName)
{
    if (objectIndex < 0 || objectIndex >= MAX_EDITOR_OBJECTS) return RESULT_READ_ERROR;
    SequenceRecord sequence{};
    ObjectRecord object{};
    HGLOBAL steps = nullptr;
    const int result = ReadAnoFile(path, &sequence, &object, &steps);
    if (result != RESULT_OK) return result;
    HGLOBAL& slot = g_document.objectMemoryHandles[objectIndex][0];
    if (slot) GlobalFree(slot);
    slot = steps;
    g_document.objectTable[objectIndex] = object;
    memcpy(sequenceName, sequence.fileName, sizeof sequence.fileName);
    return RESULT_OK;
}
