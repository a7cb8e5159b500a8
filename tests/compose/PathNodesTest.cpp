// The path editor's node list: coordinates brought into the window area,
// step lists loaded and stored again, and the edits on the whole path.
#include "PathNodes.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

const PathGeometry plain{{200, 100}, {20, 10}, 0};

PathNode At(int x, int y)
{
    PathNode node{};
    node.x = x;
    node.y = y;
    return node;
}

ObjectStep Step(int x, int y, uint8_t flags, int frame = 0)
{
    ObjectStep step{};
    step.x = x;
    step.y = y;
    step.stepFlags = flags;
    step.frameIndex = static_cast<uint8_t>(frame);
    return step;
}

TEST(PathNodes, ClampIntoTheWindowArea)
{
    struct Case {
        int value, size, frame;
        uint8_t flags;
        int expected;
    } cases[] = {
        {50, 200, 20, 0, 50},
        {-30, 200, 20, 0, -20},     // margin: the frame size
        {-30, 200, 20, 0x04, -10},  // centred frames: half of it
        {250, 200, 20, 0, 220},
        {0, 200, 20, 0x08, 100},    // relative to the centre
        {-150, 200, 20, 0x08, -20},
        {130, 200, 20, 0x0C, 210},
    };
    for (const Case& c : cases) EXPECT_EQ(ClampPathCoordinate(c.value, c.size, c.frame, c.flags), c.expected) << c.value << " " << int(c.flags);
}

TEST(PathNodes, AbsoluteStartRoundTrip)
{
    ObjectRecord object{};
    object.startX = 5;
    object.startY = 6;
    std::vector<ObjectStep> steps{Step(10, 20, 0xC0, 1), Step(5, -5, 0x20, 2), Step(-3, 0, 0x08, 3)};
    steps[2].condition = 1;
    steps[2].conditionParam = 4;
    steps[2].stepFlags |= STEP_END;
    steps[1].soundIndex = 2;
    steps[1].startMaskHigh = 0x8000;
    steps[1].startMaskLow = 3;
    std::vector<PathNode> nodes;
    PathOptions options;
    ASSERT_TRUE(LoadPathNodes(object, steps.data(), 3, plain, &nodes, &options));
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_EQ(nodes[1].x, 15);
    EXPECT_EQ(nodes[2].y, 15);
    EXPECT_EQ(options.repeat, 1);
    EXPECT_EQ(options.repeatCount, 4);
    EXPECT_EQ(options.endsAnimation, 1);
    const std::vector<ObjectStep> stored = StorePathNodes(nodes, options, false, plain, &object);
    ASSERT_EQ(stored.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(stored[i].x, steps[i].x) << i;
        EXPECT_EQ(stored[i].y, steps[i].y) << i;
        EXPECT_EQ(stored[i].stepFlags, steps[i].stepFlags) << i;
        EXPECT_EQ(stored[i].frameIndex, steps[i].frameIndex) << i;
        EXPECT_EQ(stored[i].soundIndex, steps[i].soundIndex) << i;
        EXPECT_EQ(stored[i].startMaskHigh, steps[i].startMaskHigh) << i;
        EXPECT_EQ(stored[i].startMaskLow, steps[i].startMaskLow) << i;
    }
    EXPECT_EQ(stored[2].condition, 1);
    EXPECT_EQ(stored[2].conditionParam, 4);
    EXPECT_EQ(stored[2].jumpTarget, 0);
}

