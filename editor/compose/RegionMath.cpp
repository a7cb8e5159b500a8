// The arithmetic of the foreground region editor.
#include "RegionMath.h"
#include <cstdlib>

int SnapToRectCorner(POINT* point, const RECT& rect, int distance)
{
    const struct {
        LONG x, y;
        int code;
    } corners[] = {
        {rect.left, rect.top, CORNER_LEFT_TOP},
        {rect.right, rect.top, CORNER_RIGHT_TOP},
        {rect.right, rect.bottom, CORNER_RIGHT_BOTTOM},
        {rect.left, rect.bottom, CORNER_LEFT_BOTTOM},
    };
    const POINT original = *point;
    int found = 0;
    for (const auto& corner : corners) {
        if (labs(original.x - corner.x) < distance && labs(original.y - corner.y) < distance) {
            *point = {corner.x, corner.y};
            found = corner.code;
        }
    }
    return found;
}
