// Times the change of 32 frames of 320 x 240 at 24 bits to 256 colours with
// "Use Frame Colors" (one palette for all frames), and writes the frames
// appended into one picture for the wrapper script to hand to another
// program. Usage: FrameFormatBench FOLDER
#include "AppState.h"
#include "DibPixels.h"
#include "DocumentModel.h"
#include "FrameBitmaps.h"
#include "FrameFormat.h"
#include "PackedDib.h"
#include "Palette.h"
#include "TestFiles.h"
#include <windows.h>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr int FRAMES = 32, WIDTH = 320, HEIGHT = 240;

// Photo-like frames: smooth colour fields that move from frame to frame.
void MakeFrames()
{
    SetColorFormat(COLORS_24BIT, nullptr, 0);
    g_appState.frameWidth = WIDTH;
    g_appState.frameHeight = HEIGHT;
    for (int f = 0; f < FRAMES; ++f) {
        g_appState.frameBitmaps[f] = CreateFrameBitmap(WIDTH, HEIGHT);
        DibPixels p(g_appState.frameBitmaps[f]);
        for (int y = 0; y < HEIGHT; ++y)
            for (int x = 0; x < WIDTH; ++x) {
                const double t = f * 0.2;
                const int r = static_cast<int>(127 + 127 * std::sin(x * 0.021 + t));
                const int g = static_cast<int>(127 + 127 * std::sin(y * 0.033 - t));
                const int b = static_cast<int>(127 + 127 * std::sin((x + y) * 0.017 + 2 * t));
                p.Set(x, y, static_cast<uint32_t>(r << 16 | g << 8 | b));
            }
    }
    SetFrameCount(FRAMES);
}

// The frames one below the other as a 24-bit BMP.
void WriteStrip(const std::string& path)
{
    std::vector<uint8_t> file;
    const uint32_t stride = DibStride(WIDTH, 24), size = stride * HEIGHT * FRAMES;
    BITMAPFILEHEADER fh{0x4D42, static_cast<DWORD>(14 + 40 + size), 0, 0, 54};
    BITMAPINFOHEADER ih{40, WIDTH, -HEIGHT * FRAMES, 1, 24, BI_RGB, size, 0, 0, 0, 0};
    file.insert(file.end(), reinterpret_cast<uint8_t*>(&fh), reinterpret_cast<uint8_t*>(&fh) + 14);
    file.insert(file.end(), reinterpret_cast<uint8_t*>(&ih), reinterpret_cast<uint8_t*>(&ih) + 40);
    for (int f = 0; f < FRAMES; ++f) {
        DibPixels p(g_appState.frameBitmaps[f]);
        for (int y = 0; y < HEIGHT; ++y) {
            std::vector<uint8_t> row(stride, 0);
            for (int x = 0; x < WIDTH; ++x) {
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

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: FrameFormatBench FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    g_appState.displayColorCount = COLORS_32BIT;
    ResetDocument();
    MakeFrames();
    WriteStrip(folder + "/frames.bmp");
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const int changed = ChangeFrameFormat({0, 0, WIDTH, HEIGHT, COLORS_256, 0x04});
    QueryPerformanceCounter(&end);
    const double ms = 1000.0 * double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    printf("ChangeFrameFormat 24-bit -> 256, frame colours, %d frames of %d x %d: %.1f ms (result %d)\n", FRAMES, WIDTH,
           HEIGHT, ms, changed);
    WriteStrip(folder + "/zelvo.bmp");
    return changed == 1 ? 0 : 1;
}
