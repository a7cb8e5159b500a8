// The document edits of the window settings, sound and offset dialogs: the
// coordinate origin shifts, the settings read from the dialog's controls,
// sound deletion, the offsets of every frame, and the window's background
// picture.
#include "DocumentTestSupport.h"
#include "MainWindow.h"
#include "ResultCodes.h"
#include "TabControl.h"
#include "WindowDialogResources.h"
#include "WindowDialogs.h"
#include "WindowPicture.h"
#include "resource.h"
#include <gtest/gtest.h>

namespace {

class WindowSettingsTest : public DocumentTest {
protected:
    // Two objects of two sequences (40 x 20 in the frame editor, 10 x 6 in
    // the test run's images), each with an absolute and a relative step, and
    // two regions.
    void MakeTwoObjects()
    {
        g_document.sequenceCount = 2;
        g_document.objectCount = 2;
        g_document.currentObject = 0;
        g_appState.frameCount = 1;
        g_appState.frameWidth = 40;
        g_appState.frameHeight = 20;
        g_document.sequenceImages[1].frameCount = 1;
        g_document.sequenceImages[1].width = 10;
        g_document.sequenceImages[1].height = 6;
        for (int i = 0; i < 2; ++i) {
            ObjectRecord& record = g_document.objectTable[i];
            record.sequenceIndex = static_cast<uint8_t>(i);
            record.startX = 100 + i;
            record.startY = 50 + i;
            record.stepCount = 2;
            record.objectFlags = OBJ_STEP_LIST;
            if (g_document.objectMemoryHandles[i][0]) GlobalFree(g_document.objectMemoryHandles[i][0]);
            g_document.objectMemoryHandles[i][0] = AllocateStepBlock(2);
            GlobalLockGuard<ObjectStep> steps(g_document.objectMemoryHandles[i][0]);
            steps.get()[0] = ObjectStep{};
            steps.get()[0].stepFlags = STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE;
            steps.get()[0].x = 30;
            steps.get()[0].y = 40;
            steps.get()[1].stepFlags = STEP_X_ABSOLUTE;  // y relative
            steps.get()[1].x = 5;
            steps.get()[1].y = 6;
        }
        g_document.regionCount = 2;
        g_document.regionTable[0] = {1, 0, 0, 10, 10};
        g_document.regionTable[1] = {1, 200, 100, 150, 80};
    }
    std::vector<int> Coordinates() const
    {
        std::vector<int> all;
        for (int i = 0; i < g_document.objectCount; ++i) {
            all.push_back(g_document.objectTable[i].startX);
            all.push_back(g_document.objectTable[i].startY);
            GlobalLockGuard<ObjectStep> steps(g_document.objectMemoryHandles[i][0]);
            for (int s = 0; s < 2; ++s) {
                all.push_back(steps.get()[s].x);
                all.push_back(steps.get()[s].y);
            }
        }
        for (int r = 0; r < g_document.regionCount; ++r) {
            const ForegroundRegion& region = g_document.regionTable[r];
            for (int v : {region.x1, region.y1, region.x2, region.y2}) all.push_back(v);
        }
        return all;
    }
};

TEST_F(WindowSettingsTest, OriginShiftsRestoreEveryCoordinate)
{
    MakeTwoObjects();
    const std::vector<int> before = Coordinates();
    ShiftDocumentCoordinates(160, 120, 0);
    // Window centre: starts, absolute steps and regions move by (-160, -120);
    // the relative y of step 1 stays.
    EXPECT_EQ(g_document.objectTable[0].startX, 100 - 160);
    EXPECT_EQ(g_document.objectTable[1].startY, 51 - 120);
    {
        GlobalLockGuard<ObjectStep> steps(g_document.objectMemoryHandles[0][0]);
        EXPECT_EQ(steps.get()[0].x, 30 - 160);
        EXPECT_EQ(steps.get()[0].y, 40 - 120);
        EXPECT_EQ(steps.get()[1].x, 5 - 160);
        EXPECT_EQ(steps.get()[1].y, 6);
    }
    EXPECT_EQ(g_document.regionTable[1].x2, 150 - 160);
    ShiftDocumentCoordinates(-160, -120, 0);
    EXPECT_EQ(Coordinates(), before);

    // Frame centre: each object by half of its own frame size; no region moves.
    ShiftDocumentCoordinates(0, 0, 1);
    EXPECT_EQ(g_document.objectTable[0].startX, 100 + 20);
    EXPECT_EQ(g_document.objectTable[0].startY, 50 + 10);
    EXPECT_EQ(g_document.objectTable[1].startX, 101 + 5);
    EXPECT_EQ(g_document.objectTable[1].startY, 51 + 3);
    EXPECT_EQ(g_document.regionTable[0].x2, 10);
    ShiftDocumentCoordinates(0, 0, -1);
    EXPECT_EQ(Coordinates(), before);
}

TEST_F(WindowSettingsTest, UnloadedSequenceSizeComesFromItsFile)
{
    std::vector<HGLOBAL> frames{MakeStaticColorDib(24, 14, 1)};
    ASSERT_EQ(WriteSequenceFixture(folder_.File("far.bmx"), frames, TRANSPARENT_NONE), RESULT_OK);
    g_document.sequenceCount = 2;
    g_document.objectCount = 1;
    g_document.currentObject = 0;
    lstrcpyA(g_document.sequenceTable[1].fileName, "far.bmx");
    const SIZE size = SequenceFrameSize(1);
    EXPECT_EQ(size.cx, 24);
    EXPECT_EQ(size.cy, 14);
    lstrcpyA(g_document.sequenceTable[1].fileName, "missing.bmx");
    EXPECT_EQ(SequenceFrameSize(1).cx, 0);
}

// The dialog of template 1010 as the runner creates it, without a loop.
class SettingsDialog {
public:
    SettingsDialog()
    {
        RegisterTabControl(GetModuleHandleA(nullptr));
        window_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ANIMATION_WINDOW_SETTINGS), nullptr,
                                     AnimationWindowSettingsDlgProc, 0);
    }
    ~SettingsDialog() { if (window_) DestroyWindow(window_); }
    HWND Get() const { return window_; }
    void Check(int id, bool on) const { CheckDlgButton(window_, id, on ? BST_CHECKED : BST_UNCHECKED); }
    void Text(int id, const char* text) const { SetDlgItemTextA(window_, id, text); }
