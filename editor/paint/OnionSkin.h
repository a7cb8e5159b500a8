// Onion skinning: a reference frame shows through a pattern wherever the
// current frame has the transparent colour. The reference is the previous
// frame, the next one, or one chosen on the film ("Any Frame").
#pragma once
#include <windows.h>

constexpr int ONION_PREVIOUS = -1;
constexpr int ONION_ANY = 0;
constexpr int ONION_NEXT = 1;

struct OnionSkin {
    int onionSkinEnabled;              // menu 338 "&Onion Skinning"
    int onionSkinSource = ONION_PREVIOUS;  // menu 331, 333, 332; GreaseProofMode
    int onionSkinFrame;                // the chosen reference, and the last computed one
    HBITMAP onionSkinBuffer;           // the reference's strip, frame format
    HBITMAP onionSkinMask;             // monochrome: set where the frame is transparent
};
extern OnionSkin g_onionSkin;

void SetOnionSkin(int on);
int IsOnionSkinOn();
// -1 previous, 1 next, 0 any frame; any other value counts by its sign.
void SetOnionSkinSource(int source);
int GetOnionSkinSource();
// A film click in "Any Frame" mode: 1 when the reference changed, else 0.
int SetOnionSkinFrame(int frame);
// -1 while off, else the reference frame (stored in onionSkinFrame).
int GetOnionSkinFrame();
// The frame the view shows through the pattern, or -1 when none is drawn (off,
// fewer than two frames, or the reference is the current frame).
int OnionSkinShownFrame();

// The reference for a source: previous wraps to the last frame, next to 0,
// any is `chosen` limited to 0..count - 1. -1 without frames.
int OnionReferenceFrame(int source, int current, int count, int chosen);

// The two buffers at min(frame, view buffer) size, while onion skinning is on.
void MakeOnionSkinBuffers();
void FreeOnionSkinBuffers();
