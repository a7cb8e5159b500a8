// "Define Foreground Regions..." (1011): the region editor over a zoomable
// picture of the animation window (new regions, moving, resizing by a
// corner, group selection and deletion), its tool strip and zoom buttons,
// and Cancel putting the regions back.
#include "AppState.h"
#include "ComposeCommon.h"
#include "DialogUtilities.h"
#include "DocumentModel.h"
#include "MainWindow.h"
#include "PathDialogResources.h"
#include "RegionMath.h"
#include "ResultCodes.h"
#include "WindowDialogs.h"
#include "WindowPicture.h"
#include "resource.h"
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr COLORREF MARGIN_GREY = RGB(208, 208, 208);
constexpr int MARGIN = 32;
constexpr int32_t REGION_DISABLED = 0x8000;
constexpr uint8_t CENTRE_WINDOW = 0x08;
constexpr uint8_t GROUP_END = 255;
constexpr int MAX_ZOOM_STEP = 2;

enum RegionTool { TOOL_SELECT = 0, TOOL_NEW = 1, TOOL_DELETE = 2 };
constexpr int TOOL_COUNT = 3;
// Mouse states; the corner codes of RegionMath.h (3, 6, 9, 12) resize.
enum MouseState {
    MOUSE_IDLE = 0,
    MOUSE_MOVE_REGION = 16,
    MOUSE_BAND = 32,
    MOUSE_MOVE_GROUP = 48,
    MOUSE_GROUP_SELECTED = 64,
};

struct RegionEditor {
    int zoom = 0;  // 0, 1, 2 for 1, 2, 4
    POINT scroll{};
    SIZE window{};
    BackgroundPicture background;
    int tool = TOOL_SELECT;
    int work = -1;          // the region under work
    int mouse = MOUSE_IDLE;
    bool adding = false;    // `fresh` is the region being drawn (not counted yet)
    ForegroundRegion fresh{};
    uint8_t group[MAX_REGIONS + 1] = {GROUP_END};
    RECT band{};
    POINT last{};           // the pointer at the last move, window coordinates
};

RegionEditor* EditorOf(HWND editor)
{
    return editor ? reinterpret_cast<RegionEditor*>(GetWindowLongPtrA(editor, GWLP_USERDATA)) : nullptr;
}

int RegionCount() { return std::min<int>(g_document.regionCount, MAX_REGIONS); }
bool Enabled(const ForegroundRegion& r) { return !(r.regionFlags & REGION_DISABLED); }

int EnabledRegionCount()
{
    int count = 0;
    for (int i = 0; i < RegionCount(); ++i) count += Enabled(g_document.regionTable[i]);
    return count;
}

// Stored coordinates are relative to the window centre with positionFlags 0x08.
POINT Origin(const RegionEditor* e)
{
    return (g_document.animationSettings.positionFlags & CENTRE_WINDOW) ? POINT{e->window.cx / 2, e->window.cy / 2}
                                                                        : POINT{0, 0};
}

// A region's rectangle in window coordinates, corners in order, inclusive.
RECT WindowRectOf(const RegionEditor* e, const ForegroundRegion& r)
{
    const POINT o = Origin(e);
    return {std::min(r.x1, r.x2) + o.x, std::min(r.y1, r.y2) + o.y, std::max(r.x1, r.x2) + o.x, std::max(r.y1, r.y2) + o.y};
}

POINT ToWindow(const RegionEditor* e, POINT client)
{
    return {(client.x + e->scroll.x) / (1 << e->zoom) - MARGIN, (client.y + e->scroll.y) / (1 << e->zoom) - MARGIN};
}

POINT ToClient(const RegionEditor* e, POINT window)
{
    return {(window.x + MARGIN) * (1 << e->zoom) - e->scroll.x, (window.y + MARGIN) * (1 << e->zoom) - e->scroll.y};
}

bool HaveGroup(const RegionEditor* e) { return e->group[0] != GROUP_END; }

