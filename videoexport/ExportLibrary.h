// The inside of the video export library: its module and resources, the one
// export that runs at a time (ExportState), the export window's hook, the
// colour conversion and the sound of each step. DllMain and the tests start
// the library the same way (StartExportLibrary).
#pragma once
#include "ReelEngine.h"
#include "ZelvoExp32.h"
#include <windows.h>
#include <cstdint>

// ---- the module ----------------------------------------------------------------

// Keeps the module that holds the dialog and strings and starts the engine
// with the export window's class (icon 100). False when the class cannot be
// registered.
bool StartExportLibrary(HINSTANCE module);
// Deletes the engine's shared DCs and unregisters the class.
void StopExportLibrary();
// The module given to StartExportLibrary: the resources' home, and the
// wParam of the notification.
HINSTANCE ExportModule();

// Resource ids.
constexpr int IDD_AVI_EXPORT = 100;
constexpr int IDI_EXPORT = 100;
constexpr int IDC_FRAMES_PER_SEC = 100;
constexpr int IDC_MAX_FRAMES = 101;
constexpr int IDC_SAVE_EVERY = 102;
constexpr int IDC_COMPRESSION = 103;
constexpr int IDC_NO_SOUND = 104;
constexpr int IDC_CHANNELS_LABEL = 105;
constexpr int IDC_MONO = 106;
constexpr int IDC_STEREO = 107;
constexpr int IDC_RATE_LABEL = 108;
constexpr int IDC_RATE_11K = 109;
constexpr int IDC_RATE_22K = 110;
constexpr int IDC_RATE_44K = 111;
constexpr int IDC_RESOLUTION_LABEL = 112;
constexpr int IDC_8BIT = 113;
constexpr int IDC_16BIT = 114;
constexpr int IDC_WAVE_NOTE = 115;
constexpr int IDC_VIDEO_GROUP = 116;
constexpr int IDC_AUDIO_GROUP = 117;
constexpr int IDC_CONVERT_8BPP = 118;

// Message strings. A negative error code -n of the export shows string
// 65536 - n.
constexpr UINT IDS_FILE_MISSING = 1000;     // "File not found! ... Ignore Error?"
constexpr UINT IDS_CREATE_ERROR = 1001;     // "Error creating file!"
constexpr UINT IDS_UNKNOWN_FORMAT = 1002;   // "Unknown file format!"
constexpr UINT IDS_COMPRESS_ERROR = 65524;
constexpr UINT IDS_OPEN_ERROR = 65525;
constexpr UINT IDS_WRITE_ERROR = 65526;
constexpr UINT IDS_READ_ERROR = 65527;
constexpr UINT IDS_UNKNOWN_ERROR = 65530;
constexpr UINT IDS_OUT_OF_MEMORY = 65533;
constexpr int EXPORT_ERROR_WRITE = -10;
constexpr int EXPORT_ERROR_UNKNOWN = -6;
constexpr int EXPORT_ERROR_MEMORY = -3;
inline UINT ExportErrorString(int error) { return static_cast<UINT>(65536 + error); }

// A message of the library's string table through the user-interface seam.
int ShowExportMessage(HWND owner, UINT stringId, const char* caption, UINT style);

// ---- options ----------------------------------------------------------------------

// The defaults of zero fields and the ranges the export runs within; the
// dialog and AnsToAvi apply the same ones.
constexpr int DEFAULT_FRAMES_PER_SEC = 12;
constexpr int MAX_FRAMES_PER_SEC = 25;
constexpr int DEFAULT_MAX_FRAMES = 500;
constexpr int MIN_MAX_FRAMES = 5;
constexpr int MAX_MAX_FRAMES = 65530;
constexpr int DEFAULT_SAVE_EVERY = 1;
constexpr int MAX_SAVE_EVERY = 99;
constexpr int DEFAULT_SAMPLES_PER_SEC = 11025;

