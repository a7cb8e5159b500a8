// Saves an area of a device context as a bottom-up 24-bit BMP file: the
// screen for WinDriver's capture, a window's own picture for the hook's.
#pragma once
#include <windows.h>
#include <cstdio>
#include <string>

inline bool SaveAreaAsBmp(HDC source, int x, int y, int width, int height, const std::wstring& path)
{
    if (width <= 0 || height <= 0) return false;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = ((static_cast<DWORD>(width) * 3 + 3) & ~3u) * static_cast<DWORD>(height);

    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(source, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    bool saved = false;
    if (memory && bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        bool copied = BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY | CAPTUREBLT) != FALSE;
        GdiFlush();
        SelectObject(memory, old);
        BITMAPFILEHEADER fileHeader{};
        fileHeader.bfType = 0x4D42;  // "BM"
        fileHeader.bfOffBits = sizeof fileHeader + sizeof header;
        fileHeader.bfSize = fileHeader.bfOffBits + header.biSizeImage;
        FILE* file = copied ? _wfopen(path.c_str(), L"wb") : nullptr;
        if (file) {
            saved = fwrite(&fileHeader, sizeof fileHeader, 1, file) == 1 && fwrite(&header, sizeof header, 1, file) == 1 &&
                    fwrite(bits, header.biSizeImage, 1, file) == 1;
            saved = fclose(file) == 0 && saved;
        }
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    return saved;
}
