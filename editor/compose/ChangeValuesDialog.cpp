// "Change X Value", "Change Y Value", "Change Delay" and "Change Flags": one
// value set or altered over a range of the cycle dialog's steps, and the
// arithmetic of it.
#include "ComposeDialogs.h"
#include "ComposeResources.h"
#include "DialogUtilities.h"
#include "FilmStrip.h"
#include "PackedDib.h"
#include <algorithm>

namespace {

constexpr int COORDINATE_LIMIT = 2048;    // what a step's X and Y field takes
constexpr int COORDINATE_VALUE = 1999;    // what this dialog takes for X and Y
constexpr int DELAY_SET_LIMIT = 255;
constexpr int MAX_DELAY = 255;

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void Show(HWND dialog, int id, bool shown) { ShowWindow(Item(dialog, id), shown ? SW_SHOW : SW_HIDE); }

ValueKind KindOf(HWND dialog) { return static_cast<ValueKind>(GetWindowLongPtrA(dialog, DWLP_USER)); }

// The cycle dialog's step strip: the owner of this dialog holds it.
HWND OwnerSteps(HWND dialog) { return GetDlgItem(GetParent(dialog), IDC_CYCLE_STEPS); }
int OwnerCount(HWND dialog) { return static_cast<int>(SendMessageA(OwnerSteps(dialog), FILMSTRIP_GET_COUNT, 0, 0)); }
int OwnerSelection(HWND dialog)
{
    const int selection = static_cast<int>(SendMessageA(OwnerSteps(dialog), FILMSTRIP_GET_SELECTION, 0, 0));
    return selection > 0 ? selection : 0;
}

bool Passes(ValueFilter filter, uint8_t flags, uint8_t absoluteBit)
{
    if (filter == FILTER_ABSOLUTE) return flags & absoluteBit;
    if (filter == FILTER_RELATIVE) return !(flags & absoluteBit);
    return true;
}

// A coordinate altered past what a step's field takes would be refused by
// that field at every selection change: it is held in range.
int32_t ChangedCoordinate(int32_t old, const ValueChange& change)
{
    const int64_t value = change.set ? change.value : int64_t{old} + change.value;
    return static_cast<int32_t>(std::clamp<int64_t>(value, -COORDINATE_LIMIT, COORDINATE_LIMIT));
}

void ChangeFlag(uint8_t* flags, int state, uint8_t bit)
{
    if (state == BST_CHECKED) *flags |= bit;
    else if (state == BST_UNCHECKED) *flags &= ~bit;
}

// "Set to" and "alter by" each keep their number in their own field; the
// field of the radio not chosen is empty and disabled.
void ChooseSetOrAlter(HWND dialog, int radio)
{
    const int to = radio == IDC_CHANGE_SET ? IDC_CHANGE_SET_VALUE : IDC_CHANGE_ALTER_VALUE;
    const int from = radio == IDC_CHANGE_SET ? IDC_CHANGE_ALTER_VALUE : IDC_CHANGE_SET_VALUE;
    CheckRadioButton(dialog, IDC_CHANGE_SET, IDC_CHANGE_ALTER, radio);
    if (IsWindowEnabled(Item(dialog, from))) {
        char text[64] = "";
        GetDlgItemTextA(dialog, from, text, sizeof text);
        SetDlgItemTextA(dialog, to, text);
        SetDlgItemTextA(dialog, from, "");
    }
    EnableWindow(Item(dialog, from), FALSE);
    EnableWindow(Item(dialog, to), TRUE);
}

void InitChangeValues(HWND dialog, UINT command)
{
    const ValueKind kind = static_cast<ValueKind>(command - IDM_CYCLE_CHANGE_X);
    SetWindowLongPtrA(dialog, DWLP_USER, kind);
    char caption[RESOURCE_STRING_LENGTH];
    LoadResourceString(IDS_CHANGE_CAPTION_FIRST + kind, caption);
    SetWindowTextA(dialog, caption);

    const bool flags = kind == CHANGE_FLAGS;
    for (int id : {IDC_CHANGE_SET, IDC_CHANGE_ALTER, IDC_CHANGE_SET_VALUE, IDC_CHANGE_ALTER_VALUE}) Show(dialog, id, !flags);
    for (int id : {IDC_CHANGE_FIX_FRAME, IDC_CHANGE_WAIT}) {
        Show(dialog, id, flags);
        CheckDlgButton(dialog, id, BST_INDETERMINATE);
    }
    const bool filtered = kind == CHANGE_X || kind == CHANGE_Y;
    for (int id : {IDC_CHANGE_FILTER_GROUP, IDC_CHANGE_ABSOLUTE, IDC_CHANGE_RELATIVE, IDC_CHANGE_ALL}) Show(dialog, id, filtered);
    CheckRadioButton(dialog, IDC_CHANGE_ABSOLUTE, IDC_CHANGE_ALL, IDC_CHANGE_ALL);
    if (!flags) {
        CheckRadioButton(dialog, IDC_CHANGE_SET, IDC_CHANGE_ALTER, IDC_CHANGE_ALTER);
        EnableWindow(Item(dialog, IDC_CHANGE_SET_VALUE), FALSE);
    }

    const int count = OwnerCount(dialog);
    CheckRadioButton(dialog, IDC_CHANGE_FROM_BEGINNING, IDC_CHANGE_FROM_POSITION, IDC_CHANGE_FROM_CURRENT);
    SetDlgItemInt(dialog, IDC_CHANGE_FROM_VALUE, static_cast<UINT>(count + 1), FALSE);
    CheckRadioButton(dialog, IDC_CHANGE_TO_END, IDC_CHANGE_TO_POSITION, IDC_CHANGE_TO_END);
    SetDlgItemInt(dialog, IDC_CHANGE_TO_VALUE, static_cast<UINT>(count), FALSE);
}

// The range of steps the radios and fields choose: false when a field is refused.
bool ReadRange(HWND dialog, ValueChange* change)
{
    const int count = OwnerCount(dialog);
    const int selection = OwnerSelection(dialog);
    int value;
    if (Checked(dialog, IDC_CHANGE_FROM_BEGINNING)) {
        change->first = 0;
    } else if (Checked(dialog, IDC_CHANGE_FROM_POSITION)) {
        if (!GetDlgItemIntInRange(dialog, IDC_CHANGE_FROM_VALUE, &value, 1, count, 0, FALSE)) return false;
        change->first = value - 1;
    } else {
        change->first = selection;
    }
    if (Checked(dialog, IDC_CHANGE_TO_NUMBER)) {
        if (!GetDlgItemIntInRange(dialog, IDC_CHANGE_NUMBER_VALUE, &value, 1, count - selection, 0, FALSE)) return false;
        change->end = selection + value;
    } else if (Checked(dialog, IDC_CHANGE_TO_POSITION)) {
        if (!GetDlgItemIntInRange(dialog, IDC_CHANGE_TO_VALUE, &value, change->first + 1, count, 0, FALSE)) return false;
        change->end = value;
    } else {
        change->end = count;
    }
    return true;
}

bool ReadValue(HWND dialog, ValueChange* change)
{
    if (change->kind == CHANGE_FLAGS) {
        change->fixFrame = static_cast<int>(IsDlgButtonChecked(dialog, IDC_CHANGE_FIX_FRAME));
        change->waitStarted = static_cast<int>(IsDlgButtonChecked(dialog, IDC_CHANGE_WAIT));
        return true;
    }
    change->set = Checked(dialog, IDC_CHANGE_SET);
    // A delay may be set within -255..255 (a negative one gives 0); altered,
    // any amount the X and Y fields take, the result held within 0..255.
    const int limit = change->kind == CHANGE_DELAY && change->set ? DELAY_SET_LIMIT : COORDINATE_VALUE;
    const int field = change->set ? IDC_CHANGE_SET_VALUE : IDC_CHANGE_ALTER_VALUE;
    if (!GetDlgItemIntInRange(dialog, field, &change->value, -limit, limit, 0, TRUE)) return false;
    if (!change->set && change->value == 0) return false;
    if (change->kind == CHANGE_X || change->kind == CHANGE_Y)
        change->filter = Checked(dialog, IDC_CHANGE_ABSOLUTE) ? FILTER_ABSOLUTE : Checked(dialog, IDC_CHANGE_RELATIVE) ? FILTER_RELATIVE : FILTER_ALL;
    return true;
}

bool ApplyDialog(HWND dialog)
{
    ValueChange change{};
    change.kind = KindOf(dialog);
    change.filter = FILTER_ALL;
    change.fixFrame = change.waitStarted = FLAG_LEAVE;
    if (!ReadValue(dialog, &change) || !ReadRange(dialog, &change)) return false;
    HWND strip = OwnerSteps(dialog);
    HGLOBAL block = reinterpret_cast<HGLOBAL>(SendMessageA(strip, FILMSTRIP_GET_ITEM, 0, 0));
    const int count = OwnerCount(dialog);
    GlobalLockGuard<ObjectStep> steps(block);
    if (steps) ApplyValueChange(steps.get(), std::min<int>(count, static_cast<int>(GlobalSize(block) / sizeof(ObjectStep))), change);
    return true;
}

int RadioOfGroup(int id)
{
    if (id >= IDC_CHANGE_ABSOLUTE && id <= IDC_CHANGE_ALL) return IDC_CHANGE_ABSOLUTE;
    if (id >= IDC_CHANGE_FROM_BEGINNING && id <= IDC_CHANGE_FROM_POSITION) return IDC_CHANGE_FROM_BEGINNING;
    if (id >= IDC_CHANGE_TO_END && id <= IDC_CHANGE_TO_POSITION) return IDC_CHANGE_TO_END;
    return 0;
}

int LastOfGroup(int first)
{
    switch (first) {
    case IDC_CHANGE_ABSOLUTE: return IDC_CHANGE_ALL;
    case IDC_CHANGE_FROM_BEGINNING: return IDC_CHANGE_FROM_POSITION;
    default: return IDC_CHANGE_TO_POSITION;
    }
}

}  // namespace

