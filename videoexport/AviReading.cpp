// Opening an AVI file for reading: its information, its frames as packed DIBs
// and drawing them with DrawDib.
#include "VfwState.h"
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

bool OpenForReading(AviFileState& state, LPCSTR path)
{
    if (AVIFileOpenA(&state.file, path, OF_READ | OF_SHARE_DENY_WRITE, nullptr) != 0) return false;
    if (AVIFileInfoA(state.file, &state.fileInfo, sizeof state.fileInfo) != 0) return false;
    if (AVIFileGetStream(state.file, &state.video, streamtypeVIDEO, 0) != 0) return false;
    if (AVIStreamInfoA(state.video, &state.videoInfo, sizeof state.videoInfo) != 0) return false;
    state.frameReader = AVIStreamGetFrameOpen(state.video, nullptr);
    if (!state.frameReader) return false;
    state.drawDib = DrawDibOpen();
    return state.drawDib != nullptr;
}

// The stored format of the first frame, when it is a bitmap header.
bool ReadFirstFrameFormat(PAVISTREAM video, BITMAPINFOHEADER& header)
{
    const LONG start = AVIStreamStart(video);
    LONG size = 0;
    if (AVIStreamFormatSize(video, start, &size) != 0 || size < static_cast<LONG>(sizeof header)) return false;
    std::vector<BYTE> format(size);
    if (AVIStreamReadFormat(video, start, format.data(), &size) != 0 || size < static_cast<LONG>(sizeof header))
        return false;
    std::memcpy(&header, format.data(), sizeof header);
    return true;
}

// The frame reader's packed DIB of one frame; null outside the stream.
LPBITMAPINFOHEADER FrameOf(const AviFileState& state, LONG frame)
{
    const LONG start = AVIStreamStart(state.video);
    if (frame < start || frame - start >= AVIStreamLength(state.video)) return nullptr;
    return static_cast<LPBITMAPINFOHEADER>(AVIStreamGetFrame(state.frameReader, frame));
}

// Where the pixels of a packed DIB start: after the header, the bit-field
// masks and the colour table.
const BYTE* PackedDibBits(const BITMAPINFOHEADER* header)
{
    DWORD colors = header->biClrUsed;
    if (colors == 0 && header->biBitCount <= 8) colors = 1u << header->biBitCount;
    if (header->biCompression == BI_BITFIELDS) colors += 3;
    return reinterpret_cast<const BYTE*>(header) + header->biSize + colors * sizeof(RGBQUAD);
}

}  // namespace

HAVIFILE WINAPI OpenAviFile(LPCSTR path)
{
    if (!path) return nullptr;
    AviFileState state{};
    state.mode = AVI_MODE_READ;
    AVIFileInit();
    HAVIFILE handle = OpenForReading(state, path) ? NewStateHandle(state) : nullptr;
    if (!handle) ReleaseAviObjects(state);
    return handle;
}

BOOL WINAPI GetAviFileInfo(HAVIFILE aviFile, AviInfo* info)
{
    AviLock state(aviFile, AVI_MODE_READ);
    if (!state || !info) return FALSE;
    std::memset(info, 0, sizeof *info);
    lstrcpynA(info->fileType, state->fileInfo.szFileType, sizeof info->fileType);
    info->frames = AVIStreamLength(state->video);
    info->width = static_cast<int32_t>(state->fileInfo.dwWidth);
    info->height = static_cast<int32_t>(state->fileInfo.dwHeight);
    BITMAPINFOHEADER first;
    if (ReadFirstFrameFormat(state->video, first)) {
        info->width = first.biWidth;
        info->height = std::abs(first.biHeight);
    }
    const AVISTREAMINFOA& video = state->videoInfo;
    info->framesPerSec = static_cast<uint16_t>(video.dwScale ? video.dwRate / video.dwScale : 0);
    return TRUE;
}

LPBITMAPINFOHEADER WINAPI GetAviFrame(HAVIFILE aviFile, LONG frame)
{
    AviLock state(aviFile, AVI_MODE_READ);
    if (!state) return nullptr;
    return FrameOf(*state, frame);
}

BOOL WINAPI DrawAviFrame(HAVIFILE aviFile, LONG frame, HDC dc, short x, short y, short width, short height,
                         BOOL halftone)
{
    AviLock state(aviFile, AVI_MODE_READ);
    if (!state || !dc) return FALSE;
    LPBITMAPINFOHEADER dib = FrameOf(*state, frame);
    if (!dib) return FALSE;
    void* bits = const_cast<BYTE*>(PackedDibBits(dib));
    return DrawDibDraw(state->drawDib, dc, x, y, width, height, dib, bits, 0, 0, -1, -1,
                       halftone ? DDF_HALFTONE : 0) ? TRUE : FALSE;
}
