// The arithmetic and painting of the area transforms (see TransformGeometry.h).
#include "TransformGeometry.h"
#include "AppState.h"
#include "AreaSelection.h"
#include "Palette.h"
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

int Width(const RECT& r) { return r.right - r.left + 1; }
int Height(const RECT& r) { return r.bottom - r.top + 1; }

POINT HandlePoint(const TransformGrab& g)
{
    if (g.kind == TRANSFORM_BEND_HORIZONTAL || g.kind == TRANSFORM_BEND_VERTICAL) return g.handle ? g.b : g.a;
    return g.quad[std::clamp(g.handle, 0, 3)];
}

// Kinds 0 and 1: the corner's column and row follow the point.
void MoveCorner(const TransformGrab& g, POINT p, WPARAM keys, POINT* q)
{
    const int c = g.handle;
    const bool right = c == 1 || c == 2, bottom = c == 2 || c == 3;
    (right ? q[1].x : q[0].x) = p.x;
    (right ? q[2].x : q[3].x) = p.x;
    int y = p.y;
    if ((keys & MK_CONTROL) && g.ratio > 0) {
        const int opposite = bottom ? q[0].y : q[3].y;
        const int width = std::abs(q[1].x - q[0].x);
        const int height = static_cast<int>(std::lround(g.ratio * width));
        y = opposite + (p.y >= opposite ? height : -height);
    }
    (bottom ? q[2].y : q[0].y) = y;
    (bottom ? q[3].y : q[1].y) = y;
}

// The quad's two edges that kinds 2 to 5 move: the top and bottom edges
// (left end first) for kinds 2 and 4, the left and right edges (top end
// first) for kinds 3 and 5; the coordinate they move along is x or y.
struct EdgePair {
    bool horizontal;
    int grabbed[2], other[2];  // corner indexes: start and end of each edge
    bool atStart;              // the grabbed corner is its edge's start
};

EdgePair EdgesOf(int kind, int corner)
{
    const bool horizontal = kind == TRANSFORM_SHEAR_HORIZONTAL || kind == TRANSFORM_TRAPEZIUM_HORIZONTAL;
    // Horizontal: top {0, 1}, bottom {3, 2}. Vertical: left {0, 3}, right {1, 2}.
    const int first[2] = {0, horizontal ? 1 : 3}, second[2] = {horizontal ? 3 : 1, 2};
    const bool onFirst = horizontal ? corner <= 1 : corner == 0 || corner == 3;
    EdgePair e{horizontal, {}, {}, corner == 0 || corner == (horizontal ? 3 : 1)};
    std::copy(onFirst ? first : second, (onFirst ? first : second) + 2, e.grabbed);
    std::copy(onFirst ? second : first, (onFirst ? second : first) + 2, e.other);
    return e;
}

LONG& Along(POINT& p, bool horizontal) { return horizontal ? p.x : p.y; }
LONG Along(const POINT& p, bool horizontal) { return horizontal ? p.x : p.y; }

// Kinds 2 to 5. A shear moves the grabbed edge along itself; a trapezium
// narrows or widens it about the source's middle, each row or column keeping
// at least one pixel (the edge's start stays on its side of the middle).
// Both sides: the other edge moves the opposite way.
void MoveEdges(const TransformGrab& g, int dx, int dy, POINT* q)
{
    const EdgePair e = EdgesOf(g.kind, std::clamp(g.handle, 0, 3));
    const bool h = e.horizontal;
    const int d = h ? dx : dy;
    if (g.kind == TRANSFORM_SHEAR_HORIZONTAL || g.kind == TRANSFORM_SHEAR_VERTICAL) {
        for (int i : e.grabbed) Along(q[i], h) += d;
        if (g.bothSides)
            for (int i : e.other) Along(q[i], h) -= d;
        return;
    }
    const int middle = h ? (g.source.left + g.source.right) / 2 : (g.source.top + g.source.bottom) / 2;
    int step = e.atStart ? d : -d;
    step = std::min<int>(step, middle - Along(g.quad[e.grabbed[0]], h));
    if (g.bothSides) step = std::max<int>(step, Along(g.quad[e.other[0]], h) - middle);
    Along(q[e.grabbed[0]], h) = Along(g.quad[e.grabbed[0]], h) + step;
    Along(q[e.grabbed[1]], h) = Along(g.quad[e.grabbed[1]], h) - step;
    if (g.bothSides) {
        Along(q[e.other[0]], h) = Along(g.quad[e.other[0]], h) - step;
        Along(q[e.other[1]], h) = Along(g.quad[e.other[1]], h) + step;
    }
}

}  // namespace

