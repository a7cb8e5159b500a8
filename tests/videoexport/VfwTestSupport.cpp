#include "VfwTestSupport.h"
#include "PackedDib.h"
#include "TestFiles.h"
#include <cstring>

namespace {

template <typename Proc>
void Bind(HMODULE module, Proc& proc, const char* name, bool& complete)
{
    proc = reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (!proc) complete = false;
}

VfwLibrary LoadVfwLibrary()
{
    VfwLibrary vfw;
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    folder.resize(folder.find_last_of('\\') + 1);
    vfw.module = LoadLibraryA((folder + "ZelvoVfw32.dll").c_str());
    if (!vfw.module) return vfw;
    vfw.complete = true;
#define BIND(name) Bind(vfw.module, vfw.name, #name, vfw.complete)
    BIND(OpenAviFile);
    BIND(CloseAviFile);
    BIND(GetAviFileInfo);
    BIND(GetAviFrame);
    BIND(DrawAviFrame);
    BIND(CreateAviFile);
    BIND(ShowCompressOptionsDlg);
    BIND(SetVideoParameters);
    BIND(InitAviStreamWrite);
    BIND(WriteAviFrame);
    BIND(MergeSoundFile);
    BIND(AddSoundStream);
    BIND(GetSoundSamplesRequired);
    BIND(AddSoundSamples);
    BIND(OpenWaveFile);
    BIND(ReadWaveSamples);
    BIND(CloseWaveFile);
#undef BIND
    return vfw;
}

void PutU16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

void PutId(std::vector<uint8_t>& out, const char* id)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(id[i]));
}

uint32_t GetU32(const std::vector<uint8_t>& in, size_t at)
{
    return in[at] | in[at + 1] << 8 | in[at + 2] << 16 | static_cast<uint32_t>(in[at + 3]) << 24;
}

void CollectChunks(const std::vector<uint8_t>& file, size_t begin, size_t end, std::vector<RiffChunk>& out)
{
    size_t at = begin;
    while (at + 8 <= end) {
        std::string id(reinterpret_cast<const char*>(&file[at]), 4);
        const size_t size = GetU32(file, at + 4);
        const size_t dataEnd = std::min(end, at + 8 + size);
        if ((id == "LIST" || id == "RIFF") && at + 12 <= dataEnd) {
            out.push_back({std::string(reinterpret_cast<const char*>(&file[at + 8]), 4), at + 12, dataEnd - at - 12});
            CollectChunks(file, at + 12, dataEnd, out);
        } else {
            out.push_back({id, at + 8, dataEnd - at - 8});
        }
        at += 8 + size + (size & 1);
    }
}

BOOL CALLBACK FindComboBox(HWND child, LPARAM found)
{
    char className[32] = "";
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "ComboBox") != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

}  // namespace

void ChooseCompressorIn(HWND chooser, const char* name)
{
    HWND combo = nullptr;
    EnumChildWindows(chooser, &FindComboBox, reinterpret_cast<LPARAM>(&combo));
    const int count = combo ? static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0)) : 0;
    for (int i = 0; i < count; ++i) {
        char text[128] = "";
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        if (!std::strstr(text, name)) continue;
        SendMessageA(combo, CB_SETCURSEL, i, 0);
        PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
        PostMessageA(chooser, WM_COMMAND, IDOK, 0);
        return;
    }
    PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
}

const VfwLibrary& Vfw()
{
    static const VfwLibrary vfw = LoadVfwLibrary();
    return vfw;
}

TestFrame MakeTestFrame(int width, int height, int bitsPerPixel, uint32_t seed)
{
    TestFrame frame;
    HGLOBAL dib = MakePatternDib(width, height, bitsPerPixel, FramePattern::Noise, seed);
    if (!dib) return frame;
    {
        GlobalLockGuard<BYTE> p(dib);
        BYTE* start = p.get();
        frame.format.assign(start, DibBits(p.get()));
    }
    frame.bits = DibRows(dib);
    GlobalFree(dib);
    return frame;
}

bool WriteUncompressedAvi(const std::string& path, const std::vector<TestFrame>& frames, int framesPerSec)
{
    const VfwLibrary& vfw = Vfw();
    const BITMAPINFOHEADER* header = frames.at(0).Header();
    VideoParameters parameters{};
    parameters.trueColour = header->biBitCount > 8;
    HAVIFILE avi = vfw.CreateAviFile(path.c_str(), &parameters, nullptr);
    if (!avi) return false;
    parameters.framesPerSec = static_cast<uint16_t>(framesPerSec);
    parameters.bufferSize = static_cast<uint32_t>(frames[0].bits.size());
    parameters.width = static_cast<uint16_t>(header->biWidth);
    parameters.height = static_cast<uint16_t>(header->biHeight);
    bool ok = vfw.SetVideoParameters(avi, &parameters, VIDEO_PARAM_RATE | VIDEO_PARAM_FRAME | VIDEO_PARAM_BUFFER) &&
              vfw.InitAviStreamWrite(avi, header, frames[0].FormatSize(), FALSE);
    for (size_t i = 0; ok && i < frames.size(); ++i) {
        AviFrameWrite write{static_cast<int32_t>(i), 1, const_cast<BYTE*>(frames[i].bits.data()),
                            static_cast<int32_t>(frames[i].bits.size()), nullptr};
        ok = vfw.WriteAviFrame(avi, &write);
    }
    return vfw.CloseAviFile(avi) && ok;
}

