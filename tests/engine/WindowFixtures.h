// Helpers of the animation window and engine sound tests: the window class
// registered once, a host hook that records what it sees and answers as told,
// a scratch folder made current, and small animations written into it.
#pragma once
#include "EngineFixtures.h"
#include <functional>
#include <map>
#include <string>
#include <vector>

// Registers "ANIWNDCLASS" for this test program once (with the application icon).
HICON TestWindowIcon();
void EnsureAnimWindowClass();

struct HookCall {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    HANIM handle;  // the window's handle when the hook saw the message
};

// The host hook of the tests. While one exists, Hook records the engine's
// messages, WM_INITDIALOG, WM_DESTROY and MM_MCINOTIFY, and answers each
// message as set with Answer (0, the engine handles it, when not set).
class HookRecorder {
public:
    HookRecorder();
    ~HookRecorder();
    HookRecorder(const HookRecorder&) = delete;
    HookRecorder& operator=(const HookRecorder&) = delete;
    static int CALLBACK Hook(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Answer(UINT message, int answer) { answers_[message] = answer; }
    std::vector<HookCall> calls;
    std::vector<HookCall> Of(UINT message) const;
private:
    static HookRecorder* active_;
    std::map<UINT, int> answers_;
};

// Dispatches every message waiting in the thread's queue, and those that
// handling them posts, for two seconds at most.
void DrainMessages();

// A fresh scratch folder made the current folder for the object's life.
class CurrentScratchFolder {
public:
    CurrentScratchFolder();
    ~CurrentScratchFolder();
    CurrentScratchFolder(const CurrentScratchFolder&) = delete;
    CurrentScratchFolder& operator=(const CurrentScratchFolder&) = delete;
    const ScratchDir& Dir() const { return dir_; }
private:
    char previous_[MAX_PATH] = "";
    ScratchDir dir_;
};

// Writes an animation into the current folder: a picture of width by height,
// `objects` objects of one opaque 16 by 12 sequence ("dot.bmx"), adjusted by
// `adjust` before it is written. False when a file cannot be written.
bool WriteTestAnimation(const std::string& name, int width, int height, int objects = 1,
                        const std::function<void(AnimationFixture&)>& adjust = {});
