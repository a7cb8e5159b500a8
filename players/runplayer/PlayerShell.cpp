// End action 3: the following file is opened with the shell's "open" verb.
// The name comes from the animation file, which may have come out of an
// archive together with whatever else the archive carried, so the player
// hands the shell documents only, never a program or a script.
#include "RunPlayer.h"
#include <shellapi.h>
#include <cstring>
#include <string>

namespace {

ShellExecuteFn g_shellExecute = nullptr;

// Types the shell would run rather than open, or that change the system or
// lead on to another target when opened.
const char* const kRefusedTypes[] = {"exe", "com", "bat", "cmd", "pif", "scr", "lnk", "vbs", "vbe", "js",  "jse",
                                     "wsf", "wsh", "hta", "msi", "msc", "cpl", "jar", "reg", "url", "scf"};

// A candidate as the file system reads it: without surrounding quotes and
// without the trailing dots and blanks that Windows drops from a file name.
std::string Normalised(std::string name)
{
    if (!name.empty() && name.front() == '"') name.erase(0, 1);
    const size_t quote = name.find('"');
    if (quote != std::string::npos) name.erase(quote);
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    return name;
}

// The type of a name: the part after the last "." of its bare name; empty
// when there is none.
std::string TypeOf(const std::string& name)
{
    const size_t folderEnd = name.find_last_of("\\/:");
    const std::string bare = folderEnd == std::string::npos ? name : name.substr(folderEnd + 1);
    const size_t dot = bare.rfind('.');
    return dot == std::string::npos ? std::string() : bare.substr(dot + 1);
}

bool IsRefusedType(const std::string& type)
{
    for (const char* refused : kRefusedTypes)
        if (lstrcmpiA(type.c_str(), refused) == 0) return true;
    return false;
}

// A name the shell is given whole: it must have a type, and not one that runs.
bool IsRefusedTarget(const std::string& name)
{
    const std::string type = TypeOf(Normalised(name));
    return type.empty() || IsRefusedType(type);
}

// The leading word of a name, which a shell that reads the name as a command
// line would take for the program.
bool HasRefusedLeadingWord(const std::string& name)
{
    std::string word = name;
    const size_t start = word.find_first_not_of(' ');
    if (start == std::string::npos) return false;
    word.erase(0, start);
    const size_t end = word.front() == '"' ? word.find('"', 1) : word.find(' ');
    if (end != std::string::npos) word.erase(end);
    return IsRefusedType(TypeOf(Normalised(word)));
}

bool Opened(HINSTANCE result)
{
    // Values up to 32 are the shell's error codes.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace

void InstallShellExecute(ShellExecuteFn fn) { g_shellExecute = fn; }

const char* ShellFilePart(const char* name)
{
    const char* blank = strchr(name, ' ');
    const char* end = blank ? blank : name + strlen(name);
    const char* part = name;
    for (const char* p = name; p < end; ++p)
        if (*p == '\\') part = p + 1;
    return part;
}

bool IsRefusedShellTarget(const char* name)
{
    const std::string whole = name ? name : "";
    const std::string part = ShellFilePart(whole.c_str());
    return IsRefusedTarget(whole) || IsRefusedTarget(part) || HasRefusedLeadingWord(whole) ||
           HasRefusedLeadingWord(part);
}

bool OpenWithShell(const char* name)
{
    if (!name || IsRefusedShellTarget(name)) return false;
    const ShellExecuteFn shellExecute = g_shellExecute ? g_shellExecute : ShellExecuteA;
    char folder[MAX_PATH];
    const DWORD n = GetCurrentDirectoryA(MAX_PATH, folder);
    const char* directory = (n > 0 && n < MAX_PATH) ? folder : nullptr;
    const char* part = ShellFilePart(name);
    if (Opened(shellExecute(nullptr, "open", part, nullptr, directory, SW_SHOWDEFAULT))) return true;
    return part != name && Opened(shellExecute(nullptr, "open", name, nullptr, directory, SW_SHOWDEFAULT));
}
