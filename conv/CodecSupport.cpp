// The limits, scratch buffers and writer's DIB view shared by the codecs.
#include "CodecSupport.h"
#include "ResultCodes.h"
#include <new>

bool IsImageSizeAllowed(int64_t width, int64_t height, int bitsPerPixel)
{
    if (width < 1 || width > MAX_IMAGE_SIZE || height < 1 || height > MAX_IMAGE_SIZE) return false;
    return uint64_t(DibStride(static_cast<int>(width), bitsPerPixel)) * uint64_t(height) <= MAX_IMAGE_BYTES;
}

ScratchBytes AllocScratch(uint64_t bytes)
{
    if (bytes > SIZE_MAX / 2) return nullptr;
    return ScratchBytes(new (std::nothrow) BYTE[static_cast<size_t>(bytes ? bytes : 1)]());
}

void CopySwappingRedBlue(const BYTE* from, BYTE* to, int width)
{
    for (int x = 0; x < width; ++x) {
        to[3 * x] = from[3 * x + 2];
        to[3 * x + 1] = from[3 * x + 1];
        to[3 * x + 2] = from[3 * x];
    }
}

DibForSaving::DibForSaving(HGLOBAL dib) : lock_(dib)
{
    if (!lock_) return;
    const SIZE_T size = GlobalSize(dib);
    valid_ = ReadPackedDibLayout(lock_.get(), size, &layout_) == RESULT_OK;
    height_ = layout_.header.biHeight < 0 ? -layout_.header.biHeight : layout_.header.biHeight;
}

const BYTE* DibForSaving::RowFromTop(int y) const
{
    const BYTE* rows = reinterpret_cast<const BYTE*>(lock_.get()) + layout_.bitsOffset;
    const int stored = layout_.header.biHeight < 0 ? y : height_ - 1 - y;
    return rows + size_t(Stride()) * stored;
}
