// "GIF-Animation": the settings of an animated GIF document, the file's
// comment, loop and background colour and each frame's delay, position,
// disposal, user input and interlacing, with the frames on an "AVIREEL"
// strip, the preview player and the preview in the web browser.
#include "ConvLibrary.h"
#include "ConvResource.h"
#include "GifAnimation.h"
#include "PackedDib.h"
#include "ReelStrip.h"
#include <cstdio>
#include <cstring>

namespace {

constexpr int MAX_POSITION = 1024;
constexpr int SPIN_POSITION_MAX = 500;
constexpr int SPIN_COUNT_MAX = 32700;
constexpr int BUTTON_INSET = 3;

struct AnimDialogState {
    GifAnimSettings* settings;
    ConvHostProc host;
    HPALETTE displayPalette;
    char browser[BROWSER_COMMAND_CHARS + 1];  // the browser's open command, read on opening
    int shown;                                // the frame the controls show
    bool enterInComment;  // the comment lost the focus with Enter down: OK makes a line break instead
};

AnimDialogState* StateOf(HWND dialog)
{
    return reinterpret_cast<AnimDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void Check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }
void Enable(HWND dialog, int id, bool on) { EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE); }

int FieldValue(HWND dialog, int id)
{
    BOOL ok = FALSE;
    const int value = static_cast<int>(GetDlgItemInt(dialog, id, &ok, TRUE));
    return ok ? value : 0;
}

int Clamp(int value, int low, int high) { return value < low ? low : value > high ? high : value; }

LRESULT Strip(HWND dialog, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return SendDlgItemMessageA(dialog, IDC_GIF_STRIP, message, wParam, lParam);
}

void UpdateEnabling(HWND dialog)
{
    Enable(dialog, IDC_GIF_COMMENT, Checked(dialog, IDC_GIF_COMMENT_ON));
    const bool repeat = Checked(dialog, IDC_GIF_REPEAT);
    Enable(dialog, IDC_GIF_INFINITE, repeat);
    Enable(dialog, IDC_GIF_LOOPS, repeat);
    const bool counted = repeat && Checked(dialog, IDC_GIF_LOOPS);
    Enable(dialog, IDC_GIF_LOOP_COUNT, counted);
    Enable(dialog, IDC_GIF_LOOP_SPIN, counted);
    const bool delay = Checked(dialog, IDC_GIF_DELAY_ON);
    Enable(dialog, IDC_GIF_DELAY, delay);
    Enable(dialog, IDC_GIF_DELAY_SPIN, delay);
}

HBRUSH MakeBackgroundBrush(const GifAnimSettings* s)
{
    const RGBQUAD& c = s->globalColors[static_cast<uint8_t>(s->backgroundIndex)];
    return CreateSolidBrush(RGB(c.rgbRed, c.rgbGreen, c.rgbBlue));
}

// The background colour becomes display palette entry `index`.
void SetBackground(AnimDialogState* state, int index)
{
    GifAnimSettings* s = state->settings;
    PALETTEENTRY entry;
    if (state->displayPalette && GetPaletteEntries(state->displayPalette, index, 1, &entry) == 1)
        s->globalColors[index] = {entry.peBlue, entry.peGreen, entry.peRed, 0};
    s->backgroundIndex = static_cast<int16_t>(index);
    if (s->backgroundBrush) DeleteObject(s->backgroundBrush);
    s->backgroundBrush = MakeBackgroundBrush(s);
}

void ShowFrame(HWND dialog, AnimDialogState* state, int index)
{
    state->shown = index;
    const GifFrameRecord& r = state->settings->frames[index];
    Check(dialog, IDC_GIF_DELAY_ON, r.delay != 0);
    SetDlgItemInt(dialog, IDC_GIF_DELAY, r.delay > 1 ? r.delay : 1, FALSE);
    SetDlgItemInt(dialog, IDC_GIF_LEFT, static_cast<UINT>(r.left), TRUE);
    SetDlgItemInt(dialog, IDC_GIF_TOP, static_cast<UINT>(r.top), TRUE);
    Check(dialog, IDC_GIF_USER_INPUT, r.userInput != 0);
    SendDlgItemMessageA(dialog, IDC_GIF_DISPOSAL, CB_SETCURSEL, r.disposal & 3, 0);
    Check(dialog, IDC_GIF_INTERLACED, r.interlaced != 0);
    Strip(dialog, AVIREEL_SET_CURRENT, static_cast<WPARAM>(index), 0);
    SetDlgItemInt(dialog, IDC_GIF_FRAME_NUMBER, index + 1, FALSE);
    UpdateEnabling(dialog);
}

