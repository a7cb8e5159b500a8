// The library's shared services, linked from its code with its resources
// taken from the real ZelvoConv32.dll: the progress dialog and its bar, the
// spin-button field, message and menu requests, the colour chooser, settings
// blocks, deleting files, posted commands, the help file and the formats not
// built yet.
#include "ConvFormats.h"
#include "ConvLibrary.h"
#include "ConvResource.h"
#include "ConvTestSupport.h"
#include "PixelCanvas.h"
#include "TestFiles.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

constexpr COLORREF BLUE = RGB(0, 0, 255);
constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF GREY = RGB(128, 128, 128);
constexpr COLORREF BLACK = RGB(0, 0, 0);

// The library's strings and templates come from the DLL.
class ConvUtility : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Conv().complete);
        SetConvModule(Conv().module);
    }
    void TearDown() override { SetConvModule(nullptr); }
};

// ---- the bar ------------------------------------------------------------------------

// Every pixel of the bar as drawn for a percentage: the frame, the blue and
// white parts and the text "%d%%" (found by drawing it alone) in the colour
// of the other part.
void ExpectBar(int width, int height, int percentage)
{
    // A font without smoothing: every pixel of the text is the text's colour.
    HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             NONANTIALIASED_QUALITY, DEFAULT_PITCH, "MS Sans Serif");
    PixelCanvas canvas(width, height);
    SelectObject(canvas.Dc(), font);
    DrawConvProgressBar(canvas.Dc(), {0, 0, width, height}, percentage);

    const int shown = percentage < 0 ? 0 : percentage > 100 ? 100 : percentage;
    const int filled = width * shown / 100;
    PixelCanvas text(width, height);
    SelectObject(text.Dc(), font);
    RECT all{0, 0, width, height};
    FillRect(text.Dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    TEXTMETRICA metrics;
    GetTextMetricsA(text.Dc(), &metrics);
    SetTextAlign(text.Dc(), TA_CENTER | TA_TOP);
    SetBkMode(text.Dc(), TRANSPARENT);
    const std::string label = std::to_string(shown) + "%";
    TextOutA(text.Dc(), width / 2, 8 - metrics.tmHeight / 2, label.c_str(), static_cast<int>(label.size()));

    int textPixels = 0, wrong = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            COLORREF expected;
            if (y == 0 || x == 0) expected = GREY;
            else if (y == height - 1 || x == width - 1) expected = WHITE;
            else if (text.At(x, y) == BLACK) {
                expected = x < filled ? WHITE : BLUE;
                ++textPixels;
            } else {
                expected = x < filled ? BLUE : WHITE;
            }
            if (canvas.At(x, y) != expected && ++wrong <= 5)
                ADD_FAILURE() << percentage << "%: pixel " << x << "," << y << " is " << std::hex << canvas.At(x, y)
                              << " not " << expected;
        }
    EXPECT_GT(textPixels, 10) << "no text drawn for " << percentage << "%";
    EXPECT_EQ(0, wrong) << percentage << "%";
    SelectObject(canvas.Dc(), GetStockObject(DEFAULT_GUI_FONT));
    SelectObject(text.Dc(), GetStockObject(DEFAULT_GUI_FONT));
    DeleteObject(font);
}

TEST_F(ConvUtility, TheBarIsDrawnPixelByPixelAndCutToZeroToHundred)
{
    for (int percentage : {0, 57, 100, 150, -5}) ExpectBar(200, 20, percentage);
    ExpectBar(147, 18, 57);  // a width the percentage does not divide
}

// ---- the dialog ---------------------------------------------------------------------

class ConvProgressDialog : public ConvUtility {
protected:
    void SetUp() override
    {
        ConvUtility::SetUp();
        owner_ = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr,
                                 nullptr, nullptr);
    }
    void TearDown() override
    {
        if (GetConvProgressState().dialog) DestroyConvProgress(GetConvProgressState().dialog);
        DestroyWindow(owner_);
        ConvUtility::TearDown();
    }
    HWND owner_ = nullptr;
};

