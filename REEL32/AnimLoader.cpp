// The loader: fills an animation context from an animation file or archive,
// turns each frame-sequence file into frame bitmaps with their transparency
// masks, and draws a background picture into the off-screen picture. Nothing
// in a file is trusted: every count, name, index and size is checked before it
// is used, and a bad file fails the load.
#include "AnimationContext.h"
#include "AnimSource.h"
#include "AnxArchive.h"
#include "BmxFile.h"
#include "ResultCodes.h"
#include <cstring>
#include <memory>
#include <vector>

// ---- sources ----

bool ResolveStoredName(const char* stored, char* resolved)
{
    resolved[0] = '\0';
    // A name the check refuses (a device, the device namespace, forbidden
    // characters) is a file that is not there.
    if (!IsSafeStoredName(stored)) return false;
    const char* bare = BareName(stored);
    if (bare != stored && IsSafeBareName(bare) && IsReadableFile(bare)) {
        lstrcpynA(resolved, bare, MAX_PATH);
        return true;
    }
    if (!IsReadableFile(stored)) return false;
    lstrcpynA(resolved, stored, MAX_PATH);
    return true;
}

bool AnimSourceReader::Open(const void* source, bool fromMemory)
{
    file_.Close();
    if (!source) return false;
    if (fromMemory) {
        const auto* memory = static_cast<const AnimMemorySource*>(source);
        if (!memory->bytes) return false;
        bytes_ = ByteSource(memory->bytes, memory->size);
        return true;
    }
    char path[MAX_PATH];
    if (!ResolveStoredName(static_cast<const char*>(source), path)) return false;
    file_.Reset(OpenForReading(path));
    if (!file_.IsOpen()) return false;
    bytes_ = ByteSource(file_.Get());
    return true;
}

// ---- freeing ----

void FreeStepLists(AnimationContext* c)
{
    for (StepListEntry& list : c->stepLists) {
        if (list.slots) GlobalFree(list.slots);
        list = {};
    }
}

void FreeSequenceBitmaps(AnimationContext* c, int index)
{
    SequenceRuntime& r = c->sequenceRuntime[index];
    ReleaseEngineSelections(c);
    for (int i = 0; i < ANIM_FRAME_SLOTS; ++i) {
        if (r.frames[i]) DeleteObject(r.frames[i]);
        if (r.masks[i]) DeleteObject(r.masks[i]);
    }
    memset(&r, 0, sizeof r);
}

namespace {

// Makes `folder` stop being the current folder so that it can be removed.
void LeaveFolder(const char* folder)
{
    char current[MAX_PATH];
    const DWORD n = GetCurrentDirectoryA(MAX_PATH, current);
    if (n == 0 || n >= MAX_PATH) return;
    AnxArchive::AppendSlash(current);
    if (lstrcmpiA(current, folder) != 0) return;
    char temp[MAX_PATH];
    if (GetTempPathA(MAX_PATH, temp)) SetCurrentDirectoryA(temp);
}

void RemoveUnpackedAnimation(const char* animationPath)
{
    char folder[MAX_PATH], bare[MAX_PATH];
    AnxArchive::SplitPath(animationPath, folder, bare);
    LeaveFolder(folder);
    AnxArchive archive(nullptr);
    archive.RemoveUnpacked(animationPath);
}

}  // namespace

void RemoveUnpackedFiles(AnimationContext* c)
{
    if (!c->unpackedAnimation[0]) return;
    RemoveUnpackedAnimation(c->unpackedAnimation);
    c->unpackedAnimation[0] = '\0';
}

// ---- the animation file ----

