// Hand-made GIF data for the tests.
#include "GifTestFiles.h"
#include "TestFiles.h"
#include <windows.h>



// Codes packed least significant bit first, each with its own size, into
// sub-blocks of `blockSize` bytes after the minimum code size byte; the
// terminator follows unless left out.
Bytes CodeStream(int minimumCodeSize, const std::vector<Code>& codes, bool terminator, int blockSize)
{
    Bytes data;
    uint32_t bits = 0;
    int count = 0;
    for (const Code& c : codes) {
        bits |= static_cast<uint32_t>(c.value) << count;
        count += c.size;
        while (count >= 8) {
            data.push_back(static_cast<uint8_t>(bits));
            bits >>= 8;
            count -= 8;
        }
    }
    if (count > 0) data.push_back(static_cast<uint8_t>(bits));
    Bytes out{static_cast<uint8_t>(minimumCodeSize)};
    for (size_t at = 0; at < data.size(); at += blockSize) {
        const size_t piece = data.size() - at < size_t(blockSize) ? data.size() - at : size_t(blockSize);
        out.push_back(static_cast<uint8_t>(piece));
        out.insert(out.end(), data.begin() + at, data.begin() + at + piece);
    }
    if (terminator) out.push_back(0);
    return out;
}

// What a writer of the codec produced, through a file as in the library.
Bytes Written(const std::function<void(GifWriter&)>& write)
{
    static ScratchDir dir;
    const std::string path = dir.File("out.bin");
    HFILE file = _lcreat(path.c_str(), 0);
    {
        GifWriter out(file);
        write(out);
        out.Flush();
    }
    _lclose(file);
    return ReadWholeFile(path);
}

Bytes EncodeLzw(int minimumCodeSize, const Bytes& pixels, size_t piece)
{
    return Written([&](GifWriter& out) {
        GifLzwEncoder encoder(out, minimumCodeSize);
        for (size_t at = 0; at < pixels.size(); at += piece)
            encoder.Add(pixels.data() + at, static_cast<uint32_t>(pixels.size() - at < piece ? pixels.size() - at : piece));
        encoder.Finish();
    });
}

// Decodes into a buffer with guard bytes behind `count`.
int DecodeLzw(const Bytes& stream, uint32_t count, Bytes* out)
{
    out->assign(count + 256, GUARD);
    GifReader in(stream.data(), static_cast<uint32_t>(stream.size()));
    return DecodeGifLzw(in, out->data(), count);
}

// The decoder's table after one more entry: true when the code size grows
// (a new power of two below 4096).
bool EntryAdded(int* next)
{
    if (*next >= 4096) return false;
    ++*next;
    return (*next & (*next - 1)) == 0 && *next < 4096;
}

// An image descriptor (after the separator) with its data: `pixels` in file
// order, which for an interlaced image is the order of the passes.
Bytes ImageBlock(int left, int top, int width, int height, bool interlaced, int bits, const Bytes& pixels)
{
    const int m = bits == 1 ? 2 : bits;
    Bytes out = {static_cast<uint8_t>(left), static_cast<uint8_t>(left >> 8), static_cast<uint8_t>(top),
                 static_cast<uint8_t>(top >> 8), static_cast<uint8_t>(width), static_cast<uint8_t>(width >> 8),
                 static_cast<uint8_t>(height), static_cast<uint8_t>(height >> 8),
                 static_cast<uint8_t>(interlaced ? 0x40 : 0)};
    const Bytes data = EncodeLzw(m, pixels, pixels.size() ? pixels.size() : 1);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

GifFile& GifFile::Add(const Bytes& more)
{
    bytes.insert(bytes.end(), more.begin(), more.end());
    return *this;
}

GifFile& GifFile::Screen(int width, int height, uint8_t packed, uint8_t background, int tableEntries)
{
    Add({static_cast<uint8_t>(width), static_cast<uint8_t>(width >> 8), static_cast<uint8_t>(height),
         static_cast<uint8_t>(height >> 8), packed, background, 0});
    for (int i = 0; i < tableEntries; ++i) Add({static_cast<uint8_t>(i), static_cast<uint8_t>(i * 2), static_cast<uint8_t>(i * 3)});
    return *this;
}

GifFile& GifFile::Control(uint8_t packed, int delay, int transparent)
{
    return Add({0x21, 0xF9, 4, packed, static_cast<uint8_t>(delay), static_cast<uint8_t>(delay >> 8),
                static_cast<uint8_t>(transparent), 0});
}

GifFile& GifFile::Comment(const std::vector<std::string>& pieces)
{
    Add({0x21, 0xFE});
    for (const std::string& piece : pieces) {
        bytes.push_back(static_cast<uint8_t>(piece.size()));
        bytes.insert(bytes.end(), piece.begin(), piece.end());
    }
    return Add({0});
}

GifFile& GifFile::Loop(int count)
{
    Add({0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'});
    return Add({3, 1, static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8), 0});
}
GifFile& GifFile::LargeImage(int width, int height)
{
    Add({0x2C, 0, 0, 0, 0, static_cast<uint8_t>(width), static_cast<uint8_t>(width >> 8),
         static_cast<uint8_t>(height), static_cast<uint8_t>(height >> 8), 0});
    const Bytes data = EncodeLzw(8, {1}, 1);
    return Add(data);
}
GifFile& GifFile::Image(int left, int top, int width, int height, uint8_t packed, int localEntries, uint8_t value)
{
    Add({0x2C});
    Bytes block = ImageBlock(left, top, width, height, false, 8, Bytes(size_t(width) * height, value));
    block[8] = packed;
    bytes.insert(bytes.end(), block.begin(), block.begin() + 9);
    for (int i = 0; i < localEntries; ++i) Add({9, 9, 9});
    bytes.insert(bytes.end(), block.begin() + 9, block.end());
    return *this;
}

GifFile& GifFile::Pixels(int left, int top, int width, int height, const Bytes& pixels)
{
    Add({0x2C});
    return Add(ImageBlock(left, top, width, height, false, 8, pixels));
}

GifFile& GifFile::End() { return Add({0x3B}); }
