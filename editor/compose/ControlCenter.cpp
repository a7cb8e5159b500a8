// The "Control Center" (template 1036): it observes one object of the test
// run, shows its run state, steps the run by its transport buttons and edits
// the observed object's current step and its record while the animation runs.
// Every edit changes the document.
#include "AnimationWindow.h"
#include "ComposeCommon.h"
#include "ComposeDialogs.h"
#include "ComposeResources.h"
#include "ControlCenterResources.h"
#include "DialogUtilities.h"
#include "PackedDib.h"
#include "SoundOutput.h"
#include "TestRun.h"
#include "resource.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr UINT_PTR CC_TIMER_ID = 3;
constexpr UINT CC_TIMER_MS = 55;
constexpr UINT CC_FAST_MS = 25;
constexpr int REPEAT_AFTER_TICKS = 12;
constexpr int PAD_SIZE = 48;
constexpr int ICON_WIDTH = 22, ICON_HEIGHT = 16;
constexpr int MAX_DELAY = 18;
constexpr int MAX_POSITION = 2048;
constexpr int MAX_FINISH = 9999;

// Pending field edits (set by EN_CHANGE of the focused field).
constexpr int EDIT_FRAME = 0x01, EDIT_XY = 0x02, EDIT_DELAY = 0x04, EDIT_COUNTER = 0x08, EDIT_TARGET = 0x10,
              EDIT_FINISH = 0x20;

enum PadDirection { PAD_NONE, PAD_LEFT, PAD_UP, PAD_RIGHT, PAD_DOWN };
enum RunMode { RUN_STOPPED, RUN_HELD, RUN_TO_NEXT, RUN_CONTINUOUS };
enum Picker { PICK_MOUSE_CC, PICK_BORDER_CC, PICK_KEY_CC, PICKERS };

struct ControlCenterState {
    int object = -1;
    bool stepView = false;
    int lastChoice[PICKERS] = {1, 1, 1};
    HMENU pickers[PICKERS]{};
    RunMode mode = RUN_STOPPED;
    int holdTicks = 0;           // ticks the ">" button or the pad has been held
    PadDirection pad = PAD_NONE;
    int pending = 0;
    int shownX = 0, shownY = 0;  // what X and Y showed, to take edits as changes
    uint8_t watchedStatus = 0;
    bool refreshing = false;     // fields written by the program, not the user
    HBITMAP transport = nullptr;
    HBITMAP padBitmap = nullptr;
};
ControlCenterState g_cc;
// Kept across openings.
bool g_placeRemembered;
POINT g_place;

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }
ObjectRunState& Run() { return g_document.objectRunStates[g_cc.object]; }
ObjectRecord& Record() { return g_document.objectTable[g_cc.object]; }
bool Valid() { return g_cc.object >= 0 && g_cc.object < g_document.objectCount; }

ObjectStep* CurrentStep()
{
    if (!Valid() || !g_cc.stepView) return nullptr;
    ObjectRunState& o = Run();
    if (!o.steps || o.stepIndex < 0 || o.stepIndex >= g_testRun.stepCounts[g_cc.object]) return nullptr;
    return &o.steps[o.stepIndex];
}

bool Stopped() { return !Valid() || Run().status != RUN_RUNNING; }

void SetInt(HWND dialog, int id, int value)
{
    char text[16];
    snprintf(text, sizeof text, "%d", value);
    SetDlgItemTextA(dialog, id, text);
}

bool ReadInt(HWND dialog, int id, int* value)
{
    char text[32] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    char* end = nullptr;
    const long v = strtol(text, &end, 10);
    if (end == text) return false;
    *value = static_cast<int>(std::clamp<long>(v, -100000, 100000));
    return true;
}

// A window coordinate as the document stores it (the reverse of ToWindowCoordinate).
int ToStoredCoordinate(int value, int frameSize, int windowSize)
{
    const uint8_t flags = g_document.animationSettings.positionFlags;
    if (flags & 0x08) value -= windowSize / 2;
    if (flags & 0x04) value += frameSize / 2;
    return value;
}

// ---- views ---------------------------------------------------------------------------------

constexpr int STEP_VIEW_ITEMS[] = {IDC_CC_FRAME, IDC_CC_FIX_FRAME, IDC_CC_DELAY_LABEL, IDC_CC_DELAY, IDC_CC_DELAY_COUNTER,
                                   IDC_CC_COUNTER_CHECK, IDC_CC_COUNTER, IDC_CC_COUNT_SHOWN, IDC_CC_MOUSE_CHECK,
                                   IDC_CC_MOUSE_PICK, IDC_CC_BORDER_CHECK, IDC_CC_BORDER_PICK, IDC_CC_KEY_CHECK,
                                   IDC_CC_KEY_PICK, IDC_CC_KEY_COMBO, IDC_CC_TARGET_LABEL, IDC_CC_TARGET, IDC_CC_FORCED};
constexpr int CONDITION_ITEMS[] = {IDC_CC_COUNTER_CHECK, IDC_CC_COUNTER,    IDC_CC_MOUSE_CHECK, IDC_CC_MOUSE_PICK,
                                   IDC_CC_BORDER_CHECK,  IDC_CC_BORDER_PICK, IDC_CC_KEY_CHECK,   IDC_CC_KEY_PICK,
                                   IDC_CC_KEY_COMBO,     IDC_CC_TARGET,      IDC_CC_FORCED};
