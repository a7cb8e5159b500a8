#include "PlayerTestSupport.h"
#include "ResultCodes.h"
#include <gtest/gtest.h>

namespace {
PlayerUi* activeUi = nullptr;
}  // namespace

PlayerFolder::PlayerFolder()
{
    g_player = RunPlayerState{};
    g_player.instance = GetModuleHandleA(nullptr);
    GetCurrentDirectoryA(MAX_PATH, previous_);
    SetCurrentDirectoryA(dir_.Path().c_str());
}

PlayerFolder::~PlayerFolder() { SetCurrentDirectoryA(previous_); }

bool SmallAnimation::Write(const std::string& folder, const std::string& name) const
{
    AnimationFixture f(width, height, background);
    f.settings().paletteSource = paletteSource;
    if (!backgroundImage.empty()) {
        f.settings().backgroundColor |= BACKGROUND_USE_IMAGE;
        lstrcpynA(f.settings().backgroundImage, backgroundImage.c_str(), STORED_NAME_CHARS);
    }
    AnimationSettings& s = f.settings();
    s.playFlags = static_cast<uint8_t>((s.playFlags & ~PLAY_END_ACTION_MASK) | (endAction << PLAY_END_ACTION_SHIFT));
    lstrcpynA(s.nextAnimation, next.c_str(), STORED_NAME_CHARS);
    if (windowStyle) s.windowStyle = windowStyle;
    const std::string stem = name.substr(0, name.rfind('.'));
    SequenceSpec spec;
    spec.code = 0x80;
    spec.value = [](int x, int y, int frame) { return static_cast<uint32_t>(40 + (x + y + frame) % 7); };
    if (withObject) f.AddObject(f.AddSequence(stem + ".bmx", spec.code, 256), 10, 10);
    if (withObject && withSequence && WriteSequence(folder + stem + ".bmx", spec) != RESULT_OK) return false;
    const std::string path = folder + name;
    if (f.Write(path) != RESULT_OK) return false;
    if (version == 0) return true;
    std::vector<uint8_t> bytes = ReadWholeFile(path);
    bytes[2] = static_cast<uint8_t>(version);
    bytes[3] = static_cast<uint8_t>(version >> 8);
    return WriteWholeFile(path, bytes);
}

PlayerUi::PlayerUi()
{
    activeUi = this;
    previous_ = &CurrentUiSeam();
    seam_ = {&PlayerUi::MessageBoxHook, &PlayerUi::OpenHook};
    InstallUiSeam(&seam_);
}

PlayerUi::~PlayerUi()
{
    InstallUiSeam(previous_);
    activeUi = nullptr;
}

int WINAPI PlayerUi::MessageBoxHook(HWND, LPCSTR text, LPCSTR caption, UINT type)
{
    PlayerUi& self = *activeUi;
    self.boxes_.push_back({text ? text : "", caption ? caption : "", type});
    if (self.boxAnswers_.empty()) return IDOK;
    const int answer = self.boxAnswers_.front();
    self.boxAnswers_.pop_front();
    return answer;
}

BOOL WINAPI PlayerUi::OpenHook(LPOPENFILENAMEA dialog)
{
    PlayerUi& self = *activeUi;
    // The filter is a list of strings ended by an empty one.
    std::string filter;
    for (const char* p = dialog->lpstrFilter; p && *p; p += strlen(p) + 1) filter += std::string(p) + "|";
    self.dialogs_.push_back({dialog->lpstrTitle ? dialog->lpstrTitle : "", filter, dialog->lpstrFile,
                             dialog->Flags, dialog->nFilterIndex, dialog->nMaxFile, dialog->lpfnHook != nullptr});
    if (self.choices_.empty()) return FALSE;
    const std::string choice = self.choices_.front();
    self.choices_.pop_front();
    if (choice.empty()) return FALSE;
    lstrcpynA(dialog->lpstrFile, choice.c_str(), dialog->nMaxFile);
    return TRUE;
}
