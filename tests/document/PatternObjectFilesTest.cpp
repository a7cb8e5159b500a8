// Object files, the two pattern files and the small portability helpers.
#include "AnimationTables.h"
#include "AnoFile.h"
#include "BmxFile.h"
#include "Compat.h"
#include "PackedDib.h"
#include "PatternFiles.h"
#include "ResultCodes.h"
#include "TestFiles.h"
#include <gtest/gtest.h>

namespace {

// ---- object files ----------------------------------------------------------------------

ObjectRecord SampleObject(int steps)
{
    ObjectRecord o{};
    o.sequenceIndex = 5;
    strcpy(o.name, "Runner");
    o.objectFlags = 0x41;
    o.editorBytes[0] = 7;
    o.editorBytes[2] = 9;
    o.stepCount = steps;
    o.startX = -300;
    o.startY = 70000;
    o.dx = -2;
    o.dy = 3;
    o.frameDelay = 4;
    o.moveDelay = 5;
    o.motionFlags = 0x81;
    o.repeatCount = -1;
    o.editorField1 = 0xEE;
    o.editorField2 = -123456;
    o.editorField3 = 0x12345678;
    return o;
}

std::vector<ObjectStep> SampleSteps(int count)
{
    std::vector<ObjectStep> steps(count);
    for (int i = 0; i < count; ++i) {
        ObjectStep& s = steps[i];
        s.frameIndex = static_cast<uint8_t>(i + 1);
        s.waitCount = static_cast<uint8_t>(10 * i);
        s.stepFlags = 0x80;
        s.x = -1000 * i;
        s.y = 40000 + i;
        s.startMaskHigh = 0x8001;
        s.soundIndex = 3;
        s.condition = static_cast<uint8_t>(i);
        s.editorBytes[1] = static_cast<uint8_t>(0xA0 + i);
        s.conditionParam = 0x55;
        s.jumpTarget = -i;
        s.startMaskLow = 0xFFFE;
    }
    return steps;
}

SequenceRecord SampleSequence()
{
    SequenceRecord s{};
    s.frameCount = 12;
    s.transparentColorCode = 0x16;
    s.colorCount = 256;
    strcpy(s.fileName, "walk.bmx");
    return s;
}

TEST(ObjectFile, RoundTripKeepsEveryFieldAndTheEditorBytes)
{
    ScratchDir dir;
    const std::string path = dir.File("runner.ano");
    const ObjectRecord object = SampleObject(3);
    const std::vector<ObjectStep> steps = SampleSteps(3);
    ASSERT_EQ(WriteAnoFile(path.c_str(), SampleSequence(), object, steps.data(), 3), RESULT_OK);
    const std::vector<uint8_t> bytes = ReadWholeFile(path);
    EXPECT_EQ(bytes.size(), 218u) << "2 + 68 + 73 + 3 x 25";
    EXPECT_EQ(bytes[0], 'A');
    EXPECT_EQ(bytes[1], 'O');

    SequenceRecord sequence{};
    ObjectRecord read{};
    HGLOBAL block = nullptr;
    ASSERT_EQ(ReadAnoFile(path.c_str(), &sequence, &read, &block), RESULT_OK);
    const SequenceRecord written = SampleSequence();
    EXPECT_EQ(memcmp(&sequence, &written, sizeof sequence), 0);
    ObjectRecord expected = object;
    expected.sequenceIndex = 0;  // the caller's to set
    AnoObjectRecord a{}, b{};
    PackAnoObject(read, &a);
    PackAnoObject(expected, &b);
    EXPECT_EQ(memcmp(&a, &b, sizeof a), 0);
    ASSERT_NE(block, nullptr);
    ASSERT_EQ(GlobalSize(block) / sizeof(ObjectStep), 3u);
    {
        GlobalLockGuard<ObjectStep> got(block);
        for (int i = 0; i < 3; ++i) {
            AnoObjectStep x{}, y{};
            PackAnoStep(got.get()[i], &x);
            PackAnoStep(steps[i], &y);
            EXPECT_EQ(memcmp(&x, &y, sizeof x), 0) << "step " << i;
        }
    }
    GlobalFree(block);
}

TEST(ObjectFile, AnObjectWithoutStepsIsTheHeaderAlone)
{
    ScratchDir dir;
    const std::string path = dir.File("still.ano");
    ASSERT_EQ(WriteAnoFile(path.c_str(), SampleSequence(), SampleObject(0), nullptr, 0), RESULT_OK);
    EXPECT_EQ(ReadWholeFile(path).size(), 143u);
    SequenceRecord sequence{};
    ObjectRecord read{};
    HGLOBAL block = reinterpret_cast<HGLOBAL>(1);
    ASSERT_EQ(ReadAnoFile(path.c_str(), &sequence, &read, &block), RESULT_OK);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(read.stepCount, 0);
}

// Damaged object files give a code and hand nothing over.
TEST(ObjectFile, HostileFilesGiveCodesAndChangeNothing)
{
    ScratchDir dir;
    const std::string good = dir.File("good.ano");
    const std::vector<ObjectStep> steps = SampleSteps(3);
    ASSERT_EQ(WriteAnoFile(good.c_str(), SampleSequence(), SampleObject(3), steps.data(), 3), RESULT_OK);
    const std::vector<uint8_t> bytes = ReadWholeFile(good);
    const size_t stepCountAt = 2 + 68 + 37;
    auto withCount = [&](int32_t count) {
        std::vector<uint8_t> b = bytes;
        memcpy(&b[stepCountAt], &count, 4);
        return b;
    };
    auto unterminated = [&](size_t at, size_t length) {
        std::vector<uint8_t> b = bytes;
        memset(&b[at], 'x', length);
        return b;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> contents;
        int expected;
    };
    std::vector<Case> cases = {
        {"empty", {}, RESULT_READ_ERROR},
        {"one byte", {'A'}, RESULT_READ_ERROR},
        {"wrong magic", {'A', 'N', 0, 0}, RESULT_UNKNOWN_FORMAT},
        {"sequence cut", {bytes.begin(), bytes.begin() + 50}, RESULT_READ_ERROR},
        {"record cut", {bytes.begin(), bytes.begin() + 142}, RESULT_READ_ERROR},
        {"steps cut", {bytes.begin(), bytes.end() - 1}, RESULT_READ_ERROR},
        {"stepCount -1", withCount(-1), RESULT_READ_ERROR},
        {"stepCount 5000", withCount(5000), RESULT_READ_ERROR},
        {"stepCount 2049", withCount(2049), RESULT_READ_ERROR},
        {"stepCount 4 with 3 stored", withCount(4), RESULT_READ_ERROR},
        {"stepCount 0x10003", withCount(0x10003), RESULT_READ_ERROR},
        {"sequence name without NUL", unterminated(2 + 4, 64), RESULT_READ_ERROR},
        {"object name without NUL", unterminated(2 + 68 + 1, 32), RESULT_READ_ERROR},
    };
    for (const Case& c : cases) {
        const std::string path = dir.File("bad.ano");
        ASSERT_TRUE(WriteWholeFile(path, c.contents));
        SequenceRecord sequence{};
        sequence.frameCount = 99;
        ObjectRecord object{};
        object.startX = 4242;
        HGLOBAL block = reinterpret_cast<HGLOBAL>(1);
        EXPECT_EQ(ReadAnoFile(path.c_str(), &sequence, &object, &block), c.expected) << c.what;
        EXPECT_EQ(sequence.frameCount, 99) << c.what;
        EXPECT_EQ(object.startX, 4242) << c.what;
        EXPECT_EQ(block, reinterpret_cast<HGLOBAL>(1)) << c.what;
    }
    SequenceRecord sequence{};
    ObjectRecord object{};
    HGLOBAL block = nullptr;
    EXPECT_EQ(ReadAnoFile(dir.File("missing.ano").c_str(), &sequence, &object, &block), RESULT_NOT_FOUND);
}

TEST(ObjectFile, TheLargestStepCountIsAccepted)
{
    ScratchDir dir;
    const std::string path = dir.File("long.ano");
    const std::vector<ObjectStep> steps = SampleSteps(MAX_STEPS);
    ASSERT_EQ(WriteAnoFile(path.c_str(), SampleSequence(), SampleObject(MAX_STEPS), steps.data(), MAX_STEPS),
              RESULT_OK);
    SequenceRecord sequence{};
    ObjectRecord object{};
    HGLOBAL block = nullptr;
    ASSERT_EQ(ReadAnoFile(path.c_str(), &sequence, &object, &block), RESULT_OK);
    EXPECT_EQ(object.stepCount, MAX_STEPS);
    {
        GlobalLockGuard<ObjectStep> got(block);
        EXPECT_EQ(got.get()[MAX_STEPS - 1].x, steps[MAX_STEPS - 1].x);
    }
    GlobalFree(block);
}

// ---- fill patterns -----------------------------------------------------------------------

struct Patterns {
    HBITMAP bitmaps[MUS_PATTERN_COUNT] = {};
    Patterns() = default;
    Patterns(const Patterns&) = delete;
    ~Patterns()
    {
        for (HBITMAP b : bitmaps)
            if (b) DeleteObject(b);
    }
    // Pattern i, row y: a byte unique to both.
    void Fill()
    {
        for (int i = 0; i < MUS_PATTERN_COUNT; ++i) {
            WORD rows[8];
            for (int y = 0; y < 8; ++y) rows[y] = static_cast<WORD>(RowByte(i, y) | 0xFF00);
            bitmaps[i] = CreateBitmap(8, 8, 1, 1, rows);
        }
    }
    static BYTE RowByte(int i, int y) { return static_cast<BYTE>(i * 17 + y * 29 + 1); }
    // The eight top-down rows of a pattern as bytes.
    std::vector<BYTE> Rows(int i) const
    {
        WORD rows[8] = {};
        GetBitmapBits(bitmaps[i], sizeof rows, rows);
        std::vector<BYTE> out;
        for (WORD w : rows) out.push_back(static_cast<BYTE>(w & 0xFF));
        return out;
    }
};

TEST(PatternFile, TwelvePatternsRoundTripIn964Bytes)
{
    ScratchDir dir;
    const std::string path = dir.File("p.MUS");
    Patterns written;
    written.Fill();
    ASSERT_EQ(WritePatternFileTo(path.c_str(), written.bitmaps), RESULT_OK);
    const std::vector<uint8_t> bytes = ReadWholeFile(path);
    ASSERT_EQ(bytes.size(), 964u);
    MusFile file;
    memcpy(&file, bytes.data(), sizeof file);
    EXPECT_EQ(file.magic, MUS_MAGIC);
    EXPECT_EQ(file.patterns[3].header.biWidth, 8);
    EXPECT_EQ(file.patterns[3].header.biBitCount, 1);
    EXPECT_EQ(file.patterns[3].rows[7][0], Patterns::RowByte(3, 0)) << "rows stored bottom-up";

    Patterns read;
    ASSERT_EQ(ReadPatternFileFrom(path.c_str(), read.bitmaps), RESULT_OK);
    for (int i = 0; i < MUS_PATTERN_COUNT; ++i) EXPECT_EQ(read.Rows(i), written.Rows(i)) << "pattern " << i;
}

TEST(PatternFile, AMissingFileLeavesEveryPatternWhite)
{
    ScratchDir dir;
    Patterns patterns;
    patterns.Fill();
    EXPECT_EQ(ReadPatternFileFrom(dir.File("none.MUS").c_str(), patterns.bitmaps), RESULT_NOT_FOUND);
    for (int i = 0; i < MUS_PATTERN_COUNT; ++i) EXPECT_EQ(patterns.Rows(i), std::vector<BYTE>(8, 0xFF)) << i;
}

TEST(PatternFile, StoredHeadersDoNotSteerTheReadAndShortFilesSetNothing)
{
    ScratchDir dir;
    const std::string path = dir.File("p.MUS");
    Patterns written;
    written.Fill();
    ASSERT_EQ(WritePatternFileTo(path.c_str(), written.bitmaps), RESULT_OK);
    std::vector<uint8_t> bytes = ReadWholeFile(path);

    // Headers claiming other sizes and depths: the rows are still 8 x 8 x 1.
    std::vector<uint8_t> lying = bytes;
    for (int i = 0; i < MUS_PATTERN_COUNT; ++i) {
        BITMAPINFOHEADER h{0x7FFFFFFF, 5000, -5000, 9, 24, BI_RLE8, 0xFFFFFFFF, 0, 0, 0xFFFFFFFF, 0};
        memcpy(&lying[4 + i * 80], &h, sizeof h);
    }
    ASSERT_TRUE(WriteWholeFile(path, lying));
    Patterns read;
    ASSERT_EQ(ReadPatternFileFrom(path.c_str(), read.bitmaps), RESULT_OK);
    for (int i = 0; i < MUS_PATTERN_COUNT; ++i) EXPECT_EQ(read.Rows(i), written.Rows(i)) << "pattern " << i;

    struct Case {
        size_t length;
        bool wrongMagic;
        int expected;
    };
    for (const Case& c : {Case{0, false, RESULT_READ_ERROR}, Case{3, false, RESULT_READ_ERROR},
                          Case{4, false, RESULT_READ_ERROR}, Case{963, false, RESULT_READ_ERROR},
                          Case{964, true, RESULT_UNKNOWN_FORMAT}}) {
        std::vector<uint8_t> b(bytes.begin(), bytes.begin() + c.length);
        if (c.wrongMagic) b[0] = 'B';
        ASSERT_TRUE(WriteWholeFile(path, b));
        Patterns kept;
        kept.Fill();
        EXPECT_EQ(ReadPatternFileFrom(path.c_str(), kept.bitmaps), c.expected) << c.length;
        for (int i = 0; i < MUS_PATTERN_COUNT; ++i) EXPECT_EQ(kept.Rows(i), written.Rows(i)) << c.length;
    }
}

TEST(PatternFile, PathsAreTheProgramsWithTheirOwnExtensions)
{
    char program[MAX_PATH], mus[MAX_PATH], mbx[MAX_PATH];
    GetModuleFileNameA(nullptr, program, sizeof program);
    *strrchr(program, '.') = '\0';
    GetPatternFilePath(mus, PATTERN_FILE_MUS);
    GetPatternFilePath(mbx, PATTERN_FILE_MBX);
    EXPECT_EQ(std::string(mus), std::string(program) + ".MUS");
    EXPECT_EQ(std::string(mbx), std::string(program) + ".MBX");
}

// ---- pattern brushes ----------------------------------------------------------------------

// A brush file of `frames` 8 x 8 frames at 4 bits.
std::vector<uint8_t> MakeBrushFile(const std::string& path, int frames, int size = 8)
{
    FrameSequence sequence;
    sequence.format.width = size;
    sequence.format.height = size;
    sequence.format.bitsPerPixel = 4;
    sequence.format.colorTableEntries = 16;
    for (int i = 0; i < 16; ++i) sequence.format.colors[i] = {BYTE(i * 16), BYTE(255 - i * 16), BYTE(i), 0};
    for (int f = 0; f < frames; ++f) {
        HGLOBAL dib = CreatePackedDib(size, size, 4, sequence.format.colors, 16);
        {
            GlobalLockGuard<BYTE> p(dib);
            memset(DibBits(p.get()), f * 0x11 % 256, DibStride(size, 4) * size);
        }
        sequence.frames.push_back({dib, "b" + std::to_string(f), 0, 0});
    }
    EXPECT_EQ(SaveFrameSequenceFile(path.c_str(), sequence, DEFAULT_BMX_COMPRESSION), RESULT_OK);
    return ReadWholeFile(path);
}

int LoadAndFree(const std::string& path, int wanted, HBRUSH* brushes)
{
    const int made = LoadPatternBrushesFrom(path.c_str(), brushes, wanted);
    for (int i = 0; made <= MAX_MBX_BRUSHES && i < made; ++i) {
        LOGBRUSH lb{};
        EXPECT_EQ(GetObjectA(brushes[i], sizeof lb, &lb), static_cast<int>(sizeof lb)) << i;
        EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_DIBPATTERN)) << i;
        DeleteObject(brushes[i]);
    }
    return made;
}

