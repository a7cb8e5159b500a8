#include "RowCodes.h"
#include "PackedDib.h"
#include <cstring>
#include <vector>

namespace {

// Writes code bytes over the frame buffer, never past `limit` (the first byte
// of the next source row that has not been read yet).
class CodeWriter {
public:
    CodeWriter(BYTE* base) : base_(base) {}
    void SetLimit(uint32_t limit) { limit_ = limit; }
    bool Put(BYTE value)
    {
        if (pos_ >= limit_) return false;
        base_[pos_++] = value;
        return true;
    }
    bool Put(BYTE a, BYTE b) { return Put(a) && Put(b); }
    bool PutBytes(const BYTE* p, uint32_t n)
    {
        if (n > limit_ - pos_ || pos_ > limit_) return false;
        memcpy(base_ + pos_, p, n);
        pos_ += n;
        return true;
    }
    uint32_t Position() const { return pos_; }
private:
    BYTE* base_;
    uint32_t pos_ = 0;
    uint32_t limit_ = 0;
};

// The shared walk over one row of symbols (bytes, or 4-bit pixels). Calls
// run(count, value) and literal(start, count) for every code element.
template <typename Run, typename Literal>
bool WalkRow(const BYTE* s, uint32_t last, uint32_t realLast, Run run, Literal literal)
{
    uint32_t i = 0;
    while (i <= last) {
        if (i == last) return run(1, s[i]);
        if (s[i] == s[i + 1]) {
            uint32_t j = i + 1;
            const uint32_t stop = (i + 253 < last) ? i + 253 : last;
            while (j < stop && s[j] == s[j + 1]) ++j;
            if (!run(j - i + 1, s[j])) return false;
            i = j + 1;
        } else if (i + 2 <= last && s[i + 1] == s[i + 2]) {
            if (!run(1, s[i])) return false;
            ++i;
        } else {
            uint32_t j = i + 1;
            const uint32_t stop = (i + 253 < realLast) ? i + 253 : realLast;
            while (j < stop && s[j] != s[j + 1]) ++j;
            if (j == realLast) ++j;  // the last real byte joins the literal
            if (!literal(i, j - i)) return false;
            i = j;
        }
    }
    return true;
}

}  // namespace

int EncodeRunLengthRows(BITMAPINFOHEADER* h, BYTE* bits)
{
    const uint32_t rowBytes = DibRowBytes(h->biWidth, h->biBitCount);
    const uint32_t stride = DibStride(h->biWidth, h->biBitCount);
    const int height = h->biHeight;
    std::vector<BYTE> row(stride);
    CodeWriter out(bits);
    for (int r = 0; r < height; ++r) {
        memcpy(row.data(), bits + r * stride, stride);
        for (uint32_t k = rowBytes; k < stride; ++k) row[k] = row[k - 1];  // padding joins the last run
        out.SetLimit((r + 1) * stride);
        const uint32_t rowStart = out.Position();
        const BYTE* s = row.data();
        bool ok = WalkRow(
            s, stride - 1, rowBytes - 1,
            [&](uint32_t n, BYTE b) { return out.Put(static_cast<BYTE>(n), b); },
            [&](uint32_t start, uint32_t n) {
                return out.Put(0, static_cast<BYTE>(n)) && out.PutBytes(s + start, n);
            });
        const uint32_t length = out.Position() - rowStart;
        if (!ok || !out.Put(static_cast<BYTE>(length), static_cast<BYTE>(length >> 8))) return 0;
        if (out.Position() >= (r + 1) * stride) return 0;
    }
    h->biSizeImage = out.Position();
    h->biCompression = BI_BMX_RUNLENGTH;
    return 1;
}

int DecodeRunLengthRows(BYTE* bits, uint32_t capacity, BITMAPINFOHEADER* h)
{
    const uint32_t stride = DibStride(h->biWidth, h->biBitCount);
    const int height = h->biHeight;
    if (height <= 0 || static_cast<uint64_t>(stride) * height > capacity) return 0;
    uint32_t p = h->biSizeImage;
    if (p > capacity) return 0;
    std::vector<BYTE> code;
    for (int n = height - 1; n >= 0; --n) {
        if (p < 2) return 0;
        p -= 2;
        const uint32_t length = bits[p] | (bits[p + 1] << 8);
        if (length > p) return 0;
        p -= length;
        code.assign(bits + p, bits + p + length);  // consumed before the row is written
        BYTE* target = bits + n * stride;
        uint32_t x = 0;
        for (uint32_t i = 0; i < length;) {
            if (i + 1 >= length) return 0;
            const BYTE count = code[i], value = code[i + 1];
            i += 2;
            if (count != 0) {
                if (count > stride - x) return 0;
                memset(target + x, value, count);
                x += count;
            } else {
                if (value == 0 || value > length - i || value > stride - x) return 0;
                memcpy(target + x, code.data() + i, value);
                x += value;
                i += value;
            }
        }
        if (x != stride) return 0;
    }
    h->biSizeImage = stride * height;
    h->biCompression = BI_RGB;
    return 1;
}