TEST(PathNodes, RelativeStartKeepsTheOffsetAndMovesTheStart)
{
    ObjectRecord object{};
    object.startX = 40;
    object.startY = 30;
    std::vector<ObjectStep> steps{Step(7, -2, 0), Step(10, 0, 0)};
    std::vector<PathNode> nodes;
    PathOptions options;
    ASSERT_TRUE(LoadPathNodes(object, steps.data(), 2, plain, &nodes, &options));
    EXPECT_EQ(nodes[0].x, 47);
    EXPECT_EQ(options.firstOffsetX, 7);
    EXPECT_EQ(options.startAbsolute, 0);
    nodes[0].x = 100;  // node 0 dragged
    const std::vector<ObjectStep> stored = StorePathNodes(nodes, options, false, plain, &object);
    EXPECT_EQ(stored[0].x, 7);
    EXPECT_EQ(object.startX, 93) << "after the first step the object stands on node 0";
    EXPECT_EQ(object.startY, 30);
    // Window-centred coordinates store half the window less.
    const PathGeometry centred{{200, 100}, {20, 10}, 0x08};
    StorePathNodes(nodes, options, false, centred, &object);
    EXPECT_EQ(object.startX, 93 - 100);
    // A path for insertion leaves the object alone.
    object.startX = 1;
    StorePathNodes(nodes, options, true, plain, &object);
    EXPECT_EQ(object.startX, 1);
}

TEST(PathNodes, OptionsOnTheLastStep)
{
    ObjectRecord object{};
    object.objectFlags = OBJ_DISABLED;
    std::vector<PathNode> nodes;
    PathOptions options;
    // No steps: one node at the start, absolute.
    object.startX = 12;
    object.startY = 13;
    ASSERT_TRUE(LoadPathNodes(object, nullptr, 0, plain, &nodes, &options));
    ASSERT_EQ(nodes.size(), 1u);
    EXPECT_EQ(nodes[0].x, 12);
    EXPECT_EQ(options.startAbsolute, 0xC0);
    EXPECT_EQ(options.disabledAtStart, 1);
    options.repeat = 1;
    options.repeatCount = 0;  // "Infinite Repeat"
    options.disabledAtStart = 0;
    const std::vector<ObjectStep> one = StorePathNodes(nodes, options, false, plain, &object);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].condition & 1, 1);
    EXPECT_EQ(one[0].conditionParam, 0);
    EXPECT_EQ(one[0].stepFlags & 0xC0, 0xC0);
    EXPECT_EQ(object.objectFlags & OBJ_DISABLED, 0);
    // Longer lists than the editor holds are refused.
    std::vector<ObjectStep> many(MAX_STEPS, Step(1, 1, 0));
    EXPECT_FALSE(LoadPathNodes(object, many.data(), MAX_STEPS, plain, &nodes, &options));
    EXPECT_TRUE(LoadPathNodes(object, many.data(), MAX_PATH_NODES, plain, &nodes, &options));
}

TEST(PathNodes, SpreadAlongAStraightLine)
{
    std::vector<PathNode> nodes{At(-50, 0), At(-10, 0), At(0, 0), At(3, 0), At(4, 0), At(5, 0), At(100, 0), At(100, 40)};
    nodes[4].frame = 9;
    SpreadPathNodes(&nodes, 2, 6);
    EXPECT_EQ(nodes[3].x, 26);
    EXPECT_EQ(nodes[4].x, 51);
    EXPECT_EQ(nodes[5].x, 76);
    EXPECT_EQ(nodes[4].frame, 9);
    EXPECT_EQ(nodes[2].x, 0);
    EXPECT_EQ(nodes[6].x, 100);
    EXPECT_EQ(nodes[1].x, -10);
    // Coincident nodes: nothing moves past the last node.
    std::vector<PathNode> same(6, At(7, 7));
    SpreadPathNodes(&same, 0, 5);
    for (const PathNode& node : same) EXPECT_EQ(node.x, 7);
}

TEST(PathNodes, Resample)
{
    std::vector<PathNode> nodes;
    for (int i = 0; i < 16; ++i) nodes.push_back(At(i * 10, 0));
    ResamplePath(&nodes, 2);
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(nodes[0].x, 0);
    EXPECT_EQ(nodes[1].x, 150);
    // Up again: evenly along the line.
    ResamplePath(&nodes, 4);
    ASSERT_EQ(nodes.size(), 4u);
    EXPECT_EQ(nodes[0].x, 0);
    EXPECT_EQ(nodes[1].x, 51);
    EXPECT_EQ(nodes[2].x, 101);
    EXPECT_EQ(nodes[3].x, 150);
    // Every node on one point: the new nodes stay within the list.
    std::vector<PathNode> same(5, At(3, 4));
    ResamplePath(&same, 12);
    ASSERT_EQ(same.size(), 12u);
    for (const PathNode& node : same) {
        EXPECT_EQ(node.x, 3);
        EXPECT_EQ(node.y, 4);
    }
}

