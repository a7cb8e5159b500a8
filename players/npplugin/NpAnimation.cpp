// An instance's animation: loaded from the downloaded file by bare names in
// the file's folder, played in a child filling the browser's window, and
// followed on in the same window when it ends.
#include "AnsFile.h"
#include "AnxArchive.h"
#include "NpPlugin.h"
#include "UiSeam.h"
#include "WaitCursor.h"

namespace {

constexpr DWORD LOAD_FLAGS = ANIM_PALETTE_BY_DISPLAY | ANIM_KEEP_FILE_BKCOLOR | ANIM_CLAMP_SIZE;
constexpr int MAX_WIDTH = 1280, MAX_HEIGHT = 1024;

void Report(HWND owner, const char* text)
{
    CurrentUiSeam().messageBox(owner, text, PLUGIN_CAPTION, MB_OK);
}

// The instance's folder is made current: the animation names its parts, and
// its following animation, by names relative to it. Two instances on one
// page each have their own.
void EnterFolder(const PluginInstance* p, char* name)
{
    char folder[MAX_PATH];
    AnxArchive::SplitPath(p->path, folder, name);
    SetCurrentDirectoryA(folder);
}

// The background picture (when loadBackground) and every frame sequence, by
// their bare names; a part that cannot be loaded is left out.
void LoadParts(HANIM handle, bool loadBackground, int x, int y, int centre)
{
    char name[MAX_PATH];
    if (loadBackground && GetAnimBackgroundName(handle, name, FALSE))
        LoadAnimBackground(handle, name, x, y, centre, FALSE);
    for (int i = 0; GetAnimSequenceName(handle, i, name, FALSE); ++i) LoadAnimSequence(handle, i, name, FALSE);
}

bool EnsureWindowClass(HWND browserWindow)
{
    if (g_plugin.classRegistered) return true;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(browserWindow, GWLP_HINSTANCE));
    if (!RegisterAnimWindowClass(instance, nullptr)) return false;
    g_plugin.classRegistered = true;
    g_plugin.classInstance = instance;
    return true;
}

PluginInstance* InstanceOfWindow(HWND window)
{
    for (PluginInstance* p : g_plugin.live)
        if (p->animWindow == window) return p;
    return nullptr;
}

void FollowOn(HWND window, int action, const char* nextName)
{
    HANIM handle = GetAnimHandle(window);
    if (!handle || !nextName) return;
    // The name lies inside the animation that the reload replaces.
    char name[MAX_PATH];
    lstrcpynA(name, nextName, MAX_PATH);
    if (const PluginInstance* p = InstanceOfWindow(window)) {
        char bare[MAX_PATH];
        EnterFolder(p, bare);
    }
    const DWORD flags = ANIM_PALETTE_BY_DISPLAY | ANIM_KEEP_FILE_BKCOLOR |
                        (GetAnimInfo(handle, ANIM_INFO_FORCE_OFFSCREEN) ? ANIM_FORCE_OFFSCREEN : 0);
    if (!ReloadAnimation(handle, name, 0, 0, 0, flags)) return;  // the last picture stays
    const bool newSetUp = action == END_LOAD_NEXT_NEW_WINDOW;
    if (newSetUp) {
        ControlAnimSound(handle, window, ANIM_SOUND_ALL, ANIM_SOUND_STOP);
        LoadAnimPalette(handle, nullptr, FALSE);
    }
    LoadParts(handle, newSetUp, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS);
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    StartAnimWindow(window);
}

}  // namespace

void CreatePluginAnimation(PluginInstance* p)
{
    if (!p->engineReady || !p->browserWindow || !p->path[0] || p->animation) return;
    if (!EnsureWindowClass(p->browserWindow)) {
        Report(p->browserWindow, "Error: could not register wndclass");
        return;
    }
    char name[MAX_PATH];
    EnterFolder(p, name);
    HANIM handle = CreateAnimation(name, MAX_WIDTH, MAX_HEIGHT, 0, LOAD_FLAGS);
    if (!handle) {
        Report(p->browserWindow, "Error: could not load animation");
        return;
    }
    {
        WaitCursor wait;
        LoadAnimPalette(handle, nullptr, FALSE);
        LoadParts(handle, true, 0, 0, 1);  // the background picture centred
    }
    RECT area{};
    GetClientRect(p->browserWindow, &area);
    HWND window = CreateAnimWindow(handle, WS_CHILD, area.left, area.top, area.right - area.left,
                                   area.bottom - area.top, p->browserWindow, ANIM_WND_OR_STYLE, PluginAnimationHook);
    if (!window) {
        DestroyAnimation(handle);
        Report(p->browserWindow, "Error: could not create animation window");
        return;
    }
    p->animation = handle;
    p->animWindow = window;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    StartAnimWindow(window);
}

void DestroyPluginAnimation(PluginInstance* p)
{
    if (p->animWindow) {
        if (IsWindow(p->animWindow)) DestroyWindow(p->animWindow);
        p->animWindow = nullptr;
    }
    if (p->animation) {
        DestroyAnimation(p->animation);
        p->animation = nullptr;
    }
}

int CALLBACK PluginAnimationHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != ANIM_END_ANIMATION) return 0;
    // End actions 0 and 3 come as 0: the last picture stays.
    const int action = static_cast<int>(wParam);
    if (action == END_LOAD_NEXT || action == END_LOAD_NEXT_NEW_WINDOW)
        FollowOn(window, action, reinterpret_cast<const char*>(lParam));
    return 1;
}