std::string Caption(HWND window)
{
    char text[100] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

TEST_F(ConvProgressDialog, OneAtATimeStepsAndCancels)
{
    HWND dialog = CreateConvProgress(owner_, Conv().module, IDD_CONVERTING_CANCEL);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ("Converting...", Caption(dialog));
    EXPECT_EQ("&Cancel", Caption(GetDlgItem(dialog, IDC_CONVERT_CANCEL)));
    EXPECT_FALSE(IsWindowEnabled(owner_));
    EXPECT_FALSE(IsWindowVisible(dialog)) << "shown by its first step";

    EXPECT_EQ(nullptr, CreateConvProgress(owner_, Conv().module, IDD_CONVERTING));
    EXPECT_EQ(dialog, GetConvProgressState().dialog) << "the second create changed nothing";

    EXPECT_EQ(0, StepConvProgress(40));
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(40, GetConvProgressState().percentage);
    EXPECT_EQ(0, StepConvProgress(140));
    EXPECT_EQ(100, GetConvProgressState().percentage);

    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_CONVERT_CANCEL, BN_CLICKED), 0);
    EXPECT_EQ(1, StepConvProgress(50)) << "the pump let the click through";

    EXPECT_EQ(1, DestroyConvProgress(dialog));
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_TRUE(IsWindowEnabled(owner_));
    EXPECT_EQ(nullptr, GetConvProgressState().procedure);
    EXPECT_EQ(0, DestroyConvProgress(dialog));
    EXPECT_EQ(0, StepConvProgress(10)) << "without a dialog nothing is cancelled";

    HWND again = CreateConvProgress(owner_, Conv().module, IDD_CONVERTING);
    ASSERT_NE(nullptr, again) << "a new one after the first went";
    EXPECT_EQ(nullptr, GetDlgItem(again, IDC_CONVERT_CANCEL)) << "the save form has no Cancel";
    EXPECT_EQ(0, GetConvProgressState().cancelled);
}

TEST_F(ConvProgressDialog, AMissingTemplateLeavesTheOwnerEnabled)
{
    EXPECT_EQ(nullptr, CreateConvProgress(owner_, Conv().module, 4711));
    EXPECT_TRUE(IsWindowEnabled(owner_));
    EXPECT_EQ(nullptr, GetConvProgressState().procedure);
}

// ---- the field stepper ----------------------------------------------------------------

TEST_F(ConvUtility, TheFieldStepperRaisesAndLowersWithinItsRange)
{
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 50, nullptr, nullptr, nullptr, nullptr);
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 80, 20, parent, reinterpret_cast<HMENU>(100), nullptr,
                                nullptr);
    struct Case {
        const char* text;
        int code, minimum, maximum;
        int result;
        const char* after;
    };
    const Case cases[] = {
        {"255", SB_LINEUP, 0, 255, 255, "255"},   {"10", SB_LINEUP, 0, 255, 11, "11"},
        {"12", SB_PAGEUP, 0, 255, 13, "13"},      {"300", SB_LINEUP, 0, 255, 255, "255"},
        {"0", SB_LINEDOWN, 0, 255, 0, "0"},       {"-3", SB_LINEDOWN, -5, 5, -4, "-4"},
        {"-9", SB_PAGEDOWN, -5, 5, -5, "-5"},     {"300", SB_LINEDOWN, 0, 255, 299, "299"},
        {" 42 ", SB_LINEDOWN, 0, 99, 41, "41"},   {"7", SB_THUMBTRACK, 0, 9, 7, "7"},
        {"", SB_LINEUP, 0, 255, -1, ""},          {"abc", SB_LINEDOWN, 0, 255, -1, "abc"},
        {"4x", SB_LINEUP, 0, 255, -1, "4x"},      {"99999999999", SB_LINEUP, 0, 255, -1, "99999999999"},
    };
    for (const Case& c : cases) {
        SetWindowTextA(edit, c.text);
        EXPECT_EQ(c.result, StepDialogField(parent, 100, c.code, c.minimum, c.maximum)) << "[" << c.text << "]";
        EXPECT_EQ(c.after, Caption(edit)) << "[" << c.text << "]";
    }
    DestroyWindow(parent);
}

// ---- requests, colours, blocks, files --------------------------------------------------

ConvMenuRequest g_seenMenu{};
std::string g_seenText;
UINT g_seenRequest = 0;

ULONG_PTR WINAPI MenuHost(UINT request, void* p, ULONG_PTR)
{
    g_seenRequest = request;
    g_seenMenu = *static_cast<const ConvMenuRequest*>(p);
    g_seenText = g_seenMenu.text ? g_seenMenu.text : "(null)";
    return 1;
}