constexpr int SEQUENCE_VIEW_ITEMS[] = {IDC_CC_SEQ_FRAME,      IDC_CC_SOLID_BORDER,       IDC_CC_REPEAT,
                                       IDC_CC_REVERSE,        IDC_CC_CYCLE_COUNTER,      IDC_CC_CYCLE_DELAY_VALUE,
                                       IDC_CC_CYCLE_DELAY,    IDC_CC_CYCLE_LABEL,        IDC_CC_MOTION_COUNTER,
                                       IDC_CC_MOTION_DELAY_VALUE, IDC_CC_MOTION_DELAY,   IDC_CC_FINISH_COUNT,
                                       IDC_CC_FINISH,         IDC_CC_MOTION_LABEL};

void SetUpView(HWND dialog)
{
    g_cc.stepView = Valid() && (Record().objectFlags & OBJ_STEP_LIST) && g_document.objectMemoryHandles[g_cc.object][0];
    for (int id : STEP_VIEW_ITEMS) ShowWindow(Item(dialog, id), g_cc.stepView ? SW_SHOW : SW_HIDE);
    for (int id : SEQUENCE_VIEW_ITEMS) ShowWindow(Item(dialog, id), g_cc.stepView ? SW_HIDE : SW_SHOW);
    // A path has no conditions.
    const bool conditions = g_cc.stepView && !(Record().objectFlags & OBJ_PATH);
    for (int id : CONDITION_ITEMS) EnableWindow(Item(dialog, id), conditions);
    char label[RESOURCE_STRING_LENGTH];
    lstrcpynA(label, g_cc.stepView ? "Step:" : "Rep:", sizeof label);
    SetDlgItemTextA(dialog, IDC_CC_STEP_LABEL, label);
    for (int bar : {IDC_CC_CYCLE_DELAY, IDC_CC_MOTION_DELAY}) SetScrollRange(Item(dialog, bar), SB_CTL, 0, MAX_DELAY, FALSE);
    CheckDlgButton(dialog, IDC_CC_X_ABSOLUTE, BST_CHECKED);
    CheckDlgButton(dialog, IDC_CC_Y_ABSOLUTE, BST_CHECKED);
    // The observed object's fixed frame is not stamped, so that it can be watched.
    g_testRun.fixedFrameExclusion = Valid() ? 1u << g_cc.object : 0;
    g_cc.pending = 0;
}

void RepaintTransports(HWND dialog)
{
    for (int id = IDC_CC_STEP_ONE; id <= IDC_CC_RESTART; ++id) InvalidateRect(Item(dialog, id), nullptr, FALSE);
}

// ---- fields -------------------------------------------------------------------------------

void ShowPosition(HWND dialog, int valueX, int valueY)
{
    g_cc.shownX = valueX;
    g_cc.shownY = valueY;
    SetInt(dialog, IDC_CC_X, valueX);
    SetInt(dialog, IDC_CC_Y, valueY);
}

void RefreshStepFields(HWND dialog)
{
    ObjectRunState& o = Run();
    const ObjectStep* s = CurrentStep();
    SetInt(dialog, IDC_CC_FRAME, o.frame + 1);
    SetInt(dialog, IDC_CC_STEP_NUMBER, o.stepIndex + 1);
    if (IsDlgButtonChecked(dialog, IDC_CC_X_ABSOLUTE) || !s)
        ShowPosition(dialog, ToStoredCoordinate(o.x, o.frameWidth, g_testRun.width),
                     ToStoredCoordinate(o.y, o.frameHeight, g_testRun.height));
    else
        ShowPosition(dialog, s->x, s->y);
    if (!s) return;
    CheckDlgButton(dialog, IDC_CC_FIX_FRAME, (s->stepFlags & STEP_FIX_FRAME) ? BST_CHECKED : BST_UNCHECKED);
    SetInt(dialog, IDC_CC_DELAY, s->waitCount);
    SetInt(dialog, IDC_CC_DELAY_COUNTER, std::max(o.counter, 0));
    const bool key = s->condition & 0x80;
    CheckDlgButton(dialog, IDC_CC_KEY_CHECK, key ? BST_CHECKED : BST_UNCHECKED);
    if (key) {
        g_cc.lastChoice[PICK_KEY_CC] = (s->stepFlags & STEP_NEGATE_KEY) ? 2 : 1;
        SelectKeyInCombo(dialog, IDC_CC_KEY_COMBO, s->conditionParam);
    }
    const bool counter = !key && (s->condition & 0x01);
    CheckDlgButton(dialog, IDC_CC_COUNTER_CHECK, counter ? BST_CHECKED : BST_UNCHECKED);
    if (o.stepCounters) {
        GlobalLockGuard<uint8_t> counters(o.stepCounters);
        SetInt(dialog, IDC_CC_COUNT_SHOWN, counters ? counters.get()[o.stepIndex] : 0);
        if (counter) SetInt(dialog, IDC_CC_COUNTER, s->conditionParam);
        else SetDlgItemTextA(dialog, IDC_CC_COUNTER, "");
    }
    const int mouse = (s->condition >> 1) & 7, border = (s->condition >> 4) & 7;
    CheckDlgButton(dialog, IDC_CC_MOUSE_CHECK, mouse ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_CC_BORDER_CHECK, border ? BST_CHECKED : BST_UNCHECKED);
    if (mouse) g_cc.lastChoice[PICK_MOUSE_CC] = mouse;
    if (border) g_cc.lastChoice[PICK_BORDER_CC] = border;
    if (s->condition) SetInt(dialog, IDC_CC_TARGET, s->jumpTarget + 1);
    else SetDlgItemTextA(dialog, IDC_CC_TARGET, "");
    CheckDlgButton(dialog, IDC_CC_FORCED, g_testRun.forced ? BST_CHECKED : BST_UNCHECKED);
    for (int id : {IDC_CC_MOUSE_PICK, IDC_CC_BORDER_PICK, IDC_CC_KEY_PICK}) InvalidateRect(Item(dialog, id), nullptr, FALSE);
}

