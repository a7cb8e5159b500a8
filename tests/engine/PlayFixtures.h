// Fixtures of the play-loop tests: animations built object by object, a
// plain window standing in for the animation window that records what the
// engine sends and posts to it, and input that the tests set by hand.
#pragma once
#include "EngineFixtures.h"
#include <functional>
#include <vector>

// An animation written into a scratch folder (which becomes the current
// folder): opaque sequences unless told otherwise, objects whose records the
// test fills in.
class PlayScene {
public:
    PlayScene(int width, int height, COLORREF background = RGB(0, 0, 128));
    ScratchDir dir;
    AnimationFixture f;
    // A sequence of `frames` frames of w by h; frame n is filled by `value`
    // (default: a flat colour per frame, index 16 + 20 n).
    int AddSequence(int width, int height, int frames, uint8_t code = 0x80,
                    std::function<uint32_t(int x, int y, int frame)> value = nullptr);
    // An object on a sequence with its record to fill in.
    ObjectRecord& AddObject(int sequence, int x, int y, uint8_t objectFlags = 0);
    ObjectRecord& Object(int index) { return f.t.objectTable[index]; }
    // A step-list object (objectFlags 0x01 added).
    ObjectRecord& AddStepObject(int sequence, const std::vector<ObjectStep>& steps, uint8_t objectFlags = 0);
    // Writes and loads the animation; null on failure.
    HANIM Load(DWORD flags = 0);
    std::vector<SequenceSpec> specs;
};

// A step as the editor stores it; the rest of the fields 0.
ObjectStep MakeStep(uint8_t flags, int x, int y, uint8_t waitCount, uint8_t frame = 0);

struct ObjectEvent {
    int object;
    int event;
    bool operator==(const ObjectEvent& o) const { return object == o.object && event == o.event; }
};

// A plain hidden window of the tests' own class in the place of the
// animation window. It records every ANIM_OBJECT_MESSAGE sent to it; a test
// may hook any message (return true when handled).
class RecordingWindow {
public:
    RecordingWindow(int x = 100, int y = 50, int width = 120, int height = 90, bool visible = false);
    ~RecordingWindow();
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;
    HWND hwnd = nullptr;
    std::vector<ObjectEvent> events;
    std::function<void(const ObjectEvent&)> onEvent;
    std::function<bool(UINT message, WPARAM wParam, LPARAM lParam)> onMessage;
    // Removes the posted messages of one kind waiting for this window.
    std::vector<MSG> TakePosted(UINT message);
    std::vector<ObjectEvent> TakeEvents();
private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

// Input for the conditions, set by the test and handed to the engine for the
// life of the object.
class FakeInput {
public:
    FakeInput();
    ~FakeInput();
    FakeInput(const FakeInput&) = delete;
    FakeInput& operator=(const FakeInput&) = delete;
    void Press(int virtualKey, bool down = true);
    void CursorAt(POINT screen, HWND under) { cursor_ = screen; under_ = under; }
    // The cursor over a point of a window's client area.
    void CursorOnClient(HWND window, int x, int y);
    void Focus(HWND window) { focus_ = window; }
    void Clear();
private:
    static FakeInput* current_;
    bool keys_[256] = {};
    POINT cursor_{-1000, -1000};
    HWND under_ = nullptr;
    HWND focus_ = nullptr;
};

// Per tick of one object: what the play loop left in its runtime.
struct ObjectTrace {
    int frame, x, y;
    bool operator==(const ObjectTrace& o) const { return frame == o.frame && x == o.x && y == o.y; }
};
std::ostream& operator<<(std::ostream& out, const ObjectTrace& t);
std::ostream& operator<<(std::ostream& out, const ObjectEvent& e);
// Steps the animation `ticks` times and traces object `object` after each.
std::vector<ObjectTrace> TraceObject(HANIM handle, HWND window, int object, int ticks);
