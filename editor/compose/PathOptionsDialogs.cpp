// The path editor's small dialogs: "Change Path Definition" (1046), "Path
// Options" (1047) and "Assign frames to path nodes" (1048).
#include "ComposeCommon.h"
#include "DialogUtilities.h"
#include "DocumentModel.h"
#include "PathDialogResources.h"
#include "PathNodes.h"
#include "WindowDialogs.h"
#include <algorithm>

namespace {

constexpr int SPIN_NODES_MAX = 255;  // the spin's reach; typed counts go up to 999

// Reads a field as a non-negative number; false when it holds none.
bool ReadNumber(HWND dialog, int id, int* value)
{
    char text[16];
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return ParseFieldNumber(text, false, value);
}

void Refuse(HWND dialog, int id, int value)
{
    SetDlgItemInt(dialog, id, static_cast<UINT>(value), FALSE);
    MessageBeep(MB_OK);
    SetFocus(GetDlgItem(dialog, id));
}

// ---- 1046 -------------------------------------------------------------------------------

INT_PTR ChangePathCommand(HWND dialog, int id)
{
    if (id == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    if (id != IDOK) return FALSE;
    int count = 0;
    const int old = static_cast<int>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!ReadNumber(dialog, IDC_CHANGE_PATH_COUNT, &count) || count < 2 || count > MAX_PATH_NODES) {
        Refuse(dialog, IDC_CHANGE_PATH_COUNT, old);
        return TRUE;
    }
    EndDialog(dialog, count);
    return TRUE;
}

// ---- 1047 -------------------------------------------------------------------------------

// "Disabled at Start" makes sense only when another object can start this
// one: one with a step list that is not itself waiting to be started.
bool AnotherObjectCanStart(int self)
{
    for (int i = 0; i < g_document.objectCount; ++i) {
        const ObjectRecord& other = g_document.objectTable[i];
        if (i != self && other.stepCount > 0 && g_document.objectMemoryHandles[i][0] && !(other.objectFlags & OBJ_DISABLED))
            return true;
    }
    return false;
}

void InitPathOptions(HWND dialog, const PathOptions* options)
{
    const int radio = !options->repeat ? IDC_PATHOPT_NO_REPEAT
                      : options->repeatCount == 0 ? IDC_PATHOPT_INFINITE : IDC_PATHOPT_REPEAT_COUNT;
    CheckRadioButton(dialog, IDC_PATHOPT_NO_REPEAT, IDC_PATHOPT_REPEAT_COUNT, radio);
    SetDlgItemInt(dialog, IDC_PATHOPT_COUNT, std::max(1, options->repeatCount), FALSE);
    CheckRadioButton(dialog, IDC_PATHOPT_ABSOLUTE, IDC_PATHOPT_RELATIVE,
                     options->startAbsolute ? IDC_PATHOPT_ABSOLUTE : IDC_PATHOPT_RELATIVE);
    CheckDlgButton(dialog, IDC_PATHOPT_DISABLED, options->disabledAtStart ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(dialog, IDC_PATHOPT_DISABLED), AnotherObjectCanStart(g_document.currentObject));
}

bool ApplyPathOptions(HWND dialog, PathOptions* options)
{
    PathOptions result = *options;
    if (IsDlgButtonChecked(dialog, IDC_PATHOPT_NO_REPEAT) == BST_CHECKED) {
        result.repeat = 0;
        result.repeatCount = 0;
    } else if (IsDlgButtonChecked(dialog, IDC_PATHOPT_INFINITE) == BST_CHECKED) {
        result.repeat = 1;
        result.repeatCount = 0;
    } else {
        int count = 0;
        if (!ReadNumber(dialog, IDC_PATHOPT_COUNT, &count) || count == 0) {
            MessageBeep(MB_OK);
            SetFocus(GetDlgItem(dialog, IDC_PATHOPT_COUNT));
            return false;
        }
        if (count > 255) {
            Refuse(dialog, IDC_PATHOPT_COUNT, 255);
            return false;
        }
        result.repeat = 1;
        result.repeatCount = count;
    }
    if (IsDlgButtonChecked(dialog, IDC_PATHOPT_ABSOLUTE) == BST_CHECKED) {
        if (!result.startAbsolute) result.startAbsolute = STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE;
    } else {
        result.startAbsolute = 0;
    }
    result.disabledAtStart = IsDlgButtonChecked(dialog, IDC_PATHOPT_DISABLED) == BST_CHECKED;
    *options = result;
    return true;
}

// ---- 1048 -------------------------------------------------------------------------------

void EnableAssignDelay(HWND dialog)
{
    const bool on = IsDlgButtonChecked(dialog, IDC_ASSIGN_DELAY_CHECK) == BST_CHECKED;
    EnableWindow(GetDlgItem(dialog, IDC_PATH_DELAY), on);
    EnableWindow(GetDlgItem(dialog, IDC_PATH_DELAY_SPIN), on);
}

void InitAssignFrames(HWND dialog, const FrameAssignment* hint)
{
    CheckRadioButton(dialog, IDC_ASSIGN_WHOLE_PATH, IDC_ASSIGN_SELECTED, IDC_ASSIGN_WHOLE_PATH);
    EnableWindow(GetDlgItem(dialog, IDC_ASSIGN_SELECTED), hint->selectedOnly);
    CheckRadioButton(dialog, IDC_ASSIGN_REPEAT, IDC_ASSIGN_REVERSE, IDC_ASSIGN_REPEAT);
    SetDlgItemInt(dialog, IDC_ASSIGN_START, 1, FALSE);
    SetDlgItemInt(dialog, IDC_ASSIGN_END, g_appState.frameCount, FALSE);
    SetDlgItemInt(dialog, IDC_PATH_DELAY, 0, FALSE);
    EnableAssignDelay(dialog);
}

bool ApplyAssignFrames(HWND dialog, FrameAssignment* assignment)
{
    const int frames = g_appState.frameCount;
    int start = 0, end = 0, delay = 0;
    if (!ReadNumber(dialog, IDC_ASSIGN_START, &start) || start < 1 || start > frames) {
        Refuse(dialog, IDC_ASSIGN_START, 1);
        return false;
    }
    if (!ReadNumber(dialog, IDC_ASSIGN_END, &end) || end < start || end > frames) {
        Refuse(dialog, IDC_ASSIGN_END, frames);
        return false;
    }
    const bool setDelay = IsDlgButtonChecked(dialog, IDC_ASSIGN_DELAY_CHECK) == BST_CHECKED;
    if (setDelay && !ReadNumber(dialog, IDC_PATH_DELAY, &delay)) {
        Refuse(dialog, IDC_PATH_DELAY, 0);
        return false;
    }
    assignment->selectedOnly = IsDlgButtonChecked(dialog, IDC_ASSIGN_SELECTED) == BST_CHECKED;
    assignment->reverse = IsDlgButtonChecked(dialog, IDC_ASSIGN_REVERSE) == BST_CHECKED;
    assignment->setDelay = setDelay;
    assignment->firstFrame = start - 1;
    assignment->lastFrame = end - 1;
    assignment->delay = std::min(delay, 255);  // above 254 stored as 255
    return true;
}

// A dialog that edits the record its lParam points to: OK applies the
// fields (and stays open when they are refused), Cancel leaves the record.
template <typename Record>
INT_PTR EditRecord(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, void (*init)(HWND, const Record*),
                   bool (*apply)(HWND, Record*))
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        init(dialog, reinterpret_cast<const Record*>(lParam));
        CenterWindow(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            if (apply(dialog, reinterpret_cast<Record*>(GetWindowLongPtrA(dialog, DWLP_USER)))) EndDialog(dialog, 1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
        return TRUE;
    default: return DefaultCtlColor(message);
    }
}

}  // namespace

