// Animated GIF documents: a GIF read into the editor as one image, as the
// assembled picture of its images, or as a frame sequence; the editor's
// sequence written as an animated GIF; the document's settings block, its
// menu command and the frame records that follow the editor's frame edits.
#include "GifAnimation.h"
#include "ConvFormats.h"
#include "ConvLibrary.h"
#include "ConvResource.h"
#include "FileIo.h"
#include "PackedDib.h"
#include <cstring>

namespace {

constexpr UINT ADD_FLAGS = CONV_ADD_USE_COLOR_OPTION | CONV_ADD_ASK_STRETCH;  // 0x11
constexpr UINT IMPORTED_NAME_ATTRIBUTE = 0x81;
constexpr int MENU_POSITION = 5;  // the editor's Object menu, then its Animation menu

enum ImportMode { IMPORT_CANCEL = 0, IMPORT_ONE = 1, IMPORT_ASSEMBLED = 2, IMPORT_SEQUENCE = 3 };

bool HasTransparency(const GifFrameRecord& r) { return r.hasControl && r.transparentIndex != GIF_NO_TRANSPARENCY; }

int16_t ClampToI16(int value) { return static_cast<int16_t>(value < 0 ? 0 : value > INT16_MAX ? INT16_MAX : value); }

// Tells the editor the colour of a transparent index of the DIB's table;
// `noAsk` is the number of such requests of this import before.
void RequestTransparentColor(HGLOBAL dib, int index, uint32_t noAsk, ConvHostProc host)
{
    GlobalLockGuard<BYTE> p(dib);
    if (!p || index < 0 || index >= GifTableEntries(DibHeader(p.get()))) return;
    const RGBQUAD& entry = DibColors(p.get())[index];
    ConvTransparentColor request{&entry.rgbBlue, noAsk};
    host(CONV_REQ_SET_TRANSPARENT_COLOR, &request, 0);
}

bool AddFrame(HGLOBAL dib, UINT flags, ConvHostProc host) { return host(CONV_REQ_ADD_FRAME, dib, flags) != 0; }

// An image without a colour table of its own is in the file's global
// colours, whatever table an earlier image of the sequence brought along.
void RestoreGlobalColors(HGLOBAL dib, const GifAnimSettings* s)
{
    GlobalLockGuard<BYTE> p(dib);
    if (!p) return;
    const int entries = GifTableEntries(DibHeader(p.get()));
    const int kept = s->globalColorCount < entries ? s->globalColorCount : entries;
    RGBQUAD* colors = DibColors(p.get());
    memset(colors, 0, entries * sizeof(RGBQUAD));
    if (kept > 0) memcpy(colors, s->globalColors, kept * sizeof(RGBQUAD));
}

// The chosen image alone, at its own position in a DIB of its own size.
int ImportOneImage(GifReader& in, GifAnimSettings* s, const char* path, ConvImage* image, ConvHostProc host,
                   GlobalBlock* dib)
{
    const int chosen = s->selectedFrame;
    if (chosen < 0 || chosen >= s->frameCount) return CONV_ERR_READ;
    const GifFrameRecord r = s->frames[chosen];
    if (r.width == 0 || r.height == 0) return CONV_ERR_READ;
    dib->Reset(CreateGifFrameDib(r.bitsPerPixel, r.width, r.height, s->globalColors, s->globalColorCount));
    if (!*dib) return CONV_ERR_MEMORY;
    if (!in.Seek(r.dataOffset)) return CONV_ERR_READ;
    // The record holds the file's 16-bit position as a signed value.
    int result = DecodeGifImage(in, dib->Get(), -1, static_cast<uint16_t>(r.left), static_cast<uint16_t>(r.top));
    if (result <= 0) return result;
    if (image && (!HasTransparency(r) || !host)) {
        image->dib = dib->Release();
        image->bitsOffset = 0;
    } else if (host) {
        if (!AddFrame(dib->Get(), ADD_FLAGS, host)) return CONV_ERR_MEMORY;
        if (HasTransparency(r)) RequestTransparentColor(dib->Get(), r.transparentIndex, 0, host);
        const int count = static_cast<int>(host(CONV_REQ_QUERY, nullptr, CONV_QUERY_FRAME_COUNT));
        if (count > 0)
            host(CONV_REQ_SET_FRAME_NAME, const_cast<char*>(path), ((count - 1) & 0xFF) | IMPORTED_NAME_ATTRIBUTE << 8);
    }
    s->frameCount = 1;
    s->frameWidth = r.width;
    s->frameHeight = r.height;
    s->frames[0] = r;
    s->frames[0].left = s->frames[0].top = 0;
    return result;
}

// Every image drawn in file order onto the logical screen.
int ImportAssembled(GifReader& in, GifAnimSettings* s, ConvImage* image, ConvHostProc host, GlobalBlock* dib)
{
    dib->Reset(CreateGifFrameDib(s->bitsPerPixel, s->screenWidth, s->screenHeight, s->globalColors,
                                 s->globalColorCount));
    if (!*dib) return s->screenWidth && s->screenHeight ? CONV_ERR_MEMORY : CONV_ERR_READ;
    FillDibWithIndex(dib->Get(), s->backgroundIndex);
    for (int i = 0; i < s->frameCount; ++i) {
        const GifFrameRecord& r = s->frames[i];
        if (!in.Seek(r.dataOffset)) return CONV_ERR_READ;
        const int transparent = HasTransparency(r) ? r.transparentIndex : -1;
        const int result = DecodeGifImage(in, dib->Get(), transparent, 0, 0);
        if (result <= 0) return result;
    }
    if (image) {
        image->dib = dib->Release();
        image->bitsOffset = 0;
    } else if (!AddFrame(dib->Get(), ADD_FLAGS, host)) {
        return CONV_ERR_MEMORY;
    }
    s->frames[0] = {};
    s->frameCount = 1;
    return CONV_OK;
}

// Each image becomes a frame of frameWidth x frameHeight. The frames are not
// composed: each starts from what the previous image left, cleared only when
// the image is smaller than the canvas.
int ImportSequence(GifReader& in, GifAnimSettings* s, ConvHostProc host, GlobalBlock* dib)
{
    const int canvasWidth = s->frameWidth, canvasHeight = s->frameHeight;
    dib->Reset(CreateGifFrameDib(s->bitsPerPixel, canvasWidth, canvasHeight, s->globalColors, s->globalColorCount));
    if (!*dib) return canvasWidth && canvasHeight ? CONV_ERR_MEMORY : CONV_ERR_READ;
    uint32_t transparentRequests = 0;
    for (int i = 0; i < s->frameCount; ++i) {
        GifFrameRecord& r = s->frames[i];
        if (r.width < canvasWidth || r.height < canvasHeight)
            FillDibWithIndex(dib->Get(), HasTransparency(r) ? r.transparentIndex : s->backgroundIndex);
        // An image reaching past the canvas is moved back inside it; the
        // record keeps by how much.
        const int left = static_cast<uint16_t>(r.left), top = static_cast<uint16_t>(r.top);
        const int shiftX = left + r.width - canvasWidth > 0 ? left + r.width - canvasWidth : 0;
        const int shiftY = top + r.height - canvasHeight > 0 ? top + r.height - canvasHeight : 0;
        r.left = ClampToI16(shiftX);
        r.top = ClampToI16(shiftY);
        if (!in.Seek(r.dataOffset)) return CONV_ERR_READ;
        RestoreGlobalColors(dib->Get(), s);
        const int result = DecodeGifImage(in, dib->Get(), -1, shiftX, shiftY);
        if (result <= 0) return result;
        if (!AddFrame(dib->Get(), ADD_FLAGS + (i & 255) * 256, host)) {
            // The frames appended so far stay; the block describes them.
            s->frameCount = static_cast<int16_t>(i);
            break;
        }
        if (HasTransparency(r)) RequestTransparentColor(dib->Get(), r.transparentIndex, transparentRequests++, host);
    }
    return CONV_OK;
}

bool AllImagesSized(const GifAnimSettings* s, int width, int height)
{
    for (int i = 0; i < s->frameCount; ++i)
        if (s->frames[i].width != width || s->frames[i].height != height) return false;
    return true;
}

// ---- export -------------------------------------------------------------------------------

// Writes the comment as one comment extension: pieces of a line each while
// the line is short, else of 252 characters.
int WriteComment(GifWriter& out, const char* text)
{
    const size_t length = strlen(text);
    size_t at = 0;
    bool first = true;
    while (at < length) {
        size_t piece;
        const char* lineEnd = static_cast<const char*>(memchr(text + at + 1, '\n', length - at - 1));
        if (lineEnd && static_cast<size_t>(lineEnd - (text + at)) + 1 <= 254) piece = lineEnd - (text + at) + 1;
        else piece = length - at <= 252 ? length - at : 252;
        const bool last = at + piece >= length;
        const int written = first ? WriteGifExtensionStart(out, 0xFE, text + at, static_cast<int>(piece), last)
                                  : WriteGifSubBlock(out, text + at, static_cast<int>(piece), last);
        if (!written) return CONV_ERR_WRITE;
        first = false;
        at += piece;
    }
    return CONV_OK;
}

int WriteLoopExtension(GifWriter& out, uint32_t loopCount)
{
    const BYTE loop[3] = {1, static_cast<BYTE>(loopCount), static_cast<BYTE>(loopCount >> 8)};
    if (!WriteGifExtensionStart(out, 0xFF, "NETSCAPE2.0", 11, false)) return CONV_ERR_WRITE;
    return WriteGifSubBlock(out, loop, sizeof loop, true) ? CONV_OK : CONV_ERR_WRITE;
}

int FrameDepthFor(ULONG_PTR colors) { return colors <= 2 ? 1 : colors <= 16 ? 4 : 8; }

// The editor's frame size as width and height; false without frames.
bool QueryFrameSize(ConvHostProc host, int* width, int* height)
{
    uint32_t size = 0;
    if (!host(CONV_REQ_QUERY, &size, CONV_QUERY_FRAME_SIZE)) return false;
    *width = static_cast<int>(size & 0xFFFF);
    *height = static_cast<int>(size >> 16);
    return true;
}

bool FetchFrame(ConvHostProc host, BITMAPINFOHEADER* header, int frame)
{
    return host(CONV_REQ_GET_FRAME_BITS, header, static_cast<ULONG_PTR>(frame)) != 0;
}

// The frames and their settings, after the header. A negative result ends it.
int WriteFrames(GifWriter& out, GifAnimSettings* s, BITMAPINFOHEADER* h, int frames, bool progress,
                ConvHostProc host)
{
    const int transparent = FindGifTransparentIndex(h, host);
    for (int i = 0; i < frames; ++i) {
        if (progress) StepConvProgress(i * 100 / frames);
        // A frame the editor cannot hand over is never replaced by the one before.
        if (i > 0 && !FetchFrame(host, h, i)) return CONV_ERR_MEMORY;
        PumpConvMessages(GetConvProgressState().dialog);
        const GifFrameRecord& r = s->frames[i];
        WriteGraphicControl(out, transparent, r.delay, r.userInput != 0, r.disposal);
        const int result = WriteGifImage(out, h, static_cast<uint16_t>(r.left), static_cast<uint16_t>(r.top),
                                         r.interlaced != 0, false, false);
        if (result < 0) return result;
    }
    return CONV_OK;
}

void SetExtension(char* path, const char* extension)
{
    char* dot = strrchr(path, '.');
    const char* slash = strrchr(path, '\\');
    if (!dot || (slash && dot < slash)) dot = path + strlen(path);
    if (static_cast<size_t>(dot - path) + strlen(extension) < MAX_PATH) strcpy(dot, extension);
}

}  // namespace

