// The off-screen picture: frame, mask and picture bitmaps in the engine's two
// bitmap modes, drawing the objects with their transparency masks over the
// background, putting the background back, and copying only what changed to
// the window. Frames, masks and picture share the display's format where they
// can, so every copy is a plain block transfer.
#include "AnimationContext.h"
#include "DibBlocks.h"
#include <cstdlib>

namespace {

constexpr DWORD DEST_AND_NOT_SOURCE = 0x00220326;

int Larger(int a, int b) { return a > b ? a : b; }
int Smaller(int a, int b) { return a < b ? a : b; }

// The frame an object shows now, or null when its sequence or frame is missing.
HBITMAP CurrentFrame(const AnimationContext* c, const ObjectRuntime& o)
{
    if (o.sequence >= MAX_SEQUENCES) return nullptr;
    const SequenceRuntime& s = c->sequenceRuntime[o.sequence];
    if (o.frame >= c->sequences[o.sequence].frameCount) return nullptr;
    return s.frames[o.frame];
}

SIZE FrameSize(const AnimationContext* c, int sequence)
{
    if (sequence < 0 || sequence >= MAX_SEQUENCES) return {0, 0};
    return {c->sequenceRuntime[sequence].width, c->sequenceRuntime[sequence].height};
}

bool IsMonochrome(HBITMAP bitmap)
{
    BITMAP b;
    return GetObject(bitmap, sizeof b, &b) && b.bmBitsPixel == 1 && b.bmPlanes == 1;
}

// Draws the frame in the frame DC through the mask in the shared DC: the mask
// clears (black) or fills (white) the frame's opaque pixels, then the frame is
// combined so that its transparent pixels leave the picture as it was.
void DrawThroughMask(HDC picture, int x, int y, int w, int h, bool white)
{
    const AnimEngine& e = g_animEngine;
    if (white) {
        BitBlt(picture, x, y, w, h, e.sharedDC, 0, 0, SRCPAINT);
        BitBlt(picture, x, y, w, h, e.frameDC, 0, 0, SRCAND);
    } else {
        BitBlt(picture, x, y, w, h, e.sharedDC, 0, 0, SRCAND);
        BitBlt(picture, x, y, w, h, e.frameDC, 0, 0, SRCPAINT);
    }
}

// Draws one frame into the picture DC by its sequence's transparency.
void DrawFrame(const AnimationContext* c, const ObjectRuntime& o, HBITMAP frame, int x, int y)
{
    const AnimEngine& e = g_animEngine;
    const uint8_t code = c->sequences[o.sequence].transparentColorCode;
    const SequenceRuntime& s = c->sequenceRuntime[o.sequence];
    const int w = s.width, h = s.height;
    const bool white = WhiteIsTransparent(code);
    HDC picture = e.pictureDC;
    // Monochrome sources map 0 to black and 1 to white.
    SetTextColor(picture, RGB(0, 0, 0));
    SetBkColor(picture, RGB(255, 255, 255));
    SelectBitmapInto(e.frameDC, frame);
    switch (TransparencyOf(code)) {
    case TRANSPARENCY_NONE:
        BitBlt(picture, x, y, w, h, e.frameDC, 0, 0, SRCCOPY);
        return;
    case TRANSPARENCY_TWO_COLOR:
        BitBlt(picture, x, y, w, h, e.frameDC, 0, 0, white ? SRCAND : SRCPAINT);
        return;
    case TRANSPARENCY_RUNTIME_MASK: {
        if (!s.masks[0]) return;
        SelectBitmapInto(e.sharedDC, s.masks[0]);
        // The mask has 1 where the frame shows the transparent colour; a
        // monochrome frame is its own mask, only the sense differs.
        const bool mono = IsMonochrome(frame);
        SetBkColor(e.frameDC, white ? RGB(255, 255, 255) : RGB(0, 0, 0));
        BitBlt(e.sharedDC, 0, 0, w, h, e.frameDC, 0, 0, (white || mono) ? NOTSRCCOPY : SRCCOPY);
        DrawThroughMask(picture, x, y, w, h, white);
        return;
    }
    case TRANSPARENCY_FRAME_MASKS: {
        HBITMAP mask = s.masks[o.frame];
        if (!mask) return;
        SelectBitmapInto(e.sharedDC, mask);
        DrawThroughMask(picture, x, y, w, h, white);
        return;
    }
    }
}

void FillArea(HDC dc, int left, int top, int right, int bottom, HBRUSH brush)
{
    if (right <= left || bottom <= top) return;
    const RECT r{left, top, right, bottom};
    FillRect(dc, &r, brush);
}

// Without an off-screen picture: fills what the previous drawing covered and
// the new one does not.
void FillUncoveredStrips(HDC dc, const RECT& previous, const RECT& current, HBRUSH brush)
{
    RECT overlap;
    if (!IntersectRect(&overlap, &previous, &current)) {
        FillRect(dc, &previous, brush);
        return;
    }
    FillArea(dc, previous.left, previous.top, current.left, previous.bottom, brush);
    FillArea(dc, current.right, previous.top, previous.right, previous.bottom, brush);
    FillArea(dc, overlap.left, previous.top, overlap.right, current.top, brush);
    FillArea(dc, overlap.left, current.bottom, overlap.right, previous.bottom, brush);
}

// Copies the objects' frames straight to a DC: the picture-less drawing of
// animations whose frames are all opaque.
void CopyFramesTo(AnimationContext* c, HDC dc, bool fillStrips)
{
    HDC frameDC = g_animEngine.frameDC;
    for (int i = 0; i < c->header.objectCount; ++i) {
        ObjectRuntime& o = c->objectRuntime[i];
        if (o.finished >= 2) continue;
        const SIZE size = FrameSize(c, o.sequence);
        if (fillStrips && (o.drawnX != o.prevX || o.drawnY != o.prevY)) {
            const RECT previous{o.prevX, o.prevY, o.prevX + size.cx, o.prevY + size.cy};
            RECT current{o.drawnX, o.drawnY, o.drawnX + size.cx, o.drawnY + size.cy};
            if (o.finished) current = {};
            FillUncoveredStrips(dc, previous, current, c->backgroundBrush);
        }
        HBITMAP frame = o.finished || o.wasFinished ? nullptr : CurrentFrame(c, o);
        if (frame) {
            SelectBitmapInto(frameDC, frame);
            BitBlt(dc, o.drawnX, o.drawnY, size.cx, size.cy, frameDC, 0, 0, SRCCOPY);
        }
    }
}

}  // namespace

