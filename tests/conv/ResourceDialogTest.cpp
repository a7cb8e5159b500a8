// "Open Resource Bitmap" under Wine, run through LoadConvImage as the editor
// runs it: the list and its first selection, the preview drawn with its size
// and colour count, OK handing back the chosen bitmap and its name in the
// caller's path buffer, Cancel, the preview switched off, and a bitmap that
// cannot be read keeping the dialog open. A hook acts in place of a person.
#include "CodecFixtures.h"
#include "ConvResource.h"
#include "ConvTestSupport.h"
#include "DialogHook.h"
#include "PackedDib.h"
#include "TestFiles.h"
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A 24-bit bitmap resource of one colour.
std::vector<uint8_t> SolidBitmap(int width, int height, BYTE blue, BYTE green, BYTE red)
{
    const uint32_t stride = DibStride(width, 24);
    std::vector<uint8_t> bytes(sizeof(BITMAPINFOHEADER) + stride * height);
    BITMAPINFOHEADER h{sizeof h, width, height, 1, 24, BI_RGB, stride * height, 0, 0, 0, 0};
    memcpy(bytes.data(), &h, sizeof h);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            BYTE* p = bytes.data() + sizeof h + y * stride + x * 3;
            p[0] = blue;
            p[1] = green;
            p[2] = red;
        }
    return bytes;
}

// The program of every test: listed as "PICTURE-1033", "WIDE-1033",
// "   101-1033", "   102-1033" (30 bytes: cannot be read as a bitmap).
std::vector<ResourceItem> Items()
{
    return {
        {2, "", 101, 1033, BitmapResourceBytes(4, 3, 8, 7)},
        {2, "PICTURE", 0, 1033, SolidBitmap(6, 4, 0, 0, 255)},
        {2, "WIDE", 0, 1033, SolidBitmap(400, 20, 0, 255, 0)},
        {2, "", 102, 1033, std::vector<uint8_t>(30, 0x11)},
    };
}

std::vector<std::string> ListLines(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_RESOURCE_LIST);
    std::vector<std::string> lines;
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[64] = "";
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        lines.push_back(text);
    }
    return lines;
}

void SelectLine(HWND dialog, int line)
{
    HWND list = GetDlgItem(dialog, IDC_RESOURCE_LIST);
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_RESOURCE_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

// The preview area as the dialog paints it, in a picture of the area's size.
class PreviewPicture {
public:
    explicit PreviewPicture(HWND dialog)
    {
        HWND area = GetDlgItem(dialog, IDC_RESOURCE_PREVIEW);
        GetClientRect(area, &rect_);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof info.bmiHeader, rect_.right, -rect_.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        DRAWITEMSTRUCT item{ODT_BUTTON, IDC_RESOURCE_PREVIEW, 0, ODA_DRAWENTIRE, 0, area, dc_, rect_, 0};
        SendMessageA(dialog, WM_DRAWITEM, IDC_RESOURCE_PREVIEW, reinterpret_cast<LPARAM>(&item));
        GdiFlush();
    }
    ~PreviewPicture()
    {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    PreviewPicture(const PreviewPicture&) = delete;
    PreviewPicture& operator=(const PreviewPicture&) = delete;
    int Width() const { return rect_.right; }
    int Height() const { return rect_.bottom; }
    // 0xRRGGBB of a pixel.
    uint32_t At(int x, int y) const { return bits_[y * rect_.right + x] & 0xFFFFFF; }

private:
    RECT rect_{};
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
};

constexpr uint32_t RED = 0xFF0000, GREEN = 0x00FF00, LIGHT_GREY = 0xC0C0C0, BLACK = 0;

// Black pixels within two pixels of a point.
int BlackAround(const PreviewPicture& picture, int x, int y)
{
    int count = 0;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) count += picture.At(x + dx, y + dy) == BLACK;
    return count;
}

struct Outcome {
    int result = -99;
    BYTE code = 0xEE;
    std::vector<uint8_t> bytes;  // of the bitmap handed back
    std::string path;            // the caller's buffer afterwards
};

Outcome RunDialog(const std::string& program, OnDialog::Action action, std::vector<std::string>* captions = nullptr)
{
    Outcome out;
    char path[MAX_PATH];
    lstrcpynA(path, program.c_str(), sizeof path);
    ConvImage image{nullptr, 0, nullptr, 0};
    {
        OnDialog on(std::move(action));
        out.result = Conv().LoadConvImage(nullptr, path, &image, &out.code, 0, RecordingHost::Proc);
        if (captions) *captions = on.captions;
    }
    out.path = path;
    GlobalBlock dib(image.dib);
    if (dib) {
        GlobalLockGuard<BYTE> p(dib.Get());
        out.bytes.assign(p.get(), p.get() + GlobalSize(dib.Get()));
    }
    return out;
}

class ResourceDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Conv().complete);
        program_ = dir_.File("pictures.dll");
        ASSERT_TRUE(WriteWholeFile(program_, BuildPeLibrary(Items(), false).bytes));
    }
    ScratchDir dir_;
    std::string program_;
};

}  // namespace

