// Animated cursors: the RIFF "ACON" reader that hands each frame and its
// hotspot to the editor, the writer of the editor's frames with the
// document's cycle, a new cursor document, its menu commands, the step list
// that follows frame edits, and the preview of the first frame.
#include "AniCursor.h"
#include "ConvLibrary.h"
#include "ConvResource.h"
#include "FileIo.h"
#include "IconCursor.h"
#include "PackedDib.h"
#include <cstring>

namespace {

constexpr UINT ADD_FLAGS = CONV_ADD_USE_COLOR_OPTION | CONV_ADD_ASK_STRETCH;  // 0x11
constexpr UINT MENU_POSITION = 5;  // the editor's Object menu, then its Animation menu
constexpr UINT EDITOR_CHANGE_FORMAT_COMMAND = 405;
constexpr int STEP_BYTES = ANI_MAX_STEPS * 4;

uint32_t FourCc(const char (&id)[5]) { return uint32_t(BYTE(id[0])) | uint32_t(BYTE(id[1])) << 8 | uint32_t(BYTE(id[2])) << 16 | uint32_t(BYTE(id[3])) << 24; }

const uint32_t ID_RIFF = FourCc("RIFF"), ID_ACON = FourCc("ACON"), ID_ANIH = FourCc("anih"),
               ID_RATE = FourCc("rate"), ID_SEQ = FourCc("seq "), ID_LIST = FourCc("LIST"),
               ID_INFO = FourCc("INFO"), ID_FRAM = FourCc("fram"), ID_ICON = FourCc("icon"),
               ID_INAM = FourCc("INAM"), ID_IART = FourCc("IART");

uint32_t Padded(uint32_t size) { return size + (size & 1); }

// Reads a RIFF file through an HFILE, never past its length.
class RiffReader {
public:
    explicit RiffReader(HFILE file) : file_(file), length_(FileLength(file)) {}
    uint32_t Length() const { return length_ < 0 ? 0 : static_cast<uint32_t>(length_); }
    uint32_t Position() const { return position_; }
    bool Read(void* buffer, uint32_t count)
    {
        if (count > Length() - position_ || !ReadExact(file_, buffer, count)) return false;
        position_ += count;
        return true;
    }
    bool Seek(uint32_t to)
    {
        if (to > Length() || _llseek(file_, static_cast<LONG>(to), FILE_BEGIN) != static_cast<LONG>(to)) return false;
        position_ = to;
        return true;
    }
    // The next chunk's id and size, with its end (padded) inside `limit`.
    bool Chunk(uint32_t limit, uint32_t* id, uint32_t* size, uint32_t* end)
    {
        uint32_t header[2];
        if (!Read(header, sizeof header)) return false;
        *id = header[0];
        *size = header[1];
        if (*size > limit - position_) return false;
        *end = position_ + Padded(*size) > limit ? limit : position_ + Padded(*size);
        return true;
    }
private:
    HFILE file_;
    long length_;
    uint32_t position_ = 0;
};

// Reads at most `room` bytes of a chunk's data into `field`.
bool ReadPart(RiffReader& in, void* field, uint32_t size, uint32_t room)
{
    return in.Read(field, size < room ? size : room);
}

void ReadInfoList(RiffReader& in, uint32_t end, AniSettings* s)
{
    // A damaged list is ignored from where it breaks.
    while (end - in.Position() >= 8) {
        uint32_t id, size, chunkEnd;
        if (!in.Chunk(end, &id, &size, &chunkEnd)) return;
        char* field = id == ID_INAM ? s->title : id == ID_IART ? s->author : nullptr;
        if (field && !ReadPart(in, field, size, ANI_TEXT_BYTES)) return;
        if (field) field[ANI_TEXT_BYTES - 1] = '\0';
        if (!in.Seek(chunkEnd)) return;
    }
}

// One "icon" chunk of `size` bytes to the editor as a frame.
int ReadIconChunk(RiffReader& in, uint32_t size, int index, ConvHostProc host)
{
    GlobalBlock icon(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size ? size : 1));
    if (!icon) return CONV_ERR_MEMORY;
    GlobalBlock image;
    uint32_t hotspot = 0;
    {
        GlobalLockGuard<BYTE> p(icon.Get());
        if (!in.Read(p.get(), size)) return CONV_ERR_READ;
        HGLOBAL made = nullptr;
        const int result = ExtractIconImage(p.get(), size, &made, &hotspot);
        if (result == CONV_ERR_MEMORY) return result;
        if (result != CONV_OK) return CONV_ERR_COMPRESSION;
        image.Reset(made);
    }
    if (!host(CONV_REQ_ADD_FRAME_MASKED, image.Get(), ADD_FLAGS | (index & 0xFF) << 8)) return CONV_CANCELLED;
    const int count = static_cast<int>(host(CONV_REQ_QUERY, nullptr, CONV_QUERY_FRAME_COUNT));
    if (count > 0) host(CONV_REQ_SET_HOTSPOT, reinterpret_cast<void*>(static_cast<ULONG_PTR>(hotspot)), count - 1);
    return CONV_OK;
}

