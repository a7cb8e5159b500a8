// The "FILMSTRIP" control in a real window: its item messages with their jump
// targets, selection and notifications, the refusals that keep it inside its
// block, keys, scrolling past 16 bits and what its thumbnails show.
#include "AnimationTables.h"
#include "AppState.h"
#include "ShellControlSupport.h"
#include "FilmStrip.h"
#include "PackedDib.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kStripId = 1002;

struct Notice {
    int id;
    int code;
    LPARAM param;
    LRESULT selectionThen;  // what FILMSTRIP_GET_SELECTION answered while it was sent
    bool operator==(const Notice& o) const
    {
        return id == o.id && code == o.code && param == o.param && selectionThen == o.selectionThen;
    }
};
std::vector<Notice> g_notices;

std::ostream& operator<<(std::ostream& out, const Notice& n)
{
    return out << "{id " << n.id << " code " << n.code << " param " << n.param << " selection " << n.selectionThen << "}";
}

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && LOWORD(wParam) == kStripId) {
        HWND strip = GetDlgItem(window, kStripId);
        g_notices.push_back({LOWORD(wParam), HIWORD(wParam), lParam, SendMessageA(strip, FILMSTRIP_GET_SELECTION, 0, 0)});
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// An entry: its frame, and a jump target when `condition` is not 0.
struct Step {
    int frame, condition, target;
    bool operator==(const Step& o) const { return frame == o.frame && condition == o.condition && target == o.target; }
};
std::ostream& operator<<(std::ostream& out, const Step& s)
{
    return out << "{" << s.frame << " " << s.condition << " " << s.target << "}";
}
using Steps = std::vector<Step>;

ObjectStep MakeEntry(const Step& s)
{
    ObjectStep e{};
    e.frameIndex = static_cast<uint8_t>(s.frame);
    e.condition = static_cast<uint8_t>(s.condition);
    e.jumpTarget = s.target;
    e.x = 10 * s.frame;
    return e;
}

HGLOBAL MakeBlock(const Steps& steps)
{
    HGLOBAL block = AllocateStepBlock(static_cast<int>(steps.size() ? steps.size() : 1));
    GlobalLockGuard<ObjectStep> p(block);
    for (size_t i = 0; i < steps.size(); ++i) p.get()[i] = MakeEntry(steps[i]);
    return block;
}


void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

class FilmStripTest : public ::testing::Test {
public:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(RegisterEditorClassesOnce());
        WNDCLASSA cls{};
        cls.lpfnWndProc = ParentProc;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        cls.lpszClassName = "FilmStripTestParent";
        RegisterClassA(&cls);
    }
    void SetUp() override
    {
        const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0)};
        for (int i = 0; i < 4; ++i) g_appState.frameBitmaps[i] = SolidFrameBitmap(colours[i]);
        g_appState.frameCount = 4;
        g_appState.frameWidth = g_appState.frameHeight = 16;
        parent_ = CreateWindowExA(0, "FilmStripTestParent", "FilmStripTest", WS_POPUP | WS_VISIBLE, 0, 0, 320, 120,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        strip_ = MakeStrip(300, 90);
        g_notices.clear();
    }
    void TearDown() override
    {
        Give(nullptr, 0);
        DestroyWindow(parent_);
        Pump();
        for (HGLOBAL block : blocks_) GlobalFree(block);
        for (int i = 0; i < MAX_FRAME_BITMAPS; ++i)
            if (g_appState.frameBitmaps[i]) DeleteObject(g_appState.frameBitmaps[i]);
        g_appState = AppState{};
    }
    HWND MakeStrip(int width, int height)
    {
        if (strip_) {
            Give(nullptr, 0);
            DestroyWindow(strip_);
        }
        strip_ = CreateWindowExA(0, "FILMSTRIP", "", WS_CHILD | WS_VISIBLE, 0, 0, width, height, parent_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStripId)), GetModuleHandleA(nullptr),
                                 nullptr);
        return strip_;
    }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { return SendMessageA(strip_, message, wParam, lParam); }
    HGLOBAL Held() { return reinterpret_cast<HGLOBAL>(Send(FILMSTRIP_GET_ITEM, 0, 0)); }
    // Hands the strip a block (it may reallocate it); the block it held before is freed.
    void Give(HGLOBAL block, int count)
    {
        HGLOBAL old = strip_ ? Held() : nullptr;
        FilmStripItems items = {block, count};
        if (strip_) Send(FILMSTRIP_SET_ITEMS, 7, reinterpret_cast<LPARAM>(&items));
        if (old && old != block) GlobalFree(old);
    }
    void Load(const Steps& steps) { Give(MakeBlock(steps), static_cast<int>(steps.size())); }
    // A block of the test's own (the caller's side of FILMSTRIP_INSERT_ITEMS).
    HGLOBAL Own(const Steps& steps)
    {
        blocks_.push_back(MakeBlock(steps));
        return blocks_.back();
    }
    Steps Entries()
    {
        Steps out;
        const LRESULT count = Send(FILMSTRIP_GET_COUNT);
        for (LRESULT i = 0; i < count; ++i) {
            ObjectStep e{};
            Send(FILMSTRIP_GET_ITEM, i, reinterpret_cast<LPARAM>(&e));
            out.push_back({e.frameIndex, e.condition, e.jumpTarget});
        }
        return out;
    }
    LRESULT Insert(WPARAM position, const Step& s)
    {
        const ObjectStep e = MakeEntry(s);
        return Send(FILMSTRIP_INSERT_ITEM, position, reinterpret_cast<LPARAM>(&e));
    }
    LRESULT Append(const Step& s)
    {
        const ObjectStep e = MakeEntry(s);
        return Send(FILMSTRIP_APPEND_ITEM, 0, reinterpret_cast<LPARAM>(&e));
    }
    LRESULT SetItem(WPARAM item, const Step& s)
    {
        const ObjectStep e = MakeEntry(s);
        return Send(FILMSTRIP_SET_ITEM, item, reinterpret_cast<LPARAM>(&e));
    }
    LRESULT InsertItems(WPARAM position, HGLOBAL block, int n)
    {
        FilmStripInsert in = {block, n};
        return Send(FILMSTRIP_INSERT_ITEMS, position, reinterpret_cast<LPARAM>(&in));
    }
    LONG_PTR Slot(FilmStripSlot slot) { return GetWindowLongPtrA(strip_, FilmStripLong(slot)); }
    COLORREF ThumbnailColour(int item)
    {
        const int cell = static_cast<int>(Slot(FS_THUMB_WIDTH)) + 10;
        const int x = cell * item - static_cast<int>(Slot(FS_SCROLL_POS)) + 10 + static_cast<int>(Slot(FS_THUMB_WIDTH)) / 2;
        const int y = 8 + static_cast<int>(Slot(FS_THUMB_HEIGHT)) / 2;
        HDC dc = GetDC(strip_);
        const COLORREF colour = GetPixel(dc, x, y);
        ReleaseDC(strip_, dc);
        return colour;
    }

    HWND parent_ = nullptr;
    HWND strip_ = nullptr;
    std::vector<HGLOBAL> blocks_;
};

