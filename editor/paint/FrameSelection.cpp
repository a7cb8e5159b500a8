// The frame selection (see FrameSelection.h).
#include "FrameSelection.h"
#include "AppState.h"
#include "PaintHost.h"
#include <cstring>

FrameSelection g_frameSelection{};

namespace {

bool InSelectionRange(int frame) { return frame >= 0 && frame < FRAME_SELECTION_SIZE; }

// Flags are only meaningful for the frames the sequence has: another sequence
// made current may leave flags behind beyond its last frame.
int FrameLimit() { return g_appState.frameCount < FRAME_SELECTION_SIZE ? g_appState.frameCount : FRAME_SELECTION_SIZE; }

void InvalidateFilm()
{
    if (g_appState.filmWindow) InvalidateRect(g_appState.filmWindow, nullptr, FALSE);
}

}  // namespace

int NextSelectedFrame(int previous)
{
    const int current = g_appState.currentFrame;
    const int limit = FrameLimit();
    if (current < 0 || current >= limit || previous == current) return -1;
    for (int frame = previous < 0 ? 0 : previous + 1; frame < limit; ++frame)
        if (frame != current && g_frameSelection.selected[frame]) return frame;
    return current;
}

int CountSelectedFrames()
{
    int count = 0;
    for (int frame = NextSelectedFrame(-1); frame >= 0; frame = NextSelectedFrame(frame)) ++count;
    return count;
}

int SetFrameSelection(int mode, int frame, int repaint)
{
    BYTE* flags = g_frameSelection.selected;
    switch (mode) {
    case SELECTION_CLEAR_ALL:
        memset(flags, 0, sizeof g_frameSelection.selected);
        break;
    case SELECTION_CLEAR_FROM:
        if (InSelectionRange(frame)) memset(flags + frame, 0, FRAME_SELECTION_SIZE - frame);
        break;
    case SELECTION_SELECT_ALL:
        for (int i = 0; i < FrameLimit(); ++i) flags[i] = 1;
        break;
    case SELECTION_TOGGLE:
        if (InSelectionRange(frame)) flags[frame] = flags[frame] ? 0 : 1;
        break;
    default:
        break;
    }
    if (repaint) InvalidateFilm();
    return IsFrameSelected(frame);
}

int IsFrameSelected(int frame) { return InSelectionRange(frame) && g_frameSelection.selected[frame] ? 1 : 0; }

int HasFrameSelection()
{
    int count = 0;
    bool otherThanCurrent = false;
    for (int frame = 0; frame < FrameLimit(); ++frame) {
        if (!g_frameSelection.selected[frame]) continue;
        ++count;
        if (frame != g_appState.currentFrame) otherThanCurrent = true;
    }
    return count > 1 || (count == 1 && otherThanCurrent) ? 1 : 0;
}

void ClearFrameSelectionIfAuto()
{
    if (!(g_appState.optionFlags & OPTION_AUTO_CLEAR_FRAME_SELECTION)) return;
    bool anySet = false;
    for (int frame = 0; frame < FrameLimit(); ++frame) {
        anySet = anySet || g_frameSelection.selected[frame];
        g_frameSelection.selected[frame] = 0;
    }
    if (anySet) InvalidateFilm();
}

int PreviousSelectedFrame(int frame)
{
    if (frame > FRAME_SELECTION_SIZE) frame = FRAME_SELECTION_SIZE;
    for (int i = frame - 1; i >= 0; --i)
        if (g_frameSelection.selected[i]) return i;
    return -1;
}

void MarkSelectedFramesModified()
{
    for (int frame = NextSelectedFrame(-1); frame >= 0; frame = NextSelectedFrame(frame))
        if (g_paintHost.setFrameModified) g_paintHost.setFrameModified(frame);
    if (g_paintHost.updateStatusBar) g_paintHost.updateStatusBar(1, g_appState.currentFrame);
}
