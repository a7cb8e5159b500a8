// "Define Animation Path" in a real dialog run through the editor's dialog
// runner: nodes added, dragged, grouped and deleted with the mouse on the
// canvas and the tool strip, the node fields, the small dialogs (number of
// nodes, options, frames), the steps stored on OK, Cancel, a list too long
// for the editor, the sound renumbering and the test run's call point.
#include "ComposeTestSupport.h"
#include "PathDialogResources.h"
#include "PathEditor.h"
#include "WindowDialogs.h"
#include <gtest/gtest.h>
#include <ostream>

// Points compare and print by value (found beside POINT for the standard
// algorithms).
inline bool operator==(const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }
inline std::ostream& operator<<(std::ostream& out, const POINT& p) { return out << "(" << p.x << "," << p.y << ")"; }

namespace {

class PathEditor : public WindowAreaTest {
protected:
    void SetUp() override
    {
        WindowAreaTest::SetUp();
        g_document.objectTable[0].startX = 20;
        g_document.objectTable[0].startY = 30;
    }
    // Runs the dialog on object 0's own list as the main window's command
    // does (a fresh one-step block when it has none), with drivers for the
    // small dialogs it opens: the result.
    INT_PTR RunPath(DialogDrivers::Driver driver, DialogDrivers::Driver first = nullptr,
                    DialogDrivers::Driver second = nullptr)
    {
        HGLOBAL& block = g_document.objectMemoryHandles[0][0];
        const int count = g_document.objectTable[0].stepCount;
        if (!block) block = AllocateStepBlock(1);
        PathDialogParams params{block, count};
        INT_PTR result;
        {
            DialogDrivers drivers({driver, first, second});
            result = Run(IDD_ANIMATION_PATH, reinterpret_cast<LPARAM>(&params));
            captions_ = drivers.Captions();
        }
        block = params.block;
        if (result >= 0) g_document.objectTable[0].stepCount = static_cast<int32_t>(result);
        return result;
    }
    static HWND Canvas(HWND d) { return GetDlgItem(d, IDC_PATH_CANVAS); }
    static PathCanvas* State(HWND d) { return PathCanvasOf(Canvas(d)); }
    // Window coordinates to the canvas's client coordinates.
    static LPARAM At(HWND d, int x, int y)
    {
        const PathCanvas* s = State(d);
        return MAKELPARAM(x - s->scroll.x + s->margin.cx, y - s->scroll.y + s->margin.cy);
    }
    static void Press(HWND d, int x, int y, WPARAM keys = 0) { SendMessageA(Canvas(d), WM_LBUTTONDOWN, MK_LBUTTON | keys, At(d, x, y)); }
    static void Move(HWND d, int x, int y, WPARAM keys = 0) { SendMessageA(Canvas(d), WM_MOUSEMOVE, MK_LBUTTON | keys, At(d, x, y)); }
    static void Release(HWND d, int x, int y, WPARAM keys = 0) { SendMessageA(Canvas(d), WM_LBUTTONUP, keys, At(d, x, y)); }
    static void ClickAt(HWND d, int x, int y, WPARAM keys = 0)
    {
        Press(d, x, y, keys);
        Release(d, x, y, keys);
    }
    static void Drag(HWND d, POINT from, POINT to, WPARAM keys = 0)
    {
        SendDrag(Canvas(d), from, to, keys, [d](POINT p) { return At(d, p.x, p.y); });
    }
    // A press and release on icon `mode` of the tool strip.
    static void Tool(HWND d, int mode) { PressStripIcon(GetDlgItem(d, IDC_PATH_TOOLS), mode); }
    static std::vector<POINT> Points(HWND d)
    {
        std::vector<POINT> out;
        for (const PathNode& n : State(d)->nodes) out.push_back({n.x, n.y});
        return out;
    }
    static std::vector<POINT> PointsOf(std::initializer_list<POINT> p) { return p; }
    std::vector<std::string> captions_;
};

TEST_F(PathEditor, NodesDrawnWithTheMouseBecomeTheStepList)
{
    SetSteps(0, {});
    g_document.objectTable[0].objectFlags = 0;
    const INT_PTR result = RunPath([](HWND d) {
        // No steps: one node at the object's start.
        EXPECT_EQ(Points(d), PointsOf({{20, 30}}));
        EXPECT_EQ(Text(d, IDC_PATH_NODE_COUNT), "1");
        Tool(d, PATH_ADD);
        EXPECT_EQ(State(d)->mode, PATH_ADD);
        ClickAt(d, 60, 30);
        ClickAt(d, 60, 70);
        // Adding keeps its mode: a third node.
        ClickAt(d, 100, 70);
        EXPECT_EQ(Points(d), PointsOf({{20, 30}, {60, 30}, {60, 70}, {100, 70}}));
        EXPECT_EQ(Text(d, IDC_PATH_NODE_NUMBER), "4");
        EXPECT_EQ(Text(d, IDC_PATH_NODE_COUNT), "4");
        // Every new node shows the frame after the one shown: 1, 2, 3.
        EXPECT_EQ(State(d)->nodes[3].frame, 3);
        // The fields of the last node: a delay typed, Fix Frame, "Disabled
        // at Start", object 2 to start.
        SetText(d, IDC_PATH_DELAY, "300");
        Click(d, IDC_PATH_FIX_FRAME);
        Click(d, IDC_PATH_WAIT);
        SendDlgItemMessageA(d, IDC_PATH_START_LIST, LB_SETSEL, TRUE, 1);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_PATH_START_LIST, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_PATH_START_LIST)));
        EXPECT_EQ(Text(d, IDC_PATH_START_LABEL), "Start Objects (1):");
        // Back to node 3 with the node scroll bar: the delay went to node 4.
        SendMessageA(d, WM_HSCROLL, SB_LINELEFT, reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_PATH_NODE_SCROLL)));
        EXPECT_EQ(Text(d, IDC_PATH_NODE_NUMBER), "3");
        EXPECT_EQ(Text(d, IDC_PATH_DELAY), "0");
        EXPECT_EQ(State(d)->nodes[3].delay, 255);
        Click(d, IDOK);
    });
    ASSERT_EQ(result, 4);
    const std::vector<ObjectStep> steps = Steps(0);
    ASSERT_EQ(steps.size(), 4u);
    // The first step absolute at node 0, the others relative moves.
    EXPECT_EQ(steps[0].stepFlags, STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE);
    EXPECT_EQ(steps[0].x, 20);
    EXPECT_EQ(steps[0].y, 30);
    EXPECT_EQ(steps[1].x, 40);
    EXPECT_EQ(steps[1].y, 0);
    EXPECT_EQ(steps[2].x, 0);
    EXPECT_EQ(steps[2].y, 40);
    EXPECT_EQ(steps[3].x, 40);
    EXPECT_EQ(steps[3].waitCount, 255);
    EXPECT_EQ(steps[3].stepFlags, STEP_FIX_FRAME | STEP_WAIT);
    EXPECT_EQ(StepStartMask(steps[3]), 2u);
    EXPECT_EQ(steps[3].frameIndex, 3);
    EXPECT_EQ(g_document.objectTable[0].objectFlags, OBJ_STEP_LIST | OBJ_PATH);
    EXPECT_TRUE(g_document.animationState & DOC_MODIFIED);
}