RECT GroupRectOf(const RegionEditor* e)
{
    RECT box{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    for (const uint8_t* g = e->group; *g != GROUP_END; ++g) {
        const RECT r = WindowRectOf(e, g_document.regionTable[*g]);
        box = {std::min(box.left, r.left), std::min(box.top, r.top), std::max(box.right, r.right),
               std::max(box.bottom, r.bottom)};
    }
    return box;
}

bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom; }

// ---- layout and scrolling ---------------------------------------------------------------

void LayOut(HWND editor, RegionEditor* e)
{
    SetScrollArea(editor, {(e->window.cx + 2 * MARGIN) << e->zoom, (e->window.cy + 2 * MARGIN) << e->zoom}, &e->scroll);
}

void Scroll(HWND editor, RegionEditor* e, int bar, int code)
{
    ScrollBy(editor, &e->scroll, bar, code, 8, [](int, int barPage) { return std::max(8, barPage * 3 / 4); });
}

// The new zoom step keeps the view's centre. False when it is out of range.
bool Zoom(HWND editor, RegionEditor* e, int delta)
{
    const int step = e->zoom + delta;
    if (step < 0 || step > MAX_ZOOM_STEP) return false;
    RECT client;
    GetClientRect(editor, &client);
    const POINT centre = ToWindow(e, {client.right / 2, client.bottom / 2});
    e->zoom = step;
    e->scroll = {(centre.x + MARGIN) * (1 << step) - client.right / 2, (centre.y + MARGIN) * (1 << step) - client.bottom / 2};
    LayOut(editor, e);
    InvalidateRect(editor, nullptr, FALSE);
    return true;
}

// ---- painting ------------------------------------------------------------------------------

void OutlineRegion(HDC dc, const RegionEditor* e, RECT r)
{
    const POINT a = ToClient(e, {r.left, r.top});
    const POINT b = ToClient(e, {r.right + 1, r.bottom + 1});
    Rectangle(dc, a.x, a.y, b.x, b.y);
    if (r.right > r.left && r.bottom > r.top) Rectangle(dc, a.x + 1, a.y + 1, b.x - 1, b.y - 1);
}

void PaintEditor(HWND editor, RegionEditor* e)
{
    PAINTSTRUCT paint;
    HDC target = BeginPaint(editor, &paint);
    RECT client;
    GetClientRect(editor, &client);
    HDC dc = CreateCompatibleDC(target);
    HBITMAP picture = dc ? CreateCompatibleBitmap(target, std::max(1L, client.right), std::max(1L, client.bottom)) : nullptr;
    if (!picture) {
        if (dc) DeleteDC(dc);
        EndPaint(editor, &paint);
        return;
    }
    HGDIOBJ oldBitmap = SelectObject(dc, picture);
    HBRUSH grey = CreateSolidBrush(MARGIN_GREY);
    FillRect(dc, &client, grey);
    DeleteObject(grey);
    const POINT at = ToClient(e, {0, 0});
    const int scale = 1 << e->zoom;
    if (e->background.dc) {
        StretchBlt(dc, at.x, at.y, e->window.cx * scale, e->window.cy * scale, e->background.dc, 0, 0, e->window.cx,
                   e->window.cy, SRCCOPY);
    } else {
        const RECT area{at.x, at.y, at.x + e->window.cx * scale, at.y + e->window.cy * scale};
        FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    const int savedRop = SetROP2(dc, R2_NOT);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    for (int i = 0; i < RegionCount(); ++i)
        if (Enabled(g_document.regionTable[i])) OutlineRegion(dc, e, WindowRectOf(e, g_document.regionTable[i]));
    if (e->adding) OutlineRegion(dc, e, WindowRectOf(e, e->fresh));
    SelectObject(dc, oldBrush);
    SetROP2(dc, savedRop);
    auto focus = [&](RECT r) {
        const POINT a = ToClient(e, {std::min(r.left, r.right), std::min(r.top, r.bottom)});
        const POINT b = ToClient(e, {std::max(r.left, r.right) + 1, std::max(r.top, r.bottom) + 1});
        RECT shown{a.x - 1, a.y - 1, b.x + 1, b.y + 1};
        DrawFocusRect(dc, &shown);
    };
    if (e->mouse == MOUSE_BAND) focus(e->band);
    else if (HaveGroup(e)) focus(GroupRectOf(e));
    BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBitmap);
    DeleteObject(picture);
    DeleteDC(dc);
    EndPaint(editor, &paint);
}

