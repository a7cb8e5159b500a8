// The Frame menu on the document: step references renumbered by insert,
// delete, move and swap (other sequences untouched), Insert Copy with and
// without Shift, the question before several frames go, the 256th frame
// refused, the image library told of each frame command, and Undo and
// Repeat of an image command.
#include "ConvBridge.h"
#include "DialogTestHooks.h"
#include "DibPixels.h"
#include "DocumentTestSupport.h"
#include "FrameFormat.h"
#include "FrameOperations.h"
#include "FrameSelection.h"
#include "ImageOperations.h"
#include "RecordingConv.h"
#include "Undo.h"
#include "resource.h"
#include <gtest/gtest.h>

namespace {

TEST(FrameRenumbering, EveryKindOfChange)
{
    struct Case {
        FrameRenumber kind;
        int a, b, count;
        std::vector<int> before, after;
    } cases[] = {
        {RENUMBER_INSERT, 2, 0, 5, {0, 1, 2, 3, 4}, {0, 1, 3, 4, 5}},
        {RENUMBER_INSERT, 0, 0, 3, {0, 1, 2}, {1, 2, 3}},
        // Delete at 0: references to frame 0 stay.
        {RENUMBER_DELETE, 0, 0, 3, {0, 1, 2}, {0, 0, 1}},
        {RENUMBER_DELETE, 2, 0, 5, {0, 1, 2, 3, 4}, {0, 1, 1, 2, 3}},
        {RENUMBER_DELETE, 4, 0, 5, {0, 3, 4}, {0, 3, 3}},
        {RENUMBER_MOVE, 1, 3, 5, {0, 1, 2, 3, 4}, {0, 3, 1, 2, 4}},
        {RENUMBER_MOVE, 3, 1, 5, {0, 1, 2, 3, 4}, {0, 2, 3, 1, 4}},
        {RENUMBER_SWAP, 0, 4, 5, {0, 1, 2, 3, 4}, {4, 1, 2, 3, 0}},
    };
    for (const Case& c : cases)
        for (size_t i = 0; i < c.before.size(); ++i)
            EXPECT_EQ(RenumberFrameIndex(c.before[i], c.kind, c.a, c.b, c.count), c.after[i])
                << "kind " << c.kind << " a " << c.a << " b " << c.b << " index " << c.before[i];
}

// A sequence of frames filled with 10, 11, 12, ... at 8 bits, used by
// objects 0 and 1; object 2 uses another sequence.
class FrameOperations : public DocumentTest {
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        SetColorFormat(COLORS_256, nullptr, 0);
        g_appState.frameWidth = 6;
        g_appState.frameHeight = 4;
        g_document.sequenceState = 0;
        g_document.animationState = 0;
    }
    void MakeFrames(int count)
    {
        for (int i = 0; i < count; ++i) {
            g_appState.frameBitmaps[i] = CreateFrameBitmap(6, 4);
            FillFrame(i, static_cast<BYTE>(10 + i));
            g_document.frameRecords[i].frameState = 0;
        }
        SetFrameCount(count);
        g_appState.currentFrame = 0;
    }
    void MakeObjects(const std::vector<int>& steps0, const std::vector<int>& steps1, const std::vector<int>& other)
    {
        g_document.objectCount = 3;
        g_document.sequenceCount = 2;
        g_document.currentObject = 0;
        const std::vector<int>* lists[3] = {&steps0, &steps1, &other};
        for (int i = 0; i < 3; ++i) {
            g_document.objectTable[i].sequenceIndex = static_cast<uint8_t>(i == 2 ? 1 : 0);
            g_document.objectTable[i].stepCount = static_cast<int>(lists[i]->size());
            if (g_document.objectMemoryHandles[i][0]) GlobalFree(g_document.objectMemoryHandles[i][0]);
            g_document.objectMemoryHandles[i][0] = MakeSteps(*lists[i]);
        }
    }
    static void FillFrame(int frame, BYTE value)
    {
        DibPixels pixels(g_appState.frameBitmaps[frame]);
        for (int y = 0; y < pixels.Height(); ++y)
            for (int x = 0; x < pixels.Width(); ++x) pixels.Set(x, y, value);
    }
    static std::vector<uint32_t> Pixels(int frame)
    {
        DibPixels p(g_appState.frameBitmaps[frame]);
        std::vector<uint32_t> values;
        for (int y = 0; y < p.Height(); ++y)
            for (int x = 0; x < p.Width(); ++x) values.push_back(p.Get(x, y));
        return values;
    }
    static void SetPixels(int frame, const std::vector<uint32_t>& values)
    {
        DibPixels p(g_appState.frameBitmaps[frame]);
        for (int y = 0; y < p.Height(); ++y)
            for (int x = 0; x < p.Width(); ++x) p.Set(x, y, values[static_cast<size_t>(y * p.Width() + x)]);
    }
    static int FrameValue(int frame) { return static_cast<int>(DibPixels(g_appState.frameBitmaps[frame]).Get(0, 0)); }
    static std::vector<int> Frames()
    {
        std::vector<int> values;
        for (int i = 0; i < g_appState.frameCount; ++i) values.push_back(FrameValue(i));
        return values;
    }
    static std::vector<int> Steps(int object) { return StepFrames(g_document.objectMemoryHandles[object][0]); }
};

