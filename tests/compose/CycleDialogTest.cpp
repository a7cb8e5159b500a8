// "Define Cycle" in a real dialog run through the editor's dialog runner: the
// entry its fields build, the commit of the working copy to the object, the
// key combo, the value-over-range dialog, switching objects and a hostile
// step list.
#include "ComposeTestSupport.h"
#include "CycleDialogState.h"
#include <gtest/gtest.h>
#include <functional>

namespace {

class CycleDialog : public ComposeTest {
protected:
    // Commits of lists beside a sequence animation ask which one to use;
    // tests that care about the question record it themselves.
    MessageBoxRecorder quietBoxes_{IDNO};
    static ObjectStep Entry(HWND d, int step)
    {
        ObjectStep e{};
        SendMessageA(GetDlgItem(d, IDC_CYCLE_STEPS), FILMSTRIP_GET_ITEM, step, reinterpret_cast<LPARAM>(&e));
        return e;
    }
    static int Count(HWND d) { return static_cast<int>(SendMessageA(GetDlgItem(d, IDC_CYCLE_STEPS), FILMSTRIP_GET_COUNT, 0, 0)); }
    static void SelectStep(HWND d, int step) { SendMessageA(GetDlgItem(d, IDC_CYCLE_STEPS), FILMSTRIP_SELECT, step, 0); }
    static void SelectFrame(HWND d, int frame) { SendMessageA(GetDlgItem(d, IDC_CYCLE_FRAMES), FILMSTRIP_SELECT, frame, 0); }
    static std::string Caption(HWND d)
    {
        char text[128] = "";
        GetWindowTextA(d, text, sizeof text);
        return text;
    }
};

// ---- the entry the fields build ---------------------------------------------------------

struct EntryCase {
    const char* what;
    std::function<void(HWND)> act;
    bool withConditions;
    bool accepted;
    // The entry (when accepted).
    int x, y, wait;
    uint8_t flags, condition, param;
    int jump;
    uint32_t mask;
};

TEST_F(CycleDialog, FieldsBuildTheEntryOrRefuseIt)
{
    auto fields = [](const char* x, const char* y, const char* wait) {
        return [=](HWND d) {
            SetText(d, IDC_CYCLE_X, x);
            SetText(d, IDC_CYCLE_Y, y);
            SetText(d, IDC_CYCLE_DELAY, wait);
        };
    };
    const EntryCase cases[] = {
        {"plain fields and flags", [&](HWND d) {
             fields("12", "-7", "3")(d);
             Click(d, IDC_CYCLE_X_ABSOLUTE);
             Click(d, IDC_CYCLE_FIX_FRAME);
         }, true, true, 12, -7, 3, STEP_X_ABSOLUTE | STEP_FIX_FRAME, 0, 0, 0, 0},
        {"empty fields count as 0", fields("", " ", ""), true, true, 0, 0, 0, 0, 0, 0, 0, 0},
        {"the limits", fields("-2048", "2048", "255"), true, true, -2048, 2048, 255, 0, 0, 0, 0, 0},
        {"x 2049 refused", fields("2049", "0", "0"), true, false},
        {"y -2049 refused", fields("0", "-2049", "0"), true, false},
        {"delay 256 refused", fields("0", "0", "256"), true, false},
        {"negative delay refused", fields("0", "0", "-1"), true, false},
        {"letters refused", fields("1x", "0", "0"), true, false},
        {"without conditions they are left out", [](HWND d) {
             Command(d, IDM_CYCLE_MOUSE_FIRST);
             SetText(d, IDC_CYCLE_JUMP, "3");
             ChooseCombo(d, IDC_CYCLE_OPTIONS, 1);
             SendDlgItemMessageA(d, IDC_CYCLE_START_LIST, LB_SETSEL, TRUE, 1);
         }, false, true, 0, 0, 0, 0, 0, 0, 0, 0},
        {"mouse code 4 and target 3", [](HWND d) {
             Command(d, IDM_CYCLE_MOUSE_FIRST + 3);
             SetText(d, IDC_CYCLE_JUMP, "3");
         }, true, true, 0, 0, 0, 0, 4 << 1, 0, 2, 0},
        {"position code 6", [](HWND d) { Command(d, IDM_CYCLE_POSITION_FIRST + 5); }, true, true, 0, 0, 0, 0, 6 << 4, 0, 0, 0},
        {"mouse and position together", [](HWND d) {
             Command(d, IDM_CYCLE_MOUSE_FIRST);
             Command(d, IDM_CYCLE_POSITION_FIRST);
         }, true, true, 0, 0, 0, 0, 1 << 1 | 1 << 4, 0, 0, 0},
        {"key not pressed with A", [](HWND d) {
             Command(d, IDM_CYCLE_KEY_NOT_PRESSED);
             ChooseCombo(d, IDC_CYCLE_KEY_COMBO, 30);
         }, true, true, 0, 0, 0, STEP_NEGATE_KEY, 0x80, 'A', 0, 0},
        {"key pressed with Space", [](HWND d) {
             Command(d, IDM_CYCLE_KEY_PRESSED);
             ChooseCombo(d, IDC_CYCLE_KEY_COMBO, 0);
         }, true, true, 0, 0, 0, 0, 0x80, VK_SPACE, 0, 0},
        {"counter 9", [](HWND d) {
             Click(d, IDC_CYCLE_COUNTER_CHECK);
             SetText(d, IDC_CYCLE_COUNTER, "9");
         }, true, true, 0, 0, 0, 0, 0x01, 9, 0, 0},
        {"counter clears the key", [](HWND d) {
             Command(d, IDM_CYCLE_KEY_NOT_PRESSED);
             ChooseCombo(d, IDC_CYCLE_KEY_COMBO, 30);
             Click(d, IDC_CYCLE_COUNTER_CHECK);
             EXPECT_FALSE(IsChecked(d, IDC_CYCLE_KEY_CHECK));
             EXPECT_EQ(Text(d, IDC_CYCLE_COUNTER), "0");
         }, true, true, 0, 0, 0, 0, 0x01, 0, 0, 0},
        {"key clears the counter", [](HWND d) {
             Click(d, IDC_CYCLE_COUNTER_CHECK);
             SetText(d, IDC_CYCLE_COUNTER, "9");
             Command(d, IDM_CYCLE_KEY_PRESSED);
             EXPECT_FALSE(IsChecked(d, IDC_CYCLE_COUNTER_CHECK));
             EXPECT_FALSE(Enabled(d, IDC_CYCLE_COUNTER));
             ChooseCombo(d, IDC_CYCLE_KEY_COMBO, 1);
         }, true, true, 0, 0, 0, 0, 0x80, VK_RETURN, 0, 0},
        {"counter 256 refused", [](HWND d) {
             Click(d, IDC_CYCLE_COUNTER_CHECK);
             SetText(d, IDC_CYCLE_COUNTER, "256");
         }, true, false},
        {"target 2048 is the last step", [](HWND d) {
             Command(d, IDM_CYCLE_MOUSE_FIRST);
             SetText(d, IDC_CYCLE_JUMP, "2048");
         }, true, true, 0, 0, 0, 0, 1 << 1, 0, 2047, 0},
        {"target 2049 refused", [](HWND d) {
             Command(d, IDM_CYCLE_MOUSE_FIRST);
             SetText(d, IDC_CYCLE_JUMP, "2049");
         }, true, false},
        {"target 40000 refused", [](HWND d) {
             Command(d, IDM_CYCLE_MOUSE_FIRST);
             SetText(d, IDC_CYCLE_JUMP, "40000");
         }, true, false},
        {"target 0 and empty store 0", [](HWND d) {
             Command(d, IDM_CYCLE_MOUSE_FIRST);
             SetText(d, IDC_CYCLE_JUMP, "0");
         }, true, true, 0, 0, 0, 0, 1 << 1, 0, 0, 0},
        {"None clears every condition", [](HWND d) {
             Command(d, IDM_CYCLE_MOUSE_FIRST + 2);
             Command(d, IDM_CYCLE_KEY_PRESSED);
             Command(d, IDM_CYCLE_CONDITION_NONE);
             EXPECT_FALSE(Enabled(d, IDC_CYCLE_JUMP));
             EXPECT_FALSE(IsChecked(d, IDC_CYCLE_MOUSE_CHECK));
         }, true, true, 0, 0, 0, 0, 0, 0, 0, 0},
        {"option Wait until Started", [](HWND d) { ChooseCombo(d, IDC_CYCLE_OPTIONS, 1); }, true, true, 0, 0, 0, STEP_WAIT, 0, 0, 0, 0},
        {"option next sequence", [](HWND d) { ChooseCombo(d, IDC_CYCLE_OPTIONS, 2); }, true, true, 0, 0, 0, STEP_END, 0, 0, 0, 0},
        {"option End Animation", [](HWND d) { ChooseCombo(d, IDC_CYCLE_OPTIONS, 3); }, true, true, 0, 0, 0,
         STEP_END | STEP_CLEAR_END_ACTION, 0, 0, 0, 0},
        {"start objects 1 and 3", [](HWND d) {
             SendDlgItemMessageA(d, IDC_CYCLE_START_LIST, LB_SETSEL, TRUE, 0);
             SendDlgItemMessageA(d, IDC_CYCLE_START_LIST, LB_SETSEL, TRUE, 2);
         }, true, true, 0, 0, 0, 0, 0, 0, 0, 0b101},
    };
    SetSteps(0, {StepOf(0), StepOf(1, 5, 6, 7)});
    DialogDrivers drivers({[&](HWND d) {
        for (const EntryCase& c : cases) {
            SCOPED_TRACE(c.what);
            // A fresh view of the empty step 0.
            const ObjectStep empty = StepOf(0);
            SendMessageA(GetDlgItem(d, IDC_CYCLE_STEPS), FILMSTRIP_SET_ITEM, 0, reinterpret_cast<LPARAM>(&empty));
            ShowCycleEntry(d);
            ObjectStep e;
            memset(&e, 0xAB, sizeof e);
            const ObjectStep untouched = e;
            c.act(d);
            const bool built = BuildCycleEntry(d, c.withConditions, &e);
            EXPECT_EQ(built, c.accepted);
            if (!c.accepted) {
                EXPECT_EQ(memcmp(&e, &untouched, sizeof e), 0);
                continue;
            }
            EXPECT_EQ((std::vector<int>{e.x, e.y, e.waitCount}), (std::vector<int>{c.x, c.y, c.wait}));
            EXPECT_EQ(e.stepFlags, c.flags);
            EXPECT_EQ(e.condition, c.condition);
            EXPECT_EQ(e.conditionParam, c.param);
            EXPECT_EQ(e.jumpTarget, c.jump);
            EXPECT_EQ(StepStartMask(e), c.mask);
            EXPECT_EQ(e.soundIndex, 0);
        }
        SetText(d, IDC_CYCLE_X, "0");
        SetText(d, IDC_CYCLE_Y, "0");
        SetText(d, IDC_CYCLE_DELAY, "0");
        Command(d, IDCANCEL);  // Escape
    }});
    EXPECT_EQ(Run(IDD_CYCLE_DEFINITION), 0);
}

TEST_F(CycleDialog, StepsShowTheirValuesAndOptionsReadBack)
{
    ObjectStep key = StepOf(2, -30, 40, 9, STEP_Y_ABSOLUTE | STEP_NEGATE_KEY | STEP_END | STEP_CLEAR_END_ACTION);
    key.condition = 0x80;
    key.conditionParam = 'Z';
    key.jumpTarget = 4;
    ObjectStep counter = StepOf(1, 0, 0, 0, STEP_END);
    counter.condition = 0x01 | (2 << 1);
    counter.conditionParam = 17;
    SetStepStartMask(&counter, 0b110);
    SetSteps(0, {key, counter, StepOf(0, 0, 0, 0, STEP_WAIT)});
    DialogDrivers drivers({[&](HWND d) {
        EXPECT_EQ(Caption(d), "Define Cycle - Object 1");
        EXPECT_EQ(Text(d, IDC_CYCLE_X), "-30");
        EXPECT_EQ(Text(d, IDC_CYCLE_Y), "40");
        EXPECT_EQ(Text(d, IDC_CYCLE_DELAY), "9");
        EXPECT_TRUE(IsChecked(d, IDC_CYCLE_Y_ABSOLUTE));
        EXPECT_TRUE(IsChecked(d, IDC_CYCLE_KEY_CHECK));
        EXPECT_FALSE(Enabled(d, IDC_CYCLE_COUNTER));
        EXPECT_EQ(Text(d, IDC_CYCLE_KEY_COMBO), "Z");
        EXPECT_EQ(Text(d, IDC_CYCLE_JUMP), "5");
        EXPECT_TRUE(Enabled(d, IDC_CYCLE_JUMP));
        EXPECT_EQ(SendDlgItemMessageA(d, IDC_CYCLE_OPTIONS, CB_GETCURSEL, 0, 0), 3);
        EXPECT_EQ(Text(d, IDC_CYCLE_START_LABEL), "Start Objects:");
        SelectStep(d, 1);
        EXPECT_TRUE(IsChecked(d, IDC_CYCLE_COUNTER_CHECK));
        EXPECT_TRUE(IsChecked(d, IDC_CYCLE_MOUSE_CHECK));
        EXPECT_FALSE(IsChecked(d, IDC_CYCLE_POSITION_CHECK));
        EXPECT_EQ(Text(d, IDC_CYCLE_COUNTER), "17");
        EXPECT_EQ(SendDlgItemMessageA(d, IDC_CYCLE_OPTIONS, CB_GETCURSEL, 0, 0), 2);
        EXPECT_EQ(Text(d, IDC_CYCLE_START_LABEL), "Start Objects (2):");
        SelectStep(d, 2);
        EXPECT_EQ(SendDlgItemMessageA(d, IDC_CYCLE_OPTIONS, CB_GETCURSEL, 0, 0), 1);
        EXPECT_FALSE(Enabled(d, IDC_CYCLE_JUMP));
        // Leaving a step stored it unchanged, conditions included.
        const ObjectStep shown[2] = {Entry(d, 0), Entry(d, 1)};
        EXPECT_EQ(memcmp(&shown[0], &key, sizeof key), 0);
        EXPECT_EQ(memcmp(&shown[1], &counter, sizeof counter), 0);
        Command(d, IDCANCEL);  // Escape
    }});
    EXPECT_EQ(Run(IDD_CYCLE_DEFINITION), 0);
}

TEST_F(CycleDialog, KeyComboListsNamedKeysDigitsAndLetters)
{
    DialogDrivers drivers({[](HWND d) {
        HWND combo = GetDlgItem(d, IDC_CYCLE_KEY_COMBO);
        ASSERT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 56);
        EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
        struct Item {
            int index;
            const char* text;
            int key;
        };
        const Item items[] = {{0, "Space", 0x20}, {1, "Return", 0x0D}, {2, "ESC", 0x1B}, {3, "Shift", 0x10}, {4, "UP", 0x26},
                              {7, "RIGHT", 0x27}, {8, "F1", 0x70}, {19, "F12", 0x7B}, {20, "0", '0'}, {29, "9", '9'},
                              {30, "A", 'A'}, {55, "Z", 'Z'}};
        for (const Item& item : items) {
            char text[32] = "";
            SendMessageA(combo, CB_GETLBTEXT, item.index, reinterpret_cast<LPARAM>(text));
            EXPECT_STREQ(text, item.text) << item.index;
            EXPECT_EQ(SendMessageA(combo, CB_GETITEMDATA, item.index, 0), item.key) << item.index;
        }
        // Keys compare as 16-bit values; one not listed removes the selection.
        SelectKeyInCombo(d, IDC_CYCLE_KEY_COMBO, 0x10000 | 'B');
        EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 31);
        SelectKeyInCombo(d, IDC_CYCLE_KEY_COMBO, 0x99);
        EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
        Command(d, IDCANCEL);  // Escape
    }});
    Run(IDD_CYCLE_DEFINITION);
}

