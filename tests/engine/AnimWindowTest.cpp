// The animation window: its class, creation with the host's and the file's
// styles and sizes, placement on a 1024 by 768 screen and in a parent, the
// host hook and the order in which it sees the engine's messages, the
// engine's own handling of the end (close, follow on in the same or a new
// window reshaped for a new set-up; never a file opened with the shell),
// scroll bars and scrolling, the hidden cursor,
// and stopping at ANIM_CLOSE and WM_DESTROY.
#include "WindowFixtures.h"
#include "FakeMciDevices.h"
#include <gtest/gtest.h>
#include <tlhelp32.h>
#include <cstring>
#include <iterator>
#include <set>

namespace {

using Calls = std::vector<std::string>;

// Running processes of this Wine session started from a program of this name.
int CountProcesses(const std::string& exeName)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szExeFile, exeName.c_str()) == 0) ++count;
    CloseHandle(snapshot);
    return count;
}

// The Windows path of the test's shell target (built beside the tests).
std::string ShellTargetPath()
{
    std::string path = std::string("Z:") + SHELL_TARGET;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const DWORD kCaptionPopup = WS_POPUP | WS_CAPTION;

POINT ClientOrigin(HWND window)
{
    POINT p{0, 0};
    ClientToScreen(window, &p);
    return p;
}

SIZE ClientSize(HWND window)
{
    RECT r{};
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}

POINT WindowOrigin(HWND window)
{
    POINT o{};
    HDC dc = GetDC(window);
    GetWindowOrgEx(dc, &o);
    ReleaseDC(window, dc);
    return o;
}

// "first.ans" (200 by 120 over a red background picture, one object),
// "second.ans" (the same shape, green, three objects, no picture) and
// "wide.ans" (300 by 150, two objects, a frame without caption) in the
// current folder; the first loaded. The devices are recorded.
class AnimWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureAnimWindowClass();
        ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024) << "the tests run on a 1024 by 768 screen";
        ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
        ASSERT_TRUE(WriteBmp("back.bmp", 200, 120, 24, [](int, int) { return 0xFF0000u; }));
        ASSERT_TRUE(WriteTestAnimation("first.ans", 200, 120, 1, [](AnimationFixture& f) {
            f.settings().backgroundColor = BACKGROUND_USE_IMAGE | RGB(0, 0, 128);
            lstrcpynA(f.settings().backgroundImage, "back.bmp", 64);
            lstrcpynA(f.settings().title, "First", 64);
        }));
        ASSERT_TRUE(WriteTestAnimation("second.ans", 200, 120, 3, [](AnimationFixture& f) {
            f.settings().backgroundColor = kGreen;
            lstrcpynA(f.settings().title, "Second", 64);
        }));
        ASSERT_TRUE(WriteTestAnimation("wide.ans", 300, 150, 2, [](AnimationFixture& f) {
            f.settings().windowStyle = WS_POPUP | WS_BORDER;
            lstrcpynA(f.settings().title, "Wide", 64);
        }));
        ASSERT_TRUE(WriteWholeFile("tone.wav", MinimalWaveFile()));
        InstallMciSeam(&devices_.Seam());
        InstallUiSeam(&devices_.Ui());
        handle_ = LoadWholeAnimation("first.ans");
        ASSERT_NE(handle_, nullptr);
    }
    void TearDown() override
    {
        for (HWND w : windows_)
            if (IsWindow(w)) DestroyWindow(w);
        for (const HookCall& c : hook_.Of(WM_INITDIALOG))
            if (IsWindow(c.window)) DestroyWindow(c.window);
        DrainMessages();
        StopSound(nullptr, ANIM_SOUND_ALL, false);
        InstallMciSeam(nullptr);
        InstallUiSeam(nullptr);
        DestroyAnimation(handle_);
    }

    HWND Create(DWORD style, DWORD wndFlags, int x = 0, int y = 0, int width = 160, int height = 100,
                HWND parent = nullptr, HANIM handle = nullptr)
    {
        HWND w = CreateAnimWindow(handle ? handle : handle_, style, x, y, width, height, parent, wndFlags,
                                  HookRecorder::Hook);
        windows_.push_back(w);
        return w;
    }

    void SetEnd(int endAction, const char* next)
    {
        LockedContext c(handle_);
        c->settings.playFlags = static_cast<uint8_t>((c->settings.playFlags & ~PLAY_END_ACTION_MASK) | (endAction << PLAY_END_ACTION_SHIFT));
        lstrcpynA(c->settings.nextAnimation, next, 64);
    }

    // Posts the end as the play loop does: the end action 1 or 2 with the
    // following animation's name in the context, else (0, 0).
    void PostEnd(HWND window)
    {
        const LONG_PTR action = GetAnimInfo(handle_, ANIM_INFO_END_ACTION);
        if (action == END_LOAD_NEXT || action == END_LOAD_NEXT_NEW_WINDOW)
            PostMessageA(window, ANIM_END_ANIMATION, action, GetAnimInfo(handle_, ANIM_INFO_NEXT_NAME));
        else
            PostMessageA(window, ANIM_END_ANIMATION, 0, 0);
        DrainMessages();
    }

    std::string Title() { return LockedContext(handle_)->settings.title; }

    CurrentScratchFolder folder_;
    FakeDevices devices_;
    HookRecorder hook_;
    HANIM handle_ = nullptr;
    std::vector<HWND> windows_;
};

