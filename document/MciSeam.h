// The multimedia calls of the sound output, behind one table of function
// pointers. The real table calls WINMM (the error boxes go through UiSeam.h); a test
// installs a table of its own that records the commands and answers them,
// because machines without a sound device or MIDI sequencer cannot show what
// was asked of the device. The player engine plays through the same table.
#pragma once
#include <windows.h>
#include <mmsystem.h>

struct MciSeam {
    // mciSendCommandA: MCI_OPEN, MCI_PLAY, MCI_PAUSE, MCI_RESUME, MCI_STOP, MCI_CLOSE.
    MCIERROR (WINAPI* sendCommand)(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params);
    // sndPlaySoundA: plain waves, and a null name to stop them.
    BOOL (WINAPI* sndPlaySound)(LPCSTR sound, UINT flags);
};

// The table that calls the system.
const MciSeam& RealMciSeam();

// The table in use: the real one unless a test installed another.
const MciSeam& CurrentMciSeam();

// Installs a table (it must outlive its use); null puts the real one back.
void InstallMciSeam(const MciSeam* seam);
