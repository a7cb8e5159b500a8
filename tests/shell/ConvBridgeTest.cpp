// The editor's side of the image library: its result and flag mappings, the
// wrappers of its exports on a stand-in library that lacks one export and on
// none at all, loading from the program's folder only, the document's load
// and save through it, and every request of the editor callback on a small
// document, the damaged images of foreign files among them.
#include "ConvBridge.h"
#include "DialogUtilities.h"
#include "DialogTestHooks.h"
#include "DocumentTestSupport.h"
#include "LibraryLoader.h"
#include "RecordingConv.h"
#include "ResultCodes.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

namespace {

// ---- mappings --------------------------------------------------------------------------

TEST(ConvMapping, LibraryResultsBecomeTheEditorsMessageIds)
{
    struct Case {
        int result, mapped;
    };
    for (const Case& c : {Case{1, 1}, {5, 1}, {0x7FFF, 1}, {0, 0}, {-1, 0x8003}, {-2, 0x8004}, {-3, 0x8001},
                          {-4, 0x8004}, {-5, 0x7001}, {-6, 0x8006}, {-7, 0x8005}, {-8, 0x8002}, {-9, 0x8007},
                          {-100, 0x8007}, {-32768, 0x8007}})
        EXPECT_EQ(c.mapped, MapConvResult(c.result)) << c.result;
}

TEST(ConvMapping, AddFlagsBecomeInsertFlags)
{
    g_appState.optionFlags = 2u << OPTION_SAVED_PALETTE_SHIFT;  // UseSavedPalette 2
    struct Case {
        UINT conv;
        bool haveFrames;
        UINT insert;
    };
    const Case cases[] = {
        {0x00, true, 0x000},  {0x01, true, 0x002},  {0x11, true, 0x082},  {0x10, true, 0x080},
        {0x111, true, 0x100}, {0x151, true, 0x140}, {0x0109, true, 0x104}, {0x40, true, 0x040},
        {0x04, true, 0x008},  {0x08, true, 0x004},  {0x0C, true, 0x008},  {0x00, false, 0x010},
        {0x01, false, 0x012}, {0x11, false, 0x012}, {0x02, false, 0x012}, {0x42, false, 0x052},
        {0x4A, false, 0x056}, {0x101, false, 0x012},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.insert, MapConvInsertFlags(c.conv, c.haveFrames))
            << "flags 0x" << std::hex << c.conv << (c.haveFrames ? " with frames" : " into an empty sequence");
    g_appState.optionFlags = 1u << OPTION_SAVED_PALETTE_SHIFT;
    EXPECT_EQ(0x011u, MapConvInsertFlags(0x01, false)) << "the option value itself";
    g_appState.optionFlags = 0;
}

TEST(ConvMapping, FrameCommandsTellTheLibraryTheirKind)
{
    struct Case {
        UINT command;
        int kind;
    };
    for (const Case& c : {Case{400, 2}, {401, 2}, {402, 1}, {403, 1}, {404, 3}, {405, 0}, {399, 0}, {0, 0}})
        EXPECT_EQ(c.kind, FrameChangeKind(c.command)) << c.command;
    for (int format : {0, 128, 133, 165}) EXPECT_FALSE(IsConvDocumentFormat(format)) << format;
    for (int format : {166, 167}) EXPECT_TRUE(IsConvDocumentFormat(format)) << format;
}

// ---- the wrappers --------------------------------------------------------------------------

// A fresh document with the stand-in library (or none) and a menu.
class ConvWrappers : public DocumentTest {
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        g_appState.mainMenu = CreateMenu();
        AppendMenuA(g_appState.mainMenu, MF_STRING, 101, "&New");
    }
    void TearDown() override
    {
        FreeConvLibrary();
        DestroyMenu(g_appState.mainMenu);
        g_appState.mainMenu = nullptr;
        DocumentTest::TearDown();
    }
    bool LoadStandIn()
    {
        if (!LoadConvLibrary("RecordingConv.dll")) return false;
        HMODULE module = GetModuleHandleA("RecordingConv.dll");
        call_ = reinterpret_cast<LastConvCallProc>(reinterpret_cast<void*>(GetProcAddress(module, "LastConvCall")))();
        answer_ = reinterpret_cast<SetConvAnswerProc>(reinterpret_cast<void*>(GetProcAddress(module, "SetConvAnswer")));
        *call_ = {};
        answer_(CONV_OK);
        return true;
    }
    RecordedConvCall* call_ = nullptr;
    SetConvAnswerProc answer_ = nullptr;
};

