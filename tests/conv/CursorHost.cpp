// The stand-in editor of the cursor and AVI tests.
#include "CursorHost.h"
#include "PackedDib.h"
#include <cstdio>
#include <cstring>

namespace {

CursorHost* g_host = nullptr;

HGLOBAL CopyBlock(HGLOBAL block, SIZE_T size)
{
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    GlobalLockGuard<BYTE> from(block), to(copy);
    memcpy(to.get(), from.get(), size < GlobalSize(block) ? size : GlobalSize(block));
    return copy;
}

HPALETTE GreyPalette()
{
    struct {
        WORD version, count;
        PALETTEENTRY entries[256];
    } log{0x300, 256, {}};
    for (int i = 0; i < 256; ++i) log.entries[i] = {BYTE(i), BYTE(i), BYTE(i), 0};
    return CreatePalette(reinterpret_cast<LOGPALETTE*>(&log));
}

}  // namespace

HGLOBAL MakePatternDib(int width, int height, int bits, int (*f)(int x, int y))
{
    RGBQUAD table[256];
    const int entries = 1 << bits;
    for (int i = 0; i < entries; ++i)
        table[i] = {BYTE(i * 37), BYTE(255 - i * 11), BYTE(i * 255 / (entries - 1)), 0};
    HGLOBAL dib = CreateImageDib(width, height, bits, table, entries);
    GlobalLockGuard<BYTE> p(dib);
    BYTE* rows = DibBits(p.get());
    const uint32_t stride = DibStride(width, bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) DibPutPixel(rows + size_t(height - 1 - y) * stride, x, bits, f(x, y) & (entries - 1));
    return dib;
}

std::vector<uint8_t> PixelsOf(HGLOBAL dib)
{
    GlobalLockGuard<BYTE> p(dib);
    const BITMAPINFOHEADER* h = DibHeader(p.get());
    std::vector<uint8_t> out(size_t(h->biWidth) * h->biHeight);
    const BYTE* rows = DibBits(p.get());
    const uint32_t stride = DibStride(h->biWidth, h->biBitCount);
    for (int y = 0; y < h->biHeight; ++y)
        for (int x = 0; x < h->biWidth; ++x)
            out[size_t(y) * h->biWidth + x] = static_cast<uint8_t>(DibPixelAt(rows + size_t(h->biHeight - 1 - y) * stride, x, h->biBitCount));
    return out;
}

CursorHost::CursorHost() : previous_(g_host)
{
    g_host = this;
    memoryDc_ = CreateCompatibleDC(nullptr);
    displayPalette = GreyPalette();
}

CursorHost::~CursorHost()
{
    if (g_host == this) g_host = previous_;
    for (Frame& f : frames_) GlobalFree(f.dib);
    for (HBITMAP b : bitmaps_)
        if (b) DeleteObject(b);
    if (settings_) GlobalFree(settings_);
    DeleteDC(memoryDc_);
    DeleteObject(displayPalette);
}

void CursorHost::AddFrame(HGLOBAL dib, uint32_t hotspot)
{
    frames_.push_back({CopyBlock(dib, GlobalSize(dib)), {}, hotspot, {}});
    bitmaps_.push_back(nullptr);
}

void CursorHost::SetSettings(HGLOBAL block)
{
    if (settings_ && settings_ != block) GlobalFree(settings_);
    settings_ = block;
}

std::vector<UINT> CursorHost::RequestCodes() const
{
    std::vector<UINT> codes;
    for (const Request& r : requests_) codes.push_back(r.request);
    return codes;
}

int CursorHost::Count(UINT request) const
{
    int count = 0;
    for (const Request& r : requests_) count += r.request == request;
    return count;
}

ULONG_PTR WINAPI CursorHost::Proc(UINT request, void* p, ULONG_PTR n)
{
    if (!g_host) return 0;
    Request record{request, n};
    const ULONG_PTR answer = g_host->Answer(request, p, n, &record);
    g_host->requests_.push_back(record);
    return answer;
}

