// Video export bridge: the editor loads ZelvoExp32 for every export, hands it
// the document's sound counts, colour depth and animation size, and frees it
// when the export's window has gone and its notification arrives.
#include "VideoExportBridge.h"
#include "DialogUtilities.h"
#include "DocumentModel.h"
#include "LibraryLoader.h"
#include "ResultCodes.h"
#include "SoundOutput.h"
#include "ZelvoExp32.h"
#include <cstring>
#include <vector>

namespace {

constexpr char EXPORT_LIBRARY[] = "ZELVOEXP32.dll";

// An export that runs: the library it holds and its export window. The
// notification that frees the library may be posted by any window, so only a
// module of this list whose window is gone is freed.
struct RunningExport {
    HMODULE module;
    HWND window;
};
std::vector<RunningExport> g_runningExports;

int CountWaveSounds()
{
    int waves = 0;
    for (int i = 0; i < g_document.soundCount; ++i)
        if (!(g_document.soundTable[i].soundFlags & ANIM_SOUND_MIDI)) ++waves;
    return waves;
}

// The animation's own size: the fixed size, the screen's, or the players' 320 by 240.
SIZE AnimationOwnSize()
{
    const AnimationSettings& s = g_document.animationSettings;
    switch (s.sizeMode & 3) {
    case 1: return {s.width, s.height};
    case 2: return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    default: return {320, 240};
    }
}

uint16_t AsWord(LONG value) { return static_cast<uint16_t>(value < 0 ? 0 : (value > 0xFFFF ? 0xFFFF : value)); }

template <typename Proc>
Proc Export(HMODULE module, const char* name)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

int ExportVideoHook(HWND owner, const char* videoPath, const char* animationPath)
{
    return ExportAnimationToAvi(owner, animationPath, videoPath) ? RESULT_OK : 0;
}

}  // namespace

int ExportAnimationToAvi(HWND owner, const char* animationPath, const char* videoPath)
{
    HMODULE module = LoadLibraryBesideProgram(EXPORT_LIBRARY);
    if (!module) {
        lstrcpynA(g_appState.pathBuffer, EXPORT_LIBRARY, MAX_PATH);
        ShowStringMessage(owner, RESULT_NOT_FOUND, g_appState.pathBuffer, MB_ICONERROR);
        return 0;
    }
    AviExportOptions options;
    ExportWindowParams window;
    memset(&options, 0, sizeof options);
    memset(&window, 0, sizeof window);
    // Both exports are looked up before the dialog creates the AVI file, so
    // that a library without AnsToAvi leaves no file and no open handle.
    auto optionDialog = Export<AviOptionDlgProc>(module, "AviOptionDlg");
    auto ansToAvi = Export<AnsToAviProc>(module, "AnsToAvi");
    if (!optionDialog || !ansToAvi) {
        FreeLibrary(module);
        ShowErrorMessage(RESULT_LIBRARY_ERROR);
        return 0;
    }
    options.size = sizeof options;
    options.soundCount = g_document.soundCount;
    options.wavSoundCount = static_cast<uint16_t>(CountWaveSounds());
    options.aviPath = videoPath;
    if (g_appState.colorCount > 256) options.flags = AVI_EXPORT_KEEP_DEPTH;
    const SIZE size = AnimationOwnSize();
    options.width = AsWord(size.cx);
    options.height = AsWord(size.cy);
    if (!optionDialog(owner, &options)) {
        FreeLibrary(module);
        return 0;
    }
    window.size = sizeof window;
    window.parent = owner;
    window.style = AVI_EXPORT_WINDOW_STYLE;
    window.notifyMessage = AVI_EXPORT_DONE;
    window.disableParent = 1;
    HWND exportWindow = ansToAvi(&window, animationPath, videoPath, &options);
    if (!exportWindow) {
        FreeLibrary(module);
        return 0;
    }
    g_runningExports.push_back({module, exportWindow});
    return 1;
}

void OnVideoExportDone(WPARAM module, LPARAM)
{
    // The library's own messages (its window's last ones among them) run
    // before its code goes. The library has shown its own message for a
    // result other than 1.
    PumpMessages(nullptr);
    for (auto it = g_runningExports.begin(); it != g_runningExports.end(); ++it) {
        if (it->module != reinterpret_cast<HMODULE>(module) || IsWindow(it->window)) continue;
        g_runningExports.erase(it);
        FreeLibrary(reinterpret_cast<HMODULE>(module));
        return;
    }
}

void InstallVideoExportBridge() { g_appState.hooks.exportVideo = ExportVideoHook; }

int RunningVideoExports() { return static_cast<int>(g_runningExports.size()); }
