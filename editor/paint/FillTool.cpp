// The fill tool (tool 6): ExtFloodFill or the mask fill in every selected
// frame whose pixel at the point has the current frame's colour there, and
// the fill of a colour dropped from the palette window.
#include "AppState.h"
#include "DrawingTools.h"
#include "FrameCanvas.h"
#include "FrameSelection.h"
#include "GdiGuards.h"
#include "PaintDrawing.h"
#include "Palette.h"
#include "Undo.h"
#include <algorithm>
#include <vector>

namespace {

constexpr DWORD ROP_PATTERN_AND_DEST = 0x00A000C9;  // DPa

// AlternateFill (bits 12-13 of optionFlags): 0 and 3 ExtFloodFill, 1 only
// with a fill pattern, 2 never.
bool UsesExtFloodFill(bool withPattern)
{
    switch ((g_appState.optionFlags >> OPTION_ALTERNATE_FILL_SHIFT) & OPTION_TWO_BITS) {
    case 1: return withPattern;
    case 2: return false;
    default: return true;
    }
}

// A monochrome bitmap of w x h selected into a DC of its own.
class MonoMask {
public:
    MonoMask(int width, int height)
        : bitmap_(CreateBitmap(width, height, 1, 1, nullptr)), dc_(CreateCompatibleDC(nullptr)),
          old_(dc_ && bitmap_ ? SelectObject(dc_, bitmap_) : nullptr)
    {
    }
    ~MonoMask()
    {
        if (old_) SelectObject(dc_, old_);
        if (dc_) DeleteDC(dc_);
        if (bitmap_) DeleteObject(bitmap_);
    }
    MonoMask(const MonoMask&) = delete;
    MonoMask& operator=(const MonoMask&) = delete;
    bool Ok() const { return old_ != nullptr; }
    HDC Dc() const { return dc_; }
    HBITMAP Bitmap() const { return bitmap_; }

private:
    HBITMAP bitmap_;
    HDC dc_;
    HGDIOBJ old_;
};

// The set pixels of a monochrome mask as a region: one rectangle per run of
// a row, rows with the same runs joined into one band.
HRGN RegionOfMask(const MonoMask& mask, int width, int height)
{
    const int stride = ((width + 31) / 32) * 4;
    std::vector<BYTE> rows(static_cast<size_t>(stride) * height);
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } info{};
    info.header = {sizeof info.header, width, -height, 1, 1, BI_RGB, 0, 0, 0, 2, 0};
    if (GetDIBits(mask.Dc(), mask.Bitmap(), 0, height, rows.data(), reinterpret_cast<BITMAPINFO*>(&info),
                  DIB_RGB_COLORS) != height)
        return nullptr;
    // Which bit value is white depends on the table GetDIBits wrote.
    const bool whiteIsOne = info.colors[1].rgbRed != 0;
    std::vector<RECT> rects;
    size_t bandStart = 0, bandCount = 0;
    for (int y = 0; y < height; ++y) {
        const BYTE* row = rows.data() + static_cast<size_t>(y) * stride;
        const size_t rowStart = rects.size();
        int x = 0;
        while (x < width) {
            auto set = [&](int i) { return (((row[i >> 3] >> (7 - (i & 7))) & 1) != 0) == whiteIsOne; };
            while (x < width && !set(x)) ++x;
            const int runStart = x;
            while (x < width && set(x)) ++x;
            if (x > runStart) rects.push_back({runStart, y, x, y + 1});
        }
        const size_t rowCount = rects.size() - rowStart;
        bool same = rowCount == bandCount && rowCount > 0 && rects[bandStart].bottom == y;
        for (size_t i = 0; same && i < rowCount; ++i)
            same = rects[bandStart + i].left == rects[rowStart + i].left &&
                   rects[bandStart + i].right == rects[rowStart + i].right;
        if (same) {
            for (size_t i = 0; i < rowCount; ++i) rects[bandStart + i].bottom = y + 1;
            rects.resize(rowStart);
        } else {
            bandStart = rowStart;
            bandCount = rowCount;
        }
    }
    std::vector<BYTE> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    auto* region = reinterpret_cast<RGNDATA*>(data.data());
    region->rdh = {sizeof(RGNDATAHEADER), RDH_RECTANGLES, static_cast<DWORD>(rects.size()),
                   static_cast<DWORD>(rects.size() * sizeof(RECT)), {0, 0, width, height}};
    std::copy(rects.begin(), rects.end(), reinterpret_cast<RECT*>(region->Buffer));
    return ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), region);
}

COLORREF PixelOf(int frame, POINT at)
{
    SelectedObject bitmap(g_appState.memoryDC, g_appState.frameBitmaps[frame]);
    return GetPixel(g_appState.memoryDC, at.x, at.y);
}

