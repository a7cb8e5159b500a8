// The cursor dialogs under Wine with a stand-in editor: "Define Cursor
// animation" (counters, the limit of 256 steps, Cancel restoring the block,
// edits and hotspots on OK, the preview's timer), "Change Cursor Format"
// and "Select Cursor Format". A hook acts on each dialog once it is set up.
#include "AniCursor.h"
#include "ConvResource.h"
#include "ConvTestSupport.h"
#include "CursorHost.h"
#include "DialogHook.h"
#include "PackedDib.h"
#include "ReelStrip.h"
#include "TestFiles.h"
#include <gtest/gtest.h>
#include <cstring>
#include <functional>
#include <string>

namespace {

// Runs an action on every dialog of this thread once WM_INITDIALOG is done.
void CheckRadio(HWND dialog, int first, int last, int id)
{
    CheckRadioButton(dialog, first, last, id);
    Click(dialog, id);
}

int Pattern(int x, int y) { return (x * 3 + y) & 15; }

void AddFrames(CursorHost& host, int count, int side = 32, uint32_t hotspotStep = 1)
{
    for (int i = 0; i < count; ++i) {
        HGLOBAL dib = MakePatternDib(side, side, 4, Pattern);
        host.AddFrame(dib, static_cast<uint32_t>(i * hotspotStep) << 16 | static_cast<uint32_t>(i * hotspotStep));
        GlobalFree(dib);
    }
}

HGLOBAL NewBlock(uint32_t steps, uint32_t frames)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(AniSettings));
    GlobalLockGuard<AniSettings> s(block);
    s.get()->formatCode = CONV_FORMAT_ANI;
    s.get()->cbSize = 36;
    s.get()->stepCount = steps;
    for (uint32_t i = 0; i < steps; ++i) {
        s.get()->seq[i] = i % frames;
        s.get()->rate[i] = 5 + i % 3;
    }
    strcpy(s.get()->title, "Old");
    return block;
}

std::vector<uint8_t> BlockBytes(HGLOBAL block)
{
    GlobalLockGuard<BYTE> p(block);
    return std::vector<uint8_t>(p.get(), p.get() + sizeof(AniSettings));
}

int Command(HGLOBAL block, int id)
{
    return Conv().ProcessCommand(nullptr, id, CONV_FORMAT_ANI, block, 0, CursorHost::Proc);
}

}  // namespace

