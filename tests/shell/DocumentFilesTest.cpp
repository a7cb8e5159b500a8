// How the document stores and finds the files it refers to, and frame names.
#include "DocumentTestSupport.h"
#include "FileIo.h"

namespace {

using DocumentFiles = DocumentTest;

TEST_F(DocumentFiles, StoredNamesFitSixtyThreeCharactersAndStillNameTheFile)
{
    const std::string folder = "C:\\Animations\\Birds\\";  // 20 characters
    strcpy(g_document.animationPath, (folder + "flock.ans").c_str());
    const std::string long50(50, 'n');
    struct Case {
        std::string path;
        std::string stored;
        bool whole;
    };
    const Case cases[] = {
        {"C:\\x\\short.bmx", "C:\\x\\short.bmx", true},
        {folder + std::string(39, 'a') + ".bmx", folder + std::string(39, 'a') + ".bmx", true},  // 63 stay
        // 80 characters inside the animation's folder: relative to it, any case.
        {"c:\\animations\\BIRDS\\wings\\" + long50 + ".bmx", "wings\\" + long50 + ".bmx", true},
        // Inside, but still too long relative to it: the bare name.
        {folder + long50 + "\\" + long50 + ".bmx", long50 + ".bmx", true},
        // Outside the folder: the bare name.
        {"C:\\Other\\place\\deeper\\and\\deeper\\" + long50 + ".bmx", long50 + ".bmx", true},
        {"C:\\Animations\\Birdsong\\" + long50 + ".bmx", long50 + ".bmx", true},  // a prefix is no folder
        // A bare name longer than the field can only be cut.
        {std::string(80, 'z'), std::string(63, 'z'), false},
        {"C:\\x\\" + std::string(70, 'y') + ".bmx", std::string(63, 'y'), false},
    };
    for (const Case& c : cases) {
        char stored[STORED_NAME_CHARS];
        memset(stored, '#', sizeof stored);
        EXPECT_EQ(ShortenStoredPath(stored, c.path.c_str()), c.whole) << c.path;
        ASSERT_TRUE(memchr(stored, 0, sizeof stored)) << c.path;
        EXPECT_EQ(std::string(stored), c.stored) << c.path;
    }

    // An unnamed animation has no folder: long names keep only their bare name.
    strcpy(g_document.animationPath, "Noname.ans");
    char stored[STORED_NAME_CHARS];
    ShortenStoredPath(stored, (folder + "wings\\" + long50 + ".bmx").c_str());
    EXPECT_EQ(std::string(stored), long50 + ".bmx");
}

TEST_F(DocumentFiles, ReferencedFilesAreLookedForInTheDocumentFolderFirst)
{
    // A folder deep enough that the rewritten name is far longer than a record's field.
    std::string deep = folder_.Path();
    while (deep.size() < 120) deep = folder_.Folder(deep.substr(folder_.Path().size()) + "sub_folder");
    ASSERT_TRUE(WriteWholeFile(deep + "walk.bmx", {1, 2, 3}));
    ASSERT_TRUE(WriteWholeFile(folder_.File("elsewhere.bmx"), {4}));
    SetCurrentDirectoryA(deep.c_str());

    // Found by its bare name beside the document: the name becomes that place.
    char path[MAX_PATH];
    strcpy(path, "D:\\old\\place\\walk.bmx");
    HFILE file = OpenReferencedFile(path);
    ASSERT_NE(file, HFILE_ERROR);
    _lclose(file);
    char expected[MAX_PATH];
    GetFullPathNameA("walk.bmx", MAX_PATH, expected, nullptr);
    EXPECT_STREQ(path, expected);
    EXPECT_GT(strlen(path), 63u);

    // Not beside the document: the stored path as it stands.
    strcpy(path, folder_.File("elsewhere.bmx").c_str());
    file = OpenReferencedFile(path);
    ASSERT_NE(file, HFILE_ERROR);
    _lclose(file);
    EXPECT_EQ(std::string(path), folder_.File("elsewhere.bmx"));

    // Neither: nothing opens and the stored path stays.
    strcpy(path, "C:\\nowhere\\missing.bmx");
    EXPECT_EQ(OpenReferencedFile(path), HFILE_ERROR);
    EXPECT_STREQ(path, "C:\\nowhere\\missing.bmx");
}

TEST_F(DocumentFiles, FrameNamePatternsTakeOnlyTheirNumber)
{
    struct Case {
        const char* pattern;
        int index;
        const char* name;
    };
    const Case cases[] = {
        {"Frame%d.bmp", 4, "Frame5.bmp"},
        {"C:\\walk\\Frame%D.bmp", 0, "C:\\walk\\Frame1.bmp"},
        {"C:\\100%\\x%s%n%d.bmp", 9, "C:\\100%\\x%s%n10.bmp"},  // no other field is read
        {"a%d%d.bmp", 1, "a2%d.bmp"},
        {"plain.bmp", 3, "plain.bmp"},
    };
    for (const Case& c : cases) {
        char name[MAX_PATH];
        FormatFrameFileName(name, sizeof name, c.pattern, c.index);
        EXPECT_STREQ(name, c.name) << c.pattern;
    }
    char small[8];
    FormatFrameFileName(small, sizeof small, "Frame%d.bmp", 122);
    EXPECT_STREQ(small, "Frame12");
}

TEST_F(DocumentFiles, OnlyASequenceOfTheTableGivesItsBackground)
{
    SetColorFormat(COLORS_16, nullptr, 0);  // the transparent tool colour is white
    g_document.sequenceCount = 1;
    g_document.sequenceTable[0].transparentColorCode = 12;  // blue
    g_document.sequenceTable[1].transparentColorCode = 9;   // red, but past the table's end
    HBITMAP bitmap = CreateFrameBitmapEx(nullptr, 4, 4, 24, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const RECT area{0, 0, 4, 4};
    struct Case {
        int sequence;
        COLORREF color;
    };
    for (const Case& c : {Case{0, RGB(0, 0, 255)}, Case{1, RGB(255, 255, 255)}, Case{-1, RGB(255, 255, 255)}}) {
        FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        FillSequenceBackground(dc, &area, c.sequence);
        EXPECT_EQ(GetPixel(dc, 2, 2), c.color) << c.sequence;
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

TEST_F(DocumentFiles, ANewDocumentHasOneSequenceAndOneObject)
{
    EXPECT_EQ(g_document.sequenceCount, 1);
    EXPECT_STREQ(g_document.sequenceTable[0].fileName, "Frames1.bmx");
    EXPECT_EQ(g_document.sequenceTable[0].transparentColorCode, TRANSPARENT_NONE);
    EXPECT_EQ(g_document.sequenceTable[0].frameCount, 0);
    EXPECT_EQ(g_document.objectCount, 1);
    EXPECT_STREQ(g_document.objectTable[0].name, "Object 1");
    EXPECT_EQ(g_document.objectTable[0].sequenceIndex, 0);
    EXPECT_EQ(g_document.currentObject, 0);
    EXPECT_STREQ(g_document.animationPath, "Noname.ans");
    EXPECT_TRUE(IsAnimationUnnamed());
    EXPECT_EQ(g_document.animationState, DOC_NEW);
    EXPECT_EQ(g_document.sequenceState, DOC_NEW);
    AnimationSettings defaults;
    SetDefaultAnimationSettings(&defaults);
    EXPECT_EQ(memcmp(&defaults, &g_document.animationSettings, sizeof defaults), 0);
    EXPECT_EQ(std::string(g_document.sequencePath), folder_.File("Frames1.bmx"));
}

}  // namespace
