// Drives the library's icon, cursor and animated-cursor code from a script,
// for the checks against icotool, ImageMagick and a byte-exact expectation
// (cursor_interop.sh):
//   CursorTool write PATH BITS        one 32 x 32 pattern frame, hotspot (1, 2)
//   CursorTool write-ani PATH BITS    three frames with a cycle, title "Ti",
//                                     author "Auth", and PATH.N.cur per frame
//   CursorTool read PATH OUT          frames as OUT.N.ppm; prints what was read
#include "AniCursor.h"
#include "ConvTestSupport.h"
#include "CursorHost.h"
#include "PackedDib.h"
#include <cstdio>
#include <cstring>
#include <string>

namespace {

int Pattern0(int x, int y) { return (x + 2 * y) & 255; }
int Pattern1(int x, int y) { return (x * y / 3) & 255; }
int Pattern2(int x, int y) { return ((x / 4 + y / 4) & 1) * 9 + 3; }
int (*const g_patterns[])(int, int) = {Pattern0, Pattern1, Pattern2};

uint32_t HotspotOf(int frame) { return static_cast<uint32_t>(frame + 2) << 16 | static_cast<uint32_t>(frame + 1); }

void AddPatternFrame(CursorHost& host, int frame, int bits)
{
    HGLOBAL dib = MakePatternDib(32, 32, bits, g_patterns[frame]);
    host.AddFrame(dib, HotspotOf(frame));
    GlobalFree(dib);
}

int WriteOne(const char* path, int bits, int frame)
{
    CursorHost host;
    AddPatternFrame(host, frame, bits);
    return Conv().SaveConvImage(nullptr, path, nullptr, CONV_FORMAT_ICON, 0, CursorHost::Proc);
}

int WriteAni(const char* path, int bits)
{
    for (int i = 0; i < 3; ++i) {
        const std::string one = std::string(path) + "." + std::to_string(i) + ".cur";
        if (WriteOne(one.c_str(), bits, i) != 1) return 0;
    }
    CursorHost host;
    for (int i = 0; i < 3; ++i) AddPatternFrame(host, i, bits);
    HGLOBAL block = NewAniSettings();
    {
        GlobalLockGuard<AniSettings> s(block);
        const uint32_t seq[] = {0, 2, 1, 2}, rate[] = {5, 10, 15, 20};
        s.get()->stepCount = 4;
        s.get()->defaultRate = 5;
        memcpy(s.get()->seq, seq, sizeof seq);
        memcpy(s.get()->rate, rate, sizeof rate);
        strcpy(s.get()->title, "Ti");
        strcpy(s.get()->author, "Auth");
    }
    host.SetSettings(block);
    return Conv().SaveConvImage(nullptr, path, nullptr, CONV_FORMAT_ANI, 3, CursorHost::Proc);
}

// P6 of a frame: palette colours up to 8 bits, blue-green-red above;
// transparent pixels (mask set) black.
void WritePpm(const std::string& path, const CursorHost::Frame& f)
{
    GlobalLockGuard<BYTE> p(f.dib);
    const BITMAPINFOHEADER* h = DibHeader(p.get());
    FILE* out = fopen(path.c_str(), "wb");
    if (!out) return;
    fprintf(out, "P6\n%ld %ld\n255\n", static_cast<long>(h->biWidth), static_cast<long>(h->biHeight));
    const BYTE* rows = DibBits(p.get());
    const RGBQUAD* table = DibColors(p.get());
    const uint32_t stride = DibStride(h->biWidth, h->biBitCount);
    for (int y = 0; y < h->biHeight; ++y)
        for (int x = 0; x < h->biWidth; ++x) {
            const BYTE* row = rows + size_t(h->biHeight - 1 - y) * stride;
            BYTE rgb[3];
            if (h->biBitCount <= 8) {
                const RGBQUAD& c = table[DibPixelAt(row, x, h->biBitCount)];
                rgb[0] = c.rgbRed, rgb[1] = c.rgbGreen, rgb[2] = c.rgbBlue;
            } else {
                const BYTE* px = row + x * (h->biBitCount / 8);
                rgb[0] = px[2], rgb[1] = px[1], rgb[2] = px[0];
            }
            if (!f.mask.empty() && f.mask[size_t(y) * h->biWidth + x]) rgb[0] = rgb[1] = rgb[2] = 0;
            fwrite(rgb, 1, 3, out);
        }
    fclose(out);
}

int Read(const char* path, const char* outPrefix)
{
    CursorHost host;
    BYTE code = 0;
    const int result = Conv().LoadConvImage(nullptr, path, nullptr, &code, 0, CursorHost::Proc);
    int again = result;
    if (result == CONV_ERR_UNKNOWN_FORMAT) {  // an icon: read with an image record
        ConvImage image{};
        again = Conv().LoadConvImage(nullptr, path, &image, &code, 0, CursorHost::Proc);
        if (image.dib) GlobalFree(image.dib);
    }
    printf("result=%d frames=%d\n", again, host.FrameCount());
    for (int i = 0; i < host.FrameCount(); ++i) {
        GlobalLockGuard<BITMAPINFOHEADER> h(host.At(i).dib);
        printf("frame=%d size=%ldx%ld bits=%d hotspot=%u,%u\n", i, static_cast<long>(h.get()->biWidth),
               static_cast<long>(h.get()->biHeight), h.get()->biBitCount, host.At(i).hotspot & 0xFFFF,
               host.At(i).hotspot >> 16);
        WritePpm(std::string(outPrefix) + "." + std::to_string(i) + ".ppm", host.At(i));
    }
    if (host.Settings()) {
        GlobalLockGuard<AniSettings> s(host.Settings());
        printf("title=%s author=%s steps=%u", s.get()->title, s.get()->author, s.get()->stepCount);
        for (uint32_t i = 0; i < s.get()->stepCount; ++i) printf(" %u/%u", s.get()->seq[i], s.get()->rate[i]);
        printf("\n");
    }
    return again == 1 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!Conv().complete || argc < 4) {
        fprintf(stderr, "usage: CursorTool write|write-ani PATH BITS | read PATH OUT\n");
        return 2;
    }
    const std::string verb = argv[1];
    if (verb == "write") return WriteOne(argv[2], atoi(argv[3]), 0) == 1 ? 0 : 1;
    if (verb == "write-ani") return WriteAni(argv[2], atoi(argv[3])) == 1 ? 0 : 1;
    if (verb == "read") return Read(argv[2], argv[3]);
    return 2;
}
