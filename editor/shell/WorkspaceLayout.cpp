// The arithmetic of the workspace: where canvas, film and grip go, the splits,
// the zoom that fits a frame and the film's thumbnails.
#include "Workspace.h"
#include "AppState.h"
#include "EditorSettings.h"
#include <algorithm>

namespace {
constexpr int MIN_CANVAS = 64;
constexpr int MAX_ZOOM = 8;
constexpr int MIN_FILM_WIDTH = 80;
constexpr int MAX_FILM_WIDTH = 1200;
constexpr int FILM_BORDER = 32;  // perforation above and below the thumbnails

int RoundDown8(int value) { return value & ~7; }
}  // namespace

int AutomaticFilmPlacement(int frameWidth, int frameHeight)
{
    return frameWidth >= frameHeight ? FILM_BELOW : FILM_RIGHT;
}

ViewLayout ComputeViewLayout(const LayoutInput& in)
{
    ViewLayout out{};
    const int W = in.workspaceWidth, H = in.workspaceHeight;
    const int fw = std::max(in.frameWidth, 1), fh = std::max(in.frameHeight, 1);
    const int hs = in.hScrollHeight;
    const int left = in.canvasLeft > 0 ? in.canvasLeft : CANVAS_LEFT;
    const int F = fh + FILM_BORDER + hs;
    const int m = fh <= 16 ? 48 : 56;
    int cw, ch;
    if (in.placement == FILM_RIGHT) {
        cw = std::clamp(in.horizontalSplit, MIN_CANVAS, std::max(MIN_CANVAS, MAX_ZOOM * fw));
        ch = H - CANVAS_TOP > 71 ? RoundDown8(H - CANVAS_TOP) : MIN_CANVAS;
        out.filmX = left + cw + 24;
        out.filmHeight = std::max(std::min(F, H + hs + 4 - CANVAS_TOP) + 1, m);
        out.filmY = out.filmHeight > H - CANVAS_TOP ? CANVAS_TOP - (hs + 4) : CANVAS_TOP;
        out.splitMin = left + MIN_CANVAS;
        out.splitMax = std::min(left + MAX_ZOOM * fw, W - 64);
    } else {
        cw = std::max(RoundDown8(W - left - (in.maximized ? 8 : 0)), MIN_CANVAS);
        ch = std::clamp(in.verticalSplit, MIN_CANVAS, std::max(MIN_CANVAS, MAX_ZOOM * fh));
        out.filmX = left;
        out.filmY = CANVAS_TOP + ch + 16;
        const int room = H - CANVAS_TOP - ch - 16;
        out.filmHeight = std::min(F, std::max(m, room)) + 1;
        if (F < room) {
            const int grow = std::max(std::min(room - F, MAX_ZOOM * fh - ch), 0);
            ch += grow;
            out.filmY += grow;
        }
        if (ch < MAX_ZOOM * fh) out.filmX -= in.vScrollWidth + 4;
        out.splitMin = std::max(CANVAS_TOP + MIN_CANVAS, H - F - 16);
        out.splitMax = std::min(CANVAS_TOP + MAX_ZOOM * fh, H - 3 * hs - 16);
    }
    out.filmWidth = std::clamp(W - out.filmX, MIN_FILM_WIDTH, MAX_FILM_WIDTH);
    out.canvasWidth = RoundDown8(cw);
    out.canvasHeight = RoundDown8(ch);
    out.canvas = {left, CANVAS_TOP, out.canvasWidth, out.canvasHeight};
    if (in.placement == FILM_RIGHT) {
        out.gripX = left + out.canvasWidth + 8;
        out.gripY = CANVAS_TOP;
        out.gripWidth = GRIP_THICKNESS;
        out.gripHeight = out.canvasHeight;
    } else {
        out.gripX = left;
        out.gripY = CANVAS_TOP + out.canvasHeight + 4;
        out.gripWidth = out.canvasWidth;
        out.gripHeight = GRIP_THICKNESS;
    }
    return out;
}

int ViewZoomForSize(int viewWidth, int viewHeight, int frameWidth, int frameHeight)
{
    // Along the frame's longer side: halve the view while it is larger than
    // the frame, at most three times (small frames show up to 8 times).
    int view = frameWidth > frameHeight ? viewWidth : viewHeight;
    const int frame = frameWidth > frameHeight ? frameWidth : frameHeight;
    int shift = 0;
    while (shift < 3 && view > frame) {
        view /= 2;
        ++shift;
    }
    return shift;
}

int HorizontalSplitFor(int width, int percent)
{
    return std::min(width * percent / 100, width - (CANVAS_LEFT + 74));
}

int VerticalSplitFor(int height, int percent, int hScrollHeight, int frameHeight)
{
    int split = std::min(height * percent / 100, height - CANVAS_TOP - hScrollHeight - 56);
    if (frameHeight > 16) split -= 8;
    return split;
}

int SplitPercent(int split, int clientSize)
{
    const int rounded = clientSize & ~7;
    if (rounded <= 0) return DEFAULT_VIEW_PERCENT;
    const int percent = split * 100 / rounded;
    return percent < MIN_VIEW_PERCENT || percent > MAX_VIEW_PERCENT ? DEFAULT_VIEW_PERCENT : percent;
}

FilmMetrics ComputeFilmMetrics(int clientHeight, int frameWidth, int frameHeight, bool zoomFilm)
{
    FilmMetrics m{};
    const int room = clientHeight - FILM_BORDER;
    if (zoomFilm && room < frameHeight && room > 0 && frameHeight > 0) {
        m.scaled = true;
        m.thumbHeight = room;
        m.thumbWidth = std::max(frameWidth * room / frameHeight, 1);
        m.gap = 12;
        return m;
    }
    m.thumbWidth = frameWidth;
    m.thumbHeight = frameHeight;
    m.hiddenHeight = std::max(frameHeight - clientHeight + FILM_BORDER, 0);
    m.gap = (m.hiddenHeight == 0 || frameWidth < frameHeight) ? 12 : 16;
    return m;
}

int FilmLength(const FilmMetrics& m, int frameCount)
{
    return (m.thumbWidth + m.gap) * frameCount + FILM_LEAD;
}