TEST_F(ResourceDialog, OpensOnTheFirstLineWithItsPreviewAndOkHandsBackTheChosenBitmapAndName)
{
    std::vector<std::string> lines, captions;
    std::string shownPath, firstSize, firstColors, smallSize, smallColors, wideSize, wideColors;
    LRESULT firstSelected = -1;
    bool previewChecked = false;
    uint32_t firstCentre = 0, firstCorner = 0, wideLeft = 0, wideAbove = 0;
    RecordingHost host;
    const Outcome out = RunDialog(
        program_,
        [&](HWND dialog, const std::string&) {
            shownPath = Text(dialog, IDC_RESOURCE_PATH);
            lines = ListLines(dialog);
            firstSelected = SendDlgItemMessageA(dialog, IDC_RESOURCE_LIST, LB_GETCURSEL, 0, 0);
            previewChecked = Checked(dialog, IDC_RESOURCE_SHOW_PREVIEW);
            {
                // The first line is previewed at once: 6 x 4 red pixels, centred.
                PreviewPicture picture(dialog);
                firstSize = Text(dialog, IDC_RESOURCE_SIZE);
                firstColors = Text(dialog, IDC_RESOURCE_COLORS);
                firstCentre = picture.At(picture.Width() / 2, picture.Height() / 2);
                firstCorner = picture.At(3, 3);
            }
            SelectLine(dialog, 1);
            {
                // Wider than the area: shrunk to its width, centred in height.
                PreviewPicture picture(dialog);
                wideSize = Text(dialog, IDC_RESOURCE_SIZE);
                wideColors = Text(dialog, IDC_RESOURCE_COLORS);
                wideLeft = picture.At(2, picture.Height() / 2);
                wideAbove = picture.At(picture.Width() / 2, 3);
            }
            SelectLine(dialog, 2);
            {
                PreviewPicture picture(dialog);
                smallSize = Text(dialog, IDC_RESOURCE_SIZE);
                smallColors = Text(dialog, IDC_RESOURCE_COLORS);
            }
            Press(dialog, IDOK);
        },
        &captions);
    ASSERT_EQ((std::vector<std::string>{"Open Resource Bitmap"}), captions);
    EXPECT_EQ(program_, shownPath);
    EXPECT_EQ((std::vector<std::string>{"PICTURE-1033", "WIDE-1033", "   101-1033", "   102-1033"}), lines);
    EXPECT_EQ(0, firstSelected);
    EXPECT_TRUE(previewChecked);
    EXPECT_EQ("6x4", firstSize);
    EXPECT_EQ("16.7 Mio.", firstColors);
    EXPECT_EQ(RED, firstCentre);
    EXPECT_EQ(LIGHT_GREY, firstCorner) << "a small picture keeps its size";
    EXPECT_EQ("400x20", wideSize);
    EXPECT_EQ(GREEN, wideLeft);
    EXPECT_EQ(LIGHT_GREY, wideAbove);
    EXPECT_EQ("4x3", smallSize);
    EXPECT_EQ("256", smallColors);

    EXPECT_EQ(1, out.result);
    EXPECT_EQ(0, out.code) << "a resource bitmap cannot be saved back";
    EXPECT_EQ("101-1033.BMP", out.path) << "the chosen name replaces the caller's path";
    const std::vector<uint8_t> expected = Items()[0].bytes;
    ASSERT_GE(out.bytes.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), out.bytes.begin()));
    EXPECT_EQ(0u, host.Requests().size()) << "a still image goes back in the record, not through the editor";
}

