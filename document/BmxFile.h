// The frame-sequence file (.BMX, also the .MBX pattern file): one bitmap format
// shared by all frames, a directory of frame entries, then each frame's rows,
// raw, run-length coded by the system's forms or by the file's own row code.
#pragma once
#include <windows.h>
#include <cstdint>
#include <vector>
#include <string>
#include "FileIo.h"

constexpr uint16_t BMX_MAGIC = 0x5842;  // "BX"
constexpr uint16_t BMP_MAGIC = 0x4D42;  // "BM"
constexpr int BMX_FRAME_NAME_CHARS = 12;
constexpr int BMX_MAX_FRAMES = 255;  // frames past this are ignored on reading
constexpr uint32_t DEFAULT_BMX_COMPRESSION = 0x222;

#pragma pack(push, 1)
struct BmxFileHeader {
    uint16_t magic;
    uint32_t bufferSize;   // info header + colour table + directory + one uncompressed frame
    uint16_t frameCount;
    uint8_t bitsPerPixel;
    uint8_t transparentColorCode;
    uint32_t bitsOffset;   // file offset of frame 0's bits
};
static_assert(sizeof(BmxFileHeader) == 14);

struct BmxFrameEntry {
    uint32_t dataSize;
    char name[13];
    uint8_t compression;  // 0 raw, 1 BI_RLE8, 2 BI_RLE4, 3 own row code
    int8_t offsetX;       // held negated, as the sequence image set keeps it
    int8_t offsetY;
};
static_assert(sizeof(BmxFrameEntry) == 20);
#pragma pack(pop)

// Compression choices per depth (two bits each in the "BMX-Compression" key).
enum BmxCompressionChoice { BMX_RAW = 0, BMX_SYSTEM_RLE = 1, BMX_OWN_RLE = 2, BMX_OWN_CODE = 3 };
int CompressionChoiceForDepth(uint32_t setting, int bitsPerPixel);

// The format shared by every frame of a sequence.
struct BmxFormat {
    int width;
    int height;
    int bitsPerPixel;
    int colorTableEntries;  // 2, 16 or 256 at 8 bits or fewer, else 0
    RGBQUAD colors[256];
};

// Where the writer gets its frames from. getFrameRows fills stride x height
// bytes of raw rows in the sequence's format; getFrameInfo names the frame.
struct BmxFrameSource {
    void* context;
    bool (*getFrameRows)(void* context, int index, BYTE* bits);
    void (*getFrameInfo)(void* context, int index, const char** storedName, int8_t* offsetX,
                         int8_t* offsetY);
};

// Where the reader hands its frames: begin() once with the validated format,
// frame() per frame with its raw rows (every code already expanded). A false
// return from begin() ends the read with result 0.
struct BmxFrameSink {
    void* context;
    bool (*begin)(void* context, const BmxFileHeader& header, const BmxFormat& format);
    bool (*frame)(void* context, int index, const BmxFrameEntry& entry, const BYTE* rows);
};

// The 12-character directory name of a frame (see the file's rules).
void MakeBmxFrameName(const char* storedName, int index, char out[13]);

// One frame as it is stored: encodes `bits` (stride x height raw rows, inside a
// buffer with room for one frame + 4) by the choice. Returns 1 when the frame
// is ready (raw or coded, header updated), 0 when an own code gave up or the
// depth has no own code (the caller stores it raw).
int EncodeFrameRows(BYTE* bits, BITMAPINFOHEADER* header, int choice);

// Writes a sequence file through a temporary file. compressionSetting is the
// "BMX-Compression" value. Result: 1, 0x7001, 0x8005, 0x8002.
int WriteBmxFile(const char* path, const BmxFormat& format, int frameCount,
                 uint8_t transparentColorCode, uint32_t compressionSetting, const BmxFrameSource& source);

// Reads the body after the 14-byte header, validating everything, frames past
// 255 ignored. Result: 1, 0 (the sink stopped), 0x7001, 0x8001, 0x8004.
int ReadBmxBody(HFILE file, const BmxFileHeader& header, const BmxFrameSink& sink);
int ReadBmxBody(ByteSource& source, const BmxFileHeader& header, const BmxFrameSink& sink);

// Reads the first frame of a "BX" file or a whole "BM" file as one packed DIB
// in a new movable block (info header, colour table, for "BX" also the
// directory, then the bits at *bitsOffset from the block's start), own code
// expanded. Result: 1, 0x8003, 0x8004, 0x7001, 0x8001; no block on failure.
int ReadSingleDib(const char* path, uint32_t* bitsOffset, HGLOBAL* block);
// The same from a source positioned at the file's first byte.
int ReadSingleDib(ByteSource& source, uint32_t* bitsOffset, HGLOBAL* block);

// A whole sequence held as packed DIBs, for the players' tools, the tests and
// the sample generator.
struct SequenceFrame {
    HGLOBAL dib = nullptr;  // packed DIB, owned
    std::string name;
    int8_t offsetX = 0;
    int8_t offsetY = 0;
};
struct FrameSequence {
    BmxFormat format{};
    uint8_t transparentColorCode = 0x80;
    std::vector<SequenceFrame> frames;
    FrameSequence() = default;
    FrameSequence(const FrameSequence&) = delete;
    FrameSequence& operator=(const FrameSequence&) = delete;
    ~FrameSequence() { Clear(); }
    void Clear();
};

int SaveFrameSequenceFile(const char* path, const FrameSequence& sequence, uint32_t compressionSetting);
int LoadFrameSequenceFile(const char* path, FrameSequence* sequence);
