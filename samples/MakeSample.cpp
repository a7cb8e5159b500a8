// Writes the sample animation with the project's own writers: frame sequences,
// a background picture, objects that move by a sequence animation, by a step
// list with a key condition and along a path-like step list, a foreground
// region, and the whole thing packed as an archive.
//   MakeSample.exe [folder]
#include "AnimationTables.h"
#include "AnxArchive.h"
#include "BmxFile.h"
#include "PackedDib.h"
#include "ResultCodes.h"
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Colour indexes of the discs. The players keep the system's static colours
// in the first and last eight entries of their palette, so a sequence's own
// colours lie in between; index 0 is black, the transparent colour.
constexpr int BLUE_DISC = 8;    // blue, dark blue, light blue
constexpr int GREEN_DISC = 11;  // green, dark green, light green

// A 256-colour table: black, the discs' colours, then a ramp.
void FillColors(RGBQUAD* colors)
{
    // RGBQUAD: blue, green, red.
    const RGBQUAD named[] = {{255, 0, 0, 0}, {160, 0, 0, 0}, {255, 200, 120, 0},   // blue, dark blue, light blue
                             {0, 200, 0, 0}, {0, 120, 0, 0}, {120, 255, 120, 0}};  // green, dark green, light green
    for (int i = 0; i < 256; ++i)
        colors[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i / 2), 0};
    colors[0] = {0, 0, 0, 0};
    for (int i = 0; i < 6; ++i) colors[BLUE_DISC + i] = named[i];
}

// Frames of a disc whose colour and size change from frame to frame; the
// corners stay index 0, the transparent colour.
void MakeDiscSequence(FrameSequence& s, int size, int frames, int firstColor)
{
    s.format = {};
    s.format.width = s.format.height = size;
    s.format.bitsPerPixel = 8;
    s.format.colorTableEntries = 256;
    FillColors(s.format.colors);
    s.transparentColorCode = 0;
    for (int f = 0; f < frames; ++f) {
        HGLOBAL dib = CreatePackedDib(size, size, 8, s.format.colors, 256);
        GlobalLockGuard<BYTE> p(dib);
        BYTE* bits = DibBits(p.get());
        const double radius = size / 2.0 - 1 - (f % 4);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const double dx = x - size / 2.0 + 0.5, dy = y - size / 2.0 + 0.5;
                const double d = std::sqrt(dx * dx + dy * dy);
                bits[y * DibStride(size, 8) + x] = d > radius ? 0 : static_cast<BYTE>(firstColor + (d < radius / 2 ? f % 3 : 0));
            }
        char name[32];
        snprintf(name, sizeof name, "disc%d.bmp", f);
        s.frames.push_back({dib, name, 0, 0});
    }
}

// A 24-bit sky-to-grass gradient as a BMP file.
bool WriteBackground(const std::string& path, int width, int height)
{
    const uint32_t stride = DibStride(width, 24);
    BITMAPFILEHEADER fh{BMP_MAGIC, 0, 0, 0, 14 + 40};
    fh.bfSize = fh.bfOffBits + stride * height;
    BITMAPINFOHEADER ih{sizeof ih, width, height, 1, 24, BI_RGB, stride * static_cast<DWORD>(height), 0, 0, 0, 0};
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    fwrite(&fh, sizeof fh, 1, f);
    fwrite(&ih, sizeof ih, 1, f);
    std::string row(stride, '\0');
    for (int y = 0; y < height; ++y) {
        const bool grass = y < height / 4;
        for (int x = 0; x < width; ++x) {
            BYTE* px = reinterpret_cast<BYTE*>(&row[x * 3]);
            px[0] = grass ? 40 : static_cast<BYTE>(255 - y * 100 / height);        // blue
            px[1] = grass ? static_cast<BYTE>(140 + (x % 16)) : static_cast<BYTE>(180 - y * 60 / height);
            px[2] = grass ? 30 : static_cast<BYTE>(120 + y * 60 / height);          // red
        }
        fwrite(row.data(), 1, stride, f);
    }
    return fclose(f) == 0;
}

// A step condition that always holds (position code 7): the step jumps.
constexpr uint8_t ALWAYS = 7 << 4;

ObjectStep Step(int frame, int wait, int flags, int x, int y)
{
    ObjectStep s{};
    s.frameIndex = static_cast<uint8_t>(frame);
    s.waitCount = static_cast<uint8_t>(wait);
    s.stepFlags = static_cast<uint8_t>(flags);
    s.x = x;
    s.y = y;
    return s;
}

void SetSteps(AnimationTables& t, int object, const ObjectStep* steps, int count)
{
    t.objectTable[object].stepCount = count;
    t.objectMemoryHandles[object][0] = AllocateStepBlock(count);
    GlobalLockGuard<ObjectStep> p(t.objectMemoryHandles[object][0]);
    memcpy(p.get(), steps, count * sizeof(ObjectStep));
}

