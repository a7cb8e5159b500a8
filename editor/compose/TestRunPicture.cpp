// The test run's pictures: the frames and masks of every sequence, the
// off-screen picture with the foreground regions cut out of its clipping,
// what lies under each object, the drawing by transparency code, the copy to
// the window, the sounds, the clock and the life of a run.
#include "TestRun.h"
#include "BmxFile.h"
#include "ComposeCommon.h"
#include "DialogUtilities.h"
#include "DibBlocks.h"
#include "FileIo.h"
#include "FrameBitmaps.h"
#include "GdiGuards.h"
#include "MainWindow.h"
#include "PackedDib.h"
#include "Palette.h"
#include "ResultCodes.h"
#include "SoundOutput.h"
#include <algorithm>
#include <cstring>

namespace {

// Raster operation: destination AND NOT source.
constexpr DWORD ROP_DSNA = 0x00220326;
constexpr COLORREF BLACK = RGB(0, 0, 0);
constexpr COLORREF WHITE = RGB(255, 255, 255);

ObjectRunState& Run(int object) { return g_document.objectRunStates[object]; }

bool IsCurrent(int sequence) { return sequence == CurrentSequenceIndex(); }

uint8_t CodeOf(int sequence)
{
    return sequence < g_document.sequenceCount ? g_document.sequenceTable[sequence].transparentColorCode : TRANSPARENT_NONE;
}

bool HasFrameMasks(uint8_t code) { return (code & 0xF0) == 0; }
bool BlackensFrames(uint8_t code) { return HasFrameMasks(code) && code >= 1 && code <= 14; }
bool HasTransparency(uint8_t code) { return !(code & 0x80); }

COLORREF TransparentColor(uint8_t code) { return GetStaticColor(code & 0x0F, 16); }

HBITMAP FrameOf(int sequence, int frame)
{
    if (sequence >= MAX_SEQUENCES || frame < 0 || frame >= MAX_FRAMES) return nullptr;
    return IsCurrent(sequence) ? g_appState.frameBitmaps[frame] : g_document.sequenceImages[sequence].frames[frame];
}

SIZE SizeOf(int sequence)
{
    if (sequence >= g_document.sequenceCount) return {0, 0};
    if (IsCurrent(sequence)) return {g_appState.frameWidth, g_appState.frameHeight};
    return {g_document.sequenceImages[sequence].width, g_document.sequenceImages[sequence].height};
}

// The run's own colour bitmaps are 32-bit DIB sections: selecting a device
// bitmap into a DC costs far more than the drawing of a frame. They are
// bottom-up, which is what their views (DibBlocks.h) read them as.
HBITMAP CreateRunBitmap(int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), std::max(width, 1), std::max(height, 1), 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

// Puts rows of a format into a new bitmap.
HBITMAP BitmapFromRows(const BITMAPINFO* info, const BYTE* rows, int width, int height)
{
    HBITMAP bitmap = CreateRunBitmap(width, height);
    if (!bitmap) return nullptr;
    SelectedObject into(g_testRun.maskDC, bitmap);
    SetDIBitsToDevice(g_testRun.maskDC, 0, 0, width, height, 0, 0, 0, height, rows, info, DIB_RGB_COLORS);
    return bitmap;
}

// Reads sequence `sequence`'s file into its image set. Result code.
int LoadRunSequence(int sequence)
{
    char path[MAX_PATH];
    lstrcpynA(path, g_document.sequenceTable[sequence].fileName, sizeof path);
    FileHandle file(OpenReferencedFile(path));
    if (!file.IsOpen()) return RESULT_NOT_FOUND;
    BmxFileHeader header{};
    if (_lread(file.Get(), &header, sizeof header) != sizeof header) return RESULT_READ_ERROR;
    SequenceImages& images = g_document.sequenceImages[sequence];
    if (header.magic == BMP_MAGIC) {
        file.Close();
        HGLOBAL block = nullptr;
        uint32_t bitsOffset = 0;
        const int result = ReadSingleDib(path, &bitsOffset, &block);
        if (result != RESULT_OK) return result;
        GlobalBlock owned(block);
        GlobalLockGuard<BYTE> data(block);
        if (!data) return RESULT_OUT_OF_MEMORY;
        const auto* info = reinterpret_cast<const BITMAPINFO*>(data.get());
        const int width = info->bmiHeader.biWidth, height = std::abs(info->bmiHeader.biHeight);
        images.frames[0] = BitmapFromRows(info, data.get() + bitsOffset, width, height);
        if (!images.frames[0]) return RESULT_OUT_OF_MEMORY;
        images.width = static_cast<int16_t>(width);
        images.height = static_cast<int16_t>(height);
        images.frameCount = 1;
        return RESULT_OK;
    }
    if (header.magic != BMX_MAGIC) return RESULT_UNKNOWN_FORMAT;
    struct Sink {
        int sequence;
        int bits;
        BmxFormat format;
        bool failed;
    } sink{sequence, 0, {}, false};
    BmxFrameSink frames{
        &sink,
        [](void* context, const BmxFileHeader&, const BmxFormat& format) {
            auto* s = static_cast<Sink*>(context);
            s->format = format;
            SequenceImages& set = g_document.sequenceImages[s->sequence];
            set.width = static_cast<int16_t>(format.width);
            set.height = static_cast<int16_t>(format.height);
            return true;
        },
        [](void* context, int index, const BmxFrameEntry& entry, const BYTE* rows) {
            auto* s = static_cast<Sink*>(context);
            if (index >= MAX_FRAMES) return true;
            SequenceImages& set = g_document.sequenceImages[s->sequence];
            struct {
                BITMAPINFOHEADER header;
                RGBQUAD colors[256];
            } info{};
            const BmxFormat& f = s->format;
            info.header = {sizeof info.header, f.width, f.height, 1, static_cast<WORD>(f.bitsPerPixel), BI_RGB, 0, 0, 0,
                           static_cast<DWORD>(f.colorTableEntries), 0};
            memcpy(info.colors, f.colors, sizeof(RGBQUAD) * std::min(f.colorTableEntries, 256));
            set.frames[index] = BitmapFromRows(reinterpret_cast<const BITMAPINFO*>(&info), rows, f.width, f.height);
            if (!set.frames[index]) {
                s->failed = true;
                return false;
            }
            set.offsetX[index] = entry.offsetX;
            set.offsetY[index] = entry.offsetY;
            set.frameCount = static_cast<uint16_t>(index + 1);
            return true;
        }};
    const int result = ReadBmxBody(file.Get(), header, frames);
    if (sink.failed) return RESULT_OUT_OF_MEMORY;
    if (result != RESULT_OK) return result == 0 ? RESULT_READ_ERROR : result;
    g_document.sequenceTable[sequence].frameCount = static_cast<uint8_t>(images.frameCount);
    return RESULT_OK;
}

// ---- masks ----

HBITMAP MakeFrameMask(HBITMAP frame, SIZE size, uint8_t code)
{
    HBITMAP mask = CreateMonoBitmap(size.cx, size.cy);
    if (!mask) return nullptr;
    SelectedObject source(g_testRun.frameDC, frame);
    SelectedObject target(g_testRun.maskDC, mask);
    // A colour source becomes monochrome by its background colour: the
    // transparent pixels white, the rest black (inverted for white).
    SetBkColor(g_testRun.frameDC, TransparentColor(code));
    BitBlt(g_testRun.maskDC, 0, 0, size.cx, size.cy, g_testRun.frameDC, 0, 0, (code & 0x0F) == 15 ? NOTSRCCOPY : SRCCOPY);
    return mask;
}

// The frame's transparent pixels blackened (mask white there).
void BlackenFrame(HBITMAP frame, HBITMAP mask, SIZE size)
{
    SelectedObject target(g_testRun.frameDC, frame);
    SelectedObject source(g_testRun.maskDC, mask);
    SetTextColor(g_testRun.frameDC, BLACK);
    SetBkColor(g_testRun.frameDC, WHITE);
    BitBlt(g_testRun.frameDC, 0, 0, size.cx, size.cy, g_testRun.maskDC, 0, 0, ROP_DSNA);
}

// The transparent colour painted back exactly where the mask is white; a
// pixel that is black in its own right stays black.
void RepaintTransparent(HBITMAP frame, HBITMAP mask, SIZE size, uint8_t code)
{
    SelectedObject target(g_testRun.frameDC, frame);
    SelectedObject source(g_testRun.maskDC, mask);
    SetTextColor(g_testRun.frameDC, BLACK);
    SetBkColor(g_testRun.frameDC, TransparentColor(code));
    BitBlt(g_testRun.frameDC, 0, 0, size.cx, size.cy, g_testRun.maskDC, 0, 0, SRCPAINT);
}

// Which sequences the objects of this document use.
bool SequenceUsed(int sequence)
{
    for (int i = 0; i < g_document.objectCount; ++i)
        if (g_document.objectTable[i].sequenceIndex == sequence) return true;
    return false;
}

bool AnySequenceTransparent()
{
    for (int s = 0; s < g_document.sequenceCount; ++s)
        if (SequenceUsed(s) && HasTransparency(CodeOf(s))) return true;
    return false;
}

// ---- drawing ----

// The bitmaps a drawing pass selects into the run's two work DCs stay there
// from one frame to the next (selecting costs more than drawing a small
// frame); the DCs get their own bitmaps back when the pass is done, since
// the editor's views select the editor's frames themselves.
class HeldSelections {
public:
    HeldSelections() = default;
    ~HeldSelections()
    {
        for (Slot* slot : {&frame_, &mask_})
            if (slot->original) SelectObject(slot->dc, slot->original);
    }
    HeldSelections(const HeldSelections&) = delete;
    HeldSelections& operator=(const HeldSelections&) = delete;