void RefreshSequenceFields(HWND dialog)
{
    ObjectRunState& o = Run();
    const ObjectRecord& r = Record();
    SetInt(dialog, IDC_CC_SEQ_FRAME, o.frame + 1);
    SetInt(dialog, IDC_CC_STEP_NUMBER, o.passCount);
    if (IsDlgButtonChecked(dialog, IDC_CC_X_ABSOLUTE))
        ShowPosition(dialog, ToStoredCoordinate(o.x, o.frameWidth, g_testRun.width),
                     ToStoredCoordinate(o.y, o.frameHeight, g_testRun.height));
    else
        ShowPosition(dialog, o.dx, o.dy);
    SetInt(dialog, IDC_CC_CYCLE_COUNTER, std::max(o.counter, 0));
    SetInt(dialog, IDC_CC_MOTION_COUNTER, std::max(o.moveCounter, 0));
    SetInt(dialog, IDC_CC_CYCLE_DELAY_VALUE, r.frameDelay);
    SetInt(dialog, IDC_CC_MOTION_DELAY_VALUE, r.moveDelay);
    SetScrollPos(Item(dialog, IDC_CC_CYCLE_DELAY), SB_CTL, r.frameDelay, TRUE);
    SetScrollPos(Item(dialog, IDC_CC_MOTION_DELAY), SB_CTL, r.moveDelay, TRUE);
    CheckRadioButton(dialog, IDC_CC_REPEAT, IDC_CC_REVERSE, (r.motionFlags & MOTION_PING_PONG) ? IDC_CC_REVERSE : IDC_CC_REPEAT);
    CheckDlgButton(dialog, IDC_CC_SOLID_BORDER, (r.motionFlags & MOTION_BOUNCE) ? BST_CHECKED : BST_UNCHECKED);
    const bool finite = r.objectFlags & OBJ_FINITE;
    CheckDlgButton(dialog, IDC_CC_FINISH, finite ? BST_CHECKED : BST_UNCHECKED);
    if (finite) SetInt(dialog, IDC_CC_FINISH_COUNT, r.repeatCount);
    else SetDlgItemTextA(dialog, IDC_CC_FINISH_COUNT, "");
}

void RefreshFields(HWND dialog)
{
    g_cc.refreshing = true;
    if (Stopped()) {
        // A finished or unstarted object shows nothing.
        for (int id : {IDC_CC_FRAME, IDC_CC_SEQ_FRAME, IDC_CC_STEP_NUMBER, IDC_CC_X, IDC_CC_Y, IDC_CC_DELAY,
                       IDC_CC_DELAY_COUNTER, IDC_CC_COUNTER, IDC_CC_COUNT_SHOWN, IDC_CC_TARGET, IDC_CC_CYCLE_COUNTER,
                       IDC_CC_MOTION_COUNTER, IDC_CC_FINISH_COUNT})
            SetDlgItemTextA(dialog, id, "");
    } else if (g_cc.stepView) {
        RefreshStepFields(dialog);
    } else {
        RefreshSequenceFields(dialog);
    }
    g_cc.pending = 0;
    g_cc.refreshing = false;
    RepaintTransports(dialog);
}

// ---- edits ---------------------------------------------------------------------------------

void ApplyPositionEdit(HWND dialog)
{
    int x = g_cc.shownX, y = g_cc.shownY;
    ReadInt(dialog, IDC_CC_X, &x);
    ReadInt(dialog, IDC_CC_Y, &y);
    x = std::clamp(x, -MAX_POSITION, MAX_POSITION);
    y = std::clamp(y, -MAX_POSITION, MAX_POSITION);
    const int changeX = x - g_cc.shownX, changeY = y - g_cc.shownY;
    ObjectRunState& o = Run();
    ObjectRecord& r = Record();
    if (ObjectStep* s = CurrentStep()) {
        o.x += changeX;
        o.y += changeY;
        s->x = std::clamp(s->x + changeX, -MAX_POSITION, MAX_POSITION);
        s->y = std::clamp(s->y + changeY, -MAX_POSITION, MAX_POSITION);
    } else if (!g_cc.stepView) {
        if (IsDlgButtonChecked(dialog, IDC_CC_X_ABSOLUTE)) {
            o.x += changeX;
            o.y += changeY;
            r.startX = std::clamp(r.startX + changeX, -MAX_POSITION, MAX_POSITION);
            r.startY = std::clamp(r.startY + changeY, -MAX_POSITION, MAX_POSITION);
        } else {
            // A velocity: the running direction is kept.
            r.dx = x;
            r.dy = y;
            o.dx = o.dx < 0 ? -std::abs(x) : std::abs(x);
            o.dy = o.dy < 0 ? -std::abs(y) : std::abs(y);
        }
    }
}