int ReadFrameList(RiffReader& in, uint32_t end, ConvHostProc host, int* added)
{
    int result = CONV_OK, index = 0;
    while (end - in.Position() >= 8) {
        uint32_t id, size, chunkEnd;
        if (!in.Chunk(end, &id, &size, &chunkEnd)) return CONV_ERR_READ;
        if (id == ID_ICON) {
            const int one = ReadIconChunk(in, size, index++, host);
            if (one == CONV_OK) ++*added;
            else result = one;  // remembered; the next icon is still read
        }
        if (!in.Seek(chunkEnd)) return CONV_ERR_READ;
    }
    return result;
}

void ReadHeaderChunk(RiffReader& in, uint32_t size, AniSettings* s, bool* ok)
{
    *ok = ReadPart(in, &s->cbSize, size, ANI_HEADER_BYTES);
    if (!*ok || s->frameCount == 0) return;
    // The block holds 256 steps; a file announcing more is cut there.
    if (s->stepCount > ANI_MAX_STEPS) s->stepCount = ANI_MAX_STEPS;
    for (uint32_t i = 0; i < s->stepCount; ++i) {
        s->rate[i] = s->defaultRate;
        s->seq[i] = i % s->frameCount;
    }
}

int ReadChunks(RiffReader& in, AniSettings* s, ConvHostProc host, int* added)
{
    const uint32_t end = in.Length();
    while (end - in.Position() >= 8) {
        uint32_t id, size, chunkEnd;
        if (!in.Chunk(end, &id, &size, &chunkEnd)) return CONV_ERR_READ;
        if (id == ID_ANIH) {
            bool ok = false;
            ReadHeaderChunk(in, size, s, &ok);
            if (!ok) return CONV_ERR_READ;
            if (s->frameCount == 0) return CONV_ERR_UNSUPPORTED;
        } else if (id == ID_RATE || id == ID_SEQ) {
            if (!ReadPart(in, id == ID_RATE ? s->rate : s->seq, size, STEP_BYTES)) return CONV_ERR_READ;
        } else if (id == ID_LIST && size >= 4) {
            uint32_t type = 0;
            if (!in.Read(&type, 4)) return CONV_ERR_READ;
            if (type == ID_INFO) ReadInfoList(in, chunkEnd, s);
            if (type == ID_FRAM) {
                const int result = ReadFrameList(in, chunkEnd, host, added);
                if (result != CONV_OK) return result;
            }
        }
        if (!in.Seek(chunkEnd)) return CONV_ERR_READ;
    }
    return CONV_OK;
}

// ---- writing ---------------------------------------------------------------------------