namespace {

// Emits one row in the published run-length form: runs of up to 254 symbols,
// absolute runs of at least 3 symbols padded to a whole word.
bool EmitDibRleRow(CodeWriter& out, const BYTE* s, uint32_t count, bool fourBit)
{
    auto run = [&](uint32_t n, BYTE v) {
        return out.Put(static_cast<BYTE>(n), fourBit ? static_cast<BYTE>(v << 4 | v) : v);
    };
    auto literal = [&](uint32_t start, uint32_t n) {
        if (n < 3) {  // too short for an absolute run
            for (uint32_t k = 0; k < n; ++k)
                if (!run(1, s[start + k])) return false;
            return true;
        }
        if (!out.Put(0, static_cast<BYTE>(n))) return false;
        uint32_t bytes = 0;
        if (fourBit) {
            for (uint32_t k = 0; k < n; k += 2, ++bytes) {
                BYTE packed = static_cast<BYTE>(s[start + k] << 4);
                if (k + 1 < n) packed |= s[start + k + 1];
                if (!out.Put(packed)) return false;
            }
        } else {
            if (!out.PutBytes(s + start, n)) return false;
            bytes = n;
        }
        return (bytes & 1) ? out.Put(0) : true;
    };
    return WalkRow(s, count - 1, count - 1, run, literal);
}

int EncodeDibRle(BITMAPINFOHEADER* h, BYTE* bits, bool fourBit)
{
    const uint32_t width = h->biWidth;
    const uint32_t stride = DibStride(h->biWidth, h->biBitCount);
    const int height = h->biHeight;
    std::vector<BYTE> row(width);
    CodeWriter out(bits);
    for (int r = 0; r < height; ++r) {
        const BYTE* source = bits + r * stride;
        if (fourBit)
            for (uint32_t x = 0; x < width; ++x)
                row[x] = (x & 1) ? (source[x / 2] & 0x0F) : (source[x / 2] >> 4);
        else
            memcpy(row.data(), source, width);
        out.SetLimit((r + 1) * stride);
        if (!EmitDibRleRow(out, row.data(), width, fourBit)) return 0;
        if (!out.Put(0, r + 1 < height ? 0 : 1)) return 0;  // end of line / end of bitmap
        if (out.Position() >= (r + 1) * stride) return 0;
    }
    h->biSizeImage = out.Position();
    h->biCompression = fourBit ? BI_RLE4 : BI_RLE8;
    return 1;
}

}  // namespace

int EncodeRle8Rows(BITMAPINFOHEADER* h, BYTE* bits) { return EncodeDibRle(h, bits, false); }
int EncodeRle4Rows(BITMAPINFOHEADER* h, BYTE* bits) { return EncodeDibRle(h, bits, true); }

bool DecodeDibRle(const BYTE* src, uint32_t length, const BITMAPINFOHEADER& h, BYTE* dst)
{
    const bool fourBit = h.biCompression == BI_RLE4;
    const uint32_t width = h.biWidth, height = h.biHeight;
    const uint32_t stride = DibStride(h.biWidth, h.biBitCount);
    memset(dst, 0, static_cast<size_t>(stride) * height);
    auto put = [&](uint32_t x, uint32_t y, BYTE v) {
        if (x >= width || y >= height) return;
        BYTE* row = dst + y * stride;
        if (!fourBit) {
            row[x] = v;
        } else if (x & 1) {
            row[x / 2] = static_cast<BYTE>((row[x / 2] & 0xF0) | (v & 0x0F));
        } else {
            row[x / 2] = static_cast<BYTE>((row[x / 2] & 0x0F) | (v << 4));
        }
    };
    uint32_t x = 0, y = 0, i = 0;
    while (i + 1 < length && y < height) {
        const BYTE n = src[i], b = src[i + 1];
        i += 2;
        if (n > 0) {
            for (uint32_t k = 0; k < n; ++k, ++x)
                put(x, y, fourBit ? ((k & 1) ? (b & 0x0F) : (b >> 4)) : b);
        } else if (b == 0) {
            x = 0;
            ++y;
        } else if (b == 1) {
            return true;
        } else if (b == 2) {
            if (i + 1 >= length) return false;
            x += src[i];
            y += src[i + 1];
            i += 2;
        } else {
            const uint32_t bytes = fourBit ? (b + 1u) / 2 : b;
            if (bytes > length - i) return false;
            for (uint32_t k = 0; k < b; ++k, ++x) {
                BYTE v = fourBit ? ((k & 1) ? (src[i + k / 2] & 0x0F) : (src[i + k / 2] >> 4)) : src[i + k];
                put(x, y, v);
            }
            i += bytes + (bytes & 1);
        }
    }
    return true;
}
