// The sound stream of a created AVI file: a whole sound file merged in one
// write, or one video frame's worth of samples at a time, converted to the
// stream's format.
#include "VfwState.h"
#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace {

bool IsWritableWithoutSound(const AviFileState& state) { return state.file && !state.audio; }

// The halvings and doublings that bring a sample rate to the stream's: rates
// that differ by powers of two meet exactly, others come as near as that goes.
struct RateSteps {
    uint32_t keepEvery = 1;  // keep every n-th source sample frame
    uint32_t repeat = 1;     // write each kept frame n times
};

RateSteps StepsToRate(uint32_t sourceRate, uint32_t streamRate)
{
    RateSteps steps;
    uint64_t rate = sourceRate;
    while (rate > streamRate) {
        rate /= 2;
        steps.keepEvery *= 2;
    }
    while (rate < streamRate) {
        rate *= 2;
        steps.repeat *= 2;
    }
    return steps;
}

// Samples still missing to reach the end of the next video frame, at the
// stream's rate.
LONG SamplesForNextFrame(const AviFileState& state)
{
    const double end = std::floor((state.audioFramesWritten + 1.0) * state.audioFormat.samplesPerFrame);
    const double missing = end - state.samplesWritten;
    return missing > 0 ? static_cast<LONG>(missing) : 0;
}

// One sample of one channel of a source sample frame in the stream's depth.
void PutSample(BYTE* out, const BYTE* in, uint16_t sourceBits, uint16_t streamBits)
{
    if (sourceBits == streamBits) {
        out[0] = in[0];
        if (streamBits == 16) out[1] = in[1];
    } else if (streamBits == 8) {
        out[0] = static_cast<BYTE>(in[1] ^ 0x80);  // high byte, made unsigned
    } else {
        const int16_t wide = static_cast<int16_t>((in[0] - 128) * 256);
        out[0] = static_cast<BYTE>(wide & 0xFF);
        out[1] = static_cast<BYTE>((wide >> 8) & 0xFF);
    }
}

bool EnsureAudioBuffer(AviFileState& state, DWORD bytes)
{
    if (state.audioBuffer && state.audioBufferSize >= bytes) return true;
    HGLOBAL grown = state.audioBuffer ? GlobalReAlloc(state.audioBuffer, bytes, GMEM_MOVEABLE)
                                      : GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!grown) return false;
    state.audioBuffer = grown;
    state.audioBufferSize = bytes;
    return true;
}

// Converts `count` source sample frames into the stream's format in `out`:
// the first channel only for a mono stream, every n-th frame while the source
// rate is higher, repeated frames while it is lower, unsigned 8 or signed 16
// bits, mono doubled for a stereo stream. Gives the sample frames written.
LONG ConvertSamples(const BYTE* in, LONG count, const SoundFormat& source, const SoundFormat& stream, BYTE* out)
{
    const RateSteps steps = StepsToRate(source.samplesPerSec, stream.samplesPerSec);
    const uint16_t sourceSampleBytes = source.bitsPerSample / 8;
    const uint16_t streamSampleBytes = stream.bitsPerSample / 8;
    LONG written = 0;
    for (LONG frame = 0; frame < count; frame += steps.keepEvery) {
        const BYTE* sourceFrame = in + static_cast<size_t>(frame) * source.blockAlign;
        for (uint32_t r = 0; r < steps.repeat; ++r) {
            for (uint16_t channel = 0; channel < stream.channels; ++channel) {
                const uint16_t from = source.channels == 2 ? channel : 0;
                PutSample(out, sourceFrame + from * sourceSampleBytes, source.bitsPerSample, stream.bitsPerSample);
                out += streamSampleBytes;
            }
            ++written;
        }
    }
    return written;
}

LONG ConvertedCount(LONG count, const SoundFormat& source, const SoundFormat& stream)
{
    const RateSteps steps = StepsToRate(source.samplesPerSec, stream.samplesPerSec);
    const int64_t kept = (static_cast<int64_t>(count) + steps.keepEvery - 1) / steps.keepEvery;
    const int64_t converted = kept * steps.repeat;
    return converted > INT_MAX / 4 ? -1 : static_cast<LONG>(converted);
}