TEST_F(PathEditor, DraggedNodesStayNearTheWindowAndGroupsMoveTogether)
{
    SetSteps(0, {StepOf(0, 10, 10, 0, STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE), StepOf(1, 40, 0), StepOf(2, 40, 0),
                 StepOf(3, 40, 0)});
    g_document.objectTable[0].objectFlags = OBJ_STEP_LIST | OBJ_PATH;
    RunPath([](HWND d) {
        ASSERT_EQ(Points(d), PointsOf({{10, 10}, {50, 10}, {90, 10}, {130, 10}}));
        // A node dragged far outside is held half a frame beyond the window.
        Drag(d, {50, 10}, {-100, 500});
        EXPECT_EQ(Points(d)[1], (POINT{-8, 108}));
        EXPECT_EQ(State(d)->current, 1);
        // A rubber band around nodes 2 and 3 makes them the group; dragging
        // inside the group's box moves both.
        Drag(d, {80, 0}, {140, 20});
        EXPECT_FALSE(State(d)->nodes[1].selected);
        EXPECT_TRUE(State(d)->nodes[2].selected && State(d)->nodes[3].selected);
        Drag(d, {90, 10}, {95, 30});
        EXPECT_EQ(Points(d), PointsOf({{10, 10}, {-8, 108}, {95, 30}, {135, 30}}));
        // A band around nothing leaves no group.
        Drag(d, {150, 80}, {160, 90});
        EXPECT_FALSE(HasGroup(State(d)->nodes));
        // Shift+click toggles nodes into the group (the current node first),
        // Ctrl+click selects a range from the current node.
        ClickAt(d, 10, 10);
        ClickAt(d, 135, 30, MK_SHIFT);
        EXPECT_TRUE(State(d)->nodes[0].selected && State(d)->nodes[3].selected);
        EXPECT_FALSE(State(d)->nodes[1].selected);
        ClickAt(d, 200, 90);  // outside the group: cleared
        ClickAt(d, 10, 10);
        ClickAt(d, 95, 30, MK_CONTROL);
        EXPECT_TRUE(State(d)->nodes[0].selected && State(d)->nodes[1].selected && State(d)->nodes[2].selected);
        EXPECT_FALSE(State(d)->nodes[3].selected);
        // Delete takes the group; the last node is left, and current.
        Tool(d, PATH_DELETE);
        EXPECT_EQ(Points(d), PointsOf({{135, 30}}));
        EXPECT_EQ(State(d)->current, 0);
        Click(d, IDCANCEL);
    });
    // Cancel: the list stays as it was.
    EXPECT_EQ(Steps(0).size(), 4u);
    EXPECT_EQ(Steps(0)[1].x, 40);
}

