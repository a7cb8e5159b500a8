// The record behind an animation handle and the engine-wide state, shared by
// the engine's source files. The file's first 238 bytes (header and settings)
// sit at their file offsets; every table keeps the packed disk records.
#pragma once
#include "ReelEngine.h"
#include "AnsFile.h"
#include "PackedDib.h"
#include "StepConditions.h"
#include <cstddef>
#include <initializer_list>

constexpr int ANIM_FRAME_SLOTS = 256;
constexpr int ANIM_MAX_PICTURE_SIZE = 4096;  // bound on a size taken from a file
constexpr int ANIM_DEFAULT_WIDTH = 320;
constexpr int ANIM_DEFAULT_HEIGHT = 240;
constexpr int ANIM_MIN_OFFSCREEN = 8;
constexpr UINT_PTR ANIM_TIMER_ID = 1;

#pragma pack(push, 1)
// One step of an object's step list: the stored bytes and the condition
// counter of the step, cleared when the object is reset.
struct StepSlot {
    ObjectStepDisk step;
    int16_t conditionCounter;
};
static_assert(sizeof(StepSlot) == 18);
#pragma pack(pop)

struct StepListEntry {
    HGLOBAL slots;    // movable block of stepCount StepSlots, or null
    int16_t runWord;  // cleared with the list
};

struct SequenceRuntime {
    uint16_t loaded;  // 1 once the frame-sequence file was read
    HBITMAP frames[ANIM_FRAME_SLOTS];
    HBITMAP masks[ANIM_FRAME_SLOTS];  // run-time masks use only the first
    int8_t offsetX[ANIM_FRAME_SLOTS];
    int8_t offsetY[ANIM_FRAME_SLOTS];
    int16_t width;
    int16_t height;
};

struct ObjectRuntime {
    HBITMAP saveBitmap;  // the background under the object's last drawing
    int16_t width, height;
    uint8_t sequence;
    uint8_t finished;     // 0 running, 1 finished (+2 each later step), 0x80 waiting to be started
    uint8_t wasFinished;
    uint8_t frame;
    uint8_t stamp;        // the current frame goes into the background for good
    int16_t x, y;
    int16_t drawnX, drawnY;
    int16_t prevX, prevY;
    int16_t delayCounter;
    int16_t stepIndex;
    int16_t repetitions;
    int16_t frameStep;
    int16_t dx, dy;
    int16_t moveCounter;
    uint8_t pendingSound;
    uint8_t stayed;
    int16_t saved, savedX, savedY;
};

// What a host asked CreateAnimWindow for, kept with the animation so that the
// engine's own follow-on can make a like window for an animation whose new
// set-up needs another one.
struct AnimWindowRequest {
    DWORD style;
    int x, y, width, height;
    HWND parent;
    DWORD wndFlags;
};

struct AnimationContext {
    AnsFileHeader header;
    AnimationSettingsDisk settings;
    SequenceRecord sequences[MAX_SEQUENCES];
    ForegroundRegionDisk regions[MAX_REGIONS];
    ObjectRecordDisk objects[MAX_PLAYER_OBJECTS];
    StepListEntry stepLists[MAX_PLAYER_OBJECTS];
    SequenceRuntime sequenceRuntime[MAX_SEQUENCES];
    ObjectRuntime objectRuntime[MAX_PLAYER_OBJECTS];
    SoundRecord sounds[MAX_SOUNDS];
    HPALETTE palette;
    int16_t paletteColors;
    int16_t stockPalette;  // 1: palette is the stock default palette, never deleted
    HBITMAP offscreen;
    int16_t pictureWidth, pictureHeight;
    HBRUSH backgroundBrush;
    uint32_t startMask;
    int16_t ended;
    int16_t stopped;
    uint32_t timerId;
    int16_t firstStepDone;
    int16_t originShifted;
    uint32_t lastTick;
    uint16_t soundState;
    int32_t forceOffscreen;
    char unpackedAnimation[MAX_PATH];

    // ---- the animation window ----
    AnimWindowRequest windowRequest;

    // ---- play loop bookkeeping ----
    // Hosts run code in the middle of a step (the object events are sent, the
    // fast mode pumps messages) and may reload or destroy the animation there.
    // While a play-loop call is on the stack the block is not freed: the
    // destroy waits until the outermost call unwinds. A reset or reload bumps
    // the generation, so that a step interrupted by one goes no further.
    int16_t playDepth;        // play-loop calls on the stack
    int16_t destroyPending;   // DestroyAnimation arrived while playDepth > 0
    uint32_t playGeneration;  // bumped by every reset and reload of playback
    int16_t endReported;      // ANIM_END_ANIMATION was posted for this playback
};
static_assert(offsetof(AnimationContext, settings) == 11, "the settings follow the header as in the file");
static_assert(offsetof(AnimationContext, sequences) == 238, "header and settings are the file's first 238 bytes");