// ---- the mouse ------------------------------------------------------------------------------

void RefreshCount(HWND editor)
{
    HWND dialog = GetParent(editor);
    char label[64];
    snprintf(label, sizeof label, "Number of Regions: %d", EnabledRegionCount());
    SetDlgItemTextA(dialog, IDC_REGION_COUNT, label);
}

void ShowPointer(HWND editor, const RegionEditor* e, POINT p)
{
    if (p.x < 0 || p.y < 0 || p.x >= e->window.cx || p.y >= e->window.cy) return;
    const POINT o = Origin(e);
    char text[40];
    snprintf(text, sizeof text, "X:%d  Y:%d ", static_cast<int>(p.x - o.x), static_cast<int>(p.y - o.y));
    SetDlgItemTextA(GetParent(editor), IDC_REGION_POINTER, text);
}

int SnapDistance(const RegionEditor* e) { return 3 - e->zoom; }

// The corner of the region under work near the point (snapped onto it), or 0.
int CornerNear(const RegionEditor* e, POINT* p)
{
    if (e->work < 0 || e->work >= RegionCount() || !Enabled(g_document.regionTable[e->work])) return 0;
    const RECT r = WindowRectOf(e, g_document.regionTable[e->work]);
    return SnapToRectCorner(p, r, SnapDistance(e));
}

LPCSTR CornerCursor(int corner)
{
    return corner == CORNER_LEFT_TOP || corner == CORNER_RIGHT_BOTTOM ? IDC_SIZENWSE : IDC_SIZENESW;
}

// Sets a region's rectangle from window coordinates, corners in order.
void SetWindowRect(const RegionEditor* e, ForegroundRegion* r, RECT w)
{
    const POINT o = Origin(e);
    r->x1 = std::min(w.left, w.right) - o.x;
    r->x2 = std::max(w.left, w.right) - o.x;
    r->y1 = std::min(w.top, w.bottom) - o.y;
    r->y2 = std::max(w.top, w.bottom) - o.y;
}

void ClearGroup(RegionEditor* e) { e->group[0] = GROUP_END; }

void PressSelect(HWND editor, RegionEditor* e, POINT p)
{
    POINT snapped = p;
    if (const int corner = CornerNear(e, &snapped)) {
        e->mouse = corner;
        ClearGroup(e);
        SetCursor(LoadCursorA(nullptr, CornerCursor(corner)));
        POINT screen = ToClient(e, snapped);
        ClientToScreen(editor, &screen);
        if (IsWindowVisible(editor)) SetCursorPos(screen.x, screen.y);
        e->last = snapped;
        return;
    }
    if (HaveGroup(e) && Inside(GroupRectOf(e), p)) {
        e->mouse = MOUSE_MOVE_GROUP;
        return;
    }
    ClearGroup(e);
    for (int i = RegionCount() - 1; i >= 0; --i) {
        const ForegroundRegion& r = g_document.regionTable[i];
        if (Enabled(r) && Inside(WindowRectOf(e, r), p)) {
            e->work = i;
            e->mouse = MOUSE_MOVE_REGION;
            return;
        }
    }
    e->work = -1;
    e->mouse = MOUSE_BAND;
    e->band = {p.x, p.y, p.x, p.y};
}

void ButtonDown(HWND editor, RegionEditor* e, POINT client)
{
    SetFocus(editor);
    const POINT p = ToWindow(e, client);
    e->last = p;
    if (e->tool == TOOL_NEW) {
        if (RegionCount() >= MAX_REGIONS) {
            MessageBeep(MB_OK);
            return;
        }
        e->adding = true;
        ClearGroup(e);
        SetWindowRect(e, &e->fresh, {p.x, p.y, p.x, p.y});
        e->fresh.regionFlags = 1;
        e->band = {p.x, p.y, p.x, p.y};  // the first corner stays, the second follows the pointer
    } else if (e->tool == TOOL_SELECT) {
        PressSelect(editor, e, p);
    } else {
        return;
    }
    SetCapture(editor);
    InvalidateRect(editor, nullptr, FALSE);
}