TEST_F(ConvWrappers, WithoutTheLibraryEveryWrapperQuietlyDoesNothing)
{
    EXPECT_FALSE(LoadConvLibrary("NoSuchLibrary.dll"));
    EXPECT_FALSE(IsConvLibraryLoaded());
    char names[CONV_FORMAT_LIST_BYTES] = "";
    BYTE ids[CONV_MAX_FORMAT_ENTRIES] = {};
    EXPECT_EQ(0, CallGetFormats(names, ids, 7));
    BYTE format = 0;
    EXPECT_EQ(0, CallDetectFileFormat("x.gif", &format, 0));
    EXPECT_EQ(0, CallLoadConvImage(nullptr, "x.gif", nullptr, &format, 0));
    EXPECT_EQ(0, CallSaveConvImage(nullptr, "x.gif", nullptr, 129, 0));
    EXPECT_EQ(0, CallGetDesiredBitPix(129, 24)) << "not loaded at all: 0";
    EXPECT_EQ(0, CallProcessCommand(nullptr, 1001));
    char path[MAX_PATH] = "a.ani";
    EXPECT_EQ(0, CallNewConvFile(nullptr, path, 166));
    char message[80] = "";
    ConvImage image{nullptr, 0, message, sizeof message};
    EXPECT_EQ(0, CallGetPreviewImage("x.gif", &image));
    CallNotifyFrameChange(402, 0);
    HWND list = CreateWindowExA(0, "LISTBOX", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(0, FillConvFormatList(list));
    EXPECT_EQ(0, SendMessageA(list, LB_GETCOUNT, 0, 0));
    DestroyWindow(list);
    EXPECT_EQ(RESULT_UNKNOWN_FORMAT, LoadConvFile(nullptr, "x.pcx", &format));
    EXPECT_EQ(RESULT_LIBRARY_ERROR, SaveConvFile(nullptr, "x.pcx", 128, 0));
}

TEST_F(ConvWrappers, OnlyTheProgramsOwnFolderIsSearched)
{
    ScratchDir elsewhere;
    char beside[MAX_PATH];
    GetModuleFileNameA(nullptr, beside, sizeof beside);
    strcpy(strrchr(beside, '\\') + 1, "RecordingConv.dll");
    ASSERT_TRUE(CopyFileA(beside, elsewhere.File("Elsewhere.dll").c_str(), FALSE));
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    SetCurrentDirectoryA(elsewhere.Path().c_str());
    EXPECT_EQ(nullptr, LoadLibraryBesideProgram("Elsewhere.dll")) << "found in the document's folder";
    HMODULE own = LoadLibraryBesideProgram("RecordingConv.dll");
    EXPECT_NE(nullptr, own);
    if (own) FreeLibrary(own);
    SetCurrentDirectoryA(previous);
    EXPECT_TRUE(LoadConvLibrary()) << "ZelvoConv32.dll beside the test program";
}

TEST_F(ConvWrappers, AMissingExportKeepsTheDefaultDepth)
{
    ASSERT_TRUE(LoadStandIn());
    EXPECT_EQ(24, CallGetDesiredBitPix(129, 24));
    EXPECT_EQ(16, CallGetDesiredBitPix(0, 16));
    FreeConvLibrary();
    ASSERT_TRUE(LoadConvLibrary());  // the real one answers
    EXPECT_EQ(8, CallGetDesiredBitPix(129, 24));
    EXPECT_EQ(16, CallGetDesiredBitPix(0, 16)) << "format 0 is the editor's own";
}

TEST_F(ConvWrappers, EachWrapperHandsOnTheDocumentsValuesAndMapsTheAnswer)
{
    ASSERT_TRUE(LoadStandIn());
    HWND owner = reinterpret_cast<HWND>(0x1234);
    HGLOBAL settings = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 8);
    g_document.conversionFormat = 167;
    g_document.convSettings = settings;
    g_appState.frameCount = 0;

    struct Answer {
        int library, editor;
    };
    for (const Answer& a : {Answer{1, 1}, {3, 1}, {0, 0}, {-3, 0x8001}, {-9, 0x8007}}) {
        answer_(a.library);
        EXPECT_EQ(a.editor, CallProcessCommand(owner, 1001)) << a.library;
    }
    EXPECT_STREQ("ProcessCommand", call_->name);
    EXPECT_EQ(owner, call_->owner);
    EXPECT_EQ(1001, call_->commandId);
    EXPECT_EQ(167, call_->code);
    EXPECT_EQ(settings, call_->settings);
    EXPECT_EQ(HandleConvRequest, call_->host);
    EXPECT_NE(static_cast<UINT>(-1), GetMenuState(g_appState.mainMenu, RECORDING_MENU_ID, MF_BYCOMMAND))
        << "the library's menu request reached the main menu";
    EXPECT_FALSE(TakeConvMenuChanged()) << "the change was taken and the menu bar drawn";

    answer_(CONV_OK);
    CallNotifyFrameChange(402, 3);
    EXPECT_STREQ("NotifyFrameChange", call_->name);
    EXPECT_EQ(CONV_FRAME_INSERTED, call_->kind);
    EXPECT_EQ(3, call_->index);
    EXPECT_EQ(settings, call_->settings);

    char path[MAX_PATH] = "C:\\new.ani";
    EXPECT_EQ(RESULT_OK, CallNewConvFile(owner, path, 166));
    EXPECT_STREQ("NewConvFile", call_->name);
    EXPECT_EQ(166, call_->code);
    EXPECT_EQ(0, call_->flags) << "reserved";

    BYTE format = 0;
    EXPECT_EQ(1, CallDetectFileFormat("a.gif", &format, 1));
    EXPECT_EQ(1, call_->flags);
    answer_(-2);
    EXPECT_EQ(0, CallDetectFileFormat("a.gif", &format, 1));

    answer_(-7);
    EXPECT_EQ(RESULT_CREATE_ERROR, CallSaveConvImage(owner, "out.gif", nullptr, 129, 5));
    EXPECT_EQ(5, call_->frameCount);
    answer_(-1);
    EXPECT_EQ(RESULT_NOT_FOUND, CallLoadConvImage(owner, "in.gif", nullptr, &format, 0));
    g_document.convSettings = nullptr;
    GlobalFree(settings);
}

TEST_F(ConvWrappers, APreviewIsHandedBackOnlyWithTheAnswerOne)
{
    ASSERT_TRUE(LoadStandIn());
    char message[80] = "";
    ConvImage image{nullptr, 0, message, sizeof message};
    EXPECT_EQ(1, CallGetPreviewImage("a.pcx", &image));
    ASSERT_NE(nullptr, image.dib);
    EXPECT_EQ(sizeof(BITMAPINFOHEADER), image.bitsOffset);
    GlobalFree(image.dib);

    image = {nullptr, 0, message, sizeof message};
    answer_(0);
    EXPECT_EQ(0, CallGetPreviewImage("a.exe", &image));
    EXPECT_EQ(nullptr, image.dib);
    EXPECT_STREQ("No picture here", message);
}

