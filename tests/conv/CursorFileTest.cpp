// Icons, cursors and animated cursors through the library's exports with a
// stand-in editor: the choice of an image, exact bytes written, reading
// back with hotspots, names and the cycle, the requests of each export in
// order, the step list following frame edits, previews and hostile files.
#include "AniCursor.h"
#include "ConvTestSupport.h"
#include "CursorHost.h"
#include "IconCursor.h"
#include "PackedDib.h"
#include "TestFiles.h"
#include <gtest/gtest.h>
#include <cstring>

namespace {

int Diagonal(int x, int y) { return (x + 2 * y) & 15; }
int Stripes(int x, int y) { return (x / 3 + y) % 7; }
int Checks(int x, int y) { return ((x / 4 + y / 4) & 1) * 9 + 3; }

struct Entry {
    uint8_t width, height, colors;
    uint16_t hotX, hotY;
};

// An icon file whose entries all point at one tiny valid 1-bit image.
std::vector<uint8_t> IconDirectory(uint16_t type, const std::vector<Entry>& entries)
{
    std::vector<uint8_t> out;
    AppendBytes(out, IconFileHeader{0, type, static_cast<uint16_t>(entries.size())});
    const uint32_t imageAt = static_cast<uint32_t>(6 + 16 * entries.size());
    uint32_t index = 0;
    for (const Entry& e : entries) {
        IconDirEntry d{e.width, e.height, e.colors, 0, e.hotX, e.hotY, 48, imageAt + 48 * index++};
        AppendBytes(out, d);
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        BITMAPINFOHEADER h{40, 1, 2, 1, 1, BI_RGB, 0, 0, 0, 0, 0};
        AppendBytes(out, h);
        for (int k = 0; k < 8; ++k) out.push_back(static_cast<uint8_t>(i));  // two colours, marked by entry
    }
    return out;
}

const ConvExports& Lib()
{
    const ConvExports& c = Conv();
    return c;
}

int Save(const std::string& path, BYTE code, HGLOBAL dib = nullptr)
{
    return Lib().SaveConvImage(nullptr, path.c_str(), dib, code, 0, CursorHost::Proc);
}

int Load(const std::string& path, bool withImage = false)
{
    ConvImage image{};
    BYTE code = 0;
    const int result = Lib().LoadConvImage(nullptr, path.c_str(), withImage ? &image : nullptr, &code, 0, CursorHost::Proc);
    if (image.dib) GlobalFree(image.dib);
    return result;
}

AniSettings SettingsOf(HGLOBAL block)
{
    AniSettings s{};
    GlobalLockGuard<AniSettings> p(block);
    if (p) s = *p.get();
    return s;
}

HGLOBAL BlockOf(const AniSettings& s)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof s);
    GlobalLockGuard<AniSettings> p(block);
    *p.get() = s;
    return block;
}

AniSettings Cycle(std::vector<uint32_t> seq, std::vector<uint32_t> rate, const char* title, const char* author)
{
    AniSettings s{};
    s.formatCode = CONV_FORMAT_ANI;
    s.cbSize = 36;
    s.stepCount = static_cast<uint32_t>(seq.size());
    for (size_t i = 0; i < seq.size(); ++i) {
        s.seq[i] = seq[i];
        s.rate[i] = rate[i];
    }
    s.defaultRate = rate.empty() ? 0 : rate[0];
    strcpy(s.title, title);
    strcpy(s.author, author);
    return s;
}

void AddFrames(CursorHost& host, int count, int bits = 4)
{
    int (*patterns[])(int, int) = {Diagonal, Stripes, Checks};
    for (int i = 0; i < count; ++i) {
        HGLOBAL dib = MakePatternDib(32, 32, bits, patterns[i % 3]);
        host.AddFrame(dib, static_cast<uint32_t>((i + 2) << 16 | (i + 1)));
        GlobalFree(dib);
    }
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at)
{
    uint32_t v;
    memcpy(&v, b.data() + at, 4);
    return v;
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

}  // namespace

// ---- choosing the image ---------------------------------------------------------------

