// The uninstaller program: starts the registered uninstall command and ends
// at once, without waiting for it. Its own command line is not read.
#include "UninstallCommand.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return static_cast<int>(RunUninstallCommand(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, RealUninstallCalls()));
}
