// "TABCTL": the tab control of the editor's dialogs. Its state lives in the
// window's extra data and two movable global blocks (the tab texts and one
// TabRecord per tab), so a dialog template is all a dialog needs to host it.
#include "TabControl.h"
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

enum TabSlot { SLOT_CURRENT, SLOT_COUNT, SLOT_NAMES, SLOT_FONT, SLOT_RECORDS };

#pragma pack(push, 1)
struct TabRecord {
    uint32_t disabled;   // nonzero: drawn grey, cannot be selected
    uint16_t firstItem;  // first dialog item of the tab's page; 0 = no items
    uint16_t lastItem;   // last item, inclusive; 0 = no items
};
#pragma pack(pop)
static_assert(sizeof(TabRecord) == 8);

constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF BLACK = RGB(0, 0, 0);
constexpr COLORREF GREY = RGB(128, 128, 128);
constexpr int LABEL_CHARS = TABCTL_TEXT_CHARS + 1;
constexpr int WSPRINTF_ROOM = 1025;  // wsprintf writes at most 1024 characters

LONG_PTR Slot(HWND control, TabSlot slot) { return GetWindowLongPtrA(control, slot * sizeof(LONG_PTR)); }
void SetSlot(HWND control, TabSlot slot, LONG_PTR value) { SetWindowLongPtrA(control, slot * sizeof(LONG_PTR), value); }
int CurrentTab(HWND control) { return static_cast<int>(Slot(control, SLOT_CURRENT)); }
int TabCount(HWND control) { return static_cast<int>(Slot(control, SLOT_COUNT)); }
bool IsTab(HWND control, WPARAM tab) { return tab < static_cast<WPARAM>(TabCount(control)); }

// ---- the two global blocks ------------------------------------------------------------

// Writes `bytes` into the block in `slot`, made or resized to fit.
void StoreBlock(HWND control, TabSlot slot, const std::vector<BYTE>& bytes)
{
    HGLOBAL block = reinterpret_cast<HGLOBAL>(Slot(control, slot));
    const SIZE_T size = bytes.empty() ? 1 : bytes.size();
    HGLOBAL sized = block ? GlobalReAlloc(block, size, GMEM_MOVEABLE) : GlobalAlloc(GMEM_MOVEABLE, size);
    if (!sized) return;  // out of memory: the block keeps its old contents
    if (void* p = GlobalLock(sized)) {
        if (!bytes.empty()) memcpy(p, bytes.data(), bytes.size());
        GlobalUnlock(sized);
    }
    SetSlot(control, slot, reinterpret_cast<LONG_PTR>(sized));
}

void FreeBlock(HWND control, TabSlot slot)
{
    if (HGLOBAL block = reinterpret_cast<HGLOBAL>(Slot(control, slot))) GlobalFree(block);
    SetSlot(control, slot, 0);
}

bool HasNames(HWND control) { return Slot(control, SLOT_NAMES) != 0; }

// The names block holds each tab's text as a length byte and its characters.
std::vector<std::string> ReadNames(HWND control)
{
    std::vector<std::string> names;
    HGLOBAL block = reinterpret_cast<HGLOBAL>(Slot(control, SLOT_NAMES));
    const BYTE* p = block ? static_cast<const BYTE*>(GlobalLock(block)) : nullptr;
    if (!p) return names;
    const SIZE_T size = GlobalSize(block);
    SIZE_T at = 0;
    for (int i = 0; i < TabCount(control) && at < size; ++i) {
        const SIZE_T length = std::min<SIZE_T>(p[at], size - at - 1);
        names.emplace_back(reinterpret_cast<const char*>(p + at + 1), length);
        at += 1 + length;
    }
    GlobalUnlock(block);
    names.resize(TabCount(control));
    return names;
}

void WriteNames(HWND control, const std::vector<std::string>& names)
{
    std::vector<BYTE> bytes;
    for (const std::string& name : names) {
        bytes.push_back(static_cast<BYTE>(name.size()));
        bytes.insert(bytes.end(), name.begin(), name.end());
    }
    StoreBlock(control, SLOT_NAMES, bytes);
}

