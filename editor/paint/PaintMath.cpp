// The paint tools' arithmetic (see PaintMath.h).
#include "PaintMath.h"
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

int Toward(int delta) { return delta >= 0 ? 1 : -1; }

}  // namespace

POINT SnapLineEnd(POINT anchor, POINT mouse)
{
    const int dx = mouse.x - anchor.x, dy = mouse.y - anchor.y;
    const int u = std::abs(dx), t = std::abs(dy);
    const int v = (u + t) / 4;
    if (v < u && v < t) {
        const int half = (u + t) / 2;
        return {anchor.x + Toward(dx) * half, anchor.y + Toward(dy) * half};
    }
    if (t < u) return {mouse.x, anchor.y};
    return {anchor.x, mouse.y};
}

int LineLength(POINT anchor, POINT mouse)
{
    const double a = std::abs(mouse.x - anchor.x) + 1.0, b = std::abs(mouse.y - anchor.y) + 1.0;
    return static_cast<int>(std::sqrt(a * a + b * b));
}

POINT SquareCorner(POINT anchor, POINT mouse)
{
    const int dx = mouse.x - anchor.x, dy = mouse.y - anchor.y;
    const int side = (std::abs(dx) + std::abs(dy)) / 2;
    return {anchor.x + Toward(dx) * side, anchor.y + Toward(dy) * side};
}

EllipseShape EllipseFor(POINT centre, POINT mouse, bool circle, int centreMode)
{
    EllipseShape e{};
    e.rh = std::abs(mouse.x - centre.x);
    e.rv = std::abs(mouse.y - centre.y);
    if (circle) e.rh = e.rv = (e.rh + e.rv) / 2;
    const int m = centreMode ? 1 : 0;
    e.box = {centre.x - e.rh, centre.y - e.rv, centre.x + m + e.rh, centre.y + m + e.rv};
    return e;
}

bool EllipseHasSize(const EllipseShape& shape)
{
    if (shape.rh == 0 && shape.rv == 0) return false;
    return shape.box.right > shape.box.left && shape.box.bottom > shape.box.top;
}

void PlanThickLine(POINT from, POINT to, int width, bool keepStart, ThickLine* plan)
{
    plan->count = 0;
    const int w = std::clamp(width, 1, MAX_PEN_WIDTH);
    int dx = to.x - from.x, dy = to.y - from.y;
    if (dx == 0 && dy == 0) return;
    const bool shallow = std::abs(dy) < std::abs(dx);
    const int first = -(w / 2), last = (w + 1) / 2 - 1;
    plan->clip = {std::min(from.x, to.x) - w / 2, std::min(from.y, to.y) - w / 2,
                  std::max(from.x, to.x) + (w + 1) / 2, std::max(from.y, to.y) + (w + 1) / 2};
    // Short lines are stretched so that the extension reaches past the box.
    if (dx < w && dy < w) {
        dx *= w;
        dy *= w;
    }
    const POINT start = keepStart ? from : POINT{from.x - dx, from.y - dy};
    const POINT end = {to.x + dx, to.y + dy};
    const bool sameSign = (dx >= 0 && dy >= 0) || (dx < 0 && dy < 0);
    const POINT along = shallow ? POINT{dx >= 0 ? 1 : -1, 0} : POINT{0, dy >= 0 ? 1 : -1};
    for (int j = 0; j < w; ++j) {
        const int k = first + j;
        const int t = sameSign ? first + last - k : k;
        const int pen = dy < 0 ? j : w - 1 - j;
        for (int again = 0; again < 2; ++again) {
            const int ox = k + again * along.x, oy = t + again * along.y;
            plan->strokes[plan->count++] = {{start.x + ox, start.y + oy}, {end.x + ox, end.y + oy}, pen};
        }
    }
}

bool PolygonFinishes(const POINT* nodes, int count, POINT release)
{
    if (count > 127) return true;
    return count >= 2 && std::abs(release.x - nodes[0].x) <= 1 && std::abs(release.y - nodes[0].y) <= 1;
}

int ArcSense(POINT centre, POINT press, POINT now)
{
    // The cross product of the radius and the movement; the screen's y axis
    // points down, so a counterclockwise turn on the screen is negative.
    const long long rx = press.x - centre.x, ry = press.y - centre.y;
    const long long mx = now.x - press.x, my = now.y - press.y;
    const long long cross = rx * my - ry * mx;
    return cross < 0 ? 1 : cross > 0 ? -1 : 0;
}

SprayRule SprayRuleFor(int n)
{
    if (n <= 1) return {1, 1, 3};
    if (n == 2) return {1, 2, 5};
    const int d = (n - 1) / 2;
    return {d, n - d + 1, 2 * n + 2 - d};
}

bool SprayKeeps(int n, int h, int m)
{
    const SprayRule r = SprayRuleFor(n);
    return r.d <= h + m && h + m <= r.f && std::abs(h - m) <= r.e;
}

int SprayDepth(int n, int h, int m)
{
    const SprayRule r = SprayRuleFor(n);
    int t = 0;
    while (t < n && r.d + t + 1 <= h + m && h + m <= r.f - t - 1 && std::abs(h - m) <= r.e - t - 1) ++t;
    return t;
}

int SprayOffset(int n) { return (n + 2) / 2 - (n % 2 == 0 ? 1 : 0); }

int SprayBurst(int n, int (*random)(), SprayDot* dots)
{
    n = std::clamp(n, 1, MAX_PEN_WIDTH);
    const int r = SprayOffset(n);
    int count = 0;
    for (int attempt = 0; attempt < n * n && count < n + 2; ++attempt) {
        const int h = random() % (n + 2);
        const int m = random() % (n + 2);
        if (SprayKeeps(n, h, m)) dots[count++] = {h - r, m - r, SprayDepth(n, h, m)};
    }
    return count;
}
