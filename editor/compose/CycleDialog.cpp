// "Define Cycle": the step list of the current object, edited as a working
// copy in the bottom film strip and handed to the object on OK, on a switch
// of object and before a test run. The commands, the menu bar, the object
// switch and the commit live here; the fields, the conditions, the keyboard
// hook and the layout in the other Cycle*.cpp files.
#include "AppState.h"
#include "ComposeCommon.h"
#include "ComposeDialogs.h"
#include "ComposeResources.h"
#include "CycleDialogState.h"
#include "DocumentModel.h"
#include "FilmStrip.h"
#include "MainWindow.h"
#include "PackedDib.h"
#include "ResultCodes.h"
#include "resource.h"
#include <cstdio>

namespace {

enum MenuPosition { MENU_OBJECT, MENU_COORDINATES, MENU_CONDITIONS, MENU_EXTRAS, MENU_ANIMATION };

constexpr int SPIN_COORDINATE = 999;
constexpr int SPIN_BYTE = 255;
constexpr int SPIN_JUMP = 999;

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }

bool CtrlHeld() { return GetKeyState(VK_CONTROL) < 0; }
bool ShiftHeld() { return GetKeyState(VK_SHIFT) < 0; }

HMENU SubMenu(HWND dialog, MenuPosition position) { return GetSubMenu(GetMenu(dialog), position); }

// ---- the step list in the bottom strip ----------------------------------------------

// Gives the bottom strip a block of steps; the block the strip held (always
// its own copy, never an object's) is freed.
void SetStripSteps(HWND dialog, HGLOBAL block, int count)
{
    HWND strip = StepsStrip(dialog);
    HGLOBAL old = reinterpret_cast<HGLOBAL>(SendMessageA(strip, FILMSTRIP_GET_ITEM, 0, 0));
    FilmStripItems items{block, count};
    SendMessageA(strip, FILMSTRIP_SET_ITEMS, 0, reinterpret_cast<LPARAM>(&items));
    if (old && old != block) GlobalFree(old);
}

// Takes the block out of the strip: the caller owns it.
HGLOBAL TakeStripSteps(HWND dialog, int* count)
{
    HWND strip = StepsStrip(dialog);
    HGLOBAL block = reinterpret_cast<HGLOBAL>(SendMessageA(strip, FILMSTRIP_GET_ITEM, 0, 0));
    *count = static_cast<int>(SendMessageA(strip, FILMSTRIP_GET_COUNT, 0, 0));
    FilmStripItems none{nullptr, 0};
    SendMessageA(strip, FILMSTRIP_SET_ITEMS, 0, reinterpret_cast<LPARAM>(&none));
    return block;
}

void SelectStep(HWND dialog, int step)
{
    const int count = StepCount(dialog);
    if (count > 0) SendMessageA(StepsStrip(dialog), FILMSTRIP_SELECT, step < 0 ? 0 : (step < count ? step : count - 1), 0);
    ShowCycleEntry(dialog);
}

// A copy of the object's steps for the strip, or a zeroed block with room for
// one step per frame when it has none. Null when memory runs out.
HGLOBAL CopyObjectSteps(int object, int* count)
{
    HGLOBAL own = g_document.objectMemoryHandles[object][0];
    *count = UsableStepCount(own, g_document.objectTable[object].stepCount);
    if (*count > 0) return DuplicatePathPoints(own, *count);
    *count = 0;
    return AllocateStepBlock(g_appState.frameCount > 0 ? g_appState.frameCount : 1);
}

// ---- menus ----------------------------------------------------------------------------------

