// The editor's main window as the program makes it: the hooks and the dialog
// host it installs, the check mark of the animation kinds, the work DCs and
// their saved states, the texts of its menus, the palette messages, the open
// commands, a failed open, the context menus and the film's clicks, and what
// it writes back when it goes.
#include "DialogTestHooks.h"
#include "DibPixels.h"
#include "DocumentStrings.h"
#include "DocumentTestSupport.h"
#include "DialogUtilities.h"
#include "EditorHooks.h"
#include "EditorSettings.h"
#include "EditorStartup.h"
#include "FrameFormatDialog.h"
#include "MainWindow.h"
#include "PaletteDialogs.h"
#include "PaletteWindow.h"
#include "ObjectFiles.h"
#include "ResultCodes.h"
#include "Workspace.h"
#include "resource.h"

namespace {

// The real main window of the editor, made as WinMain makes it.
class MainWindowTest : public DocumentTest {
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        savedHost_ = GetDialogHost();
        g_appState.instanceHandle = GetModuleHandleA(nullptr);
        InitEditorInstance();  // a later test finds the classes registered already
        WriteSetting(IDS_KEY_GREASE_PROOF_MODE, 1);
        main_ = CreateMainWindow(g_appState.instanceHandle, const_cast<char*>(""));
        ASSERT_NE(nullptr, main_);
        ShowWindow(main_, SW_SHOWNOACTIVATE);
        UpdateWindow(main_);
    }
    void TearDown() override
    {
        if (IsWindow(main_)) DestroyWindow(main_);
        DrainQuit();
        SetDialogHost(savedHost_);
        DocumentTest::TearDown();
    }
    // WM_DESTROY posts the quit message that WinMain's loop would see.
    static void DrainQuit()
    {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
            if (m.message != WM_QUIT) DispatchMessageA(&m);
    }
    static void Pump()
    {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    }
    // A sequence file of frames of w by h in the 16 static colours; the
    // sequence's transparent colour is static colour `code`.
    std::string Sequence(const char* name, int w, int h, int frames, uint8_t code)
    {
        std::vector<HGLOBAL> dibs;
        for (int i = 0; i < frames; ++i) dibs.push_back(MakeStaticColorDib(w, h, i + 1, 1));
        EXPECT_EQ(RESULT_OK, WriteSequenceFixture(folder_.File(name), dibs, code));
        return folder_.File(name);
    }
    void OpenFrames(const std::string& path)
    {
        ASSERT_EQ(1, OpenFileByExtension(path.c_str()));
        ASSERT_GT(g_appState.frameCount, 0);
        UpdateWindow(main_);
        Pump();
    }
    static bool Invalid(HWND window)
    {
        RECT r;
        return GetUpdateRect(window, &r, FALSE) != FALSE;
    }
    static void ValidateViews()
    {
        for (HWND w : {g_appState.frameEditorWindow, g_appState.filmWindow, g_appState.paletteWindow})
            if (w) ValidateRect(w, nullptr);
    }
    // Paints an area of a frame in a colour of the document's palette.
    static void FillFrameArea(int frame, RECT area, COLORREF colour)
    {
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, g_appState.frameBitmaps[frame]);
        HPALETTE oldPalette = SelectDocumentPalette(dc);
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(dc, &area, brush);
        DeleteObject(brush);
        if (oldPalette) SelectPalette(dc, oldPalette, TRUE);
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    // Command 405 with a colour depth chosen in "Change Frame Format".
    void ChangeFormatFromTheMenu(int depthButton)
    {
        DialogAutoAnswer format([depthButton](HWND dialog) {
            CheckRadioButton(dialog, IDC_FORMAT_DEPTH_2, IDC_FORMAT_DEPTH_TRUE, depthButton);
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(depthButton, BN_CLICKED), 0);
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
        SendMessageA(main_, WM_COMMAND, IDM_CHANGE_FORMAT, 0);
        ASSERT_EQ(format.Dialogs().size(), 1u);
        Pump();
    }
    static bool MenuGreyed(UINT id) { return GetMenuState(g_appState.mainMenu, id, MF_BYCOMMAND) & MF_GRAYED; }
    static bool MenuChecked(UINT id) { return GetMenuState(g_appState.mainMenu, id, MF_BYCOMMAND) & MF_CHECKED; }
    static std::string MenuText(UINT id)
    {
        char text[128] = "";
        GetMenuStringA(g_appState.mainMenu, id, text, sizeof text, MF_BYCOMMAND);
        return text;
    }
    HWND main_ = nullptr;
    DialogHost savedHost_{};
};

// What the file chooser was asked for.
struct ChooserCall {
    UINT titleId, firstTypeId;
};
std::vector<ChooserCall> g_chooserCalls;
int RecordChooser(HWND, UINT, UINT titleId, UINT firstTypeId, char*, int*)
{
    g_chooserCalls.push_back({titleId, firstTypeId});
    return 0;  // cancelled
}

// A chooser that keeps the name it was offered and answers with g_chosen.
std::string g_offered, g_chosen;
int ChooseObjectFile(HWND, UINT flags, UINT titleId, UINT firstTypeId, char* path, int*)
{
    g_chooserCalls.push_back({titleId, firstTypeId});
    g_offered = path;
    if (g_chosen.empty()) return 0;
    strcpy(path, g_chosen.c_str());
    return 1;
}

}  // namespace