// A stored tab text: at most 63 characters, so that its length byte and the
// 64-character label always hold it.
std::string CappedText(const char* text)
{
    if (!text || IS_INTRESOURCE(text)) return {};
    return std::string(text, strnlen(text, TABCTL_TEXT_CHARS));
}

std::vector<TabRecord> ReadRecords(HWND control)
{
    std::vector<TabRecord> records(TabCount(control));
    HGLOBAL block = reinterpret_cast<HGLOBAL>(Slot(control, SLOT_RECORDS));
    const void* p = block ? GlobalLock(block) : nullptr;
    if (!p) return std::vector<TabRecord>(records.size(), TabRecord{});
    const SIZE_T stored = std::min<SIZE_T>(GlobalSize(block) / sizeof(TabRecord), records.size());
    memcpy(records.data(), p, stored * sizeof(TabRecord));
    GlobalUnlock(block);
    return records;
}

void WriteRecords(HWND control, const std::vector<TabRecord>& records)
{
    std::vector<BYTE> bytes(records.size() * sizeof(TabRecord));
    if (!records.empty()) memcpy(bytes.data(), records.data(), bytes.size());
    StoreBlock(control, SLOT_RECORDS, bytes);
}

// ---- geometry ----------------------------------------------------------------------------

int StripHeight() { return HIWORD(GetDialogBaseUnits()) * 12 / 8; }

bool BottomTabs(HWND control) { return (GetWindowLongA(control, GWL_STYLE) & TABCTL_STYLE_BOTTOM) != 0; }

RECT StripRect(HWND control)
{
    RECT client;
    GetClientRect(control, &client);
    const int strip = StripHeight();
    return BottomTabs(control) ? RECT{0, client.bottom - strip, client.right, client.bottom}
                               : RECT{0, 0, client.right, strip};
}

double TabWidth(HWND control)
{
    RECT client;
    GetClientRect(control, &client);
    const int count = TabCount(control);
    return count > 0 ? static_cast<double>(client.right) / count : 0.0;
}

RECT TabRect(HWND control, int tab)
{
    const RECT strip = StripRect(control);
    const double width = TabWidth(control);
    const bool current = tab == CurrentTab(control);
    RECT r = strip;
    r.left = tab == 0 ? strip.left + (current ? 0 : 2) : static_cast<int>(tab * width);
    if (tab == TabCount(control) - 1)
        r.right = strip.right - (current ? 1 : 3);
    else
        r.right = static_cast<int>((tab + 1) * width) - 1;
    return r;
}

void InvalidateTab(HWND control, int tab)
{
    if (tab < 0 || tab >= TabCount(control)) return;
    RECT r = TabRect(control, tab);
    InflateRect(&r, 1, 1);
    InvalidateRect(control, &r, FALSE);
}

// The tabs move when the current one changes (the current tab stands higher
// and the outer tabs wider), so the whole strip is drawn again.
void InvalidateStrip(HWND control)
{
    RECT r = StripRect(control);
    InflateRect(&r, 0, 1);
    InvalidateRect(control, &r, FALSE);
}

// ---- selection -------------------------------------------------------------------------

void ShowTabItems(HWND control, const TabRecord& record, int command)
{
    if (!record.firstItem || !record.lastItem) return;
    HWND dialog = GetParent(control);
    for (UINT id = record.firstItem; id <= record.lastItem; ++id)
        if (HWND item = GetDlgItem(dialog, id)) ShowWindow(item, command);
}

void NotifyParent(HWND control)
{
    const int id = GetDlgCtrlID(control);
    SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(id, 0), reinterpret_cast<LPARAM>(control));
}

// Makes `tab` current: the parent hears of it first, then the pages swap.
// False when it already is current, or is disabled and `refuseDisabled`.
bool SelectTab(HWND control, int tab, bool refuseDisabled)
{
    const int old = CurrentTab(control);
    if (tab == old || tab < 0 || tab >= TabCount(control)) return false;
    const std::vector<TabRecord> records = ReadRecords(control);
    if (refuseDisabled && records[tab].disabled) {
        MessageBeep(static_cast<UINT>(-1));
        return false;
    }
    SetSlot(control, SLOT_CURRENT, tab);
    // The parent may do anything while it is told (even change the tabs):
    // the pages are swapped from the records as they were.
    NotifyParent(control);
    if (old >= 0 && old < static_cast<int>(records.size())) ShowTabItems(control, records[old], SW_HIDE);
    ShowTabItems(control, records[tab], SW_SHOW);
    InvalidateStrip(control);
    return true;
}

