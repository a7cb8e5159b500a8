// One step of "Define Cycle" between the fields and the step list: showing
// the selected step, building an entry from the fields and storing it into
// the bottom strip.
#include "ComposeCommon.h"
#include "ComposeDialogs.h"
#include "ComposeResources.h"
#include "CycleDialogState.h"
#include "FilmStrip.h"

namespace {

constexpr int COORDINATE_LIMIT = 2048;
constexpr int MAX_BYTE_FIELD = 255;

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void Check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

// The cycle option combo's items.
enum CycleOption { OPTION_CONTINUE, OPTION_WAIT, OPTION_NEXT_SEQUENCE, OPTION_END_ANIMATION };

int OptionOfFlags(uint8_t flags)
{
    if (flags & STEP_END) return (flags & STEP_CLEAR_END_ACTION) ? OPTION_END_ANIMATION : OPTION_NEXT_SEQUENCE;
    return (flags & STEP_WAIT) ? OPTION_WAIT : OPTION_CONTINUE;
}

uint8_t FlagsOfOption(int option)
{
    switch (option) {
    case OPTION_WAIT: return STEP_WAIT;
    case OPTION_NEXT_SEQUENCE: return STEP_END;
    case OPTION_END_ANIMATION: return STEP_END | STEP_CLEAR_END_ACTION;
    default: return 0;
    }
}

bool IsBlankField(HWND dialog, int id)
{
    char text[64] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    for (const char* p = text; *p; ++p)
        if (*p != ' ' && *p != '\t') return false;
    return true;
}

// A field of the step: an empty one counts as 0.
bool ReadStepField(HWND dialog, int id, int minimum, int maximum, BOOL isSigned, int* value)
{
    if (IsBlankField(dialog, id)) {
        *value = 0;
        return true;
    }
    return GetDlgItemIntInRange(dialog, id, value, minimum, maximum, 0, isSigned) != 0;
}

uint32_t SelectedStartMask(HWND dialog)
{
    uint32_t mask = 0;
    const int count = static_cast<int>(SendDlgItemMessageA(dialog, IDC_CYCLE_START_LIST, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count && i < 32; ++i)
        if (SendDlgItemMessageA(dialog, IDC_CYCLE_START_LIST, LB_GETSEL, i, 0) > 0) mask |= 1u << i;
    return mask;
}

// The key the combo names, or `fallback` when it shows none (a code that is
// not in the list, from the file).
int SelectedKey(HWND dialog, int fallback)
{
    const LRESULT index = SendDlgItemMessageA(dialog, IDC_CYCLE_KEY_COMBO, CB_GETCURSEL, 0, 0);
    if (index < 0) return fallback;
    return static_cast<int>(SendDlgItemMessageA(dialog, IDC_CYCLE_KEY_COMBO, CB_GETITEMDATA, index, 0));
}

bool BuildConditions(HWND dialog, const ObjectStep& w, ObjectStep* e)
{
    e->condition = w.condition;
    if (e->condition & 0x80) {
        e->conditionParam = static_cast<uint8_t>(SelectedKey(dialog, w.conditionParam));
        e->stepFlags |= w.stepFlags & STEP_NEGATE_KEY;
        e->condition &= ~0x01;
    } else if (e->condition & 0x01) {
        int limit;
        if (!ReadStepField(dialog, IDC_CYCLE_COUNTER, 0, MAX_BYTE_FIELD, FALSE, &limit)) return false;
        e->conditionParam = static_cast<uint8_t>(limit);
    }
    if (e->condition) {
        // Shown 1-based; the file holds 16 bits and a list at most MAX_STEPS steps.
        int target;
        if (!ReadStepField(dialog, IDC_CYCLE_JUMP, 0, MAX_STEPS, FALSE, &target)) return false;
        e->jumpTarget = target >= 1 ? target - 1 : 0;
    }
    e->soundIndex = w.soundIndex;
    SetStepStartMask(e, SelectedStartMask(dialog));
    const int option = static_cast<int>(SendDlgItemMessageA(dialog, IDC_CYCLE_OPTIONS, CB_GETCURSEL, 0, 0));
    e->stepFlags |= FlagsOfOption(option);
    return true;
}

}  // namespace

HWND FramesStrip(HWND dialog) { return GetDlgItem(dialog, IDC_CYCLE_FRAMES); }
HWND StepsStrip(HWND dialog) { return GetDlgItem(dialog, IDC_CYCLE_STEPS); }
int SelectedStep(HWND dialog) { return static_cast<int>(SendMessageA(StepsStrip(dialog), FILMSTRIP_GET_SELECTION, 0, 0)); }
int StepCount(HWND dialog) { return static_cast<int>(SendMessageA(StepsStrip(dialog), FILMSTRIP_GET_COUNT, 0, 0)); }

ObjectStep SelectedEntry(HWND dialog)
{
    ObjectStep entry{};
    const int step = SelectedStep(dialog);
    if (step >= 0) SendMessageA(StepsStrip(dialog), FILMSTRIP_GET_ITEM, step, reinterpret_cast<LPARAM>(&entry));
    return entry;
}

void ShowCycleEntry(HWND dialog)
{
    CycleDialogState* state = CycleState(dialog);
    if (!state) return;
    state->working = SelectedEntry(dialog);
    const ObjectStep& w = state->working;
    SetDlgItemInt(dialog, IDC_CYCLE_X, static_cast<UINT>(w.x), TRUE);
    SetDlgItemInt(dialog, IDC_CYCLE_Y, static_cast<UINT>(w.y), TRUE);
    SetDlgItemInt(dialog, IDC_CYCLE_DELAY, w.waitCount, FALSE);
    Check(dialog, IDC_CYCLE_X_ABSOLUTE, w.stepFlags & STEP_X_ABSOLUTE);
    Check(dialog, IDC_CYCLE_Y_ABSOLUTE, w.stepFlags & STEP_Y_ABSOLUTE);
    Check(dialog, IDC_CYCLE_FIX_FRAME, w.stepFlags & STEP_FIX_FRAME);
    InvalidateRect(GetDlgItem(dialog, IDC_CYCLE_SOUND), nullptr, FALSE);

    const uint32_t mask = StepStartMask(w);
    const int objects = static_cast<int>(SendDlgItemMessageA(dialog, IDC_CYCLE_START_LIST, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < objects && i < 32; ++i)
        SendDlgItemMessageA(dialog, IDC_CYCLE_START_LIST, LB_SETSEL, (mask >> i) & 1, i);
    UpdateStartObjectsLabel(dialog);
    SendDlgItemMessageA(dialog, IDC_CYCLE_OPTIONS, CB_SETCURSEL, OptionOfFlags(w.stepFlags), 0);

    const bool key = w.condition & 0x80;
    const bool counter = (w.condition & 0x01) && !key;
    Check(dialog, IDC_CYCLE_COUNTER_CHECK, counter);
    Check(dialog, IDC_CYCLE_MOUSE_CHECK, w.condition & 0x0E);
    Check(dialog, IDC_CYCLE_POSITION_CHECK, w.condition & 0x70);
    Check(dialog, IDC_CYCLE_KEY_CHECK, key);
    EnableWindow(GetDlgItem(dialog, IDC_CYCLE_COUNTER), counter);
    if (counter) SetDlgItemInt(dialog, IDC_CYCLE_COUNTER, w.conditionParam, FALSE);
    else SetDlgItemTextA(dialog, IDC_CYCLE_COUNTER, "");
    if (key) SelectKeyInCombo(dialog, IDC_CYCLE_KEY_COMBO, w.conditionParam);
    SetDlgItemInt(dialog, IDC_CYCLE_JUMP, static_cast<UINT>(w.jumpTarget + 1), TRUE);
    EnableWindow(GetDlgItem(dialog, IDC_CYCLE_JUMP), w.condition != 0);
    ShowConditionControls(dialog);

    const LPARAM status = MAKELPARAM(SelectedStep(dialog) + 1, w.frameIndex + 1);
    PostMessageA(dialog, CYCLEDLG_SHOW_STATUS, 0, status);
    HWND focus = GetFocus();
    char className[16] = "";
    if (focus && GetParent(focus) == dialog && GetClassNameA(focus, className, sizeof className) && lstrcmpiA(className, "Edit") == 0)
        SendMessageA(focus, EM_SETSEL, 0, -1);
}

bool BuildCycleEntry(HWND dialog, bool withConditions, ObjectStep* entry)
{
    CycleDialogState* state = CycleState(dialog);
    if (!state) return false;
    ObjectStep e{};
    int x, y, wait;
    const bool read = (!withConditions || BuildConditions(dialog, state->working, &e)) &&
                      ReadStepField(dialog, IDC_CYCLE_X, -COORDINATE_LIMIT, COORDINATE_LIMIT, TRUE, &x) &&
                      ReadStepField(dialog, IDC_CYCLE_Y, -COORDINATE_LIMIT, COORDINATE_LIMIT, TRUE, &y) &&
                      ReadStepField(dialog, IDC_CYCLE_DELAY, 0, MAX_BYTE_FIELD, FALSE, &wait);
    if (!read) {
        Beep();
        return false;
    }
    e.x = x;
    e.y = y;
    e.waitCount = static_cast<uint8_t>(wait);
    if (Checked(dialog, IDC_CYCLE_X_ABSOLUTE)) e.stepFlags |= STEP_X_ABSOLUTE;
    if (Checked(dialog, IDC_CYCLE_Y_ABSOLUTE)) e.stepFlags |= STEP_Y_ABSOLUTE;
    if (Checked(dialog, IDC_CYCLE_FIX_FRAME)) e.stepFlags |= STEP_FIX_FRAME;
    *entry = e;
    return true;
}

bool StoreCycleEntryFrame(HWND dialog, UINT message, int flags, int frame)
{
    ObjectStep entry;
    if (!BuildCycleEntry(dialog, (flags & STORE_CONDITIONS) != 0, &entry)) return false;
    if (message != FILMSTRIP_SET_ITEM && StepCount(dialog) >= MAX_STEPS) {
        // The file and the step copies hold at most MAX_STEPS steps.
        Beep();
        return false;
    }
    if (frame < 0 && (flags & STORE_SELECTED_FRAME)) frame = static_cast<int>(SendMessageA(FramesStrip(dialog), FILMSTRIP_GET_SELECTION, 0, 0));
    entry.frameIndex = static_cast<uint8_t>(frame >= 0 ? frame : SelectedEntry(dialog).frameIndex);
    SendMessageA(StepsStrip(dialog), message, static_cast<WPARAM>(SelectedStep(dialog)), reinterpret_cast<LPARAM>(&entry));
    return true;
}

bool StoreCycleEntry(HWND dialog, UINT message, int flags) { return StoreCycleEntryFrame(dialog, message, flags, -1); }

void Beep() { MessageBeep(static_cast<UINT>(-1)); }
