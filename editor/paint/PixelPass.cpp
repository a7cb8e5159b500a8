// The pixel passes (see PixelEffects.h).
#include "PixelEffects.h"
#include "AppState.h"
#include "AreaSelection.h"
#include "ColorReduction.h"
#include "DialogUtilities.h"
#include "DibPixels.h"
#include "FrameCanvas.h"
#include "FrameSelection.h"
#include "ImageOperations.h"
#include "PackedDib.h"
#include "PaintHost.h"
#include "PaintTools.h"
#include "Palette.h"
#include "Undo.h"
#include "resource.h"
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

EffectMatrix g_effectMatrix{{0, 0, 0, 0, 1, 0, 0, 0, 0}, 0, 0, 0};
ColorReplaceSettings g_colorReplaceSettings{0, 0, 0, 0, nullptr, 0, CLR_INVALID, REPLACE_DEFAULT_FLAGS,
                                            DEFAULT_REPLACE_TOLERANCE, DEFAULT_REPLACE_TOLERANCE,
                                            DEFAULT_REPLACE_TOLERANCE};
ColorAdjustSettings g_colorAdjustSettings{0, 0, 0, 0, nullptr, ADJUST_BRIGHTNESS, 0, 0};

namespace {

constexpr int MAX_PASS_SIDE = 65536;
// What one pass may allocate for its rows; more is refused rather than tried.
constexpr uint64_t MAX_PASS_BYTES = 0x7FFF0000ull;

bool AreaSelected() { return g_paintHost.testSelectionState && g_paintHost.testSelectionState(AREA_SELECTED); }

bool FormatAbove256() { return g_appState.colorCount > COLORS_256; }

// A bitmap can be selected into one DC only: the pass takes it out of the
// work DCs while it reads and writes the frame.
void ReleaseFromWorkDcs(HBITMAP bitmap)
{
    for (HDC dc : {g_appState.memoryDC, g_appState.scratchDC})
        if (dc && bitmap && GetCurrentObject(dc, OBJ_BITMAP) == bitmap && g_appState.defaultBitmap != bitmap)
            SelectObject(dc, g_appState.defaultBitmap);
}

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP info{};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return {0, 0};
    return {info.bmWidth, info.bmHeight};
}

// The working buffer of one pass: header, colour table, an extra row below
// and above the rectangle's rows (bottom-up, at the source width's stride).
struct PassBuffer {
    struct Info {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info{};
    std::unique_ptr<BYTE[]> memory;
    uint32_t stride = 0;
    BYTE* rows = nullptr;  // the lowest row of the rectangle

    int sourceHeight = 0;
    // Room for every row of the source (the system reads whole frames more
    // reliably than bands) and one extra row below and above.
    bool Allocate(int sourceWidth, int height, int bits)
    {
        stride = DibStride(sourceWidth, bits);
        const uint64_t bytes = static_cast<uint64_t>(stride) * (static_cast<uint64_t>(height) + 2);
        if (bytes > MAX_PASS_BYTES) return false;
        memory.reset(new (std::nothrow) BYTE[static_cast<size_t>(bytes)]);
        if (!memory) return false;
        sourceHeight = height;
        rows = memory.get() + stride;
        info.header.biSize = sizeof(BITMAPINFOHEADER);
        info.header.biWidth = sourceWidth;
        info.header.biHeight = height;
        info.header.biPlanes = 1;
        info.header.biBitCount = static_cast<WORD>(bits);
        info.header.biCompression = BI_RGB;
        return true;
    }
};

// Reads the rectangle's rows (all of the source width) from the bitmap
// through the document palette.
bool ReadRows(HBITMAP bitmap, int sourceHeight, int y, int height, PassBuffer& buffer)
{
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return false;
    buffer.info.header.biHeight = sourceHeight;
    buffer.info.header.biClrUsed = 0;
    BYTE* whole = buffer.memory.get() + buffer.stride;
    const int got = GetDibBitsMapped(dc, bitmap, 0, static_cast<UINT>(sourceHeight), &buffer.info.header, whole,
                                     g_appState.documentPalette);
    DeleteDC(dc);
    // The rectangle's rows, bottom-up, inside the whole picture.
    buffer.rows = whole + static_cast<size_t>(buffer.stride) * (sourceHeight - (y + height));
    buffer.info.header.biHeight = height;
    buffer.info.header.biClrUsed = 0;
    buffer.info.header.biCompression = BI_RGB;
    buffer.info.header.biSizeImage = 0;
    return got == sourceHeight;
}

void WriteRows(HBITMAP bitmap, int x, int y, int width, int height, const PassBuffer& buffer)
{
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return;
    HGDIOBJ old = SelectObject(dc, bitmap);
    HPALETTE oldPalette = g_appState.documentPalette ? SelectDocumentPalette(dc) : nullptr;
    StretchDIBits(dc, x, y, width, height, x, 0, width, height, buffer.rows,
                  reinterpret_cast<const BITMAPINFO*>(&buffer.info), DIB_RGB_COLORS, SRCCOPY);
    GdiFlush();
    if (oldPalette) SelectPalette(dc, oldPalette, TRUE);
    SelectObject(dc, old);
    DeleteDC(dc);
}

struct PassArea {
    int x, y, width, height;
};

// The rectangle limited to a source of that size; empty: width or height 0.
PassArea ClipToSource(int x, int y, int width, int height, SIZE source)
{
    const int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(static_cast<int64_t>(x) + width, source.cx);
    const int64_t bottom = std::min<int64_t>(static_cast<int64_t>(y) + height, source.cy);
    if (right <= left || bottom <= top) return {0, 0, 0, 0};
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left), static_cast<int>(bottom - top)};
}