TEST_F(ConvWrappers, TheFormatListGetsNameAndExtensionsWithTheCodes)
{
    ASSERT_TRUE(LoadStandIn());
    for (const char* kind : {"LISTBOX", "COMBOBOX"}) {
        HWND list = CreateWindowExA(0, kind, "", WS_POPUP | CBS_DROPDOWNLIST, 0, 0, 200, 100, nullptr, nullptr, nullptr,
                                    nullptr);
        const bool combo = strcmp(kind, "COMBOBOX") == 0;
        EXPECT_EQ(2, FillConvFormatList(list)) << kind;
        EXPECT_EQ(CONV_LIST_ANIMATION, call_->flags);
        char text[80] = "";
        SendMessageA(list, combo ? CB_GETLBTEXT : LB_GETTEXT, 1, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ("Recorded B(*.RB;*.RBB);*.RB;*.RBB", text) << kind;
        EXPECT_EQ(151, SendMessageA(list, combo ? CB_GETITEMDATA : LB_GETITEMDATA, 1, 0)) << kind;
        DestroyWindow(list);
    }
}

TEST_F(ConvWrappers, ASequenceComesThroughTheCallbackAStillImageAsOneFrame)
{
    ASSERT_TRUE(LoadStandIn());
    BYTE format = 0;
    ASSERT_EQ(RESULT_OK, LoadConvFile(nullptr, folder_.File("walk.seq").c_str(), &format));
    EXPECT_FALSE(call_->hadImage) << "a sequence format is read without an image record";
    EXPECT_EQ(RECORDING_SEQUENCE_CODE, format);
    EXPECT_EQ(2, g_appState.frameCount);

    ASSERT_EQ(RESULT_OK, LoadConvFile(nullptr, folder_.File("still.pic").c_str(), &format));
    EXPECT_TRUE(call_->hadImage);
    EXPECT_EQ(2, call_->frameCount) << "the editor's frame count";
    ASSERT_EQ(3, g_appState.frameCount);
    EXPECT_STREQ(folder_.File("still.pic").c_str(), g_document.frameRecords[2].name);
    EXPECT_EQ(0, g_document.frameRecords[2].frameState);
    EXPECT_EQ(RECORDING_STILL_CODE, g_document.frameRecords[2].attribute) << "saved back in its format";

    // A bitmap from a program's resources: the frame takes the name the library
    // wrote into the path, and the caller's own path stays as it was.
    const std::string program = folder_.File("pictures.dll");
    ASSERT_EQ(RESULT_OK, LoadConvFile(nullptr, program.c_str(), &format));
    ASSERT_EQ(4, g_appState.frameCount);
    EXPECT_STREQ(RECORDING_RESOURCE_NAME, g_document.frameRecords[3].name);
    EXPECT_EQ(0, g_document.frameRecords[3].attribute) << "not saved back into the program";
    EXPECT_EQ(folder_.File("pictures.dll"), program);

    answer_(-3);
    EXPECT_EQ(RESULT_READ_ERROR, LoadConvFile(nullptr, folder_.File("bad.pic").c_str(), &format));
    EXPECT_EQ(4, g_appState.frameCount);

    // Saving: a still format gets a packed DIB of the frame, a sequence format none.
    answer_(CONV_OK);
    EXPECT_EQ(RESULT_OK, SaveConvFile(nullptr, folder_.File("out.pcx").c_str(), 128, 1));
    EXPECT_NE(nullptr, call_->dib);
    EXPECT_EQ(ColorCountToBits(g_appState.colorCount), call_->kind) << "the default depth without GetDesiredBitPix";
    EXPECT_EQ(RESULT_OK, SaveConvFile(nullptr, folder_.File("out.gif").c_str(), 167, -1));
    EXPECT_EQ(nullptr, call_->dib);
    EXPECT_EQ(167, call_->code);
    EXPECT_EQ(RESULT_WRITE_ERROR, SaveConvFile(nullptr, folder_.File("out.pcx").c_str(), 128, 9));
}

// ---- the callback ------------------------------------------------------------------------

// A document whose sequence is filled by the callback itself.
class ConvRequests : public DocumentTest {
protected:
    void TearDown() override
    {
        if (g_document.convSettings) GlobalFree(g_document.convSettings);
        g_document.convSettings = nullptr;
        if (g_appState.memoryDC) DeleteDC(g_appState.memoryDC);
        DocumentTest::TearDown();
    }
    static ULONG_PTR Ask(UINT request, void* p = nullptr, ULONG_PTR n = 0) { return HandleConvRequest(request, p, n); }
    // Adds a 16-colour frame of the static colours; the first sets the format.
    static void AddStaticFrame(int width, int height, uint32_t seed, int onlyIndex = -1)
    {
        HGLOBAL dib = MakeStaticColorDib(width, height, seed, onlyIndex);
        ASSERT_EQ(1u, Ask(CONV_REQ_ADD_FRAME, dib, CONV_ADD_USE_COLOR_OPTION));
        GlobalFree(dib);
    }
};

TEST_F(ConvRequests, QueriesOfAnEmptyAndAFilledSequence)
{
    uint32_t value = 0x55;
    EXPECT_EQ(0u, Ask(CONV_REQ_QUERY, nullptr, CONV_QUERY_FRAME_COUNT));
    EXPECT_EQ(255u, Ask(CONV_REQ_QUERY, nullptr, CONV_QUERY_FREE_FRAMES));
    EXPECT_EQ(-1, static_cast<int>(Ask(CONV_REQ_QUERY, nullptr, CONV_QUERY_CURRENT_FRAME)));
    EXPECT_EQ(0u, Ask(CONV_REQ_QUERY, &value, CONV_QUERY_FRAME_SIZE)) << "needs frames";
    EXPECT_EQ(0x55u, value);

    AddStaticFrame(24, 16, 1);
    AddStaticFrame(24, 16, 2);
    g_appState.currentFrame = 1;
    EXPECT_EQ(2u, Ask(CONV_REQ_QUERY, nullptr, CONV_QUERY_FRAME_COUNT));
    EXPECT_EQ(253u, Ask(CONV_REQ_QUERY, nullptr, CONV_QUERY_FREE_FRAMES));
    EXPECT_EQ(1u, Ask(CONV_REQ_QUERY, nullptr, CONV_QUERY_CURRENT_FRAME));
    EXPECT_EQ(16u, Ask(CONV_REQ_QUERY, nullptr, CONV_QUERY_COLOR_COUNT));
    EXPECT_EQ(1u, Ask(CONV_REQ_QUERY, &value, CONV_QUERY_FRAME_SIZE));
    EXPECT_EQ(16u << 16 | 24u, value);
    EXPECT_EQ(0u, Ask(CONV_REQ_QUERY, nullptr, CONV_QUERY_FRAME_SIZE)) << "needs a place to write";

    COLORREF color = 0x55;
    SetSequenceTransparentCode(TRANSPARENT_NONE);
    EXPECT_EQ(0u, Ask(CONV_REQ_QUERY, &color, CONV_QUERY_TRANSPARENT_COLOR));
    SetSequenceTransparentCode(9);
    EXPECT_EQ(1u, Ask(CONV_REQ_QUERY, &color, CONV_QUERY_TRANSPARENT_COLOR));
    EXPECT_EQ(RGB(255, 0, 0), color);

    g_appState.optionFlags = OPTION_DITHER_ON_OPEN;
    EXPECT_EQ(1u, Ask(CONV_REQ_QUERY, nullptr, CONV_QUERY_DITHER_ON_OPEN));
    g_appState.optionFlags = 0;
    EXPECT_EQ(0u, Ask(CONV_REQ_QUERY, nullptr, CONV_QUERY_DITHER_ON_OPEN));
    EXPECT_EQ(0u, Ask(CONV_REQ_QUERY, nullptr, 7));
    for (UINT refused : {1u, 18u, 22u, 0xFFFFu}) EXPECT_EQ(0u, Ask(refused, &value, 0)) << refused;
}

TEST_F(ConvRequests, AddedFramesGetADefaultNameAndAClearedState)
{
    AddStaticFrame(24, 16, 3);
    AddStaticFrame(24, 16, 4, 6);
    ASSERT_EQ(2, g_appState.frameCount);
    EXPECT_EQ(24, g_appState.frameWidth);
    EXPECT_EQ(COLORS_16, g_appState.colorCount) << "the first frame set the format";
    for (int i = 0; i < 2; ++i) {
        ASSERT_NE(nullptr, g_document.frameRecords[i].name);
        EXPECT_NE(nullptr, strstr(g_document.frameRecords[i].name, "Frame%d.bmp")) << g_document.frameRecords[i].name;
        EXPECT_EQ(0, g_document.frameRecords[i].frameState);
    }
    EXPECT_EQ(std::vector<uint8_t>(12 * 16, 0x66), EditorFrameRows(1, 4));
    EXPECT_EQ(2, g_document.sequenceTable[0].frameCount);
}

TEST_F(ConvRequests, AFullSequenceRefusesMoreFrames)
{
    AddStaticFrame(8, 8, 5);
    g_appState.frameCount = 255;  // the records beyond the first are never read on this road
    HGLOBAL dib = MakeStaticColorDib(8, 8, 6);
    EXPECT_EQ(0u, Ask(CONV_REQ_QUERY, nullptr, CONV_QUERY_FREE_FRAMES));
    EXPECT_EQ(0u, Ask(CONV_REQ_ADD_FRAME, dib, 0));
    EXPECT_EQ(0u, Ask(CONV_REQ_ADD_FRAME_MASKED, dib, 0));
    EXPECT_EQ(255, g_appState.frameCount);
    g_appState.frameCount = 1;
    GlobalFree(dib);
}

// A packed DIB as a foreign file may hand it in: header fields, table and rows given.
HGLOBAL RawDib(int width, int height, int bits, DWORD colorsUsed, size_t tableEntries, size_t rowBytes)
{
    const size_t size = sizeof(BITMAPINFOHEADER) + tableEntries * sizeof(RGBQUAD) + rowBytes;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* h = static_cast<BITMAPINFOHEADER*>(GlobalLock(block));
    *h = {sizeof *h, width, height, 1, static_cast<WORD>(bits), BI_RGB, 0, 0, 0, colorsUsed, 0};
    GlobalUnlock(block);
    return block;
}

TEST_F(ConvRequests, DamagedImagesOfForeignFilesAreRefused)
{
    AddStaticFrame(8, 8, 7);
    struct Case {
        const char* what;
        UINT request;
        HGLOBAL dib;
    };
    const uint32_t stride4 = DibStride(8, 4), mask = DibStride(8, 1);
    const Case cases[] = {
        {"17 colours at 4 bits", CONV_REQ_ADD_FRAME, RawDib(8, 8, 4, 17, 17, stride4 * 8)},
        {"rows past the block", CONV_REQ_ADD_FRAME, RawDib(8, 8, 4, 0, 16, stride4 * 8 - 1)},
        {"a huge height", CONV_REQ_ADD_FRAME, RawDib(8, 0x7FFFFFFF, 8, 0, 256, 64)},
        {"a depth of 3", CONV_REQ_ADD_FRAME, RawDib(8, 8, 3, 0, 8, 64)},
        {"no rows for the mask", CONV_REQ_ADD_FRAME_MASKED, RawDib(8, 16, 4, 0, 16, stride4 * 8)},
        {"the mask one byte short", CONV_REQ_ADD_FRAME_MASKED, RawDib(8, 16, 4, 0, 16, (stride4 + mask) * 8 - 1)},
        {"300 colours at 8 bits, masked", CONV_REQ_ADD_FRAME_MASKED, RawDib(8, 16, 8, 300, 300, 8 * 12 * 8)},
        {"one row cannot hold a mask", CONV_REQ_ADD_FRAME_MASKED, RawDib(8, 1, 4, 0, 16, stride4 + mask)},
        {"no block", CONV_REQ_ADD_FRAME, nullptr},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(0u, Ask(c.request, c.dib, 0)) << c.what;
        if (c.dib) GlobalFree(c.dib);
    }
    EXPECT_EQ(1, g_appState.frameCount);
    HGLOBAL fits = RawDib(8, 16, 4, 16, 16, (stride4 + mask) * 8);
    EXPECT_EQ(1u, Ask(CONV_REQ_ADD_FRAME_MASKED, fits, 0)) << "the same image whole";
    GlobalFree(fits);
}

TEST_F(ConvRequests, FrameNamesAreNumberedWithoutBeingReadAsFormats)
{
    for (int i = 0; i < 5; ++i) AddStaticFrame(8, 8, 10 + i);
    char name[MAX_PATH + 16];
    struct Case {
        int frame;
        const char* stored;
        const char* expected;
    };
    const Case cases[] = {
        {4, "C:\\anim\\Frame%D.bmp", "C:\\anim\\Frame5.bmp"},
        {2, "run%d.pcx", "run3.pcx"},
        {0, "%s%x%n%d.bmp", "%s%x%n1.bmp"},
        {1, "plain.bmp", "plain.bmp"},
        {3, "a%d%d.bmp", "a4%d.bmp"},
    };
    for (const Case& c : cases) {
        SetFrameFileName(c.frame, c.stored);
        memset(name, 0x55, sizeof name);
        EXPECT_EQ(1u, Ask(CONV_REQ_GET_FRAME_NAME, name, c.frame)) << c.stored;
        EXPECT_STREQ(c.expected, name);
    }
    std::string longName(400, 'n');
    longName += "%d.bmp";
    SetFrameFileName(0, longName.c_str());
    memset(name, 0x55, sizeof name);
    EXPECT_EQ(1u, Ask(CONV_REQ_GET_FRAME_NAME, name, 0));
    EXPECT_EQ(MAX_PATH - 1, static_cast<int>(strlen(name))) << "cut to the buffer";
    for (size_t i = MAX_PATH; i < sizeof name; ++i) EXPECT_EQ('\x55', name[i]) << "written past 260 bytes";

    SetFrameFileName(1, nullptr);
    EXPECT_EQ(0u, Ask(CONV_REQ_GET_FRAME_NAME, name, 1)) << "no name";
    EXPECT_EQ(0u, Ask(CONV_REQ_GET_FRAME_NAME, name, 5)) << "no such frame";
}

TEST_F(ConvRequests, SettingAFrameNameNeedsAFrameAndKeepsTheAttribute)
{
    for (int i = 0; i < 3; ++i) AddStaticFrame(8, 8, 20 + i);
    const ULONG_PTR stored = Ask(CONV_REQ_SET_FRAME_NAME, const_cast<char*>("C:\\icons\\a.ico"), 2 | 0x84 << 8);
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(g_document.frameRecords[2].name), stored);
    EXPECT_STREQ("C:\\icons\\a.ico", g_document.frameRecords[2].name);
    EXPECT_EQ(0x84, g_document.frameRecords[2].attribute);
    Ask(CONV_REQ_SET_FRAME_NAME, const_cast<char*>("b.ico"), 2);
    EXPECT_STREQ("b.ico", g_document.frameRecords[2].name);
    EXPECT_EQ(0x84, g_document.frameRecords[2].attribute) << "no attribute given: kept";
    for (ULONG_PTR n : {ULONG_PTR{3}, ULONG_PTR{255}, ULONG_PTR{255 | 0x84 << 8}})
        EXPECT_EQ(0u, Ask(CONV_REQ_SET_FRAME_NAME, const_cast<char*>("x"), n)) << n;
}

