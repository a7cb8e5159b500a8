// Writes the player control's about-box animation with the document's own
// writers: ABOUTBOX.ANS (a 320 by 200 night sky), COPYRGHT.BMX (the name
// banner with a shine running over it) and STAR.BMX (a twinkling star).
// The results are checked in under Res/; a test runs this again and
// compares the bytes. Usage: MakeAboutAnimation OUTPUT_FOLDER
#include "AnimationTables.h"
#include "BmxFile.h"
#include "PackedDib.h"
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int WIDTH = 320, HEIGHT = 200;
constexpr int BANNER_W = 224, BANNER_H = 44, BANNER_FRAMES = 8;
constexpr int STAR_SIZE = 9, STAR_FRAMES = 4;

// Palette: the 16 static colours at both ends as the editor keeps them, and
// our own colours from entry 8 on.
enum : uint8_t { BLACK = 0, NAVY = 4, SKY = 8, GOLD_DARK = 9, GOLD = 10, GOLD_LIGHT = 11, SHINE = 12, WHITE = 255 };

void FillTable(RGBQUAD* table)
{
    static const uint8_t kLow[8][3] = {{0, 0, 0},   {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                       {0, 0, 128}, {128, 0, 128}, {0, 128, 128}, {192, 192, 192}};
    static const uint8_t kHigh[8][3] = {{128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                        {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    memset(table, 0, 256 * sizeof(RGBQUAD));
    auto set = [&](int i, int r, int g, int b) {
        table[i] = {static_cast<BYTE>(b), static_cast<BYTE>(g), static_cast<BYTE>(r), 0};
    };
    for (int i = 0; i < 8; ++i) {
        set(i, kLow[i][0], kLow[i][1], kLow[i][2]);
        set(248 + i, kHigh[i][0], kHigh[i][1], kHigh[i][2]);
    }
    set(SKY, 16, 20, 72);
    set(GOLD_DARK, 152, 104, 24);
    set(GOLD, 216, 168, 48);
    set(GOLD_LIGHT, 248, 220, 120);
    set(SHINE, 252, 248, 224);
    for (int i = 13; i < 248; ++i) set(i, i, i, i);  // greys, unused by the frames
}

// A 5 by 7 pixel font of the banner's letters, one row a byte (bit 4 left).
struct Glyph {
    char c;
    uint8_t rows[7];
};
const Glyph kGlyphs[] = {
    {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}}, {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}}, {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'Y', {0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04}},
};

bool GlyphPixel(char c, int x, int y)
{
    for (const Glyph& g : kGlyphs)
        if (g.c == c) return (g.rows[y] >> (4 - x)) & 1;
    return false;
}

constexpr char BANNER_TEXT[] = "ZELVOPLAY";
constexpr int CELL = 4;  // each font pixel is 4 by 4
constexpr int LETTER_ADVANCE = 6 * CELL;

// The banner: golden letters on the sky, a light band sweeping from left to
// right over the frames.
uint8_t BannerPixel(int x, int y, int frame)
{
    const int textW = 9 * LETTER_ADVANCE - CELL, textH = 7 * CELL;
    const int left = (BANNER_W - textW) / 2, top = (BANNER_H - textH) / 2;
    const int u = x - left, v = y - top;
    if (u < 0 || v < 0 || u >= textW || v >= textH) return y == 0 || y == BANNER_H - 1 ? GOLD_DARK : SKY;
    const int letter = u / LETTER_ADVANCE, inCell = u % LETTER_ADVANCE;
    if (inCell >= 5 * CELL || !GlyphPixel(BANNER_TEXT[letter], inCell / CELL, v / CELL)) return SKY;
    const int band = frame * (BANNER_W / BANNER_FRAMES) - (y / 2);
    if (x >= band && x < band + 10) return SHINE;
    if (v % CELL == 0 || inCell % CELL == 0) return GOLD_LIGHT;
    return (v / CELL) >= 5 ? GOLD_DARK : GOLD;
}

// The star: a point that grows into a cross with a bright heart.
uint8_t StarPixel(int x, int y, int frame)
{
    const int c = STAR_SIZE / 2, dx = x > c ? x - c : c - x, dy = y > c ? y - c : c - y;
    const int arm = frame + 1;
    if (dx == 0 && dy == 0) return WHITE;
    if ((dx == 0 && dy <= arm) || (dy == 0 && dx <= arm)) return dx + dy <= 1 ? WHITE : GOLD_LIGHT;
    if (frame >= 2 && dx == 1 && dy == 1) return GOLD;
    return BLACK;  // transparent
}

bool WriteSequence(const std::string& path, int w, int h, int frames, uint8_t code,
                   uint8_t (*pixel)(int, int, int))
{
    FrameSequence sequence;
    BmxFormat& f = sequence.format;
    f.width = w;
    f.height = h;
    f.bitsPerPixel = 8;
    f.colorTableEntries = 256;
    FillTable(f.colors);
    sequence.transparentColorCode = code;
    const uint32_t stride = DibStride(w, 8);
    for (int n = 0; n < frames; ++n) {
        HGLOBAL dib = CreatePackedDib(w, h, 8, f.colors, 256);
        if (!dib) return false;
        BYTE* bits = DibBits(GlobalLock(dib));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) bits[(h - 1 - y) * stride + x] = pixel(x, y, n);
        GlobalUnlock(dib);
        SequenceFrame frame;
        frame.dib = dib;
        sequence.frames.push_back(frame);
    }
    return SaveFrameSequenceFile(path.c_str(), sequence, 0) == 1;
}

struct StarPlace {
    int x, y, frameDelay, dx, moveDelay;
};
const StarPlace kStars[] = {{18, 14, 3, 0, 0},    {292, 20, 2, 0, 0},  {30, 160, 4, 0, 0}, {280, 170, 3, 0, 0},
                            {150, 184, 5, 0, 0},  {250, 80, 2, 0, 0},  {60, 78, 4, 0, 0},  {0, 72, 1, 2, 1}};

bool WriteAnimation(const std::string& path)
{
    AnimationTables t{};
    SetDefaultAnimationSettings(&t.animationSettings);
    AnimationSettings& s = t.animationSettings;
    s.sizeMode = 1;
    s.width = WIDTH;
    s.height = HEIGHT;
    s.positionFlags = 0;
    s.playFlags = 0x20;  // a window timer: the about box needs no fast mode
    s.backgroundColor = RGB(16, 20, 72);
    s.paletteSource = 0;  // the banner's colour table
    lstrcpynA(s.title, "ZelvoPlay", sizeof s.title);

    auto addSequence = [&](const char* file, uint8_t code) {
        SequenceRecord& r = t.sequenceTable[t.sequenceCount];
        r = {0, code, 256, {}};
        lstrcpynA(r.fileName, file, sizeof r.fileName);
        return t.sequenceCount++;
    };
    const int banner = addSequence("COPYRGHT.BMX", 0x80);
    const int star = addSequence("STAR.BMX", 0);

    auto addObject = [&](int sequence, const char* name, int x, int y) -> ObjectRecord& {
        ObjectRecord& o = t.objectTable[t.objectCount++];
        memset(&o, 0, sizeof o);
        o.sequenceIndex = static_cast<uint8_t>(sequence);
        lstrcpynA(o.name, name, sizeof o.name);
        o.startX = x;
        o.startY = y;
        return o;
    };
    ObjectRecord& title = addObject(banner, "Banner", (WIDTH - BANNER_W) / 2, 24);
    title.frameDelay = 1;
    int n = 0;
    for (const StarPlace& p : kStars) {
        char name[16];
        snprintf(name, sizeof name, "Star %d", ++n);
        ObjectRecord& o = addObject(star, name, p.x, p.y);
        o.frameDelay = static_cast<uint8_t>(p.frameDelay);
        o.motionFlags = 0x80;  // to and fro through the frames
        o.dx = p.dx;
        o.moveDelay = static_cast<uint8_t>(p.moveDelay);
    }
    const int result = WriteAnimationFile(path.c_str(), &t);
    FreeAnimationTables(&t);
    return result == 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: MakeAboutAnimation OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "\\";
    const bool ok = WriteSequence(folder + "COPYRGHT.BMX", BANNER_W, BANNER_H, BANNER_FRAMES, 0x80, BannerPixel) &&
                    WriteSequence(folder + "STAR.BMX", STAR_SIZE, STAR_SIZE, STAR_FRAMES, 0, StarPixel) &&
                    WriteAnimation(folder + "ABOUTBOX.ANS");
    if (!ok) fprintf(stderr, "MakeAboutAnimation: could not write into %s\n", argv[1]);
    return ok ? 0 : 1;
}
