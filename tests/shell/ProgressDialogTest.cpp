// The progress dialog "Processing...": opening and closing, position updates,
// cancelling through its button, the caller procedure and the bar's drawing.
#include "DialogUtilities.h"
#include "PixelCanvas.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

constexpr COLORREF BLUE = RGB(0, 0, 255);
constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF GREY = RGB(128, 128, 128);

std::string TextOf(HWND window)
{
    char text[100] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

class ProgressDialog : public testing::Test {
protected:
    void SetUp() override
    {
        owner_ = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 100, 100, 500, 400, nullptr,
                                 nullptr, nullptr, nullptr);
    }
    void TearDown() override
    {
        if (dialog_ && IsWindow(dialog_)) CloseProgressDialog(dialog_);
        DestroyWindow(owner_);
    }
    HWND Open(int maximum, DLGPROC caller = nullptr)
    {
        dialog_ = OpenProgressDialog(owner_, GetModuleHandleA(nullptr), IDD_PROGRESS, maximum, caller);
        return dialog_;
    }
    bool BarNeedsPainting() { return GetUpdateRect(GetDlgItem(dialog_, IDC_PROGRESS_BAR), nullptr, FALSE) != FALSE; }
    HWND owner_ = nullptr;
    HWND dialog_ = nullptr;
};

TEST_F(ProgressDialog, OpensOneAtATimeOverADisabledOwner)
{
    ASSERT_NE(nullptr, Open(10));
    EXPECT_TRUE(IsWindowVisible(dialog_));
    EXPECT_EQ("Processing...", TextOf(dialog_));
    EXPECT_EQ("Cancel", TextOf(GetDlgItem(dialog_, IDC_PROGRESS_CANCEL)));
    EXPECT_NE(nullptr, GetDlgItem(dialog_, IDC_PROGRESS_BAR));
    EXPECT_FALSE(IsWindowEnabled(owner_));
    RECT d, o;
    GetWindowRect(dialog_, &d);
    GetWindowRect(owner_, &o);
    EXPECT_NEAR((o.left + o.right) / 2, (d.left + d.right) / 2, 1) << "centred over the owner";
    EXPECT_NEAR((o.top + o.bottom) / 2, (d.top + d.bottom) / 2, 1);

    ProgressDialogState state = GetProgressDialogState();
    EXPECT_EQ(1, state.progressOpen);
    EXPECT_EQ(0, state.progressPosition);
    EXPECT_EQ(10, state.progressMaximum);
    EXPECT_EQ(0, state.progressCancelled);

    EXPECT_EQ(nullptr, OpenProgressDialog(owner_, GetModuleHandleA(nullptr), IDD_PROGRESS, 5, nullptr));
    EXPECT_EQ(10, GetProgressDialogState().progressMaximum) << "the second one changed nothing";

    EXPECT_EQ(1, CloseProgressDialog(dialog_));
    EXPECT_FALSE(IsWindow(dialog_));
    EXPECT_TRUE(IsWindowEnabled(owner_));
    EXPECT_EQ(0, GetProgressDialogState().progressOpen);
    EXPECT_EQ(0, CloseProgressDialog(dialog_));

    ASSERT_NE(nullptr, Open(3)) << "a new one opens after the close";
}

TEST_F(ProgressDialog, DestroyedByOtherMeansReleasesItsOwner)
{
    ASSERT_NE(nullptr, Open(10));
    DestroyWindow(dialog_);
    EXPECT_TRUE(IsWindowEnabled(owner_));
    EXPECT_EQ(0, GetProgressDialogState().progressOpen);
    EXPECT_NE(nullptr, Open(10));
}

TEST_F(ProgressDialog, AnOwnerDisabledBeforeStaysDisabled)
{
    // As under a modal dialog: closing the progress must not free the owner.
    EnableWindow(owner_, FALSE);
    ASSERT_NE(nullptr, Open(10));
    CloseProgressDialog(dialog_);
    EXPECT_FALSE(IsWindowEnabled(owner_));
    EnableWindow(owner_, TRUE);
}