TEST_F(ConvRequests, HotSpotsAreKeptInTheEightBitOffsets)
{
    for (int i = 0; i < 2; ++i) AddStaticFrame(8, 8, 30 + i);
    g_appState.currentFrame = 1;
    struct Case {
        uint32_t set, got;
        int8_t offsetX, offsetY;
    };
    const Case cases[] = {
        {5u << 16 | 3u, 5u << 16 | 3u, -3, -5},
        {200u, 128u, -128, 0},                         // beyond the offsets: the nearest that fits
        {300u << 16 | 127u, 128u << 16 | 127u, -127, -128},
        {0xFFFDu, 0xFFFDu, 3, 0},                      // -3
        {0xFF00u << 16, 0xFF810000u, 0, 127},          // -256 cut to -127
    };
    uint32_t value = 0;
    for (const Case& c : cases) {
        EXPECT_EQ(1u, Ask(CONV_REQ_SET_HOTSPOT, reinterpret_cast<void*>(static_cast<ULONG_PTR>(c.set)), 0));
        EXPECT_EQ(c.offsetX, g_document.sequenceImages[0].offsetX[0]) << std::hex << c.set;
        EXPECT_EQ(c.offsetY, g_document.sequenceImages[0].offsetY[0]) << std::hex << c.set;
        EXPECT_EQ(1u, Ask(CONV_REQ_GET_HOTSPOT, &value, 0));
        EXPECT_EQ(c.got, value) << std::hex << c.set;
    }
    EXPECT_EQ(1u, Ask(CONV_REQ_SET_HOTSPOT, reinterpret_cast<void*>(ULONG_PTR{9}), static_cast<ULONG_PTR>(-1)));
    EXPECT_EQ(-9, g_document.sequenceImages[0].offsetX[1]) << "n < 0: the current frame";
    EXPECT_EQ(0u, Ask(CONV_REQ_SET_HOTSPOT, nullptr, 2));
    EXPECT_EQ(0u, Ask(CONV_REQ_GET_HOTSPOT, &value, 2));
}

