// Frames as numbered single images, the transparent colour codes of a
// sequence and the document's object files.
#include "AnoFile.h"
#include "ConvBridge.h"
#include "DialogTestHooks.h"
#include "FrameFormat.h"
#include "FrameFormatDialog.h"
#include "DocumentTestSupport.h"
#include "ObjectFiles.h"
#include "ResultCodes.h"
#include <cstring>

namespace {

class SingleImages : public DocumentTest {
protected:
    // Four 8 x 8 frames in the editor.
    void LoadFourFrames()
    {
        std::vector<HGLOBAL> frames;
        for (int i = 0; i < 4; ++i) frames.push_back(MakeStaticColorDib(8, 8, 0, i + 1));
        ASSERT_EQ(WriteSequenceFixture(folder_.File("four.bmx"), frames, TRANSPARENT_NONE), RESULT_OK);
        ASSERT_EQ(LoadFrameFile(folder_.File("four.bmx").c_str(), 0), RESULT_OK);
        ASSERT_EQ(g_appState.frameCount, 4);
    }
    // The first pixel's colour index of a written 4-bit file.
    static int FirstIndex(const std::string& path)
    {
        const std::vector<uint8_t> bytes = ReadWholeFile(path);
        if (bytes.size() < 14 + 40) return -1;
        BITMAPFILEHEADER file;
        memcpy(&file, bytes.data(), sizeof file);
        const size_t rows = file.bfOffBits + 7 * DibStride(8, 4);  // top row, stored last
        return rows < bytes.size() ? bytes[rows] >> 4 : -1;
    }
};

TEST_F(SingleImages, EveryFrameGetsItsNumberBeforeTheExtension)
{
    LoadFourFrames();
    const std::string walk = folder_.File("walk.bmp");
    {
        MessageBoxRecorder boxes(IDCANCEL);
        ASSERT_EQ(SaveSequenceAsImages(nullptr, walk.c_str()), RESULT_OK);
        EXPECT_TRUE(boxes.Boxes().empty()) << "nothing to replace";
    }
    for (int i = 1; i <= 4; ++i) {
        const std::string name = folder_.File("walk" + std::to_string(i) + ".bmp");
        EXPECT_EQ(FirstIndex(name), i) << name;
        EXPECT_EQ(std::string(g_document.frameRecords[i - 1].name), name);
        EXPECT_EQ(g_document.frameRecords[i - 1].frameState, 0);
    }
    EXPECT_FALSE(FileExists(walk));
    EXPECT_FALSE(FileExists(folder_.File("walk5.bmp")));
    EXPECT_FALSE(FileExists(folder_.File("walk0.bmp")));

    // Existing files: asked once; Cancel writes nothing, OK replaces all four.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, g_appState.frameBitmaps[2]);
    SetPixel(dc, 0, 0, RGB(255, 255, 255));
    SelectObject(dc, old);
    DeleteDC(dc);
    {
        MessageBoxRecorder boxes(IDCANCEL);
        EXPECT_EQ(SaveSequenceAsImages(nullptr, walk.c_str()), 0);
        EXPECT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(FirstIndex(folder_.File("walk3.bmp")), 3);
    }
    {
        MessageBoxRecorder boxes(IDOK);
        EXPECT_EQ(SaveSequenceAsImages(nullptr, walk.c_str()), RESULT_OK);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_NE(boxes.Boxes()[0].caption.find("walk1.bmp"), std::string::npos) << boxes.Boxes()[0].caption;
        EXPECT_EQ(FirstIndex(folder_.File("walk3.bmp")), 15);
    }
}

TEST_F(SingleImages, PercentSignsInTheFolderAreNoFormatAndOverlongNamesAreRefused)
{
    LoadFourFrames();
    const std::string odd = folder_.Folder("100%s%n%d");
    ASSERT_EQ(SaveSequenceAsImages(nullptr, (odd + "f.bmp").c_str()), RESULT_OK);
    for (int i = 1; i <= 4; ++i) EXPECT_TRUE(FileExists(odd + "f" + std::to_string(i) + ".bmp")) << i;

    // Room for "x.bmp" but not for "x1.bmp".
    std::string longName = folder_.Path();
    longName += std::string(MAX_PATH - 1 - longName.size() - 4, 'a') + ".bmp";
    ASSERT_EQ(longName.size(), static_cast<size_t>(MAX_PATH - 1));
    MessageBoxRecorder boxes(IDOK);
    EXPECT_EQ(SaveSequenceAsImages(nullptr, longName.c_str()), RESULT_CREATE_ERROR);
    EXPECT_TRUE(boxes.Boxes().empty());
}

// ---- a frame in a library format of fewer colours ----------------------------------------

// Ctrl as the thread's keyboard state shows it, for as long as it lives.
class HeldControlKey {
public:
    explicit HeldControlKey(bool down)
    {
        GetKeyboardState(saved_);
        BYTE keys[256];
        memcpy(keys, saved_, sizeof keys);
        keys[VK_CONTROL] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    ~HeldControlKey() { SetKeyboardState(saved_); }
    HeldControlKey(const HeldControlKey&) = delete;
    HeldControlKey& operator=(const HeldControlKey&) = delete;
private:
    BYTE saved_[256];
};

class LibraryDepth : public SingleImages {
protected:
    void SetUp() override
    {
        SingleImages::SetUp();
        ASSERT_TRUE(LoadConvLibrary()) << "ZelvoConv32.dll beside the test program";
    }
    void TearDown() override
    {
        FreeConvLibrary();
        SingleImages::TearDown();
    }
    // Two 16 x 8 true-colour frames, loaded afresh, and the editor's
    // question and library hooks.
    void LoadTrueColourFrames()
    {
        FreeCurrentFrames();
        ResetDocument();
        std::vector<HGLOBAL> frames;
        for (int i = 0; i < 2; ++i) {
            HGLOBAL dib = CreatePackedDib(16, 8, 24, nullptr, 0);
            GlobalLockGuard<BYTE> p(dib);
            for (uint32_t b = 0; b < DibStride(16, 24) * 8; ++b) DibBits(p.get())[b] = static_cast<BYTE>(b * 7 + i);
            frames.push_back(dib);
        }
        const std::string path = folder_.File("deep.bmx");
        ASSERT_EQ(WriteSequenceFixture(path, frames, TRANSPARENT_NONE), RESULT_OK);
        ASSERT_EQ(LoadFrameFile(path.c_str(), 0), RESULT_OK);
        ASSERT_EQ(g_appState.colorCount, COLORS_24BIT);
        g_appState.hooks.librarySave = SaveConvFile;
        g_appState.hooks.askQuestion = [](UINT id) {
            asked.push_back(id);
            return answer;
        };
        asked.clear();
    }
    static inline std::vector<UINT> asked;
    static inline int answer = IDNO;
};

TEST_F(LibraryDepth, TheFirstFrameAsksToReduceTheColoursThenTheDepth)
{
    struct Case {
        const char* what;
        int frame;
        int answer;          // to question 2019
        bool control;        // held while answering
        int button;          // pressed in "Change Frame Format"
        int result;
        size_t questions, dialogs;
        int32_t formatAfter;
    };
    const Case cases[] = {
        {"Yes, then OK", 0, IDYES, false, IDOK, RESULT_OK, 1, 1, COLORS_256},
        {"Yes, then Cancel", 0, IDYES, false, IDCANCEL, 0, 1, 1, COLORS_24BIT},
        {"No", 0, IDNO, false, IDOK, 0, 1, 0, COLORS_24BIT},
        {"No with Ctrl", 0, IDNO, true, IDOK, RESULT_OK, 1, 0, COLORS_24BIT},
        {"a later frame", 1, IDNO, false, IDOK, RESULT_OK, 0, 0, COLORS_24BIT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LoadTrueColourFrames();
        answer = c.answer;
        const std::string path = folder_.File(std::string("f") + std::to_string(&c - cases) + ".gif");
        static int button;
        static bool depthsSeen;
        button = c.button;
        depthsSeen = false;
        int result;
        {
            HeldControlKey control(c.control);
            DialogAutoAnswer dialog([](HWND d) {
                // Only the depths the format takes, and no new size.
                depthsSeen = IsDlgButtonChecked(d, IDC_FORMAT_DEPTH_256) == BST_CHECKED &&
                             !IsWindowEnabled(GetDlgItem(d, IDC_FORMAT_DEPTH_TRUE)) &&
                             !IsWindowEnabled(GetDlgItem(d, IDC_FORMAT_DEPTH_65536)) &&
                             !IsWindowEnabled(GetDlgItem(d, IDC_FORMAT_WIDTH));
                PostMessageA(d, WM_COMMAND, button, 0);
            });
            result = SaveFrameFile(path.c_str(), c.frame, CONV_FORMAT_GIF);
            ASSERT_EQ(dialog.Dialogs().size(), c.dialogs);
            if (c.dialogs) {
                EXPECT_EQ(dialog.Dialogs()[0].caption, "Change Frame Format");
            }
        }
        EXPECT_EQ(result, c.result);
        ASSERT_EQ(asked.size(), c.questions);
        if (c.questions) {
            EXPECT_EQ(asked[0], static_cast<UINT>(IDS_ASK_LIBRARY_REDUCE));
        }
        if (c.dialogs) {
            EXPECT_TRUE(depthsSeen);
        }
        EXPECT_EQ(g_appState.colorCount, c.formatAfter);
        const std::vector<uint8_t> file = ReadWholeFile(path);
        if (c.result == RESULT_OK) {
            ASSERT_GE(file.size(), 6u);
            EXPECT_EQ(std::string(file.begin(), file.begin() + 3), "GIF");
            EXPECT_EQ(g_document.frameRecords[c.frame].attribute, CONV_FORMAT_GIF);
        } else {
            EXPECT_TRUE(file.empty()) << "nothing written when refused";
        }
    }
    // A sequence the format can hold is saved without a word.
    LoadTrueColourFrames();
    ASSERT_TRUE(ChangeFrameFormat({0, 0, 16, 8, COLORS_256, 0}));
    EXPECT_EQ(SaveFrameFile(folder_.File("eight.gif").c_str(), 0, CONV_FORMAT_GIF), RESULT_OK);
    EXPECT_TRUE(asked.empty());
}

// ---- transparent colour codes --------------------------------------------------------------

TEST(TransparentCodes, FittingACodeToAFormat)
{
    struct Case {
        int code;
        int format;
        int fitted;
    };
    const Case cases[] = {
        {0x80, COLORS_2, 0x80},      {0x85, COLORS_256, 0x85},    {0x20, COLORS_2, 0x20},
        {0x00, COLORS_2, 0x2F},      {0x2F, COLORS_2, 0x2F},      {0x16, COLORS_2, 0x2F},
        {0x05, COLORS_16, 0x05},     {0x2F, COLORS_16, 0x0F},     {0x20, COLORS_256, 0x00},
        {0x10, COLORS_256, 0x10},    {0x13, COLORS_65536, 0x1F},  {0x3A, COLORS_24BIT, 0x1F},
        {0x4C, COLORS_16, 0x0C},     {0x30, COLORS_3, 0x10},
    };
    for (const Case& c : cases) {
        SequenceRecord record{};
        record.transparentColorCode = static_cast<uint8_t>(c.code);
        EXPECT_EQ(FitTransparentCodeToFormat(&record, c.format), c.fitted != c.code ? 1 : 0)
            << std::hex << c.code << " in " << std::dec << c.format;
        EXPECT_EQ(record.transparentColorCode, c.fitted) << std::hex << c.code << " in " << std::dec << c.format;
    }
}

TEST(TransparentCodes, TheIndexACodeStandsFor)
{
    struct Case {
        int code;
        int format;
        int index;
    };
    const Case cases[] = {
        {0x80, COLORS_2, -1},    {0x8F, COLORS_256, -1},  {0x20, COLORS_2, 0},     {0x2F, COLORS_2, 1},
        {0x21, COLORS_2, 1},     {0x07, COLORS_16, 7},    {0x0F, COLORS_16, 15},   {0x12, COLORS_3, 2},
        {0x07, COLORS_256, 7},   {0x08, COLORS_256, -8},  {0x0F, COLORS_256, -1},  {0x1C, COLORS_65536, -4},
        {0x09, COLORS_SYSTEM, -7},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TransparentIndexOfCode(c.code, c.format), c.index) << std::hex << c.code << " in " << std::dec
                                                                      << c.format;
}

TEST_F(SingleImages, TheCurrentSequencesTransparentColour)
{
    LoadFourFrames();
    COLORREF color = 0x123456;
    SetSequenceTransparentCode(TRANSPARENT_NONE);
    EXPECT_EQ(GetTransparentColorRef(&color), 0);
    EXPECT_EQ(color, 0x123456u);
    EXPECT_EQ(GetTransparentIndex(), -1);
    SetSequenceTransparentCode(9);
    ASSERT_EQ(GetTransparentColorRef(&color), 1);
    EXPECT_EQ(color, RGB(255, 0, 0));
    EXPECT_EQ(GetTransparentIndex(), 9);
}

// ---- object files of the document -------------------------------------------------------------

TEST_F(SingleImages, AnObjectTravelsThroughItsFileWithItsStepsAndSequenceName)
{
    LoadFourFrames();
    ObjectRecord& object = g_document.objectTable[0];
    strcpy(object.name, "Walker");
    object.startX = -33;
    object.stepCount = 3;
    g_document.objectMemoryHandles[0][0] = MakeSteps({0, 3, 2});
    const std::string path = folder_.File("walker.ano");
    ASSERT_EQ(WriteObjectFile(path.c_str(), 0), RESULT_OK);
    const std::vector<uint8_t> bytes = ReadWholeFile(path);
    ASSERT_EQ(bytes.size(), 218u);
    SequenceRecord stored;
    memcpy(&stored, &bytes[2], sizeof stored);
    EXPECT_EQ(stored.frameCount, 4) << "the frames in the editor";
    EXPECT_STREQ(stored.fileName, g_document.sequenceTable[0].fileName);

    char sequenceName[64] = "";
    ASSERT_EQ(ReadObjectFile(path.c_str(), 5, sequenceName), RESULT_OK);
    EXPECT_STREQ(sequenceName, g_document.sequenceTable[0].fileName);
    EXPECT_STREQ(g_document.objectTable[5].name, "Walker");
    EXPECT_EQ(g_document.objectTable[5].startX, -33);
    EXPECT_EQ(g_document.objectTable[5].stepCount, 3);
    EXPECT_EQ(StepFrames(g_document.objectMemoryHandles[5][0]), (std::vector<int>{0, 3, 2}));

    // A step count larger than the block writes the steps there are.
    object.stepCount = 9;
    ASSERT_EQ(WriteObjectFile(path.c_str(), 0), RESULT_OK);
    EXPECT_EQ(ReadWholeFile(path).size(), 218u);
    ASSERT_EQ(ReadObjectFile(path.c_str(), 6, sequenceName), RESULT_OK);
    EXPECT_EQ(g_document.objectTable[6].stepCount, 3);

    // A damaged file leaves the slot as it was.
    std::vector<uint8_t> damaged = bytes;
    damaged.resize(200);
    ASSERT_TRUE(WriteWholeFile(path, damaged));
    HGLOBAL before = g_document.objectMemoryHandles[5][0];
    EXPECT_EQ(ReadObjectFile(path.c_str(), 5, sequenceName), RESULT_READ_ERROR);
    EXPECT_EQ(g_document.objectMemoryHandles[5][0], before);
    EXPECT_STREQ(g_document.objectTable[5].name, "Walker");
    EXPECT_EQ(ReadObjectFile(path.c_str(), MAX_EDITOR_OBJECTS, sequenceName), RESULT_READ_ERROR);
}

}  // namespace