    void Select(HDC dc, HBITMAP bitmap)
    {
        Slot& slot = dc == frame_.dc ? frame_ : mask_;
        if (slot.current == bitmap) return;
        HGDIOBJ previous = SelectObject(dc, bitmap);
        if (!previous) return;
        if (!slot.original) slot.original = previous;
        slot.current = bitmap;
    }

private:
    struct Slot {
        HDC dc;
        HGDIOBJ original = nullptr;
        HBITMAP current = nullptr;
    };
    Slot frame_{g_testRun.frameDC}, mask_{g_testRun.maskDC};
};

// Draws frame `frame` of the sequence at (x, y) by its transparency code.
// The picture's text and background colours are black and white.
void DrawFrame(HDC dc, HeldSelections& held, int sequence, int frame, int x, int y)
{
    HBITMAP bitmap = FrameOf(sequence, frame);
    const SIZE size = SizeOf(sequence);
    if (!bitmap || size.cx <= 0) return;
    const uint8_t code = CodeOf(sequence);
    const bool white = (code & 0x0F) == 15;
    held.Select(g_testRun.frameDC, bitmap);
    auto blt = [&](HDC from, DWORD rop) { BitBlt(dc, x, y, size.cx, size.cy, from, 0, 0, rop); };
    if (code & 0x80) {
        blt(g_testRun.frameDC, SRCCOPY);
        return;
    }
    if (code & 0x20) {
        blt(g_testRun.frameDC, white ? SRCAND : SRCPAINT);
        return;
    }
    HBITMAP mask = nullptr;
    if (code & 0x10) {
        mask = g_testRun.scratchMasks[sequence];
        if (!mask) return;
        held.Select(g_testRun.maskDC, mask);
        SetBkColor(g_testRun.frameDC, white ? WHITE : BLACK);
        BitBlt(g_testRun.maskDC, 0, 0, size.cx, size.cy, g_testRun.frameDC, 0, 0, white ? NOTSRCCOPY : SRCCOPY);
    } else {
        mask = g_document.sequenceImages[sequence].masks[frame];
        if (!mask) return;
        held.Select(g_testRun.maskDC, mask);
    }
    if (white) {
        blt(g_testRun.maskDC, SRCPAINT);
        blt(g_testRun.frameDC, SRCAND);
    } else {
        blt(g_testRun.maskDC, SRCAND);
        blt(g_testRun.frameDC, SRCPAINT);
    }
}

// What lies under an object goes between the picture and its save bitmap as
// memory when both are DIB sections of one format (the run makes them so);
// `picture` is then the picture's view, else null and the copy goes through
// the mask DC. The picture's clipping does not matter: the foreground
// regions' pixels are never drawn over, so what is saved from them is what
// they hold when it is put back.
enum class UnderObject { Save, PutBack };

void CopyUnderObject(const DibView* picture, const ObjectRunState& o, UnderObject direction)
{
    DibView save;
    if (picture && ViewOfDib(o.saveBitmap, &save) && save.bytesPerPixel == picture->bytesPerPixel) {
        GdiFlush();  // what GDI drew must be in memory
        if (direction == UnderObject::Save) CopyDibBlock(*picture, o.drawnX, o.drawnY, save, 0, 0, o.frameWidth, o.frameHeight);
        else CopyDibBlock(save, 0, 0, *picture, o.drawnX, o.drawnY, o.frameWidth, o.frameHeight);
        return;
    }
    HDC pictureDC = g_testRun.picture.dc;
    SelectedObject saved(g_testRun.maskDC, o.saveBitmap);
    if (direction == UnderObject::Save)
        BitBlt(g_testRun.maskDC, 0, 0, o.frameWidth, o.frameHeight, pictureDC, o.drawnX, o.drawnY, SRCCOPY);
    else
        BitBlt(pictureDC, o.drawnX, o.drawnY, o.frameWidth, o.frameHeight, g_testRun.maskDC, 0, 0, SRCCOPY);
}

// The picture's pixels, or null when they are not a DIB section of 16 bits or more.
const DibView* PictureView(DibView* view) { return ViewOfDib(g_testRun.picture.bitmap, view) ? view : nullptr; }

bool StampsFixedFrame(int object)
{
    return Run(object).fixFrame && !(g_testRun.fixedFrameExclusion & (1u << object));
}

void SetDrawnPlace(int object)
{
    ObjectRunState& o = Run(object);
    const SequenceImages& images = g_document.sequenceImages[o.sequence < MAX_SEQUENCES ? o.sequence : 0];
    o.drawnX = o.x + images.offsetX[o.frame];
    o.drawnY = o.y + images.offsetY[o.frame];
}

RECT PlaceOf(int x, int y, const ObjectRunState& o) { return {x, y, x + o.frameWidth, y + o.frameHeight}; }

void DeleteSaveBitmaps()
{
    for (ObjectRunState& o : g_document.objectRunStates) {
        if (o.saveBitmap) DeleteObject(o.saveBitmap);
        o.saveBitmap = nullptr;
    }
}

bool MakeSaveBitmaps()
{
    DeleteSaveBitmaps();
    bool all = true;
    for (int i = 0; i < g_document.objectCount; ++i) {
        const SIZE size = SizeOf(g_document.objectTable[i].sequenceIndex);
        Run(i).saveBitmap = CreateRunBitmap(size.cx, size.cy);
        if (!Run(i).saveBitmap) all = false;
    }
    if (!all) DeleteSaveBitmaps();
    return all;
}

void FreeWorkDCs()
{
    for (HDC* dc : {&g_testRun.frameDC, &g_testRun.maskDC}) {
        if (*dc) DeleteDC(*dc);
        *dc = nullptr;
    }
}

void FreeScratchMasks()
{
    for (HBITMAP& mask : g_testRun.scratchMasks) {
        if (mask) DeleteObject(mask);
        mask = nullptr;
    }
}

void FreePictureAndBrush()
{
    FreeBackgroundDC(&g_testRun.picture);
    if (g_testRun.backgroundBrush) DeleteObject(g_testRun.backgroundBrush);
    g_testRun.backgroundBrush = nullptr;
}

// The picture of the background again, the regions cut out of its clipping,
// and the objects drawn where they are.
int RedrawPicture()
{
    FreePictureAndBrush();
    const int result = RunBackground(g_testRun.window);
    if (result != RESULT_OK) return result;
    if (g_testRun.picture.dc) ExcludeRegionsFromClip(g_testRun.picture.dc);
    DrawObjects();
    return RESULT_OK;
}

SIZE ClientSize(HWND window)
{
    if (!window) return GetAnimationWindowSize();
    RECT client{};
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

// The size of the background picture, or {0, 0} when it cannot be read.
SIZE BackgroundImageSize()
{
    char path[MAX_PATH];
    lstrcpynA(path, g_document.animationSettings.backgroundImage, sizeof path);
    FileHandle found(OpenReferencedFile(path));
    if (!found.IsOpen()) return {0, 0};
    found.Close();
    HGLOBAL block = nullptr;
    uint32_t bitsOffset = 0;
    if (ReadSingleDib(path, &bitsOffset, &block) != RESULT_OK) return {0, 0};
    GlobalBlock owned(block);
    GlobalLockGuard<BITMAPINFOHEADER> header(block);
    if (!header) return {0, 0};
    return {header.get()->biWidth, std::abs(header.get()->biHeight)};
}

// The window takes the picture's size: centred on the screen when the
// animation is, else kept at its place but moved back inside the screen.
void FitWindowToPicture(HWND window, SIZE image)
{
    const AnimationSettings& s = g_document.animationSettings;
    RECT frame{0, 0, image.cx, image.cy};
    AdjustWindowRectEx(&frame, s.windowStyle & ~WS_VISIBLE, FALSE, s.windowExStyle);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    RECT now{};
    GetWindowRect(window, &now);
    int x = now.left, y = now.top;
    if ((s.positionFlags & 3) == 0) {
        x = (screenW - width) / 2;
        y = (screenH - height) / 2;
    } else {
        x = std::max(0, std::min(x, screenW - width));
        y = std::max(0, std::min(y, screenH - height));
    }
    SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

// ---- masks and frames ---------------------------------------------------------------------

int BuildSequenceMasks()
{
    for (int s = 0; s < g_document.sequenceCount; ++s) {
        if (!SequenceUsed(s)) continue;
        SequenceImages& images = g_document.sequenceImages[s];
        if (IsCurrent(s)) {
            // The editor's frames may have changed since the last run: their
            // masks are made again.
            for (HBITMAP& mask : images.masks) {
                if (mask) DeleteObject(mask);
                mask = nullptr;
            }
            g_document.sequenceTable[s].frameCount = static_cast<uint8_t>(g_appState.frameCount);
            images.width = static_cast<int16_t>(g_appState.frameWidth);
            images.height = static_cast<int16_t>(g_appState.frameHeight);
        } else if (images.frameCount == 0) {
            const int result = LoadRunSequence(s);
            if (result != RESULT_OK) {
                FreeSequenceBitmaps(s);
                return result;
            }
        }
        const int frames = IsCurrent(s) ? g_appState.frameCount : images.frameCount;
        g_testRun.frameCounts[s] = frames;
        const uint8_t code = CodeOf(s);
        const SIZE size = SizeOf(s);
        if (code & 0x10 && !(code & 0xA0) && !g_testRun.scratchMasks[s])
            g_testRun.scratchMasks[s] = CreateMonoBitmap(std::max<LONG>(size.cx, 1), std::max<LONG>(size.cy, 1));
        if (!HasFrameMasks(code)) continue;
        for (int f = 0; f < frames; ++f) {
            HBITMAP frame = FrameOf(s, f);
            if (!frame) continue;
            if (!images.masks[f]) images.masks[f] = MakeFrameMask(frame, size, code);
            if (!images.masks[f]) return RESULT_OUT_OF_MEMORY;
            if (BlackensFrames(code)) BlackenFrame(frame, images.masks[f], size);
        }
    }
    g_document.animationImagesBuilt = true;
    return RESULT_OK;
}

void RestoreTransparentFrames()
{
    if (!g_testRun.frameDC || !g_testRun.maskDC) return;
    for (int s = 0; s < g_document.sequenceCount; ++s) {
        const uint8_t code = CodeOf(s);
        if (!BlackensFrames(code)) continue;
        const SequenceImages& images = g_document.sequenceImages[s];
        const int frames = IsCurrent(s) ? g_appState.frameCount : images.frameCount;
        for (int f = 0; f < frames && f < MAX_FRAMES; ++f) {
            HBITMAP frame = FrameOf(s, f);
            if (frame && images.masks[f]) RepaintTransparent(frame, images.masks[f], SizeOf(s), code);
        }
    }
}

void ExcludeRegionsFromClip(HDC dc)
{
    const bool centred = g_document.animationSettings.positionFlags & 0x08;
    const int shiftX = centred ? g_testRun.width / 2 : 0, shiftY = centred ? g_testRun.height / 2 : 0;
    for (int i = 0; i < g_document.regionCount && i < MAX_REGIONS; ++i) {
        const ForegroundRegion& r = g_document.regionTable[i];
        if (r.regionFlags & 0x8000) continue;
        ExcludeClipRect(dc, std::min(r.x1, r.x2) + shiftX, std::min(r.y1, r.y2) + shiftY,
                        std::max(r.x1, r.x2) + 1 + shiftX, std::max(r.y1, r.y2) + 1 + shiftY);
    }
}

int RunBackground(HWND window)
{
    const AnimationSettings& s = g_document.animationSettings;
    const bool image = s.backgroundColor & BACKGROUND_USE_IMAGE;
    if (image && window) {
        const SIZE picture = BackgroundImageSize();
        const SIZE client = ClientSize(window);
        if (picture.cx > 0 && picture.cy > 0 && (picture.cx != client.cx || picture.cy != client.cy))
            FitWindowToPicture(window, picture);
    }
    const SIZE size = ClientSize(window);
    g_testRun.width = size.cx;
    g_testRun.height = size.cy;
    g_testRun.backgroundBrush = CreateSolidBrush(0x02000000 | (s.backgroundColor & 0x00FFFFFF));
    if (!image && !AnySequenceTransparent()) return RESULT_OK;
    HDC screen = GetDC(nullptr);
    const int result = BuildBackgroundDC(&g_testRun.picture, screen, size);
    ReleaseDC(nullptr, screen);
    if (result == RESULT_OUT_OF_MEMORY) return result;
    // A picture that cannot be read leaves the colour alone; the run goes on.
    if (result != RESULT_OK) ShowErrorMessage(result);
    // The picture moves into a DIB section, where every tick draws.
    BackgroundPicture& p = g_testRun.picture;
    HBITMAP dib = CreateRunBitmap(size.cx, size.cy);
    if (!dib) {
        FreeBackgroundDC(&p);
        return RESULT_OUT_OF_MEMORY;
    }
    {
        SelectedObject into(g_testRun.maskDC, dib);
        BitBlt(g_testRun.maskDC, 0, 0, size.cx, size.cy, p.dc, 0, 0, SRCCOPY);
    }
    SelectObject(p.dc, dib);
    DeleteObject(p.bitmap);
    p.bitmap = dib;
    return RESULT_OK;
}

// ---- a tick ---------------------------------------------------------------------------------

void RestoreBackgrounds()
{
    HDC picture = g_testRun.picture.dc;
    if (!picture || !g_testRun.maskDC) return;
    DibView view;
    const DibView* pixels = PictureView(&view);
    for (int i = g_document.objectCount - 1; i >= 0; --i) {
        const ObjectRunState& o = Run(i);
        if (o.status != RUN_RUNNING || o.previousStatus != RUN_RUNNING || StampsFixedFrame(i) || !o.saveBitmap) continue;
        CopyUnderObject(pixels, o, UnderObject::PutBack);
    }
}

void TriggerSounds()
{
    for (int i = 0; i < g_document.objectCount; ++i) {
        ObjectRunState& o = Run(i);
        const int index = o.pendingSound;
        o.pendingSound = 0;
        if (!index || o.stayedOnStep || !g_testRun.soundOn) continue;
        if (index > g_document.soundCount) {
            const uint32_t kinds = StopKindsForSoundIndex(static_cast<uint8_t>(index));
            StopSoundOf(g_testRun.window, kinds, false);
            g_testRun.soundState &= ~kinds;
            continue;
        }
        SoundRecord& sound = g_document.soundTable[index - 1];
        const uint32_t kind =
            PlaySoundFile(g_testRun.window, sound.name, &sound.soundFlags, sound.repeatCount, !g_testRun.soundErrorShown);
        if (kind) g_testRun.soundState |= kind;
        else if (FindSoundFile(sound.name)) g_testRun.soundErrorShown = true;  // one error box a run
    }
}

void DrawObjects()
{
    HDC picture = g_testRun.picture.dc;
    HeldSelections held;
    if (picture) {
        // A monochrome source draws its 0 bits in the text colour, its 1 bits in the background colour.
        SetTextColor(picture, BLACK);
        SetBkColor(picture, WHITE);
    }
    for (int i = 0; i < g_document.objectCount; ++i) {
        if (Run(i).status != RUN_RUNNING) continue;
        SetDrawnPlace(i);
        if (picture && StampsFixedFrame(i)) DrawFrame(picture, held, Run(i).sequence, Run(i).frame, Run(i).drawnX, Run(i).drawnY);
    }
    if (!picture) return;
    DibView view;
    const DibView* pixels = PictureView(&view);
    for (int i = 0; i < g_document.objectCount; ++i) {
        const ObjectRunState& o = Run(i);
        if (o.status != RUN_RUNNING || o.previousStatus != RUN_RUNNING) continue;
        if (o.saveBitmap) CopyUnderObject(pixels, o, UnderObject::Save);
        DrawFrame(picture, held, o.sequence, o.frame, o.drawnX, o.drawnY);
    }
}

void CopyChangedAreas(HDC windowDC)
{
    HDC picture = g_testRun.picture.dc;
    int saved = 0;
    if (windowDC && !picture) {
        saved = SaveDC(windowDC);
        ExcludeRegionsFromClip(windowDC);
    }
    for (int i = 0; i < g_document.objectCount; ++i) {
        ObjectRunState& o = Run(i);
        if (o.status != RUN_RUNNING && o.status != RUN_FINISHED) continue;
        if (windowDC && picture) {
            const int x = std::min(o.previousX, o.drawnX), y = std::min(o.previousY, o.drawnY);
            const int w = std::abs(o.drawnX - o.previousX) + o.frameWidth;
            const int h = std::abs(o.drawnY - o.previousY) + o.frameHeight;
            BitBlt(windowDC, x, y, w, h, picture, x, y, SRCCOPY);
        } else if (windowDC) {
            // Without an off-screen picture: the uncovered strips get the
            // background brush, the frame is copied as it is.
            const RECT before = PlaceOf(o.previousX, o.previousY, o);
            const bool shown = o.status == RUN_RUNNING && o.previousStatus == RUN_RUNNING;
            HRGN uncovered = CreateRectRgnIndirect(&before);
            if (shown) {
                const RECT now = PlaceOf(o.drawnX, o.drawnY, o);
                HRGN covered = CreateRectRgnIndirect(&now);
                CombineRgn(uncovered, uncovered, covered, RGN_DIFF);
                DeleteObject(covered);
            }
            FillRgn(windowDC, uncovered, g_testRun.backgroundBrush);
            DeleteObject(uncovered);
            if (shown) {
                SelectedObject source(g_testRun.frameDC, FrameOf(o.sequence, o.frame));
                BitBlt(windowDC, o.drawnX, o.drawnY, o.frameWidth, o.frameHeight, g_testRun.frameDC, 0, 0, SRCCOPY);
            }
        }
        o.previousX = o.drawnX;
        o.previousY = o.drawnY;
    }
    if (saved) RestoreDC(windowDC, saved);
}

bool CheckRunEnd()
{
    if (g_testRun.endRequested) return true;
    for (int i = 0; i < g_document.objectCount; ++i)
        if (Run(i).status == RUN_RUNNING) return false;
    return true;
}

void PaintRun(HDC windowDC)
{
    if (g_testRun.picture.dc) {
        BitBlt(windowDC, 0, 0, g_testRun.width, g_testRun.height, g_testRun.picture.dc, 0, 0, SRCCOPY);
    } else {
        const RECT all{0, 0, g_testRun.width, g_testRun.height};
        FillRect(windowDC, &all, g_testRun.backgroundBrush ? g_testRun.backgroundBrush : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        const int saved = SaveDC(windowDC);
        ExcludeRegionsFromClip(windowDC);
        for (int i = 0; i < g_document.objectCount; ++i) {
            const ObjectRunState& o = Run(i);
            if (o.status != RUN_RUNNING || o.previousStatus != RUN_RUNNING) continue;
            SelectedObject source(g_testRun.frameDC, FrameOf(o.sequence, o.frame));
            BitBlt(windowDC, o.drawnX, o.drawnY, o.frameWidth, o.frameHeight, g_testRun.frameDC, 0, 0, SRCCOPY);
        }
        RestoreDC(windowDC, saved);
    }
    for (int i = 0; i < g_document.objectCount; ++i) {
        Run(i).previousX = Run(i).drawnX;
        Run(i).previousY = Run(i).drawnY;
    }
}

void PerformFirstStep()
{
    if (!g_testRun.ready) return;
    StepAllObjects();
    DrawObjects();
}

bool TickRun(bool endTest)
{
    if (!g_testRun.ready) return false;
    RestoreBackgrounds();
    StepAllObjects();
    DrawObjects();
    HWND window = g_testRun.window;
    if (window && !IsIconic(window)) {
        HDC dc = GetDC(window);
        CopyChangedAreas(dc);
        ReleaseDC(window, dc);
    } else {
        CopyChangedAreas(nullptr);
    }
    if (endTest && CheckRunEnd()) {
        StopRunClock();
        return false;
    }
    return true;
}

// ---- life of a run ------------------------------------------------------------------------

int PrepareRun(HWND window)
{
    g_testRun.window = window;
    g_testRun.startMask = 0;
    g_testRun.endRequested = g_testRun.ended = g_testRun.ready = false;
    g_testRun.soundState = 0;
    g_testRun.soundErrorShown = false;
    HDC screen = GetDC(nullptr);
    if (!g_testRun.frameDC) g_testRun.frameDC = CreateCompatibleDC(screen);
    if (!g_testRun.maskDC) g_testRun.maskDC = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    if (!g_testRun.frameDC || !g_testRun.maskDC) return RESULT_OUT_OF_MEMORY;
    for (HDC dc : {g_testRun.frameDC, g_testRun.maskDC})
        if (g_appState.displayPalette) {
            SelectPalette(dc, g_appState.displayPalette, TRUE);
            RealizePalette(dc);
        }
    const SIZE size = ClientSize(window);
    g_testRun.width = size.cx;
    g_testRun.height = size.cy;
    int result = BuildSequenceMasks();
    if (result != RESULT_OK) return result;
    result = RunBackground(window);
    if (result != RESULT_OK) return result;
    if (g_testRun.picture.dc) ExcludeRegionsFromClip(g_testRun.picture.dc);
    LockStepBlocks();
    if (!AllocateStepCounters()) return RESULT_OUT_OF_MEMORY;
    ResetAllObjects();
    g_testRun.objectCount = g_document.objectCount;
    // Without somewhere to keep what lies under the objects the window stays empty.
    g_testRun.ready = MakeSaveBitmaps();
    return RESULT_OK;
}

void RestartRun()
{
    StopSoundOf(g_testRun.window, ANIM_SOUND_ALL, false);
    g_testRun.soundState = 0;
    // The counters are made anew before anything steps into them.
    AllocateStepCounters();
    ResetAllObjects();
    g_testRun.endRequested = false;
    if (g_testRun.ready) StepAllObjects();
    if (RedrawPicture() != RESULT_OK) g_testRun.ready = false;
    if (g_testRun.window) InvalidateRect(g_testRun.window, nullptr, FALSE);
}

void SuspendRun()
{
    UnlockStepBlocks();
    RestoreTransparentFrames();
}

int ResumeRun()
{
    // While minimised the editor could change anything: step blocks, counts,
    // frames, objects. Everything is taken afresh.
    LockStepBlocks();
    int result = BuildSequenceMasks();
    if (result != RESULT_OK) return result;
    // Objects added meanwhile start as a new run would start them.
    for (int i = g_testRun.objectCount; i < g_document.objectCount; ++i) {
        ResetObjectRun(i);
        ObjectRunState& o = g_document.objectRunStates[i];
        o.status = o.previousStatus = (g_document.objectTable[i].objectFlags & OBJ_DISABLED) ? RUN_NOT_STARTED : RUN_RUNNING;
    }
    g_testRun.objectCount = g_document.objectCount;
    for (int i = 0; i < g_document.objectCount; ++i) {
        ObjectRunState& o = g_document.objectRunStates[i];
        const int count = g_testRun.stepCounts[i];
        if (count > 0 && (!o.stepCounters || GlobalSize(o.stepCounters) < SIZE_T(count))) {
            if (o.stepCounters) GlobalFree(o.stepCounters);
            o.stepCounters = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, count);
        }
    }
    g_testRun.ready = MakeSaveBitmaps();
    result = RedrawPicture();
    if (g_testRun.window) InvalidateRect(g_testRun.window, nullptr, FALSE);
    return result;
}

void EndRun()
{
    StopSoundOf(g_testRun.window, ANIM_SOUND_ALL, false);
    StopRunClock();
    UnlockStepBlocks();
    FreeStepCounters();
    FreePictureAndBrush();
    RestoreTransparentFrames();
    DeleteSaveBitmaps();
    FreeScratchMasks();
    FreeWorkDCs();
    g_testRun.ready = false;
    g_testRun.window = nullptr;
    g_testRun.soundState = 0;
}

// ---- the clock ------------------------------------------------------------------------------

void StartRunClock()
{
    HWND window = g_testRun.window;
    g_testRun.ended = false;
    if (!window) return;
    if (g_document.animationSettings.playFlags & PLAY_TIMER_MODE) {
        SetTimer(window, RUN_TIMER_ID, RUN_TIMER_MS, nullptr);
        return;
    }
    g_testRun.lastTick = GetTickCount();
    PostMessageA(window, WM_TIMER, 0, 0);
}

void StopRunClock()
{
    if (g_testRun.window) KillTimer(g_testRun.window, RUN_TIMER_ID);
    g_testRun.ended = true;
}

bool PumpUntilNextStep()
{
    HWND window = g_testRun.window;
    const DWORD since = g_testRun.lastTick;
    DWORD now = GetTickCount();
    while (IsWindow(window)) {
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));  // for the editor's own loop
                return false;
            }
            // The next step is ours to post.
            if (!(msg.hwnd == window && msg.message == WM_TIMER)) {
                HWND center = g_appState.controlCenterDialog;
                if (!(center && IsDialogMessageA(center, &msg))) {
                    TranslateMessage(&msg);
                    DispatchMessageA(&msg);
                }
                if (!IsWindow(window) || g_testRun.window != window) return false;
            }
        } else {
            const DWORD waited = GetTickCount() - since;
            if (waited < RUN_FAST_STEP_MS)
                MsgWaitForMultipleObjects(0, nullptr, FALSE, RUN_FAST_STEP_MS - waited, QS_ALLINPUT);
        }
        now = GetTickCount();
        if (now - since >= RUN_FAST_STEP_MS || HIWORD(now) != HIWORD(since)) break;
    }
    g_testRun.lastTick = now;
    return IsWindow(window) && g_testRun.window == window;
}
