// "Define Animation Path" (1045): the path canvas with its tool strip, the
// fields of the current node, storing the nodes as the object's step list,
// and the test run of the path being drawn.
#include "ComposeCommon.h"
#include "ComposeDialogs.h"
#include "DialogUtilities.h"
#include "DocumentModel.h"
#include "PackedDib.h"
#include "PathDialogResources.h"
#include "PathEditor.h"
#include "ResultCodes.h"
#include "WindowDialogs.h"
#include "resource.h"
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr int STRIP_HEIGHT = ICON_SIZE * PATH_MODE_COUNT;
constexpr uint8_t NODE_FIX_FRAME = STEP_FIX_FRAME;
constexpr uint8_t NODE_WAIT = STEP_WAIT;

struct PathDialogState {
    PathDialogParams* params = nullptr;
    int object = -1;
    bool hadSteps = false;
    bool forInsertion = false;
    bool fieldsDirty = false;  // the node fields were edited since they were shown
    bool showing = false;      // the fields are being filled (their notices are not edits)
    SIZE minimumSize{};
    HBITMAP strip = nullptr;   // bitmap 929
};

PathDialogState* State(HWND dialog) { return reinterpret_cast<PathDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER)); }
HWND Canvas(HWND dialog) { return GetDlgItem(dialog, IDC_PATH_CANVAS); }
PathCanvas* CanvasState(HWND dialog) { return PathCanvasOf(Canvas(dialog)); }

// ---- the fields of the current node ------------------------------------------------

void UpdateStartLabel(HWND dialog) { ShowStartObjectsLabel(dialog, IDC_PATH_START_LIST, IDC_PATH_START_LABEL); }

