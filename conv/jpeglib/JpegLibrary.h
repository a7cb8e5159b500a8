// The JPEG library as the image library uses it: the properties record every
// call takes, the four functions imported by ordinal from ijl11.dll, and the
// values of their modes. ijl11.dll is built here over libjpeg.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>

// Each call returns 0 on success and a negative value when it fails.
constexpr int JPEG_LIB_OK = 0;
constexpr int JPEG_LIB_BAD_ARGUMENT = -1;  // no record, not initialised, a field out of range
constexpr int JPEG_LIB_FILE_ERROR = -2;    // the named file cannot be opened or created
constexpr int JPEG_LIB_CODING_ERROR = -3;  // libjpeg refused the data

// Read modes.
constexpr int JPEG_READ_PARAMETERS = 0;  // the image's size and channels only
constexpr int JPEG_READ_IMAGE = 2;       // the whole image as red, green, blue into the pixel buffer
// Write mode.
constexpr int JPEG_WRITE_IMAGE = 8;      // the whole pixel buffer as a baseline file

// Chroma subsampling of the writer.
constexpr int JPEG_SUBSAMPLING_NONE = 0;        // every component at full size
constexpr int JPEG_SUBSAMPLING_HORIZONTAL = 2;  // chroma halved horizontally

constexpr size_t JPEG_PROPERTIES_BYTES = 20032;

// The properties record: the caller zeroes it before the initialisation and
// sets the fields of its call; the rest is the library's. The field offsets
// are fixed for 32-bit callers; 64-bit pointers widen the record.
struct JpegProperties {
    uint32_t reserved0;
    BYTE* pixels;            // rows from the top down, 3 bytes a pixel (red, green, blue), no padding
    int32_t pixelWidth;
    int32_t pixelHeight;
    int32_t pixelPadding;    // bytes after each row; only 0 is handled
    int32_t pixelChannels;   // 3 after the initialisation
    int32_t reserved24[2];
    const char* fileName;    // NUL-terminated path of the file read or written
    uint32_t reserved36[2];
    int32_t imageWidth;      // of the file: set by a read, given to a write
    int32_t imageHeight;
    int32_t imageChannels;   // components in the file, set by a read
    int32_t reserved56;
    int32_t subsampling;     // JPEG_SUBSAMPLING_* of a write
    int32_t reserved64[4];
    int32_t quality;         // 1..100 of a write
    uint32_t initialised;    // the library's mark of an initialised record
    BYTE libraryArea[JPEG_PROPERTIES_BYTES - 88];
};

#if !defined(_WIN64)
static_assert(sizeof(JpegProperties) == JPEG_PROPERTIES_BYTES);
static_assert(offsetof(JpegProperties, pixels) == 4);
static_assert(offsetof(JpegProperties, pixelWidth) == 8);
static_assert(offsetof(JpegProperties, pixelHeight) == 12);
static_assert(offsetof(JpegProperties, pixelChannels) == 20);
static_assert(offsetof(JpegProperties, fileName) == 32);
static_assert(offsetof(JpegProperties, imageWidth) == 44);
static_assert(offsetof(JpegProperties, imageHeight) == 48);
static_assert(offsetof(JpegProperties, subsampling) == 60);
static_assert(offsetof(JpegProperties, quality) == 80);
#endif

// Exported by ordinal only (2 to 5, in this order); the image library binds
// them through ijl11.dll's import library.
extern "C" {
int WINAPI JpegLibInit(JpegProperties* properties);
int WINAPI JpegLibFree(JpegProperties* properties);
int WINAPI JpegLibRead(JpegProperties* properties, int mode);
int WINAPI JpegLibWrite(JpegProperties* properties, int mode);
}
