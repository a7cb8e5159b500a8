// A test program: prints a page of frames through the print table into a
// memory DC standing in for the printer, once in bands and once whole, and
// writes the frames, the two pages and the layout, so that a script can hold
// the pages against a picture ImageMagick composes from the same frames.
//   PrintToMemory FOLDER
// writes FOLDER\frame0.bmp .. frame2.bmp, FOLDER\page-bands.bmp,
// FOLDER\page-whole.bmp, and prints one line "frameN.bmp X Y W H" per
// placement (printer pixels) on standard output.
#include "FakePrinter.h"
#include "PackedDib.h"
#include "Printing.h"
#include <cstdio>
#include <string>

namespace {

// Three frames with patterns that show any shift, flip or stretch.
HGLOBAL MakeFrame(int width, int height, int seed)
{
    HGLOBAL dib = CreatePackedDib(width, height, 24, nullptr, 0);
    GlobalLockGuard<BYTE> p(dib);
    BYTE* bits = DibBits(p.get());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            // Rows are stored bottom-up; (x, y) counts from the top.
            BYTE* pixel = bits + (height - 1 - y) * DibStride(width, 24) + x * 3;
            pixel[0] = static_cast<BYTE>(40 + 200 * x / width);                 // blue grows to the right
            pixel[1] = static_cast<BYTE>(40 + 200 * y / height);                // green grows downwards
            pixel[2] = static_cast<BYTE>(((x / 2 + y / 3 + seed) % 3) * 120);   // a diagonal pattern
        }
    return dib;
}

int Print(const PlacedFrame* frames, const HGLOBAL* dibs, int count, bool banded, const std::string& path)
{
    FakePrinter printer;
    printer.caps = {600, 800, 203, 271, 75, 75};
    printer.supportsNextBand = printer.supportsBandInfo = banded;
    // Band edges fall on whole source pixels of the placements they cut.
    printer.bands = {{0, 0, 600, 96}, {0, 96, 600, 200}, {0, 200, 600, 420}, {0, 420, 600, 800}};
    InstallFakePrinter(&printer);
    const int result = PrintPage(nullptr, frames, dibs, count, "page", banded);
    InstallFakePrinter(nullptr);
    if (result != 1 || !printer.SavePage(path)) {
        fprintf(stderr, "printing %s failed: %d\n", path.c_str(), result);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: PrintToMemory FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "\\";
    const HGLOBAL frameDibs[] = {MakeFrame(16, 16, 0), MakeFrame(8, 12, 1), MakeFrame(20, 10, 2)};
    for (int i = 0; i < 3; ++i)
        if (!SavePackedDib(frameDibs[i], folder + "frame" + std::to_string(i) + ".bmp")) return 1;
    // Whole-number scales, some placements crossing band edges, one
    // overlapping another and one running past the page's edge.
    const PlacedFrame frames[] = {
        {0, 40, 60, 64, 64},     // x4, crosses the band edge at 96
        {1, 200, 100, 16, 24},   // x2
        {2, 300, 400, 200, 100}, // x10, crosses 420
        {0, 60, 80, 32, 32},     // x2, over the first
        {1, 520, 700, 160, 240}, // x20, past the right and lower edges
    };
    const int count = sizeof frames / sizeof frames[0];
    HGLOBAL dibs[count];
    for (int i = 0; i < count; ++i) {
        dibs[i] = frameDibs[frames[i].frameIndex];
        printf("frame%d.bmp %d %d %d %d\n", frames[i].frameIndex, frames[i].x, frames[i].y, frames[i].width,
               frames[i].height);
    }
    const int failed = Print(frames, dibs, count, true, folder + "page-bands.bmp") +
                       Print(frames, dibs, count, false, folder + "page-whole.bmp");
    for (HGLOBAL dib : frameDibs) GlobalFree(dib);
    return failed ? 1 : 0;
}
