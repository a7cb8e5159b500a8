// The shell's side of the paint library (see PaintBridge.h).
#include "PaintBridge.h"
#include "AppState.h"
#include "DocumentModel.h"
#include "EditorToolBars.h"
#include "FrameCanvas.h"
#include "MainWindow.h"
#include "PaintHost.h"
#include "Workspace.h"
#include "resource.h"

namespace {

void ShowTextInStatusBar(const char* text)
{
    if (g_appState.statusBarWindow)
        SendMessageA(g_appState.statusBarWindow, STATUSBAR_SET_PANE, PANE_TEXT, reinterpret_cast<LPARAM>(text));
}

// A painted frame: its record and the sequence count as modified (a frame or
// sequence never saved keeps its state, which asks for a name anyway).
void SetFrameModified(int frame)
{
    if (frame < 0 || frame >= MAX_FRAMES) return;
    int16_t& state = g_document.frameRecords[frame].frameState;
    if (state >= 0) state |= FRAME_MODIFIED;
    if (g_document.sequenceState >= 0) g_document.sequenceState |= DOC_MODIFIED;
}

}  // namespace

void ConnectPaintHost()
{
    g_paintHost.updateMenuStates = UpdateMenuStates;
    g_paintHost.updateStatusBar = UpdateStatusBar;
    g_paintHost.showStatusText = ShowTextInStatusBar;
    g_paintHost.updateFilmThumbnail = UpdateFilmThumbnail;
    g_paintHost.setFrameModified = SetFrameModified;
    g_paintHost.selectPaintTool = SelectPaintTool;
    g_paintHost.setSelectionState = SetSelectionState;
    g_paintHost.testSelectionState = TestSelectionState;
    g_paintHost.canvasOrigin = GetCanvasOrigin;
    g_paintHost.onionSkinChanged = [](int on) { CheckMainToolButton(IDM_ONION_SKINNING, on); };
}
