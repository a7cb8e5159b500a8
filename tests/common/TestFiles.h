// Helpers shared by the test programs: scratch folders, whole-file access and
// frames filled with known patterns.
#pragma once
#include <windows.h>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

// A fresh folder in the temporary folder, removed with everything in it.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& Path() const { return path_; }  // ends in a backslash
    std::string File(const std::string& name) const { return path_ + name; }
private:
    std::string path_;
};

// Runs `work` on a thread of its own and says whether it ended within
// `milliseconds` of starting to run (a call that hangs, say in a read from a
// device, fails the test instead of holding it up; its thread is left behind).
bool FinishesWithin(DWORD milliseconds, std::function<void()> work);

// Deletes a folder and everything below it.
void RemoveTree(const std::string& folder);

std::vector<uint8_t> ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
bool FileExists(const std::string& path);

// Appends the bytes of a plain value to a byte vector.
template <typename T>
void AppendBytes(std::vector<uint8_t>& out, const T& value)
{
    const size_t at = out.size();
    out.resize(at + sizeof value);
    memcpy(out.data() + at, &value, sizeof value);
}

// A small deterministic random generator for test data.
class TestRandom {
public:
    explicit TestRandom(uint32_t seed) : state_(seed ? seed : 1) {}
    uint32_t Next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    int Range(int low, int high) { return low + static_cast<int>(Next() % static_cast<uint32_t>(high - low + 1)); }
private:
    uint32_t state_;
};

// The kinds of pixel content a test frame can have.
enum class FramePattern { Stripes, Noise, Flat, Gradient };

// A packed DIB of the given depth filled with a pattern (colour table of
// 2^bits grey-ish entries at 8 bits or fewer).
HGLOBAL MakePatternDib(int width, int height, int bitsPerPixel, FramePattern pattern, uint32_t seed);

// The raw rows of a packed DIB.
std::vector<uint8_t> DibRows(HGLOBAL dib);

// A 24-bit image of smooth shapes, shading and a little grain, like a photo:
// far more than 256 colours, most of them in a few broad families.
HGLOBAL MakePhotoLikeDib(int width, int height, uint32_t seed);

// Writes a packed DIB as a .BMP file.
bool WriteDibAsBmp(const std::string& path, HGLOBAL dib);