// E0..E4: entries 1-3 jump (to 3, 0 and 1); entry 4 holds a target but no condition.
const Steps kSteps = {{0, 0, 0}, {1, 1, 3}, {2, 1, 0}, {3, 1, 1}, {0, 0, 3}};

TEST_F(FilmStripTest, JumpTargetsKeepNamingTheSameEntry)
{
    const Steps inserted = {{3, 1, 1}, {2, 1, 0}, {1, 0, 7}};  // targets relative to this block
    struct Case {
        const char* what;
        std::function<LRESULT(FilmStripTest&)> op;
        LRESULT result;
        Steps expected;
    };
    const Case cases[] = {
        {"insert before an entry that is jumped to",
         [](FilmStripTest& t) { return t.Insert(1, {2, 1, 2}); }, 1,
         {{0, 0, 0}, {2, 1, 2}, {1, 1, 4}, {2, 1, 0}, {3, 1, 2}, {0, 0, 3}}},
        {"insert at a negative position inserts at 0",
         [](FilmStripTest& t) { return t.Insert(static_cast<WPARAM>(-3), {1, 0, 0}); }, 1,
         {{1, 0, 0}, {0, 0, 0}, {1, 1, 4}, {2, 1, 1}, {3, 1, 2}, {0, 0, 3}}},
        {"delete: later targets move down, a target at the deleted entry names the next",
         [](FilmStripTest& t) { return t.Send(FILMSTRIP_DELETE_ITEM, 1); }, 1,
         {{0, 0, 0}, {2, 1, 0}, {3, 1, 1}, {0, 0, 3}}},
        {"delete the first entry",
         [](FilmStripTest& t) { return t.Send(FILMSTRIP_DELETE_ITEM, 0); }, 1,
         {{1, 1, 2}, {2, 1, 0}, {3, 1, 0}, {0, 0, 3}}},
        {"insert a block in the middle",
         [&](FilmStripTest& t) { return t.InsertItems(2, t.Own(inserted), 3); },
         1, {{0, 0, 0}, {1, 1, 6}, {3, 1, 3}, {2, 1, 2}, {1, 0, 7}, {2, 1, 0}, {3, 1, 1}, {0, 0, 3}}},
        {"insert a block past the end: targets move by the real index",
         [&](FilmStripTest& t) { return t.InsertItems(50, t.Own(inserted), 3); },
         1, {{0, 0, 0}, {1, 1, 3}, {2, 1, 0}, {3, 1, 1}, {0, 0, 3}, {3, 1, 6}, {2, 1, 5}, {1, 0, 7}}},
    };
    for (const Case& c : cases) {
        Load(kSteps);
        EXPECT_EQ(c.op(*this), c.result) << c.what;
        EXPECT_EQ(Entries(), c.expected) << c.what;
        Pump();
    }
}