TEST_F(PathEditor, StripCommandsEditTheWholePath)
{
    SetSteps(0, {StepOf(0, 0, 50, 0, STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE), StepOf(1, 10, 0), StepOf(2, 10, 0),
                 StepOf(3, 80, 0), StepOf(0, 0, 0)});
    RunPath([](HWND d) {
        ASSERT_EQ(Points(d), PointsOf({{0, 50}, {10, 50}, {20, 50}, {100, 50}, {100, 50}}));
        // Spread without a group waits for a node two places away.
        Tool(d, PATH_SPREAD);
        EXPECT_EQ(State(d)->mode, PATH_SPREAD);
        ClickAt(d, 0, 50);  // the current node: refused, the mode stays
        EXPECT_EQ(State(d)->mode, PATH_SPREAD);
        ClickAt(d, 100, 50);  // hits node 4 (the last of the run at 100,50)
        EXPECT_EQ(State(d)->mode, PATH_SELECT);
        const std::vector<POINT> spread = Points(d);
        EXPECT_EQ(spread[0], (POINT{0, 50}));
        EXPECT_EQ(spread[4], (POINT{100, 50}));
        EXPECT_GT(spread[1].x, 20);
        EXPECT_LT(spread[1].x, spread[2].x);
        EXPECT_LT(spread[2].x, spread[3].x);
        // Mirroring left-right twice gives the nodes back (0 + 100 is even).
        Tool(d, PATH_MIRROR_X);
        EXPECT_EQ(Points(d)[0], (POINT{100, 50}));
        Tool(d, PATH_MIRROR_X);
        EXPECT_EQ(Points(d), spread);
        // Ctrl on "select" groups every node; "add" puts midpoints between them.
        {
            KeyHeld ctrl(VK_CONTROL);
            Tool(d, PATH_SELECT);
        }
        EXPECT_TRUE(State(d)->nodes[0].selected && State(d)->nodes[4].selected);
        Tool(d, PATH_ADD);
        EXPECT_EQ(State(d)->nodes.size(), 9u);
        EXPECT_EQ(State(d)->nodes[1].x, spread[1].x / 2);
        EXPECT_FALSE(HasGroup(State(d)->nodes));
        // The number of nodes: 1 is refused (the old count comes back), 3 resamples.
        Tool(d, PATH_NODE_COUNT);
        EXPECT_EQ(State(d)->nodes.size(), 3u);
        EXPECT_EQ(Points(d)[0], (POINT{0, 50}));
        EXPECT_EQ(Points(d)[2], (POINT{100, 50}));
        Click(d, IDCANCEL);
    }, [](HWND c) {
            EXPECT_EQ(Text(c, IDC_CHANGE_PATH_COUNT), "9");
            SetText(c, IDC_CHANGE_PATH_COUNT, "1");
            Click(c, IDOK);
            EXPECT_TRUE(IsWindowVisible(c));
            EXPECT_EQ(Text(c, IDC_CHANGE_PATH_COUNT), "9");
            SetText(c, IDC_CHANGE_PATH_COUNT, "3");
            Click(c, IDOK);
        });
    EXPECT_EQ(captions_, (std::vector<std::string>{"Define Animation Path", "Change Path Definition"}));
}

