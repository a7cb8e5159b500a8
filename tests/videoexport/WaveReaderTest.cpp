// The wave reader: a real wave file read one video frame's worth at a time,
// looping sounds, the buffer limit, and damaged files.
#include "TestFiles.h"
#include "VfwTestSupport.h"
#include <gtest/gtest.h>
#include <cmath>
#include <cstring>

namespace {

class WaveReader : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Vfw().complete) << "ZelvoVfw32.dll or one of its exports is missing"; }
    std::string WriteWave(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        const std::string path = scratch.File(name);
        EXPECT_TRUE(WriteWholeFile(path, bytes));
        return path;
    }
    const VfwLibrary& vfw = Vfw();
    ScratchDir scratch;
};

std::vector<uint8_t> Ramp(size_t count)
{
    std::vector<uint8_t> ramp(count);
    for (size_t i = 0; i < count; ++i) ramp[i] = static_cast<uint8_t>(i);
    return ramp;
}

// tone.wav is made by sox beside the test program: 0.5 s at 22050 Hz, 16-bit stereo.
TEST_F(WaveReader, ReadsARealWaveFileFrameByFrame)
{
    const std::vector<uint8_t> file = ReadWholeFile("tone.wav");
    const std::vector<uint8_t> data = RiffChunkData(file, "data");
    ASSERT_EQ(data.size(), 11025u * 4);

    SoundFormat format{};
    DWORD bufferSize = 0;
    HWAVEFILE wave = vfw.OpenWaveFile("tone.wav", 12, &format, &bufferSize);
    ASSERT_NE(wave, nullptr);
    EXPECT_EQ(format.channels, 2);
    EXPECT_EQ(format.bitsPerSample, 16);
    EXPECT_EQ(format.samplesPerSec, 22050u);
    EXPECT_EQ(format.framesPerSec, 12);
    EXPECT_EQ(format.blockAlign, 4);
    EXPECT_DOUBLE_EQ(format.samplesPerFrame, 1837.5);
    EXPECT_EQ(bufferSize, 2u * 1838 * 4);

    std::vector<uint8_t> buffer(bufferSize), all;
    std::vector<LONG> reads;
    for (int frame = 0; frame < 7; ++frame) {
        const LONG wanted = static_cast<LONG>(std::floor((frame + 1) * 1837.5) - std::floor(frame * 1837.5));
        const LONG read = vfw.ReadWaveSamples(wave, wanted, FALSE, buffer.data(), bufferSize);
        reads.push_back(read);
        all.insert(all.end(), buffer.begin(), buffer.begin() + read * 4);
    }
    EXPECT_EQ(reads, (std::vector<LONG>{1837, 1838, 1837, 1838, 1837, 1838, 0}));
    EXPECT_EQ(all, data);
    EXPECT_TRUE(vfw.CloseWaveFile(wave));
}

TEST_F(WaveReader, ALoopingWaveShorterThanAFrameRepeatsAndGoesOnWhereItStopped)
{
    const std::string path = WriteWave("short.wav", WaveFileBytes(1, 8, 8000, Ramp(100)));
    HWAVEFILE wave = vfw.OpenWaveFile(path.c_str(), 25, nullptr, nullptr);
    ASSERT_NE(wave, nullptr);
    std::vector<uint8_t> buffer(640);
    ASSERT_EQ(vfw.ReadWaveSamples(wave, 250, TRUE, buffer.data(), 640), 250);
    std::vector<uint8_t> expected = Ramp(100);
    expected.insert(expected.end(), expected.begin(), expected.end());
    expected.insert(expected.end(), expected.begin(), expected.begin() + 50);
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 250), expected);
    ASSERT_EQ(vfw.ReadWaveSamples(wave, 30, TRUE, buffer.data(), 640), 30);
    EXPECT_EQ(buffer[0], 50);
    EXPECT_EQ(buffer[29], 79);
    EXPECT_TRUE(vfw.CloseWaveFile(wave));

    // Without looping the sound ends.
    wave = vfw.OpenWaveFile(path.c_str(), 25, nullptr, nullptr);
    ASSERT_NE(wave, nullptr);
    EXPECT_EQ(vfw.ReadWaveSamples(wave, 250, FALSE, buffer.data(), 640), 100);
    EXPECT_EQ(vfw.ReadWaveSamples(wave, 250, FALSE, buffer.data(), 640), 0);
    EXPECT_TRUE(vfw.CloseWaveFile(wave));
}

