// The image library's "AVIREEL" strip in a real window: its messages,
// selection rules, keyboard and mouse, scrolling, the requests to draw
// items, and the colours of its film, gaps and outlines on the screen.
#include "ConvTestSupport.h"
#include "ReelStrip.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr int STRIP_ID = 111;
constexpr COLORREF ITEM_COLOR = RGB(255, 255, 0);
constexpr COLORREF GAP = RGB(0, 128, 128);
constexpr COLORREF CYAN = RGB(0, 255, 255);
constexpr COLORREF GREEN = RGB(0, 255, 0);
// Offsets of the strip's state in its window bytes.
constexpr int SLOT_DRAW_WIDTH = 4;
constexpr int SLOT_DRAW_HEIGHT = 8;
constexpr int SLOT_SCROLL = 12;
constexpr int SLOT_PAGE_ITEMS = 16;

struct Notification {
    WORD code;
    LPARAM item;
};
std::vector<Notification> g_notes;
std::vector<int> g_drawn;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && LOWORD(wParam) == STRIP_ID) {
        g_notes.push_back({HIWORD(wParam), lParam});
        return 0;
    }
    if (message == AVIREEL_DRAW_ITEM && wParam == STRIP_ID) {
        const auto* item = reinterpret_cast<const ReelDrawItem*>(lParam);
        g_drawn.push_back(item->index);
        const RECT box{item->x, item->y, item->x + item->width, item->y + item->height};
        HBRUSH brush = CreateSolidBrush(ITEM_COLOR);
        FillRect(item->dc, &box, brush);
        DeleteObject(brush);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A top-level window holding one strip of the given client size.
class StripWindow {
public:
    StripWindow(int width, int height, DWORD style)
    {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA cls{};
            cls.lpfnWndProc = ParentProc;
            cls.hInstance = GetModuleHandleA(nullptr);
            cls.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
            cls.lpszClassName = "ReelStripTestParent";
            registered = RegisterClassA(&cls) != 0;
        }
        parent_ = CreateWindowA("ReelStripTestParent", "Reel strip test", WS_POPUP | WS_VISIBLE, 40, 40, width + 40,
                                height + 40, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        // The class belongs to the library's module.
        strip_ = CreateWindowA("AVIREEL", "", WS_CHILD | WS_VISIBLE | style, 20, 20, width, height, parent_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(STRIP_ID)), Conv().module, nullptr);
        SetWindowPos(parent_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        g_notes.clear();
        g_drawn.clear();
    }
    ~StripWindow() { DestroyWindow(parent_); }
    StripWindow(const StripWindow&) = delete;
    StripWindow& operator=(const StripWindow&) = delete;
    HWND Strip() const { return strip_; }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return SendMessageA(strip_, message, wParam, lParam);
    }
    int Slot(int offset) const { return static_cast<int>(GetWindowLongA(strip_, offset)); }
    int ItemLeft(int index) const { return 12 + index * (Slot(SLOT_DRAW_WIDTH) + 12) - Slot(SLOT_SCROLL); }
    void Key(WPARAM key) const { Send(WM_KEYDOWN, key, 0); }
    void Click(UINT message, int x, int y) const { Send(message, 0, MAKELPARAM(x, y)); }
    COLORREF Pixel(int x, int y) const
    {
        HDC dc = GetDC(strip_);
        const COLORREF color = GetPixel(dc, x, y);
        ReleaseDC(strip_, dc);
        return color;
    }
    void Paint(bool erase) const
    {
        InvalidateRect(strip_, nullptr, erase);
        UpdateWindow(strip_);
        GdiFlush();
    }

private:
    HWND parent_ = nullptr;
    HWND strip_ = nullptr;
};

class ReelStrip : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Conv().complete); }
};

int CountNotes(WORD code)
{
    int count = 0;
    for (const Notification& n : g_notes) count += n.code == code ? 1 : 0;
    return count;
}

