// The recent-files list: the last eight documents, oldest first, kept in the
// settings file's section "MRU" and shown at the end of the File menu.
#pragma once
#include <windows.h>

constexpr int MAX_RECENT_FILES = 8;
constexpr UINT IDM_RECENT_FILE_FIRST = 150;  // item 150 + i shows entry i
constexpr int RECENT_LABEL_TAIL_CHARS = 32;
constexpr int RECENT_LABEL_CHARS = MAX_PATH + 16;

struct RecentFiles {
    int count;
    char paths[MAX_RECENT_FILES][MAX_PATH];
    HMENU menu;     // the menu holding item 150, or null
    int menuItems;  // recent-file items present in it (the placeholder counts)
};
extern RecentFiles g_recentFiles;

// Reads keys "0" to "7" of "MRU" up to the first missing one; with a menu and
// at least one path fills its items. Returns the count.
int LoadRecentFiles(HMENU menu);
// Writes keys "0" .. count-1 and deletes key count.
void SaveRecentFiles();
// Makes the path the newest entry (ignoring case, an older equal entry moves).
void AddRecentFile(const char* path);
// The path of menu item id, or null.
const char* GetRecentFile(UINT commandId);
// Index of the entry equal to the path ignoring case, or -1.
int FindRecentFile(const char* path);
// "&<number> " and the path, a deep path shortened to its first folder, "..."
// and a tail of at most 32 characters starting at a separator.
void FormatRecentFileLabel(int number, const char* path, char* label, int room);
