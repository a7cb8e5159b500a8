// Owner-drawn 3-D buttons and radio buttons, read back pixel by pixel.
#include "DialogUtilities.h"
#include "PixelCanvas.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <string>

namespace {

constexpr COLORREF BLACK = RGB(0, 0, 0);
constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF GREY = RGB(128, 128, 128);
constexpr COLORREF LIGHT_GREY = RGB(192, 192, 192);
constexpr COLORREF UNDRAWN = RGB(0, 255, 0);

constexpr int W = 64, H = 24;

// The box round every pixel that is not the background colour inside
// (left, top)-(right, bottom): the text, smoothed edges included.
RECT TextBounds(const PixelCanvas& canvas, COLORREF background, int left, int top, int right, int bottom)
{
    RECT box = {right, bottom, left - 1, top - 1};
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (canvas.At(x, y) != background) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x);
                box.bottom = std::max<LONG>(box.bottom, y);
            }
    return box;
}

bool SamePixels(const PixelCanvas& a, const PixelCanvas& b)
{
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            if (a.At(x, y) != b.At(x, y)) return false;
    return true;
}

// A visible window with child buttons 1 and 2 ("A" and "B") and a third with
// a caption longer than a button shows.
class ButtonGroup : public testing::Test {
protected:
    void SetUp() override
    {
        parent_ = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                                  nullptr, nullptr);
        const char* texts[] = {"A", "B", nullptr};
        std::string longText(60, 'W');
        for (int id = 1; id <= 3; ++id)
            CreateWindowExA(0, "BUTTON", id == 3 ? longText.c_str() : texts[id - 1],
                            WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, (id - 1) * 30, W, H, parent_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        UpdateWindow(parent_);
    }
    void TearDown() override { DestroyWindow(parent_); }
    HWND Button(int id) const { return GetDlgItem(parent_, id); }
    HWND parent_ = nullptr;
};

TEST(OwnerButton, RaisedAndPressedFramesAndFace)
{
    PixelCanvas up(W, H), down(W, H);
    DRAWITEMSTRUCT raised = up.Item();
    DrawOwnerButton(&raised, "OK");
    DRAWITEMSTRUCT pressed = down.Item(ODS_SELECTED);
    DrawOwnerButton(&pressed, "OK");

    for (const PixelCanvas* c : {&up, &down}) {
        // The corners are left out of the black frame.
        EXPECT_EQ(UNDRAWN, c->At(0, 0));
        EXPECT_EQ(UNDRAWN, c->At(W - 1, H - 1));
        EXPECT_EQ(BLACK, c->At(1, 0));
        EXPECT_EQ(BLACK, c->At(W - 2, 0));
        EXPECT_EQ(BLACK, c->At(W - 1, H / 2));
        EXPECT_EQ(BLACK, c->At(W / 2, H - 1));
        EXPECT_EQ(BLACK, c->At(0, H / 2));
        EXPECT_EQ(GetSysColor(COLOR_BTNFACE), c->At(4, 4));
    }
    EXPECT_EQ(WHITE, up.At(W / 2, 1));
    EXPECT_EQ(WHITE, up.At(1, H / 2));
    EXPECT_EQ(GREY, up.At(W / 2, H - 2));
    EXPECT_EQ(GREY, up.At(W - 2, H / 2));
    EXPECT_EQ(GREY, down.At(W / 2, 1));
    EXPECT_EQ(GREY, down.At(1, H / 2));
    EXPECT_EQ(LIGHT_GREY, down.At(W / 2, H - 2));
    EXPECT_EQ(LIGHT_GREY, down.At(W - 2, H / 2));

    // The text moves by one pixel right and down while pressed.
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    RECT textUp = TextBounds(up, face, 3, 3, W - 3, H - 3);
    RECT textDown = TextBounds(down, face, 3, 3, W - 3, H - 3);
    ASSERT_LE(textUp.left, textUp.right) << "no text drawn";
    EXPECT_EQ(textUp.left + 1, textDown.left);
    EXPECT_EQ(textUp.top + 1, textDown.top);
    // Centred: as much room on the left as on the right, give or take a pixel.
    EXPECT_NEAR(textUp.left, (W - 1) - textUp.right, 2);
}

