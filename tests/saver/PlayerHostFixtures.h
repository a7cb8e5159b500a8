// What the tests of the screensaver and of the browser plug-in share: small
// animation files written with the engine tests' fixtures (a background
// colour, one opaque square object, optionally an end after some steps with a
// following animation), and a message pump that waits for a state.
#pragma once
#include "EngineFixtures.h"
#include <functional>
#include <string>

struct TestAnimation {
    int width = 200, height = 150;
    COLORREF background = RGB(0, 0, 128);
    int position = 0;           // positionFlags & 3: 0 centred, 2 at x, y, 1 random
    int x = 0, y = 0;
    int endAction = 0;
    std::string next;           // the following animation
    int endAfter = 0;           // steps of the object before the animation ends; 0: it never ends
    bool desktopBackground = false;
    bool part = false;          // a part of another animation
    bool withObject = true;
    bool writeSequence = true;  // false: the object's frame sequence is missing
    COLORREF objectColor = RGB(240, 240, 240);
    int objectX = 10, objectY = 10, objectSize = 20;
    // Writes folder + name and, for the object, folder + <stem>.bmx.
    bool Write(const std::string& folder, const std::string& name) const;
};

// Pumps this thread's messages until the condition holds or the time is up.
// The condition's last value.
bool PumpMessagesUntil(const std::function<bool()>& condition, DWORD milliseconds = 20000);
// Pumps messages for a while, for tests that check that nothing happens.
void PumpFor(DWORD milliseconds);
