// The "AVIREEL" window class. Its window procedure is plain until the dialogs
// that hold a strip arrive; the class already lives from attach to detach.
#include "ReelStrip.h"

bool RegisterReelStripClass(HINSTANCE module)
{
    WNDCLASSA cls{};
    cls.style = CS_DBLCLKS;
    cls.lpfnWndProc = DefWindowProcA;
    cls.hInstance = module;
    cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = REEL_STRIP_CLASS;
    return RegisterClassA(&cls) != 0;
}

void UnregisterReelStripClass(HINSTANCE module)
{
    UnregisterClassA(REEL_STRIP_CLASS, module);
}
