#include "TestFiles.h"
#include "PackedDib.h"
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

ScratchDir::ScratchDir()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static unsigned counter = 0;
    for (;;) {
        char name[MAX_PATH];
        snprintf(name, sizeof name, "%szt%lu-%u-%lu\\", temp, GetCurrentProcessId(), ++counter, GetTickCount());
        if (CreateDirectoryA(name, nullptr)) {
            path_ = name;
            break;
        }
    }
}

ScratchDir::~ScratchDir() { RemoveTree(path_); }

namespace {

// What the worker of FinishesWithin shares with its caller; owned by both, so
// that a worker left hanging never touches freed memory.
struct TimedWork {
    std::function<void()> work;
    HANDLE started = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ~TimedWork() { CloseHandle(started); }
};

DWORD WINAPI RunTimedWork(void* parameter)
{
    std::unique_ptr<std::shared_ptr<TimedWork>> shared(static_cast<std::shared_ptr<TimedWork>*>(parameter));
    SetEvent((*shared)->started);
    (*shared)->work();
    return 0;
}

}  // namespace

bool FinishesWithin(DWORD milliseconds, std::function<void()> work)
{
    auto shared = std::make_shared<TimedWork>();
    shared->work = std::move(work);
    auto* parameter = new std::shared_ptr<TimedWork>(shared);
    HANDLE thread = CreateThread(nullptr, 0, RunTimedWork, parameter, 0, nullptr);
    if (!thread) {
        delete parameter;
        return false;
    }
    // The clock starts when the work does: a busy machine may be slow to
    // schedule the thread, which says nothing about the work.
    WaitForSingleObject(shared->started, INFINITE);
    const bool finished = WaitForSingleObject(thread, milliseconds) == WAIT_OBJECT_0;
    CloseHandle(thread);
    return finished;
}

void RemoveTree(const std::string& folder)
{
    std::string base = folder;
    if (!base.empty() && base.back() != '\\') base += '\\';
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((base + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(base + name);
            else
                DeleteFileA((base + name).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(base.c_str());
}

std::vector<uint8_t> ReadWholeFile(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(f);
    return bytes;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

HGLOBAL MakePatternDib(int width, int height, int bitsPerPixel, FramePattern pattern, uint32_t seed)
{
    RGBQUAD colors[256];
    const int entries = bitsPerPixel <= 8 ? 1 << bitsPerPixel : 0;
    for (int i = 0; i < entries; ++i)
        colors[i] = {static_cast<BYTE>(i * 7), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 3 + 1), 0};
    HGLOBAL dib = CreatePackedDib(width, height, bitsPerPixel, colors, entries);
    if (!dib) return nullptr;
    GlobalLockGuard<BYTE> p(dib);
    BYTE* bits = DibBits(p.get());
    const uint32_t stride = DibStride(width, bitsPerPixel);
    const uint32_t rowBytes = DibRowBytes(width, bitsPerPixel);
    TestRandom random(seed);
    for (int y = 0; y < height; ++y) {
        BYTE* row = bits + y * stride;
        for (uint32_t x = 0; x < rowBytes; ++x) {
            switch (pattern) {
            case FramePattern::Stripes: row[x] = static_cast<BYTE>(((x / 5) + y / 3 + seed) % 7 * 0x25); break;
            case FramePattern::Noise: row[x] = static_cast<BYTE>(random.Next() >> 7); break;
            case FramePattern::Flat: row[x] = static_cast<BYTE>(seed * 0x11); break;
            case FramePattern::Gradient: row[x] = static_cast<BYTE>(x + y * 3 + seed); break;
            }
        }
        // Bits beyond the last pixel of a row are not part of the picture: keep them 0.
        const int usedBits = width * bitsPerPixel % 8;
        if (usedBits) row[rowBytes - 1] &= static_cast<BYTE>(0xFF << (8 - usedBits));
    }
    return dib;
}

std::vector<uint8_t> DibRows(HGLOBAL dib)
{
    GlobalLockGuard<BYTE> p(dib);
    const BITMAPINFOHEADER* h = DibHeader(p.get());
    const uint32_t bytes = DibStride(h->biWidth, h->biBitCount) * h->biHeight;
    const BYTE* bits = DibBits(p.get());
    return std::vector<uint8_t>(bits, bits + bytes);
}

HGLOBAL MakePhotoLikeDib(int width, int height, uint32_t seed)
{
    HGLOBAL dib = CreateImageDib(width, height, 24, nullptr, 0);
    if (!dib) return nullptr;
    GlobalLockGuard<BYTE> p(dib);
    BYTE* bits = DibBits(p.get());
    const uint32_t stride = DibStride(width, 24);
    uint32_t state = seed ? seed : 1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double u = double(x) / width, v = double(y) / height;
            // sky, a sun, hills and foliage
            double r = 90 + 110 * v, g = 140 + 80 * v, b = 200 + 50 * v;
            const double sun = std::exp(-((u - 0.7) * (u - 0.7) + (v - 0.75) * (v - 0.75)) * 60);
            r += 150 * sun;
            g += 120 * sun;
            b -= 60 * sun;
            const double hill = 0.35 + 0.12 * std::sin(u * 9.0) + 0.05 * std::sin(u * 23.0 + 1.0);
            if (v < hill) {
                const double shade = 0.6 + 0.4 * std::sin(u * 40.0 + v * 25.0) * std::cos(v * 30.0);
                r = 60 + 70 * shade + 40 * v;
                g = 90 + 90 * shade;
                b = 30 + 30 * shade;
            }
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const double grain = int(state % 13) - 6;
            BYTE* px = bits + y * stride + 3 * x;
            auto clamp = [](double c) { return static_cast<BYTE>(c < 0 ? 0 : c > 255 ? 255 : c); };
            px[0] = clamp(b + grain);
            px[1] = clamp(g + grain);
            px[2] = clamp(r + grain);
        }
    return dib;
}

bool WriteDibAsBmp(const std::string& path, HGLOBAL dib)
{
    GlobalLockGuard<BYTE> p(dib);
    if (!p) return false;
    const SIZE_T size = GlobalSize(dib);
    const BYTE* bits = DibBits(p.get());
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + size), 0, 0,
                          static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + (bits - p.get()))};
    std::vector<uint8_t> bytes;
    AppendBytes(bytes, file);
    bytes.insert(bytes.end(), p.get(), p.get() + size);
    return WriteWholeFile(path, bytes);
}
