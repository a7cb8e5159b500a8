// Checked reading and spinning of numbers in dialog fields, driven by tables
// of field texts.
#include "DialogUtilities.h"
#include <gtest/gtest.h>
#include <climits>
#include <string>

namespace {

constexpr int FIELD = 100;

// A window holding one edit field with id FIELD.
class NumberField : public testing::Test {
protected:
    void SetUp() override
    {
        window_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 50, nullptr, nullptr, nullptr, nullptr);
        CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 180, 20, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(FIELD)), nullptr, nullptr);
        ASSERT_NE(nullptr, GetDlgItem(window_, FIELD));
    }
    void TearDown() override { DestroyWindow(window_); }
    void Type(const std::string& text) { SetDlgItemTextA(window_, FIELD, text.c_str()); }
    std::string Text()
    {
        char text[100];
        GetDlgItemTextA(window_, FIELD, text, sizeof text);
        return text;
    }
    HWND window_ = nullptr;
};

TEST_F(NumberField, GetRangedDlgIntCountsWhatIsNoNumberOrOutOfRange)
{
    struct Case {
        const char* text;
        BOOL isSigned;
        int value;     // what the reader returns
        bool counted;  // an error for the range -10..300
    };
    const Case cases[] = {
        {"42", FALSE, 42, false},
        {"  300 ", FALSE, 300, false},
        {"301", FALSE, 301, true},
        {"-10", TRUE, -10, false},
        {"-11", TRUE, -11, true},
        {"-5", FALSE, 0, true},  // no sign in an unsigned field
        {"", TRUE, 0, true},
        {"12a", TRUE, 0, true},
        {"abc", TRUE, 0, true},
        {"1 2", TRUE, 0, true},
        {"99999999999", TRUE, 0, true},
        {"+5", TRUE, 0, true},
    };
    for (const Case& c : cases) {
        Type(c.text);
        int errors = 3;
        EXPECT_EQ(c.value, GetRangedDlgInt(window_, FIELD, -10, 300, c.isSigned, &errors)) << '"' << c.text << '"';
        EXPECT_EQ(c.counted ? 4 : 3, errors) << '"' << c.text << '"';
    }
}

TEST_F(NumberField, TryGetRangedDlgIntAcceptsOnlyNumbersInRange)
{
    struct Case {
        const char* text;
        int minimum, maximum;
        BOOL isSigned;
        int accepted;
        int value;  // stored when accepted
    };
    const std::string tooLong(80, '1');
    const Case cases[] = {
        {"", -10, 10, TRUE, 1, 0},  // empty: the minimum, or 0 for a negative one
        {"", 5, 10, TRUE, 1, 5},
        {"   ", 5, 10, FALSE, 1, 5},
        {"", -10, -5, TRUE, 0, 0},  // 0 lies outside a wholly negative range
        {"-", -10, 10, TRUE, 1, 0}, // a negative number being typed
        {"-", 0, 10, FALSE, 0, 0},
        {"-", 5, 10, TRUE, 0, 0},
        {"7", 5, 10, FALSE, 1, 7},
        {"-7", -10, 10, TRUE, 1, -7},
        {"-7", -10, 10, FALSE, 0, 0},
        {"11", 5, 10, FALSE, 0, 0},
        {"4", 5, 10, FALSE, 0, 0},
        {"x", 0, 10, FALSE, 0, 0},
        {"2147483647", INT_MIN, INT_MAX, TRUE, 1, INT_MAX},
        {"-2147483648", INT_MIN, INT_MAX, TRUE, 1, INT_MIN},
        {"2147483648", INT_MIN, INT_MAX, TRUE, 0, 0},
        {tooLong.c_str(), 0, INT_MAX, FALSE, 0, 0},
    };
    for (const Case& c : cases) {
        Type(c.text);
        int value = 12345;
        EXPECT_EQ(c.accepted, TryGetRangedDlgInt(window_, FIELD, c.minimum, c.maximum, c.isSigned, &value))
            << '"' << c.text << '"';
        EXPECT_EQ(c.accepted ? c.value : 12345, value) << '"' << c.text << '"';
    }
    Type("8");
    EXPECT_EQ(1, TryGetRangedDlgInt(window_, FIELD, 0, 10, FALSE, nullptr));
}

TEST_F(NumberField, SpinStepsWithinTheRangeAndWritesTheValueBack)
{
    struct Case {
        const char* text;
        int code;
        int result;
        const char* after;
    };
    const Case cases[] = {
        {"5", SB_LINEUP, 6, "6"},
        {"5", SB_PAGEUP, 6, "6"},
        {"5", SB_LINEDOWN, 4, "4"},
        {"5", SB_PAGEDOWN, 4, "4"},
        {"10", SB_LINEUP, 10, "10"},  // at the maximum
        {"25", SB_LINEUP, 10, "10"},  // above it: becomes the maximum
        {"1", SB_LINEDOWN, 1, "1"},   // at the minimum
        {"-4", SB_LINEDOWN, 1, "1"},
        {"25", SB_LINEDOWN, 10, "10"},  // from above the range into it
        {"-4", SB_LINEUP, 1, "1"},      // from below the range into it
        {"abc", SB_LINEUP, 1, "1"},
        {"abc", SB_LINEDOWN, 1, "1"},
        {"7", SB_ENDSCROLL, 7, "7"},
        {"abc", SB_THUMBPOSITION, -1, "abc"},  // nothing moved: the text stays
    };
    for (const Case& c : cases) {
        Type(c.text);
        EXPECT_EQ(c.result, SpinDlgItemInt(window_, FIELD, c.code, 1, 10)) << '"' << c.text << "\" " << c.code;
        EXPECT_EQ(c.after, Text()) << '"' << c.text << "\" " << c.code;
    }
}

}  // namespace