TEST(PatternBrushes, AtMostEighteenAreMade)
{
    ScratchDir dir;
    const std::string path = dir.File("p.MBX");
    MakeBrushFile(path, 25);
    HBRUSH brushes[32] = {};
    EXPECT_EQ(LoadAndFree(path, MAX_MBX_BRUSHES, brushes), 18);
    EXPECT_EQ(LoadAndFree(path, 30, brushes), 18);
    HBRUSH five[MAX_MBX_BRUSHES] = {};
    EXPECT_EQ(LoadAndFree(path, 5, five), 5);
    EXPECT_EQ(five[5], nullptr) << "no more than asked for";
    MakeBrushFile(path, 3);
    EXPECT_EQ(LoadAndFree(path, MAX_MBX_BRUSHES, brushes), 3);
    EXPECT_EQ(LoadAndFree(dir.File("none.MBX"), MAX_MBX_BRUSHES, brushes), RESULT_NOT_FOUND);
}

TEST(PatternBrushes, HostileFilesGiveCodesAndNoBrush)
{
    ScratchDir dir;
    const std::string path = dir.File("p.MBX");
    const std::vector<uint8_t> bytes = MakeBrushFile(path, 4);
    const size_t info = sizeof(BmxFileHeader);
    const size_t entry0 = info + sizeof(BITMAPINFOHEADER) + 16 * sizeof(RGBQUAD);
    auto patched = [&](size_t at, uint32_t value, size_t width = 4) {
        std::vector<uint8_t> b = bytes;
        memcpy(&b[at], &value, width);
        return b;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> contents;
    };
    const std::vector<Case> cases = {
        {"empty", {}},
        {"header cut", {bytes.begin(), bytes.begin() + 10}},
        {"wrong magic", patched(0, 0x4D42, 2)},
        {"directory cut", {bytes.begin(), bytes.begin() + entry0 + 30}},
        {"bits cut", {bytes.begin(), bytes.end() - 5}},
        {"huge dataSize", patched(entry0 + 20 * 3, 0xFFFFFFF0)},
        {"huge first dataSize", patched(entry0, 0x7FFFFFFF)},
        {"frame width 100000", patched(info + 4, 100000)},
        {"frame height -8", patched(info + 8, static_cast<uint32_t>(-8))},
        {"depth 7 in the info", patched(info + 14, 7, 2)},
        {"depth 7 in the header", patched(10, 7, 1)},
        {"frame count 5000", patched(6, 5000, 2)},
        {"unknown compression", patched(entry0 + 20 * 2 + 17, 9, 1)},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteWholeFile(path, c.contents));
        HBRUSH brushes[MAX_MBX_BRUSHES] = {};
        const int result = LoadAndFree(path, MAX_MBX_BRUSHES, brushes);
        EXPECT_TRUE(result == RESULT_READ_ERROR || result == RESULT_UNKNOWN_FORMAT) << c.what << ": " << result;
        for (HBRUSH b : brushes) EXPECT_EQ(b, nullptr) << c.what;
    }
}

