// The dialogs of an animated-cursor document: "Define Cursor animation",
// which edits the cycle (steps, frames, rates), the title, the author and
// the frames' hotspots and previews the cycle; and "Change Cursor Format",
// which asks for a new frame size and colour count.
#include "AniCursor.h"
#include "ConvLibrary.h"
#include "ConvResource.h"
#include "FramePicture.h"
#include "ReelStrip.h"
#include <cstring>
#include <vector>

namespace {

constexpr int VIEW_FACE_WIDTH = 100, VIEW_FACE_HEIGHT = 17;
constexpr int PLAY_FACE_SIZE = 24;
constexpr int MAX_RATE = 255;
constexpr int MAX_HOTSPOT = 127;
constexpr int MIN_FORMAT_SIDE = 8;

// The preview's background, kept while the library is loaded.
COLORREF g_previewBackground = RGB(128, 128, 255);

struct DefineState {
    AniSettings* s;
    AniSettings copy;  // the block as it was, for Cancel
    ConvHostProc host;
    std::vector<uint32_t> hotspots;  // y << 16 | x of each frame
    int frames;
    int frameWidth, frameHeight;
    HPALETTE palette;
    int step;         // the selected step, -1 without steps
    bool cyclePage;
    bool running;
    bool filling;     // the dialog writes its fields: their changes are not edits
    HBITMAP views, play;
};

DefineState* StateOf(HWND dialog) { return reinterpret_cast<DefineState*>(GetWindowLongPtrA(dialog, DWLP_USER)); }
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void Enable(HWND dialog, int id, bool on) { EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE); }
LRESULT Send(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return SendDlgItemMessageA(dialog, id, message, wParam, lParam);
}

bool FieldNumber(HWND dialog, int id, int* value)
{
    BOOL ok = FALSE;
    *value = static_cast<int>(GetDlgItemInt(dialog, id, &ok, TRUE));
    return ok != FALSE;
}

int Steps(const DefineState* st) { return static_cast<int>(st->s->stepCount); }
int FrameOfStep(const DefineState* st, int step)
{
    const int frame = static_cast<int>(st->s->seq[step]);
    return frame < st->frames ? frame : st->frames - 1;
}

int FramesUsed(const DefineState* st)
{
    std::vector<bool> used(st->frames > 0 ? st->frames : 1, false);
    int count = 0;
    for (int i = 0; i < Steps(st); ++i) {
        const int frame = FrameOfStep(st, i);
        if (frame >= 0 && !used[frame]) {
            used[frame] = true;
            ++count;
        }
    }
    return count;
}

void SetFieldNumber(HWND dialog, DefineState* st, int id, int value)
{
    st->filling = true;
    SetDlgItemInt(dialog, id, static_cast<UINT>(value), TRUE);
    st->filling = false;
}

void ShowCounters(HWND dialog, DefineState* st)
{
    SetDlgItemInt(dialog, IDC_ANI_FRAME_COUNT, st->frames, FALSE);
    SetDlgItemInt(dialog, IDC_ANI_FRAMES_USED, FramesUsed(st), FALSE);
    SetDlgItemInt(dialog, IDC_ANI_STEP_COUNT, Steps(st), FALSE);
    Enable(dialog, IDOK, Steps(st) > 0);
    // New steps are offered only while the list stays below 256 entries.
    int adding = static_cast<int>(Send(dialog, IDC_ANI_FRAME_STRIP, AVIREEL_GET_SELECTED_COUNT));
    if (adding == 0) adding = 1;
    const bool room = Steps(st) + adding < ANI_MAX_STEPS && st->frames > 0;
    Enable(dialog, IDC_ANI_ADD, room);
    Enable(dialog, IDC_ANI_INSERT, room && st->step >= 0);
    Enable(dialog, IDC_ANI_REPLACE, room && st->step >= 0);
}

void RepaintPreview(HWND dialog) { InvalidateRect(GetDlgItem(dialog, IDC_ANI_PREVIEW), nullptr, FALSE); }

