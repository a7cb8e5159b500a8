// Shared pieces of the player's tests: a scratch folder that is the current
// folder while a test runs, small animation files, and a user-interface seam
// that answers the player's message boxes and open-file dialogs.
#pragma once
#include "EngineFixtures.h"
#include "RunPlayer.h"
#include "UiSeam.h"
#include <deque>
#include <string>
#include <vector>

// A scratch folder made the current folder for the test's length; the
// player's strings are read from this program's resources.
class PlayerFolder {
public:
    PlayerFolder();
    ~PlayerFolder();
    PlayerFolder(const PlayerFolder&) = delete;
    PlayerFolder& operator=(const PlayerFolder&) = delete;
    std::string File(const std::string& name) const { return dir_.File(name); }
    const std::string& Path() const { return dir_.Path(); }
private:
    ScratchDir dir_;
    char previous_[MAX_PATH];
};

// An animation file with one 24-by-16 frame sequence ("<stem>.bmx") written
// beside it, or only the animation when withSequence is false.
struct SmallAnimation {
    int width = 120, height = 90;
    COLORREF background = RGB(0, 0, 128);
    uint8_t paletteSource = 4;  // bit 0: a part of another animation
    uint16_t version = 0;       // 0: as the writer writes it
    std::string backgroundImage;
    bool withSequence = true;
    bool withObject = true;    // without objects the animation ends at its second step
    int endAction = 0;
    std::string next;          // the following animation
    uint32_t windowStyle = 0;  // 0: the default style, with caption
    bool Write(const std::string& folder, const std::string& name) const;
};

// Answers the player's message boxes and open-file dialogs from queues and
// records what they were asked.
class PlayerUi {
public:
    struct Box {
        std::string text, caption;
        UINT type;
    };
    struct Dialog {
        std::string title, filter, initialFile;
        DWORD flags, filterIndex, maxFile;
        bool hooked;
    };
    PlayerUi();
    ~PlayerUi();
    PlayerUi(const PlayerUi&) = delete;
    PlayerUi& operator=(const PlayerUi&) = delete;

    void QueueBoxAnswer(int answer) { boxAnswers_.push_back(answer); }
    // The dialog returns this path; an empty one means Cancel.
    void QueueChoice(const std::string& path) { choices_.push_back(path); }
    const std::vector<Box>& Boxes() const { return boxes_; }
    const std::vector<Dialog>& Dialogs() const { return dialogs_; }

private:
    static int WINAPI MessageBoxHook(HWND, LPCSTR text, LPCSTR caption, UINT type);
    static BOOL WINAPI OpenHook(LPOPENFILENAMEA dialog);
    std::deque<int> boxAnswers_;
    std::deque<std::string> choices_;
    std::vector<Box> boxes_;
    std::vector<Dialog> dialogs_;
    UiSeam seam_;
    const UiSeam* previous_;
};
