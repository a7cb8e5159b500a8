// What the still-image codecs share: the limits of an image read from a
// file, scratch buffers whose allocation may fail, and a checked view of the
// packed DIB that a writer is handed.
#pragma once
#include "PackedDib.h"
#include <cstdint>
#include <memory>

// True when an image of this size (width and height 1..MAX_IMAGE_SIZE, rows
// within MAX_IMAGE_BYTES) may be read; header sizes are taken as 64-bit
// values so that no product wraps.
bool IsImageSizeAllowed(int64_t width, int64_t height, int bitsPerPixel);

// A scratch buffer; null when the memory could not be had (or the size does
// not fit the address space).
using ScratchBytes = std::unique_ptr<BYTE[]>;
ScratchBytes AllocScratch(uint64_t bytes);  // zeroed

// Copies `width` pixels of three bytes, exchanging the first and the third
// byte of each: red, green, blue rows of a file become the blue, green, red
// rows of a DIB, and back.
void CopySwappingRedBlue(const BYTE* from, BYTE* to, int width);

// A packed DIB handed to a writer, locked for the view's lifetime and read
// through the one header reader: colour table, rows and sizes are checked
// against the block, so a writer never reads outside it.
class DibForSaving {
public:
    explicit DibForSaving(HGLOBAL dib);
    DibForSaving(const DibForSaving&) = delete;
    DibForSaving& operator=(const DibForSaving&) = delete;
    bool IsLocked() const { return lock_.get() != nullptr; }
    bool IsValid() const { return valid_; }  // locked, and header, colours and rows inside the block
    const BITMAPINFOHEADER& StoredHeader() const { return *lock_.get(); }  // as the caller wrote it
    int Width() const { return layout_.header.biWidth; }
    int Height() const { return height_; }
    int Bits() const { return layout_.header.biBitCount; }
    bool IsUncompressed() const { return layout_.header.biCompression == BI_RGB; }
    // biClrUsed entries, or 2^bits when it is 0 (never more than 256); none above 8 bits.
    int ColorCount() const { return layout_.colorCount; }
    RGBQUAD Color(int index) const { return index < layout_.colorCount ? layout_.colors[index] : RGBQUAD{}; }
    // Row y counted from the top of the picture, whichever way the DIB is stored.
    const BYTE* RowFromTop(int y) const;
    uint32_t Stride() const { return DibStride(Width(), Bits()); }
private:
    GlobalLockGuard<BITMAPINFOHEADER> lock_;
    PackedDibLayout layout_{};
    bool valid_ = false;
    int height_ = 0;
};
