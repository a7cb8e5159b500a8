// "Define Animation Sequence": the frame cycling, motion, border behaviour,
// cycle count and delays of the current object, and the question that
// settles whether an object runs its sequence animation or its step list.
#include "ComposeCommon.h"
#include "ComposeDialogs.h"
#include "ComposeResources.h"
#include "DialogUtilities.h"
#include "DocumentModel.h"
#include "resource.h"

namespace {

constexpr int MAX_DELAY_POSITION = 18;
constexpr int POSITION_LIMIT = 999;
constexpr int SPIN_LIMIT = 99;
constexpr int MAX_REPEAT_COUNT = 9999;

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void Check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }
void Enable(HWND dialog, int id, bool on) { EnableWindow(Item(dialog, id), on); }
void UncheckAndDisable(HWND dialog, int id)
{
    Check(dialog, id, false);
    Enable(dialog, id, false);
}

bool Reverse(HWND dialog) { return Checked(dialog, IDC_SEQ_REVERSE); }

ObjectRecord* CurrentObjectRecord()
{
    const int object = g_document.currentObject;
    return object >= 0 && object < g_document.objectCount ? &g_document.objectTable[object] : nullptr;
}

// Whether another object has a step list that could start this one.
bool AnotherObjectHasSteps()
{
    for (int i = 0; i < g_document.objectCount; ++i)
        if (i != g_document.currentObject && g_document.objectMemoryHandles[i][0]) return true;
    return false;
}

void SetSignedField(HWND dialog, int id, int value) { SetDlgItemInt(dialog, id, static_cast<UINT>(value), TRUE); }

void SelectRepeat(HWND dialog)
{
    CheckRadioButton(dialog, IDC_SEQ_REPEAT, IDC_SEQ_REVERSE, IDC_SEQ_REPEAT);
    UncheckAndDisable(dialog, IDC_SEQ_TOGGLE_DIRECTION);
    Enable(dialog, IDC_SEQ_TOGGLE_CYCLE, Checked(dialog, IDC_SEQ_SOLID_BORDER));
}

void SelectReverse(HWND dialog)
{
    CheckRadioButton(dialog, IDC_SEQ_REPEAT, IDC_SEQ_REVERSE, IDC_SEQ_REVERSE);
    UncheckAndDisable(dialog, IDC_SEQ_TOGGLE_CYCLE);
    Enable(dialog, IDC_SEQ_TOGGLE_DIRECTION, true);
}

void Toggle(HWND dialog, int id) { Check(dialog, id, !Checked(dialog, id)); }

// Under Reverse "Solid border" and "Toggle Direction" exclude each other;
// under Repeat "Toggle Cycle" needs "Solid border".
void ClickSolidBorder(HWND dialog)
{
    Toggle(dialog, IDC_SEQ_SOLID_BORDER);
    const bool on = Checked(dialog, IDC_SEQ_SOLID_BORDER);
    if (!Reverse(dialog)) {
        Check(dialog, IDC_SEQ_TOGGLE_CYCLE, false);
        Enable(dialog, IDC_SEQ_TOGGLE_CYCLE, on);
    } else if (on) {
        Check(dialog, IDC_SEQ_TOGGLE_DIRECTION, false);
    }
}

void ClickToggleDirection(HWND dialog)
{
    Toggle(dialog, IDC_SEQ_TOGGLE_DIRECTION);
    if (Reverse(dialog) && Checked(dialog, IDC_SEQ_TOGGLE_DIRECTION)) Check(dialog, IDC_SEQ_SOLID_BORDER, false);
}

void SelectCycles(HWND dialog, int id)
{
    CheckRadioButton(dialog, IDC_SEQ_INFINITE, IDC_SEQ_TERMINATE, id);
    Enable(dialog, IDC_SEQ_REPEAT_COUNT, id == IDC_SEQ_TERMINATE);
}

void InitDelayBar(HWND dialog, int id, int position)
{
    HWND bar = Item(dialog, id);
    SetScrollRange(bar, SB_CTL, 0, MAX_DELAY_POSITION, FALSE);
    SetScrollPos(bar, SB_CTL, position > MAX_DELAY_POSITION ? MAX_DELAY_POSITION : position, TRUE);
}

