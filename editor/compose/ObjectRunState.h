// The test run's state of one object (ObjectRunState). The document keeps one
// per object slot (DocumentState::objectRunStates) so that moving an object in
// the object dialogs moves its state with it; the test run fills them.
#pragma once
#include "AnsFile.h"
#include <windows.h>
#include <cstdint>

// status values.
constexpr uint8_t RUN_RUNNING = 0x00;
constexpr uint8_t RUN_FINISHED = 0x01;
constexpr uint8_t RUN_PASSED_OVER = 0x02;  // added while a finished or unstarted object is passed over
constexpr uint8_t RUN_NOT_STARTED = 0x80;  // disabled at start, not started yet

struct ObjectRunState {
    HBITMAP saveBitmap;      // the background under the last drawn place (frame size)
    int32_t frameWidth;      // size of the object's sequence
    int32_t frameHeight;
    uint8_t sequence;        // sequence index
    uint8_t status;          // RUN_* above
    uint8_t previousStatus;  // status at the end of the last start-mask pass
    uint8_t frame;           // current frame
    uint8_t fixFrame;        // the current step has stepFlags 0x20
    int32_t x, y;            // the frame's top-left corner in window coordinates
    int32_t drawnX, drawnY;  // where the frame was drawn (position plus the frame's offsets)
    int32_t previousX, previousY;  // the drawn place one tick earlier
    int32_t counter;         // frame-delay or wait counter; -1: the step is entered now
    int32_t stepIndex;       // current step
    ObjectStep* steps;       // the locked step block while a run is active; null for a sequence animation
    HGLOBAL stepCounters;    // one byte per step: passes counted by a counter condition
    int32_t passCount;       // completed frame cycles of a sequence animation
    int32_t frameStep;       // +1 or -1
    int32_t dx, dy;          // velocity
    int32_t moveCounter;     // motion-delay counter
    uint8_t pendingSound;    // sound index of the step just entered
    uint8_t stayedOnStep;    // the last branch went back to the same step
    uint8_t counterShown;    // the last counter value, for the Control Center
};
