// Buffered file access of the GIF codec: reading image data a byte at a time
// through the 16-bit-compatible file calls would cost a call per byte.
#include "GifCodec.h"
#include <cstring>

bool GifReader::Fill()
{
    start_ += length_;
    at_ = length_ = 0;
    if (memory_) {
        if (start_ >= memorySize_) return false;
        length_ = memorySize_ - start_ < sizeof buffer_ ? memorySize_ - start_ : sizeof buffer_;
        memcpy(buffer_, memory_ + start_, length_);
        return true;
    }
    if (file_ == HFILE_ERROR) return false;
    const UINT got = _lread(file_, buffer_, sizeof buffer_);
    if (got == static_cast<UINT>(HFILE_ERROR) || got == 0) return false;
    length_ = got;
    return true;
}

bool GifReader::Read(void* out, uint32_t count)
{
    auto* to = static_cast<BYTE*>(out);
    while (count > 0) {
        if (at_ == length_ && !Fill()) return false;
        const uint32_t piece = length_ - at_ < count ? length_ - at_ : count;
        memcpy(to, buffer_ + at_, piece);
        at_ += piece;
        to += piece;
        count -= piece;
    }
    return true;
}

int GifReader::Byte()
{
    if (at_ == length_ && !Fill()) return -1;
    return buffer_[at_++];
}

bool GifReader::Seek(uint32_t offset)
{
    // Within the bytes held: no file call.
    if (offset >= start_ && offset <= start_ + length_) {
        at_ = offset - start_;
        return true;
    }
    if (memory_) {
        if (offset > memorySize_) return false;
    } else if (offset > 0x7FFFFFFF || _llseek(file_, static_cast<LONG>(offset), FILE_BEGIN) == HFILE_ERROR) {
        return false;
    }
    start_ = offset;
    at_ = length_ = 0;
    return true;
}

bool GifWriter::Write(const void* data, uint32_t count)
{
    const auto* from = static_cast<const BYTE*>(data);
    while (count > 0 && !failed_) {
        if (length_ == sizeof buffer_ && !Flush()) break;
        const uint32_t piece = sizeof buffer_ - length_ < count ? sizeof buffer_ - length_ : count;
        memcpy(buffer_ + length_, from, piece);
        length_ += piece;
        from += piece;
        count -= piece;
    }
    return !failed_;
}

bool GifWriter::Word(uint16_t value)
{
    const BYTE bytes[2] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8)};
    return Write(bytes, 2);
}

bool GifWriter::Flush()
{
    if (failed_) return false;
    if (length_ == 0) return true;
    const UINT put = _lwrite(file_, reinterpret_cast<LPCCH>(buffer_), length_);
    if (put == static_cast<UINT>(HFILE_ERROR) || put != length_) failed_ = true;
    length_ = 0;
    return !failed_;
}
