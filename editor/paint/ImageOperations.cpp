// The geometric edits of an area (see ImageOperations.h).
#include "ImageOperations.h"
#include "DibPixels.h"
#include <algorithm>
#include <cmath>

RotationSettings g_rotation{90, 1.0, 0.0, PIVOT_CENTRE, 0};

namespace {

constexpr double DEGREES_TO_RADIANS = 3.141592653589793 * 0.005555555555555556;

// Halves go towards zero: 2.5 -> 2, -2.5 -> -2.
int RoundHalfTowardsZero(double v) { return v >= 0 ? static_cast<int>(std::ceil(v - 0.5)) : static_cast<int>(std::floor(v + 0.5)); }

bool IsQuarterTurn(double degrees) { return degrees == 90.0; }

}  // namespace

AreaMask ReadAreaMask(HBITMAP mask)
{
    AreaMask out;
    if (!mask) return out;
    DibPixels bits(mask);
    if (!bits.Valid()) return out;
    out.width = bits.Width();
    out.height = bits.Height();
    out.inside.resize(static_cast<size_t>(out.width) * out.height);
    for (int row = 0; row < out.height; ++row)
        for (int column = 0; column < out.width; ++column)
            out.inside[static_cast<size_t>(row) * out.width + column] = bits.Color(column, row) != RGB(0, 0, 0);
    return out;
}

// ---- rotation settings -----------------------------------------------------------

int PivotCode(int position)
{
    position = std::clamp(position, 0, 8);
    return (0x10 << (position / 3)) | (2 << (position % 3));
}

int TurnPivotPosition(int position, bool clockwise)
{
    static const int anticlockwise[9] = {6, 3, 0, 7, 4, 1, 8, 5, 2};
    static const int clockwiseTurn[9] = {2, 5, 8, 1, 4, 7, 0, 3, 6};
    if (position < 0 || position > 8) return position;
    return clockwise ? clockwiseTurn[position] : anticlockwise[position];
}

int StoreRotationAngle(int degrees)
{
    g_rotation.angle = degrees;
    g_rotation.sine = std::sin(degrees * DEGREES_TO_RADIANS);
    g_rotation.cosine = std::cos(degrees * DEGREES_TO_RADIANS);
    return degrees;
}

int SetRotationPivot(int position)
{
    if (position >= 0 && position <= 8) g_rotation.pivot = position;
    return g_rotation.pivot;
}

int SetDeleteVacantPixels(int on)
{
    if (on == 0 || on == 1) g_rotation.deleteVacant = on;
    return g_rotation.deleteVacant;
}

// ---- shift and flip ------------------------------------------------------------------

void ShiftAreaPixels(DibPixels& frame, const DibPixels& before, const FrameArea& area, const AreaMask& mask, int dx,
                     int dy, bool fill, uint32_t fillValue)
{
    for (int row = 0; row < area.height; ++row) {
        for (int column = 0; column < area.width; ++column) {
            const int x = area.x + column, y = area.y + row;
            if (!frame.Inside(x, y) || !mask.At(column, row)) continue;
            const int fromColumn = column - dx, fromRow = row - dy;
            const bool freed = fromColumn < 0 || fromRow < 0 || fromColumn >= area.width || fromRow >= area.height;
            if (freed) {
                // The freed line keeps what it showed unless it is emptied.
                frame.Set(x, y, fill ? fillValue : before.Get(x, y));
                continue;
            }
            const int sx = area.x + fromColumn, sy = area.y + fromRow;
            if (before.Inside(sx, sy)) frame.Set(x, y, before.Get(sx, sy));
        }
    }
}

AreaMask FlipMask(const AreaMask& mask, bool horizontal)
{
    if (mask.Empty()) return mask;
    AreaMask out = mask;
    for (int row = 0; row < mask.height; ++row)
        for (int column = 0; column < mask.width; ++column) {
            const int c = horizontal ? mask.width - 1 - column : column, r = horizontal ? row : mask.height - 1 - row;
            out.inside[static_cast<size_t>(row) * mask.width + column] = mask.inside[static_cast<size_t>(r) * mask.width + c];
        }
    return out;
}

void FlipAreaPixels(DibPixels& frame, const DibPixels& before, const FrameArea& area, const AreaMask& mask,
                    bool horizontal)
{
    const AreaMask mirrored = FlipMask(mask, horizontal);
    for (int row = 0; row < area.height; ++row) {
        for (int column = 0; column < area.width; ++column) {
            const int x = area.x + column, y = area.y + row;
            if (!frame.Inside(x, y) || !mirrored.At(column, row)) continue;
            const int sx = horizontal ? area.x + area.width - 1 - column : x;
            const int sy = horizontal ? y : area.y + area.height - 1 - row;
            if (before.Inside(sx, sy)) frame.Set(x, y, before.Get(sx, sy));
        }
    }
}

