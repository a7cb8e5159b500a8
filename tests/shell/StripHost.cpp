// A test program around two "FILMSTRIP" controls, as the cycle dialog holds
// them: strip 1001 shows the frames of a sequence file, strip 1002 the steps
// of a step file; static 100 shows the last notification either sent.
//   StripHost TITLE SEQUENCE.bmx STEPS.bin OUT.bin
//       STEPS.bin and OUT.bin hold ObjectStep records back to back; OUT.bin
//       receives strip 1002's entries when the window closes.
//   StripHost --make-fixture FOLDER
//       writes FOLDER\strip.bmx: five 16 x 16 frames in red, green, blue,
//       yellow and magenta (24 bits), written by the project's own writer.
#include "AnimationTables.h"
#include "AppState.h"
#include "BmxFile.h"
#include "DocumentModel.h"
#include "EditorStartup.h"
#include "FilmStrip.h"
#include "PackedDib.h"
#include "Palette.h"
#include "ResultCodes.h"
#include "Workspace.h"
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int FRAMES_STRIP = 1001;
constexpr int STEPS_STRIP = 1002;
constexpr int NOTICE = 100;
const char* g_outPath;
HGLOBAL g_finalSteps;  // the strip's block when the window closed

int MakeFixture(const char* folder)
{
    const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0), RGB(255, 0, 255)};
    FrameSequence sequence;
    sequence.format.width = sequence.format.height = 16;
    sequence.format.bitsPerPixel = 24;
    sequence.transparentColorCode = TRANSPARENT_NONE;
    for (size_t f = 0; f < sizeof colours / sizeof colours[0]; ++f) {
        HGLOBAL dib = CreatePackedDib(16, 16, 24, nullptr, 0);
        GlobalLockGuard<BYTE> p(dib);
        BYTE* bits = DibBits(p.get());
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                BYTE* pixel = bits + y * DibStride(16, 24) + x * 3;
                pixel[0] = GetBValue(colours[f]);
                pixel[1] = GetGValue(colours[f]);
                pixel[2] = GetRValue(colours[f]);
            }
        sequence.frames.push_back({dib, "f" + std::to_string(f) + ".bmp", 0, 0});
    }
    const std::string path = std::string(folder) + "\\strip.bmx";
    return SaveFrameSequenceFile(path.c_str(), sequence, DEFAULT_BMX_COMPRESSION) == RESULT_OK ? 0 : 1;
}

HGLOBAL ReadSteps(const char* path, int* count)
{
    *count = 0;
    FILE* f = fopen(path, "rb");
    if (!f) return nullptr;
    std::vector<char> bytes;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(f);
    *count = static_cast<int>(bytes.size() / sizeof(ObjectStep));
    HGLOBAL block = AllocateStepBlock(*count > 0 ? *count : 1);
    GlobalLockGuard<char> p(block);
    if (p) memcpy(p.get(), bytes.data(), *count * sizeof(ObjectStep));
    return block;
}

void WriteSteps(HWND strip)
{
    HGLOBAL block = reinterpret_cast<HGLOBAL>(SendMessageA(strip, FILMSTRIP_GET_ITEM, 0, 0));
    const LRESULT count = SendMessageA(strip, FILMSTRIP_GET_COUNT, 0, 0);
    g_finalSteps = block;
    FILE* f = fopen(g_outPath, "wb");
    if (!f) return;
    GlobalLockGuard<char> p(block);
    if (p && count > 0) fwrite(p.get(), sizeof(ObjectStep), count, f);
    fclose(f);
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == FRAMES_STRIP || LOWORD(wParam) == STEPS_STRIP) {
            char text[80];
            snprintf(text, sizeof text, "id=%d code=%d param=%ld", LOWORD(wParam), HIWORD(wParam),
                     static_cast<long>(lParam));
            SetDlgItemTextA(window, NOTICE, text);
        }
        return 0;
    case WM_CLOSE:
        WriteSteps(GetDlgItem(window, STEPS_STRIP));
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeStrip(HWND parent, int id, int y)
{
    return CreateWindowExA(0, "FILMSTRIP", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 5, y, 480, 90, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && strcmp(argv[1], "--make-fixture") == 0) return MakeFixture(argv[2]);
    if (argc != 5) {
        fprintf(stderr, "usage: StripHost TITLE SEQUENCE.bmx STEPS.bin OUT.bin | --make-fixture FOLDER\n");
        return 2;
    }
    g_outPath = argv[4];
    HINSTANCE instance = GetModuleHandleA(nullptr);
    g_appState.instanceHandle = instance;
    if (!InitEditorInstance()) return 3;
    g_appState.displayColorCount = g_appState.colorCount = 16777217;
    CreateWorkDCs();
    ResetDocument();
    const int loaded = LoadFrameFile(argv[2], 0);
    if (loaded != RESULT_OK) {
        fprintf(stderr, "cannot load %s: %d\n", argv[2], loaded);
        return 4;
    }
    int stepCount = 0;
    HGLOBAL steps = ReadSteps(argv[3], &stepCount);
    if (!steps) return 5;

    WNDCLASSA cls{};
    cls.lpfnWndProc = HostProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = "StripHost";
    RegisterClassA(&cls);
    HWND window = CreateWindowExA(0, "StripHost", argv[1], WS_OVERLAPPEDWINDOW, 40, 40, 510, 270, nullptr, nullptr,
                                  instance, nullptr);
    HWND frames = MakeStrip(window, FRAMES_STRIP, 5);
    HWND stepStrip = MakeStrip(window, STEPS_STRIP, 100);
    CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_NOPREFIX, 5, 200, 480, 20, window,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(NOTICE)), instance, nullptr);
    FilmStripItems frameItems = {nullptr, g_appState.frameCount};
    SendMessageA(frames, FILMSTRIP_SET_ITEMS, 0, reinterpret_cast<LPARAM>(&frameItems));
    FilmStripItems stepItems = {steps, stepCount};
    SendMessageA(stepStrip, FILMSTRIP_SET_ITEMS, 0, reinterpret_cast<LPARAM>(&stepItems));
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    // The block may have been reallocated: free the strip's handle.
    GlobalFree(g_finalSteps ? g_finalSteps : steps);
    return 0;
}
