// The path editor's working list: the nodes of a path over the animation
// window, how an object's step list becomes nodes and back, and the edits on
// the whole list (spreading, resampling, mirroring, assigning frames).
#pragma once
#include "AnsFile.h"
#include <windows.h>
#include <cstdint>
#include <vector>

constexpr int MAX_PATH_NODES = 999;

// One node in window coordinates (0,0 = the window's top-left corner).
struct PathNode {
    int32_t x;
    int32_t y;
    int32_t frame;
    uint8_t selected;  // member of the group selection
    uint8_t delay;     // waitCount of the step
    uint8_t flags;     // stepFlags 0x20 (fix frame) and 0x08 (wait until started) only
    uint8_t sound;
    uint16_t startMaskLow;
    uint16_t startMaskHigh;
};

struct PathOptions {
    int32_t firstOffsetX;  // the relative move of the first step when the start is relative
    int32_t firstOffsetY;
    int32_t repeatCount;   // 0..255; 0 with repeat: endless
    uint8_t startAbsolute; // 0xC0 both absolute, 0 relative (the first step's 0x80 and 0x40)
    uint8_t repeat;
    uint8_t endsAnimation; // the last step's 0x10, kept as loaded
    uint8_t disabledAtStart;
};

// What the conversions need of the animation: the test-run window's size,
// the object's frame size and the settings' positionFlags (0x08 coordinates
// relative to the window centre, 0x04 a position names the frame's centre).
struct PathGeometry {
    SIZE window;
    SIZE frame;
    uint8_t positionFlags;
};

// A stored absolute coordinate brought into the window area: plus half the
// window size with 0x08, then held within -m..size + m, m the frame size (half
// of it with 0x04).
int ClampPathCoordinate(int value, int windowSize, int frameSize, uint8_t positionFlags);

// The nodes of an object's step list (none: one node at its start). False
// for a list longer than MAX_PATH_NODES (nothing is built).
bool LoadPathNodes(const ObjectRecord& object, const ObjectStep* steps, int count, const PathGeometry& geometry,
                   std::vector<PathNode>* nodes, PathOptions* options);
// The step list of the nodes; the object's start (unless the path is for
// insertion into a cycle) and its 0x02 flag follow the options.
std::vector<ObjectStep> StorePathNodes(const std::vector<PathNode>& nodes, const PathOptions& options, bool forInsertion,
                                       const PathGeometry& geometry, ObjectRecord* object);

// Nodes first+1 .. last-1 placed evenly along the polyline first..last.
void SpreadPathNodes(std::vector<PathNode>* nodes, int first, int last);
// The path with n (2..999) nodes along the same polyline.
void ResamplePath(std::vector<PathNode>* nodes, int n);
// Mirrors every node about the middle of the nodes' extent.
void MirrorPathNodes(std::vector<PathNode>* nodes, bool leftRight);

// "Assign frames to path nodes": frames 0-based.
struct FrameAssignment {
    bool selectedOnly;
    bool reverse;   // else repeat
    bool setDelay;
    int firstFrame;
    int lastFrame;
    int delay;
};
void AssignPathFrames(std::vector<PathNode>* nodes, const FrameAssignment& assignment);

// A node after index `after` (-1: at the front) at (x, y) with the frame
// after `shownFrame`; false when the list is full.
bool InsertPathNode(std::vector<PathNode>* nodes, int after, POINT at, int shownFrame, int frameCount);

// ---- the canvas's edits of the list ------------------------------------------------

// The node under a point: a node is hit when both distances are at most 3;
// the current node is tested first, then the first run of consecutive hits
// in list order gives its last node. -1 when none is hit.
int HitPathNode(const std::vector<PathNode>& nodes, int current, POINT at);
// A node midway (the integer mean of its neighbours) between each pair from
// node `first` to node `last`, each with the frame after `shownFrame`. False
// (nothing inserted) when the list cannot take them all.
bool InsertMidpoints(std::vector<PathNode>* nodes, int first, int last, int shownFrame, int frameCount);
// Deletes the group's nodes, or the current node without a group; the
// current index follows its node and stays within the list (0 when empty).
void DeletePathNodes(std::vector<PathNode>* nodes, int* current);
bool HasGroup(const std::vector<PathNode>& nodes);
void ClearGroup(std::vector<PathNode>* nodes);
// The first and last node of the group; false without a group.
bool GroupRange(const std::vector<PathNode>& nodes, int* first, int* last);
// The group's bounding box widened by 4 (right and bottom inclusive).
RECT GroupRect(const std::vector<PathNode>& nodes);
// Makes the nodes inside `band` (corners in any order) the group; false when
// none lies inside (then there is no group).
bool SelectNodesInRect(std::vector<PathNode>* nodes, RECT band);