// One frame (or the given bitmap) through the routine. Returns false when
// the pass must stop (the progress dialog was cancelled).
struct PassRun {
    PassArea area;
    SIZE source;
    int bits;
    UINT flags;
    PixelRoutine routine;
    void* data;
    HWND progress;
    AreaMask lasso;  // empty: no masking
};

bool Cancelled(HWND progress) { return progress && GetProgressDialogState().progressCancelled; }

bool RunOnBitmap(HBITMAP bitmap, PassRun& run, PassBuffer& buffer)
{
    const PassArea& a = run.area;
    if (!ReadRows(bitmap, run.source.cy, a.y, a.height, buffer)) return true;
    if (run.flags & PASS_EDGE_ROWS) {
        // The row below the lowest and above the top are copies of them.
        memcpy(buffer.rows - buffer.stride, buffer.rows, buffer.stride);
        memcpy(buffer.rows + static_cast<size_t>(buffer.stride) * a.height,
               buffer.rows + static_cast<size_t>(buffer.stride) * (a.height - 1), buffer.stride);
    }
    // Pixels outside the lasso go back as they were read: a private copy,
    // not an undo step (there may be none, or an older one).
    std::vector<BYTE> original;
    if (!run.lasso.Empty()) original.assign(buffer.rows, buffer.rows + static_cast<size_t>(buffer.stride) * a.height);

    const int pixelBytes = run.bits / 8;
    BYTE* top = buffer.rows + static_cast<size_t>(buffer.stride) * (a.height - 1) + static_cast<size_t>(a.x) * pixelBytes;
    const RGBQUAD* colors = run.bits <= 8 ? buffer.info.colors : nullptr;
    const int changed = run.routine(run.progress, top, a.width, a.height, -static_cast<ptrdiff_t>(buffer.stride), colors,
                                    run.data);
    if (Cancelled(run.progress)) return false;  // the frame in hand keeps its pixels
    if (changed <= 0) return true;
    if (!original.empty()) {
        for (int row = 0; row < a.height; ++row) {
            const size_t offset = static_cast<size_t>(buffer.stride) * (a.height - 1 - row) + static_cast<size_t>(a.x) * pixelBytes;
            for (int column = 0; column < a.width; ++column)
                if (!run.lasso.At(column, row))
                    memcpy(buffer.rows + offset + static_cast<size_t>(column) * pixelBytes,
                           original.data() + offset + static_cast<size_t>(column) * pixelBytes, pixelBytes);
        }
    }
    WriteRows(bitmap, a.x, a.y, a.width, a.height, buffer);
    return true;
}

