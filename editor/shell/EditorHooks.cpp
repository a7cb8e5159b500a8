// The ways into the editor's windows that the document model, the frame
// bitmaps and the dialog utilities call: AppState's hooks and the dialog
// host, installed when the main window is created. Only a hook whose
// receiving window is part of the editor is installed; the others keep the
// plain behaviour their callers document until their window arrives.
#include "EditorHooks.h"
#include "AppState.h"
#include "DialogUtilities.h"
#include "DocumentModel.h"
#include "RecentFiles.h"
#include "Workspace.h"

namespace {

HWND MainWindowOfEditor() { return g_appState.mainWindow; }

void ShowStatusText(const char* text)
{
    // The status bar keeps a pointer to its text: the text lives in AppState.
    lstrcpynA(g_appState.statusText, text ? text : "", STATUS_TEXT_CHARS);
    if (g_appState.statusBarWindow)
        SendMessageA(g_appState.statusBarWindow, STATUSBAR_SET_PANE, PANE_TEXT,
                     reinterpret_cast<LPARAM>(g_appState.statusText));
}

int AskQuestion(UINT stringId)
{
    return ShowStringMessage(g_appState.mainWindow, stringId, "Zelvo", MB_YESNO | MB_ICONQUESTION);
}

// The frame count or the frames changed: the film is measured again and
// repainted with the canvas, the status bar follows.
void RefreshFrameViews()
{
    if (g_appState.filmWindow) SendMessageA(g_appState.filmWindow, WM_CREATE, 0, 0);
    UpdateFilmThumbnail(1);
    if (g_appState.frameEditorWindow) InvalidateRect(g_appState.frameEditorWindow, nullptr, FALSE);
    UpdateStatusBar(STATUS_FRAME, g_appState.currentFrame);
}

}  // namespace

void RebuildRecentFilesMenu()
{
    if (!g_appState.mainMenu) return;
    // The list is read back from the settings file: what this editor added
    // since it started goes there first, so that nothing is lost.
    SaveRecentFiles();
    LoadRecentFiles(GetSubMenu(g_appState.mainMenu, 0));
}

void OnDocumentChanged(DocumentEvent event)
{
    switch (event) {
    case DOC_FRAMES_CHANGED:
        RefreshFrameViews();
        break;
    case DOC_SHOW_FRAME_WINDOW:
        ShowFrameViews(1);
        UpdateViewLayout(1);
        break;
    case DOC_HIDE_FRAME_WINDOW:
        ShowFrameViews(0);
        break;
    case DOC_RESET:
        RebuildRecentFilesMenu();
        break;
    default:
        break;  // the undo list and the step editor are not part of the editor yet
    }
}

void InstallEditorHooks()
{
    EditorHooks& hooks = g_appState.hooks;
    hooks.documentChanged = OnDocumentChanged;
    hooks.fillSequenceBackground = FillCurrentSequenceBackground;
    hooks.showStatusText = ShowStatusText;
    hooks.askQuestion = AskQuestion;
    // Message boxes are owned by the main window, and file errors carry the
    // document's current file as their caption.
    DialogHost host = GetDialogHost();
    host.mainWindow = MainWindowOfEditor;
    host.currentFilePath = CurrentDocumentPath;
    SetDialogHost(host);
}
