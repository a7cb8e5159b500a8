// The change of frame format: every frame of the current sequence to a new
// size and colour format at once, from the "Change Frame Format" dialog, a
// file format that needs another depth, or the image library. Built into the
// shell library: it works on the document.
#pragma once
#include <windows.h>
#include <cstdint>

// FrameFormatRequest flags.
constexpr uint32_t FORMAT_STRETCH = 0x01;       // "S&tretch to New Size"
constexpr uint32_t FORMAT_DITHER = 0x02;        // "Use &Dithering"
constexpr uint32_t FORMAT_FRAME_COLORS = 0x04;  // "Use Frame Colors"
constexpr uint32_t FORMAT_QUANTIZE = 0x08;      // "&Quantize Colors"

struct FrameFormatRequest {
    int32_t x, y;           // the old frame's point that becomes the new top left (not stretching)
    int32_t width, height;  // 8..2048
    int32_t colorCount;     // the new ColorFormat
    uint32_t flags;
};

// 1 when the frames were changed; 0 when there was nothing to do, the user
// cancelled, or a bitmap could not be made. Every new frame is made before
// any old one goes, so that a cancel or a failure leaves the sequence as it
// was.
int ChangeFrameFormat(const FrameFormatRequest& request);

// What "Change Frame Format" (IDD_CHANGE_FORMAT) is opened with and fills in.
struct FrameFormatDialogRequest {
    int32_t x, y, width, height;  // in: the selected area when useSelection; out: the new frame
    int32_t colorFormat;          // the ColorFormat chosen
    int32_t stretch;              // "S&tretch to New Size"
    int32_t useSelection;         // in: the area is offered; out: the area was chosen
    int32_t dithering;
    int32_t frameColors;
    int32_t sizeChangeAllowed;    // in: 0 = only the colour depth may change
    int32_t quantize;
    uint8_t libraryFormat;        // the sequence's image-library format, for the depths it takes
};
// lParam: a FrameFormatDialogRequest. Ends with 1 (OK) or 0 (Cancel).
INT_PTR CALLBACK FrameFormatDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The request ChangeFrameFormat takes for what the dialog chose.
FrameFormatRequest FrameFormatFromDialog(const FrameFormatDialogRequest& chosen);
// Command 405: asks the new format (offering the selected area when there
// is one), changes every frame under the wait cursor and lays the views out
// again. 1 when the frames changed.
int ChangeFormatCommand(HWND owner);
// Before a frame goes to an image-library format that takes fewer colours
// than the sequence has: asks whether to reduce them and, on Yes, the new
// depth (the size stays). 1 when the save may go on (reduced, or No with
// Ctrl held: the library gets the frame at its own depth); 0 when refused.
int ReduceColorsForLibrary(HWND owner, int libraryFormat);
