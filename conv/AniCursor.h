// Animated cursors (.ANI, RIFF form "ACON"): the document's settings block,
// the reader, the writer, a new document, the menu commands and the step
// list that follows the editor's frame edits.
#pragma once
#include "ConvFormats.h"
#include <windows.h>
#include <cstddef>
#include <cstdint>

constexpr int ANI_MAX_STEPS = 256;
constexpr int ANI_TEXT_BYTES = 80;
constexpr uint32_t ANI_HEADER_BYTES = 36;
constexpr uint32_t ANI_FLAGS_WRITTEN = 3;  // frames are icon images, a step list is present

#pragma pack(push, 1)
// The settings block of an animated-cursor document (format 166).
struct AniSettings {
    uint16_t formatCode;  // CONV_FORMAT_ANI
    // The "anih" chunk as stored.
    uint32_t cbSize;
    uint32_t frameCount;  // refreshed from the editor at every use
    uint32_t stepCount;   // 0..256
    uint32_t width;
    uint32_t height;
    uint32_t bitCount;
    uint32_t planes;
    uint32_t defaultRate;  // jiffies (1/60 s) per step without a "rate" chunk
    uint32_t flags;
    char title[ANI_TEXT_BYTES];
    char author[ANI_TEXT_BYTES];
    uint32_t rate[ANI_MAX_STEPS];  // jiffies of each step
    uint32_t seq[ANI_MAX_STEPS];   // frame of each step
};
#pragma pack(pop)
static_assert(sizeof(AniSettings) == 2246);
static_assert(offsetof(AniSettings, cbSize) == 2);
static_assert(offsetof(AniSettings, frameCount) == 6);
static_assert(offsetof(AniSettings, stepCount) == 10);
static_assert(offsetof(AniSettings, width) == 14);
static_assert(offsetof(AniSettings, height) == 18);
static_assert(offsetof(AniSettings, bitCount) == 22);
static_assert(offsetof(AniSettings, planes) == 26);
static_assert(offsetof(AniSettings, defaultRate) == 30);
static_assert(offsetof(AniSettings, flags) == 34);
static_assert(offsetof(AniSettings, title) == 38);
static_assert(offsetof(AniSettings, author) == 118);
static_assert(offsetof(AniSettings, rate) == 198);
static_assert(offsetof(AniSettings, seq) == 1222);

// A zeroed block of format 166 with cbSize 36; null without memory.
HGLOBAL NewAniSettings();
// The block's settings locked when it is a block of format 166 of full size.
bool IsAniSettingsBlock(HGLOBAL block);
// The menu of a cursor document: "&Animation..." in place of the editor's
// Object and Animation menus and "Change &Format..." in place of 405.
void InstallAniMenu(ConvHostProc host);
// Applies an insert (kind 1) or delete (kind 3) at `index` to the step list.
// 1 when handled.
int ApplyAniFrameChange(AniSettings* s, int frameCount, int kind, int index);

// ---- the rows of format 166 in the format table -----------------------------------------

int LoadAniFile(const ConvLoadCall& call);
int SaveAniFile(const ConvSaveCall& call);
int GetAniPreview(const char* path, ConvImage* image);
int NewAniFile(HWND owner, char* path, ConvHostProc host);
int AniProcessCommand(HWND owner, int commandId, HGLOBAL settings, int frameCount, ConvHostProc host);
int NotifyAniFrameChange(HGLOBAL settings, int kind, int index, ConvHostProc host);

// ---- the reader and writer below the table ---------------------------------------------

// Reads a file; with `asDocument` its block goes to the editor. Result code.
int ReadAniFile(const char* path, bool asDocument, ConvHostProc host);
// Writes the editor's frames with the document's block (or one made in
// "Define Cursor animation"). Result code.
int WriteAniFile(const char* path, HWND owner, int frameCount, HGLOBAL dib, ConvHostProc host);

// ---- the dialogs (CursorDialogs.cpp) --------------------------------------------------------

// "Define Cursor animation" on a locked block: 1 OK, 0 cancelled (the block
// is as before).
int RunDefineCursorDialog(HWND owner, AniSettings* settings, ConvHostProc host);
// "Change Cursor Format": the choice in *change; 1 OK, 0 cancelled.
int RunChangeCursorFormatDialog(HWND owner, int width, int height, int colors, ConvFormatChange* change);
