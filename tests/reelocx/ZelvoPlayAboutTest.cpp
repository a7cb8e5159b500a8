// The about box: dialog 1 sized to the built-in animation, which plays with
// the control's text lines written into its background; OK closes it.
#include "OcxTestContainer.h"
#include "EngineFixtures.h"
#include <gtest/gtest.h>

namespace {

struct AboutSeen {
    HWND dialog = nullptr;
    RECT client{};
    RECT view{};
    bool stepped = false;
    int whiteTextPixels = 0;
    int whitePixelsBelowText = 0;
    bool closed = false;
} g_seen;

BOOL CALLBACK FindAbout(HWND window, LPARAM)
{
    char title[64] = "";
    GetWindowTextA(window, title, sizeof title);
    if (lstrcmpA(title, "About ZelvoPlay") == 0) g_seen.dialog = window;
    return TRUE;
}

// Runs inside the box's modal loop: looks, waits for the animation to step,
// then presses OK.
void CALLBACK LookAtAbout(HWND, UINT, UINT_PTR timer, DWORD)
{
    static DWORD started = GetTickCount();
    if (!g_seen.dialog) EnumThreadWindows(GetCurrentThreadId(), FindAbout, 0);
    if (!g_seen.dialog) return;
    HWND view = FindWindowExA(g_seen.dialog, nullptr, ANIM_WINDOW_CLASS, nullptr);
    HANIM handle = view ? GetAnimHandle(view) : nullptr;
    if (handle) g_seen.stepped = LockedContext(handle)->firstStepDone != 0;
    if (!g_seen.stepped && GetTickCount() - started < 10000) return;
    KillTimer(nullptr, timer);
    GetClientRect(g_seen.dialog, &g_seen.client);
    if (view) GetClientRect(view, &g_seen.view);
    if (handle) {
        const Pixels picture = ReadBitmap(GetAnimBitmap(handle));
        for (int y = 0; y < picture.height; ++y)
            for (int x = 40; x < 280 && x < picture.width; ++x) {
                if (picture.At(x, y) != RGB(255, 255, 255)) continue;
                if (y >= 96 && y < 96 + 3 * 18) ++g_seen.whiteTextPixels;
                if (y >= 150 && y < 180) ++g_seen.whitePixelsBelowText;
            }
    }
    PostMessageA(g_seen.dialog, WM_COMMAND, IDOK, 0);
    g_seen.closed = true;
}

TEST(ZelvoPlayAboutTest, AboutBoxPlaysItsAnimationWithTheTextLines)
{
    ComApartment com;
    TestContainer c;
    ASSERT_TRUE(c.CreateControl());
    SetTimer(nullptr, 0, 50, LookAtAbout);
    auto r = CallById(c.Control(), DISPID_ABOUTBOX, DISPATCH_METHOD, {});
    EXPECT_EQ(r->hr, S_OK);
    ASSERT_TRUE(g_seen.closed);
    EXPECT_TRUE(g_seen.stepped);
    EXPECT_EQ(g_seen.client.right, 320);
    EXPECT_EQ(g_seen.client.bottom, 200);
    EXPECT_EQ(g_seen.view.right, 320);
    EXPECT_EQ(g_seen.view.bottom, 200);
    // White text in the lines' band; the stars' white hearts are single pixels.
    EXPECT_GT(g_seen.whiteTextPixels, 300);
    EXPECT_LT(g_seen.whitePixelsBelowText, 20);
    EXPECT_FALSE(IsWindow(g_seen.dialog));
}

}  // namespace
