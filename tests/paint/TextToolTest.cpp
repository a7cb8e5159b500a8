// The text tool: the "Insert Text" dialog opened by a click with tool 8, "%d"
// painted as each selected frame's number in the order of the frame
// selection, the angle that only TrueType faces keep, the size list, Enter,
// Cancel and the preview. The undo list is this program's own record.
#include "CanvasFixture.h"
#include "FrameSelection.h"
#include "PaintResources.h"
#include "Palette.h"
#include "TextTool.h"
#include "UndoRecorder.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>


namespace {

using Steps = UndoSteps;
constexpr int W = 60, H = 30;
constexpr char RASTER_FACE[] = "ZelvoTestRaster";
constexpr int RASTER_HEIGHT = 13;

// A raster font file (the 2.0 font file format) of one face at one height,
// fixed pitch 8: every printable character a small frame. Wine's display
// here has outline fonts only.
std::vector<BYTE> RasterFontFile(const char* face, int height)
{
    const int first = 32, last = 126, count = last - first + 2;  // with the closing entry
    const int header = 118, bitsOffset = header + count * 4;
    const int faceOffset = bitsOffset + count * height;          // one byte column per row
    const int size = faceOffset + static_cast<int>(strlen(face)) + 1;
    std::vector<BYTE> f(static_cast<size_t>(size), 0);
    auto w16 = [&](int at, int v) { f[at] = static_cast<BYTE>(v), f[at + 1] = static_cast<BYTE>(v >> 8); };
    auto w32 = [&](int at, int v) { w16(at, v & 0xFFFF), w16(at + 2, (v >> 16) & 0xFFFF); };
    w16(0, 0x200);                      // version
    w32(2, size);
    memcpy(&f[6], "Zelvo test font", 15);
    w16(68, 10);                        // points
    w16(70, 96);                        // resolutions
    w16(72, 96);
    w16(74, height - 2);                // ascent
    w16(83, FW_NORMAL);
    f[85] = ANSI_CHARSET;
    w16(86, 8);                         // pixel width: fixed pitch
    w16(88, height);
    f[90] = FF_MODERN;
    w16(91, 8);                         // average and largest width
    w16(93, 8);
    f[95] = static_cast<BYTE>(first);
    f[96] = static_cast<BYTE>(last);
    f[97] = '?' - first;                // default and break characters
    f[98] = ' ' - first;
    w16(99, count);
    w32(105, faceOffset);
    w32(113, bitsOffset);
    for (int c = 0; c < count; ++c) {
        w16(header + c * 4, 8);
        w16(header + c * 4 + 2, bitsOffset + c * height);
    }
    for (int c = 1; c < count - 1; ++c)
        for (int y = 1; y < height - 2; ++y) f[bitsOffset + c * height + y] = (y == 1 || y == height - 3) ? 0x7E : 0x42;
    memcpy(&f[faceOffset], face, strlen(face));
    return f;
}

// The raster face, added for this program alone (once).
void AddRasterFace()
{
    static bool added = false;
    if (added) return;
    char path[MAX_PATH];
    GetTempPathA(MAX_PATH, path);
    lstrcatA(path, "ZelvoTestRaster.fnt");
    const std::vector<BYTE> file = RasterFontFile(RASTER_FACE, RASTER_HEIGHT);
    HANDLE out = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, out);
    DWORD written = 0;
    WriteFile(out, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
    CloseHandle(out);
    ASSERT_EQ(1, AddFontResourceExA(path, FR_PRIVATE, nullptr));
    added = true;
}

class TextToolTest : public testing::Test {
protected:
    void SetUp() override
    {
        AddRasterFace();
        fixture_ = std::make_unique<CanvasFixture>(COLORS_24BIT, W, H, 8);
        fixture_->Show(2 * W, 2 * H, 0);
        g_appState.optionFlags = 0;
        SetToolColorIndex(ROLE_PEN, ColorToPaletteIndex(BLACK));
        StoreAndSendPaintTool(TOOL_TEXT);
        g_undo.clear();
    }
    void TearDown() override
    {
        FreeTextTool();
        g_appState.optionFlags = 0;
        fixture_.reset();
    }
    // A click at a frame point: the dialog opens, or the text moves there.
    HWND ClickAt(int x, int y)
    {
        SendMessageA(fixture_->Canvas(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageA(fixture_->Canvas(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        return g_appState.textToolDialog;
    }
    static HWND Item(int id) { return GetDlgItem(g_appState.textToolDialog, id); }
    static void Command(int id, int code = BN_CLICKED)
    {
        SendMessageA(g_appState.textToolDialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Item(id)));
    }
    static void SetText(const char* text) { SetWindowTextA(Item(IDC_TEXT_EDIT), text); }
    static bool AngleEnabled() { return IsWindowEnabled(Item(IDC_TEXT_ANGLE)) != 0; }
    static std::string AngleText()
    {
        char text[16] = "";
        GetWindowTextA(Item(IDC_TEXT_ANGLE), text, sizeof text);
        return text;
    }
    static void ChooseFaceNamed(const char* face)
    {
        ASSERT_NE(CB_ERR, SendMessageA(Item(IDC_TEXT_FACE), CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(face)));
        Command(IDC_TEXT_FACE, CBN_SELCHANGE);
    }
    static std::vector<std::string> Sizes()
    {
        HWND sizes = Item(IDC_TEXT_SIZE);
        std::vector<std::string> items;
        const int count = static_cast<int>(SendMessageA(sizes, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[8] = "";
            SendMessageA(sizes, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            items.push_back(text);
        }
        return items;
    }
    // Chooses the first face whose kind (TrueType or not) is asked for.
    static bool ChooseFace(bool trueType)
    {
        HWND faces = Item(IDC_TEXT_FACE);
        const int count = static_cast<int>(SendMessageA(faces, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            SendMessageA(faces, CB_SETCURSEL, i, 0);
            Command(IDC_TEXT_FACE, CBN_SELCHANGE);
            if (AngleEnabled() == trueType && SendMessageA(Item(IDC_TEXT_SIZE), CB_GETCOUNT, 0, 0) > 0) return true;
        }
        return false;
    }
    static std::vector<COLORREF> Frame(int frame)
    {
        GdiFlush();
        std::vector<COLORREF> pixels;
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, g_appState.frameBitmaps[frame]);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) pixels.push_back(GetPixel(dc, x, y) & 0xFFFFFF);
        SelectObject(dc, old);
        DeleteDC(dc);
        return pixels;
    }
    static int Inked(int frame)
    {
        int n = 0;
        for (COLORREF c : Frame(frame)) n += c != WHITE;
        return n;
    }
    std::unique_ptr<CanvasFixture> fixture_;
};

TEST_F(TextToolTest, EachSelectedFrameGetsItsOwnNumberCurrentLast)
{
    ASSERT_TRUE(ClickAt(4, 4));
    ASSERT_TRUE(ChooseFace(true));
    // The references: "3", "6" and "8" written into frames 0, 1 and 3 alone.
    const int reference[] = {0, 1, 3};
    const char* digits[] = {"3", "6", "8"};
    for (int i = 0; i < 3; ++i) {
        g_appState.currentFrame = reference[i];
        if (!g_appState.textToolDialog) ClickAt(4, 4);
        SetText(digits[i]);
        Command(IDC_TEXT_OK);
        EXPECT_EQ(nullptr, g_appState.textToolDialog);
        EXPECT_GT(Inked(reference[i]), 0) << digits[i];
    }
    g_undo.clear();
    g_frameSelection.selected[2] = g_frameSelection.selected[5] = 1;
    g_appState.currentFrame = 7;
    ClickAt(4, 4);
    SetText("%d");
    Command(IDC_TEXT_OK);
    EXPECT_EQ((Steps{{UNDO_BEGIN_GROUP, 7}, {UNDO_SAVE_FRAME, 2}, {UNDO_SAVE_FRAME, 5}, {UNDO_SAVE_FRAME, 7},
                     {UNDO_END_GROUP, 7}}),
              g_undo);
    EXPECT_EQ(Frame(0), Frame(2));  // frame 2 shows 3
    EXPECT_EQ(Frame(1), Frame(5));  // frame 5 shows 6
    EXPECT_EQ(Frame(3), Frame(7));  // frame 7 shows 8
    EXPECT_EQ(0, Inked(4));
    // The text is kept for the next opening.
    ClickAt(4, 4);
    char kept[16] = "";
    GetWindowTextA(Item(IDC_TEXT_EDIT), kept, sizeof kept);
    EXPECT_STREQ("%d", kept);
}

TEST_F(TextToolTest, OnlyTrueTypeFacesKeepAnAngle)
{
    ASSERT_TRUE(ClickAt(10, 10));
    ChooseFaceNamed(RASTER_FACE);
    EXPECT_FALSE(AngleEnabled());
    SetWindowTextA(Item(IDC_TEXT_ANGLE), "45");
    Command(IDC_TEXT_ANGLE, EN_KILLFOCUS);
    EXPECT_EQ("45", AngleText());
    SetText("A");
    Command(IDC_TEXT_OK);  // 799 with a raster face: the angle goes back to 0
    EXPECT_GT(Inked(0), 0);
    ASSERT_TRUE(ClickAt(10, 10));
    EXPECT_EQ("0", AngleText());

    ASSERT_TRUE(ChooseFace(true));
    EXPECT_TRUE(AngleEnabled());
    SetWindowTextA(Item(IDC_TEXT_ANGLE), "45");
    Command(IDC_TEXT_ANGLE, EN_KILLFOCUS);
    Command(IDC_TEXT_OK);
    ASSERT_TRUE(ClickAt(10, 10));
    EXPECT_EQ("45", AngleText());
}

TEST_F(TextToolTest, ARasterFaceOffersTheMultiplesOfItsHeight)
{
    ASSERT_TRUE(ClickAt(10, 10));
    ChooseFaceNamed(RASTER_FACE);
    EXPECT_EQ((std::vector<std::string>{"13", "26", "39", "52"}), Sizes());
}

TEST_F(TextToolTest, AnglesAreRefusedOutsideTheirRangeAndTheSpinWraps)
{
    ASSERT_TRUE(ClickAt(10, 10));
    ASSERT_TRUE(ChooseFace(true));
    SetWindowTextA(Item(IDC_TEXT_ANGLE), "358");
    Command(IDC_TEXT_ANGLE, EN_KILLFOCUS);
    SetWindowTextA(Item(IDC_TEXT_ANGLE), "400");
    Command(IDC_TEXT_ANGLE, EN_KILLFOCUS);
    EXPECT_EQ("358", AngleText());  // the old value again
    HWND spin = Item(IDC_TEXT_ANGLE_SPIN);
    SendMessageA(g_appState.textToolDialog, WM_VSCROLL, SB_LINEUP, reinterpret_cast<LPARAM>(spin));
    EXPECT_EQ("359", AngleText());
    SendMessageA(g_appState.textToolDialog, WM_VSCROLL, SB_LINEUP, reinterpret_cast<LPARAM>(spin));
    EXPECT_EQ("0", AngleText());  // 360 is 0
    SendMessageA(g_appState.textToolDialog, WM_VSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(spin));
    EXPECT_EQ("-1", AngleText());
}

TEST_F(TextToolTest, SizesOfAnOutlineFaceAndTypedSizes)
{
    ASSERT_TRUE(ClickAt(2, 0));
    ASSERT_TRUE(ChooseFace(true));
    const std::vector<std::string> items = Sizes();
    for (const char* size : {"4", "11", "12", "15", "32", "36", "64"})
        EXPECT_NE(items.end(), std::find(items.begin(), items.end(), size)) << size;
    for (const char* size : {"3", "34", "65"}) EXPECT_EQ(items.end(), std::find(items.begin(), items.end(), size)) << size;
    HWND sizes = Item(IDC_TEXT_SIZE);
    SetWindowTextA(sizes, "121");  // refused: the first size is chosen
    Command(IDC_TEXT_SIZE, CBN_KILLFOCUS);
    EXPECT_EQ(0, SendMessageA(sizes, CB_GETCURSEL, 0, 0));
    SetWindowTextA(sizes, "25");   // typed sizes need not be listed
    Command(IDC_TEXT_SIZE, CBN_KILLFOCUS);
    SetText("H");
    Command(IDC_TEXT_OK);
    const int big = Inked(0);
    fixture_->Fill(0, WHITE);
    ClickAt(2, 0);
    SetWindowTextA(Item(IDC_TEXT_SIZE), "8");
    Command(IDC_TEXT_SIZE, CBN_KILLFOCUS);
    Command(IDC_TEXT_OK);
    EXPECT_GT(Inked(0), 0);
    EXPECT_GT(big, 4 * Inked(0));
}

TEST_F(TextToolTest, EnterElsewhereComesBackToTheTextFirst)
{
    ASSERT_TRUE(ClickAt(10, 10));
    SetText("Hi");
    SetFocus(Item(IDC_TEXT_FACE));
    Command(IDOK);
    ASSERT_TRUE(g_appState.textToolDialog);  // only the focus moved
    EXPECT_EQ(Item(IDC_TEXT_EDIT), GetFocus());
    EXPECT_EQ(0, Inked(0));
    Command(IDOK);
    EXPECT_EQ(nullptr, g_appState.textToolDialog);
    EXPECT_GT(Inked(0), 0);
}

TEST_F(TextToolTest, CancelAndEmptyTextsPaintNothing)
{
    ASSERT_TRUE(ClickAt(10, 10));
    SetText("Gone");
    Command(IDCANCEL);
    EXPECT_EQ(nullptr, g_appState.textToolDialog);
    EXPECT_EQ(0, Inked(0));
    ClickAt(10, 10);
    SetText("");
    Command(IDC_TEXT_OK);
    EXPECT_EQ(0, Inked(0));
    EXPECT_TRUE(g_undo.empty());
    // A change of tool closes the dialog; FreeTextTool forgets the text.
    ClickAt(10, 10);
    SetText("kept");
    StoreAndSendPaintTool(TOOL_LINE);
    EXPECT_EQ(nullptr, g_appState.textToolDialog);
    StoreAndSendPaintTool(TOOL_TEXT);
    FreeTextTool();
    ClickAt(10, 10);
    char text[16] = "x";
    GetWindowTextA(Item(IDC_TEXT_EDIT), text, sizeof text);
    EXPECT_STREQ("", text);
}

TEST_F(TextToolTest, ThePreviewShowsTheTextInPlaceOfTheFrame)
{
    g_appState.optionFlags = OPTION_PREVIEW_TEXT;
    ASSERT_TRUE(ClickAt(2, 2));
    ASSERT_TRUE(ChooseFace(true));
    const auto picture = PaintToolFor(TOOL_TEXT).viewPicture;
    ASSERT_NE(nullptr, picture);
    EXPECT_EQ(nullptr, picture());
    SetText("Wide text");
    Command(IDC_TEXT_EDIT, EN_UPDATE);
    ASSERT_NE(nullptr, picture());
    fixture_->Render();
    int inked = 0;
    for (COLORREF c : fixture_->ViewPixels()) inked += c != WHITE;
    EXPECT_GT(inked, 0);           // the view shows the preview
    EXPECT_EQ(0, Inked(0));        // the frame itself is untouched
    SetText("");
    Command(IDC_TEXT_EDIT, EN_UPDATE);
    EXPECT_EQ(nullptr, picture());
    SetText("x");
    Command(IDC_TEXT_EDIT, EN_UPDATE);
    Command(IDCANCEL);
    EXPECT_EQ(nullptr, picture());
}

}  // namespace
