// The test run: the editor plays the open document in its own window without
// writing a file. The objects step straight from the document tables (their
// step blocks, the frames of the current sequence and the image sets of the
// others); this is the per-object stepping, the conditions, the start masks,
// the drawing behind the foreground regions, the sounds, the clock and the
// end of the run. The window that shows it is AnimationWindow.h's.
#pragma once
#include "AnsFile.h"
#include "ObjectRunState.h"
#include "StepConditions.h"
#include "WindowPicture.h"
#include <windows.h>
#include <cstdint>

// The test-run clock: a window timer in timer mode, else a fast mode that
// steps at least this far apart and pumps messages in between.
constexpr UINT_PTR RUN_TIMER_ID = 1;
constexpr UINT RUN_TIMER_MS = 55;
constexpr DWORD RUN_FAST_STEP_MS = 25;

// Keys, the pointer, the window under it and the focus, as the conditions ask
// for them. Tests install their own; a null member keeps the system's.
using RunInputSource = ConditionInput;
// Null puts the system's answers back.
void SetRunInputSource(const RunInputSource* source);

// The state of the run as a whole.
struct TestRun {
    HWND window;                  // the test-run window (null in tests without one)
    uint32_t startMask;           // objects started by this tick's steps (bit i = object i)
    bool endRequested;            // a step with stepFlags 0x10 was left
    bool ended;                   // the clock stopped (the run ended or was stopped)
    bool ready;                   // every save bitmap was made: the run may step
    uint32_t soundState;          // the MCI kinds playing
    bool soundOn;
    bool soundErrorShown;         // one sound error box per run
    bool forced;                  // the Control Center's forced-condition switch
    uint32_t fixedFrameExclusion; // objects whose fixed frame is not stamped (the observed one)
    int width, height;            // the client size W x H
    int objectCount;              // the objects the run has state for
    BackgroundPicture picture;    // the off-screen picture; dc null when a brush is enough
    HBRUSH backgroundBrush;
    DWORD lastTick;
    int stepCounts[MAX_EDITOR_OBJECTS];  // steps of each locked block that are safe to read
    int frameCounts[MAX_SEQUENCES];      // frames of each sequence for this run
    HBITMAP scratchMasks[MAX_SEQUENCES]; // the draw-time masks of codes 0x10-0x1F
    HDC frameDC;                  // frames are selected here to be drawn
    HDC maskDC;                   // masks and save bitmaps
};
extern TestRun g_testRun;

// ---- coordinates and object state ----------------------------------------------

// A stored coordinate in window coordinates: minus half the frame size with
// positionFlags 0x04, plus half the window size with 0x08.
int ToWindowCoordinate(int value, int frameSize, int windowSize);
// The frames of an object's sequence in this run.
int RunFrameCount(int object);

void ResetObjectRun(int object);
void ResetAllObjects();
// Locks the step blocks of the objects with a step list and takes their
// counts, the frame counts and sizes afresh, holding every object's step and
// frame inside them (the editor may have changed them while the run was
// suspended). UnlockStepBlocks undoes the locks.
void LockStepBlocks();
void UnlockStepBlocks();
// One byte per step of each object's step list for the counter condition.
bool AllocateStepCounters();
void FreeStepCounters();

// ---- stepping ----------------------------------------------------------------------

void StepObject(int object);
void StepObjectList(int object);
bool WaitInterrupted(int object, const ObjectStep& step);
bool EvaluateBranch(int object, const ObjectStep& step, bool forced);
// The button (VK_LBUTTON, VK_RBUTTON) is down over the test-run window's client area.
bool MouseButtonInWindow(int virtualKey);
bool ObjectClicked(int object);
void ApplyStartMask();
// Every object stepped, the start mask applied, the sounds triggered: the
// state part of a tick.
void StepAllObjects();

// ---- pictures -----------------------------------------------------------------------

// Loads the sequences the run needs, refreshes the current sequence from the
// editor and builds the masks. Result code (a sequence that cannot be loaded).
int BuildSequenceMasks();
// Paints the transparent colour back into the current sequence's frames where
// their masks say, undoing the blackening that drawing needs.
void RestoreTransparentFrames();
void ExcludeRegionsFromClip(HDC dc);
// The off-screen picture (or only the brush), with the window resized to a
// picture of another size. Result code.
int RunBackground(HWND window);

void RestoreBackgrounds();
void TriggerSounds();
void DrawObjects();
// Copies what changed onto the window's DC (nothing without one).
void CopyChangedAreas(HDC windowDC);
bool CheckRunEnd();
// The picture on the window as a whole (WM_PAINT).
void PaintRun(HDC windowDC);

// The first step of a run: every object stepped and drawn, nothing put back.
void PerformFirstStep();
// One tick: backgrounds back, every object stepped, the start mask, sounds,
// drawing and copying; with `endTest` the end of the run is checked. True
// while the run goes on.
bool TickRun(bool endTest = true);

// ---- life of a run -------------------------------------------------------------------

// Everything the run needs from the document; the window's client size is the
// picture. Result code; with RESULT_OK the run may still not be ready (no
// save bitmaps): it then does not step.
int PrepareRun(HWND window);
// Stops sounds, puts the background back, resets every object and steps once.
void RestartRun();
// Minimised and restored: the step blocks, the frames and the palettes.
void SuspendRun();
int ResumeRun();
// Frees what the run holds and repairs the current sequence's frames.
void EndRun();

void StartRunClock();
void StopRunClock();
// The fast mode's wait: messages are handled until the next step is due.
// False when the window went (its WM_DESTROY passed) or WM_QUIT came.
bool PumpUntilNextStep();
