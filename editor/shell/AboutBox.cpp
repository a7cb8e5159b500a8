// The animated about and start-up box: a picture with a bouncing ball (about
// box only) and a twinkling star, drawn off-screen and copied to the box in
// small bands on a 50 ms timer.
#include "ShellDialogs.h"
#include "AppState.h"
#include "DialogUtilities.h"
#include "resource.h"
#include <algorithm>
#include <cstdlib>

const int ABOUT_BOUNCE_TABLE[58] = {
    -28, -27, -25, -22, -18, -13, -7,  0,   8,   17,  27,  38,  49,  61,  73,  86,  99,  113, 127, 142,
    157, 144, 133, 124, 117, 111, 106, 102, 99,  97,  96,  97,  99,  102, 106, 111, 117, 124, 133, 144,
    157, 146, 137, 130, 125, 121, 118, 116, 115, 116, 118, 121, 125, 130, 137, 146, 157, ABOUT_TABLE_END};

const POINT ABOUT_STAR_TABLE[ABOUT_STAR_POSITIONS] = {
    {26, 23},  {83, 36},  {85, 59},   {68, 51},   {103, 61},  {120, 46},  {135, 71},  {147, 77},  {202, 48},
    {190, 44}, {167, 66}, {209, 37},  {235, 96},  {284, 34},  {284, 85},  {265, 56},  {214, 23},  {276, 70}};

namespace {

constexpr int STAR_X_OFFSET = 13;
constexpr int STAR_Y_OFFSET = -2;
constexpr int NO_STAR = -1;

// The one about box: its mode, animation state and drawing surfaces.
struct AboutBoxState {
    int mode;             // 0 about box, 1 start-up box
    bool timerRunning;
    int countdown;        // start-up box: ticks left
    int bounceIndex;
    int lastBallY;
    int starPosition;     // index into ABOUT_STAR_TABLE, NO_STAR while none is shown
    int lastStarPosition;
    int starFrame;        // 0..4
    int starDirection;    // +1 growing, -1 fading
    bool starDrawn;       // the picture holds a star over saved background
    SIZE picture;
    HBITMAP pictureBitmap, ballBitmap, starsBitmap;
    HBITMAP ballSave, starSave, ballMask;
    HDC pictureDC;  // the off-screen picture
    HDC workDC;     // ball, stars, mask and saved backgrounds are selected here in turn
    HGDIOBJ pictureDCBitmap, workDCBitmap;
    HPALETTE pictureDCPalette, workDCPalette;
};
AboutBoxState g_about;

HBITMAP LoadPicture(int id)
{
    // Frames are device bitmaps or DIB sections by the editor's bitmap mode;
    // the box follows it.
    const UINT flags = g_appState.bitmapMode.useDeviceBitmaps ? 0 : LR_CREATEDIBSECTION;
    return static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, flags));
}

HPALETTE SelectDisplayPalette(HDC dc)
{
    if (!g_appState.displayPalette) return nullptr;
    HPALETTE old = SelectPalette(dc, g_appState.displayPalette, FALSE);
    RealizePalette(dc);
    return old;
}

// Copies `bitmap` (selected into the work DC) onto `target` with a raster operation.
void BlitFrom(HDC target, int x, int y, int width, int height, HBITMAP bitmap, int sourceX, DWORD operation)
{
    SelectObject(g_about.workDC, bitmap);
    BitBlt(target, x, y, width, height, g_about.workDC, sourceX, 0, operation);
}

// The ball drawn through its mask: the mask lights the ball's area white,
// then the ball on white keeps its own colours there and the background
// elsewhere.
void DrawBall(HDC target, int x, int y)
{
    SetTextColor(target, RGB(0, 0, 0));
    SetBkColor(target, RGB(255, 255, 255));
    BlitFrom(target, x, y, ABOUT_BALL_SIZE, ABOUT_BALL_SIZE, g_about.ballMask, 0, SRCPAINT);
    BlitFrom(target, x, y, ABOUT_BALL_SIZE, ABOUT_BALL_SIZE, g_about.ballBitmap, 0, SRCAND);
}

