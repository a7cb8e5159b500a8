// The editor program's start and its message loop.
#include "EditorStartup.h"
#include "AppState.h"
#include "Compat.h"
#include "ConvBridge.h"
#include "DialogUtilities.h"
#include "DocumentModel.h"
#include "DocumentStrings.h"
#include "EditorSettings.h"
#include "FileChooser.h"
#include "FilmStrip.h"
#include "FrameCanvas.h"
#include "MainWindow.h"
#include "PaletteWindow.h"
#include "Printing.h"
#include "RecentFiles.h"
#include "ResultCodes.h"
#include "TabControl.h"
#include "Workspace.h"
#include "resource.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

constexpr char MAIN_CLASS[] = "Zelvo";
constexpr int CLASS_NAME_CHARS = 128;
constexpr int ASSOCIATION_CHARS = 128;
constexpr int STORED_PLACEMENT_CHARS = 50;
constexpr int TITLE_WORD_CHARS = 8;
constexpr int FIRST_ERROR_CODE = 2;

WNDPROC g_animationWindowProc;

struct ClassEntry {
    const char* name;
    UINT style;
    WNDPROC procedure;
    HBRUSH background;
    int icon;
    int menu;
    int extraBytes;  // window extra data
};

ATOM RegisterOne(const ClassEntry& entry)
{
    WNDCLASSA cls{};
    cls.style = entry.style;
    cls.lpfnWndProc = entry.procedure;
    cls.hInstance = g_appState.instanceHandle;
    cls.hIcon = entry.icon ? LoadIconA(g_appState.instanceHandle, MAKEINTRESOURCEA(entry.icon)) : nullptr;
    cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    cls.hbrBackground = entry.background;
    cls.lpszMenuName = entry.menu ? MAKEINTRESOURCEA(entry.menu) : nullptr;
    cls.lpszClassName = entry.name;
    cls.cbWndExtra = entry.extraBytes;
    return RegisterClassA(&cls);
}

bool RegisterEditorClasses()
{
    const HBRUSH face = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    constexpr UINT ALIGNED = CS_BYTEALIGNCLIENT | CS_BYTEALIGNWINDOW;
    // In the order the editor has always registered them; the last one's
    // result (the tab control's, registered after the table) is the result of
    // the whole registration.
    const ClassEntry classes[] = {
        {MAIN_CLASS, ALIGNED, MainWndProc, face, IDI_MAIN_WINDOW, IDR_MAIN_MENU},
        {"FILMSTRIP", FILMSTRIP_CLASS_STYLE, FilmStripWndProc, nullptr, 0, 0, FILMSTRIP_EXTRA_BYTES},
        {"ANIEDIT", ALIGNED | CS_OWNDC, FrameEditorWndProc, nullptr, 0, 0},
        {"FRAMES", CS_BYTEALIGNCLIENT | CS_CLASSDC, FilmWndProc, nullptr, 0, 0},
        {"PALETTE", CS_CLASSDC | CS_DBLCLKS, PaletteWndProc, nullptr, 0, 0},
        {"COMMON", CS_PARENTDC, CommonWndProc, face, 0, 0},
        {"REGION", ALIGNED | CS_CLASSDC, DefWindowProcA, nullptr, 0, 0},
        {"STATICLINE", CS_PARENTDC, StaticLineWndProc, nullptr, 0, 0},
        {"PAGE", CS_OWNDC, PageWndProc, face, 0, 0},
        {"PRINTFILM", ALIGNED | CS_PARENTDC, PrintFilmWndProc, nullptr, 0, 0},
        {"Animation", ALIGNED | CS_OWNDC | CS_DBLCLKS, g_animationWindowProc ? g_animationWindowProc : DefWindowProcA,
         nullptr, IDI_ANIMATION_WINDOW, 0},
    };
    for (const ClassEntry& entry : classes) RegisterOne(entry);
    return RegisterTabControl(g_appState.instanceHandle) != 0;
}