TEST_F(FrameOperations, InsertCopyBeforeAndAfterTheCurrentFrame)
{
    MakeFrames(3);  // A B C = 10 11 12
    g_appState.currentFrame = 1;
    ASSERT_EQ(DoFrameCommand(IDM_INSERT_COPY, 0), 1);
    EXPECT_EQ(Frames(), (std::vector<int>{10, 11, 11, 12}));
    EXPECT_EQ(g_appState.currentFrame, 1);  // the new frame, the first B
    EXPECT_EQ(g_document.frameRecords[1].frameState, FRAME_UNSET);
    EXPECT_EQ(g_document.frameRecords[2].frameState, 0);  // the old B's record moved up
    EXPECT_TRUE(g_document.sequenceState & DOC_MODIFIED);

    for (int i = 3; i >= 0; --i) {
        DeleteObject(g_appState.frameBitmaps[i]);
        g_appState.frameBitmaps[i] = nullptr;
    }
    MakeFrames(3);
    g_appState.currentFrame = 1;
    ASSERT_EQ(DoFrameCommand(IDM_INSERT_COPY, MK_SHIFT), 1);
    EXPECT_EQ(Frames(), (std::vector<int>{10, 11, 11, 12}));
    EXPECT_EQ(g_document.frameRecords[2].frameState, FRAME_UNSET);  // the new frame is third
    EXPECT_EQ(g_document.frameRecords[1].frameState, 0);
    EXPECT_EQ(g_appState.currentFrame, 2);  // and made current
}

