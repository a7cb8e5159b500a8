// Opening a list entry in the editor: the command registered for opening
// frame-sequence files, with the entry's path in place of its parameter.
#include "ZelvoSave.h"
#include "WaitCursor.h"

namespace {

constexpr char OPEN_COMMAND_KEY[] = "zBildsequenz\\shell\\open\\command";

bool ReadRegisteredCommand(std::string* command)
{
    char value[MAX_PATH * 2];
    LONG size = sizeof value;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, OPEN_COMMAND_KEY, value, &size) != ERROR_SUCCESS || size <= 1) return false;
    value[sizeof value - 1] = '\0';
    *command = value;
    return true;
}

bool StartShownNormally(const std::string& commandLine)
{
    std::string line = commandLine;  // CreateProcess may write into it
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

const SaverEditorSeam realSeam = {ReadRegisteredCommand, StartShownNormally};
const SaverEditorSeam* currentSeam = &realSeam;

}  // namespace

void InstallSaverEditorSeam(const SaverEditorSeam* seam) { currentSeam = seam ? seam : &realSeam; }

std::string EditorCommandFor(const std::string& registered, const char* path)
{
    // A command without a parameter mark still gets the file, after a blank.
    const size_t mark = registered.rfind('%');
    if (mark == std::string::npos) return registered + " " + path;
    return registered.substr(0, mark) + path;
}

bool OpenInEditor(const char* path)
{
    std::string registered;
    if (!currentSeam->readOpenCommand(&registered)) return false;
    WaitCursor wait;
    return currentSeam->startProgram(EditorCommandFor(registered, path));
}
