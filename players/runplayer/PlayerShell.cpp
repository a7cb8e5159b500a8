// End action 3: the following file or web address is opened with the shell's
// "open" verb, programs included, as the animation asks. Only a program,
// script or shortcut that an archive carried is refused: an animation is
// media, and must not bring along a program and start it.
#include "AnxArchive.h"
#include "RunPlayer.h"
#include <shellapi.h>
#include <cstring>
#include <string>

namespace {

ShellExecuteFn g_shellExecute = nullptr;

// Types the shell runs rather than opens, or that lead on to another target.
const char* const kProgramTypes[] = {"exe", "com", "bat", "cmd", "pif", "scr", "lnk", "vbs", "vbe", "js",  "jse",
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

bool IsProgramType(const std::string& type)
{
    for (const char* program : kProgramTypes)
        if (lstrcmpiA(type.c_str(), program) == 0) return true;
    return false;
}

bool IsExistingFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsAddress(const std::string& name) { return name.find("://") != std::string::npos; }

// True when the shell, given `candidate` in `folder`, would run a program,
// script or shortcut that lies inside a folder an archive was unpacked into.
// A name without a type counts too: the shell tries the program types on it.
bool RunsFromUnpackedArchive(const std::string& candidate, const char* folder)
{
    const std::string name = Normalised(candidate);
    if (name.empty() || IsAddress(name)) return false;
    const bool rooted = name[0] == '\\' || name[0] == '/' || (name.size() > 1 && name[1] == ':');
    const std::string path = rooted || !folder ? name : std::string(folder) + "\\" + name;
    const std::string type = TypeOf(name);
    if (!type.empty()) return IsProgramType(type) && IsExistingFile(path) && IsInsideUnpackFolder(path.c_str());
    for (const char* program : kProgramTypes) {
        const std::string typed = path + "." + program;
        if (IsExistingFile(typed) && IsInsideUnpackFolder(typed.c_str())) return true;
    }
    return false;
}

// The leading word of a name, which a shell that reads the name as a command
// line would take for the program.
std::string LeadingWord(std::string name)
{
    const size_t start = name.find_first_not_of(' ');
    if (start == std::string::npos) return std::string();
    name.erase(0, start);
    const size_t end = name.front() == '"' ? name.find('"', 1) : name.find(' ');
    if (end != std::string::npos) name.erase(end);
    return name;
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

bool IsRefusedShellTarget(const char* name, const char* folder)
{
    // Nothing named would open the folder itself; a device or a forbidden
    // character is a file that is not there.
    if (!name || !*name || (!IsAddress(name) && !IsSafeStoredName(name))) return true;
    const std::string whole = name;
    const std::string part = ShellFilePart(name);
    for (const std::string& candidate : {whole, part, LeadingWord(whole), LeadingWord(part)})
        if (RunsFromUnpackedArchive(candidate, folder)) return true;
    return false;
}

bool OpenWithShell(const char* name)
{
    char folder[MAX_PATH];
    const DWORD n = GetCurrentDirectoryA(MAX_PATH, folder);
    const char* directory = (n > 0 && n < MAX_PATH) ? folder : nullptr;
    if (IsRefusedShellTarget(name, directory)) return false;
    const ShellExecuteFn shellExecute = g_shellExecute ? g_shellExecute : ShellExecuteA;
    const char* part = ShellFilePart(name);
    if (Opened(shellExecute(nullptr, "open", part, nullptr, directory, SW_SHOWDEFAULT))) return true;
    return part != name && Opened(shellExecute(nullptr, "open", name, nullptr, directory, SW_SHOWDEFAULT));
}
