// The video export library's module: start and end, its messages, the option
// defaults shared by the dialog and the export, and window placement.
#include "AnimationContext.h"
#include "ExportLibrary.h"
#include "UiSeam.h"

namespace {

HINSTANCE exportModule = nullptr;

template <typename T>
T Clamp(T value, T low, T high)
{
    return value < low ? low : (value > high ? high : value);
}

}  // namespace

bool StartExportLibrary(HINSTANCE module)
{
    exportModule = module;
    InitAnimEngine(-1);
    HICON icon = LoadIconA(module, MAKEINTRESOURCEA(IDI_EXPORT));
    return RegisterAnimWindowClass(module, icon) != 0;
}

void StopExportLibrary()
{
    ExitAnimEngine();
    UnregisterAnimWindowClass(exportModule);
}

HINSTANCE ExportModule() { return exportModule; }

int ShowExportMessage(HWND owner, UINT stringId, const char* caption, UINT style)
{
    char text[512] = "";
    LoadStringA(exportModule, stringId, text, sizeof text);
    return CurrentUiSeam().messageBox(owner, text, caption, style);
}

void ApplyOptionDefaults(AviExportOptions* o)
{
    if (o->framesPerSec == 0) o->framesPerSec = DEFAULT_FRAMES_PER_SEC;
    o->framesPerSec = Clamp<int16_t>(o->framesPerSec, 1, MAX_FRAMES_PER_SEC);
    if (o->maxFrames == 0) o->maxFrames = DEFAULT_MAX_FRAMES;
    o->maxFrames = Clamp<uint16_t>(o->maxFrames, MIN_MAX_FRAMES, MAX_MAX_FRAMES);
    if (o->saveEvery == 0) o->saveEvery = DEFAULT_SAVE_EVERY;
    o->saveEvery = Clamp<int16_t>(o->saveEvery, 1, MAX_SAVE_EVERY);
    if (o->samplesPerSec != 22050 && o->samplesPerSec != 44100) o->samplesPerSec = DEFAULT_SAMPLES_PER_SEC;
}

int DisplayBitsPerPixel()
{
    EnsureAnimEngine();
    return g_animEngine.displayBits;
}

void CenterOverOwner(HWND window, HWND owner)
{
    RECT area, own;
    if (!owner || !GetWindowRect(owner, &area)) SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    GetWindowRect(window, &own);
    const int width = own.right - own.left, height = own.bottom - own.top;
    const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    x = Clamp(x, 0, screenW - width > 0 ? screenW - width : 0);
    y = Clamp(y, 0, screenH - height > 0 ? screenH - height : 0);
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
