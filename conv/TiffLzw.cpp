// TIFF's LZW coder over the library's one set of string tables (shared with
// the GIF codec; one operation runs at a time).
#include "TiffLzw.h"
#include "LzwTables.h"
#include <cstring>

namespace {

constexpr int CLEAR_CODE = 256;
constexpr int END_CODE = 257;
constexpr int FIRST_FREE = 258;
constexpr int MIN_BITS = 9;
// The encoder clears the table before it would make entry 4094.
constexpr int LAST_ENCODER_ENTRY = 4093;

LzwEncodeTable g_encodeTable;

// ---- decoding -------------------------------------------------------------------------------

class CodeReader {
public:
    CodeReader(const BYTE* source, uint32_t size) : source_(source), size_(size) {}
    // False at the end of the source.
    bool Next(int bits, int* code)
    {
        if (held_ < bits) {
            // Fill up to 7 bytes at once: one refill serves several codes.
            while (held_ <= 56 && at_ < size_) {
                accumulator_ = (accumulator_ << 8) | source_[at_++];
                held_ += 8;
            }
            if (held_ < bits) return false;
        }
        held_ -= bits;
        *code = static_cast<int>((accumulator_ >> held_) & ((1u << bits) - 1));
        return true;
    }
private:
    const BYTE* source_;
    uint32_t size_;
    uint32_t at_ = 0;
    uint64_t accumulator_ = 0;
    int held_ = 0;
};

// Copies a string from earlier output; most strings are a few bytes, which a
// loop copies faster than a library call.
inline void CopyString(BYTE* to, const BYTE* from, uint32_t length)
{
    if (length > 16) {
        memcpy(to, from, length);
        return;
    }
    for (uint32_t i = 0; i < length; ++i) to[i] = from[i];
}

// Where each code's string lies in the strip decoded so far. A new entry is
// the previous string plus the first byte of the next one, and those two
// strings lie side by side in the output: so the entry is the output from
// the previous string's start, one byte longer, and every string is one
// bulk copy from earlier output instead of a walk along its prefixes.
struct StringPlaces {
    uint64_t start[LZW_MAX_CODES];
    uint16_t length[LZW_MAX_CODES];
};
StringPlaces g_places;

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
    // `at` counts every byte decoded, also those past the room that are dropped.
    uint64_t at = 0;
    int bits = MIN_BITS;
    int freeCode = FIRST_FREE;
    int previous = LZW_NO_CODE;
    uint64_t previousStart = 0;
    int code;
    while (in.Next(bits, &code) && code != END_CODE) {
        if (code == CLEAR_CODE) {
            freeCode = FIRST_FREE;
            bits = MIN_BITS;
            previous = LZW_NO_CODE;
            continue;
        }
        if (code > freeCode) return 0;
        // Right after a clear only single bytes are known.
        if (previous == LZW_NO_CODE && code >= CLEAR_CODE) return 0;
        const uint64_t start = at;
        if (code < CLEAR_CODE) {
            if (at < destinationBytes) destination[at] = static_cast<BYTE>(code);
            at += 1;
        } else {
            // The code being defined (code == freeCode) is the previous string
            // plus its own first byte; it lies at the previous string's start.
            const bool pending = code == freeCode;
            const uint64_t from = pending ? previousStart : g_places.start[code];
            const uint32_t length = pending ? uint32_t(at - previousStart) + 1 : g_places.length[code];
            if (at < destinationBytes) {
                const uint64_t room = destinationBytes - at;
                const uint32_t kept = length < room ? length : static_cast<uint32_t>(room);
                // The source ends before `at` except for a pending code's last
                // byte, which is the string's first.
                const uint32_t before = pending && kept == length ? kept - 1 : kept;
                CopyString(destination + at, destination + from, before);
                if (before < kept) destination[at + before] = destination[from];
            }
            at += length;
        }
        if (previous != LZW_NO_CODE && freeCode < LZW_MAX_CODES) {
            g_places.start[freeCode] = previousStart;
            g_places.length[freeCode] = static_cast<uint16_t>(start - previousStart + 1);
            ++freeCode;
            if (freeCode + 1 == (1 << bits) && bits < LZW_MAX_CODE_BITS) ++bits;
        }
        previous = code;
        previousStart = start;
    }
    return 1;
}

uint32_t TiffLzwEncode(const BYTE* source, BYTE* destination, uint32_t count, uint32_t destinationBytes)
{
    CodeWriter out(destination, destinationBytes);
    g_encodeTable.Reset();
    int bits = MIN_BITS;
    int next = FIRST_FREE;
    int current = LZW_NO_CODE;
    out.Put(CLEAR_CODE, bits);
    for (uint32_t i = 0; i < count; ++i) {
        const BYTE c = source[i];
        if (current == LZW_NO_CODE) {
            current = c;
            continue;
        }
        const int found = g_encodeTable.Find(current, c);
        if (found >= 0) {
            current = found;
            continue;
        }
        out.Put(current, bits);
        if (next > LAST_ENCODER_ENTRY) {
            g_encodeTable.Reset();
            out.Put(CLEAR_CODE, bits);
            bits = MIN_BITS;
            next = FIRST_FREE;
        } else {
            g_encodeTable.Add(current, c, next);
            ++next;
            bits = BitsForNextFree(next);
        }
        current = c;
    }
    if (current != LZW_NO_CODE) {
        out.Put(current, bits);
        // The decoder makes an entry on reading that code and may widen its codes.
        bits = BitsForNextFree(next + 1);
    }
    out.Put(END_CODE, bits);
    return out.Finish();
}
