// Prints the throughput of the frame-sequence writer and reader and the time
// to pack and unpack an archive.
//   DocumentBench FOLDER   (leaves bench.bmx, big*.bmx, big.ans and big.anx there)
#include "AnimationTables.h"
#include "AnxArchive.h"
#include "BmxFile.h"
#include "PackedDib.h"
#include "ResultCodes.h"
#include "TestFiles.h"
#include <chrono>
#include <cstdio>
#include <string>

namespace {

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// A frame that looks like animation content: flat areas with a moving figure
// and some texture, so the codes have realistic work to do.
HGLOBAL MakeFrame(int frame)
{
    HGLOBAL dib = MakePatternDib(256, 256, 8, FramePattern::Flat, 1);
    GlobalLockGuard<BYTE> p(dib);
    BYTE* bits = DibBits(p.get());
    TestRandom random(frame + 1);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const int dx = x - (frame * 3) % 256, dy = y - 128;
            if (dx * dx + dy * dy < 40 * 40) bits[y * 256 + x] = static_cast<BYTE>(40 + (x + y) / 16);
            else if (y < 40) bits[y * 256 + x] = static_cast<BYTE>(random.Next() & 3);
        }
    return dib;
}

void SequenceThroughput(const std::string& folder)
{
    FrameSequence sequence;
    sequence.format.width = sequence.format.height = 256;
    sequence.format.bitsPerPixel = 8;
    sequence.format.colorTableEntries = 256;
    for (int i = 0; i < 255; ++i) sequence.frames.push_back({MakeFrame(i), "frame.bmp", 0, 0});
    const double megabytes = 255.0 * 256 * 256 / (1024 * 1024);
    const std::string path = folder + "bench.bmx";
    for (uint32_t setting : {0x000u, 0x222u, 0x333u}) {
        auto start = std::chrono::steady_clock::now();
        if (SaveFrameSequenceFile(path.c_str(), sequence, setting) != RESULT_OK) return;
        const double write = Seconds(start);
        FrameSequence loaded;
        start = std::chrono::steady_clock::now();
        if (LoadFrameSequenceFile(path.c_str(), &loaded) != RESULT_OK) return;
        const double read = Seconds(start);
        const double fileMb = ReadWholeFile(path).size() / (1024.0 * 1024);
        printf("sequence 255 x 256x256x8, setting 0x%03X: file %.2f MB, write %.1f ms (%.0f MB/s), read %.1f ms (%.0f MB/s)\n",
               setting, fileMb, write * 1000, megabytes / write, read * 1000, megabytes / read);
    }
}

void ArchiveTimes(const std::string& folder)
{
    // About 20 MB of raw frame sequences named by one animation.
    AnimationTables t{};
    SetDefaultAnimationSettings(&t.animationSettings);
    t.sequenceCount = 12;
    for (int s = 0; s < 12; ++s) {
        FrameSequence sequence;
        sequence.format.width = sequence.format.height = 256;
        sequence.format.bitsPerPixel = 8;
        sequence.format.colorTableEntries = 256;
        for (int i = 0; i < 25; ++i) sequence.frames.push_back({MakeFrame(i + s * 25), "f.bmp", 0, 0});
        char name[32];
        snprintf(name, sizeof name, "big%d.bmx", s);
        SaveFrameSequenceFile((folder + name).c_str(), sequence, 0);
        lstrcpynA(t.sequenceTable[s].fileName, name, 64);
    }
    WriteAnimationFile((folder + "big.ans").c_str(), &t);
    const std::string archive = folder + "big.anx";
    DeleteFileA(archive.c_str());
    auto start = std::chrono::steady_clock::now();
    AnxArchive packer(archive.c_str());
    const int packed = packer.Pack((folder + "big.ans").c_str());
    const double pack = Seconds(start);
    start = std::chrono::steady_clock::now();
    AnxArchive unpacker(archive.c_str());
    char found[MAX_PATH];
    const int unpacked = unpacker.Unpack(nullptr) && unpacker.FindAnimation(found, MAX_PATH);
    const double unpack = Seconds(start);
    double total = 0;
    for (int s = 0; s < 12; ++s) {
        char name[32];
        snprintf(name, sizeof name, "big%d.bmx", s);
        total += ReadWholeFile(folder + name).size();
    }
    printf("archive of %.1f MB (12 sequences): pack %.0f ms, unpack %.0f ms%s\n", total / (1024 * 1024),
           pack * 1000, unpack * 1000, packed && unpacked ? "" : " (FAILED)");
    if (unpacked) AnxArchive(nullptr).RemoveUnpacked(found);
}

}  // namespace

int main(int argc, char** argv)
{
    char folder[MAX_PATH];
    GetFullPathNameA(argc > 1 ? argv[1] : ".", MAX_PATH, folder, nullptr);
    AnxArchive::AppendSlash(folder);
    SequenceThroughput(folder);
    ArchiveTimes(folder);
    return 0;
}
