#include "Compat.h"
#include <cstdlib>
#include <ctime>

namespace {

uint32_t PackPair(LONG low, LONG high)
{
    return static_cast<uint32_t>(static_cast<uint16_t>(high)) << 16 | static_cast<uint16_t>(low);
}

}  // namespace

uint32_t CompatMoveTo(HDC dc, int x, int y)
{
    POINT old{};
    if (!MoveToEx(dc, x, y, &old)) return 0;
    return PackPair(old.x, old.y);
}

uint32_t CompatSetWindowOrg(HDC dc, int x, int y)
{
    POINT old{};
    if (!SetWindowOrgEx(dc, x, y, &old)) return 0;
    return PackPair(old.x, old.y);
}

uint32_t CompatGetTextExtent(HDC dc, const char* text, int length)
{
    SIZE size{};
    if (!text || length < 0 || !GetTextExtentPoint32A(dc, text, length, &size)) return 0;
    return PackPair(size.cx, size.cy);
}

uint32_t CompatGetBitmapDimension(HBITMAP bitmap)
{
    SIZE size{};
    if (!GetBitmapDimensionEx(bitmap, &size)) return 0;
    return PackPair(size.cx, size.cy);
}

LRESULT SendCommand(HWND target, UINT command, HWND control, UINT notifyCode)
{
    const WPARAM wParam = static_cast<WPARAM>(static_cast<uint32_t>(notifyCode & 0xFFFF) << 16 | (command & 0xFFFF));
    return SendMessageA(target, WM_COMMAND, wParam, reinterpret_cast<LPARAM>(control));
}

POINT MakePoint(uint32_t packed)
{
    return {static_cast<LONG>(packed & 0xFFFF), static_cast<LONG>(packed >> 16)};
}

void Randomize()
{
    srand(static_cast<unsigned>(time(nullptr)));
}

int RandomBelow(int n)
{
    return n > 0 ? rand() % n : 0;
}
