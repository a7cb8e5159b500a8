// The editor's frame bitmaps drawn into the library's strips and previews.
#include "FramePicture.h"
#include <cstdio>

bool DrawFramePicture(HDC dc, const FramePictureCall& call, bool hasTransparent, COLORREF transparent,
                      COLORREF background)
{
    if (!call.host || call.frame < 0) return false;
    HBITMAP bitmap = nullptr;
    HDC frameDc = reinterpret_cast<HDC>(call.host(CONV_REQ_GET_FRAME_BITMAP, &bitmap, static_cast<ULONG_PTR>(call.frame)));
    BITMAP info{};
    if (!frameDc || !bitmap || !GetObjectA(bitmap, sizeof info, &info)) return false;
    HPALETTE old = call.palette ? SelectPalette(dc, call.palette, FALSE) : nullptr;
    if (old) RealizePalette(dc);
    HGDIOBJ previous = SelectObject(frameDc, bitmap);
    if (hasTransparent) {
        // The background first; the frame's transparent pixels leave it showing.
        const RECT box{call.x, call.y, call.x + call.width, call.y + call.height};
        HBRUSH brush = CreateSolidBrush(background);
        FillRect(dc, &box, brush);
        DeleteObject(brush);
        GdiTransparentBlt(dc, call.x, call.y, call.width, call.height, frameDc, 0, 0, info.bmWidth, info.bmHeight,
                          transparent);
    } else {
        StretchBlt(dc, call.x, call.y, call.width, call.height, frameDc, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    }
    SelectObject(frameDc, previous);
    if (old) SelectPalette(dc, old, FALSE);
    return true;
}

void DrawReelFrame(ConvHostProc host, HPALETTE palette, int frame, const ReelDrawItem& item)
{
    const FramePictureCall call{host, palette, frame, item.x, item.y, item.width, item.height};
    if (!DrawFramePicture(item.dc, call, false, 0, 0)) DrawNumberedItem(item);
}

void DrawNumberedItem(const ReelDrawItem& item)
{
    const RECT box{item.x, item.y, item.x + item.width, item.y + item.height};
    FillRect(item.dc, &box, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    char number[16];
    snprintf(number, sizeof number, "%d", item.index);
    RECT text = box;
    SetBkMode(item.dc, TRANSPARENT);
    DrawTextA(item.dc, number, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}
