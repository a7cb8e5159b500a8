// Opening an animation: the engine reads it, then the player loads its
// palette, the desktop picture it may use, its background picture and its
// frame sequences, reporting a part that cannot be loaded.
#include "AnxArchive.h"
#include "RunPlayer.h"
#include "UiSeam.h"
#include "resource.h"

namespace {

// Shows the wait cursor while it lives.
class WaitCursor {
public:
    WaitCursor() : previous_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
private:
    HCURSOR previous_;
};

constexpr DWORD OPEN_FLAGS = ANIM_PALETTE_BY_DISPLAY | ANIM_KEEP_FILE_BKCOLOR | ANIM_CLAMP_SIZE;

// Message 8 for a background picture or frame sequence.
int ReportMissingPart(HWND owner, const char* name, UINT type)
{
    return ShowPlayerMessage(owner, FormatNameMessage(IDS_PART_NOT_FOUND, name), PlayerString(IDS_ERROR_CAPTION), type);
}

}  // namespace

bool LoadAnimationParts(HWND owner, HANIM handle)
{
    char name[MAX_PATH];
    // Without its background picture the animation can still play: the user decides.
    if (GetAnimBackgroundName(handle, name, TRUE) &&
        !LoadAnimBackground(handle, name, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, FALSE) &&
        ReportMissingPart(owner, name, MB_OKCANCEL | MB_ICONEXCLAMATION) == IDCANCEL) {
        DestroyAnimation(handle);
        return false;
    }
    for (int i = 0; GetAnimSequenceName(handle, i, name, TRUE); ++i) {
        if (!LoadAnimSequence(handle, i, name, FALSE)) {
            ReportMissingPart(owner, name, MB_OK | MB_ICONERROR);
            DestroyAnimation(handle);
            return false;
        }
    }
    return true;
}

WindowPlace ScreenPosition(HANIM handle)
{
    const LONG_PTR packed = GetAnimInfo(handle, ANIM_INFO_POSITION);
    return {true, static_cast<short>(LOWORD(packed)), static_cast<short>(HIWORD(packed))};
}

HANIM OpenPlayerAnimation(const char* path, WindowPlace* place)
{
    // The animation names its parts relative to its own folder.
    char folder[MAX_PATH], name[MAX_PATH];
    AnxArchive::SplitPath(path, folder, name);
    SetCurrentDirectoryA(folder);
    HANIM handle = CreateAnimation(name, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), 0, OPEN_FLAGS);
    if (!handle) return nullptr;
    WaitCursor wait;
    LoadAnimPalette(handle, nullptr, FALSE);
    *place = {false, 0, 0};
    if (GetAnimInfo(handle, ANIM_INFO_DESKTOP_BACKGROUND)) {
        // The window will be made where the desktop picture was taken.
        *place = ScreenPosition(handle);
        CaptureDesktopBackground(handle, nullptr, place->x, place->y, FALSE);
    }
    return LoadAnimationParts(nullptr, handle) ? handle : nullptr;
}
