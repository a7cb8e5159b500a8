// The editor program.
#include "ComposeDialogs.h"
#include "EditorStartup.h"
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand)
{
    RegisterComposeDialogs();
    return RunEditor(instance, commandLine, showCommand);
}
