// Message boxes from the string table: exact texts and captions, the file
// path caption of file errors, bounded formatting and the overwrite question.
#include "DialogTestHooks.h"
#include "DialogUtilities.h"
#include "TestFiles.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <string>

namespace {

constexpr UINT IDS_TEST_NUMBER = 64000;
constexpr UINT IDS_TEST_NAME = 64001;

HWND const FAKE_MAIN_WINDOW = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
const char* currentPath = "";

HWND FakeMainWindow() { return FAKE_MAIN_WINDOW; }
const char* CurrentPath() { return currentPath; }

// Installs a host whose main window and document path the test chooses.
class MessageBoxTest : public testing::Test {
protected:
    void SetUp() override
    {
        saved_ = GetDialogHost();
        SetDialogHost({nullptr, &FakeMainWindow, &CurrentPath});
        currentPath = "C:\\anims\\walk.ans";
    }
    void TearDown() override { SetDialogHost(saved_); }
    DialogHost saved_;
};

TEST_F(MessageBoxTest, ErrorMessagesShowTheirTextsWithTheFileAsCaptionOfFileErrors)
{
    struct Case {
        int code;
        const char* text;
        bool fileCaption;
    };
    const Case cases[] = {
        {28672, "Error", false},
        {28673, "There is too little memory for this action to be completed!", false},
        {28674, "The clipboard is not available!", false},
        {28675, "The animation can not be started!", false},
        {28676, "This file was created for a newer version of Zelvo!", false},
        {28677, "An error has occured with the DDE-communication!", false},
        {28678, "Error in printing.\nPlease check your printer settings!", false},
        {28679, "The page can not be printed.\nPlease check your printer settings!", false},
        {32768, "Genral Error!", false},
        {32769, "Error reading file!", true},
        {32770, "Error writing to file!\nYour disk may be full!", true},
        {32771, "Error finding file!", true},
        {32772, "Unknown file format!", true},
        {32773, "Error creating file!", true},
        {32774, "Error in file (de-)compression!", true},
        {32775, "Error in DLL library!", true},
        // The image library's 16-bit codes arrive sign-extended.
        {static_cast<int>(0xFFFF8001u), "Error reading file!", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        MessageBoxRecorder boxes;
        EXPECT_EQ(0, ShowErrorMessage(c.code));
        ASSERT_EQ(1u, boxes.Boxes().size());
        const MessageBoxRecorder::Box& box = boxes.Boxes()[0];
        EXPECT_EQ(c.text, box.text);
        EXPECT_EQ(c.fileCaption ? "C:\\anims\\walk.ans" : "Error", box.caption);
        EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), box.style);
        EXPECT_EQ(FAKE_MAIN_WINDOW, box.owner);
    }
}

TEST_F(MessageBoxTest, ErrorMessageEdgeCases)
{
    MessageBoxRecorder boxes;
    EXPECT_EQ(0, ShowErrorMessage(0));
    EXPECT_TRUE(boxes.Boxes().empty()) << "code 0 shows nothing";

    // A code without a message of its own still tells that something failed.
    EXPECT_EQ(0, ShowErrorMessage(12345));
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ("Genral Error!", boxes.Boxes()[0].text);

    // Without a document file a file error has the plain caption.
    currentPath = "";
    ShowErrorMessage(32769);
    ASSERT_EQ(2u, boxes.Boxes().size());
    EXPECT_EQ("Error", boxes.Boxes()[1].caption);
}

TEST_F(MessageBoxTest, StringMessagesFormatOneArgumentIntoABoundedText)
{
    MessageBoxRecorder boxes(IDYES);
    HWND owner = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x42));
    EXPECT_EQ(IDYES, ShowStringMessage(owner, IDS_TEST_NUMBER, "Frames", MB_YESNO, 17));
    EXPECT_EQ(IDYES, ShowStringMessage(nullptr, IDS_TEST_NAME, nullptr, MB_OK,
                                       reinterpret_cast<INT_PTR>("walk.bmx")));
    std::string longName(500, 'x');
    ShowStringMessage(nullptr, IDS_TEST_NAME, nullptr, MB_OK, reinterpret_cast<INT_PTR>(longName.c_str()));

    ASSERT_EQ(3u, boxes.Boxes().size());
    EXPECT_EQ("Frame 17 is missing.", boxes.Boxes()[0].text);
    EXPECT_EQ("Frames", boxes.Boxes()[0].caption);
    EXPECT_EQ(owner, boxes.Boxes()[0].owner);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO), boxes.Boxes()[0].style);
    EXPECT_EQ("Cannot open walk.bmx now.", boxes.Boxes()[1].text);
    EXPECT_EQ("Error", boxes.Boxes()[1].caption);
    const std::string& cut = boxes.Boxes()[2].text;
    EXPECT_EQ(199u, cut.size()) << "the message holds at most 200 characters";
    EXPECT_EQ("Cannot open " + std::string(199 - 12, 'x'), cut);
}

TEST_F(MessageBoxTest, ConfirmOverwriteAsksOnlyForAnExistingFile)
{
    ScratchDir dir;
    std::string existing = dir.File("frames.bmx");
    ASSERT_TRUE(WriteWholeFile(existing, {1, 2, 3}));

    MessageBoxRecorder boxes;
    EXPECT_EQ(-1, ConfirmOverwrite(dir.File("missing.bmx").c_str()));
    EXPECT_TRUE(boxes.Boxes().empty());

    boxes.QueueAnswer(IDOK);
    boxes.QueueAnswer(IDCANCEL);
    EXPECT_EQ(1, ConfirmOverwrite(existing.c_str()));
    EXPECT_EQ(0, ConfirmOverwrite(existing.c_str()));
    ASSERT_EQ(2u, boxes.Boxes().size());
    EXPECT_EQ("Files already exists!\n Overwrite ?", boxes.Boxes()[0].text);
    EXPECT_EQ(existing, boxes.Boxes()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION), boxes.Boxes()[0].style);
    EXPECT_EQ(FAKE_MAIN_WINDOW, boxes.Boxes()[0].owner);
}

TEST(ResourceStrings, LoadIntoABoundedBuffer)
{
    char buffer[RESOURCE_STRING_LENGTH];
    EXPECT_EQ(19, LoadResourceString(IDS_READ_ERROR, buffer));
    EXPECT_STREQ("Error reading file!", buffer);

    char small[6];
    EXPECT_EQ(5, LoadResourceString(IDS_READ_ERROR, small, sizeof small));
    EXPECT_STREQ("Error", small);

    EXPECT_EQ(0, LoadResourceString(61234, buffer));
    EXPECT_STREQ("", buffer);
}

// Without a test hook the box is the real one; the dialog hook answers it
// like a person would.
TEST(RealMessageBox, IsShownAndAnsweredThroughTheDialogHook)
{
    std::string text;
    DialogAutoAnswer answer([&text](HWND box) {
        text = DialogItemText(box, 0xFFFF);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    EXPECT_EQ(IDCANCEL, ShowStringMessage(nullptr, IDS_NOT_FOUND, "walk.ans", MB_OKCANCEL));
    ASSERT_EQ(1u, answer.Dialogs().size());
    EXPECT_EQ("walk.ans", answer.Dialogs()[0].caption);
    EXPECT_EQ("Error finding file!", text);
}

}  // namespace
