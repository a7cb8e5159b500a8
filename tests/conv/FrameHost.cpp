// The stand-in editor of the GIF tests: frames, settings block, palettes and
// a record of every request the library makes.
#include "FrameHost.h"
#include "PackedDib.h"
#include <cstring>

namespace {

FrameHost* g_host = nullptr;

HPALETTE GreyPalette()
{
    struct {
        WORD version, count;
        PALETTEENTRY entries[256];
    } log{0x300, 256, {}};
    for (int i = 0; i < 256; ++i) log.entries[i] = {BYTE(i), BYTE(i), BYTE(i), 0};
    return CreatePalette(reinterpret_cast<LOGPALETTE*>(&log));
}

HGLOBAL CopyBlock(HGLOBAL block)
{
    const SIZE_T size = GlobalSize(block);
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!copy) return nullptr;
    GlobalLockGuard<BYTE> from(block), to(copy);
    memcpy(to.get(), from.get(), size);
    return copy;
}

}  // namespace

// ---- DIB helpers ------------------------------------------------------------------------------

HGLOBAL MakeIndexedDib(int width, int height, int bits, const std::vector<uint8_t>& pixels,
                       const std::vector<COLORREF>& colors)
{
    std::vector<RGBQUAD> table;
    for (COLORREF c : colors) table.push_back({GetBValue(c), GetGValue(c), GetRValue(c), 0});
    HGLOBAL dib = CreateImageDib(width, height, bits, table.data(), static_cast<int>(table.size()));
    GlobalLockGuard<BYTE> p(dib);
    BYTE* rows = DibBits(p.get());
    const uint32_t stride = DibStride(width, bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            DibPutPixel(rows + size_t(height - 1 - y) * stride, x, bits, pixels[size_t(y) * width + x]);
    return dib;
}

std::vector<uint8_t> DibIndexes(HGLOBAL dib)
{
    GlobalLockGuard<BYTE> p(dib);
    const BITMAPINFOHEADER* h = DibHeader(p.get());
    const int width = h->biWidth, height = h->biHeight, bits = h->biBitCount;
    std::vector<uint8_t> out(size_t(width) * height);
    const BYTE* rows = DibBits(p.get());
    const uint32_t stride = DibStride(width, bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out[size_t(y) * width + x] = static_cast<uint8_t>(DibPixelAt(rows + size_t(height - 1 - y) * stride, x, bits));
    return out;
}

std::vector<COLORREF> DibTable(HGLOBAL dib)
{
    GlobalLockGuard<BYTE> p(dib);
    const int entries = DibColorEntries(*DibHeader(p.get()));
    std::vector<COLORREF> out;
    const RGBQUAD* colors = DibColors(p.get());
    for (int i = 0; i < entries; ++i) out.push_back(RGB(colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue));
    return out;
}

// ---- the host ---------------------------------------------------------------------------------

FrameHost::FrameHost()
{
    g_host = this;
    documentPalette = GreyPalette();
    displayPalette = GreyPalette();
    memoryDc_ = CreateCompatibleDC(nullptr);
}

FrameHost::~FrameHost()
{
    if (g_host == this) g_host = nullptr;
    ClearFrames();
    if (settings_) GlobalFree(settings_);
    DeleteObject(documentPalette);
    DeleteObject(displayPalette);
    DeleteDC(memoryDc_);
}

void FrameHost::AddFrame(HGLOBAL dib)
{
    frames_.push_back(CopyBlock(dib));
    bitmaps_.push_back(nullptr);
}

void FrameHost::ClearFrames()
{
    for (HGLOBAL f : frames_) GlobalFree(f);
    for (HBITMAP b : bitmaps_)
        if (b) DeleteObject(b);
    frames_.clear();
    bitmaps_.clear();
}

void FrameHost::SetSettings(HGLOBAL block)
{
    if (settings_ && settings_ != block) GlobalFree(settings_);
    settings_ = block;
}

std::vector<UINT> FrameHost::RequestCodes() const
{
    std::vector<UINT> codes;
    for (const Request& r : requests_) codes.push_back(r.request);
    return codes;
}

int FrameHost::Count(UINT request) const
{
    int count = 0;
    for (const Request& r : requests_) count += r.request == request ? 1 : 0;
    return count;
}

ULONG_PTR WINAPI FrameHost::Proc(UINT request, void* p, ULONG_PTR n)
{
    if (!g_host) return 0;
    Request record{request, n, 0, {}, {}, {}};
    const ULONG_PTR answer = g_host->Answer(request, p, n, &record);
    g_host->requests_.push_back(record);
    return answer;
}

ULONG_PTR FrameHost::FrameBits(BITMAPINFOHEADER* h, int index)
{
    if (index < 0 || index >= FrameCount() || (refuseBitsFrom >= 0 && index >= refuseBitsFrom)) return 0;
    GlobalLockGuard<BYTE> frame(frames_[index]);
    const BITMAPINFOHEADER* f = DibHeader(frame.get());
    if (h->biWidth != f->biWidth || h->biHeight != f->biHeight || h->biBitCount > 8) return 0;
    const int bits = h->biBitCount;
    const int entries = h->biClrUsed ? static_cast<int>(h->biClrUsed) : 1 << bits;
    auto* colors = reinterpret_cast<RGBQUAD*>(reinterpret_cast<BYTE*>(h) + h->biSize);
    memset(colors, 0, entries * sizeof(RGBQUAD));
    const int have = DibColorEntries(*f);
    memcpy(colors, DibColors(frame.get()), (have < entries ? have : entries) * sizeof(RGBQUAD));
    BYTE* rows = reinterpret_cast<BYTE*>(colors + entries);
    const BYTE* from = DibBits(frame.get());
    const uint32_t inStride = DibStride(f->biWidth, f->biBitCount), outStride = DibStride(h->biWidth, bits);
    for (int y = 0; y < h->biHeight; ++y)
        for (int x = 0; x < h->biWidth; ++x)
            DibPutPixel(rows + size_t(y) * outStride, x, bits, DibPixelAt(from + size_t(y) * inStride, x, f->biBitCount));
    if (!h->biClrUsed) h->biClrUsed = entries;
    return 1;
}

ULONG_PTR FrameHost::FrameBitmap(HBITMAP* out, int index)
{
    if (!out || index < 0 || index >= FrameCount()) return 0;
    if (!bitmaps_[index]) {
        GlobalLockGuard<BYTE> frame(frames_[index]);
        const BITMAPINFOHEADER* f = DibHeader(frame.get());
        void* bits = nullptr;
        bitmaps_[index] = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(f), DIB_RGB_COLORS, &bits,
                                           nullptr, 0);
        if (!bitmaps_[index]) return 0;
        memcpy(bits, DibBits(frame.get()), DibStride(f->biWidth, f->biBitCount) * size_t(f->biHeight));
    }
    *out = bitmaps_[index];
    return reinterpret_cast<ULONG_PTR>(memoryDc_);
}

ULONG_PTR FrameHost::Answer(UINT request, void* p, ULONG_PTR n, Request* record)
{
    switch (request) {
    case CONV_REQ_QUERY:
        switch (n) {
        case CONV_QUERY_FRAME_COUNT: return frames_.size();
        case CONV_QUERY_FREE_FRAMES: return 255 - frames_.size();
        case CONV_QUERY_CURRENT_FRAME: return frames_.empty() ? static_cast<ULONG_PTR>(-1) : 0;
        case CONV_QUERY_COLOR_COUNT: return static_cast<ULONG_PTR>(colorCount);
        case CONV_QUERY_FRAME_SIZE: {
            if (frames_.empty() || !p) return 0;
            GlobalLockGuard<BITMAPINFOHEADER> f(frames_[0]);
            *static_cast<uint32_t*>(p) = static_cast<uint32_t>(f.get()->biHeight) << 16 | static_cast<uint32_t>(f.get()->biWidth);
            return 1;
        }
        case CONV_QUERY_TRANSPARENT_COLOR:
            if (frames_.empty() || !p || !hasTransparent) return 0;
            *static_cast<COLORREF*>(p) = transparent;
            return 1;
        default: return 0;
        }
    case CONV_REQ_ADD_FRAME:
        if (!p || frames_.size() >= 255 || (refuseAddFrom >= 0 && FrameCount() >= refuseAddFrom)) return 0;
        AddFrame(static_cast<HGLOBAL>(p));
        return 1;
    case CONV_REQ_GET_FRAME_BITS: return p ? FrameBits(static_cast<BITMAPINFOHEADER*>(p), static_cast<int>(n)) : 0;
    case CONV_REQ_GET_PALETTE:
        if (!p) return 0;
        *static_cast<HPALETTE*>(p) = n == 0 ? documentPalette : displayPalette;
        return 1;
    case CONV_REQ_GET_SETTINGS:
        if (p) *static_cast<HGLOBAL*>(p) = settings_;
        return settings_ ? CONV_FORMAT_GIF_ANIM : 0;
    case CONV_REQ_SET_SETTINGS: SetSettings(static_cast<HGLOBAL>(p)); return 1;
    case CONV_REQ_MENU_ITEM: {
        const auto* menu = static_cast<const ConvMenuRequest*>(p);
        record->menu = *menu;
        if (menu->text) record->text = menu->text;
        return 1;
    }
    case CONV_REQ_GET_FRAME_BITMAP: return FrameBitmap(static_cast<HBITMAP*>(p), static_cast<int>(n));
    case CONV_REQ_SET_TRANSPARENT_COLOR: {
        const auto* color = static_cast<const ConvTransparentColor*>(p);
        record->noAsk = color->noAsk;
        memcpy(record->bgr, color->bgr, 3);
        return frames_.empty() ? 0 : 1;
    }
    case CONV_REQ_CHOOSE_COLOR: return static_cast<ULONG_PTR>(chooseColorAnswer);
    case CONV_REQ_CHOOSE_TRANSPARENT_COLOR: return chooseTransparentAnswer;
    case CONV_REQ_SET_FRAME_NAME:
        if (!p || (n & 0xFF) >= frames_.size()) return 0;
        record->text = static_cast<const char*>(p);
        return reinterpret_cast<ULONG_PTR>(p);
    default: return 0;
    }
}
