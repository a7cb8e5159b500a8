// The editor's one animation document (DocumentState): the animation's
// settings and tables, the frames of the sequence in the frame editor with
// their records, the per-sequence image sets of the test run, and the states
// behind the save questions; how referenced files are found and stored; the
// editing of sequences and objects; the save commands and the questions asked
// before changes are discarded.
//
// The model lives beside the shell because it runs the editor's dialogs and
// message boxes; the file formats it stands on are the document library's.
#pragma once
#include "AnimationTables.h"
#include "AppState.h"
#include "BmxFile.h"
#include "../compose/ObjectRunState.h"
#include <windows.h>
#include <cstdint>

// ---- records -------------------------------------------------------------------

// frameState of a FrameRecord.
constexpr int16_t FRAME_UNSET = -2;
constexpr int16_t FRAME_NEVER_SAVED = -1;
constexpr int16_t FRAME_MODIFIED = 1;  // bit 0

struct FrameRecord {
    int16_t frameState;  // FRAME_UNSET, else bit 0 = modified (a new frame is -1)
    uint8_t attribute;   // a format or colour code the image library set
    char* name;          // the frame's file name, a local-memory copy; may hold "%d" or "%D"
};

// The images of one sequence for the test run. The current sequence's frames
// are the editor's own frame bitmaps; the offsets of its frames are kept here
// while it is edited.
struct SequenceImages {
    uint16_t frameCount;  // 0: not loaded
    HBITMAP frames[MAX_FRAMES];
    HBITMAP masks[MAX_FRAMES];
    int8_t offsetX[MAX_FRAMES];  // held negated: minus the frame's offset or hot spot
    int8_t offsetY[MAX_FRAMES];
    int16_t width;
    int16_t height;
};

// animationState and sequenceState: -2 none, -1 new (never saved), else bit 0
// set while modified.
constexpr int DOC_NONE = -2;
constexpr int DOC_NEW = -1;
constexpr int DOC_MODIFIED = 1;

// sequenceSaveFormat besides the image library's format codes.
constexpr BYTE SAVE_AS_SEQUENCE_FILE = 0;
constexpr BYTE SAVE_AS_SINGLE_IMAGES = 1;

// The document. Its record part (settings, tables, counts, step blocks) is
// the AnimationTables the animation file is written from and read into.
struct DocumentState : AnimationTables {
    int currentObject;  // its sequence is the one in the frame editor
    // The test run's state of each object, moved with its object.
    ObjectRunState objectRunStates[MAX_EDITOR_OBJECTS];
    FrameRecord frameRecords[MAX_FRAMES];
    char animationPath[MAX_PATH];  // the animation file's full path
    int animationState = DOC_NONE;
    BYTE conversionFormat;  // the image-library format the document came from, 0 own formats
    HGLOBAL convSettings;   // the image library's settings block of the document
    SequenceImages sequenceImages[MAX_SEQUENCES];
    // Set once a test run has built the images of every sequence (their
    // frame sizes are then known without loading them).
    bool animationImagesBuilt;
    BYTE sequenceSaveFormat;  // 0 sequence file, 1 numbered single images, else a library format
    int sequenceState = DOC_NONE;
    char sequencePath[MAX_PATH];  // the current sequence's file
    // The transparent colour's tolerance: -1 not offered, 0 off, 1 on; the
    // percentage 1..99 that pixels may differ by and still count as it.
    int transparentToleranceOn;
    int transparentTolerance = 10;
};
extern DocumentState g_document;

// What the "New Frame Sequence" dialog (template 1005) fills in.
struct NewSequenceParams {
    int32_t colourFormat;  // 2, 16, 256, 65536, 16777216 or 16777217
    int32_t width;         // 8..2048
    int32_t height;
    int32_t typeId;  // in: 0 or more fixes the type; out: 0 own type, else a library format
    int32_t transparentCode;
    int32_t toleranceOn;
    int32_t tolerance;
    int32_t pasteClipboard;  // 1: the first frame shows the clipboard image
};

// ---- document state --------------------------------------------------------------

// The sequence of the current object, or -1 without objects.
int CurrentSequenceIndex();
SequenceRecord* CurrentSequenceRecord();
// The document's current file path, the caption of file errors: the file
// being opened (a failed open keeps it after the document is emptied), else
// the current sequence's file; the animation file while there is neither.
const char* CurrentDocumentPath();
// True while the animation has no file of its own yet.
bool IsAnimationUnnamed();

