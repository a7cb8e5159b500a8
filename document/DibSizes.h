// DIB size arithmetic for frames of the editor's colour formats: the sizes of
// the buffers that frame rows are read into.
#pragma once
#include <cstdint>

// Bytes of one DIB row: width x bits rounded up to bytes, then to 4.
uint32_t GetDibRowBytes(int width, int bits);
// Bytes of a DIB image: rows of the width rounded up to 8 pixels, padded to 4
// bytes and at least 4, times the height (never less than stride x height).
uint32_t GetDibImageBytes(int width, int height, int bits);
// The same for a colour format (2, 3, 16, 256, 65536, 16777216, 16777217;
// any other counts as 8 bits); the bit count goes to *bitsOut when given.
uint32_t GetDibImageBytesForColors(int width, int height, int colorFormat, int* bitsOut);
int BitsForColorFormat(int colorFormat);
