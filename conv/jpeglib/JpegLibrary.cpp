// ijl11.dll: the JPEG library through which the image library reads and
// writes JPEG files, built over libjpeg. Every failure comes back to the
// caller as a negative result; nothing in here ends the process.
#include "JpegLibrary.h"
#include <cstdio>
#include <cstring>
#include <jpeglib.h>
#include <jerror.h>

namespace {

// Marks a record that JpegLibInit prepared and JpegLibFree has not released.
constexpr uint32_t INITIALISED_MARK = 0x314C504A;

// libjpeg reports a fatal error through error_exit, which must not return.
// It jumps back into the call that started the work (GCC's own jump, which
// unwinds nothing: the frames in between are libjpeg's plain C code).
struct ErrorTrap {
    jpeg_error_mgr manager;
    void* jump[5];
    bool dataMissing;  // the file ended before the image did
};

void ReturnToCaller(j_common_ptr info)
{
    __builtin_longjmp(reinterpret_cast<ErrorTrap*>(info->err)->jump, 1);
}

// Warnings are not printed; the only one that fails a read is the end of the
// file in the middle of the image (libjpeg would make up grey rows).
void NoteWarning(j_common_ptr info, int level)
{
    auto* trap = reinterpret_cast<ErrorTrap*>(info->err);
    if (level < 0 && trap->manager.msg_code == JWRN_JPEG_EOF) trap->dataMissing = true;
}

void PrepareTrap(ErrorTrap* trap)
{
    jpeg_std_error(&trap->manager);
    trap->manager.error_exit = ReturnToCaller;
    trap->manager.emit_message = NoteWarning;
    trap->dataMissing = false;
}

bool IsPrepared(const JpegProperties* properties)
{
    return properties && properties->initialised == INITIALISED_MARK && properties->fileName;
}

// The colour spaces that become red, green, blue: grey is spread to three
// channels; four-channel files (CMYK, YCCK) are refused.
bool CanDeliverRgb(J_COLOR_SPACE space)
{
    return space == JCS_GRAYSCALE || space == JCS_YCbCr || space == JCS_RGB;
}

// Fills the pixel buffer from the decoder, whose header was read; the buffer
// must have the image's size and three channels.
void DecodeRows(JpegProperties* properties, jpeg_decompress_struct* info)
{
    info->out_color_space = JCS_RGB;
    jpeg_start_decompress(info);
    const size_t stride = static_cast<size_t>(properties->pixelWidth) * 3 + properties->pixelPadding;
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = properties->pixels + stride * info->output_scanline;
        jpeg_read_scanlines(info, &row, 1);
    }
    jpeg_finish_decompress(info);
}

bool BufferFitsImage(const JpegProperties* properties, const jpeg_decompress_struct& info)
{
    return properties->pixels && properties->pixelChannels == 3 && properties->pixelPadding >= 0 &&
           properties->pixelWidth == static_cast<int32_t>(info.image_width) &&
           properties->pixelHeight == static_cast<int32_t>(info.image_height);
}

