// The image library's own state and the services its format code shares:
// the module handle, the host of the export that runs, the progress dialog
// "Converting...", the message pump, centring, the field stepper, message
// boxes and menu requests by string id, the colour chooser, settings blocks,
// file deletion, posted commands and the help file name.
#pragma once
#include "ConvInterface.h"
#include <windows.h>
#include <commdlg.h>

// ---- the library ------------------------------------------------------------------------

// The library's module: kept on attach, cleared on detach. Programs that link
// the library's code directly (its tests) set it to the module holding the
// library's resources.
HINSTANCE ConvModule();
void SetConvModule(HINSTANCE module);

// The host of the export that runs; the dialogs that outlive one call (AVI,
// animated cursor) keep it while they are open.
ConvHostProc ActiveConvHost();

// Makes a host the active one for the length of an export.
class ConvHostScope {
public:
    explicit ConvHostScope(ConvHostProc host);
    ~ConvHostScope();
    ConvHostScope(const ConvHostScope&) = delete;
    ConvHostScope& operator=(const ConvHostScope&) = delete;
private:
    ConvHostProc previous_;
};

// The user-interface calls the library makes, behind one replaceable table:
// tests install their own to answer in place of a person.
struct ConvUiSeam {
    int(WINAPI* messageBox)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
    BOOL(WINAPI* chooseColor)(LPCHOOSECOLORA chooser);
};
const ConvUiSeam& CurrentConvUiSeam();
// Installs a table (it must outlive its use); null puts the real one back.
void InstallConvUiSeam(const ConvUiSeam* seam);

// ---- progress dialog "Converting..." (one at a time) --------------------------------

// The state of the one progress dialog.
struct ConvProgressState {
    DLGPROC procedure;  // non-zero while a dialog exists
    HWND dialog;
    int percentage;     // the last one shown, 0..100
    int cancelled;      // 1 after "&Cancel"
};
ConvProgressState GetConvProgressState();

// Disables the owner and creates the modeless dialog of template
// IDD_CONVERTING or IDD_CONVERTING_CANCEL from `module`. Null while one
// exists (nothing changes then) or when it cannot be made.
HWND CreateConvProgress(HWND owner, HINSTANCE module, int templateId);
// Shows the dialog with the new percentage and pumps pending messages (also
// without a dialog). Returns the cancel flag.
int StepConvProgress(int percentage);
// Enables the dialog's owner again and destroys it; 0 when none exists.
int DestroyConvProgress(HWND dialog);
INT_PTR CALLBACK ConvProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The bar of a percentage (cut to 0..100) in a rectangle of the DC.
void DrawConvProgressBar(HDC dc, const RECT& area, int percentage);

// ---- small services ------------------------------------------------------------------

// Reads and dispatches every pending message, offering each to the dialog
// first when one is given. A WM_QUIT found is posted again and ends the pump.
void PumpConvMessages(HWND dialog);
// Centres a window over its parent (or owner), kept inside the screen.
void CenterConvDialog(HWND dialog);
// Spin buttons: the number in the edit raised (SB_LINEUP, SB_PAGEUP) or
// lowered (SB_LINEDOWN, SB_PAGEDOWN) by one within minimum..maximum and
// written back. -1 when the edit holds no number (it is left alone).
int StepDialogField(HWND dialog, int editId, int scrollCode, int minimum, int maximum);
// A message box of library strings (caption up to 50 bytes, text up to 260).
int ShowConvMessage(HWND owner, UINT captionId, UINT textId, UINT style);
// Asks the editor to change its main menu (CONV_REQ_MENU_ITEM); the text is
// library string `textId` (at most 48 bytes) when it is not 0. The editor's answer.
ULONG_PTR RequestMenuChange(int op, UINT position, UINT flags, UINT newId, UINT textId, ConvHostProc host);
// The system colour chooser with the library's 16 custom colours, kept for
// the library's lifetime. 1 and the new colour when confirmed, else 0.
int ChooseConvColor(HWND owner, COLORREF* color);
// The format code of a settings block: its first u16; 0 for none or a block
// that cannot be locked.
int SettingsBlockFormat(HGLOBAL settings);
// Deletes a file by the path as given. 1 when deleted.
int DeleteConvFile(const char* path);
// Posts WM_COMMAND with code << 16 | id.
BOOL PostCommand(HWND window, int commandId, int notifyCode, LPARAM lParam);
// The library's own path with its extension replaced by ".hlp". False when
// it does not fit.
bool GetConvHelpFileName(char* out, int room);
