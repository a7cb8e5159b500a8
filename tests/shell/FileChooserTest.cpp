// The file chooser: its type lists per flag set with and without the image
// library, sorting that keeps each type's code, the extension of a chosen
// pattern, the dialog record it hands the system (answered by a stand-in)
// and the preview pane's depth texts.
#include "ConvBridge.h"
#include "DialogTestHooks.h"
#include "FileChooser.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Entry {
    std::string description;
    std::string pattern;
    int code;
    bool operator==(const Entry& other) const
    {
        return description == other.description && pattern == other.pattern && code == other.code;
    }
};

std::ostream& operator<<(std::ostream& out, const Entry& e)
{
    return out << "{" << e.description << " | " << e.pattern << " | " << e.code << "}";
}

std::vector<Entry> Entries(const char* filter, const int* codes, int count)
{
    std::vector<Entry> entries;
    const char* p = filter;
    for (int i = 0; i < count; ++i) {
        Entry e{p, "", codes[i]};
        p += e.description.size() + 1;
        e.pattern = p;
        p += e.pattern.size() + 1;
        entries.push_back(e);
    }
    EXPECT_EQ('\0', *p) << "the block ends with an extra NUL";
    return entries;
}

std::vector<Entry> ListOf(UINT flags, UINT firstTypeId, const char* ready = nullptr)
{
    FilterList list;
    const int count = BuildFilterList(flags, firstTypeId, ready, &list);
    EXPECT_EQ(count, list.count);
    return Entries(list.text, list.codes, list.count);
}

const Entry SEQUENCE{"Zelvo Frame Sequence(*.BMX)", "*.BMX", 0};
const Entry SINGLE{"Sequence of Single Images", "*.", 1};
const Entry AVI{"Video for Windows(*.AVI)", "*.AVI", 165};
const Entry ANI{"Animated Cursors(*.ANI)", "*.ANI", 166};
const Entry GIF_ANIM{"Animated GIF(*.GIF)", "*.GIF", 167};

class FileChooser : public testing::Test {
protected:
    void TearDown() override { FreeConvLibrary(); }
};

TEST_F(FileChooser, TypeListsPerFlagSetWithTheLibrary)
{
    ASSERT_TRUE(LoadConvLibrary());
    // Save Sequence: the sequence file and single images, then the video list for saving.
    EXPECT_EQ((std::vector<Entry>{SEQUENCE, SINGLE, AVI, ANI, GIF_ANIM}),
              ListOf(CHOOSE_SAVE | CHOOSE_LIBRARY_VIDEO | 0x80 | 1, IDS_TYPE_SEQUENCE_FILE));

    // Open: every type, the own ones in place of the following types.
    const std::vector<Entry> open = ListOf(CHOOSE_LIBRARY_STILL | CHOOSE_LIBRARY_VIDEO | CHOOSE_LIBRARY_ANIMATION,
                                           IDS_TYPE_ALL_FORMATS);
    std::vector<int> codes;
    for (const Entry& e : open) codes.push_back(e.code);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 166, 167, 165, 131, 132, 129, 128, 130, 133}), codes);
    ASSERT_EQ(13u, open.size());
    EXPECT_EQ("All File Formats", open[0].description);
    EXPECT_EQ("Animation File Formats(*.ANS;*.ANX;*.AVI;*.ANI;*.GIF)", open[1].description);
    EXPECT_EQ("Windows Bitmap(*.BMP;*.DIB;*.RLE)", open[2].description);
    EXPECT_EQ(SEQUENCE.description, open[3].description);
    EXPECT_EQ("Icon and Cursor(*.ANI;*.ICO;*.CUR)", open[8].description) << "the open list";

    // Save Animation As of a library document: the animation file and the library's animations.
    const std::vector<Entry> animation = ListOf(17536, IDS_TYPE_ANIMATION_FILE);
    ASSERT_EQ(3u, animation.size());
    EXPECT_EQ((Entry{"Zelvo Animation(*.ANS)", "*.ANS", 0}), animation[0]);
    EXPECT_EQ(ANI, animation[1]);
    EXPECT_EQ(GIF_ANIM, animation[2]);

    // Save Animation As of the editor's own document: no library types.
    const std::vector<Entry> own = ListOf(16514, IDS_TYPE_ANIMATION_FILE);
    ASSERT_EQ(3u, own.size());
    EXPECT_EQ((Entry{"Video for Windows(*.AVI)", "*.AVI", 2}), own[2]);

    // Still images for saving.
    const std::vector<Entry> still = ListOf(CHOOSE_SAVE | CHOOSE_LIBRARY_STILL, IDS_TYPE_BITMAPS);
    ASSERT_EQ(6u, still.size());
    EXPECT_EQ((Entry{"Icon and Cursor(*.ICO;*.CUR)", "*.ICO;*.CUR", 132}), still[1]);
}