void MoveRegionBy(ForegroundRegion* r, LONG dx, LONG dy)
{
    r->x1 += dx;
    r->x2 += dx;
    r->y1 += dy;
    r->y2 += dy;
}

void ResizeByCorner(const RegionEditor* e, ForegroundRegion* r, int corner, POINT p)
{
    RECT w = WindowRectOf(e, *r);
    if (corner == CORNER_LEFT_TOP || corner == CORNER_LEFT_BOTTOM) w.left = p.x;
    else w.right = p.x;
    if (corner == CORNER_LEFT_TOP || corner == CORNER_RIGHT_TOP) w.top = p.y;
    else w.bottom = p.y;
    // The corner keeps its name while it is dragged past the opposite one:
    // the rectangle is only put in order when the button is released.
    const POINT o = Origin(e);
    r->x1 = w.left - o.x;
    r->x2 = w.right - o.x;
    r->y1 = w.top - o.y;
    r->y2 = w.bottom - o.y;
}

void MouseMove(HWND editor, RegionEditor* e, POINT client)
{
    const POINT p = ToWindow(e, client);
    ShowPointer(editor, e, p);
    const LONG dx = p.x - e->last.x, dy = p.y - e->last.y;
    if (e->adding) {
        e->band.right = p.x;
        e->band.bottom = p.y;
        SetWindowRect(e, &e->fresh, e->band);
    } else if (e->mouse == CORNER_LEFT_TOP || e->mouse == CORNER_RIGHT_TOP || e->mouse == CORNER_RIGHT_BOTTOM ||
               e->mouse == CORNER_LEFT_BOTTOM) {
        ResizeByCorner(e, &g_document.regionTable[e->work], e->mouse, p);
    } else if (e->mouse == MOUSE_MOVE_REGION) {
        MoveRegionBy(&g_document.regionTable[e->work], dx, dy);
    } else if (e->mouse == MOUSE_MOVE_GROUP) {
        for (const uint8_t* g = e->group; *g != GROUP_END; ++g) MoveRegionBy(&g_document.regionTable[*g], dx, dy);
    } else if (e->mouse == MOUSE_BAND) {
        e->band.right = p.x;
        e->band.bottom = p.y;
    } else {
        return;
    }
    e->last = p;
    InvalidateRect(editor, nullptr, FALSE);
}

// Every enabled region that overlaps the band joins the group, the last
// region first.
void SelectByBand(RegionEditor* e)
{
    const RECT band{std::min(e->band.left, e->band.right), std::min(e->band.top, e->band.bottom),
                    std::max(e->band.left, e->band.right), std::max(e->band.top, e->band.bottom)};
    int n = 0;
    for (int i = RegionCount() - 1; i >= 0; --i) {
        const ForegroundRegion& region = g_document.regionTable[i];
        if (!Enabled(region)) continue;
        const RECT r = WindowRectOf(e, region);
        if (r.left <= band.right && r.right >= band.left && r.top <= band.bottom && r.bottom >= band.top)
            e->group[n++] = static_cast<uint8_t>(i);
    }
    e->group[n] = GROUP_END;
}

bool Flat(const ForegroundRegion& r) { return r.x1 == r.x2 || r.y1 == r.y2; }

