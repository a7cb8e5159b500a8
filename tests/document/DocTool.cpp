// A console tool for the shell checks that hold the document files against
// independent programs (Info-ZIP, ImageMagick):
//   DocTool check-anx ARCHIVE         unpack, find and read the animation and every sequence
//   DocTool make-bmx FILE BITS SETTING  a four-frame sequence of the given depth
//   DocTool dump-frames FILE PREFIX   each frame's stored bits as PREFIXn.bmp, and the
//                                     decoded pixels as PREFIXn.ppm
#include "AnimationTables.h"
#include "AnxArchive.h"
#include "BmxFile.h"
#include "PackedDib.h"
#include "ResultCodes.h"
#include "TestFiles.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int CheckArchive(const char* path)
{
    AnxArchive anx(path);
    char animation[MAX_PATH];
    if (!anx.Unpack(nullptr) || !anx.FindAnimation(animation, MAX_PATH)) {
        printf("cannot unpack or find the animation (error %d)\n", anx.error);
        return 1;
    }
    AnimationTables tables{};
    int result = ReadAnimationFile(animation, &tables, MAX_PLAYER_OBJECTS);
    int frames = 0;
    for (int i = 0; result == RESULT_OK && i < tables.sequenceCount; ++i) {
        FrameSequence sequence;
        char sequencePath[MAX_PATH];
        JoinPath(sequencePath, anx.workDir, BareName(tables.sequenceTable[i].fileName));
        result = LoadFrameSequenceFile(sequencePath, &sequence);
        frames += static_cast<int>(sequence.frames.size());
    }
    printf("animation %s: result 0x%X, %d sequences, %d objects, %d frames\n", BareName(animation), result,
           tables.sequenceCount, tables.objectCount, frames);
    FreeAnimationTables(&tables);
    const bool removed = AnxArchive(nullptr).RemoveUnpacked(animation) &&
                         GetFileAttributesA(anx.workDir) == INVALID_FILE_ATTRIBUTES;
    if (!removed) printf("the unpack folder %s was not removed\n", anx.workDir);
    return result == RESULT_OK && frames > 0 && removed ? 0 : 1;
}

int MakeBmx(const char* path, int bits, uint32_t setting)
{
    FrameSequence sequence;
    sequence.format.width = 53;
    sequence.format.height = 19;
    sequence.format.bitsPerPixel = bits;
    sequence.format.colorTableEntries = bits <= 8 ? 1 << bits : 0;
    const FramePattern patterns[] = {FramePattern::Stripes, FramePattern::Flat, FramePattern::Gradient, FramePattern::Noise};
    for (int i = 0; i < 4; ++i) {
        HGLOBAL dib = MakePatternDib(53, 19, bits, patterns[i], i + 3);
        if (i == 0) {
            GlobalLockGuard<BYTE> p(dib);
            memcpy(sequence.format.colors, DibColors(p.get()), sequence.format.colorTableEntries * sizeof(RGBQUAD));
        }
        sequence.frames.push_back({dib, "frame.bmp", 0, 0});
    }
    return SaveFrameSequenceFile(path, sequence, setting) == RESULT_OK ? 0 : 1;
}

// The RGB value of pixel (x, y) of raw rows.
void PixelColor(const BYTE* bits, const BmxFormat& f, int x, int y, BYTE rgb[3])
{
    const BYTE* row = bits + y * DibStride(f.width, f.bitsPerPixel);
    int index = -1;
    switch (f.bitsPerPixel) {
    case 1: index = (row[x / 8] >> (7 - x % 8)) & 1; break;
    case 4: index = (row[x / 2] >> (x % 2 ? 0 : 4)) & 15; break;
    case 8: index = row[x]; break;
    case 16: {
        const int v = row[2 * x] | row[2 * x + 1] << 8;
        const int r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
        rgb[0] = static_cast<BYTE>(r << 3 | r >> 2);
        rgb[1] = static_cast<BYTE>(g << 3 | g >> 2);
        rgb[2] = static_cast<BYTE>(b << 3 | b >> 2);
        return;
    }
    default: {
        const BYTE* p = row + x * (f.bitsPerPixel / 8);
        rgb[0] = p[2], rgb[1] = p[1], rgb[2] = p[0];
        return;
    }
    }
    rgb[0] = f.colors[index].rgbRed, rgb[1] = f.colors[index].rgbGreen, rgb[2] = f.colors[index].rgbBlue;
}

