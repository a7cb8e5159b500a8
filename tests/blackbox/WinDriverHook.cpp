// WinDriverHook.dll: loaded into a program under test by WinDriver's message
// hook, it answers the queries that only the program itself can answer (see
// WinDriverQuery.h): its menus and its windows' own pictures. Nothing here
// runs unless WinDriver posts a query.
#include "WinDriverBitmap.h"
#include "WinDriverQuery.h"
#include "WinDriverText.h"
#include <cstring>
#include <vector>

namespace {

constexpr UINT kMenuGetHandle = 0x01E1;  // MN_GETHMENU: the menu a pop-up menu window shows
constexpr int kMaxMenuDepth = 8;

const char* StateName(UINT state)
{
    if (state & MF_GRAYED) return "grayed";
    if (state & MF_DISABLED) return "disabled";
    return "enabled";
}

std::wstring ItemText(HMENU menu, int position)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) return {};
    std::vector<wchar_t> text(info.cch + 1);
    info.dwTypeData = text.data();
    info.cch = static_cast<UINT>(text.size());
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) return {};
    return text.data();
}

// One line per item: pos=0.3 type=item id=104 state=grayed checked=0 text="..."
void DescribeMenu(HMENU menu, const std::string& prefix, int depth, std::string& out)
{
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        std::string pos = prefix + std::to_string(i);
        const char* type = "item";
        if (info.fType & MFT_SEPARATOR) type = "separator";
        else if (info.hSubMenu) type = "popup";
        else if (info.fType & MFT_OWNERDRAW) type = "ownerdraw";
        else if (info.fType & MFT_BITMAP) type = "bitmap";
        char line[160];
        snprintf(line, sizeof line, "pos=%s type=%s id=%ld state=%s checked=%d text=", pos.c_str(), type,
                 info.hSubMenu ? -1L : static_cast<long>(info.wID), StateName(info.fState),
                 (info.fState & MFS_CHECKED) ? 1 : 0);
        out += line;
        out += Quoted(ItemText(menu, i));
        out += '\n';
        if (info.hSubMenu && depth < kMaxMenuDepth) DescribeMenu(info.hSubMenu, pos + ".", depth + 1, out);
    }
}

BOOL CALLBACK CollectPopupMenu(HWND window, LPARAM param)
{
    wchar_t cls[16];
    if (IsWindowVisible(window) && GetClassNameW(window, cls, 16) && lstrcmpW(cls, L"#32768") == 0) {
        auto* menus = reinterpret_cast<std::vector<HMENU>*>(param);
        if (HMENU menu = reinterpret_cast<HMENU>(SendMessageW(window, kMenuGetHandle, 0, 0))) menus->push_back(menu);
    }
    return TRUE;
}

std::string DescribeMenus(HWND window, WPARAM kind)
{
    std::string out;
    if (kind == kQueryPopupMenus) {
        std::vector<HMENU> menus;
        EnumThreadWindows(GetCurrentThreadId(), CollectPopupMenu, reinterpret_cast<LPARAM>(&menus));
        if (menus.empty()) return "error: no pop-up menu is open\n";
        // The pop-up windows are listed newest first: number them from the outermost.
        for (size_t level = 0; level < menus.size(); ++level) {
            std::string prefix = "p";
            prefix += std::to_string(level);
            DescribeMenu(menus[menus.size() - 1 - level], prefix + ".", 0, out);
        }
        return std::string("ok\n") += out;
    }
    HMENU menu = kind == kQuerySystemMenu ? GetSystemMenu(window, FALSE) : GetMenu(window);
    if (!menu || !IsMenu(menu)) return "error: the window has no such menu\n";
    DescribeMenu(menu, "", 0, out);
    return std::string("ok\n") += out;
}

// The picture the window itself holds, read through its own DC: windows in
// front of it on the screen do not show in it.
std::string CaptureWindow(HWND window, bool clientOnly, const std::wstring& path)
{
    RECT area{};
    if (clientOnly) GetClientRect(window, &area);
    else GetWindowRect(window, &area);
    int width = area.right - area.left, height = area.bottom - area.top;
    HDC dc = clientOnly ? GetDC(window) : GetWindowDC(window);
    bool saved = dc && SaveAreaAsBmp(dc, 0, 0, width, height, path);
    if (dc) ReleaseDC(window, dc);
    if (!saved) return "error: cannot save the window's picture\n";
    return "ok\nsaved " + std::to_string(width) + " " + std::to_string(height) + "\n";
}

// Icon handles are private to a process: the box's icon is told apart from
// the system icons by loading those here, inside the box's program.
std::string DescribeBoxIcon(HWND box)
{
    HICON shown = nullptr;
    for (HWND child = GetWindow(box, GW_CHILD); child && !shown; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[16];
        bool isIcon = (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
        if (isIcon && IsWindowVisible(child) && GetClassNameW(child, cls, 16) && lstrcmpiW(cls, L"Static") == 0)
            shown = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
    }
    if (!shown) return "ok\nicon=none\n";
    const struct {
        LPCSTR id;  // an integer resource id
        const char* name;
    } kSystemIcons[] = {{IDI_HAND, "error"}, {IDI_QUESTION, "question"}, {IDI_EXCLAMATION, "warning"},
                        {IDI_ASTERISK, "information"}};
    for (const auto& icon : kSystemIcons)
        if (LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(icon.id)) == shown)
            return std::string("ok\nicon=") + icon.name + "\n";
    return "ok\nicon=other\n";
}

std::string Answer(HWND window, WPARAM kind, const std::wstring& argument)
{
    switch (kind) {
    case kQueryMenuBar:
    case kQuerySystemMenu:
    case kQueryPopupMenus:
        return DescribeMenus(window, kind);
    case kQueryCaptureWindow:
    case kQueryCaptureClient:
        return CaptureWindow(window, kind == kQueryCaptureClient, argument);
    case kQueryBoxIcon:
        return DescribeBoxIcon(window);
    }
    return "error: unknown query\n";
}

void AnswerQuery(HWND window, WPARAM kind, DWORD request)
{
    HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE | FILE_MAP_READ, FALSE, ReplyMappingName(request).c_str());
    HANDLE done = OpenEventW(EVENT_MODIFY_STATE, FALSE, ReplyEventName(request).c_str());
    if (mapping) {
        std::string text = Answer(window, kind, ReadQueryArgument(mapping));
        if (auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, kReplyBytes))) {
            size_t size = text.size() < kReplyBytes - 1 ? text.size() : kReplyBytes - 1;
            memcpy(view, text.data(), size);
            view[size] = '\0';
            UnmapViewOfFile(view);
        }
        CloseHandle(mapping);
    }
    if (done) {
        SetEvent(done);
        CloseHandle(done);
    }
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK WinDriverGetMessageHook(int code, WPARAM removal, LPARAM param)
{
    static const UINT queryMessage = RegisterWindowMessageW(kQueryMessageName);
    auto* msg = reinterpret_cast<MSG*>(param);
    if (code == HC_ACTION && removal == PM_REMOVE && msg->message == queryMessage) {
        AnswerQuery(msg->hwnd, msg->wParam, static_cast<DWORD>(msg->lParam));
        msg->message = WM_NULL;  // the program itself never sees the query
    }
    return CallNextHookEx(nullptr, code, removal, param);
}