AreaMask PassLassoMask(const PassArea& a)
{
    if (!HasSelection()) return {};
    HBITMAP mask = CreateLassoMask(RECT{a.x, a.y, a.x + a.width - 1, a.y + a.height - 1});
    AreaMask bits = ReadAreaMask(mask);
    if (mask) DeleteObject(mask);
    return bits;
}

void RefreshAfterPass()
{
    MarkSelectedFramesModified();
    if (g_paintHost.updateFilmThumbnail) g_paintHost.updateFilmThumbnail(1);
    InvalidateFrameEditor(1);
}

}  // namespace

int RunPixelPass(HBITMAP bitmap, int bits, int x, int y, int width, int height, UINT flags, PixelRoutine routine,
                 void* data)
{
    if (width < 1 || height < 1 || width > MAX_PASS_SIDE || height > MAX_PASS_SIDE) return 0;
    if (bits < 8 || bits > 32 || bits % 8 != 0 || !routine) return 0;
    const SIZE source = bitmap ? BitmapSize(bitmap) : SIZE{g_appState.frameWidth, g_appState.frameHeight};
    if (source.cx <= 0 || source.cy <= 0) return 0;
    if (!bitmap && NextSelectedFrame(-1) < 0) return 0;
    PassRun run{ClipToSource(x, y, width, height, source), source, bits, flags, routine, data, nullptr, {}};
    if (run.area.width <= 0 || run.area.height <= 0) return 0;
    PassBuffer buffer;
    if (!buffer.Allocate(source.cx, source.cy, bits)) return 0;

    HCURSOR oldCursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    const int frames = bitmap ? 1 : CountSelectedFrames();
    if (flags & PASS_PROGRESS)
        run.progress = OpenProgressDialog(g_appState.mainWindow, g_appState.instanceHandle, IDD_PROGRESS,
                                          std::max(frames * (run.area.height - 2), 1), nullptr);
    if (bitmap) {
        ReleaseFromWorkDcs(bitmap);
        RunOnBitmap(bitmap, run, buffer);
    } else {
        const bool undo = !(flags & PASS_NO_UNDO);
        if (!(flags & PASS_NO_LASSO)) run.lasso = PassLassoMask(run.area);
        if (undo) RecordUndo(UNDO_BEGIN_GROUP | (run.lasso.Empty() ? 0 : UNDO_SAVE_SELECTION), g_appState.currentFrame);
        for (int frame = NextSelectedFrame(-1); frame >= 0; frame = NextSelectedFrame(frame)) {
            // Without its undo step a frame is not touched: the change could not be taken back.
            if (undo && !RecordUndo(UNDO_SAVE_FRAME, frame)) break;
            HBITMAP target = g_appState.frameBitmaps[frame];
            if (!target) continue;
            ReleaseFromWorkDcs(target);
            if (!RunOnBitmap(target, run, buffer)) break;
        }
        if (undo) RecordUndo(UNDO_END_GROUP, g_appState.currentFrame);
        RefreshAfterPass();
    }
    if (run.progress) CloseProgressDialog(run.progress);
    SetCursor(oldCursor);
    return 1;
}

// ---- matrix effects -------------------------------------------------------------------

int GreyLevel(int blue, int green, int red)
{
    // The factors are single-precision values; the products and the sum are
    // not, so white gives 254.
    constexpr float kBlue = 0.11f, kGreen = 0.59f, kRed = 0.3f;
    return static_cast<int>(static_cast<double>(blue) * kBlue + static_cast<double>(green) * kGreen +
                            static_cast<double>(red) * kRed);
}

