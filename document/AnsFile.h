// The animation file (.ANS): disk records, their widened memory forms and the
// record codecs shared by the editor and every player.
#pragma once
#include <windows.h>
#include <cstdint>

constexpr uint16_t ANS_MAGIC = 0x4E41;           // "AN"
constexpr uint16_t ANS_FORMAT_VERSION = 0x251;   // written by every save
constexpr uint16_t ANS_MAX_EDITOR_VERSION = 0x299;
constexpr uint16_t ANS_MIN_PLAYER_VERSION = 0x200;
constexpr uint16_t ANS_MIN_PREVIEW_VERSION = 0x200;
constexpr uint16_t ANS_MAX_PREVIEW_VERSION = 0x2FE;
constexpr uint16_t ANS_FIRST_HIGH_MASK_VERSION = 0x250;  // older files carry no startMaskHigh

constexpr int MAX_SEQUENCES = 12;
constexpr int MAX_EDITOR_OBJECTS = 30;
constexpr int MAX_PLAYER_OBJECTS = 32;
constexpr int MAX_REGIONS = 64;
constexpr int MAX_SOUNDS = 32;
constexpr int MAX_FRAMES = 255;
constexpr int MAX_STEPS = 2048;
constexpr int STORED_NAME_CHARS = 64;   // fixed name fields: 63 characters and a NUL

// playFlags bits of AnimationSettings
enum PlayFlags : uint8_t {
    PLAY_IN_DESKTOP = 0x01,
    PLAY_DESKTOP_BACKGROUND = 0x04,
    PLAY_END_ACTION_MASK = 0x18,
    PLAY_TIMER_MODE = 0x20,
    PLAY_CENTER_IMAGE = 0x40,
    PLAY_SAVED = 0x80,
};
constexpr int PLAY_END_ACTION_SHIFT = 3;
enum EndAction { END_CLOSE = 0, END_LOAD_NEXT = 1, END_LOAD_NEXT_NEW_WINDOW = 2, END_SHELL_OPEN = 3 };

constexpr uint32_t BACKGROUND_USE_IMAGE = 0x80000000u;
constexpr uint8_t PALETTE_PART_ONLY = 0x01;

// objectFlags
enum ObjectFlags : uint8_t {
    OBJ_STEP_LIST = 0x01, OBJ_DISABLED = 0x02, OBJ_FINITE = 0x04, OBJ_PATH = 0x08,
};
// motionFlags
enum MotionFlags : uint8_t {
    MOTION_REVERSE_WITH_FRAMES = 0x10, MOTION_BOUNCE_REVERSES_FRAMES = 0x20,
    MOTION_BOUNCE = 0x40, MOTION_PING_PONG = 0x80,
};
// stepFlags
enum StepFlags : uint8_t {
    STEP_NEGATE_KEY = 0x01, STEP_WAIT = 0x08, STEP_END = 0x10, STEP_FIX_FRAME = 0x20,
    STEP_Y_ABSOLUTE = 0x40, STEP_X_ABSOLUTE = 0x80, STEP_CLEAR_END_ACTION = 0x04,
};

#pragma pack(push, 1)

struct AnsFileHeader {
    uint16_t magic;
    uint16_t formatVersion;
    uint8_t sequenceCount;
    uint8_t objectCount;
    uint8_t regionCount;
    uint8_t soundCount;
    uint8_t currentObject;
    uint16_t reserved;
};
static_assert(sizeof(AnsFileHeader) == 11);

struct AnimationSettingsDisk {
    uint32_t windowStyle;
    uint32_t windowExStyle;
    char title[64];
    uint8_t positionFlags;
    int16_t x;
    int16_t y;
    uint8_t sizeMode;
    int16_t width;
    int16_t height;
    uint8_t playFlags;
    int16_t reserved1;
    uint32_t backgroundColor;
    char backgroundImage[64];
    int16_t imageX;
    int16_t imageY;
    char nextAnimation[64];
    uint8_t paletteSource;
    uint8_t editorByte;
    int16_t reserved2;
    int16_t reserved3;
};
static_assert(sizeof(AnimationSettingsDisk) == 227);

struct SequenceRecord {
    uint8_t frameCount;
    uint8_t transparentColorCode;
    int16_t colorCount;
    char fileName[64];
};
static_assert(sizeof(SequenceRecord) == 68);

struct ForegroundRegionDisk {
    uint16_t regionFlags;
    int16_t x1, y1, x2, y2;
};
static_assert(sizeof(ForegroundRegionDisk) == 10);

