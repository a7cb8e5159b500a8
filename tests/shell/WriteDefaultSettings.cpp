// Starts like the editor does on its first run: writes the default settings
// file beside this program (or at the path given) as editor instance 2, for
// the check that reads it back with another program's ini parser.
#include "AppState.h"
#include "EditorSettings.h"
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc > 1) SetIniFilePath(argv[1]);
    g_appState.instanceNumber = 2;
    ReadStartupSettings();
    char ini[MAX_PATH];
    GetIniFilePath(ini, sizeof ini);
    printf("%s\n", ini);
    return 0;
}
