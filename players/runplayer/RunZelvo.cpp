// RunZelvo's entry point: choose the file, open it, play it in its window
// until the window closes.
#include "RunPlayer.h"
#include "resource.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    g_player.instance = instance;
    InitAnimEngine(-1);
    char program[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, program, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) program[0] = '\0';
    char path[MAX_PATH];
    if (!ChooseAnimationFile(commandLine, program, path)) return 0;
    WindowPlace place;
    HANIM handle = OpenPlayerAnimation(path, &place);
    if (!handle) return 0;
    if (!RegisterAnimWindowClass(instance, LoadIconA(instance, MAKEINTRESOURCEA(IDI_RUNZELVO)))) {
        DestroyAnimation(handle);
        return 0;
    }
    if (!CreatePlayerWindow(handle, place)) {
        DestroyAnimation(handle);
        UnregisterAnimWindowClass(instance);
        return 0;
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    UnregisterAnimWindowClass(instance);
    ExitAnimEngine();
    return 1;
}
