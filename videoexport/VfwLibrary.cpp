// The wrapper library's entry point, and what the reading, writing and sound
// parts share: releasing an AVI handle and the sound format's derived fields.
#include "VfwState.h"
#include <cmath>

namespace {
HINSTANCE libraryModule = nullptr;
}  // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) libraryModule = module;
    return TRUE;
}

void ReleaseAviObjects(AviFileState& state)
{
    if (state.mode == AVI_MODE_CLOSED) return;
    const bool mendSound = state.mode == AVI_MODE_WRITE && SoundLengthNeedsMending(state);
    if (state.drawDib) DrawDibClose(state.drawDib);
    state.drawDib = nullptr;
    if (state.frameReader) AVIStreamGetFrameClose(state.frameReader);
    state.frameReader = nullptr;
    if (state.plainFrame) GlobalFree(state.plainFrame);
    state.plainFrame = nullptr;
    state.plainFrameBytes = 0;
    // Streams before the file: the file writes its index when its last
    // reference goes.
    ReleaseAvi(state.compressed);
    ReleaseAvi(state.audio);
    if (state.audioBuffer) GlobalFree(state.audioBuffer);
    state.audioBuffer = nullptr;
    state.audioBufferSize = 0;
    ReleaseAvi(state.video);
    ReleaseAvi(state.file);
    AVIFileExit();
    if (mendSound) MendSoundLength(state.path, state.samplesWritten);
    state.mode = AVI_MODE_CLOSED;
}

BOOL WINAPI CloseAviFile(HAVIFILE aviFile) { return CloseStateHandle(aviFile, &ReleaseAviObjects); }

DWORD TwoFramesOfBytes(const SoundFormat& format)
{
    return static_cast<DWORD>(2 * std::ceil(format.samplesPerFrame)) * format.blockAlign;
}

bool CompleteSoundFormat(SoundFormat& format)
{
    if (format.channels < 1 || format.channels > 2) return false;
    if (format.bitsPerSample != 8 && format.bitsPerSample != 16) return false;
    if (format.samplesPerSec == 0 || format.framesPerSec == 0) return false;
    format.blockAlign = static_cast<uint16_t>(format.channels * format.bitsPerSample / 8);
    format.samplesPerFrame = static_cast<double>(format.samplesPerSec) / format.framesPerSec;
    return true;
}
