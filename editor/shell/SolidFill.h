// Filling boxes in one colour, for the owner-drawn controls of the shell.
#pragma once
#include <windows.h>

// Fills (left, top)-(right, bottom), right and bottom excluded; an empty box
// draws nothing.
inline void FillSolidBox(HDC dc, int left, int top, int right, int bottom, COLORREF color)
{
    if (right <= left || bottom <= top) return;
    RECT box = {left, top, right, bottom};
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &box, brush);
    DeleteObject(brush);
}
