// The animation's tables as the editor holds them between file operations, and
// the whole-file write and read of an animation built on the record codecs.
#pragma once
#include "AnsFile.h"

struct AnimationTables {
    uint8_t sequenceCount;
    uint8_t objectCount;
    uint8_t regionCount;
    uint8_t soundCount;
    uint8_t headerCurrentObject;  // the header's currentObject
    uint16_t headerReserved;      // kept, never interpreted
    AnimationSettings animationSettings;
    SequenceRecord sequenceTable[MAX_SEQUENCES];
    ForegroundRegion regionTable[MAX_REGIONS];
    SoundRecord soundTable[MAX_SOUNDS];
    ObjectRecord objectTable[MAX_PLAYER_OBJECTS];
    // Per object: [0] the step block (stepCount ObjectSteps in a movable global
    // block), [1] and [2] belong to the object dialogs.
    HGLOBAL objectMemoryHandles[MAX_PLAYER_OBJECTS][3];
};

// Frees every step block and zeroes the tables.
void FreeAnimationTables(AnimationTables* tables);

// Allocates a movable step block of `count` memory-form steps, zeroed.
HGLOBAL AllocateStepBlock(int count);

// Writes the whole animation file: header, settings, sequence, region and sound
// tables, then every object followed by its steps. Sets playFlags 0x80. The
// file is written beside the target and replaces it only when complete.
// Result: 1, 0x8005 (cannot create) or 0x8002 (write failed).
int WriteAnimationFile(const char* path, AnimationTables* tables);

// Reads everything after the 11-byte header into the tables, allowing at most
// `maxObjects` objects (30 in the editor, 32 in the players). Validates every
// count, field and string before use. Result: 1, 0x7004 (newer version,
// nothing changed), 0x8001 (short read or damaged contents).
int ReadAnimationTables(HFILE file, const AnsFileHeader& header, AnimationTables* tables,
                        int maxObjects);

// Opens an animation file and reads its header and tables. Result as above,
// plus 0x8003 when the file cannot be opened and 0x8004 without "AN".
int ReadAnimationFile(const char* path, AnimationTables* tables, int maxObjects,
                      AnsFileHeader* headerOut = nullptr);
