// Frame bitmaps and the packed DIBs they are read into and drawn from.
#include "FrameBitmaps.h"
#include "ColorReduction.h"
#include "DocumentStrings.h"
#include "AppState.h"
#include "PackedDib.h"
#include "Palette.h"
#include "ResultCodes.h"
#include "Settings.h"
#include <cstring>

int ColorCountToBits(int colorCount)
{
    switch (colorCount) {
    case COLORS_2: return 1;
    case COLORS_3:
    case COLORS_16: return 4;
    case COLORS_SYSTEM:  // a table of 20 entries needs 8-bit pixels
    case COLORS_256: return 8;
    case COLORS_65536: return 16;
    case COLORS_24BIT: return 24;
    case COLORS_32BIT: return 32;
    default: return GetDisplayBitsPerPixel();
    }
}

int BitsToColorCount(int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 1: return COLORS_2;
    case 4: return COLORS_16;
    case 8: return COLORS_256;
    case 16: return COLORS_65536;
    case 24: return COLORS_24BIT;
    case 32: return COLORS_32BIT;
    default: return bitsPerPixel > 0 && bitsPerPixel < 31 ? 1 << bitsPerPixel : COLORS_32BIT;
    }
}

bool DecideDeviceBitmaps(int setting, DWORD version)
{
    if (setting != -1) return setting != 0;
    const int major = LOBYTE(LOWORD(version)), minor = HIBYTE(LOWORD(version));
    return major < 4 || (major == 4 && minor == 0);
}

namespace {

void ReadDisplayFormat()
{
    HDC info = CreateICA("DISPLAY", nullptr, nullptr, nullptr);
    if (!info) return;
    g_appState.bitmapMode.displayPlanes = GetDeviceCaps(info, PLANES);
    g_appState.bitmapMode.displayBitsPerPlane = GetDeviceCaps(info, BITSPIXEL);
    g_appState.bitmapMode.displayBits = g_appState.bitmapMode.displayPlanes * g_appState.bitmapMode.displayBitsPerPlane;
    DeleteDC(info);
}

}  // namespace

int GetDisplayBitsPerPixel()
{
    if (g_appState.bitmapMode.displayBits == 0) ReadDisplayFormat();
    return g_appState.bitmapMode.displayBits ? g_appState.bitmapMode.displayBits : 32;
}

void InitBitmapMode(HDC dc)
{
    // A 16-bit bitmap made once before the first frame: some display drivers
    // set up their deeper formats only on first use.
    if (HBITMAP probe = CreateBitmap(8, 8, 1, 16, nullptr)) DeleteObject(probe);
    ReadDisplayFormat();
    const int setting = ReadIniInt(IDS_SECTION_FILE, IDS_KEY_USE_DEVICE_BITMAPS, -1);
    g_appState.bitmapMode.useDeviceBitmaps = DecideDeviceBitmaps(setting, GetVersion());
    g_appState.bitmapMode.dibColorLookup = ReadIniInt(IDS_SECTION_FILE, IDS_KEY_DIB_COLOR_LOOKUP, 0) != 0;
}

HBITMAP CreateDisplayBitmap(int width, int height)
{
    GetDisplayBitsPerPixel();
    const int planes = g_appState.bitmapMode.displayPlanes ? g_appState.bitmapMode.displayPlanes : 1;
    const int bits = g_appState.bitmapMode.displayBitsPerPlane ? g_appState.bitmapMode.displayBitsPerPlane : 32;
    return CreateBitmap(width, height, planes, bits, nullptr);
}

HBITMAP CreateMonoBitmap(int width, int height) { return CreateBitmap(width, height, 1, 1, nullptr); }

HBITMAP CreateFrameBitmapEx(HDC dc, int width, int height, int bitsPerPixel, HPALETTE palette)
{
    if (width < 1 || height < 1) return nullptr;
    if (bitsPerPixel == 0) bitsPerPixel = GetDisplayBitsPerPixel();
    if (g_appState.bitmapMode.useDeviceBitmaps)
        return bitsPerPixel == 1 ? CreateMonoBitmap(width, height) : CreateDisplayBitmap(width, height);
    if (!IsValidBitCount(bitsPerPixel)) return nullptr;
    struct { BITMAPINFOHEADER h; RGBQUAD colors[256]; } info{};
    const int entries = bitsPerPixel <= 8 ? 1 << bitsPerPixel : 0;
    info.h = {sizeof info.h, width, height, 1, static_cast<WORD>(bitsPerPixel), BI_RGB, 0, 0, 0,
              static_cast<DWORD>(entries), 0};
    if (entries) BuildColorTable(palette ? palette : g_appState.displayPalette, info.colors, entries, false);
    void* bits = nullptr;
    HDC screen = dc ? nullptr : GetDC(nullptr);
    HBITMAP section = CreateDIBSection(dc ? dc : screen, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                       &bits, nullptr, 0);
    if (screen) ReleaseDC(nullptr, screen);
    return section;
}