TEST_F(CycleDialog, SizingSharesTheWidthAndHeightBetweenStripsAndButtons)
{
    DialogDrivers drivers({[](HWND d) {
        auto placeOf = [d](int id) {
            RECT r;
            GetWindowRect(GetDlgItem(d, id), &r);
            MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&r), 2);
            return r;
        };
        RECT before;
        GetClientRect(d, &before);
        const RECT top0 = placeOf(IDC_CYCLE_FRAMES), bottom0 = placeOf(IDC_CYCLE_STEPS);
        const int middleBand = before.bottom - (top0.bottom - top0.top) - (bottom0.bottom - bottom0.top);
        for (const SIZE grow : {SIZE{200, 160}, SIZE{60, 40}}) {
            RECT w;
            GetWindowRect(d, &w);
            SetWindowPos(d, nullptr, 0, 0, w.right - w.left + grow.cx, w.bottom - w.top + grow.cy, SWP_NOMOVE | SWP_NOZORDER);
            RECT client;
            GetClientRect(d, &client);
            const RECT top = placeOf(IDC_CYCLE_FRAMES), bottom = placeOf(IDC_CYCLE_STEPS);
            const int half = (client.bottom - middleBand) / 2;
            EXPECT_EQ((std::vector<LONG>{top.left, top.top, top.right - top.left, top.bottom - top.top}),
                      (std::vector<LONG>{5, 5, client.right - 10, half}));
            EXPECT_EQ((std::vector<LONG>{bottom.left, bottom.bottom, bottom.bottom - bottom.top}),
                      (std::vector<LONG>{5, client.bottom - 5, half}));
            const int buttonWidth = (client.right - 30) / 5;
            for (int id = IDC_CYCLE_ADD; id <= IDC_CYCLE_OK; ++id) {
                const RECT b = placeOf(id);
                EXPECT_EQ(b.left, 5 + (id - IDC_CYCLE_ADD) * (buttonWidth + 5)) << id;
                EXPECT_EQ(b.right - b.left, buttonWidth) << id;
            }
        }
        Command(d, IDCANCEL);  // Escape
    }});
    Run(IDD_CYCLE_DEFINITION);
}