private:
    HWND window_;
};

TEST_F(WindowSettingsTest, ControlsBecomeSettings)
{
    g_document.animationSettings.paletteSource = 0xF8;  // the picture's palette
    g_document.animationSettings.backgroundColor = BACKGROUND_USE_IMAGE | 0x123456;
    lstrcpyA(g_document.animationSettings.backgroundImage, "back.bmp");
    SettingsDialog dialog;
    ASSERT_TRUE(dialog.Get());
    for (int id : {IDC_WS_TITLE_BAR, IDC_WS_SYSTEM_MENU, IDC_WS_MINIMIZE, IDC_WS_DIALOG_BORDER}) dialog.Check(id, true);
    for (int id : {IDC_WS_STANDARD_BORDER, IDC_WS_TOPMOST, IDC_WS_SYSTEM_TIMER, IDC_WS_IMAGE, IDC_WS_FULL_SCREEN}) dialog.Check(id, false);
    dialog.Check(IDC_WS_COLOR, true);
    dialog.Check(IDC_WS_SIZE, true);
    dialog.Text(IDC_WS_WIDTH, "320");
    dialog.Text(IDC_WS_HEIGHT, "200");
    CheckRadioButton(dialog.Get(), IDC_WS_CENTRED, IDC_WS_POSITION, IDC_WS_POSITION);
    dialog.Text(IDC_WS_POS_X, "12");
    dialog.Text(IDC_WS_POS_Y, "34");
    // 70 characters typed: 63 stay, and the field keeps its terminator.
    dialog.Text(IDC_WS_TITLE, std::string(70, 'T').c_str());
    ASSERT_EQ(ApplyWindowSettings(dialog.Get(), RGB(1, 2, 3)), 1);
    const AnimationSettings& s = g_document.animationSettings;
    EXPECT_EQ(s.windowStyle, 0x80CA0000u);
    EXPECT_EQ(s.windowExStyle, 5u);
    EXPECT_EQ(s.editorByte, 3);
    EXPECT_FALSE(s.playFlags & PLAY_TIMER_MODE);
    EXPECT_EQ(s.backgroundColor, static_cast<uint32_t>(RGB(1, 2, 3)));
    EXPECT_EQ(s.paletteSource, 0xFC) << "a colour background cannot use the picture's palette";
    EXPECT_EQ(s.sizeMode, 1);
    EXPECT_EQ(s.width, 320);
    EXPECT_EQ(s.height, 200);
    EXPECT_EQ(s.positionFlags & 3, 2);
    EXPECT_EQ(s.x, 12);
    EXPECT_EQ(s.y, 34);
    EXPECT_EQ(strlen(s.title), 63u);
    EXPECT_TRUE(HasTerminator(s.title, sizeof s.title));
    EXPECT_EQ(AnimationWindowSizeFor(s, {8, 8}, {1024, 768}).cx, 320);
}