TEST_F(ProgressDialog, ProgressUpdateMovesAndClampsThePosition)
{
    ASSERT_NE(nullptr, Open(100));
    struct Step {
        WPARAM mode;
        LPARAM value;
        int position, maximum;
        bool repaint;
    };
    const Step steps[] = {
        {0, 10, 10, 100, true},
        {0, 15, 25, 100, true},
        {1, 60, 60, 100, true},
        {1, -5, 100, 100, true},    // below 0: shows as done
        {1, 101, 100, 100, true},   // above the maximum
        {1, 0, 0, 100, true},
        {2, 200, 0, 200, false},    // a new maximum alone does not repaint
        {0, 50, 50, 200, true},
        {0, -80, 200, 200, true},   // added below 0
        {7, 5, 200, 200, false},    // unknown: answered, nothing changes
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "mode " << s.mode << " value " << s.value);
        ValidateRect(GetDlgItem(dialog_, IDC_PROGRESS_BAR), nullptr);
        EXPECT_EQ(TRUE, ProgressDlgProc(dialog_, PROGRESS_UPDATE, s.mode, s.value));
        EXPECT_EQ(s.position, GetProgressDialogState().progressPosition);
        EXPECT_EQ(s.maximum, GetProgressDialogState().progressMaximum);
        EXPECT_EQ(s.repaint, BarNeedsPainting());
    }
}

TEST_F(ProgressDialog, UpdateProgressStepsAndSeesTheCancelOnlyWhenPumping)
{
    ASSERT_NE(nullptr, Open(50));
    EXPECT_EQ(0, UpdateProgress(dialog_, 3, PROGRESS_ADD));
    EXPECT_EQ(0, UpdateProgress(dialog_, 4, PROGRESS_ADD));
    EXPECT_EQ(7, GetProgressDialogState().progressPosition);
    EXPECT_EQ(0, UpdateProgress(dialog_, 20, PROGRESS_SET));
    EXPECT_EQ(20, GetProgressDialogState().progressPosition);
    EXPECT_EQ(0, UpdateProgress(dialog_, 30, 0x70 | PROGRESS_SET)) << "only the low four bits are the mode";
    EXPECT_EQ(30, GetProgressDialogState().progressPosition);

    // A click waits in the queue until a pumping update lets it through.
    HWND cancel = GetDlgItem(dialog_, IDC_PROGRESS_CANCEL);
    PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_CANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
    EXPECT_EQ(0, UpdateProgress(dialog_, 1, PROGRESS_ADD));
    EXPECT_EQ(1, UpdateProgress(dialog_, 1, PROGRESS_ADD | PROGRESS_PUMP));
    EXPECT_EQ(32, GetProgressDialogState().progressPosition);

    // From now on every update reports the cancel at once and changes nothing.
    EXPECT_EQ(1, UpdateProgress(dialog_, 5, PROGRESS_ADD));
    EXPECT_EQ(1, UpdateProgress(dialog_, 0, PROGRESS_SET | PROGRESS_PUMP));
    EXPECT_EQ(32, GetProgressDialogState().progressPosition);
}

TEST_F(ProgressDialog, WithoutADialogNothingIsCancelled)
{
    EXPECT_EQ(0, UpdateProgress(nullptr, 1, PROGRESS_ADD | PROGRESS_PUMP));
}

HWND dialogToCancel = nullptr;

void CALLBACK ClickCancel(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    SendMessageA(GetDlgItem(dialogToCancel, IDC_PROGRESS_CANCEL), BM_CLICK, 0, 0);
}

TEST_F(ProgressDialog, ACancelClickFromATimerEndsALongLoop)
{
    const int steps = 100000;
    ASSERT_NE(nullptr, Open(steps));
    dialogToCancel = dialog_;
    SetTimer(nullptr, 0, 30, ClickCancel);
    int done = 0;
    while (done < steps && !UpdateProgress(dialog_, 1, PROGRESS_ADD | PROGRESS_PUMP)) {
        ++done;
        Sleep(1);
    }
    EXPECT_LT(done, steps) << "the loop ran to its end: the click was never seen";
    EXPECT_EQ(1, GetProgressDialogState().progressCancelled);
    EXPECT_EQ(1, CloseProgressDialog(dialog_));
    EXPECT_TRUE(IsWindowEnabled(owner_));
}

// A caller procedure that keeps what it saw and may claim the Cancel button.
std::vector<UINT> callerMessages;
ProgressDialogStart callerStart = {};
bool callerClaimsCancel = false;

INT_PTR CALLBACK CallerProc(HWND, UINT message, WPARAM wParam, LPARAM lParam)
{
    callerMessages.push_back(message);
    if (message == WM_INITDIALOG) callerStart = *reinterpret_cast<const ProgressDialogStart*>(lParam);
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_PROGRESS_CANCEL) return callerClaimsCancel;
    return message == WM_APP ? 77 : 0;
}

bool Saw(UINT message)
{
    for (UINT m : callerMessages)
        if (m == message) return true;
    return false;
}