// ---- the format table's handlers ------------------------------------------------------------

int LoadGifFile(const ConvLoadCall& call) { return LoadGif(call.path, call.owner, call.image, call.host); }

int SaveGifAnimationFile(const ConvSaveCall& call)
{
    return SaveGifAnimation(call.path, call.owner, call.frameCount, call.dib, call.host);
}

int SaveSingleGifFile(const ConvSaveCall& call)
{
    return call.dib ? SaveSingleGif(call.path, call.dib, call.host) : CONV_ERR_MEMORY;
}

// ---- import ---------------------------------------------------------------------------------

int LoadGif(const char* path, HWND owner, ConvImage* image, ConvHostProc host)
{
    FileHandle file(OpenForReading(path));
    if (!file.IsOpen()) return CONV_ERR_NOT_FOUND;
    GlobalBlock block(NewGifAnimSettings());
    if (!block) return CONV_ERR_MEMORY;
    GlobalBlock dib;
    int result;
    {
        GlobalLockGuard<GifAnimSettings> locked(block.Get());
        GifAnimSettings* s = locked.get();
        s->commentFlag = 0;
        s->loopFlag = 0;
        s->frames[0].disposal = GIF_DISPOSE_NOTHING;
        GifReader in(file.Get());
        // Without a host only the first image can be used.
        result = ReadGifStructure(in, s, host == nullptr);
        if (result <= 0) return result;
        if (s->frameCount == 0) return CONV_ERR_READ;
        s->selectedFrame = 0;
        int mode = IMPORT_ONE;
        if (s->frameCount >= 2 && host) {
            if (AllImagesSized(s, s->frames[0].width, s->frames[0].height)) {
                mode = IMPORT_SEQUENCE;
                s->frameWidth = s->frames[0].width;
                s->frameHeight = s->frames[0].height;
            } else {
                mode = RunGifImportDialog(owner, s, host);
            }
        }
        switch (mode) {
        case IMPORT_ONE: result = ImportOneImage(in, s, path, image, host, &dib); break;
        case IMPORT_ASSEMBLED: result = ImportAssembled(in, s, image, host, &dib); break;
        case IMPORT_SEQUENCE: result = ImportSequence(in, s, host, &dib); break;
        default: return CONV_CANCELLED;
        }
    }
    file.Close();
    // A document of this format keeps its block in the editor.
    if (result > 0 && !image && host && host(CONV_REQ_SET_SETTINGS, block.Get(), 0)) {
        block.Release();
        InstallGifMenu(host);
    }
    return result;
}

