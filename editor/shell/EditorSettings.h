// The editor's settings: every key of the settings file with its section and
// the default its reader uses, the defaults written at the first start, the
// option bits (optionFlags) read when the main window is created, and the keys
// kept once per editor instance (WindowSize%d, Maximized%d, ViewSize%d).
#pragma once
#include "Settings.h"
#include <windows.h>
#include <cstdint>

// One key of the settings file: its section and the default its reader uses
// (text keys read "" when missing and have no numeric default).
struct SettingsKeyInfo {
    UINT section;
    UINT key;
    int readDefault;
    bool isText;
};

// The table of every key, in the order of their string ids.
const SettingsKeyInfo* SettingsKeys(int* count);
// The entry of a key id, or null.
const SettingsKeyInfo* FindSettingsKey(UINT keyId);

// Reads a numeric key with its own default (0 for an unknown id).
int ReadSetting(UINT keyId);
BOOL WriteSetting(UINT keyId, int value);

// Writes the defaults of a fresh settings file in their fixed order. With
// onlyWhenMissing set nothing happens when the file exists.
void WriteDefaultSettings(int onlyWhenMissing);

// The option bit word from its keys, read in their fixed order; a key that
// is missing contributes its default.
uint32_t ReadOptionFlags();

// What the main window reads when it is created, besides the option bits.
struct StartupSettings {
    int undoBufferSize;   // kilobytes, for the undo buffer
    int onionSkinSource;  // -1 previous frame, 1 next frame, 0 any frame
};
// The creation order: the defaults when the file is missing, then
// g_appState.optionFlags, g_appState.moveKeys, the undo buffer size and the
// onion-skin source.
StartupSettings ReadStartupSettings();

// ---- keys kept per editor instance -----------------------------------------

constexpr int DEFAULT_VIEW_PERCENT = 50;
constexpr int MIN_VIEW_PERCENT = 5;
constexpr int MAX_VIEW_PERCENT = 95;

// The two split percentages of the workspace ("%d %d"); a value that is
// missing or outside 5..95 reads as 50.
void ReadViewSize(int* horizontal, int* vertical);
void WriteViewSize(int horizontal, int vertical);

// The main window's place as stored: "%d %d %d %d".
struct WindowSize {
    int left, top, width, height;
};
// False when the key does not hold four numbers.
bool ReadWindowSize(WindowSize* size);
// 1 when the window was maximised at exit.
int ReadMaximized();

// At exit: the window's size (only when it is neither minimised nor
// maximised), whether it is maximised, the onion-skin source, then the recent
// files.
void SaveWindowPlacement(HWND mainWindow, int onionSkinSource);