TEST_F(ResourceDialog, TheNameIsTheLineWithoutLeadingBlanksCutToEightCharacters)
{
    // The 16-bit layout's numeric ids as well as the 32-bit names.
    const std::vector<uint8_t> picture = SolidBitmap(2, 2, 1, 2, 3);
    const std::string ne = dir_.File("old.exe");
    ASSERT_TRUE(WriteWholeFile(ne, BuildNeProgram({{2, "", 7, 0, picture}, {2, "TITLE", 0, 0, picture}}, 4).bytes));
    const struct {
        const std::string* program;
        int line;
        const char* name;
    } cases[] = {
        {&program_, 0, "PICTURE-.BMP"},
        {&program_, 1, "WIDE-103.BMP"},
        {&program_, 2, "101-1033.BMP"},
        {&ne, 0, "TITLE.BMP"},
        {&ne, 1, "7.BMP"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome out = RunDialog(*c.program, [&](HWND dialog, const std::string&) {
            SelectLine(dialog, c.line);
            Press(dialog, IDOK);
        });
        EXPECT_EQ(1, out.result);
        EXPECT_EQ(c.name, out.path);
        EXPECT_FALSE(out.bytes.empty());
    }
}

TEST_F(ResourceDialog, CancelAndAnUnreadableBitmapHandNothingBack)
{
    // Cancel: nothing, and the caller's path as it was.
    Outcome out = RunDialog(program_, [](HWND dialog, const std::string&) { Press(dialog, IDCANCEL); });
    EXPECT_EQ(0, out.result);
    EXPECT_EQ(program_, out.path);
    EXPECT_TRUE(out.bytes.empty());

    // A bitmap too short to be one: no preview, and OK keeps the dialog open.
    std::string size = "?", colors = "?";
    int blackAtTheCrossing = 0;
    uint32_t besideTheCross = 0;
    bool openAfterOk = false;
    out = RunDialog(program_, [&](HWND dialog, const std::string&) {
        SelectLine(dialog, 3);
        {
            PreviewPicture picture(dialog);
            size = Text(dialog, IDC_RESOURCE_SIZE);
            colors = Text(dialog, IDC_RESOURCE_COLORS);
            blackAtTheCrossing = BlackAround(picture, picture.Width() / 2, picture.Height() / 2);
            besideTheCross = picture.At(picture.Width() / 2, 3);
        }
        Click(dialog, IDOK);
        openAfterOk = IsWindow(dialog) && IsWindowEnabled(GetDlgItem(dialog, IDOK));
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ("", size) << "no picture: the statics are emptied";
    EXPECT_EQ("", colors);
    EXPECT_GT(blackAtTheCrossing, 0) << "a cross from corner to corner";
    EXPECT_EQ(LIGHT_GREY, besideTheCross);
    EXPECT_TRUE(openAfterOk);
    EXPECT_EQ(0, out.result);
    EXPECT_EQ(program_, out.path);
}

TEST_F(ResourceDialog, WithThePreviewOffOkReadsTheBitmapThen)
{
    std::string size = "?";
    const Outcome out = RunDialog(program_, [&](HWND dialog, const std::string&) {
        CheckDlgButton(dialog, IDC_RESOURCE_SHOW_PREVIEW, BST_UNCHECKED);
        Click(dialog, IDC_RESOURCE_SHOW_PREVIEW);
        SelectLine(dialog, 1);
        {
            PreviewPicture picture(dialog);
            size = Text(dialog, IDC_RESOURCE_SIZE);
        }
        Press(dialog, IDOK);
    });
    EXPECT_EQ("", size) << "nothing previewed";
    EXPECT_EQ(1, out.result);
    EXPECT_EQ("WIDE-103.BMP", out.path);
    const std::vector<uint8_t> expected = Items()[2].bytes;
    ASSERT_GE(out.bytes.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), out.bytes.begin()));
}