// Locks an animation handle for the length of a call; empty for a null or
// freed handle.
class ContextLock {
public:
    explicit ContextLock(HANIM handle) : lock_(handle) {}
    AnimationContext* get() const { return lock_.get(); }
    AnimationContext* operator->() const { return lock_.get(); }
    explicit operator bool() const { return static_cast<bool>(lock_); }
private:
    GlobalLockGuard<AnimationContext> lock_;
};

enum AnimBitmapMode { ANIM_DEVICE_BITMAPS = 0, ANIM_DIB_SECTIONS = 1 };

// The engine-wide state: one per process.
struct AnimEngine {
    bool running;
    HDC sharedDC;   // a frame's mask or an object's save bitmap
    HDC frameDC;    // a frame
    HDC pictureDC;  // the off-screen picture
    HBITMAP sharedDefault, frameDefault, pictureDefault;  // the DCs' own bitmaps
    int displayBits, displayPlanes;  // what the engine's decisions use
    int deviceBits, devicePlanes;    // what device-dependent bitmaps are made with
    AnimBitmapMode bitmapMode;
    HINSTANCE instance;
};
extern AnimEngine g_animEngine;

// Makes the engine run with the default hint when a host did not start it.
void EnsureAnimEngine();

// The bitmap mode for a display depth, a hint and a system version.
AnimBitmapMode ChooseBitmapMode(int displayBits, int hint, DWORD majorVersion, DWORD minorVersion);

// Makes the engine treat the display as having `bits` bits per pixel (0: ask
// the display). Takes effect at the next InitAnimEngine; lets every display
// branch run on any display.
void OverrideAnimDisplayDepth(int bits);

// How a sequence's transparentColorCode is drawn. Bit 7 means opaque, bit 5
// the two-colour format, bit 4 a mask made from each frame while drawing;
// otherwise every frame has its own mask of the static colour (code & 15).
// White (code & 15 = 15) is drawn with the inverse operations of black.
enum TransparencyKind { TRANSPARENCY_NONE, TRANSPARENCY_TWO_COLOR, TRANSPARENCY_RUNTIME_MASK, TRANSPARENCY_FRAME_MASKS };
inline TransparencyKind TransparencyOf(uint8_t code)
{
    if (code & 0x80) return TRANSPARENCY_NONE;
    if (code & 0x20) return TRANSPARENCY_TWO_COLOR;
    if (code & 0x10) return TRANSPARENCY_RUNTIME_MASK;
    return TRANSPARENCY_FRAME_MASKS;
}
inline bool WhiteIsTransparent(uint8_t code) { return (code & 15) == 15; }

// ---- settings read in place ----
inline int EndActionOf(const AnimationContext* c) { return (c->settings.playFlags >> PLAY_END_ACTION_SHIFT) & 3; }
inline bool HasBackgroundPicture(const AnimationContext* c) { return (c->settings.backgroundColor & BACKGROUND_USE_IMAGE) != 0; }
// The animation's own size: fixed, the screen's or the players' default.
SIZE AnimationOwnSize(const AnimationContext* c);
// Where placement puts a w by h client area inside an area of areaW by areaH.
POINT PlaceAnimation(const AnimationContext* c, int areaW, int areaH, int w, int h);

// ---- palette ----
extern const PALETTEENTRY kStaticColors[16];
void SetStaticPaletteColors(PALETTEENTRY* entries, int count);
void FillDefaultPalette(PALETTEENTRY entries[256]);
HPALETTE BuildAnimPalette(AnimationContext* c, const RGBQUAD* table, int size);
HPALETTE GetAnimPalette(const AnimationContext* c);
void DeleteAnimPalette(AnimationContext* c);
// The 2^bits colour table of a DIB section of at most 8 bits.
void FillDibSectionColors(const AnimationContext* c, int bits, RGBQUAD* table);