int GetGifPreview(const char* path, ConvImage* image)
{
    const int result = LoadGif(path, nullptr, image, nullptr);
    image->bitsOffset = 0;
    return result;
}

// ---- export ---------------------------------------------------------------------------------

void FitGifScreen(GifAnimSettings* s, int frameWidth, int frameHeight)
{
    int minLeft = 0, minTop = 0, maxLeft = 0, maxTop = 0;
    for (int i = 0; i < s->frameCount && i < GIF_MAX_FRAMES; ++i) {
        const GifFrameRecord& r = s->frames[i];
        if (r.left < minLeft) minLeft = r.left;
        if (r.top < minTop) minTop = r.top;
        if (r.left > maxLeft) maxLeft = r.left;
        if (r.top > maxTop) maxTop = r.top;
    }
    const int width = frameWidth - minLeft + maxLeft, height = frameHeight - minTop + maxTop;
    s->screenWidth = static_cast<uint16_t>(width > 0xFFFF ? 0xFFFF : width);
    s->screenHeight = static_cast<uint16_t>(height > 0xFFFF ? 0xFFFF : height);
}

int SaveAnimatedGif(GifAnimSettings* s, const char* path, HWND, int countArgument, HGLOBAL dib, ConvHostProc host)
{
    if (!host) return CONV_ERR_MEMORY;
    SafeFileWriter file(path);
    const HFILE handle = file.Create();
    if (handle == HFILE_ERROR) return CONV_ERR_CREATE;
    GlobalBlock made;
    if (!dib) {
        const ULONG_PTR colors = host(CONV_REQ_QUERY, nullptr, CONV_QUERY_COLOR_COUNT);
        if (colors == 0) return CONV_ERR_COMPRESSION;
        int width = 0, height = 0;
        QueryFrameSize(host, &width, &height);
        made.Reset(CreateGifFrameDib(FrameDepthFor(colors), width, height, nullptr, 0));
        if (!made) return CONV_ERR_MEMORY;
        dib = made.Get();
    }
    GlobalLockGuard<BYTE> locked(dib);
    if (!locked) return CONV_ERR_MEMORY;
    BITMAPINFOHEADER* h = DibHeader(locked.get());
    if (!IsWritableGifDib(h, GlobalSize(dib))) return CONV_ERR_COMPRESSION;
    if (!FetchFrame(host, h, 0)) return CONV_ERR_MEMORY;

    // The background colour: the nearest entry of the frames' own table.
    const RGBQUAD* table = DibColors(locked.get());
    const RGBQUAD old = s->globalColors[static_cast<uint8_t>(s->backgroundIndex)];
    const int background = FindNearestColor(table, GifTableEntries(h), old.rgbRed, old.rgbGreen, old.rgbBlue);
    s->backgroundIndex = static_cast<int16_t>(background);
    s->globalColors[background] = table[background];
    int frameWidth = 0, frameHeight = 0;
    QueryFrameSize(host, &frameWidth, &frameHeight);
    s->frameWidth = static_cast<uint16_t>(frameWidth);
    s->frameHeight = static_cast<uint16_t>(frameHeight);
    FitGifScreen(s, frameWidth, frameHeight);

    GifWriter out(handle);
    int result = WriteGifHeader(out, h, s->screenWidth, s->screenHeight, true, s->backgroundIndex);
    if (result <= 0) return result;
    if (s->loopFlag && (result = WriteLoopExtension(out, s->loopCount)) < 0) return result;
    s->comment[GIF_COMMENT_MAX] = '\0';
    if (s->commentFlag && s->comment[0] && (result = WriteComment(out, s->comment)) < 0) return result;

    // The editor's frames are written, each with its record; frames the
    // block has no record for take record 0's settings.
    const int editorFrames = static_cast<int>(host(CONV_REQ_QUERY, nullptr, CONV_QUERY_FRAME_COUNT));
    const int frames = editorFrames < GIF_MAX_FRAMES ? editorFrames : GIF_MAX_FRAMES;
    if (s->frameCount < frames) {
        for (int i = s->frameCount > 0 ? s->frameCount : 1; i < frames; ++i) s->frames[i] = s->frames[0];
        s->frameCount = static_cast<int16_t>(frames);
    }
    result = WriteFrames(out, s, h, frames, !(countArgument & GIF_SAVE_NO_PROGRESS), host);
    if (result < 0) return result;
    if (!out.Byte(0x3B) || !out.Flush() || !file.Commit()) return CONV_ERR_WRITE;
    return CONV_OK;
}

