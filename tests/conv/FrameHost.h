// A stand-in for the editor behind ConvHostProc, for the GIF tests, the
// interop tool and the benchmark: it keeps frames as packed DIBs of one
// depth, a settings block and two palettes, answers the library's requests
// as the editor would, and records every request with its arguments.
#pragma once
#include "ConvInterface.h"
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

class FrameHost {
public:
    struct Request {
        UINT request;
        ULONG_PTR n;
        uint32_t noAsk;     // CONV_REQ_SET_TRANSPARENT_COLOR
        BYTE bgr[3];        // CONV_REQ_SET_TRANSPARENT_COLOR
        ConvMenuRequest menu;  // CONV_REQ_MENU_ITEM (text copied into `text`)
        std::string text;   // menu text or frame name
    };

    FrameHost();  // the one host Proc answers for while it lives
    ~FrameHost();
    FrameHost(const FrameHost&) = delete;
    FrameHost& operator=(const FrameHost&) = delete;
    static ULONG_PTR WINAPI Proc(UINT request, void* p, ULONG_PTR n);

    // ---- the document ----
    void AddFrame(HGLOBAL dib);     // keeps a copy
    int FrameCount() const { return static_cast<int>(frames_.size()); }
    HGLOBAL Frame(int index) const { return frames_[index]; }
    void ClearFrames();
    int colorCount = 256;           // CONV_QUERY_COLOR_COUNT
    bool hasTransparent = false;    // CONV_QUERY_TRANSPARENT_COLOR
    COLORREF transparent = 0;
    int refuseAddFrom = -1;         // CONV_REQ_ADD_FRAME refuses once this many frames are held
    int refuseBitsFrom = -1;        // CONV_REQ_GET_FRAME_BITS refuses frames from this index on
    INT_PTR chooseColorAnswer = -1;
    ULONG_PTR chooseTransparentAnswer = 0;
    HPALETTE documentPalette = nullptr;  // both made from a grey ramp unless a test sets them
    HPALETTE displayPalette = nullptr;

    // The settings block the "editor" holds (owned).
    HGLOBAL Settings() const { return settings_; }
    void SetSettings(HGLOBAL block);

    // ---- what was asked ----
    const std::vector<Request>& Requests() const { return requests_; }
    std::vector<UINT> RequestCodes() const;
    int Count(UINT request) const;
    void ClearRequests() { requests_.clear(); }

private:
    ULONG_PTR Answer(UINT request, void* p, ULONG_PTR n, Request* record);
    ULONG_PTR FrameBits(BITMAPINFOHEADER* header, int index);
    ULONG_PTR FrameBitmap(HBITMAP* out, int index);
    std::vector<HGLOBAL> frames_;
    std::vector<HBITMAP> bitmaps_;  // made for CONV_REQ_GET_FRAME_BITMAP
    HGLOBAL settings_ = nullptr;
    HDC memoryDc_ = nullptr;
    std::vector<Request> requests_;
};

// A packed DIB of the given depth with `pixels` (one value per pixel, rows
// top-down) and a colour table of `colors` (RGB values).
HGLOBAL MakeIndexedDib(int width, int height, int bits, const std::vector<uint8_t>& pixels,
                       const std::vector<COLORREF>& colors);
// The pixels of a packed DIB of 1, 4 or 8 bits, one value each, rows top-down.
std::vector<uint8_t> DibIndexes(HGLOBAL dib);
// The colour table of a packed DIB as RGB values.
std::vector<COLORREF> DibTable(HGLOBAL dib);
