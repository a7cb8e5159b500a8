// The object dialogs in real dialogs run through the editor's dialog runner:
// "Define Animation Sequence" filled through its controls, "New Object" on
// each of its roads, "Select Object" and "Move / Delete Object" with drags
// that carry records, handles, run states and start masks along.
#include "ComposeTestSupport.h"
#include "ComposeCommon.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

// ---- "Define Animation Sequence" (1012) ---------------------------------------------

// What the test does to the dialog: clicks, then field texts, then scroll codes.
struct ScrollCode {
    int bar;
    int code;
    int thumb;
};

struct SequenceCase {
    const char* what;
    uint8_t motionBefore;
    uint8_t flagsBefore;
    std::vector<int> clicks;
    std::vector<std::pair<int, const char*>> fields;
    std::vector<ScrollCode> scrolls;
    bool accepted;
    // The record after OK (when accepted).
    uint8_t motion;
    uint8_t flags;
    int repeatCount;
    int startX, startY, dx, dy;
    int frameDelay, moveDelay;
};

class SequenceAnimationDialog : public ComposeTest {
protected:
    void Prepare(uint8_t motion, uint8_t flags)
    {
        ObjectRecord& r = g_document.objectTable[0];
        r.motionFlags = motion;
        r.objectFlags = flags;
        r.repeatCount = 7;
        r.startX = 10;
        r.startY = -20;
        r.dx = 3;
        r.dy = -4;
        r.frameDelay = 2;
        r.moveDelay = 18;
    }
};

