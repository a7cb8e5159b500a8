// A recording stand-in for the multimedia devices, shared by the sound output
// and engine tests: machines without a sound device or MIDI sequencer cannot
// show what was asked of the device. Also the fixture sound files and a
// message pump for tests that wait for notifications.
#pragma once
#include "MciSeam.h"
#include "UiSeam.h"
#include <windows.h>
#include <mmsystem.h>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

// Records every command as one line of text ("OPEN wave tone.wav", "PLAY 7
// from 0 notify@W", "PLAIN tone.wav 0xb", ...) and answers it: device ids
// from 7 up, a chosen error for the next command of a kind, and, when asked,
// an MM_MCINOTIFY success posted for every play as a device would at its end.
// Error boxes asked of the user-interface seam are recorded, never shown.
class FakeDevices {
public:
    FakeDevices();
    ~FakeDevices();
    FakeDevices(const FakeDevices&) = delete;
    FakeDevices& operator=(const FakeDevices&) = delete;
    const MciSeam& Seam() const { return seam_; }
    const UiSeam& Ui() const { return ui_; }

    // The window whose notifications are recorded as "notify@W".
    void SetWindow(HWND window) { NameWindow(window, "W"); }
    // Another window, recorded as "notify@<label>".
    void NameWindow(HWND window, const std::string& label) { labels_[window] = label; }
    void FailNext(UINT message, MCIERROR error) { failures_[message] = error; }
    void NotifyAtEndOfPlay(bool on) { notifyAtEnd_ = on; }
    void PlainResult(BOOL result) { plainResult_ = result; }

    std::vector<std::string> calls;
    struct Box { HWND owner; std::string text, caption; UINT type; };
    std::vector<Box> boxes;

    std::vector<std::string> TakeCalls();
    int CountCalls(const std::string& prefix) const;

    static int WINAPI MessageBoxHook(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

private:
    static MCIERROR WINAPI SendCommand(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params);
    static BOOL WINAPI SndPlaySound(LPCSTR sound, UINT flags);
    std::string Callback(DWORD_PTR callback, DWORD_PTR flags) const;
    MCIERROR Command(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params);

    static FakeDevices* active_;
    MciSeam seam_;
    UiSeam ui_;
    std::map<HWND, std::string> labels_;
    std::map<UINT, MCIERROR> failures_;
    bool notifyAtEnd_ = false;
    BOOL plainResult_ = TRUE;
    MCIDEVICEID nextDevice_ = 7;
};

// Dispatches messages one at a time until the condition holds or the time is
// up: a looping sound posts its next notification while the last one is
// handled.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 5000);

// A standard MIDI file of one track: middle C for a quarter note.
std::vector<uint8_t> MinimalMidiFile();

// A RIFF wave file of 8-bit mono samples at 8000 Hz: a short square tone.
std::vector<uint8_t> MinimalWaveFile();
