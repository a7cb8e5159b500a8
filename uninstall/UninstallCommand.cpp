#include "UninstallCommand.h"

namespace {

UINT ShowUninstallMessage(const UninstallCalls& calls, const char* text)
{
    calls.messageBox(nullptr, text, UNINSTALL_CAPTION, MB_OK);
    return 0;
}

// Reads the command into `command`. Only a non-empty, terminated string that
// fits the buffer counts: anything else cannot be started safely.
bool ReadUninstallCommand(HKEY key, char (&command)[UNINSTALL_COMMAND_SIZE])
{
    DWORD type = 0;
    DWORD size = sizeof command;
    LONG status = RegQueryValueExA(key, UNINSTALL_VALUE, nullptr, &type,
                                   reinterpret_cast<BYTE*>(command), &size);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0) return false;
    // A string stored without its terminator has it added when there is room.
    if (command[size - 1] != '\0') {
        if (size == sizeof command) return false;
        command[size] = '\0';
    }
    return command[0] != '\0';
}

}  // namespace

const UninstallCalls& RealUninstallCalls()
{
    static const UninstallCalls calls{&MessageBoxA, &WinExec};
    return calls;
}

UINT RunUninstallCommand(HKEY root, const char* keyPath, const UninstallCalls& calls)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return ShowUninstallMessage(calls, UNINSTALL_NOT_INSTALLED);
    char command[UNINSTALL_COMMAND_SIZE] = "";
    bool found = ReadUninstallCommand(key, command);
    RegCloseKey(key);
    if (!found) return ShowUninstallMessage(calls, UNINSTALL_NO_COMMAND);
    return calls.winExec(command, SW_SHOWNORMAL);
}
