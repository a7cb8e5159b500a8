// The editor's shared colour, frame and option state that the palette model,
// the colour reduction, the frame bitmaps and the settings file work on. The
// editor's shell fills these records at start-up; the tests fill them directly.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <cstdint>

constexpr int MAX_FRAME_BITMAPS = 255;
constexpr int COLOR_CELL_COUNT = 64;
constexpr int FIXED_COLOR_CELLS = 16;

// optionFlags: the option bits read from the settings file.
constexpr uint32_t OPTION_CLIPBOARD_PALETTE_SHIFT = 2;  // bits 2-3 UseClipboardPalette
constexpr uint32_t OPTION_SAVED_PALETTE_SHIFT = 4;      // bits 4-5 UseSavedPalette
constexpr uint32_t OPTION_ASK_STRETCH_SHIFT = 6;        // bits 6-7 AskStretchFrame
constexpr uint32_t OPTION_DITHER_ON_OPEN = 1u << 18;
constexpr uint32_t OPTION_DITHER_ON_PASTE = 1u << 19;

// The display and colour part of the editor's state.
struct ColorState {
    int displayColorCount;     // the display's colour format as a colour count
    int colorCount;            // ColorFormat of the current frames
    HPALETTE documentPalette;  // the palette every frame shares (up to 256 colours)
    HPALETTE displayPalette;   // what the windows select: the document palette or a fuller one
    HPALETTE clipboardPalette;
    HDC workDCs[3];            // memoryDC, scratchDC, canvasDC: palettes are selected into each
    bool fillEnabled;          // the fill colour is used by the area tools
    bool fillPatternOn;        // the fill pattern brush replaces the fill colour
    HBRUSH fillPatternBrush;
};

// The three colour choices of the palette window, as palette indexes.
struct ToolColors {
    HBRUSH transparentColorBrush;
    HBRUSH fillColorBrush;
    HBRUSH penColorBrush;
    int paletteSize;
    int transparentColorIndex;  // always 2 in the three-colour format
    int fillColorIndex;
    int penColorIndex;
    int transparentColorOn;
};

// The palette window's cells in formats of 256 colours and more: 16 fixed
// static colours, then 48 chosen ones.
struct ColorCells {
    BYTE index[COLOR_CELL_COUNT];
    int nextColorCell;  // 16..63, the cell the next added colour goes to
};

// How frames are kept: device-dependent bitmaps or DIB sections, and whether
// frame rows are read back through the per-cell colour lookup.
struct BitmapMode {
    bool useDeviceBitmaps;
    bool dibColorLookup;
    int displayBits;    // bits per pixel x planes of the display, read once
    int displayPlanes;
    int displayBitsPerPlane;
};

// The frames of the sequence in the frame editor.
struct FrameSet {
    HDC memoryDC;  // frames are selected into it for every operation
    int frameCount;
    int currentFrame;
    int frameWidth;
    int frameHeight;
    HBITMAP frames[MAX_FRAME_BITMAPS];
};

// Ways into the parts of the editor that these pieces call but do not own
// (dialogs, the palette window, the status bar). A null member falls back to
// a plain behaviour; tests set their own.
struct EditorHooks {
    // "Color Palette Request" (templates 1006 and 1007): 0, 1 or 2, -1 cancelled.
    int (*paletteRequest)(int templateId);
    // A Yes/No question by string id: IDYES or IDNO.
    int (*askQuestion)(UINT stringId);
    // The colour format changed: palette window size, palette menu items.
    void (*colorFormatChanged)(int colorCount, int paletteSize);
    // Pen, fill or transparent colour changed, or the indicator needs painting.
    void (*toolColorsChanged)();
    // Text for the status bar.
    void (*showStatusText)(const char* text);
    // Fills the part of a frame an inserted image leaves uncovered.
    void (*fillSequenceBackground)(HDC dc, const RECT* area);
    // The system colour dialog.
    BOOL(WINAPI* chooseColor)(LPCHOOSECOLORA chooser);
};

extern ColorState g_colorState;
extern ToolColors g_toolColors;
extern ColorCells g_colorCells;
extern BitmapMode g_bitmapMode;
extern FrameSet g_frames;
extern EditorHooks g_editorHooks;
extern uint32_t g_optionFlags;
extern int g_instanceNumber;  // 1..9, put into settings keys holding "%d"

// The UseSavedPalette option value (0 standard, 1 ask, 2 the file's palette).
inline int SavedPaletteMode() { return (g_optionFlags >> OPTION_SAVED_PALETTE_SHIFT) & 3; }
