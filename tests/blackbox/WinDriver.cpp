// WinDriver: drives a GUI program under test from a shell script. It runs in
// the same Wine prefix as the program, does one thing per start (one
// subcommand), prints plain lines a script can parse and exits 0 on success,
// 1 on failure or timeout and 2 on a usage error. README.md lists the commands.
#include "WinDriverBitmap.h"
#include "WinDriverQuery.h"
#include "WinDriverText.h"
#include <fcntl.h>
#include <io.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::wstring>;

// Generous: they only run out when something is wrong, and a loaded test
// machine can keep a program from answering for seconds.
constexpr DWORD kPollMs = 50;
constexpr UINT kSendTimeoutMs = 15000;
constexpr DWORD kQueryTimeoutMs = 15000;
constexpr DWORD kBoxCloseMs = 15000;
constexpr DWORD kForegroundMs = 5000;
constexpr int kMessageBoxTextId = 0xFFFF;

// A failure ends the command: exit code 1 with the reason on stderr.
struct Failure {
    std::string reason;
};

struct UsageError {};

// ---- values -------------------------------------------------------------

struct NamedValue {
    const wchar_t* name;
    LONG_PTR value;
};

#define NAMED(x) {L## #x, static_cast<LONG_PTR>(x)}
const NamedValue kNames[] = {
    NAMED(WM_NULL), NAMED(WM_CREATE), NAMED(WM_DESTROY), NAMED(WM_SIZE), NAMED(WM_ACTIVATE),
    NAMED(WM_SETFOCUS), NAMED(WM_KILLFOCUS), NAMED(WM_PAINT), NAMED(WM_CLOSE), NAMED(WM_QUIT),
    NAMED(WM_GETTEXTLENGTH), NAMED(WM_KEYDOWN), NAMED(WM_KEYUP), NAMED(WM_CHAR), NAMED(WM_SYSKEYDOWN),
    NAMED(WM_SYSKEYUP), NAMED(WM_INITDIALOG), NAMED(WM_COMMAND), NAMED(WM_SYSCOMMAND), NAMED(WM_TIMER),
    NAMED(WM_HSCROLL), NAMED(WM_VSCROLL), NAMED(WM_INITMENU), NAMED(WM_INITMENUPOPUP), NAMED(WM_MOUSEMOVE),
    NAMED(WM_LBUTTONDOWN), NAMED(WM_LBUTTONUP), NAMED(WM_LBUTTONDBLCLK), NAMED(WM_RBUTTONDOWN),
    NAMED(WM_RBUTTONUP), NAMED(WM_MOUSEWHEEL), NAMED(WM_USER), NAMED(WM_APP),
    NAMED(BM_CLICK), NAMED(BM_GETCHECK), NAMED(BM_SETCHECK), NAMED(LB_GETCOUNT), NAMED(LB_GETCURSEL),
    NAMED(LB_SETCURSEL), NAMED(CB_GETCOUNT), NAMED(CB_GETCURSEL), NAMED(CB_SETCURSEL),
    NAMED(SC_CLOSE), NAMED(SC_MINIMIZE), NAMED(SC_MAXIMIZE), NAMED(SC_RESTORE), NAMED(SC_MOVE), NAMED(SC_SIZE),
    NAMED(IDOK), NAMED(IDCANCEL), NAMED(IDABORT), NAMED(IDRETRY), NAMED(IDIGNORE), NAMED(IDYES), NAMED(IDNO),
    NAMED(BN_CLICKED), NAMED(MK_LBUTTON), NAMED(MK_RBUTTON), NAMED(MK_SHIFT), NAMED(MK_CONTROL),
    NAMED(VK_BACK), NAMED(VK_TAB), NAMED(VK_RETURN), NAMED(VK_SHIFT), NAMED(VK_CONTROL), NAMED(VK_MENU),
    NAMED(VK_ESCAPE), NAMED(VK_SPACE), NAMED(VK_PRIOR), NAMED(VK_NEXT), NAMED(VK_END), NAMED(VK_HOME),
    NAMED(VK_LEFT), NAMED(VK_UP), NAMED(VK_RIGHT), NAMED(VK_DOWN), NAMED(VK_INSERT), NAMED(VK_DELETE),
    NAMED(VK_F1), NAMED(VK_F2), NAMED(VK_F3), NAMED(VK_F4), NAMED(VK_F5), NAMED(VK_F6), NAMED(VK_F7),
    NAMED(VK_F8), NAMED(VK_F9), NAMED(VK_F10), NAMED(VK_F11), NAMED(VK_F12), NAMED(VK_ADD), NAMED(VK_SUBTRACT),
};
#undef NAMED

// Message box buttons by the names a test uses.
const NamedValue kButtons[] = {
    {L"OK", IDOK}, {L"Cancel", IDCANCEL}, {L"Abort", IDABORT}, {L"Retry", IDRETRY}, {L"Ignore", IDIGNORE},
    {L"Yes", IDYES}, {L"No", IDNO}, {L"Close", IDCLOSE}, {L"Help", IDHELP},
};

bool ParseNumber(const std::wstring& text, LONG_PTR& value)
{
    if (text.empty()) return false;
    wchar_t* end = nullptr;
    long long number = wcstoll(text.c_str(), &end, 0);
    if (*end) {
        unsigned long long unsignedNumber = wcstoull(text.c_str(), &end, 0);
        if (*end) return false;
        number = static_cast<long long>(unsignedNumber);
    }
    value = static_cast<LONG_PTR>(number);
    return true;
}