void ButtonUp(HWND editor, RegionEditor* e, bool keepTool)
{
    if (GetCapture() == editor) ReleaseCapture();
    if (e->adding) {
        e->adding = false;
        if (!Flat(e->fresh) && RegionCount() < MAX_REGIONS) {
            e->work = RegionCount();
            g_document.regionTable[e->work] = e->fresh;
            g_document.regionCount = static_cast<uint8_t>(e->work + 1);
            MarkAnimationModified();
        }
        RefreshCount(editor);
        if (!keepTool) e->tool = TOOL_SELECT;
        InvalidateRect(GetDlgItem(GetParent(editor), IDC_REGION_TOOLS), nullptr, FALSE);
    } else if (e->mouse == MOUSE_BAND) {
        SelectByBand(e);
        e->mouse = HaveGroup(e) ? MOUSE_GROUP_SELECTED : MOUSE_IDLE;
    } else if (e->mouse == MOUSE_MOVE_GROUP) {
        e->mouse = MOUSE_GROUP_SELECTED;
        MarkAnimationModified();
    } else if (e->mouse != MOUSE_IDLE && e->mouse != MOUSE_GROUP_SELECTED && e->work >= 0) {
        ForegroundRegion& r = g_document.regionTable[e->work];
        SetWindowRect(e, &r, WindowRectOf(e, r));
        e->mouse = MOUSE_IDLE;
        MarkAnimationModified();
        if (Flat(r)) SendMessageA(editor, REGIONEDIT_DELETE_SELECTED, 0, 0);
    }
    InvalidateRect(editor, nullptr, FALSE);
}

// Deletes the region under work, or every region of the group.
bool DeleteSelected(HWND editor, RegionEditor* e)
{
    bool doomed[MAX_REGIONS] = {};
    bool any = false;
    if (HaveGroup(e)) {
        for (const uint8_t* g = e->group; *g != GROUP_END; ++g)
            if (*g < RegionCount()) any = doomed[*g] = true;
    } else if (e->work >= 0 && e->work < RegionCount()) {
        any = doomed[e->work] = true;
    }
    if (!any) return false;
    int kept = 0;
    for (int i = 0; i < RegionCount(); ++i)
        if (!doomed[i]) g_document.regionTable[kept++] = g_document.regionTable[i];
    g_document.regionCount = static_cast<uint8_t>(kept);
    ClearGroup(e);
    e->work = -1;
    e->mouse = MOUSE_IDLE;
    MarkAnimationModified();
    RefreshCount(editor);
    InvalidateRect(editor, nullptr, FALSE);
    return true;
}

bool SetEditorCursor(HWND editor, RegionEditor* e)
{
    if (e->tool != TOOL_SELECT) return false;
    POINT client;
    GetCursorPos(&client);
    ScreenToClient(editor, &client);
    POINT p = ToWindow(e, client);
    int corner = e->mouse >= CORNER_LEFT_TOP && e->mouse <= CORNER_RIGHT_BOTTOM ? e->mouse : CornerNear(e, &p);
    if (!corner) return false;
    SetCursor(LoadCursorA(nullptr, CornerCursor(corner)));
    return true;
}

bool CreateEditor(HWND editor)
{
    auto* e = new (std::nothrow) RegionEditor;
    if (!e) return false;
    e->window = GetAnimationWindowSize();
    HDC dc = GetDC(editor);
    BuildBackgroundDC(&e->background, dc, e->window);
    ReleaseDC(editor, dc);
    SetWindowLongPtrA(editor, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(e));
    LayOut(editor, e);
    return true;
}

void DestroyEditor(HWND editor)
{
    RegionEditor* e = EditorOf(editor);
    if (!e) return;
    SetWindowLongPtrA(editor, GWLP_USERDATA, 0);
    FreeBackgroundDC(&e->background);
    delete e;
}

// ---- the dialog ------------------------------------------------------------------------------

struct RegionDialogState {
    std::unique_ptr<ForegroundRegion[]> saved;  // the table as it was, for Cancel
    int savedCount = 0;
    SIZE minimumSize{};
    HBITMAP icons = nullptr;  // bitmap 928
};