TEST_F(FrameOperations, StepReferencesFollowInsertDeleteMoveAndSwap)
{
    MakeFrames(5);
    MakeObjects({0, 1, 2, 3, 4}, {4, 2}, {0, 1, 2, 3, 4});
    g_appState.currentFrame = 2;
    ASSERT_EQ(DoFrameCommand(IDM_INSERT_FRAME, 0), 1);  // empty frame at 2
    EXPECT_EQ(Steps(0), (std::vector<int>{0, 1, 3, 4, 5}));
    EXPECT_EQ(Steps(1), (std::vector<int>{5, 3}));
    EXPECT_EQ(Steps(2), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(g_document.animationState & DOC_MODIFIED);

    g_appState.currentFrame = 2;
    ASSERT_EQ(DoFrameCommand(IDM_DELETE_FRAME, 0), 1);
    EXPECT_EQ(Frames(), (std::vector<int>{10, 11, 12, 13, 14}));
    EXPECT_EQ(Steps(0), (std::vector<int>{0, 1, 2, 3, 4}));

    ASSERT_EQ(MoveOrSwapFrame(1, 3, 0), 1);
    EXPECT_EQ(Frames(), (std::vector<int>{10, 12, 13, 11, 14}));
    EXPECT_EQ(Steps(0), (std::vector<int>{0, 3, 1, 2, 4}));
    ASSERT_EQ(MoveOrSwapFrame(3, 1, 0), 1);
    EXPECT_EQ(Frames(), (std::vector<int>{10, 11, 12, 13, 14}));
    EXPECT_EQ(Steps(0), (std::vector<int>{0, 1, 2, 3, 4}));
    ASSERT_EQ(MoveOrSwapFrame(0, 4, 1), 1);
    EXPECT_EQ(Frames(), (std::vector<int>{14, 11, 12, 13, 10}));
    EXPECT_EQ(Steps(0), (std::vector<int>{4, 1, 2, 3, 0}));
    EXPECT_EQ(Steps(1), (std::vector<int>{0, 2}));
    EXPECT_EQ(Steps(2), (std::vector<int>{0, 1, 2, 3, 4}));

    // Deleting frame 0 leaves references to it.
    g_appState.currentFrame = 0;
    ASSERT_EQ(DoFrameCommand(IDM_DELETE_FRAME, 0), 1);
    EXPECT_EQ(Steps(0), (std::vector<int>{3, 0, 1, 2, 0}));
}

TEST_F(FrameOperations, DeletingSeveralSelectedFramesAsksFirst)
{
    MakeFrames(5);
    g_appState.currentFrame = 1;
    SetFrameSelection(SELECTION_TOGGLE, 3, 0);
    MessageBoxRecorder boxes(IDNO);
    EXPECT_EQ(DoFrameCommand(IDM_DELETE_FRAME, 0), 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "Warning");
    EXPECT_EQ(boxes.Boxes()[0].text, "You have selected additional frames!\r\nDelete all selected frames?");
    EXPECT_EQ(g_appState.frameCount, 5);
    boxes.QueueAnswer(IDYES);
    EXPECT_EQ(DoFrameCommand(IDM_DELETE_FRAME, 0), 1);
    EXPECT_EQ(Frames(), (std::vector<int>{10, 12, 14}));
    EXPECT_EQ(g_appState.currentFrame, 1);

    // The last frame always stays.
    SetFrameSelection(SELECTION_SELECT_ALL, 0, 0);
    boxes.QueueAnswer(IDYES);
    EXPECT_EQ(DoFrameCommand(IDM_DELETE_FRAME, 0), 1);
    EXPECT_EQ(g_appState.frameCount, 1);
    EXPECT_EQ(Frames(), (std::vector<int>{10}));
}

TEST_F(FrameOperations, TheTwoHundredAndFiftySixthFrameIsRefused)
{
    MakeFrames(MAX_FRAME_BITMAPS - 1);
    ASSERT_EQ(DoFrameCommand(IDM_ADD_EMPTY_FRAME, 0), 1);
    EXPECT_EQ(g_appState.frameCount, MAX_FRAME_BITMAPS);
    for (UINT command : {IDM_ADD_EMPTY_FRAME, IDM_APPEND_FRAMES, IDM_INSERT_FRAME, IDM_INSERT_COPY})
        EXPECT_EQ(DoFrameCommand(command, 0), 0) << command;
    EXPECT_EQ(g_appState.frameCount, MAX_FRAME_BITMAPS);
    EXPECT_EQ(FrameValue(0), 10);
}

// The image library's document follows the frame commands: the stand-in
// library beside the test program records what it was told.
TEST_F(FrameOperations, TheLibraryIsToldOfAddedInsertedAndDeletedFrames)
{
    ASSERT_TRUE(LoadConvLibrary("RecordingConv.dll"));
    HMODULE module = GetModuleHandleA("RecordingConv.dll");
    RecordedConvCall* call =
        reinterpret_cast<LastConvCallProc>(reinterpret_cast<void*>(GetProcAddress(module, "LastConvCall")))();
    reinterpret_cast<SetConvAnswerProc>(reinterpret_cast<void*>(GetProcAddress(module, "SetConvAnswer")))(CONV_OK);
    g_document.conversionFormat = RECORDING_SEQUENCE_CODE;
    MakeFrames(3);
    struct Case {
        UINT command;
        int current, kind, index, frames;
    };
    const Case cases[] = {{IDM_ADD_EMPTY_FRAME, 0, CONV_FRAME_COPIED, 3, 4}, {IDM_APPEND_FRAMES, 1, CONV_FRAME_COPIED, 4, 5},
                          {IDM_INSERT_FRAME, 2, CONV_FRAME_INSERTED, 2, 6}, {IDM_INSERT_COPY, 0, CONV_FRAME_INSERTED, 0, 7},
                          {IDM_DELETE_FRAME, 5, CONV_FRAME_DELETED, 5, 6}};
    for (const Case& c : cases) {
        *call = {};
        g_appState.currentFrame = c.current;
        ASSERT_EQ(DoFrameCommand(c.command, 0), 1) << c.command;
        EXPECT_STREQ(call->name, "NotifyFrameChange") << c.command;
        EXPECT_EQ(call->code, RECORDING_SEQUENCE_CODE) << c.command;
        EXPECT_EQ(call->kind, c.kind) << c.command;
        EXPECT_EQ(call->index, c.index) << c.command;
        EXPECT_EQ(g_appState.frameCount, c.frames) << c.command;
    }
    g_document.conversionFormat = 0;
    FreeConvLibrary();
}

TEST_F(FrameOperations, PickModesWaitForTheFilm)
{
    MakeFrames(2);
    EXPECT_EQ(DoFrameCommand(IDM_SWAP_FRAME, 0), 1);
    EXPECT_EQ(g_appState.framePickMode, 1);
    EXPECT_EQ(DoFrameCommand(IDM_MOVE_FRAME, 0), 1);
    EXPECT_EQ(g_appState.framePickMode, 0x42);
}

TEST_F(FrameOperations, AFlipOverSelectedFramesIsUndoneAndRepeatedAsOne)
{
    MakeFrames(3);
    ResizeUndoSteps(6, 4);
    for (int frame = 0; frame < 3; ++frame) {
        DibPixels p(g_appState.frameBitmaps[frame]);
        p.Set(0, 0, 1);
    }
    g_appState.currentFrame = 2;
    SetFrameSelection(SELECTION_TOGGLE, 0, 0);
    ASSERT_EQ(DoImageCommand(IDM_FLIP_HORIZONTAL, 0), 1);
    for (int frame : {0, 2}) EXPECT_EQ(DibPixels(g_appState.frameBitmaps[frame]).Get(5, 0), 1u) << frame;
    EXPECT_EQ(DibPixels(g_appState.frameBitmaps[1]).Get(5, 0), 11u);
    ASSERT_EQ(DoEditCommand(IDM_UNDO, 0), 1);
    for (int frame : {0, 2}) {
        DibPixels p(g_appState.frameBitmaps[frame]);
        EXPECT_EQ(p.Get(0, 0), 1u);
        EXPECT_EQ(p.Get(5, 0), static_cast<uint32_t>(10 + frame));
    }
    ASSERT_EQ(DoEditCommand(IDM_REPEAT, 0), 1);
    for (int frame : {0, 2}) EXPECT_EQ(DibPixels(g_appState.frameBitmaps[frame]).Get(5, 0), 1u) << frame;
    // A frame deleted empties the undo list.
    g_appState.currentFrame = 1;
    SetFrameSelection(SELECTION_CLEAR_ALL, 0, 0);
    DoFrameCommand(IDM_DELETE_FRAME, 0);
    EXPECT_FALSE(CanUndo());
}

// Shifts, flips and quarter turns paint a frame from its undo copy. When that
// copy cannot be made (no memory for the step's bitmap, even after the
// oldest step gave way), the command stops with the out-of-memory message:
// the frame keeps its pixels rather than being painted from the older step
// still there (another picture of the same frame), and the pivot stays.
// With memory to spare the same command changes the frame.
TEST_F(FrameOperations, ImageCommandsStopWhenTheUndoStepCannotBeMade)
{
    MakeFrames(1);
    ResizeUndoSteps(6, 4);
    SetRotationAngle(90);
    std::vector<uint32_t> picture;
    for (uint32_t v = 20; v < 20 + 6 * 4; ++v) picture.push_back(v);
    const UINT commands[] = {IDM_SCROLL_UP,       IDM_SCROLL_DOWN,   IDM_SCROLL_LEFT,  IDM_SCROLL_RIGHT,
                             IDM_FLIP_HORIZONTAL, IDM_FLIP_VERTICAL, IDM_ROTATE_RIGHT, IDM_ROTATE_LEFT};
    for (UINT command : commands) {
        ClearUndo();
        FillFrame(0, 10);
        for (int older = 0; older < 2; ++older) ASSERT_EQ(RecordUndo(UNDO_SAVE_FRAME, 0), 1);  // every pixel 10
        SetPixels(0, picture);
        SetRotationPivot(4);

        SetUndoBitmapMaker([](int, int) -> HBITMAP { return nullptr; });
        {
            MessageBoxRecorder boxes(IDOK);
            EXPECT_EQ(DoImageCommand(command, 0), 0) << command;
            ASSERT_EQ(boxes.Boxes().size(), 1u) << command;
            EXPECT_EQ(boxes.Boxes()[0].style & MB_ICONMASK, static_cast<UINT>(MB_ICONSTOP)) << command;
        }
        SetUndoBitmapMaker(nullptr);
        EXPECT_EQ(Pixels(0), picture) << command;
        EXPECT_EQ(UndoStepCount(), 1) << command;
        EXPECT_EQ(g_rotation.pivot, 4) << command;

        EXPECT_EQ(DoImageCommand(command, 0), 1) << command;
        EXPECT_NE(Pixels(0), picture) << command;
        ASSERT_EQ(DoEditCommand(IDM_UNDO, 0), 1) << command;
        EXPECT_EQ(Pixels(0), picture) << command;
    }
}

}  // namespace

