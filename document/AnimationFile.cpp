// The animation file: record codecs and the whole-file write and read.
#include "AnimationTables.h"
#include "DocumentStrings.h"
#include "FileIo.h"
#include "ObjectFields.h"
#include "ResultCodes.h"
#include <cstring>
#include <memory>

// ---- conversions between disk and memory forms ----

void PackAnimationSettings(const AnimationSettings& in, AnimationSettingsDisk* out)
{
    out->windowStyle = in.windowStyle;
    out->windowExStyle = in.windowExStyle;
    memcpy(out->title, in.title, sizeof out->title);
    out->positionFlags = in.positionFlags;
    out->x = static_cast<int16_t>(in.x);
    out->y = static_cast<int16_t>(in.y);
    out->sizeMode = in.sizeMode;
    out->width = static_cast<int16_t>(in.width);
    out->height = static_cast<int16_t>(in.height);
    out->playFlags = in.playFlags;
    out->reserved1 = static_cast<int16_t>(in.reserved1);
    out->backgroundColor = in.backgroundColor;
    memcpy(out->backgroundImage, in.backgroundImage, sizeof out->backgroundImage);
    out->imageX = static_cast<int16_t>(in.imageX);
    out->imageY = static_cast<int16_t>(in.imageY);
    memcpy(out->nextAnimation, in.nextAnimation, sizeof out->nextAnimation);
    out->paletteSource = in.paletteSource;
    out->editorByte = in.editorByte;
    out->reserved2 = static_cast<int16_t>(in.reserved2);
    out->reserved3 = static_cast<int16_t>(in.reserved3);
}

void UnpackAnimationSettings(const AnimationSettingsDisk& in, AnimationSettings* out)
{
    memset(out, 0, sizeof *out);
    out->windowStyle = in.windowStyle;
    out->windowExStyle = in.windowExStyle;
    memcpy(out->title, in.title, sizeof out->title);
    out->positionFlags = in.positionFlags;
    out->x = in.x;
    out->y = in.y;
    out->sizeMode = in.sizeMode;
    out->width = in.width;
    out->height = in.height;
    out->playFlags = in.playFlags;
    out->reserved1 = in.reserved1;
    out->backgroundColor = in.backgroundColor;
    memcpy(out->backgroundImage, in.backgroundImage, sizeof out->backgroundImage);
    out->imageX = in.imageX;
    out->imageY = in.imageY;
    memcpy(out->nextAnimation, in.nextAnimation, sizeof out->nextAnimation);
    out->paletteSource = in.paletteSource;
    out->editorByte = in.editorByte;
    out->reserved2 = in.reserved2;
    out->reserved3 = in.reserved3;
}

void PackObjectRecord(const ObjectRecord& in, ObjectRecordDisk* out)
{
    CopyObjectFields(in, out);
}

void UnpackObjectRecord(const ObjectRecordDisk& in, ObjectRecord* out)
{
    // The three editor bytes are not on disk and stay as they are.
    CopyObjectFields(in, out);
}

void PackObjectStep(const ObjectStep& in, ObjectStepDisk* out)
{
    CopyStepFields(in, out);
}

void UnpackObjectStep(const ObjectStepDisk& in, ObjectStep* out)
{
    CopyStepFields(in, out);
}

// ---- record codecs ----

int ReadAnsHeader(HFILE file, AnsFileHeader* header)
{
    return ReadExact(file, header, sizeof *header) ? 1 : 0;
}

int ReadAnimationSettings(HFILE file, AnimationSettings* settings)
{
    memset(settings, 0, sizeof *settings);
    AnimationSettingsDisk disk;
    if (!ReadExact(file, &disk, sizeof disk)) return 0;
    UnpackAnimationSettings(disk, settings);
    return 1;
}

int WriteAnimationSettings(HFILE file, const AnimationSettings* settings)
{
    AnimationSettingsDisk disk;
    PackAnimationSettings(*settings, &disk);
    return WriteExact(file, &disk, sizeof disk) ? 1 : 0;
}

