// The one small reader behind every load of the engine: a file found by the
// stored-name rule, or a memory image (a built-in animation's resource).
#pragma once
#include "FileIo.h"
#include "ReelEngine.h"

class AnimSourceReader {
public:
    AnimSourceReader() = default;
    AnimSourceReader(const AnimSourceReader&) = delete;
    AnimSourceReader& operator=(const AnimSourceReader&) = delete;

    // A memory source is an AnimMemorySource*; a file source a stored name:
    // a name with a folder is first looked for by its bare name in the current
    // folder, then as given.
    bool Open(const void* source, bool fromMemory);
    ByteSource& Bytes() { return bytes_; }

private:
    FileHandle file_;
    ByteSource bytes_{HFILE_ERROR};
};

// The path under which a stored name is found (see Open); false when neither
// the bare name nor the stored path can be read.
bool ResolveStoredName(const char* stored, char* resolved);
