// "Select Object", "New Object" and "Move / Delete Object" with the dragging
// in its list, the lists of objects and sequences they share, and the
// registration of every composition dialog with the dialog runner.
#include "ComposeCommon.h"
#include "ComposeDialogs.h"
#include "ComposeResources.h"
#include "DialogUtilities.h"
#include "DocumentModel.h"
#include "PackedDib.h"
#include "ResultCodes.h"
#include "resource.h"
#include <cstdio>
#include <cstring>

namespace {

constexpr int NAME_FIELD_CHARS = 32;  // what the name fields take; a stored name keeps 31
constexpr int NO_OBJECT = -1;

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }

int ListSelection(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageA(dialog, id, LB_GETCURSEL, 0, 0)); }

// The text of a list item, cut to fit a stored name.
void ListItemName(HWND dialog, int id, int index, char* name, int room)
{
    char text[256] = "";
    const LRESULT length = SendDlgItemMessageA(dialog, id, LB_GETTEXTLEN, index, 0);
    if (length >= 0 && length < LRESULT(sizeof text)) SendDlgItemMessageA(dialog, id, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
    CopyName(name, room, text);
}

void SelectObjectSequence(HWND dialog, int object)
{
    const int sequence = object >= 0 && object < g_document.objectCount ? g_document.objectTable[object].sequenceIndex : -1;
    SendDlgItemMessageA(dialog, IDC_OBJECT_SEQUENCES, LB_SETCURSEL, sequence, 0);
}

// Stores a name, cut to the 31 characters of the record's field.
void StoreObjectName(int object, const char* name)
{
    ObjectRecord& record = g_document.objectTable[object];
    if (strncmp(record.name, name, sizeof record.name - 1) != 0) MarkAnimationModified();
    CopyName(record.name, sizeof record.name, name);
}

// ---- "Select Object" -------------------------------------------------------------------

// The object whose name the field shows is kept in the dialog's user slot.
int EditedObject(HWND dialog) { return static_cast<int>(GetWindowLongPtrA(dialog, DWLP_USER)); }

void InitSelectObject(HWND dialog)
{
    const int current = g_document.currentObject;
    FillObjectList(dialog, IDC_OBJECT_LIST, LB_ADDSTRING);
    SendDlgItemMessageA(dialog, IDC_OBJECT_LIST, LB_SETCURSEL, current, 0);
    SendDlgItemMessageA(dialog, IDC_OBJECT_NAME, EM_LIMITTEXT, NAME_FIELD_CHARS, 0);
    if (current >= 0 && current < g_document.objectCount) SetDlgItemTextA(dialog, IDC_OBJECT_NAME, g_document.objectTable[current].name);
    FillSequenceList(dialog, IDC_OBJECT_SEQUENCES);
    SelectObjectSequence(dialog, current);
    SetWindowLongPtrA(dialog, DWLP_USER, current);
}

void SelectedObjectChanged(HWND dialog)
{
    const int previous = EditedObject(dialog);
    char edited[NAME_FIELD_CHARS + 1] = "";
    GetDlgItemTextA(dialog, IDC_OBJECT_NAME, edited, sizeof edited);
    const int selection = ListSelection(dialog, IDC_OBJECT_LIST);
    if (previous >= 0 && previous < g_document.objectCount && strcmp(edited, g_document.objectTable[previous].name) != 0) {
        SendDlgItemMessageA(dialog, IDC_OBJECT_LIST, LB_DELETESTRING, previous, 0);
        SendDlgItemMessageA(dialog, IDC_OBJECT_LIST, LB_INSERTSTRING, previous, reinterpret_cast<LPARAM>(edited));
        SendDlgItemMessageA(dialog, IDC_OBJECT_LIST, LB_SETCURSEL, selection, 0);
    }
    SetWindowLongPtrA(dialog, DWLP_USER, selection);
    char name[NAME_FIELD_CHARS + 1];
    ListItemName(dialog, IDC_OBJECT_LIST, selection, name, sizeof name);
    SetDlgItemTextA(dialog, IDC_OBJECT_NAME, name);
    SelectObjectSequence(dialog, selection);
}

INT_PTR FinishSelectObject(HWND dialog)
{
    const int selected = EditedObject(dialog);
    for (int i = 0; i < g_document.objectCount; ++i) {
        char name[NAME_FIELD_CHARS + 1];
        if (i == selected) GetDlgItemTextA(dialog, IDC_OBJECT_NAME, name, sizeof name);
        else ListItemName(dialog, IDC_OBJECT_LIST, i, name, sizeof name);
        StoreObjectName(i, name);
    }
    if (selected < 0 || selected >= g_document.objectCount || selected == g_document.currentObject) return 1;
    return SELECT_OBJECT + selected;
}

// ---- "New Object" ----------------------------------------------------------------------

// Whether the combo ends with "File...": only while object files can be chosen and read.
bool ObjectFilesReadable() { return g_appState.hooks.chooseFile && g_appState.hooks.readObjectFile; }

bool FileChosen(HWND dialog)
{
    const LRESULT selection = SendDlgItemMessageA(dialog, IDC_COPY_FROM_OBJECT, CB_GETCURSEL, 0, 0);
    return ObjectFilesReadable() && selection == g_document.objectCount + 1;
}

int ChosenSequenceRoad(HWND dialog)
{
    for (int id : {IDC_EXISTING_FILE, IDC_OPEN_FILE, IDC_NEW_FILE})
        if (IsDlgButtonChecked(dialog, id) == BST_CHECKED) return id;
    return IDC_EXISTING_FILE;
}

void UpdateNewObjectControls(HWND dialog)
{
    const bool file = FileChosen(dialog);
    const bool room = g_document.sequenceCount < MAX_SEQUENCES;
    EnableWindow(Item(dialog, IDC_OPEN_FILE), room && !file);
    EnableWindow(Item(dialog, IDC_NEW_FILE), room && !file);
    EnableWindow(Item(dialog, IDC_EXISTING_FILE), !file);
    EnableWindow(Item(dialog, IDC_OBJECT_SEQUENCES), !file && ChosenSequenceRoad(dialog) == IDC_EXISTING_FILE);
}

void InitNewObject(HWND dialog)
{
    char pattern[RESOURCE_STRING_LENGTH], name[NAME_FIELD_CHARS + 1];
    LoadResourceString(IDS_DEFAULT_OBJECT_NAME, pattern);
    snprintf(name, sizeof name, pattern, g_document.objectCount + 1);
    SendDlgItemMessageA(dialog, IDC_OBJECT_NAME, EM_LIMITTEXT, NAME_FIELD_CHARS, 0);
    SetDlgItemTextA(dialog, IDC_OBJECT_NAME, name);
    FillSequenceList(dialog, IDC_OBJECT_SEQUENCES);
    SelectObjectSequence(dialog, g_document.currentObject);
    CheckRadioButton(dialog, IDC_EXISTING_FILE, IDC_NEW_FILE, IDC_EXISTING_FILE);
    SendDlgItemMessageA(dialog, IDC_COPY_FROM_OBJECT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("-"));
    FillObjectList(dialog, IDC_COPY_FROM_OBJECT, CB_ADDSTRING);
    if (ObjectFilesReadable()) {
        char file[RESOURCE_STRING_LENGTH];
        LoadResourceString(IDS_FILE_CHOICE, file);
        SendDlgItemMessageA(dialog, IDC_COPY_FROM_OBJECT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(file));
    }
    SendDlgItemMessageA(dialog, IDC_COPY_FROM_OBJECT, CB_SETCURSEL, 0, 0);
    UpdateNewObjectControls(dialog);
}

// The result of the confirmed "New Object" for the chosen road; 0 when the
// road cannot be taken (no sequence chosen for "Existing File").
INT_PTR NewObjectResult(HWND dialog)
{
    switch (ChosenSequenceRoad(dialog)) {
    case IDC_NEW_FILE: return ADD_NEW_SEQUENCE;
    case IDC_OPEN_FILE: return ADD_CHOSEN_FILE;
    default: {
        const int sequence = ListSelection(dialog, IDC_OBJECT_SEQUENCES);
        return sequence >= 0 && sequence < g_document.sequenceCount ? SELECT_OBJECT + sequence : 0;
    }
    }
}

// Fills slot `objectCount` from "-" (nothing) or a copied object with its
// steps. False after the out-of-memory message: nothing stays in the slot.
bool PrepareObjectSlot(int copyFrom)
{
    const int slot = g_document.objectCount;
    DiscardObjectSlot(slot);
    if (copyFrom < 0) return true;
    const ObjectRecord& source = g_document.objectTable[copyFrom];
    HGLOBAL steps = g_document.objectMemoryHandles[copyFrom][0];
    HGLOBAL copy = nullptr;
    if (steps && source.stepCount > 0 && !(copy = DuplicatePathPoints(steps, source.stepCount))) {
        ShowErrorMessage(RESULT_OUT_OF_MEMORY);
        return false;
    }
    g_document.objectTable[slot] = source;
    g_document.objectMemoryHandles[slot][0] = copy;
    return true;
}

void ConfirmNewObject(HWND dialog)
{
    // The name is checked before anything is placed in the new slot, so a
    // refused OK leaves nothing behind.
    char name[NAME_FIELD_CHARS + 1] = "";
    GetDlgItemTextA(dialog, IDC_OBJECT_NAME, name, sizeof name);
    if (!name[0]) {
        SetFocus(Item(dialog, IDC_OBJECT_NAME));
        return;
    }
    const INT_PTR result = NewObjectResult(dialog);
    if (!result) {
        MessageBeep(static_cast<UINT>(-1));
        return;
    }
    const int copyFrom = static_cast<int>(SendDlgItemMessageA(dialog, IDC_COPY_FROM_OBJECT, CB_GETCURSEL, 0, 0)) - 1;
    if (!PrepareObjectSlot(copyFrom < g_document.objectCount ? copyFrom : NO_OBJECT)) return;
    if (g_document.sequenceCount < MAX_SEQUENCES) g_document.sequenceTable[g_document.sequenceCount] = SequenceRecord{};
    ObjectRecord& record = g_document.objectTable[g_document.objectCount];
    CopyName(record.name, sizeof record.name, name);
    EndDialog(dialog, result);
}

// "File...": an object file read into the new slot. Its sequence is one
// already loaded (compared byte for byte with the stored names) or one the
// caller loads from the stored name left in the shared path buffer.
void ConfirmObjectFile(HWND dialog)
{
    char path[MAX_PATH] = "";
    int type = 0;
    if (!g_appState.hooks.chooseFile(dialog, 0, IDS_TITLE_OPEN_OBJECT, IDS_TYPE_OBJECT_FILE, path, &type)) return;
    const int slot = g_document.objectCount;
    DiscardObjectSlot(slot);
    char sequenceName[MAX_PATH] = "";
    const int result = g_appState.hooks.readObjectFile(path, slot, sequenceName);
    if (result != RESULT_OK) {
        DiscardObjectSlot(slot);
        ShowErrorMessage(result);
        return;
    }
    sequenceName[STORED_NAME_CHARS - 1] = '\0';
    ObjectRecord& record = g_document.objectTable[slot];
    for (int i = 0; i < g_document.sequenceCount; ++i)
        if (strcmp(g_document.sequenceTable[i].fileName, sequenceName) == 0) {
            record.sequenceIndex = static_cast<uint8_t>(i);
            EndDialog(dialog, SELECT_OBJECT + i);
            return;
        }
    // A sequence that is not loaded needs a free place in the sequence table.
    if (g_document.sequenceCount >= MAX_SEQUENCES) {
        DiscardObjectSlot(slot);
        MessageBeep(static_cast<UINT>(-1));
        return;
    }
    record.sequenceIndex = g_document.sequenceCount;
    CopyName(g_appState.pathBuffer, MAX_PATH, sequenceName);
    EndDialog(dialog, ADD_PATH_BUFFER);
}

// ---- "Move / Delete Object" --------------------------------------------------------------

// The drag in the object list, kept with the dialog while it is open.
struct ObjectListDrag {
    WNDPROC listProc;  // the list's own procedure
    int source = NO_OBJECT;
    int target = NO_OBJECT;
};

ObjectListDrag* DragOf(HWND dialog) { return reinterpret_cast<ObjectListDrag*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

void RefillObjectList(HWND dialog, int selection)
{
    SendDlgItemMessageA(dialog, IDC_OBJECT_LIST, LB_RESETCONTENT, 0, 0);
    FillObjectList(dialog, IDC_OBJECT_LIST, LB_ADDSTRING);
    SendDlgItemMessageA(dialog, IDC_OBJECT_LIST, LB_SETCURSEL, selection, 0);
}

void RestoreListProc(HWND dialog)
{
    ObjectListDrag* drag = DragOf(dialog);
    if (drag && drag->listProc)
        SetWindowLongPtrA(Item(dialog, IDC_OBJECT_LIST), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(drag->listProc));
    if (drag) drag->listProc = nullptr;
}

void DeleteSelectedObject(HWND dialog)
{
    const int index = ListSelection(dialog, IDC_OBJECT_LIST);
    if (!RemoveObject(dialog, index)) return;
    DropStartMaskBit(index);
    RefillObjectList(dialog, g_document.currentObject);
    if (g_document.objectCount < 2) EnableWindow(Item(dialog, IDC_DELETE_OBJECT), FALSE);
    MarkAnimationModified();
}

// Moves object `source` to index `target` with its record, memory handles and
// run state; the objects between move one place towards `source`.
void MoveObject(int source, int target)
{
    MoveStartMaskBit(source, target);
    const ObjectRecord record = g_document.objectTable[source];
    HGLOBAL handles[3];
    for (int i = 0; i < 3; ++i) handles[i] = g_document.objectMemoryHandles[source][i];
    const ObjectRunState runState = g_document.objectRunStates[source];
    const int step = source < target ? 1 : -1;
    for (int i = source; i != target; i += step) CopyObjectSlot(i, i + step);
    g_document.objectTable[target] = record;
    for (int i = 0; i < 3; ++i) g_document.objectMemoryHandles[target][i] = handles[i];
    g_document.objectRunStates[target] = runState;

    int& current = g_document.currentObject;
    if (current == source) current = target;
    else if (target < source && current >= target && current < source) ++current;
    else if (target > source && current > source && current <= target) --current;
}

// Draws the dragged object's name over the list item under the mouse; false
// when that item is not wholly inside the list.
bool DrawDropTarget(HWND list, int item, int source)
{
    RECT row;
    RECT client;
    if (SendMessageA(list, LB_GETITEMRECT, item, reinterpret_cast<LPARAM>(&row)) == LB_ERR) return false;
    GetClientRect(list, &client);
    if (row.top < client.top || row.bottom > client.bottom) return false;
    HDC dc = GetDC(list);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)));
    FillRect(dc, &row, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    const char* name = g_document.objectTable[source].name;
    TextOutA(dc, row.left + 2, row.top, name, static_cast<int>(strnlen(name, sizeof g_document.objectTable[source].name)));
    SelectObject(dc, oldFont);
    ReleaseDC(list, dc);
    return true;
}

}  // namespace