ObjectRecord Object(const char* name, int sequence, int flags, int x, int y)
{
    ObjectRecord o{};
    o.sequenceIndex = static_cast<uint8_t>(sequence);
    lstrcpynA(o.name, name, sizeof o.name);
    o.objectFlags = static_cast<uint8_t>(flags);
    o.startX = x;
    o.startY = y;
    o.frameDelay = 2;
    o.moveDelay = 1;
    return o;
}

int MakeSample(const std::string& folder)
{
    FrameSequence red, green;
    MakeDiscSequence(red, 48, 4, BLUE_DISC);
    MakeDiscSequence(green, 32, 4, GREEN_DISC);
    int result = SaveFrameSequenceFile((folder + "red.bmx").c_str(), red, DEFAULT_BMX_COMPRESSION);
    if (result == RESULT_OK) result = SaveFrameSequenceFile((folder + "green.bmx").c_str(), green, DEFAULT_BMX_COMPRESSION);
    if (result == RESULT_OK && !WriteBackground(folder + "back.bmp", 400, 300)) result = RESULT_WRITE_ERROR;
    if (result != RESULT_OK) return result;

    AnimationTables t{};
    SetDefaultAnimationSettings(&t.animationSettings);
    AnimationSettings& s = t.animationSettings;
    lstrcpynA(s.title, "Zelvo Sample", sizeof s.title);
    s.positionFlags = 0;  // centred window; objects placed by their top-left corners
    s.backgroundColor = BACKGROUND_USE_IMAGE;
    lstrcpynA(s.backgroundImage, "back.bmp", sizeof s.backgroundImage);
    s.playFlags = PLAY_TIMER_MODE | PLAY_CENTER_IMAGE;
    t.sequenceCount = 2;
    t.sequenceTable[0] = {4, 0, 256, "red.bmx"};
    t.sequenceTable[1] = {4, 0, 256, "green.bmx"};
    t.regionCount = 1;
    t.regionTable[0] = {0, 150, 200, 250, 299};  // a piece of the grass stays in front

    t.objectCount = 3;
    // A sequence animation bouncing through the window.
    t.objectTable[0] = Object("Bouncer", 0, 0, 20, 40);
    t.objectTable[0].dx = 4;
    t.objectTable[0].dy = 3;
    t.objectTable[0].motionFlags = MOTION_BOUNCE | MOTION_PING_PONG;
    // A step list that runs to the right, wrapping at the border, and goes
    // back to its start when the space key is down.
    t.objectTable[1] = Object("Runner", 1, OBJ_STEP_LIST, 40, 230);
    ObjectStep runner[] = {Step(0, 1, STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE, 40, 230), Step(1, 1, 0, 8, 0),
                           Step(2, 1, 0, 8, 0), Step(3, 1, 0, 8, 0), Step(0, 1, 0, 8, 0)};
    runner[3].condition = 0x80;  // key condition: space jumps back to the start
    runner[3].conditionParam = VK_SPACE;
    runner[3].jumpTarget = 0;
    runner[4].condition = ALWAYS;  // then on to the right again
    runner[4].jumpTarget = 1;
    SetSteps(t, 1, runner, 5);
    // A path-like step list: a square made of relative moves, walked again and again.
    t.objectTable[2] = Object("Path", 1, OBJ_STEP_LIST | OBJ_PATH, 300, 60);
    ObjectStep path[16];
    for (int i = 0; i < 16; ++i) {
        const int side = i / 4;
        path[i] = Step(i % 4, 0, 0, side == 0 ? 10 : side == 2 ? -10 : 0, side == 1 ? 10 : side == 3 ? -10 : 0);
    }
    path[15].condition = ALWAYS;
    path[15].jumpTarget = 0;
    SetSteps(t, 2, path, 16);

    result = WriteAnimationFile((folder + "sample.ans").c_str(), &t);
    FreeAnimationTables(&t);
    if (result != RESULT_OK) return result;

    const std::string archive = folder + "sample.anx";
    AnxArchive anx(archive.c_str());
    return anx.Pack((folder + "sample.ans").c_str()) ? RESULT_OK : RESULT_WRITE_ERROR;
}

}  // namespace

int main(int argc, char** argv)
{
    char folder[MAX_PATH];
    if (!GetFullPathNameA(argc > 1 ? argv[1] : ".", MAX_PATH, folder, nullptr)) return 2;
    AnxArchive::AppendSlash(folder);
    const int result = MakeSample(folder);
    if (result != RESULT_OK) {
        fprintf(stderr, "MakeSample: failed with code 0x%X\n", result);
        return 1;
    }
    printf("MakeSample: wrote sample.ans, red.bmx, green.bmx, back.bmp and sample.anx in %s\n", folder);
    return 0;
}
