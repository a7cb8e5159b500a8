// Test helpers for the Video-for-Windows wrapper: the library loaded and bound
// by name as the image library does it, test frames, wave files written byte
// by byte, and a small RIFF reader to look at what was stored.
#pragma once
#include "ZelvoVfw32.h"
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

// ZelvoVfw32.dll from the test program's folder with every export bound by
// name; a missing export leaves its pointer null (and fails the test).
struct VfwLibrary {
    HMODULE module = nullptr;
    OpenAviFileProc OpenAviFile = nullptr;
    CloseAviFileProc CloseAviFile = nullptr;
    GetAviFileInfoProc GetAviFileInfo = nullptr;
    GetAviFrameProc GetAviFrame = nullptr;
    DrawAviFrameProc DrawAviFrame = nullptr;
    CreateAviFileProc CreateAviFile = nullptr;
    ShowCompressOptionsDlgProc ShowCompressOptionsDlg = nullptr;
    SetVideoParametersProc SetVideoParameters = nullptr;
    InitAviStreamWriteProc InitAviStreamWrite = nullptr;
    WriteAviFrameProc WriteAviFrame = nullptr;
    MergeSoundFileProc MergeSoundFile = nullptr;
    AddSoundStreamProc AddSoundStream = nullptr;
    GetSoundSamplesRequiredProc GetSoundSamplesRequired = nullptr;
    AddSoundSamplesProc AddSoundSamples = nullptr;
    OpenWaveFileProc OpenWaveFile = nullptr;
    ReadWaveSamplesProc ReadWaveSamples = nullptr;
    CloseWaveFileProc CloseWaveFile = nullptr;
    bool complete = false;  // loaded with all 17 exports
};

// The library, loaded once per test program.
const VfwLibrary& Vfw();

// A test frame: a packed DIB's format (header and colour table) and its rows.
struct TestFrame {
    std::vector<BYTE> format;
    std::vector<BYTE> bits;
    const BITMAPINFOHEADER* Header() const { return reinterpret_cast<const BITMAPINFOHEADER*>(format.data()); }
    LONG FormatSize() const { return static_cast<LONG>(format.size()); }
};
TestFrame MakeTestFrame(int width, int height, int bitsPerPixel, uint32_t seed);

// Writes the frames as uncompressed video at `framesPerSec`, the way the
// video export does it (no header at creation, the parameters set after).
bool WriteUncompressedAvi(const std::string& path, const std::vector<TestFrame>& frames, int framesPerSec);

// In the system's compressor chooser: picks the compressor whose name holds
// `name` and presses OK (posted, so the chooser's own loop runs them); Cancel
// when there is none.
void ChooseCompressorIn(HWND chooser, const char* name);

// Compares a frame handed out by the wrapper with a test frame: size, depth,
// colour table and rows. Gives "" when they match, else what differs.
std::string CompareFrame(const BITMAPINFOHEADER* got, const TestFrame& expected);

// A PCM wave file written byte by byte.
std::vector<uint8_t> WaveFileBytes(int channels, int bitsPerSample, int samplesPerSec,
                                   const std::vector<uint8_t>& sampleBytes);

// One chunk of a RIFF file: its id and where its data lies.
struct RiffChunk {
    std::string id;    // the list type for "LIST" chunks
    size_t offset;     // of the data (after the list type for lists)
    size_t size;
};
// Every chunk of the file in order, lists entered.
std::vector<RiffChunk> RiffChunks(const std::vector<uint8_t>& file);
// The data of the n-th chunk with this id, or empty.
std::vector<uint8_t> RiffChunkData(const std::vector<uint8_t>& file, const std::string& id, int index = 0);

// The sound data of an AVI file as stored: its "..wb" chunks in file order.
std::vector<uint8_t> AviSoundBytes(const std::vector<uint8_t>& file);

// Reads every sample frame of a file's first audio stream through the wrapper.
std::vector<uint8_t> ReadAllSamples(const std::string& path, SoundFormat* format = nullptr);