TEST_F(FileChooser, WithoutTheLibraryOnlyTheEditorsOwnTypes)
{
    ASSERT_FALSE(LoadConvLibrary("NoSuchLibrary.dll"));
    EXPECT_EQ((std::vector<Entry>{SEQUENCE, SINGLE}), ListOf(CHOOSE_SAVE | CHOOSE_LIBRARY_VIDEO | 0x80 | 1, IDS_TYPE_SEQUENCE_FILE));
    EXPECT_EQ(4u, ListOf(CHOOSE_LIBRARY_STILL | CHOOSE_LIBRARY_ANIMATION, IDS_TYPE_ALL_FORMATS).size());
}

TEST_F(FileChooser, AReadyFilterStandsForTheFirstType)
{
    EXPECT_EQ((std::vector<Entry>{{"WAVE Files(*.WAV)", "*.WAV", 0}}), ListOf(0, 0, "WAVE Files(*.WAV)|*.WAV"));
    EXPECT_EQ((std::vector<Entry>{{"A", "*.a", 0}, {"B", "*.b", 1}}), ListOf(0, 0, "A|*.a|B|*.b|"));
    EXPECT_TRUE(ListOf(0, 0, "").empty());
}

TEST_F(FileChooser, LibraryListFlagsFollowTheChooserFlags)
{
    struct Case {
        UINT flags;
        int list;
    };
    for (const Case& c : {Case{0, 0}, {0x4000, 0}, {0x100, 1}, {0x200, 2}, {0x400, 4}, {0x700, 7}, {0x4200, 0x82},
                          {0x4480, 0x84}, {0x4481, 0x84}, {0x4100, 0x81}, {0x1700, 7}})
        EXPECT_EQ(c.list, ChooserLibraryListFlags(c.flags)) << std::hex << c.flags;
}

TEST(FilterStrings, BarsBecomeNulsOnlyWhereTheyFit)
{
    char buffer[64];
    memset(buffer, 0x55, sizeof buffer);
    const int added = AddFilterString(IDS_TYPE_SEQUENCE_FILE, buffer, sizeof buffer);
    EXPECT_EQ(static_cast<int>(strlen("Zelvo Frame Sequence(*.BMX)|*.BMX")) + 1, added);
    EXPECT_STREQ("Zelvo Frame Sequence(*.BMX)", buffer);
    EXPECT_STREQ("*.BMX", buffer + strlen(buffer) + 1);
    EXPECT_EQ('\x55', buffer[added]);

    memset(buffer, 0x55, sizeof buffer);
    EXPECT_EQ(0, AddFilterString(IDS_TYPE_SEQUENCE_FILE, buffer, 34)) << "one byte must stay for the block's end";
    EXPECT_EQ('\x55', buffer[0]);
    EXPECT_EQ(34, AddFilterString(IDS_TYPE_SEQUENCE_FILE, buffer, 35));
    EXPECT_EQ(0, AddFilterString(4711, buffer, sizeof buffer)) << "no such string";

    strcpy(buffer, "Text|*.txt|");
    EXPECT_EQ(11, AddFilterString(0, buffer, sizeof buffer)) << "a closing bar stands for the closing NUL";
    EXPECT_STREQ("*.txt", buffer + 5);
}

TEST(FilterStrings, SortingByDescriptionKeepsEachTypeCode)
{
    const char block[] = "Zelvo Frame Sequence(*.BMX)\0*.BMX\0Sequence of Single Images\0*.\0Video for Windows(*.AVI)\0"
                         "*.AVI\0animated Cursors(*.ANI)\0*.ANI\0Animated GIF(*.GIF)\0*.GIF\0";
    char filter[sizeof block];
    memcpy(filter, block, sizeof block);
    int codes[] = {0, 1, 165, 166, 167};
    SortFilterList(filter, codes, 5);
    EXPECT_EQ((std::vector<Entry>{{"animated Cursors(*.ANI)", "*.ANI", 166}, GIF_ANIM, SINGLE, AVI, SEQUENCE}),
              Entries(filter, codes, 5));
}