namespace {

// The last two colours found in the table and their indexes.
class NearestTwoCache {
public:
    explicit NearestTwoCache(const RGBQUAD* table) : table_(table) {}
    BYTE Find(int red, int green, int blue)
    {
        const COLORREF color = RGB(red, green, blue);
        if (count_ > 0 && color == last_[0]) return index_[0];
        if (count_ > 1 && color == last_[1]) {
            std::swap(last_[0], last_[1]);
            std::swap(index_[0], index_[1]);
            return index_[0];
        }
        const WORD found = NearestColorIndex(table_, red, green, blue, 256);
        last_[1] = last_[0];
        index_[1] = index_[0];
        last_[0] = color;
        index_[0] = static_cast<BYTE>(found == NO_NEAREST_COLOR ? 0 : found);
        count_ = std::min(count_ + 1, 2);
        return index_[0];
    }
private:
    const RGBQUAD* table_;
    COLORREF last_[2]{};
    BYTE index_[2]{};
    int count_ = 0;
};

// A pixel's blue, green and red.
struct Bgr {
    int b, g, r;
};

Bgr PixelAt(const BYTE* row, int column, const RGBQUAD* colors)
{
    if (colors) {
        const RGBQUAD& q = colors[row[column]];
        return {q.rgbBlue, q.rgbGreen, q.rgbRed};
    }
    const BYTE* p = row + static_cast<size_t>(column) * 3;
    return {p[0], p[1], p[2]};
}

int FinishChannel(int sum, int divisor, const EffectMatrix& m)
{
    int v = divisor >= 2 ? sum / divisor : sum;
    if (m.offset) v = v / 2 + 128;
    v = std::clamp(v, 0, 255);
    if (m.invert) v ^= 255;
    return v;
}

bool AdvanceRow(HWND progress)
{
    return progress && UpdateProgress(progress, 1, PROGRESS_ADD | PROGRESS_PUMP);
}

}  // namespace

int MatrixEffectRoutine(HWND progress, BYTE* top, int width, int height, ptrdiff_t rowStep, const RGBQUAD* colors,
                        void* data)
{
    const EffectMatrix& m = *static_cast<const EffectMatrix*>(data);
    int weightSum = 0;
    for (int16_t w : m.weights) weightSum += w;
    const int divisor = std::abs(weightSum);
    const int pixelBytes = colors ? 1 : 3;
    const size_t rowBytes = static_cast<size_t>(width) * pixelBytes;
    // Each row's result is written only after the next row is computed, so
    // every pixel sees its neighbours unchanged.
    std::vector<BYTE> pending(rowBytes), current(rowBytes);
    NearestTwoCache cache(colors);
    int changed = 0;
    for (int row = 0; row < height; ++row) {
        const BYTE* lines[3] = {top + (row - 1) * rowStep, top + row * rowStep, top + (row + 1) * rowStep};
        for (int column = 0; column < width; ++column) {
            int sb = 0, sg = 0, sr = 0;
            for (int dy = 0; dy < 3; ++dy)
                for (int dx = 0; dx < 3; ++dx) {
                    // The columns beside the rectangle are its edge columns again.
                    const int c = std::clamp(column + dx - 1, 0, width - 1);
                    const Bgr n = PixelAt(lines[dy], c, colors);
                    const int w = m.weights[dy * 3 + dx];
                    sb += w * n.b;
                    sg += w * n.g;
                    sr += w * n.r;
                }
            int b = FinishChannel(sb, divisor, m), g = FinishChannel(sg, divisor, m), r = FinishChannel(sr, divisor, m);
            if (m.greyscale) b = g = r = GreyLevel(b, g, r);
            BYTE* out = current.data() + static_cast<size_t>(column) * pixelBytes;
            if (colors) {
                out[0] = cache.Find(r, g, b);
            } else {
                out[0] = static_cast<BYTE>(b);
                out[1] = static_cast<BYTE>(g);
                out[2] = static_cast<BYTE>(r);
            }
            if (memcmp(out, lines[1] + static_cast<size_t>(column) * pixelBytes, pixelBytes) != 0) ++changed;
        }
        if (row > 0) memcpy(top + (row - 1) * rowStep, pending.data(), rowBytes);
        std::swap(pending, current);
        if (AdvanceRow(progress)) return changed;
    }
    memcpy(top + (height - 1) * rowStep, pending.data(), rowBytes);
    return changed;
}

int ApplyEffectMatrix(int x, int y, int width, int height)
{
    return RunPixelPass(nullptr, FormatAbove256() ? 24 : 8, x, y, width, height, PASS_PROGRESS | PASS_EDGE_ROWS,
                        MatrixEffectRoutine, &g_effectMatrix);
}

// ---- HLS ---------------------------------------------------------------------------------