// The controls into the shown frame's record, then into the selected frames
// (every frame with "use same settings for all frames"): with Alt held the
// position, otherwise the delay, disposal, user input and interlacing.
void StoreFrame(HWND dialog, AnimDialogState* state)
{
    GifAnimSettings* s = state->settings;
    const int index = state->shown;
    GifFrameRecord& r = s->frames[index];
    r.delay = static_cast<uint16_t>(Checked(dialog, IDC_GIF_DELAY_ON) ? Clamp(FieldValue(dialog, IDC_GIF_DELAY), 0, 0xFFFF) : 0);
    // Positions are written as 16-bit numbers: none lies left of or above the screen.
    r.left = static_cast<int16_t>(Clamp(FieldValue(dialog, IDC_GIF_LEFT), 0, MAX_POSITION));
    r.top = static_cast<int16_t>(Clamp(FieldValue(dialog, IDC_GIF_TOP), 0, MAX_POSITION));
    r.userInput = Checked(dialog, IDC_GIF_USER_INPUT) ? 1 : 0;
    const LRESULT disposal = SendDlgItemMessageA(dialog, IDC_GIF_DISPOSAL, CB_GETCURSEL, 0, 0);
    r.disposal = static_cast<uint16_t>(disposal >= 0 ? disposal : 0);
    r.interlaced = Checked(dialog, IDC_GIF_INTERLACED) ? 1 : 0;
    r.hasControl = 1;
    const bool all = Checked(dialog, IDC_GIF_SAME_FOR_ALL);
    const bool positions = GetKeyState(VK_MENU) < 0;
    for (int i = 0; i < s->frameCount && i < GIF_MAX_FRAMES; ++i) {
        if (i == index || !(all || Strip(dialog, AVIREEL_IS_SELECTED, static_cast<WPARAM>(i)))) continue;
        GifFrameRecord& other = s->frames[i];
        if (positions) {
            other.left = r.left;
            other.top = r.top;
        } else {
            other.delay = r.delay;
            other.disposal = r.disposal;
            other.userInput = r.userInput;
            other.interlaced = r.interlaced;
        }
    }
    InvalidateRect(GetDlgItem(dialog, IDC_GIF_STRIP), nullptr, FALSE);
}

void StoreFile(HWND dialog, AnimDialogState* state)
{
    GifAnimSettings* s = state->settings;
    s->commentFlag = Checked(dialog, IDC_GIF_COMMENT_ON) ? 1 : 0;
    GetDlgItemTextA(dialog, IDC_GIF_COMMENT, s->comment, GIF_COMMENT_BYTES);
    s->loopFlag = Checked(dialog, IDC_GIF_REPEAT) ? 1 : 0;
    s->loopCount = Checked(dialog, IDC_GIF_LOOPS) ? Clamp(FieldValue(dialog, IDC_GIF_LOOP_COUNT), 0, 0xFFFF) : 0;
}

void StoreAll(HWND dialog, AnimDialogState* state)
{
    StoreFrame(dialog, state);
    StoreFile(dialog, state);
    FitGifScreen(state->settings, state->settings->frameWidth, state->settings->frameHeight);
}

bool SameSettingsEverywhere(const GifAnimSettings* s)
{
    const GifFrameRecord& first = s->frames[0];
    for (int i = 1; i < s->frameCount; ++i) {
        const GifFrameRecord& r = s->frames[i];
        if (r.delay != first.delay || r.disposal != first.disposal || r.userInput != first.userInput ||
            r.interlaced != first.interlaced)
            return false;
    }
    return true;
}

