// JPEG reader and writer: the pixels pass to and from the JPEG library as
// top-down rows of red, green, blue; the library does the coding.
#include "JpegCodec.h"
#include "CodecSupport.h"
#include "JpegLibrary.h"
#include <cstring>
#include <new>

namespace {

constexpr int WRITTEN_QUALITY = 100;

// A properties record of the library, zeroed, initialised and released
// again on every way out.
class JpegRecord {
public:
    JpegRecord() : properties_(new (std::nothrow) JpegProperties()) {}
    ~JpegRecord()
    {
        if (initialised_) JpegLibFree(properties_.get());
    }
    JpegRecord(const JpegRecord&) = delete;
    JpegRecord& operator=(const JpegRecord&) = delete;
    bool Initialise()
    {
        initialised_ = properties_ && JpegLibInit(properties_.get()) == JPEG_LIB_OK;
        return initialised_;
    }
    JpegProperties* operator->() const { return properties_.get(); }
    JpegProperties* get() const { return properties_.get(); }
private:
    std::unique_ptr<JpegProperties> properties_;
    bool initialised_ = false;
};

// The path as the call's own copy; false when it does not fit.
bool CopyPath(const char* path, char (&copy)[MAX_PATH])
{
    if (!path || strlen(path) >= MAX_PATH) return false;
    strcpy(copy, path);
    return true;
}

// Top-down red, green, blue rows into a bottom-up DIB of blue, green, red.
void PlacePixels(const BYTE* pixels, int width, int height, BYTE* bits)
{
    const uint32_t stride = DibStride(width, 24);
    for (int r = 0; r < height; ++r) {
        CopySwappingRedBlue(pixels + size_t(r) * width * 3, bits + size_t(stride) * (height - 1 - r), width);
    }
}

}  // namespace

int ReadJpeg(const char* path, ConvImage* image)
{
    char name[MAX_PATH];
    if (!CopyPath(path, name)) return CONV_ERR_READ;
    JpegRecord record;
    if (!record.get()) return CONV_ERR_MEMORY;
    if (!record.Initialise()) return CONV_ERR_READ;
    record->fileName = name;
    if (JpegLibRead(record.get(), JPEG_READ_PARAMETERS) != JPEG_LIB_OK) return CONV_ERR_READ;
    // The DIB is built from three channels a pixel, and only from a real size.
    const int width = record->imageWidth;
    const int height = record->imageHeight;
    if (record->pixelChannels != 3 || width <= 0 || height <= 0) return CONV_ERR_UNSUPPORTED;
    if (!IsImageSizeAllowed(width, height, 24)) return CONV_ERR_MEMORY;
    ScratchBytes pixels = AllocScratch(uint64_t(width) * height * 3);
    if (!pixels) return CONV_ERR_MEMORY;
    record->pixels = pixels.get();
    record->pixelWidth = width;
    record->pixelHeight = height;
    if (JpegLibRead(record.get(), JPEG_READ_IMAGE) != JPEG_LIB_OK) return CONV_ERR_UNSUPPORTED;
    GlobalBlock dib(CreateImageDib(width, height, 24, nullptr, 0));
    if (!dib) return CONV_ERR_MEMORY;
    {
        GlobalLockGuard<BYTE> p(dib.Get());
        DibHeader(p.get())->biSizeImage = 0;
        PlacePixels(pixels.get(), width, height, DibBits(p.get()));
    }
    image->dib = dib.Release();
    return CONV_OK;
}

int WriteJpeg(const char* path, HGLOBAL dib)
{
    char name[MAX_PATH];
    if (!CopyPath(path, name)) return CONV_ERR_WRITE;
    DibForSaving view(dib);
    if (!view.IsLocked()) return CONV_ERR_MEMORY;
    const BITMAPINFOHEADER& stored = view.StoredHeader();
    if (stored.biSize != sizeof(BITMAPINFOHEADER) || stored.biBitCount != 24 || stored.biCompression != BI_RGB ||
        stored.biWidth <= 0 || stored.biHeight <= 0 || !view.IsValid())
        return CONV_ERR_UNSUPPORTED;
    JpegRecord record;
    if (!record.Initialise()) return CONV_ERR_MEMORY;
    const int width = view.Width();
    const int height = view.Height();
    ScratchBytes pixels = AllocScratch(uint64_t(width) * height * 3);
    if (!pixels) return CONV_ERR_MEMORY;
    for (int r = 0; r < height; ++r) CopySwappingRedBlue(view.RowFromTop(r), pixels.get() + size_t(r) * width * 3, width);
    record->subsampling = JPEG_SUBSAMPLING_HORIZONTAL;
    record->quality = WRITTEN_QUALITY;
    record->fileName = name;
    record->pixels = pixels.get();
    record->pixelWidth = record->imageWidth = width;
    record->pixelHeight = record->imageHeight = height;
    return JpegLibWrite(record.get(), JPEG_WRITE_IMAGE) == JPEG_LIB_OK ? CONV_OK : CONV_ERR_WRITE;
}

int LoadJpegImage(const ConvLoadCall& call) { return ReadJpeg(call.path, call.image); }
int SaveJpegImage(const ConvSaveCall& call) { return WriteJpeg(call.path, call.dib); }
int PreviewJpegImage(const char* path, ConvImage* image) { return ReadJpeg(path, image); }