Hls RgbToHls(int red, int green, int blue)
{
    const double r = red * 0.00392156862745098, g = green * 0.00392156862745098, b = blue * 0.00392156862745098;
    const double max = std::max({r, g, b}), min = std::min({r, g, b});
    Hls out{0.0, (max + min) / 2, 0.0};
    const double d = max - min;
    if (d < 0.02) {
        out.h = 0.6666666;  // a grey
        return out;
    }
    out.s = out.l < 0.5 ? d / (max + min) : d / (2 - max - min);
    double h = r == max ? (g - b) / d : g == max ? (b - r) / d + 2 : (r - g) / d + 4;
    h *= 0.16666666666666666;
    if (h < 0) h += 1;
    out.h = h;
    return out;
}

namespace {

double WrapOnce(double h)
{
    if (h < 0) return h + 1;
    if (h > 1) return h - 1;
    return h;
}

double HueChannel(double m1, double m2, double h)
{
    h = WrapOnce(h);
    if (6 * h < 1) return m1 + (m2 - m1) * 6 * h;
    if (2 * h < 1) return m2;
    if (3 * h < 2) return m1 + (m2 - m1) * (0.6666666666666666 - h) * 6;
    return m1;
}

}  // namespace

bool HlsToRgb(const Hls& hls, int* red, int* green, int* blue)
{
    const double h = WrapOnce(hls.h);
    const double l = std::clamp(hls.l, 0.0, 1.0);
    const double s = hls.s;
    if (s > 1) return false;
    if (s < 0.01) {
        *red = *green = *blue = static_cast<int>(l * 255);
        return true;
    }
    const double m2 = l <= 0.5 ? l * (1 + s) : l + s - l * s;
    const double m1 = 2 * l - m2;
    *red = static_cast<int>(255 * HueChannel(m1, m2, h + 0.3333333333333333));
    *green = static_cast<int>(255 * HueChannel(m1, m2, h));
    *blue = static_cast<int>(255 * HueChannel(m1, m2, h - 0.3333333333333333));
    return true;
}

// ---- colour replacement -------------------------------------------------------------------

namespace {

struct Range {
    double low, high;
    bool wraps;
    bool Holds(double v) const { return wraps ? (v >= low || v <= high) : (v >= low && v <= high); }
};

struct ReplaceRanges {
    Hls from, to;
    Range hue, saturation, lightness;
};

ReplaceRanges RangesOf(const ColorReplaceSettings& s)
{
    const COLORREF source = PaletteIndexToRgb(s.sourceColor), destination = PaletteIndexToRgb(s.destColor);
    ReplaceRanges out{};
    out.from = RgbToHls(GetRValue(source), GetGValue(source), GetBValue(source));
    out.to = RgbToHls(GetRValue(destination), GetGValue(destination), GetBValue(destination));
    double tH = 0.0025, tS = 0.0025, tL = 0.0025;
    if (s.flags & REPLACE_BY_TOLERANCE) {
        tH = s.hueTolerance * 0.005;
        tS = s.satTolerance * 0.01;
        tL = s.lumTolerance * 0.01;
    }
    double low = out.from.h - tH, high = out.from.h + tH;
    if (low < 0) low += 1;
    if (high > 1) high -= 1;
    out.hue = {low, high, low > high};
    out.saturation = {std::max(out.from.s - tS, 0.0), std::min(out.from.s + tS, 1.0), false};
    out.lightness = {std::max(out.from.l - tL, 0.0), std::min(out.from.l + tL, 1.0), false};
    return out;
}

// The new colour of a matching pixel; false leaves it.
bool ReplacedColor(const ColorReplaceSettings& s, const ReplaceRanges& q, const Hls& pixel, int* r, int* g, int* b)
{
    const uint32_t f = s.flags;
    Hls out = pixel;
    if (f & REPLACE_KEEP_DIFFERENCES) {
        if (f & REPLACE_HUE) out.h += q.to.h - q.from.h;
        if (f & REPLACE_SATURATION) out.s += q.to.s - q.from.s;
        if (f & REPLACE_LIGHTNESS) out.l += q.to.l - q.from.l;
        return HlsToRgb(out, r, g, b);
    }
    if ((f & REPLACE_HUE) && (f & REPLACE_SATURATION)) {
        const COLORREF destination = PaletteIndexToRgb(s.destColor);
        *r = GetRValue(destination);
        *g = GetGValue(destination);
        *b = GetBValue(destination);
        return true;
    }
    if (f & REPLACE_HUE) out.h = q.to.h;
    if (f & REPLACE_SATURATION) out.s = q.to.s;
    if (f & REPLACE_LIGHTNESS) out.l = q.to.l;
    return HlsToRgb(out, r, g, b);
}

}  // namespace