// ---- saving the background under the objects ----

namespace {

// Between true-colour DIB sections the background is copied as memory; any
// other picture goes through the shared DC.
enum class SaveDirection { IntoSave, BackIntoPicture };

void CopyUnderObject(const AnimationContext* c, const ObjectRuntime& o, int x, int y, SIZE size, SaveDirection direction)
{
    DibView picture, save;
    if (ViewOfDib(c->offscreen, &picture) && ViewOfDib(o.saveBitmap, &save) && picture.bytesPerPixel == save.bytesPerPixel) {
        GdiFlush();  // the pixels drawn so far must be in memory
        if (direction == SaveDirection::IntoSave) CopyDibBlock(picture, x, y, save, 0, 0, size.cx, size.cy);
        else CopyDibBlock(save, 0, 0, picture, x, y, size.cx, size.cy);
        return;
    }
    HDC sharedDC = g_animEngine.sharedDC;
    SelectBitmapInto(sharedDC, o.saveBitmap);
    if (direction == SaveDirection::IntoSave) BitBlt(sharedDC, 0, 0, size.cx, size.cy, g_animEngine.pictureDC, x, y, SRCCOPY);
    else BitBlt(g_animEngine.pictureDC, x, y, size.cx, size.cy, sharedDC, 0, 0, SRCCOPY);
}

}  // namespace

// ---- bitmaps ----