void CheckObjectItem(HWND dialog, int object, bool on)
{
    CheckMenuItem(GetMenu(dialog), IDM_CYCLE_OBJECT_FIRST + object, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void BuildObjectMenu(HWND dialog)
{
    HMENU menu = SubMenu(dialog, MENU_OBJECT);
    DeleteMenu(menu, IDM_CYCLE_OBJECT_DUMMY, MF_BYCOMMAND);
    // Objects cannot change while a test run shows them.
    const UINT state = g_appState.animationWindow ? MF_GRAYED : MF_ENABLED;
    for (int i = 0; i < g_document.objectCount; ++i) {
        char name[sizeof g_document.objectTable[i].name];
        CopyName(name, sizeof name, g_document.objectTable[i].name);
        AppendMenuA(menu, MF_STRING | state, IDM_CYCLE_OBJECT_FIRST + i, name);
        if (g_appState.menuCheckBitmap)
            SetMenuItemBitmaps(menu, IDM_CYCLE_OBJECT_FIRST + i, MF_BYCOMMAND, nullptr, g_appState.menuCheckBitmap);
    }
}

// The condition items in place of "Dummy": mouse, position and key items,
// copied from the pickers.
void BuildConditionsMenu(HWND dialog, const CycleDialogState& state)
{
    HMENU menu = SubMenu(dialog, MENU_CONDITIONS);
    DeleteMenu(menu, IDM_CYCLE_CONDITIONS_DUMMY, MF_BYCOMMAND);
    for (int picker = 0; picker < PICKER_COUNT; ++picker) {
        if (picker > 0) AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        HMENU source = state.pickers[picker];
        const int count = GetMenuItemCount(source);
        for (int i = 0; i < count; ++i) {
            char text[RESOURCE_STRING_LENGTH] = "";
            GetMenuStringA(source, i, text, sizeof text, MF_BYPOSITION);
            AppendMenuA(menu, MF_STRING, GetMenuItemID(source, i), text);
        }
    }
}

void FillOptionsCombo(HWND dialog)
{
    for (UINT id = IDS_CYCLE_OPTION_FIRST; id < IDS_CYCLE_OPTION_FIRST + 4; ++id) {
        char text[RESOURCE_STRING_LENGTH];
        LoadResourceString(id, text);
        SendDlgItemMessageA(dialog, IDC_CYCLE_OPTIONS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    SendDlgItemMessageA(dialog, IDC_CYCLE_OPTIONS, CB_SETCURSEL, 0, 0);
}

// "Disabled at Start" makes sense only when another object can start this
// one: one with a step list that is not waiting itself.
void UpdateDisabledAtStart(HWND dialog, int object)
{
    bool startable = false;
    for (int i = 0; i < g_document.objectCount; ++i)
        if (i != object && g_document.objectMemoryHandles[i][0] && !(g_document.objectTable[i].objectFlags & OBJ_DISABLED))
            startable = true;
    ObjectRecord& record = g_document.objectTable[object];
    if (!startable) record.objectFlags &= ~OBJ_DISABLED;
    HMENU menu = GetMenu(dialog);
    EnableMenuItem(menu, IDM_CYCLE_DISABLED_AT_START, MF_BYCOMMAND | (startable ? MF_ENABLED : MF_GRAYED));
    CheckMenuItem(menu, IDM_CYCLE_DISABLED_AT_START, MF_BYCOMMAND | ((record.objectFlags & OBJ_DISABLED) ? MF_CHECKED : MF_UNCHECKED));
}

void UpdateCaption(HWND dialog, int object)
{
    char caption[RESOURCE_STRING_LENGTH + 40];
    const int length = LoadResourceString(IDS_CYCLE_CAPTION, caption, RESOURCE_STRING_LENGTH);
    CopyName(caption + length, sizeof caption - length, g_document.objectTable[object].name);
    SetWindowTextA(dialog, caption);
}

// Commands of pieces that are not part of the editor yet stay grey.
void GreyMissingCommands(HWND dialog)
{
    HMENU menu = GetMenu(dialog);
    EnableMenuItem(menu, IDM_CYCLE_INSERT_PATH, MF_BYCOMMAND | (DialogBuilt(IDD_ANIMATION_PATH) ? MF_ENABLED : MF_GRAYED));
    const UINT run = g_appState.hooks.showAnimationWindow ? MF_ENABLED : MF_GRAYED;
    EnableMenuItem(menu, IDM_CYCLE_START_RUN, MF_BYCOMMAND | run);
    EnableMenuItem(menu, IDM_CYCLE_CONTROL_CENTRE, MF_BYCOMMAND | run);
    EnableWindow(Item(dialog, IDC_CYCLE_SOUND), DialogBuilt(IDD_SELECT_SOUND));
}

bool CommandOffered(HWND dialog, UINT command)
{
    const UINT state = GetMenuState(GetMenu(dialog), command, MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

// ---- commands --------------------------------------------------------------------------------

// Add, Insert: conditions, sound, start objects and option only with Ctrl.
void AddOrInsert(HWND dialog, UINT message)
{
    StoreCycleEntry(dialog, message, STORE_SELECTED_FRAME | (CtrlHeld() ? STORE_CONDITIONS : 0));
}

// Add all, Insert all: one entry per frame of the sequence, in frame order.
void AddAllFrames(HWND dialog, bool insert)
{
    const int frames = g_appState.frameCount;
    if (frames <= 0) return;
    ObjectStep entry;
    if (!BuildCycleEntry(dialog, CtrlHeld(), &entry)) return;
    if (StepCount(dialog) + frames > MAX_STEPS) {
        Beep();
        return;
    }
    const int at = SelectedStep(dialog) < 0 ? 0 : SelectedStep(dialog);
    for (int f = 0; f < frames; ++f) {
        entry.frameIndex = static_cast<uint8_t>(f);
        SendMessageA(StepsStrip(dialog), insert ? FILMSTRIP_INSERT_ITEM : FILMSTRIP_APPEND_ITEM, at + f,
                     reinterpret_cast<LPARAM>(&entry));
    }
}

void DeleteAllSteps(HWND dialog)
{
    CycleDialogState* state = CycleState(dialog);
    HGLOBAL block = reinterpret_cast<HGLOBAL>(SendMessageA(StepsStrip(dialog), FILMSTRIP_GET_ITEM, 0, 0));
    FilmStripItems empty{block, 0};
    SendMessageA(StepsStrip(dialog), FILMSTRIP_SET_ITEMS, 0, reinterpret_cast<LPARAM>(&empty));
    state->changedBeside = true;
    ShowCycleEntry(dialog);
}

void ChangeValues(HWND dialog, UINT command)
{
    if (RunDialog(IDD_CHANGE_VALUES, dialog, command) != 1) return;
    CycleState(dialog)->changedBeside = true;
    ShowCycleEntry(dialog);
    InvalidateRect(StepsStrip(dialog), nullptr, FALSE);
    MarkAnimationModified();
}

void InsertPath(HWND dialog)
{
    PathDialogParams params{AllocateStepBlock(1), -1};
    if (!params.block) return;
    const INT_PTR nodes = RunDialog(IDD_ANIMATION_PATH, dialog, reinterpret_cast<LPARAM>(&params));
    if (nodes > 0 && StepCount(dialog) + nodes > MAX_STEPS) {
        Beep();
    } else if (nodes >= 0) {
        FilmStripInsert insert{params.block, static_cast<int32_t>(nodes)};
        const int at = SelectedStep(dialog) < 0 ? 0 : SelectedStep(dialog);
        SendMessageA(StepsStrip(dialog), FILMSTRIP_INSERT_ITEMS, at, reinterpret_cast<LPARAM>(&insert));
        ShowCycleEntry(dialog);
    }
    if (params.block) GlobalFree(params.block);
}

void ChooseSound(HWND dialog)
{
    if (SelectedStep(dialog) < 0) return;
    ObjectStep entry = SelectedEntry(dialog);
    if (RunDialog(IDD_SELECT_SOUND, dialog, reinterpret_cast<LPARAM>(&entry)) != 1) return;
    SendMessageA(StepsStrip(dialog), FILMSTRIP_SET_ITEM, SelectedStep(dialog), reinterpret_cast<LPARAM>(&entry));
}

void SwitchObject(HWND dialog, int object)
{
    CycleDialogState* state = CycleState(dialog);
    const int previous = state->object;
    if (object == previous || object < 0 || object >= g_document.objectCount) return;
    StoreCycleEntry(dialog, FILMSTRIP_SET_ITEM, STORE_CONDITIONS);
    // When the other object's sequence cannot be loaded, the dialog stays on
    // its own object (SetCurrentObject may have made the other one current).
    if (!SetCurrentObject(dialog, SELECT_OBJECT | object)) {
        FilmStripItems frames{nullptr, g_appState.frameCount};
        SendMessageA(FramesStrip(dialog), FILMSTRIP_SET_ITEMS, 0, reinterpret_cast<LPARAM>(&frames));
        return;
    }
    CommitCycleSteps(dialog, previous);
    CheckObjectItem(dialog, previous, false);
    if (!LoadCycleDialog(dialog, object, 0)) {
        ShowErrorMessage(RESULT_OUT_OF_MEMORY);
        EndDialog(dialog, 0);
    }
}

void StartTestRun(HWND dialog, bool withControlCenter)
{
    CycleDialogState* state = CycleState(dialog);
    if (!g_appState.hooks.showAnimationWindow) return;
    RemoveCycleKeyboardHook();
    StoreCycleEntry(dialog, FILMSTRIP_SET_ITEM, STORE_CONDITIONS);
    const int step = SelectedStep(dialog);
    CommitCycleSteps(dialog, state->object);
    // The dialog goes on with a copy of what the object now holds.
    int count;
    HGLOBAL copy = CopyObjectSteps(state->object, &count);
    SetStripSteps(dialog, copy, copy ? count : 0);
    SelectStep(dialog, step);
    state->runStartedHere = true;
    g_appState.hooks.showAnimationWindow(g_appState.mainWindow, withControlCenter ? 1 : 0);
}

// A test run this dialog started has ended: the object's steps may have
// changed meanwhile, so the working copy is made again.
void ReloadAfterRun(HWND dialog)
{
    CycleDialogState* state = CycleState(dialog);
    if (!state->runStartedHere) return;
    state->runStartedHere = false;
    const int step = SelectedStep(dialog);
    int count;
    HGLOBAL copy = CopyObjectSteps(state->object, &count);
    if (copy) {
        SetStripSteps(dialog, copy, count);
        SelectStep(dialog, step);
    }
    InstallCycleKeyboardHook(dialog);
}

void CancelCycle(HWND dialog)
{
    int count;
    if (HGLOBAL block = TakeStripSteps(dialog, &count)) GlobalFree(block);
    EndDialog(dialog, 0);
}

void FinishCycle(HWND dialog)
{
    StoreCycleEntry(dialog, FILMSTRIP_SET_ITEM, STORE_CONDITIONS);
    CommitCycleSteps(dialog, CycleState(dialog)->object);
    EndDialog(dialog, 1);
}

// Enter: from the frames strip it adds (Shift) or inserts (Ctrl); from a
// field of the step it moves on to the next step, storing this one.
void EnterPressed(HWND dialog)
{
    HWND focus = GetFocus();
    if (focus == FramesStrip(dialog)) {
        if (ShiftHeld()) AddOrInsert(dialog, FILMSTRIP_APPEND_ITEM);
        else if (CtrlHeld()) AddOrInsert(dialog, FILMSTRIP_INSERT_ITEM);
        return;
    }
    for (int id : {IDC_CYCLE_X, IDC_CYCLE_Y, IDC_CYCLE_DELAY, IDC_CYCLE_COUNTER, IDC_CYCLE_JUMP})
        if (focus == Item(dialog, id)) SendMessageA(StepsStrip(dialog), WM_KEYDOWN, VK_RIGHT, 0);
}

void FramesStripNotice(HWND dialog, WORD code, LPARAM value)
{
    if (code == FILMSTRIP_NOTIFY_MODIFIER_CLICK) {
        const bool append = ShiftHeld();
        StoreCycleEntryFrame(dialog, append ? FILMSTRIP_APPEND_ITEM : FILMSTRIP_INSERT_ITEM, 0, static_cast<int>(value));
    } else if (code == FILMSTRIP_NOTIFY_DBLCLK) {
        StoreCycleEntry(dialog, FILMSTRIP_SET_ITEM, STORE_CONDITIONS | STORE_SELECTED_FRAME);
    }
}

void StepsStripNotice(HWND dialog, WORD code, LPARAM value)
{
    switch (code) {
    case FILMSTRIP_NOTIFY_SELECTING: StoreCycleEntry(dialog, FILMSTRIP_SET_ITEM, STORE_CONDITIONS); break;
    case FILMSTRIP_NOTIFY_SELECTED:
    case FILMSTRIP_NOTIFY_ITEM_CHANGED: ShowCycleEntry(dialog); break;
    case FILMSTRIP_NOTIFY_MODIFIER_CLICK:
        if (IsWindowEnabled(Item(dialog, IDC_CYCLE_JUMP))) SetDlgItemInt(dialog, IDC_CYCLE_JUMP, static_cast<UINT>(value + 1), FALSE);
        break;
    }
}

void DrawStatusLine(HWND dialog, LPARAM status)
{
    CycleDialogState* state = CycleState(dialog);
    HWND group = Item(dialog, IDC_CYCLE_STEP_GROUP);
    char text[RESOURCE_STRING_LENGTH + 24];
    snprintf(text, sizeof text, state->statusFormat, LOWORD(status), HIWORD(status));
    HDC dc = GetDC(group);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    TextOutA(dc, 10, 2, text, lstrlenA(text));
    SelectObject(dc, oldFont);
    ReleaseDC(group, dc);
}

void PostStatus(HWND dialog)
{
    const ObjectStep entry = SelectedEntry(dialog);
    PostMessageA(dialog, CYCLEDLG_SHOW_STATUS, 0, MAKELPARAM(SelectedStep(dialog) + 1, entry.frameIndex + 1));
}

void DrawSoundButton(HWND dialog, const DRAWITEMSTRUCT* item)
{
    char text[RESOURCE_STRING_LENGTH];
    SoundButtonText(CycleState(dialog)->working.soundIndex, text, sizeof text);
    DrawOwnerButton(item, text);
}

// The one cycle dialog that can be open: a test run disables it, not the
// editor behind it, and tells it when the run is over.
HWND g_openCycleDialog;

bool InitCycleDialog(HWND dialog, int step)
{
    g_openCycleDialog = dialog;
    auto* state = new CycleDialogState;
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    InitCycleLayout(dialog);
    PlaceCycleDialog(dialog);
    state->pickers[PICK_MOUSE] = BuildConditionMenu(IDS_MOUSE_CONDITION_FIRST, IDM_CYCLE_MOUSE_FIRST);
    state->pickers[PICK_POSITION] = BuildConditionMenu(IDS_POSITION_CONDITION_FIRST, IDM_CYCLE_POSITION_FIRST);
    state->pickers[PICK_KEY] = BuildConditionMenu(IDS_KEY_CONDITION_FIRST, IDM_CYCLE_KEY_PRESSED);
    BuildObjectMenu(dialog);
    BuildConditionsMenu(dialog, *state);
    FillKeyCombo(dialog, IDC_CYCLE_KEY_COMBO);
    FillOptionsCombo(dialog);
    FillObjectList(dialog, IDC_CYCLE_START_LIST, LB_ADDSTRING);
    LoadResourceString(IDS_CYCLE_STATUS, state->statusFormat, sizeof state->statusFormat);
    GreyMissingCommands(dialog);
    DrawMenuBar(dialog);
    const int object = g_document.currentObject;
    if (object < 0 || object >= g_document.objectCount || !LoadCycleDialog(dialog, object, step)) return false;
    InstallCycleKeyboardHook(dialog);
    return true;
}

void DestroyCycleDialog(HWND dialog)
{
    if (g_openCycleDialog == dialog) g_openCycleDialog = nullptr;
    RemoveCycleKeyboardHook();
    CycleDialogState* state = CycleState(dialog);
    if (!state) return;
    for (HMENU& picker : state->pickers) {
        if (picker) DestroyMenu(picker);
        picker = nullptr;
    }
    // A dialog destroyed without OK or Cancel leaves no working copy behind.
    int count;
    if (HGLOBAL block = TakeStripSteps(dialog, &count)) GlobalFree(block);
}

INT_PTR OnCommand(HWND dialog, WORD id, WORD code, LPARAM lParam)
{
    switch (id) {
    case IDC_CYCLE_FRAMES: FramesStripNotice(dialog, code, lParam); return TRUE;
    case IDC_CYCLE_STEPS: StepsStripNotice(dialog, code, lParam); return TRUE;
    case IDC_CYCLE_START_LIST:
        if (code == LBN_SELCHANGE) UpdateStartObjectsLabel(dialog);
        return TRUE;
    case IDC_CYCLE_COUNTER_CHECK:
    case IDC_CYCLE_MOUSE_CHECK:
    case IDC_CYCLE_POSITION_CHECK:
    case IDC_CYCLE_KEY_CHECK:
        if (code == BN_CLICKED) ClickConditionBox(dialog, id);
        return TRUE;
    case IDC_CYCLE_MOUSE_BUTTON: ShowConditionMenu(dialog, id, CycleState(dialog)->pickers[PICK_MOUSE]); return TRUE;
    case IDC_CYCLE_POSITION_BUTTON: ShowConditionMenu(dialog, id, CycleState(dialog)->pickers[PICK_POSITION]); return TRUE;
    case IDC_CYCLE_KEY_BUTTON: ShowConditionMenu(dialog, id, CycleState(dialog)->pickers[PICK_KEY]); return TRUE;
    case IDC_CYCLE_SOUND: ChooseSound(dialog); return TRUE;
    case IDC_CYCLE_ADD: AddOrInsert(dialog, FILMSTRIP_APPEND_ITEM); return TRUE;
    case IDC_CYCLE_INSERT: AddOrInsert(dialog, FILMSTRIP_INSERT_ITEM); return TRUE;
    case IDC_CYCLE_REPLACE: StoreCycleEntry(dialog, FILMSTRIP_SET_ITEM, STORE_CONDITIONS | STORE_SELECTED_FRAME); return TRUE;
    case IDC_CYCLE_DELETE: SendMessageA(StepsStrip(dialog), FILMSTRIP_DELETE_ITEM, SelectedStep(dialog), 0); return TRUE;
    case IDC_CYCLE_OK: FinishCycle(dialog); return TRUE;
    case IDOK: EnterPressed(dialog); return TRUE;
    case IDCANCEL: CancelCycle(dialog); return TRUE;
    case IDM_CYCLE_ADD_ALL: AddAllFrames(dialog, false); return TRUE;
    case IDM_CYCLE_INSERT_ALL: AddAllFrames(dialog, true); return TRUE;
    case IDM_CYCLE_DELETE_ALL: DeleteAllSteps(dialog); return TRUE;
    case IDM_CYCLE_DISABLED_AT_START:
        if (CommandOffered(dialog, id)) {
            const bool on = GetMenuState(GetMenu(dialog), id, MF_BYCOMMAND) & MF_CHECKED;
            CheckMenuItem(GetMenu(dialog), id, MF_BYCOMMAND | (on ? MF_UNCHECKED : MF_CHECKED));
        }
        return TRUE;
    case IDM_CYCLE_CHANGE_X:
    case IDM_CYCLE_CHANGE_Y:
    case IDM_CYCLE_CHANGE_DELAY:
    case IDM_CYCLE_CHANGE_FLAGS: ChangeValues(dialog, id); return TRUE;
    case IDM_CYCLE_INSERT_PATH:
        if (CommandOffered(dialog, id)) InsertPath(dialog);
        return TRUE;
    case IDM_CYCLE_START_RUN:
    case IDM_CYCLE_CONTROL_CENTRE:
        if (CommandOffered(dialog, id)) StartTestRun(dialog, id == IDM_CYCLE_CONTROL_CENTRE);
        return TRUE;
    case IDM_CYCLE_HELP: ShowHelp(dialog, HELP_CONTEXT, IDM_CYCLE_HELP); return TRUE;
    default:
        if (id >= IDM_CYCLE_OBJECT_FIRST && id < IDM_CYCLE_OBJECT_FIRST + MAX_EDITOR_OBJECTS) {
            if (!g_appState.animationWindow) SwitchObject(dialog, id - IDM_CYCLE_OBJECT_FIRST);
            return TRUE;
        }
        if (id == IDM_CYCLE_CONDITION_NONE || id == IDM_CYCLE_CONDITION_COUNTER ||
            (id >= IDM_CYCLE_MOUSE_FIRST && id <= IDM_CYCLE_KEY_NOT_PRESSED)) {
            ChooseConditionItem(dialog, id);
            return TRUE;
        }
        return FALSE;
    }
}

void OnSpin(HWND dialog, HWND bar, int code)
{
    switch (GetDlgCtrlID(bar)) {
    case IDC_CYCLE_X_SPIN: SpinDlgItemInt(dialog, IDC_CYCLE_X, code, -SPIN_COORDINATE, SPIN_COORDINATE); break;
    case IDC_CYCLE_Y_SPIN: SpinDlgItemInt(dialog, IDC_CYCLE_Y, code, -SPIN_COORDINATE, SPIN_COORDINATE); break;
    case IDC_CYCLE_DELAY_SPIN: SpinDlgItemInt(dialog, IDC_CYCLE_DELAY, code, 0, SPIN_BYTE); break;
    case IDC_CYCLE_COUNTER_SPIN:
        if (IsWindowEnabled(Item(dialog, IDC_CYCLE_COUNTER))) SpinDlgItemInt(dialog, IDC_CYCLE_COUNTER, code, 0, SPIN_BYTE);
        break;
    case IDC_CYCLE_JUMP_SPIN:
        if (IsWindowEnabled(Item(dialog, IDC_CYCLE_JUMP))) SpinDlgItemInt(dialog, IDC_CYCLE_JUMP, code, 1, SPIN_JUMP);
        break;
    }
}

}  // namespace

CycleDialogState* CycleState(HWND dialog) { return reinterpret_cast<CycleDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

bool LoadCycleDialog(HWND dialog, int object, int step)
{
    CycleDialogState* state = CycleState(dialog);
    if (!state || object < 0 || object >= g_document.objectCount) return false;
    int count;
    HGLOBAL copy = CopyObjectSteps(object, &count);
    if (!copy) return false;
    state->object = object;
    state->changedBeside = false;
    state->runStartedHere = false;
    FilmStripItems frames{nullptr, g_appState.frameCount};
    SendMessageA(FramesStrip(dialog), FILMSTRIP_SET_ITEMS, 0, reinterpret_cast<LPARAM>(&frames));
    SendMessageA(FramesStrip(dialog), FILMSTRIP_SELECT, 0, 0);
    SetStripSteps(dialog, copy, count);
    SelectStep(dialog, step);
    CheckObjectItem(dialog, object, true);
    UpdateDisabledAtStart(dialog, object);
    UpdateCaption(dialog, object);
    return true;
}

void CommitCycleSteps(HWND dialog, int object)
{
    CycleDialogState* state = CycleState(dialog);
    if (!state || object < 0 || object >= g_document.objectCount) return;
    const bool stripChanged = SendMessageA(StepsStrip(dialog), FILMSTRIP_GET_MODIFIED, 0, 0) != 0;
    int count;
    HGLOBAL block = TakeStripSteps(dialog, &count);
    if (count <= 0 && block) block = GlobalFree(block);
    if (!block) count = 0;

    ObjectRecord& record = g_document.objectTable[object];
    HGLOBAL& own = g_document.objectMemoryHandles[object][0];
    const bool hadSteps = own && record.stepCount > 0;
    const int oldCount = record.stepCount;
    const uint8_t oldFlags = record.objectFlags;
    // The block now belongs to the object alone: the strip no longer holds it.
    if (own && own != block) GlobalFree(own);
    own = block;
    record.stepCount = count;
    int stepList;
    if (count == 0) stepList = 0;
    else if (!hadSteps) stepList = OBJ_STEP_LIST;
    else stepList = ChooseCycleOrSequence(dialog, object, 1) ? OBJ_STEP_LIST : 0;
    record.objectFlags = static_cast<uint8_t>((record.objectFlags & ~OBJ_STEP_LIST) | stepList);
    const bool disabled = GetMenuState(GetMenu(dialog), IDM_CYCLE_DISABLED_AT_START, MF_BYCOMMAND) & MF_CHECKED;
    record.objectFlags = static_cast<uint8_t>(disabled ? (record.objectFlags | OBJ_DISABLED) : (record.objectFlags & ~OBJ_DISABLED));
    if (stripChanged || state->changedBeside || count != oldCount || record.objectFlags != oldFlags) {
        // The list is no longer a pure path.
        record.objectFlags &= ~OBJ_PATH;
        MarkAnimationModified();
    }
    state->changedBeside = false;
}

INT_PTR CALLBACK CycleDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        if (!InitCycleDialog(dialog, static_cast<int>(lParam))) {
            ShowErrorMessage(RESULT_OUT_OF_MEMORY);
            EndDialog(dialog, 0);
        }
        return TRUE;
    case WM_COMMAND: return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam), lParam);
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (lParam) OnSpin(dialog, reinterpret_cast<HWND>(lParam), LOWORD(wParam));
        return TRUE;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (!CycleState(dialog)) return FALSE;
        if (item->CtlID == IDC_CYCLE_SOUND) DrawSoundButton(dialog, item);
        else DrawPickerButton(dialog, item);
        return TRUE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        // The group box of the step is painting: the status line goes over it again.
        if (reinterpret_cast<HWND>(lParam) == Item(dialog, IDC_CYCLE_STEP_GROUP) && CycleState(dialog)) PostStatus(dialog);
        return 0;
    case CYCLEDLG_SHOW_STATUS:
        if (CycleState(dialog) && !IsIconic(dialog)) DrawStatusLine(dialog, lParam);
        return TRUE;
    case CYCLEDLG_FORWARD_KEY: {
        HWND top = FramesStrip(dialog);
        SendMessageA(GetFocus() == top ? top : StepsStrip(dialog), WM_KEYDOWN, wParam, 0);
        return TRUE;
    }
    case CYCLEDLG_RELOAD:
        if (CycleState(dialog)) ReloadAfterRun(dialog);
        return TRUE;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) LayoutCycleDialog(dialog, LOWORD(lParam), HIWORD(lParam));
        // Sizes before the dialog is set up are the template's, not the user's.
        if (CycleState(dialog)) RememberCycleDialogSize(dialog, static_cast<UINT>(wParam));
        return TRUE;
    case WM_GETMINMAXINFO:
        if (CycleState(dialog)) LimitCycleDialogSize(dialog, reinterpret_cast<MINMAXINFO*>(lParam));
        return TRUE;
    case WM_SYSCOMMAND:
        // The dialog and the editor are minimised and restored together.
        if ((wParam & 0xFFF0) == SC_MINIMIZE && g_appState.mainWindow) ShowWindow(g_appState.mainWindow, SW_MINIMIZE);
        if ((wParam & 0xFFF0) == SC_RESTORE && g_appState.mainWindow && IsIconic(g_appState.mainWindow))
            ShowWindow(g_appState.mainWindow, SW_RESTORE);
        return FALSE;
    case WM_PAINT:
        if (!IsIconic(dialog)) return FALSE;
        PaintMinimisedCycleDialog(dialog);
        return TRUE;
    case DLG_PAINT_ICON:
        if (IsIconic(dialog)) InvalidateRect(dialog, nullptr, TRUE);
        return TRUE;
    case WM_DESTROY:
        DestroyCycleDialog(dialog);
        return FALSE;
    case WM_NCDESTROY:
        delete CycleState(dialog);
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        return FALSE;
    default:
        return DefaultCtlColor(message);
    }
}

HWND OpenCycleDialog() { return g_openCycleDialog; }
