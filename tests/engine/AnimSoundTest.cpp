// The engine's sound: the requests posted after a step and their stop codes,
// the MCI commands the animation window sends for wave and MIDI files, kind
// detection stored only into the animation's own records, loops repeated on
// MM_MCINOTIFY, pause and resume with the window, two windows sharing the two
// devices, and device failures that leave no device behind.
#include "WindowFixtures.h"
#include "FakeMciDevices.h"
#include <gtest/gtest.h>
#include <cstring>

namespace {

using Calls = std::vector<std::string>;

// The sounds of the test animation, 1-based as the steps name them.
enum : uint8_t {
    kWaveDetect = 1,   // "sounds\tone.wav", kind still to detect
    kMidi = 2,         // "tune.mid", MIDI, looping
    kUnknownLoop = 3,  // "notes.txt", kind to detect, looping, played synchronously as stored
    kWaveLoop = 4,     // "tone.wav", wave, looping
    kMidiNoStop = 5,   // "tune.mid", MIDI, must not interrupt a playing MIDI sound
    kSoundCount = 5,
};

constexpr int kObjects = 12;

bool IsOpen(uint32_t kind) { return MciSlotForKind(kind)->deviceId != 0; }

// An animation with five sounds and twelve objects, loaded and shown in an
// animation window whose hook records what it sees; the devices recorded.
class AnimSoundTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureAnimWindowClass();
        ASSERT_TRUE(WriteWholeFile("tone.wav", MinimalWaveFile()));
        ASSERT_TRUE(WriteWholeFile("tune.mid", MinimalMidiFile()));
        ASSERT_TRUE(WriteWholeFile("notes.txt", {'n', 'o', ' ', 's', 'o', 'u', 'n', 'd'}));
        ASSERT_TRUE(WriteTestAnimation("sounds.ans", 160, 120, kObjects, [](AnimationFixture& f) {
            f.AddSound("sounds\\tone.wav", ANIM_SOUND_DETECT | SND_ASYNC);
            f.AddSound("tune.mid", ANIM_SOUND_MIDI | SND_LOOP);
            f.AddSound("notes.txt", ANIM_SOUND_DETECT | SND_LOOP);
            f.AddSound("tone.wav", ANIM_SOUND_WAVE | SND_LOOP);
            f.AddSound("tune.mid", ANIM_SOUND_MIDI | SND_NOSTOP);
            lstrcpynA(f.settings().title, "tone.wav", 64);
        }));
        InstallMciSeam(&devices_.Seam());
        InstallUiSeam(&devices_.Ui());
        handle_ = LoadWholeAnimation("sounds.ans");
        ASSERT_NE(handle_, nullptr);
        window_ = NewWindow(handle_);
        ASSERT_NE(window_, nullptr);
        devices_.SetWindow(window_);
    }
    void TearDown() override
    {
        for (HWND w : windows_)
            if (IsWindow(w)) DestroyWindow(w);
        StopSound(nullptr, ANIM_SOUND_ALL, false);
        InstallMciSeam(nullptr);
        InstallUiSeam(nullptr);
        for (HANIM h : handles_) DestroyAnimation(h);
        DestroyAnimation(handle_);
        DrainMessages();
    }

    HWND NewWindow(HANIM handle)
    {
        HWND w = CreateAnimWindow(handle, WS_POPUP, 0, 0, 160, 120, nullptr, 0, HookRecorder::Hook);
        windows_.push_back(w);
        return w;
    }

    // As the window update after a step: the objects' pending sounds are
    // posted, then the window handles them.
    void RequestSounds(HANIM handle, HWND window, const std::vector<uint8_t>& pending)
    {
        {
            LockedContext c(handle);
            for (size_t i = 0; i < pending.size(); ++i) c->objectRuntime[i].pendingSound = pending[i];
            PostPendingSounds(c.get(), window);
        }
        DrainMessages();
    }
    void Request(uint8_t sound) { RequestSounds(handle_, window_, {sound}); }

    uint32_t SoundState(HANIM handle) { return LockedContext(handle)->soundState; }
    uint16_t RecordFlags(int sound) { return LockedContext(handle_)->sounds[sound - 1].soundFlags; }
    const char* RecordName(int sound) { return LockedContext(handle_)->sounds[sound - 1].name; }

    // Starts a sound that must play; the commands it sent are dropped.
    MCIDEVICEID Start(uint8_t sound)
    {
        Request(sound);
        devices_.calls.clear();
        const uint32_t kind = RecordFlags(sound) & ANIM_SOUND_ALL;
        EXPECT_TRUE(IsOpen(kind)) << "sound " << int(sound);
        return MciSlotForKind(kind)->deviceId;
    }

    CurrentScratchFolder folder_;
    FakeDevices devices_;
    HookRecorder hook_;
    HANIM handle_ = nullptr;
    HWND window_ = nullptr;
    std::vector<HWND> windows_;
    std::vector<HANIM> handles_;
};