HBITMAP CreateAnimBitmap(const AnimationContext* c, HDC dc, int width, int height, int bits)
{
    const AnimEngine& e = g_animEngine;
    if (width <= 0 || height <= 0) return nullptr;
    // Masks and two-colour frames are monochrome bitmaps in both modes: only
    // those follow the background-colour rule of colour-to-mask copies
    // everywhere, which the masks made while drawing rely on.
    if (bits == 1) return CreateMaskBitmap(width, height, nullptr);
    if (e.bitmapMode == ANIM_DEVICE_BITMAPS) return CreateBitmap(width, height, e.devicePlanes, e.deviceBits, nullptr);
    int depth = bits == 0 ? e.displayBits : bits;
    if (depth == 15) depth = 16;
    if (!IsValidBitCount(depth)) depth = depth < 8 ? 8 : 32;
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info{};
    info.header = {sizeof(BITMAPINFOHEADER), width, height, 1, static_cast<WORD>(depth), BI_RGB, 0, 0, 0, 0, 0};
    if (depth <= 8) {
        info.header.biClrUsed = 1u << depth;
        FillDibSectionColors(c, depth, info.colors);
    }
    void* pixels = nullptr;
    return CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0);
}

HBITMAP CreateMaskBitmap(int width, int height, const BYTE* rows)
{
    return width > 0 && height > 0 ? CreateBitmap(width, height, 1, 1, rows) : nullptr;
}

