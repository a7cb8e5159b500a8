// "Install Animation": lists the Program Manager's groups and registers the
// animation as an item of the chosen group, run by the runtime player, in a
// Dynamic Data Exchange conversation of three commands.
#include "ShellDialogs.h"
#include "DdeSeam.h"
#include "DialogUtilities.h"
#include "DocumentModel.h"
#include "resource.h"
#include <dde.h>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr char PROGRAM_MANAGER[] = "PROGMAN";
constexpr int ATOM_NAME_CHARS = 64;
constexpr int MAX_CLOSING = 8;

// The one Install Animation dialog: its conversation and where the install stands.
struct InstallState {
    HWND server;          // the Program Manager's DDE window, or null
    int step;             // the step that follows a positive answer; 0 before an install
    int failureStep;      // the step that follows a negative answer
    bool otherAnswered;   // an application other than the Program Manager answered
    // Partners sent WM_DDE_TERMINATE whose own terminate has not come back:
    // that answer closes the old conversation, not one begun since.
    HWND closing[MAX_CLOSING];
};
InstallState g_install;

void Terminate(HWND dialog, HWND partner)
{
    if (!CurrentDdeSeam().postMessage(partner, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(dialog), 0)) return;
    for (HWND& slot : g_install.closing)
        if (!slot) {
            slot = partner;
            return;
        }
}

// True when `partner`'s terminate answers one of ours (and forgets it).
bool AnswersOurTerminate(HWND partner)
{
    for (HWND& slot : g_install.closing)
        if (slot == partner) {
            slot = nullptr;
            return true;
        }
    return false;
}

void EndConversation(HWND dialog)
{
    if (!g_install.server) return;
    Terminate(dialog, g_install.server);
    g_install.server = nullptr;
}

void BroadcastInitiate(HWND dialog)
{
    const ATOM application = GlobalAddAtomA(PROGRAM_MANAGER);
    const ATOM topic = GlobalAddAtomA(PROGRAM_MANAGER);
    // Every answer arrives (sent) before the broadcast returns.
    CurrentDdeSeam().sendMessage(HWND_BROADCAST, WM_DDE_INITIATE, reinterpret_cast<WPARAM>(dialog),
                                 MAKELPARAM(application, topic));
    GlobalDeleteAtom(application);
    GlobalDeleteAtom(topic);
}

// The selected group's name (the list's text), "" when none.
std::string SelectedGroup(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_INSTALL_GROUPS);
    const LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return "";
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR) return "";
    std::string name(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(name.data()));
    name.resize(strlen(name.c_str()));
    return name;
}