namespace {

// Unpacks an archive into a fresh folder of its own and finds its animation.
// The files of an earlier archive stay until this one has been unpacked: a
// following animation inside the same archive still needs them.
bool UnpackArchive(AnimationContext* c, const char* archivePath, char* animationPath)
{
    AnxArchive archive(archivePath);
    if (!archive.Unpack(nullptr) || !archive.FindAnimation(animationPath, MAX_PATH)) {
        char info[MAX_PATH];
        if (archive.workDir[0] && JoinPath(info, archive.workDir, ANX_INFO_NAME)) RemoveUnpackedAnimation(info);
        return false;
    }
    RemoveUnpackedFiles(c);
    lstrcpynA(c->unpackedAnimation, animationPath, MAX_PATH);
    SetCurrentDirectoryA(archive.workDir);
    return true;
}

bool ValidHeader(const AnsFileHeader& h)
{
    return h.magic == ANS_MAGIC && h.formatVersion >= ANS_MIN_PLAYER_VERSION &&
           h.formatVersion <= ANS_MAX_EDITOR_VERSION && h.sequenceCount <= MAX_SEQUENCES &&
           h.objectCount <= MAX_PLAYER_OBJECTS && h.regionCount <= MAX_REGIONS && h.soundCount <= MAX_SOUNDS;
}

bool ReadSteps(ByteSource& in, AnimationContext* c, int object)
{
    const ObjectRecordDisk& o = c->objects[object];
    if (o.stepCount <= 0) return true;
    std::unique_ptr<ObjectStepDisk[]> steps(new (std::nothrow) ObjectStepDisk[o.stepCount]);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, o.stepCount * sizeof(StepSlot));
    if (!steps || !block) {
        if (block) GlobalFree(block);
        return false;
    }
    c->stepLists[object].slots = block;
    if (!in.Read(steps.get(), o.stepCount * sizeof(ObjectStepDisk))) return false;
    GlobalLockGuard<StepSlot> slots(block);
    if (!slots) return false;
    for (int i = 0; i < o.stepCount; ++i) {
        slots.get()[i].step = steps[i];
        // Files before 0x250 carry no meaningful high start mask.
        if (c->header.formatVersion < ANS_FIRST_HIGH_MASK_VERSION) slots.get()[i].step.startMaskHigh = 0;
    }
    return true;
}

bool ReadTables(ByteSource& in, AnimationContext* c)
{
    const AnsFileHeader& h = c->header;
    const AnimationSettingsDisk& s = c->settings;
    if (!in.Read(&c->settings, sizeof c->settings) || !HasTerminator(s.title, sizeof s.title) ||
        !HasTerminator(s.backgroundImage, sizeof s.backgroundImage) ||
        !HasTerminator(s.nextAnimation, sizeof s.nextAnimation))
        return false;
    if (!in.Read(c->sequences, h.sequenceCount * sizeof(SequenceRecord))) return false;
    for (int i = 0; i < h.sequenceCount; ++i)
        if (!HasTerminator(c->sequences[i].fileName, STORED_NAME_CHARS)) return false;
    if (!in.Read(c->regions, h.regionCount * sizeof(ForegroundRegionDisk))) return false;
    if (!in.Read(c->sounds, h.soundCount * sizeof(SoundRecord))) return false;
    for (int i = 0; i < h.soundCount; ++i)
        if (!HasTerminator(c->sounds[i].name, STORED_NAME_CHARS)) return false;
    for (int i = 0; i < h.objectCount; ++i) {
        const ObjectRecordDisk& o = c->objects[i];
        if (!in.Read(&c->objects[i], sizeof o) || !HasTerminator(o.name, sizeof o.name) ||
            o.sequenceIndex >= h.sequenceCount || o.stepCount < 0 || o.stepCount > MAX_STEPS)
            return false;
        if (!ReadSteps(in, c, i)) return false;
    }
    return true;
}

// Empties every table a read fills, freeing what they hold.
void ClearTables(AnimationContext* c)
{
    FreeStepLists(c);
    for (int i = 0; i < MAX_SEQUENCES; ++i) FreeSequenceBitmaps(c, i);
    DeleteObjectSaveBitmaps(c);
    memset(&c->header, 0, sizeof c->header);
    memset(&c->settings, 0, sizeof c->settings);
    memset(c->sequences, 0, sizeof c->sequences);
    memset(c->regions, 0, sizeof c->regions);
    memset(c->objects, 0, sizeof c->objects);
    memset(c->objectRuntime, 0, sizeof c->objectRuntime);
    memset(c->sounds, 0, sizeof c->sounds);
}

}  // namespace