TEST_F(MainWindowTest, SaveObjectWritesTheCurrentObjectUnderTheNameChosen)
{
    OpenFrames(Sequence("hop.bmx", 8, 8, 3, 0x80));
    g_document.objectMemoryHandles[0][0] = MakeSteps({0, 2, 1});
    g_document.objectTable[0].stepCount = 3;
    g_chooserCalls.clear();
    g_appState.hooks.chooseFile = ChooseObjectFile;
    SendMessageA(main_, WM_INITMENU, reinterpret_cast<WPARAM>(g_appState.mainMenu), 0);
    EXPECT_FALSE(MenuGreyed(IDM_SAVE_OBJECT));

    // Cancelled in the chooser: nothing written. The unsaved animation is
    // asked about first (answered No).
    MessageBoxRecorder boxes(IDNO);
    g_chosen.clear();
    SendMessageA(main_, WM_COMMAND, IDM_SAVE_OBJECT, 0);
    ASSERT_EQ(1u, g_chooserCalls.size());
    EXPECT_EQ(832u, g_chooserCalls[0].titleId);
    EXPECT_EQ(40u, g_chooserCalls[0].firstTypeId);
    EXPECT_EQ("hop.ANO", g_offered) << "the sequence's name with the object file's extension";

    g_chosen = folder_.File("hopper.ano");
    SendMessageA(main_, WM_COMMAND, IDM_SAVE_OBJECT, 0);
    const std::vector<uint8_t> saved = ReadWholeFile(g_chosen);
    ASSERT_EQ(218u, saved.size());
    EXPECT_EQ('A', saved[0]);
    EXPECT_EQ('O', saved[1]);

    // An existing file is replaced only after OK.
    ASSERT_TRUE(WriteWholeFile(g_chosen, {1, 2, 3}));
    boxes.QueueAnswer(IDNO);
    boxes.QueueAnswer(IDCANCEL);
    SendMessageA(main_, WM_COMMAND, IDM_SAVE_OBJECT, 0);
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3}), ReadWholeFile(g_chosen));
    boxes.QueueAnswer(IDNO);
    boxes.QueueAnswer(IDOK);
    SendMessageA(main_, WM_COMMAND, IDM_SAVE_OBJECT, 0);
    EXPECT_EQ(saved, ReadWholeFile(g_chosen));
    g_appState.hooks.chooseFile = nullptr;
}

TEST_F(MainWindowTest, CreationInstallsTheHooksWhoseWindowsExistAndTheDialogHost)
{
    const EditorHooks& hooks = g_appState.hooks;
    EXPECT_EQ(&OnDocumentChanged, hooks.documentChanged);
    EXPECT_EQ(&FillCurrentSequenceBackground, hooks.fillSequenceBackground);
    EXPECT_NE(nullptr, hooks.askQuestion);
    EXPECT_NE(nullptr, hooks.showStatusText);
    EXPECT_EQ(&ReadObjectFile, hooks.readObjectFile);
    ASSERT_NE(nullptr, GetDialogHost().mainWindow);
    EXPECT_EQ(main_, GetDialogHost().mainWindow());
    EXPECT_EQ(&CurrentDocumentPath, GetDialogHost().currentFilePath);

    // Message boxes are owned by the main window; file errors carry the file.
    MessageBoxRecorder boxes;
    strcpy(g_document.sequencePath, "C:\\anims\\walk.bmx");
    ShowErrorMessage(RESULT_READ_ERROR);
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ(main_, boxes.Boxes()[0].owner);
    EXPECT_EQ("C:\\anims\\walk.bmx", boxes.Boxes()[0].caption);

    // The status text goes to the status bar's text pane.
    hooks.showStatusText("7 non-static colors");
    EXPECT_STREQ("7 non-static colors", g_appState.statusText);
}