TEST(IconChoice, TheMostColourfulOrLargestEntryWins)
{
    struct Case {
        const char* name;
        uint16_t type;
        std::vector<Entry> entries;
        int chosen;       // -1: none
        uint32_t hotspot;
    } cases[] = {
        {"a larger area beats more colours", 1, {{32, 32, 16, 0, 0}, {48, 48, 2, 0, 0}}, 1, 0},
        {"16 colours beat the colour byte 0 at the same size", 1, {{32, 32, 0, 0, 0}, {32, 32, 16, 0, 0}}, 1, 0},
        {"a smaller, poorer entry does not replace", 1, {{32, 32, 16, 0, 0}, {16, 16, 2, 0, 0}}, 0, 0},
        {"a cursor keeps its hotspot", 2, {{16, 16, 2, 3, 4}, {32, 32, 2, 7, 9}}, 1, 9u << 16 | 7},
        {"an icon has none", 1, {{32, 32, 2, 7, 9}}, 0, 0},
        {"colour byte 0 and size 0 everywhere", 1, {{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}}, -1, 0},
        {"no entries", 1, {}, -1, 0},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> file = IconDirectory(c.type, c.entries);
        IconChoice choice{};
        const bool found = ChooseIconImage(file.data(), static_cast<uint32_t>(file.size()), &choice);
        EXPECT_EQ(c.chosen >= 0, found) << c.name;
        if (!found || c.chosen < 0) continue;
        EXPECT_EQ(6 + 16 * c.entries.size() + 48 * c.chosen, choice.offset) << c.name;
        EXPECT_EQ(48u, choice.size) << c.name;
        EXPECT_EQ(c.hotspot, choice.hotspot) << c.name;
    }
}

TEST(IconChoice, DirectoriesReachingPastTheFileChooseNothing)
{
    std::vector<uint8_t> file = IconDirectory(1, {{32, 32, 16, 0, 0}});
    IconChoice choice{};
    std::vector<uint8_t> manyEntries = file;
    manyEntries[4] = 0xFF;  // count 255: the entries end distant past the file
    EXPECT_FALSE(ChooseIconImage(manyEntries.data(), static_cast<uint32_t>(manyEntries.size()), &choice));
    std::vector<uint8_t> farOffset = file;
    farOffset[6 + 12] = 0xF0;  // imageOffset past the end
    EXPECT_FALSE(ChooseIconImage(farOffset.data(), static_cast<uint32_t>(farOffset.size()), &choice));
    std::vector<uint8_t> longImage = file;
    longImage[6 + 9] = 0x10;  // bytesInRes 4144: past the end
    EXPECT_FALSE(ChooseIconImage(longImage.data(), static_cast<uint32_t>(longImage.size()), &choice));
    std::vector<uint8_t> zeroSize = file;
    zeroSize[6 + 8] = 0;  // bytesInRes 0: to the end of the file
    ASSERT_TRUE(ChooseIconImage(zeroSize.data(), static_cast<uint32_t>(zeroSize.size()), &choice));
    EXPECT_EQ(48u, choice.size);
}

// ---- icons and cursors ------------------------------------------------------------------