void ApplyPendingEdits(HWND dialog)
{
    if (!g_cc.pending || Stopped()) {
        g_cc.pending = 0;
        return;
    }
    ObjectRunState& o = Run();
    ObjectStep* s = CurrentStep();
    int value;
    if ((g_cc.pending & EDIT_FRAME) && ReadInt(dialog, g_cc.stepView ? IDC_CC_FRAME : IDC_CC_SEQ_FRAME, &value)) {
        const int frames = RunFrameCount(g_cc.object);
        const int frame = std::clamp(value, 1, std::max(frames, 1)) - 1;
        o.frame = static_cast<uint8_t>(frame);
        if (s) s->frameIndex = static_cast<uint8_t>(frame);
    }
    if (g_cc.pending & EDIT_XY) ApplyPositionEdit(dialog);
    if (s && (g_cc.pending & EDIT_DELAY) && ReadInt(dialog, IDC_CC_DELAY, &value))
        s->waitCount = static_cast<uint8_t>(std::clamp(value, 0, 255));
    if (s && (g_cc.pending & EDIT_COUNTER) && (s->condition & 0x01) && !(s->condition & 0x80) &&
        ReadInt(dialog, IDC_CC_COUNTER, &value))
        s->conditionParam = static_cast<uint8_t>(std::clamp(value, 0, 255));
    if (s && (g_cc.pending & EDIT_TARGET) && s->condition && ReadInt(dialog, IDC_CC_TARGET, &value))
        s->jumpTarget = std::clamp(value, 1, g_testRun.stepCounts[g_cc.object]) - 1;
    if (!g_cc.stepView && (g_cc.pending & EDIT_FINISH)) {
        ObjectRecord& r = Record();
        if (ReadInt(dialog, IDC_CC_FINISH_COUNT, &value) && value > 0) r.repeatCount = std::min(value, MAX_FINISH);
        else r.repeatCount = std::max(r.repeatCount, o.passCount + 1);
    }
    g_cc.pending = 0;
    MarkAnimationModified();
}

int PendingBitOf(int id)
{
    switch (id) {
    case IDC_CC_FRAME:
    case IDC_CC_SEQ_FRAME: return EDIT_FRAME;
    case IDC_CC_X:
    case IDC_CC_Y: return EDIT_XY;
    case IDC_CC_DELAY: return EDIT_DELAY;
    case IDC_CC_COUNTER: return EDIT_COUNTER;
    case IDC_CC_TARGET: return EDIT_TARGET;
    case IDC_CC_FINISH_COUNT: return EDIT_FINISH;
    default: return 0;
    }
}

void SetConditionCode(ObjectStep* s, int shift, int code)
{
    s->condition = static_cast<uint8_t>((s->condition & ~(7 << shift)) | (code << shift));
}

// The condition check boxes and popups, as in the cycle dialog.
void ClickCondition(HWND dialog, int id)
{
    ObjectStep* s = CurrentStep();
    if (!s) return;
    const bool on = IsDlgButtonChecked(dialog, id) == BST_CHECKED;
    switch (id) {
    case IDC_CC_COUNTER_CHECK:
        s->condition = static_cast<uint8_t>(on ? (s->condition | 0x01) : (s->condition & ~0x01));
        break;
    case IDC_CC_MOUSE_CHECK: SetConditionCode(s, 1, on ? g_cc.lastChoice[PICK_MOUSE_CC] : 0); break;
    case IDC_CC_BORDER_CHECK: SetConditionCode(s, 4, on ? g_cc.lastChoice[PICK_BORDER_CC] : 0); break;
    case IDC_CC_KEY_CHECK: {
        s->condition = static_cast<uint8_t>(on ? (s->condition | 0x80) : (s->condition & ~0x80));
        const LRESULT item = SendDlgItemMessageA(dialog, IDC_CC_KEY_COMBO, CB_GETCURSEL, 0, 0);
        if (on && item >= 0)
            s->conditionParam = static_cast<uint8_t>(SendDlgItemMessageA(dialog, IDC_CC_KEY_COMBO, CB_GETITEMDATA, item, 0));
        if (on && g_cc.lastChoice[PICK_KEY_CC] == 2) s->stepFlags |= STEP_NEGATE_KEY;
        else s->stepFlags &= ~STEP_NEGATE_KEY;
        break;
    }
    }
    MarkAnimationModified();
    RefreshFields(dialog);
}