TEST_F(ConvRequests, TheSettingsBlockIsReplacedOnlyByAnotherOne)
{
    HGLOBAL first = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 2246);
    HGLOBAL second = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 11304);
    g_document.conversionFormat = 166;
    EXPECT_EQ(1u, Ask(CONV_REQ_SET_SETTINGS, first));
    HGLOBAL held = nullptr;
    EXPECT_EQ(166u, Ask(CONV_REQ_GET_SETTINGS, &held));
    EXPECT_EQ(first, held);
    EXPECT_EQ(1u, Ask(CONV_REQ_SET_SETTINGS, first)) << "the block already held";
    EXPECT_EQ(2246u, GlobalSize(first)) << "kept, not freed";
    EXPECT_EQ(1u, Ask(CONV_REQ_SET_SETTINGS, second));
    EXPECT_EQ(second, g_document.convSettings);
    EXPECT_EQ(0u, GlobalSize(first)) << "the replaced block was freed";
}

TEST_F(ConvRequests, MenuRequestsChangeTheMainMenu)
{
    HMENU menu = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 101, "&New");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    for (const char* title : {"&Edit", "&Options", "&Frames", "&Effects", "&Sequence"}) AppendMenuA(menu, MF_STRING, 0, title);
    AppendMenuA(menu, MF_STRING, 405, "Change &Format...");
    g_appState.mainMenu = menu;
    TakeConvMenuChanged();

    ConvMenuRequest remove{CONV_MENU_REMOVE, 5, 0, MF_BYPOSITION, nullptr};
    EXPECT_EQ(1u, Ask(CONV_REQ_MENU_ITEM, &remove));
    EXPECT_TRUE(TakeConvMenuChanged());
    EXPECT_EQ(6, GetMenuItemCount(menu));
    ConvMenuRequest insert{CONV_MENU_INSERT, 5, 1001, MF_BYPOSITION | MF_STRING, "&Animation..."};
    EXPECT_EQ(1u, Ask(CONV_REQ_MENU_ITEM, &insert));
    EXPECT_EQ(1001u, GetMenuItemID(menu, 5));
    ConvMenuRequest modify{CONV_MENU_MODIFY, 405, 1002, MF_BYCOMMAND | MF_STRING, "Change &Format...\bStrg+F"};
    EXPECT_EQ(1u, Ask(CONV_REQ_MENU_ITEM, &modify));
    char text[64] = "";
    GetMenuStringA(menu, 1002, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ("Change &Format...\bStrg+F", text);
    EXPECT_EQ(static_cast<UINT>(-1), GetMenuState(menu, 405, MF_BYCOMMAND));
    TakeConvMenuChanged();
    ConvMenuRequest other{4, 0, 0, 0, nullptr};
    EXPECT_EQ(0u, Ask(CONV_REQ_MENU_ITEM, &other));
    EXPECT_FALSE(TakeConvMenuChanged()) << "a refused op changes nothing";
    EXPECT_EQ(7, GetMenuItemCount(menu));
    DestroyMenu(menu);
    g_appState.mainMenu = nullptr;
}

TEST_F(ConvRequests, IconImagesOfAbsurdSizesAreRefused)
{
    AddStaticFrame(16, 8, 40, 3);
    SetSequenceTransparentCode(TRANSPARENT_NONE);
    for (uint32_t wanted : {0xFFFFFFFFu, 2049u << 16 | 16u, 16u << 16 | 2049u}) {
        uint32_t size = wanted;
        EXPECT_EQ(0u, Ask(CONV_REQ_GET_ICON_IMAGE, &size, 0)) << std::hex << wanted;
        EXPECT_EQ(wanted, size);
    }
    uint32_t size = 2048u << 16 | 2048u;
    const ULONG_PTR big = Ask(CONV_REQ_GET_ICON_IMAGE, &size, 0);
    ASSERT_NE(0u, big) << "the largest size still works";
    EXPECT_EQ(40u + 64u + (1024u + 256u) * 2048u, size);
    GlobalFree(reinterpret_cast<HGLOBAL>(big));
}

