// Fixtures of the engine tests: animations, frame sequences and pictures
// written with the project's own writers, the engine in each bitmap mode, and
// ways to read back what the engine drew.
#pragma once
#include "AnimationContext.h"
#include "AnimationTables.h"
#include "BmxFile.h"
#include "TestFiles.h"
#include <functional>
#include <string>
#include <vector>

// The engine started in one display mode for the length of a test.
struct EngineMode {
    const char* name;
    int hint;   // InitAnimEngine's hint
    int depth;  // the display depth the engine is told (0: the real one)
};
extern const EngineMode kDibSections;     // the real display, DIB sections
extern const EngineMode kDeviceBitmaps;   // the real display, device-dependent bitmaps
extern const EngineMode kPaletteDisplay;  // a 256-colour display, DIB sections
extern const EngineMode kSixteenColors;   // a 16-colour display

class EngineSession {
public:
    explicit EngineSession(const EngineMode& mode);
    ~EngineSession();
    EngineSession(const EngineSession&) = delete;
    EngineSession& operator=(const EngineSession&) = delete;
};

// Static colour k as COLORREF.
COLORREF StaticColor(int code);
// A 256-entry table as the editor writes it: the 16 static colours at both
// ends, distinct colours that are none of them in between.
void EditorColorTable(RGBQUAD table[256]);
// Index of static colour k in such a table of `size` entries.
int StaticIndex(int code, int size);

// A frame sequence described by its pixels: value(x, y, frame) is a colour
// index at 8 bits or fewer, else 0xRRGGBB. The colour table is the editor's
// (16 static colours at 4 bits, black and white at 1 bit).
struct SequenceSpec {
    int width = 24, height = 16, bits = 8, frames = 2;
    uint8_t code = 0x80;
    int16_t colorCount = 256;
    uint32_t compression = 0;  // the "BMX-Compression" setting
    std::vector<std::pair<int8_t, int8_t>> offsets;  // per frame; none = 0, 0
    std::function<uint32_t(int x, int y, int frame)> value;
};
int WriteSequence(const std::string& path, const SequenceSpec& spec);
// The colour a value of the sequence stands for.
COLORREF SpecColor(const SequenceSpec& spec, uint32_t value);
// True when the value is the sequence's transparent colour.
bool SpecTransparent(const SequenceSpec& spec, uint32_t value);

// A one-frame BMP file (8 bits with the editor's table, or 24 bits).
bool WriteBmp(const std::string& path, int width, int height, int bits, const std::function<uint32_t(int, int)>& value);

// An animation under construction, written with the document's writer.
class AnimationFixture {
public:
    AnimationFixture(int width, int height, COLORREF background);
    ~AnimationFixture();
    AnimationFixture(const AnimationFixture&) = delete;
    AnimationFixture& operator=(const AnimationFixture&) = delete;
    AnimationTables t{};
    AnimationSettings& settings() { return t.animationSettings; }
    int AddSequence(const std::string& file, uint8_t code, int16_t colorCount);
    int AddObject(int sequence, int x, int y, uint8_t objectFlags = 0);
    void AddRegion(int flags, int x1, int y1, int x2, int y2);
    int AddSound(const std::string& name, uint16_t flags);
    void AddSteps(int object, const std::vector<ObjectStep>& steps);
    int Write(const std::string& path);
};

// Points the temporary folder (TMP and TEMP) at a fresh folder of its own for
// the life of the object, so that what a test unpacks there is its alone.
class PrivateTempFolder {
public:
    PrivateTempFolder();
    ~PrivateTempFolder();
    PrivateTempFolder(const PrivateTempFolder&) = delete;
    PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;
    const std::string& Path() const { return dir_.Path(); }
    // The folders that archives were unpacked into.
    int CountUnpackFolders() const;
private:
    ScratchDir dir_;
    std::string oldTmp_, oldTemp_;
};

// CountGdiObjects: the live GDI objects of this process.
#include "../common/GdiObjects.h"

// A picture read back as 0x00RRGGBB values, rows top-down.
struct Pixels {
    int width = 0, height = 0;
    std::vector<COLORREF> values;  // COLORREF (0x00BBGGRR)
    COLORREF At(int x, int y) const { return values[y * width + x]; }
};
// Reads any bitmap (device-dependent or DIB section, any depth) with GetDIBits.
Pixels ReadBitmap(HBITMAP bitmap);
// Paints the animation into a 32-bit picture of w by h with PaintAnimation.
Pixels PaintToPixels(HANIM handle, int width, int height, POINT origin = {0, 0});

// Formats a colour for failure messages.
std::string ColorText(COLORREF c);

// The context behind a handle, for tests that look inside.
class LockedContext {
public:
    explicit LockedContext(HANIM handle) : lock_(handle) {}
    AnimationContext* operator->() const { return lock_.get(); }
    AnimationContext* get() const { return lock_.get(); }
private:
    ContextLock lock_;
};

// Loads an animation the way the hosts do: create, palette, background, every
// sequence. Null when any part fails.
HANIM LoadWholeAnimation(const std::string& path, DWORD flags = 0, COLORREF bkColor = 0);
