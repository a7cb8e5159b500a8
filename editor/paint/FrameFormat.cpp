// The change of frame format (see FrameFormat.h).
#include "FrameFormat.h"
#include "AppState.h"
#include "ColorReduction.h"
#include "DialogUtilities.h"
#include "DibPixels.h"
#include "DocumentMessages.h"
#include "DocumentModel.h"
#include "FrameBitmaps.h"
#include "FrameCanvas.h"
#include "PackedDib.h"
#include "Palette.h"
#include "PixelEffects.h"
#include "Undo.h"
#include "Workspace.h"
#include "resource.h"
#include <algorithm>
#include <vector>

namespace {

constexpr uint32_t HISTOGRAM_START_THRESHOLD = 2048;

// The document's format as it was, to go back to after a cancel.
struct SavedFormat {
    int colorCount;
    RGBQUAD table[256];
    int entries;
    int pen, fill, transparent;
};

SavedFormat SaveFormat()
{
    SavedFormat saved{};
    saved.colorCount = g_appState.colorCount;
    PALETTEENTRY entries[256];
    saved.entries = g_appState.documentPalette ? static_cast<int>(GetPaletteEntries(g_appState.documentPalette, 0, 256, entries)) : 0;
    for (int i = 0; i < saved.entries; ++i) saved.table[i] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    saved.pen = g_appState.toolColors.penColorIndex;
    saved.fill = g_appState.toolColors.fillColorIndex;
    saved.transparent = g_appState.toolColors.transparentColorIndex;
    return saved;
}

void RestoreFormat(const SavedFormat& saved)
{
    SetColorFormat(saved.colorCount, saved.entries ? saved.table : nullptr, saved.entries);
    SetToolColorIndex(ROLE_PEN, saved.pen);
    SetToolColorIndex(ROLE_FILL, saved.fill);
    SetToolColorIndex(ROLE_TRANSPARENT, saved.transparent);
}

// Format 3 counts as 16 when colour counts are compared.
int ComparableCount(int colorCount) { return colorCount == COLORS_3 ? COLORS_16 : colorCount; }

// One palette for every frame from a 32 x 32 x 32 histogram of their 5-5-5
// colours (frames above 256 colours).
int BuildFramesPalette(const std::vector<GlobalBlock>& dibs, bool quantize, RGBQUAD table[256])
{
    GlobalBlock block(AllocColorHistogram());
    if (!block) return 0;
    GlobalLockGuard<uint32_t> histogram(block.Get());
    uint32_t pixels = 0;
    for (const GlobalBlock& dib : dibs) {
        GlobalLockGuard<BYTE> p(dib.Get());
        const BITMAPINFOHEADER* h = DibHeader(p.get());
        const int bits = h->biBitCount, width = h->biWidth, height = std::abs(h->biHeight);
        const uint32_t stride = DibStride(width, bits);
        const BYTE* rows = DibBits(p.get());
        for (int y = 0; y < height; ++y) {
            const BYTE* row = rows + static_cast<size_t>(y) * stride;
            for (int x = 0; x < width; ++x) {
                int cell;
                if (bits == 16) cell = (row[2 * x] | row[2 * x + 1] << 8) & 0x7FFF;
                else {
                    const BYTE* q = row + x * (bits / 8);
                    cell = ColorCell(q[2], q[1], q[0]);
                }
                CountColorCell(histogram.get(), cell);
                ++pixels;
            }
        }
    }
    uint32_t threshold = HISTOGRAM_START_THRESHOLD;
    for (int i = 0; i < COLOR_CUBE_CELLS; ++i)
        while (histogram.get()[i] > threshold && threshold < 0x40000000u) threshold *= 2;
    return BuildPaletteFromHistogram(histogram.get(), table, 256, quantize ? pixels : 0, threshold);
}

// A frame's rows at 8 bits in the given palette (from more than 256 colours).
HGLOBAL QuantizeFrame(HGLOBAL dib, uint32_t flags, HPALETTE palette)
{
    GlobalLockGuard<BYTE> p(dib);
    const BITMAPINFOHEADER* h = DibHeader(p.get());
    DWORD mode = QUANTIZE_USE_PALETTE;
    if (flags & FORMAT_DITHER) mode |= QUANTIZE_DITHER;
    return QuantizeDibTo8Bit(mode, h, DibBits(p.get()), h->biWidth, std::abs(h->biHeight), palette);
}

// A frame of the new format: the background colour, then the old picture
// stretched or placed at (-x, -y).
HBITMAP DrawNewFrame(HGLOBAL dib, const FrameFormatRequest& r, COLORREF background)
{
    HBITMAP bitmap = CreateFrameBitmap(r.width, r.height);
    if (!bitmap) return nullptr;
    {
        DibPixels pixels(bitmap);
        if (pixels.Valid()) {
            const uint32_t value = pixels.ValueOf(background);
            for (int y = 0; y < pixels.Height(); ++y)
                for (int x = 0; x < pixels.Width(); ++x) pixels.Set(x, y, value);
            pixels.Commit();
        }
    }
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HPALETTE oldPalette = SelectDocumentPalette(dc);
    SetStretchBltMode(dc, COLORONCOLOR);
    {
        GlobalLockGuard<BYTE> p(dib);
        const BITMAPINFOHEADER* h = DibHeader(p.get());
        const int w = h->biWidth, hh = std::abs(h->biHeight);
        const RECT source{0, 0, w, hh};
        const RECT destination = (r.flags & FORMAT_STRETCH) ? RECT{0, 0, r.width, r.height}
                                                            : RECT{-r.x, -r.y, w - r.x, hh - r.y};
        // A palette format takes the old rows onto its palette; a true-colour
        // one keeps them in their own colours.
        const int mode = r.colorCount > COLORS_256 ? STRETCH_OWN_COLORS
                                                   : STRETCH_REMAP | ((r.flags & FORMAT_DITHER) ? STRETCH_DITHER : 0);
        StretchDibToPalette(dc, destination, source, h, DibBits(p.get()), g_appState.documentPalette, mode);
    }
    GdiFlush();
    if (oldPalette) SelectPalette(dc, oldPalette, TRUE);
    SelectObject(dc, old);
    DeleteDC(dc);
    return bitmap;
}

void FreeBitmaps(std::vector<HBITMAP>& bitmaps)
{
    for (HBITMAP b : bitmaps)
        if (b) DeleteObject(b);
    bitmaps.clear();
}

bool AskReduce()
{
    char caption[RESOURCE_STRING_LENGTH] = "Warning";
    LoadResourceString(IDS_WARNING, caption);
    return ShowStringMessage(g_appState.mainWindow, IDS_ASK_REDUCE_FORMAT, caption, MB_OKCANCEL | MB_ICONEXCLAMATION) == IDOK;
}

}  // namespace