// Shows step `step` in the strip and the fields.
void ShowStep(HWND dialog, DefineState* st, int step)
{
    st->step = Steps(st) > 0 ? (step < 0 ? 0 : step >= Steps(st) ? Steps(st) - 1 : step) : -1;
    Send(dialog, IDC_ANI_STEP_STRIP, AVIREEL_SET_CURRENT, static_cast<WPARAM>(st->step), 0);
    if (st->step < 0) {
        SetDlgItemTextA(dialog, IDC_ANI_POSITION, "");
        SetDlgItemTextA(dialog, IDC_ANI_FRAME, "");
        RepaintPreview(dialog);
        return;
    }
    const int frame = FrameOfStep(st, st->step);
    SetDlgItemInt(dialog, IDC_ANI_POSITION, st->step + 1, FALSE);
    SetDlgItemInt(dialog, IDC_ANI_FRAME, frame + 1, FALSE);
    SetFieldNumber(dialog, st, IDC_ANI_SPEED, static_cast<int>(st->s->rate[st->step]));
    const uint32_t hotspot = frame >= 0 ? st->hotspots[frame] : 0;
    SetFieldNumber(dialog, st, IDC_ANI_HOTSPOT_X, static_cast<int>(hotspot & 0xFFFF));
    SetFieldNumber(dialog, st, IDC_ANI_HOTSPOT_Y, static_cast<int>(hotspot >> 16));
    RepaintPreview(dialog);
}

// Moving to another step needs numbers in the step's fields.
bool FieldsHoldNumbers(HWND dialog)
{
    int value;
    return FieldNumber(dialog, IDC_ANI_SPEED, &value) && FieldNumber(dialog, IDC_ANI_HOTSPOT_X, &value) &&
           FieldNumber(dialog, IDC_ANI_HOTSPOT_Y, &value);
}

void MoveToStep(HWND dialog, DefineState* st, int step)
{
    if (st->step >= 0 && !FieldsHoldNumbers(dialog)) {
        MessageBeep(MB_OK);
        Send(dialog, IDC_ANI_STEP_STRIP, AVIREEL_SET_CURRENT, static_cast<WPARAM>(st->step), 0);
        return;
    }
    ShowStep(dialog, st, step);
}

void RefillStepStrip(HWND dialog, DefineState* st)
{
    Send(dialog, IDC_ANI_STEP_STRIP, AVIREEL_SET_ITEMS, static_cast<WPARAM>(Steps(st)),
         MAKELPARAM(st->frameWidth, st->frameHeight));
    ShowStep(dialog, st, st->step);
    ShowCounters(dialog, st);
}

void ShowPage(HWND dialog, DefineState* st, bool cycle)
{
    st->cyclePage = cycle;
    static const int framePage[] = {IDC_ANI_FRAME_STRIP, IDC_ANI_ADD, IDC_ANI_INSERT, IDC_ANI_REPLACE,
                                    IDC_ANI_DELETE, IDC_ANI_DELETE_ALL};
    for (int id : framePage) ShowWindow(GetDlgItem(dialog, id), cycle ? SW_HIDE : SW_SHOW);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        // The cycle page's controls, labels and group boxes included, lie below the view buttons.
        RECT box;
        GetWindowRect(child, &box);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
        RECT viewButton;
        GetWindowRect(GetDlgItem(dialog, IDC_ANI_VIEW_SEQUENCE), &viewButton);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&viewButton), 2);
        const bool onPages = box.top > viewButton.bottom && id != IDOK && id != IDCANCEL;
        const bool framePageControl = id >= IDC_ANI_FRAME_STRIP && id <= IDC_ANI_DELETE_ALL;
        if (onPages && !framePageControl) ShowWindow(child, cycle ? SW_SHOW : SW_HIDE);
    }
    InvalidateRect(GetDlgItem(dialog, IDC_ANI_VIEW_SEQUENCE), nullptr, FALSE);
    InvalidateRect(GetDlgItem(dialog, IDC_ANI_VIEW_CYCLE), nullptr, FALSE);
}