// ---- the commit -------------------------------------------------------------------------------

TEST_F(CycleDialog, EmptyListFreesTheBlockAndClearsTheStepListBit)
{
    SetSteps(0, {StepOf(0), StepOf(1)});
    g_document.objectTable[0].objectFlags = OBJ_STEP_LIST;
    DialogDrivers drivers({[](HWND d) {
        Command(d, IDM_CYCLE_DELETE_ALL);
        EXPECT_EQ(Count(d), 0);
        Click(d, IDC_CYCLE_OK);
    }});
    EXPECT_EQ(Run(IDD_CYCLE_DEFINITION), 1);
    EXPECT_EQ(g_document.objectMemoryHandles[0][0], nullptr);
    EXPECT_EQ(g_document.objectTable[0].stepCount, 0);
    EXPECT_EQ(g_document.objectTable[0].objectFlags, 0);
    EXPECT_TRUE(g_document.animationState & DOC_MODIFIED);
}

TEST_F(CycleDialog, FirstListSetsTheStepListBitWithoutAsking)
{
    MessageBoxRecorder boxes;
    DialogDrivers drivers({[](HWND d) {
        EXPECT_EQ(Count(d), 0);
        SetText(d, IDC_CYCLE_X, "15");
        SelectFrame(d, 2);
        Click(d, IDC_CYCLE_ADD);
        Pump();
        SelectFrame(d, 3);
        Click(d, IDC_CYCLE_ADD);
        Pump();
        EXPECT_EQ(SendMessageA(GetDlgItem(d, IDC_CYCLE_STEPS), FILMSTRIP_GET_SELECTION, 0, 0), 1);
        SelectFrame(d, 1);
        Click(d, IDC_CYCLE_INSERT);  // before the selected step
        Pump();
        Click(d, IDC_CYCLE_OK);
    }});
    EXPECT_EQ(Run(IDD_CYCLE_DEFINITION), 1);
    EXPECT_TRUE(boxes.Boxes().empty());
    std::vector<int> frames, xs;
    for (const ObjectStep& s : Steps(0)) {
        frames.push_back(s.frameIndex);
        xs.push_back(s.x);
    }
    EXPECT_EQ(frames, (std::vector<int>{2, 1, 3}));
    EXPECT_EQ(xs, (std::vector<int>{15, 15, 15}));
    EXPECT_EQ(g_document.objectTable[0].objectFlags, OBJ_STEP_LIST);
    EXPECT_TRUE(g_document.animationState & DOC_MODIFIED);
}

