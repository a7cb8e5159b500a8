// The library's per-format dispatch: one row per format code with the depth
// rule of GetDesiredBitPix, the codes LoadConvImage reports, and the
// format's handler for each export. A format adds its code in its own source
// file and fills its row; an empty handler means the format does not do that
// operation (the export then answers -4, or 0 where it answers 0 for codes
// without a handler).
#pragma once
#include "ConvInterface.h"
#include <windows.h>
#include <cstdint>

// What LoadConvImage hands a format's reader.
struct ConvLoadCall {
    HWND owner;
    const char* path;
    ConvImage* image;  // null: the frames go to the host one by one
    int frameCount;    // the editor's frame count
    ConvHostProc host;
};

// What SaveConvImage hands a format's writer.
struct ConvSaveCall {
    HWND owner;
    const char* path;
    HGLOBAL dib;       // a packed DIB of the current frame, may be 0
    int frameCount;    // the editor's frame count (with flag bits for animated GIF)
    ConvHostProc host;
    HWND progress;     // the open "Converting..." dialog, or null
};

// The depth a frame must have before it is saved in the format.
enum class ConvDepthRule : uint8_t {
    Keep,        // any depth
    No16Or32,    // 16 and 32 bits become 24
    AtMost8,     // above 8 bits become 8
    Always24,
};

struct ConvFormatRow {
    BYTE code;
    ConvDepthRule depth;
    BYTE reportedWithImage;   // *code after LoadConvImage with an image record
    BYTE reportedAsSequence;  // *code after LoadConvImage without one
    int (*load)(const ConvLoadCall& call);
    int (*save)(const ConvSaveCall& call);
    int (*preview)(const char* path, ConvImage* image);
    int (*newFile)(HWND owner, char* path, ConvHostProc host);
    int (*command)(HWND owner, int commandId, HGLOBAL settings, int frameCount, ConvHostProc host);
    int (*notifyFrameChange)(HGLOBAL settings, int kind, int index, ConvHostProc host);
};

// The row of a format code, or null.
const ConvFormatRow* FindConvFormat(int code);
// The depth to save a frame of `bitsPerPixel` in format `code` at.
int DesiredBitsFor(const ConvFormatRow& row, int bitsPerPixel);

// ---- detection -------------------------------------------------------------------------

// By content: 1 and the code, -1 when the file cannot be opened, -2 when no
// test holds. *code is 0 unless a format was found.
int DetectFormatByContent(const char* path, BYTE* code);
// By the text from the path's last ".": 1 and the code, else -2.
int DetectFormatByName(const char* path, BYTE* code);

// ---- the file-dialog list of GetFormats ----------------------------------------------------

// Appends "description", NUL, "pattern", NUL per format the list flags
// choose (filters with room for CONV_FORMAT_LIST_BYTES, codes for
// CONV_MAX_FORMAT_ENTRIES) and a closing NUL. Returns the number of entries;
// writes nothing for none.
int BuildFormatList(char* filters, BYTE* codes, int flags);