// ---- the class and creation ----

TEST_F(AnimWindowTest, TheClassHasItsStyleWindowLongsCursorBrushAndIcon)
{
    WNDCLASSA wc{};
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "ANIWNDCLASS", &wc));
    EXPECT_EQ(wc.style, 0x1028u) << "CS_BYTEALIGNCLIENT | CS_OWNDC | CS_DBLCLKS";
    EXPECT_EQ(wc.cbWndExtra, int(4 * sizeof(LONG_PTR)));
    EXPECT_EQ(wc.hCursor, LoadCursor(nullptr, IDC_ARROW));
    EXPECT_EQ(wc.hbrBackground, GetStockObject(BLACK_BRUSH));
    EXPECT_EQ(wc.hIcon, TestWindowIcon());
    EXPECT_EQ(wc.lpfnWndProc, AnimWndProc);
    EXPECT_EQ(RegisterAnimWindowClass(GetModuleHandleA(nullptr), nullptr), 0) << "registered once";

    UnregisterAnimWindowClass(GetModuleHandleA(nullptr));
    EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), "ANIWNDCLASS", &wc));
    EXPECT_EQ(Create(WS_POPUP, 0), nullptr) << "no class, no window";
    EXPECT_NE(RegisterAnimWindowClass(GetModuleHandleA(nullptr), TestWindowIcon()), 0);
}

TEST_F(AnimWindowTest, CreationStoresTheHandleAndHookAndCallsTheHookOnce)
{
    HWND w = Create(kCaptionPopup, ANIM_WND_SIZE_FROM_ANIM | ANIM_WND_NO_EXSTYLE, 30, 40);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(GetAnimHandle(w), handle_);
    EXPECT_EQ(GetWindowLongPtrA(w, GWL_ANIM_HANDLE), reinterpret_cast<LONG_PTR>(handle_));
    EXPECT_EQ(GetWindowLongPtrA(w, GWL_ANIM_RESERVED), 0);
    EXPECT_EQ(GetWindowLongPtrA(w, GWL_ANIM_HOOK), reinterpret_cast<LONG_PTR>(&HookRecorder::Hook));
    const std::vector<HookCall> init = hook_.Of(WM_INITDIALOG);
    ASSERT_EQ(init.size(), 1u);
    EXPECT_EQ(init[0].window, w);
    EXPECT_EQ(init[0].wParam, reinterpret_cast<WPARAM>(handle_));
    EXPECT_EQ(init[0].lParam, LPARAM(ANIM_WND_SIZE_FROM_ANIM | ANIM_WND_NO_EXSTYLE));
    char text[80] = "";
    GetWindowTextA(w, text, sizeof text);
    EXPECT_STREQ(text, "First");
    EXPECT_EQ(ClientOrigin(w).x, 30);
    EXPECT_EQ(ClientOrigin(w).y, 40);

    // A window without a hook works on its own; one without a handle is refused.
    HWND plain = CreateAnimWindow(handle_, WS_POPUP, 0, 0, 50, 50, nullptr, 0, nullptr);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(GetWindowLongPtrA(plain, GWL_ANIM_HOOK), 0);
    windows_.push_back(plain);
    EXPECT_EQ(hook_.Of(WM_INITDIALOG).size(), 1u);
    EXPECT_EQ(CreateAnimWindow(nullptr, WS_POPUP, 0, 0, 50, 50, nullptr, 0, HookRecorder::Hook), nullptr);
}

