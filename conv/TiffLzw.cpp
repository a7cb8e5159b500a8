// TIFF's LZW coder over the library's one set of code tables (one operation
// runs at a time). Strings are kept as a prefix code and a last byte; the
// encoder finds a string's code through a hash of (prefix, byte), so that a
// code with many followers costs no search of the table.
#include "TiffLzw.h"
#include <cstring>

namespace {

constexpr int CLEAR_CODE = 256;
constexpr int END_CODE = 257;
constexpr int FIRST_FREE = 258;
constexpr int MIN_BITS = 9;
constexpr int MAX_BITS = 12;
constexpr int NO_CODE = LZW_TABLE_SIZE;
// The encoder clears the table before it would make entry 4094.
constexpr int LAST_ENCODER_ENTRY = 4093;
constexpr int HASH_SIZE = 8192;  // a power of two, twice the table

// The library's LZW tables: one import or export at a time uses them.
struct LzwTables {
    uint16_t prefix[LZW_TABLE_SIZE];
    BYTE suffix[LZW_TABLE_SIZE];
    BYTE stack[LZW_TABLE_SIZE];
    // Encoder: per hash slot the code of a string and its key (prefix << 8 |
    // byte); a slot belongs to the current table only when its generation
    // matches, so a reset clears nothing.
    uint16_t hashCode[HASH_SIZE];
    uint32_t hashKey[HASH_SIZE];
    uint32_t hashGeneration[HASH_SIZE];
    uint32_t generation;
};
LzwTables g_lzw;

// ---- decoding -------------------------------------------------------------------------------

class CodeReader {
public:
    CodeReader(const BYTE* source, uint32_t size) : source_(source), size_(size) {}
    // False at the end of the source.
    bool Next(int bits, int* code)
    {
        while (held_ < bits) {
            if (at_ >= size_) return false;
            accumulator_ = (accumulator_ << 8) | source_[at_++];
            held_ += 8;
        }
        held_ -= bits;
        *code = static_cast<int>((accumulator_ >> held_) & ((1u << bits) - 1));
        return true;
    }
private:
    const BYTE* source_;
    uint32_t size_;
    uint32_t at_ = 0;
    uint32_t accumulator_ = 0;
    int held_ = 0;
};

class ByteWriter {
public:
    ByteWriter(BYTE* destination, uint32_t size) : destination_(destination), size_(size) {}
    void Put(BYTE b)
    {
        if (at_ < size_) destination_[at_++] = b;
    }
private:
    BYTE* destination_;
    uint32_t size_;
    uint32_t at_ = 0;
};

// Writes the string of a code and returns its first byte. Every entry's
// prefix is an older code, so the chain ends within the table's size.
BYTE PutString(int code, ByteWriter& out)
{
    int depth = 0;
    while (code >= FIRST_FREE) {
        g_lzw.stack[depth++] = g_lzw.suffix[code];
        code = g_lzw.prefix[code];
    }
    const BYTE first = static_cast<BYTE>(code);
    out.Put(first);
    while (depth > 0) out.Put(g_lzw.stack[--depth]);
    return first;
}

// ---- encoding -------------------------------------------------------------------------------

class CodeWriter {
public:
    CodeWriter(BYTE* destination, uint32_t size) : destination_(destination), size_(size) {}
    void Put(int code, int bits)
    {
        accumulator_ = (accumulator_ << bits) | static_cast<uint32_t>(code);
        held_ += bits;
        while (held_ >= 8) {
            held_ -= 8;
            Emit(static_cast<BYTE>(accumulator_ >> held_));
        }
    }
    // The last, partly filled byte. The bytes written, 0 when they did not fit.
    uint32_t Finish()
    {
        if (held_ > 0) Emit(static_cast<BYTE>(accumulator_ << (8 - held_)));
        held_ = 0;
        return overflow_ ? 0 : at_;
    }
private:
    void Emit(BYTE b)
    {
        if (at_ < size_) destination_[at_++] = b;
        else overflow_ = true;
    }
    BYTE* destination_;
    uint32_t size_;
    uint32_t at_ = 0;
    uint32_t accumulator_ = 0;
    int held_ = 0;
    bool overflow_ = false;
};

void ResetEncoderTable()
{
    if (++g_lzw.generation == 0) {
        memset(g_lzw.hashGeneration, 0, sizeof g_lzw.hashGeneration);
        g_lzw.generation = 1;
    }
}

uint32_t HashSlot(uint32_t key) { return (key * 2654435761u >> 19) & (HASH_SIZE - 1); }

// The code of the string prefix + byte, or NO_CODE; *slot is where it
// would be entered.
int FindString(int prefix, BYTE byte, uint32_t* slot)
{
    const uint32_t key = uint32_t(prefix) << 8 | byte;
    uint32_t s = HashSlot(key);
    while (g_lzw.hashGeneration[s] == g_lzw.generation) {
        if (g_lzw.hashKey[s] == key) return g_lzw.hashCode[s];
        s = (s + 1) & (HASH_SIZE - 1);
    }
    *slot = s;
    return NO_CODE;
}

void EnterString(uint32_t slot, int prefix, BYTE byte, int code)
{
    g_lzw.hashGeneration[slot] = g_lzw.generation;
    g_lzw.hashKey[slot] = uint32_t(prefix) << 8 | byte;
    g_lzw.hashCode[slot] = static_cast<uint16_t>(code);
}

// The code size that the decoder, one entry behind, expects next.
int BitsForNextFree(int next)
{
    if (next & 0x800) return 12;
    if (next & 0x400) return 11;
    return MIN_BITS + ((next >> 9) & 1);
}

}  // namespace

