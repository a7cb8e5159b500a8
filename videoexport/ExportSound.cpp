// The sound of an export: the animation's sound requests are played as a
// listener would hear them and remembered; every step then adds one frame's
// worth of the current wave to the sound stream, or silence.
#include "ExportLibrary.h"
#include "MciSeam.h"
#include "PackedDib.h"
#include "SoundOutput.h"

void RecordSoundRequest(UINT soundFlags, const char* name)
{
    // MIDI cannot go into a wave stream: its plays and its own stops are passed over.
    if (name ? (soundFlags & ANIM_SOUND_MIDI) != 0 : (soundFlags & ANIM_SOUND_ALL) == ANIM_SOUND_MIDI) return;
    const MciSeam& seam = CurrentMciSeam();
    if (!name) {
        seam.sndPlaySound(nullptr, 0);
        g_export.soundRequest = SOUND_REQUEST_STOP;
        return;
    }
    // A stored name is looked up beside the animation first, as the players do.
    const char* file = FindSoundFile(name);
    if (!file) file = name;
    // A stored name is never a sound in memory.
    const UINT playFlags = soundFlags & 0xFF & ~SND_MEMORY;
    if (!seam.sndPlaySound(file, playFlags)) return;
    lstrcpynA(g_export.soundName, file, MAX_PATH);
    g_export.soundRequest = SOUND_REQUEST_NEW | ((soundFlags & SND_LOOP) ? SOUND_REQUEST_LOOP : 0);
}

void CloseStepSound()
{
    if (g_export.wave) CloseWaveFile(g_export.wave);
    if (g_export.waveBuffer) GlobalFree(g_export.waveBuffer);
    g_export.wave = nullptr;
    g_export.waveBuffer = nullptr;
    g_export.waveBufferSize = 0;
}

namespace {

void OpenStepSound()
{
    CloseStepSound();
    g_export.waveLoops = (g_export.soundRequest & SOUND_REQUEST_LOOP) != 0;
    DWORD bufferSize = 0;
    g_export.wave = OpenWaveFile(g_export.soundName, g_export.options.framesPerSec, &g_export.waveFormat, &bufferSize);
    if (!g_export.wave) return;
    g_export.waveBuffer = bufferSize ? GlobalAlloc(GMEM_MOVEABLE, bufferSize) : nullptr;
    g_export.waveBufferSize = g_export.waveBuffer ? bufferSize : 0;
    if (!g_export.waveBuffer) CloseStepSound();
}

}  // namespace

void AddStepSound()
{
    if (!g_export.soundStream) return;
    if (g_export.soundRequest & SOUND_REQUEST_NEW) OpenStepSound();
    else if (g_export.soundRequest & SOUND_REQUEST_STOP) CloseStepSound();
    g_export.soundRequest = 0;

    if (!g_export.wave) {
        AddSoundSamples(g_export.aviFile, 0, nullptr, &g_export.streamFormat);
        return;
    }
    const LONG needed = GetSoundSamplesRequired(g_export.aviFile, &g_export.waveFormat);
    LONG read = 0;
    {
        GlobalLockGuard<BYTE> buffer(g_export.waveBuffer);
        read = ReadWaveSamples(g_export.wave, needed, g_export.waveLoops, buffer.get(), g_export.waveBufferSize);
        if (read < 0) read = 0;
        AddSoundSamples(g_export.aviFile, read, buffer.get(), &g_export.waveFormat);
    }
    // The wave has run out: the next steps are silent.
    if (read < needed) CloseStepSound();
}