// A masked DIB (biHeight doubled, the AND mask after the picture's rows)
// becomes a frame and its mask.
ULONG_PTR CursorHost::AddMasked(HGLOBAL dib, bool masked)
{
    if (refuseAdd || !dib) return 0;
    GlobalLockGuard<BYTE> p(dib);
    const BITMAPINFOHEADER* h = DibHeader(p.get());
    const int width = h->biWidth, height = masked ? h->biHeight / 2 : h->biHeight, bits = h->biBitCount;
    const int entries = DibColorEntries(*h);
    HGLOBAL frame = entries >= 0 ? CreateImageDib(width, height, bits, DibColors(p.get()), entries) : nullptr;
    if (!frame) {
        fprintf(stderr, "CursorHost: a frame it cannot hold: %ld x %ld, %d bits, %lu colours, compression %lu, header %lu\n",
                static_cast<long>(h->biWidth), static_cast<long>(h->biHeight), h->biBitCount,
                static_cast<unsigned long>(h->biClrUsed), static_cast<unsigned long>(h->biCompression),
                static_cast<unsigned long>(h->biSize));
        return 0;
    }
    GlobalLockGuard<BYTE> q(frame);
    const uint32_t stride = DibStride(width, bits);
    const BYTE* from = p.get() + h->biSize + 4 * entries;
    memcpy(DibBits(q.get()), from, size_t(stride) * height);
    Frame f{frame, {}, 0, {}};
    if (masked) {
        const BYTE* mask = from + size_t(stride) * height;
        const uint32_t maskStride = DibStride(width, 1);
        f.mask.resize(size_t(width) * height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                f.mask[size_t(y) * width + x] = static_cast<uint8_t>(DibPixelAt(mask + size_t(height - 1 - y) * maskStride, x, 1));
    }
    frames_.push_back(f);
    bitmaps_.push_back(nullptr);
    return 1;
}

// The frame as an icon image: picture rows, then its mask; only at the
// frame's own size (a wanted size that differs gives a picture of that
// size with the frame in its top-left corner).
ULONG_PTR CursorHost::IconImage(uint32_t* io, int frame)
{
    if (frames_.empty()) return 0;
    if (frame < 0 || frame >= FrameCount()) frame = 0;
    GlobalLockGuard<BYTE> p(frames_[frame].dib);
    const BITMAPINFOHEADER* h = DibHeader(p.get());
    int width = h->biWidth, height = h->biHeight;
    if (*io) {
        width = static_cast<int>(*io & 0xFFFF);
        height = static_cast<int>(*io >> 16);
    }
    const int bits = h->biBitCount, entries = DibColorEntries(*h);
    const uint32_t stride = DibStride(width, bits), maskStride = DibStride(width, 1);
    const uint32_t size = h->biSize + 4 * entries + (stride + maskStride) * height;
    HGLOBAL image = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    GlobalLockGuard<BYTE> q(image);
    memcpy(q.get(), p.get(), h->biSize + 4 * entries);
    BITMAPINFOHEADER* out = DibHeader(q.get());
    out->biWidth = width;
    out->biHeight = height * 2;
    out->biSizeImage = 0;
    BYTE* rows = q.get() + h->biSize + 4 * entries;
    const BYTE* from = DibBits(p.get());
    const uint32_t inStride = DibStride(h->biWidth, bits);
    const Frame& f = frames_[frame];
    for (int y = 0; y < height && y < h->biHeight; ++y)
        for (int x = 0; x < width && x < h->biWidth; ++x) {
            DibPutPixel(rows + size_t(height - 1 - y) * stride, x, bits,
                        DibPixelAt(from + size_t(h->biHeight - 1 - y) * inStride, x, bits));
            const int transparent = f.mask.empty() ? 0 : f.mask[size_t(y) * h->biWidth + x];
            DibPutPixel(rows + size_t(stride) * height + size_t(height - 1 - y) * maskStride, x, 1, transparent);
        }
    *io = size;
    return reinterpret_cast<ULONG_PTR>(image);
}

ULONG_PTR CursorHost::FrameBits(BITMAPINFOHEADER* h, int index)
{
    if (index < 0 || index >= FrameCount()) return 0;
    GlobalLockGuard<BYTE> frame(frames_[index].dib);
    const BITMAPINFOHEADER* f = DibHeader(frame.get());
    if (h->biWidth != f->biWidth || h->biHeight != f->biHeight || h->biBitCount != f->biBitCount) return 0;
    const int entries = DibColorEntries(*f);
    memcpy(reinterpret_cast<BYTE*>(h) + h->biSize, DibColors(frame.get()), 4 * entries);
    memcpy(reinterpret_cast<BYTE*>(h) + h->biSize + 4 * entries, DibBits(frame.get()),
           size_t(DibStride(f->biWidth, f->biBitCount)) * f->biHeight);
    return 1;
}

ULONG_PTR CursorHost::FrameBitmap(HBITMAP* out, int index)
{
    if (!out || index < 0 || index >= FrameCount()) return 0;
    if (!bitmaps_[index]) {
        GlobalLockGuard<BYTE> frame(frames_[index].dib);
        const BITMAPINFOHEADER* f = DibHeader(frame.get());
        void* bits = nullptr;
        bitmaps_[index] = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(f), DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!bitmaps_[index]) return 0;
        memcpy(bits, DibBits(frame.get()), DibStride(f->biWidth, f->biBitCount) * size_t(f->biHeight));
    }
    *out = bitmaps_[index];
    return reinterpret_cast<ULONG_PTR>(memoryDc_);
}

