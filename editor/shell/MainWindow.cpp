// The main window's procedure and the dispatch of every command.
#include "MainWindow.h"
#include "AnsFile.h"
#include "AnxArchive.h"
#include "AppState.h"
#include "AreaSelection.h"
#include "Clipboard.h"
#include "ConvBridge.h"
#include "DialogUtilities.h"
#include "DocumentModel.h"
#include "DocumentStrings.h"
#include "EditorHooks.h"
#include "EditorSettings.h"
#include "EditorStartup.h"
#include "EditorToolBars.h"
#include "FileChooser.h"
#include "FrameCanvas.h"
#include "FrameOperations.h"
#include "FrameSelection.h"
#include "ObjectFiles.h"
#include "OnionSkin.h"
#include "PaintBridge.h"
#include "Palette.h"
#include "PaletteDialogs.h"
#include "PixelEffects.h"
#include "Printing.h"
#include "RecentFiles.h"
#include "SequenceCommands.h"
#include "SequenceDialogs.h"
#include "ResultCodes.h"
#include "../compose/ComposeDialogs.h"
#include "../compose/ComposeResources.h"
#include "../compose/WindowDialogResources.h"
#include "ToolWindows.h"
#include "Undo.h"
#include "VideoExportBridge.h"
#include "Workspace.h"
#include "resource.h"
#include <algorithm>
#include <iterator>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <shellapi.h>
#include <vector>