TEST_F(PathEditor, OptionsAndFramesReachTheStoredSteps)
{
    SetSteps(0, {StepOf(0, 5, 5, 0, STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE), StepOf(0, 10, 0), StepOf(0, 10, 0),
                 StepOf(0, 10, 0), StepOf(0, 10, 0)});
    g_document.objectTable[0].objectFlags = OBJ_STEP_LIST | OBJ_PATH;
    const INT_PTR result = RunPath(
        [](HWND d) {
            Click(d, IDC_PATH_OPTIONS);
            Click(d, IDC_PATH_ASSIGN_FRAMES);
            Click(d, IDOK);
        },
        [](HWND o) {
             EXPECT_TRUE(IsChecked(o, IDC_PATHOPT_NO_REPEAT));
             EXPECT_TRUE(IsChecked(o, IDC_PATHOPT_ABSOLUTE));
             // A count above 255 is cut to 255 and the dialog stays; 0 is refused.
             Click(o, IDC_PATHOPT_REPEAT_COUNT);
             SetText(o, IDC_PATHOPT_COUNT, "300");
             Click(o, IDOK);
             EXPECT_TRUE(IsWindowVisible(o));
             EXPECT_EQ(Text(o, IDC_PATHOPT_COUNT), "255");
             SetText(o, IDC_PATHOPT_COUNT, "0");
             Click(o, IDOK);
             EXPECT_TRUE(IsWindowVisible(o));
             Click(o, IDC_PATHOPT_INFINITE);
             Click(o, IDC_PATHOPT_RELATIVE);
             Click(o, IDOK);
         },
         [](HWND a) {
             EXPECT_EQ(Text(a, IDC_ASSIGN_END), "4");
             EXPECT_FALSE(Enabled(a, IDC_PATH_DELAY));
             // Frames 2..3 reversing, delay 7: 1 2 1 2 1 (0-based).
             SetText(a, IDC_ASSIGN_START, "2");
             SetText(a, IDC_ASSIGN_END, "3");
             Click(a, IDC_ASSIGN_REVERSE);
             Click(a, IDC_ASSIGN_DELAY_CHECK);
             SetText(a, IDC_PATH_DELAY, "7");
             Click(a, IDOK);
         });
    ASSERT_EQ(result, 5);
    const std::vector<ObjectStep> steps = Steps(0);
    // Infinite repeat: a counter condition of 0 on the last step; a relative
    // start: the first step moves by 0 and the start stands on node 0.
    EXPECT_EQ(steps[4].condition, 1);
    EXPECT_EQ(steps[4].conditionParam, 0);
    EXPECT_EQ(steps[4].jumpTarget, 0);
    EXPECT_EQ(steps[0].stepFlags & (STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE), 0);
    EXPECT_EQ(g_document.objectTable[0].startX, 5);
    EXPECT_EQ(g_document.objectTable[0].startY, 5);
    std::vector<int> frames, delays;
    for (const ObjectStep& s : steps) {
        frames.push_back(s.frameIndex);
        delays.push_back(s.waitCount);
    }
    EXPECT_EQ(frames, (std::vector<int>{1, 2, 1, 2, 1}));
    EXPECT_EQ(delays, (std::vector<int>{7, 7, 7, 7, 7}));
}

TEST_F(PathEditor, ListTooLongForTheEditorIsRefusedAndKept)
{
    // One step past the editor's nodes, and the most a file holds.
    for (const int count : {1000, 2048}) {
        SCOPED_TRACE(count);
        std::vector<ObjectStep> many(count, StepOf(0, 1, 0));
        SetSteps(0, many);
        MessageBoxRecorder boxes;
        HGLOBAL before = g_document.objectMemoryHandles[0][0];
        PathDialogParams params{before, count};
        EXPECT_EQ(Run(IDD_ANIMATION_PATH, reinterpret_cast<LPARAM>(&params)), -1);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, "This step list has more than 999 steps and cannot be edited as a path!");
        EXPECT_EQ(params.block, before);
        EXPECT_EQ(Steps(0).size(), static_cast<size_t>(count));
    }
}

