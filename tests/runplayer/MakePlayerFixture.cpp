// Writes the animations that the player's black-box tests play, with the
// project's own writers. One animation per start:
//
//   MakePlayerFixture.exe FOLDER NAME.ans [key=value ...]
//
//   w=, h=          the animation's size (default 200 by 150); screen=1 the whole screen
//   pos=            0 centred (default), 2 fixed at x=, y=, 1 random
//   caption=0       a window without caption (with its system menu)
//   title=          the window title
//   bg=RRGGBB       background colour
//   image=FILE      a background picture FILE.bmp of colour image-color=RRGGBB,
//                   image-w= by image-h=, centred
//   image-name=NAME the background picture's stored name, no file written
//   obj=RRGGBB,X,Y,W,H   an opaque object of one colour (repeatable); each
//                   gets its own frame sequence NAME-<n>.bmx
//   end=0..3, next= end action and following file
//   endafter=N      the first object runs N steps and then ends the animation
//   fast=1          fast mode (default: timer mode)
//   part=1          a part of another animation; version=N the format version
//   nosequence=1    the frame sequences are not written
//   sequence-name=NAME  the first object's sequence is stored as NAME, no file written
#include "EngineFixtures.h"
#include "ResultCodes.h"
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

namespace {

struct Block {
    COLORREF color;
    int x, y, w, h;
};

COLORREF ParseColor(const std::string& hex)
{
    const unsigned long v = strtoul(hex.c_str(), nullptr, 16);
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

uint32_t AsPixel(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

Block ParseBlock(const std::string& text)
{
    std::stringstream in(text);
    std::string color;
    std::getline(in, color, ',');
    Block b{ParseColor(color), 0, 0, 10, 10};
    char comma;
    in >> b.x >> comma >> b.y >> comma >> b.w >> comma >> b.h;
    return b;
}

int Number(const std::map<std::string, std::string>& o, const char* key, int fallback)
{
    const auto it = o.find(key);
    return it == o.end() ? fallback : static_cast<int>(strtol(it->second.c_str(), nullptr, 0));
}

std::string Text(const std::map<std::string, std::string>& o, const char* key, const std::string& fallback = "")
{
    const auto it = o.find(key);
    return it == o.end() ? fallback : it->second;
}

int Make(const std::string& folder, const std::string& name, const std::map<std::string, std::string>& o,
         const std::vector<Block>& blocks)
{
    AnimationFixture f(Number(o, "w", 200), Number(o, "h", 150), ParseColor(Text(o, "bg", "000080")));
    AnimationSettings& s = f.settings();
    if (Number(o, "screen", 0)) s.sizeMode = 2;
    s.positionFlags = static_cast<uint8_t>(Number(o, "pos", 0) & 3);
    s.x = Number(o, "x", 0);
    s.y = Number(o, "y", 0);
    if (!Number(o, "caption", 1)) s.windowStyle = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX;
    lstrcpynA(s.title, Text(o, "title", "Player fixture").c_str(), sizeof s.title);
    s.playFlags = static_cast<uint8_t>((Number(o, "fast", 0) ? 0 : PLAY_TIMER_MODE) |
                                       ((Number(o, "end", 0) & 3) << PLAY_END_ACTION_SHIFT));
    lstrcpynA(s.nextAnimation, Text(o, "next").c_str(), sizeof s.nextAnimation);
    s.paletteSource = Number(o, "part", 0) ? 5 : 4;

    const std::string image = Text(o, "image");
    if (!image.empty()) {
        const uint32_t pixel = AsPixel(ParseColor(Text(o, "image-color", "808080")));
        if (!WriteBmp(folder + image, Number(o, "image-w", 100), Number(o, "image-h", 80), 24,
                      [pixel](int, int) { return pixel; }))
            return RESULT_WRITE_ERROR;
        s.backgroundColor |= BACKGROUND_USE_IMAGE;
        s.playFlags |= PLAY_CENTER_IMAGE;
        lstrcpynA(s.backgroundImage, image.c_str(), sizeof s.backgroundImage);
    }

    const std::string imageName = Text(o, "image-name");
    if (!imageName.empty()) {
        s.backgroundColor |= BACKGROUND_USE_IMAGE;
        lstrcpynA(s.backgroundImage, imageName.c_str(), sizeof s.backgroundImage);
    }

    const std::string stem = name.substr(0, name.rfind('.'));
    const std::string sequenceName = Text(o, "sequence-name");
    for (size_t i = 0; i < blocks.size(); ++i) {
        const Block& b = blocks[i];
        const bool named = i == 0 && !sequenceName.empty();
        const std::string file = named ? sequenceName : stem + "-" + std::to_string(i) + ".bmx";
        SequenceSpec spec;
        spec.width = b.w;
        spec.height = b.h;
        spec.bits = 24;
        spec.code = 0x80;
        spec.colorCount = -1;
        const uint32_t pixel = AsPixel(b.color);
        spec.value = [pixel](int, int, int) { return pixel; };
        if (!named && !Number(o, "nosequence", 0) && WriteSequence(folder + file, spec) != RESULT_OK)
            return RESULT_WRITE_ERROR;
        f.AddObject(f.AddSequence(file, spec.code, spec.colorCount), b.x, b.y);
    }
    const int endAfter = Number(o, "endafter", 0);
    if (endAfter > 0 && !blocks.empty()) {
        std::vector<ObjectStep> steps(endAfter);
        for (ObjectStep& step : steps) {
            step = {};
            step.stepFlags = STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE;
            step.x = blocks[0].x;
            step.y = blocks[0].y;
            step.waitCount = 1;
        }
        steps.back().stepFlags |= STEP_END;
        f.t.objectTable[0].objectFlags |= OBJ_STEP_LIST;
        f.AddSteps(0, steps);
    }
    const std::string path = folder + name;
    int result = f.Write(path);
    const int version = Number(o, "version", 0);
    if (result == RESULT_OK && version) {
        std::vector<uint8_t> bytes = ReadWholeFile(path);
        bytes[2] = static_cast<uint8_t>(version);
        bytes[3] = static_cast<uint8_t>(version >> 8);
        if (!WriteWholeFile(path, bytes)) result = RESULT_WRITE_ERROR;
    }
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: MakePlayerFixture FOLDER NAME.ans [key=value ...]\n");
        return 2;
    }
    char folder[MAX_PATH];
    if (!GetFullPathNameA(argv[1], MAX_PATH, folder, nullptr)) return 2;
    std::string dir = folder;
    if (dir.back() != '\\' && dir.back() != '/') dir += '\\';
    std::map<std::string, std::string> options;
    std::vector<Block> blocks;
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        const size_t eq = arg.find('=');
        if (eq == std::string::npos) return 2;
        if (arg.compare(0, eq, "obj") == 0) blocks.push_back(ParseBlock(arg.substr(eq + 1)));
        else options[arg.substr(0, eq)] = arg.substr(eq + 1);
    }
    const int result = Make(dir, argv[2], options, blocks);
    if (result != RESULT_OK) {
        fprintf(stderr, "MakePlayerFixture: failed with code 0x%X\n", result);
        return 1;
    }
    return 0;
}
