// Sound in created AVI files: the samples each video frame needs, samples
// converted to the stream's format and padded with silence, and whole sound
// files merged. What was written is read back from the file's sound chunks
// (Wine's reader misplaces sound stored ahead of the video) and, for the
// stream's length and format, through the wave reader.
#include "TestFiles.h"
#include "VfwTestSupport.h"
#include <gtest/gtest.h>
#include <cstring>
#include <functional>

namespace {

class SoundStream : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Vfw().complete) << "ZelvoVfw32.dll or one of its exports is missing"; }

    // A new AVI file without video, for sound only.
    HAVIFILE Create(const std::string& name)
    {
        VideoParameters parameters{10, 0, 8, 8, 0};
        return vfw.CreateAviFile(scratch.File(name).c_str(), &parameters, nullptr);
    }

    const VfwLibrary& vfw = Vfw();
    ScratchDir scratch;
};

std::vector<uint8_t> Silence(size_t bytes, int bits) { return std::vector<uint8_t>(bytes, bits == 8 ? 0x80 : 0x00); }

std::vector<uint8_t> StoredSound(const std::string& path) { return AviSoundBytes(ReadWholeFile(path)); }

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(SoundStream, TheSamplesOfEachFrameAddUpToTheRateOverOneSecond)
{
    HAVIFILE avi = Create("twelve.avi");
    ASSERT_NE(avi, nullptr);
    SoundFormat stream{1, 8, 11025, 12, 0, 0};
    ASSERT_TRUE(vfw.AddSoundStream(avi, &stream));
    EXPECT_EQ(stream.blockAlign, 1);
    EXPECT_DOUBLE_EQ(stream.samplesPerFrame, 918.75);

    SoundFormat doubleRate{1, 8, 22050, 12, 0, 0};
    SoundFormat halfRate{1, 8, 5512, 12, 0, 0};
    SoundFormat quarterRate{2, 16, 2756, 12, 0, 0};
    EXPECT_EQ(vfw.GetSoundSamplesRequired(avi, &doubleRate), 1836);
    EXPECT_EQ(vfw.GetSoundSamplesRequired(avi, &halfRate), 459);
    EXPECT_EQ(vfw.GetSoundSamplesRequired(avi, &quarterRate), 230);

    std::vector<LONG> counts;
    LONG total = 0;
    for (int frame = 0; frame < 12; ++frame) {
        const LONG required = vfw.GetSoundSamplesRequired(avi, nullptr);
        counts.push_back(required);
        total += required;
        // A frame of silence needs no source format.
        ASSERT_TRUE(vfw.AddSoundSamples(avi, 0, nullptr, frame % 2 ? &stream : nullptr));
    }
    EXPECT_EQ(counts, (std::vector<LONG>{918, 919, 919, 919, 918, 919, 919, 919, 918, 919, 919, 919}));
    EXPECT_EQ(total, 11025);
    ASSERT_TRUE(vfw.CloseAviFile(avi));

    SoundFormat stored{};
    EXPECT_EQ(ReadAllSamples(scratch.File("twelve.avi"), &stored), Silence(11025, 8));
    EXPECT_EQ(stored.channels, 1);
    EXPECT_EQ(stored.bitsPerSample, 8);
    EXPECT_EQ(stored.samplesPerSec, 11025u);
}

