// Frame bitmaps: each frame of the current sequence is one bitmap, either a
// device-dependent bitmap in the display's format or a DIB section in the
// document's colour format (the bitmap mode, chosen once at start-up), and the
// conversions between bitmaps, colour formats and packed DIBs.
#pragma once
#include <windows.h>
#include "DibSizes.h"  // GetDibImageBytesForColors
#include <cstdint>

// InsertDibIntoBitmap flags.
constexpr UINT INSERT_PALETTE_MODE_MASK = 0x003;  // the UseSavedPalette values: 1 ask
constexpr UINT INSERT_DITHER = 0x004;
constexpr UINT INSERT_NO_DITHER = 0x008;
constexpr UINT INSERT_FIRST_FRAME = 0x010;        // the image sets format and palette
constexpr UINT INSERT_MERGE_COLORS = 0x020;
constexpr UINT INSERT_STRETCH = 0x040;
constexpr UINT INSERT_ASK_STRETCH = 0x080;
constexpr UINT INSERT_KEEP_DECISIONS = 0x100;     // dither and stretch as in the previous call
constexpr UINT INSERT_IMAGE_SIZE = 0x200;         // a new bitmap gets the image's size

// Bits per pixel of a colour format; the 20-colour format is an 8-bit one.
int ColorCountToBits(int colorCount);
int BitsToColorCount(int bitsPerPixel);

// Whether frames are device-dependent bitmaps: the "UseDeviceBitmaps" value,
// -1 deciding by the system version (GetVersion's low word): up to 4.0 yes.
bool DecideDeviceBitmaps(int setting, DWORD version);
// Reads the bitmap mode at main-window creation.
void InitBitmapMode(HDC dc);
// The display's bits per pixel (planes x bits), read once.
int GetDisplayBitsPerPixel();

HBITMAP CreateDisplayBitmap(int width, int height);
HBITMAP CreateMonoBitmap(int width, int height);
// bits 0 = the display's depth; palette null = the display palette.
HBITMAP CreateFrameBitmapEx(HDC dc, int width, int height, int bitsPerPixel, HPALETTE palette);
// A frame of the current format and palette.
HBITMAP CreateFrameBitmap(int width, int height);
// Gives DIB-section frames the document palette's colours.
void UpdateFrameColorTables();

// A new packed DIB of the bitmap at `bits` (0: its own depth), the colour
// table from the document palette. Null when unreadable or out of memory.
HGLOBAL BitmapToPackedDib(HBITMAP bitmap, int bitsPerPixel);

// The one road by which an image becomes a frame: 1 drawn, 0 cancelled,
// 0x7001 when no bitmap could be made, 0x8004 for an image that does not hold.
int InsertDibIntoBitmap(HGLOBAL dib, HBITMAP* slot, UINT flags, int x, int y);
