// Prints the time of one tick of the editor's test run beside the player
// engine's step and redraw on the same animation files: 30 objects of 64 x 64
// with per-frame masks moving over a 640 x 480 picture, and 30 objects each
// running a list of 2048 steps with conditions and jumps.
// Usage: TestRunBench [folder for the generated files]
#include "AnimationContext.h"
#include "AnimationTables.h"
#include "BenchCommon.h"
#include "BmxFile.h"
#include "DocumentModel.h"
#include "Palette.h"
#include "ResultCodes.h"
#include "Settings.h"
#include "TestRun.h"
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 640, kHeight = 480;
constexpr int kObjects = MAX_EDITOR_OBJECTS;
constexpr int kFrame = 64;
constexpr int kTicks = 500;

uint32_t g_seed = 4711;
int Random(int n)
{
    g_seed = g_seed * 1103515245u + 12345u;
    return static_cast<int>((g_seed >> 16) % static_cast<uint32_t>(n));
}

// Discs on index 0 (black, the transparent colour) that change with the frame.
bool FillFrame(void*, int index, BYTE* bits)
{
    const uint32_t stride = DibStride(kFrame, 8);
    for (int y = 0; y < kFrame; ++y)
        for (int x = 0; x < kFrame; ++x) {
            const int dx = x - 32, dy = y - 32;
            bits[y * stride + x] = dx * dx + dy * dy > (28 - index) * (28 - index) ? 0 : static_cast<BYTE>(16 + (x + index * 9) % 200);
        }
    return true;
}

void DescribeFrame(void*, int, const char** name, int8_t* offsetX, int8_t* offsetY)
{
    *name = nullptr;
    *offsetX = *offsetY = 0;
}

bool WriteSequence(const std::string& path)
{
    BmxFormat format{};
    format.width = format.height = kFrame;
    format.bitsPerPixel = 8;
    format.colorTableEntries = 256;
    for (int i = 0; i < 256; ++i) format.colors[i] = {static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 7), 0};
    for (int k = 0; k < 16; ++k) {
        const PALETTEENTRY& e = kStaticColors[k];
        format.colors[k < 8 ? k : 240 + k] = {e.peBlue, e.peGreen, e.peRed, 0};
    }
    BmxFrameSource source{nullptr, FillFrame, DescribeFrame};
    return WriteBmxFile(path.c_str(), format, 8, 0, DEFAULT_BMX_COMPRESSION, source) == RESULT_OK;
}

bool WriteBackground(const char* path)
{
    FILE* f = fopen(path, "wb");
    if (!f) return false;
    BITMAPINFOHEADER bi{sizeof bi, kWidth, kHeight, 1, 24, BI_RGB, kWidth * 3 * kHeight, 0, 0, 0, 0};
    BITMAPFILEHEADER bf{0x4D42, static_cast<DWORD>(sizeof bf + sizeof bi + bi.biSizeImage), 0, 0, sizeof bf + sizeof bi};
    fwrite(&bf, sizeof bf, 1, f);
    fwrite(&bi, sizeof bi, 1, f);
    std::vector<BYTE> row(kWidth * 3);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            row[3 * x] = static_cast<BYTE>(x / 3);
            row[3 * x + 1] = static_cast<BYTE>(y / 2);
            row[3 * x + 2] = static_cast<BYTE>((x + y) / 5);
        }
        fwrite(row.data(), row.size(), 1, f);
    }
    fclose(f);
    return true;
}

// A step of the long lists: a short move, now and then a condition of one of
// the kinds and a jump anywhere in the list.
ObjectStep MakeStep()
{
    ObjectStep s{};
    s.frameIndex = static_cast<uint8_t>(Random(8));
    s.x = Random(9) - 4;
    s.y = Random(9) - 4;
    switch (Random(6)) {
    case 0: s.condition = static_cast<uint8_t>((1 + Random(6)) << 4); break;  // place
    case 1: s.condition = 0x01, s.conditionParam = static_cast<uint8_t>(1 + Random(3)); break;
    case 2: s.condition = static_cast<uint8_t>((1 + Random(6)) << 1); break;  // mouse
    default: break;
    }
    s.jumpTarget = Random(MAX_STEPS);
    return s;
}

bool WriteAnimation(const char* path, bool stepLists)
{
    AnimationTables t{};
    SetBenchSettings(&t.animationSettings, kWidth, kHeight);
    t.animationSettings.backgroundColor = 0x80000000u;
    lstrcpynA(t.animationSettings.backgroundImage, "back.bmp", 64);
    t.animationSettings.playFlags |= PLAY_TIMER_MODE;
    t.sequenceCount = 4;
    for (int i = 0; i < 4; ++i) {
        t.sequenceTable[i] = {8, 0, 256, {}};
        snprintf(t.sequenceTable[i].fileName, 64, "run%d.bmx", i);
    }
    t.objectCount = kObjects;
    for (int i = 0; i < kObjects; ++i) {
        ObjectRecord& o = t.objectTable[i];
        o.sequenceIndex = static_cast<uint8_t>(i % 4);
        snprintf(o.name, sizeof o.name, "Object %d", i);
        o.startX = (i * 97) % (kWidth - kFrame);
        o.startY = (i * 61) % (kHeight - kFrame);
        o.dx = 3 + i % 4;
        o.dy = 2 + i % 3;
        o.motionFlags = MOTION_BOUNCE;
        if (!stepLists) continue;
        o.objectFlags = OBJ_STEP_LIST;
        o.stepCount = MAX_STEPS;
        t.objectMemoryHandles[i][0] = AllocateStepBlock(MAX_STEPS);
        GlobalLockGuard<ObjectStep> steps(t.objectMemoryHandles[i][0]);
        for (int k = 0; k < MAX_STEPS; ++k) steps.get()[k] = MakeStep();
    }
    const bool ok = WriteAnimationFile(path, &t) == RESULT_OK;
    FreeAnimationTables(&t);
    return ok;
}

