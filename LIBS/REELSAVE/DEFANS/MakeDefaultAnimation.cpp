// Writes the screensaver's built-in animation with the project's own writers:
// SCRNSAVE.ANS and the frame sequences it names (door.bmx, light.bmx,
// logo.bmx), which ZelvoSave.rc carries as RCDATA "SCRNSAVE", "DOOR", "LIGHT"
// and "LOGO". The files are checked in; a test regenerates them and compares
// the bytes, so the generator must stay deterministic.
//   MakeDefaultAnimation.exe [folder]
#include "AnimationTables.h"
#include "AnxArchive.h"
#include "BmxFile.h"
#include "PackedDib.h"
#include "ResultCodes.h"
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

namespace {

// The frames are 24-bit: the colours below reach the screen unchanged.
// Magenta (static colour 13) is each sequence's transparent colour.
constexpr uint32_t MAGENTA = 0xFF00FF;
constexpr uint8_t TRANSPARENT_MAGENTA = 13;
constexpr uint32_t BACKGROUND = 0x101840;   // 0xRRGGBB, the window's dark blue
constexpr uint32_t GOLD = 0xF0C020;         // the letters of the logo
constexpr uint32_t WOOD = 0x804020, FRAME_BROWN = 0x402010, DOORWAY = 0xFFF0A0;

constexpr int SCENE_WIDTH = 320, SCENE_HEIGHT = 240;

using PixelFn = std::function<uint32_t(int x, int y, int frame)>;

// One 24-bit frame sequence described by its pixels (0xRRGGBB).
int WriteSequence(const std::string& path, int width, int height, int frames, const PixelFn& pixel)
{
    FrameSequence s;
    s.format = {};
    s.format.width = width;
    s.format.height = height;
    s.format.bitsPerPixel = 24;
    s.transparentColorCode = TRANSPARENT_MAGENTA;
    const uint32_t stride = DibStride(width, 24);
    for (int f = 0; f < frames; ++f) {
        HGLOBAL dib = CreatePackedDib(width, height, 24, nullptr, 0);
        if (!dib) return RESULT_OUT_OF_MEMORY;
        {
            GlobalLockGuard<BYTE> p(dib);
            BYTE* bits = DibBits(p.get());
            for (int y = 0; y < height; ++y) {
                BYTE* row = bits + (height - 1 - y) * stride;  // bottom-up rows
                for (int x = 0; x < width; ++x) {
                    const uint32_t c = pixel(x, y, f);
                    row[x * 3] = static_cast<BYTE>(c);
                    row[x * 3 + 1] = static_cast<BYTE>(c >> 8);
                    row[x * 3 + 2] = static_cast<BYTE>(c >> 16);
                }
            }
        }
        char name[16];
        snprintf(name, sizeof name, "frame%d.bmp", f);
        s.frames.push_back({dib, name, 0, 0});
    }
    return SaveFrameSequenceFile(path.c_str(), s, DEFAULT_BMX_COMPRESSION);
}

// ---- the pictures ----

// "ZELVO" in a 5-by-7 block font, one bit per column, top row first.
constexpr uint8_t kLetters[5][7] = {
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F},  // Z
    {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F},  // E
    {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F},  // L
    {0x11, 0x11, 0x11, 0x11, 0x0A, 0x0A, 0x04},  // V
    {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E},  // O
};
constexpr int LOGO_SCALE = 4, LOGO_LETTER_STEP = 6 * LOGO_SCALE;
constexpr int LOGO_WIDTH = 5 * LOGO_LETTER_STEP + 16, LOGO_HEIGHT = 7 * LOGO_SCALE;
constexpr int LOGO_FRAMES = 4;

// Gold letters that never change, and a star after them that twinkles.
uint32_t LogoPixel(int x, int y, int frame)
{
    const int letter = x / LOGO_LETTER_STEP, column = (x % LOGO_LETTER_STEP) / LOGO_SCALE;
    if (letter < 5 && column < 5 && (kLetters[letter][y / LOGO_SCALE] & (0x10 >> column))) return GOLD;
    const int starX = LOGO_WIDTH - 8, starY = LOGO_HEIGHT / 2, arm = 2 + (frame % LOGO_FRAMES);
    const int dx = x - starX, dy = y - starY;
    if ((dx == 0 && dy >= -arm && dy <= arm) || (dy == 0 && dx >= -arm && dx <= arm)) return 0xFFFFFF;
    return MAGENTA;
}

constexpr int DOOR_WIDTH = 48, DOOR_HEIGHT = 80, DOOR_FRAMES = 10;

