// Names that come out of a file or an archive (a frame sequence, a background
// picture, a sound, a following animation, an archive entry): the one check
// every reader applies before it builds a path from such a name and opens it.
// Animations travel (archives, web pages, the screensaver's list), so a name
// inside one must never reach a device or a place its folder does not hold.
// A refused name is handled exactly as a file of that name that is missing.
#pragma once

// True for a reserved device name, whatever case, extension, trailing dots or
// blanks or colon follow it: CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9 (also
// with the superscript digits 1-3), CONIN$, CONOUT$, CLOCK$. `length` is the
// number of characters of `component` to look at (-1: up to its end).
bool IsDeviceName(const char* component, int length = -1);

// True when a stored name (a bare name or a path) may be looked up on disk:
// not empty, no character below 32 or of <>"|?*, no part that is a device
// name, and not in the device namespace ("\\.\", "\\?\", "\??\").
bool IsSafeStoredName(const char* name);

// True when a name that must stay inside one folder is safe there: a safe
// stored name without "\", "/" or ":", not "." or "..", not ending in a dot
// or a blank, shorter than a path.
bool IsSafeBareName(const char* name);
