// The questions before changes are discarded, the "Save changes" dialog and
// the save commands behind them.
#include "DialogTestHooks.h"
#include "DialogUtilities.h"
#include "DocumentTestSupport.h"
#include "FileIo.h"
#include "ResultCodes.h"
#include "resource.h"

namespace {

constexpr char kFrameQuestion[] = "Frame 1 has been modified! Save changes?";
constexpr char kSequenceQuestion[] = "The frame sequence has been modified! Save changes?";
constexpr char kAnimationQuestion[] = "The animation has been modified! Save changes?";
constexpr char kDialog[] = "dialog";

class SaveQuestions : public DocumentTest {
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        NewSequenceParams params{};
        params.colourFormat = COLORS_16;
        params.width = 16;
        params.height = 8;
        params.transparentCode = TRANSPARENT_NONE;
        ASSERT_EQ(CreateSequence(params, 0), 1);
        g_document.frameRecords[0].frameState = FRAME_NEVER_SAVED;  // painted in, never saved
    }
    // What QuerySaveChanges asked: the texts of the message boxes (answered
    // No) and "dialog" for the "Save changes" dialog (cancelled).
    std::vector<std::string> Asked(int mode, int* result = nullptr)
    {
        MessageBoxRecorder boxes(IDNO);
        DialogAutoAnswer dialogs(DialogAutoAnswer::PressButton(IDCANCEL));
        const int answer = QuerySaveChanges(nullptr, mode);
        if (result) *result = answer;
        std::vector<std::string> asked;
        for (const auto& box : boxes.Boxes()) asked.push_back(box.text);
        for (const auto& dialog : dialogs.Dialogs())
            if (dialog.caption == "Save changes") asked.push_back(kDialog);
        return asked;
    }
    // A named sequence and animation in the test's folder.
    void NameDocument()
    {
        strcpy(g_document.sequencePath, folder_.File("seq.bmx").c_str());
        strcpy(g_document.sequenceTable[0].fileName, g_document.sequencePath);
        SetDocumentFolder(folder_.File("anim.ans").c_str());
    }
};

TEST_F(SaveQuestions, TheSequenceStateAndTheModeChooseTheQuestion)
{
    struct Case {
        int sequenceState;
        int mode;
        std::vector<std::string> asked;
        int result;
    };
    using V = std::vector<std::string>;
    const Case cases[] = {
        {-1, -2, V{kFrameQuestion}, 1}, {0, -2, V{}, 1}, {1, -2, V{kSequenceQuestion}, 1},
        {-1, -1, V{kDialog}, 0},        {0, -1, V{kAnimationQuestion}, 1}, {1, -1, V{kDialog}, 0},
        {-1, 0, V{kSequenceQuestion}, 1}, {0, 0, V{}, 1}, {1, 0, V{kSequenceQuestion}, 1},
        {-1, 1, V{kDialog}, 0},         {0, 1, V{kAnimationQuestion}, 1}, {1, 1, V{kDialog}, 0},
        // No sequence; any other negative state counts as a new sequence.
        {-2, 1, V{}, 1},                {-5, 0, V{kSequenceQuestion}, 1}, {3, 0, V{kSequenceQuestion}, 1},
    };
    for (const Case& c : cases) {
        g_document.sequenceState = c.sequenceState;
        int result = -1;
        EXPECT_EQ(Asked(c.mode, &result), c.asked) << "state " << c.sequenceState << ", mode " << c.mode;
        EXPECT_EQ(result, c.result) << "state " << c.sequenceState << ", mode " << c.mode;
    }
    for (int s = -1; s <= 1; ++s)
        for (int m = -2; m <= 1; ++m) {
            const int k = s + 3 * m + 7;
            const SaveQuestion expected[] = {ASK_FRAMES,    ASK_NOTHING, ASK_SEQUENCE, ASK_BOTH,
                                             ASK_ANIMATION, ASK_BOTH,    ASK_SEQUENCE, ASK_NOTHING,
                                             ASK_SEQUENCE,  ASK_BOTH,    ASK_ANIMATION, ASK_BOTH};
            EXPECT_EQ(ChooseSaveQuestion(s, m), expected[k]) << k;
        }
    EXPECT_EQ(ChooseSaveQuestion(1, 2), ASK_NOTHING);
    EXPECT_EQ(ChooseSaveQuestion(-1, -3), ASK_NOTHING);
}