namespace {

TEST(RotationMenu, SetRotationAngleRetitlesBothItemsWithTheMagnitude)
{
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAIN_MENU));
    ASSERT_NE(menu, nullptr);
    const HMENU saved = g_appState.mainMenu;
    g_appState.mainMenu = menu;
    EXPECT_EQ(SetRotationAngle(-45), -45);
    char text[128];
    GetMenuStringA(menu, IDM_ROTATE_RIGHT, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "&Rotation Clockwise 45\xB0\bAlt+R");
    GetMenuStringA(menu, IDM_ROTATE_LEFT, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "&Rotation Anticlockwise 45\xB0\bAlt+L");
    EXPECT_EQ(g_rotation.angle, -45);
    EXPECT_NEAR(g_rotation.sine, -0.7071067811865476, 1e-12);
    SetRotationAngle(90);
    g_appState.mainMenu = saved;
    DestroyMenu(menu);
}

}  // namespace

namespace {

// Frames of a given format whose pixels are set by a function of (frame, x, y).
class FrameFormatChange : public FrameOperations {
protected:
    void MakeColorFrames(int colorCount, int width, int height, int count, COLORREF (*color)(int, int, int))
    {
        SetColorFormat(colorCount, nullptr, 0);
        g_appState.frameWidth = width;
        g_appState.frameHeight = height;
        for (int i = 0; i < count; ++i) {
            g_appState.frameBitmaps[i] = CreateFrameBitmap(width, height);
            DibPixels p(g_appState.frameBitmaps[i]);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) p.Set(x, y, p.ValueOf(color(i, x, y)));
            g_document.frameRecords[i].frameState = 0;
        }
        SetFrameCount(count);
    }
    static int Bits(int frame)
    {
        BITMAP b{};
        GetObjectA(g_appState.frameBitmaps[frame], sizeof b, &b);
        return b.bmBitsPixel;
    }
    static COLORREF At(int frame, int x, int y) { return DibPixels(g_appState.frameBitmaps[frame]).Color(x, y); }
    static bool Near(COLORREF a, COLORREF b, int tolerance)
    {
        return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
               std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
    }
};

