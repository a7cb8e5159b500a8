// The check of names read out of files and archives: device names in every
// spelling Windows accepts, forbidden characters, the device namespace, and
// the names that must stay inside one folder; and the file opening that never
// waits on a device.
#include "FileIo.h"
#include "StoredNames.h"
#include "TestFiles.h"
#include <gtest/gtest.h>

TEST(StoredNames, DeviceNamesInEverySpellingAreRefused)
{
    const struct { const char* name; bool safe; bool safeBare; } cases[] = {
        {"green.bmx", true, true},
        {"sub\\green.bmx", true, false},
        {"C:\\anim\\green.bmx", true, false},
        {"..\\other\\green.bmx", true, false},  // a stored path may lie anywhere; a bare name may not
        {"auxiliary.bmx", true, true},
        {"con1.bmx", true, true},
        {"com0.bmx", true, true},
        {"lpt10.bmx", true, true},
        {"console.ans", true, true},
        {"AUX", false, false},
        {"AUX.bmx", false, false},
        {"aux.bmx", false, false},
        {"AUX.n.bmx", false, false},
        {"Aux.N.Bmx", false, false},
        {"CON.wav", false, false},
        {"con.ans", false, false},
        {"PRN.bmp", false, false},
        {"nul", false, false},
        {"NUL.wav", false, false},
        {"COM1.bmx", false, false},
        {"com9.wav", false, false},
        {"LPT1.bmx", false, false},
        {"lpt9", false, false},
        {"COM\xB9.bmx", false, false},  // superscript one
        {"CONIN$.bmx", false, false},
        {"conout$", false, false},
        {"CLOCK$.ans", false, false},
        {"AUX. ", false, false},
        {"aux ", false, false},
        {"aux .wav", false, false},
        {"AUX..bmx", false, false},
        {"AUX:", false, false},
        {"sub\\AUX.bmx", false, false},
        {"C:\\anim\\con.n.bmx", false, false},
        {"sub/nul/x.bmx", false, false},
        {"\\\\.\\AUX", false, false},
        {"\\\\.\\pipe\\zelvo", false, false},
        {"//./COM1", false, false},
        {"\\\\?\\C:\\anim\\green.bmx", false, false},
        {"\\??\\C:\\green.bmx", false, false},
        {"gr\x01" "een.bmx", false, false},
        {"green\t.bmx", false, false},
        {"what?.bmx", false, false},
        {"star*.bmx", false, false},
        {"a<b.bmx", false, false},
        {"a>b.bmx", false, false},
        {"a|b.bmx", false, false},
        {"\"green.bmx\"", false, false},
        {"", false, false},
        {"green.bmx.", true, false},  // Windows drops the dot: inside one folder it names another file
        {"green.bmx ", true, false},
        {".", true, false},
        {"..", true, false},
        {"a:b.bmx", true, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.safe, IsSafeStoredName(c.name)) << '[' << c.name << ']';
        EXPECT_EQ(c.safeBare, IsSafeBareName(c.name)) << '[' << c.name << ']';
    }
    EXPECT_FALSE(IsSafeStoredName(nullptr));
    EXPECT_TRUE(IsDeviceName("AUX.bmx", 3));
    EXPECT_FALSE(IsDeviceName("AUXILIARY", 4)) << "only the part looked at counts";
    EXPECT_TRUE(IsDeviceName("AUXILIARY", 3));
}

TEST(StoredNames, OnlyRegularDiskFilesOpenForReading)
{
    ScratchDir dir;
    ASSERT_TRUE(WriteWholeFile(dir.File("plain.bin"), {1, 2, 3}));
    FileHandle plain(OpenForReading(dir.File("plain.bin").c_str()));
    ASSERT_TRUE(plain.IsOpen());
    unsigned char bytes[3];
    EXPECT_TRUE(ReadExact(plain.Get(), bytes, 3));
    EXPECT_EQ(3, bytes[2]);
    EXPECT_EQ(3, FileLength(plain.Get()));

    // A folder, a device and a pipe are no files: each fails at once, as a
    // missing file does.
    HANDLE pipe = CreateNamedPipeA("\\\\.\\pipe\\zelvo-stored-names", PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 64, 64,
                                   0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, pipe);
    for (const std::string& path : {dir.Path(), dir.File("missing.bin"), std::string("AUX"), dir.File("aux.n.bmx"),
                                    std::string("CON"), std::string("\\\\.\\pipe\\zelvo-stored-names")}) {
        EXPECT_TRUE(FinishesWithin(1000, [&] {
            EXPECT_EQ(HFILE_ERROR, OpenForReading(path.c_str())) << path;
            EXPECT_FALSE(IsReadableFile(path.c_str())) << path;
        })) << path;
    }
    CloseHandle(pipe);
    EXPECT_EQ(HFILE_ERROR, OpenForReading(nullptr));
    EXPECT_EQ(HFILE_ERROR, OpenForReading(""));
}