HBITMAP CreateOffscreenBitmap(AnimationContext* c, HDC, int width, int height, HBRUSH brush, bool force)
{
    if (!force && !HasBackgroundPicture(c)) {
        bool allOpaque = true;
        for (int i = 0; i < c->header.sequenceCount; ++i)
            allOpaque &= TransparencyOf(c->sequences[i].transparentColorCode) == TRANSPARENCY_NONE;
        if (allOpaque) return nullptr;
    }
    HBITMAP bitmap = CreateAnimBitmap(c, g_animEngine.pictureDC, width, height, 0);
    if (!bitmap) return nullptr;
    {
        HDC dc = g_animEngine.pictureDC;
        DcSelection selected(dc, bitmap);
        PaletteSelection palette(dc, GetAnimPalette(c), false);
        const RECT all{0, 0, width, height};
        FillRect(dc, &all, brush ? brush : static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    for (ObjectRuntime& o : c->objectRuntime) o.saved = 0;
    return bitmap;
}

HBITMAP MakeOffscreenPicture(AnimationContext* c, bool force)
{
    return CreateOffscreenBitmap(c, g_animEngine.pictureDC, Larger(c->pictureWidth, ANIM_MIN_OFFSCREEN),
                                 Larger(c->pictureHeight, ANIM_MIN_OFFSCREEN), c->backgroundBrush, force);
}

bool EnsureOffscreenPicture(AnimationContext* c)
{
    if (!c->offscreen) c->offscreen = MakeOffscreenPicture(c, true);
    return c->offscreen != nullptr;
}

void DeleteOffscreenBitmap(AnimationContext* c)
{
    if (c->offscreen) {
        ReleaseEngineSelections(c);
        DeleteObject(c->offscreen);
    }
    c->offscreen = nullptr;
    for (ObjectRuntime& o : c->objectRuntime) o.saved = 0;
}

void ReleaseEngineSelections(const AnimationContext* c)
{
    const AnimEngine& e = g_animEngine;
    if (!e.running) return;
    SelectBitmapInto(e.frameDC, e.frameDefault);
    SelectBitmapInto(e.sharedDC, e.sharedDefault);
    if (c->offscreen && GetCurrentObject(e.pictureDC, OBJ_BITMAP) == c->offscreen) {
        SelectClipRgn(e.pictureDC, nullptr);
        SelectObject(e.pictureDC, e.pictureDefault);
    }
    HPALETTE stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    for (HDC dc : {e.sharedDC, e.frameDC, e.pictureDC})
        if (c->palette && GetCurrentObject(dc, OBJ_PAL) == c->palette) SelectPalette(dc, stock, TRUE);
}

bool CreateObjectSaveBitmaps(AnimationContext* c)
{
    for (int i = 0; i < c->header.objectCount; ++i) {
        ObjectRuntime& o = c->objectRuntime[i];
        if (o.saveBitmap) continue;
        const SIZE size = FrameSize(c, c->objects[i].sequenceIndex);
        if (size.cx <= 0 || size.cy <= 0) continue;  // its sequence is not loaded: it is never drawn
        o.saveBitmap = CreateAnimBitmap(c, g_animEngine.sharedDC, size.cx, size.cy, 0);
        if (!o.saveBitmap) {
            DeleteObjectSaveBitmaps(c);
            return false;
        }
    }
    return true;
}

void DeleteObjectSaveBitmaps(AnimationContext* c)
{
    ReleaseEngineSelections(c);
    for (ObjectRuntime& o : c->objectRuntime) {
        if (o.saveBitmap) DeleteObject(o.saveBitmap);
        o.saveBitmap = nullptr;
        o.saved = 0;
    }
}

// ---- drawing into the picture ----

void ExcludeForegroundRegions(const AnimationContext* c, HDC dc)
{
    const bool centred = (c->settings.positionFlags & 0x08) != 0;
    const int shiftX = centred ? c->pictureWidth >> 1 : 0;
    const int shiftY = centred ? c->pictureHeight >> 1 : 0;
    for (int i = 0; i < c->header.regionCount; ++i) {
        const ForegroundRegionDisk& r = c->regions[i];
        if (r.regionFlags & 0x8000) continue;
        const int left = Smaller(r.x1, r.x2) + shiftX, right = Larger(r.x1, r.x2) + shiftX;
        const int top = Smaller(r.y1, r.y2) + shiftY, bottom = Larger(r.y1, r.y2) + shiftY;
        ExcludeClipRect(dc, left, top, right + 1, bottom + 1);  // the corners are inside
    }
}

void DrawAnimObjects(AnimationContext* c)
{
    const bool picture = c->offscreen != nullptr;
    // Stamped objects first: their frames become part of the background that
    // the others save.
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < c->header.objectCount; ++i) {
            ObjectRuntime& o = c->objectRuntime[i];
            if (pass == 0 && !o.stamp) continue;
            if (o.finished || o.wasFinished) continue;
            HBITMAP frame = CurrentFrame(c, o);
            if (!frame) continue;  // a step naming a frame the sequence does not have draws nothing
            const SequenceRuntime& s = c->sequenceRuntime[o.sequence];
            o.drawnX = static_cast<int16_t>(o.x + s.offsetX[o.frame]);
            o.drawnY = static_cast<int16_t>(o.y + s.offsetY[o.frame]);
            if (!picture) continue;
            if (pass == 1) {
                o.savedX = o.drawnX;
                o.savedY = o.drawnY;
                o.saved = !o.stamp && o.saveBitmap;
                if (o.saved) CopyUnderObject(c, o, o.drawnX, o.drawnY, {s.width, s.height}, SaveDirection::IntoSave);
                o.stamp = 0;
            }
            DrawFrame(c, o, frame, o.drawnX, o.drawnY);
        }
    }
}

int RestoreObjectBackgrounds(AnimationContext* c)
{
    if (!c->offscreen) return 0;
    for (int i = c->header.objectCount - 1; i >= 0; --i) {
        const ObjectRuntime& o = c->objectRuntime[i];
        if (!o.saved || !o.saveBitmap) continue;
        CopyUnderObject(c, o, o.savedX, o.savedY, FrameSize(c, o.sequence), SaveDirection::BackIntoPicture);
    }
    for (ObjectRuntime& o : c->objectRuntime) o.saved = 0;
    return 1;
}

// ---- the window ----

