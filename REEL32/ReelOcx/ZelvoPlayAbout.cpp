// The control's about box (dialog 1): it plays the built-in animation held in
// the control's resources and writes the control's text lines into its
// background.
#include "ZelvoPlayControl.h"
#include "resource.h"
#include <algorithm>

namespace {

constexpr int TEXT_CENTRE_X = 160, TEXT_TOP = 96, TEXT_LINE = 18, TEXT_HEIGHT = 16;
constexpr int BUTTON_W = 64, BUTTON_H = 22, BUTTON_MARGIN = 8;

// Loads the animation and its sequences from RCDATA resources: "ABOUTBOX",
// then each sequence under its upper-cased bare name ("COPYRGHT", "STAR").
HANIM LoadAboutAnimation()
{
    HMODULE module = ocx::ModuleInstance();
    AnimMemorySource source;
    if (!FindAnimResource(module, "ABOUTBOX", &source)) return nullptr;
    HANIM handle = CreateAnimation(&source, 0, 0, 0, ANIM_FROM_MEMORY | ANIM_PALETTE_BY_DISPLAY | ANIM_KEEP_FILE_BKCOLOR);
    if (!handle) return nullptr;
    char name[MAX_PATH];
    for (int i = 0; GetAnimSequenceName(handle, i, name, FALSE); ++i) {
        AnimMemorySource sequence;
        if (FindAnimResource(module, name, &sequence)) LoadAnimSequence(handle, i, &sequence, TRUE);
    }
    LoadAnimPalette(handle, nullptr, FALSE);
    return handle;
}

// The text lines, white with a black shadow one pixel down and right, drawn
// into the animation's background so that the objects pass over them.
void DrawAboutText(HANIM handle)
{
    HDC dc = GetAnimDC(handle, TRUE);
    if (!dc) return;
    HFONT font = CreateFontA(TEXT_HEIGHT, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif");
    HGDIOBJ oldFont = SelectObject(dc, font);
    const UINT oldAlign = SetTextAlign(dc, TA_CENTER | TA_TOP);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    for (int line = 0;; ++line) {
        const std::string text = ocx::LoadModuleString(IDS_ABOUT_FIRST + line);
        if (text.empty()) break;
        const int y = TEXT_TOP + line * TEXT_LINE;
        SetTextColor(dc, RGB(0, 0, 0));
        TextOutA(dc, TEXT_CENTRE_X + 1, y + 1, text.c_str(), static_cast<int>(text.size()));
        SetTextColor(dc, RGB(255, 255, 255));
        TextOutA(dc, TEXT_CENTRE_X, y, text.c_str(), static_cast<int>(text.size()));
    }
    SetBkMode(dc, oldMode);
    SetTextAlign(dc, oldAlign);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    ReleaseAnimDC(handle);
}

// The animation window's hook: the box owns the animation and frees it with
// the window.
int CALLBACK AboutAnimationHook(HWND window, UINT message, WPARAM, LPARAM)
{
    if (message != WM_DESTROY) return 0;
    if (HANIM handle = GetAnimHandle(window)) {
        ControlAnimSound(handle, window, ANIM_SOUND_ALL, ANIM_SOUND_STOP);
        StopAnimation(handle, window);
        SetAnimHandle(window, nullptr);
        DestroyAnimation(handle);
    }
    return -1;
}

// Sizes the box's client area to the picture, puts OK in its lower right
// corner and centres the box over its owner, on the screen.
void PlaceAboutBox(HWND dialog, SIZE picture)
{
    RECT frame{0, 0, picture.cx, picture.cy};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_EXSTYLE)));
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (HWND owner = GetWindow(dialog, GW_OWNER)) GetWindowRect(owner, &area);
    int x = (area.left + area.right - w) / 2, y = (area.top + area.bottom - h) / 2;
    x = std::max(0, std::min(x, GetSystemMetrics(SM_CXSCREEN) - w));
    y = std::max(0, std::min(y, GetSystemMetrics(SM_CYSCREEN) - h));
    SetWindowPos(dialog, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(GetDlgItem(dialog, IDOK), HWND_TOP, picture.cx - BUTTON_W - BUTTON_MARGIN,
                 picture.cy - BUTTON_H - BUTTON_MARGIN, BUTTON_W, BUTTON_H, 0);
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: {
        StartZelvoPlayModule();
        HANIM handle = LoadAboutAnimation();
        SIZE picture{TEXT_CENTRE_X * 2, 200};
        if (handle) {
            const LONG_PTR size = GetAnimInfo(handle, ANIM_INFO_SIZE);
            picture = {static_cast<LONG>(size & 0xFFFF), static_cast<LONG>((size >> 16) & 0xFFFF)};
            DrawAboutText(handle);
            HWND view = CreateAnimWindow(handle, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0, dialog,
                                         ANIM_WND_SIZE_FROM_ANIM | ANIM_WND_NO_EXSTYLE, AboutAnimationHook);
            if (view) {
                SetWindowPos(view, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
                StartAnimWindow(view);
            } else {
                DestroyAnimation(handle);
            }
        }
        PlaceAboutBox(dialog, picture);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

void ShowZelvoPlayAbout(HWND owner)
{
    DialogBoxParamA(ocx::ModuleInstance(), MAKEINTRESOURCEA(IDD_ABOUTBOX_ZELVOPLAY), owner, AboutDialogProc, 0);
}