// Below one sample per frame, frames that need none are counted all the same;
// a file closed after the current folder changed is still mended (see
// SoundLengthNeedsMending) where the platform needs it.
TEST_F(SoundStream, FramesThatNeedNoSamplesAndARelativePath)
{
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(scratch.Path().c_str()));
    VideoParameters parameters{10, 0, 8, 8, 0};
    HAVIFILE avi = vfw.CreateAviFile("relative.avi", &parameters, nullptr);
    SetCurrentDirectoryA(previous);
    ASSERT_NE(avi, nullptr);
    SoundFormat stream{1, 8, 5, 10, 0, 0};
    ASSERT_TRUE(vfw.AddSoundStream(avi, &stream));
    // The second frame gets more than it needs: the frames after it need
    // none until the sound's time catches up.
    std::vector<LONG> counts;
    const uint8_t samples[4] = {0x10, 0x10, 0x10, 0x10};
    for (int frame = 0; frame < 10; ++frame) {
        counts.push_back(vfw.GetSoundSamplesRequired(avi, nullptr));
        ASSERT_TRUE(vfw.AddSoundSamples(avi, frame == 1 ? 4 : counts.back(), samples, &stream));
    }
    EXPECT_EQ(counts, (std::vector<LONG>{0, 1, 0, 0, 0, 0, 0, 0, 0, 1}));
    ASSERT_TRUE(vfw.CloseAviFile(avi));
    EXPECT_EQ(ReadAllSamples(scratch.File("relative.avi")), std::vector<uint8_t>(5, 0x10));
}

// Each case adds two frames' worth: the first with too few samples (padded
// with silence), the second with more than needed (all written).
TEST_F(SoundStream, SamplesAreConvertedToTheStreamFormat)
{
    using Convert = std::function<std::vector<uint8_t>(const std::vector<uint8_t>&)>;
    struct Case {
        const char* what;
        SoundFormat source;
        SoundFormat stream;
        Convert expected;
    } cases[] = {
        {"22050 Hz 16-bit stereo into 11025 Hz 8-bit mono", {2, 16, 22050, 10, 0, 0}, {1, 8, 11025, 10, 0, 0},
         [](const std::vector<uint8_t>& in) {
             // Every second sample frame, its first channel, high byte made unsigned.
             std::vector<uint8_t> out;
             for (size_t i = 0; i < in.size(); i += 8) out.push_back(in[i + 1] ^ 0x80);
             return out;
         }},
        {"11025 Hz 8-bit mono into 22050 Hz 16-bit stereo", {1, 8, 11025, 10, 0, 0}, {2, 16, 22050, 10, 0, 0},
         [](const std::vector<uint8_t>& in) {
             std::vector<uint8_t> out;
             for (uint8_t s : in) {
                 const uint8_t high = static_cast<uint8_t>(s - 128);
                 for (int copy = 0; copy < 4; ++copy) out.insert(out.end(), {0, high});
             }
             return out;
         }},
        {"44100 Hz 16-bit mono into 11025 Hz 16-bit mono", {1, 16, 44100, 10, 0, 0}, {1, 16, 11025, 10, 0, 0},
         [](const std::vector<uint8_t>& in) {
             std::vector<uint8_t> out;
             for (size_t i = 0; i < in.size(); i += 8) out.insert(out.end(), {in[i], in[i + 1]});
             return out;
         }},
        {"the stream's own format", {2, 16, 11025, 10, 0, 0}, {2, 16, 11025, 10, 0, 0},
         [](const std::vector<uint8_t>& in) { return in; }},
    };
    TestRandom random(3);
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        HAVIFILE avi = Create(std::string(c.what) + ".avi");
        ASSERT_NE(avi, nullptr);
        ASSERT_TRUE(vfw.AddSoundStream(avi, &c.stream));
        const int sourceBlock = c.source.channels * c.source.bitsPerSample / 8;
        std::vector<uint8_t> expected;
        for (int frame = 0; frame < 2; ++frame) {
            const LONG required = vfw.GetSoundSamplesRequired(avi, nullptr);
            const LONG asked = vfw.GetSoundSamplesRequired(avi, &c.source);
            const LONG given = frame == 0 ? asked / 2 : asked + 40;
            std::vector<uint8_t> samples(static_cast<size_t>(given) * sourceBlock);
            for (uint8_t& b : samples) b = static_cast<uint8_t>(random.Next());
            ASSERT_TRUE(vfw.AddSoundSamples(avi, given, samples.data(), &c.source));
            const std::vector<uint8_t> converted = c.expected(samples);
            expected = Concat(expected, converted);
            const long short_ = static_cast<long>(required) * c.stream.blockAlign - static_cast<long>(converted.size());
            if (short_ > 0) expected = Concat(expected, Silence(short_, c.stream.bitsPerSample));
            if (frame == 0) EXPECT_GT(short_, 0);
            else EXPECT_LT(short_, 0);
        }
        ASSERT_TRUE(vfw.CloseAviFile(avi));
        EXPECT_EQ(StoredSound(scratch.File(std::string(c.what) + ".avi")), expected);
    }
}

