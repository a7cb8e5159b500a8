// The GIF format of the image library: the settings block an animated-GIF
// document keeps in the editor, the buffered file access of one operation,
// the structure pass, the decoding of one image into a packed DIB, the LZW
// coding of GIF image data, the writers of every block, the transparent
// colour and the export of one frame as a single-image GIF.
#pragma once
#include "ConvInterface.h"
#include <windows.h>
#include <cstdint>

// ---- the settings block of format 167 ------------------------------------------------

constexpr int GIF_MAX_FRAMES = 256;                 // frame records in a block
constexpr int GIF_COMMENT_BYTES = 1020;             // comment room
constexpr int GIF_COMMENT_MAX = GIF_COMMENT_BYTES - 1;  // characters, with the NUL after them
constexpr uint16_t GIF_NO_TRANSPARENCY = 0xFFFF;

// Disposal methods of a graphic control.
constexpr uint16_t GIF_DISPOSE_NOTHING = 0;
constexpr uint16_t GIF_DISPOSE_LEAVE = 1;
constexpr uint16_t GIF_DISPOSE_BACKGROUND = 2;
constexpr uint16_t GIF_DISPOSE_PREVIOUS = 3;

// One image of a file (or one frame of an export).
struct GifFrameRecord {
    uint16_t bitsPerPixel;      // depth of the colour table that applies: 1, 4 or 8
    int16_t left, top;          // position on the logical screen
    uint16_t width, height;
    uint32_t dataOffset;        // just behind the image separator: the descriptor's fields
    uint32_t hasControl;        // 1: a graphic control was read (or the settings were edited)
    uint16_t transparentIndex;  // GIF_NO_TRANSPARENCY when none
    uint16_t delay;             // hundredths of a second
    uint16_t disposal;          // GIF_DISPOSE_*
    uint32_t userInput;         // non-zero: wait for user input (read as 0 or 2, edited as 0 or 1)
    uint32_t interlaced;
};
static_assert(sizeof(GifFrameRecord) == 36);

// The ConvSettingsBlock of format 167: allocated zero-filled and copied
// whole; the editor keeps it between calls and reads only its first field.
struct GifAnimSettings {
    uint16_t formatCode;       // CONV_FORMAT_GIF_ANIM
    int16_t frameCount;        // frame records in use
    uint16_t bitsPerPixel;     // colour depth of the file: 1, 4 or 8
    uint16_t screenWidth, screenHeight;  // logical screen
    uint16_t frameWidth, frameHeight;    // the editor's frames (export) or the import canvas
    int16_t backgroundIndex;   // into globalColors
    HBRUSH backgroundBrush;    // only while the settings dialog is open
    uint16_t globalColorCount; // 0: the file has no global colour table
    RGBQUAD globalColors[256]; // as read, reserved byte 0
    uint32_t loopFlag;         // non-zero: the looping application extension is (to be) there
    uint32_t loopCount;        // repetitions; 0 endless
    GifFrameRecord frames[GIF_MAX_FRAMES];
    uint32_t commentFlag;      // non-zero: comment holds the file's comment
    char comment[GIF_COMMENT_BYTES];  // NUL-terminated
    int32_t selectedFrame;     // the image of a one-image import
    uint32_t spare;            // keeps the block at the size documents of this format have
};
#if defined(__i386__)
static_assert(sizeof(GifAnimSettings) == 11304, "the block's size in the 32-bit library");
#endif

// ---- file access of one operation ------------------------------------------------------

// Buffered reading of an open file (or of bytes in memory) with positions
// counted from the start.
class GifReader {
public:
    explicit GifReader(HFILE file) : file_(file) {}
    GifReader(const void* data, uint32_t size) : memory_(static_cast<const BYTE*>(data)), memorySize_(size) {}
    GifReader(const GifReader&) = delete;
    GifReader& operator=(const GifReader&) = delete;
    // True when exactly `count` bytes were read.
    bool Read(void* out, uint32_t count);
    // The next byte, or -1 at the end or on an error.
    int Byte();
    uint32_t Position() const { return start_ + at_; }
    bool Seek(uint32_t offset);

private:
    bool Fill();
    HFILE file_ = HFILE_ERROR;
    const BYTE* memory_ = nullptr;
    uint32_t memorySize_ = 0;
    BYTE buffer_[16384];
    uint32_t start_ = 0;   // file offset of buffer_[0]
    uint32_t length_ = 0;  // bytes held
    uint32_t at_ = 0;      // next byte in the buffer
};

// Buffered writing to an open file. Once a write fails every later one
// fails too.
class GifWriter {
public:
    explicit GifWriter(HFILE file) : file_(file) {}
    GifWriter(const GifWriter&) = delete;
    GifWriter& operator=(const GifWriter&) = delete;
    bool Write(const void* data, uint32_t count);
    bool Byte(uint8_t value) { return Write(&value, 1); }
    bool Word(uint16_t value);
    // Hands everything written so far to the file.
    bool Flush();
    bool Failed() const { return failed_; }

private:
    HFILE file_;
    BYTE buffer_[16384];
    uint32_t length_ = 0;
    bool failed_ = false;
};

