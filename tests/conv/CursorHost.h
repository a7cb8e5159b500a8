// A stand-in for the editor behind ConvHostProc for the cursor and AVI
// tests: frames with their transparency masks and hotspots, the settings
// block, the icon images the library asks for, and a record of every
// request with what it carried.
#pragma once
#include "ConvInterface.h"
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

class CursorHost {
public:
    struct Request {
        UINT request;
        ULONG_PTR n;
        uint32_t value = 0;       // SET_HOTSPOT's value, GET_ICON_IMAGE's wanted size
        ConvMenuRequest menu{};   // MENU_ITEM
        std::string text;         // menu text, frame name
        ConvFormatChange change{};
    };
    struct Frame {
        HGLOBAL dib;      // packed DIB of the picture (owned)
        std::vector<uint8_t> mask;  // 1 per transparent pixel, rows top-down; empty: none
        uint32_t hotspot = 0;
        std::string name;
    };

    CursorHost();  // the host Proc answers for while it lives (the one made before comes back after)
    ~CursorHost();
    CursorHost(const CursorHost&) = delete;
    CursorHost& operator=(const CursorHost&) = delete;
    static ULONG_PTR WINAPI Proc(UINT request, void* p, ULONG_PTR n);

    void AddFrame(HGLOBAL dib, uint32_t hotspot = 0);  // keeps a copy
    int FrameCount() const { return static_cast<int>(frames_.size()); }
    const Frame& At(int index) const { return frames_[index]; }
    Frame& At(int index) { return frames_[index]; }
    HGLOBAL Settings() const { return settings_; }
    void SetSettings(HGLOBAL block);
    int colorCount = 16;
    bool refuseAdd = false;
    bool refuseSettings = false;
    ULONG_PTR changeFormatAnswer = 1;
    std::string chooseFileAnswer;  // empty: cancelled
    HPALETTE displayPalette = nullptr;

    const std::vector<Request>& Requests() const { return requests_; }
    std::vector<UINT> RequestCodes() const;
    int Count(UINT request) const;
    void ClearRequests() { requests_.clear(); }

private:
    ULONG_PTR Answer(UINT request, void* p, ULONG_PTR n, Request* record);
    ULONG_PTR AddMasked(HGLOBAL dib, bool masked);
    ULONG_PTR IconImage(uint32_t* io, int frame);
    ULONG_PTR FrameBits(BITMAPINFOHEADER* header, int index);
    ULONG_PTR FrameBitmap(HBITMAP* out, int index);
    std::vector<Frame> frames_;
    std::vector<HBITMAP> bitmaps_;
    HGLOBAL settings_ = nullptr;
    HDC memoryDc_ = nullptr;
    std::vector<Request> requests_;
    CursorHost* previous_;
};

// A packed DIB of 4 or 8 bits with pixel (x, y) = f(x, y), rows top-down,
// and a table of `colors` grey-and-colour entries.
HGLOBAL MakePatternDib(int width, int height, int bits, int (*f)(int x, int y));
// The pixels of a packed DIB of up to 8 bits, rows top-down.
std::vector<uint8_t> PixelsOf(HGLOBAL dib);