// ---- posting ----

TEST_F(AnimSoundTest, OneRequestPerObjectAndStopCodesForIndexesPastTheTable)
{
    hook_.Answer(ANIM_SOUND_REQUEST, 1);  // the host plays them: only what was posted counts
    const struct { uint8_t pending; uint8_t stayed; WPARAM kinds; bool posted; } cases[] = {
        {kWaveDetect, 0, 0, true},  // a sound of the table: its flags and its name
        {0, 0, 0, false},
        {kMidi, 1, 0, false},       // stayed on its step: not repeated
        {kSoundCount + 1, 0, ANIM_SOUND_ALL, true},
        {0x40, 0, ANIM_SOUND_WAVE, true},
        {0x45, 0, ANIM_SOUND_WAVE, true},
        {0x5F, 0, ANIM_SOUND_WAVE, true},
        {0x60, 0, ANIM_SOUND_ALL, true},
        {0x80, 0, ANIM_SOUND_MIDI, true},
        {0x9F, 0, ANIM_SOUND_MIDI, true},
        {0x3F, 0, ANIM_SOUND_ALL, true},
        {0xA0, 0, ANIM_SOUND_ALL, true},
    };
    static_assert(sizeof cases / sizeof cases[0] == kObjects);
    std::vector<uint8_t> pending;
    {
        LockedContext c(handle_);
        for (int i = 0; i < kObjects; ++i) c->objectRuntime[i].stayed = cases[i].stayed;
    }
    for (const auto& c : cases) pending.push_back(c.pending);
    RequestSounds(handle_, window_, pending);

    const std::vector<HookCall> requests = hook_.Of(ANIM_SOUND_REQUEST);
    size_t next = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "pending sound 0x" << std::hex << int(c.pending));
        if (!c.posted) continue;
        ASSERT_LT(next, requests.size());
        const HookCall& r = requests[next++];
        EXPECT_EQ(r.window, window_);
        if (c.pending <= kSoundCount) {
            EXPECT_EQ(r.wParam, WPARAM(RecordFlags(c.pending)));
            EXPECT_EQ(reinterpret_cast<const char*>(r.lParam), RecordName(c.pending));
        } else {
            EXPECT_EQ(r.wParam, c.kinds);
            EXPECT_EQ(r.lParam, 0);
        }
    }
    EXPECT_EQ(next, requests.size());
    LockedContext c(handle_);
    for (int i = 0; i < kObjects; ++i) EXPECT_EQ(c->objectRuntime[i].pendingSound, 0) << "object " << i;
    EXPECT_TRUE(devices_.calls.empty());
}