int ReplaceColorRoutine(HWND progress, BYTE* top, int width, int height, ptrdiff_t rowStep, const RGBQUAD*, void* data)
{
    const ColorReplaceSettings& s = *static_cast<const ColorReplaceSettings*>(data);
    const ReplaceRanges q = RangesOf(s);
    const bool outside = (s.flags & REPLACE_OUTSIDE) != 0;
    int replaced = 0;
    for (int row = 0; row < height; ++row) {
        BYTE* p = top + row * rowStep;
        for (int column = 0; column < width; ++column, p += 3) {
            const Hls pixel = RgbToHls(p[2], p[1], p[0]);
            const bool match = q.hue.Holds(pixel.h) && q.saturation.Holds(pixel.s) && q.lightness.Holds(pixel.l);
            if (match == outside) continue;
            int r = p[2], g = p[1], b = p[0];
            if (!ReplacedColor(s, q, pixel, &r, &g, &b)) continue;
            p[0] = static_cast<BYTE>(std::clamp(b, 0, 255));
            p[1] = static_cast<BYTE>(std::clamp(g, 0, 255));
            p[2] = static_cast<BYTE>(std::clamp(r, 0, 255));
            ++replaced;
        }
        if (AdvanceRow(progress)) break;
    }
    return replaced;
}

namespace {

// Every pixel of exactly `from` inside the area (and the mask) becomes `to`.
int ReplaceExactly(HBITMAP bitmap, const PassArea& a, const AreaMask& mask, COLORREF from, COLORREF to)
{
    ReleaseFromWorkDcs(bitmap);
    DibPixels pixels(bitmap);
    if (!pixels.Valid()) return 0;
    const uint32_t value = pixels.ValueOf(to);
    int replaced = 0;
    for (int row = 0; row < a.height; ++row)
        for (int column = 0; column < a.width; ++column) {
            const int x = a.x + column, y = a.y + row;
            if (!pixels.Inside(x, y) || !mask.At(column, row) || !pixels.HasColor(x, y, from)) continue;
            pixels.Set(x, y, value);
            ++replaced;
        }
    pixels.Commit();
    return replaced;
}

}  // namespace

int ReplaceColorPass(ColorReplaceSettings* settings, int x, int y, int width, int height)
{
    if (!settings || g_appState.frameCount <= 0) return 0;
    if (g_appState.colorCount >= COLORS_256 && (settings->flags & REPLACE_BY_TOLERANCE)) {
        ColorReplaceSettings rgb = *settings;
        rgb.sourceColor = PaletteIndexToRgb(settings->sourceColor) & 0xFFFFFF;
        rgb.destColor = PaletteIndexToRgb(settings->destColor) & 0xFFFFFF;
        return RunPixelPass(nullptr, 24, x, y, width, height, PASS_PROGRESS, ReplaceColorRoutine, &rgb);
    }
    if (width < 1 || height < 1) return 0;
    const PassArea area = ClipToSource(x, y, width, height, {g_appState.frameWidth, g_appState.frameHeight});
    if (area.width <= 0 || area.height <= 0) return 0;
    const COLORREF from = PaletteIndexToRgb(settings->sourceColor) & 0xFFFFFF;
    const COLORREF to = PaletteIndexToRgb(settings->destColor) & 0xFFFFFF;
    const AreaMask mask = PassLassoMask(area);
    RecordUndo(UNDO_BEGIN_GROUP | (mask.Empty() ? 0 : UNDO_SAVE_SELECTION), g_appState.currentFrame);
    for (int frame = NextSelectedFrame(-1); frame >= 0; frame = NextSelectedFrame(frame)) {
        if (!RecordUndo(UNDO_SAVE_FRAME, frame)) break;
        if (g_appState.frameBitmaps[frame]) ReplaceExactly(g_appState.frameBitmaps[frame], area, mask, from, to);
    }
    RecordUndo(UNDO_END_GROUP, g_appState.currentFrame);
    RefreshAfterPass();
    return 1;
}

