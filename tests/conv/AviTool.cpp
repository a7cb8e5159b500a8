// Exports AVI videos through the library from a script, for the check with
// ffprobe and ffmpeg (avi_interop.sh):
//   AviTool export PATH BITS DELAYS   three 16 x 12 frames of BITS (4 or 8)
//                                     bits with the delays ("2,1,3") at 12
//                                     frames per second, uncompressed;
//                                     PATH.bgr gets the three frames' colours
//                                     (bgr24, rows from the top)
// A hook answers the dialogs in place of a person.
#include "ConvResource.h"
#include "ConvTestSupport.h"
#include "CursorHost.h"
#include "DialogHook.h"
#include "PackedDib.h"
#include "TestFiles.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int (*const g_patterns[])(int, int) = {[](int x, int y) { return x + y; }, [](int x, int y) { return x * y; },
                                       [](int x, int) { return 200 - x; }};

std::vector<uint8_t> TopDownColours(HGLOBAL dib)
{
    GlobalLockGuard<BYTE> p(dib);
    const BITMAPINFOHEADER* h = DibHeader(p.get());
    const RGBQUAD* table = DibColors(p.get());
    const BYTE* bits = DibBits(p.get());
    const uint32_t stride = DibStride(h->biWidth, h->biBitCount);
    std::vector<uint8_t> bgr;
    for (int y = h->biHeight - 1; y >= 0; --y)
        for (int x = 0; x < h->biWidth; ++x) {
            const RGBQUAD& c = table[DibPixelAt(bits + size_t(y) * stride, x, h->biBitCount)];
            bgr.insert(bgr.end(), {c.rgbBlue, c.rgbGreen, c.rgbRed});
        }
    return bgr;
}

int Export(const char* path, int bits, const char* delays)
{
    CursorHost host;
    for (int i = 0; i < 3; ++i) {
        HGLOBAL dib = MakePatternDib(16, 12, bits, g_patterns[i]);
        host.AddFrame(dib);
        GlobalFree(dib);
    }
    std::vector<uint8_t> colours;
    for (int i = 0; i < 3; ++i) {
        const std::vector<uint8_t> one = TopDownColours(host.At(i).dib);
        colours.insert(colours.end(), one.begin(), one.end());
    }
    if (!WriteWholeFile(std::string(path) + ".bgr", colours)) return 2;
    // The current frame's block describes every frame.
    const SIZE_T size = GlobalSize(host.At(0).dib);
    HGLOBAL dib = GlobalAlloc(GMEM_MOVEABLE, size);
    {
        GlobalLockGuard<BYTE> from(host.At(0).dib), to(dib);
        memcpy(to.get(), from.get(), size);
    }
    OnDialog on([&](HWND dialog, const std::string& caption) {
        if (caption != "AVI Export") {
            ChooseUncompressed(dialog);
            return;
        }
        const char* delay = delays;
        for (int i = 0; i < 3 && delay; ++i) {
            char text[8];
            snprintf(text, sizeof text, "%d", atoi(delay));
            SetDlgItemTextA(dialog, IDC_AVI_DELAY, text);
            Leave(dialog, IDC_AVI_DELAY);
            Click(dialog, IDC_AVI_NEXT);
            delay = strchr(delay, ',');
            if (delay) ++delay;
        }
        Click(dialog, IDC_AVI_COMPRESSION);
        Press(dialog, IDOK);
    });
    const int result = Conv().SaveConvImage(nullptr, path, dib, CONV_FORMAT_AVI, 3, CursorHost::Proc);
    GlobalFree(dib);
    printf("result=%d\n", result);
    return result == 1 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!Conv().complete) {
        fprintf(stderr, "ZelvoConv32.dll not found beside the tool\n");
        return 2;
    }
    if (argc == 5 && strcmp(argv[1], "export") == 0) return Export(argv[2], atoi(argv[3]), argv[4]);
    fprintf(stderr, "usage: AviTool export PATH BITS DELAYS\n");
    return 2;
}
