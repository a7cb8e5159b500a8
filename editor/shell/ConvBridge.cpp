// The image library's lifetime in the editor, the wrappers of its exports,
// the mapping of its results and flags, and the document's load and save
// through it.
#include "ConvBridge.h"
#include "AppState.h"
#include "DocumentCommon.h"
#include "DocumentModel.h"
#include "FrameBitmaps.h"
#include "LibraryLoader.h"
#include "PackedDib.h"
#include "ResultCodes.h"
#include <cstdio>
#include <cstring>

namespace {

HMODULE g_convLibrary = nullptr;

// Exports are looked up at every call: nothing of the library is cached.
template <typename Proc>
Proc BindExport(const char* name)
{
    return g_convLibrary ? reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(g_convLibrary, name)))
                         : nullptr;
}

// After any export that was handed the callback: a menu the library changed
// is drawn again.
class ConvCall {
public:
    ConvCall() = default;
    ~ConvCall()
    {
        if (TakeConvMenuChanged() && g_appState.mainWindow) DrawMenuBar(g_appState.mainWindow);
    }
    ConvCall(const ConvCall&) = delete;
    ConvCall& operator=(const ConvCall&) = delete;
};

// The insert flags of a frame from a still library image, as a bitmap frame
// gets them: the saved-palette mode, and the first frame setting the format,
// a later one of the same load following the first one's decisions, any
// other asking before it is stretched.
UINT StillFrameInsertFlags(bool firstFrame, bool keepDecisions)
{
    const UINT mode = static_cast<UINT>(SavedPaletteMode());
    if (firstFrame) return mode | INSERT_FIRST_FRAME;
    return keepDecisions ? INSERT_KEEP_DECISIONS : mode | INSERT_ASK_STRETCH;
}

// A still image of a library file into a bitmap slot. Result code; an image
// the library delivered through the callback (icons) leaves the slot alone.
int LoadStillImage(HWND owner, const char* path, HBITMAP* slot, bool firstFrame, bool keepDecisions, BYTE* format)
{
    char message[80] = "";
    ConvImage image{nullptr, 0, message, sizeof message};
    int result;
    {
        BusyCursor busy;
        result = CallLoadConvImage(owner, path, &image, format, g_appState.frameCount);
    }
    GlobalBlock dib(image.dib);
    if (result != RESULT_OK || !dib) return result;
    return InsertDibIntoBitmap(dib.Get(), slot, StillFrameInsertFlags(firstFrame, keepDecisions), 0, 0);
}

}  // namespace

// ---- the library -----------------------------------------------------------------------

bool LoadConvLibrary(const char* fileName)
{
    if (g_convLibrary) FreeConvLibrary();
    g_convLibrary = LoadLibraryBesideProgram(fileName);
    return g_convLibrary != nullptr;
}

void FreeConvLibrary()
{
    if (g_convLibrary) FreeLibrary(g_convLibrary);
    g_convLibrary = nullptr;
}

bool IsConvLibraryLoaded() { return g_convLibrary != nullptr; }

// ---- results and flags ------------------------------------------------------------------

int MapConvResult(int result)
{
    if (result > 0) return RESULT_OK;
    switch (result) {
    case CONV_CANCELLED: return 0;
    case CONV_ERR_NOT_FOUND: return RESULT_NOT_FOUND;
    case CONV_ERR_UNKNOWN_FORMAT:
    case CONV_ERR_UNSUPPORTED: return RESULT_UNKNOWN_FORMAT;
    case CONV_ERR_READ: return RESULT_READ_ERROR;
    case CONV_ERR_MEMORY: return RESULT_OUT_OF_MEMORY;
    case CONV_ERR_COMPRESSION: return RESULT_COMPRESSION_ERROR;
    case CONV_ERR_CREATE: return RESULT_CREATE_ERROR;
    case CONV_ERR_WRITE: return RESULT_WRITE_ERROR;
    default:
        // An unknown negative value names no message of the editor.
        return RESULT_LIBRARY_ERROR;
    }
}