TEST_F(CycleDialog, ChangesClearThePathBitAndAnUnchangedListKeepsIt)
{
    SetSteps(0, {StepOf(0, 1), StepOf(1, 2)});
    g_document.objectTable[0].objectFlags = OBJ_STEP_LIST | OBJ_PATH;
    {
        DialogDrivers drivers({[](HWND d) { Click(d, IDC_CYCLE_OK); }});
        EXPECT_EQ(Run(IDD_CYCLE_DEFINITION), 1);
        EXPECT_EQ(g_document.objectTable[0].objectFlags, OBJ_STEP_LIST | OBJ_PATH);
        EXPECT_EQ(g_document.animationState, 0);
        EXPECT_EQ(Steps(0)[1].x, 2);
    }
    {
        DialogDrivers drivers({[](HWND d) {
            SetText(d, IDC_CYCLE_X, "5");
            Click(d, IDC_CYCLE_OK);
        }});
        EXPECT_EQ(Run(IDD_CYCLE_DEFINITION), 1);
        EXPECT_EQ(g_document.objectTable[0].objectFlags, OBJ_STEP_LIST);
        EXPECT_EQ(Steps(0)[0].x, 5);
        EXPECT_TRUE(g_document.animationState & DOC_MODIFIED);
    }
}

TEST_F(CycleDialog, AListBesideASequenceAnimationAsksWhichToUse)
{
    SetSteps(0, {StepOf(0)});
    for (int answer : {IDNO, IDYES}) {
        g_document.objectTable[0].objectFlags = 0;
        MessageBoxRecorder boxes(answer);
        DialogDrivers drivers({[](HWND d) { Click(d, IDC_CYCLE_OK); }});
        EXPECT_EQ(Run(IDD_CYCLE_DEFINITION), 1);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].caption, "Warning");
        EXPECT_EQ(g_document.objectTable[0].objectFlags, answer == IDYES ? OBJ_STEP_LIST : 0);
    }
}