TEST_F(ConvRequests, AnIconImageCarriesTheFrameAndAMaskOfItsTransparentColour)
{
    // Frame: left half colour 3, right half colour 12 (the transparent one).
    HGLOBAL dib = MakeStaticColorDib(16, 8, 0, 3);
    {
        GlobalLockGuard<BYTE> p(dib);
        for (int y = 0; y < 8; ++y)
            for (int x = 8; x < 16; ++x) DibPutPixel(DibBits(p.get()) + y * DibStride(16, 4), x, 4, 12);
    }
    ASSERT_EQ(1u, Ask(CONV_REQ_ADD_FRAME, dib, 0));
    GlobalFree(dib);
    SetSequenceTransparentCode(12);

    uint32_t size = 0;  // the frame's own size
    HGLOBAL icon = reinterpret_cast<HGLOBAL>(Ask(CONV_REQ_GET_ICON_IMAGE, &size, 5 /* no such frame: the current */));
    ASSERT_NE(nullptr, icon);
    const uint32_t imageStride = DibStride(16, 4), maskStride = DibStride(16, 1);
    EXPECT_EQ(40u + 16u * 4u + (imageStride + maskStride) * 8u, size);
    EXPECT_EQ(size, GlobalSize(icon));
    GlobalLockGuard<BYTE> p(icon);
    const BITMAPINFOHEADER* h = DibHeader(p.get());
    EXPECT_EQ(16, h->biWidth);
    EXPECT_EQ(16, h->biHeight) << "image and mask";
    EXPECT_EQ(4, h->biBitCount);
    const BYTE* image = p.get() + 40 + 16 * 4;
    const BYTE* mask = image + imageStride * 8;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(x >= 8 ? 1 : 0, DibPixelAt(mask + y * maskStride, x, 1)) << x << "," << y;
            EXPECT_EQ(x >= 8 ? 0 : 3, DibPixelAt(image + y * imageStride, x, 4)) << x << "," << y;
        }
    GlobalFree(icon);
}

TEST_F(ConvRequests, FrameBitsFillTheCallersImageThroughThePalette)
{
    AddStaticFrame(12, 6, 50);
    AddStaticFrame(12, 6, 51);
    struct Dib {
        BITMAPINFOHEADER header;
        RGBQUAD colors[16];
        BYTE rows[8 * 6];
        BYTE guard[8];
    };
    Dib dib{};
    dib.header = {sizeof dib.header, 12, 6, 1, 4, BI_RGB, 0, 0, 0, 0, 0};
    memset(dib.guard, 0x55, sizeof dib.guard);
    ASSERT_EQ(1u, Ask(CONV_REQ_GET_FRAME_BITS, &dib.header, 1));
    EXPECT_EQ(16u, dib.header.biClrUsed) << "set when it was 0";
    EXPECT_EQ(EditorFrameRows(1, 4), std::vector<uint8_t>(dib.rows, dib.rows + sizeof dib.rows));
    EXPECT_EQ(255, dib.colors[15].rgbRed);
    for (BYTE b : dib.guard) EXPECT_EQ(0x55, b);

    // A table of two entries: the rows follow it, nothing is written past them.
    struct Short {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
        BYTE rows[8 * 6];
        BYTE guard[8];
    } small{};
    small.header = {sizeof small.header, 12, 6, 1, 4, BI_RGB, 0, 0, 0, 2, 0};
    memset(small.guard, 0x55, sizeof small.guard);
    ASSERT_EQ(1u, Ask(CONV_REQ_GET_FRAME_BITS, &small.header, 0));
    EXPECT_EQ(EditorFrameRows(0, 4), std::vector<uint8_t>(small.rows, small.rows + sizeof small.rows));
    for (BYTE b : small.guard) EXPECT_EQ(0x55, b);

    dib.header.biClrUsed = 17;
    EXPECT_EQ(0u, Ask(CONV_REQ_GET_FRAME_BITS, &dib.header, 0)) << "more colours than 4 bits hold";
    dib.header.biClrUsed = 0;
    dib.header.biWidth = 13;
    EXPECT_EQ(0u, Ask(CONV_REQ_GET_FRAME_BITS, &dib.header, 0)) << "not the frame size";
    dib.header.biWidth = 12;
    EXPECT_EQ(0u, Ask(CONV_REQ_GET_FRAME_BITS, &dib.header, 2)) << "no such frame";
}

TEST_F(ConvRequests, ColourTablesPalettesAndFrameBitmaps)
{
    AddStaticFrame(8, 8, 60);
    struct {
        BITMAPINFOHEADER header;
        PALETTEENTRY colors[256];
    } info{};
    EXPECT_EQ(1u, Ask(CONV_REQ_GET_COLOR_TABLE, &info, 4));
    EXPECT_EQ(4, info.header.biBitCount);
    EXPECT_EQ(16u, info.header.biClrUsed);
    EXPECT_EQ(16u, info.header.biClrImportant);
    PALETTEENTRY expected[16];
    GetPaletteEntries(g_appState.documentPalette, 0, 16, expected);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(expected[i].peRed, info.colors[i].peRed) << i;
        EXPECT_EQ(expected[i].peBlue, info.colors[i].peBlue) << i;
    }
    EXPECT_EQ(1u, Ask(CONV_REQ_GET_COLOR_TABLE, &info, 2));
    EXPECT_EQ(4u, info.header.biClrUsed);
    EXPECT_EQ(1u, Ask(CONV_REQ_GET_COLOR_TABLE, &info, 24));
    EXPECT_EQ(24, info.header.biBitCount);
    for (ULONG_PTR refused : {0u, 1u, 3u, 16u, 32u}) EXPECT_EQ(0u, Ask(CONV_REQ_GET_COLOR_TABLE, &info, refused)) << refused;

    HPALETTE palette = nullptr;
    EXPECT_EQ(1u, Ask(CONV_REQ_GET_PALETTE, &palette, 0));
    EXPECT_EQ(g_appState.documentPalette, palette);
    EXPECT_EQ(1u, Ask(CONV_REQ_GET_PALETTE, &palette, 1));
    EXPECT_EQ(g_appState.displayPalette, palette);

    g_appState.memoryDC = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = nullptr;
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(g_appState.memoryDC), Ask(CONV_REQ_GET_FRAME_BITMAP, &bitmap, 0));
    EXPECT_EQ(g_appState.frameBitmaps[0], bitmap);
    EXPECT_EQ(0u, Ask(CONV_REQ_GET_FRAME_BITMAP, &bitmap, 1));
}

