// ZelvoSave's entry point: the settings dialog (and installing itself), or a
// run of the screensaver until the user ends it.
#include "ZelvoSave.h"
#include "resource.h"
#include <cstdlib>
#include <ctime>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    g_saver.instance = instance;
    char program[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, program, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) program[0] = '\0';
    if (!RegisterSaverClass(instance)) {
        ShowSaverMessage(nullptr, SaverString(IDS_CLASS_FAILED), SaverString(IDS_ERROR), MB_OK | MB_ICONERROR);
        return 0;
    }
    if (!SaverIniPathFor(program, g_saver.iniPath)) g_saver.iniPath[0] = '\0';
    ReadSaverSettings(g_saver.iniPath, &g_saver.options, &g_saver.list);
    srand(static_cast<unsigned>(time(nullptr)));
    InitAnimEngine(-1);
    RegisterAnimWindowClass(instance, LoadIcon(nullptr, IDI_APPLICATION));

    bool install = false;
    switch (ParseSaverCommandLine(commandLine, &install)) {
    case SAVER_MODE_CONFIGURE:
        if (RunConfigureDialog(nullptr) > 0 && install) InstallAsScreensaver(program);
        break;
    case SAVER_MODE_PREVIEW:
        break;
    case SAVER_MODE_RUN:
        if (CreateSaverWindow(false, -1)) {
            MSG message;
            while (GetMessageA(&message, nullptr, 0, 0) > 0) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
        break;
    }
    UnregisterAnimWindowClass(instance);
    ExitAnimEngine();
    return 0;
}
