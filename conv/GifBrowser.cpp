// The preview of an animated GIF document in the user's web browser: the
// animation is written to a temporary file that the program registered to
// open web pages is started with, and deleted afterwards.
#include "ConvLibrary.h"
#include "GifAnimation.h"
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

// Where the browser's open command is registered, in the order tried.
const char* const BROWSER_KEYS[] = {"htmlfile\\shell\\open\\command", "http\\shell\\open\\command"};
constexpr int BROWSER_EXTRA_WIDTH = 200;  // around the animation in the browser's window
constexpr int BROWSER_EXTRA_HEIGHT = 220;
constexpr DWORD SETTLE_MS = 500;
constexpr DWORD IDLE_WAIT_MS = 10000;

}  // namespace

bool ReadBrowserCommand(char* command, int room)
{
    for (const char* key : BROWSER_KEYS) {
        LONG size = room;
        command[0] = '\0';
        if (RegQueryValueA(HKEY_CLASSES_ROOT, key, command, &size) == ERROR_SUCCESS && command[0]) return true;
    }
    command[0] = '\0';
    return false;
}

bool BuildBrowserCommandLine(const char* command, const char* file, char* line, size_t room)
{
    std::string text(command);
    const std::string quoted = std::string("\"") + file + "\"";
    const size_t placeholder = text.find("%1");
    if (placeholder != std::string::npos) {
        // The file goes where the command wants it, quoted once.
        const bool inQuotes = placeholder > 0 && text[placeholder - 1] == '"';
        text.replace(placeholder, 2, inQuotes ? std::string(file) : quoted);
    } else {
        // A quoted program path ends the command: what follows it is left out.
        const size_t quote = text.size() > 1 ? text.find('"', 1) : std::string::npos;
        if (quote != std::string::npos) text.resize(quote + 1);
        text += " " + quoted;
    }
    if (text.size() + 1 > room) return false;
    memcpy(line, text.c_str(), text.size() + 1);
    return true;
}

void PreviewGifInBrowser(HWND owner, const GifAnimSettings* settings, const char* command, ConvHostProc host)
{
    std::unique_ptr<GifAnimSettings> copy(new (std::nothrow) GifAnimSettings(*settings));
    if (!copy) return;
    FitGifScreen(copy.get(), copy->frameWidth, copy->frameHeight);

    char path[MAX_PATH];
    const DWORD folder = GetTempPathA(MAX_PATH, path);
    if (folder == 0 || folder + 16 >= MAX_PATH) return;
    if (path[folder - 1] != '\\') strcat(path, "\\");
    snprintf(path + strlen(path), MAX_PATH - strlen(path), "zvgif%04X.gif",
             static_cast<unsigned>(GetTickCount() & 0xFFFF));
    if (SaveAnimatedGif(copy.get(), path, owner, GIF_SAVE_NO_PROGRESS, nullptr, host) == CONV_OK) {
        char line[2 * MAX_PATH + 2 * BROWSER_COMMAND_CHARS];
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESIZE;
        startup.dwXSize = copy->screenWidth + BROWSER_EXTRA_WIDTH;
        startup.dwYSize = copy->screenHeight + BROWSER_EXTRA_HEIGHT;
        PROCESS_INFORMATION process{};
        if (BuildBrowserCommandLine(command, path, line, sizeof line) &&
            CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            // The browser must have read the file before it goes.
            Sleep(SETTLE_MS);
            WaitForInputIdle(process.hProcess, IDLE_WAIT_MS);
            Sleep(SETTLE_MS);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
    DeleteConvFile(path);
}