struct Dumper {
    std::string prefix;
    std::vector<uint8_t> file;
    BmxFileHeader header{};
    BmxFormat format{};
};

bool DumpBegin(void* context, const BmxFileHeader& header, const BmxFormat& format)
{
    auto* d = static_cast<Dumper*>(context);
    d->header = header;
    d->format = format;
    return true;
}

bool DumpFrame(void* context, int index, const BmxFrameEntry& entry, const BYTE* rows)
{
    auto* d = static_cast<Dumper*>(context);
    const BmxFormat& f = d->format;
    char name[MAX_PATH];
    // The stored bits as they stand in the file, as a BMP of that compression.
    if (entry.compression <= 2) {
        const size_t directoryAt = 14 + 40 + f.colorTableEntries * 4;
        size_t bitsAt = d->header.bitsOffset;
        for (int i = 0; i < index; ++i) {
            BmxFrameEntry previous;
            memcpy(&previous, d->file.data() + directoryAt + i * sizeof previous, sizeof previous);
            bitsAt += previous.dataSize;
        }
        std::vector<uint8_t> bmp;
        BITMAPFILEHEADER fh{BMP_MAGIC, 0, 0, 0, static_cast<DWORD>(14 + 40 + f.colorTableEntries * 4)};
        fh.bfSize = fh.bfOffBits + entry.dataSize;
        BITMAPINFOHEADER ih{sizeof ih, f.width, f.height, 1, static_cast<WORD>(f.bitsPerPixel), entry.compression,
                            entry.dataSize, 0, 0, static_cast<DWORD>(f.colorTableEntries), 0};
        AppendBytes(bmp, fh);
        AppendBytes(bmp, ih);
        bmp.insert(bmp.end(), reinterpret_cast<const uint8_t*>(f.colors),
                   reinterpret_cast<const uint8_t*>(f.colors) + f.colorTableEntries * 4);
        bmp.insert(bmp.end(), d->file.begin() + bitsAt, d->file.begin() + bitsAt + entry.dataSize);
        snprintf(name, sizeof name, "%s%d-c%d.bmp", d->prefix.c_str(), index, entry.compression);
        WriteWholeFile(name, bmp);
    }
    // What the reader decoded, top row first as PPM wants it.
    std::string ppm = "P6\n" + std::to_string(f.width) + " " + std::to_string(f.height) + "\n255\n";
    for (int y = f.height - 1; y >= 0; --y)
        for (int x = 0; x < f.width; ++x) {
            BYTE rgb[3];
            PixelColor(rows, f, x, y, rgb);
            ppm.append(reinterpret_cast<char*>(rgb), 3);
        }
    snprintf(name, sizeof name, "%s%d.ppm", d->prefix.c_str(), index);
    WriteWholeFile(name, std::vector<uint8_t>(ppm.begin(), ppm.end()));
    return true;
}

int DumpFrames(const char* path, const char* prefix)
{
    Dumper dumper;
    dumper.prefix = prefix;
    dumper.file = ReadWholeFile(path);
    FILE* f = fopen(path, "rb");
    if (!f) return 1;
    fclose(f);
    HFILE file = _lopen(path, OF_READ);
    BmxFileHeader header;
    _lread(file, &header, sizeof header);
    BmxFrameSink sink{&dumper, DumpBegin, DumpFrame};
    const int result = ReadBmxBody(file, header, sink);
    _lclose(file);
    return result == RESULT_OK ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && strcmp(argv[1], "check-anx") == 0) return CheckArchive(argv[2]);
    if (argc == 5 && strcmp(argv[1], "make-bmx") == 0) return MakeBmx(argv[2], atoi(argv[3]), strtoul(argv[4], nullptr, 0));
    if (argc == 4 && strcmp(argv[1], "dump-frames") == 0) return DumpFrames(argv[2], argv[3]);
    fprintf(stderr, "usage: DocTool check-anx ARCHIVE | make-bmx FILE BITS SETTING | dump-frames FILE PREFIX\n");
    return 2;
}