RegionDialogState* DialogState(HWND dialog)
{
    return reinterpret_cast<RegionDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

HWND EditorWindow(HWND dialog) { return GetDlgItem(dialog, IDC_REGION_EDITOR); }

void LayOutEditor(HWND dialog)
{
    HWND editor = EditorWindow(dialog);
    RECT client, place;
    GetClientRect(dialog, &client);
    GetWindowRect(editor, &place);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    MoveWindow(editor, place.left, place.top, std::max(1L, client.right - place.left),
               std::max(1L, client.bottom - place.top), TRUE);
}

void PlaceButtons(HWND dialog)
{
    HWND tools = GetDlgItem(dialog, IDC_REGION_TOOLS);
    RECT r;
    GetWindowRect(tools, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    SetWindowPos(tools, nullptr, 0, 0, ICON_SIZE, ICON_SIZE * TOOL_COUNT, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    HWND zoomIn = GetDlgItem(dialog, IDC_REGION_ZOOM_IN);
    RECT z;
    GetWindowRect(zoomIn, &z);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&z), 2);
    SetWindowPos(zoomIn, nullptr, r.left, z.top, ICON_SIZE, ICON_SIZE, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(GetDlgItem(dialog, IDC_REGION_ZOOM_OUT), nullptr, r.left, z.top + ICON_SIZE, ICON_SIZE, ICON_SIZE,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

bool InitRegionsDialog(HWND dialog)
{
    auto* state = new RegionDialogState;
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    RECT window;
    GetWindowRect(dialog, &window);
    state->minimumSize = {window.right - window.left, window.bottom - window.top};
    state->icons = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_REGION_TOOLS));
    HWND editor = EditorWindow(dialog);
    SetWindowLongPtrA(editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RegionEditorProc));
    if (!CreateEditor(editor)) return false;
    state->saved.reset(new (std::nothrow) ForegroundRegion[MAX_REGIONS]);
    if (state->saved) {
        std::copy(g_document.regionTable, g_document.regionTable + MAX_REGIONS, state->saved.get());
        state->savedCount = g_document.regionCount;
    } else {
        EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
    }
    // A damaged file may claim more regions than the table holds.
    if (g_document.regionCount > MAX_REGIONS) g_document.regionCount = MAX_REGIONS;
    EditorOf(editor)->tool = RegionCount() ? TOOL_SELECT : TOOL_NEW;
    MakeIconStrip(GetDlgItem(dialog, IDC_REGION_TOOLS));
    PlaceButtons(dialog);
    LayOutEditor(dialog);
    RefreshCount(editor);
    CenterWindow(dialog);
    return true;
}

// Pressing an icon of the strip: tools 0 and 2 need a region, tool 1 room
// for one more.
void ToolStripClicked(HWND dialog)
{
    HWND editor = EditorWindow(dialog);
    RegionEditor* e = EditorOf(editor);
    const int tool = TakePressedIcon(GetDlgItem(dialog, IDC_REGION_TOOLS));
    if (!e || tool < 0 || tool >= TOOL_COUNT) return;
    const int count = RegionCount();
    if ((tool != TOOL_NEW && count == 0) || (tool == TOOL_NEW && count > MAX_REGIONS - 2)) {
        MessageBeep(MB_OK);
        return;
    }
    if (tool == TOOL_DELETE) {
        PostMessageA(editor, REGIONEDIT_DELETE_SELECTED, 0, 0);
        e->tool = count < 2 ? TOOL_NEW : TOOL_SELECT;
    } else {
        e->tool = tool;
    }
    InvalidateRect(GetDlgItem(dialog, IDC_REGION_TOOLS), nullptr, FALSE);
}

void DrawRegionButton(HWND dialog, const DRAWITEMSTRUCT* item)
{
    RegionDialogState* state = DialogState(dialog);
    RegionEditor* e = EditorOf(EditorWindow(dialog));
    if (!state) return;
    const bool pressed = item->itemState & ODS_SELECTED;
    if (item->CtlID == IDC_REGION_TOOLS) {
        int shown = e ? e->tool : TOOL_SELECT;
        if (pressed && PressedIcon(item->hwndItem) >= 0) shown = PressedIcon(item->hwndItem);
        DrawIconStrip(item->hDC, state->icons, 0, TOOL_COUNT, shown);
        return;
    }
    const int row = item->CtlID == IDC_REGION_ZOOM_IN ? TOOL_COUNT : TOOL_COUNT + 1;
    DrawIconStrip(item->hDC, state->icons, row, 1, pressed ? 0 : -1);
}

void CloseRegions(HWND dialog, bool keep)
{
    RegionDialogState* state = DialogState(dialog);
    if (!keep && state && state->saved) {
        std::copy(state->saved.get(), state->saved.get() + MAX_REGIONS, g_document.regionTable);
        g_document.regionCount = static_cast<uint8_t>(state->savedCount);
    }
    if (keep) MarkAnimationModified();
    EndDialog(dialog, keep ? 1 : 0);
}

BOOL OnRegionsCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case IDOK: CloseRegions(dialog, true); return TRUE;
    case IDCANCEL:
        if (IsWindowEnabled(GetDlgItem(dialog, IDCANCEL))) CloseRegions(dialog, false);
        return TRUE;
    case IDC_REGION_TOOLS:
        if (code == BN_CLICKED) ToolStripClicked(dialog);
        return TRUE;
    case IDC_REGION_ZOOM_IN:
    case IDC_REGION_ZOOM_OUT:
        if (code == BN_CLICKED &&
            !SendMessageA(EditorWindow(dialog), REGIONEDIT_ZOOM, static_cast<WPARAM>(id == IDC_REGION_ZOOM_IN ? 1 : -1), 0))
            MessageBeep(MB_OK);
        return TRUE;
    default: return FALSE;
    }
}

}  // namespace

