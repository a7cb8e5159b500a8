// Packing and unpacking .ANX archives with minizip.
#include "AnxArchive.h"
#include "AnsFile.h"
#include "FileIo.h"
#include <minizip/unzip.h>
#include <minizip/zip.h>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr uint32_t COPY_BLOCK = 16384;
constexpr uLong MAX_ENTRIES = 4096;
constexpr uint64_t MAX_UNPACKED_BYTES = 1024ull * 1024 * 1024;  // a bound against zip bombs

bool IsSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }

void FileDosTime(const char* path, uLong* dosDate)
{
    *dosDate = 0;
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    FILETIME written, local;
    WORD date = 0, time = 0;
    if (GetFileTime(h, nullptr, nullptr, &written) && FileTimeToLocalFileTime(&written, &local) &&
        FileTimeToDosDateTime(&local, &date, &time))
        *dosDate = (static_cast<uLong>(date) << 16) | time;
    CloseHandle(h);
}

void SetFileDosTime(const char* path, uLong dosDate)
{
    FILETIME local, utc;
    if (!DosDateTimeToFileTime(HIWORD(dosDate), LOWORD(dosDate), &local) || !LocalFileTimeToFileTime(&local, &utc))
        return;
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    SetFileTime(h, &utc, &utc, &utc);
    CloseHandle(h);
}

bool FolderOf(const char* path, char* folder)
{
    char bare[MAX_PATH];
    AnxArchive::SplitPath(path, folder, bare);
    return folder[0] != '\0';
}

}  // namespace

const char* BareName(const char* path)
{
    const char* bare = path;
    for (const char* p = path; *p; ++p)
        if (IsSeparator(*p)) bare = p + 1;
    return bare;
}

bool JoinPath(char* out, const char* folder, const char* name)
{
    const int n = snprintf(out, MAX_PATH, "%s%s", folder, name);
    return n > 0 && n < MAX_PATH;
}

AnxArchive::AnxArchive(const char* path)
{
    lstrcpynA(archivePath, path ? path : "", MAX_PATH);
    ansPath[0] = '\0';
    workDir[0] = '\0';
}

int AnxArchive::IsArchive(const char* path)
{
    FileHandle file(OpenForReading(path));
    unsigned char magic[4];
    if (!file.IsOpen() || !ReadExact(file.Get(), magic, sizeof magic)) return 0;
    return magic[0] == 0x50 && magic[1] == 0x4B && magic[2] == 0x03 && magic[3] == 0x04;
}

void AnxArchive::SplitPath(const char* path, char* folder, char* bareName)
{
    // The last separator of any kind: "C:\\a/b.ans" is "C:\\a/" and "b.ans".
    const char* bare = BareName(path);
    const char* cut = bare != path ? bare - 1 : nullptr;
    if (cut) {
        const size_t n = cut - path + 1;
        lstrcpynA(folder, path, static_cast<int>(n < MAX_PATH ? n + 1 : MAX_PATH));
        lstrcpynA(bareName, cut + 1, MAX_PATH);
    } else {
        if (!GetCurrentDirectoryA(MAX_PATH, folder)) folder[0] = '\0';
        AppendSlash(folder);
        lstrcpynA(bareName, path, MAX_PATH);
    }
}

void AnxArchive::AppendSlash(char* path)
{
    const size_t n = strlen(path);
    if (n > 0 && IsSeparator(path[n - 1])) return;
    if (n + 1 < MAX_PATH) {
        path[n] = '\\';
        path[n + 1] = '\0';
    }
}

bool AnxArchive::FileListContains(const char* name) const
{
    const char* bare = BareName(name);
    for (const std::string& listed : fileList_)
        if (lstrcmpiA(BareName(listed.c_str()), bare) == 0) return true;
    return false;
}