void InitSequenceAnimation(HWND dialog)
{
    const ObjectRecord* object = CurrentObjectRecord();
    if (!object) return;
    InitDelayBar(dialog, IDC_SEQ_CYCLE_DELAY, object->frameDelay);
    InitDelayBar(dialog, IDC_SEQ_MOTION_DELAY, object->moveDelay);
    SetSignedField(dialog, IDC_SEQ_START_X, object->startX);
    SetSignedField(dialog, IDC_SEQ_START_Y, object->startY);
    SetSignedField(dialog, IDC_SEQ_DX, object->dx);
    SetSignedField(dialog, IDC_SEQ_DY, object->dy);
    const bool reverse = object->motionFlags & MOTION_PING_PONG;
    CheckRadioButton(dialog, IDC_SEQ_REPEAT, IDC_SEQ_REVERSE, reverse ? IDC_SEQ_REVERSE : IDC_SEQ_REPEAT);

    const bool startable = AnotherObjectHasSteps();
    Enable(dialog, IDC_SEQ_DISABLED, startable);
    Check(dialog, IDC_SEQ_DISABLED, startable && (object->objectFlags & OBJ_DISABLED));

    SelectCycles(dialog, (object->objectFlags & OBJ_FINITE) ? IDC_SEQ_TERMINATE : IDC_SEQ_INFINITE);
    if (object->repeatCount > 0) SetDlgItemInt(dialog, IDC_SEQ_REPEAT_COUNT, static_cast<UINT>(object->repeatCount), FALSE);

    Check(dialog, IDC_SEQ_SOLID_BORDER, object->motionFlags & MOTION_BOUNCE);
    if (reverse) {
        Check(dialog, IDC_SEQ_TOGGLE_DIRECTION, object->motionFlags & MOTION_REVERSE_WITH_FRAMES);
        UncheckAndDisable(dialog, IDC_SEQ_TOGGLE_CYCLE);
    } else {
        Check(dialog, IDC_SEQ_TOGGLE_CYCLE, object->motionFlags & MOTION_BOUNCE_REVERSES_FRAMES);
        Enable(dialog, IDC_SEQ_TOGGLE_CYCLE, object->motionFlags & MOTION_BOUNCE);
        UncheckAndDisable(dialog, IDC_SEQ_TOGGLE_DIRECTION);
    }
}

void ScrollDelayBar(HWND bar, int code, int thumb)
{
    int position = GetScrollPos(bar, SB_CTL);
    switch (code) {
    case SB_LINELEFT:
    case SB_PAGELEFT: position = position > 0 ? position - 1 : 0; break;
    case SB_LINERIGHT:
    case SB_PAGERIGHT: position = position < MAX_DELAY_POSITION ? position + 1 : MAX_DELAY_POSITION; break;
    case SB_THUMBPOSITION: position = thumb; break;
    default: return;
    }
    SetScrollPos(bar, SB_CTL, position, TRUE);
}

void Beep() { MessageBeep(static_cast<UINT>(-1)); }

}  // namespace

