// Single frames as Windows bitmap files.
#include "BmpFile.h"
#include "BmxFile.h"
#include "FileIo.h"
#include "PackedDib.h"
#include "ResultCodes.h"
#include "RowCodes.h"
#include <cstring>
#include <memory>

namespace {

const DWORD kMasks555[3] = {0x7C00, 0x03E0, 0x001F};

}  // namespace

int WriteBmpFile(const char* path, HGLOBAL packedDib, uint32_t compressionSetting)
{
    GlobalLockGuard<BYTE> dib(packedDib);
    if (!dib) return RESULT_UNKNOWN_FORMAT;
    BITMAPINFOHEADER info = *DibHeader(dib.get());
    if (!IsSaneFrameHeader(info) || info.biCompression != BI_RGB) return RESULT_UNKNOWN_FORMAT;
    const int bits = info.biBitCount;
    const int entries = bits <= 8 ? 1 << bits : 0;
    const int storedEntries = DibColorEntries(info);
    const uint32_t frameBytes = DibStride(info.biWidth, bits) * info.biHeight;
    const BYTE* rows = DibBits(dib.get());
    if (storedEntries < 0 || static_cast<SIZE_T>(rows - dib.get()) + frameBytes > GlobalSize(packedDib))
        return RESULT_UNKNOWN_FORMAT;

    RGBQUAD colors[256] = {};
    const int copied = storedEntries < entries ? storedEntries : entries;
    memcpy(colors, DibColors(dib.get()), copied * sizeof(RGBQUAD));

    // The rows are encoded in a buffer of their own, one frame and 4 bytes long.
    std::unique_ptr<BYTE[]> coded(new (std::nothrow) BYTE[frameBytes + 4]);
    if (!coded) return RESULT_OUT_OF_MEMORY;
    memcpy(coded.get(), rows, frameBytes);
    info.biClrUsed = entries;
    info.biClrImportant = 0;
    const int choice = CompressionChoiceForDepth(compressionSetting, bits);
    if (!EncodeFrameRows(coded.get(), &info, choice) || info.biCompression == BI_BMX_RUNLENGTH) {
        memcpy(coded.get(), rows, frameBytes);
        info.biCompression = BI_RGB;
        info.biSizeImage = frameBytes;
    }
    const uint32_t tableBytes = bits == 16 ? sizeof kMasks555 : entries * sizeof(RGBQUAD);
    if (bits == 16) info.biCompression = BI_BITFIELDS;
    const uint32_t offBits = sizeof(BITMAPFILEHEADER) + sizeof info + tableBytes;
    BITMAPFILEHEADER file{BMP_MAGIC, offBits + info.biSizeImage, 0, 0, offBits};

    SafeFileWriter writer(path);
    HFILE out = writer.Create();
    if (out == HFILE_ERROR) return RESULT_CREATE_ERROR;
    const void* table = bits == 16 ? static_cast<const void*>(kMasks555) : colors;
    if (!WriteExact(out, &file, sizeof file) || !WriteExact(out, &info, sizeof info) ||
        !WriteExact(out, table, tableBytes) || !WriteExact(out, coded.get(), info.biSizeImage))
        return RESULT_WRITE_ERROR;
    return writer.Commit() ? RESULT_OK : RESULT_WRITE_ERROR;
}
