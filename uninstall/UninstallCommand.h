// The uninstaller starts the uninstall command that the installer registered;
// it removes nothing itself. The calls that reach the user or start programs
// go through a table so that a test can answer them.
#pragma once
#include <windows.h>

// Where the installer registers the command (under HKEY_LOCAL_MACHINE).
constexpr char UNINSTALL_KEY[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zelvo 4";
constexpr char UNINSTALL_VALUE[] = "UninstallString";
constexpr DWORD UNINSTALL_COMMAND_SIZE = 260;

constexpr char UNINSTALL_CAPTION[] = "Zelvo 4 Uninstall";
constexpr char UNINSTALL_NOT_INSTALLED[] = "Zelvo has not been installed on your system!";
constexpr char UNINSTALL_NO_COMMAND[] = "No uninstall information found in the registry!";

struct UninstallCalls {
    int (WINAPI* messageBox)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
    UINT (WINAPI* winExec)(LPCSTR commandLine, UINT show);
};

// The table that calls USER32 and KERNEL32.
const UninstallCalls& RealUninstallCalls();

// Reads the command from `root`\`keyPath` and starts it. The result is the
// program's exit code: WinExec's result (above 31 on success), or 0 after a
// message that there is nothing to start.
UINT RunUninstallCommand(HKEY root, const char* keyPath, const UninstallCalls& calls);
