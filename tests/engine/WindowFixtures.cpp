#include "WindowFixtures.h"
#include "ResultCodes.h"

HICON TestWindowIcon() { return LoadIcon(nullptr, IDI_APPLICATION); }

void EnsureAnimWindowClass()
{
    static const ATOM atom = RegisterAnimWindowClass(GetModuleHandleA(nullptr), TestWindowIcon());
    (void)atom;
}

HookRecorder* HookRecorder::active_ = nullptr;

HookRecorder::HookRecorder() { active_ = this; }

HookRecorder::~HookRecorder() { active_ = nullptr; }

int CALLBACK HookRecorder::Hook(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!active_) return 0;
    switch (message) {
    case ANIM_SOUND_REQUEST:
    case ANIM_END_ANIMATION:
    case ANIM_OBJECT_MESSAGE:
    case ANIM_CLOSE:
    case WM_INITDIALOG:
    case WM_DESTROY:
    case MM_MCINOTIFY:
        active_->calls.push_back({window, message, wParam, lParam, GetAnimHandle(window)});
        break;
    default:
        break;
    }
    const auto answer = active_->answers_.find(message);
    return answer != active_->answers_.end() ? answer->second : 0;
}

std::vector<HookCall> HookRecorder::Of(UINT message) const
{
    std::vector<HookCall> found;
    for (const HookCall& call : calls)
        if (call.message == message) found.push_back(call);
    return found;
}

void DrainMessages()
{
    // Bounded: an animation in fast mode posts itself a new WM_TIMER for ever.
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < 2000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

CurrentScratchFolder::CurrentScratchFolder()
{
    GetCurrentDirectoryA(MAX_PATH, previous_);
    SetCurrentDirectoryA(dir_.Path().c_str());
}

CurrentScratchFolder::~CurrentScratchFolder() { SetCurrentDirectoryA(previous_); }

bool WriteTestAnimation(const std::string& name, int width, int height, int objects,
                        const std::function<void(AnimationFixture&)>& adjust)
{
    SequenceSpec dot;
    dot.width = 16;
    dot.height = 12;
    dot.frames = 1;
    dot.code = 0x80;
    dot.value = [](int x, int y, int) -> uint32_t { return 16 + (x + y) % 100; };
    if (!FileExists("dot.bmx") && WriteSequence("dot.bmx", dot) != RESULT_OK) return false;
    AnimationFixture f(width, height, RGB(0, 0, 128));
    const int sequence = f.AddSequence("dot.bmx", dot.code, 256);
    for (int i = 0; i < objects; ++i) f.AddObject(sequence, 4 + 20 * (i % 8), 4 + 14 * (i / 8));
    if (adjust) adjust(f);
    return f.Write(name) == RESULT_OK;
}
