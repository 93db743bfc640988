// Code page conversions through the system's UTF-16 functions.
#include <windows.h>

#include <string>

#include "platform/codepage.h"

namespace {

// UTF-8 to UTF-16; false when the text is not well-formed UTF-8.
bool Utf8ToWide(const std::string& utf8, std::wstring* wide) {
    wide->clear();
    if (utf8.empty())
        return true;
    int count = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                    static_cast<int>(utf8.size()), nullptr, 0);
    if (count <= 0)
        return false;
    wide->resize(static_cast<size_t>(count));
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                        &(*wide)[0], count);
    return true;
}

std::string WideToUtf8(const wchar_t* text, size_t length) {
    if (length == 0)
        return std::string();
    int count = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr,
                                    nullptr);
    std::string utf8(static_cast<size_t>(count > 0 ? count : 0), '\0');
    if (count > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), &utf8[0], count, nullptr,
                            nullptr);
    return utf8;
}

// Converts UTF-16 to the code page exactly; false when some character has no exact
// form there.
bool WideToAnsiExactly(uint32_t codePage, const wchar_t* text, size_t length, std::string* ansi) {
    ansi->clear();
    if (length == 0)
        return true;
    BOOL usedDefault = FALSE;
    int count = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text, static_cast<int>(length),
                                    nullptr, 0, nullptr, &usedDefault);
    if (count <= 0 || usedDefault)
        return false;
    ansi->resize(static_cast<size_t>(count));
    WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text, static_cast<int>(length), &(*ansi)[0],
                        count, nullptr, &usedDefault);
    if (usedDefault)
        return false;
    // Best-fit is off, yet be sure the bytes read back as the same characters.
    int back =
        MultiByteToWideChar(codePage, 0, ansi->data(), static_cast<int>(ansi->size()), nullptr, 0);
    std::wstring again(static_cast<size_t>(back > 0 ? back : 0), L'\0');
    if (back > 0)
        MultiByteToWideChar(codePage, 0, ansi->data(), static_cast<int>(ansi->size()), &again[0],
                            back);
    return again == std::wstring(text, length);
}

} // namespace

uint32_t SystemAnsiCodePage() {
    return GetACP();
}

CodePageResult AnsiToUtf8(uint32_t codePage, const std::string& ansi, std::string* utf8,
                          bool* replaced) {
    if (codePage != CP_UTF8 && !IsValidCodePage(codePage))
        return CODEPAGE_UNKNOWN;
    if (replaced != nullptr)
        *replaced = false;
    utf8->clear();
    if (ansi.empty())
        return CODEPAGE_OK;
    DWORD flags = MB_ERR_INVALID_CHARS;
    int count = MultiByteToWideChar(codePage, flags, ansi.data(), static_cast<int>(ansi.size()),
                                    nullptr, 0);
    if (count <= 0) {
        // Bytes the code page leaves undefined: let the system put its substitute in.
        flags = 0;
        if (replaced != nullptr)
            *replaced = true;
        count = MultiByteToWideChar(codePage, flags, ansi.data(), static_cast<int>(ansi.size()),
                                    nullptr, 0);
        if (count <= 0)
            return CODEPAGE_UNKNOWN;
    }
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(codePage, flags, ansi.data(), static_cast<int>(ansi.size()), &wide[0],
                        count);
    *utf8 = WideToUtf8(wide.data(), wide.size());
    return CODEPAGE_OK;
}

CodePageResult Utf8ToAnsi(uint32_t codePage, const std::string& utf8, std::string* ansi,
                          size_t* offset) {
    if (codePage != CP_UTF8 && !IsValidCodePage(codePage))
        return CODEPAGE_UNKNOWN;
    std::wstring wide;
    if (!Utf8ToWide(utf8, &wide)) {
        // Find the first sequence the system refuses, for the message.
        size_t good = 0;
        for (size_t k = 1; k <= utf8.size(); ++k) {
            std::wstring ignored;
            if (Utf8ToWide(utf8.substr(0, k), &ignored))
                good = k;
        }
        if (offset != nullptr)
            *offset = good;
        return CODEPAGE_BAD_UTF8;
    }
    if (codePage == CP_UTF8) {
        *ansi = utf8;
        return CODEPAGE_OK;
    }
    if (WideToAnsiExactly(codePage, wide.data(), wide.size(), ansi))
        return CODEPAGE_OK;
    // Find the first character without an exact form, counting its UTF-8 offset.
    size_t utf8Offset = 0;
    for (size_t k = 0; k < wide.size();) {
        size_t units = (wide[k] >= 0xD800 && wide[k] <= 0xDBFF && k + 1 < wide.size()) ? 2 : 1;
        std::string one;
        if (!WideToAnsiExactly(codePage, wide.data() + k, units, &one))
            break;
        utf8Offset += WideToUtf8(wide.data() + k, units).size();
        k += units;
    }
    if (offset != nullptr)
        *offset = utf8Offset;
    return CODEPAGE_UNMAPPABLE;
}