TEST_F(CycleDialog, CancelKeepsTheObjectsList)
{
    SetSteps(0, {StepOf(0, 1), StepOf(1, 2)});
    HGLOBAL own = g_document.objectMemoryHandles[0][0];
    DialogDrivers drivers({[](HWND d) {
        SetText(d, IDC_CYCLE_X, "77");
        Click(d, IDC_CYCLE_ADD);
        Command(d, IDM_CYCLE_ADD_ALL);
        Pump();
        Click(d, IDC_CYCLE_DELETE);
        Command(d, IDCANCEL);  // Escape
    }});
    EXPECT_EQ(Run(IDD_CYCLE_DEFINITION), 0);
    EXPECT_EQ(g_document.objectMemoryHandles[0][0], own);
    ASSERT_EQ(Steps(0).size(), 2u);
    EXPECT_EQ(Steps(0)[0].x, 1);
    EXPECT_EQ(g_document.animationState, 0);
}

TEST_F(CycleDialog, ListsStopAt2048Steps)
{
    SetSteps(0, std::vector<ObjectStep>(MAX_STEPS - 2, StepOf(1)));
    DialogDrivers drivers({[](HWND d) {
        Command(d, IDM_CYCLE_ADD_ALL);  // four frames do not fit
        EXPECT_EQ(Count(d), MAX_STEPS - 2);
        Command(d, IDM_CYCLE_INSERT_ALL);
        EXPECT_EQ(Count(d), MAX_STEPS - 2);
        Click(d, IDC_CYCLE_ADD);
        Pump();
        Click(d, IDC_CYCLE_INSERT);
        Pump();
        EXPECT_EQ(Count(d), MAX_STEPS);
        Click(d, IDC_CYCLE_ADD);
        Click(d, IDC_CYCLE_INSERT);
        Pump();
        EXPECT_EQ(Count(d), MAX_STEPS);
        Click(d, IDC_CYCLE_OK);
    }});
    EXPECT_EQ(Run(IDD_CYCLE_DEFINITION), 1);
    EXPECT_EQ(g_document.objectTable[0].stepCount, MAX_STEPS);
}