TEST_F(SequenceAnimationDialog, ControlsMakeTheRecordOrLeaveItUnchanged)
{
    const SequenceCase cases[] = {
        {"nothing changed", 0, 0, {}, {}, {}, true, 0, 0, 7, 10, -20, 3, -4, 2, 18},
        {"Reverse and Toggle Direction clear Solid border", MOTION_BOUNCE, 0, {IDC_SEQ_REVERSE, IDC_SEQ_TOGGLE_DIRECTION}, {}, {},
         true, MOTION_PING_PONG | MOTION_REVERSE_WITH_FRAMES, 0, 7, 10, -20, 3, -4, 2, 18},
        {"Reverse, Toggle Direction, then Solid border clears Toggle Direction", 0, 0,
         {IDC_SEQ_REVERSE, IDC_SEQ_TOGGLE_DIRECTION, IDC_SEQ_SOLID_BORDER}, {}, {}, true, MOTION_PING_PONG | MOTION_BOUNCE, 0, 7,
         10, -20, 3, -4, 2, 18},
        {"Repeat with Solid border and Toggle Cycle", 0, 0, {IDC_SEQ_SOLID_BORDER, IDC_SEQ_TOGGLE_CYCLE}, {}, {}, true,
         MOTION_BOUNCE | MOTION_BOUNCE_REVERSES_FRAMES, 0, 7, 10, -20, 3, -4, 2, 18},
        {"Solid border off under Repeat clears Toggle Cycle", MOTION_BOUNCE | MOTION_BOUNCE_REVERSES_FRAMES, 0,
         {IDC_SEQ_SOLID_BORDER}, {}, {}, true, 0, 0, 7, 10, -20, 3, -4, 2, 18},
        {"Repeat clears Toggle Direction", MOTION_PING_PONG | MOTION_REVERSE_WITH_FRAMES, 0, {IDC_SEQ_REPEAT}, {}, {}, true, 0, 0,
         7, 10, -20, 3, -4, 2, 18},
        {"Reverse clears Toggle Cycle", MOTION_BOUNCE | MOTION_BOUNCE_REVERSES_FRAMES, 0, {IDC_SEQ_REVERSE}, {}, {}, true,
         MOTION_PING_PONG | MOTION_BOUNCE, 0, 7, 10, -20, 3, -4, 2, 18},
        {"Terminate after 12", 0, 0, {IDC_SEQ_TERMINATE}, {{IDC_SEQ_REPEAT_COUNT, "12"}}, {}, true, 0, OBJ_FINITE, 12, 10, -20,
         3, -4, 2, 18},
        {"Terminate after 9999", 0, 0, {IDC_SEQ_TERMINATE}, {{IDC_SEQ_REPEAT_COUNT, "9999"}}, {}, true, 0, OBJ_FINITE, 9999, 10,
         -20, 3, -4, 2, 18},
        {"infinite keeps the count", 0, OBJ_FINITE, {IDC_SEQ_INFINITE}, {}, {}, true, 0, 0, 7, 10, -20, 3, -4, 2, 18},
        {"positions at the limits", 0, 0, {}, {{IDC_SEQ_START_X, "-999"}, {IDC_SEQ_START_Y, "999"}, {IDC_SEQ_DX, "0"}, {IDC_SEQ_DY, "-1"}},
         {}, true, 0, 0, 7, -999, 999, 0, -1, 2, 18},
        {"Disabled at Start cannot stay without another step list", 0, OBJ_DISABLED, {}, {}, {}, true, 0, 0, 7, 10, -20, 3, -4,
         2, 18},
        {"delay bars step and hold within 0..18", 0, 0, {}, {},
         {{IDC_SEQ_CYCLE_DELAY, SB_LINERIGHT, 0}, {IDC_SEQ_CYCLE_DELAY, SB_PAGERIGHT, 0}, {IDC_SEQ_MOTION_DELAY, SB_LINERIGHT, 0},
          {IDC_SEQ_MOTION_DELAY, SB_THUMBTRACK, 3}},
         true, 0, 0, 7, 10, -20, 3, -4, 4, 18},
        {"delay bars take the thumb and stop at 0", 0, 0, {}, {},
         {{IDC_SEQ_CYCLE_DELAY, SB_THUMBPOSITION, 0}, {IDC_SEQ_CYCLE_DELAY, SB_LINELEFT, 0}, {IDC_SEQ_MOTION_DELAY, SB_THUMBPOSITION, 9}},
         true, 0, 0, 7, 10, -20, 3, -4, 0, 9},
        // Refused: the record stays as it was and the dialog stays open.
        {"count 0 refused", 0, 0, {IDC_SEQ_TERMINATE}, {{IDC_SEQ_REPEAT_COUNT, "0"}}, {}, false},
        {"count 10000 refused", 0, 0, {IDC_SEQ_TERMINATE}, {{IDC_SEQ_REPEAT_COUNT, "10000"}}, {}, false},
        {"empty count refused", 0, 0, {IDC_SEQ_TERMINATE}, {{IDC_SEQ_REPEAT_COUNT, ""}}, {}, false},
        {"x -1000 refused", MOTION_BOUNCE, 0, {IDC_SEQ_REVERSE}, {{IDC_SEQ_START_X, "-1000"}}, {}, false},
        {"dy 1000 refused", 0, 0, {}, {{IDC_SEQ_DY, "1000"}}, {}, false},
        {"letters refused", 0, 0, {}, {{IDC_SEQ_DX, "1a"}}, {}, false},
    };
    for (const SequenceCase& c : cases) {
        SCOPED_TRACE(c.what);
        Prepare(c.motionBefore, c.flagsBefore);
        const ObjectRecord before = g_document.objectTable[0];
        bool stayedOpen = false;
        DialogDrivers drivers({[&](HWND d) {
            for (int id : c.clicks) Click(d, id);
            for (const auto& f : c.fields) SetText(d, f.first, f.second);
            for (const ScrollCode& s : c.scrolls)
                SendMessageA(d, WM_HSCROLL, MAKEWPARAM(s.code, s.thumb), reinterpret_cast<LPARAM>(GetDlgItem(d, s.bar)));
            Click(d, IDOK);
            stayedOpen = IsWindow(d) && IsWindowVisible(d);
            if (stayedOpen) Click(d, IDCANCEL);
        }});
        const INT_PTR result = Run(IDD_SEQUENCE_ANIMATION);
        const ObjectRecord& r = g_document.objectTable[0];
        if (!c.accepted) {
            EXPECT_TRUE(stayedOpen);
            EXPECT_EQ(result, 0);
            EXPECT_EQ(memcmp(&r, &before, sizeof r), 0);
            EXPECT_EQ(g_document.animationState, 0);
            continue;
        }
        EXPECT_FALSE(stayedOpen);
        EXPECT_EQ(result, 1);
        EXPECT_EQ(r.motionFlags, c.motion);
        EXPECT_EQ(r.objectFlags, c.flags);
        EXPECT_EQ(r.repeatCount, c.repeatCount);
        EXPECT_EQ((std::vector<int>{r.startX, r.startY, r.dx, r.dy}), (std::vector<int>{c.startX, c.startY, c.dx, c.dy}));
        EXPECT_EQ(r.frameDelay, c.frameDelay);
        EXPECT_EQ(r.moveDelay, c.moveDelay);
        EXPECT_TRUE(g_document.animationState & DOC_MODIFIED);
        g_document.animationState = 0;
    }
}

