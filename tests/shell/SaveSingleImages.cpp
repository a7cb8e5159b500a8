// Writes one 13 x 7 frame of every colour format as a bitmap file through the
// editor's frame saving, for the check that reads them with other programs.
// Each frame: the top row white; below it black in columns 0-3, white in 4-8
// and red in 9-12 (black in the two-colour format).
// Usage: SaveSingleImages <folder>  -> d1.bmp, d4.bmp, d8.bmp, d16.bmp, d24.bmp, d32.bmp
#include "AppState.h"
#include "DocumentModel.h"
#include "EditorSettings.h"
#include "Palette.h"
#include "ResultCodes.h"
#include <cstdio>
#include <string>

namespace {

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF color)
{
    HBRUSH brush = CreateSolidBrush(color);
    const RECT r{left, top, right, bottom};
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

int SaveFormat(const std::string& folder, int format, int bits)
{
    ResetDocument();
    NewSequenceParams params{};
    params.colourFormat = format;
    params.width = 13;
    params.height = 7;
    params.transparentCode = TRANSPARENT_NONE;
    if (CreateSequence(params, 0) != 1) return 0;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, g_appState.frameBitmaps[0]);
    HPALETTE oldPalette = g_appState.documentPalette ? SelectPalette(dc, g_appState.documentPalette, FALSE) : nullptr;
    if (oldPalette) RealizePalette(dc);
    Fill(dc, 0, 0, 13, 1, RGB(255, 255, 255));
    Fill(dc, 0, 1, 4, 7, RGB(0, 0, 0));
    Fill(dc, 4, 1, 9, 7, RGB(255, 255, 255));
    Fill(dc, 9, 1, 13, 7, format == COLORS_2 ? RGB(0, 0, 0) : RGB(255, 0, 0));
    if (oldPalette) SelectPalette(dc, oldPalette, FALSE);
    SelectObject(dc, old);
    DeleteDC(dc);
    const std::string path = folder + "\\d" + std::to_string(bits) + ".bmp";
    const int result = SaveFrameFile(path.c_str(), 0, 0);
    printf("%s %d\n", path.c_str(), result);
    return result == RESULT_OK;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) return 2;
    const std::string folder = argv[1];
    SetIniFilePath((folder + "\\Zelvo.ini").c_str());
    g_appState.displayColorCount = COLORS_32BIT;
    g_appState.hooks.fillSequenceBackground = FillCurrentSequenceBackground;
    const struct {
        int format, bits;
    } formats[] = {{COLORS_2, 1}, {COLORS_16, 4}, {COLORS_256, 8}, {COLORS_65536, 16}, {COLORS_24BIT, 24},
                   {COLORS_32BIT, 32}};
    for (const auto& f : formats)
        if (!SaveFormat(folder, f.format, f.bits)) return 1;
    return 0;
}
