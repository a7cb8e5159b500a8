// "Define Foreground Regions..." in a real dialog run through the editor's
// dialog runner: regions drawn, moved, resized by a corner, grouped by a
// rubber band and deleted with the mouse and the tool strip, the zoom, the
// count of enabled regions, Cancel, the centre-window origin and a table
// claiming more regions than it holds.
#include "ComposeTestSupport.h"
#include "PathDialogResources.h"
#include "WindowDialogs.h"
#include <gtest/gtest.h>

namespace {

class RegionEditorTest : public WindowAreaTest {
protected:
    void SetUp() override
    {
        WindowAreaTest::SetUp();
        g_document.regionCount = 0;
    }
    INT_PTR RunRegions(DialogDrivers::Driver driver)
    {
        DialogDrivers drivers({driver});
        return Run(IDD_FOREGROUND_REGIONS);
    }
    static HWND Editor(HWND d) { return GetDlgItem(d, IDC_REGION_EDITOR); }
    // Window coordinates to the editor's client coordinates at zoom 2^zoom,
    // from its scroll positions (the margin is 32 window pixels).
    static LPARAM At(HWND d, int x, int y, int zoom = 0)
    {
        const int sx = GetScrollPos(Editor(d), SB_HORZ), sy = GetScrollPos(Editor(d), SB_VERT);
        return MAKELPARAM(((x + 32) << zoom) - sx, ((y + 32) << zoom) - sy);
    }
    static void Drag(HWND d, POINT from, POINT to, WPARAM keys = 0, int zoom = 0)
    {
        SendDrag(Editor(d), from, to, keys, [d, zoom](POINT p) { return At(d, p.x, p.y, zoom); });
    }
    static void Tool(HWND d, int tool)
    {
        PressStripIcon(GetDlgItem(d, IDC_REGION_TOOLS), tool);
        Pump();  // the delete tool posts its message
    }
    static std::vector<std::vector<int>> Regions()
    {
        std::vector<std::vector<int>> out;
        for (int i = 0; i < g_document.regionCount; ++i) {
            const ForegroundRegion& r = g_document.regionTable[i];
            out.push_back({r.regionFlags, r.x1, r.y1, r.x2, r.y2});
        }
        return out;
    }
    using Table = std::vector<std::vector<int>>;
};

TEST_F(RegionEditorTest, RegionsDrawnMovedAndResizedWithTheMouse)
{
    const INT_PTR result = RunRegions([](HWND d) {
        // No regions: the new-region tool is chosen.
        EXPECT_EQ(Text(d, IDC_REGION_COUNT), "Number of Regions: 0");
        // A click without movement adds nothing.
        Drag(d, {40, 40}, {40, 40}, MK_CONTROL);
        EXPECT_EQ(g_document.regionCount, 0);
        // Drawn from its right-bottom corner: the corners are put in order.
        // The tool stays with Ctrl held.
        Drag(d, {60, 50}, {10, 20}, MK_CONTROL);
        EXPECT_EQ(Regions(), (Table{{1, 10, 20, 60, 50}}));
        EXPECT_EQ(Text(d, IDC_REGION_COUNT), "Number of Regions: 1");
        Drag(d, {100, 10}, {150, 30});
        EXPECT_EQ(g_document.regionCount, 2);
        EXPECT_EQ(Text(d, IDC_REGION_POINTER), "X:150  Y:30 ");
        // Now the select tool: dragging inside the first region moves it.
        Drag(d, {30, 30}, {35, 40});
        EXPECT_EQ(Regions()[0], (std::vector<int>{1, 15, 30, 65, 60}));
        // Near its right-bottom corner (within 2 pixels): that corner follows.
        Drag(d, {64, 59}, {80, 70});
        EXPECT_EQ(Regions()[0], (std::vector<int>{1, 15, 30, 80, 70}));
        // Resized to no height: the region goes.
        Drag(d, {80, 70}, {90, 30});
        EXPECT_EQ(Regions(), (Table{{1, 100, 10, 150, 30}}));
        EXPECT_EQ(Text(d, IDC_REGION_COUNT), "Number of Regions: 1");
        Click(d, IDOK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Regions(), (Table{{1, 100, 10, 150, 30}}));
    EXPECT_TRUE(g_document.animationState & DOC_MODIFIED);
}

TEST_F(RegionEditorTest, BandSelectsTouchedRegionsForDeletionAndCancelRestores)
{
    g_document.regionCount = 4;
    g_document.regionTable[0] = {1, 10, 10, 30, 30};
    g_document.regionTable[1] = {1, 50, 10, 70, 30};
    g_document.regionTable[2] = {0x8001, 20, 20, 25, 25};  // disabled: not counted, not selected
    g_document.regionTable[3] = {1, 100, 60, 120, 90};
    const Table before = Regions();
    const INT_PTR result = RunRegions([](HWND d) {
        EXPECT_EQ(Text(d, IDC_REGION_COUNT), "Number of Regions: 3");
        // A band that only touches the first two regions selects them.
        Drag(d, {25, 0}, {55, 15});
        // Moving the group moves both.
        Drag(d, {28, 12}, {28, 17});
        EXPECT_EQ(Regions()[0], (std::vector<int>{1, 10, 15, 30, 35}));
        EXPECT_EQ(Regions()[1], (std::vector<int>{1, 50, 15, 70, 35}));
        EXPECT_EQ(Regions()[3], (std::vector<int>{1, 100, 60, 120, 90}));
        Tool(d, 2);
        EXPECT_EQ(Regions(), (Table{{0x8001, 20, 20, 25, 25}, {1, 100, 60, 120, 90}}));
        EXPECT_EQ(Text(d, IDC_REGION_COUNT), "Number of Regions: 1");
        // Delete with nothing under work beeps and deletes nothing.
        Tool(d, 2);
        EXPECT_EQ(g_document.regionCount, 2);
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Regions(), before);
}

TEST_F(RegionEditorTest, ZoomStepsAndTheCentreOrigin)
{
    g_document.animationSettings.positionFlags = 0x08;  // stored relative to the window centre
    RunRegions([](HWND d) {
        HWND editor = Editor(d);
        EXPECT_EQ(SendMessageA(editor, REGIONEDIT_ZOOM, 1, 0), 1);
        EXPECT_EQ(SendMessageA(editor, REGIONEDIT_ZOOM, 1, 0), 1);
        EXPECT_EQ(SendMessageA(editor, REGIONEDIT_ZOOM, 1, 0), 0);  // beyond 4:1
        // At 4:1 a region drawn in window pixels 100..120 x 50..60 is
        // stored relative to the centre (100, 50).
        Drag(d, {100, 50}, {120, 60}, 0, 2);
        EXPECT_EQ(Regions(), (Table{{1, 0, 0, 20, 10}}));
        EXPECT_EQ(SendMessageA(editor, REGIONEDIT_ZOOM, static_cast<WPARAM>(-1), 0), 1);
        EXPECT_EQ(SendMessageA(editor, REGIONEDIT_ZOOM, static_cast<WPARAM>(-1), 0), 1);
        EXPECT_EQ(SendMessageA(editor, REGIONEDIT_ZOOM, static_cast<WPARAM>(-1), 0), 0);
        Click(d, IDOK);
    });
    EXPECT_EQ(Regions(), (Table{{1, 0, 0, 20, 10}}));
}

TEST_F(RegionEditorTest, TableClaimingMoreRegionsThanItHoldsIsCut)
{
    g_document.regionCount = 70;
    for (int i = 0; i < MAX_REGIONS; ++i) g_document.regionTable[i] = {1, i, 0, i + 1, 5};
    RunRegions([](HWND d) {
        EXPECT_EQ(Text(d, IDC_REGION_COUNT), "Number of Regions: 64");
        // The table is full: a new region is refused.
        Tool(d, 1);
        Drag(d, {150, 50}, {170, 70});
        EXPECT_EQ(g_document.regionCount, MAX_REGIONS);
        Click(d, IDOK);
    });
    EXPECT_EQ(g_document.regionCount, MAX_REGIONS);
}

}  // namespace