TEST_F(SaveQuestions, OtherFormsAndSizesOfTheSequenceChangeTheQuestion)
{
    // Saved last as single images: a sequence without a file of its own, from mode -1 on.
    g_document.sequenceState = 0;
    g_document.sequenceSaveFormat = SAVE_AS_SINGLE_IMAGES;
    EXPECT_EQ(Asked(0), std::vector<std::string>{kSequenceQuestion});
    EXPECT_EQ(Asked(-2), std::vector<std::string>{});
    g_document.sequenceSaveFormat = SAVE_AS_SEQUENCE_FILE;

    // Sixteen frames or more: one question for the sequence instead of one per frame.
    g_document.sequenceState = DOC_NEW;
    for (int i = 1; i < 16; ++i) {
        g_appState.frameBitmaps[i] = CreateFrameBitmap(16, 8);
        g_document.frameRecords[i].frameState = FRAME_NEVER_SAVED;
    }
    g_appState.frameCount = 2;
    g_document.frameRecords[1].frameState = 0;  // saved: not asked
    EXPECT_EQ(Asked(-2), std::vector<std::string>{kFrameQuestion});
    g_appState.frameCount = 3;
    EXPECT_EQ(Asked(-2), (std::vector<std::string>{kFrameQuestion, "Frame 3 has been modified! Save changes?"}));
    g_appState.frameCount = 16;
    EXPECT_EQ(Asked(-2), std::vector<std::string>{kSequenceQuestion});

    // From the image library: the animation, when it changed or the mode says so.
    g_document.conversionFormat = 167;
    g_document.sequenceState = 0;
    EXPECT_EQ(Asked(0), std::vector<std::string>{});
    EXPECT_EQ(Asked(1), std::vector<std::string>{kAnimationQuestion});
    g_document.sequenceState = DOC_MODIFIED;
    EXPECT_EQ(Asked(0), std::vector<std::string>{kAnimationQuestion});
    g_document.conversionFormat = 0;

    // Without frames nothing is asked.
    FreeCurrentFrames();
    g_document.sequenceState = DOC_MODIFIED;
    EXPECT_EQ(Asked(1), std::vector<std::string>{});
}

TEST_F(SaveQuestions, CancelStopsAndYesSaves)
{
    NameDocument();
    g_document.sequenceState = DOC_MODIFIED;
    {
        MessageBoxRecorder boxes(IDCANCEL);
        EXPECT_EQ(QuerySaveChanges(nullptr, 0), 0);
        EXPECT_FALSE(FileExists(g_document.sequencePath));
    }
    {
        MessageBoxRecorder boxes(IDYES);
        EXPECT_EQ(QuerySaveChanges(nullptr, 0), 1);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].caption, g_document.sequencePath);
        EXPECT_EQ(boxes.Boxes()[0].style, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION));
    }
    EXPECT_TRUE(FileExists(g_document.sequencePath));
    EXPECT_EQ(g_document.sequenceState, 0);
    EXPECT_EQ(g_document.frameRecords[0].frameState, 0);

    // A modified frame of a new sequence is saved under its own name.
    g_document.sequenceState = DOC_NEW;
    g_document.frameRecords[0].frameState = FRAME_NEVER_SAVED;
    {
        MessageBoxRecorder boxes(IDYES);
        EXPECT_EQ(QuerySaveChanges(nullptr, -2), 1);
    }
    uint32_t offset = 0;
    HGLOBAL image = nullptr;
    ASSERT_EQ(ReadSingleDib(folder_.File("Frame1.bmp").c_str(), &offset, &image), RESULT_OK);
    EXPECT_EQ(DibHeader(GlobalLock(image))->biWidth, 16);
    GlobalUnlock(image);
    GlobalFree(image);
    EXPECT_EQ(g_document.frameRecords[0].frameState, 0);
}