UINT MapConvInsertFlags(UINT convFlags, bool haveFrames)
{
    const UINT colorMode = (convFlags & CONV_ADD_USE_COLOR_OPTION) ? static_cast<UINT>(SavedPaletteMode()) : 0;
    UINT flags;
    if (haveFrames) {
        // An image index in bits 8-15 marks the second and later images of
        // one file: they follow the decisions made for the first.
        flags = convFlags >= 0x100 ? INSERT_KEEP_DECISIONS
                                   : colorMode | ((convFlags & CONV_ADD_ASK_STRETCH) ? INSERT_ASK_STRETCH : 0);
    } else {
        flags = (convFlags & CONV_ADD_FIXED_COLOR_MODE) ? (INSERT_FIRST_FRAME | 2) : colorMode | INSERT_FIRST_FRAME;
    }
    if (convFlags & CONV_ADD_STRETCH) flags |= INSERT_STRETCH;
    if (convFlags & CONV_ADD_NO_DITHER) flags |= INSERT_NO_DITHER;
    else if (convFlags & CONV_ADD_DITHER) flags |= INSERT_DITHER;
    return flags;
}

bool IsConvDocumentFormat(int format) { return format > CONV_FORMAT_AVI; }

int FrameChangeKind(UINT command)
{
    switch (command) {
    case 400:
    case 401: return CONV_FRAME_COPIED;
    case 402:
    case 403: return CONV_FRAME_INSERTED;
    case 404: return CONV_FRAME_DELETED;
    default: return CONV_FRAME_OTHER;
    }
}

// ---- the export wrappers ---------------------------------------------------------------

int CallGetFormats(char* names, BYTE* ids, int listFlags)
{
    auto proc = BindExport<GetFormatsProc>("GetFormats");
    return proc ? proc(names, ids, listFlags) : 0;
}