// ---- LZW coding of GIF image data --------------------------------------------------------

// Decodes the image data at the reader's position (the minimum code size
// byte, then sub-blocks) into `pixels`, one byte per pixel in file order,
// at most `count` of them. 1 when the end code came (however many pixels
// there were) or the data ended after exactly `count` pixels; -6 for a code
// size the 12-bit tables cannot hold, a code beyond the next free one, more
// pixels than `count` or a stream ending short; -3 when a read fails.
int DecodeGifLzw(GifReader& in, BYTE* pixels, uint32_t count);
// Reads and drops sub-blocks up to the block terminator. 1, or -3.
int SkipGifSubBlocks(GifReader& in);

// Encodes pixels as GIF image data: the minimum code size byte, sub-blocks
// of 255 bytes and the block terminator. Pixels may be added piece by piece.
class GifLzwEncoder {
public:
    GifLzwEncoder(GifWriter& out, int minimumCodeSize);
    void Add(const BYTE* pixels, uint32_t count);
    // Writes the last code, the end code, the last block and the terminator.
    // False when a write failed.
    bool Finish();

private:
    void Reset();
    void Put(int code);
    void FlushBlock();
    GifWriter& out_;
    int minimumCodeSize_;
    int clear_;
    int next_;
    int codeSize_;
    int current_ = LZW_NONE;
    uint32_t bits_ = 0;    // pending bits, least significant first
    int bitCount_ = 0;
    BYTE block_[256];      // length byte and up to 255 data bytes
    int blockLength_ = 0;
    static constexpr int LZW_NONE = -1;
};

// ---- the codec --------------------------------------------------------------------------

// True when the file starts with "GIF" (the version is not examined); the
// file is back at its start afterwards.
bool IsGifFile(HFILE file);

// The structure pass from the start of the file: the screen, the global
// colour table and one record per image (at most GIF_MAX_FRAMES; images
// beyond are skipped), the loop, the comment. With `firstImageOnly` it stops
// at the first image descriptor. 1, -3 (read error) or -4 (not a GIF, or an
// unknown block). The reader is at offset 6 afterwards.
int ReadGifStructure(GifReader& in, GifAnimSettings* settings, bool firstImageOnly);

// Decodes the image whose descriptor starts at the reader's position into
// a packed DIB of 1, 4 or 8 bits, at the image's position minus the offsets.
// Pixels equal to `transparentIndex` (-1: none) leave the DIB unchanged at 4
// and 8 bits. An image that would start left of or above the DIB is not
// drawn. 1, -3, -5 or -6.
int DecodeGifImage(GifReader& in, HGLOBAL dib, int transparentIndex, int offsetX, int offsetY);

// A new zero-filled packed DIB with 2^bits colour entries (none above 8
// bits), the first min(2^bits, colourCount) copied from `colors`. Null when
// it is empty, too large or out of memory.
HGLOBAL CreateGifFrameDib(int bits, int width, int height, const RGBQUAD* colors, int colorCount);

// Sets every pixel of a DIB of 1, 4 or 8 bits to colour `index`.
void FillDibWithIndex(HGLOBAL dib, int index);

// The writers. The DIB is a locked packed DIB of 1, 4 or 8 bits.
int WriteGifHeader(GifWriter& out, const BITMAPINFOHEADER* dib, int screenWidth, int screenHeight,
                   bool withGlobalTable, int backgroundIndex);
int WriteGraphicControl(GifWriter& out, int transparentIndex, int delay, bool userInput, int disposal);
int WriteGifExtensionStart(GifWriter& out, int label, const void* data, int length, bool terminate);
int WriteGifSubBlock(GifWriter& out, const void* data, int length, bool terminate);
int WriteGifImage(GifWriter& out, const BITMAPINFOHEADER* dib, int left, int top, bool interlaced,
                  bool withLocalTable, bool withProgress);

// The colour index of the editor's transparent colour in the DIB's colour
// table, or -1.
int FindGifTransparentIndex(const BITMAPINFOHEADER* dib, ConvHostProc host);
// The first entry within a distance of 1 (sum of the channel differences),
// else the first of the least distance.
int FindNearestColor(const RGBQUAD* colors, int count, int red, int green, int blue);

// SaveConvImage for format 129: one frame as a single-image GIF.
int SaveSingleGif(const char* path, HGLOBAL dib, ConvHostProc host);

// The colour entries of a DIB header (biClrUsed, or 2^bits), never more
// than 2^bits; 0 above 8 bits.
int GifTableEntries(const BITMAPINFOHEADER* dib);
// True when a locked packed DIB of `blockSize` bytes can be written as a GIF
// image: a plain header of 1, 4 or 8 bits, sides that fit 16 bits, and its
// colour table and rows inside the block.
bool IsWritableGifDib(const BITMAPINFOHEADER* dib, SIZE_T blockSize);
