#include "engine/text_compare.h"

#include <cstring>

int CompareNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        char x = FoldAscii(*a);
        char y = FoldAscii(*b);
        if (x != y)
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
        if (x == '\0')
            return 0;
    }
}

int CompareNoCaseN(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        char x = FoldAscii(a[i]);
        char y = FoldAscii(b[i]);
        if (x != y)
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
        if (x == '\0')
            return 0;
    }
    return 0;
}

void CopyToZeroedField(char* field, size_t size, const char* text, size_t textLength) {
    if (field == nullptr || size == 0)
        return;
    memset(field, 0, size);
    if (text == nullptr)
        return;
    size_t length = 0;
    while (length < textLength && length < size - 1 && text[length] != '\0')
        ++length;
    memcpy(field, text, length);
}