TEST_F(ConvUtility, AMenuRequestCarriesTheLibraryString)
{
    EXPECT_EQ(1u, RequestMenuChange(CONV_MENU_INSERT, 5, MF_BYPOSITION, CONV_CMD_ANIMATION, IDS_MENU_ANIMATION, MenuHost));
    EXPECT_EQ(static_cast<UINT>(CONV_REQ_MENU_ITEM), g_seenRequest);
    EXPECT_EQ(CONV_MENU_INSERT, g_seenMenu.op);
    EXPECT_EQ(5u, g_seenMenu.position);
    EXPECT_EQ(static_cast<uint32_t>(CONV_CMD_ANIMATION), g_seenMenu.newId);
    EXPECT_EQ(static_cast<uint32_t>(MF_BYPOSITION), g_seenMenu.flags);
    EXPECT_EQ("&Animation...", g_seenText);

    RequestMenuChange(CONV_MENU_MODIFY, 405, MF_BYCOMMAND, CONV_CMD_CHANGE_FORMAT, IDS_MENU_CHANGE_FORMAT, MenuHost);
    EXPECT_EQ("Change &Format...\bStrg+F", g_seenText);
    RequestMenuChange(CONV_MENU_REMOVE, 5, MF_BYPOSITION, 0, 0, MenuHost);
    EXPECT_EQ("(null)", g_seenText);
    EXPECT_EQ(0u, RequestMenuChange(CONV_MENU_REMOVE, 5, MF_BYPOSITION, 0, 0, nullptr)) << "no host, no request";
}

std::vector<COLORREF> g_customSeen;
COLORREF g_initialSeen = 0;
BOOL g_confirm = TRUE;

BOOL WINAPI ChooserStandIn(LPCHOOSECOLORA chooser)
{
    g_customSeen.assign(chooser->lpCustColors, chooser->lpCustColors + 16);
    g_initialSeen = (chooser->Flags & CC_RGBINIT) ? chooser->rgbResult : CLR_INVALID;
    chooser->lpCustColors[3] = RGB(1, 2, 3);  // the user added a custom colour
    chooser->rgbResult = RGB(9, 8, 7);
    return g_confirm;
}

TEST_F(ConvUtility, TheColourChooserKeepsItsCustomColoursBetweenCalls)
{
    const ConvUiSeam seam{MessageBoxA, ChooserStandIn};
    InstallConvUiSeam(&seam);
    COLORREF color = RGB(200, 100, 50);
    g_confirm = TRUE;
    EXPECT_EQ(1, ChooseConvColor(nullptr, &color));
    EXPECT_EQ(RGB(200, 100, 50), g_initialSeen) << "starts at the given colour";
    EXPECT_EQ(RGB(9, 8, 7), color);
    g_confirm = FALSE;
    EXPECT_EQ(0, ChooseConvColor(nullptr, &color));
    EXPECT_EQ(RGB(1, 2, 3), g_customSeen[3]) << "the colour added in the first call";
    EXPECT_EQ(RGB(9, 8, 7), color) << "cancelled: unchanged";
    InstallConvUiSeam(nullptr);
}

std::string g_boxText, g_boxCaption;

int WINAPI BoxStandIn(HWND, LPCSTR text, LPCSTR caption, UINT)
{
    g_boxText = text;
    g_boxCaption = caption;
    return IDOK;
}

TEST_F(ConvUtility, MessagesAreBuiltFromLibraryStrings)
{
    const ConvUiSeam seam{BoxStandIn, ChooserStandIn};
    InstallConvUiSeam(&seam);
    EXPECT_EQ(IDOK, ShowConvMessage(nullptr, IDS_MENU_ANIMATION, IDS_NO_BITMAP_RESOURCES, MB_OK));
    EXPECT_EQ("This file does not contain bitmap images", g_boxText);
    EXPECT_EQ("&Animation...", g_boxCaption);
    InstallConvUiSeam(nullptr);
}

TEST_F(ConvUtility, ASettingsBlockNamesItsFormatInItsFirstWord)
{
    EXPECT_EQ(0, SettingsBlockFormat(nullptr));
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 2246);
    *static_cast<uint16_t*>(GlobalLock(block)) = CONV_FORMAT_ANI;
    GlobalUnlock(block);
    EXPECT_EQ(CONV_FORMAT_ANI, SettingsBlockFormat(block));
    GlobalFree(block);
    HGLOBAL tiny = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 1);
    EXPECT_EQ(0, SettingsBlockFormat(tiny)) << "too small to hold a format";
    GlobalFree(tiny);
}

