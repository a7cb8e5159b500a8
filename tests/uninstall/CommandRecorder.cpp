// A harmless stand-in for an uninstall command: writes its own command line to
// the file named by its first argument. With a second argument it stays
// running (idle, answering messages) for as long as that file exists, so a
// test can see whether its starter waited for it; it writes "<first>.done"
// when it ends.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool WriteText(const std::string& path, const char* text)
{
    // Written beside the target and moved over it, so a reader never sees half a line.
    const std::string temp = path + ".part";
    FILE* f = fopen(temp.c_str(), "wb");
    if (!f) return false;
    fputs(text, f);
    if (fclose(f) != 0) return false;
    return MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void StayWhileExists(const std::string& holdFile)
{
    const DWORD start = GetTickCount();
    while (Exists(holdFile) && GetTickCount() - start < 60000) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (__argc < 2) return 2;
    const std::string record = __argv[1];
    if (!WriteText(record, GetCommandLineA())) return 3;
    if (__argc >= 3) StayWhileExists(__argv[2]);
    WriteText(record + ".done", "done");
    return 0;
}
