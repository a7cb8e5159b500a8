// The engine's start-up and shut-down, the animation handle's life (create,
// reload, destroy) and the queries a host makes about an animation.
#include "AnimationContext.h"
#include "AnxArchive.h"
#include "Compat.h"
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <ctime>

AnimEngine g_animEngine = {};

namespace {

int g_displayDepthOverride = 0;

int Clamp(int value, int low, int high) { return value < low ? low : value > high ? high : value; }

void FreeAnimationObjects(AnimationContext* c)
{
    FreeStepLists(c);
    for (int i = 0; i < MAX_SEQUENCES; ++i) FreeSequenceBitmaps(c, i);
    DeleteObjectSaveBitmaps(c);
}

void DeletePictureObjects(AnimationContext* c)
{
    DeleteOffscreenBitmap(c);
    if (c->backgroundBrush) DeleteObject(c->backgroundBrush);
    c->backgroundBrush = nullptr;
    DeleteAnimPalette(c);
}

// Palette, size, background brush and off-screen picture of a freshly read
// animation.
void SetUpPicture(AnimationContext* c, int width, int height, COLORREF bkColor, DWORD flags)
{
    const int displayBits = g_animEngine.displayBits;
    int paletteSize = 256;
    if (flags & ANIM_PALETTE_BY_DISPLAY) paletteSize = displayBits > 7 ? 256 : 16;
    else if (flags & ANIM_PALETTE_FROM_FILES) paletteSize = 0;
    else if (displayBits <= 7 || (flags & ANIM_PALETTE_16)) paletteSize = 16;
    BuildAnimPalette(c, nullptr, paletteSize);

    const SIZE own = AnimationOwnSize(c);
    if (flags & ANIM_CLAMP_SIZE) {
        width = width <= 0 ? own.cx : (width < own.cx ? width : own.cx);
        height = height <= 0 ? own.cy : (height < own.cy ? height : own.cy);
    } else {
        width = width <= 0 ? own.cx : width;
        height = height <= 0 ? own.cy : height;
    }
    width = Clamp(width, 1, SHRT_MAX);
    height = Clamp(height, 1, SHRT_MAX);

    if (!(flags & ANIM_KEEP_FILE_BKCOLOR))
        c->settings.backgroundColor = (c->settings.backgroundColor & 0xFF000000u) | (bkColor & 0xFFFFFF);
    c->backgroundBrush = CreateSolidBrush(c->settings.backgroundColor & 0xFFFFFF);

    c->forceOffscreen = (flags & ANIM_FORCE_OFFSCREEN) ? 1 : 0;
    c->pictureWidth = static_cast<int16_t>(width);
    c->pictureHeight = static_cast<int16_t>(height);
    c->offscreen = MakeOffscreenPicture(c, c->forceOffscreen != 0);
}

// The part of a stored name after its last "\" or ":".
const char* StoredBareName(const char* name)
{
    const char* bare = name;
    for (const char* p = name; *p; ++p)
        if (*p == '\\' || *p == ':') bare = p + 1;
    return bare;
}

LONG_PTR PackPoint(int x, int y) { return static_cast<LONG_PTR>((static_cast<DWORD>(y) << 16) | (static_cast<DWORD>(x) & 0xFFFF)); }

}  // namespace

// ---- the engine ----

AnimBitmapMode ChooseBitmapMode(int displayBits, int hint, DWORD majorVersion, DWORD minorVersion)
{
    if (displayBits <= 7 || hint > 0) return ANIM_DEVICE_BITMAPS;
    if (hint == 0) return ANIM_DIB_SECTIONS;
    return majorVersion > 4 || (majorVersion == 4 && minorVersion > 0) ? ANIM_DIB_SECTIONS : ANIM_DEVICE_BITMAPS;
}

void OverrideAnimDisplayDepth(int bits) { g_displayDepthOverride = bits; }

