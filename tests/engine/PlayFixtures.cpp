#include "PlayFixtures.h"
#include "ResultCodes.h"
#include <ostream>

PlayScene::PlayScene(int width, int height, COLORREF background) : f(width, height, background)
{
    SetCurrentDirectoryA(dir.Path().c_str());
}

int PlayScene::AddSequence(int width, int height, int frames, uint8_t code, std::function<uint32_t(int, int, int)> value)
{
    SequenceSpec spec;
    spec.width = width;
    spec.height = height;
    spec.frames = frames;
    spec.code = code;
    spec.value = value ? value : [](int, int, int frame) -> uint32_t { return 16 + 20 * frame; };
    const std::string name = "seq" + std::to_string(specs.size()) + ".bmx";
    if (WriteSequence(dir.File(name), spec) != RESULT_OK) return -1;
    specs.push_back(spec);
    return f.AddSequence(name, code, spec.colorCount);
}

ObjectRecord& PlayScene::AddObject(int sequence, int x, int y, uint8_t objectFlags)
{
    return f.t.objectTable[f.AddObject(sequence, x, y, objectFlags)];
}

ObjectRecord& PlayScene::AddStepObject(int sequence, const std::vector<ObjectStep>& steps, uint8_t objectFlags)
{
    const int index = f.AddObject(sequence, 0, 0, static_cast<uint8_t>(objectFlags | OBJ_STEP_LIST));
    f.AddSteps(index, steps);
    return f.t.objectTable[index];
}

HANIM PlayScene::Load(DWORD flags)
{
    if (f.Write(dir.File("play.ans")) != RESULT_OK) return nullptr;
    return LoadWholeAnimation(dir.File("play.ans"), flags);
}

ObjectStep MakeStep(uint8_t flags, int x, int y, uint8_t waitCount, uint8_t frame)
{
    ObjectStep s{};
    s.stepFlags = flags;
    s.x = x;
    s.y = y;
    s.waitCount = waitCount;
    s.frameIndex = frame;
    return s;
}

// ---- the recording window ----

namespace {

const char kRecordingClass[] = "PlayRecordingWindow";

void RegisterRecordingClass(WNDPROC procedure)
{
    WNDCLASSA wc{};
    if (GetClassInfoA(GetModuleHandleA(nullptr), kRecordingClass, &wc)) return;
    wc.style = CS_OWNDC;  // as the animation window's class: a scrolled origin stays in the DC
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kRecordingClass;
    RegisterClassA(&wc);
}

}  // namespace

RecordingWindow::RecordingWindow(int x, int y, int width, int height, bool visible)
{
    RegisterRecordingClass(Procedure);
    hwnd = CreateWindowExA(0, kRecordingClass, "", WS_POPUP | (visible ? WS_VISIBLE : 0), x, y, width, height, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

RecordingWindow::~RecordingWindow()
{
    if (IsWindow(hwnd)) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        DestroyWindow(hwnd);
    }
    MSG msg;
    while (PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE)) {
    }
}

LRESULT CALLBACK RecordingWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self) {
        if (message == ANIM_OBJECT_MESSAGE) {
            const ObjectEvent e{static_cast<int>(wParam), static_cast<int>(lParam)};
            self->events.push_back(e);
            if (self->onEvent) self->onEvent(e);
            return 0;
        }
        if (self->onMessage && self->onMessage(message, wParam, lParam)) return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::vector<MSG> RecordingWindow::TakePosted(UINT message)
{
    std::vector<MSG> out;
    MSG msg;
    while (PeekMessageA(&msg, hwnd, message, message, PM_REMOVE)) out.push_back(msg);
    return out;
}

std::vector<ObjectEvent> RecordingWindow::TakeEvents()
{
    std::vector<ObjectEvent> out;
    out.swap(events);
    return out;
}

// ---- input ----

FakeInput* FakeInput::current_ = nullptr;

FakeInput::FakeInput()
{
    current_ = this;
    static const AnimInputSource source{
        [](int key) -> SHORT { return current_ && current_->keys_[key & 0xFF] ? static_cast<SHORT>(0x8000) : 0; },
        [](POINT* p) -> BOOL {
            *p = current_ ? current_->cursor_ : POINT{};
            return TRUE;
        },
        [](POINT) -> HWND { return current_ ? current_->under_ : nullptr; },
        []() -> HWND { return current_ ? current_->focus_ : nullptr; },
    };
    SetAnimInputSource(&source);
}

FakeInput::~FakeInput()
{
    SetAnimInputSource(nullptr);
    current_ = nullptr;
}

void FakeInput::Press(int virtualKey, bool down) { keys_[virtualKey & 0xFF] = down; }

void FakeInput::CursorOnClient(HWND window, int x, int y)
{
    POINT p{x, y};
    ClientToScreen(window, &p);
    CursorAt(p, window);
}

void FakeInput::Clear()
{
    for (bool& k : keys_) k = false;
    cursor_ = {-1000, -1000};
    under_ = focus_ = nullptr;
}

std::ostream& operator<<(std::ostream& out, const ObjectTrace& t)
{
    return out << "{frame " << t.frame << ", x " << t.x << ", y " << t.y << "}";
}

std::ostream& operator<<(std::ostream& out, const ObjectEvent& e)
{
    return out << "{object " << e.object << ", event " << e.event << "}";
}

std::vector<ObjectTrace> TraceObject(HANIM handle, HWND window, int object, int ticks)
{
    std::vector<ObjectTrace> out;
    for (int t = 0; t < ticks; ++t) {
        StepAnimation(handle, window);
        LockedContext c(handle);
        const ObjectRuntime& o = c->objectRuntime[object];
        out.push_back({o.frame, o.x, o.y});
    }
    return out;
}
