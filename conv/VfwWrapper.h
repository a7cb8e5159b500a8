// The Video-for-Windows wrapper ZelvoVfw32 as the image library uses it:
// loaded from the library's own folder for one AVI operation and freed at
// its end, each export looked up by name at the moment of use. A missing
// export makes its call fail.
#pragma once
#include "ZelvoVfw32.h"
#include <windows.h>

constexpr char VFW_WRAPPER_FILE[] = "ZELVOVFW32.DLL";

class VfwWrapper {
public:
    VfwWrapper() = default;
    ~VfwWrapper();
    VfwWrapper(const VfwWrapper&) = delete;
    VfwWrapper& operator=(const VfwWrapper&) = delete;
    // Loads the wrapper with the system's file error boxes off. On failure,
    // with an owner, the box of strings 203 and 200.
    bool Load(HWND owner);
    bool Loaded() const { return module_ != nullptr; }

    HAVIFILE Open(const char* path) const;
    BOOL Close(HAVIFILE avi) const;
    BOOL Info(HAVIFILE avi, AviInfo* info) const;
    LPBITMAPINFOHEADER Frame(HAVIFILE avi, LONG frame) const;
    bool HasDrawFrame() const;
    BOOL DrawFrame(HAVIFILE avi, LONG frame, HDC dc, int x, int y, int width, int height) const;
    HAVIFILE Create(const char* path, const VideoParameters* parameters, const BITMAPINFOHEADER* format) const;
    BOOL CompressOptions(HAVIFILE avi, HWND parent) const;
    BOOL InitStream(HAVIFILE avi, const BITMAPINFOHEADER* format, LONG formatSize, BOOL compress) const;
    BOOL WriteFrame(HAVIFILE avi, const AviFrameWrite* frames) const;
    BOOL MergeSound(HAVIFILE avi, const char* soundPath, LONG videoFrames, int framesPerSec) const;

private:
    template <typename Proc>
    Proc Bind(const char* name) const
    {
        return module_ ? reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module_, name))) : nullptr;
    }
    HMODULE module_ = nullptr;
};

// The bytes of a packed DIB's header and colour table, and of its rows
// (stride x height); false when the header is not a frame the library can
// copy.
bool AviDibSizes(const BITMAPINFOHEADER* header, uint32_t* headerBytes, uint32_t* rowBytes);
// A movable bottom-up copy of a wrapper-owned frame; null when it is
// unusable or no memory is left.
HGLOBAL CopyAviFrame(const BITMAPINFOHEADER* frame, uint32_t* bitsOffset);
