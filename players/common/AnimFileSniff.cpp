// Sniffing a file the players are asked to play: the header's first bytes say
// archive or animation, and an animation's settings say whether it runs alone.
#include "AnimFileSniff.h"
#include "AnsFile.h"
#include "FileIo.h"

AnimFileKind SniffAnimationFile(const char* path)
{
    FileHandle file(OpenForReading(path));
    if (!file.IsOpen()) return ANIM_FILE_INVALID;
    AnsFileHeader header;
    if (!ReadExact(file.Get(), &header, sizeof header)) return ANIM_FILE_INVALID;
    const auto* start = reinterpret_cast<const char*>(&header);
    if (start[0] == 'P' && start[1] == 'K') return ANIM_FILE_ARCHIVE;
    if (header.magic != ANS_MAGIC) return ANIM_FILE_INVALID;
    AnimationSettingsDisk settings;
    if (!ReadExact(file.Get(), &settings, sizeof settings)) return ANIM_FILE_INVALID;
    return (settings.paletteSource & PALETTE_PART_ONLY) ? ANIM_FILE_PART : ANIM_FILE_RUNNABLE;
}