TEST_F(MainWindowTest, CreationMakesTheCheckMarkAndSavesTheStatesOfTheWorkDCs)
{
    HBITMAP check = g_appState.menuCheckBitmap;
    ASSERT_NE(nullptr, check);
    for (UINT id : {IDM_SEQUENCE_ANIMATION, IDM_CYCLE_DEFINITION, IDM_PATH_ANIMATION}) {
        MENUITEMINFOA info{sizeof info, MIIM_CHECKMARKS};
        ASSERT_TRUE(GetMenuItemInfoA(g_appState.mainMenu, id, FALSE, &info)) << id;
        EXPECT_EQ(check, info.hbmpChecked) << id;
    }
    BITMAP b{};
    ASSERT_TRUE(GetObjectA(check, sizeof b, &b));
    const int w = GetSystemMetrics(SM_CXMENUCHECK), h = GetSystemMetrics(SM_CYMENUCHECK);
    EXPECT_EQ(w, b.bmWidth);
    EXPECT_EQ(h, b.bmHeight);
    EXPECT_EQ(1, b.bmBitsPixel);
    // White, with a black triangle pointing right whose left edge stands a
    // quarter of the height from the left.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, check);
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, 0, h / 2));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, h / 4 - 1, h / 2));
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, h / 4, h / 2));
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, h / 4 + 1, h / 2));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, w - 1, 0));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, h / 4 + 1, 0)) << "it narrows to a point on the right";
    SelectObject(dc, old);
    DeleteDC(dc);

    // The canvas's DC holds a view buffer: a memory DC. Both work DCs have one
    // saved state, the one creation made (the next save is number 2).
    ASSERT_NE(nullptr, g_appState.canvasDC);
    EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), GetObjectType(g_appState.canvasDC));
    for (HDC work : {g_appState.canvasDC, g_appState.memoryDC}) {
        EXPECT_EQ(2, SaveDC(work));
        RestoreDC(work, -1);
    }

    // Gone with the window: the DCs and the check mark.
    DestroyWindow(main_);
    DrainQuit();
    EXPECT_EQ(nullptr, g_appState.canvasDC);
    EXPECT_EQ(nullptr, g_appState.memoryDC);
    EXPECT_EQ(0u, GetObjectType(check));
}

TEST_F(MainWindowTest, MenuTextsAndTheStatusFont)
{
    EXPECT_EQ("to the &Right \tF6", MenuText(IDM_FILM_RIGHT));
    EXPECT_EQ("Add &Empty Frame\bAlt+Num+", MenuText(IDM_ADD_EMPTY_FRAME));
    EXPECT_EQ("&Add Copy\bCtrl+Alt+End", MenuText(IDM_APPEND_FRAMES));
    EXPECT_EQ("&Swap Frame with...\bAlt+S", MenuText(IDM_SWAP_FRAME));
    EXPECT_EQ("Flip &horizontally\bAlt+H", MenuText(IDM_FLIP_HORIZONTAL));
    EXPECT_EQ("Flip &vertically\bAlt+V", MenuText(IDM_FLIP_VERTICAL));
    EXPECT_EQ("&Rotation Clockwise 90\xB0\bAlt+R", MenuText(IDM_ROTATE_RIGHT));
    EXPECT_EQ("&Rotation Anticlockwise 90\xB0\bAlt+L", MenuText(IDM_ROTATE_LEFT));
    SetRotationMenuTexts(-45);
    EXPECT_EQ("&Rotation Clockwise 45\xB0\bAlt+R", MenuText(IDM_ROTATE_RIGHT)) << "from string 503";
    EXPECT_EQ("&Rotation Anticlockwise 45\xB0\bAlt+L", MenuText(IDM_ROTATE_LEFT)) << "from string 502";
    EXPECT_EQ("&Replace Color with...\bAlt+C", MenuText(IDM_REPLACE_COLOR));
    EXPECT_EQ("Adjust Colors...", MenuText(IDM_ADJUST_COLORS));
    const char* const effects[] = {"Blur soft", "Blur medium", "Blur hard", "Sharpen soft", "Sharpen medium",
                                   "Sharpen hard", "Stamp Grey", "Stamp Colors", "Shake horizontal",
                                   "Shake vertical", "Shake both", "Greyscale", "Invert", "&Customized..."};
    for (UINT id = 550; id <= 563; ++id) EXPECT_EQ(effects[id - 550], MenuText(id)) << id;

    // The status help of the commands, as the tool bars show it too.
    const struct { UINT id; const char* text; } help[] = {
        {32869, "Create a new frame"}, {32870, "Open a single image, a frame sequence or an animation"},
        {32871, "Add frames to the current frame sequence"}, {32878, "Print frames"}, {32880, "Save changes..."},
        {32969, "Undo last action"}, {32970, "Redo undo"},
        {32971, "Cuts current selection and puts it to the clipboard"},
        {32972, "Copies current selection to the clipboard"}, {32973, "Pastes clipboard contents"},
        {33095, "Stretch film reel images to fit film reel size"}, {33106, "Toggle onion skinning on/off"},
        {33107, "Toggel grid lines on/off"}, {33122, "Change to previous frame"}, {33123, "Change to next frame"},
        {33280, "Sheer and stretch selected area"}, {33476, "Start animation"},
    };
    for (const auto& c : help) {
        char text[RESOURCE_STRING_LENGTH] = "";
        LoadResourceString(c.id, text);
        EXPECT_STREQ(c.text, text) << c.id;
    }

    HFONT font = reinterpret_cast<HFONT>(SendMessageA(g_appState.statusBarWindow, WM_GETFONT, 0, 0));
    ASSERT_NE(nullptr, font);
    LOGFONTA logFont{};
    ASSERT_TRUE(GetObjectA(font, sizeof logFont, &logFont));
    EXPECT_EQ(16, logFont.lfHeight);
    EXPECT_STREQ("MS Sans Serif", logFont.lfFaceName);
}

TEST_F(MainWindowTest, TheOnionSkinSourceReadAtCreationIsWrittenBackAtExit)
{
    DestroyWindow(main_);
    DrainQuit();
    EXPECT_EQ(1, ReadSetting(IDS_KEY_GREASE_PROOF_MODE)) << "not -1";
}

