// The arithmetic of the composition dialogs: start masks following deleted
// and moved objects, and values changed over a range of steps.
#include "ComposeDialogs.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

struct MaskCase {
    const char* what;
    uint32_t mask;
    int from;  // the deleted object, or the moved one
    int to;    // -1: a deletion
    uint32_t expected;
};

TEST(StartMasks, FollowDeletedAndMovedObjects)
{
    const MaskCase cases[] = {
        // Moving object 0 to index 2, deleting object 1.
        {"0 to 2 takes bit 0 to 2", 0b001, 0, 2, 0b100},
        {"0 to 2 moves bits 1 and 2 down", 0b110, 0, 2, 0b011},
        {"delete 1 moves bit 2 down", 0b101, 1, -1, 0b11},
        {"delete 1 drops it", 0b010, 1, -1, 0},
        {"delete 0 of many", 0xF0F0F0F1, 0, -1, 0x78787878},
        {"2 to 0 takes bit 2 to 0", 0b100, 2, 0, 0b001},
        {"2 to 0 moves bits 0 and 1 up", 0b011, 2, 0, 0b110},
        {"bits outside the range stay", 0b1000'0101, 1, 2, 0b1000'0011},
        {"a full range stays full", 0b111, 0, 2, 0b111},
        // Bit 31: no shift past the word.
        {"delete 31", 0x80000001, 31, -1, 0x00000001},
        {"delete 0 below bit 31", 0x80000000, 0, -1, 0x40000000},
        {"31 to 0", 0x80000000, 31, 0, 0x00000001},
        {"0 to 31", 0x00000001, 0, 31, 0x80000000},
        {"0 to 31 with every bit", 0xFFFFFFFF, 0, 31, 0xFFFFFFFF},
        {"30 to 31", 0x40000000, 30, 31, 0x80000000},
        // Masks of nobody and indexes outside the word.
        {"zero stays zero (move)", 0, 3, 7, 0},
        {"zero stays zero (delete)", 0, 3, -1, 0},
        {"no move", 0b1010, 2, 2, 0b1010},
        {"index past the word", 0b1010, 32, -1, 0b1010},
        {"negative index", 0b1010, -1, 3, 0b1010},
    };
    for (const MaskCase& c : cases) {
        const uint32_t got = c.to < 0 ? DropMaskBit(c.mask, c.from) : MoveMaskBit(c.mask, c.from, c.to);
        EXPECT_EQ(got, c.expected) << c.what;
    }
}

