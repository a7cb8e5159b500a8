// The two pattern files beside the program: the twelve 8 x 8 fill patterns
// (".MUS") and the pattern brushes (".MBX", a frame-sequence file whose first
// frames are small images).
#pragma once
#include <windows.h>
#include <cstdint>

constexpr uint16_t MUS_MAGIC = 0x554D;  // "MU"
constexpr int MUS_PATTERN_COUNT = 12;
constexpr int MAX_MBX_BRUSHES = 18;

#pragma pack(push, 1)
struct MusPattern {
    BITMAPINFOHEADER header;  // 8 x 8, 1 plane, 1 bit, BI_RGB
    RGBQUAD colors[2];
    BYTE rows[8][4];          // bottom-up, each row padded to 4 bytes
};
static_assert(sizeof(MusPattern) == 80);

struct MusFile {
    uint16_t magic;
    uint16_t reserved;
    MusPattern patterns[MUS_PATTERN_COUNT];
};
static_assert(sizeof(MusFile) == 964);
#pragma pack(pop)

enum PatternFileKind { PATTERN_FILE_MUS = 0, PATTERN_FILE_MBX = 1 };

// The program's own path with the part from its last "." replaced by ".MUS"
// (kind 0) or ".MBX" (kind 1). `out` holds MAX_PATH characters.
void GetPatternFilePath(char* out, int kind);

// Sets the rows of the twelve 8 x 8 monochrome bitmaps (null slots get new
// bitmaps) from a ".MUS" file. Every pattern is read as the fixed 8 x 8 1-bit
// layout, whatever its stored header says. A missing file paints all twelve
// white and gives 0x8003; without "MU" 0x8004; a short file 0x8001 and
// leaves the bitmaps as they were. Otherwise 1.
int ReadPatternFileFrom(const char* path, HBITMAP* patterns);
// Writes the twelve bitmaps as 1-bit DIBs into a 964-byte ".MUS" file.
// 1, 0x7001, 0x8005 or 0x8002.
int WritePatternFileTo(const char* path, HBITMAP const* patterns);
// Makes DIB pattern brushes of the first min(wanted, frame count, 18) frames
// of a ".MBX" file. The number made, or 0x8003 (missing), 0x8004 (not "BX"),
// 0x8001 (damaged) or 0x7001, and then no brush is left.
int LoadPatternBrushesFrom(const char* path, HBRUSH* brushes, int wanted);

// The same on the files beside the program and the editor's pattern bitmaps.
int ReadPatternFile();
int WritePatternFile();
int LoadPatternBrushes(HBRUSH* brushes, int wanted);