TEST_F(ReelStrip, SelectionOnlyWithTheStyleBitAndCutToTheItems)
{
    StripWindow plain(300, 80, 0);
    plain.Send(AVIREEL_SET_ITEMS, 10, MAKELPARAM(32, 32));
    plain.Send(AVIREEL_SET_SELECTION, 1, MAKELPARAM(0, 9));
    EXPECT_EQ(0, plain.Send(AVIREEL_GET_SELECTED_COUNT));
    EXPECT_TRUE(g_notes.empty());

    StripWindow multi(300, 80, AVIREEL_MULTISELECT);
    multi.Send(AVIREEL_SET_ITEMS, 10, MAKELPARAM(32, 32));
    EXPECT_EQ(10, multi.Send(AVIREEL_GET_COUNT));
    multi.Send(AVIREEL_SET_SELECTION, 1, MAKELPARAM(0, 999));
    EXPECT_EQ(10, multi.Send(AVIREEL_GET_SELECTED_COUNT));
    ASSERT_EQ(1u, g_notes.size());
    EXPECT_EQ(AVIREEL_SELECTION_CHANGED, g_notes[0].code);
    EXPECT_EQ(0, g_notes[0].item);
    EXPECT_EQ(1, multi.Send(AVIREEL_IS_SELECTED, 9));
    EXPECT_EQ(0, multi.Send(AVIREEL_IS_SELECTED, 10));
    EXPECT_EQ(0, multi.Send(AVIREEL_IS_SELECTED, static_cast<WPARAM>(-1)));
    multi.Send(AVIREEL_SET_SELECTION, 0, MAKELPARAM(5, 2));  // first after last: nothing
    EXPECT_EQ(10, multi.Send(AVIREEL_GET_SELECTED_COUNT));
    EXPECT_EQ(1u, g_notes.size());
    multi.Send(AVIREEL_SET_SELECTION, 0, MAKELPARAM(2, 4));
    EXPECT_EQ(7, multi.Send(AVIREEL_GET_SELECTED_COUNT));

    // A new count discards the selection and the current item.
    multi.Send(AVIREEL_SET_CURRENT, 3, 0);
    multi.Send(AVIREEL_SET_ITEMS, 5, MAKELPARAM(32, 32));
    EXPECT_EQ(0, multi.Send(AVIREEL_GET_SELECTED_COUNT));
    EXPECT_EQ(-1, multi.Send(AVIREEL_GET_CURRENT));
    // A negative count is none.
    multi.Send(AVIREEL_SET_ITEMS, static_cast<WPARAM>(-3), MAKELPARAM(32, 32));
    EXPECT_EQ(0, multi.Send(AVIREEL_GET_COUNT));
    EXPECT_EQ(0, multi.Send(AVIREEL_GET_SELECTED_COUNT));
}

TEST_F(ReelStrip, CurrentItemAndSpace)
{
    StripWindow w(300, 80, AVIREEL_MULTISELECT);
    w.Send(AVIREEL_SET_ITEMS, 10, MAKELPARAM(32, 32));
    EXPECT_EQ(-1, w.Send(AVIREEL_GET_CURRENT));
    w.Send(AVIREEL_SET_CURRENT, 3, 0);
    EXPECT_EQ(3, w.Send(AVIREEL_GET_CURRENT));
    // The same index again returns at once, without a repaint.
    UpdateWindow(w.Strip());
    ValidateRect(w.Strip(), nullptr);
    w.Send(AVIREEL_SET_CURRENT, 3, 0);
    EXPECT_FALSE(GetUpdateRect(w.Strip(), nullptr, FALSE));
    w.Send(AVIREEL_SET_CURRENT, 10, 0);
    EXPECT_EQ(3, w.Send(AVIREEL_GET_CURRENT));

    w.Key(VK_SPACE);
    EXPECT_EQ(1, w.Send(AVIREEL_IS_SELECTED, 3));
    w.Key(VK_SPACE);
    EXPECT_EQ(0, w.Send(AVIREEL_IS_SELECTED, 3));
    EXPECT_EQ(2, CountNotes(AVIREEL_SELECTION_CHANGED));

    // Any negative index means no current item; Space then selects nothing.
    w.Send(AVIREEL_SET_CURRENT, static_cast<WPARAM>(-7), 0);
    EXPECT_EQ(-1, w.Send(AVIREEL_GET_CURRENT));
    g_notes.clear();
    w.Key(VK_SPACE);
    EXPECT_EQ(0, w.Send(AVIREEL_GET_SELECTED_COUNT));
    EXPECT_TRUE(g_notes.empty());
}