int InitAnimEngine(int displayModeHint)
{
    AnimEngine& e = g_animEngine;
    if (e.running) return 1;
    HDC info = CreateICA("DISPLAY", nullptr, nullptr, nullptr);
    e.deviceBits = info ? GetDeviceCaps(info, BITSPIXEL) : 32;
    e.devicePlanes = info ? GetDeviceCaps(info, PLANES) : 1;
    if (info) DeleteDC(info);
    e.displayBits = g_displayDepthOverride > 0 ? g_displayDepthOverride : e.deviceBits * e.devicePlanes;
    e.displayPlanes = g_displayDepthOverride > 0 ? 1 : e.devicePlanes;
    OSVERSIONINFOA version{sizeof version};
    GetVersionExA(&version);
    e.bitmapMode = ChooseBitmapMode(e.displayBits, displayModeHint, version.dwMajorVersion, version.dwMinorVersion);
    e.sharedDC = CreateCompatibleDC(nullptr);
    e.frameDC = CreateCompatibleDC(nullptr);
    e.pictureDC = CreateCompatibleDC(nullptr);
    if (!e.sharedDC || !e.frameDC || !e.pictureDC) {
        for (HDC dc : {e.sharedDC, e.frameDC, e.pictureDC})
            if (dc) DeleteDC(dc);
        e.sharedDC = e.frameDC = e.pictureDC = nullptr;
        return 0;
    }
    e.sharedDefault = static_cast<HBITMAP>(GetCurrentObject(e.sharedDC, OBJ_BITMAP));
    e.frameDefault = static_cast<HBITMAP>(GetCurrentObject(e.frameDC, OBJ_BITMAP));
    e.pictureDefault = static_cast<HBITMAP>(GetCurrentObject(e.pictureDC, OBJ_BITMAP));
    Randomize();
    e.running = true;
    return 1;
}

void ExitAnimEngine()
{
    AnimEngine& e = g_animEngine;
    if (!e.running) return;
    DeleteDC(e.sharedDC);
    DeleteDC(e.frameDC);
    DeleteDC(e.pictureDC);
    e.sharedDC = e.frameDC = e.pictureDC = nullptr;
    e.running = false;
}

void EnsureAnimEngine()
{
    if (!g_animEngine.running) InitAnimEngine(-1);
}

// ---- the animation handle ----

HANIM CreateAnimation(const void* source, int width, int height, COLORREF bkColor, DWORD flags)
{
    EnsureAnimEngine();
    HANIM handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(AnimationContext));
    if (!handle) return nullptr;
    bool ok = false;
    {
        ContextLock c(handle);
        if (c) {
            ok = ReadAnimationIntoContext(c.get(), source, (flags & ANIM_FROM_MEMORY) != 0) != 0;
            if (ok) {
                SetUpPicture(c.get(), width, height, bkColor, flags);
            } else {
                FreeAnimationObjects(c.get());
                RemoveUnpackedFiles(c.get());
            }
        }
    }
    if (!ok) {
        GlobalFree(handle);
        return nullptr;
    }
    return handle;
}

HANIM ReloadAnimation(HANIM handle, const void* source, int width, int height, COLORREF bkColor, DWORD flags)
{
    ContextLock c(handle);
    if (!c) return nullptr;
    EnsureAnimEngine();
    ++c->playGeneration;  // a step that called the host here goes no further
    const bool rebuild = !(flags & ANIM_RELOAD_KEEP) && ((flags & ANIM_RELOAD_REBUILD) || EndActionOf(c.get()) == END_LOAD_NEXT_NEW_WINDOW);
    if (!rebuild) ResetAnimPlayback(c.get(), nullptr);
    FreeAnimationObjects(c.get());
    if (rebuild) DeletePictureObjects(c.get());
    if (!ReadAnimationIntoContext(c.get(), source, (flags & ANIM_FROM_MEMORY) != 0)) {
        // The handle stays for the host to destroy: nothing in it may be freed twice.
        DeletePictureObjects(c.get());
        return nullptr;
    }
    if (rebuild) SetUpPicture(c.get(), width, height, bkColor, flags);
    return handle;
}

void DestroyAnimation(HANIM handle)
{
    if (!handle) return;
    {
        ContextLock c(handle);
        // Called by host code inside a step: the play loop frees it on its way out.
        if (c && DeferAnimDestroy(c.get())) return;
        if (c) {
            FreeAnimationObjects(c.get());
            DeletePictureObjects(c.get());
            RemoveUnpackedFiles(c.get());
        }
    }
    GlobalFree(handle);
}

// ---- names ----

BOOL GetAnimBackgroundName(HANIM handle, char* buffer, BOOL fullPath)
{
    ContextLock c(handle);
    if (!buffer) return FALSE;
    buffer[0] = '\0';
    if (!c || !HasBackgroundPicture(c.get())) return FALSE;
    const char* name = c->settings.backgroundImage;
    lstrcpynA(buffer, fullPath ? name : StoredBareName(name), MAX_PATH);
    return TRUE;
}

