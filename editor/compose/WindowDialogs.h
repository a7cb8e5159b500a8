// The animation window's settings and additional options, the foreground
// regions, the path editor, the sound of a step and the frame offsets: their
// dialog procedures (registered with the editor's dialog runner by
// RegisterWindowDialogs) and the arithmetic behind them.
#pragma once
#include "AnsFile.h"
#include <windows.h>
#include <cstdint>

// Gives the dialog runner the procedures of the templates built so far.
void RegisterWindowDialogs();

// ---- "Select Sound:" (1035) and "Set Frame Offsets" (1015) -------------------------

// lParam: the ObjectStep whose soundIndex is chosen. 1 (set) or 0.
INT_PTR CALLBACK SelectSoundDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// 1 OK, 0 Cancel (frames already stored stay changed).
INT_PTR CALLBACK FrameOffsetsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Sent to the owner of the sound dialog when sound `wParam` (1-based) was
// deleted and lParam was the old sound count, so a list of steps that the
// owner keeps aside (the path editor's nodes) follows.
constexpr UINT COMPOSE_SOUND_DELETED = WM_USER + 40;

// A step's sound index after sound `deleted` (1-based) of `oldCount` went:
// that sound becomes 0, later ones move down; stop codes and 0 stay.
uint8_t RenumberSoundIndex(uint8_t index, int deleted, int oldCount);
// Removes table entry `index` (1-based) and renumbers every object's steps.
void DeleteSound(int index);
// all: the sound count; else the sounds that are not MIDI (the video
// export's count of wave sounds).
int CountSoundEntries(int all);

// "Set All": every frame of the current sequence gets the offsets; with
// "%D" in `name` every other frame gets the name too (`shownFrame` has had
// its own name stored already).
void SetAllFrameOffsets(int offsetX, int offsetY, const char* name, int shownFrame);
// Stores one frame's offsets and name; false (nothing stored) for a frame or
// offset out of range.
bool StoreFrameOffset(int frame, int offsetX, int offsetY, const char* name);

// ---- "Animation Window Settings" (1010) and the additional options (1014) ------------

// 1 after OK (settings and document coordinates changed), 0 after Cancel.
INT_PTR CALLBACK AnimationWindowSettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Reads every control of dialog 1010 with the chosen colour and the picture in
// the shared path buffer, and writes the settings only when every field is
// valid: 1, or 0 (nothing changed; the caller beeps).
int ApplyWindowSettings(HWND dialog, COLORREF color);
// Moves every object start, absolute step coordinate and region for a new
// coordinate origin (see the source for the arithmetic).
void ShiftDocumentCoordinates(int dx, int dy, int frameFactor);
void ShiftRegions(int dx, int dy);
// The frame size of sequence `sequence`: the frame editor's, the test run's
// images', else the size in the sequence file's header; 0 x 0 when unknown.
SIZE SequenceFrameSize(int sequence);

// "Zusatzoptionen": 1 after OK, 0 after Cancel.
INT_PTR CALLBACK AdditionalOptionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// paletteSource after a choice in the palette combo: item data
// PALETTE_ITEM_STANDARD, PALETTE_ITEM_PICTURE or a sequence index.
constexpr int PALETTE_ITEM_STANDARD = -1;
constexpr int PALETTE_ITEM_PICTURE = 31;
uint8_t PaletteSourceForChoice(uint8_t paletteSource, int choice);
// The end-action file name fits its action: ".ANS" for 1 and 2, ".EXE" for 3.
bool EndActionNameFits(int action, const char* name);

// ---- "Define Animation Path" (1045) and its small dialogs (1046-1048) ---------------

// lParam: the PathDialogParams {block, count} (count -1: a new path to be
// inserted into a cycle). Result: the number of nodes written into the
// block (reallocated as needed, the handle updated), or -1 for Cancel.
INT_PTR CALLBACK AnimationPathDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// lParam and result: the number of nodes (2..999); 0 for Cancel.
INT_PTR CALLBACK ChangePathDefinitionDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// lParam: the PathOptions edited; 1 OK, 0 Cancel.
INT_PTR CALLBACK PathOptionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// lParam: the FrameAssignment filled in (selectedOnly on entry: a group
// exists); 1 OK, 0 Cancel.
INT_PTR CALLBACK AssignPathFramesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// ---- "Define Foreground Regions..." (1011) ------------------------------------------

// 1 after OK (the edited regions stay), 0 after Cancel (the regions as they
// were when the dialog opened are put back).
INT_PTR CALLBACK ForegroundRegionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK RegionEditorProc(HWND editor, UINT message, WPARAM wParam, LPARAM lParam);
// Messages to the region editor.
constexpr UINT REGIONEDIT_DELETE_SELECTED = WM_USER + 1;  // 1025
constexpr UINT REGIONEDIT_ZOOM = WM_USER + 4;             // 1028: wParam +1 or -1; 0 when refused
