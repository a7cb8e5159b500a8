// Frames through Wine's real clipboard: a frame copied and pasted back at
// every depth, images of other programs at every depth, and a corpus of
// damaged CF_DIB blocks that must give the message, never a crash or a read
// past the block.
#include "Clipboard.h"
#include "DialogTestHooks.h"
#include "DibPixels.h"
#include "DocumentTestSupport.h"
#include <gtest/gtest.h>
#include <cstring>
#include <vector>

namespace {

class ClipboardTest : public DocumentTest {
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        window_ = CreateWindowA("STATIC", "clipboard owner", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        g_appState.mainWindow = window_;
    }
    void TearDown() override
    {
        if (OpenClipboard(window_)) {
            EmptyClipboard();
            CloseClipboard();
        }
        for (HBITMAP b : frames_) DeleteObject(b);
        g_appState.mainWindow = nullptr;
        DestroyWindow(window_);
        DocumentTest::TearDown();
    }
    HBITMAP Frame(int width, int height, COLORREF (*color)(int x, int y))
    {
        HBITMAP bitmap = CreateFrameBitmap(width, height);
        DibPixels p(bitmap);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) p.Set(x, y, p.ValueOf(color ? color(x, y) : RGB(255, 255, 255)));
        frames_.push_back(bitmap);
        return bitmap;
    }
    // Puts a block of raw bytes on the clipboard as CF_DIB.
    void PutDib(const std::vector<BYTE>& bytes)
    {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
        ASSERT_TRUE(OpenClipboard(window_));
        EmptyClipboard();
        ASSERT_NE(SetClipboardData(CF_DIB, block), nullptr);
        CloseClipboard();
    }
    HWND window_ = nullptr;
    std::vector<HBITMAP> frames_;
};

COLORREF Pattern(int x, int y)
{
    static const COLORREF colors[4] = {RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 0, 255), RGB(255, 255, 255)};
    return colors[(x + 2 * y) % 4];
}

COLORREF Checkers(int x, int y) { return (x + y) % 2 ? RGB(0, 0, 0) : RGB(255, 255, 255); }

TEST_F(ClipboardTest, AFrameCopiedAndPastedBackAtEveryDepth)
{
    for (int format : {COLORS_2, COLORS_16, COLORS_256, COLORS_65536, COLORS_24BIT, COLORS_32BIT}) {
        SetColorFormat(format, nullptr, 0);
        g_appState.toolColors.transparentColorOn = 0;
        HBITMAP source = Frame(7, 5, format == COLORS_2 ? Checkers : Pattern);
        ASSERT_EQ(CopyBitmapToClipboard(source), 1) << format;
        EXPECT_TRUE(IsClipboardImageAvailable());
        int width = 0, height = 0, bits = 0;
        ASSERT_EQ(GetClipboardImageSize(&width, &height, &bits), 1);
        EXPECT_EQ(width, 7);
        EXPECT_EQ(height, 5);
        EXPECT_EQ(bits, ColorCountToBits(format));
        HBITMAP target = Frame(9, 9, nullptr);
        ASSERT_EQ(PasteClipboardIntoFrame(target), 1) << format;
        DibPixels a(source), b(target);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) ASSERT_EQ(b.Color(x, y), a.Color(x, y)) << format << " " << x << "," << y;
        EXPECT_EQ(b.Color(8, 8), RGB(255, 255, 255));  // beyond the image
    }
}

// A packed DIB of another program: 4 x 2 pixels, left half red, right half blue.
std::vector<BYTE> ForeignDib(int bits)
{
    BITMAPINFOHEADER h{sizeof h, 4, 2, 1, static_cast<WORD>(bits), BI_RGB, 0, 0, 0, 0, 0};
    h.biClrUsed = bits <= 8 ? 2 : 0;
    const uint32_t stride = DibStride(4, bits);
    std::vector<BYTE> out(sizeof h + (bits <= 8 ? 2 : 0) * 4 + stride * 2);
    memcpy(out.data(), &h, sizeof h);
    BYTE* table = out.data() + sizeof h;
    BYTE* rows = table + (bits <= 8 ? 8 : 0);
    if (bits <= 8) {
        const RGBQUAD red{0, 0, 255, 0}, blue{255, 0, 0, 0};
        memcpy(table, &red, 4);
        memcpy(table + 4, &blue, 4);
    }
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            BYTE* row = rows + y * stride;
            const bool right = x >= 2;
            switch (bits) {
            case 1: if (right) row[0] |= static_cast<BYTE>(0x80 >> x); break;
            case 4: if (right) row[x / 2] |= static_cast<BYTE>((x & 1) ? 1 : 0x10); break;
            case 8: row[x] = right ? 1 : 0; break;
            case 16: row[2 * x] = right ? 0x1F : 0; row[2 * x + 1] = right ? 0 : 0x7C; break;
            default: {
                BYTE* p = row + x * (bits / 8);
                p[0] = right ? 255 : 0;
                p[2] = right ? 0 : 255;
            }
            }
        }
    return out;
}

