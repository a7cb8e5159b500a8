// Telling an animation file, an archive and everything else apart by their
// first bytes, the same way in every player that lets the user choose a file.
#pragma once

enum AnimFileKind {
    ANIM_FILE_INVALID,   // missing, unreadable, or neither archive nor animation
    ANIM_FILE_ARCHIVE,   // starts with "PK"
    ANIM_FILE_RUNNABLE,  // an animation file that runs by itself
    ANIM_FILE_PART,      // an animation file that is part of another one
};
AnimFileKind SniffAnimationFile(const char* path);