int ReadForegroundRegions(HFILE file, ForegroundRegion* regions, int count)
{
    if (count <= 0) return 1;
    ForegroundRegionDisk disk[MAX_REGIONS];
    if (count > MAX_REGIONS) return 0;
    if (!ReadExact(file, disk, count * sizeof(ForegroundRegionDisk))) return 0;
    for (int i = 0; i < count; ++i) {
        // Every field is sign-extended into memory, the flags word too.
        regions[i] = {static_cast<int16_t>(disk[i].regionFlags), disk[i].x1, disk[i].y1, disk[i].x2, disk[i].y2};
    }
    return 1;
}

int WriteForegroundRegions(HFILE file, const ForegroundRegion* regions, int count)
{
    if (count <= 0) return 1;
    if (count > MAX_REGIONS) return 0;
    ForegroundRegionDisk disk[MAX_REGIONS];
    for (int i = 0; i < count; ++i) {
        disk[i] = {static_cast<uint16_t>(regions[i].regionFlags),
                   static_cast<int16_t>(regions[i].x1), static_cast<int16_t>(regions[i].y1),
                   static_cast<int16_t>(regions[i].x2), static_cast<int16_t>(regions[i].y2)};
    }
    return WriteExact(file, disk, count * sizeof(ForegroundRegionDisk)) ? 1 : 0;
}

int ReadObjectRecord(HFILE file, ObjectRecord* object)
{
    ObjectRecordDisk disk;
    if (!ReadExact(file, &disk, sizeof disk)) return 0;
    UnpackObjectRecord(disk, object);
    return 1;
}

int WriteObjectRecord(HFILE file, const ObjectRecord* object)
{
    ObjectRecordDisk disk;
    PackObjectRecord(*object, &disk);
    return WriteExact(file, &disk, sizeof disk) ? 1 : 0;
}

// The steps pass through one buffer of 2048 x 16 = 32768 bytes.
int ReadObjectSteps(HFILE file, ObjectStep* steps, int count)
{
    if (count <= 0) return 1;
    if (count > MAX_STEPS) return 0;
    std::unique_ptr<ObjectStepDisk[]> disk(new (std::nothrow) ObjectStepDisk[count]);
    if (!disk) return 0;
    if (!ReadExact(file, disk.get(), count * sizeof(ObjectStepDisk))) return 0;
    for (int i = 0; i < count; ++i) UnpackObjectStep(disk[i], &steps[i]);
    return 1;
}

int WriteObjectSteps(HFILE file, const ObjectStep* steps, int count)
{
    if (count <= 0) return 1;
    if (count > MAX_STEPS) return 0;
    std::unique_ptr<ObjectStepDisk[]> disk(new (std::nothrow) ObjectStepDisk[count]);
    if (!disk) return 0;
    for (int i = 0; i < count; ++i) PackObjectStep(steps[i], &disk[i]);
    return WriteExact(file, disk.get(), count * sizeof(ObjectStepDisk)) ? 1 : 0;
}

void SetDefaultAnimationSettings(AnimationSettings* s)
{
    memset(s, 0, sizeof *s);
    s->windowStyle = 0x80CA0000u;
    s->windowExStyle = 5;
    // The title is string 65 of the program's string table (DocumentStrings.rc).
    if (LoadStringA(GetModuleHandleA(nullptr), IDS_DEFAULT_ANIMATION_TITLE, s->title, 32) <= 0) s->title[0] = '\0';
    s->positionFlags = 0x0C;
    s->sizeMode = 1;
    s->width = 400;
    s->height = 300;
    s->playFlags = 0x60;
    s->paletteSource = 4;
    s->editorByte = 3;
}

bool HasTerminator(const char* field, int size)
{
    return memchr(field, '\0', size) != nullptr;
}