TEST_F(AnimWindowTest, StyleAndClientSizeFromTheFileTheCallerOrBoth)
{
    const DWORD fileStyle = 0x80000000u | WS_CAPTION | WS_SYSMENU, fileEx = WS_EX_TOOLWINDOW;
    const DWORD caller = WS_POPUP | WS_BORDER | WS_MINIMIZEBOX;
    const DWORD mask = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    // The picture is 150 by 100; the animation's own size 200 by 120; the
    // caller asks for 180 by 130. The picture fits each: no scroll bars.
    HANIM picture = CreateAnimation("first.ans", 150, 100, 0, ANIM_KEEP_FILE_BKCOLOR);
    ASSERT_NE(picture, nullptr);
    const struct { DWORD flags; DWORD style; DWORD exStyle; SIZE client; } cases[] = {
        {0, caller, fileEx, {180, 130}},
        {ANIM_WND_FILE_STYLE, WS_CAPTION | WS_SYSMENU, fileEx, {180, 130}},
        {ANIM_WND_OR_STYLE, caller | WS_CAPTION | WS_SYSMENU, fileEx, {180, 130}},
        {ANIM_WND_FILE_STYLE | ANIM_WND_OR_STYLE, WS_CAPTION | WS_SYSMENU, fileEx, {180, 130}},
        {ANIM_WND_NO_EXSTYLE, caller, 0, {180, 130}},
        {ANIM_WND_SIZE_FROM_ANIM, caller, fileEx, {150, 100}},
        {ANIM_WND_SIZE_BY_MODE, caller, fileEx, {200, 120}},
        {ANIM_WND_SIZE_FROM_ANIM | ANIM_WND_SIZE_BY_MODE, caller, fileEx, {150, 100}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "wndFlags 0x" << std::hex << c.flags);
        {
            LockedContext context(picture);
            context->settings.windowStyle = fileStyle;
            context->settings.windowExStyle = fileEx;
        }
        HWND w = Create(caller, c.flags, 10, 10, 180, 130, nullptr, picture);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(GetWindowLongPtrA(w, GWL_STYLE) & mask, LONG_PTR(c.style & mask));
        EXPECT_EQ(GetWindowLongPtrA(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, LONG_PTR(c.exStyle));
        EXPECT_EQ(ClientSize(w).cx, c.client.cx);
        EXPECT_EQ(ClientSize(w).cy, c.client.cy);
        EXPECT_EQ(LockedContext(picture)->settings.windowStyle, fileStyle & ~0x80000000u)
            << "the file's popup bit is cleared for good";
        DestroyWindow(w);
    }
    DestroyAnimation(picture);
}

// ---- placement ----

TEST_F(AnimWindowTest, PlacementOnTheScreenForEveryPositionModeAndSize)
{
    // A picture of 1 by 1 fits every window: no scroll bar takes room.
    HANIM small = CreateAnimation("first.ans", 1, 1, 0, 0);
    ASSERT_NE(small, nullptr);
    const struct {
        uint8_t positionFlags, sizeMode;
        int16_t x, y, width, height;
        SIZE client;
        int xLow, xHigh, yLow, yHigh;  // where the client area may lie
    } cases[] = {
        // centred
        {0x00, 1, 0, 0, 300, 200, {300, 200}, 362, 362, 284, 284},
        {0x00, 0, 0, 0, 300, 200, {320, 240}, 352, 352, 264, 264},   // the players' default size
        {0x00, 2, 0, 0, 300, 200, {1024, 768}, 0, 0, 0, 0},          // the screen's size
        {0x00, 3, 0, 0, 300, 200, {320, 240}, 352, 352, 264, 264},
        {0x1C, 1, 0, 0, 300, 200, {300, 200}, 362, 362, 284, 284},   // the other bits do not move it
        // fixed, kept from running off the right and bottom
        {0x02, 1, 600, 100, 100, 80, {100, 80}, 600, 600, 100, 100},
        {0x02, 1, 1000, 700, 100, 80, {100, 80}, 924, 924, 688, 688},
        {0x12, 0, 10, 20, 0, 0, {320, 240}, 10, 10, 20, 20},
        {0x02, 2, 50, 40, 0, 0, {1024, 768}, 0, 0, 0, 0},
        // random, inside a margin of 1/64 of the screen
        {0x01, 1, 0, 0, 300, 200, {300, 200}, 16, 16 + 692 - 1, 12, 12 + 544 - 1},
        {0x03, 0, 0, 0, 0, 0, {320, 240}, 16, 16 + 672 - 1, 12, 12 + 504 - 1},
        {0x01, 2, 0, 0, 0, 0, {1024, 768}, 0, 0, 0, 0},
        {0x03, 1, 0, 0, 1000, 100, {1000, 100}, 0, 0, 12, 12 + 644 - 1},  // wider than the room: at 0
        {0x01, 1, 0, 0, 992, 744, {992, 744}, 0, 0, 0, 0},                 // no room at all
        {0x01, 1, 0, 0, 991, 743, {991, 743}, 16, 16, 12, 12},             // room for one place
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "positionFlags 0x" << std::hex << int(c.positionFlags) << std::dec
                                        << " sizeMode " << int(c.sizeMode) << " " << c.width << "x" << c.height);
        {
            LockedContext a(small);
            a->settings.positionFlags = c.positionFlags;
            a->settings.sizeMode = c.sizeMode;
            a->settings.x = c.x;
            a->settings.y = c.y;
            a->settings.width = c.width;
            a->settings.height = c.height;
        }
        for (int draw = 0; draw < (c.xLow == c.xHigh && c.yLow == c.yHigh ? 1 : 4); ++draw) {
            HWND w = Create(kCaptionPopup, ANIM_WND_PLACE | ANIM_WND_SIZE_BY_MODE, -5000, -5000, 1, 1, nullptr, small);
            ASSERT_NE(w, nullptr);
            const POINT at = ClientOrigin(w);
            EXPECT_GE(at.x, c.xLow);
            EXPECT_LE(at.x, c.xHigh);
            EXPECT_GE(at.y, c.yLow);
            EXPECT_LE(at.y, c.yHigh);
            EXPECT_EQ(ClientSize(w).cx, c.client.cx);
            EXPECT_EQ(ClientSize(w).cy, c.client.cy);
            DestroyWindow(w);
        }
    }
    DestroyAnimation(small);
}

