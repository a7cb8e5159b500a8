// The image library's exports on the real ZelvoConv32.dll, bound by name as
// the editor binds them: the format lists, the detection of formats by
// content and by name, the depth rules, and the dispatch of loading, saving,
// previews, new files, commands and frame changes.
#include "ConvTestSupport.h"
#include "TestFiles.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>

namespace {

// The list GetFormats should write for these "description|pattern" texts.
std::vector<char> ExpectedList(const std::vector<std::string>& texts)
{
    std::vector<char> bytes;
    for (const std::string& text : texts) {
        for (char c : text) bytes.push_back(c == '|' ? '\0' : c);
        bytes.push_back('\0');
    }
    bytes.push_back('\0');
    return bytes;
}

const std::string ANI = "Animated Cursors(*.ANI)|*.ANI";
const std::string GIF_ANIM = "Animated GIF(*.GIF)|*.GIF";
const std::string AVI = "Video for Windows(*.AVI)|*.AVI";
const std::string RESOURCES = "Ressource Bitmaps(*.EXE;*.DLL;*.SCR)|*.EXE;*.DLL;*.SCR";
const std::string ICON_OPEN = "Icon and Cursor(*.ANI;*.ICO;*.CUR)|*.ANI;*.ICO;*.CUR";
const std::string ICON_SAVE = "Icon and Cursor(*.ICO;*.CUR)|*.ICO;*.CUR";
const std::string GIF = "CompuServe GIF(*.GIF)|*.GIF";
const std::string PCX = "Z-Soft Paintbrush Image(*.PCX)|*.PCX";
const std::string TIFF = "Tagged Image File Format(*.TIF;*.TIFF)|*.TIF;*.TIFF";
const std::string JPEG = "JPEG File Format(*.JPG;*.JPEG)|*.JPG;*.JPEG";

TEST(ConvLibrary, LoadsWithExactlyItsTenExportsUndecorated)
{
    ASSERT_TRUE(Conv().complete) << "ZelvoConv32.dll missing beside the test or an export unbound";
    auto* base = reinterpret_cast<const BYTE*>(Conv().module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    std::vector<std::string> found;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) found.push_back(reinterpret_cast<const char*>(base + names[i]));
    std::sort(found.begin(), found.end());
    const std::vector<std::string> expected = {"DetectFileFormat", "DllMain",       "GetDesiredBitPix",
                                               "GetFormats",       "GetPreviewImage", "LoadConvImage",
                                               "NewConvFile",      "NotifyFrameChange", "ProcessCommand",
                                               "SaveConvImage"};
    EXPECT_EQ(expected, found);
}

TEST(ConvLibrary, RegistersItsStripClassFromAttachToDetach)
{
    // A copy under another name is a module of its own that can be unloaded.
    char path[MAX_PATH], copy[MAX_PATH];
    GetModuleFileNameA(Conv().module, path, sizeof path);
    strcpy(copy, path);
    strcpy(strrchr(copy, '\\') + 1, "ConvDetachCopy.dll");
    ASSERT_TRUE(CopyFileA(path, copy, FALSE));
    HMODULE module = LoadLibraryA(copy);
    ASSERT_NE(nullptr, module);
    WNDCLASSA cls;
    EXPECT_TRUE(GetClassInfoA(module, "AVIREEL", &cls));
    FreeLibrary(module);
    EXPECT_FALSE(GetClassInfoA(module, "AVIREEL", &cls));
    DeleteFileA(copy);
}

TEST(GetFormats, ListsTheEntriesOfEachFlagSetInOrder)
{
    ASSERT_TRUE(Conv().complete);
    struct Case {
        int flags;
        std::vector<BYTE> codes;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {7, {166, 167, 165, 131, 132, 129, 128, 130, 133}, {ANI, GIF_ANIM, AVI, RESOURCES, ICON_OPEN, GIF, PCX, TIFF, JPEG}},
        {0x81, {132, 129, 128, 130, 133}, {ICON_SAVE, GIF, PCX, TIFF, JPEG}},
        {0x82, {165, 166, 167}, {AVI, ANI, GIF_ANIM}},
        {0x84, {166, 167}, {ANI, GIF_ANIM}},
        {1, {131, 132, 129, 128, 130, 133}, {RESOURCES, ICON_OPEN, GIF, PCX, TIFF, JPEG}},
        {0x87, {166, 167, 165, 166, 167, 132, 129, 128, 130, 133},
         {ANI, GIF_ANIM, AVI, ANI, GIF_ANIM, ICON_SAVE, GIF, PCX, TIFF, JPEG}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags 0x" << std::hex << c.flags);
        std::vector<char> filters(CONV_FORMAT_LIST_BYTES, '\x55');
        std::vector<BYTE> codes(CONV_MAX_FORMAT_ENTRIES, 0x55);
        const int count = Conv().GetFormats(filters.data(), codes.data(), c.flags);
        ASSERT_EQ(static_cast<int>(c.codes.size()), count);
        EXPECT_EQ(c.codes, std::vector<BYTE>(codes.begin(), codes.begin() + count));
        const std::vector<char> expected = ExpectedList(c.texts);
        EXPECT_EQ(expected, std::vector<char>(filters.begin(), filters.begin() + expected.size()));
        EXPECT_EQ('\x55', filters[expected.size()]) << "written past the list's end";
    }
}

TEST(GetFormats, NoFlagsListNothingAndWriteNothing)
{
    ASSERT_TRUE(Conv().complete);
    std::vector<char> filters(16, '\x55');
    std::vector<BYTE> codes(4, 0x55);
    EXPECT_EQ(0, Conv().GetFormats(filters.data(), codes.data(), 0));
    EXPECT_EQ(std::vector<char>(16, '\x55'), filters);
    EXPECT_EQ(std::vector<BYTE>(4, 0x55), codes);
    EXPECT_EQ(0, Conv().GetFormats(filters.data(), codes.data(), 0x80)) << "the save bit alone lists nothing";
}

TEST(GetFormats, NoFlagSetWritesBeyondTheRoomCallersGive)
{
    ASSERT_TRUE(Conv().complete);
    for (int flags = 0; flags < 0x100; ++flags) {
        std::vector<char> filters(2 * CONV_FORMAT_LIST_BYTES, '\x55');
        std::vector<BYTE> codes(2 * CONV_MAX_FORMAT_ENTRIES, 0x55);
        const int count = Conv().GetFormats(filters.data(), codes.data(), flags);
        ASSERT_LE(count, CONV_MAX_FORMAT_ENTRIES) << flags;
        for (size_t i = CONV_FORMAT_LIST_BYTES; i < filters.size(); ++i) ASSERT_EQ('\x55', filters[i]) << flags;
        for (size_t i = count; i < codes.size(); ++i) ASSERT_EQ(0x55, codes[i]) << flags;
    }
}

// ---- detection ----------------------------------------------------------------------------

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// A program header: "MZ", the header table offset and the new header's offset.
std::vector<uint8_t> ProgramFile(uint16_t tableOffset, uint32_t newHeader, const char* signature, size_t length)
{
    std::vector<uint8_t> bytes(length, 0);
    bytes[0] = 'M';
    bytes[1] = 'Z';
    memcpy(&bytes[24], &tableOffset, 2);
    memcpy(&bytes[60], &newHeader, 4);
    if (signature && newHeader + 2 <= length) memcpy(&bytes[newHeader], signature, 2);
    return bytes;
}

TEST(DetectFileFormat, ByContentTheFirstTestThatHoldsNamesTheFormat)
{
    ASSERT_TRUE(Conv().complete);
    ScratchDir dir;
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int result;
        BYTE code;
    };
    const Case cases[] = {
        {"PCX", {0x0A, 5, 1, 8, 0, 0}, 1, 128},
        {"PCX, old first byte", {0xCD, 0, 0, 0}, 1, 128},
        {"one byte of PCX", {0x0A}, 1, 128},
        {"a line feed before GIF", Bytes("\nGIF89a"), 1, 128},
        {"TIFF, Intel order", {'I', 'I', 42, 0, 8, 0, 0, 0}, 1, 130},
        {"TIFF, Motorola order", {'M', 'M', 0, 42, 0, 0, 0, 8}, 1, 130},
        {"MM with 42 little-endian", {'M', 'M', 42, 0, 0, 0, 0, 8}, -2, 0},
        {"TIFF too short", {'I', 'I', 42, 0, 8, 0, 0}, -2, 0},
        {"JPEG", {0xFF, 0xD8, 0xFF, 0xE0}, 1, 133},
        {"program", ProgramFile(64, 128, "PE", 256), 1, 131},
        {"old program", ProgramFile(0x40, 100, "NE", 200), 1, 131},
        {"program header past the end", ProgramFile(64, 5000, nullptr, 256), -2, 0},
        {"program header offset too small", ProgramFile(63, 128, "PE", 256), -2, 0},
        {"MZ without NE or PE", ProgramFile(64, 128, "LE", 256), -2, 0},
        {"icon", {0, 0, 1, 0, 1, 0}, 1, 132},
        {"two zero bytes before GIF", Bytes(std::string("\0\0GIF89a", 8)), 1, 132},
        {"animated cursor", Bytes(std::string("RIFF\x10\0\0\0ACONanih", 16)), 1, 166},
        {"video", Bytes(std::string("RIFF\x10\0\0\0AVI LIST", 16)), 1, 165},
        {"wave", Bytes(std::string("RIFF\x10\0\0\0WAVEfmt ", 16)), -2, 0},
        {"GIF", Bytes("GIF89a\x01\0"), 1, 167},
        {"empty", {}, -2, 0},
        {"one other byte", {'G'}, -2, 0},
        {"bitmap", Bytes("BM6\0\0\0"), -2, 0},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.File("f" + std::to_string(index++) + ".bin");
        ASSERT_TRUE(WriteWholeFile(path, c.bytes));
        BYTE code = 0x55;
        EXPECT_EQ(c.result, Conv().DetectFileFormat(path.c_str(), &code, 1));
        EXPECT_EQ(c.code, code);
    }
    BYTE code = 0x55;
    EXPECT_EQ(-1, Conv().DetectFileFormat(dir.File("missing.pcx").c_str(), &code, 1));
    EXPECT_EQ(0, code);
}

TEST(DetectFileFormat, ByNameOnlyTheLastExtensionCounts)
{
    ASSERT_TRUE(Conv().complete);
    struct Case {
        const char* path;
        int result;
        BYTE code;
    };
    const Case cases[] = {
        {"C:\\x\\photo.JPEG", 1, 133}, {"photo.jpg", 1, 133},  {"a.Gif", 1, 129},  {"scan.TIF", 1, 130},
        {"scan.tiff", 1, 130},         {"old.pcx", 1, 128},    {"app.ico", 1, 132}, {"hand.CUR", 1, 132},
        {"x.tif.gz", -2, 0},           {"d.gif\f", -2, 0},     {"noext", -2, 0},    {"walk.ani", -2, 0},
        {"clip.avi", -2, 0},           {"tool.exe", -2, 0},    {"a.", -2, 0},
    };
    for (const Case& c : cases) {
        BYTE code = 0x55;
        EXPECT_EQ(c.result, Conv().DetectFileFormat(c.path, &code, 0)) << c.path;
        EXPECT_EQ(c.code, code) << c.path;
    }
}

TEST(GetDesiredBitPix, TheDepthEachFormatSavesAt)
{
    ASSERT_TRUE(Conv().complete);
    struct Case {
        int code, bits, answer;
    };
    const Case cases[] = {
        {133, 8, 24},  {133, 32, 24}, {129, 24, 8},  {129, 4, 4},   {167, 16, 8},  {128, 16, 24},
        {128, 32, 24}, {128, 8, 8},   {128, 24, 24}, {130, 16, 24}, {130, 1, 1},   {132, 32, 32},
        {131, 24, 24}, {165, 16, 16}, {166, 8, 8},   {200, 16, 16}, {127, 16, 16}, {0x181, 24, 8},
        {0x285, 8, 24}, {0, 24, 24},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.answer, Conv().GetDesiredBitPix(static_cast<short>(c.code), static_cast<WORD>(c.bits)))
            << "code " << c.code << " depth " << c.bits;
}

// ---- dispatch -------------------------------------------------------------------------------

TEST(LoadConvImage, WithoutAnImageRecordAStillFormatIsRefusedUntouched)
{
    ASSERT_TRUE(Conv().complete);
    ScratchDir dir;
    const std::string path = dir.File("still.pcx");
    ASSERT_TRUE(WriteWholeFile(path, {0x0A, 5, 1, 8, 0, 0, 0, 0}));
    RecordingHost host;
    BYTE code = 0x77;
    EXPECT_EQ(-2, Conv().LoadConvImage(nullptr, path.c_str(), nullptr, &code, 0, RecordingHost::Proc));
    EXPECT_TRUE(host.Requests().empty()) << "no frame was added";
    EXPECT_EQ(0x77, code);
}

TEST(LoadConvImage, DetectionFailuresPassThroughAndClearTheImage)
{
    ASSERT_TRUE(Conv().complete);
    ScratchDir dir;
    const std::string other = dir.File("notes.txt");
    ASSERT_TRUE(WriteWholeFile(other, Bytes("hello")));
    RecordingHost host;
    char message[80] = "";
    ConvImage image{reinterpret_cast<HGLOBAL>(0x1234), 0, message, sizeof message};
    BYTE code = 0;
    EXPECT_EQ(-2, Conv().LoadConvImage(nullptr, other.c_str(), &image, &code, 0, RecordingHost::Proc));
    EXPECT_EQ(nullptr, image.dib);
    image.dib = reinterpret_cast<HGLOBAL>(0x1234);
    EXPECT_EQ(-1, Conv().LoadConvImage(nullptr, dir.File("gone.gif").c_str(), &image, &code, 0, RecordingHost::Proc));
    EXPECT_EQ(nullptr, image.dib);
    EXPECT_EQ(-1, Conv().GetPreviewImage(dir.File("gone.gif").c_str(), &image));
    EXPECT_EQ(-2, Conv().GetPreviewImage(other.c_str(), &image));
    EXPECT_TRUE(host.Requests().empty());
}

// Refuses every dialog window this thread tries to make.
LRESULT CALLBACK RefuseDialogs(int code, WPARAM wParam, LPARAM lParam)
{
    char name[16] = "";
    if (code == HCBT_CREATEWND && GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name) &&
        strcmp(name, "#32770") == 0)
        return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(SaveConvImage, TheOwnerIsFreeAgainWhenNoProgressDialogCouldBeMade)
{
    ASSERT_TRUE(Conv().complete);
    ScratchDir dir;
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    HHOOK hook = SetWindowsHookExA(WH_CBT, RefuseDialogs, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);
    RecordingHost host;
    EXPECT_EQ(-4, Conv().SaveConvImage(owner, dir.File("out.exe").c_str(), nullptr, 131, 1, RecordingHost::Proc));
    UnhookWindowsHookEx(hook);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(0, CountThreadWindows("Converting..."));
    DestroyWindow(owner);
}

TEST(SaveConvImage, AResourceBitmapCannotBeSavedAndTheOwnerIsFreeAfterwards)
{
    ASSERT_TRUE(Conv().complete);
    ScratchDir dir;
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    RecordingHost host;
    EXPECT_EQ(-4, Conv().SaveConvImage(owner, dir.File("out.exe").c_str(), nullptr, 131, 1, RecordingHost::Proc));
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(0, CountThreadWindows("Converting...")) << "the progress dialog was left behind";
    EXPECT_EQ(-4, Conv().SaveConvImage(nullptr, dir.File("out.exe").c_str(), nullptr, 131, 1, RecordingHost::Proc));
    EXPECT_EQ(-4, Conv().SaveConvImage(owner, dir.File("out.bin").c_str(), nullptr, 7, 1, RecordingHost::Proc))
        << "an unknown code";
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_TRUE(host.Requests().empty());
    EXPECT_FALSE(FileExists(dir.File("out.exe")));
    DestroyWindow(owner);
}

TEST(ConvDispatch, CodesWithoutAHandlerAnswerZeroAndTouchNothing)
{
    ASSERT_TRUE(Conv().complete);
    RecordingHost host;
    HGLOBAL settings = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 16);
    for (int code : {0, 7, 128, 129, 130, 131, 132, 133, 165, 200}) {
        SCOPED_TRACE(code);
        EXPECT_EQ(0, Conv().ProcessCommand(nullptr, CONV_CMD_ANIMATION, static_cast<BYTE>(code), settings, 3,
                                           RecordingHost::Proc));
        EXPECT_EQ(0, Conv().NotifyFrameChange(static_cast<BYTE>(code), settings, CONV_FRAME_DELETED, 1,
                                              RecordingHost::Proc));
        char path[MAX_PATH] = "C:\\new.bmx";
        EXPECT_EQ(0, Conv().NewConvFile(nullptr, path, static_cast<BYTE>(code), 0, RecordingHost::Proc));
        EXPECT_STREQ("C:\\new.bmx", path);
    }
    EXPECT_TRUE(host.Requests().empty());
    EXPECT_EQ(16u, GlobalSize(settings)) << "the block is still the editor's";
    GlobalFree(settings);
}

}  // namespace