class ChunkWriter {
public:
    explicit ChunkWriter(HFILE file) : file_(file) {}
    HFILE File() const { return file_; }
    bool Bytes(const void* data, uint32_t size) { return ok_ = ok_ && WriteExact(file_, data, size); }
    bool Word(uint32_t value) { return Bytes(&value, 4); }
    bool Header(uint32_t id, uint32_t size) { return Word(id) && Word(size); }
    void Fail() { ok_ = false; }
    bool Ok() const { return ok_; }
    uint32_t Position() const { return static_cast<uint32_t>(_llseek(file_, 0, FILE_CURRENT)); }
    // Writes a size field at `at` and comes back to the end.
    bool PatchSize(uint32_t at, uint32_t size)
    {
        const LONG end = _llseek(file_, 0, FILE_END);
        return ok_ = ok_ && _llseek(file_, static_cast<LONG>(at), FILE_BEGIN) == static_cast<LONG>(at) &&
                     WriteExact(file_, &size, 4) && _llseek(file_, 0, FILE_END) == end;
    }
private:
    HFILE file_;
    bool ok_ = true;
};

uint32_t TextChunkBytes(const char* text) { return *text ? 8 + Padded(static_cast<uint32_t>(strlen(text)) + 1) : 0; }

void WriteTextChunk(ChunkWriter& out, uint32_t id, const char* text)
{
    if (!*text) return;
    const uint32_t size = static_cast<uint32_t>(strlen(text)) + 1;
    const BYTE pad = 0;
    out.Header(id, size);
    out.Bytes(text, size);
    if (size & 1) out.Bytes(&pad, 1);
}

void WriteInfoList(ChunkWriter& out, AniSettings* s)
{
    s->title[ANI_TEXT_BYTES - 1] = s->author[ANI_TEXT_BYTES - 1] = '\0';
    if (!s->title[0] && !s->author[0]) return;
    out.Header(ID_LIST, 4 + TextChunkBytes(s->title) + TextChunkBytes(s->author));
    out.Word(ID_INFO);
    WriteTextChunk(out, ID_INAM, s->title);
    WriteTextChunk(out, ID_IART, s->author);
}

HGLOBAL IconImageOf(ConvHostProc host, int frame, int wanted, uint32_t* size)
{
    *size = static_cast<uint32_t>(wanted);
    HGLOBAL image = reinterpret_cast<HGLOBAL>(host(CONV_REQ_GET_ICON_IMAGE, size, static_cast<ULONG_PTR>(frame)));
    if (image && (*size == 0 || *size > GlobalSize(image))) *size = static_cast<uint32_t>(GlobalSize(image));
    return image;
}

// The frames as "icon" chunks, each a one-image cursor file. The list's
// size is the announced one when every image has the size of the first;
// it is put right afterwards in any case.
int WriteFrameList(ChunkWriter& out, int frames, int wanted, ConvHostProc host)
{
    uint32_t size = 0;
    GlobalBlock image(IconImageOf(host, 0, wanted, &size));
    if (!image) return CONV_ERR_WRITE;
    const uint32_t listAt = out.Position();
    out.Header(ID_LIST, (size + 30) * frames + 4);
    out.Word(ID_FRAM);
    for (int i = 0; i < frames; ++i) {
        StepConvProgress((i + 1) * 100 / frames);
        uint32_t hotspot = 0;
        host(CONV_REQ_GET_HOTSPOT, &hotspot, static_cast<ULONG_PTR>(i));
        {
            GlobalLockGuard<BYTE> p(image.Get());
            if (!p || !out.Header(ID_ICON, size + ONE_IMAGE_OFFSET) ||
                !WriteOneImageIcon(out.File(), p.get(), size, ICON_TYPE_CURSOR, hotspot))
                return CONV_ERR_WRITE;
        }
        if (i + 1 < frames) {
            image.Reset(IconImageOf(host, i + 1, wanted, &size));
            if (!image) return CONV_ERR_WRITE;
        }
    }
    const uint32_t end = out.Position();
    return out.PatchSize(listAt + 4, end - listAt - 8) ? CONV_OK : CONV_ERR_WRITE;
}