TEST_F(WindowSettingsTest, InvalidFieldsChangeNothing)
{
    MakeTwoObjects();
    g_document.animationSettings.positionFlags = 0;
    const std::vector<int> before = Coordinates();
    SettingsDialog dialog;
    ASSERT_TRUE(dialog.Get());
    const AnimationSettings saved = g_document.animationSettings;
    struct Case {
        int field;
        const char* text;
    } cases[] = {{IDC_WS_WIDTH, "15"}, {IDC_WS_HEIGHT, "1025"}, {IDC_WS_WIDTH, "abc"}};
    for (const Case& c : cases) {
        dialog.Check(IDC_WS_SIZE, true);
        dialog.Text(IDC_WS_WIDTH, "100");
        dialog.Text(IDC_WS_HEIGHT, "100");
        dialog.Text(c.field, c.text);
        dialog.Check(IDC_WS_CENTRE_WINDOW, true);  // would shift every coordinate
        EXPECT_EQ(ApplyWindowSettings(dialog.Get(), 0), 0) << c.text;
        EXPECT_EQ(memcmp(&saved, &g_document.animationSettings, sizeof saved), 0) << c.text;
        EXPECT_EQ(Coordinates(), before) << c.text;
    }
    // Switching the window origin on through the dialog and off again.
    dialog.Text(IDC_WS_WIDTH, "100");
    dialog.Text(IDC_WS_HEIGHT, "80");
    ASSERT_EQ(ApplyWindowSettings(dialog.Get(), 0), 1);
    EXPECT_EQ(g_document.objectTable[0].startX, 100 - 50);
    EXPECT_EQ(g_document.regionTable[0].y1, -40);
    dialog.Check(IDC_WS_CENTRE_WINDOW, false);
    ASSERT_EQ(ApplyWindowSettings(dialog.Get(), 0), 1);
    EXPECT_EQ(Coordinates(), before);
}

TEST_F(WindowSettingsTest, DeletingASoundRenumbersSteps)
{
    MakeTwoObjects();
    g_document.soundCount = 3;
    for (int i = 0; i < 3; ++i) snprintf(g_document.soundTable[i].name, 64, "s%d.wav", i + 1);
    {
        GlobalLockGuard<ObjectStep> a(g_document.objectMemoryHandles[0][0]);
        a.get()[0].soundIndex = 2;
        a.get()[1].soundIndex = 3;
        GlobalLockGuard<ObjectStep> b(g_document.objectMemoryHandles[1][0]);
        b.get()[0].soundIndex = 0x40;  // a stop code
        b.get()[1].soundIndex = 1;
    }
    DeleteSound(2);
    EXPECT_EQ(g_document.soundCount, 2);
    EXPECT_STREQ(g_document.soundTable[1].name, "s3.wav");
    EXPECT_STREQ(g_document.soundTable[2].name, "");
    GlobalLockGuard<ObjectStep> a(g_document.objectMemoryHandles[0][0]);
    GlobalLockGuard<ObjectStep> b(g_document.objectMemoryHandles[1][0]);
    EXPECT_EQ(a.get()[0].soundIndex, 0);
    EXPECT_EQ(a.get()[1].soundIndex, 2);
    EXPECT_EQ(b.get()[0].soundIndex, 0x40);
    EXPECT_EQ(b.get()[1].soundIndex, 1);
    // Stop codes of a small table (above the count, below 0x40) stay too.
    EXPECT_EQ(RenumberSoundIndex(4, 1, 3), 4);
    EXPECT_EQ(RenumberSoundIndex(3, 1, 3), 2);
}

TEST_F(WindowSettingsTest, SoundCountForVideoExport)
{
    g_document.soundCount = 3;
    g_document.soundTable[0].soundFlags = 0x1001;
    g_document.soundTable[1].soundFlags = 0x2001;  // MIDI
    g_document.soundTable[2].soundFlags = 0x0001;  // a plain wave
    EXPECT_EQ(CountSoundEntries(1), 3);
    EXPECT_EQ(CountSoundEntries(0), 2);
}