int SaveGifAnimation(const char* path, HWND owner, int countArgument, HGLOBAL dib, ConvHostProc host)
{
    if (!host) return CONV_ERR_MEMORY;
    HGLOBAL block = nullptr;
    host(CONV_REQ_GET_SETTINGS, &block, 0);
    GlobalBlock own;  // a block made here that serves this export only
    if (SettingsBlockFormat(block) != CONV_FORMAT_GIF_ANIM || GlobalSize(block) < sizeof(GifAnimSettings)) {
        HGLOBAL made = RunGifAnimDialog(owner, block, host);
        if (!made) return CONV_CANCELLED;
        block = made;
        if (dib || !host(CONV_REQ_SET_SETTINGS, made, 0)) own.Reset(made);
    }
    GlobalLockGuard<GifAnimSettings> s(block);
    if (!s) return CONV_ERR_MEMORY;
    return SaveAnimatedGif(s.get(), path, owner, countArgument, dib, host);
}

// ---- the document ---------------------------------------------------------------------------

HGLOBAL NewGifAnimSettings()
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(GifAnimSettings));
    if (!block) return nullptr;
    GlobalLockGuard<GifAnimSettings> locked(block);
    GifAnimSettings* s = locked.get();
    s->formatCode = CONV_FORMAT_GIF_ANIM;
    LoadStringA(ConvModule(), IDS_GIF_DEFAULT_COMMENT, s->comment, sizeof s->comment);
    s->commentFlag = 1;
    s->loopFlag = 1;  // loopCount 0: endless
    s->frames[0].delay = 1;
    s->frames[0].disposal = GIF_DISPOSE_BACKGROUND;
    return block;
}

