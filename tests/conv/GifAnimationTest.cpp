// Animated GIF documents through the library's exports with a stand-in
// editor: the requests of each import mode and their flags, the records an
// import leaves, the export of frames with their settings, comment pieces
// and loop, the screen that holds every frame, the frame records that
// follow the editor's frame edits, and new documents.
#include "ConvLibrary.h"
#include "ConvTestSupport.h"
#include "FrameHost.h"
#include "GifAnimation.h"
#include "GifTestFiles.h"
#include "PackedDib.h"
#include "TestFiles.h"
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

class GifDocument : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Conv().complete);
        SetConvModule(Conv().module);  // the library's strings for the code linked here
    }
    void TearDown() override { SetConvModule(nullptr); }
    std::string Save(const std::string& name, const Bytes& bytes)
    {
        const std::string path = dir_.File(name);
        WriteWholeFile(path, bytes);
        return path;
    }
    ScratchDir dir_;
};

std::unique_ptr<GifAnimSettings> StructureOf(const std::string& path)
{
    const Bytes bytes = ReadWholeFile(path);
    auto s = std::make_unique<GifAnimSettings>();
    GifReader in(bytes.data(), static_cast<uint32_t>(bytes.size()));
    EXPECT_EQ(CONV_OK, ReadGifStructure(in, s.get(), false)) << path;
    return s;
}

// The settings block the stand-in editor holds.
const GifAnimSettings& Block(const FrameHost& host)
{
    static GifAnimSettings copy;
    GlobalLockGuard<GifAnimSettings> s(host.Settings());
    copy = *s.get();
    return copy;
}

void ExpectMenuInstalled(const std::vector<FrameHost::Request>& requests, size_t at)
{
    ASSERT_GE(requests.size(), at + 3);
    for (size_t i = at; i < at + 2; ++i) {
        EXPECT_EQ(CONV_REQ_MENU_ITEM, requests[i].request);
        EXPECT_EQ(CONV_MENU_REMOVE, requests[i].menu.op);
        EXPECT_EQ(5u, requests[i].menu.position);
        EXPECT_EQ(UINT(MF_BYPOSITION), requests[i].menu.flags);
    }
    const FrameHost::Request& insert = requests[at + 2];
    EXPECT_EQ(CONV_REQ_MENU_ITEM, insert.request);
    EXPECT_EQ(CONV_MENU_INSERT, insert.menu.op);
    EXPECT_EQ(5u, insert.menu.position);
    EXPECT_EQ(UINT(MF_BYPOSITION | MF_STRING), insert.menu.flags);
    EXPECT_EQ(UINT(CONV_CMD_ANIMATION), insert.menu.newId);
    EXPECT_EQ("&Animation...", insert.text);
}

// ---- import ---------------------------------------------------------------------------------

