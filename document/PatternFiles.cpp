#include "PatternFiles.h"
#include "AppState.h"
#include "BmxFile.h"
#include "FileIo.h"
#include "PackedDib.h"
#include "ResultCodes.h"
#include <cstring>

static_assert(FILL_PATTERN_COUNT == MUS_PATTERN_COUNT);

namespace {

// The one layout every stored pattern is read and written as: 8 x 8, 1 bit,
// black for 0 and white for 1.
struct MonoInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[2];
};

MonoInfo PatternInfo()
{
    MonoInfo info{};
    info.header = {sizeof(BITMAPINFOHEADER), 8, 8, 1, 1, BI_RGB, 0, 0, 0, 0, 0};
    info.colors[1] = {0xFF, 0xFF, 0xFF, 0};
    return info;
}

bool SetPatternRows(HDC dc, HBITMAP* pattern, const BYTE (*rows)[4])
{
    if (!*pattern) *pattern = CreateBitmap(8, 8, 1, 1, nullptr);
    if (!*pattern) return false;
    MonoInfo info = PatternInfo();
    return SetDIBits(dc, *pattern, 0, 8, rows, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == 8;
}

void PaintPatternsWhite(HDC dc, HBITMAP* patterns)
{
    BYTE white[8][4];
    memset(white, 0xFF, sizeof white);
    for (int i = 0; i < MUS_PATTERN_COUNT; ++i) SetPatternRows(dc, &patterns[i], white);
}

// ---- the brush file --------------------------------------------------------------------

struct BrushMaker {
    HBRUSH* brushes;
    int wanted;
    int made;
    int error;
    BmxFormat format;
};

bool BeginBrushes(void* context, const BmxFileHeader&, const BmxFormat& format)
{
    auto& maker = *static_cast<BrushMaker*>(context);
    maker.format = format;
    return maker.wanted > 0;
}

bool MakeBrush(void* context, int, const BmxFrameEntry&, const BYTE* rows)
{
    auto& maker = *static_cast<BrushMaker*>(context);
    const BmxFormat& f = maker.format;
    GlobalBlock dib(CreatePackedDib(f.width, f.height, f.bitsPerPixel, f.colorTableEntries ? f.colors : nullptr,
                                    f.colorTableEntries));
    if (!dib) {
        maker.error = RESULT_OUT_OF_MEMORY;
        return false;
    }
    HBRUSH brush;
    {
        GlobalLockGuard<BYTE> p(dib.Get());
        if (!p.get()) {
            maker.error = RESULT_OUT_OF_MEMORY;
            return false;
        }
        memcpy(DibBits(p.get()), rows, size_t(DibStride(f.width, f.bitsPerPixel)) * f.height);
        brush = CreateDIBPatternBrushPt(p.get(), DIB_RGB_COLORS);
    }
    if (!brush) {
        maker.error = RESULT_OUT_OF_MEMORY;
        return false;
    }
    maker.brushes[maker.made++] = brush;
    return maker.made < maker.wanted;
}

}  // namespace

void GetPatternFilePath(char* out, int kind)
{
    char path[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) path[0] = '\0';
    char* slash = strrchr(path, '\\');
    char* dot = strrchr(slash ? slash : path, '.');
    if (dot) *dot = '\0';
    const char* extension = kind == PATTERN_FILE_MBX ? ".MBX" : ".MUS";
    if (strlen(path) + strlen(extension) >= MAX_PATH) path[MAX_PATH - 1 - strlen(extension)] = '\0';
    strcpy(out, path);
    strcat(out, extension);
}

int ReadPatternFileFrom(const char* path, HBITMAP* patterns)
{
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return RESULT_OUT_OF_MEMORY;
    int result = RESULT_OK;
    FileHandle file(OpenForReading(path));
    MusFile contents;
    if (!file.IsOpen()) {
        PaintPatternsWhite(dc, patterns);
        result = RESULT_NOT_FOUND;
    } else if (!ReadExact(file.Get(), &contents, 2 * sizeof(uint16_t))) {
        result = RESULT_READ_ERROR;
    } else if (contents.magic != MUS_MAGIC) {
        result = RESULT_UNKNOWN_FORMAT;
    } else if (!ReadExact(file.Get(), contents.patterns, sizeof contents.patterns)) {
        result = RESULT_READ_ERROR;
    } else {
        for (int i = 0; i < MUS_PATTERN_COUNT; ++i) SetPatternRows(dc, &patterns[i], contents.patterns[i].rows);
    }
    DeleteDC(dc);
    return result;
}

int WritePatternFileTo(const char* path, HBITMAP const* patterns)
{
    MusFile contents{};
    contents.magic = MUS_MAGIC;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return RESULT_OUT_OF_MEMORY;
    bool retrieved = true;
    for (int i = 0; i < MUS_PATTERN_COUNT; ++i) {
        MonoInfo info = PatternInfo();
        retrieved = retrieved && patterns[i] &&
                    GetDIBits(dc, patterns[i], 0, 8, contents.patterns[i].rows, reinterpret_cast<BITMAPINFO*>(&info),
                              DIB_RGB_COLORS) == 8;
        contents.patterns[i].header = info.header;
        memcpy(contents.patterns[i].colors, info.colors, sizeof info.colors);
    }
    DeleteDC(dc);
    if (!retrieved) return RESULT_OUT_OF_MEMORY;
    SafeFileWriter writer(path);
    HFILE file = writer.Create();
    if (file == HFILE_ERROR) return RESULT_CREATE_ERROR;
    if (!WriteExact(file, &contents, sizeof contents) || !writer.Commit()) return RESULT_WRITE_ERROR;
    return RESULT_OK;
}

int LoadPatternBrushesFrom(const char* path, HBRUSH* brushes, int wanted)
{
    FileHandle file(OpenForReading(path));
    if (!file.IsOpen()) return RESULT_NOT_FOUND;
    BmxFileHeader header{};
    if (!ReadExact(file.Get(), &header, sizeof header)) return RESULT_READ_ERROR;
    if (header.magic != BMX_MAGIC) return RESULT_UNKNOWN_FORMAT;
    BrushMaker maker{brushes, wanted < MAX_MBX_BRUSHES ? wanted : MAX_MBX_BRUSHES, 0, 0, {}};
    // The reader checks every entry's size, the frame size and the depth
    // against the file before it hands over rows.
    int result = ReadBmxBody(file.Get(), header, BmxFrameSink{&maker, BeginBrushes, MakeBrush});
    if (result == 0) result = maker.error ? maker.error : RESULT_OK;
    if (result != RESULT_OK) {
        for (int i = 0; i < maker.made; ++i) {
            DeleteObject(brushes[i]);
            brushes[i] = nullptr;
        }
        return result;
    }
    return maker.made;
}

int ReadPatternFile()
{
    char path[MAX_PATH];
    GetPatternFilePath(path, PATTERN_FILE_MUS);
    return ReadPatternFileFrom(path, g_appState.patternBitmaps);
}

int WritePatternFile()
{
    char path[MAX_PATH];
    GetPatternFilePath(path, PATTERN_FILE_MUS);
    return WritePatternFileTo(path, g_appState.patternBitmaps);
}

int LoadPatternBrushes(HBRUSH* brushes, int wanted)
{
    char path[MAX_PATH];
    GetPatternFilePath(path, PATTERN_FILE_MBX);
    return LoadPatternBrushesFrom(path, brushes, wanted);
}