TEST_F(AnimWindowTest, RandomPlacementSpreadsOverTheWholeRoom)
{
    LockedContext c(handle_);
    c->settings.positionFlags = 1;
    std::set<int> xs, ys;
    for (int i = 0; i < 3000; ++i) {
        const POINT p = PlaceAnimation(c.get(), 1024, 768, 300, 200);
        ASSERT_GE(p.x, 16);
        ASSERT_LE(p.x, 16 + 692 - 1);
        ASSERT_GE(p.y, 12);
        ASSERT_LE(p.y, 12 + 544 - 1);
        xs.insert(p.x);
        ys.insert(p.y);
    }
    EXPECT_GT(xs.size(), 500u);
    EXPECT_GT(ys.size(), 400u);
}

TEST_F(AnimWindowTest, PlacementInsideAParent)
{
    HWND parent = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    windows_.push_back(parent);
    const struct { uint8_t positionFlags; int16_t x, width; int left; } cases[] = {
        {0, 0, 300, 170},    // centred
        {2, 600, 100, 540},  // fixed, kept inside the parent
        {2, 20, 100, 20},
    };
    for (const auto& c : cases) {
        {
            LockedContext a(handle_);
            a->settings.positionFlags = c.positionFlags;
            a->settings.sizeMode = 1;
            a->settings.x = c.x;
            a->settings.y = 0;
            a->settings.width = c.width;
            a->settings.height = 100;
        }
        HWND w = Create(WS_CHILD, ANIM_WND_PLACE | ANIM_WND_SIZE_BY_MODE, 0, 0, 0, 0, parent);
        ASSERT_NE(w, nullptr);
        POINT at = ClientOrigin(w);
        ScreenToClient(parent, &at);
        EXPECT_EQ(at.x, c.left) << "positionFlags " << int(c.positionFlags);
        EXPECT_EQ(at.y, c.positionFlags == 0 ? 190 : 0);
        DestroyWindow(w);
    }
}

// ---- the hook ----

TEST_F(AnimWindowTest, TheHookSeesObjectSoundAndEndMessagesInTheOrderTheEngineSendsAndPostsThem)
{
    SetEnd(END_LOAD_NEXT, "second.ans");
    hook_.Answer(ANIM_SOUND_REQUEST, 1);
    hook_.Answer(ANIM_END_ANIMATION, 1);
    HWND w = Create(WS_POPUP, 0);
    ASSERT_NE(w, nullptr);
    {
        // A step: object events are sent while it runs, the window update
        // posts the sounds; the next step ends the animation and posts the end.
        LockedContext c(handle_);
        SendMessageA(w, ANIM_OBJECT_MESSAGE, 0, ANIM_OBJ_STARTED);
        SendMessageA(w, ANIM_OBJECT_MESSAGE, 0, ANIM_OBJ_STEP_EVENT);
        c->objectRuntime[0].pendingSound = 0x85;
        PostPendingSounds(c.get(), w);
        SendMessageA(w, ANIM_OBJECT_MESSAGE, 0, ANIM_OBJ_FINISHED);
        PostMessageA(w, ANIM_END_ANIMATION, END_LOAD_NEXT, reinterpret_cast<LPARAM>(c->settings.nextAnimation));
    }
    EXPECT_EQ(hook_.calls.size(), 4u) << "the sent events arrive at once";
    DrainMessages();
    struct Seen { UINT message; WPARAM wParam; LPARAM lParam; };
    const Seen expected[] = {
        {WM_INITDIALOG, reinterpret_cast<WPARAM>(handle_), 0},
        {ANIM_OBJECT_MESSAGE, 0, ANIM_OBJ_STARTED},
        {ANIM_OBJECT_MESSAGE, 0, ANIM_OBJ_STEP_EVENT},
        {ANIM_OBJECT_MESSAGE, 0, ANIM_OBJ_FINISHED},
        {ANIM_SOUND_REQUEST, ANIM_SOUND_MIDI, 0},
        {ANIM_END_ANIMATION, END_LOAD_NEXT, GetAnimInfo(handle_, ANIM_INFO_NEXT_NAME)},
    };
    ASSERT_EQ(hook_.calls.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(hook_.calls[i].window, w) << i;
        EXPECT_EQ(hook_.calls[i].message, expected[i].message) << i;
        EXPECT_EQ(hook_.calls[i].wParam, expected[i].wParam) << i;
        EXPECT_EQ(hook_.calls[i].lParam, expected[i].lParam) << i;
    }
    EXPECT_TRUE(IsWindow(w)) << "the host handled the end itself";
    EXPECT_EQ(Title(), "First");
}

