// The geometric edits of the Image menu on one frame's area: shifting by one
// pixel, flipping and rotating around a pivot, each reading the picture as it
// was before (the frame's undo copy) and limited to a lasso mask when one is
// given; with the rotation settings the dialog and the menu share.
#pragma once
#include <windows.h>
#include <cstdint>
#include <vector>

class DibPixels;

// An area of a frame: its top-left pixel and size.
struct FrameArea {
    int x, y, width, height;
};

// A lasso mask of an area, one byte a pixel (nonzero inside); empty: the
// whole area.
struct AreaMask {
    int width = 0, height = 0;
    std::vector<uint8_t> inside;
    bool Empty() const { return inside.empty(); }
    bool At(int column, int row) const
    {
        return inside.empty() || (column >= 0 && row >= 0 && column < width && row < height &&
                                  inside[static_cast<size_t>(row) * width + column]);
    }
};
// The white pixels of a monochrome mask bitmap; empty for null.
AreaMask ReadAreaMask(HBITMAP mask);

// ---- rotation settings -----------------------------------------------------------

// Pivot positions 0..8, row by row (top left .. bottom right); 4 the centre.
constexpr int PIVOT_CENTRE = 4;
// The pivot code of a position: row bit (0x10 top, 0x20 middle, 0x40
// bottom) | column bit (2 left, 4 centre, 8 right).
int PivotCode(int position);
// The position a pivot moves to when the area turns by 90 degrees.
int TurnPivotPosition(int position, bool clockwise);

struct RotationSettings {
    int angle;           // degrees, positive clockwise
    double sine, cosine; // of the angle
    int pivot;           // position 0..8
    int deleteVacant;    // 0/1: the area is emptied before the turned pixels are painted
};
extern RotationSettings g_rotation;
// Each stores a value (and returns it); SetRotationPivot and
// SetDeleteVacantPixels only read with any argument outside their range.
// (SetRotationAngle, which also retitles the menu, stores through
// StoreRotationAngle.)
int StoreRotationAngle(int degrees);
int SetRotationPivot(int position);
int SetDeleteVacantPixels(int on);

// ---- the pixel passes ---------------------------------------------------------------

// The area's pixels move by (dx, dy) inside the area; the freed line keeps
// its old pixels, or gets `fillValue` with `fill`. Only pixels inside the
// mask change.
void ShiftAreaPixels(DibPixels& frame, const DibPixels& before, const FrameArea& area, const AreaMask& mask, int dx,
                     int dy, bool fill, uint32_t fillValue);
// Mirrors the area left-right (`horizontal`) or top-bottom; the mask is
// mirrored with it, and pixels outside the mirrored mask stay.
void FlipAreaPixels(DibPixels& frame, const DibPixels& before, const FrameArea& area, const AreaMask& mask,
                    bool horizontal);
// The mask mirrored the same way.
AreaMask FlipMask(const AreaMask& mask, bool horizontal);

// The first offsets of the area's columns and rows from the pivot (the
// offsets run from x0 to x0 + width - 1) and the pivot point.
struct PivotFrame {
    int x0, y0;  // offsets of the area's left column and top row
    int px, py;  // the pivot point in the frame
};
PivotFrame PivotFrameOf(const FrameArea& area, int pivotCode);

struct RotationPass {
    FrameArea area;
    int pivotCode;
    double degrees;       // |angle|
    bool clockwise;
    bool singlePixel;     // Shift: every pixel painted 1 pixel wide
    bool emptyFirst;      // delete vacant pixels
    uint32_t emptyValue;  // the transparent colour's value
};
// Where an offset from the pivot goes: exactly for 90 degrees, else rounded
// (halves towards zero).
POINT TurnOffset(int x, int y, const RotationPass& pass, int width, int height);
// Rotates the area's pixels inside the mask from `before` into `frame`,
// clipped to the frame. `row` (may be null) is called after each source row;
// it returns false to stop.
void RotateAreaPixels(DibPixels& frame, const DibPixels& before, const AreaMask& mask, const RotationPass& pass,
                      bool (*row)(void* context), void* context);
// Points (lasso nodes) turned like pixels around the pivot.
void TurnPoints(POINT* points, int count, const RotationPass& pass);
// The bounding box of the turned area (right and bottom inclusive), clipped
// to a frame of `frameWidth` x `frameHeight`.
RECT TurnedAreaBounds(const RotationPass& pass, int frameWidth, int frameHeight);
// The progress dialog opens from this much work on.
constexpr int ROTATION_PROGRESS_THRESHOLD = 10000;
inline bool RotationShowsProgress(int frames, int width, int height)
{
    return static_cast<int64_t>(frames) * height * width >= ROTATION_PROGRESS_THRESHOLD;
}
