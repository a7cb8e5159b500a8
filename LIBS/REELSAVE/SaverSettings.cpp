// The screensaver's settings file: section "OPTIONS" with its switches and
// section "ANSFILES" with the animation list, one "File%d" = "path;active"
// per entry. Section and key names come from the string table.
#include "ZelvoSave.h"
#include "resource.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Longer values than this are cut by the profile call; such a value is no
// path of the list anyway and is skipped whole.
constexpr int VALUE_CHARS = 1024;

int ReadInt(const char* iniPath, const std::string& section, const char* key, int fallback)
{
    return static_cast<int>(GetPrivateProfileIntA(section.c_str(), key, fallback, iniPath));
}

bool WriteInt(const char* iniPath, const std::string& section, const char* key, int value)
{
    char text[16];
    snprintf(text, sizeof text, "%d", value);
    return WritePrivateProfileStringA(section.c_str(), key, text, iniPath) != FALSE;
}

// "path;flag" into an entry: the flag after the last ";" (a value without one
// is active). False when the path does not fit an entry: cutting it would
// name another file.
bool ParseEntry(const char* value, SaverEntry* entry)
{
    const char* semicolon = strrchr(value, ';');
    const size_t length = semicolon ? static_cast<size_t>(semicolon - value) : strlen(value);
    if (length == 0 || length >= SAVER_PATH_CHARS) return false;
    memcpy(entry->path, value, length);
    entry->path[length] = '\0';
    entry->active = semicolon ? atoi(semicolon + 1) != 0 : true;
    return true;
}

void ReadList(const char* iniPath, SaverList* list)
{
    const std::string section = SaverString(IDS_SECTION_ANSFILES), format = SaverString(IDS_KEY_FILE);
    list->count = 0;
    for (int n = 1;; ++n) {
        char key[64], value[VALUE_CHARS];
        snprintf(key, sizeof key, format.c_str(), n);
        // A missing key ends the list; the default tells it from an empty value.
        const DWORD got = GetPrivateProfileStringA(section.c_str(), key, "\x01", value, sizeof value, iniPath);
        if (got == 1 && value[0] == '\x01') break;
        if (list->count >= SAVER_MAX_ENTRIES) break;
        if (got >= VALUE_CHARS - 1) continue;
        if (ParseEntry(value, &list->entries[list->count])) ++list->count;
    }
}

}  // namespace

bool SaverIniPathFor(const char* programPath, char* out)
{
    std::string path(programPath ? programPath : "");
    const size_t folderEnd = path.find_last_of("\\/:");
    const size_t dot = path.rfind('.');
    if (dot != std::string::npos && (folderEnd == std::string::npos || dot > folderEnd)) path.erase(dot);
    path += ".INI";
    if (path.size() >= MAX_PATH) return false;
    lstrcpynA(out, path.c_str(), MAX_PATH);
    return true;
}

int SaneSeconds(int seconds)
{
    return seconds < SAVER_MIN_SECONDS ? SAVER_MIN_SECONDS : seconds;
}

void ReadSaverSettings(const char* iniPath, SaverOptions* options, SaverList* list)
{
    const std::string section = SaverString(IDS_SECTION_OPTIONS);
    options->continueValue = ReadInt(iniPath, section, SaverString(IDS_KEY_CONTINUE).c_str(), 0);
    options->random = ReadInt(iniPath, section, SaverString(IDS_KEY_RANDOM).c_str(), 0) != 0;
    options->curTag = ReadInt(iniPath, section, SaverString(IDS_KEY_CURTAG).c_str(), -1);
    options->maxPlay = ReadInt(iniPath, section, SaverString(IDS_KEY_MAXPLAY).c_str(), 0) != 0;
    // Below 10 a tick would switch at once, or, at 0 and below, never.
    options->seconds = SaneSeconds(ReadInt(iniPath, section, SaverString(IDS_KEY_SECONDS).c_str(), SAVER_DEFAULT_SECONDS));
    options->showDesktop = ReadInt(iniPath, section, SAVER_KEY_SHOW_DESKTOP, 0) != 0;
    ReadList(iniPath, list);
    if (options->curTag < -1 || options->curTag >= list->count) options->curTag = -1;
}

bool WriteSaverSettings(const char* iniPath, const SaverOptions& options, const SaverList& list)
{
    const std::string section = SaverString(IDS_SECTION_OPTIONS);
    bool ok = WriteInt(iniPath, section, SaverString(IDS_KEY_CONTINUE).c_str(), options.continueValue);
    ok &= WriteInt(iniPath, section, SaverString(IDS_KEY_RANDOM).c_str(), options.random ? 1 : 0);
    ok &= WriteInt(iniPath, section, SaverString(IDS_KEY_CURTAG).c_str(), options.curTag);
    ok &= WriteInt(iniPath, section, SaverString(IDS_KEY_MAXPLAY).c_str(), options.maxPlay ? 1 : 0);
    ok &= WriteInt(iniPath, section, SaverString(IDS_KEY_SECONDS).c_str(), options.seconds);
    ok &= WriteInt(iniPath, section, SAVER_KEY_SHOW_DESKTOP, options.showDesktop ? 1 : 0);

    // The section is written whole: entries past the new end must go, or
    // they would come back at the next start.
    const std::string files = SaverString(IDS_SECTION_ANSFILES), format = SaverString(IDS_KEY_FILE);
    WritePrivateProfileStringA(files.c_str(), nullptr, nullptr, iniPath);
    for (int i = 0; i < list.count; ++i) {
        char key[64], value[SAVER_PATH_CHARS + 16];
        snprintf(key, sizeof key, format.c_str(), i + 1);
        snprintf(value, sizeof value, "%s;%d", list.entries[i].path, list.entries[i].active ? 1 : 0);
        ok &= WritePrivateProfileStringA(files.c_str(), key, value, iniPath) != FALSE;
    }
    return ok;
}

int CountActiveEntries(const SaverList& list)
{
    int n = 0;
    for (int i = 0; i < list.count; ++i)
        if (list.entries[i].active) ++n;
    return n;
}
