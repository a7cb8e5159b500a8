// "Install Animation" against fake Program Managers of the test's own: real
// windows that answer the DDE conversation and record what they were sent.
// The DDE table routes the initiate broadcast to them alone.
#include "DdeSeam.h"
#include "DialogTestHooks.h"
#include "DialogUtilities.h"
#include "DocumentModel.h"
#include "ShellDialogs.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <dde.h>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr char kSucceeded[] = "The Animation was succesfully installed in the Program Manager!";
constexpr char kDdeError[] = "An error has occured with the DDE-communication!";
constexpr char kAnimation[] = "C:\\anims\\walk.ans";

// One fake server: the application name it answers with, which commands it
// refuses, and what it saw.
struct FakeServer {
    std::string application = "PROGMAN";
    std::vector<std::string> refuse;     // commands answered negatively (by their start)
    std::vector<std::string> groups;     // titles of its client window's children
    std::vector<std::string> commands;   // every execute, in order
    int terminates = 0;
    HWND window = nullptr;
};

// The command blocks the dialog posted, with their texts: the server sees a
// copy the system makes, the dialog must free its own.
struct PostedBlock {
    HGLOBAL block;
    std::string text;
};
std::vector<PostedBlock> g_posted;

std::string BlockText(HGLOBAL block)
{
    const char* text = static_cast<const char*>(GlobalLock(block));
    std::string copy = text ? text : "";
    if (text) GlobalUnlock(block);
    return copy;
}

// A block not freed still holds its command; a freed one is invalid, or
// serves some later allocation with other contents.
bool StillHolds(const PostedBlock& posted)
{
    return GlobalFlags(posted.block) != GMEM_INVALID_HANDLE && GlobalSize(posted.block) == posted.text.size() + 1 &&
           BlockText(posted.block) == posted.text;
}

std::vector<FakeServer*> g_servers;  // the ones the broadcast reaches

std::string AtomName(ATOM atom)
{
    char name[64] = "";
    GlobalGetAtomNameA(atom, name, sizeof name);
    return name;
}

LRESULT CALLBACK FakeServerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* server = reinterpret_cast<FakeServer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    HWND client = reinterpret_cast<HWND>(wParam);
    switch (message) {
    case WM_DDE_INITIATE: {
        if (lstrcmpiA(AtomName(LOWORD(lParam)).c_str(), "PROGMAN") != 0) return 0;
        const ATOM application = GlobalAddAtomA(server->application.c_str());
        const ATOM topic = GlobalAddAtomA("PROGMAN");
        SendMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(window), MAKELPARAM(application, topic));
        return 0;
    }
    case WM_DDE_EXECUTE: {
        HGLOBAL block = reinterpret_cast<HGLOBAL>(lParam);
        const std::string command = BlockText(block);
        server->commands.push_back(command);
        bool positive = true;
        for (const std::string& start : server->refuse)
            if (command.rfind(start, 0) == 0) positive = false;
        PostMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(window),
                     PackDDElParam(WM_DDE_ACK, positive ? 0x8000 : 0, reinterpret_cast<UINT_PTR>(block)));
        return 0;
    }
    case WM_DDE_TERMINATE:
        ++server->terminates;
        if (IsWindow(client)) PostMessageA(client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(window), 0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT WINAPI BroadcastToFakes(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window != HWND_BROADCAST) return SendMessageA(window, message, wParam, lParam);
    for (FakeServer* server : g_servers) SendMessageA(server->window, message, wParam, lParam);
    return 0;
}

BOOL WINAPI RecordExecutes(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DDE_EXECUTE) {
        HGLOBAL block = reinterpret_cast<HGLOBAL>(lParam);
        g_posted.push_back({block, BlockText(block)});
    }
    return PostMessageA(window, message, wParam, lParam);
}

BOOL WINAPI RefuseExecutes(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DDE_EXECUTE) {
        HGLOBAL block = reinterpret_cast<HGLOBAL>(lParam);
        g_posted.push_back({block, BlockText(block)});
        return FALSE;
    }
    return PostMessageA(window, message, wParam, lParam);
}

const DdeSeam kFakeSeam = {BroadcastToFakes, RecordExecutes};
const DdeSeam kRefusingSeam = {BroadcastToFakes, RefuseExecutes};

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::string ProgramFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\') + 1);
}

class InstallAnimationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        WNDCLASSA cls{};
        cls.lpfnWndProc = FakeServerProc;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = "ZelvoFakeProgman";
        RegisterClassA(&cls);
        WNDCLASSA child{};
        child.lpfnWndProc = DefWindowProcA;
        child.hInstance = GetModuleHandleA(nullptr);
        child.lpszClassName = "ZelvoFakeGroup";
        RegisterClassA(&child);
    }
    void SetUp() override
    {
        InstallDdeSeam(&kFakeSeam);
        lstrcpyA(g_document.animationPath, kAnimation);
    }
    void TearDown() override
    {
        InstallDdeSeam(nullptr);
        for (auto& server : servers_) DestroyWindow(server->window);
        g_servers.clear();
        g_posted.clear();
        g_document.animationPath[0] = '\0';
    }
    // A server window with a client window whose children are its groups
    // (an untitled child among them).
    FakeServer& AddServer(const std::string& application = "PROGMAN", std::vector<std::string> groups = {})
    {
        servers_.push_back(std::make_unique<FakeServer>());
        FakeServer& server = *servers_.back();
        server.application = application;
        server.groups = groups;
        server.window = CreateWindowExA(0, "ZelvoFakeProgman", "Program Manager", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                        nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(server.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&server));
        HWND client = CreateWindowExA(0, "ZelvoFakeGroup", "", WS_CHILD, 0, 0, 90, 90, server.window, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        CreateWindowExA(0, "ZelvoFakeGroup", "", WS_CHILD, 0, 0, 9, 9, client, nullptr, GetModuleHandleA(nullptr), nullptr);
        for (const std::string& title : groups)
            CreateWindowExA(0, "ZelvoFakeGroup", title.c_str(), WS_CHILD, 0, 0, 9, 9, client, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
        g_servers.push_back(&server);
        return server;
    }
    // Runs the dialog; `action` acts on it once it has started.
    INT_PTR Run(DialogAutoAnswer::Action action)
    {
        DialogAutoAnswer answer(std::move(action));
        const INT_PTR result = RunDialog(IDD_INSTALL_ANIMATION, nullptr, 0);
        Pump();  // what the dialog posted last (its terminate) reaches the servers
        return result;
    }
    // Clicks Install once the dialog runs.
    INT_PTR Install()
    {
        return Run([](HWND dialog) {
            if (GetDlgItem(dialog, IDC_INSTALL)) PostMessageA(dialog, WM_COMMAND, IDC_INSTALL, 0);
        });
    }
    std::string ItemLine() const { return ProgramFolder() + "RUNZELVO.EXE " + kAnimation; }

    std::vector<std::unique_ptr<FakeServer>> servers_;
};

TEST_F(InstallAnimationTest, ListsTheGroupsAndPreselectsZelvo)
{
    FakeServer& server = AddServer("PROGMAN", {"Accessories", "Games", "Zelvo 3.5", "Zelvo Extra"});
    std::vector<std::string> listed;
    std::string selected, file, folder;
    MessageBoxRecorder boxes;
    const INT_PTR result = Run([&](HWND dialog) {
        if (!GetDlgItem(dialog, IDC_INSTALL_GROUPS)) return;
        HWND list = GetDlgItem(dialog, IDC_INSTALL_GROUPS);
        char text[64];
        for (LRESULT i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
            SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            listed.push_back(text);
        }
        SendMessageA(list, LB_GETTEXT, SendMessageA(list, LB_GETCURSEL, 0, 0), reinterpret_cast<LPARAM>(text));
        selected = text;
        file = DialogItemText(dialog, IDC_INSTALL_FILE);
        folder = DialogItemText(dialog, IDC_INSTALL_PATH);
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_INSTALL_ICON)));
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(listed, (std::vector<std::string>{"Accessories", "Games", "Zelvo 3.5", "Zelvo Extra"}));
    EXPECT_EQ(selected, "Zelvo 3.5");
    EXPECT_EQ(file, "walk.ans");
    EXPECT_EQ(folder, "C:\\anims\\");
    EXPECT_TRUE(server.commands.empty());
    EXPECT_EQ(server.terminates, 1);  // the listing's conversation is closed
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(InstallAnimationTest, InstallsWithThreeCommandsInOrder)
{
    struct Case {
        const char* what;
        std::vector<std::string> refuse;
        size_t commandsSent;
        const char* message;
    };
    const Case cases[] = {
        {"every command succeeds", {}, 3, kSucceeded},
        {"a group that cannot be shown is created", {"[ShowGroup"}, 3, kSucceeded},
        {"a group that cannot be created ends the install", {"[CreateGroup"}, 2, kDdeError},
        {"an item that cannot be added", {"[AddItem"}, 3, kDdeError},
    };
    const std::vector<std::string> all = {"[ShowGroup(\"Zelvo 3.5\",1)]", "[CreateGroup(\"Zelvo 3.5\")]",
                                          "[AddItem(\"" + ItemLine() + "\",,,0)]"};
    for (const Case& c : cases) {
        FakeServer& server = AddServer();
        server.refuse = c.refuse;
        MessageBoxRecorder boxes;
        EXPECT_EQ(Install(), 1) << c.what;
        EXPECT_EQ(server.commands, std::vector<std::string>(all.begin(), all.begin() + c.commandsSent)) << c.what;
        ASSERT_EQ(g_posted.size(), c.commandsSent) << c.what;
        for (const PostedBlock& posted : g_posted) EXPECT_FALSE(StillHolds(posted)) << c.what << ": " << posted.text;
        EXPECT_EQ(server.terminates, 2) << c.what;  // the listing's and the install's
        ASSERT_EQ(boxes.Boxes().size(), 1u) << c.what;
        EXPECT_EQ(boxes.Boxes()[0].text, c.message) << c.what;
        if (c.message == kSucceeded) {
            EXPECT_EQ(boxes.Boxes()[0].caption, kAnimation);
            EXPECT_EQ(boxes.Boxes()[0].style & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
        }
        DestroyWindow(server.window);
        g_servers.clear();
        g_posted.clear();
    }
}

TEST_F(InstallAnimationTest, WithoutAProgramManagerTheInstallFailsAtOnce)
{
    std::vector<std::string> listed;
    MessageBoxRecorder boxes;
    const INT_PTR result = Run([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_INSTALL_GROUPS);
        if (!list) return;
        char text[64];
        for (LRESULT i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
            SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            listed.push_back(text);
        }
        PostMessageA(dialog, WM_COMMAND, IDC_INSTALL, 0);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(listed, (std::vector<std::string>{"Zelvo 3.5"}));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, kDdeError);
}

TEST_F(InstallAnimationTest, AnotherApplicationsAnswerIsAnError)
{
    FakeServer& other = AddServer("OTHERAPP", {"Its Group"});
    MessageBoxRecorder boxes;
    std::vector<std::string> listed;
    const INT_PTR result = Run([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_INSTALL_GROUPS);
        if (!list) return;
        char text[64];
        SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
        listed.push_back(text);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(result, 0);
    ASSERT_GE(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, kDdeError);
    EXPECT_EQ(listed, (std::vector<std::string>{"Zelvo 3.5"}));
    EXPECT_GE(other.terminates, 1);  // its conversation is not kept
    EXPECT_TRUE(other.commands.empty());
}

TEST_F(InstallAnimationTest, ASecondProgramManagerIsSentAway)
{
    FakeServer& first = AddServer("PROGMAN", {"First"});
    FakeServer& second = AddServer("Progman", {"Second"});
    MessageBoxRecorder boxes;
    EXPECT_EQ(Install(), 1);
    EXPECT_EQ(first.commands.size(), 3u);
    EXPECT_TRUE(second.commands.empty());
    EXPECT_EQ(second.terminates, 2);  // once for the listing, once for the install
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, kSucceeded);
}

TEST_F(InstallAnimationTest, ALineThatDoesNotFitIsNotSent)
{
    FakeServer& server = AddServer();
    const std::string longPath = "C:\\" + std::string(240, 'x') + ".ans";
    lstrcpynA(g_document.animationPath, longPath.c_str(), MAX_PATH);
    MessageBoxRecorder boxes;
    EXPECT_EQ(Install(), 1);
    EXPECT_EQ(server.commands.size(), 2u);  // ShowGroup and CreateGroup only
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, kDdeError);
}

TEST_F(InstallAnimationTest, ACommandThatCannotBePostedIsFreedAndFails)
{
    AddServer();
    InstallDdeSeam(&kRefusingSeam);
    MessageBoxRecorder boxes;
    EXPECT_EQ(Install(), 1);
    // ShowGroup's failure leads to CreateGroup, whose failure ends the install.
    ASSERT_EQ(g_posted.size(), 2u);
    for (const PostedBlock& posted : g_posted) EXPECT_FALSE(StillHolds(posted)) << posted.text;
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, kDdeError);
}

}  // namespace