TEST_F(GifDocument, SequenceOfEqualImagesAddsFramesWithTheirIndexAndTransparentColours)
{
    GifFile f;
    f.Screen(4, 2, 0x81, 0, 4).Loop(2).Comment({"from ", "the file"});
    f.Control(0x01, 10, 1).Pixels(0, 0, 4, 2, {0, 1, 2, 3, 3, 2, 1, 0});
    f.Control(0x08, 20, 0).Pixels(0, 0, 4, 2, {1, 1, 1, 1, 2, 2, 2, 2});
    f.Control(0x05, 30, 2).Pixels(0, 0, 4, 2, {3, 3, 3, 3, 0, 0, 0, 0});
    f.End();
    const std::string path = Save("seq.gif", f.bytes);
    FrameHost host;
    BYTE code = 0;
    ASSERT_EQ(CONV_OK, Conv().LoadConvImage(nullptr, path.c_str(), nullptr, &code, 0, FrameHost::Proc));
    EXPECT_EQ(CONV_FORMAT_GIF_ANIM, code);

    const auto& r = host.Requests();
    ASSERT_EQ(9u, r.size());
    EXPECT_EQ(CONV_REQ_ADD_FRAME, r[0].request);
    EXPECT_EQ(0x11u, r[0].n);
    EXPECT_EQ(CONV_REQ_SET_TRANSPARENT_COLOR, r[1].request);
    EXPECT_EQ(0u, r[1].noAsk) << "the first may ask the user";
    EXPECT_EQ(3, r[1].bgr[0]) << "entry 1 of the table: red 1, green 2, blue 3";
    EXPECT_EQ(1, r[1].bgr[2]);
    EXPECT_EQ(CONV_REQ_ADD_FRAME, r[2].request);
    EXPECT_EQ(0x111u, r[2].n);
    EXPECT_EQ(CONV_REQ_ADD_FRAME, r[3].request);
    EXPECT_EQ(0x211u, r[3].n);
    EXPECT_EQ(CONV_REQ_SET_TRANSPARENT_COLOR, r[4].request);
    EXPECT_EQ(1u, r[4].noAsk) << "later ones count the requests before";
    EXPECT_EQ(6, r[4].bgr[0]);
    EXPECT_EQ(CONV_REQ_SET_SETTINGS, r[5].request);
    ExpectMenuInstalled(r, 6);

    ASSERT_EQ(3, host.FrameCount());
    EXPECT_EQ((Bytes{0, 1, 2, 3, 3, 2, 1, 0}), DibIndexes(host.Frame(0)));
    EXPECT_EQ((Bytes{3, 3, 3, 3, 0, 0, 0, 0}), DibIndexes(host.Frame(2)));
    const GifAnimSettings& b = Block(host);
    EXPECT_EQ(CONV_FORMAT_GIF_ANIM, b.formatCode);
    EXPECT_EQ(3, b.frameCount);
    EXPECT_EQ(4, b.frameWidth);
    EXPECT_EQ(2, b.frameHeight);
    EXPECT_EQ(1u, b.loopFlag);
    EXPECT_EQ(2u, b.loopCount);
    EXPECT_EQ(1u, b.commentFlag);
    EXPECT_STREQ("from the file", b.comment);
    EXPECT_EQ(20, b.frames[1].delay);
    EXPECT_EQ(2, b.frames[1].disposal);
    EXPECT_EQ(GIF_NO_TRANSPARENCY, b.frames[1].transparentIndex);
}

// Colour entry `index` of a frame the stand-in editor received.
RGBQUAD FrameColor(HGLOBAL dib, int index)
{
    GlobalLockGuard<BYTE> p(dib);
    return DibColors(p.get())[index];
}

TEST_F(GifDocument, SequenceImagesWithoutATableOfTheirOwnKeepTheGlobalColours)
{
    GifFile f;
    f.Screen(2, 1, 0x81, 0, 4);
    f.Image(0, 0, 2, 1, 0x00, 0, 1);
    f.Image(0, 0, 2, 1, 0x81, 4, 1);  // its own table: every entry (9, 9, 9)
    f.Image(0, 0, 2, 1, 0x00, 0, 1);
    f.End();
    const std::string path = Save("local.gif", f.bytes);
    FrameHost host;
    BYTE code = 0;
    ASSERT_EQ(CONV_OK, Conv().LoadConvImage(nullptr, path.c_str(), nullptr, &code, 0, FrameHost::Proc));
    ASSERT_EQ(3, host.FrameCount());
    const int expectedRed[3] = {1, 9, 1};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ((Bytes{1, 1}), DibIndexes(host.Frame(i))) << "frame " << i;
        const RGBQUAD c = FrameColor(host.Frame(i), 1);
        EXPECT_EQ(expectedRed[i], c.rgbRed) << "frame " << i;
        EXPECT_EQ(expectedRed[i] == 9 ? 9 : 3, c.rgbBlue) << "frame " << i;
    }
}