int AnxArchive::LocateFile(const char* storedName, char* resolved)
{
    const char* bare = BareName(storedName);
    resolved[0] = '\0';
    // A refused name is looked for nowhere: it counts as a missing file.
    const bool safe = IsSafeStoredName(storedName);
    if (safe && IsSafeBareName(bare) && JoinPath(resolved, workDir, bare) && IsReadableFile(resolved)) return 1;
    if (!locating_) return 0;
    if (safe && lstrcpynA(resolved, storedName, MAX_PATH) && IsReadableFile(resolved)) return 1;
    // The stored folder part below the animation's folder.
    char storedFolder[MAX_PATH] = "";
    if (bare != storedName) lstrcpynA(storedFolder, storedName, static_cast<int>(bare - storedName + 1));
    char relative[MAX_PATH];
    if (safe && snprintf(relative, MAX_PATH, "%s%s", storedFolder, bare) < MAX_PATH &&
        JoinPath(resolved, workDir, relative) && IsReadableFile(resolved))
        return 1;
    resolved[0] = '\0';
    if (locateFile) {
        char chosen[MAX_PATH] = "";
        if (!locateFile(bare, chosen)) {
            error = ANX_CANCELLED;
            return 0;
        }
        if (chosen[0] && IsReadableFile(chosen)) {
            lstrcpynA(resolved, chosen, MAX_PATH);
            return 1;
        }
    }
    error = ANX_FILE_MISSING;
    return 0;
}

int AnxArchive::AddToFileList(const char* storedName)
{
    if (!storedName[0] || FileListContains(storedName)) return 1;
    char resolved[MAX_PATH];
    if (LocateFile(storedName, resolved)) {
        // A file the user located under another name may already be listed.
        if (!FileListContains(resolved)) fileList_.emplace_back(resolved);
        return 1;
    }
    return error == ANX_CANCELLED ? 0 : 1;  // a missing file is left out and collecting goes on
}

int AnxArchive::CollectFileList(const char* animationPath, bool nested)
{
    if (!nested) {
        fileList_.clear();
        char bare[MAX_PATH];
        SplitPath(animationPath, workDir, bare);
        fileList_.emplace_back(animationPath);
        return CollectReferences(animationPath);
    }
    if (FileListContains(animationPath)) return 1;  // already collected: A -> B -> A ends here
    const size_t before = fileList_.size();
    if (!AddToFileList(animationPath)) return 0;
    if (fileList_.size() == before) return 1;  // not found: left out
    const std::string resolved = fileList_.back();
    return CollectReferences(resolved.c_str());
}

int AnxArchive::CollectReferences(const char* path)
{
    FileHandle file(OpenForReading(path));
    AnsFileHeader header;
    AnimationSettings settings;
    if (!file.IsOpen() || !ReadAnsHeader(file.Get(), &header) || header.magic != ANS_MAGIC ||
        header.formatVersion > ANS_MAX_EDITOR_VERSION || !ReadAnimationSettings(file.Get(), &settings) ||
        header.sequenceCount > MAX_SEQUENCES || header.soundCount > MAX_SOUNDS || header.regionCount > MAX_REGIONS)
        return 0;
    settings.backgroundImage[63] = settings.nextAnimation[63] = '\0';
    if ((settings.backgroundColor & BACKGROUND_USE_IMAGE) && !AddToFileList(settings.backgroundImage)) return 0;
    for (int i = 0; i < header.sequenceCount; ++i) {
        SequenceRecord sequence;
        if (!ReadExact(file.Get(), &sequence, sizeof sequence)) return 0;
        sequence.fileName[63] = '\0';
        if (!AddToFileList(sequence.fileName)) return 0;
    }
    if (_llseek(file.Get(), header.regionCount * sizeof(ForegroundRegionDisk), FILE_CURRENT) == HFILE_ERROR)
        return 0;
    for (int i = 0; i < header.soundCount; ++i) {
        SoundRecord sound;
        if (!ReadExact(file.Get(), &sound, sizeof sound)) return 0;
        sound.name[63] = '\0';
        if (!AddToFileList(sound.name)) return 0;
    }
    file.Close();
    const int endAction = (settings.playFlags & PLAY_END_ACTION_MASK) >> PLAY_END_ACTION_SHIFT;
    if ((endAction == END_LOAD_NEXT || endAction == END_LOAD_NEXT_NEW_WINDOW) && settings.nextAnimation[0]) {
        // The following animation is looked for beside this one by its bare name.
        char nextPath[MAX_PATH];
        if (!JoinPath(nextPath, workDir, BareName(settings.nextAnimation))) return 1;
        return CollectFileList(nextPath, true);
    }
    return 1;
}