TEST(IconFiles, ACursorIsWrittenWithTheHotspotAndReadBackAsAFrame)
{
    ASSERT_TRUE(Lib().complete);
    ScratchDir dir;
    std::vector<uint8_t> pixels;
    {
        CursorHost host;
        AddFrames(host, 1);
        pixels = PixelsOf(host.At(0).dib);
        ASSERT_EQ(1, Save(dir.File("arrow.Cur"), CONV_FORMAT_ICON));
        const std::vector<UINT> expected = {CONV_REQ_QUERY, CONV_REQ_QUERY, CONV_REQ_GET_ICON_IMAGE, CONV_REQ_GET_HOTSPOT};
        EXPECT_EQ(expected, host.RequestCodes());
        EXPECT_EQ(0xFFFFu, host.Requests()[2].n) << "the current frame";
        EXPECT_EQ(static_cast<ULONG_PTR>(-1), host.Requests()[3].n);
    }
    const std::vector<uint8_t> bytes = ReadWholeFile(dir.File("arrow.Cur"));
    const uint32_t imageSize = 40 + 16 * 4 + 16 * 32 + 4 * 32;
    ASSERT_EQ(22 + imageSize, bytes.size());
    EXPECT_EQ(0, U16(bytes, 0));
    EXPECT_EQ(2, U16(bytes, 2)) << "cursor";
    EXPECT_EQ(1, U16(bytes, 4));
    EXPECT_EQ(32, bytes[6]);
    EXPECT_EQ(32, bytes[7]);
    EXPECT_EQ(16, bytes[8]);
    EXPECT_EQ(1, U16(bytes, 10)) << "hotspot x";
    EXPECT_EQ(2, U16(bytes, 12)) << "hotspot y";
    EXPECT_EQ(imageSize, U32(bytes, 14));
    EXPECT_EQ(22u, U32(bytes, 18));
    EXPECT_EQ(64u, U32(bytes, 22 + 8)) << "the image keeps its doubled height";

    CursorHost reader;
    ASSERT_EQ(1, Load(dir.File("arrow.Cur"), true));
    const std::vector<UINT> expected = {CONV_REQ_ADD_FRAME_MASKED, CONV_REQ_QUERY, CONV_REQ_SET_HOTSPOT,
                                        CONV_REQ_SET_FRAME_NAME};
    ASSERT_EQ(expected, reader.RequestCodes());
    EXPECT_EQ(0x11u, reader.Requests()[0].n);
    EXPECT_EQ(2u << 16 | 1, reader.Requests()[2].value);
    EXPECT_EQ(0x84u << 8, reader.Requests()[3].n);
    EXPECT_EQ(dir.File("arrow.Cur"), reader.Requests()[3].text);
    ASSERT_EQ(1, reader.FrameCount());
    EXPECT_EQ(pixels, PixelsOf(reader.At(0).dib));
}

TEST(IconFiles, AnIconHasNoHotspotAndSidesOf256AreWrittenAsZero)
{
    ASSERT_TRUE(Lib().complete);
    ScratchDir dir;
    CursorHost host;
    AddFrames(host, 1, 8);
    ASSERT_EQ(1, Save(dir.File("picture.ico"), CONV_FORMAT_ICON));
    EXPECT_EQ(0, host.Count(CONV_REQ_GET_HOTSPOT));
    const std::vector<uint8_t> bytes = ReadWholeFile(dir.File("picture.ico"));
    ASSERT_GE(bytes.size(), 22u);
    EXPECT_EQ(1, U16(bytes, 2));
    EXPECT_EQ(0, bytes[8]) << "256 colours";
    EXPECT_EQ(0u, U32(bytes, 10)) << "planes and bit count 0";

    // A 256 x 300 image: the entry says 0 for either side, the format's 256.
    for (LONG width : {255L, 256L, 300L}) {
        std::vector<uint8_t> image(sizeof(BITMAPINFOHEADER) + 8);
        BITMAPINFOHEADER h{40, width, 2 * 300, 1, 1, BI_RGB, 0, 0, 0, 0, 0};
        memcpy(image.data(), &h, sizeof h);
        const std::string path = dir.File("wide.ico");
        HFILE file = _lcreat(path.c_str(), 0);
        ASSERT_NE(HFILE_ERROR, file);
        ASSERT_TRUE(WriteOneImageIcon(file, image.data(), static_cast<uint32_t>(image.size()), ICON_TYPE_ICON, 0));
        _lclose(file);
        const std::vector<uint8_t> wide = ReadWholeFile(path);
        EXPECT_EQ(width < 256 ? width : 0, wide[6]) << width;
        EXPECT_EQ(0, wide[7]) << "300 high";
        EXPECT_EQ(2, wide[8]) << "two colours";
    }
}

// ---- animated cursors ------------------------------------------------------------------