TEST_F(GifDocument, SequenceImagesPastTheCanvasAreMovedInsideAndKeepTheShift)
{
    // Equal images on a larger screen: each one lands at the canvas's origin.
    GifFile f;
    f.Screen(10, 8, 0x81, 0, 4);
    f.Pixels(6, 5, 3, 2, {1, 2, 3, 3, 2, 1}).Pixels(0, 0, 3, 2, {2, 2, 2, 2, 2, 2}).End();
    const std::string path = Save("shift.gif", f.bytes);
    FrameHost host;
    BYTE code = 0;
    ASSERT_EQ(CONV_OK, Conv().LoadConvImage(nullptr, path.c_str(), nullptr, &code, 0, FrameHost::Proc));
    ASSERT_EQ(2, host.FrameCount());
    EXPECT_EQ((Bytes{1, 2, 3, 3, 2, 1}), DibIndexes(host.Frame(0)));
    const GifAnimSettings& b = Block(host);
    EXPECT_EQ(6, b.frames[0].left);
    EXPECT_EQ(5, b.frames[0].top);
    EXPECT_EQ(0, b.frames[1].left);
    EXPECT_EQ(0, b.frames[1].top);
}

TEST_F(GifDocument, ARefusedFrameEndsTheSequenceAndTheFramesSoFarStay)
{
    GifFile f;
    f.Screen(2, 2, 0x80, 0, 2);
    for (int i = 0; i < 4; ++i) f.Control(0, 5 + i, 0).Image(0, 0, 2, 2);
    f.End();
    const std::string path = Save("refused.gif", f.bytes);
    FrameHost host;
    host.refuseAddFrom = 2;
    BYTE code = 0;
    EXPECT_EQ(CONV_OK, Conv().LoadConvImage(nullptr, path.c_str(), nullptr, &code, 0, FrameHost::Proc));
    EXPECT_EQ(2, host.FrameCount());
    EXPECT_EQ(3, host.Count(CONV_REQ_ADD_FRAME));
    EXPECT_EQ(2, Block(host).frameCount) << "the block describes the frames added";
}

TEST_F(GifDocument, OneImageIsAFrameNamedAfterTheFileOrAnImageForTheCaller)
{
    // A single image on a larger screen, with a transparent colour.
    GifFile f;
    f.Screen(20, 20, 0x81, 0, 4).Control(0x09, 40, 3).Pixels(10, 12, 2, 2, {3, 1, 1, 3}).End();
    const std::string path = Save("one.gif", f.bytes);
    {
        FrameHost host;
        BYTE code = 0;
        ASSERT_EQ(CONV_OK, Conv().LoadConvImage(nullptr, path.c_str(), nullptr, &code, 0, FrameHost::Proc));
        EXPECT_EQ(CONV_FORMAT_GIF_ANIM, code);
        const auto& r = host.Requests();
        ASSERT_EQ(8u, r.size());
        EXPECT_EQ(CONV_REQ_ADD_FRAME, r[0].request);
        EXPECT_EQ(0x11u, r[0].n);
        EXPECT_EQ(CONV_REQ_SET_TRANSPARENT_COLOR, r[1].request);
        EXPECT_EQ(0u, r[1].noAsk);
        EXPECT_EQ(CONV_REQ_QUERY, r[2].request);
        EXPECT_EQ(UINT(CONV_QUERY_FRAME_COUNT), r[2].n);
        EXPECT_EQ(CONV_REQ_SET_FRAME_NAME, r[3].request);
        EXPECT_EQ(0x8100u, r[3].n) << "frame 0 with the attribute 0x81";
        EXPECT_EQ(path, r[3].text);
        EXPECT_EQ(CONV_REQ_SET_SETTINGS, r[4].request);
        ExpectMenuInstalled(r, 5);
        ASSERT_EQ(1, host.FrameCount());
        EXPECT_EQ((Bytes{3, 1, 1, 3}), DibIndexes(host.Frame(0)));
        const GifAnimSettings& b = Block(host);
        EXPECT_EQ(1, b.frameCount);
        EXPECT_EQ(2, b.frameWidth);
        EXPECT_EQ(0, b.frames[0].left);
        EXPECT_EQ(0, b.frames[0].top);
        EXPECT_EQ(40, b.frames[0].delay);
    }
    {
        // With an image record and a transparent colour the frame still goes
        // through the editor, but the document keeps no block.
        FrameHost host;
        ConvImage image{nullptr, 0, nullptr, 0};
        BYTE code = 0;
        ASSERT_EQ(CONV_OK, Conv().LoadConvImage(nullptr, path.c_str(), &image, &code, 0, FrameHost::Proc));
        EXPECT_EQ(CONV_FORMAT_GIF, code);
        EXPECT_EQ(nullptr, image.dib);
        EXPECT_EQ(1, host.FrameCount());
        EXPECT_EQ(0, host.Count(CONV_REQ_SET_SETTINGS));
        EXPECT_EQ(0, host.Count(CONV_REQ_MENU_ITEM));
    }
    // Without a transparent colour the caller gets the image.
    GifFile plain;
    plain.Screen(20, 20, 0x81, 0, 4).Pixels(10, 12, 2, 2, {3, 1, 1, 3}).End();
    const std::string plainPath = Save("plain.gif", plain.bytes);
    FrameHost host;
    ConvImage image{nullptr, 0, nullptr, 0};
    BYTE code = 0;
    ASSERT_EQ(CONV_OK, Conv().LoadConvImage(nullptr, plainPath.c_str(), &image, &code, 0, FrameHost::Proc));
    ASSERT_NE(nullptr, image.dib);
    EXPECT_EQ((Bytes{3, 1, 1, 3}), DibIndexes(image.dib));
    EXPECT_EQ(RGB(1, 2, 3), DibTable(image.dib)[1]);
    EXPECT_TRUE(host.Requests().empty());
    GlobalFree(image.dib);
}