// The mask is 1 where the ball is and 0 on the white around it, read pixel
// by pixel (a colour-to-monochrome copy of a palette bitmap depends on how
// the background colour maps into that palette).
void MakeBallMask()
{
    HDC maskDC = CreateCompatibleDC(g_about.workDC);
    HGDIOBJ old = SelectObject(maskDC, g_about.ballMask);
    SelectObject(g_about.workDC, g_about.ballBitmap);
    for (int y = 0; y < ABOUT_BALL_SIZE; ++y)
        for (int x = 0; x < ABOUT_BALL_SIZE; ++x) {
            const bool ball = (GetPixel(g_about.workDC, x, y) & 0xFFFFFF) != RGB(255, 255, 255);
            SetPixel(maskDC, x, y, ball ? RGB(255, 255, 255) : RGB(0, 0, 0));
        }
    SelectObject(maskDC, old);
    DeleteDC(maskDC);
}

// A bitmap to save part of the picture in: of the picture's own format and
// colour table, so that a copy there and back keeps every pixel.
HBITMAP CreateSaveBitmap(int width, int height)
{
    DIBSECTION section{};
    if (GetObjectA(g_about.pictureBitmap, sizeof section, &section) != sizeof section)
        return CreateCompatibleBitmap(g_about.pictureDC, width, height);
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info{};
    info.header = section.dsBmih;
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biCompression = BI_RGB;
    info.header.biSizeImage = 0;
    if (info.header.biBitCount <= 8) {
        const UINT used = GetDIBColorTable(g_about.pictureDC, 0, 256, info.colors);
        info.header.biClrUsed = used;
    }
    void* bits = nullptr;
    return CreateDIBSection(g_about.pictureDC, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
}

bool OpenSurfaces(HWND dialog)
{
    g_about.pictureBitmap = LoadPicture(IDB_ABOUT_PICTURE);
    g_about.ballBitmap = LoadPicture(IDB_ABOUT_BALL);
    g_about.starsBitmap = LoadPicture(IDB_STARS);
    BITMAP info{};
    if (g_about.pictureBitmap && GetObjectA(g_about.pictureBitmap, sizeof info, &info))
        g_about.picture = {info.bmWidth, info.bmHeight};
    else
        g_about.picture = {ABOUT_PICTURE_WIDTH, ABOUT_PICTURE_HEIGHT};
    HDC screen = GetDC(dialog);
    g_about.pictureDC = CreateCompatibleDC(screen);
    g_about.workDC = CreateCompatibleDC(screen);
    ReleaseDC(dialog, screen);
    if (!g_about.pictureDC || !g_about.workDC || !g_about.pictureBitmap || !g_about.ballBitmap || !g_about.starsBitmap)
        return false;
    g_about.pictureDCPalette = SelectDisplayPalette(g_about.pictureDC);
    g_about.workDCPalette = SelectDisplayPalette(g_about.workDC);
    g_about.pictureDCBitmap = SelectObject(g_about.pictureDC, g_about.pictureBitmap);
    g_about.ballSave = CreateSaveBitmap(ABOUT_BALL_SIZE, ABOUT_BALL_SIZE);
    g_about.starSave = CreateSaveBitmap(ABOUT_STAR_WIDTH, ABOUT_STAR_HEIGHT);
    g_about.ballMask = CreateBitmap(ABOUT_BALL_SIZE, ABOUT_BALL_SIZE, 1, 1, nullptr);
    if (!g_about.ballSave || !g_about.starSave || !g_about.ballMask) return false;
    g_about.workDCBitmap = SelectObject(g_about.workDC, g_about.ballBitmap);
    MakeBallMask();
    return true;
}

void CloseSurfaces()
{
    if (g_about.workDC) {
        if (g_about.workDCBitmap) SelectObject(g_about.workDC, g_about.workDCBitmap);
        if (g_about.workDCPalette) SelectPalette(g_about.workDC, g_about.workDCPalette, FALSE);
        DeleteDC(g_about.workDC);
    }
    if (g_about.pictureDC) {
        if (g_about.pictureDCBitmap) SelectObject(g_about.pictureDC, g_about.pictureDCBitmap);
        if (g_about.pictureDCPalette) SelectPalette(g_about.pictureDC, g_about.pictureDCPalette, FALSE);
        DeleteDC(g_about.pictureDC);
    }
    for (HBITMAP bitmap : {g_about.pictureBitmap, g_about.ballBitmap, g_about.starsBitmap, g_about.ballSave,
                           g_about.starSave, g_about.ballMask})
        if (bitmap) DeleteObject(bitmap);
    g_about = AboutBoxState{};
}

// The dialog's client area takes the picture's size; centred over its owner.
void FitToPicture(HWND dialog)
{
    RECT frame = {0, 0, g_about.picture.cx, g_about.picture.cy};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_EXSTYLE)));
    SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CenterWindow(dialog);
}