void ShowNode(HWND dialog)
{
    PathDialogState* state = State(dialog);
    PathCanvas* canvas = CanvasState(dialog);
    if (!state || !canvas) return;
    state->showing = true;
    const int count = static_cast<int>(canvas->nodes.size());
    const PathNode* node = CurrentPathNode(canvas);
    for (int id : {IDC_PATH_NODE_SCROLL, IDC_PATH_FRAME_SCROLL, IDC_PATH_SOUND, IDC_PATH_OPTIONS, IDC_PATH_DELAY,
                   IDC_PATH_DELAY_SPIN, IDC_PATH_FIX_FRAME, IDC_PATH_WAIT, IDC_PATH_START_LIST, IDC_PATH_ASSIGN_FRAMES})
        EnableWindow(GetDlgItem(dialog, id), node != nullptr);
    SetDlgItemInt(dialog, IDC_PATH_NODE_COUNT, count, FALSE);
    if (node) {
        SetDlgItemInt(dialog, IDC_PATH_NODE_NUMBER, canvas->current + 1, FALSE);
        SetScrollRange(GetDlgItem(dialog, IDC_PATH_NODE_SCROLL), SB_CTL, 0, std::max(0, count - 1), FALSE);
        SetScrollPos(GetDlgItem(dialog, IDC_PATH_NODE_SCROLL), SB_CTL, canvas->current, TRUE);
        SetScrollRange(GetDlgItem(dialog, IDC_PATH_FRAME_SCROLL), SB_CTL, 0, std::max(0, canvas->frameCount - 1), FALSE);
        SetScrollPos(GetDlgItem(dialog, IDC_PATH_FRAME_SCROLL), SB_CTL, node->frame, TRUE);
        SetDlgItemInt(dialog, IDC_PATH_DELAY, node->delay, FALSE);
        CheckDlgButton(dialog, IDC_PATH_FIX_FRAME, (node->flags & NODE_FIX_FRAME) ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_PATH_WAIT, (node->flags & NODE_WAIT) ? BST_CHECKED : BST_UNCHECKED);
        const uint32_t mask = uint32_t{node->startMaskHigh} << 16 | node->startMaskLow;
        const int objects = static_cast<int>(SendDlgItemMessageA(dialog, IDC_PATH_START_LIST, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < objects && i < 32; ++i)
            SendDlgItemMessageA(dialog, IDC_PATH_START_LIST, LB_SETSEL, (mask >> i) & 1, i);
    } else {
        SetDlgItemTextA(dialog, IDC_PATH_NODE_NUMBER, "");
        SetDlgItemTextA(dialog, IDC_PATH_DELAY, "");
    }
    UpdateStartLabel(dialog);
    InvalidateRect(GetDlgItem(dialog, IDC_PATH_FRAME), nullptr, FALSE);
    InvalidateRect(GetDlgItem(dialog, IDC_PATH_TOOLS), nullptr, FALSE);
    state->showing = false;
    state->fieldsDirty = false;
}

// Edited fields go to the current node: the delay and the flags to every
// node of the group as well, the start mask to the current node only.
void StoreFields(HWND dialog)
{
    PathDialogState* state = State(dialog);
    PathCanvas* canvas = CanvasState(dialog);
    PathNode* node = CurrentPathNode(canvas);
    if (!state || !node || !state->fieldsDirty) return;
    state->fieldsDirty = false;
    int delay = node->delay;
    char text[16];
    GetDlgItemTextA(dialog, IDC_PATH_DELAY, text, sizeof text);
    if (!ParseFieldNumber(text, false, &delay)) delay = node->delay;
    delay = std::clamp(delay, 0, 255);  // larger values are stored as 255
    uint8_t flags = 0;
    if (IsDlgButtonChecked(dialog, IDC_PATH_FIX_FRAME) == BST_CHECKED) flags |= NODE_FIX_FRAME;
    if (IsDlgButtonChecked(dialog, IDC_PATH_WAIT) == BST_CHECKED) flags |= NODE_WAIT;
    for (PathNode& each : canvas->nodes) {
        if (&each != node && !each.selected) continue;
        each.delay = static_cast<uint8_t>(delay);
        each.flags = flags;
    }
    uint32_t mask = 0;
    const int objects = static_cast<int>(SendDlgItemMessageA(dialog, IDC_PATH_START_LIST, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < objects && i < 32; ++i)
        if (SendDlgItemMessageA(dialog, IDC_PATH_START_LIST, LB_GETSEL, i, 0) > 0) mask |= 1u << i;
    node->startMaskHigh = static_cast<uint16_t>(mask >> 16);
    node->startMaskLow = static_cast<uint16_t>(mask);
    canvas->modified = true;
}

void FieldEdited(HWND dialog)
{
    PathDialogState* state = State(dialog);
    if (state && !state->showing) state->fieldsDirty = true;
}

void ScrollFrame(HWND dialog, int code, int thumb)
{
    PathCanvas* canvas = CanvasState(dialog);
    PathNode* node = CurrentPathNode(canvas);
    if (!node || canvas->frameCount <= 0) return;
    const int last = canvas->frameCount - 1;
    const int page = canvas->frameCount > 2 ? canvas->frameCount / 4 : 2;
    int frame = node->frame;
    switch (code) {
    case SB_LINELEFT: --frame; break;
    case SB_LINERIGHT: ++frame; break;
    case SB_PAGELEFT: frame -= page; break;
    case SB_PAGERIGHT: frame += page; break;
    case SB_LEFT: frame = 0; break;
    case SB_RIGHT: frame = last; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: frame = thumb; break;
    default: return;
    }
    frame = std::clamp(frame, 0, last);
    if (frame == node->frame) return;
    node->frame = frame;
    canvas->modified = true;
    SetScrollPos(GetDlgItem(dialog, IDC_PATH_FRAME_SCROLL), SB_CTL, frame, TRUE);
    InvalidateRect(GetDlgItem(dialog, IDC_PATH_FRAME), nullptr, FALSE);
    InvalidateRect(Canvas(dialog), nullptr, FALSE);
}

// The frame picker: the node's frame scaled down with its aspect kept,
// centred on light grey inside a raised edge; a cross without a frame.
void DrawFramePicker(HWND dialog, const DRAWITEMSTRUCT* item)
{
    RECT r = item->rcItem;
    HBRUSH grey = CreateSolidBrush(RGB(208, 208, 208));
    FillRect(item->hDC, &r, grey);
    DeleteObject(grey);
    DrawEdge(item->hDC, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    InflateRect(&r, -2, -2);
    const PathNode* node = CurrentPathNode(CanvasState(dialog));
    const int frame = node ? node->frame : -1;
    HBITMAP bitmap = frame >= 0 && frame < g_appState.frameCount ? g_appState.frameBitmaps[frame] : nullptr;
    const int fw = g_appState.frameWidth, fh = g_appState.frameHeight;
    HDC source = bitmap && fw > 0 && fh > 0 ? CreateCompatibleDC(item->hDC) : nullptr;
    HGDIOBJ old = source ? SelectObject(source, bitmap) : nullptr;
    if (!old) {
        MoveToEx(item->hDC, r.left, r.top, nullptr);
        LineTo(item->hDC, r.right, r.bottom);
        MoveToEx(item->hDC, r.right - 1, r.top, nullptr);
        LineTo(item->hDC, r.left - 1, r.bottom);
    } else {
        int width = fw, height = fh;
        if (width > r.right - r.left || height > r.bottom - r.top) {
            // Scaled down: the longer side fills the room.
            if (fw * (r.bottom - r.top) >= fh * (r.right - r.left)) {
                width = r.right - r.left;
                height = std::max(1, fh * width / fw);
            } else {
                height = r.bottom - r.top;
                width = std::max(1, fw * height / fh);
            }
        }
        const int x = (r.left + r.right - width) / 2, y = (r.top + r.bottom - height) / 2;
        SetStretchBltMode(item->hDC, COLORONCOLOR);
        StretchBlt(item->hDC, x, y, width, height, source, 0, 0, fw, fh, SRCCOPY);
        SelectObject(source, old);
    }
    if (source) DeleteDC(source);
}

// ---- the tool strip --------------------------------------------------------------------

int CanvasMode(HWND dialog)
{
    const PathCanvas* canvas = CanvasState(dialog);
    return canvas ? canvas->mode : PATH_SELECT;
}

// The mode an icon chooses: with no nodes only adding makes sense.
int PressedMode(HWND dialog, int icon)
{
    const PathCanvas* canvas = CanvasState(dialog);
    return canvas && canvas->nodes.empty() ? PATH_ADD : icon;
}

void DrawStrip(HWND dialog, const DRAWITEMSTRUCT* item)
{
    PathDialogState* state = State(dialog);
    if (!state) return;
    int chosen = CanvasMode(dialog);
    if (item->itemState & ODS_SELECTED) {
        const int pressed = PressedIcon(item->hwndItem);
        if (pressed >= 0 && pressed < PATH_MODE_COUNT) chosen = PressedMode(dialog, pressed);
    }
    DrawIconStrip(item->hDC, state->strip, 0, PATH_MODE_COUNT, chosen);
}

// ---- the test run ------------------------------------------------------------------

// Runs the test-run window on the path as drawn: the object's record and
// blocks are put back when that window is gone.
void TestRun(HWND dialog)
{
    PathDialogState* state = State(dialog);
    PathCanvas* canvas = CanvasState(dialog);
    if (!g_appState.hooks.showAnimationWindow || !canvas || g_appState.animationWindow) {
        MessageBeep(MB_OK);
        return;
    }
    StoreFields(dialog);
    ObjectRecord& record = g_document.objectTable[state->object];
    HGLOBAL* handles = g_document.objectMemoryHandles[state->object];
    const ObjectRecord savedRecord = record;
    HGLOBAL savedHandles[3] = {handles[0], handles[1], handles[2]};
    HGLOBAL temporary = nullptr;
    if (!canvas->nodes.empty()) {
        const std::vector<ObjectStep> steps =
            StorePathNodes(canvas->nodes, canvas->options, canvas->forInsertion, canvas->geometry, &record);
        temporary = AllocateStepBlock(static_cast<int>(steps.size()));
        if (!temporary) {
            record = savedRecord;
            ShowErrorMessage(RESULT_OUT_OF_MEMORY);
            return;
        }
        {
            GlobalLockGuard<ObjectStep> out(temporary);
            std::copy(steps.begin(), steps.end(), out.get());
        }
        handles[0] = temporary;
        record.objectFlags |= OBJ_STEP_LIST;
        record.stepCount = static_cast<int32_t>(steps.size());
    }
    EnableWindow(dialog, FALSE);
    g_appState.hooks.showAnimationWindow(g_appState.mainWindow, GetKeyState(VK_CONTROL) < 0 ? 1 : 0);
    // The dialog waits, pumping messages, until the test-run window is gone.
    MSG message;
    while (g_appState.animationWindow && IsWindow(g_appState.animationWindow)) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got <= 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (g_appState.controlCenterDialog && IsDialogMessageA(g_appState.controlCenterDialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    EnableWindow(dialog, TRUE);
    SetActiveWindow(dialog);
    record = savedRecord;
    for (int i = 0; i < 3; ++i) handles[i] = savedHandles[i];
    if (temporary) GlobalFree(temporary);
}

void StripClicked(HWND dialog)
{
    const int icon = TakePressedIcon(GetDlgItem(dialog, IDC_PATH_TOOLS));
    if (icon < 0 || icon >= PATH_MODE_COUNT) return;
    const int mode = PressedMode(dialog, icon);
    if (mode == PATH_TEST_RUN) TestRun(dialog);
    else SendMessageA(Canvas(dialog), PATHCANVAS_COMMAND, mode, 0);
    InvalidateRect(GetDlgItem(dialog, IDC_PATH_TOOLS), nullptr, FALSE);
}

// ---- small dialogs opened from here ------------------------------------------------

void ChooseNodeSound(HWND dialog)
{
    StoreFields(dialog);
    PathNode* node = CurrentPathNode(CanvasState(dialog));
    if (!node) return;
    ObjectStep step{};
    step.soundIndex = node->sound;
    if (RunDialog(IDD_SELECT_SOUND, dialog, reinterpret_cast<LPARAM>(&step)) != 1) return;
    node = CurrentPathNode(CanvasState(dialog));
    if (!node) return;
    node->sound = step.soundIndex;
    CanvasState(dialog)->modified = true;
}

void RenumberNodeSounds(HWND dialog, int deleted, int oldCount)
{
    if (PathCanvas* canvas = CanvasState(dialog))
        for (PathNode& node : canvas->nodes) node.sound = RenumberSoundIndex(node.sound, deleted, oldCount);
}

void OpenOptions(HWND dialog)
{
    StoreFields(dialog);
    PathCanvas* canvas = CanvasState(dialog);
    if (canvas && RunDialog(IDD_PATH_OPTIONS, dialog, reinterpret_cast<LPARAM>(&canvas->options)) == 1)
        canvas->modified = true;
}

void AssignFrames(HWND dialog)
{
    StoreFields(dialog);
    PathCanvas* canvas = CanvasState(dialog);
    if (!canvas || canvas->nodes.empty() || canvas->frameCount <= 1) {
        MessageBeep(MB_OK);
        return;
    }
    FrameAssignment assignment{};
    assignment.selectedOnly = HasGroup(canvas->nodes);
    if (RunDialog(IDD_ASSIGN_FRAMES, dialog, reinterpret_cast<LPARAM>(&assignment)) != 1) return;
    AssignPathFrames(&canvas->nodes, assignment);
    canvas->modified = true;
    ShowNode(dialog);
    InvalidateRect(Canvas(dialog), nullptr, FALSE);
}

// ---- opening and closing --------------------------------------------------------------

void LayOutCanvas(HWND dialog)
{
    HWND canvas = Canvas(dialog);
    RECT client, place;
    GetClientRect(dialog, &client);
    GetWindowRect(canvas, &place);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    MoveWindow(canvas, place.left, place.top, std::max(1L, client.right - place.left),
               std::max(1L, client.bottom - place.top), TRUE);
}

bool InitPathDialog(HWND dialog, PathDialogParams* params)
{
    auto* state = new PathDialogState;
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    state->params = params;
    state->object = g_document.currentObject;
    if (!params || state->object < 0 || state->object >= g_document.objectCount) return false;
    state->forInsertion = params->count < 0;
    state->hadSteps = params->count > 0;
    RECT window;
    GetWindowRect(dialog, &window);
    state->minimumSize = {window.right - window.left, window.bottom - window.top};
    state->strip = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_PATH_TOOLS));

    const int count = state->forInsertion ? 0 : UsableStepCount(params->block, params->count);
    if (count > MAX_PATH_NODES) {
        ShowStringMessage(dialog, IDS_PATH_TOO_LONG, nullptr, MB_OK | MB_ICONSTOP);
        return false;
    }
    HWND canvas = Canvas(dialog);
    SetWindowLongPtrA(canvas, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PathCanvasProc));
    bool created;
    {
        GlobalLockGuard<ObjectStep> steps(count > 0 ? params->block : nullptr);
        const PathCanvasStart start{&g_document.objectTable[state->object], steps.get(), count, state->forInsertion};
        created = SendMessageA(canvas, PATHCANVAS_CREATE, 0, reinterpret_cast<LPARAM>(&start)) != 0;
    }
    if (!created) {
        ShowErrorMessage(RESULT_OUT_OF_MEMORY);
        return false;
    }
    HWND strip = GetDlgItem(dialog, IDC_PATH_TOOLS);
    SetWindowPos(strip, nullptr, 0, 0, ICON_SIZE, STRIP_HEIGHT, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    MakeIconStrip(strip);
    FillObjectList(dialog, IDC_PATH_START_LIST, LB_ADDSTRING);
    SendDlgItemMessageA(dialog, IDC_PATH_DELAY, EM_LIMITTEXT, 5, 0);
    LayOutCanvas(dialog);
    ShowNode(dialog);
    CenterWindow(dialog);
    return true;
}

// Stores the nodes into the caller's block and settles the object's flags.
void FinishPath(HWND dialog)
{
    PathDialogState* state = State(dialog);
    PathCanvas* canvas = CanvasState(dialog);
    StoreFields(dialog);
    ObjectRecord& record = g_document.objectTable[state->object];
    const std::vector<ObjectStep> steps =
        StorePathNodes(canvas->nodes, canvas->options, state->forInsertion, canvas->geometry, &record);
    const int count = static_cast<int>(steps.size());
    const SIZE_T bytes = sizeof(ObjectStep) * std::max(1, count);
    HGLOBAL block = state->params->block ? GlobalReAlloc(state->params->block, bytes, GMEM_MOVEABLE | GMEM_ZEROINIT)
                                         : AllocateStepBlock(std::max(1, count));
    if (!block) {
        // Nothing was stored: the caller keeps its list (-1, not 0, which
        // would free it).
        ShowErrorMessage(RESULT_OUT_OF_MEMORY);
        EndDialog(dialog, -1);
        return;
    }
    state->params->block = block;
    {
        GlobalLockGuard<ObjectStep> out(block);
        memset(out.get(), 0, bytes);
        std::copy(steps.begin(), steps.end(), out.get());
    }
    if (!state->forInsertion) {
        int bit = 0;
        if (count > 0) bit = state->hadSteps ? ChooseCycleOrSequence(dialog, state->object, 1) : 1;
        record.objectFlags = static_cast<uint8_t>((record.objectFlags & ~OBJ_STEP_LIST) | (bit ? OBJ_STEP_LIST : 0));
        record.objectFlags |= OBJ_PATH;
    }
    MarkAnimationModified();
    EndDialog(dialog, count);
}

BOOL OnCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case IDOK:
        // Enter in the delay field only stores it.
        if (GetFocus() == GetDlgItem(dialog, IDC_PATH_DELAY)) {
            StoreFields(dialog);
            ShowNode(dialog);
            return TRUE;
        }
        FinishPath(dialog);
        return TRUE;
    case IDCANCEL: EndDialog(dialog, -1); return TRUE;
    case IDC_PATH_TOOLS:
        if (code == BN_CLICKED) StripClicked(dialog);
        return TRUE;
    case IDC_PATH_DELAY:
        if (code == EN_CHANGE) FieldEdited(dialog);
        if (code == EN_KILLFOCUS) StoreFields(dialog);
        return TRUE;
    case IDC_PATH_FIX_FRAME:
    case IDC_PATH_WAIT:
        FieldEdited(dialog);
        StoreFields(dialog);
        return TRUE;
    case IDC_PATH_START_LIST:
        if (code == LBN_SELCHANGE) {
            FieldEdited(dialog);
            StoreFields(dialog);
            UpdateStartLabel(dialog);
        }
        return TRUE;
    case IDC_PATH_SOUND: ChooseNodeSound(dialog); return TRUE;
    case IDC_PATH_OPTIONS: OpenOptions(dialog); return TRUE;
    case IDC_PATH_ASSIGN_FRAMES: AssignFrames(dialog); return TRUE;
    default: return FALSE;
    }
}

void OnScroll(HWND dialog, HWND bar, int code, int thumb)
{
    switch (GetDlgCtrlID(bar)) {
    case IDC_PATH_NODE_SCROLL: {
        const int step = code == SB_LINELEFT || code == SB_PAGELEFT ? -1 : code == SB_LINERIGHT || code == SB_PAGERIGHT ? 1 : 0;
        if (step) SendMessageA(Canvas(dialog), PATHCANVAS_STEP_NODE, static_cast<WPARAM>(step), 0);
        break;
    }
    case IDC_PATH_FRAME_SCROLL: ScrollFrame(dialog, code, thumb); break;
    case IDC_PATH_DELAY_SPIN:
        if (SpinDlgItemInt(dialog, IDC_PATH_DELAY, code, 0, 255) >= 0) {
            FieldEdited(dialog);
            StoreFields(dialog);
        }
        break;
    default: break;
    }
}

}  // namespace