void InstallGifMenu(ConvHostProc host)
{
    RequestMenuChange(CONV_MENU_REMOVE, MENU_POSITION, MF_BYPOSITION, 0, 0, host);
    RequestMenuChange(CONV_MENU_REMOVE, MENU_POSITION, MF_BYPOSITION, 0, 0, host);
    RequestMenuChange(CONV_MENU_INSERT, MENU_POSITION, MF_BYPOSITION | MF_STRING, CONV_CMD_ANIMATION,
                      IDS_MENU_ANIMATION, host);
}

int GifProcessCommand(HWND owner, int commandId, HGLOBAL settings, int, ConvHostProc host)
{
    if (commandId != CONV_CMD_ANIMATION || !host) return 0;
    HGLOBAL made = RunGifAnimDialog(owner, settings, host);
    if (!made) return 0;
    if (!host(CONV_REQ_SET_SETTINGS, made, 0)) {
        GlobalFree(made);
        return 0;
    }
    return 1;
}

int NewGifAnimation(HWND, char* path, ConvHostProc host)
{
    HGLOBAL block = NewGifAnimSettings();
    if (!block) return CONV_ERR_MEMORY;
    if (!host || !host(CONV_REQ_SET_SETTINGS, block, 0)) {
        GlobalFree(block);
        return 0;
    }
    if (path) SetExtension(path, ".GIF");
    InstallGifMenu(host);
    return 1;
}

