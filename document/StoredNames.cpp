// The check of names read out of files and archives before they become paths.
#include "StoredNames.h"
#include <windows.h>
#include <cstring>

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDigitOneToNine(unsigned char c)
{
    // Windows also takes the superscript digits of the ANSI set for COM and LPT.
    return (c >= '1' && c <= '9') || c == 0xB9 || c == 0xB2 || c == 0xB3;
}

// "\\.\", "\\?\" and "\??\" (either separator) lead into the device namespace.
bool IsDeviceNamespace(const char* name)
{
    if (IsSeparator(name[0]) && IsSeparator(name[1]) && (name[2] == '.' || name[2] == '?') &&
        (IsSeparator(name[3]) || name[3] == '\0'))
        return true;
    return IsSeparator(name[0]) && name[1] == '?' && name[2] == '?' && IsSeparator(name[3]);
}

}  // namespace

bool IsDeviceName(const char* component, int length)
{
    if (!component) return false;
    if (length < 0) length = static_cast<int>(strlen(component));
    // The device is the part before the first dot, without the blanks Windows
    // drops there: "aux", "AUX.n.bmx", "aux .wav" and "aux. " all name AUX.
    int end = 0;
    while (end < length && component[end] != '.') ++end;
    while (end > 0 && component[end - 1] == ' ') --end;
    char base[8];
    if (end == 0 || end >= static_cast<int>(sizeof base)) return false;
    for (int i = 0; i < end; ++i) {
        const char c = component[i];
        base[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;  // device names are plain ASCII
    }
    base[end] = '\0';
    static const char* const devices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* device : devices)
        if (strcmp(base, device) == 0) return true;
    return end == 4 && (strncmp(base, "COM", 3) == 0 || strncmp(base, "LPT", 3) == 0) &&
           IsDigitOneToNine(static_cast<unsigned char>(base[3]));
}

bool IsSafeStoredName(const char* name)
{
    if (!name || !*name || IsDeviceNamespace(name)) return false;
    for (const char* p = name; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c < 32 || strchr("<>\"|?*", c)) return false;
    }
    // Every part counts: "sub\aux.bmx" and "aux:" reach the device as surely
    // as "aux.bmx" does.
    const char* part = name;
    for (const char* p = name;; ++p) {
        if (*p == '\0' || IsSeparator(*p) || *p == ':') {
            if (IsDeviceName(part, static_cast<int>(p - part))) return false;
            if (*p == '\0') return true;
            part = p + 1;
        }
    }
}

bool IsSafeBareName(const char* name)
{
    if (!IsSafeStoredName(name)) return false;
    const size_t length = strlen(name);
    if (length >= MAX_PATH || strpbrk(name, "\\/:")) return false;
    if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0) return false;
    return name[length - 1] != '.' && name[length - 1] != ' ';
}