INT_PTR CALLBACK AnimationPathDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        if (!InitPathDialog(dialog, reinterpret_cast<PathDialogParams*>(lParam))) EndDialog(dialog, -1);
        return TRUE;
    case WM_COMMAND: return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (lParam) OnScroll(dialog, reinterpret_cast<HWND>(lParam), LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
        return TRUE;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID == IDC_PATH_TOOLS) DrawStrip(dialog, item);
        else if (item->CtlID == IDC_PATH_FRAME) DrawFramePicker(dialog, item);
        return TRUE;
    }
    case PATHDLG_STORE_FIELDS: StoreFields(dialog); return TRUE;
    case PATHDLG_SHOW_NODE: ShowNode(dialog); return TRUE;
    case COMPOSE_SOUND_DELETED: RenumberNodeSounds(dialog, static_cast<int>(wParam), static_cast<int>(lParam)); return TRUE;
    case WM_SIZE:
        if (State(dialog) && CanvasState(dialog)) LayOutCanvas(dialog);
        return TRUE;
    case WM_GETMINMAXINFO:
        if (PathDialogState* state = State(dialog)) {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            if (state->minimumSize.cx) info->ptMinTrackSize = {state->minimumSize.cx, state->minimumSize.cy};
            info->ptMaxTrackSize = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        }
        return TRUE;
    case WM_DESTROY:
        if (PathDialogState* state = State(dialog)) {
            if (state->strip) DeleteObject(state->strip);
            delete state;
            SetWindowLongPtrA(dialog, DWLP_USER, 0);
        }
        return FALSE;
    default: return DefaultCtlColor(message);
    }
}