TEST(AniFiles, ANewCursorDocumentGetsItsBlockMenuAndExtension)
{
    ASSERT_TRUE(Lib().complete);
    CursorHost host;
    AddFrames(host, 1);
    host.colorCount = 2;  // two colours become two with a transparent one
    char path[MAX_PATH] = "C:\\work\\walk.old.bmp";
    ASSERT_EQ(1, Lib().NewConvFile(nullptr, path, CONV_FORMAT_ANI, 0, CursorHost::Proc));
    EXPECT_STREQ("C:\\work\\walk.old.ANI", path);
    const std::vector<UINT> expected = {CONV_REQ_SET_SETTINGS, CONV_REQ_QUERY, CONV_REQ_QUERY, CONV_REQ_QUERY,
                                        CONV_REQ_CHANGE_FORMAT, CONV_REQ_MENU_ITEM, CONV_REQ_MENU_ITEM,
                                        CONV_REQ_MENU_ITEM, CONV_REQ_MENU_ITEM};
    ASSERT_EQ(expected, host.RequestCodes());
    const AniSettings s = SettingsOf(host.Settings());
    EXPECT_EQ(CONV_FORMAT_ANI, s.formatCode);
    EXPECT_EQ(36u, s.cbSize);
    EXPECT_EQ(1u, s.frameCount);
    EXPECT_STREQ("Created with Zelvo", s.author);
    const ConvFormatChange& change = host.Requests()[4].change;
    EXPECT_EQ(32u, change.width);
    EXPECT_EQ(32u, change.height);
    EXPECT_EQ(3u, change.colors);
    EXPECT_EQ(0u, change.scaleImage);
    const auto& r = host.Requests();
    EXPECT_EQ(CONV_MENU_REMOVE, r[5].menu.op);
    EXPECT_EQ(5u, r[5].menu.position);
    EXPECT_EQ(static_cast<UINT>(MF_BYPOSITION), r[5].menu.flags);
    EXPECT_EQ(CONV_MENU_REMOVE, r[6].menu.op);
    EXPECT_EQ(CONV_MENU_INSERT, r[7].menu.op);
    EXPECT_EQ(1001u, r[7].menu.newId);
    EXPECT_EQ("&Animation...", r[7].text);
    EXPECT_EQ(CONV_MENU_MODIFY, r[8].menu.op);
    EXPECT_EQ(405u, r[8].menu.position);
    EXPECT_EQ(static_cast<UINT>(MF_BYCOMMAND | MF_STRING), r[8].menu.flags);
    EXPECT_EQ(1002u, r[8].menu.newId);
    EXPECT_EQ("Change &Format...\bStrg+F", r[8].text);

    // 16 colours at a cursor size: nothing to change.
    CursorHost plain;
    AddFrames(plain, 1);
    ASSERT_EQ(1, Lib().NewConvFile(nullptr, nullptr, CONV_FORMAT_ANI, 0, CursorHost::Proc));
    EXPECT_EQ(0, plain.Count(CONV_REQ_CHANGE_FORMAT));
    CursorHost refusing;
    refusing.refuseSettings = true;
    EXPECT_EQ(0, Lib().NewConvFile(nullptr, nullptr, CONV_FORMAT_ANI, 0, CursorHost::Proc));
    EXPECT_EQ(1u, refusing.RequestCodes().size()) << "nothing after a refused block";
}

