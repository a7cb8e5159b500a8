// Hand-made GIF data for the tests: code streams packed bit by bit, images
// coded by the library's encoder, and whole files built block by block.
#pragma once
#include "GifCodec.h"
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// One code and the number of bits it is written with.
struct Code {
    int value;
    int size;
};
// Codes packed least significant bit first into sub-blocks of `blockSize`
// bytes after the minimum code size byte; the terminator follows unless left out.
Bytes CodeStream(int minimumCodeSize, const std::vector<Code>& codes, bool terminator = true, int blockSize = 255);

// What a writer of the codec produced, through a file as in the library.
Bytes Written(const std::function<void(GifWriter&)>& write);
// Pixels coded by the library's encoder, handed to it `piece` bytes at a time.
Bytes EncodeLzw(int minimumCodeSize, const Bytes& pixels, size_t piece);

// Decodes into a buffer with guard bytes behind `count`.
constexpr uint8_t GUARD = 0xEE;
int DecodeLzw(const Bytes& stream, uint32_t count, Bytes* out);

// The decoder's table after one more entry: true when the code size grows
// (a new power of two below 4096).
bool EntryAdded(int* next);

// An image descriptor (after the separator) with its data: `pixels` in file
// order, which for an interlaced image is the order of the passes.
Bytes ImageBlock(int left, int top, int width, int height, bool interlaced, int bits, const Bytes& pixels);

// A GIF file built block by block.
struct GifFile {
    Bytes bytes = {'G', 'I', 'F', '8', '9', 'a'};
    GifFile& Add(const Bytes& more);
    // The logical screen; a global table of `tableEntries` entries (i, 2i, 3i).
    GifFile& Screen(int width, int height, uint8_t packed, uint8_t background, int tableEntries);
    GifFile& Control(uint8_t packed, int delay, int transparent);
    GifFile& Comment(const std::vector<std::string>& pieces);
    GifFile& Loop(int count);
    // An image of `width` x `height` pixels of value `value`, with a local
    // table of `localEntries` entries (9, 9, 9) when its packed byte has one.
    GifFile& Image(int left, int top, int width, int height, uint8_t packed = 0, int localEntries = 0, uint8_t value = 1);
    // An image with the given pixels, rows from the top.
    GifFile& Pixels(int left, int top, int width, int height, const Bytes& pixels);
    // An image descriptor whose data is one pixel, however large it says it is.
    GifFile& LargeImage(int width, int height);
    GifFile& End();
};
