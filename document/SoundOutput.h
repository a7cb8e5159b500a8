// Sound output: wave and MIDI files played at object steps, through the MCI
// wave-audio device and MIDI sequencer (one device of each kind per process,
// completion reported as MM_MCINOTIFY to a window) or through sndPlaySound for
// plain waves. Shared by the editor's test run, its sound dialog and the
// player engine; everything runs on the caller's thread.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <cstdint>

// The sound flag word (soundFlags of a SoundRecord). The low byte holds the
// sndPlaySound flags SND_ASYNC, SND_NODEFAULT, SND_MEMORY (never valid for a
// stored name: cleared on detection and on playing), SND_LOOP (through MCI:
// repeat by the repeat count) and SND_NOSTOP (through MCI: do not interrupt
// the open device of that kind).
constexpr uint32_t ANIM_SOUND_WAVE = 0x1000;    // wave through the MCI wave-audio device
constexpr uint32_t ANIM_SOUND_MIDI = 0x2000;    // MIDI through the MCI sequencer
constexpr uint32_t ANIM_SOUND_ALL = 0x7000;     // the kinds mask
constexpr uint32_t ANIM_SOUND_DETECT = 0x8000;  // kind not read from the file yet
constexpr uint32_t SOUND_KEEP_ON_DETECT = 0x0FFB;  // what detection keeps of the word
constexpr uint32_t SOUND_SIMPLE_FLAGS = 0x0FF9;    // what sndPlaySound gets of the word

// The step numbers that name a failed operation in a device error message.
constexpr uint32_t SOUND_STEP_PLAY = 1;
constexpr uint32_t SOUND_STEP_CLOSE = 2;

// One MCI device slot; there are two, one for wave audio and one for MIDI.
struct MciSoundSlot {
    MCIDEVICEID deviceId;      // 0: closed
    char fileName[MAX_PATH];   // the file it plays (a copy: the caller's name may go away)
    uint32_t flags;            // the sound flag word it was opened with
    uint32_t paused;
    int32_t repeatCount;       // plays still to come with SND_LOOP; 0 endless
    HWND notifyWindow;         // receives MM_MCINOTIFY
};

// The slot of ANIM_SOUND_WAVE or ANIM_SOUND_MIDI; null for any other value.
MciSoundSlot* MciSlotForKind(uint32_t kind);

// ANIM_SOUND_WAVE for a file starting "RIFF", ANIM_SOUND_MIDI for "MThd",
// else 0 (also when the file cannot be opened).
uint32_t DetectSoundType(const char* path);

// The name to open for a stored sound name, or null: when the name holds a
// folder and its bare part exists in the current directory, the bare part;
// else the whole name when it exists. The result points into `name`.
const char* FindSoundFile(const char* name);

// Plays a sound file with the flag word *flags (a detected kind is stored back
// into it). Returns the kind played (ANIM_SOUND_WAVE, ANIM_SOUND_MIDI) or 0.
// With no name it stops the word's kinds and returns StopSound's result.
uint32_t PlaySoundFile(HWND window, const char* name, uint16_t* flags, int repeatCount, bool showErrors);

// Stops the kinds given (a word without kind bits stops the plain sound).
// Returns kinds & ANIM_SOUND_ALL, or 0 when a device reported an error.
uint32_t StopSound(HWND window, uint32_t kinds, bool showErrors);

// Pauses or resumes the MCI sounds of the kinds; pausing also stops a plain
// sound, which cannot be resumed. Returns the kind bits of the devices changed.
uint32_t PauseSound(uint32_t kinds, bool pause);

// StopSound and PauseSound for the devices that one window opened (any
// window's when owner is null): each animation window of a process stops and
// pauses only its own sounds, although the two devices are shared. A plain
// sound belongs to no window: it is stopped as StopSound and PauseSound do.
uint32_t StopSoundOf(HWND owner, uint32_t kinds, bool showErrors);
uint32_t PauseSoundOf(HWND owner, uint32_t kinds, bool pause);

// MM_MCINOTIFY (wParam = code, lParam = device id): repeats a looping sound or
// closes its device. Returns the slot's kind, plus 1 when its device is now
// closed; 0 for a device that no slot holds.
uint32_t HandleMciNotify(HWND window, UINT code, MCIDEVICEID deviceId, bool showErrors);

// When show is set: a message box owned by the window, captioned for the kind
// and step ("Wave-Audio Play", "Midi-Sequencer Close"), with the MCI error
// text. Always 0.
uint32_t ShowSoundError(HWND window, uint32_t kindAndStep, MCIERROR error, bool show);

// Opens the device for the file in the slot and plays it with notification to
// the window. False with *error 0 when SND_NOSTOP keeps the open device
// playing; false with the MCI error when the device failed (the slot is
// closed then).
bool OpenMciSound(HWND window, UINT deviceType, const char* file, MciSoundSlot& slot,
                  uint32_t flags, int repeatCount, MCIERROR* error);

// At the end of a play: plays a looping sound again while repeats remain,
// otherwise closes the device. A failing device is closed. Returns the error.
MCIERROR ReplayOrCloseSound(MciSoundSlot& slot);

// Stops and closes the slot's device; the slot is closed even when the device
// reports an error (returned), so it never stays stuck on a dead device.
MCIERROR CloseMciSound(MciSoundSlot& slot);

// The kinds a step's sound index stops when it lies above the sound table:
// 0x40-0x5F wave, 0x80-0x9F MIDI, any other value everything.
uint32_t StopKindsForSoundIndex(uint8_t soundIndex);
