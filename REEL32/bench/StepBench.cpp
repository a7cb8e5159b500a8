// Prints how many playback steps a second the play loop manages without
// drawing: 32 objects, each running a list of 2048 steps with key, mouse,
// click, place and counter conditions, jumps and start masks. Beside it the
// same steps with the window update, for comparison with ReelBench's redraw.
// Usage: StepBench [folder for the generated files]
#include "AnimationContext.h"
#include "BenchCommon.h"
#include "AnimationTables.h"
#include "BmxFile.h"
#include "ResultCodes.h"
#include <cstdio>
#include <string>

namespace {

constexpr int kObjects = MAX_PLAYER_OBJECTS;
constexpr int kSteps = MAX_STEPS;
constexpr int kWidth = 640, kHeight = 480;

uint32_t g_seed = 12345;
int Random(int n)
{
    g_seed = g_seed * 1103515245u + 12345u;
    return static_cast<int>((g_seed >> 16) % static_cast<uint32_t>(n));
}

bool FillFrame(void*, int index, BYTE* bits)
{
    const uint32_t stride = DibStride(32, 8);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) bits[y * stride + x] = (x + y) % 5 == 0 ? 0 : static_cast<BYTE>(16 + (x + index) % 200);
    return true;
}

void DescribeFrame(void*, int, const char** name, int8_t* offsetX, int8_t* offsetY)
{
    *name = nullptr;
    *offsetX = *offsetY = 0;
}

bool WriteSequence(const char* path)
{
    BmxFormat format{};
    format.width = 32;
    format.height = 32;
    format.bitsPerPixel = 8;
    format.colorTableEntries = 256;
    for (int i = 0; i < 256; ++i) format.colors[i] = {static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 3), 0};
    format.colors[0] = {0, 0, 0, 0};
    BmxFrameSource source{nullptr, FillFrame, DescribeFrame};
    return WriteBmxFile(path, format, 8, 0, DEFAULT_BMX_COMPRESSION, source) == RESULT_OK;
}

// A step of a short wait with a condition of one of the kinds and a jump
// anywhere in the list; one in eight goes to an absolute place, about one in
// eight starts another object.
ObjectStep MakeStep(int index)
{
    ObjectStep s{};
    s.frameIndex = static_cast<uint8_t>(Random(8));
    s.waitCount = static_cast<uint8_t>(Random(3));
    s.x = Random(21) - 10;
    s.y = Random(21) - 10;
    if (Random(8) == 0) s.stepFlags |= STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE, s.x = Random(kWidth), s.y = Random(kHeight);
    switch (Random(5)) {
    case 0: s.condition = 0x80, s.conditionParam = static_cast<uint8_t>('A' + Random(26)); break;  // a key
    case 1: s.condition = static_cast<uint8_t>((1 + Random(6)) << 1); break;                       // a mouse code
    case 2: s.condition = static_cast<uint8_t>((1 + Random(6)) << 4); break;                       // a place
    case 3: s.condition = 0x01, s.conditionParam = static_cast<uint8_t>(1 + Random(4)); break;     // a counter
    default: s.condition = static_cast<uint8_t>(((1 + Random(6)) << 4) | ((1 + Random(6)) << 1) | 1), s.conditionParam = 2;
    }
    s.jumpTarget = static_cast<int16_t>(Random(kSteps));
    if (Random(16) == 0) s.startMaskLow = static_cast<uint16_t>(1u << Random(16));
    if (Random(16) == 0) s.startMaskHigh = static_cast<uint16_t>(1u << Random(16));
    if (index == kSteps - 1) s.condition = 0x70, s.jumpTarget = 0;  // round again
    return s;
}

bool WriteAnimation(const char* path)
{
    AnimationTables t{};
    SetBenchSettings(&t.animationSettings, kWidth, kHeight);
    t.sequenceCount = 1;
    t.sequenceTable[0] = {0, 0, 256, "step.bmx"};
    t.objectCount = kObjects;
    for (int i = 0; i < kObjects; ++i) {
        ObjectRecord& o = t.objectTable[i];
        o.sequenceIndex = 0;
        snprintf(o.name, sizeof o.name, "Object %d", i);
        o.objectFlags = OBJ_STEP_LIST;
        o.stepCount = kSteps;
        t.objectMemoryHandles[i][0] = AllocateStepBlock(kSteps);
        GlobalLockGuard<ObjectStep> steps(t.objectMemoryHandles[i][0]);
        for (int n = 0; n < kSteps; ++n) steps.get()[n] = MakeStep(n);
    }
    const bool ok = WriteAnimationFile(path, &t) == RESULT_OK;
    FreeAnimationTables(&t);
    return ok;
}

HANIM Load(HWND window)
{
    HANIM h = CreateAnimation("step.ans", 0, 0, 0, 0);
    if (!h) return nullptr;
    LoadAnimPalette(h, nullptr, FALSE);
    if (!LoadAnimSequence(h, 0, "step.bmx", FALSE)) {
        DestroyAnimation(h);
        return nullptr;
    }
    AttachAnimation(h, window);
    return h;
}

SHORT NoKey(int) { return 0; }
BOOL CursorInside(POINT* p)
{
    *p = {100, 100};
    return TRUE;
}

// Steps (and with `draw` also redraws) for about a second; the steps a
// second and the mean time of one.
void Measure(const char* what, HWND window, bool draw)
{
    HANIM h = Load(window);
    if (!h) {
        printf("%s: the animation did not load\n", what);
        return;
    }
    int ticks = 0;
    const double start = BenchNow();
    double now = start;
    while (now - start < 1.0) {
        for (int i = 0; i < 50; ++i) {
            StepAnimation(h, window);
            if (draw) UpdateAnimWindow(h, window);
        }
        ticks += 50;
        now = BenchNow();
    }
    const double perTick = (now - start) / ticks;
    printf("steps  %-44s %8.0f ticks per second, %7.1f us per tick\n", what, 1.0 / perTick, perTick * 1e6);
    DestroyAnimation(h);
}

}  // namespace

int main(int argc, char** argv)
{
    if (!EnterBenchFolder(argc, argv, "StepBench")) return 1;
    if (!WriteSequence("step.bmx") || !WriteAnimation("step.ans")) return 1;

    HWND window = CreateBenchWindow("StepBench", kWidth, kHeight);
    InitAnimEngine(0);
    printf("%d objects, %d steps each, conditions of every kind\n", kObjects, kSteps);
    Measure("logic, the system's input", window, false);
    // Nothing pressed, the cursor over the window: the pure step logic.
    const AnimInputSource quiet{NoKey, CursorInside, [](POINT) { return static_cast<HWND>(nullptr); },
                                [] { return static_cast<HWND>(nullptr); }};
    SetAnimInputSource(&quiet);
    Measure("logic, input answered at once", window, false);
    SetAnimInputSource(nullptr);
    Measure("logic and the window update", window, true);
    ExitAnimEngine();
    DestroyWindow(window);
    return 0;
}