struct Timing {
    double mean = 0, worst = 0;
};

template <typename Tick>
Timing TimeTicks(Tick tick)
{
    Timing t;
    const double start = BenchNow();
    for (int i = 0; i < kTicks; ++i) {
        const double before = BenchNow();
        tick();
        GdiFlush();
        const double took = BenchNow() - before;
        t.worst = took > t.worst ? took : t.worst;
    }
    t.mean = (BenchNow() - start) / kTicks;
    return t;
}

// Where a tick's time goes: the mean of each part over the ticks.
struct Sections {
    static constexpr int kParts = 4;
    const char* names[kParts] = {};
    double seconds[kParts] = {};
    int ticks = 0;
    void Print(const char* who) const
    {
        printf("  %-9s", who);
        for (int i = 0; i < kParts && names[i]; ++i) printf(" %s %6.0f us", names[i], seconds[i] / ticks * 1e6);
        printf("\n");
    }
};

// Times each part of a tick on its own, flushing the drawing after each.
template <typename... Parts>
void TimeSections(Sections* sections, Parts... parts)
{
    const auto one = [&](int index, auto part) {
        const double before = BenchNow();
        part();
        GdiFlush();
        sections->seconds[index] += BenchNow() - before;
    };
    for (int t = 0; t < kTicks; ++t) {
        int index = 0;
        (one(index++, parts), ...);
    }
    sections->ticks = kTicks;
}

bool TimeEngine(const char* path, HWND window, Timing* out, Sections* sections)
{
    HANIM h = LoadEverything(path);
    if (!h) return false;
    StepAnimation(h, window);
    *out = TimeTicks([&] {
        StepAnimation(h, window);
        UpdateAnimWindow(h, window);
    });
    sections->names[0] = "step";
    sections->names[1] = "draw and copy";
    TimeSections(sections, [&] { StepAnimation(h, window); }, [&] { UpdateAnimWindow(h, window); });
    DestroyAnimation(h);
    return true;
}

bool TimeTestRun(const char* path, HWND window, Timing* out, Sections* sections)
{
    ResetDocument();
    const int result = OpenAnimation(path);
    if (result != RESULT_OK) {
        printf("the editor cannot open %s: %d\n", path, result);
        return false;
    }
    if (PrepareRun(window) != RESULT_OK || !g_testRun.ready) return false;
    g_testRun.soundOn = false;
    PerformFirstStep();
    *out = TimeTicks([] { TickRun(false); });
    const char* names[] = {"restore", "step", "draw", "copy"};
    std::copy(std::begin(names), std::end(names), sections->names);
    TimeSections(sections, RestoreBackgrounds, StepAllObjects, DrawObjects, [window] {
        HDC dc = GetDC(window);
        CopyChangedAreas(dc);
        ReleaseDC(window, dc);
    });
    EndRun();
    return true;
}

void Report(const char* what, const Timing& engine, const Timing& run)
{
    printf("%-44s engine %6.0f us (worst %6.0f), test run %6.0f us (worst %6.0f): %.2f x the engine\n", what,
           engine.mean * 1e6, engine.worst * 1e6, run.mean * 1e6, run.worst * 1e6, run.mean / engine.mean);
}

}  // namespace

int main(int argc, char** argv)
{
    if (!EnterBenchFolder(argc, argv, "TestRunBench")) return 1;
    for (int i = 0; i < 4; ++i)
        if (!WriteSequence("run" + std::to_string(i) + ".bmx")) return 1;
    if (!WriteBackground("back.bmp") || !WriteAnimation("objects.ans", false) || !WriteAnimation("steps.ans", true)) return 1;
    char ini[MAX_PATH];
    GetFullPathNameA("bench.ini", MAX_PATH, ini, nullptr);
    SetIniFilePath(ini);
    g_appState.instanceHandle = GetModuleHandleA(nullptr);
    g_appState.displayColorCount = COLORS_32BIT;
    InitAnimEngine(-1);
    HWND window = CreateBenchWindow("TestRunBench", kWidth, kHeight);
    char folder[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, folder);
    const struct {
        const char* file;
        const char* what;
    } runs[] = {{"objects.ans", "640x480 picture, 30 objects 64x64 with masks"},
                {"steps.ans", "30 step lists of 2048 steps, 64x64 frames"}};
    for (const auto& r : runs) {
        Timing engine, run;
        Sections engineParts, runParts;
        const std::string path = std::string(folder) + "\\" + r.file;
        if (!TimeEngine(path.c_str(), window, &engine, &engineParts)) {
            printf("%s: the engine cannot load it\n", r.file);
            return 1;
        }
        SetCurrentDirectoryA(folder);
        if (!TimeTestRun(path.c_str(), window, &run, &runParts)) return 1;
        SetCurrentDirectoryA(folder);
        Report(r.what, engine, run);
        engineParts.Print("engine");
        runParts.Print("test run");
    }
    DestroyWindow(window);
    ExitAnimEngine();
    return 0;
}
