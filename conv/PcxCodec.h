// PCX images (format code 128): one picture of 1, 4, 8 or 24 bits per pixel
// read into a packed DIB and written from one, with run-length coded lines.
#pragma once
#include "ConvFormats.h"
#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
// The file header at offset 0, little-endian.
struct PcxHeader {
    BYTE manufacturer;       // 10, or 205 for files whose plane lines carry no padding
    BYTE version;            // 3: no colours of its own, the fixed 16 apply
    BYTE encoding;           // 0 raw, else run-length coded
    BYTE bitsPerPixel;       // per plane
    uint16_t xMin, yMin, xMax, yMax;
    uint16_t horizontalResolution;
    uint16_t verticalResolution;
    BYTE colorMap[48];       // 16 triplets red, green, blue: the colours of 1- and 4-bit pictures
    BYTE reserved;
    BYTE planes;
    uint16_t bytesPerLine;   // of one plane line
    uint16_t paletteType;
    BYTE filler[58];
};
#pragma pack(pop)
static_assert(sizeof(PcxHeader) == 128);

constexpr BYTE PCX_MANUFACTURER = 10;
constexpr BYTE PCX_MANUFACTURER_UNPADDED = 205;
constexpr BYTE PCX_VERSION_FIXED_COLORS = 3;
constexpr BYTE PCX_PALETTE_MARK = 12;            // before the 256 colours of an 8-bit file
constexpr uint32_t PCX_PALETTE_BLOCK_BYTES = 769;

// What SaveConvImage asks of the writer.
struct PcxWriteOptions {
    BYTE version;           // 5
    uint32_t bitsPerPixel;  // the DIB's
    uint32_t encoding;      // non-zero: run-length coded
};

// Reads a PCX file into image->dib (bitsOffset is left alone). Result code.
int ReadPcx(const char* path, ConvImage* image);
// Writes a packed DIB of 1, 4, 8 or 24 bits. Result code.
int WritePcx(const char* path, HGLOBAL dib, const PcxWriteOptions& options);

// The run-length code of one line (all its planes): runs cut at 63 bytes.
// `out` has room for 2 x count bytes. The bytes written.
size_t PcxEncodeLine(const BYTE* line, size_t count, BYTE* out);
// Expands run-length coded data until the source is used up or `room` bytes
// were produced. The bytes produced.
size_t PcxExpand(const BYTE* data, size_t size, BYTE* out, size_t room);

// The format table's handlers.
int LoadPcxImage(const ConvLoadCall& call);
int SavePcxImage(const ConvSaveCall& call);
int PreviewPcxImage(const char* path, ConvImage* image);