TEST_F(WaveReader, ReadsNoMoreThanTheBufferHolds)
{
    const std::string path = WriteWave("stereo.wav", WaveFileBytes(2, 16, 11025, Ramp(4000)));
    HWAVEFILE wave = vfw.OpenWaveFile(path.c_str(), 10, nullptr, nullptr);
    ASSERT_NE(wave, nullptr);
    std::vector<uint8_t> buffer(64, 0xEE);
    EXPECT_EQ(vfw.ReadWaveSamples(wave, 500, FALSE, buffer.data(), 30), 7);
    EXPECT_EQ(buffer[27], 27);
    EXPECT_EQ(buffer[28], 0xEE);
    EXPECT_EQ(vfw.ReadWaveSamples(wave, 0, FALSE, buffer.data(), 64), 0);
    EXPECT_EQ(vfw.ReadWaveSamples(wave, 5, FALSE, nullptr, 64), 0);
    EXPECT_EQ(vfw.ReadWaveSamples(wave, 1, FALSE, buffer.data(), 64), 1);
    EXPECT_EQ(buffer[0], 28);
    EXPECT_TRUE(vfw.CloseWaveFile(wave));
}

// Files that are no wave files, or whose samples the converter cannot handle,
// are refused; a data chunk longer than the file gives what is there.
TEST_F(WaveReader, DamagedAndUnusableWaveFilesAreRefused)
{
    std::vector<uint8_t> floatWave = WaveFileBytes(1, 32, 8000, std::vector<uint8_t>(400, 0));
    floatWave[20] = 3;  // IEEE float
    std::vector<uint8_t> threeChannels = WaveFileBytes(3, 8, 8000, std::vector<uint8_t>(300, 0x80));
    TestRandom random(11);
    std::vector<uint8_t> noise(2000);
    for (uint8_t& b : noise) b = static_cast<uint8_t>(random.Next());
    const std::vector<uint8_t> good = WaveFileBytes(1, 8, 8000, Ramp(200));
    struct Case {
        const char* what;
        std::vector<uint8_t> content;
    } refused[] = {
        {"an empty file", {}},
        {"noise", noise},
        {"only the RIFF header", std::vector<uint8_t>(good.begin(), good.begin() + 12)},
        {"samples as floats", floatWave},
        {"24-bit samples", WaveFileBytes(1, 24, 8000, std::vector<uint8_t>(300, 0))},
        {"three channels", threeChannels},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.what);
        const std::string path = WriteWave(std::string(c.what) + ".wav", c.content);
        HWAVEFILE wave = vfw.OpenWaveFile(path.c_str(), 10, nullptr, nullptr);
        EXPECT_EQ(wave, nullptr);
        if (wave) vfw.CloseWaveFile(wave);
    }
    EXPECT_EQ(vfw.OpenWaveFile(scratch.File("missing.wav").c_str(), 10, nullptr, nullptr), nullptr);
    EXPECT_EQ(vfw.OpenWaveFile(nullptr, 10, nullptr, nullptr), nullptr);
    const std::string goodPath = WriteWave("good.wav", good);
    EXPECT_EQ(vfw.OpenWaveFile(goodPath.c_str(), 0, nullptr, nullptr), nullptr);

    std::vector<uint8_t> cut = good;
    const uint32_t claimed = 1000000;
    std::memcpy(&cut[40], &claimed, sizeof claimed);
    const std::string cutPath = WriteWave("cut.wav", cut);
    HWAVEFILE wave = vfw.OpenWaveFile(cutPath.c_str(), 10, nullptr, nullptr);
    if (wave) {
        std::vector<uint8_t> buffer(4000);
        LONG total = 0;
        for (int i = 0; i < 10; ++i) total += vfw.ReadWaveSamples(wave, 800, FALSE, buffer.data(), 4000);
        // Never more than the 200 samples the file holds.
        EXPECT_LE(total, 200);
        EXPECT_TRUE(vfw.CloseWaveFile(wave));
    }
}

}  // namespace