COLORREF StaticPattern(int frame, int x, int y)
{
    static const COLORREF colors[4] = {RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 0, 255), RGB(255, 255, 255)};
    return colors[(frame + x + y) % 4];
}

TEST_F(FrameFormatChange, DepthChangesKeepTheColours)
{
    struct Case {
        int from, to;
    } cases[] = {{COLORS_256, COLORS_16}, {COLORS_256, COLORS_24BIT}, {COLORS_16, COLORS_256}};
    for (const Case& c : cases) {
        CleanState();
        ResetDocument();
        MakeColorFrames(c.from, 8, 8, 2, StaticPattern);
        ASSERT_EQ(ChangeFrameFormat({0, 0, 8, 8, c.to, 0}), 1) << c.from << "->" << c.to;
        EXPECT_EQ(g_appState.colorCount, c.to);
        for (int frame = 0; frame < 2; ++frame) {
            EXPECT_EQ(Bits(frame), ColorCountToBits(c.to));
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    ASSERT_EQ(At(frame, x, y), StaticPattern(frame, x, y)) << c.from << "->" << c.to << " " << x << "," << y;
        }
        EXPECT_EQ(CurrentSequenceRecord()->colorCount, c.to > COLORS_256 ? -1 : c.to);
    }
}

COLORREF TrueColors(int frame, int x, int y)
{
    // Three frames of their own colours: reds, greens, blues.
    const int level = 40 + 20 * ((x + y) % 8);
    return frame == 0 ? RGB(level, 8, 8) : frame == 1 ? RGB(8, level, 8) : RGB(8, 8, level);
}