HBITMAP CreateFrameBitmap(int width, int height)
{
    return CreateFrameBitmapEx(g_appState.memoryDC, width, height, ColorCountToBits(g_appState.colorCount),
                               g_appState.documentPalette);
}

void UpdateFrameColorTables()
{
    RGBQUAD table[256];
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return;
    for (int i = 0; i < g_appState.frameCount && i < MAX_FRAME_BITMAPS; ++i) {
        DIBSECTION section{};
        HBITMAP frame = g_appState.frameBitmaps[i];
        if (!frame || GetObjectA(frame, sizeof section, &section) != sizeof section ||
            section.dsBmih.biBitCount > 8)
            continue;
        const int entries = 1 << section.dsBmih.biBitCount;
        BuildColorTable(g_appState.documentPalette, table, entries, false);
        HGDIOBJ old = SelectObject(dc, frame);
        SetDIBColorTable(dc, 0, entries, table);
        SelectObject(dc, old);
    }
    DeleteDC(dc);
}

HGLOBAL BitmapToPackedDib(HBITMAP bitmap, int bitsPerPixel)
{
    BITMAP info{};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return nullptr;
    if (bitsPerPixel == 0) bitsPerPixel = info.bmBitsPixel * info.bmPlanes;
    if (!IsValidBitCount(bitsPerPixel)) return nullptr;
    const int entries = bitsPerPixel <= 8 ? 1 << bitsPerPixel : 0;
    GlobalBlock dib(CreateImageDib(info.bmWidth, info.bmHeight, bitsPerPixel, nullptr, entries));
    if (!dib) return nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return nullptr;
    int rows = 0;
    {
        GlobalLockGuard<BYTE> p(dib.Get());
        BITMAPINFOHEADER* h = DibHeader(p.get());
        BYTE* bits = DibBits(p.get());
        rows = GetDibBitsMapped(dc, bitmap, 0, info.bmHeight, h, bits, g_appState.documentPalette);
        // The system may clear biClrUsed while it reads: the table is 2^bits long.
        h->biClrUsed = entries;
        h->biCompression = BI_RGB;
        h->biSizeImage = DibStride(info.bmWidth, bitsPerPixel) * info.bmHeight;
    }
    DeleteDC(dc);
    return rows > 0 ? dib.Release() : nullptr;
}

// ---- inserting images ----