TEST_F(SequenceAnimationDialog, ShowsTheRecordAndWhatMayBeChosen)
{
    // Object 1 has a step list: object 0 can wait to be started.
    SetSteps(1, {StepOf(0)});
    Prepare(MOTION_PING_PONG | MOTION_REVERSE_WITH_FRAMES, OBJ_DISABLED | OBJ_FINITE);
    g_document.objectTable[0].repeatCount = 0;
    DialogDrivers drivers({[&](HWND d) {
        EXPECT_TRUE(IsChecked(d, IDC_SEQ_REVERSE));
        EXPECT_FALSE(IsChecked(d, IDC_SEQ_REPEAT));
        EXPECT_TRUE(IsChecked(d, IDC_SEQ_TOGGLE_DIRECTION));
        EXPECT_TRUE(Enabled(d, IDC_SEQ_TOGGLE_DIRECTION));
        EXPECT_FALSE(Enabled(d, IDC_SEQ_TOGGLE_CYCLE));
        EXPECT_TRUE(Enabled(d, IDC_SEQ_DISABLED));
        EXPECT_TRUE(IsChecked(d, IDC_SEQ_DISABLED));
        EXPECT_TRUE(IsChecked(d, IDC_SEQ_TERMINATE));
        EXPECT_EQ(Text(d, IDC_SEQ_REPEAT_COUNT), "");  // a count of 0 is not shown
        EXPECT_EQ(Text(d, IDC_SEQ_START_Y), "-20");
        EXPECT_EQ(GetScrollPos(GetDlgItem(d, IDC_SEQ_MOTION_DELAY), SB_CTL), 18);
        // Switching Disabled at Start off goes into the record.
        Click(d, IDC_SEQ_DISABLED);
        SetText(d, IDC_SEQ_REPEAT_COUNT, "3");
        Click(d, IDOK);
    }});
    EXPECT_EQ(Run(IDD_SEQUENCE_ANIMATION), 1);
    EXPECT_EQ(g_document.objectTable[0].objectFlags, OBJ_FINITE);
    EXPECT_EQ(g_document.objectTable[0].repeatCount, 3);
}

TEST_F(SequenceAnimationDialog, OkAsksWhetherASequenceAnimationReplacesTheStepList)
{
    struct QuestionCase {
        uint8_t flags;
        int answer;
        size_t boxes;
        uint8_t flagsAfter;
    };
    const QuestionCase cases[] = {
        {OBJ_STEP_LIST, IDYES, 1, 0},
        {OBJ_STEP_LIST, IDNO, 1, OBJ_STEP_LIST},
        {0, IDYES, 0, 0},
    };
    for (const QuestionCase& c : cases) {
        Prepare(0, c.flags);
        MessageBoxRecorder boxes(c.answer);
        DialogDrivers drivers({[](HWND d) { Click(d, IDOK); }});
        EXPECT_EQ(Run(IDD_SEQUENCE_ANIMATION), 1);
        ASSERT_EQ(boxes.Boxes().size(), c.boxes);
        if (c.boxes) {
            EXPECT_EQ(boxes.Boxes()[0].text,
                      "A cycle definition has been defined for this object!\nDo you want to use the seqence animation instead?");
            EXPECT_EQ(boxes.Boxes()[0].caption, "Warning");
            EXPECT_EQ(boxes.Boxes()[0].style & (MB_ICONQUESTION | MB_YESNO), UINT(MB_ICONQUESTION | MB_YESNO));
        }
        EXPECT_EQ(g_document.objectTable[0].objectFlags, c.flagsAfter);
    }
}

TEST_F(SequenceAnimationDialog, CycleQuestionOnlyWhenTheSequenceAnimationIsInUse)
{
    MessageBoxRecorder boxes(IDNO);
    boxes.QueueAnswer(IDYES);
    g_document.objectTable[1].objectFlags = 0;
    EXPECT_EQ(ChooseCycleOrSequence(nullptr, 1, 1), 1);  // Yes
    EXPECT_EQ(ChooseCycleOrSequence(nullptr, 1, 1), 0);  // No
    g_document.objectTable[1].objectFlags = OBJ_STEP_LIST;
    EXPECT_EQ(ChooseCycleOrSequence(nullptr, 1, 1), 1);  // nothing to ask
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text,
              "A sequence animation has been defined for this object.\nDo you want to use the cycle definition instead?");
}

// ---- "New Object" (1016) -------------------------------------------------------------