int ReadAnimationIntoContext(AnimationContext* c, const void* source, bool fromMemory)
{
    // The name may lie in the context itself (a following animation's name):
    // take it before the tables are cleared.
    char name[MAX_PATH] = "";
    if (!fromMemory && source) lstrcpynA(name, static_cast<const char*>(source), MAX_PATH);
    ClearTables(c);
    AnimSourceReader reader;
    if (fromMemory) {
        if (!reader.Open(source, true)) return 0;
    } else {
        if (!source) return 0;
        char resolved[MAX_PATH];
        if (ResolveStoredName(name, resolved) && AnxArchive::IsArchive(resolved)) {
            if (!UnpackArchive(c, resolved, name)) return 0;
        }
        if (!reader.Open(name, false)) return 0;
    }
    ByteSource& in = reader.Bytes();
    AnsFileHeader header;
    if (!in.Read(&header, sizeof header) || !ValidHeader(header)) return 0;
    c->header = header;
    if (!ReadTables(in, c)) {
        // A half-read animation must look empty to everything that follows.
        ClearTables(c);
        return 0;
    }
    c->ended = 0;
    c->firstStepDone = 0;
    return 1;
}

// ---- frame sequences ----

namespace {

struct BitmapInfo256 {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

void FillFrameInfo(const BmxFormat& f, BitmapInfo256* info)
{
    memset(info, 0, sizeof *info);
    info->header.biSize = sizeof(BITMAPINFOHEADER);
    info->header.biWidth = f.width;
    info->header.biHeight = f.height;
    info->header.biPlanes = 1;
    info->header.biBitCount = static_cast<WORD>(f.bitsPerPixel);
    info->header.biCompression = BI_RGB;
    info->header.biSizeImage = DibStride(f.width, f.bitsPerPixel) * f.height;
    info->header.biClrUsed = f.colorTableEntries;
    memcpy(info->colors, f.colors, f.colorTableEntries * sizeof(RGBQUAD));
}

// Which pixels of a frame are its transparent colour, compared in the frame's
// own format: colour-table colours to six bits per component (as a palette
// holds them), 16-bit pixels to five, deeper pixels exactly.
class TransparentPixels {
public:
    TransparentPixels(const BmxFormat& f, COLORREF t) : format_(f), t_(t)
    {
        if (f.bitsPerPixel > 8) return;
        const int n = 1 << f.bitsPerPixel;
        for (int i = 0; i < n; ++i) {
            const RGBQUAD q = i < f.colorTableEntries ? f.colors[i] : RGBQUAD{0, 0, 0, 0};
            byIndex_[i] = (q.rgbRed & 0xFC) == (GetRValue(t) & 0xFC) && (q.rgbGreen & 0xFC) == (GetGValue(t) & 0xFC) &&
                          (q.rgbBlue & 0xFC) == (GetBValue(t) & 0xFC);
        }
    }
    // Sets the mask bit of every pixel of the row that is (or, inverted, is
    // not) the transparent colour.
    void MarkRow(const BYTE* row, bool inverted, BYTE* mask) const
    {
        const int width = format_.width;
        auto mark = [&](auto isTransparent) {
            for (int x = 0; x < width; ++x)
                if (isTransparent(x) != inverted) mask[x >> 3] |= static_cast<BYTE>(0x80 >> (x & 7));
        };
        const unsigned r = GetRValue(t_), g = GetGValue(t_), b = GetBValue(t_);
        switch (format_.bitsPerPixel) {
        case 1: mark([&](int x) { return byIndex_[(row[x >> 3] >> (7 - (x & 7))) & 1]; }); break;
        case 4: mark([&](int x) { return byIndex_[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15]; }); break;
        case 8: mark([&](int x) { return byIndex_[row[x]]; }); break;
        case 16: {
            const unsigned t = ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
            mark([&](int x) { return ((row[2 * x] | (row[2 * x + 1] << 8)) & 0x7FFF) == t; });
            break;
        }
        default: {
            const int step = format_.bitsPerPixel / 8;
            mark([&](int x) { const BYTE* p = row + x * step; return p[0] == b && p[1] == g && p[2] == r; });
        }
        }
    }
private:
    const BmxFormat& format_;
    COLORREF t_;
    bool byIndex_[256] = {};
};

// Loads one sequence slot from the frames the frame-sequence reader hands over.
class SequenceLoader {
public:
    SequenceLoader(AnimationContext* c, int index) : c_(c), index_(index) {}