void ChoosePickerItem(HWND dialog, UINT command)
{
    ObjectStep* s = CurrentStep();
    if (!s) return;
    if (command >= IDM_CC_KEY_FIRST) {
        g_cc.lastChoice[PICK_KEY_CC] = static_cast<int>(command - IDM_CC_KEY_FIRST) + 1;
        if (s->condition & 0x80) {
            if (g_cc.lastChoice[PICK_KEY_CC] == 2) s->stepFlags |= STEP_NEGATE_KEY;
            else s->stepFlags &= ~STEP_NEGATE_KEY;
        }
    } else if (command >= IDM_CC_BORDER_FIRST) {
        g_cc.lastChoice[PICK_BORDER_CC] = static_cast<int>(command - IDM_CC_BORDER_FIRST) + 1;
        SetConditionCode(s, 4, g_cc.lastChoice[PICK_BORDER_CC]);
    } else {
        g_cc.lastChoice[PICK_MOUSE_CC] = static_cast<int>(command - IDM_CC_MOUSE_FIRST) + 1;
        SetConditionCode(s, 1, g_cc.lastChoice[PICK_MOUSE_CC]);
    }
    MarkAnimationModified();
    RefreshFields(dialog);
}

void ClickRecordOption(HWND dialog, int id)
{
    if (!Valid()) return;
    ObjectRecord& r = Record();
    switch (id) {
    case IDC_CC_SOLID_BORDER: r.motionFlags ^= MOTION_BOUNCE; break;
    case IDC_CC_REPEAT: r.motionFlags &= ~MOTION_PING_PONG; break;
    case IDC_CC_REVERSE: r.motionFlags |= MOTION_PING_PONG; break;
    case IDC_CC_FINISH:
        r.objectFlags ^= OBJ_FINITE;
        if (r.objectFlags & OBJ_FINITE) {
            g_cc.pending |= EDIT_FINISH;
            ApplyPendingEdits(dialog);
        }
        break;
    }
    MarkAnimationModified();
    RefreshFields(dialog);
}

void ScrollDelay(HWND dialog, HWND bar, int code, int thumb)
{
    if (!Valid()) return;
    const bool cycle = bar == Item(dialog, IDC_CC_CYCLE_DELAY);
    uint8_t& delay = cycle ? Record().frameDelay : Record().moveDelay;
    int value = delay;
    switch (code) {
    case SB_LINEUP:
    case SB_PAGEUP: --value; break;
    case SB_LINEDOWN:
    case SB_PAGEDOWN: ++value; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: value = thumb; break;
    default: return;
    }
    delay = static_cast<uint8_t>(std::clamp(value, 0, MAX_DELAY));
    MarkAnimationModified();
    RefreshFields(dialog);
}

// ---- stepping ------------------------------------------------------------------------------

void StopRunning(HWND dialog)
{
    KillTimer(dialog, CC_TIMER_ID);
    g_cc.mode = RUN_STOPPED;
    g_cc.holdTicks = 0;
    RepaintTransports(dialog);
}

void StartTimer(HWND dialog)
{
    const bool timerMode = g_document.animationSettings.playFlags & PLAY_TIMER_MODE;
    SetTimer(dialog, CC_TIMER_ID, timerMode ? CC_TIMER_MS : CC_FAST_MS, nullptr);
}

// One tick of the run without the end test, then the fields.
void DisplayStep(HWND dialog)
{
    ApplyPendingEdits(dialog);
    TickRun(false);
    RefreshFields(dialog);
    if (CheckRunEnd()) {
        StopRunning(dialog);
        EnableWindow(Item(dialog, IDC_CC_RUN), FALSE);
    }
}

bool TransportsOffered() { return !Stopped() && !g_testRun.endRequested && g_testRun.ready; }

void PressTransport(HWND dialog, int id)
{
    if (id == IDC_CC_RESTART) {
        StopRunning(dialog);
        if (g_appState.animationWindow) PostMessageA(g_appState.animationWindow, ANIMWND_RESTART, 0, 0);
        EnableWindow(Item(dialog, IDC_CC_RUN), TRUE);
        return;
    }
    if (!TransportsOffered()) return;
    ApplyPendingEdits(dialog);
    g_cc.watchedStatus = Run().status;
    switch (id) {
    case IDC_CC_STEP_ONE:
        DisplayStep(dialog);
        g_cc.mode = RUN_HELD;
        g_cc.holdTicks = 0;
        StartTimer(dialog);
        break;
    case IDC_CC_STEP_NEXT:
        g_cc.mode = RUN_TO_NEXT;
        DisplayStep(dialog);
        if (g_cc.mode == RUN_TO_NEXT && Valid() && Run().counter == 0) StopRunning(dialog);
        else if (g_cc.mode == RUN_TO_NEXT) StartTimer(dialog);
        break;
    case IDC_CC_RUN:
        if (g_cc.mode == RUN_CONTINUOUS) {
            StopRunning(dialog);
        } else {
            g_cc.mode = RUN_CONTINUOUS;
            StartTimer(dialog);
        }
        break;
    }
}

void ReleaseTransport(HWND dialog, int id)
{
    if (id == IDC_CC_STEP_ONE && g_cc.mode == RUN_HELD) StopRunning(dialog);
}