TEST_F(FilmStripTest, InsertItemsLeavesTheCallersBlockAlone)
{
    Load(kSteps);
    HGLOBAL block = Own({{3, 1, 1}, {2, 1, 0}});
    std::vector<BYTE> before(GlobalSize(block));
    memcpy(before.data(), GlobalLockGuard<BYTE>(block).get(), before.size());
    EXPECT_EQ(InsertItems(3, block, 2), 1);
    std::vector<BYTE> after(GlobalSize(block));
    memcpy(after.data(), GlobalLockGuard<BYTE>(block).get(), after.size());
    EXPECT_EQ(before, after);
    // Refused: a negative count, more entries than the caller's block holds.
    EXPECT_EQ(InsertItems(0, block, -1), 0);
    EXPECT_EQ(InsertItems(0, block, 3), 0);
    EXPECT_EQ(Send(FILMSTRIP_GET_COUNT), 7);
    EXPECT_EQ(InsertItems(0, block, 0), 1);  // nothing to insert
    EXPECT_EQ(Slot(FS_MODIFIED), 0);         // the parent sees the count instead
}

TEST_F(FilmStripTest, SelectionAfterDeletes)
{
    struct Case {
        const char* what;
        int count, selected;
        WPARAM deleted;
        LRESULT result;
        LRESULT selection;
        std::vector<LPARAM> changed;  // code 4 notifications
    };
    const Case cases[] = {
        {"the selected last item: the new last one is selected", 4, 3, 3, 1, 2, {2}},
        {"the selected item", 4, 1, 1, 1, 1, {1}},
        {"an item after the selection", 4, 1, 3, 1, 1, {}},
        {"an item before the selection", 4, 2, 0, 1, 2, {}},
        {"without a selection", 4, -1, 0, 1, -1, {}},
        {"the only item", 1, 0, 0, 1, -1, {-1}},
        {"an index past the count", 4, 1, 7, 0, 1, {}},
    };
    for (const Case& c : cases) {
        Load(Steps(kSteps.begin(), kSteps.begin() + c.count));
        if (c.selected >= 0) Send(FILMSTRIP_SELECT, c.selected);
        g_notices.clear();
        EXPECT_EQ(Send(FILMSTRIP_DELETE_ITEM, c.deleted), c.result) << c.what;
        EXPECT_EQ(Send(FILMSTRIP_GET_SELECTION), c.selection) << c.what;
        EXPECT_EQ(Send(FILMSTRIP_GET_COUNT), c.count - c.result) << c.what;
        EXPECT_EQ(Send(FILMSTRIP_GET_MODIFIED), c.result) << c.what;
        std::vector<LPARAM> changed;
        for (const Notice& n : g_notices)
            if (n.code == FILMSTRIP_NOTIFY_ITEM_CHANGED) changed.push_back(n.param);
        EXPECT_EQ(changed, c.changed) << c.what;
    }
}