TEST_F(GifDocument, PreviewIsTheFirstImage)
{
    GifFile f;
    f.Screen(3, 1, 0x81, 0, 4).Pixels(0, 0, 3, 1, {2, 1, 0}).Pixels(0, 0, 3, 1, {0, 0, 0}).End();
    const std::string path = Save("preview.gif", f.bytes);
    ConvImage image{nullptr, 99, nullptr, 0};
    ASSERT_EQ(CONV_OK, Conv().GetPreviewImage(path.c_str(), &image));
    ASSERT_NE(nullptr, image.dib);
    EXPECT_EQ(0u, image.bitsOffset);
    EXPECT_EQ((Bytes{2, 1, 0}), DibIndexes(image.dib));
    GlobalFree(image.dib);
}

// ---- export ---------------------------------------------------------------------------------

// Frames of 6 x 4 at 8 bits and a block for them.
struct Document {
    FrameHost host;
    explicit Document(int frames, int records)
    {
        for (int i = 0; i < frames; ++i) {
            Bytes pixels(24);
            for (int p = 0; p < 24; ++p) pixels[p] = static_cast<uint8_t>((p + i) % 5);
            GlobalBlock dib(MakeIndexedDib(6, 4, 8, pixels, {RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(9, 9, 9)}));
            host.AddFrame(dib.Get());
        }
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(GifAnimSettings));
        GlobalLockGuard<GifAnimSettings> s(block);
        s.get()->formatCode = CONV_FORMAT_GIF_ANIM;
        s.get()->frameCount = static_cast<int16_t>(records);
        for (int i = 0; i < records; ++i) s.get()->frames[i].delay = static_cast<uint16_t>(10 * (i + 1));
        host.SetSettings(block);
    }
    GifAnimSettings* Edit() { return static_cast<GifAnimSettings*>(GlobalLock(host.Settings())); }
    void Done() { GlobalUnlock(host.Settings()); }
    int SaveTo(const std::string& path, int count)
    {
        return Conv().SaveConvImage(nullptr, path.c_str(), nullptr, CONV_FORMAT_GIF_ANIM, count, FrameHost::Proc);
    }
};

