// Times "Blur medium" (preset 551) over 50 selected frames of 640 x 480 at
// 24 bits, in process, and writes each frame before (inNN.bmp) and frame 0
// after (zelvo.bmp) for the wrapper script to hand to another program.
// Usage: BlurBench FOLDER
#include "AppState.h"
#include "DibPixels.h"
#include "DocumentModel.h"
#include "FrameBitmaps.h"
#include "FrameSelection.h"
#include "PackedDib.h"
#include "Palette.h"
#include "PixelEffects.h"
#include "TestFiles.h"
#include "Undo.h"
#include <windows.h>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int FRAMES = 50, WIDTH = 640, HEIGHT = 480;

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
                // Smooth fields with hard edges every 37 pixels.
                const int r = static_cast<int>(127 + 127 * std::sin(x * 0.05 + f * 0.3));
                const int g = ((x / 37 + y / 37 + f) & 1) ? 230 : 20;
                const int b = (x * 3 + y * 2 + f * 5) & 0xFF;
                p.Set(x, y, static_cast<uint32_t>(r << 16 | g << 8 | b));
            }
    }
    SetFrameCount(FRAMES);
}

void WriteFrame(int frame, const std::string& path)
{
    const uint32_t stride = DibStride(WIDTH, 24), size = stride * HEIGHT;
    BITMAPFILEHEADER fh{0x4D42, static_cast<DWORD>(14 + 40 + size), 0, 0, 54};
    BITMAPINFOHEADER ih{40, WIDTH, -HEIGHT, 1, 24, BI_RGB, size, 0, 0, 0, 0};
    std::vector<uint8_t> file(reinterpret_cast<uint8_t*>(&fh), reinterpret_cast<uint8_t*>(&fh) + 14);
    file.insert(file.end(), reinterpret_cast<uint8_t*>(&ih), reinterpret_cast<uint8_t*>(&ih) + 40);
    DibPixels p(g_appState.frameBitmaps[frame]);
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
    WriteWholeFile(path, file);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: BlurBench FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    g_appState.displayColorCount = COLORS_32BIT;
    ResetDocument();
    MakeFrames();
    for (int f = 0; f < FRAMES; ++f) {
        char name[32];
        snprintf(name, sizeof name, "/in%02d.bmp", f);
        WriteFrame(f, folder + name);
    }
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(551), MAKEINTRESOURCEA(10));
    if (!found) return 1;
    memcpy(&g_effectMatrix, LockResource(LoadResource(nullptr, found)), sizeof g_effectMatrix);
    SetFrameSelection(SELECTION_SELECT_ALL, 0, 0);
    g_appState.currentFrame = 0;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const int ran = RunPixelPass(nullptr, 24, 0, 0, WIDTH, HEIGHT, PASS_EDGE_ROWS | PASS_NO_UNDO, MatrixEffectRoutine,
                                 &g_effectMatrix);
    QueryPerformanceCounter(&end);
    const double ms = 1000.0 * double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    printf("Blur medium, %d selected frames of %d x %d at 24 bits: %.1f ms (result %d)\n", FRAMES, WIDTH, HEIGHT, ms, ran);
    WriteFrame(0, folder + "/zelvo.bmp");
    return ran == 1 ? 0 : 1;
}
