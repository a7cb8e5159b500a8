// Loading and binding the Video-for-Windows wrapper for one AVI operation,
// and copying the frames it hands out.
#include "VfwWrapper.h"
#include "ConvLibrary.h"
#include "ConvResource.h"
#include "PackedDib.h"
#include <cstring>

VfwWrapper::~VfwWrapper()
{
    if (module_) FreeLibrary(module_);
}

bool VfwWrapper::Load(HWND owner)
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(ConvModule(), path, MAX_PATH);
    char* slash = length && length < MAX_PATH ? strrchr(path, '\\') : nullptr;
    if (slash && static_cast<size_t>(slash + 1 - path) + sizeof VFW_WRAPPER_FILE <= MAX_PATH) {
        strcpy(slash + 1, VFW_WRAPPER_FILE);
        const UINT previous = SetErrorMode(SEM_NOOPENFILEERRORBOX);
        module_ = LoadLibraryA(path);
        SetErrorMode(previous);
    }
    if (!module_ && owner) ShowConvMessage(owner, IDS_ERROR_CAPTION, IDS_NO_VIDEO_LIBRARY, MB_OK | MB_ICONSTOP);
    return module_ != nullptr;
}

HAVIFILE VfwWrapper::Open(const char* path) const
{
    auto f = Bind<OpenAviFileProc>("OpenAviFile");
    return f ? f(path) : nullptr;
}

BOOL VfwWrapper::Close(HAVIFILE avi) const
{
    auto f = Bind<CloseAviFileProc>("CloseAviFile");
    return f ? f(avi) : FALSE;
}

BOOL VfwWrapper::Info(HAVIFILE avi, AviInfo* info) const
{
    auto f = Bind<GetAviFileInfoProc>("GetAviFileInfo");
    return f ? f(avi, info) : FALSE;
}

LPBITMAPINFOHEADER VfwWrapper::Frame(HAVIFILE avi, LONG frame) const
{
    auto f = Bind<GetAviFrameProc>("GetAviFrame");
    return f ? f(avi, frame) : nullptr;
}

bool VfwWrapper::HasDrawFrame() const { return Bind<DrawAviFrameProc>("DrawAviFrame") != nullptr; }

BOOL VfwWrapper::DrawFrame(HAVIFILE avi, LONG frame, HDC dc, int x, int y, int width, int height) const
{
    auto f = Bind<DrawAviFrameProc>("DrawAviFrame");
    return f ? f(avi, frame, dc, static_cast<short>(x), static_cast<short>(y), static_cast<short>(width),
                 static_cast<short>(height), TRUE)
             : FALSE;
}

HAVIFILE VfwWrapper::Create(const char* path, const VideoParameters* parameters, const BITMAPINFOHEADER* format) const
{
    auto f = Bind<CreateAviFileProc>("CreateAviFile");
    return f ? f(path, parameters, format) : nullptr;
}

BOOL VfwWrapper::CompressOptions(HAVIFILE avi, HWND parent) const
{
    auto f = Bind<ShowCompressOptionsDlgProc>("ShowCompressOptionsDlg");
    return f ? f(avi, parent) : FALSE;
}

BOOL VfwWrapper::InitStream(HAVIFILE avi, const BITMAPINFOHEADER* format, LONG formatSize, BOOL compress) const
{
    auto f = Bind<InitAviStreamWriteProc>("InitAviStreamWrite");
    return f ? f(avi, format, formatSize, compress) : FALSE;
}

BOOL VfwWrapper::WriteFrame(HAVIFILE avi, const AviFrameWrite* frames) const
{
    auto f = Bind<WriteAviFrameProc>("WriteAviFrame");
    return f ? f(avi, frames) : FALSE;
}

BOOL VfwWrapper::MergeSound(HAVIFILE avi, const char* soundPath, LONG videoFrames, int framesPerSec) const
{
    auto f = Bind<MergeSoundFileProc>("MergeSoundFile");
    return f ? f(avi, soundPath, videoFrames, framesPerSec) : FALSE;
}

bool AviDibSizes(const BITMAPINFOHEADER* h, uint32_t* headerBytes, uint32_t* rowBytes)
{
    if (!h || h->biSize < sizeof(BITMAPINFOHEADER) || h->biSize > 1024 || !IsValidBitCount(h->biBitCount) ||
        h->biWidth < 1 || h->biWidth > MAX_IMAGE_SIZE || h->biHeight == 0 || h->biHeight > MAX_IMAGE_SIZE ||
        h->biHeight < -MAX_IMAGE_SIZE)
        return false;
    if (h->biCompression != BI_RGB && h->biCompression != BI_BITFIELDS) return false;
    const int entries = DibColorEntries(*h);
    if (entries < 0) return false;
    const uint32_t masks = h->biCompression == BI_BITFIELDS && h->biSize == sizeof(BITMAPINFOHEADER) ? 12 : 0;
    *headerBytes = h->biSize + masks + 4u * entries;
    const uint32_t height = static_cast<uint32_t>(h->biHeight < 0 ? -h->biHeight : h->biHeight);
    *rowBytes = DibStride(h->biWidth, h->biBitCount) * height;
    return true;
}

HGLOBAL CopyAviFrame(const BITMAPINFOHEADER* frame, uint32_t* bitsOffset)
{
    uint32_t headerBytes = 0, rowBytes = 0;
    if (!AviDibSizes(frame, &headerBytes, &rowBytes)) return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, headerBytes + rowBytes);
    if (!block) return nullptr;
    GlobalLockGuard<BYTE> p(block);
    memcpy(p.get(), frame, headerBytes);
    // Top-down frames become bottom-up, the form every frame of the editor has.
    const BYTE* rows = reinterpret_cast<const BYTE*>(frame) + headerBytes;
    if (frame->biHeight < 0) {
        const int height = -frame->biHeight;
        const uint32_t stride = rowBytes / height;
        for (int y = 0; y < height; ++y) memcpy(p.get() + headerBytes + size_t(y) * stride, rows + size_t(height - 1 - y) * stride, stride);
        DibHeader(p.get())->biHeight = height;
    } else {
        memcpy(p.get() + headerBytes, rows, rowBytes);
    }
    if (bitsOffset) *bitsOffset = headerBytes;
    return block;
}