// The current tab stays the tab it was: before it the index moves down (the
// parent is told, its page stays shown); deleting it shows the page of the
// tab that becomes current and hides the deleted one's.
LRESULT DeleteTab(HWND control, WPARAM index)
{
    const int count = TabCount(control);
    if (count <= 1 || !IsTab(control, index)) return 0;
    const int tab = static_cast<int>(index);
    if (HasNames(control)) {
        std::vector<std::string> names = ReadNames(control);
        names.erase(names.begin() + tab);
        WriteNames(control, names);
    }
    const int current = CurrentTab(control);
    std::vector<TabRecord> records = ReadRecords(control);
    const TabRecord deleted = records[tab];
    if (tab == current && current != 0) {
        // The tab before becomes current while the records still hold the
        // deleted tab, so its page is the one hidden.
        SelectTab(control, current - 1, false);
        records = ReadRecords(control);
    }
    records.erase(records.begin() + tab);
    WriteRecords(control, records);
    SetSlot(control, SLOT_COUNT, count - 1);
    if (tab < current) {
        SetSlot(control, SLOT_CURRENT, current - 1);
        NotifyParent(control);
    } else if (tab == 0 && current == 0) {
        ShowTabItems(control, deleted, SW_HIDE);
        ShowTabItems(control, records[0], SW_SHOW);
    }
    InvalidateRect(control, nullptr, TRUE);
    return 1;
}

LRESULT EnableTabs(HWND control, bool enable, int first, int last)
{
    std::vector<TabRecord> records = ReadRecords(control);
    if (last >= static_cast<int>(records.size())) last = static_cast<int>(records.size()) - 1;
    for (int i = first; i <= last; ++i) records[i].disabled = enable ? 0 : 1;
    WriteRecords(control, records);
    InvalidateStrip(control);
    return 0;
}

LRESULT AddTab(HWND control, const char* text)
{
    const int count = TabCount(control);
    const bool named = HasNames(control);
    std::vector<std::string> names = named ? ReadNames(control) : std::vector<std::string>{};
    std::vector<TabRecord> records = ReadRecords(control);
    names.push_back(CappedText(text));
    records.push_back(TabRecord{});
    SetSlot(control, SLOT_COUNT, count + 1);
    if (named) WriteNames(control, names);
    WriteRecords(control, records);
    InvalidateRect(control, nullptr, FALSE);
    return count;
}

LRESULT SetTabText(HWND control, WPARAM tab, const char* text)
{
    if (!IsTab(control, tab)) return 0;
    const std::string capped = CappedText(text);
    if (HasNames(control)) {
        std::vector<std::string> names = ReadNames(control);
        names[tab] = capped;
        WriteNames(control, names);
    } else {
        SetWindowTextA(control, capped.c_str());
    }
    InvalidateRect(control, nullptr, FALSE);
    return 0;
}

LRESULT SetTabItems(HWND control, WPARAM tab, LPARAM range)
{
    if (!IsTab(control, tab)) return 0;
    std::vector<TabRecord> records = ReadRecords(control);
    records[tab].firstItem = LOWORD(range);
    records[tab].lastItem = HIWORD(range);
    WriteRecords(control, records);
    ShowTabItems(control, records[tab], static_cast<int>(tab) == CurrentTab(control) ? SW_SHOW : SW_HIDE);
    return 1;
}

// The tab's label: its stored text, or the number format applied to `number`.
int TabLabel(HWND control, int tab, int number, char* out)
{
    if (HasNames(control)) {
        const std::vector<std::string> names = ReadNames(control);
        lstrcpynA(out, names[tab].c_str(), LABEL_CHARS);
        return lstrlenA(out);
    }
    char format[LABEL_CHARS] = "%d";
    if (GetWindowLongA(control, GWL_STYLE) & TABCTL_STYLE_NUMBER_FORMAT) GetWindowTextA(control, format, LABEL_CHARS);
    return FormatTabLabel(format, number, out);
}

