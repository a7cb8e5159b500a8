// The about box (dialog 106): picture 105 with the program's name, a turtle
// (bitmap 102) that hops along column 38, and stars (bitmap 104) twinkling at
// fixed places. Every tick composes the whole picture off screen and shows it
// in one copy, so nothing flickers.
#include "RunPlayer.h"
#include "resource.h"
#include <algorithm>
#include <cstdlib>

namespace {

constexpr int DEFAULT_WIDTH = 330, DEFAULT_HEIGHT = 238;
constexpr int SPRITE_SIZE = 26, SPRITE_X = 38;
constexpr COLORREF SPRITE_TRANSPARENT = RGB(255, 0, 255);
constexpr int STAR_WIDTH = 15, STAR_HEIGHT = 13;
constexpr int BUTTON_WIDTH = 64, BUTTON_HEIGHT = 22, BUTTON_MARGIN = 10;

// The turtle's y, one entry a tick: it drops from 160 onto the hill, bounces
// twice, rests, and hops back up.
const short kSpriteY[] = {160, 161, 163, 166, 170, 175, 181, 188, 196, 198, 192, 187, 184, 183, 184, 187,
                          192, 198, 195, 193, 193, 195, 198, 198, 198, 198, 198, 198, 198, 198, 198, 198,
                          198, 198, 198, 198, 198, 198, 196, 188, 181, 175, 170, 166, 163, 161};
constexpr int SPRITE_STEPS = sizeof kSpriteY / sizeof kSpriteY[0];

// Top-left corners of the star frames: sky clear of the title and the moon.
const POINT kStarPlaces[] = {{230, 20}, {312, 16}, {300, 110}, {200, 95}, {140, 120}, {90, 140},
                             {250, 150}, {180, 160}, {30, 105}, {12, 140}, {308, 170}, {120, 178},
                             {220, 125}, {276, 132}, {160, 100}, {100, 108}, {210, 185}, {240, 100}};
constexpr int STAR_PLACES = sizeof kStarPlaces / sizeof kStarPlaces[0];
// One twinkle: the star frames up and down again.
const int kTwinkle[] = {0, 1, 2, 3, 4, 3, 2, 1, 0};
constexpr int TWINKLE_STEPS = sizeof kTwinkle / sizeof kTwinkle[0];

struct AboutState {
    HPALETTE palette;
    SIZE size;
    HBITMAP picture;     // with the title drawn in
    HBITMAP sprite;      // transparent pixels made black, for ORing
    HBITMAP spriteMask;  // 1 where the sprite is transparent
    HBITMAP stars;
    HBITMAP work;        // what the dialog shows
    int step;
    int twinkle[STAR_PLACES];  // 0: dark; else 1 + the step of its twinkle
};

// A memory DC with a bitmap selected for its lifetime.
class BitmapDC {
public:
    explicit BitmapDC(HBITMAP bitmap) : dc_(CreateCompatibleDC(nullptr)), old_(SelectObject(dc_, bitmap)) {}
    ~BitmapDC()
    {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
    }
    BitmapDC(const BitmapDC&) = delete;
    BitmapDC& operator=(const BitmapDC&) = delete;
    operator HDC() const { return dc_; }
private:
    HDC dc_;
    HGDIOBJ old_;
};

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP info;
    if (bitmap && GetObject(bitmap, sizeof info, &info)) return {info.bmWidth, info.bmHeight};
    return {DEFAULT_WIDTH, DEFAULT_HEIGHT};
}

void DrawTitle(HBITMAP picture)
{
    BitmapDC dc(picture);
    SetBkMode(dc, TRANSPARENT);
    HFONT big = CreateFontA(34, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0, ANTIALIASED_QUALITY,
                            VARIABLE_PITCH | FF_SWISS, "Arial");
    HGDIOBJ old = SelectObject(dc, big);
    SetTextColor(dc, RGB(250, 240, 170));
    TextOutA(dc, 18, 14, "RunZelvo", 8);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc, RGB(210, 210, 235));
    static const char kLine[] = "Player for Zelvo animations";
    TextOutA(dc, 20, 54, kLine, sizeof kLine - 1);
    SelectObject(dc, old);
    DeleteObject(big);
}

// Splits the sprite into its mask and its picture on black.
void MakeSpriteMask(AboutState* s)
{
    s->spriteMask = CreateBitmap(SPRITE_SIZE, SPRITE_SIZE, 1, 1, nullptr);
    if (!s->sprite || !s->spriteMask) return;
    BitmapDC sprite(s->sprite), mask(s->spriteMask);
    SetBkColor(sprite, SPRITE_TRANSPARENT);
    BitBlt(mask, 0, 0, SPRITE_SIZE, SPRITE_SIZE, sprite, 0, 0, SRCCOPY);
    SetBkColor(sprite, RGB(255, 255, 255));
    SetTextColor(sprite, RGB(0, 0, 0));
    BitBlt(sprite, 0, 0, SPRITE_SIZE, SPRITE_SIZE, mask, 0, 0, 0x00220326);  // DSna: clear the transparent pixels
}

