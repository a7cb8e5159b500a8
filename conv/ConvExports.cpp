// The library's entry points: DllMain and the ten exports the editor binds by
// name, each dispatching through the format table.
#include "ConvFormats.h"
#include "ConvLibrary.h"
#include "ConvResource.h"
#include "ReelStrip.h"
#include <type_traits>

extern "C" {
BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved);
int WINAPI GetFormats(char* filters, BYTE* codes, int flags);
int WINAPI DetectFileFormat(const char* path, BYTE* code, int byContent);
int WINAPI LoadConvImage(HWND owner, const char* path, ConvImage* image, BYTE* code, int frameCount,
                         ConvHostProc host);
int WINAPI GetDesiredBitPix(short code, WORD bitsPerPixel);
int WINAPI SaveConvImage(HWND owner, const char* path, HGLOBAL dib, BYTE code, int frameCount, ConvHostProc host);
int WINAPI NewConvFile(HWND owner, char* path, BYTE code, int reserved, ConvHostProc host);
int WINAPI ProcessCommand(HWND owner, int commandId, BYTE code, HGLOBAL settings, int frameCount,
                          ConvHostProc host);
int WINAPI NotifyFrameChange(BYTE code, HGLOBAL settings, int kind, int index, ConvHostProc host);
int WINAPI GetPreviewImage(const char* path, ConvImage* image);
}

// The editor binds these through the types of ConvInterface.h.
static_assert(std::is_same_v<decltype(&GetFormats), GetFormatsProc>);
static_assert(std::is_same_v<decltype(&DetectFileFormat), DetectFileFormatProc>);
static_assert(std::is_same_v<decltype(&LoadConvImage), LoadConvImageProc>);
static_assert(std::is_same_v<decltype(&GetDesiredBitPix), GetDesiredBitPixProc>);
static_assert(std::is_same_v<decltype(&SaveConvImage), SaveConvImageProc>);
static_assert(std::is_same_v<decltype(&NewConvFile), NewConvFileProc>);
static_assert(std::is_same_v<decltype(&ProcessCommand), ProcessCommandProc>);
static_assert(std::is_same_v<decltype(&NotifyFrameChange), NotifyFrameChangeProc>);
static_assert(std::is_same_v<decltype(&GetPreviewImage), GetPreviewImageProc>);

namespace {

// The lowest and highest codes the library answers GetDesiredBitPix for.
constexpr int FIRST_FORMAT_CODE = CONV_FORMAT_PCX;
constexpr int LAST_FORMAT_CODE = CONV_FORMAT_GIF_ANIM;

// The owner of a save is disabled while the progress dialog shows. It is
// enabled again on every way out, also when no dialog could be opened.
class SaveProgress {
public:
    explicit SaveProgress(HWND owner) : owner_(owner)
    {
        if (!owner_) return;
        EnableWindow(owner_, FALSE);
        dialog_ = CreateConvProgress(owner_, ConvModule(), IDD_CONVERTING);
    }
    ~SaveProgress()
    {
        if (dialog_) DestroyConvProgress(dialog_);
        if (owner_) EnableWindow(owner_, TRUE);
    }
    SaveProgress(const SaveProgress&) = delete;
    SaveProgress& operator=(const SaveProgress&) = delete;
    HWND Dialog() const { return dialog_; }
private:
    HWND owner_;
    HWND dialog_ = nullptr;
};

}  // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        SetConvModule(module);
        RegisterReelStripClass(module);
    } else if (reason == DLL_PROCESS_DETACH) {
        UnregisterReelStripClass(module);
        SetConvModule(nullptr);
    }
    return TRUE;  // the library never refuses to load
}

int WINAPI GetFormats(char* filters, BYTE* codes, int flags)
{
    if (!filters || !codes) return 0;
    return BuildFormatList(filters, codes, flags);
}

int WINAPI DetectFileFormat(const char* path, BYTE* code, int byContent)
{
    BYTE found = 0;
    const int result = byContent ? DetectFormatByContent(path, &found) : DetectFormatByName(path, &found);
    if (code) *code = found;
    return result;
}

int WINAPI LoadConvImage(HWND owner, const char* path, ConvImage* image, BYTE* code, int frameCount,
                         ConvHostProc host)
{
    if (image) image->dib = nullptr;
    BYTE found = 0;
    const int detected = DetectFormatByContent(path, &found);
    if (detected != CONV_OK) return detected;
    // Without an image record the frames can only go to the host one by one.
    if (!image && !IsConvSequenceFormat(found)) return CONV_ERR_UNKNOWN_FORMAT;
    const ConvFormatRow* row = FindConvFormat(found);
    if (!row || !row->load) return CONV_ERR_UNSUPPORTED;
    ConvHostScope active(host);
    const int result = row->load({owner, path, image, frameCount, host});
    if (code) *code = image ? row->reportedWithImage : row->reportedAsSequence;
    return result;
}

int WINAPI GetDesiredBitPix(short code, WORD bitsPerPixel)
{
    const int format = code & 0xFF;  // only the low byte names the format
    const ConvFormatRow* row = format >= FIRST_FORMAT_CODE && format <= LAST_FORMAT_CODE ? FindConvFormat(format)
                                                                                      : nullptr;
    return row ? DesiredBitsFor(*row, bitsPerPixel) : bitsPerPixel;
}

int WINAPI SaveConvImage(HWND owner, const char* path, HGLOBAL dib, BYTE code, int frameCount, ConvHostProc host)
{
    SaveProgress progress(owner);
    const ConvFormatRow* row = FindConvFormat(code);
    if (!row || !row->save) return CONV_ERR_UNSUPPORTED;
    ConvHostScope active(host);
    return row->save({owner, path, dib, frameCount, host, progress.Dialog()});
}

int WINAPI NewConvFile(HWND owner, char* path, BYTE code, int, ConvHostProc host)
{
    const ConvFormatRow* row = FindConvFormat(code);
    if (!row || !row->newFile) return CONV_CANCELLED;
    ConvHostScope active(host);
    return row->newFile(owner, path, host);
}

int WINAPI ProcessCommand(HWND owner, int commandId, BYTE code, HGLOBAL settings, int frameCount, ConvHostProc host)
{
    const ConvFormatRow* row = FindConvFormat(code);
    if (!row || !row->command) return 0;
    ConvHostScope active(host);
    return row->command(owner, commandId, settings, frameCount, host);
}

int WINAPI NotifyFrameChange(BYTE code, HGLOBAL settings, int kind, int index, ConvHostProc host)
{
    const ConvFormatRow* row = FindConvFormat(code);
    if (!row || !row->notifyFrameChange) return 0;
    ConvHostScope active(host);
    return row->notifyFrameChange(settings, kind, index, host);
}

int WINAPI GetPreviewImage(const char* path, ConvImage* image)
{
    if (!image) return CONV_ERR_UNSUPPORTED;
    image->dib = nullptr;
    image->bitsOffset = 0;
    BYTE found = 0;
    const int detected = DetectFormatByContent(path, &found);
    if (detected != CONV_OK) return detected;
    const ConvFormatRow* row = FindConvFormat(found);
    if (!row) return CONV_ERR_UNKNOWN_FORMAT;
    if (!row->preview) return CONV_ERR_UNSUPPORTED;
    return row->preview(path, image);
}
