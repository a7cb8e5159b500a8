// A stand-in image library for the bridge's tests: it keeps what each export
// was called with, answers what the test asks, and lacks "GetDesiredBitPix".
#pragma once
#include "ConvInterface.h"
#include <windows.h>

struct RecordedConvCall {
    char name[32];        // the export called last
    int calls;            // exports called since the last reset
    HWND owner;
    char path[MAX_PATH];
    BYTE code;
    int frameCount;
    int commandId;
    HGLOBAL settings;
    HGLOBAL dib;
    int kind;
    int index;
    int flags;            // GetFormats' list flags, DetectFileFormat's byContent, NewConvFile's reserved
    bool hadImage;        // LoadConvImage got an image record
    ConvHostProc host;
};

// The record of the last call; a test may clear it.
typedef RecordedConvCall*(WINAPI* LastConvCallProc)();
// What the next exports answer (as a result code).
typedef void(WINAPI* SetConvAnswerProc)(int answer);

// Paths ending in this are sequence files to the stand-in.
constexpr char RECORDING_SEQUENCE_SUFFIX[] = ".seq";
// Paths ending in this are programs: their image comes back named
// RECORDING_RESOURCE_NAME in the path buffer, as a chosen resource bitmap does.
constexpr char RECORDING_PROGRAM_SUFFIX[] = ".dll";
constexpr char RECORDING_RESOURCE_NAME[] = "101-1033.BMP";
// The format codes the stand-in reports for still files and sequences.
constexpr BYTE RECORDING_STILL_CODE = 128;
constexpr BYTE RECORDING_SEQUENCE_CODE = 167;
// The command id of the item its ProcessCommand inserts into the editor's menu.
constexpr UINT RECORDING_MENU_ID = 1500;