TEST_F(FilmStripTest, NotificationsComeInOrder)
{
    Load(kSteps);
    Send(FILMSTRIP_SELECT, 1);
    EXPECT_EQ(g_notices, (std::vector<Notice>{{kStripId, FILMSTRIP_NOTIFY_SELECTED, 1, 1}}));
    g_notices.clear();
    // SELECTING while the old item is still the selection, then SELECTED.
    Send(FILMSTRIP_SELECT, 3);
    EXPECT_EQ(g_notices, (std::vector<Notice>{{kStripId, FILMSTRIP_NOTIFY_SELECTING, 3, 1},
                                              {kStripId, FILMSTRIP_NOTIFY_SELECTED, 3, 3}}));
    g_notices.clear();
    // The selected item again, the count, negative and (on 64-bit) wide indexes:
    // ignored. A 32-bit WPARAM cannot hold the wide one; there it would wrap to 1.
    std::vector<WPARAM> ignored{3, 5, static_cast<WPARAM>(-1)};
    if constexpr (sizeof(WPARAM) > 4) ignored.push_back(static_cast<WPARAM>(~0u) + 2);
    for (WPARAM item : ignored)
        Send(FILMSTRIP_SELECT, item);
    EXPECT_TRUE(g_notices.empty());
    EXPECT_EQ(Send(FILMSTRIP_GET_SELECTION), 3);

    // A click on item 0, a Ctrl-click on item 2, double clicks.
    const int cell = static_cast<int>(Slot(FS_THUMB_WIDTH)) + 10;
    const LPARAM onItem0 = MAKELPARAM(12, 20), onItem2 = MAKELPARAM(2 * cell + 12, 20);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, onItem0);
    Send(WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, onItem2);
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, onItem0);
    Send(WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(290, 4));  // empty film
    EXPECT_EQ(g_notices, (std::vector<Notice>{{kStripId, FILMSTRIP_NOTIFY_SELECTING, 0, 3},
                                              {kStripId, FILMSTRIP_NOTIFY_SELECTED, 0, 0},
                                              {kStripId, FILMSTRIP_NOTIFY_MODIFIER_CLICK, 2, 0},
                                              {kStripId, FILMSTRIP_NOTIFY_DBLCLK, MK_LBUTTON, 0},
                                              {kStripId, FILMSTRIP_NOTIFY_DBLCLK, MK_RBUTTON, 0}}));
    g_notices.clear();
    // Changes at the selected index.
    EXPECT_EQ(SetItem(0, {2, 0, 0}), 1);
    EXPECT_EQ(Insert(0, {1, 0, 0}), 1);
    EXPECT_EQ(SetItem(1, {3, 0, 0}), 1);  // not the selection
    EXPECT_EQ(g_notices, (std::vector<Notice>{{kStripId, FILMSTRIP_NOTIFY_ITEM_CHANGED, 0, 0},
                                              {kStripId, FILMSTRIP_NOTIFY_ITEM_CHANGED, 0, 0}}));
}