TEST_F(MainWindowTest, OpenAndOpenAnimationAskForTheirTitlesAndFirstTypes)
{
    g_chooserCalls.clear();
    g_appState.hooks.chooseFile = RecordChooser;
    SendMessageA(main_, WM_COMMAND, IDM_OPEN, 0);
    SendMessageA(main_, WM_COMMAND, IDM_OPEN_ANIMATION, 0);
    ASSERT_EQ(2u, g_chooserCalls.size());
    EXPECT_EQ(810u, g_chooserCalls[0].titleId);
    EXPECT_EQ(30u, g_chooserCalls[0].firstTypeId);
    EXPECT_EQ(826u, g_chooserCalls[1].titleId);
    EXPECT_EQ(36u, g_chooserCalls[1].firstTypeId);
    const struct { UINT id; const char* text; } strings[] = {
        {810, "Open"},
        {826, "Open Animation"},
        {30, "All File Formats|*.*"},
        {36, "Animation File Formats(*.ANS;*.ANX;*.AVI;*.ANI;*.GIF)|*.ANS;*.ANX;*.AVI;*.ANI;*.GIF"},
    };
    for (const auto& s : strings) {
        char text[RESOURCE_STRING_LENGTH] = "";
        LoadResourceString(s.id, text);
        EXPECT_STREQ(s.text, text) << s.id;
    }
}

TEST_F(MainWindowTest, AFailedOpenNamesItsFileAndLeavesNoDocument)
{
    const std::string missing = folder_.File("missing.bmx");
    MessageBoxRecorder boxes;
    EXPECT_EQ(0, OpenFileByExtension(missing.c_str()));
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ("Error finding file!", boxes.Boxes()[0].text);
    EXPECT_EQ(missing, boxes.Boxes()[0].caption);
    EXPECT_EQ(main_, boxes.Boxes()[0].owner);
    EXPECT_EQ(DOC_NONE, g_document.animationState);
    EXPECT_EQ(DOC_NONE, g_document.sequenceState);
    SendMessageA(main_, WM_INITMENU, reinterpret_cast<WPARAM>(g_appState.mainMenu), 0);
    EXPECT_TRUE(MenuGreyed(IDM_CLOSE)) << "nothing to close";
    for (UINT id : {IDM_SEQUENCE_ANIMATION, IDM_CYCLE_DEFINITION, IDM_PATH_ANIMATION})
        EXPECT_FALSE(MenuChecked(id)) << id;

    // After a good open, Close is there and the object's kind is checked;
    // closing hides the views and takes both again.
    OpenFrames(Sequence("walk.bmx", 16, 16, 2, 0x80));
    SendMessageA(main_, WM_INITMENU, reinterpret_cast<WPARAM>(g_appState.mainMenu), 0);
    EXPECT_FALSE(MenuGreyed(IDM_CLOSE));
    EXPECT_TRUE(MenuChecked(IDM_SEQUENCE_ANIMATION));
    boxes.QueueAnswer(IDNO);  // the new animation is not saved
    SendMessageA(main_, WM_COMMAND, IDM_CLOSE, 0);
    SendMessageA(main_, WM_INITMENU, reinterpret_cast<WPARAM>(g_appState.mainMenu), 0);
    EXPECT_TRUE(MenuGreyed(IDM_CLOSE));
    EXPECT_FALSE(MenuChecked(IDM_SEQUENCE_ANIMATION));
}

TEST_F(MainWindowTest, TheDocumentsNotificationsReachTheViews)
{
    OpenFrames(Sequence("one.bmx", 16, 16, 1, 0x80));
    ASSERT_TRUE(IsWindowVisible(g_appState.filmWindow));
    SCROLLINFO before{sizeof before, SIF_RANGE};
    GetScrollInfo(g_appState.filmWindow, SB_HORZ, &before);
    // A frame more: the film is measured again for the new count.
    ASSERT_TRUE(WriteDibAsBmp(folder_.File("more.bmp"), MakeStaticColorDib(16, 16, 7)));
    ASSERT_EQ(RESULT_OK, LoadFrameFile(folder_.File("more.bmp").c_str(), 0));
    SCROLLINFO after{sizeof after, SIF_RANGE};
    GetScrollInfo(g_appState.filmWindow, SB_HORZ, &after);
    EXPECT_GT(after.nMax, before.nMax);

    // A sequence that cannot be loaded hides the views; one that can shows them.
    ASSERT_TRUE(WriteWholeFile(folder_.File("broken.bmx"), {'B', 'X', 1, 2, 3}));
    MessageBoxRecorder boxes(IDNO);
    EXPECT_EQ(0, SwitchToSequence(main_, folder_.File("broken.bmx").c_str(), 0, true));
    EXPECT_FALSE(IsWindowVisible(g_appState.filmWindow));
    const std::string good = Sequence("good.bmx", 16, 16, 2, 0x80);
    EXPECT_EQ(1, SwitchToSequence(main_, good.c_str(), 0, true));
    EXPECT_TRUE(IsWindowVisible(g_appState.filmWindow));

    // A fresh document rebuilds the recent files of the File menu from the
    // settings file, where the list was written first.
    AddRecentFile(good.c_str());
    const int count = g_recentFiles.count;
    ASSERT_GE(count, 1);
    ResetDocument();
    char stored[MAX_PATH] = "", ini[MAX_PATH], key[4];
    GetIniFilePath(ini, sizeof ini);
    snprintf(key, sizeof key, "%d", count - 1);
    GetPrivateProfileStringA("MRU", key, "", stored, sizeof stored, ini);
    EXPECT_EQ(good, stored);
    ASSERT_EQ(count, g_recentFiles.count) << "read back whole";
    EXPECT_EQ(good, g_recentFiles.paths[count - 1]);
}

