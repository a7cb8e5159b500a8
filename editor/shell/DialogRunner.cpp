// The modal dialog runner with its table of templates, centring, the default
// answers of editor dialogs, the message pump and rectangle normalising.
#include "DialogUtilities.h"
#include "FrameFormat.h"
#include "SequenceCommands.h"
#include "DocumentModel.h"
#include "SettingsDialogs.h"
#include "ShellDialogs.h"
#include "resource.h"
#include <utility>

namespace {

DialogHost dialogHost = {};

struct DialogTableEntry {
    int templateId;
    DLGPROC procedure;
};

// Template id -> dialog procedure. Entries on PendingDialogProc are waiting
// for their dialog: each gets its own procedure when that dialog is built,
// here or through RegisterDialogProcedure from the library that holds it.
DialogTableEntry dialogTable[] = {
    {IDD_NEW_SEQUENCE, NewSequenceDlgProc},              // "New Frame Sequence"
    {IDD_STANDARD_PALETTE_REQUEST, PaletteRequestDlgProc},  // "Color Palette Request"
    {IDD_CURRENT_PALETTE_REQUEST, PaletteRequestDlgProc},   // "Color Palette Request"
    {IDD_ANIMATION_WINDOW_SETTINGS, PendingDialogProc},  // "Animation Window Settings"
    {IDD_FOREGROUND_REGIONS, PendingDialogProc},         // "Define Foreground Regions..."
    {IDD_SEQUENCE_ANIMATION, PendingDialogProc},         // "Define Animation Sequence"
    {IDD_CYCLE_DEFINITION, PendingDialogProc},           // cycle definition
    {IDD_ADDITIONAL_OPTIONS, PendingDialogProc},         // additional run-time options
    {IDD_FRAME_OFFSETS, PendingDialogProc},              // "Set Frame Offsets"
    {IDD_NEW_OBJECT, PendingDialogProc},                 // "New Object"
    {IDD_SELECT_OBJECT, PendingDialogProc},              // "Select Object"
    {IDD_MOVE_DELETE_OBJECT, PendingDialogProc},         // "Move / Delete Object"
    {IDD_SAVE_SEQUENCE, SaveSequenceDlgProc},            // "Save Frame Sequence"
    {IDD_CHANGE_FORMAT, FrameFormatDlgProc},             // "Change Frame Format"
    {IDD_REPLACE_CURRENT_COLOR, PendingDialogProc},      // "Replace current color with..."
    {IDD_REPLACE_PALETTE_COLOR, PendingDialogProc},      // replace a palette colour
    {IDD_MODIFY_PALETTE, PendingDialogProc},             // "Modify Current Palette"
    {IDD_PICK_COLOR, PendingDialogProc},                 // "Pick color..."
    {IDD_TRANSPARENT_COLOR, PendingDialogProc},          // "Set transparent color"
    {IDD_REPLACE_COLOR, PendingDialogProc},              // "Replace color with..."
    {IDD_ADJUST_COLORS, PendingDialogProc},              // "Adjust Colors..."
    {IDD_FILL_PATTERNS, FillPatternsDlgProc},            // "Edit Fill Patterns"
    {IDD_SELECT_SOUND, PendingDialogProc},               // "Select Sound:"
    {IDD_CHANGE_VALUES, PendingDialogProc},              // change cycle values
    {IDD_INSTALL_ANIMATION, InstallAnimationDlgProc},    // "Install Animation"
    {IDD_ROTATE, RotateDlgProc},                         // "Rotate"
    {IDD_EDITOR_SETTINGS, EditorSettingsDlgProc},        // "Editor Settings"
    {IDD_EFFECTS, EffectsDlgProc},                       // "Effects"
    {IDD_ANIMATION_PATH, PendingDialogProc},             // "Define Animation Path"
    {IDD_CHANGE_PATH, PendingDialogProc},                // "Change Path Definition"
    {IDD_PATH_OPTIONS, PendingDialogProc},               // "Path Options"
    {IDD_ASSIGN_FRAMES, PendingDialogProc},              // "Assign frames to path nodes"
    {IDD_ABOUT, AboutDlgProc},                           // about and start-up box
    {IDD_SAVE_CHANGES, SaveChangesDlgProc},              // "Save changes"
};

DialogTableEntry* FindDialogEntry(int templateId)
{
    for (DialogTableEntry& entry : dialogTable)
        if (entry.templateId == templateId) return &entry;
    return nullptr;
}

DLGPROC FindDialogProcedure(int templateId)
{
    const DialogTableEntry* entry = FindDialogEntry(templateId);
    return entry ? entry->procedure : nullptr;
}

// Disables the floating tool windows for the life of a modal dialog and puts
// back the state they had, so nested dialogs restore correctly.
class ToolWindowsDisabled {
public:
    ToolWindowsDisabled()
    {
        if (dialogHost.enableToolWindows) previous_ = dialogHost.enableToolWindows(FALSE);
    }
    ~ToolWindowsDisabled()
    {
        if (dialogHost.enableToolWindows) dialogHost.enableToolWindows(previous_);
    }
    ToolWindowsDisabled(const ToolWindowsDisabled&) = delete;
    ToolWindowsDisabled& operator=(const ToolWindowsDisabled&) = delete;
private:
    int previous_ = TRUE;
};

}  // namespace

