// The editor program.
#include "EditorStartup.h"
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand)
{
    return RunEditor(instance, commandLine, showCommand);
}
