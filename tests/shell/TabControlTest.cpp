// "TABCTL" driven by its messages and clicks in a hidden parent window: the
// tab records, the names block, the page items it shows and hides, and the
// notification the parent gets.
#include "TabControl.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

constexpr int TAB_ID = 1800;
constexpr int NO_TAB = -1;

// What the parent saw when it was told of a new tab.
struct Notice {
    WPARAM wParam;
    LPARAM lParam;
    int currentThen;  // TABCTL_GET_CURRENT inside the notification
    int shownTab;     // the tab whose page items were visible then
};
std::vector<Notice> g_notices;

// Page items: tab t of the fixture owns ids 2000 + 10 t .. 2000 + 10 t + 2.
constexpr int ItemBase(int tab) { return 2000 + 10 * tab; }
bool Visible(HWND parent, int id) { return (GetWindowLongA(GetDlgItem(parent, id), GWL_STYLE) & WS_VISIBLE) != 0; }

// The one tab (of `tabs` named "A".."D" page ranges) whose items are visible,
// NO_TAB for none, -2 when more than one page shows.
int ShownPage(HWND parent, int tabs = 4)
{
    int shown = NO_TAB;
    for (int t = 0; t < tabs; ++t) {
        bool all = true, any = false;
        for (int i = 0; i < 3; ++i) {
            const bool v = Visible(parent, ItemBase(t) + i);
            all = all && v;
            any = any || v;
        }
        if (any && !all) return -2;
        if (any) {
            if (shown != NO_TAB) return -2;
            shown = t;
        }
    }
    return shown;
}

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && LOWORD(wParam) == TAB_ID) {
        HWND control = reinterpret_cast<HWND>(lParam);
        const int current = static_cast<int>(SendMessageA(control, TABCTL_GET_CURRENT, 0, 0));
        g_notices.push_back({wParam, lParam, current, ShownPage(window)});
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class TabControl : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        RegisterTabControl(GetModuleHandleA(nullptr));
        WNDCLASSA cls{};
        cls.lpfnWndProc = ParentProc;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = "TabTestParent";
        RegisterClassA(&cls);
    }
    void SetUp() override
    {
        g_notices.clear();
        // Hidden: the tests read the items' own WS_VISIBLE bits.
        parent_ = CreateWindowExA(0, "TabTestParent", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        for (int t = 0; t < 4; ++t)
            for (int i = 0; i < 3; ++i)
                CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 40, 20, 10, parent_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(ItemBase(t) + i)), nullptr, nullptr);
    }
    void TearDown() override { DestroyWindow(parent_); }

    HWND MakeControl(DWORD style, const char* text, int width = 400)
    {
        return CreateWindowExA(0, "TABCTL", text, WS_CHILD | style, 0, 0, width, 200, parent_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(TAB_ID)), GetModuleHandleA(nullptr), nullptr);
    }
    // Four named tabs "A".."D", each owning its page, tab `current` current.
    HWND FourTabs(int current)
    {
        HWND control = MakeControl(TABCTL_STYLE_NAMED, "A");
        for (const char* name : {"B", "C", "D"}) Send(control, TABCTL_ADD_TAB, 0, reinterpret_cast<LPARAM>(name));
        for (int t = 0; t < 4; ++t) Send(control, TABCTL_SET_TAB_ITEMS, t, MAKELPARAM(ItemBase(t), ItemBase(t) + 2));
        Send(control, TABCTL_SELECT_TAB, current, 0);
        g_notices.clear();
        return control;
    }
    static LRESULT Send(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
    {
        return SendMessageA(control, message, wParam, lParam);
    }
    static std::string Text(HWND control, int tab)
    {
        char buffer[64] = "?";
        const LRESULT length = Send(control, TABCTL_GET_TAB_TEXT, tab, reinterpret_cast<LPARAM>(buffer));
        EXPECT_EQ(static_cast<LRESULT>(strlen(buffer)), length);
        return buffer;
    }
    HWND parent_ = nullptr;
};