TEST_F(ClipboardTest, ImagesOfOtherProgramsAtEveryDepth)
{
    SetColorFormat(COLORS_24BIT, nullptr, 0);
    g_appState.toolColors.transparentColorOn = 0;
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        PutDib(ForeignDib(bits));
        HBITMAP target = Frame(4, 2, nullptr);
        ASSERT_EQ(PasteClipboardIntoFrame(target), 1) << bits;
        DibPixels p(target);
        for (int y = 0; y < 2; ++y) {
            EXPECT_EQ(p.Color(0, y), RGB(255, 0, 0)) << bits;
            EXPECT_EQ(p.Color(3, y), RGB(0, 0, 255)) << bits;
        }
    }
}

TEST_F(ClipboardTest, DamagedBlocksGiveTheMessageAndLeaveTheFrame)
{
    SetColorFormat(COLORS_24BIT, nullptr, 0);
    const std::vector<BYTE> good = ForeignDib(8);
    auto header = [&](const std::vector<BYTE>& bytes) {
        BITMAPINFOHEADER h;
        memcpy(&h, bytes.data(), sizeof h);
        return h;
    };
    auto with = [&](void (*change)(BITMAPINFOHEADER&)) {
        std::vector<BYTE> bytes = good;
        BITMAPINFOHEADER h = header(bytes);
        change(h);
        memcpy(bytes.data(), &h, sizeof h);
        return bytes;
    };
    struct Case {
        const char* name;
        std::vector<BYTE> bytes;
    } cases[] = {
        {"truncated header", std::vector<BYTE>(good.begin(), good.begin() + 20)},
        {"biClrUsed 100000", with([](BITMAPINFOHEADER& h) { h.biClrUsed = 100000; })},
        {"width 0", with([](BITMAPINFOHEADER& h) { h.biWidth = 0; })},
        {"height -70000", with([](BITMAPINFOHEADER& h) { h.biHeight = -70000; })},
        {"huge width", with([](BITMAPINFOHEADER& h) { h.biWidth = 0x7FFFFFFF; })},
        {"short block", std::vector<BYTE>(good.begin(), good.end() - 4)},
        {"planes 3", with([](BITMAPINFOHEADER& h) { h.biPlanes = 3; })},
        {"depth 7", with([](BITMAPINFOHEADER& h) { h.biBitCount = 7; })},
        {"bit fields without masks", [] {
             BITMAPINFOHEADER h{sizeof h, 4, 2, 1, 16, BI_BITFIELDS, 0, 0, 0, 0, 0};
             std::vector<BYTE> b(sizeof h + 16);
             memcpy(b.data(), &h, sizeof h);
             return b;
         }()},
    };
    for (const Case& c : cases) {
        PutDib(c.bytes);
        MessageBoxRecorder boxes(IDOK);
        HBITMAP target = Frame(4, 2, nullptr);
        EXPECT_EQ(GetClipboardImageSize(nullptr, nullptr, nullptr), 0) << c.name;
        EXPECT_EQ(PasteClipboardIntoFrame(target), 0) << c.name;
        ClipboardImage image;
        EXPECT_EQ(GetClipboardImageWithMask(&image), 0) << c.name;
        ASSERT_EQ(boxes.Boxes().size(), 3u) << c.name;
        for (const auto& box : boxes.Boxes()) EXPECT_EQ(box.text, "Unknown file format!") << c.name;
        DibPixels p(target);
        EXPECT_EQ(p.Color(0, 0), RGB(255, 255, 255)) << c.name;
    }
}

TEST_F(ClipboardTest, PaletteComparisonReadsOnlyTheEntriesAPaletteHas)
{
    SetColorFormat(COLORS_256, nullptr, 0);
    PALETTEENTRY entries[256];
    GetPaletteEntries(g_appState.documentPalette, 0, 256, entries);
    HPALETTE small = CreateLogicalPalette(entries, 21);  // no entry 21
    EXPECT_EQ(PaletteMatchesDocument(small), 1);
    DeleteObject(small);
    HPALETTE partial = CreateLogicalPalette(entries, 40);
    EXPECT_EQ(PaletteMatchesDocument(partial), 1);
    DeleteObject(partial);
    entries[30].peRed ^= 0xFF;
    HPALETTE differs = CreateLogicalPalette(entries, 256);
    EXPECT_EQ(PaletteMatchesDocument(differs), 0);
    DeleteObject(differs);
    entries[30].peRed ^= 0xFF;
    entries[250].peRed ^= 0xFF;  // beyond entry 247: not compared
    HPALETTE same = CreateLogicalPalette(entries, 256);
    EXPECT_EQ(PaletteMatchesDocument(same), 1);
    DeleteObject(same);
}

}  // namespace