void Compose(AboutState* s)
{
    BitmapDC work(s->work), picture(s->picture);
    if (s->palette) {
        SelectPalette(work, s->palette, TRUE);
        RealizePalette(work);
    }
    BitBlt(work, 0, 0, s->size.cx, s->size.cy, picture, 0, 0, SRCCOPY);
    if (s->stars) {
        BitmapDC stars(s->stars);
        for (int i = 0; i < STAR_PLACES; ++i) {
            if (!s->twinkle[i]) continue;
            const int frame = kTwinkle[s->twinkle[i] - 1];
            BitBlt(work, kStarPlaces[i].x, kStarPlaces[i].y, STAR_WIDTH, STAR_HEIGHT, stars, frame * STAR_WIDTH, 0,
                   SRCPAINT);
        }
    }
    if (s->sprite && s->spriteMask) {
        BitmapDC sprite(s->sprite), mask(s->spriteMask);
        const int y = kSpriteY[s->step];
        SetBkColor(work, RGB(255, 255, 255));
        SetTextColor(work, RGB(0, 0, 0));
        BitBlt(work, SPRITE_X, y, SPRITE_SIZE, SPRITE_SIZE, mask, 0, 0, SRCAND);
        BitBlt(work, SPRITE_X, y, SPRITE_SIZE, SPRITE_SIZE, sprite, 0, 0, SRCPAINT);
    }
}

void Advance(AboutState* s)
{
    s->step = (s->step + 1) % SPRITE_STEPS;
    for (int& t : s->twinkle)
        if (t) t = t < TWINKLE_STEPS ? t + 1 : 0;
    // Now and then a dark place starts to twinkle.
    if (rand() % 3 == 0) {
        int& t = s->twinkle[rand() % STAR_PLACES];
        if (!t) t = 1;
    }
}

// Sizes the client area to the picture, centres the box over its owner and
// keeps it on the screen.
void PlaceAboutBox(HWND dialog, SIZE size)
{
    RECT frame{0, 0, size.cx, size.cy};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtr(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtr(dialog, GWL_EXSTYLE)));
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    RECT owner{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    HWND ownerWindow = GetWindow(dialog, GW_OWNER);
    if (ownerWindow) GetWindowRect(ownerWindow, &owner);
    int x = (owner.left + owner.right - w) / 2, y = (owner.top + owner.bottom - h) / 2;
    x = std::max(0, std::min(x, GetSystemMetrics(SM_CXSCREEN) - w));
    y = std::max(0, std::min(y, GetSystemMetrics(SM_CYSCREEN) - h));
    SetWindowPos(dialog, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(GetDlgItem(dialog, IDOK), nullptr, size.cx - BUTTON_WIDTH - BUTTON_MARGIN,
                 size.cy - BUTTON_HEIGHT - BUTTON_MARGIN, BUTTON_WIDTH, BUTTON_HEIGHT, SWP_NOZORDER | SWP_NOACTIVATE);
}

AboutState* StartAboutBox(HWND dialog, HPALETTE palette)
{
    auto* s = new AboutState{};
    s->palette = palette;
    const HINSTANCE instance = g_player.instance;
    s->picture = LoadBitmap(instance, MAKEINTRESOURCE(IDB_ABOUT_PICTURE));
    s->size = BitmapSize(s->picture);
    HDC screen = GetDC(nullptr);
    if (!s->picture) {
        // Without its picture the box still shows the title on black.
        s->picture = CreateCompatibleBitmap(screen, s->size.cx, s->size.cy);
        BitmapDC dc(s->picture);
        RECT all{0, 0, s->size.cx, s->size.cy};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    s->work = CreateCompatibleBitmap(screen, s->size.cx, s->size.cy);
    ReleaseDC(nullptr, screen);
    DrawTitle(s->picture);
    s->sprite = LoadBitmap(instance, MAKEINTRESOURCE(IDB_ABOUT_SPRITE));
    s->stars = LoadBitmap(instance, MAKEINTRESOURCE(IDB_ABOUT_STARS));
    MakeSpriteMask(s);
    SetWindowLongPtr(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(s));
    PlaceAboutBox(dialog, s->size);
    Compose(s);
    SetTimer(dialog, ABOUT_TIMER_ID, ABOUT_TIMER_MS, nullptr);
    return s;
}

void EndAboutBox(HWND dialog, AboutState* s)
{
    KillTimer(dialog, ABOUT_TIMER_ID);
    for (HBITMAP b : {s->picture, s->sprite, s->spriteMask, s->stars, s->work})
        if (b) DeleteObject(b);
    delete s;
    SetWindowLongPtr(dialog, DWLP_USER, 0);
}

void Paint(HWND dialog, AboutState* s)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(dialog, &ps);
    if (s->palette) {
        SelectPalette(dc, s->palette, FALSE);
        RealizePalette(dc);
    }
    BitmapDC work(s->work);
    BitBlt(dc, 0, 0, s->size.cx, s->size.cy, work, 0, 0, SRCCOPY);
    EndPaint(dialog, &ps);
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* s = reinterpret_cast<AboutState*>(GetWindowLongPtr(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        StartAboutBox(dialog, reinterpret_cast<HPALETTE>(lParam));
        return TRUE;
    case WM_TIMER:
        if (s && wParam == ABOUT_TIMER_ID) {
            Advance(s);
            Compose(s);
            InvalidateRect(dialog, nullptr, FALSE);
        }
        return TRUE;
    case WM_ERASEBKGND:
        SetWindowLongPtr(dialog, DWLP_MSGRESULT, 1);
        return TRUE;
    case WM_PAINT:
        if (!s) return FALSE;
        Paint(dialog, s);
        return TRUE;
    case WM_LBUTTONDOWN:
        EndDialog(dialog, IDOK);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    case WM_DESTROY:
        if (s) EndAboutBox(dialog, s);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

void ShowAboutBox(HWND owner, HPALETTE palette)
{
    DialogBoxParamA(g_player.instance, MAKEINTRESOURCE(IDD_ABOUT), owner, AboutProc, reinterpret_cast<LPARAM>(palette));
}
