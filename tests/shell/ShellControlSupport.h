// Shared pieces of the shell control tests: the editor's window classes,
// registered once per process however many fixtures ask, and frames of one
// colour.
#pragma once
#include "AppState.h"
#include "EditorStartup.h"
#include <windows.h>

inline bool RegisterEditorClassesOnce()
{
    WNDCLASSA existing;
    if (GetClassInfoA(GetModuleHandleA(nullptr), "FILMSTRIP", &existing)) return true;
    g_appState.instanceHandle = GetModuleHandleA(nullptr);
    return InitEditorInstance() == 1;
}

// A 16 x 16 frame bitmap (a 24-bit DIB section) of one colour.
inline HBITMAP SolidFrameBitmap(COLORREF colour)
{
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, 16, 1, 24, BI_RGB};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    BYTE* p = static_cast<BYTE*>(bits);
    for (int i = 0; p && i < 16 * 16; ++i) {
        p[3 * i] = GetBValue(colour);
        p[3 * i + 1] = GetGValue(colour);
        p[3 * i + 2] = GetRValue(colour);
    }
    return bitmap;
}