int WriteAniBody(ChunkWriter& out, AniSettings* s, int frames, int wanted, ConvHostProc host)
{
    out.Header(ID_RIFF, 0);
    out.Word(ID_ACON);
    out.Header(ID_ANIH, ANI_HEADER_BYTES);
    out.Bytes(&s->cbSize, ANI_HEADER_BYTES);
    out.Header(ID_RATE, s->stepCount * 4);
    out.Bytes(s->rate, s->stepCount * 4);
    out.Header(ID_SEQ, s->stepCount * 4);
    out.Bytes(s->seq, s->stepCount * 4);
    WriteInfoList(out, s);
    if (!out.Ok()) return CONV_ERR_WRITE;
    const int result = WriteFrameList(out, frames, wanted, host);
    if (result != CONV_OK) return result;
    return out.PatchSize(4, out.Position() - 8) ? CONV_OK : CONV_ERR_WRITE;
}

int QueryInt(ConvHostProc host, UINT query) { return static_cast<int>(host(CONV_REQ_QUERY, nullptr, query)); }

void SetExtension(char* path, const char* extension)
{
    char* dot = strrchr(path, '.');
    const char* slash = strrchr(path, '\\');
    if (!dot || (slash && dot < slash)) dot = path + strlen(path);
    if (static_cast<size_t>(dot - path) + strlen(extension) < MAX_PATH) strcpy(dot, extension);
}

}  // namespace

// ---- the block ----------------------------------------------------------------------------

HGLOBAL NewAniSettings()
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(AniSettings));
    if (!block) return nullptr;
    GlobalLockGuard<AniSettings> s(block);
    s.get()->formatCode = CONV_FORMAT_ANI;
    s.get()->cbSize = ANI_HEADER_BYTES;
    return block;
}

bool IsAniSettingsBlock(HGLOBAL block)
{
    return SettingsBlockFormat(block) == CONV_FORMAT_ANI && GlobalSize(block) >= sizeof(AniSettings);
}

void InstallAniMenu(ConvHostProc host)
{
    RequestMenuChange(CONV_MENU_REMOVE, MENU_POSITION, MF_BYPOSITION, 0, 0, host);
    RequestMenuChange(CONV_MENU_REMOVE, MENU_POSITION, MF_BYPOSITION, 0, 0, host);
    RequestMenuChange(CONV_MENU_INSERT, MENU_POSITION, MF_BYPOSITION | MF_STRING, CONV_CMD_ANIMATION,
                      IDS_MENU_ANIMATION, host);
    RequestMenuChange(CONV_MENU_MODIFY, EDITOR_CHANGE_FORMAT_COMMAND, MF_BYCOMMAND | MF_STRING,
                      CONV_CMD_CHANGE_FORMAT, IDS_MENU_CHANGE_FORMAT, host);
}

int ApplyAniFrameChange(AniSettings* s, int frameCount, int kind, int index)
{
    s->frameCount = static_cast<uint32_t>(frameCount < 0 ? 0 : frameCount);
    const uint32_t steps = s->stepCount < ANI_MAX_STEPS ? s->stepCount : ANI_MAX_STEPS;
    if (kind == CONV_FRAME_INSERTED) {
        for (uint32_t i = 0; i < steps; ++i)
            if (index >= 0 && s->seq[i] >= static_cast<uint32_t>(index)) ++s->seq[i];
        return 1;
    }
    if (kind != CONV_FRAME_DELETED) return 0;
    const uint32_t last = frameCount > 0 ? static_cast<uint32_t>(frameCount - 1) : 0;
    for (uint32_t i = 0; i < steps; ++i) {
        if (index >= 0 && s->seq[i] > static_cast<uint32_t>(index)) --s->seq[i];
        if (s->seq[i] > last) s->seq[i] = last;
    }
    return 1;
}

// ---- reading --------------------------------------------------------------------------------

