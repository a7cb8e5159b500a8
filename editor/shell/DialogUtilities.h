// Pieces shared by every editor dialog and every long operation: the modal
// dialog runner, centring, the default colour answer, owner-drawn buttons, the
// progress dialog "Processing...", message boxes built from string ids, checked
// reading of numbers in dialog fields, the message pump and DIB size arithmetic.
#pragma once
#include <windows.h>
#include <cstdint>

// ---- What the dialog utilities ask of the editor around them --------------------

// The main window installs its host when it is created. Until then (and in any
// field left null) messages have no owner, file errors have no file name and
// there are no floating tool windows to disable around a modal dialog.
struct DialogHost {
    int (*enableToolWindows)(int enable);  // sets the state, returns the previous one
    HWND (*mainWindow)();
    const char* (*currentFilePath)();      // the document's file, "" when it has none
};
void SetDialogHost(const DialogHost& host);
const DialogHost& GetDialogHost();

// ---- Modal dialogs -----------------------------------------------------------

// Runs the modal dialog of a template from the program's own resources with
// the procedure the runner's table gives for it; `initParam` reaches the
// procedure's WM_INITDIALOG. The floating tool windows are disabled meanwhile.
// An id outside the table, or one whose template is missing, shows nothing
// and returns 0, like a cancelled dialog.
INT_PTR RunDialog(int templateId, HWND owner, LPARAM initParam);

// The procedure of a table entry whose dialog is not built yet: OK and Cancel
// end it with their ids.
INT_PTR CALLBACK PendingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Gives a template of the runner's table the procedure of its built dialog
// (a library of the editor registers its dialogs at start-up). False for a
// template the table does not hold.
bool RegisterDialogProcedure(int templateId, DLGPROC procedure);
// True when the template's dialog is built (its procedure is not the
// pending one): commands that need it are offered.
bool DialogBuilt(int templateId);

// Centres a window over its parent's (or owner's) window rectangle and keeps it
// on the screen; size and z-order stay.
void CenterWindow(HWND window);
// The arithmetic of CenterWindow: top-left corner for a window of `size`.
POINT CenteredPosition(const RECT& parent, SIZE size, SIZE screen);

// Private message every editor dialog answers with TRUE.
constexpr UINT DLG_PAINT_ICON = WM_USER + 3;  // 1027

// The answer every editor dialog gives to a message it does not handle itself:
// TRUE to DLG_PAINT_ICON, 0 to WM_CTLCOLORMSGBOX .. WM_CTLCOLORSTATIC so the
// system colours apply, 0 to everything else.
INT_PTR DefaultCtlColor(UINT message);

// ---- Owner-drawn buttons --------------------------------------------------------

// A 3-D push button; `text` null draws the button's own window text.
void DrawOwnerButton(const DRAWITEMSTRUCT* item, const char* text);
// One button of a group of which one stays down. Returns the id of the
// group's current button, which becomes `itemId` when it is being pressed.
int DrawOwnerRadioButton(HWND dialog, const DRAWITEMSTRUCT* item, int currentId, int itemId);

// ---- Progress dialog "Processing..." ------------------------------------------

// Message to the progress dialog: wParam 0 adds lParam to the position, 1 sets
// the position, 2 sets the maximum without repainting.
constexpr UINT PROGRESS_UPDATE = WM_USER;  // 1024
enum ProgressMode : int {
    PROGRESS_ADD = 0,
    PROGRESS_SET = 1,
    PROGRESS_SET_MAXIMUM = 2,
    PROGRESS_PUMP = 0x80,  // with either of the above: let the dialog take input
};

// The one progress dialog that can be open at a time.
struct ProgressDialogState {
    int progressOpen;
    DLGPROC progressCallerProc;
    int32_t progressPosition;
    int32_t progressMaximum;
    int progressCancelled;
};
ProgressDialogState GetProgressDialogState();

// The record WM_INITDIALOG of the progress dialog carries (its lParam), and
// the caller procedure receives with it.
struct ProgressDialogStart {
    DLGPROC callerProc;
    int maximum;
};

// Opens the modeless progress dialog and disables its owner. Null while
// another one is open; the operation then runs without one. `callerProc`
// (may be null) sees the dialog's messages first.
HWND OpenProgressDialog(HWND owner, HINSTANCE instance, int templateId, int maximum, DLGPROC callerProc);
// Re-enables the owner and destroys the dialog. 0 when none is open.
int CloseProgressDialog(HWND dialog);
// Moves the bar (`mode`: ProgressMode) and returns 1 once Cancel was pressed.
// A null dialog (none could be opened) never reports a cancel.
int UpdateProgress(HWND dialog, int value, int mode);
INT_PTR CALLBACK ProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Draws the percentage bar into the item's rectangle.
void DrawProgressBar(const DRAWITEMSTRUCT* item, int position, int maximum);
// Whole percent shown for a position; 0 for a maximum of 0 or less.
int ProgressPercent(int position, int maximum);

// ---- Message boxes ------------------------------------------------------------

// Every message box of the editor is shown through ShowMessageBox, which calls
// the message-box entry of UiSeam.h: a test installs a table that answers in
// place of the user.
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT style);

// Loads a string of the program's string table into `buffer` of `size`
// characters; returns its length (0 when the string is missing).
constexpr int RESOURCE_STRING_LENGTH = 100;
int LoadResourceString(UINT stringId, char* buffer, int size = RESOURCE_STRING_LENGTH);

// Shows string `stringId` formatted with one argument (a number for "%d", a
// string pointer for "%s"); a null caption shows "Error". Returns the
// MessageBox result.
int ShowStringMessage(HWND owner, UINT stringId, const char* caption, UINT style, INT_PTR argument = 0);
// Shows the message of a result code over the main window; 0 shows nothing.
// File errors carry the document's file path as caption. Always returns 0.
int ShowErrorMessage(int code);
// Asks before an existing file is replaced: -1 no such file, 1 overwrite, 0 cancelled.
int ConfirmOverwrite(const char* path);

// ---- Numbers in dialog fields ---------------------------------------------------

// Reads the item as a number; a field that holds no number or one outside
// minimum..maximum increments *errorCount. Returns the value read.
int GetRangedDlgInt(HWND dialog, int item, int minimum, int maximum, BOOL isSigned, int* errorCount);
// Reads the item as a number within minimum..maximum: 1 and the value through
// `result` (when given), else 0. An empty field counts as the minimum (as 0
// when the minimum is negative); a lone "-" in a signed field counts as 0.
int TryGetRangedDlgInt(HWND dialog, int item, int minimum, int maximum, BOOL isSigned, int* result);
// Steps the number in the item for a scroll code and writes it back; returns
// the new value (-1 when the item holds no number and the code moves nothing).
int SpinDlgItemInt(HWND dialog, int item, int scrollCode, int minimum, int maximum);

// Parses the text of a number field: optional blanks around, a sign ("-" only
// when signed), decimal digits, within 32 bits. False when it is no number.
bool ParseFieldNumber(const char* text, bool isSigned, int* value);

// ---- Small helpers ----------------------------------------------------------------

// Removes and dispatches every pending message, offering each to the dialog's
// keyboard handling first when a dialog is given. A WM_QUIT found is posted
// again for the main loop and ends the pump.
void PumpMessages(HWND dialog);
// Orders the corners so that left <= right and top <= bottom.
void NormalizeRect(RECT* rect);

// GetDibRowBytes, GetDibImageBytes, GetDibImageBytesForColors.
#include "DibSizes.h"