int TiffLzwDecode(const BYTE* source, BYTE* destination, uint32_t sourceBytes, uint32_t destinationBytes)
{
    CodeReader in(source, sourceBytes);
    ByteWriter out(destination, destinationBytes);
    int bits = MIN_BITS;
    int freeCode = FIRST_FREE;
    int previous = NO_CODE;
    int code;
    while (in.Next(bits, &code) && code != END_CODE) {
        if (code == CLEAR_CODE) {
            freeCode = FIRST_FREE;
            bits = MIN_BITS;
            previous = NO_CODE;
            continue;
        }
        if (code > freeCode) return 0;
        if (previous == NO_CODE) {
            // Right after a clear only single bytes are known.
            if (code >= FIRST_FREE) return 0;
            out.Put(static_cast<BYTE>(code));
            previous = code;
            continue;
        }
        BYTE first;
        if (code < freeCode) {
            first = PutString(code, out);
        } else {
            // The code being defined: the previous string and its own first byte.
            first = PutString(previous, out);
            out.Put(first);
        }
        if (freeCode < LZW_TABLE_SIZE) {
            g_lzw.prefix[freeCode] = static_cast<uint16_t>(previous);
            g_lzw.suffix[freeCode] = first;
            ++freeCode;
            if (freeCode + 1 == (1 << bits) && bits < MAX_BITS) ++bits;
        }
        previous = code;
    }
    return 1;
}

uint32_t TiffLzwEncode(const BYTE* source, BYTE* destination, uint32_t count, uint32_t destinationBytes)
{
    CodeWriter out(destination, destinationBytes);
    ResetEncoderTable();
    int bits = MIN_BITS;
    int next = FIRST_FREE;
    int current = NO_CODE;
    out.Put(CLEAR_CODE, bits);
    for (uint32_t i = 0; i < count; ++i) {
        const BYTE c = source[i];
        if (current == NO_CODE) {
            current = c;
            continue;
        }
        uint32_t slot = 0;
        const int found = FindString(current, c, &slot);
        if (found != NO_CODE) {
            current = found;
            continue;
        }
        out.Put(current, bits);
        if (next > LAST_ENCODER_ENTRY) {
            ResetEncoderTable();
            out.Put(CLEAR_CODE, bits);
            bits = MIN_BITS;
            next = FIRST_FREE;
        } else {
            EnterString(slot, current, c, next);
            ++next;
            bits = BitsForNextFree(next);
        }
        current = c;
    }
    if (current != NO_CODE) {
        out.Put(current, bits);
        // The decoder makes an entry on reading that code and may widen its codes.
        bits = BitsForNextFree(next + 1);
    }
    out.Put(END_CODE, bits);
    return out.Finish();
}