// ---- rotation ----------------------------------------------------------------------------

PivotFrame PivotFrameOf(const FrameArea& area, int pivotCode)
{
    auto first = [](int size, bool low, bool middle) { return low ? 0 : middle ? -(size / 2) : 1 - size; };
    PivotFrame p{};
    p.x0 = first(area.width, (pivotCode & 2) != 0, (pivotCode & 4) != 0);
    p.y0 = first(area.height, (pivotCode & 0x10) != 0, (pivotCode & 0x20) != 0);
    p.px = area.x - p.x0;
    p.py = area.y - p.y0;
    return p;
}

POINT TurnOffset(int x, int y, const RotationPass& pass, int width, int height)
{
    if (IsQuarterTurn(pass.degrees)) {
        // The even-size corrections keep a centred area in place.
        const int e = width % 2 == 0 ? 1 : 0, f = height % 2 == 0 ? 1 : 0;
        return pass.clockwise ? POINT{-y - f, x} : POINT{y, -x - e};
    }
    const double radians = pass.degrees * DEGREES_TO_RADIANS;
    const double s = std::sin(radians), c = std::cos(radians);
    const double nx = pass.clockwise ? x * c - y * s : x * c + y * s;
    const double ny = pass.clockwise ? y * c + x * s : y * c - x * s;
    return {RoundHalfTowardsZero(nx), RoundHalfTowardsZero(ny)};
}

void RotateAreaPixels(DibPixels& frame, const DibPixels& before, const AreaMask& mask, const RotationPass& pass,
                      bool (*row)(void* context), void* context)
{
    const FrameArea& a = pass.area;
    const PivotFrame p = PivotFrameOf(a, pass.pivotCode);
    if (pass.emptyFirst) {
        for (int r = 0; r < a.height; ++r)
            for (int column = 0; column < a.width; ++column)
                if (frame.Inside(a.x + column, a.y + r) && mask.At(column, r)) frame.Set(a.x + column, a.y + r, pass.emptyValue);
    }
    const bool exact = IsQuarterTurn(pass.degrees);
    // Clockwise turns walk the rows from the bottom up, anticlockwise from the top down.
    for (int step = 0; step < a.height; ++step) {
        const int r = pass.clockwise ? a.height - 1 - step : step;
        for (int column = 0; column < a.width; ++column) {
            if (!mask.At(column, r) || !before.Inside(a.x + column, a.y + r)) continue;
            const uint32_t value = before.Get(a.x + column, a.y + r);
            const POINT to = TurnOffset(p.x0 + column, p.y0 + r, pass, a.width, a.height);
            const int x = p.px + to.x, y = p.py + to.y;
            // Off the quarter turns a pixel is painted 2 x 2 against rounding
            // holes, but not in the last row and column.
            const int size = exact || pass.singlePixel || column == a.width - 1 || r == a.height - 1 ? 1 : 2;
            for (int dy = 0; dy < size; ++dy)
                for (int dx = 0; dx < size; ++dx)
                    if (frame.Inside(x + dx, y + dy)) frame.Set(x + dx, y + dy, value);
        }
        if (row && !row(context)) break;
    }
}

void TurnPoints(POINT* points, int count, const RotationPass& pass)
{
    const PivotFrame p = PivotFrameOf(pass.area, pass.pivotCode);
    for (int i = 0; i < count; ++i) {
        const POINT to = TurnOffset(points[i].x - p.px, points[i].y - p.py, pass, pass.area.width, pass.area.height);
        points[i] = {p.px + to.x, p.py + to.y};
    }
}

RECT TurnedAreaBounds(const RotationPass& pass, int frameWidth, int frameHeight)
{
    const FrameArea& a = pass.area;
    POINT corners[4] = {{a.x, a.y}, {a.x + a.width - 1, a.y}, {a.x + a.width - 1, a.y + a.height - 1}, {a.x, a.y + a.height - 1}};
    TurnPoints(corners, 4, pass);
    RECT r{corners[0].x, corners[0].y, corners[0].x, corners[0].y};
    for (const POINT& c : corners) {
        r.left = std::min(r.left, c.x);
        r.top = std::min(r.top, c.y);
        r.right = std::max(r.right, c.x);
        r.bottom = std::max(r.bottom, c.y);
    }
    r.left = std::clamp<LONG>(r.left, 0, std::max(frameWidth - 1, 0));
    r.right = std::clamp<LONG>(r.right, 0, std::max(frameWidth - 1, 0));
    r.top = std::clamp<LONG>(r.top, 0, std::max(frameHeight - 1, 0));
    r.bottom = std::clamp<LONG>(r.bottom, 0, std::max(frameHeight - 1, 0));
    return r;
}
