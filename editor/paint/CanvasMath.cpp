// The frame canvas's arithmetic (see CanvasMath.h).
#include "CanvasMath.h"
#include "FrameCanvas.h"
#include <algorithm>
#include <cstdlib>

namespace {
constexpr int WHEEL_NOTCH = 120;
constexpr int MIN_SCROLL_STEP = 8;
}  // namespace

int PixelFromClient(int client, int zoomShift)
{
    return client >= 0 ? client >> zoomShift : -((-client) >> zoomShift);
}

POINT PixelFromLParam(LPARAM lParam, int zoomShift)
{
    const int x = static_cast<short>(LOWORD(lParam));
    const int y = static_cast<short>(HIWORD(lParam));
    return {PixelFromClient(x, zoomShift), PixelFromClient(y, zoomShift)};
}

int ScrollStep(int viewExtent, int zoomShift)
{
    return std::max((viewExtent >> zoomShift) / 3, MIN_SCROLL_STEP);
}

int ScrollBarDelta(int code, int thumb, int position, int maximum, int step)
{
    switch (code) {
    case SB_LINEUP: return -1;
    case SB_LINEDOWN: return 1;
    case SB_PAGEUP: return -step;
    case SB_PAGEDOWN: return step;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: return thumb - position;
    case SB_TOP: return -position;
    case SB_BOTTOM: return maximum - position;
    default: return 0;
    }
}

int ClampScrollDelta(int offset, int delta, int maximum)
{
    return std::clamp(offset + delta, 0, std::max(maximum, 0)) - offset;
}

int WheelSteps(int delta, int* remainder)
{
    // A turn against the direction of the kept remainder starts afresh.
    if ((*remainder > 0 && delta < 0) || (*remainder < 0 && delta > 0)) *remainder = 0;
    const int total = *remainder + delta;
    const int steps = total / WHEEL_NOTCH;
    *remainder = total - steps * WHEEL_NOTCH;
    return steps;
}

int AutoScrollDistance(int client, int viewExtent)
{
    if (client >= viewExtent) return std::min((client - viewExtent) / 16 + 1, 8);
    if (client < 0) return -(std::min(-client / 12, 11) + 1);
    return 0;
}

int ClampViewSize(int requested, int frameExtent)
{
    int size = requested < MIN_VIEW_SIZE + 1 ? MIN_VIEW_SIZE : requested;
    if (frameExtent > 0) size = std::min(size, MAX_VIEW_ZOOM * frameExtent);
    return size;
}

CanvasLayout ComputeCanvasLayout(int bufferWidth, int bufferHeight, int frameWidth, int frameHeight, int zoomShift)
{
    CanvasLayout l{};
    auto axis = [zoomShift](int buffer, int frame, int* view, int* maximum, int* page, bool* shown) {
        *view = buffer;
        *maximum = frame - (buffer >> zoomShift);
        if (buffer >= (frame << zoomShift)) {
            *view = frame << zoomShift;
            *maximum = 0;
        }
        *maximum = std::max(*maximum, 0);
        *page = buffer >> zoomShift;
        *shown = *page < frame;
    };
    axis(bufferWidth, frameWidth, &l.viewWidth, &l.maxScrollX, &l.pageX, &l.hBarShown);
    axis(bufferHeight, frameHeight, &l.viewHeight, &l.maxScrollY, &l.pageY, &l.vBarShown);
    return l;
}

int CellSizeFor(int zoomShift, int showGrid)
{
    const int factor = 1 << zoomShift;
    return zoomShift >= 2 && showGrid ? factor - 1 : factor;
}

KeyCursorMove KeyCursorStep(int position, int direction, int factor, int extent)
{
    if (direction < 0) {
        if (position < factor) return {0, -1};
        return {position - factor, 0};
    }
    const int next = position + factor;
    if (next >= extent) return {extent - factor, 1};
    return {next, 0};
}

int CellMiddle(int position, int factor)
{
    return (position & ~(factor - 1)) + factor / 2;
}