TEST_F(AnimWindowTest, TheHooksAnswerDecidesWhatTheEngineDoes)
{
    HWND w = Create(WS_POPUP, 0);
    ASSERT_NE(w, nullptr);
    const LRESULT brush = GetAnimInfo(handle_, ANIM_INFO_BRUSH);
    HWND other = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    windows_.push_back(other);
    const LRESULT systemAnswer = DefWindowProcA(other, WM_CTLCOLORDLG, 0, 0);
    const struct { int answer; LRESULT result; } cases[] = {
        {0, brush},            // the engine: the animation's background brush
        {7, 0},                // handled by the host
        {-1, systemAnswer},    // DefWindowProc only
    };
    for (const auto& c : cases) {
        hook_.Answer(WM_CTLCOLORDLG, c.answer);
        EXPECT_EQ(SendMessageA(w, WM_CTLCOLORDLG, 0, 0), c.result) << "answer " << c.answer;
    }
}

// ---- the end of the animation ----

TEST_F(AnimWindowTest, EndActionCloseDestroysTheWindowButNotTheAnimation)
{
    SetEnd(END_CLOSE, "second.ans");
    HWND w = Create(WS_POPUP, 0);
    PostEnd(w);
    EXPECT_FALSE(IsWindow(w));
    const std::vector<HookCall> destroyed = hook_.Of(WM_DESTROY);
    ASSERT_EQ(destroyed.size(), 1u);
    EXPECT_EQ(destroyed[0].handle, handle_) << "the host's hook frees the animation if it wants";
    EXPECT_EQ(Title(), "First");
    EXPECT_NE(GetAnimInfo(handle_, ANIM_INFO_SIZE), 0);
}

TEST_F(AnimWindowTest, EndActionOneFollowsOnInTheSameWindowKeepingPaletteAndPicture)
{
    SetEnd(END_LOAD_NEXT, "second.ans");
    HWND w = Create(kCaptionPopup, ANIM_WND_PLACE | ANIM_WND_SIZE_BY_MODE | ANIM_WND_OR_STYLE);
    const HBITMAP picture = GetAnimBitmap(handle_);
    const LONG_PTR palette = GetAnimInfo(handle_, ANIM_INFO_PALETTE);
    ASSERT_NE(picture, nullptr);
    ASSERT_EQ(ReadBitmap(picture).At(100, 100), kRed);
    PostEnd(w);

    ASSERT_TRUE(IsWindow(w));
    EXPECT_EQ(GetAnimHandle(w), handle_);
    EXPECT_EQ(Title(), "Second");
    {
        LockedContext c(handle_);
        EXPECT_EQ(c->header.objectCount, 3);
        EXPECT_EQ(c->sequenceRuntime[0].loaded, 1) << "the following animation's sequences are loaded";
        EXPECT_EQ(c->ended, 0);
    }
    EXPECT_EQ(GetAnimBitmap(handle_), picture);
    EXPECT_EQ(GetAnimInfo(handle_, ANIM_INFO_PALETTE), palette);
    EXPECT_EQ(ReadBitmap(picture).At(100, 100), kRed) << "the old background picture stays";
    EXPECT_TRUE(hook_.Of(WM_DESTROY).empty());
    EXPECT_EQ(hook_.Of(WM_INITDIALOG).size(), 1u);
}