TEST_F(SoundStream, OneSoundStreamOfAConvertibleFormat)
{
    HAVIFILE avi = Create("formats.avi");
    ASSERT_NE(avi, nullptr);
    const SoundFormat refused[] = {
        {3, 8, 11025, 10, 0, 0}, {0, 8, 11025, 10, 0, 0}, {1, 12, 11025, 10, 0, 0},
        {1, 8, 0, 10, 0, 0},     {1, 8, 11025, 0, 0, 0},
    };
    for (SoundFormat format : refused) EXPECT_FALSE(vfw.AddSoundStream(avi, &format));
    EXPECT_FALSE(vfw.AddSoundStream(avi, nullptr));
    EXPECT_EQ(vfw.GetSoundSamplesRequired(avi, nullptr), 0);
    SoundFormat stream{2, 16, 44100, 25, 0, 0};
    EXPECT_FALSE(vfw.AddSoundSamples(avi, 10, nullptr, &stream));
    ASSERT_TRUE(vfw.AddSoundStream(avi, &stream));
    EXPECT_EQ(stream.blockAlign, 4);
    EXPECT_DOUBLE_EQ(stream.samplesPerFrame, 1764.0);
    SoundFormat second{1, 8, 11025, 25, 0, 0};
    EXPECT_FALSE(vfw.AddSoundStream(avi, &second));
    EXPECT_FALSE(vfw.AddSoundSamples(avi, 10, nullptr, &stream));
    EXPECT_FALSE(vfw.AddSoundSamples(avi, -1, nullptr, &stream));
    const SoundFormat badSource{5, 8, 11025, 25, 0, 0};
    uint8_t samples[40] = {};
    EXPECT_FALSE(vfw.AddSoundSamples(avi, 10, samples, &badSource));
    EXPECT_TRUE(vfw.CloseAviFile(avi));
    EXPECT_EQ(ReadAllSamples(scratch.File("formats.avi")).size(), 0u);
}