    bool Begin(const BmxFileHeader& header, const BmxFormat& fileFormat)
    {
        format_ = fileFormat;
        const BmxFormat& format = format_;
        FreeSequenceBitmaps(c_, index_);
        SequenceRecord& record = c_->sequences[index_];
        SequenceRuntime& slot = c_->sequenceRuntime[index_];
        record.transparentColorCode = header.transparentColorCode;  // the frame-sequence file's code wins
        record.frameCount = 0;
        code_ = header.transparentColorCode;
        slot.width = static_cast<int16_t>(format.width);
        slot.height = static_cast<int16_t>(format.height);
        if (!c_->palette) {
            if (format.bitsPerPixel > 8) BuildAnimPalette(c_, nullptr, 256);
            else if (format.bitsPerPixel >= 5) BuildAnimPalette(c_, format.colors, format.colorTableEntries);
        }
        FillFrameInfo(format, &info_);
        maskStride_ = MaskStride(format.width);
        if (TransparencyOf(code_) == TRANSPARENCY_RUNTIME_MASK) {
            slot.masks[0] = CreateMaskBitmap(format.width, format.height, nullptr);
            if (!slot.masks[0]) return false;
        }
        if (TransparencyOf(code_) == TRANSPARENCY_FRAME_MASKS) {
            pixels_ = std::make_unique<TransparentPixels>(format, TransparentColor(record));
            maskRows_.assign(maskStride_ * format.height, 0);
        }
        return true;
    }

    bool Frame(int index, const BmxFrameEntry& entry, const BYTE* rows)
    {
        SequenceRuntime& slot = c_->sequenceRuntime[index_];
        const BmxFormat& f = format_;
        HBITMAP frame = CreateAnimBitmap(c_, g_animEngine.frameDC, f.width, f.height, f.bitsPerPixel);
        if (!frame) return false;
        slot.frames[index] = frame;
        slot.offsetX[index] = entry.offsetX;
        slot.offsetY[index] = entry.offsetY;
        HDC dc = g_animEngine.frameDC;
        {
            DcSelection selected(dc, frame);
            PaletteSelection palette(dc, GetAnimPalette(c_), false);
            if (f.bitsPerPixel == 8 && f.colorTableEntries > 8) {
                // Only the free middle of the table: the static colours at both
                // ends stay as they are.
                const int last = f.colorTableEntries - 1 < 247 ? f.colorTableEntries - 1 : 247;
                SetDIBColorTable(dc, 8, last - 7, &f.colors[8]);
            }
            StretchDIBits(dc, 0, 0, f.width, f.height, 0, 0, f.width, f.height, rows,
                          reinterpret_cast<const BITMAPINFO*>(&info_), DIB_RGB_COLORS, SRCCOPY);
        }
        if (pixels_ && !MakeFrameMask(index, rows)) return false;
        c_->sequences[index_].frameCount = static_cast<uint8_t>(index + 1);
        return true;
    }

private:
    // The transparent colour of a per-frame mask: the static colour of the
    // code, or for 1..7 outside the 16-colour format that palette entry.
    COLORREF TransparentColor(const SequenceRecord& record) const
    {
        const int k = code_ & 15;
        PALETTEENTRY e = kStaticColors[k];
        if (record.colorCount != 16 && k >= 1 && k <= 7) {
            PALETTEENTRY fromPalette;
            if (GetPaletteEntries(GetAnimPalette(c_), k, 1, &fromPalette) == 1) e = fromPalette;
        }
        return RGB(e.peRed, e.peGreen, e.peBlue);
    }

    bool MakeFrameMask(int index, const BYTE* rows)
    {
        const BmxFormat& f = format_;
        const uint32_t stride = DibStride(f.width, f.bitsPerPixel);
        const bool inverted = WhiteIsTransparent(code_);
        std::fill(maskRows_.begin(), maskRows_.end(), 0);
        // The frame's rows run bottom-up, a monochrome bitmap's top-down.
        for (int y = 0; y < f.height; ++y)
            pixels_->MarkRow(rows + y * stride, inverted, maskRows_.data() + (f.height - 1 - y) * maskStride_);
        HBITMAP mask = CreateMaskBitmap(f.width, f.height, maskRows_.data());
        if (!mask) return false;
        c_->sequenceRuntime[index_].masks[index] = mask;
        const int k = code_ & 15;
        if (k >= 1 && k <= 14) {
            // Transparent pixels become black, so that the frame can be ORed
            // over the background that its mask has cleared.
            DcSelection frame(g_animEngine.frameDC, c_->sequenceRuntime[index_].frames[index]);
            DcSelection selected(g_animEngine.sharedDC, mask);
            SetTextColor(g_animEngine.frameDC, RGB(0, 0, 0));
            SetBkColor(g_animEngine.frameDC, RGB(255, 255, 255));
            constexpr DWORD DEST_AND_NOT_SOURCE = 0x00220326;
            BitBlt(g_animEngine.frameDC, 0, 0, f.width, f.height, g_animEngine.sharedDC, 0, 0, DEST_AND_NOT_SOURCE);
        }
        return true;
    }

