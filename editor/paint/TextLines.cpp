// The text tool's plain rules (see TextLines.h).
#include "TextLines.h"
#include <cstring>

const char* NextTextLine(const char* start, const char** lineEnd)
{
    const char* p = start;
    while (*p && *p != '\r') ++p;
    *lineEnd = p;
    if (!*p) return nullptr;
    ++p;  // the CR
    if (*p == '\n') ++p;
    return p;
}

std::string NumberTextLine(std::string_view line, int number)
{
    if (line.size() > MAX_NUMBERED_LINE || line.find("%d") == std::string_view::npos) return std::string(line);
    std::string out;
    const std::string digits = std::to_string(number);
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '%' && i + 1 < line.size() && line[i + 1] == 'd') {
            out += digits;
            ++i;
        } else {
            out += line[i];
        }
    }
    return out;
}

void ClearSizeTable(FontSizeTable* table) { memset(table->bytes, SIZE_NOT_OFFERED, sizeof table->bytes); }

namespace {

void Offer(FontSizeTable* table, int size, BYTE pitchAndFamily)
{
    if (size >= MIN_LISTED_SIZE && size <= MAX_LISTED_SIZE) table->bytes[size] = pitchAndFamily;
}

}  // namespace

bool EnterFontSizes(FontSizeTable* table, const LOGFONTA& font, DWORD fontType)
{
    table->bytes[0] = font.lfCharSet;
    table->bytes[1] = static_cast<BYTE>(fontType);
    const BYTE pitch = font.lfPitchAndFamily;
    const int height = font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
    if (fontType & RASTER_FONTTYPE) {
        for (int size = height; height > 0 && size <= MAX_LISTED_SIZE; size += height) Offer(table, size, pitch);
        return true;
    }
    for (int size = 4; size <= 11; ++size) Offer(table, size, pitch);
    for (int size = 12; size <= 32; size += 2) Offer(table, size, pitch);
    Offer(table, 15, pitch);
    for (int size = 36; size <= 64; size += 4) Offer(table, size, pitch);
    Offer(table, height, pitch);
    return false;
}

bool SizeOffered(const FontSizeTable& table, int size)
{
    return size >= MIN_LISTED_SIZE && size <= MAX_LISTED_SIZE && table.bytes[size] != SIZE_NOT_OFFERED;
}
