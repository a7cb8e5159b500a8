// AppState: the editor's one shared state record. The shell, the frame canvas,
// the palette model, the frame bitmaps and the document model all read and
// write it; the shell fills the window and GDI handles as it creates them and
// the tests fill what they need directly. It also carries the option bits
// read from the settings file (optionFlags) and the table of ways into the
// parts of the editor that a piece calls but does not own (hooks).
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <cstdint>

struct SelectionSnapshot;  // Undo.h

constexpr int MAX_FRAME_BITMAPS = 255;
constexpr int COLOR_CELL_COUNT = 64;
constexpr int FIXED_COLOR_CELLS = 16;
constexpr int PATTERN_BRUSH_COUNT = 5;   // cut 8 pixels apart from bitmap 921
constexpr int FILL_PATTERN_COUNT = 12;   // monochrome 8 x 8 fill patterns
constexpr int STATUS_TEXT_CHARS = 200;

// optionFlags: the option bits read from the settings file when the main
// window is created (keys and defaults in the shell's EditorSettings).
constexpr uint32_t OPTION_CLIPBOARD_PALETTE_SHIFT = 2;  // bits 2-3 UseClipboardPalette
constexpr uint32_t OPTION_SAVED_PALETTE_SHIFT = 4;      // bits 4-5 UseSavedPalette
constexpr uint32_t OPTION_ASK_STRETCH_SHIFT = 6;        // bits 6-7 AskStretchFrame
constexpr uint32_t OPTION_RIGHT_DBL_CLICK = 1u << 8;
constexpr uint32_t OPTION_TRACK_FILM = 1u << 9;
constexpr uint32_t OPTION_AUTO_CLEAR_FRAME_SELECTION = 1u << 10;
constexpr uint32_t OPTION_SHOW_FRAME_ON_INSERT = 1u << 11;
constexpr uint32_t OPTION_ALTERNATE_FILL_SHIFT = 12;    // bits 12-13 AlternateFill
constexpr uint32_t OPTION_SOFT_UNDO = 1u << 14;
constexpr uint32_t OPTION_PREVIEW_TEXT = 1u << 15;
constexpr uint32_t OPTION_EDIT_BORDER = 1u << 16;
constexpr uint32_t OPTION_DITHER_ON_OPEN = 1u << 18;
constexpr uint32_t OPTION_DITHER_ON_PASTE = 1u << 19;
constexpr uint32_t OPTION_TWO_BITS = 3;

// Film placement (the command ids that choose it).
constexpr int FILM_RIGHT = 321;
constexpr int FILM_BELOW = 322;
constexpr int FILM_AUTOMATIC = 323;

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
    int nextColorCell = FIXED_COLOR_CELLS;  // 16..63, the cell the next added colour goes to
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

// What the document model tells the windows that show it.
enum DocumentEvent : int {
    DOC_FRAMES_CHANGED,      // frame count or frames changed: refresh the film and canvas
    DOC_SHOW_FRAME_WINDOW,   // a sequence is open: show the frame views
    DOC_HIDE_FRAME_WINDOW,   // no sequence could be opened: hide them
    DOC_FRAME_FORMAT_SET,    // a first frame set size and format: resize the undo steps
    DOC_UNDO_CLEARED,        // the frames went: empty the undo list
    DOC_STEPS_CHANGED,       // the current object's step block is new: hand it to the step editor
    DOC_RESET,               // a fresh document: rebuild the File menu with the recent files
};

// Ways into the parts of the editor that these pieces call but do not own
// (dialogs, the palette window, the status bar, the file chooser, the image
// library, the video export). A null member falls back to a plain behaviour
// that the owning piece documents; tests set their own.
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

    // The document model's notifications to the windows.
    void (*documentChanged)(DocumentEvent event);
    // The file chooser with preview: flags, title and first type string ids,
    // path in/out (MAX_PATH), type code in/out. 1 chosen, 0 cancelled.
    // Without it no file can be chosen (every choice counts as cancelled).
    int (*chooseFile)(HWND owner, UINT flags, UINT titleId, UINT firstTypeId, char* path, int* type);
    // The image library: loads a file into the document (the frames and, for
    // its animation formats, the whole document); *format receives the
    // library's format code. Result code; without it 0x8004.
    int (*libraryLoad)(HWND owner, const char* path, BYTE* format);
    // The image library: saves frame `frameIndex` (-1 every frame, the whole
    // document for its animation formats) in library format `format`. Result
    // code; without it 0x8007.
    int (*librarySave)(HWND owner, const char* path, int format, int frameIndex);
    // The video export: renders the animation file into a video file. Result
    // code; without it 0x8007.
    int (*exportVideo)(HWND owner, const char* videoPath, const char* animationPath);

    // ---- the undo list and the clipboard (Undo.h, Clipboard.h) ----
    // Undo (201) and Repeat (202) became available or not: menu and tool bar.
    void (*undoStateChanged)(int canUndo, int canRepeat);
    // The state word of a frame's record (its first 16 bits), which an undo
    // step keeps and gives back. Null: frames have no records.
    int16_t* (*frameStateOf)(int frame);
    // The area selection into a snapshot, and back (null: none is kept).
    void (*captureSelection)(SelectionSnapshot* snapshot);
    void (*restoreSelection)(const SelectionSnapshot* snapshot);
    // The frame selection (start with -1; the current frame comes last, then
    // -1). Null: the current frame alone.
    int (*nextSelectedFrame)(int previous);
    // With option AutoClearFrameSelection the frame selection is cleared.
    void (*clearFrameSelectionIfAuto)();
    // The image library is told of a frame change (1 inserted, 2 added,
    // 3 deleted) at a frame. Null: no library document to tell.
    void (*notifyFrameChange)(int change, int index);

    // Reads an object file into object slot `objectIndex` (its record and a
    // new step block) and hands back its sequence's stored file name in
    // `sequenceName` (64 characters). Result code; without it object files
    // cannot be read and the object dialogs do not offer them.
    int (*readObjectFile)(const char* path, int objectIndex, char* sequenceName);
    // Opens the test-run window, with the Control Center when asked. Without
    // it the commands that start a test run stay grey.
    int (*showAnimationWindow)(HWND owner, int withControlCenter);

    // Changes the size and colour format of every frame (flags bit 0: stretch
    // the pictures). 1 changed, 0 not; without it nothing changes.
    int (*changeFrameFormat)(int width, int height, int colorCount, UINT flags);
};

