// The small services the library's format code shares: message pump,
// centring, spin-button fields, message boxes and menu requests by string
// id, the colour chooser, settings blocks, deleting files, posted commands
// and the help file's name.
#include "ConvLibrary.h"
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int CAPTION_BYTES = 50;
constexpr int MESSAGE_BYTES = 260;
constexpr int MENU_TEXT_BYTES = 48;
constexpr int FIELD_CHARS = 32;
constexpr int CUSTOM_COLOR_COUNT = 16;

// Custom colours of the colour chooser, shared by every call while the
// library is loaded.
COLORREF g_customColors[CUSTOM_COLOR_COUNT] = {};

// A whole signed number with optional blanks around it, within 32 bits.
bool ParseSignedField(const char* text, int* value)
{
    while (*text == ' ') ++text;
    if (!*text) return false;
    char* end = nullptr;
    errno = 0;
    const long long parsed = strtoll(text, &end, 10);
    if (end == text || errno == ERANGE || parsed < INT32_MIN || parsed > INT32_MAX) return false;
    while (*end == ' ') ++end;
    if (*end) return false;
    *value = static_cast<int>(parsed);
    return true;
}

}  // namespace

void PumpConvMessages(HWND dialog)
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The program's own loop must still see it.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (dialog && IsDialogMessageA(dialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void CenterConvDialog(HWND dialog)
{
    HWND parent = GetParent(dialog);
    if (!parent) parent = GetWindow(dialog, GW_OWNER);
    RECT box, around;
    GetWindowRect(dialog, &box);
    if (parent) GetWindowRect(parent, &around);
    else SystemParametersInfoA(SPI_GETWORKAREA, 0, &around, 0);
    const int width = box.right - box.left, height = box.bottom - box.top;
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    auto place = [](int low, int high, int extent, int screen) {
        int at = (low + high - extent) / 2;
        if (at > screen - extent) at = screen - extent;
        return at < 0 ? 0 : at;
    };
    SetWindowPos(dialog, nullptr, place(around.left, around.right, width, screenWidth),
                 place(around.top, around.bottom, height, screenHeight), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int StepDialogField(HWND dialog, int editId, int scrollCode, int minimum, int maximum)
{
    char text[FIELD_CHARS] = "";
    GetDlgItemTextA(dialog, editId, text, sizeof text);
    int value;
    if (!ParseSignedField(text, &value)) return -1;
    switch (scrollCode) {
    case SB_LINEUP:
    case SB_PAGEUP:
        value = value >= maximum ? maximum : value + 1;
        break;
    case SB_LINEDOWN:
    case SB_PAGEDOWN:
        value = value <= minimum ? minimum : value - 1;
        break;
    default:
        break;
    }
    SetDlgItemInt(dialog, editId, static_cast<UINT>(value), TRUE);
    return value;
}

int ShowConvMessage(HWND owner, UINT captionId, UINT textId, UINT style)
{
    char caption[CAPTION_BYTES] = "";
    char text[MESSAGE_BYTES] = "";
    LoadStringA(ConvModule(), captionId, caption, sizeof caption);
    LoadStringA(ConvModule(), textId, text, sizeof text);
    return CurrentConvUiSeam().messageBox(owner, text, caption, style);
}

ULONG_PTR RequestMenuChange(int op, UINT position, UINT flags, UINT newId, UINT textId, ConvHostProc host)
{
    if (!host) return 0;
    char text[MENU_TEXT_BYTES] = "";
    if (textId) LoadStringA(ConvModule(), textId, text, sizeof text);
    ConvMenuRequest request{op, position, newId, flags, textId ? text : nullptr};
    return host(CONV_REQ_MENU_ITEM, &request, 0);
}

int ChooseConvColor(HWND owner, COLORREF* color)
{
    CHOOSECOLORA chooser{};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = owner;
    chooser.rgbResult = *color;
    chooser.lpCustColors = g_customColors;
    chooser.Flags = CC_RGBINIT;
    if (!CurrentConvUiSeam().chooseColor(&chooser)) return 0;
    *color = chooser.rgbResult;
    return 1;
}

int SettingsBlockFormat(HGLOBAL settings)
{
    if (!settings || GlobalSize(settings) < sizeof(uint16_t)) return 0;
    const auto* block = static_cast<const uint16_t*>(GlobalLock(settings));
    if (!block) return 0;
    const int format = *block;
    GlobalUnlock(settings);
    return format;
}

int DeleteConvFile(const char* path)
{
    // The path as the caller named it: an accented name stays the same file.
    return path && DeleteFileA(path) ? 1 : 0;
}

BOOL PostCommand(HWND window, int commandId, int notifyCode, LPARAM lParam)
{
    return PostMessageA(window, WM_COMMAND, MAKEWPARAM(commandId, notifyCode), lParam);
}

bool GetConvHelpFileName(char* out, int room)
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(ConvModule(), path, sizeof path);
    if (length == 0 || length >= sizeof path) return false;
    char* dot = strrchr(path, '.');
    const char* slash = strrchr(path, '\\');
    if (dot && slash && dot < slash) dot = nullptr;  // a dot of a folder is no extension
    const size_t stem = dot ? static_cast<size_t>(dot - path) : strlen(path);
    if (stem + sizeof ".hlp" > static_cast<size_t>(room)) return false;
    memcpy(out, path, stem);
    memcpy(out + stem, ".hlp", sizeof ".hlp");
    return true;
}
