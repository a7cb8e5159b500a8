// The screensaver's strings and message boxes, its command line, and making
// it the system's screensaver.
#include "UiSeam.h"
#include "ZelvoSave.h"
#include <cctype>
#include <cstring>

std::string SaverString(UINT id)
{
    char text[512];
    const int n = LoadStringA(g_saver.instance, id, text, sizeof text);
    return std::string(text, n > 0 ? n : 0);
}

int ShowSaverMessage(HWND owner, const std::string& text, const std::string& caption, UINT type)
{
    return CurrentUiSeam().messageBox(owner, text.c_str(), caption.c_str(), type);
}

SaverMode ParseSaverCommandLine(const char* commandLine, bool* install)
{
    std::string line(commandLine ? commandLine : "");
    for (char& c : line) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    const auto has = [&line](char letter) {
        return line.find(std::string("-") + letter) != std::string::npos ||
               line.find(std::string("/") + letter) != std::string::npos;
    };
    *install = has('I');
    if (has('C')) return SAVER_MODE_CONFIGURE;
    if (has('P')) return SAVER_MODE_PREVIEW;
    return SAVER_MODE_RUN;
}

bool InstallAsScreensaver(const char* programPath)
{
    char systemIni[MAX_PATH];
    const UINT n = GetWindowsDirectoryA(systemIni, MAX_PATH);
    if (n == 0 || n + sizeof "\\SYSTEM.INI" > MAX_PATH) return false;
    lstrcatA(systemIni, "\\SYSTEM.INI");
    return WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", programPath, systemIni) != FALSE;
}