struct SoundRecord {
    uint16_t soundFlags;
    uint16_t repeatCount;
    char name[64];
};
static_assert(sizeof(SoundRecord) == 68);

struct ObjectRecordDisk {
    uint8_t sequenceIndex;
    char name[32];
    uint8_t objectFlags;
    int16_t stepCount;
    int16_t startX;
    int16_t startY;
    int16_t dx;
    int16_t dy;
    uint8_t frameDelay;
    uint8_t moveDelay;
    uint8_t motionFlags;
    int16_t repeatCount;
    uint8_t editorField1;
    int16_t editorField2;
    int16_t editorField3;
};
static_assert(sizeof(ObjectRecordDisk) == 54);

struct ObjectStepDisk {
    uint8_t frameIndex;
    uint8_t waitCount;
    uint8_t stepFlags;
    int16_t x;
    int16_t y;
    uint16_t startMaskHigh;
    uint8_t soundIndex;
    uint8_t condition;
    uint8_t conditionParam;
    int16_t jumpTarget;
    uint16_t startMaskLow;
};
static_assert(sizeof(ObjectStepDisk) == 16);

#pragma pack(pop)

// Widened memory forms: the same fields in the same order, 16-bit numbers held
// as 32-bit signed integers. All code outside the codecs works with these.
struct AnimationSettings {
    uint32_t windowStyle;
    uint32_t windowExStyle;
    char title[64];
    uint8_t positionFlags;
    int32_t x;
    int32_t y;
    uint8_t sizeMode;
    int32_t width;
    int32_t height;
    uint8_t playFlags;
    int32_t reserved1;
    uint32_t backgroundColor;
    char backgroundImage[64];
    int32_t imageX;
    int32_t imageY;
    char nextAnimation[64];
    uint8_t paletteSource;
    uint8_t editorByte;
    int32_t reserved2;
    int32_t reserved3;
    uint16_t memoryOnly;  // zero, never written
};

struct ForegroundRegion {
    int32_t regionFlags;  // bit 15: region disabled
    int32_t x1, y1, x2, y2;
};

struct ObjectRecord {
    uint8_t sequenceIndex;
    char name[32];
    uint8_t objectFlags;
    uint8_t editorBytes[3];  // not on disk; left unchanged by reading
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

struct ObjectStep {
    uint8_t frameIndex;
    uint8_t waitCount;
    uint8_t stepFlags;
    int32_t x;
    int32_t y;
    uint16_t startMaskHigh;
    uint8_t soundIndex;
    uint8_t condition;
    uint8_t editorBytes[3];  // not on disk; left unchanged by reading
    uint8_t conditionParam;
    int32_t jumpTarget;
    uint16_t startMaskLow;
};
static_assert(sizeof(ObjectStep) == 28, "the memory step size is part of the step blocks");

// Conversions between the disk and memory forms (the low 16 bits are kept).
void PackAnimationSettings(const AnimationSettings& in, AnimationSettingsDisk* out);
void UnpackAnimationSettings(const AnimationSettingsDisk& in, AnimationSettings* out);
void PackObjectRecord(const ObjectRecord& in, ObjectRecordDisk* out);
void UnpackObjectRecord(const ObjectRecordDisk& in, ObjectRecord* out);
void PackObjectStep(const ObjectStep& in, ObjectStepDisk* out);
void UnpackObjectStep(const ObjectStepDisk& in, ObjectStep* out);

// The record codecs: 1 on success, 0 on a read or write error. A count of 0
// reads or writes nothing and succeeds.
int ReadAnimationSettings(HFILE file, AnimationSettings* settings);
int WriteAnimationSettings(HFILE file, const AnimationSettings* settings);
int ReadForegroundRegions(HFILE file, ForegroundRegion* regions, int count);
int WriteForegroundRegions(HFILE file, const ForegroundRegion* regions, int count);
int ReadObjectRecord(HFILE file, ObjectRecord* object);
int WriteObjectRecord(HFILE file, const ObjectRecord* object);
int ReadObjectSteps(HFILE file, ObjectStep* steps, int count);
int WriteObjectSteps(HFILE file, const ObjectStep* steps, int count);

// Reads the 11-byte header; 0 on a short read.
int ReadAnsHeader(HFILE file, AnsFileHeader* header);

// The default settings of a new animation.
void SetDefaultAnimationSettings(AnimationSettings* settings);

// True when a fixed-size string field holds a NUL.
bool HasTerminator(const char* field, int size);

// Reads only the settings of an animation file for a preview: 1 when the file
// starts with "AN" and its version lies in 0x200..0x2FE, else 0.
int ReadAnimationPreview(const char* path, AnimationSettings* settings);