TEST(OwnerButton, DisabledTextIsGrey)
{
    PixelCanvas canvas(W, H);
    DRAWITEMSTRUCT item = canvas.Item(ODS_DISABLED);
    DrawOwnerButton(&item, "OK");
    EXPECT_EQ(0, canvas.CountInBox(3, 3, W - 3, H - 3, BLACK));
    EXPECT_GT(canvas.CountInBox(3, 3, W - 3, H - 3, GREY), 0);
}

TEST_F(ButtonGroup, OwnerButtonWithoutTextShowsTheWindowTextUpTo48Characters)
{
    PixelCanvas own(W, H), given(W, H), other(W, H);
    DRAWITEMSTRUCT item = own.Item(0, ODA_DRAWENTIRE, Button(1));
    DrawOwnerButton(&item, nullptr);
    item = given.Item(0, ODA_DRAWENTIRE, Button(1));
    DrawOwnerButton(&item, "A");
    item = other.Item(0, ODA_DRAWENTIRE, Button(1));
    DrawOwnerButton(&item, "B");
    EXPECT_TRUE(SamePixels(own, given));
    EXPECT_FALSE(SamePixels(own, other));

    PixelCanvas longOwn(W, H), cut(W, H);
    item = longOwn.Item(0, ODA_DRAWENTIRE, Button(3));
    DrawOwnerButton(&item, nullptr);
    item = cut.Item(0, ODA_DRAWENTIRE, Button(3));
    DrawOwnerButton(&item, std::string(48, 'W').c_str());
    EXPECT_TRUE(SamePixels(longOwn, cut));
}

TEST_F(ButtonGroup, RadioButtonsKeepOneDown)
{
    PixelCanvas canvas(W, H);

    // The current button is drawn sunken.
    DRAWITEMSTRUCT item = canvas.Item(0, ODA_DRAWENTIRE, Button(1), 1);
    EXPECT_EQ(1, DrawOwnerRadioButton(parent_, &item, 1, 1));
    EXPECT_EQ(BLACK, canvas.At(0, 0));
    EXPECT_EQ(BLACK, canvas.At(0, H / 2));
    EXPECT_EQ(WHITE, canvas.At(W - 1, H - 1));
    EXPECT_EQ(WHITE, canvas.At(W / 2, H - 1));
    EXPECT_EQ(GREY, canvas.At(W - 3, H - 3));
    RECT text = TextBounds(canvas, GREY, 1, 1, W - 1, H - 1);
    EXPECT_GE(text.left, 3);
    EXPECT_GE(text.top, 3);
    EXPECT_LT(text.right, W / 2) << "text at the left, not centred";

    // Another one is raised.
    item = canvas.Item(0, ODA_DRAWENTIRE, Button(2), 2);
    EXPECT_EQ(1, DrawOwnerRadioButton(parent_, &item, 1, 2));
    EXPECT_EQ(WHITE, canvas.At(0, 0));
    EXPECT_EQ(GREY, canvas.At(W - 1, H - 1));
    EXPECT_EQ(LIGHT_GREY, canvas.At(W - 3, H - 3));
    EXPECT_GT(canvas.CountInBox(2, 2, W - 1, H - 1, BLACK), 0);
    EXPECT_EQ(0, canvas.CountInBox(1, 1, W - 1, H - 1, WHITE));

    // A focus change moves nothing.
    item = canvas.Item(ODS_FOCUS, ODA_FOCUS, Button(2), 2);
    EXPECT_EQ(1, DrawOwnerRadioButton(parent_, &item, 1, 2));
    EXPECT_EQ(WHITE, canvas.At(0, 0));

    // Pressing it makes it current and lets the previous one repaint raised.
    ValidateRect(Button(1), nullptr);
    item = canvas.Item(ODS_SELECTED, ODA_SELECT, Button(2), 2);
    EXPECT_EQ(2, DrawOwnerRadioButton(parent_, &item, 1, 2));
    EXPECT_EQ(BLACK, canvas.At(0, 0));
    EXPECT_TRUE(GetUpdateRect(Button(1), nullptr, FALSE));
}

}  // namespace