struct AppState {
    // ---- program and windows ----
    HINSTANCE instanceHandle;
    int instanceNumber = 1;  // 1..9, put into settings keys holding "%d"
    HWND mainWindow;
    HACCEL accelerators;
    HMENU mainMenu;
    HWND workspaceWindow;   // the three "COMMON" children
    HWND statusBarWindow;
    HWND sizeGripWindow;
    HWND filmWindow;        // "FRAMES"
    HWND frameEditorWindow; // "ANIEDIT"
    HWND editVScrollBar;
    HWND editHScrollBar;
    HWND paletteWindow;     // "PALETTE"
    HWND penSizeButton;     // button id 91
    HWND fillPatternButton; // button id 92
    HWND animationWindow;   // the test-run window or null
    HWND controlCenterDialog;
    HWND textToolDialog;    // the modeless "Insert Text" dialog or null

    // ---- display and colour ----
    int displayColorCount;     // the display's colour format as a colour count
    int colorCount;            // ColorFormat of the current frames
    HPALETTE documentPalette;  // the palette every frame shares (up to 256 colours)
    HPALETTE displayPalette;   // what the windows select: the document palette or a fuller one
    HPALETTE clipboardPalette;
    ToolColors toolColors;
    ColorCells colorCells;
    BitmapMode bitmapMode;

    // ---- drawing contexts and GDI objects ----
    HDC memoryDC;  // frames are selected into it for every operation
    HDC scratchDC;
    HDC canvasDC;
    HBITMAP defaultBitmap;
    HBITMAP formatBitmap;  // 8 x 8 in the frame format
    HBITMAP frameBitmaps[MAX_FRAME_BITMAPS];  // one per frame of the current sequence
    HBRUSH patternBrushes[PATTERN_BRUSH_COUNT];
    HBRUSH gridBrush;
    HBRUSH gridBackgroundBrush;
    HBRUSH fillPatternBrush;
    HBITMAP patternBitmaps[FILL_PATTERN_COUNT];
    HBITMAP menuCheckBitmap;
    HBITMAP selectorBitmap;  // bitmap 908
    HBITMAP filmBitmap;      // bitmap 934, the perforated film
    HBITMAP sizeGripBitmap;  // bitmap 936
    HCURSOR framePickCursor; // cursor 951
    HCURSOR waitCursor;
    HCURSOR savedCursor;

    // ---- sequence view ----
    int frameCount;  // 0..255
    int currentFrame;
    int frameWidth;
    int frameHeight;
    int zoomShift;   // 0..3 for 1:1, 2:1, 4:1, 8:1
    int fitZoomShift;
    int editScrollX;
    int editScrollY;
    int editScrollMaxX;  // the largest scroll offsets of the frame canvas
    int editScrollMaxY;
    int showGrid = 1;    // the pixel grid at zoom 4 and 8 (menu 339, on at start)
    int filmPlacement = FILM_RIGHT;
    int frameViewsShown;

    // ---- tools ----
    int currentTool;  // 0..11, or 32 while a pasted area is placed
    int previousTool;
    int toolBeforePick;  // the tool the eyedropper returns to
    int framePickMode;  // 0 none, 1 Swap Frame with, 0x42 Move Frame to
    int penWidth = 1;
    int gradatedLines;
    bool fillEnabled;    // the fill colour is used by the area tools
    bool fillPatternOn;  // the fill pattern brush replaces the fill colour
    int fillPatternIndex;
    int ellipseMode = 1;  // 1 centre, 0 corner of the grid square
    POINT pasteGripOffset;  // half the pasted image's width and height
    SIZE pastedImageSize;

    // ---- menu and help ----
    int helpMode;
    WORD lastSizeType;
    POINT clickOrigin;
    // Set by a window that took the mouse during a click (a dialog closed by a
    // double click): the canvas ignores the button-up that follows.
    int ignoreNextButtonUp;
    char statusText[STATUS_TEXT_CHARS];

    // ---- options read at creation ----
    uint32_t optionFlags;
    WORD moveKeys = 14;  // 13 drag the selected area with the left button, 14 with the right

    // A file chosen by one dialog for the command that follows (the New
    // Object dialog leaves an object's sequence file here).
    char pathBuffer[MAX_PATH];

    EditorHooks hooks;
};

extern AppState g_appState;

// The UseSavedPalette option value (0 standard, 1 ask, 2 the file's palette).
inline int SavedPaletteMode() { return (g_appState.optionFlags >> OPTION_SAVED_PALETTE_SHIFT) & OPTION_TWO_BITS; }