int ReadDisplayColorCount()
{
    HDC info = CreateICA("DISPLAY", nullptr, nullptr, nullptr);
    if (!info) return 256;
    const int bits = GetDeviceCaps(info, PLANES) * GetDeviceCaps(info, BITSPIXEL);
    DeleteDC(info);
    return ColorCountFromDisplayBits(bits);
}

bool ExtensionIs(const char* extension, const char* const* list)
{
    for (; *list; ++list)
        if (lstrcmpiA(extension, *list) == 0) return true;
    return false;
}

// The frames of a file added to the sequence on the command line.
bool AppendCommandLineFile(const char* path)
{
    if (g_appState.frameCount >= MAX_FRAME_BITMAPS) {
        // The sequence holds no more frames: the system's capacity message.
        ShowErrorMessage(RESULT_OUT_OF_MEMORY);
        return false;
    }
    const int result = LoadFrameFile(path, g_appState.frameCount > 2 ? 1 : 0);
    if (result != RESULT_OK) {
        ShowErrorMessage(result);
        return false;
    }
    UpdateViewLayout(0);
    UpdateMultiFrameMenus(g_appState.frameCount);
    PostMessageA(g_appState.filmWindow, LB_SETCURSEL, g_appState.frameCount - 1, 0);
    return true;
}

}  // namespace

void SetAnimationWindowProcedure(WNDPROC procedure) { g_animationWindowProc = procedure; }
bool AnimationWindowBuilt() { return g_animationWindowProc != nullptr; }

// ---- arithmetic -----------------------------------------------------------------

int ColorCountFromDisplayBits(int bits)
{
    switch (bits) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    case 16: return 65536;
    case 24: return 16777216;
    case 32: return 16777217;
    default: return (bits > 0 && bits < 31) ? 1 << bits : 16777217;
    }
}

int CountInstance(int current, int answer)
{
    return answer >= current ? answer + 1 : current;
}

int FinalInstanceNumber(int counted)
{
    return counted > MAX_INSTANCE_NUMBER ? 1 : counted;
}

RECT PlaceMainWindow(const char* stored, int screenWidth, int screenHeight)
{
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, width = DEFAULT_WINDOW_WIDTH, height = DEFAULT_WINDOW_HEIGHT;
    if (!stored || !*stored) return {x, y, width, height};
    sscanf(stored, "%d %d %d %d", &x, &y, &width, &height);
    if (width < MIN_WINDOW_WIDTH || width > screenWidth) width = DEFAULT_WINDOW_WIDTH;
    if (height < MIN_WINDOW_HEIGHT || height > screenHeight) height = DEFAULT_WINDOW_HEIGHT;
    if (x + width > screenWidth) x = screenWidth - width;
    if (x < 0) x = 0;
    if (y + height > screenHeight) y = screenHeight - height;
    if (y < 0) y = 0;
    return {x, y, width, height};
}

void FormatBaseTitle(char* out, int room, int instanceNumber)
{
    char word[TITLE_WORD_CHARS + 1] = "";
    LoadResourceString(IDS_INSTANCE_WORD_BASE + instanceNumber, word, sizeof word);
    snprintf(out, room, "Zelvo %s", word);
}

// ---- start-up -------------------------------------------------------------------

BOOL CALLBACK CountInstancesProc(HWND window, LPARAM counter)
{
    char name[CLASS_NAME_CHARS];
    if (GetClassNameA(window, name, sizeof name) && lstrcmpiA(name, MAIN_CLASS) == 0) {
        int* number = reinterpret_cast<int*>(counter);
        DWORD_PTR answer = 0;
        // A hanging editor must not hang this one's start.
        if (SendMessageTimeoutA(window, MAINWND_GET_INSTANCE, 291, 0, SMTO_ABORTIFHUNG, 2000, &answer))
            *number = CountInstance(*number, static_cast<int>(answer));
    }
    return TRUE;
}

