// The condition controls of "Define Cycle": the pickers (popup menus behind
// owner-drawn buttons), the key combo, the check boxes and menu items that
// edit the working entry's condition, the sound button's text and the
// start-objects label.
#include "ComposeCommon.h"
#include "ComposeDialogs.h"
#include "ComposeResources.h"
#include "CycleDialogState.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint8_t CONDITION_COUNTER = 0x01;
constexpr uint8_t CONDITION_MOUSE = 0x0E;     // bits 1-3
constexpr uint8_t CONDITION_POSITION = 0x70;  // bits 4-6
constexpr uint8_t CONDITION_KEY = 0x80;
constexpr int MOUSE_SHIFT = 1;
constexpr int POSITION_SHIFT = 4;
constexpr int KEY_NOT_PRESSED_CHOICE = 2;  // the second item of the key picker
constexpr int MAX_JUMP_FIELD = MAX_STEPS;
constexpr int SOUND_NAME_CHARS = 15;

const COLORREF TEXT_GREY = RGB(128, 128, 128);

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void Check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

void EmptyAndDisable(HWND dialog, int id)
{
    SetDlgItemTextA(dialog, id, "");
    EnableWindow(Item(dialog, id), FALSE);
}

int PickerButton(ConditionPicker picker)
{
    switch (picker) {
    case PICK_MOUSE: return IDC_CYCLE_MOUSE_BUTTON;
    case PICK_POSITION: return IDC_CYCLE_POSITION_BUTTON;
    default: return IDC_CYCLE_KEY_BUTTON;
    }
}

void RepaintPicker(HWND dialog, ConditionPicker picker) { InvalidateRect(Item(dialog, PickerButton(picker)), nullptr, FALSE); }

void SetBits(uint8_t* value, uint8_t mask, int bits) { *value = static_cast<uint8_t>((*value & ~mask) | (bits & mask)); }

// The key condition's choice: 1 "Key pressed", 2 "Key not pressed".
void SetKeyCondition(HWND dialog, CycleDialogState* state, bool on)
{
    ObjectStep& w = state->working;
    SetBits(&w.stepFlags, STEP_NEGATE_KEY, on && state->lastChoice[PICK_KEY] == KEY_NOT_PRESSED_CHOICE ? STEP_NEGATE_KEY : 0);
    SetBits(&w.condition, CONDITION_KEY | CONDITION_COUNTER, on ? CONDITION_KEY : 0);
    EmptyAndDisable(dialog, IDC_CYCLE_COUNTER);
    Check(dialog, IDC_CYCLE_COUNTER_CHECK, false);
    RepaintPicker(dialog, PICK_KEY);
}

void SetCounterCondition(HWND dialog, CycleDialogState* state, bool on)
{
    ObjectStep& w = state->working;
    // The counter's limit and the key's code share conditionParam.
    if (w.condition & CONDITION_KEY) w.conditionParam = 0;
    if (on) {
        SetDlgItemInt(dialog, IDC_CYCLE_COUNTER, w.conditionParam, FALSE);
        EnableWindow(Item(dialog, IDC_CYCLE_COUNTER), TRUE);
    } else {
        EmptyAndDisable(dialog, IDC_CYCLE_COUNTER);
    }
    Check(dialog, IDC_CYCLE_KEY_CHECK, false);
    SetBits(&w.condition, CONDITION_KEY | CONDITION_COUNTER, on ? CONDITION_COUNTER : 0);
}

// The key picker's choice for the working entry: 0 without a key condition.
int KeyChoice(const ObjectStep& w) { return (w.condition & CONDITION_KEY) ? 1 + (w.stepFlags & STEP_NEGATE_KEY) : 0; }

}  // namespace

HMENU BuildConditionMenu(UINT firstString, UINT firstId)
{
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    for (UINT id = firstString;; ++id) {
        char text[RESOURCE_STRING_LENGTH];
        if (!LoadResourceString(id, text)) break;
        AppendMenuA(menu, MF_STRING, firstId + (id - firstString), text);
    }
    return menu;
}

