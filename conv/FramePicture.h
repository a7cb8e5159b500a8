// The editor's frame pictures in the library's dialogs: a frame's bitmap,
// asked of the editor, stretched into a strip item or drawn at a place with
// the display palette.
#pragma once
#include "ConvInterface.h"
#include "ReelStrip.h"
#include <windows.h>

struct FramePictureCall {
    ConvHostProc host;
    HPALETTE palette;  // the display palette, or null
    int frame;
    int x, y, width, height;  // where the picture goes
};

// Draws the frame's bitmap into the rectangle; pixels of the transparent
// colour (when `hasTransparent`) show `background`. False when the editor
// has no bitmap of the frame.
bool DrawFramePicture(HDC dc, const FramePictureCall& call, bool hasTransparent, COLORREF transparent,
                      COLORREF background);
// A light grey box with the item's number (from 0) in its centre: the
// strip's default item.
void DrawNumberedItem(const ReelDrawItem& item);
// A strip item: the frame stretched into it, or (frame < 0 or no bitmap)
// a light grey box with the item's number.
void DrawReelFrame(ConvHostProc host, HPALETTE palette, int frame, const ReelDrawItem& item);