TEST_F(ProgressDialog, TheCallerProcedureSeesMessagesFirst)
{
    callerMessages.clear();
    callerClaimsCancel = true;
    ASSERT_NE(nullptr, Open(10, CallerProc));
    EXPECT_TRUE(Saw(WM_INITDIALOG));
    EXPECT_EQ(CallerProc, callerStart.callerProc);
    EXPECT_EQ(10, callerStart.maximum);

    callerMessages.clear();
    EXPECT_EQ(77, ProgressDlgProc(dialog_, WM_APP, 0, 0)) << "other messages are the caller's answer";
    EXPECT_TRUE(Saw(WM_APP));

    // The caller handles the Cancel button itself: no cancel.
    PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_CANCEL, BN_CLICKED), 0);
    EXPECT_EQ(0, UpdateProgress(dialog_, 1, PROGRESS_ADD | PROGRESS_PUMP));
    EXPECT_TRUE(Saw(WM_COMMAND));

    // It leaves it: the dialog is cancelled.
    callerClaimsCancel = false;
    PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_CANCEL, BN_CLICKED), 0);
    EXPECT_EQ(1, UpdateProgress(dialog_, 1, PROGRESS_ADD | PROGRESS_PUMP));
}

// The bar drawn into a 200 x 30 memory bitmap.
class ProgressBar : public testing::Test {
protected:
    static constexpr int W = 200, H = 30;
    void Draw(int position, int maximum)
    {
        DRAWITEMSTRUCT item = canvas_.Item();
        DrawProgressBar(&item, position, maximum);
    }
    PixelCanvas canvas_{W, H};
};

TEST_F(ProgressBar, AQuarterIsBlueWithTheTextInBlueOnWhite)
{
    Draw(50, 200);
    const int filled = 50;
    const int clearRow = 25;  // below the text
    EXPECT_EQ(filled - 1, canvas_.CountInBox(1, clearRow, W - 1, clearRow + 1, BLUE));
    EXPECT_EQ(BLUE, canvas_.At(filled - 1, clearRow));
    EXPECT_EQ(WHITE, canvas_.At(filled, clearRow));
    EXPECT_EQ(WHITE, canvas_.At(W - 1, clearRow)) << "right edge";
    EXPECT_EQ(WHITE, canvas_.At(W / 2, H - 1)) << "bottom edge";
    EXPECT_EQ(GREY, canvas_.At(0, clearRow)) << "left edge";
    EXPECT_EQ(GREY, canvas_.At(W / 2, 0)) << "top edge";

    // The text "25%" stands centred at (100, 8), all of it on the white part.
    PixelCanvas expected(W, H);
    HDC dc = expected.Dc();
    RECT all = {0, 0, W, H};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, BLUE);
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    TextOutA(dc, W / 2, 8 - metrics.tmHeight / 2, "25%", 3);
    int textPixels = 0;
    for (int y = 1; y < H - 1; ++y)
        for (int x = filled; x < W - 1; ++x) {
            EXPECT_EQ(expected.At(x, y), canvas_.At(x, y)) << x << "," << y;
            textPixels += expected.At(x, y) == BLUE;
        }
    EXPECT_GT(textPixels, 10);
    EXPECT_EQ(0, canvas_.CountInBox(1, 1, filled, H - 1, WHITE)) << "no white text reached the blue part";
}

TEST_F(ProgressBar, TextAcrossTheEdgeReadsWhiteOnBlueAndBlueOnWhite)
{
    Draw(100, 200);
    EXPECT_EQ(BLUE, canvas_.At(99, 25));
    EXPECT_EQ(WHITE, canvas_.At(100, 25));
    EXPECT_GT(canvas_.CountInBox(70, 1, 100, 18, WHITE), 0);
    EXPECT_GT(canvas_.CountInBox(100, 1, 130, 18, BLUE), 0);
}

TEST_F(ProgressBar, EmptyAndFullBars)
{
    Draw(0, 0);  // nothing to do: 0 %, no division by zero
    EXPECT_EQ(0, canvas_.CountInBox(1, 20, W - 1, H - 1, BLUE));
    EXPECT_EQ(WHITE, canvas_.At(1, 25));

    Draw(7, 7);
    EXPECT_EQ(W - 2, canvas_.CountInBox(1, 25, W - 1, 26, BLUE));
    EXPECT_EQ(WHITE, canvas_.At(W - 1, 25));
}

TEST(ProgressPercent, WholePercentOfThePosition)
{
    struct Case {
        int position, maximum, percent;
    };
    for (const Case& c : {Case{50, 200, 25}, {0, 0, 0}, {5, 0, 0}, {5, -3, 0}, {200, 200, 100}, {1, 3, 33},
                          {2, 3, 66}, {-5, 10, 0}, {2000000000, 2000000000, 100}, {1999999999, 2000000000, 99}})
        EXPECT_EQ(c.percent, ProgressPercent(c.position, c.maximum)) << c.position << "/" << c.maximum;
}

}  // namespace
