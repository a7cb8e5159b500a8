// Sound output through the MCI devices and sndPlaySound.
#include "SoundOutput.h"
#include "FileIo.h"
#include "MciSeam.h"
#include "StoredNames.h"
#include "UiSeam.h"
#include <cstring>
#include <initializer_list>

namespace {

// One device of each kind per process: a new sound of a kind replaces the old.
MciSoundSlot waveSlot;
MciSoundSlot midiSlot;

uint32_t SlotKind(const MciSoundSlot& slot)
{
    return &slot == &midiSlot ? ANIM_SOUND_MIDI : ANIM_SOUND_WAVE;
}

bool IsOpen(const MciSoundSlot& slot) { return slot.deviceId != 0; }

// Open, and opened by the owner (by anyone when the owner is null).
bool IsOpenFor(const MciSoundSlot& slot, HWND owner)
{
    return IsOpen(slot) && (!owner || slot.notifyWindow == owner);
}

void ForgetSlot(MciSoundSlot& slot) { slot = MciSoundSlot{}; }

MCIERROR SendMci(MCIDEVICEID device, UINT message, DWORD_PTR flags, void* params)
{
    return CurrentMciSeam().sendCommand(device, message, flags, reinterpret_cast<DWORD_PTR>(params));
}

// Plays the slot's device with notification to its window, from the start
// when `fromStart` is set, else from where it stands.
MCIERROR PlayMciSlot(MciSoundSlot& slot, bool fromStart)
{
    MCI_PLAY_PARMS play{};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(slot.notifyWindow);
    DWORD flags = MCI_NOTIFY;
    if (fromStart) {
        play.dwFrom = 0;
        flags |= MCI_FROM;
    }
    return SendMci(slot.deviceId, MCI_PLAY, flags, &play);
}

// Plays again; a device that cannot play is closed so that the slot is free.
MCIERROR ReplayOrClose(MciSoundSlot& slot, bool fromStart)
{
    MCIERROR error = PlayMciSlot(slot, fromStart);
    if (error) {
        SendMci(slot.deviceId, MCI_CLOSE, 0, nullptr);
        ForgetSlot(slot);
    }
    return error;
}

bool StopsPlainSound(uint32_t kinds)
{
    return (kinds & ANIM_SOUND_WAVE) || !(kinds & ANIM_SOUND_ALL);
}

void StopPlainSound() { CurrentMciSeam().sndPlaySound(nullptr, 0); }

// Plays a file without MCI. A looping sound must be asynchronous: a loop
// played synchronously never returns to the caller's thread.
void PlayPlainSound(const char* file, uint16_t flags)
{
    UINT simple = (flags & SOUND_SIMPLE_FLAGS) | SND_NODEFAULT;
    if (simple & SND_LOOP) simple |= SND_ASYNC;
    CurrentMciSeam().sndPlaySound(file, simple);
}

}  // namespace

MciSoundSlot* MciSlotForKind(uint32_t kind)
{
    if (kind == ANIM_SOUND_WAVE) return &waveSlot;
    if (kind == ANIM_SOUND_MIDI) return &midiSlot;
    return nullptr;
}

uint32_t DetectSoundType(const char* path)
{
    FileHandle file(OpenForReading(path));
    char magic[4];
    if (!file.IsOpen() || !ReadExact(file.Get(), magic, sizeof magic)) return 0;
    if (memcmp(magic, "RIFF", 4) == 0) return ANIM_SOUND_WAVE;
    if (memcmp(magic, "MThd", 4) == 0) return ANIM_SOUND_MIDI;
    return 0;
}

// Names are used as stored, in the ANSI code page the file system expects.
const char* FindSoundFile(const char* name)
{
    // A refused name is a sound that is not there: the multimedia devices
    // and the simple sound call never see it.
    if (!IsSafeStoredName(name)) return nullptr;
    if (const char* slash = strrchr(name, '\\'); slash && IsSafeBareName(slash + 1) && IsReadableFile(slash + 1))
        return slash + 1;
    return IsReadableFile(name) ? name : nullptr;  // a regular file on disk, never a device
}