TEST(AniFiles, AWrittenCursorReadsBackWithItsCycleTextsHotspotsAndPixels)
{
    ASSERT_TRUE(Lib().complete);
    ScratchDir dir;
    const std::string path = dir.File("walk.ani");
    std::vector<std::vector<uint8_t>> pixels;
    {
        CursorHost host;
        AddFrames(host, 3);
        for (int i = 0; i < 3; ++i) pixels.push_back(PixelsOf(host.At(i).dib));
        host.SetSettings(BlockOf(Cycle({2, 0, 1, 0}, {6, 12, 30, 6}, "Ti", "Auth")));
        ASSERT_EQ(1, Save(path, CONV_FORMAT_ANI));
        const std::vector<UINT> expected = {CONV_REQ_GET_SETTINGS, CONV_REQ_QUERY, CONV_REQ_QUERY,
                                            CONV_REQ_GET_ICON_IMAGE, CONV_REQ_GET_HOTSPOT, CONV_REQ_GET_ICON_IMAGE,
                                            CONV_REQ_GET_HOTSPOT, CONV_REQ_GET_ICON_IMAGE, CONV_REQ_GET_HOTSPOT};
        EXPECT_EQ(expected, host.RequestCodes());
        const AniSettings s = SettingsOf(host.Settings());
        EXPECT_EQ(3u, s.flags);
        EXPECT_EQ(32u, s.width);
        EXPECT_EQ(3u, s.frameCount);
    }
    const std::vector<uint8_t> bytes = ReadWholeFile(path);
    ASSERT_GT(bytes.size(), 12u);
    EXPECT_EQ(0, memcmp(bytes.data(), "RIFF", 4));
    EXPECT_EQ(bytes.size() - 8, U32(bytes, 4));
    EXPECT_EQ(0, memcmp(bytes.data() + 8, "ACONanih", 8));
    EXPECT_EQ(36u, U32(bytes, 16));
    EXPECT_EQ(0, memcmp(bytes.data() + 56, "rate", 4));
    EXPECT_EQ(16u, U32(bytes, 60));
    EXPECT_EQ(0, memcmp(bytes.data() + 80, "seq ", 4));
    // INFO: "INAM" 3 bytes padded to 4, "IART" 5 padded to 6.
    EXPECT_EQ(0, memcmp(bytes.data() + 104, "LIST", 4));
    EXPECT_EQ(4u + 12 + 14, U32(bytes, 108));
    EXPECT_EQ(0, memcmp(bytes.data() + 112, "INFOINAM", 8));
    const size_t fram = 104 + 8 + 30;
    EXPECT_EQ(0, memcmp(bytes.data() + fram, "LIST", 4));
    const uint32_t imageSize = 40 + 64 + 16 * 32 + 4 * 32;
    EXPECT_EQ((imageSize + 30) * 3 + 4, U32(bytes, fram + 4));
    EXPECT_EQ(0, memcmp(bytes.data() + fram + 8, "framicon", 8));
    EXPECT_EQ(imageSize + 22, U32(bytes, fram + 16));
    EXPECT_EQ(bytes.size(), fram + 12 + 3 * (imageSize + 30));

    CursorHost reader;
    ASSERT_EQ(1, Load(path));
    ASSERT_EQ(3, reader.FrameCount());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(pixels[i], PixelsOf(reader.At(i).dib)) << i;
        EXPECT_EQ(static_cast<uint32_t>((i + 2) << 16 | (i + 1)), reader.At(i).hotspot) << i;
    }
    int added = 0;
    for (const CursorHost::Request& r : reader.Requests())
        if (r.request == CONV_REQ_ADD_FRAME_MASKED) { EXPECT_EQ(0x11u | added++ << 8, r.n); }
    const AniSettings s = SettingsOf(reader.Settings());
    EXPECT_STREQ("Ti", s.title);
    EXPECT_STREQ("Auth", s.author);
    EXPECT_EQ(4u, s.stepCount);
    EXPECT_EQ(3u, s.frameCount);
    const uint32_t seq[] = {2, 0, 1, 0}, rate[] = {6, 12, 30, 6};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(seq[i], s.seq[i]) << i;
        EXPECT_EQ(rate[i], s.rate[i]) << i;
    }
    EXPECT_EQ(4, reader.Count(CONV_REQ_MENU_ITEM));

    // With an image record the frames come, the block does not; reported as an icon.
    CursorHost asImage;
    ConvImage image{};
    BYTE code = 0;
    ASSERT_EQ(1, Lib().LoadConvImage(nullptr, path.c_str(), &image, &code, 0, CursorHost::Proc));
    EXPECT_EQ(CONV_FORMAT_ICON, code);
    EXPECT_EQ(3, asImage.FrameCount());
    EXPECT_EQ(nullptr, asImage.Settings());
    EXPECT_EQ(0, asImage.Count(CONV_REQ_MENU_ITEM));
}

