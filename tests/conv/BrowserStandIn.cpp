// Stands in for the web browser in the GIF preview tests: registered as the
// open command of "htmlfile", it writes what it was started with to the file
// named by ZV_BROWSER_RECORD (its command line, then the window size it was
// asked for) and copies the file it was given beside that record, before it
// first waits for input, which is what the library waits for.
#include <windows.h>
#include <cstdio>
#include <string>

namespace {

// The last argument, without its quotes.
std::string LastArgument(const char* line)
{
    std::string text(line);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    if (!text.empty() && text.back() == '"') {
        const size_t open = text.rfind('"', text.size() - 2);
        return open == std::string::npos ? std::string() : text.substr(open + 1, text.size() - open - 2);
    }
    const size_t blank = text.rfind(' ');
    return blank == std::string::npos ? text : text.substr(blank + 1);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char record[MAX_PATH] = "";
    if (!GetEnvironmentVariableA("ZV_BROWSER_RECORD", record, sizeof record)) return 1;
    const char* line = GetCommandLineA();
    const std::string file = LastArgument(line);
    CopyFileA(file.c_str(), (std::string(record) + ".gif").c_str(), FALSE);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    // Written last and whole, so the test reads either nothing or all of it.
    const std::string temporary = std::string(record) + ".part";
    FILE* out = fopen(temporary.c_str(), "w");
    if (!out) return 1;
    fprintf(out, "%s\n%d %lu %lu\n", line, (startup.dwFlags & STARTF_USESIZE) ? 1 : 0, startup.dwXSize, startup.dwYSize);
    fclose(out);
    MoveFileExA(temporary.c_str(), record, MOVEFILE_REPLACE_EXISTING);
    // Idle: the library's wait for the browser ends here.
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    return 0;
}