class NewObjectDialog : public ComposeTest {
protected:
    void SetUp() override
    {
        ComposeTest::SetUp();
        SetSteps(1, {StepOf(0, 1), StepOf(2, 2), StepOf(1, 3)});
        g_document.objectTable[1].objectFlags = OBJ_STEP_LIST;
        g_document.objectTable[1].dx = 42;
    }
    // The new slot is empty: nothing prepared, nothing leaked.
    static bool NewSlotEmpty()
    {
        const int slot = g_document.objectCount;
        for (HGLOBAL h : g_document.objectMemoryHandles[slot])
            if (h) return false;
        const ObjectRecord none{};
        return memcmp(&g_document.objectTable[slot], &none, sizeof none) == 0;
    }
    static inline std::string chosenPath_;
    static inline std::string fileSequence_;
    static inline int readResult_ = RESULT_OK;
    static int ChooseObjectFile(HWND, UINT, UINT titleId, UINT typeId, char* path, int*)
    {
        EXPECT_EQ(titleId, UINT(IDS_TITLE_OPEN_OBJECT));
        EXPECT_EQ(typeId, UINT(IDS_TYPE_OBJECT_FILE));
        strcpy(path, chosenPath_.c_str());
        return chosenPath_.empty() ? 0 : 1;
    }
    static int ReadObjectFileStandIn(const char*, int slot, char* sequenceName)
    {
        if (readResult_ != RESULT_OK) return readResult_;
        ObjectRecord& r = g_document.objectTable[slot];
        r = ObjectRecord{};
        strcpy(r.name, "From file");
        r.stepCount = 1;
        g_document.objectMemoryHandles[slot][0] = AllocateStepBlock(1);
        strcpy(sequenceName, fileSequence_.c_str());
        return RESULT_OK;
    }
    void UseObjectFiles()
    {
        g_appState.hooks.chooseFile = ChooseObjectFile;
        g_appState.hooks.readObjectFile = ReadObjectFileStandIn;
        chosenPath_ = "C:\\x.ano";
        readResult_ = RESULT_OK;
    }
};

