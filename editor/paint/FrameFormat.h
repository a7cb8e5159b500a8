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
