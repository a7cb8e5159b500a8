// The picture of the animation window that the path canvas, the region
// editor and the test run draw on: the background colour or picture at the
// window's size, and the arithmetic of where the picture sits.
#pragma once
#include "AnsFile.h"
#include <windows.h>

// A memory DC holding a window-size bitmap; FreeBackgroundDC undoes it.
struct BackgroundPicture {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previousBitmap = nullptr;
    HPALETTE previousPalette = nullptr;
    SIZE size{};
};

// Builds the window's background at `size`: filled with the background
// colour (the nearest colour of the display palette), and with bit 31 of
// backgroundColor the background picture drawn over it, centred with
// playFlags 0x40, else at imageX, imageY. Result: 1; RESULT_OUT_OF_MEMORY
// when the DC or bitmap cannot be made (nothing is left to free); or the
// picture's read error, when the picture is missing or damaged: the DC then
// holds the colour alone.
int BuildBackgroundDC(BackgroundPicture* picture, HDC reference, SIZE size);
void FreeBackgroundDC(BackgroundPicture* picture);

// Where a picture of `image` size goes in a window of `window` size.
POINT BackgroundImageOrigin(const AnimationSettings& settings, SIZE window, SIZE image);
