// Which animation of the list plays next, and where on the screen it goes.
#include "ZelvoSave.h"

namespace {

// The n-th active entry (from 0), -1 when there are fewer.
int NthActiveEntry(const SaverList& list, int n)
{
    for (int i = 0; i < list.count; ++i)
        if (list.entries[i].active && n-- == 0) return i;
    return -1;
}

// A random place on one axis: away from the edges by 1/64 of the screen,
// 0 when the picture leaves no room.
int RandomOffset(int screen, int size, SaverRandom rng)
{
    const int room = screen - screen / 32 - size;
    if (room < 1) return 0;
    return screen / 64 + static_cast<int>(static_cast<unsigned>(rng()) % static_cast<unsigned>(room));
}

int Clamp(int value, int low, int high)
{
    if (value > high) value = high;
    return value < low ? low : value;
}

}  // namespace

int NextAnimationIndex(const SaverList& list, int current, bool random, SaverRandom rng)
{
    const int active = CountActiveEntries(list);
    if (active == 0) return -1;
    if (random && active > 1) {
        // Some other entry is active, so this ends.
        for (;;) {
            const int chosen = NthActiveEntry(list, static_cast<int>(static_cast<unsigned>(rng()) % active));
            if (chosen != current) return chosen;
        }
    }
    // From the entry after `current` on, wrapping once: with one active entry
    // that is `current` itself again.
    const int start = current + 1 >= 0 && current + 1 < list.count ? current + 1 : 0;
    for (int k = 0; k < list.count; ++k) {
        const int i = (start + k) % list.count;
        if (list.entries[i].active) return i;
    }
    return -1;
}

POINT PlaceOnScreen(int mode, POINT fixed, int w, int h, int screenW, int screenH, SaverRandom rng)
{
    switch (mode & 3) {
    case 0:
        return {(screenW - w) / 2, (screenH - h) / 2};
    case 2:
        return {Clamp(fixed.x, 0, screenW - w), Clamp(fixed.y, 0, screenH - h)};
    default:
        return {RandomOffset(screenW, w, rng), RandomOffset(screenH, h, rng)};
    }
}