int ReplaceColorInFrames(COLORREF source, COLORREF destination, int x, int y, int width, int height, int tolerance)
{
    ColorReplaceSettings s = g_colorReplaceSettings;
    s.x = x;
    s.y = y;
    s.width = width;
    s.height = height;
    s.sourceColor = source;
    s.destColor = destination;
    s.hueTolerance = s.satTolerance = s.lumTolerance = static_cast<int16_t>(tolerance);
    s.flags = REPLACE_DEFAULT_FLAGS | (tolerance > 0 && tolerance < 128 ? REPLACE_BY_TOLERANCE : 0);
    return ReplaceColorPass(&s, x, y, width, height);
}

int ReplaceColor(COLORREF source, COLORREF destination, int useSelection)
{
    int x = 0, y = 0, width = g_appState.frameWidth, height = g_appState.frameHeight;
    if (useSelection && AreaSelected()) {
        RECT r;
        GetSelectionRect(&r, SELECTION_RECT_SIZE);
        x = r.left;
        y = r.top;
        width = r.right;
        height = r.bottom;
    }
    if (g_appState.colorCount < COLORS_256 || !(GetKeyState(VK_CONTROL) & 0x8000))
        return ReplaceColorInFrames(source, destination, x, y, width, height, 0);
    ColorReplaceSettings& s = g_colorReplaceSettings;
    s.x = x;
    s.y = y;
    s.width = width;
    s.height = height;
    s.sourceColor = source;
    s.destColor = destination;
    if (g_appState.colorCount <= COLORS_256) s.flags &= ~REPLACE_BY_TOLERANCE;
    s.previewBitmap = g_appState.frameCount > 0 ? g_appState.frameBitmaps[g_appState.currentFrame] : nullptr;
    const INT_PTR answer = RunDialog(IDD_REPLACE_COLOR, g_appState.mainWindow, reinterpret_cast<LPARAM>(&s));
    s.previewBitmap = nullptr;
    return answer > 0 ? ReplaceColorPass(&s, x, y, width, height) : 0;
}

int SnapTransparentColor(HBITMAP bitmap, COLORREF color, int tolerance)
{
    if (g_appState.colorCount < COLORS_256 || tolerance <= 0) return 0;
    ColorReplaceSettings s{};
    s.sourceColor = s.destColor = PaletteIndexToRgb(color) & 0xFFFFFF;
    s.hueTolerance = s.satTolerance = s.lumTolerance = static_cast<int16_t>(tolerance);
    s.flags = REPLACE_DEFAULT_FLAGS | REPLACE_BY_TOLERANCE;
    const SIZE size = bitmap ? BitmapSize(bitmap) : SIZE{g_appState.frameWidth, g_appState.frameHeight};
    return RunPixelPass(bitmap, 24, 0, 0, size.cx, size.cy, PASS_NO_UNDO | PASS_NO_LASSO, ReplaceColorRoutine, &s);
}

int ReplaceBitmapColor(HBITMAP bitmap, COLORREF color, COLORREF newColor)
{
    const SIZE size = BitmapSize(bitmap);
    if (size.cx <= 0 || size.cy <= 0) return 0;
    ReplaceExactly(bitmap, {0, 0, size.cx, size.cy}, {}, PaletteIndexToRgb(color) & 0xFFFFFF,
                   PaletteIndexToRgb(newColor) & 0xFFFFFF);
    return 1;
}

