#include "platform/win32/text_win32.h"

#include <windows.h>

std::wstring WidenUtf8(const char* text) {
    if (text == nullptr || *text == '\0')
        return std::wstring();
    // Texts are UTF-8; one that is not is read in the system's code page instead.
    UINT codePage = CP_UTF8;
    DWORD flags = MB_ERR_INVALID_CHARS;
    int count = MultiByteToWideChar(codePage, flags, text, -1, nullptr, 0);
    if (count <= 0) {
        codePage = CP_ACP;
        flags = 0;
        count = MultiByteToWideChar(codePage, flags, text, -1, nullptr, 0);
    }
    if (count <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(codePage, flags, text, -1, &wide[0], count);
    wide.resize(static_cast<size_t>(count) - 1);
    return wide;
}

std::string NarrowToUtf8(const wchar_t* text) {
    if (text == nullptr || *text == L'\0')
        return std::string();
    int count = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (count <= 0)
        return std::string();
    std::string narrow(static_cast<size_t>(count), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &narrow[0], count, nullptr, nullptr);
    narrow.resize(count - 1);
    return narrow;
}
