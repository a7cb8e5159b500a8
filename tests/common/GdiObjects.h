// Live GDI objects of this process, for tests that show nothing leaks:
// GetGuiResources, or Wine's handle table where that is not implemented; -1
// when neither can be read.
#pragma once
#include <windows.h>

inline int CountGdiObjects()
{
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported > 0) return static_cast<int>(reported);
    // Wine does not implement GetGuiResources; its process-wide handle table
    // (24-byte entries, the object type at byte 14, 0 once deleted) hangs off
    // the process environment block.
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return -1;
    struct BasicInformation {
        LONG_PTR exitStatus;
        const BYTE* peb;
        ULONG_PTR rest[4];
    } basic{};
    typedef LONG(WINAPI * QueryProcess)(HANDLE, int, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQueryInformationProcess")));
    if (!query || query(GetCurrentProcess(), 0, &basic, sizeof basic, nullptr) != 0 || !basic.peb) return -1;
    const BYTE* table = *reinterpret_cast<const BYTE* const*>(basic.peb + (sizeof(void*) == 8 ? 0xF8 : 0x94));
    if (!table) return -1;
    int count = 0;
    for (int i = 0; i < 0x10000; ++i) count += table[i * 24 + 14] != 0;
    return count;
}
