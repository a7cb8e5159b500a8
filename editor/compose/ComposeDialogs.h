// The composition dialogs: choosing, creating, reordering and deleting the
// animation's objects, the sequence animation of an object, and the cycle
// definition (its step list) with the value-over-range dialog. They run
// through the editor's dialog runner, which RegisterComposeDialogs gives
// their procedures, and edit the document tables in place.
#pragma once
#include "AnsFile.h"
#include <windows.h>
#include <cstdint>

// Gives the dialog runner the procedures of templates 1012, 1013, 1016, 1017,
// 1018 and 1037. Called once at start-up, before the main window exists.
void RegisterComposeDialogs();

// ---- object dialogs ----------------------------------------------------------------

// "Select Object" (1017): 0 Cancel, 1 the current object stays current,
// SELECT_OBJECT + index for another object. Writes the edited names back.
INT_PTR CALLBACK SelectObjectDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// "New Object" (1016): 0 Cancel, 1 New File, 2 Open File, 3 an object file
// whose sequence is still to be loaded (its stored name in the shared path
// buffer), SELECT_OBJECT + i an existing sequence i. Prepares slot
// `objectCount` for AddObject only on a confirmed OK.
INT_PTR CALLBACK NewObjectDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// "Move / Delete Object" (1018): 1 OK, 0 Cancel; moves and deletions apply at
// once, so Cancel keeps them.
INT_PTR CALLBACK MoveDeleteObjectDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The object list of dialog 1018 while it is open: dragging an item moves
// the object.
LRESULT CALLBACK ObjectListDragProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
// "Define Animation Sequence" (1012): 1 OK (record written), 0 Cancel.
INT_PTR CALLBACK AnimationSequenceDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Reads every control of dialog 1012 into a copy of the current object's
// record and writes it back only when every value is valid: 1, or 0 after a
// beep.
int ApplySequenceAnimation(HWND dialog);

// Settles objectFlags 0x01 after the user defined one kind of motion: asks
// (Yes/No) whether to switch from the other kind when the object uses it;
// returns the new bit.
int ChooseCycleOrSequence(HWND owner, int object, int wantCycle);

// Reads an integer field: 1 and the value when it is a number within
// minimum..maximum, else `fallback` in *out and 0.
int GetDlgItemIntInRange(HWND dialog, int item, int* out, int minimum, int maximum, int fallback, BOOL isSigned);
// Adds each object's name (LB_ADDSTRING or CB_ADDSTRING), in object order.
void FillObjectList(HWND dialog, int item, UINT message);
// Adds each sequence's file name without its folder, in sequence order.
void FillSequenceList(HWND dialog, int item);
// "Start Objects (n):" over a list of objects to start ("Start Objects:"
// while none is chosen).
void ShowStartObjectsLabel(HWND dialog, int list, int label);

// Start masks (bit i = object i) of every step of every object follow a
// deleted or moved object.
void DropStartMaskBit(int index);
void MoveStartMaskBit(int from, int to);
// The arithmetic on one mask: bit `index` dropped and the bits above it moved
// down; bit `from` moved to `to` and the bits between moved one place towards
// `from`.
uint32_t DropMaskBit(uint32_t mask, int index);
uint32_t MoveMaskBit(uint32_t mask, int from, int to);
inline uint32_t StepStartMask(const ObjectStep& step) { return uint32_t{step.startMaskHigh} << 16 | step.startMaskLow; }
inline void SetStepStartMask(ObjectStep* step, uint32_t mask)
{
    step->startMaskHigh = static_cast<uint16_t>(mask >> 16);
    step->startMaskLow = static_cast<uint16_t>(mask);
}

// ---- cycle definition dialog ----------------------------------------------------

// Private messages of dialog 1013.
constexpr UINT CYCLEDLG_FORWARD_KEY = WM_USER + 7;  // 1031: wParam the key, for the strip with the focus
constexpr UINT CYCLEDLG_SHOW_STATUS = WM_USER + 8;  // 1032: lParam (frame + 1) << 16 | (step + 1)
constexpr UINT CYCLEDLG_RELOAD = WM_USER + 9;       // 1033: from the test-run window when a run ends

// The parameter of the path dialog (1045) that "Insert Path..." runs: a
// zeroed one-step block and -1 (a new path); the dialog may reallocate the
// block and updates the handle.
struct PathDialogParams {
    HGLOBAL block;
    int32_t count;
};

// "Define Cycle" (1013), lParam the step to select: 1 after OK with the step
// list written to the object, 0 after Cancel.
INT_PTR CALLBACK CycleDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The cycle dialog while it is open, else null.
HWND OpenCycleDialog();
// Gives the strips object `object`'s frames and a working copy of its step
// list with `step` selected. False when the copy cannot be made.
bool LoadCycleDialog(HWND dialog, int object, int step);
// Shows a step in the fields (the selected one of the bottom strip, or an
// empty entry without a selection).
void ShowCycleEntry(HWND dialog);
// Builds an entry from the fields (conditions, sound, start objects and cycle
// option only when `withConditions`). False after a beep when a field holds
// no number or one out of range; the entry is then untouched.
bool BuildCycleEntry(HWND dialog, bool withConditions, ObjectStep* entry);
// Flags of StoreCycleEntry.
constexpr int STORE_CONDITIONS = 0x02;
constexpr int STORE_SELECTED_FRAME = 0x04;
// Builds the entry and sends `message` (FILMSTRIP_SET_ITEM, _INSERT_ITEM or
// _APPEND_ITEM) to the bottom strip at its selected step. False when the
// fields were refused or the list is full.
bool StoreCycleEntry(HWND dialog, UINT message, int flags);
// Hands the bottom strip's list to object `object` (the dialog's own object).
void CommitCycleSteps(HWND dialog, int object);

// The condition pickers: a popup of the strings from `firstString` on (until
// one does not load), ids firstId + (string - firstString).
HMENU BuildConditionMenu(UINT firstString, UINT firstId);
// Paints a picker button with the text of item choice - 1 of `menu`; choice 0
// shows *lastChoice, a non-zero choice is remembered there.
void DrawConditionButton(const DRAWITEMSTRUCT* item, int choice, HMENU menu, int* lastChoice);
void ShowConditionMenu(HWND dialog, int button, HMENU menu);
// The key combo: the named keys of strings 400-419, then 0-9 and A-Z, each
// with its virtual-key code as item data.
void FillKeyCombo(HWND dialog, int combo);
void SelectKeyInCombo(HWND dialog, int combo, int key);

// "Change ... Value" (1037), lParam the command 10052-10055: changes X, Y,
// the delay or two flags over a range of the cycle dialog's steps.
INT_PTR CALLBACK ChangeCycleValuesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// What dialog 1037 applies, and the arithmetic of it.
enum ValueKind { CHANGE_X, CHANGE_Y, CHANGE_DELAY, CHANGE_FLAGS };
enum ValueFilter { FILTER_ABSOLUTE, FILTER_RELATIVE, FILTER_ALL };
constexpr int FLAG_LEAVE = BST_INDETERMINATE;  // a three-state box that leaves its flag
struct ValueChange {
    ValueKind kind;
    bool set;            // set to `value`, else add it
    int value;
    ValueFilter filter;  // X and Y only
    int fixFrame;        // Flags: BST_CHECKED sets 0x20, BST_UNCHECKED clears it, FLAG_LEAVE
    int waitStarted;     // Flags: the same for 0x08
    int first;           // steps first .. end - 1
    int end;
};
void ApplyValueChange(ObjectStep* steps, int count, const ValueChange& change);