int NearestCorner(const POINT* quad, POINT p)
{
    int best = 0;
    int64_t bestDistance = INT64_MAX;
    for (int i = 0; i < 4; ++i) {
        const int64_t dx = quad[i].x - p.x, dy = quad[i].y - p.y;
        const int64_t distance = dx * dx + dy * dy;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

void ApplyTransformMove(const TransformGrab& g, POINT p, WPARAM keys, POINT* q, POINT* a, POINT* b)
{
    std::copy(g.quad, g.quad + 4, q);
    *a = g.a;
    *b = g.b;
    const POINT from = HandlePoint(g);
    const int dx = p.x - from.x, dy = p.y - from.y;
    const RECT& s = g.source;
    switch (g.kind) {
    case TRANSFORM_SELECT:
    case TRANSFORM_STRETCH: MoveCorner(g, p, keys, q); break;
    case TRANSFORM_SHEAR_HORIZONTAL:
    case TRANSFORM_SHEAR_VERTICAL:
    case TRANSFORM_TRAPEZIUM_HORIZONTAL:
    case TRANSFORM_TRAPEZIUM_VERTICAL: MoveEdges(g, dx, dy, q); break;
    case TRANSFORM_BEND_HORIZONTAL:
    case TRANSFORM_BEND_VERTICAL: {
        // A and B move apart or together along x (kind 6) or y (kind 7); a
        // pinch stops where the middle row or column would lose its last pixel.
        const bool h = g.kind == TRANSFORM_BEND_HORIZONTAL;
        const int d = (h ? dx : dy) * (g.handle ? -1 : 1);
        const int limit = h ? s.left + (Width(s) - 1) / 2 : s.top + (Height(s) - 1) / 2;
        const int step = std::min<int>(d, limit - Along(g.a, h));
        Along(*a, h) = Along(g.a, h) + step;
        Along(*b, h) = Along(g.b, h) - step;
        break;
    }
    default: break;
    }
}

RECT QuadBounds(const POINT* quad) { return PointBounds(quad, 4); }

TransformStatus TransformStatusValues(int kind, const POINT* q, POINT a, const RECT& s)
{
    switch (kind) {
    case TRANSFORM_SELECT: return {std::abs(q[1].x - q[0].x) + 1, std::abs(q[3].y - q[0].y) + 1};
    case TRANSFORM_STRETCH: return {q[1].x - q[0].x, q[3].y - q[0].y};
    case TRANSFORM_SHEAR_HORIZONTAL: return {q[0].x - s.left, 0};
    case TRANSFORM_SHEAR_VERTICAL: return {q[0].y - s.top, 0};
    case TRANSFORM_TRAPEZIUM_HORIZONTAL: return {s.left - q[0].x, 0};
    case TRANSFORM_TRAPEZIUM_VERTICAL: return {s.top - q[0].y, 0};
    case TRANSFORM_BEND_HORIZONTAL: return {s.left - a.x, 0};
    default: return {s.top - a.y, 0};
    }
}

std::vector<int> BendOffsets(int depth, int half)
{
    if (half < 0) return {};
    std::vector<int> offsets(static_cast<size_t>(half) + 1, 0);
    const int64_t a = std::abs(depth), b = half;
    if (a == 0 || b == 0) return offsets;
    // The midpoint walk of the quarter ellipse from (0, b) to (a, 0) in
    // 64-bit integers: the terms reach a^2 b^2, beyond 32 bits at a few
    // hundred pixels. Each y keeps the last x reached at it.
    const int64_t a2 = a * a, b2 = b * b;
    int64_t x = 0, y = b;
    auto reach = [&] {
        if (y >= 0 && y <= b) offsets[static_cast<size_t>(y)] = static_cast<int>(std::min<int64_t>(std::max<int64_t>(offsets[y], x), a));
    };
    int64_t dx = 0, dy = 2 * a2 * y;
    int64_t d1 = 4 * b2 - 4 * a2 * b + a2;  // 4 x the decision
    while (dx < dy) {
        reach();
        ++x;
        dx += 2 * b2;
        if (d1 < 0) {
            d1 += 4 * (dx + b2);
        } else {
            --y;
            dy -= 2 * a2;
            d1 += 4 * (dx - dy + b2);
        }
    }
    int64_t d2 = b2 * (2 * x + 1) * (2 * x + 1) + 4 * a2 * (y - 1) * (y - 1) - 4 * a2 * b2;
    while (y >= 0) {
        reach();
        --y;
        dy -= 2 * a2;
        if (d2 > 0) {
            d2 += 4 * (a2 - dy);
        } else {
            ++x;
            dx += 2 * b2;
            d2 += 4 * (dx - dy + a2);
        }
    }
    if (depth < 0)
        for (int& n : offsets) n = -n;
    return offsets;
}

std::vector<POINT> BendOutline(int kind, const RECT& s, POINT a)
{
    const bool rows = kind == TRANSFORM_BEND_HORIZONTAL;
    const int depth = rows ? s.left - a.x : s.top - a.y;
    const int half = rows ? a.y - s.top : a.x - s.left;
    const std::vector<int> n = BendOffsets(depth, half);
    std::vector<POINT> out;
    if (n.empty()) {
        out = {{s.left, s.top}, {s.right, s.top}, {s.right, s.bottom}, {s.left, s.bottom}};
        return out;
    }
    const int middle = rows ? a.y : a.x, mirror = rows ? s.top + s.bottom - a.y : s.left + s.right - a.x;
    // Along the line from the start (top or left) to the end: (offset, position).
    std::vector<std::pair<int, int>> side;
    for (int i = half; i >= 0; --i) side.push_back({n[i], middle - i});
    for (int i = 0; i <= half; ++i) side.push_back({n[i], mirror + i});
    // Down the right side and back up the left (kind 6), or along the top and
    // back along the bottom (kind 7).
    auto at = [&](int across, int position) { return rows ? POINT{across, position} : POINT{position, across}; };
    const int firstEdge = rows ? s.right : s.top, secondEdge = rows ? s.left : s.bottom, outward = rows ? 1 : -1;
    for (auto it = side.begin(); it != side.end(); ++it) out.push_back(at(firstEdge + outward * it->first, it->second));
    for (auto it = side.rbegin(); it != side.rend(); ++it) out.push_back(at(secondEdge - outward * it->first, it->second));
    return out;
}

RECT TransformOutputBox(const TransformPaint& p)
{
    const RECT& s = p.source;
    if (p.kind == TRANSFORM_BEND_HORIZONTAL || p.kind == TRANSFORM_BEND_VERTICAL) {
        const bool rows = p.kind == TRANSFORM_BEND_HORIZONTAL;
        const std::vector<int> n = BendOffsets(rows ? s.left - p.a.x : s.top - p.a.y, rows ? p.a.y - s.top : p.a.x - s.left);
        int grow = 0;
        for (int v : n) grow = std::max(grow, v);
        return rows ? RECT{s.left - grow, s.top, s.right + grow, s.bottom} : RECT{s.left, s.top - grow, s.right, s.bottom + grow};
    }
    const RECT q = QuadBounds(p.quad);
    return {std::min(q.left, s.left), std::min(q.top, s.top), std::max(q.right, s.right), std::max(q.bottom, s.bottom)};
}

namespace {

struct LineWalk {
    HDC target, saved;
    const TransformPaint* paint;
};

// One LineDDA point of kinds 2 to 5: the source row (kinds 2, 4) or column
// (3, 5) at the point's y or x, copied (shear) or stretched symmetrically
// (trapezium) to start at the point.
void CALLBACK PaintAlongEdge(int x, int y, LPARAM data)
{
    const LineWalk& w = *reinterpret_cast<const LineWalk*>(data);
    const RECT& s = w.paint->source;
    const int kind = w.paint->kind;
    const bool rows = kind == TRANSFORM_SHEAR_HORIZONTAL || kind == TRANSFORM_TRAPEZIUM_HORIZONTAL;
    const bool shear = kind == TRANSFORM_SHEAR_HORIZONTAL || kind == TRANSFORM_SHEAR_VERTICAL;
    const int length = rows ? Width(s) : Height(s);
    const int placed = shear ? length : rows ? s.left + s.right - 2 * x + 1 : s.top + s.bottom - 2 * y + 1;
    if (rows)
        StretchBlt(w.target, x, y, placed, 1, w.saved, s.left, y, length, 1, SRCCOPY);
    else
        StretchBlt(w.target, x, y, 1, placed, w.saved, x, s.top, 1, length, SRCCOPY);
}

void WalkEdge(const LineWalk& walk, POINT from, POINT to)
{
    LineDDA(from.x, from.y, to.x, to.y, PaintAlongEdge, reinterpret_cast<LPARAM>(&walk));
    PaintAlongEdge(to.x, to.y, reinterpret_cast<LPARAM>(&walk));
}

void PaintBend(HDC target, HDC saved, const TransformPaint& p)
{
    const RECT& s = p.source;
    const bool rows = p.kind == TRANSFORM_BEND_HORIZONTAL;
    const int half = rows ? p.a.y - s.top : p.a.x - s.left;
    const std::vector<int> n = BendOffsets(rows ? s.left - p.a.x : s.top - p.a.y, half);
    const int width = Width(s), height = Height(s);
    bool flat = true;
    for (int v : n) flat = flat && v == 0;
    if (flat) {
        BitBlt(target, s.left, s.top, width, height, saved, s.left, s.top, SRCCOPY);
        return;
    }
    const int middle = rows ? p.a.y : p.a.x, mirror = rows ? s.top + s.bottom - p.a.y : s.left + s.right - p.a.x;
    for (int i = 0; i <= half; ++i) {
        const int grow = n[static_cast<size_t>(i)];
        for (int line : {middle - i, mirror + i}) {
            if (line == mirror + i && mirror + i == middle - i) continue;  // the middle once
            if (rows)
                StretchBlt(target, s.left - grow, line, width + 2 * grow, 1, saved, s.left, line, width, 1, SRCCOPY);
            else
                StretchBlt(target, line, s.top - grow, 1, height + 2 * grow, saved, line, s.top, 1, height, SRCCOPY);
        }
    }
}

}  // namespace

void PaintTransform(HBITMAP targetBitmap, HBITMAP savedBitmap, const TransformPaint& p)
{
    HDC target = CreateCompatibleDC(nullptr), saved = CreateCompatibleDC(nullptr);
    if (!target || !saved) {
        if (target) DeleteDC(target);
        if (saved) DeleteDC(saved);
        return;
    }
    HGDIOBJ oldTarget = SelectObject(target, targetBitmap), oldSaved = SelectObject(saved, savedBitmap);
    HPALETTE oldPalette = g_appState.documentPalette ? SelectDocumentPalette(target) : nullptr;
    SetStretchBltMode(target, COLORONCOLOR);
    const RECT& s = p.source;
    const RECT& old = p.previousOutput;
    if (old.right >= old.left && old.bottom >= old.top)
        BitBlt(target, old.left, old.top, Width(old), Height(old), saved, old.left, old.top, SRCCOPY);
    if (!p.copy) {
        // Moving: the area's place becomes the transparent colour.
        const RECT area{s.left, s.top, s.right + 1, s.bottom + 1};
        FillRect(target, &area, GetToolBrush(ROLE_TRANSPARENT));
    }
    const LineWalk walk{target, saved, &p};
    switch (p.kind) {
    case TRANSFORM_STRETCH: {
        const RECT box = QuadBounds(p.quad);
        StretchBlt(target, box.left, box.top, Width(box), Height(box), saved, s.left, s.top, Width(s), Height(s), SRCCOPY);
        break;
    }
    case TRANSFORM_SHEAR_HORIZONTAL:
    case TRANSFORM_TRAPEZIUM_HORIZONTAL: WalkEdge(walk, p.quad[0], p.quad[3]); break;
    case TRANSFORM_SHEAR_VERTICAL:
    case TRANSFORM_TRAPEZIUM_VERTICAL: WalkEdge(walk, p.quad[0], p.quad[1]); break;
    case TRANSFORM_BEND_HORIZONTAL:
    case TRANSFORM_BEND_VERTICAL: PaintBend(target, saved, p); break;
    default: BitBlt(target, s.left, s.top, Width(s), Height(s), saved, s.left, s.top, SRCCOPY); break;
    }
    GdiFlush();
    if (oldPalette) SelectPalette(target, oldPalette, TRUE);
    SelectObject(saved, oldSaved);
    SelectObject(target, oldTarget);
    DeleteDC(saved);
    DeleteDC(target);
}
