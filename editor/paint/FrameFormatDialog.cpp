// "Change Frame Format": the new size (or the selected area) and colour depth
// of the current sequence, and command 405 that applies them.
#include "FrameFormat.h"
#include "AppState.h"
#include "AreaSelection.h"
#include "ConvBridge.h"
#include "DialogUtilities.h"
#include "DocumentModel.h"
#include "FrameCanvas.h"
#include "FrameFormatDialog.h"
#include "PaintTools.h"
#include "Palette.h"
#include "Workspace.h"
#include "resource.h"
#include <cstdio>

namespace {

constexpr int MIN_FRAME_SIZE = 8, MAX_FRAME_SIZE = 2048;
constexpr int SPIN_MAX_SIZE = 2000;  // the spin bars stop short of the typed limit

struct DepthButton {
    int id;
    int32_t colorFormat;
};
constexpr DepthButton DEPTH_BUTTONS[] = {
    {IDC_FORMAT_DEPTH_2, COLORS_2},         {IDC_FORMAT_DEPTH_16, COLORS_16},
    {IDC_FORMAT_DEPTH_256, COLORS_256},     {IDC_FORMAT_DEPTH_65536, COLORS_65536},
    {IDC_FORMAT_DEPTH_TRUE, COLORS_24BIT},
};

// The dialog's request, and whether the next depth click leaves the area.
struct FormatDialogState {
    FrameFormatDialogRequest* request;
    bool leaveSelectionOnDepth;
    bool settingFields;  // the fields are being written by the dialog itself
};

FormatDialogState* StateOf(HWND dialog) { return reinterpret_cast<FormatDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

void Enable(HWND dialog, int item, bool on) { EnableWindow(GetDlgItem(dialog, item), on ? TRUE : FALSE); }
bool Checked(HWND dialog, int item) { return IsDlgButtonChecked(dialog, item) == BST_CHECKED; }
void Check(HWND dialog, int item, bool on) { CheckDlgButton(dialog, item, on ? BST_CHECKED : BST_UNCHECKED); }

int32_t ChosenFormat(HWND dialog)
{
    for (const DepthButton& b : DEPTH_BUTTONS)
        if (Checked(dialog, b.id)) return b.colorFormat;
    return COLORS_256;
}

int ButtonOfFormat(int32_t colorFormat)
{
    switch (colorFormat) {
    case COLORS_2: return IDC_FORMAT_DEPTH_2;
    case COLORS_3:
    case COLORS_16: return IDC_FORMAT_DEPTH_16;
    case COLORS_65536: return IDC_FORMAT_DEPTH_65536;
    case COLORS_24BIT: return IDC_FORMAT_DEPTH_TRUE;
    default: return IDC_FORMAT_DEPTH_256;
    }
}

// The options that make sense for the chosen depth from the current one.
void ApplyDepth(HWND dialog)
{
    const int32_t chosen = ChosenFormat(dialog), current = g_appState.colorCount;
    const bool frameColors = current > COLORS_256 && chosen == COLORS_256;
    Enable(dialog, IDC_FORMAT_FRAME_COLORS, frameColors);
    Enable(dialog, IDC_FORMAT_QUANTIZE, frameColors && Checked(dialog, IDC_FORMAT_FRAME_COLORS));
    const bool dither = (chosen == COLORS_256 && current > COLORS_256) || (chosen == COLORS_16 && current > COLORS_16);
    Enable(dialog, IDC_FORMAT_DITHER, dither);
    if (!dither) Check(dialog, IDC_FORMAT_DITHER, false);
}

void ChooseSizeMode(HWND dialog, bool newSize)
{
    CheckRadioButton(dialog, IDC_FORMAT_NEW_SIZE, IDC_FORMAT_USE_SELECTION,
                     newSize ? IDC_FORMAT_NEW_SIZE : IDC_FORMAT_USE_SELECTION);
    Enable(dialog, IDC_FORMAT_STRETCH, newSize);
    Enable(dialog, IDC_FORMAT_RETAIN_ASPECT, newSize);
}

void SetField(HWND dialog, int item, int value)
{
    FormatDialogState* state = StateOf(dialog);
    if (state) state->settingFields = true;
    SetDlgItemInt(dialog, item, static_cast<UINT>(value), FALSE);
    if (state) state->settingFields = false;
}

// With the aspect ratio kept, a typed width sets the height and a typed
// height the width.
void KeepAspect(HWND dialog, int typedItem)
{
    int value = 0;
    if (!Checked(dialog, IDC_FORMAT_RETAIN_ASPECT) ||
        !TryGetRangedDlgInt(dialog, typedItem, MIN_FRAME_SIZE, MAX_FRAME_SIZE, FALSE, &value))
        return;
    const double w = g_appState.frameWidth, h = g_appState.frameHeight;
    if (w <= 0 || h <= 0) return;
    if (typedItem == IDC_FORMAT_WIDTH) SetField(dialog, IDC_FORMAT_HEIGHT, static_cast<int>(value / (w / h)));
    else SetField(dialog, IDC_FORMAT_WIDTH, static_cast<int>(value / (h / w)));
}

void WriteCurrentSize(HWND dialog, int item, int value)
{
    char format[64] = "", text[96];
    GetDlgItemTextA(dialog, item, format, sizeof format);
    snprintf(text, sizeof text, format[0] ? format : "%d", value);
    SetDlgItemTextA(dialog, item, text);
}

// The depths the display (with device-bitmap frames) and the sequence's
// image-library format can take.
void EnableDepths(HWND dialog, const FrameFormatDialogRequest& r)
{
    const int limit = g_appState.bitmapMode.useDeviceBitmaps ? g_appState.bitmapMode.displayBits : 32;
    Enable(dialog, IDC_FORMAT_DEPTH_256, limit > 7);
    Enable(dialog, IDC_FORMAT_DEPTH_65536, limit > 15 && (r.libraryFormat == 0 || CallGetDesiredBitPix(r.libraryFormat, 16) == 16));
    Enable(dialog, IDC_FORMAT_DEPTH_TRUE, limit > 23 && (r.libraryFormat == 0 || CallGetDesiredBitPix(r.libraryFormat, 24) == 24));
}

void OnInit(HWND dialog, FrameFormatDialogRequest* r)
{
    auto* state = new FormatDialogState{r, r->useSelection != 0, false};
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    CenterWindow(dialog);
    WriteCurrentSize(dialog, IDC_FORMAT_CURRENT_X, g_appState.frameWidth);
    WriteCurrentSize(dialog, IDC_FORMAT_CURRENT_Y, g_appState.frameHeight);
    SendDlgItemMessageA(dialog, IDC_FORMAT_WIDTH, EM_LIMITTEXT, 4, 0);
    SendDlgItemMessageA(dialog, IDC_FORMAT_HEIGHT, EM_LIMITTEXT, 4, 0);
    SetField(dialog, IDC_FORMAT_WIDTH, g_appState.frameWidth);
    SetField(dialog, IDC_FORMAT_HEIGHT, g_appState.frameHeight);
    Check(dialog, IDC_FORMAT_STRETCH, r->sizeChangeAllowed && r->stretch);
    EnableDepths(dialog, *r);
    // The current depth's button, or the next lower one that is enabled.
    int button = ButtonOfFormat(g_appState.colorCount);
    while (button > IDC_FORMAT_DEPTH_2 && !IsWindowEnabled(GetDlgItem(dialog, button))) --button;
    CheckRadioButton(dialog, IDC_FORMAT_DEPTH_2, IDC_FORMAT_DEPTH_TRUE, button);
    Check(dialog, IDC_FORMAT_DITHER, r->dithering != 0);
    Check(dialog, IDC_FORMAT_FRAME_COLORS, r->frameColors != 0);
    Check(dialog, IDC_FORMAT_QUANTIZE, r->quantize != 0);
    ApplyDepth(dialog);
    ChooseSizeMode(dialog, !r->useSelection);
    const bool sizing = r->sizeChangeAllowed != 0;
    Enable(dialog, IDC_FORMAT_STRETCH, sizing && !r->useSelection);
    Enable(dialog, IDC_FORMAT_RETAIN_ASPECT, sizing && !r->useSelection);
    Enable(dialog, IDC_FORMAT_USE_SELECTION, r->useSelection != 0);
    for (int item : {IDC_FORMAT_NEW_SIZE, IDC_FORMAT_WIDTH, IDC_FORMAT_HEIGHT, IDC_FORMAT_WIDTH_SPIN, IDC_FORMAT_HEIGHT_SPIN})
        Enable(dialog, item, sizing);
}

// OK: false (and the dialog stays) when a typed size is out of range.
bool TakeChoices(HWND dialog, FrameFormatDialogRequest* r)
{
    r->useSelection = Checked(dialog, IDC_FORMAT_USE_SELECTION) ? 1 : 0;
    if (r->useSelection) {
        r->stretch = 0;
    } else {
        int width = 0, height = 0;
        if (!TryGetRangedDlgInt(dialog, IDC_FORMAT_WIDTH, MIN_FRAME_SIZE, MAX_FRAME_SIZE, FALSE, &width) ||
            !TryGetRangedDlgInt(dialog, IDC_FORMAT_HEIGHT, MIN_FRAME_SIZE, MAX_FRAME_SIZE, FALSE, &height)) {
            ShowStringMessage(dialog, IDS_FRAME_SIZE_RANGE, nullptr, MB_OK | MB_ICONSTOP);
            SetFocus(GetDlgItem(dialog, IDC_FORMAT_WIDTH));
            return false;
        }
        r->x = r->y = 0;
        r->width = width;
        r->height = height;
        r->stretch = Checked(dialog, IDC_FORMAT_STRETCH) ? 1 : 0;
    }
    r->colorFormat = ChosenFormat(dialog);
    r->dithering = Checked(dialog, IDC_FORMAT_DITHER) ? 1 : 0;
    const bool frameColors = IsWindowEnabled(GetDlgItem(dialog, IDC_FORMAT_FRAME_COLORS)) != FALSE;
    r->frameColors = frameColors && Checked(dialog, IDC_FORMAT_FRAME_COLORS) ? 1 : 0;
    r->quantize = frameColors && Checked(dialog, IDC_FORMAT_QUANTIZE) ? 1 : 0;
    return true;
}

INT_PTR OnCommand(HWND dialog, int id, int code)
{
    FormatDialogState* state = StateOf(dialog);
    if (!state) {
        if (id == IDCANCEL) EndDialog(dialog, 0);
        return id == IDCANCEL;
    }
    switch (id) {
    case IDOK:
        if (TakeChoices(dialog, state->request)) EndDialog(dialog, 1);
        return TRUE;
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    case IDC_FORMAT_WIDTH:
    case IDC_FORMAT_HEIGHT:
        if (code == EN_UPDATE && !state->settingFields) {
            if (!Checked(dialog, IDC_FORMAT_NEW_SIZE)) ChooseSizeMode(dialog, true);
            KeepAspect(dialog, id);
        }
        return TRUE;
    case IDC_FORMAT_NEW_SIZE:
    case IDC_FORMAT_USE_SELECTION: ChooseSizeMode(dialog, id == IDC_FORMAT_NEW_SIZE); return TRUE;
    case IDC_FORMAT_RETAIN_ASPECT: KeepAspect(dialog, IDC_FORMAT_WIDTH); return TRUE;
    case IDC_FORMAT_FRAME_COLORS: ApplyDepth(dialog); return TRUE;
    default:
        if (id >= IDC_FORMAT_DEPTH_2 && id <= IDC_FORMAT_DEPTH_TRUE) {
            if (state->leaveSelectionOnDepth && state->request->sizeChangeAllowed) ChooseSizeMode(dialog, true);
            state->leaveSelectionOnDepth = false;
            ApplyDepth(dialog);
            return TRUE;
        }
        return FALSE;
    }
}

void OnSpin(HWND dialog, HWND bar, int code)
{
    const int id = GetDlgCtrlID(bar);
    const int field = id == IDC_FORMAT_WIDTH_SPIN ? IDC_FORMAT_WIDTH : id == IDC_FORMAT_HEIGHT_SPIN ? IDC_FORMAT_HEIGHT : 0;
    if (field) SpinDlgItemInt(dialog, field, code, MIN_FRAME_SIZE, SPIN_MAX_SIZE);
}

// To a two-colour format the code marks it (a colour other than black and
// white cannot stay transparent there); from it the mark goes.
uint8_t AdaptTransparentCode(uint8_t code, int32_t colorFormat)
{
    if (code & 0x80) return code;
    if (colorFormat != COLORS_2) return static_cast<uint8_t>(code & ~0x20);
    const int colour = code & 15;
    if (colour != 0 && colour != 1 && colour != 15) return 0x80;
    return static_cast<uint8_t>((code & ~0x10) | 0x20);
}

// The options chosen last since the editor started.
FrameFormatDialogRequest lastChoices{};

}  // namespace

INT_PTR CALLBACK FrameFormatDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        // A caller that passes no request still gets a dialog that shows and
        // closes; what it chooses goes nowhere.
        static FrameFormatDialogRequest nothingAsked{};
        auto* request = reinterpret_cast<FrameFormatDialogRequest*>(lParam);
        OnInit(dialog, request ? request : &nothingAsked);
        return TRUE;
    }
    case WM_COMMAND: return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_VSCROLL:
        if (lParam) OnSpin(dialog, reinterpret_cast<HWND>(lParam), LOWORD(wParam));
        return TRUE;
    case WM_DESTROY:
        delete StateOf(dialog);
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        return FALSE;
    default: return DefaultCtlColor(message);
    }
}

