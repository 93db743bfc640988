#include "report/shown_text.h"

#include "platform/codepage.h"
#include "report/log_line.h"

std::string ShownText(uint32_t codePage, std::string_view ansi) {
    bool ascii = true;
    for (char c : ansi)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii)
        return std::string(ansi);
    std::string utf8;
    if (AnsiToUtf8(codePage, std::string(ansi), &utf8) != CODEPAGE_OK) {
        // An unknown code page: keep the ASCII, mark the rest.
        utf8.clear();
        for (char c : ansi)
            utf8 += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : "\xEF\xBF\xBD";
    }
    return utf8;
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
