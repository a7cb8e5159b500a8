// Sound output: the MCI commands sent for wave and MIDI files, repeats, stop
// codes, pause and resume, device failures, the plain sndPlaySound road, file
// lookup and detection, and the real multimedia calls on a machine without a
// sound device.
#include "FakeMciDevices.h"
#include "MciSeam.h"
#include "SoundOutput.h"
#include "UiSeam.h"
#include "TestFiles.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// ---- the window that receives MM_MCINOTIFY ----

// Hands every MM_MCINOTIFY to HandleMciNotify, as the sound dialog and the
// animation window do, and keeps the results.
LRESULT CALLBACK NotifyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == MM_MCINOTIFY) {
        auto* results = reinterpret_cast<std::vector<uint32_t>*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        uint32_t result = HandleMciNotify(window, static_cast<UINT>(wParam), static_cast<MCIDEVICEID>(lParam), true);
        if (results) results->push_back(result);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateNotifyWindow(std::vector<uint32_t>* results)
{
    static ATOM atom = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = NotifyWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "SoundTestNotify";
        return RegisterClassA(&wc);
    }();
    if (!atom) return nullptr;
    HWND window = CreateWindowA("SoundTestNotify", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(results));
    return window;
}

// ---- fixture files ----

std::vector<uint8_t> Bytes(const char* text) { return std::vector<uint8_t>(text, text + strlen(text)); }

std::string MciErrorText(MCIERROR error)
{
    char text[201] = "";
    mciGetErrorStringA(error, text, sizeof text);
    return text;
}

bool IsOpen(uint32_t kind) { return MciSlotForKind(kind)->deviceId != 0; }

using Calls = std::vector<std::string>;

// A scratch folder made current, holding the wave file made by sox at build
// time ("tone.wav") and a MIDI file ("tune.mid"); the recording devices
// installed and a notify window made.
class SoundTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GetCurrentDirectoryA(MAX_PATH, startFolder_);
        const std::string sourceWave = std::string(startFolder_) + "\\tone.wav";
        ASSERT_TRUE(CopyFileA(sourceWave.c_str(), scratch_.File("tone.wav").c_str(), FALSE))
            << "the build makes " << sourceWave << " with sox";
        ASSERT_TRUE(WriteWholeFile(scratch_.File("tune.mid"), MinimalMidiFile()));
        ASSERT_TRUE(SetCurrentDirectoryA(scratch_.Path().c_str()));
        window_ = CreateNotifyWindow(&notifies_);
        ASSERT_NE(window_, nullptr);
        devices_.SetWindow(window_);
        InstallMciSeam(&devices_.Seam());
        InstallUiSeam(&devices_.Ui());
    }
    void TearDown() override
    {
        StopSound(nullptr, ANIM_SOUND_ALL, false);
        InstallMciSeam(nullptr);
        InstallUiSeam(nullptr);
        if (window_) DestroyWindow(window_);
        SetCurrentDirectoryA(startFolder_);
    }

    // Starts a sound that must play; the commands it sent are dropped.
    MCIDEVICEID Start(const char* name, uint16_t flags, int repeat = 1)
    {
        const uint32_t kind = flags & ANIM_SOUND_ALL;
        EXPECT_EQ(PlaySoundFile(window_, name, &flags, repeat, true), kind);
        devices_.calls.clear();
        return MciSlotForKind(kind)->deviceId;
    }

    ScratchDir scratch_;
    char startFolder_[MAX_PATH] = "";
    FakeDevices devices_;
    std::vector<uint32_t> notifies_;
    HWND window_ = nullptr;
};

// ---- detection and lookup ----