void RedrawChangedAreas(AnimationContext* c, HWND window, HDC windowDC)
{
    if (!c->firstStepDone || c->ended) return;
    const bool picture = c->offscreen != nullptr;
    HDC pictureDC = g_animEngine.pictureDC;
    HDC target = picture ? pictureDC : windowDC;
    DcSelection selected(pictureDC, picture ? c->offscreen : nullptr);
    PaletteSelection targetPalette(target, GetAnimPalette(c), false);
    ExcludeForegroundRegions(c, target);
    RestoreObjectBackgrounds(c);
    PostPendingSounds(c, window);
    DrawAnimObjects(c);
    {
        PaletteSelection windowPalette(windowDC, GetAnimPalette(c), true);
        if (picture) {
            // Only the union of each object's old and new place changes.
            for (int i = 0; i < c->header.objectCount; ++i) {
                const ObjectRuntime& o = c->objectRuntime[i];
                if (o.finished >= 2) continue;
                const SIZE size = FrameSize(c, o.sequence);
                BitBlt(windowDC, Smaller(o.drawnX, o.prevX), Smaller(o.drawnY, o.prevY),
                       abs(o.drawnX - o.prevX) + size.cx, abs(o.drawnY - o.prevY) + size.cy, pictureDC,
                       Smaller(o.drawnX, o.prevX), Smaller(o.drawnY, o.prevY), SRCCOPY);
            }
        } else {
            CopyFramesTo(c, windowDC, true);
        }
    }
    for (int i = 0; i < c->header.objectCount; ++i) {
        ObjectRuntime& o = c->objectRuntime[i];
        if (o.finished >= 2) continue;
        o.prevX = o.drawnX;
        o.prevY = o.drawnY;
    }
    SelectClipRgn(target, nullptr);
}

void UpdateAnimWindow(HANIM handle, HWND window)
{
    ContextLock c(handle);
    if (!c || !c->firstStepDone || c->ended) return;
    HDC dc = GetDC(window);
    if (!dc) return;
    RedrawChangedAreas(c.get(), window, dc);
    ReleaseDC(window, dc);
}

void PaintAnimation(HANIM handle, HDC dc, const RECT* rect)
{
    ContextLock c(handle);
    if (!c || !dc || !rect) return;
    PaletteSelection palette(dc, GetAnimPalette(c.get()), true);
    POINT origin{};
    GetWindowOrgEx(dc, &origin);
    const int w = rect->right - rect->left, h = rect->bottom - rect->top;
    const int x = rect->left + origin.x, y = rect->top + origin.y;
    if (c->offscreen) {
        HDC pictureDC = g_animEngine.pictureDC;
        DcSelection selected(pictureDC, c->offscreen);
        PaletteSelection picturePalette(pictureDC, GetAnimPalette(c.get()), false);
        // Before the first step the objects are drawn only for this paint.
        const bool beforeFirstStep = !c->firstStepDone && CreateObjectSaveBitmaps(c.get());
        if (beforeFirstStep) {
            ExcludeForegroundRegions(c.get(), pictureDC);
            DrawAnimObjects(c.get());
        }
        BitBlt(dc, x, y, w, h, pictureDC, x, y, SRCCOPY);
        if (beforeFirstStep) {
            RestoreObjectBackgrounds(c.get());
            SelectClipRgn(pictureDC, nullptr);
        }
        for (ObjectRuntime& o : c->objectRuntime) {
            o.prevX = o.drawnX;
            o.prevY = o.drawnY;
        }
        return;
    }
    const RECT area{x, y, x + w, y + h};
    FillRect(dc, &area, c->backgroundBrush);
    if (c->firstStepDone && !c->ended) {
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
        ExcludeForegroundRegions(c.get(), dc);
        CopyFramesTo(c.get(), dc, false);
        RestoreDC(dc, saved);
    }
}

int EraseAnimBackground(HANIM handle, HDC dc, const RECT* rect)
{
    ContextLock c(handle);
    if (!c || !dc || !rect) return 0;
    POINT o{};
    GetWindowOrgEx(dc, &o);
    const int l = rect->left, t = rect->top;
    const int w = rect->right - rect->left, h = rect->bottom - rect->top;
    const int pw = c->pictureWidth, ph = c->pictureHeight;
    HBRUSH brush = c->backgroundBrush;
    // Only what lies outside the picture is erased.
    if (o.x < 0) FillArea(dc, o.x + l, o.y + t, o.x + l - o.x, o.y + t + h, brush);
    if (o.y < 0) FillArea(dc, o.x + l, o.y + t, o.x + l + w, o.y + t - o.y, brush);
    if (pw - o.x < w) FillArea(dc, pw + l, o.y + t, pw + l + w - (pw - o.x), o.y + t + h, brush);
    if (ph - o.y < h) FillArea(dc, o.x + l, ph + t, o.x + l + w, ph + t + h - (ph - o.y), brush);
    return 1;
}