TEST_F(NewObjectDialog, StartsWithANumberedNameAndTheCurrentSequence)
{
    UseObjectFiles();
    DialogDrivers drivers({[](HWND d) {
        EXPECT_EQ(Text(d, IDC_OBJECT_NAME), "Object 4");
        EXPECT_TRUE(IsChecked(d, IDC_EXISTING_FILE));
        EXPECT_EQ(SendDlgItemMessageA(d, IDC_OBJECT_SEQUENCES, LB_GETCOUNT, 0, 0), 2);
        EXPECT_EQ(SendDlgItemMessageA(d, IDC_OBJECT_SEQUENCES, LB_GETCURSEL, 0, 0), 0);
        HWND combo = GetDlgItem(d, IDC_COPY_FROM_OBJECT);
        ASSERT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 5);
        char text[64];
        SendMessageA(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(text, "-");
        SendMessageA(combo, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(text, "Object 2");
        SendMessageA(combo, CB_GETLBTEXT, 4, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(text, "File...");
        EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
        EXPECT_TRUE(Enabled(d, IDC_OPEN_FILE));
        EXPECT_TRUE(Enabled(d, IDC_NEW_FILE));
        // Copying "Object 2" shows its sequence; "File..." closes the other roads.
        ChooseCombo(d, IDC_COPY_FROM_OBJECT, 2);
        EXPECT_EQ(SendDlgItemMessageA(d, IDC_OBJECT_SEQUENCES, LB_GETCURSEL, 0, 0), 1);
        ChooseCombo(d, IDC_COPY_FROM_OBJECT, 4);
        EXPECT_FALSE(Enabled(d, IDC_OPEN_FILE));
        EXPECT_FALSE(Enabled(d, IDC_NEW_FILE));
        EXPECT_FALSE(Enabled(d, IDC_EXISTING_FILE));
        EXPECT_FALSE(Enabled(d, IDC_OBJECT_SEQUENCES));
        Click(d, IDCANCEL);
    }});
    EXPECT_EQ(Run(IDD_NEW_OBJECT), 0);
    EXPECT_TRUE(NewSlotEmpty());
}

TEST_F(NewObjectDialog, RoadsGiveTheirResultsAndPrepareTheSlot)
{
    struct RoadCase {
        const char* what;
        int copyItem;  // combo item: 0 "-", 1.. an object
        int road;
        int sequence;  // list selection under Existing File
        const char* name;
        INT_PTR result;
    };
    const RoadCase cases[] = {
        {"existing sequence 1", 0, IDC_EXISTING_FILE, 1, "Bird", SELECT_OBJECT + 1},
        {"existing sequence 0", 0, IDC_EXISTING_FILE, 0, "Cat", SELECT_OBJECT + 0},
        {"new file", 0, IDC_NEW_FILE, 0, "Dog", ADD_NEW_SEQUENCE},
        {"open file", 0, IDC_OPEN_FILE, 0, "Eel", ADD_CHOSEN_FILE},
        {"copy of Object 2", 2, IDC_EXISTING_FILE, -1, "Copy", SELECT_OBJECT + 1},
        {"a long name is cut at 31", 0, IDC_EXISTING_FILE, 1, "0123456789012345678901234567890123", SELECT_OBJECT + 1},
    };
    for (const RoadCase& c : cases) {
        SCOPED_TRACE(c.what);
        DialogDrivers drivers({[&](HWND d) {
            if (c.copyItem) {
                ChooseCombo(d, IDC_COPY_FROM_OBJECT, c.copyItem);
            }
            if (c.road != IDC_EXISTING_FILE) Click(d, c.road);
            if (c.sequence >= 0) SendDlgItemMessageA(d, IDC_OBJECT_SEQUENCES, LB_SETCURSEL, c.sequence, 0);
            SetText(d, IDC_OBJECT_NAME, c.name);
            Click(d, IDOK);
        }});
        EXPECT_EQ(Run(IDD_NEW_OBJECT), c.result);
        const int slot = g_document.objectCount;
        const ObjectRecord& r = g_document.objectTable[slot];
        EXPECT_EQ(std::string(r.name), std::string(c.name).substr(0, 31));
        if (c.copyItem) {
            EXPECT_EQ(r.dx, 42);
            EXPECT_EQ(r.stepCount, 3);
            HGLOBAL copy = g_document.objectMemoryHandles[slot][0];
            ASSERT_NE(copy, nullptr);
            EXPECT_NE(copy, g_document.objectMemoryHandles[1][0]);
            std::vector<int> frames = StepFrames(copy);
            frames.resize(3);
            EXPECT_EQ(frames, (std::vector<int>{0, 2, 1}));
        } else {
            EXPECT_EQ(g_document.objectMemoryHandles[slot][0], nullptr);
            EXPECT_EQ(r.stepCount, 0);
        }
        DiscardObjectSlot(slot);
    }
}

TEST_F(NewObjectDialog, AddObjectKeepsTheCopiedObject)
{
    DialogDrivers drivers({[](HWND d) {
        ChooseCombo(d, IDC_COPY_FROM_OBJECT, 2);
        SetText(d, IDC_OBJECT_NAME, "Twin");
        Click(d, IDOK);
    }});
    const INT_PTR result = Run(IDD_NEW_OBJECT);
    ASSERT_EQ(result, SELECT_OBJECT + 1);
    ASSERT_EQ(AddObject(nullptr, ADD_EXISTING_SEQUENCE | 1), 1);
    ASSERT_EQ(g_document.objectCount, 4);
    const ObjectRecord& r = g_document.objectTable[3];
    EXPECT_STREQ(r.name, "Twin");
    EXPECT_EQ(r.sequenceIndex, 1);
    EXPECT_EQ(r.dx, 42);
    EXPECT_EQ(r.objectFlags, OBJ_STEP_LIST);
    std::vector<int> frames;
    for (const ObjectStep& s : Steps(3)) frames.push_back(s.frameIndex);
    EXPECT_EQ(frames, (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(g_document.currentObject, 3);
}

TEST_F(NewObjectDialog, EmptyNameKeepsTheDialogAndCancelLeavesNothing)
{
    bool stayedOpen = false;
    DialogDrivers drivers({[&](HWND d) {
        ChooseCombo(d, IDC_COPY_FROM_OBJECT, 2);
        SetText(d, IDC_OBJECT_NAME, "");
        for (int i = 0; i < 3; ++i) Click(d, IDOK);
        stayedOpen = IsWindowVisible(d) != FALSE;
        EXPECT_TRUE(NewSlotEmpty());  // refused OKs placed nothing
        Click(d, IDCANCEL);
    }});
    EXPECT_EQ(Run(IDD_NEW_OBJECT), 0);
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(NewSlotEmpty());
    EXPECT_EQ(g_document.objectCount, 3);
}

TEST_F(NewObjectDialog, TwelveSequencesCloseTheRoadsToANewOne)
{
    const int loaded = g_document.sequenceCount;
    for (int i = loaded; i < MAX_SEQUENCES; ++i) snprintf(g_document.sequenceTable[i].fileName, 16, "s%d.bmx", i);
    g_document.sequenceCount = MAX_SEQUENCES;
    DialogDrivers drivers({[](HWND d) {
        EXPECT_FALSE(Enabled(d, IDC_OPEN_FILE));
        EXPECT_FALSE(Enabled(d, IDC_NEW_FILE));
        EXPECT_TRUE(Enabled(d, IDC_EXISTING_FILE));
        EXPECT_EQ(SendDlgItemMessageA(d, IDC_OBJECT_SEQUENCES, LB_GETCOUNT, 0, 0), MAX_SEQUENCES);
        Click(d, IDCANCEL);
    }});
    Run(IDD_NEW_OBJECT);
    for (int i = loaded; i < MAX_SEQUENCES; ++i) g_document.sequenceTable[i] = SequenceRecord{};
    g_document.sequenceCount = loaded;
}

TEST_F(NewObjectDialog, ObjectFilesFindTheirSequenceOrLeaveItsNameToLoad)
{
    UseObjectFiles();
    auto chooseFile = [](HWND d) {
        ChooseCombo(d, IDC_COPY_FROM_OBJECT, 4);
        Click(d, IDOK);
    };
    // A loaded sequence, named byte for byte.
    fileSequence_ = g_document.sequenceTable[1].fileName;
    {
        DialogDrivers drivers({chooseFile});
        EXPECT_EQ(Run(IDD_NEW_OBJECT), SELECT_OBJECT + 1);
        EXPECT_STREQ(g_document.objectTable[3].name, "From file");
        EXPECT_EQ(g_document.objectTable[3].sequenceIndex, 1);
        DiscardObjectSlot(3);
    }
    // Another case of letters is another file: it is to be loaded.
    fileSequence_ = g_document.sequenceTable[1].fileName;
    for (char& ch : fileSequence_) ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
    ASSERT_STRNE(fileSequence_.c_str(), g_document.sequenceTable[1].fileName);
    {
        DialogDrivers drivers({chooseFile});
        EXPECT_EQ(Run(IDD_NEW_OBJECT), ADD_PATH_BUFFER);
        EXPECT_EQ(g_document.objectTable[3].sequenceIndex, 2);
        EXPECT_EQ(std::string(g_appState.pathBuffer), fileSequence_);
        DiscardObjectSlot(3);
    }
    // Cancel in the chooser, then a file that cannot be read: the dialog stays.
    {
        MessageBoxRecorder boxes;
        bool stayed = false;
        DialogDrivers drivers({[&](HWND d) {
            chosenPath_.clear();
            chooseFile(d);
            EXPECT_TRUE(IsWindowVisible(d));
            chosenPath_ = "C:\\x.ano";
            readResult_ = RESULT_READ_ERROR;
            Click(d, IDOK);
            stayed = IsWindowVisible(d) != FALSE;
            Click(d, IDCANCEL);
        }});
        EXPECT_EQ(Run(IDD_NEW_OBJECT), 0);
        EXPECT_TRUE(stayed);
        EXPECT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_TRUE(NewSlotEmpty());
    }
}

TEST_F(NewObjectDialog, TwelveSequencesRefuseAnObjectFileOfAThirteenth)
{
    UseObjectFiles();
    const int loaded = g_document.sequenceCount;
    for (int i = loaded; i < MAX_SEQUENCES; ++i) snprintf(g_document.sequenceTable[i].fileName, 16, "s%d.bmx", i);
    g_document.sequenceCount = MAX_SEQUENCES;
    fileSequence_ = "C:\\elsewhere\\new.bmx";
    bool stayed = false;
    DialogDrivers drivers({[&](HWND d) {
        ChooseCombo(d, IDC_COPY_FROM_OBJECT, 4);
        Click(d, IDOK);
        stayed = IsWindowVisible(d) != FALSE;
        Click(d, IDCANCEL);
    }});
    EXPECT_EQ(Run(IDD_NEW_OBJECT), 0);
    EXPECT_TRUE(stayed);
    EXPECT_TRUE(NewSlotEmpty());
    for (int i = loaded; i < MAX_SEQUENCES; ++i) g_document.sequenceTable[i] = SequenceRecord{};
    g_document.sequenceCount = loaded;
}

// ---- "Select Object" (1017) ----------------------------------------------------------

using SelectObjectDialog = ComposeTest;

TEST_F(SelectObjectDialog, EditedNamesGoBackAndTheChoiceIsReturned)
{
    DialogDrivers drivers({[](HWND d) {
        EXPECT_EQ(Text(d, IDC_OBJECT_NAME), "Object 1");
        EXPECT_EQ(SendDlgItemMessageA(d, IDC_OBJECT_SEQUENCES, LB_GETCURSEL, 0, 0), 0);
        SetText(d, IDC_OBJECT_NAME, "Hero");
        HWND list = GetDlgItem(d, IDC_OBJECT_LIST);
        SendMessageA(list, LB_SETCURSEL, 1, 0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_OBJECT_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        char item[64];
        SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(item));
        EXPECT_STREQ(item, "Hero");
        EXPECT_EQ(Text(d, IDC_OBJECT_NAME), "Object 2");
        EXPECT_EQ(SendDlgItemMessageA(d, IDC_OBJECT_SEQUENCES, LB_GETCURSEL, 0, 0), 1);
        SetText(d, IDC_OBJECT_NAME, "A name far longer than thirty-one characters");
        Click(d, IDOK);
    }});
    EXPECT_EQ(Run(IDD_SELECT_OBJECT), SELECT_OBJECT + 1);
    EXPECT_STREQ(g_document.objectTable[0].name, "Hero");
    EXPECT_STREQ(g_document.objectTable[1].name, "A name far longer than thirty-o");
    EXPECT_STREQ(g_document.objectTable[2].name, "Object 3");
    EXPECT_TRUE(g_document.animationState & DOC_MODIFIED);
}

TEST_F(SelectObjectDialog, DoubleClickActsAsOkAndTheCurrentObjectGivesOne)
{
    DialogDrivers drivers({[](HWND d) {
        HWND list = GetDlgItem(d, IDC_OBJECT_LIST);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_OBJECT_LIST, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
    }});
    EXPECT_EQ(Run(IDD_SELECT_OBJECT), 1);
    EXPECT_EQ(g_appState.ignoreNextButtonUp, 1);
    EXPECT_EQ(g_document.animationState, 0);
}

// ---- "Move / Delete Object" (1018) ---------------------------------------------------

class MoveDeleteObjectDialog : public ComposeTest {
protected:
    void SetUp() override
    {
        ComposeTest::SetUp();
        // Each object has a step list whose masks name objects, two marker
        // blocks and a run state of its own.
        SetSteps(0, {StepOf(0), StepOf(1)});
        SetSteps(1, {StepOf(0)});
        SetSteps(2, {StepOf(2)});
        for (int i = 0; i < 3; ++i) {
            for (int h = 1; h < 3; ++h) g_document.objectMemoryHandles[i][h] = GlobalAlloc(GMEM_MOVEABLE, 16);
            g_document.objectRunStates[i].frameWidth = 100 + i;
            handles_[i] = g_document.objectMemoryHandles[i][0];
            markers_[i] = g_document.objectMemoryHandles[i][1];
        }
        SetMask(0, 0, 0b110);
        SetMask(0, 1, 0b001);
        SetMask(1, 0, 0b101);
        SetMask(2, 0, 0);
    }
    static void SetMask(int object, int step, uint32_t mask)
    {
        GlobalLockGuard<ObjectStep> p(g_document.objectMemoryHandles[object][0]);
        SetStepStartMask(&p.get()[step], mask);
    }
    static uint32_t Mask(int object, int step)
    {
        GlobalLockGuard<ObjectStep> p(g_document.objectMemoryHandles[object][0]);
        return StepStartMask(p.get()[step]);
    }
    static POINT ItemCentre(HWND list, int item)
    {
        RECT r{};
        SendMessageA(list, LB_GETITEMRECT, item, reinterpret_cast<LPARAM>(&r));
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    // A drag in the list as the mouse makes it.
    static void Drag(HWND list, int from, int to)
    {
        const POINT a = ItemCentre(list, from), b = ItemCentre(list, to);
        SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(a.x, a.y));
        const int steps = to > from ? to - from : from - to;
        for (int i = 1; i <= steps; ++i) {
            const int y = a.y + (b.y - a.y) * i / steps;
            SendMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(b.x, y));
        }
        SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(b.x, b.y));
    }
    static std::vector<std::string> ListItems(HWND list)
    {
        std::vector<std::string> items;
        const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[64] = "";
            SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            items.push_back(text);
        }
        return items;
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < g_document.objectCount; ++i) names.push_back(g_document.objectTable[i].name);
        return names;
    }
    HGLOBAL handles_[3]{};
    HGLOBAL markers_[3]{};
};