namespace {

constexpr int MIN_TRACK_WIDTH = 320;
constexpr int MIN_TRACK_HEIGHT = 240;
constexpr int CLICK_SLOP = 5;
constexpr int SELECTION_TOOL_A = 10, SELECTION_TOOL_B = 11;

int g_selectionState;
bool HaveDocument() { return g_document.animationState != DOC_NONE; }

void EnableItem(UINT id, bool enabled)
{
    if (g_appState.mainMenu) EnableMenuItem(g_appState.mainMenu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

// Commands whose operations are part of the editor so far; the others stay
// grey until their code arrives.
bool CommandBuilt(UINT id)
{
    switch (id) {
    case IDM_NEW: return DialogBuilt(IDD_NEW_SEQUENCE);
    case IDM_OPEN:
    case IDM_OPEN_ANIMATION:
    case IDM_SAVE_SEQUENCE:
    case IDM_SAVE_ANIMATION:
    case IDM_SAVE_OBJECT:
        return g_appState.hooks.chooseFile != nullptr;
    case IDM_CLOSE:
    case IDM_QUIT:
    case IDM_SAVE:
    case IDM_FILM_RIGHT:
    case IDM_FILM_BELOW:
    case IDM_ZOOM_FILM:
    case IDM_HELP:
    case IDM_HOMEPAGE:
    case IDM_FLOATING_PALETTE:
    case IDM_STRETCH:
    case IDM_CLEAR_SELECTION:
    case IDM_SELECT_ALL_FRAMES:
    case IDM_ONION_PREVIOUS_FRAME:
    case IDM_ONION_NEXT_FRAME:
    case IDM_ONION_ANY_FRAME:
    case IDM_ONION_SKINNING:
    case IDM_SHOW_GRID:
    case IDM_ELLIPSE_CENTRE_OF_SQUARE:
    case IDM_ELLIPSE_CORNER_OF_SQUARE:
    case IDM_GRADATED_LINES:
    case IDM_PRINTER_SETUP:
    case IDM_PRINT:
    case IDM_ABOUT:
    case IDM_UNDO:
    case IDM_REPEAT:
    case IDM_CUT:
    case IDM_COPY:
    case IDM_PASTE:
    case IDM_CLEAR:
    case IDM_PASTE_INTO_SEQUENCE:
    case IDM_ADD_EMPTY_FRAME:
    case IDM_APPEND_FRAMES:
    case IDM_INSERT_FRAME:
    case IDM_INSERT_COPY:
    case IDM_DELETE_FRAME:
    case IDM_SWAP_FRAME:
    case IDM_MOVE_FRAME:
    case IDM_CHANGE_FORMAT:
    case IDM_SCROLL_UP:
    case IDM_SCROLL_DOWN:
    case IDM_SCROLL_LEFT:
    case IDM_SCROLL_RIGHT:
    case IDM_FLIP_HORIZONTAL:
    case IDM_FLIP_VERTICAL:
    case IDM_ROTATE_RIGHT:
    case IDM_ROTATE_LEFT:
    case IDM_ROTATE:
    case IDM_EDIT_PALETTE:
    case IDM_RESET_PALETTE:
    case IDM_DETECT_USED_COLORS:
    case IDM_TRANSPARENT_COLOR:
    case IDM_FILL_PATTERNS:
    case IDM_SETTINGS:
        return true;
    case IDM_REPLACE_COLOR:
        return PixelPassesBuilt() && DialogBuilt(IDD_REPLACE_CURRENT_COLOR) && DialogBuilt(IDD_REPLACE_COLOR);
    case IDM_ADJUST_COLORS:
        return PixelPassesBuilt() && DialogBuilt(IDD_ADJUST_COLORS);
    case IDM_EFFECTS_CUSTOMIZED:
        return PixelPassesBuilt() && DialogBuilt(IDD_EFFECTS);
    case IDM_SELECT_OBJECT: return DialogBuilt(IDD_SELECT_OBJECT);
    case IDM_NEW_OBJECT: return DialogBuilt(IDD_NEW_OBJECT);
    case IDM_MOVE_DELETE_OBJECT: return DialogBuilt(IDD_MOVE_DELETE_OBJECT);
    case IDM_SEQUENCE_ANIMATION: return DialogBuilt(IDD_SEQUENCE_ANIMATION);
    case IDM_CYCLE_DEFINITION: return DialogBuilt(IDD_CYCLE_DEFINITION);
    case IDM_ANIMATION_WINDOW: return DialogBuilt(IDD_ANIMATION_WINDOW_SETTINGS);
    case IDM_REGIONS: return DialogBuilt(IDD_FOREGROUND_REGIONS);
    case IDM_PATH_ANIMATION: return DialogBuilt(IDD_ANIMATION_PATH);
    case IDM_OFFSETS: return DialogBuilt(IDD_FRAME_OFFSETS);
    case IDM_ADDITIONAL_OPTIONS: return DialogBuilt(IDD_ADDITIONAL_OPTIONS);
    case IDM_RUN:
    case IDM_CONTROL_CENTRE: return g_appState.hooks.showAnimationWindow != nullptr;
    default:
        if (id >= IDM_EFFECTS_FIRST && id <= IDM_EFFECTS_CUSTOMIZED) return PixelPassesBuilt();
        if (id >= CONV_CMD_FIRST && id <= CONV_CMD_LAST) return IsConvLibraryLoaded();  // the library's own items
        return (id >= IDM_MRU_FILE && id < IDM_MRU_FILE + MAX_RECENT_FILES) || (id >= IDM_ZOOM_1 && id <= IDM_ZOOM_8) ||
               (id >= IDM_TOOL_FREEHAND && id <= IDM_TOOL_SELECT_POLYGON);
    }
}

// The Options menu's palette commands and the sequence's transparent colour.
void PaletteCommand(HWND window, UINT id)
{
    switch (id) {
    case IDM_EDIT_PALETTE:
        // The pen colour is the start index; the template keeps its caption.
        RunDialog(IDD_MODIFY_PALETTE, window, static_cast<LPARAM>(GetToolColor(ROLE_PEN | ROLE_BARE_INDEX) & 0xFFFF));
        // The other sequences' run-time frames were made with the old colours.
        if (!g_appState.animationWindow) FreeAllSequenceBitmaps();
        break;
    case IDM_RESET_PALETTE:
        if (g_appState.colorCount > COLORS_256) ResetStandardPalette();
        ResetColorCells();
        if (g_appState.paletteWindow) InvalidateRect(g_appState.paletteWindow, nullptr, FALSE);
        break;
    case IDM_DETECT_USED_COLORS: {
        RECT area;
        if (GetSelectionRect(&area, 0) & AREA_SELECTED) {
            ++area.right;  // inclusive corners
            ++area.bottom;
            DetectUsedColors(&area);
        } else {
            DetectUsedColors(nullptr);
        }
        if (g_appState.paletteWindow) InvalidateRect(g_appState.paletteWindow, nullptr, FALSE);
        break;
    }
    case IDM_TRANSPARENT_COLOR:
        // The three-colour format's transparent colour is palette entry 2
        // itself; elsewhere repainting every frame's pixels is asked first.
        if (ChangeTransparentColor(window, g_appState.colorCount == COLORS_3 ? 0 : IDS_ASK_RECOLOR_TRANSPARENT) &&
            g_appState.paletteWindow)
            InvalidateRect(g_appState.paletteWindow, nullptr, FALSE);
        break;
    default: break;
    }
}

// Greys every item of a menu (and its pop-ups) whose command is not built.
void GreyUnbuiltCommands(HMENU menu)
{
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (HMENU sub = GetSubMenu(menu, i)) {
            GreyUnbuiltCommands(sub);
            continue;
        }
        const UINT id = GetMenuItemID(menu, i);
        if (id != 0 && id != static_cast<UINT>(-1) && !CommandBuilt(id))
            EnableMenuItem(menu, i, MF_BYPOSITION | MF_GRAYED);
    }
}

int OpenRecentFile(UINT id)
{
    const char* stored = GetRecentFile(id);
    if (!stored) return 0;
    char path[MAX_PATH];
    lstrcpynA(path, stored, sizeof path);
    if (!QuerySaveChanges(g_appState.mainWindow, g_document.animationState)) return 0;
    ResetDocument();
    return OpenFileByExtension(path);
}

// A file chosen and the open document given up (after the save question):
// the document is then empty and `path` (MAX_PATH) names the file.
bool ChooseFileToOpen(HWND window, UINT flags, UINT titleId, UINT firstTypeId, char* path)
{
    int type = 0;
    path[0] = '\0';
    if (!g_appState.hooks.chooseFile || !g_appState.hooks.chooseFile(window, flags, titleId, firstTypeId, path, &type))
        return false;
    if (!QuerySaveChanges(window, g_document.animationState)) return false;
    ResetDocument();
    return true;
}

void OpenAnimationCommand(HWND window)
{
    char path[MAX_PATH];
    if (!ChooseFileToOpen(window, 0, IDS_TITLE_OPEN_ANIMATION, IDS_TYPE_ANIMATION_FORMATS, path)) return;
    const int result = OpenAnimation(path);
    if (result == RESULT_OK) {
        AddRecentFile(g_document.animationPath);
    } else {
        ShowErrorMessage(result);
        ResetDocument();
    }
    ShowFrameViews(g_appState.frameCount > 0);
    UpdateViewLayout(1);
}

void OpenCommand(HWND window)
{
    char path[MAX_PATH];
    // Every type the editor and the image library read.
    const UINT flags = CHOOSE_LIBRARY_STILL | CHOOSE_LIBRARY_VIDEO | CHOOSE_LIBRARY_ANIMATION;
    if (ChooseFileToOpen(window, flags, IDS_TITLE_OPEN, IDS_TYPE_ALL_FORMATS, path)) OpenFileByExtension(path);
}

// The menus and the status bar after an object command (the frame views
// follow the document model's notices when another sequence is loaded).
void AfterObjectCommand()
{
    UpdateAnimationChecks();
    UpdateObjectMenus();
    UpdateStatusBar(STATUS_TEXT, 0);
}

void SelectObjectCommand(HWND window)
{
    const INT_PTR result = RunDialog(IDD_SELECT_OBJECT, window, 0);
    if (result >= SELECT_OBJECT) SetCurrentObject(window, static_cast<int>(result));
    AfterObjectCommand();
}

void NewObjectCommand(HWND window)
{
    const INT_PTR result = RunDialog(IDD_NEW_OBJECT, window, 0);
    int source = 0;
    if (result == ADD_NEW_SEQUENCE || result == ADD_CHOSEN_FILE || result == ADD_PATH_BUFFER)
        source = static_cast<int>(result);
    else if (result >= SELECT_OBJECT && result < SELECT_OBJECT + MAX_SEQUENCES)
        source = ADD_EXISTING_SEQUENCE | static_cast<int>(result - SELECT_OBJECT);
    // What the dialog prepared in the next slot goes when no object is added.
    if (!source || !AddObject(window, source)) DiscardObjectSlot(g_document.objectCount);
    AfterObjectCommand();
}

// Proposes the object's sequence name with the object file's extension.
void SaveObjectCommand(HWND window)
{
    if (!QuerySaveChanges(window, g_document.animationState)) return;
    const int object = g_document.currentObject;
    if (object < 0 || object >= g_document.objectCount) return;
    const uint8_t sequence = g_document.objectTable[object].sequenceIndex;
    char path[MAX_PATH] = "";
    if (sequence < MAX_SEQUENCES) lstrcpynA(path, BareName(g_document.sequenceTable[sequence].fileName), MAX_PATH);
    char extension[RESOURCE_STRING_LENGTH];
    LoadResourceString(IDS_OBJECT_EXTENSION, extension);
    const char* dot = strchr(extension, '.');
    if (char* own = strrchr(path, '.')) *own = '\0';
    if (dot && strlen(path) + strlen(dot) < MAX_PATH) strcat(path, dot);
    int type = 0;
    if (!g_appState.hooks.chooseFile ||
        !g_appState.hooks.chooseFile(window, CHOOSE_SAVE | CHOOSE_KEEP_NAME, IDS_TITLE_SAVE_OBJECT, IDS_TYPE_OBJECT_FILE,
                                     path, &type))
        return;
    if (ConfirmOverwrite(path) == 0) return;
    const int result = WriteObjectFile(path, object);
    if (result != RESULT_OK) ShowErrorMessage(result);
}

void MoveDeleteObjectCommand(HWND window)
{
    RunDialog(IDD_MOVE_DELETE_OBJECT, window, 0);
    AfterObjectCommand();
}

void SequenceAnimationCommand(HWND window)
{
    if (RunDialog(IDD_SEQUENCE_ANIMATION, window, 0) != 1) return;
    UpdateAnimationChecks();
    HWND run = g_appState.animationWindow;
    if (!run) {
        UpdateSaveCommand();
        return;
    }
    if (IsIconic(run)) return;
    // The running test picks up the new motion; the test-run window gives
    // the main window back when it ends.
    BringWindowToTop(run);
    SendMessageA(run, WM_USER + 1, 0, 0);
    EnableWindow(window, FALSE);
    g_document.animationState |= DOC_MODIFIED;
}

void CycleDefinitionCommand(HWND window)
{
    RunDialog(IDD_CYCLE_DEFINITION, window, 0);
    AfterObjectCommand();
    UpdateSaveCommand();
}

// The window, region, offset and option dialogs change the document in place.
void AnimationSettingsCommand(HWND window, UINT id)
{
    const int templateId = id == IDM_ANIMATION_WINDOW ? IDD_ANIMATION_WINDOW_SETTINGS
                           : id == IDM_REGIONS      ? IDD_FOREGROUND_REGIONS
                           : id == IDM_OFFSETS      ? IDD_FRAME_OFFSETS
                                                    : IDD_ADDITIONAL_OPTIONS;
    if (RunDialog(templateId, window, 0) != 1) return;
    UpdateSaveCommand();
    UpdateMainTitle();
}

// A path replaces the object's step list: a cycle definition's conditions
// and branches go, after a warning.
void PathAnimationCommand(HWND window)
{
    const int object = g_document.currentObject;
    if (object < 0 || object >= g_document.objectCount) return;
    ObjectRecord& record = g_document.objectTable[object];
    HGLOBAL& block = g_document.objectMemoryHandles[object][0];
    const bool hadSteps = block && record.stepCount > 0;
    if (hadSteps && !(record.objectFlags & OBJ_PATH)) {
        char caption[RESOURCE_STRING_LENGTH];
        LoadResourceString(IDS_WARNING, caption);
        if (ShowStringMessage(window, IDS_PATH_WARNING, caption, MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK) return;
    }
    PathDialogParams params{block, hadSteps ? record.stepCount : 0};
    if (!hadSteps) {
        HGLOBAL fresh = AllocateStepBlock(1);
        if (!fresh) {
            ShowErrorMessage(RESULT_OUT_OF_MEMORY);
            return;
        }
        if (block) GlobalFree(block);
        block = params.block = fresh;
        record.stepCount = 0;
    }
    const INT_PTR nodes = RunDialog(IDD_ANIMATION_PATH, window, reinterpret_cast<LPARAM>(&params));
    block = params.block;
    // Cancel frees only a block made here; no nodes free the list.
    if ((nodes < 0 && !hadSteps) || nodes == 0) {
        if (block) GlobalFree(block);
        block = nullptr;
        record.stepCount = 0;
    } else if (nodes > 0) {
        record.stepCount = static_cast<int32_t>(nodes);
    }
    AfterObjectCommand();
    UpdateSaveCommand();
}

// Run and Control Centre: an animation of the image library's animated
// formats is played by the library (Shift plays it here).
void RunCommand(HWND window, UINT id)
{
    const BYTE format = g_document.conversionFormat;
    const bool libraryAnimation = format == CONV_FORMAT_AVI || format == CONV_FORMAT_ANI || format == CONV_FORMAT_GIF_ANIM;
    if (libraryAnimation && GetKeyState(VK_SHIFT) >= 0) {
        CallProcessCommand(window, CONV_CMD_FIRST + 1);
        return;
    }
    if (!g_appState.hooks.showAnimationWindow) return;
    g_appState.hooks.showAnimationWindow(window, id == IDM_CONTROL_CENTRE || GetKeyState(VK_CONTROL) < 0);
}

void ToggleGrid()
{
    g_appState.showGrid = !g_appState.showGrid;
    CheckMenuItem(g_appState.mainMenu, IDM_SHOW_GRID, MF_BYCOMMAND | (g_appState.showGrid ? MF_CHECKED : MF_UNCHECKED));
    CheckMainToolButton(IDM_SHOW_GRID, g_appState.showGrid);
    UpdateGridBrushes();
    InvalidateFrameEditor(1);
    // The canvas's frame follows the grid (light grey bottom and right edges).
    if (g_appState.frameEditorWindow)
        RedrawWindow(g_appState.frameEditorWindow, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE);
}

// Where an ellipse's centre lies: 1 in the middle of its pixel, 0 on its corner.
void SetEllipseMode(int mode)
{
    g_appState.ellipseMode = mode;
    RadioCheckMenuRange(g_appState.mainMenu, IDM_ELLIPSE_CENTRE_OF_SQUARE, IDM_ELLIPSE_CORNER_OF_SQUARE,
                        mode ? IDM_ELLIPSE_CENTRE_OF_SQUARE : IDM_ELLIPSE_CORNER_OF_SQUARE);
}

void ToggleGradatedLines()
{
    g_appState.gradatedLines = !g_appState.gradatedLines;
    CheckMenuItem(g_appState.mainMenu, IDM_GRADATED_LINES,
                  MF_BYCOMMAND | (g_appState.gradatedLines ? MF_CHECKED : MF_UNCHECKED));
    if (g_appState.frameEditorWindow) SendMessageA(g_appState.frameEditorWindow, EDIT_GRADATION_CHANGED, 0, 0);
    if (g_appState.penSizeButton) InvalidateRect(g_appState.penSizeButton, nullptr, TRUE);
}

void ChooseOnionSource(UINT id)
{
    SetOnionSkinSource(id == IDM_ONION_PREVIOUS_FRAME ? ONION_PREVIOUS : id == IDM_ONION_NEXT_FRAME ? ONION_NEXT : ONION_ANY);
    SetOnionSkin(1);
}

void StepAndShow(int delta)
{
    const int frame = StepCurrentFrame(delta);
    if (frame >= 0) SendMessageA(g_appState.filmWindow, FRAMES_SHOW_FRAME, frame, 0);
}

void DispatchCommand(HWND window, UINT id)
{
    if (g_appState.helpMode) {
        g_appState.helpMode = 0;
        ShowHelp(window, HELP_CONTEXT, id);
        return;
    }
    if (id >= IDM_MRU_FILE && id <= IDM_MRU_FILE + 30) {
        OpenRecentFile(id);
        return;
    }
    if (id >= CONV_CMD_FIRST && id <= CONV_CMD_LAST) {
        // Items the image library put into the menu.
        if (CallProcessCommand(window, static_cast<int>(id)) == RESULT_OK) g_document.animationState |= DOC_MODIFIED;
        return;
    }
    switch (id) {
    case IDM_NEW: NewSequenceCommand(window); break;
    case IDM_OPEN: OpenCommand(window); break;
    case IDM_OPEN_ANIMATION: OpenAnimationCommand(window); break;
    case IDM_SAVE_SEQUENCE: SaveSequenceAs(window, 0x4200, g_appState.frameCount > 1); break;
    case IDM_SAVE_ANIMATION:
        if (!g_document.conversionFormat && g_document.sequenceState < 0 && !QuerySaveChanges(window, g_document.animationState))
            break;
        if (SaveAnimationAs(window) == RESULT_OK) UpdateMainTitle();
        break;
    case IDM_CLOSE:
        if (!QuerySaveChanges(window, g_document.animationState)) break;
        ResetDocument();
        g_document.animationState = g_document.sequenceState = DOC_NONE;
        ShowFrameViews(0);
        break;
    case IDM_QUIT:
        if (QuerySaveChanges(window, g_document.animationState)) DestroyWindow(window);
        break;
    case IDM_SAVE:
        SaveChanges(window);
        UpdateStatusBar(STATUS_FRAME, g_appState.currentFrame);
        UpdateMainTitle();
        break;
    case IDM_FILM_RIGHT:
    case IDM_FILM_BELOW:
        SetFilmPlacement(id);
        UpdateViewLayout(0);
        break;
    case IDM_ZOOM_FILM: ToggleZoomFilm(); break;
    case IDM_EDIT_PALETTE:
    case IDM_RESET_PALETTE:
    case IDM_DETECT_USED_COLORS:
    case IDM_TRANSPARENT_COLOR: PaletteCommand(window, id); break;
    case IDM_FLOATING_PALETTE: ToggleFloatingPalette(); break;
    case IDM_FILL_PATTERNS:
        if (RunDialog(IDD_FILL_PATTERNS, window, 0) == 1 && g_appState.fillPatternButton)
            InvalidateRect(g_appState.fillPatternButton, nullptr, TRUE);
        break;
    case IDM_SETTINGS:
        if (RunDialog(IDD_EDITOR_SETTINGS, window, 0) == 1 && g_appState.workspaceWindow)
            RedrawWindow(g_appState.workspaceWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        break;
    case IDM_STRETCH: ToggleTransformWindow(); break;
    case IDM_CLEAR_SELECTION: SetFrameSelection(SELECTION_CLEAR_ALL, 0, 1); break;
    case IDM_SELECT_ALL_FRAMES: SetFrameSelection(SELECTION_SELECT_ALL, 0, 1); break;
    case IDM_ELLIPSE_CENTRE_OF_SQUARE: SetEllipseMode(1); break;
    case IDM_ELLIPSE_CORNER_OF_SQUARE:
    case IDM_ELLIPSE_CORNER_OF_SQUARE + 4:  // 306-309 act as 302
    case IDM_ELLIPSE_CORNER_OF_SQUARE + 5:
    case IDM_ELLIPSE_CORNER_OF_SQUARE + 6:
    case IDM_ELLIPSE_CORNER_OF_SQUARE + 7: SetEllipseMode(0); break;
    case IDM_GRADATED_LINES: ToggleGradatedLines(); break;
    case IDM_ONION_PREVIOUS_FRAME:
    case IDM_ONION_NEXT_FRAME:
    case IDM_ONION_ANY_FRAME: ChooseOnionSource(id); break;
    case IDM_ONION_SKINNING: SetOnionSkin(!IsOnionSkinOn()); break;
    case IDM_SHOW_GRID: ToggleGrid(); break;
    case IDM_PREVIOUS_FRAME: StepAndShow(-1); break;
    case IDM_NEXT_FRAME: StepAndShow(1); break;
    case IDM_FILM_FIRST:
    case IDM_FILM_LAST:
        if (g_appState.frameCount > 0)
            SendMessageA(g_appState.filmWindow, LB_SETCURSEL, id == IDM_FILM_FIRST ? 0 : g_appState.frameCount - 1, 0);
        break;
    case IDM_FIRST_FRAME: StepAndShow(-g_appState.currentFrame); break;
    case IDM_ZOOM_1:
    case IDM_ZOOM_1 + 1:
    case IDM_ZOOM_1 + 2:
    case IDM_ZOOM_8:
        SetFrameEditorZoom(static_cast<int>(id - IDM_ZOOM_1), 1);
        CheckZoomButton(static_cast<int>(id - IDM_ZOOM_1));
        break;
    case IDM_LAST_FRAME: StepAndShow(g_appState.frameCount - 1 - g_appState.currentFrame); break;
    case IDM_PRINTER_SETUP: PrinterSetup(window); break;
    case IDM_PRINT: {
        const int result = PrintFrames(window);
        if (result >= 2) ShowErrorMessage(result);
        break;
    }
    case IDM_SELECT_OBJECT: SelectObjectCommand(window); break;
    case IDM_NEW_OBJECT: NewObjectCommand(window); break;
    case IDM_MOVE_DELETE_OBJECT: MoveDeleteObjectCommand(window); break;
    case IDM_SAVE_OBJECT: SaveObjectCommand(window); break;
    case IDM_SEQUENCE_ANIMATION: SequenceAnimationCommand(window); break;
    case IDM_CYCLE_DEFINITION: CycleDefinitionCommand(window); break;
    case IDM_ANIMATION_WINDOW:
    case IDM_REGIONS:
    case IDM_OFFSETS:
    case IDM_ADDITIONAL_OPTIONS: AnimationSettingsCommand(window, id); break;
    case IDM_PATH_ANIMATION: PathAnimationCommand(window); break;
    case IDM_RUN:
    case IDM_CONTROL_CENTRE: RunCommand(window, id); break;
    case IDM_ABOUT: RunDialog(IDD_ABOUT, window, 0); break;
    case IDM_STARTUP_BOX: RunDialog(IDD_ABOUT, window, 1); break;
    case IDM_HELP: ShowHelp(window, HELP_INDEX, 0); break;
    case IDM_HOMEPAGE: {
        char address[MAX_PATH] = "";
        LoadResourceString(IDS_HOMEPAGE, address, sizeof address);
        const auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(window, "open", address, nullptr, nullptr, SW_SHOWDEFAULT));
        if (result < 32)
            ShowStringMessage(window, IDS_HOMEPAGE_FAILED, nullptr, MB_OK | MB_ICONSTOP, reinterpret_cast<INT_PTR>(address));
        break;
    }
    case IDM_UNDO:
    case IDM_REPEAT:
    case IDM_CUT:
    case IDM_COPY:
    case IDM_CLEAR:
    case IDM_PASTE_INTO_SEQUENCE: DoEditCommand(id, HeldCommandKeys()); break;
    case IDM_PASTE: PasteAreaCommand(); break;  // the area floats as tool 32 until placed
    default:
        if (id >= IDM_ADD_EMPTY_FRAME && id <= IDM_MOVE_FRAME) {
            DoFrameCommand(id, HeldCommandKeys());
            break;
        }
        if (id >= IDM_SCROLL_UP && id <= IDM_EFFECTS_CUSTOMIZED) {
            DoImageCommand(id, HeldCommandKeys());
            break;
        }
        if (id >= IDM_TOOL_FREEHAND && id <= IDM_TOOL_SELECT_POLYGON) {
            CloseTransformWindow();
            SelectPaintTool(static_cast<int>(id - IDM_TOOL_FREEHAND));
        }
        break;  // commands of parts still to come, and unknown ids
    }
}

void OnMenuSelect(UINT id, UINT flags)
{
    g_appState.statusText[0] = '\0';
    if (id >= 100 && !(flags & (MF_POPUP | MF_GRAYED)) && flags != 0xFFFF)
        LoadResourceString(IDS_COMMAND_HELP_BASE + id, g_appState.statusText, STATUS_TEXT_CHARS);
    if (g_appState.statusBarWindow)
        SendMessageA(g_appState.statusBarWindow, STATUSBAR_SET_PANE, PANE_TEXT, reinterpret_cast<LPARAM>(g_appState.statusText));
}

void OnCreate(HWND window)
{
    g_appState.mainWindow = window;
    InstallEditorHooks();
    g_appState.lastSizeType = SIZE_RESTORED;
    CreateWorkDCs();
    InitMainWindowChildren(g_appState.instanceHandle, window);
    LoadRecentFiles(g_appState.mainMenu ? GetSubMenu(g_appState.mainMenu, 0) : nullptr);
    g_document.sequenceSaveFormat = 0;
    g_document.sequenceState = DOC_NONE;
    g_document.animationState = DOC_NONE;
    g_appState.currentTool = 0;
    g_appState.penWidth = 1;
    g_appState.ellipseMode = 1;
    g_appState.zoomShift = g_appState.fitZoomShift = 3;
    ConnectPaintHost();
    UpdateGridBrushes();
    BuildToolBars(window, g_appState.instanceHandle);
    InstallToolWindowHost();
    const StartupSettings startup = ReadStartupSettings();
    SetOnionSkinSource(startup.onionSkinSource);
    SetUndoBufferSize(startup.undoBufferSize);
    SetRotationAngle(DEFAULT_ROTATION_DEGREES);
    InstallVideoExportBridge();
}

void OnSize(HWND window, UINT type, int width, int height)
{
    if (g_appState.lastSizeType == SIZE_MINIMIZED && (type == SIZE_RESTORED || type == SIZE_MAXIMIZED)) {
        SendMessageA(window, WM_QUERYNEWPALETTE, 0, 0);
        g_appState.lastSizeType = static_cast<WORD>(type);
        return;
    }
    g_appState.lastSizeType = static_cast<WORD>(type);
    if (type == SIZE_MINIMIZED) return;
    LayoutMainClient(width, height);
}

// The main window comes to the front: the document palette is realised in
// the canvas's DC; the views are repainted when colours changed or when asked.
LRESULT QueryNewPalette(HWND window, WPARAM repaint)
{
    if (IsIconic(window)) return 0;
    int changed = 0;
    if (g_appState.documentPalette && g_appState.frameEditorWindow) {
        // The canvas keeps a DC of its own: the palette stays selected there.
        HDC dc = GetDC(g_appState.frameEditorWindow);
        SelectPalette(dc, g_appState.documentPalette, FALSE);
        const UINT mapped = RealizePalette(dc);
        if (mapped != GDI_ERROR) changed = static_cast<int>(mapped);
        ReleaseDC(g_appState.frameEditorWindow, dc);
    }
    if (changed > 0 || repaint == 1) {
        for (HWND view : {g_appState.frameEditorWindow, g_appState.filmWindow})
            if (view) InvalidateRect(view, nullptr, FALSE);
    }
    if (g_appState.paletteWindow) InvalidateRect(g_appState.paletteWindow, nullptr, FALSE);
    return changed > 0 ? changed : 1;
}

// Another program (or the test run) realised its palette: the views map the
// document palette again. A change this editor's own windows made is its own.
void OnPaletteChanged(HWND changer)
{
    const bool foreign = changer && GetWindowThreadProcessId(changer, nullptr) != GetCurrentThreadId();
    if (!foreign && (!changer || changer != g_appState.animationWindow)) return;
    for (HWND view : {g_appState.filmWindow, g_appState.paletteWindow, g_appState.frameEditorWindow})
        RefreshWindowColors(view);
}

}  // namespace

// ---- decisions -------------------------------------------------------------------------

int WrapFrame(int frame, int frameCount)
{
    if (frameCount <= 0) return -1;
    if (frame >= frameCount) return 0;
    if (frame < 0) return frameCount - 1;
    return frame;
}

bool SaveCommandEnabled(int frameCount, int sequenceState, int animationState, int currentFrameState)
{
    if (frameCount <= 0) return false;
    if (sequenceState > 0 && (sequenceState & DOC_MODIFIED)) return true;
    if (sequenceState == DOC_NEW) return true;
    if (animationState > 0 && (animationState & DOC_MODIFIED)) return true;
    return currentFrameState > 0 && (currentFrameState & FRAME_MODIFIED);
}

UINT AnimationCheckFor(int animationState, int objectFlags)
{
    if (animationState == DOC_NONE) return 0;
    if (!(objectFlags & 1)) return IDM_SEQUENCE_ANIMATION;
    return (objectFlags & 8) ? IDM_PATH_ANIMATION : IDM_CYCLE_DEFINITION;
}

SIZE AnimationWindowSizeFor(const AnimationSettings& settings, SIZE frame, SIZE screen)
{
    switch (settings.sizeMode & 3) {
    case 1: return {settings.width, settings.height};
    case 2: return screen;
    default: return frame;
    }
}

SIZE GetAnimationWindowSize()
{
    return AnimationWindowSizeFor(g_document.animationSettings, {g_appState.frameWidth, g_appState.frameHeight},
                                  {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

bool NewObjectEnabled(int objectCount) { return objectCount < MAX_EDITOR_OBJECTS; }
bool SelectObjectEnabled(int objectCount) { return objectCount >= 2; }

// ---- frames ----------------------------------------------------------------------------

int StepCurrentFrame(int delta)
{
    const int frame = WrapFrame(g_appState.currentFrame + delta, g_appState.frameCount);
    if (frame < 0) return -1;
    g_appState.currentFrame = frame;
    InvalidateFrameEditor(1);
    InvalidateRect(g_appState.filmWindow, nullptr, FALSE);
    UpdateStatusBar(STATUS_FRAME, frame);
    return frame;
}

int GetFileNameOffset(const char* path)
{
    int offset = 0;
    for (int i = 0; path[i]; ++i)
        if (path[i] == '\\' || path[i] == ':') offset = i + 1;
    return offset;
}

int GetFrameFileName(int frame, char* buffer, int room)
{
    buffer[0] = '\0';
    if (frame < 0 || frame >= MAX_FRAME_BITMAPS) return 0;
    if (g_document.frameRecords[frame].name) lstrcpynA(buffer, g_document.frameRecords[frame].name, room);
    return GetFileNameOffset(buffer);
}

void SetDefaultFrameFileName(int frame)
{
    const char* current = g_document.frameRecords[g_appState.currentFrame].name;
    if (current && (strstr(current, "%d") || strstr(current, "%D"))) {
        SetFrameFileName(frame, current);
        return;
    }
    char folder[MAX_PATH], pattern[RESOURCE_STRING_LENGTH], name[MAX_PATH];
    GetCurrentDirectoryA(sizeof folder, folder);
    LoadResourceString(IDS_DEFAULT_FRAME_NAME, pattern);
    snprintf(name, sizeof name, "%s\\%s", folder, pattern);
    SetFrameFileName(frame, name);
}

int SaveChanges(HWND owner)
{
    const int S = g_document.sequenceState;
    const int A = g_document.animationState;
    const BYTE F = g_document.sequenceSaveFormat;
    const BYTE C = g_document.conversionFormat;
    const SequenceRecord* record = CurrentSequenceRecord();
    auto writeSequence = [&](int mode) {
        if (!record) return false;
        const int result = SaveFrameSequence(record->fileName, record->transparentColorCode, mode);
        if (result != RESULT_OK) {
            ShowErrorMessage(result);
            return false;
        }
        g_document.sequenceState = 0;
        return true;
    };
    auto noSequenceFile = [&]() -> int {
        const int frame = g_appState.currentFrame;
        const int state = g_document.frameRecords[frame].frameState;
        if (state > 0) {
            char pattern[MAX_PATH], name[MAX_PATH];
            GetFrameFileName(frame, pattern, sizeof pattern);
            FormatFrameFileName(name, sizeof name, pattern, frame);
            const int result = SaveFrameFile(name, frame, g_document.frameRecords[frame].attribute);
            if (result != RESULT_OK) return ShowErrorMessage(result);
            UpdateStatusBar(STATUS_FRAME, frame);
            return 1;
        }
        if (state == 0) return 1;
        if (g_appState.frameCount > 1) {
            SendMessageA(owner, WM_COMMAND, IDM_SAVE_SEQUENCE, 0);
            return g_document.sequenceState == 0;
        }
        SendMessageA(owner, WM_COMMAND, IDM_SAVE_FRAME, 0);
        return g_document.frameRecords[frame].frameState == 0;
    };
    auto sequenceOnly = [&]() -> int {
        if (S < 0) return noSequenceFile();
        if (S == 0) return 1;
        return writeSequence(F) ? 1 : 0;
    };
    if (A == DOC_NEW) {
        if (C) return SaveAnimationAs(owner);
        if (S < 0) return noSequenceFile();
        if (F) return sequenceOnly();
        if (S > 0 && !writeSequence(0)) return 0;
        return SaveAnimationAs(owner);
    }
    if (A >= 0) {
        if (C == 2) return sequenceOnly();
        if (C) {
            const int result = g_appState.hooks.librarySave
                                   ? g_appState.hooks.librarySave(owner, g_document.animationPath, C, -1)
                                   : RESULT_LIBRARY_ERROR;
            if (result != RESULT_OK) return ShowErrorMessage(result);
            g_document.sequenceState = g_document.animationState = 0;
            return 1;
        }
        if (S < 0 || F) {
            if (SaveSequenceAs(owner, 0x4000, true) != RESULT_OK) return 0;
            if (g_document.sequenceSaveFormat) return 1;
        } else if (S > 0 && !writeSequence(0)) {
            return 0;
        }
        if (g_document.animationState > 0) {
            const int result = SaveAnimation(g_document.animationPath);
            if (result != RESULT_OK) return ShowErrorMessage(result);
            g_document.animationState = 0;
        }
        return 1;
    }
    return sequenceOnly();
}

// ---- menu states ----------------------------------------------------------------------

void RadioCheckMenuRange(HMENU menu, UINT first, UINT last, UINT checked)
{
    if (!menu) return;
    for (UINT id = first; id <= last; ++id) CheckMenuItem(menu, id, MF_BYCOMMAND | (id == checked ? MF_CHECKED : MF_UNCHECKED));
}

void UpdateSaveCommand()
{
    const int frame = g_appState.currentFrame;
    const int frameState = frame >= 0 && frame < MAX_FRAME_BITMAPS ? g_document.frameRecords[frame].frameState : FRAME_UNSET;
    const bool enabled = SaveCommandEnabled(g_appState.frameCount, g_document.sequenceState, g_document.animationState, frameState);
    EnableItem(IDM_SAVE, enabled);
    EnableMainToolButton(IDM_SAVE, !enabled);
}

void UpdateRunCommand()
{
    EnableMainToolButton(IDM_RUN, !(g_appState.frameCount > 0 && HaveDocument()));
}

void UpdateAnimationChecks()
{
    const int object = g_document.currentObject;
    const int flags = object >= 0 && object < g_document.objectCount ? g_document.objectTable[object].objectFlags : 0;
    const UINT checked = AnimationCheckFor(g_document.animationState, flags);
    RadioCheckMenuRange(g_appState.mainMenu, IDM_SEQUENCE_ANIMATION, IDM_PATH_ANIMATION, checked);
}

void UpdateAnimationMenus()
{
    const bool document = HaveDocument();
    EnableItem(IDM_SAVE_ANIMATION, document && CommandBuilt(IDM_SAVE_ANIMATION));
    for (UINT id = IDM_REGIONS; id <= IDM_RUN; ++id) EnableItem(id, document && CommandBuilt(id));
    if (g_appState.mainWindow)
        EnableMenuItem(GetSystemMenu(g_appState.mainWindow, FALSE), IDM_RUN,
                       MF_BYCOMMAND | (document && CommandBuilt(IDM_RUN) ? MF_ENABLED : MF_GRAYED));
    UpdateRunCommand();
    UpdateAnimationChecks();
}

// The commands that would change the document under a test run, and whether
// each was offered before the run greyed it.
namespace {
constexpr UINT COMMANDS_GREYED_BY_RUN[] = {IDM_NEW, IDM_OPEN, IDM_OPEN_ANIMATION, IDM_CHANGE_FORMAT,
                                           IDM_SELECT_OBJECT, IDM_NEW_OBJECT, IDM_ANIMATION_WINDOW, IDM_REGIONS};
bool g_offeredBeforeRun[std::size(COMMANDS_GREYED_BY_RUN)];
bool g_greyedByRun;
}  // namespace

void EnableDocumentMenus(bool enabled)
{
    HMENU menu = g_appState.mainMenu;
    if (!menu || enabled != g_greyedByRun) return;
    for (size_t i = 0; i < std::size(COMMANDS_GREYED_BY_RUN); ++i) {
        const UINT id = COMMANDS_GREYED_BY_RUN[i];
        if (!enabled) g_offeredBeforeRun[i] = !(GetMenuState(menu, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
        EnableItem(id, enabled && g_offeredBeforeRun[i]);
    }
    g_greyedByRun = !enabled;
}

int ShowAnimationWindow(HWND owner, int withControlCenter)
{
    if (g_appState.mainMenu) ClearUndo();
    HWND run = g_appState.animationWindow;
    if (!run) {
        const AnimationSettings& s = g_document.animationSettings;
        const SIZE screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        const SIZE client = GetAnimationWindowSize();
        RECT frame{0, 0, client.cx, client.cy};
        AdjustWindowRectEx(&frame, s.windowStyle, FALSE, s.windowExStyle);
        const int width = std::min<LONG>(frame.right - frame.left, screen.cx);
        const int height = std::min<LONG>(frame.bottom - frame.top, screen.cy);
        int x, y;
        switch (s.positionFlags & 3) {
        case 0:
            x = (screen.cx - width) / 2;
            y = (screen.cy - height) / 2;
            break;
        case 2:
            x = std::min(s.x, static_cast<int>(screen.cx - width));
            y = std::min(s.y, static_cast<int>(screen.cy - height));
            break;
        default:
            x = screen.cx > width ? rand() % (screen.cx - width) : 0;
            y = screen.cy > height ? rand() % (screen.cy - height) : 0;
            break;
        }
        run = CreateWindowExA(s.windowExStyle, "Animation", s.title, s.windowStyle & ~WS_VISIBLE, x, y, width, height,
                              nullptr, nullptr, g_appState.instanceHandle,
                              reinterpret_cast<LPVOID>(static_cast<INT_PTR>(withControlCenter ? 1 : 0)));
        if (!run) {
            ShowStringMessage(owner, IDS_ANIMATION_NOT_STARTED, nullptr, MB_OK | MB_ICONSTOP);
            return 0;
        }
        // The window may have ended its run at once (no memory for its picture).
        if (!IsWindow(run)) return 0;
        EnableDocumentMenus(false);
    } else if (IsIconic(run)) {
        ShowWindow(run, SW_RESTORE);
    }
    ShowWindow(run, SW_SHOWNORMAL);
    UpdateWindow(run);
    return 1;
}

void TestRunEnded()
{
    EnableDocumentMenus(true);
    UpdateSaveCommand();
}

void UpdateObjectMenus()
{
    EnableItem(IDM_NEW_OBJECT, NewObjectEnabled(g_document.objectCount) && CommandBuilt(IDM_NEW_OBJECT));
    EnableItem(IDM_SELECT_OBJECT, SelectObjectEnabled(g_document.objectCount) && CommandBuilt(IDM_SELECT_OBJECT));
    EnableItem(IDM_MOVE_DELETE_OBJECT, SelectObjectEnabled(g_document.objectCount) && CommandBuilt(IDM_MOVE_DELETE_OBJECT));
    EnableItem(IDM_SAVE_OBJECT, HaveDocument() && CommandBuilt(IDM_SAVE_OBJECT));
}

void UpdateMultiFrameMenus(int frameCount)
{
    for (UINT id : {IDM_DELETE_FRAME, IDM_SWAP_FRAME, IDM_MOVE_FRAME, IDM_CLEAR_SELECTION, IDM_SELECT_ALL_FRAMES,
                    IDM_ONION_SKINNING})
        EnableItem(id, frameCount > 1 && CommandBuilt(id));
    if (frameCount <= 1) SetOnionSkin(0);
}

void SetSelectionState(int word)
{
    if ((word ^ g_selectionState) & AREA_SELECTED && g_appState.mainMenu) {
        char text[RESOURCE_STRING_LENGTH];
        LoadResourceString((word & AREA_SELECTED) ? IDS_CLEAR_SELECTION : IDS_CLEAR_FRAME, text);
        ModifyMenuA(g_appState.mainMenu, IDM_CLEAR, MF_BYCOMMAND | MF_STRING, IDM_CLEAR, text);
        if (!(word & AREA_SELECTED)) CloseTransformWindow();
    }
    g_selectionState = word;
}

int TestSelectionState(int mask) { return g_selectionState & mask; }

namespace {
bool g_documentCommandsGrayed = true;  // as EnableDocumentCommands last set them
}  // namespace

void EnableColorFormatCommands()
{
    if (!g_appState.mainMenu) return;
    // Palette editing, detection and adjustment need a palette of 256 colours or true colour.
    for (UINT id : {IDM_EDIT_PALETTE, IDM_DETECT_USED_COLORS, IDM_ADJUST_COLORS})
        EnableItem(id, !g_documentCommandsGrayed && g_appState.colorCount >= COLORS_256 && CommandBuilt(id));
}

void EnableDocumentCommands(HWND window, int grayed)
{
    g_documentCommandsGrayed = grayed != 0;
    EnableDocumentToolButtons(grayed);
    HMENU menu = g_appState.mainMenu;
    if (!menu) return;
    for (UINT id : {IDM_ADD_FRAMES, IDM_SAVE_FRAME, IDM_SAVE_SEQUENCE, IDM_CLOSE})
        EnableItem(id, !grayed && CommandBuilt(id));
    // Without a document the print commands stay only for a configured printer.
    const bool printing = !grayed || HaveDefaultPrinter();
    EnableItem(IDM_PRINTER_SETUP, printing);
    EnableItem(IDM_PRINT, printing);
    for (int position = 1; position <= 6; ++position)
        EnableMenuItem(menu, position, MF_BYPOSITION | (grayed ? MF_GRAYED : MF_ENABLED));
    EnableItem(IDM_COPY, false);
    EnableColorFormatCommands();
    SetSelectionState(g_selectionState & ~AREA_SELECTED);
    RadioCheckMenuRange(menu, IDM_ELLIPSE_CENTRE_OF_SQUARE, IDM_ELLIPSE_CORNER_OF_SQUARE,
                        g_appState.ellipseMode ? IDM_ELLIPSE_CENTRE_OF_SQUARE : IDM_ELLIPSE_CORNER_OF_SQUARE);
    UpdateSaveCommand();
    UpdateMultiFrameMenus(g_appState.frameCount);
    if (window) DrawMenuBar(window);
}

void UpdateMenuStates()
{
    g_appState.framePickMode = 0;
    if (g_appState.mainMenu) GreyUnbuiltCommands(g_appState.mainMenu);
    UpdateSaveCommand();
    const bool selectionTool = g_appState.currentTool == SELECTION_TOOL_A || g_appState.currentTool == SELECTION_TOOL_B;
    EnableMainToolButton(IDM_CUT, !selectionTool);
    EnableMainToolButton(IDM_COPY, !selectionTool);
    EnableItem(IDM_CUT, selectionTool && g_appState.frameCount > 0);
    EnableItem(IDM_COPY, selectionTool && g_appState.frameCount > 0);
    const bool clipboardImage = IsClipboardFormatAvailable(CF_BITMAP) || IsClipboardFormatAvailable(CF_DIB);
    EnableMainToolButton(IDM_PASTE, !clipboardImage);
    EnableItem(IDM_PASTE, clipboardImage && g_appState.frameCount > 0);
    EnableItem(IDM_PASTE_INTO_SEQUENCE, g_appState.frameCount > 0 && IsClipboardImageAvailable());
    UpdateUndoCommands(CanUndo(), CanRepeat());
    const bool stretch = selectionTool && TestSelectionState(AREA_SELECTED);
    EnableItem(IDM_STRETCH, stretch);
    EnableDrawToolButton(IDM_STRETCH, !stretch);
    EnableItem(IDM_FILM_RIGHT, g_appState.frameCount > 0);
    EnableItem(IDM_FILM_BELOW, g_appState.frameCount > 0);
    if (!g_appState.animationWindow) {
        UpdateAnimationMenus();
        UpdateObjectMenus();
    }
    UpdateMultiFrameMenus(g_appState.frameCount);
}

void UpdateUndoCommands(int canUndo, int canRepeat)
{
    EnableItem(IDM_UNDO, canUndo != 0);
    EnableItem(IDM_REPEAT, canRepeat != 0);
    EnableMainToolButton(IDM_UNDO, !canUndo);
    EnableMainToolButton(IDM_REPEAT, !canRepeat);
}

void SetRotationMenuTexts(int degrees)
{
    if (!g_appState.mainMenu) return;
    const int angle = degrees < 0 ? -degrees : degrees;
    for (const auto& [id, stringId] : {std::pair<UINT, UINT>{IDM_ROTATE_LEFT, IDS_ROTATE_ANTICLOCKWISE},
                                       std::pair<UINT, UINT>{IDM_ROTATE_RIGHT, IDS_ROTATE_CLOCKWISE}}) {
        char format[RESOURCE_STRING_LENGTH], text[RESOURCE_STRING_LENGTH + 32], old[128] = "";
        if (!LoadResourceString(stringId, format)) continue;
        // The key text behind the backspace stays with the item.
        GetMenuStringA(g_appState.mainMenu, id, old, sizeof old, MF_BYCOMMAND);
        const char* key = strchr(old, '\b');
        const char* mark = strstr(format, "%d");
        if (mark)
            snprintf(text, sizeof text, "%.*s%d%s%s", static_cast<int>(mark - format), format, angle, mark + 2,
                     key ? key : "");
        else
            snprintf(text, sizeof text, "%s%s", format, key ? key : "");
        ModifyMenuA(g_appState.mainMenu, id, MF_BYCOMMAND | MF_STRING, id, text);
    }
}

// ---- context menus ----------------------------------------------------------------------

void ContextItemText(const char* menuText, char* out, int room)
{
    int i = 0;
    const int limit = room - 1 < MAX_CONTEXT_ITEM_CHARS ? room - 1 : MAX_CONTEXT_ITEM_CHARS;
    for (; i < limit && menuText[i] && menuText[i] != '\t' && menuText[i] != '\b'; ++i) out[i] = menuText[i];
    out[i] = '\0';
}

void AppendMainMenuItem(HMENU menu, HMENU source, UINT id, UINT flags)
{
    char full[128] = "", text[MAX_CONTEXT_ITEM_CHARS + 1];
    GetMenuStringA(source, id, full, sizeof full, MF_BYCOMMAND);
    ContextItemText(full, text, sizeof text);
    const UINT state = GetMenuState(source, id, MF_BYCOMMAND);
    const UINT grey = state != static_cast<UINT>(-1) ? (state & (MF_GRAYED | MF_DISABLED | MF_CHECKED)) : 0;
    AppendMenuA(menu, MF_STRING | flags | grey, id, text);
}

void BuildCanvasContextMenu(HMENU menu)
{
    HMENU source = g_appState.mainMenu;
    if (!HaveDocument() && g_appState.frameCount == 0) {
        for (UINT id : {IDM_NEW, IDM_OPEN, IDM_OPEN_ANIMATION}) AppendMainMenuItem(menu, source, id, 0);
        return;
    }
    AppendMenuA(menu, MF_STRING, IDM_CONTEXT_TITLE, "...");
    // The groups in their order; an empty one leaves no separator behind.
    const bool area = TestSelectionState(AREA_SELECTED) != 0;
    const bool selectionTool = g_appState.currentTool == SELECTION_TOOL_A || g_appState.currentTool == SELECTION_TOOL_B;
    std::vector<UINT> edits;
    for (UINT id : {IDM_UNDO, IDM_REPEAT})
        if (!(GetMenuState(source, id, MF_BYCOMMAND) & MF_GRAYED)) edits.push_back(id);
    std::vector<UINT> onion;
    if (g_appState.frameCount > 1) onion.push_back(IDM_ONION_SKINNING);
    std::vector<UINT> clipboard;
    if (area) clipboard = {IDM_CUT, IDM_COPY};
    else if (selectionTool) clipboard = {IDM_COPY};
    std::vector<UINT> paste;
    if (IsClipboardFormatAvailable(CF_BITMAP) || IsClipboardFormatAvailable(CF_DIB)) paste.push_back(IDM_PASTE);
    // Without an area the drawing options; 0 stands for a separator inside the group.
    const std::vector<UINT> last = area ? std::vector<UINT>{IDM_STRETCH, IDM_ROTATE, IDM_REPLACE_COLOR}
                                        : std::vector<UINT>{IDM_GRADATED_LINES, IDM_FILL_PATTERNS, 0, IDM_REPLACE_COLOR};
    const std::vector<UINT>* const groups[] = {&edits, &onion, &clipboard, &paste, &last};
    for (const std::vector<UINT>* group : groups) {
        if (group->empty()) continue;
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        for (UINT id : *group) {
            if (id == 0) AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            else AppendMainMenuItem(menu, source, id, 0);
        }
    }
}

void BuildFilmContextMenu(HMENU menu)
{
    HMENU source = g_appState.mainMenu;
    AppendMenuA(menu, MF_STRING, IDM_CONTEXT_TITLE, "...");
    for (UINT id : {IDM_INSERT_FRAME, IDM_ADD_EMPTY_FRAME, IDM_INSERT_COPY, IDM_APPEND_FRAMES}) AppendMainMenuItem(menu, source, id, 0);
    if (g_appState.frameCount > 1) AppendMainMenuItem(menu, source, IDM_DELETE_FRAME, 0);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMainMenuItem(menu, source, IDM_CHANGE_FORMAT, 0);
    AppendMainMenuItem(menu, source, IDM_TRANSPARENT_COLOR, 0);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMainMenuItem(menu, source, IDM_SWAP_FRAME, 0);
    AppendMainMenuItem(menu, source, IDM_MOVE_FRAME, 0);
}

// ---- title and help ----------------------------------------------------------------------

void AppendTitlePaths(char* out, int room, int showPath, const char* animationPath, int animationState,
                      const char* sequenceFile)
{
    if (showPath < 0 || animationState < 0) return;
    const int used = lstrlenA(out);
    const char* shown = (showPath & 1) ? animationPath : animationPath + GetFileNameOffset(animationPath);
    snprintf(out + used, room - used, " - %s", shown);
    if ((showPath & 2) && sequenceFile && *sequenceFile) {
        const int more = lstrlenA(out);
        snprintf(out + more, room - more, " - %s", sequenceFile + GetFileNameOffset(sequenceFile));
    }
}

void UpdateMainTitle()
{
    if (!g_appState.mainWindow) return;
    const int showPath = ReadSetting(IDS_KEY_SHOW_PATH_IN_TITLE);
    if (showPath < 0) return;
    char title[MAX_PATH * 2 + 40];
    FormatBaseTitle(title, sizeof title, g_appState.instanceNumber);
    const SequenceRecord* record = g_document.sequenceState != DOC_NONE ? CurrentSequenceRecord() : nullptr;
    AppendTitlePaths(title, sizeof title, showPath, g_document.animationPath, g_document.animationState,
                     record ? record->fileName : nullptr);
    SetWindowTextA(g_appState.mainWindow, title);
}

bool HelpFilePath(const char* programPath, char* out, int room)
{
    const char* dot = strrchr(programPath, '.');
    const char* slash = strrchr(programPath, '\\');
    if (!dot || (slash && dot < slash)) return false;
    const int stem = static_cast<int>(dot - programPath);
    if (stem + 5 > room) return false;
    snprintf(out, room, "%.*s.hlp", stem, programPath);
    return true;
}

void ShowHelp(HWND window, UINT command, ULONG_PTR data)
{
    char program[MAX_PATH], help[MAX_PATH];
    if (!GetModuleFileNameA(nullptr, program, sizeof program)) return;
    if (HelpFilePath(program, help, sizeof help)) WinHelpA(window, help, command, data);
}

// ---- the window procedure -----------------------------------------------------------------

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        return 0;
    case WM_DESTROY:
        ResetDocument();
        SaveWindowPlacement(window, GetOnionSkinSource());
        FreeWorkDCs();
        PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        OnSize(window, static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        RECT line = {0, 0, client.right, 1};
        FillRect(dc, &line, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        EndPaint(window, &paint);
        return 0;
    }
    case WM_CLOSE:
        SendMessageA(window, WM_COMMAND, IDM_QUIT, 0);
        return 0;
    case WM_ACTIVATEAPP:
        if (wParam) {
            SetFocus(window);
            PostMessageA(window, WM_QUERYNEWPALETTE, 1, 0);
        }
        return 0;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {MIN_TRACK_WIDTH, MIN_TRACK_HEIGHT};
        return 0;
    }
    case WM_DRAWITEM:
        return DrawSelectorButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_KEYDOWN:
    case WM_KEYUP:
        if (g_appState.frameEditorWindow) SendMessageA(g_appState.frameEditorWindow, message, wParam, lParam);
        return 0;
    case WM_COMMAND:
        DispatchCommand(window, LOWORD(wParam));
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            PostMessageA(window, WM_COMMAND, IDM_QUIT, 0);
            return 0;
        }
        if (LOWORD(wParam) == IDM_RUN) {
            PostMessageA(window, WM_COMMAND, IDM_RUN, 0);
            return 0;
        }
        break;
    case WM_INITMENU:
        if (reinterpret_cast<HMENU>(wParam) == g_appState.mainMenu) UpdateMenuStates();
        return 0;
    case WM_MENUSELECT:
        OnMenuSelect(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_ENTERIDLE:
        if (wParam == MSGF_MENU && (GetKeyState(VK_F1) & 0x8000)) {
            g_appState.helpMode = 1;
            PostMessageA(window, WM_KEYDOWN, VK_RETURN, 0);
        }
        return 0;
    case WM_LBUTTONDOWN:
        g_appState.clickOrigin = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        g_appState.framePickMode = 0;
        return 0;
    case WM_LBUTTONUP: {
        // A click beside the editing area cancels the running tool.
        const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
        if (abs(x - g_appState.clickOrigin.x) <= CLICK_SLOP && abs(y - g_appState.clickOrigin.y) <= CLICK_SLOP)
            CancelToolOperation();
        return 0;
    }
    case WM_MOUSEWHEEL: {
        if (lParam == 0) return 0;
        POINT p = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        for (HWND target : {g_appState.frameEditorWindow, g_appState.filmWindow}) {
            RECT r;
            if (target && GetWindowRect(target, &r) && PtInRect(&r, p)) {
                SendMessageA(target, WM_MOUSEWHEEL, wParam, 0);
                break;
            }
        }
        return 0;
    }
    case WM_QUERYNEWPALETTE:
        return QueryNewPalette(window, wParam);
    case WM_PALETTECHANGED:
        OnPaletteChanged(reinterpret_cast<HWND>(wParam));
        return 0;
    case AVI_EXPORT_DONE:
        OnVideoExportDone(wParam, lParam);
        return 0;
    case MAINWND_GET_INSTANCE:
        return g_appState.instanceNumber;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
