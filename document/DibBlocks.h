// Blocks of pixels copied as memory between DIB sections of one true-colour
// format: what lies under a moving object is saved and put back this way,
// far faster than through device contexts.
#pragma once
#include <windows.h>

// The pixels of a DIB section of 16 bits or more, row by row from the top.
struct DibView {
    BYTE* bits = nullptr;
    int width = 0, height = 0, stride = 0, bytesPerPixel = 0;
    bool bottomUp = true;
    BYTE* Row(int y) const { return bits + static_cast<ptrdiff_t>(bottomUp ? height - 1 - y : y) * stride; }
};

// False for a null bitmap, a device bitmap or a DIB section under 16 bits.
// Make the sections bottom-up: a top-down one came out upside down here
// (Wine reports its height as positive).
bool ViewOfDib(HBITMAP bitmap, DibView* view);
// Copies a w by h block between two views of one format, clipped to both.
// Drawing through GDI that is not yet flushed (GdiFlush) is not seen.
void CopyDibBlock(const DibView& from, int fx, int fy, const DibView& to, int tx, int ty, int w, int h);
