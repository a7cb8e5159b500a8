// Animated GIF documents of the image library: import of a GIF as one image,
// an assembled image or a frame sequence, export of the editor's sequence
// as an animated GIF, the document's settings block, its menu command, its
// dialogs, the preview player and the preview in the web browser.
#pragma once
#include "ConvFormats.h"
#include "GifCodec.h"
#include <windows.h>

// Bit of SaveConvImage's count argument that suppresses the progress steps.
constexpr int GIF_SAVE_NO_PROGRESS = 0x1000;

// ---- the rows of formats 129 and 167 in the format table ---------------------------------

int LoadGifFile(const ConvLoadCall& call);
int SaveSingleGifFile(const ConvSaveCall& call);
int SaveGifAnimationFile(const ConvSaveCall& call);

// ---- import and export ---------------------------------------------------------------

// LoadConvImage for GIF content: with `image` one packed DIB there (format
// 129), without it frames appended through the host (format 167). Without a
// host only the first image is read.
int LoadGif(const char* path, HWND owner, ConvImage* image, ConvHostProc host);
// GetPreviewImage for GIF content: the first image.
int GetGifPreview(const char* path, ConvImage* image);
// SaveConvImage for format 167: the document's block (made in the settings
// dialog when there is none), then SaveAnimatedGif.
int SaveGifAnimation(const char* path, HWND owner, int countArgument, HGLOBAL dib, ConvHostProc host);
// Writes the editor's frames with the settings of a block.
int SaveAnimatedGif(GifAnimSettings* settings, const char* path, HWND owner, int countArgument, HGLOBAL dib,
                    ConvHostProc host);
// The logical screen that holds every frame at its position.
void FitGifScreen(GifAnimSettings* settings, int frameWidth, int frameHeight);

// ---- the document ------------------------------------------------------------------------

// A new block with the defaults of a new document; null without memory.
HGLOBAL NewGifAnimSettings();
// The settings dialog on a copy of `old` (when it has format 167): the new
// block on OK, null on Cancel.
HGLOBAL RunGifAnimDialog(HWND owner, HGLOBAL old, ConvHostProc host);
// ProcessCommand for format 167.
int GifProcessCommand(HWND owner, int commandId, HGLOBAL settings, int frameCount, ConvHostProc host);
// NewConvFile for format 167.
int NewGifAnimation(HWND owner, char* path, ConvHostProc host);
// NotifyFrameChange for format 167: the frame records follow the editor's
// frames. 1 when the block changed.
int NotifyGifFrameChange(HGLOBAL settings, int kind, int index, ConvHostProc host);
// The menu of a GIF document: "&Animation..." in place of the editor's
// Object and Animation menus.
void InstallGifMenu(ConvHostProc host);

// ---- dialogs -------------------------------------------------------------------------------

// The import options dialog for images of different sizes: 0 cancel, 1 one
// image (selectedFrame), 2 the assembled image, 3 a sequence on a canvas of
// frameWidth x frameHeight.
int RunGifImportDialog(HWND owner, GifAnimSettings* settings, ConvHostProc host);
// The preview player of a block whose screen is computed.
void RunGifPreview(HWND owner, const GifAnimSettings* settings, ConvHostProc host);
// Realizes a palette in a window's DC; when colours changed, `repaint` is
// drawn again. True when they changed.
bool RealizeWindowPalette(HWND window, HPALETTE palette, HWND repaint);
// Timer ticks of the preview for a frame's delay: 10 ms ticks on Windows NT,
// 55 ms ticks elsewhere.
int GifPreviewTicks(int delay, bool windowsNt);

// ---- the preview in the web browser --------------------------------------------------------

constexpr int BROWSER_COMMAND_CHARS = 260;
// The open command of "htmlfile", else of "http", cut behind its program
// when that is quoted. False when neither is registered.
bool ReadBrowserCommand(char* command, int room);
// The command line that opens `file` in the browser: the file, quoted, in
// place of the command's "%1", else after it. False when it does not fit.
bool BuildBrowserCommandLine(const char* command, const char* file, char* line, size_t room);
// Writes a copy of the block's animation to a temporary file and opens it
// in the browser; the file is deleted afterwards.
void PreviewGifInBrowser(HWND owner, const GifAnimSettings* settings, const char* command, ConvHostProc host);