bool LookUp(const NamedValue* table, size_t count, const std::wstring& name, LONG_PTR& value)
{
    for (size_t i = 0; i < count; ++i) {
        if (_wcsicmp(table[i].name, name.c_str()) == 0) {
            value = table[i].value;
            return true;
        }
    }
    return false;
}

// A number (decimal, 0x hex, negative), a name of kNames, NAME+N, or LO,HI
// for MAKELONG(LO, HI).
LONG_PTR ParseValue(const std::wstring& text)
{
    LONG_PTR value = 0;
    size_t comma = text.find(L',');
    if (comma != std::wstring::npos && comma > 0) {
        LONG_PTR low = ParseValue(text.substr(0, comma));
        LONG_PTR high = ParseValue(text.substr(comma + 1));
        return static_cast<LONG_PTR>(static_cast<DWORD>(MAKELONG(low, high)));
    }
    if (ParseNumber(text, value) || LookUp(kNames, std::size(kNames), text, value)) return value;
    size_t plus = text.find(L'+');
    if (plus != std::wstring::npos && plus > 0) return ParseValue(text.substr(0, plus)) + ParseValue(text.substr(plus + 1));
    throw Failure{"not a number or known name: " + Utf8(text)};
}

// A virtual key: one letter or digit stands for its own key code.
UINT ParseKey(const std::wstring& text)
{
    if (text.size() == 1 && iswalnum(text[0])) return towupper(text[0]);
    return static_cast<UINT>(ParseValue(text));
}

int ParseInt(const std::wstring& text)
{
    LONG_PTR value = 0;
    if (!ParseNumber(text, value)) throw Failure{"not a number: " + Utf8(text)};
    return static_cast<int>(value);
}

HWND ParseWindow(const std::wstring& text)
{
    std::wstring digits = text.rfind(L"hwnd=", 0) == 0 ? text.substr(5) : text;
    LONG_PTR value = 0;
    if (!ParseNumber(digits, value)) throw Failure{"not a window handle: " + Utf8(text)};
    HWND window = reinterpret_cast<HWND>(value);
    if (!IsWindow(window)) throw Failure{"no such window: " + Utf8(text)};
    return window;
}

// "#RRGGBB", the form the shell helpers give for a PNG pixel too.
std::string ColorText(COLORREF color)
{
    char text[8];
    snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(color), GetGValue(color), GetBValue(color));
    return text;
}

std::string HandleText(HWND window)
{
    char text[32];
    snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
    return text;
}

// ---- windows ------------------------------------------------------------

std::wstring ClassOf(HWND window)
{
    wchar_t name[256] = L"";
    GetClassNameW(window, name, 256);
    return name;
}

// A top-level window's title as the system stores it: reading it sends the
// program nothing, so a busy program cannot slow a search through all windows.
std::wstring TitleOf(HWND window)
{
    wchar_t title[1024] = L"";
    InternalGetWindowText(window, title, 1024);
    return title;
}

// A control's text through WM_GETTEXT (controls keep their own text), with a
// timeout so that a hung program cannot hang the driver.
std::wstring TextOf(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return TitleOf(window);
    std::vector<wchar_t> text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                        2000, &copied);
    return std::wstring(text.data());
}

// CLASS or TITLE "-" matches any; a TITLE "~part" matches titles holding part.
struct WindowFilter {
    std::wstring cls;
    std::wstring title;

    bool Matches(HWND window) const
    {
        if (cls != L"-" && _wcsicmp(ClassOf(window).c_str(), cls.c_str()) != 0) return false;
        if (title == L"-") return true;
        std::wstring text = TitleOf(window);
        if (!title.empty() && title[0] == L'~') return text.find(title.substr(1)) != std::wstring::npos;
        return text == title;
    }
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM list)
{
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevelWindows()
{
    std::vector<HWND> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HWND FindVisible(const WindowFilter& filter)
{
    for (HWND window : TopLevelWindows())
        if (IsWindowVisible(window) && filter.Matches(window)) return window;
    return nullptr;
}

// Polls until done() holds or the time is up.
template <typename Check>
bool WaitUntil(DWORD timeoutMs, Check done)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(kPollMs);
    }
}

HWND WaitVisible(const WindowFilter& filter, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil(timeoutMs, [&] { return (found = FindVisible(filter)) != nullptr; });
    return found;
}

bool IsShown(HWND window) { return IsWindow(window) && IsWindowVisible(window); }

// "x y w h cx cy cw ch": the window rectangle and the client area, both on the screen.
std::string Placement(HWND window)
{
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    char text[128];
    snprintf(text, sizeof text, "%ld %ld %ld %ld %ld %ld %ld %ld", outer.left, outer.top, outer.right - outer.left,
             outer.bottom - outer.top, origin.x, origin.y, client.right, client.bottom);
    return text;
}

// ---- commands -----------------------------------------------------------

int WaitWindow(const Args& args)
{
    WindowFilter filter{args[0], args[1]};
    DWORD timeout = ParseInt(args[2]);
    HWND window = WaitVisible(filter, timeout);
    if (!window) throw Failure{"no visible window of class " + Utf8(args[0]) + " titled " + Utf8(args[1])};
    printf("hwnd=%s %s\n", HandleText(window).c_str(), Placement(window).c_str());
    return 0;
}

