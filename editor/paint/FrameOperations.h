// The Frame and Image menus: adding, inserting, deleting, swapping and moving
// frames with the step lists of the objects kept right, and the geometric
// edits, colour passes and effects over the frame selection, each one undo
// group. Built into the shell library: the commands work on the document.
#pragma once
#include <windows.h>

// How frame indexes change when frames are inserted, deleted, moved or swapped.
enum FrameRenumber : int {
    RENUMBER_INSERT,  // a new frame at a
    RENUMBER_DELETE,  // frame a deleted from frameCount frames
    RENUMBER_MOVE,    // frame a moved to b
    RENUMBER_SWAP,    // frames a and b changed places
};
// The index a step shows afterwards.
int RenumberFrameIndex(int index, FrameRenumber kind, int a, int b, int frameCount);
// Every step of every object that uses the current sequence; the animation
// counts as modified when a step changed.
void RenumberStepLists(FrameRenumber kind, int a, int b, int frameCount);
// The film's swap (swap 1) and move: the step references follow.
void RemapFrameRefsOnMove(int from, int to, int swap);
// Moves frame `from` to `to` (the frames between close up) or swaps the two:
// bitmaps, records, offsets and step references; the undo list is cleared
// and the sequence marked modified. 1 done, 0 nothing to do.
int MoveOrSwapFrame(int from, int to, int swap);

// `keys`: MK_SHIFT and MK_CONTROL as held. 1 done, 0 refused or cancelled.
int DoFrameCommand(UINT command, WPARAM keys);
int DoImageCommand(UINT command, WPARAM keys);
// Undo, Repeat, Cut, Copy, Clear and Paste into sequence.
int DoEditCommand(UINT command, WPARAM keys);
// The keys held now, for the two above.
WPARAM HeldCommandKeys();

// Stores the rotation angle and retitles items 520 and 521 with |degrees|.
int SetRotationAngle(int degrees);
