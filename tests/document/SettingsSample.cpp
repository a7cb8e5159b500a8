// Writes a settings file through the editor's accessors, for the check that
// reads it back with another program's ini parser. With an argument the file
// goes there; without one it goes beside this program, as the editor's does.
#include "DocumentStrings.h"
#include "AppState.h"
#include "RecentFiles.h"
#include "Settings.h"
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc > 1) SetIniFilePath(argv[1]);
    g_appState.instanceNumber = 2;
    WriteIniInt(IDS_SECTION_FILE, IDS_KEY_BMX_COMPRESSION, 546);
    WriteIniInt(IDS_SECTION_FILE, IDS_KEY_USE_DEVICE_BITMAPS, -1);
    WriteIniString(IDS_SECTION_EDIT, IDS_KEY_VIEW_SIZE, "50 50");
    WriteIniInt(IDS_SECTION_EDIT, IDS_KEY_UNDO_BUFFER_SIZE, 8192);
    WriteIniString(IDS_SECTION_WINDOW, IDS_KEY_WINDOW_SIZE, "10 20 768 568");
    WriteIniInt(IDS_SECTION_PRINT, IDS_KEY_BANDING, 1);
    AddRecentFile("C:\\Animations\\Birds.ans");
    AddRecentFile("C:\\Animations\\Fish.ans");
    AddRecentFile("C:\\Animations\\Birds.ans");
    SaveRecentFiles();

    char ini[MAX_PATH], view[32];
    GetIniFilePath(ini, sizeof ini);
    ReadIniString(IDS_SECTION_EDIT, IDS_KEY_VIEW_SIZE, view, sizeof view);
    if (ReadIniInt(IDS_SECTION_FILE, IDS_KEY_USE_DEVICE_BITMAPS, 0) != -1 || strcmp(view, "50 50") != 0) {
        fprintf(stderr, "values do not read back from %s\n", ini);
        return 2;
    }
    printf("%s\n", ini);
    return 0;
}