LRESULT GetTabText(HWND control, WPARAM tab, char* buffer)
{
    if (!buffer) return 0;
    buffer[0] = '\0';
    if (!IsTab(control, tab)) return 0;
    return TabLabel(control, static_cast<int>(tab), static_cast<int>(tab), buffer);
}

void OnCreate(HWND control, const CREATESTRUCTA* create)
{
    SetSlot(control, SLOT_CURRENT, 0);
    SetSlot(control, SLOT_COUNT, 1);
    SetSlot(control, SLOT_FONT, 0);
    SetSlot(control, SLOT_NAMES, 0);
    SetSlot(control, SLOT_RECORDS, 0);
    if (create->style & TABCTL_STYLE_NAMED) WriteNames(control, {CappedText(create->lpszName)});
    WriteRecords(control, {TabRecord{}});
}

void OnLeftButtonDown(HWND control, int x, int y)
{
    SetFocus(control);
    const RECT strip = StripRect(control);
    const bool inStrip = BottomTabs(control) ? y >= strip.top : y <= strip.bottom;
    const double width = TabWidth(control);
    // A control narrower than its tab count has no tab under any point.
    if (!inStrip || x < 0 || width < 1.0) return;
    const int tab = static_cast<int>(x / width);
    if (tab < TabCount(control)) SelectTab(control, tab, true);
}

// ---- painting ----------------------------------------------------------------------------

class Pens {
public:
    explicit Pens(HDC dc, int width = 1) : dc_(dc)
    {
        white_ = CreatePen(PS_SOLID, width, WHITE);
        black_ = CreatePen(PS_SOLID, width, BLACK);
        grey_ = CreatePen(PS_SOLID, width, GREY);
        old_ = SelectObject(dc, white_);
    }
    ~Pens()
    {
        SelectObject(dc_, old_);
        DeleteObject(white_);
        DeleteObject(black_);
        DeleteObject(grey_);
    }
    Pens(const Pens&) = delete;
    Pens& operator=(const Pens&) = delete;
    void Line(COLORREF color, int x1, int y1, int x2, int y2) const
    {
        SelectObject(dc_, color == WHITE ? white_ : color == BLACK ? black_ : grey_);
        MoveToEx(dc_, x1, y1, nullptr);
        LineTo(dc_, x2, y2);
    }
    void Polyline(COLORREF color, std::initializer_list<POINT> points) const
    {
        SelectObject(dc_, color == WHITE ? white_ : color == BLACK ? black_ : grey_);
        ::Polyline(dc_, points.begin(), static_cast<int>(points.size()));
    }
private:
    HDC dc_;
    HPEN white_, black_, grey_;
    HGDIOBJ old_;
};

// Top tabs: a 2-pixel diagonal at both upper corners; the current tab stands
// 2 pixels higher and has no base line, so it opens onto the page.
void DrawTopTabOutline(HDC dc, const RECT& r, int relation)
{
    Pens pens(dc);
    const int top = r.top + (relation != 0 ? 2 : 0);
    const int bottom = r.bottom;
    if (relation != 1) pens.Polyline(WHITE, {{r.left, bottom}, {r.left, top + 2}, {r.left + 2, top}});
    pens.Line(WHITE, relation == 1 ? r.left : r.left + 2, top, r.right - 2, top);
    if (relation != -1) {
        pens.Polyline(BLACK, {{r.right - 2, top}, {r.right, top + 2}, {r.right, bottom + (relation == 0 ? 1 : 0)}});
        pens.Line(GREY, r.right - 1, top + 2, r.right - 1, bottom + (relation == 0 ? 1 : 0));
    }
    if (relation != 0) pens.Line(WHITE, r.left, bottom, r.right + 1, bottom);
}

