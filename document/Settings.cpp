// Settings file path and its four accessors.
#include "Settings.h"
#include "AppState.h"
#include <cstdio>
#include <cstring>

namespace {

// Where the settings file is when it is not beside the program.
struct SettingsFileOverride {
    bool set;
    char path[MAX_PATH];
};
SettingsFileOverride s_override{};

// Replaces the file name's extension (or appends one) in a path buffer.
bool ReplaceExtension(char* path, int room, const char* extension)
{
    char* name = path;
    for (char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/') name = p + 1;
    char* dot = strrchr(name, '.');
    char* end = dot ? dot : path + strlen(path);
    if (static_cast<int>((end - path) + strlen(extension)) >= room) return false;
    strcpy(end, extension);
    return true;
}

// The file, section and key names of a pair of ids; a key holding "%d" gets
// the editor's instance number.
struct IniNames {
    char file[MAX_PATH];
    char section[INI_SECTION_CHARS + 1];
    char key[INI_KEY_CHARS + 1 + 8];
    bool Resolve(UINT sectionId, UINT keyId)
    {
        GetIniFilePath(file, sizeof file);
        HINSTANCE module = GetModuleHandleA(nullptr);
        char keyText[INI_KEY_CHARS + 1];
        if (!file[0] || !LoadStringA(module, sectionId, section, sizeof section) ||
            !LoadStringA(module, keyId, keyText, sizeof keyText))
            return false;
        const char* mark = strstr(keyText, "%d");
        if (!mark) {
            lstrcpynA(key, keyText, sizeof key);
            return true;
        }
        // Only the "%d" is replaced: the key text is not a format of its own.
        snprintf(key, sizeof key, "%.*s%d%s", static_cast<int>(mark - keyText), keyText, g_appState.instanceNumber,
                 mark + 2);
        return true;
    }
};

}  // namespace

void SetIniFilePath(const char* path)
{
    s_override.set = path && *path;
    if (s_override.set) lstrcpynA(s_override.path, path, sizeof s_override.path);
}

void GetIniFilePath(char* path, int room)
{
    if (room <= 0) return;
    path[0] = '\0';
    if (s_override.set) {
        lstrcpynA(path, s_override.path, room);
        return;
    }
    char module[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
    if (length == 0 || length >= sizeof module) return;  // a cut path would name another file
    if (!ReplaceExtension(module, sizeof module, ".ini")) return;
    lstrcpynA(path, module, room);
}

int ReadIniInt(UINT sectionId, UINT keyId, int defaultValue)
{
    IniNames names;
    if (!names.Resolve(sectionId, keyId)) return defaultValue;
    return static_cast<int>(GetPrivateProfileIntA(names.section, names.key, defaultValue, names.file));
}

void ReadIniString(UINT sectionId, UINT keyId, char* out, int room)
{
    if (room <= 0) return;
    out[0] = '\0';
    IniNames names;
    if (names.Resolve(sectionId, keyId)) GetPrivateProfileStringA(names.section, names.key, "", out, room, names.file);
}

BOOL WriteIniString(UINT sectionId, UINT keyId, const char* text)
{
    IniNames names;
    return names.Resolve(sectionId, keyId) && WritePrivateProfileStringA(names.section, names.key, text, names.file);
}

BOOL WriteIniInt(UINT sectionId, UINT keyId, int value)
{
    char text[16];
    snprintf(text, sizeof text, "%d", value);
    return WriteIniString(sectionId, keyId, text);
}