int ReadAniFile(const char* path, bool asDocument, ConvHostProc host)
{
    if (!host) return CONV_ERR_UNSUPPORTED;
    FileHandle file(OpenForReading(path));
    if (!file.IsOpen()) return CONV_ERR_NOT_FOUND;
    RiffReader in(file.Get());
    uint32_t start[3];
    if (!in.Read(start, sizeof start) || start[0] != ID_RIFF || start[2] != ID_ACON) return CONV_ERR_UNKNOWN_FORMAT;
    GlobalBlock block(NewAniSettings());
    if (!block) return CONV_ERR_MEMORY;
    int added = 0, result;
    {
        GlobalLockGuard<AniSettings> locked(block.Get());
        AniSettings* s = locked.get();
        result = ReadChunks(in, s, host, &added);
        if (result == CONV_OK && added == 0) result = CONV_ERR_UNSUPPORTED;  // nothing to show
        // Steps name frames that exist: the dialog indexes its tables with them.
        const uint32_t last = added > 0 ? static_cast<uint32_t>(added - 1) : 0;
        for (uint32_t i = 0; i < s->stepCount && i < ANI_MAX_STEPS; ++i)
            if (s->seq[i] > last) s->seq[i] = last;
    }
    if (result == CONV_OK && asDocument && host(CONV_REQ_SET_SETTINGS, block.Get(), 0)) {
        block.Release();
        InstallAniMenu(host);
    }
    return result;
}

int LoadAniFile(const ConvLoadCall& call) { return ReadAniFile(call.path, call.image == nullptr, call.host); }

int GetAniPreview(const char* path, ConvImage* image)
{
    FileHandle file(OpenForReading(path));
    if (!file.IsOpen()) return CONV_ERR_NOT_FOUND;
    RiffReader in(file.Get());
    uint32_t start[3];
    if (!in.Read(start, sizeof start) || start[0] != ID_RIFF || start[2] != ID_ACON) return CONV_ERR_UNKNOWN_FORMAT;
    const uint32_t end = in.Length();
    while (end - in.Position() >= 12) {
        uint32_t id, size, chunkEnd, type = 0;
        if (!in.Chunk(end, &id, &size, &chunkEnd)) return CONV_ERR_UNSUPPORTED;
        if (id == ID_LIST && size >= 4 && in.Read(&type, 4) && type == ID_FRAM) {
            while (chunkEnd - in.Position() >= 8) {
                uint32_t sub, subSize, subEnd;
                if (!in.Chunk(chunkEnd, &sub, &subSize, &subEnd)) return CONV_ERR_UNSUPPORTED;
                if (sub == ID_ICON) {
                    GlobalBlock icon(GlobalAlloc(GMEM_MOVEABLE, subSize ? subSize : 1));
                    if (!icon) return CONV_ERR_MEMORY;
                    GlobalLockGuard<BYTE> p(icon.Get());
                    if (!in.Read(p.get(), subSize)) return CONV_ERR_READ;
                    IconChoice choice{};
                    if (!ChooseIconImage(p.get(), subSize, &choice) || !IsIconDib(p.get() + choice.offset, choice.size))
                        return CONV_ERR_COMPRESSION;
                    return MakeIconPreview(p.get() + choice.offset, choice.size, image);
                }
                if (!in.Seek(subEnd)) return CONV_ERR_UNSUPPORTED;
            }
            return CONV_ERR_UNSUPPORTED;
        }
        if (!in.Seek(chunkEnd)) return CONV_ERR_UNSUPPORTED;
    }
    return CONV_ERR_UNSUPPORTED;
}

// ---- writing --------------------------------------------------------------------------------