INT_PTR CALLBACK ChangePathDefinitionDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        SetDlgItemInt(dialog, IDC_CHANGE_PATH_COUNT, static_cast<UINT>(lParam), FALSE);
        CenterWindow(dialog);
        return TRUE;
    case WM_VSCROLL:
        if (lParam && GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == IDC_CHANGE_PATH_SPIN)
            SpinDlgItemInt(dialog, IDC_CHANGE_PATH_COUNT, LOWORD(wParam), 2, SPIN_NODES_MAX);
        return TRUE;
    case WM_COMMAND: return ChangePathCommand(dialog, LOWORD(wParam));
    default: return DefaultCtlColor(message);
    }
}

INT_PTR CALLBACK PathOptionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    return EditRecord<PathOptions>(dialog, message, wParam, lParam, InitPathOptions, ApplyPathOptions);
}

INT_PTR CALLBACK AssignPathFramesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_VSCROLL:
        if (lParam) {
            const int spin = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
            if (spin == IDC_ASSIGN_START_SPIN || spin == IDC_ASSIGN_END_SPIN)
                SpinDlgItemInt(dialog, spin - 1, LOWORD(wParam), 1, std::max(1, g_appState.frameCount));
            else if (spin == IDC_PATH_DELAY_SPIN)
                SpinDlgItemInt(dialog, IDC_PATH_DELAY, LOWORD(wParam), 0, 255);
        }
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_ASSIGN_DELAY_CHECK) {
            EnableAssignDelay(dialog);
            return TRUE;
        }
        break;
    default: break;
    }
    return EditRecord<FrameAssignment>(dialog, message, wParam, lParam, InitAssignFrames, ApplyAssignFrames);
}
