// The frames of the current sequence and their files: reading and writing
// sequence files through the document palette, single frames as bitmaps,
// loading and switching sequences, and a new sequence.
#include "DialogUtilities.h"
#include "DocumentCommon.h"
#include "DocumentModel.h"
#include "BmpFile.h"
#include "Clipboard.h"
#include "ConvBridge.h"
#include "ColorReduction.h"
#include "DocumentStrings.h"
#include "EditorSettings.h"
#include "AnxArchive.h"
#include "FileIo.h"
#include "FrameBitmaps.h"
#include "FrameFormat.h"
#include "PackedDib.h"
#include "Palette.h"
#include "ResultCodes.h"
#include "resource.h"
#include <cstdio>
#include <cstring>

namespace {

struct InfoWithColors {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

// ---- reading a sequence file --------------------------------------------------

bool SameColor(const RGBQUAD& q, const PALETTEENTRY& e)
{
    return q.rgbRed == e.peRed && q.rgbGreen == e.peGreen && q.rgbBlue == e.peBlue;
}

// Paints the file's transparent colour in the sequence's.
void RecolorTransparent(BYTE* dib, uint8_t fromCode, uint8_t toCode)
{
    if ((fromCode | toCode) & TRANSPARENT_NONE) return;
    const PALETTEENTRY& from = STATIC_COLORS[fromCode & TRANSPARENT_STATIC_MASK];
    const PALETTEENTRY& to = STATIC_COLORS[toCode & TRANSPARENT_STATIC_MASK];
    if (from.peRed == to.peRed && from.peGreen == to.peGreen && from.peBlue == to.peBlue) return;
    RecolorDib(dib, from, to);
}

// The reader's side of a sequence file: each frame becomes a frame bitmap of
// the document's format, drawn through the document palette.
struct SequenceReader {
    int sequenceIndex;
    int firstFrame;   // frames already in the editor
    bool intoEmpty;   // the file sets the format, palette and transparent colour
    uint8_t fileCode;
    bool full;        // the rest of the file did not fit into 255 frames
    int error;        // what stopped the read (0: the user cancelled)
    GlobalBlock image;
};

bool BeginSequence(void* context, const BmxFileHeader& header, const BmxFormat& format)
{
    auto& reader = *static_cast<SequenceReader*>(context);
    reader.fileCode = header.transparentColorCode;
    reader.image.Reset(CreatePackedDib(format.width, format.height, format.bitsPerPixel,
                                       format.colorTableEntries ? format.colors : nullptr,
                                       format.colorTableEntries));
    if (!reader.image) {
        reader.error = RESULT_OUT_OF_MEMORY;
        return false;
    }
    if (reader.intoEmpty)
        g_document.sequenceTable[reader.sequenceIndex].transparentColorCode = header.transparentColorCode;
    return true;
}

bool ReadSequenceFrame(void* context, int index, const BmxFrameEntry& entry, const BYTE* rows)
{
    auto& reader = *static_cast<SequenceReader*>(context);
    const int frame = reader.firstFrame + index;
    if (frame >= MAX_FRAMES) {
        reader.full = true;
        return false;
    }
    {
        GlobalLockGuard<BYTE> p(reader.image.Get());
        const BITMAPINFOHEADER* h = DibHeader(p.get());
        memcpy(DibBits(p.get()), rows, DibStride(h->biWidth, h->biBitCount) * h->biHeight);
        if (!reader.intoEmpty)
            RecolorTransparent(p.get(), reader.fileCode,
                               g_document.sequenceTable[reader.sequenceIndex].transparentColorCode);
    }
    // The first frame decides palette, dithering and stretching; the others
    // follow its decisions.
    UINT flags = SavedPaletteMode();
    if (index > 0) flags |= INSERT_KEEP_DECISIONS;
    else flags |= reader.intoEmpty ? INSERT_FIRST_FRAME : INSERT_ASK_STRETCH;
    const int result = InsertDibIntoBitmap(reader.image.Get(), &g_appState.frameBitmaps[frame], flags, 0, 0);
    if (result != RESULT_OK) {
        reader.error = result;
        return false;
    }
    if (index == 0 && reader.intoEmpty) NotifyDocument(DOC_FRAME_FORMAT_SET);
    SequenceImages& images = g_document.sequenceImages[reader.sequenceIndex];
    images.offsetX[frame] = entry.offsetX;
    images.offsetY[frame] = entry.offsetY;
    // A frame's name becomes the file it is saved to: a name the check
    // refuses gives way to the default name the sequence writer gives a frame
    // without one.
    const bool refused = entry.name[0] && !IsSafeBareName(entry.name);
    char defaultName[RESOURCE_STRING_LENGTH];
    if (refused) FormatNumberedString(IDS_DEFAULT_FRAME_NAME, frame, defaultName, sizeof defaultName);
    SetFrameFileName(frame, refused ? defaultName : entry.name);
    g_document.frameRecords[frame].frameState = 0;
    g_document.frameRecords[frame].attribute = 0;
    g_appState.frameCount = frame + 1;
    return true;
}

int SequenceColorCount()
{
    const int bits = ColorCountToBits(g_appState.colorCount);
    return bits <= 8 ? 1 << bits : -1;
}

// Fills the image set's size fields and the record from the frames in the editor.
void RecordSequenceFrames(int sequenceIndex)
{
    SequenceImages& images = g_document.sequenceImages[sequenceIndex];
    images.frameCount = static_cast<uint16_t>(g_appState.frameCount);
    images.width = static_cast<int16_t>(g_appState.frameWidth);
    images.height = static_cast<int16_t>(g_appState.frameHeight);
    SequenceRecord& record = g_document.sequenceTable[sequenceIndex];
    record.frameCount = static_cast<uint8_t>(g_appState.frameCount);
    if (g_appState.frameCount > 0) record.colorCount = static_cast<int16_t>(SequenceColorCount());
}

// ---- writing a sequence file --------------------------------------------------

struct SequenceWriter {
    HDC dc;
    const BmxFormat* format;
    int sequenceIndex;
};

bool GetSequenceFrameRows(void* context, int index, BYTE* bits)
{
    auto& writer = *static_cast<SequenceWriter*>(context);
    const BmxFormat& f = *writer.format;
    InfoWithColors info{};
    info.header = {sizeof info.header, f.width, f.height, 1, static_cast<WORD>(f.bitsPerPixel), BI_RGB, 0, 0, 0,
                   static_cast<DWORD>(f.colorTableEntries), 0};
    memcpy(info.colors, f.colors, f.colorTableEntries * sizeof(RGBQUAD));
    HBITMAP frame = g_appState.frameBitmaps[index];
    return frame && GetDibBitsMapped(writer.dc, frame, 0, f.height, &info.header, bits,
                                     g_appState.documentPalette) == f.height;
}

void GetSequenceFrameInfo(void* context, int index, const char** name, int8_t* offsetX, int8_t* offsetY)
{
    auto& writer = *static_cast<SequenceWriter*>(context);
    *name = g_document.frameRecords[index].name;
    const SequenceImages& images = g_document.sequenceImages[writer.sequenceIndex];
    *offsetX = images.offsetX[index];
    *offsetY = images.offsetY[index];
}

// The file format of the frames in the editor: their size and depth, and up
// to 256 colours the document palette as colour table (the three-colour
// format stored as 16).
BmxFormat CurrentFrameFormat()
{
    BmxFormat f{};
    f.width = g_appState.frameWidth;
    f.height = g_appState.frameHeight;
    f.bitsPerPixel = ColorCountToBits(g_appState.colorCount);
    if (f.bitsPerPixel > 8) return f;
    f.colorTableEntries = g_appState.colorCount == COLORS_3 ? COLORS_16 : g_appState.colorCount;
    if (f.colorTableEntries > (1 << f.bitsPerPixel)) f.colorTableEntries = 1 << f.bitsPerPixel;
    PALETTEENTRY entries[256] = {};
    HPALETTE palette = g_appState.documentPalette;
    const int got = palette ? static_cast<int>(GetPaletteEntries(palette, 0, f.colorTableEntries, entries)) : 0;
    for (int i = 0; i < got; ++i) f.colors[i] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    return f;
}

// ---- single images ----------------------------------------------------------------

bool HasBitmapExtension(const char* path)
{
    const char* dot = strrchr(BareName(path), '.');
    return !dot || !lstrcmpiA(dot, ".bmp") || !lstrcmpiA(dot, ".dib") || !lstrcmpiA(dot, ".rle");
}

// walk.bmp and 3 -> walk3.bmp (the number goes before the extension).
bool NumberedFileName(char* out, const char* path, int number)
{
    const char* bare = BareName(path);
    const char* dot = strrchr(bare, '.');
    const int stem = static_cast<int>((dot ? dot : bare + strlen(bare)) - path);
    const int n = snprintf(out, MAX_PATH, "%.*s%d%s", stem, path, number, dot ? dot : "");
    return n > 0 && n < MAX_PATH;
}

// Reads a bitmap file (or a sequence file's first frame) and inserts it.
int InsertImageFile(const char* path, HBITMAP* slot, UINT flags)
{
    uint32_t bitsOffset = 0;
    HGLOBAL block = nullptr;
    const int result = ReadSingleDib(path, &bitsOffset, &block);
    if (result != RESULT_OK) return result;
    GlobalBlock image(block);
    return InsertDibIntoBitmap(image.Get(), slot, flags, 0, 0);
}

void ReplaceExtension(char* path, const char* extension)
{
    char* dot = strrchr(const_cast<char*>(BareName(path)), '.');
    if (dot) *dot = '\0';
    const size_t length = strlen(path);
    lstrcpynA(path + length, extension, static_cast<int>(MAX_PATH - length));
}

// Before the first frame goes to a library format that takes fewer colours
// (8 bits or fewer) than the sequence has, the user is asked to reduce them.
bool ReadyForLibraryDepth(int frameIndex, int format)
{
    const int bits = ColorCountToBits(g_appState.colorCount);
    const int wanted = CallGetDesiredBitPix(format, bits);
    if (frameIndex != 0 || wanted <= 0 || wanted >= bits || wanted > 8) return true;
    return ReduceColorsForLibrary(g_appState.mainWindow, format) != 0;
}

}  // namespace

void RecolorDib(BYTE* dib, const PALETTEENTRY& from, const PALETTEENTRY& to)
{
    BITMAPINFOHEADER* h = DibHeader(dib);
    if (h->biBitCount <= 8) {
        RGBQUAD* colors = DibColors(dib);
        for (int i = 0; i < DibColorEntries(*h); ++i)
            if (SameColor(colors[i], from)) colors[i] = {to.peBlue, to.peGreen, to.peRed, 0};
        return;
    }
    const int bytes = h->biBitCount / 8;
    const uint32_t stride = DibStride(h->biWidth, h->biBitCount);
    const WORD from16 = static_cast<WORD>((from.peRed >> 3) << 10 | (from.peGreen >> 3) << 5 | from.peBlue >> 3);
    const WORD to16 = static_cast<WORD>((to.peRed >> 3) << 10 | (to.peGreen >> 3) << 5 | to.peBlue >> 3);
    for (int y = 0; y < h->biHeight; ++y) {
        BYTE* p = DibBits(dib) + size_t(y) * stride;
        for (int x = 0; x < h->biWidth; ++x, p += bytes) {
            if (bytes == 2) {
                WORD v;
                memcpy(&v, p, 2);
                if ((v & 0x7FFF) == from16) memcpy(p, &to16, 2);
            } else if (p[0] == from.peBlue && p[1] == from.peGreen && p[2] == from.peRed) {
                p[0] = to.peBlue;
                p[1] = to.peGreen;
                p[2] = to.peRed;
            }
        }
    }
}

// ---- transparent colours ----------------------------------------------------------

int FitTransparentCodeToFormat(SequenceRecord* sequence, int colorFormat)
{
    const uint8_t code = sequence->transparentColorCode;
    if (code & TRANSPARENT_NONE) return 0;
    uint8_t fitted;
    if (colorFormat == COLORS_2) {
        fitted = code == TRANSPARENT_TWO_COLOR ? code : TRANSPARENT_TWO_COLOR | TRANSPARENT_STATIC_MASK;
    } else {
        fitted = code & (TRANSPARENT_RUNTIME_MASK | TRANSPARENT_STATIC_MASK);
        if ((fitted & TRANSPARENT_RUNTIME_MASK) && fitted != TRANSPARENT_RUNTIME_MASK)
            fitted = TRANSPARENT_RUNTIME_MASK | TRANSPARENT_STATIC_MASK;
    }
    sequence->transparentColorCode = fitted;
    return fitted != code;
}

int TransparentIndexOfCode(int code, int colorFormat)
{
    if (code & TRANSPARENT_NONE) return -1;
    const int staticCode = code & TRANSPARENT_STATIC_MASK;
    if (colorFormat == COLORS_2) return staticCode ? 1 : 0;
    if (colorFormat <= COLORS_16) return staticCode;
    return staticCode >= 8 ? staticCode - 16 : staticCode;
}

int GetTransparentIndex()
{
    return TransparentIndexOfCode(GetSequenceTransparentCode(), g_appState.colorCount);
}

int GetTransparentColorRef(COLORREF* color)
{
    const uint8_t code = GetSequenceTransparentCode();
    if (code & TRANSPARENT_NONE) return 0;
    // Two colours show a code as black or white.
    const int staticCode = g_appState.colorCount == COLORS_2
                               ? (code & TRANSPARENT_STATIC_MASK ? STATIC_COLOR_COUNT - 1 : 0)
                               : code & TRANSPARENT_STATIC_MASK;
    *color = EntryColor(STATIC_COLORS[staticCode]);
    return 1;
}

// ---- sequence files ----------------------------------------------------------------

int ReadFrameSequence(HFILE file, const BmxFileHeader& header, int sequenceIndex)
{
    if (sequenceIndex < 0 || sequenceIndex >= MAX_SEQUENCES) return RESULT_READ_ERROR;
    BusyCursor busy;
    SequenceReader reader{sequenceIndex, g_appState.frameCount, g_appState.frameCount == 0, 0, false, 0, {}};
    const BmxFrameSink sink{&reader, BeginSequence, ReadSequenceFrame};
    int result = ReadBmxBody(file, header, sink);
    if (result == 0) result = reader.full ? RESULT_OK : reader.error;
    RecordSequenceFrames(sequenceIndex);
    if (reader.intoEmpty && g_appState.frameCount > 0)
        ApplyTransparentColorCode(g_document.sequenceTable[sequenceIndex].transparentColorCode);
    if (result == RESULT_OK) g_document.sequenceState = 0;
    NotifyDocument(DOC_FRAMES_CHANGED);
    return result;
}

int SaveFrameSequence(const char* path, uint8_t transparentColorCode, int mode)
{
    if (mode == SAVE_AS_SINGLE_IMAGES) return SaveSequenceAsImages(g_appState.mainWindow, path);
    const int sequenceIndex = CurrentSequenceIndex();
    if (sequenceIndex < 0 || g_appState.frameCount <= 0) return RESULT_WRITE_ERROR;
    const BmxFormat format = CurrentFrameFormat();
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return RESULT_OUT_OF_MEMORY;
    BusyCursor busy;
    SequenceWriter writer{dc, &format, sequenceIndex};
    const BmxFrameSource source{&writer, GetSequenceFrameRows, GetSequenceFrameInfo};
    const int result = WriteBmxFile(path, format, g_appState.frameCount, transparentColorCode,
                                    static_cast<uint32_t>(ReadSetting(IDS_KEY_BMX_COMPRESSION)), source);
    DeleteDC(dc);
    // The file is replaced only when it was written whole: only then are the
    // frames saved.
    if (result != RESULT_OK) return result;
    for (int i = 0; i < g_appState.frameCount; ++i) g_document.frameRecords[i].frameState = 0;
    g_document.sequenceState = 0;
    return RESULT_OK;
}

int SaveFrameFile(const char* path, int frameIndex, int format)
{
    if (frameIndex < 0) frameIndex = 0;
    if (frameIndex >= g_appState.frameCount || !g_appState.frameBitmaps[frameIndex]) return RESULT_WRITE_ERROR;
    int result;
    if (format == 0) {
        BusyCursor busy;
        const int bits = ColorCountToBits(g_appState.colorCount);
        GlobalBlock dib(BitmapToPackedDib(g_appState.frameBitmaps[frameIndex], bits));
        if (!dib) return RESULT_OUT_OF_MEMORY;
        result = WriteBmpFile(path, dib.Get(), static_cast<uint32_t>(ReadSetting(IDS_KEY_BMP_COMPRESSION)));
    } else {
        if (!ReadyForLibraryDepth(frameIndex, format)) return 0;
        result = g_appState.hooks.librarySave
                     ? g_appState.hooks.librarySave(g_appState.mainWindow, path, format, frameIndex)
                     : RESULT_LIBRARY_ERROR;
    }
    // A frame that could not be written keeps its modified mark.
    if (result != RESULT_OK) return result;
    g_document.frameRecords[frameIndex].frameState = 0;
    g_document.frameRecords[frameIndex].attribute = static_cast<uint8_t>(format);
    return RESULT_OK;
}

int SaveSequenceAsImages(HWND owner, const char* path)
{
    char base[MAX_PATH];
    lstrcpynA(base, path, MAX_PATH);
    int format = 0;
    BYTE detected = 0;
    if (!HasBitmapExtension(base) && CallDetectFileFormat(base, &detected, 0)) {
        format = detected;
    } else if (!HasBitmapExtension(base)) {
        // "Save Frame Sequence" chooses the library format (and its extension).
        format = static_cast<int>(RunDialog(IDD_SAVE_SEQUENCE, owner, reinterpret_cast<LPARAM>(base)));
        if (format < 0) return 0;
    }
    char name[MAX_PATH];
    for (int i = 0; i < g_appState.frameCount; ++i) {
        if (!NumberedFileName(name, base, i + 1)) return RESULT_CREATE_ERROR;
        const int answer = ConfirmOverwrite(name);
        if (answer == 0) return 0;
        if (answer == 1) break;  // asked once for the whole series
    }
    for (int i = 0; i < g_appState.frameCount; ++i) {
        NumberedFileName(name, base, i + 1);
        const int result = SaveFrameFile(name, i, format);
        if (result != RESULT_OK) return result;
        SetFrameFileName(i, name);
    }
    return RESULT_OK;
}

// ---- loading ------------------------------------------------------------------------

int LoadFrameFile(const char* path, UINT insertFlags)
{
    const int sequenceIndex = CurrentSequenceIndex();
    if (sequenceIndex < 0) return RESULT_GENERAL_ERROR;
    FileHandle file(OpenForReading(path));
    if (!file.IsOpen()) return RESULT_NOT_FOUND;
    uint16_t magic = 0;
    if (!ReadExact(file.Get(), &magic, sizeof magic)) return RESULT_UNKNOWN_FORMAT;
    const bool intoEmpty = g_appState.frameCount == 0;
    int result;
    if (magic == BMX_MAGIC) {
        BmxFileHeader header;
        _llseek(file.Get(), 0, FILE_BEGIN);
        if (!ReadExact(file.Get(), &header, sizeof header)) return RESULT_READ_ERROR;
        result = ReadFrameSequence(file.Get(), header, sequenceIndex);
        if (intoEmpty && g_appState.frameCount > 0) {
            // The file becomes the sequence's own file.
            lstrcpynA(g_document.sequencePath, path, MAX_PATH);
            ShortenStoredPath(g_document.sequenceTable[sequenceIndex].fileName, path);
        }
    } else if (magic == BMP_MAGIC) {
        file.Close();
        if (g_appState.frameCount >= MAX_FRAMES) return RESULT_GENERAL_ERROR;
        const int frame = g_appState.frameCount;
        const UINT flags = SavedPaletteMode() | (intoEmpty ? INSERT_FIRST_FRAME : INSERT_ASK_STRETCH) | insertFlags;
        result = InsertImageFile(path, &g_appState.frameBitmaps[frame], flags);
        if (result == RESULT_OK) {
            if (intoEmpty) NotifyDocument(DOC_FRAME_FORMAT_SET);
            SetFrameFileName(frame, path);
            g_document.frameRecords[frame].frameState = 0;
            SetFrameCount(frame + 1);
            RecordSequenceFrames(sequenceIndex);
        }
    } else {
        file.Close();
        BYTE format = 0;
        result = g_appState.hooks.libraryLoad ? g_appState.hooks.libraryLoad(g_appState.mainWindow, path, &format)
                                              : RESULT_UNKNOWN_FORMAT;
        if (result == RESULT_OK) {
            g_document.conversionFormat = format;
            RecordSequenceFrames(sequenceIndex);
        }
    }
    // Frames added to a sequence that had frames change it.
    if (!intoEmpty && result == RESULT_OK) g_document.sequenceState |= DOC_MODIFIED;
    return result;
}

int LoadImageIntoBitmap(const char* path, HBITMAP* bitmap)
{
    BusyCursor busy;
    return InsertImageFile(path, bitmap, SavedPaletteMode() | INSERT_ASK_STRETCH);
}

int LoadSequenceForObject(char* path, int sequenceIndex)
{
    if (sequenceIndex < 0 || sequenceIndex >= g_document.sequenceCount) return RESULT_READ_ERROR;
    FileHandle file(OpenReferencedFile(path));
    if (!file.IsOpen()) return RESULT_NOT_FOUND;
    uint16_t magic = 0;
    if (!ReadExact(file.Get(), &magic, sizeof magic)) return RESULT_UNKNOWN_FORMAT;
    SequenceRecord& record = g_document.sequenceTable[sequenceIndex];
    if (magic == BMX_MAGIC) {
        BmxFileHeader header;
        _llseek(file.Get(), 0, FILE_BEGIN);
        if (!ReadExact(file.Get(), &header, sizeof header)) return RESULT_READ_ERROR;
        const int result = ReadFrameSequence(file.Get(), header, sequenceIndex);
        // The name found (perhaps in the document's folder) is the one kept.
        lstrcpynA(g_document.sequencePath, path, MAX_PATH);
        ShortenStoredPath(record.fileName, path);
        return result;
    }
    if (magic != BMP_MAGIC) return RESULT_UNKNOWN_FORMAT;
    // A bitmap becomes a one-frame sequence that still needs a file of its own.
    file.Close();
    const int result = InsertImageFile(path, &g_appState.frameBitmaps[0], SavedPaletteMode() | INSERT_FIRST_FRAME);
    if (result != RESULT_OK) return result;
    NotifyDocument(DOC_FRAME_FORMAT_SET);
    SetFrameFileName(0, path);
    g_document.frameRecords[0].frameState = 0;
    g_appState.frameCount = 1;
    char extension[RESOURCE_STRING_LENGTH];
    LoadResourceString(IDS_SEQUENCE_EXTENSION, extension);
    lstrcpynA(g_document.sequencePath, path, MAX_PATH);
    ReplaceExtension(g_document.sequencePath, strchr(extension, '.') ? strchr(extension, '.') : ".BMX");
    ShortenStoredPath(record.fileName, g_document.sequencePath);
    record.transparentColorCode = TRANSPARENT_NONE;
    ApplyTransparentColorCode(TRANSPARENT_NONE);
    RecordSequenceFrames(sequenceIndex);
    g_document.sequenceState = DOC_NEW;
    NotifyDocument(DOC_FRAMES_CHANGED);
    return RESULT_OK;
}

bool PrepareSequenceSwitch(HWND owner, char* path)
{
    {
        FileHandle file(OpenReferencedFile(path));
        if (!file.IsOpen()) return ShowErrorMessage(RESULT_NOT_FOUND);
        uint16_t magic = 0;
        if (!ReadExact(file.Get(), &magic, sizeof magic) || (magic != BMX_MAGIC && magic != BMP_MAGIC))
            return ShowErrorMessage(RESULT_UNKNOWN_FORMAT);
    }
    // The animation stays open: only the sequence in the editor is at stake.
    return QuerySaveChanges(owner, 0) != 0;
}

bool LoadSwitchedSequence(char* path, int sequenceIndex)
{
    int result;
    {
        SavedPaletteModeOverride originalPalette(2);
        result = LoadSequenceForObject(path, sequenceIndex);
    }
    if (result != RESULT_OK) {
        NotifyDocument(DOC_HIDE_FRAME_WINDOW);
        return ShowErrorMessage(result);
    }
    NotifyDocument(DOC_SHOW_FRAME_WINDOW);
    return true;
}

int SwitchToSequence(HWND owner, const char* name, int sequenceIndex, bool freeCurrent)
{
    char path[MAX_PATH];
    lstrcpynA(path, name, MAX_PATH);
    if (!PrepareSequenceSwitch(owner, path)) return 0;
    if (freeCurrent) FreeCurrentFrames();
    return LoadSwitchedSequence(path, sequenceIndex) ? 1 : 0;
}

int CreateSequence(const NewSequenceParams& params, int sequenceIndex)
{
    if (sequenceIndex < 0 || sequenceIndex >= MAX_SEQUENCES) return 0;
    g_appState.frameCount = 0;
    SetColorFormat(params.colourFormat, nullptr, 0);
    g_appState.frameWidth = params.width < MIN_FRAME_SIZE ? MIN_FRAME_SIZE
                            : params.width > MAX_FRAME_SIZE ? MAX_FRAME_SIZE : params.width;
    g_appState.frameHeight = params.height < MIN_FRAME_SIZE ? MIN_FRAME_SIZE
                             : params.height > MAX_FRAME_SIZE ? MAX_FRAME_SIZE : params.height;
    HBITMAP frame = CreateFrameBitmap(g_appState.frameWidth, g_appState.frameHeight);
    if (!frame) {
        NotifyDocument(DOC_HIDE_FRAME_WINDOW);
        return ShowErrorMessage(RESULT_OUT_OF_MEMORY);
    }
    g_appState.frameBitmaps[0] = frame;
    char pattern[RESOURCE_STRING_LENGTH], name[MAX_PATH];
    LoadResourceString(IDS_DEFAULT_FRAME_NAME, pattern);
    if (PathInCurrentDirectory(pattern, name)) SetFrameFileName(0, name);
    NotifyDocument(DOC_FRAME_FORMAT_SET);

    SequenceRecord& record = g_document.sequenceTable[sequenceIndex];
    record.transparentColorCode = static_cast<uint8_t>(params.transparentCode);
    ApplyTransparentColorCode(record.transparentColorCode);
    g_document.sequenceImages[sequenceIndex] = SequenceImages{};
    g_appState.frameCount = 1;
    g_appState.currentFrame = 0;
    // A frame that shows only the sequence background holds nothing to save;
    // the clipboard's picture in it does.
    g_document.frameRecords[0].frameState = FRAME_UNSET;
    {
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, frame);
        const RECT whole{0, 0, g_appState.frameWidth, g_appState.frameHeight};
        FillSequenceBackground(dc, &whole, sequenceIndex);
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    if (params.pasteClipboard && IsClipboardImageAvailable() && PasteClipboardIntoFrame(frame))
        g_document.frameRecords[0].frameState |= FRAME_MODIFIED;
    RecordSequenceFrames(sequenceIndex);
    g_document.sequenceState = DOC_NEW;
    NotifyDocument(DOC_FRAMES_CHANGED);
    return 1;
}