void MovePad(HWND dialog)
{
    if (!Valid() || Stopped()) return;
    const int dx = g_cc.pad == PAD_LEFT ? -1 : g_cc.pad == PAD_RIGHT ? 1 : 0;
    const int dy = g_cc.pad == PAD_UP ? -1 : g_cc.pad == PAD_DOWN ? 1 : 0;
    g_cc.refreshing = true;
    SetInt(dialog, IDC_CC_X, g_cc.shownX + dx);
    SetInt(dialog, IDC_CC_Y, g_cc.shownY + dy);
    g_cc.refreshing = false;
    g_cc.pending |= EDIT_XY;
    ApplyPendingEdits(dialog);
    if (g_appState.animationWindow) InvalidateRect(g_appState.animationWindow, nullptr, FALSE);
    RefreshFields(dialog);
}

void OnTimer(HWND dialog)
{
    if (g_cc.pad != PAD_NONE) {
        if (++g_cc.holdTicks > REPEAT_AFTER_TICKS) MovePad(dialog);
        return;
    }
    switch (g_cc.mode) {
    case RUN_HELD:
        if (++g_cc.holdTicks <= REPEAT_AFTER_TICKS) return;
        break;
    case RUN_TO_NEXT:
    case RUN_CONTINUOUS: break;
    default: KillTimer(dialog, CC_TIMER_ID); return;
    }
    DisplayStep(dialog);
    if (g_cc.mode == RUN_STOPPED) return;
    if (!Valid() || Run().status != g_cc.watchedStatus) {
        StopRunning(dialog);
        return;
    }
    if (g_cc.mode == RUN_TO_NEXT && Run().counter == 0) StopRunning(dialog);
}

PadDirection PadDirectionAt(HWND pad)
{
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(pad, &p);
    const int x = p.x - PAD_SIZE / 2, y = p.y - PAD_SIZE / 2;
    if (x * x + y * y > PAD_SIZE * PAD_SIZE) return PAD_NONE;
    if (x == 0 && y == 0) return PAD_NONE;
    if (std::abs(x) >= std::abs(y)) return x < 0 ? PAD_LEFT : PAD_RIGHT;
    return y < 0 ? PAD_UP : PAD_DOWN;
}

// ---- drawing -------------------------------------------------------------------------------