TEST_F(CycleDialog, AddAllAndInsertAllPutEveryFrameInOrder)
{
    SetSteps(0, {StepOf(3, 9), StepOf(3, 8)});
    DialogDrivers drivers({[](HWND d) {
        SelectStep(d, 1);
        SetText(d, IDC_CYCLE_X, "4");
        Command(d, IDM_CYCLE_INSERT_ALL);
        Pump();
        Command(d, IDM_CYCLE_ADD_ALL);
        Pump();
        Click(d, IDC_CYCLE_OK);
    }});
    EXPECT_EQ(Run(IDD_CYCLE_DEFINITION), 1);
    std::vector<int> frames;
    for (const ObjectStep& s : Steps(0)) frames.push_back(s.frameIndex);
    EXPECT_EQ(frames, (std::vector<int>{3, 0, 1, 2, 3, 3, 0, 1, 2, 3}));
    EXPECT_EQ(Steps(0)[2].x, 4);
}

// ---- the value-over-range dialog ------------------------------------------------------------

TEST_F(CycleDialog, ChangeDelayOverARangeHoldsTheByte)
{
    SetSteps(0, {StepOf(0, 0, 0, 10), StepOf(1, 0, 0, 200), StepOf(2, 0, 0, 50)});
    bool refusedStayed = false;
    DialogDrivers drivers(
        {[&](HWND d) {
             Command(d, IDM_CYCLE_CHANGE_DELAY);  // -300 on the selected step only
             EXPECT_EQ(Text(d, IDC_CYCLE_DELAY), "0");
             Command(d, IDM_CYCLE_CHANGE_DELAY);  // +100 from the second step to the end
             Command(d, IDM_CYCLE_CHANGE_DELAY);  // alter by 0 is refused
             Click(d, IDC_CYCLE_OK);
         },
         [](HWND c) {
             EXPECT_EQ(Caption(c), "Change Delay");
             EXPECT_TRUE(IsChecked(c, IDC_CHANGE_ALTER));
             EXPECT_FALSE(Enabled(c, IDC_CHANGE_SET_VALUE));
             EXPECT_TRUE(IsChecked(c, IDC_CHANGE_FROM_CURRENT));
             EXPECT_TRUE(IsChecked(c, IDC_CHANGE_TO_END));
             EXPECT_EQ(Text(c, IDC_CHANGE_FROM_VALUE), "4");
             EXPECT_EQ(Text(c, IDC_CHANGE_TO_VALUE), "3");
             EXPECT_FALSE(IsWindowVisible(GetDlgItem(c, IDC_CHANGE_ABSOLUTE)));
             EXPECT_FALSE(IsWindowVisible(GetDlgItem(c, IDC_CHANGE_FIX_FRAME)));
             SetText(c, IDC_CHANGE_ALTER_VALUE, "-300");
             Click(c, IDC_CHANGE_TO_NUMBER);
             SetText(c, IDC_CHANGE_NUMBER_VALUE, "1");
             Click(c, IDOK);
         },
         [](HWND c) {
             // Switching carries the number into the other field.
             SetText(c, IDC_CHANGE_ALTER_VALUE, "100");
             Click(c, IDC_CHANGE_SET);
             EXPECT_EQ(Text(c, IDC_CHANGE_SET_VALUE), "100");
             EXPECT_FALSE(Enabled(c, IDC_CHANGE_ALTER_VALUE));
             Click(c, IDC_CHANGE_ALTER);
             EXPECT_EQ(Text(c, IDC_CHANGE_ALTER_VALUE), "100");
             Click(c, IDC_CHANGE_FROM_POSITION);
             SetText(c, IDC_CHANGE_FROM_VALUE, "2");
             Click(c, IDOK);
         },
         [&](HWND c) {
             SetText(c, IDC_CHANGE_ALTER_VALUE, "0");
             Click(c, IDOK);
             refusedStayed = IsWindowVisible(c) != FALSE;
             Click(c, IDCANCEL);
         }});
    EXPECT_EQ(Run(IDD_CYCLE_DEFINITION), 1);
    EXPECT_TRUE(refusedStayed);
    std::vector<int> delays;
    for (const ObjectStep& s : Steps(0)) delays.push_back(s.waitCount);
    EXPECT_EQ(delays, (std::vector<int>{0, 255, 150}));
    EXPECT_TRUE(g_document.animationState & DOC_MODIFIED);
}