struct DragCase {
    const char* what;
    int current;
    int from, to;
    std::vector<int> order;  // which original object each slot holds
    int currentAfter;
};

void PrintTo(const DragCase& c, std::ostream* out) { *out << c.what; }

class ObjectDrag : public MoveDeleteObjectDialog, public ::testing::WithParamInterface<DragCase> {};

TEST_P(ObjectDrag, MovesTheObjectWithEverythingItOwns)
{
    const DragCase& c = GetParam();
    g_document.currentObject = c.current;
    std::vector<std::string> shown;
    DialogDrivers drivers({[&](HWND d) {
        HWND list = GetDlgItem(d, IDC_OBJECT_LIST);
        Drag(list, c.from, c.to);
        shown = ListItems(list);
        EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), c.to);
        Click(d, IDCANCEL);  // the move stays
    }});
    EXPECT_EQ(Run(IDD_MOVE_DELETE_OBJECT), 0);
    const char* original[] = {"Object 1", "Object 2", "Object 3"};
    std::vector<std::string> expected;
    for (int i = 0; i < 3; ++i) {
        const int o = c.order[i];
        expected.push_back(original[o]);
        EXPECT_EQ(g_document.objectMemoryHandles[i][0], handles_[o]) << i;
        EXPECT_EQ(g_document.objectMemoryHandles[i][1], markers_[o]) << i;
        EXPECT_EQ(g_document.objectRunStates[i].frameWidth, 100 + o) << i;
    }
    EXPECT_EQ(Names(), expected);
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(g_document.currentObject, c.currentAfter);
    EXPECT_TRUE(g_document.animationState & DOC_MODIFIED);
    // The masks name the same objects at their new places.
    auto slotOf = [&](int o) { return static_cast<int>(std::find(c.order.begin(), c.order.end(), o) - c.order.begin()); };
    auto moved = [&](uint32_t mask) {
        uint32_t out = 0;
        for (int o = 0; o < 3; ++o)
            if (mask >> o & 1) out |= 1u << slotOf(o);
        return out;
    };
    EXPECT_EQ(Mask(slotOf(0), 0), moved(0b110));
    EXPECT_EQ(Mask(slotOf(0), 1), moved(0b001));
    EXPECT_EQ(Mask(slotOf(1), 0), moved(0b101));
    EXPECT_EQ(Mask(slotOf(2), 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(UpAndDown, ObjectDrag,
                         ::testing::Values(DragCase{"down, the current object moves", 0, 0, 2, {1, 2, 0}, 2},
                                           DragCase{"down, a current object between moves up", 1, 0, 2, {1, 2, 0}, 0},
                                           DragCase{"up, a current object between moves down", 1, 2, 0, {2, 0, 1}, 2},
                                           DragCase{"up, a current object outside stays", 0, 2, 1, {0, 2, 1}, 0}));

TEST_F(MoveDeleteObjectDialog, MovingObjectZeroToTwoRenumbersTheMasksAsWorkedOut)
{
    DialogDrivers drivers({[](HWND d) {
        Drag(GetDlgItem(d, IDC_OBJECT_LIST), 0, 2);
        Click(d, IDOK);
    }});
    EXPECT_EQ(Run(IDD_MOVE_DELETE_OBJECT), 1);
    // Object 0's steps now sit in slot 2: 0b110 -> 0b011, 0b001 -> 0b100.
    EXPECT_EQ(Mask(2, 0), 0b011u);
    EXPECT_EQ(Mask(2, 1), 0b100u);
    EXPECT_EQ(Mask(0, 0), 0b110u);  // old object 1's 0b101
}

TEST_F(MoveDeleteObjectDialog, DeleteFollowsTheCountAndTheMasks)
{
    DialogDrivers drivers({[&](HWND d) {
        HWND list = GetDlgItem(d, IDC_OBJECT_LIST);
        SendMessageA(list, LB_SETCURSEL, 1, 0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_OBJECT_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        ASSERT_TRUE(Enabled(d, IDC_DELETE_OBJECT));
        Click(d, IDC_DELETE_OBJECT);
        EXPECT_EQ(ListItems(list), (std::vector<std::string>{"Object 1", "Object 3"}));
        EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 0);  // the current object
        SendMessageA(list, LB_SETCURSEL, 1, 0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_OBJECT_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        Click(d, IDC_DELETE_OBJECT);
        EXPECT_EQ(ListItems(list), (std::vector<std::string>{"Object 1"}));
        EXPECT_FALSE(Enabled(d, IDC_DELETE_OBJECT));
        // One object left: a notification does not enable the button.
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_OBJECT_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        EXPECT_FALSE(Enabled(d, IDC_DELETE_OBJECT));
        Click(d, IDCANCEL);
    }});
    EXPECT_EQ(Run(IDD_MOVE_DELETE_OBJECT), 0);
    ASSERT_EQ(g_document.objectCount, 1);
    EXPECT_EQ(g_document.objectMemoryHandles[0][0], handles_[0]);
    // Deleting object 1 turned 0b110 into 0b10 and 0b001 stayed; then object
    // 1 (old 2) went: 0b10 -> 0.
    EXPECT_EQ(Mask(0, 0), 0u);
    EXPECT_EQ(Mask(0, 1), 0b001u);
    EXPECT_TRUE(g_document.animationState & DOC_MODIFIED);
}

TEST_F(MoveDeleteObjectDialog, DeletingOneObjectRenumbersAsWorkedOut)
{
    DialogDrivers drivers({[](HWND d) {
        HWND list = GetDlgItem(d, IDC_OBJECT_LIST);
        SendMessageA(list, LB_SETCURSEL, 1, 0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_OBJECT_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        Click(d, IDC_DELETE_OBJECT);
        Click(d, IDOK);
    }});
    EXPECT_EQ(Run(IDD_MOVE_DELETE_OBJECT), 1);
    // Old object 2 (mask 0) is now object 1; object 0: 0b110 -> 0b10, 0b001 stays.
    EXPECT_EQ(Mask(0, 0), 0b10u);
    EXPECT_EQ(Mask(0, 1), 0b001u);
    EXPECT_EQ(g_document.objectRunStates[1].frameWidth, 102);
}

TEST_F(MoveDeleteObjectDialog, NoDeleteWhileATestRunShowsTheObjects)
{
    HWND run = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    g_appState.animationWindow = run;
    DialogDrivers drivers({[](HWND d) {
        HWND list = GetDlgItem(d, IDC_OBJECT_LIST);
        SendMessageA(list, LB_SETCURSEL, 1, 0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_OBJECT_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        EXPECT_FALSE(Enabled(d, IDC_DELETE_OBJECT));
        Click(d, IDOK);
    }});
    EXPECT_EQ(Run(IDD_MOVE_DELETE_OBJECT), 1);
    g_appState.animationWindow = nullptr;
    DestroyWindow(run);
    EXPECT_EQ(g_document.objectCount, 3);
}

}  // namespace
