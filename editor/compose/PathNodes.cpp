// The path editor's node list: loading from and storing to an object's step
// list, and the edits on the whole path.
#include "PathNodes.h"
#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

constexpr uint8_t CENTRE_WINDOW = 0x08;
constexpr uint8_t CENTRE_FRAME = 0x04;
constexpr uint8_t NODE_FLAGS = STEP_FIX_FRAME | STEP_WAIT;

void CALLBACK CollectPoint(int x, int y, LPARAM data)
{
    reinterpret_cast<std::vector<POINT>*>(data)->push_back({x, y});
}

// LineDDA's points along the segments first..last (each end point left to
// the next segment); a segment of no length gives its point once when
// `zeroLengthPoints` is set.
std::vector<POINT> PolylinePoints(const std::vector<PathNode>& nodes, int first, int last, bool zeroLengthPoints)
{
    std::vector<POINT> points;
    for (int i = first; i < last; ++i) {
        const PathNode& a = nodes[i];
        const PathNode& b = nodes[i + 1];
        if (a.x == b.x && a.y == b.y) {
            if (zeroLengthPoints) points.push_back({a.x, a.y});
            continue;
        }
        LineDDA(a.x, a.y, b.x, b.y, CollectPoint, reinterpret_cast<LPARAM>(&points));
    }
    return points;
}

// Walks the points: each time the counter passes the threshold the next node
// (up to `lastIndex`) takes the point and the threshold grows by `step`.
void PlaceAlong(std::vector<PathNode>* nodes, const std::vector<POINT>& points, int index, int lastIndex, double step)
{
    double threshold = step;
    int counter = 0;
    for (const POINT& p : points) {
        // Coincident nodes make the step 0: the index must not run past the
        // nodes that are to be placed.
        while (counter > threshold && index < lastIndex) {
            ++index;
            (*nodes)[index].x = p.x;
            (*nodes)[index].y = p.y;
            threshold += step;
        }
        ++counter;
    }
}

int StoredX(int x, const PathGeometry& g) { return (g.positionFlags & CENTRE_WINDOW) ? x - g.window.cx / 2 : x; }
int StoredY(int y, const PathGeometry& g) { return (g.positionFlags & CENTRE_WINDOW) ? y - g.window.cy / 2 : y; }

void CopyNodeFields(const ObjectStep& step, PathNode* node)
{
    node->frame = step.frameIndex;
    node->delay = step.waitCount;
    node->flags = step.stepFlags & NODE_FLAGS;
    node->sound = step.soundIndex;
    node->startMaskLow = step.startMaskLow;
    node->startMaskHigh = step.startMaskHigh;
}

}  // namespace

int ClampPathCoordinate(int value, int windowSize, int frameSize, uint8_t positionFlags)
{
    if (positionFlags & CENTRE_WINDOW) value += windowSize / 2;
    const int margin = (positionFlags & CENTRE_FRAME) ? frameSize / 2 : frameSize;
    return std::clamp(value, -margin, windowSize + margin);
}

bool LoadPathNodes(const ObjectRecord& object, const ObjectStep* steps, int count, const PathGeometry& g,
                   std::vector<PathNode>* nodes, PathOptions* options)
{
    if (count > MAX_PATH_NODES) return false;
    auto clampX = [&](int v) { return ClampPathCoordinate(v, g.window.cx, g.frame.cx, g.positionFlags); };
    auto clampY = [&](int v) { return ClampPathCoordinate(v, g.window.cy, g.frame.cy, g.positionFlags); };
    const POINT start{clampX(object.startX), clampY(object.startY)};
    *options = PathOptions{};
    options->disabledAtStart = (object.objectFlags & OBJ_DISABLED) ? 1 : 0;
    nodes->clear();
    if (count <= 0 || !steps) {
        options->startAbsolute = STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE;
        nodes->push_back(PathNode{start.x, start.y, 0, 0, 0, 0, 0, 0, 0});
        return true;
    }
    const ObjectStep& first = steps[0];
    options->startAbsolute = first.stepFlags & (STEP_X_ABSOLUTE | STEP_Y_ABSOLUTE);
    PathNode node{};
    if (first.stepFlags & STEP_X_ABSOLUTE) {
        node.x = clampX(first.x);
    } else {
        node.x = start.x + first.x;
        options->firstOffsetX = first.x;
    }
    if (first.stepFlags & STEP_Y_ABSOLUTE) {
        node.y = clampY(first.y);
    } else {
        node.y = start.y + first.y;
        options->firstOffsetY = first.y;
    }
    const ObjectStep& last = steps[count - 1];
    options->repeat = last.condition & 1;
    options->repeatCount = last.conditionParam;
    options->endsAnimation = (last.stepFlags & STEP_END) ? 1 : 0;
    CopyNodeFields(first, &node);
    nodes->push_back(node);
    for (int i = 1; i < count; ++i) {
        const ObjectStep& s = steps[i];
        const PathNode& previous = nodes->back();
        PathNode next{};
        next.x = (s.stepFlags & STEP_X_ABSOLUTE) ? clampX(s.x) : previous.x + s.x;
        next.y = (s.stepFlags & STEP_Y_ABSOLUTE) ? clampY(s.y) : previous.y + s.y;
        CopyNodeFields(s, &next);
        nodes->push_back(next);
    }
    return true;
}

