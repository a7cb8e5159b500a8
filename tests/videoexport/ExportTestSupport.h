// Helpers of the video export tests: the library started inside the test
// program (which carries its resources), a parent window that records the
// export's notification, exports run to their end, AVI files made for full
// uncompressed frames, and the stored frames and headers read back.
#pragma once
#include "ExportLibrary.h"
#include "PlayFixtures.h"
#include "VfwTestSupport.h"
#include <string>
#include <utility>
#include <vector>

// The library as DllMain starts it, with this program as its module.
class ExportLibrarySession {
public:
    ExportLibrarySession();
    ~ExportLibrarySession();
    ExportLibrarySession(const ExportLibrarySession&) = delete;
    ExportLibrarySession& operator=(const ExportLibrarySession&) = delete;
    bool started = false;
};

// The owner of the export window: a plain visible top-level window that
// records every AVI_EXPORT_DONE posted to it (wParam, lParam).
class NotifiedParent {
public:
    NotifiedParent();
    ~NotifiedParent();
    NotifiedParent(const NotifiedParent&) = delete;
    NotifiedParent& operator=(const NotifiedParent&) = delete;
    HWND hwnd = nullptr;
    std::vector<std::pair<WPARAM, LPARAM>> notifications;
private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

// The records as the editor fills them.
AviExportOptions ExportOptions(int framesPerSec, int maxFrames, int saveEvery, uint32_t flags,
                               int samplesPerSec = 11025, int wavSounds = 1);
ExportWindowParams ExportWindow(HWND parent);

struct ExportRun {
    HWND window = nullptr;  // what AnsToAvi returned
    bool notified = false;
    WPARAM module = 0;
    LPARAM result = 0;
};
// AnsToAvi, then the thread's messages until the parent is notified (60 s at
// most); `whileRunning` is called once per message while the export runs.
ExportRun RunExport(NotifiedParent& parent, const std::string& animation, const std::string& avi,
                    AviExportOptions& options, const std::function<void()>& whileRunning = {});

// An AVI file created for writing as the options dialog creates it, with
// "Full Frames (Uncompressed)" chosen in the compressor chooser: the
// platform's default compressors cannot compress key frames here.
HAVIFILE CreateUncompressedAvi(const std::string& path, bool trueColour);

// What an exported file holds, read through the wrapper and from its chunks.
struct StoredVideo {
    BITMAPINFOHEADER format{};         // the stream's frame format ("strf")
    std::vector<RGBQUAD> colors;       // its colour table
    std::vector<size_t> chunkSizes;    // of the stored video chunks, in file order
    int frames = 0;                    // the stream's length
    int framesPerSec = 0;
    std::vector<Pixels> pictures;      // frame 0 .. frames - 1 as the reader gives them
    std::vector<uint8_t> sound;        // the sound chunks' bytes
    SoundFormat soundFormat{};         // channels, bits and rate of the sound stream (0 without one)
};
StoredVideo ReadStoredVideo(const std::string& path);

// A scene for the export tests: a picture of width by height on a navy
// background, one opaque 8 by 8 object of static colour `code` that moves
// one pixel right per step from (2, 4).
void AddMovingObject(PlayScene& scene, int staticColor = 9);
// Writes the scene's animation as "export.ans"; its path.
std::string WriteScene(PlayScene& scene);
