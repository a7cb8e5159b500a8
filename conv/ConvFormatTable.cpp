// The one table through which every export reaches a format's code.
#include "ConvFormats.h"
#include "GifAnimation.h"
#include "AniCursor.h"
#include "AviVideo.h"
#include "IconCursor.h"
#include "JpegCodec.h"
#include "PcxCodec.h"
#include "ResourceBitmaps.h"
#include "TiffCodec.h"

namespace {

// One row per format. Each format's handlers live in its own source file and
// are declared in ConvFormats.h; a handler not filled in yet leaves the
// operation unsupported.
const ConvFormatRow g_formats[] = {
    // code                         depth rule                with image                   as sequence
    {CONV_FORMAT_PCX,             ConvDepthRule::No16Or32, CONV_FORMAT_PCX,  CONV_FORMAT_PCX,
     LoadPcxImage, SavePcxImage, PreviewPcxImage, nullptr, nullptr, nullptr},
    {CONV_FORMAT_GIF,             ConvDepthRule::AtMost8,  CONV_FORMAT_GIF,  CONV_FORMAT_GIF,
     LoadGifFile, SaveSingleGifFile, GetGifPreview, nullptr, nullptr, nullptr},
    {CONV_FORMAT_TIFF,            ConvDepthRule::No16Or32, CONV_FORMAT_TIFF, CONV_FORMAT_TIFF,
     LoadTiffImage, SaveTiffImage, PreviewTiffImage, nullptr, nullptr, nullptr},
    // Resource bitmaps cannot be written back: they report no format.
    {CONV_FORMAT_RESOURCE_BITMAP, ConvDepthRule::Keep,     0,                0,
     LoadResourceBitmapImage, nullptr, PreviewResourceBitmapImage, nullptr, nullptr, nullptr},
    {CONV_FORMAT_ICON,            ConvDepthRule::Keep,     CONV_FORMAT_ICON, CONV_FORMAT_ICON,
     LoadIconFile, SaveIconFile, GetIconPreview, nullptr, nullptr, nullptr},
    {CONV_FORMAT_JPEG,            ConvDepthRule::Always24, CONV_FORMAT_JPEG, CONV_FORMAT_JPEG,
     LoadJpegImage, SaveJpegImage, PreviewJpegImage, nullptr, nullptr, nullptr},
    // Imported video frames become an editor sequence of their own.
    {CONV_FORMAT_AVI,             ConvDepthRule::Keep,     0,                0,
     LoadAviFile, SaveAviFile, GetAviPreview, nullptr, nullptr, nullptr},
    // An animated cursor read as one image is an icon; as a document it keeps its format.
    {CONV_FORMAT_ANI,             ConvDepthRule::Keep,     CONV_FORMAT_ICON, CONV_FORMAT_ANI,
     LoadAniFile, SaveAniFile, GetAniPreview, NewAniFile, AniProcessCommand, NotifyAniFrameChange},
    {CONV_FORMAT_GIF_ANIM,        ConvDepthRule::AtMost8,  CONV_FORMAT_GIF,  CONV_FORMAT_GIF_ANIM,
     LoadGifFile, SaveGifAnimationFile, GetGifPreview, NewGifAnimation, GifProcessCommand, NotifyGifFrameChange},
};

}  // namespace

const ConvFormatRow* FindConvFormat(int code)
{
    for (const ConvFormatRow& row : g_formats)
        if (row.code == code) return &row;
    return nullptr;
}

int DesiredBitsFor(const ConvFormatRow& row, int bitsPerPixel)
{
    switch (row.depth) {
    case ConvDepthRule::No16Or32: return bitsPerPixel == 16 || bitsPerPixel == 32 ? 24 : bitsPerPixel;
    case ConvDepthRule::AtMost8: return bitsPerPixel > 8 ? 8 : bitsPerPixel;
    case ConvDepthRule::Always24: return 24;
    case ConvDepthRule::Keep: break;
    }
    return bitsPerPixel;
}