LRESULT CALLBACK RegionEditorProc(HWND editor, UINT message, WPARAM wParam, LPARAM lParam)
{
    RegionEditor* e = EditorOf(editor);
    if (!e) return DefWindowProcA(editor, message, wParam, lParam);
    const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (message) {
    case WM_PAINT: PaintEditor(editor, e); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SIZE:
        LayOut(editor, e);
        InvalidateRect(editor, nullptr, FALSE);
        return 0;
    case WM_HSCROLL: Scroll(editor, e, SB_HORZ, LOWORD(wParam)); return 0;
    case WM_VSCROLL: Scroll(editor, e, SB_VERT, LOWORD(wParam)); return 0;
    case WM_LBUTTONDOWN: ButtonDown(editor, e, at); return 0;
    case WM_MOUSEMOVE: MouseMove(editor, e, at); return 0;
    case WM_LBUTTONUP: ButtonUp(editor, e, (wParam & (MK_CONTROL | MK_SHIFT)) != 0); return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && SetEditorCursor(editor, e)) return TRUE;
        break;
    case REGIONEDIT_DELETE_SELECTED:
        if (!DeleteSelected(editor, e)) MessageBeep(MB_OK);
        return 0;
    case REGIONEDIT_ZOOM: return Zoom(editor, e, static_cast<int>(static_cast<INT_PTR>(wParam)));
    case WM_DESTROY: DestroyEditor(editor); return 0;
    default: break;
    }
    return DefWindowProcA(editor, message, wParam, lParam);
}

INT_PTR CALLBACK ForegroundRegionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        if (!InitRegionsDialog(dialog)) {
            ShowErrorMessage(RESULT_OUT_OF_MEMORY);
            EndDialog(dialog, 0);
        }
        return TRUE;
    case WM_COMMAND: return OnRegionsCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_DRAWITEM: DrawRegionButton(dialog, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_SIZE:
        if (DialogState(dialog) && EditorOf(EditorWindow(dialog))) LayOutEditor(dialog);
        return TRUE;
    case WM_GETMINMAXINFO:
        if (RegionDialogState* state = DialogState(dialog)) {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            if (state->minimumSize.cx) info->ptMinTrackSize = {state->minimumSize.cx, state->minimumSize.cy};
            info->ptMaxTrackSize = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        }
        return TRUE;
    case WM_DESTROY:
        if (RegionDialogState* state = DialogState(dialog)) {
            if (state->icons) DeleteObject(state->icons);
            delete state;
            SetWindowLongPtrA(dialog, DWLP_USER, 0);
        }
        return FALSE;
    default: return DefaultCtlColor(message);
    }
}
