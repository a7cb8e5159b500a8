// Small pieces the document model's source files share.
#pragma once
#include "AppState.h"
#include <windows.h>

// The wait cursor for the length of a file operation.
class BusyCursor {
public:
    BusyCursor() : previous_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
    ~BusyCursor() { SetCursor(previous_); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
private:
    HCURSOR previous_;
};

// The UseSavedPalette option forced to one value for the length of a load.
class SavedPaletteModeOverride {
public:
    explicit SavedPaletteModeOverride(int mode)
        : saved_(g_appState.optionFlags & (OPTION_TWO_BITS << OPTION_SAVED_PALETTE_SHIFT))
    {
        SetMode(static_cast<uint32_t>(mode) << OPTION_SAVED_PALETTE_SHIFT);
    }
    ~SavedPaletteModeOverride() { SetMode(saved_); }
    SavedPaletteModeOverride(const SavedPaletteModeOverride&) = delete;
    SavedPaletteModeOverride& operator=(const SavedPaletteModeOverride&) = delete;
private:
    static void SetMode(uint32_t bits)
    {
        const uint32_t field = OPTION_TWO_BITS << OPTION_SAVED_PALETTE_SHIFT;
        g_appState.optionFlags = (g_appState.optionFlags & ~field) | (bits & field);
    }
    uint32_t saved_;
};

inline void NotifyDocument(DocumentEvent event)
{
    if (g_appState.hooks.documentChanged) g_appState.hooks.documentChanged(event);
}

// A string of the string table in which the one "%d" is replaced by a number.
void FormatNumberedString(UINT stringId, int number, char* out, int room);
// The current directory, a backslash and `name` in a MAX_PATH buffer.
bool PathInCurrentDirectory(const char* name, char* out);

// The two halves of SwitchToSequence, for callers that change the current
// object between them. Messages are shown here.
// The sequence file (MAX_PATH, rewritten to the file found) opens and is a
// sequence file or a bitmap, and the save questions let it replace the frames.
bool PrepareSequenceSwitch(HWND owner, char* path);
// Loads it into the emptied frame editor as sequence `sequenceIndex`.
bool LoadSwitchedSequence(char* path, int sequenceIndex);