// Pieces of a hand-made animated cursor.
std::vector<uint8_t> Chunk(const char* id, const std::vector<uint8_t>& data, int32_t sizeField = -1)
{
    std::vector<uint8_t> out(id, id + 4);
    AppendBytes(out, static_cast<uint32_t>(sizeField < 0 ? data.size() : static_cast<uint32_t>(sizeField)));
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() & 1) out.push_back(0);
    return out;
}

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

std::vector<uint8_t> Riff(const std::vector<uint8_t>& body)
{
    std::vector<uint8_t> form = {'A', 'C', 'O', 'N'};
    form.insert(form.end(), body.begin(), body.end());
    return Chunk("RIFF", form);
}

std::vector<uint8_t> Anih(uint32_t frames, uint32_t steps, uint32_t rate)
{
    std::vector<uint8_t> d;
    for (uint32_t v : {36u, frames, steps, 32u, 32u, 4u, 1u, rate, 1u}) AppendBytes(d, v);
    return Chunk("anih", d);
}

// A one-image cursor file of a pattern frame, as the library writes it.
std::vector<uint8_t> CursorFileBytes(int (*pattern)(int, int), uint32_t hotspot)
{
    CursorHost host;
    HGLOBAL dib = MakePatternDib(32, 32, 4, pattern);
    host.AddFrame(dib, hotspot);
    GlobalFree(dib);
    ScratchDir dir;
    Lib().SaveConvImage(nullptr, dir.File("one.cur").c_str(), nullptr, CONV_FORMAT_ICON, 0, CursorHost::Proc);
    return ReadWholeFile(dir.File("one.cur"));
}

std::vector<uint8_t> FrameList(const std::vector<std::vector<uint8_t>>& icons)
{
    std::vector<uint8_t> list = {'f', 'r', 'a', 'm'};
    for (const auto& icon : icons) {
        const auto chunk = Chunk("icon", icon);
        list.insert(list.end(), chunk.begin(), chunk.end());
    }
    return Chunk("LIST", list);
}

TEST(AniFiles, WithoutRateAndSeqEachFramePlaysOnceInOrderAtTheHeaderRate)
{
    ASSERT_TRUE(Lib().complete);
    ScratchDir dir;
    const auto icon = CursorFileBytes(Diagonal, 0);
    ASSERT_FALSE(icon.empty());
    const std::string path = dir.File("plain.ani");
    ASSERT_TRUE(WriteWholeFile(path, Riff(Join({Anih(2, 5, 9), FrameList({icon, icon})}))));
    CursorHost host;
    ASSERT_EQ(1, Load(path));
    EXPECT_EQ(2, host.FrameCount());
    const AniSettings s = SettingsOf(host.Settings());
    ASSERT_EQ(5u, s.stepCount);
    const uint32_t seq[] = {0, 1, 0, 1, 0};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(9u, s.rate[i]);
        EXPECT_EQ(seq[i], s.seq[i]);
    }
    // The preview is the first frame's image at its own height.
    ConvImage image{};
    ASSERT_EQ(1, Lib().GetPreviewImage(path.c_str(), &image));
    {
        GlobalLockGuard<BITMAPINFOHEADER> h(image.dib);
        EXPECT_EQ(32, h.get()->biHeight);
        EXPECT_EQ(16u, h.get()->biClrUsed);
        EXPECT_EQ(40u + 64, image.bitsOffset);
    }
    GlobalFree(image.dib);
}

TEST(AniFiles, ForeignStepListsAreCutToTheBlockAndToTheFramesRead)
{
    ASSERT_TRUE(Lib().complete);
    ScratchDir dir;
    const auto icon = CursorFileBytes(Stripes, 0);
    std::vector<uint8_t> seq;
    for (uint32_t i = 0; i < 300; ++i) AppendBytes(seq, i % 2 ? 7u : 1u);  // frame 7 does not exist
    const std::string path = dir.File("long.ani");
    ASSERT_TRUE(WriteWholeFile(path, Riff(Join({Anih(2, 1000, 4), Chunk("seq ", seq), FrameList({icon, icon})}))));
    CursorHost host;
    ASSERT_EQ(1, Load(path));
    const AniSettings s = SettingsOf(host.Settings());
    EXPECT_EQ(256u, s.stepCount);
    for (int i = 0; i < 256; ++i) ASSERT_LT(s.seq[i], 2u) << i;
    EXPECT_EQ(1u, s.seq[1]) << "the last frame stands in";
}

