// The state of the open "Define Cycle" dialog (kept in its user slot) and the
// pieces its source files share: the step list in the bottom strip, the
// condition pickers, the keyboard hook and the layout.
#pragma once
#include "AnsFile.h"
#include "DialogUtilities.h"
#include <windows.h>
#include <vector>

enum ConditionPicker { PICK_MOUSE, PICK_POSITION, PICK_KEY, PICKER_COUNT };

// Where a control of the middle band sat in the template, and which group
// box it moves with (-1: a button of the row below the groups).
struct ControlPlace {
    HWND window;
    RECT rect;  // client coordinates at the template's size
    int group;  // 0..2, or -1
};

struct CycleDialogState {
    int object = -1;        // the object edited: the dialog's own index, kept even
                            // when a switch to another object fails half way
    ObjectStep working{};   // the selected step as the condition controls edit it
    HMENU pickers[PICKER_COUNT]{};
    int lastChoice[PICKER_COUNT] = {1, 1, 1};  // what a picker shows without a condition
    int startObjectsShown = -1;  // the count the "Start Objects" label shows
    char statusFormat[RESOURCE_STRING_LENGTH] = "";
    bool runStartedHere = false;   // a test run this dialog started is going on
    bool changedBeside = false;    // steps were changed in the block, not through the strip
    // Layout: the template's client size, strip height and the middle band.
    SIZE templateClient{};
    int templateStripHeight = 0;
    int templateStripTop = 0;
    int middleBand = 0;
    SIZE frameExtra{};  // window size minus client size (frame, caption, menu)
    std::vector<ControlPlace> places;
    RECT groupRects[3]{};
};

CycleDialogState* CycleState(HWND dialog);

// The bottom strip's selected step and count.
int SelectedStep(HWND dialog);
int StepCount(HWND dialog);
// The step in the fields' place: the selected one, or an empty entry.
ObjectStep SelectedEntry(HWND dialog);

// StoreCycleEntry with the frame given (-1: as the flags say).
bool StoreCycleEntryFrame(HWND dialog, UINT message, int flags, int frame);

// The frames strip and the step strip.
HWND FramesStrip(HWND dialog);
HWND StepsStrip(HWND dialog);

// Conditions: the check boxes and menu items that edit the working entry.
void ClickConditionBox(HWND dialog, int box);
void ChooseConditionItem(HWND dialog, UINT command);
void ShowJumpField(HWND dialog);
// Repaints the three picker buttons from the working entry.
void ShowConditionControls(HWND dialog);
// WM_DRAWITEM of a picker button (1037-1039).
void DrawPickerButton(HWND dialog, const DRAWITEMSTRUCT* item);

// The sound button's text for a sound index; the start-objects label.
void SoundButtonText(int soundIndex, char* text, int room);
void UpdateStartObjectsLabel(HWND dialog);

// The keyboard hook of the dialog's thread (one dialog at a time).
void InstallCycleKeyboardHook(HWND dialog);
void RemoveCycleKeyboardHook();

// Layout, remembered size and minimising.
void InitCycleLayout(HWND dialog);
// Sizes the dialog as it was last time (or as the template), centred over the
// editor and kept on the screen; maximised when it was.
void PlaceCycleDialog(HWND dialog);
void LayoutCycleDialog(HWND dialog, int clientWidth, int clientHeight);
void RememberCycleDialogSize(HWND dialog, UINT sizeType);
void LimitCycleDialogSize(HWND dialog, MINMAXINFO* info);
void PaintMinimisedCycleDialog(HWND dialog);

void Beep();
