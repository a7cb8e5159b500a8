// The export window's hook: sets up the AVI file from the engine's picture,
// stores a frame and the sound of every step on WM_TIMER, and at WM_DESTROY
// closes everything and tells the caller how the export ended.
#include "AnimationContext.h"
#include "ExportLibrary.h"
#include "MciSeam.h"
#include "PackedDib.h"
#include <cstring>

namespace {

constexpr int HOOK_DEFAULT = 0;  // the engine handles the message
constexpr int HOOK_HANDLED = 1;

// The format block: the frame's header, room for a full colour table, then
// the rows of one frame (read as 16-bit rows when converting).
constexpr size_t FORMAT_COLORS_OFFSET = sizeof(BITMAPINFOHEADER);
constexpr size_t FORMAT_BITS_OFFSET = FORMAT_COLORS_OFFSET + 256 * sizeof(RGBQUAD);

uint16_t g_colorCache[COLOR_CACHE_ENTRIES];

const FrameWriterSeam wrapperWriter = {WriteAviFrame};
const FrameWriterSeam* frameWriter = &wrapperWriter;

struct FrameLayout {
    BITMAPINFOHEADER* header;
    RGBQUAD* colors;
    BYTE* bits;
};

FrameLayout LayoutOf(BYTE* block)
{
    return {reinterpret_cast<BITMAPINFOHEADER*>(block), reinterpret_cast<RGBQUAD*>(block + FORMAT_COLORS_OFFSET),
            block + FORMAT_BITS_OFFSET};
}

uint32_t FrameBytes(const BITMAPINFOHEADER& h) { return DibStride(h.biWidth, h.biBitCount) * h.biHeight; }

// The depth of the stored frames for a picture of `pictureBits`: 1- to 3-bit
// pictures are stored with 8 bits, 4 and 8 bits as they are, true colour as
// it is when asked to, else reduced to 8 bits.
int OutputBits(int pictureBits, bool keepDepth, bool* convert)
{
    *convert = false;
    if (pictureBits <= 3) return 8;
    if (pictureBits <= 8 || keepDepth) return pictureBits;
    *convert = true;
    return 8;
}

// Selects the animation's palette into the memory DC for the length of a read.
class PaletteInDc {
public:
    PaletteInDc(HDC dc, HPALETTE palette) : dc_(dc), old_(palette ? SelectPalette(dc, palette, FALSE) : nullptr)
    {
        if (old_) RealizePalette(dc);
    }
    ~PaletteInDc() { if (old_) SelectPalette(dc_, old_, FALSE); }
    PaletteInDc(const PaletteInDc&) = delete;
    PaletteInDc& operator=(const PaletteInDc&) = delete;
private:
    HDC dc_;
    HPALETTE old_;
};

HPALETTE AnimationPalette() { return reinterpret_cast<HPALETTE>(GetAnimInfo(g_export.animation, ANIM_INFO_PALETTE)); }

// Makes the frame format from the picture and the palette. 0, or the string
// of the message to show.
UINT MakeFrameFormat(HBITMAP picture)
{
    BITMAP b{};
    if (!picture || !GetObject(picture, sizeof b, &b)) return IDS_OUT_OF_MEMORY;
    const LONG_PTR size = GetAnimInfo(g_export.animation, ANIM_INFO_SIZE);
    const int width = LOWORD(size), height = HIWORD(size);
    if (width <= 0 || height <= 0) return IDS_UNKNOWN_ERROR;
    const int outBits = OutputBits(b.bmBitsPixel * b.bmPlanes, (g_export.options.flags & AVI_EXPORT_KEEP_DEPTH) != 0,
                                   &g_export.convert);
    const uint32_t rowsBytes = DibStride(width, g_export.convert ? 16 : outBits) * height;
    g_export.format = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, FORMAT_BITS_OFFSET + rowsBytes);
    if (!g_export.format) return IDS_OUT_OF_MEMORY;
    GlobalLockGuard<BYTE> block(g_export.format);
    FrameLayout f = LayoutOf(block.get());
    *f.header = {sizeof(BITMAPINFOHEADER), width, height, 1, static_cast<WORD>(outBits), BI_RGB, 0, 0, 0, 0, 0};
    f.header->biSizeImage = FrameBytes(*f.header);
    if (outBits > 8) return 0;
    f.header->biClrUsed = 1u << outBits;
    if (g_export.convert) {
        // The colours the engine's own palette pictures are made of.
        ContextLock c(g_export.animation);
        FillDibSectionColors(c.get(), 8, f.colors);
        ClearColorCache(g_colorCache);
        return 0;
    }
    // The picture's own colour table at the frame depth.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info{*f.header, {}};
    PaletteInDc palette(g_export.memoryDC, AnimationPalette());
    GetDIBits(g_export.memoryDC, picture, 0, height, nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    memcpy(f.colors, info.colors, f.header->biClrUsed * sizeof(RGBQUAD));
    return 0;
}

// Opens the AVI file (the one the options dialog made, else a new one) and
// its streams. 0, or the string of the message to show.
UINT OpenAviStreams()
{
    const AviExportOptions& o = g_export.options;
    GlobalLockGuard<BYTE> block(g_export.format);
    const FrameLayout f = LayoutOf(block.get());
    const bool createdHere = !o.aviFile;
    VideoParameters parameters{};
    parameters.trueColour = (o.flags & AVI_EXPORT_KEEP_DEPTH) != 0;
    g_export.aviFile = o.aviFile ? o.aviFile : CreateAviFile(g_export.aviPath, &parameters, nullptr);
    if (!g_export.aviFile) return IDS_CREATE_ERROR;
    parameters = {static_cast<uint16_t>(o.framesPerSec), FrameBytes(*f.header), static_cast<uint16_t>(f.header->biWidth),
                  static_cast<uint16_t>(f.header->biHeight), static_cast<uint16_t>(f.header->biBitCount > 8)};
    bool ok = SetVideoParameters(g_export.aviFile, &parameters, VIDEO_PARAM_RATE | VIDEO_PARAM_FRAME | VIDEO_PARAM_BUFFER) &&
              InitAviStreamWrite(g_export.aviFile, f.header,
                                 static_cast<LONG>(f.header->biSize + f.header->biClrUsed * sizeof(RGBQUAD)), TRUE);
    if (ok && (o.flags & AVI_EXPORT_SOUND)) {
        SoundFormat& s = g_export.streamFormat;
        s = {};
        s.channels = (o.flags & AVI_EXPORT_STEREO) ? 2 : 1;
        s.bitsPerSample = (o.flags & AVI_EXPORT_16BIT) ? 16 : 8;
        s.samplesPerSec = o.samplesPerSec;
        s.framesPerSec = static_cast<uint16_t>(o.framesPerSec);
        ok = g_export.soundStream = AddSoundStream(g_export.aviFile, &s) != FALSE;
    }
    if (ok) return 0;
    // The file holds nothing usable: it goes.
    CloseAviFile(g_export.aviFile);
    g_export.aviFile = nullptr;
    DeleteFileA(createdHere || !o.aviPath ? g_export.aviPath : o.aviPath);
    return IDS_CREATE_ERROR;
}

void OnExportStart(HWND window, HANIM animation, const AviExportOptions* options)
{
    g_export.options = *options;
    ApplyOptionDefaults(&g_export.options);
    g_export.error = 0;
    g_export.stepCount = 0;
    g_export.stepsUntilStore = -1;
    g_export.stepsSinceStore = 0;
    g_export.lastPosition = -1;
    g_export.memoryDC = CreateCompatibleDC(nullptr);
    UINT failure = g_export.memoryDC ? MakeFrameFormat(GetAnimBitmap(animation)) : IDS_OUT_OF_MEMORY;
    if (!failure) failure = OpenAviStreams();
    if (!failure && !StartAnimation(animation, window)) failure = IDS_UNKNOWN_ERROR;
    if (!failure) return;
    ShowExportMessage(g_export.windowParams.parent, failure, g_export.aviPath, MB_ICONERROR);
    g_export.startFailure = failure;
    DestroyWindow(window);
}

// Stores the picture as the frame at `position`. 0, or an error code.
int StoreFrame(int position)
{
    HBITMAP picture = GetAnimBitmap(g_export.animation);
    BITMAP b{};
    if (!picture || !GetObject(picture, sizeof b, &b)) return EXPORT_ERROR_UNKNOWN;
    GlobalLockGuard<BYTE> block(g_export.format);
    const FrameLayout f = LayoutOf(block.get());
    const int width = f.header->biWidth, height = f.header->biHeight;
    // The picture lies in the bitmap's top rows; a bottom-up read counts from its bottom.
    const int lines = height < b.bmHeight ? height : b.bmHeight;
    const int firstLine = b.bmHeight - lines;
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info{*f.header, {}};
    if (g_export.convert) {
        info.header.biBitCount = 16;
        info.header.biClrUsed = 0;
    }
    info.header.biHeight = lines;
    BYTE* rows = f.bits + DibStride(width, info.header.biBitCount) * (height - lines);
    int read;
    {
        PaletteInDc palette(g_export.memoryDC, AnimationPalette());
        read = GetDIBits(g_export.memoryDC, picture, firstLine, lines, rows, reinterpret_cast<BITMAPINFO*>(&info),
                         DIB_RGB_COLORS);
    }
    if (read != lines) return EXPORT_ERROR_UNKNOWN;
    if (g_export.convert) ConvertRowsTo8Bit(f.bits, width, height, f.colors, 256, g_colorCache);
    AviFrameWrite write{position, 1, f.bits, static_cast<int32_t>(FrameBytes(*f.header)), nullptr};
    return frameWriter->writeFrame(g_export.aviFile, &write) ? 0 : EXPORT_ERROR_WRITE;
}

// Ends the export after this step: no further steps, the window closes.
void FinishExport(HWND window)
{
    g_export.finished = true;
    StopAnimation(g_export.animation, window);
    DestroyWindow(window);
}

void OnExportTimer(HWND window)
{
    if (g_export.finished || g_export.error) return;
    TickAnimation(g_export.animation, window);
    // The step pumps messages: the window may have been closed meanwhile.
    if (!g_export.active || g_export.window != window || g_export.finished) return;
    if (g_export.stepsUntilStore <= 0) {
        const int position = g_export.lastPosition < 0 ? 0 : g_export.lastPosition + g_export.options.saveEvery;
        if (const int error = StoreFrame(position)) {
            g_export.error = error;
            FinishExport(window);
            return;
        }
        g_export.lastPosition = position;
        g_export.stepsSinceStore = 0;
        g_export.stepsUntilStore = g_export.options.saveEvery - 1;
    } else {
        --g_export.stepsUntilStore;
        ++g_export.stepsSinceStore;
    }
    AddStepSound();
    ++g_export.stepCount;
    DrawExportProgress(window, ProgressPercent(g_export.stepCount, g_export.options.maxFrames));
    if (g_export.stepCount >= g_export.options.maxFrames) FinishExport(window);
}

// The window goes: the last picture, the files, the animation, the caller's
// window and folder, then the notification.
void OnExportDestroy(HWND window)
{
    g_export.finished = true;
    CurrentMciSeam().sndPlaySound(nullptr, 0);
    StopAnimation(g_export.animation, window);
    // The steps after the last stored frame still count: their picture is
    // stored once more where they end.
    if (!g_export.error && g_export.aviFile && g_export.lastPosition >= 0 && g_export.stepsSinceStore > 0)
        g_export.error = StoreFrame(g_export.lastPosition + g_export.stepsSinceStore);
    CloseStepSound();
    if (g_export.aviFile) CloseAviFile(g_export.aviFile);
    if (g_export.format) GlobalFree(g_export.format);
    DestroyAnimation(g_export.animation);
    SetAnimHandle(window, nullptr);
    if (g_export.savedFolder[0]) SetCurrentDirectoryA(g_export.savedFolder);
    const ExportWindowParams& params = g_export.windowParams;
    if (g_export.parentDisabled) {
        EnableWindow(params.parent, TRUE);
        BringWindowToTop(params.parent);
    }
    UINT result = g_export.startFailure ? g_export.startFailure : 1;
    if (g_export.error) {
        result = ExportErrorString(g_export.error);
        ShowExportMessage(params.parent, result, g_export.aviPath, MB_ICONERROR);
    }
    if (params.notifyMessage && params.parent)
        PostMessageA(params.parent, params.notifyMessage, reinterpret_cast<WPARAM>(ExportModule()), result);
    if (g_export.memoryDC) DeleteDC(g_export.memoryDC);
    memset(&g_export, 0, sizeof g_export);
}

}  // namespace

