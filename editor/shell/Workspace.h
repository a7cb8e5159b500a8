// The main window's client area below the tool bar: the workspace with the
// frame canvas, the film reel ("FRAMES") and the sizing grip between them, the
// pen-size and fill-pattern buttons and the palette window; the status bar;
// the generic child class "COMMON" and the separator class "STATICLINE".
#pragma once
#include <windows.h>

constexpr UINT WORKSPACE_BEGIN_SPLIT = WM_USER;  // 1024, from the sizing grip
constexpr UINT STATUSBAR_SET_PANE = WM_USER;     // 1024: wParam pane, lParam value or text
constexpr UINT FRAMES_SHOW_FRAME = WM_USER + 20; // 1044: wParam frame index

constexpr int STATUS_BAR_HEIGHT = 22;
constexpr int CANVAS_LEFT = 88;  // the canvas view's corner in the workspace
constexpr int CANVAS_TOP = 30;
constexpr int GRIP_THICKNESS = 8;
constexpr int FILM_LEAD = 20;      // film before the first thumbnail
constexpr int FILM_REST_OFFSET = 16;

enum StatusPane { PANE_FRAME, PANE_X, PANE_Y, PANE_MODIFIED, PANE_TEXT, STATUS_PANE_COUNT };
enum StatusUpdate { STATUS_ALL = 0, STATUS_FRAME = 1, STATUS_POSITION = 2, STATUS_TEXT = 4 };

// ---- layout arithmetic -------------------------------------------------------------

struct LayoutInput {
    int workspaceWidth, workspaceHeight;
    int frameWidth, frameHeight;
    int placement;         // FILM_RIGHT or FILM_BELOW
    int horizontalSplit;   // pixels
    int verticalSplit;
    int hScrollHeight;     // SM_CYHSCROLL
    int vScrollWidth;      // SM_CXVSCROLL
    bool maximized;        // the main window is maximised
    int canvasLeft;        // the left column's width; 0 = CANVAS_LEFT
};
struct ViewLayout {
    RECT canvas;  // the canvas view: left, top, width in right, height in bottom
    int canvasWidth, canvasHeight;
    int filmX, filmY, filmWidth, filmHeight;
    int gripX, gripY, gripWidth, gripHeight;
    int splitMin, splitMax;  // where the splitter may move
};
ViewLayout ComputeViewLayout(const LayoutInput& in);
// The film placement a frame size asks for: below when at least as wide as high.
int AutomaticFilmPlacement(int frameWidth, int frameHeight);
// The zoom (0..3 halvings) that shows a frame in a view of that size.
int ViewZoomForSize(int viewWidth, int viewHeight, int frameWidth, int frameHeight);
// The splits in pixels from the percentages.
int HorizontalSplitFor(int width, int percent);
int VerticalSplitFor(int height, int percent, int hScrollHeight, int frameHeight);
// The percentage a dragged split stands for (5..95, else 50).
int SplitPercent(int split, int clientSize);
// Film thumbnails: scaled to the room when zoomed and too high.
struct FilmMetrics {
    int thumbWidth, thumbHeight, gap, hiddenHeight;
    bool scaled;
};
FilmMetrics ComputeFilmMetrics(int clientHeight, int frameWidth, int frameHeight, bool zoomFilm);
int FilmLength(const FilmMetrics& m, int frameCount);

// ---- windows ------------------------------------------------------------------------

LRESULT CALLBACK CommonWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK FilmWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK StaticLineWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void CreateWorkDCs();
void FreeWorkDCs();
void InitMainWindowChildren(HINSTANCE instance, HWND mainWindow);
void UpdateViewLayout(int automatic);
void ShowFrameViews(int show);
void UpdateStatusBar(int kind, int value);
void UpdateFilmThumbnail(int all);
void ToggleZoomFilm();
int SetFilmPlacement(int id);
bool IsFilmScaled();
int GetScrollBarSpace(int horizontal);
// Where the canvas view starts in the workspace.
POINT GetCanvasOrigin();
// Moves the workspace and the status bar for a client size; b = tool-bar height.
void LayoutMainClient(int width, int height);
// The width of the workspace's left column (the canvas's left edge): 88, or
// 30 while the palette floats. Returns the previous width.
int SetWorkspaceColumn(int width);
