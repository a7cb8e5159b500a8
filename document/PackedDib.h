// A frame image as one packed device-independent bitmap in a movable global
// block: BITMAPINFOHEADER, colour table, rows padded to 4 bytes.
#pragma once
#include <windows.h>
#include <cstdint>

constexpr int MIN_FRAME_SIZE = 1;
constexpr int MAX_FRAME_SIZE = 2048;
// Images that pass through the editor on their way to a frame (clipboard,
// image library) may be larger than a frame; this bounds their memory.
constexpr int MAX_IMAGE_SIZE = 16384;
constexpr uint64_t MAX_IMAGE_BYTES = 256u << 20;

// Bytes of one row at the given depth, rounded up to a multiple of 4.
inline uint32_t DibStride(int width, int bitsPerPixel)
{
    return ((static_cast<uint32_t>(width) * bitsPerPixel + 31) / 32) * 4;
}

// Bytes of one row without the padding.
inline uint32_t DibRowBytes(int width, int bitsPerPixel)
{
    return (static_cast<uint32_t>(width) * bitsPerPixel + 7) / 8;
}

// The palette index of pixel x of a row of 1, 4 or 8 bits per pixel (the
// leftmost pixel in the highest bits of its byte).
inline int DibPixelAt(const BYTE* row, int x, int bits)
{
    if (bits == 8) return row[x];
    if (bits == 4) return (x & 1) ? row[x / 2] & 0x0F : row[x / 2] >> 4;
    return (row[x / 8] >> (7 - (x & 7))) & 1;
}

inline void DibPutPixel(BYTE* row, int x, int bits, int value)
{
    if (bits == 8) {
        row[x] = static_cast<BYTE>(value);
    } else if (bits == 4) {
        BYTE& b = row[x / 2];
        b = static_cast<BYTE>((x & 1) ? (b & 0xF0) | (value & 0x0F) : (b & 0x0F) | (value << 4));
    } else {
        const BYTE bit = static_cast<BYTE>(0x80 >> (x & 7));
        row[x / 8] = static_cast<BYTE>((value & 1) ? row[x / 8] | bit : row[x / 8] & ~bit);
    }
}

inline bool IsValidBitCount(int bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Colour-table entries of a header: biClrUsed, or 2^bits when it is 0; none above
// 8 bits per pixel. -1 when biClrUsed is out of range.
int DibColorEntries(const BITMAPINFOHEADER& header);

// Checks the fields a reader relies on: biSize 40, size 1..2048, a known depth,
// biClrUsed at most 2^bits.
bool IsSaneFrameHeader(const BITMAPINFOHEADER& header);

// The same for a whole picture (a bitmap file, a background picture): each
// side 1..MAX_IMAGE_SIZE and at most MAX_IMAGE_BYTES of rows.
bool IsSaneImageHeader(const BITMAPINFOHEADER& header);

// Allocates a zeroed packed DIB of frame size (1..2048) with the given colour
// table (may be null).
HGLOBAL CreatePackedDib(int width, int height, int bitsPerPixel, const RGBQUAD* colors, int colorCount);
// The same for any image up to MAX_IMAGE_SIZE a side and MAX_IMAGE_BYTES of rows.
HGLOBAL CreateImageDib(int width, int height, int bitsPerPixel, const RGBQUAD* colors, int colorCount);

// What a packed DIB holds, read through either header form (BITMAPINFOHEADER
// and its larger versions, or BITMAPCOREHEADER) and checked against the size
// of its block: colour tables only for 8 bits per pixel or fewer, at most
// 2^bits (so never more than 256) entries, the rows inside the block.
struct PackedDibLayout {
    BITMAPINFOHEADER header;  // core headers converted; biHeight as stored (negative: top-down)
    RGBQUAD colors[256];
    int colorCount;
    DWORD masks[3];           // BI_BITFIELDS at 16 and 32 bits
    uint32_t bitsOffset;      // of the rows from the start of the data
    uint32_t bitsBytes;       // bytes of the rows as stored (the code length for run-length forms)
};
// Result: RESULT_OK or RESULT_UNKNOWN_FORMAT for a header or size that does not hold.
int ReadPackedDibLayout(const void* data, size_t size, PackedDibLayout* layout);

// A copy of a packed DIB in the plain form every pass works on: a 40-byte
// header, biClrUsed colour entries (2^bits up to 8 bits, none above; three
// masks after the header for bit fields), bottom-up raw rows with run-length
// forms expanded. Result: RESULT_OK, RESULT_UNKNOWN_FORMAT, RESULT_OUT_OF_MEMORY.
int MakePlainPackedDib(const void* data, size_t size, HGLOBAL* plain);

// Pointers into a locked packed DIB.
inline BITMAPINFOHEADER* DibHeader(void* locked) { return static_cast<BITMAPINFOHEADER*>(locked); }
inline RGBQUAD* DibColors(void* locked)
{
    return reinterpret_cast<RGBQUAD*>(static_cast<BYTE*>(locked) + DibHeader(locked)->biSize);
}
BYTE* DibBits(void* locked);

// Locks a global block for the lifetime of the object.
template <typename T = void>
class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL block) : block_(block), p_(block ? GlobalLock(block) : nullptr) {}
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
    ~GlobalLockGuard() { if (p_) GlobalUnlock(block_); }
    T* get() const { return static_cast<T*>(p_); }
    explicit operator bool() const { return p_ != nullptr; }
private:
    HGLOBAL block_;
    void* p_;
};

// Owns a global block until released.
class GlobalBlock {
public:
    GlobalBlock() = default;
    explicit GlobalBlock(HGLOBAL block) : block_(block) {}
    GlobalBlock(GlobalBlock&& other) noexcept : block_(other.Release()) {}
    GlobalBlock& operator=(GlobalBlock&& other) noexcept { Reset(other.Release()); return *this; }
    ~GlobalBlock() { Reset(); }
    HGLOBAL Get() const { return block_; }
    HGLOBAL Release() { HGLOBAL b = block_; block_ = nullptr; return b; }
    void Reset(HGLOBAL block = nullptr) { if (block_) GlobalFree(block_); block_ = block; }
    explicit operator bool() const { return block_ != nullptr; }
private:
    HGLOBAL block_ = nullptr;
};
