// Playing the list: loading an entry (or the built-in animation from the
// program's resources) into an "ANIWNDCLASS" child of the screensaver window,
// skipping entries that cannot be played, the hook on that child, and the
// following animation in the same window.
#include "AnsFile.h"
#include "AnxArchive.h"
#include "UiSeam.h"
#include "ZelvoSave.h"
#include "resource.h"
#include <algorithm>
#include <cstdlib>

namespace {

constexpr DWORD LOAD_FLAGS = ANIM_PALETTE_BY_DISPLAY | ANIM_KEEP_FILE_BKCOLOR | ANIM_CLAMP_SIZE;
constexpr char BUILT_IN_ANIMATION[] = "SCRNSAVE";
constexpr char MISSING_SEQUENCE[] = "Datei nicht gefunden!\nFortsetzen?";
constexpr char WINDOW_FAILED[] = "Fehler beim Erzeugen des Animatonsfensters!";

constexpr int HOOK_DEFAULT = 0;  // the engine handles the message
constexpr int HOOK_HANDLED = 1;

int RandomNumber() { return rand(); }

SIZE ScreenSize() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

// The pointer shows while the user must answer a message.
class VisibleCursor {
public:
    VisibleCursor() { ShowCursor(TRUE); }
    ~VisibleCursor() { ShowCursor(FALSE); }
    VisibleCursor(const VisibleCursor&) = delete;
    VisibleCursor& operator=(const VisibleCursor&) = delete;
};

// Input that comes while an animation loads is not looked at.
class BusyScope {
public:
    BusyScope() : previous_(g_saver.run.busy) { g_saver.run.busy = true; }
    ~BusyScope() { g_saver.run.busy = previous_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
private:
    bool previous_;
};

// The animation's picture, limited to the screen, placed by its position mode.
RECT PlaceOnTheScreen(HANIM handle)
{
    const SIZE screen = ScreenSize();
    const LONG_PTR size = GetAnimInfo(handle, ANIM_INFO_SIZE);
    const int w = std::min<int>(size & 0xFFFF, screen.cx), h = std::min<int>((size >> 16) & 0xFFFF, screen.cy);
    // The engine's own placement of the fixed mode, kept on the screen below.
    const LONG_PTR fixed = GetAnimInfo(handle, ANIM_INFO_POSITION);
    const POINT request{static_cast<short>(LOWORD(fixed)), static_cast<short>(HIWORD(fixed))};
    const POINT at = PlaceOnScreen(static_cast<int>(GetAnimInfo(handle, ANIM_INFO_POSITION_MODE)), request, w, h,
                                   screen.cx, screen.cy, RandomNumber);
    return {at.x, at.y, at.x + w, at.y + h};
}

// An animation that shows the desktop behind it gets the part of the
// snapshot it covers.
void CopyDesktopPicture(HANIM handle, const RECT& place)
{
    if (!GetAnimInfo(handle, ANIM_INFO_DESKTOP_BACKGROUND) || !g_saver.run.snapshotDC) return;
    HDC dc = GetAnimDC(handle, TRUE);
    if (!dc) return;
    BitBlt(dc, 0, 0, place.right - place.left, place.bottom - place.top, g_saver.run.snapshotDC, place.left, place.top,
           SRCCOPY);
    ReleaseAnimDC(handle);
}

void LoadBackgroundPicture(HANIM handle)
{
    char name[MAX_PATH];
    if (GetAnimBackgroundName(handle, name, TRUE))
        LoadAnimBackground(handle, name, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, FALSE);
}

// Every frame sequence; for one that cannot be loaded the user decides
// whether to play without it. False: the user said no.
bool LoadSequenceFiles(HWND owner, HANIM handle)
{
    char name[MAX_PATH];
    for (int i = 0; GetAnimSequenceName(handle, i, name, TRUE); ++i) {
        if (LoadAnimSequence(handle, i, name, FALSE)) continue;
        VisibleCursor cursor;
        if (ShowSaverMessage(owner, MISSING_SEQUENCE, name, MB_YESNO | MB_ICONERROR) == IDNO) return false;
    }
    return true;
}

// The entry's folder becomes the current one: the animation names its parts
// relative to it.
void EnterFolderOf(const char* path)
{
    if (!path[0]) return;
    char folder[MAX_PATH], name[MAX_PATH];
    AnxArchive::SplitPath(path, folder, name);
    SetCurrentDirectoryA(folder);
}

HANIM OpenListEntry(HWND owner, const char* path, RECT* place)
{
    const SIZE screen = ScreenSize();
    HANIM handle = CreateAnimation(path, screen.cx, screen.cy, 0, LOAD_FLAGS);
    if (!handle) return nullptr;
    *place = PlaceOnTheScreen(handle);
    EnterFolderOf(path);
    LoadAnimPalette(handle, nullptr, FALSE);
    CopyDesktopPicture(handle, *place);
    LoadBackgroundPicture(handle);
    if (!LoadSequenceFiles(owner, handle)) {
        DestroyAnimation(handle);
        return nullptr;
    }
    return handle;
}

// The animation in the program's resources, with its frame sequences; a
// sequence without a resource is left out.
HANIM OpenBuiltInAnimation(RECT* place)
{
    AnimMemorySource source;
    if (!FindAnimResource(g_saver.instance, BUILT_IN_ANIMATION, &source)) return nullptr;
    const SIZE screen = ScreenSize();
    HANIM handle = CreateAnimation(&source, screen.cx, screen.cy, 0, LOAD_FLAGS | ANIM_FROM_MEMORY);
    if (!handle) return nullptr;
    *place = PlaceOnTheScreen(handle);
    LoadAnimPalette(handle, nullptr, FALSE);
    CopyDesktopPicture(handle, *place);
    char name[MAX_PATH];
    for (int i = 0; GetAnimSequenceName(handle, i, name, FALSE); ++i) {
        AnimMemorySource sequence;
        if (FindAnimResource(g_saver.instance, name, &sequence)) LoadAnimSequence(handle, i, &sequence, TRUE);
    }
    return handle;
}

// ---- the following animation ----

// Loads the following animation into the playing handle and plays it in the
// same window (end actions 1 and 2). False when it could not be loaded.
bool FollowOnInSameWindow(HWND window, const char* nextName, int endAction)
{
    SaverRun& run = g_saver.run;
    HANIM handle = GetAnimHandle(window);
    if (!handle || !nextName || !nextName[0]) return false;
    BusyScope busy;
    // The name lies inside the animation that the reload replaces.
    char name[MAX_PATH];
    lstrcpynA(name, nextName, MAX_PATH);
    EnterFolderOf(run.path);
    const SIZE screen = ScreenSize();
    const DWORD flags = LOAD_FLAGS | (endAction == END_LOAD_NEXT_NEW_WINDOW ? ANIM_RELOAD_REBUILD : 0);
    if (!ReloadAnimation(handle, name, screen.cx, screen.cy, 0, flags)) return false;
    // The handle no longer holds the entry's own animation.
    run.followedOn = true;
    if (endAction == END_LOAD_NEXT_NEW_WINDOW) {
        ControlAnimSound(handle, window, ANIM_SOUND_ALL, ANIM_SOUND_STOP);
        run.place = PlaceOnTheScreen(handle);
        LoadAnimPalette(handle, nullptr, FALSE);
        CopyDesktopPicture(handle, run.place);
        LoadBackgroundPicture(handle);
    }
    if (!LoadSequenceFiles(run.window, handle)) return false;
    MoveWindow(window, run.place.left, run.place.top, run.place.right - run.place.left,
               run.place.bottom - run.place.top, TRUE);
    AttachAnimation(handle, window);
    StartAnimation(handle, window);
    UpdateWindow(window);
    return true;
}

// The animation ended: its follow-on, or the next entry of the list.
void OnAnimationEnd(HWND window, WPARAM wParam, LPARAM lParam)
{
    const int action = static_cast<int>(wParam);
    if ((action == END_LOAD_NEXT || action == END_LOAD_NEXT_NEW_WINDOW) &&
        FollowOnInSameWindow(window, reinterpret_cast<const char*>(lParam), action))
        return;
    ControlAnimSound(GetAnimHandle(window), window, ANIM_SOUND_ALL, ANIM_SOUND_STOP);
    if (g_saver.run.window) PostMessageA(g_saver.run.window, SAVER_NEXT_ANIMATION, wParam, lParam);
    DestroyWindow(window);
}

}  // namespace

void DropSaverAnimation()
{
    SaverRun& run = g_saver.run;
    if (HWND window = run.animWindow) {
        run.animWindow = nullptr;
        DestroyWindow(window);
    }
    if (HANIM handle = run.animation) {
        run.animation = nullptr;
        DestroyAnimation(handle);
    }
}

bool LoadSaverAnimation(HWND saverWindow, int index)
{
    SaverRun& run = g_saver.run;
    DropSaverAnimation();
    const bool builtIn = index < 0 || index >= g_saver.list.count;
    const char* path = builtIn ? "" : g_saver.list.entries[index].path;
    RECT place{};
    HANIM handle = builtIn ? OpenBuiltInAnimation(&place) : OpenListEntry(saverWindow, path, &place);
    if (!handle) return false;
    HWND window = CreateAnimWindow(handle, WS_CHILD, place.left, place.top, place.right - place.left,
                                   place.bottom - place.top, saverWindow, ANIM_WND_NO_EXSTYLE, SaverAnimationHook);
    if (!window) {
        VisibleCursor cursor;
        ShowSaverMessage(saverWindow, WINDOW_FAILED, builtIn ? BUILT_IN_ANIMATION : path, MB_OK | MB_ICONERROR);
        DestroyAnimation(handle);
        return false;
    }
    run.animation = handle;
    run.animWindow = window;
    run.place = place;
    lstrcpynA(run.path, path, MAX_PATH);
    run.index = builtIn ? -1 : index;
    run.lastPlayed = run.index;
    run.followedOn = false;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    RealizeAnimPalette(handle, window);
    StartAnimation(handle, window);
    return true;
}

bool PlayFromIndex(HWND saverWindow, int index)
{
    SaverRun& run = g_saver.run;
    BusyScope busy;
    for (;;) {
        if (LoadSaverAnimation(saverWindow, index)) return true;
        if (index < 0 || index >= g_saver.list.count) return false;
        if (run.testMode) {
            VisibleCursor cursor;
            if (ShowSaverMessage(saverWindow, SaverString(IDS_CANNOT_LOAD), g_saver.list.entries[index].path,
                                 MB_OKCANCEL | MB_ICONERROR) == IDCANCEL)
                return false;
        }
        // Skipped for the rest of the run; the settings file keeps it.
        g_saver.list.entries[index].active = false;
        run.activeCount = CountActiveEntries(g_saver.list);
        index = NextAnimationIndex(g_saver.list, index, g_saver.options.random, RandomNumber);
    }
}

int CALLBACK SaverAnimationHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    SaverRun& run = g_saver.run;
    switch (message) {
    case WM_DESTROY:
        if (run.animWindow == window) run.animWindow = nullptr;
        return HOOK_DEFAULT;  // the engine stops the clock and the sounds
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
    case WM_SETCURSOR:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_COMMAND:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        // The screensaver window decides about every input.
        if (run.window) SendMessageA(run.window, message, wParam, lParam);
        return HOOK_HANDLED;
    case WM_SIZE:
        return HOOK_HANDLED;  // the window has the picture's size: no scroll bars
    case ANIM_END_ANIMATION:
        OnAnimationEnd(window, wParam, lParam);
        return HOOK_HANDLED;
    default:
        return HOOK_DEFAULT;
    }
}
