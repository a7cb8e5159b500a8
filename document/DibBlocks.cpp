#include "DibBlocks.h"
#include <algorithm>
#include <cstring>

bool ViewOfDib(HBITMAP bitmap, DibView* view)
{
    DIBSECTION d;
    if (!bitmap || GetObject(bitmap, sizeof d, &d) != sizeof d || !d.dsBm.bmBits || d.dsBm.bmBitsPixel < 16) return false;
    view->bits = static_cast<BYTE*>(d.dsBm.bmBits);
    view->width = d.dsBm.bmWidth;
    view->height = d.dsBm.bmHeight;
    view->stride = d.dsBm.bmWidthBytes;
    view->bytesPerPixel = d.dsBm.bmBitsPixel / 8;
    view->bottomUp = d.dsBmih.biHeight > 0;
    return true;
}

void CopyDibBlock(const DibView& from, int fx, int fy, const DibView& to, int tx, int ty, int w, int h)
{
    if (fx < 0) { tx -= fx; w += fx; fx = 0; }
    if (fy < 0) { ty -= fy; h += fy; fy = 0; }
    if (tx < 0) { fx -= tx; w += tx; tx = 0; }
    if (ty < 0) { fy -= ty; h += ty; ty = 0; }
    w = std::min({w, from.width - fx, to.width - tx});
    h = std::min({h, from.height - fy, to.height - ty});
    if (w <= 0 || h <= 0 || from.bytesPerPixel != to.bytesPerPixel) return;
    const int bpp = from.bytesPerPixel;
    for (int y = 0; y < h; ++y) memcpy(to.Row(ty + y) + tx * bpp, from.Row(fy + y) + fx * bpp, static_cast<size_t>(w) * bpp);
}