TEST_F(WindowSettingsTest, SetAllWithAndWithoutNumberPattern)
{
    MakeTwoObjects();
    g_appState.frameCount = 3;
    for (int i = 0; i < 3; ++i) SetFrameFileName(i, ("f" + std::to_string(i) + ".bmp").c_str());
    ASSERT_TRUE(StoreFrameOffset(1, -5, 7, "walk.bmp"));
    SetAllFrameOffsets(-5, 7, "walk.bmp", 1);
    const SequenceImages& images = g_document.sequenceImages[0];
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(images.offsetX[i], -5);
        EXPECT_EQ(images.offsetY[i], 7);
    }
    EXPECT_STREQ(g_document.frameRecords[0].name, "f0.bmp");
    EXPECT_STREQ(g_document.frameRecords[1].name, "walk.bmp");
    SetAllFrameOffsets(1, 2, "run%D.bmp", 1);
    EXPECT_STREQ(g_document.frameRecords[0].name, "run%D.bmp");
    EXPECT_STREQ(g_document.frameRecords[2].name, "run%D.bmp");
    EXPECT_STREQ(g_document.frameRecords[1].name, "walk.bmp") << "the shown frame keeps what was stored";
    EXPECT_FALSE(StoreFrameOffset(0, 128, 0, "x"));
    EXPECT_FALSE(StoreFrameOffset(3, 0, 0, "x"));
    EXPECT_EQ(images.offsetX[0], 1);
}

TEST(AdditionalOptions, PaletteChoiceAndEndFileKind)
{
    EXPECT_EQ(PaletteSourceForChoice(0x01, PALETTE_ITEM_STANDARD), 0x05);
    EXPECT_EQ(PaletteSourceForChoice(0x05, PALETTE_ITEM_PICTURE), 0xF9);
    EXPECT_EQ(PaletteSourceForChoice(0xFC, 2), 0x10);
    EXPECT_TRUE(EndActionNameFits(1, "c:\\a\\next.ans"));
    EXPECT_FALSE(EndActionNameFits(2, "next.exe"));
    EXPECT_TRUE(EndActionNameFits(3, "Tool.Exe"));
    EXPECT_FALSE(EndActionNameFits(3, "next.ans"));
}

TEST_F(WindowSettingsTest, BackgroundPictureAtItsPlace)
{
    std::vector<HGLOBAL> frames{MakeStaticColorDib(8, 8, 0, 12)};  // static colour 12 all over
    ASSERT_EQ(WriteSequenceFixture(folder_.File("back.bmx"), frames, TRANSPARENT_NONE), RESULT_OK);
    AnimationSettings& s = g_document.animationSettings;
    s.backgroundColor = RGB(10, 200, 30);
    HDC screen = GetDC(nullptr);
    BackgroundPicture picture;
    ASSERT_EQ(BuildBackgroundDC(&picture, screen, {32, 24}), RESULT_OK);
    EXPECT_EQ(GetPixel(picture.dc, 31, 23), RGB(10, 200, 30));
    FreeBackgroundDC(&picture);

    s.backgroundColor = BACKGROUND_USE_IMAGE | RGB(10, 200, 30);
    lstrcpyA(s.backgroundImage, "back.bmx");
    s.playFlags &= ~PLAY_CENTER_IMAGE;
    s.imageX = 4;
    s.imageY = 2;
    ASSERT_EQ(BuildBackgroundDC(&picture, screen, {32, 24}), RESULT_OK);
    const COLORREF inside = GetPixel(picture.dc, 4, 2);
    EXPECT_NE(inside, RGB(10, 200, 30));
    EXPECT_EQ(GetPixel(picture.dc, 11, 9), inside);
    EXPECT_EQ(GetPixel(picture.dc, 12, 2), RGB(10, 200, 30));
    EXPECT_EQ(GetPixel(picture.dc, 3, 2), RGB(10, 200, 30));
    FreeBackgroundDC(&picture);
    s.playFlags |= PLAY_CENTER_IMAGE;
    ASSERT_EQ(BuildBackgroundDC(&picture, screen, {32, 24}), RESULT_OK);
    EXPECT_EQ(GetPixel(picture.dc, 12, 8), inside);
    EXPECT_EQ(GetPixel(picture.dc, 11, 8), RGB(10, 200, 30));
    FreeBackgroundDC(&picture);

    lstrcpyA(s.backgroundImage, "gone.bmp");
    EXPECT_EQ(BuildBackgroundDC(&picture, screen, {32, 24}), RESULT_NOT_FOUND);
    EXPECT_EQ(GetPixel(picture.dc, 0, 0), RGB(10, 200, 30)) << "the colour stays";
    FreeBackgroundDC(&picture);
    ReleaseDC(nullptr, screen);
}

}  // namespace