TEST_F(CycleDialog, ChangeXFollowsTheFilterAndFlagsCycleThroughThreeStates)
{
    SetSteps(0, {StepOf(0, 10, 0, 0, STEP_X_ABSOLUTE), StepOf(1, 20), StepOf(2, 2000, 0, 0, STEP_X_ABSOLUTE | STEP_WAIT)});
    DialogDrivers drivers(
        {[](HWND d) {
             Command(d, IDM_CYCLE_CHANGE_X);
             Command(d, IDM_CYCLE_CHANGE_FLAGS);
             Click(d, IDC_CYCLE_OK);
         },
         [](HWND c) {
             EXPECT_EQ(Caption(c), "Change X Value");
             Click(c, IDC_CHANGE_ABSOLUTE);
             SetText(c, IDC_CHANGE_ALTER_VALUE, "100");
             Click(c, IDOK);
         },
         [](HWND c) {
             EXPECT_EQ(Caption(c), "Change Flags");
             EXPECT_FALSE(IsWindowVisible(GetDlgItem(c, IDC_CHANGE_ALTER_VALUE)));
             EXPECT_EQ(IsDlgButtonChecked(c, IDC_CHANGE_FIX_FRAME), UINT(BST_INDETERMINATE));
             Click(c, IDC_CHANGE_FIX_FRAME);
             Click(c, IDC_CHANGE_FIX_FRAME);  // checked: sets 0x20
             Click(c, IDC_CHANGE_WAIT);       // unchecked: clears 0x08
             Click(c, IDOK);
         }});
    EXPECT_EQ(Run(IDD_CYCLE_DEFINITION), 1);
    const std::vector<ObjectStep> steps = Steps(0);
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ((std::vector<int>{steps[0].x, steps[1].x, steps[2].x}), (std::vector<int>{110, 20, 2048}));
    EXPECT_EQ((std::vector<int>{steps[0].stepFlags, steps[1].stepFlags, steps[2].stepFlags}),
              (std::vector<int>{STEP_X_ABSOLUTE | STEP_FIX_FRAME, STEP_FIX_FRAME, STEP_X_ABSOLUTE | STEP_FIX_FRAME}));
}

// ---- objects ------------------------------------------------------------------------------------

