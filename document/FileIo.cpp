#include "FileIo.h"
#include "StoredNames.h"
#include <cstring>
#include <cstdio>

HFILE OpenForReading(const char* path)
{
    // A device (a serial port, a console, a pipe) could keep a read waiting
    // for ever: only a regular file on disk is opened, and a device name is
    // not even handed to the system.
    if (!IsSafeStoredName(path)) return HFILE_ERROR;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return HFILE_ERROR;
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return HFILE_ERROR;
    }
    // The file calls take the handle as an HFILE; kernel handles keep their
    // value in 32 bits on 64-bit Windows too.
    return static_cast<HFILE>(HandleToLong(file));
}

bool ReadExact(HFILE file, void* buffer, uint32_t count)
{
    if (count == 0) return true;
    UINT got = _lread(file, buffer, count);
    return got != static_cast<UINT>(HFILE_ERROR) && got == count;
}

bool WriteExact(HFILE file, const void* buffer, uint32_t count)
{
    if (count == 0) return true;
    UINT put = _lwrite(file, static_cast<LPCCH>(buffer), count);
    return put != static_cast<UINT>(HFILE_ERROR) && put == count;
}

long FileLength(HFILE file)
{
    LONG here = _llseek(file, 0, FILE_CURRENT);
    if (here == HFILE_ERROR) return -1;
    LONG end = _llseek(file, 0, FILE_END);
    _llseek(file, here, FILE_BEGIN);
    return end;
}

bool ByteSource::Read(void* buffer, uint32_t count)
{
    if (!data_) return ReadExact(file_, buffer, count);
    if (count > size_ - position_) return false;
    memcpy(buffer, data_ + position_, count);
    position_ += count;
    return true;
}

long ByteSource::Length()
{
    return data_ ? static_cast<long>(size_) : FileLength(file_);
}

bool ByteSource::Seek(uint32_t offset)
{
    if (!data_) return _llseek(file_, static_cast<LONG>(offset), FILE_BEGIN) != HFILE_ERROR;
    if (offset > size_) return false;
    position_ = offset;
    return true;
}

bool IsReadableFile(const char* path)
{
    FileHandle f(OpenForReading(path));
    return f.IsOpen();
}

SafeFileWriter::SafeFileWriter(const char* targetPath)
{
    lstrcpynA(target_, targetPath ? targetPath : "", MAX_PATH);
    temp_[0] = '\0';
}

SafeFileWriter::~SafeFileWriter() { Discard(); }

HFILE SafeFileWriter::Create()
{
    Discard();
    if (!target_[0] || strlen(target_) + 6 >= MAX_PATH) return HFILE_ERROR;
    // The temporary file lies beside the target so the final move stays on one volume.
    snprintf(temp_, MAX_PATH, "%s.~%04lx", target_, GetCurrentProcessId() & 0xFFFF);
    file_ = _lcreat(temp_, 0);
    if (file_ == HFILE_ERROR) temp_[0] = '\0';
    return file_;
}

bool SafeFileWriter::Commit()
{
    if (file_ == HFILE_ERROR) return false;
    _lclose(file_);
    file_ = HFILE_ERROR;
    if (!MoveFileExA(temp_, target_, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
        Discard();
        return false;
    }
    temp_[0] = '\0';
    return true;
}

void SafeFileWriter::Discard()
{
    if (file_ != HFILE_ERROR) _lclose(file_);
    file_ = HFILE_ERROR;
    if (temp_[0]) DeleteFileA(temp_);
    temp_[0] = '\0';
}