TEST_F(TabControl, StartsWithOneTabNamedByItsWindowText)
{
    HWND named = MakeControl(TABCTL_STYLE_NAMED, "&Editor");
    EXPECT_EQ(1, Send(named, TABCTL_GET_COUNT, 0, 0));
    EXPECT_EQ(0, Send(named, TABCTL_GET_CURRENT, 0, 0));
    EXPECT_EQ("&Editor", Text(named, 0));
    EXPECT_EQ(1, Send(named, TABCTL_IS_TAB_ENABLED, 0, 0));

    HWND empty = MakeControl(TABCTL_STYLE_NAMED, "");
    EXPECT_EQ("", Text(empty, 0));
    Send(empty, TABCTL_SET_TAB_TEXT, 0, reinterpret_cast<LPARAM>("&Palette"));
    EXPECT_EQ("&Palette", Text(empty, 0));

    // Unnamed tabs are numbered: the text asked for is the 0-based index.
    HWND numbered = MakeControl(0, "ignored");
    Send(numbered, TABCTL_ADD_TAB, 0, 0);
    EXPECT_EQ("0", Text(numbered, 0));
    EXPECT_EQ("1", Text(numbered, 1));
    EXPECT_EQ("", Text(numbered, 2));  // not below the count
}

TEST_F(TabControl, EditorSettingsSetUpShowsOnlyTheCurrentPage)
{
    HWND control = MakeControl(TABCTL_STYLE_NAMED, "");
    Send(control, TABCTL_SET_TAB_TEXT, 0, reinterpret_cast<LPARAM>("&Editor"));
    EXPECT_EQ(1, Send(control, TABCTL_SET_TAB_ITEMS, 0, MAKELPARAM(ItemBase(0), ItemBase(0) + 2)));
    EXPECT_EQ(1, Send(control, TABCTL_ADD_TAB, 0, reinterpret_cast<LPARAM>("&Palette")));
    // A tab that is not current has its items hidden at once.
    EXPECT_EQ(1, Send(control, TABCTL_SET_TAB_ITEMS, 1, MAKELPARAM(ItemBase(1), ItemBase(1) + 2)));
    EXPECT_EQ(0, ShownPage(parent_, 2));
    EXPECT_EQ("&Palette", Text(control, 1));
    EXPECT_TRUE(g_notices.empty());

    // A range with a zero end never shows or hides anything.
    Send(control, TABCTL_SET_TAB_ITEMS, 1, MAKELPARAM(ItemBase(2), 0));
    EXPECT_TRUE(Visible(parent_, ItemBase(2)));
}

TEST_F(TabControl, SelectingNotifiesAfterTheIndexChangesAndBeforeThePagesSwap)
{
    HWND control = FourTabs(0);
    EXPECT_EQ(0, ShownPage(parent_));
    EXPECT_EQ(0, Send(control, TABCTL_SELECT_TAB, 2, 0));
    ASSERT_EQ(1u, g_notices.size());
    EXPECT_EQ(MAKEWPARAM(TAB_ID, 0), g_notices[0].wParam);
    EXPECT_EQ(reinterpret_cast<LPARAM>(control), g_notices[0].lParam);
    EXPECT_EQ(2, g_notices[0].currentThen);
    EXPECT_EQ(0, g_notices[0].shownTab);  // the old page still showed
    EXPECT_EQ(2, ShownPage(parent_));

    // Already current: no notice, answer 1.
    EXPECT_EQ(1, Send(control, TABCTL_SELECT_TAB, 2, 0));
    EXPECT_EQ(1u, g_notices.size());
}

TEST_F(TabControl, DisabledTabsAndIndicesBeyondTheCountAreRefused)
{
    HWND control = FourTabs(0);
    // A last tab beyond the count counts as the last tab.
    EXPECT_EQ(0, Send(control, TABCTL_ENABLE_TABS, 0, MAKELPARAM(2, 40)));
    for (int t = 0; t < 4; ++t) EXPECT_EQ(t < 2 ? 1 : 0, Send(control, TABCTL_IS_TAB_ENABLED, t, 0)) << t;
    EXPECT_EQ(1, Send(control, TABCTL_SELECT_TAB, 3, 0));
    EXPECT_EQ(0, Send(control, TABCTL_GET_CURRENT, 0, 0));

    // Indices the control never had: refused, nothing read or written past the records.
    for (WPARAM bad : {WPARAM(4), WPARAM(1000), static_cast<WPARAM>(-1)}) {
        EXPECT_EQ(0, Send(control, TABCTL_IS_TAB_ENABLED, bad, 0));
        EXPECT_EQ(1, Send(control, TABCTL_SELECT_TAB, bad, 0));
        EXPECT_EQ(0, Send(control, TABCTL_SET_TAB_ITEMS, bad, MAKELPARAM(ItemBase(1), ItemBase(1) + 2)));
        EXPECT_EQ(0, Send(control, TABCTL_DELETE_TAB, bad, 0));
    }
    EXPECT_EQ(0, Send(control, TABCTL_GET_CURRENT, 0, 0));
    EXPECT_EQ(4, Send(control, TABCTL_GET_COUNT, 0, 0));
    EXPECT_EQ(0, ShownPage(parent_));
    EXPECT_TRUE(g_notices.empty());

    EXPECT_EQ(0, Send(control, TABCTL_ENABLE_TABS, 1, MAKELPARAM(0, 3)));
    EXPECT_EQ(0, Send(control, TABCTL_SELECT_TAB, 3, 0));
}