int InvertRectInFrames(int x, int y, int width, int height)
{
    if (width < 1 || height < 1 || g_appState.frameCount <= 0) return 0;
    const PassArea a = ClipToSource(x, y, width, height, {g_appState.frameWidth, g_appState.frameHeight});
    if (a.width <= 0) return 0;
    RecordUndo(UNDO_BEGIN_GROUP, g_appState.currentFrame);
    for (int frame = NextSelectedFrame(-1); frame >= 0; frame = NextSelectedFrame(frame)) {
        if (!RecordUndo(UNDO_SAVE_FRAME, frame)) break;
        HBITMAP bitmap = g_appState.frameBitmaps[frame];
        if (!bitmap) continue;
        ReleaseFromWorkDcs(bitmap);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        PatBlt(dc, a.x, a.y, a.width, a.height, DSTINVERT);
        GdiFlush();
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    RecordUndo(UNDO_END_GROUP, g_appState.currentFrame);
    RefreshAfterPass();
    return 1;
}

// ---- colour adjustment ----------------------------------------------------------------------

namespace {

int ClampLevel(int v) { return v > 254 ? 255 : std::max(v, 0); }

// One pixel adjusted; false leaves it.
bool AdjustPixel(const ColorAdjustSettings& s, int* r, int* g, int* b)
{
    const int v = s.value;
    auto scale = [v](int c) { return ClampLevel((100 + v) * c / 100); };
    auto throughHls = [&](auto change) {
        Hls hls = RgbToHls(*r, *g, *b);
        change(hls);
        int nr = *r, ng = *g, nb = *b;
        if (!HlsToRgb(hls, &nr, &ng, &nb)) return false;
        *r = ClampLevel(nr);
        *g = ClampLevel(ng);
        *b = ClampLevel(nb);
        return true;
    };
    switch (s.kind) {
    case ADJUST_BRIGHTNESS:
        if (s.absolute) return throughHls([&](Hls& h) { h.l = v * 0.01; });
        *r = scale(*r);
        *g = scale(*g);
        *b = scale(*b);
        return true;
    case ADJUST_CONTRAST: {
        auto contrast = [v](int c) { return ClampLevel((100 + v) * (c - 128) / 100 + 128); };
        *r = contrast(*r);
        *g = contrast(*g);
        *b = contrast(*b);
        return true;
    }
    case ADJUST_HUE:
        return throughHls([&](Hls& h) { h.h = s.absolute ? v * 0.01 : h.h + v * 0.01; });
    case ADJUST_SATURATION:
        return throughHls([&](Hls& h) { h.s = s.absolute ? v * 0.01 : (1 + v * 0.01) * h.s; });
    case ADJUST_RED:
    case ADJUST_GREEN:
    case ADJUST_BLUE: {
        if (v == 0) return false;
        int* c = s.kind == ADJUST_RED ? r : s.kind == ADJUST_GREEN ? g : b;
        *c = s.absolute ? ClampLevel(v * 255 / 100) : scale(*c);
        return true;
    }
    default: return false;
    }
}

}  // namespace

int AdjustColorsRoutine(HWND progress, BYTE* top, int width, int height, ptrdiff_t rowStep, const RGBQUAD*, void* data)
{
    const ColorAdjustSettings& s = *static_cast<const ColorAdjustSettings*>(data);
    int changed = 0;
    for (int row = 0; row < height; ++row) {
        BYTE* p = top + row * rowStep;
        for (int column = 0; column < width; ++column, p += 3) {
            int r = p[2], g = p[1], b = p[0];
            if (!AdjustPixel(s, &r, &g, &b)) continue;
            if (r == p[2] && g == p[1] && b == p[0]) continue;
            p[0] = static_cast<BYTE>(b);
            p[1] = static_cast<BYTE>(g);
            p[2] = static_cast<BYTE>(r);
            ++changed;
        }
        if (AdvanceRow(progress)) break;
    }
    return changed;
}

int AdjustColorsPass(ColorAdjustSettings* settings)
{
    if (!settings || g_appState.colorCount < COLORS_256) return 0;
    return RunPixelPass(nullptr, 24, settings->x, settings->y, settings->width, settings->height, PASS_PROGRESS,
                        AdjustColorsRoutine, settings);
}

void ResetColorToolSettings()
{
    ColorReplaceSettings& s = g_colorReplaceSettings;
    s.x = s.y = s.width = s.height = 0;
    s.destColor = CLR_INVALID;
    s.hueTolerance = s.satTolerance = s.lumTolerance = DEFAULT_REPLACE_TOLERANCE;
    s.flags = (s.flags & ~0x3Fu) | REPLACE_DEFAULT_FLAGS | (FormatAbove256() ? REPLACE_BY_TOLERANCE : 0);
}

bool PixelPassesBuilt() { return true; }
