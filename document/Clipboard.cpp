// Frames and the system clipboard (see Clipboard.h).
#include "Clipboard.h"
#include "AppState.h"
#include "ColorReduction.h"
#include "DibPixels.h"
#include "DocumentMessages.h"
#include "FrameBitmaps.h"
#include "PackedDib.h"
#include "Palette.h"
#include "ResultCodes.h"
#include "Undo.h"
#include <algorithm>
#include <cstring>

namespace {

constexpr UINT MSG_CLIPBOARD_UNAVAILABLE = 28674;
constexpr UINT CLIPBOARD_DIB_FLAGS = INSERT_IMAGE_SIZE | INSERT_NO_DITHER;  // 520
// "The clipboard's palette" answer of the standard-palette request.
constexpr int CLIPBOARD_PALETTE_FLAGS = INSERT_MERGE_COLORS | INSERT_NO_DITHER | 3;  // 43
constexpr int FIRST_COMPARED_ENTRY = 8, LAST_COMPARED_ENTRY = 247;
constexpr int ENTRIES_NEEDED_FOR_COMPARISON = 22;  // a palette without entry 21 counts as matching

class BusyCursor {
public:
    BusyCursor() : previous_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
    ~BusyCursor() { SetCursor(previous_); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
private:
    HCURSOR previous_;
};

// The clipboard open for the length of a call; a clipboard that another
// program holds is reported once.
class OpenClipboardScope {
public:
    OpenClipboardScope() : open_(OpenClipboard(g_appState.mainWindow) != FALSE)
    {
        if (!open_) ShowDocumentMessage(MSG_CLIPBOARD_UNAVAILABLE, "Zelvo", MB_OK | MB_ICONINFORMATION);
    }
    ~OpenClipboardScope()
    {
        if (open_) CloseClipboard();
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    explicit operator bool() const { return open_; }
private:
    bool open_;
};

int ReportResult(int result)
{
    if (result == RESULT_OK || result == 0) return result;
    ShowDocumentMessage(static_cast<UINT>(result), nullptr, MB_OK | MB_ICONSTOP);
    return 0;
}

bool MasksHold(const DWORD masks[3])
{
    return masks[0] && masks[1] && masks[2] && !(masks[0] & masks[1]) && !(masks[0] & masks[2]) &&
           !(masks[1] & masks[2]);
}

// A CF_DIB block as another program left it: the header, its colour count,
// the bit-field masks and the rows against the block's real size.
int CheckClipboardDib(HANDLE data, PackedDibLayout* layout)
{
    if (!data) return RESULT_UNKNOWN_FORMAT;
    const SIZE_T size = GlobalSize(data);
    GlobalLockGuard<BYTE> p(data);
    if (!p || size < sizeof(BITMAPINFOHEADER)) return RESULT_UNKNOWN_FORMAT;
    BITMAPINFOHEADER h;
    memcpy(&h, p.get(), sizeof h);
    if (h.biSize >= sizeof h && (h.biBitCount <= 8 ? h.biClrUsed > (1u << h.biBitCount) : h.biClrUsed > 256))
        return RESULT_UNKNOWN_FORMAT;
    const int result = ReadPackedDibLayout(p.get(), size, layout);
    if (result != RESULT_OK) return result;
    if (layout->header.biCompression == BI_BITFIELDS && !MasksHold(layout->masks)) return RESULT_UNKNOWN_FORMAT;
    return RESULT_OK;
}

int PaletteEntryCount(HPALETTE palette)
{
    WORD count = 0;
    return palette && GetObjectA(palette, sizeof count, &count) ? count : 0;
}

bool TableEqualsDocument(const RGBQUAD* colors, int count)
{
    PALETTEENTRY entries[256];
    const int size = g_appState.documentPalette
                         ? static_cast<int>(GetPaletteEntries(g_appState.documentPalette, 0, 256, entries))
                         : 0;
    if (!colors || count != size || size == 0) return false;
    for (int i = 0; i < size; ++i)
        if (colors[i].rgbRed != entries[i].peRed || colors[i].rgbGreen != entries[i].peGreen ||
            colors[i].rgbBlue != entries[i].peBlue)
            return false;
    return true;
}

int AskPalette(int templateId) { return g_appState.hooks.paletteRequest ? g_appState.hooks.paletteRequest(templateId) : 0; }

COLORREF TransparentRgb() { return PaletteIndexToRgb(GetToolColor(ROLE_TRANSPARENT)) & 0xFFFFFF; }

int DisplayColorCount() { return g_appState.displayColorCount ? g_appState.displayColorCount : BitsToColorCount(GetDisplayBitsPerPixel()); }

// A DC holding a bitmap for a copy: the work DC it is selected into, else a
// DC of its own for the scope.
class BitmapDc {
public:
    explicit BitmapDc(HBITMAP bitmap)
    {
        for (HDC dc : {g_appState.memoryDC, g_appState.scratchDC})
            if (dc && GetCurrentObject(dc, OBJ_BITMAP) == bitmap) dc_ = dc;
        if (!dc_) {
            own_ = CreateCompatibleDC(nullptr);
            if (own_) old_ = SelectObject(own_, bitmap);
            dc_ = own_;
        }
    }
    ~BitmapDc()
    {
        if (own_) {
            SelectObject(own_, old_);
            DeleteDC(own_);
        }
    }
    BitmapDc(const BitmapDc&) = delete;
    BitmapDc& operator=(const BitmapDc&) = delete;
    HDC Get() const { return dc_; }
private:
    HDC dc_ = nullptr, own_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP info{};
    return GetObjectA(bitmap, sizeof info, &info) ? SIZE{info.bmWidth, info.bmHeight} : SIZE{0, 0};
}

// A device bitmap of the clipboard read into a packed DIB: 8-bit rows in its
// own palette when it has one, else 24-bit rows.
HGLOBAL ClipboardBitmapToDib(HBITMAP bitmap, HPALETTE palette)
{
    const SIZE size = BitmapSize(bitmap);
    if (size.cx <= 0 || size.cy <= 0) return nullptr;
    const int bits = palette ? 8 : 24;
    GlobalBlock dib(CreateImageDib(size.cx, size.cy, bits, nullptr, bits == 8 ? 256 : 0));
    if (!dib) return nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return nullptr;
    HPALETTE old = palette ? SelectPalette(dc, palette, TRUE) : nullptr;
    if (palette) RealizePalette(dc);
    int rows = 0;
    {
        GlobalLockGuard<BYTE> p(dib.Get());
        BITMAPINFOHEADER* h = DibHeader(p.get());
        rows = GetDIBits(dc, bitmap, 0, size.cy, DibBits(p.get()), reinterpret_cast<BITMAPINFO*>(h), DIB_RGB_COLORS);
        h->biClrUsed = bits == 8 ? 256 : 0;
        h->biCompression = BI_RGB;
    }
    if (old) SelectPalette(dc, old, TRUE);
    DeleteDC(dc);
    return rows > 0 ? dib.Release() : nullptr;
}

// A frame-format bitmap of the image's own size from a packed DIB.
int BitmapFromDib(HGLOBAL dib, UINT flags, HBITMAP* out)
{
    *out = nullptr;
    const int result = InsertDibIntoBitmap(dib, out, flags | INSERT_IMAGE_SIZE, 0, 0);
    if (result != RESULT_OK && *out) {
        DeleteObject(*out);
        *out = nullptr;
    }
    return result;
}

// The clipboard's CF_DIB, checked, as a frame-format bitmap in the colour
// mode the user chose. `fixedFlags` 0 asks DecideClipboardColorMode.
int BitmapFromClipboardDib(UINT fixedFlags, HBITMAP* out)
{
    HANDLE data = GetClipboardData(CF_DIB);
    PackedDibLayout layout;
    const int checked = CheckClipboardDib(data, &layout);
    if (checked != RESULT_OK) return checked;
    int flags = static_cast<int>(fixedFlags);
    if (!fixedFlags) {
        flags = DecideClipboardColorMode(layout.header.biBitCount, layout.colorCount ? layout.colors : nullptr,
                                         layout.colorCount);
        if (flags < 0) return 0;
    }
    return BitmapFromDib(static_cast<HGLOBAL>(data), static_cast<UINT>(flags), out);
}

// A copy of a device bitmap in the frame format, drawn through its palette.
HBITMAP CopyIntoFrameFormat(HBITMAP source, HPALETTE palette)
{
    const SIZE size = BitmapSize(source);
    if (size.cx <= 0 || size.cy <= 0) return nullptr;
    HBITMAP copy = CreateFrameBitmap(size.cx, size.cy);
    if (!copy) return nullptr;
    HDC from = CreateCompatibleDC(nullptr), to = CreateCompatibleDC(nullptr);
    HGDIOBJ oldFrom = SelectObject(from, source), oldTo = SelectObject(to, copy);
    HPALETTE oldPalette = palette ? SelectPalette(from, palette, TRUE) : nullptr;
    if (palette) RealizePalette(from);
    HPALETTE oldTarget = SelectDocumentPalette(to);
    BitBlt(to, 0, 0, size.cx, size.cy, from, 0, 0, SRCCOPY);
    if (oldTarget) SelectPalette(to, oldTarget, TRUE);
    if (oldPalette) SelectPalette(from, oldPalette, TRUE);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);
    return copy;
}

// A clipboard bitmap in a foreign palette: its 8-bit rows in that palette,
// drawn through the document palette's colour mapping.
HBITMAP RemapClipboardBitmap(HBITMAP source, HPALETTE palette)
{
    GlobalBlock dib(ClipboardBitmapToDib(source, palette));
    if (!dib) return nullptr;
    const SIZE size = BitmapSize(source);
    HBITMAP copy = CreateFrameBitmap(size.cx, size.cy);
    if (!copy) return nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, copy);
    {
        GlobalLockGuard<BYTE> p(dib.Get());
        const RECT whole{0, 0, size.cx, size.cy};
        StretchDibToPalette(dc, whole, whole, DibHeader(p.get()), DibBits(p.get()), g_appState.documentPalette,
                            STRETCH_REMAP);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return copy;
}

// The clipboard's CF_BITMAP as a frame-format bitmap: converted first where
// its colours do not hold in the frames.
int BitmapFromClipboardBitmap(HBITMAP* out)
{
    *out = nullptr;
    HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    if (!bitmap) return RESULT_UNKNOWN_FORMAT;
    HPALETTE palette = static_cast<HPALETTE>(GetClipboardData(CF_PALETTE));
    if (DisplayColorCount() > COLORS_16 &&
        ((!palette && GetDisplayBitsPerPixel() > 8) || (palette && !PaletteMatchesDocument(palette)))) {
        if (!ConvertClipboardBitmap(bitmap, palette)) return 0;
        bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
        palette = nullptr;
        if (!bitmap) return RESULT_UNKNOWN_FORMAT;
    }
    *out = CopyIntoFrameFormat(bitmap, palette);
    return *out ? RESULT_OK : RESULT_OUT_OF_MEMORY;
}

// The clipboard image for a paste into frames, the clipboard already open.
int ClipboardImageForPaste(HBITMAP* out)
{
    if (IsClipboardFormatAvailable(CF_DIB)) return BitmapFromClipboardDib(0, out);
    if (IsClipboardFormatAvailable(CF_BITMAP)) return BitmapFromClipboardBitmap(out);
    *out = nullptr;
    return 0;
}

bool IsDeviceBitmap(HBITMAP bitmap)
{
    DIBSECTION section{};
    return GetObjectA(bitmap, sizeof section, &section) != sizeof section;
}

// Pastes pixel by pixel where both are DIB sections of one depth (the colour
// indexes stay exact); returns false when they are not.
bool PasteDibPixels(HBITMAP target, int x, int y, HBITMAP picture, int width, int height)
{
    if (IsDeviceBitmap(target) || IsDeviceBitmap(picture)) return false;
    DibPixels to(target), from(picture);
    if (!to.Valid() || !from.Valid() || to.BitsPerPixel() != from.BitsPerPixel()) return false;
    const bool transparent = g_appState.toolColors.transparentColorOn != 0;
    const COLORREF key = TransparentRgb();
    width = std::min(width, from.Width());
    height = std::min(height, from.Height());
    for (int row = 0; row < height; ++row) {
        if (y + row < 0 || y + row >= to.Height()) continue;
        for (int column = 0; column < width; ++column) {
            if (!to.Inside(x + column, y + row)) continue;
            if (transparent && from.HasColor(column, row, key)) continue;
            to.Set(x + column, y + row, from.Get(column, row));
        }
    }
    return true;
}

}  // namespace

// ---- availability and size ------------------------------------------------------------

bool IsClipboardImageAvailable()
{
    return IsClipboardFormatAvailable(CF_BITMAP) || IsClipboardFormatAvailable(CF_DIB);
}

int GetClipboardImageSize(int* width, int* height, int* bits)
{
    OpenClipboardScope clipboard;
    if (!clipboard) return 0;
    int w = 0, h = 0, b = 0;
    if (IsClipboardFormatAvailable(CF_DIB)) {
        PackedDibLayout layout;
        const int checked = CheckClipboardDib(GetClipboardData(CF_DIB), &layout);
        if (checked != RESULT_OK) return ReportResult(checked);
        w = layout.header.biWidth;
        h = abs(layout.header.biHeight);
        b = layout.header.biBitCount;
    } else if (IsClipboardFormatAvailable(CF_BITMAP)) {
        BITMAP info{};
        if (!GetObjectA(GetClipboardData(CF_BITMAP), sizeof info, &info)) return ReportResult(RESULT_UNKNOWN_FORMAT);
        w = info.bmWidth;
        h = info.bmHeight;
        b = info.bmBitsPixel * info.bmPlanes;
    } else {
        return 0;
    }
    if (width) *width = w;
    if (height) *height = h;
    if (bits) *bits = b;
    return 1;
}

// ---- colour decisions ---------------------------------------------------------------------

int DecideClipboardColorMode(int bits, const RGBQUAD* colors, int count)
{
    if (g_appState.colorCount > COLORS_256) return 0;
    if (bits <= 4 || TableEqualsDocument(colors, count)) return INSERT_NO_DITHER;
    const int option = static_cast<int>((g_appState.optionFlags >> OPTION_CLIPBOARD_PALETTE_SHIFT) & OPTION_TWO_BITS);
    int flags;
    if (option != 1) {
        flags = option | ((g_appState.optionFlags & OPTION_DITHER_ON_PASTE) ? INSERT_DITHER : INSERT_NO_DITHER);
    } else if (g_appState.frameCount == 1 && g_appState.colorCount > COLORS_16) {
        const int answer = AskPalette(IDD_STANDARD_PALETTE_REQUEST);
        if (answer < 0) return -1;
        flags = answer == 1 ? INSERT_DITHER : answer == 2 ? CLIPBOARD_PALETTE_FLAGS : INSERT_NO_DITHER;
    } else {
        const int answer = AskPalette(IDD_CURRENT_PALETTE_REQUEST);
        if (answer < 0) return -1;
        flags = answer == 1 ? INSERT_DITHER : INSERT_NO_DITHER;
    }
    // The clipboard's own palette can only become the document's while no
    // other frame depends on the present one.
    if ((flags & INSERT_PALETTE_MODE_MASK) == 2) {
        if (g_appState.frameCount <= 1) flags |= INSERT_MERGE_COLORS;
        else flags &= ~static_cast<int>(INSERT_PALETTE_MODE_MASK);
    }
    return flags;
}

int PaletteMatchesDocument(HPALETTE palette)
{
    const int size = PaletteEntryCount(palette);
    if (size < ENTRIES_NEEDED_FOR_COMPARISON) return 1;
    if (!g_appState.documentPalette) return 0;
    const int last = std::min(LAST_COMPARED_ENTRY, size - 1);
    PALETTEENTRY theirs[8], ours[8];
    for (int first = FIRST_COMPARED_ENTRY; first <= last; first += 8) {
        const int n = std::min(8, last - first + 1);
        if (GetPaletteEntries(palette, first, n, theirs) != static_cast<UINT>(n) ||
            GetPaletteEntries(g_appState.documentPalette, first, n, ours) != static_cast<UINT>(n))
            return 0;
        for (int i = 0; i < n; ++i)
            if (theirs[i].peRed != ours[i].peRed || theirs[i].peGreen != ours[i].peGreen ||
                theirs[i].peBlue != ours[i].peBlue)
                return 0;
    }
    return 1;
}

int ConvertClipboardBitmap(HBITMAP bitmap, HPALETTE palette)
{
    GlobalBlock dib(ClipboardBitmapToDib(bitmap, palette));
    if (!dib) return ShowOutOfMemory();
    int flags;
    {
        GlobalLockGuard<BYTE> p(dib.Get());
        const BITMAPINFOHEADER* h = DibHeader(p.get());
        flags = DecideClipboardColorMode(h->biBitCount, h->biBitCount <= 8 ? DibColors(p.get()) : nullptr,
                                         static_cast<int>(h->biClrUsed));
    }
    if (flags < 0) return 0;
    HBITMAP converted = nullptr;
    const int result = BitmapFromDib(dib.Get(), static_cast<UINT>(flags), &converted);
    if (result != RESULT_OK) return ReportResult(result);
    // The clipboard owns the new bitmap from here on.
    if (!SetClipboardData(CF_BITMAP, converted)) {
        DeleteObject(converted);
        return 0;
    }
    return 1;
}

// ---- transparency ------------------------------------------------------------------------

DWORD CreateTransparencyMask(HBITMAP bitmap, int x, int y, int width, int height, int convert, TransparencyMask* out)
{
    *out = {nullptr, SRCCOPY, 0};
    if (!g_appState.toolColors.transparentColorOn || width <= 0 || height <= 0) return SRCCOPY;
    HBITMAP mask = CreateMonoBitmap(width, height);
    HDC maskDc = CreateCompatibleDC(nullptr);
    if (!mask || !maskDc) {
        if (mask) DeleteObject(mask);
        if (maskDc) DeleteDC(maskDc);
        return SRCCOPY;
    }
    HGDIOBJ oldMask = SelectObject(maskDc, mask);
    const COLORREF key = TransparentRgb();
    {
        // Pixels of the background colour become set bits of the mask.
        BitmapDc picture(bitmap);
        HPALETTE oldPalette = SelectDocumentPalette(picture.Get());
        const COLORREF oldBack = SetBkColor(picture.Get(), key);
        BitBlt(maskDc, 0, 0, width, height, picture.Get(), x, y, SRCCOPY);
        SetBkColor(picture.Get(), oldBack);
        if (oldPalette) SelectPalette(picture.Get(), oldPalette, TRUE);
    }
    const int last = g_appState.toolColors.paletteSize - 1;
    const int index = g_appState.toolColors.transparentColorIndex;
    const bool firstEntry = g_appState.colorCount <= COLORS_256 ? index == 0 : key == RGB(0, 0, 0);
    const bool lastEntry = g_appState.colorCount <= COLORS_256 ? index == last : key == RGB(255, 255, 255);
    if (lastEntry) {
        // All bits set in the picture's transparent pixels: OR the opaque
        // parts white, then AND the picture in.
        PatBlt(maskDc, 0, 0, width, height, DSTINVERT);
        *out = {mask, SRCPAINT, SRCAND};
    } else {
        if (!firstEntry && convert) {
            // The picture's transparent pixels become black for the OR.
            BitmapDc picture(bitmap);
            const COLORREF oldText = SetTextColor(picture.Get(), RGB(255, 255, 255));
            const COLORREF oldBack = SetBkColor(picture.Get(), RGB(0, 0, 0));
            BitBlt(picture.Get(), x, y, width, height, maskDc, 0, 0, SRCAND);
            SetTextColor(picture.Get(), oldText);
            SetBkColor(picture.Get(), oldBack);
        }
        *out = {mask, SRCAND, SRCPAINT};
    }
    SelectObject(maskDc, oldMask);
    DeleteDC(maskDc);
    return out->firstRop;
}

void FreeTransparencyMask(TransparencyMask* mask)
{
    if (mask->mask) DeleteObject(mask->mask);
    *mask = {nullptr, SRCCOPY, 0};
}

void PasteThroughTransparency(HBITMAP target, int x, int y, HBITMAP picture, int width, int height)
{
    if (!target || !picture) return;
    if (PasteDibPixels(target, x, y, picture, width, height)) return;
    // Device bitmaps: through the mask and its raster operations.
    TransparencyMask transparency;
    CreateTransparencyMask(picture, 0, 0, width, height, 1, &transparency);
    BitmapDc to(target), from(picture);
    if (transparency.mask) {
        HDC maskDc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(maskDc, transparency.mask);
        const COLORREF oldText = SetTextColor(to.Get(), RGB(0, 0, 0));
        const COLORREF oldBack = SetBkColor(to.Get(), RGB(255, 255, 255));
        BitBlt(to.Get(), x, y, width, height, maskDc, 0, 0, transparency.firstRop);
        SetTextColor(to.Get(), oldText);
        SetBkColor(to.Get(), oldBack);
        BitBlt(to.Get(), x, y, width, height, from.Get(), 0, 0, transparency.secondRop);
        SelectObject(maskDc, old);
        DeleteDC(maskDc);
    } else {
        BitBlt(to.Get(), x, y, width, height, from.Get(), 0, 0, SRCCOPY);
    }
    FreeTransparencyMask(&transparency);
}

// ---- pasting -------------------------------------------------------------------------------

int GetClipboardImageWithMask(ClipboardImage* image)
{
    *image = ClipboardImage{nullptr, {nullptr, SRCCOPY, 0}, 0, 0};
    BusyCursor busy;
    HBITMAP bitmap = nullptr;
    {
        OpenClipboardScope clipboard;
        if (!clipboard) return 0;
        int result = 0;
        if (IsClipboardFormatAvailable(CF_DIB)) {
            result = BitmapFromClipboardDib(CLIPBOARD_DIB_FLAGS, &bitmap);
        } else if (IsClipboardFormatAvailable(CF_BITMAP)) {
            HBITMAP source = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
            HPALETTE palette = static_cast<HPALETTE>(GetClipboardData(CF_PALETTE));
            const bool foreign = palette && palette != g_appState.clipboardPalette;
            bitmap = DisplayColorCount() > COLORS_16 && foreign ? RemapClipboardBitmap(source, palette)
                                                                 : CopyIntoFrameFormat(source, palette);
            result = bitmap ? RESULT_OK : RESULT_OUT_OF_MEMORY;
        }
        if (result != RESULT_OK) return ReportResult(result);
    }
    const SIZE size = BitmapSize(bitmap);
    image->bitmap = bitmap;
    image->width = size.cx;
    image->height = size.cy;
    CreateTransparencyMask(bitmap, 0, 0, size.cx, size.cy, 1, &image->transparency);
    return 1;
}

void FreeClipboardImage(ClipboardImage* image)
{
    if (image->bitmap) DeleteObject(image->bitmap);
    FreeTransparencyMask(&image->transparency);
    *image = ClipboardImage{nullptr, {nullptr, SRCCOPY, 0}, 0, 0};
}

int PasteClipboardIntoFrame(HBITMAP frame)
{
    if (!frame) return 0;
    BusyCursor busy;
    HBITMAP image = nullptr;
    {
        OpenClipboardScope clipboard;
        if (!clipboard) return 0;
        const int result = ClipboardImageForPaste(&image);
        if (result != RESULT_OK) return ReportResult(result);
    }
    const SIZE frameSize = BitmapSize(frame), imageSize = BitmapSize(image);
    PasteThroughTransparency(frame, 0, 0, image, std::min(frameSize.cx, imageSize.cx),
                             std::min(frameSize.cy, imageSize.cy));
    DeleteObject(image);
    return 1;
}

int PasteClipboardIntoSelectedFrames(int x, int y, int width, int height, int recordUndo)
{
    HBITMAP image = nullptr;
    {
        BusyCursor busy;
        OpenClipboardScope clipboard;
        if (!clipboard) return 0;
        const int result = ClipboardImageForPaste(&image);
        if (result != RESULT_OK) return ReportResult(result);
    }
    const SIZE imageSize = BitmapSize(image);
    width = std::min(width, static_cast<int>(imageSize.cx));
    height = std::min(height, static_cast<int>(imageSize.cy));
    auto next = [](int previous) {
        if (g_appState.hooks.nextSelectedFrame) return g_appState.hooks.nextSelectedFrame(previous);
        return previous < 0 && g_appState.currentFrame < g_appState.frameCount ? g_appState.currentFrame : -1;
    };
    int pasted = 1;
    if (recordUndo) RecordUndo(UNDO_BEGIN_GROUP | UNDO_SAVE_SELECTION, g_appState.currentFrame);
    for (int frame = next(-1); frame >= 0; frame = next(frame)) {
        if (recordUndo && !RecordUndo(UNDO_SAVE_FRAME, frame)) {
            pasted = 0;
            break;
        }
        PasteThroughTransparency(g_appState.frameBitmaps[frame], x, y, image, width, height);
    }
    if (recordUndo) RecordUndo(UNDO_END_GROUP, g_appState.currentFrame);
    DeleteObject(image);
    if (g_appState.hooks.clearFrameSelectionIfAuto) g_appState.hooks.clearFrameSelectionIfAuto();
    return pasted;
}

// ---- copying -------------------------------------------------------------------------------

void PutPaletteOnClipboard()
{
    if (g_appState.colorCount < COLORS_16 || DisplayColorCount() < COLORS_256 || !g_appState.documentPalette) return;
    PALETTEENTRY entries[STANDARD_PALETTE_SIZE] = {};
    const int size = std::clamp(g_appState.toolColors.paletteSize, 0, STANDARD_PALETTE_SIZE);
    GetPaletteEntries(g_appState.documentPalette, 0, size, entries);
    HPALETTE palette = CreateLogicalPalette(entries, STANDARD_PALETTE_SIZE);
    if (!palette) return;
    // The clipboard owns it; it is remembered to know our own palette again.
    if (SetClipboardData(CF_PALETTE, palette)) g_appState.clipboardPalette = palette;
    else DeleteObject(palette);
}

int CopyBitmapToClipboard(HBITMAP picture)
{
    if (!picture) return 0;
    BusyCursor busy;
    OpenClipboardScope clipboard;
    if (!clipboard) return 0;
    EmptyClipboard();
    bool copied = false;
    if (HGLOBAL dib = BitmapToPackedDib(picture, ColorCountToBits(g_appState.colorCount))) {
        copied = SetClipboardData(CF_DIB, dib) != nullptr;
        if (!copied) GlobalFree(dib);
    }
    if (!copied) {
        // No DIB: a device bitmap with the palette it is drawn in.
        const SIZE size = BitmapSize(picture);
        HBITMAP copy = CreateDisplayBitmap(size.cx, size.cy);
        if (copy) {
            HDC dc = CreateCompatibleDC(nullptr);
            HGDIOBJ old = SelectObject(dc, copy);
            BitmapDc from(picture);
            BitBlt(dc, 0, 0, size.cx, size.cy, from.Get(), 0, 0, SRCCOPY);
            SelectObject(dc, old);
            DeleteDC(dc);
            copied = SetClipboardData(CF_BITMAP, copy) != nullptr;
            if (!copied) DeleteObject(copy);
        }
        if (!copied) return ShowOutOfMemory();
    }
    PutPaletteOnClipboard();
    return 1;
}