void StartPreview(HWND dialog, DefineState* st)
{
    if (st->step < 0) return;
    const int rate = static_cast<int>(st->s->rate[st->step]);
    SetTimer(dialog, ANI_PREVIEW_TIMER, static_cast<UINT>(16 * rate > 10 ? 16 * rate : 10), nullptr);
    st->running = true;
    InvalidateRect(GetDlgItem(dialog, IDC_ANI_PLAY), nullptr, FALSE);
    InvalidateRect(GetDlgItem(dialog, IDC_ANI_STOP), nullptr, FALSE);
}

void StopPreview(HWND dialog, DefineState* st)
{
    KillTimer(dialog, ANI_PREVIEW_TIMER);
    st->running = false;
    InvalidateRect(GetDlgItem(dialog, IDC_ANI_PLAY), nullptr, FALSE);
    InvalidateRect(GetDlgItem(dialog, IDC_ANI_STOP), nullptr, FALSE);
}

void Tick(HWND dialog, DefineState* st)
{
    if (Steps(st) == 0) {
        StopPreview(dialog, st);
        return;
    }
    ShowStep(dialog, st, st->step + 1 < Steps(st) ? st->step + 1 : 0);
    StartPreview(dialog, st);
}

// The frames new steps take: the selected frames in order, else the current one.
std::vector<int> FramesToAdd(HWND dialog, const DefineState* st)
{
    std::vector<int> frames;
    for (int i = 0; i < st->frames; ++i)
        if (Send(dialog, IDC_ANI_FRAME_STRIP, AVIREEL_IS_SELECTED, static_cast<WPARAM>(i))) frames.push_back(i);
    if (frames.empty()) {
        const int current = static_cast<int>(Send(dialog, IDC_ANI_FRAME_STRIP, AVIREEL_GET_CURRENT));
        if (current >= 0) frames.push_back(current);
    }
    return frames;
}

enum class StepEdit { Add, Insert, Replace };

void EditSteps(HWND dialog, DefineState* st, StepEdit edit)
{
    AniSettings* s = st->s;
    const std::vector<int> frames = FramesToAdd(dialog, st);
    if (frames.empty() || (edit != StepEdit::Add && st->step < 0)) return;
    const uint32_t rate = st->step >= 0 ? s->rate[st->step] : s->defaultRate;
    int at = edit == StepEdit::Add ? Steps(st) : st->step;
    if (edit == StepEdit::Replace) {
        memmove(s->seq + at, s->seq + at + 1, (ANI_MAX_STEPS - at - 1) * 4);
        memmove(s->rate + at, s->rate + at + 1, (ANI_MAX_STEPS - at - 1) * 4);
        --s->stepCount;
    }
    int last = -1;
    for (int frame : frames) {
        if (Steps(st) >= ANI_MAX_STEPS) break;
        memmove(s->seq + at + 1, s->seq + at, (ANI_MAX_STEPS - at - 1) * 4);
        memmove(s->rate + at + 1, s->rate + at, (ANI_MAX_STEPS - at - 1) * 4);
        s->seq[at] = static_cast<uint32_t>(frame);
        s->rate[at] = rate;
        ++s->stepCount;
        last = at++;
    }
    st->step = last;
    // Repeated clicks add the frames one after another.
    if (frames.size() == 1) {
        const int next = frames[0] + 1 < st->frames ? frames[0] + 1 : 0;
        Send(dialog, IDC_ANI_FRAME_STRIP, AVIREEL_SET_SELECTION, 0, MAKELPARAM(0, st->frames - 1));
        Send(dialog, IDC_ANI_FRAME_STRIP, AVIREEL_SET_CURRENT, static_cast<WPARAM>(next), 0);
    }
    RefillStepStrip(dialog, st);
}

