// The LZW code of TIFF strips: codes packed most significant bit first, 256
// clearing the table, 257 ending the strip, and the code size growing one
// code earlier than in GIF ("early change").
#pragma once
#include <windows.h>
#include <cstdint>

// Decodes one strip into at most destinationBytes bytes (what does not fit
// is dropped). 1 done, 0 for a code that is not in the table.
int TiffLzwDecode(const BYTE* source, BYTE* destination, uint32_t sourceBytes, uint32_t destinationBytes);
// Codes `count` bytes into at most destinationBytes bytes. The bytes
// written; 0 when they do not fit.
uint32_t TiffLzwEncode(const BYTE* source, BYTE* destination, uint32_t count, uint32_t destinationBytes);
