// Creating an AVI file: the video stream's information and compression
// options, the compressor chooser, the stream set-up and the frame writes.
#include "VfwState.h"
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr DWORD HANDLER_MSVC = mmioFOURCC('M', 'S', 'V', 'C');
constexpr DWORD HANDLER_MRLE = mmioFOURCC('M', 'R', 'L', 'E');
constexpr LONG KILOBYTE = 1024;

void SetVideoInformation(AVISTREAMINFOA& info, const VideoParameters& parameters, const BITMAPINFOHEADER* format)
{
    info.fccType = streamtypeVIDEO;
    info.dwScale = 1;
    info.dwRate = parameters.framesPerSec;
    info.dwSuggestedBufferSize = parameters.bufferSize;
    if (format)
        SetRect(&info.rcFrame, 0, 0, format->biWidth, std::abs(format->biHeight));
    else
        SetRect(&info.rcFrame, 0, 0, parameters.width, parameters.height);
}

// True-colour frames go to the video-1 compressor, palette frames to
// run-length coding, each with its own key-frame spacing.
void SetDefaultCompression(AVICOMPRESSOPTIONS& options, bool videoOne)
{
    options.fccType = streamtypeVIDEO;
    options.dwFlags = AVICOMPRESSF_KEYFRAMES | AVICOMPRESSF_VALID;
    options.fccHandler = videoOne ? HANDLER_MSVC : HANDLER_MRLE;
    options.dwKeyFrameEvery = videoOne ? 7 : 15;
    options.dwQuality = 10000;
}

// The format as handed to a compressor: a palette format names its colour
// count, because a compressor given biClrUsed 0 may fail hard (some abort the
// process). Only colours actually present in the block are counted.
std::vector<BYTE> FormatForCompressor(const BITMAPINFOHEADER* format, LONG formatSize)
{
    std::vector<BYTE> copy(reinterpret_cast<const BYTE*>(format), reinterpret_cast<const BYTE*>(format) + formatSize);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(copy.data());
    if (header->biBitCount <= 8 && header->biClrUsed == 0) {
        const LONG present = (formatSize - static_cast<LONG>(header->biSize)) / static_cast<LONG>(sizeof(RGBQUAD));
        const LONG full = 1L << header->biBitCount;
        header->biClrUsed = static_cast<DWORD>(present < full ? (present > 0 ? present : 0) : full);
    }
    return copy;
}

bool SetUpVideoStream(AviFileState& state, const BITMAPINFOHEADER* format, LONG formatSize, bool compress)
{
    if (AVIFileCreateStream(state.file, &state.video, &state.videoInfo) != 0) return false;
    if (!compress) return AVIStreamSetFormat(state.video, 0, const_cast<BITMAPINFOHEADER*>(format), formatSize) == 0;
    if (AVIMakeCompressedStream(&state.compressed, state.video, &state.compressOptions, nullptr) != AVIERR_OK)
        return false;
    std::vector<BYTE> compressorFormat = FormatForCompressor(format, formatSize);
    return AVIStreamSetFormat(state.compressed, 0, compressorFormat.data(), formatSize) == 0;
}

bool IsUsableFormat(const BITMAPINFOHEADER* format, LONG formatSize)
{
    return format && formatSize >= static_cast<LONG>(sizeof(BITMAPINFOHEADER)) &&
           format->biSize >= sizeof(BITMAPINFOHEADER) && static_cast<LONG>(format->biSize) <= formatSize &&
           format->biWidth > 0 && format->biHeight != 0;
}

}  // namespace

HAVIFILE WINAPI CreateAviFile(LPCSTR path, const VideoParameters* parameters, const BITMAPINFOHEADER* format)
{
    if (!path || !parameters) return nullptr;
    AviFileState state{};
    state.mode = AVI_MODE_WRITE;
    AVIFileInit();
    HAVIFILE handle = nullptr;
    if (AVIFileOpenA(&state.file, path, OF_CREATE | OF_WRITE, nullptr) == 0) {
        SetVideoInformation(state.videoInfo, *parameters, format);
        SetDefaultCompression(state.compressOptions, format != nullptr || parameters->trueColour != 0);
        // The full path: the caller may change the current folder before closing.
        const DWORD length = GetFullPathNameA(path, sizeof state.path, state.path, nullptr);
        if (length == 0 || length >= sizeof state.path) lstrcpynA(state.path, path, sizeof state.path);
        handle = NewStateHandle(state);
    }
    if (!handle) ReleaseAviObjects(state);
    return handle;
}