TEST_F(FrameFormatChange, TrueColourToFrameColoursGivesOneTableForAllFrames)
{
    MakeColorFrames(COLORS_24BIT, 16, 8, 3, TrueColors);
    ASSERT_EQ(ChangeFrameFormat({0, 0, 16, 8, COLORS_256, FORMAT_FRAME_COLORS}), 1);
    RGBQUAD tables[3][256];
    for (int frame = 0; frame < 3; ++frame) {
        EXPECT_EQ(Bits(frame), 8);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, g_appState.frameBitmaps[frame]);
        EXPECT_EQ(GetDIBColorTable(dc, 0, 256, tables[frame]), 256u);
        SelectObject(dc, old);
        DeleteDC(dc);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 16; ++x)
                EXPECT_TRUE(Near(At(frame, x, y), TrueColors(frame, x, y), 8)) << frame << " " << x << "," << y;
    }
    EXPECT_EQ(memcmp(tables[0], tables[1], sizeof tables[0]), 0);
    EXPECT_EQ(memcmp(tables[0], tables[2], sizeof tables[0]), 0);
}

TEST_F(FrameFormatChange, SixteenBitsToTwoColours)
{
    MakeColorFrames(COLORS_65536, 8, 8, 1, [](int, int x, int) { return x < 4 ? RGB(0, 0, 0) : RGB(255, 255, 255); });
    ASSERT_EQ(ChangeFrameFormat({0, 0, 8, 8, COLORS_2, 0}), 1);
    EXPECT_EQ(Bits(0), 1);
    EXPECT_EQ(At(0, 0, 3), RGB(0, 0, 0));
    EXPECT_EQ(At(0, 7, 3), RGB(255, 255, 255));
}

TEST_F(FrameFormatChange, EnlargingFillsTheNewPartsWithTheTransparentColour)
{
    MakeColorFrames(COLORS_256, 32, 32, 1, [](int, int, int) { return RGB(255, 0, 0); });
    const COLORREF transparent = PaletteIndexToRgb(GetToolColor(ROLE_TRANSPARENT)) & 0xFFFFFF;
    ASSERT_NE(transparent, RGB(255, 0, 0));
    MessageBoxRecorder boxes(IDCANCEL);
    ASSERT_EQ(ChangeFrameFormat({0, 0, 64, 48, COLORS_256, 0}), 1);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(g_appState.frameWidth, 64);
    EXPECT_EQ(g_appState.frameHeight, 48);
    EXPECT_EQ(At(0, 31, 31), RGB(255, 0, 0));
    EXPECT_EQ(At(0, 32, 0), transparent);
    EXPECT_EQ(At(0, 0, 32), transparent);
    EXPECT_EQ(At(0, 63, 47), transparent);
}

