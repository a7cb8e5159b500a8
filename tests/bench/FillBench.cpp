// Times the paint tool's fill of one region of a 2048 x 2048 24-bit frame,
// by ExtFloodFill and by the mask fill, and writes the frame as .BMP so that
// the wrapper script can time another program's flood fill on it.
// Usage: FillBench FOLDER (prints the seed point the script should use).
#include "DrawingTools.h"
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int SIDE = 2048;
constexpr int RUNS = 5;
constexpr POINT SEED{SIDE / 2, SIDE / 2};

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

struct Frame {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    BYTE* bits = nullptr;
    Frame()
    {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), SIDE, SIDE, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        if (bitmap) old = SelectObject(dc, bitmap);
    }
    ~Frame()
    {
        if (old) SelectObject(dc, old);
        if (bitmap) DeleteObject(bitmap);
        if (dc) DeleteDC(dc);
    }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;
    size_t Bytes() const { return size_t(SIDE) * SIDE * 3; }
};

// White paper, a black ring round the seed and black bars inside it: the
// region is large and its border ragged, as a real drawing's would be.
void DrawRegion(HDC dc)
{
    PatBlt(dc, 0, 0, SIDE, SIDE, WHITENESS);
    HPEN ring = CreatePen(PS_SOLID, 5, RGB(0, 0, 0));
    HGDIOBJ oldPen = SelectObject(dc, ring);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Ellipse(dc, 40, 40, SIDE - 40, SIDE - 40);
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    for (int i = 0; i < 40; ++i) {
        const int x = 300 + (i * 97) % 1400, y = 300 + (i * 61) % 1400;
        if (abs(x - SEED.x) < 60 && abs(y - SEED.y) < 60) continue;
        Rectangle(dc, x, y, x + 20 + i % 7 * 15, y + 8 + i % 5 * 20);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(ring);
}

bool WriteBmp(const std::string& path, const Frame& frame)
{
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{sizeof(BITMAPINFOHEADER), SIDE, SIDE, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = DWORD(file.bfOffBits + frame.Bytes());
    FILE* out = fopen(path.c_str(), "wb");
    if (!out) return false;
    GdiFlush();
    const bool ok = fwrite(&file, sizeof file, 1, out) == 1 && fwrite(&info, sizeof info, 1, out) == 1 &&
                    fwrite(frame.bits, frame.Bytes(), 1, out) == 1;
    return fclose(out) == 0 && ok;
}

size_t BlackPixels(const Frame& frame)
{
    GdiFlush();
    size_t count = 0;
    for (size_t i = 0; i < frame.Bytes(); i += 3)
        if (frame.bits[i] == 0 && frame.bits[i + 1] == 0 && frame.bits[i + 2] == 0) ++count;
    return count;
}

template <typename Fill>
size_t Time(const char* name, Frame& frame, const std::vector<BYTE>& paper, Fill fill)
{
    std::vector<double> times;
    for (int run = 0; run < RUNS; ++run) {
        GdiFlush();
        std::copy(paper.begin(), paper.end(), frame.bits);
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        fill();
        GdiFlush();
        QueryPerformanceCounter(&end);
        times.push_back(Milliseconds(start, end));
    }
    std::sort(times.begin(), times.end());
    const size_t black = BlackPixels(frame);
    printf("%-24s best %8.1f ms  median %8.1f ms  black pixels after %zu\n", name, times.front(),
           times[times.size() / 2], black);
    return black;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string folder = argc > 1 ? argv[1] : ".";
    if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
    Frame frame;
    if (!frame.bitmap) {
        fprintf(stderr, "cannot make a %d x %d frame\n", SIDE, SIDE);
        return 1;
    }
    DrawRegion(frame.dc);
    GdiFlush();
    const std::vector<BYTE> paper(frame.bits, frame.bits + frame.Bytes());
    if (!WriteBmp(folder + "region.bmp", frame)) {
        fprintf(stderr, "cannot write %sregion.bmp\n", folder.c_str());
        return 1;
    }
    printf("seed %ld,%ld\n", SEED.x, SEED.y);
    printf("%d x %d 24-bit frame, one region filled black (%d runs, in process):\n", SIDE, SIDE, RUNS);
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    const size_t before = BlackPixels(frame);
    const size_t byFlood = Time("ExtFloodFill", frame, paper, [&] {
        HGDIOBJ old = SelectObject(frame.dc, black);
        ExtFloodFill(frame.dc, SEED.x, SEED.y, RGB(255, 255, 255), FLOODFILLSURFACE);
        SelectObject(frame.dc, old);
    });
    WriteBmp(folder + "zelvo-flood.bmp", frame);
    const size_t byMask = Time("mask fill", frame, paper, [&] {
        MaskFill(frame.dc, SIDE, SIDE, SEED, RGB(255, 255, 255), black, nullptr, POINT{0, 0});
    });
    WriteBmp(folder + "zelvo-mask.bmp", frame);
    printf("pixels filled: ExtFloodFill %zu, mask fill %zu%s\n", byFlood - before, byMask - before,
           byFlood == byMask ? " (the same)" : " (DIFFERENT)");
    return 0;
}