TEST_F(SaveQuestions, AFailedSaveKeepsTheChangesAndTheFileThatWasThere)
{
    NameDocument();
    g_document.sequenceState = DOC_MODIFIED;
    ASSERT_EQ(SaveFrameSequence(g_document.sequencePath, TRANSPARENT_NONE, 0), RESULT_OK);
    const std::vector<uint8_t> before = ReadWholeFile(g_document.sequencePath);

    // The frames cannot be read: nothing is written over the old file.
    g_document.sequenceState = DOC_MODIFIED;
    g_document.frameRecords[0].frameState = FRAME_MODIFIED;
    HBITMAP frame = g_appState.frameBitmaps[0];
    g_appState.frameBitmaps[0] = nullptr;
    {
        MessageBoxRecorder boxes(IDYES);
        EXPECT_EQ(QuerySaveChanges(nullptr, 0), 0) << "the changes are not given up";
        ASSERT_EQ(boxes.Boxes().size(), 2u);
        EXPECT_EQ(boxes.Boxes()[1].text, "Error writing to file!\nYour disk may be full!");
    }
    g_appState.frameBitmaps[0] = frame;
    EXPECT_EQ(ReadWholeFile(g_document.sequencePath), before);
    EXPECT_EQ(g_document.sequenceState, DOC_MODIFIED);
    EXPECT_EQ(g_document.frameRecords[0].frameState, FRAME_MODIFIED);

    // An animation that cannot be created keeps its modified state.
    g_document.animationState = DOC_MODIFIED;
    EXPECT_EQ(SaveAnimation(folder_.File("no such folder\\anim.ans").c_str()), RESULT_CREATE_ERROR);
    EXPECT_EQ(g_document.animationState, DOC_MODIFIED);
}

TEST_F(SaveQuestions, TheSaveChangesDialogSavesWhatIsTicked)
{
    NameDocument();
    g_document.sequenceState = DOC_MODIFIED;
    g_document.animationState = DOC_MODIFIED;
    {
        DialogAutoAnswer dialogs([](HWND dialog) {
            EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SAVE_FRAME_SEQUENCE), BST_CHECKED);
            EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SAVE_ANIMATION_DATA), BST_CHECKED);
            EXPECT_EQ(DialogItemText(dialog, IDC_SAVE_FRAME_SEQUENCE), "Frame Sequence");
            EXPECT_EQ(DialogItemText(dialog, IDC_SAVE_ANIMATION_DATA), "Animation Data");
            DialogAutoAnswer::PressButton(IDOK)(dialog);
        });
        EXPECT_EQ(RunDialog(IDD_SAVE_CHANGES, nullptr, 0), 7);
    }
    {
        // Unticking the sequence leaves it out.
        DialogAutoAnswer dialogs([](HWND dialog) {
            DialogAutoAnswer::PressButton(IDC_SAVE_FRAME_SEQUENCE)(dialog);
            DialogAutoAnswer::PressButton(IDOK)(dialog);
        });
        EXPECT_EQ(QuerySaveChanges(nullptr, 1), 1);
        ASSERT_EQ(dialogs.Dialogs().size(), 1u);
        EXPECT_EQ(dialogs.Dialogs()[0].caption, "Save changes");
    }
    EXPECT_FALSE(FileExists(g_document.sequencePath));
    EXPECT_TRUE(FileExists(g_document.animationPath));
    EXPECT_EQ(g_document.animationState, 0);
    EXPECT_EQ(g_document.sequenceState, DOC_MODIFIED);

    g_document.animationState = DOC_MODIFIED;
    {
        DialogAutoAnswer dialogs(DialogAutoAnswer::PressButton(IDOK));
        EXPECT_EQ(QuerySaveChanges(nullptr, 1), 1);
    }
    EXPECT_TRUE(FileExists(g_document.sequencePath));
    EXPECT_EQ(g_document.sequenceState, 0);
    EXPECT_EQ(g_document.animationState, 0);
}

// The file chooser of the tests: hands back the path and type they set.
std::string chosenPath;
int chosenType = 0;
std::vector<UINT> chooserCalls;
int ChooseForTest(HWND, UINT flags, UINT titleId, UINT firstTypeId, char* path, int* type)
{
    chooserCalls.insert(chooserCalls.end(), {flags, titleId, firstTypeId});
    if (chosenPath.empty()) return 0;
    strcpy(path, chosenPath.c_str());
    *type = chosenType;
    return 1;
}

