// ZelvoExp32: the video export library. It renders an animation file through
// the player engine into an AVI file with optional sound. The editor loads it
// for each export, binds AviOptionDlg and AnsToAvi by name, and frees it when
// the export window posts its notification (AVI_EXPORT_DONE).
#pragma once
#include "ZelvoVfw32.h"
#include <windows.h>
#include <cstddef>
#include <cstdint>

// The export window's hook has the engine's host-hook form (the same typedef
// as the engine's own; repeating an identical typedef is allowed).
typedef int (CALLBACK* AnimHostHook)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// AviExportOptions flags.
constexpr uint32_t AVI_EXPORT_SOUND = 0x4000;       // a sound stream of the wave sounds
constexpr uint32_t AVI_EXPORT_STEREO = 0x2000;
constexpr uint32_t AVI_EXPORT_16BIT = 0x1000;
constexpr uint32_t AVI_EXPORT_KEEP_DEPTH = 0x800;   // true-colour pictures stay true colour
constexpr uint32_t AVI_EXPORT_DEFAULT_FLAGS = 0xC000;

// Sent by AnsToAvi to the export window: wParam the HANIM, lParam the options.
constexpr UINT AVI_EXPORT_START = 1432;
// What the editor asks the export to post to its main window at the end:
// wParam the library's module handle, lParam 1 or the id of the message shown.
constexpr UINT AVI_EXPORT_DONE = 1177;

// The editor's window style for the export window: pop-up, caption, system
// menu, minimise box.
constexpr uint32_t AVI_EXPORT_WINDOW_STYLE = 0x80CA0000u;

// The records cross the module boundary: 2-byte packing, offsets fixed in the
// 32-bit build. In the 64-bit build the pointer and handle fields widen in
// place and `size` holds the 64-bit size.
#pragma pack(push, 2)

// The export's options: zeroed, then filled by the editor; AviOptionDlg
// completes them.
struct AviExportOptions {
    uint16_t size;            // sizeof(AviExportOptions)
    int16_t framesPerSec;     // 1..25; 0 means 12
    uint16_t maxFrames;       // steps to export, 5..65530; 0 means 500
    int16_t saveEvery;        // store every n-th step, 1..99; 0 means 1
    uint32_t flags;           // AVI_EXPORT_*; 0 means AVI_EXPORT_DEFAULT_FLAGS
    uint16_t samplesPerSec;   // 11025, 22050 or 44100; 0 means 11025
    const char* aviPath;      // the AVI file to create
    HAVIFILE aviFile;         // created by AviOptionDlg, else 0
    uint16_t width;           // filled by the editor
    uint16_t height;
    uint8_t reserved1[30];
    uint16_t soundCount;      // the animation's sounds (not read by the library)
    uint16_t wavSoundCount;   // its wave sounds; 0 forces "No Sound"
    uint32_t reserved2;
};

// The export window: its owner, style and notification.
struct ExportWindowParams {
    uint16_t size;            // sizeof(ExportWindowParams)
    HWND parent;              // owner of the export window, receives the notification
    uint32_t style;           // window style of the export window
    uint32_t reserved1;
    uint32_t notifyMessage;   // posted to the parent at the end; 0 none
    uint32_t disableParent;   // non-zero: the parent is disabled during the export
    uint32_t reserved2;
    AnimHostHook hook;        // 0: the library's own export hook (the only one that exports)
    uint32_t reserved3;
};

#pragma pack(pop)

#if !defined(_WIN64)
static_assert(sizeof(AviExportOptions) == 64);
static_assert(offsetof(AviExportOptions, flags) == 8 && offsetof(AviExportOptions, samplesPerSec) == 12 &&
              offsetof(AviExportOptions, aviPath) == 14 && offsetof(AviExportOptions, aviFile) == 18 &&
              offsetof(AviExportOptions, width) == 22 && offsetof(AviExportOptions, height) == 24 &&
              offsetof(AviExportOptions, soundCount) == 56 && offsetof(AviExportOptions, wavSoundCount) == 58 &&
              offsetof(AviExportOptions, reserved2) == 60);
static_assert(sizeof(ExportWindowParams) == 34);
static_assert(offsetof(ExportWindowParams, parent) == 2 && offsetof(ExportWindowParams, style) == 6 &&
              offsetof(ExportWindowParams, notifyMessage) == 14 && offsetof(ExportWindowParams, disableParent) == 18 &&
              offsetof(ExportWindowParams, hook) == 26 && offsetof(ExportWindowParams, reserved3) == 30);
#else
static_assert(sizeof(AviExportOptions) == 72 && offsetof(AviExportOptions, width) == 30);
static_assert(sizeof(ExportWindowParams) == 42 && offsetof(ExportWindowParams, hook) == 30);
#endif

extern "C" {

// Runs the options dialog over `parent`: 1 start, 0 cancelled. With an AVI
// path in the options the file is created here (its handle in aviFile), so
// that a compressor can be chosen for it.
int WINAPI AviOptionDlg(HWND parent, AviExportOptions* options);

// Starts the export: the export window, which runs while the caller's message
// loop runs and posts the notification at its end; null when nothing is
// exported (after a message).
HWND WINAPI AnsToAvi(const ExportWindowParams* windowParams, const char* animationPath, const char* aviPath,
                     AviExportOptions* options);

}  // extern "C"

// Pointer types for binding the exports by name.
using AviOptionDlgProc = decltype(&AviOptionDlg);
using AnsToAviProc = decltype(&AnsToAvi);
