// The file-dialog list of the library's formats that GetFormats hands out.
#include "ConvFormats.h"
#include "ConvLibrary.h"
#include "ConvResource.h"
#include <cstring>

namespace {

struct ListEntry {
    int need;     // list flags that must all be set
    int without;  // list flags that must be clear
    UINT stringId;
    BYTE code;
};

// In this order. The video list for saving also offers the animated formats,
// the still list for opening the formats that can only be read.
const ListEntry kListEntries[] = {
    {CONV_LIST_ANIMATION, 0, IDS_FORMAT_ANI, CONV_FORMAT_ANI},
    {CONV_LIST_ANIMATION, 0, IDS_FORMAT_GIF_ANIM, CONV_FORMAT_GIF_ANIM},
    {CONV_LIST_VIDEO, 0, IDS_FORMAT_AVI, CONV_FORMAT_AVI},
    {CONV_LIST_VIDEO | CONV_LIST_FOR_SAVE, 0, IDS_FORMAT_ANI, CONV_FORMAT_ANI},
    {CONV_LIST_VIDEO | CONV_LIST_FOR_SAVE, 0, IDS_FORMAT_GIF_ANIM, CONV_FORMAT_GIF_ANIM},
    {CONV_LIST_STILL, CONV_LIST_FOR_SAVE, IDS_FORMAT_RESOURCE_BITMAP, CONV_FORMAT_RESOURCE_BITMAP},
    {CONV_LIST_STILL, CONV_LIST_FOR_SAVE, IDS_FORMAT_ICON_OPEN, CONV_FORMAT_ICON},
    {CONV_LIST_STILL | CONV_LIST_FOR_SAVE, 0, IDS_FORMAT_ICON_SAVE, CONV_FORMAT_ICON},
    {CONV_LIST_STILL, 0, IDS_FORMAT_GIF, CONV_FORMAT_GIF},
    {CONV_LIST_STILL, 0, IDS_FORMAT_PCX, CONV_FORMAT_PCX},
    {CONV_LIST_STILL, 0, IDS_FORMAT_TIFF, CONV_FORMAT_TIFF},
    {CONV_LIST_STILL, 0, IDS_FORMAT_JPEG, CONV_FORMAT_JPEG},
};
static_assert(sizeof kListEntries / sizeof kListEntries[0] >= CONV_MAX_FORMAT_ENTRIES);

}  // namespace

int BuildFormatList(char* filters, BYTE* codes, int flags)
{
    int count = 0;
    uint16_t offset = 0;  // entries are short: the whole list stays far below 64 kilobytes
    for (const ListEntry& entry : kListEntries) {
        if ((flags & entry.need) != entry.need || (flags & entry.without)) continue;
        char text[CONV_FORMAT_ENTRY_BYTES];
        const int length = LoadStringA(ConvModule(), entry.stringId, text, sizeof text);
        if (length <= 0) continue;
        for (int i = 0; i < length; ++i)
            if (text[i] == '|') text[i] = '\0';
        memcpy(filters + offset, text, length + 1);  // the pattern's own NUL ends the entry
        offset = static_cast<uint16_t>(offset + length + 1);
        codes[count++] = entry.code;
    }
    if (count > 0) filters[offset] = '\0';
    return count;
}