std::string CompareFrame(const BITMAPINFOHEADER* got, const TestFrame& expected)
{
    if (!got) return "no frame";
    const BITMAPINFOHEADER* want = expected.Header();
    if (got->biWidth != want->biWidth || got->biHeight != want->biHeight || got->biBitCount != want->biBitCount)
        return "frame is " + std::to_string(got->biWidth) + "x" + std::to_string(got->biHeight) + "x" +
               std::to_string(got->biBitCount);
    if (got->biCompression != BI_RGB) return "frame is compressed";
    const int wantColors = DibColorEntries(*want);
    const int gotColors = DibColorEntries(*got);
    if (gotColors < wantColors) return "colour table has " + std::to_string(gotColors) + " entries";
    const BYTE* gotBytes = reinterpret_cast<const BYTE*>(got);
    if (std::memcmp(gotBytes + got->biSize, expected.format.data() + want->biSize, wantColors * sizeof(RGBQUAD)) != 0)
        return "colour table differs";
    if (std::memcmp(gotBytes + got->biSize + gotColors * sizeof(RGBQUAD), expected.bits.data(), expected.bits.size()) != 0)
        return "pixels differ";
    return "";
}

std::vector<uint8_t> WaveFileBytes(int channels, int bitsPerSample, int samplesPerSec,
                                   const std::vector<uint8_t>& sampleBytes)
{
    const int blockAlign = channels * bitsPerSample / 8;
    std::vector<uint8_t> out;
    PutId(out, "RIFF");
    PutU32(out, static_cast<uint32_t>(4 + 8 + 16 + 8 + sampleBytes.size() + (sampleBytes.size() & 1)));
    PutId(out, "WAVE");
    PutId(out, "fmt ");
    PutU32(out, 16);
    PutU16(out, WAVE_FORMAT_PCM);
    PutU16(out, channels);
    PutU32(out, samplesPerSec);
    PutU32(out, samplesPerSec * blockAlign);
    PutU16(out, blockAlign);
    PutU16(out, bitsPerSample);
    PutId(out, "data");
    PutU32(out, static_cast<uint32_t>(sampleBytes.size()));
    out.insert(out.end(), sampleBytes.begin(), sampleBytes.end());
    if (sampleBytes.size() & 1) out.push_back(0);
    return out;
}

std::vector<RiffChunk> RiffChunks(const std::vector<uint8_t>& file)
{
    std::vector<RiffChunk> chunks;
    CollectChunks(file, 0, file.size(), chunks);
    return chunks;
}

std::vector<uint8_t> RiffChunkData(const std::vector<uint8_t>& file, const std::string& id, int index)
{
    for (const RiffChunk& chunk : RiffChunks(file))
        if (chunk.id == id && index-- == 0)
            return std::vector<uint8_t>(file.begin() + chunk.offset, file.begin() + chunk.offset + chunk.size);
    return {};
}

std::vector<uint8_t> AviSoundBytes(const std::vector<uint8_t>& file)
{
    std::vector<uint8_t> sound;
    for (const RiffChunk& chunk : RiffChunks(file))
        if (chunk.id.size() == 4 && chunk.id.compare(2, 2, "wb") == 0)
            sound.insert(sound.end(), file.begin() + chunk.offset, file.begin() + chunk.offset + chunk.size);
    return sound;
}

std::vector<uint8_t> ReadAllSamples(const std::string& path, SoundFormat* format)
{
    const VfwLibrary& vfw = Vfw();
    SoundFormat found{};
    DWORD bufferSize = 0;
    HWAVEFILE wave = vfw.OpenWaveFile(path.c_str(), 1, &found, &bufferSize);
    std::vector<uint8_t> all;
    if (!wave) return all;
    if (format) *format = found;
    std::vector<uint8_t> buffer(bufferSize);
    for (;;) {
        const LONG read = vfw.ReadWaveSamples(wave, static_cast<LONG>(bufferSize / found.blockAlign), FALSE,
                                              buffer.data(), bufferSize);
        if (read <= 0) break;
        all.insert(all.end(), buffer.begin(), buffer.begin() + read * found.blockAlign);
    }
    vfw.CloseWaveFile(wave);
    return all;
}
