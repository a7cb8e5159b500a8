#include "FakeMciDevices.h"
#include <cstdio>
#include <cstring>

FakeDevices* FakeDevices::active_ = nullptr;

FakeDevices::FakeDevices()
{
    active_ = this;
    seam_ = {SendCommand, SndPlaySound};
    ui_ = RealUiSeam();
    ui_.messageBox = MessageBoxHook;
}

FakeDevices::~FakeDevices() { active_ = nullptr; }

std::vector<std::string> FakeDevices::TakeCalls()
{
    std::vector<std::string> taken;
    taken.swap(calls);
    return taken;
}

int FakeDevices::CountCalls(const std::string& prefix) const
{
    int n = 0;
    for (const auto& c : calls) n += c.rfind(prefix, 0) == 0;
    return n;
}

int WINAPI FakeDevices::MessageBoxHook(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    if (active_) active_->boxes.push_back({owner, text ? text : "", caption ? caption : "", type});
    return IDOK;
}

MCIERROR WINAPI FakeDevices::SendCommand(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params)
{
    return active_->Command(device, message, flags, params);
}

BOOL WINAPI FakeDevices::SndPlaySound(LPCSTR sound, UINT flags)
{
    char line[MAX_PATH + 32];
    if (sound)
        snprintf(line, sizeof line, "PLAIN %s 0x%x", sound, flags);
    else
        snprintf(line, sizeof line, "PLAIN stop");
    active_->calls.push_back(line);
    return sound ? active_->plainResult_ : TRUE;
}

std::string FakeDevices::Callback(DWORD_PTR callback, DWORD_PTR flags) const
{
    if (!(flags & MCI_NOTIFY)) return "";
    const auto label = labels_.find(reinterpret_cast<HWND>(callback));
    return " notify@" + (label != labels_.end() ? label->second : std::string("?"));
}

MCIERROR FakeDevices::Command(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params)
{
    char line[MAX_PATH + 64];
    switch (message) {
    case MCI_OPEN: {
        auto* open = reinterpret_cast<MCI_OPEN_PARMSA*>(params);
        const auto type = reinterpret_cast<ULONG_PTR>(open->lpstrDeviceType);
        const DWORD_PTR expected = MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT;
        snprintf(line, sizeof line, "OPEN %s %s%s",
                 type == MCI_DEVTYPE_WAVEFORM_AUDIO ? "wave" : type == MCI_DEVTYPE_SEQUENCER ? "midi" : "other",
                 open->lpstrElementName, flags == expected ? "" : " (odd flags)");
        break;
    }
    case MCI_PLAY: {
        auto* play = reinterpret_cast<MCI_PLAY_PARMS*>(params);
        char from[32] = "";
        if (flags & MCI_FROM) snprintf(from, sizeof from, " from %lu", static_cast<unsigned long>(play->dwFrom));
        snprintf(line, sizeof line, "PLAY %u%s%s", device, from, Callback(play->dwCallback, flags).c_str());
        break;
    }
    case MCI_PAUSE: snprintf(line, sizeof line, "PAUSE %u", device); break;
    case MCI_RESUME: snprintf(line, sizeof line, "RESUME %u", device); break;
    case MCI_STOP: snprintf(line, sizeof line, "STOP %u", device); break;
    case MCI_CLOSE: snprintf(line, sizeof line, "CLOSE %u", device); break;
    default: snprintf(line, sizeof line, "COMMAND 0x%x %u", message, device); break;
    }
    calls.push_back(line);

    if (auto failure = failures_.find(message); failure != failures_.end()) {
        MCIERROR error = failure->second;
        failures_.erase(failure);
        return error;
    }
    if (message == MCI_OPEN) reinterpret_cast<MCI_OPEN_PARMSA*>(params)->wDeviceID = nextDevice_++;
    if (message == MCI_PLAY && notifyAtEnd_ && (flags & MCI_NOTIFY)) {
        auto* play = reinterpret_cast<MCI_PLAY_PARMS*>(params);
        PostMessageA(reinterpret_cast<HWND>(play->dwCallback), MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, device);
    }
    return 0;
}

bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start > milliseconds) return false;
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        else
            Sleep(5);
    }
}

std::vector<uint8_t> MinimalMidiFile()
{
    const uint8_t track[] = {0x00, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00};
    std::vector<uint8_t> bytes = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,
                                  'M', 'T', 'r', 'k', 0, 0, 0, sizeof track};
    bytes.insert(bytes.end(), track, track + sizeof track);
    return bytes;
}

std::vector<uint8_t> MinimalWaveFile()
{
    const uint32_t rate = 8000, samples = 800;
    auto put32 = [](std::vector<uint8_t>& out, uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto put16 = [](std::vector<uint8_t>& out, uint16_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    };
    std::vector<uint8_t> bytes = {'R', 'I', 'F', 'F'};
    put32(bytes, 36 + samples);
    for (char c : std::string("WAVEfmt ")) bytes.push_back(static_cast<uint8_t>(c));
    put32(bytes, 16);
    put16(bytes, WAVE_FORMAT_PCM);
    put16(bytes, 1);      // mono
    put32(bytes, rate);
    put32(bytes, rate);   // bytes a second
    put16(bytes, 1);      // block align
    put16(bytes, 8);      // bits a sample
    for (char c : std::string("data")) bytes.push_back(static_cast<uint8_t>(c));
    put32(bytes, samples);
    for (uint32_t i = 0; i < samples; ++i) bytes.push_back((i / 10) % 2 ? 0xC0 : 0x40);  // 400 Hz
    return bytes;
}