void ApplyValueChange(ObjectStep* steps, int count, const ValueChange& change)
{
    const int first = std::max(change.first, 0);
    const int end = std::min(change.end, count);
    for (int i = first; i < end; ++i) {
        ObjectStep& step = steps[i];
        switch (change.kind) {
        case CHANGE_X:
            if (Passes(change.filter, step.stepFlags, STEP_X_ABSOLUTE)) step.x = ChangedCoordinate(step.x, change);
            break;
        case CHANGE_Y:
            if (Passes(change.filter, step.stepFlags, STEP_Y_ABSOLUTE)) step.y = ChangedCoordinate(step.y, change);
            break;
        case CHANGE_DELAY: {
            const int64_t value = change.set ? change.value : int64_t{step.waitCount} + change.value;
            step.waitCount = static_cast<uint8_t>(std::clamp<int64_t>(value, 0, MAX_DELAY));
            break;
        }
        case CHANGE_FLAGS:
            ChangeFlag(&step.stepFlags, change.fixFrame, STEP_FIX_FRAME);
            ChangeFlag(&step.stepFlags, change.waitStarted, STEP_WAIT);
            break;
        }
    }
}

INT_PTR CALLBACK ChangeCycleValuesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        CenterWindow(dialog);
        InitChangeValues(dialog, static_cast<UINT>(lParam));
        if (KindOf(dialog) == CHANGE_FLAGS) return TRUE;
        SetFocus(Item(dialog, IDC_CHANGE_ALTER_VALUE));
        return FALSE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (HIWORD(wParam) != BN_CLICKED) return FALSE;
        if (id == IDC_CHANGE_SET || id == IDC_CHANGE_ALTER) {
            ChooseSetOrAlter(dialog, id);
        } else if (const int first = RadioOfGroup(id)) {
            CheckRadioButton(dialog, first, LastOfGroup(first), id);
        } else if (id == IDOK) {
            if (ApplyDialog(dialog)) EndDialog(dialog, 1);
            else MessageBeep(static_cast<UINT>(-1));
        } else if (id == IDCANCEL) {
            EndDialog(dialog, 0);
        } else {
            return FALSE;
        }
        return TRUE;
    }
    default:
        return DefaultCtlColor(message);
    }
}
