// Stored names that name devices: a frame sequence, a background picture, an
// animation or a following animation called AUX, con.ans and the like loads
// exactly as a missing file does (result 0 or a null handle) and at once; the
// engine never opens the device.
#include "EngineFixtures.h"
#include "ResultCodes.h"
#include <gtest/gtest.h>

namespace {

const char* const kDeviceNames[] = {
    "AUX.bmx", "aux.bmx", "AUX.n.bmx", "aux.n.bmx", "CON.bmx", "con.n.bmx", "PRN.bmx", "nul.bmx",
    "NUL.wav", "COM1.bmx", "com9.n.bmx", "LPT1.bmx", "lpt2.bmx", "CONIN$.bmx", "CONOUT$.bmx", "CLOCK$.bmx",
    "AUX. ", "aux ", "AUX.bmx. ", "con.ans", "sub\\AUX.bmx", "C:\\anim\\nul.bmx", "\\\\.\\AUX",
    "gr\x01" "een.bmx",
};

class DeviceNames : public ::testing::Test {
protected:
    EngineSession session{kDibSections};
    ScratchDir dir;
    char previous[MAX_PATH] = "";

    void SetUp() override
    {
        GetCurrentDirectoryA(MAX_PATH, previous);
        ASSERT_TRUE(SetCurrentDirectoryA(dir.Path().c_str()));
        SequenceSpec spec;
        spec.value = [](int x, int y, int) { return uint32_t(16 + (x + y) % 40); };
        ASSERT_EQ(RESULT_OK, WriteSequence(dir.File("green.bmx"), spec));
        ASSERT_TRUE(WriteBmp(dir.File("back.bmp"), 20, 10, 24, [](int, int) { return 0x00FF00u; }));
    }
    void TearDown() override { SetCurrentDirectoryA(previous); }

    // An animation whose first sequence, background picture and following
    // animation have the names given.
    std::string Write(const std::string& file, const std::string& sequence, const std::string& background = "",
                      const std::string& next = "")
    {
        AnimationFixture f(100, 80, 0x000080);
        if (!background.empty()) {
            f.settings().backgroundColor |= BACKGROUND_USE_IMAGE;
            lstrcpynA(f.settings().backgroundImage, background.c_str(), 64);
        }
        lstrcpynA(f.settings().nextAnimation, next.c_str(), 64);
        f.settings().playFlags = static_cast<uint8_t>(f.settings().playFlags | (END_LOAD_NEXT << PLAY_END_ACTION_SHIFT));
        f.AddObject(f.AddSequence(sequence, 0x80, 256), 10, 10);
        EXPECT_EQ(RESULT_OK, f.Write(dir.File(file)));
        return dir.File(file);
    }
};

}  // namespace

TEST_F(DeviceNames, EveryLoadTreatsThemAsMissingFilesAtOnce)
{
    const std::string good = Write("good.ans", "green.bmx", "back.bmp");
    for (const char* name : kDeviceNames) {
        SCOPED_TRACE(name);
        HANIM h = CreateAnimation(good.c_str(), 0, 0, 0, 0);
        ASSERT_NE(nullptr, h);
        int sequence = -1, background = -1;
        HANIM created = h, reloaded = h;
        EXPECT_TRUE(FinishesWithin(1000, [&] {
            sequence = LoadAnimSequence(h, 0, name, FALSE);
            background = LoadAnimBackground(h, name, 0, 0, 0, FALSE);
            created = CreateAnimation(name, 0, 0, 0, 0);
        }));
        EXPECT_EQ(0, sequence);
        EXPECT_EQ(0, background);
        EXPECT_EQ(nullptr, created);
        // The same answers as for a file that is not there.
        EXPECT_EQ(0, LoadAnimSequence(h, 0, "gone.bmx", FALSE));
        EXPECT_EQ(0, LoadAnimBackground(h, "gone.bmp", 0, 0, 0, FALSE));
        // A following animation of that name: the reload fails, and the handle
        // stays for its host to destroy.
        EXPECT_TRUE(FinishesWithin(1000, [&] { reloaded = ReloadAnimation(h, name, 0, 0, 0, 0); }));
        EXPECT_EQ(nullptr, reloaded);
        DestroyAnimation(h);
    }
}

TEST_F(DeviceNames, AnAnimationNamingThemLoadsLikeOneWhosePartsAreMissing)
{
    for (const char* name : kDeviceNames) {
        SCOPED_TRACE(name);
        const std::string withSequence = Write("seq.ans", name);
        HANIM whole = nullptr;
        EXPECT_TRUE(FinishesWithin(1000, [&] { whole = LoadWholeAnimation(withSequence); }));
        EXPECT_EQ(nullptr, whole) << "a frame sequence that cannot be loaded fails the load";

        // The background picture and the following animation are looked up by
        // the hosts; the engine gives them the name as stored.
        const std::string withOthers = Write("others.ans", "green.bmx", name, "con.ans");
        HANIM h = CreateAnimation(withOthers.c_str(), 0, 0, 0, 0);
        ASSERT_NE(nullptr, h);
        char stored[MAX_PATH];
        ASSERT_TRUE(GetAnimBackgroundName(h, stored, TRUE));
        int loaded = -1;
        EXPECT_TRUE(FinishesWithin(1000, [&] {
            loaded = LoadAnimBackground(h, stored, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, FALSE);
        }));
        EXPECT_EQ(0, loaded);
        const auto* next = reinterpret_cast<const char*>(GetAnimInfo(h, ANIM_INFO_NEXT_NAME));
        ASSERT_STREQ("con.ans", next);
        char following[MAX_PATH];
        lstrcpynA(following, next, MAX_PATH);
        HANIM reloaded = h;
        EXPECT_TRUE(FinishesWithin(1000, [&] { reloaded = ReloadAnimation(h, following, 0, 0, 0, 0); }));
        EXPECT_EQ(nullptr, reloaded);
        DestroyAnimation(h);
    }
}