void DeleteStep(HWND dialog, DefineState* st, bool all)
{
    AniSettings* s = st->s;
    if (all) {
        s->stepCount = 0;
    } else {
        if (st->step < 0) {
            MessageBeep(MB_OK);
            return;
        }
        memmove(s->seq + st->step, s->seq + st->step + 1, (ANI_MAX_STEPS - st->step - 1) * 4);
        memmove(s->rate + st->step, s->rate + st->step + 1, (ANI_MAX_STEPS - st->step - 1) * 4);
        --s->stepCount;
    }
    if (Steps(st) == 0) StopPreview(dialog, st);
    RefillStepStrip(dialog, st);
}

// Frame strip clicks: Shift toggles, Ctrl spreads the clicked frame's new state.
void ClickFrame(HWND dialog, DefineState* st, int index)
{
    const int current = static_cast<int>(Send(dialog, IDC_ANI_FRAME_STRIP, AVIREEL_GET_CURRENT));
    const bool shift = GetKeyState(VK_SHIFT) < 0, control = GetKeyState(VK_CONTROL) < 0;
    if (shift || control) {
        const bool state = !Send(dialog, IDC_ANI_FRAME_STRIP, AVIREEL_IS_SELECTED, static_cast<WPARAM>(index));
        int first = index, last = index;
        if (control && current >= 0) {
            first = current < index ? current : index;
            last = current < index ? index : current;
        }
        Send(dialog, IDC_ANI_FRAME_STRIP, AVIREEL_SET_SELECTION, state ? 1 : 0, MAKELPARAM(first, last));
    }
    Send(dialog, IDC_ANI_FRAME_STRIP, AVIREEL_SET_CURRENT, static_cast<WPARAM>(index), 1);
    ShowCounters(dialog, st);
}

void FieldEdited(HWND dialog, DefineState* st, int id)
{
    int value;
    if (st->filling || st->step < 0 || !FieldNumber(dialog, id, &value)) return;
    AniSettings* s = st->s;
    if (id == IDC_ANI_SPEED) {
        const uint32_t rate = static_cast<uint32_t>(value < 0 ? 0 : value);
        if (Checked(dialog, IDC_ANI_SPEED_ALL))
            for (int i = 0; i < Steps(st); ++i) s->rate[i] = rate;
        else
            s->rate[st->step] = rate;
        return;
    }
    const bool isX = id == IDC_ANI_HOTSPOT_X;
    const uint32_t part = static_cast<uint32_t>(value < 0 ? 0 : value) & 0xFFFF;
    auto apply = [&](uint32_t& h) { h = isX ? (h & 0xFFFF0000u) | part : (h & 0xFFFFu) | part << 16; };
    if (Checked(dialog, IDC_ANI_HOTSPOT_COMMON))
        for (uint32_t& h : st->hotspots) apply(h);
    else if (FrameOfStep(st, st->step) >= 0)
        apply(st->hotspots[FrameOfStep(st, st->step)]);
    RepaintPreview(dialog);
}

// ---- drawing -------------------------------------------------------------------------------------