TEST_F(SaveQuestions, SaveAsCommandsGoThroughTheFileChooser)
{
    g_appState.hooks.chooseFile = ChooseForTest;
    chooserCalls.clear();
    chosenPath.clear();
    EXPECT_EQ(SaveSequenceAs(nullptr, 0x4000, true), 0) << "cancelled in the chooser";
    EXPECT_EQ(chooserCalls, (std::vector<UINT>{0x4081, IDS_TITLE_SAVE_SEQUENCE, IDS_TYPE_SEQUENCE_FILE}));

    // A new sequence under a name of the user's choice: the animation now
    // refers to another name, so it changed too.
    g_document.animationState = 0;
    chosenPath = folder_.File("hop.bmx");
    chosenType = 0;
    EXPECT_EQ(SaveSequenceAs(nullptr, 0x4000, false), RESULT_OK);
    EXPECT_TRUE(FileExists(chosenPath));
    EXPECT_EQ(std::string(g_document.sequenceTable[0].fileName), chosenPath);
    EXPECT_EQ(std::string(g_document.sequencePath), chosenPath);
    EXPECT_EQ(g_document.sequenceState, 0);
    EXPECT_EQ(g_document.animationState, DOC_MODIFIED);

    // Its own file again: no question. Another existing file: asked, and Cancel keeps it.
    {
        MessageBoxRecorder boxes(IDCANCEL);
        EXPECT_EQ(SaveSequenceAs(nullptr, 0x4000, false), RESULT_OK);
        EXPECT_TRUE(boxes.Boxes().empty());
        ASSERT_TRUE(WriteWholeFile(folder_.File("other.bmx"), {1, 2, 3}));
        chosenPath = folder_.File("other.bmx");
        EXPECT_EQ(SaveSequenceAs(nullptr, 0x4000, false), 0);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, "Files already exists!\n Overwrite ?");
        EXPECT_EQ(ReadWholeFile(chosenPath), (std::vector<uint8_t>{1, 2, 3}));
    }

    // Numbered single images: walk.bmp becomes walk1.bmp, walk2.bmp.
    g_appState.frameBitmaps[1] = CreateFrameBitmap(16, 8);
    SetFrameCount(2);
    chosenPath = folder_.File("walk.bmp");
    chosenType = 1;
    EXPECT_EQ(SaveSequenceAs(nullptr, 0x4000, true), RESULT_OK);
    EXPECT_TRUE(FileExists(folder_.File("walk1.bmp")));
    EXPECT_TRUE(FileExists(folder_.File("walk2.bmp")));
    EXPECT_EQ(g_document.sequenceSaveFormat, SAVE_AS_SINGLE_IMAGES);
    EXPECT_EQ(std::string(g_document.frameRecords[1].name), folder_.File("walk2.bmp"));

    // The animation: chooser flags of the three own types, then the file.
    chooserCalls.clear();
    chosenPath = folder_.File("game.ans");
    chosenType = 0;
    EXPECT_EQ(SaveAnimationAs(nullptr), RESULT_OK);
    EXPECT_EQ(chooserCalls, (std::vector<UINT>{16514, IDS_TITLE_SAVE_ANIMATION, IDS_TYPE_ANIMATION_FILE}));
    EXPECT_EQ(std::string(g_document.animationPath), chosenPath);
    EXPECT_FALSE(IsAnimationUnnamed());
    EXPECT_EQ(g_document.animationState, 0);
    AnimationTables tables{};
    EXPECT_EQ(ReadAnimationFile(chosenPath.c_str(), &tables, MAX_EDITOR_OBJECTS), RESULT_OK);
    EXPECT_EQ(tables.sequenceTable[0].frameCount, 2);
    FreeAnimationTables(&tables);
    g_appState.hooks.chooseFile = nullptr;
}

TEST_F(SaveQuestions, SavingIntoAnotherFolderKeepsRelativeNamesValid)
{
    // A sequence deep inside the animation's folder is stored relative to it.
    const std::string deep = folder_.Folder("frames_of_the_animation");
    const std::string sequence = deep + "the_sequence_of_all_frames.bmx";
    ASSERT_GT(sequence.size(), 63u);
    SetDocumentFolder(folder_.File("anim.ans").c_str());
    strcpy(g_document.sequencePath, sequence.c_str());
    ShortenStoredPath(g_document.sequenceTable[0].fileName, sequence.c_str());
    ASSERT_EQ(std::string(g_document.sequenceTable[0].fileName),
              "frames_of_the_animation\\the_sequence_of_all_frames.bmx");

    // Saved into that folder, the name is relative to it.
    g_appState.hooks.chooseFile = ChooseForTest;
    chosenPath = deep + "anim.ans";
    chosenType = 0;
    EXPECT_EQ(SaveAnimationAs(nullptr), RESULT_OK);
    EXPECT_EQ(std::string(g_document.sequenceTable[0].fileName), "the_sequence_of_all_frames.bmx");
    g_appState.hooks.chooseFile = nullptr;
}

}  // namespace