void Init(HWND dialog, AnimDialogState* state)
{
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    CenterConvDialog(dialog);
    GifAnimSettings* s = state->settings;
    ConvHostProc host = state->host;
    host(CONV_REQ_GET_PALETTE, &state->displayPalette, 1);
    SendDlgItemMessageA(dialog, IDC_GIF_COMMENT, EM_LIMITTEXT, GIF_COMMENT_MAX, 0);
    for (UINT id = IDS_GIF_DISPOSE_NOTHING; id <= IDS_GIF_DISPOSE_PREVIOUS; ++id) {
        char text[48] = "";
        LoadStringA(ConvModule(), id, text, sizeof text);
        SendDlgItemMessageA(dialog, IDC_GIF_DISPOSAL, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    // Frames without a record take record 0's settings.
    int frames = static_cast<int>(host(CONV_REQ_QUERY, nullptr, CONV_QUERY_FRAME_COUNT));
    if (frames > GIF_MAX_FRAMES) frames = GIF_MAX_FRAMES;
    if (s->frameCount < 0) s->frameCount = 0;
    if (s->frameCount < frames) {
        for (int i = s->frameCount > 0 ? s->frameCount : 1; i < frames; ++i) s->frames[i] = s->frames[0];
        s->frameCount = static_cast<int16_t>(frames);
    }
    Check(dialog, IDC_GIF_SAME_FOR_ALL, SameSettingsEverywhere(s));
    Enable(dialog, IDC_GIF_SAME_FOR_ALL, s->frameCount > 1);
    s->comment[GIF_COMMENT_MAX] = '\0';
    Check(dialog, IDC_GIF_COMMENT_ON, s->commentFlag != 0);
    SetDlgItemTextA(dialog, IDC_GIF_COMMENT, s->comment);
    Check(dialog, IDC_GIF_REPEAT, s->loopFlag != 0);
    CheckRadioButton(dialog, IDC_GIF_INFINITE, IDC_GIF_LOOPS, s->loopCount ? IDC_GIF_LOOPS : IDC_GIF_INFINITE);
    SetDlgItemInt(dialog, IDC_GIF_LOOP_COUNT, s->loopCount > 1 ? s->loopCount : 1, FALSE);
    if (!ReadBrowserCommand(state->browser, sizeof state->browser)) Enable(dialog, IDC_GIF_BROWSER, false);

    uint32_t size = 0;
    if (host(CONV_REQ_QUERY, &size, CONV_QUERY_FRAME_SIZE)) {
        s->frameWidth = static_cast<uint16_t>(size & 0xFFFF);
        s->frameHeight = static_cast<uint16_t>(size >> 16);
    }
    Strip(dialog, AVIREEL_SET_ITEMS, static_cast<WPARAM>(s->frameCount),
          MAKELPARAM(s->frameWidth, s->frameHeight));
    // The background is a colour of the display palette.
    int background = static_cast<uint8_t>(s->backgroundIndex);
    if (state->displayPalette) {
        const RGBQUAD& c = s->globalColors[background];
        background = static_cast<int>(GetNearestPaletteIndex(state->displayPalette, RGB(c.rgbRed, c.rgbGreen, c.rgbBlue)));
        if (background == static_cast<int>(CLR_INVALID)) background = 0;
    }
    s->backgroundBrush = nullptr;
    SetBackground(state, background);
    ShowFrame(dialog, state, 0);
}

void ShowOther(HWND dialog, AnimDialogState* state, int step)
{
    StoreFrame(dialog, state);
    const int count = state->settings->frameCount;
    if (count <= 0) return;
    ShowFrame(dialog, state, ((state->shown + step) % count + count) % count);
}

void StripNotification(HWND dialog, AnimDialogState* state, WORD code, LPARAM item)
{
    if (code != AVIREEL_KEY_MOVED && code != AVIREEL_CLICKED) return;
    const int index = static_cast<int>(item);
    if (index < 0 || index >= state->settings->frameCount) return;
    StoreFrame(dialog, state);
    if (code == AVIREEL_CLICKED) {
        // Shift or Ctrl adds the item to the selection; a plain click starts afresh.
        const bool add = GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0;
        if (add) Strip(dialog, AVIREEL_SET_SELECTION, 1, MAKELPARAM(index, index));
        else if (Strip(dialog, AVIREEL_GET_SELECTED_COUNT))
            Strip(dialog, AVIREEL_SET_SELECTION, 0, MAKELPARAM(0, state->settings->frameCount - 1));
    }
    ShowFrame(dialog, state, index);
}

void ChooseBackground(HWND dialog, AnimDialogState* state)
{
    const INT_PTR answer = static_cast<INT_PTR>(state->host(
        CONV_REQ_CHOOSE_COLOR, reinterpret_cast<void*>(static_cast<INT_PTR>(state->settings->backgroundIndex)),
        reinterpret_cast<ULONG_PTR>(dialog)));
    const int index = static_cast<int>(answer);
    if (index < 0 || index > 255) return;
    SetBackground(state, index);
    InvalidateRect(GetDlgItem(dialog, IDC_GIF_BACKGROUND), nullptr, FALSE);
}

void Ok(HWND dialog, AnimDialogState* state)
{
    // Enter in the comment: a line break there, not the end of the dialog.
    const bool enterInComment =
        state->enterInComment || (GetFocus() == GetDlgItem(dialog, IDC_GIF_COMMENT) && GetKeyState(VK_RETURN) < 0);
    state->enterInComment = false;
    if (enterInComment) {
        SendDlgItemMessageA(dialog, IDC_GIF_COMMENT, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("\r\n"));
        SetFocus(GetDlgItem(dialog, IDC_GIF_COMMENT));
        return;
    }
    StoreAll(dialog, state);
    EndDialog(dialog, 1);
}

bool Command(HWND dialog, AnimDialogState* state, WORD id, WORD code, LPARAM lParam)
{
    switch (id) {
    case IDC_GIF_COMMENT:
        if (code == EN_CHANGE) Check(dialog, IDC_GIF_COMMENT_ON, GetWindowTextLengthA(GetDlgItem(dialog, id)) > 0);
        else if (code == EN_KILLFOCUS) state->enterInComment = GetKeyState(VK_RETURN) < 0;
        return true;
    case IDC_GIF_COMMENT_ON:
    case IDC_GIF_REPEAT:
    case IDC_GIF_INFINITE:
    case IDC_GIF_LOOPS:
    case IDC_GIF_DELAY_ON: UpdateEnabling(dialog); return true;
    case IDC_GIF_PREVIOUS: ShowOther(dialog, state, -1); return true;
    case IDC_GIF_NEXT: ShowOther(dialog, state, 1); return true;
    case IDC_GIF_STRIP: StripNotification(dialog, state, code, lParam); return true;
    case IDC_GIF_BACKGROUND: ChooseBackground(dialog, state); return true;
    case IDC_GIF_TRANSPARENT:
        state->host(CONV_REQ_CHOOSE_TRANSPARENT_COLOR, nullptr, reinterpret_cast<ULONG_PTR>(dialog));
        InvalidateRect(GetDlgItem(dialog, IDC_GIF_TRANSPARENT), nullptr, FALSE);
        return true;
    case IDC_GIF_PREVIEW:
        StoreAll(dialog, state);
        RunGifPreview(dialog, state->settings, state->host);
        return true;
    case IDC_GIF_BROWSER:
        StoreAll(dialog, state);
        PreviewGifInBrowser(dialog, state->settings, state->browser, state->host);
        return true;
    case IDOK: Ok(dialog, state); return true;
    case IDCANCEL: EndDialog(dialog, 0); return true;
    default: return false;
    }
}

void Spin(HWND dialog, int bar, int code)
{
    switch (bar) {
    case IDC_GIF_LOOP_SPIN: StepDialogField(dialog, IDC_GIF_LOOP_COUNT, code, 1, SPIN_COUNT_MAX); break;
    case IDC_GIF_DELAY_SPIN:
        StepDialogField(dialog, IDC_GIF_DELAY, code, 0, SPIN_COUNT_MAX);
        Check(dialog, IDC_GIF_DELAY_ON, true);
        UpdateEnabling(dialog);
        break;
    case IDC_GIF_LEFT_SPIN: StepDialogField(dialog, IDC_GIF_LEFT, code, 0, SPIN_POSITION_MAX); break;
    case IDC_GIF_TOP_SPIN: StepDialogField(dialog, IDC_GIF_TOP, code, 0, SPIN_POSITION_MAX); break;
    default: break;
    }
}

// The frame's picture stretched into the strip's item, or a grey box with its number.
void DrawStripItem(AnimDialogState* state, const ReelDrawItem& item)
{
    HBITMAP bitmap = nullptr;
    HDC frameDc = reinterpret_cast<HDC>(state->host(CONV_REQ_GET_FRAME_BITMAP, &bitmap, static_cast<ULONG_PTR>(item.index)));
    BITMAP info{};
    if (frameDc && bitmap && GetObjectA(bitmap, sizeof info, &info)) {
        HPALETTE old = state->displayPalette ? SelectPalette(item.dc, state->displayPalette, FALSE) : nullptr;
        if (old) RealizePalette(item.dc);
        HGDIOBJ previous = SelectObject(frameDc, bitmap);
        StretchBlt(item.dc, item.x, item.y, item.width, item.height, frameDc, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        SelectObject(frameDc, previous);
        if (old) SelectPalette(item.dc, old, FALSE);
        return;
    }
    const RECT box{item.x, item.y, item.x + item.width, item.y + item.height};
    FillRect(item.dc, &box, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    char number[16];
    snprintf(number, sizeof number, "%d", item.index);
    RECT text = box;
    SetBkMode(item.dc, TRANSPARENT);
    DrawTextA(item.dc, number, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

// The two colour buttons: a raised or sunken frame on the button face; the
// background button shows the colour, the transparent-colour button its caption.
void DrawColorButton(HWND dialog, AnimDialogState* state, const DRAWITEMSTRUCT* d)
{
    RECT box = d->rcItem;
    FillRect(d->hDC, &box, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(d->hDC, &box, (d->itemState & ODS_SELECTED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    if (d->CtlID == IDC_GIF_BACKGROUND) {
        InflateRect(&box, -BUTTON_INSET, -BUTTON_INSET);
        if (state->settings->backgroundBrush) FillRect(d->hDC, &box, state->settings->backgroundBrush);
    } else {
        char caption[32] = "";
        GetWindowTextA(d->hwndItem, caption, sizeof caption);
        SetBkMode(d->hDC, TRANSPARENT);
        SetTextColor(d->hDC, GetSysColor(IsWindowEnabled(d->hwndItem) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
        DrawTextA(d->hDC, caption, -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    if (d->itemState & ODS_FOCUS) {
        RECT focus = d->rcItem;
        InflateRect(&focus, -2, -2);
        DrawFocusRect(d->hDC, &focus);
    }
    (void)dialog;
}

bool RealizeDisplayPalette(HWND dialog, AnimDialogState* state)
{
    return state && RealizeWindowPalette(dialog, state->displayPalette, GetDlgItem(dialog, IDC_GIF_STRIP));
}

INT_PTR CALLBACK GifAnimDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    AnimDialogState* state = StateOf(dialog);
    switch (message) {
    case WM_INITDIALOG: Init(dialog, reinterpret_cast<AnimDialogState*>(lParam)); return TRUE;
    case WM_COMMAND: return Command(dialog, state, LOWORD(wParam), HIWORD(wParam), lParam) ? TRUE : FALSE;
    case WM_VSCROLL: Spin(dialog, GetDlgCtrlID(reinterpret_cast<HWND>(lParam)), LOWORD(wParam)); return TRUE;
    case AVIREEL_DRAW_ITEM:
        if (state && wParam == IDC_GIF_STRIP) DrawStripItem(state, *reinterpret_cast<const ReelDrawItem*>(lParam));
        return TRUE;
    case WM_DRAWITEM:
        if (!state || (wParam != IDC_GIF_BACKGROUND && wParam != IDC_GIF_TRANSPARENT)) return FALSE;
        DrawColorButton(dialog, state, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CTLCOLORSTATIC: {
        // A disabled edit box sits on light grey.
        HWND control = reinterpret_cast<HWND>(lParam);
        char kind[8] = "";
        GetClassNameA(control, kind, sizeof kind);
        if (lstrcmpiA(kind, "Edit") != 0 || IsWindowEnabled(control)) return FALSE;
        SetBkColor(reinterpret_cast<HDC>(wParam), RGB(192, 192, 192));
        return reinterpret_cast<INT_PTR>(GetStockObject(LTGRAY_BRUSH));
    }
    case WM_QUERYNEWPALETTE:
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, RealizeDisplayPalette(dialog, state));
        return TRUE;
    case WM_PALETTECHANGED:
        if (reinterpret_cast<HWND>(wParam) != dialog) RealizeDisplayPalette(dialog, state);
        return TRUE;
    case WM_DESTROY:
        if (state && state->settings->backgroundBrush) {
            DeleteObject(state->settings->backgroundBrush);
            state->settings->backgroundBrush = nullptr;
        }
        return FALSE;
    default: return FALSE;
    }
}

}  // namespace

HGLOBAL RunGifAnimDialog(HWND owner, HGLOBAL old, ConvHostProc host)
{
    if (!host) return nullptr;
    GlobalBlock made(NewGifAnimSettings());
    if (!made) return nullptr;
    if (SettingsBlockFormat(old) == CONV_FORMAT_GIF_ANIM) {
        GlobalLockGuard<BYTE> from(old);
        GlobalLockGuard<BYTE> to(made.Get());
        const SIZE_T size = GlobalSize(old) < sizeof(GifAnimSettings) ? GlobalSize(old) : sizeof(GifAnimSettings);
        if (from && to) memcpy(to.get(), from.get(), size);
    }
    INT_PTR result;
    {
        GlobalLockGuard<GifAnimSettings> s(made.Get());
        if (!s) return nullptr;
        AnimDialogState state{};
        state.settings = s.get();
        state.host = host;
        result = DialogBoxParamA(ConvModule(), MAKEINTRESOURCEA(IDD_GIF_ANIMATION), owner, GifAnimDlgProc,
                                 reinterpret_cast<LPARAM>(&state));
        s.get()->backgroundBrush = nullptr;
    }
    return result == 1 ? made.Release() : nullptr;
}
