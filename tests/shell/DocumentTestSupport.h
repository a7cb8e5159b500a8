// Shared pieces of the document-model tests: a clean editor and document per
// test, folders with short paths (stored names have 63 characters), sequence
// files made with the project's own writer, and frame contents read back.
#pragma once
#include "AppState.h"
#include "BmxFile.h"
#include "DocumentModel.h"
#include "FrameBitmaps.h"
#include "PackedDib.h"
#include "Palette.h"
#include "RecentFiles.h"
#include "Settings.h"
#include "TestFiles.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include <vector>

// A fresh folder straight below C:\, so that names in it stay short.
class ShortDir {
public:
    ShortDir()
    {
        static unsigned counter = 0;
        char name[MAX_PATH];
        do {
            snprintf(name, sizeof name, "C:\\zdm%lu-%u\\", GetCurrentProcessId() % 100000, ++counter);
        } while (!CreateDirectoryA(name, nullptr));
        path_ = name;
    }
    ~ShortDir() { RemoveTree(path_); }
    ShortDir(const ShortDir&) = delete;
    ShortDir& operator=(const ShortDir&) = delete;
    const std::string& Path() const { return path_; }  // ends in a backslash
    std::string File(const std::string& name) const { return path_ + name; }
    std::string Folder(const std::string& name) const
    {
        std::string folder = path_ + name + "\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        return folder;
    }
private:
    std::string path_;
};

// Puts the editor and the document back to nothing loaded: no frames, no
// palettes, no hooks but the sequence background fill, a settings file of
// the test's own and the current directory as it was.
class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GetCurrentDirectoryA(sizeof savedDirectory_, savedDirectory_);
        CleanState();
        SetIniFilePath(scratch_.File("Zelvo.ini").c_str());
        SetCurrentDirectoryA(folder_.Path().c_str());
        ResetDocument();
    }
    void TearDown() override
    {
        CleanState();
        SetIniFilePath(nullptr);
        SetCurrentDirectoryA(savedDirectory_);
    }
    static void CleanState()
    {
        if (g_document.animationState != DOC_NONE || g_document.objectCount) ResetDocument();
        FreeCurrentFrames();
        FreeDocumentTables();
        FreeAnimationTables(&g_document);
        FreeDisplayPalette();
        FreeDocumentPalette();
        for (HBRUSH b : {g_appState.toolColors.penColorBrush, g_appState.toolColors.fillColorBrush,
                         g_appState.toolColors.transparentColorBrush})
            if (b) DeleteObject(b);
        g_appState = AppState{};
        g_recentFiles = {};
        g_appState.displayColorCount = COLORS_32BIT;
        g_appState.hooks.fillSequenceBackground = FillCurrentSequenceBackground;
        g_document.animationState = g_document.sequenceState = DOC_NONE;
    }
    ScratchDir scratch_;
    ShortDir folder_;
    char savedDirectory_[MAX_PATH];
};

// A 4-bit frame whose table is the 16 static colours: it goes through the
// palette model unchanged.
inline HGLOBAL MakeStaticColorDib(int width, int height, uint32_t seed, int onlyIndex = -1)
{
    RGBQUAD colors[16];
    for (int i = 0; i < 16; ++i)
        colors[i] = {STATIC_COLORS[i].peBlue, STATIC_COLORS[i].peGreen, STATIC_COLORS[i].peRed, 0};
    HGLOBAL dib = CreatePackedDib(width, height, 4, colors, 16);
    GlobalLockGuard<BYTE> p(dib);
    TestRandom random(seed);
    const uint32_t stride = DibStride(width, 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int value = onlyIndex >= 0 ? onlyIndex : random.Range(0, 15);
            BYTE& b = DibBits(p.get())[y * stride + x / 2];
            b = static_cast<BYTE>((x & 1) ? (b & 0xF0) | value : (b & 0x0F) | value << 4);
        }
    return dib;
}

// Writes a sequence file of the given frames (owned by the call) with
// offsets (i, -i) and names "f<i>.bmp".
inline int WriteSequenceFixture(const std::string& path, const std::vector<HGLOBAL>& dibs, uint8_t code)
{
    FrameSequence sequence;
    sequence.transparentColorCode = code;
    {
        GlobalLockGuard<BYTE> p(dibs[0]);
        const BITMAPINFOHEADER* h = DibHeader(p.get());
        sequence.format.width = h->biWidth;
        sequence.format.height = h->biHeight;
        sequence.format.bitsPerPixel = h->biBitCount;
        sequence.format.colorTableEntries = h->biBitCount <= 8 ? 1 << h->biBitCount : 0;
        memcpy(sequence.format.colors, DibColors(p.get()), sequence.format.colorTableEntries * sizeof(RGBQUAD));
    }
    for (size_t i = 0; i < dibs.size(); ++i)
        sequence.frames.push_back({dibs[i], "f" + std::to_string(i) + ".bmp", static_cast<int8_t>(i),
                                   static_cast<int8_t>(-static_cast<int>(i))});
    return SaveFrameSequenceFile(path.c_str(), sequence, DEFAULT_BMX_COMPRESSION);
}

// The rows of frame `index` of the editor at the given depth.
inline std::vector<uint8_t> EditorFrameRows(int index, int bits)
{
    HGLOBAL dib = BitmapToPackedDib(g_appState.frameBitmaps[index], bits);
    if (!dib) return {};
    std::vector<uint8_t> rows = DibRows(dib);
    GlobalFree(dib);
    return rows;
}

// A step block of the given frame indexes.
inline HGLOBAL MakeSteps(const std::vector<int>& frames)
{
    HGLOBAL block = AllocateStepBlock(static_cast<int>(frames.size()));
    GlobalLockGuard<ObjectStep> steps(block);
    for (size_t i = 0; i < frames.size(); ++i) {
        steps.get()[i].frameIndex = static_cast<uint8_t>(frames[i]);
        steps.get()[i].x = -100 - static_cast<int>(i);
        steps.get()[i].y = 7 * static_cast<int>(i);
        steps.get()[i].jumpTarget = -static_cast<int>(i);
        steps.get()[i].startMaskHigh = 0x8001;
    }
    return block;
}

inline std::vector<int> StepFrames(HGLOBAL block)
{
    std::vector<int> frames;
    GlobalLockGuard<ObjectStep> steps(block);
    for (size_t i = 0; i < GlobalSize(block) / sizeof(ObjectStep); ++i) frames.push_back(steps.get()[i].frameIndex);
    return frames;
}
