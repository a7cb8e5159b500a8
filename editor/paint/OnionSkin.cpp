// Onion skinning: its switch, its source, the reference frame and the two
// buffers the view rendering uses (see OnionSkin.h).
#include "OnionSkin.h"
#include "AppState.h"
#include "FrameBitmaps.h"
#include "FrameCanvas.h"
#include "PaintHost.h"
#include <algorithm>

OnionSkin g_onionSkin{};

namespace {

// Menu items of the onion skin (Options menu).
constexpr UINT MENU_ONION_PREVIOUS = 331;
constexpr UINT MENU_ONION_NEXT = 332;
constexpr UINT MENU_ONION_ANY = 333;
constexpr UINT MENU_ONION_SKINNING = 338;

UINT SourceMenuItem(int source)
{
    return source < 0 ? MENU_ONION_PREVIOUS : source > 0 ? MENU_ONION_NEXT : MENU_ONION_ANY;
}

void CheckMenu(UINT id, bool checked)
{
    if (g_appState.mainMenu) CheckMenuItem(g_appState.mainMenu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void InvalidateFilm()
{
    if (g_appState.filmWindow) InvalidateRect(g_appState.filmWindow, nullptr, FALSE);
}

int PreviousOf(int frame) { return frame > 0 ? frame - 1 : g_appState.frameCount - 1; }

// In "Any Frame" mode a reference equal to the current frame would show
// nothing: the previous frame takes its place.
void MoveReferenceOffCurrent()
{
    if (g_onionSkin.onionSkinSource == ONION_ANY && g_onionSkin.onionSkinFrame == g_appState.currentFrame &&
        g_appState.frameCount > 0)
        g_onionSkin.onionSkinFrame = PreviousOf(g_appState.currentFrame);
}

void DeleteBitmap(HBITMAP* bitmap)
{
    if (*bitmap) DeleteObject(*bitmap);
    *bitmap = nullptr;
}

}  // namespace

int OnionReferenceFrame(int source, int current, int count, int chosen)
{
    if (count <= 0) return -1;
    if (source < 0) return current > 0 ? current - 1 : count - 1;
    if (source > 0) return current + 1 < count ? current + 1 : 0;
    return std::clamp(chosen, 0, count - 1);
}

void FreeOnionSkinBuffers()
{
    DeleteBitmap(&g_onionSkin.onionSkinBuffer);
    DeleteBitmap(&g_onionSkin.onionSkinMask);
}

void MakeOnionSkinBuffers()
{
    FreeOnionSkinBuffers();
    const int width = std::min(g_appState.frameWidth, g_canvasView.bufferWidth);
    const int height = std::min(g_appState.frameHeight, g_canvasView.bufferHeight);
    if (!g_onionSkin.onionSkinEnabled || width <= 0 || height <= 0) return;
    g_onionSkin.onionSkinBuffer = CreateFrameBitmap(width, height);
    g_onionSkin.onionSkinMask = CreateMonoBitmap(width, height);
    // Without both the view shows the frame alone.
    if (!g_onionSkin.onionSkinBuffer || !g_onionSkin.onionSkinMask) FreeOnionSkinBuffers();
}

void SetOnionSkin(int on)
{
    on = on ? 1 : 0;
    if (on == g_onionSkin.onionSkinEnabled) return;
    g_onionSkin.onionSkinEnabled = on;
    MakeOnionSkinBuffers();
    MoveReferenceOffCurrent();
    InvalidateFilm();
    InvalidateFrameEditor(1);
    CheckMenu(MENU_ONION_SKINNING, on);
    if (g_paintHost.onionSkinChanged) g_paintHost.onionSkinChanged(on);
}

int IsOnionSkinOn() { return g_onionSkin.onionSkinEnabled; }

void SetOnionSkinSource(int source)
{
    source = source < 0 ? ONION_PREVIOUS : source > 0 ? ONION_NEXT : ONION_ANY;
    if (source != g_onionSkin.onionSkinSource) {
        CheckMenu(SourceMenuItem(g_onionSkin.onionSkinSource), false);
        g_onionSkin.onionSkinSource = source;
        MoveReferenceOffCurrent();
        InvalidateFilm();
        if (g_onionSkin.onionSkinEnabled) InvalidateFrameEditor(1);
    }
    CheckMenu(SourceMenuItem(source), true);
}

int GetOnionSkinSource() { return g_onionSkin.onionSkinSource; }

int SetOnionSkinFrame(int frame)
{
    if (frame == g_onionSkin.onionSkinFrame) return 0;
    g_onionSkin.onionSkinFrame = frame;
    InvalidateFrameEditor(1);
    return 1;
}

int GetOnionSkinFrame()
{
    if (!g_onionSkin.onionSkinEnabled) return -1;
    const int reference = OnionReferenceFrame(g_onionSkin.onionSkinSource, g_appState.currentFrame,
                                              g_appState.frameCount, g_onionSkin.onionSkinFrame);
    if (reference >= 0) g_onionSkin.onionSkinFrame = reference;
    return reference;
}

int OnionSkinShownFrame()
{
    if (g_appState.frameCount < 2) return -1;
    const int reference = GetOnionSkinFrame();
    return reference == g_appState.currentFrame ? -1 : reference;
}