// wait-gone HWND TIMEOUT or wait-gone CLASS TITLE TIMEOUT: until no such visible window exists.
int WaitGone(const Args& args)
{
    if (args.size() != 2 && args.size() != 3) throw UsageError{};
    DWORD timeout = ParseInt(args.back());
    bool gone = false;
    if (args.size() == 2) {
        // The window may be gone already, so its handle is not checked.
        LONG_PTR value = 0;
        std::wstring digits = args[0].rfind(L"hwnd=", 0) == 0 ? args[0].substr(5) : args[0];
        if (!ParseNumber(digits, value)) throw Failure{"not a window handle: " + Utf8(args[0])};
        HWND window = reinterpret_cast<HWND>(value);
        gone = WaitUntil(timeout, [&] { return !IsShown(window); });
    } else {
        WindowFilter filter{args[0], args[1]};
        gone = WaitUntil(timeout, [&] { return !FindVisible(filter); });
    }
    if (!gone) throw Failure{"the window is still there"};
    printf("gone\n");
    return 0;
}

int ListWindows(const Args& args)
{
    for (HWND window : TopLevelWindows()) {
        if (!args.empty() && _wcsicmp(ClassOf(window).c_str(), args[0].c_str()) != 0) continue;
        printf("hwnd=%s %s visible=%d class=%s title=%s\n", HandleText(window).c_str(), Placement(window).c_str(),
               IsWindowVisible(window) ? 1 : 0, Quoted(ClassOf(window)).c_str(), Quoted(TitleOf(window)).c_str());
    }
    return 0;
}

// Every descendant, parents before their children; the rectangle is in the
// client coordinates of the child's parent.
void ListChildrenOf(HWND parent)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
        printf("hwnd=%s %ld %ld %ld %ld id=%d parent=%s visible=%d class=%s text=%s\n", HandleText(child).c_str(),
               rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, GetDlgCtrlID(child),
               HandleText(parent).c_str(), IsWindowVisible(child) ? 1 : 0, Quoted(ClassOf(child)).c_str(),
               Quoted(TextOf(child)).c_str());
        ListChildrenOf(child);
    }
}

int ListChildren(const Args& args)
{
    ListChildrenOf(ParseWindow(args[0]));
    return 0;
}

int Send(const Args& args)
{
    HWND window = ParseWindow(args[0]);
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, static_cast<UINT>(ParseValue(args[1])), static_cast<WPARAM>(ParseValue(args[2])),
                             ParseValue(args[3]), SMTO_NORMAL | SMTO_ABORTIFHUNG, kSendTimeoutMs, &result))
        throw Failure{"no answer within 15 s (a message that opens a dialog must be posted)"};
    printf("result=%lld\n", static_cast<long long>(static_cast<LONG_PTR>(result)));
    return 0;
}

int Post(const Args& args)
{
    HWND window = ParseWindow(args[0]);
    if (!PostMessageW(window, static_cast<UINT>(ParseValue(args[1])), static_cast<WPARAM>(ParseValue(args[2])),
                      ParseValue(args[3])))
        throw Failure{"PostMessage failed"};
    printf("posted\n");
    return 0;
}

struct KernelHandle {
    HANDLE handle;
    ~KernelHandle()
    {
        if (handle) CloseHandle(handle);
    }
};

struct HookHandle {
    HHOOK handle;
    ~HookHandle()
    {
        if (handle) UnhookWindowsHookEx(handle);
    }
};

// Asks the hook inside the window's program (see WinDriverQuery.h).
std::string QueryInsideProgram(HWND window, WPARAM kind, const std::wstring& argument = {})
{
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring hookPath(path, length);
    hookPath = hookPath.substr(0, hookPath.find_last_of(L"\\/") + 1) + L"WinDriverHook.dll";
    HMODULE hookModule = LoadLibraryW(hookPath.c_str());
    if (!hookModule) throw Failure{"cannot load " + Utf8(hookPath)};
    auto hookProc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(hookModule, kHookProcName)));
    if (!hookProc) throw Failure{"WinDriverHook.dll lacks its hook procedure"};

    DWORD request = GetCurrentProcessId();
    KernelHandle mapping{CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kReplyBytes,
                                            ReplyMappingName(request).c_str())};
    KernelHandle done{CreateEventW(nullptr, TRUE, FALSE, ReplyEventName(request).c_str())};
    if (!mapping.handle || !done.handle) throw Failure{"cannot make the reply's mapping and event"};
    if (!WriteQueryArgument(mapping.handle, argument)) throw Failure{"the argument is too long"};
    HookHandle hook{SetWindowsHookExW(WH_GETMESSAGE, hookProc, hookModule, GetWindowThreadProcessId(window, nullptr))};
    if (!hook.handle) throw Failure{"cannot hook the window's thread"};
    std::string reply;
    if (PostMessageW(window, RegisterWindowMessageW(kQueryMessageName), kind, static_cast<LPARAM>(request)) &&
        WaitForSingleObject(done.handle, kQueryTimeoutMs) == WAIT_OBJECT_0) {
        if (auto* view = static_cast<const char*>(MapViewOfFile(mapping.handle, FILE_MAP_READ, 0, 0, kReplyBytes))) {
            reply = view;
            UnmapViewOfFile(view);
        }
    }
    if (reply.empty()) throw Failure{"the program did not answer (is its thread running a message loop?)"};
    if (reply.rfind("ok\n", 0) != 0) throw Failure{reply.substr(0, reply.find('\n'))};
    return reply.substr(3);
}

int MenuState(const Args& args)
{
    HWND window = ParseWindow(args[0]);
    std::wstring which = args.size() > 1 ? args[1] : L"bar";
    WPARAM kind = which == L"bar" ? kQueryMenuBar
                : which == L"system" ? kQuerySystemMenu
                : which == L"popup" ? kQueryPopupMenus
                : throw UsageError{};
    fputs(QueryInsideProgram(window, kind).c_str(), stdout);
    return 0;
}