void DrawCell(HDC dc, HBITMAP bitmap, int sx, int sy, int w, int h, const RECT& into)
{
    if (!bitmap) return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, bitmap);
    const int x = into.left + (into.right - into.left - w) / 2, y = into.top + (into.bottom - into.top - h) / 2;
    BitBlt(dc, x, y, w, h, source, sx, sy, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

void DrawTransport(HWND dialog, const DRAWITEMSTRUCT* item)
{
    const int id = static_cast<int>(item->CtlID);
    const bool pressed = item->itemState & ODS_SELECTED;
    RECT r = item->rcItem;
    FillRect(item->hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(item->hDC, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    if (pressed) OffsetRect(&r, 1, 1);
    const int cell = id == IDC_CC_RESTART ? 3 : id - IDC_CC_STEP_ONE;
    const bool grey = id == IDC_CC_RESTART ? false : !TransportsOffered() || !IsWindowEnabled(item->hwndItem);
    DrawCell(item->hDC, g_cc.transport, cell * ICON_WIDTH, grey ? ICON_HEIGHT : 0, ICON_WIDTH, ICON_HEIGHT, r);
    if (item->itemAction & ODA_SELECT) {
        if (pressed) PressTransport(dialog, id);
        else ReleaseTransport(dialog, id);
    }
}

void DrawPad(HWND dialog, const DRAWITEMSTRUCT* item)
{
    const bool pressed = item->itemState & ODS_SELECTED;
    if (item->itemAction & ODA_SELECT) {
        if (pressed) {
            g_cc.pad = PadDirectionAt(item->hwndItem);
            g_cc.holdTicks = 0;
            ApplyPendingEdits(dialog);
            if (g_cc.pad != PAD_NONE) {
                MovePad(dialog);
                SetTimer(dialog, CC_TIMER_ID, CC_TIMER_MS, nullptr);
            }
        } else {
            g_cc.pad = PAD_NONE;
            if (g_cc.mode == RUN_STOPPED) KillTimer(dialog, CC_TIMER_ID);
        }
    }
    RECT r = item->rcItem;
    FillRect(item->hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
    DrawCell(item->hDC, g_cc.padBitmap, g_cc.pad * PAD_SIZE, 0, PAD_SIZE, PAD_SIZE, r);
}

void DrawPicker(HWND dialog, const DRAWITEMSTRUCT* item)
{
    const ObjectStep* s = CurrentStep();
    int picker = PICK_MOUSE_CC, choice = 0;
    switch (item->CtlID) {
    case IDC_CC_MOUSE_PICK: choice = s ? (s->condition >> 1) & 7 : 0; break;
    case IDC_CC_BORDER_PICK:
        picker = PICK_BORDER_CC;
        choice = s ? (s->condition >> 4) & 7 : 0;
        break;
    default:
        picker = PICK_KEY_CC;
        choice = s && (s->condition & 0x80) ? ((s->stepFlags & STEP_NEGATE_KEY) ? 2 : 1) : 0;
        break;
    }
    DrawConditionButton(item, choice, g_cc.pickers[picker], &g_cc.lastChoice[picker]);
    (void)dialog;
}

// ---- set-up ---------------------------------------------------------------------------------

void Place(HWND dialog)
{
    RECT me{};
    GetWindowRect(dialog, &me);
    const int w = me.right - me.left, h = me.bottom - me.top;
    const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    POINT at = g_place;
    const bool random = (g_document.animationSettings.positionFlags & 1) != 0;
    if (!g_placeRemembered || random) {
        RECT run{};
        if (g_appState.animationWindow) GetWindowRect(g_appState.animationWindow, &run);
        at = {run.right, (run.top + run.bottom - h) / 2};
    }
    at.x = std::clamp<LONG>(at.x, 0, std::max(0, screenW - w));
    at.y = std::clamp<LONG>(at.y, 0, std::max(0, screenH - h));
    SetWindowPos(dialog, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FillObjects(HWND dialog)
{
    FillObjectList(dialog, IDC_CC_OBJECT, CB_ADDSTRING);
    SendDlgItemMessageA(dialog, IDC_CC_OBJECT, CB_SETCURSEL, g_cc.object, 0);
}

BOOL OnInitDialog(HWND dialog)
{
    g_cc = ControlCenterState{};
    g_cc.object = std::clamp(g_document.currentObject, 0, std::max(g_document.objectCount - 1, 0));
    Place(dialog);
    FillKeyCombo(dialog, IDC_CC_KEY_COMBO);
    g_cc.transport = LoadBitmapA(g_appState.instanceHandle, MAKEINTRESOURCEA(IDB_TRANSPORT_ICONS));
    g_cc.padBitmap = LoadBitmapA(g_appState.instanceHandle, MAKEINTRESOURCEA(IDB_DIRECTION_PAD));
    SetWindowPos(Item(dialog, IDC_CC_PAD), nullptr, 0, 0, PAD_SIZE, PAD_SIZE, SWP_NOMOVE | SWP_NOZORDER);
    FillObjects(dialog);
    SetUpView(dialog);
    const bool sounds = g_document.soundCount > 0;
    g_testRun.soundOn = sounds;
    CheckRadioButton(dialog, IDC_CC_SOUND_ON, IDC_CC_SOUND_OFF, sounds ? IDC_CC_SOUND_ON : IDC_CC_SOUND_OFF);
    EnableWindow(Item(dialog, IDC_CC_SOUND_ON), sounds);
    g_cc.pickers[PICK_MOUSE_CC] = BuildConditionMenu(IDS_MOUSE_CONDITION_FIRST, IDM_CC_MOUSE_FIRST);
    g_cc.pickers[PICK_BORDER_CC] = BuildConditionMenu(IDS_POSITION_CONDITION_FIRST, IDM_CC_BORDER_FIRST);
    g_cc.pickers[PICK_KEY_CC] = BuildConditionMenu(IDS_KEY_CONDITION_FIRST, IDM_CC_KEY_FIRST);
    MarkAnimationModified();
    RefreshFields(dialog);
    ShowWindow(dialog, SW_SHOWNOACTIVATE);
    SetFocus(Item(dialog, IDC_CC_STEP_NEXT));
    return FALSE;
}

void OnDestroy(HWND dialog)
{
    KillTimer(dialog, CC_TIMER_ID);
    RECT r{};
    if (GetWindowRect(dialog, &r)) {
        g_place = {r.left, r.top};
        g_placeRemembered = true;
    }
    for (HMENU& menu : g_cc.pickers) {
        if (menu) DestroyMenu(menu);
        menu = nullptr;
    }
    for (HBITMAP* b : {&g_cc.transport, &g_cc.padBitmap}) {
        if (*b) DeleteObject(*b);
        *b = nullptr;
    }
    g_testRun.fixedFrameExclusion = 0;
    g_testRun.forced = false;
    g_cc.object = -1;
}

void ChooseObject(HWND dialog)
{
    const LRESULT item = SendDlgItemMessageA(dialog, IDC_CC_OBJECT, CB_GETCURSEL, 0, 0);
    if (item < 0 || item >= g_document.objectCount) return;
    StopRunning(dialog);
    g_cc.object = static_cast<int>(item);
    g_testRun.forced = false;
    SetUpView(dialog);
    EnableWindow(Item(dialog, IDC_CC_RUN), !CheckRunEnd());
    RefreshFields(dialog);
}

BOOL OnCommand(HWND dialog, int id, int code, HWND control)
{
    if (id >= static_cast<int>(IDM_CC_MOUSE_FIRST) && id < static_cast<int>(IDM_CC_KEY_FIRST) + 2) {
        ChoosePickerItem(dialog, static_cast<UINT>(id));
        return TRUE;
    }
    switch (id) {
    case IDOK:
        ApplyPendingEdits(dialog);
        if (g_appState.animationWindow) InvalidateRect(g_appState.animationWindow, nullptr, FALSE);
        RefreshFields(dialog);
        return TRUE;
    case IDCANCEL:
        return TRUE;  // Esc does not close the Control Center
    case IDC_CC_OBJECT:
        if (code == CBN_SELCHANGE) ChooseObject(dialog);
        return TRUE;
    case IDC_CC_SOUND_ON:
    case IDC_CC_SOUND_OFF:
        g_testRun.soundOn = id == IDC_CC_SOUND_ON;
        if (!g_testRun.soundOn) {
            StopSoundOf(g_appState.animationWindow, ANIM_SOUND_ALL, false);
            g_testRun.soundState = 0;
        }
        return TRUE;
    case IDC_CC_FORCED:
        g_testRun.forced = IsDlgButtonChecked(dialog, IDC_CC_FORCED) == BST_CHECKED;
        return TRUE;
    case IDC_CC_FIX_FRAME:
        if (ObjectStep* s = CurrentStep()) {
            const bool on = IsDlgButtonChecked(dialog, IDC_CC_FIX_FRAME) == BST_CHECKED;
            if (on) s->stepFlags |= STEP_FIX_FRAME;
            else s->stepFlags &= ~STEP_FIX_FRAME;
            Run().fixFrame = on ? 1 : 0;
            MarkAnimationModified();
        }
        return TRUE;
    case IDC_CC_COUNTER_CHECK:
    case IDC_CC_MOUSE_CHECK:
    case IDC_CC_BORDER_CHECK:
    case IDC_CC_KEY_CHECK:
        ClickCondition(dialog, id);
        return TRUE;
    case IDC_CC_MOUSE_PICK: ShowConditionMenu(dialog, id, g_cc.pickers[PICK_MOUSE_CC]); return TRUE;
    case IDC_CC_BORDER_PICK: ShowConditionMenu(dialog, id, g_cc.pickers[PICK_BORDER_CC]); return TRUE;
    case IDC_CC_KEY_PICK: ShowConditionMenu(dialog, id, g_cc.pickers[PICK_KEY_CC]); return TRUE;
    case IDC_CC_KEY_COMBO:
        if (code == CBN_SELCHANGE)
            if (ObjectStep* s = CurrentStep(); s && (s->condition & 0x80)) {
                const LRESULT item = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
                if (item >= 0) s->conditionParam = static_cast<uint8_t>(SendDlgItemMessageA(dialog, id, CB_GETITEMDATA, item, 0));
                MarkAnimationModified();
            }
        return TRUE;
    case IDC_CC_SOLID_BORDER:
    case IDC_CC_REPEAT:
    case IDC_CC_REVERSE:
    case IDC_CC_FINISH:
        ClickRecordOption(dialog, id);
        return TRUE;
    case IDC_CC_X_ABSOLUTE:
    case IDC_CC_Y_ABSOLUTE:
        ApplyPendingEdits(dialog);
        RefreshFields(dialog);
        return TRUE;
    default:
        if (code == EN_CHANGE && !g_cc.refreshing && GetFocus() == control) g_cc.pending |= PendingBitOf(id);
        return FALSE;
    }
}

void PaintRaisedFrame(HWND dialog)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    RECT r;
    GetClientRect(dialog, &r);
    HPEN white = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    HPEN grey = CreatePen(PS_SOLID, 1, RGB(128, 128, 128));
    HGDIOBJ old = SelectObject(dc, white);
    MoveToEx(dc, r.left, r.bottom - 1, nullptr);
    LineTo(dc, r.left, r.top);
    LineTo(dc, r.right - 1, r.top);
    SelectObject(dc, grey);
    LineTo(dc, r.right - 1, r.bottom - 1);
    LineTo(dc, r.left, r.bottom - 1);
    SelectObject(dc, old);
    DeleteObject(white);
    DeleteObject(grey);
    EndPaint(dialog, &paint);
}

}  // namespace

void StopControlCenterRunning(HWND dialog)
{
    if (dialog) StopRunning(dialog);
}

int ObservedObject() { return g_cc.object; }

INT_PTR CALLBACK ControlCenterDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog);
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID == IDC_CC_PAD) DrawPad(dialog, item);
        else if (item->CtlID >= IDC_CC_STEP_ONE && item->CtlID <= IDC_CC_RESTART) DrawTransport(dialog, item);
        else DrawPicker(dialog, item);
        return TRUE;
    }
    case WM_HSCROLL:
        if (lParam) ScrollDelay(dialog, reinterpret_cast<HWND>(lParam), LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
        return TRUE;
    case WM_TIMER:
        if (wParam == CC_TIMER_ID) OnTimer(dialog);
        return TRUE;
    case CONTROLCENTER_REFRESH:
        if (wParam == 1 && TransportsOffered()) DisplayStep(dialog);
        else RefreshFields(dialog);
        return TRUE;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            if (g_appState.animationWindow) PostMessageA(g_appState.animationWindow, ANIMWND_CLOSE_CONTROL_CENTER, 0, 0);
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        return FALSE;
    case WM_PAINT:
        PaintRaisedFrame(dialog);
        return TRUE;
    case WM_DESTROY:
        OnDestroy(dialog);
        return FALSE;
    case DLG_PAINT_ICON:
        return TRUE;
    default:
        return DefaultCtlColor(message);
    }
}