// ---- files the document refers to ----------------------------------------------

// Opens a stored file name: first its bare name in the current directory (the
// document's folder), then the path as stored. `path` is a MAX_PATH buffer
// that becomes the full path of the file opened (current directory + "\" +
// bare name when the bare name was found). HFILE_ERROR when neither opens.
HFILE OpenReferencedFile(char* path);
// Makes a path fit a stored name field (63 characters): a path that fits stays;
// a longer one inside the animation's folder is stored relative to it; else
// its bare name; a bare name that is still too long is cut. Returns false
// only in that last case, when the stored name no longer names the file.
bool ShortenStoredPath(char out[STORED_NAME_CHARS], const char* path);
// The path becomes animationPath and its folder the current directory.
void SetDocumentFolder(const char* path);
// A frame's file name from its pattern: the one "%d" or "%D" becomes the
// number index + 1 (the pattern is never used as a format of its own); a name
// without one stays as it is.
void FormatFrameFileName(char* out, int room, const char* pattern, int index);

// ---- frames and sequences --------------------------------------------------------

// Reads the body of a sequence file (header already read) into the frames of
// sequence `sequenceIndex`, after the frames already there. Result: 1, 0
// (the user cancelled a palette question), 0x7001, 0x8001, 0x8004.
int ReadFrameSequence(HFILE file, const BmxFileHeader& header, int sequenceIndex);
// Writes the frames as a sequence file (mode 1: as numbered single images).
// The file is replaced only once it is complete. Result code.
int SaveFrameSequence(const char* path, uint8_t transparentColorCode, int mode);
// Writes one frame (-1: the first) as a bitmap file (format 0) or in a library
// format; the frame then counts as saved. Result code.
int SaveFrameFile(const char* path, int frameIndex, int format);
// Writes every frame as path with its number before the extension (walk.bmp:
// walk1.bmp, walk2.bmp, ...); asks once before replacing files. 1, 0
// cancelled, or a result code.
int SaveSequenceAsImages(HWND owner, const char* path);

// Loads a frame file into the current sequence by its first two bytes: a
// sequence file, a bitmap, else through the image library. Result code.
int LoadFrameFile(const char* path, UINT insertFlags);
// One image (a bitmap, or the first frame of a sequence file) into one bitmap.
int LoadImageIntoBitmap(const char* path, HBITMAP* bitmap);
// Loads the file of sequence `sequenceIndex` into the emptied frame editor:
// a sequence file, or a bitmap as a one-frame sequence. `path` (MAX_PATH)
// becomes the file that was opened. Result: 1, 0x8003, 0x8004, ...
int LoadSequenceForObject(char* path, int sequenceIndex);
// Puts sequence `sequenceIndex` (stored name `name`) into the frame editor
// after the save questions; messages are shown here. 1, or 0 when it did not
// happen.
int SwitchToSequence(HWND owner, const char* name, int sequenceIndex, bool freeCurrent);
// A new sequence in the emptied frame editor from the dialog's record.
// 1, or 0 after the out-of-memory message.
int CreateSequence(const NewSequenceParams& params, int sequenceIndex);

// The live frame count: into AppState and the current sequence's record.
void SetFrameCount(int count);
// Every step whose frame is beyond the last frame shows the last frame.
void ClampStepFrames(HGLOBAL steps, int frameCount, int stepCount);

bool SequenceHasTransparentColor();
uint8_t GetSequenceTransparentCode();
void SetSequenceTransparentCode(uint8_t code);
// Fits a sequence's transparent colour code to a colour format: a code
// without a transparent colour stays; the two-colour format keeps 32 and
// makes every other code 47; other formats keep the low five bits, a
// run-time mask with a colour becoming 31. 1 when the code changed.
int FitTransparentCodeToFormat(SequenceRecord* sequence, int colorFormat);
// The palette index a transparent colour code stands for in a colour format:
// -1 without a transparent colour; two colours 0 or 1; up to 16 colours the
// static code; more the static code counted from the end from 8 on (-8..-1).
int TransparentIndexOfCode(int code, int colorFormat);
// The same for the current sequence in the current format.
int GetTransparentIndex();
// 1 and the colour of the current sequence's transparent colour in the
// current format, or 0 when it has none.
int GetTransparentColorRef(COLORREF* color);
// Fills with sequence `sequenceIndex`'s transparent colour, or with the
// transparent tool colour for an index that names no sequence.
void FillSequenceBackground(HDC dc, const RECT* area, int sequenceIndex);
// The same for the current sequence (the form of the fill hook in AppState).
void FillCurrentSequenceBackground(HDC dc, const RECT* area);
void FillPolygonInColor(HDC dc, const POINT* points, int count);
// Paints one colour of a locked packed DIB in another: through its colour
// table up to 8 bits, pixel by pixel above.
void RecolorDib(BYTE* dib, const PALETTEENTRY& from, const PALETTEENTRY& to);

