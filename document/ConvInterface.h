// The image library's interface, shared by the library (ZelvoConv32) and the
// editor's bridge: format codes, list flags, result codes, the requests the
// library makes to the editor through ConvHostProc and the records they carry,
// and the types of the ten exports, which the editor binds by name.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>

// ---- format codes (one byte) ---------------------------------------------------------

constexpr BYTE CONV_FORMAT_PCX = 128;
constexpr BYTE CONV_FORMAT_GIF = 129;              // one image
constexpr BYTE CONV_FORMAT_TIFF = 130;
constexpr BYTE CONV_FORMAT_RESOURCE_BITMAP = 131;  // bitmaps in .EXE, .DLL, .SCR files (read only)
constexpr BYTE CONV_FORMAT_ICON = 132;             // .ICO and .CUR
constexpr BYTE CONV_FORMAT_JPEG = 133;
constexpr BYTE CONV_FORMAT_AVI = 165;
constexpr BYTE CONV_FORMAT_ANI = 166;              // animated cursor
constexpr BYTE CONV_FORMAT_GIF_ANIM = 167;
// Formats with this bit pass their frames one at a time through the host;
// the others pass one image as a packed DIB.
constexpr BYTE CONV_FORMAT_SEQUENCE = 0x20;

inline bool IsConvSequenceFormat(int code) { return (code & CONV_FORMAT_SEQUENCE) != 0; }

// ---- GetFormats ----------------------------------------------------------------------

constexpr int CONV_LIST_STILL = 1;
constexpr int CONV_LIST_VIDEO = 2;
constexpr int CONV_LIST_ANIMATION = 4;
constexpr int CONV_LIST_FOR_SAVE = 0x80;

// Each entry is read into at most 64 bytes; the longest list (flags 0x87)
// has 10 entries. A caller gives the filters and codes at least this room.
constexpr int CONV_FORMAT_ENTRY_BYTES = 64;
constexpr int CONV_MAX_FORMAT_ENTRIES = 10;
constexpr int CONV_FORMAT_LIST_BYTES = CONV_MAX_FORMAT_ENTRIES * CONV_FORMAT_ENTRY_BYTES + 1;

// ---- result codes (16-bit values sign-extended to 32 bits) ---------------------------

constexpr int CONV_OK = 1;  // every value above 0 counts as success
constexpr int CONV_CANCELLED = 0;
constexpr int CONV_ERR_NOT_FOUND = -1;
constexpr int CONV_ERR_UNKNOWN_FORMAT = -2;
constexpr int CONV_ERR_READ = -3;
constexpr int CONV_ERR_UNSUPPORTED = -4;
constexpr int CONV_ERR_MEMORY = -5;
constexpr int CONV_ERR_COMPRESSION = -6;
constexpr int CONV_ERR_CREATE = -7;
constexpr int CONV_ERR_WRITE = -8;

// ---- the library's menu commands (ids 1000-1999 of the editor's main menu) ------------

constexpr int CONV_CMD_FIRST = 1000;
constexpr int CONV_CMD_LAST = 1999;
constexpr int CONV_CMD_ANIMATION = 1001;      // "&Animation..."
constexpr int CONV_CMD_CHANGE_FORMAT = 1002;  // "Change &Format...", in place of the editor's 405

// NotifyFrameChange kinds.
constexpr int CONV_FRAME_OTHER = 0;
constexpr int CONV_FRAME_INSERTED = 1;
constexpr int CONV_FRAME_COPIED = 2;
constexpr int CONV_FRAME_DELETED = 3;

// ---- requests to the editor (ConvHostProc) --------------------------------------------
//
// ConvHostProc(request, p, n) -> answer. n and the answer are pointer-sized
// (32 bits on i686): requests 5 and 19 pass a window in n, requests 8, 15 and
// 21 answer with a handle or a pointer. A negative answer arrives as its
// two's complement; read it with static_cast<int>. 0 means refused unless the
// request says otherwise.

