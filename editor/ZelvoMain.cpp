// The editor program.
#include "AnimationWindow.h"
#include "ComposeDialogs.h"
#include "EditorStartup.h"
#include "PaletteDialogs.h"
#include "WindowDialogs.h"
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand)
{
    RegisterComposeDialogs();
    RegisterWindowDialogs();
    RegisterPaletteDialogs();
    RegisterTestRunWindow();
    return RunEditor(instance, commandLine, showCommand);
}