void FillWithSilence(BYTE* out, LONG frames, const SoundFormat& stream)
{
    const size_t bytes = static_cast<size_t>(frames) * stream.blockAlign;
    std::fill(out, out + bytes, stream.bitsPerSample == 8 ? 0x80 : 0x00);
}

// Writes sample frames at the end of the sound stream, as a key frame. The
// position is the count of samples written so far; an AVIFile implementation
// that counts its audio length in writes instead (as Wine's does) refuses that
// position, and is given the end that it reports.
bool AppendSamples(AviFileState& state, const BYTE* samples, LONG count)
{
    void* data = const_cast<BYTE*>(samples);
    const LONG bytes = count * state.audioFormat.blockAlign;
    const LONG position = static_cast<LONG>(state.samplesWritten);
    if (AVIStreamWrite(state.audio, position, count, data, bytes, AVIIF_KEYFRAME, nullptr, nullptr) == 0) return true;
    const LONG reportedEnd = AVIStreamLength(state.audio);
    return reportedEnd != position &&
           AVIStreamWrite(state.audio, reportedEnd, count, data, bytes, AVIIF_KEYFRAME, nullptr, nullptr) == 0;
}

// Copies as many samples as `videoFrames` at `framesPerSec` last, at most all,
// from `source` into a new sound stream of the file, in one write. Gives the
// samples copied, or 0 when not all of them could be.
LONG CopySoundStream(AviFileState& state, PAVISTREAM source, LONG videoFrames, int framesPerSec)
{
    AVISTREAMINFOA info{};
    const LONG start = AVIStreamStart(source);
    LONG formatSize = 0;
    if (AVIStreamInfoA(source, &info, sizeof info) != 0 || info.dwScale == 0 || info.dwSampleSize == 0 ||
        AVIStreamFormatSize(source, start, &formatSize) != 0 || formatSize <= 0)
        return 0;
    std::vector<BYTE> format(formatSize);
    if (AVIStreamReadFormat(source, start, format.data(), &formatSize) != 0) return 0;
    const int64_t forVideo =
        static_cast<int64_t>(videoFrames) * info.dwRate / (static_cast<int64_t>(framesPerSec) * info.dwScale);
    const LONG count = static_cast<LONG>(std::min<int64_t>(forVideo, AVIStreamLength(source)));
    if (count <= 0 || static_cast<int64_t>(count) * info.dwSampleSize > INT_MAX) return 0;
    std::vector<BYTE> sound(static_cast<size_t>(count) * info.dwSampleSize);
    LONG readBytes = 0, readSamples = 0;
    if (AVIStreamRead(source, start, count, sound.data(), static_cast<LONG>(sound.size()), &readBytes,
                      &readSamples) != 0 ||
        readSamples != count)
        return 0;
    // The new stream starts empty; its length comes from what is written.
    info.dwStart = 0;
    info.dwLength = 0;
    if (AVIFileCreateStream(state.file, &state.audio, &info) != 0) return 0;
    if (AVIStreamSetFormat(state.audio, 0, format.data(), formatSize) != 0 ||
        AVIStreamWrite(state.audio, 0, count, sound.data(), readBytes, AVIIF_KEYFRAME, nullptr, nullptr) != 0)
        return 0;
    return count;
}

}  // namespace

BOOL WINAPI AddSoundStream(HAVIFILE aviFile, SoundFormat* format)
{
    AviLock state(aviFile, AVI_MODE_WRITE);
    if (!state || !format || !IsWritableWithoutSound(*state)) return FALSE;
    SoundFormat stream = *format;
    if (!CompleteSoundFormat(stream)) return FALSE;

    AVISTREAMINFOA info{};
    info.fccType = streamtypeAUDIO;
    info.dwScale = stream.blockAlign;
    info.dwRate = stream.samplesPerSec * stream.blockAlign;
    info.dwSampleSize = stream.blockAlign;
    info.dwQuality = static_cast<DWORD>(-1);
    WAVEFORMATEX wave{};
    wave.wFormatTag = WAVE_FORMAT_PCM;
    wave.nChannels = stream.channels;
    wave.nSamplesPerSec = stream.samplesPerSec;
    wave.nAvgBytesPerSec = stream.samplesPerSec * stream.blockAlign;
    wave.nBlockAlign = stream.blockAlign;
    wave.wBitsPerSample = stream.bitsPerSample;

    if (AVIFileCreateStream(state->file, &state->audio, &info) != 0) return FALSE;
    if (AVIStreamSetFormat(state->audio, 0, &wave, sizeof wave) != 0 ||
        !EnsureAudioBuffer(*state, TwoFramesOfBytes(stream))) {
        ReleaseAvi(state->audio);
        return FALSE;
    }
    state->audioFormat = stream;
    state->samplesWritten = 0;
    state->audioFramesWritten = 0;
    format->blockAlign = stream.blockAlign;
    format->samplesPerFrame = stream.samplesPerFrame;
    return TRUE;
}

