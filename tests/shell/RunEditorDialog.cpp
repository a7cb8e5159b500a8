// A test program: runs one editor dialog through the dialog runner, as the
// editor does, and exits with its result.
//   RunEditorDialog TEMPLATE PARAM [ANIMATION]
// ANIMATION becomes the document's animation path before the dialog runs.
#include "AppState.h"
#include "DialogUtilities.h"
#include "DocumentModel.h"
#include "EditorStartup.h"
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: RunEditorDialog TEMPLATE PARAM [ANIMATION]\n");
        return 2;
    }
    g_appState.instanceHandle = GetModuleHandleA(nullptr);
    // The editor's window classes, for dialogs that hold its controls.
    InitEditorInstance();
    if (argc > 3) lstrcpynA(g_document.animationPath, argv[3], MAX_PATH);
    return static_cast<int>(RunDialog(atoi(argv[1]), nullptr, strtol(argv[2], nullptr, 0)));
}