TEST_F(ConvRequests, AMaskedFirstFramePicksTheFirstUnusedStaticColour)
{
    // A 4-bit image of colours 6 and 5 with its right half masked.
    const int width = 8, height = 8;
    const uint32_t stride = DibStride(width, 4), maskStride = DibStride(width, 1);
    HGLOBAL block = RawDib(width, height * 2, 4, 16, 16, (stride + maskStride) * height);
    {
        GlobalLockGuard<BYTE> p(block);
        for (int i = 0; i < 16; ++i)
            DibColors(p.get())[i] = {STATIC_COLORS[i].peBlue, STATIC_COLORS[i].peGreen, STATIC_COLORS[i].peRed, 0};
        BYTE* rows = DibBits(p.get());
        BYTE* mask = rows + stride * height;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                DibPutPixel(rows + y * stride, x, 4, x < 4 ? (y & 1 ? 6 : 5) : 0);
                DibPutPixel(mask + y * maskStride, x, 1, x >= 4);
            }
    }
    ASSERT_EQ(1u, Ask(CONV_REQ_ADD_FRAME_MASKED, block, 0x11));
    EXPECT_EQ(14, g_document.sequenceTable[0].transparentColorCode) << "6 and 5 are in use";
    const std::vector<uint8_t> rows = EditorFrameRows(0, 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            EXPECT_EQ(x < 4 ? (y & 1 ? 6 : 5) : 14, DibPixelAt(rows.data() + y * 4, x, 4)) << x << "," << y;

    // A later frame: its masked pixels take the sequence's colour.
    ASSERT_EQ(1u, Ask(CONV_REQ_ADD_FRAME_MASKED, block, 0x111));
    EXPECT_EQ(rows, EditorFrameRows(1, 4));
    GlobalFree(block);
}

TEST_F(ConvRequests, AOneBitMaskedImageStartsAThreeColourSequence)
{
    const int width = 16, height = 4;
    const uint32_t stride = DibStride(width, 1);
    HGLOBAL block = RawDib(width, height * 2, 1, 2, 2, stride * height * 2);
    {
        GlobalLockGuard<BYTE> p(block);
        DibColors(p.get())[1] = {255, 255, 255, 0};
        BYTE* rows = DibBits(p.get());
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                DibPutPixel(rows + y * stride, x, 1, x & 1);
                DibPutPixel(rows + (height + y) * stride, x, 1, y == 0);  // the bottom row is masked
            }
    }
    ASSERT_EQ(1u, Ask(CONV_REQ_ADD_FRAME_MASKED, block, 0x11));
    GlobalFree(block);
    EXPECT_EQ(COLORS_3, g_appState.colorCount);
    EXPECT_EQ(16, g_appState.frameWidth);
    EXPECT_EQ(4, g_appState.frameHeight);
    EXPECT_EQ(6, g_document.sequenceTable[0].transparentColorCode) << "black and white leave 6 free";
    const std::vector<uint8_t> rows = EditorFrameRows(0, 4);
    for (int x = 0; x < width; ++x) {
        EXPECT_EQ(2, DibPixelAt(rows.data(), x, 4)) << "masked: the transparent entry";
        EXPECT_EQ(x & 1, DibPixelAt(rows.data() + 3 * DibStride(width, 4), x, 4)) << x;
    }
}

TEST_F(ConvRequests, TheTransparentColourOfAnImportedImage)
{
    AddStaticFrame(8, 8, 0, 9);
    SetSequenceTransparentCode(TRANSPARENT_NONE);
    const BYTE red[3] = {0, 0, 255};  // blue, green, red
    ConvTransparentColor request{red, 1};
    EXPECT_EQ(1u, Ask(CONV_REQ_SET_TRANSPARENT_COLOR, &request));
    EXPECT_EQ(9, g_document.sequenceTable[0].transparentColorCode) << "a static colour becomes the code";

    // With another transparent colour set, the last frame's red turns into it.
    SetSequenceTransparentCode(2);
    AddStaticFrame(8, 8, 0, 9);
    EXPECT_EQ(1u, Ask(CONV_REQ_SET_TRANSPARENT_COLOR, &request));
    EXPECT_EQ(2, g_document.sequenceTable[0].transparentColorCode);
    EXPECT_EQ(std::vector<uint8_t>(4 * 8, 0x22), EditorFrameRows(1, 4));
    EXPECT_EQ(std::vector<uint8_t>(4 * 8, 0x99), EditorFrameRows(0, 4)) << "only the last frame";

    ConvTransparentColor none{nullptr, 1};
    EXPECT_EQ(0u, Ask(CONV_REQ_SET_TRANSPARENT_COLOR, &none));
}

std::vector<std::string> g_chooserCalls;

int ChooseForTest(HWND owner, UINT flags, UINT titleId, UINT firstTypeId, char* path, int* type)
{
    g_chooserCalls.push_back(std::to_string(flags) + " " + std::to_string(titleId) + " " +
                             std::to_string(firstTypeId) + " " + path);
    strcpy(path, "C:\\sounds\\ding.wav");
    return 1;
}

int g_formatChange[4];

int ChangeFormatForTest(int width, int height, int colors, UINT flags)
{
    g_formatChange[0] = width, g_formatChange[1] = height, g_formatChange[2] = colors;
    g_formatChange[3] = static_cast<int>(flags);
    return 1;
}

TEST_F(ConvRequests, FilesAndFormatChangesGoToTheEditorsOwnDialogs)
{
    char path[MAX_PATH] = "WAVE Files(*.WAV)|*.WAV";
    EXPECT_EQ(0u, Ask(CONV_REQ_CHOOSE_FILE, path)) << "no chooser";
    g_appState.hooks.chooseFile = ChooseForTest;
    g_chooserCalls.clear();
    EXPECT_EQ(1u, Ask(CONV_REQ_CHOOSE_FILE, path));
    ASSERT_EQ(1u, g_chooserCalls.size());
    EXPECT_EQ("0 829 0 WAVE Files(*.WAV)|*.WAV", g_chooserCalls[0]) << "title 829, the filter as the first type";
    EXPECT_STREQ("C:\\sounds\\ding.wav", path);

    AddStaticFrame(8, 8, 70);
    SetSequenceTransparentCode(TRANSPARENT_NONE);
    ConvFormatChange change{32, 32, 3, 1, 0};
    EXPECT_EQ(0u, Ask(CONV_REQ_CHANGE_FORMAT, &change)) << "nothing changes the frames yet";
    g_appState.hooks.changeFrameFormat = ChangeFormatForTest;
    EXPECT_EQ(1u, Ask(CONV_REQ_CHANGE_FORMAT, &change));
    EXPECT_EQ(32, g_formatChange[0]);
    EXPECT_EQ(3, g_formatChange[2]);
    EXPECT_EQ(1, g_formatChange[3]) << "stretched";
    EXPECT_EQ(6, g_document.sequenceTable[0].transparentColorCode) << "three colours need a transparent one";
}