FrameFormatRequest FrameFormatFromDialog(const FrameFormatDialogRequest& c)
{
    uint32_t flags = 0;
    if (c.stretch) flags |= FORMAT_STRETCH;
    if (c.dithering) flags |= FORMAT_DITHER;
    if (c.frameColors) flags |= FORMAT_FRAME_COLORS;
    if (c.quantize) flags |= FORMAT_QUANTIZE;
    return {c.x, c.y, c.width, c.height, c.colorFormat, flags};
}

namespace {

// Applies what the dialog chose under the wait cursor: the frames, the
// transparent colour's code, the modified mark and the views.
int ApplyChosenFormat(const FrameFormatDialogRequest& r)
{
    const int32_t oldFormat = g_appState.colorCount;
    HCURSOR oldCursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    const int changed = ChangeFrameFormat(FrameFormatFromDialog(r));
    SetCursor(oldCursor);
    if (!changed) return 0;
    if (r.colorFormat != oldFormat) {
        const uint8_t code = AdaptTransparentCode(GetSequenceTransparentCode(), r.colorFormat);
        SetSequenceTransparentCode(code);
        ApplyTransparentColorCode(code);
    }
    if (g_document.sequenceState >= 0) g_document.sequenceState |= DOC_MODIFIED;
    UpdateViewLayout(1);
    InvalidateFrameEditor(1);
    return 1;
}

bool AskedYes(HWND owner, UINT stringId)
{
    if (g_appState.hooks.askQuestion) return g_appState.hooks.askQuestion(stringId) == IDYES;
    return ShowStringMessage(owner, stringId, "Zelvo", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

}  // namespace

int ChangeFormatCommand(HWND owner)
{
    if (g_appState.frameCount <= 0) return 0;
    FrameFormatDialogRequest r = lastChoices;
    r.sizeChangeAllowed = 1;
    r.libraryFormat = g_document.frameRecords[0].attribute;
    RECT area{};
    r.useSelection = (GetSelectionRect(&area, SELECTION_RECT_SIZE) & AREA_SELECTED) && area.right > 0 && area.bottom > 0;
    if (r.useSelection) {
        r.x = area.left;
        r.y = area.top;
        r.width = area.right;
        r.height = area.bottom;
    }
    if (RunDialog(IDD_CHANGE_FORMAT, owner, reinterpret_cast<LPARAM>(&r)) != 1) return 0;
    lastChoices = r;
    return ApplyChosenFormat(r);
}

int ReduceColorsForLibrary(HWND owner, int libraryFormat)
{
    if (!AskedYes(owner, IDS_ASK_LIBRARY_REDUCE)) return GetKeyState(VK_CONTROL) < 0 ? 1 : 0;
    FrameFormatDialogRequest r = lastChoices;
    r.sizeChangeAllowed = 0;
    r.useSelection = 0;
    r.libraryFormat = static_cast<uint8_t>(libraryFormat);
    if (RunDialog(IDD_CHANGE_FORMAT, owner, reinterpret_cast<LPARAM>(&r)) != 1) return 0;
    lastChoices = r;
    // The size stays; only the depth was to be chosen.
    r.x = r.y = 0;
    r.width = g_appState.frameWidth;
    r.height = g_appState.frameHeight;
    r.stretch = 0;
    ApplyChosenFormat(r);
    return 1;
}