// Bottom tabs: rounded lower corners; the current tab's lines are 2 pixels
// wide and its top edge is open.
void DrawBottomTabOutline(HDC dc, const RECT& r, int relation)
{
    const bool current = relation == 0;
    const int top = r.top;
    const int bottom = r.bottom - 1 - (current ? 0 : 2);
    Pens pens(dc, current ? 2 : 1);
    if (relation != 1) {
        pens.Line(WHITE, r.left, top, r.left, bottom - 2);
        Arc(dc, r.left, bottom - 4, r.left + 5, bottom + 1, r.left + 2, bottom, r.left, bottom - 2);
    }
    pens.Line(BLACK, r.left + 2, bottom, r.right - 2, bottom);
    if (relation != -1) {
        pens.Line(GREY, r.right - 1, top, r.right - 1, bottom - 1);
        pens.Line(BLACK, r.right, top, r.right, bottom - 2);
        Arc(dc, r.right - 4, bottom - 4, r.right + 1, bottom + 1, r.right, bottom - 2, r.right - 2, bottom);
    }
    if (!current) pens.Line(BLACK, r.left, top, r.right + 1, top);
}

void DrawPageFrame(HDC dc, const RECT& client, const RECT& strip, bool bottomTabs)
{
    Pens pens(dc);
    const int right = client.right - 2;  // one pixel inside the client area
    if (bottomTabs) {
        const int bottom = strip.top;
        pens.Line(WHITE, 0, bottom, 0, 0);
        pens.Line(WHITE, 0, 0, right, 0);
        pens.Line(BLACK, right, 0, right, bottom);
        pens.Line(GREY, right - 1, 1, right - 1, bottom);
        return;
    }
    const int top = strip.bottom + 1, bottom = client.bottom - 1;
    pens.Line(WHITE, 0, top, 0, bottom);
    pens.Line(BLACK, 0, bottom, right, bottom);
    pens.Line(BLACK, right, top, right, bottom + 1);
    pens.Line(GREY, 1, bottom - 1, right - 1, bottom - 1);
    pens.Line(GREY, right - 1, top, right - 1, bottom - 1);
}

void DrawTabLabel(HWND control, HDC dc, int tab, const RECT& r, bool current, bool disabled, bool focused)
{
    RECT text = r;
    text.left += 4;
    text.right -= 4;
    if (current) {
        text.top += 5;
        text.bottom -= 3;
    } else if (BottomTabs(control)) {
        text.top += 4;
        text.bottom -= 4;
    } else {
        text.top += 6;
        text.bottom -= 2;
    }
    char label[LABEL_CHARS];
    TabLabel(control, tab, tab + 1, label);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, disabled ? GREY : BLACK);
    DrawTextA(dc, label, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    if (!focused || !current) return;
    RECT extent = {0, 0, 0, 0};
    DrawTextA(dc, label, -1, &extent, DT_SINGLELINE | DT_CALCRECT);
    const int w = extent.right + 4, h = extent.bottom + 4;
    const int left = (text.left + text.right - w) / 2, top = (text.top + text.bottom - h) / 2;
    RECT focus = {left, top, left + w, top + h};
    DrawFocusRect(dc, &focus);
}

void PaintTabControl(HWND control, HDC dc)
{
    HGDIOBJ oldFont = nullptr;
    if (HFONT font = reinterpret_cast<HFONT>(Slot(control, SLOT_FONT))) oldFont = SelectObject(dc, font);
    const bool focused = GetFocus() == control;
    RECT client;
    GetClientRect(control, &client);
    const RECT strip = StripRect(control);
    const bool bottomTabs = BottomTabs(control);

    HGDIOBJ oldBrush = SelectObject(dc, GetSysColorBrush(COLOR_BTNFACE));
    PatBlt(dc, 0, bottomTabs ? strip.top - 1 : strip.top, client.right, strip.bottom - strip.top + 1, PATCOPY);
    SelectObject(dc, oldBrush);

    const int current = CurrentTab(control);
    const std::vector<TabRecord> records = ReadRecords(control);
    for (int i = 0; i < TabCount(control); ++i) {
        const RECT r = TabRect(control, i);
        if (bottomTabs)
            DrawBottomTabOutline(dc, r, i - current);
        else
            DrawTopTabOutline(dc, r, i - current);
        DrawTabLabel(control, dc, i, r, i == current, records[i].disabled != 0, focused);
    }
    if (!(GetWindowLongA(control, GWL_STYLE) & TABCTL_STYLE_NO_FRAME)) DrawPageFrame(dc, client, strip, bottomTabs);
    if (oldFont) SelectObject(dc, oldFont);
}

}  // namespace