int ReadFromFile(JpegProperties* properties, int mode, FILE* file)
{
    jpeg_decompress_struct info{};
    ErrorTrap trap;
    PrepareTrap(&trap);
    info.err = &trap.manager;
    if (__builtin_setjmp(trap.jump)) {
        jpeg_destroy_decompress(&info);
        return JPEG_LIB_CODING_ERROR;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    int result = JPEG_LIB_OK;
    if (mode == JPEG_READ_PARAMETERS) {
        properties->imageWidth = static_cast<int32_t>(info.image_width);
        properties->imageHeight = static_cast<int32_t>(info.image_height);
        properties->imageChannels = info.num_components;
    } else if (!BufferFitsImage(properties, info)) {
        result = JPEG_LIB_BAD_ARGUMENT;
    } else if (!CanDeliverRgb(info.jpeg_color_space)) {
        result = JPEG_LIB_CODING_ERROR;
    } else {
        DecodeRows(properties, &info);
        if (trap.dataMissing) result = JPEG_LIB_CODING_ERROR;
    }
    jpeg_destroy_decompress(&info);
    return result;
}

// The writer's checks: a buffer of three channels of the image's size, a
// known quality and subsampling.
bool CanWrite(const JpegProperties* properties)
{
    return properties->pixels && properties->pixelChannels == 3 && properties->pixelPadding >= 0 &&
           properties->pixelWidth > 0 && properties->pixelHeight > 0 &&
           properties->pixelWidth <= JPEG_MAX_DIMENSION && properties->pixelHeight <= JPEG_MAX_DIMENSION &&
           properties->imageWidth == properties->pixelWidth && properties->imageHeight == properties->pixelHeight &&
           properties->quality >= 1 && properties->quality <= 100 &&
           (properties->subsampling == JPEG_SUBSAMPLING_NONE ||
            properties->subsampling == JPEG_SUBSAMPLING_HORIZONTAL);
}

int WriteToFile(const JpegProperties* properties, FILE* file)
{
    jpeg_compress_struct info{};
    ErrorTrap trap;
    PrepareTrap(&trap);
    info.err = &trap.manager;
    if (__builtin_setjmp(trap.jump)) {
        jpeg_destroy_compress(&info);
        return JPEG_LIB_CODING_ERROR;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(properties->pixelWidth);
    info.image_height = static_cast<JDIMENSION>(properties->pixelHeight);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, properties->quality, TRUE);
    // Luminance at full size; chroma at full size or halved across.
    info.comp_info[0].h_samp_factor = properties->subsampling == JPEG_SUBSAMPLING_HORIZONTAL ? 2 : 1;
    info.comp_info[0].v_samp_factor = 1;
    for (int c = 1; c < 3; ++c) info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    const size_t stride = static_cast<size_t>(properties->pixelWidth) * 3 + properties->pixelPadding;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = properties->pixels + stride * info.next_scanline;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return JPEG_LIB_OK;
}

}  // namespace

extern "C" int WINAPI JpegLibInit(JpegProperties* properties)
{
    if (!properties) return JPEG_LIB_BAD_ARGUMENT;
    properties->pixelChannels = 3;
    properties->imageChannels = 3;
    properties->subsampling = JPEG_SUBSAMPLING_HORIZONTAL;
    properties->quality = 75;
    properties->initialised = INITIALISED_MARK;
    return JPEG_LIB_OK;
}

extern "C" int WINAPI JpegLibFree(JpegProperties* properties)
{
    if (!properties || properties->initialised != INITIALISED_MARK) return JPEG_LIB_BAD_ARGUMENT;
    properties->initialised = 0;
    return JPEG_LIB_OK;
}

extern "C" int WINAPI JpegLibRead(JpegProperties* properties, int mode)
{
    if (!IsPrepared(properties) || (mode != JPEG_READ_PARAMETERS && mode != JPEG_READ_IMAGE))
        return JPEG_LIB_BAD_ARGUMENT;
    FILE* file = fopen(properties->fileName, "rb");
    if (!file) return JPEG_LIB_FILE_ERROR;
    const int result = ReadFromFile(properties, mode, file);
    fclose(file);
    return result;
}

extern "C" int WINAPI JpegLibWrite(JpegProperties* properties, int mode)
{
    if (!IsPrepared(properties) || mode != JPEG_WRITE_IMAGE || !CanWrite(properties)) return JPEG_LIB_BAD_ARGUMENT;
    FILE* file = fopen(properties->fileName, "wb");
    if (!file) return JPEG_LIB_FILE_ERROR;
    int result = WriteToFile(properties, file);
    if (fclose(file) != 0 && result == JPEG_LIB_OK) result = JPEG_LIB_FILE_ERROR;
    // A file that could not be written whole is not left as if it were a picture.
    if (result != JPEG_LIB_OK) remove(properties->fileName);
    return result;
}