// Sends one command with "%s" filled from `argument` (and "%d" with 0); the
// command is built at the size it needs. A command that cannot be sent counts
// as a negative answer.
void Execute(HWND dialog, const char* format, const std::string& argument)
{
    const int length = snprintf(nullptr, 0, format, argument.c_str(), 0);
    std::string command(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    snprintf(command.data(), command.size(), format, argument.c_str(), 0);
    if (length <= 0 || !g_install.server || !PostDdeExecute(dialog, g_install.server, command.c_str()))
        PostMessageA(dialog, INSTALL_STEP, g_install.failureStep, 0);
}

void ProgramFolder(char* out, int room)
{
    out[0] = '\0';
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return;
    char* slash = strrchr(path, '\\');
    if (slash) slash[1] = '\0';
    lstrcpynA(out, path, room);
}

void AddItemCommand(HWND dialog)
{
    char folder[MAX_PATH], player[RESOURCE_STRING_LENGTH] = "", line[MAX_PATH];
    ProgramFolder(folder, sizeof folder);
    LoadResourceString(IDS_RUNTIME_PLAYER, player, sizeof player);
    if (!BuildInstallItemLine(folder, player, g_document.animationPath, line, sizeof line)) {
        // A cut command line would start something else: send nothing.
        PostMessageA(dialog, INSTALL_STEP, INSTALL_FAILED, 0);
        return;
    }
    Execute(dialog, "[AddItem(\"%s\",,,%d)]", line);
}

void FinishInstall(HWND dialog, int step)
{
    EndConversation(dialog);
    if (step == INSTALL_FAILED)
        ShowErrorMessage(IDS_DDE_ERROR);
    else
        ShowStringMessage(dialog, IDS_INSTALL_SUCCEEDED, g_document.animationPath, MB_OK | MB_ICONEXCLAMATION);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    EndDialog(dialog, 1);
}

void OnStep(HWND dialog, WPARAM step)
{
    switch (step) {
    case 0:
        BroadcastInitiate(dialog);
        g_install.failureStep = INSTALL_FAILED;
        // Nobody answered: no answer will ever come.
        if (g_install.step > 0 && !g_install.server) PostMessageA(dialog, INSTALL_STEP, INSTALL_FAILED, 0);
        break;
    case 1:
        g_install.step = 2;
        g_install.failureStep = 2;  // a group that cannot be shown is created
        Execute(dialog, "[ShowGroup(\"%s\",1)]", SelectedGroup(dialog));
        break;
    case 2:
        g_install.step = 3;
        g_install.failureStep = INSTALL_FAILED;
        Execute(dialog, "[CreateGroup(\"%s\")]", SelectedGroup(dialog));
        break;
    case 3:
        g_install.step = 4;
        g_install.failureStep = INSTALL_FAILED;
        AddItemCommand(dialog);
        break;
    default:
        FinishInstall(dialog, static_cast<int>(step));
        break;
    }
}

enum InitiateAnswer { SERVER_FOUND, SECOND_SERVER, OTHER_APPLICATION };

// An answer to the initiate broadcast; the first Program Manager to answer
// becomes the server.
InitiateAnswer AcceptInitiateAnswer(HWND dialog, HWND sender, LPARAM atoms)
{
    const ATOM application = LOWORD(atoms), topic = HIWORD(atoms);
    char name[ATOM_NAME_CHARS] = "";
    GlobalGetAtomNameA(application, name, sizeof name);
    GlobalDeleteAtom(application);
    GlobalDeleteAtom(topic);
    const bool programManager = lstrcmpiA(name, PROGRAM_MANAGER) == 0;
    if (programManager && !g_install.server) {
        g_install.server = sender;
        return SERVER_FOUND;
    }
    // A second server, or another application: its conversation is not wanted.
    Terminate(dialog, sender);
    if (programManager) return SECOND_SERVER;
    g_install.otherAnswered = true;
    return OTHER_APPLICATION;
}

void OnAcknowledge(HWND dialog, HWND sender, LPARAM lParam)
{
    bool positive;
    if (g_install.server && sender == g_install.server) {
        // The answer to an execute: its lParam is packed (status, command block).
        UINT_PTR status = 0, commands = 0;
        UnpackDDElParam(WM_DDE_ACK, lParam, &status, &commands);
        FreeDDElParam(WM_DDE_ACK, lParam);
        if (commands) GlobalFree(reinterpret_cast<HGLOBAL>(commands));
        positive = (status & 0x8000) != 0;
    } else {
        const InitiateAnswer answer = AcceptInitiateAnswer(dialog, sender, lParam);
        // A second Program Manager's answer leaves the install where it is.
        if (answer == SECOND_SERVER) return;
        positive = answer == SERVER_FOUND;
    }
    if (g_install.step > 0)
        PostMessageA(dialog, INSTALL_STEP, positive ? g_install.step : g_install.failureStep, 0);
    else if (!positive)
        g_install.failureStep = INSTALL_FAILED;
}

// The first child of the server window is its client window; its children
// that have a title are the groups.
void ListGroups(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_INSTALL_GROUPS);
    HWND client = GetWindow(g_install.server, GW_CHILD);
    for (HWND group = client ? GetWindow(client, GW_CHILD) : nullptr; group; group = GetWindow(group, GW_HWNDNEXT)) {
        char title[INSTALL_GROUP_CHARS + 1];
        if (GetWindowTextA(group, title, sizeof title) > 0)
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(title));
    }
}