TEST_F(ReelStrip, KeyboardMovesTheCurrentItemWithinTheRange)
{
    StripWindow w(300, 80, 0);
    EXPECT_EQ(DLGC_WANTARROWS, w.Send(WM_GETDLGCODE));
    w.Send(AVIREEL_SET_ITEMS, 20, MAKELPARAM(32, 32));
    struct Step {
        WPARAM key;
        int current;
    };
    const int page = w.Slot(SLOT_PAGE_ITEMS);
    ASSERT_GE(page, 2);
    const Step steps[] = {{VK_RIGHT, 0}, {VK_RIGHT, 1}, {VK_NEXT, 1 + page}, {VK_END, 19}, {VK_RIGHT, 19},
                          {VK_PRIOR, 19 - page}, {VK_HOME, 0}, {VK_LEFT, 0}};
    int moves = 0;
    for (const Step& s : steps) {
        const int before = static_cast<int>(w.Send(AVIREEL_GET_CURRENT));
        w.Key(s.key);
        EXPECT_EQ(s.current, w.Send(AVIREEL_GET_CURRENT)) << "key " << s.key;
        if (s.current != before) {
            ++moves;
            ASSERT_EQ(static_cast<size_t>(moves), g_notes.size()) << "key " << s.key;
            EXPECT_EQ(AVIREEL_KEY_MOVED, g_notes.back().code);
            EXPECT_EQ(s.current, g_notes.back().item);
        }
    }
    EXPECT_EQ(static_cast<size_t>(moves), g_notes.size()) << "a key that moves nothing tells nothing";
}

TEST_F(ReelStrip, EndOnAHundredItemsScrollsTheLastToTheRightEdge)
{
    StripWindow w(300, 64, 0);
    w.Send(AVIREEL_SET_ITEMS, 100, MAKELPARAM(32, 32));
    const int drawWidth = w.Slot(SLOT_DRAW_WIDTH), slot = drawWidth + 12;
    EXPECT_EQ(w.Slot(SLOT_DRAW_HEIGHT), drawWidth) << "square items stay square";
    w.Key(VK_END);
    EXPECT_EQ(99, w.Send(AVIREEL_GET_CURRENT));
    EXPECT_EQ(slot * 99 + 18 - (300 - 6 - drawWidth), w.Slot(SLOT_SCROLL));
    EXPECT_EQ(300 - 12, w.ItemLeft(99) + drawWidth);
    // Home scrolls back to the start.
    w.Key(VK_HOME);
    EXPECT_EQ(0, w.Slot(SLOT_SCROLL));
}

TEST_F(ReelStrip, MouseHitsPicturesNotGapsOrFilm)
{
    StripWindow w(300, 80, 0);
    w.Send(AVIREEL_SET_ITEMS, 3, MAKELPARAM(32, 32));
    const int drawWidth = w.Slot(SLOT_DRAW_WIDTH), drawHeight = w.Slot(SLOT_DRAW_HEIGHT);
    const int middle = 8 + drawHeight / 2;
    SetFocus(GetParent(w.Strip()));
    w.Click(WM_LBUTTONDOWN, w.ItemLeft(1) + 1, middle);
    EXPECT_EQ(w.Strip(), GetFocus()) << "a press takes the focus";
    w.Click(WM_LBUTTONDOWN, w.ItemLeft(1) + drawWidth + 3, middle);  // the gap after item 1
    w.Click(WM_LBUTTONDOWN, w.ItemLeft(1) + 1, 4);                    // the film above it
    w.Click(WM_LBUTTONDOWN, w.ItemLeft(3) + 1, middle);               // where a fourth item would be
    w.Click(WM_LBUTTONDBLCLK, w.ItemLeft(2) + drawWidth - 1, middle);
    w.Click(WM_RBUTTONDOWN, w.ItemLeft(0), 8 + drawHeight - 1);
    ASSERT_EQ(3u, g_notes.size());
    EXPECT_EQ(AVIREEL_CLICKED, g_notes[0].code);
    EXPECT_EQ(1, g_notes[0].item);
    EXPECT_EQ(AVIREEL_DOUBLE_CLICKED, g_notes[1].code);
    EXPECT_EQ(2, g_notes[1].item);
    EXPECT_EQ(AVIREEL_RIGHT_CLICKED, g_notes[2].code);
    EXPECT_EQ(0, g_notes[2].item);
}

