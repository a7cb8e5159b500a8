// The text tool's plain rules: splitting a text into lines, putting a frame's
// number in place of "%d", and the size table of a font face.
#pragma once
#include <windows.h>
#include <string>
#include <string_view>

// Lines longer than this keep their "%d".
constexpr size_t MAX_NUMBERED_LINE = 72;

// The next line of a text: [start, *lineEnd) is the line, the result is
// where the following line begins (after its CR and, when present, the LF),
// or null after the last line.
const char* NextTextLine(const char* start, const char** lineEnd);
// The line with every "%d" replaced by `number`; every other character,
// "%" included, is copied. A line over 72 characters stays as it is.
std::string NumberTextLine(std::string_view line, int number);

// The size table of a face: byte 0 its character set, byte 1 its font type,
// bytes 3..64 the pitch-and-family of each size it offers, or
// SIZE_NOT_OFFERED.
constexpr int SIZE_TABLE_BYTES = 65;
constexpr int MIN_LISTED_SIZE = 3;
constexpr int MAX_LISTED_SIZE = 64;
constexpr BYTE SIZE_NOT_OFFERED = 0xEC;
struct FontSizeTable {
    BYTE bytes[SIZE_TABLE_BYTES];
};
void ClearSizeTable(FontSizeTable* table);
// Enters one enumerated font of the face: a raster font every multiple of
// its height up to 64 (and the enumeration goes on through its other
// heights); any other font 4-11, the even sizes 12-32, 15, every fourth size
// 36-64 and its own height (and the enumeration stops). Returns whether the
// enumeration goes on.
bool EnterFontSizes(FontSizeTable* table, const LOGFONTA& font, DWORD fontType);
bool SizeOffered(const FontSizeTable& table, int size);
