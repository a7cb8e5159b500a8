// LZW coding of GIF image data: codes packed least significant bit first
// into sub-blocks of up to 255 bytes, a clear code and an end code above the
// roots, and a code size that grows with the table up to 12 bits.
#include "GifCodec.h"
#include "LzwTables.h"
#include <cstring>

namespace {

// One decode or encode at a time: the tables are the library's.
LzwDecodeTable g_decodeTable;
LzwEncodeTable g_encodeTable;

// The largest minimum code size whose clear and end codes and first entry
// still fit below 4096 with 12-bit codes.
constexpr int MAX_MINIMUM_CODE_SIZE = LZW_MAX_CODE_BITS - 1;

bool IsPowerOfTwo(int value) { return (value & (value - 1)) == 0; }

// The decoder's walk over the codes of the sub-blocks.
class GifLzwDecoder {
public:
    GifLzwDecoder(int minimumCodeSize, BYTE* pixels, uint32_t count)
        : clear_(1 << minimumCodeSize), end_(clear_ + 1), minimumCodeSize_(minimumCodeSize), out_(pixels),
          room_(count)
    {
        ResetLzwRoots(g_decodeTable, clear_);
        Clear();
    }

    enum class Step { More, Ended, Failed };

    // Takes the bytes of one sub-block.
    Step Feed(const BYTE* data, int length)
    {
        for (int i = 0; i < length; ++i) {
            bits_ |= static_cast<uint32_t>(data[i]) << bitCount_;
            bitCount_ += 8;
            while (bitCount_ >= codeSize_) {
                const int code = static_cast<int>(bits_ & ((1u << codeSize_) - 1));
                bits_ >>= codeSize_;
                bitCount_ -= codeSize_;
                const Step step = Take(code);
                if (step != Step::More) return step;
            }
        }
        return Step::More;
    }

    uint32_t Produced() const { return produced_; }

private:
    void Clear()
    {
        next_ = clear_ + 2;
        codeSize_ = minimumCodeSize_ + 1;
        previous_ = LZW_NO_CODE;
    }

    Step Take(int code)
    {
        if (code == clear_) {
            Clear();
            return Step::More;
        }
        if (code == end_) return Step::Ended;
        if (code > next_) return Step::Failed;
        if (previous_ == LZW_NO_CODE) {
            first_ = g_decodeTable.suffix[code];
            previous_ = code;
            return Emit(&first_, 1);
        }
        const int length = PushLzwString(g_decodeTable, code, next_, previous_, first_, clear_, &first_);
        if (next_ < LZW_MAX_CODES) {
            g_decodeTable.prefix[next_] = static_cast<uint16_t>(previous_);
            g_decodeTable.suffix[next_] = first_;
            ++next_;
            // A new power of two needs one bit more; a full table stays at 12.
            if (IsPowerOfTwo(next_) && next_ < LZW_MAX_CODES) ++codeSize_;
        }
        previous_ = code;
        if (static_cast<uint32_t>(length) > room_ - produced_) return Step::Failed;
        BYTE* to = out_ + produced_;
        for (int i = length - 1; i >= 0; --i) *to++ = g_decodeTable.stack[i];
        produced_ += static_cast<uint32_t>(length);
        return Step::More;
    }

    Step Emit(const BYTE* bytes, uint32_t length)
    {
        if (length > room_ - produced_) return Step::Failed;
        memcpy(out_ + produced_, bytes, length);
        produced_ += length;
        return Step::More;
    }

    const int clear_;
    const int end_;
    const int minimumCodeSize_;
    BYTE* const out_;
    const uint32_t room_;
    uint32_t produced_ = 0;
    int next_ = 0;
    int codeSize_ = 0;
    int previous_ = LZW_NO_CODE;
    uint8_t first_ = 0;
    uint32_t bits_ = 0;
    int bitCount_ = 0;
};

}  // namespace