    AnimationContext* c_;
    BmxFormat format_{};
    int index_;
    uint8_t code_ = 0x80;
    BitmapInfo256 info_{};
    uint32_t maskStride_ = 0;
    std::unique_ptr<TransparentPixels> pixels_;
    std::vector<BYTE> maskRows_;
};

bool BeginSequenceSlot(void* context, const BmxFileHeader& header, const BmxFormat& format)
{
    return static_cast<SequenceLoader*>(context)->Begin(header, format);
}

bool AddSequenceFrame(void* context, int index, const BmxFrameEntry& entry, const BYTE* rows)
{
    return static_cast<SequenceLoader*>(context)->Frame(index, entry, rows);
}

// The transparency of a sequence can only be drawn into an off-screen picture:
// the frame-sequence file may ask for it where the animation file did not.
void EnsureOffscreenFor(AnimationContext* c, int index)
{
    if (TransparencyOf(c->sequences[index].transparentColorCode) != TRANSPARENCY_NONE) EnsureOffscreenPicture(c);
}

}  // namespace

int LoadAnimSequence(HANIM handle, int index, const void* source, BOOL fromMemory)
{
    if (index < 0 || index >= MAX_SEQUENCES) return 0;
    ContextLock c(handle);
    if (!c) return 0;
    EnsureAnimEngine();
    AnimSourceReader reader;
    if (!reader.Open(source, fromMemory != FALSE)) return 0;
    BmxFileHeader header;
    if (!reader.Bytes().Read(&header, sizeof header) || header.magic != BMX_MAGIC) return 0;
    SequenceLoader loader(c.get(), index);
    BmxFrameSink sink{&loader, BeginSequenceSlot, AddSequenceFrame};
    if (ReadBmxBody(reader.Bytes(), header, sink) != RESULT_OK) return 0;
    c->sequenceRuntime[index].loaded = 1;
    EnsureOffscreenFor(c.get(), index);
    return 1;
}

// ---- background picture ----

int LoadAnimBackground(HANIM handle, const void* source, int x, int y, int centre, BOOL fromMemory)
{
    ContextLock c(handle);
    if (!c) return 0;
    EnsureAnimEngine();
    if (!EnsureOffscreenPicture(c.get())) return 0;
    if (x == ANIM_USE_SETTINGS) x = c->settings.imageX;
    if (y == ANIM_USE_SETTINGS) y = c->settings.imageY;
    if (centre == ANIM_USE_SETTINGS) centre = c->settings.playFlags & PLAY_CENTER_IMAGE;

    AnimSourceReader reader;
    if (!reader.Open(source, fromMemory != FALSE)) return 0;
    uint32_t bitsOffset = 0;
    HGLOBAL block = nullptr;
    if (ReadSingleDib(reader.Bytes(), &bitsOffset, &block) != RESULT_OK) return 0;
    GlobalBlock owned(block);
    GlobalLockGuard<BYTE> dib(block);
    if (!dib) return 0;
    const BITMAPINFOHEADER& info = *DibHeader(dib.get());
    HPALETTE palette;
    if (info.biBitCount > 8) {
        if (!c->palette) BuildAnimPalette(c.get(), nullptr, 256);
        palette = GetAnimPalette(c.get());
    } else if (info.biBitCount < 5) {
        palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    } else {
        if (!c->palette) BuildAnimPalette(c.get(), DibColors(dib.get()), DibColorEntries(info));
        palette = GetAnimPalette(c.get());
    }
    BITMAP picture;
    if (!GetObject(c->offscreen, sizeof picture, &picture)) return 0;
    if (centre) {
        x = (picture.bmWidth - info.biWidth) / 2;
        y = (picture.bmHeight - info.biHeight) / 2;
    }
    HDC dc = g_animEngine.pictureDC;
    DcSelection selected(dc, c->offscreen);
    PaletteSelection selectedPalette(dc, palette, true);
    StretchDIBits(dc, x, y, info.biWidth, info.biHeight, 0, 0, info.biWidth, info.biHeight, dib.get() + bitsOffset,
                  reinterpret_cast<const BITMAPINFO*>(dib.get()), DIB_RGB_COLORS, SRCCOPY);
    return 1;
}
