// The image library as the tests load it, and the recording host.
#include "ConvTestSupport.h"
#include <gtest/gtest.h>

namespace {

RecordingHost* g_recorder = nullptr;

template <typename Proc>
bool Bind(HMODULE module, const char* name, Proc* out)
{
    *out = reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return *out != nullptr;
}

ConvExports LoadExports()
{
    ConvExports c;
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    strcpy(strrchr(path, '\\') + 1, "ZelvoConv32.dll");
    c.module = LoadLibraryA(path);
    if (!c.module) return c;
    c.complete = Bind(c.module, "GetFormats", &c.GetFormats) & Bind(c.module, "DetectFileFormat", &c.DetectFileFormat) &
                 Bind(c.module, "LoadConvImage", &c.LoadConvImage) &
                 Bind(c.module, "GetDesiredBitPix", &c.GetDesiredBitPix) &
                 Bind(c.module, "SaveConvImage", &c.SaveConvImage) & Bind(c.module, "NewConvFile", &c.NewConvFile) &
                 Bind(c.module, "ProcessCommand", &c.ProcessCommand) &
                 Bind(c.module, "NotifyFrameChange", &c.NotifyFrameChange) &
                 Bind(c.module, "GetPreviewImage", &c.GetPreviewImage);
    return c;
}

struct CaptionCount {
    const char* caption;
    int count;
};

BOOL CALLBACK CountCaption(HWND window, LPARAM lParam)
{
    auto* count = reinterpret_cast<CaptionCount*>(lParam);
    char text[100] = "";
    GetWindowTextA(window, text, sizeof text);
    if (strcmp(text, count->caption) == 0) ++count->count;
    return TRUE;
}

}  // namespace

const ConvExports& Conv()
{
    static const ConvExports exports = LoadExports();
    return exports;
}

RecordingHost::RecordingHost() { g_recorder = this; }
RecordingHost::~RecordingHost() { g_recorder = nullptr; }

ULONG_PTR WINAPI RecordingHost::Proc(UINT request, void*, ULONG_PTR n)
{
    if (g_recorder) g_recorder->requests_.push_back({request, n});
    return 0;
}

int CountThreadWindows(const char* caption)
{
    CaptionCount count{caption, 0};
    EnumThreadWindows(GetCurrentThreadId(), CountCaption, reinterpret_cast<LPARAM>(&count));
    return count.count;
}