void SetDialogHost(const DialogHost& host) { dialogHost = host; }

const DialogHost& GetDialogHost() { return dialogHost; }

bool RegisterDialogProcedure(int templateId, DLGPROC procedure)
{
    DialogTableEntry* entry = FindDialogEntry(templateId);
    if (!entry || !procedure) return false;
    entry->procedure = procedure;
    return true;
}

bool DialogBuilt(int templateId)
{
    const DLGPROC procedure = FindDialogProcedure(templateId);
    return procedure && procedure != PendingDialogProc;
}

INT_PTR RunDialog(int templateId, HWND owner, LPARAM initParam)
{
    DLGPROC procedure = FindDialogProcedure(templateId);
    if (!procedure) return 0;
    HINSTANCE program = GetModuleHandleA(nullptr);
    // A missing template would make DialogBoxParam answer -1, which callers
    // testing for non-zero would take for a confirmed dialog.
    if (!FindResourceA(program, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5) /* RT_DIALOG */)) return 0;
    ToolWindowsDisabled toolWindows;
    return DialogBoxParamA(program, MAKEINTRESOURCEA(templateId), owner, procedure, initParam);
}

INT_PTR CALLBACK PendingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        CenterWindow(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return DefaultCtlColor(message);
    }
}

POINT CenteredPosition(const RECT& parent, SIZE size, SIZE screen)
{
    auto place = [](LONG low, LONG high, LONG extent, LONG screenExtent) {
        LONG at = (low + high - extent) / 2;
        if (at > screenExtent - extent) at = screenExtent - extent;
        return at < 0 ? 0 : at;
    };
    return {place(parent.left, parent.right, size.cx, screen.cx),
            place(parent.top, parent.bottom, size.cy, screen.cy)};
}

void CenterWindow(HWND window)
{
    RECT own;
    if (!GetWindowRect(window, &own)) return;
    HWND parent = GetParent(window);
    RECT around;
    if (!parent || !GetWindowRect(parent, &around)) GetWindowRect(GetDesktopWindow(), &around);
    SIZE size = {own.right - own.left, own.bottom - own.top};
    SIZE screen = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    POINT at = CenteredPosition(around, size, screen);
    SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR DefaultCtlColor(UINT message)
{
    if (message == DLG_PAINT_ICON) return TRUE;
    // WM_CTLCOLORMSGBOX .. WM_CTLCOLORSTATIC: 0 leaves the system colours.
    return 0;
}

void PumpMessages(HWND dialog)
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The program is ending: leave the quit request to the main loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (dialog && IsWindow(dialog) && IsDialogMessageA(dialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void NormalizeRect(RECT* rect)
{
    if (rect->left > rect->right) std::swap(rect->left, rect->right);
    if (rect->top > rect->bottom) std::swap(rect->top, rect->bottom);
}
