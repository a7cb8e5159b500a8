// The start masks of the steps (bit i starts object i) follow the objects
// when one is deleted or moved, and the small shared pieces of the
// composition dialogs.
#include "ComposeCommon.h"
#include "ComposeDialogs.h"
#include "ComposeResources.h"
#include "DialogUtilities.h"
#include "PackedDib.h"
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr int MASK_BITS = 32;

uint64_t LowBits(int count) { return count <= 0 ? 0 : (uint64_t{1} << count) - 1; }

// Runs `change` over the start mask of every step of every object; masks that
// are 0 start nobody and stay.
template <typename Change>
void ForEachStartMask(Change change)
{
    for (int object = 0; object < g_document.objectCount; ++object) {
        HGLOBAL block = g_document.objectMemoryHandles[object][0];
        const int count = UsableStepCount(block, g_document.objectTable[object].stepCount);
        GlobalLockGuard<ObjectStep> steps(block);
        if (!steps) continue;
        for (int i = 0; i < count; ++i) {
            ObjectStep& step = steps.get()[i];
            const uint32_t mask = StepStartMask(step);
            if (mask) SetStepStartMask(&step, change(mask));
        }
    }
}

}  // namespace

uint32_t DropMaskBit(uint32_t mask, int index)
{
    if (index < 0 || index >= MASK_BITS) return mask;
    const uint64_t below = mask & LowBits(index);
    const uint64_t above = (uint64_t{mask} >> (index + 1)) << index;
    return static_cast<uint32_t>(below | above);
}

uint32_t MoveMaskBit(uint32_t mask, int from, int to)
{
    if (from < 0 || to < 0 || from >= MASK_BITS || to >= MASK_BITS || from == to) return mask;
    const int low = from < to ? from : to;
    const int width = (from < to ? to : from) - low + 1;
    const uint64_t field = LowBits(width);
    const uint64_t range = (uint64_t{mask} >> low) & field;
    // Within the range the bits turn by one place: downwards when the object
    // moves down the list (its bit goes to the top), upwards otherwise.
    const uint64_t turned = from < to ? (range >> 1) | ((range & 1) << (width - 1))
                                      : ((range << 1) & field) | (range >> (width - 1));
    return static_cast<uint32_t>((mask & ~(field << low)) | (turned << low));
}

void DropStartMaskBit(int index)
{
    ForEachStartMask([index](uint32_t mask) { return DropMaskBit(mask, index); });
}

void MoveStartMaskBit(int from, int to)
{
    ForEachStartMask([from, to](uint32_t mask) { return MoveMaskBit(mask, from, to); });
}

// ---- shared pieces ---------------------------------------------------------------------

const char* BareFileName(const char* path)
{
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    return name;
}

void CopyName(char* out, int room, const char* text)
{
    if (room <= 0) return;
    lstrcpynA(out, text ? text : "", room);
}

int UsableStepCount(HGLOBAL block, int stepCount)
{
    if (!block || stepCount <= 0) return 0;
    const SIZE_T held = GlobalSize(block) / sizeof(ObjectStep);
    return held < SIZE_T(stepCount) ? static_cast<int>(held) : stepCount;
}

int AskWarningQuestion(HWND owner, UINT textId)
{
    char caption[RESOURCE_STRING_LENGTH];
    LoadResourceString(IDS_WARNING, caption);
    return ShowStringMessage(owner, textId, caption, MB_YESNO | MB_ICONQUESTION);
}

void ShowStartObjectsLabel(HWND dialog, int list, int label)
{
    const int count = static_cast<int>(SendDlgItemMessageA(dialog, list, LB_GETSELCOUNT, 0, 0));
    char format[RESOURCE_STRING_LENGTH], text[RESOURCE_STRING_LENGTH + 16];
    LoadResourceString(IDS_START_OBJECTS, format);
    snprintf(text, sizeof text, format, count > 0 ? count : 0);
    // None chosen: "Start Objects:".
    if (count <= 0)
        if (char* zero = strstr(text, " (0)")) strcpy(zero, ":");
    SetDlgItemTextA(dialog, label, text);
}

void SetScrollArea(HWND window, SIZE area, POINT* scroll)
{
    RECT client;
    GetClientRect(window, &client);
    const LONG rangeX = std::max(0L, area.cx - client.right), rangeY = std::max(0L, area.cy - client.bottom);
    scroll->x = std::clamp(scroll->x, 0L, rangeX);
    scroll->y = std::clamp(scroll->y, 0L, rangeY);
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS};
    info.nMax = rangeX ? area.cx - 1 : 0;
    info.nPage = rangeX ? static_cast<UINT>(client.right) : 0;
    info.nPos = scroll->x;
    SetScrollInfo(window, SB_HORZ, &info, TRUE);
    info.nMax = rangeY ? area.cy - 1 : 0;
    info.nPage = rangeY ? static_cast<UINT>(client.bottom) : 0;
    info.nPos = scroll->y;
    SetScrollInfo(window, SB_VERT, &info, TRUE);
}

bool ScrollBy(HWND window, POINT* scroll, int bar, int code, int line, int (*page)(int range, int barPage))
{
    SCROLLINFO info{sizeof info, SIF_ALL};
    GetScrollInfo(window, bar, &info);
    const int range = info.nMax + 1 - static_cast<int>(info.nPage);
    if (range <= 0) return false;
    LONG& position = bar == SB_HORZ ? scroll->x : scroll->y;
    int next = position;
    switch (code) {
    case SB_LINEUP: next -= line; break;
    case SB_LINEDOWN: next += line; break;
    case SB_PAGEUP: next -= page(range, static_cast<int>(info.nPage)); break;
    case SB_PAGEDOWN: next += page(range, static_cast<int>(info.nPage)); break;
    case SB_TOP: next = 0; break;
    case SB_BOTTOM: next = range; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: next = info.nTrackPos; break;
    default: return false;
    }
    position = std::clamp(next, 0, range);
    SetScrollPos(window, bar, position, TRUE);
    InvalidateRect(window, nullptr, FALSE);
    return true;
}
