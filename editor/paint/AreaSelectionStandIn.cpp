// Stands in for the area selection's own unit until the selection tools and
// transforms arrive (they replace this file): the rectangle is only kept, and
// the lasso mask is drawn from g_selection's nodes.
#include "AreaSelection.h"
#include "AppState.h"
#include "PaintHost.h"
#include "PaintTools.h"
#include <algorithm>

namespace {

RECT s_rect{};  // the two corners as set

int ClampTo(int value, int limit) { return std::clamp(value, 0, std::max(limit - 1, 0)); }

}  // namespace

int GetSelectionRect(RECT* rect, int flags)
{
    const int left = std::min(s_rect.left, s_rect.right), right = std::max(s_rect.left, s_rect.right);
    const int top = std::min(s_rect.top, s_rect.bottom), bottom = std::max(s_rect.top, s_rect.bottom);
    *rect = (flags & SELECTION_RECT_SIZE) ? RECT{left, top, right - left + 1, bottom - top + 1}
                                          : RECT{left, top, right, bottom};
    return g_paintHost.testSelectionState ? g_paintHost.testSelectionState(AREA_SELECTED) : 0;
}

void SetSelectionRect(int x1, int y1, int x2, int y2, int flags)
{
    if (flags & SELECTION_SET_SIZE) {
        x2 = x1 + x2 - 1;
        y2 = y1 + y2 - 1;
    }
    s_rect = {ClampTo(x1, g_appState.frameWidth), ClampTo(y1, g_appState.frameHeight),
              ClampTo(x2, g_appState.frameWidth), ClampTo(y2, g_appState.frameHeight)};
}

bool HasSelection()
{
    const bool area = g_paintHost.testSelectionState && g_paintHost.testSelectionState(AREA_SELECTED);
    return area && g_appState.currentTool == TOOL_SELECT_POLYGON && g_selection.selectionPointCount >= 2;
}

HBITMAP CreateLassoMask(const RECT& area)
{
    if (!HasSelection()) return nullptr;
    const int width = area.right - area.left + 1, height = area.bottom - area.top + 1;
    if (width <= 0 || height <= 0) return nullptr;
    HBITMAP mask = CreateBitmap(width, height, 1, 1, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    if (!mask || !dc) {
        if (mask) DeleteObject(mask);
        if (dc) DeleteDC(dc);
        return nullptr;
    }
    HGDIOBJ oldBitmap = SelectObject(dc, mask);
    PatBlt(dc, 0, 0, width, height, BLACKNESS);
    POINT nodes[MAX_SELECTION_POINTS];
    const int count = std::min(g_selection.selectionPointCount, MAX_SELECTION_POINTS);
    for (int i = 0; i < count; ++i)
        nodes[i] = {g_selection.selectionPoints[i].x - area.left, g_selection.selectionPoints[i].y - area.top};
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(WHITE_PEN));
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    Polygon(dc, nodes, count);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
    return mask;
}