void ResetAnimation()
{
    g_about.bounceIndex = 0;
    g_about.lastBallY = ABOUT_BOUNCE_TABLE[0] + ABOUT_BALL_OFFSET;
    g_about.starPosition = NO_STAR;
}

POINT StarCorner(int position)
{
    const POINT p = ABOUT_STAR_TABLE[position];
    return {p.x + STAR_X_OFFSET, p.y + STAR_Y_OFFSET};
}

// Takes the star out of the off-screen picture (its background back).
void RestoreStarBackground()
{
    if (!g_about.starDrawn) return;
    const POINT at = StarCorner(g_about.lastStarPosition);
    BlitFrom(g_about.pictureDC, at.x, at.y, ABOUT_STAR_WIDTH, ABOUT_STAR_HEIGHT, g_about.starSave, 0, SRCCOPY);
    g_about.starDrawn = false;
}

void CopyToScreen(HDC screen, int x, int y, int width, int height)
{
    BitBlt(screen, x, y, width, height, g_about.pictureDC, x, y, SRCCOPY);
}

void StepBall(HDC screen)
{
    const int value = ABOUT_BOUNCE_TABLE[g_about.bounceIndex];
    if (value == ABOUT_TABLE_END) return;
    const int y = value + ABOUT_BALL_OFFSET;
    // Draw into the off-screen picture, copy the band the ball moved through,
    // then take the ball out of the picture again.
    SelectObject(g_about.workDC, g_about.ballSave);
    BitBlt(g_about.workDC, 0, 0, ABOUT_BALL_SIZE, ABOUT_BALL_SIZE, g_about.pictureDC, ABOUT_BALL_X, y, SRCCOPY);
    DrawBall(g_about.pictureDC, ABOUT_BALL_X, y);
    const int top = std::min(y, g_about.lastBallY);
    CopyToScreen(screen, ABOUT_BALL_X, top, ABOUT_BALL_SIZE, std::abs(y - g_about.lastBallY) + ABOUT_BALL_SIZE);
    BlitFrom(g_about.pictureDC, ABOUT_BALL_X, y, ABOUT_BALL_SIZE, ABOUT_BALL_SIZE, g_about.ballSave, 0, SRCCOPY);
    g_about.lastBallY = y;
    ++g_about.bounceIndex;
}

void DrawStarFrame(HDC screen)
{
    const POINT at = StarCorner(g_about.starPosition);
    if (g_about.starDrawn) {
        BlitFrom(g_about.pictureDC, at.x, at.y, ABOUT_STAR_WIDTH, ABOUT_STAR_HEIGHT, g_about.starSave, 0, SRCCOPY);
    } else {
        SelectObject(g_about.workDC, g_about.starSave);
        BitBlt(g_about.workDC, 0, 0, ABOUT_STAR_WIDTH, ABOUT_STAR_HEIGHT, g_about.pictureDC, at.x, at.y, SRCCOPY);
    }
    // The star frames lie on black: adding their light keeps the sky around them.
    BlitFrom(g_about.pictureDC, at.x, at.y, ABOUT_STAR_WIDTH, ABOUT_STAR_HEIGHT, g_about.starsBitmap,
             g_about.starFrame * ABOUT_STAR_WIDTH, SRCPAINT);
    g_about.starDrawn = true;
    g_about.lastStarPosition = g_about.starPosition;
    CopyToScreen(screen, at.x, at.y, ABOUT_STAR_WIDTH, ABOUT_STAR_HEIGHT);
}