std::wstring MessageBoxText(HWND box)
{
    if (HWND text = GetDlgItem(box, kMessageBoxTextId)) return TextOf(text);
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        bool isIcon = (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
        if (_wcsicmp(ClassOf(child).c_str(), L"Static") == 0 && !isIcon) return TextOf(child);
    }
    return {};
}

std::string ButtonName(int id)
{
    for (const auto& button : kButtons)
        if (button.value == id) return Utf8(button.name);
    return std::to_string(id);
}

// dismiss-box CAPTION_PART BUTTON TIMEOUT: prints the box's caption, text,
// icon and buttons, presses the button and waits until the box has closed.
int DismissBox(const Args& args)
{
    WindowFilter filter{L"#32770", args[0] == L"-" ? L"-" : L"~" + args[0]};
    LONG_PTR buttonId = 0;
    if (!LookUp(kButtons, std::size(kButtons), args[1], buttonId)) buttonId = ParseValue(args[1]);
    DWORD timeout = ParseInt(args[2]);
    HWND box = WaitVisible(filter, timeout);
    if (!box) throw Failure{"no message box whose caption holds " + Utf8(args[0])};

    printf("caption=%s\n", Quoted(TitleOf(box)).c_str());
    printf("text=%s\n", Quoted(MessageBoxText(box)).c_str());
    fputs(QueryInsideProgram(box, kQueryBoxIcon).c_str(), stdout);
    std::string buttons;
    HWND pressed = nullptr;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (_wcsicmp(ClassOf(child).c_str(), L"Button") != 0 || !IsWindowVisible(child)) continue;
        if (!buttons.empty()) buttons += ',';
        buttons += ButtonName(GetDlgCtrlID(child));
        if (GetDlgCtrlID(child) == buttonId) pressed = child;
    }
    printf("buttons=%s\n", buttons.c_str());
    fflush(stdout);
    if (!pressed) throw Failure{"the box has no button " + Utf8(args[1])};
    // The box's own WM_COMMAND handling ends it with the button's id, as a
    // click would; a posted click could miss a box that is not in front.
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(pressed));
    if (!WaitUntil(kBoxCloseMs, [&] { return !IsShown(box); }))
        throw Failure{"the box did not close"};
    printf("pressed=%s\n", ButtonName(static_cast<int>(buttonId)).c_str());
    return 0;
}

LPARAM KeyData(UINT key, bool release)
{
    LPARAM data = 1 | (static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16);
    if (release) data |= static_cast<LPARAM>(0xC0000000u);  // previous state down, being released
    return data;
}

struct PostedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Posts the messages of one press in order. A window may close on the first
// of them (a key or click that ends it) before the rest are posted: then the
// press has arrived, and the rest have nowhere to go.
void PostPress(HWND window, const std::vector<PostedMessage>& messages)
{
    for (size_t i = 0; i < messages.size(); ++i) {
        if (PostMessageW(window, messages[i].message, messages[i].wParam, messages[i].lParam)) continue;
        if (i > 0 && !IsWindow(window)) break;
        throw Failure{"PostMessage failed"};
    }
    printf("posted\n");
}

int PostKey(const Args& args)
{
    HWND window = ParseWindow(args[0]);
    UINT key = ParseKey(args[1]);
    PostPress(window, {{WM_KEYDOWN, key, KeyData(key, false)}, {WM_KEYUP, key, KeyData(key, true)}});
    return 0;
}

// Real input goes to whatever is under the pointer or in front: the window's
// top-level window is brought to the front first.
HWND BringToFront(HWND window)
{
    HWND root = GetAncestor(window, GA_ROOT);
    SetForegroundWindow(root);
    if (!WaitUntil(kForegroundMs, [&] { return GetForegroundWindow() == root; }))
        throw Failure{"the window did not come to the front"};
    return root;
}

// The id of the process that owns the window.
DWORD ProgramOf(HWND window)
{
    DWORD program = 0;
    GetWindowThreadProcessId(window, &program);
    return program;
}

// Keys sent to a program's window went to that program: the window in front
// belongs to it, or no window is in front (the keys went nowhere). When the
// last key closed the window (Enter on a dialog that ends the program), what
// comes to the front after it took nothing.
void CheckProgramInFront(DWORD program, HWND window, bool lastKey)
{
    HWND foreground = GetForegroundWindow();
    if (!foreground) return;
    if (ProgramOf(foreground) == program || (lastKey && !IsWindow(window))) return;
    throw Failure{"another program's window came to the front: the keys may have gone there"};
}

void AddKey(std::vector<INPUT>& inputs, WORD key, bool release)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
}