BOOL WINAPI ShowCompressOptionsDlg(HAVIFILE aviFile, HWND parent)
{
    AVICOMPRESSOPTIONS options;
    {
        AviLock state(aviFile, AVI_MODE_WRITE);
        if (!state) return FALSE;
        options = state->compressOptions;
    }
    // The chooser is modal: the handle is not held locked while it runs.
    COMPVARS choice{};
    choice.cbSize = sizeof choice;
    choice.dwFlags = ICMF_COMPVARS_VALID;
    choice.fccType = ICTYPE_VIDEO;
    choice.fccHandler = options.fccHandler;
    choice.lQ = static_cast<LONG>(options.dwQuality);
    choice.lKey = static_cast<LONG>(options.dwKeyFrameEvery);
    choice.lDataRate = static_cast<LONG>(options.dwBytesPerSecond / KILOBYTE);
    const BOOL chosen = ICCompressorChoose(parent, ICMF_CHOOSE_KEYFRAME | ICMF_CHOOSE_DATARATE |
                                                       ICMF_CHOOSE_ALLCOMPRESSORS,
                                           nullptr, nullptr, &choice, nullptr);
    if (chosen) {
        AviLock state(aviFile, AVI_MODE_WRITE);
        if (state) {
            AVICOMPRESSOPTIONS& stored = state->compressOptions;
            stored.fccHandler = choice.fccHandler;
            stored.dwQuality = static_cast<DWORD>(choice.lQ);
            stored.dwKeyFrameEvery = static_cast<DWORD>(choice.lKey);
            // The chooser speaks of kilobytes per second, the stream options of bytes.
            stored.dwBytesPerSecond = static_cast<DWORD>(choice.lDataRate) * KILOBYTE;
            stored.dwFlags = AVICOMPRESSF_VALID;
            if (choice.lKey) stored.dwFlags |= AVICOMPRESSF_KEYFRAMES;
            if (choice.lDataRate) stored.dwFlags |= AVICOMPRESSF_DATARATE;
        }
    }
    ICCompressorFree(&choice);
    return chosen ? TRUE : FALSE;
}

BOOL WINAPI SetVideoParameters(HAVIFILE aviFile, const VideoParameters* parameters, UINT mask)
{
    AviLock state(aviFile, AVI_MODE_WRITE);
    if (!state || !parameters) return FALSE;
    AVISTREAMINFOA& info = state->videoInfo;
    if (mask & VIDEO_PARAM_RATE) info.dwRate = parameters->framesPerSec;
    if (mask & VIDEO_PARAM_FRAME) SetRect(&info.rcFrame, 0, 0, parameters->width, parameters->height);
    if (mask & VIDEO_PARAM_BUFFER) info.dwSuggestedBufferSize = parameters->bufferSize;
    return TRUE;
}

BOOL WINAPI InitAviStreamWrite(HAVIFILE aviFile, const BITMAPINFOHEADER* format, LONG formatSize, BOOL compress)
{
    AviLock state(aviFile, AVI_MODE_WRITE);
    if (!state || state->video || !IsUsableFormat(format, formatSize)) return FALSE;
    // A stream without a rate has no frame timing to write.
    if (state->videoInfo.dwRate == 0 || !SetUpVideoStream(*state, format, formatSize, compress != FALSE)) {
        ReleaseAviObjects(*state);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI WriteAviFrame(HAVIFILE aviFile, const AviFrameWrite* frames)
{
    AviLock state(aviFile, AVI_MODE_WRITE);
    if (!state || !frames || !frames->bits || frames->position < 0 || frames->count < 1 || frames->byteSize < 0)
        return FALSE;
    PAVISTREAM stream = state->compressed ? state->compressed : state->video;
    if (!stream) return FALSE;
    return AVIStreamWrite(stream, frames->position, frames->count, frames->bits, frames->byteSize, AVIIF_KEYFRAME,
                          nullptr, nullptr) == 0;
}
