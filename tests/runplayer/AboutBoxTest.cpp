// The about box: sized to its picture, centred over its owner and kept on the
// screen, animated by its timer, ended by a click or its OK button.
#include "DialogTestHooks.h"
#include "PlayerTestSupport.h"
#include "resource.h"
#include <gtest/gtest.h>

namespace {

struct Seen {
    RECT window{}, client{};
    POINT clientOrigin{};
    bool timerRuns = false;
    std::string caption;
};

HWND MakeOwner(int x, int y, int w, int h)
{
    return CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr, nullptr, nullptr, nullptr);
}

// Shows the box over `owner`, looks at it once it runs, and ends it with `end`.
Seen ShowAndLook(HWND owner, const std::function<void(HWND)>& end)
{
    Seen seen;
    DialogAutoAnswer answer([&](HWND dialog) {
        GetWindowRect(dialog, &seen.window);
        GetClientRect(dialog, &seen.client);
        ClientToScreen(dialog, &seen.clientOrigin);
        // A timer of the same id is already set when SetTimer replaces it.
        seen.timerRuns = SetTimer(dialog, ABOUT_TIMER_ID, ABOUT_TIMER_MS, nullptr) != 0;
        char caption[64] = "";
        GetWindowTextA(dialog, caption, sizeof caption);
        seen.caption = caption;
        end(dialog);
    });
    ShowAboutBox(owner, nullptr);
    EXPECT_EQ(1u, answer.Dialogs().size());
    return seen;
}

}  // namespace

TEST(AboutBox, IsSizedToItsPictureAndCentredOverItsOwner)
{
    PlayerFolder f;
    HWND owner = MakeOwner(100, 80, 600, 500);
    const Seen seen = ShowAndLook(owner, DialogAutoAnswer::PressButton(IDOK));
    DestroyWindow(owner);
    EXPECT_EQ("About RunZelvo", seen.caption);
    EXPECT_EQ(330, seen.client.right);
    EXPECT_EQ(238, seen.client.bottom);
    EXPECT_NEAR(100 + 300, (seen.window.left + seen.window.right) / 2, 1);
    EXPECT_NEAR(80 + 250, (seen.window.top + seen.window.bottom) / 2, 1);
    EXPECT_TRUE(seen.timerRuns);
}

TEST(AboutBox, StaysOnTheScreenOverAnOwnerAtItsEdge)
{
    PlayerFolder f;
    const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    HWND owner = MakeOwner(screenW - 60, screenH - 40, 100, 80);
    const Seen seen = ShowAndLook(owner, DialogAutoAnswer::PressButton(IDCANCEL));
    DestroyWindow(owner);
    EXPECT_EQ(screenW, seen.window.right);
    EXPECT_EQ(screenH, seen.window.bottom);
}

TEST(AboutBox, AClickEndsIt)
{
    PlayerFolder f;
    const Seen seen = ShowAndLook(nullptr, [](HWND dialog) { PostMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50)); });
    // Without an owner it is centred on the screen.
    EXPECT_NEAR(GetSystemMetrics(SM_CXSCREEN) / 2, (seen.window.left + seen.window.right) / 2, 1);
}

namespace {

// Reads the client area of the box from the screen twice, a few ticks apart,
// and ends it.
struct Frames {
    std::vector<COLORREF> first, second;
};

std::vector<COLORREF> SpriteColumn(HWND dialog)
{
    std::vector<COLORREF> column;
    HDC dc = GetDC(dialog);
    for (int y = 150; y < 230; ++y) column.push_back(GetPixel(dc, 38 + 13, y));
    ReleaseDC(dialog, dc);
    return column;
}

}  // namespace

TEST(AboutBox, TheTurtleMovesWithTheTimer)
{
    PlayerFolder f;
    Frames frames;
    ShowAndLook(nullptr, [&](HWND dialog) {
        // Let a few ticks pass inside the dialog's own loop, then look twice.
        SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        struct Look {
            static void CALLBACK First(HWND d, UINT, UINT_PTR id, DWORD)
            {
                KillTimer(d, id);
                auto* fr = reinterpret_cast<Frames*>(GetPropA(d, "frames"));
                fr->first = SpriteColumn(d);
                SetTimer(d, 902, 230, Second);
            }
            static void CALLBACK Second(HWND d, UINT, UINT_PTR id, DWORD)
            {
                KillTimer(d, id);
                auto* fr = reinterpret_cast<Frames*>(GetPropA(d, "frames"));
                fr->second = SpriteColumn(d);
                RemovePropA(d, "frames");
                PostMessageA(d, WM_COMMAND, IDOK, 0);
            }
        };
        SetPropA(dialog, "frames", &frames);
        SetTimer(dialog, 901, 300, Look::First);
    });
    ASSERT_EQ(80u, frames.first.size());
    ASSERT_EQ(80u, frames.second.size());
    EXPECT_NE(frames.first, frames.second) << "the turtle's column is the same after several ticks";
}
