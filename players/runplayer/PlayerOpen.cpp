// Opening an animation: the engine reads it, then the player loads its
// palette, the desktop picture it may use, its background picture and its
// frame sequences, reporting a part that cannot be loaded.
#include "AnxArchive.h"
#include "RunPlayer.h"
#include "UiSeam.h"
#include "resource.h"
#include <cstring>

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

// The caption of message 8: the part's full path (string 9 when there is
// none). A name the stored-name check refuses is not handed to the system:
// like a missing file it is named in the current folder.
std::string PartCaption(const char* name)
{
    char full[MAX_PATH] = "";
    DWORD n = 0;
    if (IsSafeStoredName(name)) {
        n = GetFullPathNameA(name, MAX_PATH, full, nullptr);
    } else if (name && *name) {
        const bool rooted = name[0] == '\\' || name[0] == '/' || (name[1] && name[1] == ':');
        char folder[MAX_PATH] = "";
        if (rooted || GetCurrentDirectoryA(MAX_PATH, folder)) {
            if (!rooted) AnxArchive::AppendSlash(folder);
            n = JoinPath(full, rooted ? "" : folder, name) ? static_cast<DWORD>(strlen(full)) : 0;
        }
    }
    return n > 0 && n < MAX_PATH ? std::string(full) : PlayerString(IDS_ERROR_CAPTION);
}

// Message 8 for a background picture or frame sequence.
int ReportMissingPart(HWND owner, const char* name, UINT type)
{
    return ShowPlayerMessage(owner, FormatNameMessage(IDS_PART_NOT_FOUND, name), PartCaption(name), type);
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
