// "Select Sound:" (1035): the animation's sound table (add, replace, delete,
// test, options) and the sound of one step; the renumbering of steps when a
// sound goes, and the sound count of the video export.
#include "ComposeCommon.h"
#include "ComposeDialogs.h"
#include "ComposeResources.h"
#include "DialogUtilities.h"
#include "DocumentModel.h"
#include "FilmStrip.h"
#include "PackedDib.h"
#include "ResultCodes.h"
#include "SoundOutput.h"
#include "WindowDialogResources.h"
#include "WindowDialogs.h"
#include "resource.h"

namespace {

constexpr uint8_t STOP_WAVE = 0x40, STOP_MIDI = 0x80, STOP_BOTH = 0xE0;
constexpr uint16_t SOUND_ASYNC = 0x0001, SOUND_REPEAT = 0x0008, SOUND_LOW_PRIORITY = 0x0010;

struct SoundDialogState {
    ObjectStep* step = nullptr;
    uint8_t stopCode = STOP_BOTH;  // what "Switch off" shows
    bool testing = false;
};

SoundDialogState* State(HWND dialog) { return reinterpret_cast<SoundDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

const int optionBoxes[] = {IDC_SOUND_REPEAT, IDC_SOUND_LOW_PRIORITY, IDC_SOUND_SIMPLE};
const int stopRadios[] = {IDC_SOUND_OFF_WAVE, IDC_SOUND_OFF_MIDI, IDC_SOUND_OFF_BOTH};
const int soundButtons[] = {IDC_SOUND_TEST, IDC_SOUND_REPLACE, IDC_SOUND_DELETE};

int Selection(HWND dialog) { return static_cast<int>(SendDlgItemMessageA(dialog, IDC_SOUND_LIST, LB_GETCURSEL, 0, 0)); }
bool IsSound(int item) { return item >= 1 && item <= g_document.soundCount; }

uint8_t StopCodeOf(uint8_t index)
{
    if (index >= 0x40 && index <= 0x5F) return STOP_WAVE;
    if (index >= 0x80 && index <= 0x9F) return STOP_MIDI;
    return STOP_BOTH;  // 0xE0-0xFF, and codes below 32 (read as both)
}

void ShowItems(HWND dialog, const int* items, int count, bool show)
{
    for (int i = 0; i < count; ++i) ShowWindow(GetDlgItem(dialog, items[i]), show ? SW_SHOW : SW_HIDE);
}

// The options of the selected item: a sound's boxes, or the stop radios.
void ShowSoundOptions(HWND dialog)
{
    SoundDialogState* state = State(dialog);
    const int item = Selection(dialog);
    const bool sound = IsSound(item);
    const bool off = item == g_document.soundCount + 1;
    ShowItems(dialog, optionBoxes, 3, sound);
    ShowItems(dialog, stopRadios, 3, off);
    for (int id : soundButtons) EnableWindow(GetDlgItem(dialog, id), sound);
    EnableWindow(GetDlgItem(dialog, IDC_SOUND_ADD), g_document.soundCount < MAX_SOUNDS);
    if (sound) {
        const uint16_t flags = g_document.soundTable[item - 1].soundFlags;
        CheckDlgButton(dialog, IDC_SOUND_REPEAT, (flags & SOUND_REPEAT) ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_SOUND_LOW_PRIORITY, (flags & SOUND_LOW_PRIORITY) ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_SOUND_SIMPLE, (flags & ANIM_SOUND_ALL) ? BST_UNCHECKED : BST_CHECKED);
        EnableWindow(GetDlgItem(dialog, IDC_SOUND_SIMPLE), !(flags & ANIM_SOUND_MIDI));
    }
    if (off) {
        const int radio = state->stopCode == STOP_WAVE ? IDC_SOUND_OFF_WAVE
                          : state->stopCode == STOP_MIDI ? IDC_SOUND_OFF_MIDI : IDC_SOUND_OFF_BOTH;
        CheckRadioButton(dialog, IDC_SOUND_OFF_WAVE, IDC_SOUND_OFF_BOTH, radio);
    }
}

void AddStringItem(HWND dialog, UINT stringId)
{
    char text[RESOURCE_STRING_LENGTH];
    LoadResourceString(stringId, text);
    SendDlgItemMessageA(dialog, IDC_SOUND_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

void FillSoundList(HWND dialog, int select)
{
    SendDlgItemMessageA(dialog, IDC_SOUND_LIST, LB_RESETCONTENT, 0, 0);
    AddStringItem(dialog, IDS_SOUND_NONE);
    for (int i = 0; i < g_document.soundCount; ++i)
        SendDlgItemMessageA(dialog, IDC_SOUND_LIST, LB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(BareFileName(g_document.soundTable[i].name)));
    AddStringItem(dialog, IDS_SOUND_OFF);
    SendDlgItemMessageA(dialog, IDC_SOUND_LIST, LB_SETCURSEL, select, 0);
    ShowSoundOptions(dialog);
}

// Chooses a sound file into table entry `entry`: false (nothing changed)
// when cancelled, when the name cannot be stored, or for an unknown format.
bool ChooseSoundFile(HWND dialog, int entry)
{
    char path[MAX_PATH] = "";
    int type = 0;
    if (!g_appState.hooks.chooseFile || !g_appState.hooks.chooseFile(dialog, 0, IDS_TITLE_SOUND_FILE, IDS_TYPE_SOUND_FILE, path, &type))
        return false;
    SoundRecord record{};
    // A name that had to be cut would name another file.
    if (!ShortenStoredPath(record.name, path)) {
        ShowStringMessage(dialog, RESULT_NOT_FOUND, path, MB_OK | MB_ICONSTOP);
        return false;
    }
    const uint32_t kind = DetectSoundType(path);
    if (!kind) {
        ShowStringMessage(dialog, RESULT_UNKNOWN_FORMAT, BareFileName(path), MB_OK | MB_ICONSTOP);
        return false;
    }
    record.soundFlags = static_cast<uint16_t>(kind | SOUND_ASYNC);
    g_document.soundTable[entry] = record;
    MarkAnimationModified();
    return true;
}

void AddSound(HWND dialog)
{
    if (g_document.soundCount >= MAX_SOUNDS || !ChooseSoundFile(dialog, g_document.soundCount)) return;
    ++g_document.soundCount;
    FillSoundList(dialog, g_document.soundCount);
}

void ReplaceSound(HWND dialog)
{
    const int item = Selection(dialog);
    if (!IsSound(item)) {
        MessageBeep(0);
        return;
    }
    if (ChooseSoundFile(dialog, item - 1)) FillSoundList(dialog, item);
}

// The cycle dialog's working list (when the sound dialog was opened from it)
// follows a deleted sound like every object's steps.
void RenumberCycleStrip(HWND owner, int deleted, int oldCount)
{
    HWND strip = owner ? GetDlgItem(owner, IDC_CYCLE_STEPS) : nullptr;
    char className[16] = "";
    if (!strip || !GetClassNameA(strip, className, sizeof className) || lstrcmpiA(className, "FILMSTRIP") != 0) return;
    const int count = static_cast<int>(SendMessageA(strip, FILMSTRIP_GET_COUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        ObjectStep step{};
        if (!SendMessageA(strip, FILMSTRIP_GET_ITEM, i, reinterpret_cast<LPARAM>(&step))) continue;
        const uint8_t renumbered = RenumberSoundIndex(step.soundIndex, deleted, oldCount);
        if (renumbered == step.soundIndex) continue;
        step.soundIndex = renumbered;
        SendMessageA(strip, FILMSTRIP_SET_ITEM, i, reinterpret_cast<LPARAM>(&step));
    }
}

void DeleteSelectedSound(HWND dialog)
{
    const int item = Selection(dialog);
    if (!IsSound(item)) {
        MessageBeep(0);
        return;
    }
    const int oldCount = g_document.soundCount;
    DeleteSound(item);
    HWND owner = GetWindow(dialog, GW_OWNER);
    RenumberCycleStrip(owner, item, oldCount);
    if (owner) SendMessageA(owner, COMPOSE_SOUND_DELETED, item, oldCount);
    SoundDialogState* state = State(dialog);
    state->step->soundIndex = RenumberSoundIndex(state->step->soundIndex, item, oldCount);
    FillSoundList(dialog, 0);
}

void ToggleOption(HWND dialog, int box)
{
    const int item = Selection(dialog);
    if (!IsSound(item)) return;
    uint16_t& flags = g_document.soundTable[item - 1].soundFlags;
    const bool on = IsDlgButtonChecked(dialog, box) == BST_CHECKED;
    if (box == IDC_SOUND_SIMPLE) {
        // Simple playback: the wave goes without the MCI device.
        flags = static_cast<uint16_t>(on ? flags & ~ANIM_SOUND_WAVE : flags | ANIM_SOUND_WAVE);
    } else {
        const uint16_t bit = box == IDC_SOUND_REPEAT ? SOUND_REPEAT : SOUND_LOW_PRIORITY;
        flags = static_cast<uint16_t>(on ? flags | bit | SOUND_ASYNC : flags & ~bit);
    }
    MarkAnimationModified();
}

// While a test sound plays, only "&Stop" works.
void SetTesting(HWND dialog, bool testing)
{
    State(dialog)->testing = testing;
    char text[RESOURCE_STRING_LENGTH] = "&Test";
    if (testing) LoadResourceString(IDS_SOUND_STOP, text);
    SetDlgItemTextA(dialog, IDC_SOUND_TEST, text);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgCtrlID(child) != IDC_SOUND_TEST) EnableWindow(child, !testing);
    if (!testing) ShowSoundOptions(dialog);
}

void StopTestSound(HWND dialog)
{
    StopSoundOf(dialog, ANIM_SOUND_ALL, false);
    StopSound(dialog, 0, false);  // a plain wave
}

void TestSound(HWND dialog)
{
    if (State(dialog)->testing) {
        StopTestSound(dialog);
        SetTesting(dialog, false);
        return;
    }
    const int item = Selection(dialog);
    if (!IsSound(item)) return;
    SoundRecord& record = g_document.soundTable[item - 1];
    if (!FindSoundFile(record.name)) {
        ShowStringMessage(dialog, RESULT_NOT_FOUND, record.name, MB_OK | MB_ICONSTOP);
        return;
    }
    const uint32_t kind = PlaySoundFile(dialog, record.name, &record.soundFlags, record.repeatCount, true);
    // A play that failed at once leaves the dialog as it was; a device that
    // fails later reports the end through MM_MCINOTIFY.
    if (kind) SetTesting(dialog, true);
}

void OnMciNotify(HWND dialog, WPARAM code, LPARAM device)
{
    HandleMciNotify(dialog, static_cast<UINT>(code), static_cast<MCIDEVICEID>(device), true);
    const bool stillPlaying = (MciSlotForKind(ANIM_SOUND_WAVE)->deviceId && MciSlotForKind(ANIM_SOUND_WAVE)->notifyWindow == dialog) ||
                              (MciSlotForKind(ANIM_SOUND_MIDI)->deviceId && MciSlotForKind(ANIM_SOUND_MIDI)->notifyWindow == dialog);
    if (State(dialog)->testing && !stillPlaying) SetTesting(dialog, false);
}

void ConfirmSound(HWND dialog)
{
    SoundDialogState* state = State(dialog);
    const int item = Selection(dialog);
    if (item < 0) return;
    if (item <= g_document.soundCount) {
        state->step->soundIndex = static_cast<uint8_t>(item);
    } else if (IsDlgButtonChecked(dialog, IDC_SOUND_OFF_MIDI) == BST_CHECKED) {
        state->step->soundIndex = STOP_MIDI;
    } else if (IsDlgButtonChecked(dialog, IDC_SOUND_OFF_WAVE) == BST_CHECKED) {
        state->step->soundIndex = STOP_WAVE;
    } else {
        state->step->soundIndex = STOP_BOTH;
    }
    StopTestSound(dialog);
    EndDialog(dialog, 1);
}

BOOL InitSoundDialog(HWND dialog, ObjectStep* step)
{
    auto* state = new SoundDialogState;
    state->step = step;
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    const int count = g_document.soundCount;
    const int index = step->soundIndex > count ? count + 1 : step->soundIndex;
    if (step->soundIndex > count) state->stopCode = StopCodeOf(step->soundIndex);
    FillSoundList(dialog, index);
    CenterWindow(dialog);
    return TRUE;
}

BOOL OnSoundCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case IDC_SOUND_LIST:
        if (code == LBN_SELCHANGE) ShowSoundOptions(dialog);
        if (code == LBN_DBLCLK) {
            g_appState.ignoreNextButtonUp = 1;
            ConfirmSound(dialog);
        }
        return TRUE;
    case IDC_SOUND_REPEAT:
    case IDC_SOUND_LOW_PRIORITY:
    case IDC_SOUND_SIMPLE: ToggleOption(dialog, id); return TRUE;
    case IDC_SOUND_OFF_WAVE:
    case IDC_SOUND_OFF_MIDI:
    case IDC_SOUND_OFF_BOTH:
        State(dialog)->stopCode = id == IDC_SOUND_OFF_WAVE ? STOP_WAVE : id == IDC_SOUND_OFF_MIDI ? STOP_MIDI : STOP_BOTH;
        return TRUE;
    case IDC_SOUND_TEST: TestSound(dialog); return TRUE;
    case IDC_SOUND_ADD: AddSound(dialog); return TRUE;
    case IDC_SOUND_REPLACE: ReplaceSound(dialog); return TRUE;
    case IDC_SOUND_DELETE: DeleteSelectedSound(dialog); return TRUE;
    case IDOK: ConfirmSound(dialog); return TRUE;
    case IDCANCEL:
        StopTestSound(dialog);
        EndDialog(dialog, 0);
        return TRUE;
    default: return FALSE;
    }
}

}  // namespace

uint8_t RenumberSoundIndex(uint8_t index, int deleted, int oldCount)
{
    if (index == 0 || index > oldCount) return index;
    if (index == deleted) return 0;
    return index > deleted ? static_cast<uint8_t>(index - 1) : index;
}

void DeleteSound(int index)
{
    const int oldCount = g_document.soundCount;
    if (index < 1 || index > oldCount) return;
    for (int object = 0; object < g_document.objectCount; ++object) {
        HGLOBAL block = g_document.objectMemoryHandles[object][0];
        const int count = UsableStepCount(block, g_document.objectTable[object].stepCount);
        GlobalLockGuard<ObjectStep> steps(block);
        if (!steps) continue;
        for (int i = 0; i < count; ++i)
            steps.get()[i].soundIndex = RenumberSoundIndex(steps.get()[i].soundIndex, index, oldCount);
    }
    for (int i = index; i < oldCount; ++i) g_document.soundTable[i - 1] = g_document.soundTable[i];
    g_document.soundTable[oldCount - 1] = SoundRecord{};
    g_document.soundCount = static_cast<uint8_t>(oldCount - 1);
    MarkAnimationModified();
}

int CountSoundEntries(int all)
{
    if (all) return g_document.soundCount;
    int waves = 0;
    for (int i = 0; i < g_document.soundCount; ++i)
        if (!(g_document.soundTable[i].soundFlags & ANIM_SOUND_MIDI)) ++waves;
    return waves;
}

INT_PTR CALLBACK SelectSoundDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return InitSoundDialog(dialog, reinterpret_cast<ObjectStep*>(lParam));
    case WM_COMMAND: return OnSoundCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case MM_MCINOTIFY: OnMciNotify(dialog, wParam, lParam); return TRUE;
    case WM_DESTROY:
        StopTestSound(dialog);
        delete State(dialog);
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        return FALSE;
    default: return DefaultCtlColor(message);
    }
}