TEST(AniFiles, HostileFilesGiveNegativeResultsAndNoCrash)
{
    ASSERT_TRUE(Lib().complete);
    ScratchDir dir;
    const auto icon = CursorFileBytes(Checks, 3);
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    png.resize(200, 0);
    std::vector<uint8_t> pngIcon = IconDirectory(1, {{32, 32, 0, 0, 0}});
    pngIcon.resize(22);
    pngIcon.insert(pngIcon.end(), png.begin(), png.end());
    memcpy(pngIcon.data() + 14, "\xC8\0\0\0", 4);  // bytesInRes 200
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"frame count 0", Riff(Join({Anih(0, 1, 1), FrameList({icon})}))},
        {"fram without icons", Riff(Join({Anih(1, 1, 1), Chunk("LIST", {'f', 'r', 'a', 'm'})}))},
        {"no fram list", Riff(Anih(1, 1, 1))},
        {"a chunk past the end", Riff(Join({Anih(1, 1, 1), Chunk("rate", {1, 0, 0, 0}, 0x7FFFFFF0)}))},
        {"an icon past its list", Riff(Join({Anih(1, 1, 1), Chunk("LIST", Join({{'f', 'r', 'a', 'm'}, Chunk("icon", icon, 0x40000000)}))}))},
        {"a compressed icon", Riff(Join({Anih(1, 1, 1), FrameList({pngIcon})}))},
        {"an icon without directory", Riff(Join({Anih(1, 1, 1), FrameList({{1, 2, 3, 4, 5, 6}})}))},
    };
    for (const Case& c : cases) {
        const std::string path = dir.File("bad.ani");
        ASSERT_TRUE(WriteWholeFile(path, c.bytes));
        CursorHost host;
        EXPECT_LT(Load(path), 0) << c.name;
        EXPECT_EQ(nullptr, host.Settings()) << c.name;
        ConvImage image{};
        const int preview = Lib().GetPreviewImage(path.c_str(), &image);
        if (image.dib) GlobalFree(image.dib);
        (void)preview;
    }
    // Every truncation of a good cursor file and of a good animated cursor.
    const std::vector<uint8_t> good = Riff(Join({Anih(2, 2, 1), FrameList({icon, icon})}));
    for (size_t length = 0; length < good.size(); length += 7) {
        const std::string path = dir.File("cut.ani");
        ASSERT_TRUE(WriteWholeFile(path, std::vector<uint8_t>(good.begin(), good.begin() + length)));
        CursorHost host;
        const int result = Load(path);
        EXPECT_LE(result, 1) << length;
        if (result == 1) { EXPECT_GT(host.FrameCount(), 0) << length; }
        ConvImage image{};
        Lib().GetPreviewImage(path.c_str(), &image);
        if (image.dib) GlobalFree(image.dib);
    }
    for (size_t length = 0; length < icon.size(); length += 5) {
        const std::string path = dir.File("cut.cur");
        ASSERT_TRUE(WriteWholeFile(path, std::vector<uint8_t>(icon.begin(), icon.begin() + length)));
        CursorHost host;
        if (length >= 2) { EXPECT_LT(Load(path, true), 0) << length; }
        ConvImage image{};
        EXPECT_LT(Lib().GetPreviewImage(path.c_str(), &image), 1) << length;
        if (image.dib) GlobalFree(image.dib);
        EXPECT_EQ(0, host.FrameCount()) << length;
    }
    const std::string pngPath = dir.File("png.ico");
    ASSERT_TRUE(WriteWholeFile(pngPath, pngIcon));
    CursorHost host;
    EXPECT_EQ(CONV_ERR_COMPRESSION, Load(pngPath, true));
}