void StepStar(HDC screen)
{
    if (g_about.starPosition == NO_STAR) {
        if (g_about.starDrawn) {
            const POINT old = StarCorner(g_about.lastStarPosition);
            RestoreStarBackground();
            CopyToScreen(screen, old.x, old.y, ABOUT_STAR_WIDTH, ABOUT_STAR_HEIGHT);
        }
        int position;
        do position = rand() % ABOUT_STAR_POSITIONS;
        while (position == g_about.lastStarPosition);
        g_about.starPosition = position;
        g_about.starFrame = 0;
        g_about.starDirection = 1;
        DrawStarFrame(screen);
        g_about.starFrame = 1;
        return;
    }
    DrawStarFrame(screen);
    if (g_about.starFrame == ABOUT_STAR_FRAMES - 1) g_about.starDirection = -1;
    if (g_about.starFrame == 0 && g_about.starDirection < 0) {
        g_about.starPosition = NO_STAR;  // frames 0, 1, 2, 3, 4, 3, 2, 1, 0 shown: move on
        return;
    }
    g_about.starFrame += g_about.starDirection;
}

void OnTimer(HWND dialog)
{
    if (g_about.mode == 1 && --g_about.countdown < 0) {
        PostMessageA(dialog, WM_LBUTTONDOWN, 0, 0);
        return;
    }
    HDC screen = GetDC(dialog);
    HPALETTE old = SelectDisplayPalette(screen);
    if (g_about.mode == 0) StepBall(screen);
    StepStar(screen);
    if (old) SelectPalette(screen, old, FALSE);
    ReleaseDC(dialog, screen);
}

void OnPaint(HWND dialog)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    HPALETTE old = SelectDisplayPalette(dc);
    RestoreStarBackground();
    if (g_about.pictureDC)
        BitBlt(dc, 0, 0, g_about.picture.cx, g_about.picture.cy, g_about.pictureDC, 0, 0, SRCCOPY);
    if (!g_about.timerRunning) g_about.timerRunning = SetTimer(dialog, ABOUT_TIMER_ID, ABOUT_TIMER_MS, nullptr) != 0;
    if ((g_about.mode == 0 || !g_about.timerRunning) && g_about.ballMask) DrawBall(dc, ABOUT_BALL_X, ABOUT_BALL_REST_Y);
    ResetAnimation();
    if (old) SelectPalette(dc, old, FALSE);
    EndPaint(dialog, &paint);
}

}  // namespace

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        CloseSurfaces();
        g_about.mode = lParam == 1 ? 1 : 0;
        g_about.countdown = ABOUT_STARTUP_TICKS;
        g_about.lastStarPosition = NO_STAR;
        if (!OpenSurfaces(dialog)) {
            // Without its pictures the box has nothing to show.
            EndDialog(dialog, 1);
            return TRUE;
        }
        ResetAnimation();
        FitToPicture(dialog);
        srand(GetTickCount());
        return TRUE;
    case WM_PAINT:
        OnPaint(dialog);
        return TRUE;
    case WM_ERASEBKGND:
        return TRUE;  // the picture covers the whole client area
    case WM_TIMER:
        if (wParam == ABOUT_TIMER_ID) OnTimer(dialog);
        return TRUE;
    case WM_COMMAND:
        if (g_about.mode == 0 && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) EndDialog(dialog, 1);
        return TRUE;
    case WM_LBUTTONDOWN:
        EndDialog(dialog, 1);
        return TRUE;
    case WM_DESTROY:
        KillTimer(dialog, ABOUT_TIMER_ID);
        CloseSurfaces();
        return TRUE;
    default:
        return DefaultCtlColor(message);
    }
}