void DrawConditionButton(const DRAWITEMSTRUCT* item, int choice, HMENU menu, int* lastChoice)
{
    if (item->itemAction != ODA_DRAWENTIRE && item->itemAction != ODA_SELECT) return;
    // A code the picker does not list (from a damaged file) shows no text and
    // is not remembered.
    if (choice > 0 && choice <= GetMenuItemCount(menu)) *lastChoice = choice;
    const int shown = choice > 0 ? choice : *lastChoice;
    char text[RESOURCE_STRING_LENGTH] = "";
    GetMenuStringA(menu, shown - 1, text, sizeof text, MF_BYPOSITION);

    HDC dc = item->hDC;
    RECT r = item->rcItem;
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    const bool pressed = item->itemState & ODS_SELECTED;
    HPEN light = static_cast<HPEN>(GetStockObject(WHITE_PEN));
    HPEN grey = CreatePen(PS_SOLID, 1, TEXT_GREY);
    HGDIOBJ oldPen = SelectObject(dc, pressed ? grey : light);
    MoveToEx(dc, r.left, r.bottom - 1, nullptr);
    LineTo(dc, r.left, r.top);
    LineTo(dc, r.right - 1, r.top);
    SelectObject(dc, pressed ? light : grey);
    LineTo(dc, r.right - 1, r.bottom - 1);
    LineTo(dc, r.left, r.bottom - 1);
    SelectObject(dc, oldPen);
    DeleteObject(grey);

    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(ANSI_VAR_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, (item->itemState & ODS_DISABLED) ? TEXT_GREY : RGB(0, 0, 0));
    RECT textRect = {r.left + (pressed ? 3 : 2), r.top + (pressed ? 2 : 1), r.right - 2, r.bottom};
    DrawTextA(dc, text, -1, &textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
}

void ShowConditionMenu(HWND dialog, int button, HMENU menu)
{
    RECT r;
    if (!GetWindowRect(Item(dialog, button), &r)) return;
    TrackPopupMenu(menu, TPM_LEFTBUTTON, r.left, r.top, 0, dialog, nullptr);
}

void FillKeyCombo(HWND dialog, int combo)
{
    HWND box = Item(dialog, combo);
    SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_VAR_FONT)), FALSE);
    auto add = [box](const char* name, unsigned key) {
        const LRESULT index = SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        if (index >= 0) SendMessageA(box, CB_SETITEMDATA, index, key);
    };
    for (UINT id = IDS_KEY_NAME_FIRST; id <= IDS_KEY_NAME_LAST; ++id) {
        char text[RESOURCE_STRING_LENGTH];
        if (!LoadResourceString(id, text)) continue;
        const char* separator = strchr(text, ';');
        if (!separator) continue;
        const unsigned long key = strtoul(text, nullptr, 16);
        if (key) add(separator + 1, static_cast<unsigned>(key));
    }
    for (char c = '0'; c <= '9'; ++c) {
        const char name[2] = {c, '\0'};
        add(name, static_cast<unsigned char>(c));
    }
    for (char c = 'A'; c <= 'Z'; ++c) {
        const char name[2] = {c, '\0'};
        add(name, static_cast<unsigned char>(c));
    }
    SendMessageA(box, CB_SETCURSEL, 0, 0);
}

