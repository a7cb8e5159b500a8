// A console tool for the shell checks that hold the document files against
// independent programs (Info-ZIP, ImageMagick):
//   DocTool check-anx ARCHIVE         unpack, find and read the animation and every sequence
//   DocTool make-bmx FILE BITS SETTING  a four-frame sequence of the given depth
//   DocTool dump-frames FILE PREFIX   each frame's stored bits as PREFIXn.bmp, and the
//                                     decoded pixels as PREFIXn.ppm
//   DocTool make-ans FOLDER           seq.bmx (five 8-bit frames), other.bmx (two) and
//                                     anim.ans with objects whose steps show them
//   DocTool dump-steps FILE           each object's sequence and the frames its steps show
//   DocTool make-ano FILE             an object file: "Hopper" with 3 steps, sequence hop.bmx
//   DocTool make-mus FILE             a fill-pattern file: pattern i, row y = i * 16 + y
//   DocTool clip-bmp FILE             a BMP file's picture on the clipboard as CF_DIB, as
//                                     another program's copy leaves it
#include "AnimationTables.h"
#include "AnxArchive.h"
#include "AnoFile.h"
#include "PatternFiles.h"
#include "BmxFile.h"
#include "PackedDib.h"
#include "ResultCodes.h"
#include "TestFiles.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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

// Frame f of seq.bmx: a pattern in colours of its own (indexes 16 + 32 f ..
// 16 + 32 f + 31), none of them symmetric, so that any flip, turn or mix-up
// of frames shows. other.bmx's frames use indexes 200 and up.
HGLOBAL MakeOwnColourFrame(int width, int height, const RGBQUAD* colors, int firstIndex)
{
    HGLOBAL dib = CreatePackedDib(width, height, 8, colors, 256);
    GlobalLockGuard<BYTE> p(dib);
    BYTE* bits = DibBits(p.get());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bits[y * DibStride(width, 8) + x] = static_cast<BYTE>(firstIndex + (x * 3 + y * 5 + x * y / 4) % 32);
    return dib;
}

int MakeAnimation(const std::string& folder)
{
    RGBQUAD colors[256] = {};
    for (int i = 16; i < 240; ++i)  // the static colours at both ends stay black
        colors[i] = RGBQUAD{static_cast<BYTE>(i * 37 % 256), static_cast<BYTE>(i * 91 % 256), static_cast<BYTE>(i * 13 % 256), 0};
    FrameSequence seq, other;
    for (FrameSequence* s : {&seq, &other}) {
        s->format.width = 24;
        s->format.height = 16;
        s->format.bitsPerPixel = 8;
        s->format.colorTableEntries = 256;
        memcpy(s->format.colors, colors, sizeof colors);
        s->transparentColorCode = 0;  // black
    }
    for (int f = 0; f < 5; ++f) seq.frames.push_back({MakeOwnColourFrame(24, 16, colors, 16 + 32 * f), "seq.bmp", 0, 0});
    for (int f = 0; f < 2; ++f) other.frames.push_back({MakeOwnColourFrame(24, 16, colors, 200 + 8 * f), "other.bmp", 0, 0});
    if (SaveFrameSequenceFile((folder + "seq.bmx").c_str(), seq, 0) != RESULT_OK ||
        SaveFrameSequenceFile((folder + "other.bmx").c_str(), other, 0) != RESULT_OK)
        return 1;

    AnimationTables t{};
    SetDefaultAnimationSettings(&t.animationSettings);
    t.sequenceCount = 2;
    t.sequenceTable[0] = {5, 0, 256, "seq.bmx"};
    t.sequenceTable[1] = {2, 0, 256, "other.bmx"};
    // Two objects on seq.bmx (the first one current) and one on other.bmx.
    const struct {
        const char* name;
        int sequence;
        std::vector<int> frames;
    } objects[] = {{"Main", 0, {0, 1, 2, 3, 4, 2}}, {"Other", 1, {0, 1, 1}}, {"Second", 0, {4, 3, 1}}};
    for (const auto& o : objects) {
        const int n = t.objectCount++;
        ObjectRecord& r = t.objectTable[n];
        r.sequenceIndex = static_cast<uint8_t>(o.sequence);
        lstrcpynA(r.name, o.name, sizeof r.name);
        r.objectFlags = OBJ_STEP_LIST;
        r.frameDelay = 2;
        r.moveDelay = 1;
        r.stepCount = static_cast<int32_t>(o.frames.size());
        t.objectMemoryHandles[n][0] = AllocateStepBlock(r.stepCount);
        GlobalLockGuard<ObjectStep> steps(t.objectMemoryHandles[n][0]);
        for (int i = 0; i < r.stepCount; ++i) {
            steps.get()[i].frameIndex = static_cast<uint8_t>(o.frames[i]);
            steps.get()[i].waitCount = 1;
        }
    }
    t.headerCurrentObject = 0;
    const int result = WriteAnimationFile((folder + "anim.ans").c_str(), &t);
    FreeAnimationTables(&t);
    return result == RESULT_OK ? 0 : 1;
}

