// Times the change of 32 frames of 320 x 240 at 24 bits to 256 colours with
// "Use Frame Colors" (one palette for all frames), and writes the frames
// appended into one picture for the wrapper script to hand to another
// program. Usage: FrameFormatBench FOLDER
#include "AppState.h"
#include "BenchFrames.h"
#include "FrameFormat.h"
#include "Palette.h"
#include <cmath>
#include <cstdio>

namespace {

constexpr int FRAMES = 32, WIDTH = 320, HEIGHT = 240;

// Photo-like frames: smooth colour fields that move from frame to frame.
uint32_t PhotoColor(int f, int x, int y)
{
    const double t = f * 0.2;
    const int r = static_cast<int>(127 + 127 * std::sin(x * 0.021 + t));
    const int g = static_cast<int>(127 + 127 * std::sin(y * 0.033 - t));
    const int b = static_cast<int>(127 + 127 * std::sin((x + y) * 0.017 + 2 * t));
    return static_cast<uint32_t>(r << 16 | g << 8 | b);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: FrameFormatBench FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    MakeTrueColorFrames(FRAMES, WIDTH, HEIGHT, PhotoColor);
    WriteFramesBmp(folder + "/frames.bmp", 0, FRAMES);
    const BenchClock clock;
    const int changed = ChangeFrameFormat({0, 0, WIDTH, HEIGHT, COLORS_256, FORMAT_FRAME_COLORS});
    const double ms = clock.Milliseconds();
    printf("ChangeFrameFormat 24-bit -> 256, frame colours, %d frames of %d x %d: %.1f ms (result %d)\n", FRAMES, WIDTH,
           HEIGHT, ms, changed);
    WriteFramesBmp(folder + "/zelvo.bmp", 0, FRAMES);
    return changed == 1 ? 0 : 1;
}
