// Owner-drawn 3-D push buttons and radio buttons of the editor's dialogs.
#include "DialogUtilities.h"
#include "SolidFill.h"

namespace {

constexpr COLORREF BLACK = RGB(0, 0, 0);
constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF GREY = RGB(128, 128, 128);
constexpr COLORREF LIGHT_GREY = RGB(192, 192, 192);
constexpr int BUTTON_TEXT_LENGTH = 48;

// One-pixel lines as thin filled rectangles: they need no pen and end exactly
// where they are told to.
void HorizontalLine(HDC dc, int left, int right, int y, COLORREF color) { FillSolidBox(dc, left, y, right + 1, y + 1, color); }
void VerticalLine(HDC dc, int x, int top, int bottom, COLORREF color) { FillSolidBox(dc, x, top, x + 1, bottom + 1, color); }

// A raised or sunken edge: `light` along the top and the left, `dark` along
// the bottom and the right of the box (left, top)-(right, bottom) inclusive.
void Bevel(HDC dc, int left, int top, int right, int bottom, COLORREF light, COLORREF dark)
{
    HorizontalLine(dc, left, right, top, light);
    VerticalLine(dc, left, top, bottom, light);
    HorizontalLine(dc, left, right, bottom, dark);
    VerticalLine(dc, right, top, bottom, dark);
}

// The button's caption: the given text, else its window text.
void ButtonText(const DRAWITEMSTRUCT* item, const char* text, char* buffer)
{
    if (text) {
        lstrcpynA(buffer, text, BUTTON_TEXT_LENGTH + 1);
    } else if (GetWindowTextA(item->hwndItem, buffer, BUTTON_TEXT_LENGTH + 1) <= 0) {
        buffer[0] = '\0';
    }
}

}  // namespace

void DrawOwnerButton(const DRAWITEMSTRUCT* item, const char* text)
{
    HDC dc = item->hDC;
    const RECT& r = item->rcItem;
    int w = r.right - r.left;
    int h = r.bottom - r.top;
    bool pressed = (item->itemState & ODS_SELECTED) != 0;
    int saved = SaveDC(dc);
    SetViewportOrgEx(dc, r.left, r.top, nullptr);

    // Black frame with the corners left out, so the button looks rounded.
    HorizontalLine(dc, 1, w - 2, 0, BLACK);
    VerticalLine(dc, w - 1, 1, h - 2, BLACK);
    HorizontalLine(dc, 1, w - 2, h - 1, BLACK);
    VerticalLine(dc, 0, 1, h - 2, BLACK);
    if (pressed)
        Bevel(dc, 1, 1, w - 2, h - 2, GREY, LIGHT_GREY);
    else
        Bevel(dc, 1, 1, w - 2, h - 2, WHITE, GREY);
    FillSolidBox(dc, 2, 2, w - 2, h - 2, GetSysColor(COLOR_BTNFACE));

    char caption[BUTTON_TEXT_LENGTH + 1];
    ButtonText(item, text, caption);
    SIZE extent = {};
    GetTextExtentPoint32A(dc, caption, lstrlenA(caption), &extent);
    int shift = pressed ? 1 : 0;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, (item->itemState & ODS_DISABLED) ? GREY : BLACK);
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    TextOutA(dc, (w - 1) / 2 + shift, (h - extent.cy) / 2 + shift, caption, lstrlenA(caption));
    RestoreDC(dc, saved);
}

int DrawOwnerRadioButton(HWND dialog, const DRAWITEMSTRUCT* item, int currentId, int itemId)
{
    bool beingPressed = (item->itemAction & ODA_SELECT) && (item->itemState & ODS_SELECTED);
    if (beingPressed && itemId != currentId) {
        // The previous button comes up again when it repaints.
        if (HWND previous = GetDlgItem(dialog, currentId)) InvalidateRect(previous, nullptr, FALSE);
        currentId = itemId;
    }
    bool sunken = itemId == currentId;

    HDC dc = item->hDC;
    const RECT& r = item->rcItem;
    int w = r.right - r.left;
    int h = r.bottom - r.top;
    int saved = SaveDC(dc);
    SetViewportOrgEx(dc, r.left, r.top, nullptr);
    FillSolidBox(dc, 0, 0, w, h, sunken ? GREY : LIGHT_GREY);
    if (sunken)
        Bevel(dc, 0, 0, w - 1, h - 1, BLACK, WHITE);
    else
        Bevel(dc, 0, 0, w - 1, h - 1, WHITE, GREY);

    char caption[BUTTON_TEXT_LENGTH + 1];
    ButtonText(item, nullptr, caption);
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    SetTextColor(dc, sunken ? WHITE : BLACK);
    int at = sunken ? 3 : 2;
    TextOutA(dc, at, at, caption, lstrlenA(caption));
    RestoreDC(dc, saved);
    return currentId;
}