TEST_F(ReelStrip, ScrollBarStepsAtLeastOneUnit)
{
    // Items so narrow that a slot is under 32 pixels: each line step still moves.
    StripWindow w(200, 80, 0);
    w.Send(AVIREEL_SET_ITEMS, 100, MAKELPARAM(4, 32));
    ASSERT_LT(w.Slot(SLOT_DRAW_WIDTH) + 12, 32);
    HWND bar = GetDlgItem(w.Strip(), REEL_SCROLLBAR_ID);
    ASSERT_NE(nullptr, bar);
    w.Send(WM_HSCROLL, SB_LINERIGHT, reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(1, GetScrollPos(bar, SB_CTL));
    EXPECT_EQ(32, w.Slot(SLOT_SCROLL));
    w.Send(WM_HSCROLL, SB_RIGHT, reinterpret_cast<LPARAM>(bar));
    int low = 0, high = 0;
    GetScrollRange(bar, SB_CTL, &low, &high);
    EXPECT_EQ(high, GetScrollPos(bar, SB_CTL));
    EXPECT_EQ(high * 32, w.Slot(SLOT_SCROLL));
    w.Send(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 3), reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(96, w.Slot(SLOT_SCROLL));
    w.Send(WM_HSCROLL, SB_LINELEFT, reinterpret_cast<LPARAM>(bar));
    w.Send(WM_HSCROLL, SB_PAGELEFT, reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(0, w.Slot(SLOT_SCROLL));
}

TEST_F(ReelStrip, PaintsFilmGapsOutlinesAndAsksForItemsOnlyAfterAnErase)
{
    StripWindow w(300, 80, AVIREEL_MULTISELECT);
    w.Send(AVIREEL_SET_ITEMS, 3, MAKELPARAM(32, 32));
    w.Send(AVIREEL_SET_CURRENT, 0, 0);
    w.Send(AVIREEL_SET_SELECTION, 1, MAKELPARAM(1, 1));
    SetFocus(w.Strip());
    g_drawn.clear();
    w.Paint(true);
    EXPECT_EQ((std::vector<int>{0, 1, 2}), g_drawn);
    const int drawWidth = w.Slot(SLOT_DRAW_WIDTH), middle = 8 + w.Slot(SLOT_DRAW_HEIGHT) / 2;
    const int left0 = w.ItemLeft(0), left1 = w.ItemLeft(1);
    EXPECT_EQ(ITEM_COLOR, w.Pixel(left0 + drawWidth / 2, middle));
    EXPECT_EQ(GAP, w.Pixel(left0 + drawWidth + 6, middle));
    EXPECT_EQ(GAP, w.Pixel(w.ItemLeft(2) + drawWidth + 40, middle)) << "the strip after the last item";
    // The current item, focused: two pixels of green.
    EXPECT_EQ(GREEN, w.Pixel(left0 - 1, middle));
    EXPECT_EQ(GREEN, w.Pixel(left0 - 2, middle));
    EXPECT_EQ(GAP, w.Pixel(left0 - 3, middle));
    // The selected item: one pixel of cyan.
    EXPECT_EQ(CYAN, w.Pixel(left1 - 1, middle));
    EXPECT_EQ(GAP, w.Pixel(left1 - 2, middle));
    // The film's edge: the sprocket band of bitmap 100 (a hole at x 3-8, y 2-5).
    EXPECT_EQ(RGB(224, 224, 208), w.Pixel(5, 3));
    EXPECT_EQ(RGB(16, 16, 16), w.Pixel(0, 3));
    EXPECT_EQ(RGB(224, 224, 208), w.Pixel(5, 8 + w.Slot(SLOT_DRAW_HEIGHT) + 3)) << "the bottom edge";

    // Without the focus the current outline is one pixel wide; a repaint
    // without an erase does not ask for the items again.
    SetFocus(GetParent(w.Strip()));
    g_drawn.clear();
    w.Paint(false);
    EXPECT_TRUE(g_drawn.empty());
    EXPECT_EQ(GREEN, w.Pixel(left0 - 1, middle));
    EXPECT_EQ(GAP, w.Pixel(left0 - 2, middle));
}

}  // namespace
