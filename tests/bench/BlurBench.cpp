// Times "Blur medium" (preset 551) over 50 selected frames of 640 x 480 at
// 24 bits, in process, and writes each frame before (inNN.bmp) and frame 0
// after (zelvo.bmp) for the wrapper script to hand to another program.
// Usage: BlurBench FOLDER
#include "AppState.h"
#include "BenchFrames.h"
#include "FrameSelection.h"
#include "PixelEffects.h"
#include "Undo.h"
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr int FRAMES = 50, WIDTH = 640, HEIGHT = 480;

// Smooth fields with hard edges every 37 pixels.
uint32_t EdgedColor(int f, int x, int y)
{
    const int r = static_cast<int>(127 + 127 * std::sin(x * 0.05 + f * 0.3));
    const int g = ((x / 37 + y / 37 + f) & 1) ? 230 : 20;
    const int b = (x * 3 + y * 2 + f * 5) & 0xFF;
    return static_cast<uint32_t>(r << 16 | g << 8 | b);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: BlurBench FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    MakeTrueColorFrames(FRAMES, WIDTH, HEIGHT, EdgedColor);
    for (int f = 0; f < FRAMES; ++f) {
        char name[32];
        snprintf(name, sizeof name, "/in%02d.bmp", f);
        WriteFramesBmp(folder + name, f, 1);
    }
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(551), MAKEINTRESOURCEA(10));
    if (!found) return 1;
    memcpy(&g_effectMatrix, LockResource(LoadResource(nullptr, found)), sizeof g_effectMatrix);
    SetFrameSelection(SELECTION_SELECT_ALL, 0, 0);
    g_appState.currentFrame = 0;
    const BenchClock clock;
    const int ran = RunPixelPass(nullptr, 24, 0, 0, WIDTH, HEIGHT, PASS_EDGE_ROWS | PASS_NO_UNDO, MatrixEffectRoutine,
                                 &g_effectMatrix);
    const double ms = clock.Milliseconds();
    printf("Blur medium, %d selected frames of %d x %d at 24 bits: %.1f ms (result %d)\n", FRAMES, WIDTH, HEIGHT, ms, ran);
    WriteFramesBmp(folder + "/zelvo.bmp", 0, 1);
    return ran == 1 ? 0 : 1;
}