// keys HWND SPEC...: real key presses (SendInput) into the window once it is
// in front, so that accelerators see Ctrl, Shift and Alt. SPEC is
// [ctrl+][shift+][alt+]KEY, e.g. ctrl+N, alt+VK_END, VK_F9.
int SendKeys(const Args& args)
{
    HWND window = BringToFront(ParseWindow(args[0]));
    const DWORD program = ProgramOf(window);
    for (size_t i = 1; i < args.size(); ++i) {
        std::vector<WORD> modifiers;
        std::wstring rest = args[i];
        for (;;) {
            size_t plus = rest.find(L'+');
            if (plus == std::wstring::npos || plus == 0 || plus + 1 == rest.size()) break;
            std::wstring name = rest.substr(0, plus);
            WORD modifier = _wcsicmp(name.c_str(), L"ctrl") == 0    ? VK_CONTROL
                          : _wcsicmp(name.c_str(), L"shift") == 0 ? VK_SHIFT
                          : _wcsicmp(name.c_str(), L"alt") == 0   ? VK_MENU
                          : 0;
            if (!modifier) break;
            modifiers.push_back(modifier);
            rest = rest.substr(plus + 1);
        }
        WORD key = static_cast<WORD>(ParseKey(rest));
        std::vector<INPUT> inputs;
        for (WORD modifier : modifiers) AddKey(inputs, modifier, false);
        AddKey(inputs, key, false);
        AddKey(inputs, key, true);
        for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m) AddKey(inputs, *m, true);
        if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size())
            throw Failure{"SendInput failed"};
        // Input goes to whatever is in front when it is queued. A window the
        // keys themselves opened (a dialog, a message box) belongs to the
        // same program; any other window in front took them.
        CheckProgramInFront(program, window, i + 1 == args.size());
    }
    printf("sent\n");
    return 0;
}

// click HWND X Y [left|right|double]: button messages posted at client coordinates.
int Click(const Args& args)
{
    HWND window = ParseWindow(args[0]);
    LPARAM at = MAKELPARAM(ParseInt(args[1]), ParseInt(args[2]));
    std::wstring kind = args.size() > 3 ? args[3] : L"left";
    std::vector<PostedMessage> press{{WM_MOUSEMOVE, 0, at}};
    if (kind == L"left") press.insert(press.end(), {{WM_LBUTTONDOWN, MK_LBUTTON, at}, {WM_LBUTTONUP, 0, at}});
    else if (kind == L"right") press.insert(press.end(), {{WM_RBUTTONDOWN, MK_RBUTTON, at}, {WM_RBUTTONUP, 0, at}});
    else if (kind == L"double")
        press.insert(press.end(), {{WM_LBUTTONDOWN, MK_LBUTTON, at}, {WM_LBUTTONUP, 0, at},
                                   {WM_LBUTTONDBLCLK, MK_LBUTTON, at}, {WM_LBUTTONUP, 0, at}});
    else throw UsageError{};
    PostPress(window, press);
    return 0;
}

COLORREF ScreenPixel(int x, int y)
{
    HDC screen = GetDC(nullptr);
    COLORREF color = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    if (color == CLR_INVALID) throw Failure{"no pixel at that point"};
    return color;
}

int Pixel(const Args& args)
{
    printf("%s\n", ColorText(ScreenPixel(ParseInt(args[0]), ParseInt(args[1]))).c_str());
    return 0;
}

// wait-pixel X Y #RRGGBB TIMEOUT: until the screen shows that colour there
// (a window is drawn a little after it becomes visible).
int WaitPixel(const Args& args)
{
    int x = ParseInt(args[0]), y = ParseInt(args[1]);
    std::string wanted = Utf8(args[2]);
    for (char& c : wanted) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    DWORD timeout = ParseInt(args[3]), start = GetTickCount();
    std::string seen;
    while ((seen = ColorText(ScreenPixel(x, y))) != wanted) {
        if (GetTickCount() - start >= timeout) throw Failure{"the pixel stayed " + seen};
        Sleep(kPollMs);
    }
    printf("%s\n", seen.c_str());
    return 0;
}

// capture X Y W H FILE.bmp: the screen area as a bottom-up 24-bit BMP.
int Capture(const Args& args)
{
    int x = ParseInt(args[0]), y = ParseInt(args[1]), width = ParseInt(args[2]), height = ParseInt(args[3]);
    HDC screen = GetDC(nullptr);
    bool saved = SaveAreaAsBmp(screen, x, y, width, height, args[4]);
    ReleaseDC(nullptr, screen);
    if (!saved) throw Failure{"cannot copy that area of the screen to " + Utf8(args[4])};
    printf("saved %d %d\n", width, height);
    return 0;
}

// capture-window HWND FILE.bmp [client]: the window's own picture, copied
// inside its program, so windows in front of it do not matter.
int CaptureWindow(const Args& args)
{
    HWND window = ParseWindow(args[0]);
    bool client = args.size() > 2 && args[2] == L"client";
    if (args.size() > 2 && !client) throw UsageError{};
    fputs(QueryInsideProgram(window, client ? kQueryCaptureClient : kQueryCaptureWindow, args[1]).c_str(), stdout);
    return 0;
}

// topmost HWND: puts the window above all others that are not topmost, so
// that windows of tests running alongside cannot cover it on the screen.
int MakeTopmost(const Args& args)
{
    HWND window = ParseWindow(args[0]);
    if (!SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE))
        throw Failure{"SetWindowPos failed"};
    printf("topmost\n");
    return 0;
}

// ---- controls -----------------------------------------------------------

enum class ControlKind { Other, Button, ListBox, ComboBox };

ControlKind KindOf(HWND control)
{
    std::wstring cls = ClassOf(control);
    if (_wcsicmp(cls.c_str(), L"Button") == 0) return ControlKind::Button;
    if (_wcsicmp(cls.c_str(), L"ListBox") == 0 || _wcsicmp(cls.c_str(), L"ComboLBox") == 0) return ControlKind::ListBox;
    if (_wcsicmp(cls.c_str(), L"ComboBox") == 0) return ControlKind::ComboBox;
    return ControlKind::Other;
}

// SendMessage with the driver's timeout: a hung program fails the command.
LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, kSendTimeoutMs, &result))
        throw Failure{"the control did not answer within 15 s"};
    return static_cast<LRESULT>(result);
}

