// The editor's settings file (SettingsFile): a private profile beside the
// program whose sections and keys are named by string-table ids (IniKey). A
// key text holding "%d" is made per editor instance with g_appState.instanceNumber.
#pragma once
#include <windows.h>

struct IniKey {
    UINT section;
    UINT key;
};

constexpr int INI_SECTION_CHARS = 23;  // longest section name loaded
constexpr int INI_KEY_CHARS = 31;      // longest key name loaded

// Points the settings file somewhere else (tests); null returns it beside the program.
void SetIniFilePath(const char* path);
// The settings file's path: the program's path with its extension replaced by ".ini".
void GetIniFilePath(char* path, int room);

int ReadIniInt(UINT sectionId, UINT keyId, int defaultValue);
// Default "".
void ReadIniString(UINT sectionId, UINT keyId, char* out, int room);
BOOL WriteIniString(UINT sectionId, UINT keyId, const char* text);
// Written with "%d".
BOOL WriteIniInt(UINT sectionId, UINT keyId, int value);

inline int ReadIniInt(IniKey key, int defaultValue) { return ReadIniInt(key.section, key.key, defaultValue); }
inline BOOL WriteIniInt(IniKey key, int value) { return WriteIniInt(key.section, key.key, value); }
