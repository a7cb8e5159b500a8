// Frames and the system clipboard: images come in as device-independent
// bitmaps (CF_DIB) or as device-dependent bitmaps with their palette
// (CF_BITMAP, CF_PALETTE), are turned into the frame format through the
// palette questions, and are pasted through the transparent colour; frames go
// out as CF_DIB in their own format with the document palette beside them.
//
// A clipboard image comes from any program: every CF_DIB is checked against
// its block before use, and a damaged one is reported (message 32772), never
// read. Each function reports its own failures (28674 when the clipboard
// cannot be opened, 28673 when memory runs out).
#pragma once
#include <windows.h>

// The clipboard holds CF_BITMAP or CF_DIB (Paste is available).
bool IsClipboardImageAvailable();
// 1 and the image's width, height and bits per pixel (each pointer may be
// null); 0 when there is none, it is damaged, or the clipboard cannot be opened.
int GetClipboardImageSize(int* width, int* height, int* bits);

// Insert flags of InsertDibIntoBitmap for a clipboard image of that depth
// and colour table, or -1 when the palette question was cancelled.
int DecideClipboardColorMode(int bits, const RGBQUAD* colors, int count);
// 1 when the palette's entries 8..247 (as far as it has them) equal the
// document palette's, or when it has no entry 21.
int PaletteMatchesDocument(HPALETTE palette);
// Redraws a clipboard bitmap in the document palette (asking how) and puts
// the result back on the open clipboard as CF_BITMAP; 0 when cancelled.
int ConvertClipboardBitmap(HBITMAP bitmap, HPALETTE palette);

// The transparent colour as a monochrome mask of a bitmap's rectangle and
// the two raster operations that paste through it: the mask with the first,
// the picture with the second. Without a transparent colour there is no mask
// and the first operation is SRCCOPY alone.
struct TransparencyMask {
    HBITMAP mask;      // null: paste with firstRop only
    DWORD firstRop;    // with the mask: SRCAND, or SRCPAINT when the transparent colour is the last entry
    DWORD secondRop;   // with the picture: SRCPAINT, or SRCAND
};
// `convert`: the picture's transparent pixels are made all zeros when the
// pair needs it (a transparent colour neither first nor last). Returns firstRop.
DWORD CreateTransparencyMask(HBITMAP bitmap, int x, int y, int width, int height, int convert, TransparencyMask* out);
void FreeTransparencyMask(TransparencyMask* mask);

// The clipboard image as a frame-format bitmap of its own size with its mask,
// for pasting an area into the frame editor.
struct ClipboardImage {
    HBITMAP bitmap;
    TransparencyMask transparency;
    int width, height;
};
// 1 and the image; 0 when there is none (or it was refused and reported).
int GetClipboardImageWithMask(ClipboardImage* image);
void FreeClipboardImage(ClipboardImage* image);

// Draws `width` x `height` pixels of a picture onto a bitmap of the same
// format, leaving the target where the picture has the transparent colour.
void PasteThroughTransparency(HBITMAP target, int x, int y, HBITMAP picture, int width, int height);

// The clipboard image at the top left of a frame, through the transparent
// colour. 1 pasted, 0 not.
int PasteClipboardIntoFrame(HBITMAP frame);
// The clipboard image at (x, y) into every frame of the frame selection,
// after one undo group of them when asked; the frame selection is cleared
// afterwards with AutoClearFrameSelection. 1 pasted, 0 not.
int PasteClipboardIntoSelectedFrames(int x, int y, int width, int height, int recordUndo);

// A picture in the frame format onto the clipboard: CF_DIB, or CF_BITMAP with
// the document palette when no DIB can be made, then the palette. 1 copied.
int CopyBitmapToClipboard(HBITMAP picture);
// With the clipboard open: the document palette, padded to 256 entries, as
// CF_PALETTE (formats of 16 colours and more on displays of 256 and more).
void PutPaletteOnClipboard();
