// The editor's side of the image library ZelvoConv32: loading and freeing it,
// one wrapper per export (each binds its export by name at every call), the
// translation of the library's results into the editor's result codes, the
// editor callback HandleConvRequest through which the library reads and
// changes the frames, palette, menu and settings block while an export runs,
// and the document hooks that load and save through it.
#pragma once
#include "ConvInterface.h"
#include <windows.h>

// ---- the library -----------------------------------------------------------------------

// At start-up: the image library beside the program (another file for the
// tests). False when it is missing, which only leaves its commands out.
bool LoadConvLibrary(const char* fileName = CONV_LIBRARY_FILE);
// At exit.
void FreeConvLibrary();
bool IsConvLibraryLoaded();

// ---- results and flags ------------------------------------------------------------------

// A library result as an editor result code: above 0 -> 1, 0 -> 0 (cancelled,
// no message), the errors -> their message ids, anything else -> 0x8007.
int MapConvResult(int result);
// CONV_ADD_* flags -> the insert flags of InsertDibIntoBitmap, into a
// sequence with frames or into an empty one.
UINT MapConvInsertFlags(UINT convFlags, bool haveFrames);
// The library's animation formats (166, 167), whose documents keep a settings block.
bool IsConvDocumentFormat(int format);
// The change kind NotifyFrameChange gets for a frame command: 400/401 copied,
// 402/403 inserted, 404 deleted, others 0.
int FrameChangeKind(UINT command);

// ---- the export wrappers (each returns 0 when the library or its export is missing) ---

// Room: CONV_FORMAT_LIST_BYTES names, CONV_MAX_FORMAT_ENTRIES ids. The number of formats.
int CallGetFormats(char* names, BYTE* ids, int listFlags);
// Fills a list box or combo box with "name;extensions" per format the library
// can create (list flags 4), item data = the format code. The number added.
int FillConvFormatList(HWND list);
// 1 when the library recognised the file (by content, or by its name).
int CallDetectFileFormat(const char* path, BYTE* format, int byContent);
int CallLoadConvImage(HWND owner, const char* path, ConvImage* image, BYTE* format, int frameCount);
int CallSaveConvImage(HWND owner, const char* path, HGLOBAL dib, BYTE format, int frameCount);
// The depth a frame must have for `format`: the default for format 0, a
// missing export or an answer of 0 or less; 0 without the library.
int CallGetDesiredBitPix(int format, int defaultBits);
// A library menu command (1000-1999) of the current document. Result code.
int CallProcessCommand(HWND owner, int commandId);
// Tells a library document about a frame command on frame `index`.
void CallNotifyFrameChange(UINT frameCommand, int index);
// A new library document in `path` (MAX_PATH; its extension may change). Result code.
int CallNewConvFile(HWND owner, char* path, BYTE format);
// A preview image or text for the file chooser: 1 and the image's dib and
// bitsOffset in `image` (its message filled when a text came back instead).
int CallGetPreviewImage(const char* path, ConvImage* image);

// ---- the editor callback -------------------------------------------------------------

ULONG_PTR WINAPI HandleConvRequest(UINT request, void* p, ULONG_PTR n);
// CONV_REQ_MENU_ITEM on the main menu: 1 done, 0 refused.
int ApplyConvMenuRequest(const ConvMenuRequest* request);
// True once when the library changed the main menu since the last call.
bool TakeConvMenuChanged();

// ---- the document hooks (EditorHooks::libraryLoad and librarySave) ------------------------

// A foreign file into the document: a sequence format frame by frame through
// the callback, a still format as one image appended as a frame.
int LoadConvFile(HWND owner, const char* path, BYTE* format);
// Frame `frameIndex` (-1: the current one) of a still format, or the whole
// sequence of a sequence format, into a file.
int SaveConvFile(HWND owner, const char* path, int format, int frameIndex);
// One image of a library file into a bitmap slot (a new frame's or an
// existing one's); `firstFrame` lets it set the format, a non-zero
// `insertFlags` makes it follow the decisions of the load's earlier image.
// Result code.
int LoadConvFrame(const char* path, HBITMAP* slot, bool firstFrame, UINT insertFlags);