void DrawFace(const DRAWITEMSTRUCT* d, HBITMAP faces, int piece, int width, int height, bool pressed)
{
    FillRect(d->hDC, &d->rcItem, GetSysColorBrush(COLOR_BTNFACE));
    HDC memory = CreateCompatibleDC(d->hDC);
    HGDIOBJ old = faces ? SelectObject(memory, faces) : nullptr;
    const int offset = pressed ? 1 : 0;
    if (faces)
        StretchBlt(d->hDC, d->rcItem.left + offset, d->rcItem.top + offset, d->rcItem.right - d->rcItem.left,
                   d->rcItem.bottom - d->rcItem.top, memory, piece * width, 0, width, height, SRCCOPY);
    if (old) SelectObject(memory, old);
    DeleteDC(memory);
    RECT edge = d->rcItem;
    DrawEdge(d->hDC, &edge, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
}

void PaintPreview(HWND dialog, DefineState* st, const DRAWITEMSTRUCT* d);

void DrawButton(HWND dialog, DefineState* st, const DRAWITEMSTRUCT* d)
{
    switch (d->CtlID) {
    case IDC_ANI_PREVIEW: PaintPreview(dialog, st, d); break;
    case IDC_ANI_VIEW_SEQUENCE: DrawFace(d, st->views, 0, VIEW_FACE_WIDTH, VIEW_FACE_HEIGHT, !st->cyclePage); break;
    case IDC_ANI_VIEW_CYCLE: DrawFace(d, st->views, 1, VIEW_FACE_WIDTH, VIEW_FACE_HEIGHT, st->cyclePage); break;
    case IDC_ANI_STOP: DrawFace(d, st->play, 0, PLAY_FACE_SIZE, PLAY_FACE_SIZE, !st->running); break;
    case IDC_ANI_PLAY: DrawFace(d, st->play, 1, PLAY_FACE_SIZE, PLAY_FACE_SIZE, st->running); break;
    default: break;
    }
}

// The selected step's frame with its hotspot at the preview's centre.
void PaintPreview(HWND dialog, DefineState* st, const DRAWITEMSTRUCT* d)
{
    const RECT box = d->rcItem;
    HDC dc = d->hDC;
    COLORREF transparent = 0;
    const bool hasTransparent = st->host(CONV_REQ_QUERY, &transparent, CONV_QUERY_TRANSPARENT_COLOR) != 0;
    HBRUSH background = CreateSolidBrush(hasTransparent ? g_previewBackground : RGB(255, 255, 255));
    FillRect(dc, &box, background);
    DeleteObject(background);
    const int cx = box.right / 2, cy = box.bottom / 2;
    if (st->step >= 0 && FrameOfStep(st, st->step) >= 0) {
        const int frame = FrameOfStep(st, st->step);
        const uint32_t hotspot = st->hotspots[frame];
        const int x = cx - static_cast<int>(hotspot & 0xFFFF), y = cy - static_cast<int>(hotspot >> 16);
        const FramePictureCall call{st->host, st->palette, frame, x, y, st->frameWidth, st->frameHeight};
        DrawFramePicture(dc, call, hasTransparent, transparent, g_previewBackground);
    }
    if (Checked(dialog, IDC_ANI_SHOW_HOTSPOT)) {
        // Inverted lines through the hotspot, which lies at the centre.
        const RECT across{0, cy, box.right, cy + 1}, down{cx, 0, cx + 1, box.bottom};
        InvertRect(dc, &across);
        InvertRect(dc, &down);
    }
}

// ---- the dialog ------------------------------------------------------------------------------------

void InitDialog(HWND dialog, DefineState* st)
{
    AniSettings* s = st->s;
    st->frames = static_cast<int>(st->host(CONV_REQ_QUERY, nullptr, CONV_QUERY_FRAME_COUNT));
    if (st->frames < 0) st->frames = 0;
    s->frameCount = static_cast<uint32_t>(st->frames);
    if (s->stepCount > ANI_MAX_STEPS) s->stepCount = ANI_MAX_STEPS;
    if (s->stepCount == 0) {
        const int steps = st->frames < ANI_MAX_STEPS ? st->frames : ANI_MAX_STEPS;
        for (int i = 0; i < steps; ++i) s->seq[i] = static_cast<uint32_t>(i);
        s->stepCount = static_cast<uint32_t>(steps);
    }
    uint32_t size = 0;
    st->host(CONV_REQ_QUERY, &size, CONV_QUERY_FRAME_SIZE);
    st->frameWidth = static_cast<int>(size & 0xFFFF);
    st->frameHeight = static_cast<int>(size >> 16);
    st->hotspots.assign(st->frames > 0 ? st->frames : 0, 0);
    for (int i = 0; i < st->frames; ++i) st->host(CONV_REQ_GET_HOTSPOT, &st->hotspots[i], static_cast<ULONG_PTR>(i));
    st->host(CONV_REQ_GET_PALETTE, &st->palette, 1);
    st->views = LoadBitmapA(ConvModule(), MAKEINTRESOURCEA(IDB_CURSOR_VIEWS));
    st->play = LoadBitmapA(ConvModule(), MAKEINTRESOURCEA(IDB_CURSOR_PLAY));

    Send(dialog, IDC_ANI_TITLE, EM_LIMITTEXT, ANI_TEXT_BYTES - 1);
    Send(dialog, IDC_ANI_AUTHOR, EM_LIMITTEXT, ANI_TEXT_BYTES - 1);
    s->title[ANI_TEXT_BYTES - 1] = s->author[ANI_TEXT_BYTES - 1] = '\0';
    SetDlgItemTextA(dialog, IDC_ANI_TITLE, s->title);
    SetDlgItemTextA(dialog, IDC_ANI_AUTHOR, s->author);
    Send(dialog, IDC_ANI_FRAME_STRIP, AVIREEL_SET_ITEMS, static_cast<WPARAM>(st->frames),
         MAKELPARAM(st->frameWidth, st->frameHeight));
    if (st->frames > 0) Send(dialog, IDC_ANI_FRAME_STRIP, AVIREEL_SET_CURRENT, 0, 0);

    bool sameRate = true;
    for (int i = 1; i < Steps(st); ++i) sameRate = sameRate && s->rate[i] == s->rate[0];
    CheckRadioButton(dialog, IDC_ANI_SPEED_EACH, IDC_ANI_SPEED_ALL, sameRate ? IDC_ANI_SPEED_ALL : IDC_ANI_SPEED_EACH);
    bool sameHotspot = true;
    for (int i = 1; i < st->frames; ++i) sameHotspot = sameHotspot && st->hotspots[i] == st->hotspots[0];
    CheckRadioButton(dialog, IDC_ANI_HOTSPOT_EACH, IDC_ANI_HOTSPOT_COMMON,
                     sameHotspot ? IDC_ANI_HOTSPOT_COMMON : IDC_ANI_HOTSPOT_EACH);
    CheckDlgButton(dialog, IDC_ANI_SHOW_HOTSPOT, BST_CHECKED);
    st->step = 0;
    RefillStepStrip(dialog, st);
    ShowPage(dialog, st, Steps(st) > 0);
    if (Steps(st) > 0) StartPreview(dialog, st);
    CenterConvDialog(dialog);
}

void SpinField(HWND dialog, DefineState* st, int spin, int code)
{
    switch (spin) {
    case IDC_ANI_SPEED_SPIN: StepDialogField(dialog, IDC_ANI_SPEED, code, 0, MAX_RATE); break;
    case IDC_ANI_HOTSPOT_X_SPIN:
        StepDialogField(dialog, IDC_ANI_HOTSPOT_X, code, 0, st->frameWidth < MAX_HOTSPOT ? st->frameWidth : MAX_HOTSPOT);
        break;
    case IDC_ANI_HOTSPOT_Y_SPIN:
        StepDialogField(dialog, IDC_ANI_HOTSPOT_Y, code, 0,
                        st->frameHeight < MAX_HOTSPOT ? st->frameHeight : MAX_HOTSPOT);
        break;
    default: break;
    }
}

void Finish(HWND dialog, DefineState* st, bool ok)
{
    StopPreview(dialog, st);
    AniSettings* s = st->s;
    if (ok) {
        s->defaultRate = s->rate[0];
        GetDlgItemTextA(dialog, IDC_ANI_TITLE, s->title, ANI_TEXT_BYTES);
        GetDlgItemTextA(dialog, IDC_ANI_AUTHOR, s->author, ANI_TEXT_BYTES);
        for (int i = 0; i < st->frames; ++i)
            st->host(CONV_REQ_SET_HOTSPOT, reinterpret_cast<void*>(static_cast<ULONG_PTR>(st->hotspots[i])),
                     static_cast<ULONG_PTR>(i));
    } else {
        *s = st->copy;
    }
    EndDialog(dialog, ok ? 1 : 0);
}

bool Command(HWND dialog, DefineState* st, int id, int code, LPARAM lParam)
{
    switch (id) {
    case IDC_ANI_STEP_STRIP:
        if (code == AVIREEL_CLICKED || code == AVIREEL_KEY_MOVED) MoveToStep(dialog, st, static_cast<int>(lParam));
        return true;
    case IDC_ANI_FRAME_STRIP:
        if (code == AVIREEL_CLICKED) ClickFrame(dialog, st, static_cast<int>(lParam));
        if (code == AVIREEL_SELECTION_CHANGED) ShowCounters(dialog, st);
        return true;
    case IDC_ANI_PREVIOUS:
    case IDC_ANI_NEXT:
        if (Steps(st) > 0) {
            const int n = Steps(st);
            MoveToStep(dialog, st, id == IDC_ANI_NEXT ? (st->step + 1) % n : (st->step + n - 1) % n);
        }
        return true;
    case IDC_ANI_VIEW_SEQUENCE: ShowPage(dialog, st, false); return true;
    case IDC_ANI_VIEW_CYCLE: ShowPage(dialog, st, true); return true;
    case IDC_ANI_ADD: EditSteps(dialog, st, StepEdit::Add); return true;
    case IDC_ANI_INSERT: EditSteps(dialog, st, StepEdit::Insert); return true;
    case IDC_ANI_REPLACE: EditSteps(dialog, st, StepEdit::Replace); return true;
    case IDC_ANI_DELETE: DeleteStep(dialog, st, false); return true;
    case IDC_ANI_DELETE_ALL: DeleteStep(dialog, st, true); return true;
    case IDC_ANI_SPEED:
    case IDC_ANI_HOTSPOT_X:
    case IDC_ANI_HOTSPOT_Y:
        if (code == EN_CHANGE) FieldEdited(dialog, st, id);
        return true;
    case IDC_ANI_STOP: StopPreview(dialog, st); return true;
    case IDC_ANI_PLAY: StartPreview(dialog, st); return true;
    case IDC_ANI_SHOW_HOTSPOT: RepaintPreview(dialog); return true;
    case IDC_ANI_BACKGROUND:
        if (ChooseConvColor(dialog, &g_previewBackground)) RepaintPreview(dialog);
        return true;
    case IDOK: Finish(dialog, st, true); return true;
    case IDCANCEL: Finish(dialog, st, false); return true;
    default: return false;
    }
}

INT_PTR CALLBACK DefineCursorDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    DefineState* st = StateOf(dialog);
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        InitDialog(dialog, reinterpret_cast<DefineState*>(lParam));
        return TRUE;
    case WM_COMMAND: return st && Command(dialog, st, LOWORD(wParam), HIWORD(wParam), lParam) ? TRUE : FALSE;
    case WM_VSCROLL:
        if (st) SpinField(dialog, st, GetDlgCtrlID(reinterpret_cast<HWND>(lParam)), LOWORD(wParam));
        return TRUE;
    case WM_TIMER:
        if (st && wParam == ANI_PREVIEW_TIMER) Tick(dialog, st);
        return TRUE;
    case WM_DRAWITEM:
        if (!st) return FALSE;
        DrawButton(dialog, st, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case AVIREEL_DRAW_ITEM: {
        if (!st) return TRUE;
        const auto& item = *reinterpret_cast<const ReelDrawItem*>(lParam);
        const int frame = wParam == IDC_ANI_STEP_STRIP ? (item.index < Steps(st) ? FrameOfStep(st, item.index) : -1)
                                                       : item.index;
        DrawReelFrame(st->host, st->palette, frame, item);
        return TRUE;
    }
    case WM_DESTROY:
        if (st) {
            KillTimer(dialog, ANI_PREVIEW_TIMER);
            if (st->views) DeleteObject(st->views);
            if (st->play) DeleteObject(st->play);
            st->views = st->play = nullptr;
        }
        return FALSE;
    default: return FALSE;
    }
}

