// The paint tools 0-7 and 9 (freehand, line, rectangle, ellipse, arc and pie,
// polygon, fill, spray can, eyedropper): their entries in the canvas's tool
// table, and what the palette window and the tests call in them.
#pragma once
#include <windows.h>

// Puts the handlers of tools 0-7 and 9 into the canvas's tool table.
void InstallDrawingTools();

// The spray can's random numbers (rand unless a test gives a seeded source;
// null puts rand back).
void SetSprayRandomSource(int (*random)());

// The fill: every selected frame whose pixel at the frame point has the
// current frame's colour there is filled from that point, the current frame
// last, as one undo group; with `withPattern` by the fill pattern (its origin
// at the point with `patternAtPoint`, else at 0, 0), otherwise in the colour
// of `role`. Then the view, the film and the frames' modified marks follow.
// Returns the number of frames filled.
int FillSelectedFrames(POINT at, int role, bool withPattern, bool patternAtPoint);
// Fills one frame (selected in `dc`, w x h) from `at` without ExtFloodFill:
// the region of the seed colour is found in a monochrome mask and painted
// with `brush` (the pattern's set pixels only, in the fill colour, when
// `pattern` is given).
void MaskFill(HDC dc, int width, int height, POINT at, COLORREF seed, HBRUSH brush, HBRUSH pattern, POINT patternOrigin);

// ---- the palette window's side ----------------------------------------------------

// Sent by the eyedropper with Ctrl to the palette window: wParam = the palette
// index whose cell starts a drag.
constexpr UINT PALETTE_BEGIN_DRAG = WM_USER + 21;  // 1045

// What the eyedropper asks of the palette window while it exists; a null
// member makes the eyedropper set the tool colour itself (SetToolColorIndex
// and EDIT_COLORS_CHANGED to the canvas).
struct PaletteLink {
    // Highlighting of the picked colour's cell on or off (off repaints).
    void (*setPickHighlight)(int on);
    // The index becomes the colour of the role (0 pen, 1 fill, 2 transparent)
    // and gets a cell when it has none.
    int (*addColorToCells)(int index, int role);
};
extern PaletteLink g_paletteLink;

// A colour dragged from the palette window and dropped on the canvas at frame
// point `at`: fills there as a fill of `role` (0 pen, 1 fill) without the
// fill pattern. The palette window has made it the role's colour already.
void FillDroppedColor(POINT at, int role);