// ---- portability helpers -----------------------------------------------------------------

TEST(Compat, MakePointZeroExtendsBothHalves)
{
    struct Case {
        uint32_t packed;
        LONG x, y;
    };
    for (const Case& c : {Case{0x00000000, 0, 0}, Case{0x00020001, 1, 2}, Case{0xFFFF8000, 0x8000, 0xFFFF},
                          Case{0x7FFFFFFF, 0xFFFF, 0x7FFF}, Case{0x80000000, 0, 0x8000}}) {
        const POINT p = MakePoint(c.packed);
        EXPECT_EQ(p.x, c.x) << std::hex << c.packed;
        EXPECT_EQ(p.y, c.y) << std::hex << c.packed;
    }
}

TEST(Compat, PenOriginExtentAndDimensionComePacked)
{
    HDC dc = CreateCompatibleDC(nullptr);
    MoveToEx(dc, 3, 4, nullptr);
    EXPECT_EQ(CompatMoveTo(dc, 10, 20), 0x00040003u);
    EXPECT_EQ(CompatMoveTo(dc, -1, 0), 0x0014000Au);
    EXPECT_EQ(CompatMoveTo(dc, 0, 0), 0x0000FFFFu) << "-1 keeps its 16 bits";
    EXPECT_EQ(CompatSetWindowOrg(dc, 7, 9), 0u);
    EXPECT_EQ(CompatSetWindowOrg(dc, 0, 0), 0x00090007u);
    SIZE size{};
    GetTextExtentPoint32A(dc, "Zelvo", 5, &size);
    ASSERT_GT(size.cx, 0);
    EXPECT_EQ(CompatGetTextExtent(dc, "Zelvo", 5), static_cast<uint32_t>(size.cy << 16 | size.cx));
    EXPECT_EQ(CompatGetTextExtent(dc, nullptr, 5), 0u);
    DeleteDC(dc);

    HBITMAP bitmap = CreateBitmap(4, 4, 1, 1, nullptr);
    SetBitmapDimensionEx(bitmap, 120, 45, nullptr);
    EXPECT_EQ(CompatGetBitmapDimension(bitmap), 0x002D0078u);
    DeleteObject(bitmap);
    EXPECT_EQ(CompatGetBitmapDimension(nullptr), 0u);
}

LRESULT CALLBACK RecordCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND) {
        SetWindowLongPtrA(window, GWLP_USERDATA, static_cast<LONG_PTR>(wParam));
        return lParam == 0x1234 ? 77 : 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(Compat, SendCommandPacksTheNotifyCodeAboveTheId)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = RecordCommand;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "CompatCommandTarget";
    RegisterClassA(&wc);
    HWND window = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendCommand(window, 0x10321, reinterpret_cast<HWND>(0x1234), 5), 77);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 0x00050321);
    DestroyWindow(window);
}

TEST(Compat, RandomNumbersStayBelowTheLimit)
{
    Randomize();
    bool seen[7] = {};
    for (int i = 0; i < 2000; ++i) {
        const int r = RandomBelow(7);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 7);
        seen[r] = true;
    }
    for (bool s : seen) EXPECT_TRUE(s);
    EXPECT_EQ(RandomBelow(1), 0);
    EXPECT_EQ(RandomBelow(0), 0);
    EXPECT_EQ(RandomBelow(-5), 0);
}

}  // namespace