int NotifyGifFrameChange(HGLOBAL settings, int kind, int index, ConvHostProc host)
{
    if (SettingsBlockFormat(settings) != CONV_FORMAT_GIF_ANIM || GlobalSize(settings) < sizeof(GifAnimSettings) ||
        !host)
        return 0;
    int count = static_cast<int>(host(CONV_REQ_QUERY, nullptr, CONV_QUERY_FRAME_COUNT));
    if (count > GIF_MAX_FRAMES) count = GIF_MAX_FRAMES;
    // Inserted and copied frames exist now; a deleted one was at most one past the last.
    const int limit = kind == CONV_FRAME_DELETED ? count : count - 1;
    if (kind < CONV_FRAME_INSERTED || kind > CONV_FRAME_DELETED || index < 0 || index > limit ||
        index >= GIF_MAX_FRAMES)
        return 0;
    GlobalLockGuard<GifAnimSettings> locked(settings);
    GifAnimSettings* s = locked.get();
    if (!s) return 0;
    GifFrameRecord* f = s->frames;
    switch (kind) {
    case CONV_FRAME_INSERTED:
        if (count - 1 > index) memmove(f + index + 1, f + index, (count - 1 - index) * sizeof *f);
        break;
    case CONV_FRAME_COPIED: f[count - 1] = f[index]; break;
    default:
        if (index + 1 < GIF_MAX_FRAMES) memmove(f + index, f + index + 1, (GIF_MAX_FRAMES - 1 - index) * sizeof *f);
        break;
    }
    s->frameCount = static_cast<int16_t>(count);
    return 1;
}
