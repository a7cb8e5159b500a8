// How WinDriver asks for what only the program that owns a window can read.
//
// Menus are private to their process under Wine (another process gets the
// menu handle but every query on it fails), so WinDriver hooks the window's
// thread with WinDriverHook.dll (WH_GETMESSAGE) and posts it the registered
// query message. The hook answers inside the program: it writes UTF-8 lines
// into the named file mapping of the request and sets the request's event.
#pragma once
#include <windows.h>
#include <cstdio>
#include <cwchar>
#include <string>

inline constexpr wchar_t kQueryMessageName[] = L"ZelvoWinDriverQuery";
inline constexpr char kHookProcName[] = "WinDriverGetMessageHook";
inline constexpr DWORD kReplyBytes = 1 << 20;

// wParam of the query message; lParam is the request number.
enum QueryKind : WPARAM {
    kQueryMenuBar = 1,     // the window's menu bar and its pop-ups
    kQuerySystemMenu = 2,  // the window's system menu
    kQueryPopupMenus = 3,  // the pop-up menus the window's thread has open (TrackPopupMenu)
    kQueryCaptureWindow = 4,  // saves the whole window's picture as a BMP (argument: the file)
    kQueryCaptureClient = 5,  // saves the client area's picture as a BMP (argument: the file)
    kQueryBoxIcon = 6,        // names the system icon a message box shows
};

// The mapping holds the query's argument (a NUL-terminated wide string) when
// the query is posted, and the reply (UTF-8 text starting with "ok\n" or
// "error: reason\n") when the event is set.
inline std::wstring ReplyMappingName(DWORD request)
{
    wchar_t name[64];
    swprintf(name, 64, L"ZelvoWinDriverReply-%lu", static_cast<unsigned long>(request));
    return name;
}

inline std::wstring ReplyEventName(DWORD request)
{
    wchar_t name[64];
    swprintf(name, 64, L"ZelvoWinDriverDone-%lu", static_cast<unsigned long>(request));
    return name;
}

inline bool WriteQueryArgument(HANDLE mapping, const std::wstring& argument)
{
    if ((argument.size() + 1) * sizeof(wchar_t) > kReplyBytes) return false;
    auto* view = static_cast<wchar_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, kReplyBytes));
    if (!view) return false;
    argument.copy(view, argument.size());
    view[argument.size()] = L'\0';
    UnmapViewOfFile(view);
    return true;
}

inline std::wstring ReadQueryArgument(HANDLE mapping)
{
    auto* view = static_cast<const wchar_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, kReplyBytes));
    if (!view) return {};
    std::wstring argument(view, wcsnlen(view, kReplyBytes / sizeof(wchar_t)));
    UnmapViewOfFile(view);
    return argument;
}
