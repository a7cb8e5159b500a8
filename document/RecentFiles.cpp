// The recent-files list and its File-menu items.
#include "RecentFiles.h"
#include "Settings.h"
#include <cstdio>
#include <cstring>

RecentFiles g_recentFiles{};

namespace {

const char MRU_SECTION[] = "MRU";

// The menu and position of the item with the id, searched through submenus.
bool FindMenuItem(HMENU menu, UINT id, HMENU* owner, int* position)
{
    const int items = GetMenuItemCount(menu);
    for (int i = 0; i < items; ++i) {
        if (GetMenuItemID(menu, i) == id) {
            *owner = menu;
            *position = i;
            return true;
        }
        if (HMENU sub = GetSubMenu(menu, i))
            if (FindMenuItem(sub, id, owner, position)) return true;
    }
    return false;
}

// Rewrites the menu items from the list: missing items are inserted after the
// existing ones, then every label is written from the newest down.
void RewriteRecentMenu()
{
    RecentFiles& r = g_recentFiles;
    HMENU owner = nullptr;
    int first = 0;
    if (!r.menu || r.count == 0 || !FindMenuItem(r.menu, IDM_RECENT_FILE_FIRST, &owner, &first)) return;
    if (r.menuItems < 1) r.menuItems = 1;  // the placeholder item 150
    for (int i = r.menuItems; i < r.count; ++i)
        InsertMenuA(owner, first + i, MF_BYPOSITION | MF_STRING, IDM_RECENT_FILE_FIRST + i, "");
    if (r.count > r.menuItems) r.menuItems = r.count;
    char label[RECENT_LABEL_CHARS];
    for (int i = r.count - 1; i >= 0; --i) {
        FormatRecentFileLabel(r.count - i, r.paths[i], label, sizeof label);
        ModifyMenuA(owner, first + i, MF_BYPOSITION | MF_STRING, IDM_RECENT_FILE_FIRST + i, label);
    }
}

}  // namespace

int LoadRecentFiles(HMENU menu)
{
    RecentFiles& r = g_recentFiles;
    r.count = 0;
    r.menu = menu;
    r.menuItems = 1;
    char file[MAX_PATH];
    GetIniFilePath(file, sizeof file);
    for (int i = 0; i < MAX_RECENT_FILES && file[0]; ++i) {
        char key[4];
        snprintf(key, sizeof key, "%d", i);
        char path[MAX_PATH + 1];
        const DWORD length = GetPrivateProfileStringA(MRU_SECTION, key, "", path, sizeof path, file);
        if (length == 0) break;
        if (length >= MAX_PATH) continue;  // longer than any path that can be opened
        lstrcpynA(r.paths[r.count++], path, MAX_PATH);
    }
    RewriteRecentMenu();
    return r.count;
}

void SaveRecentFiles()
{
    const RecentFiles& r = g_recentFiles;
    char file[MAX_PATH];
    GetIniFilePath(file, sizeof file);
    if (!file[0]) return;
    char key[4];
    for (int i = 0; i < r.count; ++i) {
        snprintf(key, sizeof key, "%d", i);
        WritePrivateProfileStringA(MRU_SECTION, key, r.paths[i], file);
    }
    // An entry left from a longer list would be read back behind the new ones.
    snprintf(key, sizeof key, "%d", r.count);
    WritePrivateProfileStringA(MRU_SECTION, key, nullptr, file);
}

void AddRecentFile(const char* path)
{
    RecentFiles& r = g_recentFiles;
    if (!path || !path[0] || strlen(path) >= MAX_PATH) return;
    const int found = FindRecentFile(path);
    if (found >= 0 && found == r.count - 1) return;
    int drop = found;
    if (drop < 0 && r.count == MAX_RECENT_FILES) drop = 0;
    if (drop >= 0) {
        for (int i = drop; i + 1 < r.count; ++i) memcpy(r.paths[i], r.paths[i + 1], MAX_PATH);
        --r.count;
    }
    lstrcpynA(r.paths[r.count++], path, MAX_PATH);
    RewriteRecentMenu();
}

const char* GetRecentFile(UINT commandId)
{
    if (commandId < IDM_RECENT_FILE_FIRST || commandId >= IDM_RECENT_FILE_FIRST + g_recentFiles.count) return nullptr;
    return g_recentFiles.paths[commandId - IDM_RECENT_FILE_FIRST];
}

int FindRecentFile(const char* path)
{
    for (int i = 0; i < g_recentFiles.count; ++i)
        if (lstrcmpiA(g_recentFiles.paths[i], path) == 0) return i;
    return -1;
}

void FormatRecentFileLabel(int number, const char* path, char* label, int room)
{
    if (room <= 0) return;
    const int length = static_cast<int>(strlen(path));
    char separator = '\\';
    if (!strchr(path, separator)) separator = '/';
    const char* firstSeparator = strchr(path, separator);
    if (!firstSeparator) {
        snprintf(label, room, "&%d %s", number, path);
        return;
    }
    // Move the cut back over earlier separators while the tail stays short.
    int cut = static_cast<int>(strrchr(path, separator) - path);
    for (int i = cut - 1; i >= 0; --i)
        if (path[i] == separator) {
            if (length - i > RECENT_LABEL_TAIL_CHARS) break;
            cut = i;
        }
    const int head = static_cast<int>(firstSeparator - path) + 1;
    if (cut > head - 1)
        snprintf(label, room, "&%d %.*s...%s", number, head, path, path + cut);
    else
        snprintf(label, room, "&%d %s", number, path);
}
