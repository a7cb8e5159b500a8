// Test helpers for the image library: the real ZelvoConv32.dll from the test
// program's folder with its exports bound by name as the editor binds them,
// a host that records every request, and small files of known first bytes.
#pragma once
#include "ConvInterface.h"
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

struct ConvExports {
    HMODULE module = nullptr;
    GetFormatsProc GetFormats = nullptr;
    DetectFileFormatProc DetectFileFormat = nullptr;
    LoadConvImageProc LoadConvImage = nullptr;
    GetDesiredBitPixProc GetDesiredBitPix = nullptr;
    SaveConvImageProc SaveConvImage = nullptr;
    NewConvFileProc NewConvFile = nullptr;
    ProcessCommandProc ProcessCommand = nullptr;
    NotifyFrameChangeProc NotifyFrameChange = nullptr;
    GetPreviewImageProc GetPreviewImage = nullptr;
    bool complete = false;  // loaded with every export
};

// The library, loaded once per test program and kept.
const ConvExports& Conv();

// Every request the library made, for the length of one test.
struct RecordedRequest {
    UINT request;
    ULONG_PTR n;
};
class RecordingHost {
public:
    RecordingHost();
    ~RecordingHost();
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;
    static ULONG_PTR WINAPI Proc(UINT request, void* p, ULONG_PTR n);
    const std::vector<RecordedRequest>& Requests() const { return requests_; }
private:
    std::vector<RecordedRequest> requests_;
};

// The windows of this thread whose caption is `caption`, shown or not.
int CountThreadWindows(const char* caption);
