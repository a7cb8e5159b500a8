// Prints how long the engine takes to load a large animation and to redraw a
// busy picture. Usage: ReelBench [folder for the generated files]
//   load:   12 sequences of 255 frames, 128 x 128 at 8 bits, one object each
//   redraw: a 640 x 480 picture with a background picture and 30 objects of
//           64 x 64 that move and change their frame on every tick
#include "AnimationContext.h"
#include "BenchCommon.h"
#include "AnimationTables.h"
#include "BmxFile.h"
#include "ResultCodes.h"
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Frames {
    int width, height, seed;
};

bool FillFrame(void* context, int index, BYTE* bits)
{
    const auto* f = static_cast<const Frames*>(context);
    const uint32_t stride = DibStride(f->width, 8);
    for (int y = 0; y < f->height; ++y)
        for (int x = 0; x < f->width; ++x) {
            // A ring that is transparent (index 0) outside, with some detail inside.
            const int dx = x - f->width / 2, dy = y - f->height / 2;
            const bool outside = dx * dx + dy * dy > (f->width / 2 - 2) * (f->width / 2 - 2);
            bits[y * stride + x] = outside ? 0 : static_cast<BYTE>(16 + (x / 4 + y / 4 + index + f->seed) % 200);
        }
    return true;
}

void DescribeFrame(void*, int, const char** name, int8_t* offsetX, int8_t* offsetY)
{
    *name = nullptr;
    *offsetX = *offsetY = 0;
}

bool WriteFrames(const std::string& path, int width, int height, int count, int seed)
{
    BmxFormat format{};
    format.width = width;
    format.height = height;
    format.bitsPerPixel = 8;
    format.colorTableEntries = 256;
    // As the editor writes them: the 16 static colours at both ends.
    for (int i = 0; i < 256; ++i)
        format.colors[i] = {static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 7), 0};
    for (int k = 0; k < 16; ++k) {
        const PALETTEENTRY& e = kStaticColors[k];
        format.colors[k < 8 ? k : 240 + k] = {e.peBlue, e.peGreen, e.peRed, 0};
    }
    Frames frames{width, height, seed};
    BmxFrameSource source{&frames, FillFrame, DescribeFrame};
    return WriteBmxFile(path.c_str(), format, count, 0, DEFAULT_BMX_COMPRESSION, source) == RESULT_OK;
}

bool WriteAnimation(const std::string& path, int width, int height, int sequences, int objects, const char* background)
{
    AnimationTables t{};
    SetBenchSettings(&t.animationSettings, width, height);
    if (background) {
        t.animationSettings.backgroundColor = 0x80000000u;
        lstrcpynA(t.animationSettings.backgroundImage, background, 64);
    }
    t.sequenceCount = static_cast<uint8_t>(sequences);
    for (int i = 0; i < sequences; ++i) {
        t.sequenceTable[i] = {0, 0, 256, {}};
        snprintf(t.sequenceTable[i].fileName, 64, "bench%d.bmx", i);
    }
    t.objectCount = static_cast<uint8_t>(objects);
    for (int i = 0; i < objects; ++i) {
        ObjectRecord& o = t.objectTable[i];
        o.sequenceIndex = static_cast<uint8_t>(i % sequences);
        snprintf(o.name, sizeof o.name, "Object %d", i);
        o.startX = (i * 97) % (width - 64);
        o.startY = (i * 61) % (height - 64);
    }
    const bool ok = WriteAnimationFile(path.c_str(), &t) == RESULT_OK;
    FreeAnimationTables(&t);
    return ok;
}

void BenchLoad(const char* mode)
{
    double best = 1e9, total = 0;
    const int rounds = 3;
    for (int r = 0; r < rounds; ++r) {
        const double start = BenchNow();
        HANIM h = LoadEverything("load.ans");
        const double took = BenchNow() - start;
        if (!h) {
            printf("load: failed\n");
            return;
        }
        DestroyAnimation(h);
        best = took < best ? took : best;
        total += took;
    }
    printf("load   %-14s 12 x 255 frames 128x128x8: best %.0f ms, mean %.0f ms (%.1f us per frame)\n", mode,
           best * 1000, total / rounds * 1000, best * 1e6 / (12 * 255));
}