DWORD SetAnimOrigin(HANIM handle, HWND window, int x, int y, int flags)
{
    HDC dc = window ? GetDC(window) : nullptr;
    if (!dc) return 0;
    POINT origin{};
    GetWindowOrgEx(dc, &origin);
    if (flags & ANIM_ORIGIN_X) origin.x = x;
    if (flags & ANIM_ORIGIN_Y) origin.y = y;
    SetWindowOrgEx(dc, origin.x, origin.y, nullptr);
    ReleaseDC(window, dc);
    if (flags & (ANIM_ORIGIN_X | ANIM_ORIGIN_Y)) {
        if (handle) {
            ContextLock c(handle);
            if (c) c->originShifted = origin.x != 0 || origin.y != 0;
        }
        InvalidateRect(window, nullptr, (flags & ANIM_ORIGIN_ERASE) != 0);
    }
    return (static_cast<DWORD>(origin.y) << 16) | (static_cast<DWORD>(origin.x) & 0xFFFF);
}

// ---- the hosts' extra functions ----

HDC GetAnimDC(HANIM handle, BOOL create)
{
    ContextLock c(handle);
    if (!c) return nullptr;
    EnsureAnimEngine();
    if (create) EnsureOffscreenPicture(c.get());
    if (!c->offscreen) return nullptr;
    HDC dc = g_animEngine.pictureDC;
    SelectObject(dc, c->offscreen);
    SelectPalette(dc, GetAnimPalette(c.get()), TRUE);
    RealizePalette(dc);
    RestoreObjectBackgrounds(c.get());
    return dc;
}

void ReleaseAnimDC(HANIM handle)
{
    ContextLock c(handle);
    if (!c || !g_animEngine.running) return;
    HDC dc = g_animEngine.pictureDC;
    if (c->offscreen && GetCurrentObject(dc, OBJ_BITMAP) == c->offscreen && c->firstStepDone && !c->ended) {
        ExcludeForegroundRegions(c.get(), dc);
        DrawAnimObjects(c.get());
    }
    SelectClipRgn(dc, nullptr);
    SelectObject(dc, g_animEngine.pictureDefault);
    SelectPalette(dc, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), TRUE);
}

HBITMAP GetAnimBitmap(HANIM handle)
{
    ContextLock c(handle);
    return c ? c->offscreen : nullptr;
}

int CaptureDesktopBackground(HANIM handle, HWND window, int x, int y, BOOL moveBack)
{
    ContextLock c(handle);
    if (!c) return 0;
    EnsureAnimEngine();
    if (!EnsureOffscreenPicture(c.get())) return 0;
    RECT old{};
    if (window) {
        // Move the window off the screen and let the desktop repaint where it was.
        GetWindowRect(window, &old);
        SetWindowPos(window, nullptr, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        RedrawWindow(GetDesktopWindow(), &old, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    HDC screen = GetDC(nullptr);
    int result = 0;
    if (screen) {
        HDC dc = g_animEngine.pictureDC;
        DcSelection selected(dc, c->offscreen);
        PaletteSelection palette(dc, GetAnimPalette(c.get()), true);
        result = BitBlt(dc, 0, 0, c->pictureWidth, c->pictureHeight, screen, x, y, SRCCOPY) ? 1 : 0;
        ReleaseDC(nullptr, screen);
    }
    if (window && moveBack) {
        POINT place{old.left, old.top};
        HWND parent = GetAncestor(window, GA_PARENT);
        if (parent && parent != GetDesktopWindow()) ScreenToClient(parent, &place);
        SetWindowPos(window, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return result;
}