int InitEditorInstance()
{
    if (!RegisterEditorClasses()) return 0;
    int number = 1;
    EnumWindows(CountInstancesProc, reinterpret_cast<LPARAM>(&number));
    g_appState.instanceNumber = FinalInstanceNumber(number);
    Randomize();
    g_appState.displayColorCount = ReadDisplayColorCount();
    g_appState.colorCount = g_appState.displayColorCount;
    return 1;
}

bool FormatAssociationValue(const char* format, const char* programPath, char* out, int room)
{
    // A program path with blanks is quoted, and so is the document's "%1",
    // so that a document in a folder with blanks reaches the editor whole.
    char program[MAX_PATH + 2];
    snprintf(program, sizeof program, strchr(programPath, ' ') ? "\"%s\"" : "%s", programPath);
    int used = 0;
    for (const char* p = format; *p; ++p) {
        char piece[MAX_PATH + 4];
        if (p[0] == '%' && p[1] == 's') {
            lstrcpynA(piece, program, sizeof piece);
            ++p;
        } else if (p[0] == '*' && p[1] == '1') {
            lstrcpynA(piece, "\"%1\"", sizeof piece);
            ++p;
        } else {
            piece[0] = *p == '*' ? '%' : *p;
            piece[1] = '\0';
        }
        const int length = lstrlenA(piece);
        if (used + length >= room) return false;
        memcpy(out + used, piece, length + 1);
        used += length;
    }
    return true;
}

void WriteFileAssociations(const char* programPath)
{
    for (UINT id = IDS_FILE_ASSOCIATION_FIRST;; ++id) {
        char entry[ASSOCIATION_CHARS];
        if (LoadResourceString(id, entry, sizeof entry) == 0) break;
        char* equals = strrchr(entry, '=');
        if (!equals) continue;
        *equals = '\0';
        // The format holds one "%s"; the path is put in as text, never read as
        // a format, and a path too long for the value is not written cut short.
        char value[MAX_PATH + ASSOCIATION_CHARS];
        if (!FormatAssociationValue(equals + 1, programPath, value, sizeof value)) continue;
        const int length = lstrlenA(value);
        HKEY key;
        if (RegCreateKeyA(HKEY_CLASSES_ROOT, entry, &key) != ERROR_SUCCESS) continue;
        RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), length + 1);
        RegCloseKey(key);
    }
}

HWND CreateMainWindow(HINSTANCE instance, LPSTR commandLine)
{
    char value[128];
    LONG size = sizeof value;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, ".mbx", value, &size) != ERROR_SUCCESS) {
        char program[MAX_PATH];
        const DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
        if (length > 0 && length < sizeof program) WriteFileAssociations(program);
    }
    g_appState.filmBitmap = LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_FILM));
    g_appState.sizeGripBitmap = LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_SIZE_GRIP));
    g_appState.framePickCursor = LoadCursorA(instance, MAKEINTRESOURCEA(IDC_FRAME_PICK));
    g_appState.waitCursor = LoadCursorA(nullptr, IDC_WAIT);
    g_appState.accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));

    char title[32];
    FormatBaseTitle(title, sizeof title, g_appState.instanceNumber);
    char stored[STORED_PLACEMENT_CHARS + 1] = "";
    ReadIniString(IDS_SECTION_WINDOW, IDS_KEY_WINDOW_SIZE, stored, sizeof stored);
    const RECT place = PlaceMainWindow(stored, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return CreateWindowExA(0, MAIN_CLASS, title, WS_OVERLAPPEDWINDOW, place.left, place.top, place.right,
                           place.bottom, nullptr, nullptr, instance, commandLine);
}

