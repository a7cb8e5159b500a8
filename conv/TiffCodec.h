// TIFF images (format code 130): the first image of a file (strips,
// uncompressed, LZW or PackBits; bilevel, grey, palette or RGB) read into a
// packed DIB, and one frame written as a little-endian TIFF with LZW strips.
#pragma once
#include "CodecSupport.h"
#include "ConvFormats.h"
#include <cstdint>

constexpr uint16_t TIFF_COMPRESSION_NONE = 1;
constexpr uint16_t TIFF_COMPRESSION_LZW = 5;
constexpr uint16_t TIFF_COMPRESSION_PACKBITS = 32773;

// What SaveConvImage asks of the writer.
struct TiffWriteOptions {
    int bitsPerPixel;    // the DIB's
    int compression;     // TIFF_COMPRESSION_*
    int stripKilobytes;  // raw bytes of a strip, in kilobytes (8)
};

#pragma pack(push, 1)
// The 8 bytes at the start of the file.
struct TiffHeader {
    char byteOrder[2];      // "II" little-endian, "MM" big-endian
    uint16_t magic;         // 42
    uint32_t firstDirectory;
};
// One entry of an image file directory.
struct TiffEntry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    uint32_t value;         // the value itself when it fits in 4 bytes, else its offset
};
#pragma pack(pop)
static_assert(sizeof(TiffHeader) == 8);
static_assert(sizeof(TiffEntry) == 12);

// Reads 8 bytes from the start and goes back there: "II" or "MM" and 42 in
// that byte order.
bool IsTiffFile(HFILE file);
// Reads the first image of a file into image->dib. Result code.
int LoadTiff(const char* path, ConvImage* image);
// The same for a preview: clears the record's image and offset first.
int GetTiffPreview(const char* path, ConvImage* image);
// Writes a packed DIB of 1, 4, 8 or 24 bits. Result code.
int SaveTiff(const char* path, HGLOBAL dib, const TiffWriteOptions& options);

// The strips of the file being read into the rows of a locked DIB of that
// depth (state of LoadTiff). 1 done, 0 a strip could not be decoded.
int DecodeTiffStrips1(void* dib);
int DecodeTiffStrips4(void* dib);
int DecodeTiffStrips8(void* dib);
int DecodeTiffStrips24(void* dib);
// The strips of the file being written (state of SaveTiff). 1 done, 0 a
// failed allocation or write.
int WriteTiffStrips1(const DibForSaving& dib);
int WriteTiffStrips4(const DibForSaving& dib);
int WriteTiffStrips8(const DibForSaving& dib);
int WriteTiffStrips24(const DibForSaving& dib);

// PackBits: runs and literals of at most 128 bytes. The decoder writes at
// most destinationBytes bytes and answers 1; the encoder codes each of
// `rows` rows (count / rows bytes) on its own and answers the bytes written,
// 0 when they do not fit.
int PackBitsDecode(const BYTE* source, BYTE* destination, uint32_t sourceBytes, uint32_t destinationBytes);
uint32_t PackBitsEncode(const BYTE* source, BYTE* destination, uint32_t count, uint32_t rows,
                        uint32_t destinationBytes);

// The format table's handlers.
int LoadTiffImage(const ConvLoadCall& call);
int SaveTiffImage(const ConvSaveCall& call);
int PreviewTiffImage(const char* path, ConvImage* image);
