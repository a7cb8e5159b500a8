// The window-size background picture of the path canvas, the region editor
// and the test run.
#include "WindowPicture.h"
#include "AppState.h"
#include "BmxFile.h"
#include "DocumentModel.h"
#include "FileIo.h"
#include "PackedDib.h"
#include "ResultCodes.h"

namespace {

// Reads the stored background picture (its bare name in the document's folder
// first) into a packed DIB.
int ReadBackgroundImage(const char* storedName, HGLOBAL* block, uint32_t* bitsOffset)
{
    char path[MAX_PATH];
    lstrcpynA(path, storedName, sizeof path);
    FileHandle found(OpenReferencedFile(path));
    if (!found.IsOpen()) return RESULT_NOT_FOUND;
    found.Close();
    return ReadSingleDib(path, bitsOffset, block);
}

int DrawBackgroundImage(HDC dc, const AnimationSettings& settings, SIZE window)
{
    HGLOBAL block = nullptr;
    uint32_t bitsOffset = 0;
    const int result = ReadBackgroundImage(settings.backgroundImage, &block, &bitsOffset);
    if (result != RESULT_OK) return result;
    GlobalBlock owned(block);
    GlobalLockGuard<BYTE> data(block);
    if (!data) return RESULT_OUT_OF_MEMORY;
    const auto* info = reinterpret_cast<const BITMAPINFO*>(data.get());
    const BITMAPINFOHEADER& header = info->bmiHeader;
    const SIZE image{header.biWidth, header.biHeight < 0 ? -header.biHeight : header.biHeight};
    const POINT origin = BackgroundImageOrigin(settings, window, image);
    SetDIBitsToDevice(dc, origin.x, origin.y, image.cx, image.cy, 0, 0, 0, image.cy, data.get() + bitsOffset, info,
                      DIB_RGB_COLORS);
    return RESULT_OK;
}

}  // namespace

POINT BackgroundImageOrigin(const AnimationSettings& settings, SIZE window, SIZE image)
{
    if (settings.playFlags & PLAY_CENTER_IMAGE) return {(window.cx - image.cx) / 2, (window.cy - image.cy) / 2};
    return {settings.imageX, settings.imageY};
}

int BuildBackgroundDC(BackgroundPicture* picture, HDC reference, SIZE size)
{
    *picture = {};
    if (size.cx <= 0 || size.cy <= 0) return RESULT_OUT_OF_MEMORY;
    picture->dc = CreateCompatibleDC(reference);
    picture->bitmap = picture->dc ? CreateCompatibleBitmap(reference, size.cx, size.cy) : nullptr;
    if (!picture->bitmap) {
        FreeBackgroundDC(picture);
        return RESULT_OUT_OF_MEMORY;
    }
    picture->size = size;
    picture->previousBitmap = SelectObject(picture->dc, picture->bitmap);
    if (g_appState.displayPalette) {
        picture->previousPalette = SelectPalette(picture->dc, g_appState.displayPalette, TRUE);
        RealizePalette(picture->dc);
    }
    const AnimationSettings& settings = g_document.animationSettings;
    // PALETTERGB: the nearest colour of the palette the DC holds.
    HBRUSH brush = CreateSolidBrush(0x02000000 | (settings.backgroundColor & 0x00FFFFFF));
    const RECT all{0, 0, size.cx, size.cy};
    FillRect(picture->dc, &all, brush ? brush : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (brush) DeleteObject(brush);
    if (!(settings.backgroundColor & BACKGROUND_USE_IMAGE)) return RESULT_OK;
    return DrawBackgroundImage(picture->dc, settings, size);
}

void FreeBackgroundDC(BackgroundPicture* picture)
{
    if (picture->dc) {
        if (picture->previousPalette) SelectPalette(picture->dc, picture->previousPalette, TRUE);
        if (picture->previousBitmap) SelectObject(picture->dc, picture->previousBitmap);
        DeleteDC(picture->dc);
    }
    if (picture->bitmap) DeleteObject(picture->bitmap);
    *picture = {};
}
