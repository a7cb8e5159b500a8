// Times the export's reduction of one 640 x 480 true-colour picture to the
// 8-bit palette of the AVI: the read as 5-5-5 rows and the nearest-colour
// mapping with its cache, first with an empty cache (the first frame of an
// export) and then with a filled one (every later frame). Writes the picture
// and the palette as BMP files for ImageMagick's -remap on the same data
// (convert-bench.sh).
//
//   ConvertBench OUTPUT_FOLDER
#include "AnimationContext.h"
#include "ExportLibrary.h"
#include "PackedDib.h"
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int WIDTH = 640, HEIGHT = 480, RUNS = 20;

// A photo-like picture: broad shaded areas, a few shapes and some grain, so
// that it holds many thousands of colours as a photograph does.
uint32_t PhotoPixel(int x, int y, uint32_t& seed)
{
    seed = seed * 1664525u + 1013904223u;
    const int grain = static_cast<int>((seed >> 24) & 15) - 8;
    const double u = x / static_cast<double>(WIDTH), v = y / static_cast<double>(HEIGHT);
    double r = 70 + 150 * v, g = 110 + 90 * std::sin(3.0 * u), b = 200 - 120 * v;
    const double dx = u - 0.35, dy = v - 0.45;
    if (dx * dx + dy * dy < 0.05) r = 220 - 200 * (dx * dx + dy * dy) * 10, g = 150 + 60 * u, b = 40 + 50 * v;
    if (u > 0.6 && u < 0.9 && v > 0.2 && v < 0.7) r = 40 + 60 * u, g = 160 + 80 * v, b = 90;
    auto channel = [grain](double c) { return static_cast<uint32_t>(std::fmax(0.0, std::fmin(255.0, c + grain))); };
    return channel(r) << 16 | channel(g) << 8 | channel(b);
}

bool WriteBmp(const std::string& path, int width, int height, int bits, const RGBQUAD* colors, int colorCount,
              const BYTE* rows)
{
    const uint32_t stride = DibStride(width, bits), rowBytes = stride * height;
    BITMAPINFOHEADER info{sizeof info, width, height, 1, static_cast<WORD>(bits), BI_RGB, rowBytes, 2835, 2835,
                          static_cast<DWORD>(colorCount), 0};
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof info + colorCount * sizeof(RGBQUAD);
    BITMAPFILEHEADER file{0x4D42, offset + rowBytes, 0, 0, offset};
    FILE* out = fopen(path.c_str(), "wb");
    if (!out) return false;
    bool ok = fwrite(&file, sizeof file, 1, out) == 1 && fwrite(&info, sizeof info, 1, out) == 1 &&
              fwrite(colors, sizeof(RGBQUAD), colorCount, out) == static_cast<size_t>(colorCount) &&
              fwrite(rows, 1, rowBytes, out) == rowBytes;
    return fclose(out) == 0 && ok;
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return (to.QuadPart - from.QuadPart) * 1000.0 / frequency.QuadPart;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? std::string(argv[1]) + "\\" : "";
    // The picture as the engine keeps it on a true-colour display: a 32-bit DIB section.
    BITMAPINFOHEADER header{sizeof header, WIDTH, HEIGHT, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* pixels = nullptr;
    HBITMAP picture = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &pixels,
                                       nullptr, 0);
    if (!picture) return 1;
    std::vector<BYTE> rows24(DibStride(WIDTH, 24) * HEIGHT);
    uint32_t seed = 7;
    for (int y = 0; y < HEIGHT; ++y)
        for (int x = 0; x < WIDTH; ++x) {
            const uint32_t c = PhotoPixel(x, y, seed);
            const int row = HEIGHT - 1 - y;
            static_cast<uint32_t*>(pixels)[row * WIDTH + x] = c;
            BYTE* p = &rows24[row * DibStride(WIDTH, 24) + 3 * x];
            p[0] = static_cast<BYTE>(c), p[1] = static_cast<BYTE>(c >> 8), p[2] = static_cast<BYTE>(c >> 16);
        }
    // The colour table of an export: the engine's default palette laid out as its pictures are.
    RGBQUAD table[256];
    FillDibSectionColors(nullptr, 8, table);

    std::vector<BYTE> bits(DibStride(WIDTH, 16) * HEIGHT);
    std::vector<uint16_t> cache(COLOR_CACHE_ENTRIES);
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFOHEADER read{sizeof read, WIDTH, HEIGHT, 1, 16, BI_RGB, 0, 0, 0, 0, 0};
    auto convert = [&](bool clear) {
        if (clear) ClearColorCache(cache.data());
        GetDIBits(dc, picture, 0, HEIGHT, bits.data(), reinterpret_cast<BITMAPINFO*>(&read), DIB_RGB_COLORS);
        ConvertRowsTo8Bit(bits.data(), WIDTH, HEIGHT, table, 256, cache.data());
    };
    double first = 1e9, later = 1e9;
    for (int run = 0; run < RUNS; ++run) {
        LARGE_INTEGER t0, t1, t2;
        QueryPerformanceCounter(&t0);
        convert(true);
        QueryPerformanceCounter(&t1);
        convert(false);
        QueryPerformanceCounter(&t2);
        first = std::fmin(first, Milliseconds(t0, t1));
        later = std::fmin(later, Milliseconds(t1, t2));
    }
    DeleteDC(dc);
    DeleteObject(picture);

    printf("ConvertBench: %dx%d true colour to 8 bits (read as 5-5-5, nearest colour), best of %d\n", WIDTH, HEIGHT,
           RUNS);
    printf("  first frame of an export (empty cache): %7.2f ms\n", first);
    printf("  later frames (filled cache):            %7.2f ms\n", later);
    if (!folder.empty()) {
        const bool ok = WriteBmp(folder + "frame.bmp", WIDTH, HEIGHT, 24, nullptr, 0, rows24.data()) &&
                        WriteBmp(folder + "palette.bmp", 256, 1, 8, table, 256, [] {
                            static BYTE row[256];
                            for (int i = 0; i < 256; ++i) row[i] = static_cast<BYTE>(i);
                            return row;
                        }()) &&
                        WriteBmp(folder + "export.bmp", WIDTH, HEIGHT, 8, table, 256, bits.data());
        if (!ok) return 1;
    }
    return 0;
}
