#include "AnoFile.h"
#include "AnimationTables.h"
#include "FileIo.h"
#include "ObjectFields.h"
#include "PackedDib.h"
#include "ResultCodes.h"
#include <cstring>
#include <vector>

void PackAnoObject(const ObjectRecord& in, AnoObjectRecord* out)
{
    CopyObjectFields(in, out);
    memcpy(out->editorBytes, in.editorBytes, sizeof out->editorBytes);
}

void UnpackAnoObject(const AnoObjectRecord& in, ObjectRecord* out)
{
    *out = ObjectRecord{};
    CopyObjectFields(in, out);
    memcpy(out->editorBytes, in.editorBytes, sizeof out->editorBytes);
}

void PackAnoStep(const ObjectStep& in, AnoObjectStep* out)
{
    CopyStepFields(in, out);
    memcpy(out->editorBytes, in.editorBytes, sizeof out->editorBytes);
}

void UnpackAnoStep(const AnoObjectStep& in, ObjectStep* out)
{
    *out = ObjectStep{};
    CopyStepFields(in, out);
    memcpy(out->editorBytes, in.editorBytes, sizeof out->editorBytes);
}

int WriteAnoFile(const char* path, const SequenceRecord& sequence, const ObjectRecord& object,
                 const ObjectStep* steps, int stepCount)
{
    if (!steps || stepCount < 0) stepCount = 0;
    AnoFileHeader header{};
    header.magic = ANO_MAGIC;
    header.sequence = sequence;
    PackAnoObject(object, &header.object);
    std::vector<AnoObjectStep> stored;
    try {
        stored.resize(stepCount);
    } catch (const std::bad_alloc&) {
        return RESULT_OUT_OF_MEMORY;
    }
    for (int i = 0; i < stepCount; ++i) PackAnoStep(steps[i], &stored[i]);
    SafeFileWriter writer(path);
    HFILE file = writer.Create();
    if (file == HFILE_ERROR) return RESULT_CREATE_ERROR;
    if (!WriteExact(file, &header, sizeof header) ||
        (stepCount && !WriteExact(file, stored.data(), static_cast<uint32_t>(stepCount * sizeof(AnoObjectStep)))) ||
        !writer.Commit())
        return RESULT_WRITE_ERROR;
    return RESULT_OK;
}

int ReadAnoFile(const char* path, SequenceRecord* sequence, ObjectRecord* object, HGLOBAL* steps)
{
    FileHandle file(OpenForReading(path));
    if (!file.IsOpen()) return RESULT_NOT_FOUND;
    AnoFileHeader header{};
    if (!ReadExact(file.Get(), &header.magic, sizeof header.magic)) return RESULT_READ_ERROR;
    if (header.magic != ANO_MAGIC) return RESULT_UNKNOWN_FORMAT;
    if (!ReadExact(file.Get(), &header.sequence, sizeof header - sizeof header.magic)) return RESULT_READ_ERROR;
    const int count = header.object.stepCount;
    if (count < 0 || count > MAX_STEPS || !HasTerminator(header.sequence.fileName, sizeof header.sequence.fileName) ||
        !HasTerminator(header.object.name, sizeof header.object.name))
        return RESULT_READ_ERROR;
    GlobalBlock block;
    if (count > 0) {
        std::vector<AnoObjectStep> stored;
        try {
            stored.resize(count);
        } catch (const std::bad_alloc&) {
            return RESULT_OUT_OF_MEMORY;
        }
        if (!ReadExact(file.Get(), stored.data(), static_cast<uint32_t>(count * sizeof(AnoObjectStep))))
            return RESULT_READ_ERROR;
        block.Reset(AllocateStepBlock(count));
        if (!block) return RESULT_OUT_OF_MEMORY;
        GlobalLockGuard<ObjectStep> locked(block.Get());
        if (!locked.get()) return RESULT_OUT_OF_MEMORY;
        for (int i = 0; i < count; ++i) UnpackAnoStep(stored[i], &locked.get()[i]);
    }
    *sequence = header.sequence;
    UnpackAnoObject(header.object, object);
    // The stored index belongs to the animation the object came from.
    object->sequenceIndex = 0;
    *steps = block.Release();
    return RESULT_OK;
}