int ReadAnimationPreview(const char* path, AnimationSettings* settings)
{
    FileHandle file(OpenForReading(path));
    if (!file.IsOpen()) return 0;
    AnsFileHeader header;
    if (!ReadAnsHeader(file.Get(), &header) || header.magic != ANS_MAGIC) return 0;
    if (header.formatVersion < ANS_MIN_PREVIEW_VERSION || header.formatVersion > ANS_MAX_PREVIEW_VERSION)
        return 0;
    if (!ReadAnimationSettings(file.Get(), settings)) return 0;
    // A preview shows the strings: make sure each one ends inside its field.
    settings->title[63] = settings->backgroundImage[63] = settings->nextAnimation[63] = '\0';
    return 1;
}

// ---- whole file ----

HGLOBAL AllocateStepBlock(int count)
{
    if (count <= 0 || count > MAX_STEPS) return nullptr;
    return GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, count * sizeof(ObjectStep));
}

void FreeAnimationTables(AnimationTables* t)
{
    for (auto& handles : t->objectMemoryHandles)
        for (HGLOBAL& h : handles)
            if (h) h = GlobalFree(h);
    memset(t, 0, sizeof *t);
}

static bool WriteAnimationBody(HFILE file, AnimationTables* t)
{
    AnsFileHeader header = {ANS_MAGIC, ANS_FORMAT_VERSION, t->sequenceCount, t->objectCount,
                            t->regionCount, t->soundCount, t->headerCurrentObject, 0};
    if (!WriteExact(file, &header, sizeof header)) return false;
    if (!WriteAnimationSettings(file, &t->animationSettings)) return false;
    if (!WriteExact(file, t->sequenceTable, t->sequenceCount * sizeof(SequenceRecord))) return false;
    if (!WriteForegroundRegions(file, t->regionTable, t->regionCount)) return false;
    if (!WriteExact(file, t->soundTable, t->soundCount * sizeof(SoundRecord))) return false;
    for (int i = 0; i < t->objectCount; ++i) {
        ObjectRecord& object = t->objectTable[i];
        HGLOBAL block = t->objectMemoryHandles[i][0];
        // An object without a step block is written with no steps following it,
        // so the file stays readable.
        ObjectRecord written = object;
        if (!block) written.stepCount = 0;
        if (!WriteObjectRecord(file, &written)) return false;
        if (written.stepCount > 0) {
            if (written.stepCount > MAX_STEPS ||
                GlobalSize(block) < written.stepCount * sizeof(ObjectStep))
                return false;
            auto* steps = static_cast<ObjectStep*>(GlobalLock(block));
            if (!steps) return false;
            int ok = WriteObjectSteps(file, steps, written.stepCount);
            GlobalUnlock(block);
            if (!ok) return false;
        }
    }
    return true;
}

int WriteAnimationFile(const char* path, AnimationTables* t)
{
    if (t->sequenceCount > MAX_SEQUENCES || t->objectCount > MAX_PLAYER_OBJECTS ||
        t->regionCount > MAX_REGIONS || t->soundCount > MAX_SOUNDS)
        return RESULT_WRITE_ERROR;
    SafeFileWriter writer(path);
    HFILE file = writer.Create();
    if (file == HFILE_ERROR) return RESULT_CREATE_ERROR;
    t->animationSettings.playFlags |= PLAY_SAVED;
    if (!WriteAnimationBody(file, t)) return RESULT_WRITE_ERROR;  // writer discards the temp file
    return writer.Commit() ? RESULT_OK : RESULT_WRITE_ERROR;
}

static bool ValidSettings(const AnimationSettings& s)
{
    return HasTerminator(s.title, sizeof s.title) &&
           HasTerminator(s.backgroundImage, sizeof s.backgroundImage) &&
           HasTerminator(s.nextAnimation, sizeof s.nextAnimation);
}

