// Case-insensitive text helpers of the filter library. Only the ASCII letters A-Z
// are folded; every other byte compares as it stands.
#pragma once

#include <cstddef>

inline char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// 0 when the texts are equal ignoring the case of A-Z, else non-zero.
int CompareNoCase(const char* a, const char* b);
// The same over at most n characters.
int CompareNoCaseN(const char* a, const char* b, size_t n);

// Copies at most size-1 bytes of text (up to its NUL) into field and terminates it;
// bytes after the terminator are zeroed, as the record requires.
void CopyToZeroedField(char* field, size_t size, const char* text, size_t textLength);
