// ZelvoVfw32: the Video-for-Windows wrapper library. It hides the AVIFile
// library, the video compression manager and DrawDib behind plain functions
// with movable-memory handles. The video export library links it through its
// import table; the image library loads it by file name and binds each export
// by name (the *Proc types below). BOOL results are 1 for success, 0 for
// failure; a null or foreign handle gives 0 or null.
#pragma once
#include <windows.h>
#include <cstdint>

// A movable block holding one open or created AVI file (AviFileState).
typedef HGLOBAL HAVIFILE;
// A movable block holding one wave reader (WaveFileState).
typedef HGLOBAL HWAVEFILE;

// Records passed by pointer between the libraries: their layout is part of
// the interface.
#pragma pack(push, 1)

// The format of a sound stream or of the samples handed to it.
struct SoundFormat {
    uint16_t channels;       // 1 or 2
    uint16_t bitsPerSample;  // 8 or 16
    uint32_t samplesPerSec;
    uint16_t framesPerSec;   // of the video the sound belongs to
    uint16_t blockAlign;     // bytes per sample frame
    double samplesPerFrame;  // samplesPerSec / framesPerSec
};
static_assert(sizeof(SoundFormat) == 20);

// One write of video frames: `count` frames from `bits` at frame index
// `position`, every frame a key frame. The image library passes the frame's
// name through `reserved`; the wrapper does not read it.
struct AviFrameWrite {
    int32_t position;
    int32_t count;
    void* bits;
    int32_t byteSize;
    void* reserved;
};
static_assert(sizeof(AviFrameWrite) == 3 * sizeof(int32_t) + 2 * sizeof(void*));

// What GetAviFileInfo reports about an opened file.
struct AviInfo {
    char fileType[64];
    int32_t frames;
    int32_t width;
    int32_t height;
    uint16_t framesPerSec;
};
static_assert(sizeof(AviInfo) == 78);

#pragma pack(pop)

#pragma pack(push, 2)
// The video stream's rate, buffer and frame size for CreateAviFile and
// SetVideoParameters.
struct VideoParameters {
    uint16_t framesPerSec;
    uint32_t bufferSize;   // suggested buffer: the byte size of one frame
    uint16_t width;
    uint16_t height;
    uint16_t trueColour;   // non-zero: more than 8 bits per pixel
};
static_assert(sizeof(VideoParameters) == 12);
#pragma pack(pop)

// SetVideoParameters mask bits.
constexpr UINT VIDEO_PARAM_RATE = 1;
constexpr UINT VIDEO_PARAM_FRAME = 2;
constexpr UINT VIDEO_PARAM_BUFFER = 4;

extern "C" {

// Reading.
HAVIFILE WINAPI OpenAviFile(LPCSTR path);
BOOL WINAPI CloseAviFile(HAVIFILE aviFile);
BOOL WINAPI GetAviFileInfo(HAVIFILE aviFile, AviInfo* info);
// The frame as a packed DIB owned by the wrapper, valid until the next call.
LPBITMAPINFOHEADER WINAPI GetAviFrame(HAVIFILE aviFile, LONG frame);
BOOL WINAPI DrawAviFrame(HAVIFILE aviFile, LONG frame, HDC dc, short x, short y, short width, short height,
                         BOOL halftone);

// Writing. After a failed InitAviStreamWrite the file is closed and the handle
// is good only for CloseAviFile.
HAVIFILE WINAPI CreateAviFile(LPCSTR path, const VideoParameters* parameters, const BITMAPINFOHEADER* format);
BOOL WINAPI ShowCompressOptionsDlg(HAVIFILE aviFile, HWND parent);
BOOL WINAPI SetVideoParameters(HAVIFILE aviFile, const VideoParameters* parameters, UINT mask);
BOOL WINAPI InitAviStreamWrite(HAVIFILE aviFile, const BITMAPINFOHEADER* format, LONG formatSize, BOOL compress);
BOOL WINAPI WriteAviFrame(HAVIFILE aviFile, const AviFrameWrite* frames);

// Sound in a created file.
BOOL WINAPI MergeSoundFile(HAVIFILE aviFile, LPCSTR soundPath, LONG videoFrames, int framesPerSec);
BOOL WINAPI AddSoundStream(HAVIFILE aviFile, SoundFormat* format);
LONG WINAPI GetSoundSamplesRequired(HAVIFILE aviFile, const SoundFormat* format);
BOOL WINAPI AddSoundSamples(HAVIFILE aviFile, LONG count, const void* samples, const SoundFormat* format);

// Reading the samples of a wave file (or of any file's first audio stream).
HWAVEFILE WINAPI OpenWaveFile(LPCSTR path, int framesPerSec, SoundFormat* format, DWORD* bufferSize);
LONG WINAPI ReadWaveSamples(HWAVEFILE waveFile, LONG count, BOOL loop, void* buffer, DWORD bufferSize);
BOOL WINAPI CloseWaveFile(HWAVEFILE waveFile);

}  // extern "C"

// Pointer types for binding the exports by name with GetProcAddress.
using OpenAviFileProc = decltype(&OpenAviFile);
using CloseAviFileProc = decltype(&CloseAviFile);
using GetAviFileInfoProc = decltype(&GetAviFileInfo);
using GetAviFrameProc = decltype(&GetAviFrame);
using DrawAviFrameProc = decltype(&DrawAviFrame);
using CreateAviFileProc = decltype(&CreateAviFile);
using ShowCompressOptionsDlgProc = decltype(&ShowCompressOptionsDlg);
using SetVideoParametersProc = decltype(&SetVideoParameters);
using InitAviStreamWriteProc = decltype(&InitAviStreamWrite);
using WriteAviFrameProc = decltype(&WriteAviFrame);
using MergeSoundFileProc = decltype(&MergeSoundFile);
using AddSoundStreamProc = decltype(&AddSoundStream);
using GetSoundSamplesRequiredProc = decltype(&GetSoundSamplesRequired);
using AddSoundSamplesProc = decltype(&AddSoundSamples);
using OpenWaveFileProc = decltype(&OpenWaveFile);
using ReadWaveSamplesProc = decltype(&ReadWaveSamples);
using CloseWaveFileProc = decltype(&CloseWaveFile);