// The colour ExtFloodFill compares with: device bitmaps of at most 256
// colours hold palette indexes.
COLORREF FloodSeed(COLORREF seed)
{
    if (g_appState.bitmapMode.useDeviceBitmaps && g_appState.colorCount <= COLORS_256 && g_appState.documentPalette)
        return PALETTEINDEX(GetNearestPaletteIndex(g_appState.documentPalette, seed));
    return seed;
}

}  // namespace

void MaskFill(HDC dc, int width, int height, POINT at, COLORREF seed, HBRUSH brush, HBRUSH pattern, POINT patternOrigin)
{
    MonoMask filled(width, height), region(width, height);
    if (!filled.Ok() || !region.Ok()) return;
    // Seed pixels white, the others black, in both masks.
    const COLORREF oldBack = SetBkColor(dc, seed);
    BitBlt(filled.Dc(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
    BitBlt(region.Dc(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
    SetBkColor(dc, oldBack);
    {
        SelectedObject black(filled.Dc(), GetStockObject(BLACK_BRUSH));
        ExtFloodFill(filled.Dc(), at.x, at.y, RGB(255, 255, 255), FLOODFILLSURFACE);
    }
    // What the flood turned black is all that differs: the filled region.
    BitBlt(region.Dc(), 0, 0, width, height, filled.Dc(), 0, 0, SRCINVERT);
    if (pattern) {
        SetBrushOrgEx(region.Dc(), patternOrigin.x, patternOrigin.y, nullptr);
        SetTextColor(region.Dc(), RGB(0, 0, 0));
        SetBkColor(region.Dc(), RGB(255, 255, 255));
        SelectedObject selected(region.Dc(), pattern);
        PatBlt(region.Dc(), 0, 0, width, height, ROP_PATTERN_AND_DEST);
    }
    // The region is painted through a region of its own rather than ANDed
    // and ORed into the frame: raster operations work on palette indexes,
    // and in the three-colour format white is not the all-ones index, so the
    // AND would turn the transparent colour black outside the region.
    if (HRGN area = RegionOfMask(region, width, height)) {
        FillRgn(dc, area, brush);
        DeleteObject(area);
    }
}

int FillSelectedFrames(POINT at, int role, bool withPattern, bool patternAtPoint)
{
    const int current = g_appState.currentFrame;
    const int width = g_appState.frameWidth, height = g_appState.frameHeight;
    if (current < 0 || current >= g_appState.frameCount || current >= MAX_FRAME_BITMAPS ||
        !g_appState.frameBitmaps[current] || !g_appState.memoryDC || at.x < 0 || at.y < 0 || at.x >= width ||
        at.y >= height)
        return 0;
    HCURSOR previous = SetCursor(g_appState.waitCursor ? g_appState.waitCursor : LoadCursorA(nullptr, IDC_WAIT));
    const COLORREF seed = PixelOf(current, at);
    withPattern = withPattern && g_appState.fillPatternBrush;
    const POINT origin = withPattern && patternAtPoint ? at : POINT{0, 0};
    const bool extFlood = UsesExtFloodFill(withPattern);
    // The mask fill paints the click's role colour as ExtFloodFill does; with
    // a pattern, the pattern's set pixels in the fill colour.
    HBRUSH solid = CreateSolidBrush(GetToolColor(withPattern ? ROLE_FILL : std::clamp(role, 0, 2)));
    HBRUSH brush = withPattern ? g_appState.fillPatternBrush : solid;
    int filled = 0;
    RecordUndo(UNDO_BEGIN_GROUP, current);
    {
        HDC dc = g_appState.memoryDC;
        ShapeDc set(dc, role, 1, origin, false);
        SelectObject(dc, brush);
        for (int frame = NextSelectedFrame(-1); frame >= 0; frame = NextSelectedFrame(frame)) {
            if (frame >= MAX_FRAME_BITMAPS || !g_appState.frameBitmaps[frame]) continue;
            if (PixelOf(frame, at) != seed) continue;  // a different area there: left alone
            RecordUndo(UNDO_SAVE_FRAME, frame);
            SelectedObject bitmap(dc, g_appState.frameBitmaps[frame]);
            if (!extFlood || !ExtFloodFill(dc, at.x, at.y, FloodSeed(seed), FLOODFILLSURFACE))
                MaskFill(dc, width, height, at, seed, withPattern ? solid : brush, withPattern ? brush : nullptr, origin);
            ++filled;
        }
    }
    RecordUndo(UNDO_END_GROUP, current);
    DeleteObject(solid);
    GdiFlush();
    SetCursor(previous);
    InvalidateFrameEditor(1);
    RefreshFilm();
    MarkSelectedFramesModified();
    return filled;
}

void FillDroppedColor(POINT at, int role) { FillSelectedFrames(at, role, false, false); }