int ApplySequenceAnimation(HWND dialog)
{
    ObjectRecord* object = CurrentObjectRecord();
    if (!object) return 0;
    ObjectRecord copy = *object;
    const struct {
        int id;
        int32_t* field;
    } positions[] = {{IDC_SEQ_START_X, &copy.startX}, {IDC_SEQ_START_Y, &copy.startY}, {IDC_SEQ_DX, &copy.dx}, {IDC_SEQ_DY, &copy.dy}};
    for (const auto& p : positions) {
        int value;
        if (!GetDlgItemIntInRange(dialog, p.id, &value, -POSITION_LIMIT, POSITION_LIMIT, *p.field, TRUE)) {
            Beep();
            return 0;
        }
        *p.field = value;
    }
    copy.motionFlags = 0;
    if (Checked(dialog, IDC_SEQ_REVERSE)) copy.motionFlags |= MOTION_PING_PONG;
    if (Checked(dialog, IDC_SEQ_SOLID_BORDER)) copy.motionFlags |= MOTION_BOUNCE;
    if (Checked(dialog, IDC_SEQ_TOGGLE_CYCLE)) copy.motionFlags |= MOTION_BOUNCE_REVERSES_FRAMES;
    if (Checked(dialog, IDC_SEQ_TOGGLE_DIRECTION)) copy.motionFlags |= MOTION_REVERSE_WITH_FRAMES;
    if (Checked(dialog, IDC_SEQ_TERMINATE)) {
        int count;
        if (!GetDlgItemIntInRange(dialog, IDC_SEQ_REPEAT_COUNT, &count, 1, MAX_REPEAT_COUNT, copy.repeatCount, FALSE)) {
            Beep();
            return 0;
        }
        copy.objectFlags |= OBJ_FINITE;
        copy.repeatCount = count;
    } else {
        copy.objectFlags &= ~OBJ_FINITE;
    }
    copy.frameDelay = static_cast<uint8_t>(GetScrollPos(GetDlgItem(dialog, IDC_SEQ_CYCLE_DELAY), SB_CTL));
    copy.moveDelay = static_cast<uint8_t>(GetScrollPos(GetDlgItem(dialog, IDC_SEQ_MOTION_DELAY), SB_CTL));
    copy.objectFlags = Checked(dialog, IDC_SEQ_DISABLED) ? (copy.objectFlags | OBJ_DISABLED) : (copy.objectFlags & ~OBJ_DISABLED);
    *object = copy;
    return 1;
}

int ChooseCycleOrSequence(HWND owner, int object, int wantCycle)
{
    if (object < 0 || object >= g_document.objectCount) return wantCycle ? 1 : 0;
    const int bit = g_document.objectTable[object].objectFlags & OBJ_STEP_LIST;
    if (!wantCycle && bit) return AskWarningQuestion(owner, IDS_USE_SEQUENCE) == IDYES ? 0 : bit;
    if (wantCycle && !bit) return AskWarningQuestion(owner, IDS_USE_CYCLE) == IDYES ? 1 : bit;
    return bit;
}

INT_PTR CALLBACK AnimationSequenceDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        CenterWindow(dialog);
        InitSequenceAnimation(dialog);
        return TRUE;
    case WM_HSCROLL:
        if (lParam) ScrollDelayBar(reinterpret_cast<HWND>(lParam), LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
        return TRUE;
    case WM_VSCROLL:
        if (lParam) {
            const int spin = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
            if (spin == IDC_SEQ_DX_SPIN || spin == IDC_SEQ_DY_SPIN) SpinDlgItemInt(dialog, spin - 1, LOWORD(wParam), -SPIN_LIMIT, SPIN_LIMIT);
        }
        return TRUE;
    case WM_COMMAND:
        // Only clicks: the fields' notifications change nothing here.
        if (HIWORD(wParam) != BN_CLICKED) return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_SEQ_REPEAT: SelectRepeat(dialog); return TRUE;
        case IDC_SEQ_REVERSE: SelectReverse(dialog); return TRUE;
        case IDC_SEQ_SOLID_BORDER: ClickSolidBorder(dialog); return TRUE;
        case IDC_SEQ_TOGGLE_DIRECTION: ClickToggleDirection(dialog); return TRUE;
        case IDC_SEQ_TOGGLE_CYCLE:
        case IDC_SEQ_DISABLED: Toggle(dialog, LOWORD(wParam)); return TRUE;
        case IDC_SEQ_INFINITE:
        case IDC_SEQ_TERMINATE: SelectCycles(dialog, LOWORD(wParam)); return TRUE;
        case IDOK: {
            if (!ApplySequenceAnimation(dialog)) return TRUE;
            const int object = g_document.currentObject;
            ObjectRecord& record = g_document.objectTable[object];
            const int bit = ChooseCycleOrSequence(dialog, object, 0);
            record.objectFlags = static_cast<uint8_t>((record.objectFlags & ~OBJ_STEP_LIST) | bit);
            MarkAnimationModified();
            EndDialog(dialog, 1);
            return TRUE;
        }
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        }
        return FALSE;
    default:
        return DefaultCtlColor(message);
    }
}