// A door in its frame that opens to a lit doorway and closes again.
uint32_t DoorPixel(int x, int y, int frame)
{
    const int opening = frame < DOOR_FRAMES / 2 ? frame : DOOR_FRAMES - frame;  // 0, 1, .. 5, 4, .. 1
    if (x < 4 || x >= DOOR_WIDTH - 4 || y < 4) return FRAME_BROWN;
    const int panel = (DOOR_WIDTH - 8) * (5 - opening) / 5;  // the door's visible width
    if (x - 4 < panel) return (x - 4 == panel - 4 && y > DOOR_HEIGHT / 2 - 3 && y < DOOR_HEIGHT / 2 + 3) ? GOLD : WOOD;
    return DOORWAY;
}

constexpr int LIGHT_SIZE = 24, LIGHT_FRAMES = 4;

// A glowing ball whose halo pulses.
uint32_t LightPixel(int x, int y, int frame)
{
    const int dx = 2 * x + 1 - LIGHT_SIZE, dy = 2 * y + 1 - LIGHT_SIZE;  // doubled distances from the centre
    const int d2 = dx * dx + dy * dy;
    const int core = 6 * 2, halo = (8 + frame % LIGHT_FRAMES) * 2;
    if (d2 <= core * core) return 0xFFFFC0;
    if (d2 <= halo * halo) return 0xFFC040;
    return MAGENTA;
}

// ---- the animation ----

ObjectRecord Object(const char* name, int sequence, int x, int y, int frameDelay)
{
    ObjectRecord o{};
    o.sequenceIndex = static_cast<uint8_t>(sequence);
    lstrcpynA(o.name, name, sizeof o.name);
    o.startX = x;
    o.startY = y;
    o.frameDelay = static_cast<uint8_t>(frameDelay);
    o.moveDelay = 1;
    return o;
}

int MakeDefaultAnimation(const std::string& folder)
{
    int result = WriteSequence(folder + "LOGO.BMX", LOGO_WIDTH, LOGO_HEIGHT, LOGO_FRAMES, LogoPixel);
    if (result == RESULT_OK) result = WriteSequence(folder + "DOOR.BMX", DOOR_WIDTH, DOOR_HEIGHT, DOOR_FRAMES, DoorPixel);
    if (result == RESULT_OK) result = WriteSequence(folder + "LIGHT.BMX", LIGHT_SIZE, LIGHT_SIZE, LIGHT_FRAMES, LightPixel);
    if (result != RESULT_OK) return result;

    AnimationTables t{};
    SetDefaultAnimationSettings(&t.animationSettings);
    AnimationSettings& s = t.animationSettings;
    lstrcpynA(s.title, "Zelvo Screensaver", sizeof s.title);
    s.positionFlags = 0;  // centred; objects placed by their top-left corners
    s.sizeMode = 1;
    s.width = SCENE_WIDTH;
    s.height = SCENE_HEIGHT;
    s.backgroundColor = RGB(BACKGROUND >> 16, (BACKGROUND >> 8) & 0xFF, BACKGROUND & 0xFF);
    s.playFlags = PLAY_TIMER_MODE;  // end action 0: it plays until the screensaver ends
    s.paletteSource = 4;            // the default palette: no file to read it from
    t.sequenceCount = 3;
    t.sequenceTable[0] = {LOGO_FRAMES, TRANSPARENT_MAGENTA, 0, "logo.bmx"};
    t.sequenceTable[1] = {DOOR_FRAMES, TRANSPARENT_MAGENTA, 0, "door.bmx"};
    t.sequenceTable[2] = {LIGHT_FRAMES, TRANSPARENT_MAGENTA, 0, "light.bmx"};
    t.objectCount = 3;
    t.objectTable[0] = Object("Logo", 0, (SCENE_WIDTH - LOGO_WIDTH) / 2, 24, 3);
    t.objectTable[1] = Object("Door", 1, 40, 140, 4);
    // The light runs to and fro along the bottom, in front of the door.
    t.objectTable[2] = Object("Light", 2, 120, 204, 2);
    t.objectTable[2].dx = 3;
    t.objectTable[2].motionFlags = MOTION_BOUNCE;
    result = WriteAnimationFile((folder + "SCRNSAVE.ANS").c_str(), &t);
    FreeAnimationTables(&t);
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    char folder[MAX_PATH];
    if (!GetFullPathNameA(argc > 1 ? argv[1] : ".", MAX_PATH, folder, nullptr)) return 2;
    AnxArchive::AppendSlash(folder);
    const int result = MakeDefaultAnimation(folder);
    if (result != RESULT_OK) {
        fprintf(stderr, "MakeDefaultAnimation: failed with code 0x%X\n", result);
        return 1;
    }
    printf("MakeDefaultAnimation: wrote SCRNSAVE.ANS, LOGO.BMX, DOOR.BMX and LIGHT.BMX in %s\n", folder);
    return 0;
}