int ChangeFrameFormat(const FrameFormatRequest& r)
{
    const int count = g_appState.frameCount;
    const int oldWidth = g_appState.frameWidth, oldHeight = g_appState.frameHeight, oldColors = g_appState.colorCount;
    if (count <= 0 || r.width <= 0 || r.height <= 0) return 0;
    if (r.width == oldWidth && r.height == oldHeight && r.colorCount == oldColors) return 0;
    if ((r.width < oldWidth || r.height < oldHeight) && !(r.flags & FORMAT_STRETCH) && !AskReduce()) return 0;

    const COLORREF background = PaletteIndexToRgb(GetToolColor(ROLE_TRANSPARENT)) & 0xFFFFFF;
    std::vector<GlobalBlock> dibs;
    for (int i = 0; i < count; ++i) {
        dibs.emplace_back(BitmapToPackedDib(g_appState.frameBitmaps[i], 0));
        if (!dibs.back()) return ShowOutOfMemory();
    }
    const bool reducing = ComparableCount(r.colorCount) < ComparableCount(oldColors);
    const bool toPalette = oldColors > COLORS_256 && r.colorCount <= COLORS_256 && r.colorCount != COLORS_2;
    HWND progress = nullptr;
    if (count > 1 && (r.flags & FORMAT_DITHER) && reducing)
        progress = OpenProgressDialog(g_appState.mainWindow, g_appState.instanceHandle, IDD_PROGRESS, count, nullptr);

    const SavedFormat saved = SaveFormat();
    RGBQUAD table[256];
    int entries = 0;
    if (toPalette && r.colorCount >= COLORS_256 && (r.flags & FORMAT_FRAME_COLORS))
        entries = BuildFramesPalette(dibs, (r.flags & FORMAT_QUANTIZE) != 0, table);
    if (r.colorCount != oldColors) SetColorFormat(r.colorCount, entries ? table : nullptr, entries);

    // Every new frame first; the old ones stay until all exist.
    std::vector<HBITMAP> made;
    bool cancelled = false;
    for (int i = 0; i < count && !cancelled; ++i) {
        GlobalBlock reduced;
        if (toPalette) {
            reduced = GlobalBlock(QuantizeFrame(dibs[i].Get(), r.flags, g_appState.documentPalette));
            if (!reduced) break;
        }
        HBITMAP bitmap = DrawNewFrame(reduced ? reduced.Get() : dibs[i].Get(), r, background);
        if (!bitmap) break;
        made.push_back(bitmap);
        if (progress && UpdateProgress(progress, 1, PROGRESS_ADD | PROGRESS_PUMP)) cancelled = true;
    }
    if (progress) CloseProgressDialog(progress);
    if (static_cast<int>(made.size()) != count || cancelled) {
        const bool failed = !cancelled;
        FreeBitmaps(made);
        if (r.colorCount != oldColors) RestoreFormat(saved);
        if (failed) ShowOutOfMemory();
        return 0;
    }

    ClearUndo();
    for (int i = 0; i < count; ++i) {
        for (HDC dc : {g_appState.memoryDC, g_appState.scratchDC})
            if (dc && GetCurrentObject(dc, OBJ_BITMAP) == g_appState.frameBitmaps[i]) SelectObject(dc, g_appState.defaultBitmap);
        DeleteObject(g_appState.frameBitmaps[i]);
        g_appState.frameBitmaps[i] = made[i];
        int16_t& state = g_document.frameRecords[i].frameState;
        if (state >= 0) state |= FRAME_MODIFIED;
    }
    if (g_document.sequenceState >= 0) g_document.sequenceState |= DOC_MODIFIED;
    g_appState.frameWidth = r.width;
    g_appState.frameHeight = r.height;
    if (r.colorCount != oldColors) {
        if (SequenceRecord* record = CurrentSequenceRecord())
            record->colorCount = static_cast<int16_t>(r.colorCount > COLORS_256 ? -1 : r.colorCount);
        if (SequenceHasTransparentColor()) ApplyTransparentColorCode(GetSequenceTransparentCode());
        ResetColorToolSettings();
    }
    ResizeUndoSteps(r.width, r.height);
    if (g_appState.hooks.documentChanged) g_appState.hooks.documentChanged(DOC_FRAMES_CHANGED);
    UpdateViewLayout(1);
    InvalidateFrameEditor(1);
    return 1;
}