struct ListMessages {
    UINT count, current, setCurrent, textLength, text, data, selected;
    WORD selectionChanged;
};
constexpr ListMessages kListBoxMessages{LB_GETCOUNT, LB_GETCURSEL, LB_SETCURSEL, LB_GETTEXTLEN,
                                        LB_GETTEXT,  LB_GETITEMDATA, LB_GETSEL, LBN_SELCHANGE};
constexpr ListMessages kComboMessages{CB_GETCOUNT,   CB_GETCURSEL,   CB_SETCURSEL, CB_GETLBTEXTLEN,
                                      CB_GETLBTEXT,  CB_GETITEMDATA, 0,            CBN_SELCHANGE};

const ListMessages& ListMessagesOf(HWND control)
{
    switch (KindOf(control)) {
    case ControlKind::ListBox: return kListBoxMessages;
    case ControlKind::ComboBox: return kComboMessages;
    default: throw Failure{"not a list box or combo box: class " + Utf8(ClassOf(control))};
    }
}

// An item's text; owner-drawn lists without strings have none.
std::wstring ItemText(HWND control, const ListMessages& list, int index)
{
    LRESULT length = Ask(control, list.textLength, index);
    if (length < 0 || length > 65535) return {};
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    Ask(control, list.text, index, reinterpret_cast<LPARAM>(text.data()));
    return std::wstring(text.data());
}

// control HWND: what a test reads of one control.
int ControlState(const Args& args)
{
    HWND control = ParseWindow(args[0]);
    ControlKind kind = KindOf(control);
    long long checked = kind == ControlKind::Button ? static_cast<long long>(Ask(control, BM_GETCHECK)) : -1;
    long long selected = -1, count = -1;
    if (kind == ControlKind::ListBox || kind == ControlKind::ComboBox) {
        const ListMessages& list = ListMessagesOf(control);
        selected = static_cast<long long>(Ask(control, list.current));
        count = static_cast<long long>(Ask(control, list.count));
    }
    printf("class=%s id=%d text=%s enabled=%d visible=%d checked=%lld selected=%lld count=%lld\n",
           Quoted(ClassOf(control)).c_str(), GetDlgCtrlID(control), Quoted(TextOf(control)).c_str(),
           IsWindowEnabled(control) ? 1 : 0, IsWindowVisible(control) ? 1 : 0, checked, selected, count);
    return 0;
}

// items HWND: every item of a list box or combo box.
int ListItems(const Args& args)
{
    HWND control = ParseWindow(args[0]);
    const ListMessages& list = ListMessagesOf(control);
    int count = static_cast<int>(Ask(control, list.count));
    int current = static_cast<int>(Ask(control, list.current));
    for (int i = 0; i < count; ++i) {
        bool selected = list.selected ? Ask(control, list.selected, i) > 0 : i == current;
        printf("index=%d selected=%d data=%lld text=%s\n", i, selected ? 1 : 0,
               static_cast<long long>(Ask(control, list.data, i)), Quoted(ItemText(control, list, i)).c_str());
    }
    return 0;
}

// The owner learns of a change as it would from a user: WM_COMMAND with the
// control's notification code.
void NotifyOwner(HWND control, WORD code)
{
    HWND owner = GetParent(control);
    if (!owner) return;
    PostMessageW(owner, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code), reinterpret_cast<LPARAM>(control));
}

// select HWND TEXT|#N: chooses an item by its exact text or its index.
int SelectItem(const Args& args)
{
    HWND control = ParseWindow(args[0]);
    const ListMessages& list = ListMessagesOf(control);
    int count = static_cast<int>(Ask(control, list.count));
    int index = -1;
    if (args[1].size() > 1 && args[1][0] == L'#') {
        index = ParseInt(args[1].substr(1));
    } else {
        for (int i = 0; i < count && index < 0; ++i)
            if (ItemText(control, list, i) == args[1]) index = i;
    }
    if (index < 0 || index >= count) throw Failure{"no item " + Utf8(args[1]) + " among " + std::to_string(count)};
    DWORD style = static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE));
    if (KindOf(control) == ControlKind::ListBox && (style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)))
        Ask(control, LB_SETSEL, TRUE, index);
    else if (static_cast<int>(Ask(control, list.setCurrent, index)) != index)
        throw Failure{"the control refused item " + std::to_string(index)};
    NotifyOwner(control, list.selectionChanged);
    if (KindOf(control) == ControlKind::ComboBox) NotifyOwner(control, CBN_SELENDOK);
    printf("selected=%d text=%s\n", index, Quoted(ItemText(control, list, index)).c_str());
    return 0;
}

// set-text HWND TEXT: an edit control or an editable combo box gets TEXT
// (the edit control reports the change to its owner itself).
int SetText(const Args& args)
{
    HWND control = ParseWindow(args[0]);
    if (!Ask(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args[1].c_str())))
        throw Failure{"the control refused the text"};
    if (KindOf(control) == ControlKind::ComboBox) NotifyOwner(control, CBN_EDITCHANGE);
    printf("text=%s\n", Quoted(TextOf(control)).c_str());
    return 0;
}

