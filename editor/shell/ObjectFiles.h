// Object files (.ANO) of the document's objects.
#pragma once
#include <windows.h>

// Writes object `objectIndex` with its sequence record (frameCount the frames
// in the editor when the sequence is the current one) and its steps.
// 1, 0x7001, 0x8005 (create) or 0x8002 (write).
int WriteObjectFile(const char* path, int objectIndex);
// Reads an object file into object slot `objectIndex`: its record and a new
// step block; the sequence's stored file name (64 characters) comes back in
// `sequenceName` for the caller, who also sets the object's sequence index.
// 1, 0x8003, 0x8004, 0x8001 or 0x7001; on failure the slot is unchanged.
int ReadObjectFile(const char* path, int objectIndex, char* sequenceName);
