// A harmless program for the tests of what the players hand to the shell.
// Started, it appends its own path as one line to the file that the
// environment variable ZELVO_SHELL_TARGET_LOG names (when it is set), then
// stays while a file named like the program with ".hold" added exists (a
// minute at most), so that a test can find it running.
#include <windows.h>
#include <cstring>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 2;
    char log[MAX_PATH];
    const DWORD logLength = GetEnvironmentVariableA("ZELVO_SHELL_TARGET_LOG", log, MAX_PATH);
    if (logLength > 0 && logLength < MAX_PATH) {
        HANDLE file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            const std::string line = std::string(self) + "\n";
            DWORD written = 0;
            WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            CloseHandle(file);
        }
    }
    const std::string hold = std::string(self) + ".hold";
    const DWORD start = GetTickCount();
    while (GetFileAttributesA(hold.c_str()) != INVALID_FILE_ATTRIBUTES && GetTickCount() - start < 60000) Sleep(50);
    return 0;
}
