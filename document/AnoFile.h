// The object file (.ANO): one object with its sequence record and steps,
// carried from one animation to another. The record and the steps are stored
// in the editor's own packed forms, which keep the editor bytes the animation
// file leaves out.
#pragma once
#include "AnsFile.h"

constexpr uint16_t ANO_MAGIC = 0x4F41;  // "AO"

#pragma pack(push, 1)
struct AnoObjectRecord {
    uint8_t sequenceIndex;
    char name[32];
    uint8_t objectFlags;
    uint8_t editorBytes[3];
    int32_t stepCount;
    int32_t startX;
    int32_t startY;
    int32_t dx;
    int32_t dy;
    uint8_t frameDelay;
    uint8_t moveDelay;
    uint8_t motionFlags;
    int32_t repeatCount;
    uint8_t editorField1;
    int32_t editorField2;
    int32_t editorField3;
};
static_assert(sizeof(AnoObjectRecord) == 73);

struct AnoObjectStep {
    uint8_t frameIndex;
    uint8_t waitCount;
    uint8_t stepFlags;
    int32_t x;
    int32_t y;
    uint16_t startMaskHigh;
    uint8_t soundIndex;
    uint8_t condition;
    uint8_t editorBytes[3];
    uint8_t conditionParam;
    int32_t jumpTarget;
    uint16_t startMaskLow;
};
static_assert(sizeof(AnoObjectStep) == 25);

struct AnoFileHeader {
    uint16_t magic;
    SequenceRecord sequence;
    AnoObjectRecord object;
};
static_assert(sizeof(AnoFileHeader) == 143);
#pragma pack(pop)

void PackAnoObject(const ObjectRecord& in, AnoObjectRecord* out);
void UnpackAnoObject(const AnoObjectRecord& in, ObjectRecord* out);
void PackAnoStep(const ObjectStep& in, AnoObjectStep* out);
void UnpackAnoStep(const AnoObjectStep& in, ObjectStep* out);

// Writes the header and `stepCount` steps (none when `steps` is null) through
// a temporary file. 1, 0x7001, 0x8005 (create) or 0x8002 (write).
int WriteAnoFile(const char* path, const SequenceRecord& sequence, const ObjectRecord& object,
                 const ObjectStep* steps, int stepCount);

// Reads an object file whole before handing anything over: the sequence
// record, the object record (its stepCount 0..MAX_STEPS, its sequenceIndex
// 0 for the caller to set) and, with steps, a new movable block of stepCount
// memory-form steps. Both names must be NUL-terminated and every read
// complete. 1, 0x8003, 0x8004 (not "AO"), 0x8001 or 0x7001; on failure
// nothing is changed.
int ReadAnoFile(const char* path, SequenceRecord* sequence, ObjectRecord* object, HGLOBAL* steps);