TEST(PathNodes, MirrorTwiceRestores)
{
    std::vector<PathNode> nodes{At(0, 5), At(10, 9), At(4, 1)};
    const std::vector<PathNode> before = nodes;
    MirrorPathNodes(&nodes, true);
    EXPECT_EQ(nodes[0].x, 10);
    EXPECT_EQ(nodes[2].x, 6);
    EXPECT_EQ(nodes[0].y, 5);
    MirrorPathNodes(&nodes, true);
    for (size_t i = 0; i < nodes.size(); ++i) EXPECT_EQ(nodes[i].x, before[i].x);
    MirrorPathNodes(&nodes, false);
    EXPECT_EQ(nodes[0].y, 5);
    EXPECT_EQ(nodes[1].y, 1);
}

TEST(PathNodes, AssignFrames)
{
    struct Case {
        const char* what;
        FrameAssignment assignment;
        std::vector<int> frames;
    } cases[] = {
        {"repeat", {false, false, false, 1, 3, 0}, {1, 2, 3, 1, 2, 3, 1}},
        {"reverse", {false, true, false, 1, 3, 0}, {1, 2, 3, 2, 1, 2, 3}},
        {"reverse on one frame stays on it", {false, true, false, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}},
        {"repeat on one frame", {false, false, false, 2, 2, 0}, {2, 2, 2, 2, 2, 2, 2}},
    };
    for (const Case& c : cases) {
        std::vector<PathNode> nodes(7, At(0, 0));
        AssignPathFrames(&nodes, c.assignment);
        std::vector<int> got;
        for (const PathNode& node : nodes) got.push_back(node.frame);
        EXPECT_EQ(got, c.frames) << c.what;
    }
    std::vector<PathNode> nodes(4, At(0, 0));
    nodes[1].selected = nodes[3].selected = 1;
    nodes[0].frame = 9;
    AssignPathFrames(&nodes, {true, false, true, 4, 5, 300});
    EXPECT_EQ(nodes[0].frame, 9);
    EXPECT_EQ(nodes[1].frame, 4);
    EXPECT_EQ(nodes[3].frame, 5);
    EXPECT_EQ(nodes[3].delay, 255);
    EXPECT_EQ(nodes[0].delay, 0);
}

TEST(PathNodes, InsertUpToTheLimit)
{
    std::vector<PathNode> nodes{At(0, 0)};
    ASSERT_TRUE(InsertPathNode(&nodes, 0, {5, 6}, 3, 4));
    EXPECT_EQ(nodes[1].frame, 0) << "after the last frame comes the first";
    ASSERT_TRUE(InsertPathNode(&nodes, -1, {1, 1}, 1, 4));
    EXPECT_EQ(nodes[0].frame, 2);
    nodes.resize(MAX_PATH_NODES);
    EXPECT_FALSE(InsertPathNode(&nodes, 5, {0, 0}, 0, 1));
    EXPECT_EQ(nodes.size(), static_cast<size_t>(MAX_PATH_NODES));
}

}  // namespace

#include "RegionMath.h"