ULONG_PTR CursorHost::Answer(UINT request, void* p, ULONG_PTR n, Request* record)
{
    const int index = static_cast<int>(static_cast<LONG_PTR>(n));
    switch (request) {
    case CONV_REQ_QUERY:
        switch (n) {
        case CONV_QUERY_FRAME_COUNT: return frames_.size();
        case CONV_QUERY_COLOR_COUNT: return static_cast<ULONG_PTR>(colorCount);
        case CONV_QUERY_FRAME_SIZE: {
            if (frames_.empty() || !p) return 0;
            GlobalLockGuard<BITMAPINFOHEADER> f(frames_[0].dib);
            *static_cast<uint32_t*>(p) = uint32_t(f.get()->biHeight) << 16 | uint32_t(f.get()->biWidth);
            return 1;
        }
        case CONV_QUERY_DITHER_ON_OPEN: return 1;
        default: return 0;
        }
    case CONV_REQ_ADD_FRAME: return AddMasked(static_cast<HGLOBAL>(p), false);
    case CONV_REQ_ADD_FRAME_MASKED: return AddMasked(static_cast<HGLOBAL>(p), true);
    case CONV_REQ_GET_FRAME_BITS: return p ? FrameBits(static_cast<BITMAPINFOHEADER*>(p), index) : 0;
    case CONV_REQ_GET_FRAME_NAME:
        if (!p || index < 0 || index >= FrameCount()) return 0;
        strcpy(static_cast<char*>(p), frames_[index].name.c_str());
        return !frames_[index].name.empty();
    case CONV_REQ_CHOOSE_FILE:
        if (chooseFileAnswer.empty()) return 0;
        record->text = static_cast<const char*>(p);
        strcpy(static_cast<char*>(p), chooseFileAnswer.c_str());
        return 1;
    case CONV_REQ_GET_PALETTE:
        if (!p) return 0;
        *static_cast<HPALETTE*>(p) = displayPalette;
        return 1;
    case CONV_REQ_GET_ICON_IMAGE:
        record->value = *static_cast<uint32_t*>(p);
        return IconImage(static_cast<uint32_t*>(p), index == 0xFFFF ? 0 : index);
    case CONV_REQ_GET_SETTINGS:
        if (p) *static_cast<HGLOBAL*>(p) = settings_;
        return settings_ ? CONV_FORMAT_ANI : 0;
    case CONV_REQ_SET_SETTINGS:
        if (refuseSettings) return 0;
        SetSettings(static_cast<HGLOBAL>(p));
        return 1;
    case CONV_REQ_GET_HOTSPOT:
        if (!p || frames_.empty()) return 0;
        *static_cast<uint32_t*>(p) = frames_[index < 0 || index >= FrameCount() ? 0 : index].hotspot;
        return 1;
    case CONV_REQ_SET_HOTSPOT:
        record->value = static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(p));
        if (index < 0 || index >= FrameCount()) return 0;
        frames_[index].hotspot = record->value;
        return 1;
    case CONV_REQ_MENU_ITEM:
        record->menu = *static_cast<const ConvMenuRequest*>(p);
        if (record->menu.text) record->text = record->menu.text;
        record->menu.text = nullptr;
        return 1;
    case CONV_REQ_GET_FRAME_BITMAP: return FrameBitmap(static_cast<HBITMAP*>(p), index);
    case CONV_REQ_CHANGE_FORMAT:
        record->change = *static_cast<const ConvFormatChange*>(p);
        return changeFormatAnswer;
    case CONV_REQ_SET_FRAME_NAME:
        if (!p || int(n & 0xFF) >= FrameCount()) return 0;
        record->text = static_cast<const char*>(p);
        frames_[n & 0xFF].name = record->text;
        return reinterpret_cast<ULONG_PTR>(p);
    default: return 0;
    }
}
