// The frame selection: the frames of the current sequence that every painting
// tool and frame operation works on, together with the current frame, which
// is always worked on, and last.
#pragma once
#include <windows.h>

constexpr int FRAME_SELECTION_SIZE = 255;

// One flag byte per frame; nonzero = selected.
struct FrameSelection {
    BYTE selected[FRAME_SELECTION_SIZE];
};
extern FrameSelection g_frameSelection;

// SetFrameSelection modes.
enum FrameSelectionMode : int {
    SELECTION_CLEAR_ALL = 0,
    SELECTION_CLEAR_FROM = 1,  // the frame and every later one
    SELECTION_SELECT_ALL = 2,  // frames 0 .. frameCount - 1
    SELECTION_TOGGLE = 3,      // the frame
};

// Start with -1: the selected frames below frameCount in ascending order,
// skipping the current frame, then the current frame, then -1 (also -1 at
// once while there are no frames).
int NextSelectedFrame(int previous);
// How many frames NextSelectedFrame yields.
int CountSelectedFrames();
// `repaint`: the film is invalidated. Returns the frame's flag (0 for a frame
// outside 0..254, which modes 1 and 3 leave alone).
int SetFrameSelection(int mode, int frame, int repaint);
int IsFrameSelected(int frame);
// 1 when more than one frame is flagged, or one that is not the current frame.
int HasFrameSelection();
// With option AutoClearFrameSelection: clears the flags of the sequence's
// frames and repaints the film when any was set.
void ClearFrameSelectionIfAuto();
// The nearest lower frame whose flag is set, or -1 (going back on a delete).
int PreviousSelectedFrame(int frame);
// The modified bits of every frame NextSelectedFrame yields and of the
// sequence; then the status bar shows the current frame's number.
void MarkSelectedFramesModified();
