// Small helpers around the 16-bit-compatible file calls (_lopen, _lread, ...).
#pragma once
#include <windows.h>
#include <cstdint>

// Closes an HFILE when it goes out of scope.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(HFILE file) : file_(file) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { Close(); }
    HFILE Get() const { return file_; }
    bool IsOpen() const { return file_ != HFILE_ERROR; }
    void Reset(HFILE file) { Close(); file_ = file; }
    void Close() {
        if (file_ != HFILE_ERROR) _lclose(file_);
        file_ = HFILE_ERROR;
    }
    HFILE Release() { HFILE f = file_; file_ = HFILE_ERROR; return f; }
private:
    HFILE file_ = HFILE_ERROR;
};

// Where a reader takes its bytes from: an open file, or a block of memory (the
// players read built-in animations from their resources). Reads never go past
// the end of a memory block.
class ByteSource {
public:
    explicit ByteSource(HFILE file) : file_(file) {}
    ByteSource(const void* data, uint32_t size) : data_(static_cast<const BYTE*>(data)), size_(size) {}
    bool Read(void* buffer, uint32_t count);  // true when exactly `count` bytes were read
    long Length();                            // total bytes, -1 when unknown
    bool Seek(uint32_t offset);               // from the start
private:
    HFILE file_ = HFILE_ERROR;
    const BYTE* data_ = nullptr;
    uint32_t size_ = 0;
    uint32_t position_ = 0;
};

// Opens a regular disk file for reading; HFILE_ERROR when it cannot be opened,
// is no disk file (a device, a pipe, a folder) or its name is refused by
// IsSafeStoredName. Nothing read from the handle can wait on a device.
HFILE OpenForReading(const char* path);

// True when exactly `count` bytes were read or written.
bool ReadExact(HFILE file, void* buffer, uint32_t count);
bool WriteExact(HFILE file, const void* buffer, uint32_t count);

// Current length of an open file, or -1.
long FileLength(HFILE file);

// True when the file exists and can be opened for reading.
bool IsReadableFile(const char* path);

// Writes a file through a temporary file beside the target: the target is
// replaced only after everything was written, so a failed save keeps the
// previous version. Create() gives the temporary file's handle.
class SafeFileWriter {
public:
    explicit SafeFileWriter(const char* targetPath);
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;
    ~SafeFileWriter();  // discards the temporary file unless committed
    HFILE Create();     // HFILE_ERROR when the file cannot be created
    bool Commit();      // closes and moves the temporary file over the target
    void Discard();
private:
    char target_[MAX_PATH];
    char temp_[MAX_PATH];
    HFILE file_ = HFILE_ERROR;
};