namespace {

TEST(RegionMath, SnapToRectCorner)
{
    struct Case {
        POINT point;
        RECT rect;
        int distance;
        int code;
        POINT after;
    } cases[] = {
        {{11, 21}, {10, 20, 50, 60}, 3, CORNER_LEFT_TOP, {10, 20}},
        {{52, 19}, {10, 20, 50, 60}, 3, CORNER_RIGHT_TOP, {50, 20}},
        {{49, 61}, {10, 20, 50, 60}, 3, CORNER_RIGHT_BOTTOM, {50, 60}},
        {{10, 58}, {10, 20, 50, 60}, 3, CORNER_LEFT_BOTTOM, {10, 60}},
        {{13, 20}, {10, 20, 50, 60}, 3, 0, {13, 20}},  // exactly the distance away: not closer
        {{30, 40}, {10, 20, 50, 60}, 3, 0, {30, 40}},
        // A region one pixel wide: every corner is near; the last one tested wins.
        {{10, 20}, {10, 20, 11, 21}, 3, CORNER_LEFT_BOTTOM, {10, 21}},
        {{10, 20}, {10, 20, 50, 60}, 1, CORNER_LEFT_TOP, {10, 20}},  // zoom step 2: distance 1
    };
    for (const Case& c : cases) {
        POINT p = c.point;
        EXPECT_EQ(SnapToRectCorner(&p, c.rect, c.distance), c.code) << c.point.x << "," << c.point.y;
        EXPECT_EQ(p.x, c.after.x);
        EXPECT_EQ(p.y, c.after.y);
    }
}

TEST(PathNodes, HitTestPrefersTheCurrentNodeThenTheLastOfTheFirstRun)
{
    // Nodes 1, 2 and 4 lie within 3 pixels of (50, 50); node 3 does not.
    const std::vector<PathNode> nodes{At(0, 0), At(48, 50), At(53, 52), At(90, 90), At(50, 47)};
    EXPECT_EQ(HitPathNode(nodes, 0, {50, 50}), 2);   // the run 1..2 gives its last node
    EXPECT_EQ(HitPathNode(nodes, 4, {50, 50}), 4);   // the current node first
    EXPECT_EQ(HitPathNode(nodes, 0, {57, 52}), -1);  // 4 away from node 2
    EXPECT_EQ(HitPathNode(nodes, 0, {93, 87}), 3);
    EXPECT_EQ(HitPathNode({}, 0, {0, 0}), -1);
}

TEST(PathNodes, MidpointsDeletionAndGroups)
{
    std::vector<PathNode> nodes{At(0, 0), At(10, 20), At(30, 21)};
    ASSERT_TRUE(InsertMidpoints(&nodes, 2, 0, 1, 4));  // either order
    ASSERT_EQ(nodes.size(), 5u);
    EXPECT_EQ(nodes[1].x, 5);
    EXPECT_EQ(nodes[1].y, 10);
    EXPECT_EQ(nodes[3].x, 20);
    EXPECT_EQ(nodes[3].y, 20);  // the integer mean
    EXPECT_EQ(nodes[3].frame, 2);
    // A list that cannot take them all takes none.
    std::vector<PathNode> full(MAX_PATH_NODES - 1, At(0, 0));
    EXPECT_FALSE(InsertMidpoints(&full, 0, 2, 0, 4));
    EXPECT_EQ(full.size(), size_t(MAX_PATH_NODES - 1));

    // Without a group the current node goes; nodes before it move it down.
    int current = 3;
    DeletePathNodes(&nodes, &current);
    EXPECT_EQ(nodes.size(), 4u);
    EXPECT_EQ(current, 3);
    EXPECT_EQ(nodes[3].x, 30);
    nodes[0].selected = nodes[1].selected = 1;
    EXPECT_TRUE(HasGroup(nodes));
    const RECT box = GroupRect(nodes);
    EXPECT_EQ(box.left, -4);
    EXPECT_EQ(box.bottom, 14);
    DeletePathNodes(&nodes, &current);
    EXPECT_EQ(nodes.size(), 2u);
    EXPECT_EQ(current, 1);
    current = 1;
    DeletePathNodes(&nodes, &current);
    DeletePathNodes(&nodes, &current);
    EXPECT_TRUE(nodes.empty());
    EXPECT_EQ(current, 0);

    std::vector<PathNode> band{At(0, 0), At(10, 10), At(20, 20)};
    EXPECT_TRUE(SelectNodesInRect(&band, {25, 5, 5, 25}));  // corners in any order
    EXPECT_FALSE(band[0].selected);
    EXPECT_TRUE(band[1].selected && band[2].selected);
    EXPECT_FALSE(SelectNodesInRect(&band, {100, 100, 120, 120}));
    EXPECT_FALSE(HasGroup(band));
}

}  // namespace
