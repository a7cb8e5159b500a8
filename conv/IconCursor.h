// Icon and cursor files (.ICO, .CUR) and the pieces the animated cursors
// share with them: the directory records, the choice of one image from a
// directory, the one-image file the library writes, the cursor size choice
// and the previews.
#pragma once
#include "ConvFormats.h"
#include <windows.h>
#include <cstdint>

#pragma pack(push, 1)
// The 6 bytes at the start of an icon or cursor file.
struct IconFileHeader {
    uint16_t reserved;  // 0
    uint16_t type;      // ICON_TYPE_ICON or ICON_TYPE_CURSOR
    uint16_t count;     // directory entries after the header
};
static_assert(sizeof(IconFileHeader) == 6);

// One directory entry. For cursors planes and bitCount hold the hotspot.
struct IconDirEntry {
    uint8_t width;       // 0: 256 or more
    uint8_t height;
    uint8_t colorCount;  // 0: 256 or more
    uint8_t reserved;
    uint16_t planes;     // cursor: hotspot x
    uint16_t bitCount;   // cursor: hotspot y
    uint32_t bytesInRes;
    uint32_t imageOffset;
};
static_assert(sizeof(IconDirEntry) == 16);
#pragma pack(pop)

constexpr uint16_t ICON_TYPE_ICON = 1;
constexpr uint16_t ICON_TYPE_CURSOR = 2;
// Where the image of a one-image file starts.
constexpr uint32_t ONE_IMAGE_OFFSET = sizeof(IconFileHeader) + sizeof(IconDirEntry);
// The icon's attribute the editor keeps with the frame name of a read icon.
constexpr UINT ICON_NAME_ATTRIBUTE = 0x84;
// A preview reads no more than this of an icon file.
constexpr uint32_t ICON_PREVIEW_BYTES = 65530;

// The image a directory yields.
struct IconChoice {
    uint32_t offset;   // of the image in the file
    uint32_t size;     // bytes of the image
    uint32_t hotspot;  // y << 16 | x; 0 for icons
};

// Walks the directory of the icon file in `data` and picks the most
// colourful or largest image. False when no entry is chosen or the
// directory, its offsets or sizes do not lie inside the `size` bytes.
bool ChooseIconImage(const BYTE* data, uint32_t size, IconChoice* choice);
// True when `size` bytes at `image` hold an uncompressed icon DIB: a
// 40-byte header of doubled height, its colour table, the XOR rows and the
// AND mask.
bool IsIconDib(const BYTE* image, uint32_t size);
// A movable block holding the chosen image of an icon file in memory, moved
// to its start. Result 1, or -2 (no directory), -6 (no usable DIB), -5.
int ExtractIconImage(const BYTE* data, uint32_t size, HGLOBAL* image, uint32_t* hotspot);
// Writes a one-image icon (type 1) or cursor (type 2) file of an icon-style
// packed DIB to an open file: the 22-byte header, the image and one padding
// byte after an odd size. False on a failed write.
bool WriteOneImageIcon(HFILE file, const BYTE* image, uint32_t size, uint16_t type, uint32_t hotspot);
// The bytes WriteOneImageIcon writes.
uint32_t OneImageIconBytes(uint32_t imageSize);
// The icon size to save at as height << 16 | width: the frame size when it
// is 16, 32 or 64 square (or cannot be asked), else the user's choice in
// "Select Cursor Format"; 0 stands for the frame size. -1 when cancelled.
int ChooseCursorSize(HWND owner, ConvHostProc host);
// The dialog alone, for a frame of the given size.
int RunCursorSizeDialog(HWND owner, int width, int height);
// A preview block of an icon image: the header's height halved, biClrUsed
// filled in; its bits offset. -5 without memory.
int MakeIconPreview(const BYTE* image, uint32_t size, ConvImage* out);

// ---- the rows of formats 132 and 166 in the format table -----------------------------

int LoadIconFile(const ConvLoadCall& call);
int SaveIconFile(const ConvSaveCall& call);
int GetIconPreview(const char* path, ConvImage* image);