TEST_F(GifDocument, ExportWritesEveryFrameWithItsRecordLoopAndScreen)
{
    Document doc(3, 3);
    GifAnimSettings* s = doc.Edit();
    s->loopFlag = 1;  // loop count 0: endless
    s->frames[1] = {0, 7, 2, 0, 0, 0, 0, 5, 55, 3, 1, 1};
    s->frames[2].left = 1;
    s->frames[2].top = 4;
    doc.Done();
    const std::string path = dir_.File("out.gif");
    ASSERT_EQ(CONV_OK, doc.SaveTo(path, 3));
    EXPECT_EQ((std::vector<UINT>{CONV_REQ_GET_SETTINGS, CONV_REQ_QUERY, CONV_REQ_QUERY, CONV_REQ_GET_FRAME_BITS,
                                 CONV_REQ_QUERY, CONV_REQ_QUERY, CONV_REQ_QUERY, CONV_REQ_GET_FRAME_BITS,
                                 CONV_REQ_GET_FRAME_BITS}),
              doc.host.RequestCodes());

    const auto file = StructureOf(path);
    EXPECT_EQ(6 + 7, file->screenWidth) << "the frame width and the furthest left";
    EXPECT_EQ(4 + 4, file->screenHeight);
    EXPECT_EQ(1u, file->loopFlag);
    EXPECT_EQ(0u, file->loopCount);
    EXPECT_EQ(0u, file->commentFlag);
    ASSERT_EQ(3, file->frameCount);
    EXPECT_EQ(10, file->frames[0].delay);
    EXPECT_EQ(55, file->frames[1].delay);
    EXPECT_EQ(7, file->frames[1].left);
    EXPECT_EQ(2, file->frames[1].top);
    EXPECT_EQ(3, file->frames[1].disposal);
    EXPECT_EQ(2u, file->frames[1].userInput);
    EXPECT_NE(0u, file->frames[1].interlaced);
    EXPECT_EQ(GIF_NO_TRANSPARENCY, file->frames[1].transparentIndex);
    EXPECT_EQ(1, file->frames[2].left);
    EXPECT_EQ(4, file->frames[2].top);

    // Read back: the pixels of each frame.
    FrameHost reader;
    BYTE code = 0;
    ASSERT_EQ(CONV_OK, Conv().LoadConvImage(nullptr, path.c_str(), nullptr, &code, 0, FrameHost::Proc));
    ASSERT_EQ(3, reader.FrameCount());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(DibIndexes(doc.host.Frame(i)), DibIndexes(reader.Frame(i))) << "frame " << i;
}

TEST_F(GifDocument, ExportWithoutLoopHasNoApplicationExtension)
{
    Document doc(1, 1);
    const std::string path = dir_.File("once.gif");
    ASSERT_EQ(CONV_OK, doc.SaveTo(path, 1));
    const Bytes bytes = ReadWholeFile(path);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(std::string::npos, text.find("NETSCAPE"));
    EXPECT_EQ(0u, StructureOf(path)->loopFlag);
}

// The lengths of the sub-blocks of the file's comment extension.
std::vector<int> CommentPieces(const Bytes& bytes)
{
    std::vector<int> pieces;
    for (size_t i = 13; i + 1 < bytes.size(); ++i) {
        if (bytes[i] != 0x21 || bytes[i + 1] != 0xFE) continue;
        for (size_t at = i + 2; at < bytes.size() && bytes[at]; at += bytes[at] + 1) pieces.push_back(bytes[at]);
        break;
    }
    return pieces;
}

TEST_F(GifDocument, CommentIsWrittenInPiecesOfLinesOrOf252Characters)
{
    struct Case {
        std::string comment;
        std::vector<int> pieces;
    };
    const std::string line300(300, 'w');
    const Case cases[] = {
        {"short\nlines\nhere", {6, 6, 4}},
        {std::string(600, 'c'), {252, 252, 96}},
        {"\nleading\nfeed", {9, 4}},  // a line feed at a piece's start does not end it
        {line300 + "\nend", {252, 49, 3}},
        {"a\n", {2}},
    };
    for (const Case& c : cases) {
        Document doc(1, 1);
        GifAnimSettings* s = doc.Edit();
        s->commentFlag = 1;
        strcpy(s->comment, c.comment.c_str());
        doc.Done();
        const std::string path = dir_.File("comment.gif");
        ASSERT_EQ(CONV_OK, doc.SaveTo(path, 1));
        EXPECT_EQ(c.pieces, CommentPieces(ReadWholeFile(path))) << c.comment.substr(0, 20);
        auto file = StructureOf(path);
        EXPECT_EQ(c.comment, file->comment);
    }
}