TEST_F(ConvUtility, AnAccentedPathIsDeletedAsGiven)
{
    ScratchDir dir;
    // The name in the program's code page, and the same bytes read as the OEM
    // code page would give them: two different files where the pages differ.
    char ansi[MAX_PATH], oem[MAX_PATH];
    ASSERT_GT(WideCharToMultiByte(CP_ACP, 0, L"caf\u00e9 \u00fc.tmp", -1, ansi, sizeof ansi, nullptr, nullptr), 0);
    CharToOemA(ansi, oem);
    const std::string target = dir.File(ansi), other = dir.File(oem);
    ASSERT_TRUE(WriteWholeFile(target, {1, 2, 3}));
    const bool twoFiles = target != other;
    if (twoFiles) {
        ASSERT_TRUE(WriteWholeFile(other, {4}));
    }
    EXPECT_EQ(1, DeleteConvFile(target.c_str()));
    EXPECT_FALSE(FileExists(target));
    if (twoFiles) {
        EXPECT_TRUE(FileExists(other)) << "another file was deleted";
    }
    EXPECT_EQ(0, DeleteConvFile(target.c_str())) << "already gone";
}

TEST_F(ConvUtility, PostedCommandsAndTheHelpFile)
{
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(PostCommand(window, 1001, BN_CLICKED, 77));
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, window, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(static_cast<WPARAM>(MAKEWPARAM(1001, BN_CLICKED)), message.wParam);
    EXPECT_EQ(77, message.lParam);
    DestroyWindow(window);

    char help[MAX_PATH];
    ASSERT_TRUE(GetConvHelpFileName(help, sizeof help));
    const std::string name = help;
    EXPECT_EQ("ZelvoConv32.hlp", name.substr(name.rfind('\\') + 1));
    char small[8];
    EXPECT_FALSE(GetConvHelpFileName(small, sizeof small));
}

// ---- formats not built yet ---------------------------------------------------------------

TEST_F(ConvUtility, AFormatWithoutItsCodeYetAnswersUnsupported)
{
    ScratchDir dir;
    struct Fixture {
        BYTE code;
        std::vector<uint8_t> bytes;
    };
    std::vector<uint8_t> program(256, 0);
    program[0] = 'M', program[1] = 'Z', program[24] = 64, program[60] = 128, program[128] = 'P', program[129] = 'E';
    const Fixture fixtures[] = {
        {128, {0x0A, 5, 1, 8}},
        {130, {'I', 'I', 42, 0, 8, 0, 0, 0}},
        {133, {0xFF, 0xD8, 0xFF, 0xE0}},
        {131, program},
        {132, {0, 0, 1, 0, 1, 0}},
        {166, {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'C', 'O', 'N'}},
        {167, {'G', 'I', 'F', '8', '9', 'a'}},
        {165, {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '}},
    };
    RecordingHost host;
    int checked = 0;
    for (const Fixture& f : fixtures) {
        SCOPED_TRACE(static_cast<int>(f.code));
        const ConvFormatRow* row = FindConvFormat(f.code);
        ASSERT_NE(nullptr, row);
        const std::string path = dir.File("f" + std::to_string(f.code));
        ASSERT_TRUE(WriteWholeFile(path, f.bytes));
        char message[80] = "";
        ConvImage image{nullptr, 0, message, sizeof message};
        BYTE code = 0x55;
        if (!row->load) {
            EXPECT_EQ(-4, Conv().LoadConvImage(nullptr, path.c_str(), &image, &code, 0, RecordingHost::Proc));
            EXPECT_EQ(0x55, code) << "reported nothing";
            ++checked;
        }
        if (!row->preview) {
            EXPECT_EQ(-4, Conv().GetPreviewImage(path.c_str(), &image));
            EXPECT_EQ(nullptr, image.dib);
            ++checked;
        }
        if (!row->save) {
            EXPECT_EQ(-4, Conv().SaveConvImage(nullptr, dir.File("out").c_str(), nullptr, f.code, 1, RecordingHost::Proc));
            ++checked;
        }
    }
    EXPECT_TRUE(host.Requests().empty());
    RecordProperty("operations checked", checked);
}

}  // namespace