int AnxArchive::WriteInfoEntry(void* zip)
{
    zip_fileinfo info{};
    FileDosTime(ansPath, &info.dosDate);
    const char* name = BareName(ansPath);
    if (zipOpenNewFileInZip(static_cast<zipFile>(zip), ANX_INFO_NAME, &info, nullptr, 0, nullptr, 0, nullptr,
                            Z_DEFLATED, Z_DEFAULT_COMPRESSION) != ZIP_OK)
        return 0;
    const bool ok = zipWriteInFileInZip(static_cast<zipFile>(zip), name, static_cast<unsigned>(strlen(name))) == ZIP_OK;
    return zipCloseFileInZip(static_cast<zipFile>(zip)) == ZIP_OK && ok;
}

int AnxArchive::WriteArchive()
{
    zipFile zip = zipOpen(archivePath, APPEND_STATUS_CREATE);
    if (!zip) return 0;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[COPY_BLOCK]);
    bool ok = buffer != nullptr;
    for (size_t i = 0; ok && i < fileList_.size(); ++i) {
        const char* path = fileList_[i].c_str();
        zip_fileinfo info{};
        FileDosTime(path, &info.dosDate);
        FileHandle file(OpenForReading(path));
        ok = file.IsOpen() && zipOpenNewFileInZip(zip, path, &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                                  Z_DEFAULT_COMPRESSION) == ZIP_OK;
        if (!ok) break;
        for (;;) {
            const UINT got = _lread(file.Get(), buffer.get(), COPY_BLOCK);
            if (got == static_cast<UINT>(HFILE_ERROR)) { ok = false; break; }
            if (got == 0) break;
            if (zipWriteInFileInZip(zip, buffer.get(), got) != ZIP_OK) { ok = false; break; }
        }
        if (zipCloseFileInZip(zip) != ZIP_OK) ok = false;
    }
    if (ok) ok = WriteInfoEntry(zip) != 0;
    if (zipClose(zip, nullptr) != ZIP_OK) ok = false;
    return ok ? 1 : 0;
}

int AnxArchive::Pack(const char* animationPath)
{
    error = ANX_OK;
    lstrcpynA(ansPath, animationPath, MAX_PATH);
    locating_ = true;
    int result = 0;
    if (!CollectFileList(ansPath, false)) {
        if (error != ANX_CANCELLED) error = ANX_NO_FILE_LIST;
    } else if (!WriteArchive()) {
        error = ANX_WRITE_FAILED;
    } else {
        result = 1;  // files left out with error 2 do not fail the pack
    }
    fileList_.clear();
    return result;
}