TEST(AniFiles, TheStepListFollowsInsertedAndDeletedFrames)
{
    ASSERT_TRUE(Lib().complete);
    struct Case {
        int framesAfter, kind, index;
        std::vector<uint32_t> before, after;
        int result;
    } cases[] = {
        {4, CONV_FRAME_DELETED, 2, {4, 2, 1}, {3, 2, 1}, 1},
        {6, CONV_FRAME_INSERTED, 1, {4, 2, 1}, {5, 3, 2}, 1},
        {2, CONV_FRAME_DELETED, 0, {4, 2, 1}, {1, 1, 0}, 1},
        {0, CONV_FRAME_DELETED, 0, {0, 0}, {0, 0}, 1},
        {5, CONV_FRAME_COPIED, 1, {4, 2, 1}, {4, 2, 1}, 0},
        {5, CONV_FRAME_OTHER, 1, {4, 2, 1}, {4, 2, 1}, 0},
        {2, CONV_FRAME_INSERTED, 0, {}, {}, 1},
    };
    for (const Case& c : cases) {
        CursorHost host;
        AddFrames(host, c.framesAfter);
        HGLOBAL block = BlockOf(Cycle(c.before, std::vector<uint32_t>(c.before.size(), 1), "", ""));
        EXPECT_EQ(c.result, Lib().NotifyFrameChange(CONV_FORMAT_ANI, block, c.kind, c.index, CursorHost::Proc));
        const AniSettings s = SettingsOf(block);
        for (size_t i = 0; i < c.after.size(); ++i) EXPECT_EQ(c.after[i], s.seq[i]) << c.kind << " " << i;
        EXPECT_EQ(static_cast<uint32_t>(c.framesAfter), s.frameCount);
        GlobalFree(block);
    }
    CursorHost host;
    HGLOBAL gif = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(AniSettings));
    { GlobalLockGuard<uint16_t> p(gif); *p.get() = CONV_FORMAT_GIF_ANIM; }
    EXPECT_EQ(0, Lib().NotifyFrameChange(CONV_FORMAT_ANI, gif, CONV_FRAME_DELETED, 0, CursorHost::Proc));
    EXPECT_EQ(0, Lib().NotifyFrameChange(CONV_FORMAT_ANI, nullptr, CONV_FRAME_DELETED, 0, CursorHost::Proc));
    EXPECT_TRUE(host.Requests().empty());
    GlobalFree(gif);
}

TEST(IconFiles, ThePreviewHalvesTheHeightAndNeedsTheWholeImageInItsBytes)
{
    ASSERT_TRUE(Lib().complete);
    ScratchDir dir;
    const auto icon = CursorFileBytes(Diagonal, 0);
    ASSERT_TRUE(WriteWholeFile(dir.File("a.cur"), icon));
    ConvImage image{};
    ASSERT_EQ(1, Lib().GetPreviewImage(dir.File("a.cur").c_str(), &image));
    std::vector<uint8_t> expected;
    {
        GlobalLockGuard<BYTE> p(image.dib);
        EXPECT_EQ(32, DibHeader(p.get())->biHeight);
        EXPECT_EQ(104u, image.bitsOffset);
        EXPECT_EQ(0, memcmp(p.get() + 104, icon.data() + 22 + 104, 16 * 32)) << "the picture's rows";
    }
    GlobalFree(image.dib);
    // An image whose bytes lie past the first 65,530 is not shown.
    std::vector<uint8_t> distant = icon;
    const uint32_t offset = 70000;
    distant.resize(offset, 0);
    distant.insert(distant.end(), icon.begin() + 22, icon.end());
    memcpy(distant.data() + 18, &offset, 4);
    ASSERT_TRUE(WriteWholeFile(dir.File("far.ico"), distant));
    image = {};
    EXPECT_LT(Lib().GetPreviewImage(dir.File("far.ico").c_str(), &image), 0);
    EXPECT_EQ(nullptr, image.dib);
}
