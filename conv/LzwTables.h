// The string tables of LZW coding with codes of up to 12 bits, shared by the
// library's GIF and TIFF codecs. Each codec keeps its own bit order and its
// own rule for when the code size grows; these tables only know strings:
// every entry is a shorter string (its prefix code) plus one byte.
#pragma once
#include <cstdint>

constexpr int LZW_MAX_CODES = 4096;           // codes 0..4095: 12 bits
constexpr int LZW_MAX_CODE_BITS = 12;
constexpr uint16_t LZW_NO_CODE = LZW_MAX_CODES;  // no prefix, no previous code

// The decoder's table and the stack a string is expanded on. A string is
// pushed last byte first and popped into the output.
struct LzwDecodeTable {
    uint16_t prefix[LZW_MAX_CODES];
    uint8_t suffix[LZW_MAX_CODES];
    // The longest string has one byte per entry, and one more when the code
    // read is the entry about to be made.
    uint8_t stack[LZW_MAX_CODES + 1];
};

// Codes below `rootCount` stand for the byte of their own number.
void ResetLzwRoots(LzwDecodeTable& table, int rootCount);

// Pushes the string of `code` onto the stack and returns how many bytes it
// has. `lastRoot` is the highest code that is not an entry (the decoder's
// clear code: entries lie above it). When `code` is the entry not made yet
// (`pendingCode`), its string is that of `previous` plus the first byte of
// that string, `previousFirst`. `*first` gets the string's first byte.
// The caller guarantees code <= pendingCode and that every entry below
// pendingCode was made since the last reset, so each prefix chain falls.
int PushLzwString(LzwDecodeTable& table, int code, int pendingCode, int previous, uint8_t previousFirst,
                  int lastRoot, uint8_t* first);

// The encoder's table: finds the code of a string known as prefix code plus
// byte. A string is in the table at most once, so any exact lookup gives the
// codes a slot-by-slot search would give.
class LzwEncodeTable {
public:
    // Empties the table (the roots are implicit: a byte is its own code).
    void Reset();
    // The code of prefix + byte, or -1 when the string has none yet.
    int Find(int prefix, uint8_t byte) const;
    // Records `code` for prefix + byte (not in the table).
    void Add(int prefix, uint8_t byte, int code);

private:
    // Open addressing over twice the code count keeps probes short.
    static constexpr uint32_t SLOTS = 2 * LZW_MAX_CODES;
    static uint32_t Slot(uint32_t key) { return (key * 2654435761u) >> 19; }  // 13 bits: 0..SLOTS-1
    uint32_t keys_[SLOTS] = {};   // prefix << 8 | byte, plus 1; 0 = empty
    uint16_t codes_[SLOTS] = {};
};
static_assert(LZW_MAX_CODES * 2 == 1 << 13, "Slot() yields 13 bits");