TEST_F(AnimSoundTest, TheHookDecidesWhoPlaysARequest)
{
    const struct { int answer; bool enginePlays; } cases[] = {{1, false}, {-1, false}, {0, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        hook_.Answer(ANIM_SOUND_REQUEST, c.answer);
        Request(kMidi);
        EXPECT_EQ(IsOpen(ANIM_SOUND_MIDI), c.enginePlays);
        EXPECT_EQ(SoundState(handle_), c.enginePlays ? ANIM_SOUND_MIDI : 0u);
    }
}

// ---- playing through the window ----

TEST_F(AnimSoundTest, WaveAndMidiOpenTheirDevicesWithNotificationToTheWindow)
{
    Request(kWaveDetect);
    EXPECT_EQ(devices_.TakeCalls(), Calls({"OPEN wave tone.wav", "PLAY 7 notify@W"}))
        << "the bare name in the current folder, played with notification";
    EXPECT_EQ(RecordFlags(kWaveDetect), ANIM_SOUND_WAVE | SND_ASYNC) << "the detected kind is kept";
    EXPECT_EQ(SoundState(handle_), ANIM_SOUND_WAVE);

    Request(kMidi);
    EXPECT_EQ(devices_.TakeCalls(), Calls({"OPEN midi tune.mid", "PLAY 8 notify@W"}));
    EXPECT_EQ(SoundState(handle_), ANIM_SOUND_WAVE | ANIM_SOUND_MIDI);
    EXPECT_EQ(MciSlotForKind(ANIM_SOUND_MIDI)->notifyWindow, window_);

    // Detected once: the next request of the sound opens the device at once.
    Request(kWaveDetect);
    EXPECT_EQ(devices_.TakeCalls(), Calls({"CLOSE 7", "OPEN wave tone.wav", "PLAY 9 notify@W"}));
    EXPECT_TRUE(devices_.boxes.empty()) << "the engine shows no sound message";
}

TEST_F(AnimSoundTest, AMidiSoundThatMustNotInterruptIsDroppedWhileMidiPlays)
{
    const MCIDEVICEID midi = Start(kMidi);
    Request(kMidiNoStop);
    EXPECT_TRUE(devices_.calls.empty());
    EXPECT_EQ(MciSlotForKind(ANIM_SOUND_MIDI)->deviceId, midi);
    StopSound(nullptr, ANIM_SOUND_ALL, false);
    devices_.calls.clear();
    Request(kMidiNoStop);
    EXPECT_EQ(devices_.calls, Calls({"OPEN midi tune.mid", "PLAY 8 notify@W"})) << "nothing playing: it plays";
}

TEST_F(AnimSoundTest, AnUnknownFileIsPlayedPlainlyAndALoopNeverBlocksTheThread)
{
    Request(kUnknownLoop);
    // Looping through sndPlaySound must be asynchronous: a synchronous loop
    // would never hand the thread back to the animation.
    EXPECT_EQ(devices_.TakeCalls(), Calls({"PLAIN notes.txt 0xb"}));
    EXPECT_EQ(RecordFlags(kUnknownLoop), SND_LOOP) << "detected as no kind, and not detected again";
    EXPECT_EQ(SoundState(handle_), ANIM_SOUND_WAVE) << "a plain sound counts as wave";

    Request(0x45);
    EXPECT_EQ(devices_.TakeCalls(), Calls({"PLAIN stop"}));
    EXPECT_EQ(SoundState(handle_), 0u);
}

TEST_F(AnimSoundTest, ADetectedKindIsStoredOnlyIntoTheAnimationsOwnRecords)
{
    SoundRecord before[MAX_SOUNDS];
    memcpy(before, LockedContext(handle_)->sounds, sizeof before);

    // A host's own buffer.
    char hostName[] = "tone.wav";
    EXPECT_EQ(HandleAnimSoundRequest(handle_, window_, hostName, ANIM_SOUND_DETECT | SND_ASYNC, 0), int(ANIM_SOUND_WAVE));
    // Another field of the animation (its title reads "tone.wav").
    const char* title = LockedContext(handle_)->settings.title;
    ASSERT_STREQ(title, "tone.wav");
    EXPECT_EQ(HandleAnimSoundRequest(handle_, window_, title, ANIM_SOUND_DETECT | SND_ASYNC, 0), int(ANIM_SOUND_WAVE));
    // Without a handle nothing is kept at all.
    EXPECT_EQ(HandleAnimSoundRequest(nullptr, window_, RecordName(kWaveDetect), ANIM_SOUND_DETECT | SND_ASYNC, 0),
              int(ANIM_SOUND_WAVE));
    EXPECT_EQ(devices_.CountCalls("OPEN wave tone.wav"), 3) << "each was detected as wave and played";
    EXPECT_EQ(memcmp(before, LockedContext(handle_)->sounds, sizeof before), 0) << "no record was written";
    EXPECT_STREQ(hostName, "tone.wav");

    // The record's own name: the kind goes into that record only.
    EXPECT_EQ(HandleAnimSoundRequest(handle_, window_, RecordName(kWaveDetect), ANIM_SOUND_DETECT | SND_ASYNC, 0),
              int(ANIM_SOUND_WAVE));
    before[kWaveDetect - 1].soundFlags = ANIM_SOUND_WAVE | SND_ASYNC;
    EXPECT_EQ(memcmp(before, LockedContext(handle_)->sounds, sizeof before), 0);
}

TEST_F(AnimSoundTest, AMissingFileLeavesEverythingAsItWas)
{
    {
        LockedContext c(handle_);
        lstrcpynA(c->sounds[kWaveDetect - 1].name, "sounds\\gone.wav", 64);
    }
    Request(kWaveDetect);
    EXPECT_TRUE(devices_.calls.empty());
    EXPECT_EQ(RecordFlags(kWaveDetect), ANIM_SOUND_DETECT | SND_ASYNC);
    EXPECT_EQ(SoundState(handle_), 0u);
    EXPECT_TRUE(devices_.boxes.empty());
}

// ---- loops, repeats and stopping ----

TEST_F(AnimSoundTest, ALoopingSoundOfTheWindowPlaysUntilStopped)
{
    const MCIDEVICEID wave = Start(kWaveLoop);
    const std::string again = "PLAY " + std::to_string(wave) + " from 0 notify@W";
    for (int i = 0; i < 4; ++i) PostMessageA(window_, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, wave);
    DrainMessages();
    EXPECT_EQ(devices_.TakeCalls(), Calls(4, again)) << "the window asks for no repeat count: endless";
    EXPECT_EQ(hook_.Of(MM_MCINOTIFY).size(), 4u) << "the hook sees the notifications first";

    Request(0x45);
    EXPECT_EQ(devices_.TakeCalls(), Calls({"STOP 7", "CLOSE 7", "PLAIN stop"}));
    EXPECT_EQ(SoundState(handle_), 0u);
    // The last play's notification arrives after the stop and finds no device.
    EXPECT_EQ(HandleAnimMciNotify(handle_, window_, MCI_NOTIFY_SUCCESSFUL, static_cast<LPARAM>(wave)), 0);
    EXPECT_TRUE(devices_.calls.empty());
}

TEST_F(AnimSoundTest, ARepeatCountPlaysThatManyTimesThenClosesTheDevice)
{
    EXPECT_EQ(HandleAnimSoundRequest(handle_, window_, RecordName(kMidi), RecordFlags(kMidi), 3), int(ANIM_SOUND_MIDI));
    std::vector<int> results;
    for (int i = 0; i < 3; ++i) results.push_back(HandleAnimMciNotify(handle_, window_, MCI_NOTIFY_SUCCESSFUL, 7));
    EXPECT_EQ(results, std::vector<int>({ANIM_SOUND_MIDI, ANIM_SOUND_MIDI, ANIM_SOUND_MIDI | 1}));
    EXPECT_EQ(devices_.calls, Calls({"OPEN midi tune.mid", "PLAY 7 notify@W", "PLAY 7 from 0 notify@W",
                                     "PLAY 7 from 0 notify@W", "CLOSE 7"}));
    EXPECT_FALSE(IsOpen(ANIM_SOUND_MIDI));
}

TEST_F(AnimSoundTest, StopCodesStopOnlyTheirKinds)
{
    const struct { uint8_t code; bool waveStays, midiStays; } cases[] = {
        {0x45, false, true}, {0x85, true, false}, {0x25, false, false}, {kSoundCount + 1, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "code 0x" << std::hex << int(c.code));
        Start(kWaveLoop);
        Start(kMidi);
        ASSERT_EQ(SoundState(handle_), ANIM_SOUND_WAVE | ANIM_SOUND_MIDI);
        Request(c.code);
        EXPECT_EQ(IsOpen(ANIM_SOUND_WAVE), c.waveStays);
        EXPECT_EQ(IsOpen(ANIM_SOUND_MIDI), c.midiStays);
        EXPECT_EQ(SoundState(handle_), (c.waveStays ? ANIM_SOUND_WAVE : 0u) | (c.midiStays ? ANIM_SOUND_MIDI : 0u));
        Request(0x25);
    }
}

// ---- pause and resume ----

TEST_F(AnimSoundTest, StoppingAndStartingTheWindowPausesAndResumesItsSounds)
{
    const MCIDEVICEID wave = Start(kWaveLoop);
    const MCIDEVICEID midi = Start(kMidi);
    const std::string w = std::to_string(wave), m = std::to_string(midi);

    StopAnimWindow(window_);
    EXPECT_EQ(devices_.TakeCalls(), Calls({"PAUSE " + w, "PAUSE " + m, "PLAIN stop"}));
    // A paused loop that reaches its end waits for the resume.
    PostMessageA(window_, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, wave);
    DrainMessages();
    EXPECT_TRUE(devices_.calls.empty());
    EXPECT_TRUE(IsOpen(ANIM_SOUND_WAVE));

    StartAnimWindow(window_);
    EXPECT_EQ(devices_.TakeCalls(), Calls({"RESUME " + w, "RESUME " + m}));
    StartAnimWindow(window_);
    EXPECT_TRUE(devices_.calls.empty()) << "nothing paused: nothing resumed";

    // A device that cannot resume plays on from where it stands.
    StopAnimWindow(window_);
    devices_.calls.clear();
    devices_.FailNext(MCI_RESUME, MCIERR_UNSUPPORTED_FUNCTION);
    StartAnimWindow(window_);
    EXPECT_EQ(devices_.TakeCalls(), Calls({"RESUME " + w, "PLAY " + w + " notify@W", "RESUME " + m}));

    EXPECT_EQ(ControlAnimSound(handle_, window_, ANIM_SOUND_ALL, 3), 0);
    EXPECT_EQ(ControlAnimSound(handle_, window_, ANIM_SOUND_ALL, -1), 0);
    EXPECT_TRUE(devices_.calls.empty());
    EXPECT_EQ(ControlAnimSound(nullptr, window_, ANIM_SOUND_MIDI, ANIM_SOUND_STOP), 1) << "the handle is not needed";
    EXPECT_EQ(devices_.calls, Calls({"STOP " + m, "CLOSE " + m}));
}

// ---- two windows ----

TEST_F(AnimSoundTest, TwoWindowsShareTheDevicesButStopAndPauseOnlyTheirOwn)
{
    HANIM other = LoadWholeAnimation("sounds.ans");
    ASSERT_NE(other, nullptr);
    handles_.push_back(other);
    HWND second = NewWindow(other);
    devices_.NameWindow(second, "B");

    const MCIDEVICEID wave = Start(kWaveLoop);   // the first window's wave
    RequestSounds(other, second, {kMidi});       // the second window's MIDI
    const MCIDEVICEID midi = MciSlotForKind(ANIM_SOUND_MIDI)->deviceId;
    EXPECT_EQ(devices_.TakeCalls(), Calls({"OPEN midi tune.mid", "PLAY 8 notify@B"}));

    // The first window may not interrupt the second's MIDI sound when it says so.
    Request(kMidiNoStop);
    EXPECT_TRUE(devices_.calls.empty());

    StopAnimWindow(second);
    EXPECT_EQ(devices_.TakeCalls(), Calls({"PAUSE " + std::to_string(midi), "PLAIN stop"}));
    StartAnimWindow(second);
    devices_.calls.clear();

    RequestSounds(other, second, {0x25});  // stop everything, from the second window
    EXPECT_EQ(devices_.TakeCalls(), Calls({"STOP 8", "CLOSE 8", "PLAIN stop"}));
    EXPECT_EQ(MciSlotForKind(ANIM_SOUND_WAVE)->deviceId, wave) << "the first window's wave plays on";
    EXPECT_EQ(SoundState(other), 0u);
    EXPECT_EQ(SoundState(handle_), ANIM_SOUND_WAVE);

    RequestSounds(other, second, {kMidi});
    devices_.calls.clear();
    DestroyWindow(second);
    EXPECT_EQ(devices_.TakeCalls(), Calls({"STOP 9", "CLOSE 9", "PLAIN stop"}));
    EXPECT_TRUE(IsOpen(ANIM_SOUND_WAVE));
    DestroyWindow(window_);
    EXPECT_EQ(devices_.TakeCalls(), Calls({"STOP 7", "CLOSE 7", "PLAIN stop"}));
    EXPECT_FALSE(IsOpen(ANIM_SOUND_WAVE));
}

// ---- device failures ----

TEST_F(AnimSoundTest, FailedDevicesAreClosedAndNothingIsShown)
{
    const struct { uint8_t sound; UINT failing; Calls calls; } cases[] = {
        {kWaveLoop, MCI_OPEN, {"OPEN wave tone.wav"}},
        {kWaveLoop, MCI_PLAY, {"OPEN wave tone.wav", "PLAY 7 notify@W", "CLOSE 7"}},
        {kMidi, MCI_PLAY, {"OPEN midi tune.mid", "PLAY 8 notify@W", "CLOSE 8"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.sound));
        devices_.FailNext(c.failing, MCIERR_HARDWARE);
        Request(c.sound);
        EXPECT_EQ(devices_.TakeCalls(), c.calls);
        EXPECT_FALSE(IsOpen(ANIM_SOUND_WAVE));
        EXPECT_FALSE(IsOpen(ANIM_SOUND_MIDI));
        EXPECT_EQ(SoundState(handle_), 0u);
    }
    // A device that reports a failure while playing is closed as well.
    const MCIDEVICEID midi = Start(kMidi);
    PostMessageA(window_, MM_MCINOTIFY, MCI_NOTIFY_FAILURE, midi);
    DrainMessages();
    EXPECT_EQ(devices_.TakeCalls(), Calls({"CLOSE " + std::to_string(midi)}));
    EXPECT_FALSE(IsOpen(ANIM_SOUND_MIDI));
    EXPECT_TRUE(devices_.boxes.empty());
    Request(kMidi);
    EXPECT_TRUE(IsOpen(ANIM_SOUND_MIDI)) << "the slot is free for the next sound";
}

}  // namespace
