// The still-image codecs from a script: the interop checks with PIL,
// libtiff-tools, libjpeg's programs and icoutils (codec_interop.sh) make and
// read files through it.
//   CodecTool make pcx|tif|jpg WIDTH HEIGHT BITS OUT REF.bmp [SEED]
//       a pattern frame written by our writer to OUT and as a BMP to REF
//   CodecTool read pcx|tif|jpg IN OUT.bmp     our reader; prints "result N"
//   CodecTool resources IN                    the scan: "result N", then per
//                                             bitmap "NAME|OFFSET|SIZE"
//   CodecTool resource-bytes IN INDEX OUT     the bytes ReadResourceBitmap gives
#include "FileIo.h"
#include "JpegCodec.h"
#include "PackedDib.h"
#include "PcxCodec.h"
#include "ResourceBitmaps.h"
#include "TestFiles.h"
#include "TiffCodec.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int Usage()
{
    fprintf(stderr, "usage: CodecTool make|read|resources|resource-bytes ...\n");
    return 2;
}

int Write(const std::string& format, const char* path, HGLOBAL dib, int bits)
{
    if (format == "pcx") return WritePcx(path, dib, {5, uint32_t(bits), 1});
    if (format == "tif") return SaveTiff(path, dib, {bits, TIFF_COMPRESSION_LZW, 8});
    if (format == "jpg") return WriteJpeg(path, dib);
    return 0;
}

int Read(const std::string& format, const char* path, ConvImage* image)
{
    if (format == "pcx") return ReadPcx(path, image);
    if (format == "tif") return LoadTiff(path, image);
    if (format == "jpg") return ReadJpeg(path, image);
    return 0;
}

int Make(int argc, char** argv)
{
    if (argc < 8) return Usage();
    const int width = atoi(argv[3]), height = atoi(argv[4]), bits = atoi(argv[5]);
    const uint32_t seed = argc > 8 ? uint32_t(atoi(argv[8])) : 1;
    GlobalBlock dib(bits == 24 ? MakePhotoLikeDib(width, height, seed)
                               : MakePatternDib(width, height, bits, FramePattern::Noise, seed));
    if (!dib) return 1;
    const int result = Write(argv[2], argv[6], dib.Get(), bits);
    printf("result %d\n", result);
    return result == 1 && WriteDibAsBmp(argv[7], dib.Get()) ? 0 : 1;
}

int ReadToBmp(int argc, char** argv)
{
    if (argc < 5) return Usage();
    ConvImage image{};
    const int result = Read(argv[2], argv[3], &image);
    GlobalBlock dib(image.dib);
    printf("result %d\n", result);
    if (result == 1 && !WriteDibAsBmp(argv[4], dib.Get())) return 1;
    return 0;
}

int ListResources(int argc, char** argv)
{
    if (argc < 3) return Usage();
    const HFILE file = _lopen(argv[2], OF_READ);
    if (file == HFILE_ERROR) return 1;
    printf("result %d\n", ScanExecutable(file, false));
    _lclose(file);
    const ResourceBitmapTable& table = ResourceBitmaps();
    for (int i = 0; i < table.count; ++i)
        printf("%s|%u|%u\n", table.entries[i].name, table.entries[i].fileOffset, table.entries[i].size);
    return 0;
}

int ResourceBytes(int argc, char** argv)
{
    if (argc < 5) return Usage();
    const HFILE file = _lopen(argv[2], OF_READ);
    if (file == HFILE_ERROR) return 1;
    const int index = atoi(argv[3]);
    GlobalBlock block;
    if (ScanExecutable(file, false) == 1 && index < ResourceBitmaps().count)
        block.Reset(ReadResourceBitmap(file, ResourceBitmaps().entries[index]));
    _lclose(file);
    if (!block) return 1;
    GlobalLockGuard<BYTE> bytes(block.Get());
    const BYTE* p = bytes.get();
    return WriteWholeFile(argv[4], std::vector<uint8_t>(p, p + GlobalSize(block.Get()))) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    if (command == "make") return Make(argc, argv);
    if (command == "read") return ReadToBmp(argc, argv);
    if (command == "resources") return ListResources(argc, argv);
    if (command == "resource-bytes") return ResourceBytes(argc, argv);
    return Usage();
}