// The sound is merged before the video frames here; after them, see below.
TEST_F(SoundStream, AMergedSoundFileLastsAsLongAsTheVideoAtMost)
{
    std::vector<uint8_t> ramp(8000);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<uint8_t>(i * 7 + i / 256);
    const std::string wave = scratch.File("one second.wav");
    ASSERT_TRUE(WriteWholeFile(wave, WaveFileBytes(1, 8, 8000, ramp)));
    const TestFrame frame = MakeTestFrame(8, 8, 8, 1);

    struct Case {
        const char* name;
        LONG videoFrames;
        size_t samples;
    } cases[] = {{"half.avi", 5, 4000}, {"longer.avi", 30, 8000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HAVIFILE avi = Create(c.name);
        ASSERT_NE(avi, nullptr);
        ASSERT_TRUE(vfw.InitAviStreamWrite(avi, frame.Header(), frame.FormatSize(), FALSE));
        ASSERT_TRUE(vfw.MergeSoundFile(avi, wave.c_str(), c.videoFrames, 10));
        // One sound stream only.
        EXPECT_FALSE(vfw.MergeSoundFile(avi, wave.c_str(), c.videoFrames, 10));
        SoundFormat another{1, 8, 8000, 10, 0, 0};
        EXPECT_FALSE(vfw.AddSoundStream(avi, &another));
        AviFrameWrite write{0, 1, const_cast<BYTE*>(frame.bits.data()), static_cast<int32_t>(frame.bits.size()), nullptr};
        EXPECT_TRUE(vfw.WriteAviFrame(avi, &write));
        ASSERT_TRUE(vfw.CloseAviFile(avi));
        EXPECT_EQ(StoredSound(scratch.File(c.name)), std::vector<uint8_t>(ramp.begin(), ramp.begin() + c.samples));
        // The sound stream's header and format: the wave file's.
        const std::vector<uint8_t> file = ReadWholeFile(scratch.File(c.name));
        const std::vector<uint8_t> header = RiffChunkData(file, "strh", 1);
        const std::vector<uint8_t> format = RiffChunkData(file, "strf", 1);
        ASSERT_GE(header.size(), 48u);
        ASSERT_GE(format.size(), 16u);
        EXPECT_EQ(std::string(header.begin(), header.begin() + 4), "auds");
        uint32_t length, rate;
        std::memcpy(&length, &header[32], 4);
        std::memcpy(&rate, &format[4], 4);
        EXPECT_EQ(length, c.samples);
        EXPECT_EQ(rate, 8000u);
    }

    HAVIFILE avi = Create("refused.avi");
    ASSERT_NE(avi, nullptr);
    EXPECT_FALSE(vfw.MergeSoundFile(avi, scratch.File("missing.wav").c_str(), 5, 10));
    EXPECT_FALSE(vfw.MergeSoundFile(avi, wave.c_str(), 0, 10));
    EXPECT_FALSE(vfw.MergeSoundFile(avi, wave.c_str(), 5, 0));
    EXPECT_FALSE(vfw.MergeSoundFile(avi, nullptr, 5, 10));
    const std::string noise = scratch.File("noise.wav");
    ASSERT_TRUE(WriteWholeFile(noise, std::vector<uint8_t>(500, 0x41)));
    EXPECT_FALSE(vfw.MergeSoundFile(avi, noise.c_str(), 5, 10));
    EXPECT_TRUE(vfw.MergeSoundFile(avi, wave.c_str(), 1, 10));
    EXPECT_TRUE(vfw.CloseAviFile(avi));
    EXPECT_EQ(StoredSound(scratch.File("refused.avi")).size(), 800u);
}

// The image library merges the sound after writing the frames. Wine's AVIFile
// adds no stream to a file that holds data already, so there the merge fails
// and the video stays as it was.
TEST_F(SoundStream, SoundMergedAfterTheFramesIsAddedOrTheVideoStaysIntact)
{
    std::vector<uint8_t> samples(4000);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i * 13);
    const std::string wave = scratch.File("sound.wav");
    ASSERT_TRUE(WriteWholeFile(wave, WaveFileBytes(1, 8, 8000, samples)));
    const std::string path = scratch.File("after.avi");
    const std::vector<TestFrame> frames = {MakeTestFrame(8, 8, 24, 1), MakeTestFrame(8, 8, 24, 2)};
    VideoParameters parameters{4, 192, 8, 8, 1};
    HAVIFILE avi = vfw.CreateAviFile(path.c_str(), &parameters, frames[0].Header());
    ASSERT_NE(avi, nullptr);
    ASSERT_TRUE(vfw.InitAviStreamWrite(avi, frames[0].Header(), frames[0].FormatSize(), FALSE));
    for (int i = 0; i < 2; ++i) {
        AviFrameWrite write{i, 1, const_cast<BYTE*>(frames[i].bits.data()), static_cast<int32_t>(frames[i].bits.size()),
                            nullptr};
        ASSERT_TRUE(vfw.WriteAviFrame(avi, &write));
    }
    const bool merged = vfw.MergeSoundFile(avi, wave.c_str(), 2, 4);
    ASSERT_TRUE(vfw.CloseAviFile(avi));

    if (merged) {
        EXPECT_EQ(StoredSound(path), std::vector<uint8_t>(samples.begin(), samples.begin() + 4000));
    }
    HAVIFILE reader = vfw.OpenAviFile(path.c_str());
    ASSERT_NE(reader, nullptr);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(CompareFrame(vfw.GetAviFrame(reader, i), frames[i]), "");
    vfw.CloseAviFile(reader);
}

}  // namespace