// The Options and Sequence menus' palette commands on a 16-colour sequence:
// Edit Palette starts on the pen colour under its own caption and frees the
// other sequences' run-time frames; Transparent Color recolours the frames;
// the commands that need 256 colours are greyed.
TEST_F(MainWindowTest, PaletteCommandsFromTheMenu)
{
    RegisterPaletteDialogs();
    OpenFrames(Sequence("pal.bmx", 16, 16, 2, 1));  // every pixel static colour 1, the transparent one
    EXPECT_TRUE(MenuGreyed(IDM_EDIT_PALETTE));
    EXPECT_TRUE(MenuGreyed(IDM_DETECT_USED_COLORS));
    EXPECT_TRUE(MenuGreyed(IDM_ADJUST_COLORS));
    EXPECT_FALSE(MenuGreyed(IDM_TRANSPARENT_COLOR));

    SetToolColorIndex(ROLE_PEN, 11);
    HBITMAP runTime = CreateBitmap(4, 4, 1, 1, nullptr);
    g_document.sequenceImages[1].frames[0] = runTime;
    g_document.sequenceImages[1].frameCount = 1;
    {
        DialogAutoAnswer cancel;
        SendMessageA(main_, WM_COMMAND, IDM_EDIT_PALETTE, 0);
        ASSERT_EQ(cancel.Dialogs().size(), 1u);
        EXPECT_EQ(cancel.Dialogs()[0].initParam, 11) << "the pen index alone: no caption id";
        EXPECT_EQ(cancel.Dialogs()[0].caption, "Modify Current Palette");
    }
    EXPECT_EQ(g_document.sequenceImages[1].frames[0], nullptr);
    EXPECT_EQ(GetObjectType(runTime), 0u) << "deleted";

    DialogAutoAnswer white([](HWND dialog) {
        PostMessageA(dialog, WM_COMMAND, IDC_FIRST_STATIC_CELL + 15, 0);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    MessageBoxRecorder repaint(IDYES);  // every frame's transparent pixels
    SendMessageA(main_, WM_COMMAND, IDM_TRANSPARENT_COLOR, 0);
    ASSERT_EQ(white.Dialogs().size(), 1u);
    EXPECT_EQ(white.Dialogs()[0].initParam, 1);
    EXPECT_EQ(CurrentSequenceRecord()->transparentColorCode, 15);
    for (int frame = 0; frame < 2; ++frame)
        EXPECT_EQ(DibPixels(g_appState.frameBitmaps[frame]).Color(3, 3), RGB(255, 255, 255)) << frame;
}

TEST_F(MainWindowTest, ANewTransparentColourIsAskedBeforeEveryFrameIsRepainted)
{
    RegisterPaletteDialogs();
    OpenFrames(Sequence("ask.bmx", 16, 16, 2, 1));  // every pixel static colour 1, the transparent one
    const PALETTEENTRY& one = STATIC_COLORS[1];
    const COLORREF oldColour = RGB(one.peRed, one.peGreen, one.peBlue), white = RGB(255, 255, 255);
    auto choose = [](int cell, bool buildMask) {
        return [cell, buildMask](HWND dialog) {
            CheckDlgButton(dialog, IDC_BUILD_MASK, buildMask ? BST_CHECKED : BST_UNCHECKED);
            PostMessageA(dialog, WM_COMMAND, IDC_FIRST_STATIC_CELL + cell, 0);
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        };
    };
    // In the order run: each starts from what the one before left.
    struct Case {
        const char* what;
        int cell;
        bool buildMask;
        int answer;
        size_t questions;
        int code;
        COLORREF pixel;
        bool modified;
    } cases[] = {
        {"No keeps everything", 15, false, IDNO, 1, 1, oldColour, false},
        {"Yes repaints", 15, false, IDYES, 1, 15, white, true},
        {"a mask built at run time keeps the pixels", 0, true, IDYES, 0, TRANSPARENT_RUNTIME_MASK | 0, white, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_document.sequenceState &= ~DOC_MODIFIED;
        DialogAutoAnswer dialog(choose(c.cell, c.buildMask));
        MessageBoxRecorder boxes(c.answer);
        SendMessageA(main_, WM_COMMAND, IDM_TRANSPARENT_COLOR, 0);
        ASSERT_EQ(dialog.Dialogs().size(), 1u);
        ASSERT_EQ(boxes.Boxes().size(), c.questions);
        if (c.questions) {
            EXPECT_EQ(boxes.Boxes()[0].owner, main_);
            EXPECT_EQ(boxes.Boxes()[0].text, "The old transparent color will be replaced by the new one in every frame "
                                             "of the sequence!\r\nChange the transparent color?");
            EXPECT_EQ(boxes.Boxes()[0].style & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
        }
        EXPECT_EQ(CurrentSequenceRecord()->transparentColorCode, c.code);
        for (int frame = 0; frame < 2; ++frame)
            EXPECT_EQ(DibPixels(g_appState.frameBitmaps[frame]).Color(3, 3), c.pixel) << frame;
        EXPECT_EQ((g_document.sequenceState & DOC_MODIFIED) != 0, c.modified);
    }
}

TEST_F(MainWindowTest, PaletteCommandsFollowTheColourFormat)
{
    RegisterPaletteDialogs();  // 532's dialog
    OpenFrames(Sequence("depth.bmx", 16, 16, 1, 0x80));
    const UINT needs256[] = {IDM_EDIT_PALETTE, IDM_DETECT_USED_COLORS, IDM_ADJUST_COLORS};
    struct Case {
        int depthButton;
        int32_t format;
        bool offered;
    } cases[] = {
        {IDC_FORMAT_DEPTH_256, COLORS_256, true},
        {IDC_FORMAT_DEPTH_16, COLORS_16, false},
        {IDC_FORMAT_DEPTH_TRUE, COLORS_24BIT, true},
        {IDC_FORMAT_DEPTH_2, COLORS_2, false},
    };
    for (UINT id : needs256) EXPECT_TRUE(MenuGreyed(id)) << id;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        ChangeFormatFromTheMenu(c.depthButton);
        ASSERT_EQ(g_appState.colorCount, c.format);
        for (UINT id : needs256) EXPECT_EQ(MenuGreyed(id), !c.offered) << id;
    }
    // Without a document nothing is offered, whatever the format.
    ChangeFormatFromTheMenu(IDC_FORMAT_DEPTH_256);
    EnableDocumentCommands(main_, 1);
    EnableColorFormatCommands();
    for (UINT id : needs256) EXPECT_TRUE(MenuGreyed(id)) << id;
}

TEST_F(MainWindowTest, DetectAndResetColoursFromTheMenu)
{
    OpenFrames(Sequence("used.bmx", 16, 16, 1, 0x80));
    // Two colours of the standard palette that no cell shows at first
    // (entries 32 and 28), in bands over the frame's static colour.
    const COLORREF used[] = {RGB(32, 32, 16), RGB(160, 124, 88)};
    auto inCells = [](COLORREF colour) {
        for (BYTE c : g_appState.colorCells.index)
            if ((PaletteIndexToRgb(PALETTEINDEX(c)) & 0xFFFFFF) == colour) return true;
        return false;
    };
    struct Case {
        int depthButton;
        bool standardPaletteRestored;  // above 256 colours only
    } cases[] = {{IDC_FORMAT_DEPTH_256, false}, {IDC_FORMAT_DEPTH_TRUE, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.depthButton);
        ChangeFormatFromTheMenu(c.depthButton);
        const ColorCells fresh = g_appState.colorCells;
        for (COLORREF colour : used) ASSERT_FALSE(inCells(colour));
        for (int i = 0; i < 2; ++i) FillFrameArea(0, {0, i * 4, 16, i * 4 + 4}, used[i]);

        ASSERT_FALSE(MenuGreyed(IDM_DETECT_USED_COLORS));
        ValidateViews();
        SendMessageA(main_, WM_COMMAND, IDM_DETECT_USED_COLORS, 0);
        EXPECT_STREQ(g_appState.statusText, "2 non-static colors have been detected and added to the palette window.");
        for (COLORREF colour : used) EXPECT_TRUE(inCells(colour)) << std::hex << colour;
        EXPECT_TRUE(Invalid(g_appState.paletteWindow));

        // An edited entry comes back from the standard palette above 256 colours.
        PALETTEENTRY standard{}, edited{1, 2, 3, 0};
        GetPaletteEntries(g_appState.documentPalette, 100, 1, &standard);
        SetPaletteEntries(g_appState.documentPalette, 100, 1, &edited);
        ASSERT_FALSE(MenuGreyed(IDM_RESET_PALETTE));
        ValidateViews();
        SendMessageA(main_, WM_COMMAND, IDM_RESET_PALETTE, 0);
        EXPECT_EQ(0, memcmp(g_appState.colorCells.index, fresh.index, sizeof fresh.index)) << "the cells start again";
        EXPECT_EQ(g_appState.colorCells.nextColorCell, fresh.nextColorCell);
        for (COLORREF colour : used) EXPECT_FALSE(inCells(colour)) << std::hex << colour;
        EXPECT_TRUE(Invalid(g_appState.paletteWindow));
        PALETTEENTRY after{};
        GetPaletteEntries(g_appState.documentPalette, 100, 1, &after);
        const PALETTEENTRY& expected = c.standardPaletteRestored ? standard : edited;
        EXPECT_EQ(RGB(after.peRed, after.peGreen, after.peBlue), RGB(expected.peRed, expected.peGreen, expected.peBlue));
    }
}

TEST_F(MainWindowTest, AColourDroppedOnTheCanvasFillsTheAreaThere)
{
    OpenFrames(Sequence("drop.bmx", 16, 16, 2, 0x80));  // every pixel static colour 1
    // A band of static colour 4 across the top of frame 0: a fill below it stays below it.
    const auto rgbOf = [](int code) {
        const PALETTEENTRY& e = STATIC_COLORS[code];
        return RGB(e.peRed, e.peGreen, e.peBlue);
    };
    FillFrameArea(0, {0, 0, 16, 4}, rgbOf(4));
    HWND palette = g_appState.paletteWindow, canvas = g_appState.frameEditorWindow;
    ASSERT_TRUE(palette && IsWindowVisible(palette) && canvas && IsWindowVisible(canvas));
    // The palette window's client point over frame pixel (x, y) of the canvas.
    auto overPixel = [&](int x, int y) {
        const int zoom = g_appState.zoomShift, half = (1 << zoom) / 2;
        POINT p{((x - g_appState.editScrollX) << zoom) + half, ((y - g_appState.editScrollY) << zoom) + half};
        ClientToScreen(canvas, &p);
        ScreenToClient(palette, &p);
        return MAKELPARAM(p.x, p.y);
    };
    struct Case {
        bool right;
        int code;  // the static colour dragged
        int role;  // the tool colour it becomes
        POINT at;  // the frame pixel it is dropped on
    } cases[] = {{false, 12, ROLE_PEN, {8, 12}}, {true, 9, ROLE_FILL, {3, 1}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        const int cell = PaletteCellOfIndex(StaticColorIndex(c.code, g_appState.toolColors.paletteSize));
        ASSERT_GE(cell, 0);
        const RECT r = PaletteCellRect(g_appState.colorCount, cell);
        const LPARAM down = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        const UINT press = c.right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, release = c.right ? WM_RBUTTONUP : WM_LBUTTONUP;
        const WPARAM held = c.right ? MK_RBUTTON : MK_LBUTTON;
        SendMessageA(palette, press, held, down);
        SendMessageA(palette, WM_MOUSEMOVE, held, overPixel(c.at.x, c.at.y));
        SendMessageA(palette, release, 0, overPixel(c.at.x, c.at.y));
        EXPECT_EQ(PaletteIndexToRgb(GetToolColor(c.role)) & 0xFFFFFF, rgbOf(c.code));
    }
    // The left drop filled the area below the band, the right one the band;
    // the other frame is not selected and keeps its colour.
    const DibPixels frame(g_appState.frameBitmaps[0]);
    EXPECT_EQ(frame.Color(0, 0), rgbOf(9));
    EXPECT_EQ(frame.Color(15, 3), rgbOf(9));
    EXPECT_EQ(frame.Color(0, 4), rgbOf(12));
    EXPECT_EQ(frame.Color(15, 15), rgbOf(12));
    EXPECT_EQ(DibPixels(g_appState.frameBitmaps[1]).Color(8, 12), rgbOf(1));
}

TEST_F(MainWindowTest, ASmallerFrameIsLaidOnTheSequenceBackground)
{
    // Static colour 9 is the sequence's transparent colour; a smaller frame
    // added without scaling leaves the rest of its frame in that colour.
    OpenFrames(Sequence("big.bmx", 16, 16, 1, 9));
    SetToolColorIndex(ROLE_TRANSPARENT, 2);  // the tool colour is another one
    ASSERT_TRUE(WriteDibAsBmp(folder_.File("small.bmp"), MakeStaticColorDib(8, 8, 3, 4)));
    MessageBoxRecorder boxes(IDNO);  // "Scale frame?": no
    ASSERT_EQ(RESULT_OK, LoadFrameFile(folder_.File("small.bmp").c_str(), 0));
    ASSERT_EQ(1u, boxes.Boxes().size()) << "the question goes through the editor's message boxes";
    EXPECT_EQ(main_, boxes.Boxes()[0].owner);
    ASSERT_EQ(2, g_appState.frameCount);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, g_appState.frameBitmaps[1]);
    const PALETTEENTRY& background = STATIC_COLORS[9];
    EXPECT_EQ(RGB(background.peRed, background.peGreen, background.peBlue), GetPixel(dc, 12, 12) & 0xFFFFFF);
    SelectObject(dc, old);
    DeleteDC(dc);
}

TEST_F(MainWindowTest, QueryNewPaletteRealisesAndRepaintsEveryView)
{
    OpenFrames(Sequence("walk.bmx", 16, 16, 2, 0x80));
    ASSERT_NE(nullptr, g_appState.documentPalette);
    Pump();
    ValidateViews();
    EXPECT_GE(SendMessageA(main_, WM_QUERYNEWPALETTE, 1, 0), 1);
    EXPECT_TRUE(Invalid(g_appState.frameEditorWindow));
    EXPECT_TRUE(Invalid(g_appState.filmWindow));
    EXPECT_TRUE(Invalid(g_appState.paletteWindow));
    HDC canvas = GetDC(g_appState.frameEditorWindow);
    EXPECT_EQ(g_appState.documentPalette, GetCurrentObject(canvas, OBJ_PAL)) << "the canvas's own DC keeps it";
    ReleaseDC(g_appState.frameEditorWindow, canvas);

    // A change this editor made itself is its own: nothing to do.
    ValidateViews();
    SendMessageA(main_, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(g_appState.filmWindow), 0);
    EXPECT_FALSE(Invalid(g_appState.filmWindow));
    ShowWindow(main_, SW_MINIMIZE);
    EXPECT_EQ(0, SendMessageA(main_, WM_QUERYNEWPALETTE, 1, 0)) << "nothing while minimised";
}

TEST_F(MainWindowTest, TheCanvasMenuShowsItsGroupsWithSeparatorsOnlyBetweenThem)
{
    auto itemsOf = [](HMENU menu) {
        std::vector<UINT> ids;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            const UINT id = GetMenuItemID(menu, i);
            ids.push_back(GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR ? 0 : id);
        }
        return ids;
    };
    auto build = [&] {
        HMENU menu = CreatePopupMenu();
        BuildCanvasContextMenu(menu);
        std::vector<UINT> ids = itemsOf(menu);
        DestroyMenu(menu);
        return ids;
    };
    ASSERT_TRUE(OpenClipboard(main_));
    EmptyClipboard();
    CloseClipboard();
    OpenFrames(Sequence("one.bmx", 16, 16, 1, 0x80));
    EnableMenuItem(g_appState.mainMenu, IDM_UNDO, MF_BYCOMMAND | MF_GRAYED);
    EnableMenuItem(g_appState.mainMenu, IDM_REPEAT, MF_BYCOMMAND | MF_GRAYED);
    // One frame, nothing to undo, no selection tool, an empty clipboard.
    EXPECT_EQ((std::vector<UINT>{IDM_CONTEXT_TITLE, 0, IDM_GRADATED_LINES, IDM_FILL_PATTERNS, 0, IDM_REPLACE_COLOR}),
              build());

    // Undo, two frames, a selection tool and a picture on the clipboard.
    EnableMenuItem(g_appState.mainMenu, IDM_UNDO, MF_BYCOMMAND | MF_ENABLED);
    ASSERT_TRUE(WriteDibAsBmp(folder_.File("two.bmp"), MakeStaticColorDib(16, 16, 2)));
    ASSERT_EQ(RESULT_OK, LoadFrameFile(folder_.File("two.bmp").c_str(), 0));
    g_appState.currentTool = 10;
    HGLOBAL dib = MakeStaticColorDib(8, 8, 5);
    ASSERT_TRUE(OpenClipboard(main_));
    EmptyClipboard();
    SetClipboardData(CF_DIB, dib);
    CloseClipboard();
    EXPECT_EQ((std::vector<UINT>{IDM_CONTEXT_TITLE, 0, IDM_UNDO, 0, IDM_ONION_SKINNING, 0, IDM_COPY, 0, IDM_PASTE, 0,
                                 IDM_GRADATED_LINES, IDM_FILL_PATTERNS, 0, IDM_REPLACE_COLOR}),
              build());

    // An area selected: Cut and Copy, and the area's own commands.
    SetSelectionState(0x10);
    EXPECT_EQ((std::vector<UINT>{IDM_CONTEXT_TITLE, 0, IDM_UNDO, 0, IDM_ONION_SKINNING, 0, IDM_CUT, IDM_COPY, 0,
                                 IDM_PASTE, 0, IDM_STRETCH, IDM_ROTATE, IDM_REPLACE_COLOR}),
              build());
    SetSelectionState(0);
    ASSERT_TRUE(OpenClipboard(main_));
    EmptyClipboard();
    CloseClipboard();
}

TEST_F(MainWindowTest, OnlyAThumbnailOfTheFilmAnswersTheMouse)
{
    OpenFrames(Sequence("three.bmx", 16, 16, 3, 0x80));
    HWND film = g_appState.filmWindow;
    MenuWatch menus;
    // The first thumbnail starts 20 pixels in, 16 below the top; the second
    // follows the first and its gap.
    const LPARAM onSecond = MAKELPARAM(20 + 16 + 12 + 4, 16 + 4);
    const LPARAM onPerforation = MAKELPARAM(20 + 16 + 12 + 4, 4);
    const LPARAM inGap = MAKELPARAM(20 + 16 + 4, 16 + 4);
    for (LPARAM beside : {onPerforation, inGap}) {
        SendMessageA(film, WM_LBUTTONDOWN, MK_LBUTTON, beside);
        SendMessageA(film, WM_RBUTTONDOWN, MK_RBUTTON, beside);
        EXPECT_EQ(0, g_appState.currentFrame);
        EXPECT_FALSE(menus.OpenedFor(main_)) << "no menu beside a thumbnail";
    }
    SendMessageA(film, WM_RBUTTONDOWN, MK_RBUTTON, onSecond);
    EXPECT_EQ(1, g_appState.currentFrame);
    EXPECT_TRUE(menus.OpenedFor(main_)) << "the film's menu on a thumbnail";
}