namespace {

constexpr int DITHER_ASK = -1;

// The dither and stretch decisions, kept for a following call with
// INSERT_KEEP_DECISIONS (the frames of one multi-frame load).
struct InsertDecisions {
    int dither;
    int stretch;
};
InsertDecisions s_lastDecisions{0, 0};

int AskPalette(int templateId)
{
    return g_appState.hooks.paletteRequest ? g_appState.hooks.paletteRequest(templateId) : 0;
}

bool AskScaleFrame()
{
    if (g_appState.hooks.askQuestion) return g_appState.hooks.askQuestion(IDS_ASK_SCALE_FRAME) == IDYES;
    char text[256];
    if (!LoadStringA(GetModuleHandleA(nullptr), IDS_ASK_SCALE_FRAME, text, sizeof text)) return false;
    return MessageBoxA(nullptr, text, "Zelvo", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void FillUncovered(HDC dc, const RECT& area)
{
    if (IsRectEmpty(&area)) return;
    if (g_appState.hooks.fillSequenceBackground) {
        g_appState.hooks.fillSequenceBackground(dc, &area);
        return;
    }
    HBRUSH brush = GetToolBrush(ROLE_TRANSPARENT);
    FillRect(dc, &area, brush ? brush : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

int ClampFrameSide(int side) { return side < MIN_FRAME_SIZE ? MIN_FRAME_SIZE : side > MAX_FRAME_SIZE ? MAX_FRAME_SIZE : side; }

// Reduces an image of 16 bits or more to 8 bits before it goes into a format
// of 16 to 256 colours. Returns the result code; *paletteMode becomes what a
// first frame's palette request answered.
int ReduceDeepImage(GlobalBlock& image, bool firstFrame, int* paletteMode, int* dither)
{
    DWORD flags = QUANTIZE_USE_PALETTE;
    HPALETTE palette = g_appState.documentPalette;
    const bool medianCut = GetKeyState(VK_SHIFT) >= 0;
    if (*dither == DITHER_ASK && !(firstFrame && *paletteMode == 1)) {
        const int answer = AskPalette(IDD_CURRENT_PALETTE_REQUEST);
        if (answer < 0) return 0;
        *dither = answer == 1;
    } else if (firstFrame && *paletteMode == 1) {
        const int answer = AskPalette(IDD_STANDARD_PALETTE_REQUEST);
        if (answer < 0) return 0;
        *dither = answer == 1;
        *paletteMode = answer == 2 ? 2 : 0;
    }
    if (firstFrame) {
        // The first frame sets the palette: the standard one, or its own.
        flags = *paletteMode == 2 ? QUANTIZE_BUILD_PALETTE | (medianCut ? QUANTIZE_MEDIAN_CUT : 0)
                                  : QUANTIZE_BUILD_PALETTE | QUANTIZE_KEEP_STANDARD;
        palette = nullptr;
    }
    if (*dither == 1) flags |= QUANTIZE_DITHER;
    HGLOBAL reduced = nullptr;
    {
        GlobalLockGuard<BYTE> p(image.Get());
        const BITMAPINFOHEADER* h = DibHeader(p.get());
        reduced = QuantizeDibTo8Bit(flags, h, DibBits(p.get()), h->biWidth, h->biHeight, palette);
    }
    if (!reduced) return RESULT_OUT_OF_MEMORY;
    image.Reset(reduced);
    *dither = 0;  // the rows now hold the palette's colours
    return RESULT_OK;
}

// Draws the image into the bitmap: stretched onto the whole frame, or
// unscaled at (x, y) with the uncovered parts in the transparent colour.
bool DrawImageIntoBitmap(HBITMAP bitmap, const BYTE* image, bool stretch, bool dither, int x, int y)
{
    BITMAP target{};
    if (!GetObjectA(bitmap, sizeof target, &target)) return false;
    HDC dc = CreateCompatibleDC(g_appState.memoryDC);
    if (!dc) return false;
    HGDIOBJ old = SelectObject(dc, bitmap);
    HPALETTE oldPalette = g_appState.documentPalette ? SelectPalette(dc, g_appState.documentPalette, TRUE) : nullptr;
    if (oldPalette) RealizePalette(dc);
    const auto* h = reinterpret_cast<const BITMAPINFOHEADER*>(image);
    const BYTE* bits = DibBits(const_cast<BYTE*>(image));
    const RECT frame{0, 0, target.bmWidth, target.bmHeight};
    const RECT whole{0, 0, h->biWidth, h->biHeight};
    const int mode = dither ? STRETCH_DITHER : 0;
    bool drawn = true;
    if (stretch) {
        SetStretchBltMode(dc, COLORONCOLOR);
        drawn = StretchDibToPalette(dc, frame, whole, h, bits, g_appState.documentPalette, mode);
    } else {
        RECT placed{x, y, x + h->biWidth, y + h->biHeight}, covered{};
        if (IntersectRect(&covered, &placed, &frame)) {
            const RECT source{covered.left - x, covered.top - y, covered.right - x, covered.bottom - y};
            drawn = StretchDibToPalette(dc, covered, source, h, bits, g_appState.documentPalette, mode);
        }
        FillUncovered(dc, {0, 0, frame.right, covered.top});
        FillUncovered(dc, {0, covered.bottom, frame.right, frame.bottom});
        FillUncovered(dc, {0, covered.top, covered.left, covered.bottom});
        FillUncovered(dc, {covered.right, covered.top, frame.right, covered.bottom});
    }
    GdiFlush();
    if (oldPalette) SelectPalette(dc, oldPalette, TRUE);
    SelectObject(dc, old);
    DeleteDC(dc);
    return drawn;
}

}  // namespace

int InsertDibIntoBitmap(HGLOBAL dib, HBITMAP* slot, UINT flags, int x, int y)
{
    if (!dib || !slot) return RESULT_UNKNOWN_FORMAT;
    // 1. The header, in either form, against the block it came in.
    GlobalBlock image;
    {
        GlobalLockGuard<BYTE> source(dib);
        if (!source) return RESULT_UNKNOWN_FORMAT;
        HGLOBAL plain = nullptr;
        const int result = MakePlainPackedDib(source.get(), GlobalSize(dib), &plain);
        if (result != RESULT_OK) return result;
        image.Reset(plain);
    }
    int paletteMode = flags & INSERT_PALETTE_MODE_MASK;
    const bool firstFrame = flags & INSERT_FIRST_FRAME;

    // 2. Dithering.
    int dither;
    if (flags & INSERT_KEEP_DECISIONS) dither = s_lastDecisions.dither;
    else if (flags & INSERT_NO_DITHER) dither = 0;
    else if (flags & INSERT_DITHER) dither = 1;
    else if (paletteMode == 1) dither = DITHER_ASK;
    else dither = (g_appState.optionFlags & OPTION_DITHER_ON_OPEN) ? 1 : 0;

    int imageBits, imageWidth, imageHeight;
    {
        GlobalLockGuard<BITMAPINFOHEADER> h(image.Get());
        imageBits = h.get()->biBitCount;
        imageWidth = h.get()->biWidth;
        imageHeight = h.get()->biHeight;
    }

    // 3. The target format and size.
    int targetFormat = g_appState.colorCount;
    int bitmapWidth = g_appState.frameWidth, bitmapHeight = g_appState.frameHeight;
    if (firstFrame) {
        targetFormat = BitsToColorCount(imageBits);
        if (g_appState.bitmapMode.useDeviceBitmaps && g_appState.displayColorCount > 0 &&
            targetFormat > g_appState.displayColorCount)
            targetFormat = g_appState.displayColorCount;
        bitmapWidth = g_appState.frameWidth = ClampFrameSide(imageWidth);
        bitmapHeight = g_appState.frameHeight = ClampFrameSide(imageHeight);
    } else if (flags & INSERT_IMAGE_SIZE) {
        bitmapWidth = ClampFrameSide(imageWidth);
        bitmapHeight = ClampFrameSide(imageHeight);
    }

    // 4. Deep images going into a palette format are reduced first.
    if (imageBits >= 16 && targetFormat >= COLORS_16 && targetFormat <= COLORS_256 &&
        (g_appState.bitmapMode.useDeviceBitmaps || dither != 0 || paletteMode != 0)) {
        const int result = ReduceDeepImage(image, firstFrame, &paletteMode, &dither);
        if (result != RESULT_OK) return result;
        imageBits = 8;
    }

    // 5. The palette.
    {
        GlobalLockGuard<BYTE> p(image.Get());
        const BITMAPINFOHEADER* h = DibHeader(p.get());
        const RGBQUAD* colors = DibColors(p.get());
        const int count = imageBits <= 8 ? static_cast<int>(h->biClrUsed) : 0;
        if (firstFrame) {
            int answer = -1;
            if (!ApplyFilePalette(imageBits, count ? colors : nullptr, count, paletteMode, &answer)) return 0;
            if (answer >= 0 && dither == DITHER_ASK) dither = answer;
        }
        if (flags & INSERT_MERGE_COLORS) MergeColorTable(colors, count, true);
        if (dither == DITHER_ASK && g_appState.colorCount <= COLORS_256 && count > 16 &&
            !IsStandardPalette(colors, count)) {
            const int answer = AskPalette(IDD_CURRENT_PALETTE_REQUEST);
            if (answer < 0) return 0;
            dither = answer == 1;
        }
        if (dither == DITHER_ASK) dither = 0;
    }

    // 6. Stretching.
    int stretch = 0;
    if (flags & INSERT_KEEP_DECISIONS) stretch = s_lastDecisions.stretch;
    else if (flags & INSERT_STRETCH) stretch = 1;
    else if ((flags & INSERT_ASK_STRETCH) && (imageWidth != bitmapWidth || imageHeight != bitmapHeight)) {
        const int ask = (g_appState.optionFlags >> OPTION_ASK_STRETCH_SHIFT) & 3;
        stretch = ask == 2 ? 1 : ask == 1 ? AskScaleFrame() : 0;
    }
    s_lastDecisions = {dither, stretch};

    // 7. The bitmap.
    if (!*slot) {
        *slot = CreateFrameBitmap(bitmapWidth, bitmapHeight);
        if (!*slot) return RESULT_OUT_OF_MEMORY;
    }
    GlobalLockGuard<BYTE> p(image.Get());
    DrawImageIntoBitmap(*slot, p.get(), stretch != 0, dither == 1, x, y);
    return RESULT_OK;
}
