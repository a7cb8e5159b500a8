// Small drawing and message helpers that keep the 16-bit call forms (a point
// or size packed into one 32-bit value), and the random numbers, shared by the
// editor and the players.
#pragma once
#include <windows.h>
#include <cstdint>

// Moves the pen; the previous position as y << 16 | x (16 bits each).
uint32_t CompatMoveTo(HDC dc, int x, int y);
// Sets the window origin; the previous origin packed as above.
uint32_t CompatSetWindowOrg(HDC dc, int x, int y);
// The extent of `length` characters of `text` as cy << 16 | cx, 0 on failure.
uint32_t CompatGetTextExtent(HDC dc, const char* text, int length);
// The dimension set on a bitmap as cy << 16 | cx, 0 on failure.
uint32_t CompatGetBitmapDimension(HBITMAP bitmap);
// Sends `target` a WM_COMMAND as a control would: notify code << 16 | the
// 16-bit command id, and the control's window.
LRESULT SendCommand(HWND target, UINT command, HWND control, UINT notifyCode);
// x from the low 16 bits, y from the high 16 bits, both zero-extended.
POINT MakePoint(uint32_t packed);
// Seeds the random numbers with the current time.
void Randomize();
// A random number 0..n-1 (0 when n is not positive).
int RandomBelow(int n);
