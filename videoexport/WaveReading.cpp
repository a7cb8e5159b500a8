// Reading the samples of a sound file's first audio stream, one video frame's
// worth at a time, optionally looping.
#include "VfwState.h"
#include <vector>

namespace {

// The sample format from the stream's format record, or from its information
// when that record cannot be read. Only plain samples can be converted later.
bool ReadSoundFormat(PAVISTREAM stream, SoundFormat& format)
{
    AVISTREAMINFOA info{};
    if (AVIStreamInfoA(stream, &info, sizeof info) != 0) return false;
    const LONG start = AVIStreamStart(stream);
    LONG size = 0;
    std::vector<BYTE> record;
    if (AVIStreamFormatSize(stream, start, &size) == 0 && size >= static_cast<LONG>(sizeof(PCMWAVEFORMAT))) {
        record.resize(size);
        if (AVIStreamReadFormat(stream, start, record.data(), &size) != 0) record.clear();
    }
    if (!record.empty()) {
        const auto* wave = reinterpret_cast<const PCMWAVEFORMAT*>(record.data());
        if (wave->wf.wFormatTag != WAVE_FORMAT_PCM && wave->wf.wFormatTag != 0) return false;
        format.channels = wave->wf.nChannels;
        format.samplesPerSec = wave->wf.nSamplesPerSec;
        format.bitsPerSample = wave->wBitsPerSample;
        // A record without a tag says nothing sure about the depth: a byte
        // rate above one byte per sample means 16 bits.
        if (wave->wf.wFormatTag == 0)
            format.bitsPerSample = static_cast<uint64_t>(format.channels) * format.samplesPerSec < info.dwRate ? 16 : 8;
        return true;
    }
    if (info.dwSampleSize == 0) return false;
    format.samplesPerSec = info.dwRate / info.dwSampleSize;
    format.channels = info.dwSampleSize < 2 ? 1 : 2;
    format.bitsPerSample = info.dwSampleSize == 4 ? 16 : 8;
    return true;
}

void ReleaseWaveObjects(WaveFileState& state)
{
    ReleaseAvi(state.stream);
    ReleaseAvi(state.file);
    AVIFileExit();
}

}  // namespace

bool OpenFirstAudioStream(LPCSTR path, PAVIFILE& file, PAVISTREAM& stream)
{
    return AVIFileOpenA(&file, path, OF_READ | OF_SHARE_DENY_WRITE, nullptr) == 0 &&
           AVIFileGetStream(file, &stream, streamtypeAUDIO, 0) == 0;
}

HWAVEFILE WINAPI OpenWaveFile(LPCSTR path, int framesPerSec, SoundFormat* format, DWORD* bufferSize)
{
    if (!path || framesPerSec <= 0 || framesPerSec > 0xFFFF) return nullptr;
    WaveFileState state{};
    state.format.framesPerSec = static_cast<uint16_t>(framesPerSec);
    AVIFileInit();
    HWAVEFILE handle = nullptr;
    if (OpenFirstAudioStream(path, state.file, state.stream) && ReadSoundFormat(state.stream, state.format) &&
        CompleteSoundFormat(state.format))
        handle = NewStateHandle(state);
    if (!handle) {
        ReleaseWaveObjects(state);
        return nullptr;
    }
    if (format) *format = state.format;
    if (bufferSize) *bufferSize = TwoFramesOfBytes(state.format);
    return handle;
}

LONG WINAPI ReadWaveSamples(HWAVEFILE waveFile, LONG count, BOOL loop, void* buffer, DWORD bufferSize)
{
    StateLock<WaveFileState> state(waveFile);
    if (!state || !buffer || count <= 0) return 0;
    const uint16_t blockAlign = state->format.blockAlign;
    const LONG fits = static_cast<LONG>(bufferSize / blockAlign);
    if (count > fits) count = fits;
    const LONG start = AVIStreamStart(state->stream);
    const LONG length = AVIStreamLength(state->stream);
    BYTE* out = static_cast<BYTE*>(buffer);
    LONG done = 0;
    while (done < count) {
        const LONG left = length - static_cast<LONG>(state->readPosition);
        if (left <= 0) {
            // At the end: a looping sound starts again, unless it has no samples at all.
            if (!loop || length <= 0) break;
            state->readPosition = 0;
            continue;
        }
        const LONG wanted = count - done < left ? count - done : left;
        LONG bytes = 0, samples = 0;
        if (AVIStreamRead(state->stream, start + static_cast<LONG>(state->readPosition), wanted,
                          out + static_cast<size_t>(done) * blockAlign, (count - done) * blockAlign, &bytes,
                          &samples) != 0 ||
            samples <= 0)
            break;
        state->readPosition += static_cast<uint32_t>(samples);
        done += samples;
    }
    return done;
}

BOOL WINAPI CloseWaveFile(HWAVEFILE waveFile) { return CloseStateHandle(waveFile, &ReleaseWaveObjects); }
