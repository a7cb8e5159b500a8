// Which format a file holds: by its first bytes, or by its name's extension.
#include "ConvFormats.h"
#include "FileIo.h"
#include "ResourceBitmaps.h"
#include "TiffCodec.h"
#include <cstring>

namespace {

constexpr uint32_t PCX_HEADER_BYTES = 128;

// Reads up to `count` bytes from the start of the file and goes back to the
// start, so every test sees the file from its first byte. The bytes read.
uint32_t ReadFromStart(HFILE file, void* buffer, uint32_t count)
{
    _llseek(file, 0, FILE_BEGIN);
    const UINT got = _lread(file, buffer, count);
    _llseek(file, 0, FILE_BEGIN);
    return got == static_cast<UINT>(HFILE_ERROR) ? 0 : got;
}

bool StartsWith(HFILE file, uint32_t need, BYTE* bytes)
{
    return ReadFromStart(file, bytes, need) == need;
}

bool IsPcx(HFILE file)
{
    BYTE header[PCX_HEADER_BYTES];
    return ReadFromStart(file, header, sizeof header) >= 1 && (header[0] == 0x0A || header[0] == 0xCD);
}

bool IsJpeg(HFILE file)
{
    BYTE b[2];
    return StartsWith(file, sizeof b, b) && b[0] == 0xFF && b[1] == 0xD8;
}

bool IsIconOrCursor(HFILE file)
{
    BYTE b[2];
    return StartsWith(file, sizeof b, b) && b[0] == 0 && b[1] == 0;
}

bool IsRiffForm(HFILE file, const char* form)
{
    BYTE b[12];
    return StartsWith(file, sizeof b, b) && memcmp(b, "RIFF", 4) == 0 && memcmp(b + 8, form, 4) == 0;
}

bool IsAnimatedCursor(HFILE file) { return IsRiffForm(file, "ACON"); }
bool IsAvi(HFILE file) { return IsRiffForm(file, "AVI "); }

bool IsGif(HFILE file)
{
    BYTE b[3];
    return StartsWith(file, sizeof b, b) && memcmp(b, "GIF", 3) == 0;
}

struct ContentTest {
    bool (*holds)(HFILE file);
    BYTE code;
};

// In this order: the first test that holds names the format. Every GIF is
// taken for an animated one here; the reader tells one image from many.
const ContentTest kContentTests[] = {
    {IsPcx, CONV_FORMAT_PCX},
    {IsTiffFile, CONV_FORMAT_TIFF},
    {IsJpeg, CONV_FORMAT_JPEG},
    {IsResourceBitmapFile, CONV_FORMAT_RESOURCE_BITMAP},
    {IsIconOrCursor, CONV_FORMAT_ICON},
    {IsAnimatedCursor, CONV_FORMAT_ANI},
    {IsGif, CONV_FORMAT_GIF_ANIM},
    {IsAvi, CONV_FORMAT_AVI},
};

struct ExtensionEntry {
    const char* extension;
    BYTE code;
};

// Animated formats and programs are not recognised by name.
const ExtensionEntry kExtensions[] = {
    {".gif", CONV_FORMAT_GIF},  {".jpg", CONV_FORMAT_JPEG}, {".jpeg", CONV_FORMAT_JPEG},
    {".tif", CONV_FORMAT_TIFF}, {".tiff", CONV_FORMAT_TIFF}, {".pcx", CONV_FORMAT_PCX},
    {".ico", CONV_FORMAT_ICON}, {".cur", CONV_FORMAT_ICON},
};

}  // namespace

int DetectFormatByContent(const char* path, BYTE* code)
{
    *code = 0;
    FileHandle file(OpenForReading(path));
    if (!file.IsOpen()) return CONV_ERR_NOT_FOUND;
    for (const ContentTest& test : kContentTests) {
        if (test.holds(file.Get())) {
            *code = test.code;
            return CONV_OK;
        }
    }
    return CONV_ERR_UNKNOWN_FORMAT;
}

int DetectFormatByName(const char* path, BYTE* code)
{
    *code = 0;
    const char* dot = path ? strrchr(path, '.') : nullptr;
    if (!dot) return CONV_ERR_UNKNOWN_FORMAT;
    for (const ExtensionEntry& entry : kExtensions) {
        if (lstrcmpiA(dot, entry.extension) == 0) {
            *code = entry.code;
            return CONV_OK;
        }
    }
    return CONV_ERR_UNKNOWN_FORMAT;
}
