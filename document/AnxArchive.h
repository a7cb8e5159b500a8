// The .ANX archive: a zip archive holding an animation file, every file it
// refers to, and last "anxinfo.dat" naming the animation file.
#pragma once
#include "StoredNames.h"
#include <windows.h>
#include <string>
#include <vector>

// Asked for a file that was not found: (bare name, out path of MAX_PATH chars)
// -> 0 the user cancelled, nonzero go on (an empty path leaves the file out).
typedef int (*LocateFileCallback)(const char* bareName, char* outPath);

enum AnxError {
    ANX_OK = 0,
    ANX_NO_FILE_LIST = 1,
    ANX_FILE_MISSING = 2,
    ANX_WRITE_FAILED = 3,
    ANX_EXTRACT_FAILED = 4,
    ANX_CANCELLED = 5,
};

constexpr char ANX_INFO_NAME[] = "anxinfo.dat";
constexpr char ANX_UNPACK_PREFIX[] = "ZelvoAnx-";  // unique unpack folders in the temporary folder

class AnxArchive {
public:
    explicit AnxArchive(const char* archivePath);
    ~AnxArchive() = default;

    LocateFileCallback locateFile = nullptr;
    char archivePath[MAX_PATH];  // a copy: the caller's string need not outlive the object
    char ansPath[MAX_PATH];
    char workDir[MAX_PATH];   // always ends in a separator
    int error = ANX_OK;

    int Pack(const char* animationPath);
    // Extracts every entry into `folder`; null makes a fresh folder of its own
    // inside the temporary folder. The folder becomes workDir.
    int Unpack(const char* folder);
    int FindAnimation(char* outPath, int length);
    static int IsArchive(const char* path);
    // Deletes what an unpack left for the animation at `animationPath`: a fresh
    // unpack folder goes with everything in it; in any other folder only the
    // files the animation names there and "anxinfo.dat".
    int RemoveUnpacked(const char* animationPath);

    // The steps of packing and unpacking.
    int CollectFileList(const char* animationPath, bool nested);
    int CollectReferences(const char* animationPath);  // adds what one animation names
    int AddToFileList(const char* storedName);
    int LocateFile(const char* storedName, char* resolved);
    bool FileListContains(const char* name) const;
    static void SplitPath(const char* path, char* folder, char* bareName);
    static void AppendSlash(char* path);
    int WriteArchive();
    int ExtractAll(const char* folder);
    int WriteInfoEntry(void* zip);

    const std::vector<std::string>& FileList() const { return fileList_; }
    const std::vector<std::string>& Extracted() const { return extracted_; }

private:
    std::vector<std::string> fileList_;
    std::vector<std::string> extracted_;
    bool locating_ = true;
};

// True when the path (a file or folder that exists) lies inside a folder that
// Unpack made of its own in the temporary folder, where the players unpack
// archives.
bool IsInsideUnpackFolder(const char* path);

// The bare part of a path: after the last "\", "/" or ":".
const char* BareName(const char* path);

// Joins folder (ending in a separator) and name into out[MAX_PATH]; false when
// the result would not fit.
bool JoinPath(char* out, const char* folder, const char* name);
