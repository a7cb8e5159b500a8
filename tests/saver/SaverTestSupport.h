// Shared pieces of the screensaver's tests: a fresh screensaver state with its
// settings file in a scratch folder, a user-interface seam that answers the
// message boxes and the open-file dialog, and a recorder of editor starts.
#pragma once
#include "PlayerHostFixtures.h"
#include "TestFiles.h"
#include "UiSeam.h"
#include "ZelvoSave.h"
#include <deque>
#include <functional>
#include <string>
#include <vector>

// The screensaver's state reset for one test: strings from this program's
// resources, the settings file SAVER.INI in a scratch folder that is also the
// current folder, an empty list and default options.
class SaverSession {
public:
    SaverSession();
    ~SaverSession();
    SaverSession(const SaverSession&) = delete;
    SaverSession& operator=(const SaverSession&) = delete;
    std::string File(const std::string& name) const { return dir_.File(name); }
    const std::string& Path() const { return dir_.Path(); }
    // Appends an entry to the list.
    void Add(const std::string& path, bool active = true);
private:
    ScratchDir dir_;
    char previous_[MAX_PATH];
};

// Answers message boxes and open-file dialogs from queues and records them.
class SaverUi {
public:
    struct Box {
        std::string text, caption;
        UINT type;
    };
    SaverUi();
    ~SaverUi();
    SaverUi(const SaverUi&) = delete;
    SaverUi& operator=(const SaverUi&) = delete;
    void QueueBoxAnswer(int answer) { boxAnswers_.push_back(answer); }
    // The open-file dialog returns this path (copied whole, whatever its
    // length); an empty one means Cancel.
    void QueueChoice(const std::string& path) { choices_.push_back(path); }
    const std::vector<Box>& Boxes() const { return boxes_; }
    DWORD LastMaxFile() const { return lastMaxFile_; }
    std::string LastTitle() const { return lastTitle_; }
    std::string LastFilter() const { return lastFilter_; }
private:
    static int WINAPI MessageBoxHook(HWND, LPCSTR text, LPCSTR caption, UINT type);
    static BOOL WINAPI OpenHook(LPOPENFILENAMEA dialog);
    std::deque<int> boxAnswers_;
    std::deque<std::string> choices_;
    std::vector<Box> boxes_;
    DWORD lastMaxFile_ = 0;
    std::string lastTitle_, lastFilter_;
    UiSeam seam_;
    const UiSeam* previous_;
};

// Stands in for the registry and the program start of "open in the editor".
class EditorStarts {
public:
    explicit EditorStarts(const char* registered);  // null: nothing registered
    ~EditorStarts();
    EditorStarts(const EditorStarts&) = delete;
    EditorStarts& operator=(const EditorStarts&) = delete;
    const std::vector<std::string>& Started() const { return started_; }
private:
    static bool Read(std::string* command);
    static bool Start(const std::string& line);
    const char* registered_;
    std::vector<std::string> started_;
    SaverEditorSeam seam_;
};

// Runs the steps one after another from a timer of the dialog that the next
// dialog box of this thread opens (each step may look at and act on it); the
// last step must end the dialog.
class DialogScript {
public:
    using Step = std::function<void(HWND dialog)>;
    explicit DialogScript(std::vector<Step> steps);
    ~DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;
    size_t StepsRun() const { return next_; }
private:
    static LRESULT CALLBACK AfterMessage(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK Tick(HWND dialog, UINT, UINT_PTR, DWORD);
    std::vector<Step> steps_;
    size_t next_ = 0;
    HWND dialog_ = nullptr;
    HHOOK hook_;
};

// Clicks a dialog's button as a user does (BN_CLICKED through BM_CLICK),
// posted: a click that opens another dialog returns at once, and the script's
// next step runs inside that dialog's loop.
void Click(HWND dialog, int id);
// The password keys of the screensaver in control.ini, cleared for a test and
// put back afterwards.
class ControlIniSection {
public:
    ControlIniSection();
    ~ControlIniSection();
    ControlIniSection(const ControlIniSection&) = delete;
    ControlIniSection& operator=(const ControlIniSection&) = delete;
private:
    std::string protectedValue_, hashValue_;
};