TEST_F(FilmStripTest, AppendSelectsOnlyAfterThePostedSelect)
{
    Load(Steps(kSteps.begin(), kSteps.begin() + 2));
    Send(FILMSTRIP_SELECT, 0);
    g_notices.clear();
    EXPECT_NE(Append({3, 0, 0}), 0);
    EXPECT_EQ(Send(FILMSTRIP_GET_COUNT), 3);
    EXPECT_EQ(Send(FILMSTRIP_GET_SELECTION), 0);
    EXPECT_EQ(Send(FILMSTRIP_GET_MODIFIED), 1);
    EXPECT_TRUE(g_notices.empty());
    Pump();
    EXPECT_EQ(Send(FILMSTRIP_GET_SELECTION), 2);
    EXPECT_EQ(g_notices, (std::vector<Notice>{{kStripId, FILMSTRIP_NOTIFY_SELECTING, 2, 0},
                                              {kStripId, FILMSTRIP_NOTIFY_SELECTED, 2, 2}}));
    // The block grew by five entries when it was full.
    EXPECT_EQ(GlobalSize(Held()), 7 * sizeof(ObjectStep));

    // An empty strip with a block: inserting appends, and selects once pumped.
    Load({});
    g_notices.clear();
    EXPECT_EQ(Insert(5, {1, 0, 0}), 1);
    Pump();
    EXPECT_EQ(Entries(), (Steps{{1, 0, 0}}));
    EXPECT_EQ(Send(FILMSTRIP_GET_SELECTION), 0);
    EXPECT_EQ(g_notices, (std::vector<Notice>{{kStripId, FILMSTRIP_NOTIFY_SELECTED, 0, 0}}));
}

TEST_F(FilmStripTest, IdenticalEntriesChangeNothing)
{
    Load(kSteps);
    ObjectStep stored{};
    Send(FILMSTRIP_GET_ITEM, 2, reinterpret_cast<LPARAM>(&stored));
    EXPECT_EQ(Send(FILMSTRIP_GET_MODIFIED), 0);  // reading does not count
    EXPECT_EQ(Send(FILMSTRIP_SET_ITEM, 2, reinterpret_cast<LPARAM>(&stored)), 0);
    EXPECT_EQ(Send(FILMSTRIP_GET_MODIFIED), 0);
    stored.waitCount = 9;
    EXPECT_EQ(Send(FILMSTRIP_SET_ITEM, 2, reinterpret_cast<LPARAM>(&stored)), 1);
    EXPECT_EQ(Send(FILMSTRIP_GET_MODIFIED), 1);
    EXPECT_EQ(Send(FILMSTRIP_SET_ITEM, 2, reinterpret_cast<LPARAM>(&stored)), 0);
    EXPECT_EQ(Send(FILMSTRIP_SET_ITEM, 9, reinterpret_cast<LPARAM>(&stored)), 0);  // no such item
    // A new FILMSTRIP_SET_ITEMS starts unmodified, without a selection, at the start.
    Send(FILMSTRIP_SELECT, 4);
    Give(Held(), 5);
    EXPECT_EQ(Send(FILMSTRIP_GET_MODIFIED), 0);
    EXPECT_EQ(Send(FILMSTRIP_GET_SELECTION), -1);
    EXPECT_EQ(Slot(FS_SCROLL_POS), 0);
    EXPECT_EQ(Slot(FS_RESERVED), -1);
}

TEST_F(FilmStripTest, AStripOfFramesRefusesEdits)
{
    Give(nullptr, 4);
    HGLOBAL block = Own({{1, 0, 0}});
    EXPECT_EQ(SetItem(0, {2, 0, 0}), 0);
    EXPECT_EQ(Insert(1, {2, 0, 0}), 0);
    EXPECT_EQ(Append({2, 0, 0}), 0);
    EXPECT_EQ(Send(FILMSTRIP_DELETE_ITEM, 0), 0);
    EXPECT_EQ(InsertItems(0, block, 1), 0);
    Pump();
    EXPECT_EQ(Send(FILMSTRIP_GET_COUNT), 4);
    EXPECT_EQ(Send(FILMSTRIP_GET_ITEM, 0, 0), 0);
    EXPECT_EQ(Send(FILMSTRIP_GET_MODIFIED), 0);
    // Item i shows frame i.
    Send(FILMSTRIP_SELECT, 2);
    UpdateWindow(strip_);
    EXPECT_EQ(ThumbnailColour(0), RGB(255, 0, 0));
    EXPECT_EQ(ThumbnailColour(1), RGB(0, 255, 0));
    EXPECT_EQ(ThumbnailColour(2), RGB(0, 0, 255));
    EXPECT_EQ(ThumbnailColour(3), RGB(255, 255, 0));
}