TEST_F(AnimWindowTest, EndActionTwoWithTheSameShapeGetsANewSetUpInTheSameWindow)
{
    SetEnd(END_LOAD_NEXT_NEW_WINDOW, "second.ans");
    HWND w = Create(kCaptionPopup, ANIM_WND_PLACE | ANIM_WND_SIZE_BY_MODE | ANIM_WND_OR_STYLE);
    devices_.SetWindow(w);
    char sound[] = "tone.wav";
    HandleAnimSoundRequest(handle_, w, sound, ANIM_SOUND_WAVE, 0);
    devices_.calls.clear();
    PostEnd(w);

    ASSERT_TRUE(IsWindow(w));
    EXPECT_EQ(GetAnimHandle(w), handle_);
    EXPECT_EQ(Title(), "Second");
    EXPECT_EQ(devices_.calls, Calls({"STOP 7", "CLOSE 7", "PLAIN stop"})) << "a new set-up silences the old sounds";
    EXPECT_EQ(GetAnimInfo(handle_, ANIM_INFO_BKCOLOR), LONG_PTR(kGreen));
    EXPECT_EQ(GetAnimBitmap(handle_), nullptr) << "the old picture went: the new animation needs none";
    EXPECT_EQ(LockedContext(handle_)->sequenceRuntime[0].loaded, 1);
    EXPECT_TRUE(hook_.Of(WM_DESTROY).empty());
}