void SelectKeyInCombo(HWND dialog, int combo, int key)
{
    HWND box = Item(dialog, combo);
    const LRESULT count = SendMessageA(box, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
        if (static_cast<WORD>(SendMessageA(box, CB_GETITEMDATA, i, 0)) == static_cast<WORD>(key)) {
            SendMessageA(box, CB_SETCURSEL, i, 0);
            return;
        }
    SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

void ShowJumpField(HWND dialog)
{
    CycleDialogState* state = CycleState(dialog);
    if (!state) return;
    // A target typed while the field was open stays.
    int typed;
    if (IsWindowEnabled(Item(dialog, IDC_CYCLE_JUMP)) &&
        GetDlgItemIntInRange(dialog, IDC_CYCLE_JUMP, &typed, 1, MAX_JUMP_FIELD, 0, FALSE))
        state->working.jumpTarget = typed - 1;
    SetDlgItemInt(dialog, IDC_CYCLE_JUMP, static_cast<UINT>(state->working.jumpTarget + 1), TRUE);
    EnableWindow(Item(dialog, IDC_CYCLE_JUMP), state->working.condition != 0);
}

void ClickConditionBox(HWND dialog, int box)
{
    CycleDialogState* state = CycleState(dialog);
    if (!state) return;
    ObjectStep& w = state->working;
    const bool on = Checked(dialog, box);
    switch (box) {
    case IDC_CYCLE_COUNTER_CHECK: SetCounterCondition(dialog, state, on); break;
    case IDC_CYCLE_MOUSE_CHECK:
        SetBits(&w.condition, CONDITION_MOUSE, on ? state->lastChoice[PICK_MOUSE] << MOUSE_SHIFT : 0);
        RepaintPicker(dialog, PICK_MOUSE);
        break;
    case IDC_CYCLE_POSITION_CHECK:
        SetBits(&w.condition, CONDITION_POSITION, on ? state->lastChoice[PICK_POSITION] << POSITION_SHIFT : 0);
        RepaintPicker(dialog, PICK_POSITION);
        break;
    case IDC_CYCLE_KEY_CHECK: SetKeyCondition(dialog, state, on); break;
    default: return;
    }
    ShowJumpField(dialog);
}

void ChooseConditionItem(HWND dialog, UINT command)
{
    CycleDialogState* state = CycleState(dialog);
    if (!state) return;
    ObjectStep& w = state->working;
    if (command == IDM_CYCLE_CONDITION_NONE) {
        w.condition = 0;
        for (int box = IDC_CYCLE_COUNTER_CHECK; box <= IDC_CYCLE_KEY_CHECK; ++box) Check(dialog, box, false);
        EmptyAndDisable(dialog, IDC_CYCLE_COUNTER);
        EmptyAndDisable(dialog, IDC_CYCLE_JUMP);
        ShowConditionControls(dialog);
        return;
    }
    if (command == IDM_CYCLE_CONDITION_COUNTER) {
        Check(dialog, IDC_CYCLE_COUNTER_CHECK, true);
        ClickConditionBox(dialog, IDC_CYCLE_COUNTER_CHECK);
        return;
    }
    if (command >= IDM_CYCLE_MOUSE_FIRST && command < IDM_CYCLE_MOUSE_FIRST + 6) {
        const int code = static_cast<int>(command - IDM_CYCLE_MOUSE_FIRST) + 1;
        SetBits(&w.condition, CONDITION_MOUSE, code << MOUSE_SHIFT);
        state->lastChoice[PICK_MOUSE] = code;
        RepaintPicker(dialog, PICK_MOUSE);
        Check(dialog, IDC_CYCLE_MOUSE_CHECK, true);
    } else if (command >= IDM_CYCLE_POSITION_FIRST && command < IDM_CYCLE_POSITION_FIRST + 6) {
        const int code = static_cast<int>(command - IDM_CYCLE_POSITION_FIRST) + 1;
        SetBits(&w.condition, CONDITION_POSITION, code << POSITION_SHIFT);
        state->lastChoice[PICK_POSITION] = code;
        RepaintPicker(dialog, PICK_POSITION);
        Check(dialog, IDC_CYCLE_POSITION_CHECK, true);
    } else if (command == IDM_CYCLE_KEY_PRESSED || command == IDM_CYCLE_KEY_NOT_PRESSED) {
        state->lastChoice[PICK_KEY] = command == IDM_CYCLE_KEY_NOT_PRESSED ? KEY_NOT_PRESSED_CHOICE : 1;
        Check(dialog, IDC_CYCLE_KEY_CHECK, true);
        SetKeyCondition(dialog, state, true);
    } else {
        return;
    }
    ShowJumpField(dialog);
}

void ShowConditionControls(HWND dialog)
{
    for (int picker = 0; picker < PICKER_COUNT; ++picker) RepaintPicker(dialog, static_cast<ConditionPicker>(picker));
}

void DrawPickerButton(HWND dialog, const DRAWITEMSTRUCT* item)
{
    CycleDialogState* state = CycleState(dialog);
    if (!state) return;
    const ObjectStep& w = state->working;
    switch (item->CtlID) {
    case IDC_CYCLE_MOUSE_BUTTON:
        DrawConditionButton(item, (w.condition & CONDITION_MOUSE) >> MOUSE_SHIFT, state->pickers[PICK_MOUSE], &state->lastChoice[PICK_MOUSE]);
        break;
    case IDC_CYCLE_POSITION_BUTTON:
        DrawConditionButton(item, (w.condition & CONDITION_POSITION) >> POSITION_SHIFT, state->pickers[PICK_POSITION],
                            &state->lastChoice[PICK_POSITION]);
        break;
    case IDC_CYCLE_KEY_BUTTON:
        DrawConditionButton(item, KeyChoice(w), state->pickers[PICK_KEY], &state->lastChoice[PICK_KEY]);
        break;
    }
}

void SoundButtonText(int soundIndex, char* text, int room)
{
    if (soundIndex == 0) {
        LoadResourceString(IDS_NO_SOUND, text, room);
    } else if (soundIndex > g_document.soundCount) {
        LoadResourceString(IDS_SOUND_OFF, text, room);
    } else {
        char name[STORED_NAME_CHARS];
        CopyName(name, sizeof name, g_document.soundTable[soundIndex - 1].name);
        const int keep = room < SOUND_NAME_CHARS + 1 ? room : SOUND_NAME_CHARS + 1;
        CopyName(text, keep, BareFileName(name));
        CharLowerA(text);
    }
}

void UpdateStartObjectsLabel(HWND dialog)
{
    CycleDialogState* state = CycleState(dialog);
    if (!state) return;
    const int count = static_cast<int>(SendDlgItemMessageA(dialog, IDC_CYCLE_START_LIST, LB_GETSELCOUNT, 0, 0));
    if (count == state->startObjectsShown) return;
    state->startObjectsShown = count;
    ShowStartObjectsLabel(dialog, IDC_CYCLE_START_LIST, IDC_CYCLE_START_LABEL);
}