TEST_F(FilmStripTest, CountsAreHeldToTheBlock)
{
    Load(Steps(kSteps.begin(), kSteps.begin() + 2));
    // A negative count is refused: the strip keeps what it had.
    FilmStripItems negative = {Held(), -5};
    Send(FILMSTRIP_SET_ITEMS, 0, reinterpret_cast<LPARAM>(&negative));
    EXPECT_EQ(Send(FILMSTRIP_GET_COUNT), 2);
    EXPECT_EQ(Entries().size(), 2u);
    // More than the block holds: only what it holds.
    HGLOBAL three = AllocateStepBlock(3);
    Give(three, 1000);
    EXPECT_EQ(Send(FILMSTRIP_GET_COUNT), static_cast<LRESULT>(GlobalSize(three) / sizeof(ObjectStep)));
    // A strip of frames holds at most a sequence's frames.
    Give(nullptr, 100000);
    EXPECT_EQ(Send(FILMSTRIP_GET_COUNT), MAX_FRAME_BITMAPS);
}

TEST_F(FilmStripTest, AFailedReallocationChangesNothing)
{
    // The parent freed the full block behind the strip's back: growing it fails.
    HGLOBAL block = MakeBlock(Steps(kSteps.begin(), kSteps.begin() + 2));
    FilmStripItems items = {block, 2};
    Send(FILMSTRIP_SET_ITEMS, 0, reinterpret_cast<LPARAM>(&items));
    Send(FILMSTRIP_SELECT, 0);
    GlobalFree(block);
    g_notices.clear();
    EXPECT_EQ(Append({1, 0, 0}), 0);
    EXPECT_EQ(Insert(0, {1, 0, 0}), 0);
    Pump();
    EXPECT_EQ(Send(FILMSTRIP_GET_COUNT), 2);
    EXPECT_EQ(Send(FILMSTRIP_GET_SELECTION), 0);
    EXPECT_EQ(Send(FILMSTRIP_GET_MODIFIED), 0);
    EXPECT_TRUE(g_notices.empty());
    // The freed handle must not be freed again.
    FilmStripItems none = {nullptr, 0};
    Send(FILMSTRIP_SET_ITEMS, 0, reinterpret_cast<LPARAM>(&none));
}

TEST_F(FilmStripTest, ThumbnailsShowTheirFramesAndMissingFramesShowFilm)
{
    // Frame 2 has a bitmap left from an earlier sequence, but the sequence
    // has two frames now: an entry naming it (or 255) shows an empty cell.
    g_appState.frameCount = 2;
    Load({{1, 0, 0}, {2, 0, 0}, {0, 0, 0}, {255, 0, 0}});
    UpdateWindow(strip_);
    EXPECT_EQ(ThumbnailColour(0), RGB(0, 255, 0));
    EXPECT_EQ(ThumbnailColour(1), RGB(128, 128, 0));
    EXPECT_EQ(ThumbnailColour(2), RGB(255, 0, 0));
    EXPECT_EQ(ThumbnailColour(3), RGB(128, 128, 0));
    // The selection frame is green, around the thumbnail in the gaps.
    Send(FILMSTRIP_SELECT, 2);
    UpdateWindow(strip_);
    const int cell = static_cast<int>(Slot(FS_THUMB_WIDTH)) + 10;
    HDC dc = GetDC(strip_);
    EXPECT_EQ(GetPixel(dc, 2 * cell + 10 - 5, 30), RGB(0, 255, 0));
    ReleaseDC(strip_, dc);
}

