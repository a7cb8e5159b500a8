#include "ExportTestSupport.h"
#include "DialogTestHooks.h"
#include "FakeMciDevices.h"
#include "PackedDib.h"
#include <cstring>

ExportLibrarySession::ExportLibrarySession() { started = StartExportLibrary(GetModuleHandleA(nullptr)); }

ExportLibrarySession::~ExportLibrarySession() { StopExportLibrary(); }

// ---- the parent -------------------------------------------------------------------

namespace {

const char PARENT_CLASS[] = "ExportTestParent";

}  // namespace

NotifiedParent::NotifiedParent()
{
    WNDCLASSA wc{};
    if (!GetClassInfoA(GetModuleHandleA(nullptr), PARENT_CLASS, &wc)) {
        wc.lpfnWndProc = Procedure;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = PARENT_CLASS;
        RegisterClassA(&wc);
    }
    hwnd = CreateWindowExA(0, PARENT_CLASS, "export owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 400, 300,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

NotifiedParent::~NotifiedParent()
{
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
}

LRESULT CALLBACK NotifiedParent::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == AVI_EXPORT_DONE) {
        if (auto* self = reinterpret_cast<NotifiedParent*>(GetWindowLongPtrA(window, GWLP_USERDATA)))
            self->notifications.push_back({wParam, lParam});
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// ---- records and runs -------------------------------------------------------------

AviExportOptions ExportOptions(int framesPerSec, int maxFrames, int saveEvery, uint32_t flags, int samplesPerSec,
                               int wavSounds)
{
    AviExportOptions o;
    memset(&o, 0, sizeof o);
    o.size = sizeof o;
    o.framesPerSec = static_cast<int16_t>(framesPerSec);
    o.maxFrames = static_cast<uint16_t>(maxFrames);
    o.saveEvery = static_cast<int16_t>(saveEvery);
    o.flags = flags;
    o.samplesPerSec = static_cast<uint16_t>(samplesPerSec);
    o.soundCount = static_cast<uint16_t>(wavSounds);
    o.wavSoundCount = static_cast<uint16_t>(wavSounds);
    return o;
}

ExportWindowParams ExportWindow(HWND parent)
{
    ExportWindowParams p;
    memset(&p, 0, sizeof p);
    p.size = sizeof p;
    p.parent = parent;
    p.style = AVI_EXPORT_WINDOW_STYLE;
    p.notifyMessage = AVI_EXPORT_DONE;
    p.disableParent = 1;
    return p;
}

ExportRun RunExport(NotifiedParent& parent, const std::string& animation, const std::string& avi,
                    AviExportOptions& options, const std::function<void()>& whileRunning)
{
    ExportRun run;
    const ExportWindowParams params = ExportWindow(parent.hwnd);
    const size_t before = parent.notifications.size();
    run.window = AnsToAvi(&params, animation.c_str(), avi.c_str(), &options);
    if (!run.window) return run;
    PumpUntil([&] {
        if (whileRunning && parent.notifications.size() == before) whileRunning();
        return parent.notifications.size() > before;
    }, 60000);
    if (parent.notifications.size() > before) {
        run.notified = true;
        run.module = parent.notifications.back().first;
        run.result = parent.notifications.back().second;
    }
    return run;
}

HAVIFILE CreateUncompressedAvi(const std::string& path, bool trueColour)
{
    VideoParameters parameters{};
    parameters.trueColour = trueColour;
    HAVIFILE avi = CreateAviFile(path.c_str(), &parameters, nullptr);
    if (!avi) return nullptr;
    DialogAutoAnswer answer([](HWND chooser) { ChooseCompressorIn(chooser, "Uncompressed"); });
    if (!ShowCompressOptionsDlg(avi, nullptr)) {
        CloseAviFile(avi);
        return nullptr;
    }
    return avi;
}

// ---- reading back -----------------------------------------------------------------

namespace {

Pixels PixelsOfDib(const BITMAPINFOHEADER* h)
{
    Pixels out;
    if (!h || h->biCompression != BI_RGB) return out;
    out.width = h->biWidth;
    out.height = h->biHeight;
    const int colors = DibColorEntries(*h);
    const auto* table = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(h) + h->biSize);
    const BYTE* bits = reinterpret_cast<const BYTE*>(table + (colors > 0 ? colors : 0));
    const uint32_t stride = DibStride(h->biWidth, h->biBitCount);
    for (int y = 0; y < h->biHeight; ++y) {
        const BYTE* row = bits + (h->biHeight - 1 - y) * stride;
        for (int x = 0; x < h->biWidth; ++x) {
            switch (h->biBitCount) {
            case 8: {
                const RGBQUAD& c = table[row[x]];
                out.values.push_back(RGB(c.rgbRed, c.rgbGreen, c.rgbBlue));
                break;
            }
            case 16: {
                const unsigned v = row[2 * x] | row[2 * x + 1] << 8;
                out.values.push_back(RGB(((v >> 10) & 31) << 3, ((v >> 5) & 31) << 3, (v & 31) << 3));
                break;
            }
            default: {
                const BYTE* p = row + x * (h->biBitCount / 8);
                out.values.push_back(RGB(p[2], p[1], p[0]));
            }
            }
        }
    }
    return out;
}

}  // namespace

StoredVideo ReadStoredVideo(const std::string& path)
{
    StoredVideo v;
    const std::vector<uint8_t> bytes = ReadWholeFile(path);
    const std::vector<uint8_t> format = RiffChunkData(bytes, "strf", 0);
    if (format.size() >= sizeof(BITMAPINFOHEADER)) {
        memcpy(&v.format, format.data(), sizeof v.format);
        const size_t colors = (format.size() - v.format.biSize) / sizeof(RGBQUAD);
        v.colors.resize(colors);
        if (colors) memcpy(v.colors.data(), format.data() + v.format.biSize, colors * sizeof(RGBQUAD));
    }
    const std::vector<uint8_t> wave = RiffChunkData(bytes, "strf", 1);
    if (wave.size() >= 16) {
        v.soundFormat.channels = static_cast<uint16_t>(wave[2] | wave[3] << 8);
        v.soundFormat.samplesPerSec = wave[4] | wave[5] << 8 | wave[6] << 16 | static_cast<uint32_t>(wave[7]) << 24;
        v.soundFormat.blockAlign = static_cast<uint16_t>(wave[12] | wave[13] << 8);
        v.soundFormat.bitsPerSample = static_cast<uint16_t>(wave[14] | wave[15] << 8);
    }
    for (const RiffChunk& chunk : RiffChunks(bytes))
        if (chunk.id == "00db" || chunk.id == "00dc") v.chunkSizes.push_back(chunk.size);
    v.sound = AviSoundBytes(bytes);

    HAVIFILE reader = OpenAviFile(path.c_str());
    if (!reader) return v;
    AviInfo info{};
    if (GetAviFileInfo(reader, &info)) {
        v.frames = info.frames;
        v.framesPerSec = info.framesPerSec;
        for (int i = 0; i < info.frames; ++i) v.pictures.push_back(PixelsOfDib(GetAviFrame(reader, i)));
    }
    CloseAviFile(reader);
    return v;
}

// ---- scenes -----------------------------------------------------------------------

void AddMovingObject(PlayScene& scene, int staticColor)
{
    const uint32_t value = static_cast<uint32_t>(StaticIndex(staticColor, 256));
    const int sequence = scene.AddSequence(8, 8, 1, 0x80, [value](int, int, int) { return value; });
    scene.AddObject(sequence, 2, 4).dx = 1;
}

std::string WriteScene(PlayScene& scene)
{
    const std::string path = scene.dir.File("export.ans");
    return scene.f.Write(path) == 1 ? path : std::string();
}