TEST_F(FrameFormatChange, ShrinkingAsksUnlessStretchingAndCancelLeavesAll)
{
    MakeColorFrames(COLORS_256, 16, 16, 2, [](int, int x, int) { return x < 8 ? RGB(255, 0, 0) : RGB(0, 0, 255); });
    HBITMAP first = g_appState.frameBitmaps[0];
    {
        MessageBoxRecorder boxes(IDCANCEL);
        EXPECT_EQ(ChangeFrameFormat({8, 0, 8, 16, COLORS_256, 0}), 0);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, "Reducing the frame format causes all non contained parts of the image(s) to be lost!");
        EXPECT_EQ(boxes.Boxes()[0].caption, "Warning");
        EXPECT_EQ(g_appState.frameBitmaps[0], first);
        EXPECT_EQ(g_appState.frameWidth, 16);
    }
    {
        MessageBoxRecorder boxes(IDOK);
        ASSERT_EQ(ChangeFrameFormat({8, 0, 8, 16, COLORS_256, 0}), 1);
        EXPECT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(At(0, 0, 0), RGB(0, 0, 255));  // the right half from x 8 on
    }
    {
        MessageBoxRecorder boxes(IDCANCEL);
        ASSERT_EQ(ChangeFrameFormat({0, 0, 4, 8, COLORS_256, FORMAT_STRETCH}), 1);
        EXPECT_TRUE(boxes.Boxes().empty());
        EXPECT_EQ(At(1, 0, 0), RGB(0, 0, 255));
    }
}

// Frames in a palette of odd colours that the standard palette lacks keep
// those colours at the true-colour depths, not the standard palette's nearest.
TEST_F(FrameFormatChange, PaletteFramesKeepTheirOwnColoursAtTrueColourDepths)
{
    RGBQUAD table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = {static_cast<BYTE>(i * 53 % 256), static_cast<BYTE>(i * 29 % 256), static_cast<BYTE>(i * 71 % 256), 0};
    struct Case {
        int to, tolerance;
    } cases[] = {{COLORS_24BIT, 0}, {COLORS_65536, 8}};
    for (const Case& c : cases) {
        CleanState();
        ResetDocument();
        SetColorFormat(COLORS_256, table, 256);
        PALETTEENTRY own[256];
        ASSERT_EQ(GetPaletteEntries(g_appState.documentPalette, 0, 256, own), 256u);
        const auto color = [&own](int frame, int x, int y) {
            const PALETTEENTRY& e = own[20 + (frame * 64 + y * 8 + x) % 200];
            return RGB(e.peRed, e.peGreen, e.peBlue);
        };
        g_appState.frameWidth = 8;
        g_appState.frameHeight = 8;
        for (int frame = 0; frame < 2; ++frame) {
            g_appState.frameBitmaps[frame] = CreateFrameBitmap(8, 8);
            DibPixels p(g_appState.frameBitmaps[frame]);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x) p.Set(x, y, p.ValueOf(color(frame, x, y)));
            p.Commit();
            g_document.frameRecords[frame].frameState = 0;
        }
        SetFrameCount(2);
        ASSERT_EQ(At(1, 3, 5), color(1, 3, 5));  // the palette holds the odd colours

        ASSERT_EQ(ChangeFrameFormat({0, 0, 8, 8, c.to, FORMAT_DITHER}), 1) << c.to;
        for (int frame = 0; frame < 2; ++frame) {
            EXPECT_EQ(Bits(frame), ColorCountToBits(c.to));
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    ASSERT_TRUE(Near(At(frame, x, y), color(frame, x, y), c.tolerance))
                        << c.to << " frame " << frame << " " << x << "," << y << ": " << std::hex << At(frame, x, y)
                        << " for " << color(frame, x, y);
        }
    }
}

TEST_F(FrameFormatChange, ACancelAfterTheFirstFrameLeavesEveryFrameOld)
{
    MakeColorFrames(COLORS_24BIT, 8, 8, 3, TrueColors);
    HBITMAP frames[3] = {g_appState.frameBitmaps[0], g_appState.frameBitmaps[1], g_appState.frameBitmaps[2]};
    DialogAutoAnswer cancel(DialogAutoAnswer::PressButton(IDC_PROGRESS_CANCEL));
    EXPECT_EQ(ChangeFrameFormat({0, 0, 8, 8, COLORS_256, FORMAT_DITHER}), 0);
    EXPECT_FALSE(cancel.Dialogs().empty());
    EXPECT_EQ(g_appState.colorCount, COLORS_24BIT);
    for (int frame = 0; frame < 3; ++frame) {
        EXPECT_EQ(g_appState.frameBitmaps[frame], frames[frame]);
        EXPECT_EQ(Bits(frame), 24);
        EXPECT_EQ(At(frame, 3, 2), TrueColors(frame, 3, 2));
    }
}

}  // namespace