std::vector<ObjectStep> StorePathNodes(const std::vector<PathNode>& nodes, const PathOptions& options, bool forInsertion,
                                       const PathGeometry& g, ObjectRecord* object)
{
    std::vector<ObjectStep> steps(nodes.size(), ObjectStep{});
    if (nodes.empty()) return steps;
    ObjectStep& first = steps[0];
    if (options.startAbsolute & STEP_X_ABSOLUTE) {
        first.x = StoredX(nodes[0].x, g);
        first.stepFlags |= STEP_X_ABSOLUTE;
    } else {
        first.x = options.firstOffsetX;
        if (!forInsertion) object->startX = StoredX(nodes[0].x - options.firstOffsetX, g);
    }
    if (options.startAbsolute & STEP_Y_ABSOLUTE) {
        first.y = StoredY(nodes[0].y, g);
        first.stepFlags |= STEP_Y_ABSOLUTE;
    } else {
        first.y = options.firstOffsetY;
        if (!forInsertion) object->startY = StoredY(nodes[0].y - options.firstOffsetY, g);
    }
    for (size_t i = 0; i < nodes.size(); ++i) {
        ObjectStep& s = steps[i];
        if (i > 0) {
            s.x = nodes[i].x - nodes[i - 1].x;
            s.y = nodes[i].y - nodes[i - 1].y;
        }
        s.stepFlags |= nodes[i].flags & NODE_FLAGS;
        s.frameIndex = static_cast<uint8_t>(nodes[i].frame);
        s.waitCount = nodes[i].delay;
        s.soundIndex = nodes[i].sound;
        s.startMaskHigh = nodes[i].startMaskHigh;
        s.startMaskLow = nodes[i].startMaskLow;
    }
    ObjectStep& last = steps.back();
    if (options.repeat) {
        last.condition |= 1;  // the counter; jumpTarget 0 goes back to the first step
        last.conditionParam = static_cast<uint8_t>(options.repeatCount);
    }
    if (options.endsAnimation) last.stepFlags |= STEP_END;
    object->objectFlags = static_cast<uint8_t>(options.disabledAtStart ? object->objectFlags | OBJ_DISABLED
                                                                       : object->objectFlags & ~OBJ_DISABLED);
    return steps;
}

void SpreadPathNodes(std::vector<PathNode>* nodes, int first, int last)
{
    const int count = static_cast<int>(nodes->size());
    if (first < 0 || last >= count || last - first < 2) return;
    const std::vector<PathNode> copy = *nodes;
    const std::vector<POINT> points = PolylinePoints(copy, first, last, false);
    const double step = static_cast<double>(points.size()) / (last - first);
    PlaceAlong(nodes, points, first, last - 1, step);
}

void ResamplePath(std::vector<PathNode>* nodes, int n)
{
    const int old = static_cast<int>(nodes->size());
    if (n < 2 || n > MAX_PATH_NODES || old < 1) return;
    std::vector<PathNode> resampled(n, PathNode{});
    for (int i = 0; i < old; ++i) {
        const int target = i * (n / old);
        if (target < n) resampled[target] = (*nodes)[i];
    }
    const std::vector<POINT> counted = PolylinePoints(*nodes, 0, old - 1, false);
    const double step = static_cast<double>(counted.size()) / (n - 1);
    resampled[0].x = nodes->front().x;
    resampled[0].y = nodes->front().y;
    resampled[n - 1].x = nodes->back().x;
    resampled[n - 1].y = nodes->back().y;
    PlaceAlong(&resampled, PolylinePoints(*nodes, 0, old - 1, true), 0, n - 2, step);
    *nodes = std::move(resampled);
}

void MirrorPathNodes(std::vector<PathNode>* nodes, bool leftRight)
{
    if (nodes->empty()) return;
    auto coordinate = [leftRight](PathNode& node) -> int32_t& { return leftRight ? node.x : node.y; };
    int minimum = coordinate(nodes->front()), maximum = minimum;
    for (PathNode& node : *nodes) {
        minimum = std::min(minimum, coordinate(node));
        maximum = std::max(maximum, coordinate(node));
    }
    const int axis = (minimum + maximum) / 2 * 2;
    for (PathNode& node : *nodes) coordinate(node) = axis - coordinate(node);
}