int OpenFileByExtension(const char* path)
{
    lstrcpynA(g_document.sequencePath, path, MAX_PATH);
    const char* dot = strrchr(path, '.');
    if (!dot) return 1;
    char extension[5];
    lstrcpynA(extension, dot, sizeof extension);
    ResetDocument();
    PumpMessages(nullptr);

    static const char* const animationTypes[] = {".ANS", ".ANI", ".AVI", ".GIF", nullptr};
    static const char* const frameTypes[] = {".BMP", ".BMX", ".DIB", ".RLE", ".TIF", ".PCX", ".GIF", nullptr};
    // Each reader is tried at most once: by the extension first, then, while
    // the result is an error code (2 or above), whichever has not been tried.
    // A result of 0 (the user cancelled a question) ends the chain.
    int result = RESULT_UNKNOWN_FORMAT;
    bool animationTried = false, framesTried = false;
    if (ExtensionIs(extension, animationTypes)) {
        result = OpenAnimation(path);
        animationTried = true;
    }
    if (result >= FIRST_ERROR_CODE && ExtensionIs(extension, frameTypes)) {
        result = LoadFrameFile(path, 0);
        framesTried = true;
    }
    if (result >= FIRST_ERROR_CODE && !animationTried) result = OpenAnimation(path);
    if (result >= FIRST_ERROR_CODE && !framesTried) result = LoadFrameFile(path, 0);
    const bool opened = result == RESULT_OK;
    if (opened) {
        AddRecentFile(path);
    } else {
        ResetDocument();
        // Emptying the document gave it a new current file: the message names
        // the file that failed.
        lstrcpynA(g_document.sequencePath, path, MAX_PATH);
        ShowErrorMessage(result);
    }
    ShowFrameViews(g_appState.frameCount > 0);
    UpdateViewLayout(1);
    return opened ? 1 : 0;
}

bool ReadCommandLine(const char* commandLine)
{
    bool startupBox = true;
    const char* rest = commandLine;
    while (rest && *rest) {
        while (*rest == ' ') ++rest;
        if (!*rest) break;
        // A word ends at the next blank; a quoted name (a path with blanks,
        // as the association's "%1" gives it) ends at its closing quote.
        char word[MAX_PATH];
        const char* end;
        if (*rest == '"') {
            end = strchr(rest + 1, '"');
            const char* stop = end ? end : rest + strlen(rest);
            lstrcpynA(word, rest + 1, static_cast<int>(std::min<size_t>(stop - rest, sizeof word)));
            end = end ? end + 1 : stop;
        } else {
            end = strchr(rest, ' ');
            const char* stop = end ? end : rest + strlen(rest);
            lstrcpynA(word, rest, static_cast<int>(std::min<size_t>(stop - rest + 1, sizeof word)));
            end = stop;
        }
        if (word[0] == '/' || word[0] == '-') {
            if (word[1] == 'r') startupBox = false;
        } else if (g_appState.frameCount == 0) {
            if (!OpenFileByExtension(word)) break;
        } else if (!AppendCommandLineFile(word)) {
            break;
        }
        rest = end;
    }
    return startupBox;
}

int RunEditor(HINSTANCE instance, LPSTR commandLine, int showCommand)
{
    g_appState.instanceHandle = instance;
    if (!InitEditorInstance()) return 0;
    // A missing image library only leaves its file types and commands out.
    LoadConvLibrary();
    g_appState.hooks.chooseFile = ChooseFile;
    g_appState.hooks.libraryLoad = LoadConvFile;
    g_appState.hooks.librarySave = SaveConvFile;
    HWND main = CreateMainWindow(instance, commandLine);
    if (!main) {
        FreeConvLibrary();
        return 0;
    }
    ShowWindow(main, ReadMaximized() ? SW_SHOWMAXIMIZED : showCommand);
    UpdateWindow(main);
    const bool startupBox = !commandLine || !*commandLine || ReadCommandLine(commandLine);
    if (startupBox) PostMessageA(main, WM_COMMAND, IDM_STARTUP_BOX, 0);

    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (g_appState.controlCenterDialog && IsDialogMessageA(g_appState.controlCenterDialog, &message)) continue;
        if (g_appState.textToolDialog && IsDialogMessageA(g_appState.textToolDialog, &message)) continue;
        if (g_appState.mainWindow && TranslateAcceleratorA(g_appState.mainWindow, g_appState.accelerators, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    FreeConvLibrary();
    return static_cast<int>(message.wParam);
}