TEST_F(AnimWindowTest, EndActionTwoWithANewShapeKeepsTheWindowAndReshapesIt)
{
    // The window takes its style from the file: the caption goes with wide.ans.
    SetEnd(END_LOAD_NEXT_NEW_WINDOW, "wide.ans");
    const DWORD flags = ANIM_WND_PLACE | ANIM_WND_SIZE_BY_MODE | ANIM_WND_FILE_STYLE;
    HWND w = Create(WS_POPUP, flags);
    ShowWindow(w, SW_SHOWNOACTIVATE);
    ASSERT_EQ(GetWindowLongPtrA(w, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
    const POINT before = ClientOrigin(w);
    PostEnd(w);

    ASSERT_TRUE(IsWindow(w)) << "a host's handle of the window stays valid";
    EXPECT_EQ(GetAnimHandle(w), handle_);
    EXPECT_EQ(hook_.Of(WM_INITDIALOG).size(), 1u) << "no second window";
    EXPECT_TRUE(hook_.Of(WM_DESTROY).empty());
    EXPECT_EQ(ClientSize(w).cx, 300);
    EXPECT_EQ(ClientSize(w).cy, 150);
    EXPECT_EQ(ClientOrigin(w).x, before.x) << "the window keeps its place";
    EXPECT_EQ(ClientOrigin(w).y, before.y);
    const LONG_PTR style = GetWindowLongPtrA(w, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, LONG_PTR(WS_BORDER)) << "restyled: no caption";
    EXPECT_TRUE(style & WS_VISIBLE);
    char title[32] = "";
    GetWindowTextA(w, title, sizeof title);
    EXPECT_STREQ(title, "Wide");
    EXPECT_EQ(LockedContext(handle_)->header.objectCount, 2);
    EXPECT_EQ(LockedContext(handle_)->sequenceRuntime[0].loaded, 1);
}

TEST_F(AnimWindowTest, EndActionThreeOnlyClosesTheWindowAndStartsNothing)
{
    // A program named as the following file, beside the animation: the
    // engine's own end handling never hands it to the shell.
    const std::string target = "target-" + std::to_string(GetCurrentProcessId()) + ".exe";
    ASSERT_TRUE(CopyFileA(ShellTargetPath().c_str(), target.c_str(), FALSE)) << ShellTargetPath();
    ASSERT_TRUE(WriteWholeFile(target + ".hold", {1}));  // a started target stays to be counted
    char full[MAX_PATH];
    ASSERT_TRUE(GetFullPathNameA(target.c_str(), MAX_PATH, full, nullptr));
    {
        // The count sees a target that runs.
        STARTUPINFOA startup{sizeof startup};
        PROCESS_INFORMATION started{};
        ASSERT_TRUE(CreateProcessA(full, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started));
        EXPECT_EQ(1, CountProcesses(target));
        TerminateProcess(started.hProcess, 0);
        WaitForSingleObject(started.hProcess, 10000);
        CloseHandle(started.hProcess);
        CloseHandle(started.hThread);
        ASSERT_EQ(0, CountProcesses(target));
    }
    for (const std::string& next : {target, std::string(full), std::string("readme.txt"), std::string("")}) {
        SCOPED_TRACE(next);
        SetEnd(END_SHELL_OPEN, next.c_str());
        HWND w = Create(WS_POPUP, 0);
        PostEnd(w);
        EXPECT_FALSE(IsWindow(w));
        ASSERT_FALSE(hook_.Of(WM_DESTROY).empty());
        EXPECT_EQ(hook_.Of(WM_DESTROY).back().handle, handle_) << "the animation is the host's to destroy";
        EXPECT_EQ(0, CountProcesses(target));
    }
    DeleteFileA((target + ".hold").c_str());
}

TEST_F(AnimWindowTest, AFollowOnThatCannotBeLoadedClosesTheWindow)
{
    for (int action : {END_LOAD_NEXT, END_LOAD_NEXT_NEW_WINDOW}) {
        SetEnd(action, "gone.ans");
        HWND w = Create(WS_POPUP, 0);
        PostEnd(w);
        EXPECT_FALSE(IsWindow(w)) << "end action " << action;
        ASSERT_NE(LockedContext(handle_).get(), nullptr) << "the handle is the host's to destroy";
        DestroyAnimation(handle_);
        handle_ = LoadWholeAnimation("first.ans");
        ASSERT_NE(handle_, nullptr);
    }
}

// ---- scrolling ----

TEST_F(AnimWindowTest, ScrollBarsShowExactlyWhereThePictureDoesNotFit)
{
    // The picture is 200 by 120 in a window the host sizes itself.
    HWND w = Create(kCaptionPopup, 0, 10, 10, 300, 200);
    const SIZE tries[] = {{300, 200}, {120, 100}, {150, 130}, {199, 300}, {205, 110}, {300, 115},
                          {200, 120}, {190, 110}, {300, 200}};
    for (const SIZE& t : tries) {
        SCOPED_TRACE(testing::Message() << t.cx << "x" << t.cy);
        RECT frame{0, 0, t.cx, t.cy};
        AdjustWindowRectEx(&frame, kCaptionPopup, FALSE, GetWindowLongA(w, GWL_EXSTYLE));
        SetWindowPos(w, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        const SIZE client = ClientSize(w);
        const int horizontal = client.cx < 200 ? 200 - client.cx : 0;
        const int vertical = client.cy < 120 ? 120 - client.cy : 0;
        int low, high;
        GetScrollRange(w, SB_HORZ, &low, &high);
        EXPECT_EQ(high, horizontal) << "the horizontal range is the overlap";
        GetScrollRange(w, SB_VERT, &low, &high);
        EXPECT_EQ(high, vertical) << "the vertical range is the overlap";
        const LONG_PTR style = GetWindowLongPtrA(w, GWL_STYLE);
        EXPECT_EQ((style & WS_HSCROLL) != 0, horizontal > 0);
        EXPECT_EQ((style & WS_VSCROLL) != 0, vertical > 0);
    }
}

TEST_F(AnimWindowTest, ScrollingMovesTheOriginAndEnlargingMovesItBack)
{
    HWND w = Create(kCaptionPopup, 0, 10, 10, 120, 60);
    int low, maxX, maxY;
    GetScrollRange(w, SB_HORZ, &low, &maxX);
    GetScrollRange(w, SB_VERT, &low, &maxY);
    ASSERT_GT(maxX, 60);
    ASSERT_GT(maxY, 40);
    const int page = maxX / 8 > 4 ? maxX / 8 : 4;
    const struct { int code, position, expected; } steps[] = {
        {SB_LINEDOWN, 0, 1},
        {SB_PAGEDOWN, 0, 1 + page},
        {SB_LINEUP, 0, page},
        {SB_PAGEUP, 0, 0},
        {SB_LINEUP, 0, 0},
        {SB_THUMBPOSITION, 30, 30},
        {SB_THUMBTRACK, 50, 30},  // only the final position scrolls
        {SB_BOTTOM, 0, maxX},
        {SB_LINEDOWN, 0, maxX},
        {SB_PAGEDOWN, 0, maxX},
        {SB_THUMBPOSITION, maxX + 50, maxX},
        {SB_TOP, 0, 0},
        {SB_ENDSCROLL, 0, 0},
        {SB_THUMBPOSITION, 25, 25},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(testing::Message() << "code " << s.code << " position " << s.position);
        ScrollAnimWindow(w, s.code, s.position, FALSE);
        EXPECT_EQ(GetScrollPos(w, SB_HORZ), s.expected);
        EXPECT_EQ(WindowOrigin(w).x, s.expected);
        EXPECT_EQ(WindowOrigin(w).y, 0);
    }
    // The scroll bars' own messages, and a small range: pages of at least 4.
    SendMessageA(w, WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
    EXPECT_EQ(WindowOrigin(w).y, maxY);
    SendMessageA(w, WM_VSCROLL, MAKEWPARAM(SB_PAGEUP, 0), 0);
    EXPECT_EQ(WindowOrigin(w).y, maxY - (maxY / 8 > 4 ? maxY / 8 : 4));
    SendMessageA(w, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 40), 0);
    EXPECT_EQ(WindowOrigin(w).x, 40);
    EXPECT_EQ(LockedContext(handle_)->originShifted, 1);

    RECT frame{0, 0, 400, 300};
    AdjustWindowRectEx(&frame, kCaptionPopup, FALSE, GetWindowLongA(w, GWL_EXSTYLE));
    SetWindowPos(w, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(GetWindowLongPtrA(w, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL), 0);
    EXPECT_EQ(WindowOrigin(w).x, 0);
    EXPECT_EQ(WindowOrigin(w).y, 0);
    EXPECT_EQ(LockedContext(handle_)->originShifted, 0);
}

// ---- the cursor ----

TEST_F(AnimWindowTest, TheCursorIsHiddenOverThePictureWhenTheAnimationSaysSo)
{
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW), cross = LoadCursor(nullptr, IDC_CROSS);
    // A child window with a caption, so that the frame is the window's own
    // on any display (a top-level frame may belong to the window manager).
    HWND parent = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100, 500, 400, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    windows_.push_back(parent);
    SetWindowPos(parent, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    const struct { uint8_t positionFlags; bool hidden; } cases[] = {{0x10, true}, {0x12, true}, {0x00, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.positionFlags));
        LockedContext(handle_)->settings.positionFlags = c.positionFlags;
        HWND w = Create(WS_CHILD | WS_CAPTION | WS_VISIBLE, 0, 100, 100, 160, 100, parent);
        UpdateWindow(w);
        const POINT client = ClientOrigin(w);
        RECT outer;
        GetWindowRect(w, &outer);

        SetCursorPos(client.x + 80, client.y + 50);
        ASSERT_EQ(WindowFromPoint({client.x + 80, client.y + 50}), w);
        SetCursor(cross);
        SendMessageA(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(w), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), c.hidden ? nullptr : arrow) << "over the picture";

        const POINT caption{(outer.left + outer.right) / 2, (outer.top + client.y) / 2};
        SetCursorPos(caption.x, caption.y);
        ASSERT_EQ(WindowFromPoint(caption), w);
        SetCursor(cross);
        SendMessageA(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(w), MAKELPARAM(HTCAPTION, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), arrow) << "over the frame the arrow shows";
        DestroyWindow(w);
    }
}

// ---- stopping ----

TEST_F(AnimWindowTest, CloseAndDestroyStopThePlaybackAndTheWindowsSounds)
{
    HWND w = Create(WS_POPUP, 0);
    devices_.SetWindow(w);
    char sound[] = "tone.wav";
    HandleAnimSoundRequest(handle_, w, sound, ANIM_SOUND_WAVE, 0);
    devices_.calls.clear();
    LockedContext(handle_)->stopped = 0;
    PostMessageA(w, ANIM_CLOSE, 0, 0);
    DrainMessages();
    EXPECT_TRUE(IsWindow(w));
    EXPECT_EQ(LockedContext(handle_)->stopped, 1);
    EXPECT_EQ(devices_.TakeCalls(), Calls({"STOP 7", "CLOSE 7", "PLAIN stop"}));
    ASSERT_EQ(hook_.Of(ANIM_CLOSE).size(), 1u) << "the hook sees it first";

    HandleAnimSoundRequest(handle_, w, sound, ANIM_SOUND_WAVE, 0);
    devices_.calls.clear();
    LockedContext(handle_)->stopped = 0;
    DestroyWindow(w);
    EXPECT_EQ(LockedContext(handle_)->stopped, 1);
    EXPECT_EQ(devices_.TakeCalls(), Calls({"STOP 8", "CLOSE 8", "PLAIN stop"}));
    EXPECT_NE(GetAnimInfo(handle_, ANIM_INFO_SIZE), 0) << "the animation stays for the host";
}

TEST_F(AnimWindowTest, WindowFunctionsWithoutAHandle)
{
    HWND w = Create(WS_POPUP, 0);
    SetAnimHandle(w, nullptr);
    EXPECT_EQ(GetAnimHandle(w), nullptr);
    EXPECT_EQ(StartAnimWindow(w), 0);
    EXPECT_EQ(GetAnimHandle(nullptr), nullptr);
    SetAnimHandle(nullptr, handle_);
    // Without a handle the window paints nothing of its own and ends at once.
    UpdateWindow(w);
    PostMessageA(w, ANIM_END_ANIMATION, END_LOAD_NEXT, 0);
    DrainMessages();
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(Title(), "First");
}

}  // namespace