// check HWND 0|1: clicks the button, as a user would, until its check state
// is the one asked for (a three-state box may need two clicks).
int CheckButton(const Args& args)
{
    HWND button = ParseWindow(args[0]);
    if (KindOf(button) != ControlKind::Button) throw Failure{"not a button: class " + Utf8(ClassOf(button))};
    LRESULT wanted = ParseInt(args[1]);
    for (int click = 0; click < 3 && Ask(button, BM_GETCHECK) != wanted; ++click) {
        LRESULT before = Ask(button, BM_GETCHECK);
        // Posted: the owner may open a dialog in answer to the click.
        PostMessageW(button, BM_CLICK, 0, 0);
        WaitUntil(kSendTimeoutMs, [&] { return Ask(button, BM_GETCHECK) != before; });
    }
    LRESULT state = Ask(button, BM_GETCHECK);
    if (state != wanted) throw Failure{"the button stays at check state " + std::to_string(state)};
    printf("checked=%lld\n", static_cast<long long>(state));
    return 0;
}

void SendOrFail(std::vector<INPUT>& inputs)
{
    if (inputs.empty()) return;
    if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size())
        throw Failure{"SendInput failed"};
    inputs.clear();
}

INPUT MouseInput(DWORD flags, POINT screen = {}, DWORD data = 0)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    input.mi.mouseData = data;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        // Absolute input spans 0..65535 over the primary screen.
        int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
        input.mi.dx = static_cast<LONG>((screen.x * 65535LL + (width - 1) / 2) / (width - 1));
        input.mi.dy = static_cast<LONG>((screen.y * 65535LL + (height - 1) / 2) / (height - 1));
    }
    return input;
}

// Moves the real pointer to a point of the window's client area and checks
// that it got there and that the window is what lies under it.
POINT MovePointer(HWND window, int x, int y)
{
    POINT screen{x, y};
    ClientToScreen(window, &screen);
    std::vector<INPUT> inputs{MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, screen)};
    SendOrFail(inputs);
    POINT at{};
    bool arrived = WaitUntil(kForegroundMs, [&] { return GetCursorPos(&at) && at.x == screen.x && at.y == screen.y; });
    if (!arrived) throw Failure{"the pointer stopped at " + std::to_string(at.x) + "," + std::to_string(at.y)};
    return screen;
}

void CheckUnderPointer(HWND window, POINT screen)
{
    HWND under = WindowFromPoint(screen);
    if (under != window && !IsChild(window, under) && GetAncestor(under, GA_ROOT) != GetAncestor(window, GA_ROOT))
        throw Failure{"another window lies under the pointer: class " + Utf8(ClassOf(under))};
}

struct Buttons {
    DWORD down, up;
};

Buttons ParseButton(const std::wstring& name)
{
    if (name == L"left") return {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    if (name == L"right") return {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP};
    throw UsageError{};
}

// Until the window's program has taken its input and waits for more (as far
// as Wine tells: it may answer at once).
void WaitForProgramIdle(HWND window)
{
    KernelHandle handle{OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, ProgramOf(window))};
    if (handle.handle) WaitForInputIdle(handle.handle, kSendTimeoutMs);
}

// mouse HWND move X Y | down X Y [BUTTON] | up X Y [BUTTON] | click X Y [BUTTON]
//     | double X Y | drag X1 Y1 X2 Y2 [BUTTON]
// Real mouse input (SendInput) at client coordinates of the window: the
// pointer really moves, and the program sees what a user's hand makes.
// Modifier keys held meanwhile must be held on the X server (lib.sh's
// bb_hold): Wine takes the modifier state from each X pointer event, so a
// Ctrl pressed through SendInput is let go by the first move.
int Mouse(const Args& args)
{
    HWND window = ParseWindow(args[0]);
    const std::wstring& action = args[1];
    if (args.size() < 4) throw UsageError{};
    BringToFront(window);
    int x = ParseInt(args[2]), y = ParseInt(args[3]);
    std::vector<INPUT> inputs;
    if (action == L"drag") {
        if (args.size() < 6 || args.size() > 7) throw UsageError{};
        int x2 = ParseInt(args[4]), y2 = ParseInt(args[5]);
        Buttons button = ParseButton(args.size() > 6 ? args[6] : L"left");
        POINT from = MovePointer(window, x, y);
        CheckUnderPointer(window, from);
        inputs.push_back(MouseInput(button.down));
        SendOrFail(inputs);
        // Several steps on the way, as a hand moves, each seen by the program.
        constexpr int kSteps = 8;
        for (int step = 1; step <= kSteps; ++step) {
            MovePointer(window, x + (x2 - x) * step / kSteps, y + (y2 - y) * step / kSteps);
            Sleep(kPollMs / 5);
        }
        inputs.push_back(MouseInput(button.up));
        SendOrFail(inputs);
        WaitForProgramIdle(window);
        printf("dragged %d %d %d %d\n", x, y, x2, y2);
        return 0;
    }
    if (args.size() > 5) throw UsageError{};
    POINT at = MovePointer(window, x, y);
    if (action == L"move") {
        printf("at %ld %ld\n", at.x, at.y);
        return 0;
    }
    CheckUnderPointer(window, at);
    if (action == L"double") {
        for (int i = 0; i < 2; ++i) {
            inputs.push_back(MouseInput(MOUSEEVENTF_LEFTDOWN));
            inputs.push_back(MouseInput(MOUSEEVENTF_LEFTUP));
        }
    } else {
        Buttons button = ParseButton(args.size() > 4 ? args[4] : L"left");
        if (action == L"down" || action == L"click") inputs.push_back(MouseInput(button.down));
        if (action == L"up" || action == L"click") inputs.push_back(MouseInput(button.up));
        if (inputs.empty()) throw UsageError{};
    }
    SendOrFail(inputs);
    printf("%s %ld %ld\n", Utf8(action).c_str(), at.x, at.y);
    return 0;
}