TEST_F(GifDocument, ExportWritesTheEditorsFramesOnlyAndStopsWhenOneIsRefused)
{
    // More records than frames: three images.
    Document doc(3, 5);
    const std::string path = dir_.File("three.gif");
    ASSERT_EQ(CONV_OK, doc.SaveTo(path, 3));
    EXPECT_EQ(3, StructureOf(path)->frameCount);
    for (const FrameHost::Request& r : doc.host.Requests()) {
        if (r.request != CONV_REQ_GET_FRAME_BITS) continue;
        EXPECT_LT(r.n, 3u);
    }

    // A frame the editor cannot hand over ends the export; the file written
    // before stays as it was.
    const Bytes before = ReadWholeFile(path);
    doc.host.refuseBitsFrom = 2;
    EXPECT_EQ(CONV_ERR_MEMORY, doc.SaveTo(path, 3));
    EXPECT_EQ(before, ReadWholeFile(path));
}

TEST_F(GifDocument, ExportGivesFramesWithoutRecordsTheFirstRecord)
{
    Document doc(3, 1);
    GifAnimSettings* s = doc.Edit();
    s->frames[0].delay = 7;
    s->frames[0].disposal = 2;
    doc.Done();
    const std::string path = dir_.File("copies.gif");
    ASSERT_EQ(CONV_OK, doc.SaveTo(path, 3));
    auto file = StructureOf(path);
    ASSERT_EQ(3, file->frameCount);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(7, file->frames[i].delay) << i;
        EXPECT_EQ(2, file->frames[i].disposal) << i;
    }
    EXPECT_EQ(3, Block(doc.host).frameCount);
}

TEST_F(GifDocument, ExportOfADocumentWithoutColoursOrFrames)
{
    Document doc(1, 1);
    doc.host.colorCount = 0;
    EXPECT_EQ(CONV_ERR_COMPRESSION, doc.SaveTo(dir_.File("none.gif"), 1));
    Document empty(0, 1);
    EXPECT_EQ(CONV_ERR_MEMORY, empty.SaveTo(dir_.File("empty.gif"), 0));
    EXPECT_FALSE(FileExists(dir_.File("empty.gif")));
}

TEST_F(GifDocument, ExportTakesTheBackgroundNearestInTheFramesColours)
{
    Document doc(1, 1);
    GifAnimSettings* s = doc.Edit();
    s->backgroundIndex = 200;
    s->globalColors[200] = {250, 2, 1, 0};  // almost blue: entry 3 of the frames' table
    doc.Done();
    const std::string path = dir_.File("background.gif");
    ASSERT_EQ(CONV_OK, doc.SaveTo(path, 1));
    EXPECT_EQ(3, StructureOf(path)->backgroundIndex);
    EXPECT_EQ(3, Block(doc.host).backgroundIndex);
    EXPECT_EQ(255, Block(doc.host).globalColors[3].rgbBlue);
}

TEST(GifScreen, FitsEveryFrameAtItsPosition)
{
    struct Case {
        int count;
        std::vector<std::pair<int, int>> positions;
        int width, height;
    };
    const Case cases[] = {
        {0, {{50, 50}}, 40, 30},
        {1, {{0, 0}}, 40, 30},
        {3, {{5, 0}, {0, 7}, {2, 2}}, 45, 37},
        {2, {{-4, 3}, {6, -2}}, 40 + 4 + 6, 30 + 2 + 3},
    };
    for (const Case& c : cases) {
        auto s = std::make_unique<GifAnimSettings>();
        s->frameCount = static_cast<int16_t>(c.count);
        for (size_t i = 0; i < c.positions.size(); ++i) {
            s->frames[i].left = static_cast<int16_t>(c.positions[i].first);
            s->frames[i].top = static_cast<int16_t>(c.positions[i].second);
        }
        FitGifScreen(s.get(), 40, 30);
        EXPECT_EQ(c.width, s->screenWidth) << c.count;
        EXPECT_EQ(c.height, s->screenHeight) << c.count;
    }
}

// ---- the document ---------------------------------------------------------------------------