TEST_F(TabControl, DeletingKeepsTheCurrentTabAndItsPage)
{
    struct Case {
        int current, deleted;
        int currentAfter;   // index
        int shownAfter;     // original tab whose page shows
        size_t notices;
        const char* names;  // the texts left, in order
    };
    const Case cases[] = {
        {2, 0, 1, 2, 1, "BCD"},  // before the current tab: the same tab stays current
        {2, 1, 1, 2, 1, "ACD"},
        {2, 2, 1, 1, 1, "ABD"},  // the current tab: the one before becomes current
        {3, 3, 2, 2, 1, "ABC"},
        {0, 0, 0, 1, 0, "BCD"},  // tab 0 while current: the former tab 1, unannounced
        {1, 3, 1, 1, 0, "ABC"},  // after the current tab
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "current " << c.current << ", delete " << c.deleted);
        HWND control = FourTabs(c.current);
        ASSERT_EQ(c.current, ShownPage(parent_));
        EXPECT_EQ(1, Send(control, TABCTL_DELETE_TAB, c.deleted, 0));
        EXPECT_EQ(3, Send(control, TABCTL_GET_COUNT, 0, 0));
        EXPECT_EQ(c.currentAfter, Send(control, TABCTL_GET_CURRENT, 0, 0));
        EXPECT_EQ(c.shownAfter, ShownPage(parent_));
        ASSERT_EQ(c.notices, g_notices.size());
        if (c.notices) {
            EXPECT_EQ(c.currentAfter, g_notices[0].currentThen);
        }
        EXPECT_EQ(c.names, Text(control, 0) + Text(control, 1) + Text(control, 2));
        DestroyWindow(control);
        for (int t = 0; t < 4; ++t)
            for (int i = 0; i < 3; ++i) ShowWindow(GetDlgItem(parent_, ItemBase(t) + i), SW_SHOW);
        g_notices.clear();
    }
}

TEST_F(TabControl, TheLastTabCannotBeDeleted)
{
    HWND control = MakeControl(TABCTL_STYLE_NAMED, "only");
    EXPECT_EQ(0, Send(control, TABCTL_DELETE_TAB, 0, 0));
    EXPECT_EQ(1, Send(control, TABCTL_GET_COUNT, 0, 0));
    EXPECT_EQ("only", Text(control, 0));
}

TEST_F(TabControl, TextsAreKeptToSixtyThreeCharacters)
{
    const std::string longText(200, 'x');
    const std::string kept(63, 'x');
    HWND control = MakeControl(TABCTL_STYLE_NAMED, std::string(80, 'x').c_str());
    EXPECT_EQ(kept, Text(control, 0));
    Send(control, TABCTL_ADD_TAB, 0, reinterpret_cast<LPARAM>(longText.c_str()));
    Send(control, TABCTL_ADD_TAB, 0, reinterpret_cast<LPARAM>("third"));
    EXPECT_EQ(kept, Text(control, 1));
    EXPECT_EQ("third", Text(control, 2));
    // Replacing a text in the middle leaves the texts behind it whole.
    Send(control, TABCTL_SET_TAB_TEXT, 1, reinterpret_cast<LPARAM>(std::string(130, 'y').c_str()));
    EXPECT_EQ(std::string(63, 'y'), Text(control, 1));
    EXPECT_EQ("third", Text(control, 2));
    Send(control, TABCTL_SET_TAB_TEXT, 1, reinterpret_cast<LPARAM>("b"));
    EXPECT_EQ("b", Text(control, 1));
    EXPECT_EQ("third", Text(control, 2));
    // A null text adds an empty tab.
    EXPECT_EQ(3, Send(control, TABCTL_ADD_TAB, 0, 0));
    EXPECT_EQ("", Text(control, 3));
}

