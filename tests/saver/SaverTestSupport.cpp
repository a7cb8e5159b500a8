#include "SaverTestSupport.h"
#include <cstring>

namespace {
SaverUi* activeUi = nullptr;
EditorStarts* activeStarts = nullptr;
DialogScript* activeScript = nullptr;
constexpr UINT_PTR SCRIPT_TIMER = 0x5C41;
constexpr char CONTROL_INI[] = "control.ini";

std::string PasswordSection() { return "Zelvo_Screensaver"; }

std::string ControlValue(const char* key)
{
    char value[64];
    GetPrivateProfileStringA(PasswordSection().c_str(), key, "\x01", value, sizeof value, CONTROL_INI);
    return value;
}

void PutControlValue(const char* key, const std::string& value)
{
    WritePrivateProfileStringA(PasswordSection().c_str(), key, value == "\x01" ? nullptr : value.c_str(), CONTROL_INI);
}
}  // namespace

SaverSession::SaverSession()
{
    g_saver = SaverState{};
    g_saver.instance = GetModuleHandleA(nullptr);
    lstrcpynA(g_saver.iniPath, dir_.File("SAVER.INI").c_str(), MAX_PATH);
    g_saver.options = {0, false, -1, false, SAVER_DEFAULT_SECONDS, false};
    // As WinMain does; a class this program registered before stays.
    InitAnimEngine(-1);
    RegisterSaverClass(g_saver.instance);
    RegisterAnimWindowClass(g_saver.instance, nullptr);
    GetCurrentDirectoryA(MAX_PATH, previous_);
    SetCurrentDirectoryA(dir_.Path().c_str());
}

SaverSession::~SaverSession()
{
    if (g_saver.run.window) DestroyWindow(g_saver.run.window);
    DropSaverAnimation();
    SetCurrentDirectoryA(previous_);
    g_saver = SaverState{};
}

void SaverSession::Add(const std::string& path, bool active)
{
    SaverEntry& entry = g_saver.list.entries[g_saver.list.count++];
    lstrcpynA(entry.path, path.c_str(), SAVER_PATH_CHARS);
    entry.active = active;
}

SaverUi::SaverUi()
{
    activeUi = this;
    previous_ = &CurrentUiSeam();
    seam_ = {&SaverUi::MessageBoxHook, &SaverUi::OpenHook};
    InstallUiSeam(&seam_);
}

SaverUi::~SaverUi()
{
    InstallUiSeam(previous_);
    activeUi = nullptr;
}

int WINAPI SaverUi::MessageBoxHook(HWND, LPCSTR text, LPCSTR caption, UINT type)
{
    SaverUi& self = *activeUi;
    self.boxes_.push_back({text ? text : "", caption ? caption : "", type});
    if (self.boxAnswers_.empty()) return IDOK;
    const int answer = self.boxAnswers_.front();
    self.boxAnswers_.pop_front();
    return answer;
}

BOOL WINAPI SaverUi::OpenHook(LPOPENFILENAMEA dialog)
{
    SaverUi& self = *activeUi;
    self.lastMaxFile_ = dialog->nMaxFile;
    self.lastTitle_ = dialog->lpstrTitle ? dialog->lpstrTitle : "";
    self.lastFilter_.clear();
    for (const char* p = dialog->lpstrFilter; p && *p; p += strlen(p) + 1) self.lastFilter_ += std::string(p) + "|";
    if (self.choices_.empty()) return FALSE;
    const std::string choice = self.choices_.front();
    self.choices_.pop_front();
    if (choice.empty()) return FALSE;
    // Copied whole, as a dialog that ignored nMaxFile would: the caller must
    // measure what it got. The callers give MAX_PATH characters of room.
    lstrcpynA(dialog->lpstrFile, choice.c_str(), MAX_PATH);
    return TRUE;
}

EditorStarts::EditorStarts(const char* registered) : registered_(registered), seam_{&EditorStarts::Read, &EditorStarts::Start}
{
    activeStarts = this;
    InstallSaverEditorSeam(&seam_);
}

EditorStarts::~EditorStarts()
{
    InstallSaverEditorSeam(nullptr);
    activeStarts = nullptr;
}

bool EditorStarts::Read(std::string* command)
{
    if (!activeStarts->registered_) return false;
    *command = activeStarts->registered_;
    return true;
}

bool EditorStarts::Start(const std::string& line)
{
    activeStarts->started_.push_back(line);
    return true;
}

DialogScript::DialogScript(std::vector<Step> steps) : steps_(std::move(steps))
{
    activeScript = this;
    hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, &DialogScript::AfterMessage, nullptr, GetCurrentThreadId());
}

DialogScript::~DialogScript()
{
    UnhookWindowsHookEx(hook_);
    activeScript = nullptr;
}

LRESULT CALLBACK DialogScript::AfterMessage(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && activeScript && !activeScript->dialog_ && call->message == WM_INITDIALOG) {
        activeScript->dialog_ = call->hwnd;
        SetTimer(call->hwnd, SCRIPT_TIMER, 20, &DialogScript::Tick);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK DialogScript::Tick(HWND dialog, UINT, UINT_PTR, DWORD)
{
    DialogScript* self = activeScript;
    if (!self || self->next_ >= self->steps_.size()) {
        KillTimer(dialog, SCRIPT_TIMER);
        return;
    }
    // A step that opens a nested dialog or box would tick again inside it.
    KillTimer(dialog, SCRIPT_TIMER);
    const Step step = self->steps_[self->next_++];
    step(dialog);
    if (IsWindow(dialog) && self->next_ < self->steps_.size()) SetTimer(dialog, SCRIPT_TIMER, 20, &DialogScript::Tick);
}

void Click(HWND dialog, int id)
{
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

ControlIniSection::ControlIniSection()
    : protectedValue_(ControlValue("PWProtected")), hashValue_(ControlValue("PWEncryption"))
{
    WritePrivateProfileStringA(PasswordSection().c_str(), nullptr, nullptr, CONTROL_INI);
}

ControlIniSection::~ControlIniSection()
{
    WritePrivateProfileStringA(PasswordSection().c_str(), nullptr, nullptr, CONTROL_INI);
    PutControlValue("PWProtected", protectedValue_);
    PutControlValue("PWEncryption", hashValue_);
}
