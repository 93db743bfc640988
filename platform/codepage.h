// The configuration's texts are single-byte texts of the server's ANSI code page;
// the command-line tool shows and takes them as UTF-8. Conversions go through the
// system (MultiByteToWideChar on Windows, iconv elsewhere).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The system's ANSI code page (GetACP); 1252 on systems that have none.
uint32_t SystemAnsiCodePage();

enum CodePageResult : int {
    CODEPAGE_OK = 0,
    CODEPAGE_UNKNOWN = -1,    // the system cannot convert to or from this code page
    CODEPAGE_UNMAPPABLE = -2, // a character the code page cannot hold
    CODEPAGE_BAD_UTF8 = -3,   // the UTF-8 text is not well formed
};

// Single-byte text of `codePage` to UTF-8. A byte the code page leaves undefined
// becomes U+FFFD and sets *replaced (optional); one from 80 to 9F becomes the control
// character U+0080 to U+009F instead, as Windows reads it, and Utf8ToAnsi writes that
// character back as the byte.
CodePageResult AnsiToUtf8(uint32_t codePage, const std::string& ansi, std::string* utf8,
                          bool* replaced = nullptr);

// UTF-8 to single-byte text of `codePage`, refusing any character the code page
// cannot hold exactly (no best-fit substitutes). On CODEPAGE_UNMAPPABLE or
// CODEPAGE_BAD_UTF8, *offset (optional) is the byte offset in `utf8` of the first
// character that failed.
CodePageResult Utf8ToAnsi(uint32_t codePage, const std::string& utf8, std::string* ansi,
                          size_t* offset = nullptr);
