// What the engine's benchmark programs share: a clock, their working folder
// and a plain window to draw into.
#pragma once
#include "AnsFile.h"
#include "ReelEngine.h"
#include <windows.h>
#include <cstdio>

// Seconds on the performance counter.
inline double BenchNow()
{
    static LARGE_INTEGER frequency{};
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / frequency.QuadPart;
}

// Makes the folder named on the command line, else `name` in the temporary
// folder, the current folder; false (and a message) when it cannot be used.
inline bool EnterBenchFolder(int argc, char** argv, const char* name)
{
    char folder[MAX_PATH];
    if (argc > 1) {
        lstrcpynA(folder, argv[1], MAX_PATH);
    } else {
        GetTempPathA(MAX_PATH, folder);
        lstrcatA(folder, name);
    }
    CreateDirectoryA(folder, nullptr);
    if (!SetCurrentDirectoryA(folder)) {
        printf("cannot use %s\n", folder);
        return false;
    }
    printf("writing the animations into %s ...\n", folder);
    return true;
}

// A shown popup window of a plain class at the top left of the screen.
inline HWND CreateBenchWindow(const char* name, int width, int height)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
    return CreateWindowA(name, name, WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr, wc.hInstance, nullptr);
}

// The settings of a benchmark animation: w by h at a fixed place, the first
// sequence's palette.
inline void SetBenchSettings(AnimationSettings* settings, int width, int height)
{
    SetDefaultAnimationSettings(settings);
    settings->width = width;
    settings->height = height;
    settings->positionFlags = 0;
    settings->paletteSource = 0;
}

// An animation file loaded into the engine as a host loads it: palette,
// background, every sequence; attached to no window. Null on failure.
inline HANIM LoadEverything(const char* path)
{
    HANIM h = CreateAnimation(path, 0, 0, 0, 0);
    if (!h) return nullptr;
    LoadAnimPalette(h, nullptr, FALSE);
    char name[MAX_PATH];
    if (GetAnimBackgroundName(h, name, TRUE))
        LoadAnimBackground(h, name, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, FALSE);
    for (int i = 0; GetAnimSequenceName(h, i, name, TRUE); ++i)
        if (!LoadAnimSequence(h, i, name, FALSE)) {
            DestroyAnimation(h);
            return nullptr;
        }
    AttachAnimation(h, nullptr);
    return h;
}