TEST_F(GifDocument, FrameEditsMoveTheRecords)
{
    struct Case {
        int kind, index, editorFrames, result;
        std::vector<int> delays;  // of the records afterwards, as far as the editor's frames
    };
    const Case cases[] = {
        {CONV_FRAME_INSERTED, 1, 5, 1, {10, 20, 20, 30, 40}},
        {CONV_FRAME_INSERTED, 4, 5, 1, {10, 20, 30, 40, 0}},
        {CONV_FRAME_COPIED, 0, 5, 1, {10, 20, 30, 40, 10}},
        {CONV_FRAME_DELETED, 1, 3, 1, {10, 30, 40}},
        {CONV_FRAME_DELETED, 3, 3, 1, {10, 20, 30}},
        {CONV_FRAME_INSERTED, 5, 5, 0, {10, 20, 30, 40, 0}},
        {CONV_FRAME_COPIED, -1, 5, 0, {10, 20, 30, 40, 0}},
        {CONV_FRAME_DELETED, 4, 3, 0, {10, 20, 30}},
        {CONV_FRAME_OTHER, 0, 4, 0, {10, 20, 30, 40}},
    };
    for (const Case& c : cases) {
        Document doc(c.editorFrames, 4);
        const int result = Conv().NotifyFrameChange(CONV_FORMAT_GIF_ANIM, doc.host.Settings(), c.kind, c.index,
                                                     FrameHost::Proc);
        EXPECT_EQ(c.result, result) << "kind " << c.kind << " at " << c.index;
        const GifAnimSettings& b = Block(doc.host);
        EXPECT_EQ(c.result ? c.editorFrames : 4, b.frameCount) << "kind " << c.kind << " at " << c.index;
        for (size_t i = 0; i < c.delays.size(); ++i)
            EXPECT_EQ(c.delays[i], b.frames[i].delay) << "kind " << c.kind << " at " << c.index << ", record " << i;
    }
    // Another format's block is none of this format's business.
    Document doc(4, 4);
    EXPECT_EQ(0, Conv().NotifyFrameChange(CONV_FORMAT_GIF_ANIM, nullptr, CONV_FRAME_INSERTED, 0, FrameHost::Proc));
    GifAnimSettings* s = doc.Edit();
    s->formatCode = CONV_FORMAT_ANI;
    doc.Done();
    EXPECT_EQ(0, Conv().NotifyFrameChange(CONV_FORMAT_GIF_ANIM, doc.host.Settings(), CONV_FRAME_INSERTED, 0,
                                          FrameHost::Proc));
}

TEST_F(GifDocument, NewDocumentGetsDefaultsTheGifExtensionAndItsMenu)
{
    struct Case {
        const char* in;
        const char* out;
    };
    for (const Case& c : {Case{"C:\\work\\walk.ani", "C:\\work\\walk.GIF"}, {"C:\\a.b\\noextension", "C:\\a.b\\noextension.GIF"}}) {
        FrameHost host;
        char path[MAX_PATH];
        strcpy(path, c.in);
        ASSERT_EQ(CONV_OK, Conv().NewConvFile(nullptr, path, CONV_FORMAT_GIF_ANIM, 0, FrameHost::Proc));
        EXPECT_STREQ(c.out, path);
        const auto& r = host.Requests();
        ASSERT_EQ(4u, r.size());
        EXPECT_EQ(CONV_REQ_SET_SETTINGS, r[0].request);
        ExpectMenuInstalled(r, 1);
        const GifAnimSettings& b = Block(host);
        EXPECT_EQ(CONV_FORMAT_GIF_ANIM, b.formatCode);
        EXPECT_STREQ("Created with Zelvo", b.comment);
        EXPECT_EQ(1u, b.commentFlag);
        EXPECT_EQ(1u, b.loopFlag);
        EXPECT_EQ(0u, b.loopCount);
        EXPECT_EQ(1, b.frames[0].delay);
        EXPECT_EQ(2, b.frames[0].disposal);
        EXPECT_EQ(0, b.frameCount);
    }
}

TEST_F(GifDocument, OnlyTheAnimationCommandIsHandled)
{
    Document doc(1, 1);
    EXPECT_EQ(0, Conv().ProcessCommand(nullptr, CONV_CMD_CHANGE_FORMAT, CONV_FORMAT_GIF_ANIM, doc.host.Settings(), 1,
                                       FrameHost::Proc));
    EXPECT_TRUE(doc.host.Requests().empty());
}

}  // namespace
