// Times the image library's animated GIF import and export: each file given
// is read as a frame sequence through a stand-in editor, then written back
// from those frames and their settings, best of several runs each. The
// wrapper script (gif-bench.sh) prints the figures beside ImageMagick's.
// Usage: GifBench OUTFOLDER IN.gif...
#include "ConvTestSupport.h"
#include "FrameHost.h"
#include "GifAnimation.h"
#include "PackedDib.h"
#include <windows.h>
#include <cstdio>
#include <string>

namespace {

constexpr int RUNS = 3;

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// Copies a settings block, so that each export starts from the one import.
HGLOBAL CopyBlock(HGLOBAL block)
{
    const SIZE_T size = GlobalSize(block);
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    GlobalLockGuard<BYTE> from(block), to(copy);
    memcpy(to.get(), from.get(), size);
    return copy;
}

bool Bench(const char* path, const std::string& folder)
{
    double decodeBest = 0, encodeBest = 0;
    int frames = 0;
    const std::string out = folder + "\\" + "ours.gif";
    for (int run = 0; run < RUNS; ++run) {
        FrameHost host;
        BYTE code = 0;
        LARGE_INTEGER t0, t1, t2;
        QueryPerformanceCounter(&t0);
        const int read = Conv().LoadConvImage(nullptr, path, nullptr, &code, 0, FrameHost::Proc);
        QueryPerformanceCounter(&t1);
        if (read != CONV_OK || !host.Settings()) {
            printf("%s: import failed (%d)\n", path, read);
            return false;
        }
        frames = host.FrameCount();
        host.SetSettings(CopyBlock(host.Settings()));
        GlobalLockGuard<BITMAPINFOHEADER> first(host.Frame(0));
        host.colorCount = 1 << first.get()->biBitCount;
        const int written = Conv().SaveConvImage(nullptr, out.c_str(), nullptr, CONV_FORMAT_GIF_ANIM,
                                                 frames | GIF_SAVE_NO_PROGRESS, FrameHost::Proc);
        QueryPerformanceCounter(&t2);
        if (written != CONV_OK) {
            printf("%s: export failed (%d)\n", path, written);
            return false;
        }
        const double decode = Milliseconds(t0, t1), encode = Milliseconds(t1, t2);
        if (run == 0 || decode < decodeBest) decodeBest = decode;
        if (run == 0 || encode < encodeBest) encodeBest = encode;
    }
    printf("%-16s %3d frames  decode %8.1f ms  encode %8.1f ms  both %8.1f ms\n", path, frames, decodeBest,
           encodeBest, decodeBest + encodeBest);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || !Conv().complete) {
        fprintf(stderr, "usage: GifBench OUTFOLDER IN.gif... (ZelvoConv32.dll beside the program)\n");
        return 2;
    }
    bool ok = true;
    for (int i = 2; i < argc; ++i) ok = Bench(argv[i], argv[1]) && ok;
    return ok ? 0 : 1;
}
