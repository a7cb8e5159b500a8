// Row codes of frame images: the frame-sequence file's own run-length code and
// the published BI_RLE8 / BI_RLE4 forms. Encoders work in place in the frame
// buffer and give up (return 0) when their output would reach rows not yet read.
#pragma once
#include <windows.h>
#include <cstdint>

constexpr DWORD BI_BMX_RUNLENGTH = 3;  // compression code of the own row code

// Own row code: each row as pairs (n, b) with n 1..254, or (0, n) and n literal
// bytes, followed by a u16 with the row code's length. On success
// biCompression := 3 and biSizeImage := code bytes.
int EncodeRunLengthRows(BITMAPINFOHEADER* header, BYTE* bits);

// Expands the own row code in place (backwards). `capacity` is the size of the
// buffer at `bits`, at least stride x height. Returns 0 for a damaged code.
// On success biSizeImage := stride x height, biCompression := 0.
int DecodeRunLengthRows(BYTE* bits, uint32_t capacity, BITMAPINFOHEADER* header);

// The published DIB run-length forms. Same contract as EncodeRunLengthRows;
// biCompression := BI_RLE8 or BI_RLE4.
int EncodeRle8Rows(BITMAPINFOHEADER* header, BYTE* bits);
int EncodeRle4Rows(BITMAPINFOHEADER* header, BYTE* bits);

// Expands BI_RLE8 or BI_RLE4 data into raw rows (dst holds stride x height bytes
// and is cleared first). Pixels outside the frame are dropped; a truncated
// escape fails.
bool DecodeDibRle(const BYTE* src, uint32_t length, const BITMAPINFOHEADER& header, BYTE* dst);