// type HWND TEXT: real key presses that type TEXT into the window, brought to
// the front first (the focus inside it stays where the program put it).
int TypeText(const Args& args)
{
    HWND root = BringToFront(ParseWindow(args[0]));
    const DWORD program = ProgramOf(root);
    std::vector<INPUT> inputs;
    for (size_t i = 0; i < args[1].size(); ++i) {
        const wchar_t c = args[1][i];
        for (DWORD flags : {static_cast<DWORD>(KEYEVENTF_UNICODE), static_cast<DWORD>(KEYEVENTF_UNICODE | KEYEVENTF_KEYUP)}) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = c;
            input.ki.dwFlags = flags;
            inputs.push_back(input);
        }
        SendOrFail(inputs);
        CheckProgramInFront(program, root, i + 1 == args[1].size());
    }
    printf("typed %zu\n", args[1].size());
    return 0;
}

// hold-desktop: stays a user of this screen's desktop until it is ended. Wine
// closes a desktop that has no users left, and the next program to ask for it
// starts the desktop process again as its own child: a test doing so would
// leave that process holding its output open, and time out after it passed.
int HoldDesktop(const Args&)
{
    GetDesktopWindow();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}

// clear-clipboard: empties the clipboard of this screen. What a test put
// there stays after its program ends, and the next test on the screen would
// find it (the editor's New dialog and its paste commands read it).
int ClearClipboard(const Args&)
{
    for (int attempt = 0; !OpenClipboard(nullptr); ++attempt) {
        if (attempt == 100) throw Failure{"another program keeps the clipboard open"};
        Sleep(50);
    }
    const bool emptied = EmptyClipboard();
    CloseClipboard();
    if (!emptied) throw Failure{"EmptyClipboard failed"};
    puts("cleared");
    return 0;
}

struct Command {
    const wchar_t* name;
    size_t minArgs;
    size_t maxArgs;
    int (*run)(const Args&);
    const char* usage;
};

const Command kCommands[] = {
    {L"wait-window", 3, 3, WaitWindow, "wait-window CLASS|- TITLE|-|~PART TIMEOUT_MS"},
    {L"wait-gone", 2, 3, WaitGone, "wait-gone HWND TIMEOUT_MS | wait-gone CLASS|- TITLE|-|~PART TIMEOUT_MS"},
    {L"windows", 0, 1, ListWindows, "windows [CLASS]"},
    {L"children", 1, 1, ListChildren, "children HWND"},
    {L"send", 4, 4, Send, "send HWND MSG WPARAM LPARAM"},
    {L"post", 4, 4, Post, "post HWND MSG WPARAM LPARAM"},
    {L"menu-state", 1, 2, MenuState, "menu-state HWND [bar|system|popup]"},
    {L"dismiss-box", 3, 3, DismissBox, "dismiss-box CAPTION_PART|- OK|Cancel|Yes|No|...|ID TIMEOUT_MS"},
    {L"key", 2, 2, PostKey, "key HWND VK"},
    {L"keys", 2, 64, SendKeys, "keys HWND [ctrl+][shift+][alt+]VK..."},
    {L"click", 3, 4, Click, "click HWND X Y [left|right|double]"},
    {L"pixel", 2, 2, Pixel, "pixel X Y"},
    {L"wait-pixel", 4, 4, WaitPixel, "wait-pixel X Y #RRGGBB TIMEOUT_MS"},
    {L"capture", 5, 5, Capture, "capture X Y W H FILE.bmp"},
    {L"capture-window", 2, 3, CaptureWindow, "capture-window HWND FILE.bmp [client]"},
    {L"topmost", 1, 1, MakeTopmost, "topmost HWND"},
    {L"control", 1, 1, ControlState, "control HWND"},
    {L"items", 1, 1, ListItems, "items HWND"},
    {L"select", 2, 2, SelectItem, "select HWND TEXT|#INDEX"},
    {L"set-text", 2, 2, SetText, "set-text HWND TEXT"},
    {L"check", 2, 2, CheckButton, "check HWND 0|1|2"},
    {L"mouse", 4, 7, Mouse,
     "mouse HWND move|down|up|click|double X Y [left|right] | mouse HWND drag X1 Y1 X2 Y2 [left|right]"},
    {L"type", 2, 2, TypeText, "type HWND TEXT"},
    {L"hold-desktop", 0, 0, HoldDesktop, "hold-desktop"},
    {L"clear-clipboard", 0, 0, ClearClipboard, "clear-clipboard"},
};

int Usage()
{
    fputs("usage: WinDriver COMMAND ARGS...\n", stderr);
    for (const Command& command : kCommands) fprintf(stderr, "  %s\n", command.usage);
    return 2;
}

}  // namespace

int main()
{
    // Lines end in "\n" alone, whatever reads the pipe.
    _setmode(_fileno(stdout), _O_BINARY);
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv || count < 2) return Usage();
    std::wstring name = argv[1];
    Args args(argv + 2, argv + count);
    LocalFree(argv);
    for (const Command& command : kCommands) {
        if (name != command.name) continue;
        if (args.size() < command.minArgs || args.size() > command.maxArgs) {
            fprintf(stderr, "usage: WinDriver %s\n", command.usage);
            return 2;
        }
        try {
            return command.run(args);
        } catch (const Failure& failure) {
            fflush(stdout);
            fprintf(stderr, "WinDriver %s: %s\n", Utf8(name).c_str(), failure.reason.c_str());
            return 1;
        } catch (const UsageError&) {
            fprintf(stderr, "usage: WinDriver %s\n", command.usage);
            return 2;
        }
    }
    return Usage();
}