// ---- "Change Cursor Format" ----------------------------------------------------------------------

struct FormatState {
    int width, height, colors;
    ConvFormatChange* change;
};

int ChosenSide(HWND dialog, int id)
{
    BOOL ok = FALSE;
    const int value = static_cast<int>(GetDlgItemInt(dialog, id, &ok, FALSE));
    // Frames are 8 to 2048 pixels a side.
    return ok && value >= MIN_FORMAT_SIDE && value <= 2048 ? value : -1;
}

bool FormatOk(HWND dialog, FormatState* st)
{
    ConvFormatChange& c = *st->change;
    if (Checked(dialog, IDC_FORMAT_OTHER)) {
        const int x = ChosenSide(dialog, IDC_FORMAT_X), y = ChosenSide(dialog, IDC_FORMAT_Y);
        if (x < 0 || y < 0) {
            MessageBeep(MB_OK);
            SetFocus(GetDlgItem(dialog, x < 0 ? IDC_FORMAT_X : IDC_FORMAT_Y));
            return false;
        }
        c.width = static_cast<uint32_t>(x);
        c.height = static_cast<uint32_t>(y);
    } else {
        const uint32_t side = Checked(dialog, IDC_FORMAT_16) ? 16 : Checked(dialog, IDC_FORMAT_64) ? 64 : 32;
        c.width = c.height = side;
    }
    c.colors = Checked(dialog, IDC_FORMAT_2_COLORS) ? 3 : Checked(dialog, IDC_FORMAT_16_COLORS) ? 16 : 256;
    c.scaleImage = Checked(dialog, IDC_FORMAT_SCALE) ? 1 : 0;
    c.option = 0;
    return true;
}

