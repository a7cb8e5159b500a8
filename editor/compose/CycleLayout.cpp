// The layout of "Define Cycle": the two strips share what the middle band
// leaves of the height, the three group boxes and the button row share the
// width; the size is remembered between openings, and minimising the dialog
// minimises the editor with it.
#include "AppState.h"
#include "ComposeResources.h"
#include "CycleDialogState.h"
#include "resource.h"
#include <algorithm>

namespace {

constexpr int MARGIN = 5;
constexpr int MIN_STRIPS_HEIGHT = 112;  // both strips together at the smallest size
constexpr int MAX_STRIPS_HEIGHT = 448;
constexpr int MAX_CLIENT_WIDTH = 960;
constexpr int GROUP_COUNT = 3;
constexpr int BUTTON_COUNT = 5;
const int GROUP_IDS[GROUP_COUNT] = {IDC_CYCLE_STEP_GROUP, IDC_CYCLE_BRANCH_GROUP, IDC_CYCLE_EXTRAS_GROUP};

// The size "Define Cycle" had when it was last closed (one per editor): the
// window's size while it was neither minimised nor maximised, and whether it
// ended maximised.
struct CyclePlacement {
    SIZE size;
    bool known;
    bool maximised;
};
CyclePlacement g_cyclePlacement;

RECT ChildRect(HWND dialog, HWND child)
{
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int GroupContaining(const CycleDialogState& state, const RECT& r)
{
    const POINT centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    for (int g = 0; g < GROUP_COUNT; ++g)
        if (PtInRect(&state.groupRects[g], centre)) return g;
    return -1;
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

}  // namespace

void InitCycleLayout(HWND dialog)
{
    CycleDialogState* state = CycleState(dialog);
    RECT client, window;
    GetClientRect(dialog, &client);
    GetWindowRect(dialog, &window);
    state->templateClient = {client.right, client.bottom};
    state->frameExtra = {Width(window) - client.right, Height(window) - client.bottom};
    const RECT top = ChildRect(dialog, FramesStrip(dialog));
    const RECT bottom = ChildRect(dialog, StepsStrip(dialog));
    state->templateStripHeight = Height(top);
    state->middleBand = client.bottom - Height(top) - Height(bottom);
    for (int g = 0; g < GROUP_COUNT; ++g) state->groupRects[g] = ChildRect(dialog, GetDlgItem(dialog, GROUP_IDS[g]));
    state->places.clear();
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (child == FramesStrip(dialog) || child == StepsStrip(dialog)) continue;
        const RECT r = ChildRect(dialog, child);
        int group = GroupContaining(*state, r);
        for (int g = 0; g < GROUP_COUNT; ++g)
            if (GetDlgCtrlID(child) == GROUP_IDS[g]) group = g;
        state->places.push_back({child, r, group});
    }
    // The strips' top edge in the template, which the middle band hangs from.
    state->templateStripTop = top.top;
}

void LayoutCycleDialog(HWND dialog, int width, int height)
{
    CycleDialogState* state = CycleState(dialog);
    if (!state || state->places.empty()) return;
    const int stripHeight = std::max(0, (height - state->middleBand) / 2);
    const int stripWidth = std::max(0, width - 2 * MARGIN);
    const int shiftY = MARGIN + stripHeight - (state->templateStripTop + state->templateStripHeight);

    int natural = 0;
    for (const RECT& r : state->groupRects) natural += Width(r);
    const int extra = (width - natural - 4 * MARGIN) / GROUP_COUNT;
    int groupLeft[GROUP_COUNT], groupWidth[GROUP_COUNT];
    int x = MARGIN;
    for (int g = 0; g < GROUP_COUNT; ++g) {
        groupLeft[g] = x;
        groupWidth[g] = std::max(0, Width(state->groupRects[g]) + extra);
        x += groupWidth[g] + MARGIN;
    }
    const int buttonWidth = std::max(0, (width - (BUTTON_COUNT + 1) * MARGIN) / BUTTON_COUNT);

    HDWP batch = BeginDeferWindowPos(static_cast<int>(state->places.size()) + 2);
    auto place = [&batch](HWND window, int left, int top, int w, int h) {
        if (batch) batch = DeferWindowPos(batch, window, nullptr, left, top, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(FramesStrip(dialog), MARGIN, MARGIN, stripWidth, stripHeight);
    place(StepsStrip(dialog), MARGIN, height - MARGIN - stripHeight, stripWidth, stripHeight);
    for (const ControlPlace& p : state->places) {
        const int id = GetDlgCtrlID(p.window);
        const int top = p.rect.top + shiftY;
        if (id >= IDC_CYCLE_ADD && id <= IDC_CYCLE_OK) {
            place(p.window, MARGIN + (id - IDC_CYCLE_ADD) * (buttonWidth + MARGIN), top, buttonWidth, Height(p.rect));
        } else if (p.group >= 0 && id == GROUP_IDS[p.group]) {
            place(p.window, groupLeft[p.group], top, groupWidth[p.group], Height(p.rect));
        } else if (p.group >= 0) {
            const int shiftX = groupLeft[p.group] - state->groupRects[p.group].left;
            place(p.window, p.rect.left + shiftX, top, Width(p.rect), Height(p.rect));
        } else {
            place(p.window, p.rect.left, top, Width(p.rect), Height(p.rect));
        }
    }
    if (batch) EndDeferWindowPos(batch);
    InvalidateRect(dialog, nullptr, TRUE);
}

void PlaceCycleDialog(HWND dialog)
{
    RECT window;
    GetWindowRect(dialog, &window);
    SIZE size = {Width(window), Height(window)};
    if (g_cyclePlacement.known) size = g_cyclePlacement.size;
    RECT around;
    HWND owner = g_appState.mainWindow ? g_appState.mainWindow : GetParent(dialog);
    if (!owner || !GetWindowRect(owner, &around)) GetWindowRect(GetDesktopWindow(), &around);
    const SIZE screen = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const POINT at = CenteredPosition(around, size, screen);
    SetWindowPos(dialog, nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    if (g_cyclePlacement.maximised) ShowWindow(dialog, SW_MAXIMIZE);
}

void RememberCycleDialogSize(HWND dialog, UINT sizeType)
{
    if (sizeType == SIZE_MAXIMIZED) {
        g_cyclePlacement.maximised = true;
    } else if (sizeType == SIZE_RESTORED) {
        RECT window;
        GetWindowRect(dialog, &window);
        g_cyclePlacement = {{Width(window), Height(window)}, true, false};
    }
}

void LimitCycleDialogSize(HWND dialog, MINMAXINFO* info)
{
    const CycleDialogState* state = CycleState(dialog);
    if (!state || state->places.empty()) return;
    info->ptMinTrackSize = {state->templateClient.cx + state->frameExtra.cx,
                            state->middleBand + MIN_STRIPS_HEIGHT + state->frameExtra.cy};
    info->ptMaxTrackSize = {MAX_CLIENT_WIDTH + state->frameExtra.cx, state->middleBand + MAX_STRIPS_HEIGHT + state->frameExtra.cy};
}

void PaintMinimisedCycleDialog(HWND dialog)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    FillRect(dc, &paint.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
    if (HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_MAIN_WINDOW))) DrawIcon(dc, 0, 0, icon);
    EndPaint(dialog, &paint);
}
