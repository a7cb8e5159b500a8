#include "PackedDib.h"
#include <cstring>

int DibColorEntries(const BITMAPINFOHEADER& h)
{
    if (h.biBitCount > 8) return 0;
    const uint32_t full = 1u << h.biBitCount;
    if (h.biClrUsed == 0) return static_cast<int>(full);
    if (h.biClrUsed > full) return -1;
    return static_cast<int>(h.biClrUsed);
}

bool IsSaneFrameHeader(const BITMAPINFOHEADER& h)
{
    return h.biSize == sizeof(BITMAPINFOHEADER) && h.biWidth >= MIN_FRAME_SIZE &&
           h.biWidth <= MAX_FRAME_SIZE && h.biHeight >= MIN_FRAME_SIZE &&
           h.biHeight <= MAX_FRAME_SIZE && h.biPlanes == 1 && IsValidBitCount(h.biBitCount) &&
           DibColorEntries(h) >= 0 && h.biClrUsed <= 256;
}

HGLOBAL CreatePackedDib(int width, int height, int bitsPerPixel, const RGBQUAD* colors, int colorCount)
{
    if (width < MIN_FRAME_SIZE || width > MAX_FRAME_SIZE || height < MIN_FRAME_SIZE ||
        height > MAX_FRAME_SIZE || !IsValidBitCount(bitsPerPixel))
        return nullptr;
    if (bitsPerPixel > 8) colorCount = 0;
    if (colorCount < 0 || colorCount > (1 << (bitsPerPixel > 8 ? 0 : bitsPerPixel))) return nullptr;
    const uint32_t imageBytes = DibStride(width, bitsPerPixel) * height;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT,
                                sizeof(BITMAPINFOHEADER) + colorCount * sizeof(RGBQUAD) + imageBytes);
    if (!block) return nullptr;
    GlobalLockGuard<BITMAPINFOHEADER> h(block);
    h.get()->biSize = sizeof(BITMAPINFOHEADER);
    h.get()->biWidth = width;
    h.get()->biHeight = height;
    h.get()->biPlanes = 1;
    h.get()->biBitCount = static_cast<WORD>(bitsPerPixel);
    h.get()->biCompression = BI_RGB;
    h.get()->biSizeImage = imageBytes;
    h.get()->biClrUsed = colorCount;
    if (colors && colorCount) memcpy(DibColors(h.get()), colors, colorCount * sizeof(RGBQUAD));
    return block;
}

BYTE* DibBits(void* locked)
{
    BITMAPINFOHEADER* h = DibHeader(locked);
    int entries = DibColorEntries(*h);
    if (entries < 0) entries = 0;
    int masks = (h->biCompression == BI_BITFIELDS && h->biSize == sizeof(BITMAPINFOHEADER)) ? 3 : 0;
    return static_cast<BYTE*>(locked) + h->biSize + (entries + masks) * sizeof(RGBQUAD);
}