namespace {

// Makes a new folder of its own in the temporary folder; false when none can be made.
bool CreateUniqueUnpackFolder(char* folder)
{
    char temp[MAX_PATH];
    const DWORD n = GetTempPathA(MAX_PATH, temp);
    if (n == 0 || n >= MAX_PATH) return false;
    AnxArchive::AppendSlash(temp);
    const DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
    for (DWORD attempt = 0; attempt < 1000; ++attempt) {
        if (snprintf(folder, MAX_PATH, "%s%s%08lX", temp, ANX_UNPACK_PREFIX, seed + attempt) >= MAX_PATH) return false;
        if (CreateDirectoryA(folder, nullptr)) return true;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}

// True for a folder made by CreateUniqueUnpackFolder.
bool IsUniqueUnpackFolder(const char* folder)
{
    char temp[MAX_PATH];
    const DWORD n = GetTempPathA(MAX_PATH, temp);
    if (n == 0 || n >= MAX_PATH) return false;
    AnxArchive::AppendSlash(temp);
    const size_t tempLength = strlen(temp);
    if (_strnicmp(folder, temp, tempLength) != 0) return false;
    const char* rest = folder + tempLength;
    if (_strnicmp(rest, ANX_UNPACK_PREFIX, strlen(ANX_UNPACK_PREFIX)) != 0) return false;
    const char* slash = strpbrk(rest, "\\/");
    return slash && slash[1] == '\0';  // directly inside the temporary folder
}

}  // namespace

bool IsInsideUnpackFolder(const char* path)
{
    // Both sides in their long form: a short name of either must not hide the folder.
    char temp[MAX_PATH], longTemp[MAX_PATH], full[MAX_PATH], longPath[MAX_PATH];
    const DWORD n = GetTempPathA(MAX_PATH, temp);
    if (n == 0 || n >= MAX_PATH || !path || !GetFullPathNameA(path, MAX_PATH, full, nullptr)) return false;
    if (!GetLongPathNameA(temp, longTemp, MAX_PATH)) lstrcpynA(longTemp, temp, MAX_PATH);
    if (!GetLongPathNameA(full, longPath, MAX_PATH)) lstrcpynA(longPath, full, MAX_PATH);
    AnxArchive::AppendSlash(longTemp);
    const size_t tempLength = strlen(longTemp);
    const size_t prefixLength = strlen(ANX_UNPACK_PREFIX);
    if (_strnicmp(longPath, longTemp, tempLength) != 0) return false;
    const char* rest = longPath + tempLength;
    return _strnicmp(rest, ANX_UNPACK_PREFIX, prefixLength) == 0 && strpbrk(rest, "\\/") != nullptr;
}

int AnxArchive::ExtractAll(const char* folder)
{
    unzFile zip = unzOpen(archivePath);
    if (!zip) return 0;
    unz_global_info global;
    bool ok = unzGetGlobalInfo(zip, &global) == UNZ_OK && global.number_entry <= MAX_ENTRIES;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[COPY_BLOCK]);
    ok = ok && buffer && unzGoToFirstFile(zip) == UNZ_OK;
    uint64_t total = 0;
    while (ok) {
        unz_file_info info;
        char name[MAX_PATH];
        if (unzGetCurrentFileInfo(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK ||
            info.size_filename >= sizeof name) {
            ok = false;
            break;
        }
        const char* bare = BareName(name);
        if (*bare) {  // folder entries carry no file
            char target[MAX_PATH];
            ok = IsSafeBareName(bare) && JoinPath(target, folder, bare) && unzOpenCurrentFile(zip) == UNZ_OK;
            if (!ok) break;
            HANDLE out = CreateFileA(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            ok = out != INVALID_HANDLE_VALUE;
            if (ok) extracted_.emplace_back(target);
            while (ok) {
                const int got = unzReadCurrentFile(zip, buffer.get(), COPY_BLOCK);
                if (got < 0) { ok = false; break; }
                if (got == 0) break;
                total += got;
                DWORD written = 0;
                if (total > MAX_UNPACKED_BYTES || !WriteFile(out, buffer.get(), got, &written, nullptr) ||
                    written != static_cast<DWORD>(got))
                    ok = false;
            }
            if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
            if (unzCloseCurrentFile(zip) != UNZ_OK) ok = false;  // also a CRC mismatch
            if (ok) SetFileDosTime(target, info.dosDate);
        }
        if (!ok) break;
        const int next = unzGoToNextFile(zip);
        if (next == UNZ_END_OF_LIST_OF_FILE) break;
        ok = next == UNZ_OK;
    }
    unzClose(zip);
    return ok ? 1 : 0;
}

int AnxArchive::Unpack(const char* folder)
{
    char target[MAX_PATH];
    if (folder) {
        lstrcpynA(target, folder, MAX_PATH);
    } else if (!CreateUniqueUnpackFolder(target)) {
        error = ANX_EXTRACT_FAILED;
        return 0;
    }
    AppendSlash(target);
    lstrcpynA(workDir, target, MAX_PATH);
    if (!ExtractAll(target)) {
        error = ANX_EXTRACT_FAILED;
        return 0;
    }
    return 1;
}

int AnxArchive::FindAnimation(char* outPath, int length)
{
    char candidate[MAX_PATH] = "";
    char info[MAX_PATH];
    if (JoinPath(info, workDir, ANX_INFO_NAME)) {
        FileHandle file(OpenForReading(info));
        if (file.IsOpen()) {
            char name[MAX_PATH + 1] = {};
            const UINT got = _lread(file.Get(), name, MAX_PATH);
            if (got != static_cast<UINT>(HFILE_ERROR)) name[got < MAX_PATH ? got : MAX_PATH - 1] = '\0';
            // The name is taken as a bare name inside the unpack folder.
            const char* bare = BareName(name);
            if (!(IsSafeBareName(bare) && JoinPath(candidate, workDir, bare) && IsReadableFile(candidate)))
                candidate[0] = '\0';
        }
    }
    if (!candidate[0] && archivePath[0]) {
        char stem[MAX_PATH];
        lstrcpynA(stem, BareName(archivePath), MAX_PATH);
        if (char* dot = strrchr(stem, '.')) *dot = '\0';
        if (!(strlen(stem) + 4 < MAX_PATH && strcat(stem, ".ans") && JoinPath(candidate, workDir, stem) &&
              IsReadableFile(candidate)))
            candidate[0] = '\0';
    }
    if (!candidate[0]) {
        char pattern[MAX_PATH];
        WIN32_FIND_DATAA found;
        if (JoinPath(pattern, workDir, "*.ans")) {
            HANDLE search = FindFirstFileA(pattern, &found);
            if (search != INVALID_HANDLE_VALUE) {
                if (!JoinPath(candidate, workDir, found.cFileName)) candidate[0] = '\0';
                FindClose(search);
            }
        }
    }
    if (length > 0) lstrcpynA(outPath, candidate, length);
    return candidate[0] && IsReadableFile(candidate) && static_cast<int>(strlen(candidate)) < length ? 1 : 0;
}

int AnxArchive::RemoveUnpacked(const char* animationPath)
{
    char folder[MAX_PATH];
    if (!FolderOf(animationPath, folder)) return 0;
    int result = 1;
    if (IsUniqueUnpackFolder(folder)) {
        // Everything in a folder of our own came from the unpack.
        char pattern[MAX_PATH], path[MAX_PATH];
        WIN32_FIND_DATAA found;
        if (!JoinPath(pattern, folder, "*")) return 0;
        HANDLE search = FindFirstFileA(pattern, &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
                if (!JoinPath(path, folder, found.cFileName) || !DeleteFileA(path)) result = 0;
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        if (!RemoveDirectoryA(folder)) result = 0;
        return result;
    }
    // Elsewhere only the files the animation names, found beside it, and the info entry.
    lstrcpynA(workDir, folder, MAX_PATH);
    LocateFileCallback saved = locateFile;
    locateFile = nullptr;
    locating_ = false;
    fileList_.clear();
    fileList_.emplace_back(animationPath);
    CollectReferences(animationPath);
    locating_ = true;
    locateFile = saved;
    char info[MAX_PATH];
    if (JoinPath(info, folder, ANX_INFO_NAME)) fileList_.emplace_back(info);
    for (const std::string& path : fileList_)
        if (!DeleteFileA(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) result = 0;
    fileList_.clear();
    return result;
}