// A colour dialog that answers at once with the value the test set, noting
// how it was started.
struct ColourDialogCall {
    int templateId;
    HWND owner;
    LPARAM initParam;
};
std::vector<ColourDialogCall> g_colourDialogs;
INT_PTR g_colourAnswer = 0;

template <int TemplateId>
INT_PTR CALLBACK AnsweringColourDialog(HWND dialog, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG) return FALSE;
    g_colourDialogs.push_back({TemplateId, GetWindow(dialog, GW_OWNER), lParam});
    EndDialog(dialog, g_colourAnswer);
    return TRUE;
}

class ConvColourChoices : public ConvRequests {
protected:
    void SetUp() override
    {
        ConvRequests::SetUp();
        ASSERT_TRUE(RegisterDialogProcedure(IDD_REPLACE_CURRENT_COLOR, AnsweringColourDialog<IDD_REPLACE_CURRENT_COLOR>));
        ASSERT_TRUE(RegisterDialogProcedure(IDD_REPLACE_PALETTE_COLOR, AnsweringColourDialog<IDD_REPLACE_PALETTE_COLOR>));
        ASSERT_TRUE(RegisterDialogProcedure(IDD_TRANSPARENT_COLOR, AnsweringColourDialog<IDD_TRANSPARENT_COLOR>));
        owner_ = CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
        g_colourDialogs.clear();
    }
    void TearDown() override
    {
        for (int id : {IDD_REPLACE_CURRENT_COLOR, IDD_REPLACE_PALETTE_COLOR, IDD_TRANSPARENT_COLOR})
            RegisterDialogProcedure(id, PendingDialogProc);
        if (owner_) DestroyWindow(owner_);
        ConvRequests::TearDown();
    }
    // Request 19 answered with `cell`; the index handed back to the library.
    INT_PTR ChooseColour(INT_PTR cell, int start = 3)
    {
        g_colourAnswer = cell;
        return static_cast<INT_PTR>(Ask(CONV_REQ_CHOOSE_COLOR, reinterpret_cast<void*>(static_cast<INT_PTR>(start)),
                                        reinterpret_cast<ULONG_PTR>(owner_)));
    }
    HWND owner_ = nullptr;
};

TEST_F(ConvColourChoices, AColourCellOfASmallFormatMapsOntoTheFullerDisplayPalette)
{
    AddStaticFrame(8, 8, 1);
    ASSERT_EQ(COLORS_16, g_appState.colorCount);
    g_appState.mainWindow = owner_;
    struct Case {
        const char* what;
        int display, paletteSize;
        INT_PTR cell, index;
    };
    const Case cases[] = {
        {"a low cell stays", COLORS_32BIT, 256, 5, 5},
        {"an upper cell goes to the far end", COLORS_32BIT, 256, 9, 249},
        {"the last cell", COLORS_32BIT, 256, 15, 255},
        {"system palette: cell 13 loses 4, then gains 240", COLORS_32BIT, SYSTEM_PALETTE_SIZE, 13, 249},
        {"system palette: cell 11 only gains 240", COLORS_32BIT, SYSTEM_PALETTE_SIZE, 11, 251},
        {"system palette: cell 7 stays", COLORS_32BIT, SYSTEM_PALETTE_SIZE, 7, 7},
        {"a 16-colour display counts cells as they are", COLORS_16, 256, 9, 9},
        {"cancelled", COLORS_32BIT, 256, -1, -1},
    };
    for (const Case& c : cases) {
        g_appState.displayColorCount = c.display;
        g_appState.toolColors.paletteSize = c.paletteSize;
        g_colourDialogs.clear();
        EXPECT_EQ(c.index, ChooseColour(c.cell, 6)) << c.what;
        ASSERT_EQ(1u, g_colourDialogs.size()) << c.what;
        EXPECT_EQ(IDD_REPLACE_CURRENT_COLOR, g_colourDialogs[0].templateId) << c.what;
        EXPECT_EQ(6, g_colourDialogs[0].initParam) << "the library's initial index";
    }

    // Owner 0 stands for the main window.
    g_colourDialogs.clear();
    g_colourAnswer = 2;
    EXPECT_EQ(2u, Ask(CONV_REQ_CHOOSE_COLOR, nullptr, 0));
    ASSERT_EQ(1u, g_colourDialogs.size());
    EXPECT_EQ(owner_, g_colourDialogs[0].owner);
}

TEST_F(ConvColourChoices, TwoHundredFiftySixColoursUseThePaletteDialogUnmapped)
{
    AddStaticFrame(8, 8, 2);
    g_appState.colorCount = COLORS_256;
    g_appState.toolColors.paletteSize = SYSTEM_PALETTE_SIZE;
    EXPECT_EQ(200, ChooseColour(200, 17));
    ASSERT_EQ(1u, g_colourDialogs.size());
    EXPECT_EQ(IDD_REPLACE_PALETTE_COLOR, g_colourDialogs[0].templateId);
    EXPECT_EQ(owner_, g_colourDialogs[0].owner);
    EXPECT_EQ(17, g_colourDialogs[0].initParam);
}

TEST_F(ConvColourChoices, TheTransparentColourDialogAnswersWithTheSequencesCode)
{
    AddStaticFrame(8, 8, 3);
    SetSequenceTransparentCode(9);
    g_colourAnswer = 5;
    EXPECT_EQ(5u, Ask(CONV_REQ_CHOOSE_TRANSPARENT_COLOR, nullptr, reinterpret_cast<ULONG_PTR>(owner_)));
    EXPECT_EQ(5, GetSequenceTransparentCode());
    ASSERT_EQ(1u, g_colourDialogs.size());
    EXPECT_EQ(IDD_TRANSPARENT_COLOR, g_colourDialogs[0].templateId);
    EXPECT_EQ(owner_, g_colourDialogs[0].owner);
    EXPECT_EQ(9, g_colourDialogs[0].initParam) << "the dialog starts on the current code";

    // Cancelled: the code stays and is still the answer.
    g_colourAnswer = -1;
    EXPECT_EQ(5u, Ask(CONV_REQ_CHOOSE_TRANSPARENT_COLOR, nullptr, reinterpret_cast<ULONG_PTR>(owner_)));
    EXPECT_EQ(5, GetSequenceTransparentCode());
}

}  // namespace