uint32_t ShowSoundError(HWND window, uint32_t kindAndStep, MCIERROR error, bool show)
{
    if (!show) return 0;
    char caption[32];
    strcpy(caption, (kindAndStep & ANIM_SOUND_MIDI) ? "Midi-Sequencer " : "Wave-Audio ");
    strcat(caption, (kindAndStep & 0xFF) == SOUND_STEP_CLOSE ? "Close" : "Play");
    char text[201] = "";
    mciGetErrorStringA(error, text, sizeof text);
    CurrentUiSeam().messageBox(window, text, caption, MB_OK);
    return 0;
}

MCIERROR CloseMciSound(MciSoundSlot& slot)
{
    if (!IsOpen(slot)) return 0;
    MCIERROR stopError = SendMci(slot.deviceId, MCI_STOP, 0, nullptr);
    MCIERROR closeError = SendMci(slot.deviceId, MCI_CLOSE, 0, nullptr);
    ForgetSlot(slot);
    return stopError ? stopError : closeError;
}

bool OpenMciSound(HWND window, UINT deviceType, const char* file, MciSoundSlot& slot,
                  uint32_t flags, int repeatCount, MCIERROR* error)
{
    *error = 0;
    if (IsOpen(slot)) {
        if (flags & SND_NOSTOP) return false;
        *error = SendMci(slot.deviceId, MCI_CLOSE, 0, nullptr);
        ForgetSlot(slot);
        if (*error) return false;
    }
    MCI_OPEN_PARMSA open{};
    open.lpstrDeviceType = reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(deviceType));
    open.lpstrElementName = file;
    *error = SendMci(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT, &open);
    if (*error) return false;

    slot.deviceId = open.wDeviceID;
    lstrcpynA(slot.fileName, file, sizeof slot.fileName);
    slot.flags = flags;
    slot.paused = 0;
    slot.repeatCount = static_cast<int16_t>(repeatCount);
    slot.notifyWindow = window;
    *error = ReplayOrClose(slot, false);
    return *error == 0;
}

MCIERROR ReplayOrCloseSound(MciSoundSlot& slot)
{
    if ((slot.flags & SND_LOOP) && slot.repeatCount != 1) {
        // A count n plays n times in all; 0 (or a negative count) plays until stopped.
        if (slot.repeatCount > 1) --slot.repeatCount;
        return slot.paused ? 0 : ReplayOrClose(slot, true);
    }
    MCIERROR error = SendMci(slot.deviceId, MCI_CLOSE, 0, nullptr);
    ForgetSlot(slot);
    return error;
}

uint32_t PlaySoundFile(HWND window, const char* name, uint16_t* flags, int repeatCount, bool showErrors)
{
    if (!name) return StopSound(window, *flags, showErrors);
    const char* file = FindSoundFile(name);
    if (!file) return 0;
    if (*flags & ANIM_SOUND_DETECT)
        *flags = static_cast<uint16_t>(DetectSoundType(file) | (*flags & SOUND_KEEP_ON_DETECT));

    const uint32_t kind = *flags & ANIM_SOUND_ALL;
    if (kind != 0) {
        MciSoundSlot* slot = MciSlotForKind(kind);
        if (!slot) return 0;
        const UINT deviceType = kind == ANIM_SOUND_MIDI ? MCI_DEVTYPE_SEQUENCER : MCI_DEVTYPE_WAVEFORM_AUDIO;
        MCIERROR error = 0;
        if (OpenMciSound(window, deviceType, file, *slot, *flags, repeatCount, &error)) return kind;
        return ShowSoundError(window, kind | SOUND_STEP_PLAY, error, showErrors && error);
    }

    if (IsOpen(waveSlot)) {
        if (*flags & SND_NOSTOP) return 0;  // the MCI wave is not interrupted
        if (MCIERROR error = CloseMciSound(waveSlot))
            ShowSoundError(window, ANIM_SOUND_WAVE | SOUND_STEP_CLOSE, error, showErrors);
    }
    // The simple call reports nothing worth keeping (without a device it
    // succeeds anyway): the plain road always counts as a wave played.
    PlayPlainSound(file, *flags);
    return ANIM_SOUND_WAVE;
}