// ---- shared lists -----------------------------------------------------------------------

int GetDlgItemIntInRange(HWND dialog, int item, int* out, int minimum, int maximum, int fallback, BOOL isSigned)
{
    char text[64] = "";
    HWND field = GetDlgItem(dialog, item);
    int value = 0;
    const bool read = field && GetWindowTextLengthA(field) < int(sizeof text) &&
                      GetWindowTextA(field, text, sizeof text) >= 0 && ParseFieldNumber(text, isSigned != FALSE, &value);
    if (read && value >= minimum && value <= maximum) {
        *out = value;
        return 1;
    }
    *out = fallback;
    return 0;
}

void FillObjectList(HWND dialog, int item, UINT message)
{
    for (int i = 0; i < g_document.objectCount; ++i) {
        char name[sizeof g_document.objectTable[i].name];
        CopyName(name, sizeof name, g_document.objectTable[i].name);
        SendDlgItemMessageA(dialog, item, message, 0, reinterpret_cast<LPARAM>(name));
    }
}

void FillSequenceList(HWND dialog, int item)
{
    for (int i = 0; i < g_document.sequenceCount; ++i) {
        char name[STORED_NAME_CHARS];
        CopyName(name, sizeof name, g_document.sequenceTable[i].fileName);
        SendDlgItemMessageA(dialog, item, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(BareFileName(name)));
    }
}