INT_PTR CALLBACK ChangeFormatDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* st = reinterpret_cast<FormatState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        st = reinterpret_cast<FormatState*>(lParam);
        SetDlgItemInt(dialog, IDC_FORMAT_X, static_cast<UINT>(st->width), FALSE);
        SetDlgItemInt(dialog, IDC_FORMAT_Y, static_cast<UINT>(st->height), FALSE);
        const bool square = st->width == st->height;
        const int size = square && st->width == 16 ? IDC_FORMAT_16 : square && st->width == 64 ? IDC_FORMAT_64 : IDC_FORMAT_32;
        CheckRadioButton(dialog, IDC_FORMAT_16, IDC_FORMAT_OTHER, size);
        const int colors = st->colors < 16 ? IDC_FORMAT_2_COLORS : st->colors == 16 ? IDC_FORMAT_16_COLORS : IDC_FORMAT_256_COLORS;
        CheckRadioButton(dialog, IDC_FORMAT_2_COLORS, IDC_FORMAT_256_COLORS, colors);
        CheckDlgButton(dialog, IDC_FORMAT_SCALE, BST_CHECKED);
        CenterConvDialog(dialog);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            if (st && FormatOk(dialog, st)) EndDialog(dialog, 1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    default: return FALSE;
    }
}

}  // namespace

int RunDefineCursorDialog(HWND owner, AniSettings* settings, ConvHostProc host)
{
    if (!settings || settings->formatCode != CONV_FORMAT_ANI || !host) return 0;
    DefineState state{};
    state.s = settings;
    state.copy = *settings;
    state.host = host;
    state.step = -1;
    const INT_PTR result = DialogBoxParamA(ConvModule(), MAKEINTRESOURCEA(IDD_DEFINE_CURSOR), owner,
                                           DefineCursorDlgProc, reinterpret_cast<LPARAM>(&state));
    return result == 1 ? 1 : 0;
}

int RunChangeCursorFormatDialog(HWND owner, int width, int height, int colors, ConvFormatChange* change)
{
    FormatState state{width, height, colors, change};
    const INT_PTR result = DialogBoxParamA(ConvModule(), MAKEINTRESOURCEA(IDD_CHANGE_CURSOR_FORMAT), owner,
                                           ChangeFormatDlgProc, reinterpret_cast<LPARAM>(&state));
    return result == 1 ? 1 : 0;
}