LONG WINAPI GetSoundSamplesRequired(HAVIFILE aviFile, const SoundFormat* format)
{
    AviLock state(aviFile, AVI_MODE_WRITE);
    if (!state || !state->audio) return 0;
    int64_t required = SamplesForNextFrame(*state);
    if (!format || format->samplesPerSec == state->audioFormat.samplesPerSec) return static_cast<LONG>(required);
    if (format->samplesPerSec == 0) return 0;
    // Counted in the caller's rate: halved (rounding up) for each halving of
    // the stream's rate, doubled for each doubling, as AddSoundSamples converts.
    uint64_t rate = state->audioFormat.samplesPerSec;
    for (; format->samplesPerSec < rate; rate /= 2) required = (required + 1) / 2;
    for (; format->samplesPerSec > rate && required < INT_MAX / 2; rate *= 2) required *= 2;
    return static_cast<LONG>(required);
}

BOOL WINAPI AddSoundSamples(HAVIFILE aviFile, LONG count, const void* samples, const SoundFormat* format)
{
    AviLock state(aviFile, AVI_MODE_WRITE);
    if (!state || !state->audio || count < 0 || (count > 0 && (!samples || !format))) return FALSE;
    const SoundFormat& stream = state->audioFormat;
    // A frame of silence needs no source format.
    SoundFormat source = format ? *format : stream;
    if (source.framesPerSec == 0) source.framesPerSec = 1;  // the video's rate plays no part in converting
    if (!CompleteSoundFormat(source)) return FALSE;
    const LONG converted = ConvertedCount(count, source, stream);
    if (converted < 0) return FALSE;
    const LONG required = SamplesForNextFrame(*state);
    const LONG total = converted > required ? converted : required;
    if (total == 0) {
        // Below one sample per frame some frames get none.
        ++state->audioFramesWritten;
        return TRUE;
    }
    if (!EnsureAudioBuffer(*state, static_cast<DWORD>(total) * stream.blockAlign)) return FALSE;

    BYTE* buffer = static_cast<BYTE*>(GlobalLock(state->audioBuffer));
    if (!buffer) return FALSE;
    ConvertSamples(static_cast<const BYTE*>(samples), count, source, stream, buffer);
    FillWithSilence(buffer + static_cast<size_t>(converted) * stream.blockAlign, total - converted, stream);
    const bool written = AppendSamples(*state, buffer, total);
    GlobalUnlock(state->audioBuffer);
    if (!written) return FALSE;
    state->samplesWritten += static_cast<uint32_t>(total);
    ++state->audioFramesWritten;
    return TRUE;
}

BOOL WINAPI MergeSoundFile(HAVIFILE aviFile, LPCSTR soundPath, LONG videoFrames, int framesPerSec)
{
    AviLock state(aviFile, AVI_MODE_WRITE);
    if (!state || !soundPath || !IsWritableWithoutSound(*state) || videoFrames <= 0 || framesPerSec <= 0)
        return FALSE;
    PAVIFILE soundFile = nullptr;
    PAVISTREAM source = nullptr;
    AVIFileInit();
    const LONG merged = OpenFirstAudioStream(soundPath, soundFile, source)
                            ? CopySoundStream(*state, source, videoFrames, framesPerSec)
                            : 0;
    ReleaseAvi(source);
    ReleaseAvi(soundFile);
    AVIFileExit();
    if (merged <= 0) return FALSE;
    state->samplesWritten = static_cast<uint32_t>(merged);
    return TRUE;
}
