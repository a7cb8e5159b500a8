// AnsToAvi: loads the animation through the engine, asks about missing
// pictures and sequences, and opens the export window, whose hook then runs
// the export one engine step per WM_TIMER.
#include "ExportLibrary.h"
#include <cstring>

ExportState g_export;

namespace {

// The folder part of a path (up to its last "\" or "/"), or "" for a bare name.
void FolderOf(const char* path, char* out)
{
    lstrcpynA(out, path, MAX_PATH);
    char* cut = nullptr;
    for (char* p = out; *p; ++p)
        if (*p == '\\' || *p == '/') cut = p;
    if (!cut) out[0] = '\0';
    else if (cut == out || cut[-1] == ':') cut[1] = '\0';  // keep the root's separator
    else *cut = '\0';
}

// A missing file of the animation: "Ignore Error?" Yes goes on.
bool IgnoreMissingFile(HWND owner, const char* name)
{
    return ShowExportMessage(owner, IDS_FILE_MISSING, name, MB_YESNO | MB_ICONINFORMATION) == IDYES;
}

// Loads the animation's palette, background picture and frame sequences; false
// when the user chose not to go on without one of them.
bool LoadAnimationParts(HANIM animation, HWND owner)
{
    LoadAnimPalette(animation, nullptr, FALSE);
    char name[MAX_PATH];
    if (GetAnimBackgroundName(animation, name, TRUE) &&
        !LoadAnimBackground(animation, name, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, FALSE) &&
        !IgnoreMissingFile(owner, name))
        return false;
    for (int i = 0; GetAnimSequenceName(animation, i, name, TRUE); ++i)
        if (!LoadAnimSequence(animation, i, name, FALSE) && !IgnoreMissingFile(owner, name)) return false;
    return true;
}

// Closes the file that the options dialog created (at the options' path) for
// an export that does not run, and removes it: an empty AVI is of no use.
// `aviPath` names it when the options hold no usable path.
void DiscardCreatedFile(AviExportOptions* options, const char* aviPath)
{
    if (!options->aviFile) return;
    CloseAviFile(options->aviFile);
    options->aviFile = nullptr;
    const char* path = options->aviPath && lstrlenA(options->aviPath) < MAX_PATH ? options->aviPath : aviPath;
    if (path) DeleteFileA(path);
}

// Ends an export that never started: the animation, the created file, the
// folder and the cursor.
HWND AbortExport(HANIM animation, AviExportOptions* options, const char* aviPath, HCURSOR cursor)
{
    if (animation) DestroyAnimation(animation);
    DiscardCreatedFile(options, aviPath);
    if (g_export.savedFolder[0]) SetCurrentDirectoryA(g_export.savedFolder);
    memset(&g_export, 0, sizeof g_export);
    SetCursor(cursor);
    return nullptr;
}

bool RecordsUsable(const ExportWindowParams* windowParams, const AviExportOptions* options)
{
    return windowParams && windowParams->size == sizeof(ExportWindowParams) && options &&
           options->size == sizeof(AviExportOptions);
}

}  // namespace

HWND WINAPI AnsToAvi(const ExportWindowParams* windowParams, const char* animationPath, const char* aviPath,
                     AviExportOptions* options)
{
    HWND owner = windowParams && windowParams->size == sizeof(ExportWindowParams) ? windowParams->parent : nullptr;
    if (!RecordsUsable(windowParams, options)) {
        // A record of another layout: none of its fields can be trusted.
        ShowExportMessage(owner, IDS_UNKNOWN_ERROR, "AVI-Export", MB_ICONERROR);
        return nullptr;
    }
    if (g_export.active) {
        // One export at a time: the running one keeps its state.
        ShowExportMessage(owner, IDS_UNKNOWN_ERROR, "AVI-Export", MB_ICONERROR);
        DiscardCreatedFile(options, aviPath && lstrlenA(aviPath) < MAX_PATH ? aviPath : nullptr);
        return nullptr;
    }
    memset(&g_export, 0, sizeof g_export);
    HCURSOR cursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    if (!aviPath || lstrlenA(aviPath) >= MAX_PATH) {
        ShowExportMessage(owner, IDS_CREATE_ERROR, aviPath ? aviPath : "AVI-Export", MB_ICONERROR);
        return AbortExport(nullptr, options, nullptr, cursor);
    }
    g_export.windowParams = *windowParams;
    lstrcpynA(g_export.aviPath, aviPath, MAX_PATH);

    HANIM animation = animationPath ? CreateAnimation(animationPath, 0, 0, 0,
                                                      ANIM_PALETTE_BY_DISPLAY | ANIM_KEEP_FILE_BKCOLOR |
                                                          ANIM_FORCE_OFFSCREEN)
                                    : nullptr;
    if (!animation) {
        ShowExportMessage(owner, IDS_UNKNOWN_FORMAT, animationPath ? animationPath : "AVI-Export", MB_ICONERROR);
        return AbortExport(nullptr, options, aviPath, cursor);
    }
    // The animation's files are found beside it.
    GetCurrentDirectoryA(MAX_PATH, g_export.savedFolder);
    char folder[MAX_PATH];
    FolderOf(animationPath, folder);
    if (folder[0]) SetCurrentDirectoryA(folder);
    if (!LoadAnimationParts(animation, owner)) return AbortExport(animation, options, aviPath, cursor);

    const bool ownHook = windowParams->hook == nullptr;
    AnimHostHook hook = ownHook ? ExportHook : windowParams->hook;
    HWND window = CreateAnimWindow(animation, windowParams->style, 0, 0, 0, 0, owner,
                                   ANIM_WND_PLACE | ANIM_WND_SIZE_FROM_ANIM | ANIM_WND_NO_EXSTYLE, hook);
    if (!window) {
        ShowExportMessage(owner, IDS_UNKNOWN_ERROR, aviPath, MB_ICONERROR);
        return AbortExport(animation, options, aviPath, cursor);
    }
    g_export.active = ownHook;
    g_export.window = window;
    g_export.animation = animation;
    if (owner && windowParams->disableParent) {
        EnableWindow(owner, FALSE);
        g_export.parentDisabled = true;
    }
    CenterOverOwner(window, owner);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    AviExportOptions started = *options;
    ApplyOptionDefaults(&started);
    SendMessageA(window, AVI_EXPORT_START, reinterpret_cast<WPARAM>(animation), reinterpret_cast<LPARAM>(&started));
    if (!ownHook) {
        // A host's own hook owns the window and the animation from here.
        SetCurrentDirectoryA(g_export.savedFolder);
        memset(&g_export, 0, sizeof g_export);
    }
    SetCursor(cursor);
    return window;
}