void SelectDefaultGroup(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_INSTALL_GROUPS);
    if (SendMessageA(list, LB_GETCOUNT, 0, 0) <= 0)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(INSTALL_DEFAULT_GROUP));
    const LRESULT found = SendMessageA(list, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("Zelvo"));
    SendMessageA(list, LB_SETCURSEL, found == LB_ERR ? 0 : found, 0);
}

void ShowAnimationPath(HWND dialog)
{
    const char* path = g_document.animationPath;
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    SetDlgItemTextA(dialog, IDC_INSTALL_FILE, name);
    const std::string folder(path, static_cast<size_t>(name - path));
    SetDlgItemTextA(dialog, IDC_INSTALL_PATH, folder.c_str());
}

void OnInitDialog(HWND dialog)
{
    CenterWindow(dialog);
    ShowWindow(GetDlgItem(dialog, IDC_INSTALL_ICON), SW_HIDE);
    g_install = InstallState{};
    SendMessageA(dialog, INSTALL_STEP, 0, 0);
    if (g_install.otherAnswered) ShowErrorMessage(IDS_DDE_ERROR);
    ShowAnimationPath(dialog);
    if (g_install.server) {
        HWND list = GetDlgItem(dialog, IDC_INSTALL_GROUPS);
        RECT place;
        GetWindowRect(list, &place);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
        SetWindowPos(list, nullptr, place.left, place.top + 1, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ListGroups(dialog);
        EndConversation(dialog);
    }
    SelectDefaultGroup(dialog);
}

}  // namespace

bool BuildInstallItemLine(const char* programFolder, const char* playerName, const char* animationPath, char* out,
                          int room)
{
    const size_t length = strlen(programFolder) + strlen(playerName) + strlen(animationPath);
    if (room <= 0 || length >= static_cast<size_t>(room) || length >= MAX_PATH) return false;
    snprintf(out, room, "%s%s%s", programFolder, playerName, animationPath);
    return true;
}

int PostDdeExecute(HWND dialog, HWND server, const char* command)
{
    const size_t length = strlen(command);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, length + 1);
    if (!block) return 0;
    char* text = static_cast<char*>(GlobalLock(block));
    if (!text) {
        GlobalFree(block);
        return 0;
    }
    memcpy(text, command, length + 1);
    GlobalUnlock(block);
    if (!CurrentDdeSeam().postMessage(server, WM_DDE_EXECUTE, reinterpret_cast<WPARAM>(dialog),
                                      reinterpret_cast<LPARAM>(block))) {
        GlobalFree(block);
        return 0;
    }
    return 1;
}

INT_PTR CALLBACK InstallAnimationDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_INSTALL:
            if (g_install.step > 0) return TRUE;  // one install at a time
            g_install.step = 1;
            SetCursor(LoadCursorA(nullptr, IDC_WAIT));
            PostMessageA(dialog, INSTALL_STEP, 0, 0);
            return TRUE;
        case IDCANCEL:
            EndConversation(dialog);
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    case INSTALL_STEP:
        OnStep(dialog, wParam);
        return TRUE;
    case WM_DDE_ACK:
        OnAcknowledge(dialog, reinterpret_cast<HWND>(wParam), lParam);
        return TRUE;
    case WM_DDE_TERMINATE:
        // The server ended the conversation itself: answer, and an install
        // that waits for it has failed.
        if (AnswersOurTerminate(reinterpret_cast<HWND>(wParam))) return TRUE;
        if (g_install.server && reinterpret_cast<HWND>(wParam) == g_install.server) {
            CurrentDdeSeam().postMessage(g_install.server, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(dialog), 0);
            g_install.server = nullptr;
            if (g_install.step > 0) PostMessageA(dialog, INSTALL_STEP, INSTALL_FAILED, 0);
        }
        return TRUE;
    default:
        return DefaultCtlColor(message);
    }
}
