// The .ANX archive: packing what an animation names, unpacking into a folder of
// its own, finding the animation, and hostile archives.
#include "AnimationTables.h"
#include "AnxArchive.h"
#include "ResultCodes.h"
#include "TestFiles.h"
#include <gtest/gtest.h>
#include <minizip/unzip.h>
#include <minizip/zip.h>
#include <cstring>

namespace {

struct AnimationSpec {
    std::vector<std::string> sequences;
    std::vector<std::string> sounds;
    std::string background;
    std::string next;
    int endAction = END_CLOSE;
};

// Writes an animation naming the given files (the files themselves are made
// by the caller).
void WriteAnimation(const std::string& path, const AnimationSpec& spec)
{
    AnimationTables t{};
    SetDefaultAnimationSettings(&t.animationSettings);
    if (!spec.background.empty()) {
        t.animationSettings.backgroundColor = BACKGROUND_USE_IMAGE;
        lstrcpynA(t.animationSettings.backgroundImage, spec.background.c_str(), 64);
    }
    lstrcpynA(t.animationSettings.nextAnimation, spec.next.c_str(), 64);
    t.animationSettings.playFlags = static_cast<uint8_t>(spec.endAction << PLAY_END_ACTION_SHIFT);
    t.sequenceCount = static_cast<uint8_t>(spec.sequences.size());
    for (size_t i = 0; i < spec.sequences.size(); ++i)
        lstrcpynA(t.sequenceTable[i].fileName, spec.sequences[i].c_str(), 64);
    t.soundCount = static_cast<uint8_t>(spec.sounds.size());
    for (size_t i = 0; i < spec.sounds.size(); ++i) lstrcpynA(t.soundTable[i].name, spec.sounds[i].c_str(), 64);
    ASSERT_EQ(RESULT_OK, WriteAnimationFile(path.c_str(), &t));
}

void WriteText(const std::string& path, const std::string& text)
{
    WriteWholeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

struct ZipEntry {
    std::string name;
    std::string data;
};

std::vector<ZipEntry> ReadZip(const std::string& path)
{
    std::vector<ZipEntry> entries;
    unzFile zip = unzOpen(path.c_str());
    if (!zip) return entries;
    for (int r = unzGoToFirstFile(zip); r == UNZ_OK; r = unzGoToNextFile(zip)) {
        char name[MAX_PATH];
        unz_file_info info;
        unzGetCurrentFileInfo(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0);
        std::string data(info.uncompressed_size, '\0');
        unzOpenCurrentFile(zip);
        unzReadCurrentFile(zip, data.data(), static_cast<unsigned>(data.size()));
        unzCloseCurrentFile(zip);
        EXPECT_EQ(Z_DEFLATED, static_cast<int>(info.compression_method)) << name;
        entries.push_back({name, data});
    }
    unzClose(zip);
    return entries;
}

void WriteZip(const std::string& path, const std::vector<ZipEntry>& entries)
{
    zipFile zip = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
    ASSERT_NE(nullptr, zip);
    for (const ZipEntry& e : entries) {
        zip_fileinfo info{};
        ASSERT_EQ(ZIP_OK, zipOpenNewFileInZip(zip, e.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                              Z_DEFLATED, Z_DEFAULT_COMPRESSION));
        zipWriteInFileInZip(zip, e.data.data(), static_cast<unsigned>(e.data.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
}

std::vector<std::string> BareNames(const std::vector<ZipEntry>& entries)
{
    std::vector<std::string> names;
    for (const ZipEntry& e : entries) names.push_back(BareName(e.name.c_str()));
    return names;
}

bool FolderExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

TEST(Archive, PacksTheAnimationFirstAndTheInfoEntryLast)
{
    ScratchDir dir;
    CreateDirectoryA(dir.File("sub").c_str(), nullptr);
    for (const char* name : {"one.bmx", "sub\\two.bmx", "back.bmp", "ping.wav", "next.ans.bmx"})
        WriteText(dir.File(name), std::string("data of ") + name);
    WriteAnimation(dir.File("next.ans"), {{"next.ans.bmx"}, {}, "", "", END_CLOSE});
    WriteAnimation(dir.File("demo.ans"), {{"one.bmx", "sub\\two.bmx"}, {"ping.wav"}, "back.bmp", "next.ans", END_LOAD_NEXT});

    const std::string archive = dir.File("demo.anx");
    AnxArchive anx(archive.c_str());
    ASSERT_EQ(1, anx.Pack(dir.File("demo.ans").c_str()));
    EXPECT_EQ(ANX_OK, anx.error);
    EXPECT_EQ(1, AnxArchive::IsArchive(archive.c_str()));
    EXPECT_EQ(0, AnxArchive::IsArchive(dir.File("demo.ans").c_str()));

    const auto entries = ReadZip(archive);
    EXPECT_EQ((std::vector<std::string>{"demo.ans", "back.bmp", "one.bmx", "two.bmx", "ping.wav", "next.ans",
                                        "next.ans.bmx", "anxinfo.dat"}),
              BareNames(entries));
    EXPECT_EQ(dir.File("demo.ans"), entries.front().name);  // entries are named by the path they were found at
    EXPECT_EQ("demo.ans", entries.back().data);
    EXPECT_EQ("data of sub\\two.bmx", entries[3].data);

    // Unpacking into a folder of its own finds the animation, and removing takes it all away.
    AnxArchive reader(archive.c_str());
    ASSERT_EQ(1, reader.Unpack(nullptr));
    char found[MAX_PATH];
    ASSERT_EQ(1, reader.FindAnimation(found, MAX_PATH));
    EXPECT_EQ(std::string(reader.workDir) + "demo.ans", found);
    EXPECT_EQ(ReadWholeFile(dir.File("back.bmp")), ReadWholeFile(std::string(reader.workDir) + "back.bmp"));
    AnxArchive second(archive.c_str());
    ASSERT_EQ(1, second.Unpack(nullptr));
    EXPECT_STRNE(reader.workDir, second.workDir);
    EXPECT_EQ(1, AnxArchive(nullptr).RemoveUnpacked(found));
    EXPECT_FALSE(FolderExists(reader.workDir));
    EXPECT_TRUE(FolderExists(second.workDir));
    char secondFound[MAX_PATH];
    ASSERT_EQ(1, second.FindAnimation(secondFound, MAX_PATH));
    EXPECT_EQ(1, AnxArchive(nullptr).RemoveUnpacked(secondFound));
    EXPECT_FALSE(FolderExists(second.workDir));
}

TEST(Archive, SameBareNameIsPackedOnceAndCyclesEnd)
{
    ScratchDir dir;
    CreateDirectoryA(dir.File("a").c_str(), nullptr);
    CreateDirectoryA(dir.File("b").c_str(), nullptr);
    WriteText(dir.File("a\\x.bmx"), "first");
    WriteText(dir.File("b\\x.bmx"), "second");
    WriteAnimation(dir.File("A.ans"), {{"a\\x.bmx", "b\\x.bmx"}, {}, "", "B.ans", END_LOAD_NEXT_NEW_WINDOW});
    WriteAnimation(dir.File("B.ans"), {{"a\\x.bmx"}, {}, "", "A.ans", END_LOAD_NEXT});
    AnxArchive anx(dir.File("c.anx").c_str());
    ASSERT_EQ(1, anx.Pack(dir.File("A.ans").c_str()));
    const auto entries = ReadZip(dir.File("c.anx"));
    EXPECT_EQ((std::vector<std::string>{"A.ans", "x.bmx", "B.ans", "anxinfo.dat"}), BareNames(entries));
    EXPECT_EQ("first", entries[1].data);
}

TEST(Archive, ShellOpenedFollowerIsNotPacked)
{
    ScratchDir dir;
    WriteAnimation(dir.File("B.ans"), {});
    WriteAnimation(dir.File("A.ans"), {{}, {}, "", "B.ans", END_SHELL_OPEN});
    AnxArchive anx(dir.File("c.anx").c_str());
    ASSERT_EQ(1, anx.Pack(dir.File("A.ans").c_str()));
    EXPECT_EQ((std::vector<std::string>{"A.ans", "anxinfo.dat"}), BareNames(ReadZip(dir.File("c.anx"))));
}

namespace {
std::vector<std::string> g_asked;
int g_answer = 1;
std::string g_chosen;
int LocateForTest(const char* bareName, char* outPath)
{
    g_asked.push_back(bareName);
    lstrcpynA(outPath, g_chosen.c_str(), MAX_PATH);
    return g_answer;
}
}  // namespace

TEST(Archive, MissingFilesAreLeftOutOrLocatedOrCancel)
{
    ScratchDir dir;
    WriteAnimation(dir.File("demo.ans"), {{"gone.bmx"}, {"missing.wav"}, "", "", END_CLOSE});
    WriteText(dir.File("elsewhere.bmx"), "found by the user");

    struct Case { int answer; std::string chosen; int packed; int error; std::vector<std::string> names; };
    const Case cases[] = {
        {1, "", 1, ANX_FILE_MISSING, {"demo.ans", "anxinfo.dat"}},                    // "No": left out
        {1, dir.File("elsewhere.bmx"), 1, ANX_OK, {"demo.ans", "elsewhere.bmx", "anxinfo.dat"}},
        {0, "", 0, ANX_CANCELLED, {}},                                                 // "Cancel"
    };
    for (const Case& c : cases) {
        g_asked.clear();
        g_answer = c.answer;
        g_chosen = c.chosen;
        DeleteFileA(dir.File("d.anx").c_str());
        AnxArchive anx(dir.File("d.anx").c_str());
        anx.locateFile = LocateForTest;
        EXPECT_EQ(c.packed, anx.Pack(dir.File("demo.ans").c_str())) << c.chosen;
        EXPECT_EQ(c.error, anx.error) << c.chosen;
        EXPECT_EQ("gone.bmx", g_asked.front());
        // Both missing files resolve to the one chosen file, which is packed once.
        if (c.packed) {
            EXPECT_EQ(c.names, BareNames(ReadZip(dir.File("d.anx"))));
        }
    }
    AnxArchive quiet(dir.File("e.anx").c_str());
    EXPECT_EQ(1, quiet.Pack(dir.File("demo.ans").c_str()));
    EXPECT_EQ(ANX_FILE_MISSING, quiet.error);
    AnxArchive notAnimation(dir.File("f.anx").c_str());
    EXPECT_EQ(0, notAnimation.Pack(dir.File("elsewhere.bmx").c_str()));
    EXPECT_EQ(ANX_NO_FILE_LIST, notAnimation.error);
}

TEST(Archive, DeviceNamesInAnAnimationCountAsMissingFiles)
{
    // Each stored name names a device (or holds a control character): packing
    // asks for it and leaves it out as it does a missing file, at once, and
    // never opens the device.
    const char* const names[] = {"AUX.bmx", "aux.bmx", "AUX.n.bmx", "con.n.bmx", "NUL.wav", "COM1.bmx", "lpt1.bmx",
                                 "CONIN$.bmx", "CLOCK$.bmx", "AUX. ", "aux ", "sub\\PRN.bmx", "gr\x01" "een.bmx"};
    ScratchDir dir;
    WriteText(dir.File("real.bmx"), "frames");
    for (const char* name : names) {
        for (int slot = 0; slot < 4; ++slot) {
            SCOPED_TRACE(std::string(name) + " in slot " + std::to_string(slot));
            AnimationSpec spec{{"real.bmx"}, {}, "", "", END_CLOSE};
            if (slot == 0) spec.sequences.push_back(name);
            if (slot == 1) spec.sounds.push_back(name);
            if (slot == 2) spec.background = name;
            if (slot == 3) spec = {{"real.bmx"}, {}, "", "con.ans", END_LOAD_NEXT};  // a following animation
            WriteAnimation(dir.File("demo.ans"), spec);
            g_asked.clear();
            g_answer = 1;
            g_chosen.clear();
            DeleteFileA(dir.File("d.anx").c_str());
            AnxArchive anx(dir.File("d.anx").c_str());
            anx.locateFile = LocateForTest;
            EXPECT_TRUE(FinishesWithin(1000, [&] { EXPECT_EQ(1, anx.Pack(dir.File("demo.ans").c_str())); }));
            EXPECT_EQ(ANX_FILE_MISSING, anx.error);
            ASSERT_EQ(1u, g_asked.size()) << "asked for as a missing file is";
            EXPECT_EQ(slot == 3 ? "con.ans" : BareName(name), g_asked[0]);
            EXPECT_EQ((std::vector<std::string>{"demo.ans", "real.bmx", "anxinfo.dat"}), BareNames(ReadZip(dir.File("d.anx"))));
        }
    }
    // Unpacking: an info entry naming a device finds the animation another way.
    auto bytes = ReadWholeFile(dir.File("demo.ans"));
    WriteZip(dir.File("info.anx"), {{"only.ans", std::string(bytes.begin(), bytes.end())}, {"anxinfo.dat", "con.ans"}});
    AnxArchive anx(dir.File("info.anx").c_str());
    ASSERT_EQ(1, anx.Unpack(nullptr));
    char found[MAX_PATH];
    EXPECT_TRUE(FinishesWithin(1000, [&] { EXPECT_EQ(1, anx.FindAnimation(found, MAX_PATH)); }));
    EXPECT_STREQ("only.ans", BareName(found));
    // Removing what an animation elsewhere names never reaches a device either.
    WriteAnimation(dir.File("gone.ans"), {{"AUX.bmx", "real.bmx"}, {"CON.wav"}, "NUL.bmp", "", END_CLOSE});
    EXPECT_TRUE(FinishesWithin(1000, [&] { AnxArchive(nullptr).RemoveUnpacked(dir.File("gone.ans").c_str()); }));
    EXPECT_FALSE(FileExists(dir.File("real.bmx")));
    AnxArchive(nullptr).RemoveUnpacked(found);
}

TEST(Archive, PathsAreSplitAtTheLastSeparatorOfAnyKind)
{
    const struct { const char* path; const char* folder; const char* bare; } cases[] = {
        {"C:\\anims\\walk.ans", "C:\\anims\\", "walk.ans"},
        {"C:\\anims/sub\\x/walk.ans", "C:\\anims/sub\\x/", "walk.ans"},  // "/" after the last "\\"
        {"C:/anims\\walk.ans", "C:/anims\\", "walk.ans"},
        {"C:walk.ans", "C:", "walk.ans"},
        {"D:\\a:b\\c.ans", "D:\\a:b\\", "c.ans"},
        {"\\\\server\\share/walk.ans", "\\\\server\\share/", "walk.ans"},
    };
    for (const auto& c : cases) {
        char folder[MAX_PATH], bare[MAX_PATH];
        AnxArchive::SplitPath(c.path, folder, bare);
        EXPECT_STREQ(c.folder, folder) << c.path;
        EXPECT_STREQ(c.bare, bare) << c.path;
    }
}

TEST(Archive, FindAnimationFallsBackToTheArchiveNameAndAnyAnimation)
{
    ScratchDir dir;
    WriteAnimation(dir.File("renamed.ans"), {});
    auto bytes = ReadWholeFile(dir.File("renamed.ans"));
    const std::string data(bytes.begin(), bytes.end());
    struct Case { const char* archive; std::vector<ZipEntry> entries; const char* expected; };
    const Case cases[] = {
        {"a.anx", {{"x\\first.ans", data}, {"anxinfo.dat", "first.ans"}}, "first.ans"},
        {"b.anx", {{"other.ans", data}, {"b.ans", data}}, "b.ans"},          // the archive's own name
        {"c.anx", {{"only.ans", data}, {"readme.txt", "hi"}}, "only.ans"},   // the one animation in it
        {"d.anx", {{"e.ans", data}, {"anxinfo.dat", "..\\..\\e.ans"}}, "e.ans"},  // a path in the info entry counts by its bare name
    };
    for (const Case& c : cases) {
        WriteZip(dir.File(c.archive), c.entries);
        AnxArchive anx(dir.File(c.archive).c_str());
        ASSERT_EQ(1, anx.Unpack(nullptr)) << c.archive;
        char found[MAX_PATH];
        EXPECT_EQ(1, anx.FindAnimation(found, MAX_PATH)) << c.archive;
        EXPECT_STREQ(c.expected, BareName(found)) << c.archive;
        EXPECT_EQ(std::string(anx.workDir), std::string(found, BareName(found) - found));
        AnxArchive(nullptr).RemoveUnpacked(found);
        EXPECT_FALSE(FolderExists(anx.workDir));
    }
    WriteZip(dir.File("none.anx"), {{"readme.txt", "no animation"}});
    AnxArchive none(dir.File("none.anx").c_str());
    ASSERT_EQ(1, none.Unpack(nullptr));
    char found[MAX_PATH];
    EXPECT_EQ(0, none.FindAnimation(found, MAX_PATH));
    RemoveTree(none.workDir);
}

TEST(Archive, HostileEntryNamesNeverWriteOutsideTheUnpackFolder)
{
    ScratchDir dir;
    CreateDirectoryA(dir.File("in").c_str(), nullptr);
    struct Case { const char* name; bool extracts; const char* lands; };
    const Case cases[] = {
        {"..\\..\\evil.txt", true, "evil.txt"},
        {"../../evil2.txt", true, "evil2.txt"},
        {"C:\\windows\\evil3.txt", true, "evil3.txt"},
        {"\\\\server\\share\\evil4.txt", true, "evil4.txt"},
        {"sub/", true, nullptr},  // a folder entry carries nothing
        {"..", false, nullptr},
        {"a/..", false, nullptr},
        {"CON", false, nullptr},
        {"nul.txt", false, nullptr},
        {"com1.ans", false, nullptr},
        {"trailing.", false, nullptr},
        {"what?.txt", false, nullptr},
    };
    for (const Case& c : cases) {
        const std::string archive = dir.File("in\\hostile.anx");
        WriteZip(archive, {{"ok.ans", "AN"}, {c.name, "payload"}});
        const std::string target = dir.File("in\\unpack\\");
        RemoveTree(target);
        CreateDirectoryA(target.c_str(), nullptr);
        AnxArchive anx(archive.c_str());
        EXPECT_EQ(c.extracts ? 1 : 0, anx.Unpack(target.c_str())) << c.name;
        if (!c.extracts) {
            EXPECT_EQ(ANX_EXTRACT_FAILED, anx.error) << c.name;
        }
        if (c.lands) {
            EXPECT_TRUE(FileExists(target + c.lands)) << c.name;
        }
        for (const char* outside : {"evil.txt", "evil2.txt", "evil3.txt", "evil4.txt"}) {
            EXPECT_FALSE(FileExists(dir.File(outside))) << c.name;
            EXPECT_FALSE(FileExists(dir.File(std::string("in\\") + outside))) << c.name;
        }
    }
}

TEST(Archive, DamagedArchivesFailToUnpack)
{
    ScratchDir dir;
    WriteZip(dir.File("good.anx"), {{"a.ans", std::string(5000, 'a')}, {"b.bmx", std::string(3000, 'b')}});
    const auto good = ReadWholeFile(dir.File("good.anx"));
    for (size_t length : {size_t(0), size_t(4), size_t(30), good.size() / 2, good.size() - 10}) {
        WriteWholeFile(dir.File("cut.anx"), std::vector<uint8_t>(good.begin(), good.begin() + length));
        AnxArchive anx(dir.File("cut.anx").c_str());
        const std::string target = dir.File("out" + std::to_string(length) + "\\");
        CreateDirectoryA(target.c_str(), nullptr);
        EXPECT_EQ(0, anx.Unpack(target.c_str())) << length;
    }
    auto flipped = good;
    flipped[60] ^= 0x55;  // inside the first entry's deflated data: inflate or the CRC check fails
    WriteWholeFile(dir.File("flipped.anx"), flipped);
    AnxArchive anx(dir.File("flipped.anx").c_str());
    CreateDirectoryA(dir.File("flip").c_str(), nullptr);
    EXPECT_EQ(0, anx.Unpack(dir.File("flip").c_str()));
}

TEST(Archive, RemoveUnpackedElsewhereDeletesOnlyWhatTheAnimationNames)
{
    ScratchDir dir;
    WriteText(dir.File("one.bmx"), "1");
    WriteText(dir.File("keep.txt"), "mine");
    WriteText(dir.File("anxinfo.dat"), "demo.ans");
    WriteAnimation(dir.File("demo.ans"), {{"one.bmx", "C:\\elsewhere\\keep.txt"}, {}, "", "", END_CLOSE});
    EXPECT_EQ(1, AnxArchive(nullptr).RemoveUnpacked(dir.File("demo.ans").c_str()));
    EXPECT_FALSE(FileExists(dir.File("one.bmx")));
    EXPECT_FALSE(FileExists(dir.File("demo.ans")));
    EXPECT_FALSE(FileExists(dir.File("anxinfo.dat")));
    // keep.txt is named by the animation, but lay at a stored path: only names beside it count.
    EXPECT_FALSE(FileExists(dir.File("keep.txt")));
    WriteText(dir.File("other.txt"), "not named");
    WriteAnimation(dir.File("demo.ans"), {});
    AnxArchive(nullptr).RemoveUnpacked(dir.File("demo.ans").c_str());
    EXPECT_TRUE(FileExists(dir.File("other.txt")));
}

// ---- the editor's archive commands ----

#include "AnxCommands.h"
#include "UiSeam.h"

namespace {

// Records every box and answers it; the open-file dialog picks a set file.
struct UiRecorder {
    struct Box { std::string text, caption; UINT type; };
    static inline std::vector<Box> boxes;
    static inline std::vector<int> answers;
    static inline std::string pick;
    static inline std::vector<std::string> dialogFilters;
    UiSeam seam{BoxHook, OpenHook};
    UiRecorder() { boxes.clear(); answers.clear(); pick.clear(); dialogFilters.clear(); InstallUiSeam(&seam); }
    ~UiRecorder() { InstallUiSeam(nullptr); }
    static int WINAPI BoxHook(HWND, LPCSTR text, LPCSTR caption, UINT type)
    {
        boxes.push_back({text, caption, type});
        if (answers.empty()) return IDOK;
        const int answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    static BOOL WINAPI OpenHook(LPOPENFILENAMEA dialog)
    {
        dialogFilters.push_back(std::string(dialog->lpstrFilter) + "|" + (dialog->lpstrFilter + strlen(dialog->lpstrFilter) + 1));
        EXPECT_EQ(static_cast<DWORD>(OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY), dialog->Flags);
        if (pick.empty()) return FALSE;
        lstrcpynA(dialog->lpstrFile, pick.c_str(), dialog->nMaxFile);
        return TRUE;
    }
};

}  // namespace

TEST(ArchiveCommands, TheMessagesAreStrings1600To1609OfTheStringTable)
{
    const char* const texts[] = {
        "ANX Export cancelled by user!",
        "One or more files belonging the Animation were not found. Please ensure that all files are in the animation "
        "directory!",
        "Error reading the animation file!",
        "Error creating the .ANX Export File!",
        "Der ANX Export konnte nicht erfolgreich beendet werden!",
        "The File %s was not found.\nWould you like to find the file?",
        "The destination directory already exists. Press OK to replace all existing files!",
        "Error creating the import directory!",
        "Error reading the import file. The file may be not a valid Zelvo ANX file or corrupted!",
        "The ANX file does not contain a valid Zelvo Animation file (*.ANS)!",
    };
    for (int id = 1600; id <= 1609; ++id) {
        char loaded[512] = "";
        EXPECT_GT(LoadStringA(GetModuleHandleA(nullptr), id, loaded, sizeof loaded), 0) << id;
        EXPECT_STREQ(texts[id - 1600], loaded) << id;
        EXPECT_STREQ(texts[id - 1600], AnxMessageText(id)) << id;
    }
}

TEST(ArchiveCommands, ImportUnpacksBesideTheArchiveAndAsksBeforeReplacing)
{
    ScratchDir dir;
    UiRecorder ui;
    WriteText(dir.File("one.bmx"), "1");
    WriteAnimation(dir.File("demo.ans"), {{"one.bmx"}, {}, "", "", END_CLOSE});
    ASSERT_EQ(1, AnxArchive(dir.File("demo.anx").c_str()).Pack(dir.File("demo.ans").c_str()));

    char path[MAX_PATH];
    EXPECT_EQ(1, ImportAnxArchive(nullptr, dir.File("demo.ans").c_str(), path, MAX_PATH));
    EXPECT_EQ(dir.File("demo.ans"), path);  // not an archive: used unchanged
    ASSERT_EQ(1, ImportAnxArchive(nullptr, dir.File("demo.anx").c_str(), path, MAX_PATH));
    EXPECT_EQ(dir.File("demo\\demo.ans"), path);
    EXPECT_TRUE(FileExists(dir.File("demo\\one.bmx")));
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_EQ(dir.File("demo"), current);
    SetCurrentDirectoryA(dir.Path().c_str());
    EXPECT_TRUE(UiRecorder::boxes.empty());

    UiRecorder::answers = {IDCANCEL};
    EXPECT_EQ(0, ImportAnxArchive(nullptr, dir.File("demo.anx").c_str(), path, MAX_PATH));
    UiRecorder::answers = {IDOK};
    EXPECT_EQ(1, ImportAnxArchive(nullptr, dir.File("demo.anx").c_str(), path, MAX_PATH));
    SetCurrentDirectoryA(dir.Path().c_str());
    ASSERT_EQ(2u, UiRecorder::boxes.size());
    EXPECT_EQ("The destination directory already exists. Press OK to replace all existing files!",
              UiRecorder::boxes[0].text);
    EXPECT_EQ("ANX Import", UiRecorder::boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL | MB_ICONWARNING), UiRecorder::boxes[0].type);
}

TEST(ArchiveCommands, ImportFailuresShowTheirErrors)
{
    ScratchDir dir;
    UiRecorder ui;
    WriteWholeFile(dir.File("broken.anx"), {'P', 'K', 3, 4, 0, 0, 1, 2, 3});
    WriteZip(dir.File("empty.anx"), {{"readme.txt", "no animation"}});
    char path[MAX_PATH];
    EXPECT_EQ(0, ImportAnxArchive(nullptr, dir.File("broken.anx").c_str(), path, MAX_PATH));
    EXPECT_EQ(0, ImportAnxArchive(nullptr, dir.File("empty.anx").c_str(), path, MAX_PATH));
    ASSERT_EQ(2u, UiRecorder::boxes.size());
    EXPECT_EQ("Error reading the import file. The file may be not a valid Zelvo ANX file or corrupted!",
              UiRecorder::boxes[0].text);
    EXPECT_EQ("The ANX file does not contain a valid Zelvo Animation file (*.ANS)!", UiRecorder::boxes[1].text);
    for (const auto& box : UiRecorder::boxes) {
        EXPECT_EQ("ANX Import", box.caption);
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), box.type);
    }
}

TEST(ArchiveCommands, ExportAsksForMissingFiles)
{
    ScratchDir dir;
    WriteText(dir.File("found.wav"), "sound");
    WriteAnimation(dir.File("demo.ans"), {{}, {"missing.wav"}, "", "", END_CLOSE});
    struct Case { std::vector<int> answers; std::string pick; int result; std::vector<std::string> boxes; };
    const Case cases[] = {
        {{IDNO}, "", 1, {"The File missing.wav was not found.\nWould you like to find the file?"}},
        {{IDYES}, dir.File("found.wav"), 1, {"The File missing.wav was not found.\nWould you like to find the file?"}},
        {{IDCANCEL}, "", 0, {"The File missing.wav was not found.\nWould you like to find the file?",
                             "ANX Export cancelled by user!"}},
    };
    for (const Case& c : cases) {
        UiRecorder ui;
        UiRecorder::answers = c.answers;
        UiRecorder::pick = c.pick;
        DeleteFileA(dir.File("out.anx").c_str());
        EXPECT_EQ(c.result, ExportAnxArchive(nullptr, dir.File("out.anx").c_str(), dir.File("demo.ans").c_str()));
        ASSERT_EQ(c.boxes.size(), UiRecorder::boxes.size());
        for (size_t i = 0; i < c.boxes.size(); ++i) {
            EXPECT_EQ(c.boxes[i], UiRecorder::boxes[i].text);
            EXPECT_EQ("ANX Export", UiRecorder::boxes[i].caption);
        }
        EXPECT_EQ(static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION), UiRecorder::boxes[0].type);
        if (!c.pick.empty()) {
            EXPECT_EQ((std::vector<std::string>{"missing.wav|missing.wav"}), UiRecorder::dialogFilters);
            EXPECT_EQ((std::vector<std::string>{"demo.ans", "found.wav", "anxinfo.dat"}),
                      BareNames(ReadZip(dir.File("out.anx"))));
        }
    }
    UiRecorder ui;
    WriteText(dir.File("text.ans"), "not an animation");
    EXPECT_EQ(0, ExportAnxArchive(nullptr, dir.File("out.anx").c_str(), dir.File("text.ans").c_str()));
    ASSERT_EQ(1u, UiRecorder::boxes.size());
    EXPECT_EQ("Error reading the animation file!", UiRecorder::boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), UiRecorder::boxes[0].type);
}