enum ConvRequest : UINT {
    // n = CONV_QUERY_*; p as the sub-code says.
    CONV_REQ_QUERY = 0,
    // n = CONV_ADD_* flags (bits 8-15: the image's index in its file); p = the
    // HGLOBAL of a packed DIB, which stays the caller's. 1 added.
    CONV_REQ_ADD_FRAME = 2,
    // n = frame index; p = BITMAPINFOHEADER of the caller's packed DIB of the
    // frame size, with room for its colour table (biClrUsed, or 2^bits up to
    // 8 bits) and the rows after it. Fills table and rows; 1.
    CONV_REQ_GET_FRAME_BITS = 3,
    // n = frame index; p = char[MAX_PATH] for the frame's file name, its one
    // "%d" or "%D" replaced by n + 1. 0 when the frame has no name.
    CONV_REQ_GET_FRAME_NAME = 4,
    // n = owner window; p = char[MAX_PATH]: in a filter ("text|pattern"), out
    // the chosen path. 0 when cancelled.
    CONV_REQ_CHOOSE_FILE = 5,
    // n = 0 the document palette, else the display palette; p = HPALETTE* out.
    CONV_REQ_GET_PALETTE = 6,
    // n = depth 2, 4, 8 or 24; p = BITMAPINFO with room for 2^n entries up to
    // 8 bits. Entries of the document palette go into the table in palette
    // entry order (red, green, blue, flags).
    CONV_REQ_GET_COLOR_TABLE = 7,
    // n = frame index (out of range: the current frame); p = uint32_t*: in
    // the wanted height << 16 | width (0: the frame size, at most 2048 each),
    // out the block's size in bytes. Answers a new movable block (the
    // caller's) of an icon-style packed DIB: the image, then a 1-bit mask of
    // the transparent colour, biHeight doubled.
    CONV_REQ_GET_ICON_IMAGE = 8,
    // As CONV_REQ_ADD_FRAME, the packed DIB holding an AND mask below the
    // image (biHeight doubled).
    CONV_REQ_ADD_FRAME_MASKED = 9,
    // p = HGLOBAL* out: the document's settings block (or null). Answers the
    // library format the document came from.
    CONV_REQ_GET_SETTINGS = 10,
    // p = the new settings block itself; the editor owns it from now on.
    CONV_REQ_SET_SETTINGS = 11,
    // n = frame (< 0: the current one); p = uint32_t* out: y << 16 | x.
    CONV_REQ_GET_HOTSPOT = 12,
    // n = frame (< 0: the current one); p = the value y << 16 | x itself.
    CONV_REQ_SET_HOTSPOT = 13,
    // p = ConvMenuRequest*.
    CONV_REQ_MENU_ITEM = 14,
    // n = frame index; p = HBITMAP* out. Answers the editor's memory DC.
    CONV_REQ_GET_FRAME_BITMAP = 15,
    // p = ConvFormatChange*.
    CONV_REQ_CHANGE_FORMAT = 16,
    // p = ConvTransparentColor*.
    CONV_REQ_SET_TRANSPARENT_COLOR = 17,
    // n = owner (0: the editor's main window); p = the initial palette index
    // itself. Answers the chosen index, negative when cancelled.
    CONV_REQ_CHOOSE_COLOR = 19,
    // n = owner (0: the editor's main window). Answers the transparent colour
    // code afterwards.
    CONV_REQ_CHOOSE_TRANSPARENT_COLOR = 20,
    // n = frame | attribute << 8 (a non-zero attribute is stored); p = the
    // name. Answers the stored copy of the name.
    CONV_REQ_SET_FRAME_NAME = 21,
};

// CONV_REQ_QUERY sub-codes.
enum ConvQuery : UINT {
    CONV_QUERY_FRAME_COUNT = 0,
    CONV_QUERY_FREE_FRAMES = 1,        // 255 - frame count
    CONV_QUERY_CURRENT_FRAME = 2,      // -1 without frames
    CONV_QUERY_COLOR_COUNT = 3,        // of the colour format: 2, 3, 16, 256, 65536, 16777216, 16777217
    CONV_QUERY_FRAME_SIZE = 4,         // p = uint32_t* out: height << 16 | width; 1
    CONV_QUERY_TRANSPARENT_COLOR = 5,  // p = COLORREF* out; 1 when the sequence has one
    CONV_QUERY_DITHER_ON_OPEN = 6,     // the DitherOnOpen option, 0 or 1
};

