// TIFF's LZW coder over the library's one set of string tables (shared with
// the GIF codec; one operation runs at a time).
#include "TiffLzw.h"
#include "LzwTables.h"

namespace {

constexpr int CLEAR_CODE = 256;
constexpr int END_CODE = 257;
constexpr int FIRST_FREE = 258;
constexpr int MIN_BITS = 9;
// The encoder clears the table before it would make entry 4094.
constexpr int LAST_ENCODER_ENTRY = 4093;

LzwDecodeTable g_decodeTable;
LzwEncodeTable g_encodeTable;

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

// Writes a string pushed on the table's stack (last byte first).
void PutPushed(int length, ByteWriter& out)
{
    for (int i = length - 1; i >= 0; --i) out.Put(g_decodeTable.stack[i]);
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
    ResetLzwRoots(g_decodeTable, CLEAR_CODE);
    int bits = MIN_BITS;
    int freeCode = FIRST_FREE;
    int previous = LZW_NO_CODE;
    uint8_t first = 0;
    int code;
    while (in.Next(bits, &code) && code != END_CODE) {
        if (code == CLEAR_CODE) {
            freeCode = FIRST_FREE;
            bits = MIN_BITS;
            previous = LZW_NO_CODE;
            continue;
        }
        if (code > freeCode) return 0;
        if (previous == LZW_NO_CODE) {
            // Right after a clear only single bytes are known.
            if (code >= CLEAR_CODE) return 0;
            first = static_cast<uint8_t>(code);
            out.Put(first);
            previous = code;
            continue;
        }
        const int length = PushLzwString(g_decodeTable, code, freeCode, previous, first, END_CODE, &first);
        PutPushed(length, out);
        if (freeCode < LZW_MAX_CODES) {
            g_decodeTable.prefix[freeCode] = static_cast<uint16_t>(previous);
            g_decodeTable.suffix[freeCode] = first;
            ++freeCode;
            if (freeCode + 1 == (1 << bits) && bits < LZW_MAX_CODE_BITS) ++bits;
        }
        previous = code;
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
