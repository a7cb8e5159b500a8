#include "BenchFrames.h"
#include "AppState.h"
#include "DibPixels.h"
#include "DocumentModel.h"
#include "FrameBitmaps.h"
#include "PackedDib.h"
#include "Palette.h"
#include "TestFiles.h"
#include <vector>

void MakeTrueColorFrames(int frames, int width, int height, FrameColor color)
{
    g_appState.displayColorCount = COLORS_32BIT;
    ResetDocument();
    SetColorFormat(COLORS_24BIT, nullptr, 0);
    g_appState.frameWidth = width;
    g_appState.frameHeight = height;
    for (int f = 0; f < frames; ++f) {
        g_appState.frameBitmaps[f] = CreateFrameBitmap(width, height);
        DibPixels p(g_appState.frameBitmaps[f]);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) p.Set(x, y, color(f, x, y));
    }
    SetFrameCount(frames);
}

void WriteFramesBmp(const std::string& path, int first, int count)
{
    const int width = g_appState.frameWidth, height = g_appState.frameHeight;
    const uint32_t stride = DibStride(width, 24), size = stride * height * count;
    BITMAPFILEHEADER fh{0x4D42, static_cast<DWORD>(14 + 40 + size), 0, 0, 54};
    BITMAPINFOHEADER ih{40, width, -height * count, 1, 24, BI_RGB, size, 0, 0, 0, 0};
    std::vector<uint8_t> file(reinterpret_cast<uint8_t*>(&fh), reinterpret_cast<uint8_t*>(&fh) + 14);
    file.insert(file.end(), reinterpret_cast<uint8_t*>(&ih), reinterpret_cast<uint8_t*>(&ih) + 40);
    std::vector<uint8_t> row(stride, 0);
    for (int f = first; f < first + count; ++f) {
        DibPixels p(g_appState.frameBitmaps[f]);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const COLORREF c = p.Color(x, y);
                row[3 * x] = GetBValue(c);
                row[3 * x + 1] = GetGValue(c);
                row[3 * x + 2] = GetRValue(c);
            }
            file.insert(file.end(), row.begin(), row.end());
        }
    }
    WriteWholeFile(path, file);
}

BenchClock::BenchClock()
{
    QueryPerformanceFrequency(&frequency_);
    QueryPerformanceCounter(&start_);
}

double BenchClock::Milliseconds() const
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * double(now.QuadPart - start_.QuadPart) / double(frequency_.QuadPart);
}
