// Single frames as Windows bitmap files (.BMP).
#pragma once
#include <windows.h>
#include <cstdint>

// Writes a plain packed DIB (40-byte header, colour table, raw bottom-up rows)
// as a bitmap file through a temporary file: up to 8 bits a colour table of
// 2^bits entries, at 16 bits the 5-5-5 masks as BI_BITFIELDS, biClrUsed the
// colour count up to 256; the rows compressed by the "BMP-Compression"
// setting's choice for the depth. Only the forms every bitmap reader knows are
// stored (raw, BI_RLE8, BI_RLE4): a choice of the frame-sequence file's own
// row code stores the rows raw. Result: 1, 0x7001, 0x8004 (not a plain DIB of
// a frame's size), 0x8005, 0x8002.
int WriteBmpFile(const char* path, HGLOBAL packedDib, uint32_t compressionSetting);
