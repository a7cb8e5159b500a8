// Writes AVI files through the Video-for-Windows wrapper for the checks with
// an independent reader (avi_ffprobe.sh), and beside them the pixels and
// samples that the reader must find. Linked through the wrapper's import
// library, as the video export library links it.
//
//   VfwTool export-avi OUT.avi SOUND.wav VIDEO.raw AUDIO.raw
//     24-bit frames with a sound stream filled frame by frame from the wave
//     file, as the video export does it; VIDEO.raw holds the frames as
//     top-down BGR rows, AUDIO.raw the samples as stored.
//   VfwTool merge-avi OUT.avi SOUND.wav VIDEO.raw
//     8-bit frames of an odd width with the wave file merged; VIDEO.raw holds
//     the frames' rows as they must be stored (bottom-up, padded to 4 bytes).
#include "PackedDib.h"
#include "TestFiles.h"
#include "VfwTestSupport.h"
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The frame's pixels as top-down rows of blue, green and red.
std::vector<BYTE> TopDownPixels(const TestFrame& frame)
{
    const BITMAPINFOHEADER* h = frame.Header();
    const RGBQUAD* colors = reinterpret_cast<const RGBQUAD*>(frame.format.data() + h->biSize);
    const uint32_t stride = DibStride(h->biWidth, h->biBitCount);
    std::vector<BYTE> out;
    for (int y = h->biHeight - 1; y >= 0; --y) {
        const BYTE* row = frame.bits.data() + y * stride;
        for (int x = 0; x < h->biWidth; ++x) {
            BYTE b, g, r;
            if (h->biBitCount == 24) {
                b = row[x * 3], g = row[x * 3 + 1], r = row[x * 3 + 2];
            } else {
                const RGBQUAD& c = colors[row[x]];
                b = c.rgbBlue, g = c.rgbGreen, r = c.rgbRed;
            }
            out.insert(out.end(), {b, g, r});
        }
    }
    return out;
}

bool WriteFrame(HAVIFILE avi, const TestFrame& frame, int position)
{
    AviFrameWrite write{position, 1, const_cast<BYTE*>(frame.bits.data()), static_cast<int32_t>(frame.bits.size()),
                        nullptr};
    return WriteAviFrame(avi, &write) != FALSE;
}

int Fail(const char* what)
{
    fprintf(stderr, "VfwTool: %s\n", what);
    return 1;
}

int ExportAvi(const char* aviPath, const char* wavePath, const char* videoPath, const char* audioPath)
{
    constexpr int FRAMES = 8, RATE = 8, WIDTH = 40, HEIGHT = 30;
    std::vector<TestFrame> frames;
    for (int i = 0; i < FRAMES; ++i) frames.push_back(MakeTestFrame(WIDTH, HEIGHT, 24, 50 + i));

    VideoParameters parameters{};
    parameters.trueColour = 1;
    HAVIFILE avi = CreateAviFile(aviPath, &parameters, nullptr);
    if (!avi) return Fail("cannot create the AVI file");
    parameters = {RATE, static_cast<uint32_t>(frames[0].bits.size()), WIDTH, HEIGHT, 1};
    SoundFormat waveFormat{};
    DWORD waveBufferSize = 0;
    HWAVEFILE wave = OpenWaveFile(wavePath, RATE, &waveFormat, &waveBufferSize);
    SoundFormat stream{waveFormat.channels, waveFormat.bitsPerSample, waveFormat.samplesPerSec, RATE, 0, 0};
    if (!wave || !SetVideoParameters(avi, &parameters, VIDEO_PARAM_RATE | VIDEO_PARAM_FRAME | VIDEO_PARAM_BUFFER) ||
        !InitAviStreamWrite(avi, frames[0].Header(), frames[0].FormatSize(), FALSE) ||
        !AddSoundStream(avi, &stream))
        return Fail("cannot set up the streams");

    std::vector<BYTE> video, audio, buffer(waveBufferSize);
    for (int i = 0; i < FRAMES; ++i) {
        if (!WriteFrame(avi, frames[i], i)) return Fail("cannot write a frame");
        const std::vector<BYTE> pixels = TopDownPixels(frames[i]);
        video.insert(video.end(), pixels.begin(), pixels.end());
        const LONG required = GetSoundSamplesRequired(avi, &waveFormat);
        const LONG read = ReadWaveSamples(wave, required, FALSE, buffer.data(), waveBufferSize);
        if (!AddSoundSamples(avi, read, buffer.data(), &waveFormat)) return Fail("cannot write samples");
        audio.insert(audio.end(), buffer.begin(), buffer.begin() + read * waveFormat.blockAlign);
        audio.insert(audio.end(), static_cast<size_t>(required - read) * waveFormat.blockAlign,
                     waveFormat.bitsPerSample == 8 ? 0x80 : 0);
    }
    CloseWaveFile(wave);
    if (!CloseAviFile(avi)) return Fail("cannot close the AVI file");
    return WriteWholeFile(videoPath, video) && WriteWholeFile(audioPath, audio) ? 0 : Fail("cannot write the expectations");
}

int MergeAvi(const char* aviPath, const char* wavePath, const char* videoPath)
{
    constexpr int FRAMES = 6, RATE = 5, WIDTH = 33, HEIGHT = 20;
    std::vector<TestFrame> frames;
    for (int i = 0; i < FRAMES; ++i) frames.push_back(MakeTestFrame(WIDTH, HEIGHT, 8, 70 + i));
    VideoParameters parameters{RATE, static_cast<uint32_t>(frames[0].bits.size()), 0, 0, 0};
    HAVIFILE avi = CreateAviFile(aviPath, &parameters, frames[0].Header());
    if (!avi) return Fail("cannot create the AVI file");
    // The sound goes in before the frames: Wine's AVIFile adds no stream to a
    // file that holds data already.
    if (!InitAviStreamWrite(avi, frames[0].Header(), frames[0].FormatSize(), FALSE) ||
        !MergeSoundFile(avi, wavePath, FRAMES, RATE))
        return Fail("cannot set up the streams");
    std::vector<BYTE> video;
    for (int i = 0; i < FRAMES; ++i) {
        if (!WriteFrame(avi, frames[i], i)) return Fail("cannot write a frame");
        video.insert(video.end(), frames[i].bits.begin(), frames[i].bits.end());
    }
    if (!CloseAviFile(avi)) return Fail("cannot close the AVI file");
    return WriteWholeFile(videoPath, video) ? 0 : Fail("cannot write the expectations");
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "export-avi" && argc == 6) return ExportAvi(argv[2], argv[3], argv[4], argv[5]);
    if (command == "merge-avi" && argc == 5) return MergeAvi(argv[2], argv[3], argv[4]);
    fprintf(stderr, "usage: VfwTool export-avi OUT.avi SOUND.wav VIDEO.raw AUDIO.raw | merge-avi OUT.avi SOUND.wav VIDEO.raw\n");
    return 2;
}
