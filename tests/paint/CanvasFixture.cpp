// The canvas test fixture (see CanvasFixture.h).
#include "CanvasFixture.h"
#include "FrameBitmaps.h"
#include "FrameSelection.h"
#include "OnionSkin.h"
#include "Palette.h"
#include "Workspace.h"
#include <cstring>

std::vector<int> CanvasFixture::statusKinds, CanvasFixture::filmRepaints, CanvasFixture::modifiedFrames,
    CanvasFixture::selectedTools;
int CanvasFixture::menuUpdates = 0;

namespace {

constexpr int TRANSPARENT_MAGENTA = 13;  // static colour code of (255, 0, 255)

void RegisterCanvasClass()
{
    WNDCLASSA cls{};
    cls.style = CS_BYTEALIGNCLIENT | CS_BYTEALIGNWINDOW | CS_OWNDC;
    cls.lpfnWndProc = FrameEditorWndProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    cls.lpszClassName = "ANIEDIT";
    RegisterClassA(&cls);  // once per program; later calls fail harmlessly
}

int g_selectionWord;

}  // namespace

void CanvasFixture::ClearRecords()
{
    statusKinds.clear();
    filmRepaints.clear();
    modifiedFrames.clear();
    selectedTools.clear();
    menuUpdates = 0;
}

CanvasFixture::CanvasFixture(int colorCount, int frameWidth, int frameHeight, int frames)
{
    g_appState.instanceHandle = GetModuleHandleA(nullptr);
    CreateWorkDCs();
    g_appState.canvasDC = CreateCompatibleDC(nullptr);
    SetColorFormat(colorCount, nullptr, 0);
    ApplyTransparentColorCode(TRANSPARENT_MAGENTA);
    g_appState.frameWidth = frameWidth;
    g_appState.frameHeight = frameHeight;
    for (int i = 0; i < frames; ++i) {
        g_appState.frameBitmaps[i] = CreateFrameBitmap(frameWidth, frameHeight);
        Fill(i, WHITE);
    }
    g_appState.frameCount = frames;
    g_appState.currentFrame = 0;
    g_appState.currentTool = TOOL_FREEHAND;
    g_appState.previousTool = TOOL_FREEHAND;
    g_appState.editScrollX = g_appState.editScrollY = 0;
    g_appState.showGrid = 1;
    memset(&g_frameSelection, 0, sizeof g_frameSelection);
    g_onionSkin = OnionSkin{};
    g_selection = SelectionState{};
    g_selectionWord = 0;
    ClearRecords();
    g_paintHost = {};
    g_paintHost.updateStatusBar = [](int kind, int value) { statusKinds.push_back(kind); };
    g_paintHost.updateFilmThumbnail = [](int all) { filmRepaints.push_back(all); };
    g_paintHost.setFrameModified = [](int frame) { modifiedFrames.push_back(frame); };
    g_paintHost.updateMenuStates = [] { ++menuUpdates; };
    g_paintHost.selectPaintTool = [](int tool) {
        selectedTools.push_back(tool);
        return StoreAndSendPaintTool(tool);
    };
    g_paintHost.setSelectionState = [](int word) { g_selectionWord = word; };
    g_paintHost.testSelectionState = [](int mask) { return g_selectionWord & mask; };
    g_paintHost.canvasOrigin = [] { return POINT{40, 30}; };

    RegisterCanvasClass();
    parent_ = CreateWindowExA(0, "STATIC", "canvas test", WS_POPUP, 0, 0, 600, 500, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    canvas_ = CreateWindowExA(0, "ANIEDIT", "", WS_CHILD | WS_BORDER | WS_VISIBLE, 39, 29, 66, 66, parent_, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    g_appState.frameEditorWindow = canvas_;
    g_appState.editHScrollBar = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | SBS_TOPALIGN, 0, 0, 0, 0, parent_,
                                                nullptr, GetModuleHandleA(nullptr), nullptr);
    g_appState.editVScrollBar = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | SBS_VERT | SBS_LEFTALIGN, 0, 0, 0, 0,
                                                parent_, nullptr, GetModuleHandleA(nullptr), nullptr);
}

CanvasFixture::~CanvasFixture()
{
    for (int tool = 0; tool <= TOOL_PLACE_AREA; ++tool)
        if (IsPaintTool(tool)) InstallPaintTool(tool, PaintTool{});
    InstallSelectionTransform(nullptr);
    SetOnionSkin(0);
    DestroyWindow(parent_);
    g_appState.editHScrollBar = g_appState.editVScrollBar = nullptr;
    g_paintHost = {};
    FreeWorkDCs();
    for (int i = 0; i < g_appState.frameCount; ++i) {
        DeleteObject(g_appState.frameBitmaps[i]);
        g_appState.frameBitmaps[i] = nullptr;
    }
    g_appState.frameCount = 0;
    g_appState.frameWidth = g_appState.frameHeight = 0;
    FreeDisplayPalette();
    FreeDocumentPalette();
    g_canvasView = CanvasView{};
}

void CanvasFixture::Fill(int frame, const RECT& area, COLORREF color)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, g_appState.frameBitmaps[frame]);
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
    SelectObject(dc, old);
    DeleteDC(dc);
}

void CanvasFixture::Fill(int frame, COLORREF color)
{
    Fill(frame, RECT{0, 0, g_appState.frameWidth, g_appState.frameHeight}, color);
}

void CanvasFixture::Paint(int frame, COLORREF (*color)(int x, int y))
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, g_appState.frameBitmaps[frame]);
    for (int y = 0; y < g_appState.frameHeight; ++y)
        for (int x = 0; x < g_appState.frameWidth; ++x) SetPixelV(dc, x, y, color(x, y));
    SelectObject(dc, old);
    DeleteDC(dc);
}

void CanvasFixture::Show(int bufferWidth, int bufferHeight, int zoomShift)
{
    g_appState.zoomShift = zoomShift;
    UpdateGridBrushes();
    SendMessageA(canvas_, EDIT_SET_VIEW_SIZE, 0, MAKELPARAM(bufferWidth, bufferHeight));
    SendMessageA(canvas_, EDIT_RELAYOUT, 0, 0);
    Render();
}

void CanvasFixture::Render()
{
    InvalidateFrameEditor(1);
    HDC dc = GetDC(canvas_);
    SendMessageA(canvas_, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ReleaseDC(canvas_, dc);
}

COLORREF CanvasFixture::ViewPixel(int x, int y) const
{
    GdiFlush();
    return GetPixel(g_appState.canvasDC, x, y) & 0xFFFFFF;
}

std::vector<COLORREF> CanvasFixture::ViewPixels() const
{
    std::vector<COLORREF> pixels;
    for (int y = 0; y < g_canvasView.viewHeight; ++y)
        for (int x = 0; x < g_canvasView.viewWidth; ++x) pixels.push_back(ViewPixel(x, y));
    return pixels;
}
