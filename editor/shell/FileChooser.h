// The editor's one open and save dialog, ChooseFile: the system's explorer
// dialog with a preview pane (template 131), its list of file types built
// from string-table entries and the image library's formats, and the type
// code of the chosen entry handed back to the caller.
#pragma once
#include <windows.h>

// ChooseFile flags.
constexpr UINT CHOOSE_MORE_TYPES_MASK = 0x000F;  // string-table types after the first one
constexpr UINT CHOOSE_KEEP_NAME = 0x0020;        // 0x20 and 0x40 keep the initial file name
constexpr UINT CHOOSE_KEEP_NAME_TOO = 0x0040;
constexpr UINT CHOOSE_LIBRARY_STILL = 0x0100;    // the library's formats: still images
constexpr UINT CHOOSE_LIBRARY_VIDEO = 0x0200;    // video
constexpr UINT CHOOSE_LIBRARY_ANIMATION = 0x0400;// animations
constexpr UINT CHOOSE_MULTIPLE = 0x1000;         // several files; OK reads "&Add", Cancel "&Quit"
constexpr UINT CHOOSE_REPLACE = 0x2000;          // OK reads "&Replace"
constexpr UINT CHOOSE_SAVE = 0x4000;             // the save dialog, else the open one

// The filter block: pairs of description and pattern, each NUL-terminated,
// and a closing NUL, in at most 4096 bytes.
constexpr int FILTER_BLOCK_BYTES = 4096;
constexpr int MAX_FILTER_ENTRIES = 64;
// The path buffer of a multiple choice (a folder and NUL-separated names).
constexpr int MULTIPLE_FILES_BYTES = 4092;

// Runs the dialog. `path` (MAX_PATH; MULTIPLE_FILES_BYTES with
// CHOOSE_MULTIPLE) gives the initial folder and, with CHOOSE_KEEP_NAME, the
// initial name, and receives the choice; a name without an extension gets
// the chosen pattern's. With firstTypeId 0 `path` holds a ready filter
// ("description|pattern") and the choice starts empty. `type` in: the type
// code whose entry is selected first; out: the chosen entry's code (0, 1, ...
// for the string-table types in the order added, the format code for the
// library's). 1 chosen, 0 cancelled.
int ChooseFile(HWND owner, UINT flags, UINT titleId, UINT firstTypeId, char* path, int* type);

// Adds string `stringId` (0: the text already at `buffer`) with every "|"
// turned into a NUL and a closing NUL. The bytes added; 0 when it does not
// fit into `room` (one byte always stays for the block's own closing NUL).
int AddFilterString(UINT stringId, char* buffer, int room);
// Sorts the entries by description, ignoring case; each keeps its type code.
void SortFilterList(char* filter, int* codes, int count);
// Appends the extension of entry `index`'s pattern (the text after its "*",
// at most 4 characters) to `path`, when it fits into `room`.
void GetFilterExtension(const char* filter, int index, char* path, int room);

// The filter block of one call, before it is sorted.
struct FilterList {
    char text[FILTER_BLOCK_BYTES];
    int codes[MAX_FILTER_ENTRIES];
    int count;
};
// The string-table types the flags ask for, then the library's formats.
// `readyFilter` stands for the first type when firstTypeId is 0.
int BuildFilterList(UINT flags, UINT firstTypeId, const char* readyFilter, FilterList* list);
// The GetFormats list flags of a chooser call.
int ChooserLibraryListFlags(UINT flags);

// The preview pane's texts of an image's depth, as "256 (8-bpp)".
void FormatColorDepth(int bitsPerPixel, char* out, int room);

UINT_PTR CALLBACK ConvPreviewHookProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