// Fills zero numbers with their defaults and brings every value into its
// range. The flags stay: once the dialog has run, 0 is a choice (no sound,
// 8 bits) and no longer "the defaults".
void ApplyOptionDefaults(AviExportOptions* options);
// The display's bits per pixel as the engine sees it.
int DisplayBitsPerPixel();
// Centres a window over its owner's window (or the screen) and keeps it on the screen.
void CenterOverOwner(HWND window, HWND owner);

// ---- the export -------------------------------------------------------------------

// The current sound request of the animation (ExportState::soundRequest bits).
constexpr uint32_t SOUND_REQUEST_NEW = 1;
constexpr uint32_t SOUND_REQUEST_STOP = 2;
constexpr uint32_t SOUND_REQUEST_LOOP = 8;

// One export at a time per process: the state from AnsToAvi to the export
// window's WM_DESTROY.
struct ExportState {
    bool active;                    // an export window lives
    bool finished;                  // the last step ran: no further steps
    ExportWindowParams windowParams;  // the caller's record, copied
    AviExportOptions options;       // with defaults and ranges applied
    char aviPath[MAX_PATH];
    char savedFolder[MAX_PATH];     // the current folder before the export
    HWND window;
    HANIM animation;
    HAVIFILE aviFile;
    HGLOBAL format;                 // frame header, colour table and room for one frame's rows
    HDC memoryDC;
    bool convert;                   // true-colour pictures reduced to 8 bits
    bool parentDisabled;
    int stepCount;                  // steps run
    int stepsUntilStore;            // <= 0: store at this step
    int stepsSinceStore;            // steps run after the last stored frame
    int lastPosition;               // of the last stored frame, -1 before the first
    int error;                      // 0, or a negative string code
    UINT startFailure;              // the message shown when the file or streams could not be set up
    // Sound.
    bool soundStream;
    SoundFormat streamFormat;
    uint32_t soundRequest;          // SOUND_REQUEST_* bits
    char soundName[MAX_PATH];
    HWAVEFILE wave;
    SoundFormat waveFormat;
    bool waveLoops;
    HGLOBAL waveBuffer;
    DWORD waveBufferSize;
};
extern ExportState g_export;

// The wrapper's frame write behind a replaceable table: a disk that fills
// during an export cannot be made on demand (the platform's AVI writer
// buffers its writes and drops their errors), so a test puts in a writer
// that fails. Null puts the wrapper's own back.
struct FrameWriterSeam {
    BOOL (WINAPI* writeFrame)(HAVIFILE aviFile, const AviFrameWrite* frames);
};
void InstallFrameWriterSeam(const FrameWriterSeam* seam);

// The library's own export hook.
int CALLBACK ExportHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Sound: the hook's ANIM_SOUND_REQUEST, and the samples of one step.
void RecordSoundRequest(UINT soundFlags, const char* name);
void AddStepSound();
void CloseStepSound();

// The progress in the export window's caption bar.
int ProgressPercent(int stepCount, int maxFrames);
void DrawExportProgress(HWND window, int percent);

// ---- colour conversion ----------------------------------------------------------

// The nearest-colour cache of the conversion: one entry per 15-bit colour.
constexpr int COLOR_CACHE_ENTRIES = 32768;
constexpr uint16_t COLOR_CACHE_EMPTY = 0xFFFF;
void ClearColorCache(uint16_t* cache);
// The table entry nearest to a 5-5-5 colour: components expanded to 8 v + 4,
// the smallest sum of absolute differences, the earlier entry on ties; a
// distance below 2 ends the search.
int NearestColorIndex(uint16_t color555, const RGBQUAD* table, int entries);
// Rewrites bottom-up 16-bit 5-5-5 rows as 8-bit rows of table indexes, in
// place (each 8-bit row starts at its own stride, which never passes the
// 16-bit row it is made from).
void ConvertRowsTo8Bit(BYTE* bits, int width, int height, const RGBQUAD* table, int entries, uint16_t* cache);