int SkipGifSubBlocks(GifReader& in)
{
    BYTE block[255];
    for (;;) {
        const int length = in.Byte();
        if (length < 0) return CONV_ERR_READ;
        if (length == 0) return CONV_OK;
        if (!in.Read(block, static_cast<uint32_t>(length))) return CONV_ERR_READ;
    }
}

int DecodeGifLzw(GifReader& in, BYTE* pixels, uint32_t count)
{
    const int minimumCodeSize = in.Byte();
    if (minimumCodeSize < 0) return CONV_ERR_READ;
    if (minimumCodeSize > MAX_MINIMUM_CODE_SIZE) {
        const int skipped = SkipGifSubBlocks(in);
        return skipped < 0 ? skipped : CONV_ERR_COMPRESSION;
    }
    GifLzwDecoder decoder(minimumCodeSize, pixels, count);
    BYTE block[255];
    for (;;) {
        const int length = in.Byte();
        if (length < 0) return CONV_ERR_READ;
        if (length == 0) break;
        if (!in.Read(block, static_cast<uint32_t>(length))) return CONV_ERR_READ;
        const GifLzwDecoder::Step step = decoder.Feed(block, length);
        // What follows the end code in the file is not needed: images are
        // found again by their recorded offsets.
        if (step == GifLzwDecoder::Step::Ended) return CONV_OK;
        if (step == GifLzwDecoder::Step::Failed) {
            const int skipped = SkipGifSubBlocks(in);
            return skipped < 0 ? skipped : CONV_ERR_COMPRESSION;
        }
    }
    return decoder.Produced() == count ? CONV_OK : CONV_ERR_COMPRESSION;
}

// ---- the encoder -------------------------------------------------------------------------

GifLzwEncoder::GifLzwEncoder(GifWriter& out, int minimumCodeSize)
    : out_(out), minimumCodeSize_(minimumCodeSize), clear_(1 << minimumCodeSize)
{
    out_.Byte(static_cast<uint8_t>(minimumCodeSize));
    Reset();
    codeSize_ = minimumCodeSize_ + 1;
    Put(clear_);
}

void GifLzwEncoder::Reset()
{
    g_encodeTable.Reset();
    next_ = clear_ + 2;
}

void GifLzwEncoder::Add(const BYTE* pixels, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) {
        const BYTE c = pixels[i];
        if (current_ == LZW_NONE) {
            current_ = c;
            continue;
        }
        const int found = g_encodeTable.Find(current_, c);
        if (found >= 0) {
            current_ = found;
            continue;
        }
        Put(current_);
        if (next_ < LZW_MAX_CODES) {
            g_encodeTable.Add(current_, c, next_);
            // The bit length of the entry just made: codes from now on may name it.
            int length = 0;
            for (int v = next_; v; v >>= 1) ++length;
            codeSize_ = length;
            ++next_;
        } else {
            // Table full: the clear code follows at 12 bits, then codes start small again.
            Reset();
            Put(clear_);
            codeSize_ = minimumCodeSize_ + 1;
        }
        current_ = c;
    }
}

void GifLzwEncoder::Put(int code)
{
    bits_ |= static_cast<uint32_t>(code) << bitCount_;
    bitCount_ += codeSize_;
    while (bitCount_ >= 8) {
        block_[1 + blockLength_++] = static_cast<BYTE>(bits_);
        bits_ >>= 8;
        bitCount_ -= 8;
        if (blockLength_ == 255) FlushBlock();
    }
}

void GifLzwEncoder::FlushBlock()
{
    block_[0] = static_cast<BYTE>(blockLength_);
    out_.Write(block_, static_cast<uint32_t>(blockLength_) + 1);
    blockLength_ = 0;
}

bool GifLzwEncoder::Finish()
{
    if (current_ != LZW_NONE) Put(current_);
    Put(clear_ + 1);
    if (bitCount_ > 0) {
        block_[1 + blockLength_++] = static_cast<BYTE>(bits_);
        bits_ = 0;
        bitCount_ = 0;
        if (blockLength_ == 255) FlushBlock();
    }
    if (blockLength_ > 0) FlushBlock();
    out_.Byte(0);
    return !out_.Failed();
}
