// The documents the in-process benchmarks work on: 24-bit frames drawn by a
// function, written out as BMP files for the other program they are timed
// against, and a clock.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

// The colour of a pixel as 0xRRGGBB.
using FrameColor = uint32_t (*)(int frame, int x, int y);

// A fresh document of `frames` 24-bit frames of width x height (display at
// 32 bits) with every pixel drawn by `color`.
void MakeTrueColorFrames(int frames, int width, int height, FrameColor color);

// Frames first .. first + count - 1, one below the other, as one 24-bit
// top-down BMP.
void WriteFramesBmp(const std::string& path, int first, int count);

// Milliseconds since the clock was made.
class BenchClock {
public:
    BenchClock();
    double Milliseconds() const;

private:
    LARGE_INTEGER frequency_{}, start_{};
};