// ---- dialog procedures -------------------------------------------------------------------

INT_PTR CALLBACK SelectObjectDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        CenterWindow(dialog);
        InitSelectObject(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_OBJECT_LIST:
            if (HIWORD(wParam) == LBN_SELCHANGE) {
                SelectedObjectChanged(dialog);
            } else if (HIWORD(wParam) == LBN_DBLCLK) {
                // The button comes up over whatever lies under the closed dialog.
                g_appState.ignoreNextButtonUp = 1;
                EndDialog(dialog, FinishSelectObject(dialog));
            }
            return TRUE;
        case IDOK: EndDialog(dialog, FinishSelectObject(dialog)); return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        }
        return FALSE;
    default:
        return DefaultCtlColor(message);
    }
}

INT_PTR CALLBACK NewObjectDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        CenterWindow(dialog);
        InitNewObject(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_COPY_FROM_OBJECT:
            if (HIWORD(wParam) == CBN_SELCHANGE) {
                const int object = static_cast<int>(SendDlgItemMessageA(dialog, IDC_COPY_FROM_OBJECT, CB_GETCURSEL, 0, 0)) - 1;
                if (object >= 0 && object < g_document.objectCount) SelectObjectSequence(dialog, object);
                UpdateNewObjectControls(dialog);
            }
            return TRUE;
        case IDC_EXISTING_FILE:
        case IDC_OPEN_FILE:
        case IDC_NEW_FILE:
            UpdateNewObjectControls(dialog);
            return TRUE;
        case IDOK:
            if (FileChosen(dialog)) ConfirmObjectFile(dialog);
            else ConfirmNewObject(dialog);
            return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        }
        return FALSE;
    default:
        return DefaultCtlColor(message);
    }
}

