// The uninstaller program itself under the real registry key: it starts the
// registered command and ends without waiting for it, and reports a missing
// key or command in a message box, which the test reads and dismisses. One
// test, because the key is shared by everything that runs the program.
#include "TestFiles.h"
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <string>

namespace {

const char UNINSTALL_KEY[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zelvo 4";

std::string ProgramFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

// A path in double quotes, for a command line.
std::string Quoted(const std::string& path)
{
    std::string quoted(1, '"');
    quoted += path;
    quoted += '"';
    return quoted;
}

// The uninstaller started by the test, ended by it when the test fails early.
class UninstallRun {
public:
    UninstallRun()
    {
        std::string command = Quoted(ProgramFolder() + "uninstall.exe");
        STARTUPINFOA startup{sizeof startup};
        if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_))
            CloseHandle(info_.hThread);
    }
    ~UninstallRun()
    {
        if (!info_.hProcess) return;
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 99);
        CloseHandle(info_.hProcess);
    }
    bool Started() const { return info_.hProcess != nullptr; }
    DWORD Id() const { return info_.dwProcessId; }
    // The exit code, or STILL_ACTIVE when it has not ended in time.
    DWORD WaitForExit(DWORD milliseconds) const
    {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(info_.hProcess, milliseconds) == WAIT_OBJECT_0) GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION info_{};
};

struct BoxSearch {
    DWORD processId;
    HWND box;
};

BOOL CALLBACK FindUninstallBox(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<BoxSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[32] = "", caption[64] = "";
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, caption, sizeof caption);
    if (owner == search->processId && std::string(className) == "#32770" &&
        std::string(caption) == "Zelvo 4 Uninstall") {
        search->box = window;
        return FALSE;
    }
    return TRUE;
}

// Waits for the program's message box, presses OK and gives its text ("" when
// none came).
std::string AnswerMessageBox(const UninstallRun& run)
{
    BoxSearch search{run.Id(), nullptr};
    for (DWORD start = GetTickCount(); !search.box && GetTickCount() - start < 20000; Sleep(50))
        EnumWindows(&FindUninstallBox, reinterpret_cast<LPARAM>(&search));
    if (!search.box) return "";
    char text[256] = "";
    GetDlgItemTextA(search.box, 0xFFFF, text, sizeof text);
    PostMessageA(search.box, WM_COMMAND, IDOK, 0);
    return text;
}

void SetRegisteredValue(const char* name, const std::string& text)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)), ERROR_SUCCESS);
    RegCloseKey(key);
}

bool WaitForFile(const std::string& path, DWORD milliseconds)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < milliseconds; Sleep(50))
        if (FileExists(path)) return true;
    return FileExists(path);
}

TEST(UninstallProgram, StartsTheRegisteredCommandWithoutWaitingAndReportsWhatIsMissing)
{
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY);
    {
        SCOPED_TRACE("no key");
        UninstallRun run;
        ASSERT_TRUE(run.Started());
        EXPECT_EQ(AnswerMessageBox(run), "Zelvo has not been installed on your system!");
        EXPECT_EQ(run.WaitForExit(20000), 0u);
    }
    {
        SCOPED_TRACE("a key without a command");
        SetRegisteredValue("DisplayName", "Zelvo 4");
        UninstallRun run;
        ASSERT_TRUE(run.Started());
        EXPECT_EQ(AnswerMessageBox(run), "No uninstall information found in the registry!");
        EXPECT_EQ(run.WaitForExit(20000), 0u);
    }
    {
        SCOPED_TRACE("a registered command");
        ScratchDir scratch;
        const std::string record = scratch.File("command line.txt");
        const std::string hold = scratch.File("hold");
        ASSERT_TRUE(WriteWholeFile(hold, {}));
        const std::string command =
            Quoted(ProgramFolder() + "CommandRecorder.exe") + " " + Quoted(record) + " " + Quoted(hold) + " /quiet";
        SetRegisteredValue("UninstallString", command);
        UninstallRun run;
        ASSERT_TRUE(run.Started());
        const DWORD result = run.WaitForExit(40000);
        EXPECT_NE(result, static_cast<DWORD>(STILL_ACTIVE));
        EXPECT_GT(result, 31u);
        ASSERT_TRUE(WaitForFile(record, 10000));
        const std::vector<uint8_t> seen = ReadWholeFile(record);
        EXPECT_EQ(std::string(seen.begin(), seen.end()), command);
        // The command is still running: the uninstaller did not wait for it.
        EXPECT_FALSE(FileExists(record + ".done"));
        DeleteFileA(hold.c_str());
        EXPECT_TRUE(WaitForFile(record + ".done", 20000));
    }
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY);
}

}  // namespace