int GetAnimSequenceName(HANIM handle, int index, char* buffer, BOOL fullPath)
{
    ContextLock c(handle);
    if (!buffer) return 0;
    buffer[0] = '\0';
    if (!c || index < 0 || index >= c->header.sequenceCount) return 0;
    const char* name = c->sequences[index].fileName;
    lstrcpynA(buffer, fullPath ? name : StoredBareName(name), MAX_PATH);
    return 1;
}

BOOL FindAnimResource(HMODULE module, const char* name, AnimMemorySource* out)
{
    if (!name || !out) return FALSE;
    out->bytes = nullptr;
    out->size = 0;
    char resource[MAX_PATH];
    lstrcpynA(resource, BareName(name), MAX_PATH);
    if (char* dot = strrchr(resource, '.')) *dot = '\0';
    for (char* p = resource; *p; ++p) *p = static_cast<char>(toupper(static_cast<unsigned char>(*p)));
    if (!resource[0]) return FALSE;
    HRSRC found = FindResourceA(module, resource, MAKEINTRESOURCEA(10));  // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return FALSE;
    out->bytes = bytes;
    out->size = SizeofResource(module, found);
    return TRUE;
}

// ---- sizes and placement ----

SIZE AnimationOwnSize(const AnimationContext* c)
{
    switch (c->settings.sizeMode & 3) {
    case 1:
        return {Clamp(c->settings.width, 1, ANIM_MAX_PICTURE_SIZE), Clamp(c->settings.height, 1, ANIM_MAX_PICTURE_SIZE)};
    case 2:
        return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    default:
        return {ANIM_DEFAULT_WIDTH, ANIM_DEFAULT_HEIGHT};
    }
}

POINT PlaceAnimation(const AnimationContext* c, int areaW, int areaH, int w, int h)
{
    switch (c->settings.positionFlags & 3) {
    case 0:
        return {(areaW - w) / 2, (areaH - h) / 2};
    case 2:
        return {c->settings.x < areaW - w ? c->settings.x : areaW - w, c->settings.y < areaH - h ? c->settings.y : areaH - h};
    default: {
        // Somewhere at random, keeping a small margin.
        const int roomX = areaW - areaW / 32 - w, roomY = areaH - areaH / 32 - h;
        return {roomX >= 1 ? areaW / 64 + RandomBelow(roomX) : 0, roomY >= 1 ? areaH / 64 + RandomBelow(roomY) : 0};
    }
    }
}

// ---- queries ----

LONG_PTR GetAnimInfo(HANIM handle, int code)
{
    ContextLock c(handle);
    if (!c) return 0;
    const AnimationSettingsDisk& s = c->settings;
    switch (code) {
    case ANIM_INFO_SIZE: return PackPoint(c->pictureWidth, c->pictureHeight);
    case ANIM_INFO_PALETTE: return reinterpret_cast<LONG_PTR>(GetAnimPalette(c.get()));
    case ANIM_INFO_COLORS: return c->paletteColors;
    case ANIM_INFO_BRUSH: return reinterpret_cast<LONG_PTR>(c->backgroundBrush);
    case ANIM_INFO_BKCOLOR: return s.backgroundColor & 0xFFFFFF;
    case ANIM_INFO_HIDE_CURSOR: return s.positionFlags & 0x10;
    case ANIM_INFO_FORCE_OFFSCREEN: return c->forceOffscreen;
    case ANIM_INFO_SCREEN_SIZE: return s.sizeMode & 2;
    case ANIM_INFO_FLAG_80: return s.playFlags & 0x80;
    case ANIM_INFO_END_ACTION: return EndActionOf(c.get());
    case ANIM_INFO_NEXT_NAME: return reinterpret_cast<LONG_PTR>(c->settings.nextAnimation);
    case ANIM_INFO_STYLE: return static_cast<LONG_PTR>(s.windowStyle);
    case ANIM_INFO_EXSTYLE: return static_cast<LONG_PTR>(s.windowExStyle);
    case ANIM_INFO_DESKTOP_WINDOW: return s.playFlags & PLAY_IN_DESKTOP;
    case ANIM_INFO_DESKTOP_BACKGROUND: return s.playFlags & PLAY_DESKTOP_BACKGROUND;
    case ANIM_INFO_POSITION_MODE: return s.positionFlags & 3;
    case ANIM_INFO_POSITION: {
        const SIZE own = AnimationOwnSize(c.get());
        const POINT p = PlaceAnimation(c.get(), GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), own.cx, own.cy);
        return PackPoint(p.x, p.y);
    }
    case ANIM_INFO_FILE_SIZE: {
        const SIZE own = AnimationOwnSize(c.get());
        return PackPoint(own.cx, own.cy);
    }
    default: return 0;
    }
}