void BenchRedraw(const char* mode, HWND window)
{
    HANIM h = LoadEverything("redraw.ans");
    if (!h) {
        printf("redraw: failed\n");
        return;
    }
    const int ticks = 1000;
    HDC windowDC = GetDC(window);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 640, -480, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits;
    HBITMAP memoryBitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memoryDC = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memoryDC, memoryBitmap);
    for (HDC target : {memoryDC, windowDC}) {
        {
            ContextLock c(h);
            CreateObjectSaveBitmaps(c.get());
            c->firstStepDone = 1;
        }
        double worst = 0;
        const double start = BenchNow();
        for (int tick = 0; tick < ticks; ++tick) {
            const double tickStart = BenchNow();
            ContextLock c(h);
            for (int i = 0; i < c->header.objectCount; ++i) {
                ObjectRuntime& o = c->objectRuntime[i];
                o.x = static_cast<int16_t>((o.x + 3 + i % 4) % 640);
                o.y = static_cast<int16_t>((o.y + 2 + i % 3) % 480);
                o.frame = static_cast<uint8_t>((o.frame + 1) % c->sequences[o.sequence].frameCount);
            }
            RedrawChangedAreas(c.get(), window, target);
            GdiFlush();
            const double took = BenchNow() - tickStart;
            worst = took > worst ? took : worst;
        }
        const double mean = (BenchNow() - start) / ticks;
        printf("redraw %-14s 640x480, 30 objects 64x64, to %-6s: mean %.0f us per tick, worst %.0f us\n", mode,
               target == memoryDC ? "memory" : "window", mean * 1e6, worst * 1e6);
    }
    SelectObject(memoryDC, old);
    DeleteDC(memoryDC);
    DeleteObject(memoryBitmap);
    ReleaseDC(window, windowDC);
    DestroyAnimation(h);
}

}  // namespace

int main(int argc, char** argv)
{
    if (!EnterBenchFolder(argc, argv, "ReelBench")) return 1;
    for (int i = 0; i < 12; ++i)
        if (!WriteFrames("bench" + std::to_string(i) + ".bmx", 128, 128, 255, i)) return 1;
    if (!WriteAnimation("load.ans", 640, 480, 12, 12, nullptr)) return 1;
    // The redraw animation uses its own 64 x 64 sequences.
    for (int i = 0; i < 4; ++i)
        if (!WriteFrames("small" + std::to_string(i) + ".bmx", 64, 64, 8, i)) return 1;
    {
        FILE* f = fopen("back.bmp", "wb");  // a 640 x 480 picture at 24 bits
        if (!f) return 1;
        BITMAPINFOHEADER bi{sizeof bi, 640, 480, 1, 24, BI_RGB, 640 * 3 * 480, 0, 0, 0, 0};
        BITMAPFILEHEADER bf{0x4D42, static_cast<DWORD>(sizeof bf + sizeof bi + bi.biSizeImage), 0, 0, sizeof bf + sizeof bi};
        fwrite(&bf, sizeof bf, 1, f);
        fwrite(&bi, sizeof bi, 1, f);
        std::vector<BYTE> row(640 * 3);
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                row[3 * x] = static_cast<BYTE>(x / 3);
                row[3 * x + 1] = static_cast<BYTE>(y / 2);
                row[3 * x + 2] = static_cast<BYTE>((x + y) / 5);
            }
            fwrite(row.data(), row.size(), 1, f);
        }
        fclose(f);
    }
    if (!WriteAnimation("redraw.ans", 640, 480, 4, 30, "back.bmp")) return 1;
    {
        // Point the redraw animation at the small sequences.
        AnimationTables t{};
        if (ReadAnimationFile("redraw.ans", &t, MAX_PLAYER_OBJECTS) != RESULT_OK) return 1;
        for (int i = 0; i < t.sequenceCount; ++i) snprintf(t.sequenceTable[i].fileName, 64, "small%d.bmx", i);
        const bool ok = WriteAnimationFile("redraw.ans", &t) == RESULT_OK;
        FreeAnimationTables(&t);
        if (!ok) return 1;
    }

    HWND window = CreateBenchWindow("ReelBench", 640, 480);
    const struct {
        const char* name;
        int hint;
    } modes[] = {{"DIB sections", 0}, {"device bitmaps", 1}};
    for (const auto& mode : modes) {
        InitAnimEngine(mode.hint);
        BenchLoad(mode.name);
        BenchRedraw(mode.name, window);
        ExitAnimEngine();
    }
    DestroyWindow(window);
    return 0;
}