INT_PTR CALLBACK MoveDeleteObjectDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        CenterWindow(dialog);
        auto* drag = new ObjectListDrag;
        SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(drag));
        HWND list = Item(dialog, IDC_OBJECT_LIST);
        FillObjectList(dialog, IDC_OBJECT_LIST, LB_ADDSTRING);
        drag->listProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ObjectListDragProc)));
        EnableWindow(Item(dialog, IDC_DELETE_OBJECT), FALSE);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_OBJECT_LIST:
            // While a test run shows the objects none may go.
            if (!g_appState.animationWindow) EnableWindow(Item(dialog, IDC_DELETE_OBJECT), g_document.objectCount > 1);
            return TRUE;
        case IDC_DELETE_OBJECT: DeleteSelectedObject(dialog); return TRUE;
        case IDOK:
        case IDCANCEL:
            RestoreListProc(dialog);
            EndDialog(dialog, LOWORD(wParam) == IDOK ? 1 : 0);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        RestoreListProc(dialog);
        delete DragOf(dialog);
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        return FALSE;
    default:
        return DefaultCtlColor(message);
    }
}

LRESULT CALLBACK ObjectListDragProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND dialog = GetParent(list);
    ObjectListDrag* drag = DragOf(dialog);
    if (!drag || !drag->listProc) return DefWindowProcA(list, message, wParam, lParam);
    const LRESULT result = CallWindowProcA(drag->listProc, list, message, wParam, lParam);
    const int selection = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
    switch (message) {
    case WM_LBUTTONDOWN:
        drag->source = drag->target = selection;
        break;
    case WM_MOUSEMOVE:
        if (!(wParam & MK_LBUTTON)) {
            drag->source = drag->target = NO_OBJECT;
        } else if (drag->source >= 0 && selection >= 0) {
            if (selection == drag->target) {
                SetCursor(LoadCursorA(nullptr, IDC_SIZENS));
            } else if (drag->source < g_document.objectCount && DrawDropTarget(list, selection, drag->source)) {
                drag->target = selection;
            }
        }
        break;
    case WM_SETCURSOR:
        if (drag->source >= 0 && GetKeyState(VK_LBUTTON) < 0) {
            SetCursor(LoadCursorA(nullptr, IDC_SIZENS));
            return TRUE;
        }
        break;
    case WM_LBUTTONUP: {
        const int source = drag->source, target = drag->target;
        drag->source = drag->target = NO_OBJECT;
        if (source >= 0 && target >= 0 && target != source && source < g_document.objectCount &&
            target < g_document.objectCount) {
            MoveObject(source, target);
            RefillObjectList(dialog, target);
            MarkAnimationModified();
        }
        break;
    }
    }
    return result;
}

void RegisterComposeDialogs()
{
    RegisterDialogProcedure(IDD_SELECT_OBJECT, SelectObjectDlgProc);
    RegisterDialogProcedure(IDD_NEW_OBJECT, NewObjectDlgProc);
    RegisterDialogProcedure(IDD_MOVE_DELETE_OBJECT, MoveDeleteObjectDlgProc);
    RegisterDialogProcedure(IDD_SEQUENCE_ANIMATION, AnimationSequenceDlgProc);
    RegisterDialogProcedure(IDD_CYCLE_DEFINITION, CycleDlgProc);
    RegisterDialogProcedure(IDD_CHANGE_VALUES, ChangeCycleValuesDlgProc);
}