TEST(StartMasks, StepFieldsHoldTheHighAndLowHalves)
{
    ObjectStep step{};
    SetStepStartMask(&step, 0x8001'0002);
    EXPECT_EQ(step.startMaskHigh, 0x8001);
    EXPECT_EQ(step.startMaskLow, 0x0002);
    EXPECT_EQ(StepStartMask(step), 0x8001'0002u);
}

ObjectStep Entry(int x, int y, int wait, uint8_t flags)
{
    ObjectStep s{};
    s.x = x;
    s.y = y;
    s.waitCount = static_cast<uint8_t>(wait);
    s.stepFlags = flags;
    return s;
}

struct ValueCase {
    const char* what;
    ValueChange change;
    std::vector<int> expected;  // the changed field of each step
};

TEST(ValueChange, DelaysAreHeldWithinTheirByte)
{
    const std::vector<ObjectStep> steps = {Entry(0, 0, 10, 0), Entry(0, 0, 200, 0), Entry(0, 0, 0, 0), Entry(0, 0, 255, 0)};
    const ValueCase cases[] = {
        {"alter by -300", {CHANGE_DELAY, false, -300, FILTER_ALL, FLAG_LEAVE, FLAG_LEAVE, 0, 4}, {0, 0, 0, 0}},
        {"alter by +100", {CHANGE_DELAY, false, 100, FILTER_ALL, FLAG_LEAVE, FLAG_LEAVE, 0, 4}, {110, 255, 100, 255}},
        {"set negative gives 0", {CHANGE_DELAY, true, -5, FILTER_ALL, FLAG_LEAVE, FLAG_LEAVE, 0, 4}, {0, 0, 0, 0}},
        {"set within a range", {CHANGE_DELAY, true, 7, FILTER_ALL, FLAG_LEAVE, FLAG_LEAVE, 1, 3}, {10, 7, 7, 255}},
        {"a range past the end stops at it", {CHANGE_DELAY, false, 1, FILTER_ALL, FLAG_LEAVE, FLAG_LEAVE, 2, 99}, {10, 200, 1, 255}},
        {"an empty range changes nothing", {CHANGE_DELAY, true, 1, FILTER_ALL, FLAG_LEAVE, FLAG_LEAVE, 3, 3}, {10, 200, 0, 255}},
    };
    for (const ValueCase& c : cases) {
        std::vector<ObjectStep> work = steps;
        ApplyValueChange(work.data(), static_cast<int>(work.size()), c.change);
        std::vector<int> got;
        for (const ObjectStep& s : work) got.push_back(s.waitCount);
        EXPECT_EQ(got, c.expected) << c.what;
    }
}

TEST(ValueChange, CoordinatesFollowTheFilterAndStayInTheFieldsRange)
{
    // Steps 0 and 2 have absolute X and relative Y; 1 and 3 the other way round.
    const std::vector<ObjectStep> steps = {Entry(10, 20, 0, STEP_X_ABSOLUTE), Entry(-10, -20, 0, STEP_Y_ABSOLUTE),
                                           Entry(2000, 1500, 0, STEP_X_ABSOLUTE), Entry(-2000, 0, 0, STEP_Y_ABSOLUTE)};
    struct CoordinateCase {
        const char* what;
        ValueChange change;
        std::vector<int> x, y;
    };
    const CoordinateCase cases[] = {
        {"X absolute only", {CHANGE_X, false, 5, FILTER_ABSOLUTE, FLAG_LEAVE, FLAG_LEAVE, 0, 4}, {15, -10, 2005, -2000}, {20, -20, 1500, 0}},
        {"X relative only", {CHANGE_X, false, 5, FILTER_RELATIVE, FLAG_LEAVE, FLAG_LEAVE, 0, 4}, {10, -5, 2000, -1995}, {20, -20, 1500, 0}},
        {"X all, held at 2048", {CHANGE_X, false, 1999, FILTER_ALL, FLAG_LEAVE, FLAG_LEAVE, 0, 4}, {2009, 1989, 2048, -1}, {20, -20, 1500, 0}},
        {"X all, held at -2048", {CHANGE_X, false, -1999, FILTER_ALL, FLAG_LEAVE, FLAG_LEAVE, 0, 4}, {-1989, -2009, 1, -2048}, {20, -20, 1500, 0}},
        {"Y set, relative only", {CHANGE_Y, true, -7, FILTER_RELATIVE, FLAG_LEAVE, FLAG_LEAVE, 0, 4}, {10, -10, 2000, -2000}, {-7, -20, -7, 0}},
        {"Y absolute, from step 2", {CHANGE_Y, false, 600, FILTER_ABSOLUTE, FLAG_LEAVE, FLAG_LEAVE, 2, 4}, {10, -10, 2000, -2000}, {20, -20, 1500, 600}},
    };
    for (const CoordinateCase& c : cases) {
        std::vector<ObjectStep> work = steps;
        ApplyValueChange(work.data(), static_cast<int>(work.size()), c.change);
        std::vector<int> x, y;
        for (const ObjectStep& s : work) {
            x.push_back(s.x);
            y.push_back(s.y);
        }
        EXPECT_EQ(x, c.x) << c.what;
        EXPECT_EQ(y, c.y) << c.what;
    }
}

TEST(ValueChange, ThreeStateFlagsSetClearOrLeave)
{
    const std::vector<ObjectStep> steps = {Entry(0, 0, 0, 0), Entry(0, 0, 0, STEP_FIX_FRAME | STEP_WAIT | STEP_X_ABSOLUTE)};
    struct FlagCase {
        int fix, wait;
        std::vector<int> expected;
    };
    const FlagCase cases[] = {
        {BST_CHECKED, FLAG_LEAVE, {0x20, 0xA8}},
        {BST_UNCHECKED, FLAG_LEAVE, {0x00, 0x88}},
        {FLAG_LEAVE, BST_CHECKED, {0x08, 0xA8}},
        {FLAG_LEAVE, BST_UNCHECKED, {0x00, 0xA0}},
        {BST_CHECKED, BST_UNCHECKED, {0x20, 0xA0}},
        {FLAG_LEAVE, FLAG_LEAVE, {0x00, 0xA8}},
    };
    for (const FlagCase& c : cases) {
        std::vector<ObjectStep> work = steps;
        ApplyValueChange(work.data(), 2, {CHANGE_FLAGS, false, 0, FILTER_ALL, c.fix, c.wait, 0, 2});
        EXPECT_EQ((std::vector<int>{work[0].stepFlags, work[1].stepFlags}), c.expected) << c.fix << " " << c.wait;
        EXPECT_EQ(work[1].x, 0);
    }
}

}  // namespace