TEST(FilterStrings, TheExtensionOfAChosenPattern)
{
    const char filter[] = "Frames\0*.BMX\0Single\0*.\0Tiff\0*.TIF;*.TIFF\0Jpeg\0*.JPEG\0All\0*\0";
    struct Case {
        int index;
        const char* path;
        int room;
        const char* result;
    };
    const Case cases[] = {
        {0, "C:\\a\\walk", MAX_PATH, "C:\\a\\walk.BMX"},
        {1, "C:\\a\\walk", MAX_PATH, "C:\\a\\walk"},
        {2, "scan", MAX_PATH, "scan.TIF"},
        {3, "photo", MAX_PATH, "photo.JPE"},
        {4, "any", MAX_PATH, "any"},
        {9, "gone", MAX_PATH, "gone"},
        {0, "C:\\walk", 12, "C:\\walk.BMX"},
        {0, "C:\\walk", 11, "C:\\walk"},
    };
    for (const Case& c : cases) {
        char path[MAX_PATH];
        strcpy(path, c.path);
        GetFilterExtension(filter, c.index, path, c.room);
        EXPECT_STREQ(c.result, path) << c.index << " " << c.path << " room " << c.room;
    }
}

TEST(PreviewTexts, TheDepthOfAnImage)
{
    struct Case {
        int bits;
        const char* text;
    };
    for (const Case& c : {Case{1, "2 (1-bpp)"}, {4, "16 (4-bpp)"}, {8, "256 (8-bpp)"}, {16, "65536 (16-bit)"},
                          {24, "16.7 Mio. (24-bpp)"}, {32, "16.7 Mio. (32-bpp)"}, {2, "2 bit"}, {15, "15 bit"}}) {
        char text[40];
        FormatColorDepth(c.bits, text, sizeof text);
        EXPECT_STREQ(c.text, text);
    }
}

// ---- the dialog record ---------------------------------------------------------------------

struct SeenDialog {
    bool save = false;
    OPENFILENAMEA record{};
    std::vector<Entry> entries;
    std::string file;
    std::string folder;
    std::string title;
};
SeenDialog g_seen;
int g_pickIndex = 0;          // 1-based entry to choose, 0 to cancel
const char* g_pickFile = "";

std::vector<Entry> FilterEntries(const char* filter)
{
    std::vector<int> none(64, -1);
    int count = 0;
    for (const char* p = filter; *p; p += strlen(p) + 1, p += strlen(p) + 1) ++count;
    return Entries(filter, none.data(), count);
}

BOOL Answer(LPOPENFILENAMEA record, bool save)
{
    g_seen.save = save;
    g_seen.record = *record;
    g_seen.entries = FilterEntries(record->lpstrFilter);
    g_seen.file = record->lpstrFile;
    g_seen.folder = record->lpstrInitialDir ? record->lpstrInitialDir : "";
    g_seen.title = record->lpstrTitle ? record->lpstrTitle : "";
    if (!g_pickIndex) return FALSE;
    record->nFilterIndex = g_pickIndex;
    lstrcpynA(record->lpstrFile, g_pickFile, record->nMaxFile);
    return TRUE;
}
BOOL WINAPI OpenStandIn(LPOPENFILENAMEA record) { return Answer(record, false); }
BOOL WINAPI SaveStandIn(LPOPENFILENAMEA record) { return Answer(record, true); }

class ChooseFileRecord : public FileChooser {
protected:
    void SetUp() override
    {
        seam_ = RealUiSeam();
        seam_.getOpenFileName = OpenStandIn;
        seam_.getSaveFileName = SaveStandIn;
        InstallUiSeam(&seam_);
        g_seen = {};
    }
    void TearDown() override
    {
        InstallUiSeam(nullptr);
        FileChooser::TearDown();
    }
    int IndexOf(const std::string& description)
    {
        for (size_t i = 0; i < g_seen.entries.size(); ++i)
            if (g_seen.entries[i].description == description) return static_cast<int>(i) + 1;
        return 0;
    }
    UiSeam seam_;
};