int FillConvFormatList(HWND list)
{
    char names[CONV_FORMAT_LIST_BYTES];
    BYTE ids[CONV_MAX_FORMAT_ENTRIES];
    const int count = CallGetFormats(names, ids, CONV_LIST_ANIMATION);
    char kind[16] = "";
    GetClassNameA(list, kind, sizeof kind);
    const bool combo = lstrcmpiA(kind, "ComboBox") == 0;
    const char* entry = names;
    int added = 0;
    for (int i = 0; i < count && i < CONV_MAX_FORMAT_ENTRIES; ++i) {
        const char* pattern = entry + strlen(entry) + 1;
        char line[CONV_FORMAT_ENTRY_BYTES + 1];
        snprintf(line, sizeof line, "%s;%s", entry, pattern);
        const LRESULT at = SendMessageA(list, combo ? CB_ADDSTRING : LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
        if (at >= 0) {
            SendMessageA(list, combo ? CB_SETITEMDATA : LB_SETITEMDATA, at, ids[i]);
            ++added;
        }
        entry = pattern + strlen(pattern) + 1;
    }
    return added;
}

int CallDetectFileFormat(const char* path, BYTE* format, int byContent)
{
    auto proc = BindExport<DetectFileFormatProc>("DetectFileFormat");
    return proc && proc(path, format, byContent) >= 0 ? 1 : 0;
}

int CallLoadConvImage(HWND owner, const char* path, ConvImage* image, BYTE* format, int frameCount)
{
    auto proc = BindExport<LoadConvImageProc>("LoadConvImage");
    if (!proc) return 0;
    ConvCall call;
    return MapConvResult(static_cast<int16_t>(proc(owner, path, image, format, frameCount, HandleConvRequest)));
}

int CallSaveConvImage(HWND owner, const char* path, HGLOBAL dib, BYTE format, int frameCount)
{
    auto proc = BindExport<SaveConvImageProc>("SaveConvImage");
    if (!proc) return 0;
    ConvCall call;
    return MapConvResult(static_cast<int16_t>(proc(owner, path, dib, format, frameCount, HandleConvRequest)));
}

int CallGetDesiredBitPix(int format, int defaultBits)
{
    if (!g_convLibrary) return 0;
    auto proc = BindExport<GetDesiredBitPixProc>("GetDesiredBitPix");
    if (!proc || format == 0) return defaultBits;
    const int bits = proc(static_cast<short>(format), static_cast<WORD>(defaultBits));
    return bits > 0 ? bits : defaultBits;
}

int CallProcessCommand(HWND owner, int commandId)
{
    auto proc = BindExport<ProcessCommandProc>("ProcessCommand");
    if (!proc) return 0;
    ConvCall call;
    return MapConvResult(static_cast<int16_t>(proc(owner, commandId, g_document.conversionFormat,
                                                   g_document.convSettings, g_appState.frameCount,
                                                   HandleConvRequest)));
}

void CallNotifyFrameChange(UINT frameCommand, int index)
{
    auto proc = BindExport<NotifyFrameChangeProc>("NotifyFrameChange");
    if (!proc) return;
    ConvCall call;
    proc(g_document.conversionFormat, g_document.convSettings, FrameChangeKind(frameCommand), index,
         HandleConvRequest);
}

int CallNewConvFile(HWND owner, char* path, BYTE format)
{
    auto proc = BindExport<NewConvFileProc>("NewConvFile");
    if (!proc) return 0;
    ConvCall call;
    return MapConvResult(static_cast<int16_t>(proc(owner, path, format, 0, HandleConvRequest)));
}

int CallGetPreviewImage(const char* path, ConvImage* image)
{
    auto proc = BindExport<GetPreviewImageProc>("GetPreviewImage");
    if (!proc) return 0;
    // What the library hands back counts only with its answer 1.
    ConvImage answer = *image;
    answer.dib = nullptr;
    answer.bitsOffset = 0;
    const int result = static_cast<int16_t>(proc(path, &answer));
    if (result == CONV_OK) {
        image->dib = answer.dib;
        image->bitsOffset = answer.bitsOffset;
    } else if (answer.dib) {
        GlobalFree(answer.dib);
    }
    return result;
}

// ---- the document hooks ----------------------------------------------------------------

int LoadConvFrame(const char* path, HBITMAP* slot, bool firstFrame, UINT insertFlags)
{
    BYTE format = 0;
    char pathBuffer[MAX_PATH];  // the library may write a resource bitmap's name here
    lstrcpynA(pathBuffer, path, sizeof pathBuffer);
    return LoadStillImage(g_appState.mainWindow, pathBuffer, slot, firstFrame, insertFlags != 0, &format);
}

int LoadConvFile(HWND owner, const char* path, BYTE* format)
{
    if (!g_convLibrary) return RESULT_UNKNOWN_FORMAT;
    BYTE detected = 0;
    if (CallDetectFileFormat(path, &detected, 1) && IsConvSequenceFormat(detected)) {
        // The frames arrive one by one through HandleConvRequest.
        BusyCursor busy;
        return CallLoadConvImage(owner, path, nullptr, format, g_appState.frameCount);
    }
    const int frame = g_appState.frameCount;
    if (frame >= MAX_FRAME_BITMAPS) return RESULT_GENERAL_ERROR;
    const int countBefore = frame;
    // A bitmap chosen from a program's resources comes back with its own
    // name in this buffer, and the frame is called after it.
    char frameName[MAX_PATH];
    lstrcpynA(frameName, path, sizeof frameName);
    const int result = LoadStillImage(owner, frameName, &g_appState.frameBitmaps[frame], frame == 0, false, format);
    // Icons came through the callback as frames of their own.
    if (result != RESULT_OK || g_appState.frameCount != countBefore || !g_appState.frameBitmaps[frame]) return result;
    if (frame == 0) NotifyDocument(DOC_FRAME_FORMAT_SET);
    SetFrameFileName(frame, frameName);
    g_document.frameRecords[frame].frameState = 0;
    g_document.frameRecords[frame].attribute = *format;
    SetFrameCount(frame + 1);
    return RESULT_OK;
}

int SaveConvFile(HWND owner, const char* path, int format, int frameIndex)
{
    if (!g_convLibrary) return RESULT_LIBRARY_ERROR;
    if (IsConvSequenceFormat(format)) {
        // The library reads the frames through HandleConvRequest.
        return CallSaveConvImage(owner, path, nullptr, static_cast<BYTE>(format), g_appState.frameCount);
    }
    const int frame = frameIndex < 0 ? g_appState.currentFrame : frameIndex;
    if (frame < 0 || frame >= g_appState.frameCount || !g_appState.frameBitmaps[frame]) return RESULT_WRITE_ERROR;
    const int bits = ColorCountToBits(g_appState.colorCount);
    const int wanted = CallGetDesiredBitPix(format, bits);
    GlobalBlock dib;
    {
        BusyCursor busy;
        dib.Reset(BitmapToPackedDib(g_appState.frameBitmaps[frame], wanted > 0 ? wanted : bits));
    }
    if (!dib) return RESULT_OUT_OF_MEMORY;
    return CallSaveConvImage(owner, path, dib.Get(), static_cast<BYTE>(format), g_appState.frameCount);
}