TEST_F(CycleDialog, SwitchingObjectsCommitsToThePreviousOne)
{
    SetSteps(0, {StepOf(0, 1)});
    SetSteps(1, {StepOf(1, 2), StepOf(2, 3)});
    g_document.objectTable[0].objectFlags = g_document.objectTable[1].objectFlags = OBJ_STEP_LIST;
    MessageBoxRecorder boxes(IDNO);
    DialogDrivers drivers({[&](HWND d) {
        HMENU objects = GetSubMenu(GetMenu(d), 0);
        ASSERT_EQ(GetMenuItemCount(objects), 3);
        EXPECT_TRUE(GetMenuState(objects, IDM_CYCLE_OBJECT_FIRST, MF_BYCOMMAND) & MF_CHECKED);
        SetText(d, IDC_CYCLE_X, "7");
        Command(d, IDM_CYCLE_OBJECT_FIRST + 1);
        EXPECT_EQ(Caption(d), "Define Cycle - Object 2");
        EXPECT_EQ(Count(d), 2);
        EXPECT_FALSE(GetMenuState(objects, IDM_CYCLE_OBJECT_FIRST, MF_BYCOMMAND) & MF_CHECKED);
        EXPECT_TRUE(GetMenuState(objects, IDM_CYCLE_OBJECT_FIRST + 1, MF_BYCOMMAND) & MF_CHECKED);
        EXPECT_EQ(Steps(0)[0].x, 7);  // already handed over
        SetText(d, IDC_CYCLE_X, "8");
        Click(d, IDC_CYCLE_OK);
    }});
    EXPECT_EQ(Run(IDD_CYCLE_DEFINITION), 1);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(g_document.currentObject, 1);
    EXPECT_EQ(Steps(0)[0].x, 7);
    EXPECT_EQ(Steps(1)[0].x, 8);
    EXPECT_EQ(Steps(1)[1].x, 3);
}

TEST_F(CycleDialog, AFailedSwitchKeepsTheDialogOnItsObject)
{
    SetSteps(0, {StepOf(0, 1)});
    SetSteps(1, {StepOf(1, 2)});
    g_document.objectTable[0].objectFlags = g_document.objectTable[1].objectFlags = OBJ_STEP_LIST;
    // Object 2's sequence file is gone: it cannot be loaded.
    ASSERT_TRUE(DeleteFileA(pathB_.c_str()));
    MessageBoxRecorder boxes;
    DialogDrivers drivers({[&](HWND d) {
        Command(d, IDM_CYCLE_OBJECT_FIRST + 1);
        EXPECT_EQ(Caption(d), "Define Cycle - Object 1");
        SetText(d, IDC_CYCLE_X, "9");
        Click(d, IDC_CYCLE_OK);
    }});
    EXPECT_EQ(Run(IDD_CYCLE_DEFINITION), 1);
    EXPECT_EQ(Steps(0)[0].x, 9);
    ASSERT_EQ(Steps(1).size(), 1u);
    EXPECT_EQ(Steps(1)[0].x, 2);
}

TEST_F(CycleDialog, ReloadWithoutARunOfItsOwnKeepsTheWorkingCopy)
{
    SetSteps(0, {StepOf(0, 1), StepOf(1, 2)});
    DialogDrivers drivers({[](HWND d) {
        SetText(d, IDC_CYCLE_X, "55");
        Click(d, IDC_CYCLE_REPLACE);
        SendMessageA(d, CYCLEDLG_RELOAD, 0, 0);
        EXPECT_EQ(Entry(d, 0).x, 55);
        Command(d, IDCANCEL);  // Escape
    }});
    EXPECT_EQ(Run(IDD_CYCLE_DEFINITION), 0);
    EXPECT_EQ(Steps(0)[0].x, 1);
}

TEST_F(CycleDialog, HostileStepsOpenAndCommitWithoutHarm)
{
    ObjectStep wild = StepOf(255, 100000, -100000, 255, 0xFF);
    wild.jumpTarget = -1;
    wild.condition = 0xFF;
    wild.conditionParam = 0xEE;
    wild.soundIndex = 200;
    SetStepStartMask(&wild, 0xFFFFFFFF);
    ObjectStep distant = wild;
    distant.jumpTarget = 30000;
    distant.condition = 0x7E;
    SetSteps(0, {wild, distant, StepOf(0)});
    g_document.objectTable[0].stepCount = 3;
    DialogDrivers drivers({[](HWND d) {
        for (int step : {1, 2, 0, 1}) SelectStep(d, step);
        Click(d, IDC_CYCLE_OK);
    }});
    EXPECT_EQ(Run(IDD_CYCLE_DEFINITION), 1);
    ASSERT_EQ(g_document.objectTable[0].stepCount, 3);
    EXPECT_NE(g_document.objectMemoryHandles[0][0], nullptr);
}

}  // namespace
