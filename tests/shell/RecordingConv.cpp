// The stand-in image library of the bridge tests (RecordingConv.h).
#include "RecordingConv.h"
#include <cstring>

namespace {

RecordedConvCall g_call{};
int g_answer = CONV_OK;

void Record(const char* name)
{
    lstrcpynA(g_call.name, name, sizeof g_call.name);
    ++g_call.calls;
}

void RecordPath(const char* path) { lstrcpynA(g_call.path, path ? path : "", sizeof g_call.path); }

bool EndsWith(const char* path, const char* ending)
{
    const size_t length = strlen(path), suffix = strlen(ending);
    return length >= suffix && lstrcmpiA(path + length - suffix, ending) == 0;
}

bool IsSequencePath(const char* path) { return EndsWith(path, RECORDING_SEQUENCE_SUFFIX); }

// An 8 x 8 image of 24 bits in one colour.
HGLOBAL MakeImage(BYTE blue, BYTE green, BYTE red)
{
    const int stride = 24;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(BITMAPINFOHEADER) + stride * 8);
    auto* h = static_cast<BITMAPINFOHEADER*>(GlobalLock(block));
    *h = {sizeof *h, 8, 8, 1, 24, BI_RGB, stride * 8, 0, 0, 0, 0};
    BYTE* p = reinterpret_cast<BYTE*>(h + 1);
    for (int i = 0; i < 64; ++i) {
        p[(i / 8) * stride + (i % 8) * 3] = blue;
        p[(i / 8) * stride + (i % 8) * 3 + 1] = green;
        p[(i / 8) * stride + (i % 8) * 3 + 2] = red;
    }
    GlobalUnlock(block);
    return block;
}

}  // namespace

extern "C" {

RecordedConvCall* WINAPI LastConvCall() { return &g_call; }
void WINAPI SetConvAnswer(int answer) { g_answer = answer; }

int WINAPI GetFormats(char* filters, BYTE* codes, int flags)
{
    Record("GetFormats");
    g_call.flags = flags;
    static const char list[] = "Recorded A(*.RA)\0*.RA\0Recorded B(*.RB;*.RBB)\0*.RB;*.RBB\0";
    memcpy(filters, list, sizeof list);  // its own closing NUL ends the list
    codes[0] = 150;
    codes[1] = 151;
    return 2;
}

int WINAPI DetectFileFormat(const char* path, BYTE* code, int byContent)
{
    Record("DetectFileFormat");
    RecordPath(path);
    g_call.flags = byContent;
    *code = IsSequencePath(path) ? RECORDING_SEQUENCE_CODE : RECORDING_STILL_CODE;
    return g_answer >= 0 ? 1 : -2;
}

int WINAPI LoadConvImage(HWND owner, const char* path, ConvImage* image, BYTE* code, int frameCount,
                         ConvHostProc host)
{
    Record("LoadConvImage");
    g_call.owner = owner;
    RecordPath(path);
    g_call.frameCount = frameCount;
    g_call.host = host;
    g_call.hadImage = image != nullptr;
    if (g_answer <= 0) return g_answer;
    if (image) {
        image->dib = MakeImage(0, 0, 255);
        *code = RECORDING_STILL_CODE;
        if (EndsWith(path, RECORDING_PROGRAM_SUFFIX)) {
            // As a bitmap chosen from a program's resources: named after it, not to be saved back.
            lstrcpynA(const_cast<char*>(path), RECORDING_RESOURCE_NAME, MAX_PATH);
            *code = 0;
        }
        return g_answer;
    }
    // A sequence: two frames through the editor, the second following the first's decisions.
    for (int i = 0; i < 2; ++i) {
        HGLOBAL frame = MakeImage(static_cast<BYTE>(i * 255), 0, 0);
        host(CONV_REQ_ADD_FRAME, frame, CONV_ADD_USE_COLOR_OPTION | (i << 8));
        GlobalFree(frame);
    }
    *code = RECORDING_SEQUENCE_CODE;
    return g_answer;
}

int WINAPI SaveConvImage(HWND owner, const char* path, HGLOBAL dib, BYTE code, int frameCount, ConvHostProc host)
{
    Record("SaveConvImage");
    g_call.owner = owner;
    RecordPath(path);
    g_call.dib = dib;
    g_call.code = code;
    g_call.frameCount = frameCount;
    g_call.host = host;
    if (dib) {
        const auto* h = static_cast<const BITMAPINFOHEADER*>(GlobalLock(dib));
        g_call.kind = h->biBitCount;  // the depth it was handed
        GlobalUnlock(dib);
    }
    return g_answer;
}

int WINAPI NewConvFile(HWND owner, char* path, BYTE code, int reserved, ConvHostProc host)
{
    Record("NewConvFile");
    g_call.owner = owner;
    RecordPath(path);
    g_call.code = code;
    g_call.flags = reserved;
    g_call.host = host;
    return g_answer;
}

int WINAPI ProcessCommand(HWND owner, int commandId, BYTE code, HGLOBAL settings, int frameCount, ConvHostProc host)
{
    Record("ProcessCommand");
    g_call.owner = owner;
    g_call.commandId = commandId;
    g_call.code = code;
    g_call.settings = settings;
    g_call.frameCount = frameCount;
    g_call.host = host;
    ConvMenuRequest item{CONV_MENU_INSERT, static_cast<uint32_t>(-1), RECORDING_MENU_ID, MF_BYPOSITION | MF_STRING,
                         "Recorded"};
    host(CONV_REQ_MENU_ITEM, &item, 0);
    return g_answer;
}

int WINAPI NotifyFrameChange(BYTE code, HGLOBAL settings, int kind, int index, ConvHostProc host)
{
    Record("NotifyFrameChange");
    g_call.code = code;
    g_call.settings = settings;
    g_call.kind = kind;
    g_call.index = index;
    g_call.host = host;
    return g_answer;
}

int WINAPI GetPreviewImage(const char* path, ConvImage* image)
{
    Record("GetPreviewImage");
    RecordPath(path);
    // Also with an answer other than 1 a block comes back: the editor must not keep it.
    image->dib = MakeImage(255, 255, 255);
    image->bitsOffset = sizeof(BITMAPINFOHEADER);
    if (image->message) lstrcpynA(image->message, "No picture here", image->messageSize);
    return g_answer;
}

}  // extern "C"