// CONV_REQ_ADD_FRAME and CONV_REQ_ADD_FRAME_MASKED flags.
constexpr UINT CONV_ADD_USE_COLOR_OPTION = 0x01;  // the UseSavedPalette option decides the colours
constexpr UINT CONV_ADD_FIXED_COLOR_MODE = 0x02;  // a first frame keeps its own palette
constexpr UINT CONV_ADD_NO_DITHER = 0x04;
constexpr UINT CONV_ADD_DITHER = 0x08;
constexpr UINT CONV_ADD_ASK_STRETCH = 0x10;
constexpr UINT CONV_ADD_STRETCH = 0x40;

// ConvMenuRequest ops.
constexpr int32_t CONV_MENU_REMOVE = 1;
constexpr int32_t CONV_MENU_INSERT = 2;
constexpr int32_t CONV_MENU_MODIFY = 3;

// The records below pass between two modules built by the same compiler in
// the same process; they keep the natural layout of their fields.

// One image handed to the editor by LoadConvImage and GetPreviewImage; the
// caller's, usually on its stack.
struct ConvImage {
    HGLOBAL dib;          // out: a packed DIB the caller frees; 0 when none
    uint32_t bitsOffset;  // out: of the rows from the block's start; 0: work it out from the header
    char* message;        // in: room for a text a preview shows in place of an image
    uint32_t messageSize; // in: bytes of that room (the editor gives 80)
};
static_assert(sizeof(ConvImage) == 2 * sizeof(void*) + 2 * (sizeof(void*) > 4 ? 8 : 4));

// CONV_REQ_MENU_ITEM: remove (position, flags), insert or modify (position,
// flags, newId, text) in the editor's main menu.
struct ConvMenuRequest {
    int32_t op;
    uint32_t position;
    uint32_t newId;
    uint32_t flags;  // MF_* flags
    const char* text;
};
static_assert(offsetof(ConvMenuRequest, text) == 16);

// CONV_REQ_CHANGE_FORMAT.
struct ConvFormatChange {
    uint32_t width;
    uint32_t height;
    uint32_t colors;      // 3 two colours and a transparent colour, 16, 256
    uint32_t scaleImage;  // 1: stretch the pictures to the new size
    uint32_t option;      // always 0
};
static_assert(sizeof(ConvFormatChange) == 20);

// CONV_REQ_SET_TRANSPARENT_COLOR.
struct ConvTransparentColor {
    const BYTE* bgr;  // blue, green, red
    uint32_t noAsk;   // non-zero: never ask the user which colour
};

typedef ULONG_PTR(WINAPI* ConvHostProc)(UINT request, void* p, ULONG_PTR n);

// ---- the exports, bound by name ------------------------------------------------------

typedef int(WINAPI* GetFormatsProc)(char* filters, BYTE* codes, int flags);
typedef int(WINAPI* DetectFileFormatProc)(const char* path, BYTE* code, int byContent);
// A resource bitmap chosen by the user comes back with its name ("101-1033.BMP")
// in place of the path: for those files the path must be a buffer of MAX_PATH bytes.
typedef int(WINAPI* LoadConvImageProc)(HWND owner, const char* path, ConvImage* image, BYTE* code,
                                       int frameCount, ConvHostProc host);
typedef int(WINAPI* GetDesiredBitPixProc)(short code, WORD bitsPerPixel);
typedef int(WINAPI* SaveConvImageProc)(HWND owner, const char* path, HGLOBAL dib, BYTE code, int frameCount,
                                       ConvHostProc host);
typedef int(WINAPI* NewConvFileProc)(HWND owner, char* path, BYTE code, int reserved, ConvHostProc host);
typedef int(WINAPI* ProcessCommandProc)(HWND owner, int commandId, BYTE code, HGLOBAL settings, int frameCount,
                                        ConvHostProc host);
typedef int(WINAPI* NotifyFrameChangeProc)(BYTE code, HGLOBAL settings, int kind, int index, ConvHostProc host);
typedef int(WINAPI* GetPreviewImageProc)(const char* path, ConvImage* image);

// The library's file name beside the editor.
constexpr char CONV_LIBRARY_FILE[] = "ZELVOCONV32.dll";