void AssignPathFrames(std::vector<PathNode>* nodes, const FrameAssignment& a)
{
    if (a.firstFrame < 0 || a.lastFrame < a.firstFrame) return;
    int frame = a.firstFrame;
    int direction = 1;
    for (PathNode& node : *nodes) {
        if (a.selectedOnly && !node.selected) continue;
        node.frame = frame;
        if (a.setDelay) node.delay = static_cast<uint8_t>(std::clamp(a.delay, 0, 255));
        int next = frame + direction;
        if (next < a.firstFrame || next > a.lastFrame) {
            if (a.reverse) {
                direction = -direction;
                next = frame + direction;
            } else {
                next = a.firstFrame;
            }
        }
        // A range of one frame has nowhere to turn to: it stays on that frame.
        frame = std::clamp(next, a.firstFrame, a.lastFrame);
    }
}

bool InsertPathNode(std::vector<PathNode>* nodes, int after, POINT at, int shownFrame, int frameCount)
{
    if (static_cast<int>(nodes->size()) > MAX_PATH_NODES - 1) return false;
    PathNode node{};
    node.x = at.x;
    node.y = at.y;
    node.frame = frameCount > 0 ? (shownFrame + 1) % frameCount : 0;
    const int position = std::clamp(after + 1, 0, static_cast<int>(nodes->size()));
    nodes->insert(nodes->begin() + position, node);
    return true;
}

int HitPathNode(const std::vector<PathNode>& nodes, int current, POINT at)
{
    auto hit = [&](int i) { return abs(nodes[i].x - at.x) <= 3 && abs(nodes[i].y - at.y) <= 3; };
    const int count = static_cast<int>(nodes.size());
    if (current >= 0 && current < count && hit(current)) return current;
    for (int i = 0; i < count; ++i) {
        if (!hit(i)) continue;
        while (i + 1 < count && hit(i + 1)) ++i;
        return i;
    }
    return -1;
}

bool InsertMidpoints(std::vector<PathNode>* nodes, int first, int last, int shownFrame, int frameCount)
{
    if (first > last) std::swap(first, last);
    if (first < 0 || last >= static_cast<int>(nodes->size()) || first == last) return false;
    if (static_cast<int>(nodes->size()) + (last - first) > MAX_PATH_NODES) return false;
    // From the back, so the indices still to be visited stay where they were.
    for (int i = last - 1; i >= first; --i) {
        const PathNode& a = (*nodes)[i];
        const PathNode& b = (*nodes)[i + 1];
        InsertPathNode(nodes, i, POINT{(a.x + b.x) / 2, (a.y + b.y) / 2}, shownFrame, frameCount);
    }
    return true;
}

void DeletePathNodes(std::vector<PathNode>* nodes, int* current)
{
    const bool group = HasGroup(*nodes);
    for (int i = static_cast<int>(nodes->size()) - 1; i >= 0; --i) {
        if (group ? !(*nodes)[i].selected : i != *current) continue;
        nodes->erase(nodes->begin() + i);
        if (i < *current) --*current;
    }
    *current = std::clamp(*current, 0, std::max(0, static_cast<int>(nodes->size()) - 1));
}

bool HasGroup(const std::vector<PathNode>& nodes)
{
    return std::any_of(nodes.begin(), nodes.end(), [](const PathNode& n) { return n.selected != 0; });
}

void ClearGroup(std::vector<PathNode>* nodes)
{
    for (PathNode& node : *nodes) node.selected = 0;
}

bool GroupRange(const std::vector<PathNode>& nodes, int* first, int* last)
{
    *first = *last = -1;
    for (int i = 0; i < static_cast<int>(nodes.size()); ++i) {
        if (!nodes[i].selected) continue;
        if (*first < 0) *first = i;
        *last = i;
    }
    return *first >= 0;
}

RECT GroupRect(const std::vector<PathNode>& nodes)
{
    RECT box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (const PathNode& node : nodes) {
        if (!node.selected) continue;
        box.left = std::min<LONG>(box.left, node.x);
        box.top = std::min<LONG>(box.top, node.y);
        box.right = std::max<LONG>(box.right, node.x);
        box.bottom = std::max<LONG>(box.bottom, node.y);
    }
    if (box.left > box.right) return RECT{};
    return RECT{box.left - 4, box.top - 4, box.right + 4, box.bottom + 4};
}

bool SelectNodesInRect(std::vector<PathNode>* nodes, RECT band)
{
    const LONG left = std::min(band.left, band.right), right = std::max(band.left, band.right);
    const LONG top = std::min(band.top, band.bottom), bottom = std::max(band.top, band.bottom);
    bool any = false;
    for (PathNode& node : *nodes) {
        node.selected = node.x >= left && node.x <= right && node.y >= top && node.y <= bottom;
        any = any || node.selected;
    }
    return any;
}
