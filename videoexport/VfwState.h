// The records behind the wrapper's handles, and the lock that every export
// takes on them. Private to ZelvoVfw32: callers see only the handles.
#pragma once
#include "ZelvoVfw32.h"
#include <vfw.h>

// AviFileState::mode.
constexpr int16_t AVI_MODE_READ = 0;
constexpr int16_t AVI_MODE_WRITE = 1;
// The platform objects were released after a failed stream set-up; only
// CloseAviFile still accepts the handle (it frees the block).
constexpr int16_t AVI_MODE_CLOSED = -1;

struct AviFileState {
    int16_t mode;
    PAVIFILE file;
    PAVISTREAM video;
    PAVISTREAM compressed;      // writing with compression
    PGETFRAME frameReader;      // reading
    HDRAWDIB drawDib;           // reading
    AVIFILEINFOA fileInfo;
    AVISTREAMINFOA videoInfo;
    AVICOMPRESSOPTIONS compressOptions;
    PAVISTREAM audio;
    SoundFormat audioFormat;
    uint32_t audioBufferSize;   // bytes
    HGLOBAL audioBuffer;
    uint32_t samplesWritten;
    uint32_t audioFramesWritten;
    char path[MAX_PATH];        // of a created file, to mend its sound header (below)
    HGLOBAL plainFrame;         // reading: the last uncompressed frame handed out (fixed memory)
    uint32_t plainFrameBytes;
};

struct WaveFileState {
    PAVIFILE file;
    PAVISTREAM stream;
    uint32_t readPosition;      // samples from the stream's start
    SoundFormat format;
};

// What an AVI or wave handle's record must look like to be used: a known mode,
// an open stream with a sample size.
inline bool IsPlausible(const AviFileState& state)
{
    return state.mode == AVI_MODE_READ || state.mode == AVI_MODE_WRITE || state.mode == AVI_MODE_CLOSED;
}
inline bool IsPlausible(const WaveFileState& state) { return state.stream && state.format.blockAlign; }

// Locks a handle's block for one call. A null or freed handle, a block of
// another size (the other kind of handle) or one whose record makes no sense
// gives no state.
template <typename State>
class StateLock {
public:
    explicit StateLock(HGLOBAL handle) : handle_(handle)
    {
        if (!handle) return;
        const SIZE_T size = GlobalSize(handle);
        // The heap may round a block up a little; a different record is far off.
        if (size < sizeof(State) || size >= sizeof(State) + 16) return;
        state_ = static_cast<State*>(GlobalLock(handle));
        if (state_ && !IsPlausible(*state_)) {
            GlobalUnlock(handle);
            state_ = nullptr;
        }
    }
    StateLock(const StateLock&) = delete;
    StateLock& operator=(const StateLock&) = delete;
    ~StateLock() { if (state_) GlobalUnlock(handle_); }
    State* operator->() const { return state_; }
    State& operator*() const { return *state_; }
    explicit operator bool() const { return state_ != nullptr; }

private:
    HGLOBAL handle_;
    State* state_ = nullptr;
};

// A locked AVI handle in the given mode, or no state.
class AviLock : public StateLock<AviFileState> {
public:
    AviLock(HAVIFILE handle, int16_t mode)
        : StateLock(handle), usable_(StateLock::operator bool() && (*this)->mode == mode) {}
    explicit operator bool() const { return usable_; }
private:
    bool usable_;
};

// A new handle holding a copy of the record; null when there is no memory.
template <typename State>
HGLOBAL NewStateHandle(const State& state)
{
    HGLOBAL block = GlobalAlloc(GHND, sizeof(State));
    if (!block) return nullptr;
    void* p = GlobalLock(block);
    if (!p) {
        GlobalFree(block);
        return nullptr;
    }
    *static_cast<State*>(p) = state;
    GlobalUnlock(block);
    return block;
}

// Releases a handle's platform objects with `release` and frees its block;
// false for a handle that is not of this kind.
template <typename State>
BOOL CloseStateHandle(HGLOBAL handle, void (*release)(State&))
{
    {
        StateLock<State> state(handle);
        if (!state) return FALSE;
        release(*state);
    }
    GlobalFree(handle);
    return TRUE;
}

// Releases an AVIFile interface and forgets it.
inline void ReleaseAvi(PAVISTREAM& stream)
{
    if (stream) AVIStreamRelease(stream);
    stream = nullptr;
}
inline void ReleaseAvi(PAVIFILE& file)
{
    if (file) AVIFileRelease(file);
    file = nullptr;
}

// Releases every platform object of an AVI handle and ends its use of the
// AVIFile library; the block itself stays. The mode becomes AVI_MODE_CLOSED.
void ReleaseAviObjects(AviFileState& state);

// Opens a file's first audio stream; the file stays open with it.
bool OpenFirstAudioStream(LPCSTR path, PAVIFILE& file, PAVISTREAM& stream);

// Some AVIFile implementations (Wine's) count a sound stream's length in
// writes, not in samples, and store that count in the stream header, so that
// readers see a sound cut short. True when the open sound stream's count
// differs from the samples written.
bool SoundLengthNeedsMending(const AviFileState& state);
// Writes the samples written into the closed file's sound stream header.
void MendSoundLength(const char* path, uint32_t samples);

// Bytes of two video frames' worth of samples: the size of a buffer that one
// frame's samples always fit.
DWORD TwoFramesOfBytes(const SoundFormat& format);

// Fills blockAlign and samplesPerFrame from the other fields; false for a
// format the wrapper cannot convert (channels 1..2, 8 or 16 bits, rates above 0).
bool CompleteSoundFormat(SoundFormat& format);