TEST_F(TabControl, NumberFormatsAreUsedOnlyWhenTheyHoldOneIntegerConversion)
{
    struct Case {
        const char* format;
        int number;
        const char* label;
    };
    const Case cases[] = {
        {"%d", 3, "3"},
        {"Page %d", 1, "Page 1"},
        {"%03d.", 7, "007."},
        {"100%% %x", 255, "100% ff"},
        {"%-4d|", 2, "2   |"},
        {"%s", 1, "%s"},           // would read the number as a pointer
        {"%d of %d", 1, "%d of %d"},
        {"%c", 65, "%c"},
        {"%", 1, "%"},
        {"%I64d", 1, "%I64d"},
        {"%%", 1, "%%"},           // no conversion at all
        {"plain", 1, "plain"},
    };
    for (const Case& c : cases) {
        char out[64] = "?";
        EXPECT_EQ(static_cast<int>(strlen(c.label)), FormatTabLabel(c.format, c.number, out)) << c.format;
        EXPECT_STREQ(c.label, out) << c.format;
    }
    // A wide field is cut to the label's 63 characters, never past it.
    char out[64];
    EXPECT_EQ(63, FormatTabLabel("%-500d|", 5, out));
    EXPECT_EQ('5', out[0]);
    EXPECT_EQ(' ', out[62]);

    HWND control = MakeControl(TABCTL_STYLE_NUMBER_FORMAT, "Scene %s");
    EXPECT_EQ("Scene %s", Text(control, 0));
    Send(control, TABCTL_SET_TAB_TEXT, 0, reinterpret_cast<LPARAM>("Scene %d"));
    EXPECT_EQ("Scene 0", Text(control, 0));
}

TEST_F(TabControl, AClickInTheStripSelectsTheTabUnderIt)
{
    HWND control = FourTabs(0);
    const int y = 4;
    Send(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(350, y));  // tab 3 of 100 pixels each
    EXPECT_EQ(3, Send(control, TABCTL_GET_CURRENT, 0, 0));
    EXPECT_EQ(3, ShownPage(parent_));
    // Below the strip: nothing but the focus.
    Send(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 150));
    EXPECT_EQ(3, Send(control, TABCTL_GET_CURRENT, 0, 0));
    // A disabled tab only beeps.
    Send(control, TABCTL_ENABLE_TABS, 0, MAKELPARAM(1, 1));
    Send(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, y));
    EXPECT_EQ(3, Send(control, TABCTL_GET_CURRENT, 0, 0));
    EXPECT_EQ(1u, g_notices.size());
}

TEST_F(TabControl, AControlWithoutWidthHasNoTabUnderAClick)
{
    HWND control = FourTabs(1);
    MoveWindow(control, 0, 0, 0, 200, FALSE);
    for (int x : {0, 1, 5, 399}) Send(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 4));
    // Narrower than its tab count: a tab is less than a pixel wide.
    MoveWindow(control, 0, 0, 3, 200, FALSE);
    Send(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 4));
    Send(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4));
    EXPECT_EQ(1, Send(control, TABCTL_GET_CURRENT, 0, 0));
    EXPECT_EQ(4, Send(control, TABCTL_GET_COUNT, 0, 0));
    EXPECT_TRUE(g_notices.empty());
}

TEST_F(TabControl, BottomTabsAreClickedAlongTheBottomEdge)
{
    HWND control = MakeControl(TABCTL_STYLE_NAMED | TABCTL_STYLE_BOTTOM, "A");
    Send(control, TABCTL_ADD_TAB, 0, reinterpret_cast<LPARAM>("B"));
    Send(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 4));  // the top edge is page
    EXPECT_EQ(0, Send(control, TABCTL_GET_CURRENT, 0, 0));
    Send(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 196));
    EXPECT_EQ(1, Send(control, TABCTL_GET_CURRENT, 0, 0));
}

}  // namespace
