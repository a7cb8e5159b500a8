// Text output shared by WinDriver and its hook: every text a window or menu
// holds is printed as UTF-8 between double quotes with C escapes, so that a
// shell test can compare it on one line (menu texts carry tabs and backspaces,
// message texts carry line breaks).
#pragma once
#include <windows.h>
#include <cstdio>
#include <string>

inline std::string Utf8(const std::wstring& text)
{
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

// "text" with \\ \" \n \r \t \b and \xNN for the other control characters.
inline std::string Quoted(const std::wstring& text)
{
    std::string out = "\"";
    for (unsigned char c : Utf8(text)) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char hex[8];
                snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}
