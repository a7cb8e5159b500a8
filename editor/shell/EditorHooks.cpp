// The ways into the editor's windows that the document model, the frame
// bitmaps and the dialog utilities call: AppState's hooks and the dialog
// host, installed when the main window is created. Only a hook whose
// receiving window is part of the editor is installed; the others keep the
// plain behaviour their callers document until their window arrives.
#include "EditorHooks.h"
#include "FrameFormat.h"
#include "AppState.h"
#include "DialogUtilities.h"
#include "AreaSelection.h"
#include "DocumentModel.h"
#include "EditorStartup.h"
#include "FrameSelection.h"
#include "MainWindow.h"
#include "ObjectFiles.h"
#include "PaintHost.h"
#include "PaintTools.h"
#include "PaletteWindow.h"
#include "SequenceCommands.h"
#include "Undo.h"
#include <algorithm>
#include "RecentFiles.h"
#include "Workspace.h"

namespace {

HWND MainWindowOfEditor() { return g_appState.mainWindow; }

// A new colour format resizes the palette window and offers the palette
// commands the format allows.
void (*g_paletteWindowFollowsFormat)(int colorCount, int paletteSize);
void FollowColorFormat(int colorCount, int paletteSize)
{
    if (g_paletteWindowFollowsFormat) g_paletteWindowFollowsFormat(colorCount, paletteSize);
    EnableColorFormatCommands();
}

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

int16_t* FrameStateOf(int frame)
{
    return frame >= 0 && frame < MAX_FRAMES ? &g_document.frameRecords[frame].frameState : nullptr;
}

// The area selection as an undo step keeps it: tool, rectangle, state word
// and lasso nodes.
void CaptureSelection(SelectionSnapshot* snapshot)
{
    snapshot->tool = static_cast<uint32_t>(g_appState.currentTool);
    RECT r{};
    GetSelectionRect(&r, 0);
    snapshot->rect[0] = r.left;
    snapshot->rect[1] = r.top;
    snapshot->rect[2] = r.right;
    snapshot->rect[3] = r.bottom;
    snapshot->flags = TestSelectionState(~0);
    const int count = std::clamp(g_selection.selectionPointCount, 0, MAX_SNAPSHOT_POINTS);
    std::copy(g_selection.selectionPoints, g_selection.selectionPoints + count, snapshot->points);
    snapshot->pointCount = static_cast<uint32_t>(count);
}

void RestoreSelection(const SelectionSnapshot* snapshot)
{
    SetSelectionRect(snapshot->rect[0], snapshot->rect[1], snapshot->rect[2], snapshot->rect[3], 0);
    const int count = static_cast<int>(std::min<uint32_t>(snapshot->pointCount, MAX_SELECTION_POINTS));
    std::copy(snapshot->points, snapshot->points + count, g_selection.selectionPoints);
    g_selection.selectionPointCount = count;
    SetSelectionState(snapshot->flags);
}

// The image library asks for another frame format (its flag bit 0: stretch).
int ChangeFrameFormatForLibrary(int width, int height, int colorCount, UINT flags)
{
    const FrameFormatRequest request{0, 0, width, height, colorCount, flags & FORMAT_STRETCH};
    return ChangeFrameFormat(request);
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
    case DOC_FRAME_FORMAT_SET:
        ResizeUndoSteps(g_appState.frameWidth, g_appState.frameHeight);
        break;
    case DOC_UNDO_CLEARED:
        ClearUndo();
        break;
    default:
        break;  // the step editor is not part of the editor yet
    }
}

void InstallEditorHooks()
{
    EditorHooks& hooks = g_appState.hooks;
    hooks.documentChanged = OnDocumentChanged;
    hooks.fillSequenceBackground = FillCurrentSequenceBackground;
    hooks.showStatusText = ShowStatusText;
    hooks.askQuestion = AskQuestion;
    hooks.paletteRequest = RunPaletteRequest;
    hooks.undoStateChanged = UpdateUndoCommands;
    hooks.frameStateOf = FrameStateOf;
    hooks.captureSelection = CaptureSelection;
    hooks.restoreSelection = RestoreSelection;
    hooks.nextSelectedFrame = NextSelectedFrame;
    hooks.clearFrameSelectionIfAuto = ClearFrameSelectionIfAuto;
    hooks.changeFrameFormat = ChangeFrameFormatForLibrary;
    hooks.readObjectFile = ReadObjectFile;
    InstallPaletteWindowHooks();
    g_paletteWindowFollowsFormat = hooks.colorFormatChanged;
    hooks.colorFormatChanged = FollowColorFormat;
    if (AnimationWindowBuilt()) hooks.showAnimationWindow = ShowAnimationWindow;
    // Message boxes are owned by the main window, and file errors carry the
    // document's current file as their caption.
    DialogHost host = GetDialogHost();
    host.mainWindow = MainWindowOfEditor;
    host.currentFilePath = CurrentDocumentPath;
    SetDialogHost(host);
}