TEST_F(SoundTest, DetectsTheKindFromTheFirstFourBytes)
{
    WriteWholeFile("notes.txt", Bytes("hello, not a sound"));
    WriteWholeFile("short.wav", Bytes("RIF"));
    WriteWholeFile("empty.mid", {});
    WriteWholeFile("riffle.wav", Bytes("riff lower case"));
    const struct { const char* file; uint32_t kind; } cases[] = {
        {"tone.wav", ANIM_SOUND_WAVE}, {"tune.mid", ANIM_SOUND_MIDI}, {"notes.txt", 0},
        {"short.wav", 0}, {"empty.mid", 0}, {"riffle.wav", 0}, {"missing.wav", 0}, {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(DetectSoundType(c.file), c.kind) << c.file;
}

TEST_F(SoundTest, FindSoundFileTriesTheBareNameInTheCurrentFolderFirst)
{
    ASSERT_TRUE(CreateDirectoryA("sub", nullptr));
    WriteWholeFile("sub\\a.wav", Bytes("RIFF in sub"));
    WriteWholeFile("sub\\b.wav", Bytes("RIFF in sub"));
    WriteWholeFile("a.wav", Bytes("RIFF here"));
    WriteWholeFile("c.wav", Bytes("RIFF here"));
    const std::string absoluteB = scratch_.File("sub\\b.wav");
    const std::string elsewhereA = "C:\\nowhere\\at\\all\\a.wav";
    const struct { const char* name; const char* found; } cases[] = {
        {"sub\\a.wav", "a.wav"},            // the bare name wins over the stored folder
        {elsewhereA.c_str(), "a.wav"},      // even when the stored folder does not exist
        {"sub\\b.wav", "sub\\b.wav"},       // no bare file: the name as stored
        {absoluteB.c_str(), absoluteB.c_str()},
        {"c.wav", "c.wav"},
        {"sub\\x.wav", nullptr},
        {"sub\\", nullptr},
        {"sub", nullptr},                   // a folder is no sound file
        {"", nullptr},
    };
    for (const auto& c : cases) {
        const char* found = FindSoundFile(c.name);
        if (!c.found) {
            EXPECT_EQ(found, nullptr) << c.name;
            continue;
        }
        ASSERT_NE(found, nullptr) << c.name;
        EXPECT_STREQ(found, c.found) << c.name;
        EXPECT_TRUE(found >= c.name && found < c.name + strlen(c.name)) << "points into the name";
    }
    EXPECT_EQ(FindSoundFile(nullptr), nullptr);
}

TEST_F(SoundTest, NamesAreLookedUpAsStoredWithoutCodePageConversion)
{
    const char* name = "T\xF6ne \xE9t\xE9.wav";  // ANSI: "Töne été.wav"
    ASSERT_TRUE(WriteWholeFile(name, Bytes("RIFF")));
    const std::string inFolder = std::string("sounds\\") + name;
    EXPECT_STREQ(FindSoundFile(name), name);
    EXPECT_STREQ(FindSoundFile(inFolder.c_str()), name);
    uint16_t flags = ANIM_SOUND_DETECT | SND_ASYNC;
    EXPECT_EQ(PlaySoundFile(window_, inFolder.c_str(), &flags, 1, false), ANIM_SOUND_WAVE);
    EXPECT_EQ(devices_.calls, Calls({std::string("OPEN wave ") + name, "PLAY 7 notify@W"}));
}

// ---- playing through MCI ----

TEST_F(SoundTest, WaveOpensTheWaveDeviceAndPlaysWithNotification)
{
    uint16_t flags = ANIM_SOUND_DETECT | SND_MEMORY | SND_ASYNC;
    EXPECT_EQ(PlaySoundFile(window_, "sounds\\tone.wav", &flags, 1, true), ANIM_SOUND_WAVE);
    EXPECT_EQ(flags, ANIM_SOUND_WAVE | SND_ASYNC) << "kind stored, memory bit cleared";
    EXPECT_EQ(devices_.TakeCalls(), Calls({"OPEN wave tone.wav", "PLAY 7 notify@W"}));

    const MciSoundSlot& slot = *MciSlotForKind(ANIM_SOUND_WAVE);
    EXPECT_EQ(slot.deviceId, 7u);
    EXPECT_STREQ(slot.fileName, "tone.wav");
    EXPECT_EQ(slot.flags, flags);
    EXPECT_EQ(slot.paused, 0u);
    EXPECT_EQ(slot.notifyWindow, window_);
    EXPECT_FALSE(IsOpen(ANIM_SOUND_MIDI));

    // The device reports the end: a sound without SND_LOOP closes it.
    PostMessageA(window_, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 7);
    ASSERT_TRUE(PumpUntil([&] { return !notifies_.empty(); }));
    EXPECT_EQ(notifies_, std::vector<uint32_t>({ANIM_SOUND_WAVE | 1}));
    EXPECT_EQ(devices_.calls, Calls({"CLOSE 7"}));
    EXPECT_FALSE(IsOpen(ANIM_SOUND_WAVE));
}

TEST_F(SoundTest, LoopingMidiIsDetectedOnceAndPlaysItsRepeatCount)
{
    devices_.NotifyAtEndOfPlay(true);
    uint16_t flags = ANIM_SOUND_DETECT | SND_LOOP;
    EXPECT_EQ(PlaySoundFile(window_, "tune.mid", &flags, 3, true), ANIM_SOUND_MIDI);
    EXPECT_EQ(flags, ANIM_SOUND_MIDI | SND_LOOP);
    ASSERT_TRUE(PumpUntil([] { return !IsOpen(ANIM_SOUND_MIDI); }));
    EXPECT_EQ(devices_.calls, Calls({"OPEN midi tune.mid", "PLAY 7 notify@W", "PLAY 7 from 0 notify@W",
                                     "PLAY 7 from 0 notify@W", "CLOSE 7"}));
    EXPECT_EQ(notifies_, std::vector<uint32_t>({ANIM_SOUND_MIDI, ANIM_SOUND_MIDI, ANIM_SOUND_MIDI | 1}));
    EXPECT_TRUE(devices_.boxes.empty());
}

TEST_F(SoundTest, RepeatCountsOfLoopingAndPlainSounds)
{
    const int endless = -1;
    const struct { uint16_t flags; int repeat; int plays; } cases[] = {
        {ANIM_SOUND_MIDI | SND_LOOP, 1, 1},
        {ANIM_SOUND_MIDI | SND_LOOP, 2, 2},
        {ANIM_SOUND_WAVE | SND_LOOP, 4, 4},
        {ANIM_SOUND_MIDI, 3, 1},                   // no loop bit: the count is not used
        {ANIM_SOUND_MIDI | SND_LOOP, 0, endless},
        {ANIM_SOUND_WAVE | SND_LOOP, 0xFFFF, endless},  // the stored u16 read as -1
    };
    devices_.NotifyAtEndOfPlay(true);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags 0x" << std::hex << c.flags << std::dec << " repeat " << c.repeat);
        const uint32_t kind = c.flags & ANIM_SOUND_ALL;
        devices_.calls.clear();
        uint16_t flags = c.flags;
        ASSERT_EQ(PlaySoundFile(window_, kind == ANIM_SOUND_MIDI ? "tune.mid" : "tone.wav", &flags, c.repeat, true), kind);
        if (c.plays == endless) {
            ASSERT_TRUE(PumpUntil([&] { return devices_.CountCalls("PLAY") >= 6; }));
            EXPECT_TRUE(IsOpen(kind));
            EXPECT_EQ(StopSound(window_, kind, true), kind);
            EXPECT_FALSE(IsOpen(kind));
            // The notification of the last play arrives after the stop and
            // belongs to no slot any more.
            notifies_.clear();
            PumpUntil([&] { return !notifies_.empty(); }, 300);
            EXPECT_EQ(notifies_, std::vector<uint32_t>({0}));
        } else {
            ASSERT_TRUE(PumpUntil([&] { return !IsOpen(kind); }));
            EXPECT_EQ(devices_.CountCalls("PLAY"), c.plays);
            EXPECT_EQ(devices_.calls.back().rfind("CLOSE", 0), 0u);
        }
    }
}

TEST_F(SoundTest, ANewSoundReplacesTheOpenDeviceUnlessNoStopIsSet)
{
    Start("tune.mid", ANIM_SOUND_MIDI | SND_ASYNC);
    uint16_t lowPriority = ANIM_SOUND_MIDI | SND_ASYNC | SND_NOSTOP;
    EXPECT_EQ(PlaySoundFile(window_, "tune.mid", &lowPriority, 1, true), 0u);
    EXPECT_TRUE(devices_.calls.empty());
    EXPECT_EQ(MciSlotForKind(ANIM_SOUND_MIDI)->deviceId, 7u);

    uint16_t normal = ANIM_SOUND_MIDI | SND_ASYNC;
    EXPECT_EQ(PlaySoundFile(window_, "tune.mid", &normal, 1, true), ANIM_SOUND_MIDI);
    EXPECT_EQ(devices_.TakeCalls(), Calls({"CLOSE 7", "OPEN midi tune.mid", "PLAY 8 notify@W"}));

    // A wave does not touch the MIDI device.
    uint16_t wave = ANIM_SOUND_WAVE | SND_NOSTOP;
    EXPECT_EQ(PlaySoundFile(window_, "tone.wav", &wave, 1, true), ANIM_SOUND_WAVE);
    EXPECT_EQ(devices_.calls, Calls({"OPEN wave tone.wav", "PLAY 9 notify@W"}));
    EXPECT_EQ(MciSlotForKind(ANIM_SOUND_MIDI)->deviceId, 8u);
}

TEST_F(SoundTest, NoNameStopsTheKindsOfTheWord)
{
    Start("tune.mid", ANIM_SOUND_MIDI);
    Start("tone.wav", ANIM_SOUND_WAVE);
    uint16_t flags = ANIM_SOUND_MIDI;
    EXPECT_EQ(PlaySoundFile(window_, nullptr, &flags, 1, true), ANIM_SOUND_MIDI);
    EXPECT_EQ(devices_.calls, Calls({"STOP 7", "CLOSE 7"}));
    EXPECT_TRUE(IsOpen(ANIM_SOUND_WAVE));
}

TEST_F(SoundTest, AMissingFilePlaysNothingAndKeepsItsWord)
{
    uint16_t flags = ANIM_SOUND_DETECT | SND_ASYNC;
    EXPECT_EQ(PlaySoundFile(window_, "sounds\\gone.wav", &flags, 1, true), 0u);
    EXPECT_EQ(flags, ANIM_SOUND_DETECT | SND_ASYNC);
    EXPECT_TRUE(devices_.calls.empty());
    EXPECT_TRUE(devices_.boxes.empty());
}

TEST_F(SoundTest, ADeviceNameIsAMissingSoundAndReachesNoDevice)
{
    for (const char* name : {"AUX.wav", "aux.wav", "CON.n.wav", "nul.mid", "COM1.wav", "LPT1", "CONOUT$.wav",
                             "AUX. ", "aux ", "sounds\\PRN.wav", "\\\\.\\AUX", "to\x02ne.wav"}) {
        for (uint16_t word : {uint16_t(ANIM_SOUND_DETECT | SND_ASYNC), uint16_t(ANIM_SOUND_WAVE), uint16_t(SND_ASYNC)}) {
            uint16_t flags = word;
            uint32_t played = 1;
            EXPECT_TRUE(FinishesWithin(1000, [&] {
                EXPECT_EQ(FindSoundFile(name), nullptr) << name;
                played = PlaySoundFile(window_, name, &flags, 1, true);
            })) << name;
            EXPECT_EQ(played, 0u) << name;
            EXPECT_EQ(flags, word) << name;
        }
    }
    EXPECT_TRUE(devices_.calls.empty()) << "neither MCI nor the simple sound call saw a device name";
    EXPECT_TRUE(devices_.boxes.empty());
}

TEST_F(SoundTest, OtherKindBitsPlayNothing)
{
    for (uint16_t kinds : {0x3000, 0x4000, 0x7000}) {
        uint16_t flags = kinds | SND_ASYNC;
        EXPECT_EQ(PlaySoundFile(window_, "tone.wav", &flags, 1, true), 0u) << kinds;
    }
    EXPECT_TRUE(devices_.calls.empty());
}

// ---- the plain sndPlaySound road ----

TEST_F(SoundTest, PlainSoundFlagsForSndPlaySound)
{
    const struct { uint16_t word; UINT passed; } cases[] = {
        {0x0000, SND_NODEFAULT},
        {SND_ASYNC, SND_ASYNC | SND_NODEFAULT},
        {SND_ASYNC | SND_MEMORY, SND_ASYNC | SND_NODEFAULT},   // a name is never memory
        {SND_LOOP, SND_LOOP | SND_ASYNC | SND_NODEFAULT},      // a loop must not block the thread
        {SND_LOOP | SND_NOSTOP | SND_ASYNC, SND_LOOP | SND_NOSTOP | SND_ASYNC | SND_NODEFAULT},
        {0x0F01, 0x0F01 | SND_NODEFAULT},
    };
    for (const auto& c : cases) {
        uint16_t flags = c.word;
        EXPECT_EQ(PlaySoundFile(window_, "tone.wav", &flags, 1, true), ANIM_SOUND_WAVE);
        char expected[64];
        snprintf(expected, sizeof expected, "PLAIN tone.wav 0x%x", c.passed);
        EXPECT_EQ(devices_.TakeCalls(), Calls({expected})) << "word 0x" << std::hex << c.word;
    }
}

TEST_F(SoundTest, AnUnknownFileIsDetectedAsNoKindAndPlayedPlainly)
{
    WriteWholeFile("notes.txt", Bytes("no sound in here"));
    uint16_t flags = ANIM_SOUND_DETECT | SND_LOOP | SND_ASYNC;
    EXPECT_EQ(PlaySoundFile(window_, "notes.txt", &flags, 1, true), ANIM_SOUND_WAVE);
    EXPECT_EQ(flags, SND_LOOP | SND_ASYNC);
    EXPECT_EQ(devices_.TakeCalls(), Calls({"PLAIN notes.txt 0xb"}));

    // The plain road reports a wave whatever sndPlaySound answers (it
    // succeeds without a device anyway), and shows nothing.
    devices_.PlainResult(FALSE);
    EXPECT_EQ(PlaySoundFile(window_, "notes.txt", &flags, 1, true), ANIM_SOUND_WAVE);
    EXPECT_TRUE(devices_.boxes.empty());
}

TEST_F(SoundTest, APlainSoundStopsTheMciWaveUnlessNoStopIsSet)
{
    Start("tone.wav", ANIM_SOUND_WAVE | SND_ASYNC);
    uint16_t lowPriority = SND_ASYNC | SND_NOSTOP;
    EXPECT_EQ(PlaySoundFile(window_, "tone.wav", &lowPriority, 1, true), 0u);
    EXPECT_TRUE(devices_.calls.empty());
    EXPECT_TRUE(IsOpen(ANIM_SOUND_WAVE));

    uint16_t plain = SND_ASYNC;
    EXPECT_EQ(PlaySoundFile(window_, "tone.wav", &plain, 1, true), ANIM_SOUND_WAVE);
    EXPECT_EQ(devices_.calls, Calls({"STOP 7", "CLOSE 7", "PLAIN tone.wav 0x3"}));
    EXPECT_FALSE(IsOpen(ANIM_SOUND_WAVE));

    // A playing MIDI sound does not hold a plain wave back.
    Start("tune.mid", ANIM_SOUND_MIDI);
    uint16_t again = SND_ASYNC | SND_NOSTOP;
    EXPECT_EQ(PlaySoundFile(window_, "tone.wav", &again, 1, true), ANIM_SOUND_WAVE);
    EXPECT_EQ(devices_.calls, Calls({"PLAIN tone.wav 0x13"}));
}

// ---- stopping ----

TEST_F(SoundTest, StopCodesOfAStepSoundIndex)
{
    const struct { uint8_t index; uint32_t kinds; } cases[] = {
        {0x40, ANIM_SOUND_WAVE}, {0x45, ANIM_SOUND_WAVE}, {0x5F, ANIM_SOUND_WAVE},
        {0x80, ANIM_SOUND_MIDI}, {0x85, ANIM_SOUND_MIDI}, {0x9F, ANIM_SOUND_MIDI},
        {0x25, ANIM_SOUND_ALL}, {0x3F, ANIM_SOUND_ALL}, {0x60, ANIM_SOUND_ALL},
        {0x7F, ANIM_SOUND_ALL}, {0xA0, ANIM_SOUND_ALL}, {0xE0, ANIM_SOUND_ALL}, {0xFF, ANIM_SOUND_ALL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "sound index 0x" << std::hex << int(c.index));
        EXPECT_EQ(StopKindsForSoundIndex(c.index), c.kinds);
        const MCIDEVICEID wave = Start("tone.wav", ANIM_SOUND_WAVE);
        const MCIDEVICEID midi = Start("tune.mid", ANIM_SOUND_MIDI);
        EXPECT_EQ(StopSound(window_, StopKindsForSoundIndex(c.index), true), c.kinds);

        Calls expected;
        auto stopped = [&](MCIDEVICEID id) {
            expected.push_back("STOP " + std::to_string(id));
            expected.push_back("CLOSE " + std::to_string(id));
        };
        if (c.kinds & ANIM_SOUND_WAVE) stopped(wave);
        if (c.kinds & ANIM_SOUND_MIDI) stopped(midi);
        if (c.kinds & ANIM_SOUND_WAVE) expected.push_back("PLAIN stop");
        EXPECT_EQ(devices_.TakeCalls(), expected);
        EXPECT_EQ(IsOpen(ANIM_SOUND_WAVE), !(c.kinds & ANIM_SOUND_WAVE));
        EXPECT_EQ(IsOpen(ANIM_SOUND_MIDI), !(c.kinds & ANIM_SOUND_MIDI));
        StopSound(window_, ANIM_SOUND_ALL, false);
    }
}

TEST_F(SoundTest, StoppingWithoutOpenDevices)
{
    EXPECT_EQ(StopSound(window_, 0, true), 0u);
    EXPECT_EQ(devices_.TakeCalls(), Calls({"PLAIN stop"})) << "no kind bits stop the plain sound";
    EXPECT_EQ(StopSound(window_, ANIM_SOUND_MIDI, true), ANIM_SOUND_MIDI);
    EXPECT_TRUE(devices_.calls.empty()) << "MIDI leaves the plain sound alone";
}

// ---- pause and resume ----

TEST_F(SoundTest, PauseAndResumeTheOpenDevices)
{
    const MCIDEVICEID wave = Start("tone.wav", ANIM_SOUND_WAVE);
    const MCIDEVICEID midi = Start("tune.mid", ANIM_SOUND_MIDI);
    const std::string w = std::to_string(wave), m = std::to_string(midi);

    EXPECT_EQ(PauseSound(ANIM_SOUND_ALL, true), uint32_t(ANIM_SOUND_WAVE | ANIM_SOUND_MIDI));
    EXPECT_EQ(devices_.TakeCalls(), Calls({"PAUSE " + w, "PAUSE " + m, "PLAIN stop"}));
    EXPECT_EQ(PauseSound(ANIM_SOUND_ALL, true), 0u) << "already paused";
    EXPECT_EQ(devices_.TakeCalls(), Calls({"PLAIN stop"}));

    EXPECT_EQ(PauseSound(ANIM_SOUND_MIDI, false), uint32_t(ANIM_SOUND_MIDI));
    EXPECT_EQ(devices_.TakeCalls(), Calls({"RESUME " + m}));
    EXPECT_EQ(MciSlotForKind(ANIM_SOUND_MIDI)->paused, 0u);
    EXPECT_EQ(MciSlotForKind(ANIM_SOUND_WAVE)->paused, 1u);

    // A device that cannot resume plays on from where it stands.
    devices_.FailNext(MCI_RESUME, MCIERR_UNSUPPORTED_FUNCTION);
    EXPECT_EQ(PauseSound(ANIM_SOUND_WAVE, false), uint32_t(ANIM_SOUND_WAVE));
    EXPECT_EQ(devices_.TakeCalls(), Calls({"RESUME " + w, "PLAY " + w + " notify@W"}));

    // Pausing MIDI alone leaves a plain sound playing.
    EXPECT_EQ(PauseSound(ANIM_SOUND_MIDI, true), uint32_t(ANIM_SOUND_MIDI));
    EXPECT_EQ(devices_.TakeCalls(), Calls({"PAUSE " + m}));

    // Neither resume nor play works: the device is closed, not left paused.
    devices_.FailNext(MCI_RESUME, MCIERR_UNSUPPORTED_FUNCTION);
    devices_.FailNext(MCI_PLAY, MCIERR_HARDWARE);
    EXPECT_EQ(PauseSound(ANIM_SOUND_MIDI, false), 0u);
    EXPECT_EQ(devices_.TakeCalls(), Calls({"RESUME " + m, "PLAY " + m + " notify@W", "CLOSE " + m}));
    EXPECT_FALSE(IsOpen(ANIM_SOUND_MIDI));
}

TEST_F(SoundTest, APausedLoopCountsItsEndButWaitsForResume)
{
    const MCIDEVICEID midi = Start("tune.mid", ANIM_SOUND_MIDI | SND_LOOP, 3);
    PauseSound(ANIM_SOUND_MIDI, true);
    devices_.calls.clear();
    EXPECT_EQ(HandleMciNotify(window_, MCI_NOTIFY_SUCCESSFUL, midi, true), uint32_t(ANIM_SOUND_MIDI));
    EXPECT_TRUE(devices_.calls.empty());
    EXPECT_EQ(MciSlotForKind(ANIM_SOUND_MIDI)->repeatCount, 2);

    devices_.FailNext(MCI_RESUME, MCIERR_NONAPPLICABLE_FUNCTION);
    EXPECT_EQ(PauseSound(ANIM_SOUND_MIDI, false), uint32_t(ANIM_SOUND_MIDI));
    EXPECT_EQ(devices_.TakeCalls(), Calls({"RESUME 7", "PLAY 7 notify@W"}));
}

// ---- device failures ----

TEST_F(SoundTest, AFailedOpenOrPlayShowsItsErrorAndLeavesTheSlotFree)
{
    const struct {
        const char* file; uint16_t flags; UINT failing; MCIERROR error; bool show;
        Calls calls; const char* caption;
    } cases[] = {
        {"tone.wav", ANIM_SOUND_WAVE, MCI_OPEN, MCIERR_DEVICE_NOT_READY, true,
         {"OPEN wave tone.wav"}, "Wave-Audio Play"},
        {"tune.mid", ANIM_SOUND_MIDI, MCI_PLAY, MCIERR_HARDWARE, true,
         {"OPEN midi tune.mid", "PLAY 7 notify@W", "CLOSE 7"}, "Midi-Sequencer Play"},
        {"tone.wav", ANIM_SOUND_WAVE, MCI_PLAY, MCIERR_HARDWARE, false,
         {"OPEN wave tone.wav", "PLAY 8 notify@W", "CLOSE 8"}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const uint32_t kind = c.flags & ANIM_SOUND_ALL;
        devices_.FailNext(c.failing, c.error);
        uint16_t flags = c.flags;
        EXPECT_EQ(PlaySoundFile(window_, c.file, &flags, 1, c.show), 0u);
        EXPECT_EQ(devices_.TakeCalls(), c.calls);
        EXPECT_FALSE(IsOpen(kind));
        if (c.caption) {
            ASSERT_EQ(devices_.boxes.size(), 1u);
            EXPECT_EQ(devices_.boxes[0].caption, c.caption);
            EXPECT_EQ(devices_.boxes[0].text, MciErrorText(c.error));
            EXPECT_FALSE(devices_.boxes[0].text.empty());
            EXPECT_EQ(devices_.boxes[0].owner, window_);
            EXPECT_EQ(devices_.boxes[0].type, UINT(MB_OK));
        } else {
            EXPECT_TRUE(devices_.boxes.empty());
        }
        devices_.boxes.clear();
    }
    // The slots are free: the next sounds play.
    uint16_t wave = ANIM_SOUND_WAVE;
    EXPECT_EQ(PlaySoundFile(window_, "tone.wav", &wave, 1, true), ANIM_SOUND_WAVE);
    uint16_t midi = ANIM_SOUND_MIDI;
    EXPECT_EQ(PlaySoundFile(window_, "tune.mid", &midi, 1, true), ANIM_SOUND_MIDI);
}

TEST_F(SoundTest, AFailureNotificationClosesTheDevice)
{
    const MCIDEVICEID wave = Start("tone.wav", ANIM_SOUND_WAVE | SND_LOOP, 0);
    EXPECT_EQ(HandleMciNotify(window_, MCI_NOTIFY_SUPERSEDED, wave, true), uint32_t(ANIM_SOUND_WAVE));
    EXPECT_EQ(HandleMciNotify(window_, MCI_NOTIFY_ABORTED, wave, true), uint32_t(ANIM_SOUND_WAVE));
    EXPECT_TRUE(devices_.calls.empty());
    EXPECT_EQ(HandleMciNotify(window_, MCI_NOTIFY_FAILURE, wave, true), uint32_t(ANIM_SOUND_WAVE | 1));
    EXPECT_EQ(devices_.TakeCalls(), Calls({"CLOSE " + std::to_string(wave)}));
    EXPECT_FALSE(IsOpen(ANIM_SOUND_WAVE));
    EXPECT_EQ(HandleMciNotify(window_, MCI_NOTIFY_SUCCESSFUL, wave, true), 0u) << "no slot holds it now";
    EXPECT_EQ(HandleMciNotify(window_, MCI_NOTIFY_SUCCESSFUL, 0, true), 0u);
    EXPECT_TRUE(devices_.calls.empty());
    EXPECT_TRUE(devices_.boxes.empty());
}

TEST_F(SoundTest, CloseErrorsAreShownAndStillFreeTheSlots)
{
    // A looping wave whose replay fails is closed, with the error of step 2.
    const MCIDEVICEID wave = Start("tone.wav", ANIM_SOUND_WAVE | SND_LOOP, 0);
    devices_.FailNext(MCI_PLAY, MCIERR_HARDWARE);
    EXPECT_EQ(HandleMciNotify(window_, MCI_NOTIFY_SUCCESSFUL, wave, true), uint32_t(ANIM_SOUND_WAVE | 1));
    EXPECT_EQ(devices_.TakeCalls(), Calls({"PLAY 7 from 0 notify@W", "CLOSE 7"}));
    ASSERT_EQ(devices_.boxes.size(), 1u);
    EXPECT_EQ(devices_.boxes[0].caption, "Wave-Audio Close");
    devices_.boxes.clear();

    // Stopping both: the wave device fails to close, the MIDI device is still
    // stopped, both slots end free and the result tells of the failure.
    Start("tone.wav", ANIM_SOUND_WAVE);
    Start("tune.mid", ANIM_SOUND_MIDI);
    devices_.FailNext(MCI_CLOSE, MCIERR_DEVICE_NOT_READY);
    EXPECT_EQ(StopSound(window_, ANIM_SOUND_ALL, true), 0u);
    EXPECT_EQ(devices_.TakeCalls(), Calls({"STOP 8", "CLOSE 8", "STOP 9", "CLOSE 9", "PLAIN stop"}));
    ASSERT_EQ(devices_.boxes.size(), 1u);
    EXPECT_EQ(devices_.boxes[0].caption, "Wave-Audio Close");
    EXPECT_EQ(devices_.boxes[0].text, MciErrorText(MCIERR_DEVICE_NOT_READY));
    EXPECT_FALSE(IsOpen(ANIM_SOUND_WAVE));
    EXPECT_FALSE(IsOpen(ANIM_SOUND_MIDI));

    // Replacing a MIDI sound whose device will not close: the error is shown,
    // nothing plays, and the slot is free for the next sound.
    devices_.boxes.clear();
    Start("tune.mid", ANIM_SOUND_MIDI);
    devices_.FailNext(MCI_CLOSE, MCIERR_DEVICE_NOT_READY);
    uint16_t midi = ANIM_SOUND_MIDI;
    EXPECT_EQ(PlaySoundFile(window_, "tune.mid", &midi, 1, true), 0u);
    ASSERT_EQ(devices_.boxes.size(), 1u);
    EXPECT_EQ(devices_.boxes[0].caption, "Midi-Sequencer Play");
    EXPECT_FALSE(IsOpen(ANIM_SOUND_MIDI));
    EXPECT_EQ(PlaySoundFile(window_, "tune.mid", &midi, 1, true), ANIM_SOUND_MIDI);
}

TEST_F(SoundTest, ShowSoundErrorCaptions)
{
    const struct { uint32_t kindAndStep; const char* caption; } cases[] = {
        {ANIM_SOUND_WAVE | SOUND_STEP_PLAY, "Wave-Audio Play"},
        {ANIM_SOUND_WAVE | SOUND_STEP_CLOSE, "Wave-Audio Close"},
        {ANIM_SOUND_MIDI | SOUND_STEP_PLAY, "Midi-Sequencer Play"},
        {ANIM_SOUND_MIDI | SOUND_STEP_CLOSE, "Midi-Sequencer Close"},
    };
    for (const auto& c : cases) {
        devices_.boxes.clear();
        EXPECT_EQ(ShowSoundError(window_, c.kindAndStep, MCIERR_FILE_NOT_FOUND, false), 0u);
        EXPECT_TRUE(devices_.boxes.empty());
        EXPECT_EQ(ShowSoundError(window_, c.kindAndStep, MCIERR_FILE_NOT_FOUND, true), 0u);
        ASSERT_EQ(devices_.boxes.size(), 1u);
        EXPECT_EQ(devices_.boxes[0].caption, c.caption);
        EXPECT_EQ(devices_.boxes[0].text, MciErrorText(MCIERR_FILE_NOT_FOUND));
        EXPECT_LE(devices_.boxes[0].text.size(), 200u);
    }
}

// ---- the real multimedia calls ----

// The real WINMM calls with only the error box recorded. A machine without a
// sound device either refuses at once (an error box and no sound) or accepts
// the play and reports the failure later by MM_MCINOTIFY; a machine with one
// plays to the end. In every case the device is closed afterwards and the
// caller goes on.
class RealSoundTest : public SoundTest {
protected:
    void SetUp() override
    {
        SoundTest::SetUp();
        InstallMciSeam(nullptr);  // the real devices; only the error box is recorded
    }
    // Plays the file for real; returns what PlaySoundFile gave.
    uint32_t PlayForReal(const char* file, uint16_t flags, uint32_t kind, const char* caption)
    {
        const uint32_t result = PlaySoundFile(window_, file, &flags, 1, true);
        EXPECT_EQ(flags & ANIM_SOUND_ALL, kind) << "detected";
        if (result == 0) {
            EXPECT_FALSE(IsOpen(kind));
            EXPECT_EQ(devices_.boxes.size(), 1u);
            if (!devices_.boxes.empty()) {
                EXPECT_EQ(devices_.boxes[0].caption, caption);
                EXPECT_FALSE(devices_.boxes[0].text.empty());
            }
        } else {
            EXPECT_EQ(result, kind);
            EXPECT_TRUE(devices_.boxes.empty());
        }
        return result;
    }
};

TEST_F(RealSoundTest, AWaveWithoutADeviceEndsWithItsDeviceClosed)
{
    if (PlayForReal("tone.wav", ANIM_SOUND_DETECT | SND_ASYNC, ANIM_SOUND_WAVE, "Wave-Audio Play")) {
        // A 0.2 s tone: it ends, or the device reports that it cannot play it.
        EXPECT_TRUE(PumpUntil([] { return !IsOpen(ANIM_SOUND_WAVE); }, 10000));
        ASSERT_FALSE(notifies_.empty());
        EXPECT_EQ(notifies_.back(), uint32_t(ANIM_SOUND_WAVE | 1));
    }
    EXPECT_FALSE(IsOpen(ANIM_SOUND_WAVE));
}

TEST_F(RealSoundTest, AMidiFileWithoutASequencerIsStoppedCleanly)
{
    if (PlayForReal("tune.mid", ANIM_SOUND_DETECT | SND_ASYNC, ANIM_SOUND_MIDI, "Midi-Sequencer Play")) {
        EXPECT_EQ(PauseSound(ANIM_SOUND_MIDI, true), uint32_t(ANIM_SOUND_MIDI));
        EXPECT_EQ(PauseSound(ANIM_SOUND_MIDI, false), uint32_t(ANIM_SOUND_MIDI));
        EXPECT_EQ(StopSound(window_, ANIM_SOUND_ALL, true), uint32_t(ANIM_SOUND_ALL));
        EXPECT_FALSE(IsOpen(ANIM_SOUND_MIDI));
        EXPECT_TRUE(devices_.boxes.empty());
        // Whatever the device still reports belongs to no slot.
        notifies_.clear();
        PumpUntil([&] { return !notifies_.empty(); }, 300);
        for (uint32_t result : notifies_) EXPECT_EQ(result, 0u);
    }
    EXPECT_FALSE(IsOpen(ANIM_SOUND_MIDI));
}

TEST_F(RealSoundTest, AFileTheDeviceCannotReadShowsTheSystemsError)
{
    std::vector<uint8_t> broken = Bytes("RIFF");
    AppendBytes(broken, uint32_t(40));
    const std::vector<uint8_t> rest = Bytes("WAVEjunk that is no wave at all");
    broken.insert(broken.end(), rest.begin(), rest.end());
    ASSERT_TRUE(WriteWholeFile("broken.wav", broken));
    uint16_t flags = ANIM_SOUND_DETECT | SND_ASYNC;
    EXPECT_EQ(PlaySoundFile(window_, "broken.wav", &flags, 1, true), 0u);
    EXPECT_EQ(flags, ANIM_SOUND_WAVE | SND_ASYNC);
    ASSERT_EQ(devices_.boxes.size(), 1u);
    EXPECT_EQ(devices_.boxes[0].caption, "Wave-Audio Play");
    EXPECT_FALSE(devices_.boxes[0].text.empty());
    EXPECT_FALSE(IsOpen(ANIM_SOUND_WAVE));
}

}  // namespace
