#include "report/shown_text.h"

#include <cstdio>

#include "platform/codepage.h"
#include "report/log_line.h"

namespace {

// The next code point of well-formed UTF-8 at text[*at]; advances *at.
uint32_t NextCodePoint(std::string_view text, size_t* at) {
    unsigned char c = static_cast<unsigned char>(text[*at]);
    size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    uint32_t value = length == 1 ? c : length == 2 ? c & 0x1F : length == 3 ? c & 0x0F : c & 0x07;
    for (size_t k = 1; k < length && *at + k < text.size(); ++k)
        value = value << 6 | (static_cast<unsigned char>(text[*at + k]) & 0x3F);
    *at += length;
    return value;
}

// Characters a terminal or a browser would act on rather than show: C0 and C1
// controls, DEL, and the marks that reorder text.
bool Acts(uint32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x200E && c <= 0x200F) ||
           (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

void AppendVisible(uint32_t c, std::string* out) {
    char text[12];
    snprintf(text, sizeof text, c <= 0xFF ? "\\x%02X" : "\\u%04X", static_cast<unsigned>(c));
    *out += text;
}

} // namespace

std::string ShownText(uint32_t codePage, std::string_view ansi) {
    bool plain = true;
    for (char c : ansi)
        plain = plain && c >= 0x20 && c < 0x7F;
    if (plain)
        return std::string(ansi);
    std::string utf8;
    if (AnsiToUtf8(codePage, std::string(ansi), &utf8) != CODEPAGE_OK) {
        // An unknown code page: keep the ASCII, mark the rest.
        utf8.clear();
        for (char c : ansi)
            utf8 += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : "\xEF\xBF\xBD";
    }
    std::string shown;
    shown.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        size_t start = at;
        uint32_t c = NextCodePoint(utf8, &at);
        if (Acts(c))
            AppendVisible(c, &shown);
        else
            shown.append(utf8, start, at - start);
    }
    return shown;
}

size_t DisplayWidth(std::string_view utf8) {
    size_t width = 0;
    for (size_t at = 0; at < utf8.size();) {
        uint32_t c = NextCodePoint(utf8, &at);
        bool combining = (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
                         (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) ||
                         (c >= 0xFE20 && c <= 0xFE2F) || c == 0x200B || c == 0x200D;
        bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
                    (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
                    (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
                    (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                    (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                    (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
                    (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD);
        width += combining ? 0 : wide ? 2 : 1;
    }
    return width;
}

std::string CutToWidth(const std::string& utf8, size_t width) {
    if (DisplayWidth(utf8) <= width)
        return utf8;
    std::string out;
    size_t used = 0;
    for (size_t at = 0; at < utf8.size();) {
        size_t start = at;
        NextCodePoint(utf8, &at);
        size_t w = DisplayWidth(std::string_view(utf8).substr(start, at - start));
        if (used + w + 1 > width)
            break;
        out.append(utf8, start, at - start);
        used += w;
    }
    return out + "\xE2\x80\xA6"; // an ellipsis
}

std::string Figure(uint64_t value) {
    std::string digits = std::to_string(value);
    std::string out;
    for (size_t k = 0; k < digits.size(); ++k) {
        if (k > 0 && (digits.size() - k) % 3 == 0)
            out += ',';
        out += digits[k];
    }
    return out;
}

std::string DateText(int32_t day) {
    char text[11];
    FormatDate(day, text);
    return text;
}

const char* WeekdayName(int weekday) {
    static const char* NAMES[7] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    return NAMES[weekday];
}
