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

// The largest uncompressed frame read straight from a stream.
constexpr uint64_t MAX_PLAIN_FRAME_BYTES = 256u << 20;

// The bytes of an uncompressed frame's header and colour table, and of its
// rows; false for a format that is not such a frame.
bool PlainFrameSizes(const BITMAPINFOHEADER& h, LONG formatSize, uint32_t* headerBytes, uint32_t* rowBytes)
{
    if (h.biCompression != BI_RGB || h.biSize < sizeof h || h.biSize > static_cast<DWORD>(formatSize)) return false;
    const WORD bits = h.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    if (h.biWidth < 1 || h.biHeight == 0 || h.biHeight < -32767 || h.biHeight > 32767 || h.biWidth > 32767) return false;
    const uint64_t colors = h.biClrUsed ? h.biClrUsed : bits <= 8 ? 1u << bits : 0;
    if (colors > 256) return false;
    const uint64_t stride = (uint64_t(h.biWidth) * bits + 31) / 32 * 4;
    const uint64_t rows = stride * uint64_t(h.biHeight < 0 ? -int64_t(h.biHeight) : h.biHeight);
    if (rows > MAX_PLAIN_FRAME_BYTES) return false;
    *headerBytes = h.biSize + static_cast<uint32_t>(colors) * sizeof(RGBQUAD);
    *rowBytes = static_cast<uint32_t>(rows);
    return true;
}

// The state's frame block, at least `bytes` long; null when there is no memory.
BYTE* PlainFrameBlock(AviFileState& state, uint32_t bytes)
{
    if (state.plainFrame && state.plainFrameBytes >= bytes) return static_cast<BYTE*>(state.plainFrame);
    if (state.plainFrame) GlobalFree(state.plainFrame);
    state.plainFrame = GlobalAlloc(GMEM_FIXED, bytes);
    state.plainFrameBytes = state.plainFrame ? bytes : 0;
    return static_cast<BYTE*>(state.plainFrame);
}

enum class PlainRead { NotPlain, Failed, Done };

// An uncompressed frame read straight from the stream into the state's block
// as a packed DIB: header and colour table from the frame's format, then its
// rows. Wine's frame reader hands out an earlier frame after a jump in such a
// stream, so it is left to compressed streams.
PlainRead ReadPlainFrame(AviFileState& state, LONG frame, LPBITMAPINFOHEADER* dib)
{
    // Only a frame the index holds with data: a header may claim more frames
    // than the file has, and reading past the index aborts Wine's reader.
    if (AVIStreamFindSample(state.video, frame, FIND_ANY | FIND_NEXT) != frame) return PlainRead::NotPlain;
    LONG formatSize = 0;
    if (AVIStreamFormatSize(state.video, frame, &formatSize) != 0 || formatSize < LONG(sizeof(BITMAPINFOHEADER)) ||
        formatSize > 65536)
        return PlainRead::NotPlain;
    std::vector<BYTE> format(formatSize);
    if (AVIStreamReadFormat(state.video, frame, format.data(), &formatSize) != 0 ||
        formatSize < LONG(sizeof(BITMAPINFOHEADER)))
        return PlainRead::NotPlain;
    BITMAPINFOHEADER header;
    std::memcpy(&header, format.data(), sizeof header);
    uint32_t headerBytes = 0, rowBytes = 0;
    if (!PlainFrameSizes(header, formatSize, &headerBytes, &rowBytes)) return PlainRead::NotPlain;
    BYTE* block = PlainFrameBlock(state, headerBytes + rowBytes);
    if (!block) return PlainRead::Failed;
    // A colour table shorter in the stream than the header says ends in black.
    std::memset(block, 0, headerBytes);
    std::memcpy(block, format.data(), headerBytes < DWORD(formatSize) ? headerBytes : DWORD(formatSize));
    LONG bytesRead = 0;
    if (AVIStreamRead(state.video, frame, 1, block + headerBytes, static_cast<LONG>(rowBytes), &bytesRead, nullptr) != 0 ||
        bytesRead < static_cast<LONG>(rowBytes))
        return PlainRead::NotPlain;  // a short or empty chunk: the frame reader knows what it repeats
    auto* result = reinterpret_cast<LPBITMAPINFOHEADER>(block);
    result->biSizeImage = rowBytes;
    *dib = result;
    return PlainRead::Done;
}

// The frame as a packed DIB owned by the wrapper; null outside the stream or
// for a frame that cannot be read.
LPBITMAPINFOHEADER FrameOf(AviFileState& state, LONG frame)
{
    const LONG start = AVIStreamStart(state.video);
    if (frame < start || frame - start >= AVIStreamLength(state.video)) return nullptr;
    LPBITMAPINFOHEADER dib = nullptr;
    switch (ReadPlainFrame(state, frame, &dib)) {
    case PlainRead::Done: return dib;
    case PlainRead::Failed: return nullptr;
    case PlainRead::NotPlain: break;
    }
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