TEST_F(ChooseFileRecord, TheChosenEntryGivesItsTypeWhateverTheSortedOrder)
{
    ASSERT_FALSE(LoadConvLibrary("NoSuchLibrary.dll"));
    const UINT flags = CHOOSE_SAVE | 0x80 | 1;
    char path[MAX_PATH] = "C:\\anims\\walk.bmx";
    int type = 0;
    g_pickIndex = 1;  // the first entry shown: "Sequence of Single Images" sorts before "Zelvo ..."
    g_pickFile = "C:\\out\\walk";
    ASSERT_EQ(1, ChooseFile(nullptr, flags, IDS_TITLE_SAVE_SEQUENCE, IDS_TYPE_SEQUENCE_FILE, path, &type));
    ASSERT_EQ(2u, g_seen.entries.size());
    EXPECT_EQ(SINGLE.description, g_seen.entries[0].description);
    EXPECT_EQ(1, type);
    EXPECT_STREQ("C:\\out\\walk", path) << "\"*.\" adds no extension";
    EXPECT_EQ(2u, g_seen.record.nFilterIndex) << "type 0 was the starting entry";

    // The record the system got.
    EXPECT_TRUE(g_seen.save);
    EXPECT_EQ("Save Sequence", g_seen.title);
    EXPECT_EQ("C:\\anims\\", g_seen.folder);
    EXPECT_EQ("", g_seen.file) << "the name is kept only on request";
    EXPECT_EQ(static_cast<DWORD>(MAX_PATH), g_seen.record.nMaxFile);
    EXPECT_EQ(static_cast<DWORD>(OFN_EXPLORER | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_HIDEREADONLY),
              g_seen.record.Flags);
    EXPECT_EQ(MAKEINTRESOURCEA(IDD_FILE_PREVIEW), g_seen.record.lpTemplateName);
    EXPECT_EQ(ConvPreviewHookProc, g_seen.record.lpfnHook);

    g_pickIndex = 2;
    type = 1;
    ASSERT_EQ(1, ChooseFile(nullptr, flags, IDS_TITLE_SAVE_SEQUENCE, IDS_TYPE_SEQUENCE_FILE, path, &type));
    EXPECT_EQ(1u, g_seen.record.nFilterIndex) << "type 1 was the starting entry";
    EXPECT_EQ(0, type);
    EXPECT_STREQ("C:\\out\\walk.BMX", path) << "a name without extension gets the pattern's";
}

TEST_F(ChooseFileRecord, OpeningKeepsTheNameOnlyWithItsFlagsAndCancelChangesNothing)
{
    ASSERT_TRUE(LoadConvLibrary());
    char path[MAX_PATH] = "C:\\pics\\cat.pcx";
    int type = 128;
    g_pickIndex = 0;
    EXPECT_EQ(0, ChooseFile(nullptr, CHOOSE_LIBRARY_STILL | CHOOSE_KEEP_NAME, IDS_TITLE_OPEN, IDS_TYPE_BITMAPS, path, &type));
    EXPECT_FALSE(g_seen.save);
    EXPECT_EQ("cat.pcx", g_seen.file);
    EXPECT_EQ(static_cast<DWORD>(OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK |
                                 OFN_HIDEREADONLY),
              g_seen.record.Flags);
    EXPECT_EQ("Z-Soft Paintbrush Image(*.PCX)", g_seen.entries[g_seen.record.nFilterIndex - 1].description);
    EXPECT_STREQ("C:\\pics\\cat.pcx", path);
    EXPECT_EQ(128, type);

    char many[MULTIPLE_FILES_BYTES];
    strcpy(many, "C:\\pics\\");
    g_pickIndex = 1;
    g_pickFile = "C:\\pics";
    EXPECT_EQ(1, ChooseFile(nullptr, CHOOSE_MULTIPLE, IDS_TITLE_OPEN, IDS_TYPE_BITMAPS, many, &type));
    EXPECT_EQ(static_cast<DWORD>(MULTIPLE_FILES_BYTES), g_seen.record.nMaxFile);
    EXPECT_TRUE(g_seen.record.Flags & OFN_ALLOWMULTISELECT);
    EXPECT_STREQ("C:\\pics", many);
}

}  // namespace