int WriteAniFile(const char* path, HWND owner, int, HGLOBAL dib, ConvHostProc host)
{
    if (!host) return CONV_ERR_MEMORY;
    HGLOBAL settings = nullptr;
    host(CONV_REQ_GET_SETTINGS, &settings, 0);
    const int frames = QueryInt(host, CONV_QUERY_FRAME_COUNT);
    if (frames <= 0) return CONV_ERR_MEMORY;
    GlobalBlock temporary;
    if (!IsAniSettingsBlock(settings)) {
        temporary.Reset(NewAniSettings());
        if (!temporary) return CONV_ERR_MEMORY;
        settings = temporary.Get();
    }
    GlobalLockGuard<AniSettings> locked(settings);
    AniSettings* s = locked.get();
    if (!s) return CONV_ERR_MEMORY;
    s->frameCount = static_cast<uint32_t>(frames);
    if (s->stepCount > ANI_MAX_STEPS) s->stepCount = ANI_MAX_STEPS;
    if (s->stepCount == 0 && RunDefineCursorDialog(owner, s, host) != 1) return CONV_CANCELLED;
    if (dib) {
        GlobalLockGuard<BITMAPINFOHEADER> h(dib);
        if (h) {
            s->bitCount = h.get()->biBitCount;
            s->planes = h.get()->biPlanes;
        }
    }
    const int wanted = ChooseCursorSize(owner, host);
    if (wanted < 0) return CONV_CANCELLED;
    uint32_t frameSize = static_cast<uint32_t>(wanted);
    if (frameSize == 0) host(CONV_REQ_QUERY, &frameSize, CONV_QUERY_FRAME_SIZE);
    s->flags = ANI_FLAGS_WRITTEN;
    s->width = frameSize & 0xFFFF;
    s->height = frameSize >> 16;
    SafeFileWriter file(path);
    const HFILE handle = file.Create();
    if (handle == HFILE_ERROR) return CONV_ERR_CREATE;
    ChunkWriter out(handle);
    const int result = WriteAniBody(out, s, frames, wanted, host);
    if (result != CONV_OK) return result;
    return file.Commit() ? CONV_OK : CONV_ERR_WRITE;
}

int SaveAniFile(const ConvSaveCall& call)
{
    return WriteAniFile(call.path, call.owner, call.frameCount, call.dib, call.host);
}

// ---- the document -----------------------------------------------------------------------------

int NewAniFile(HWND owner, char* path, ConvHostProc host)
{
    GlobalBlock block(NewAniSettings());
    if (!block) return CONV_ERR_MEMORY;
    {
        GlobalLockGuard<AniSettings> s(block.Get());
        s.get()->frameCount = 1;
        LoadStringA(ConvModule(), IDS_ANI_DEFAULT_AUTHOR, s.get()->author, ANI_TEXT_BYTES);
    }
    if (!host || !host(CONV_REQ_SET_SETTINGS, block.Get(), 0)) return CONV_CANCELLED;
    block.Release();
    if (path) SetExtension(path, ".ANI");
    uint32_t frameSize = 0;
    host(CONV_REQ_QUERY, &frameSize, CONV_QUERY_FRAME_SIZE);
    const int colors = QueryInt(host, CONV_QUERY_COLOR_COUNT);
    const int chosen = ChooseCursorSize(owner, host);
    const uint32_t size = chosen > 0 ? static_cast<uint32_t>(chosen) : frameSize;
    if (size != frameSize || colors == 2) {
        ConvFormatChange change{size & 0xFFFF, size >> 16, static_cast<uint32_t>(colors < 3 ? 3 : colors), 0, 0};
        host(CONV_REQ_CHANGE_FORMAT, &change, 0);
    }
    InstallAniMenu(host);
    return CONV_OK;
}

int AniProcessCommand(HWND owner, int commandId, HGLOBAL settings, int, ConvHostProc host)
{
    if (!host) return 0;
    if (commandId == CONV_CMD_ANIMATION) {
        if (!IsAniSettingsBlock(settings)) return 0;
        GlobalLockGuard<AniSettings> s(settings);
        return s ? RunDefineCursorDialog(owner, s.get(), host) : 0;
    }
    if (commandId != CONV_CMD_CHANGE_FORMAT) return 0;
    uint32_t frameSize = 0;
    host(CONV_REQ_QUERY, &frameSize, CONV_QUERY_FRAME_SIZE);
    const int colors = QueryInt(host, CONV_QUERY_COLOR_COUNT);
    ConvFormatChange change{};
    if (!RunChangeCursorFormatDialog(owner, frameSize & 0xFFFF, frameSize >> 16, colors, &change)) return 0;
    return static_cast<int>(host(CONV_REQ_CHANGE_FORMAT, &change, 0));
}

int NotifyAniFrameChange(HGLOBAL settings, int kind, int index, ConvHostProc host)
{
    if (!host || !IsAniSettingsBlock(settings)) return 0;
    GlobalLockGuard<AniSettings> s(settings);
    if (!s) return 0;
    return ApplyAniFrameChange(s.get(), QueryInt(host, CONV_QUERY_FRAME_COUNT), kind, index);
}