TEST_F(FilmStripTest, KeysMoveTheSelection)
{
    Load(Steps(10, Step{0, 0, 0}));  // page of 300 / 67 = 4 items
    ASSERT_EQ(Slot(FS_THUMB_WIDTH), Slot(FS_THUMB_HEIGHT));
    struct Case {
        WPARAM key;
        LRESULT from, to;
    };
    const Case cases[] = {{VK_LEFT, -1, 0}, {VK_RIGHT, 0, 1}, {VK_END, 1, 9},  {VK_HOME, 9, 0}, {VK_NEXT, 0, 4},
                          {VK_PRIOR, 4, 0}, {VK_NEXT, 8, 9},  {VK_LEFT, 0, 0}, {VK_PRIOR, 2, 0}};
    for (const Case& c : cases) {
        if (c.from >= 0 && Send(FILMSTRIP_GET_SELECTION) != c.from) Send(FILMSTRIP_SELECT, c.from);
        Send(WM_KEYDOWN, c.key, 0);
        Pump();
        EXPECT_EQ(Send(FILMSTRIP_GET_SELECTION), c.to) << "key " << c.key << " from " << c.from;
    }
}

TEST_F(FilmStripTest, WideFramesScrollInsteadOfSelecting)
{
    g_appState.frameWidth = 2048;
    g_appState.frameHeight = 8;
    MakeStrip(300, 90);
    Load({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {0, 0, 0}});
    const int cell = static_cast<int>(Slot(FS_THUMB_WIDTH)) + 10;
    ASSERT_GT(Slot(FS_THUMB_WIDTH), 300);
    HWND bar = GetDlgItem(strip_, FILMSTRIP_SCROLLBAR_ID);
    SCROLLINFO info{sizeof info, SIF_ALL};
    GetScrollInfo(bar, SB_CTL, &info);
    const LONG_PTR last = info.nMax - static_cast<int>(info.nPage) + 1;
    // Right on the last item: the film scrolls on, the selection stays.
    Send(FILMSTRIP_SELECT, 3);
    Send(WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(Send(FILMSTRIP_GET_SELECTION), 4);  // not the last one yet: it selects
    const LONG_PTR atLast = Slot(FS_SCROLL_POS);
    Send(WM_KEYDOWN, VK_RIGHT, 0);
    Pump();
    EXPECT_EQ(Send(FILMSTRIP_GET_SELECTION), 4);
    EXPECT_EQ(Slot(FS_SCROLL_POS), std::min<LONG_PTR>(atLast + cell, last));
    // The wheel scrolls back by one cell.
    const LONG_PTR scrolled = Slot(FS_SCROLL_POS);
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    Pump();
    EXPECT_EQ(Slot(FS_SCROLL_POS), scrolled - cell);
    // Page Down at the last item goes to the film's end.
    Send(WM_KEYDOWN, VK_NEXT, 0);
    Pump();
    EXPECT_EQ(Slot(FS_SCROLL_POS), last);
    EXPECT_EQ(Send(FILMSTRIP_GET_SELECTION), 4);

    // A thumb position past 65535 arrives whole, not as its low 16 bits.
    ASSERT_GT(info.nMax, 70000);
    SetScrollPos(bar, SB_CTL, 70000, FALSE);
    Send(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 70000 & 0xFFFF), reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(Slot(FS_SCROLL_POS), 70000);
    Send(WM_HSCROLL, SB_TOP, reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(Slot(FS_SCROLL_POS), 0);
}

TEST_F(FilmStripTest, AVeryLowStripDrawsNoThumbnails)
{
    MakeStrip(300, 20);
    Load(kSteps);
    UpdateWindow(strip_);
    EXPECT_EQ(Slot(FS_THUMB_WIDTH), FILMSTRIP_MIN_THUMB);
    EXPECT_EQ(Slot(FS_THUMB_HEIGHT), 0);
    EXPECT_EQ(Slot(FS_ERASED), 1);
    // Clicks below the (empty) thumbnail row find nothing.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 12));
    EXPECT_EQ(Send(FILMSTRIP_GET_SELECTION), -1);
}

}  // namespace