namespace {

uint32_t StopSlots(HWND errorOwner, HWND owner, uint32_t kinds, bool showErrors)
{
    bool failed = false;
    for (uint32_t kind : {ANIM_SOUND_WAVE, ANIM_SOUND_MIDI}) {
        MciSoundSlot& slot = *MciSlotForKind(kind);
        if (!(kinds & kind) || !IsOpenFor(slot, owner)) continue;
        if (MCIERROR error = CloseMciSound(slot)) {
            ShowSoundError(errorOwner, kind | SOUND_STEP_CLOSE, error, showErrors);
            failed = true;
        }
    }
    if (StopsPlainSound(kinds)) StopPlainSound();
    return failed ? 0 : kinds & ANIM_SOUND_ALL;
}

}  // namespace

uint32_t StopSound(HWND window, uint32_t kinds, bool showErrors)
{
    return StopSlots(window, nullptr, kinds, showErrors);
}

uint32_t StopSoundOf(HWND owner, uint32_t kinds, bool showErrors)
{
    return StopSlots(owner, owner, kinds, showErrors);
}

uint32_t PauseSound(uint32_t kinds, bool pause) { return PauseSoundOf(nullptr, kinds, pause); }

uint32_t PauseSoundOf(HWND owner, uint32_t kinds, bool pause)
{
    uint32_t changed = 0;
    for (uint32_t kind : {ANIM_SOUND_WAVE, ANIM_SOUND_MIDI}) {
        MciSoundSlot& slot = *MciSlotForKind(kind);
        if (!(kinds & kind) || !IsOpenFor(slot, owner) || (slot.paused != 0) == pause) continue;
        if (pause) {
            SendMci(slot.deviceId, MCI_PAUSE, 0, nullptr);
        } else if (SendMci(slot.deviceId, MCI_RESUME, 0, nullptr) != 0) {
            // A device that cannot resume plays on from where it stands.
            if (ReplayOrClose(slot, false) != 0) continue;
        }
        slot.paused = pause;
        changed |= kind;
    }
    if (pause && StopsPlainSound(kinds)) StopPlainSound();
    return changed;
}

uint32_t HandleMciNotify(HWND window, UINT code, MCIDEVICEID deviceId, bool showErrors)
{
    if (deviceId == 0) return 0;
    MciSoundSlot* slot = midiSlot.deviceId == deviceId ? &midiSlot
                       : waveSlot.deviceId == deviceId ? &waveSlot : nullptr;
    if (!slot) return 0;
    const uint32_t kind = SlotKind(*slot);
    if (code == MCI_NOTIFY_SUCCESSFUL) {
        if (MCIERROR error = ReplayOrCloseSound(*slot))
            ShowSoundError(window, kind | SOUND_STEP_CLOSE, error, showErrors);
    } else if (code == MCI_NOTIFY_FAILURE) {
        // The device could not play: close it rather than leave it open and busy.
        SendMci(slot->deviceId, MCI_CLOSE, 0, nullptr);
        ForgetSlot(*slot);
    }
    return kind | (IsOpen(*slot) ? 0 : 1);
}

uint32_t StopKindsForSoundIndex(uint8_t soundIndex)
{
    if (soundIndex >= 0x40 && soundIndex <= 0x5F) return ANIM_SOUND_WAVE;
    if (soundIndex >= 0x80 && soundIndex <= 0x9F) return ANIM_SOUND_MIDI;
    return ANIM_SOUND_ALL;
}