void ResetFrameRecord(int index);
// Replaces a frame's stored name with a copy (null frees it).
void SetFrameFileName(int index, const char* name);
// Deletes a sequence's run-time frame and mask bitmaps (the current
// sequence's frames are the editor's own and are only forgotten).
void FreeSequenceBitmaps(int sequenceIndex);
void FreeAllSequenceBitmaps();
// Empties the frame editor: the undo list, every frame and its record; the
// sequence then counts as new.
void FreeCurrentFrames();
// Frees every sequence's run-time bitmaps and image set and every object's
// memory blocks.
void FreeDocumentTables();

// ---- objects -----------------------------------------------------------------------

constexpr int ADD_NEW_SEQUENCE = 1;
constexpr int ADD_CHOSEN_FILE = 2;
constexpr int ADD_PATH_BUFFER = 3;  // the file in g_appState.pathBuffer
constexpr int ADD_EXISTING_SEQUENCE = 0x10;  // | the sequence index
constexpr int SELECT_OBJECT = 0x100;         // | the object index

// A new object in the next slot, current, with the sequence the source names.
// The New Object dialog prepares that slot (a copied record with its steps,
// the typed name, an object file read in): it is kept; an empty slot gets the
// default name. 1, or 0 when it was refused or cancelled (a 31st object, a
// 13th sequence); the caller then frees what it prepared (DiscardObjectSlot).
// The object's steps are clamped to the frames of its sequence.
int AddObject(HWND owner, int source);
// Frees and zeroes an object slot beyond the object count: what a dialog
// prepared there for an object that was not added.
void DiscardObjectSlot(int slot);
// SELECT_OBJECT | index: that object becomes current and its sequence goes
// into the frame editor. 1, or 0 when it did not happen.
int SetCurrentObject(HWND owner, int code);
// Copies an object slot: its record, its three memory handles and its run
// state (the handles then belong to the destination).
void CopyObjectSlot(int destination, int source);
// Removes an object, and its sequence when no other object uses it. The only
// object is never removed. 1 removed, 0 refused.
int RemoveObject(HWND owner, int index);
// A copy of a step block of `count` steps; null on failure.
HGLOBAL DuplicatePathPoints(HGLOBAL block, int count);
// A fresh document: one sequence, one object, the default settings.
void ResetDocument();

// ---- animation files and the save commands ----------------------------------------

int SaveAnimation(const char* path);
int OpenAnimation(const char* path);
int LoadAnimationBody(HFILE file, const AnsFileHeader& header);
// Save Sequence As: 1 saved, 0 cancelled, or a result code already shown.
int SaveSequenceAs(HWND owner, UINT flags, bool offerSingleImages);
// Save Animation As: 1 saved, 0 cancelled, or a result code already shown.
int SaveAnimationAs(HWND owner);

// ---- questions before changes are discarded ----------------------------------------

// What QuerySaveChanges asks for a sequence state and a mode (the animation
// state of the caller, -2..1).
enum SaveQuestion {
    ASK_NOTHING,
    ASK_FRAMES,     // each modified frame (a sequence of 16 frames or more: the sequence)
    ASK_SEQUENCE,
    ASK_ANIMATION,
    ASK_BOTH,       // the "Save changes" dialog
};
SaveQuestion ChooseSaveQuestion(int sequenceState, int mode);

// Each returns 0 when the user cancelled (or a save failed and was shown),
// else 1.
int QuerySaveChanges(HWND owner, int mode);
int QuerySaveFrames(HWND owner, int index);
int QuerySaveSequence(HWND owner);
int QuerySaveAnimation(HWND owner);
int RunSaveChangesDialog(HWND owner);
INT_PTR CALLBACK SaveChangesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
