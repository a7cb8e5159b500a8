// Bitmaps held in the resources of programs and libraries (format code 131,
// read only): the executable's own headers are read (16-bit "NE" and 32-bit
// "PE" layouts), every bitmap resource listed, and one chosen in dialog 102
// "Open Resource Bitmap". The file is never loaded as a module.
#pragma once
#include "ConvFormats.h"
#include <cstdint>

// One bitmap resource found by the last scan.
struct ResourceBitmapEntry {
    char name[32];        // shown in the list, NUL-terminated
    uint32_t fileOffset;  // of the resource's bytes
    uint32_t size;        // bytes of the resource
    uint16_t nameId;      // 16-bit layout: the name field (bit 15: a numeric id, else the name's offset)
};

constexpr int MAX_RESOURCE_BITMAPS = 100;

// The library-wide table of the last scan, valid until the next one.
struct ResourceBitmapTable {
    ResourceBitmapEntry entries[MAX_RESOURCE_BITMAPS];
    int count;
};
const ResourceBitmapTable& ResourceBitmaps();

// Fills the table from an open file. 1 bitmaps found (when detecting: a
// layout recognised), 0 none, -2 not an executable of a known layout, -3 a
// header or directory that cannot be read.
int ScanExecutable(HFILE file, bool detectOnly);
// True when the file is a program of a known layout; the file is sought back to 0.
bool IsResourceBitmapFile(HFILE file);
// A movable block with the entry's bytes (a packed DIB without file header),
// or null when they cannot be read or are no bitmap that fits its size.
HGLOBAL ReadResourceBitmap(HFILE file, const ResourceBitmapEntry& entry);

// Lets the user choose a bitmap of the file in dialog 102. 1 chosen (its
// block in image->dib, its name "NAME.BMP" in chosenName, MAX_PATH bytes),
// 0 cancelled or no bitmaps (after a message box saying so), -1 the file
// cannot be opened, -2 or -3 from the scan.
int LoadResourceBitmap(const char* path, HWND owner, ConvImage* image, char* chosenName);
// The first bitmap of the file for a preview; without bitmaps 0 and string
// 201 in the record's text. The scan's result.
int GetResourceBitmapPreview(const char* path, ConvImage* image);

// The dialog's parameter: the open file and the buffer the chosen name goes to.
struct ResourceBitmapDialogParam {
    HFILE file;
    char* path;  // MAX_PATH bytes: the file's path in, the chosen name out
};
// Dialog 102: ends with the chosen bitmap's block (the caller's), or 0.
INT_PTR CALLBACK ResourceBitmapDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The format table's handlers.
int LoadResourceBitmapImage(const ConvLoadCall& call);
int PreviewResourceBitmapImage(const char* path, ConvImage* image);
