// Times the reduction of a 1024 x 1024 photo-like 24-bit image to 256
// colours and reports how far the result lies from the source. Writes the
// source and the results as .BMP files into the folder given, so that the
// wrapper script can compare them with another program's reduction.
// Usage: QuantizeBench FOLDER
#include "ColorReduction.h"
#include "PackedDib.h"
#include "TestFiles.h"
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int SIDE = 1024;
constexpr int RUNS = 7;

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// Mean absolute difference per channel between a 24-bit and an 8-bit image.
double MeanError(HGLOBAL source, HGLOBAL reduced)
{
    GlobalLockGuard<BYTE> s(source), r(reduced);
    const BYTE* sourceRows = DibBits(s.get());
    const BYTE* reducedRows = DibBits(r.get());
    const RGBQUAD* table = DibColors(r.get());
    const uint32_t sourceStride = DibStride(SIDE, 24), reducedStride = DibStride(SIDE, 8);
    double sum = 0;
    for (int y = 0; y < SIDE; ++y)
        for (int x = 0; x < SIDE; ++x) {
            const BYTE* p = sourceRows + y * sourceStride + 3 * x;
            const RGBQUAD& c = table[reducedRows[y * reducedStride + x]];
            sum += std::abs(p[0] - c.rgbBlue) + std::abs(p[1] - c.rgbGreen) + std::abs(p[2] - c.rgbRed);
        }
    return sum / (3.0 * SIDE * SIDE);
}

void Run(const char* name, DWORD flags, HGLOBAL source, const std::string& folder, const char* file)
{
    std::vector<double> times;
    HGLOBAL result = nullptr;
    for (int run = 0; run < RUNS; ++run) {
        if (result) GlobalFree(result);
        GlobalLockGuard<BYTE> p(source);
        const BITMAPINFOHEADER* h = DibHeader(p.get());
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        result = QuantizeDibTo8Bit(flags, h, DibBits(p.get()), SIDE, SIDE, nullptr);
        QueryPerformanceCounter(&end);
        times.push_back(Milliseconds(start, end));
    }
    if (!result) {
        printf("%-28s failed\n", name);
        return;
    }
    std::sort(times.begin(), times.end());
    printf("%-28s best %7.1f ms  median %7.1f ms  mean error %.2f per channel\n", name, times.front(),
           times[times.size() / 2], MeanError(source, result));
    WriteDibAsBmp(folder + file, result);
    GlobalFree(result);
}

}  // namespace

int main(int argc, char** argv)
{
    std::string folder = argc > 1 ? argv[1] : ".";
    if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
    HGLOBAL source = MakePhotoLikeDib(SIDE, SIDE, 12345);
    if (!source || !WriteDibAsBmp(folder + "source.bmp", source)) {
        fprintf(stderr, "cannot make the source image in %s\n", folder.c_str());
        return 1;
    }
    printf("1024 x 1024 24-bit photo-like image to 256 colours (%d runs):\n", RUNS);
    Run("median cut", QUANTIZE_BUILD_PALETTE | QUANTIZE_MEDIAN_CUT, source, folder, "zelvo.bmp");
    Run("median cut, dithered", QUANTIZE_BUILD_PALETTE | QUANTIZE_MEDIAN_CUT | QUANTIZE_DITHER, source, folder,
        "zelvo-dither.bmp");
    Run("popularity", QUANTIZE_BUILD_PALETTE, source, folder, "zelvo-popular.bmp");
    Run("standard palette", QUANTIZE_BUILD_PALETTE | QUANTIZE_KEEP_STANDARD, source, folder, "zelvo-standard.bmp");
    GlobalFree(source);
    return 0;
}