// "Main 0: 0 1 2 3 4 2" per object: name, sequence index, the steps' frames.
int DumpSteps(const char* path)
{
    AnimationTables t{};
    if (ReadAnimationFile(path, &t, MAX_PLAYER_OBJECTS) != RESULT_OK) return 1;
    for (int n = 0; n < t.objectCount; ++n) {
        const ObjectRecord& r = t.objectTable[n];
        printf("%s %d:", r.name, r.sequenceIndex);
        if (t.objectMemoryHandles[n][0]) {
            GlobalLockGuard<ObjectStep> steps(t.objectMemoryHandles[n][0]);
            for (int i = 0; i < r.stepCount; ++i) printf(" %d", steps.get()[i].frameIndex);
        }
        printf("\n");
    }
    FreeAnimationTables(&t);
    return 0;
}

// Values the check script knows: negative, wide and editor-only fields.
int MakeObjectFile(const char* path)
{
    SequenceRecord sequence{7, 0x13, 256, "hop.bmx"};
    ObjectRecord object{};
    object.sequenceIndex = 2;
    strcpy(object.name, "Hopper");
    object.objectFlags = 0x41;
    object.editorBytes[1] = 0xAB;
    object.stepCount = 3;
    object.startX = -300;
    object.startY = 70000;
    object.repeatCount = -1;
    object.editorField3 = 0x12345678;
    ObjectStep steps[3] = {};
    for (int i = 0; i < 3; ++i) {
        steps[i].frameIndex = static_cast<uint8_t>(i + 4);
        steps[i].x = -1000 * i;
        steps[i].y = 40000 + i;
        steps[i].startMaskHigh = 0x8001;
        steps[i].editorBytes[2] = static_cast<uint8_t>(0xC0 + i);
        steps[i].jumpTarget = -i;
        steps[i].startMaskLow = 0xFFFE;
    }
    return WriteAnoFile(path, sequence, object, steps, 3) == RESULT_OK ? 0 : 1;
}

int MakePatternFile(const char* path)
{
    HBITMAP patterns[MUS_PATTERN_COUNT];
    for (int i = 0; i < MUS_PATTERN_COUNT; ++i) {
        WORD rows[8];
        for (int y = 0; y < 8; ++y) rows[y] = static_cast<WORD>(i * 16 + y);
        patterns[i] = CreateBitmap(8, 8, 1, 1, rows);
    }
    const int result = WritePatternFileTo(path, patterns);
    for (HBITMAP b : patterns) DeleteObject(b);
    return result == RESULT_OK ? 0 : 1;
}

// Everything after the file header is the packed DIB the clipboard takes.
int ClipBitmap(const char* path)
{
    const std::vector<uint8_t> bytes = ReadWholeFile(path);
    const size_t skip = sizeof(BITMAPFILEHEADER);
    if (bytes.size() <= skip + sizeof(BITMAPINFOHEADER) || bytes[0] != 'B' || bytes[1] != 'M') return 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size() - skip);
    if (!block) return 1;
    memcpy(GlobalLock(block), bytes.data() + skip, bytes.size() - skip);
    GlobalUnlock(block);
    if (!OpenClipboard(nullptr)) {
        GlobalFree(block);
        return 1;
    }
    EmptyClipboard();
    const bool placed = SetClipboardData(CF_DIB, block) != nullptr;
    CloseClipboard();
    if (!placed) GlobalFree(block);
    return placed ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && strcmp(argv[1], "check-anx") == 0) return CheckArchive(argv[2]);
    if (argc == 5 && strcmp(argv[1], "make-bmx") == 0) return MakeBmx(argv[2], atoi(argv[3]), strtoul(argv[4], nullptr, 0));
    if (argc == 4 && strcmp(argv[1], "dump-frames") == 0) return DumpFrames(argv[2], argv[3]);
    if (argc == 3 && strcmp(argv[1], "make-ans") == 0) {
        char folder[MAX_PATH];
        if (!GetFullPathNameA(argv[2], MAX_PATH, folder, nullptr)) return 2;
        AnxArchive::AppendSlash(folder);
        return MakeAnimation(folder);
    }
    if (argc == 3 && strcmp(argv[1], "dump-steps") == 0) return DumpSteps(argv[2]);
    if (argc == 3 && strcmp(argv[1], "make-ano") == 0) return MakeObjectFile(argv[2]);
    if (argc == 3 && strcmp(argv[1], "make-mus") == 0) return MakePatternFile(argv[2]);
    if (argc == 3 && strcmp(argv[1], "clip-bmp") == 0) return ClipBitmap(argv[2]);
    fprintf(stderr, "usage: DocTool check-anx ARCHIVE | make-bmx FILE BITS SETTING | dump-frames FILE PREFIX | make-ans FOLDER | dump-steps FILE | make-ano FILE | make-mus FILE | clip-bmp FILE\n");
    return 2;
}