bool IsTabNumberFormat(const char* format)
{
    if (!format) return false;
    int conversions = 0;
    for (const char* p = format; *p; ++p) {
        if (*p != '%') continue;
        ++p;
        if (*p == '%') continue;
        while (*p == '-' || *p == '#' || *p == '0') ++p;
        while (*p >= '0' && *p <= '9') ++p;
        if (*p == '.') {
            ++p;
            while (*p >= '0' && *p <= '9') ++p;
        }
        if (*p == 'l' || *p == 'h') ++p;
        if (!*p || !strchr("diuxX", *p)) return false;
        ++conversions;
    }
    return conversions == 1;
}

int FormatTabLabel(const char* format, int number, char* out)
{
    if (!format || !IsTabNumberFormat(format)) {
        // Not a number format: shown as it stands, never read as one.
        lstrcpynA(out, format ? format : "", LABEL_CHARS);
        return lstrlenA(out);
    }
    char formatted[WSPRINTF_ROOM];
    wsprintfA(formatted, format, number);
    lstrcpynA(out, formatted, LABEL_CHARS);
    return lstrlenA(out);
}

ATOM RegisterTabControl(HINSTANCE instance)
{
    WNDCLASSA cls{};
    cls.style = CS_PARENTDC;
    cls.lpfnWndProc = TabControlProc;
    cls.cbWndExtra = TABCTL_EXTRA_BYTES;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    cls.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    cls.lpszClassName = "TABCTL";
    return RegisterClassA(&cls);
}

LRESULT CALLBACK TabControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(control, reinterpret_cast<const CREATESTRUCTA*>(lParam));
        return 0;
    case WM_DESTROY:
        FreeBlock(control, SLOT_NAMES);
        FreeBlock(control, SLOT_RECORDS);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateTab(control, CurrentTab(control));
        return 0;
    case WM_PAINT: {
        // The dialog's own controls lie over the page: keep under them.
        SetWindowPos(control, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOREDRAW | SWP_NOMOVE | SWP_NOSIZE);
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(control, &paint);
        PaintTabControl(control, dc);
        EndPaint(control, &paint);
        return 0;
    }
    case WM_SETFONT:
        SetSlot(control, SLOT_FONT, static_cast<LONG_PTR>(wParam));
        if (LOWORD(lParam)) InvalidateRect(control, nullptr, HIWORD(lParam) != 0);
        return 0;
    case WM_LBUTTONDOWN:
        OnLeftButtonDown(control, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        return 0;
    case TABCTL_DELETE_TAB:
        return DeleteTab(control, wParam);
    case TABCTL_ENABLE_TABS:
        return EnableTabs(control, wParam != 0, LOWORD(lParam), HIWORD(lParam));
    case TABCTL_IS_TAB_ENABLED:
        return IsTab(control, wParam) && !ReadRecords(control)[wParam].disabled ? 1 : 0;
    case TABCTL_GET_CURRENT:
        return CurrentTab(control);
    case TABCTL_GET_COUNT:
        return TabCount(control);
    case TABCTL_GET_TAB_TEXT:
        return GetTabText(control, wParam, reinterpret_cast<char*>(lParam));
    case TABCTL_ADD_TAB:
        return AddTab(control, reinterpret_cast<const char*>(lParam));
    case TABCTL_SELECT_TAB:
        if (IsTab(control, wParam) && SelectTab(control, static_cast<int>(wParam), true)) return 0;
        InvalidateStrip(control);
        return 1;
    case TABCTL_SET_TAB_TEXT:
        return SetTabText(control, wParam, reinterpret_cast<const char*>(lParam));
    case TABCTL_SET_TAB_ITEMS:
        return SetTabItems(control, wParam, lParam);
    }
    return DefWindowProcA(control, message, wParam, lParam);
}
