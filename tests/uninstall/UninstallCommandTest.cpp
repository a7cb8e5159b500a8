// The uninstaller's logic with its message box and program start answered by
// the test, on a registry key of the test's own (tests run side by side, the
// real key belongs to the program test).
#include "UninstallCommand.h"
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <string>
#include <vector>

namespace {

struct Box {
    std::string text;
    std::string caption;
    UINT type;
};
struct Start {
    std::string commandLine;
    UINT show;
};

std::vector<Box> boxes;
std::vector<Start> starts;
UINT startResult = 33;

int WINAPI RecordBox(HWND, LPCSTR text, LPCSTR caption, UINT type)
{
    boxes.push_back({text, caption, type});
    return IDOK;
}

UINT WINAPI RecordStart(LPCSTR commandLine, UINT show)
{
    starts.push_back({commandLine, show});
    return startResult;
}

const UninstallCalls recordingCalls{&RecordBox, &RecordStart};

class UninstallCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        boxes.clear();
        starts.clear();
        startResult = 33;
        keyPath_ = "Software\\ZelvoTests\\Uninstall " + std::to_string(GetCurrentProcessId()) + " " +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name();
        SHDeleteKeyA(HKEY_CURRENT_USER, keyPath_.c_str());
    }
    void TearDown() override { SHDeleteKeyA(HKEY_CURRENT_USER, keyPath_.c_str()); }

    void CreateKey()
    {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, keyPath_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                  nullptr), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    void SetValue(const char* name, DWORD type, const void* data, DWORD size)
    {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, keyPath_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                  nullptr), ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    void SetCommand(const std::string& command)
    {
        SetValue(UNINSTALL_VALUE, REG_SZ, command.c_str(), static_cast<DWORD>(command.size() + 1));
    }
    UINT Run() { return RunUninstallCommand(HKEY_CURRENT_USER, keyPath_.c_str(), recordingCalls); }

    void ExpectOnlyMessage(const char* text, UINT result)
    {
        EXPECT_EQ(result, 0u);
        EXPECT_TRUE(starts.empty());
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, text);
        EXPECT_EQ(boxes[0].caption, "Zelvo 4 Uninstall");
        EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK));
    }

    std::string keyPath_;
};

TEST_F(UninstallCommand, StartsTheRegisteredCommandShownNormallyAndGivesItsResult)
{
    const std::string command = "\"C:\\Program Files\\Zelvo 4\\unwise.exe\" /u \"C:\\Zelvo\\install.log\"";
    SetCommand(command);
    EXPECT_EQ(Run(), 33u);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].commandLine, command);
    EXPECT_EQ(starts[0].show, static_cast<UINT>(SW_SHOWNORMAL));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(UninstallCommand, AFailedStartIsTheExitCodeWithoutAMessage)
{
    SetCommand("C:\\missing\\uninst.exe");
    startResult = ERROR_FILE_NOT_FOUND;
    EXPECT_EQ(Run(), static_cast<UINT>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(starts.size(), 1u);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(UninstallCommand, WithoutTheKeyTellsThatNothingIsInstalled)
{
    ExpectOnlyMessage("Zelvo has not been installed on your system!", Run());
}

TEST_F(UninstallCommand, CommandsThatFillTheBufferExactlyOrLackTheirTerminatorStart)
{
    const std::string longest(259, 'x');
    SetCommand(longest);
    Run();
    const std::string bare = "C:\\uninst.exe /a";
    SetValue(UNINSTALL_VALUE, REG_SZ, bare.data(), static_cast<DWORD>(bare.size()));
    Run();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0].commandLine, longest);
    EXPECT_EQ(starts[1].commandLine, bare);
}

// Values that are missing, empty, too long for the command buffer or not text
// all mean there is no command to start.
TEST_F(UninstallCommand, AKeyWithoutAUsableCommandTellsThatThereIsNoInformation)
{
    const std::string tooLong(260, 'y');
    const std::vector<uint8_t> unterminated(260, 'z');
    const DWORD number = 1;
    struct Case {
        const char* what;
        const char* name;
        DWORD type;
        const void* data;
        DWORD size;
    } cases[] = {
        {"no values at all", nullptr, 0, nullptr, 0},
        {"another value only", "DisplayName", REG_SZ, "Zelvo 4", 8},
        {"an empty command", UNINSTALL_VALUE, REG_SZ, "", 1},
        {"a command longer than the buffer", UNINSTALL_VALUE, REG_SZ, tooLong.c_str(), 261},
        {"a full buffer without terminator", UNINSTALL_VALUE, REG_SZ, unterminated.data(), 260},
        {"binary data", UNINSTALL_VALUE, REG_BINARY, "C:\\uninst.exe", 14},
        {"a number", UNINSTALL_VALUE, REG_DWORD, &number, sizeof number},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SHDeleteKeyA(HKEY_CURRENT_USER, keyPath_.c_str());
        CreateKey();
        if (c.name) SetValue(c.name, c.type, c.data, c.size);
        boxes.clear();
        ExpectOnlyMessage("No uninstall information found in the registry!", Run());
    }
}

}  // namespace