static bool ValidObject(const ObjectRecord& o, int sequenceCount)
{
    return o.sequenceIndex < sequenceCount && o.stepCount >= 0 && o.stepCount <= MAX_STEPS &&
           HasTerminator(o.name, sizeof o.name);
}

static bool ValidHeaderCounts(const AnsFileHeader& h, int maxObjects)
{
    if (h.sequenceCount > MAX_SEQUENCES || h.objectCount > maxObjects ||
        h.regionCount > MAX_REGIONS || h.soundCount > MAX_SOUNDS)
        return false;
    // An empty object table leaves currentObject meaningless; otherwise it must name an object.
    return h.objectCount == 0 || h.currentObject < h.objectCount;
}

int ReadAnimationTables(HFILE file, const AnsFileHeader& header, AnimationTables* t, int maxObjects)
{
    if (header.formatVersion > ANS_MAX_EDITOR_VERSION) return RESULT_NEWER_VERSION;
    if (maxObjects > MAX_PLAYER_OBJECTS) maxObjects = MAX_PLAYER_OBJECTS;
    if (!ValidHeaderCounts(header, maxObjects)) return RESULT_READ_ERROR;

    FreeAnimationTables(t);
    t->sequenceCount = header.sequenceCount;
    t->objectCount = header.objectCount;
    t->regionCount = header.regionCount;
    t->soundCount = header.soundCount;
    t->headerCurrentObject = header.currentObject;
    t->headerReserved = header.reserved;

    if (!ReadAnimationSettings(file, &t->animationSettings) || !ValidSettings(t->animationSettings))
        return RESULT_READ_ERROR;
    if (!ReadExact(file, t->sequenceTable, t->sequenceCount * sizeof(SequenceRecord)))
        return RESULT_READ_ERROR;
    for (int i = 0; i < t->sequenceCount; ++i)
        if (!HasTerminator(t->sequenceTable[i].fileName, STORED_NAME_CHARS)) return RESULT_READ_ERROR;
    if (!ReadForegroundRegions(file, t->regionTable, t->regionCount)) return RESULT_READ_ERROR;
    if (!ReadExact(file, t->soundTable, t->soundCount * sizeof(SoundRecord))) return RESULT_READ_ERROR;
    for (int i = 0; i < t->soundCount; ++i)
        if (!HasTerminator(t->soundTable[i].name, STORED_NAME_CHARS)) return RESULT_READ_ERROR;

    for (int i = 0; i < t->objectCount; ++i) {
        ObjectRecord& object = t->objectTable[i];
        if (!ReadObjectRecord(file, &object) || !ValidObject(object, t->sequenceCount))
            return RESULT_READ_ERROR;
        if (object.stepCount == 0) continue;
        HGLOBAL block = AllocateStepBlock(object.stepCount);
        if (!block) return RESULT_OUT_OF_MEMORY;
        t->objectMemoryHandles[i][0] = block;
        auto* steps = static_cast<ObjectStep*>(GlobalLock(block));
        int ok = ReadObjectSteps(file, steps, object.stepCount);
        if (ok && header.formatVersion < ANS_FIRST_HIGH_MASK_VERSION)
            for (int s = 0; s < object.stepCount; ++s) steps[s].startMaskHigh = 0;
        GlobalUnlock(block);
        // A short step list leaves every later record misplaced: stop here.
        if (!ok) return RESULT_READ_ERROR;
    }
    return RESULT_OK;
}

int ReadAnimationFile(const char* path, AnimationTables* tables, int maxObjects, AnsFileHeader* headerOut)
{
    FileHandle file(OpenForReading(path));
    if (!file.IsOpen()) return RESULT_NOT_FOUND;
    AnsFileHeader header;
    if (!ReadAnsHeader(file.Get(), &header)) return RESULT_READ_ERROR;
    if (header.magic != ANS_MAGIC) return RESULT_UNKNOWN_FORMAT;
    if (headerOut) *headerOut = header;
    return ReadAnimationTables(file.Get(), header, tables, maxObjects);
}
