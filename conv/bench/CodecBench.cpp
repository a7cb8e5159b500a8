// Times the TIFF (LZW) and JPEG writers and readers on a 2048 x 2048
// photo-like 24-bit frame, best of several runs, and leaves the files for
// codec-bench.sh to hand to tiffcp, cjpeg and djpeg.
// Usage: CodecBench FOLDER
#include "JpegCodec.h"
#include "PackedDib.h"
#include "TestFiles.h"
#include "TiffCodec.h"
#include <windows.h>
#include <cstdio>
#include <string>

namespace {

constexpr int SIDE = 2048;
constexpr int RUNS = 3;

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// The best time of RUNS calls; false when a call failed.
template <typename F>
bool Best(const char* what, F call)
{
    double best = 0;
    for (int i = 0; i < RUNS; ++i) {
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        const int result = call();
        QueryPerformanceCounter(&b);
        if (result != 1) {
            printf("%-26s failed (%d)\n", what, result);
            return false;
        }
        const double t = Milliseconds(a, b);
        if (i == 0 || t < best) best = t;
    }
    printf("%-26s %8.1f ms\n", what, best);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: CodecBench FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    GlobalBlock dib(MakePhotoLikeDib(SIDE, SIDE, 7));
    if (!dib || !WriteDibAsBmp(folder + "\\source.bmp", dib.Get())) return 1;
    const std::string plain = folder + "\\source.tif", lzw = folder + "\\zelvo.tif", jpg = folder + "\\zelvo.jpg";
    if (SaveTiff(plain.c_str(), dib.Get(), {24, TIFF_COMPRESSION_NONE, 8}) != 1) return 1;
    bool ok = Best("TIFF LZW write", [&] { return SaveTiff(lzw.c_str(), dib.Get(), {24, TIFF_COMPRESSION_LZW, 8}); });
    ok = ok && Best("TIFF LZW read", [&] {
        ConvImage image{};
        const int result = LoadTiff(lzw.c_str(), &image);
        GlobalBlock read(image.dib);
        return result;
    });
    ok = ok && Best("JPEG write (quality 100)", [&] { return WriteJpeg(jpg.c_str(), dib.Get()); });
    ok = ok && Best("JPEG read", [&] {
        ConvImage image{};
        const int result = ReadJpeg(jpg.c_str(), &image);
        GlobalBlock read(image.dib);
        return result;
    });
    return ok ? 0 : 1;
}