TEST_F(PathEditor, NewPathForACycleLeavesTheObjectStart)
{
    PathDialogParams params{AllocateStepBlock(1), -1};
    INT_PTR result;
    {
        DialogDrivers drivers({[](HWND d) {
            Tool(d, PATH_ADD);
            ClickAt(d, 70, 30);
            Tool(d, PATH_SELECT);
            Drag(d, {20, 30}, {25, 35});  // node 0 moved
            Click(d, IDOK);
        }});
        result = Run(IDD_ANIMATION_PATH, reinterpret_cast<LPARAM>(&params));
    }
    ASSERT_EQ(result, 2);
    {
        GlobalLockGuard<ObjectStep> steps(params.block);
        EXPECT_EQ(steps.get()[0].x, 25);
        EXPECT_EQ(steps.get()[0].stepFlags & STEP_X_ABSOLUTE, STEP_X_ABSOLUTE);
        EXPECT_EQ(steps.get()[1].x, 45);
        EXPECT_EQ(steps.get()[1].y, -5);
    }
    GlobalFree(params.block);
    EXPECT_EQ(g_document.objectTable[0].startX, 20);
    EXPECT_EQ(g_document.objectTable[0].startY, 30);
}

TEST_F(PathEditor, DeletedSoundsAreRenumberedInTheNodes)
{
    ObjectStep a = StepOf(0, 0, 0, 0, STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE), b = StepOf(0, 1, 0), c = StepOf(0, 1, 0),
               e = StepOf(0, 1, 0);
    a.soundIndex = 2;
    b.soundIndex = 3;
    c.soundIndex = 1;
    e.soundIndex = 0x40;
    SetSteps(0, {a, b, c, e});
    g_document.objectTable[0].objectFlags = OBJ_STEP_LIST | OBJ_PATH;
    g_document.soundCount = 3;
    RunPath([](HWND d) {
        // What the sound dialog tells its owner when sound 2 of 3 goes.
        SendMessageA(d, COMPOSE_SOUND_DELETED, 2, 3);
        Click(d, IDOK);
    });
    std::vector<int> sounds;
    for (const ObjectStep& s : Steps(0)) sounds.push_back(s.soundIndex);
    EXPECT_EQ(sounds, (std::vector<int>{0, 2, 1, 0x40}));
}

// The test run: the path as drawn is the object's step list while the
// test-run window lives; the record and the blocks come back afterwards.
struct FakeRun {
    static inline int seenCount = -1;
    static inline uint8_t seenFlags = 0;
    static inline int seenX = 0;
    static int Show(HWND, int)
    {
        seenCount = g_document.objectTable[0].stepCount;
        seenFlags = g_document.objectTable[0].objectFlags;
        GlobalLockGuard<ObjectStep> steps(g_document.objectMemoryHandles[0][0]);
        seenX = steps ? steps.get()[1].x : 0;
        g_appState.animationWindow = CreateWindowExA(0, "STATIC", "run", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        // The run ends by itself a little later.
        PostMessageA(g_appState.animationWindow, WM_CLOSE, 0, 0);
        return 1;
    }
};

TEST_F(PathEditor, TestRunUsesThePathAndPutsTheObjectBack)
{
    SetSteps(0, {StepOf(0, 10, 10, 0, STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE), StepOf(1, 40, 0)});
    g_document.objectTable[0].objectFlags = 0;
    HGLOBAL own = g_document.objectMemoryHandles[0][0];
    auto previous = g_appState.hooks.showAnimationWindow;
    g_appState.hooks.showAnimationWindow = FakeRun::Show;
    RunPath([](HWND d) {
        Drag(d, {50, 10}, {70, 10});
        Tool(d, PATH_TEST_RUN);
        EXPECT_TRUE(IsWindowEnabled(d));
        Click(d, IDCANCEL);
    });
    g_appState.hooks.showAnimationWindow = previous;
    // The STATIC window was closed by DefWindowProc's WM_CLOSE handling.
    g_appState.animationWindow = nullptr;
    EXPECT_EQ(FakeRun::seenCount, 2);
    EXPECT_EQ(FakeRun::seenFlags, OBJ_STEP_LIST);
    EXPECT_EQ(FakeRun::seenX, 60);
    EXPECT_EQ(g_document.objectMemoryHandles[0][0], own);
    EXPECT_EQ(g_document.objectTable[0].objectFlags, 0);
    EXPECT_EQ(Steps(0)[1].x, 40);
}

}  // namespace