void InstallFrameWriterSeam(const FrameWriterSeam* seam) { frameWriter = seam ? seam : &wrapperWriter; }

int CALLBACK ExportHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case AVI_EXPORT_START:
        // Once, from AnsToAvi: a second start would drop the first one's file.
        if (g_export.active && g_export.window == window && !g_export.memoryDC)
            OnExportStart(window, reinterpret_cast<HANIM>(wParam), reinterpret_cast<const AviExportOptions*>(lParam));
        return HOOK_HANDLED;
    case WM_TIMER:
        OnExportTimer(window);
        return HOOK_HANDLED;
    case ANIM_SOUND_REQUEST:
        // Every request is the export's: the engine's own playback never runs here.
        RecordSoundRequest(static_cast<UINT>(wParam), reinterpret_cast<const char*>(lParam));
        return HOOK_HANDLED;
    case WM_CLOSE:
        DestroyWindow(window);
        return HOOK_HANDLED;
    case WM_DESTROY:
        if (!g_export.active || g_export.window != window) return HOOK_DEFAULT;
        OnExportDestroy(window);
        return HOOK_HANDLED;
    }
    return HOOK_DEFAULT;
}

int ProgressPercent(int stepCount, int maxFrames)
{
    if (maxFrames <= 0) return 100;
    const int percent = static_cast<int>(static_cast<long long>(stepCount) * 100 / maxFrames);
    return percent > 100 ? 100 : percent;
}

void DrawExportProgress(HWND window, int percent)
{
    HDC dc = GetWindowDC(window);
    if (!dc) return;
    RECT client;
    GetClientRect(window, &client);
    const int button = GetSystemMetrics(SM_CXSIZE);
    const int left = button + GetSystemMetrics(SM_CXDLGFRAME);
    const int top = GetSystemMetrics(SM_CYDLGFRAME);
    const int height = GetSystemMetrics(SM_CYSIZE);
    const int width = client.right - 2 * button - 2;
    if (width > 0) {
        const int done = width * percent / 100;
        RECT doneRect{left, top, left + done, top + height};
        RECT restRect{left + done, top, left + width, top + height};
        FillRect(dc, &doneRect, GetSysColorBrush(COLOR_ACTIVECAPTION));
        FillRect(dc, &restRect, GetSysColorBrush(COLOR_INACTIVECAPTION));
    }
    char text[8];
    wsprintfA(text, "%d%%", percent);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_CAPTIONTEXT));
    RECT textRect{0, top, client.right, top + height};
    DrawTextA(dc, text, -1, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ReleaseDC(window, dc);
}