// ---- bitmaps and the picture ----
// bits: 0 the display's depth, 1 a mask, else the frame's depth.
HBITMAP CreateAnimBitmap(const AnimationContext* c, HDC dc, int width, int height, int bits);
// A monochrome mask (1 = white), made with its rows when given: top-down,
// each row MaskStride bytes.
HBITMAP CreateMaskBitmap(int width, int height, const BYTE* rows);
inline uint32_t MaskStride(int width) { return ((static_cast<uint32_t>(width) + 15) / 16) * 2; }
HBITMAP CreateOffscreenBitmap(AnimationContext* c, HDC dc, int width, int height, HBRUSH brush, bool force);
// The off-screen picture at the picture size (at least 8 by 8), filled with
// the background brush.
HBITMAP MakeOffscreenPicture(AnimationContext* c, bool force);
// Makes the off-screen picture when there is none; false when it cannot be made.
bool EnsureOffscreenPicture(AnimationContext* c);
void DeleteOffscreenBitmap(AnimationContext* c);
void ExcludeForegroundRegions(const AnimationContext* c, HDC dc);
void DrawAnimObjects(AnimationContext* c);
int RestoreObjectBackgrounds(AnimationContext* c);
bool CreateObjectSaveBitmaps(AnimationContext* c);
void DeleteObjectSaveBitmaps(AnimationContext* c);
// UpdateAnimWindow with the window's DC already at hand.
void RedrawChangedAreas(AnimationContext* c, HWND window, HDC windowDC);
// Takes every bitmap out of the engine's frame and shared DCs, and the
// context's picture and palette out of the others, so that they can be deleted.
void ReleaseEngineSelections(const AnimationContext* c);

// ---- loader ----
int ReadAnimationIntoContext(AnimationContext* c, const void* source, bool fromMemory);
void FreeStepLists(AnimationContext* c);
void FreeSequenceBitmaps(AnimationContext* c, int index);
void RemoveUnpackedFiles(AnimationContext* c);

// ---- objects and playback ----
void ResetAnimObject(AnimationContext* c, int index);
void InitialiseAnimObjects(AnimationContext* c);
void ResetAnimPlayback(AnimationContext* c, HWND window);
void StopAnimClock(AnimationContext* c, HWND window);

// ---- sound ----
void PostPendingSounds(AnimationContext* c, HWND window);

// ---- play loop: clock, conditions and hit testing ----
constexpr UINT ANIM_TIMER_MS = 50;      // the timer mode's interval
constexpr DWORD ANIM_FAST_STEP_MS = 25; // the fast mode's least time between steps

// Whether DestroyAnimation must leave the freeing to the play loop: true (and
// the destroy noted) while a play-loop call is on the stack.
bool DeferAnimDestroy(AnimationContext* c);

// The input the conditions read: key state, cursor, the window under the
// cursor and the focus. Tests put their own in; a null record or member means
// the system's call.
using AnimInputSource = ConditionInput;
void SetAnimInputSource(const AnimInputSource* source);

// A step's condition as the object leaves the step: true = jump to jumpTarget.
// breakOut: the object leaves early because its break-out test held. Counts
// in the slot's condition counter.
bool EvaluateStepCondition(const AnimationContext* c, HWND window, StepSlot& slot, int object, bool breakOut);
// While an object waits on a step: true when its key or mouse condition lets
// it leave early.
bool StepBreaksOut(const AnimationContext* c, HWND window, uint8_t condition, uint8_t parameter, int object);
// A mouse button (VK_LBUTTON or VK_RBUTTON): 1 pressed over the picture, 0 not
// pressed, -1 pressed elsewhere.
int AnimButtonTest(const AnimationContext* c, HWND window, int virtualKey);
// The left button is pressed on an opaque pixel of the object.
bool AnimObjectClicked(const AnimationContext* c, HWND window, int object);
// 1 when the object's current frame is opaque at (x, y), relative to its position.
int HitTestObjectMask(const AnimationContext* c, int object, int x, int y);

// ---- small GDI helpers ----
// Frames, masks and save bitmaps stay selected in the engine's frame and shared
// DCs between uses: selecting is the costly part of drawing many small
// bitmaps. ReleaseEngineSelections takes them out before anything is deleted.
inline void SelectBitmapInto(HDC dc, HBITMAP bitmap)
{
    if (GetCurrentObject(dc, OBJ_BITMAP) != bitmap) SelectObject(dc, bitmap);
}

// Selects an object into a DC and puts the previous one back at scope exit.
class DcSelection {
public:
    DcSelection(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
    DcSelection(const DcSelection&) = delete;
    DcSelection& operator=(const DcSelection&) = delete;
    ~DcSelection() { if (old_) SelectObject(dc_, old_); }
    bool ok() const { return old_ != nullptr; }
private:
    HDC dc_;
    HGDIOBJ old_;
};

// Selects a palette (as a background palette) and puts the previous one back.
class PaletteSelection {
public:
    PaletteSelection(HDC dc, HPALETTE palette, bool realize)
        : dc_(dc), old_(palette ? SelectPalette(dc, palette, TRUE) : nullptr)
    {
        if (old_ && realize) RealizePalette(dc);
    }
    PaletteSelection(const PaletteSelection&) = delete;
    PaletteSelection& operator=(const PaletteSelection&) = delete;
    ~PaletteSelection() { if (old_) SelectPalette(dc_, old_, TRUE); }
private:
    HDC dc_;
    HPALETTE old_;
};