TEST(DefineCursorDialog, ANewCycleOfFourFramesAndCancelKeepsEveryByte)
{
    ASSERT_TRUE(Conv().complete);
    CursorHost host;
    AddFrames(host, 4);
    HGLOBAL block = NewBlock(0, 4);
    const std::vector<uint8_t> before = BlockBytes(block);
    std::string frames, used, steps, position;
    bool ok = false, cyclePage = false;
    OnDialog on([&](HWND dialog, const std::string&) {
        frames = Text(dialog, IDC_ANI_FRAME_COUNT);
        used = Text(dialog, IDC_ANI_FRAMES_USED);
        steps = Text(dialog, IDC_ANI_STEP_COUNT);
        position = Text(dialog, IDC_ANI_POSITION);
        ok = Enabled(dialog, IDOK);
        cyclePage = Shown(dialog, IDC_ANI_SPEED) && !Shown(dialog, IDC_ANI_ADD);
        // Edits that Cancel must take back.
        SetDlgItemTextA(dialog, IDC_ANI_TITLE, "New title");
        Click(dialog, IDC_ANI_VIEW_SEQUENCE);
        Click(dialog, IDC_ANI_ADD);
        Click(dialog, IDC_ANI_DELETE);
        Click(dialog, IDC_ANI_DELETE_ALL);
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(0, Command(block, CONV_CMD_ANIMATION));
    ASSERT_EQ(1u, on.captions.size());
    EXPECT_EQ("Define Cursor animation", on.captions[0]);
    EXPECT_EQ("4", frames);
    EXPECT_EQ("4", used);
    EXPECT_EQ("4", steps);
    EXPECT_EQ("1", position);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(cyclePage) << "with steps the cycle page shows";
    EXPECT_EQ(before, BlockBytes(block)) << "all 2,246 bytes as before";
    EXPECT_EQ(0, host.Count(CONV_REQ_SET_HOTSPOT)) << "hotspots go to the editor only on OK";
    EXPECT_EQ(4, host.Count(CONV_REQ_GET_HOTSPOT));
    GlobalFree(block);
}

TEST(DefineCursorDialog, NoStepsAreOfferedPast256)
{
    ASSERT_TRUE(Conv().complete);
    CursorHost host;
    AddFrames(host, 8);
    HGLOBAL block = NewBlock(250, 8);
    bool eightAdd = true, eightInsert = true, eightReplace = true, oneAdd = false, framePage = false;
    OnDialog on([&](HWND dialog, const std::string&) {
        HWND strip = GetDlgItem(dialog, IDC_ANI_FRAME_STRIP);
        SendMessageA(strip, AVIREEL_SET_SELECTION, 1, MAKELPARAM(0, 7));
        eightAdd = Enabled(dialog, IDC_ANI_ADD);
        eightInsert = Enabled(dialog, IDC_ANI_INSERT);
        eightReplace = Enabled(dialog, IDC_ANI_REPLACE);
        SendMessageA(strip, AVIREEL_SET_SELECTION, 0, MAKELPARAM(1, 7));
        oneAdd = Enabled(dialog, IDC_ANI_ADD);
        Click(dialog, IDC_ANI_VIEW_SEQUENCE);
        framePage = Shown(dialog, IDC_ANI_FRAME_STRIP) && !Shown(dialog, IDC_ANI_SPEED);
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(0, Command(block, CONV_CMD_ANIMATION));
    EXPECT_FALSE(eightAdd);
    EXPECT_FALSE(eightInsert);
    EXPECT_FALSE(eightReplace);
    EXPECT_TRUE(oneAdd) << "250 steps and one frame stay below 256";
    EXPECT_TRUE(framePage);
    GlobalFree(block);
}

TEST(DefineCursorDialog, EditsReachTheBlockAndEveryHotspotGoesBackOnOk)
{
    ASSERT_TRUE(Conv().complete);
    CursorHost host;
    AddFrames(host, 3, 32, 2);  // hotspots differ: "Individuell"
    HGLOBAL block = NewBlock(2, 3);
    bool individual = false, eachRate = false;
    OnDialog on([&](HWND dialog, const std::string&) {
        individual = Checked(dialog, IDC_ANI_HOTSPOT_EACH);
        eachRate = Checked(dialog, IDC_ANI_SPEED_EACH);
        Click(dialog, IDC_ANI_STOP);
        SetDlgItemTextA(dialog, IDC_ANI_TITLE, "Walk");
        SetDlgItemTextA(dialog, IDC_ANI_AUTHOR, "Me");
        // Step 1 shows frame 1: its speed and hotspot.
        SetDlgItemTextA(dialog, IDC_ANI_SPEED, "20");
        SetDlgItemTextA(dialog, IDC_ANI_HOTSPOT_X, "7");
        SendMessageA(dialog, WM_VSCROLL, SB_LINEUP, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_ANI_HOTSPOT_Y_SPIN)));
        // The frame page: frame 3 added after the last step.
        Click(dialog, IDC_ANI_VIEW_SEQUENCE);
        SendMessageA(GetDlgItem(dialog, IDC_ANI_FRAME_STRIP), AVIREEL_SET_CURRENT, 2, 0);
        Click(dialog, IDC_ANI_ADD);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(1, Command(block, CONV_CMD_ANIMATION));
    EXPECT_TRUE(individual);
    EXPECT_TRUE(eachRate) << "the rates differ";
    const std::vector<uint8_t> bytes = BlockBytes(block);
    AniSettings s;
    memcpy(&s, bytes.data(), sizeof s);
    EXPECT_STREQ("Walk", s.title);
    EXPECT_STREQ("Me", s.author);
    ASSERT_EQ(3u, s.stepCount);
    EXPECT_EQ(20u, s.rate[0]);
    EXPECT_EQ(20u, s.defaultRate);
    EXPECT_EQ(2u, s.seq[2]);
    EXPECT_EQ(20u, s.rate[2]) << "the new step takes the selected step's rate";
    ASSERT_EQ(3, host.Count(CONV_REQ_SET_HOTSPOT));
    EXPECT_EQ(1u << 16 | 7, host.At(0).hotspot) << "frame 1: x typed, y one up";
    EXPECT_EQ(2u << 16 | 2, host.At(1).hotspot);
    EXPECT_EQ(4u << 16 | 4, host.At(2).hotspot);
    GlobalFree(block);
}

namespace {

// The preview's positions as the dialog steps through them, each change once;
// Cancel once seven are seen.
HWND s_previewDialog = nullptr;
std::string s_previewSeen;

void CALLBACK WatchPreviewPosition(HWND, UINT, UINT_PTR id, DWORD)
{
    const std::string position = Text(s_previewDialog, IDC_ANI_POSITION);
    if (s_previewSeen.empty() || s_previewSeen.back() != position[0]) s_previewSeen += position;
    if (s_previewSeen.size() >= 7) {
        KillTimer(nullptr, id);
        Press(s_previewDialog, IDCANCEL);
    }
}

}  // namespace

TEST(DefineCursorDialog, ThePreviewStepsThroughTheCycleOnItsTimer)
{
    ASSERT_TRUE(Conv().complete);
    CursorHost host;
    AddFrames(host, 3);
    HGLOBAL block = NewBlock(3, 3);
    s_previewSeen.clear();
    OnDialog on([&](HWND dialog, const std::string&) {
        s_previewDialog = dialog;
        SetTimer(nullptr, 0, 5, WatchPreviewPosition);
    });
    const DWORD start = GetTickCount();
    EXPECT_EQ(0, Command(block, CONV_CMD_ANIMATION));
    EXPECT_EQ("1231231", s_previewSeen);
    // Rates 5, 6, 7 jiffies: at least 16 ms each.
    EXPECT_GE(GetTickCount() - start, 6u * 16 * 5);
    GlobalFree(block);
}

TEST(ChangeCursorFormat, StartsOnTheDocumentsFormatAndRefusesOtherSizesOutside8To2048)
{
    ASSERT_TRUE(Conv().complete);
    CursorHost host;
    AddFrames(host, 1, 64);
    host.colorCount = 256;
    host.changeFormatAnswer = 7;
    bool on64 = false, on256 = false, scale = false;
    std::vector<bool> stayed;
    OnDialog on([&](HWND dialog, const std::string&) {
        on64 = Checked(dialog, IDC_FORMAT_64);
        on256 = Checked(dialog, IDC_FORMAT_256_COLORS);
        scale = Checked(dialog, IDC_FORMAT_SCALE);
        EXPECT_EQ("64", Text(dialog, IDC_FORMAT_X));
        CheckRadio(dialog, IDC_FORMAT_2_COLORS, IDC_FORMAT_256_COLORS, IDC_FORMAT_2_COLORS);
        CheckRadio(dialog, IDC_FORMAT_16, IDC_FORMAT_OTHER, IDC_FORMAT_OTHER);
        for (const char* x : {"7", "3000", ""}) {
            SetDlgItemTextA(dialog, IDC_FORMAT_X, x);
            Click(dialog, IDOK);
            stayed.push_back(IsWindow(dialog) && IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        }
        SetDlgItemTextA(dialog, IDC_FORMAT_X, "100");
        SetDlgItemTextA(dialog, IDC_FORMAT_Y, "50");
        CheckDlgButton(dialog, IDC_FORMAT_SCALE, BST_UNCHECKED);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(7, Command(nullptr, CONV_CMD_CHANGE_FORMAT));
    EXPECT_EQ(std::vector<std::string>{"Change Cursor Format"}, on.captions);
    EXPECT_TRUE(on64);
    EXPECT_TRUE(on256);
    EXPECT_TRUE(scale);
    EXPECT_EQ(3u, stayed.size());
    ASSERT_EQ(1, host.Count(CONV_REQ_CHANGE_FORMAT));
    const ConvFormatChange& c = host.Requests().back().change;
    EXPECT_EQ(100u, c.width);
    EXPECT_EQ(50u, c.height);
    EXPECT_EQ(3u, c.colors) << "two colours with a transparent one";
    EXPECT_EQ(0u, c.scaleImage);
    EXPECT_EQ(0u, c.option);

    OnDialog cancel([](HWND dialog, const std::string&) { Press(dialog, IDCANCEL); });
    host.ClearRequests();
    EXPECT_EQ(0, Command(nullptr, CONV_CMD_CHANGE_FORMAT));
    EXPECT_EQ(0, host.Count(CONV_REQ_CHANGE_FORMAT));
}

TEST(SelectCursorFormat, AsksOnlyForFramesOfNoCursorSize)
{
    ASSERT_TRUE(Conv().complete);
    ScratchDir dir;
    {
        CursorHost host;
        AddFrames(host, 1, 20);
        bool recommended = false;
        std::string text;
        OnDialog on([&](HWND dialog, const std::string&) {
            recommended = Checked(dialog, IDC_CURSOR_SIZE_32);
            CheckRadioButton(dialog, IDC_CURSOR_SIZE_16, IDC_CURSOR_SIZE_KEEP, IDC_CURSOR_SIZE_64);
            Press(dialog, IDOK);
        });
        ASSERT_EQ(1, Conv().SaveConvImage(nullptr, dir.File("a.ico").c_str(), nullptr, CONV_FORMAT_ICON, 0,
                                          CursorHost::Proc));
        EXPECT_EQ(std::vector<std::string>{"Select Cursor Format"}, on.captions);
        EXPECT_TRUE(recommended);
        ASSERT_EQ(1, host.Count(CONV_REQ_GET_ICON_IMAGE));
        for (const auto& r : host.Requests())
            if (r.request == CONV_REQ_GET_ICON_IMAGE) { EXPECT_EQ(64u << 16 | 64, r.value); }
        EXPECT_EQ(64, ReadWholeFile(dir.File("a.ico"))[6]);
    }
    {
        CursorHost host;
        AddFrames(host, 1, 20);
        OnDialog on([](HWND dialog, const std::string&) { Press(dialog, IDCANCEL); });
        EXPECT_EQ(0, Conv().SaveConvImage(nullptr, dir.File("b.ico").c_str(), nullptr, CONV_FORMAT_ICON, 0,
                                          CursorHost::Proc));
        EXPECT_FALSE(FileExists(dir.File("b.ico")));
        EXPECT_EQ(0, host.Count(CONV_REQ_GET_ICON_IMAGE));
    }
    {
        CursorHost host;
        AddFrames(host, 1, 32);
        OnDialog on([](HWND dialog, const std::string&) { Press(dialog, IDCANCEL); });
        EXPECT_EQ(1, Conv().SaveConvImage(nullptr, dir.File("c.ico").c_str(), nullptr, CONV_FORMAT_ICON, 0,
                                          CursorHost::Proc));
        EXPECT_TRUE(on.captions.empty()) << "32 x 32 is a cursor size";
    }
    {
        // An animated cursor without a cycle asks for one first; Cancel writes nothing.
        CursorHost host;
        AddFrames(host, 2, 32);
        OnDialog on([](HWND dialog, const std::string&) { Press(dialog, IDCANCEL); });
        EXPECT_EQ(0, Conv().SaveConvImage(nullptr, dir.File("d.ani").c_str(), nullptr, CONV_FORMAT_ANI, 0,
                                          CursorHost::Proc));
        EXPECT_EQ(std::vector<std::string>{"Define Cursor animation"}, on.captions);
        EXPECT_FALSE(FileExists(dir.File("d.ani")));
    }
}
