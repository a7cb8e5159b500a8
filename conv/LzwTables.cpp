// LZW string tables shared by the GIF and TIFF codecs.
#include "LzwTables.h"
#include <cstring>

void ResetLzwRoots(LzwDecodeTable& table, int rootCount)
{
    for (int code = 0; code < rootCount && code < LZW_MAX_CODES; ++code) {
        table.prefix[code] = LZW_NO_CODE;
        table.suffix[code] = static_cast<uint8_t>(code);
    }
}

int PushLzwString(LzwDecodeTable& table, int code, int pendingCode, int previous, uint8_t previousFirst,
                  int lastRoot, uint8_t* first)
{
    int depth = 0;
    if (code == pendingCode) {
        table.stack[depth++] = previousFirst;
        code = previous;
    }
    // Entries always name an older code as their prefix, so the walk ends at
    // a root; the stack holds at most one byte per entry plus the one above.
    while (code > lastRoot && depth < LZW_MAX_CODES) {
        table.stack[depth++] = table.suffix[code];
        code = table.prefix[code];
    }
    *first = table.suffix[code];
    table.stack[depth++] = *first;
    return depth;
}

void LzwEncodeTable::Reset()
{
    memset(keys_, 0, sizeof keys_);
}

int LzwEncodeTable::Find(int prefix, uint8_t byte) const
{
    const uint32_t key = (static_cast<uint32_t>(prefix) << 8 | byte) + 1;
    for (uint32_t slot = Slot(key);; slot = (slot + 1) & (SLOTS - 1)) {
        if (keys_[slot] == key) return codes_[slot];
        if (keys_[slot] == 0) return -1;
    }
}

void LzwEncodeTable::Add(int prefix, uint8_t byte, int code)
{
    const uint32_t key = (static_cast<uint32_t>(prefix) << 8 | byte) + 1;
    uint32_t slot = Slot(key);
    while (keys_[slot] != 0) slot = (slot + 1) & (SLOTS - 1);
    keys_[slot] = key;
    codes_[slot] = static_cast<uint16_t>(code);
}
